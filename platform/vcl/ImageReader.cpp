#include "platform/vcl/ImageReader.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>

#include "platform/vcl/Bitmap_p.h"
#include "platform/vcl/Canvas_p.h"

namespace {
// Megabytes the reader may allocate for one image: the pixel bound at four
// bytes a pixel, with room for the decoder's own buffers.
constexpr int kAllocationLimitMb = static_cast<int>(kMaxDecodedPixels * 4 / (1024 * 1024)) + 16;
}  // namespace

bool DecodeImageBytes(std::string_view data, int frame, TBitmap& bitmap, TDecodedImageInfo& info,
                      AnsiString& error) {
  info = TDecodedImageInfo{};
  if (data.empty()) {
    error = "Empty image stream created";
    return false;
  }
  EnsureQtApplication();  // format plugins are found through the application
  QImageReader::setAllocationLimit(kAllocationLimitMb);
  QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer);
  reader.setDecideFormatFromContent(true);
  if (!reader.canRead()) {
    error = "Could not load image. Invalid format";
    return false;
  }
  info.Format = AnsiString(reader.format().toLower().constData());
  const QSize size = reader.size();
  if (size.isValid() && (size.width() > kMaxDecodedSide || size.height() > kMaxDecodedSide ||
                         static_cast<long long>(size.width()) * size.height() > kMaxDecodedPixels)) {
    error = "Could not allocate memory for image";
    return false;
  }
  info.Animated = reader.supportsAnimation() && reader.imageCount() != 1;
  // Frames are composed one on the other by the decoder, so the selected
  // frame is read after the ones before it.
  QImage image;
  int read = 0;
  for (int i = 0; i <= frame; ++i) {
    QImage next = reader.read();
    if (next.isNull()) break;
    image = std::move(next);
    ++read;
    if (!reader.canRead()) break;
  }
  if (image.isNull()) {
    error = "Could not load image";
    return false;
  }
  if (static_cast<long long>(image.width()) * image.height() > kMaxDecodedPixels) {
    error = "Could not allocate memory for image";
    return false;
  }
  info.FrameCount = read;
  bitmap.impl().EndPaint();
  bitmap.impl().image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
  bitmap.impl().format = pf32bit;
  return true;
}
