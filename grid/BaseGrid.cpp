// Sections:
//   TCellProperties ...... defaults, repainting setters, Assign
//   TBaseGrid setup ...... constructor, destructor, published setters, links
//   Property slots ....... create, find, replace, free, detach
//   Spans ................ merge, split, base cell, rectangles
//   Cell text ............ through the base cell, display-text events
//   Drawing .............. paint pass, cell drawing, default content
//   Focus and keys ....... the current cell stays on base cells
//   Undo recorder ........ TExGridUndoRedo
#include "grid/BaseGrid.h"

#include <algorithm>
#include <climits>
#include <utility>
#include <vector>

#include "grid/ExUtil.h"
#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------- TCellProperties

TCellProperties::TCellProperties(TBaseGrid* grid, int col, int row)
    : grid_(grid), ownerCol_(col), ownerRow_(row), columnZeroRow_(col == 0 ? row : -1) {}

int TCellProperties::NodeLevel() const {
  int level = nodeLevel_;
  if (grid_) {
    const int row = grid_->ColumnZeroRowOf(*this);
    if (row >= 0) grid_->GetRowNodeLevel(row, level);
  }
  return level;
}

void TCellProperties::SetNodeLevel(int v) {
  const int row = grid_ ? grid_->ColumnZeroRowOf(*this) : -1;
  if (row < 0 || !grid_->SetRowNodeLevel(row, v)) nodeLevel_ = v;
}

void TCellProperties::RepaintOwnerCell() {
  if (grid_) grid_->InvalidateCell(grid_->DisplColIndex(ownerCol_), ownerRow_);
}

void TCellProperties::SetBrushColor(TColor v) {
  brushColor_ = v;
  RepaintOwnerCell();
}

void TCellProperties::SetBrushColorTo(TColor v) {
  brushColorTo_ = v;
  RepaintOwnerCell();
}

void TCellProperties::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  RepaintOwnerCell();
}

void TCellProperties::SetWordWrap(bool v) {
  wordWrap_ = v;
  RepaintOwnerCell();
}

void TCellProperties::Assign(const TPersistent* source) {
  auto* src = dynamic_cast<const TCellProperties*>(source);
  if (!src) {
    TPersistent::Assign(source);
    return;
  }
  isBaseCell_ = src->isBaseCell_;
  cellSpanX_ = src->cellSpanX_;
  cellSpanY_ = src->cellSpanY_;
  ownerRow_ = src->ownerRow_;
  ownerCol_ = src->ownerCol_;
  alignment_ = src->alignment_;
  borderColor_ = src->borderColor_;
  borderWidth_ = src->borderWidth_;
  brushColor_ = src->brushColor_;
  brushColorTo_ = src->brushColorTo_;
  brushStyle_ = src->brushStyle_;
  fontColor_ = src->fontColor_;
  fontStyle_ = src->fontStyle_;
  fontName_ = src->fontName_;
  fontSize_ = src->fontSize_;
  readOnly_ = src->readOnly_;
  editor_ = src->editor_;
  vAlignment_ = src->vAlignment_;
  SetWordWrap(src->wordWrap_);
  nodeLevel_ = src->nodeLevel_;
  control_ = src->control_;
}

// ------------------------------------------------------------- TBaseGrid setup

TBaseGrid::TBaseGrid(TComponent* owner) : TStringGrid(owner) {
  // The grid draws its cells and lines itself; the class library's own
  // drawing and line spacing stay off for good.
  TStringGrid::SetDefaultDrawing(false);
  TStringGrid::SetGridLineWidth(0);
  TGridOptions options = Options();
  options.insert(goDrawFocusSelected);
  TStringGrid::SetOptions(options);
}

TBaseGrid::~TBaseGrid() {
  FreeAllCellProperties();
  if (undoRedo_) {
    undoRedo_->SetGrid(nullptr);
    undoRedo_->RemoveFreeNotification(this);
    undoRedo_ = nullptr;
  }
}

void TBaseGrid::SetDefaultDrawing(bool value) {
  defaultDrawing_ = value;
  TStringGrid::SetDefaultDrawing(false);
}

void TBaseGrid::SetGridLineWidth(int value) {
  gridLineWidth_ = std::max(0, value);
  TStringGrid::SetGridLineWidth(0);
  Invalidate();
}

void TBaseGrid::SetGridLineColor(TColor value) {
  gridLineColor_ = value;
  Invalidate();
}

void TBaseGrid::SetUndoRedo(TExGridUndoRedo* value) {
  if (undoRedo_ == value) return;
  if (undoRedo_) {
    undoRedo_->SetGrid(nullptr);
    undoRedo_->RemoveFreeNotification(this);
  }
  undoRedo_ = value;
  if (undoRedo_) {
    undoRedo_->SetGrid(this);
    undoRedo_->FreeNotification(this);
  }
}

void TBaseGrid::Notification(TComponent* component, TOperation operation) {
  TStringGrid::Notification(component, operation);
  if (operation == opRemove && component == undoRedo_) undoRedo_ = nullptr;
}

void TBaseGrid::Invalidate() {
  if (skipInvalidate_) {
    skipInvalidate_ = false;
    return;
  }
  TStringGrid::Invalidate();
}

// ------------------------------------------------------------- property slots

TCellProperties* TBaseGrid::FindCellProperties(int col, int row) const {
  // The object slot belongs to the grid: it holds nothing but properties.
  auto* props = static_cast<TCellProperties*>(RawObjects(col, row));
  if (col == 0 && props) props->columnZeroRow_ = row;
  return props;
}

int TBaseGrid::ColumnZeroRowOf(const TCellProperties& props) const {
  const int row = props.columnZeroRow_;
  return props.grid_ == this && row >= 0 && row < RowCount() && RawObjects(0, row) == &props ? row : -1;
}

TCellProperties* TBaseGrid::CellPropertiesAt(int col, int row) {
  if (!InGrid(col, row)) return nullptr;
  TCellProperties* props = FindCellProperties(col, row);
  if (!props) {
    props = new TCellProperties(this, col, row);
    SetRawObjects(col, row, props);
  }
  return props;
}

void TBaseGrid::ReplaceCellProperties(int col, int row, TCellProperties* props) {
  if (!InGrid(col, row)) {
    delete props;
    return;
  }
  TCellProperties* old = FindCellProperties(col, row);
  SetRawObjects(col, row, props);
  if (old && old != props) {
    ReleaseCellGraphic(*old);
    delete old;
  }
}

void TBaseGrid::FreeCellPropertiesAt(int col, int row) {
  TCellProperties* props = FindCellProperties(col, row);
  if (!props) return;
  SetRawObjects(col, row, nullptr);
  ReleaseCellGraphic(*props);
  delete props;
}

void TBaseGrid::FreeCellProperties(int c1, int r1, int c2, int r2) {
  c1 = std::max(c1, 0);
  r1 = std::max(r1, 0);
  c2 = std::min(c2, StoreColCount() - 1);
  r2 = std::min(r2, RowCount() - 1);
  for (int r = r1; r <= r2; ++r)
    for (int c = c1; c <= c2; ++c) FreeCellPropertiesAt(c, r);
}

void TBaseGrid::FreeAllCellProperties() { FreeCellProperties(0, 0, StoreColCount() - 1, RowCount() - 1); }

void TBaseGrid::DetachCell(int col, int row) {
  SetRawCells(col, row, AnsiString());
  SetRawObjects(col, row, nullptr);
}

void TBaseGrid::DetachColumnCells(int col) {
  for (int r = 0; r < RowCount(); ++r) DetachCell(col, r);
}

void TBaseGrid::DetachRowCells(int row) {
  for (int c = 0; c < ColCount(); ++c) DetachCell(c, row);
}

void TBaseGrid::DeleteRow(int row) {
  if (row >= 0 && row < RowCount()) {
    for (int c = 0; c < ColCount(); ++c)
      if (IsMergedCell(c, row)) TearSpan(c, row);
    FreeCellProperties(0, row, StoreColCount() - 1, row);
  }
  TStringGrid::DeleteRow(row);
}

void TBaseGrid::DeleteColumn(int col) {
  if (col >= 0 && col < ColCount()) {
    for (int r = 0; r < RowCount(); ++r)
      if (IsMergedCell(col, r)) TearSpan(col, r);
    FreeCellProperties(col, 0, col, RowCount() - 1);
  }
  TStringGrid::DeleteColumn(col);
}

void TBaseGrid::MoveRow(int fromIndex, int toIndex) {
  if (fromIndex != toIndex) SplitTallSpansIn(std::min(fromIndex, toIndex), std::max(fromIndex, toIndex));
  TStringGrid::MoveRow(fromIndex, toIndex);
}

void TBaseGrid::MoveColumn(int fromIndex, int toIndex) {
  if (fromIndex != toIndex) SplitWideSpansIn(std::min(fromIndex, toIndex), std::max(fromIndex, toIndex));
  TStringGrid::MoveColumn(fromIndex, toIndex);
}

void TBaseGrid::SplitTallSpansIn(int r1, int r2) {
  r1 = std::max(r1, 0);
  r2 = std::min(r2, RowCount() - 1);
  for (int r = r1; r <= r2; ++r) {
    // Most rows hold no properties at all; the kept columns live apart.
    const int first = RowHasObjects(r) ? 0 : ColCount();
    for (int c = first; c < StoreColCount(); ++c)
      if (HasCellProperties(c, r) && IsYMergedCell(c, r)) TearSpan(c, r);
  }
}

void TBaseGrid::SplitWideSpansIn(int c1, int c2) {
  c1 = std::max(c1, 0);
  c2 = std::min(c2, StoreColCount() - 1);
  for (int r = 0; r < RowCount(); ++r) {
    const bool stored = RowHasObjects(r);
    for (int c = c1; c <= c2; ++c)
      if ((stored || c >= ColCount()) && HasCellProperties(c, r) && IsXMergedCell(c, r)) TearSpan(c, r);
  }
}

// ------------------------------------------------------------- columns kept past ColCount

TBaseGrid::TKeptRow* TBaseGrid::KeptRowNeeded(int row) {
  if (keptRows_.size() <= static_cast<std::size_t>(row)) keptRows_.resize(static_cast<std::size_t>(row) + 1);
  std::unique_ptr<TKeptRow>& data = keptRows_[static_cast<std::size_t>(row)];
  if (!data) data = std::make_unique<TKeptRow>();
  return data.get();
}

void TBaseGrid::KeptRowsToRowCount() {
  if (keptRows_.size() < static_cast<std::size_t>(RowCount())) keptRows_.resize(static_cast<std::size_t>(RowCount()));
}

const AnsiString& TBaseGrid::RawCells(int col, int row) const {
  if (col < ColCount()) return TStringGrid::Cells(col, row);
  static const AnsiString empty;
  const std::size_t i = static_cast<std::size_t>(col - ColCount());
  if (col - ColCount() >= keptCount_ || row < 0 || static_cast<std::size_t>(row) >= keptRows_.size()) return empty;
  const TKeptRow* data = keptRows_[static_cast<std::size_t>(row)].get();
  return data && i < data->texts.size() ? data->texts[i] : empty;
}

void TBaseGrid::SetRawCells(int col, int row, AnsiString&& value) {
  if (col < ColCount()) {
    TStringGrid::SetCells(col, row, std::move(value));
    return;
  }
  if (col - ColCount() >= keptCount_ || row < 0 || row >= RowCount()) return;
  const std::size_t i = static_cast<std::size_t>(col - ColCount());
  const bool stored = static_cast<std::size_t>(row) < keptRows_.size() && keptRows_[static_cast<std::size_t>(row)];
  if (!stored && value.empty()) return;
  TKeptRow* data = KeptRowNeeded(row);
  if (data->texts.size() <= i) {
    if (value.empty()) return;
    data->texts.resize(static_cast<std::size_t>(keptCount_));
  }
  data->texts[i] = std::move(value);
}

AnsiString TBaseGrid::TakeRawCells(int col, int row) {
  // A non-empty text is always one the store holds in its own row records
  // (the shared empty text is never handed out for it), so the reference
  // it gives out for reading may be moved from. The store has no entry
  // that hands a text over, and copying every text of a row is what the
  // callers are here to avoid.
  const AnsiString& text = RawCells(col, row);
  if (text.empty()) return AnsiString();
  return std::exchange(const_cast<AnsiString&>(text), AnsiString());
}

TObject* TBaseGrid::RawObjects(int col, int row) const {
  if (col < ColCount()) return TStringGrid::Objects(col, row);
  const std::size_t i = static_cast<std::size_t>(col - ColCount());
  if (col - ColCount() >= keptCount_ || row < 0 || static_cast<std::size_t>(row) >= keptRows_.size()) return nullptr;
  const TKeptRow* data = keptRows_[static_cast<std::size_t>(row)].get();
  return data && i < data->objects.size() ? data->objects[i] : nullptr;
}

void TBaseGrid::SetRawObjects(int col, int row, TObject* value) {
  if (col < ColCount()) {
    TStringGrid::SetObjects(col, row, value);
    return;
  }
  if (col - ColCount() >= keptCount_ || row < 0 || row >= RowCount()) return;
  const std::size_t i = static_cast<std::size_t>(col - ColCount());
  const bool stored = static_cast<std::size_t>(row) < keptRows_.size() && keptRows_[static_cast<std::size_t>(row)];
  if (!stored && !value) return;
  TKeptRow* data = KeptRowNeeded(row);
  if (data->objects.size() <= i) {
    if (!value) return;
    data->objects.resize(static_cast<std::size_t>(keptCount_), nullptr);
  }
  data->objects[i] = value;
}

void TBaseGrid::ShiftRawColumns(int fromCol, int count, int toCol, bool emptyBlock,
                                std::vector<AnsiString>* landingTexts) {
  if (count <= 0 || fromCol < 0 || toCol < 0) return;
  // A destination inside the block leaves it where it is.
  const bool moves = toCol < fromCol || toCol > fromCol + count;
  if (!moves && !emptyBlock) return;
  const bool left = toCol < fromCol;
  const int first = moves && left ? toCol : fromCol;
  const int middle = moves && !left ? fromCol + count : fromCol;
  const int last = moves && !left ? toCol : fromCol + count;
  if (last <= ColCount()) {
    ShiftColumns(fromCol, count, toCol, emptyBlock, landingTexts);
    return;
  }
  const int landing = !moves || left ? first : last - count;
  // The range reaches the kept columns, which live beside the store's
  // records: each row's cells of the range are taken out, rotated and put back.
  const std::size_t n = static_cast<std::size_t>(last - first);
  std::vector<AnsiString> texts(n);
  std::vector<TObject*> objects(n);
  for (int r = 0; r < RowCount(); ++r) {
    const std::size_t row = static_cast<std::size_t>(r);
    AnsiString* landingText =
        emptyBlock && landingTexts && row < landingTexts->size() ? &(*landingTexts)[row] : nullptr;
    bool any = landingText && !landingText->empty();
    for (int c = first; c < last; ++c) {
      const std::size_t i = static_cast<std::size_t>(c - first);
      texts[i] = TakeRawCells(c, r);
      objects[i] = RawObjects(c, r);
      any = any || !texts[i].empty() || objects[i];
    }
    if (!any) continue;
    std::rotate(texts.begin(), texts.begin() + (middle - first), texts.end());
    std::rotate(objects.begin(), objects.begin() + (middle - first), objects.end());
    if (emptyBlock) {
      for (int c = landing; c < landing + count; ++c) {
        texts[static_cast<std::size_t>(c - first)] = AnsiString();
        objects[static_cast<std::size_t>(c - first)] = nullptr;
      }
      if (landingText) texts[static_cast<std::size_t>(landing - first)] = std::move(*landingText);
    }
    for (int c = first; c < last; ++c) {
      const std::size_t i = static_cast<std::size_t>(c - first);
      if (!texts[i].empty() || !RawCells(c, r).empty()) SetRawCells(c, r, std::move(texts[i]));
      if (objects[i] != RawObjects(c, r)) SetRawObjects(c, r, objects[i]);
    }
  }
}

void TBaseGrid::SetKeptColumnLimit(int limit) {
  keptLimit_ = std::max(0, limit);
  // Exactly the limit: missing columns are new, empty ones.
  if (keptCount_ > keptLimit_) {
    const std::size_t keep = static_cast<std::size_t>(keptLimit_);
    for (auto& data : keptRows_) {
      if (!data) continue;
      if (data->texts.size() > keep) data->texts.resize(keep);
      if (data->objects.size() > keep) data->objects.resize(keep);
    }
  }
  keptCount_ = keptLimit_;
}

void TBaseGrid::SetColCount(int value) {
  const int old = ColCount();
  if (value == old) return;
  if (value < old) {
    // The cut columns nearest to the new end are kept, up to the limit,
    // in front of the columns kept already.
    const int keep = std::max(0, std::min(old - value, keptLimit_));
    const int newCount = std::min(keep + keptCount_, keptLimit_);
    if (keep > 0) {
      const int rows = RowCount();
      for (int r = 0; r < rows; ++r) {
        bool any = false;
        for (int c = value; c < value + keep && !any; ++c)
          any = !TStringGrid::Cells(c, r).empty() || TStringGrid::Objects(c, r);
        const bool stored = static_cast<std::size_t>(r) < keptRows_.size() && keptRows_[static_cast<std::size_t>(r)];
        if (!any && !stored) continue;
        TKeptRow* data = KeptRowNeeded(r);
        if (!data->texts.empty() || any) {
          data->texts.resize(static_cast<std::size_t>(keptCount_));
          std::vector<AnsiString> cut(static_cast<std::size_t>(keep));
          for (int i = 0; i < keep; ++i) cut[static_cast<std::size_t>(i)] = TStringGrid::Cells(value + i, r);
          data->texts.insert(data->texts.begin(), std::make_move_iterator(cut.begin()),
                             std::make_move_iterator(cut.end()));
          data->texts.resize(static_cast<std::size_t>(newCount));
        }
        if (!data->objects.empty() || any) {
          data->objects.resize(static_cast<std::size_t>(keptCount_), nullptr);
          std::vector<TObject*> cut(static_cast<std::size_t>(keep));
          for (int i = 0; i < keep; ++i) cut[static_cast<std::size_t>(i)] = TStringGrid::Objects(value + i, r);
          data->objects.insert(data->objects.begin(), cut.begin(), cut.end());
          data->objects.resize(static_cast<std::size_t>(newCount));
        }
      }
    }
    keptCount_ = newCount;
    TStringGrid::SetColCount(value);
    return;
  }
  TStringGrid::SetColCount(value);
  // The kept columns that the window now reaches go back into the store.
  const int take = std::min(value - old, keptCount_);
  if (take <= 0) return;
  const std::size_t n = static_cast<std::size_t>(take);
  for (std::size_t r = 0; r < keptRows_.size(); ++r) {
    TKeptRow* data = keptRows_[r].get();
    if (!data) continue;
    const std::size_t texts = std::min(n, data->texts.size());
    for (std::size_t i = 0; i < texts; ++i)
      if (!data->texts[i].empty())
        TStringGrid::SetCells(old + static_cast<int>(i), static_cast<int>(r), std::move(data->texts[i]));
    data->texts.erase(data->texts.begin(), data->texts.begin() + static_cast<std::ptrdiff_t>(texts));
    const std::size_t objects = std::min(n, data->objects.size());
    for (std::size_t i = 0; i < objects; ++i)
      if (data->objects[i]) TStringGrid::SetObjects(old + static_cast<int>(i), static_cast<int>(r), data->objects[i]);
    data->objects.erase(data->objects.begin(), data->objects.begin() + static_cast<std::ptrdiff_t>(objects));
  }
  keptCount_ -= take;
}

void TBaseGrid::ExchangeRows(int row1, int row2) {
  if (row1 < 0 || row2 < 0 || row1 >= RowCount() || row2 >= RowCount() || row1 == row2) return;
  TStringGrid::ExchangeRows(row1, row2);
  if (keptRows_.empty()) return;
  KeptRowsToRowCount();
  std::swap(keptRows_[static_cast<std::size_t>(row1)], keptRows_[static_cast<std::size_t>(row2)]);
}

void TBaseGrid::RowMoved(int fromIndex, int toIndex) {
  TStringGrid::RowMoved(fromIndex, toIndex);
  if (keptRows_.empty()) return;
  KeptRowsToRowCount();
  auto from = keptRows_.begin() + fromIndex;
  auto to = keptRows_.begin() + toIndex;
  if (fromIndex < toIndex) std::rotate(from, from + 1, to + 1);
  else std::rotate(to, from, from + 1);
}

void TBaseGrid::RowBlockMoved(int fromIndex, int count, int toIndex) {
  TStringGrid::RowBlockMoved(fromIndex, count, toIndex);
  if (keptRows_.empty()) return;
  KeptRowsToRowCount();
  auto first = keptRows_.begin();
  if (toIndex < fromIndex) std::rotate(first + toIndex, first + fromIndex, first + fromIndex + count);
  else std::rotate(first + fromIndex, first + fromIndex + count, first + toIndex);
}

void TBaseGrid::SizeChanged(int oldColCount, int oldRowCount) {
  // Rows cut off lose their kept cells too (their objects were freed first).
  if (keptRows_.size() > static_cast<std::size_t>(RowCount())) keptRows_.resize(static_cast<std::size_t>(RowCount()));
  TStringGrid::SizeChanged(oldColCount, oldRowCount);
}

// ------------------------------------------------------------- spans

TPoint TBaseGrid::BaseCellOf(int col, int row) const {
  const TCellProperties* props = FindCellProperties(col, row);
  if (props && !props->IsBaseCell()) {
    int baseCol = col - props->CellSpanX();
    int baseRow = row - props->CellSpanY();
    // A covered cell whose offsets lead outside the grid (its base row was
    // removed) stands for itself rather than for a cell that is not there.
    if (baseCol >= 0 && baseRow >= 0 && baseCol <= col && baseRow <= row) return {baseCol, baseRow};
  }
  return {col, row};
}

bool TBaseGrid::IsBaseCellAt(int col, int row) const {
  const TCellProperties* props = FindCellProperties(col, row);
  return !props || props->IsBaseCell();
}

bool TBaseGrid::IsMergedCell(int col, int row) const {
  const TCellProperties* props = FindCellProperties(col, row);
  return props && (props->CellSpanX() > 0 || props->CellSpanY() >= 1);
}

bool TBaseGrid::IsXMergedCell(int col, int row) const {
  TPoint base = BaseCellOf(col, row);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  return props && props->CellSpanX() > 0;
}

bool TBaseGrid::IsYMergedCell(int col, int row) const {
  TPoint base = BaseCellOf(col, row);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  return props && props->CellSpanY() > 0;
}

TPoint TBaseGrid::CellSpan(int col, int row) const {
  TPoint base = BaseCellOf(col, row);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  if (!props) return {0, 0};
  return {std::max(props->CellSpanX(), 0), std::max(props->CellSpanY(), 0)};
}

void TBaseGrid::MergeCells(int col, int row, int spanX, int spanY) {
  if (spanX < 1 || spanY < 1 || !InGrid(col, row)) return;
  // A span never reaches past the grid: the part outside is cut off.
  spanX = std::min(spanX, ColCount() - col);
  spanY = std::min(spanY, RowCount() - row);
  // Spans the rectangle cuts into are dissolved first.
  for (int r = row; r < row + spanY; ++r)
    for (int c = col; c < col + spanX; ++c)
      if (IsMergedCell(c, r)) SplitCells(c, r);
  for (int r = row; r < row + spanY; ++r) {
    for (int c = col; c < col + spanX; ++c) {
      TCellProperties* props = CellPropertiesAt(c, r);
      const bool base = c == col && r == row;
      props->SetIsBaseCell(base);
      props->SetCellSpanX(base ? spanX - 1 : c - col);
      props->SetCellSpanY(base ? spanY - 1 : r - row);
    }
  }
  RepaintMergedCell(col, row);
}

void TBaseGrid::SplitCells(int col, int row) {
  TPoint base = BaseCellOf(col, row);
  TCellProperties* baseProps = FindCellProperties(base.X, base.Y);
  if (!baseProps) return;
  RepaintMergedCell(base.X, base.Y);
  const int lastCol = std::min(base.X + std::max(baseProps->CellSpanX(), 0), ColCount() - 1);
  const int lastRow = std::min(base.Y + std::max(baseProps->CellSpanY(), 0), RowCount() - 1);
  for (int r = base.Y; r <= lastRow; ++r) {
    for (int c = base.X; c <= lastCol; ++c) {
      TCellProperties* props = FindCellProperties(c, r);
      if (!props) continue;
      // Only cells that belong to this span: a stray cell of another span
      // keeps its own encoding.
      if (c != base.X || r != base.Y) {
        if (props->IsBaseCell() || BaseCellOf(c, r) != base) continue;
      }
      props->SetIsBaseCell(true);
      props->SetCellSpanX(-1);
      props->SetCellSpanY(-1);
    }
  }
}

void TBaseGrid::TearSpan(int col, int row) {
  const TPoint base = BaseCellOf(col, row);
  const TCellProperties* baseProps = FindCellProperties(base.X, base.Y);
  if (!baseProps) return;
  const int lastCol = std::min(base.X + std::max(baseProps->CellSpanX(), 0), ColCount() - 1);
  const int lastRow = std::min(base.Y + std::max(baseProps->CellSpanY(), 0), RowCount() - 1);
  // The cells of this span only, found before the split forgets them.
  std::vector<TPoint> covered;
  for (int r = base.Y; r <= lastRow; ++r)
    for (int c = base.X; c <= lastCol; ++c)
      if ((c != base.X || r != base.Y) && !IsBaseCellAt(c, r) && BaseCellOf(c, r) == base) covered.push_back({c, r});
  SplitCells(base.X, base.Y);
  // A covered cell that still holds a text of its own (merged over after it
  // was typed) shows that one again; the file never stores one.
  const AnsiString text = RawCells(base.X, base.Y);
  for (const TPoint& cell : covered)
    if (RawCells(cell.X, cell.Y).empty()) SetRawCells(cell.X, cell.Y, AnsiString(text));
}

namespace {

// Client position of a column's left edge (a row's top edge) measured from
// the scroll position, also for cells scrolled out of view.
template <class Extent>
int AxisOrigin(int index, int fixedCount, int firstScrolling, Extent extent) {
  int pos = 0;
  if (index < fixedCount) {
    for (int i = 0; i < index; ++i) pos += extent(i);
    return pos;
  }
  for (int i = 0; i < fixedCount; ++i) pos += extent(i);
  if (index >= firstScrolling) {
    for (int i = firstScrolling; i < index; ++i) pos += extent(i);
  } else {
    for (int i = index; i < firstScrolling; ++i) pos -= extent(i);
  }
  return pos;
}

}  // namespace

TRect TBaseGrid::MergedCellRect(int col, int row) const {
  const int realCol = RealColIndex(col);
  TPoint span = CellSpan(realCol, row);
  if (span.X == 0 && span.Y == 0) return CellRect(col, row);
  TPoint base = BaseCellOf(realCol, row);
  // Hidden columns inside the span take no room; those before it move it left.
  const int lastReal = base.X + span.X;
  base.X = DisplColIndex(base.X);
  const int lastCol = std::min(DisplColIndex(lastReal + 1) - 1, ColCount() - 1);
  const int lastRow = std::min(base.Y + span.Y, RowCount() - 1);
  auto width = [this](int i) { return ColWidths(i); };
  auto height = [this](int i) { return RowHeights(i); };
  TRect r;
  r.Left = AxisOrigin(base.X, FixedCols(), LeftCol(), width);
  r.Top = AxisOrigin(base.Y, FixedRows(), TopRow(), height);
  r.Right = AxisOrigin(lastCol, FixedCols(), LeftCol(), width) + ColWidths(lastCol);
  r.Bottom = AxisOrigin(lastRow, FixedRows(), TopRow(), height) + RowHeights(lastRow);
  return r;
}

TPoint TBaseGrid::MergedCellSize(int col, int row) const {
  TRect r = MergedCellRect(col, row);
  return {r.Width(), r.Height()};
}

bool TBaseGrid::RowsShareSpan(int row1, int row2) const {
  bool shared = false;
  for (int c = 0; c < ColCount(); ++c) {
    if (!IsYMergedCell(c, row1) || !IsYMergedCell(c, row2)) continue;
    if (BaseCellOf(c, row1).Y != BaseCellOf(c, row2).Y) return false;
    shared = true;
  }
  return shared;
}

void TBaseGrid::RepaintMergedCell(int col, int row) {
  TRect r = MergedCellRect(col, row);
  if (!r.IsEmpty()) InvalidateRect(r);
}

// ------------------------------------------------------------- cell text

AnsiString TBaseGrid::GetCellText(int col, int row) const {
  TPoint base = BaseCellOf(col, row);
  AnsiString text = RawCells(base.X, base.Y);
  if (base.Y < displayRowLimit_) DoGetDisplText(base.X, base.Y, text);
  if (OnGetDisplWideText) {
    WideString wide = UnicodeCellToWide(text);
    DoGetDisplWideText(base.X, base.Y, wide);
    text = WideToUnicodeCell(wide);
  }
  return text;
}

void TBaseGrid::SetCellText(int col, int row, const AnsiString& value) {
  if (FindCellProperties(col, row)) {
    TPoint base = BaseCellOf(col, row);
    SetRawCells(base.X, base.Y, value);
    if (Parent()) RepaintMergedCell(base.X, base.Y);
  } else {
    SetRawCells(col, row, value);
  }
  if (footerShown_ && row == RowCount() - 1) FooterChanged();
}

void TBaseGrid::DoGetDisplText(int col, int row, AnsiString& text) const {
  if (OnGetDisplText) OnGetDisplText(const_cast<TBaseGrid*>(this), col, row, text);
}

void TBaseGrid::DoGetDisplWideText(int col, int row, WideString& text) const {
  if (OnGetDisplWideText) OnGetDisplWideText(const_cast<TBaseGrid*>(this), col, row, text);
}

// ------------------------------------------------------------- drawing

void TBaseGrid::Paint() {
  // Pass numbers start at 1, so a fresh paint stamp (0) never claims that a
  // span was drawn already.
  ++paintCounter_;
  TStringGrid::Paint();
}

void TBaseGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  TCanvas* canvas = Canvas();
  if (footerShown_ && row == RowCount() - 1) {
    canvas->Brush()->SetColor(Color());
    canvas->FillRect(rect);
    return;
  }
  // col is a display column; the cells' properties stand at their real one.
  const int realCol = RealColIndex(col);
  TCellProperties* props = FindCellProperties(realCol, row);
  TPoint base = props && !props->IsBaseCell() ? BaseCellOf(realCol, row) : TPoint{realCol, row};
  if (TCellProperties* baseProps = FindCellProperties(base.X, base.Y)) {
    // A span is drawn once per pass, whichever of its cells is asked first.
    if (baseProps->PaintStamp() == static_cast<int>(paintCounter_)) return;
    baseProps->SetPaintStamp(static_cast<int>(paintCounter_));
  }
  DrawBaseCell(base.X == realCol ? col : DisplColIndex(base.X), base.Y, state);
}

void TBaseGrid::DrawBaseCell(int col, int row, TGridDrawState state) {
  TCanvas* canvas = Canvas();
  const bool fixedByGrid = col < FixedCols() || row < FixedRows();
  if (IsFixedCell(col, row) || fixedByGrid) {
    state.erase(gdSelected);
    state.insert(gdFixed);
  }
  const bool fixed = state.contains(gdFixed);
  TRect rect = MergedCellRect(col, row);
  // A span from the fixed cells into the scrolling ones keeps the whole of
  // its fixed part however far the view scrolled: the columns scrolled away
  // would pull its edge back into the fixed area, which then showed blank.
  const TPoint span = CellSpan(RealColIndex(col), row);
  if (col < FixedCols() && col + span.X >= FixedCols()) {
    int fixedRight = 0;
    for (int i = 0; i < FixedCols(); ++i) fixedRight += ColWidths(i);
    rect.Right = std::max(rect.Right, fixedRight);
  }
  if (row < FixedRows() && row + span.Y >= FixedRows()) {
    int fixedBottom = 0;
    for (int i = 0; i < FixedRows(); ++i) fixedBottom += RowHeights(i);
    rect.Bottom = std::max(rect.Bottom, fixedBottom);
  }
  if (rect.IsEmpty()) return;

  int fixedWidth = 0;
  if (col >= FixedCols())
    for (int i = 0; i < FixedCols(); ++i) fixedWidth += ColWidths(i);
  int fixedHeight = 0;
  if (row >= FixedRows())
    for (int i = 0; i < FixedRows(); ++i) fixedHeight += RowHeights(i);
  // A span whose first columns scrolled out of view starts where the view
  // does, so that its text stays in sight.
  if (col >= FixedCols() && rect.Left < fixedWidth && rect.Right > fixedWidth) rect.Left = fixedWidth;
  // A span scrolled partly under the fixed cells must not paint over them.
  const bool clip = (FixedCols() >= 1 && col >= FixedCols() && rect.Left < fixedWidth) ||
                    (FixedRows() >= 1 && row >= FixedRows() && rect.Top < fixedHeight);
  if (clip) {
    canvas->SaveClip();
    canvas->IntersectClipRect(Rect(fixedWidth, fixedHeight, Width(), Height()));
  }

  canvas->Pen()->SetWidth(1);
  canvas->SetFont(*Font());
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Brush()->SetColor(fixed ? FixedColor() : Color());
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  GetCellColors(col, row, canvas->Font(), canvas->Brush(), gradientEnd, hAlign, vAlign, true, true,
                false, state);
  canvas->Pen()->SetColor(canvas->Brush()->Color());
  if (gradientEnd == clNone)
    canvas->FillRect(rect);
  else
    canvas->GradientFill(rect, canvas->Brush()->Color(), gradientEnd, false, 64);

  int inset;
  int lineWidth;
  if (fixed) {
    canvas->Pen()->SetColor(0x808080);
    lineWidth = 1;
    inset = 1;
  } else {
    if (gridLineWidth_ > 0) canvas->Pen()->SetColor(gridLineColor_);
    lineWidth = gridLineWidth_;
    inset = (gridLineWidth_ + 1) / 2;
  }
  canvas->Pen()->SetWidth(std::max(lineWidth, 1));

  if (col == 0 && row >= FixedRows()) rect.Left += GetCellIndent(row);

  const TGridOptions options = Options();
  if (lineWidth > 0) {
    const bool bottomLine = (options.contains(goHorzLine) && !fixed) ||
                            (options.contains(goFixedHorzLine) && fixed);
    if (bottomLine && !(col == 0 && HasNodes())) {
      canvas->MoveTo(rect.Left - inset + 1, rect.Bottom - inset);
      canvas->LineTo(rect.Right - inset + 1, rect.Bottom - inset);
    }
    const bool rightLine = (options.contains(goVertLine) && !fixed) ||
                           (options.contains(goFixedVertLine) && fixed);
    if (rightLine) {
      canvas->MoveTo(rect.Right - inset, rect.Bottom - inset);
      canvas->LineTo(rect.Right - inset, rect.Top - inset);
    }
  }

  const int shrink = fixed ? 1 : gridLineWidth_;
  InflateRect(rect, -shrink, -shrink);
  DrawCellContent(canvas, col, row, rect, state);
  if (clip) canvas->RestoreClip();
}

void TBaseGrid::DrawCellContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) {
  AnsiString text = GetCellText(col, row);
  if (text.empty()) return;
  canvas->Brush()->SetStyle(bsClear);
  const unsigned flags = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  if (IsUnicodeCell(text))
    canvas->DrawTextW(UnicodeCellToWide(text), rect, flags);
  else
    canvas->DrawText(text, rect, flags);
  canvas->Brush()->SetStyle(bsSolid);
}

// ------------------------------------------------------------- focus and keys

bool TBaseGrid::SelectCell(int col, int row) {
  const int oldCol = Col();
  const int oldRow = Row();
  if (!TStringGrid::SelectCell(col, row)) return false;
  if (InGrid(oldCol, oldRow)) RepaintMergedCell(oldCol, oldRow);
  if (InGrid(col, row)) RepaintMergedCell(col, row);
  return true;
}

void TBaseGrid::FocusBaseCell() {
  if (!InGrid(Col(), Row())) return;
  TPoint base = BaseCellOf(Col(), Row());
  if (base.X != Col()) SetCol(base.X);
  if (base.Y != Row()) SetRow(base.Y);
}

void TBaseGrid::KeyDown(Word& key, TShiftState shift) {
  if (InGrid(Col(), Row()) && HasCellProperties(Col(), Row())) {
    const TPoint base = BaseCellOf(Col(), Row());
    const TCellProperties* baseProps = FindCellProperties(base.X, base.Y);
    const int spanX = baseProps ? std::max(baseProps->CellSpanX(), 0) : 0;
    const int spanY = baseProps ? std::max(baseProps->CellSpanY(), 0) : 0;
    switch (key) {
      case VK_RIGHT: {
        // Standing on the span's last column, the class library's move
        // lands on the first column after the span.
        const int last = base.X + spanX;
        if (last >= Col() && Col() < ColCount() - 1 && base.X < ColCount() - 1 && last < ColCount())
          SetCol(last);
        break;
      }
      case VK_DOWN: {
        const int last = base.Y + spanY;
        if (last >= Row() && Row() < RowCount() - 1 && base.Y < RowCount() - 1 && last < RowCount())
          SetRow(last);
        break;
      }
      case VK_LEFT:
        // From inside a span, the move leaves it on the left, as Right
        // leaves it on the right.
        if (base.X != Col()) SetCol(base.X);
        break;
      case VK_UP:
        if (base.Y != Row()) SetRow(base.Y);
        break;
      default:
        break;
    }
  }
  if (key == VK_NEXT && footerShown_ && RowCount() >= 2 &&
      VisibleRowCount() + TopRow() - FixedRows() == RowCount() - 1)
    SetRow(RowCount() - 2);
  TStringGrid::KeyDown(key, shift);
  FocusBaseCell();
}

void TBaseGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TStringGrid::MouseDown(button, shift, x, y);
  FocusBaseCell();
}

bool TBaseGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  const bool handled = TStringGrid::DoMouseWheelDown(shift, mousePos);
  if (footerShown_ && Row() < RowCount() - 1 && VisibleRowCount() < Row() - TopRow())
    SetTopRow(TopRow() + 1);
  FocusBaseCell();
  return handled;
}

bool TBaseGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  const bool handled = TStringGrid::DoMouseWheelUp(shift, mousePos);
  FocusBaseCell();
  return handled;
}

void TBaseGrid::ColWidthsChanged() {
  TStringGrid::ColWidthsChanged();
  ViewChanged();
}

void TBaseGrid::RowHeightsChanged() {
  TStringGrid::RowHeightsChanged();
  ViewChanged();
}

void TBaseGrid::TopLeftChanged() {
  TStringGrid::TopLeftChanged();
  ViewChanged();
  // Spans that reach out of the fixed area follow the scrolled view.
  const int lastCol = std::min(LeftCol() + VisibleColCount(), ColCount() - 1);
  for (int r = 0; r < FixedRows(); ++r)
    for (int c = LeftCol(); c <= lastCol; ++c)
      if (IsMergedCell(c, r)) RepaintMergedCell(c, r);
  const int lastRow = std::min(TopRow() + VisibleRowCount(), RowCount() - 1);
  for (int c = 0; c < FixedCols(); ++c)
    for (int r = TopRow(); r <= lastRow; ++r)
      if (IsMergedCell(c, r)) RepaintMergedCell(c, r);
}

// ------------------------------------------------------------- undo recorder

TUndoRedoCollection::TUndoRedoCollection() : TCollection(ItemClassOf<TUndoRedoItem>()) {}

TExGridUndoRedo::TExGridUndoRedo(TComponent* owner) : TComponent(owner) {}

TExGridUndoRedo::~TExGridUndoRedo() {
  if (grid_) {
    TBaseGrid* grid = grid_;
    grid_ = nullptr;
    grid->SetUndoRedo(nullptr);
  }
}

void TExGridUndoRedo::AddChange(int col, int row, const AnsiString& oldText, const AnsiString& newText) {
  // A lowered MaxLevel drops every item beyond it, not only the oldest one.
  if (maxLevel_ >= 1)
    while (items_.Count() >= maxLevel_) items_.Delete(0);
  TUndoRedoItem* item = items_.Add();
  item->Col = col;
  item->Row = row;
  item->OrigValue = oldText;
  item->Value = newText;
  level_ = items_.Count();
}

void TExGridUndoRedo::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == grid_) grid_ = nullptr;
}
