#include "platform/vcl/ScrollBarStyle.h"

#include <QString>
#include <QVariant>
#include <QWidget>

#include "platform/vcl/Canvas_p.h"
#include "platform/vcl/Controls_p.h"

namespace {
constexpr char kLookProperty[] = "vidrenaScrollBarLook";

QString ColorName(TColor color) { return ToQColor(color).name(); }
}  // namespace

bool SetScrollBarLook(HWND wnd, TScrollBarLook look, TColor color) {
  if (!wnd || !wnd->Widget()) return false;
  QWidget* w = wnd->Widget();
  w->setProperty(kLookProperty, static_cast<int>(look));
  if (look == sblRegular && color == clNone) {
    w->setStyleSheet(QString());
    return true;
  }
  // The selector reaches only the bars the window layer makes, not the
  // scroll bars of child controls.
  const QString bar = QStringLiteral("QScrollBar[vidrenaScrollBar=\"true\"]");
  const QString back = color == clNone ? QStringLiteral("palette(window)") : ColorName(color);
  QString sheet = bar + QStringLiteral(" { background: %1; border: none; }").arg(back);
  const QString handle = look == sblEncarta ? QStringLiteral("border: 1px outset palette(mid);")
                                            : QStringLiteral("border: none;");
  sheet += bar + QStringLiteral("::handle { background: palette(mid); %1 min-width: 8px; min-height: 8px; }").arg(handle);
  if (look == sblFlat) sheet += bar + QStringLiteral("::add-line, ") + bar + QStringLiteral("::sub-line { border: none; }");
  w->setStyleSheet(sheet);
  return true;
}

TScrollBarLook ScrollBarLookOf(HWND wnd) {
  if (!wnd || !wnd->Widget()) return sblRegular;
  return static_cast<TScrollBarLook>(wnd->Widget()->property(kLookProperty).toInt());
}

bool SetScrollBarWidth(HWND wnd, int width) {
  if (!wnd) return false;
  wnd->SetBarExtent(width);
  return true;
}

int ScrollBarExtent(HWND wnd, int bar) {
  if (!wnd) return GetSystemMetrics(bar == SB_VERT ? SM_CXVSCROLL : SM_CYHSCROLL);
  return wnd->BarExtent(bar);
}
