// Cell graphics of TExStringGrid: the size the text makes room for, the
// drawing of each cell type, node glyphs and tree lines, and the check box,
// radio group and progress looks of every control style.
//
// Sections:
//   Graphic extent ....... GraphicExtent (size, alignment, text allowed)
//   Cell graphic ......... DrawCellGraphic by type
//   Nodes ................ DrawTreeLines, DrawNodeGlyph
//   Check and radio ...... DrawCheck, DrawRadioGroup
#include <algorithm>
#include <cmath>

#include "grid/ExGrid.h"
#include "platform/vcl/Themes.h"

// ------------------------------------------------------------- graphic extent

TExStringGrid::TGraphicExtent TExStringGrid::GraphicExtent(int realCol, int row) {
  TGraphicExtent e;
  TCellGraphic* graphic = GetCellGraphic(realCol, row);
  if (!graphic) return e;
  e.Graphic = graphic;
  e.VAlign = graphic->CellVAlign();
  e.HAlign = graphic->CellHAlign();
  const TCustomImageList* images = gridImages_;
  switch (graphic->CellType()) {
    case ctBitmap:
    case ctIcon:
    case ctPicture:
    case ctFilePicture:
    case ctButton:
    case ctBitButton:
    case ctImages: {
      const TPoint size = GetCellGraphicSize(realCol, row);
      e.Width = size.X;
      e.Height = size.Y;
      return e;
    }
    case ctImageList:
    case ctDataImage:
      if (images) {
        e.Width = images->Width();
        e.Height = images->Height();
      }
      e.TextAllowed = graphic->CellType() == ctImageList;
      break;
    case ctCheckBox:
      e.Width = e.Height = controlLook_->CheckSize();
      break;
    case ctDataCheckBox:
    case ctVirtCheckBox:
      e.Width = e.Height = controlLook_->CheckSize();
      e.TextAllowed = false;
      break;
    case ctRotated:
    case ctRadio:
    case ctProgress:
      e.TextAllowed = false;
      break;
    case ctProgressPie:
      e.Width = e.Height = 20;
      break;
    default: break;
  }
  const TPoint cell = MergedCellSize(DisplColIndex(realCol), row);
  if (e.VAlign == vaFull) e.Height = cell.Y;
  if (e.HAlign == haFull) e.Width = cell.X;
  return e;
}

// ------------------------------------------------------------- cell graphic

void TExStringGrid::DrawCellGraphic(TCanvas* canvas, int realCol, int row, TRect rect, TCellGraphic* graphic,
                                    TGridDrawState state) {
  if (!graphic) return;
  TCanvasKeeper keeper(canvas);
  const TGraphicExtent e = GraphicExtent(realCol, row);
  const int W = e.Width, H = e.Height;
  const int rw = rect.Width(), rh = rect.Height();
  const bool textRight = keptTextAlign_ == taRightJustify;
  int x = rect.Left + 1;
  switch (e.HAlign) {
    case haRight: x = rect.Right - 1 - W; break;
    case haCenter: x = W < rw ? rect.Left + (rw - W) / 2 : rect.Left + 1; break;
    case haBeforeText:
      x = keptTextAlign_ == taLeftJustify ? rect.Left + 1 : std::max(rect.Left + 1, rect.Right - (keptTextWidth_ + 2) - W);
      break;
    case haAfterText: x = textRight ? rect.Right - 1 - W : rect.Left + keptTextWidth_ + 2; break;
    case haFull: x = rect.Left; break;
    default: break;
  }
  int y = rect.Top + 1;
  switch (e.VAlign) {
    case vaBottom: y = rect.Bottom - 1 - H; break;
    case vaCenter: y = H < rh ? rect.Top + (rh - H) / 2 : rect.Top + 1; break;
    case vaUnderText: y = rect.Bottom - H; break;
    case vaFull: y = rect.Top; break;
    default: break;
  }
  const TColor background = keptShownSelected_ && selectionColor_ != clNone ? selectionColor_ : canvas->Brush()->Color();
  const TCustomImageList* images = gridImages_;
  switch (graphic->CellType()) {
    case ctBitmap:
      if (const TBitmap* bitmap = graphic->CellBitmap(); bitmap && !bitmap->Empty()) {
        if (graphic->CellTransparent()) DrawBitmapTransparent(*canvas, *bitmap, background, TRect{x, y, x + W, y + H});
        else canvas->Draw(x, y, *bitmap);
      }
      break;
    case ctIcon:
      if (const TIcon* icon = graphic->CellIcon(); icon && !icon->Empty()) canvas->Draw(x, y, *icon);
      break;
    case ctImageList:
      // Indexes outside the list draw nothing.
      if (images && graphic->CellIndex() >= 0 && graphic->CellIndex() < images->Count())
        images->Draw(canvas, x, y, graphic->CellIndex(), true);
      break;
    case ctDataImage:
      if (images) {
        int value = 0;
        const bool numeric = TryStrToInt(GetCellText(realCol, row), value);
        const long long index = static_cast<long long>(graphic->CellIndex()) + (numeric ? value : 0);
        if (index >= 0 && index < images->Count()) images->Draw(canvas, x, y, static_cast<int>(index), true);
      }
      break;
    case ctImages:
      if (const TIntList* list = graphic->CellImages(); list && images) {
        for (int i = 0; i < list->Count(); ++i) {
          const int index = list->Items(i);
          if (index >= 0 && index < images->Count()) images->Draw(canvas, x, y, index, true);
          if (graphic->CellBoolean()) x += images->Width();
          else y += images->Height();
        }
      }
      break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox: {
      const bool withText = graphic->CellType() == ctCheckBox;
      switch (keptTextAlign_) {
        case taRightJustify:
          x = std::max(rect.Left + 1, rect.Right - W - 1 - (withText ? keptTextWidth_ : 0));
          break;
        case taCenter:
          x = rect.Left + std::max(0, rw - W) / 2;
          if (withText && keptTextWidth_ > 0) x -= W;
          break;
        default:
          if (e.HAlign != haRight && e.HAlign != haAfterText) x = rect.Left + 1;
          break;
      }
      bool enabled = true;
      CanEditCell(realCol, row, enabled);
      bool checked = graphic->CellBoolean();
      if (!withText) {
        AnsiString checkTrue = checkTrue_;
        GetCheckTrue(realCol, row, checkTrue);
        checked = GetCellText(realCol, row) == checkTrue;
      }
      DrawCheck(canvas, TRect{x, y, x + W, y + H}, checked, enabled, controlLook_->ControlStyle());
      break;
    }
    case ctRadio: {
      bool enabled = true;
      CanEditCell(realCol, row, enabled);
      const TStringList* items = graphic->CellStrings();
      const int count = items ? items->Count() : 0;
      DrawRadioGroup(canvas, rect, count, items, graphic->CellIndex(), GetCellText(realCol, row), !enabled,
                     graphic->CellBoolean());
      break;
    }
    case ctRotated: {
      const AnsiString text = GetCellText(realCol, row);
      TRect r = rect;
      InflateRect(r, -2, -2);
      const int angle = ((graphic->CellAngle() % 360) + 360) % 360;
      canvas->Font()->SetOrientation(angle * 10);
      const TSize upright = canvas->TextExtent(text + "w");
      // The start point keeps the turned text inside the rect: the text runs
      // from its start along the angle, its height to the left of that line.
      const double a = angle * 3.14159265358979 / 180.0;
      const double ca = std::cos(a), sa = std::sin(a);
      const double xs[] = {0, upright.cx * ca, upright.cy * sa, upright.cx * ca + upright.cy * sa};
      const double ys[] = {0, -upright.cx * sa, upright.cy * ca, -upright.cx * sa + upright.cy * ca};
      const double minX = *std::min_element(std::begin(xs), std::end(xs));
      const double maxX = *std::max_element(std::begin(xs), std::end(xs));
      const double minY = *std::min_element(std::begin(ys), std::end(ys));
      const double maxY = *std::max_element(std::begin(ys), std::end(ys));
      int sx = r.Left - static_cast<int>(std::floor(minX));
      if (keptTextAlign_ == taRightJustify) sx = r.Right - static_cast<int>(std::ceil(maxX));
      else if (keptTextAlign_ == taCenter) sx = r.Left + (r.Width() - static_cast<int>(maxX - minX)) / 2 - static_cast<int>(minX);
      // The cell's vertical alignment places the turned text; one taller
      // than the cell starts at its top.
      const int topY = r.Top - static_cast<int>(std::floor(minY));
      const int bottomY = r.Bottom - static_cast<int>(std::ceil(maxY));
      int sy = topY;
      if (bottomY > topY && keptTextVAlign_ == vtaBottom) sy = bottomY;
      else if (bottomY > topY && keptTextVAlign_ == vtaCenter) sy = topY + (bottomY - topY) / 2;
      canvas->SaveClip();
      canvas->IntersectClipRect(r);
      canvas->SetBkMode(TRANSPARENT);
      canvas->TextOut(sx, sy, text);
      canvas->RestoreClip();
      break;
    }
    case ctPicture:
      if (const TPicture* picture = graphic->CellPicture(); picture && picture->Graphic()) {
        if (graphic->CellAngle() != 0) canvas->StretchDraw(TRect{x, y, x + W, y + H}, *picture->Graphic());
        else canvas->Draw(x, y, *picture->Graphic());
      }
      break;
    case ctFilePicture:
      if (const TFilePicture* picture = graphic->CellFilePicture()) picture->Draw(*canvas, TRect{x, y, x + W, y + H});
      break;
    case ctProgress: {
      int value = 0;
      TryStrToInt(GetCellText(realCol, row), value);
      value = std::clamp(value, 0, 100);
      const TGridControlStyle style = controlLook_->ControlStyle();
      if ((style == csWinXP || style == csTheme) && ThemedXP() && controlLook_->ProgressXP()) {
        TRect bar = rect;
        InflateRect(bar, -controlLook_->ProgressMarginX(), -controlLook_->ProgressMarginY());
        DrawThemePart(*canvas, tpProgressBar, 1, bar);
        InflateRect(bar, -2, -2);
        bar.Right = bar.Left + static_cast<int>(std::lround(bar.Width() * value / 100.0));
        DrawThemePart(*canvas, tpProgressChunk, 1, bar);
      } else {
        const TColor filledColor = FillColorOf(graphic->ProgressColor(), clHighlight);
        const TColor restColor = FillColorOf(graphic->ProgressBackColor(), clWindow);
        TColor filledText = InvertedColor(filledColor), restText = InvertedColor(restColor);
        if (graphic->CellBoolean()) {
          filledText = static_cast<TColor>(graphic->CellIndex());
          restText = static_cast<TColor>(graphic->CellAngle());
        }
        TRect bar = rect;
        InflateRect(bar, -2, -2);
        DrawProgressBar(*canvas, bar, filledColor, controlLook_->ProgressMarginY(), controlLook_->ProgressMarginX(),
                        value, restText, restColor, filledText);
      }
      break;
    }
    case ctProgressPie: {
      int value = 0;
      TryStrToInt(GetCellText(realCol, row), value);
      DrawProgressPie(*canvas, TRect{x, y, x + 20, y + 20}, static_cast<TColor>(graphic->CellAngle()), value);
      break;
    }
    case ctComment: {
      const TColor comment = controlLook_->CommentColor();
      if (comment == clNone) break;
      const TColor color = static_cast<TColor>(graphic->CellAngle()) != clNone && graphic->CellAngle() != 0
                               ? static_cast<TColor>(graphic->CellAngle())
                               : comment;
      canvas->Pen()->SetColor(color);
      canvas->Brush()->SetColor(color);
      canvas->Polygon({TPoint{rect.Right - 7, rect.Top}, TPoint{rect.Right - 2, rect.Top},
                       TPoint{rect.Right - 2, rect.Top + 6}});
      break;
    }
    case ctButton:
    case ctBitButton: {
      // Where the button sits in its cell, packed as the click test reads it
      // (GetCellGraphicRect): x offset low, y offset high.
      const TRect whole = MergedCellRect(DisplColIndex(realCol), row);
      const int offsetX = std::clamp(x - whole.Left, 0, 0xFFFF), offsetY = std::clamp(y - whole.Top, 0, 0x7FFF);
      graphic->SetCellValue(static_cast<double>(offsetY) * 65536.0 + offsetX);
      bool enabled = true;
      if (!controlLook_->NoDisabledButtonLook()) CanEditCell(realCol, row, enabled);
      const bool pushed = graphic->CellBoolean() || (pressedButton_.X == realCol && pressedButton_.Y == row);
      TRect box{x, y, x + W, y + H};
      if (!ThemedXP()) {
        unsigned flags = DFCS_BUTTONPUSH;
        if (controlLook_->FlatButton()) flags |= DFCS_FLAT;
        if (pushed) flags |= DFCS_PUSHED;
        TRect face = box;
        DrawFrameControl(*canvas, face, DFC_BUTTON, flags);
      } else {
        DrawThemePart(*canvas, tpPushButton, !enabled ? 4 : (pushed ? 3 : 1), box);
      }
      InflateRect(box, pushed ? -3 : -2, pushed ? -3 : -2);
      if (graphic->CellType() == ctBitButton) {
        if (const TBitmap* glyph = graphic->CellBitmap(); glyph && !glyph->Empty()) {
          DrawBitmapTransparent(*canvas, *glyph, canvas->Brush()->Color(), box);
          box.Left += glyph->Width() + 2;
        }
      }
      canvas->SetBkMode(TRANSPARENT);
      if (!enabled) canvas->Font()->SetColor(clGrayText);
      TRect caption = box;
      canvas->DrawText(graphic->CellText(), caption, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
      break;
    }
    case ctNode: DrawNodeGlyph(canvas, DisplColIndex(realCol), row, rect, *graphic); break;
    default: break;
  }
  (void)state;
}

// ------------------------------------------------------------- nodes

void TExStringGrid::DrawTreeLines(TCanvas* canvas, int row, TRect rect) {
  TCanvasKeeper keeper(canvas);
  rect.Left -= 4;
  const TCellNode& node = *cellNode_;
  canvas->Pen()->SetColor(node.TreeColor());
  canvas->Pen()->SetWidth(1);
  canvas->Pen()->SetStyle(psSolid);
  const int level = NodeLevelOf(row);
  if (level <= 0) return;
  const int indent = node.NodeIndent();
  const int x = rect.Left - indent / 2;
  const int mid = rect.Top + rect.Height() / 2;
  if (!IsNodeRow(row)) {
    // The full tree draws the stub from the cell's edge; it stops before the
    // text either way, so the line never strikes through it.
    const int from = node.ShowTreeFull() ? std::min(x, rect.Left - GetCellIndent(row) + 1) : x;
    CanvasLine(canvas, from, mid, rect.Left + 4, mid);
    const int kind = NodeRowKind(row);
    if (kind == 1) CanvasLine(canvas, x, rect.Top, x, mid);
    else if (kind == 2) CanvasLine(canvas, x, rect.Top, x, rect.Bottom);
  }
  // The lines of the enclosing levels run on from row to row.
  for (int l = 1; l < level; ++l) CanvasLine(canvas, x - l * indent, rect.Top, x - l * indent, rect.Bottom);
}

void TExStringGrid::DrawNodeGlyph(TCanvas* canvas, int col, int row, const TRect& rect, const TCellGraphic& graphic) {
  const TCellNode& node = *cellNode_;
  const bool collapsed = graphic.CellBoolean();
  const int indent = node.NodeIndent();
  // The rect starts past the row's indent (and 4 pixels of room); the glyph
  // sits in the last indent step.
  const int x = rect.Left - (GetCellIndent(row) > 0 ? 4 : 0) - indent;
  const int mid = rect.Top + rect.Height() / 2;
  const TColor background = canvas->Brush()->Color();
  if (node.ShowTree() && row >= TBaseGrid::FixedRows()) {
    TCanvasKeeper keeper(canvas);
    canvas->Pen()->SetColor(node.TreeColor());
    const bool shift = (look_ == glSoft || look_ == glGradient || look_ == glXP || look_ == glListView) &&
                       col < TBaseGrid::FixedCols() && !flat_;
    const int lx = x + indent / 2 - (shift ? 1 : 0);
    // From the glyph down to the rows it holds while expanded.
    if (!collapsed) CanvasLine(canvas, lx, mid + 4, lx, rect.Bottom);
  }
  switch (node.NodeType()) {
    case cnLeaf:
      DrawResourceBitmap(*canvas, collapsed ? "ESGLEAFCLOSE" : "ESGLEAFOPEN", background,
                         TRect{x, rect.Top + 2, x + 16, rect.Top + 18});
      return;
    case cnXP:
      DrawResourceBitmap(*canvas, collapsed ? "XPNODEC" : "XPNODEO", background,
                         TRect{x + 4, mid - 4, x + 13, mid + 5});
      return;
    default: break;
  }
  TCellNode& mutableNode = *cellNode_;
  if (node.NodeType() == cnGlyph && !mutableNode.ExpandGlyph()->Empty() && !mutableNode.ContractGlyph()->Empty()) {
    const TBitmap& glyph = collapsed ? *mutableNode.ContractGlyph() : *mutableNode.ExpandGlyph();
    DrawBitmapTransparent(*canvas, glyph, background, TRect{x, mid - glyph.Height() / 2, x + glyph.Width(), mid + glyph.Height()});
    return;
  }
  TCanvasKeeper keeper(canvas);
  TRect box{x + 4, mid - 4, x + 12, mid + 4};
  if (node.NodeType() == cnFlat) {
    canvas->Pen()->SetColor(node.NodeColor());
    canvas->Brush()->SetColor(FillColorOf(background, clWindow));
    canvas->Rectangle(box.Left, box.Top, box.Right + 1, box.Bottom + 1);
    CanvasLine(canvas, box.Left + 2, mid, box.Right - 1, mid);
    if (collapsed) CanvasLine(canvas, box.Left + 4, box.Top + 2, box.Left + 4, box.Bottom - 1);
    return;
  }
  if (node.NodeType() == cn3D) {
    canvas->Brush()->SetColor(FillColorOf(node.Color(), clBtnFace));
    canvas->FillRect(rect);
    canvas->Pen()->SetColor(clWhite);
    CanvasLine(canvas, rect.Left, rect.Bottom - 1, rect.Left, rect.Top);
    canvas->LineTo(rect.Right - 1, rect.Top);
    canvas->Pen()->SetColor(0x808080);
    canvas->LineTo(rect.Right - 1, rect.Bottom - 1);
    canvas->LineTo(rect.Left, rect.Bottom - 1);
  }
  DrawEdge(*canvas, box, collapsed ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_SOFT);
}

// ------------------------------------------------------------- check and radio

void TExStringGrid::DrawCheck(TCanvas* canvas, const TRect& box, bool checked, bool enabled, TGridControlStyle style) {
  if (controlLook_->NoDisabledCheckRadioLook()) enabled = true;
  TCanvasKeeper keeper(canvas);
  const int size = controlLook_->CheckSize();
  switch (style) {
    case csClassic:
    case csFlat: {
      TRect r{box.Left + (box.Width() - size) / 2, box.Top + (box.Height() - size) / 2, 0, 0};
      r.Right = r.Left + size;
      r.Bottom = r.Top + size;
      unsigned flags = DFCS_BUTTONCHECK;
      if (checked) flags |= DFCS_CHECKED;
      if (style == csFlat) flags |= DFCS_FLAT;
      if (!enabled) flags |= DFCS_INACTIVE;
      DrawFrameControl(*canvas, r, DFC_BUTTON, flags);
      break;
    }
    case csWinXP:
      DrawResourceGlyph(*canvas, checked ? (enabled ? "ESGCHK01" : "ESGCHK03") : (enabled ? "ESGCHK02" : "ESGCHK04"),
                        box.Left, box.Top);
      break;
    case csGradient:
      DrawResourceGlyph(*canvas, checked ? (enabled ? "ESGCHK05" : "ESGCHK07") : (enabled ? "ESGCHK06" : "ESGCHK08"),
                        box.Left, box.Top);
      break;
    case csQuorvex: {
      const TRect r{box.Left, box.Top, box.Left + size, box.Top + size};
      canvas->Brush()->SetColor(enabled ? clBtnFace : clBtnShadow);
      canvas->Pen()->SetColor(clBtnFace);
      canvas->Rectangle(r);
      canvas->Pen()->SetColor(clBtnHighlight);
      CanvasLine(canvas, r.Left, r.Bottom - 1, r.Left, r.Top);
      canvas->LineTo(r.Right - 1, r.Top);
      canvas->Pen()->SetColor(clBtnShadow);
      canvas->LineTo(r.Right - 1, r.Bottom - 1);
      canvas->LineTo(r.Left, r.Bottom - 1);
      if (checked) {
        canvas->Pen()->SetColor(enabled ? controlLook_->Color() : 0x808080);
        canvas->Pen()->SetWidth(2);
        canvas->Polyline({TPoint{r.Left + 3, r.Top + size / 2}, TPoint{r.Left + size / 2 - 1, r.Bottom - 4},
                          TPoint{r.Right - 3, r.Top + 3}});
      }
      break;
    }
    case csGlyph: {
      TBitmap* glyph = checked ? controlLook_->CheckedGlyph() : controlLook_->UnCheckedGlyph();
      if (!glyph->Empty()) DrawBitmapTransparent(*canvas, *glyph, canvas->Brush()->Color(), box);
      break;
    }
    case csTheme:
      if (ThemedXP())
        DrawThemePart(*canvas, tpCheckBox, checked ? (enabled ? 5 : 8) : (enabled ? 1 : 4),
                      TRect{box.Left, box.Top, box.Left + size, box.Top + size});
      break;
  }
}

int TExStringGrid::RadioButtonSize() const {
  const TGridControlStyle style = controlLook_->ControlStyle();
  if (style == csWinXP || style == csGradient || style == csGlyph) return 16;
  return controlLook_->RadioSize() + (style == csFlat ? 2 : 0);
}

void TExStringGrid::DrawRadioGroup(TCanvas* canvas, const TRect& rect, int count, const TStrings* items,
                                   int selectedIndex, const AnsiString& selectedText, bool disabled, bool horizontal) {
  if (controlLook_->NoDisabledCheckRadioLook()) disabled = false;
  TCanvasKeeper keeper(canvas);
  canvas->SetBkMode(TRANSPARENT);
  const TGridControlStyle style = controlLook_->ControlStyle();
  const int buttonSize = RadioButtonSize();
  const TColor textColor = canvas->Font()->Color();
  auto drawButton = [&](int bx, int by, bool selected) {
    switch (style) {
      case csClassic:
      case csFlat:
      case csQuorvex: {
        TRect r{bx, by, bx + buttonSize, by + buttonSize};
        unsigned flags = DFCS_BUTTONRADIO;
        if (style == csFlat) flags |= DFCS_FLAT;
        if (disabled) flags |= DFCS_INACTIVE;
        if (selected) flags |= DFCS_CHECKED;
        DrawFrameControl(*canvas, r, DFC_BUTTON, flags);
        break;
      }
      case csWinXP:
        DrawResourceGlyph(*canvas, selected ? (disabled ? "ESGRAD03" : "ESGRAD01") : (disabled ? "ESGRAD04" : "ESGRAD02"),
                          bx, by);
        break;
      case csGradient:
        DrawResourceGlyph(*canvas, selected ? (disabled ? "ESGRAD07" : "ESGRAD05") : (disabled ? "ESGRAD08" : "ESGRAD06"),
                          bx, by);
        break;
      case csGlyph: {
        TBitmap* glyph = selected ? controlLook_->RadioOnGlyph() : controlLook_->RadioOffGlyph();
        if (!glyph->Empty()) DrawBitmapTransparent(*canvas, *glyph, canvas->Brush()->Color(), TRect{bx, by, bx + 16, by + 16});
        break;
      }
      case csTheme:
        if (ThemedXP())
          DrawThemePart(*canvas, tpRadioButton, selected ? (disabled ? 8 : 5) : (disabled ? 4 : 1),
                        TRect{bx, by, bx + buttonSize, by + buttonSize});
        break;
    }
  };
  const std::vector<TRect> buttons = RadioItemButtons(*canvas, rect, count, items, buttonSize, horizontal);
  for (int i = 1; i <= count; ++i) {
    const AnsiString caption = items && items->Count() >= i ? items->Strings(i - 1) : AnsiString();
    const bool selected = selectedIndex == -1 ? caption == selectedText : i - 1 == selectedIndex;
    canvas->Font()->SetColor(selected && keptShownSelected_ && selectionTextColor_ != clNone ? selectionTextColor_
                                                                                             : textColor);
    const TRect& button = buttons[static_cast<std::size_t>(i - 1)];
    drawButton(button.Left, button.Top, selected);
    if (caption.empty()) continue;
    const int textTop = horizontal ? rect.Top + (rect.Height() - canvas->TextHeight(caption)) / 2 : button.Top;
    canvas->TextOut(button.Right + 3, textTop, caption);
  }
}
