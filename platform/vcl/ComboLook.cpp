#include "platform/vcl/ComboLook.h"

#include <QComboBox>
#include <QString>

#include "platform/vcl/Controls_p.h"

bool SetComboLook(TComboBox* combo, const TComboLook& look) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box) return false;
  if (!look.Flat) {
    box->setStyleSheet(QString());
    return true;
  }
  const QString border = look.Hot && look.FocusBorder ? QStringLiteral("2px inset palette(mid)")
                                                       : QStringLiteral("1px solid palette(window)");
  const QString button = !look.Hot     ? QStringLiteral("border: none; background: palette(button);")
                         : look.Etched ? QStringLiteral("border: 2px groove palette(mid);")
                                       : QStringLiteral("border: 1px outset palette(mid);");
  box->setStyleSheet(QStringLiteral("QComboBox { border: %1; } QComboBox::drop-down { width: %2px; %3 }")
                         .arg(border)
                         .arg(look.ButtonWidth)
                         .arg(button));
  return true;
}
