// Themed parts drawn by the application's Qt style into an image that is
// then drawn on the canvas, so every back end (the recorder too) sees one call.
#include "platform/vcl/Themes.h"

#include <QApplication>
#include <QStyle>
#include <QStyleOption>

#include "platform/vcl/Canvas_p.h"

bool IsThemeActive() {
  QApplication* app = EnsureQtApplication();
  return app && app->style();
}

AnsiString CurrentThemeName() {
  QApplication* app = EnsureQtApplication();
  if (!app || !app->style()) return {};
  return app->style()->name().toStdString();
}

AnsiString CurrentColorSchemeName() { return {}; }

void DrawThemePart(TCanvas& canvas, TThemePart part, int state, const TRect& rect) {
  const int w = rect.Width(), h = rect.Height();
  if (w <= 0 || h <= 0 || !IsThemeActive()) return;
  QStyle* style = QApplication::style();
  QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  {
    QPainter p(&image);
    const QRect box(0, 0, w, h);
    const bool disabled = state == 4 || state == 8;
    QStyle::State flags = disabled ? QStyle::State_None : QStyle::State_Enabled;
    switch (part) {
      case tpHeaderItem: {
        QStyleOptionHeader option;
        option.rect = box;
        option.state = QStyle::State_Enabled | QStyle::State_Raised;
        if (state == 2) option.state |= QStyle::State_MouseOver;
        if (state == 3) option.state |= QStyle::State_Sunken;
        style->drawControl(QStyle::CE_HeaderSection, &option, &p);
        // Styles may draw the three states alike (Fusion does): a hot header
        // is tinted with the highlight and a pressed one shaded, so that
        // they read apart.
        if (state == 2 || state == 3) {
          QColor tint = state == 2 ? QApplication::palette().color(QPalette::Highlight) : QColor(Qt::black);
          tint.setAlpha(state == 2 ? 48 : 40);
          p.fillRect(box, tint);
        }
        break;
      }
      case tpPushButton: {
        QStyleOptionButton option;
        option.rect = box;
        option.state = flags | (state == 3 ? QStyle::State_Sunken : QStyle::State_Raised);
        style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p);
        break;
      }
      case tpRadioButton:
      case tpCheckBox: {
        QStyleOptionButton option;
        option.rect = box;
        option.state = flags | (state >= 5 ? QStyle::State_On : QStyle::State_Off);
        style->drawPrimitive(part == tpCheckBox ? QStyle::PE_IndicatorCheckBox : QStyle::PE_IndicatorRadioButton,
                             &option, &p);
        break;
      }
      case tpProgressBar: {
        QStyleOptionProgressBar option;
        option.rect = box;
        option.state = QStyle::State_Enabled | QStyle::State_Horizontal;
        option.minimum = 0;
        option.maximum = 100;
        option.progress = 0;
        style->drawControl(QStyle::CE_ProgressBarGroove, &option, &p);
        break;
      }
      case tpProgressChunk:
        p.fillRect(box, QApplication::palette().color(QPalette::Highlight));
        break;
      case tpComboButton: {
        QStyleOptionButton option;
        option.rect = box;
        option.state = flags | QStyle::State_Raised;
        style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p);
        QStyleOption arrow;
        arrow.rect = box.adjusted(3, 3, -3, -3);
        arrow.state = flags;
        style->drawPrimitive(QStyle::PE_IndicatorArrowDown, &arrow, &p);
        break;
      }
    }
  }
  TBitmap bitmap;
  SetBitmapImage(bitmap, std::move(image));
  canvas.Draw(rect.Left, rect.Top, bitmap);
}
