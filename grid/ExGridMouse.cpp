// Mouse of TExStringGrid: clicks on what a cell shows (node glyphs, check
// boxes, radio groups, buttons, anchors), row, column and whole-grid
// selection from the fixed cells, disjunct marks, the start of a drag,
// header sorting, double clicks on header borders, the right button, hit
// zones and their cursors, anchor hovering, cell hints, the wheel, panning
// with the middle button, and the grid's own timer (hovering, blinking).
//
//   MouseDown (left) -> node glyph | radio | check box | button | anchor
//                    -> zone selection (corner, header, fixed column)
//                    -> pending drag on a selected cell | base selection
//   MouseMove        -> drag start past 3 pixels | zone range extension
//                    -> hit zone and cursor, anchor hover, sizing hint
//   MouseUp (left)   -> button release, pending drag as a click, marks
//                    -> base release (moves, sizing) -> header sort
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "grid/ExGrid.h"
#include "grid/ExHint.h"
#include "grid/ExHtml.h"
#include "grid/ExPanGlyph.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/ShellApi.h"
#include "platform/vcl/StdCtrls.h"

namespace {

constexpr UINT kPanTimerId = 112;
constexpr UINT kPanInterval = 50;
constexpr int kDragThreshold = 3;
// The program's own cursor pictures.
constexpr TCursor kCursorSelectCol = 8011;
constexpr TCursor kCursorSelectRow = 8010;
constexpr TCursor kCursorSelectAll = 8012;
constexpr TCursor kCursorPanNone = 8000;

bool IsWebOrMailLink(const AnsiString& link) { return IsOpenableAddress(link); }

// Mark-up: the grid's HTML texts, and texts that hold form controls only.
bool IsMarkupText(const AnsiString& text, bool htmlEnabled) {
  return CellMarkupKind(text, htmlEnabled) == 1 || (htmlEnabled && HasControlTags(text));
}

// The fixed cell (its base cell when merged) at a display cell; (-1, -1)
// for a scrolling cell or none.
TPoint FixedCellAt(TExStringGrid& grid, int col, int row) {
  if (col < 0 || row < 0) return TPoint{-1, -1};
  if (col >= grid.FixedCols() && row >= grid.FixedRows() && !grid.IsFixedCell(col, row)) return TPoint{-1, -1};
  return grid.BaseCellOf(col, row);
}

bool SameGridRect(const TGridRect& a, const TGridRect& b) {
  return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
}

}  // namespace

// ------------------------------------------------------------- anchors

bool TExStringGrid::HtmlHitAt(int col, int row, int x, int y, THtmlDrawResult& result, const AnsiString& controlId) {
  if (col < 0 || row < 0 || col >= RealColCount() || row >= RowCount()) return false;
  const AnsiString text = GetCellText(col, row);
  if (!IsMarkupText(text, enableHTML_)) return false;
  const TRect cell = CellRect(DisplColIndex(col), row);
  if (cell.Right <= cell.Left || cell.Bottom <= cell.Top) return false;
  TRect r = cell;
  r.Left += textOffsetX_ - 1;
  r.Top += textOffsetY_;
  // Past the check box a cell shows beside its text.
  bool checked = false;
  if (GetCheckBoxState(col, row, checked)) r.Left += controlLook_->CheckSize() + 4;
  TBitmap scratch;
  scratch.SetWidth(std::max(cell.Right, 1));
  scratch.SetHeight(std::max(cell.Bottom, 1));
  scratch.Canvas()->Font()->Assign(*Font());
  THtmlDrawArgs args;
  args.Images = gridImages_;
  // Pictures take room: the hit test lays the text out as the paint does.
  args.Container = pictureContainer_;
  args.PictureCache = PictureCache();
  args.X = x;
  args.Y = y;
  args.HitTest = true;
  args.WordWrap = !enhTextSize_;
  args.ControlId = controlId;
  return DrawHtml(*scratch.Canvas(), text, r, args, result);
}

AnsiString TExStringGrid::AnchorAt(int col, int row, int x, int y, int* anchorIndex) {
  if (anchorIndex) *anchorIndex = 0;
  if (col < 0 || row < 0 || col >= RealColCount() || row >= RowCount()) return AnsiString();
  const AnsiString text = GetCellText(col, row);
  if (text.empty()) return AnsiString();
  const int kind = CellMarkupKind(text, enableHTML_);
  if (kind == 1) {
    THtmlDrawResult result;
    if (!HtmlHitAt(col, row, x, y, result)) return AnsiString();
    // Form controls are no links.
    if (result.AnchorLink == "ctrl") return AnsiString();
    if (anchorIndex) *anchorIndex = result.HoverAnchor;
    return result.AnchorLink;
  }
  // A plain text is a link only when it starts with a scheme the shell opens.
  if (urlShow_ && kind == 0 && IsWebOrMailLink(text)) {
    if (anchorIndex) *anchorIndex = 1;
    return text;
  }
  return AnsiString();
}

void TExStringGrid::OpenAnchor(const AnsiString& anchor) {
  if (anchor.size() >= 7 && UpperCase(anchor.substr(0, 7)) == "CELL://") {
    // "CELL://" followed by a column letter run and a row number ("B12"),
    // or by "col,row"; anything else does nothing.
    const std::string ref = anchor.substr(7);
    int col = -1, row = -1;
    std::size_t i = 0;
    if (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i]))) {
      col = 0;
      while (i < ref.size() && std::isalpha(static_cast<unsigned char>(ref[i])) && col < 100000)
        col = col * 26 + (std::toupper(static_cast<unsigned char>(ref[i++])) - 'A' + 1);
      std::size_t digits = i;
      while (digits < ref.size() && std::isdigit(static_cast<unsigned char>(ref[digits]))) ++digits;
      if (digits == i || digits != ref.size() || digits - i > 7) return;
      row = std::atoi(ref.c_str() + i);
    } else {
      const std::size_t comma = ref.find(',');
      if (comma == std::string::npos || comma == 0 || comma + 1 >= ref.size() || comma > 7 || ref.size() - comma > 8)
        return;
      for (std::size_t k = 0; k < ref.size(); ++k)
        if (k != comma && !std::isdigit(static_cast<unsigned char>(ref[k]))) return;
      col = std::atoi(ref.substr(0, comma).c_str());
      row = std::atoi(ref.c_str() + comma + 1);
    }
    if (col < TBaseGrid::FixedCols() || col >= ColCount() || row < TBaseGrid::FixedRows() || row >= RowCount()) return;
    FocusCell(col, row, true);
    return;
  }
  // The shell opens only http, https and mailto addresses.
  if (!IsWebOrMailLink(anchor)) return;
  ShellExecute(HandleAllocated() ? Handle() : 0, "open", anchor, "", "", SW_SHOWNORMAL);
}

// ------------------------------------------------------------- hit zones

int TExStringGrid::ComputeHitZone(int x, int y) {
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  if (col < 0 || row < 0) return 0;
  TGridDrawInfo info;
  CalcDrawInfo(info);
  TGridState state = gsNormal;
  int index = -1, pos = 0, ofs = 0;
  TBaseGrid::CalcSizingState(x, y, state, index, pos, ofs, info);
  const bool onBorder = state != gsNormal;
  const TMouseActions& mouse = *mouseActions_;
  if (selectionResizer_ && selectionRectangle_) {
    const TGridRect sel = Selection();
    const TRect corner = CellRect(sel.Right, sel.Bottom);
    if (corner.Right > corner.Left && std::abs(x - corner.Right) <= 2 && std::abs(y - corner.Bottom) <= 2) return 5;
  }
  const int fixedCols = TBaseGrid::FixedCols();
  const int fixedRows = TBaseGrid::FixedRows();
  if (col < fixedCols && row < fixedRows) return mouse.AllSelect() ? 3 : 0;
  if (row < fixedRows && col >= fixedCols && mouse.ColSelect() && !onBorder) return 1;
  if (col < fixedCols && row >= fixedRows && row <= LastDataRow() && mouse.RowSelect() && !onBorder) {
    const TRect r = CellRect(col, row);
    if (col == 0 && IsNodeRow(row) && IsNodeGlyphHit(row, x - r.Left)) return 0;
    return 2;
  }
  return 0;
}

int TExStringGrid::FixedColBorderAt(int x, int y) {
  if (!mouseActions_->SizeFixedCol() || x < 0 || y < 0 || y >= GridHeight()) return -1;
  int right = 0;
  for (int c = 0; c < TBaseGrid::FixedCols(); ++c) {
    right += ColWidths(c);
    if (std::abs(x - right) <= 3) return c;
    right += GridLineWidth();
  }
  return -1;
}

// ------------------------------------------------------------- clicks on cell contents

bool TExStringGrid::ClickCellControl(int col, int row, int x, int y, TShiftState shift) {
  const int realCol = RealColIndex(col);
  const TPoint base = BaseCellOf(realCol, row);
  const int fixedRows = TBaseGrid::FixedRows();
  const bool editingOn = Options().contains(goEditing) || mouseActions_->RangeSelectAndEdit();

  // A node glyph in a header row expands or collapses every node; its own
  // state flips to show which comes next, and the click goes on. A header
  // carries no level of its own: its glyph sits in the first indentation step.
  const auto headerGlyphHit = [&] {
    const int offset = x - CellRect(0, row).Left;
    return NodeLevelOf(row) > 0 ? IsNodeGlyphHit(row, offset) : 0 < offset && offset < cellNode_->NodeIndent();
  };
  if (col == 0 && row < fixedRows && mouseActions_->NodeAllExpandContract() && IsNodeRow(row) && headerGlyphHit()) {
    TCellGraphic* header = NodeGraphic(row);
    const bool collapsed = header->CellBoolean();
    if (collapsed) ExpandAllNodes();
    else CollapseAllNodes();
    header->SetCellBoolean(!collapsed);
    RepaintCell(0, row);
  }

  // Node glyphs in column 0.
  if (col == 0 && row >= fixedRows && IsNodeRow(row) && IsNodeGlyphHit(row, x - CellRect(0, row).Left)) {
    const int realRow = RealRowIndex(row);
    bool allow = true;
    if (IsNodeCollapsed(row)) {
      if (OnBeforeExpandNode) OnBeforeExpandNode(this, row, allow, realRow);
      if (allow) {
        ExpandNode(realRow);
        if (OnExpandNode) OnExpandNode(this, row, realRow);
      }
    } else {
      if (OnBeforeContractNode) OnBeforeContractNode(this, row, allow, realRow);
      if (allow) {
        CollapseNode(realRow);
        if (OnContractNode) OnContractNode(this, row, realRow);
      }
    }
    if (mouseActions_->MoveRowOnNodeClick() && row < RowCount()) FocusCell(std::max(Col(), FirstDataCol()), row, true);
    return true;
  }

  // Radio groups: the item under the point.
  if (row >= fixedRows && IsRadio(base.X, base.Y) && editingOn) {
    bool canEdit = true;
    CanEditCell(base.X, base.Y, canEdit);
    if (!canEdit) return true;
    HideEditor();
    TCellGraphic* graphic = GetCellGraphic(base.X, base.Y);
    const TStringList* items = graphic ? graphic->CellStrings() : nullptr;
    if (!items || items->Count() == 0) return true;
    const int displayCol = DisplColIndex(base.X);
    FocusCell(displayCol, base.Y, true);
    // Laid out as the cell paints it: in its font, inside its grid lines.
    TRect r = MergedCellRect(displayCol, base.Y);
    if (displayCol == 0) r.Left += GetCellIndent(base.Y);
    const int shrink = displayCol < TBaseGrid::FixedCols() || IsFixedCell(displayCol, base.Y) ? 1 : GridLineWidth();
    InflateRect(r, -shrink, -shrink);
    if (base.X == 0 && GetCellIndent(base.Y) > 0) r.Left += 4;
    TBitmap scratch;
    TCanvas& canvas = *scratch.Canvas();
    TColor gradientEnd = clNone;
    TAlignment hAlign = taLeftJustify;
    TVAlignment vAlign = vtaTop;
    TGridDrawState drawState;
    GetCellColors(displayCol, base.Y, canvas.Font(), canvas.Brush(), gradientEnd, hAlign, vAlign, true, false, false,
                  drawState);
    if (zoomStep_ != 0) canvas.Font()->SetSize(std::max(1, canvas.Font()->Size() + zoomStep_));
    const bool horizontal = graphic->CellBoolean();
    const std::vector<TRect> buttons =
        RadioItemButtons(canvas, r, items->Count(), items, RadioButtonSize(), horizontal);
    // The last item whose line (or column) begins at or before the point.
    int index = 0;
    for (std::size_t i = 0; i < buttons.size(); ++i)
      if ((horizontal ? buttons[i].Left : buttons[i].Top) <= (horizontal ? x : y)) index = static_cast<int>(i);
    if (graphic->CellIndex() >= 0) graphic->SetCellIndex(index);
    SetCellText(base.X, base.Y, items->Strings(index));
    CellsChanged(Rect(base.X, base.Y, base.X, base.Y));
    RepaintCell(DisplColIndex(base.X), base.Y);
    if (OnRadioClick) OnRadioClick(this, DisplColIndex(base.X), base.Y, index);
    return true;
  }

  // Check boxes in data rows, or in a fixed row that checks its whole column.
  bool state = false;
  const bool checkAllRow = row < fixedRows && mouseActions_->CheckAllCheck();
  if (col >= TBaseGrid::FixedCols() && (row >= fixedRows || checkAllRow) && editingOn &&
      GetCheckBoxState(base.X, base.Y, state) && PointInCheckBox(base.X, base.Y, x, y)) {
    bool canEdit = true;
    CanEditCell(base.X, base.Y, canEdit);
    if (!canEdit && !checkAllRow) return true;
    HideEditor();
    if (CanFocus() && !Focused()) SetFocus();
    if (!ToggleCheckBox(base.X, base.Y, !checkAllRow)) return true;
    GetCheckBoxState(base.X, base.Y, state);
    if (row >= fixedRows && !navigation_->AlwaysEdit()) FocusCell(DisplColIndex(base.X), base.Y, true);
    if (checkAllRow) {
      // Only the cells that may be edited follow the header's state.
      for (int r = fixedRows; r <= LastDataRow(); ++r)
        if (MayEditCell(col, r)) SetCheckBoxState(base.X, r, state);
      CellsChanged(Rect(base.X, fixedRows, base.X, LastDataRow()));
    } else {
      CellsChanged(Rect(base.X, base.Y, base.X, base.Y));
    }
    if (OnCheckBoxClick) OnCheckBoxClick(this, DisplColIndex(base.X), base.Y, state);
    if (OnMouseDown) OnMouseDown(this, mbLeft, shift, x, y);
    Click();
    return true;
  }

  // Buttons: a press on the cell selects it, one on the drawn button holds
  // the button down until the release.
  if (row >= fixedRows && IsButton(base.X, base.Y)) {
    HideEditor();
    FocusCell(DisplColIndex(base.X), base.Y, true);
    if (PtInRect(GetCellGraphicRect(base.X, base.Y), TPoint{x, y})) {
      pressedButton_ = base;
      SetMouseCapture(true);
      RepaintCell(DisplColIndex(base.X), base.Y);
    }
    return true;
  }

  // Form controls in mark-up: a CHECK flips its value, every control
  // reports the click.
  if (enableHTML_ && HasControlTags(GetCellText(base.X, base.Y))) {
    THtmlDrawResult hit;
    if (HtmlHitAt(base.X, base.Y, x, y, hit) && hit.AnchorLink == "ctrl" && !hit.ControlId.empty()) {
      AnsiString value = hit.ControlValue;
      const AnsiString type = UpperCase(hit.ControlType);
      if (type == "BUTTON") {
        ReleaseHtmlButton();
        htmlButtonCell_ = base;
        htmlButtonPoint_ = TPoint{x, y};
        RepaintCell(DisplColIndex(base.X), base.Y);
      }
      if (type == "CHECK" && editingOn && MayEditCell(DisplColIndex(base.X), base.Y)) {
        value = UpperCase(value) == "TRUE" ? "FALSE" : "TRUE";
        AnsiString text = GetCellText(base.X, base.Y);
        if (SetControlValue(text, hit.ControlId, value)) {
          SetCellText(base.X, base.Y, text);
          CellsChanged(Rect(base.X, base.Y, base.X, base.Y));
          RepaintCell(DisplColIndex(base.X), base.Y);
        }
      }
      if (OnControlClick) OnControlClick(this, base.Y, DisplColIndex(base.X), hit.ControlId, type, value);
      if (type != "CHECK" && editingOn && MayEditCell(DisplColIndex(base.X), base.Y))
        StartControlEditor(DisplColIndex(base.X), base.Y, hit.ControlId);
      return true;
    }
  }

  // Anchors in mark-up, and plain texts that are web or mail addresses.
  if (urlShow_ || CellMarkupKind(GetCellText(base.X, base.Y), enableHTML_) == 1) {
    const AnsiString link = AnchorAt(base.X, base.Y, x, y);
    if (!link.empty()) {
      bool process = true;
      if (OnAnchorClick) OnAnchorClick(this, base.Y, DisplColIndex(base.X), link, process);
      if (process) OpenAnchor(link);
      return true;
    }
  }
  return false;
}

// ------------------------------------------------------------- mouse down

void TExStringGrid::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  // Any press ends panning.
  if (panning_) {
    StopPanning();
    return;
  }
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  // A press away from an open edit leaves it as the leave keys do: a
  // refused value keeps the user in the cell, and the press does nothing
  // (its release sorts nothing either).
  if (!LeaveEditForPress(col, row)) {
    consumedClick_ = true;
    return;
  }
  // The editor this click opens puts its caret under the mouse.
  if (button == mbLeft && mouseActions_->CaretPositioning()) NoteCaretClick(x, y);
  if (button == mbMiddle) {
    if (ScrollOptions().IntelliPan != ipNone && RowCount() > TBaseGrid::FixedRows()) {
      panning_ = true;
      panOrigin_ = TPoint{x, y};
      SetMouseCapture(true);
      if (HandleAllocated()) SetTimer(Handle(), kPanTimerId, kPanInterval);
      ShowGridCursor(kCursorPanNone);
      InvalidateRect(PanGlyphRect(panOrigin_));
    }
    TBaseGrid::MouseDown(button, shift, x, y);
    return;
  }
  if (button == mbRight) {
    TBaseGrid::MouseDown(button, shift, x, y);
    if (col < 0 || row < 0) return;
    if (mouseActions_->SelectOnRigthClick() && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows())
      FocusCell(col, row, true);
    if (OnRightClickCell) OnRightClickCell(this, row, col);
    if ((col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows()) &&
        FixedCellEditAsked(col, row, x, y, fceRightClick)) {
      ShowFixedCellEditor(col, row);
      return;
    }
    if (urlShow_ && urlEdit_ && IsUrlText(GetCellText(RealColIndex(col), row)) && col >= TBaseGrid::FixedCols() &&
        row >= TBaseGrid::FixedRows()) {
      FocusCell(col, row, true);
      SetOpeningEditor(true);
      ShowEditor();
      SetOpeningEditor(false);
    }
    return;
  }
  if (button != mbLeft) {
    TBaseGrid::MouseDown(button, shift, x, y);
    return;
  }

  downPoint_ = TPoint{x, y};
  downCell_ = TPoint{col, row};
  if (look_ == glListView) {
    hotFixedHeld_ = true;
    const TPoint hot = hotFixedCell_;
    SetHotFixedCell(FixedCellAt(*this, col, row));
    if (hot.X >= 0 && hot.X == hotFixedCell_.X && hot.Y == hotFixedCell_.Y) RepaintCell(hot.X, hot.Y);
  }
  downLeftCol_ = LeftCol();
  pendingDrag_ = false;
  movedOrSized_ = false;
  deferredDeselect_ = false;
  rangeAnchor_ = -1;
  ReleaseCellButton();

  if (shift.contains(ssDouble)) {
    consumedClick_ = false;
    if (col < 0 && row < 0) return;
    // A double click on a header border sizes the column to its contents.
    if (row >= 0 && row < TBaseGrid::FixedRows() && Options().contains(goColSizing)) {
      if (col < 0 && x > 0 && !fixedRowAlways_) col = ColCount() - 1;
      if (col >= 0) {
        const TRect r = CellRect(col, row);
        int sized = -1;
        if (x - r.Left <= 4 && col - 1 >= TBaseGrid::FixedCols()) sized = col - 1;
        else if (r.Right - x <= 4) sized = col;
        if (sized >= 0) {
          consumedClick_ = true;
          bool allow = true;
          if (OnColumnSize) OnColumnSize(this, sized, allow);
          if (allow) {
            FitColumnToContents(sized);
            if (OnEndColumnSize) OnEndColumnSize(this, sized);
          }
          return;
        }
      }
    }
    TBaseGrid::MouseDown(button, shift, x, y);
    if (col < 0 || row < 0) return;
    if (OnDblClickCell) OnDblClickCell(this, row, col);
    if ((col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows()) &&
        FixedCellEditAsked(col, row, x, y, fceDblClick)) {
      ShowFixedCellEditor(col, row);
      return;
    }
    if (mouseActions_->RangeSelectAndEdit() && MayEditCell(col, row) && !IsControlCell(RealColIndex(col), row)) {
      SetOptions(Options() + TGridOptions{goEditing});
      FocusCell(col, row, true);
      ShowEditor();
    }
    return;
  }
  consumedClick_ = false;

  // Outside every cell: the base grid's handling only (focus, sizing).
  if (col < 0 || row < 0) {
    TBaseGrid::MouseDown(button, shift, x, y);
    return;
  }
  if (IsFixedCell(col, row) || col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows()) {
    HideEditor();
    if (fixedAsButtons_ && Options().contains(goFixedHorzLine) && Options().contains(goFixedVertLine) &&
        FixedColBorderAt(x, y) < 0) {
      pressedFixed_ = TPoint{col, row};
      RepaintCell(col, row);
    }
  }

  // The right border of a fixed column starts the grid's own sizing.
  if (const int border = FixedColBorderAt(x, y); border >= 0) {
    bool allow = true;
    if (OnColumnSize) OnColumnSize(this, border, allow);
    if (allow) {
      ownSizingCol_ = border;
      movedOrSized_ = true;
      SetMouseCapture(true);
      ShowGridCursor(crHSplit);
    }
    return;
  }

  // The selection resizer grip: the selection is remembered, the current
  // cell stays where it is.
  if (ComputeHitZone(x, y) == 5) {
    gripResizing_ = true;
    gripOrigin_ = Selection();
    hitZone_ = 5;
    SetMouseCapture(true);
    return;
  }

  if (ClickCellControl(col, row, x, y, shift)) return;

  const int fixedRows = TBaseGrid::FixedRows();
  const int fixedCols = TBaseGrid::FixedCols();
  const bool dataCell = col >= fixedCols && row >= fixedRows;

  // Drag start: a press on a selected cell may become a drag, and so may a
  // press on a header while the grid does not move columns itself.
  if (((dataCell && IsCellShownSelected(col, row)) || (row < fixedRows && !enhRowColMove_)) &&
      !Options().contains(goEditing) &&
      dragDropSettings_->OleDropSource() && !mouseActions_->ColSelect() && !mouseActions_->AllSelect()) {
    const TRect r = CellRect(col, row);
    if (!Options().contains(goColSizing) || (x - r.Left >= 4 && r.Right - x >= 4)) {
      pendingDrag_ = true;
      if (OnClickCell) OnClickCell(this, row, col);
      return;
    }
  }

  // Disjunct marks: cleared by a plain click, a Ctrl+click on a marked row
  // unmarks it at release.
  if (dataCell && mouseActions_->DisjunctRowSelect()) {
    if (!shift.contains(ssCtrl)) ClearRowSelect();
    else if (IsRowSelected(SelectFlagRow(row))) deferredDeselect_ = true;
  }
  if (dataCell && mouseActions_->DisjunctColSelect()) {
    if (!shift.contains(ssCtrl)) ClearColSelect();
    else if (IsColSelected(col)) deferredDeselect_ = true;
  }

  // Selection from the fixed cells.
  hitZone_ = ComputeHitZone(x, y);
  downZone_ = hitZone_;
  if (hitZone_ != 0 && hitZone_ != 5 && Options().contains(goRangeSelect) && RowCount() > fixedRows &&
      ColCount() > fixedCols) {
    const TGridRect oldSel = Selection();
    TGridRect sel;
    if (hitZone_ == 3) {
      sel = GridRect({FirstDataCol(), fixedRows}, {LastDataCol(), LastDataRow()});
    } else if (hitZone_ == 2) {
      // Shift extends from the current row, as Shift+click does on the cells.
      const bool extend = shift.contains(ssShift) && Row() >= fixedRows && Row() <= LastDataRow();
      rangeAnchor_ = extend ? Row() : row;
      sel = GridRect({FirstDataCol(), std::min(rangeAnchor_, row)}, {LastDataCol(), std::max(rangeAnchor_, row)});
    } else {
      rangeAnchor_ = col;
      sel = GridRect({col, fixedRows}, {col, LastDataRow()});
    }
    if (CanFocus() && !Focused()) SetFocus();
    HideEditor();
    const int cursorCol = std::clamp(Col(), FirstDataCol(), LastDataCol());
    FocusCell(sel.Left, hitZone_ == 2 ? rangeAnchor_ : sel.Top, true);
    SetSelection(sel);
    if (mouseActions_->DisjunctRowSelect() && hitZone_ != 1) {
      if (!shift.contains(ssCtrl)) ClearRowSelect();
      // Ctrl+click on a marked row's header takes its mark away.
      const bool unmark = shift.contains(ssCtrl) && !shift.contains(ssShift) && hitZone_ == 2 &&
                          IsRowSelected(SelectFlagRow(sel.Top));
      if (unmark) rangeAnchor_ = -1;
      for (int r = sel.Top; r <= sel.Bottom; ++r) SetRowSelected(SelectFlagRow(r), !unmark);
      // The marks show the rows picked; the cursor keeps its column, so
      // the arrow keys go on from there instead of from the last column.
      if (hitZone_ == 2) FocusCell(cursorCol, row, true);
    }
    Invalidate();
    SelectionChanged(oldSel.Left, oldSel.Top, oldSel.Right, oldSel.Bottom);
    return;
  }

  const TGridRect oldSel = Selection();
  if (!dataCell) {
    // A sizing about to start asks first.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState sizing = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    TBaseGrid::CalcSizingState(x, y, sizing, index, pos, ofs, info);
    if (index >= 0 && ((sizing == gsColSizing && OnColumnSize) || (sizing == gsRowSizing && OnRowSize))) {
      bool allow = true;
      if (sizing == gsColSizing) OnColumnSize(this, index, allow);
      else OnRowSize(this, index, allow);
      if (!allow) {
        consumedClick_ = true;
        return;
      }
    }
    TBaseGrid::MouseDown(button, shift, x, y);
    if (!(floatingFooter_->FixedLastRow() && row == RowCount() - 1) && OnClickCell) OnClickCell(this, row, col);
    if (GridState() == gsNormal && FixedCellEditAsked(col, row, x, y, fceLeftClick)) ShowFixedCellEditor(col, row);
    return;
  }
  const bool wasCurrent = col == Col() && row == Row();
  const bool alwaysEdit = navigation_->AlwaysEdit();
  navigation_->SetAlwaysEdit(false);
  TBaseGrid::MouseDown(button, shift, x, y);
  navigation_->SetAlwaysEdit(alwaysEdit);
  if (mouseActions_->NoAutoRangeScroll() && GridState() == gsSelecting) {
    // The partly shown row (column) below the last whole one is not a
    // reason to scroll while selecting.
    TGridDrawInfo info;
    CalcDrawInfo(info);
    if (row > info.Vert.LastFullVisibleCell || col > info.Horz.LastFullVisibleCell) SetSelection(oldSel);
  }
  if (Options().contains(goRowSelect) && navigation_->KeepHorizScroll() && LeftCol() != downLeftCol_)
    SetLeftCol(downLeftCol_);
  const TRect r = CellRect(col, row);
  const bool inside = x - r.Left >= 4 && r.Right - x >= 4;
  if ((inside || !Options().contains(goColSizing)) && OnClickCell) OnClickCell(this, row, col);
  const bool editable = MayEditCell(col, row) && !IsControlCell(RealColIndex(col), row);
  if (editable && !EditorMode() && ((wasCurrent && Options().contains(goEditing)) ||
                                    (mouseActions_->DirectEdit() && inside))) {
    SetOpeningEditor(true);
    ShowEditor();
    SetOpeningEditor(false);
  }
  if (!SameGridRect(oldSel, Selection())) SelectionChanged(oldSel.Left, oldSel.Top, oldSel.Right, oldSel.Bottom);
}

// ------------------------------------------------------------- mouse move

void TExStringGrid::MouseMove(TShiftState shift, int x, int y) {
  mouseOver_ = true;
  UpdateHoverTimer();
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  if (look_ == glListView) SetHotFixedCell(FixedCellAt(*this, col, row));
  const bool leftDown = shift.contains(ssLeft);

  // Drag start once the mouse has moved more than 3 pixels.
  if (pendingDrag_ && leftDown && GridState() == gsNormal &&
      (std::abs(x - downPoint_.X) > kDragThreshold || std::abs(y - downPoint_.Y) > kDragThreshold)) {
    pendingDrag_ = false;
    const TPoint cell = downCell_;
    oleDragVetoed_ = false;
    if (cell.X >= 0 && cell.Y >= 0) OleDragFromCell(cell.X, cell.Y);
    if (oleDragVetoed_) {
      // A refused drag is an ordinary press on the cell after all (held
      // back until now, and reported now), and this move already extends
      // its range.
      oleDragVetoed_ = false;
      TBaseGrid::MouseDown(mbLeft, shift, downPoint_.X, downPoint_.Y);
      TBaseGrid::MouseMove(shift, x, y);
    }
    return;
  }

  if (ownSizingCol_ >= 0) {
    // Never narrower than one pixel, whatever the mouse does.
    int left = 0;
    for (int c = 0; c < ownSizingCol_; ++c) left += ColWidths(c) + GridLineWidth();
    const int width = std::max(x - left, 1);
    if (width != ColWidths(ownSizingCol_)) SetColWidths(ownSizingCol_, width);
    if (hintShowSizing_) ShowHintAtPointer("cw=<b>" + IntToStr(width) + "</b>");
    return;
  }
  if (FixedColBorderAt(x, y) >= 0 && GridState() == gsNormal) {
    ShowGridCursor(crHSplit);
    TBaseGrid::MouseMove(shift, x, y);
    ShowGridCursor(crHSplit);
    return;
  }

  if (gripResizing_ && leftDown) {
    // The area grows from the grip's selection toward the mouse, inside the data cells.
    TGridRect area = gripOrigin_;
    const int c = col >= 0 ? col : (x < 0 ? FirstDataCol() : LastDataCol());
    const int r = row >= 0 ? row : (y < 0 ? TBaseGrid::FixedRows() : LastDataRow());
    area.Right = std::clamp(std::max(c, gripOrigin_.Left), gripOrigin_.Left, LastDataCol());
    area.Bottom = std::clamp(std::max(r, gripOrigin_.Top), gripOrigin_.Top, LastDataRow());
    SetSelection(area);
    Invalidate();
    return;
  }

  // Range extension from the fixed column (rows) or the header (columns).
  if (rangeAnchor_ >= 0 && leftDown && (downZone_ == 1 || downZone_ == 2)) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    const int fixedRows = TBaseGrid::FixedRows();
    if (downZone_ == 2) {
      int target = row;
      if (y < info.Vert.FixedBoundary) {
        if (TopRow() > fixedRows) SetTopRow(TopRow() - 1);
        target = TopRow();
      } else if (target < 0 || y >= ClientHeight() - 4) {
        if (y >= ClientHeight() - 4 && TopRow() + VisibleRowCount() <= LastDataRow()) SetTopRow(TopRow() + 1);
        target = std::min(TopRow() + VisibleRowCount(), LastDataRow());
      }
      target = std::clamp(target, fixedRows, LastDataRow());
      const TGridRect sel = GridRect({FirstDataCol(), std::min(rangeAnchor_, target)},
                                     {LastDataCol(), std::max(rangeAnchor_, target)});
      if (mouseActions_->DisjunctRowSelect()) {
        for (int r = sel.Top; r <= sel.Bottom; ++r) SetRowSelected(SelectFlagRow(r), true);
        FocusCell(std::clamp(Col(), FirstDataCol(), LastDataCol()), target, true);
      } else {
        SetSelection(sel);
      }
    } else {
      int target = col;
      if (target < 0) target = x < info.Horz.FixedBoundary ? LeftCol() : LastDataCol();
      target = std::clamp(target, FirstDataCol(), LastDataCol());
      SetSelection(GridRect({std::min(rangeAnchor_, target), fixedRows}, {std::max(rangeAnchor_, target), LastDataRow()}));
    }
    Invalidate();
    return;
  }

  // Hit zone, and the cursor it shows.
  hitZone_ = GridState() == gsNormal ? ComputeHitZone(x, y) : 0;
  TCursor cursor = 0;
  switch (hitZone_) {
    case 1: cursor = kCursorSelectCol; break;
    case 2: cursor = kCursorSelectRow; break;
    case 3: case 5: cursor = kCursorSelectAll; break;
    default: break;
  }

  // Anchors under the mouse.
  if (GridState() == gsNormal && !panning_) UpdateAnchorHover(col, row, x, y);
  if (!hoverLink_.empty() && cursor == 0) cursor = crHandPoint;

  // A new cell cancels the hint pending for the old one.
  if ((col != hintCell_.X || row != hintCell_.Y) && hintCell_.X >= 0 && Application) {
    Application->CancelHint();
    hintCell_ = TPoint{-1, -1};
  }

  if (GridState() == gsSelecting && Options().contains(goRowSelect) && navigation_->KeepHorizScroll() &&
      LeftCol() != downLeftCol_)
    SetLeftCol(downLeftCol_);

  TBaseGrid::MouseMove(shift, x, y);

  if (panning_) return;
  if (enhRowColMove_ && (GridState() == gsColMoving || GridState() == gsRowMoving)) ShowMoveFeedback(x, y);
  if (cursor != 0 && GridState() == gsNormal) {
    ShowGridCursor(cursor);
  }
  if (hintShowSizing_ && (GridState() == gsColSizing || GridState() == gsRowSizing)) {
    TGridDrawInfo info;
    CalcDrawInfo(info);
    TGridState state = gsNormal;
    int index = -1, pos = 0, ofs = 0;
    TBaseGrid::CalcSizingState(downPoint_.X, downPoint_.Y, state, index, pos, ofs, info);
    if (index >= 0) {
      if (GridState() == gsColSizing) {
        const int width = std::max(x - (CellRect(index, 0).Left), 0);
        ShowHintAtPointer("cw=<b>" + IntToStr(width) + "</b>");
      } else {
        const int height = std::max(y - (CellRect(0, index).Top), 0);
        ShowHintAtPointer("rh=<b>" + IntToStr(height) + "</b>");
      }
    }
  }
}

void TExStringGrid::ShowMoveFeedback(int x, int y) {
  const bool cols = GridState() == gsColMoving;
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  const TPoint from = downCell_;
  if (from.X < 0 || from.Y < 0) return;
  moveFeedback_ = true;
  // A copy of the moved header cell follows the mouse.
  const int w = cols ? ColWidths(from.X) : ColWidths(0);
  const int h = cols ? RowHeights(0) : RowHeights(from.Y);
  ShowPopupButton(Rect(x - w / 2, y - h / 2, x - w / 2 + w, y - h / 2 + h), GetCellText(RealColIndex(from.X), from.Y));
  ShowGridCursor(crDrag);
  // Markers at the insertion edge.
  if (cols) {
    const int target = std::clamp(col >= 0 ? col : (x < 0 ? LeftCol() : LastDataCol()), TBaseGrid::FixedCols(),
                                  std::max(ColCount() - 1, 0));
    const TRect r = CellRect(target, 0);
    const int edge = target > from.X ? r.Right : r.Left;
    ArrowWindow(1)->ShowAt(edge - 5, 0);
    ArrowWindow(0)->ShowAt(edge - 5, std::max(r.Bottom - 10, 0));
  } else {
    const int target = std::clamp(row >= 0 ? row : (y < 0 ? TopRow() : LastDataRow()), TBaseGrid::FixedRows(),
                                  std::max(LastDataRow(), 0));
    const TRect r = CellRect(0, target);
    const int edge = target > from.Y ? r.Bottom : r.Top;
    ArrowWindow(2)->ShowAt(0, edge - 5);
    ArrowWindow(3)->ShowAt(std::max(r.Right - 10, 0), edge - 5);
  }
}

void TExStringGrid::HideMoveFeedback() {
  if (!moveFeedback_) return;
  moveFeedback_ = false;
  PopupButton()->SetVisible(false);
  for (int d = 0; d < 4; ++d) ArrowWindow(d)->SetVisible(false);
  ShowGridCursor(crDefault);
}

void TExStringGrid::UpdateAnchorHover(int col, int row, int x, int y) {
  AnsiString link;
  int index = 0;
  int realCol = col >= 0 ? RealColIndex(col) : -1;
  if (col >= 0 && row >= 0) {
    const TPoint base = BaseCellOf(realCol, row);
    realCol = base.X;
    row = base.Y;
    link = AnchorAt(realCol, row, x, y, &index);
  }
  const TPoint cell = link.empty() ? TPoint{-1, -1} : TPoint{realCol, row};
  if (link == hoverLink_ && cell.X == hoverCell_.X && cell.Y == hoverCell_.Y) return;
  if (!hoverLink_.empty() && OnAnchorExit) OnAnchorExit(this, hoverCell_.Y, DisplColIndex(hoverCell_.X), hoverLink_);
  hoverLink_ = link;
  SetHover(cell, link.empty() ? 0 : index);
  if (!link.empty() && OnAnchorEnter) OnAnchorEnter(this, row, DisplColIndex(realCol), link);
  if (link.empty()) {
    ShowGridCursor(crDefault);
  }
}

// ------------------------------------------------------------- mouse up

void TExStringGrid::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (button != mbLeft) {
    TBaseGrid::MouseUp(button, shift, x, y);
    return;
  }
  int col = -1, row = -1;
  MouseToCell(x, y, col, row);
  const TGridState state = GridState();
  const bool wasMoving = state == gsColMoving || state == gsRowMoving;
  const bool wasSizing = state == gsColSizing || state == gsRowSizing;
  const int zone = downZone_;
  downZone_ = 0;
  ReleasePressedFixedCell();
  ReleaseHtmlButton();
  if (hotFixedHeld_) {
    hotFixedHeld_ = false;
    if (hotFixedCell_.X >= 0) RepaintCell(hotFixedCell_.X, hotFixedCell_.Y);
  }
  if (wasMoving) HideMoveFeedback();
  rangeAnchor_ = -1;
  if (hintShowSizing_) HideHint();

  if (ownSizingCol_ >= 0) {
    const int col = ownSizingCol_;
    ownSizingCol_ = -1;
    if (MouseCapture()) SetMouseCapture(false);
    if (hintShowSizing_) HideHint();
    ShowGridCursor(crDefault);
    if (OnEndColumnSize) OnEndColumnSize(this, col);
    int width = ColWidths(col);
    if (OnUpdateColumnSize) OnUpdateColumnSize(this, col, width);
    if (width > 0 && width != ColWidths(col)) SetColWidths(col, width);
    TBaseGrid::MouseUp(button, shift, x, y);
    return;
  }
  if (gripResizing_) {
    gripResizing_ = false;
    if (MouseCapture()) SetMouseCapture(false);
    const TGridRect area = Selection();
    if (!SameGridRect(area, gripOrigin_)) {
      if (OnSelectionResize) OnSelectionResize(this, gripOrigin_, area);
      FillFromRect(gripOrigin_, area);
    }
    TBaseGrid::MouseUp(button, shift, x, y);
    return;
  }

  // A cell button fires when released over itself.
  if (pressedButton_.X >= 0) {
    const TPoint pressed = pressedButton_;
    ReleaseCellButton();
    if (InGrid(col, row) && BaseCellOf(RealColIndex(col), row) == pressed &&
        PtInRect(GetCellGraphicRect(pressed.X, pressed.Y), TPoint{x, y})) {
      bool canEdit = Options().contains(goEditing);
      if (canEdit) CanEditCell(pressed.X, pressed.Y, canEdit);
      if ((canEdit || controlLook_->NoDisabledButtonLook()) && OnButtonClick)
        OnButtonClick(this, DisplColIndex(pressed.X), pressed.Y);
    }
    TBaseGrid::MouseUp(button, shift, x, y);
    return;
  }

  const bool dataCell = col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() && !IsFixedCell(col, row);
  if (pendingDrag_) {
    // The press did not become a drag: a click on the cell.
    pendingDrag_ = false;
    if (dataCell) {
      if (mouseActions_->DisjunctRowSelect()) {
        const int flag = SelectFlagRow(row);
        if (!shift.contains(ssCtrl)) {
          ClearRowSelect();
          SetRowSelected(flag, true);
        } else {
          SetRowSelected(flag, !IsRowSelected(flag));
        }
        FocusCell(col, row, !shift.contains(ssCtrl));
        Invalidate();
        TBaseGrid::MouseUp(button, shift, x, y);
        return;
      }
      FocusCell(col, row, true);
    }
  }

  TBaseGrid::MouseUp(button, shift, x, y);

  if (dataCell && zone == 0 && !wasMoving && !wasSizing) {
    if (mouseActions_->DisjunctRowSelect() && !(col == 0 && IsNodeRow(row))) {
      const TGridRect sel = Selection();
      for (int r = sel.Top; r <= sel.Bottom; ++r) SetRowSelected(SelectFlagRow(r), true);
      if (deferredDeselect_) SetRowSelected(SelectFlagRow(row), false);
      Invalidate();
    }
    if (mouseActions_->DisjunctColSelect()) {
      const TGridRect sel = Selection();
      for (int c = sel.Left; c <= sel.Right; ++c) SetColSelected(c, true);
      if (deferredDeselect_) SetColSelected(col, false);
      Invalidate();
    }
  }
  deferredDeselect_ = false;
  if (dataCell && !wasMoving && !wasSizing && mouseActions_->DisjunctCellSelect()) DisjunctCellClick(col, row, shift);

  // A press on a header starts a column move; released without moving the
  // column it is a click on the header.
  if (!wasSizing && !movedOrSized_ && col >= 0 && row >= 0) HeaderRelease(col, row, x, shift);
  movedOrSized_ = false;
}

void TExStringGrid::DisjunctCellClick(int col, int row, TShiftState shift) {
  bool allow = true;
  if (OnSelectCell) OnSelectCell(this, col, row, allow);
  if (!allow) return;
  const int realCol = RealColIndex(col);
  if (shift.contains(ssCtrl)) {
    SetCellSelected(realCol, row, !IsCellSelected(realCol, row));
  } else {
    ClearCellSelect();
    SetCellSelected(realCol, row, true);
  }
  // A range dragged (or Shift+clicked) joins the list whole.
  const TGridRect sel = Selection();
  if (sel.Left != sel.Right || sel.Top != sel.Bottom)
    for (int r = sel.Top; r <= sel.Bottom; ++r)
      for (int c = sel.Left; c <= sel.Right; ++c)
        if (!IsFixedCell(c, r)) SetCellSelected(RealColIndex(c), r, true);
}

void TExStringGrid::HeaderRelease(int col, int row, int x, TShiftState shift) {
  if (col < TBaseGrid::FixedCols() && !sortSettings_->FixedCols()) {
    consumedClick_ = false;
    return;
  }
  const int realCol = RealColIndex(col);
  bool state = false;
  int index = 0;
  if (GetCheckBoxState(realCol, row, state) && OnCheckBoxMouseUp) OnCheckBoxMouseUp(this, col, row, state);
  if (IsRadio(realCol, row) && GetRadioIndex(realCol, row, index) && OnRadioMouseUp) OnRadioMouseUp(this, col, row, index);
  if (consumedClick_) {
    consumedClick_ = false;
    return;
  }
  const TRect r = CellRect(col, row);
  if (row == 0 && Options().contains(goColSizing) && (x - r.Left <= 4 || r.Right - x <= 4)) return;
  if (HasColumnFilter(realCol) && r.Right - x <= 16) return;
  if (row != sortSettings_->Row() || row != downCell_.Y || col != downCell_.X) return;
  if (TBaseGrid::FixedRows() < 1 || !sortSettings_->Show() || RowCount() < 3) return;
  HideEditor();
  const int left = LeftCol();
  HeaderClickSort(realCol, shift.contains(ssShift));
  if (navigation_->KeepHorizScroll() && Options().contains(goRowSelect) && LeftCol() != left) SetLeftCol(left);
  RepaintCell(col, row);
}

// ------------------------------------------------------------- moves

bool TExStringGrid::BeginColumnDrag(int& origin, int& destination, const TPoint& mousePt) {
  bool allow = true;
  if (OnColumnMove) OnColumnMove(this, origin, allow);
  return allow && TBaseGrid::BeginColumnDrag(origin, destination, mousePt);
}

bool TExStringGrid::CheckColumnDrag(int& origin, int& destination, const TPoint& mousePt) {
  if (destination < TBaseGrid::FixedCols()) destination = TBaseGrid::FixedCols();
  bool allow = true;
  if (OnColumnMove) OnColumnMove(this, origin, allow);
  return allow && TBaseGrid::CheckColumnDrag(origin, destination, mousePt);
}

bool TExStringGrid::BeginRowDrag(int& origin, int& destination, const TPoint& mousePt) {
  if (origin > LastDataRow()) return false;
  bool allow = true;
  if (OnRowMove) OnRowMove(this, origin, allow);
  return allow && TBaseGrid::BeginRowDrag(origin, destination, mousePt);
}

bool TExStringGrid::CheckRowDrag(int& origin, int& destination, const TPoint& mousePt) {
  // The footer row stays the last row.
  if (destination > LastDataRow()) destination = LastDataRow();
  if (destination < TBaseGrid::FixedRows()) destination = TBaseGrid::FixedRows();
  bool allow = true;
  if (OnRowMove) OnRowMove(this, origin, allow);
  return allow && TBaseGrid::CheckRowDrag(origin, destination, mousePt);
}

void TExStringGrid::ColumnMoved(int fromIndex, int toIndex) {
  TBaseGrid::ColumnMoved(fromIndex, toIndex);
  movedOrSized_ = true;
  // The sort column follows the moved column and those it passed.
  const int from = RealColIndex(fromIndex);
  const int to = RealColIndex(toIndex);
  auto follow = [&](int c) {
    if (c == from) return to;
    if (from < to && c > from && c <= to) return c - 1;
    if (from > to && c >= to && c < from) return c + 1;
    return c;
  };
  if (sortSettings_->Column() >= 0) sortSettings_->SetColumn(follow(sortSettings_->Column()));
  for (int i = 0; i < sortIndexes_.Count(); ++i) {
    const int item = sortIndexes_.Items(i);
    const int c = TSortIndexList::ColumnOf(item);
    const int moved = follow(c);
    if (moved != c) sortIndexes_.SetItems(i, item - c + moved);
  }
  CellsChanged(Rect(std::min(from, to), 0, std::max(from, to), RowCount() - 1));
}

void TExStringGrid::RowMoved(int fromIndex, int toIndex) {
  TBaseGrid::RowMoved(fromIndex, toIndex);
  movedOrSized_ = true;
  CellsChanged(Rect(0, std::min(fromIndex, toIndex), RealColCount() - 1, std::max(fromIndex, toIndex)));
}

// ------------------------------------------------------------- hints

void TExStringGrid::CMHintShow(TMessage& m) {
  auto* info = reinterpret_cast<THintInfo*>(m.LParam);
  if (!info) {
    TBaseGrid::CMHintShow(m);
    return;
  }
  int col = -1, row = -1;
  MouseToCell(info->CursorPos.X, info->CursorPos.Y, col, row);
  if (col < 0 || row < 0) {
    TBaseGrid::CMHintShow(m);
    return;
  }
  hintCell_ = TPoint{col, row};
  const int realCol = RealColIndex(col);
  const TRect cell = CellRect(col, row);
  info->CursorRect = cell;
  AnsiString hint;
  bool placed = false;
  if (anchorHint_) {
    AnsiString anchor = AnchorAt(realCol, row, info->CursorPos.X, info->CursorPos.Y);
    if (!anchor.empty()) {
      if (OnAnchorHint) OnAnchorHint(this, row, col, anchor);
      hint = anchor;
    }
  }
  AnsiString comment;
  if (hint.empty() && GetComment(realCol, row, comment)) {
    hint = comment;
    info->HintPos = ClientToScreen(TPoint{cell.Right, cell.Top});
    placed = true;
  }
  if (hint.empty() && hintShowCells_ && col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows()) {
    const AnsiString raw = GetCellText(realCol, row);
    AnsiString text = raw;
    if (::IsUnicodeCell(raw)) text = Utf16ToCp949(UnicodeCellToWide(raw));
    else if (!htmlHint_ && CellMarkupKind(raw, enableHTML_) == 1) text = HtmlToPlainText(raw);
    bool show = !text.empty();
    if (show && hintShowLargeText_) {
      Canvas()->Font()->Assign(*Font());
      const TSize extent = Canvas()->TextExtent(text);
      const int width = cell.Right - cell.Left - 2 * textOffsetX_;
      const int height = cell.Bottom - cell.Top;
      const bool multiLine = text.find('\n') != std::string::npos;
      show = extent.cx > width || extent.cy > height || (multiLine && !multilinecells_);
    }
    if (show) {
      hint = htmlHint_ ? raw : text;
      info->HintPos = ClientToScreen(TPoint{cell.Left, cell.Top});
      placed = true;
    }
  }
  if (!placed) info->HintPos = ClientToScreen(TPoint{cell.Left, cell.Bottom + 6});
  GetCellHint(realCol, row, hint);
  info->HintColor = hintColor_;
  if (!hint.empty()) info->HintStr = hint;
  else if (Hint().empty()) m.Result = 1;
}

void TExStringGrid::CMMouseLeave(TMessage& m) {
  TBaseGrid::CMMouseLeave(m);
  SetHotFixedCell(TPoint{-1, -1});
  if (!hoverLink_.empty()) {
    if (OnAnchorExit) OnAnchorExit(this, hoverCell_.Y, DisplColIndex(hoverCell_.X), hoverLink_);
    hoverLink_.clear();
    SetHover(TPoint{-1, -1}, 0);
  }
  hitZone_ = 0;
  // Panning ends with the mouse gone from a grid that holds it no more.
  if (panning_ && !MouseCapture()) StopPanning();
  mouseOver_ = false;
  UpdateHoverTimer();
}

// ------------------------------------------------------------- wheel

bool TExStringGrid::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  if (panning_) return true;
  if (OnMouseWheel) {
    bool handled = false;
    OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
    if (handled) return true;
  }
  // Fine-grained wheels send small deltas: they add up to whole notches.
  if ((wheelRemainder_ > 0) != (wheelDelta > 0)) wheelRemainder_ = 0;
  wheelRemainder_ += wheelDelta;
  const int notches = wheelRemainder_ / WHEEL_DELTA;
  wheelRemainder_ -= notches * WHEEL_DELTA;
  if (notches == 0) return true;
  const int lines = std::max(Mouse ? Mouse->WheelScrollLines() : 3, 1);
  if (shift.contains(ssCtrl) && intelliZoom_) {
    for (int i = 0; i < std::abs(notches); ++i) ZoomBy(notches > 0 ? -lines : lines);
    return true;
  }
  if (!enableWheel_) return false;
  const int fixedRows = TBaseGrid::FixedRows();
  if (RowCount() <= fixedRows) return true;
  const int step = mouseActions_->WheelIncrement() > 0 ? mouseActions_->WheelIncrement() : lines;
  const int left = LeftCol();
  if (mouseActions_->WheelAction() == waScroll) {
    const int maxTop = std::max(RowCount() - VisibleRowCount(), fixedRows);
    const int top = std::clamp(TopRow() - notches * step, fixedRows, maxTop);
    if (top != TopRow()) SetTopRow(top);
  } else {
    // Downwards the step counts from the last row of a merged cell, so that
    // the cursor leaves it; it rests on the base cell of the cell it reaches.
    int from = Row();
    if (notches < 0 && InGrid(Col(), Row())) from = BaseCellOf(Col(), Row()).Y + CellSpan(Col(), Row()).Y;
    const int target = std::clamp(from - notches * step, fixedRows, LastDataRow());
    const int col = std::clamp(Col(), TBaseGrid::FixedCols(), std::max(ColCount() - 1, 0));
    if (target != Row() || col != Col()) {
      FocusCell(col, target, true);
      FocusBaseCell();
      // The row marks follow the current row as they do for the keys: the
      // row left must not stay highlighted.
      SyncDisjunctMarks({});
    }
  }
  if (Options().contains(goRowSelect) && navigation_->KeepHorizScroll() && LeftCol() != left) SetLeftCol(left);
  return true;
}

// ------------------------------------------------------------- panning and timers

void TExStringGrid::StopPanning() {
  if (!panning_) return;
  panning_ = false;
  if (HandleAllocated()) KillTimer(Handle(), kPanTimerId);
  if (MouseCapture()) SetMouseCapture(false);
  ShowGridCursor(crDefault);
  InvalidateRect(PanGlyphRect(panOrigin_));
}

void TExStringGrid::PanStep() {
  if (!panning_) return;
  if (!Focused() && !MouseCapture()) {
    StopPanning();
    return;
  }
  const TPoint pt = ScreenToClient(Mouse->CursorPos());
  const TIntelliPan mode = ScrollOptions().IntelliPan;
  int dx = 0, dy = 0;
  if (mode != ipVertical) dx = pt.X > panOrigin_.X + 5 ? 1 : pt.X < panOrigin_.X - 5 ? -1 : 0;
  if (mode != ipHorizontal) dy = pt.Y > panOrigin_.Y + 5 ? 1 : pt.Y < panOrigin_.Y - 5 ? -1 : 0;
  static constexpr int kCursors[3][3] = {{8006, 8004, 8005}, {8002, 8000, 8003}, {8008, 8001, 8007}};
  ShowGridCursor(kCursors[dy + 1][dx + 1]);
  if (dx == 0 && dy == 0) return;
  const int col = std::clamp(Col() + dx, FirstDataCol(), LastDataCol());
  const int row = std::clamp(Row() + dy, TBaseGrid::FixedRows(), LastDataRow());
  if (col != Col() || row != Row()) {
    FocusCell(col, row, true);
    // A scroll may have carried the glyph's pixels along with the cells.
    InvalidateRect(PanGlyphRect(panOrigin_));
  }
}

void TExStringGrid::UpdateHoverTimer() {
  const bool want = ((ScrollOptions().Hovering && mouseOver_) || (enableBlink_ && blinkShown_)) &&
                    !(ComponentState().contains(csDesigning));
  if (want == hoverTimerOn_ || !HandleAllocated()) return;
  hoverTimerOn_ = want;
  if (want) SetTimer(Handle(), kHoverTimerId, kHoverInterval);
  else KillTimer(Handle(), kHoverTimerId);
}

void TExStringGrid::SetEnableBlink(bool v) {
  enableBlink_ = v;
  // What is on screen now was painted without asking: the first tick looks.
  blinkShown_ = v;
  UpdateHoverTimer();
}

void TExStringGrid::WMTimer(TMessage& m) {
  if (m.WParam == kPanTimerId) {
    PanStep();
    return;
  }
  if (m.WParam != kHoverTimerId) {
    TBaseGrid::WMTimer(m);
    return;
  }
  if (ScrollOptions().Hovering && Mouse && !EditorMode() && GridState() == gsNormal) {
    // The cell under the mouse becomes current; the focus stays where the
    // user put it.
    const TPoint pt = ScreenToClient(Mouse->CursorPos());
    if (pt.X >= 0 && pt.Y >= 0 && pt.X < ClientWidth() && pt.Y < ClientHeight()) {
      int col = -1, row = -1;
      MouseToCell(pt.X, pt.Y, col, row);
      if (col >= TBaseGrid::FixedCols() && row >= TBaseGrid::FixedRows() && !IsFixedCell(col, row) &&
          (col != Col() || row != Row()))
        FocusCell(col, row, true);
    }
  }
  if (enableBlink_) {
    blinkPhase_ = !blinkPhase_;
    const int lastRow = std::min(TopRow() + VisibleRowCount(), RowCount() - 1);
    const int lastCol = std::min(LeftCol() + VisibleColCount(), ColCount() - 1);
    bool anyBlinking = false;
    auto repaintBlinking = [&](int c, int r) {
      if (GetCellText(RealColIndex(c), r).find("<BLI") == std::string::npos) return;
      anyBlinking = true;
      InvalidateCell(c, r);
    };
    for (int r = 0; r <= lastRow; ++r) {
      if (r >= TBaseGrid::FixedRows() && r < TopRow()) continue;
      for (int c = 0; c <= lastCol; ++c) {
        if (c >= TBaseGrid::FixedCols() && c < LeftCol()) continue;
        repaintBlinking(c, r);
      }
    }
    // Nothing blinks on screen: the timer rests until a cell that blinks
    // is painted.
    if (!anyBlinking) {
      blinkShown_ = false;
      UpdateHoverTimer();
    }
  }
}

void TExStringGrid::WMKillFocus(TMessage& m) {
  StopPanning();
  ReleaseHtmlButton();
  ReleaseCellButton();
  gripResizing_ = false;
  HideMoveFeedback();
  TBaseGrid::WMKillFocus(m);
}

void TExStringGrid::ReleaseCellButton() {
  if (pressedButton_.X < 0) return;
  const TPoint cell = pressedButton_;
  pressedButton_ = TPoint{-1, -1};
  if (MouseCapture()) SetMouseCapture(false);
  if (cell.X < RealColCount() && cell.Y < RowCount()) RepaintCell(DisplColIndex(cell.X), cell.Y);
}

void TExStringGrid::ReleaseHtmlButton() {
  if (htmlButtonCell_.X < 0) return;
  const TPoint cell = htmlButtonCell_;
  htmlButtonCell_ = TPoint{-1, -1};
  if (cell.X < RealColCount() && cell.Y < RowCount()) RepaintCell(DisplColIndex(cell.X), cell.Y);
}

void TExStringGrid::SetHotFixedCell(TPoint cell) {
  if (cell.X == hotFixedCell_.X && cell.Y == hotFixedCell_.Y) return;
  const TPoint old = hotFixedCell_;
  hotFixedCell_ = cell;
  if (old.X >= 0 && old.X < ColCount() && old.Y < RowCount()) RepaintCell(old.X, old.Y);
  if (cell.X >= 0) RepaintCell(cell.X, cell.Y);
}

void TExStringGrid::ReleasePressedFixedCell() {
  if (pressedFixed_.X < 0) return;
  const TPoint cell = pressedFixed_;
  pressedFixed_ = TPoint{-1, -1};
  RepaintCell(cell.X, cell.Y);
}

void TExStringGrid::WMCancelMode(TMessage& m) {
  // An ended gesture leaves no marker, pan or grip behind.
  StopPanning();
  ReleasePressedFixedCell();
  ReleaseHtmlButton();
  ReleaseCellButton();
  ownSizingCol_ = -1;
  gripResizing_ = false;
  rangeAnchor_ = -1;
  pendingDrag_ = false;
  HideMoveFeedback();
  TBaseGrid::WMCancelMode(m);
}
