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
//     cursor advance, look-up typing ... ExGridAdvance.cpp (Navigation, AdvanceCell)
//     in-place editing ... ExGridEdit.cpp, ExInplaceEdit.cpp, ExEditLink.cpp
//                          (the editors and the editing state: ExGridEditors.h)
//     auto-merge, footer . ExGridFooter.cpp
//     hidden columns and rows, selection flags ... ExGridHidden.cpp
//     cell graphics and per-cell queries ......... ExGridGraphics.cpp
//     sorting ............ ExGridSortRows.cpp (styles and settings: ExGridSort.h)
//     published looks, integral height, version, linked components ... ExGridProps.cpp
//     clipboard, smart fill ... ExGridClipboard.cpp; text and spreadsheet import ... ExGridImport.cpp
//     drag and drop ...... ExGridDragDrop.cpp (settings, targets, sources: ExGridDragDrop.h)
//     cell painting (colours, content, text kinds, sort glyphs) ... ExGridPaint.cpp
//     cell graphics, check boxes, radio groups, nodes ............. ExGridDraw.cpp
//     hint, footer panel, move markers, caption button, theme ..... ExHint.cpp
//     bands, background picture, shared drawing routines .......... ExGridLooks.h
//     keyboard ........... ExGridKeys.cpp; mouse, wheel, hints, timers ... ExGridMouse.cpp;
//                          zoom, row colours, selection text, fill grip ... ExGridOps.cpp
//
// Indices: the cell store works on real columns and rows. ColCount counts
// the shown columns; a hidden column keeps its cells at its real index and
// display columns map around it (RealColIndex / DisplColIndex). A hidden
// row leaves the grid: its cells wait in a TGridItem until it is shown, and
// display rows map around it (RealRowIndex / DisplRowIndex).
//
// Every structural or value change ends in CellsChanged (a rectangle), which
// fires OnCellsChanged and runs CellsChangedHook, which recomputes the
// footer values.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "grid/BaseGrid.h"
#include "grid/CellGraphic.h"
#include "grid/ExGridClipboard.h"
#include "grid/ExGridDragDrop.h"
#include "grid/ExGridFilter.h"
#include "grid/ExGridLists.h"
#include "grid/ExGridLooks.h"
#include "grid/ExGridNodes.h"
#include "grid/ExGridOptions.h"
#include "grid/ExGridSort.h"
#include "grid/ExUtil.h"
#include "grid/GridFile.h"
#include "platform/vcl/ImgList.h"

VIDRENA_EXCEPTION(EExGridError, Exception);

// The grid's small windows (ExHint.h); the grid owns one set of them.
class TPictureContainer;
class THTMLPictureCache;
class THTMLHintWindow;
struct THtmlDrawResult;
class TFooterPanel;
class TArrowWindow;
class TPopupButton;
struct TGridPopups;
struct TGridPopupsDeleter {
  void operator()(TGridPopups* popups) const;
};

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
// The look of the scroll bars: the common controls' regular, flat and
// third ("Encarta") styles.
enum TScrollType { ssNormal, ssFlat, ssEncarta };

using TRowUpdateEvent = std::function<void(TObject* sender, int oldRow, int newRow)>;
// The rectangle holds columns in Left/Right and rows in Top/Bottom, both inclusive.
using TCellsChangedEvent = std::function<void(TObject* sender, TRect r)>;
// An object that follows a grid's cells (a linked view, a checker): it is
// told every changed rectangle, after OnCellsChanged. The grid does not own
// its listeners; one that goes first takes itself off the list.
class TCellChangeListener {
 public:
  virtual ~TCellChangeListener() = default;
  virtual void CellsChanged(TObject* grid, const TRect& r) = 0;
};

using TGridHintEvent = std::function<void(TObject* sender, int row, int col, AnsiString& hint)>;
using TGridColorEvent = std::function<void(TObject* sender, int row, int col, TGridDrawState state,
                                           TBrush* brush, TFont* font)>;
using TGridBorderEvent =
    std::function<void(TObject* sender, int row, int col, TPen* pen, TCellBorders& borders)>;
using TGridAlignEvent = std::function<void(TObject* sender, int row, int col, TAlignment& hAlign,
                                           TVAlignment& vAlign)>;
using TGridFormatEvent = std::function<void(TObject* sender, int col, TSortStyle& style,
                                            AnsiString& prefix, AnsiString& suffix)>;
// Column first, as the editor and check-text events have always had it.
using TGetEditorTypeEvent = std::function<void(TObject* sender, int col, int row, TEditorType& editor)>;
using TIsFixedCellEvent = std::function<void(TObject* sender, int row, int col, bool& isFixed)>;
using TCanEditCellEvent = std::function<void(TObject* sender, int row, int col, bool& canEdit)>;
using TIsPasswordCellEvent = std::function<void(TObject* sender, int row, int col, bool& isPassword)>;
using THasComboBoxEvent = std::function<void(TObject* sender, int col, int row, bool& hasComboBox)>;
using TGetCheckEvent = std::function<void(TObject* sender, int col, int row, AnsiString& value)>;

// The cell editors (ExGridEditors.h).
struct TGridEditState;
class TEditLink;
class TExInplaceEdit;
class TSizeWhileTyping;
class TGridSpin;
class TGridCombo;
class TGridUniCombo;
class TGridUniEdit;
class TGridCheckBox;
class TGridEditBtn;
class TGridUnitEditBtn;
class TGridDatePicker;
class TGridButton;
class TExRichEdit;
class TGridTransEdit;
class TRichMemo;
class TControlEdit;
class TControlCombo;

// ---- cursor advance and look-up typing: the switches of Navigation that
// the Enter advance and the look-up typing read.
enum TAdvanceDirection { adLeftRight, adTopBottom };

enum TInsertPosition { pInsertBefore, pInsertAfter };
enum THomeEndAction { heFirstLastColumn, heFirstLastRow };

class TNavigation : public TPersistent {
 public:
  // ---- row insertion and deletion by keys, Tab and Home/End, sorting
  bool AllowInsertRow() const { return allowInsertRow_; }
  void SetAllowInsertRow(bool v) { allowInsertRow_ = v; }
  bool AllowDeleteRow() const { return allowDeleteRow_; }
  void SetAllowDeleteRow(bool v) { allowDeleteRow_ = v; }
  bool AdvanceAuto() const { return advanceAuto_; }
  void SetAdvanceAuto(bool v) { advanceAuto_ = v; }
  TAdvanceDirection TabAdvanceDirection() const { return tabAdvanceDirection_; }
  void SetTabAdvanceDirection(TAdvanceDirection v) { tabAdvanceDirection_ = v; }
  bool AllowClipboardShortCuts() const { return allowClipboardShortCuts_; }
  void SetAllowClipboardShortCuts(bool v) { allowClipboardShortCuts_ = v; }
  bool SkipFixedCells() const { return skipFixedCells_; }
  void SetSkipFixedCells(bool v) { skipFixedCells_ = v; }
  bool AppendOnArrowDown() const { return appendOnArrowDown_; }
  void SetAppendOnArrowDown(bool v) { appendOnArrowDown_ = v; }
  bool MoveRowOnSort() const { return moveRowOnSort_; }
  void SetMoveRowOnSort(bool v) { moveRowOnSort_ = v; }
  bool ImproveMaskSel() const { return improveMaskSel_; }
  void SetImproveMaskSel(bool v) { improveMaskSel_ = v; }
  bool KeepHorizScroll() const { return keepHorizScroll_; }
  void SetKeepHorizScroll(bool v) { keepHorizScroll_ = v; }
  bool TabToNextAtEnd() const { return tabToNextAtEnd_; }
  void SetTabToNextAtEnd(bool v) { tabToNextAtEnd_ = v; }
  TInsertPosition InsertPosition() const { return insertPosition_; }
  void SetInsertPosition(TInsertPosition v) { insertPosition_ = v; }
  THomeEndAction HomeEndKey() const { return homeEndKey_; }
  void SetHomeEndKey(THomeEndAction v) { homeEndKey_ = v; }

 private:
  bool allowInsertRow_ = false;
  bool allowDeleteRow_ = false;
  bool advanceAuto_ = false;
  TAdvanceDirection tabAdvanceDirection_ = adLeftRight;
  bool allowClipboardShortCuts_ = false;
  bool skipFixedCells_ = true;
  bool appendOnArrowDown_ = false;
  bool moveRowOnSort_ = false;
  bool improveMaskSel_ = false;
  bool keepHorizScroll_ = false;
  bool tabToNextAtEnd_ = false;
  TInsertPosition insertPosition_ = pInsertBefore;
  THomeEndAction homeEndKey_ = heFirstLastColumn;

 public:
  bool AdvanceOnEnter() const { return advanceOnEnter_; }
  void SetAdvanceOnEnter(bool v) { advanceOnEnter_ = v; }
  bool AdvanceInsert() const { return advanceInsert_; }
  void SetAdvanceInsert(bool v) { advanceInsert_ = v; }
  TAdvanceDirection AdvanceDirection() const { return advanceDirection_; }
  void SetAdvanceDirection(TAdvanceDirection v) { advanceDirection_ = v; }
  // ---- the switches the cell editors read
  bool AlwaysEdit() const { return alwaysEdit_; }
  void SetAlwaysEdit(bool v) { alwaysEdit_ = v; }
  bool AllowCtrlEnter() const { return allowCtrlEnter_; }
  void SetAllowCtrlEnter(bool v) { allowCtrlEnter_ = v; }
  bool EditSelectAll() const { return editSelectAll_; }
  void SetEditSelectAll(bool v) { editSelectAll_ = v; }
  bool CursorWalkEditor() const { return cursorWalkEditor_; }
  void SetCursorWalkEditor(bool v) { cursorWalkEditor_ = v; }
  bool LineFeedOnEnter() const { return lineFeedOnEnter_; }
  void SetLineFeedOnEnter(bool v) { lineFeedOnEnter_ = v; }
  bool AutoComboDropSize() const { return autoComboDropSize_; }
  void SetAutoComboDropSize(bool v) { autoComboDropSize_ = v; }

  bool AutoGotoWhenSorted() const { return autoGotoWhenSorted_; }
  void SetAutoGotoWhenSorted(bool v) { autoGotoWhenSorted_ = v; }
  bool AutoGotoIncremental() const { return autoGotoIncremental_; }
  void SetAutoGotoIncremental(bool v) { autoGotoIncremental_ = v; }

  // ---- clipboard switches (ExGridClipboard.cpp reads them)
  bool AllowSmartClipboard() const { return allowSmartClipboard_; }
  void SetAllowSmartClipboard(bool v) { allowSmartClipboard_ = v; }
  bool AllowRTFClipboard() const { return allowRTFClipboard_; }
  void SetAllowRTFClipboard(bool v) { allowRTFClipboard_ = v; }
  bool AllowFmtClipboard() const { return allowFmtClipboard_; }
  void SetAllowFmtClipboard(bool v) { allowFmtClipboard_ = v; }
  bool AllowClipboardAlways() const { return allowClipboardAlways_; }
  void SetAllowClipboardAlways(bool v) { allowClipboardAlways_ = v; }
  bool AllowClipboardRowGrow() const { return allowClipboardRowGrow_; }
  void SetAllowClipboardRowGrow(bool v) { allowClipboardRowGrow_ = v; }
  bool AllowClipboardColGrow() const { return allowClipboardColGrow_; }
  void SetAllowClipboardColGrow(bool v) { allowClipboardColGrow_ = v; }
  bool CopyHTMLTagsToClipboard() const { return copyHTMLTagsToClipboard_; }
  void SetCopyHTMLTagsToClipboard(bool v) { copyHTMLTagsToClipboard_ = v; }

 private:
  bool allowSmartClipboard_ = false;
  bool allowRTFClipboard_ = false;
  bool allowFmtClipboard_ = false;
  bool allowClipboardAlways_ = false;
  bool allowClipboardRowGrow_ = true;
  bool allowClipboardColGrow_ = true;
  bool copyHTMLTagsToClipboard_ = true;

 private:
  bool advanceOnEnter_ = false;
  bool advanceInsert_ = false;
  TAdvanceDirection advanceDirection_ = adLeftRight;
  // the cell editors' switches
  bool alwaysEdit_ = false;
  bool allowCtrlEnter_ = true;
  bool editSelectAll_ = true;
  bool cursorWalkEditor_ = false;
  bool lineFeedOnEnter_ = false;
  bool autoComboDropSize_ = false;

  bool autoGotoWhenSorted_ = false;
  bool autoGotoIncremental_ = false;
};

using TCanAddRowEvent = std::function<void(TObject* sender, bool& canAdd)>;
using TAutoAddRowEvent = std::function<void(TObject* sender, int row)>;
using TAutoInsertColEvent = std::function<void(TObject* sender, int col)>;
using TCellChangingEvent =
    std::function<void(TObject* sender, int oldRow, int oldCol, int newRow, int newCol, bool& allow)>;
// The current row or column is about to change; allow false keeps it.
using TRowChangingEvent = std::function<void(TObject* sender, int oldRow, int newRow, bool& allow)>;
using TColChangingEvent = std::function<void(TObject* sender, int oldCol, int newCol, bool& allow)>;

// Sizing and scroll-bar state (ExGridSizing.cpp).
struct TGridSizing;
using TColumnSizeEvent = std::function<void(TObject* sender, int col)>;
using TRowSizeEvent = std::function<void(TObject* sender, int row)>;
using TUpdateColumnSizeEvent = std::function<void(TObject* sender, int col, int& width)>;
using TScrollHintEvent = std::function<void(TObject* sender, int index, AnsiString& hint)>;

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
  // Floats of a real row, hidden or not (ExGridHidden.cpp).
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
  void AddCellChangeListener(TCellChangeListener* listener);
  void RemoveCellChangeListener(TCellChangeListener* listener);
  virtual void CellsChangedHook(int col) { UpdateFooterValues(col); }
  // After the whole grid changed (an import): the hook for every column; the
  // column grid also brings its columns in step with the cells.
  virtual void ReSync() { CellsChangedHook(-1); }
  virtual void UpdateFooterValues(int col);
  virtual void SetCellTextFromEditor(int col, int row, const AnsiString& text);

  // ---- repainting
  void RepaintCell(int col, int row);
  void RepaintRow(int row);
  void RepaintCol(int col);
  // The area from the cell at r's top-left to the one at its bottom-right
  // (two cells repainted as one area).
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
  // Runs on every change of ColumnHeaders: the list goes into row 0 (the
  // column grid's columns take their headers from it too).
  virtual void ApplyColumnHeaders();

  // ---- option objects
  TFloatingFooter* FloatingFooter() { return floatingFooter_.get(); }
  TColumnSize* ColumnSize() { return columnSize_.get(); }
  void SaveColumnSizes();
  void LoadColumnSizes();
  // The INI file of the column widths: ColumnSize's Key, a relative name
  // taken in the program's folder.
  AnsiString ColumnSizeFile() const;

  // ---- sizing, stretching and scroll bars (ExGridSizing.cpp)
  // The stretch column (-1: the last) takes the client width the others
  // leave; EExGridError "Stretch column index out of range" past the columns.
  void StretchToClient(int col);
  void FitColumnsToContents(bool includeFixed = true, int padding = 0);
  void FitColumnToContents(int col);
  void FitRowToContents(int row);
  void FitRowToLines(int row, int lines, int extra);
  // The most lines any cell of the row holds, at least 1.
  int RowLineCount(int row);
  // Limits of the automatic sizing (0: no maximum) and its margins.
  TGridSizeLimits& SizeLimits();
  TScrollBarOptions& ScrollOptions();
  TPrintSettings* PrintSettings();
  THTMLSettings* HTMLSettings();
  // Grows and shrinks with the form that owns the grid.
  bool SizeWithForm() const;
  void SetSizeWithForm(bool v);
  bool ScrollProportional() const;
  void SetScrollProportional(bool v);
  // Refreshes the styled (flat) and proportional scroll bars.
  void UpdateScrollBarLooks();
  TColumnSizeEvent OnEndColumnSize;
  TRowSizeEvent OnEndRowSize;
  TUpdateColumnSizeEvent OnUpdateColumnSize;
  TScrollHintEvent OnScrollHint;

 protected:
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void SizeChanged(int oldColCount, int oldRowCount) override;
  void TopLeftChanged() override;
  void Resize() override;
  void CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos, int& sizingOfs,
                       TGridDrawInfo& fixedInfo) override;
  // A thumb dragged on a proportional bar moves the view by its share.
  void WMHScroll(TMessage& m) override;
  void WMVScroll(TMessage& m) override;
  // The width a cell's content needs and its height within width (real column).
  virtual TSize CellContentExtent(int col, int row, int width);
  // A cell shown with a number format (OnGetFloatFormat) whose text is no
  // number: it counts nothing when a row is fitted to its contents.
  virtual bool FloatFormatNotANumber(int col, int row);
  // The width a sizing gives display column col, by the mouse (automatic
  // false) or by fitting to the contents: OnUpdateColumnSize may change it.
  virtual void UpdateColumnSize(int col, int& width, bool automatic);

 private:
  friend struct TGridSizing;
  void ResizeColumns();
  void ScrollMessage(TMessage& m, bool horizontal);
  std::unique_ptr<TGridSizing> sizing_;

 public:

  // ---- hidden columns (ExGridHidden.cpp); indices are real unless named display
  int HiddenColumnCount() const { return hiddenColCount_; }
  int RealColCount() const { return ColCount() + hiddenColCount_; }
  bool IsColumnHidden(int realCol) const;
  // The display column of a real one: realCol minus the hidden columns before it.
  int DisplColIndex(int realCol) const override;
  // The real index of the displayCol-th shown column; past the shown
  // columns, an index past the real ones (reads give nothing there).
  int RealColIndex(int displayCol) const override;
  // Closes the editor first. Skips columns already hidden, columns past the
  // real ones, and stops while only one column is shown.
  void HideColumns(int fromCol, int toCol);
  void HideColumn(int col) { HideColumns(col, col); }
  void ShowColumns(int fromCol, int toCol);
  void ShowColumn(int col) { ShowColumns(col, col); }
  void ShowAllColumns() { ShowColumns(0, RealColCount() - 1); }

  // ---- hidden rows
  int HiddenRowCount() const { return static_cast<int>(hiddenRows_.size()); }
  bool IsRowHidden(int realRow) const;
  // -1 for a negative displayRow; past the last row, the real index a row
  // appended there would get.
  int RealRowIndex(int displayRow) const;
  int DisplRowIndex(int realRow) const;
  // The hidden rows in ascending real order.
  TGridItem* HiddenRowItem(int index) const { return hiddenRows_.at(static_cast<std::size_t>(index)).get(); }
  // Rows of the range already hidden stay as they are; a call that would
  // hide every row is refused, since a grid cannot have no row.
  void HideRows(int fromRow, int toRow);
  void HideRow(int row) { HideRows(row, row); }
  // Hides the listed display rows (in any order; repeats and rows outside
  // the grid are ignored), also while other rows are hidden.
  void HideRowList(const TIntList* displayRows);
  // Shows each hidden row of the real range at its place.
  void ShowRows(int fromRow, int toRow);
  void ShowRow(int row) { ShowRows(row, row); }
  void ShowAllRows();
  // Cell text of a real row, hidden or not (real column).
  AnsiString AllCells(int col, int realRow) const;

  // ---- the whole grid at once, for the grid file
  // Drops every hidden row (freeing its cells' properties and graphics) and
  // shows every column: nothing of the previous contents comes back.
  void ResetHiddenState();
  // Runs work while every real row and column is shown, then hides exactly
  // the same rows and columns again with their heights and widths, also when
  // work raises; the cursor and the view stay on the same cells.
  void WithAllShown(const std::function<void()>& work);

  // ---- the grid file (ExGridFile.cpp; the format in GridFile.h). Saving
  // reports its progress through OnFileProgress.
  // beforeReplace: see ::SaveGridFile in GridFile.h.
  void SaveGridFile(const AnsiString& fileName, const std::function<void()>& beforeReplace = {});
  void LoadGridFile(const AnsiString& fileName);
  // check sees the validated file before anything changes and may refuse it.
  void LoadGridFile(const AnsiString& fileName, const TGridFileCheck& check);
  void SaveGridStream(TStream& stream);
  void LoadGridStream(TStream& stream);
  void WriteCellsToStream(int c1, int r1, int c2, int r2, TStream& stream);
  void ReadCellsFromStream(TPoint origin, TStream& stream);
  // Progress 0..100 while a grid file or stream is written.
  TGridProgressEvent OnFileProgress;

  // ---- row and column selection flags
  // EExGridError "Invalid row accessed" outside 0 .. RowCount + hidden rows - 1.
  bool IsRowSelected(int row);
  void SetRowSelected(int row, bool value);
  // EExGridError "Invalid column accessed" outside 0 .. ColCount - 1.
  bool IsColSelected(int col);
  void SetColSelected(int col, bool value);
  int SelectedRowCount() const;
  int SelectedColCount() const;
  void ClearRowSelect();
  void ClearColSelect();
  void SelectRows(int row, int count);
  void SyncRowSelect(bool all);
  void SyncColSelect(bool all);
  void RemoveSelectedRows();
  // Remembers the selection and shows none (SelectionHidden) until
  // RestoreSelection or until the selection is set anew (a move, a click).
  void HideSelection();
  void RestoreSelection();
  bool SelectionHidden() const { return selectionHidden_; }
  // False while nothing may be drawn selected: the cursor stays inside the
  // grid, but a hidden selection shows no cell as selected or current.
  bool SelectionShown() const { return !selectionHidden_ || !(Selection() == hiddenSelection_); }
  TMouseActions* MouseActions() { return mouseActions_.get(); }
  const TMouseActions* MouseActions() const { return mouseActions_.get(); }

  // ---- controls placed on cells; the records hold real columns and rows
  // and follow rows inserted and removed.
  TControlList* CellControls() { return &cellControls_; }
  // Hides controls on hidden or scrolled-away cells, moves the others onto
  // their cells.
  void RepositionCellControls();

  // ---- cell graphics (ExGridGraphics.cpp); col is a real column
  // The column grid answers with a shared check box for the cells of its
  // data check box columns that have no graphic of their own.
  virtual TCellGraphic* GetCellGraphic(int col, int row) const;
  virtual TCellType GetCellType(int col, int row) const;
  // Frees the cell's graphic and attaches a new one (ctNone, no payload).
  TCellGraphic* CreateCellGraphic(int col, int row);
  bool RemoveCellGraphic(int col, int row);
  bool RemoveCellGraphicOfType(int col, int row, TCellType type);
  // Frees the graphic the properties carry (not a shared ctVirtCheckBox).
  void ReleaseCellGraphic(TCellProperties& props) override;
  TIntList* GetImageIndexList(int col, int row) const;
  // The bitmap or icon object for ctBitmap / ctIcon, the image index for
  // ctImageList, -1 otherwise (a sort key).
  intptr_t GetImageValue(int col, int row) const;
  bool GetRadioIndex(int col, int row, int& index) const;
  TStringList* GetRadioItems(int col, int row) const;
  bool IsRadio(int col, int row) const;
  bool IsButton(int col, int row) const;
  bool IsCheckBox(int col, int row) const;
  bool HasCheckOrRadio(int col, int row) const;
  bool GetComment(int col, int row, AnsiString& text) const;
  bool GetRotated(int col, int row, int& angle) const;
  void GetCellErrorRange(int col, int row, int& from, int& length) const;
  void SetCellBoolean(int col, int row, bool value);
  bool GetCheckBoxState(int col, int row, bool& state);
  bool SetCheckBoxState(int col, int row, bool state);
  void CheckAll(int col);
  void UncheckAll(int col);
  virtual bool ToggleCheckBox(int col, int row, bool withCheck);
  bool NextRadioItem(int col, int row, bool withCheck);
  bool PointInCheckBox(int col, int row, int x, int y);
  TRect GetCellGraphicRect(int col, int row) const;
  virtual TPoint GetCellGraphicSize(int col, int row);
  TCustomImageList* GridImages() const { return gridImages_; }
  // Forgotten when the image list goes away.
  void SetGridImages(TCustomImageList* v);
  TControlLook* ControlLook() { return controlLook_.get(); }
  const TControlLook* ControlLook() const { return controlLook_.get(); }
  // Lets the grid file store cell graphics, show every hidden row and
  // column while a whole grid is saved, and reset them before one is
  // loaded. The constructor calls it; calling it again does nothing.
  static void InstallGridFileHooks();

  // ---- per-cell queries: each fills its answer, then its event may change it
  virtual void GetCellHint(int col, int row, AnsiString& hint);
  virtual void GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font);
  virtual void GetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font);
  virtual void GetCellBorder(int col, int row, TPen* pen, TCellBorders& borders);
  virtual void GetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders);
  virtual void GetCellAlignment(int col, int row, TAlignment& horizontal, TVAlignment& vertical);
  virtual void GetCellFormat(int col, TSortStyle& style, AnsiString& prefix, AnsiString& suffix);
  virtual void GetCellEditor(int col, int row, TEditorType& editor);
  virtual void IsFixedCellQuery(int col, int row, bool& fixed);
  virtual void CanEditCell(int col, int row, bool& canEdit);
  virtual void IsPasswordCell(int col, int row, bool& password);
  virtual bool HasComboBox(int col, int row);
  virtual void GetCheckTrue(int col, int row, AnsiString& text);
  virtual void GetCheckFalse(int col, int row, AnsiString& text);
  virtual bool HasColumnFilter(int col) { return false; }
  // Footer rows, right fixed columns, then IsFixedCellQuery; col is a display column.
  bool IsFixedCell(int col, int row) const override;
  bool ActiveCellShow() const { return activeCellShow_; }
  void SetActiveCellShow(bool v) { SetAndRepaint(activeCellShow_, v); }
  // Set while the grid opens an editor on its own (keys, clicks, advance):
  // such an editor may open without goEditing.
  bool OpeningEditor() const { return openingEditor_; }
  void SetOpeningEditor(bool v) { openingEditor_ = v; }

  // ---- filtering (ExGridFilter.cpp): while FilterActive, the rows that
  // fail the Filter items are hidden.
  TFilter* Filter() { return filter_.get(); }
  bool FilterActive() const { return filterActive_; }
  // On hides the failing rows; off shows every hidden row, whatever hid it.
  void SetFilterActive(bool value);
  // The cell text goes through UpperCase before Prefix, Suffix and matching.
  bool FilterCaseUp() const { return filterCaseUp_; }
  void SetFilterCaseUp(bool v) { filterCaseUp_ = v; }
  virtual bool RowMatchesFilter(int row);
  // Hides the display rows that fail, in one call, also while other rows
  // are hidden already.
  void ApplyFilter();
  // Progress in whole percent, fired when it changes and once more at the end.
  TFilterProgressEvent OnFilterProgress;

 private:
  // found marks, by display row, the data rows of a grouped grid that the
  // filter keeps; a node row and the summary rows in its span are kept
  // exactly when one of its rows is. Every row from firstRow up to endRow
  // not kept goes into failing.
  void AddFailingRowsOfGroups(std::vector<char>& found, int firstRow, int endRow, TIntList& failing) const;
  std::unique_ptr<TFilter> filter_ = std::make_unique<TFilter>(this);
  bool filterActive_ = false;
  bool filterCaseUp_ = false;
  int filterFixedRows_ = 0;

 public:
  // ---- clipboard (ExGridClipboard.cpp). Rectangles and the col of the
  // paste calls are display columns; the cells are reached at their real
  // columns. Copying puts the text block (ExGridClipboard.h), and with the
  // Navigation switches the first cell's rich text and the cell stream.
  void CopySelectionToClipboard();
  void CutSelectionToClipboard();
  void CopyRectToClipboard(const TGridRect& rect, bool disjunct);
  // The text block of the rectangle, as copying puts it on the clipboard.
  AnsiString RectToClipboardText(const TGridRect& rect, bool disjunct);
  // Pastes at the selection's top-left cell, then fills the rest of the
  // selection with AllowSmartClipboard (one value repeated, a series of
  // dates, times or integers continued, other values repeated in turn).
  void PasteSelectionFromClipboard();
  // The cell stream when allowed and present and the cells it covers can
  // take it, else the first cell's rich text, else the text block. Returns
  // the number of cells pasted.
  int PasteFromClipboard(int col, int row);
  // Writes the text block's fields from (col, row) rightward and downward,
  // growing the grid as Navigation allows (EExGridError past the transfer
  // limits, before anything changes). Cells that cannot be edited (every
  // cell with AllowClipboardAlways) and read-only cells are skipped, as are
  // cells a paste event refuses. Returns the number of cells written.
  int PasteTextIntoCells(int col, int row, const AnsiString& text);
  // Set by copying, cleared by cutting.
  bool CopyValid() const { return copyValid_; }
  // The display rectangle copied last.
  const TGridRect& LastCopyRect() const { return lastCopyRect_; }
  // Told of every paste: the target rectangle (display columns), the source
  // rectangle when the cells came from this grid's own copy (else -1, -1,
  // -1, -1) and whether that copy is still valid.
  virtual void ClipboardPasteHook(const TRect& target, const TRect& source, bool copyValid) {}
  TClipboardEvent OnClipboardCopy;
  TClipboardEvent OnClipboardCut;
  TClipboardEvent OnClipboardPaste;
  TClipboardPasteCellEvent OnClipboardBeforePasteCell;
  TClipboardPasteWideCellEvent OnClipboardBeforePasteWideCell;

  // ---- text and spreadsheet import (ExGridImport.cpp)
  // Reads a delimited text file (Delimiter, or detected from the first two
  // lines while it is '\0'). Without append the grid's old cells, hidden
  // rows and filter go first; with append the rows go after the last one
  // (before a floating footer). The whole file is read and checked against
  // the transfer limits before the grid changes: EExGridError "Cannot open
  // file <name>" or the limit's message.
  void ImportTextFile(const AnsiString& fileName, bool append);
  void LoadFromCSV(const AnsiString& fileName) { ImportTextFile(fileName, false); }
  // The used cells of a sheet of an ".xls" or ".xlsx" file (the first sheet
  // when sheetName is empty) replace the grid's cells from (0, 0). A file
  // that cannot be read changes nothing (EExGridError); one that ends before
  // its sheet does leaves the rows it held in the grid and then raises
  // EExGridError saying that not every row could be read.
  void ImportSpreadsheet(const AnsiString& fileName, const AnsiString& sheetName = "");
  // '\0': detect on each import.
  char Delimiter() const { return delimiter_; }
  void SetDelimiter(char v) { delimiter_ = v; }
  bool OemConvert() const { return oemConvert_; }
  void SetOemConvert(bool v) { oemConvert_ = v; }
  // Pasted and imported fields take each "~" as a line break, and a field
  // "^" as an empty one.
  bool TildesAsLineBreaks() const { return tildesAsLineBreaks_; }
  void SetTildesAsLineBreaks(bool v) { tildesAsLineBreaks_ = v; }

  // ---- drag and drop (ExGridDragDrop.cpp)
  TDragDropSettings* DragDropSettings() { return dragDropSettings_.get(); }
  // Registers or revokes the grid's window as a drop target.
  void UpdateDropTarget();
  TGridDropTarget* DropTarget() const { return dropTarget_.get(); }
  // Drags the selection's text (a header cell's column with
  // OleColumnDragDrop) from the cell (display column) the mouse went down
  // on; a move clears the dragged cells or removes the rows as the settings
  // say. Returns the effect the drop took.
  int OleDragFromCell(int col, int row);
  // The selection a drag from this grid carries, -1s while none runs.
  const TGridRect& OleDragRect() const { return oleDragRect_; }
  void SetOleDragRect(const TGridRect& r) { oleDragRect_ = r; }
  TOleDropEvent OnOleDrop;
  TOleDroppedEvent OnOleDropped;
  TOleDragOverEvent OnOleDragOver;
  TOleDropFileEvent OnOleDropFile;
  TOleDropColEvent OnOleDropCol;
  TOleDragEvent OnOleDrag;
  TOleDragStartEvent OnOleDragStart;
  TOleDragStopEvent OnOleDragStop;

 private:
  // The drop target writes cells by the paste's rules.
  friend class TGridDropTarget;
  // ExGridClipboard.cpp
  bool CanPasteCell(int realCol, int row);
  bool WriteClipboardCell(int realCol, int row, AnsiString value);
  int PasteCellStream(int col, int row, const std::string& bytes);
  void SmartFill(const TGridRect& sel, int startCol, int pastedCount);
  // Grows the grid to needCols display columns and needRows rows before
  // the footers, where allowed; EExGridError beyond the transfer limits.
  void GrowForTransfer(int needCols, int needRows, bool growCols, bool growRows);
  TGridRect WidenedSelection();
  // Columns and rows of the block the last paste wrote (for the smart fill).
  TPoint lastPasteSize_{0, 0};
  bool copyValid_ = false;
  TGridRect lastCopyRect_{-1, -1, -1, -1};
  char delimiter_ = '\0';
  bool oemConvert_ = false;
  bool tildesAsLineBreaks_ = false;
  std::unique_ptr<TDragDropSettings> dragDropSettings_ = std::make_unique<TDragDropSettings>(this);
  std::unique_ptr<TGridDropTarget> dropTarget_;
  TGridRect oleDragRect_{-1, -1, -1, -1};

 public:
  // ---- nodes and grouping (ExGridNodes.cpp). AddNode, RemoveNode,
  // ExpandNode and CollapseNode take rows of the full order (hidden rows
  // counted); the queries take display rows.
  TGrouping* Grouping() { return grouping_.get(); }
  TCellNode* CellNode() { return cellNode_.get(); }
  const TCellNode* CellNode() const { return cellNode_.get(); }
  void AddNode(int row, int span);
  void AddSummaryRow(int row);
  void RemoveNode(int row);
  void RemoveAllNodes();
  bool IsNodeRow(int row) const;
  bool IsSummaryRow(int row) const;
  bool IsNodeCollapsed(int row) const;
  int GetNodeSpan(int row) const;
  int GetNodeLevel(int row) const;
  // The number of nodes the row lies in, node rows or not (0 outside the grid).
  int NodeLevelOf(int row) const;
  // x in pixels from the cell's left edge, inside the row's last indent step.
  bool IsNodeGlyphHit(int row, int x) const;
  // 0 node row, 1 last of its level, 2 followed by the same or a deeper level.
  int NodeRowKind(int row) const;
  void ExpandNode(int row);
  void CollapseNode(int row);
  void ExpandAllNodes();
  void CollapseAllNodes();
  // Sorts on col, puts a node header before every run of equal texts and
  // takes col out of the grid; Ungroup puts everything back.
  virtual void GroupByColumn(int col);
  virtual void Ungroup();
  // For a grid that shows its node buttons in a column of their own at the
  // front: the same as InsertColumns(0, 1) followed by GroupByColumn(col + 1),
  // and UngroupWithNodeColumn the same as Ungroup followed by
  // RemoveColumns(0, 1). Where nothing is hidden and no filter is on, the
  // grouped column itself, emptied, becomes the node column and comes back
  // from it, so that each row's cells move once over columns 0 .. col
  // instead of twice along the whole row.
  virtual void GroupWithNodeColumn(int col);
  virtual void UngroupWithNodeColumn();
  int NodeCount() const { return nodeCount_; }
  // The node count from the node marks of column 0 (rows FixedRows on), as
  // a loaded grid brings them; the node column repaints when there are any.
  // Nodes marked collapsed hide their rows, as they did when saved.
  void RecountNodes();
  // The real column GroupByColumn took out, -1 while not grouped.
  int GroupColumn() const { return groupColumn_; }
  // While grouped, the grouped column's cell of a display row: the text the
  // row held when it was grouped, or was given since, which Ungroup puts
  // back with the cell's properties wherever the row has moved. False (and
  // nothing written) for a header or summary row, or when not grouped.
  bool GroupedCellText(int row, AnsiString& text) const;
  bool SetGroupedCellText(int row, const AnsiString& text);
  // The same for the movie row of a real row, hidden or not.
  bool AllGroupedCellText(int realRow, AnsiString& text) const;
  // The grouped column's header (row 0) while grouped.
  const AnsiString& GroupColumnHeader() const { return groupColumnHeader_; }
  bool HasNodes() const override { return nodeCount_ > 0; }
  int GetCellIndent(int row) const override;
  // The NodeLevel of a column-0 cell's properties is its row's level.
  bool GetRowNodeLevel(int row, int& level) const override;
  bool SetRowNodeLevel(int row, int level) override;

 protected:
  // The moving halves of GroupWithNodeColumn and UngroupWithNodeColumn; false
  // (nothing done) where the plain operations must run instead.
  bool GroupIntoNodeColumn(int col);
  bool UngroupFromNodeColumn();

 private:
  TCellGraphic* NodeGraphic(int row) const;
  void AddNodeAt(int displayRow, int span);
  void ExpandNodeAt(int displayRow);
  void MarkAllNodesExpanded();
  void HideRowsOfCollapsedNodes();
  void MoveNodeMarks(int fromCol, int toCol);
  void ColourGroupRow(int row, int textCol, bool header);
  void SortForGrouping(int col);
  void ColourGroupRows(int textCol);
  // The grouped column's cells leave with it and come back with Ungroup:
  // KeepGroupedCells gives every row a key, which its record carries
  // wherever the row moves, and keeps the row's text and property object
  // under it; TakeGroupedTexts hands the texts to the rows Ungroup fills
  // (rows inserted since have no key and keep theirs), GiveBackGroupedCells
  // puts the objects into col and drops what no row took.
  void KeepGroupedCells(int col);
  // Moves the texts of col under the rows' keys.
  void TakeGroupedCellTexts(int col);
  void TakeGroupedTexts(std::vector<AnsiString>& texts);
  void GiveBackGroupedCells(int col);
  void DropGroupedCells();
  std::unique_ptr<TGrouping> grouping_ = std::make_unique<TGrouping>();
  std::unique_ptr<TCellNode> cellNode_ = std::make_unique<TCellNode>(this);
  int nodeCount_ = 0;
  int groupColumn_ = -1;
  int groupColumnWidth_ = 0;
  AnsiString groupColumnHeader_;
  // Set while the grouped column serves as the node column (GroupIntoNodeColumn).
  bool groupedIntoNodeColumn_ = false;
  // Texts by row that the next column InsertColumns puts in takes in the
  // same pass over the rows (Ungroup gives the grouped column back that way).
  std::vector<AnsiString>* insertedColumnTexts_ = nullptr;
  struct TGroupedCell {
    AnsiString Text;
    TCellProperties* Properties = nullptr;  // the grid's, until given back or dropped
  };
  // By row key - 1.
  std::vector<TGroupedCell> groupedCells_;

 public:
  // ---- sorting (ExGridSortRows.cpp; styles and settings in ExGridSort.h)
  // Rows are sorted between the fixed rows and the fixed footers; a swap
  // moves whole rows (texts and property objects, hidden columns included).
  TSortSettings* SortSettings() { return sortSettings_.get(); }
  TSortIndexList* SortIndexes() { return &sortIndexes_; }
  // -1, 0 or +1: row1 against row2 in ascending sense; the direction only
  // steers where blanks go. Never throws.
  virtual int CompareCells(int col, int row1, int row2, TSortDirection direction);
  // Ties broken on the next columns when SortSettings()->Full().
  int CompareRowsOnColumn(int col, int row1, int row2);
  // From index entry k on, each entry with its own direction.
  int CompareRowsByIndexList(int k, int row1, int row2);
  virtual void SortOnColumn();
  // EExGridError kNoSortIndexes with an empty index list.
  virtual void SortByIndexList();
  // Sorts the rows of each expanded node group on SortSettings()->Column().
  virtual void SortWithinGroups();
  // Rows back to their order before the first sort (nothing when rows were
  // added or removed since).
  virtual void RestoreUnsortedOrder();
  // A plain bubble sort for small grids; at most one pass per row, so a
  // comparison that contradicts itself cannot keep it going.
  void BubbleSortColumn(int col);
  virtual void SwapRows(int row1, int row2);
  // A header click on col: the direction cycle, the index list with shift.
  void HeaderClickSort(int col, bool shift);
  int SwapCount() const { return swapCount_; }
  unsigned LastSortTime() const { return lastSortTime_; }
  // Entry r: the row index before any sorting of the row now at r.
  const std::vector<int>& UnsortedOrder() const { return unsortedOrder_; }
  TCustomCompareEvent OnCustomCompare;
  TRawCompareEvent OnRawCompare;
  TCanSortEvent OnCanSort;
  TClickSortEvent OnClickSort;

 private:
  struct TSortFrame;
  void RebuildUnsortedOrder();
  void QuickSortRows(int col, int lo, int hi);
  void QuickSortIndexed(int lo, int hi);
  // The rows in the partition sort's order, by runs of equal texts, when
  // that order can be had so (ExGridSortRuns.cpp); false leaves the rows
  // as they were.
  struct TValueRunSort;
  bool SortByValueRuns(int col, int firstRow, int lastRow);
  // Set while grouping sorts: its column typically holds few distinct texts.
  bool sortingForGrouping_ = false;
  // Moves the rows so that first + i holds the row order[i] held (order a
  // permutation of first .. first + order.size() - 1), through SwapRows.
  void PlaceRows(int first, const std::vector<int>& order);
  // Texts of col that differ but sorted as equal ("" and "0" as numbers)
  // are gathered, each where its first row stands; rows of one text keep
  // their order.
  void GatherEqualTexts(int col, int firstRow, int lastRow);
  template <class After, class Differ>
  void PartitionSort(int lo, int hi, const After& after, const Differ& differ);
  void StartPivot(int row);
  void FillPivotCell(int col);
  void FillWholePivot();
  const AnsiString& SortText(int col, int row, AnsiString& holder);
  std::unique_ptr<TSortSettings> sortSettings_ = std::make_unique<TSortSettings>(this);
  TSortIndexList sortIndexes_;
  std::vector<int> unsortedOrder_;
  int swapCount_ = 0;
  unsigned lastSortTime_ = 0;
  int rememberedRow_ = -1;
  // The scratch row holding the pivot; its cells are copied from the pivot
  // row on first use in each partition (pivotStamp_ per real column).
  int pivotRow_ = -1;
  int pivotSource_ = -1;
  unsigned pivotGeneration_ = 0;
  std::vector<unsigned> pivotStamp_;
  // Real columns and directions of the index list while an indexed sort runs.
  std::vector<int> indexedSortEntries_;
  int sortColumn_ = -1;  // the real sort column while a sort runs
  // A copy of the sort column's texts by row, kept in step by SwapRows, so
  // that comparisons read one compact array instead of the row records.
  // Only for a column of plain texts (no display events, no cell objects).
  // The columns after it that break ties get theirs once comparisons reach
  // them often enough to repay a pass over the rows (sortKeyReached_[k]
  // counts until then): sortKeys_[k] keys column sortKeyCol_ + k
  // (sortKeyState_[k]: 0 not yet keyed, 1 keyed, -1 read from the cells).
  void BuildSortKeys(int col);
  const TSortKeyColumn* SortKeysOf(int col);
  void BuildSortKeysFrom(std::size_t k);
  int SortKeysWorthAPass() const;
  bool KeyableColumn(int col) const;
  std::size_t SortKeyIndex(int row) const;
  int CompareSortKeys(const TSortKeyColumn& keys, int row1, int row2, TSortDirection direction) const;
  int CompareKeysAt(const TSortKeyColumn& keys, std::size_t k1, std::size_t k2, TSortDirection direction) const;
  int sortKeyCol_ = -1;
  std::vector<TSortKeyColumn> sortKeys_;
  std::vector<signed char> sortKeyState_;
  std::vector<int> sortKeyReached_;
  std::vector<std::size_t> keyedColumns_;  // k of every sortKeyState_[k] = 1

 public:
  // ---- cursor advance and look-up typing (ExGridAdvance.cpp)
  TNavigation* Navigation() { return navigation_.get(); }
  const TNavigation* Navigation() const { return navigation_.get(); }
  // Moves the cursor from (col, row) (display column) to the next cell that
  // can be entered, in Navigation's direction, appending a row (a column)
  // at the end when AdvanceInsert allows. At most one pass over the grid:
  // when no cell can be entered the cursor stays where it was.
  void AdvanceCell(int col, int row, bool repeated, bool forward, bool anyCell, bool force);
  // Whether the advance may stop on the cell (real column): editing on
  // (or RangeSelectAndEdit, or the grid opening an editor itself), the base
  // cell editable and not fixed.
  bool CanEnterCell(int col, int row);
  // The first data row whose plain text in the look-up column, cut to the
  // length of text and upper-cased, equals text; -1 when none (or fewer
  // than 2 rows).
  int LookupRow(const AnsiString& text);
  // The display text of a cell (real column) without its mark-up tags.
  void GetPlainText(int col, int row, AnsiString& text);
  // Set while the advance moves the cursor, for the selection handlers.
  bool AdvanceMoving() const { return advanceMoving_; }
  const AnsiString& LookupText() const { return lookupText_; }
  TCanAddRowEvent OnCanAddRow;
  TAutoAddRowEvent OnAutoAddRow;
  TAutoInsertColEvent OnAutoInsertCol;
  TCellChangingEvent OnCellChanging;
  // Asked by SelectCell before the current cell moves (display columns).
  TRowChangingEvent OnRowChanging;
  TColChangingEvent OnColChanging;

 protected:
  // Escape cancels an edit, Enter advances past check boxes and buttons,
  // other characters drive the look-up typing; then the class library's.
  void KeyPress(char& key) override;

 private:
  bool AdvanceStep(int& col, int& row, bool forward);
  void FinishAdvance(int departCol, int departRow, bool anyCell);
  std::unique_ptr<TNavigation> navigation_ = std::make_unique<TNavigation>();
  int advanceStartCol_ = -1;
  int advanceStartRow_ = -1;
  bool advanceMoving_ = false;
  AnsiString lookupText_;

 public:
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
  bool SelectionRectangle() const { return selectionRectangle_; }
  void SetSelectionRectangle(bool v) { SetAndRepaint(selectionRectangle_, v); }
  bool SelectionResizer() const { return selectionResizer_; }
  void SetSelectionResizer(bool v) { SetAndRepaint(selectionResizer_, v); }
  // URL texts shown underlined in URLColor; without URLFull the scheme is left out.
  bool URLShow() const { return urlShow_; }
  void SetURLShow(bool v) { SetAndRepaint(urlShow_, v); }
  TColor URLColor() const { return urlColor_; }
  void SetURLColor(TColor v);
  bool URLFull() const { return urlFull_; }
  void SetURLFull(bool v);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  // Fixed cells drawn as raised buttons (with both fixed grid lines on);
  // the one under a held left button is drawn pressed.
  bool FixedAsButtons() const { return fixedAsButtons_; }
  void SetFixedAsButtons(bool v) { SetAndRepaint(fixedAsButtons_, v); }
  // The fixed cell drawn pressed, (-1, -1) when none.
  TPoint PressedFixedCell() const { return pressedFixed_; }
  bool EnableHTML() const { return enableHTML_; }
  void SetEnableHTML(bool v) { SetAndRepaint(enableHTML_, v); }
  // Plain-text cells: every text shows and measures as typed, read neither
  // as mark-up nor as rich text, formula or wide text (a catalogue's titles).
  bool PlainTextCells() const { return plainTextCells_; }
  void SetPlainTextCells(bool v) { SetAndRepaint(plainTextCells_, v); }
  int CellTextKind(std::string_view text) const { return plainTextCells_ ? 0 : CellMarkupKind(text, enableHTML_); }
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
  // A change of either font, also through the returned object, repaints.
  TFont* ActiveCellFont() { return &activeCellFont_; }
  void SetActiveCellFont(const TFont& font) { activeCellFont_.Assign(font); }
  TFont* FixedFont() { return &fixedFont_; }
  void SetFixedFont(const TFont& font) { fixedFont_.Assign(font); }
  // The looks of the window's styled scroll bars (ExGridSizing.cpp).
  TScrollType ScrollType() const { return scrollType_; }
  void SetScrollType(TScrollType v);
  TColor ScrollColor() const { return scrollColor_; }
  void SetScrollColor(TColor v);
  int ScrollWidth() const { return scrollWidth_; }
  void SetScrollWidth(int v);
  bool AutoSize() const { return autoSize_; }
  // Turned on, the columns take their contents' widths with a margin of 10.
  void SetAutoSize(bool v) {
    autoSize_ = v;
    if (v) FitColumnsToContents(true, 10);
  }
  // The grid's height snaps to whole rows (ExGridProps.cpp has the rule).
  bool IntegralHeight() const { return integralHeight_; }
  void SetIntegralHeight(bool v);
  void SetBounds(int left, int top, int width, int height) override;
  // The in-place editor's limit in bytes; 0 is none.
  int MaxEditLength() const { return maxEditLength_; }
  void SetMaxEditLength(int v);
  int GetEditLimit() override { return maxEditLength_; }
  // Texts the editors complete typing from; a nil list leaves them.
  TStrings* LookupItems() { return lookupItems_.get(); }
  void SetLookupItems(const TStrings* v);
  // Forgotten when the checker goes away.
  TExStringGridCheck* CellChecker() const { return cellChecker_; }
  void SetCellChecker(TExStringGridCheck* v);

 public:
  // ---- in-place editing (ExGridEdit.cpp; the editors in ExGridEditors.h).
  // Columns are display columns unless named real.
  // Places, fills and focuses the control editor of the edit's type.
  void OpenCellEditor(int col, int row);
  // Writes a changed value of the open control editor back and hides it.
  void ReadEditorValue(int col, int row);
  // Ends the edit in progress (any editor) and validates the cell.
  void HideCellEditor();
  // A control editor hands a key it does not keep to the grid.
  void LeaveEditorByKey(Word key, TShiftState shift);
  // The open control editor lost the focus: to the grid (a press on it,
  // which arrives after the focus) the value is validated first.
  void ControlEditorLostFocus(TWinControl* editor);
  // Puts the text the cell had when the edit began back.
  virtual void CancelCellEdit();
  virtual AnsiString CurrentCellText();
  virtual void SetCurrentCellText(const AnsiString& text);
  virtual bool ValidateCell(const AnsiString& text);
  virtual bool ValidateWideCell(const WideString& text);
  virtual void DoEllipsClick(const AnsiString& text, AnsiString& result);
  // The cell (real column) holds a check box, radio group or button.
  bool IsControlCell(int col, int row) const;
  TGridEditState& EditState();
  bool Editing() const;
  TEditorType EditingType() const;
  TWinControl* ActiveEditorControl() const;
  // An editor control other than the text editor is shown over the current cell.
  bool ControlEditorOpen() const;
  // A mouse press at (x, y) of the client area that may open an editor:
  // with MouseActions.CaretPositioning the editor that takes the focus next
  // puts its caret at the character under that point.
  void NoteCaretClick(int x, int y);
  // The noted point in the coordinates of control, and the note cleared;
  // false when nothing was noted.
  bool TakeCaretClick(const TControl* control, TPoint& point);

  // ---- editors of the form controls inside mark-up cells (ExGridControlEdit.cpp)
  // Opens the editor of the control id of the cell (display column, row)
  // over the control's place: an edit for EDIT, PASSWORD and MASK, a combo
  // for COMBO; false when the cell has no such editable control.
  bool StartControlEditor(int col, int row, const AnsiString& id);
  // Writes a changed value into the control's VALUE in the cell's text,
  // hides the editor and fires OnControlEditDone.
  void EndControlEditor();
  // Tab in a form control's editor: the next control of the cell, or the next cell.
  void ControlEditorTab();
  // Opens the editor of the cell's next editable control after id (display
  // column); without one the grid takes the focus.
  void FocusNextCellControl(int col, int row, const AnsiString& id);
  bool ControlEditorActive() const;
  // The rectangle of the control id inside the cell (display column, row);
  // empty when the cell has no such control.
  TRect HtmlControlRect(int col, int row, const AnsiString& id);
  TControlEdit* HtmlControlEdit();
  TControlCombo* HtmlControlCombo();
  // The application fills the list of a COMBO control; edit false makes it
  // a list to pick from only.
  std::function<void(TObject* sender, int row, int col, const AnsiString& id, const AnsiString& value,
                     TStrings* items, bool& edit)>
      OnControlComboList;
  std::function<void(TObject* sender, int row, int col, const AnsiString& id, const AnsiString& type,
                     const AnsiString& value)>
      OnControlEditDone;
  TExInplaceEdit* ExInplaceEditor() const;
  // The link of edCustom cells; the editor-type query may set it per cell.
  TEditLink* CurrentEditLink() const;
  void SetCurrentEditLink(TEditLink* link);
  // The editor controls, made on first use.
  TGridSpin* SpinEdit();
  TGridCombo* Combobox();
  TGridUniCombo* UniCombobox();
  TGridUniEdit* UniEdit();
  TGridCheckBox* CheckBoxEditor();
  TGridEditBtn* EditBtn();
  TGridUnitEditBtn* UnitEditBtn();
  TGridDatePicker* DatePicker();
  TGridButton* ButtonEditor();
  TExRichEdit* RichEdit();
  // The edit over a fixed cell (display column) that MouseActions'
  // FixedRowsEdit and FixedColsEdit open; it writes the cell when left.
  TGridTransEdit* FixedCellEditor();
  void ShowFixedCellEditor(int col, int row);
  // Whether a click of that kind on a fixed cell opens its editor.
  bool FixedCellEditAsked(int col, int row, int x, int y, TGridFixedCellEdit how);
  bool ExcelStyleDecimalSeparator() const { return excelStyleDecimal_; }
  void SetExcelStyleDecimalSeparator(bool v) { excelStyleDecimal_ = v; }
  bool Lookup() const { return lookup_; }
  void SetLookup(bool v) { lookup_ = v; }
  bool LookupCaseSensitive() const { return lookupCaseSensitive_; }
  void SetLookupCaseSensitive(bool v) { lookupCaseSensitive_ = v; }
  bool LookupHistory() const { return lookupHistory_; }
  void SetLookupHistory(bool v) { lookupHistory_ = v; }
  TSizeWhileTyping* SizeWhileTyping();
  char EditPasswordChar() const { return editPasswordChar_; }
  // Off: the editor of a mark-up cell gets its text without tags.
  bool EditWithTags() const { return editWithTags_; }
  void SetEditWithTags(bool v) { editWithTags_ = v; }

  std::function<void(TObject* sender, int col, int row, TEditLink* link)> OnGetEditorProp;
  std::function<void(TObject* sender, int col, int row, AnsiString& value, bool& valid)> OnCellValidate;
  std::function<void(TObject* sender, int col, int row, WideString& value, bool& valid)> OnCellValidateWide;
  std::function<void(TObject* sender, int col, int row, const AnsiString& value)> OnEditChange;
  TNotifyEvent OnEditingDone;
  std::function<void(TObject* sender, int col, int row, AnsiString& s)> OnEllipsClick;
  std::function<void(TObject* sender, int col, int row, int itemIndex, const AnsiString& selection)> OnComboChange;
  std::function<void(TObject* sender, int col, int row, int itemIndex, const AnsiString& selection,
                     TObject* object)> OnComboObjectChange;
  // The caret or the selection of the grid's rich-text control moved.
  TNotifyEvent OnRichEditSelectionChange;
  // The combo editor's list closed (real column).
  std::function<void(TObject* sender, int row, int col)> OnComboCloseUp;
  std::function<void(TObject* sender, int col, int row, int value, bool upDown)> OnSpinClick;
  std::function<void(TObject* sender, int col, int row, double value, bool upDown)> OnFloatSpinClick;
  std::function<void(TObject* sender, int col, int row, TDateTime value, bool upDown)> OnDateSpinClick;
  std::function<void(TObject* sender, int col, int row, TDateTime value, bool upDown)> OnTimeSpinClick;
  std::function<void(TObject* sender, int row, int col)> OnDblClickCell;

 protected:
  bool CanEditShow() override;
  bool SelectCell(int col, int row) override;
  TInplaceEdit* CreateEditor() override;
  AnsiString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const AnsiString& value) override;
  void WMChar(TMessage& m) override;

 private:
  friend class TExInplaceEdit;
  friend class TEditLink;
  friend class TGridSpin;
  friend class TGridCombo;
  friend class TGridUniCombo;
  friend class TGridUniEdit;
  friend class TGridCheckBox;
  friend class TGridEditBtn;
  friend class TGridUnitEditBtn;
  friend class TGridDatePicker;
  friend class TGridButton;
  friend class TExRichEdit;
  template <class>
  friend class THtmlControlEditor;
  struct TEditStateDeleter {
    void operator()(TGridEditState* state) const;
  };
  // Closes the editor and writes its value without validating.
  void CloseCellEditor();
  // The rectangle a control editor covers for the cell (display column).
  TRect EditorCellRect(int col, int row);
  // The open control editor moves with its cell when columns are sized.
  void PlaceEditorOnCell();
  // OnRowChanging, OnColChanging and OnCellChanging let the current cell move.
  bool MoveAllowed(int col, int row);
  // The editor control's leave keys: write a changed text, validate, leave.
  bool EditorLeaveKey(Word& key, TShiftState shift);
  // The leave sequence's validation of the open editor's value: a refused
  // value puts the cell's text back into the editor, which stays open.
  bool ValidateOpenEditor();
  // A press at the cell (display column) leaves the edit as a leave key
  // does; false when the value was refused and the press must do nothing.
  bool LeaveEditForPress(int col, int row);
  static constexpr Cardinal kForgetRefusedPress = WM_USER + 0x112;
  void RememberEditCell();
  // The current cell may be edited: no cell control, not fixed, the can-edit query.
  bool CurrentCellEditable();
  // nullptr while the grid or its editors are going away.
  TGridEditState* LiveEditState();
  // The value the open control editor would write back, and its reset.
  AnsiString EditorValueText();
  void SetEditorValueText(const AnsiString& text);
  bool EditorChanged();
  void SnapshotEditor();
  void HideEditorControls();
  // The steps both validations share: whether one is due (the state then
  // marks it running), the way back to the edit cell for a refused value,
  // and the end, which remembers the cell's text anew.
  TGridEditState* ValidationDue();
  void ReturnToEditCell(TGridEditState& state);
  void ValidationDone(TGridEditState& state);
  std::unique_ptr<TGridEditState, TEditStateDeleter> editState_;
  bool excelStyleDecimal_ = false;
  bool lookup_ = false;
  bool lookupCaseSensitive_ = false;
  bool lookupHistory_ = false;
  char editPasswordChar_ = '*';
  bool editWithTags_ = false;

 public:
  // ---- version: one byte per part, the major part in the highest byte
  virtual unsigned GetVersionNr() const;
  // The number's four parts joined by ".", a blank and the date of the version.
  virtual AnsiString GetVersionString() const;
  // GetVersionString; writing does nothing.
  AnsiString Version() const { return GetVersionString(); }
  void SetVersion(const AnsiString&) {}

  // ---- events
  TRowUpdateEvent OnRowUpdate;
  TCellsChangedEvent OnCellsChanged;
  TGridHintEvent OnGridHint;
  TGridColorEvent OnGetCellColor;
  TGridColorEvent OnGetCellPrintColor;
  TGridBorderEvent OnGetCellBorder;
  TGridBorderEvent OnGetCellPrintBorder;
  TGridAlignEvent OnGetAlignment;
  TGridFormatEvent OnGetFormat;
  TGetEditorTypeEvent OnGetEditorType;
  TIsFixedCellEvent OnIsFixedCell;
  TCanEditCellEvent OnCanEditCell;
  TIsPasswordCellEvent OnIsPasswordCell;
  THasComboBoxEvent OnHasComboBox;
  TGetCheckEvent OnGetCheckTrue;
  TGetCheckEvent OnGetCheckFalse;

 protected:
  void Loaded() override;
  void InitWindowHandle() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Frees a cell's graphic before its properties go.
  void RemoveCellGraphicOf(int col, int row) { RemoveCellGraphic(col, row); }
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
  void RepaintUnlessUpdating() {
    if (updateCount_ == 0) Invalidate();
  }
  // Dissolves the spans that reach across the edge between line index - 1 and index.
  void SplitSpansAcrossRow(int row);
  void SplitSpansAcrossCol(int col);
  // Dissolves every span with a cell in the rectangle.
  void SplitSpansIn(int c1, int r1, int c2, int r2);
  void ApplyRowHeaders();
  void FreeRowsFrom(int firstRow, int lastRow);
  void FreeColsFrom(int firstCol, int lastCol);

  // ExGridHidden.cpp
  // Hides the display rows (ascending, unique, inside the grid).
  void HideDisplayRows(const std::vector<int>& rows);
  // Puts the item's cells into display row row and frees the item.
  void PlaceHiddenRow(int row, std::unique_ptr<TGridItem> item);
  // Frees the properties and graphics the item's cells hold from fromCol on.
  void FreeHiddenRowCells(TGridItem& item, int fromCol = 0);
  // The selection flags follow rows that go and come.
  void RowFlagsRemoved(int row, int count, const std::vector<int>& removedReal);
  void RowFlagsInserted(int row, int count);
  // The hidden flags and saved widths follow columns that go and come;
  // returns how many of the removed columns were hidden.
  int ColumnFlagsRemoved(int col, int count);
  void ColumnFlagsInserted(int col, int count);
  // Forgets the hidden columns at or after realEnd (the grid is cut there).
  void HiddenColumnsCutAt(int realEnd);
  // Real indices of the display rows row .. row + count - 1, before they go.
  std::vector<int> RealRowsOf(int row, int count) const;
  // Hidden rows after removed real rows move up.
  void HiddenRowsRemoved(const std::vector<int>& removedReal);
  // Hidden rows at or after realRow move down by count.
  void HiddenRowsInserted(int realRow, int count);
  // The cells the hidden rows keep follow real columns that go and come.
  void HiddenRowColumnsRemoved(int col, int count);
  void HiddenRowColumnsInserted(int col, int count);
  void CheckRowIndex(int row) const;
  void CheckColIndex(int col) const;
  // The flag of a display row: its real index with RowSelectPersistent.
  int SelectFlagRow(int row) const;
  // Under DisjunctRowSelect the marks travel with rows a sort moves.
  void ExchangeRowSelectFlags(int row1, int row2);
  void CloseEditor();

  std::vector<char> colHidden_;      // by real column; missing entries are shown
  std::vector<int> savedColWidths_;  // by real column
  int hiddenColCount_ = 0;
  std::vector<std::unique_ptr<TGridItem>> hiddenRows_;  // ascending Idx
  std::vector<char> rowSelect_;
  std::vector<char> colSelect_;
  TGridRect savedSelection_;
  TGridRect hiddenSelection_;  // where the cursor was left when the selection was hidden
  bool selectionHidden_ = false;
  std::unique_ptr<TMouseActions> mouseActions_;
  std::unique_ptr<TControlLook> controlLook_;
  TControlList cellControls_;
  TCustomImageList* gridImages_ = nullptr;
  bool activeCellShow_ = false;
  bool openingEditor_ = false;

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
  bool plainTextCells_ = false;
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
  bool selectionRectangle_ = false;
  bool selectionResizer_ = false;
  bool urlShow_ = false;
  bool urlFull_ = false;
  bool flat_ = false;
  bool fixedAsButtons_ = false;
  TPoint pressedFixed_{-1, -1};
  TScrollType scrollType_ = ssNormal;
  bool integralHeight_ = false;
  int maxEditLength_ = 0;
  std::unique_ptr<TStringList> lookupItems_ = std::make_unique<TStringList>();
  TExStringGridCheck* cellChecker_ = nullptr;

 public:
  // ---- cell painting (ExGridPaint.cpp), cell graphics (ExGridDraw.cpp),
  // hint, footer panel, move markers and theme (ExHint.cpp); the band and
  // background options and the shared drawing routines: ExGridLooks.h.
  // Colour, font and alignment of a cell, lowest to highest priority:
  // Color, band, the cell's BrushColor, the column (column grid),
  // OnGetCellColor, selection. A fixed cell takes FixedColor over all but
  // OnGetCellColor.
  void GetCellColors(int col, int row, TFont* font, TBrush* brush, TColor& gradientEnd, TAlignment& hAlign,
                     TVAlignment& vAlign, bool mapColumn, bool applySelection, bool printing,
                     TGridDrawState& state) override;
  // Everything inside the grid lines of a cell (col is a display column).
  void DrawCellContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) override;
  // The size the content of (display col, row) needs: within its current
  // width (the height only), or its natural width and height.
  void GetCellTextSize(int col, int row, TSize& size, bool withinWidth);
  // The text a cell shows, painted, measured and exported: the cell text,
  // or its float value formatted when OnGetFloatFormat keeps IsFloat set
  // (real column). The column grid formats by its columns' FloatFormat.
  virtual void GetDisplayText(int col, int row, AnsiString& text);
  // The sort glyph of the real column at (x, y).
  void DrawSortIndicator(TCanvas* canvas, int x, int y, int realCol);
  bool IsSortIndicatorCell(int realCol, int row);

  // The graphic of a cell as the text drawing sees it (real column).
  struct TGraphicExtent {
    TCellGraphic* Graphic = nullptr;
    int Width = 0;
    int Height = 0;
    bool TextAllowed = true;
    TCellVAlign VAlign = vaTop;
    TCellHAlign HAlign = haLeft;
  };
  TGraphicExtent GraphicExtent(int realCol, int row);
  void DrawCellGraphic(TCanvas* canvas, int realCol, int row, TRect rect, TCellGraphic* graphic,
                       TGridDrawState state);
  void DrawCheck(TCanvas* canvas, const TRect& box, bool checked, bool enabled, TGridControlStyle style);
  // Items 0..count-1; the selected one is selectedIndex, or with -1 the item
  // whose caption equals selectedText.
  void DrawRadioGroup(TCanvas* canvas, const TRect& rect, int count, const TStrings* items, int selectedIndex,
                      const AnsiString& selectedText, bool disabled, bool horizontal);

  TBands* Bands() { return bands_.get(); }
  TBackGround* BackGround() { return backGround_.get(); }
  TColor FixedGradientFrom() const { return fixedGradientFrom_; }
  void SetFixedGradientFrom(TColor v) { SetAndRepaint(fixedGradientFrom_, v); }
  TColor FixedGradientTo() const { return fixedGradientTo_; }
  void SetFixedGradientTo(TColor v) { SetAndRepaint(fixedGradientTo_, v); }
  // Themed parts drawn through the platform's style (set at construction).
  bool ThemedXP() const;
  bool ComCtl6Loaded() const { return ThemedXP(); }
  bool AutoThemeAdapt() const { return autoThemeAdapt_; }
  // Setting it adapts the looks to the theme at once.
  void SetAutoThemeAdapt(bool v);
  bool Multilinecells() const { return multilinecells_; }
  void SetMultilinecells(bool v) { SetAndRepaint(multilinecells_, v); }
  bool EnhTextSize() const { return enhTextSize_; }
  void SetEnhTextSize(bool v) { SetAndRepaint(enhTextSize_, v); }
  bool AutoNumAlign() const { return autoNumAlign_; }
  void SetAutoNumAlign(bool v) { SetAndRepaint(autoNumAlign_, v); }
  bool SelectionRTFKeep() const { return selectionRTFKeep_; }
  void SetSelectionRTFKeep(bool v) { selectionRTFKeep_ = v; }
  // Pixels between the cell edge and its text.
  int TextOffsetX() const { return textOffsetX_; }
  int TextOffsetY() const { return textOffsetY_; }
  void SetTextOffsets(int x, int y);
  // Added to every cell's font size, -10..10; a font never drops below 1 point.
  int ZoomStep() const { return zoomStep_; }
  void SetZoomStep(int v);
  // Pictures that mark-up cells name; forgotten when the container goes.
  TPictureContainer* PictureContainer() const { return pictureContainer_; }
  void SetPictureContainer(TPictureContainer* v);
  // Pictures that mark-up names by source ("FILE://", "RES://", web
  // addresses), one per source for the grid's life; a web picture repaints
  // what shows it when it arrives.
  THTMLPictureCache* PictureCache();
  // Drawn in column 0 of the current row; a change repaints that cell.
  TBitmap* RowIndicator() { return &rowIndicator_; }
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char v) { passwordChar_ = v; }
  // Set while a mouse drag extends a disjunct selection (mouse handling).
  bool DisjunctDrag() const { return disjunctDrag_; }
  void SetDisjunctDrag(bool v) { disjunctDrag_ = v; }
  // The disjunct cell selection, by whole column and row (real column).
  bool IsCellSelected(int col, int row) const;
  void SetCellSelected(int col, int row, bool value);
  void ClearCellSelect();
  int SelectedCellCount() const { return static_cast<int>(selectedCells_.size()); }
  // The anchor (from 1) drawn hovered in the hover cell; 0 none.
  int HoverAnchor() const { return hoverAnchor_; }
  TPoint HoverCell() const { return hoverCell_; }
  void SetHover(TPoint cell, int anchor);

  // The small windows of the grid, created hidden on first use.
  THTMLHintWindow* HintWindow();
  TFooterPanel* FooterPanel();
  // 0 up, 1 down, 2 right, 3 left.
  TArrowWindow* ArrowWindow(int direction);
  TPopupButton* PopupButton();
  // Shows the caption button at r (grid coordinates) in the look's colours:
  // the fixed gradient in the soft look, silver to white in the gradient
  // look (which the fixed gradient then takes too), no gradient otherwise.
  void ShowPopupButton(const TRect& r, const AnsiString& caption);
  // A cell drawn for the footer's preview: its text black whatever the
  // selection says (without repainting the grid for the change).
  void DrawPreviewCell(TCanvas* canvas, int col, int row, const TRect& rect);
  // The floating footer's panel follows Visible, FooterStyle and its looks.
  void FloatingFooterChanged();
  // The shown footer panel paints again: it follows the current row, the
  // scrolled columns and the cells it shows.
  void RepaintFloatingFooter();
  void FooterChanged() override { RepaintFloatingFooter(); }
  // Shows hint in the hint window just below the mouse pointer (kept on
  // the screen); an empty hint hides it.
  void ShowHintAtPointer(const AnsiString& hint);
  void HideHint();

  // ---- further operations kept with the painting
  // Fires OnSelectionChanged.
  virtual void SelectionChanged(int left, int top, int right, int bottom);
  // InsertRows (row, 1), then OnAutoInsertRow.
  virtual void AutoInsertRow(int row);
  // Empties the row when it is the only scrolling row left (and the fixed
  // row is not kept alone), else removes it; then OnAutoDeleteRow.
  virtual void AutoDeleteRow(int row);
  // The text a cell gives to exports: the display text (or the raw text
  // with ExportRawText); an empty check-box cell gives its check text by
  // its state; mark-up loses its tags unless ExportHtmlTags.
  virtual AnsiString GetExportText(int col, int row);
  bool ExportRawText() const { return exportRawText_; }
  void SetExportRawText(bool v) { exportRawText_ = v; }
  bool ExportHtmlTags() const { return exportHtmlTags_; }
  void SetExportHtmlTags(bool v) { exportHtmlTags_ = v; }
  std::function<void(TObject* sender, int left, int top, int right, int bottom)> OnSelectionChanged;
  std::function<void(TObject* sender, int row)> OnAutoInsertRow;
  std::function<void(TObject* sender, int row)> OnAutoDeleteRow;

  std::function<void(TObject* sender, int col, int row, bool& isFloat, AnsiString& floatFormat)> OnGetFloatFormat;
  std::function<void(TObject* sender, int row, int col, TPen* left, TPen* top, TPen* right, TPen* bottom)>
      OnGetCellBorderProp;
  std::function<void(TObject* sender, TCanvas* canvas, int col, int row, TGridDrawState state, TRect rect,
                     bool printing)>
      OnCustomCellDraw;

 protected:
  // The soft, gradient, XP and list-view looks frame the grid themselves.
  void WMNCPaint(TMessage& m) override;
  // The base grid's paint, then the outline of a cell whose control editor is open.
  void Paint() override;

 private:
  struct TCellPaint;
  void FixedLookBefore(TCanvas* canvas, int col, int row, const TRect& rect);
  void FixedLookAfter(TCanvas* canvas, int col, int row, TRect rect);
  void DrawContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state, TCellPaint& paint);
  void DrawPlainText(TCanvas* canvas, int col, int row, TRect rect, const TRect& cellRect, TCellPaint& paint);
  void DrawBackGroundPicture(TCanvas* canvas, int col, int row, const TRect& rect, bool fixed);
  void DrawSelectionOutline(TCanvas* canvas, int col, int row, const TRect& rect);
  void DrawCellBorders(TCanvas* canvas, int realCol, int row, TRect rect);
  void DrawTreeLines(TCanvas* canvas, int row, TRect rect);
  void DrawNodeGlyph(TCanvas* canvas, int col, int row, const TRect& rect, const TCellGraphic& graphic);
  std::unique_ptr<TBands> bands_ = std::make_unique<TBands>(this);
  std::unique_ptr<TBackGround> backGround_ = std::make_unique<TBackGround>(this);
  TColor fixedGradientFrom_ = 0xFFFFFF;
  TColor fixedGradientTo_ = clBtnFace;
  bool autoThemeAdapt_ = false;
  bool multilinecells_ = false;
  bool enhTextSize_ = false;
  bool autoNumAlign_ = false;
  bool selectionRTFKeep_ = false;
  int textOffsetX_ = 2;
  int textOffsetY_ = 2;
  int zoomStep_ = 0;
  TBitmap rowIndicator_;
  char passwordChar_ = '*';
  bool disjunctDrag_ = false;
  std::set<std::pair<int, int>> selectedCells_;
  std::vector<TCellChangeListener*> cellChangeListeners_;
  TPictureContainer* pictureContainer_ = nullptr;
  bool exportRawText_ = false;
  bool exportHtmlTags_ = false;
  int hoverAnchor_ = 0;
  TPoint hoverCell_{-1, -1};
  // Kept from a cell's text for its graphic: the text's width + 2, its
  // alignments and whether the cell is shown selected.
  int keptTextWidth_ = 0;
  TAlignment keptTextAlign_ = taLeftJustify;
  TVAlignment keptTextVAlign_ = vtaTop;
  bool keptShownSelected_ = false;
  std::unique_ptr<TGridPopups, TGridPopupsDeleter> popups_;

 public:
  // ---- keyboard (ExGridKeys.cpp), mouse and timers (ExGridMouse.cpp),
  // small operations (ExGridOps.cpp). Columns are display columns.
  // The grid's own timer: hovering and blinking.
  static constexpr UINT kHoverTimerId = 111;
  static constexpr UINT kHoverInterval = 500;
  // Whether a key, a typed character or a click may edit the cell: editing
  // on (or RangeSelectAndEdit, or a paste running), the base cell not fixed,
  // not read-only, and OnCanEditCell agreeing.
  bool MayEditCell(int col, int row);
  // Tab from the current cell in Navigation's tab direction (back with shift).
  void TabAdvance(bool backward);
  int FirstDataCol() const;
  int LastDataCol() const;
  // The last row above the fixed footers and a shown floating footer.
  int LastDataRow() const;
  // Widths and heights grow by delta; the zoom step stays within -10..10.
  void ZoomBy(int delta);
  // clNone takes the colours away again; hidden columns included.
  void SetRowColor(int row, TColor color);
  void SetRowFontColor(int row, TColor color);
  // One cell's colours (real column): the brush colour reads clNone for a
  // cell without properties; setting repaints the cell.
  TColor CellColor(int col, int row) const;
  void SetCellColor(int col, int row, TColor color);
  TColor CellColorTo(int col, int row) const;
  void SetCellColorTo(int col, int row, TColor color);
  TColor CellFontColor(int col, int row) const;
  void SetCellFontColor(int col, int row, TColor color);
  // Creates the cell's properties (real column) for write, then repaints it.
  void WriteCellProperty(int col, int row, const std::function<void(TCellProperties&)>& write);
  // The cell's own read-only flag (real column).
  bool CellReadOnly(int col, int row) const;
  void SetCellReadOnly(int col, int row, bool value);
  // The control placed on the cell (real column), none for a cell without
  // properties.
  TControl* CellControl(int col, int row) const;
  // A column's width by its real index: a hidden column's saved width, else
  // the shown column's; setting keeps it for a hidden column.
  int ColWidthByReal(int col) const;
  void SetColWidthByReal(int col, int width);
  // A cell's text (real column) shown in a rich edit: an empty cell clears
  // it; and the rich edit's content written back into a cell.
  void CellToRichEdit(int col, int row, TRichMemo* richEdit);
  void RichEditToCell(int col, int row, TRichMemo* richEdit);
  // The selection (or the marked rows) as tab- and CRLF-separated text; a
  // field holding a tab, a quote or a line break is quoted, inner quotes doubled.
  AnsiString SelectionAsText();
  // Fixed cells never; else the row or column mark or the selection rectangle.
  bool IsCellShownSelected(int col, int row);
  // The size a picture of the given size takes in a cell by fitting mode 0..4.
  static TPoint FitPictureSize(int mode, int picW, int picH, int availW, int availH);
  // What the mouse is over: 0 none, 1 a header that selects its column, 2 a
  // fixed cell that selects its row, 3 the corner that selects all, 5 the
  // selection resizer grip.
  int HitZone() const { return hitZone_; }
  bool Panning() const { return panning_; }
  TPoint PanOrigin() const { return panOrigin_; }
  bool BlinkPhase() const { return blinkPhase_; }
  bool EnableBlink() const { return enableBlink_; }
  void SetEnableBlink(bool v);
  bool HintShowCells() const { return hintShowCells_; }
  void SetHintShowCells(bool v) { hintShowCells_ = v; }
  bool HintShowLargeText() const { return hintShowLargeText_; }
  void SetHintShowLargeText(bool v) { hintShowLargeText_ = v; }
  bool HintShowSizing() const { return hintShowSizing_; }
  void SetHintShowSizing(bool v) { hintShowSizing_ = v; }
  bool AnchorHint() const { return anchorHint_; }
  void SetAnchorHint(bool v) { anchorHint_ = v; }
  bool HTMLHint() const { return htmlHint_; }
  void SetHTMLHint(bool v) { htmlHint_ = v; }
  bool URLEdit() const { return urlEdit_; }
  void SetURLEdit(bool v) { urlEdit_ = v; }
  // Starts or stops the grid's own timer: it runs only while it has work,
  // hovering with the mouse over the grid or blinking text on screen.
  void UpdateHoverTimer();
  // Whether the grid's own timer runs.
  bool OwnTimerRunning() const { return hoverTimerOn_; }
  // The cell the last hint was given for.
  TPoint HintCell() const { return hintCell_; }
  // Opens an anchor: "CELL://" moves to that cell, anything else goes to
  // the shell, which opens only web and mail addresses.
  void OpenAnchor(const AnsiString& anchor);
  // The link under a client point in a cell (real column): the whole text
  // of a plain URL cell with URLShow, or an HTML anchor; empty when none.
  AnsiString AnchorAt(int col, int row, int x, int y, int* anchorIndex = nullptr);

  std::function<void(TObject* sender, int row, int col)> OnClickCell;
  std::function<void(TObject* sender, int row, int col)> OnRightClickCell;
  std::function<void(TObject* sender, int col, int row, bool state)> OnCheckBoxClick;
  std::function<void(TObject* sender, int col, int row, bool state)> OnCheckBoxMouseUp;
  std::function<void(TObject* sender, int col, int row, int index)> OnRadioClick;
  std::function<void(TObject* sender, int col, int row, int index)> OnRadioMouseUp;
  std::function<void(TObject* sender, int col, int row)> OnButtonClick;
  std::function<void(TObject* sender, int row, int col, const AnsiString& anchor, bool& process)> OnAnchorClick;
  std::function<void(TObject* sender, int row, int col, const AnsiString& id, const AnsiString& type,
                     const AnsiString& value)> OnControlClick;
  std::function<void(TObject* sender, int row, int col, const AnsiString& anchor)> OnAnchorEnter;
  std::function<void(TObject* sender, int row, int col, const AnsiString& anchor)> OnAnchorExit;
  std::function<void(TObject* sender, int row, int col, AnsiString& anchor)> OnAnchorHint;
  std::function<void(TObject* sender, int row, bool& allow, int realRow)> OnBeforeExpandNode;
  std::function<void(TObject* sender, int row, int realRow)> OnExpandNode;
  std::function<void(TObject* sender, int row, bool& allow, int realRow)> OnBeforeContractNode;
  std::function<void(TObject* sender, int row, int realRow)> OnContractNode;
  std::function<void(TObject* sender, int col, bool& allow)> OnColumnMove;
  std::function<void(TObject* sender, int row, bool& allow)> OnRowMove;
  std::function<void(TObject* sender, int col, bool& allow)> OnColumnSize;
  std::function<void(TObject* sender, int row, bool& allow)> OnRowSize;
  std::function<void(TObject* sender, int row, bool& canInsert)> OnCanInsertRow;
  std::function<void(TObject* sender, int row, bool& canDelete)> OnCanDeleteRow;
  // The selection resizer grip was dragged from oldRect to newRect; the
  // cells of the new area are then filled from the old one.
  std::function<void(TObject* sender, const TGridRect& oldRect, const TGridRect& newRect)> OnSelectionResize;
  // Repeats the cells of source over target (display columns), leaving
  // fixed cells, read-only cells and cells OnCanEditCell refuses alone;
  // the system clipboard is not touched. Returns the cells written.
  int FillFromRect(const TGridRect& source, const TGridRect& target);

 protected:
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void WMTimer(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMCancelMode(TMessage& m) override;
  // A new desktop theme: the looks follow it while AutoThemeAdapt is set.
  void WMThemeChanged(TMessage& m) override;
  void CMHintShow(TMessage& m) override;
  void CMMouseLeave(TMessage& m) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
  // Controls placed in cells follow scrolling and sizing, once the change
  // that moved the view is complete (a message posted to the grid).
  void ViewChanged() override;
  void WndProc(TMessage& m) override;
  bool BeginColumnDrag(int& origin, int& destination, const TPoint& mousePt) override;
  bool CheckColumnDrag(int& origin, int& destination, const TPoint& mousePt) override;
  bool BeginRowDrag(int& origin, int& destination, const TPoint& mousePt) override;
  bool CheckRowDrag(int& origin, int& destination, const TPoint& mousePt) override;
 private:
  // Moves the current cell to (col, row) (display), keeping the marks of
  // disjunct row selection in step.
  void MoveByKey(int col, int row, TShiftState shift);
  void SyncDisjunctMarks(TShiftState shift);
  bool HandleControlKey(Word key);
  void InsertRowByKey();
  void DeleteRowByKey();
  void AppendRowByKey();
  int ComputeHitZone(int x, int y);
  // Hit-tests the mark-up of a cell (real column) at a client point.
  // With controlId the control of that id is reported wherever the point is.
  bool HtmlHitAt(int col, int row, int x, int y, THtmlDrawResult& result, const AnsiString& controlId = "");
  void UpdateAnchorHover(int col, int row, int x, int y);
  bool ClickCellControl(int col, int row, int x, int y, TShiftState shift);
  void HeaderRelease(int col, int row, int x, TShiftState shift);
  // A released click on a data cell (display column) fills the disjunct
  // cell list: Ctrl toggles the cell, a plain click keeps it alone.
  void DisjunctCellClick(int col, int row, TShiftState shift);
  // A fixed cell drawn pressed is drawn raised again.
  void ReleasePressedFixedCell();
  void StopPanning();
  void PanStep();
  void ShowMoveFeedback(int x, int y);
  void HideMoveFeedback();
  int hitZone_ = 0;
  bool panning_ = false;
  TPoint panOrigin_{0, 0};
  bool blinkPhase_ = false;
  bool enableBlink_ = false;
  bool hoverTimerOn_ = false;
  bool mouseOver_ = false;    // the mouse has moved over the grid and not left
  bool blinkShown_ = false;   // blinking text may be on screen
  bool hintShowCells_ = false;
  bool hintShowLargeText_ = false;
  bool hintShowSizing_ = false;
  bool anchorHint_ = false;
  bool htmlHint_ = false;
  bool urlEdit_ = false;
  TPoint hintCell_{-1, -1};
  TPoint downPoint_{-1, -1};
  TPoint downCell_{-1, -1};
  int downLeftCol_ = 0;
  bool pendingDrag_ = false;
  bool consumedClick_ = false;
  bool movedOrSized_ = false;
  bool deferredDeselect_ = false;
  int rangeAnchor_ = -1;
  int downZone_ = 0;
  int wheelRemainder_ = 0;
  AnsiString hoverLink_;
  // Where a drag from this grid was dropped into this grid itself: a move
  // leaves those cells alone when it clears the source.
  TGridRect ownDropRect_{-1, -1, -1, -1};
  // The selection resizer: the selection when the grip was taken.
  // The grid's own sizing of a fixed column (SizeFixedCol): its index, -1 when none.
  int ownSizingCol_ = -1;
  int FixedColBorderAt(int x, int y);
  bool gripResizing_ = false;
  bool moveFeedback_ = false;
  bool layoutPosted_ = false;
  TGridRect gripOrigin_{-1, -1, -1, -1};
  // Set when OnOleDrag refused the last drag: the gesture selects instead.
  bool oleDragVetoed_ = false;
  // A BUTTON control of a cell's mark-up held down: its cell (real column)
  // and the point pressed; drawn pressed until the release or focus loss.
  TPoint htmlButtonCell_{-1, -1};
  TPoint htmlButtonPoint_{-1, -1};
  void ReleaseHtmlButton();
  // A cell button held down: its cell (real column), (-1, -1) when none;
  // drawn pressed and holding the mouse until the release or focus loss.
  TPoint pressedButton_{-1, -1};
  void ReleaseCellButton();
  // The list-view look: the fixed cell under the mouse is drawn hot, and
  // pressed while the left button is held on the grid.
  TPoint hotFixedCell_{-1, -1};
  bool hotFixedHeld_ = false;
  void SetHotFixedCell(TPoint cell);
  // The side of a radio button as the control style draws it.
  int RadioButtonSize() const;
};

