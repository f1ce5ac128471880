// The string grid's cell store and its rows and columns as string lists.
//
// Rows are held in one array by value, each a record of its texts and
// object slots: moving, inserting and deleting rows moves the records'
// vector handles and never copies text, and reading a row's slots touches
// no memory of its own until it has some (a pass over every row reads one
// contiguous array). A row that was never written has empty vectors; a
// row's vectors may be shorter than the column count (the missing cells
// are empty). Objects are the caller's: the store never frees one.
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

void TStringGrid::ReadAhead(std::size_t row, std::size_t col) const {
  if (row == lastRowRead_) return;
  const bool onward = row == lastRowRead_ + 1;
  lastRowRead_ = row;
  if (!onward) return;
  // A walk down the rows: fetch the same cell of a row a little further
  // on while this one is worked on, since rows moved about lie anywhere.
  // Only that cell: a walk down one column would otherwise pull in whole
  // rows it never reads, and a walk along a row reads on in order.
  constexpr std::size_t kRowsAhead = 4;
  if (row + kRowsAhead >= rows_.size()) return;
  const std::vector<AnsiString>& texts = rows_[row + kRowsAhead].Texts;
  if (col < texts.size()) __builtin_prefetch(texts.data() + col);
}

const AnsiString& TStringGrid::Cells(int col, int row) const {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return EmptyText();
  if (static_cast<std::size_t>(row) >= rows_.size()) return EmptyText();
  ReadAhead(static_cast<std::size_t>(row), static_cast<std::size_t>(col));
  const TRowCells& data = rows_[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(col) >= data.Texts.size()) return EmptyText();
  return data.Texts[static_cast<std::size_t>(col)];
}

void TStringGrid::SetCells(int col, int row, const AnsiString& value) {
  SetCells(col, row, AnsiString(value));
}

void TStringGrid::SetCells(int col, int row, AnsiString&& value) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  TRowCells* data = RowNeeded(row);
  ReadAhead(static_cast<std::size_t>(row), static_cast<std::size_t>(col));
  if (data->Texts.size() <= static_cast<std::size_t>(col)) {
    // Room for the whole row at once: a row is usually filled left to right.
    data->Texts.resize(static_cast<std::size_t>(ColCount()));
  }
  data->Texts[static_cast<std::size_t>(col)] = std::move(value);
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
  if (static_cast<std::size_t>(col) >= data.Objects.size()) return nullptr;
  return data.Objects[static_cast<std::size_t>(col)];
}

void TStringGrid::SetObjects(int col, int row, TObject* value) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
  TRowCells* data = RowNeeded(row);
  std::vector<TObject*>& objects = data->Objects;
  const std::size_t c = static_cast<std::size_t>(col);
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
  const std::size_t a = static_cast<std::size_t>(col1), b = static_cast<std::size_t>(col2);
  const std::size_t need = std::max(a, b) + 1;
  for (TRowCells& data : rows_) {
    if (!data.Texts.empty()) {
      if (data.Texts.size() < need) data.Texts.resize(need);
      std::swap(data.Texts[a], data.Texts[b]);
    }
    if (!data.Objects.empty()) {
      if (data.Objects.size() < need) data.Objects.resize(need, nullptr);
      std::swap(data.Objects[a], data.Objects[b]);
    }
  }
  InvalidateCol(col1);
  InvalidateCol(col2);
}

TStringGrid::TRowCells TStringGrid::ExtractRow(int row) {
  TRowCells cells;
  if (row >= 0 && row < RowCount() && static_cast<std::size_t>(row) < rows_.size())
    cells = std::exchange(rows_[static_cast<std::size_t>(row)], TRowCells());
  cells.Height = RowHeights(row);
  if (lineUpdate_ == 0 && row >= 0 && row < RowCount()) InvalidateRow(row);
  return cells;
}

void TStringGrid::InsertRowData(int row, TRowCells&& cells) {
  if (row < 0 || row >= RowCount()) return;
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
  const std::size_t c0 = static_cast<std::size_t>(firstCol), c1 = static_cast<std::size_t>(endCol);
  // Two stages ahead: the row's cells first, then (once those are at hand)
  // the characters of texts too long to live inside their strings.
  constexpr std::size_t kCellAhead = 16, kTextAhead = 8;
  for (std::size_t r = 0; r < stored; ++r) {
    if (r + kCellAhead < stored) {
      const std::vector<AnsiString>& ahead = rows_[r + kCellAhead].Texts;
      if (c0 < ahead.size()) {
        const char* p = reinterpret_cast<const char*>(ahead.data() + c0);
        const char* end = reinterpret_cast<const char*>(ahead.data() + std::min(c1, ahead.size()));
        for (; p < end; p += 64) __builtin_prefetch(p);
        __builtin_prefetch(end - 1);
      }
    }
    if (r + kTextAhead < stored) {
      const std::vector<AnsiString>& ahead = rows_[r + kTextAhead].Texts;
      for (std::size_t c = c0; c < std::min(c1, ahead.size()); ++c) __builtin_prefetch(ahead[c].data());
    }
    const std::vector<AnsiString>& texts = rows_[r].Texts;
    for (std::size_t c = c0; c < c1; ++c) take(static_cast<int>(c), c < texts.size() ? texts[c] : EmptyText());
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
  // The shorter side of the rotation goes through a buffer and the longer
  // side moves over once: a column inserted or removed among forty moves
  // each text once, where a rotation by swaps would move it three times.
  const std::size_t head = middle - first, tail = last - middle;
  // Where the block lands: emptied there on request.
  const std::size_t landing = !moves || left ? first : last - static_cast<std::size_t>(count);
  const std::size_t landed = landing + static_cast<std::size_t>(count);
  std::vector<AnsiString> buffer(std::min(head, tail));
  auto shiftTexts = [&](std::vector<AnsiString>& cells) {
    // A record that ends before the range holds only empty cells there.
    if (cells.size() <= first) return;
    if (cells.size() < last) cells.resize(last);
    auto f = cells.begin() + static_cast<std::ptrdiff_t>(first);
    auto m = cells.begin() + static_cast<std::ptrdiff_t>(middle);
    auto l = cells.begin() + static_cast<std::ptrdiff_t>(last);
    if (!moves) {
      // Only emptied.
    } else if (head <= tail) {
      std::move(f, m, buffer.begin());
      std::move(m, l, f);
      std::move(buffer.begin(), buffer.end(), l - static_cast<std::ptrdiff_t>(head));
    } else {
      std::move(m, l, buffer.begin());
      std::move_backward(f, m, l);
      std::move(buffer.begin(), buffer.end(), f);
    }
    if (emptyBlock)
      for (std::size_t c = landing; c < landed; ++c) cells[c] = AnsiString();
  };
  auto shiftObjects = [&](std::vector<TObject*>& cells) {
    if (cells.size() <= first) return;
    if (cells.size() < last) cells.resize(last);
    if (moves)
      std::rotate(cells.begin() + static_cast<std::ptrdiff_t>(first),
                  cells.begin() + static_cast<std::ptrdiff_t>(middle),
                  cells.begin() + static_cast<std::ptrdiff_t>(last));
    if (emptyBlock) std::fill(cells.begin() + static_cast<std::ptrdiff_t>(landing),
                              cells.begin() + static_cast<std::ptrdiff_t>(landed), nullptr);
    TrimObjects(cells);
  };
  // Rows moved about keep their cells anywhere in memory: fetch the range
  // of a row a little further on while this one is worked on.
  constexpr std::size_t kRowsAhead = 4;
  const std::size_t rows = rows_.size();
  for (std::size_t r = 0; r < rows; ++r) {
    if (r + kRowsAhead < rows) {
      const std::vector<AnsiString>& ahead = rows_[r + kRowsAhead].Texts;
      if (ahead.size() > first) {
        const char* p = reinterpret_cast<const char*>(ahead.data() + first);
        const char* end = reinterpret_cast<const char*>(ahead.data() + std::min(last, ahead.size()));
        for (; p < end; p += 64) __builtin_prefetch(p, 1);
      }
    }
    TRowCells& data = rows_[r];
    shiftTexts(data.Texts);
    shiftObjects(data.Objects);
    if (emptyBlock && landingTexts && r < landingTexts->size() && !(*landingTexts)[r].empty()) {
      if (data.Texts.size() <= landing) data.Texts.resize(static_cast<std::size_t>(ColCount()));
      data.Texts[landing] = std::move((*landingTexts)[r]);
    }
  }
  if (lineUpdate_ > 0 || !HandleAllocated()) return;
  InvalidateGrid();
  if (editUpdate_ == 0 && InplaceEditor() && EditorMode()) InvalidateEditor();
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
  const std::size_t need = static_cast<std::size_t>(std::max(fromIndex, toIndex)) + 1;
  auto move = [&](auto& v) {
    if (v.size() < need) v.resize(need);
    auto from = v.begin() + fromIndex;
    auto to = v.begin() + toIndex;
    if (fromIndex < toIndex) std::rotate(from, from + 1, to + 1);
    else std::rotate(to, from, from + 1);
  };
  for (TRowCells& data : rows_) {
    if (!data.Texts.empty()) move(data.Texts);
    if (!data.Objects.empty()) move(data.Objects);
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
  if (ColCount() < oldColCount) {
    const std::size_t cols = static_cast<std::size_t>(ColCount());
    for (TRowCells& data : rows_) {
      if (data.Texts.size() > cols) data.Texts.resize(cols);
      if (data.Objects.size() > cols) {
        data.Objects.resize(cols);
        TrimObjects(data.Objects);
      }
    }
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
