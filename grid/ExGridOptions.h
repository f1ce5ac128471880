// Option objects of the string grid, in the least form the cell store
// needs: the floating footer's switches that the footer values follow, and
// where column widths are kept. Their drawing, panels and sizing belong to
// the painting and sizing code, which grows these classes.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"

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
