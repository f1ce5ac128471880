// TExStringGrid: stretching, sizing to contents, the end of mouse sizing,
// growing with the form, and the styled and proportional scroll bars.
//
// Sections:
//   form link ............ the form's OnResize chained through the grid
//   stretching ........... StretchToClient, the stretch run, Resize
//   mouse sizing ......... CalcSizingState, ColWidthsChanged, RowHeightsChanged
//   fitting .............. CellContentExtent, FitColumnToContents, FitRowToContents, ...
//   scroll bars .......... UpdateScrollBarLooks, WMHScroll / WMVScroll
//
// Widths are never divided by, or scaled to, an extent of 0: a minimised
// window reports a client width of 0, and a line sized to nothing must not
// take every other line with it.
#include <algorithm>
#include <climits>
#include <cmath>

#include "grid/ExGrid.h"
#include "grid/ExGridSizing.h"
#include "grid/ExGridSort.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ScrollBarStyle.h"

namespace {

inline constexpr char kStretchIndexError[] = "Stretch column index out of range";
// The proportional thumb travels over 0..127.
constexpr int kThumbScale = 128;

struct TBusyScope {
  bool& flag;
  bool was;
  explicit TBusyScope(bool& f) : flag(f), was(f) { flag = true; }
  ~TBusyScope() { flag = was; }
};

}  // namespace

// ------------------------------------------------------------------ form link

// What the form's OnResize calls: the grid's step (while the grid lives),
// the handler that was there before, then the stretch.
struct TFormResizeState {
  TExStringGrid* grid = nullptr;
  TCustomForm* form = nullptr;
  TNotifyEvent previous;
  TSize lastFormSize{};
};

namespace {

struct TFormResizeThunk {
  std::shared_ptr<TFormResizeState> state;
  void operator()(TObject* sender) const {
    // Held here: the handlers below may release the link.
    std::shared_ptr<TFormResizeState> keep = state;
    TExStringGrid* grid = keep->grid;
    if (grid && grid->SizeWithForm() && keep->form) {
      const int w = keep->form->Width(), h = keep->form->Height();
      const int dw = w - keep->lastFormSize.cx, dh = h - keep->lastFormSize.cy;
      const int gw = grid->Width() + dw, gh = grid->Height() + dh;
      if (gw > 0 && gh > 0) {
        grid->SetBounds(grid->Left(), grid->Top(), gw, gh);
        keep->lastFormSize = {w, h};
      }
    }
    if (keep->previous) keep->previous(sender);
    if (keep->grid && keep->grid->ColumnSize()->Stretch()) keep->grid->StretchToClient(keep->grid->ColumnSize()->StretchColumn());
  }
};

// Tells the link when the form goes first.
class TFormWatcher : public TComponent {
 public:
  explicit TFormWatcher(std::shared_ptr<TFormResizeState> state) : TComponent(nullptr), state_(std::move(state)) {
    state_->form->FreeNotification(this);
  }
  ~TFormWatcher() override {
    if (state_->form) state_->form->RemoveFreeNotification(this);
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && component == state_->form) state_->form = nullptr;
  }

 private:
  std::shared_ptr<TFormResizeState> state_;
};

}  // namespace

TGridSizing::TGridSizing(TExStringGrid* owner) : grid(owner) {
  auto* form = dynamic_cast<TCustomForm*>(owner->Owner());
  if (!form || owner->HasState(csDesigning)) return;
  formLink = std::make_shared<TFormResizeState>();
  formLink->grid = owner;
  formLink->form = form;
  formLink->previous = form->OnResize;
  formLink->lastFormSize = {form->Width(), form->Height()};
  form->OnResize = TFormResizeThunk{formLink};
  watcher = std::make_unique<TFormWatcher>(formLink);
}

TGridSizing::~TGridSizing() {
  if (!formLink) return;
  formLink->grid = nullptr;
  if (TCustomForm* form = formLink->form) {
    // Put the previous handler back unless another one was chained after
    // the grid's: then the grid's link only forwards from now on.
    auto* thunk = form->OnResize.target<TFormResizeThunk>();
    if (thunk && thunk->state == formLink) form->OnResize = formLink->previous;
  }
  watcher.reset();
}

// ---------------------------------------------------------- stored settings

TPrintSettings::TPrintSettings() = default;

void TPrintSettings::Assign(const TPersistent* source) {
  auto* other = dynamic_cast<const TPrintSettings*>(source);
  if (!other) return TPersistent::Assign(source);
  font_.Assign(other->font_);
  headerFont_.Assign(other->headerFont_);
  footerFont_.Assign(other->footerFont_);
  fixedFont_.Assign(other->fixedFont_);
  titleLines_.Assign(&other->titleLines_);
  pageNumSep_ = other->pageNumSep_;
  dateFormat_ = other->dateFormat_;
  centered_ = other->centered_;
  useDisplayFont_ = other->useDisplayFont_;
  columnSpacing_ = other->columnSpacing_;
  rowSpacing_ = other->rowSpacing_;
  titleSpacing_ = other->titleSpacing_;
}

// ------------------------------------------------------------------ accessors

TGridSizeLimits& TExStringGrid::SizeLimits() { return sizing_->limits; }
TScrollBarOptions& TExStringGrid::ScrollOptions() { return sizing_->scroll; }
TPrintSettings* TExStringGrid::PrintSettings() { return &sizing_->print; }
THTMLSettings* TExStringGrid::HTMLSettings() { return &sizing_->html; }
bool TExStringGrid::SizeWithForm() const { return sizing_->sizeWithForm; }

void TExStringGrid::SetSizeWithForm(bool v) {
  sizing_->sizeWithForm = v;
  // The form's size from now on is what later resizes compare with.
  if (v && sizing_->formLink && sizing_->formLink->form)
    sizing_->formLink->lastFormSize = {sizing_->formLink->form->Width(), sizing_->formLink->form->Height()};
}

bool TExStringGrid::ScrollProportional() const { return sizing_->scrollProportional; }

void TExStringGrid::SetScrollProportional(bool v) {
  if (sizing_->scrollProportional == v) return;
  sizing_->scrollProportional = v;
  if (!v && HandleAllocated()) {
    // Back to the grid's own scale of cells.
    sizing_->proportionalOn[0] = sizing_->proportionalOn[1] = false;
    UpdateScrollRange();
    UpdateScrollPos();
  }
  UpdateScrollBarLooks();
}

// ------------------------------------------------------------------ stretching

void TExStringGrid::StretchToClient(int col) {
  const int cols = ColCount();
  if (col < -1 || col >= cols) throw EExGridError(kStretchIndexError);
  if (cols == 0 || sizing_->busy) return;
  const int client = ClientWidth();
  if (client <= 0) return;  // minimised: the widths wait for the window to come back
  const int index = col == -1 ? cols - 1 : col;
  TBusyScope busy(sizing_->busy);
  if (cols == 1) {
    SetColWidths(0, client);
    return;
  }
  int others = 0;
  for (int c = 0; c < cols; ++c)
    if (c != index) others += std::max(0, ColWidths(c));
  if (client > others) SetColWidths(index, client - others - 1);
  else if (LeftCol() == FixedCols()) SetColWidths(index, DefaultColWidth());
}

namespace {
// The stretch that runs after sizes change: only with Stretch on, never
// while loading or going. It runs inside window messages, where an
// exception has no one to tell: a stretch column the grid no longer has
// (columns were removed) waits for the columns to come back.
void RunStretch(TExStringGrid& grid) {
  if (!grid.ColumnSize()->Stretch() || grid.HasState(csLoading) || grid.HasState(csDestroying)) return;
  const int col = grid.ColumnSize()->StretchColumn();
  if (grid.ColCount() == 0 || col < -1 || col >= grid.ColCount()) return;
  grid.StretchToClient(col);
}
}  // namespace

void TExStringGrid::Resize() {
  TBaseGrid::Resize();
  if (Destroying()) return;
  if (sizing_->busy) {
    sizing_->resizePending = true;
    return;
  }
  ResizeColumns();
  // Widths set just now may have shown or hidden a scroll bar, which
  // resized the client again; that size counts too (twice at most).
  for (int again = 0; again < 2 && sizing_->resizePending; ++again) {
    sizing_->resizePending = false;
    ResizeColumns();
  }
  sizing_->resizePending = false;
}

void TExStringGrid::ResizeColumns() {
  const int width = ClientWidth();
  if (columnSize_->Stretch()) {
    RunStretch(*this);
  } else if (columnSize_->SynchWithGrid() && width > 0 && sizing_->lastGridWidth > 0 &&
             width != sizing_->lastGridWidth) {
    TBusyScope busy(sizing_->busy);
    if (InplaceEditor() && EditorMode()) HideEditor();
    std::vector<int> current(static_cast<std::size_t>(ColCount()));
    for (int c = 0; c < ColCount(); ++c) current[static_cast<std::size_t>(c)] = ColWidths(c);
    if (current != sizing_->synchLastSet || sizing_->synchBaseWidth <= 0) {
      // Widths changed since the last scaling: they are the new base.
      sizing_->synchBase = current;
      sizing_->synchBaseWidth = sizing_->lastGridWidth;
    }
    const double factor = static_cast<double>(width) / sizing_->synchBaseWidth;
    for (int c = 0; c < ColCount(); ++c) {
      const int w = sizing_->synchBase[static_cast<std::size_t>(c)];
      if (w > 0) SetColWidths(c, std::max(1, static_cast<int>(std::lround(w * factor))));
    }
    for (int c = 0; c < ColCount(); ++c) current[static_cast<std::size_t>(c)] = ColWidths(c);
    sizing_->synchLastSet = std::move(current);
  }
  // A window shrunk to nothing keeps the width it had, so that coming back
  // scales from there and never from 0.
  if (width > 0) sizing_->lastGridWidth = width;
  UpdateScrollBarLooks();
}

void TExStringGrid::SizeChanged(int oldColCount, int oldRowCount) {
  if (Parent() && !HasState(csLoading) && !HasState(csReading)) RunStretch(*this);
  TBaseGrid::SizeChanged(oldColCount, oldRowCount);
  UpdateScrollBarLooks();
}

void TExStringGrid::TopLeftChanged() {
  TBaseGrid::TopLeftChanged();
  // The text editor follows the view; an editor control stays where it was
  // placed and would cover another cell, so its edit ends, writing its value.
  if (ControlEditorOpen()) HideCellEditor();
  if (ControlEditorActive()) EndControlEditor();
  UpdateScrollBarLooks();
  RepaintFloatingFooter();
}

// ---------------------------------------------------------------- mouse sizing

namespace {
// Every other scrolling line takes the sized line's change of scale. A line
// sized from or to nothing gives no scale: the others keep their extents.
template <class Get, class Set>
void ScaleOtherLines(int first, int count, int sized, int before, int after, Get get, Set set) {
  if (before < 1 || after < 1) return;
  const double factor = static_cast<double>(after) / before;
  for (int i = first; i < count; ++i)
    if (i != sized && get(i) > 0) set(i, static_cast<int>(std::lround(get(i) * factor)));
}
}  // namespace

void TExStringGrid::CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos, int& sizingOfs,
                                    TGridDrawInfo& fixedInfo) {
  TBaseGrid::CalcSizingState(x, y, state, index, sizingPos, sizingOfs, fixedInfo);
  // On a mouse press the grid's own state is what was just computed; on a
  // move over a border (the cursor's look) it stays normal.
  if (state != GridState()) return;
  if (state == gsColSizing) {
    sizing_->anchorCol = index;
    sizing_->anchorColWidth = ColWidths(index);
  } else if (state == gsRowSizing) {
    sizing_->anchorRow = index;
    sizing_->anchorRowHeight = RowHeights(index);
  }
}

void TExStringGrid::ColWidthsChanged() {
  TBaseGrid::ColWidthsChanged();
  if (Destroying()) return;
  PlaceEditorOnCell();
  RepaintFloatingFooter();
  if (sizing_->busy) return;
  RunStretch(*this);
  const int col = sizing_->anchorCol;
  if (col >= 0 && GridState() == gsNormal) {
    // The end of a sizing by mouse.
    const int before = sizing_->anchorColWidth;
    sizing_->anchorCol = -1;
    if (col < ColCount() && ColWidths(col) != before) {
      const int after = ColWidths(col);
      TBusyScope busy(sizing_->busy);
      if (mouseActions_->AllColumnSize())
        ScaleOtherLines(FixedCols(), ColCount(), col, before, after, [this](int c) { return ColWidths(c); },
                        [this](int c, int w) { SetColWidths(c, w); });
      if (OnEndColumnSize) OnEndColumnSize(this, col);
      int width = ColWidths(col);
      UpdateColumnSize(col, width, false);
      if (width != ColWidths(col) && width >= 0) SetColWidths(col, width);
    }
  }
  UpdateScrollBarLooks();
}

void TExStringGrid::RowHeightsChanged() {
  TBaseGrid::RowHeightsChanged();
  if (sizing_->busy || Destroying()) return;
  const int row = sizing_->anchorRow;
  if (row >= 0 && GridState() == gsNormal) {
    const int before = sizing_->anchorRowHeight;
    sizing_->anchorRow = -1;
    if (row < RowCount() && RowHeights(row) != before) {
      const int after = RowHeights(row);
      TBusyScope busy(sizing_->busy);
      if (mouseActions_->AllRowSize())
        ScaleOtherLines(FixedRows(), RowCount(), row, before, after, [this](int r) { return RowHeights(r); },
                        [this](int r, int h) { SetRowHeights(r, h); });
      if (OnEndRowSize) OnEndRowSize(this, row);
    }
  }
  UpdateScrollBarLooks();
}

// --------------------------------------------------------------------- fitting

TSize TExStringGrid::CellContentExtent(int col, int row, int width) {
  // Measured as painting measures it: the cell's own font and colours, the
  // zoom step, its markup kind and its graphic. A width to fit into asks
  // for the height the text needs inside the column as it is.
  TSize size{0, 0};
  const bool withinWidth = width != INT_MAX && WordWrap();
  if (width != INT_MAX && FloatFormatNotANumber(col, row)) return size;
  GetCellTextSize(DisplColIndex(col), row, size, withinWidth);
  return size;
}

void TExStringGrid::UpdateColumnSize(int col, int& width, bool /*automatic*/) {
  if (OnUpdateColumnSize) OnUpdateColumnSize(this, col, width);
}

bool TExStringGrid::FloatFormatNotANumber(int col, int row) {
  if (!OnGetFloatFormat) return false;
  const AnsiString text = GetCellText(col, row);
  if (text.empty() || NumberTextKind(text) < 2) return false;
  bool isFloat = true;
  AnsiString format = floatFormat_;
  OnGetFloatFormat(this, col, row, isFloat, format);
  return isFloat;
}

namespace {
bool CoveredByMerge(TExStringGrid& grid, int col, int row) {
  const TCellProperties* props = grid.FindCellProperties(col, row);
  return props && grid.IsMergedCell(col, row) && !props->IsBaseCell();
}

// A fitted line is never wider (taller) than the grid file stores, so that
// a grid fitted to a long text and saved opens again.
int FittedExtent(int extent) { return std::clamp(extent, 0, kMaxCellExtent); }
}  // namespace

void TExStringGrid::FitColumnToContents(int col) {
  if (col < 0 || col >= ColCount()) return;
  const int realCol = RealColIndex(col);
  const TGridSizeLimits& limits = sizing_->limits;
  const int frame = 2 * (GridLineWidth() + 1);
  int widest = 0;
  for (int row = 0; row < RowCount(); ++row) {
    if (CoveredByMerge(*this, realCol, row)) continue;
    widest = std::max(widest, CellContentExtent(realCol, row, INT_MAX).cx);
  }
  int width = frame + widest + limits.CellMarginX;
  if (limits.OnlyGrow && ColWidths(col) >= width) return;
  UpdateColumnSize(col, width, true);
  width = LimitSize(width, limits.MinColWidth, limits.MaxColWidth);
  TBusyScope busy(sizing_->busy);
  SetColWidths(col, FittedExtent(width));
}

void TExStringGrid::FitColumnsToContents(bool includeFixed, int padding) {
  const TGridSizeLimits& limits = sizing_->limits;
  for (int c = includeFixed ? 0 : FixedCols(); c < ColCount(); ++c) {
    FitColumnToContents(c);
    if (padding != 0) {
      TBusyScope busy(sizing_->busy);
      SetColWidths(c, FittedExtent(LimitSize(ColWidths(c) + padding, limits.MinColWidth, limits.MaxColWidth)));
    }
  }
  RunStretch(*this);
}

void TExStringGrid::FitRowToContents(int row) {
  if (row < 0 || row >= RowCount()) return;
  const TGridSizeLimits& limits = sizing_->limits;
  const int frame = 2 * (GridLineWidth() + 1);
  int tallest = 0;
  for (int col = 0; col < ColCount(); ++col) {
    const int realCol = RealColIndex(col);
    if (CoveredByMerge(*this, realCol, row)) continue;
    const TCellType type = GetCellType(realCol, row);
    if (type == ctCheckBox || type == ctDataCheckBox) {
      tallest = std::max(tallest, DefaultRowHeight());
      continue;
    }
    const int inner = std::max(1, ColWidths(col) - frame - limits.CellMarginX);
    tallest = std::max(tallest, CellContentExtent(realCol, row, inner).cy);
  }
  int height = 2 * GridLineWidth() + tallest + limits.CellMarginY;
  if (limits.OnlyGrow && RowHeights(row) >= height) return;
  const int minimum = limits.MinRowHeight > 0 ? limits.MinRowHeight : DefaultRowHeight();
  TBusyScope busy(sizing_->busy);
  SetRowHeights(row, FittedExtent(LimitSize(height, minimum, limits.MaxRowHeight)));
}

void TExStringGrid::FitRowToLines(int row, int lines, int extra) {
  if (row < 0 || row >= RowCount()) return;
  Canvas()->Font()->Assign(*Font());
  const int h = Canvas()->TextHeight("gh");
  const TGridSizeLimits& limits = sizing_->limits;
  const int minimum = limits.MinRowHeight > 0 ? limits.MinRowHeight : DefaultRowHeight();
  const long long height = static_cast<long long>(h + h / 8) * std::max(lines, 0) + extra;
  TBusyScope busy(sizing_->busy);
  SetRowHeights(row, FittedExtent(LimitSize(static_cast<int>(std::clamp<long long>(height, 0, INT_MAX / 2)), minimum,
                                            limits.MaxRowHeight)));
}

int TExStringGrid::RowLineCount(int row) {
  int lines = 1;
  for (int col = 0; col < ColCount(); ++col) lines = std::max(lines, LineCount(Cells(col, row), true));
  return lines;
}

// ----------------------------------------------------------------- scroll bars

void TExStringGrid::UpdateScrollBarLooks() {
  if (!HandleAllocated() || HasState(csLoading) || Destroying()) return;
  const TScrollBarLook look = scrollType_ == ssFlat ? sblFlat : scrollType_ == ssEncarta ? sblEncarta : sblRegular;
  if (look != ScrollBarLookOf(Handle()) || scrollColor_ != clNone) SetScrollBarLook(Handle(), look, scrollColor_);
  // The desktop's width is the default, and stays the desktop's when it changes.
  SetScrollBarWidth(Handle(), scrollWidth_ == GetSystemMetrics(SM_CXVSCROLL) ? 0 : scrollWidth_);
  if (!sizing_->scrollProportional) return;
  const int line = GridLineWidth();
  for (int bar = 0; bar < 2; ++bar) {
    const bool horizontal = bar == 0;
    if (horizontal && !(ScrollBars() == ssHorizontal || ScrollBars() == ssBoth)) continue;
    if (!horizontal && !(ScrollBars() == ssVertical || ScrollBars() == ssBoth)) continue;
    const int count = horizontal ? ColCount() : RowCount();
    const int fixedCount = horizontal ? FixedCols() : FixedRows();
    const int first = horizontal ? LeftCol() : TopRow();
    const int client = horizontal ? ClientWidth() : ClientHeight();
    auto extent = [&](int i) { return horizontal ? ColWidths(i) : RowHeights(i); };
    long long fixedExtent = line, total = line, scrolled = 0;
    for (int i = 0; i < fixedCount && i < count; ++i) fixedExtent += extent(i) + line;
    for (int i = fixedCount; i < count; ++i) {
      total += extent(i) + line;
      if (i < first) scrolled += extent(i) + line;
    }
    // Nothing to scroll, or no room: the bar keeps the grid's own scale.
    if (total <= 0 || client <= 0) {
      sizing_->proportionalOn[bar] = false;
      continue;
    }
    const double r = static_cast<double>(client - fixedExtent) / static_cast<double>(total);
    if (!(r < 0.9999)) {
      sizing_->proportionalOn[bar] = false;
      continue;
    }
    const double share = std::max(r, 0.0);
    const int page = std::max(1, static_cast<int>(std::lround((127.0 + share) / (1.0 - share))));
    TScrollInfo info;
    info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    info.nMin = 0;
    info.nMax = page + 126;
    info.nPage = static_cast<UINT>(page);
    TScrollInfo current;
    current.fMask = SIF_POS;
    GetScrollInfo(Handle(), horizontal ? SB_HORZ : SB_VERT, current);
    info.nPos = current.nPos;
    if (total > client && total - client > 0)
      info.nPos = static_cast<int>(static_cast<double>(scrolled) / static_cast<double>(total - client) * kThumbScale);
    sizing_->proportionalOn[bar] = true;
    SetScrollInfo(Handle(), horizontal ? SB_HORZ : SB_VERT, info, true);
  }
}

namespace {
// The first scrolling line for a thumb at pos on the 0..127 scale.
int LineForThumb(int pos, int fixedCount, int count, int visible) {
  const int range = std::max(0, count - fixedCount - std::max(visible, 1));
  const double share = std::clamp(pos, 0, kThumbScale - 1) / static_cast<double>(kThumbScale - 1);
  return fixedCount + static_cast<int>(std::lround(share * range));
}
}  // namespace

void TExStringGrid::ScrollMessage(TMessage& m, bool horizontal) {
  const Word code = static_cast<Word>(m.WParam & 0xFFFF);
  const int pos = static_cast<int>((m.WParam >> 16) & 0xFFFF);
  const int bar = horizontal ? 0 : 1;
  const int fixedCount = horizontal ? FixedCols() : FixedRows();
  const int count = horizontal ? ColCount() : RowCount();
  const bool thumb = code == SB_THUMBTRACK || code == SB_THUMBPOSITION;
  // The line the thumb points at.
  const int line = sizing_->proportionalOn[bar]
                       ? LineForThumb(pos, fixedCount, count, horizontal ? VisibleColCount() : VisibleRowCount())
                       : std::clamp(fixedCount + pos, fixedCount, std::max(fixedCount, count - 1));
  const TScrollHintType hints = sizing_->scroll.ScrollHints;
  if (code == SB_THUMBTRACK && (hints == shBoth || hints == (horizontal ? shHorizontal : shVertical))) {
    AnsiString hint = IntToStr(line);
    if (OnScrollHint) OnScrollHint(this, line, hint);
    if (!sizing_->scrollHint) sizing_->scrollHint = std::make_unique<THintWindow>(nullptr);
    THintWindow& window = *sizing_->scrollHint;
    window.SetColor(HintColor());
    TRect r = window.CalcHintRect(200, hint);
    const TPoint at = Mouse->CursorPos();
    r = {at.X + 16, at.Y, at.X + 16 + r.Width(), at.Y + r.Height()};
    window.ActivateHint(r, hint);
  } else if (sizing_->scrollHint && (code == SB_ENDSCROLL || code == SB_THUMBPOSITION)) {
    sizing_->scrollHint->ReleaseHandle();
  }
  if (thumb && (sizing_->proportionalOn[bar] || (code == SB_THUMBTRACK && sizing_->scroll.ScrollSynch))) {
    // The view follows the thumb at once.
    if (horizontal) SetLeftCol(line);
    else SetTopRow(line);
  } else if (horizontal) {
    TBaseGrid::WMHScroll(m);
  } else {
    TBaseGrid::WMVScroll(m);
  }
  UpdateScrollBarLooks();
}

void TExStringGrid::WMHScroll(TMessage& m) { ScrollMessage(m, true); }

void TExStringGrid::WMVScroll(TMessage& m) { ScrollMessage(m, false); }
