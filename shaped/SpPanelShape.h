// A container panel with a rounded outline and a soft drop shadow below and
// to the right of it, for panels that float over a window (the catalogue
// window's menu panel). Only the outline and its shadow belong to the
// window: outside them the window underneath shows and takes the mouse.
#pragma once

#include "platform/vcl/Controls.h"

class TSpPanelShape : public TCustomControl {
 public:
  explicit TSpPanelShape(TComponent* owner);

  // Pixels of shadow along the right and bottom edges (0: none).
  int ShadowSize() const { return shadowSize_; }
  void SetShadowSize(int v);
  int CornerRadius() const { return cornerRadius_; }
  void SetCornerRadius(int v);
  TColor BorderColor() const { return borderColor_; }
  void SetBorderColor(TColor c);
  TColor ShadowColor() const { return shadowColor_; }
  void SetShadowColor(TColor c);

  // The panel's body (the shadow left out), in client coordinates.
  TRect BodyRect() const;
  // The area of the window that shows: the body and its shadow.
  TRegion Outline() const;

  void AdjustClientRect(TRect& rect) const override;

 protected:
  void Paint() override;
  void Resize() override;
  void InitWindowHandle() override;

 private:
  void UpdateShape();
  int shadowSize_ = 6;
  int cornerRadius_ = 10;
  TColor borderColor_ = clBtnShadow;
  TColor shadowColor_ = clBlack;
};
