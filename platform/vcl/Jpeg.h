// JPEG pictures through the libjpeg library (release 6b interface, version
// 62): decoding with scaled, grayscale, colour-quantised and buffered-image
// (progressive) output, and encoding with a quality. Codec errors raise
// EJPEG "JPEG error #%d" with libjpeg's message code; warnings are ignored;
// a file that ends early is an error.
#pragma once

#include "platform/vcl/Graphics.h"

VIDRENA_EXCEPTION(EJPEG, EInvalidGraphic);

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
// jf24Bit: full colour; jf8Bit: quantised to a palette of 256 colours.
enum TJPEGPixelFormat { jf24Bit, jf8Bit };
// jpBestQuality: floating-point DCT (the default); jpBestSpeed: fast integer DCT.
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };
using TJPEGQualityRange = int;  // 1..100

// Keeps the compressed bytes and decodes on demand. The stream data is a
// 32-bit byte count followed by the JPEG file.
class TJPEGImage : public TGraphic {
 public:
  TJPEGImage();
  ~TJPEGImage() override;

  // From another TJPEGImage (bytes and settings) or a TBitmap (encoded on demand).
  void Assign(const TPersistent* source) override;

  bool Empty() const override;
  // The size of the decoded picture at the current Scale.
  int Width() const override;
  int Height() const override;
  void SetWidth(int) override;   // EInvalidGraphicOperation: a JPEG cannot be resized
  void SetHeight(int) override;

  TJPEGScale Scale() const { return scale_; }
  void SetScale(TJPEGScale scale);
  bool Grayscale() const { return grayscale_; }
  void SetGrayscale(bool grayscale);
  TJPEGPixelFormat PixelFormat() const { return pixelFormat_; }
  void SetPixelFormat(TJPEGPixelFormat format);
  TJPEGPerformance Performance() const { return performance_; }
  void SetPerformance(TJPEGPerformance performance);
  // Decodes a progressive file scan by scan (buffered-image mode), keeping the final pass.
  bool ProgressiveDisplay() const { return progressiveDisplay_; }
  void SetProgressiveDisplay(bool value);
  bool ProgressiveEncoding() const { return progressiveEncoding_; }
  void SetProgressiveEncoding(bool value) { progressiveEncoding_ = value; }
  TJPEGQualityRange CompressionQuality() const { return quality_; }
  void SetCompressionQuality(TJPEGQualityRange quality);
  bool Smoothing() const { return smoothing_; }
  void SetSmoothing(bool value);

  // Decodes now (raises EJPEG on bad data).
  void DIBNeeded() const;
  // Encodes the held bitmap now, with CompressionQuality.
  void JPEGNeeded() const;
  void Compress() const { JPEGNeeded(); }
  // The decoded picture (pf24bit; pf8bit for grayscale or jf8Bit output).
  const TBitmap& Bitmap() const;

  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) const override;
  void ReadData(TStream& stream) override;
  void WriteData(TStream& stream) const override;
  void Draw(TCanvas& canvas, const TRect& r) const override;
  std::unique_ptr<TGraphic> Clone() const override;

 private:
  void ReadHeader() const;
  void FreeBitmap();

  AnsiString data_;                          // the compressed file
  mutable std::unique_ptr<TBitmap> bitmap_;  // decoded, or the source of an encoding
  mutable bool needEncode_ = false;
  mutable int headerWidth_ = -1, headerHeight_ = -1;
  TJPEGScale scale_ = jsFullSize;
  bool grayscale_ = false;
  TJPEGPixelFormat pixelFormat_ = jf24Bit;
  TJPEGPerformance performance_ = jpBestQuality;
  bool progressiveDisplay_ = false;
  bool progressiveEncoding_ = false;
  int quality_ = 90;
  bool smoothing_ = true;
};
