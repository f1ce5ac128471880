// Keyboard of TExStringGrid: the keys that reach what a cell shows, Home
// and End that stay in the data area, arrows that skip fixed cells, rows
// appended, inserted and deleted by key, clipboard keys, Ctrl+A, the marks
// of disjunct row and column selection, and the Tab advance.
//
//   KeyDown -> F2 arming, cell controls (Space, Enter), Home/End, Tab,
//              arrows over fixed cells, Down appending a row
//           -> TBaseGrid::KeyDown (base navigation, merged cells)
//           -> clipboard keys, Insert, Ctrl+A, disjunct marks, Delete
//           -> SelectionChanged when the selection moved
//   KeyUp   -> the look-up text ends on navigation keys (not on Home)
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/ExHtml.h"

namespace {

bool IsNavigationKey(Word key) {
  switch (key) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
      return true;
    default:
      return false;
  }
}

bool SameRect(const TGridRect& a, const TGridRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

// ------------------------------------------------------------- data area

int TExStringGrid::FirstDataCol() const {
  const int fixed = TBaseGrid::FixedCols();
  return fixed == 0 && HasNodes() && ColCount() > 1 ? 1 : fixed;
}

int TExStringGrid::LastDataCol() const {
  int right = 0;
  for (int k = 0; k < fixedRightCols_; ++k)
    if (!IsColumnHidden(RealColCount() - 1 - k)) ++right;
  return std::max(ColCount() - right - 1, FirstDataCol());
}

int TExStringGrid::LastDataRow() const { return std::max(RowCount() - 1 - fixedFooters_, TBaseGrid::FixedRows()); }

bool TExStringGrid::MayEditCell(int col, int row) {
  if (col < 0 || row < 0 || col >= ColCount() || row >= RowCount()) return false;
  if (IsFixedCell(col, row)) return false;
  return CanEnterCell(RealColIndex(col), row);
}

// ------------------------------------------------------------- key down

void TExStringGrid::MoveByKey(int col, int row, TShiftState shift) {
  col = std::clamp(col, FirstDataCol(), std::max(ColCount() - 1, 0));
  row = std::clamp(row, TBaseGrid::FixedRows(), std::max(RowCount() - 1, 0));
  if (col == Col() && row == Row()) return;
  FocusCell(col, row, !shift.contains(ssShift));
}

void TExStringGrid::SyncDisjunctMarks(TShiftState shift) {
  const TGridRect sel = Selection();
  if (mouseActions_->DisjunctRowSelect()) {
    if (!shift.contains(ssShift) && !shift.contains(ssCtrl)) ClearRowSelect();
    if (!shift.contains(ssShift)) {
      SetRowSelected(SelectFlagRow(Row()), true);
    } else {
      ClearRowSelect();
      for (int r = sel.Top; r <= sel.Bottom; ++r) SetRowSelected(SelectFlagRow(r), true);
    }
    Invalidate();
  }
  if (mouseActions_->DisjunctColSelect()) {
    if (!shift.contains(ssShift) && !shift.contains(ssCtrl)) ClearColSelect();
    if (!shift.contains(ssShift)) {
      SetColSelected(Col(), true);
    } else {
      ClearColSelect();
      for (int c = sel.Left; c <= sel.Right; ++c) SetColSelected(c, true);
    }
    Invalidate();
  }
}

bool TExStringGrid::HandleControlKey(Word key) {
  const int col = RealColIndex(Col());
  const int row = Row();
  if (!IsControlCell(col, row)) return false;
  if (!Options().contains(goEditing) && !mouseActions_->RangeSelectAndEdit()) return false;
  bool state = false;
  if (key == VK_SPACE && GetCheckBoxState(col, row, state)) {
    if (ToggleCheckBox(col, row, true)) {
      GetCheckBoxState(col, row, state);
      if (OnCheckBoxClick) OnCheckBoxClick(this, Col(), row, state);
    }
    return true;
  }
  int index = 0;
  if (key == VK_SPACE && IsRadio(col, row)) {
    // The selection wraps from the last item to the first.
    if (NextRadioItem(col, row, true) && GetRadioIndex(col, row, index) && OnRadioClick)
      OnRadioClick(this, Col(), row, index);
    return true;
  }
  if (IsButton(col, row)) {
    bool canEdit = true;
    CanEditCell(col, row, canEdit);
    if (canEdit && OnButtonClick) OnButtonClick(this, Col(), row);
    RepaintCell(Col(), row);
    return true;
  }
  return false;
}

void TExStringGrid::AppendRowByKey() {
  bool canAdd = true;
  if (OnCanAddRow) OnCanAddRow(this, canAdd);
  DoCanAddRow(canAdd);
  if (!canAdd) return;
  if (floatingFooter_->FixedLastRow()) {
    // The footer stays the last row: the new row opens above it.
    InsertRows(RowCount() - 1, 1);
    ClearRows(RowCount() - 2, 1);
  } else {
    SetRowCount(RowCount() + 1);
  }
  const int newRow = LastDataRow();
  if (OnAutoAddRow) OnAutoAddRow(this, newRow);
  FocusCell(Col(), newRow, true);
  CellsChanged(Rect(0, newRow, RealColCount() - 1, newRow));
}

void TExStringGrid::InsertRowByKey() {
  int row = Row();
  bool canInsert = true;
  if (OnCanInsertRow) OnCanInsertRow(this, row, canInsert);
  DoCanInsertRow(row, canInsert);
  if (!canInsert) return;
  if (navigation_->InsertPosition() == pInsertBefore) {
    AutoInsertRow(row);
    // The new row is the one to fill.
    if (Row() != row) FocusCell(Col(), row, true);
  } else {
    // After the current row, but never below the footers.
    const int at = std::min(row + 1, RowCount() - fixedFooters_);
    AutoInsertRow(at);
    if (at < RowCount()) FocusCell(Col(), at, true);
  }
  CellsChanged(Rect(0, TBaseGrid::FixedRows(), RealColCount() - 1, RowCount() - 1));
}

void TExStringGrid::DeleteRowByKey() {
  if (RowCount() - TBaseGrid::FixedRows() - fixedFooters_ < 1) return;
  const int row = Row();
  if (row < TBaseGrid::FixedRows() || row > LastDataRow()) return;
  bool canDelete = true;
  if (OnCanDeleteRow) OnCanDeleteRow(this, row, canDelete);
  if (!canDelete) return;
  AutoDeleteRow(row);
  if (Row() > LastDataRow()) FocusCell(Col(), LastDataRow(), true);
  RememberEditCell();
  CellsChanged(Rect(0, TBaseGrid::FixedRows(), RealColCount() - 1, RowCount() - 1));
}

void TExStringGrid::KeyDown(Word& key, TShiftState shift) {
  const TGridRect oldSel = Selection();
  const int oldLeft = LeftCol();
  const bool plain = !shift.contains(ssShift) && !shift.contains(ssCtrl) && !shift.contains(ssAlt);
  const bool ctrlOnly = shift.contains(ssCtrl) && !shift.contains(ssShift) && !shift.contains(ssAlt);
  const bool rowSelect = Options().contains(goRowSelect);
  auto consumed = [&] {
    if (OnKeyDown) OnKeyDown(this, key, shift);
    key = 0;
  };
  auto selectionMoved = [&] {
    const TGridRect now = Selection();
    if (!SameRect(now, oldSel)) {
      if (selectionRectangle_) Invalidate();
      SelectionChanged(oldSel.Left, oldSel.Top, oldSel.Right, oldSel.Bottom);
    }
  };

  if (key == VK_F2 && mouseActions_->RangeSelectAndEdit() && !Options().contains(goEditing) &&
      MayEditCell(Col(), Row()))
    SetOptions(Options() + TGridOptions{goEditing});

  if ((key == VK_SPACE || key == VK_RETURN) && plain && !EditorMode() && InGrid(Col(), Row()) &&
      HandleControlKey(key)) {
    consumed();
    return;
  }

  // Home and End never end in the fixed area: not in a fixed row or column,
  // not in a footer or a fixed right column.
  if ((key == VK_HOME || key == VK_END) && !shift.contains(ssAlt) && RowCount() > TBaseGrid::FixedRows()) {
    if (fixedRowAlways_ && RowCount() == 1 && key == VK_HOME) {
      TBaseGrid::KeyDown(key, shift);
      return;
    }
    const bool home = key == VK_HOME;
    int col = Col();
    int row = Row();
    if (shift.contains(ssCtrl)) {
      col = home ? FirstDataCol() : LastDataCol();
      row = home ? TBaseGrid::FixedRows() : LastDataRow();
    } else if (navigation_->HomeEndKey() == heFirstLastRow) {
      row = home ? TBaseGrid::FixedRows() : LastDataRow();
    } else {
      col = home ? FirstDataCol() : LastDataCol();
    }
    MoveByKey(col, row, shift);
    if (rowSelect && navigation_->HomeEndKey() == heFirstLastColumn && !shift.contains(ssCtrl))
      SetLeftCol(home ? std::max(FirstDataCol(), TBaseGrid::FixedCols())
                      : std::max(ColCount() - VisibleColCount(), TBaseGrid::FixedCols()));
    if (!home && (fixedFooters_ > 0) && RowCount() - VisibleRowCount() >= TBaseGrid::FixedRows() &&
        navigation_->HomeEndKey() == heFirstLastRow)
      SetTopRow(std::max(RowCount() - fixedFooters_ - VisibleRowCount(), TBaseGrid::FixedRows()));
    SyncDisjunctMarks(shift);
    consumed();
    selectionMoved();
    return;
  }

  if (key == VK_TAB && Options().contains(goTabs) && !shift.contains(ssAlt) && !shift.contains(ssCtrl)) {
    TabAdvance(shift.contains(ssShift));
    key = 0;
    selectionMoved();
    return;
  }

  // Arrows over a run of fixed cells: on to the first cell past it, or
  // nowhere when the run reaches the edge.
  const bool arrow = key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN;
  if (arrow && plain && navigation_->SkipFixedCells() && InGrid(Col(), Row()) &&
      !(rowSelect && (key == VK_LEFT || key == VK_RIGHT))) {
    const int dx = key == VK_LEFT ? -1 : key == VK_RIGHT ? 1 : 0;
    const int dy = key == VK_UP ? -1 : key == VK_DOWN ? 1 : 0;
    const int minCol = TBaseGrid::FixedCols();
    const int maxCol = ColCount() - 1;
    const int minRow = TBaseGrid::FixedRows();
    const int maxRow = RowCount() - 1;
    int c = Col() + dx;
    int r = Row() + dy;
    const bool inside = c >= minCol && c <= maxCol && r >= minRow && r <= maxRow;
    const bool lastDataDown = key == VK_DOWN && Row() == LastDataRow();
    if (inside && IsFixedCell(c, r) && !(lastDataDown && navigation_->AppendOnArrowDown())) {
      while (c >= minCol && c <= maxCol && r >= minRow && r <= maxRow && IsFixedCell(c, r)) {
        c += dx;
        r += dy;
      }
      if (c >= minCol && c <= maxCol && r >= minRow && r <= maxRow) MoveByKey(c, r, shift);
      lookupText_.clear();
      SyncDisjunctMarks(shift);
      consumed();
      selectionMoved();
      return;
    }
  }

  if (key == VK_DOWN && plain && navigation_->AppendOnArrowDown() && Row() == LastDataRow() &&
      RowCount() > TBaseGrid::FixedRows()) {
    AppendRowByKey();
    if (OnKeyDown) OnKeyDown(this, key, shift);
    key = 0;
    selectionMoved();
    return;
  }

  // Clipboard keys, each with its veto.
  if (navigation_->AllowClipboardShortCuts() && !EditorMode()) {
    const bool cut = (ctrlOnly && key == 'X') || (shift.contains(ssShift) && !shift.contains(ssCtrl) && key == VK_DELETE);
    const bool paste =
        (ctrlOnly && key == 'V') || (shift.contains(ssShift) && !shift.contains(ssCtrl) && key == VK_INSERT);
    const bool copy = (ctrlOnly && (key == 'C' || key == VK_INSERT));
    if (cut || paste || copy) {
      bool allow = true;
      if (cut && OnClipboardCut) OnClipboardCut(this, allow);
      if (paste && OnClipboardPaste) OnClipboardPaste(this, allow);
      if (copy && OnClipboardCopy) OnClipboardCopy(this, allow);
      if (allow) {
        if (cut) CutSelectionToClipboard();
        else if (paste) PasteSelectionFromClipboard();
        else CopySelectionToClipboard();
      }
      consumed();
      selectionMoved();
      return;
    }
  }

  if (key == VK_INSERT && plain && navigation_->AllowInsertRow() && !EditorMode()) {
    InsertRowByKey();
    consumed();
    selectionMoved();
    return;
  }

  if (ctrlOnly && key == 'A' && (rowSelect || Options().contains(goRangeSelect)) &&
      RowCount() > TBaseGrid::FixedRows() && !EditorMode()) {
    TGridRect all;
    all.Left = FirstDataCol();
    all.Right = std::max(LastDataCol(), all.Left);
    all.Top = TBaseGrid::FixedRows();
    all.Bottom = LastDataRow();
    // The current cell goes to the last data cell: asked first, as every move is.
    if (!MoveAllowed(all.Right, all.Bottom)) {
      consumed();
      return;
    }
    SetSelection(all);
    if (mouseActions_->DisjunctRowSelect())
      for (int r = all.Top; r <= all.Bottom; ++r) SetRowSelected(SelectFlagRow(r), true);
    Invalidate();
    consumed();
    selectionMoved();
    return;
  }

  if (key == VK_SPACE && plain && !EditorMode() &&
      (mouseActions_->DisjunctRowSelect() || mouseActions_->DisjunctColSelect())) {
    if (mouseActions_->DisjunctRowSelect()) {
      const int flag = SelectFlagRow(Row());
      SetRowSelected(flag, !IsRowSelected(flag));
    } else {
      SetColSelected(Col(), !IsColSelected(Col()));
    }
    Invalidate();
    consumed();
    return;
  }

  if (key == VK_DELETE && !shift.contains(ssAlt) && !shift.contains(ssShift) && navigation_->AllowDeleteRow() &&
      !EditorMode()) {
    DeleteRowByKey();
    consumed();
    selectionMoved();
    return;
  }

  if (key == VK_F2) {
    RememberEditCell();
    // F2 on mark-up with form controls edits its first text control.
    const int realCol = InGrid(Col(), Row()) ? RealColIndex(Col()) : -1;
    if (realCol >= 0 && enableHTML_ && HasControlTags(GetCellText(realCol, Row())) && MayEditCell(Col(), Row())) {
      const AnsiString id = NextControlId(GetCellText(realCol, Row()), "");
      THtmlDrawResult hit;
      if (!id.empty() && HtmlHitAt(realCol, Row(), -1, -1, hit, id) && hit.ControlId == id) {
        if (StartControlEditor(Col(), Row(), id)) {
          consumed();
          return;
        }
      }
    }
  }

  const Word pressed = key;
  TBaseGrid::KeyDown(key, shift);
  // The base navigation may have stepped into a footer or a fixed right
  // column (End, Page Down, Ctrl+End): back into the data area.
  if (InGrid(Col(), Row()) && RowCount() > TBaseGrid::FixedRows() &&
      (Row() > LastDataRow() || Col() > LastDataCol()) && IsNavigationKey(pressed))
    MoveByKey(std::min(Col(), LastDataCol()), std::min(Row(), LastDataRow()), shift);
  if (rowSelect && navigation_->KeepHorizScroll() &&
      (pressed == VK_PRIOR || pressed == VK_NEXT || pressed == VK_UP || pressed == VK_DOWN) && LeftCol() != oldLeft)
    SetLeftCol(oldLeft);
  if (IsNavigationKey(pressed)) SyncDisjunctMarks(shift);
  selectionMoved();
}

// ------------------------------------------------------------- Tab advance

void TExStringGrid::TabAdvance(bool backward) {
  Word key = VK_TAB;
  const TShiftState shift = backward ? TShiftState{ssShift} : TShiftState{};
  if (OnKeyDown) {
    OnKeyDown(this, key, shift);
    if (key != VK_TAB) return;
  }
  if (RowCount() <= TBaseGrid::FixedRows() || ColCount() <= TBaseGrid::FixedCols()) return;
  const int firstCol = FirstDataCol();
  const int lastCol = LastDataCol();
  const int firstRow = TBaseGrid::FixedRows();
  const int lastRow = LastDataRow();
  int col = std::clamp(Col(), firstCol, lastCol);
  int row = std::clamp(Row(), firstRow, lastRow);
  const TPoint base = BaseCellOf(RealColIndex(col), row);
  const TCellProperties* props = FindCellProperties(base.X, base.Y);
  const int spanX = props ? std::max(props->CellSpanX(), 0) : 0;
  const int spanY = props ? std::max(props->CellSpanY(), 0) : 0;
  bool leaveGrid = false;
  if (navigation_->TabAdvanceDirection() == adLeftRight) {
    if (!backward) {
      col = DisplColIndex(base.X) + spanX + 1;
      if (col > lastCol) {
        col = firstCol;
        if (++row > lastRow) {
          row = firstRow;
          leaveGrid = navigation_->TabToNextAtEnd();
        }
      }
    } else if (--col < firstCol) {
      col = lastCol;
      if (--row < firstRow) row = lastRow;
    }
  } else {
    if (!backward) {
      row = base.Y + spanY + 1;
      if (row > lastRow) {
        row = firstRow;
        if (++col > lastCol) {
          col = firstCol;
          leaveGrid = navigation_->TabToNextAtEnd();
        }
      }
    } else if (--row < firstRow) {
      row = lastRow;
      if (--col < firstCol) col = lastCol;
    }
  }
  FocusCell(col, row, true);
  if (leaveGrid && Parent()) {
    // The focus moves on to the next control of the form.
    FocusNextControl(true);
  } else if (navigation_->AlwaysEdit() && CanFocus() && !Focused()) {
    SetFocus();
  }
}

// ------------------------------------------------------------- key up

void TExStringGrid::KeyUp(Word& key, TShiftState shift) {
  switch (key) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_LEFT: case VK_UP: case VK_RIGHT: case VK_DOWN:
    case VK_INSERT: case VK_DELETE:
      lookupText_.clear();
      break;
    default:
      break;
  }
  const Word pressed = key;
  TBaseGrid::KeyUp(key, shift);
  const bool arrow = pressed == VK_LEFT || pressed == VK_RIGHT || pressed == VK_UP || pressed == VK_DOWN;
  if (navigation_->AlwaysEdit() && (arrow || (pressed == VK_TAB && Options().contains(goTabs))) && InGrid(Col(), Row()) &&
      !IsControlCell(RealColIndex(Col()), Row()) && !EditorMode() && MayEditCell(Col(), Row()))
    ShowEditor();
}

// ------------------------------------------------------------- focus

void TExStringGrid::WMSetFocus(TMessage& m) {
  TBaseGrid::WMSetFocus(m);
  // With AlwaysEdit the grid edits the current cell as soon as it has the
  // focus, unless the cell shows a control or a move is running.
  if (!navigation_->AlwaysEdit() || EditorMode() || !InGrid(Col(), Row())) return;
  if (GridState() == gsColMoving || GridState() == gsRowMoving) return;
  const int realCol = RealColIndex(Col());
  if (IsControlCell(realCol, Row()) || !MayEditCell(Col(), Row())) return;
  const TRect r = CellRect(Col(), Row());
  if (r.Right <= r.Left || r.Bottom <= r.Top) return;
  if (!mouseActions_->DirectEdit() && !HasComboBox(realCol, Row()) && !Options().contains(goEditing)) return;
  SetOpeningEditor(true);
  ShowEditor();
  SetOpeningEditor(false);
}
