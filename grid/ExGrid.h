// TExStringGrid: the string grid of every list in the program. This header
// holds its spine: construction and defaults, the update bracket, typed cell
// access, the dimension properties, row and column insertion, removal and
// clearing, navigation, auto-merge of equal cells, footer values, column
// headers and the column widths kept in an INI file.
//
// Sections:
//   EExGridError ......... the grid's exception and its messages
//   TExStringGrid
//     construction ....... defaults, option objects, Loaded, destruction
//     update bracket ..... BeginUpdate / EndUpdate (nesting, one redraw)
//     cell access ........ Ints, Floats, Dates, wide text
//     dimensions ......... RowCount, ColCount, Fixed*, row heights
//     rows and columns ... ExGridRows.cpp
//     navigation ......... GotoCell, SetRowNotify
//     auto-merge, footer . ExGridFooter.cpp
//     hidden columns ..... the hooks that hiding columns and rows fill in
//
// Every structural or value change ends in CellsChanged (a rectangle), which
// fires OnCellsChanged and runs CellsChangedHook, which recomputes the
// footer values.
#pragma once

#include <functional>
#include <memory>

#include "grid/BaseGrid.h"
#include "grid/ExGridLists.h"
#include "grid/ExGridOptions.h"
#include "grid/ExUtil.h"

VIDRENA_EXCEPTION(EExGridError, Exception);

// The grid's fixed English messages.
inline constexpr char kExGridNoInteger[] = "Cell does not contain integer value";
inline constexpr char kExGridNoFloat[] = "Cell does not contain a float value";
inline constexpr char kExGridInvalidRow[] = "Invalid row accessed";
inline constexpr char kExGridInvalidColumn[] = "Invalid column accessed";

// A number text reduced to what a float conversion reads: "(1,234.5)" gives
// "-1234.5", "12 kg" gives "12" (locale separators, "." written for the
// decimal separator).
AnsiString CleanNumberText(std::string_view text);

enum TGridLook { glStandard, glSoft, glClassic, glGradient, glXP, glListView };

using TRowUpdateEvent = std::function<void(TObject* sender, int oldRow, int newRow)>;
// The rectangle holds columns in Left/Right and rows in Top/Bottom, both inclusive.
using TCellsChangedEvent = std::function<void(TObject* sender, TRect r)>;

class TExStringGrid : public TBaseGrid {
 public:
  explicit TExStringGrid(TComponent* owner);
  ~TExStringGrid() override;

  // ---- update bracket
  // Both act only while the grid is visible. Nested brackets redraw once,
  // when the outermost EndUpdate ends; an EndUpdate without a BeginUpdate
  // redraws at once.
  void BeginUpdate();
  void EndUpdate();
  // Raises the count without touching the window (a later EndUpdate ends it).
  void RaiseUpdateCount() { ++updateCount_; }
  int UpdateCount() const { return updateCount_; }

  // ---- typed cell access (through the spans, like Cells)
  // "" and "-" read as 0; anything else that is not a decimal integer raises
  // EExGridError "Cell does not contain integer value".
  int Ints(int col, int row) const;
  void SetInts(int col, int row, int value);
  // The text reduced by CleanNumberText; "" and "-" read as 0; else
  // EExGridError "Cell does not contain a float value".
  double Floats(int col, int row) const;
  void SetFloats(int col, int row, double value);
  // Floats of a real row, hidden or not.
  virtual double AllFloats(int col, int realRow) const;
  // Empty reads as 0; other text that is not a date raises EConvertError.
  TDateTime Dates(int col, int row) const;
  // A value not above 0 gives an empty text unless ShowZeroDate is set.
  void SetDates(int col, int row, TDateTime value);
  WideString GetWideCell(int col, int row) const { return UnicodeCellToWide(GetCellText(col, row)); }
  void SetWideCell(int col, int row, std::u16string_view text);
  bool IsUnicodeCell(int col, int row) const { return ::IsUnicodeCell(GetCellText(col, row)); }

  const AnsiString& FloatFormat() const { return floatFormat_; }
  void SetFloatFormat(const AnsiString& v) { floatFormat_ = v; }
  bool ShowZeroDate() const { return showZeroDate_; }
  void SetShowZeroDate(bool v) { showZeroDate_ = v; }
  const AnsiString& CheckTrue() const { return checkTrue_; }
  void SetCheckTrue(const AnsiString& v) { checkTrue_ = v; }
  const AnsiString& CheckFalse() const { return checkFalse_; }
  void SetCheckFalse(const AnsiString& v) { checkFalse_ = v; }

  // ---- dimensions
  int RowCount() const { return TBaseGrid::RowCount(); }
  // Rows that drop off free their cells' properties.
  void SetRowCount(int value);
  int ColCount() const { return TBaseGrid::ColCount(); }
  void SetColCount(int value);
  int FixedRows() const;
  void SetFixedRows(int value);
  int FixedCols() const;
  void SetFixedCols(int value);
  bool FixedRowAlways() const { return fixedRowAlways_; }
  void SetFixedRowAlways(bool v) { fixedRowAlways_ = v; }
  bool FixedColAlways() const { return fixedColAlways_; }
  void SetFixedColAlways(bool v) { fixedColAlways_ = v; }
  int FixedColWidth() const { return ColWidths(0); }
  void SetFixedColWidth(int value);
  int FixedRowHeight() const { return fixedRowHeight_; }
  void SetFixedRowHeight(int value);
  void SetDefaultRowHeight(int value);
  int FixedFooters() const { return fixedFooters_; }
  void SetFixedFooters(int value);
  int FixedRightCols() const { return fixedRightCols_; }
  void SetFixedRightCols(int value);
  bool IncludeFixedInFiles() const { return true; }

  // ---- rows and columns (real indices)
  virtual void InsertRows(int row, int count);
  // A start row outside the grid is refused and a count past the end is
  // cut at the last row; the removed cells' properties are freed in every
  // real column, hidden ones included.
  virtual void RemoveRows(int row, int count);
  virtual void RemoveRowsAdjusted(int row, int count);
  virtual void InsertColumns(int col, int count);
  virtual void RemoveColumns(int col, int count);
  void AddRow();
  virtual void AddEmptyRow() { SetRowCount(RowCount() + 1); }
  virtual void DoCanAddRow(bool& canAdd) {}
  virtual void DoCanInsertRow(int row, bool& canInsert) {}
  void ClearRows(int row, int count);
  void ClearColumns(int col, int count);
  // Frees the properties (and graphics) of the cells and empties them.
  virtual void ClearCellRange(int c1, int r1, int c2, int r2);
  void ClearAll();

  // ---- change notification
  // Fires OnCellsChanged with the rectangle, then CellsChangedHook.
  void CellsChanged(const TRect& r);
  virtual void CellsChangedHook(int col) { UpdateFooterValues(col); }
  virtual void UpdateFooterValues(int col);
  virtual void SetCellTextFromEditor(int col, int row, const AnsiString& text);

  // ---- repainting
  void RepaintCell(int col, int row);
  void RepaintRow(int row);
  void RepaintCol(int col);
  void RepaintRect(const TRect& r);
  void RepaintHeaders(int c1, int r1, int c2, int r2);

  // ---- navigation
  // Moves the cursor to the cell and scrolls it to the middle of the view
  // when it is out of view.
  void GotoCell(int col, int row);
  void SetRowNotify(int row);
  TPoint CellAtScreenPoint(TPoint screen) const;
  bool IsSizingPoint(int x, int y) const;

  // ---- auto-merge: equal neighbouring cells of the listed columns merge;
  // later columns only inside the spans of the first.
  TIntList* AutoMergeCols() { return &autoMergeCols_; }
  void ApplyAutoMerge();

  // ---- column statistics over the rows fromRow..toRow (real rows);
  // texts that are not numbers count as nothing.
  double ColumnSum(int col, int fromRow, int toRow) const;
  double ColumnAvg(int col, int fromRow, int toRow) const;
  double ColumnMin(int col, int fromRow, int toRow) const;
  double ColumnMax(int col, int fromRow, int toRow) const;

  // ---- headers: item i goes to cell (i, 0) (row headers: (0, i)), with
  // every "\n" written as a line break.
  TStrings* ColumnHeaders() { return columnHeaders_.get(); }
  void SetColumnHeaders(const TStrings* value);
  TStrings* RowHeaders() { return rowHeaders_.get(); }
  void SetRowHeaders(const TStrings* value);

  // ---- option objects
  TFloatingFooter* FloatingFooter() { return floatingFooter_.get(); }
  TColumnSize* ColumnSize() { return columnSize_.get(); }
  void SaveColumnSizes();
  void LoadColumnSizes();

  // ---- hidden columns and rows: none are hidden until the hiding code
  // keeps them; the cell store already works on real indices.
  virtual int HiddenColumnCount() const { return 0; }
  virtual int HiddenRowCount() const { return 0; }
  virtual bool IsColumnHidden(int realCol) const { return false; }
  virtual int RealColIndex(int displayCol) const { return displayCol; }
  int RealColCount() const { return ColCount() + HiddenColumnCount(); }

  // ---- looks the painting code reads (stored; the painting repaints)
  TColor SelectionColor() const { return selectionColor_; }
  void SetSelectionColor(TColor v) { SetAndRepaint(selectionColor_, v); }
  TColor SelectionTextColor() const { return selectionTextColor_; }
  void SetSelectionTextColor(TColor v) { SetAndRepaint(selectionTextColor_, v); }
  bool ShowSelection() const { return showSelection_; }
  void SetShowSelection(bool v) { SetAndRepaint(showSelection_, v); }
  bool HideFocusRect() const { return hideFocusRect_; }
  void SetHideFocusRect(bool v) { hideFocusRect_ = v; }
  TColor HintColor() const { return hintColor_; }
  void SetHintColor(TColor v) { hintColor_ = v; }
  TColor URLColor() const { return urlColor_; }
  void SetURLColor(TColor v) { SetAndRepaint(urlColor_, v); }
  bool EnableHTML() const { return enableHTML_; }
  void SetEnableHTML(bool v) { SetAndRepaint(enableHTML_, v); }
  bool EnableWheel() const { return enableWheel_; }
  void SetEnableWheel(bool v) { enableWheel_ = v; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool EnhRowColMove() const { return enhRowColMove_; }
  void SetEnhRowColMove(bool v) { enhRowColMove_ = v; }
  bool IntelliZoom() const { return intelliZoom_; }
  void SetIntelliZoom(bool v) { intelliZoom_ = v; }
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);
  // The vertical DT_ flag of the cell text: 0, DT_VCENTER or DT_BOTTOM.
  unsigned VAlignFlag() const { return vAlignFlag_; }
  TGridLook Look() const { return look_; }
  void SetLook(TGridLook v) { SetAndRepaint(look_, v); }
  TColor ActiveCellColor() const { return activeCellColor_; }
  void SetActiveCellColor(TColor v) { SetAndRepaint(activeCellColor_, v); }
  TColor ActiveCellColorTo() const { return activeCellColorTo_; }
  void SetActiveCellColorTo(TColor v) { SetAndRepaint(activeCellColorTo_, v); }
  TFont* ActiveCellFont() { return &activeCellFont_; }
  TFont* FixedFont() { return &fixedFont_; }
  void SetFixedFont(const TFont& font);
  TColor ScrollColor() const { return scrollColor_; }
  void SetScrollColor(TColor v) { scrollColor_ = v; }
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int v) { scrollWidth_ = v; }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v) { autoSize_ = v; }

  // ---- events
  TRowUpdateEvent OnRowUpdate;
  TCellsChangedEvent OnCellsChanged;

 protected:
  void Loaded() override;
  void InitWindowHandle() override;
  // Frees a cell's graphic before its properties go; nothing here, the
  // cell-graphics code frees what it created.
  virtual void RemoveCellGraphicOf(int col, int row) {}
  bool Destroying() const { return destroying_; }
  // Deletes count rows at row (checked by the caller) without freeing
  // anything, keeps the cursor on a row and reports the change; the removal
  // operations free the properties first, hiding rows moves them away first.
  void DeleteRowsCore(int row, int count, bool keepLastPageFull);

 private:
  template <class T>
  void SetAndRepaint(T& field, T value) {
    if (field == value) return;
    field = value;
    if (updateCount_ == 0) Invalidate();
  }
  // Dissolves the spans that reach across the edge between line index - 1 and index.
  void SplitSpansAcrossRow(int row);
  void SplitSpansAcrossCol(int col);
  // Dissolves every span with a cell in the rectangle.
  void SplitSpansIn(int c1, int r1, int c2, int r2);
  void ApplyColumnHeaders();
  void ApplyRowHeaders();
  void FreeRowsFrom(int firstRow, int lastRow);
  void FreeColsFrom(int firstCol, int lastCol);

  int updateCount_ = 0;
  AnsiString floatFormat_ = "%.2f";
  AnsiString checkTrue_ = "Y";
  AnsiString checkFalse_ = "N";
  bool showZeroDate_ = true;
  int fixedRowHeight_ = 21;
  bool fixedRowAlways_ = false;
  bool fixedColAlways_ = false;
  int savedFixedRows_ = 1;
  int fixedFooters_ = 0;
  int fixedRightCols_ = 0;
  int lastReportedRow_ = -1;
  bool destroying_ = false;
  bool autoMerging_ = false;

  TIntList autoMergeCols_;
  std::unique_ptr<TStringList> columnHeaders_;
  std::unique_ptr<TStringList> rowHeaders_;
  std::unique_ptr<TFloatingFooter> floatingFooter_;
  std::unique_ptr<TColumnSize> columnSize_;

  TColor selectionColor_ = 0xEACAB6;
  TColor selectionTextColor_ = 0;
  bool showSelection_ = true;
  bool hideFocusRect_ = false;
  TColor hintColor_ = clInfoBk;
  TColor urlColor_ = 0xFF0000;
  bool enableHTML_ = true;
  bool enableWheel_ = true;
  bool wordWrap_ = true;
  bool enhRowColMove_ = true;
  bool intelliZoom_ = true;
  TVAlignment vAlignment_ = vtaTop;
  unsigned vAlignFlag_ = 0;
  TGridLook look_ = glXP;
  TColor activeCellColor_ = 0x808080;
  TColor activeCellColorTo_ = clNone;
  TFont activeCellFont_;
  TFont fixedFont_;
  TColor scrollColor_ = clNone;
  int scrollWidth_ = 16;
  bool autoSize_ = false;
};
