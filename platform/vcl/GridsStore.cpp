// The string grid's cell store and its rows and columns as string lists.
//
// Rows are held in one array by value, each a record of its texts and
// object slots: moving, inserting and deleting rows moves the records'
// vector handles and never copies text, and reading a row's slots touches
// no memory of its own until it has some (a pass over every row reads one
// contiguous array). A row that was never written has empty vectors; a
// row's vectors may be shorter than the record width (the missing cells
// are empty). Objects are the caller's: the store never frees one.
//
// Columns are found in the records through a column map (slots_): moving,
// inserting or removing a column rewrites the map, not each row's record,
// so grouping a catalogue by one of its forty columns walks the rows once
// for the one column's cells instead of moving every row's thirty others.
// A record handed out or taken in whole is in column order: the first such
// call after columns moved lays all records out so, once.
#include <algorithm>
#include <functional>
#include <utility>

#include "platform/vcl/Grids.h"

namespace {

const AnsiString& EmptyText() {
  static const AnsiString empty;
  return empty;
}

const char kLineCannotChange[] = "Grid index out of range";

// A row's object slots end at its last object, and a row without any has
// no storage: a walk down a column then reads only the array of row
// records, never the slots of rows that have none there.
void TrimObjects(std::vector<TObject*>& objects) {
  while (!objects.empty() && !objects.back()) objects.pop_back();
  if (objects.empty()) std::vector<TObject*>().swap(objects);
}

}  // namespace

// ================================================================= TStringGrid

TStringGrid::TStringGrid(TComponent* owner) : TDrawGrid(owner) {
  rows_.resize(static_cast<std::size_t>(RowCount()));
}

TStringGrid::~TStringGrid() = default;

TStringGrid::TRowCells* TStringGrid::RowNeeded(int row) {
  if (rows_.size() < static_cast<std::size_t>(RowCount())) rows_.resize(static_cast<std::size_t>(RowCount()));
  return &rows_[static_cast<std::size_t>(row)];
}

void TStringGrid::ReadAhead(std::size_t row, std::size_t slot) const {
  if (row == lastRowRead_) return;
  const bool onward = row == lastRowRead_ + 1;
  lastRowRead_ = row;
  if (!onward) return;
  // A walk down the rows: fetch the same cell of a row a little further
  // on while this one is worked on, since rows moved about lie anywhere.
  // Only that cell: a walk down one column would otherwise pull in whole
  // rows it never reads, and a walk along a row reads on in order.
  constexpr std::size_t kRowsAhead = 16;
  if (row + kRowsAhead >= rows_.size()) return;
  const std::vector<AnsiString>& texts = rows_[row + kRowsAhead].Texts;
  if (slot < texts.size()) __builtin_prefetch(texts.data() + slot);
}

const AnsiString& TStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return EmptyText();
  if (static_cast<std::size_t>(row) >= rows_.size()) return EmptyText();
  const std::size_t slot = Slot(col);
  ReadAhead(static_cast<std::size_t>(row), slot);
  const TRowCells& data = rows_[static_cast<std::size_t>(row)];
  if (slot >= data.Texts.size()) return EmptyText();
  return data.Texts[slot];
}

void TStringGrid::SetCells(int col, int row, const AnsiString& value) {
  SetCells(col, row, AnsiString(value));
}

void TStringGrid::SetCells(int col, int row, AnsiString&& value) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  const std::size_t slot = Slot(col);
  if (slot == kNoSlot) return;
  TRowCells* data = RowNeeded(row);
  ReadAhead(static_cast<std::size_t>(row), slot);
  if (!value.empty()) ForgetEmptied(slot);
  if (data->Texts.size() <= slot) {
    // Room for the whole row at once: a row is usually filled left to right.
    data->Texts.resize(RecordWidth());
  }
  data->Texts[slot] = std::move(value);
  // Repaint and let an editor on this cell show the new text.
  if (lineUpdate_ > 0 || !HandleAllocated()) return;
  InvalidateCell(col, row);
  if (col == Col() && row == Row() && editUpdate_ == 0 && InplaceEditor() && EditorMode()) {
    InvalidateEditor();
  }
}

TObject* TStringGrid::Objects(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return nullptr;
  if (static_cast<std::size_t>(row) >= rows_.size()) return nullptr;
  const TRowCells& data = rows_[static_cast<std::size_t>(row)];
  const std::size_t slot = Slot(col);
  if (slot >= data.Objects.size()) return nullptr;
  return data.Objects[slot];
}

void TStringGrid::SetObjects(int col, int row, TObject* value) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  const std::size_t c = Slot(col);
  if (c == kNoSlot) return;
  TRowCells* data = RowNeeded(row);
  if (value) ForgetEmptied(c);
  std::vector<TObject*>& objects = data->Objects;
  if (objects.size() <= c) {
    if (!value) return;  // an empty slot stays without storage
    objects.resize(c + 1, nullptr);
  }
  objects[c] = value;
  if (!value && c + 1 == objects.size()) TrimObjects(objects);
  if (lineUpdate_ == 0 && HandleAllocated()) InvalidateCell(col, row);
}

TStrings* TStringGrid::Line(bool isColumn, int index) {
  auto& lists = isColumn ? colLists_ : rowLists_;
  if (lists.size() <= static_cast<std::size_t>(index)) lists.resize(static_cast<std::size_t>(index) + 1);
  auto& list = lists[static_cast<std::size_t>(index)];
  if (!list) list = std::make_unique<TStringGridStrings>(this, isColumn, index);
  return list.get();
}

TStrings* TStringGrid::Rows(int row) {
  if (row < 0 || row >= RowCount()) return nullptr;
  return Line(false, row);
}

TStrings* TStringGrid::Cols(int col) {
  if (col < 0 || col >= ColCount()) return nullptr;
  return Line(true, col);
}

void TStringGrid::SetRows(int row, const TStrings* value) {
  if (TStrings* line = Rows(row)) line->Assign(value);
}

void TStringGrid::SetCols(int col, const TStrings* value) {
  if (TStrings* line = Cols(col)) line->Assign(value);
}

void TStringGrid::BeginLineUpdate() { ++lineUpdate_; }

void TStringGrid::EndLineUpdate() {
  if (lineUpdate_ > 0 && --lineUpdate_ == 0) {
    InvalidateGrid();
    if (InplaceEditor() && EditorMode() && editUpdate_ == 0) InvalidateEditor();
  }
}

void TStringGrid::ExchangeRows(int row1, int row2) {
  if (row1 < 0 || row2 < 0 || row1 >= RowCount() || row2 >= RowCount() || row1 == row2) return;
  if (rows_.size() < static_cast<std::size_t>(RowCount())) rows_.resize(static_cast<std::size_t>(RowCount()));
  std::swap(rows_[static_cast<std::size_t>(row1)], rows_[static_cast<std::size_t>(row2)]);
  InvalidateRow(row1);
  InvalidateRow(row2);
}

void TStringGrid::ExchangeCols(int col1, int col2) {
  if (col1 < 0 || col2 < 0 || col1 >= ColCount() || col2 >= ColCount() || col1 == col2) return;
  SpellOutSlots();
  std::swap(slots_[static_cast<std::size_t>(col1)], slots_[static_cast<std::size_t>(col2)]);
  SettleSlots();
  InvalidateCol(col1);
  InvalidateCol(col2);
}

TStringGrid::TRowCells TStringGrid::ExtractRow(int row) {
  PlainRecords();
  TRowCells cells;
  if (row >= 0 && row < RowCount() && static_cast<std::size_t>(row) < rows_.size())
    cells = std::exchange(rows_[static_cast<std::size_t>(row)], TRowCells());
  cells.Height = RowHeights(row);
  if (lineUpdate_ == 0 && row >= 0 && row < RowCount()) InvalidateRow(row);
  return cells;
}

void TStringGrid::InsertRowData(int row, TRowCells&& cells) {
  if (row < 0 || row >= RowCount()) return;
  PlainRecords();
  emptiedSlots_.clear();
  const std::size_t cols = static_cast<std::size_t>(ColCount());
  if (cells.Texts.size() > cols) cells.Texts.resize(cols);
  if (cells.Objects.size() > cols) cells.Objects.resize(cols);
  const int height = cells.Height;
  TRowCells& data = *RowNeeded(row);
  data = std::move(cells);
  data.Height = 0;
  SetRowHeights(row, height);
  if (lineUpdate_ > 0 || !HandleAllocated()) return;
  InvalidateRow(row);
  if (row == Row() && editUpdate_ == 0 && InplaceEditor() && EditorMode()) InvalidateEditor();
}

void TStringGrid::ReadColumnTexts(int col, int count,
                                  const std::function<void(int col, const AnsiString&)>& take) const {
  const int firstCol = std::max(col, 0);
  const int endCol = std::min(col + std::max(count, 0), ColCount());
  if (firstCol >= endCol) return;
  const std::size_t rows = static_cast<std::size_t>(RowCount());
  const std::size_t stored = std::min(rows, rows_.size());
  // The columns' slots, and the span of slots they lie in.
  std::vector<std::size_t> slots;
  for (int c = firstCol; c < endCol; ++c) slots.push_back(Slot(c));
  const std::size_t s0 = *std::min_element(slots.begin(), slots.end());
  const std::size_t s1 = *std::max_element(slots.begin(), slots.end()) + 1;
  // Two stages ahead: the row's cells first, then (once those are at hand)
  // the characters of texts too long to live inside their strings.
  constexpr std::size_t kCellAhead = 16, kTextAhead = 8;
  for (std::size_t r = 0; r < stored; ++r) {
    if (r + kCellAhead < stored) {
      const std::vector<AnsiString>& ahead = rows_[r + kCellAhead].Texts;
      if (s0 < ahead.size()) {
        const char* p = reinterpret_cast<const char*>(ahead.data() + s0);
        const char* end = reinterpret_cast<const char*>(ahead.data() + std::min(s1, ahead.size()));
        for (; p < end; p += 64) __builtin_prefetch(p);
        __builtin_prefetch(end - 1);
      }
    }
    if (r + kTextAhead < stored) {
      const std::vector<AnsiString>& ahead = rows_[r + kTextAhead].Texts;
      for (const std::size_t s : slots)
        if (s < ahead.size()) __builtin_prefetch(ahead[s].data());
    }
    const std::vector<AnsiString>& texts = rows_[r].Texts;
    for (std::size_t i = 0; i < slots.size(); ++i)
      take(firstCol + static_cast<int>(i), slots[i] < texts.size() ? texts[slots[i]] : EmptyText());
  }
  for (std::size_t r = stored; r < rows; ++r)
    for (int c = firstCol; c < endCol; ++c) take(c, EmptyText());
}

void TStringGrid::ShiftColumns(int fromCol, int count, int toCol, bool emptyBlock,
                               std::vector<AnsiString>* landingTexts) {
  if (count <= 0) return;
  if (fromCol < 0 || toCol < 0 || fromCol + count > ColCount() || toCol > ColCount())
    throw EInvalidGridOperation(kLineCannotChange);
  // A destination inside the block leaves it where it is.
  const bool moves = toCol < fromCol || toCol > fromCol + count;
  if (!moves && !emptyBlock) return;
  // The rotation's range: [first, last) with the block's new start at middle.
  const bool left = toCol < fromCol;
  const std::size_t first = static_cast<std::size_t>(moves && left ? toCol : fromCol);
  const std::size_t middle = static_cast<std::size_t>(moves && !left ? fromCol + count : fromCol);
  const std::size_t last = static_cast<std::size_t>(moves && !left ? toCol : fromCol + count);
  if (moves) {
    SpellOutSlots();
    std::rotate(slots_.begin() + static_cast<std::ptrdiff_t>(first), slots_.begin() + static_cast<std::ptrdiff_t>(middle),
                slots_.begin() + static_cast<std::ptrdiff_t>(last));
  }
  if (emptyBlock) {
    // Where the block lands: emptied there.
    const int landing = static_cast<int>(!moves || left ? first : last - static_cast<std::size_t>(count));
    std::vector<std::size_t> block;
    for (int c = landing; c < landing + count; ++c) block.push_back(Slot(c));
    EmptySlots(block, RecordWidth(), Slot(landing), landingTexts);
  }
  SettleSlots();
  if (lineUpdate_ > 0 || !HandleAllocated()) return;
  InvalidateGrid();
  if (editUpdate_ == 0 && InplaceEditor() && EditorMode()) InvalidateEditor();
}

void TStringGrid::SpellOutSlots() {
  if (!slots_.empty()) return;
  slots_.resize(static_cast<std::size_t>(ColCount()));
  for (std::size_t c = 0; c < slots_.size(); ++c) slots_[c] = c;
  width_ = slots_.size();
}

void TStringGrid::SettleSlots() {
  if (slots_.empty()) return;
  for (std::size_t c = 0; c < slots_.size(); ++c)
    if (slots_[c] != c) return;
  // Plain again: records may still reach past the columns, with empty
  // cells only; the next cut of the column count trims them.
  slots_.clear();
  width_ = 0;
}

void TStringGrid::EmptySlots(const std::vector<std::size_t>& slots, std::size_t width, std::size_t landingSlot,
                             std::vector<AnsiString>* landingTexts) {
  const auto emptied = [this](std::size_t s) {
    return std::find(emptiedSlots_.begin(), emptiedSlots_.end(), s) != emptiedSlots_.end();
  };
  // Nothing to empty: no pass over the rows.
  if (!landingTexts && std::all_of(slots.begin(), slots.end(), emptied)) return;
  const std::size_t rows = rows_.size();
  // Rows moved about keep their cells anywhere in memory: fetch the slots of
  // a row further on while this one is worked on.
  constexpr std::size_t kRowsAhead = 16;
  for (std::size_t r = 0; r < rows; ++r) {
    if (r + kRowsAhead < rows) {
      const TRowCells& ahead = rows_[r + kRowsAhead];
      for (const std::size_t s : slots) {
        if (s < ahead.Texts.size()) __builtin_prefetch(ahead.Texts.data() + s, 1);
        if (s < ahead.Objects.size()) __builtin_prefetch(ahead.Objects.data() + s, 1);
      }
    }
    TRowCells& data = rows_[r];
    for (const std::size_t s : slots) {
      if (s < data.Texts.size()) {
        AnsiString& text = data.Texts[s];
        // Dropped with its storage: the slot may stay unused for long.
        if (!text.empty() || text.capacity() > EmptyText().capacity()) AnsiString().swap(text);
      }
      if (s < data.Objects.size()) data.Objects[s] = nullptr;
    }
    if (data.Texts.size() > width) data.Texts.resize(width);
    if (data.Objects.size() > width) data.Objects.resize(width);
    TrimObjects(data.Objects);
    if (landingTexts && r < landingTexts->size() && !(*landingTexts)[r].empty()) {
      if (data.Texts.size() <= landingSlot) data.Texts.resize(width);
      data.Texts[landingSlot] = std::move((*landingTexts)[r]);
    }
  }
  for (const std::size_t s : slots)
    if (!emptied(s)) emptiedSlots_.push_back(s);
  if (landingTexts) ForgetEmptied(landingSlot);
}

void TStringGrid::ForgetEmptied(std::size_t slot) {
  if (!emptiedSlots_.empty()) std::erase(emptiedSlots_, slot);
}

void TStringGrid::TakeColumnTexts(int col, const TTextTaker& take) {
  if (col < 0 || col >= ColCount()) return;
  const std::size_t slot = Slot(col);
  if (slot == kNoSlot) return;
  const std::size_t rows = std::min(rows_.size(), static_cast<std::size_t>(RowCount()));
  bool objects = false;
  constexpr std::size_t kRowsAhead = 16;
  for (std::size_t r = 0; r < rows; ++r) {
    if (r + kRowsAhead < rows) {
      const std::vector<AnsiString>& ahead = rows_[r + kRowsAhead].Texts;
      if (slot < ahead.size()) __builtin_prefetch(ahead.data() + slot, 1);
    }
    TRowCells& data = rows_[r];
    objects = objects || (slot < data.Objects.size() && data.Objects[slot]);
    if (slot >= data.Texts.size() || data.Texts[slot].empty()) continue;
    take(static_cast<int>(r), std::exchange(data.Texts[slot], AnsiString()));
  }
  // Every text gone and no object there: a column removed next needs no
  // pass of its own.
  if (!objects && std::find(emptiedSlots_.begin(), emptiedSlots_.end(), slot) == emptiedSlots_.end())
    emptiedSlots_.push_back(slot);
  if (lineUpdate_ > 0 || !HandleAllocated()) return;
  InvalidateCol(col);
}

void TStringGrid::PlainRecords() {
  if (slots_.empty()) return;
  emptiedSlots_.clear();
  const std::size_t cols = slots_.size();
  // The map made whole: the slots that no column maps to (empty in every
  // record) take the places past the last column. A record that holds
  // every slot is then laid out in place, cycle by cycle, and a column that
  // did not move is not touched: grouping moved one column to the front,
  // and hiding every movie after it moves a few texts per row, not forty.
  const std::size_t width = std::max(width_, cols);
  std::vector<std::size_t> from(slots_);  // by place, the slot whose cells go there
  {
    std::vector<bool> mapped(width, false);
    for (const std::size_t s : slots_) mapped[s] = true;
    for (std::size_t s = 0; s < width; ++s)
      if (!mapped[s]) from.push_back(s);
  }
  std::vector<std::size_t> cycles, cycleEnds;  // each cycle's places, in order
  {
    std::vector<bool> seen(width, false);
    for (std::size_t p = 0; p < width; ++p) {
      if (seen[p] || from[p] == p) continue;
      for (std::size_t q = p; !seen[q]; q = from[q]) {
        seen[q] = true;
        cycles.push_back(q);
      }
      cycleEnds.push_back(cycles.size());
    }
  }
  std::vector<AnsiString> texts;
  std::vector<TObject*> objects;
  for (TRowCells& data : rows_) {
    if (data.Texts.size() >= width) {
      std::vector<AnsiString>& cells = data.Texts;
      std::size_t begin = 0;
      for (const std::size_t end : cycleEnds) {
        AnsiString first = std::move(cells[cycles[begin]]);
        for (std::size_t i = begin; i + 1 < end; ++i) cells[cycles[i]] = std::move(cells[cycles[i + 1]]);
        cells[cycles[end - 1]] = std::move(first);
        begin = end;
      }
      // Past the columns only empty cells are left.
      if (cells.size() > cols) cells.resize(cols);
    } else if (!data.Texts.empty()) {
      const std::size_t n = data.Texts.size();
      texts.resize(n);
      std::move(data.Texts.begin(), data.Texts.end(), texts.begin());
      std::size_t length = 0;  // past the last column whose slot the record holds
      for (std::size_t c = 0; c < cols; ++c)
        if (slots_[c] < n) length = c + 1;
      data.Texts.resize(length);
      for (std::size_t c = 0; c < length; ++c)
        data.Texts[c] = slots_[c] < n ? std::move(texts[slots_[c]]) : AnsiString();
    }
    if (!data.Objects.empty()) {
      objects.assign(data.Objects.begin(), data.Objects.end());
      const std::size_t n = objects.size();
      std::fill(data.Objects.begin(), data.Objects.end(), nullptr);
      data.Objects.resize(cols, nullptr);
      for (std::size_t c = 0; c < cols; ++c) data.Objects[c] = slots_[c] < n ? objects[slots_[c]] : nullptr;
      TrimObjects(data.Objects);
    }
  }
  slots_.clear();
  width_ = 0;
}

int TStringGrid::RowTag(int row) const {
  if (row < 0 || row >= RowCount() || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].Tag;
}

bool TStringGrid::RowHasObjects(int row) const {
  return row >= 0 && row < RowCount() && static_cast<std::size_t>(row) < rows_.size() &&
         !rows_[static_cast<std::size_t>(row)].Objects.empty();
}

void TStringGrid::SetRowTag(int row, int value) {
  if (row < 0 || row >= RowCount()) return;
  if (value == 0 && static_cast<std::size_t>(row) >= rows_.size()) return;
  RowNeeded(row)->Tag = value;
}

int TStringGrid::RowKey(int row) const {
  if (row < 0 || row >= RowCount() || static_cast<std::size_t>(row) >= rows_.size()) return 0;
  return rows_[static_cast<std::size_t>(row)].Key;
}

void TStringGrid::SetRowKey(int row, int value) {
  if (row < 0 || row >= RowCount()) return;
  if (value == 0 && static_cast<std::size_t>(row) >= rows_.size()) return;
  RowNeeded(row)->Key = value;
}

AnsiString TStringGrid::GetEditText(int col, int row) {
  AnsiString text = Cells(col, row);
  if (OnGetEditText) OnGetEditText(this, col, row, text);
  return text;
}

void TStringGrid::SetEditText(int col, int row, const AnsiString& value) {
  // The editor shows what it holds already: storing it must not reload it.
  ++editUpdate_;
  struct Done {
    int& count;
    ~Done() { --count; }
  } done{editUpdate_};
  if (value != Cells(col, row)) SetCells(col, row, value);
  TDrawGrid::SetEditText(col, row, value);
}

void TStringGrid::ColumnMoved(int fromIndex, int toIndex) {
  if (fromIndex != toIndex) {
    SpellOutSlots();
    auto from = slots_.begin() + fromIndex;
    auto to = slots_.begin() + toIndex;
    if (fromIndex < toIndex) std::rotate(from, from + 1, to + 1);
    else std::rotate(to, from, from + 1);
    SettleSlots();
  }
  TDrawGrid::ColumnMoved(fromIndex, toIndex);
}

void TStringGrid::RowMoved(int fromIndex, int toIndex) {
  if (rows_.size() < static_cast<std::size_t>(RowCount())) rows_.resize(static_cast<std::size_t>(RowCount()));
  auto from = rows_.begin() + fromIndex;
  auto to = rows_.begin() + toIndex;
  if (fromIndex < toIndex) std::rotate(from, from + 1, to + 1);
  else std::rotate(to, from, from + 1);
  TDrawGrid::RowMoved(fromIndex, toIndex);
}

void TStringGrid::RowBlockMoved(int fromIndex, int count, int toIndex) {
  if (rows_.size() < static_cast<std::size_t>(RowCount())) rows_.resize(static_cast<std::size_t>(RowCount()));
  auto first = rows_.begin();
  if (toIndex < fromIndex) std::rotate(first + toIndex, first + fromIndex, first + fromIndex + count);
  else std::rotate(first + fromIndex, first + fromIndex + count, first + toIndex);
}

void TStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
  // Lines cut off are gone: growing the grid again shows empty cells, not
  // the texts (or dangling objects) of rows deleted before.
  rows_.resize(static_cast<std::size_t>(RowCount()));
  const std::size_t cols = static_cast<std::size_t>(ColCount());
  if (slots_.empty()) {
    if (ColCount() < oldColCount) {
      for (TRowCells& data : rows_) {
        if (data.Texts.size() > cols) data.Texts.resize(cols);
        if (data.Objects.size() > cols) {
          data.Objects.resize(cols);
          TrimObjects(data.Objects);
        }
      }
    }
  } else if (cols < slots_.size()) {
    // The columns cut off free their slots, emptied in every record.
    std::vector<std::size_t> cut(slots_.begin() + static_cast<std::ptrdiff_t>(cols), slots_.end());
    slots_.resize(cols);
    const std::size_t oldWidth = width_;
    width_ = slots_.empty() ? 0 : *std::max_element(slots_.begin(), slots_.end()) + 1;
    const bool emptied = std::all_of(cut.begin(), cut.end(), [&](std::size_t s) {
      return std::find(emptiedSlots_.begin(), emptiedSlots_.end(), s) != emptiedSlots_.end();
    });
    // Records end at the width: a pass when it shrinks or a cut slot holds cells.
    if (!emptied || width_ < oldWidth) EmptySlots(cut, width_);
    SettleSlots();
  } else if (cols > slots_.size()) {
    // The columns added take the free slots, lowest first, then new ones.
    const std::size_t oldWidth = width_;
    std::vector<bool> used(oldWidth, false);
    for (const std::size_t s : slots_) used[s] = true;
    std::size_t next = 0;
    while (slots_.size() < cols) {
      while (next < oldWidth && used[next]) ++next;
      slots_.push_back(next < oldWidth ? next++ : width_++);
    }
    SettleSlots();
  }
  // The line lists stay: callers may hold them; one past the end reads as empty.
  TDrawGrid::SizeChanged(oldColCount, oldRowCount);
}

// ================================================================= TStringGridStrings

TStringGridStrings::TStringGridStrings(TStringGrid* grid, bool isColumn, int index)
    : grid_(grid), isColumn_(isColumn), index_(index) {}

int TStringGridStrings::GetCount() const {
  return isColumn_ ? grid_->RowCount() : grid_->ColCount();
}

AnsiString TStringGridStrings::Get(int index) const {
  return isColumn_ ? grid_->Cells(index_, index) : grid_->Cells(index, index_);
}

TObject* TStringGridStrings::GetObject(int index) const {
  return isColumn_ ? grid_->Objects(index_, index) : grid_->Objects(index, index_);
}

void TStringGridStrings::Put(int index, const AnsiString& s) {
  if (isColumn_) grid_->SetCells(index_, index, s);
  else grid_->SetCells(index, index_, s);
}

void TStringGridStrings::PutObject(int index, TObject* object) {
  if (isColumn_) grid_->SetObjects(index_, index, object);
  else grid_->SetObjects(index, index_, object);
}

int TStringGridStrings::Add(const AnsiString& s) { return AddObject(s, nullptr); }

int TStringGridStrings::AddObject(const AnsiString& s, TObject* object) {
  // A line of a grid has a fixed length: adding fills its first empty cell.
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    if (Get(i).empty()) {
      Put(i, s.empty() ? AnsiString(" ") : s);
      PutObject(i, object);
      return i;
    }
  }
  return -1;
}

void TStringGridStrings::Assign(const TPersistent* source) {
  const auto* strings = dynamic_cast<const TStrings*>(source);
  if (!strings) {
    TStrings::Assign(source);
    return;
  }
  if (strings == this) return;
  BeginUpdate();
  struct End {
    TStringGridStrings* self;
    ~End() { self->EndUpdate(); }
  } end{this};
  const int n = std::min(strings->Count(), GetCount());
  // Read the source first: it may be another line of the same grid.
  std::vector<std::pair<AnsiString, TObject*>> items;
  items.reserve(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) items.emplace_back(strings->Strings(i), strings->Objects(i));
  for (int i = 0; i < n; ++i) {
    Put(i, items[static_cast<std::size_t>(i)].first);
    PutObject(i, items[static_cast<std::size_t>(i)].second);
  }
}

void TStringGridStrings::Clear() {
  BeginUpdate();
  const int count = GetCount();
  for (int i = 0; i < count; ++i) {
    Put(i, AnsiString());
    PutObject(i, nullptr);
  }
  EndUpdate();
}

void TStringGridStrings::Delete(int index) { throw EInvalidGridOperation(kLineCannotChange); }

void TStringGridStrings::Insert(int index, const AnsiString& s) {
  throw EInvalidGridOperation(kLineCannotChange);
}

void TStringGridStrings::SetUpdateState(bool updating) {
  if (updating) grid_->BeginLineUpdate();
  else grid_->EndLineUpdate();
}
