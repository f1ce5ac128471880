// The recording canvas: every call is kept with the pen, brush and font it
// was made with, and text is measured with fixed metrics so that a layout
// comes out the same on every machine.
#include <algorithm>

#include "platform/vcl/Graphics.h"

class TRecordingCanvas::FixedMetrics : public TTextMetricsSource {
 public:
  explicit FixedMetrics(TRecordingCanvas& canvas) : canvas_(canvas) {}
  int TextWidthW(std::u16string_view text) override {
    int width = 0;
    for (char16_t c : text) {
      if (c >= 0xDC00 && c <= 0xDFFF) continue;  // second half of a pair
      width += c < 0x80 ? CharWidth() : 2 * CharWidth();
    }
    return width;
  }
  int LineHeight() override {
    return lineHeight_ > 0 ? lineHeight_ : std::abs(canvas_.Font()->Height()) + 2;
  }
  int ExternalLeading() override { return 0; }
  int AverageCharWidth() override { return CharWidth(); }
  int CharWidth() const {
    return charWidth_ > 0 ? charWidth_ : (std::abs(canvas_.Font()->Height()) + 1) / 2;
  }
  void Set(int charWidth, int lineHeight) {
    charWidth_ = charWidth;
    lineHeight_ = lineHeight;
  }

 private:
  TRecordingCanvas& canvas_;
  int charWidth_ = 0;
  int lineHeight_ = 0;
};

TRecordingCanvas::TRecordingCanvas() : metrics_(std::make_unique<FixedMetrics>(*this)) {}
TRecordingCanvas::~TRecordingCanvas() = default;

void TRecordingCanvas::SetFixedMetrics(int charWidth, int lineHeight) {
  metrics_->Set(charWidth, lineHeight);
}

TTextMetricsSource& TRecordingCanvas::Metrics() { return *metrics_; }

std::vector<TCanvasCall> TRecordingCanvas::CallsOf(TCanvasOp op) const {
  std::vector<TCanvasCall> out;
  for (const auto& c : calls_)
    if (c.Op == op) out.push_back(c);
  return out;
}

TCanvasCall& TRecordingCanvas::Record(TCanvasOp op) {
  TCanvasCall& c = calls_.emplace_back();
  c.Op = op;
  c.BrushColor = Brush()->Color();
  c.BrushStyle = Brush()->Style();
  c.PenColor = Pen()->Color();
  c.PenWidth = Pen()->Width();
  c.PenStyle = Pen()->Style();
  c.PenMode = Pen()->Mode();
  c.FontColor = Font()->Color();
  c.FontName = Font()->Name();
  c.FontSize = Font()->Size();
  c.FontStyle = Font()->Style();
  c.BkMode = BkMode();
  return c;
}

void TRecordingCanvas::FillRect(const TRect& r) { Record(coFillRect).Rect = r; }
void TRecordingCanvas::FrameRect(const TRect& r) { Record(coFrameRect).Rect = r; }

void TRecordingCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Record(coRectangle).Rect = {x1, y1, x2, y2};
}

void TRecordingCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  TCanvasCall& c = Record(coRoundRect);
  c.Rect = {x1, y1, x2, y2};
  c.Points = {{x3, y3}};
}

void TRecordingCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Record(coEllipse).Rect = {x1, y1, x2, y2};
}

void TRecordingCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  TCanvasCall& c = Record(coPie);
  c.Rect = {x1, y1, x2, y2};
  c.Points = {{x3, y3}, {x4, y4}};
}

void TRecordingCanvas::Polygon(std::span<const TPoint> points) {
  Record(coPolygon).Points.assign(points.begin(), points.end());
}

void TRecordingCanvas::Polyline(std::span<const TPoint> points) {
  Record(coPolyline).Points.assign(points.begin(), points.end());
  if (!points.empty()) SetPenPos(points.back());
}

void TRecordingCanvas::LineTo(int x, int y) {
  Record(coLineTo).Points = {PenPos(), {x, y}};
  SetPenPos({x, y});
}

TColor TRecordingCanvas::Pixels(int x, int y) {
  for (auto it = pixels_.rbegin(); it != pixels_.rend(); ++it)
    if (it->first == TPoint{x, y}) return it->second;
  return background_;
}

void TRecordingCanvas::SetPixels(int x, int y, TColor color) {
  TCanvasCall& c = Record(coSetPixel);
  c.Points = {{x, y}};
  c.Color = color;
  pixels_.push_back({{x, y}, color});
}

void TRecordingCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  TCanvasCall& c = Record(coFloodFill);
  c.Points = {{x, y}};
  c.Color = color;
  c.Flags = static_cast<unsigned>(style);
}

void TRecordingCanvas::TextOut(int x, int y, std::string_view text) {
  TCanvasCall& c = Record(coTextOut);
  c.Points = {{x, y}};
  c.Text = AnsiString(text);
  SetPenPos({x + TextExtent(text).cx, y});
}

void TRecordingCanvas::TextOutW(int x, int y, std::u16string_view text) {
  TCanvasCall& c = Record(coTextOut);
  c.Points = {{x, y}};
  c.Text = Utf16ToCp949(text);
  c.Wide = true;
  SetPenPos({x + TextExtentW(text).cx, y});
}

void TRecordingCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
  TCanvasCall& c = Record(coTextRect);
  c.Rect = r;
  c.Points = {{x, y}};
  c.Text = AnsiString(text);
}

TSize TRecordingCanvas::TextExtent(std::string_view text) {
  // Byte widths directly: a lead byte and its trail byte make one wide character.
  int width = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(text[i]);
    if (IsLeadByte(b) && i + 1 < text.size()) {
      width += 2 * metrics_->CharWidth();
      ++i;
    } else {
      width += metrics_->CharWidth();
    }
  }
  return {width, metrics_->LineHeight()};
}

TSize TRecordingCanvas::TextExtentW(std::u16string_view text) {
  return {metrics_->TextWidthW(text), metrics_->LineHeight()};
}

int TRecordingCanvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
  if (!(flags & DT_CALCRECT)) {
    TCanvasCall& c = Record(coDrawText);
    c.Rect = r;
    c.Text = AnsiString(text);
    c.Flags = flags;
  }
  return DrawTextLayout(Cp949ToUtf16(text), r, flags, false);
}

int TRecordingCanvas::DrawTextW(std::u16string_view text, TRect& r, unsigned flags) {
  if (!(flags & DT_CALCRECT)) {
    TCanvasCall& c = Record(coDrawText);
    c.Rect = r;
    c.Text = Utf16ToCp949(text);
    c.Wide = true;
    c.Flags = flags;
  }
  return DrawTextLayout(text, r, flags, false);
}

void TRecordingCanvas::DrawTextLine(const TTextLine&, int, const TRect*, unsigned) {}

void TRecordingCanvas::Draw(int x, int y, const TGraphic& graphic) {
  TCanvasCall& c = Record(coDraw);
  c.Rect = {x, y, x + graphic.Width(), y + graphic.Height()};
  c.Graphic = graphic.ClassName();
}

void TRecordingCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) {
  TCanvasCall& c = Record(coStretchDraw);
  c.Rect = r;
  c.Graphic = graphic.ClassName();
}

void TRecordingCanvas::CopyRect(const TRect& dest, TCanvas&, const TRect& srcRect) {
  TCanvasCall& c = Record(coCopyRect);
  c.Rect = dest;
  c.Points = {srcRect.TopLeft(), srcRect.BottomRight()};
  c.Flags = CopyMode();
}

void TRecordingCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                                 TColor transparent) {
  TCanvasCall& c = Record(coBrushCopy);
  c.Rect = dest;
  c.Points = {srcRect.TopLeft(), srcRect.BottomRight()};
  c.Color = transparent;
  c.Graphic = bitmap.ClassName();
}

void TRecordingCanvas::DrawFocusRect(const TRect& r) { Record(coFocusRect).Rect = r; }

void TRecordingCanvas::GradientFill(const TRect& r, TColor from, TColor to, bool horizontal,
                                    int steps) {
  TCanvasCall& c = Record(coGradient);
  c.Rect = r;
  c.Color = from;
  c.Color2 = to;
  c.Flags = horizontal ? 1 : 0;
  c.Steps = steps;
}

void TRecordingCanvas::SaveClip() {
  Record(coSaveClip);
  clipStack_.push_back(clip_);
}

void TRecordingCanvas::RestoreClip() {
  Record(coRestoreClip);
  if (clipStack_.empty()) return;
  clip_ = clipStack_.back();
  clipStack_.pop_back();
}

void TRecordingCanvas::IntersectClipRect(const TRect& r) {
  Record(coIntersectClip).Rect = r;
  TRect out;
  IntersectRect(out, clip_, r);
  clip_ = out;
}

void TRecordingCanvas::ExcludeClipRect(const TRect& r) {
  // The bounds stay; an exclusion only makes a hole.
  Record(coExcludeClip).Rect = r;
}

TRect TRecordingCanvas::ClipRect() { return clip_; }
