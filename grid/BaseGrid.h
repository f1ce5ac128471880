// The first layer of the string grid on the class library's TStringGrid:
// per-cell property objects kept in the cells' object slots, merged cells
// (rectangular spans drawn and edited as one cell), the grid's own cell
// drawing with its own grid lines, the display-text events, and the undo
// recorder component.
//
// Sections:
//   Small types ........... alignment, editor kinds, events
//   TCellProperties ....... the per-cell property object, owned by the grid
//   TBaseGrid ............. property slots, spans, cell text, drawing
//   Undo recorder ......... TUndoRedoItem, TUndoRedoCollection, TExGridUndoRedo
//
// Merge encoding: a cell without properties, or a base cell whose spans are
// both -1, is a single cell. A span's top-left cell is its base cell
// (IsBaseCell, CellSpanX/Y = width/height - 1); every other cell of the span
// is covered (not IsBaseCell, CellSpanX/Y = offsets back to the base cell).
//
// Call tree of a paint pass:
//   TCustomGrid::Paint -> DrawCell (here) for each cell of the update region
//     covered cell -> its base cell, drawn once per pass (paint stamp)
//     base cell -> GetCellColors -> fill -> grid lines -> DrawCellContent
//   then the paint counter moves on.
#pragma once

#include <climits>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Grids.h"

// ------------------------------------------------------------- small types

enum TVAlignment : Byte { vtaTop, vtaCenter, vtaBottom };

// The editor a cell gets; stored as one byte in the grid file.
enum TEditorType : Byte {
  edNormal, edSpinEdit, edComboEdit, edComboList, edEditBtn, edCheckBox, edDateEdit,
  edDateEditUpDown, edTimeEdit, edButton, edDataCheckBox, edNumeric, edPositiveNumeric,
  edFloat, edCapital, edMixedCase, edPassword, edUnitEditBtn, edLowerCase, edUpperCase,
  edFloatSpinEdit, edTimeSpinEdit, edDateSpinEdit, edNumericEditBtn, edFloatEditBtn,
  edCustom, edRichEdit, edNone, edUniEdit, edUniComboEdit, edUniComboList
};

class TBaseGrid;
class TCellGraphic;  // the cell graphic record of the string grid
class TExGridUndoRedo;

using TGetDisplTextEvent =
    std::function<void(TObject* sender, int col, int row, AnsiString& text)>;
using TGetDisplWideTextEvent =
    std::function<void(TObject* sender, int col, int row, WideString& text)>;

// ------------------------------------------------------------- TCellProperties

// One per cell that needs one, created on first use by the grid and kept in
// the cell's object slot; the grid frees it. The cell graphic it carries is
// not its own: the string grid creates and frees graphics.
class TCellProperties : public TPersistent {
 public:
  TCellProperties(TBaseGrid* grid, int col, int row);

  TBaseGrid* Grid() const { return grid_; }
  int OwnerCol() const { return ownerCol_; }
  void SetOwnerCol(int v) { ownerCol_ = v; }
  int OwnerRow() const { return ownerRow_; }
  void SetOwnerRow(int v) { ownerRow_ = v; }
  TObject* CellObject() const { return cellObject_; }
  void SetCellObject(TObject* v) { cellObject_ = v; }
  TCellGraphic* CellGraphic() const { return cellGraphic_; }
  void SetCellGraphic(TCellGraphic* v) { cellGraphic_ = v; }

  TBrushStyle BrushStyle() const { return brushStyle_; }
  void SetBrushStyle(TBrushStyle v) { brushStyle_ = v; }
  TColor BrushColor() const { return brushColor_; }
  void SetBrushColor(TColor v);
  TColor BrushColorTo() const { return brushColorTo_; }
  void SetBrushColorTo(TColor v);
  int FontSize() const { return fontSize_; }
  void SetFontSize(int v) { fontSize_ = v; }
  TColor FontColor() const { return fontColor_; }
  void SetFontColor(TColor v) { fontColor_ = v; }
  TFontStyles FontStyle() const { return fontStyle_; }
  void SetFontStyle(TFontStyles v) { fontStyle_ = v; }
  int CellSpanY() const { return cellSpanY_; }
  void SetCellSpanY(int v) { cellSpanY_ = v; }
  int CellSpanX() const { return cellSpanX_; }
  void SetCellSpanX(int v) { cellSpanX_ = v; }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int v) { borderWidth_ = v; }
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor v) { borderColor_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; }
  TVAlignment VAlignment() const { return vAlignment_; }
  void SetVAlignment(TVAlignment v);
  int PaintStamp() const { return paintStamp_; }
  void SetPaintStamp(int v) { paintStamp_ = v; }
  bool WordWrap() const { return wordWrap_; }
  void SetWordWrap(bool v);
  bool IsBaseCell() const { return isBaseCell_; }
  void SetIsBaseCell(bool v) { isBaseCell_ = v; }
  // How a footer cell's value is computed: 0 empty, 1 sum, 2 average,
  // 3 count, 4 minimum, 5 maximum, 7 the footer's own event.
  Byte FooterCalcKind() const { return footerCalcKind_; }
  void SetFooterCalcKind(Byte v) { footerCalcKind_ = v; }
  TEditorType Editor() const { return editor_; }
  void SetEditor(TEditorType v) { editor_ = v; }
  const AnsiString& FontName() const { return fontName_; }
  void SetFontName(const AnsiString& v) { fontName_ = v; }
  bool ReadOnly() const { return readOnly_; }
  void SetReadOnly(bool v) { readOnly_ = v; }
  TControl* Control() const { return control_; }
  void SetControl(TControl* v) { control_ = v; }
  // The node level. In column 0 it is the level of the row the cell stands
  // in, which the row keeps (a row inside a node needs no property object):
  // the row the grid last handed the object out for, while it is still there.
  int NodeLevel() const;
  void SetNodeLevel(int v);
  // The level kept with the object itself: what a file gave a cell outside
  // column 0, kept only so that the file gets it back.
  int StoredNodeLevel() const { return nodeLevel_; }
  void SetStoredNodeLevel(int v) { nodeLevel_ = v; }

  // Copies the looks, the span and the owner cell; the grid, CellObject and
  // the cell graphic stay. The gradient end colour is copied too, so that a
  // cell written to the grid file keeps it.
  void Assign(const TPersistent* source) override;

 private:
  friend class TBaseGrid;
  void RepaintOwnerCell();

  TBaseGrid* grid_;
  int ownerCol_;
  int ownerRow_;
  // The row of column 0 where the grid last found the object (-1: none);
  // the object moves with its cell, so the grid checks it is still there.
  mutable int columnZeroRow_;
  TObject* cellObject_ = nullptr;
  TCellGraphic* cellGraphic_ = nullptr;
  TBrushStyle brushStyle_ = bsSolid;
  TColor brushColor_ = clNone;
  TColor brushColorTo_ = clNone;
  int fontSize_ = 0;
  TColor fontColor_ = clNone;
  TFontStyles fontStyle_;
  int cellSpanY_ = -1;
  int cellSpanX_ = -1;
  int borderWidth_ = 0;
  TColor borderColor_ = 0;
  TAlignment alignment_ = taLeftJustify;
  TVAlignment vAlignment_ = vtaTop;
  int paintStamp_ = 0;
  bool wordWrap_ = false;
  bool isBaseCell_ = true;
  Byte footerCalcKind_ = 0;
  TEditorType editor_ = edNormal;
  AnsiString fontName_;
  bool readOnly_ = false;
  int nodeLevel_ = 0;
  TControl* control_ = nullptr;
};

// ------------------------------------------------------------- TBaseGrid

class TBaseGrid : public TStringGrid {
 public:
  explicit TBaseGrid(TComponent* owner);
  // Frees every cell's properties before the class library's grid goes.
  ~TBaseGrid() override;

  // ---- published
  // The grid's own copies: the class library never draws cells or lines
  // itself (its default drawing stays off and its line width 0).
  bool DefaultDrawing() const { return defaultDrawing_; }
  void SetDefaultDrawing(bool value);
  int GridLineWidth() const { return gridLineWidth_; }
  void SetGridLineWidth(int value);
  TColor GridLineColor() const { return gridLineColor_; }
  void SetGridLineColor(TColor value);
  TExGridUndoRedo* UndoRedo() const { return undoRedo_; }
  void SetUndoRedo(TExGridUndoRedo* value);
  TGetDisplTextEvent OnGetDisplText;
  TGetDisplWideTextEvent OnGetDisplWideText;

  // ---- cell text through the spans: a covered cell reads and writes its base cell
  AnsiString Cells(int col, int row) const { return GetCellText(col, row); }
  void SetCells(int col, int row, const AnsiString& value) { SetCellText(col, row, value); }
  virtual AnsiString GetCellText(int col, int row) const;
  virtual void SetCellText(int col, int row, const AnsiString& value);

  // ---- the class library's slots, without span logic, by real column:
  // the columns kept past ColCount (below) are reached here too.
  const AnsiString& RawCells(int col, int row) const;
  void SetRawCells(int col, int row, const AnsiString& value) { SetRawCells(col, row, AnsiString(value)); }
  void SetRawCells(int col, int row, AnsiString&& value);
  // Moves the text out of the cell, which is left empty: whole rows and
  // columns shift and hide without copying a single text.
  AnsiString TakeRawCells(int col, int row);
  TObject* RawObjects(int col, int row) const;
  void SetRawObjects(int col, int row, TObject* value);
  // Moves the cells of the real columns fromCol .. fromCol + count - 1 to
  // start at toCol (the index before the move) in every row, the columns
  // kept past ColCount included, the cells in between taking the freed
  // places. Within ColCount the store rotates each row record once; a
  // range reaching the kept columns goes row by row through the slots.
  // Negative indices are ignored; cells past StoreColCount read empty and
  // keep nothing, as their slots do.
  // With emptyBlock the block's cells are emptied at their new place
  // (object slots let go, not freed), as the store does, and the first of
  // them takes landingTexts' text of its row when those are given.
  void ShiftRawColumns(int fromCol, int count, int toCol, bool emptyBlock = false,
                       std::vector<AnsiString>* landingTexts = nullptr);

  // ---- columns kept past ColCount
  // Hidden columns keep their cells at their real indices while ColCount
  // counts only the shown ones. The class library's store drops the cells
  // of columns cut off, so the grid keeps up to KeptColumnLimit columns
  // past ColCount itself: shrinking ColCount keeps the cut columns (the
  // first ones up to the limit), growing it takes them back at the same
  // indices. Rows moved, exchanged or deleted take those cells along.
  void SetColCount(int value);
  int KeptColumnLimit() const { return keptLimit_; }
  // Keeps exactly limit columns past ColCount: raising it adds empty
  // columns, lowering it lets go of the last ones without freeing their
  // objects (the caller freed them).
  void SetKeptColumnLimit(int limit);
  // ColCount plus the columns kept past it: every real column.
  int StoreColCount() const { return ColCount() + keptCount_; }
  void ExchangeRows(int row1, int row2);

  // ---- cell properties
  // The cell's properties, created with their defaults and stored on first
  // use; nullptr for a cell outside the grid (nothing is created there).
  TCellProperties* CellPropertiesAt(int col, int row);
  // The existing properties or nullptr; never creates.
  TCellProperties* FindCellProperties(int col, int row) const;
  bool HasCellProperties(int col, int row) const { return FindCellProperties(col, row) != nullptr; }
  // Frees the cell's existing properties and stores props (the grid owns
  // them from now on). Outside the grid props is freed.
  void ReplaceCellProperties(int col, int row, TCellProperties* props);
  void FreeCellPropertiesAt(int col, int row);
  // Every cell of the inclusive rectangle, clipped to the grid.
  void FreeCellProperties(int c1, int r1, int c2, int r2);
  void FreeAllCellProperties();
  // Empty the text and let go of the property slot without freeing it: the
  // object has already been moved to another cell.
  void DetachColumnCells(int col);
  void DetachRowCells(int row);
  void DetachCell(int col, int row);

  // The class library's line deletion; the line's properties are freed and
  // spans reaching into it dissolved first, since the store never frees.
  void DeleteRow(int row) override;
  void DeleteColumn(int col) override;
  // A moved line takes its cells' properties along, so the spans the move
  // would tear (across lines between the two places) are split first.
  void MoveRow(int fromIndex, int toIndex) override;
  void MoveColumn(int fromIndex, int toIndex) override;
  // Splits every span more than one row high with a cell in rows r1 .. r2,
  // and every span more than one column wide with a cell in columns
  // c1 .. c2: the spans that reordering those lines would tear.
  void SplitTallSpansIn(int r1, int r2);
  void SplitWideSpansIn(int c1, int c2);

  // ---- spans
  // Clipped to the grid; spans that the rectangle cuts into are split first,
  // so that no cell is left pointing at a base cell that is no longer one.
  virtual void MergeCells(int col, int row, int spanX, int spanY);
  virtual void SplitCells(int col, int row);
  // Splits the span of (col, row) because lines are about to move apart or
  // go: every cell it covered without a text of its own keeps the text it
  // showed, the base cell's, so no row loses a value that one merged cell
  // stood for.
  void TearSpan(int col, int row);
  TPoint BaseCellOf(int col, int row) const;
  bool IsBaseCellAt(int col, int row) const;
  bool IsMergedCell(int col, int row) const;
  bool IsXMergedCell(int col, int row) const;
  bool IsYMergedCell(int col, int row) const;
  // (CellSpanX, CellSpanY) of the base cell; (0, 0) for a single cell.
  TPoint CellSpan(int col, int row) const;
  // col is a display column: a span is found at its real place and drawn
  // over the shown columns it covers.
  TRect MergedCellRect(int col, int row) const;
  TPoint MergedCellSize(int col, int row) const;
  bool RowsShareSpan(int row1, int row2) const;

  // ---- the virtual operations later layers override
  virtual bool IsFixedCell(int col, int row) const { return false; }
  virtual int GetCellIndent(int row) const { return 0; }
  virtual bool HasNodes() const { return false; }
  // The node level of a row, kept with the row by the string grid; false
  // when the grid keeps none (a column-0 cell then keeps its own).
  virtual bool GetRowNodeLevel(int row, int& level) const { return false; }
  virtual bool SetRowNodeLevel(int row, int level) { return false; }
  // The row whose column-0 cell holds props, as the grid found it last; -1
  // when props stand elsewhere.
  int ColumnZeroRowOf(const TCellProperties& props) const;
  virtual void DrawCellContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state);
  virtual void FooterChanged() {}
  virtual void DoGetDisplText(int col, int row, AnsiString& text) const;
  virtual void DoGetDisplWideText(int col, int row, WideString& text) const;
  virtual void GetCellColors(int col, int row, TFont* font, TBrush* brush, TColor& gradientEnd,
                             TAlignment& hAlign, TVAlignment& vAlign, bool mapColumn,
                             bool applySelection, bool printing, TGridDrawState& state) {}
  virtual int DisplColIndex(int col) const { return col; }
  // The store's column of a display column (the string grid hides columns).
  virtual int RealColIndex(int col) const { return col; }
  // Lets go of the graphic a cell's properties carry before they are freed;
  // the string grid frees the graphics it created.
  virtual void ReleaseCellGraphic(TCellProperties& props) {}

  // ---- painting
  unsigned PaintCounter() const { return paintCounter_; }
  // True while the floating footer is shown: the last row is then the footer row.
  bool FooterShown() const { return footerShown_; }
  void SetFooterShown(bool v) { footerShown_ = v; }
  // Rows at or below it never reach the display-text events.
  int DisplayRowLimit() const { return displayRowLimit_; }
  void SetDisplayRowLimit(int v) { displayRowLimit_ = v; }

  // Skips the next Invalidate once (the mouse handling asks for it).
  void SkipNextInvalidate() { skipInvalidate_ = true; }
  void Invalidate() override;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void DrawCell(int col, int row, const TRect& rect, TGridDrawState state) override;
  bool SelectCell(int col, int row) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  bool DoMouseWheelDown(TShiftState shift, TPoint mousePos) override;
  bool DoMouseWheelUp(TShiftState shift, TPoint mousePos) override;
  void TopLeftChanged() override;
  void RowMoved(int fromIndex, int toIndex) override;
  void RowBlockMoved(int fromIndex, int count, int toIndex) override;
  void SizeChanged(int oldColCount, int oldRowCount) override;
  // ---- the view moved or its lines were sized: ViewChanged tells the
  // subclasses (controls placed in cells follow).
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  virtual void ViewChanged() {}

  // Moves the current cell onto the base cell of the cell it is in.
  void FocusBaseCell();
  // Inside the store: every real column, kept ones included.
  bool InGrid(int col, int row) const {
    return col >= 0 && row >= 0 && col < StoreColCount() && row < RowCount();
  }
  // Draws the base cell (col, row) at its merged rectangle.
  void DrawBaseCell(int col, int row, TGridDrawState state);
  // Repaints the merged rectangle of a cell.
  void RepaintMergedCell(int col, int row);

 private:
  bool defaultDrawing_ = false;
  int gridLineWidth_ = 1;
  TColor gridLineColor_ = 0xC0C0C0;
  unsigned paintCounter_ = 0;
  bool footerShown_ = false;
  int displayRowLimit_ = INT_MAX;  // no limit until the string grid sets its row count
  bool skipInvalidate_ = false;
  TExGridUndoRedo* undoRedo_ = nullptr;

  // The cells a row has in the columns kept past ColCount, indexed by
  // col - ColCount() (shorter vectors: the missing cells are empty). Rows
  // are held by pointer, as the store holds its own, so that moving rows
  // moves pointers.
  struct TKeptRow {
    std::vector<AnsiString> texts;
    std::vector<TObject*> objects;
  };
  std::vector<std::unique_ptr<TKeptRow>> keptRows_;  // by row; nullptr: all empty
  int keptCount_ = 0;
  int keptLimit_ = 0;
  TKeptRow* KeptRowNeeded(int row);
  // The kept rows as long as the grid's rows, for moves.
  void KeptRowsToRowCount();
};

// ------------------------------------------------------------- undo recorder

class TUndoRedoItem : public TCollectionItem {
 public:
  using TCollectionItem::TCollectionItem;
  AnsiString Value;
  AnsiString OrigValue;
  int Col = 0;
  int Row = 0;
};

class TUndoRedoCollection : public TCollection {
 public:
  TUndoRedoCollection();
  TUndoRedoItem* Items(int index) const { return static_cast<TUndoRedoItem*>(TCollection::Items(index)); }
  TUndoRedoItem* Add() { return static_cast<TUndoRedoItem*>(TCollection::Add()); }
};

// Records the cell changes of the grid it is linked to. Only recording is
// offered: nothing reads the items back into the grid.
class TExGridUndoRedo : public TComponent {
 public:
  explicit TExGridUndoRedo(TComponent* owner);
  ~TExGridUndoRedo() override;

  // The number of changes kept; below 1 nothing is ever dropped.
  int MaxLevel() const { return maxLevel_; }
  void SetMaxLevel(int v) { maxLevel_ = v; }
  int Level() const { return level_; }
  TUndoRedoCollection* Items() { return &items_; }
  TBaseGrid* Grid() const { return grid_; }

  void AddChange(int col, int row, const AnsiString& oldText, const AnsiString& newText);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TBaseGrid;
  void SetGrid(TBaseGrid* grid) { grid_ = grid; }

  int maxLevel_ = 0;
  int level_ = 0;
  TUndoRedoCollection items_;
  TBaseGrid* grid_ = nullptr;
};
