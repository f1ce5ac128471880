// JPEG pictures through libjpeg: encode and decode back, the four output
// scales, grayscale and quantised output, progressive files, and damaged
// files that must raise EJPEG instead of crashing or showing half a picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <set>

#include "platform/vcl/Jpeg.h"

namespace {

AnsiString Fixture(const char* name) { return AnsiString(VIDRENA_TEST_DATA) + "/images/" + name; }

// Blocks of flat colour: JPEG keeps them close to their value.
TBitmap* Blocks(int width, int height) {
  auto* bitmap = new TBitmap(width, height);
  const TColor colours[] = {clRed, clLime, clBlue, clWhite, clBlack, clYellow};
  for (int i = 0; i < 6; ++i) {
    bitmap->Canvas()->Brush()->SetColor(colours[i]);
    bitmap->Canvas()->FillRect({i * width / 6, 0, (i + 1) * width / 6, height});
  }
  return bitmap;
}

int ChannelDistance(TColor a, TColor b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

AnsiString Encode(const TBitmap& bitmap, int quality, bool progressive = false, bool gray = false) {
  TJPEGImage jpeg;
  jpeg.Assign(static_cast<const TPersistent*>(&bitmap));
  jpeg.SetCompressionQuality(quality);
  jpeg.SetProgressiveEncoding(progressive);
  jpeg.SetGrayscale(gray);
  TStringStream out;
  jpeg.SaveToStream(out);
  return out.DataString();
}

TEST(Jpeg, AnEncodedPictureDecodesBackCloseToTheOriginal) {
  std::unique_ptr<TBitmap> source(Blocks(96, 40));
  AnsiString data = Encode(*source, 90);
  ASSERT_GT(data.size(), 100u);
  EXPECT_EQ(static_cast<unsigned char>(data[0]), 0xFF);
  EXPECT_EQ(static_cast<unsigned char>(data[1]), 0xD8);

  TStringStream in(data);
  TJPEGImage jpeg;
  jpeg.LoadFromStream(in);
  EXPECT_EQ(jpeg.Width(), 96);
  EXPECT_EQ(jpeg.Height(), 40);
  const TBitmap& decoded = jpeg.Bitmap();
  EXPECT_EQ(decoded.PixelFormat(), pf24bit);
  for (int i = 0; i < 6; ++i) {
    int x = i * 16 + 8;
    EXPECT_LE(ChannelDistance(decoded.PixelColor(x, 20), source->PixelColor(x, 20)), 24) << "block " << i;
  }
  // Drawing it onto a bitmap shows the same picture.
  TBitmap target(96, 40);
  target.Canvas()->Draw(0, 0, jpeg);
  EXPECT_LE(ChannelDistance(target.PixelColor(8, 20), clRed), 24);
}

TEST(Jpeg, QualityTradesSizeForFidelity) {
  std::unique_ptr<TBitmap> source(Blocks(120, 60));
  source->Canvas()->Font()->SetSize(14);
  source->Canvas()->SetBkMode(TRANSPARENT);
  source->Canvas()->TextOut(5, 20, "영화 Movie 123"_k);
  EXPECT_LT(Encode(*source, 10).size(), Encode(*source, 95).size());
}

TEST(Jpeg, TheFourScalesGiveTheRoundedUpSizes) {
  struct Case {
    TJPEGScale scale;
    int width, height;
  } cases[] = {{jsFullSize, 64, 48}, {jsHalf, 32, 24}, {jsQuarter, 16, 12}, {jsEighth, 8, 6}};
  for (const Case& c : cases) {
    TJPEGImage jpeg;
    jpeg.SetScale(c.scale);
    jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
    EXPECT_EQ(jpeg.Width(), c.width);
    EXPECT_EQ(jpeg.Height(), c.height);
    EXPECT_EQ(jpeg.Bitmap().Width(), c.width);
  }
  // 100 x 60 at an eighth is 13 x 8: partial blocks count.
  std::unique_ptr<TBitmap> source(Blocks(100, 60));
  TStringStream in(Encode(*source, 75));
  TJPEGImage jpeg;
  jpeg.LoadFromStream(in);
  jpeg.SetScale(jsEighth);
  EXPECT_EQ(jpeg.Width(), 13);
  EXPECT_EQ(jpeg.Height(), 8);
  jpeg.SetScale(jsQuarter);
  EXPECT_EQ(jpeg.Bitmap().Width(), 25);
  EXPECT_EQ(jpeg.Bitmap().Height(), 15);
}

TEST(Jpeg, GrayscaleOutputHasOneChannel) {
  TJPEGImage jpeg;
  jpeg.SetGrayscale(true);
  jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  const TBitmap& gray = jpeg.Bitmap();
  EXPECT_EQ(gray.PixelFormat(), pf8bit);
  std::set<int> levels;
  for (int y = 0; y < gray.Height(); y += 3)
    for (int x = 0; x < gray.Width(); x += 3) {
      TColor c = gray.PixelColor(x, y);
      ASSERT_EQ(GetRValue(c), GetGValue(c));
      ASSERT_EQ(GetGValue(c), GetBValue(c));
      levels.insert(GetRValue(c));
    }
  EXPECT_GT(levels.size(), 4u);  // a picture, not a flat fill

  // Back to colour: decoded again from the kept bytes.
  jpeg.SetGrayscale(false);
  EXPECT_EQ(jpeg.Bitmap().PixelFormat(), pf24bit);

  // A grayscale encoding decodes to one channel too.
  std::unique_ptr<TBitmap> source(Blocks(48, 16));
  TStringStream in(Encode(*source, 80, false, true));
  TJPEGImage encodedGray;
  encodedGray.LoadFromStream(in);
  EXPECT_EQ(encodedGray.Bitmap().PixelFormat(), pf8bit);
}

TEST(Jpeg, QuantisedOutputUsesAtMostTwoHundredFiftySixColours) {
  TJPEGImage jpeg;
  jpeg.SetPixelFormat(jf8Bit);
  jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  const TBitmap& quantised = jpeg.Bitmap();
  EXPECT_EQ(quantised.PixelFormat(), pf8bit);
  std::set<TColor> colours;
  for (int y = 0; y < quantised.Height(); ++y)
    for (int x = 0; x < quantised.Width(); ++x) colours.insert(quantised.PixelColor(x, y));
  EXPECT_LE(colours.size(), 256u);
  EXPECT_GT(colours.size(), 8u);
}

TEST(Jpeg, ProgressiveFilesDecodeScanByScanToTheSamePicture) {
  std::unique_ptr<TBitmap> source(Blocks(64, 32));
  AnsiString progressive = Encode(*source, 85, true);
  TJPEGImage whole, buffered;
  TStringStream a(progressive), b(progressive);
  whole.LoadFromStream(a);
  buffered.SetProgressiveDisplay(true);
  buffered.LoadFromStream(b);
  ASSERT_EQ(buffered.Width(), 64);
  int worst = 0;
  for (int y = 0; y < 32; ++y)
    for (int x = 0; x < 64; ++x)
      worst = std::max(worst, ChannelDistance(whole.Bitmap().PixelColor(x, y),
                                              buffered.Bitmap().PixelColor(x, y)));
  EXPECT_LE(worst, 2);
  EXPECT_LE(ChannelDistance(buffered.Bitmap().PixelColor(4, 16), clRed), 24);
}

TEST(Jpeg, TheFastIntegerDctGivesNearlyTheSamePicture) {
  TJPEGImage precise, fast;
  fast.SetPerformance(jpBestSpeed);
  precise.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  fast.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  int worst = 0;
  for (int y = 0; y < 48; y += 2)
    for (int x = 0; x < 64; x += 2)
      worst = std::max(worst, ChannelDistance(precise.Bitmap().PixelColor(x, y),
                                              fast.Bitmap().PixelColor(x, y)));
  EXPECT_LE(worst, 16);
}

TEST(Jpeg, DamagedFilesRaiseJpegErrorsAndKeepThePicture) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  const std::regex message("JPEG error #[0-9]+");
  for (const char* file : {"testsrc_64x48_truncated.jpg", "not_a_jpeg.jpg", "hostile_huge.bmp"}) {
    try {
      jpeg.LoadFromFile(Fixture(file));
      ADD_FAILURE() << file << " was accepted";
    } catch (const EJPEG& e) {
      EXPECT_TRUE(std::regex_match(e.what(), message)) << e.what();
    }
    EXPECT_EQ(jpeg.Width(), 64) << "the earlier picture stays after " << file;
  }
  TStringStream empty;
  EXPECT_THROW(jpeg.LoadFromStream(empty), EJPEG);

  // A frame header that claims 65000 x 65000 pixels is refused before any
  // buffer of that size is asked for, at every scale.
  TStringStream original;
  jpeg.SaveToStream(original);
  AnsiString huge = original.DataString();
  size_t sof = huge.find("\xFF\xC0");
  ASSERT_NE(sof, std::string::npos);
  for (size_t k : {sof + 5, sof + 7}) {
    huge[k] = static_cast<char>(0xFD);
    huge[k + 1] = static_cast<char>(0xE8);
  }
  for (TJPEGScale scale : {jsFullSize, jsEighth}) {
    TJPEGImage probe;
    probe.SetScale(scale);
    TStringStream in(huge);
    EXPECT_THROW(probe.LoadFromStream(in), EJPEG);
  }

  // Every cut of a valid file either decodes or raises; none crashes.
  TStringStream whole;
  jpeg.SaveToStream(whole);
  const AnsiString& data = whole.DataString();
  for (size_t cut = 0; cut < data.size(); cut += 37) {
    TStringStream part(data.substr(0, cut));
    TJPEGImage probe;
    try {
      probe.LoadFromStream(part);
    } catch (const EJPEG&) {
    }
  }
  // Flipped bytes in the coded data: warnings are ignored, errors raise.
  for (size_t at = 200; at < data.size(); at += 97) {
    AnsiString damaged = data;
    damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
    TStringStream part(damaged);
    TJPEGImage probe;
    try {
      probe.LoadFromStream(part);
    } catch (const EJPEG&) {
    }
  }
}

TEST(Jpeg, StreamDataIsACountThenTheFile) {
  TJPEGImage jpeg;
  jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  TMemoryStream stream;
  jpeg.WriteData(stream);
  stream.SetPosition(0);
  std::int32_t count = 0;
  stream.ReadBuffer(&count, 4);
  EXPECT_EQ(count, stream.Size() - 4);
  EXPECT_EQ(count, FileSizeOf(Fixture("testsrc_64x48.jpg")));  // the file's bytes, unchanged
  stream.SetPosition(0);
  TJPEGImage copy;
  copy.ReadData(stream);
  EXPECT_EQ(copy.Width(), 64);

  TJPEGImage clone;
  clone.Assign(static_cast<const TPersistent*>(&jpeg));
  EXPECT_EQ(clone.Height(), 48);
  EXPECT_THROW(clone.SetWidth(10), EInvalidGraphicOperation);
}

}  // namespace
