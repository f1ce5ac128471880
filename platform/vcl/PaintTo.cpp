#include "platform/vcl/PaintTo.h"

#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls_p.h"

void PaintControlTo(TControl* control, TBitmap& bitmap) {
  if (!control) return;
  EnsureQtApplication();
  const int w = std::max(1, control->Width()), h = std::max(1, control->Height());
  // The bitmap's own pixels are painted over when it has the size already.
  if (bitmap.Width() != w || bitmap.Height() != h || BitmapImage(bitmap).format() != QImage::Format_RGB32)
    SetBitmapImage(bitmap, QImage(w, h, QImage::Format_RGB32));
  QImage& image = BitmapImage(bitmap);
  image.fill(Qt::white);
  QPainter painter(&image);
  PaintControlOn(control, painter, QRect(0, 0, w, h));
}
