// Platform-private: the Qt side of the graphics unit. Only platform/ .cpp
// files include this header.
//
//   EnsureQtApplication ..... the one QApplication, made on first need
//   ToQColor / FromQColor ... TColor <-> QColor (system colours through the palette)
//   ToQFont ................. TFont -> QFont (Korean Windows faces mapped to Nanum)
//   TPainterCanvas .......... a TCanvas over a QPainter it does not own
//   BitmapImage, IconImage .. the QImage behind a TBitmap / TIcon
//   ToQRegion ............... a TRegion as a QRegion (window masks)
#pragma once

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QRegion>
#include <QString>

#include "platform/vcl/Graphics.h"

class QApplication;

// The process's one Qt application (widgets), created on first need: fonts,
// icons and windows all need it. Everything in platform/ that needs the
// application calls this; nothing else constructs one. argc/argv are used
// only by the call that creates it (they must outlive the application).
QApplication* EnsureQtApplication(int* argc = nullptr, char** argv = nullptr);

// clNone and clDefault draw as the low 24 bits, like any other value.
QColor ToQColor(TColor color);
TColor FromQColor(const QColor& color);
// The pixel size is |Height| (a positive Height is a cell height and maps to
// a slightly smaller em); Hangul falls back to NanumGothic.
QFont ToQFont(const TFont& font);

// Code page 949 text as a QString; repeated texts are served from a small cache.
QString ToQString(std::string_view cp949);
inline QString ToQString(std::u16string_view wide) {
  return QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
}

// A font converted once, with the integer metrics Windows-style layouts use.
struct TFontHandle {
  QFont Font;
  QFontMetrics Metrics;
  int Ascent = 0;
  int Height = 0;  // ascent + descent
  int Leading = 0;
  int AverageCharWidth = 0;
  explicit TFontHandle(const QFont& font);
};
// Shared per distinct font; the pointer stays valid for the process.
const TFontHandle& FontHandle(const TFont& font);

// A canvas drawing through a QPainter owned elsewhere (a widget's paint
// event, an image). Without a painter, drawing calls do nothing and
// measuring still works. The painter's state (pen, brush, font, clip) is set
// from the canvas before each call; callers should not change it meanwhile.
class TPainterCanvas : public TCanvas {
 public:
  explicit TPainterCanvas(QPainter* painter = nullptr);
  ~TPainterCanvas() override;

  // Attaches to another painter (or none); clip pushes are dropped.
  void SetPainter(QPainter* painter);
  QPainter* Painter() { return AcquirePainter(); }

  void FillRect(const TRect& r) override;
  void FrameRect(const TRect& r) override;
  void Rectangle(int x1, int y1, int x2, int y2) override;
  using TCanvas::Rectangle;
  void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) override;
  void Ellipse(int x1, int y1, int x2, int y2) override;
  using TCanvas::Ellipse;
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) override;
  void Polygon(std::span<const TPoint> points) override;
  using TCanvas::Polygon;
  void Polyline(std::span<const TPoint> points) override;
  using TCanvas::Polyline;
  void LineTo(int x, int y) override;
  TColor Pixels(int x, int y) override;
  void SetPixels(int x, int y, TColor color) override;
  void FloodFill(int x, int y, TColor color, TFillStyle style) override;
  void TextOut(int x, int y, std::string_view text) override;
  void TextOutW(int x, int y, std::u16string_view text) override;
  void TextRect(const TRect& r, int x, int y, std::string_view text) override;
  TSize TextExtent(std::string_view text) override;
  TSize TextExtentW(std::u16string_view text) override;
  int DrawText(std::string_view text, TRect& r, unsigned flags) override;
  using TCanvas::DrawTextW;
  void Draw(int x, int y, const TGraphic& graphic) override;
  void StretchDraw(const TRect& r, const TGraphic& graphic) override;
  void CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) override;
  void BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                 TColor transparent) override;
  void DrawFocusRect(const TRect& r) override;
  void GradientFill(const TRect& r, TColor from, TColor to, bool horizontal, int steps) override;
  void SaveClip() override;
  void RestoreClip() override;
  void IntersectClipRect(const TRect& r) override;
  void ExcludeClipRect(const TRect& r) override;
  TRect ClipRect() override;
  TTextMetricsSource& Metrics() override;

  // Draws an image (or its part src) into dest with the copy mode.
  void DrawImage(const QRect& dest, const QImage& image, const QRect& src);

 protected:
  void DrawTextLine(const TTextLine& line, int ascentY, const TRect* clip,
                    unsigned flags) override;
  // The painter to draw with; a bitmap's canvas begins one on demand.
  virtual QPainter* AcquirePainter() { return painter_; }
  // The image under the painter, when it paints on one (for Pixels, CopyRect).
  virtual QImage* TargetImage();
  // A back end that begins its painter again calls this: the clip and the
  // text state are set up anew on the next call.
  void PainterRestarted() {
    setUp_ = nullptr;
    ForgetText();
  }

 private:
  class Metrics_;
  struct ClipState {
    bool active = false;
    QRegion region;
  };
  const TFontHandle& CurrentFont();
  // The painter to draw with, its clip set up; nullptr when there is none.
  QPainter* ReadyPainter();
  void ApplyClip(QPainter* p);
  // Font and text colour on the painter, set only when they differ from
  // what this canvas last put there.
  void ApplyText(QPainter* p, const TFontHandle& font);
  void ForgetText() { textFont_ = nullptr; textPen_ = false; }
  void ApplyPen(QPainter* p);
  void ApplyBrush(QPainter* p);
  QImage* SourceImage(QRect& rect);

  QPainter* painter_;
  std::unique_ptr<Metrics_> metrics_;
  const TFontHandle* font_ = nullptr;
  std::uint64_t fontStamp_ = 0;
  // The clip lives in the canvas, not in the painter, so that it survives a
  // new painter (a bitmap's painter is ended and begun again).
  ClipState clip_;
  std::vector<ClipState> clipStack_;
  QPainter* setUp_ = nullptr;  // the painter the clip was last applied to
  const TFontHandle* textFont_ = nullptr;
  bool textPen_ = false;
  QRgb textColor_ = 0;
};

std::unique_ptr<TPainterCanvas> CreatePainterCanvas(QPainter* painter);

// The pixels of a bitmap (ARGB32 premultiplied or RGB32; pf8bit and below Indexed8).
// The bitmap's canvas painter is ended first, so the image can be changed freely.
QImage& BitmapImage(TBitmap& bitmap);
const QImage& BitmapImage(const TBitmap& bitmap);
// Replaces the bitmap's pixels (the pixel format follows the image).
void SetBitmapImage(TBitmap& bitmap, QImage image);
const QImage& IconImage(const TIcon& icon);
QRegion ToQRegion(const TRegion& region);
