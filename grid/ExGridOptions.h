// Option objects of the string grid, in the least form the cell store
// needs: the floating footer's switches that the footer values follow, and
// where column widths are kept. Their drawing, panels and sizing belong to
// the painting and sizing code, which grows these classes.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphics.h"

class TExStringGrid;

enum TFooterStyle { fsFixedLastRow, fsColumnPreview, fsCustomPreview };

using TCalcFooterEvent =
    std::function<void(TObject* sender, int col, int row, AnsiString& value)>;

// While Visible with fsFixedLastRow, the grid's last row is its footer: it
// is drawn as fixed (FixedFooters 1) and its cells hold computed values.
class TFloatingFooter : public TPersistent {
 public:
  explicit TFloatingFooter(TExStringGrid* grid) : grid_(grid) {}

  bool Visible() const { return visible_; }
  void SetVisible(bool value);
  TFooterStyle FooterStyle() const { return footerStyle_; }
  void SetFooterStyle(TFooterStyle value);
  // Count hidden rows into the footer values.
  bool CalculateHiddenRows() const { return calculateHiddenRows_; }
  void SetCalculateHiddenRows(bool value) { calculateHiddenRows_ = value; }
  // Gives the text of a footer cell whose calculation kind is 7.
  TCalcFooterEvent OnCalcFooter;

  // Whether the last row is the footer row now.
  bool FixedLastRow() const { return visible_ && footerStyle_ == fsFixedLastRow; }

  // ---- the footer panel's looks (the panel repaints on a change)
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  // The column fsColumnPreview shows of the current row.
  int Column() const { return column_; }
  void SetColumn(int v);
  // fsCustomPreview: "<#N>" stands for the current row's text of column N.
  const AnsiString& CustomTemplate() const { return customTemplate_; }
  void SetCustomTemplate(const AnsiString& v);
  // Follows the grid's default row height.
  int FooterHeight() const { return footerHeight_; }
  void SetFooterHeight(int v);

 private:
  void Apply();

  TExStringGrid* grid_;
  bool visible_ = false;
  TFooterStyle footerStyle_ = fsFixedLastRow;
  bool calculateHiddenRows_ = false;
  TColor color_ = clBtnFace;
  int column_ = 0;
  AnsiString customTemplate_;
  int footerHeight_ = 21;
};

enum TColumnSizeLocation { clRegistry, clIniFile };

// Where the grid keeps its column widths: the INI file Key, section Section,
// one "Col<i>" key per column. With Key or Section empty nothing is kept.
// There is no registry here; both locations use the INI file named Key.
class TColumnSize : public TPersistent {
 public:
  bool Save() const { return save_; }
  void SetSave(bool v) { save_ = v; }
  const AnsiString& Key() const { return key_; }
  void SetKey(const AnsiString& v) { key_ = v; }
  const AnsiString& Section() const { return section_; }
  void SetSection(const AnsiString& v) { section_ = v; }
  TColumnSizeLocation Location() const { return location_; }
  void SetLocation(TColumnSizeLocation v) { location_ = v; }
  bool Stretch() const { return stretch_; }
  // Both setters stretch again (through OnStretchChange, which the grid sets).
  void SetStretch(bool v) {
    stretch_ = v;
    if (OnStretchChange) OnStretchChange();
  }
  int StretchColumn() const { return stretchColumn_; }
  void SetStretchColumn(int v) {
    stretchColumn_ = v;
    if (OnStretchChange) OnStretchChange();
  }
  std::function<void()> OnStretchChange;
  bool SynchWithGrid() const { return synchWithGrid_; }
  void SetSynchWithGrid(bool v) { synchWithGrid_ = v; }

 private:
  bool save_ = false;
  AnsiString key_;
  AnsiString section_;
  TColumnSizeLocation location_ = clRegistry;
  bool stretch_ = false;
  int stretchColumn_ = -1;
  bool synchWithGrid_ = false;
};

// How the mouse selects and edits. Only the switches the cell store, the
// selection flags and the check boxes read live here; the mouse handling
// grows the rest.
enum TGridFixedCellEdit { fceNone, fceDblClick, fceLeftClick, fceRightClick };
enum TWheelAction { waMoveSelection, waScroll };

class TMouseActions : public TPersistent {
 public:
  // ---- selecting, sizing and editing by mouse, the wheel
  bool ColSelect() const { return colSelect_; }
  void SetColSelect(bool v) { colSelect_ = v; }
  bool RowSelect() const { return rowSelect_; }
  void SetRowSelect(bool v) { rowSelect_ = v; }
  bool AllSelect() const { return allSelect_; }
  void SetAllSelect(bool v) { allSelect_ = v; }
  bool DirectEdit() const { return directEdit_; }
  void SetDirectEdit(bool v) { directEdit_ = v; }
  // Sizing one column (row) by mouse scales every other one alike.
  bool AllColumnSize() const { return allColumnSize_; }
  void SetAllColumnSize(bool v) { allColumnSize_ = v; }
  bool AllRowSize() const { return allRowSize_; }
  void SetAllRowSize(bool v) { allRowSize_ = v; }
  bool CaretPositioning() const { return caretPositioning_; }
  void SetCaretPositioning(bool v) { caretPositioning_ = v; }
  bool SizeFixedCol() const { return sizeFixedCol_; }
  void SetSizeFixedCol(bool v) { sizeFixedCol_ = v; }
  TGridFixedCellEdit FixedRowsEdit() const { return fixedRowsEdit_; }
  void SetFixedRowsEdit(TGridFixedCellEdit v) { fixedRowsEdit_ = v; }
  TGridFixedCellEdit FixedColsEdit() const { return fixedColsEdit_; }
  void SetFixedColsEdit(TGridFixedCellEdit v) { fixedColsEdit_ = v; }
  bool NoAutoRangeScroll() const { return noAutoRangeScroll_; }
  void SetNoAutoRangeScroll(bool v) { noAutoRangeScroll_ = v; }
  bool CheckAllCheck() const { return checkAllCheck_; }
  void SetCheckAllCheck(bool v) { checkAllCheck_ = v; }
  bool NodeAllExpandContract() const { return nodeAllExpandContract_; }
  void SetNodeAllExpandContract(bool v) { nodeAllExpandContract_ = v; }
  bool MoveRowOnNodeClick() const { return moveRowOnNodeClick_; }
  void SetMoveRowOnNodeClick(bool v) { moveRowOnNodeClick_ = v; }
  bool SelectOnRigthClick() const { return selectOnRigthClick_; }
  void SetSelectOnRigthClick(bool v) { selectOnRigthClick_ = v; }
  int WheelIncrement() const { return wheelIncrement_; }
  void SetWheelIncrement(int v) { wheelIncrement_ = v; }
  TWheelAction WheelAction() const { return wheelAction_; }
  void SetWheelAction(TWheelAction v) { wheelAction_ = v; }

 private:
  bool colSelect_ = false;
  bool rowSelect_ = false;
  bool allSelect_ = false;
  bool directEdit_ = false;
  bool allColumnSize_ = false;
  bool allRowSize_ = false;
  bool caretPositioning_ = false;
  bool sizeFixedCol_ = false;
  TGridFixedCellEdit fixedRowsEdit_ = fceNone;
  TGridFixedCellEdit fixedColsEdit_ = fceNone;
  bool noAutoRangeScroll_ = false;
  bool checkAllCheck_ = false;
  bool nodeAllExpandContract_ = false;
  bool moveRowOnNodeClick_ = false;
  bool selectOnRigthClick_ = false;
  int wheelIncrement_ = 0;
  TWheelAction wheelAction_ = waMoveSelection;

 public:
  // Rows (columns) are selected one by one through their selection flags.
  bool DisjunctRowSelect() const { return disjunctRowSelect_; }
  void SetDisjunctRowSelect(bool v) { disjunctRowSelect_ = v; }
  bool DisjunctColSelect() const { return disjunctColSelect_; }
  void SetDisjunctColSelect(bool v) { disjunctColSelect_ = v; }
  // The row flags refer to real rows, so they survive hiding rows.
  bool RowSelectPersistent() const { return rowSelectPersistent_; }
  void SetRowSelectPersistent(bool v) { rowSelectPersistent_ = v; }
  bool RangeSelectAndEdit() const { return rangeSelectAndEdit_; }
  void SetRangeSelectAndEdit(bool v) { rangeSelectAndEdit_ = v; }
  // A click toggles a check box only inside its square.
  bool PreciseCheckBoxCheck() const { return preciseCheckBoxCheck_; }
  void SetPreciseCheckBoxCheck(bool v) { preciseCheckBoxCheck_ = v; }
  // Cells are selected one by one (the grid's cell selection list).
  bool DisjunctCellSelect() const { return disjunctCellSelect_; }
  void SetDisjunctCellSelect(bool v) { disjunctCellSelect_ = v; }

  // ---- the switches the cell editors read
  // A combo editor opens with its list dropped, a date editor with its calendar.
  bool DirectComboDrop() const { return directComboDrop_; }
  void SetDirectComboDrop(bool v) { directComboDrop_ = v; }
  bool DirectDateDrop() const { return directDateDrop_; }
  void SetDirectDateDrop(bool v) { directDateDrop_ = v; }

 private:
  bool directComboDrop_ = false;
  bool directDateDrop_ = false;
  bool disjunctRowSelect_ = false;
  bool disjunctColSelect_ = false;
  bool rowSelectPersistent_ = false;
  bool rangeSelectAndEdit_ = false;
  bool preciseCheckBoxCheck_ = false;
  bool disjunctCellSelect_ = false;
};

// Stores value into field; true when that changed it (an option object
// repaints its grid then).
template <class T>
bool StoreChanged(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

// The class library's TControlStyle (a control's capabilities) takes the
// plain name; the look of cell controls is this one.
enum TGridControlStyle { csClassic, csFlat, csWinXP, csQuorvex, csGradient, csGlyph, csTheme };

// The looks of the controls drawn in cells; the sizes are what the cell
// queries measure with. A change, also of a glyph through its object,
// repaints the grid.
class TControlLook : public TPersistent {
 public:
  explicit TControlLook(TExStringGrid* grid = nullptr);
  TGridControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TGridControlStyle v) { if (StoreChanged(controlStyle_, v)) Repaint(); }
  int CheckSize() const { return checkSize_; }
  void SetCheckSize(int v) { if (StoreChanged(checkSize_, v)) Repaint(); }
  int RadioSize() const { return radioSize_; }
  void SetRadioSize(int v) { if (StoreChanged(radioSize_, v)) Repaint(); }

  // ---- looks the cell graphics read
  TColor Color() const { return color_; }
  void SetColor(TColor v) { if (StoreChanged(color_, v)) Repaint(); }
  TColor CommentColor() const { return commentColor_; }
  void SetCommentColor(TColor v) { if (StoreChanged(commentColor_, v)) Repaint(); }
  TBitmap* CheckedGlyph() { return &checkedGlyph_; }
  TBitmap* UnCheckedGlyph() { return &unCheckedGlyph_; }
  TBitmap* RadioOnGlyph() { return &radioOnGlyph_; }
  TBitmap* RadioOffGlyph() { return &radioOffGlyph_; }
  bool DropDownAlwaysVisible() const { return dropDownAlwaysVisible_; }
  void SetDropDownAlwaysVisible(bool v) { if (StoreChanged(dropDownAlwaysVisible_, v)) Repaint(); }
  bool FlatButton() const { return flatButton_; }
  void SetFlatButton(bool v) { if (StoreChanged(flatButton_, v)) Repaint(); }
  bool NoDisabledCheckRadioLook() const { return noDisabledCheckRadioLook_; }
  void SetNoDisabledCheckRadioLook(bool v) { if (StoreChanged(noDisabledCheckRadioLook_, v)) Repaint(); }
  bool NoDisabledButtonLook() const { return noDisabledButtonLook_; }
  void SetNoDisabledButtonLook(bool v) { if (StoreChanged(noDisabledButtonLook_, v)) Repaint(); }
  int ProgressMarginX() const { return progressMarginX_; }
  void SetProgressMarginX(int v) { if (StoreChanged(progressMarginX_, v)) Repaint(); }
  int ProgressMarginY() const { return progressMarginY_; }
  void SetProgressMarginY(int v) { if (StoreChanged(progressMarginY_, v)) Repaint(); }
  bool ProgressXP() const { return progressXP_; }
  void SetProgressXP(bool v) { if (StoreChanged(progressXP_, v)) Repaint(); }

 private:
  void Repaint();
  TExStringGrid* grid_;
  TGridControlStyle controlStyle_ = csWinXP;
  int checkSize_ = 15;
  int radioSize_ = 10;
  TColor color_ = clBlack;
  TColor commentColor_ = clRed;
  TBitmap checkedGlyph_;
  TBitmap unCheckedGlyph_;
  TBitmap radioOnGlyph_;
  TBitmap radioOffGlyph_;
  bool dropDownAlwaysVisible_ = false;
  bool flatButton_ = false;
  bool noDisabledCheckRadioLook_ = false;
  bool noDisabledButtonLook_ = false;
  int progressMarginX_ = 2;
  int progressMarginY_ = 2;
  bool progressXP_ = false;
};

enum TCellBorder { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSmallSet<TCellBorder>;

// ---- sizing and scroll bars (ExGridSizing.cpp)

// Bounds of the automatic sizing (0: no maximum; equal bounds: none), its
// cell margins, and whether it may only widen.
struct TGridSizeLimits {
  int MinColWidth = 10;
  int MaxColWidth = 0;
  int MinRowHeight = 0;  // the default row height once the grid is loaded
  int MaxRowHeight = 0;
  int CellMarginX = 2;
  int CellMarginY = 2;
  bool OnlyGrow = false;
};

enum TScrollHintType { shNone, shVertical, shHorizontal, shBoth };
enum TIntelliPan { ipVertical, ipHorizontal, ipBoth, ipNone };

// The scroll-bar switches besides ScrollType, ScrollColor and ScrollWidth.
struct TScrollBarOptions {
  bool ScrollSynch = false;  // the view follows the thumb while it is dragged
  TScrollHintType ScrollHints = shNone;
  TIntelliPan IntelliPan = ipVertical;
  bool Hovering = false;
};

// Kept for the forms that set them; nothing here prints.
class TPrintSettings : public TPersistent {
 public:
  TPrintSettings();
  void Assign(const TPersistent* source) override;
  TFont* Font() { return &font_; }
  TFont* HeaderFont() { return &headerFont_; }
  TFont* FooterFont() { return &footerFont_; }
  TFont* FixedFont() { return &fixedFont_; }
  TStrings* TitleLines() { return &titleLines_; }
  const AnsiString& PageNumSep() const { return pageNumSep_; }
  void SetPageNumSep(const AnsiString& v) { pageNumSep_ = v; }
  const AnsiString& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const AnsiString& v) { dateFormat_ = v; }
  bool Centered() const { return centered_; }
  void SetCentered(bool v) { centered_ = v; }
  bool UseDisplayFont() const { return useDisplayFont_; }
  void SetUseDisplayFont(bool v) { useDisplayFont_ = v; }
  int ColumnSpacing() const { return columnSpacing_; }
  void SetColumnSpacing(int v) { columnSpacing_ = v; }
  int RowSpacing() const { return rowSpacing_; }
  void SetRowSpacing(int v) { rowSpacing_ = v; }
  int TitleSpacing() const { return titleSpacing_; }
  void SetTitleSpacing(int v) { titleSpacing_ = v; }

 private:
  TFont font_, headerFont_, footerFont_, fixedFont_;
  TStringList titleLines_;
  AnsiString pageNumSep_ = "/";
  AnsiString dateFormat_ = "dd/mm/yyyy";
  bool centered_ = true;
  bool useDisplayFont_ = true;
  int columnSpacing_ = 0, rowSpacing_ = 0, titleSpacing_ = 0;
};

// Kept for the forms that set them; nothing here exports.
class THTMLSettings : public TPersistent {
 public:
  bool SaveColor() const { return saveColor_; }
  void SetSaveColor(bool v) { saveColor_ = v; }
  bool SaveFonts() const { return saveFonts_; }
  void SetSaveFonts(bool v) { saveFonts_ = v; }
  int BorderSize() const { return borderSize_; }
  void SetBorderSize(int v) { borderSize_ = v; }
  int CellSpacing() const { return cellSpacing_; }
  void SetCellSpacing(int v) { cellSpacing_ = v; }
  int CellPadding() const { return cellPadding_; }
  void SetCellPadding(int v) { cellPadding_ = v; }
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }

 private:
  bool saveColor_ = true;
  bool saveFonts_ = true;
  int borderSize_ = 1;
  int cellSpacing_ = 0;
  int cellPadding_ = 0;
  int width_ = 100;
};
