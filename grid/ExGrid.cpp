// Sections:
//   Number text ........... CleanNumberText
//   Construction .......... defaults, Loaded, window creation, destruction
//   Update bracket ........ BeginUpdate / EndUpdate
//   Typed cell access ..... Ints, Floats, Dates, wide text
//   Dimensions ............ RowCount, ColCount, fixed rows and columns
//   Repainting ............ cells, rows, columns, rectangles
//   Navigation ............ GotoCell, SetRowNotify, hit tests
//   Headers ............... ColumnHeaders, RowHeaders
//   Column widths ......... the INI file of ColumnSize
//   Looks ................. setters with side effects
//
// Rows and columns are in ExGridRows.cpp, auto-merge, statistics and footer
// values in ExGridFooter.cpp.
#include "grid/ExGrid.h"

#include <algorithm>
#include <cmath>

#include "grid/ExGridSizing.h"
#include "grid/ExHint.h"
#include "grid/ExUtil.h"
#include "platform/rtl/IniFiles.h"

// ------------------------------------------------------------- number text

AnsiString CleanNumberText(std::string_view text) {
  AnsiString s = Trim(text);
  bool negative = false;
  if (s.size() >= 2 && s.front() == '(' && s.back() == ')') {
    negative = true;
    s = s.substr(1, s.size() - 2);
  }
  const char thousand = FormatSettings.ThousandSeparator;
  const char decimal = FormatSettings.DecimalSeparator;
  auto isNumberChar = [&](char c) {
    return (c >= '0' && c <= '9') || c == 'E' || c == 'e' || c == thousand || c == decimal;
  };
  std::size_t i = 0;
  while (i < s.size() && !isNumberChar(s[i])) {
    if (s[i] == '-') negative = true;
    ++i;
  }
  AnsiString out;
  for (; i < s.size(); ++i) {
    const char c = s[i];
    if (c == thousand) continue;
    if (c == decimal) {
      out += '.';
    } else if ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      out += c;
    } else {
      break;
    }
  }
  if (negative) out.insert(out.begin(), '-');
  return out;
}

namespace {

// A decimal integer with optional blanks around it and an optional sign;
// no hexadecimal, no overflow.
bool ParseDecimalInt(std::string_view text, int& value) {
  AnsiString s = Trim(text);
  if (s.empty()) return false;
  std::size_t i = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    i = 1;
  }
  if (i >= s.size()) return false;
  long long v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < '0' || s[i] > '9') return false;
    v = v * 10 + (s[i] - '0');
    if (v > 2147483648LL) return false;
  }
  if (negative) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return false;
  value = static_cast<int>(v);
  return true;
}

// Float text with "." as the decimal separator, whatever the locale.
bool ParseCleanFloat(const AnsiString& text, double& value) {
  TFormatSettings fs = FormatSettings;
  fs.DecimalSeparator = '.';
  fs.ThousandSeparator = ',';
  if (!TryStrToFloat(text, value, fs)) return false;
  return std::isfinite(value);
}

}  // namespace

// ------------------------------------------------------------- construction

TExStringGrid::TExStringGrid(TComponent* owner)
    : TBaseGrid(owner),
      sizing_(std::make_unique<TGridSizing>(this)),
      mouseActions_(std::make_unique<TMouseActions>()),
      controlLook_(std::make_unique<TControlLook>(this)),
      columnHeaders_(std::make_unique<TStringList>()),
      rowHeaders_(std::make_unique<TStringList>()),
      floatingFooter_(std::make_unique<TFloatingFooter>(this)),
      columnSize_(std::make_unique<TColumnSize>()) {
  TBaseGrid::SetDefaultRowHeight(21);
  fixedRowHeight_ = 21;
  savedFixedRows_ = TBaseGrid::FixedRows();
  SetDisplayRowLimit(TBaseGrid::RowCount());
  activeCellFont_.SetStyle(TFontStyles{fsBold});
  fixedFont_.SetName("Tahoma");
  fixedFont_.SetStyle(TFontStyles{fsBold});
  scrollWidth_ = GetSystemMetrics(SM_CXVSCROLL);
  // Set after the defaults above, which must not repaint a grid not yet built.
  activeCellFont_.OnChange = [this](TObject*) { RepaintUnlessUpdating(); };
  fixedFont_.OnChange = [this](TObject*) { RepaintUnlessUpdating(); };
  rowIndicator_.OnChange = [this](TObject*) {
    if (updateCount_ == 0) RepaintCell(0, Row());
  };
  autoMergeCols_.OnChange = [this](TObject*, int, int) { ApplyAutoMerge(); };
  columnHeaders_->OnChange = [this](TObject*) { ApplyColumnHeaders(); };
  rowHeaders_->OnChange = [this](TObject*) { ApplyRowHeaders(); };
  columnSize_->OnStretchChange = [this] {
    if (columnSize_->Stretch() && !HasState(csLoading)) StretchToClient(columnSize_->StretchColumn());
  };
  InstallGridFileHooks();
}

TExStringGrid::~TExStringGrid() {
  if (columnSize_->Save()) {
    try {
      SaveColumnSizes();
    } catch (const Exception&) {
      // A settings file that cannot be written must not stop the window closing.
    }
  }
  destroying_ = true;
  columnHeaders_->OnChange = nullptr;
  rowHeaders_->OnChange = nullptr;
  autoMergeCols_.OnChange = nullptr;
  ClearAll();
  // Hidden rows hold their cells' properties and graphics until shown.
  for (auto& item : hiddenRows_) FreeHiddenRowCells(*item);
  hiddenRows_.clear();
}

void TExStringGrid::Loaded() {
  TBaseGrid::Loaded();
  ApplyColumnHeaders();
  ApplyRowHeaders();
  if (columnSize_->Save()) LoadColumnSizes();
  if (autoThemeAdapt_) AdaptToTheme(this);
  savedFixedRows_ = TBaseGrid::FixedRows();
  // A stored grid that always shows its editor edits through AlwaysEdit,
  // which knows the control editors.
  if (Options().contains(goAlwaysShowEditor)) {
    SetOptions(Options() - TGridOptions{goAlwaysShowEditor});
    navigation_->SetAlwaysEdit(true);
  }
  // Automatic sizing never goes below these once the form has loaded.
  SizeLimits().MinColWidth = 10;
  SizeLimits().MinRowHeight = DefaultRowHeight();
  const int stretchCol = columnSize_->StretchColumn();
  if (columnSize_->Stretch() && ColCount() > 0 && stretchCol >= -1 && stretchCol < ColCount())
    StretchToClient(stretchCol);
}

void TExStringGrid::InitWindowHandle() {
  TBaseGrid::InitWindowHandle();
  if (Parent() && columnSize_->Save()) LoadColumnSizes();
  // A new window starts without the grid's own timer.
  hoverTimerOn_ = false;
  UpdateHoverTimer();
  // Looks and width given to the scroll bars before the window existed.
  UpdateScrollBarLooks();
}

// ------------------------------------------------------------- update bracket

void TExStringGrid::BeginUpdate() {
  if (!Visible()) return;
  ++updateCount_;
  Perform(WM_SETREDRAW, 0, 0);
}

void TExStringGrid::EndUpdate() {
  if (!Visible()) return;
  if (updateCount_ > 0) --updateCount_;
  if (updateCount_ == 0) {
    Perform(WM_SETREDRAW, 1, 0);
    Invalidate();
    UpdateScrollRange();
  }
}

// ------------------------------------------------------------- typed cell access

int TExStringGrid::Ints(int col, int row) const {
  const AnsiString text = GetCellText(col, row);
  if (text.empty() || text == "-") return 0;
  int value = 0;
  if (!ParseDecimalInt(text, value)) throw EExGridError(kExGridNoInteger);
  return value;
}

void TExStringGrid::SetInts(int col, int row, int value) { SetCellText(col, row, IntToStr(value)); }

double TExStringGrid::Floats(int col, int row) const {
  const AnsiString text = CleanNumberText(GetCellText(col, row));
  if (text.empty() || text == "-") return 0;
  double value = 0;
  if (!ParseCleanFloat(text, value)) throw EExGridError(kExGridNoFloat);
  return value;
}

void TExStringGrid::SetFloats(int col, int row, double value) {
  SetCellText(col, row, Format(floatFormat_, {value}));
}

TDateTime TExStringGrid::Dates(int col, int row) const {
  const AnsiString text = Trim(GetCellText(col, row));
  if (text.empty()) return 0;
  TDateTime value = 0;
  if (TryStrToDateTime(text, value)) return value;
  return StrToDate(text);
}

void TExStringGrid::SetDates(int col, int row, TDateTime value) {
  if (!(value > 0) && !showZeroDate_) {
    SetCellText(col, row, AnsiString());
    return;
  }
  SetCellText(col, row, DateTimeToStr(value));
}

void TExStringGrid::SetWideCell(int col, int row, std::u16string_view text) {
  SetCellText(col, row, WideToUnicodeCell(text));
}

// ------------------------------------------------------------- dimensions

void TExStringGrid::FreeRowsFrom(int firstRow, int lastRow) {
  const int lastCol = RealColCount() - 1;
  for (int r = firstRow; r <= lastRow; ++r) {
    for (int c = 0; c <= lastCol; ++c) {
      if (HasCellProperties(c, r)) {
        RemoveCellGraphicOf(c, r);
        FreeCellPropertiesAt(c, r);
      }
    }
  }
}

void TExStringGrid::FreeColsFrom(int firstCol, int lastCol) {
  for (int r = 0; r < RowCount(); ++r) {
    for (int c = firstCol; c <= lastCol; ++c) {
      if (HasCellProperties(c, r)) {
        RemoveCellGraphicOf(c, r);
        FreeCellPropertiesAt(c, r);
      }
    }
  }
}

void TExStringGrid::SetRowCount(int value) {
  value = std::max(value, 1);
  // A grid left with only its fixed rows hid its selection; it comes back
  // with the rows, once they are there to hold it.
  const bool selectionToRestore = fixedRowAlways_ && RowCount() <= FixedRows() && SelectionHidden();
  const bool selectionUnseen = !SelectionShown();
  // The store does not free object slots: rows that drop off give their
  // properties back here, and a spans cut by the new end are dissolved.
  if (value < RowCount()) {
    SplitSpansAcrossRow(value);
    FreeRowsFrom(value, RowCount() - 1);
  }
  TBaseGrid::SetRowCount(value);
  if (fixedRowAlways_ && value > savedFixedRows_ && TBaseGrid::FixedRows() != savedFixedRows_)
    TBaseGrid::SetFixedRows(savedFixedRows_);
  SetDisplayRowLimit(TBaseGrid::RowCount());
  if (selectionToRestore && RowCount() > TBaseGrid::FixedRows()) {
    RestoreSelection();
    // A selection saved while the fixed row was the only row sat on it.
    if (Selection().Top < TBaseGrid::FixedRows())
      FocusCell(std::max(Col(), TBaseGrid::FixedCols()), TBaseGrid::FixedRows(), true);
  }
  // A cursor the new count pulled back inside is still no selection to show.
  if (selectionUnseen && selectionHidden_) hiddenSelection_ = Selection();
  UpdateScrollRange();
  RepaintFloatingFooter();
}

void TExStringGrid::SetColCount(int value) {
  value = std::max(value, 1);
  const bool selectionUnseen = !SelectionShown();
  if (value < ColCount()) {
    // The real columns end before the first shown column cut off: hidden
    // columns before it stay hidden with their cells, later ones go.
    const int realEnd = RealColIndex(value);
    SplitSpansAcrossCol(realEnd);
    FreeColsFrom(realEnd, RealColCount() - 1);
    HiddenColumnsCutAt(realEnd);
  }
  TBaseGrid::SetColCount(value);
  // New real columns past the hidden ones are empty columns of the store.
  SetKeptColumnLimit(hiddenColCount_);
  if (TBaseGrid::ColCount() >= 2 && fixedColAlways_ && TBaseGrid::FixedCols() != 1)
    TBaseGrid::SetFixedCols(1);
  if (selectionUnseen) hiddenSelection_ = Selection();
  // Whether a horizontal scroll bar is needed may have changed.
  if (integralHeight_) SetBounds(Left(), Top(), Width(), Height());
  UpdateScrollRange();
  RepaintFloatingFooter();
}

int TExStringGrid::FixedRows() const {
  const int fixed = TBaseGrid::FixedRows();
  return fixed == 0 && fixedRowAlways_ ? 1 : fixed;
}

void TExStringGrid::SetFixedRows(int value) {
  TBaseGrid::SetFixedRows(value);
  if (!HasState(csLoading)) savedFixedRows_ = value;
}

int TExStringGrid::FixedCols() const {
  const int fixed = TBaseGrid::FixedCols();
  return fixed == 0 && fixedColAlways_ ? 1 : fixed;
}

void TExStringGrid::SetFixedCols(int value) { TBaseGrid::SetFixedCols(value); }

void TExStringGrid::SetFixedColWidth(int value) {
  if (!HasState(csDesigning)) return;
  for (int c = 0; c < TBaseGrid::FixedCols(); ++c) SetColWidths(c, value);
}

void TExStringGrid::SetFixedRowHeight(int value) {
  if (!HasState(csDesigning)) return;
  fixedRowHeight_ = value;
  if (value == DefaultRowHeight()) {
    SetDefaultRowHeight(value);
    return;
  }
  for (int r = 0; r < TBaseGrid::FixedRows(); ++r) SetRowHeights(r, value);
}

void TExStringGrid::SetDefaultRowHeight(int value) {
  TBaseGrid::SetDefaultRowHeight(value);
  if (HasState(csDesigning)) fixedRowHeight_ = value;
  floatingFooter_->SetFooterHeight(value);
}

void TExStringGrid::SetFixedFooters(int value) {
  fixedFooters_ = std::max(0, value);
  RepaintUnlessUpdating();
}

void TExStringGrid::SetFixedRightCols(int value) {
  fixedRightCols_ = std::max(0, value);
  RepaintUnlessUpdating();
}

// ------------------------------------------------------------- repainting

void TExStringGrid::RepaintCell(int col, int row) {
  if (InGrid(col, row)) RepaintMergedCell(col, row);
}

void TExStringGrid::RepaintRow(int row) {
  if (row < 0 || row >= RowCount()) return;
  const int lastCol = std::min(LeftCol() + VisibleColCount(), ColCount() - 1);
  TRect band = CellRect(0, row);
  TRect last = CellRect(lastCol, row);
  if (band.IsEmpty() || last.IsEmpty()) return;
  band.Right = last.Right;
  InvalidateRect(band);
}

void TExStringGrid::RepaintCol(int col) {
  if (col < 0 || col >= ColCount()) return;
  const int lastRow = std::min(TopRow() + VisibleRowCount(), RowCount() - 1);
  TRect band = CellRect(col, 0);
  TRect last = CellRect(col, lastRow);
  if (band.IsEmpty() || last.IsEmpty()) return;
  band.Bottom = last.Bottom;
  InvalidateRect(band);
}

void TExStringGrid::RepaintRect(const TRect& r) {
  TRect first = CellRect(r.Left, r.Top);
  TRect last = CellRect(r.Right, r.Bottom);
  if (first.IsEmpty() || last.IsEmpty()) {
    Invalidate();
    return;
  }
  TRect both;
  UnionRect(both, first, last);
  InvalidateRect(both);
}

void TExStringGrid::RepaintHeaders(int c1, int r1, int c2, int r2) {
  RepaintCell(c1, 0);
  RepaintCell(0, r1);
  RepaintCell(c2, 0);
  RepaintCell(0, r2);
}

void TExStringGrid::CellsChanged(const TRect& r) {
  if (OnCellsChanged) OnCellsChanged(this, r);
  // A listener may take itself off the list while it is told.
  const std::vector<TCellChangeListener*> listeners = cellChangeListeners_;
  for (TCellChangeListener* listener : listeners)
    if (std::find(cellChangeListeners_.begin(), cellChangeListeners_.end(), listener) != cellChangeListeners_.end())
      listener->CellsChanged(this, r);
  CellsChangedHook(r.Left == r.Right ? r.Left : -1);
  RepaintFloatingFooter();
}

void TExStringGrid::AddCellChangeListener(TCellChangeListener* listener) {
  if (listener && std::find(cellChangeListeners_.begin(), cellChangeListeners_.end(), listener) ==
                      cellChangeListeners_.end())
    cellChangeListeners_.push_back(listener);
}

void TExStringGrid::RemoveCellChangeListener(TCellChangeListener* listener) {
  std::erase(cellChangeListeners_, listener);
}

void TExStringGrid::SetCellTextFromEditor(int col, int row, const AnsiString& text) {
  // Through the grid's own SetEditText, which maps the display column back
  // to the real one: hidden columns before it must not take the text.
  SetEditText(DisplColIndex(col), row, text);
  SetCellText(col, row, text);
}

// ------------------------------------------------------------- navigation

void TExStringGrid::GotoCell(int col, int row) {
  if (!InGrid(col, row)) return;
  int left = LeftCol();
  int top = TopRow();
  const bool colOutside = col < LeftCol() || col >= LeftCol() + VisibleColCount();
  const bool rowOutside = row < TopRow() || row >= TopRow() + VisibleRowCount();
  if (colOutside) left = std::max(col - VisibleColCount() / 2, FixedCols());
  if (rowOutside) top = std::max(row - VisibleRowCount() / 2, FixedRows());
  left = std::max(std::min(left, ColCount() - VisibleColCount() + FixedCols()), TBaseGrid::FixedCols());
  top = std::max(std::min(top, RowCount() - VisibleRowCount() + FixedRows()), TBaseGrid::FixedRows());
  // The cursor goes to the cell even when it is in view already.
  if (col >= TBaseGrid::FixedCols()) SetCol(col);
  if (row >= TBaseGrid::FixedRows()) SetRowNotify(row);
  if (colOutside && left < ColCount()) SetLeftCol(left);
  if (rowOutside && top < RowCount()) SetTopRow(top);
}

void TExStringGrid::SetRowNotify(int row) {
  SetRow(row);
  if (Row() != lastReportedRow_ && updateCount_ == 0 && OnRowUpdate) {
    const int oldRow = lastReportedRow_;
    lastReportedRow_ = Row();
    OnRowUpdate(this, oldRow, Row());
  }
}

TPoint TExStringGrid::CellAtScreenPoint(TPoint screen) const {
  TPoint client = ScreenToClient(screen);
  int col = -1;
  int row = -1;
  MouseToCell(client.X, client.Y, col, row);
  return {col, row};
}

bool TExStringGrid::IsSizingPoint(int x, int y) const {
  int col = -1;
  int row = -1;
  MouseToCell(x, y, col, row);
  if (col < 0 || row < 0) return false;
  const TRect r = CellRect(col, row);
  const TGridOptions options = Options();
  if (row <= FixedRows() && options.contains(goColSizing))
    if (std::abs(x - r.Left) <= 4 || std::abs(x - r.Right) <= 4) return true;
  if (col <= FixedCols() && options.contains(goRowSizing))
    if (std::abs(y - r.Top) <= 4 || std::abs(y - r.Bottom) <= 4) return true;
  return false;
}

// ------------------------------------------------------------- headers

void TExStringGrid::SetColumnHeaders(const TStrings* value) {
  if (TBaseGrid::FixedRows() > 0)
    for (int c = 0; c < ColCount(); ++c) SetCells(c, 0, AnsiString());
  columnHeaders_->Assign(value);
}

void TExStringGrid::SetRowHeaders(const TStrings* value) {
  if (HasState(csDesigning) && TBaseGrid::FixedCols() > 0)
    for (int r = 0; r < RowCount(); ++r) SetCells(0, r, AnsiString());
  rowHeaders_->Assign(value);
}

void TExStringGrid::ApplyColumnHeaders() {
  if (TBaseGrid::FixedRows() <= 0) return;
  const int count = std::min(columnHeaders_->Count(), ColCount());
  for (int i = 0; i < count; ++i) SetCells(i, 0, BackslashNToBreaks(columnHeaders_->Strings(i)));
}

void TExStringGrid::ApplyRowHeaders() {
  if (TBaseGrid::FixedCols() <= 0) return;
  const int count = std::min(rowHeaders_->Count(), RowCount());
  for (int i = 0; i < count; ++i) SetCells(0, i, BackslashNToBreaks(rowHeaders_->Strings(i)));
}

// ------------------------------------------------------------- column widths

namespace {
// The widest column a stored width may ask for.
constexpr int kMaxStoredColumnWidth = 16384;
}  // namespace

void TExStringGrid::SaveColumnSizes() {
  if (columnSize_->Key().empty() || columnSize_->Section().empty() || HasState(csDesigning)) return;
  TIniFile ini(ColumnSizeFile());
  for (int i = 0; i < ColCount(); ++i)
    ini.WriteInteger(columnSize_->Section(), "Col" + IntToStr(i), ColWidths(i));
}

void TExStringGrid::LoadColumnSizes() {
  if (columnSize_->Key().empty() || columnSize_->Section().empty() || HasState(csDesigning)) return;
  TIniFile ini(ColumnSizeFile());
  for (int i = 0; i < ColCount(); ++i) {
    const int width = ini.ReadInteger(columnSize_->Section(), "Col" + IntToStr(i), ColWidths(i));
    // A damaged file's negative or huge width would leave the column unusable.
    if (width >= 0 && width <= kMaxStoredColumnWidth && width != ColWidths(i)) SetColWidths(i, width);
  }
}

AnsiString TExStringGrid::ColumnSizeFile() const {
  const AnsiString& key = columnSize_->Key();
  if (key.empty() || key[0] == PathDelim) return key;
  return IncludeTrailingPathDelimiter(AppDir()) + key;
}

// ------------------------------------------------------------- looks

void TExStringGrid::SetWordWrap(bool v) {
  wordWrap_ = v;
  if (updateCount_ == 0) Invalidate();
}

void TExStringGrid::SetVAlignment(TVAlignment v) {
  vAlignment_ = v;
  vAlignFlag_ = v == vtaCenter ? DT_VCENTER : v == vtaBottom ? DT_BOTTOM : 0;
  if (updateCount_ == 0) Invalidate();
}

// ------------------------------------------------------------- option objects

void TFloatingFooter::SetVisible(bool value) {
  visible_ = value;
  Apply();
}

void TFloatingFooter::SetFooterStyle(TFooterStyle value) {
  footerStyle_ = value;
  Apply();
}

void TFloatingFooter::Apply() {
  if (!grid_) return;
  grid_->SetFixedFooters(FixedLastRow() ? 1 : 0);
  grid_->SetFooterShown(FixedLastRow());
  grid_->FloatingFooterChanged();
  grid_->Invalidate();
}
