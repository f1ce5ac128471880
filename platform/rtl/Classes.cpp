// TObject, TPersistent, TComponent, TList and TCollection. String lists are in
// ClassesStrings.cpp, streams in ClassesStreams.cpp, threads in ClassesThread.cpp.
//
// Component destruction, as the class library orders it:
//   ~TComponent
//     Destroying()                      csDestroying on this and every owned component
//     FreeNotification partners         Notification(this, opRemove)
//     DestroyComponents()               last first: taken out silently, then deleted
//     owner_->RemoveComponent(this)     owner and its other components hear opRemove
#include "platform/rtl/Classes.h"

#include <cxxabi.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>
#include <typeindex>

namespace {

const char kListIndexError[] = "List index out of bounds (%d)";
const char kListCapacityError[] = "List capacity out of bounds (%d)";
const char kListCountError[] = "List count out of bounds (%d)";

bool IsValidIdent(std::string_view s) {
  if (s.empty()) return false;
  auto isAlpha = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
  if (!isAlpha(s[0])) return false;
  return std::all_of(s.begin() + 1, s.end(),
                     [&](char c) { return isAlpha(c) || (c >= '0' && c <= '9'); });
}

}  // namespace

// ------------------------------------------------------ TObject, TPersistent

const char* TObject::ClassName() const {
  // Demangled once per type and kept for the life of the program, so the
  // pointer stays valid.
  static std::mutex mutex;
  static std::map<std::type_index, std::string> names;
  std::type_index type(typeid(*this));
  std::lock_guard lock(mutex);
  auto it = names.find(type);
  if (it == names.end()) {
    int status = 0;
    char* demangled = abi::__cxa_demangle(type.name(), nullptr, nullptr, &status);
    std::string name = status == 0 && demangled ? demangled : type.name();
    std::free(demangled);
    // Only the class's own name, as the class library gives it.
    if (auto colon = name.rfind("::"); colon != std::string::npos) name.erase(0, colon + 2);
    it = names.emplace(type, std::move(name)).first;
  }
  return it->second.c_str();
}

void TPersistent::Assign(const TPersistent* source) {
  if (source != nullptr)
    source->AssignTo(this);
  else
    AssignError(nullptr);
}

void TPersistent::AssignTo(TPersistent* dest) const { dest->AssignError(this); }

void TPersistent::AssignError(const TPersistent* source) const {
  throw EConvertError(Format("Cannot assign a %s to a %s",
                             {source ? source->ClassName() : "nil", ClassName()}));
}

// ---------------------------------------------------------------- TComponent

TComponent::TComponent(TComponent* owner) {
  if (owner != nullptr) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  Destroying();
  // A partner may remove itself from the list while being told.
  while (!freeNotifies_.empty()) {
    TComponent* partner = freeNotifies_.back();
    freeNotifies_.pop_back();
    partner->Notification(this, opRemove);
    auto& back = partner->freeNotifies_;
    back.erase(std::remove(back.begin(), back.end(), this), back.end());
  }
  DestroyComponents();
  if (owner_ != nullptr) owner_->RemoveComponent(this);
}

TComponent* TComponent::Components(int index) const {
  if (index < 0 || index >= ComponentCount())
    throw EListError(Format(kListIndexError, {index}));
  return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
  if (owner_ == nullptr) return -1;
  auto& list = owner_->components_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TComponent::SetComponentIndex(int index) {
  if (owner_ == nullptr) return;
  auto& list = owner_->components_;
  int current = ComponentIndex();
  if (current < 0) return;
  int last = static_cast<int>(list.size()) - 1;
  index = std::clamp(index, 0, last);
  if (index == current) return;
  list.erase(list.begin() + current);
  list.insert(list.begin() + index, this);
}

TComponent* TComponent::FindComponent(std::string_view name) const {
  if (name.empty()) return nullptr;
  for (TComponent* c : components_)
    if (SameText(c->name_, name)) return c;
  return nullptr;
}

void TComponent::SetName(const AnsiString& name) {
  if (name_ == name) return;
  if (!name.empty() && !IsValidIdent(name))
    throw EComponentError(Format("'%s' is not a valid component name", {name}));
  if (owner_ != nullptr)
    owner_->ValidateRename(this, name_, name);
  else
    ValidateRename(nullptr, name_, name);
  name_ = name;
}

void TComponent::ValidateRename(TComponent* component, const AnsiString& curName,
                                const AnsiString& newName) {
  if (component == nullptr || newName.empty() || SameText(curName, newName)) return;
  TComponent* existing = FindComponent(newName);
  if (existing != nullptr && existing != component)
    throw EComponentError(Format("A component named %s already exists", {newName}));
}

void TComponent::Insert(TComponent* component) {
  components_.push_back(component);
  component->owner_ = this;
}

void TComponent::Remove(TComponent* component) {
  components_.erase(std::remove(components_.begin(), components_.end(), component),
                    components_.end());
  component->owner_ = nullptr;
}

void TComponent::InsertComponent(TComponent* component) {
  if (component == nullptr || component->owner_ == this) return;
  if (component->owner_ != nullptr) component->owner_->RemoveComponent(component);
  ValidateRename(component, {}, component->name_);
  Insert(component);
  if (HasState(csDesigning)) component->SetDesigning(true);
  Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  if (component == nullptr || component->owner_ != this) return;
  // Told before it leaves, so the component itself hears of it too.
  Notification(component, opRemove);
  Remove(component);
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    TComponent* instance = components_.back();
    // Taken out without notifications: the owner is going away as well.
    // One that asked for free notifications is removed the full way.
    if (instance->HasState(csFreeNotification))
      RemoveComponent(instance);
    else
      Remove(instance);
    delete instance;
  }
}

void TComponent::Destroying() {
  if (HasState(csDestroying)) return;
  state_.insert(csDestroying);
  for (TComponent* c : components_) c->Destroying();
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == opRemove && component != nullptr) RemoveFreeNotification(component);
  // Walk down, coping with components that leave while being told.
  for (int i = ComponentCount() - 1; i >= 0; --i) {
    if (i >= ComponentCount()) {
      i = ComponentCount();
      continue;
    }
    components_[static_cast<std::size_t>(i)]->Notification(component, operation);
  }
}

void TComponent::FreeNotification(TComponent* component) {
  if (component == nullptr || component == this) return;
  // Components of the same owner hear of each other anyway, but the class
  // library keeps the pair regardless; so do we.
  state_.insert(csFreeNotification);
  if (std::find(freeNotifies_.begin(), freeNotifies_.end(), component) == freeNotifies_.end())
    freeNotifies_.push_back(component);
  auto& other = component->freeNotifies_;
  if (std::find(other.begin(), other.end(), this) == other.end()) other.push_back(this);
  component->state_.insert(csFreeNotification);
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  freeNotifies_.erase(std::remove(freeNotifies_.begin(), freeNotifies_.end(), component),
                      freeNotifies_.end());
  auto& other = component->freeNotifies_;
  other.erase(std::remove(other.begin(), other.end(), this), other.end());
}

void TComponent::BeginLoad() {
  state_.insert(csLoading);
  state_.insert(csReading);
}

void TComponent::EndLoad() {
  state_.erase(csReading);
  Loaded();
}

void TComponent::Loaded() { state_.erase(csLoading); }

void TComponent::SetDesigning(bool designing) {
  if (designing)
    state_.insert(csDesigning);
  else
    state_.erase(csDesigning);
  for (TComponent* c : components_) c->SetDesigning(designing);
}

void TComponent::Updating() { state_.insert(csUpdating); }

void TComponent::Updated() { state_.erase(csUpdating); }

// --------------------------------------------------------------------- TList

void TList::Error(const char* message, int data) { throw EListError(Format(message, {data})); }

int TList::Add(void* item) {
  items_.push_back(item);
  if (item != nullptr) Notify(item, lnAdded);
  return Count() - 1;
}

void TList::Insert(int index, void* item) {
  if (index < 0 || index > Count()) Error(kListIndexError, index);
  items_.insert(items_.begin() + index, item);
  if (item != nullptr) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
  void* item = items_[static_cast<std::size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item != nullptr) Notify(item, lnDeleted);
}

void TList::Clear() {
  // Delete one by one so that Notify sees every item, last first.
  while (!items_.empty()) Delete(Count() - 1);
  items_.shrink_to_fit();
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

void TList::Exchange(int index1, int index2) {
  if (index1 < 0 || index1 >= Count()) Error(kListIndexError, index1);
  if (index2 < 0 || index2 >= Count()) Error(kListIndexError, index2);
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
}

void TList::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  if (curIndex < 0 || curIndex >= Count()) Error(kListIndexError, curIndex);
  if (newIndex < 0 || newIndex >= Count()) Error(kListIndexError, newIndex);
  void* item = items_[static_cast<std::size_t>(curIndex)];
  items_.erase(items_.begin() + curIndex);
  items_.insert(items_.begin() + newIndex, item);
}

int TList::IndexOf(const void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void* TList::First() const { return Items(0); }

void* TList::Last() const { return Items(Count() - 1); }

void TList::Pack() { items_.erase(std::remove(items_.begin(), items_.end(), nullptr), items_.end()); }

void TList::Sort(const TListSortCompare& compare) {
  std::sort(items_.begin(), items_.end(),
            [&](void* a, void* b) { return compare(a, b) < 0; });
}

void TList::Assign(const TList* source) {
  if (source == this) return;
  Clear();
  for (void* item : source->items_) Add(item);
}

void TList::SetCount(int count) {
  if (count < 0) Error(kListCountError, count);
  while (Count() > count) Delete(Count() - 1);
  items_.resize(static_cast<std::size_t>(count), nullptr);
}

void TList::SetCapacity(int capacity) {
  if (capacity < Count()) Error(kListCapacityError, capacity);
  items_.reserve(static_cast<std::size_t>(capacity));
}

void* TList::Items(int index) const {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
  return items_[static_cast<std::size_t>(index)];
}

void TList::SetItems(int index, void* item) {
  if (index < 0 || index >= Count()) Error(kListIndexError, index);
  void*& slot = items_[static_cast<std::size_t>(index)];
  if (slot == item) return;
  void* old = slot;
  slot = item;
  if (old != nullptr) Notify(old, lnDeleted);
  if (item != nullptr) Notify(item, lnAdded);
}

// --------------------------------------------------------------- TCollection

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
  if (collection_ != nullptr) collection_->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection_ == collection) return;
  if (collection_ != nullptr) collection_->RemoveItem(this);
  if (collection != nullptr) collection->InsertItem(this);
}

int TCollectionItem::Index() const {
  if (collection_ == nullptr) return -1;
  auto& items = collection_->items_;
  auto it = std::find(items.begin(), items.end(), this);
  return it == items.end() ? -1 : static_cast<int>(it - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int current = Index();
  if (current < 0 || current == index) return;
  auto& items = collection_->items_;
  if (index < 0 || index >= static_cast<int>(items.size()))
    throw EListError(Format(kListIndexError, {index}));
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

AnsiString TCollectionItem::DisplayName() const { return ClassName(); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool allItems) {
  if (collection_ != nullptr && collection_->updateCount_ == 0)
    collection_->Update(allItems ? nullptr : this);
}

TCollection::TCollection(TCollectionItemClass itemClass, TPersistent* owner)
    : itemClass_(std::move(itemClass)), owner_(owner) {}

TCollection::~TCollection() {
  // No Update while the collection itself is going away.
  updateCount_ = 1;
  while (!items_.empty()) delete items_.back();
}

TCollectionItem* TCollection::CreateItemAt(int index) {
  if (index < 0 || index > Count()) throw EListError(Format(kListIndexError, {index}));
  constructing_ = true;
  TCollectionItem* item = nullptr;
  try {
    item = itemClass_(this);
  } catch (...) {
    constructing_ = false;
    throw;
  }
  constructing_ = false;
  if (item == nullptr || item->collection_ != this)
    throw EInvalidOperation("Collection item class does not join its collection");
  // The item joined at the end; put it where it was asked for.
  if (index != Count() - 1) {
    items_.pop_back();
    items_.insert(items_.begin() + index, item);
  }
  Notify(item, cnAdded);
  Changed();
  return item;
}

TCollectionItem* TCollection::Add() { return CreateItemAt(Count()); }

TCollectionItem* TCollection::Insert(int index) { return CreateItemAt(index); }

void TCollection::Delete(int index) {
  TCollectionItem* item = Items(index);
  Notify(item, cnDeleting);
  delete item;
}

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  try {
    while (!items_.empty()) {
      Notify(items_.back(), cnDeleting);
      delete items_.back();
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TCollectionItem* TCollection::Items(int index) const {
  if (index < 0 || index >= Count()) throw EListError(Format(kListIndexError, {index}));
  return items_[static_cast<std::size_t>(index)];
}

void TCollection::SetItems(int index, const TCollectionItem* item) { Items(index)->Assign(item); }

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TCollection*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TCollection::BeginUpdate() { ++updateCount_; }

void TCollection::EndUpdate() {
  if (updateCount_ > 0) --updateCount_;
  Changed();
}

void TCollection::Changed() {
  if (updateCount_ == 0) Update(nullptr);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = nextId_++;
  // During Add/Insert the item is not whole yet; they announce it afterwards.
  if (constructing_) return;
  Notify(item, cnAdded);
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  items_.erase(std::remove(items_.begin(), items_.end(), item), items_.end());
  item->collection_ = nullptr;
  Changed();
}
