// Platform-private: what TBitmap, TIcon and TRegion hold.
#pragma once

#include <memory>

#include "platform/vcl/Canvas_p.h"

// The canvas of a bitmap: begins a painter on the bitmap's image when a
// drawing call needs one; the bitmap ends it before it changes the image.
class TBitmapCanvas : public TPainterCanvas {
 public:
  explicit TBitmapCanvas(TBitmap::Impl& owner) : owner_(owner) {}

 protected:
  QPainter* AcquirePainter() override;
  QImage* TargetImage() override;

 private:
  TBitmap::Impl& owner_;
};

struct TBitmap::Impl {
  // Always a paintable format: RGB32, or ARGB32_Premultiplied for pf32bit;
  // the pixel format of smaller depths is kept as a label (the pixels were
  // reduced when it was set) and used when the bitmap is written.
  QImage image;
  TPixelFormat format = pfDevice;
  std::unique_ptr<TBitmapCanvas> canvas;
  QPainter painter;
  // The transparent copy last drawn, until the pixels or the key change.
  QImage masked;
  QRgb maskedKey = 0;
  bool maskedValid = false;
  // Ends the canvas's painter so that the image can be replaced or read as a whole.
  void EndPaint() {
    if (painter.isActive()) painter.end();
    maskedValid = false;
  }
};

struct TIcon::Impl {
  QImage image;       // ARGB32_Premultiplied
  QByteArray data;    // the ICO file as loaded, written back unchanged
};

struct TRegion::Impl {
  QRegion region;
};
