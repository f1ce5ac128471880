// The pan glyph: drawn by the grid over its cells while a pan runs.
#include "grid/ExPanGlyph.h"

#include <array>

namespace {

constexpr TColor kBadgeFill = clWhite;
constexpr TColor kBadgeEdge = 0x808080;
constexpr TColor kArrow = clBlack;

// A small filled triangle whose tip points away from the centre (cx, cy)
// along (dx, dy).
void Arrow(TCanvas& canvas, int cx, int cy, int dx, int dy) {
  constexpr int kTip = 13, kBase = 7, kHalf = 4;
  const TPoint tip{cx + dx * kTip, cy + dy * kTip};
  const TPoint mid{cx + dx * kBase, cy + dy * kBase};
  // Perpendicular to the direction.
  const int px = -dy, py = dx;
  const std::array<TPoint, 3> points{tip, TPoint{mid.X + px * kHalf, mid.Y + py * kHalf},
                                     TPoint{mid.X - px * kHalf, mid.Y - py * kHalf}};
  canvas.Polygon(points);
}

}  // namespace

TRect PanGlyphRect(const TPoint& origin) {
  return TRect{origin.X, origin.Y, origin.X + kPanGlyphSize, origin.Y + kPanGlyphSize};
}

void DrawPanGlyph(TCanvas& canvas, const TPoint& origin, TIntelliPan mode) {
  if (mode == ipNone) return;
  TPen savedPen;
  savedPen.Assign(*canvas.Pen());
  TBrush savedBrush;
  savedBrush.Assign(*canvas.Brush());
  const TRect r = PanGlyphRect(origin);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  canvas.Pen()->SetColor(kBadgeEdge);
  canvas.Brush()->SetStyle(bsSolid);
  canvas.Brush()->SetColor(kBadgeFill);
  canvas.Ellipse(r.Left, r.Top, r.Right - 1, r.Bottom - 1);
  const int cx = r.Left + kPanGlyphSize / 2 - 1, cy = r.Top + kPanGlyphSize / 2 - 1;
  canvas.Pen()->SetColor(kArrow);
  canvas.Brush()->SetColor(kArrow);
  // The centre dot marks the point panning measures from.
  canvas.Ellipse(cx - 2, cy - 2, cx + 3, cy + 3);
  if (mode != ipHorizontal) {
    Arrow(canvas, cx, cy, 0, -1);
    Arrow(canvas, cx, cy, 0, 1);
  }
  if (mode != ipVertical) {
    Arrow(canvas, cx, cy, -1, 0);
    Arrow(canvas, cx, cy, 1, 0);
  }
  canvas.Pen()->Assign(savedPen);
  canvas.Brush()->Assign(savedBrush);
}
