// Option objects of the string grid, in the least form the cell store
// needs: the floating footer's switches that the footer values follow, and
// where column widths are kept. Their drawing, panels and sizing belong to
// the painting and sizing code, which grows these classes.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Controls.h"

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
  void SetStretch(bool v) { stretch_ = v; }
  int StretchColumn() const { return stretchColumn_; }
  void SetStretchColumn(int v) { stretchColumn_ = v; }
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
class TMouseActions : public TPersistent {
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

 private:
  bool disjunctRowSelect_ = false;
  bool disjunctColSelect_ = false;
  bool rowSelectPersistent_ = false;
  bool rangeSelectAndEdit_ = false;
  bool preciseCheckBoxCheck_ = false;
  bool disjunctCellSelect_ = false;
};

// The class library's TControlStyle (a control's capabilities) takes the
// plain name; the look of cell controls is this one.
enum TGridControlStyle { csClassic, csFlat, csWinXP, csQuorvex, csGradient, csGlyph, csTheme };

// The looks of the controls drawn in cells; the sizes are what the cell
// queries measure with.
class TControlLook : public TPersistent {
 public:
  TGridControlStyle ControlStyle() const { return controlStyle_; }
  void SetControlStyle(TGridControlStyle v) { controlStyle_ = v; }
  int CheckSize() const { return checkSize_; }
  void SetCheckSize(int v) { checkSize_ = v; }
  int RadioSize() const { return radioSize_; }
  void SetRadioSize(int v) { radioSize_ = v; }

  // ---- looks the cell graphics read
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  TColor CommentColor() const { return commentColor_; }
  void SetCommentColor(TColor v) { commentColor_ = v; }
  TBitmap* CheckedGlyph() { return &checkedGlyph_; }
  TBitmap* UnCheckedGlyph() { return &unCheckedGlyph_; }
  TBitmap* RadioOnGlyph() { return &radioOnGlyph_; }
  TBitmap* RadioOffGlyph() { return &radioOffGlyph_; }
  bool DropDownAlwaysVisible() const { return dropDownAlwaysVisible_; }
  void SetDropDownAlwaysVisible(bool v) { dropDownAlwaysVisible_ = v; }
  bool FlatButton() const { return flatButton_; }
  void SetFlatButton(bool v) { flatButton_ = v; }
  bool NoDisabledCheckRadioLook() const { return noDisabledCheckRadioLook_; }
  void SetNoDisabledCheckRadioLook(bool v) { noDisabledCheckRadioLook_ = v; }
  bool NoDisabledButtonLook() const { return noDisabledButtonLook_; }
  void SetNoDisabledButtonLook(bool v) { noDisabledButtonLook_ = v; }
  int ProgressMarginX() const { return progressMarginX_; }
  void SetProgressMarginX(int v) { progressMarginX_ = v; }
  int ProgressMarginY() const { return progressMarginY_; }
  void SetProgressMarginY(int v) { progressMarginY_ = v; }
  bool ProgressXP() const { return progressXP_; }
  void SetProgressXP(bool v) { progressXP_ = v; }

 private:
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
