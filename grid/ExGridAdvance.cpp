// Cursor advance on Enter and look-up typing of the string grid.
//
// Sections:
//   Entering cells ....... CanEnterCell
//   Advance .............. AdvanceCell, one step at a time (AdvanceStep),
//                          then what the reached cell needs (FinishAdvance)
//   Look-up .............. GetPlainText, LookupRow
//   Key press ............ Escape, Enter, look-up typing
//
// Call tree of an Enter:
//   KeyPress('\r') -> AdvanceCell -> AdvanceStep (wrap, append a row or column)
//     -> CanEnterCell -> OnCellChanging -> SetCol / SetRowNotify
//     -> FinishAdvance (editor, check boxes and buttons)
//
// The advance walks at most one pass over the grid: a grid in which no cell
// can be entered (every column read-only, editing off, or a handler that
// refuses every cell) leaves the cursor where it was instead of going round
// for ever.
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------- entering cells

bool TExStringGrid::CanEnterCell(int col, int row) {
  if (!Options().contains(goEditing) && !mouseActions_->RangeSelectAndEdit() && !openingEditor_)
    return false;
  if (col < 0 || row < 0 || col >= RealColCount() || row >= RowCount()) return false;
  const TPoint base = BaseCellOf(col, row);
  bool canEdit = true;
  CanEditCell(base.X, base.Y, canEdit);
  if (!canEdit) return false;
  bool fixed = false;
  IsFixedCellQuery(base.X, base.Y, fixed);
  return !fixed;
}

// ------------------------------------------------------------- advance

namespace {

// The editor kinds whose editor stays open once the advance has moved on.
bool KeepsTextEditor(TEditorType editor) {
  switch (editor) {
    case edNormal: case edNumeric: case edPositiveNumeric: case edFloat: case edCapital:
    case edMixedCase: case edPassword: case edLowerCase: case edUpperCase:
      return true;
    default:
      return false;
  }
}

// Where the last character of text starts: a Hangul syllable is a lead byte
// and the byte after it; a lead byte at the very end waits for its trail.
std::size_t LastCharStart(const AnsiString& text, bool& loneLead) {
  std::size_t i = 0;
  std::size_t start = 0;
  loneLead = false;
  while (i < text.size()) {
    start = i;
    if (IsLeadByte(static_cast<unsigned char>(text[i]))) {
      if (i + 1 == text.size()) loneLead = true;
      i += 2;
    } else {
      ++i;
    }
  }
  return start;
}

}  // namespace

// One move of the advance from (col, row) (display column); false when the
// advance must end here (an appended row or column that cannot be entered).
bool TExStringGrid::AdvanceStep(int& col, int& row, bool forward) {
  const int firstCol = FixedCols() == 0 && HasNodes() ? 1 : FixedCols();
  int rightFixed = FixedRightCols();
  if (rightFixed > 0 && HiddenColumnCount() > 0) {
    rightFixed = 0;
    for (int c = std::max(0, RealColCount() - FixedRightCols()); c < RealColCount(); ++c)
      if (!IsColumnHidden(c)) ++rightFixed;
  }
  const int lastCol = ColCount() - 1 - rightFixed;
  const int lastRow = RowCount() - 1 - FixedFooters();
  const int spanX = CellSpan(RealColIndex(col), row).X;

  auto anyEnterableInRow = [&](int r) {
    for (int c = FixedCols(); c < ColCount(); ++c)
      if (CanEnterCell(RealColIndex(c), r)) return true;
    return false;
  };
  auto anyEnterableInCol = [&](int c) {
    for (int r = FixedRows(); r <= RowCount() - 1 - FixedFooters(); ++r)
      if (CanEnterCell(RealColIndex(c), r)) return true;
    return false;
  };

  if (forward && navigation_->AdvanceDirection() == adLeftRight) {
    if (col + spanX < lastCol) {
      col += 1 + spanX;
    } else if (row < lastRow) {
      col = firstCol;
      ++row;
    } else if (navigation_->AdvanceInsert()) {
      bool canAdd = true;
      DoCanAddRow(canAdd);
      if (OnCanAddRow) OnCanAddRow(this, canAdd);
      col = firstCol;
      if (canAdd) {
        AddRow();
        ++row;
        if (OnAutoAddRow) OnAutoAddRow(this, row);
        if (!anyEnterableInRow(row)) return false;
      }
    } else {
      row = FixedRows();
      col = firstCol;
    }
  } else if (forward) {
    if (row >= lastRow) {
      if (col != ColCount() - 1 - FixedRightCols()) {
        row = FixedRows();
        if (++col >= ColCount()) col = firstCol;
      } else if (navigation_->AdvanceInsert()) {
        SetColCount(ColCount() + 1);
        col += 1 + spanX;
        row = FixedRows();
        if (OnAutoInsertCol) OnAutoInsertCol(this, ColCount() - 1 - FixedRightCols());
        // A column that cannot be entered would only be followed by the next one.
        if (col >= ColCount() || !anyEnterableInCol(col)) return false;
      } else {
        row = FixedRows();
        col = firstCol;
      }
      Invalidate();
    } else {
      ++row;
    }
  } else if (navigation_->AdvanceDirection() == adLeftRight) {
    if (col <= firstCol) {
      row = row <= FixedRows() ? lastRow : row - 1;
      col = ColCount() - 1 - FixedRightCols();
    } else {
      --col;
    }
  } else {
    if (row <= FixedRows()) {
      col = col <= firstCol ? ColCount() - 1 - FixedRightCols() : col - 1;
      row = lastRow;
    } else {
      --row;
    }
  }
  return true;
}

void TExStringGrid::AdvanceCell(int col, int row, bool repeated, bool forward, bool anyCell, bool force) {
  if (!navigation_->AdvanceOnEnter() && !force) return;
  if (mouseActions_->RangeSelectAndEdit() && !Options().contains(goEditing))
    SetOptions(Options() + TGridOptions{goEditing});
  if (!repeated) {
    advanceStartCol_ = col;
    advanceStartRow_ = row;
  }
  const int departCol = col;
  const int departRow = row;
  // One pass over every cell (plus the rows and columns the advance may
  // append) is enough to meet every cell that can be entered.
  const long long limit = (static_cast<long long>(ColCount()) + 2) * (RowCount() + 2);
  for (long long step = 0; step < limit; ++step) {
    if (!AdvanceStep(col, row, forward)) return;
    if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return;
    if (!CanEnterCell(RealColIndex(col), row)) {
      if (col == departCol && row == departRow) return;  // round the grid and back
      continue;
    }
    bool allow = true;
    if (OnCellChanging) OnCellChanging(this, advanceStartRow_, advanceStartCol_, row, col, allow);
    advanceMoving_ = true;
    if (!allow) {
      FocusCell(departCol, departRow, true);
      advanceMoving_ = false;
      return;
    }
    SetCol(col);
    SetRowNotify(row);
    FinishAdvance(departCol, departRow, anyCell);
    return;
  }
}

void TExStringGrid::FinishAdvance(int departCol, int departRow, bool anyCell) {
  const int col = Col();
  const int row = Row();
  const bool reachedControl = HasCheckOrRadio(RealColIndex(col), row);
  if (!anyCell && !reachedControl) {
    advanceMoving_ = false;
    return;
  }
  if (CanEnterCell(RealColIndex(col), row)) ShowEditor();
  if (reachedControl) {
    SetCol(departCol);
    SetRow(departRow);
    SetCol(col);
    SetRow(row);
    if (!HasCheckOrRadio(RealColIndex(departCol), departRow)) {
      const TPoint base = BaseCellOf(RealColIndex(col), row);
      const TRect rect = MergedCellRect(DisplColIndex(base.X), base.Y);
      MouseDown(mbLeft, TShiftState{}, rect.Left + 2, rect.Top + 2);
      MouseUp(mbLeft, TShiftState{}, rect.Left + 2, rect.Top + 2);
      if (navigation_->AdvanceDirection() == adTopBottom) HideEditor();
    }
  }
  advanceMoving_ = false;
  if (OnCellChanging) {
    bool allow = true;  // the move has happened; the answer changes nothing
    OnCellChanging(this, departRow, departCol, Row(), Col(), allow);
  }
  TEditorType editor = edNormal;
  GetCellEditor(RealColIndex(departCol), departRow, editor);
  if (!KeepsTextEditor(editor)) HideEditor();
}

// ------------------------------------------------------------- look-up

void TExStringGrid::GetPlainText(int col, int row, AnsiString& text) {
  GetDisplayText(col, row, text);
  if (CellTextKind(text) == 1) text = HtmlToPlainText(text);
}

int TExStringGrid::LookupRow(const AnsiString& text) {
  if (RowCount() < 2) return -1;
  const int col = sortSettings_->Show() ? sortSettings_->Column() : 1;
  if (col < 0 || col >= RealColCount()) return -1;
  const int lastRow = RowCount() - 1 - FixedFooters();
  for (int r = FixedRows(); r <= lastRow; ++r) {
    // The text as the user reads it: mark-up tags are not typed.
    AnsiString cell;
    GetPlainText(col, r, cell);
    if (cell.size() < text.size()) continue;
    if (UpperCase(std::string_view(cell).substr(0, text.size())) == text) return r;
  }
  return -1;
}

// ------------------------------------------------------------- key press

void TExStringGrid::KeyPress(char& key) {
  if (editState_ && editState_->pendingHeard) return;
  if (key == 27 && Options().contains(goEditing) && EditorMode()) {
    // The edit is given up: the cell gets its text from before the edit
    // back, and the editor closes without writing its own.
    CancelCellEdit();
    Word escape = VK_ESCAPE;
    if (!EditorLeaveKey(escape, {})) HideEditor();
    return;
  }
  if (key == '\r') {
    const bool onControl = HasCheckOrRadio(RealColIndex(Col()), Row());
    if (!Focused() || onControl) {
      AdvanceCell(Col(), Row(), false, true, false, false);
      if (HasCheckOrRadio(RealColIndex(Col()), Row())) {
        if (OnKeyPress) OnKeyPress(this, key);
        return;
      }
    }
  }
  const bool typed = key == 8 || static_cast<unsigned char>(key) >= 32;
  if (typed && !Options().contains(goEditing) && navigation_->AutoGotoWhenSorted()) {
    // A Hangul syllable arrives as two key presses: the lead byte waits for
    // its trail byte, so the search never looks for half a character.
    bool loneLead = false;
    const std::size_t lastStart = LastCharStart(lookupText_, loneLead);
    const bool completesSyllable = key != 8 && loneLead;
    if (key == 8) {
      if (!navigation_->AutoGotoIncremental()) lookupText_.clear();
      else lookupText_.resize(lastStart);
    } else if (!navigation_->AutoGotoIncremental() && !completesSyllable) {
      lookupText_.assign(1, key);
    } else {
      lookupText_ += key;
    }
    if (key == 8 || completesSyllable || !IsLeadByte(static_cast<unsigned char>(key))) {
      const int found = lookupText_.empty() ? -1 : LookupRow(UpperCase(lookupText_));
      if (found >= 0) SetRowNotify(found);
      else lookupText_.clear();
    }
  }
  TBaseGrid::KeyPress(key);
}
