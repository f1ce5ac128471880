#include "platform/vcl/PaintTo.h"

#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls_p.h"

void PaintControlTo(TControl* control, TBitmap& bitmap) {
  if (!control) return;
  EnsureQtApplication();
  const int w = std::max(1, control->Width()), h = std::max(1, control->Height());
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(Qt::white);
  {
    QPainter painter(&image);
    PaintControlOn(control, painter, QRect(0, 0, w, h));
  }
  SetBitmapImage(bitmap, std::move(image));
}
