#include "grid/ExGridLists.h"

#include <algorithm>
#include <utility>

void TIntList::CheckIndex(int index) const {
  if (index < 0 || index >= Count())
    throw EListError(Format("List index out of bounds (%d)", {index}));
}

int TIntList::Items(int index) const {
  CheckIndex(index);
  return items_[static_cast<std::size_t>(index)];
}

void TIntList::SetItems(int index, int value) {
  CheckIndex(index);
  items_[static_cast<std::size_t>(index)] = value;
  Changed();
}

int TIntList::Add(int value) {
  items_.push_back(value);
  Changed();
  return Count() - 1;
}

void TIntList::Insert(int index, int value) {
  if (index < 0 || index > Count()) throw EListError(Format("List index out of bounds (%d)", {index}));
  items_.insert(items_.begin() + index, value);
}

void TIntList::Delete(int index) {
  CheckIndex(index);
  items_.erase(items_.begin() + index);
  Changed();
}

int TIntList::IndexOf(int value) const {
  for (int i = 0; i < Count(); ++i)
    if (items_[static_cast<std::size_t>(i)] == value) return i;
  return -1;
}

AnsiString TIntList::ToText() const {
  AnsiString text;
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (i) text += ',';
    text += IntToStr(items_[i]);
  }
  return text;
}

void TIntList::FromText(std::string_view text) {
  TStringList parts;
  parts.SetCommaText(text);
  // Every part is converted before the list changes, so a bad text leaves it whole.
  std::vector<int> values;
  for (int i = 0; i < parts.Count(); ++i) values.push_back(StrToInt(parts.Strings(i)));
  items_.clear();
  for (int v : values) Add(v);
}

// ------------------------------------------------------------- TSortIndexList

void TSortIndexList::AddIndex(int col, bool ascending) {
  unsigned item = static_cast<unsigned>(col) & ~kDescendingBit;
  if (!ascending) item |= kDescendingBit;
  Add(static_cast<int>(item));
}

int TSortIndexList::FindIndex(int col) const {
  for (int i = 0; i < Count(); ++i)
    if (ColumnOf(Items(i)) == col) return i;
  return -1;
}

void TSortIndexList::SetDirection(int index, bool ascending) {
  unsigned item = static_cast<unsigned>(Items(index));
  item = ascending ? item & ~kDescendingBit : item | kDescendingBit;
  SetItems(index, static_cast<int>(item));
}

void TSortIndexList::ToggleDirection(int col) {
  const int index = FindIndex(col);
  if (index >= 0) SetDirection(index, !IsAscending(Items(index)));
}

// ------------------------------------------------------------- TGridItem

void TGridItem::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TGridItem*>(source)) {
    idx_ = other->idx_;
    height_ = other->height_;
    cells_ = other->cells_;
    return;
  }
  TCollectionItem::Assign(source);
}

const AnsiString& TGridItem::CellText(int col) const {
  static const AnsiString empty;
  return col >= 0 && col < CellCount() ? cells_.Texts[static_cast<std::size_t>(col)] : empty;
}

TObject* TGridItem::CellObject(int col) const {
  return col >= 0 && static_cast<std::size_t>(col) < cells_.Objects.size() ? cells_.Objects[static_cast<std::size_t>(col)]
                                                                          : nullptr;
}

void TGridItem::SetCellObject(int col, TObject* object) {
  if (col < 0 || col >= CellCount()) return;
  const std::size_t c = static_cast<std::size_t>(col);
  if (c >= cells_.Objects.size()) {
    if (!object) return;
    cells_.Objects.resize(c + 1, nullptr);
  }
  cells_.Objects[c] = object;
}

void TGridItem::ReserveCells(int count) { cells_.Texts.reserve(static_cast<std::size_t>(std::max(count, 0))); }

void TGridItem::AppendCell(AnsiString&& text, TObject* object) {
  cells_.Texts.push_back(std::move(text));
  if (object) {
    cells_.Objects.resize(cells_.Texts.size() - 1, nullptr);
    cells_.Objects.push_back(object);
  }
}

void TGridItem::AdoptCells(TCells&& cells, int count) {
  cells_ = std::move(cells);
  const std::size_t n =
      std::max({static_cast<std::size_t>(std::max(count, 0)), cells_.Texts.size(), cells_.Objects.size()});
  // The object slots stay as the store had them: padding them would move
  // every hidden row's slots to new memory, and a grid whose rows were
  // hidden and shown again would then walk scattered, longer records.
  cells_.Texts.resize(n);
}

void TGridItem::PutCell(int col, AnsiString&& text, TObject* object) {
  if (col < 0 || col >= CellCount()) return;
  cells_.Texts[static_cast<std::size_t>(col)] = std::move(text);
  SetCellObject(col, object);
}

TGridItem::TCells TGridItem::ReleaseCells(int count) {
  TCells cells = std::exchange(cells_, TCells());
  const std::size_t n = static_cast<std::size_t>(std::max(count, 0));
  if (cells.Texts.size() > n) cells.Texts.resize(n);
  if (cells.Objects.size() > n) cells.Objects.resize(n);
  while (!cells.Objects.empty() && !cells.Objects.back()) cells.Objects.pop_back();
  cells.Height = height_;
  return cells;
}

AnsiString TGridItem::TakeText(int col) {
  if (col < 0 || col >= CellCount()) return AnsiString();
  return std::exchange(cells_.Texts[static_cast<std::size_t>(col)], AnsiString());
}

void TGridItem::InsertCells(int col, int count) {
  if (count <= 0 || col < 0 || col > CellCount()) return;
  cells_.Texts.insert(cells_.Texts.begin() + col, static_cast<std::size_t>(count), AnsiString());
  if (static_cast<std::size_t>(col) < cells_.Objects.size())
    cells_.Objects.insert(cells_.Objects.begin() + col, static_cast<std::size_t>(count), nullptr);
}

void TGridItem::DeleteCells(int col, int count) {
  col = std::max(col, 0);
  const int last = std::min(col + count, CellCount());
  if (col >= last) return;
  cells_.Texts.erase(cells_.Texts.begin() + col, cells_.Texts.begin() + last);
  const int objects = static_cast<int>(cells_.Objects.size());
  if (col < objects)
    cells_.Objects.erase(cells_.Objects.begin() + col, cells_.Objects.begin() + std::min(last, objects));
}

// ------------------------------------------------------------- TControlList

int TControlList::IndexOfCell(int col, int row) const {
  for (std::size_t i = 0; i < items_.size(); ++i)
    if (items_[i].Col == col && items_[i].Row == row) return static_cast<int>(i);
  return -1;
}
