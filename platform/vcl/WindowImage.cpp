#include "platform/vcl/WindowImage.h"

#include <QPixmap>
#include <QString>
#include <QWidget>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls_p.h"

bool SaveWindowImage(TControl* control, const AnsiString& fileName) {
  QWidget* w = WidgetOf(control);
  if (!w) return false;
  QPixmap picture = w->grab();
  if (picture.isNull()) return false;
  return picture.save(QString::fromStdString(SysFileName(fileName)), "PNG");
}
