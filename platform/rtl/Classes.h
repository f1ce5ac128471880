// The runtime's class library core: objects, persistence, components with
// owners, pointer and string lists, collections, streams and threads.
//
// Sections:
//   TObject, TPersistent ..... ClassName, Assign/AssignTo
//   TComponent ............... owner that deletes, names, notifications, state
//   TList .................... list of pointers
//   TStrings, TStringList .... strings with objects, text forms, sorting
//   TCollection .............. items that know their collection and index
//   Streams .................. TStream, THandleStream, TFileStream, memory, string
//   TThread .................. worker threads and the main-thread queue
//
// Lifetimes: a component is deleted by its owner; one deleted first leaves the
// owner's list. Everything else here is a plain object owned by whoever made it.
// The classes are reference-like, as in the class library: they are not copied.
#pragma once

#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "platform/rtl/SysUtils.h"

// ------------------------------------------------------ TObject, TPersistent

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;
  // The class name of the dynamic type ("TStringList"), taken from the C++
  // type, so derived classes need not override it.
  virtual const char* ClassName() const;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

class TPersistent : public TObject {
 public:
  // Copies source into this object. The default asks source->AssignTo(this)
  // and raises EConvertError "Cannot assign a %s to a %s" when neither side
  // knows the other.
  virtual void Assign(const TPersistent* source);
  // The object that owns this one for naming and streaming (a collection for
  // its items, the owner component for a component); nullptr at the top.
  virtual TPersistent* GetOwner() const { return nullptr; }

 protected:
  virtual void AssignTo(TPersistent* dest) const;
  // Raises EConvertError naming source's class (or "nil") and this class.
  [[noreturn]] void AssignError(const TPersistent* source) const;
};

// ---------------------------------------------------------------- TComponent

enum TOperation { opInsert, opRemove };

enum TComponentStateItem {
  csLoading, csReading, csWriting, csDestroying, csDesigning, csAncestor, csUpdating,
  csFixups, csFreeNotification, csInline, csDesignInstance
};
using TComponentState = std::set<TComponentStateItem>;

class TComponent : public TPersistent {
 public:
  // The owner (may be nullptr) takes the new component into its list and
  // deletes it in its own destructor.
  explicit TComponent(TComponent* owner);
  // Sends opRemove to the components that asked for FreeNotification,
  // deletes the owned components (last first) and leaves the owner's list.
  // A derived class whose owned components refer to its own members calls
  // DestroyComponents() in its own destructor, while those members still exist.
  ~TComponent() override;

  TComponent* Owner() const { return owner_; }
  TPersistent* GetOwner() const override { return owner_; }
  int ComponentCount() const { return static_cast<int>(components_.size()); }
  // EListError "List index out of bounds (%d)" outside 0..ComponentCount()-1.
  TComponent* Components(int index) const;
  // Index in the owner's list, or -1 without an owner.
  int ComponentIndex() const;
  void SetComponentIndex(int index);
  // The owned component of that name, compared without regard to ASCII case; nullptr if none.
  TComponent* FindComponent(std::string_view name) const;

  const AnsiString& Name() const { return name_; }
  // EComponentError "'%s' is not a valid component name" unless empty or an
  // identifier; "A component named %s already exists" when the owner has one.
  virtual void SetName(const AnsiString& name);
  std::intptr_t Tag() const { return tag_; }
  void SetTag(std::intptr_t tag) { tag_ = tag; }

  const TComponentState& ComponentState() const { return state_; }
  bool HasState(TComponentStateItem item) const { return state_.count(item) != 0; }

  // Moves a component into this one's list (leaving its previous owner's).
  void InsertComponent(TComponent* component);
  // Takes a component out of this one's list without deleting it.
  void RemoveComponent(TComponent* component);
  // Deletes every owned component, last first.
  void DestroyComponents();
  // Marks this component and its owned ones csDestroying.
  void Destroying();

  // Asks for Notification(component, opRemove) when component is deleted
  // (both ways: component hears of this one's deletion too).
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

  // Property loading without a form file: BeginLoad sets csLoading and
  // csReading; EndLoad clears them and calls Loaded().
  void BeginLoad();
  void EndLoad();
  void SetDesigning(bool designing);
  // Set csUpdating / clear it, around changes made on behalf of a designer.
  virtual void Updating();
  virtual void Updated();

 protected:
  // Runs after the properties were loaded; clears csLoading.
  virtual void Loaded();
  // Told of every insertion into and removal from the owner's list: the
  // owner passes it on to all its components, as the class library does.
  virtual void Notification(TComponent* component, TOperation operation);
  virtual void ValidateRename(TComponent* component, const AnsiString& curName,
                              const AnsiString& newName);

 private:
  void Insert(TComponent* component);
  void Remove(TComponent* component);

  TComponent* owner_ = nullptr;
  std::vector<TComponent*> components_;
  std::vector<TComponent*> freeNotifies_;
  AnsiString name_;
  std::intptr_t tag_ = 0;
  TComponentState state_;
};

// --------------------------------------------------------------------- TList

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
using TListSortCompare = std::function<int(void* item1, void* item2)>;

// A list of untyped pointers; it never owns what they point to. Index errors
// raise EListError "List index out of bounds (%d)".
class TList : public TObject {
 public:
  TList() = default;
  // Notify is not called from here (the derived part is gone by then), so a
  // derived class that frees items in Notify calls Clear() in its own destructor.
  ~TList() override = default;

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  virtual void Clear();
  int Remove(void* item);  // index it had, or -1
  void* Extract(void* item);
  void Exchange(int index1, int index2);
  void Move(int curIndex, int newIndex);
  int IndexOf(const void* item) const;
  void* First() const;
  void* Last() const;
  // Removes the nullptr items.
  void Pack();
  void Sort(const TListSortCompare& compare);
  void Assign(const TList* source);

  int Count() const { return static_cast<int>(items_.size()); }
  // Growing adds nullptr items; shrinking deletes (Notify lnDeleted).
  void SetCount(int count);
  int Capacity() const { return static_cast<int>(items_.capacity()); }
  void SetCapacity(int capacity);
  void* Items(int index) const;
  void SetItems(int index, void* item);
  void** List() { return items_.data(); }

 protected:
  virtual void Notify(void* item, TListNotification action) {}
  [[noreturn]] static void Error(const char* message, int data);

 private:
  std::vector<void*> items_;
};

// ----------------------------------------------------- TStrings, TStringList

class TStream;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The abstract string list with an object per string. Controls' item lists
// derive from it and supply Get/GetCount/Insert/Delete/Clear; the text forms,
// name=value access, searching and file I/O are written once here.
class TStrings : public TPersistent {
 public:
  TStrings() = default;

  virtual int Add(const AnsiString& s);
  virtual int AddObject(const AnsiString& s, TObject* object);
  void Append(const AnsiString& s) { Add(s); }
  virtual void AddStrings(const TStrings* strings);
  // Copies strings and object pointers from another TStrings.
  void Assign(const TPersistent* source) override;
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const AnsiString& s) = 0;
  virtual void InsertObject(int index, const AnsiString& s, TObject* object);
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // Index of the first string equal to s (without regard to case unless the
  // list is case-sensitive), or -1.
  virtual int IndexOf(const AnsiString& s) const;
  int IndexOfName(const AnsiString& name) const;
  int IndexOfObject(const TObject* object) const;
  bool Equals(const TStrings* strings) const;

  // Nested calls; the list tells its observers once, at the outer EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }

  int Count() const { return GetCount(); }
  AnsiString Strings(int index) const { return Get(index); }
  void SetStrings(int index, const AnsiString& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  // "name=value" lines: Names(i) is the part before the separator ("" when
  // the line has none); Values(name) the part after it for the first line of
  // that name. SetValues with "" deletes the line; an unknown name appends.
  AnsiString Names(int index) const;
  AnsiString Values(const AnsiString& name) const;
  void SetValues(const AnsiString& name, const AnsiString& value);
  AnsiString ValueFromIndex(int index) const;
  void SetValueFromIndex(int index, const AnsiString& value);
  char NameValueSeparator() const { return nameValueSeparator_; }
  void SetNameValueSeparator(char c) { nameValueSeparator_ = c; }

  // Each string followed by CR LF. Setting splits at CR, LF or CR LF; a final
  // line break does not make an empty last string.
  AnsiString Text() const { return GetTextStr(); }
  void SetText(std::string_view text) { SetTextStr(text); }
  // DelimitedText with ',' and '"'.
  AnsiString CommaText() const;
  void SetCommaText(std::string_view text);
  // Strings joined by Delimiter; a string holding a character at or below
  // the blank, QuoteChar or Delimiter is quoted with inner quotes doubled; a
  // single empty string is written as two quotes. Reading splits at Delimiter
  // and, outside quotes, at characters at or below the blank (unless
  // StrictDelimiter).
  AnsiString DelimitedText() const;
  void SetDelimitedText(std::string_view text);
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char c) { delimiter_ = c; }
  char QuoteChar() const { return quoteChar_; }
  void SetQuoteChar(char c) { quoteChar_ = c; }
  bool StrictDelimiter() const { return strictDelimiter_; }
  void SetStrictDelimiter(bool strict) { strictDelimiter_ = strict; }

  // Code page 949 text, lines ended by CR LF on writing; the file name is
  // code page 949 too. EFOpenError / EFCreateError name the file.
  virtual void LoadFromFile(const AnsiString& fileName);
  virtual void LoadFromStream(TStream& stream);
  virtual void SaveToFile(const AnsiString& fileName) const;
  virtual void SaveToStream(TStream& stream) const;

 protected:
  virtual AnsiString Get(int index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int index) const { return nullptr; }
  // Default: delete and insert again, keeping the object.
  virtual void Put(int index, const AnsiString& s);
  virtual void PutObject(int index, TObject* object) {}
  // Called with true at the first BeginUpdate and false at the last EndUpdate.
  virtual void SetUpdateState(bool updating) {}
  virtual AnsiString GetTextStr() const;
  virtual void SetTextStr(std::string_view text);
  // Negative, 0 or positive; the default compares without regard to case.
  virtual int CompareStrings(const AnsiString& s1, const AnsiString& s2) const;
  // Raises EStringListError with message formatted with data.
  [[noreturn]] void Error(const char* message, int data) const;

 private:
  int updateCount_ = 0;
  char delimiter_ = ',';
  char quoteChar_ = '"';
  char nameValueSeparator_ = '=';
  bool strictDelimiter_ = false;
};

class TStringList;
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

class TStringList : public TStrings {
 public:
  TStringList() = default;
  explicit TStringList(bool ownsObjects) : ownsObjects_(ownsObjects) {}
  // Deletes the objects when OwnsObjects.
  ~TStringList() override;

  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* object) override;
  void Exchange(int index1, int index2) override;
  int IndexOf(const AnsiString& s) const override;
  // Binary search of a sorted list: true and the index when found, else false
  // and the index where s belongs.
  virtual bool Find(const AnsiString& s, int& index) const;
  virtual void Sort();
  // Stable order is not promised; compare returns negative, 0 or positive.
  virtual void CustomSort(const TStringListSortCompare& compare);

  // The string without a copy (the TStrings form returns one).
  const AnsiString& Strings(int index) const;

  bool Sorted() const { return sorted_; }
  void SetSorted(bool sorted);
  // What Add does with a string already in a sorted list: dupIgnore skips it
  // (returning the existing index), dupError raises EStringListError
  // "String list does not allow duplicates".
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool caseSensitive);
  bool OwnsObjects() const { return ownsObjects_; }
  void SetOwnsObjects(bool owns) { ownsObjects_ = owns; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

 protected:
  virtual void Changed();
  virtual void Changing();
  AnsiString Get(int index) const override;
  int GetCount() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;
  int CompareStrings(const AnsiString& s1, const AnsiString& s2) const override;
  virtual void InsertItem(int index, const AnsiString& s, TObject* object);

 private:
  struct TStringItem {
    AnsiString string;
    TObject* object = nullptr;
  };
  void CheckIndex(int index) const;
  void QuickSort(const TStringListSortCompare& compare);

  std::vector<TStringItem> items_;
  bool sorted_ = false;
  bool caseSensitive_ = false;
  bool ownsObjects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

// --------------------------------------------------------------- TCollection

class TCollection;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };

class TCollectionItem : public TPersistent {
 public:
  // Joins collection (when not nullptr) at its end, with the next ID.
  explicit TCollectionItem(TCollection* collection);
  // Leaves the collection, which then updates.
  ~TCollectionItem() override;

  TCollection* Collection() const { return collection_; }
  // Moves the item to another collection (or out of any, with nullptr).
  void SetCollection(TCollection* collection);
  int Index() const;
  // Moves the item to that position; EListError when out of bounds.
  virtual void SetIndex(int index);
  // Unique within the collection for its whole life; never reused.
  int ID() const { return id_; }
  virtual AnsiString DisplayName() const;
  virtual void SetDisplayName(const AnsiString& name) {}
  TPersistent* GetOwner() const override;

 protected:
  // Tells the collection: Update(this), or Update(nullptr) when allItems;
  // nothing while the collection is updating.
  virtual void Changed(bool allItems);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

// Creates an item of the collection's class inside the collection.
using TCollectionItemClass = std::function<TCollectionItem*(TCollection* collection)>;

class TCollection : public TPersistent {
 public:
  TCollection(TCollectionItemClass itemClass, TPersistent* owner = nullptr);
  // The item factory for a class T constructible from TCollection*.
  template <class T>
  static TCollectionItemClass ItemClassOf() {
    return [](TCollection* c) -> TCollectionItem* { return new T(c); };
  }
  // Deletes the items without calling Update.
  ~TCollection() override;

  // A new item of the item class at the end / at index (Count() allowed).
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  void Delete(int index);
  virtual void Clear();
  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (%d)" outside 0..Count()-1.
  TCollectionItem* Items(int index) const;
  // Assigns item to the item at index.
  void SetItems(int index, const TCollectionItem* item);
  TCollectionItem* FindItemID(int id) const;
  // Clears and copies every item of source (of a compatible item class).
  void Assign(const TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  const TCollectionItemClass& ItemClass() const { return itemClass_; }

  // Changes made between them end in one Update(nullptr).
  virtual void BeginUpdate();
  virtual void EndUpdate();
  int UpdateCount() const { return updateCount_; }

 protected:
  // item is the changed item, or nullptr when the whole collection changed.
  virtual void Update(TCollectionItem* item) {}
  virtual void Notify(TCollectionItem* item, TCollectionNotification action) {}
  // Update(nullptr) unless updating.
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  TCollectionItem* CreateItemAt(int index);

  TCollectionItemClass itemClass_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int nextId_ = 0;
  int updateCount_ = 0;
  // Set while Add/Insert construct an item: the item's constructor joins
  // silently and Add/Insert announce it once it is whole.
  bool constructing_ = false;
};

// ------------------------------------------------------------------- Streams

enum TSeekOrigin { soBeginning, soCurrent, soEnd };
// The older names of the origins, the same values.
inline constexpr TSeekOrigin soFromBeginning = soBeginning;
inline constexpr TSeekOrigin soFromCurrent = soCurrent;
inline constexpr TSeekOrigin soFromEnd = soEnd;

// Open modes: one access mode, or'ed with one share mode (shares are not
// enforced on this system; they are accepted for the callers' sake).
inline constexpr Word fmCreate = 0xFF00;
inline constexpr Word fmOpenRead = 0x0000;
inline constexpr Word fmOpenWrite = 0x0001;
inline constexpr Word fmOpenReadWrite = 0x0002;
inline constexpr Word fmShareCompat = 0x0000;
inline constexpr Word fmShareExclusive = 0x0010;
inline constexpr Word fmShareDenyWrite = 0x0020;
inline constexpr Word fmShareDenyRead = 0x0030;
inline constexpr Word fmShareDenyNone = 0x0040;

class TStream : public TObject {
 public:
  // Return the number of bytes moved, which may be fewer than count.
  virtual Int64 Read(void* buffer, Int64 count) = 0;
  virtual Int64 Write(const void* buffer, Int64 count) = 0;
  // Returns the new position.
  virtual Int64 Seek(Int64 offset, TSeekOrigin origin) = 0;

  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, Int64 count);
  void WriteBuffer(const void* buffer, Int64 count);
  // Copies count bytes from source's position; count 0 copies all of source
  // from its start. Returns the bytes copied.
  Int64 CopyFrom(TStream* source, Int64 count);

  Int64 Position() const;
  void SetPosition(Int64 position);
  virtual Int64 Size() const;
  virtual void SetSize(Int64 size);
};

// A stream over a file descriptor it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(int handle) : handle_(handle) {}
  int Handle() const { return handle_; }
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  void SetSize(Int64 size) override;

 protected:
  int handle_;
};

class TFileStream : public THandleStream {
 public:
  // fileName is code page 949. fmCreate creates or empties the file
  // (EFCreateError "Cannot create file \"%s\". %s"); the other modes open an
  // existing one (EFOpenError "Cannot open file \"%s\". %s"), the second %s
  // being the system's reason.
  TFileStream(const AnsiString& fileName, Word mode, Cardinal rights = 0);
  ~TFileStream() override;
  const AnsiString& FileName() const { return fileName_; }

 private:
  AnsiString fileName_;
};

class TCustomMemoryStream : public TStream {
 public:
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() const override { return size_; }
  void* Memory() { return memory_; }
  const void* Memory() const { return memory_; }
  void SaveToStream(TStream& stream) const;
  void SaveToFile(const AnsiString& fileName) const;

 protected:
  void SetPointer(void* memory, Int64 size);

  char* memory_ = nullptr;
  Int64 size_ = 0;
  Int64 position_ = 0;
};

class TMemoryStream : public TCustomMemoryStream {
 public:
  TMemoryStream() = default;
  ~TMemoryStream() override;
  Int64 Write(const void* buffer, Int64 count) override;
  // Growing keeps the contents (the new bytes are zero); the position stays
  // unless it is past the new end.
  void SetSize(Int64 size) override;
  void Clear();
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const AnsiString& fileName);

 private:
  void SetCapacity(Int64 capacity);
  Int64 capacity_ = 0;
};

// A memory stream over a string of bytes.
class TStringStream : public TStream {
 public:
  explicit TStringStream(AnsiString data = {}) : data_(std::move(data)) {}
  Int64 Read(void* buffer, Int64 count) override;
  Int64 Write(const void* buffer, Int64 count) override;
  Int64 Seek(Int64 offset, TSeekOrigin origin) override;
  Int64 Size() const override { return static_cast<Int64>(data_.size()); }
  void SetSize(Int64 size) override;
  const AnsiString& DataString() const { return data_; }
  // Up to count bytes from the position.
  AnsiString ReadString(Int64 count);
  void WriteString(std::string_view s);

 private:
  AnsiString data_;
  Int64 position_ = 0;
};

// ------------------------------------------------------------------- TThread

using TThreadMethod = std::function<void()>;

// A worker thread. Execute runs on its own std::thread; it reaches the main
// thread only through Synchronize (waits until the main thread ran the
// method), Queue (does not wait) and OnTerminate (run on the main thread,
// through the queue, after Execute returns). The main thread runs them in
// CheckSynchronize, which the application's message loop calls.
//
// A derived class whose Execute uses its own members calls Terminate() and
// WaitFor() in its destructor: by the time ~TThread runs they are gone.
class TThread : public TObject {
 public:
  // Starts at once unless createSuspended (then Start() starts it). A derived
  // class passes true and calls Start() at the end of its own constructor:
  // started from here, the thread could reach Execute before the derived
  // object exists.
  explicit TThread(bool createSuspended);
  // Terminates and waits for a running thread; drops its queued methods.
  ~TThread() override;

  void Start();
  void Resume() { Start(); }
  // Asks Execute to stop: Terminated() becomes true.
  void Terminate();
  bool Terminated() const { return terminated_.load(); }
  // Waits until Execute returned and OnTerminate ran; on the main thread it
  // keeps running the queue meanwhile, so a worker waiting in Synchronize
  // cannot deadlock it. Returns ReturnValue().
  int WaitFor();
  bool Finished() const { return finished_.load(); }
  bool Suspended() const { return !started_; }

  // The thread deletes itself after OnTerminate ran.
  bool FreeOnTerminate() const { return freeOnTerminate_.load(); }
  void SetFreeOnTerminate(bool value) { freeOnTerminate_ = value; }
  int ReturnValue() const { return returnValue_.load(); }
  std::thread::id ThreadID() const { return threadId_; }
  // The exception that ended Execute, if one did (it is not re-raised).
  std::exception_ptr FatalException() const { return fatalException_; }

  // Sender is the thread. Not called for a thread deleted while running.
  TNotifyEvent OnTerminate;

  // Run method on the main thread; from the main thread itself they run it at
  // once. An exception in a synchronized method is raised again in the
  // calling worker; one in a queued method comes out of CheckSynchronize.
  static void Synchronize(TThread* thread, const TThreadMethod& method);
  static void Queue(TThread* thread, const TThreadMethod& method);
  // Drops the methods thread queued that have not run yet.
  static void RemoveQueuedEvents(TThread* thread);
  static bool IsMainThread();
  static std::thread::id MainThreadID();

 protected:
  virtual void Execute() = 0;
  // Runs OnTerminate on the main thread (through Synchronize).
  virtual void DoTerminate();
  void Synchronize(const TThreadMethod& method) { Synchronize(this, method); }
  void Queue(const TThreadMethod& method) { Queue(this, method); }
  void SetReturnValue(int value) { returnValue_ = value; }

 private:
  static void Run(TThread* thread);

  std::thread thread_;
  std::thread::id threadId_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> freeOnTerminate_{false};
  // Set by the destructor: methods queued from then on are dropped.
  std::atomic<bool> destroying_{false};
  std::atomic<int> returnValue_{0};
  std::exception_ptr fatalException_;
  bool started_ = false;
};

// Runs the methods that workers synchronized or queued, waiting up to
// timeoutMs for the first one. Returns whether anything ran. Main thread only
// (EThread otherwise).
bool CheckSynchronize(int timeoutMs = 0);

// Called (from any thread) when a method was queued for the main thread; the
// window layer sets it so that its event loop wakes and calls CheckSynchronize.
// Set it while no worker runs (at start-up): workers read it unguarded.
extern std::function<void()> WakeMainThread;
