// TStrings and TStringList: the shared string-list logic (text forms,
// name=value lines, searching, files) and the vector-backed list.
#include <algorithm>

#include "platform/rtl/Classes.h"

namespace {

const char kListIndexError[] = "List index out of bounds (%d)";
const char kSortedListError[] = "Operation not allowed on sorted list";
const char kDuplicateString[] = "String list does not allow duplicates";

// Characters at or below the blank, judged as unsigned bytes: Hangul lead
// and trail bytes are never blanks.
inline bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

// Reads a quoted item starting at text[pos] (the quote): doubled quotes
// stand for one; an item whose closing quote is missing runs to the end.
AnsiString ExtractQuoted(std::string_view text, std::size_t& pos, char quote) {
  AnsiString result;
  ++pos;
  while (pos < text.size()) {
    char c = text[pos];
    if (c == quote) {
      if (pos + 1 < text.size() && text[pos + 1] == quote) {
        result += quote;
        pos += 2;
        continue;
      }
      ++pos;
      return result;
    }
    // A two-byte character is copied whole, so its trail byte is never taken
    // for a quote.
    if (IsLeadByte(static_cast<unsigned char>(c)) && pos + 1 < text.size()) {
      result.append(text.substr(pos, 2));
      pos += 2;
      continue;
    }
    result += c;
    ++pos;
  }
  return result;
}

// The delimited form of a list (see TStrings::DelimitedText).
AnsiString JoinDelimited(const TStrings& list, char delimiter, char quote, bool strict) {
  int n = list.Count();
  if (n == 1 && list.Strings(0).empty()) return AnsiString(2, quote);
  AnsiString result;
  for (int i = 0; i < n; ++i) {
    AnsiString s = list.Strings(i);
    bool needsQuotes = false;
    for (std::size_t p = 0; p < s.size(); ++p) {
      char c = s[p];
      if (IsLeadByte(static_cast<unsigned char>(c)) && p + 1 < s.size()) {
        ++p;  // the trail byte is part of the character, never a delimiter
        continue;
      }
      if (c == quote || c == delimiter || (!strict && IsBlank(c)) || c == '\0') {
        needsQuotes = true;
        break;
      }
    }
    if (needsQuotes) {
      AnsiString quoted(1, quote);
      for (char c : s) {
        quoted += c;
        if (c == quote) quoted += c;
      }
      quoted += quote;
      s = std::move(quoted);
    }
    if (i > 0) result += delimiter;
    result += s;
  }
  return result;
}

// Replaces the list's strings by the elements of a delimited text.
void SplitDelimited(TStrings& list, std::string_view text, char delimiter, char quote,
                    bool strict) {
  list.BeginUpdate();
  try {
    list.Clear();
    std::size_t pos = 0;
    const std::size_t size = text.size();
    auto skipBlanks = [&] {
      if (strict) return;
      while (pos < size && IsBlank(text[pos])) ++pos;
    };
    skipBlanks();
    while (pos < size) {
      AnsiString item;
      if (text[pos] == quote) {
        item = ExtractQuoted(text, pos, quote);
      } else {
        std::size_t start = pos;
        while (pos < size && text[pos] != delimiter && (strict || !IsBlank(text[pos]))) {
          // Step over a whole two-byte character.
          pos += IsLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < size ? 2 : 1;
        }
        item.assign(text.substr(start, pos - start));
      }
      list.Add(item);
      skipBlanks();
      if (pos < size && text[pos] == delimiter) {
        // A delimiter at the very end stands before one more, empty, item.
        if (pos + 1 == size) list.Add({});
        ++pos;
        skipBlanks();
      } else if (strict && pos < size) {
        // Text after a closing quote, up to the delimiter, belongs to no item.
        while (pos < size && text[pos] != delimiter) ++pos;
        if (pos + 1 == size) list.Add({});
        if (pos < size) ++pos;
      }
    }
  } catch (...) {
    list.EndUpdate();
    throw;
  }
  list.EndUpdate();
}

}  // namespace

// ------------------------------------------------------------------ TStrings

void TStrings::Error(const char* message, int data) const {
  throw EStringListError(Format(message, {data}));
}

int TStrings::Add(const AnsiString& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const AnsiString& s, TObject* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::AddStrings(const TStrings* strings) {
  if (strings == nullptr) return;
  BeginUpdate();
  try {
    for (int i = 0; i < strings->GetCount(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TStrings*>(source);
  if (other == nullptr) {
    TPersistent::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    delimiter_ = other->delimiter_;
    quoteChar_ = other->quoteChar_;
    nameValueSeparator_ = other->nameValueSeparator_;
    strictDelimiter_ = other->strictDelimiter_;
    AddStrings(other);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::InsertObject(int index, const AnsiString& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

void TStrings::Put(int index, const AnsiString& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::Exchange(int index1, int index2) {
  BeginUpdate();
  try {
    AnsiString s = Get(index1);
    TObject* object = GetObject(index1);
    Put(index1, Get(index2));
    PutObject(index1, GetObject(index2));
    Put(index2, s);
    PutObject(index2, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  BeginUpdate();
  try {
    AnsiString s = Get(curIndex);
    TObject* object = GetObject(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::IndexOf(const AnsiString& s) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const AnsiString& name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    AnsiString s = Get(i);
    auto sep = s.find(nameValueSeparator_);
    if (sep != AnsiString::npos && CompareStrings(s.substr(0, sep), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

bool TStrings::Equals(const TStrings* strings) const {
  if (strings == nullptr || strings->GetCount() != GetCount()) return false;
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (Get(i) != strings->Get(i)) return false;
  return true;
}

void TStrings::BeginUpdate() {
  if (updateCount_ == 0) SetUpdateState(true);
  ++updateCount_;
}

void TStrings::EndUpdate() {
  if (updateCount_ == 0) return;
  --updateCount_;
  if (updateCount_ == 0) SetUpdateState(false);
}

AnsiString TStrings::Names(int index) const {
  AnsiString s = Get(index);
  auto sep = s.find(nameValueSeparator_);
  return sep == AnsiString::npos ? AnsiString() : s.substr(0, sep);
}

AnsiString TStrings::Values(const AnsiString& name) const {
  int index = IndexOfName(name);
  return index < 0 ? AnsiString() : ValueFromIndex(index);
}

void TStrings::SetValues(const AnsiString& name, const AnsiString& value) {
  int index = IndexOfName(name);
  if (!value.empty()) {
    if (index < 0) index = Add({});
    Put(index, name + nameValueSeparator_ + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

AnsiString TStrings::ValueFromIndex(int index) const {
  AnsiString s = Get(index);
  auto sep = s.find(nameValueSeparator_);
  return sep == AnsiString::npos ? AnsiString() : s.substr(sep + 1);
}

void TStrings::SetValueFromIndex(int index, const AnsiString& value) {
  if (!value.empty()) {
    if (index < 0) index = Add({});
    Put(index, Names(index) + nameValueSeparator_ + value);
  } else if (index >= 0) {
    Delete(index);
  }
}

AnsiString TStrings::GetTextStr() const {
  AnsiString text;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

void TStrings::SetTextStr(std::string_view text) {
  BeginUpdate();
  try {
    Clear();
    std::size_t pos = 0;
    while (pos < text.size()) {
      std::size_t end = text.find_first_of("\r\n", pos);
      if (end == std::string_view::npos) {
        Add(AnsiString(text.substr(pos)));
        break;
      }
      Add(AnsiString(text.substr(pos, end - pos)));
      pos = end + 1;
      if (text[end] == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

AnsiString TStrings::CommaText() const { return JoinDelimited(*this, ',', '"', false); }

void TStrings::SetCommaText(std::string_view text) { SplitDelimited(*this, text, ',', '"', false); }

AnsiString TStrings::DelimitedText() const {
  return JoinDelimited(*this, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::SetDelimitedText(std::string_view text) {
  SplitDelimited(*this, text, delimiter_, quoteChar_, strictDelimiter_);
}

void TStrings::LoadFromFile(const AnsiString& fileName) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TStrings::LoadFromStream(TStream& stream) {
  Int64 remaining = stream.Size() - stream.Position();
  AnsiString text;
  if (remaining > 0) {
    text.resize(static_cast<std::size_t>(remaining));
    text.resize(static_cast<std::size_t>(stream.Read(text.data(), remaining)));
  }
  SetTextStr(text);
}

void TStrings::SaveToFile(const AnsiString& fileName) const {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream);
}

void TStrings::SaveToStream(TStream& stream) const {
  AnsiString text = GetTextStr();
  stream.WriteBuffer(text.data(), static_cast<Int64>(text.size()));
}

int TStrings::CompareStrings(const AnsiString& s1, const AnsiString& s2) const {
  return AnsiCompareText(s1, s2);
}

// --------------------------------------------------------------- TStringList

TStringList::~TStringList() {
  // No OnChange from a list that is going away.
  OnChange = nullptr;
  OnChanging = nullptr;
  if (ownsObjects_)
    for (auto& item : items_) delete item.object;
}

void TStringList::CheckIndex(int index) const {
  if (index < 0 || index >= GetCount()) Error(kListIndexError, index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

int TStringList::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringList::AddObject(const AnsiString& s, TObject* object) {
  int index = GetCount();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) throw EStringListError(kDuplicateString);
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::InsertItem(int index, const AnsiString& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, TStringItem{s, object});
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  // The list is emptied before the objects go, so a destructor that looks
  // at the list finds it consistent.
  std::vector<TStringItem> old;
  old.swap(items_);
  if (ownsObjects_)
    for (auto& item : old) delete item.object;
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* object = items_[static_cast<std::size_t>(index)].object;
  items_.erase(items_.begin() + index);
  if (ownsObjects_) delete object;
  Changed();
}

void TStringList::Insert(int index, const AnsiString& s) { InsertObject(index, s, nullptr); }

void TStringList::InsertObject(int index, const AnsiString& s, TObject* object) {
  if (sorted_) throw EStringListError(kSortedListError);
  if (index < 0 || index > GetCount()) Error(kListIndexError, index);
  InsertItem(index, s, object);
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(items_[static_cast<std::size_t>(index1)], items_[static_cast<std::size_t>(index2)]);
  Changed();
}

int TStringList::IndexOf(const AnsiString& s) const {
  if (!sorted_) {
    // The strings in place, without the copy that Get makes.
    for (std::size_t i = 0; i < items_.size(); ++i)
      if (CompareStrings(items_[i].string, s) == 0) return static_cast<int>(i);
    return -1;
  }
  int index = 0;
  return Find(s, index) ? index : -1;
}

bool TStringList::Find(const AnsiString& s, int& index) const {
  // The first of equal strings, so that dupAccept inserts before them and
  // IndexOf finds the first.
  int low = 0, high = GetCount() - 1;
  bool found = false;
  while (low <= high) {
    int mid = low + (high - low) / 2;
    int c = CompareStrings(items_[static_cast<std::size_t>(mid)].string, s);
    if (c < 0) {
      low = mid + 1;
    } else {
      high = mid - 1;
      if (c == 0) found = true;
    }
  }
  index = low;
  return found;
}

void TStringList::Sort() {
  CustomSort([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->items_[static_cast<std::size_t>(a)].string,
                                list->items_[static_cast<std::size_t>(b)].string);
  });
}

void TStringList::CustomSort(const TStringListSortCompare& compare) {
  if (GetCount() < 2) return;
  Changing();
  QuickSort(compare);
  Changed();
}

void TStringList::QuickSort(const TStringListSortCompare& compare) {
  // In place, because compare looks the strings up by index in this list.
  // The scans are bounded so that an inconsistent compare function cannot
  // walk off the list.
  struct Range {
    int left, right;
  };
  std::vector<Range> pending{{0, GetCount() - 1}};
  while (!pending.empty()) {
    auto [left, right] = pending.back();
    pending.pop_back();
    while (left < right) {
      int i = left, j = right, pivot = left + (right - left) / 2;
      do {
        while (i < right && compare(this, i, pivot) < 0) ++i;
        while (j > left && compare(this, j, pivot) > 0) --j;
        if (i <= j) {
          if (i != j)
            std::swap(items_[static_cast<std::size_t>(i)], items_[static_cast<std::size_t>(j)]);
          if (pivot == i)
            pivot = j;
          else if (pivot == j)
            pivot = i;
          ++i;
          --j;
        }
      } while (i <= j);
      // Loop on the larger part, keep the smaller for later: bounded depth.
      if (j - left < right - i) {
        if (left < j) pending.push_back({left, j});
        left = i;
      } else {
        if (i < right) pending.push_back({i, right});
        right = j;
      }
    }
  }
}

const AnsiString& TStringList::Strings(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].string;
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool caseSensitive) {
  if (caseSensitive == caseSensitive_) return;
  caseSensitive_ = caseSensitive;
  // The order of a sorted list depends on the comparison.
  if (sorted_) Sort();
}

AnsiString TStringList::Get(int index) const { return Strings(index); }

TObject* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)].object;
}

void TStringList::Put(int index, const AnsiString& s) {
  if (sorted_) throw EStringListError(kSortedListError);
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].string = s;
  Changed();
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[static_cast<std::size_t>(index)].object = object;
  Changed();
}

int TStringList::CompareStrings(const AnsiString& s1, const AnsiString& s2) const {
  return caseSensitive_ ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}
