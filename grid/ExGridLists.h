// The grid's integer lists: column lists with a change event (auto-merged
// columns, sort orders, image indexes of a cell).
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Classes.h"

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
