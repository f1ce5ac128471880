// Input of the grid base: keyboard navigation, mouse selection, sizing and
// moving of columns and rows, auto-scroll while dragging, the scroll bars,
// the wheel, focus and the mouse cursor.
//
// Mouse calls:
//   MouseDown -> CalcSizingState -> gsColSizing / gsRowSizing (sizing line)
//             -> a scrolling cell: editor (goEditing) or gsSelecting + timer
//             -> a fixed cell with goRowMoving / goColMoving: Begin...Drag + timer
//   MouseMove -> MoveAnchor (selecting) / MoveAndScroll (moving) / sizing line
//   WMTimer   -> TimedScroll (selecting) / MoveAndScroll (moving)
//   MouseUp   -> the new width or height / MoveColumn / MoveRow / UpdateEdit
#include <algorithm>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/Grids.h"

namespace {

constexpr UINT kScrollInterval = 60;  // ms between auto-scroll steps

}  // namespace

bool TCustomGrid::IsActiveControl() const {
  if (!HandleAllocated()) return false;
  if (Focused()) return true;
  return inplaceEdit_ && inplaceEdit_->HandleAllocated() && inplaceEdit_->Focused();
}

bool TCustomGrid::CanGridAcceptKey(Word key, TShiftState shift) { return true; }

// ================================================================= keyboard

void TCustomGrid::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  if (key == 0) return;
  if (!CanGridAcceptKey(key, shift)) key = 0;
  TGridCoord newCurrent = current_;
  TGridCoord newTopLeft = topLeft_;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const int pageWidth = std::max(info.Horz.LastFullVisibleCell - topLeft_.X, 1);
  const int pageHeight = std::max(info.Vert.LastFullVisibleCell - topLeft_.Y, 1);
  const bool rowSelect = options_.contains(goRowSelect);
  bool moveAnchor = !shift.contains(ssShift);
  if (shift.contains(ssCtrl)) {
    switch (key) {
      case VK_UP: --newTopLeft.Y; break;
      case VK_DOWN: ++newTopLeft.Y; break;
      case VK_LEFT:
        if (!rowSelect) {
          newCurrent.X -= pageWidth;
          newTopLeft.X -= pageWidth;
        }
        break;
      case VK_RIGHT:
        if (!rowSelect) {
          newCurrent.X += pageWidth;
          newTopLeft.X += pageWidth;
        }
        break;
      case VK_PRIOR: newCurrent.Y = topLeft_.Y; break;
      case VK_NEXT: newCurrent.Y = info.Vert.LastFullVisibleCell; break;
      case VK_HOME:
        newCurrent.X = fixedCols_;
        newCurrent.Y = fixedRows_;
        break;
      case VK_END:
        newCurrent.X = colCount_ - 1;
        newCurrent.Y = rowCount_ - 1;
        break;
      default: break;
    }
  } else {
    switch (key) {
      case VK_UP: --newCurrent.Y; break;
      case VK_DOWN: ++newCurrent.Y; break;
      case VK_LEFT:
        if (rowSelect) --newTopLeft.X;
        else --newCurrent.X;
        break;
      case VK_RIGHT:
        if (rowSelect) ++newTopLeft.X;
        else ++newCurrent.X;
        break;
      case VK_NEXT:
        newCurrent.Y += pageHeight;
        newTopLeft.Y += pageHeight;
        break;
      case VK_PRIOR:
        newCurrent.Y -= pageHeight;
        newTopLeft.Y -= pageHeight;
        break;
      case VK_HOME:
        if (rowSelect) newCurrent.Y = fixedRows_;
        else newCurrent.X = fixedCols_;
        break;
      case VK_END:
        if (rowSelect) newCurrent.Y = rowCount_ - 1;
        else newCurrent.X = colCount_ - 1;
        break;
      case VK_TAB:
        if (!shift.contains(ssAlt)) {
          // To the next (previous) column that is a tab stop, wrapping into
          // the next (previous) row; a full round ends where it started.
          const bool back = shift.contains(ssShift);
          do {
            if (back) {
              if (--newCurrent.X < fixedCols_) {
                newCurrent.X = colCount_ - 1;
                if (--newCurrent.Y < fixedRows_) newCurrent.Y = rowCount_ - 1;
              }
            } else if (++newCurrent.X >= colCount_) {
              newCurrent.X = fixedCols_;
              if (++newCurrent.Y >= rowCount_) newCurrent.Y = fixedRows_;
            }
          } while (!TabStops(newCurrent.X) && newCurrent.X != current_.X);
          moveAnchor = true;
        }
        break;
      case VK_F2: SetEditorMode(true); break;
      default: break;
    }
  }
  const TGridCoord maxTopLeft = CalcMaxTopLeft(TGridCoord{colCount_ - 1, rowCount_ - 1}, info);
  newTopLeft.X = std::max(std::min(newTopLeft.X, maxTopLeft.X), fixedCols_);
  newTopLeft.Y = std::max(std::min(newTopLeft.Y, maxTopLeft.Y), fixedRows_);
  if (!(newTopLeft == topLeft_)) MoveTopLeft(newTopLeft.X, newTopLeft.Y);
  newCurrent.X = std::clamp(newCurrent.X, fixedCols_, colCount_ - 1);
  newCurrent.Y = std::clamp(newCurrent.Y, fixedRows_, rowCount_ - 1);
  if (!(newCurrent == current_)) FocusCell(newCurrent.X, newCurrent.Y, moveAnchor);
}

void TCustomGrid::KeyPress(char& key) {
  TCustomControl::KeyPress(key);
  if (!options_.contains(goAlwaysShowEditor) && key == '\r') {
    if (editorMode_) HideEditor();
    else ShowEditor();
    key = 0;
  }
}

void TCustomGrid::WMChar(TMessage& m) {
  const unsigned char ch = static_cast<unsigned char>(m.WParam & 0xFF);
  if (options_.contains(goEditing) && (ch == 8 || ch >= 32)) {
    ShowEditorChar(static_cast<char>(ch));
  } else {
    TCustomControl::WMChar(m);
  }
}

void TCustomGrid::WMGetDlgCode(TMessage& m) {
  m.Result = DLGC_WANTARROWS;
  if (options_.contains(goRowSelect)) return;
  if (options_.contains(goTabs)) m.Result |= DLGC_WANTTAB;
  if (options_.contains(goEditing)) m.Result |= DLGC_WANTCHARS;
}

// ================================================================= mouse

void TCustomGrid::CalcSizingState(int x, int y, TGridState& state, int& index, int& sizingPos,
                                  int& sizingOfs, TGridDrawInfo& fixedInfo) {
  state = gsNormal;
  index = -1;
  if (!options_.contains(goColSizing) && !options_.contains(goRowSizing)) return;
  auto calcAxisState = [&](const TGridAxisDrawInfo& axis, int pos, TGridState newState) {
    int line = axis.FixedBoundary;
    int range = axis.EffectiveLineWidth;
    int back = 0;
    // A thin line is hard to hit: the zone is at least 7 pixels wide.
    if (range < 7) {
      range = 7;
      back = (range - axis.EffectiveLineWidth) / 2;
    }
    for (int i = axis.FirstGridCell; i < axis.GridCellCount; ++i) {
      line += axis.GetExtent(i);
      if (line > axis.GridBoundary) break;
      if (pos >= line - back && pos <= line - back + range) {
        state = newState;
        sizingPos = line;
        sizingOfs = line - pos;
        index = i;
        return;
      }
      line += axis.EffectiveLineWidth;
    }
  };
  if (x > fixedInfo.Horz.FixedBoundary && options_.contains(goColSizing)) {
    if (y >= fixedInfo.Vert.FixedBoundary) return;
    calcAxisState(fixedInfo.Horz, x, gsColSizing);
  } else if (y > fixedInfo.Vert.FixedBoundary && options_.contains(goRowSizing)) {
    if (x >= fixedInfo.Horz.FixedBoundary) return;
    calcAxisState(fixedInfo.Vert, y, gsRowSizing);
  }
}

bool TCustomGrid::BeginColumnDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }
bool TCustomGrid::BeginRowDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }
bool TCustomGrid::CheckColumnDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }
bool TCustomGrid::CheckRowDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }
bool TCustomGrid::EndColumnDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }
bool TCustomGrid::EndRowDrag(int& origin, int& destination, const TPoint& mousePt) { return true; }

void TCustomGrid::StartScrollTimer() {
  if (!HandleAllocated()) return;
  SetTimer(Handle(), kScrollTimerId, kScrollInterval);
  scrollTimerOn_ = true;
}

void TCustomGrid::StopScrollTimer() {
  if (!scrollTimerOn_) return;
  scrollTimerOn_ = false;
  if (HandleAllocated()) KillTimer(Handle(), kScrollTimerId);
}

void TCustomGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  lastMouse_ = TPoint{x, y};
  HideEdit();
  if (CanFocus() && !IsActiveControl()) {
    SetFocus();
    // Another control that keeps the focus (its exit handler refused to let
    // go) keeps the mouse away from the grid too.
    TWinControl* focused = TWinControl::FocusedControl();
    if (focused && !IsActiveControl()) {
      SetMouseCapture(false);
      return;
    }
  }
  if (button == mbLeft && shift.contains(ssDouble)) {
    // The double click itself went to DblClick already.
  } else if (button == mbLeft) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    CalcSizingState(x, y, gridState_, sizingIndex_, sizingPos_, sizingOfs_, info);
    if (gridState_ != gsNormal) {
      DrawSizingLine();
      TCustomControl::MouseDown(button, shift, x, y);
      return;
    }
    const TGridCoord cellHit = CalcCoordFromPoint(x, y, info);
    if (cellHit.X >= fixedCols_ && cellHit.Y >= fixedRows_) {
      if (options_.contains(goEditing)) {
        if (cellHit == current_) {
          ShowEditor();
        } else {
          MoveCurrent(cellHit.X, cellHit.Y, true, true);
          UpdateEdit();
        }
        Click();
      } else {
        gridState_ = gsSelecting;
        StartScrollTimer();
        if (shift.contains(ssShift)) MoveAnchor(cellHit);
        else MoveCurrent(cellHit.X, cellHit.Y, true, true);
      }
    } else if (options_.contains(goRowMoving) && cellHit.X >= 0 && cellHit.X < fixedCols_ &&
               cellHit.Y >= fixedRows_) {
      moveIndex_ = cellHit.Y;
      movePos_ = moveIndex_;
      if (BeginRowDrag(moveIndex_, movePos_, TPoint{x, y})) {
        gridState_ = gsRowMoving;
        DrawMove();
        StartScrollTimer();
      }
    } else if (options_.contains(goColMoving) && cellHit.Y >= 0 && cellHit.Y < fixedRows_ &&
               cellHit.X >= fixedCols_) {
      moveIndex_ = cellHit.X;
      movePos_ = moveIndex_;
      if (BeginColumnDrag(moveIndex_, movePos_, TPoint{x, y})) {
        gridState_ = gsColMoving;
        DrawMove();
        StartScrollTimer();
      }
    }
  }
  TCustomControl::MouseDown(button, shift, x, y);
}

void TCustomGrid::MoveAndScroll(int mouse, int cellHit, TGridDrawInfo& info, bool columns,
                                const TPoint& mousePt) {
  const TGridAxisDrawInfo* axis = columns ? &info.Horz : &info.Vert;
  const int bar = columns ? SB_HORZ : SB_VERT;
  if (cellHit == movePos_) return;
  if (movePos_ == axis->FixedCellCount && mouse < axis->FixedBoundary) return;
  if (movePos_ == axis->GridCellCount - 1 && mouse > axis->GridBoundary) return;
  if (mouse < axis->FixedBoundary) {
    if (movePos_ > axis->FixedCellCount) {
      ModifyScrollBar(bar, SB_LINEUP, 0);
      CalcDrawInfo(info);
      axis = columns ? &info.Horz : &info.Vert;
    }
    cellHit = axis->FirstGridCell;
  } else if (mouse >= axis->FullVisBoundary) {
    if (movePos_ == axis->LastFullVisibleCell && movePos_ < axis->GridCellCount - 1) {
      ModifyScrollBar(bar, SB_LINEDOWN, 0);
      CalcDrawInfo(info);
      axis = columns ? &info.Horz : &info.Vert;
    }
    cellHit = axis->LastFullVisibleCell;
  } else if (cellHit < 0) {
    cellHit = movePos_;
  }
  const bool allowed = columns ? CheckColumnDrag(moveIndex_, cellHit, mousePt)
                               : CheckRowDrag(moveIndex_, cellHit, mousePt);
  if (allowed) movePos_ = cellHit;
  DrawMove();
}

void TCustomGrid::MouseMove(TShiftState shift, int x, int y) {
  lastMouse_ = TPoint{x, y};
  TGridDrawInfo info;
  CalcDrawInfo(info);
  switch (gridState_) {
    case gsSelecting:
    case gsColMoving:
    case gsRowMoving: {
      const TGridCoord cellHit = CalcCoordFromPoint(x, y, info);
      if (gridState_ == gsSelecting) {
        if (cellHit.X >= fixedCols_ && cellHit.Y >= fixedRows_ &&
            cellHit.X <= info.Horz.LastFullVisibleCell + 1 &&
            cellHit.Y <= info.Vert.LastFullVisibleCell + 1 && !(cellHit == anchor_)) {
          MoveAnchor(cellHit);
        }
      } else if (gridState_ == gsColMoving) {
        MoveAndScroll(x, cellHit.X, info, true, TPoint{x, y});
      } else {
        MoveAndScroll(y, cellHit.Y, info, false, TPoint{x, y});
      }
      break;
    }
    case gsColSizing:
    case gsRowSizing:
      DrawSizingLine();
      sizingPos_ = (gridState_ == gsRowSizing ? y : x) + sizingOfs_;
      DrawSizingLine();
      break;
    default: {
      // The split cursor over a sizing zone, the control's own elsewhere.
      if (QWidget* w = WidgetOf(this)) {
        TGridState state;
        int index, pos, ofs;
        CalcSizingState(x, y, state, index, pos, ofs, info);
        if (state == gsColSizing) w->setCursor(QtCursor(crHSplit));
        else if (state == gsRowSizing) w->setCursor(QtCursor(crVSplit));
        else if (Cursor() == crDefault) w->unsetCursor();
        else w->setCursor(QtCursor(Cursor()));
      }
      break;
    }
  }
  TCustomControl::MouseMove(shift, x, y);
}

void TCustomGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  struct Normal {
    TGridState& state;
    ~Normal() { state = gsNormal; }
  } normal{gridState_};
  lastMouse_ = TPoint{x, y};
  switch (gridState_) {
    case gsSelecting:
      MouseMove(shift, x, y);
      StopScrollTimer();
      UpdateEdit();
      Click();
      break;
    case gsColSizing:
    case gsRowSizing: {
      DrawSizingLine();
      TGridDrawInfo info;
      CalcDrawInfo(info);
      const bool cols = gridState_ == gsColSizing;
      const TGridAxisDrawInfo& axis = cols ? info.Horz : info.Vert;
      int start = axis.FixedBoundary;
      for (int i = axis.FirstGridCell; i < sizingIndex_; ++i) start += axis.GetExtent(i) + axis.EffectiveLineWidth;
      const int newSize = sizingPos_ - start;
      gridState_ = gsNormal;
      if (newSize > 1) {
        if (cols) SetColWidths(sizingIndex_, newSize);
        else SetRowHeights(sizingIndex_, newSize);
      }
      break;
    }
    case gsColMoving:
    case gsRowMoving: {
      const bool cols = gridState_ == gsColMoving;
      StopScrollTimer();
      gridState_ = gsNormal;
      DrawMove();
      TPoint pt{x, y};
      const bool ok = cols ? EndColumnDrag(moveIndex_, movePos_, pt) : EndRowDrag(moveIndex_, movePos_, pt);
      if (ok && moveIndex_ != movePos_) {
        if (cols) MoveColumn(moveIndex_, movePos_);
        else MoveRow(moveIndex_, movePos_);
      }
      UpdateEdit();
      break;
    }
    default:
      UpdateEdit();
      break;
  }
  gridState_ = gsNormal;
  TCustomControl::MouseUp(button, shift, x, y);
}

void TCustomGrid::TimedScroll(unsigned direction) {
  TGridCoord newAnchor = anchor_;
  if ((direction & sdLeft) && anchor_.X > fixedCols_) --newAnchor.X;
  if ((direction & sdRight) && anchor_.X < colCount_ - 1) ++newAnchor.X;
  if ((direction & sdUp) && anchor_.Y > fixedRows_) --newAnchor.Y;
  if ((direction & sdDown) && anchor_.Y < rowCount_ - 1) ++newAnchor.Y;
  if (!(newAnchor == anchor_)) MoveAnchor(newAnchor);
}

void TCustomGrid::WMTimer(TMessage& m) {
  if (m.WParam != kScrollTimerId ||
      (gridState_ != gsSelecting && gridState_ != gsRowMoving && gridState_ != gsColMoving)) {
    TCustomControl::WMTimer(m);
    return;
  }
  // Where the mouse was last seen: with the mouse captured, moves outside
  // the window arrive too.
  const TPoint pt = lastMouse_;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TGridCoord cellHit = CalcCoordFromPoint(pt.X, pt.Y, info);
  if (gridState_ == gsColMoving) {
    MoveAndScroll(pt.X, cellHit.X, info, true, pt);
  } else if (gridState_ == gsRowMoving) {
    MoveAndScroll(pt.Y, cellHit.Y, info, false, pt);
  } else {
    unsigned direction = 0;
    if (pt.X < info.Horz.FixedBoundary) direction |= sdLeft;
    else if (pt.X > info.Horz.FullVisBoundary) direction |= sdRight;
    if (pt.Y < info.Vert.FixedBoundary) direction |= sdUp;
    else if (pt.Y > info.Vert.FullVisBoundary) direction |= sdDown;
    if (direction != 0) TimedScroll(direction);
  }
}

bool TCustomGrid::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelDown(shift, mousePos)) return true;
  if (current_.Y < rowCount_ - 1) SetRow(current_.Y + 1);
  return true;
}

bool TCustomGrid::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  if (TCustomControl::DoMouseWheelUp(shift, mousePos)) return true;
  if (current_.Y > fixedRows_) SetRow(current_.Y - 1);
  return true;
}

void TCustomGrid::DblClick() { TCustomControl::DblClick(); }

void TCustomGrid::CancelMode() {
  const TGridState state = gridState_;
  gridState_ = gsNormal;
  StopScrollTimer();
  if (state == gsColSizing || state == gsRowSizing || state == gsColMoving || state == gsRowMoving) {
    Invalidate();
  }
}

void TCustomGrid::WMCancelMode(TMessage& m) {
  CancelMode();
  TCustomControl::WMCancelMode(m);
}

// ================================================================= focus, scroll bars, size

void TCustomGrid::DoEnter() {
  // Back from the grid's own editor: the focus never left the grid.
  if (focusInEditor_) {
    focusInEditor_ = false;
    return;
  }
  TCustomControl::DoEnter();
}

void TCustomGrid::DoExit() {
  // Focus that went into the grid's own editor has not left the grid.
  if (inplaceEdit_ && TWinControl::FocusedControl() == inplaceEdit_) {
    focusInEditor_ = true;
    return;
  }
  focusInEditor_ = false;
  TCustomControl::DoExit();
  if (!options_.contains(goAlwaysShowEditor)) HideEditor();
}

void TCustomGrid::WMSetFocus(TMessage& m) {
  TCustomControl::WMSetFocus(m);
  InvalidateSelection(Selection());
  UpdateEdit();
}

void TCustomGrid::WMKillFocus(TMessage& m) {
  TCustomControl::WMKillFocus(m);
  InvalidateSelection(Selection());
  if (inplaceEdit_ && TWinControl::FocusedControl() != inplaceEdit_) HideEdit();
  CancelMode();
}

void TCustomGrid::WMHScroll(TMessage& m) {
  ModifyScrollBar(SB_HORZ, m.WParamLo(), m.WParamHi());
}

void TCustomGrid::WMVScroll(TMessage& m) {
  ModifyScrollBar(SB_VERT, m.WParamLo(), m.WParamHi());
}

void TCustomGrid::WMSize(TMessage& m) {
  TCustomControl::WMSize(m);
  UpdateScrollRange();
  if (inplaceEdit_ && editorMode_) UpdateEdit();
}

void TCustomGrid::WMSetCursor(TMessage& m) { TCustomControl::WMSetCursor(m); }

void TCustomGrid::CMFontChanged(TMessage& m) {
  if (inplaceEdit_) inplaceEdit_->SetFont(Font());
  TCustomControl::CMFontChanged(m);
}

void TCustomGrid::InitWindowHandle() {
  TCustomControl::InitWindowHandle();
  UpdateScrollRange();
}

// ================================================================= helpers of the grid family

void TCustomGrid::ShowGridCursor(TCursor cursor) {
  QWidget* w = WidgetOf(this);
  if (!w) return;
  if (cursor == crDefault) cursor = Cursor();
  if (cursor == crDefault) w->unsetCursor();
  else w->setCursor(QtCursor(cursor));
}

void TCustomGrid::FocusNextControl(bool forward) {
  QWidget* w = WidgetOf(this);
  if (!w) return;
  QWidget* next = w;
  // One round of the focus chain at most; the grid's own children (its
  // editors) are no next control.
  for (int guard = 0; guard < 10000; ++guard) {
    next = forward ? next->nextInFocusChain() : next->previousInFocusChain();
    if (!next || next == w) return;
    if (w->isAncestorOf(next)) continue;
    if ((next->focusPolicy() & Qt::TabFocus) && next->isVisible() && next->isEnabled() &&
        next->window() == w->window()) {
      next->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}
