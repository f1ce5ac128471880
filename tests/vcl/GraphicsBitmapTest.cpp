// Bitmaps, icons, pictures and their files: BMP round trips at every depth,
// hostile files refused before anything changes, the graphic registry, the
// stream data other files embed, the drawn resources and image lists.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/vcl/Graphics.h"
#include "platform/vcl/ImgList.h"
#include "platform/vcl/Jpeg.h"

namespace {

const bool kOffscreen = [] {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return true;
}();

AnsiString Fixture(const char* name) { return AnsiString(VIDRENA_TEST_DATA) + "/images/" + name; }

// Four coloured quadrants, so that a flipped or shifted image shows.
void PaintQuadrants(TBitmap& bitmap) {
  TCanvas* c = bitmap.Canvas();
  int w = bitmap.Width(), h = bitmap.Height();
  c->Brush()->SetColor(clRed);
  c->FillRect({0, 0, w / 2, h / 2});
  c->Brush()->SetColor(clLime);
  c->FillRect({w / 2, 0, w, h / 2});
  c->Brush()->SetColor(clBlue);
  c->FillRect({0, h / 2, w / 2, h});
  c->Brush()->SetColor(clWhite);
  c->FillRect({w / 2, h / 2, w, h});
}

TEST(Bitmaps, SaveAndLoadKeepEveryPixelAtTwentyFourAndThirtyTwoBits) {
  for (TPixelFormat format : {pf24bit, pf32bit}) {
    TBitmap source(9, 7);  // odd width: rows are padded to four bytes
    source.SetPixelFormat(format);
    PaintQuadrants(source);
    source.Canvas()->SetPixels(8, 6, RGB(1, 2, 3));
    TMemoryStream stream;
    source.SaveToStream(stream);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    ASSERT_EQ(loaded.Width(), 9);
    ASSERT_EQ(loaded.Height(), 7);
    EXPECT_EQ(loaded.PixelFormat(), format);
    for (int y = 0; y < 7; ++y)
      for (int x = 0; x < 9; ++x) ASSERT_EQ(loaded.PixelColor(x, y), source.PixelColor(x, y)) << x << "," << y;
  }
}

TEST(Bitmaps, PalettedDepthsKeepTheirFormatAndBasicColours) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit}) {
    TBitmap source(10, 6);
    PaintQuadrants(source);
    source.SetPixelFormat(format);
    TMemoryStream stream;
    source.SaveToStream(stream);
    stream.SetPosition(0);
    TBitmap loaded;
    loaded.LoadFromStream(stream);
    EXPECT_EQ(loaded.PixelFormat(), format);
    EXPECT_EQ(loaded.PixelColor(9, 5), clWhite);
    if (format != pf1bit) EXPECT_EQ(loaded.PixelColor(0, 0), clRed);
    else EXPECT_TRUE(loaded.PixelColor(0, 0) == clBlack || loaded.PixelColor(0, 0) == clWhite);
  }
}

TEST(Bitmaps, FilesOfOtherWritersAreRead) {
  struct Case {
    const char* file;
    TPixelFormat format;
  } cases[] = {{"testsrc_32x24_24bit.bmp", pf24bit},
               {"testsrc_32x24_8bit.bmp", pf8bit},
               {"testsrc_32x24_1bit.bmp", pf1bit}};
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.LoadFromFile(Fixture(c.file));
    EXPECT_EQ(bitmap.Width(), 32) << c.file;
    EXPECT_EQ(bitmap.Height(), 24) << c.file;
    EXPECT_EQ(bitmap.PixelFormat(), c.format) << c.file;
  }
}

TEST(Bitmaps, HostileAndBrokenFilesAreRefusedAndChangeNothing) {
  TBitmap bitmap(5, 5);
  PaintQuadrants(bitmap);
  for (const char* file : {"hostile_huge.bmp", "testsrc_32x24_truncated.bmp", "not_a_jpeg.jpg"}) {
    try {
      bitmap.LoadFromFile(Fixture(file));
      ADD_FAILURE() << file << " was accepted";
    } catch (const EInvalidGraphic& e) {
      EXPECT_STREQ(e.what(), "Bitmap image is not valid") << file;
    }
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
  }
  TMemoryStream empty;
  EXPECT_THROW(bitmap.LoadFromStream(empty), EInvalidGraphic);
  EXPECT_THROW(bitmap.LoadFromFile(Fixture("does_not_exist.bmp")), EFOpenError);
}

TEST(Bitmaps, StreamDataIsACountThenTheFile) {
  TBitmap source(4, 3);
  PaintQuadrants(source);
  TMemoryStream stream;
  source.WriteData(stream);
  std::int32_t count = 0;
  stream.SetPosition(0);
  stream.ReadBuffer(&count, 4);
  EXPECT_EQ(count, stream.Size() - 4);
  char magic[2];
  stream.ReadBuffer(magic, 2);
  EXPECT_EQ(std::string(magic, 2), "BM");
  stream.SetPosition(0);
  TBitmap loaded;
  loaded.ReadData(stream);
  EXPECT_EQ(loaded.PixelColor(3, 2), clWhite);
  EXPECT_EQ(stream.Position(), stream.Size());

  // A count beyond the data is an error before anything is read or allocated.
  TMemoryStream lying;
  std::int32_t huge = 0x7FFFFFF0;
  lying.WriteBuffer(&huge, 4);
  lying.SetPosition(0);
  EXPECT_THROW(loaded.ReadData(lying), EReadError);
  EXPECT_EQ(loaded.Width(), 4);
}

TEST(Bitmaps, ResizingKeepsThePixelsThatStayInside) {
  TBitmap bitmap(4, 4);
  PaintQuadrants(bitmap);
  bitmap.SetSize(6, 2);
  EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
  EXPECT_EQ(bitmap.PixelColor(3, 1), clLime);
  EXPECT_EQ(bitmap.PixelColor(5, 1), clWhite);
  bitmap.SetWidth(0);
  EXPECT_TRUE(bitmap.Empty());
  bitmap.Canvas()->FillRect({0, 0, 5, 5});  // no pixels: nothing happens
  TBitmap copy;
  copy.Assign(bitmap);
  EXPECT_TRUE(copy.Empty());
}

TEST(Icons, AnIconKeepsItsTransparencyAndItsBytes) {
  TPicture picture;
  picture.LoadFromFile(Fixture("half_red_16x16.ico"));
  auto* icon = dynamic_cast<TIcon*>(picture.Graphic());
  ASSERT_NE(icon, nullptr);
  EXPECT_EQ(icon->Width(), 16);
  EXPECT_EQ(icon->Height(), 16);
  EXPECT_THROW(icon->SetWidth(32), EInvalidGraphicOperation);

  TBitmap target(20, 20);
  target.Canvas()->Brush()->SetColor(clBlue);
  target.Canvas()->FillRect({0, 0, 20, 20});
  target.Canvas()->Draw(2, 2, *icon);
  EXPECT_EQ(target.PixelColor(3, 3), clRed);
  EXPECT_EQ(target.PixelColor(14, 3), clBlue);  // the transparent half

  TBitmap flat;
  icon->AssignToBitmap(flat, clWhite);
  EXPECT_EQ(flat.PixelColor(12, 12), clWhite);

  TMemoryStream saved;
  icon->SaveToStream(saved);
  EXPECT_EQ(saved.Size(), FileSizeOf(Fixture("half_red_16x16.ico")));

  TIcon hostile;
  EXPECT_THROW(hostile.LoadFromFile(Fixture("hostile_count.ico")), EInvalidGraphic);
  EXPECT_THROW(hostile.LoadFromFile(Fixture("testsrc_64x48.jpg")), EInvalidGraphic);
  EXPECT_TRUE(hostile.Empty());
}

TEST(Pictures, TheExtensionChoosesTheGraphicClass) {
  TPicture picture;
  int changes = 0;
  picture.OnChange = [&](TObject*) { ++changes; };
  picture.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TJPEGImage");
  EXPECT_EQ(picture.Width(), 64);
  EXPECT_EQ(picture.Height(), 48);
  EXPECT_GE(changes, 1);

  picture.LoadFromFile(Fixture("testsrc_32x24_8bit.bmp"));
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");

  try {
    picture.LoadFromFile(Fixture("poster.xyz"));
    FAIL();
  } catch (const EInvalidGraphic& e) {
    EXPECT_STREQ(e.what(), "Unknown picture file extension (.xyz)");
  }
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");  // unchanged
  EXPECT_THROW(picture.LoadFromFile(Fixture("testsrc_64x48_truncated.jpg")), EJPEG);
  EXPECT_STREQ(picture.Graphic()->ClassName(), "TBitmap");

  auto jpeg = NewGraphicForExtension(".JPEG");
  ASSERT_TRUE(jpeg);
  EXPECT_STREQ(jpeg->ClassName(), "TJPEGImage");
  EXPECT_FALSE(NewGraphicForExtension("gif"));
  EXPECT_NE(GraphicFilter().find("*.jpg"), std::string::npos);
}

TEST(Pictures, StreamDataStartsWithTheClassName) {
  TPicture picture;
  picture.Bitmap()->SetSize(3, 2);
  PaintQuadrants(*picture.Bitmap());
  TMemoryStream stream;
  picture.WriteData(stream);
  stream.SetPosition(0);
  char head[8];
  stream.ReadBuffer(head, 8);
  EXPECT_EQ(std::string(head, 8), "\x07TBitmap");
  stream.SetPosition(0);
  TPicture loaded;
  loaded.ReadData(stream);
  ASSERT_NE(dynamic_cast<TBitmap*>(loaded.Graphic()), nullptr);
  EXPECT_EQ(loaded.Width(), 3);

  TPicture empty;
  TMemoryStream nothing;
  empty.WriteData(nothing);
  EXPECT_EQ(nothing.Size(), 1);
  nothing.SetPosition(0);
  loaded.ReadData(nothing);
  EXPECT_EQ(loaded.Graphic(), nullptr);

  TStringStream unknown(AnsiString("\x05TFake", 6));
  EXPECT_THROW(loaded.ReadData(unknown), EInvalidGraphic);
}

TEST(Pictures, AssigningCopiesTheGraphic) {
  TPicture a, b;
  a.Bitmap()->SetSize(2, 2);
  b.Assign(&a);
  ASSERT_NE(b.Graphic(), a.Graphic());
  a.Bitmap()->SetSize(5, 5);
  EXPECT_EQ(b.Width(), 2);
  TJPEGImage jpeg;
  jpeg.LoadFromFile(Fixture("testsrc_64x48.jpg"));
  TBitmap converted;
  converted.Assign(jpeg);  // any graphic becomes a bitmap of its size
  EXPECT_EQ(converted.Width(), 64);
  EXPECT_EQ(converted.Height(), 48);
}

TEST(Resources, EveryNamedBitmapHasItsSize) {
  struct Case {
    const char* name;
    int width, height;
  } cases[] = {{"ESGCHK01", 20, 20},     {"ESGCHK04", 20, 20},    {"ESGCHK05", 16, 16},
               {"ESGCHK08", 16, 16},     {"ESGRAD01", 16, 16},    {"ESGRAD08", 16, 16},
               {"ESGLEAFCLOSE", 16, 16}, {"ESGLEAFOPEN", 16, 16}, {"XPNODEC", 9, 9},
               {"XPNODEO", 9, 9},        {"ESGFILT", 16, 16},     {"INTLI1", 32, 32},
               {"INTLI3", 32, 32},       {"EsgSpinUp", 9, 5},     {"esgspindown", 9, 5}};
  for (const Case& c : cases) {
    TBitmap bitmap;
    bitmap.LoadFromResourceName(c.name);
    EXPECT_EQ(bitmap.Width(), c.width) << c.name;
    EXPECT_EQ(bitmap.Height(), c.height) << c.name;
    EXPECT_TRUE(HasResourceBitmap(c.name));
  }
  // Checked and unchecked, open and closed look different.
  TBitmap on, off, open, closed;
  on.LoadFromResourceName("ESGCHK01");
  off.LoadFromResourceName("ESGCHK02");
  open.LoadFromResourceName("XPNODEO");
  closed.LoadFromResourceName("XPNODEC");
  bool differs = false;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) differs |= on.PixelColor(x, y) != off.PixelColor(x, y);
  EXPECT_TRUE(differs);
  EXPECT_NE(open.PixelColor(4, 2), closed.PixelColor(4, 2));  // the vertical bar of the plus
  // The glyphs' automatic transparent colour is their background.
  EXPECT_EQ(on.TransparentColor(), on.PixelColor(19, 19));

  TBitmap missing;
  try {
    missing.LoadFromResourceName("NOPE");
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_STREQ(e.what(), "Resource NOPE not found");
  }
}

TEST(Resources, CursorsHaveAPictureAndAHotSpot) {
  for (int id : {8000, 8001, 8008, 8010, 8011, 8012}) {
    TBitmap image;
    TPoint hot{-1, -1};
    ASSERT_TRUE(LoadCursorResource(id, image, hot)) << id;
    EXPECT_EQ(image.Width(), 32);
    EXPECT_EQ(hot, (TPoint{16, 16}));
  }
  TBitmap image;
  TPoint hot;
  EXPECT_FALSE(LoadCursorResource(8009, image, hot));
  EXPECT_FALSE(LoadCursorResource(1, image, hot));
}

TEST(ImageLists, AStripIsCutIntoImagesAndDrawnByIndex) {
  TImageList list(nullptr);
  list.SetWidth(4);
  list.SetHeight(4);
  TBitmap strip(12, 4);
  TCanvas* c = strip.Canvas();
  c->Brush()->SetColor(clFuchsia);
  c->FillRect({0, 0, 12, 4});
  c->Brush()->SetColor(clRed);
  c->FillRect({1, 1, 3, 3});
  c->Brush()->SetColor(clBlue);
  c->FillRect({5, 1, 7, 3});
  c->Brush()->SetColor(clLime);
  c->FillRect({9, 1, 11, 3});
  EXPECT_EQ(list.AddMasked(strip, clFuchsia), 0);
  EXPECT_EQ(list.Count(), 3);

  TBitmap target(20, 10);
  target.Canvas()->Brush()->SetColor(clWhite);
  target.Canvas()->FillRect({0, 0, 20, 10});
  list.Draw(target.Canvas(), 0, 0, 1);
  EXPECT_EQ(target.PixelColor(1, 1), clBlue);
  EXPECT_EQ(target.PixelColor(0, 0), clWhite);  // the mask colour is transparent
  list.Draw(target.Canvas(), 10, 0, 2, false);
  TColor greyed = target.PixelColor(11, 1);
  EXPECT_EQ(GetRValue(greyed), GetGValue(greyed));
  EXPECT_EQ(GetGValue(greyed), GetBValue(greyed));
  list.Draw(target.Canvas(), 0, 5, 3);  // beyond the count: nothing
  list.Draw(target.Canvas(), 0, 5, -1);
  EXPECT_EQ(target.PixelColor(1, 6), clWhite);

  TBitmap single;
  list.GetBitmap(0, &single);
  EXPECT_EQ(single.Width(), 4);
  EXPECT_EQ(single.PixelColor(1, 1), clRed);

  TRecordingCanvas recorder;
  list.Draw(&recorder, 3, 4, 0);
  ASSERT_EQ(recorder.Calls().size(), 1u);
  EXPECT_EQ(recorder.Calls()[0].Rect, (TRect{3, 4, 7, 8}));

  list.SetWidth(8);  // a new size empties the list
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
