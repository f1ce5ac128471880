// Bitmaps and icons: pixels in a QImage, BMP and ICO files, transparent
// drawing, and the named pictures and cursors this program draws itself.
//
// Sections:
//   Image access ..... BitmapImage, SetBitmapImage, IconImage, the bitmap canvas
//   BMP files ........ validation, reading (Qt's decoder after our checks), writing
//   TBitmap
//   TIcon
//   Resources ........ check boxes, radio buttons, node glyphs, filter, pan glyphs, cursors
#include <QBuffer>
#include <QImageReader>
#include <QPainterPath>

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "platform/vcl/Bitmap_p.h"

// -------------------------------------------------------------- Image access

QPainter* TBitmapCanvas::AcquirePainter() {
  if (owner_.image.isNull()) return nullptr;
  owner_.maskedValid = false;  // every drawing call may change the pixels
  if (!owner_.painter.isActive()) {
    owner_.painter.begin(&owner_.image);
    PainterRestarted();
  }
  return &owner_.painter;
}

QImage* TBitmapCanvas::TargetImage() {
  if (owner_.image.isNull()) return nullptr;
  AcquirePainter();
  return &owner_.image;
}

QImage& BitmapImage(TBitmap& bitmap) {
  bitmap.impl().EndPaint();
  bitmap.impl().maskedValid = false;
  return bitmap.impl().image;
}

const QImage& BitmapImage(const TBitmap& bitmap) { return bitmap.impl().image; }

void SetBitmapImage(TBitmap& bitmap, QImage image) {
  TBitmap::Impl& impl = bitmap.impl();
  impl.EndPaint();
  impl.maskedValid = false;
  if (image.hasAlphaChannel()) {
    impl.image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    impl.format = pf32bit;
  } else {
    impl.image = image.convertToFormat(QImage::Format_RGB32);
    impl.format = pf24bit;
  }
}

const QImage& IconImage(const TIcon& icon) { return icon.impl().image; }

namespace {

QImage Masked(const QImage& image, QRgb key) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  key |= 0xFF000000u;
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x)
      if ((line[x] | 0xFF000000u) == key) line[x] = 0;
  }
  return out;
}

void DrawQImage(TCanvas& canvas, const TGraphic& graphic, const QImage& image, const TRect& r) {
  if (auto* painter = dynamic_cast<TPainterCanvas*>(&canvas)) {
    painter->DrawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), image, image.rect());
    return;
  }
  canvas.StretchDraw(r, graphic);
}

}  // namespace

// ----------------------------------------------------------------- BMP files

namespace {

std::uint32_t Le32(const unsigned char* p) {
  return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
std::uint16_t Le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

void Put16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out += static_cast<char>((v >> (8 * i)) & 0xFF);
}

[[noreturn]] void InvalidBitmap() { throw EInvalidGraphic("Bitmap image is not valid"); }

// Checks what Qt's decoder would trust, so a hostile header cannot ask for
// a huge allocation or a read past the data.
TPixelFormat ValidateBmp(const std::string& data) {
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  if (data.size() < 26 || p[0] != 'B' || p[1] != 'M') InvalidBitmap();
  std::uint32_t offset = Le32(p + 10);
  std::uint32_t headerSize = Le32(p + 14);
  if (headerSize < 12 || 14ull + headerSize > data.size()) InvalidBitmap();
  std::int64_t width, height;
  int bits;
  if (headerSize == 12) {
    width = Le16(p + 18);
    height = static_cast<std::int16_t>(Le16(p + 20));
    bits = Le16(p + 24);
  } else {
    if (data.size() < 14 + 16) InvalidBitmap();
    width = static_cast<std::int32_t>(Le32(p + 18));
    height = static_cast<std::int32_t>(Le32(p + 22));
    bits = Le16(p + 28);
  }
  if (height < 0) height = -height;
  if (width <= 0 || height <= 0 || width > 32768 || height > 32768 || width * height > 100000000)
    InvalidBitmap();
  if (offset >= data.size() || offset < 14 + headerSize) InvalidBitmap();
  std::uint32_t compression = headerSize >= 40 ? Le32(p + 30) : 0;
  if (compression == 0 || compression == 3) {
    // Uncompressed rows must all be there before any pixel is allocated.
    std::uint64_t stride = ((static_cast<std::uint64_t>(width) * bits + 31) / 32) * 4;
    if (stride * static_cast<std::uint64_t>(height) > data.size() - offset) InvalidBitmap();
  } else if (width * height > 16000000) {
    InvalidBitmap();  // run-length data cannot be checked ahead; keep it small
  }
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16: return pf16bit;
    case 24: return pf24bit;
    case 32: return pf32bit;
    default: InvalidBitmap();
  }
}

// The 16 colours of a 4-bit bitmap.
constexpr QRgb kVgaPalette[16] = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080, 0xFF008080, 0xFFC0C0C0,
    0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00, 0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

int NearestVga(QRgb c) {
  int best = 0, bestDistance = 1 << 30;
  for (int i = 0; i < 16; ++i) {
    int dr = qRed(c) - qRed(kVgaPalette[i]), dg = qGreen(c) - qGreen(kVgaPalette[i]),
        db = qBlue(c) - qBlue(kVgaPalette[i]);
    int d = dr * dr + dg * dg + db * db;
    if (d < bestDistance) {
      bestDistance = d;
      best = i;
    }
  }
  return best;
}

std::string WriteBmp(const QImage& source, TPixelFormat format) {
  const int w = source.width(), h = source.height();
  int bits;
  switch (format) {
    case pf1bit: bits = 1; break;
    case pf4bit: bits = 4; break;
    case pf8bit: bits = 8; break;
    case pf32bit: bits = 32; break;
    default: bits = 24; break;
  }
  QImage indexed;
  std::vector<QRgb> palette;
  if (bits == 1) {
    indexed = source.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    palette = {indexed.color(0), indexed.color(1)};
  } else if (bits == 8) {
    indexed = source.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither);
    for (QRgb c : indexed.colorTable()) palette.push_back(c);
  } else if (bits == 4) {
    palette.assign(std::begin(kVgaPalette), std::end(kVgaPalette));
  }
  const QImage rgb = source.convertToFormat(QImage::Format_ARGB32);
  const int stride = ((w * bits + 31) / 32) * 4;
  const std::uint32_t paletteBytes = static_cast<std::uint32_t>(palette.size() * 4);
  const std::uint32_t offset = 14 + 40 + paletteBytes;
  const std::uint32_t imageBytes = static_cast<std::uint32_t>(stride) * h;
  std::string out;
  out.reserve(offset + imageBytes);
  out += "BM";
  Put32(out, offset + imageBytes);
  Put32(out, 0);
  Put32(out, offset);
  Put32(out, 40);
  Put32(out, static_cast<std::uint32_t>(w));
  Put32(out, static_cast<std::uint32_t>(h));
  Put16(out, 1);
  Put16(out, static_cast<unsigned>(bits));
  Put32(out, 0);  // BI_RGB
  Put32(out, imageBytes);
  Put32(out, 3780);  // 96 pixels per inch
  Put32(out, 3780);
  Put32(out, static_cast<std::uint32_t>(palette.size()));
  Put32(out, 0);
  for (QRgb c : palette) {
    out += static_cast<char>(qBlue(c));
    out += static_cast<char>(qGreen(c));
    out += static_cast<char>(qRed(c));
    out += '\0';
  }
  std::string row(static_cast<size_t>(stride), '\0');
  for (int y = h - 1; y >= 0; --y) {
    std::fill(row.begin(), row.end(), '\0');
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    for (int x = 0; x < w; ++x) {
      switch (bits) {
        case 1:
          if (indexed.pixelIndex(x, y)) row[x / 8] = static_cast<char>(row[x / 8] | (0x80 >> (x % 8)));
          break;
        case 4: {
          int index = NearestVga(src[x]);
          row[x / 2] = static_cast<char>(row[x / 2] | (x % 2 ? index : index << 4));
          break;
        }
        case 8: row[x] = static_cast<char>(indexed.pixelIndex(x, y)); break;
        case 32:
          row[4 * x] = static_cast<char>(qBlue(src[x]));
          row[4 * x + 1] = static_cast<char>(qGreen(src[x]));
          row[4 * x + 2] = static_cast<char>(qRed(src[x]));
          row[4 * x + 3] = static_cast<char>(qAlpha(src[x]));
          break;
        default:
          row[3 * x] = static_cast<char>(qBlue(src[x]));
          row[3 * x + 1] = static_cast<char>(qGreen(src[x]));
          row[3 * x + 2] = static_cast<char>(qRed(src[x]));
          break;
      }
    }
    out += row;
  }
  return out;
}

std::string ReadRest(TStream& stream) {
  Int64 count = stream.Size() - stream.Position();
  if (count <= 0) return {};
  std::string data(static_cast<size_t>(count), '\0');
  stream.ReadBuffer(data.data(), count);
  return data;
}

}  // namespace

// ------------------------------------------------------------------- TBitmap

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()) {
  impl_->canvas = std::make_unique<TBitmapCanvas>(*impl_);
}

TBitmap::TBitmap(int width, int height) : TBitmap() { SetSize(width, height); }

TBitmap::~TBitmap() { impl_->EndPaint(); }

void TBitmap::Assign(const TPersistent* source) {
  if (source == this) return;
  if (source == nullptr) {
    SetSize(0, 0);
    return;
  }
  if (auto b = dynamic_cast<const TBitmap*>(source)) {
    impl_->EndPaint();
    impl_->image = b->impl_->image.copy();
    impl_->format = b->impl_->format;
    transparentMode_ = b->transparentMode_;
    transparentColor_ = b->transparentColor_;
    SetTransparent(b->Transparent());
    Changed();
    return;
  }
  if (auto g = dynamic_cast<const TGraphic*>(source)) {
    // Any other graphic is drawn onto a white bitmap of its size.
    SetSize(g->Width(), g->Height());
    if (!impl_->image.isNull()) {
      impl_->image.fill(Qt::white);
      g->Draw(*Canvas(), {0, 0, g->Width(), g->Height()});
    }
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TBitmap::Empty() const { return impl_->image.isNull(); }
int TBitmap::Width() const { return impl_->image.width(); }
int TBitmap::Height() const { return impl_->image.height(); }
void TBitmap::SetWidth(int width) { SetSize(width, Height()); }
void TBitmap::SetHeight(int height) { SetSize(Width(), height); }

void TBitmap::SetSize(int width, int height) {
  width = std::max(0, width);
  height = std::max(0, height);
  if (width == Width() && height == Height()) return;
  impl_->EndPaint();
  if (width == 0 || height == 0) {
    impl_->image = QImage();
  } else {
    QImage::Format format = impl_->format == pf32bit ? QImage::Format_ARGB32_Premultiplied
                                                      : QImage::Format_RGB32;
    QImage image(width, height, format);
    image.fill(Qt::white);
    if (!impl_->image.isNull()) {
      QPainter p(&image);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, impl_->image);
    }
    impl_->image = std::move(image);
  }
  Changed();
}

TPixelFormat TBitmap::PixelFormat() const { return impl_->format; }

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format == impl_->format) return;
  impl_->EndPaint();
  QImage& image = impl_->image;
  if (!image.isNull()) {
    switch (format) {
      case pf1bit:
        image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither)
                    .convertToFormat(QImage::Format_RGB32);
        break;
      case pf4bit:
        for (int y = 0; y < image.height(); ++y) {
          auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
          for (int x = 0; x < image.width(); ++x) line[x] = kVgaPalette[NearestVga(line[x])];
        }
        break;
      case pf8bit:
        image = image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither)
                    .convertToFormat(QImage::Format_RGB32);
        break;
      case pf15bit:
        image = image.convertToFormat(QImage::Format_RGB555).convertToFormat(QImage::Format_RGB32);
        break;
      case pf16bit:
        image = image.convertToFormat(QImage::Format_RGB16).convertToFormat(QImage::Format_RGB32);
        break;
      case pf32bit: image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied); break;
      default: image = image.convertToFormat(QImage::Format_RGB32); break;
    }
  }
  impl_->format = format;
  Changed();
}

TCanvas* TBitmap::Canvas() { return impl_->canvas.get(); }

TColor TBitmap::TransparentColor() const {
  if (transparentMode_ == tmFixed && transparentColor_ != clDefault) return transparentColor_;
  if (Empty()) return clDefault;
  return PixelColor(0, Height() - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  transparentColor_ = color;
  transparentMode_ = color == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == transparentMode_) return;
  transparentMode_ = mode;
  if (mode == tmAuto) transparentColor_ = clDefault;
  Changed();
}

TColor TBitmap::PixelColor(int x, int y) const {
  const QImage& image = impl_->image;
  if (!image.valid(x, y)) return clNone;
  return FromQColor(QColor::fromRgb(image.pixel(x, y)));
}

void TBitmap::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  TPixelFormat format = ValidateBmp(data);
  QImage image;
  if (!image.loadFromData(reinterpret_cast<const uchar*>(data.data()),
                          static_cast<int>(data.size()), "BMP"))
    InvalidBitmap();
  impl_->EndPaint();
  impl_->image = image.convertToFormat(QImage::Format_RGB32);
  impl_->format = format;
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) const {
  if (Empty()) return;
  std::string data = WriteBmp(impl_->image, impl_->format);
  stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
}

void TBitmap::ReadData(TStream& stream) {
  std::int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size < 0 || size > stream.Size() - stream.Position()) throw EReadError("Stream read error");
  std::string data(static_cast<size_t>(size), '\0');
  if (size) stream.ReadBuffer(data.data(), size);
  if (size == 0) {
    SetSize(0, 0);
    return;
  }
  TStringStream inner(std::move(data));
  LoadFromStream(inner);
}

void TBitmap::WriteData(TStream& stream) const {
  std::string data = Empty() ? std::string() : WriteBmp(impl_->image, impl_->format);
  std::int32_t size = static_cast<std::int32_t>(data.size());
  stream.WriteBuffer(&size, 4);
  if (size) stream.WriteBuffer(data.data(), size);
}

void TBitmap::Draw(TCanvas& canvas, const TRect& r) const {
  if (Empty()) return;
  if (Transparent()) {
    // Glyphs are drawn transparently on every paint; the copy is kept.
    QRgb key = ToQColor(TransparentColor()).rgb();
    if (!impl_->maskedValid || impl_->maskedKey != key) {
      impl_->masked = Masked(impl_->image, key);
      impl_->maskedKey = key;
      impl_->maskedValid = true;
    }
    DrawQImage(canvas, *this, impl_->masked, r);
  } else {
    DrawQImage(canvas, *this, impl_->image, r);
  }
}

std::unique_ptr<TGraphic> TBitmap::Clone() const {
  auto copy = std::make_unique<TBitmap>();
  copy->Assign(this);
  return copy;
}

// --------------------------------------------------------------------- TIcon

TIcon::TIcon() : impl_(std::make_unique<Impl>()) {}
TIcon::~TIcon() = default;

void TIcon::Assign(const TPersistent* source) {
  if (source == this) return;
  if (auto i = dynamic_cast<const TIcon*>(source)) {
    impl_->image = i->impl_->image;
    impl_->data = i->impl_->data;
    Changed();
    return;
  }
  if (source == nullptr) {
    impl_->image = QImage();
    impl_->data.clear();
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TIcon::Empty() const { return impl_->image.isNull(); }
int TIcon::Width() const { return impl_->image.width(); }
int TIcon::Height() const { return impl_->image.height(); }
void TIcon::SetWidth(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }
void TIcon::SetHeight(int) { throw EInvalidGraphicOperation("Cannot change the size of an icon"); }

void TIcon::LoadFromStream(TStream& stream) {
  std::string data = ReadRest(stream);
  const auto* p = reinterpret_cast<const unsigned char*>(data.data());
  auto invalid = [] { throw EInvalidGraphic("Icon image is not valid"); };
  if (data.size() < 6 + 16 || Le16(p) != 0 || (Le16(p + 2) != 1 && Le16(p + 2) != 2)) invalid();
  int count = Le16(p + 4);
  if (count == 0 || 6ull + 16ull * count > data.size()) invalid();
  for (int i = 0; i < count; ++i) {
    const unsigned char* entry = p + 6 + 16 * i;
    std::uint64_t size = Le32(entry + 8), offset = Le32(entry + 12);
    if (offset + size > data.size() || size == 0) invalid();
  }
  EnsureQtApplication();  // the ICO decoder is a plugin found through the application
  QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  QImageReader reader(&buffer, "ICO");
  // The largest image of the file is the icon.
  QImage best;
  do {
    QImage image = reader.read();
    if (!image.isNull() && image.width() * image.height() > best.width() * best.height()) best = image;
  } while (reader.jumpToNextImage());
  if (best.isNull()) invalid();
  impl_->image = best.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  impl_->data = bytes;
  Changed();
}

void TIcon::SaveToStream(TStream& stream) const {
  if (!impl_->data.isEmpty()) stream.WriteBuffer(impl_->data.constData(), impl_->data.size());
}

void TIcon::Draw(TCanvas& canvas, const TRect& r) const {
  if (Empty()) return;
  DrawQImage(canvas, *this, impl_->image, r);
}

std::unique_ptr<TGraphic> TIcon::Clone() const {
  auto copy = std::make_unique<TIcon>();
  copy->Assign(this);
  return copy;
}

void TIcon::AssignToBitmap(TBitmap& bitmap, TColor background) const {
  QImage image(std::max(1, Width()), std::max(1, Height()), QImage::Format_RGB32);
  image.fill(ToQColor(background));
  if (!Empty()) {
    QPainter p(&image);
    p.drawImage(0, 0, impl_->image);
  }
  SetBitmapImage(bitmap, std::move(image));
}

// ----------------------------------------------------------------- Resources

namespace {

// The colour the drawn glyphs leave around themselves; the automatic
// transparent colour (bottom-left pixel) finds it there.
const QColor kGlyphBackground(255, 0, 255);

QImage NewGlyph(int w, int h) {
  QImage image(w, h, QImage::Format_RGB32);
  image.fill(kGlyphBackground);
  return image;
}

void CheckMark(QPainter& p, QRectF box, QColor color) {
  QPen pen(color, 2.0);
  pen.setCapStyle(Qt::SquareCap);
  p.setPen(pen);
  QPointF a(box.left() + box.width() * 0.22, box.top() + box.height() * 0.50);
  QPointF b(box.left() + box.width() * 0.42, box.top() + box.height() * 0.70);
  QPointF c(box.left() + box.width() * 0.78, box.top() + box.height() * 0.28);
  p.drawPolyline(QPolygonF({a, b, c}));
}

// XP look (ESGCHK01..04) and gradient look (ESGCHK05..08): checked,
// unchecked, checked disabled, unchecked disabled in the order of the names.
QImage CheckGlyph(int size, bool checked, bool enabled, bool gradient) {
  QImage image = NewGlyph(size, size);
  QPainter p(&image);
  QRect box(0, 0, 13, 13);
  QColor frame = enabled ? QColor(28, 81, 128) : QColor(202, 200, 187);
  QLinearGradient fill(box.topLeft(), box.bottomRight());
  if (gradient) {
    fill.setColorAt(0, enabled ? QColor(255, 255, 255) : QColor(240, 240, 240));
    fill.setColorAt(1, enabled ? QColor(176, 196, 222) : QColor(210, 210, 210));
  } else {
    fill.setColorAt(0, enabled ? QColor(220, 220, 215) : QColor(255, 255, 255));
    fill.setColorAt(1, QColor(255, 255, 255));
  }
  p.fillRect(box, fill);
  p.setPen(frame);
  p.drawRect(box.adjusted(0, 0, -1, -1));
  if (checked) {
    p.setRenderHint(QPainter::Antialiasing);
    CheckMark(p, QRectF(box), enabled ? QColor(33, 161, 33) : QColor(202, 200, 187));
  }
  return image;
}

QImage RadioGlyph(bool selected, bool enabled, bool gradient) {
  QImage image = NewGlyph(16, 16);
  QPainter p(&image);
  // Hard edges: a blended edge pixel would keep a tint of the key colour.
  QRectF circle(0.5, 0.5, 12, 12);
  QRadialGradient fill(circle.center(), 6);
  fill.setColorAt(0, QColor(255, 255, 255));
  fill.setColorAt(1, gradient ? QColor(176, 196, 222) : QColor(220, 220, 215));
  p.setBrush(enabled ? QBrush(fill) : QBrush(QColor(245, 245, 245)));
  p.setPen(enabled ? QColor(28, 81, 128) : QColor(202, 200, 187));
  p.drawEllipse(circle);
  if (selected) {
    p.setPen(Qt::NoPen);
    p.setBrush(enabled ? QColor(33, 161, 33) : QColor(202, 200, 187));
    p.drawEllipse(QRectF(3.5, 3.5, 6, 6));
  }
  return image;
}

QImage NodeGlyph(int size, bool open, bool xp) {
  QImage image = NewGlyph(size, size);
  QPainter p(&image);
  int box = xp ? 9 : 11;
  int o = (size - box) / 2;
  QRect r(o, o, box, box);
  QLinearGradient fill(r.topLeft(), r.bottomRight());
  fill.setColorAt(0, QColor(255, 255, 255));
  fill.setColorAt(1, QColor(198, 198, 190));
  p.fillRect(r, fill);
  p.setPen(QColor(120, 152, 181));
  p.drawRect(r.adjusted(0, 0, -1, -1));
  p.setPen(Qt::black);
  int mid = o + box / 2;
  p.drawLine(o + 2, mid, o + box - 3, mid);
  if (!open) p.drawLine(mid, o + 2, mid, o + box - 3);
  return image;
}

QImage FilterGlyph() {
  QImage image = NewGlyph(16, 16);
  QPainter p(&image);
  // Hard edges: a blended edge pixel would keep a tint of the key colour.
  QPolygonF funnel({{2, 3}, {14, 3}, {9.5, 8.5}, {9.5, 13.5}, {6.5, 12}, {6.5, 8.5}});
  p.setBrush(QColor(64, 64, 64));
  p.setPen(Qt::NoPen);
  p.drawPolygon(funnel);
  return image;
}

// The pan origin marks: both directions (1), horizontal (2), vertical (3).
QImage PanGlyph(int kind) {
  QImage image(32, 32, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(QColor(64, 64, 64), 1.0));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QRectF(1.5, 1.5, 28, 28));
  p.setBrush(QColor(64, 64, 64));
  p.drawEllipse(QRectF(14, 14, 4, 4));
  auto arrow = [&](QPointF tip, QPointF back1, QPointF back2) { p.drawPolygon(QPolygonF({tip, back1, back2})); };
  if (kind != 2) {
    arrow({16, 5}, {12, 10}, {20, 10});
    arrow({16, 27}, {12, 22}, {20, 22});
  }
  if (kind != 3) {
    arrow({5, 16}, {10, 12}, {10, 20});
    arrow({27, 16}, {22, 12}, {22, 20});
  }
  return image;
}

QImage SpinGlyph(bool up) {
  QImage image = NewGlyph(9, 5);
  QPainter p(&image);
  p.setPen(Qt::NoPen);
  p.setBrush(Qt::black);
  QPolygon tri = up ? QPolygon({QPoint(4, 0), QPoint(8, 4), QPoint(0, 4)})
                    : QPolygon({QPoint(0, 0), QPoint(8, 0), QPoint(4, 4)});
  p.drawPolygon(tri);
  return image;
}

QImage ResourceImage(std::string_view name) {
  AnsiString upper(name);
  for (char& c : upper)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
  static std::unordered_map<std::string, QImage> cache;
  auto it = cache.find(upper);
  if (it != cache.end()) return it->second;
  QImage image;
  auto numbered = [&](const char* prefix, int& n) {
    size_t len = std::strlen(prefix);
    if (upper.size() != len + 2 || upper.compare(0, len, prefix) != 0) return false;
    if (upper[len] != '0' || upper[len + 1] < '1' || upper[len + 1] > '8') return false;
    n = upper[len + 1] - '0';
    return true;
  };
  int n = 0;
  // 1 checked, 2 unchecked, 3 checked disabled, 4 unchecked disabled; 5..8 the gradient set.
  if (numbered("ESGCHK", n)) {
    int k = (n - 1) % 4;
    image = CheckGlyph(n <= 4 ? 20 : 16, k == 0 || k == 2, k < 2, n > 4);
  } else if (numbered("ESGRAD", n)) {
    int k = (n - 1) % 4;
    image = RadioGlyph(k == 0 || k == 2, k < 2, n > 4);
  } else if (upper == "ESGLEAFCLOSE") {
    image = NodeGlyph(16, false, false);
  } else if (upper == "ESGLEAFOPEN") {
    image = NodeGlyph(16, true, false);
  } else if (upper == "XPNODEC") {
    image = NodeGlyph(9, false, true);
  } else if (upper == "XPNODEO") {
    image = NodeGlyph(9, true, true);
  } else if (upper == "ESGFILT") {
    image = FilterGlyph();
  } else if (upper == "INTLI1" || upper == "INTLI2" || upper == "INTLI3") {
    image = PanGlyph(upper[5] - '0');
  } else if (upper == "ESGSPINUP") {
    image = SpinGlyph(true);
  } else if (upper == "ESGSPINDOWN") {
    image = SpinGlyph(false);
  }
  if (!image.isNull()) cache.emplace(upper, image);
  return image;
}

}  // namespace

bool HasResourceBitmap(std::string_view name) { return !ResourceImage(name).isNull(); }

void TBitmap::LoadFromResourceName(std::string_view name) {
  QImage image = ResourceImage(name);
  if (image.isNull()) throw EResNotFound("Resource " + AnsiString(name) + " not found");
  impl_->EndPaint();
  impl_->image = image;  // shared until drawn on
  impl_->format = pf24bit;
  Changed();
}

bool LoadCursorResource(int id, TBitmap& bitmap, TPoint& hotSpot) {
  if (id < 8000 || (id > 8008 && id < 8010) || id > 8012) {
    SetBitmapImage(bitmap, QImage());
    return false;
  }
  QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QPainter p(&image);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::white, 1.0));
  p.setBrush(Qt::black);
  auto arrow = [&](double angleDegrees) {
    // One arrow head pointing away from the centre.
    p.save();
    p.translate(16, 16);
    p.rotate(angleDegrees);
    p.drawPolygon(QPolygonF({{0, -14}, {-5, -8}, {-2, -8}, {-2, -3}, {2, -3}, {2, -8}, {5, -8}}));
    p.restore();
  };
  hotSpot = {16, 16};
  switch (id) {
    case 8010: arrow(90); arrow(270); p.fillRect(QRect(15, 4, 2, 24), Qt::black); break;   // columns
    case 8011: arrow(0); arrow(180); p.fillRect(QRect(4, 15, 24, 2), Qt::black); break;    // rows
    case 8012: arrow(0); arrow(90); arrow(180); arrow(270); break;                          // move
    case 8000: p.drawEllipse(QRectF(12, 12, 8, 8)); arrow(0); arrow(90); arrow(180); arrow(270); break;
    default: {
      // Pan directions: down, left, right, up, up-right, up-left, down-right, down-left.
      static const double kAngles[] = {180, 270, 90, 0, 45, 315, 135, 225};
      p.drawEllipse(QRectF(13, 13, 6, 6));
      arrow(kAngles[id - 8001]);
      break;
    }
  }
  p.end();
  SetBitmapImage(bitmap, std::move(image));
  return true;
}
