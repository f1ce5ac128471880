// TJPEGImage over libjpeg.
//
//   LoadFromStream -> Decode (full decode at the current settings, so a bad
//                     file is refused before the picture changes)
//   Decode         -> DecodeJpeg (plain C: setjmp error manager, no C++
//                     objects between setjmp and longjmp) -> QImage
//   SaveToStream   -> JPEGNeeded -> EncodeJpeg (plain C likewise)
//
// libjpeg reports errors by calling error_exit, which must not return; ours
// jumps back into the plain function, which cleans up and returns the
// message code. The C++ side then raises EJPEG.
#include "platform/vcl/Jpeg.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "platform/vcl/Bitmap_p.h"

namespace {

// ------------------------------------------------------------ plain C part

struct ErrorManager {
  jpeg_error_mgr pub;
  jmp_buf jump;
};

void ErrorExit(j_common_ptr cinfo) {
  longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
// Warnings (corrupt data that the decoder can work around) are ignored.
void EmitMessage(j_common_ptr, int) {}
void OutputMessage(j_common_ptr) {}

// A memory source that treats the end of the data as an error: libjpeg's own
// sources would pad a truncated file with an end marker and show half a picture.
void InitSource(j_decompress_ptr) {}
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  ERREXIT(cinfo, JERR_INPUT_EOF);
  return FALSE;
}
void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  if (static_cast<size_t>(count) > cinfo->src->bytes_in_buffer) ERREXIT(cinfo, JERR_INPUT_EOF);
  cinfo->src->next_input_byte += count;
  cinfo->src->bytes_in_buffer -= static_cast<size_t>(count);
}
void TermSource(j_decompress_ptr) {}

struct DecodeOptions {
  int scaleDenom;  // 1, 2, 4, 8
  int grayscale;
  int quantize;
  int buffered;
  int fastDct;
  int smoothing;
  int headerOnly;
};

struct DecodeResult {
  unsigned char* pixels;  // malloc'd rows of width * components bytes
  int width;
  int height;
  int components;         // 1 gray or palette index, 3 RGB, 4 CMYK
  int cmykInverted;
  int colors;             // palette size when quantised
  unsigned char palette[256][3];
};

// Returns 0 or the libjpeg message code of the error.
int DecodeJpeg(const unsigned char* data, size_t size, const DecodeOptions* opt,
               DecodeResult* out) {
  jpeg_decompress_struct cinfo;
  ErrorManager err;
  jpeg_source_mgr src;
  std::memset(out, 0, sizeof(*out));
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  if (setjmp(err.jump)) {
    int code = err.pub.msg_code;
    jpeg_destroy_decompress(&cinfo);
    std::free(out->pixels);
    out->pixels = nullptr;
    return code > 0 ? code : 1;
  }
  jpeg_create_decompress(&cinfo);
  src.next_input_byte = data;
  src.bytes_in_buffer = size;
  src.init_source = InitSource;
  src.fill_input_buffer = FillInputBuffer;
  src.skip_input_data = SkipInputData;
  src.resync_to_restart = jpeg_resync_to_restart;
  src.term_source = TermSource;
  cinfo.src = &src;
  jpeg_read_header(&cinfo, TRUE);
  cinfo.scale_num = 1;
  cinfo.scale_denom = static_cast<unsigned>(opt->scaleDenom);
  cinfo.dct_method = opt->fastDct ? JDCT_IFAST : JDCT_FLOAT;
  cinfo.do_fancy_upsampling = opt->smoothing ? TRUE : FALSE;
  if (opt->grayscale || cinfo.jpeg_color_space == JCS_GRAYSCALE) {
    cinfo.out_color_space = JCS_GRAYSCALE;
  } else if (cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK) {
    cinfo.out_color_space = JCS_CMYK;
  } else {
    cinfo.out_color_space = JCS_RGB;
  }
  int buffered = opt->buffered && jpeg_has_multiple_scans(&cinfo);
  if (opt->quantize && !opt->grayscale && cinfo.out_color_space == JCS_RGB) {
    cinfo.quantize_colors = TRUE;
    cinfo.desired_number_of_colors = 256;
    cinfo.two_pass_quantize = buffered ? FALSE : TRUE;
    cinfo.dither_mode = JDITHER_FS;
  }
  if (buffered) cinfo.buffered_image = TRUE;
  jpeg_calc_output_dimensions(&cinfo);
  out->width = static_cast<int>(cinfo.output_width);
  out->height = static_cast<int>(cinfo.output_height);
  out->components = cinfo.output_components;
  if (opt->headerOnly) {
    jpeg_destroy_decompress(&cinfo);
    return 0;
  }
  // A header that claims a picture beyond any poster is refused before
  // allocating: the decoder's own buffers follow the full size, not the scaled one.
  if (static_cast<unsigned long long>(cinfo.image_width) * cinfo.image_height > 100000000ull) {
    jpeg_destroy_decompress(&cinfo);
    return JERR_IMAGE_TOO_BIG;
  }
  jpeg_start_decompress(&cinfo);
  out->components = cinfo.output_components;
  out->cmykInverted = cinfo.saw_Adobe_marker;
  size_t stride = static_cast<size_t>(cinfo.output_width) * static_cast<size_t>(cinfo.output_components);
  out->pixels = static_cast<unsigned char*>(std::malloc(stride * cinfo.output_height + 1));
  if (!out->pixels) ERREXIT(&cinfo, JERR_OUT_OF_MEMORY);
  if (buffered) {
    // Every scan refines the picture; the pass after the last scan is the final one.
    do {
      jpeg_start_output(&cinfo, cinfo.input_scan_number);
      while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = out->pixels + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
      }
      jpeg_finish_output(&cinfo);
    } while (!jpeg_input_complete(&cinfo));
  } else {
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = out->pixels + stride * cinfo.output_scanline;
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
  }
  if (cinfo.quantize_colors) {
    out->colors = cinfo.actual_number_of_colors;
    for (int i = 0; i < out->colors && i < 256; ++i)
      for (int c = 0; c < 3; ++c) out->palette[i][c] = cinfo.colormap[c][i];
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return 0;
}

// A destination that grows a malloc'd buffer.
struct MemoryDestination {
  jpeg_destination_mgr pub;
  unsigned char* buffer;
  size_t capacity;
};

void InitDestination(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
  dest->pub.next_output_byte = dest->buffer;
  dest->pub.free_in_buffer = dest->capacity;
}

boolean EmptyOutputBuffer(j_compress_ptr cinfo) {
  auto* dest = reinterpret_cast<MemoryDestination*>(cinfo->dest);
  size_t used = dest->capacity;
  auto* grown = static_cast<unsigned char*>(std::realloc(dest->buffer, dest->capacity * 2));
  if (!grown) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  dest->buffer = grown;
  dest->capacity *= 2;
  dest->pub.next_output_byte = dest->buffer + used;
  dest->pub.free_in_buffer = dest->capacity - used;
  return TRUE;
}

void TermDestination(j_compress_ptr) {}

struct EncodeResult {
  unsigned char* data;  // malloc'd
  size_t size;
};

int EncodeJpeg(const unsigned char* pixels, int width, int height, int components, int quality,
               int progressive, int fastDct, EncodeResult* out) {
  jpeg_compress_struct cinfo;
  ErrorManager err;
  MemoryDestination dest;
  out->data = nullptr;
  out->size = 0;
  dest.capacity = 65536;
  dest.buffer = static_cast<unsigned char*>(std::malloc(dest.capacity));
  if (!dest.buffer) return JERR_OUT_OF_MEMORY;
  cinfo.err = jpeg_std_error(&err.pub);
  err.pub.error_exit = ErrorExit;
  err.pub.emit_message = EmitMessage;
  err.pub.output_message = OutputMessage;
  if (setjmp(err.jump)) {
    int code = err.pub.msg_code;
    jpeg_destroy_compress(&cinfo);
    std::free(dest.buffer);
    return code > 0 ? code : 1;
  }
  jpeg_create_compress(&cinfo);
  dest.pub.init_destination = InitDestination;
  dest.pub.empty_output_buffer = EmptyOutputBuffer;
  dest.pub.term_destination = TermDestination;
  cinfo.dest = &dest.pub;
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = components;
  cinfo.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  cinfo.dct_method = fastDct ? JDCT_IFAST : JDCT_FLOAT;
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  size_t stride = static_cast<size_t>(width) * static_cast<size_t>(components);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<unsigned char*>(pixels) + stride * cinfo.next_scanline;
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  out->size = dest.capacity - dest.pub.free_in_buffer;
  out->data = dest.buffer;
  jpeg_destroy_compress(&cinfo);
  return 0;
}

// ---------------------------------------------------------------- C++ part

[[noreturn]] void RaiseJpeg(int code) {
  throw EJPEG(Format("JPEG error #%d", {code}));
}

int ScaleDenominator(TJPEGScale scale) {
  switch (scale) {
    case jsHalf: return 2;
    case jsQuarter: return 4;
    case jsEighth: return 8;
    default: return 1;
  }
}

struct Decoded {
  QImage image;
  TPixelFormat format = pf24bit;
};

Decoded Decode(const AnsiString& data, const DecodeOptions& options) {
  auto result = std::make_unique<DecodeResult>();
  int code = DecodeJpeg(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &options,
                        result.get());
  if (code != 0) RaiseJpeg(code);
  std::unique_ptr<unsigned char, decltype(&std::free)> pixels(result->pixels, &std::free);
  Decoded d;
  const int w = result->width, h = result->height, comps = result->components;
  d.image = QImage(w, h, QImage::Format_RGB32);
  if (d.image.isNull()) RaiseJpeg(JERR_OUT_OF_MEMORY);
  const size_t stride = static_cast<size_t>(w) * comps;
  for (int y = 0; y < h; ++y) {
    const unsigned char* src = pixels.get() + stride * y;
    auto* dst = reinterpret_cast<QRgb*>(d.image.scanLine(y));
    for (int x = 0; x < w; ++x) {
      if (result->colors > 0) {
        const unsigned char* c = result->palette[src[x]];
        dst[x] = qRgb(c[0], c[1], c[2]);
      } else if (comps == 1) {
        dst[x] = qRgb(src[x], src[x], src[x]);
      } else if (comps == 3) {
        dst[x] = qRgb(src[3 * x], src[3 * x + 1], src[3 * x + 2]);
      } else {
        int c = src[4 * x], m = src[4 * x + 1], yy = src[4 * x + 2], k = src[4 * x + 3];
        if (!result->cmykInverted) {
          c = 255 - c;
          m = 255 - m;
          yy = 255 - yy;
          k = 255 - k;
        }
        dst[x] = qRgb(c * k / 255, m * k / 255, yy * k / 255);
      }
    }
  }
  d.format = (comps == 1 || result->colors > 0) ? pf8bit : pf24bit;
  return d;
}

}  // namespace

TJPEGImage::TJPEGImage() = default;
TJPEGImage::~TJPEGImage() = default;

void TJPEGImage::Assign(const TPersistent* source) {
  if (auto j = dynamic_cast<const TJPEGImage*>(source)) {
    if (j == this) return;
    j->JPEGNeeded();
    data_ = j->data_;
    scale_ = j->scale_;
    grayscale_ = j->grayscale_;
    pixelFormat_ = j->pixelFormat_;
    performance_ = j->performance_;
    progressiveDisplay_ = j->progressiveDisplay_;
    progressiveEncoding_ = j->progressiveEncoding_;
    quality_ = j->quality_;
    smoothing_ = j->smoothing_;
    bitmap_ = j->bitmap_ ? std::unique_ptr<TBitmap>(static_cast<TBitmap*>(j->bitmap_->Clone().release())) : nullptr;
    needEncode_ = false;
    headerWidth_ = j->headerWidth_;
    headerHeight_ = j->headerHeight_;
    Changed();
    return;
  }
  if (auto b = dynamic_cast<const TBitmap*>(source)) {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*b);
    bitmap_ = std::move(copy);
    data_.clear();
    needEncode_ = true;
    headerWidth_ = headerHeight_ = -1;
    Changed();
    return;
  }
  TGraphic::Assign(source);
}

bool TJPEGImage::Empty() const { return data_.empty() && !bitmap_; }

void TJPEGImage::ReadHeader() const {
  if (headerWidth_ >= 0 || data_.empty()) return;
  DecodeOptions options{ScaleDenominator(scale_), 0, 0, 0, 0, 1, 1};
  DecodeResult result;
  if (DecodeJpeg(reinterpret_cast<const unsigned char*>(data_.data()), data_.size(), &options,
                 &result) != 0) {
    headerWidth_ = headerHeight_ = 0;
    return;
  }
  headerWidth_ = result.width;
  headerHeight_ = result.height;
}

int TJPEGImage::Width() const {
  if (bitmap_) return bitmap_->Width();
  ReadHeader();
  return std::max(0, headerWidth_);
}

int TJPEGImage::Height() const {
  if (bitmap_) return bitmap_->Height();
  ReadHeader();
  return std::max(0, headerHeight_);
}

void TJPEGImage::SetWidth(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}
void TJPEGImage::SetHeight(int) {
  throw EInvalidGraphicOperation("Cannot change the size of a JPEG image");
}

void TJPEGImage::FreeBitmap() {
  // Output settings changed: decode again from the compressed bytes.
  if (needEncode_) return;  // the bitmap is the only source
  bitmap_.reset();
  headerWidth_ = headerHeight_ = -1;
}

void TJPEGImage::SetScale(TJPEGScale scale) {
  if (scale_ == scale) return;
  scale_ = scale;
  FreeBitmap();
  Changed();
}

void TJPEGImage::SetGrayscale(bool grayscale) {
  if (grayscale_ == grayscale) return;
  grayscale_ = grayscale;
  FreeBitmap();
  Changed();
}

void TJPEGImage::SetPixelFormat(TJPEGPixelFormat format) {
  if (pixelFormat_ == format) return;
  pixelFormat_ = format;
  FreeBitmap();
  Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance performance) {
  if (performance_ == performance) return;
  performance_ = performance;
  FreeBitmap();
}

void TJPEGImage::SetProgressiveDisplay(bool value) {
  if (progressiveDisplay_ == value) return;
  progressiveDisplay_ = value;
  FreeBitmap();
}

void TJPEGImage::SetSmoothing(bool value) {
  if (smoothing_ == value) return;
  smoothing_ = value;
  FreeBitmap();
}

void TJPEGImage::SetCompressionQuality(TJPEGQualityRange quality) {
  quality_ = std::clamp(quality, 1, 100);
}

void TJPEGImage::DIBNeeded() const {
  if (bitmap_ || data_.empty()) return;
  DecodeOptions options{ScaleDenominator(scale_), grayscale_ ? 1 : 0,
                        pixelFormat_ == jf8Bit ? 1 : 0, progressiveDisplay_ ? 1 : 0,
                        performance_ == jpBestSpeed ? 1 : 0, smoothing_ ? 1 : 0, 0};
  Decoded decoded = Decode(data_, options);
  auto bitmap = std::make_unique<TBitmap>();
  SetBitmapImage(*bitmap, std::move(decoded.image));
  bitmap->impl().format = decoded.format;
  bitmap_ = std::move(bitmap);
}

void TJPEGImage::JPEGNeeded() const {
  if (!needEncode_ || !bitmap_) return;
  const QImage& image = BitmapImage(*bitmap_);
  const int w = image.width(), h = image.height();
  if (w <= 0 || h <= 0) {
    needEncode_ = false;
    return;
  }
  const int comps = grayscale_ ? 1 : 3;
  std::vector<unsigned char> pixels(static_cast<size_t>(w) * h * comps);
  QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < h; ++y) {
    const auto* src = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    unsigned char* dst = pixels.data() + static_cast<size_t>(y) * w * comps;
    for (int x = 0; x < w; ++x) {
      if (comps == 1) {
        dst[x] = static_cast<unsigned char>(qGray(src[x]));
      } else {
        dst[3 * x] = static_cast<unsigned char>(qRed(src[x]));
        dst[3 * x + 1] = static_cast<unsigned char>(qGreen(src[x]));
        dst[3 * x + 2] = static_cast<unsigned char>(qBlue(src[x]));
      }
    }
  }
  EncodeResult result;
  int code = EncodeJpeg(pixels.data(), w, h, comps, quality_, progressiveEncoding_ ? 1 : 0,
                        performance_ == jpBestSpeed ? 1 : 0, &result);
  if (code != 0) RaiseJpeg(code);
  std::unique_ptr<unsigned char, decltype(&std::free)> owned(result.data, &std::free);
  const_cast<TJPEGImage*>(this)->data_.assign(reinterpret_cast<const char*>(result.data), result.size);
  needEncode_ = false;
}

const TBitmap& TJPEGImage::Bitmap() const {
  DIBNeeded();
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return *bitmap_;
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  Int64 count = stream.Size() - stream.Position();
  if (count < 0) count = 0;
  AnsiString data(static_cast<size_t>(count), '\0');
  if (count) stream.ReadBuffer(data.data(), count);
  // Decoded whole before anything changes: a damaged file raises here.
  DecodeOptions options{ScaleDenominator(scale_), grayscale_ ? 1 : 0,
                        pixelFormat_ == jf8Bit ? 1 : 0, progressiveDisplay_ ? 1 : 0,
                        performance_ == jpBestSpeed ? 1 : 0, smoothing_ ? 1 : 0, 0};
  Decoded decoded = Decode(data, options);
  auto bitmap = std::make_unique<TBitmap>();
  SetBitmapImage(*bitmap, std::move(decoded.image));
  bitmap->impl().format = decoded.format;
  data_ = std::move(data);
  bitmap_ = std::move(bitmap);
  needEncode_ = false;
  headerWidth_ = headerHeight_ = -1;
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) const {
  JPEGNeeded();
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<Int64>(data_.size()));
}

void TJPEGImage::ReadData(TStream& stream) {
  std::int32_t size = 0;
  stream.ReadBuffer(&size, 4);
  if (size < 0 || size > stream.Size() - stream.Position())
    throw EReadError("Stream read error");
  AnsiString data(static_cast<size_t>(size), '\0');
  if (size) stream.ReadBuffer(data.data(), size);
  TStringStream inner(std::move(data));
  LoadFromStream(inner);
}

void TJPEGImage::WriteData(TStream& stream) const {
  JPEGNeeded();
  std::int32_t size = static_cast<std::int32_t>(data_.size());
  stream.WriteBuffer(&size, 4);
  if (size) stream.WriteBuffer(data_.data(), size);
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) const {
  if (Empty()) return;
  DIBNeeded();
  if (bitmap_) bitmap_->Draw(canvas, r);
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
  auto copy = std::make_unique<TJPEGImage>();
  copy->Assign(this);
  return copy;
}
