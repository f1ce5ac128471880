// Cell painting of TExStringGrid: the colour query, the content of a cell
// (fixed-cell looks, text kinds, sort indicators, background picture,
// selection outline, borders, focus rectangle) and the measuring of a cell.
//
// Sections:
//   Colours .............. GetCellColors (the order of priority)
//   Cell content ......... DrawCellContent and its steps
//   Fixed-cell looks ..... before and after the content
//   Text ................. the text kinds, plain text, sort indicators
//   Measuring ............ GetCellTextSize
//   Small state .......... zoom, offsets, disjunct cells, hover
//
// Call order for one cell (the base grid calls the first two):
//   GetCellColors (base fill) -> fill, grid lines -> DrawCellContent
//     -> GetCellColors again (no selection) -> GraphicExtent
//     -> fixed look before -> combo button -> DrawContent (text kinds)
//     -> borders -> fixed look after -> tree lines -> DrawCellGraphic
//     -> OnDrawCell, OnCustomCellDraw -> focus rectangle
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/PictureContainer.h"
#include "grid/ExHtml.h"
#include "grid/ExPanGlyph.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Messages.h"
#include "platform/vcl/RichText.h"
#include "platform/vcl/Themes.h"

// What one cell's drawing carries from step to step.
struct TExStringGrid::TCellPaint {
  TGraphicExtent Extent;
  TAlignment HAlign = taLeftJustify;
  TVAlignment VAlign = vtaTop;
  TColor UrlColor = clNone;
  bool ShownSelected = false;
  int ErrFrom = 0;
  int ErrLen = 0;
  AnsiString Text;
  int Kind = 0;
};

namespace {

unsigned HorzFlag(TAlignment a) {
  switch (a) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

unsigned VertFlag(TVAlignment a) {
  switch (a) {
    case vtaCenter: return DT_VCENTER;
    case vtaBottom: return DT_BOTTOM;
    default: return DT_TOP;
  }
}

bool ContainsText(std::string_view text, std::string_view what) { return text.find(what) != std::string_view::npos; }

// The text replaced character by character (a double-byte character is one).
AnsiString MaskText(std::string_view text, char mask) {
  AnsiString out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size()) ++i;
    out += mask;
  }
  return out;
}

// The kind a cell's text paints and measures as: a text whose only tags are
// form controls is mark-up too, as its clicks take it to be.
int PaintedTextKind(const TExStringGrid& grid, std::string_view text) {
  const int kind = grid.CellTextKind(text);
  return kind == 0 && grid.EnableHTML() && !grid.PlainTextCells() && HasControlTags(text) ? 1 : kind;
}

}  // namespace

// ------------------------------------------------------------- colours

void TExStringGrid::GetCellColors(int col, int row, TFont* font, TBrush* brush, TColor& gradientEnd,
                                  TAlignment& hAlign, TVAlignment& vAlign, bool mapColumn, bool applySelection,
                                  bool printing, TGridDrawState& state) {
  const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
  const int realCol = RealColIndex(col);
  // 1. The font of the cell's area; a printout has fonts of its own unless
  // it is told to look like the screen.
  const bool normalArea = realCol >= fixedCols && row >= fixedRows;
  TPrintSettings* print = printing && !PrintSettings()->UseDisplayFont() ? PrintSettings() : nullptr;
  if (print) font->Assign(normalArea ? *print->Font() : *print->FixedFont());
  else font->Assign(normalArea ? *Font() : fixedFont_);
  // 2. The column the store and the queries use.
  const int c = mapColumn ? realCol : col;
  const TMouseActions& mouse = *mouseActions_;
  // A hidden selection: no cell is drawn selected or current.
  const bool selectionShown = SelectionShown();
  if (!selectionShown) {
    state.erase(gdSelected);
    state.erase(gdFocused);
  }
  const int selRow = mouse.DisjunctRowSelect() && mouse.RowSelectPersistent() ? RealRowIndex(row) : row;
  // 3., 4. The cell's own looks.
  TColor brushColor = clNone;
  gradientEnd = clNone;
  if (const TCellProperties* props = FindCellProperties(c, row)) {
    brushColor = props->BrushColor();
    if (props->FontColor() != clNone) font->SetColor(props->FontColor());
    if (!props->FontStyle().Empty()) font->SetStyle(props->FontStyle());
    if (props->FontSize() != 0) font->SetSize(props->FontSize());
    if (!props->FontName().empty()) font->SetName(props->FontName());
    gradientEnd = props->BrushColorTo();
  }
  // 5. Grid colour, bands, fixed areas.
  if (brushColor == clNone) {
    brushColor = Color();
    const bool bandArea = col >= fixedCols && col < ColCount() - fixedRightCols_ + hiddenColCount_ &&
                          row >= fixedRows && row < RowCount() - fixedFooters_;
    if (bands_->Active() && (!printing || bands_->Print()) && bandArea)
      brushColor = FillColorOf(bands_->ColorOfRow(row - fixedRows, Color()), Color());
    if (col < fixedCols || row < fixedRows || col >= ColCount() - fixedRightCols_ ||
        row >= RowCount() - fixedFooters_)
      brushColor = FixedColor();
  }
  brush->SetColor(brushColor);
  // 6. Fixed cells.
  const bool fixed = IsFixedCell(col, row) || col < fixedCols || row < fixedRows;
  if (fixed && !printing) {
    brush->SetColor(FixedColor());
    font->SetColor(fixedFont_.Color());
  }
  if (fixed) state.insert(gdFixed);
  // 7. The colour hook: the column grid's column looks, then OnGetCellColor.
  if (printing) GetCellPrintColor(c, row, state, brush, font);
  else GetCellColor(c, row, state, brush, font);
  // 8. Selection.
  auto applySelectionColors = [&] {
    // No selection colour set keeps the background (clNone never fills).
    if (selectionColor_ != clNone) brush->SetColor(selectionColor_);
    if (selectionTextColor_ != clNone) font->SetColor(selectionTextColor_);
  };
  const bool selectable = applySelection && !printing && showSelection_ && !fixed;
  if (selectable && col >= fixedCols && row >= fixedRows) {
    auto disjunct = [&](bool selected, bool current) {
      if (selected && !(disjunctDrag_ && current)) {
        state = TGridDrawState{gdSelected};
        applySelectionColors();
      } else if (disjunctDrag_ && !selected && state.contains(gdSelected)) {
        state = TGridDrawState{gdSelected};
        applySelectionColors();
      }
    };
    if (mouse.DisjunctRowSelect() && selRow >= 0 && selRow < static_cast<int>(rowSelect_.size()))
      disjunct(rowSelect_[static_cast<std::size_t>(selRow)] != 0, row == Row());
    else if (mouse.DisjunctRowSelect() && state.contains(gdSelected) && disjunctDrag_)
      disjunct(false, row == Row());
    if (mouse.DisjunctColSelect())
      disjunct(col < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<std::size_t>(col)] != 0,
               col == Col());
  }
  const bool disjunctMode = mouse.DisjunctRowSelect() || mouse.DisjunctColSelect();
  if (selectable && selectionShown && Selection().Contains(col, row)) {
    if (!disjunctMode) {
      applySelectionColors();
      state.insert(gdSelected);
    } else if (state.contains(gdSelected) && disjunctDrag_) {
      applySelectionColors();
    }
  } else if (applySelection && !printing && state.contains(gdSelected) && disjunctDrag_) {
    applySelectionColors();
  }
  if (mouse.DisjunctCellSelect() && applySelection && !printing) {
    if (IsCellSelected(c, row)) {
      applySelectionColors();
      state.insert(gdSelected);
    } else if (col == Col() && row == Row()) {
      state.erase(gdSelected);
      brush->SetColor(Color());
      font->SetColor(Font()->Color());
    }
  }
  // A hook that set no colour leaves the cell's background as the grid's.
  if (brush->Color() == clNone || brush->Color() == clDefault) brush->SetColor(fixed ? FixedColor() : Color());
  // 9. Alignment.
  hAlign = taLeftJustify;
  vAlign = vAlignment_;
  if (autoNumAlign_) {
    AnsiString text = GetCellText(c, row);
    if (!text.empty() && text[0] == '=') text = RawCells(c, row);
    if (NumberTextKind(text) < 2) hAlign = taRightJustify;
  }
  if (const TCellProperties* props = FindCellProperties(c, row)) hAlign = props->Alignment();
  GetCellAlignment(c, row, hAlign, vAlign);
}

// ------------------------------------------------------------- cell content

void TExStringGrid::DrawCellContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state) {
  const TRect passedRect = rect;
  const int realCol = RealColIndex(col);
  TCellPaint paint;
  TColor gradientEnd = clNone;
  GetCellColors(col, row, canvas->Font(), canvas->Brush(), gradientEnd, paint.HAlign, paint.VAlign, true, false,
                false, state);
  paint.Extent = GraphicExtent(realCol, row);
  if (state.contains(gdSelected) && !state.contains(gdFocused) && selectionColor_ == clNone)
    canvas->Brush()->SetColor(clHighlight);
  if (zoomStep_ != 0) canvas->Font()->SetSize(std::max(1, canvas->Font()->Size() + zoomStep_));

  // Row indicator in column 0 of the current row, whether the selection
  // shows or not; a header row made current (the last data row removed)
  // marks no row.
  int indicatorWidth = 0;
  if (realCol == 0 && row == Row() && row >= FixedRows() && TBaseGrid::FixedCols() > 0 && !rowIndicator_.Empty()) {
    DrawBitmapTransparent(*canvas, rowIndicator_, FixedColor(), rect);
    indicatorWidth = rowIndicator_.Width();
    rect.Left += indicatorWidth;
  }
  if (realCol == 0 && GetCellIndent(row) > 0) rect.Left += 4;

  const TColor keptBrush = canvas->Brush()->Color();
  const TColor keptFont = canvas->Font()->Color();
  const bool fixed = state.contains(gdFixed);
  if (fixed && !flat_) FixedLookBefore(canvas, col, row, rect);

  if (!fixed && controlLook_->DropDownAlwaysVisible() && HasComboBox(realCol, row)) {
    DrawControlGlyph(*canvas, rect, ThemedXP());
    rect.Right -= 16;
  }

  DrawContent(canvas, col, row, rect, state, paint);

  canvas->Brush()->SetColor(keptBrush);
  canvas->Font()->SetColor(keptFont);
  TRect borderRect = rect;
  InflateRect(borderRect, 1, 1);
  DrawCellBorders(canvas, realCol, row, borderRect);
  rect.Left -= indicatorWidth;

  if (fixed) FixedLookAfter(canvas, col, row, rect);
  if (HasNodes() && realCol == 0 && row >= TBaseGrid::FixedRows() && cellNode_->ShowTree())
    DrawTreeLines(canvas, row, rect);
  if (paint.Extent.Graphic) DrawCellGraphic(canvas, realCol, row, rect, paint.Extent.Graphic, state);

  if (OnDrawCell)
    OnDrawCell(this, realCol, row,
               TRect{rect.Left + 1, rect.Top + 1, rect.Right - GridLineWidth(), rect.Bottom - GridLineWidth()},
               state);
  if (OnCustomCellDraw) OnCustomCellDraw(this, canvas, realCol, row, state, rect, false);

  // The focus rectangle of the current cell.
  if (!hideFocusRect_ && !Options().contains(goRowSelect) && Focused() && SelectionShown()) {
    const TPoint base = BaseCellOf(col, row);
    if (base.X == Col() && base.Y == Row()) {
      TRect focus = passedRect;
      InflateRect(focus, GridLineWidth() - 1, GridLineWidth() - 1);
      focus.Right -= 1;
      focus.Bottom -= 1;
      canvas->DrawFocusRect(focus);
    }
  }
}

void TExStringGrid::DrawContent(TCanvas* canvas, int col, int row, TRect rect, TGridDrawState state,
                                TCellPaint& paint) {
  const int realCol = RealColIndex(col);
  const int fixedCols = TBaseGrid::FixedCols(), fixedRows = TBaseGrid::FixedRows();
  paint.UrlColor = urlColor_;
  // 2. Shown as selected.
  bool rowMarked = false;
  if (Options().contains(goRowSelect) && col >= fixedCols) {
    const int flagRow = SelectFlagRow(row);
    rowMarked = flagRow >= 0 && flagRow < static_cast<int>(rowSelect_.size()) &&
                rowSelect_[static_cast<std::size_t>(flagRow)] != 0;
  }
  paint.ShownSelected = (state.contains(gdSelected) || rowMarked) &&
                        (!state.contains(gdFocused) || Options().contains(goDrawFocusSelected));
  if (paint.ShownSelected && showSelection_) {
    if (selectionColor_ != clNone) canvas->Brush()->SetColor(selectionColor_);
    if (selectionTextColor_ != clNone) {
      canvas->Font()->SetColor(selectionTextColor_);
      paint.UrlColor = selectionTextColor_;
    }
  }
  keptShownSelected_ = paint.ShownSelected && showSelection_;
  // 3. The text and its kind.
  GetDisplayText(realCol, row, paint.Text);
  paint.Kind = PaintedTextKind(*this, paint.Text);
  if (paint.Kind == 3) paint.Text = RawCells(realCol, row);
  // 4. Error range and password.
  GetCellErrorRange(realCol, row, paint.ErrFrom, paint.ErrLen);
  bool password = false;
  IsPasswordCell(realCol, row, password);
  if (password) paint.Text = MaskText(paint.Text, passwordChar_);
  // 5. Column filter glyph.
  if (row == 0 && HasColumnFilter(realCol))
    DrawResourceBitmap(*canvas, "ESGFILT", canvas->Brush()->Color(),
                       TRect{rect.Right - 16, rect.Top, rect.Right, rect.Top + 16});
  // 6. Cells outside a disjunct selection show their own colours.
  if (col >= fixedCols && row >= fixedRows && !disjunctDrag_) {
    const TMouseActions& mouse = *mouseActions_;
    const int flagRow = SelectFlagRow(row);
    const bool rowOff = mouse.DisjunctRowSelect() &&
                        !(flagRow >= 0 && flagRow < static_cast<int>(rowSelect_.size()) &&
                          rowSelect_[static_cast<std::size_t>(flagRow)]);
    const bool colOff = mouse.DisjunctColSelect() &&
                        !(col < static_cast<int>(colSelect_.size()) && colSelect_[static_cast<std::size_t>(col)]);
    if (rowOff || colOff) {
      canvas->Brush()->SetColor(Color());
      canvas->Font()->SetColor(Font()->Color());
      paint.UrlColor = urlColor_;
      GetCellColor(realCol, row, state, canvas->Brush(), canvas->Font());
    }
  }
  // 7. Background picture.
  if (!backGround_->Bitmap()->Empty()) {
    const TCellProperties* props = FindCellProperties(realCol, row);
    const bool noGradient = !props || props->BrushColorTo() == clNone;
    const TBackGroundCells cells = backGround_->Cells();
    const bool fixedState = state.contains(gdFixed);
    const bool area = ((cells == bcFixed || cells == bcAll) && fixedState) ||
                      ((cells == bcNormal || cells == bcAll) && !fixedState);
    if (noGradient && area && !(paint.ShownSelected && showSelection_))
      DrawBackGroundPicture(canvas, col, row, rect, fixedState);
  }
  // 8. Selection outline and resizer.
  if (selectionRectangle_ || selectionResizer_) DrawSelectionOutline(canvas, col, row, rect);
  // 9. The text.
  keptTextWidth_ = 0;
  keptTextAlign_ = paint.HAlign;
  keptTextVAlign_ = paint.VAlign;
  if (!paint.Extent.TextAllowed) return;
  const TRect cellRect = rect;
  TRect r = rect;
  r.Left += textOffsetX_;
  r.Right -= textOffsetX_;
  r.Top += textOffsetY_;
  const TGraphicExtent& g = paint.Extent;
  if (g.Graphic) {
    if (g.HAlign == haBeforeText) r.Left += g.Width;
    else if (g.HAlign == haAfterText) r.Right -= g.Width;
    if (g.VAlign == vaAboveText) r.Top += g.Height;
    else if (g.VAlign == vaUnderText) r.Bottom -= g.Height;
  }
  const TFontStyles keptStyle = canvas->Font()->Style();
  const TColor keptColor = canvas->Font()->Color();
  const bool sortCell = IsSortIndicatorCell(realCol, row);
  auto indicatorY = [&](const TRect& box) {
    switch (paint.VAlign) {
      case vtaCenter: return box.Top + (box.Bottom - box.Top) / 2;
      case vtaBottom: return box.Bottom - 8;
      default: return box.Top + 8;
    }
  };
  switch (paint.Kind) {
    case 1: {
      if (row == 0 && HasColumnFilter(realCol)) r.Right -= 18;
      r.Left -= 1;
      if (sortCell) r.Right -= 10;
      TMarkupRequest request;
      request.Canvas = canvas;
      request.Text = paint.Text;
      request.Rect = r;
      request.Images = gridImages_;
      request.Container = pictureContainer_;
      request.Pictures = PictureCache();
      request.HoverAnchor = hoverCell_.X == realCol && hoverCell_.Y == row ? hoverAnchor_ : 0;
      request.Pressed = htmlButtonCell_.X == realCol && htmlButtonCell_.Y == row;
      request.PressedPoint = htmlButtonPoint_;
      request.WordWrap = !enhTextSize_;
      request.AnchorColor = paint.UrlColor;
      // Without the timer the phase never flips: blinking text then shows
      // steadily rather than staying invisible.
      request.BlinkPhase = blinkPhase_ || !enableBlink_;
      if (enableBlink_ && !blinkShown_ && paint.Text.find("<BLI") != std::string::npos) {
        blinkShown_ = true;
        UpdateHoverTimer();
      }
      const int bk = canvas->SetBkMode(TRANSPARENT);
      const TMarkupResult result = DrawMarkupText(request);
      canvas->SetBkMode(bk);
      keptTextWidth_ = result.Width + 2;
      if (sortCell) DrawSortIndicator(canvas, r.Right + 2, indicatorY(cellRect), realCol);
      break;
    }
    case 2: {
      const bool keepBackground = state.contains(gdSelected) && !state.contains(gdFocused) && selectionColor_ == clNone;
      if (!keepBackground) canvas->FillRect(cellRect);
      TRichTextOptions options;
      options.MarginX = textOffsetX_;
      options.MarginY = textOffsetY_;
      if (paint.ShownSelected && showSelection_ && !selectionRTFKeep_ && selectionTextColor_ != clNone)
        options.TextColor = selectionTextColor_;
      DrawRichText(*canvas, paint.Text, cellRect, *canvas->Font(), options);
      break;
    }
    case 5: {
      if (sortCell) r.Right -= 10;
      const bool keepBackground = state.contains(gdSelected) && !state.contains(gdFocused) && selectionColor_ == clNone;
      if (!keepBackground && !IsFixedCell(col, row)) canvas->FillRect(cellRect);
      unsigned flags = HorzFlag(paint.HAlign) | VertFlag(paint.VAlign) | DT_NOPREFIX;
      flags |= wordWrap_ || multilinecells_ ? DT_WORDBREAK : DT_SINGLELINE | DT_END_ELLIPSIS;
      const int bk = canvas->SetBkMode(TRANSPARENT);
      canvas->DrawTextW(UnicodeCellToWide(paint.Text), r, flags);
      canvas->SetBkMode(bk);
      if (sortCell) DrawSortIndicator(canvas, r.Right + 3, indicatorY(cellRect), realCol);
      break;
    }
    default: DrawPlainText(canvas, col, row, r, cellRect, paint); break;
  }
  // 10. What the URL drawing changed.
  canvas->Font()->SetStyle(keptStyle);
  canvas->Font()->SetColor(keptColor);
}

void TExStringGrid::DrawPlainText(TCanvas* canvas, int col, int row, TRect r, const TRect& cellRect,
                                  TCellPaint& paint) {
  const int realCol = RealColIndex(col);
  const TSortSettings& sort = *sortSettings_;
  const bool sortCell = IsSortIndicatorCell(realCol, row);
  AnsiString text = paint.Text;
  // 1. Room for the indicator.
  if (paint.HAlign == taCenter && sortCell) r.Left += 10;
  const int indicatorRoom = row == 0 && sort.Show() && DisplColIndex(realCol) == sort.Column() ? 14 : 0;
  // 2. Links.
  if (urlShow_ && (ContainsText(text, "://") || ContainsText(text, "mailto:"))) {
    if (!urlFull_) StripUrlScheme(text);
    canvas->Font()->SetStyle(canvas->Font()->Style() + TFontStyles{fsUnderline});
    canvas->Font()->SetColor(paint.UrlColor);
  }
  // 3., 4. Flags.
  const bool oneLine = text.find('\r') == AnsiString::npos;
  unsigned flags = DT_EDITCONTROL;
  if ((oneLine || !multilinecells_) && !wordWrap_) {
    const std::size_t cr = text.find('\r');
    if (cr != AnsiString::npos) text.resize(cr);
    flags = DT_SINGLELINE;
    if (enhTextSize_) flags |= DT_END_ELLIPSIS;
  }
  if (wordWrap_ && !multilinecells_ && enhTextSize_) flags |= DT_END_ELLIPSIS;
  unsigned wrap = 0;
  if (wordWrap_) wrap = DT_WORDBREAK | DT_EDITCONTROL;
  else if (!multilinecells_) wrap = DT_SINGLELINE;
  flags |= DT_NOPREFIX | DT_EXPANDTABS | wrap | HorzFlag(paint.HAlign) | VertFlag(paint.VAlign);
  const int bk = canvas->SetBkMode(TRANSPARENT);
  // 5. The indicator's room and the filter glyph's.
  if (paint.HAlign == taLeftJustify) r.Right -= indicatorRoom;
  else r.Left += indicatorRoom;
  const bool filter = row == 0 && HasColumnFilter(realCol);
  if (filter) r.Right -= 16;
  // 6. The width the graphic placement needs.
  if (paint.Extent.Graphic && !text.empty()) {
    TRect calc = r;
    canvas->DrawText(text, calc, flags | DT_CALCRECT);
    keptTextWidth_ = calc.Width() + 2;
  }
  // 7. The text and its error underline.
  if (!text.empty()) {
    TRect drawn = r;
    canvas->DrawText(text, drawn, flags);
    if (paint.ErrLen > 0) DrawErrorUnderline(*canvas, text, paint.ErrFrom, paint.ErrLen, r);
  }
  canvas->SetBkMode(bk);
  // 8. The sort indicator, placed in the cell's rect before the text offsets.
  if (sortCell) {
    TRect box = cellRect;
    if (filter) box.Right -= 16;
    const std::size_t cr = text.find('\r');
    const int textWidth = canvas->TextWidth(cr == AnsiString::npos ? std::string_view(text)
                                                                    : std::string_view(text).substr(0, cr));
    const int w = std::max(0, std::min(textWidth, box.Width() - 16));
    const TGraphicExtent& g = paint.Extent;
    const int extraLeft =
        g.Graphic && (g.HAlign == haLeft || (g.HAlign == haBeforeText && paint.HAlign == taLeftJustify)) ? g.Width : 0;
    int x;
    switch (paint.HAlign) {
      case taRightJustify: x = box.Right - w - 10; break;
      case taCenter: x = box.Left + 8; break;
      default: x = box.Left + w + 10 + extraLeft; break;
    }
    int y;
    switch (paint.VAlign) {
      case vtaCenter: y = box.Top + (box.Bottom - box.Top) / 2; break;
      case vtaBottom: y = box.Bottom - 8; break;
      default: y = box.Top + 8; break;
    }
    DrawSortIndicator(canvas, x, y, realCol);
  }
}

void TExStringGrid::DrawBackGroundPicture(TCanvas* canvas, int col, int row, const TRect& rect, bool fixed) {
  const TBitmap& picture = *backGround_->Bitmap();
  const int bw = picture.Width(), bh = picture.Height();
  if (bw <= 0 || bh <= 0) return;
  canvas->SaveClip();
  canvas->IntersectClipRect(rect);
  if (backGround_->Display() == bdTile) {
    // Phases so that tiles run on from cell to cell.
    const bool normalOnly = backGround_->Cells() == bcNormal;
    const int firstCol = normalOnly ? TBaseGrid::FixedCols() : 0;
    const int firstRow = normalOnly ? TBaseGrid::FixedRows() : 0;
    long long phaseX = 0, phaseY = 0;
    for (int c = firstCol; c < col; ++c) phaseX += ColWidths(c);
    for (int r = firstRow; r < row; ++r) phaseY += RowHeights(r);
    const int startX = rect.Left - static_cast<int>(phaseX % bw);
    const int startY = rect.Top - static_cast<int>(phaseY % bh);
    for (int y = startY; y < rect.Bottom; y += bh)
      for (int x = startX; x < rect.Right; x += bw) canvas->Draw(x, y, picture);
  } else {
    (void)fixed;
    canvas->Draw(backGround_->Left(), backGround_->Top(), picture);
  }
  canvas->RestoreClip();
}

void TExStringGrid::DrawSelectionOutline(TCanvas* canvas, int col, int row, const TRect& rect) {
  const TGridRect sel = Selection();
  if (!sel.Contains(col, row)) return;
  TCanvasKeeper keeper(canvas);
  if (selectionRectangle_) {
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetWidth(2);
    if (col == sel.Left) CanvasLine(canvas, rect.Left + 1, rect.Top, rect.Left + 1, rect.Bottom);
    if (col == sel.Right) CanvasLine(canvas, rect.Right - 1, rect.Top, rect.Right - 1, rect.Bottom);
    if (row == sel.Top) CanvasLine(canvas, rect.Left, rect.Top + 1, rect.Right, rect.Top + 1);
    if (row == sel.Bottom) CanvasLine(canvas, rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom - 1);
    canvas->Pen()->SetWidth(1);
  }
  if (selectionResizer_ && col == sel.Right && row == sel.Bottom) {
    canvas->Brush()->SetColor(clBlack);
    canvas->FillRect(TRect{rect.Right - 4, rect.Bottom - 4, rect.Right, rect.Bottom});
  }
}

void TExStringGrid::DrawCellBorders(TCanvas* canvas, int realCol, int row, TRect rect) {
  TPen pen;
  pen.Assign(*canvas->Pen());
  TCellBorders borders;
  GetCellBorder(realCol, row, &pen, borders);
  if (borders.empty() && !OnGetCellBorderProp) return;
  TPen left, top, right, bottom;
  left.Assign(pen);
  top.Assign(pen);
  right.Assign(pen);
  bottom.Assign(pen);
  if (OnGetCellBorderProp) OnGetCellBorderProp(this, row, realCol, &left, &top, &right, &bottom);
  if (borders.empty()) return;
  TPen saved;
  saved.Assign(*canvas->Pen());
  const int rightIn = Options().contains(goVertLine) ? 1 : 0;
  const int bottomIn = Options().contains(goHorzLine) ? 1 : 0;
  const int r = rect.Right - 1 - rightIn, b = rect.Bottom - 1 - bottomIn;
  if (borders.contains(cbLeft)) {
    canvas->Pen()->Assign(left);
    CanvasLine(canvas, rect.Left, rect.Top, rect.Left, b + 1);
  }
  if (borders.contains(cbRight)) {
    canvas->Pen()->Assign(right);
    CanvasLine(canvas, r, rect.Top, r, b + 1);
  }
  if (borders.contains(cbTop)) {
    canvas->Pen()->Assign(top);
    CanvasLine(canvas, rect.Left, rect.Top, r + 1, rect.Top);
  }
  if (borders.contains(cbBottom)) {
    canvas->Pen()->Assign(bottom);
    CanvasLine(canvas, rect.Left, b, r + 1, b);
  }
  canvas->Pen()->Assign(saved);
}

// ------------------------------------------------------------- fixed-cell looks

void TExStringGrid::FixedLookBefore(TCanvas* canvas, int col, int row, const TRect& rect) {
  const int realCol = RealColIndex(col);
  switch (look_) {
    case glGradient:
    case glXP: {
      const bool activeHeader = activeCellShow_ && SelectionShown() &&
                                ((realCol == 0 && row == Row() && TBaseGrid::FixedCols() > 0) ||
                                 (row == 0 && col == Col() && TBaseGrid::FixedRows() > 0));
      TColor from = activeHeader ? activeCellColor_ : fixedGradientFrom_;
      const TColor to = activeHeader ? activeCellColorTo_ : fixedGradientTo_;
      from = FillColorOf(from, FixedColor());
      TCanvasKeeper keeper(canvas);
      DrawGradient(*canvas, from, to, false, rect, 10);
      break;
    }
    case glListView: {
      TCanvasKeeper keeper(canvas);
      TRect r = rect;
      InflateRect(r, 1, 1);
      if (ThemedXP()) {
        // The mouse's cell as the mouse messages left it: a paint for any
        // other reason shows the same state.
        const TPoint base = BaseCellOf(col, row);
        const bool inside = base.X == hotFixedCell_.X && base.Y == hotFixedCell_.Y;
        const int partState = !inside ? 1 : (hotFixedHeld_ ? 3 : 2);
        DrawThemePart(*canvas, tpHeaderItem, partState, r);
        canvas->Pen()->SetColor(clWhite);
        CanvasLine(canvas, r.Left, r.Top, r.Right, r.Top);
      } else {
        canvas->Brush()->SetColor(clBtnFace);
        canvas->Pen()->SetColor(clWhite);
        canvas->Rectangle(rect);
      }
      break;
    }
    default: break;
  }
}

void TExStringGrid::FixedLookAfter(TCanvas* canvas, int col, int row, TRect rect) {
  TCanvasKeeper keeper(canvas);
  const TGridOptions options = Options();
  if (fixedAsButtons_ && options.contains(goFixedHorzLine) && options.contains(goFixedVertLine)) {
    const bool pressed = pressedFixed_.X == col && pressedFixed_.Y == row;
    DrawEdge(*canvas, rect, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    return;
  }
  const bool ctl3D = !flat_;
  if (!flat_) {
    switch (look_) {
      case glGradient:
      case glXP: {
        TRect r = rect;
        InflateRect(r, 1, 1);
        r.Bottom -= 1;
        canvas->Pen()->SetWidth(1);
        canvas->Pen()->SetColor(DarkenColor(FixedColor()));
        CanvasLine(canvas, r.Left, r.Bottom - 1, r.Right - 1, r.Bottom - 1);
        canvas->Pen()->SetColor(clWhite);
        canvas->MoveTo(r.Right, r.Top + 1);
        canvas->LineTo(r.Left + 1, r.Top + 1);
        canvas->LineTo(r.Left + 1, r.Bottom - 1);
        break;
      }
      case glClassic: {
        TRect edge = rect;
        DrawEdge(*canvas, edge, BDR_RAISEDINNER, BF_TOPLEFT);
        edge = rect;
        DrawEdge(*canvas, edge, EDGE_RAISED, BF_BOTTOMRIGHT);
        canvas->Pen()->SetColor(clBlack);
        canvas->MoveTo(rect.Right - 1, rect.Top);
        canvas->LineTo(rect.Right - 1, rect.Bottom - 1);
        canvas->LineTo(rect.Left - 1, rect.Bottom - 1);
        break;
      }
      case glSoft: {
        TRect r = rect;
        InflateRect(r, 1, 1);
        r.Bottom -= 1;
        canvas->Pen()->SetWidth(1);
        if (options.contains(goFixedHorzLine)) {
          canvas->Pen()->SetColor(DarkenColor(FixedColor()));
          CanvasLine(canvas, r.Left, r.Bottom - 1, r.Right, r.Bottom - 1);
          canvas->Pen()->SetColor(clWhite);
          CanvasLine(canvas, r.Left, r.Top, r.Right, r.Top);
        }
        if (options.contains(goFixedVertLine)) {
          canvas->Pen()->SetColor(DarkenColor(FixedColor()));
          CanvasLine(canvas, r.Right - 1, r.Top, r.Right - 1, r.Bottom);
          canvas->Pen()->SetColor(clWhite);
          CanvasLine(canvas, r.Left, r.Top, r.Left, r.Bottom);
        }
        break;
      }
      default: break;
    }
  } else if (look_ == glSoft) {
    canvas->Pen()->SetColor(clBlack);
    canvas->Pen()->SetWidth(1);
    if (options.contains(goFixedHorzLine)) {
      CanvasLine(canvas, rect.Left - 1, rect.Top - 1, rect.Right + 1, rect.Top - 1);
      CanvasLine(canvas, rect.Left - 1, rect.Bottom, rect.Right + 1, rect.Bottom);
    }
    if (options.contains(goFixedVertLine)) {
      CanvasLine(canvas, rect.Left - 1, rect.Top - 1, rect.Left - 1, rect.Bottom + 1);
      CanvasLine(canvas, rect.Right, rect.Top - 1, rect.Right, rect.Bottom + 1);
    }
  }
  // Right fixed columns, in every look but the classic one, without 3-D.
  const int realCol = RealColIndex(col);
  if (look_ != glClassic && !ctl3D && fixedRightCols_ > 0 &&
      ColCount() - realCol + hiddenColCount_ <= fixedRightCols_) {
    canvas->Pen()->SetColor(flat_ ? 0x808080 : clBlack);
    canvas->Pen()->SetWidth(1);
    if (options.contains(goFixedHorzLine)) {
      CanvasLine(canvas, rect.Left, rect.Top, rect.Right, rect.Top);
      CanvasLine(canvas, rect.Left, rect.Bottom - 1, rect.Right, rect.Bottom - 1);
    }
    if (options.contains(goFixedVertLine)) {
      CanvasLine(canvas, rect.Left, rect.Top, rect.Left, rect.Bottom);
      CanvasLine(canvas, rect.Right - 1, rect.Top, rect.Right - 1, rect.Bottom);
    }
  }
  (void)row;
}

// ------------------------------------------------------------- text

void TExStringGrid::GetDisplayText(int col, int row, AnsiString& text) {
  text = GetCellText(col, row);
  if (!OnGetFloatFormat || NumberTextKind(text) >= 2) return;
  bool isFloat = true;
  AnsiString format = floatFormat_;
  OnGetFloatFormat(this, col, row, isFloat, format);
  if (!isFloat) return;
  try {
    text = Format(format, {Floats(col, row)});
  } catch (const Exception&) {
    // A format that does not take a float leaves the text as it is.
  }
}

bool TExStringGrid::IsSortIndicatorCell(int realCol, int row) {
  const TSortSettings& sort = *sortSettings_;
  if (!sort.Show() || row != sort.Row() || RowCount() <= 2 || TBaseGrid::FixedRows() <= 0) return false;
  // The sort column and the index list name display columns.
  const int displCol = DisplColIndex(realCol);
  if (displCol != sort.Column() && sortIndexes_.FindIndex(displCol) < 0) return false;
  return realCol >= TBaseGrid::FixedCols() || sort.FixedCols();
}

void TExStringGrid::DrawSortIndicator(TCanvas* canvas, int x, int y, int realCol) {
  TSortSettings& sort = *sortSettings_;
  const int k = sortIndexes_.FindIndex(DisplColIndex(realCol));
  if (!(k < 1 || sort.IndexShow())) return;
  TCanvasKeeper keeper(canvas);
  canvas->Pen()->SetWidth(1);
  if (!sort.IndexShow()) {
    const bool glyphs = !sort.UpGlyph()->Empty() && !sort.DownGlyph()->Empty();
    if (sort.Direction() == sdDescending) {
      if (glyphs) {
        DrawBitmapTransparent(*canvas, *sort.DownGlyph(), canvas->Brush()->Color(), TRect{x - 4, y - 4, x, y});
      } else {
        canvas->Pen()->SetColor(clWhite);
        CanvasLine(canvas, x + 4, y - 4, x, y + 4);
        canvas->Pen()->SetColor(0x808080);
        canvas->LineTo(x - 4, y - 4);
        canvas->LineTo(x + 4, y - 4);
      }
    } else {
      if (glyphs) {
        DrawBitmapTransparent(*canvas, *sort.UpGlyph(), canvas->Brush()->Color(), TRect{x - 4, y - 4, x, y});
      } else {
        canvas->Pen()->SetColor(clWhite);
        CanvasLine(canvas, x - 4, y + 4, x + 4, y + 4);
        canvas->LineTo(x, y - 4);
        canvas->Pen()->SetColor(0x808080);
        canvas->LineTo(x - 4, y + 4);
      }
    }
    canvas->Pen()->SetColor(clBlack);
    return;
  }
  if (k < 0) return;
  const int item = sortIndexes_.Items(k);
  const bool glyphs = !sort.IndexUpGlyph()->Empty() && !sort.IndexDownGlyph()->Empty();
  TFont keptFont;
  keptFont.Assign(*canvas->Font());
  canvas->Brush()->SetColor(FillColorOf(sort.IndexColor(), clYellow));
  canvas->Pen()->SetColor(clBlack);
  const AnsiString number = IntToStr(k + 1);
  if (!TSortIndexList::IsAscending(item)) {
    if (glyphs) DrawBitmapTransparent(*canvas, *sort.IndexUpGlyph(), canvas->Brush()->Color(), TRect{x - 7, y - 7, x, y});
    else canvas->Polygon({TPoint{x - 7, y - 5}, TPoint{x + 7, y - 5}, TPoint{x, y + 8}});
  } else {
    if (glyphs) DrawBitmapTransparent(*canvas, *sort.IndexDownGlyph(), canvas->Brush()->Color(), TRect{x - 7, y - 7, x, y});
    else canvas->Polygon({TPoint{x - 6, y + 8}, TPoint{x + 6, y + 8}, TPoint{x, y - 4}});
  }
  canvas->Font()->SetColor(clBlack);
  canvas->Font()->SetSize(6);
  const int bk = canvas->SetBkMode(TRANSPARENT);
  canvas->TextOut(x - 2, TSortIndexList::IsAscending(item) ? y - 2 : y - 4, number);
  canvas->SetBkMode(bk);
  canvas->Font()->Assign(keptFont);
}

// ------------------------------------------------------------- measuring

void TExStringGrid::GetCellTextSize(int col, int row, TSize& size, bool withinWidth) {
  const int realCol = RealColIndex(col);
  TCanvas* canvas = Canvas();
  AnsiString text;
  GetDisplayText(realCol, row, text);
  const int kind = PaintedTextKind(*this, text);
  if (kind == 3) text = RawCells(realCol, row);
  TColor gradientEnd = clNone;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  TGridDrawState state;
  GetCellColors(col, row, canvas->Font(), canvas->Brush(), gradientEnd, hAlign, vAlign, true, false, false, state);
  if (zoomStep_ != 0) canvas->Font()->SetSize(std::max(1, canvas->Font()->Size() + zoomStep_));
  const TRect cell = MergedCellRect(col, row);
  const int offX = textOffsetX_, offY = textOffsetY_;
  size = TSize{0, 0};
  // A rotated cell measures its upright text turned by its angle.
  int angle = 0;
  if (GetRotated(realCol, row, angle)) {
    const TSize upright = canvas->TextExtent(text);
    const bool turned = ((angle % 180) + 180) % 180 >= 45 && ((angle % 180) + 180) % 180 < 135;
    size = turned ? TSize{upright.cy + 12, upright.cx + 12} : TSize{upright.cx + 12, upright.cy + 12};
    return;
  }
  switch (kind) {
    case 1: {
      TMarkupRequest request;
      request.Canvas = canvas;
      request.Text = text;
      request.Rect = TRect{cell.Left + offX, cell.Top + offY, withinWidth ? cell.Right - offX : 65535, 65535};
      request.Images = gridImages_;
      request.Container = pictureContainer_;
      request.Pictures = PictureCache();
      request.MeasureOnly = true;
      request.KeepColors = true;
      request.WordWrap = !enhTextSize_;
      const TMarkupResult result = DrawMarkupText(request);
      size = TSize{result.Width + 2 + 2 * offX, result.Height + 2 + 2 * offY};
      break;
    }
    case 2: {
      const TSize content = MeasureRichText(text, *canvas->Font(), withinWidth ? cell.Width() : -1);
      size = TSize{content.cx + 2 * offX, content.cy + 2 * offY};
      break;
    }
    case 5: {
      // The text is measured, not the cell: sizing a column to it again
      // gives the same width.
      TRect r = cell;
      unsigned flags = DT_CALCRECT | DT_NOPREFIX;
      if (withinWidth && (wordWrap_ || multilinecells_)) flags |= DT_WORDBREAK;
      else if (!multilinecells_) flags |= DT_SINGLELINE;
      if (!withinWidth) r.Right = r.Left + 65535;
      canvas->DrawTextW(UnicodeCellToWide(text), r, flags);
      size = TSize{(withinWidth ? cell.Width() : r.Width()) + 2 * offX, r.Height() + 2 * offY};
      break;
    }
    default: {
      if (withinWidth) {
        TRect r = cell;
        InflateRect(r, -(2 + offX), -(2 + offY));
        if (!text.empty() && text.back() == '\n') text += 'w';
        canvas->DrawText(text, r, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX);
        size = TSize{cell.Width() + 2 * offX, r.Height() + 2 * offY};
      } else {
        if (urlShow_ && !urlFull_ && IsUrlText(text)) StripUrlScheme(text);
        int widest = 0, lines = 0;
        std::size_t start = 0;
        while (true) {
          const std::size_t cr = text.find('\r', start);
          const std::string_view line =
              std::string_view(text).substr(start, cr == AnsiString::npos ? AnsiString::npos : cr - start);
          widest = std::max(widest, canvas->TextWidth(line));
          ++lines;
          if (cr == AnsiString::npos || !multilinecells_) break;
          start = cr + 1;
          if (start < text.size() && text[start] == '\n') ++start;
        }
        size = TSize{widest + 2 * offX, lines * canvas->TextHeight("gh") + 2 * offY};
      }
      break;
    }
  }
  // Room for a graphic beside or above the text.
  const TGraphicExtent g = GraphicExtent(realCol, row);
  if (g.Graphic) {
    if (g.HAlign == haBeforeText || g.HAlign == haAfterText || !g.TextAllowed || text.empty())
      size.cx = std::max(size.cx, (g.TextAllowed && !text.empty() ? size.cx : 0) + g.Width + 2);
    if (g.VAlign == vaAboveText || g.VAlign == vaUnderText) size.cy += g.Height;
    size.cy = std::max(size.cy, g.Height + 2);
  }
}

// ------------------------------------------------------------- small state

void TExStringGrid::SetTextOffsets(int x, int y) {
  textOffsetX_ = std::max(0, x);
  textOffsetY_ = std::max(0, y);
  RepaintUnlessUpdating();
}

void TExStringGrid::SetZoomStep(int v) { SetAndRepaint(zoomStep_, std::clamp(v, -10, 10)); }

bool TExStringGrid::IsCellSelected(int col, int row) const { return selectedCells_.count({col, row}) != 0; }

void TExStringGrid::SetCellSelected(int col, int row, bool value) {
  if (value) selectedCells_.insert({col, row});
  else selectedCells_.erase({col, row});
  RepaintCell(DisplColIndex(col), row);
}

void TExStringGrid::ClearCellSelect() {
  selectedCells_.clear();
  RepaintUnlessUpdating();
}

void TExStringGrid::SetHover(TPoint cell, int anchor) {
  if (cell.X == hoverCell_.X && cell.Y == hoverCell_.Y && anchor == hoverAnchor_) return;
  const TPoint old = hoverCell_;
  hoverCell_ = cell;
  hoverAnchor_ = anchor;
  if (old.X >= 0 && old.Y >= 0) RepaintCell(DisplColIndex(old.X), old.Y);
  if (cell.X >= 0 && cell.Y >= 0) RepaintCell(DisplColIndex(cell.X), cell.Y);
}

// ------------------------------------------------------------- control frame

void TExStringGrid::Paint() {
  Canvas()->Pen()->SetStyle(psSolid);
  TBaseGrid::Paint();
  // In row selection no cell takes the focus rectangle: the whole current
  // row does, as in the class library's grid, so that a focused grid shows
  // it has the focus even when no row is marked.
  if (!hideFocusRect_ && Options().contains(goRowSelect) && Focused() && Row() >= TBaseGrid::FixedRows() &&
      SelectionShown()) {
    TRect focus{};
    for (int c = TBaseGrid::FixedCols(); c < ColCount(); ++c) {
      const TRect cell = CellRect(c, Row());
      if (cell.Width() <= 0 || cell.Height() <= 0) continue;
      if (focus.Width() <= 0) focus = cell;
      focus.Left = std::min(focus.Left, cell.Left);
      focus.Right = std::max(focus.Right, cell.Right);
    }
    if (focus.Width() > 0) Canvas()->DrawFocusRect(focus);
  }
  // The pan glyph stays over the cells until the pan ends.
  if (panning_) DrawPanGlyph(*Canvas(), panOrigin_, ScrollOptions().IntelliPan);
  if (!ControlEditorOpen()) return;
  // The editor control leaves the cell's right and bottom lines free; the
  // outline keeps the cell framed while the control covers its contents.
  const bool lines = GridLineWidth() >= 1 && (Options().contains(goVertLine) || Options().contains(goHorzLine));
  TCanvas* canvas = Canvas();
  const TRect r = MergedCellRect(Col(), Row());
  canvas->Pen()->SetColor(lines ? GridLineColor() : Color());
  canvas->Pen()->SetWidth(1);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(r);
  canvas->Brush()->SetStyle(bsSolid);
  canvas->Pen()->SetColor(clBlack);
}

void TExStringGrid::WMNCPaint(TMessage& m) {
  const bool ownFrame = (look_ == glSoft || look_ == glGradient || look_ == glXP || look_ == glListView) &&
                        BorderStyle() != bsNone && !flat_ && updateCount_ < 1;
  if (!ownFrame) return TBaseGrid::WMNCPaint(m);
  TCanvas* canvas = Canvas();
  TCanvasKeeper keeper(canvas);
  const TRect outer{0, 0, Width(), Height()};
  if (Parent()) {
    canvas->Brush()->SetColor(FillColorOf(Parent()->Color(), clBtnFace));
    canvas->FrameRect(outer);
  }
  canvas->Brush()->SetColor(ThemedXP() ? 0xB99D7F : 0x808080);
  canvas->FrameRect(TRect{1, 1, outer.Right - 1, outer.Bottom - 1});
  m.Result = 0;
}

// ------------------------------------------------------------- further operations

void TExStringGrid::SelectionChanged(int left, int top, int right, int bottom) {
  if (OnSelectionChanged) OnSelectionChanged(this, left, top, right, bottom);
}

void TExStringGrid::AutoInsertRow(int row) {
  InsertRows(row, 1);
  if (OnAutoInsertRow) OnAutoInsertRow(this, row);
}

void TExStringGrid::AutoDeleteRow(int row) {
  if (RowCount() - TBaseGrid::FixedRows() - fixedFooters_ == 1 && !fixedRowAlways_) ClearRows(row, 1);
  else RemoveRowsAdjusted(row, 1);
  if (OnAutoDeleteRow) OnAutoDeleteRow(this, row);
}

AnsiString TExStringGrid::GetExportText(int col, int row) {
  AnsiString text;
  if (exportRawText_) text = RawCells(col, row);
  else GetDisplayText(col, row, text);
  if (text.empty()) {
    bool state = false;
    if (GetCheckBoxState(col, row, state)) {
      text = state ? checkTrue_ : checkFalse_;
      if (state) GetCheckTrue(col, row, text);
      else GetCheckFalse(col, row, text);
    }
  }
  if (!exportHtmlTags_ && !plainTextCells_ && CellMarkupKind(text, true) == 1) text = HtmlToPlainText(text);
  return text;
}

void TExStringGrid::SetPictureContainer(TPictureContainer* v) {
  if (pictureContainer_ == v) return;
  if (pictureContainer_) static_cast<TComponent*>(pictureContainer_)->RemoveFreeNotification(this);
  pictureContainer_ = v;
  if (pictureContainer_) static_cast<TComponent*>(pictureContainer_)->FreeNotification(this);
  RepaintUnlessUpdating();
}
