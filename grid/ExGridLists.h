// The grid's small lists: integer lists with a change event (auto-merged
// columns, sort orders, image indexes of a cell), the record of a hidden
// row, and the list of controls placed on cells.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Grids.h"

class TControl;

using TIntListChangeEvent = std::function<void(TObject* sender, int col, int row)>;

// A list of 32-bit integers that tells OnChange (with the cell that owns it,
// or -1, -1) after each item write, Add and Delete; Insert and Clear are silent.
class TIntList : public TObject {
 public:
  TIntList(int col = -1, int row = -1) : col_(col), row_(row) {}

  int Count() const { return static_cast<int>(items_.size()); }
  // EListError "List index out of bounds (%d)" outside 0..Count()-1.
  int Items(int index) const;
  void SetItems(int index, int value);
  int Add(int value);
  void Insert(int index, int value);
  void Delete(int index);
  void Clear() { items_.clear(); }
  int IndexOf(int value) const;
  bool Contains(int value) const { return IndexOf(value) >= 0; }
  int Col() const { return col_; }
  int Row() const { return row_; }

  // "3,10,-1"; empty for an empty list.
  AnsiString ToText() const;
  // Clears the list and adds each comma-separated integer (each Add tells
  // OnChange); a part that is not an integer raises EConvertError.
  void FromText(std::string_view text);

  TIntListChangeEvent OnChange;

 private:
  void Changed() {
    if (OnChange) OnChange(this, col_, row_);
  }
  void CheckIndex(int index) const;

  int col_;
  int row_;
  std::vector<int> items_;
};

// Each item is a column in bits 0-30 and a direction flag in bit 31 (set
// for descending).
class TSortIndexList : public TIntList {
 public:
  using TIntList::TIntList;
  static constexpr unsigned kDescendingBit = 0x80000000u;
  static int ColumnOf(int item) { return static_cast<int>(static_cast<unsigned>(item) & ~kDescendingBit); }
  static bool IsAscending(int item) { return (static_cast<unsigned>(item) & kDescendingBit) == 0; }

  void AddIndex(int col, bool ascending);
  // Position of the first item of the column, -1 when none.
  int FindIndex(int col) const;
  // Through the item write, so OnChange hears of it.
  void SetDirection(int index, bool ascending);
  // Flips the direction of the column's first item; nothing when absent.
  void ToggleDirection(int col);
};

// A hidden row: its real index, its height when it was hidden, and its cells
// in real-column order, each text with its cell's TCellProperties (or
// nullptr) as the object. The string grid owns those objects while the row
// is hidden and frees them if the row never comes back. The cells are the
// store's own row record, taken over whole: a filter hides tens of
// thousands of rows at once, and each row goes out and back in without a
// single text or slot moving one by one.
class TGridItem : public TCollectionItem {
 public:
  using TCells = TStringGrid::TRowCells;
  explicit TGridItem(TCollection* collection) : TCollectionItem(collection) {}
  int Idx() const { return idx_; }
  void SetIdx(int v) { idx_ = v; }
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  // The row record's Key (TStringGrid::RowKey), kept while the row is hidden.
  int Key() const { return cells_.Key; }

  // ---- the cells; reads past the last cell give "" and nullptr
  int CellCount() const { return static_cast<int>(cells_.Texts.size()); }
  const AnsiString& CellText(int col) const;
  TObject* CellObject(int col) const;
  void SetCellObject(int col, TObject* object);
  void ReserveCells(int count);
  void AppendCell(AnsiString&& text, TObject* object);
  // Takes a store row as the first cells and makes room for count cells in
  // all (the cells past the row's are empty until PutCell fills them).
  void AdoptCells(TCells&& cells, int count);
  void PutCell(int col, AnsiString&& text, TObject* object);
  // Hands the cells back for the store: the first count of them, with the
  // item's height; the item is left without cells.
  TCells ReleaseCells(int count);
  // Moves the text out (the cell is left empty).
  AnsiString TakeText(int col);
  // Empty cells come in at col (nothing when col is past the last cell);
  // deleted cells' objects are the caller's to free first.
  void InsertCells(int col, int count);
  void DeleteCells(int col, int count);
  void Assign(const TPersistent* source) override;

 private:
  int idx_ = 0;
  int height_ = 0;
  // Objects is no longer than Texts and may be shorter (most rows have no
  // cell objects, or few at the front): slots past its end are empty. The
  // record's own Height is unused (height_ is the item's).
  TCells cells_;
};

// A control placed on a cell.
struct TCellControl {
  int Col = 0;
  int Row = 0;
  TControl* Control = nullptr;
};

// The controls placed on cells. Deleting a record, or the list, never frees
// the control.
class TControlList : public TObject {
 public:
  int Count() const { return static_cast<int>(items_.size()); }
  TCellControl& Items(int index) { return items_.at(static_cast<std::size_t>(index)); }
  const TCellControl& Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  void Add(int col, int row, TControl* control) { items_.push_back({col, row, control}); }
  void Delete(int index) { items_.erase(items_.begin() + index); }
  void Clear() { items_.clear(); }
  // The record of the control on (col, row), -1 when none.
  int IndexOfCell(int col, int row) const;

 private:
  std::vector<TCellControl> items_;
};
