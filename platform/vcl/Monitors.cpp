#include "platform/vcl/Monitors.h"

#include <QGuiApplication>
#include <QScreen>

#include <QWidget>

#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls_p.h"

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

TWindowState ShownWindowState(const TCustomForm* form) {
  QWidget* w = WidgetOf(form);
  if (!w) return wsNormal;
  Qt::WindowStates state = w->windowState();
  if (state & Qt::WindowMinimized) return wsMinimized;
  if (state & Qt::WindowMaximized) return wsMaximized;
  return wsNormal;
}

TRect NormalWindowBounds(const TCustomForm* form) {
  const TRect current = form->BoundsRect();
  QWidget* w = WidgetOf(form);
  if (!w || ShownWindowState(form) == wsNormal) return current;
  QRect normal = w->normalGeometry();
  if (!normal.isValid() || normal.isEmpty()) return current;
  return Rect(normal.left(), normal.top(), normal.left() + normal.width(), normal.top() + normal.height());
}
