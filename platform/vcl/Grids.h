// The grid base: TCustomGrid, TDrawGrid, TStringGrid and the in-place editor
// TInplaceEdit, behaving as the class library's grid does for a user (keys,
// mouse, sizing, moving, scrolling, editing), so that a subclass that runs
// "the inherited handling" gets the familiar behaviour.
//
// Sections:
//   Small types ........... options, draw state, grid rectangle and coordinate, states
//   TGridDrawInfo ......... the layout of one paint or hit test (fixed area, visible cells)
//   TInplaceEdit .......... a line edit over the current cell, owned by the grid
//   TCustomGrid ........... dimensions, view, selection, painting, input, editing
//   TDrawGrid ............. the grid with its events
//   TStringGrid ........... the cell store: texts and object slots, rows and columns as lists
//
// Source files: Grids.cpp (dimensions, view, selection, moving and deleting),
// GridsPaint.cpp (Paint, DrawCell), GridsInput.cpp (keys, mouse, sizing,
// moving, timers, scroll bars), GridsEditor.cpp (TInplaceEdit and the editor
// lifecycle), GridsStore.cpp (TStringGrid and its row/column lists).
//
// Call tree of a paint pass:
//   WM_PAINT -> TCustomControl::PaintWindow -> Paint
//     -> CalcDrawInfo, then for each area (fixed corner, fixed rows, fixed
//        columns, scrolling cells) that meets the update region:
//          DrawCell(col, row, rect, state) (virtual; TDrawGrid fires OnDrawCell,
//          TStringGrid draws the text when DefaultDrawing)
//     -> grid lines, focus rectangle, the empty area right and below
//
// Call tree of a cell change by the user:
//   KeyDown / MouseDown / MouseMove -> MoveColRow / FocusCell
//     -> SelectCell (virtual, may veto) -> the anchor and the current cell
//     -> ClampInView (scrolls, TopLeftChanged) -> InvalidateCell / InvalidateRect
//     -> UpdateEdit (editor follows the cell)
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Mask.h"
#include "platform/vcl/StdCtrls.h"

// ------------------------------------------------------------- small types

VIDRENA_EXCEPTION(EInvalidGridOperation, Exception);

enum TGridOption {
  goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect,
  goDrawFocusSelected, goRowSizing, goColSizing, goRowMoving, goColMoving,
  goEditing, goTabs, goRowSelect, goAlwaysShowEditor, goThumbTracking
};
using TGridOptions = TSmallSet<TGridOption>;

enum TGridDrawStateItem { gdSelected, gdFocused, gdFixed };
using TGridDrawState = TSmallSet<TGridDrawStateItem>;

enum TGridState { gsNormal, gsSelecting, gsRowSizing, gsColSizing, gsRowMoving, gsColMoving };

// The grid's scroll bars (the class library keeps this with the standard controls).

struct TGridCoord {
  int X = 0;
  int Y = 0;
  friend bool operator==(const TGridCoord&, const TGridCoord&) = default;
};

// A rectangle of cells, corners included (Right and Bottom are cells, not edges).
struct TGridRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  TGridCoord TopLeft() const { return {Left, Top}; }
  TGridCoord BottomRight() const { return {Right, Bottom}; }
  bool Contains(int col, int row) const {
    return col >= Left && col <= Right && row >= Top && row <= Bottom;
  }
  friend bool operator==(const TGridRect&, const TGridRect&) = default;
};

// The rectangle with its corners in order.
TGridRect GridRect(TGridCoord a, TGridCoord b);

// ------------------------------------------------------------- draw info

// The layout of one axis: where the fixed cells end, which scrolling cells
// show, where the grid ends. Pixel positions are client coordinates.
struct TGridAxisDrawInfo {
  int EffectiveLineWidth = 0;
  int FixedBoundary = 0;        // right (bottom) edge of the fixed cells, line included
  int GridBoundary = 0;         // edge of the last visible cell, line included
  int GridExtent = 0;           // client width (height)
  int LastFullVisibleCell = 0;  // last scrolling cell shown in full
  int FullVisBoundary = 0;      // edge of LastFullVisibleCell, line included
  int FixedCellCount = 0;
  int FirstGridCell = 0;        // LeftCol or TopRow
  int GridCellCount = 0;        // ColCount or RowCount
  std::function<int(int index)> GetExtent;  // width of a column, height of a row
};

struct TGridDrawInfo {
  TGridAxisDrawInfo Horz;
  TGridAxisDrawInfo Vert;
};

class TCustomGrid;

// ------------------------------------------------------------- TInplaceEdit

// The line edit the grid shows over the current cell. It edits the text
// GetEditText gives and hands the text back through SetEditText as the user
// types. Up, Down, the page keys, Escape, Tab and Ctrl+Delete go to the
// grid's KeyDown; with goAlwaysShowEditor so do Left/Home at the start of the
// text and Right/End at its end (or with Ctrl); Enter goes to the grid's
// KeyPress, which closes the editor.
class TInplaceEdit : public TWinControl {
 public:
  explicit TInplaceEdit(TComponent* owner);
  ~TInplaceEdit() override;

  TCustomGrid* Grid() const { return grid_; }

  // Edit control.
  const AnsiString& GetText() const override;
  void SetText(const AnsiString& s) override;
  int SelStart() const;
  void SetSelStart(int start);
  int SelLength() const;
  void SetSelLength(int length);
  AnsiString SelText() const;
  void SetSelText(const AnsiString& s);
  void SelectAll();
  void Clear() { SetText(AnsiString()); }
  int MaxLength() const { return maxLength_; }   // in bytes of code page 949; 0: no limit
  void SetMaxLength(int length);
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v);
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  char PasswordChar() const { return passwordChar_; }
  void SetPasswordChar(char c);
  // The grid's GetEditMask for the cell. A one-line editor takes its input
  // through the mask, and its text is the mask's Text (literals kept or
  // left out as the mask says); a text of several lines is not masked.
  const AnsiString& EditMask() const { return editMask_; }
  void SetEditMask(const AnsiString& mask);
  TNotifyEvent OnChange;

  // Places the editor over loc (client coordinates of the grid), shows it and
  // gives it the focus when the grid has it.
  void Move(const TRect& loc);
  bool PosEqual(const TRect& rect) const;
  void UpdateLoc(const TRect& loc);
  void Deselect();
  // The byte position of the character boundary nearest to point (client
  // coordinates of the editor).
  int CharPosAt(TPoint point) const;
  // A widget of several lines is made when MultiLine answers true as the
  // window is created; line breaks are CR LF in the text, as in the cell.
  bool IsMultiLineWidget() const;
  bool CaretOnFirstLine() const;
  bool CaretOnLastLine() const;
  // Text aligned to the right edge.
  bool RightAligned() const { return rightAligned_; }
  void SetRightAligned(bool v);
  // Where a line of text stands in an editor taller than it: DT_TOP,
  // DT_VCENTER or DT_BOTTOM. The lines of a multi-line editor start at its top.
  unsigned VerticalAlignment() const { return verticalAlignment_; }
  void SetVerticalAlignment(unsigned flag);
  void Hide();
  void Invalidate() override;
  void SetFocus() override;

 protected:
  // Sets the grid (the owner when it is a grid; CreateEditor does it).
  void SetGrid(TCustomGrid* grid) { grid_ = grid; }
  friend class TCustomGrid;

  // Whether the window to create holds several lines, and wraps them.
  virtual bool MultiLine() const { return false; }
  virtual bool WordWrapped() const { return false; }
  // Loads the text and limits of the grid's current cell.
  virtual void UpdateContents();
  virtual void BoundsChanged();
  virtual bool EditCanModify();
  // Fires OnChange and hands the text to the grid (SetEditText).
  virtual void Change();

  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void KeyUp(Word& key, TShiftState shift) override;
  void DblClick() override;
  bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) override;
  void WMGetDlgCode(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WndProc(TMessage& message) override;
  void DoExit() override;

  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void ApplyTextToWidget() override;

 private:
  friend struct TInplaceEditAccess;  // the Qt side (GridsEditor.cpp)
  void TextEditedByUser();
  // Types one character of code page 949 text as the user would (a lead
  // byte waits for its trail byte); 8 is a backspace.
  void TypeChar(char ch);
  void ApplyAlignment();
  bool rightAligned_ = false;
  unsigned verticalAlignment_ = DT_VCENTER;

  TCustomGrid* grid_ = nullptr;
  mutable AnsiString text_;
  int maxLength_ = 0;
  bool modified_ = false;
  bool readOnly_ = false;
  bool autoSelect_ = true;
  char passwordChar_ = 0;
  AnsiString editMask_;
  bool settingText_ = false;
  char pendingLead_ = 0;

  // The edit mask, read.
  bool Masked() const;
  TEditMask mask_;
};

// ------------------------------------------------------------- TCustomGrid

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  // ---- dimensions
  int ColCount() const { return colCount_; }
  void SetColCount(int value);
  int RowCount() const { return rowCount_; }
  void SetRowCount(int value);
  // Below the count, else EInvalidGridOperation.
  int FixedCols() const { return fixedCols_; }
  void SetFixedCols(int value);
  int FixedRows() const { return fixedRows_; }
  void SetFixedRows(int value);
  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int value);   // every column takes it
  int DefaultRowHeight() const { return defaultRowHeight_; }
  void SetDefaultRowHeight(int value);  // every row takes it
  // Out-of-range indices read the default and are ignored on writing.
  int ColWidths(int index) const;
  void SetColWidths(int index, int value);
  int RowHeights(int index) const;
  void SetRowHeights(int index, int value);
  // Per column: whether Tab stops there (goTabs).
  bool TabStops(int index) const;
  void SetTabStops(int index, bool value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int value);
  TGridOptions Options() const { return options_; }
  virtual void SetOptions(TGridOptions value);
  TColor FixedColor() const { return fixedColor_; }
  void SetFixedColor(TColor value);
  TScrollStyle ScrollBars() const { return scrollBars_; }
  void SetScrollBars(TScrollStyle value);
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);
  void SetBorderStyle(TBorderStyle style) override;

  // ---- view and selection
  int Col() const { return current_.X; }
  void SetCol(int value);
  int Row() const { return current_.Y; }
  void SetRow(int value);
  // The selected cells; the current cell is one corner, the anchor the other.
  TGridRect Selection() const;
  void SetSelection(const TGridRect& value);
  int TopRow() const { return topLeft_.Y; }
  void SetTopRow(int value);
  int LeftCol() const { return topLeft_.X; }
  void SetLeftCol(int value);
  // Scrolling columns (rows) shown in full; at least 1 while any is shown.
  int VisibleColCount() const;
  int VisibleRowCount() const;
  // Client rectangle of the cell without its grid line; empty when the cell
  // is not on the screen.
  TRect CellRect(int col, int row) const;
  // The cell at a client point, or -1, -1 outside the cells.
  void MouseToCell(int x, int y, int& col, int& row) const;
  TGridCoord MouseCoord(int x, int y) const;
  // Width (height) of the cells on the screen, lines included, at most the client size.
  int GridWidth() const;
  int GridHeight() const;

  void InvalidateCell(int col, int row);
  void InvalidateRow(int row);
  void InvalidateCol(int col);
  void InvalidateGrid() { Invalidate(); }
  using TControl::InvalidateRect;
  void InvalidateRect(const TGridRect& rect);
  void InvalidateEditor();

  // Moves the current cell (through SelectCell); moveAnchor collapses the
  // selection to it, else the selection stretches from the anchor.
  void FocusCell(int col, int row, bool moveAnchor);
  void MoveColRow(int col, int row, bool moveAnchor, bool show);
  // Scrolls so that the current cell is in view.
  void ClampInView(TGridCoord coord);

  // ---- the in-place editor
  bool EditorMode() const { return editorMode_; }
  void SetEditorMode(bool value);
  void ShowEditor();
  void HideEditor();
  void ShowEditorChar(char ch);
  TInplaceEdit* InplaceEditor() const { return inplaceEdit_; }

  TGridState GridState() const { return gridState_; }
  // Timer id of the auto-scroll while the mouse drags outside the cells.
  static constexpr UINT kScrollTimerId = 1;

  // Moves the rows fromIndex .. fromIndex + count - 1 to start at toIndex (the
  // index in the grid as it is before the move), row heights and cell data
  // with them, in one pass: the bulk form of count MoveRow calls, without
  // RowMoved. Indices out of range raise EInvalidGridOperation.
  void MoveRowBlock(int fromIndex, int count, int toIndex);

  // The class library exposes these to its subclasses; public here for the
  // grid family's own entries of the same names.

  // ---- input helpers of the grid family (GridsInput.cpp)
  // The mouse cursor shown over the grid for a moment (a hit zone, an
  // anchor, panning); crDefault shows the control's Cursor again.
  void ShowGridCursor(TCursor cursor);
  // Gives the focus to the next (previous) control in the tab order.
  void FocusNextControl(bool forward);
  virtual void DeleteRow(int row);
  virtual void DeleteColumn(int col);
  virtual void MoveRow(int fromIndex, int toIndex);
  virtual void MoveColumn(int fromIndex, int toIndex);

 protected:
  // ---- the virtual operations of the class library
  virtual void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) = 0;
  virtual bool SelectCell(int col, int row);
  virtual void TopLeftChanged();
  virtual void ColumnMoved(int fromIndex, int toIndex);
  virtual void RowMoved(int fromIndex, int toIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  // After the counts changed. Overrides call the inherited one: the string
  // grid drops the cells of the lines cut off there.
  virtual void SizeChanged(int oldColCount, int oldRowCount);
  // The store's part of MoveRowBlock (TStringGrid moves its rows).
  virtual void RowBlockMoved(int fromIndex, int count, int toIndex) {}
  virtual bool CanEditShow();
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(char key);
  virtual bool CanGridAcceptKey(Word key, TShiftState shift);
  virtual AnsiString GetEditText(int col, int row);
  virtual void SetEditText(int col, int row, const AnsiString& value);
  virtual int GetEditLimit();
  virtual AnsiString GetEditMask(int col, int row);
  virtual TInplaceEdit* CreateEditor();
  // Shows the editor on the current cell when it should be showing, places
  // it, loads its text.
  virtual void UpdateEdit();
  virtual void CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                               int& sizingOfs, TGridDrawInfo& fixedInfo);
  virtual bool BeginColumnDrag(int& origin, int& destination, const TPoint& mousePt);
  virtual bool BeginRowDrag(int& origin, int& destination, const TPoint& mousePt);
  virtual bool CheckColumnDrag(int& origin, int& destination, const TPoint& mousePt);
  virtual bool CheckRowDrag(int& origin, int& destination, const TPoint& mousePt);
  virtual bool EndColumnDrag(int& origin, int& destination, const TPoint& mousePt);
  virtual bool EndRowDrag(int& origin, int& destination, const TPoint& mousePt);
  // Scrolls one step in the auto-scroll directions while the mouse drags outside.
  virtual void TimedScroll(unsigned direction);
  void Paint() override;

  // ---- layout
  void CalcDrawInfo(TGridDrawInfo& info) const;
  void CalcFixedInfo(TGridDrawInfo& info) const;
  // The layout as if the grid were scrolled to the top-left corner given.
  void CalcDrawInfoXY(TGridDrawInfo& info, int useWidth, int useHeight) const;
  // The scroll bars follow the grid's size and scroll position.
  void UpdateScrollRange();
  void UpdateScrollPos();
  // Sizes the grid to newColCount x newRowCount in one step (dimension
  // setters go through it).
  void ChangeSize(int newColCount, int newRowCount);
  TGridCoord Anchor() const { return anchor_; }
  void SetAnchor(TGridCoord a) { anchor_ = a; }

  // ---- input
  void KeyDown(Word& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void DblClick() override;
  void DoEnter() override;
  void DoExit() override;
  void WMChar(TMessage& m) override;
  void WMGetDlgCode(TMessage& m) override;
  void WMSetFocus(TMessage& m) override;
  void WMKillFocus(TMessage& m) override;
  void WMHScroll(TMessage& m) override;
  void WMVScroll(TMessage& m) override;
  void WMTimer(TMessage& m) override;
  void WMSize(TMessage& m) override;
  void WMSetCursor(TMessage& m) override;
  void WMCancelMode(TMessage& m) override;
  void CMFontChanged(TMessage& m) override;
  void InitWindowHandle() override;

 private:
  friend class TInplaceEdit;
  friend class TStringGrid;
  // Directions of TimedScroll.
  static constexpr unsigned sdLeft = 1, sdRight = 2, sdUp = 4, sdDown = 8;

  void MoveCurrent(int col, int row, bool moveAnchor, bool show);
  void MoveAnchor(TGridCoord coord);
  void MoveTopLeft(int col, int row);
  void TopLeftMoved(TGridCoord oldTopLeft);
  void SelectionMoved(const TGridRect& oldSel);
  TGridCoord CalcMaxTopLeft(TGridCoord coord, const TGridDrawInfo& info) const;
  TGridCoord CalcCoordFromPoint(int x, int y, const TGridDrawInfo& info) const;
  TRect BoxRect(const TGridRect& cells, bool includeLine) const;
  void ModifyScrollBar(int bar, Word code, int pos);
  void MoveAndScroll(int mouse, int cellHit, TGridDrawInfo& info, bool columns, const TPoint& mousePt);
  void DrawSizingLine();
  void DrawMove();
  void CancelMode();
  void HideEdit();
  void UpdateText();
  void InvalidateSelection(const TGridRect& sel);
  bool IsActiveControl() const;
  void StartScrollTimer();
  void StopScrollTimer();
  void PaintLines(const TGridDrawInfo& info, TCanvas& canvas);

  int colCount_ = 5;
  int rowCount_ = 5;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  std::vector<int> colWidths_;
  std::vector<int> rowHeights_;
  std::vector<bool> tabStops_;
  int gridLineWidth_ = 1;
  TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TColor fixedColor_ = clBtnFace;
  TScrollStyle scrollBars_ = ssBoth;
  bool defaultDrawing_ = true;

  TGridCoord current_{1, 1};
  TGridCoord anchor_{1, 1};
  TGridCoord topLeft_{1, 1};

  TGridState gridState_ = gsNormal;
  int sizingIndex_ = 0;
  int sizingPos_ = 0;
  int sizingOfs_ = 0;
  int moveIndex_ = 0;
  int movePos_ = 0;
  bool scrollTimerOn_ = false;
  bool updatingScrollBars_ = false;
  TPoint lastMouse_;

  TInplaceEdit* inplaceEdit_ = nullptr;
  bool editorMode_ = false;
  bool canEditModify_ = false;
  int inplaceCol_ = -1;
  int inplaceRow_ = -1;
  int editUpdate_ = 0;
  // The focus went from the grid into its editor: no exit, and no enter
  // when it comes back.
  bool focusInEditor_ = false;
};

// ------------------------------------------------------------- TDrawGrid

using TDrawCellEvent =
    std::function<void(TObject* sender, int col, int row, TRect rect, TGridDrawState state)>;
using TSelectCellEvent = std::function<void(TObject* sender, int col, int row, bool& canSelect)>;
using TMovedEvent = std::function<void(TObject* sender, int fromIndex, int toIndex)>;
using TGetEditEvent = std::function<void(TObject* sender, int col, int row, AnsiString& value)>;
using TSetEditEvent = std::function<void(TObject* sender, int col, int row, const AnsiString& value)>;

class TDrawGrid : public TCustomGrid {
 public:
  explicit TDrawGrid(TComponent* owner);

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TGetEditEvent OnGetEditMask;

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void TopLeftChanged() override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
  AnsiString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const AnsiString& value) override;
  AnsiString GetEditMask(int col, int row) override;
};

// ------------------------------------------------------------- TStringGrid

class TStringGrid;

// A row or a column of a string grid seen as a string list with objects.
// Its count is the grid's column (row) count; Strings and Objects read and
// write the cells. Assign copies texts and object pointers into the first
// cells (as many as both have); Clear empties every cell of the line; Add
// fills the first empty cell (-1 when none is); Insert and Delete raise
// EInvalidGridOperation, since a line of a grid cannot change its length.
class TStringGridStrings : public TStrings {
 public:
  TStringGridStrings(TStringGrid* grid, bool isColumn, int index);
  int Add(const AnsiString& s) override;
  int AddObject(const AnsiString& s, TObject* object) override;
  void Assign(const TPersistent* source) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  int Index() const { return index_; }
  bool IsColumn() const { return isColumn_; }

 protected:
  AnsiString Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* object) override;
  void SetUpdateState(bool updating) override;

 private:
  TStringGrid* grid_;
  bool isColumn_;
  int index_;
};

class TStringGrid : public TDrawGrid {
 public:
  explicit TStringGrid(TComponent* owner);
  ~TStringGrid() override;

  // Cells outside the grid read "" and nullptr; writes there are ignored.
  // The object slots are never freed by the grid.
  const AnsiString& Cells(int col, int row) const;
  void SetCells(int col, int row, const AnsiString& value);
  void SetCells(int col, int row, AnsiString&& value);
  TObject* Objects(int col, int row) const;
  void SetObjects(int col, int row, TObject* value);
  // The lines as lists, valid while the grid lives; nullptr out of range.
  TStrings* Rows(int row);
  TStrings* Cols(int col);
  void SetRows(int row, const TStrings* value);
  void SetCols(int col, const TStrings* value);

  // Swaps the contents (texts and objects) of two rows or two columns without
  // copying text; nothing else changes. Out-of-range indices are ignored.
  void ExchangeRows(int row1, int row2);
  void ExchangeCols(int col1, int col2);

  // One row's cells as a single object: texts and object slots in column
  // order (either may be shorter than the column count; the missing cells
  // are empty) and the row's height.
  struct TRowCells {
    std::vector<AnsiString> Texts;
    std::vector<TObject*> Objects;
    int Height = 0;
    // A number the subclass keeps with the row (it moves, hides and goes
    // with the row's cells, never with a column).
    int Tag = 0;
    // A second such number, for a subclass that marks rows to find them
    // again wherever they moved.
    int Key = 0;
  };
  // Hands a row's cells over whole, without copying a text, and leaves the
  // row empty with no storage of its own (its height stays). A grid that
  // hides thousands of rows then cuts its row count frees nothing, and
  // grows back by taking the same records in again. Outside the grid: an
  // empty record with the default row height.
  TRowCells ExtractRow(int row);
  // Puts a record into a row, cut to the column count, and gives the row
  // the record's height; the row's former cells are dropped (their objects
  // are the caller's, as always). Outside the grid: nothing.
  void InsertRowData(int row, TRowCells&& cells);
  // Hands the texts of count columns from col, row by row in order, to
  // take (with each text's column): one pass that reads ahead of the row
  // it hands over, so that a large grid whose rows have been moved about
  // does not wait on each row's cells in turn. Columns outside the grid
  // are left out.
  void ReadColumnTexts(int col, int count, const std::function<void(int col, const AnsiString&)>& take) const;
  // Moves the cells (texts and object slots) of the columns fromCol ..
  // fromCol + count - 1 to start at toCol (the index as it is before the
  // move) in every row, the cells in between taking the freed places, no
  // text copied: the columns change places in the store's column map, and
  // no row record is touched. Widths and tab stops stay where they are. A
  // destination inside the block moves nothing; indices outside
  // 0 .. ColCount raise EInvalidGridOperation. With emptyBlock the block's
  // cells are emptied at their new place (texts dropped, object slots let
  // go, not freed) in one pass over the rows that touches only the block's
  // cells: a column inserted or removed that way walks the rows once. With
  // landingTexts as well, the first column of the emptied block takes each
  // row's text from it (moved out; rows past its end stay empty).
  using TTextTaker = std::function<void(int row, AnsiString&& text)>;
  void ShiftColumns(int fromCol, int count, int toCol, bool emptyBlock = false,
                    std::vector<AnsiString>* landingTexts = nullptr);
  // Hands every text of the column that is not empty to take (moved, with
  // its row), in one pass down the rows that fetches ahead of the row it
  // works on; the column's texts are left empty. take must not change the
  // grid.
  void TakeColumnTexts(int col, const TTextTaker& take);
  // The row record's Tag; 0 outside the grid, writes there ignored.
  int RowTag(int row) const;
  // Whether any object slot of the row is set (a quick test before a walk
  // along a row that only objects concern).
  bool RowHasObjects(int row) const;
  void SetRowTag(int row, int value);
  // The row record's Key; the same rules as the tag.
  int RowKey(int row) const;
  void SetRowKey(int row, int value);

 protected:
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  AnsiString GetEditText(int col, int row) override;
  void SetEditText(int col, int row, const AnsiString& value) override;
  void ColumnMoved(int fromIndex, int toIndex) override;
  void RowMoved(int fromIndex, int toIndex) override;
  void RowBlockMoved(int fromIndex, int count, int toIndex) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;

 private:
  friend class TStringGridStrings;
  TRowCells* RowNeeded(int row);
  void ReadAhead(std::size_t row, std::size_t slot) const;
  // The column map: where column col's cells stand in a row record, or
  // kNoSlot for a column the map does not know yet (while the column
  // count changes). Slot col for every column while the map is plain.
  static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
  std::size_t Slot(int col) const {
    if (slots_.empty()) return static_cast<std::size_t>(col);
    return static_cast<std::size_t>(col) < slots_.size() ? slots_[static_cast<std::size_t>(col)] : kNoSlot;
  }
  // The record length that holds every column's slot.
  std::size_t RecordWidth() const { return slots_.empty() ? static_cast<std::size_t>(ColCount()) : width_; }
  // The map written out (column c in slot c) before it changes, and
  // dropped again once it is plain.
  void SpellOutSlots();
  void SettleSlots();
  // Lays every row record out in column order and drops the map, for the
  // callers that take or give whole records in column order.
  void PlainRecords();
  // Empties the given slots in every row record (texts dropped with their
  // storage, object slots let go); with landingTexts, landingSlot takes each
  // row's text from it. Records end at width.
  void EmptySlots(const std::vector<std::size_t>& slots, std::size_t width, std::size_t landingSlot = kNoSlot,
                  std::vector<AnsiString>* landingTexts = nullptr);
  void ForgetEmptied(std::size_t slot);
  mutable std::size_t lastRowRead_ = 0;
  // The line lists handed out, one per index, created on first use.
  TStrings* Line(bool isColumn, int index);
  void BeginLineUpdate();
  void EndLineUpdate();

  // By row; the Height of a stored record is unused (the grid keeps heights).
  // A record holds its cells by slot (see Slot); a slot that no column maps
  // to is empty in every record.
  std::vector<TRowCells> rows_;
  // By column, the slot of its cells; empty while column c is in slot c.
  // Inserting, removing and moving columns changes only this map, so that
  // a large grid does not move every row's texts about for it.
  std::vector<std::size_t> slots_;
  // While the map is written out: one past the highest slot it maps to.
  std::size_t width_ = 0;
  // Slots known to be empty in every record (emptied, or their texts taken
  // with no object there), while nothing has been written to them since: a
  // column removed is emptied as it moves to the end and need not be walked
  // again when the column count then cuts it off, nor at all when its
  // texts were taken before.
  std::vector<std::size_t> emptiedSlots_;
  std::vector<std::unique_ptr<TStringGridStrings>> rowLists_;
  std::vector<std::unique_ptr<TStringGridStrings>> colLists_;
  int lineUpdate_ = 0;
};
