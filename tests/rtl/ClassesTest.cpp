#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"

namespace {

// ----------------------------------------------------------------- components

// Records what it hears and where it is destroyed, to check the order.
class TProbe : public TComponent {
 public:
  TProbe(TComponent* owner, std::vector<std::string>* log, std::string tag)
      : TComponent(owner), log_(log), tag_(std::move(tag)) {}
  ~TProbe() override {
    if (log_) log_->push_back("free " + tag_);
  }
  TComponent* watched = nullptr;

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == watched) {
      watched = nullptr;
      if (log_) log_->push_back(tag_ + " lost watched");
    }
    if (log_ && operation == opInsert) log_->push_back(tag_ + " saw insert");
  }

 private:
  std::vector<std::string>* log_;
  std::string tag_;
};

TEST(ComponentOwnership, OwnerFreesChildrenLastFirstAndAChildFreedFirstLeaves) {
  std::vector<std::string> log;
  auto* form = new TProbe(nullptr, &log, "form");
  auto* a = new TProbe(form, &log, "a");
  auto* b = new TProbe(form, &log, "b");
  auto* c = new TProbe(form, &log, "c");
  EXPECT_EQ(form->ComponentCount(), 3);
  EXPECT_EQ(c->Owner(), form);
  EXPECT_EQ(b->ComponentIndex(), 1);

  // b goes first: it leaves the list, and the others hear of it.
  a->watched = b;
  delete b;
  EXPECT_EQ(form->ComponentCount(), 2);
  EXPECT_EQ(form->Components(0), a);
  EXPECT_EQ(form->Components(1), c);
  EXPECT_EQ(a->watched, nullptr);

  log.clear();
  delete form;  // a and c freed once each (ASan would see a second free)
  EXPECT_EQ(log, (std::vector<std::string>{"free form", "free c", "free a"}));
}

TEST(ComponentOwnership, FreeNotificationReachesAComponentOfAnotherOwner) {
  std::vector<std::string> log;
  TProbe formA(nullptr, &log, "formA");
  auto* formB = new TProbe(nullptr, &log, "formB");
  auto* list = new TProbe(formB, &log, "list");
  auto* user = new TProbe(&formA, &log, "user");
  user->watched = list;
  user->FreeNotification(list);
  EXPECT_TRUE(user->HasState(csFreeNotification));
  delete formB;
  EXPECT_EQ(user->watched, nullptr);

  // And the other way: a freed user leaves no dangling pointer in the list's
  // partner list (deleting the pair in either order is safe under ASan).
  auto* formC = new TProbe(nullptr, &log, "formC");
  auto* other = new TProbe(formC, &log, "other");
  other->FreeNotification(user);
  delete user;
  delete formC;
}

TEST(ComponentOwnership, NamesAreFoundWithoutCaseAndMustBeUniqueIdentifiers) {
  TComponent form(nullptr);
  auto* grid = new TComponent(&form);
  grid->SetName("movie_Grid");
  EXPECT_EQ(form.FindComponent("MOVIE_GRID"), grid);
  EXPECT_EQ(form.FindComponent("other"), nullptr);
  auto* edit = new TComponent(&form);
  try {
    edit->SetName("Movie_grid");
    FAIL();
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), "A component named Movie_grid already exists");
  }
  EXPECT_THROW(edit->SetName("9lives"), EComponentError);
  EXPECT_THROW(edit->SetName("has blank"), EComponentError);
  edit->SetName("View_19");
  EXPECT_EQ(form.FindComponent("view_19"), edit);
  edit->SetTag(-7);
  EXPECT_EQ(edit->Tag(), -7);
  EXPECT_THROW(form.Components(2), EListError);
}

TEST(ComponentOwnership, StateFollowsLoadingDesigningAndDestroying) {
  class TLoadProbe : public TComponent {
   public:
    using TComponent::TComponent;
    bool loadedRan = false;
    bool sawDestroyingChild = false;

   protected:
    void Loaded() override {
      TComponent::Loaded();
      loadedRan = true;
    }
  };
  TLoadProbe form(nullptr);
  form.BeginLoad();
  EXPECT_TRUE(form.HasState(csLoading));
  EXPECT_TRUE(form.HasState(csReading));
  form.EndLoad();
  EXPECT_TRUE(form.loadedRan);
  EXPECT_FALSE(form.HasState(csLoading));

  form.SetDesigning(true);
  auto* child = new TComponent(&form);
  EXPECT_TRUE(child->HasState(csDesigning));

  form.Destroying();
  EXPECT_TRUE(child->HasState(csDestroying));
}

TEST(ComponentOwnership, InsertComponentMovesBetweenOwners) {
  TComponent first(nullptr), second(nullptr);
  auto* item = new TComponent(&first);
  second.InsertComponent(item);
  EXPECT_EQ(first.ComponentCount(), 0);
  EXPECT_EQ(second.ComponentCount(), 1);
  EXPECT_EQ(item->Owner(), &second);
  second.RemoveComponent(item);
  EXPECT_EQ(item->Owner(), nullptr);
  delete item;
}

TEST(Persistent, AssignBetweenUnrelatedClassesNamesBoth) {
  TStringList list;
  TComponent component(nullptr);
  try {
    list.Assign(&component);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a TComponent to a TStringList");
  }
  try {
    list.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "Cannot assign a nil to a TStringList");
  }
}

// ----------------------------------------------------------------------- TList

// Frees its records in Notify, as the grid's cell control list does.
class TOwningList : public TList {
 public:
  ~TOwningList() override { Clear(); }

 protected:
  void Notify(void* item, TListNotification action) override {
    if (action == lnDeleted) delete static_cast<std::string*>(item);
  }
};

TEST(PointerList, DeletesNotifyExtractDoesNotAndBoundsAreChecked) {
  auto* list = new TOwningList;
  auto* kept = new std::string("kept");
  list->Add(new std::string("a"));
  list->Add(kept);
  list->Add(new std::string("c"));
  list->Delete(0);
  EXPECT_EQ(list->Extract(kept), kept);
  EXPECT_EQ(list->Count(), 1);
  try {
    list->Items(1);
    FAIL();
  } catch (const EListError& e) {
    EXPECT_EQ(e.Message(), "List index out of bounds (1)");
  }
  EXPECT_THROW(list->Move(0, 1), EListError);
  EXPECT_THROW(list->Insert(2, nullptr), EListError);
  delete list;  // frees "c"
  delete kept;

  TList plain;
  int x = 1, y = 2;
  plain.Add(&y);
  plain.Add(nullptr);
  plain.Add(&x);
  plain.Pack();
  plain.Sort([](void* a, void* b) { return *static_cast<int*>(a) - *static_cast<int*>(b); });
  EXPECT_EQ(plain.First(), &x);
  EXPECT_EQ(plain.Last(), &y);
}

// ------------------------------------------------------------------ TCollection

class TNamedItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString name;
  void Assign(const TPersistent* source) override {
    if (auto* other = dynamic_cast<const TNamedItem*>(source)) {
      name = other->name;
      return;
    }
    TCollectionItem::Assign(source);
  }
};

class TWatchedCollection : public TCollection {
 public:
  explicit TWatchedCollection(TPersistent* owner = nullptr)
      : TCollection(ItemClassOf<TNamedItem>(), owner) {}
  std::vector<TCollectionItem*> updates;
  TNamedItem* Item(int i) const { return static_cast<TNamedItem*>(Items(i)); }
  std::vector<AnsiString> Names() const {
    std::vector<AnsiString> names;
    for (int i = 0; i < Count(); ++i) names.push_back(Item(i)->name);
    return names;
  }

 protected:
  void Update(TCollectionItem* item) override {
    updates.push_back(item);
    // Every item must be whole when the collection hears of it.
    for (int i = 0; i < Count(); ++i) (void)Item(i)->name.size();
  }
};

TEST(Collection, IndexMovesItemsAndIdsStayUnique) {
  TComponent owner(nullptr);
  TWatchedCollection items(&owner);
  EXPECT_EQ(items.GetOwner(), &owner);
  for (const char* n : {"a", "b", "c", "d"})
    static_cast<TNamedItem*>(items.Add())->name = n;
  TNamedItem* c = items.Item(2);
  EXPECT_EQ(c->Index(), 2);
  EXPECT_EQ(c->Collection(), &items);

  c->SetIndex(0);
  EXPECT_EQ(items.Names(), (std::vector<AnsiString>{"c", "a", "b", "d"}));
  c->SetIndex(3);
  EXPECT_EQ(items.Names(), (std::vector<AnsiString>{"a", "b", "d", "c"}));
  EXPECT_THROW(c->SetIndex(4), EListError);

  int idOfB = items.Item(1)->ID();
  items.Delete(1);
  EXPECT_EQ(items.FindItemID(idOfB), nullptr);
  auto* fresh = items.Insert(0);
  EXPECT_EQ(fresh->Index(), 0);
  EXPECT_EQ(items.Count(), 4);
  // A new item never takes the ID of a deleted one.
  for (int i = 1; i < items.Count(); ++i) EXPECT_NE(items.Items(i)->ID(), fresh->ID());
  EXPECT_EQ(items.FindItemID(fresh->ID()), fresh);
  EXPECT_THROW(items.Items(4), EListError);
  // Deleting an item directly leaves the collection too.
  delete items.Items(0);
  EXPECT_EQ(items.Count(), 3);
}

TEST(Collection, BeginEndUpdateDefersToOneWholeUpdate) {
  TWatchedCollection items;
  items.Add();
  ASSERT_EQ(items.updates.size(), 1u);
  EXPECT_EQ(items.updates[0], nullptr);

  items.updates.clear();
  items.BeginUpdate();
  items.Add();
  items.Add();
  items.Item(0)->SetIndex(2);
  items.Delete(1);
  EXPECT_TRUE(items.updates.empty());
  items.EndUpdate();
  EXPECT_EQ(items.updates, (std::vector<TCollectionItem*>{nullptr}));

  items.updates.clear();
  items.Clear();
  EXPECT_EQ(items.updates, (std::vector<TCollectionItem*>{nullptr}));
  EXPECT_EQ(items.Count(), 0);
}

TEST(Collection, AssignCopiesEveryItem) {
  TWatchedCollection source, target;
  static_cast<TNamedItem*>(source.Add())->name = "영화"_k;
  static_cast<TNamedItem*>(source.Add())->name = "x";
  target.Add();
  target.Assign(&source);
  EXPECT_EQ(target.Names(), source.Names());
}

// --------------------------------------------------------------------- streams

class Streams : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/vidrena-streams-XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
  }
  void TearDown() override { std::system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string dir_;
};

TEST_F(Streams, ReadingPastTheEndRaisesOnlyInReadBuffer) {
  TMemoryStream stream;
  stream.WriteBuffer("abcdef", 6);
  stream.SetPosition(4);
  char buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 2);
  stream.SetPosition(4);
  try {
    stream.ReadBuffer(buffer, 3);
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Stream read error");
  }

  TStringStream text("xy");
  EXPECT_THROW(text.ReadBuffer(buffer, 3), EReadError);
}

TEST_F(Streams, MemoryStreamGrowsSeeksAndCopies) {
  TMemoryStream stream;
  for (int i = 0; i < 10000; ++i) stream.WriteBuffer(&i, sizeof i);
  EXPECT_EQ(stream.Size(), 40000);
  EXPECT_EQ(stream.Seek(-4, soEnd), 39996);
  int last = 0;
  stream.ReadBuffer(&last, sizeof last);
  EXPECT_EQ(last, 9999);

  // Writing past the end leaves zeros in the gap.
  stream.SetPosition(40008);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(stream.Size(), 40009);
  EXPECT_EQ(static_cast<const char*>(stream.Memory())[40002], 0);

  stream.SetSize(8);
  EXPECT_EQ(stream.Position(), 8);
  TStringStream copy;
  EXPECT_EQ(copy.CopyFrom(&stream, 0), 8);
  EXPECT_EQ(copy.DataString(), std::string("\0\0\0\0\1\0\0\0", 8));
}

TEST_F(Streams, FileStreamOnAMissingFileRaisesNamingIt) {
  const AnsiString name = AnsiString(dir_) + "/" + "포스터.jpg"_k;
  try {
    TFileStream stream(name, fmOpenRead | fmShareDenyNone);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_EQ(e.Message().rfind("Cannot open file \"" + name + "\". ", 0), 0u) << e.Message();
  }
  try {
    TFileStream stream(AnsiString(dir_) + "/no/such/folder/x", fmCreate);
    FAIL();
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find("Cannot create file \""), std::string::npos);
  }
  // A folder is not a file.
  EXPECT_THROW(TFileStream(AnsiString(dir_), fmOpenRead), EFOpenError);
}

TEST_F(Streams, FileStreamSeeksPastFourGigabytes) {
  const AnsiString name = AnsiString(dir_) + "/big.bin";
  const Int64 far = (Int64{5} << 30) + 3;  // 5 GiB + 3: a sparse file
  {
    TFileStream stream(name, fmCreate);
    EXPECT_EQ(stream.Seek(far, soBeginning), far);
    stream.WriteBuffer("END", 3);
    EXPECT_EQ(stream.Size(), far + 3);
  }
  TFileStream stream(name, fmOpenRead);
  EXPECT_EQ(stream.Size(), far + 3);
  stream.SetPosition(far);
  EXPECT_EQ(stream.Position(), far);
  char end[3];
  stream.ReadBuffer(end, 3);
  EXPECT_EQ(std::string(end, 3), "END");
  EXPECT_EQ(stream.Read(end, 1), 0);
}

TEST_F(Streams, MemoryStreamFileRoundTripWithKoreanName) {
  const AnsiString name = AnsiString(dir_) + "/" + "목록.bin"_k;
  TMemoryStream out;
  out.WriteBuffer("\x00\xFF\r\n", 4);
  out.SaveToFile(name);
  EXPECT_EQ(FileSizeOf(name), 4);
  TMemoryStream in;
  in.LoadFromFile(name);
  ASSERT_EQ(in.Size(), 4);
  EXPECT_EQ(std::string(static_cast<const char*>(in.Memory()), 4), std::string("\x00\xFF\r\n", 4));

  // fmOpenReadWrite keeps the contents; fmCreate empties.
  {
    TFileStream rw(name, fmOpenReadWrite);
    rw.Seek(0, soEnd);
    rw.WriteBuffer("!", 1);
  }
  EXPECT_EQ(FileSizeOf(name), 5);
  { TFileStream create(name, fmCreate); }
  EXPECT_EQ(FileSizeOf(name), 0);
}

}  // namespace
