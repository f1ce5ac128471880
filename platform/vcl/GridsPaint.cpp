// Painting of the grid base: the four areas (fixed corner, fixed rows,
// fixed columns, scrolling cells) cell by cell through the virtual DrawCell,
// the grid lines, the focus rectangle, the sizing and moving feedback, and
// the string grid's default cell drawing.
#include <algorithm>

#include "platform/vcl/Grids.h"

namespace {

// Lines of the fixed cells are dark, those of the scrolling cells light (a
// darker grey on a silver grid, so they still show).
TColor DataLineColor(TColor background) {
  return ColorToRGB(background) == clSilver ? clGray : clSilver;
}

bool Intersects(const TRect& a, const TRect& b) {
  return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
}

}  // namespace

void TCustomGrid::Paint() {
  TCanvas& canvas = *Canvas();
  TGridDrawInfo info;
  CalcDrawInfo(info);
  const TRect clip = canvas.ClipRect();
  const TGridRect sel = Selection();
  const bool active = IsActiveControl();
  const int lineW = info.Horz.EffectiveLineWidth, lineH = info.Vert.EffectiveLineWidth;
  const bool editing = editorMode_ && options_.contains(goEditing) && inplaceEdit_ &&
                       inplaceEdit_->Visible() && inplaceCol_ == current_.X &&
                       inplaceRow_ == current_.Y;

  // One area: columns from firstCol, rows from firstRow, within the pixel box.
  auto drawCells = [&](int firstCol, int lastColLimit, int firstRow, int lastRowLimit, int left,
                       int top, int right, int bottom, bool fixedArea) {
    int y = top;
    for (int row = firstRow; row < lastRowLimit && y < bottom; ++row) {
      const int h = RowHeights(row);
      if (h < 0) continue;
      const int rowTop = y;
      y += h + lineH;
      int x = left;
      for (int col = firstCol; col < lastColLimit && x < right; ++col) {
        const int w = ColWidths(col);
        if (w < 0) continue;
        TRect where{x, rowTop, std::min(x + w, right), std::min(rowTop + h, bottom)};
        x += w + lineW;
        if (where.Width() <= 0 || where.Height() <= 0 || !Intersects(where, clip)) continue;
        const bool fixedCell = fixedArea || col < fixedCols_ || row < fixedRows_;
        TGridDrawState state;
        if (fixedCell) {
          state << gdFixed;
          if (defaultDrawing_) {
            canvas.SetFont(*Font());
            canvas.Brush()->SetColor(fixedColor_);
            canvas.FillRect(where);
          }
          DrawCell(col, row, where, state);
          if (defaultDrawing_ && (lineW > 0 || lineH > 0)) {
            // Raised look: light edge top-left, shadow bottom-right.
            TRect edge = where;
            DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_TOPLEFT);
            edge = where;
            DrawEdge(canvas, edge, BDR_RAISEDINNER, BF_BOTTOMRIGHT);
          }
          continue;
        }
        const bool focusedCell = col == current_.X && row == current_.Y;
        if (focusedCell && (active || options_.contains(goDrawFocusSelected))) state << gdFocused;
        if (sel.Contains(col, row)) state << gdSelected;
        // The editor covers the current cell while it shows.
        if (focusedCell && editing) continue;
        if (defaultDrawing_) {
          canvas.SetFont(*Font());
          const bool highlight =
              state.contains(gdSelected) &&
              (!state.contains(gdFocused) || options_.contains(goDrawFocusSelected) ||
               options_.contains(goRowSelect));
          if (highlight) {
            canvas.Brush()->SetColor(clHighlight);
            canvas.Font()->SetColor(clHighlightText);
          } else {
            canvas.Brush()->SetColor(Color());
          }
          canvas.FillRect(where);
        }
        DrawCell(col, row, where, state);
        if (defaultDrawing_ && state.contains(gdFocused) && !options_.contains(goRowSelect) &&
            !(options_.contains(goEditing) && options_.contains(goAlwaysShowEditor))) {
          canvas.DrawFocusRect(where);
        }
      }
    }
  };

  const int width = info.Horz.GridBoundary, height = info.Vert.GridBoundary;
  const int fixW = info.Horz.FixedBoundary, fixH = info.Vert.FixedBoundary;
  drawCells(0, fixedCols_, 0, fixedRows_, 0, 0, fixW, fixH, true);
  drawCells(topLeft_.X, colCount_, 0, fixedRows_, fixW, 0, width, fixH, true);
  drawCells(0, fixedCols_, topLeft_.Y, rowCount_, 0, fixH, fixW, height, true);
  drawCells(topLeft_.X, colCount_, topLeft_.Y, rowCount_, fixW, fixH, width, height, false);

  PaintLines(info, canvas);

  // A whole-row focus rectangle in row selection.
  if (defaultDrawing_ && active && options_.contains(goRowSelect)) {
    TRect focus = BoxRect(sel, false);
    if (focus.Width() > 0 && focus.Height() > 0) canvas.DrawFocusRect(focus);
  }

  // What the cells leave free.
  canvas.Brush()->SetColor(Color());
  const TRect client = ClientRect();
  if (width < client.Right) canvas.FillRect(TRect{width, 0, client.Right, client.Bottom});
  if (height < client.Bottom) canvas.FillRect(TRect{0, height, width, client.Bottom});

  // Feedback of a sizing or a move in progress.
  if (gridState_ == gsColSizing || gridState_ == gsRowSizing) {
    canvas.Brush()->SetColor(clBlack);
    if (gridState_ == gsColSizing) canvas.FillRect(TRect{sizingPos_, 0, sizingPos_ + 1, client.Bottom});
    else canvas.FillRect(TRect{0, sizingPos_, client.Right, sizingPos_ + 1});
  } else if (gridState_ == gsColMoving || gridState_ == gsRowMoving) {
    TRect r = gridState_ == gsColMoving ? BoxRect(TGridRect{movePos_, 0, movePos_, rowCount_ - 1}, true)
                                        : BoxRect(TGridRect{0, movePos_, colCount_ - 1, movePos_}, true);
    if (r.Width() > 0 && r.Height() > 0) {
      canvas.Brush()->SetColor(clBlack);
      const bool after = movePos_ > moveIndex_;
      if (gridState_ == gsColMoving) {
        const int x = after ? r.Right - 2 : r.Left;
        canvas.FillRect(TRect{x, 0, x + 2, client.Bottom});
      } else {
        const int y = after ? r.Bottom - 2 : r.Top;
        canvas.FillRect(TRect{0, y, client.Right, y + 2});
      }
    }
  }
}

void TCustomGrid::PaintLines(const TGridDrawInfo& info, TCanvas& canvas) {
  const int lineW = info.Horz.EffectiveLineWidth, lineH = info.Vert.EffectiveLineWidth;
  const int width = info.Horz.GridBoundary, height = info.Vert.GridBoundary;
  const int fixW = info.Horz.FixedBoundary, fixH = info.Vert.FixedBoundary;
  const TColor fixedLine = clBlack, dataLine = DataLineColor(Color());

  // Vertical lines after each column, from top to bottom of the areas they
  // belong to; fixed columns use the fixed style over the whole height.
  auto vertLines = [&](int firstCol, int limitCol, int x, int right, bool fixedCols) {
    if (lineW <= 0) return;
    for (int col = firstCol; col < limitCol && x < right; ++col) {
      const int w = ColWidths(col);
      if (w < 0) continue;
      x += w;
      const TRect line{x, 0, x + lineW, height};
      if (fixedCols) {
        if (options_.contains(goFixedVertLine)) {
          canvas.Brush()->SetColor(fixedLine);
          canvas.FillRect(line);
        }
      } else {
        if (options_.contains(goFixedVertLine) && fixH > 0) {
          canvas.Brush()->SetColor(fixedLine);
          canvas.FillRect(TRect{x, 0, x + lineW, fixH});
        }
        if (options_.contains(goVertLine)) {
          canvas.Brush()->SetColor(dataLine);
          canvas.FillRect(TRect{x, fixH, x + lineW, height});
        }
      }
      x += lineW;
    }
  };
  auto horzLines = [&](int firstRow, int limitRow, int y, int bottom, bool fixedRows) {
    if (lineH <= 0) return;
    for (int row = firstRow; row < limitRow && y < bottom; ++row) {
      const int h = RowHeights(row);
      if (h < 0) continue;
      y += h;
      if (fixedRows) {
        if (options_.contains(goFixedHorzLine)) {
          canvas.Brush()->SetColor(fixedLine);
          canvas.FillRect(TRect{0, y, width, y + lineH});
        }
      } else {
        if (options_.contains(goFixedHorzLine) && fixW > 0) {
          canvas.Brush()->SetColor(fixedLine);
          canvas.FillRect(TRect{0, y, fixW, y + lineH});
        }
        if (options_.contains(goHorzLine)) {
          canvas.Brush()->SetColor(dataLine);
          canvas.FillRect(TRect{fixW, y, width, y + lineH});
        }
      }
      y += lineH;
    }
  };
  vertLines(0, fixedCols_, 0, fixW, true);
  vertLines(topLeft_.X, colCount_, fixW, width, false);
  horzLines(0, fixedRows_, 0, fixH, true);
  horzLines(topLeft_.Y, rowCount_, fixH, height, false);
}

void TCustomGrid::DrawSizingLine() {
  if (!HandleAllocated()) return;
  const TRect client = ClientRect();
  if (gridState_ == gsColSizing) {
    TControl::InvalidateRect(TRect{sizingPos_ - 1, 0, sizingPos_ + 2, client.Bottom});
  } else if (gridState_ == gsRowSizing) {
    TControl::InvalidateRect(TRect{0, sizingPos_ - 1, client.Right, sizingPos_ + 2});
  }
}

void TCustomGrid::DrawMove() {
  // The move marker is painted by Paint; the area it may touch is redrawn.
  if (HandleAllocated()) Invalidate();
}

// ------------------------------------------------------------------ TStringGrid

void TStringGrid::DrawCell(int col, int row, const TRect& rect, TGridDrawState state) {
  if (DefaultDrawing()) {
    const AnsiString& text = Cells(col, row);
    if (!text.empty()) {
      TCanvas& canvas = *Canvas();
      canvas.SetBkMode(TRANSPARENT);
      canvas.TextRect(rect, rect.Left + 2, rect.Top + 2, text);
    }
  }
  TDrawGrid::DrawCell(col, row, rect, state);
}
