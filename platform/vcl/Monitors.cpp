#include "platform/vcl/Monitors.h"

#include <QGuiApplication>
#include <QScreen>

#include "platform/vcl/Canvas_p.h"

std::vector<TRect> MonitorWorkAreas() {
  EnsureQtApplication();
  std::vector<TRect> areas;
  QScreen* primary = QGuiApplication::primaryScreen();
  auto add = [&](QScreen* s) {
    QRect r = s->availableGeometry();
    areas.push_back(Rect(r.left(), r.top(), r.right() + 1, r.bottom() + 1));
  };
  if (primary) add(primary);
  for (QScreen* s : QGuiApplication::screens())
    if (s != primary) add(s);
  return areas;
}
