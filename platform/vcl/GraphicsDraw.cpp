// 3-D edges and frame controls, drawn with canvas calls so that the recorder
// sees them too. Both leave the canvas's pen, brush and background mode as
// they found them.
#include <algorithm>

#include "platform/vcl/Graphics.h"

namespace {

// Puts pen, brush and background mode back when a routine is done.
class TCanvasStateSaver {
 public:
  explicit TCanvasStateSaver(TCanvas& canvas) : canvas_(canvas), bkMode_(canvas.BkMode()) {
    pen_.Assign(*canvas.Pen());
    brush_.Assign(*canvas.Brush());
  }
  ~TCanvasStateSaver() {
    canvas_.Pen()->Assign(pen_);
    canvas_.Brush()->Assign(brush_);
    canvas_.SetBkMode(bkMode_);
  }

 private:
  TCanvas& canvas_;
  TPen pen_;
  TBrush brush_;
  int bkMode_;
};

void Fill(TCanvas& canvas, const TRect& r, TColor color) {
  if (r.IsEmpty()) return;
  canvas.Brush()->SetColor(color);
  canvas.FillRect(r);
}

// One ring of an edge: the top and left sides in lt, the right and bottom
// sides in rb (which own the far corners). clNone skips a colour.
void Ring(TCanvas& canvas, TRect& r, unsigned sides, TColor lt, TColor rb) {
  if (lt != clNone) {
    if (sides & BF_TOP) Fill(canvas, {r.Left, r.Top, r.Right, r.Top + 1}, lt);
    if (sides & BF_LEFT) Fill(canvas, {r.Left, r.Top, r.Left + 1, r.Bottom}, lt);
  }
  if (rb != clNone) {
    if (sides & BF_RIGHT) Fill(canvas, {r.Right - 1, r.Top, r.Right, r.Bottom}, rb);
    if (sides & BF_BOTTOM) Fill(canvas, {r.Left, r.Bottom - 1, r.Right, r.Bottom}, rb);
  }
  if (sides & BF_TOP) ++r.Top;
  if (sides & BF_LEFT) ++r.Left;
  if (sides & BF_RIGHT) --r.Right;
  if (sides & BF_BOTTOM) --r.Bottom;
}

}  // namespace

bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags) {
  TCanvasStateSaver saver(canvas);
  const bool soft = flags & BF_SOFT;
  const unsigned outer = edge & BDR_OUTER, inner = edge & BDR_INNER;
  TRect r = rect;
  auto ringColors = [&](bool isOuter, unsigned kind, TColor& lt, TColor& rb) {
    lt = rb = clNone;
    if (flags & BF_MONO) {
      lt = rb = isOuter ? clWindowFrame : clWindow;
      return;
    }
    if (flags & BF_FLAT) {
      lt = rb = isOuter ? clBtnShadow : clBtnFace;
      return;
    }
    bool raised = isOuter ? (kind & BDR_RAISEDOUTER) : (kind & BDR_RAISEDINNER);
    bool sunken = isOuter ? (kind & BDR_SUNKENOUTER) : (kind & BDR_SUNKENINNER);
    if (raised && sunken) return;  // contradictory: nothing, as Windows draws
    if (isOuter && raised) {
      lt = soft ? clBtnHighlight : cl3DLight;
      rb = cl3DDkShadow;
    } else if (isOuter && sunken) {
      lt = soft ? cl3DDkShadow : clBtnShadow;
      rb = clBtnHighlight;
    } else if (raised) {
      lt = soft ? cl3DLight : clBtnHighlight;
      rb = clBtnShadow;
    } else if (sunken) {
      lt = soft ? clBtnShadow : cl3DDkShadow;
      rb = cl3DLight;
    }
  };
  TColor lt, rb;
  if (outer) {
    ringColors(true, outer, lt, rb);
    Ring(canvas, r, flags, lt, rb);
  }
  if (inner) {
    ringColors(false, inner, lt, rb);
    Ring(canvas, r, flags, lt, rb);
  }
  if (flags & BF_MIDDLE) Fill(canvas, r, (flags & BF_MONO) ? clWindow : clBtnFace);
  if (flags & BF_ADJUST) rect = r;
  return true;
}

namespace {

void Arrow(TCanvas& canvas, const TRect& r, unsigned kind, TColor color) {
  // A solid triangle about a third of the button, centred.
  int size = std::max(2, std::min(r.Width(), r.Height()) / 3);
  int cx = r.Left + r.Width() / 2, cy = r.Top + r.Height() / 2;
  canvas.Pen()->SetColor(color);
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  canvas.Brush()->SetColor(color);
  int half = size / 2 + 1;
  switch (kind) {
    case DFCS_SCROLLUP:
      canvas.Polygon({{cx - half, cy + half / 2}, {cx + half, cy + half / 2}, {cx, cy - half / 2 - 1}});
      break;
    case DFCS_SCROLLLEFT:
      canvas.Polygon({{cx + half / 2, cy - half}, {cx + half / 2, cy + half}, {cx - half / 2 - 1, cy}});
      break;
    case DFCS_SCROLLRIGHT:
      canvas.Polygon({{cx - half / 2, cy - half}, {cx - half / 2, cy + half}, {cx + half / 2 + 1, cy}});
      break;
    default:  // down and the combo box button
      canvas.Polygon({{cx - half, cy - half / 2}, {cx + half, cy - half / 2}, {cx, cy + half / 2 + 1}});
      break;
  }
}

void ButtonFace(TCanvas& canvas, TRect& r, unsigned state) {
  const bool flat = state & DFCS_FLAT;
  if (state & DFCS_PUSHED) {
    DrawEdge(canvas, r, flat ? BDR_SUNKENOUTER : EDGE_SUNKEN,
             BF_RECT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
  } else {
    DrawEdge(canvas, r, flat ? BDR_RAISEDINNER : EDGE_RAISED,
             BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST | (flat ? BF_FLAT : 0u));
  }
  if (state & DFCS_CHECKED) Fill(canvas, r, cl3DLight);
}

void CheckBox(TCanvas& canvas, const TRect& rect, unsigned state) {
  int size = std::min(rect.Width(), rect.Height());
  TRect box = Bounds(rect.Left + (rect.Width() - size) / 2, rect.Top + (rect.Height() - size) / 2,
                     size, size);
  const bool inactive = state & DFCS_INACTIVE;
  const TColor face = (inactive || (state & DFCS_PUSHED)) ? clBtnFace : clWindow;
  if (state & (DFCS_FLAT | DFCS_MONO)) {
    Fill(canvas, box, clBtnShadow);
    InflateRect(box, -1, -1);
    Fill(canvas, box, face);
  } else {
    DrawEdge(canvas, box, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    Fill(canvas, box, face);
  }
  if (!(state & DFCS_CHECKED)) return;
  // The tick: three pixels thick, down-right then up-right.
  TColor tick = inactive ? clGrayText : clWindowText;
  int w = box.Width();
  int x0 = box.Left + std::max(1, w / 5), y0 = box.Top + w * 2 / 5;
  int down = std::max(1, w / 4), up = std::max(2, w / 2);
  for (int i = 0; i <= down + up; ++i) {
    int x = x0 + i;
    int y = i <= down ? y0 + i : y0 + down - (i - down);
    Fill(canvas, {x, y, x + 1, y + 3}, tick);
  }
}

void RadioButton(TCanvas& canvas, const TRect& rect, unsigned state) {
  int size = std::min(rect.Width(), rect.Height());
  TRect box = Bounds(rect.Left + (rect.Width() - size) / 2, rect.Top + (rect.Height() - size) / 2,
                     size, size);
  const bool inactive = state & DFCS_INACTIVE;
  canvas.Pen()->SetStyle(psSolid);
  canvas.Pen()->SetWidth(1);
  canvas.Pen()->SetColor(clBtnShadow);
  canvas.Brush()->SetColor((inactive || (state & DFCS_PUSHED)) ? clBtnFace : clWindow);
  canvas.Ellipse(box);
  if (!(state & (DFCS_FLAT | DFCS_MONO))) {
    // The lower-right half of the ring lit, as a sunken button is.
    canvas.Brush()->SetStyle(bsClear);
    canvas.Pen()->SetColor(clBtnHighlight);
    canvas.Ellipse(box.Left + 1, box.Top + 1, box.Right + 1, box.Bottom + 1);
    canvas.Pen()->SetColor(cl3DDkShadow);
    canvas.Ellipse(box.Left + 1, box.Top + 1, box.Right - 1, box.Bottom - 1);
  }
  if (state & DFCS_CHECKED) {
    TColor dot = inactive ? clGrayText : clWindowText;
    int d = std::max(2, size / 3);
    int x = box.Left + (size - d) / 2, y = box.Top + (size - d) / 2;
    canvas.Pen()->SetColor(dot);
    canvas.Brush()->SetColor(dot);
    canvas.Ellipse(x, y, x + d, y + d);
  }
}

}  // namespace

bool DrawFrameControl(TCanvas& canvas, TRect& rect, unsigned type, unsigned state) {
  TCanvasStateSaver saver(canvas);
  if (type == DFC_BUTTON) {
    if (state & DFCS_BUTTONPUSH) {
      TRect face = rect;
      ButtonFace(canvas, face, state);
      if (state & DFCS_ADJUSTRECT) rect = face;
      return true;
    }
    if (state & (DFCS_BUTTONRADIO | DFCS_BUTTONRADIOIMAGE | DFCS_BUTTONRADIOMASK)) {
      RadioButton(canvas, rect, state);
      return true;
    }
    CheckBox(canvas, rect, state);  // DFCS_BUTTONCHECK is 0
    return true;
  }
  if (type == DFC_SCROLL) {
    unsigned kind = state & 0xFF;
    TRect face = rect;
    ButtonFace(canvas, face, state & ~DFCS_CHECKED);
    if (state & DFCS_PUSHED) OffsetRect(face, 1, 1);
    if (state & DFCS_INACTIVE) {
      TRect lit = face;
      OffsetRect(lit, 1, 1);
      Arrow(canvas, lit, kind, clBtnHighlight);
      Arrow(canvas, face, kind, clBtnShadow);
    } else {
      Arrow(canvas, face, kind, clBtnText);
    }
    return true;
  }
  return false;
}
