// Image lists: images of one size cut from strips, drawn enabled or greyed.
#include "platform/vcl/ImgList.h"

#include "platform/vcl/Bitmap_p.h"

struct TCustomImageList::Image {
  QImage pixels;   // ARGB32_Premultiplied, Width x Height
  QImage greyed;   // made on first disabled drawing
};

TCustomImageList::TCustomImageList(TComponent* owner) : TComponent(owner) {}
TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Changed() {
  if (OnChange) OnChange(this);
}

void TCustomImageList::SetWidth(int width) {
  if (width <= 0 || width == width_) return;
  width_ = width;
  Clear();
}

void TCustomImageList::SetHeight(int height) {
  if (height <= 0 || height == height_) return;
  height_ = height;
  Clear();
}

namespace {

// Cuts source into width-wide images of the list's height; pixels outside
// the source stay transparent.
std::vector<QImage> Cut(const QImage& source, int width, int height) {
  std::vector<QImage> out;
  if (source.isNull()) return out;
  int count = std::max(1, source.width() / width);
  for (int i = 0; i < count; ++i) {
    QImage piece(width, height, QImage::Format_ARGB32_Premultiplied);
    piece.fill(Qt::transparent);
    QPainter p(&piece);
    p.drawImage(0, 0, source, i * width, 0, width, height);
    out.push_back(std::move(piece));
  }
  return out;
}

QImage WithMask(const QImage& image, const QImage* mask, const QRgb* maskColor) {
  QImage out = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < out.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
    for (int x = 0; x < out.width(); ++x) {
      bool clear = false;
      if (mask && mask->valid(x, y)) clear = qGray(mask->pixel(x, y)) > 127;
      if (maskColor) clear = (line[x] | 0xFF000000u) == (*maskColor | 0xFF000000u);
      if (clear) line[x] = 0;
    }
  }
  return out;
}

}  // namespace

int TCustomImageList::Add(const TBitmap* image, const TBitmap* mask) {
  if (!image || image->Empty()) return -1;
  QImage masked = mask && !mask->Empty() ? WithMask(BitmapImage(*image), &BitmapImage(*mask), nullptr)
                                         : BitmapImage(*image);
  int first = Count();
  for (QImage& piece : Cut(masked, width_, height_)) {
    auto entry = std::make_unique<Image>();
    entry->pixels = std::move(piece);
    images_.push_back(std::move(entry));
  }
  Changed();
  return first;
}

int TCustomImageList::AddMasked(const TBitmap& image, TColor maskColor) {
  if (image.Empty()) return -1;
  if (maskColor == clDefault) maskColor = image.TransparentColor();
  QRgb key = ToQColor(maskColor).rgb();
  QImage masked = WithMask(BitmapImage(image), nullptr, &key);
  int first = Count();
  for (QImage& piece : Cut(masked, width_, height_)) {
    auto entry = std::make_unique<Image>();
    entry->pixels = std::move(piece);
    images_.push_back(std::move(entry));
  }
  Changed();
  return first;
}

int TCustomImageList::AddIcon(const TIcon& icon) {
  if (icon.Empty()) return -1;
  auto entry = std::make_unique<Image>();
  entry->pixels = IconImage(icon).scaled(width_, height_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                      .convertToFormat(QImage::Format_ARGB32_Premultiplied);
  images_.push_back(std::move(entry));
  Changed();
  return Count() - 1;
}

void TCustomImageList::Replace(int index, const TBitmap* image, const TBitmap* mask) {
  if (index < 0 || index >= Count() || !image || image->Empty()) return;
  QImage masked = mask && !mask->Empty() ? WithMask(BitmapImage(*image), &BitmapImage(*mask), nullptr)
                                         : BitmapImage(*image);
  auto pieces = Cut(masked, width_, height_);
  if (pieces.empty()) return;
  images_[static_cast<size_t>(index)]->pixels = std::move(pieces.front());
  images_[static_cast<size_t>(index)]->greyed = QImage();
  Changed();
}

void TCustomImageList::Delete(int index) {
  if (index < 0 || index >= Count()) return;
  images_.erase(images_.begin() + index);
  Changed();
}

void TCustomImageList::Clear() {
  if (images_.empty()) return;
  images_.clear();
  Changed();
}

void TCustomImageList::Draw(TCanvas* canvas, int x, int y, int index, bool enabled) const {
  if (!canvas || index < 0 || index >= Count()) return;
  Image& entry = *images_[static_cast<size_t>(index)];
  const QImage* pixels = &entry.pixels;
  if (!enabled) {
    if (entry.greyed.isNull()) {
      // Greyed: luminance lifted towards the button face, alpha kept.
      QImage grey = entry.pixels.convertToFormat(QImage::Format_ARGB32);
      for (int yy = 0; yy < grey.height(); ++yy) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(yy));
        for (int xx = 0; xx < grey.width(); ++xx) {
          int g = 128 + qGray(line[xx]) / 2;
          line[xx] = qRgba(g, g, g, qAlpha(line[xx]));
        }
      }
      entry.greyed = grey.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    pixels = &entry.greyed;
  }
  if (auto* painter = dynamic_cast<TPainterCanvas*>(canvas)) {
    painter->DrawImage(QRect(x, y, width_, height_), *pixels, pixels->rect());
  } else {
    TBitmap bitmap;
    SetBitmapImage(bitmap, *pixels);
    canvas->Draw(x, y, bitmap);
  }
}

void TCustomImageList::GetBitmap(int index, TBitmap* image) const {
  if (!image || index < 0 || index >= Count()) return;
  QImage out(width_, height_, QImage::Format_RGB32);
  out.fill(ToQColor(image->Canvas()->Brush()->Color()));
  QPainter p(&out);
  p.drawImage(0, 0, images_[static_cast<size_t>(index)]->pixels);
  p.end();
  SetBitmapImage(*image, std::move(out));
}
