// The Qt back end of TCanvas and the conversions between the graphics unit
// and Qt.
//
// Sections:
//   Conversions ...... colours, fonts (with the font cache), text
//   TPainterCanvas ... state application, shapes, text, images, clipping
//   Regions .......... TRegion over QRegion
//
// Windows geometry is kept: a rectangle's right and bottom edges are outside
// it, a line leaves out its end pixel, an outlined shape of (x1,y1)-(x2,y2)
// covers x1..x2-1 and y1..y2-1.
#include "platform/vcl/Canvas_p.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QPainterPath>
#include <QTranslator>

#include <cmath>
#include <unordered_map>

#include "platform/vcl/Bitmap_p.h"

// --------------------------------------------------------------- Conversions

namespace {

// The program speaks Korean whatever the system's language: the file,
// folder, colour and message dialogs that Qt draws take their buttons and
// labels from Qt's own Korean catalogues. Without the catalogues installed
// they stay in English; the program works on.
void InstallKoreanQtTranslations(QCoreApplication& app) {
  const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
  for (const char* catalogue : {"qtbase", "qtwebengine"}) {
    auto* translator = new QTranslator(&app);
    if (translator->load(QLocale(QLocale::Korean, QLocale::SouthKorea), QString::fromLatin1(catalogue),
                         QStringLiteral("_"), folder))
      app.installTranslator(translator);
    else
      delete translator;
  }
}

}  // namespace

QApplication* EnsureQtApplication(int* argc, char** argv) {
  if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance())) return app;
  if (QCoreApplication::instance()) return nullptr;  // a non-widget application exists
  static int defaultArgc = 1;
  static char defaultName[] = "vidrena";
  static char* defaultArgv[] = {defaultName, nullptr};
  if (!argc || !argv) {
    argc = &defaultArgc;
    argv = defaultArgv;
  }
  // The embedded browser shares OpenGL contexts with the windows; Qt wants
  // that decided before the application object exists.
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  // Lives until the process ends: windows and fonts refer to it to the last.
  auto* app = new QApplication(*argc, argv);
  InstallKoreanQtTranslations(*app);
  return app;
}

QColor ToQColor(TColor color) {
  TColor rgb = ColorToRGB(color);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& color) { return RGB(color.red(), color.green(), color.blue()); }

namespace {

// Faces of Korean Windows and their nearest Nanum family.
struct TFaceSubstitute {
  const char* face;  // UTF-8
  const char* family;
};
constexpr TFaceSubstitute kFaceSubstitutes[] = {
    {"굴림", "NanumGothic"},           {"굴림체", "NanumGothicCoding"},
    {"돋움", "NanumGothic"},           {"돋움체", "NanumGothicCoding"},
    {"바탕", "NanumMyeongjo"},         {"바탕체", "NanumMyeongjo"},
    {"궁서", "NanumMyeongjo"},         {"궁서체", "NanumMyeongjo"},
    {"맑은 고딕", "NanumGothic"},      {"Gulim", "NanumGothic"},
    {"GulimChe", "NanumGothicCoding"}, {"Dotum", "NanumGothic"},
    {"DotumChe", "NanumGothicCoding"}, {"Batang", "NanumMyeongjo"},
    {"Malgun Gothic", "NanumGothic"},
};

constexpr const char* kHangulFallback = "NanumGothic";

}  // namespace

QFont ToQFont(const TFont& font) {
  QFont f;
  QString face = QString::fromUtf8(Cp949ToUtf8(font.Name()));
  QStringList families;
  for (const auto& s : kFaceSubstitutes)
    if (face.compare(QString::fromUtf8(s.face), Qt::CaseInsensitive) == 0) {
      families << QString::fromUtf8(s.family);
      break;
    }
  if (families.isEmpty()) families << face;
  if (families.front() != QLatin1String(kHangulFallback)) families << QLatin1String(kHangulFallback);
  f.setFamilies(families);
  int height = font.Height();
  int pixels = height < 0 ? -height : (height > 0 ? std::max(1, height * 4 / 5) : 11);
  f.setPixelSize(std::max(1, pixels));
  f.setBold(font.Style().Contains(fsBold));
  f.setItalic(font.Style().Contains(fsItalic));
  f.setUnderline(font.Style().Contains(fsUnderline));
  f.setStrikeOut(font.Style().Contains(fsStrikeOut));
  if (font.Pitch() == fpFixed) {
    f.setFixedPitch(true);
    f.setStyleHint(QFont::Monospace);
  }
  return f;
}

TFontHandle::TFontHandle(const QFont& font) : Font(font), Metrics(font) {
  Ascent = Metrics.ascent();
  Height = Metrics.ascent() + Metrics.descent();
  Leading = std::max(0, Metrics.leading());
  AverageCharWidth = std::max(1, Metrics.averageCharWidth());
}

const TFontHandle& FontHandle(const TFont& font) {
  // Fonts differ in few ways in a program; every distinct one is kept.
  static std::unordered_map<std::string, std::unique_ptr<TFontHandle>> cache;
  std::string key = font.Name();
  key += '\0';
  key += std::to_string(font.Height());
  key += '\0';
  key += static_cast<char>('0' + font.Style().Bits());
  key += static_cast<char>('0' + font.Pitch());
  auto it = cache.find(key);
  if (it != cache.end()) return *it->second;
  EnsureQtApplication();
  auto handle = std::make_unique<TFontHandle>(ToQFont(font));
  const TFontHandle& ref = *handle;
  cache.emplace(std::move(key), std::move(handle));
  return ref;
}

QString ToQString(std::string_view cp949) {
  bool ascii = true;
  for (char c : cp949)
    if (static_cast<unsigned char>(c) >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return QString::fromLatin1(cp949.data(), static_cast<qsizetype>(cp949.size()));
  // Cells repaint the same Korean texts over and over; the codec is not free.
  struct Hash {
    using is_transparent = void;
    size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
  };
  thread_local std::unordered_map<std::string, QString, Hash, std::equal_to<>> cache;
  auto it = cache.find(cp949);
  if (it != cache.end()) return it->second;
  if (cache.size() >= 8192) cache.clear();
  WideString wide = Cp949ToUtf16(cp949);
  QString s = QString::fromUtf16(wide.data(), static_cast<qsizetype>(wide.size()));
  cache.emplace(std::string(cp949), s);
  return s;
}

// ------------------------------------------------------------ TPainterCanvas

class TPainterCanvas::Metrics_ : public TTextMetricsSource {
 public:
  explicit Metrics_(TPainterCanvas& canvas) : canvas_(canvas) {}
  int TextWidthW(std::u16string_view text) override {
    if (text.empty()) return 0;
    return canvas_.CurrentFont().Metrics.horizontalAdvance(ToQString(text));
  }
  int LineHeight() override { return canvas_.CurrentFont().Height; }
  int ExternalLeading() override { return canvas_.CurrentFont().Leading; }
  int AverageCharWidth() override { return canvas_.CurrentFont().AverageCharWidth; }

 private:
  TPainterCanvas& canvas_;
};

namespace {

QPainter::CompositionMode PenComposition(TPenMode mode) {
  switch (mode) {
    case pmXor: return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor: return QPainter::RasterOp_NotSourceXorDestination;
    case pmNot: return QPainter::RasterOp_NotDestination;
    case pmMerge: return QPainter::RasterOp_SourceOrDestination;
    case pmMask: return QPainter::RasterOp_SourceAndDestination;
    case pmNotCopy: return QPainter::RasterOp_NotSource;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

QPainter::CompositionMode CopyComposition(DWORD mode) {
  switch (mode) {
    case cmSrcInvert: return QPainter::RasterOp_SourceXorDestination;
    case cmSrcAnd: return QPainter::RasterOp_SourceAndDestination;
    case cmSrcPaint: return QPainter::RasterOp_SourceOrDestination;
    case cmDstInvert: return QPainter::RasterOp_NotDestination;
    default: return QPainter::CompositionMode_SourceOver;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle style) {
  switch (style) {
    case bsClear: return Qt::NoBrush;
    case bsHorizontal: return Qt::HorPattern;
    case bsVertical: return Qt::VerPattern;
    case bsFDiagonal: return Qt::FDiagPattern;
    case bsBDiagonal: return Qt::BDiagPattern;
    case bsCross: return Qt::CrossPattern;
    case bsDiagCross: return Qt::DiagCrossPattern;
    default: return Qt::SolidPattern;
  }
}

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

// The end point of a line that leaves out its last pixel, as GDI draws.
QPoint ShortenedEnd(QPoint from, QPoint to) {
  int dx = to.x() - from.x(), dy = to.y() - from.y();
  int steps = std::max(std::abs(dx), std::abs(dy));
  if (steps <= 1) return from;
  return QPoint(from.x() + static_cast<int>(std::lround(dx * (steps - 1) / double(steps))),
                from.y() + static_cast<int>(std::lround(dy * (steps - 1) / double(steps))));
}

}  // namespace

TPainterCanvas::TPainterCanvas(QPainter* painter)
    : painter_(painter), metrics_(std::make_unique<Metrics_>(*this)) {}

TPainterCanvas::~TPainterCanvas() = default;

std::unique_ptr<TPainterCanvas> CreatePainterCanvas(QPainter* painter) {
  return std::make_unique<TPainterCanvas>(painter);
}

void TPainterCanvas::SetPainter(QPainter* painter) {
  painter_ = painter;
  ForgetText();
  clip_ = {};
  clipStack_.clear();
  setUp_ = nullptr;
}

TTextMetricsSource& TPainterCanvas::Metrics() { return *metrics_; }

const TFontHandle& TPainterCanvas::CurrentFont() {
  if (!font_ || fontStamp_ != Font()->Stamp()) {
    font_ = &FontHandle(*Font());
    fontStamp_ = Font()->Stamp();
  }
  return *font_;
}

QImage* TPainterCanvas::TargetImage() {
  QPainter* p = AcquirePainter();
  if (!p || !p->device() || p->device()->devType() != QInternal::Image) return nullptr;
  return static_cast<QImage*>(p->device());
}

void TPainterCanvas::ApplyClip(QPainter* p) {
  setUp_ = p;
  if (!clip_.active) {
    if (p->hasClipping()) p->setClipping(false);
  } else if (clip_.region.rectCount() == 1) {
    p->setClipRect(clip_.region.boundingRect());
  } else {
    // A region set right after clipping was switched off is ignored by the
    // raster engine unless it goes through a path.
    QPainterPath path;
    path.addRegion(clip_.region);
    p->setClipPath(path);
  }
}

QPainter* TPainterCanvas::ReadyPainter() {
  QPainter* p = AcquirePainter();
  if (!p || !p->isActive()) return nullptr;
  if (setUp_ != p) {
    ApplyClip(p);
    ForgetText();
  }
  return p;
}

void TPainterCanvas::ApplyText(QPainter* p, const TFontHandle& font) {
  if (textFont_ != &font) {
    p->setFont(font.Font);
    textFont_ = &font;
  }
  QRgb color = ToQColor(Font()->Color()).rgb();
  if (!textPen_ || color != textColor_) {
    p->setPen(QColor::fromRgb(color));
    textPen_ = true;
    textColor_ = color;
  }
}

void TPainterCanvas::ApplyPen(QPainter* p) {
  textPen_ = false;
  const TPen& pen = *Pen();
  if (pen.Style() == psClear || pen.Mode() == pmNop) {
    p->setPen(Qt::NoPen);
  } else {
    QPen qp(ToQColor(pen.Color()));
    qp.setWidth(pen.Width() <= 1 ? 0 : pen.Width());
    switch (pen.Style()) {
      case psDash: qp.setStyle(Qt::DashLine); break;
      case psDot: qp.setDashPattern({1, 1}); break;
      case psDashDot: qp.setStyle(Qt::DashDotLine); break;
      case psDashDotDot: qp.setStyle(Qt::DashDotDotLine); break;
      default: break;
    }
    if (pen.Mode() == pmBlack) qp.setColor(Qt::black);
    if (pen.Mode() == pmWhite) qp.setColor(Qt::white);
    if (pen.Mode() == pmNot) qp.setColor(Qt::white);  // the source does not matter
    p->setPen(qp);
  }
  p->setCompositionMode(PenComposition(pen.Mode()));
}

void TPainterCanvas::ApplyBrush(QPainter* p) {
  const TBrush& brush = *Brush();
  if (brush.Style() == bsClear) p->setBrush(Qt::NoBrush);
  else p->setBrush(QBrush(ToQColor(brush.Color()), QtBrushStyle(brush.Style())));
}

#define VIDRENA_PAINTER(p)     \
  QPainter* p = ReadyPainter(); \
  if (!p) return

void TPainterCanvas::FillRect(const TRect& r) {
  VIDRENA_PAINTER(p);
  if (Brush()->Style() == bsClear || r.IsEmpty()) return;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (Brush()->Style() == bsSolid) p->fillRect(ToQRect(r), ToQColor(Brush()->Color()));
  else p->fillRect(ToQRect(r), QBrush(ToQColor(Brush()->Color()), QtBrushStyle(Brush()->Style())));
}

void TPainterCanvas::FrameRect(const TRect& r) {
  VIDRENA_PAINTER(p);
  if (r.IsEmpty()) return;
  QColor c = ToQColor(Brush()->Color());
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRect(r.Left, r.Top, r.Width(), 1), c);
  p->fillRect(QRect(r.Left, r.Bottom - 1, r.Width(), 1), c);
  p->fillRect(QRect(r.Left, r.Top, 1, r.Height()), c);
  p->fillRect(QRect(r.Right - 1, r.Top, 1, r.Height()), c);
}

void TPainterCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  VIDRENA_PAINTER(p);
  if (x2 < x1) std::swap(x1, x2);
  if (y2 < y1) std::swap(y1, y2);
  if (x2 - x1 < 1 || y2 - y1 < 1) return;
  ApplyPen(p);
  ApplyBrush(p);
  if (Pen()->Style() == psClear) {
    // Without a pen the shape is one pixel smaller at the right and bottom.
    if (Brush()->Style() != bsClear) p->fillRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), p->brush());
    return;
  }
  p->drawRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TPainterCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3) {
  VIDRENA_PAINTER(p);
  ApplyPen(p);
  ApplyBrush(p);
  p->setRenderHint(QPainter::Antialiasing, false);
  p->drawRoundedRect(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), x3 / 2.0, y3 / 2.0);
}

void TPainterCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  VIDRENA_PAINTER(p);
  ApplyPen(p);
  ApplyBrush(p);
  p->drawEllipse(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
}

void TPainterCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  VIDRENA_PAINTER(p);
  ApplyPen(p);
  ApplyBrush(p);
  double cx = (x1 + x2) / 2.0, cy = (y1 + y2) / 2.0;
  auto angle = [&](int x, int y) { return std::atan2(-(y - cy), x - cx) * 180.0 / M_PI; };
  double start = angle(x3, y3), end = angle(x4, y4);
  double span = end - start;
  while (span <= 0) span += 360;
  p->drawPie(QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1), static_cast<int>(std::lround(start * 16)),
             static_cast<int>(std::lround(span * 16)));
}

void TPainterCanvas::Polygon(std::span<const TPoint> points) {
  VIDRENA_PAINTER(p);
  if (points.empty()) return;
  ApplyPen(p);
  ApplyBrush(p);
  QPolygon poly;
  poly.reserve(static_cast<qsizetype>(points.size()));
  for (const TPoint& pt : points) poly << QPoint(pt.X, pt.Y);
  p->drawPolygon(poly, Qt::OddEvenFill);  // the default ALTERNATE fill mode
}

void TPainterCanvas::Polyline(std::span<const TPoint> points) {
  if (points.empty()) return;
  MoveTo(points[0].X, points[0].Y);
  for (size_t i = 1; i < points.size(); ++i) LineTo(points[i].X, points[i].Y);
}

void TPainterCanvas::LineTo(int x, int y) {
  TPoint from = PenPos();
  SetPenPos({x, y});
  VIDRENA_PAINTER(p);
  if (Pen()->Style() == psClear) return;
  ApplyPen(p);
  QPoint a(from.X, from.Y), b(x, y);
  if (Pen()->Width() <= 1) {
    if (a == b) return;
    QPoint end = ShortenedEnd(a, b);
    if (end == a) p->drawPoint(a);
    else p->drawLine(a, end);
  } else {
    p->drawLine(a, b);
  }
}

TColor TPainterCanvas::Pixels(int x, int y) {
  QImage* image = TargetImage();
  if (!image) return clNone;
  QPoint d = AcquirePainter()->transform().map(QPoint(x, y));
  if (!image->rect().contains(d)) return clNone;
  return FromQColor(QColor::fromRgb(image->pixel(d)));
}

void TPainterCanvas::SetPixels(int x, int y, TColor color) {
  VIDRENA_PAINTER(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
}

void TPainterCanvas::FloodFill(int x, int y, TColor color, TFillStyle style) {
  QImage* image = TargetImage();
  if (!image) return;
  QPainter* painter = AcquirePainter();
  QPoint start = painter->transform().map(QPoint(x, y));
  if (!image->rect().contains(start)) return;
  QRgb target = ToQColor(color).rgb() | 0xFF000000u;
  QRgb fill = ToQColor(Brush()->Color()).rgb() | 0xFF000000u;
  QRgb seed = image->pixel(start) | 0xFF000000u;
  auto inside = [&](QRgb c) {
    c |= 0xFF000000u;
    return style == fsBorder ? c != target : c == target;
  };
  if (!inside(seed) || seed == fill) return;
  // The fill works on the pixels directly; it ignores the clip.
  std::vector<QPoint> stack{start};
  QImage& img = *image;
  const int w = img.width(), h = img.height();
  while (!stack.empty()) {
    QPoint pt = stack.back();
    stack.pop_back();
    int px = pt.x(), py = pt.y();
    if (!inside(img.pixel(px, py)) || (img.pixel(px, py) | 0xFF000000u) == fill) continue;
    int left = px, right = px;
    while (left > 0 && inside(img.pixel(left - 1, py)) && (img.pixel(left - 1, py) | 0xFF000000u) != fill) --left;
    while (right < w - 1 && inside(img.pixel(right + 1, py)) && (img.pixel(right + 1, py) | 0xFF000000u) != fill) ++right;
    for (int i = left; i <= right; ++i) {
      img.setPixel(i, py, fill);
      if (py > 0 && inside(img.pixel(i, py - 1)) && (img.pixel(i, py - 1) | 0xFF000000u) != fill) stack.push_back({i, py - 1});
      if (py < h - 1 && inside(img.pixel(i, py + 1)) && (img.pixel(i, py + 1) | 0xFF000000u) != fill) stack.push_back({i, py + 1});
    }
  }
}

void TPainterCanvas::TextOut(int x, int y, std::string_view text) {
  QString s = ToQString(text);
  const TFontHandle& fh = CurrentFont();
  int width = fh.Metrics.horizontalAdvance(s);
  SetPenPos({x + width, y});
  VIDRENA_PAINTER(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (Font()->Orientation() != 0) {
    p->save();
    p->translate(x, y);
    p->rotate(-Font()->Orientation() / 10.0);
    if (BkMode() == OPAQUE) p->fillRect(QRect(0, 0, width, fh.Height), ToQColor(Brush()->Color()));
    p->setFont(fh.Font);
    p->setPen(ToQColor(Font()->Color()));
    p->drawText(QPoint(0, fh.Ascent), s);
    p->restore();
    ForgetText();
    return;
  }
  if (BkMode() == OPAQUE) p->fillRect(QRect(x, y, width, fh.Height), ToQColor(Brush()->Color()));
  ApplyText(p, fh);
  p->drawText(QPoint(x, y + fh.Ascent), s);
}

void TPainterCanvas::TextOutW(int x, int y, std::u16string_view text) {
  // Wide text keeps characters code page 949 lacks.
  QString s = ToQString(text);
  const TFontHandle& fh = CurrentFont();
  int width = fh.Metrics.horizontalAdvance(s);
  SetPenPos({x + width, y});
  VIDRENA_PAINTER(p);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (BkMode() == OPAQUE) p->fillRect(QRect(x, y, width, fh.Height), ToQColor(Brush()->Color()));
  ApplyText(p, fh);
  p->drawText(QPoint(x, y + fh.Ascent), s);
}

int TPainterCanvas::DrawText(std::string_view text, TRect& r, unsigned flags) {
  // Through the conversion cache: a grid draws the same texts on every paint.
  QString s = ToQString(text);
  return DrawTextLayout(std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()),
                                            static_cast<size_t>(s.size())),
                        r, flags, true);
}

void TPainterCanvas::TextRect(const TRect& r, int x, int y, std::string_view text) {
  VIDRENA_PAINTER(p);
  QString s = ToQString(text);
  const TFontHandle& fh = CurrentFont();
  p->save();
  p->setClipRect(ToQRect(r), clip_.active ? Qt::IntersectClip : Qt::ReplaceClip);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (Brush()->Style() != bsClear) p->fillRect(ToQRect(r), ToQColor(Brush()->Color()));
  p->setFont(fh.Font);
  p->setPen(ToQColor(Font()->Color()));
  p->drawText(QPoint(x, y + fh.Ascent), s);
  p->restore();
  ForgetText();
}

TSize TPainterCanvas::TextExtent(std::string_view text) {
  const TFontHandle& fh = CurrentFont();
  return {text.empty() ? 0 : fh.Metrics.horizontalAdvance(ToQString(text)), fh.Height};
}

TSize TPainterCanvas::TextExtentW(std::u16string_view text) {
  const TFontHandle& fh = CurrentFont();
  return {text.empty() ? 0 : fh.Metrics.horizontalAdvance(ToQString(text)), fh.Height};
}

void TPainterCanvas::DrawTextLine(const TTextLine& line, int, const TRect* clip, unsigned flags) {
  VIDRENA_PAINTER(p);
  const TFontHandle& fh = CurrentFont();
  QString s = ToQString(line.Text);
  QRect box(line.X, line.Y, line.Width, fh.Height);
  // Clip only when the line crosses the rectangle: setting a clip is the
  // dearest part of a short cell text.
  bool clipped = false;
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  ApplyText(p, fh);
  if (clip && !ToQRect(*clip).contains(box)) {
    clipped = true;
    p->save();
    p->setClipRect(ToQRect(*clip), clip_.active ? Qt::IntersectClip : Qt::ReplaceClip);
  }
  if (BkMode() == OPAQUE && Brush()->Style() != bsClear) p->fillRect(box, ToQColor(Brush()->Color()));
  if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::RightToLeft);
  p->drawText(QPoint(line.X, line.Y + fh.Ascent), s);
  if (flags & DT_RTLREADING) p->setLayoutDirection(Qt::LeftToRight);
  if (line.PrefixIndex >= 0 && line.PrefixIndex < s.size()) {
    int from = fh.Metrics.horizontalAdvance(s.left(line.PrefixIndex));
    int width = fh.Metrics.horizontalAdvance(s.mid(line.PrefixIndex, 1));
    int underline = line.Y + fh.Ascent + 1;
    p->fillRect(QRect(line.X + from, underline, std::max(1, width), 1), ToQColor(Font()->Color()));
  }
  if (clipped) p->restore();
}

void TPainterCanvas::DrawImage(const QRect& dest, const QImage& image, const QRect& src) {
  VIDRENA_PAINTER(p);
  p->setCompositionMode(CopyComposition(CopyMode()));
  if (dest.size() == src.size()) p->drawImage(dest.topLeft(), image, src);
  else p->drawImage(dest, image, src);
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TPainterCanvas::Draw(int x, int y, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, {x, y, x + graphic.Width(), y + graphic.Height()});
}

void TPainterCanvas::StretchDraw(const TRect& r, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  graphic.Draw(*this, r);
}

QImage* TPainterCanvas::SourceImage(QRect& rect) {
  QImage* image = TargetImage();
  if (!image) return nullptr;
  rect = AcquirePainter()->transform().mapRect(rect);
  return image;
}

void TPainterCanvas::CopyRect(const TRect& dest, TCanvas& source, const TRect& srcRect) {
  auto* src = dynamic_cast<TPainterCanvas*>(&source);
  if (!src) return;
  QRect from = ToQRect(srcRect);
  QImage* image = src->SourceImage(from);
  if (!image) return;
  // Copy first: source and destination may be the same image.
  QImage part = image->copy(from);
  DrawImage(ToQRect(dest), part, part.rect());
}

void TPainterCanvas::BrushCopy(const TRect& dest, const TBitmap& bitmap, const TRect& srcRect,
                               TColor transparent) {
  const QImage& image = BitmapImage(bitmap);
  QImage part = image.copy(ToQRect(srcRect)).convertToFormat(QImage::Format_RGB32);
  QRgb key = ToQColor(transparent).rgb() | 0xFF000000u;
  QRgb fill = ToQColor(Brush()->Color()).rgb() | 0xFF000000u;
  for (int y = 0; y < part.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(part.scanLine(y));
    for (int x = 0; x < part.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = fill;
  }
  DrawImage(ToQRect(dest), part, part.rect());
}

void TPainterCanvas::DrawFocusRect(const TRect& r) {
  VIDRENA_PAINTER(p);
  if (r.IsEmpty()) return;
  // Every other pixel of the frame inverted: drawn twice, it is gone.
  p->save();
  p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen pen(Qt::white);
  pen.setWidth(0);
  pen.setDashPattern({1, 1});
  p->setPen(pen);
  p->setBrush(Qt::NoBrush);
  p->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
  p->restore();
  ForgetText();
}

void TPainterCanvas::GradientFill(const TRect& r, TColor from, TColor to, bool horizontal,
                                  int steps) {
  VIDRENA_PAINTER(p);
  if (steps <= 0) steps = 1;
  TColor a = ColorToRGB(from), b = ColorToRGB(to);
  const double ds = steps;
  int extent = horizontal ? r.Width() : r.Height();
  int band = static_cast<int>(std::lround(extent / ds));
  p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  for (int i = 0; i < steps; ++i) {
    QColor c(GetRValue(a) + static_cast<int>(std::lround(i * ((GetRValue(b) - GetRValue(a)) / ds))),
             GetGValue(a) + static_cast<int>(std::lround(i * ((GetGValue(b) - GetGValue(a)) / ds))),
             GetBValue(a) + static_cast<int>(std::lround(i * ((GetBValue(b) - GetBValue(a)) / ds))));
    int start = i * band;
    QRect part = horizontal ? QRect(r.Left + start, r.Top, band + 1, r.Height())
                            : QRect(r.Left, r.Top + start, r.Width(), band + 1);
    p->fillRect(part, c);
  }
}

void TPainterCanvas::SaveClip() { clipStack_.push_back(clip_); }

void TPainterCanvas::RestoreClip() {
  if (clipStack_.empty()) return;
  clip_ = clipStack_.back();
  clipStack_.pop_back();
  if (QPainter* p = AcquirePainter(); p && p->isActive()) ApplyClip(p);
}

void TPainterCanvas::IntersectClipRect(const TRect& r) {
  QRegion rect(ToQRect(r));
  clip_.region = clip_.active ? clip_.region.intersected(rect) : rect;
  clip_.active = true;
  if (QPainter* p = AcquirePainter(); p && p->isActive()) ApplyClip(p);
}

void TPainterCanvas::ExcludeClipRect(const TRect& r) {
  if (!clip_.active) {
    clip_.region = QRegion(ToQRect(ClipRect()));
    clip_.active = true;
  }
  clip_.region = clip_.region.subtracted(QRegion(ToQRect(r)));
  if (QPainter* p = AcquirePainter(); p && p->isActive()) ApplyClip(p);
}

TRect TPainterCanvas::ClipRect() {
  if (clip_.active) {
    QRect b = clip_.region.boundingRect();
    return {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
  }
  QPainter* p = AcquirePainter();
  if (!p || !p->isActive() || !p->device()) return {0, 0, 0, 0};
  QRect device(0, 0, p->device()->width(), p->device()->height());
  QRect b = p->transform().inverted().mapRect(device);
  if (p->hasClipping()) b = b.intersected(p->clipBoundingRect().toAlignedRect());
  return {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}

// ------------------------------------------------------------------- Regions

TRegion::TRegion() : impl_(std::make_unique<Impl>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& other) : impl_(std::make_unique<Impl>(*other.impl_)) {}
TRegion& TRegion::operator=(const TRegion& other) {
  *impl_ = *other.impl_;
  return *this;
}

TRegion TRegion::FromRect(const TRect& r) {
  TRegion region;
  region.impl_->region = QRegion(ToQRect(r));
  return region;
}

TRegion TRegion::FromEllipse(const TRect& r) {
  TRegion region;
  region.impl_->region = QRegion(ToQRect(r), QRegion::Ellipse);
  return region;
}

TRegion TRegion::FromRoundRect(const TRect& r, int cornerWidth, int cornerHeight) {
  QPainterPath path;
  path.addRoundedRect(QRectF(ToQRect(r)), cornerWidth / 2.0, cornerHeight / 2.0);
  TRegion region;
  region.impl_->region = QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
  return region;
}

TRegion TRegion::FromPolygon(std::span<const TPoint> points, int fillMode) {
  QPolygon poly;
  for (const TPoint& p : points) poly << QPoint(p.X, p.Y);
  TRegion region;
  region.impl_->region = QRegion(poly, fillMode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return region;
}

void TRegion::Combine(const TRegion& a, const TRegion& b, int op) {
  switch (op) {
    case RGN_AND: impl_->region = a.impl_->region.intersected(b.impl_->region); break;
    case RGN_OR: impl_->region = a.impl_->region.united(b.impl_->region); break;
    case RGN_XOR: impl_->region = a.impl_->region.xored(b.impl_->region); break;
    case RGN_DIFF: impl_->region = a.impl_->region.subtracted(b.impl_->region); break;
    default: impl_->region = a.impl_->region; break;
  }
}

void TRegion::Offset(int dx, int dy) { impl_->region.translate(dx, dy); }
bool TRegion::Contains(TPoint p) const { return impl_->region.contains(QPoint(p.X, p.Y)); }
bool TRegion::Empty() const { return impl_->region.isEmpty(); }

TRect TRegion::Bounds() const {
  QRect b = impl_->region.boundingRect();
  return {b.left(), b.top(), b.left() + b.width(), b.top() + b.height()};
}

std::vector<TRect> TRegion::Rects() const {
  std::vector<TRect> out;
  for (const QRect& r : impl_->region)
    out.push_back({r.left(), r.top(), r.left() + r.width(), r.top() + r.height()});
  return out;
}

QRegion ToQRegion(const TRegion& region) { return region.impl().region; }
