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

 private:
  void Apply();

  TExStringGrid* grid_;
  bool visible_ = false;
  TFooterStyle footerStyle_ = fsFixedLastRow;
  bool calculateHiddenRows_ = false;
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

 private:
  TGridControlStyle controlStyle_ = csWinXP;
  int checkSize_ = 15;
  int radioSize_ = 10;
};

enum TCellBorder { cbTop, cbLeft, cbRight, cbBottom };
using TCellBorders = TSmallSet<TCellBorder>;
