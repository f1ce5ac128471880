#include "shaped/SpPanelShape.h"

#include <algorithm>

namespace {

// a and b mixed, weight (0..256) of b.
TColor Blend(TColor a, TColor b, int weight) {
  a = ColorToRGB(a);
  b = ColorToRGB(b);
  auto mix = [weight](int x, int y) { return (x * (256 - weight) + y * weight) / 256; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

}  // namespace

TSpPanelShape::TSpPanelShape(TComponent* owner) : TCustomControl(owner) {
  ControlStyle() << csAcceptsControls;
  SetBounds(0, 0, 185, 200);
}

void TSpPanelShape::SetShadowSize(int v) {
  shadowSize_ = std::clamp(v, 0, 32);
  UpdateShape();
  Realign();
}

void TSpPanelShape::SetCornerRadius(int v) {
  cornerRadius_ = std::clamp(v, 0, 64);
  UpdateShape();
  Realign();
}

void TSpPanelShape::SetBorderColor(TColor c) {
  borderColor_ = c;
  Invalidate();
}

void TSpPanelShape::SetShadowColor(TColor c) {
  shadowColor_ = c;
  Invalidate();
}

TRect TSpPanelShape::BodyRect() const {
  return Rect(0, 0, std::max(Width() - shadowSize_, 0), std::max(Height() - shadowSize_, 0));
}

TRegion TSpPanelShape::Outline() const {
  const TRect body = BodyRect();
  const int corner = 2 * cornerRadius_ + 1;
  TRegion shape = TRegion::FromRoundRect(body, corner, corner);
  if (shadowSize_ > 0) {
    TRect shadow = body;
    OffsetRect(shadow, shadowSize_, shadowSize_);
    shape.Combine(shape, TRegion::FromRoundRect(shadow, corner, corner), RGN_OR);
  }
  return shape;
}

void TSpPanelShape::AdjustClientRect(TRect& rect) const {
  // Children stay clear of the shadow and of the rounded corners.
  const int inset = std::max(3, cornerRadius_ / 2);
  rect.Right -= shadowSize_;
  rect.Bottom -= shadowSize_;
  InflateRect(rect, -inset, -inset);
  if (rect.Right < rect.Left) rect.Right = rect.Left;
  if (rect.Bottom < rect.Top) rect.Bottom = rect.Top;
}

void TSpPanelShape::Paint() {
  TCanvas* c = Canvas();
  const TColor behind = Parent() ? Parent()->Color() : clBtnFace;
  const TRect body = BodyRect();
  const int corner = 2 * cornerRadius_;
  c->Brush()->SetColor(behind);
  c->FillRect(ClientRect());
  // The shadow in rings, darker towards the body, over what lies behind it.
  c->Pen()->SetStyle(psClear);
  for (int ring = 0; ring < shadowSize_; ++ring) {
    int weight = 24 + 72 * (ring + 1) / shadowSize_;
    c->Brush()->SetColor(Blend(behind, shadowColor_, weight));
    c->RoundRect(shadowSize_ + ring, shadowSize_ + ring, Width() - ring + 1, Height() - ring + 1,
                 corner, corner);
  }
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(borderColor_);
  c->Brush()->SetColor(Color());
  c->RoundRect(body.Left, body.Top, body.Right, body.Bottom, corner, corner);
}

void TSpPanelShape::Resize() {
  TCustomControl::Resize();
  UpdateShape();
}

void TSpPanelShape::InitWindowHandle() {
  TCustomControl::InitWindowHandle();
  UpdateShape();
}

void TSpPanelShape::UpdateShape() {
  if (!HandleAllocated()) return;
  TRegion shape = Outline();
  SetWindowRgn(WindowHandle(), &shape, true);
  Invalidate();
}
