#include "platform/vcl/ComboLook.h"

#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QString>

#include <map>

#include "platform/vcl/Canvas_p.h"
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

namespace {

// Paints the frames after the combo's own paint, for every combo that has one.
class TFlatFramePainter : public QObject {
 public:
  static TFlatFramePainter& Instance() {
    static auto* painter = new TFlatFramePainter;
    return *painter;
  }
  void Set(QComboBox* box, const TFlatComboFrame* frame) {
    if (!frame) {
      frames_.erase(box);
      box->removeEventFilter(this);
      return;
    }
    if (!frames_.contains(box)) {
      box->installEventFilter(this);
      connect(box, &QObject::destroyed, this, [this, box] { frames_.erase(box); });
    }
    frames_[box] = *frame;
  }

 protected:
  bool eventFilter(QObject* object, QEvent* event) override {
    if (event->type() != QEvent::Paint || painting_) return false;
    auto* box = static_cast<QComboBox*>(object);
    const auto found = frames_.find(box);
    if (found == frames_.end()) return false;
    // The combo's own paint first (text, arrow), then the frames over it.
    painting_ = true;
    static_cast<QObject*>(box)->event(event);
    painting_ = false;
    QPainter painter(box);
    TPainterCanvas canvas(&painter);
    PaintFrame(canvas, found->second, box->width(), box->height());
    return true;
  }

 private:
  static void PaintFrame(TCanvas& canvas, const TFlatComboFrame& frame, int width, int height) {
    TRect r{0, 0, width, height};
    if (frame.Highlighted) {
      DrawEdge(canvas, r, EDGE_SUNKEN, BF_RECT);
      InflateRect(r, -2, -2);
      canvas.Brush()->SetColor(clBtnFace);
      canvas.FrameRect(r);
    } else {
      canvas.Brush()->SetColor(frame.OuterColor);
      canvas.FrameRect(r);
      InflateRect(r, -1, -1);
      canvas.FrameRect(r);
    }
    InflateRect(r, -1, -1);
    canvas.Brush()->SetColor(frame.InnerColor);
    canvas.FrameRect(r);
    if (!frame.ButtonFramed) return;
    TRect button{width - frame.ButtonWidth - 4, 0, width, height};
    InflateRect(button, -2, -2);
    DrawEdge(canvas, button, frame.Etched ? EDGE_ETCHED : EDGE_RAISED, BF_RECT);
    // The button's face and arrow: the style sheet leaves the drop-down
    // area empty.
    InflateRect(button, -2, -2);
    canvas.Brush()->SetColor(clBtnFace);
    canvas.FillRect(button);
    const int cx = (button.Left + button.Right) / 2, cy = (button.Top + button.Bottom) / 2;
    canvas.Brush()->SetColor(clBtnText);
    canvas.Pen()->SetColor(clBtnText);
    canvas.Polygon({TPoint{cx - 3, cy - 1}, TPoint{cx + 3, cy - 1}, TPoint{cx, cy + 2}});
  }

  std::map<QComboBox*, TFlatComboFrame> frames_;
  bool painting_ = false;
};

}  // namespace

bool SetFlatComboFrame(TComboBox* combo, const TFlatComboFrame* frame) {
  auto* box = qobject_cast<QComboBox*>(WidgetOf(combo));
  if (!box) return false;
  TFlatFramePainter::Instance().Set(box, frame);
  // The toolkit draws the text and the arrow only, the arrow inside the
  // button the frame outlines; the frames are painted over its border. A
  // style sheet is costly to apply: only a change of the button's width
  // sets it again.
  const QString sheet = frame ? QStringLiteral("QComboBox { border: 3px solid transparent; }"
                                               " QComboBox::drop-down { width: %1px; border: none; }")
                                    .arg(frame->ButtonWidth)
                              : QString();
  if (box->styleSheet() != sheet) box->setStyleSheet(sheet);
  box->update();
  return true;
}
