// Pictures of mark-up cells: every format the decoder reads, broken files,
// GIF frames, the container and the cache as the renderer uses them, and
// sources that must not hang or flood a paint.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <future>
#include <set>

#include "grid/ExGrid.h"
#include "grid/ExHint.h"
#include "grid/ExHtml.h"
#include "grid/PictureContainer.h"
#include "platform/vcl/PaintTo.h"
#include "tests/grid/EditorTestSupport.h"

namespace {

AnsiString Fixture(const char* name) { return AnsiString(VIDRENA_TEST_DATA) + "/images/" + name; }

std::string ReadAll(const AnsiString& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TColor CentrePixel(const THTMLPicture& p) {
  return p.Image().PixelColor(p.Image().Width() / 2, p.Image().Height() / 2);
}

TEST(HtmlPicture, EveryFormatTheDecoderReadsLoads) {
  struct Case {
    const char* file;
    int width, height;
  } cases[] = {{"red_8x8.png", 8, 8},
               {"frames3.gif", 8, 8},
               {"testsrc_64x48.jpg", 64, 48},
               {"testsrc_32x24_24bit.bmp", 32, 24},
               {"testsrc_32x24_8bit.bmp", 32, 24},
               {"half_red_16x16.ico", 16, 16}};
  for (const Case& c : cases) {
    THTMLPicture picture;
    int changes = 0;
    picture.OnChange = [&](TObject*) { ++changes; };
    picture.LoadFromFile(Fixture(c.file));
    EXPECT_FALSE(picture.Empty()) << c.file;
    EXPECT_EQ(picture.Width(), c.width) << c.file;
    EXPECT_EQ(picture.Height(), c.height) << c.file;
    EXPECT_EQ(changes, 1) << c.file;
    // The bytes are kept as loaded.
    EXPECT_EQ(picture.Bytes(), ReadAll(Fixture(c.file))) << c.file;
  }
  THTMLPicture png;
  png.LoadFromFile(Fixture("red_8x8.png"));
  EXPECT_EQ(GetRValue(CentrePixel(png)), 255);
  EXPECT_EQ(png.FrameCount(), -1);  // not a GIF: Frame has no effect
  png.SetFrame(3);
  EXPECT_EQ(png.Frame(), 3 > 1 ? png.Frame() : 1);
  EXPECT_FALSE(png.Empty());
}

TEST(HtmlPicture, BrokenFilesRaiseTheLoaderMessagesAndStayEmpty) {
  for (const char* file : {"testsrc_64x48_truncated.jpg", "testsrc_32x24_truncated.bmp", "not_a_jpeg.jpg",
                           "hostile_huge.bmp"}) {
    THTMLPicture picture;
    try {
      picture.LoadFromFile(Fixture(file));
      // A decoder may show what a truncated file holds; it must then be a picture.
      EXPECT_GT(picture.Width(), 0) << file;
    } catch (const EHTMLPictureError& e) {
      EXPECT_TRUE(picture.Empty()) << file;
      EXPECT_FALSE(e.Message().empty());
    }
  }
  THTMLPicture text;
  TMemoryStream stream;
  stream.WriteBuffer("hello", 5);
  stream.SetPosition(0);
  EXPECT_THROW(text.LoadFromStream(stream), EHTMLPictureError);
  EXPECT_TRUE(text.Empty());
  EXPECT_EQ(text.Width(), 0);
}

TEST(HtmlPicture, MetafilesLoadAsEmptyPictures) {
  std::string wmf("\xD7\xCD\xC6\x9A", 4);
  wmf.append(40, '\0');
  std::string emf(44, '\0');
  emf[0] = 1;
  emf.replace(40, 4, " EMF");
  for (const std::string& bytes : {wmf, emf}) {
    THTMLPicture picture;
    EXPECT_NO_THROW(picture.LoadFromBytes(bytes));
    EXPECT_TRUE(picture.Empty());
    EXPECT_EQ(picture.Bytes(), bytes);  // kept, and saved back as they were
  }
}

TEST(HtmlPicture, GifFramesAreCountedShownAndClamped) {
  const std::string gif = ReadAll(Fixture("frames3.gif"));
  EXPECT_EQ(CountGifFrames(gif), 3);
  EXPECT_EQ(CountGifFrames(gif.substr(0, 12)), -1);  // the header needs 13 bytes
  EXPECT_EQ(CountGifFrames("GIF8"), -1);
  EXPECT_EQ(CountGifFrames(gif.substr(0, 13)), 0);

  THTMLPicture picture;
  picture.LoadFromBytes(gif);
  EXPECT_EQ(picture.FrameCount(), 3);
  EXPECT_EQ(picture.LogicalWidth(), 8);
  EXPECT_EQ(picture.PictureHeight(), 8);
  EXPECT_EQ(GetRValue(CentrePixel(picture)), 255);
  int frameChanges = 0;
  picture.OnFrameChange = [&](TObject*) { ++frameChanges; };
  picture.SetFrame(2);
  EXPECT_EQ(picture.Frame(), 2);
  EXPECT_EQ(GetGValue(CentrePixel(picture)), 255);
  EXPECT_EQ(GetRValue(CentrePixel(picture)), 0);
  picture.SetFrame(99);  // past the last frame: the last one
  EXPECT_EQ(picture.Frame(), 3);
  EXPECT_EQ(GetBValue(CentrePixel(picture)), 255);
  picture.SetFrame(-5);
  EXPECT_EQ(picture.Frame(), 1);
  EXPECT_EQ(frameChanges, 3);

  // Cut inside the second frame: the walk stays inside and frame 1 shows.
  THTMLPicture cut;
  cut.LoadFromBytes(ReadAll(Fixture("frames3_truncated.gif")));
  EXPECT_GE(cut.FrameCount(), 1);
  EXPECT_FALSE(cut.Empty());
  cut.SetFrame(2);
  EXPECT_EQ(GetRValue(CentrePixel(cut)) + GetGValue(CentrePixel(cut)) > 0, true);
}

TEST(HtmlPicture, SourcesNameOnlyBoundedRegularFiles) {
  THTMLPicture file;
  file.LoadPictureFromUrl("file://" + Fixture("red_8x8.png"));
  EXPECT_FALSE(file.Empty());
  EXPECT_EQ(file.Source(), "file://" + Fixture("red_8x8.png"));

  RegisterPictureResource("REDPIC", ReadAll(Fixture("red_8x8.png")));
  THTMLPicture res;
  res.LoadPictureFromUrl("res://redpic");
  EXPECT_FALSE(res.Empty());
  UnregisterPictureResources();

  const AnsiString fifo = AnsiString(::testing::TempDir()) + "vidrena_picture_fifo";
  std::remove(fifo.c_str());
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const AnsiString big = AnsiString(::testing::TempDir()) + "vidrena_picture_big.png";
  {
    std::ofstream out(big, std::ios::binary);
    out.seekp(kMaxPictureBytes + 10);
    out.put('x');
  }
  auto work = std::async(std::launch::async, [&] {
    for (const AnsiString& source : {"FILE://" + fifo, AnsiString("FILE:///dev/zero"), "FILE://" + big,
                                     AnsiString("FILE:///nonexistent/x.png"), AnsiString("FILE:///tmp")}) {
      THTMLPicture p;
      p.LoadPictureFromUrl(source);
      EXPECT_TRUE(p.Empty()) << source;
      EXPECT_FALSE(p.LoadError().empty()) << source;
    }
  });
  ASSERT_EQ(work.wait_for(std::chrono::seconds(5)), std::future_status::ready) << "a source blocked the load";
  work.get();
  std::remove(fifo.c_str());
  std::remove(big.c_str());
}

struct RendererPictures : ::testing::Test {
  TRecordingCanvas canvas;
  TPictureContainer container{nullptr};
  THTMLPictureCache cache;
  THtmlDrawArgs args;
  void SetUp() override {
    canvas.SetFixedMetrics(6, 14);
    TPictureItem* item = container.Items()->Add();
    item->SetName("Red");
    item->Picture()->LoadFromFile(Fixture("red_8x8.png"));
    TPictureItem* gif = container.Items()->Add();
    gif->SetName("anim");
    gif->Picture()->LoadFromFile(Fixture("frames3.gif"));
    args.Container = &container;
    args.PictureCache = &cache;
  }
  void TearDown() override { SetWebPictureFetcher(nullptr); }
};

TEST_F(RendererPictures, ContainerPicturesDrawAndAnchorsAroundThemAreHit) {
  EXPECT_EQ(container.FindPicture("RED"), container.Items()->Items(0)->Picture());
  EXPECT_EQ(container.FindPicture("blue"), nullptr);
  THtmlDrawResult result;
  DrawHtml(canvas, "a<A HREF=\"go\"><IMG SRC=\"red\"></A><IMG SRC=\"red\" WIDTH=\"20\" HEIGHT=\"30\">"
                   "<IMG SRC=\"missing\">",
           {0, 0, 200, 60}, args, result);
  auto draws = canvas.CallsOf(coDraw);
  auto stretched = canvas.CallsOf(coStretchDraw);
  ASSERT_EQ(draws.size(), 1u);
  ASSERT_EQ(stretched.size(), 1u);
  EXPECT_EQ(stretched[0].Rect.Width(), 20);
  EXPECT_EQ(stretched[0].Rect.Height(), 30);
  EXPECT_EQ(result.Height, 30);
  EXPECT_EQ(result.Width, 6 + 8 + 20);

  THtmlDrawArgs hit = args;
  hit.HitTest = true;
  hit.X = draws[0].Rect.Left + 4;
  hit.Y = draws[0].Rect.Top + 4;
  THtmlDrawResult over;
  EXPECT_TRUE(DrawHtml(canvas, "a<A HREF=\"go\"><IMG SRC=\"red\"></A><IMG SRC=\"red\" WIDTH=\"20\" HEIGHT=\"30\">",
                       {0, 0, 200, 60}, hit, over));
  EXPECT_EQ(over.AnchorLink, "go");
}

TEST_F(RendererPictures, APictureWiderThanTheCellStillAdvances) {
  THtmlDrawResult result;
  THtmlDrawArgs measure = args;
  measure.MeasureOnly = true;
  DrawHtml(canvas, "<IMG SRC=\"red\" WIDTH=\"500\" HEIGHT=\"10\"><IMG SRC=\"red\" WIDTH=\"500\" HEIGHT=\"10\">x",
           {0, 0, 50, 50}, measure, result);
  // Each picture on its own line; the text joins the second (no blank before it).
  EXPECT_EQ(result.Width, 506);
  EXPECT_EQ(result.Height, 10 + 14);
}

TEST_F(RendererPictures, BrokenSourcesAreReportedOnceAndCachedOnce) {
  int reports = 0;
  cache.OnPictureError = [&](const AnsiString&, const AnsiString&) { ++reports; };
  const AnsiString bad = "<IMG SRC=\"file://" + Fixture("testsrc_64x48_truncated.jpg") +
                         "\"><IMG SRC=\"FILE:///no/such.png\"><IMG SRC=\"http://127.0.0.1:1/p.png\">";
  for (int paint = 0; paint < 5; ++paint) {
    THtmlDrawResult result;
    DrawHtml(canvas, bad, {0, 0, 200, 50}, args, result);
  }
  EXPECT_EQ(cache.Count(), 3);  // one entry per source
  EXPECT_LE(reports, 2);        // the missing file (and the truncated one if it does not decode), once each
  EXPECT_GE(reports, 1);
  EXPECT_TRUE(canvas.CallsOf(coDraw).size() <= 5u);
}

TEST_F(RendererPictures, WebPicturesArriveThroughTheFetcher) {
  std::vector<TWebPictureDone> pending;
  std::vector<AnsiString> asked;
  SetWebPictureFetcher([&](const AnsiString& url, TWebPictureDone done) {
    asked.push_back(url);
    pending.push_back(std::move(done));
  });
  int changes = 0;
  cache.OnPictureChange = [&](TObject*) { ++changes; };
  const AnsiString text = "<IMG SRC=\"http://127.0.0.1/poster.png\">";
  THtmlDrawResult result;
  DrawHtml(canvas, text, {0, 0, 100, 50}, args, result);
  DrawHtml(canvas, text, {0, 0, 100, 50}, args, result);
  ASSERT_EQ(asked.size(), 1u);  // asked once; the cache keeps the entry
  EXPECT_EQ(cache.Count(), 1);
  EXPECT_TRUE(canvas.CallsOf(coDraw).empty());
  pending[0](true, ReadAll(Fixture("red_8x8.png")), "");
  EXPECT_EQ(changes, 1);
  canvas.Clear();
  DrawHtml(canvas, text, {0, 0, 100, 50}, args, result);
  EXPECT_EQ(canvas.CallsOf(coDraw).size(), 1u);

  // A reply after the cache went does nothing.
  SetWebPictureFetcher([&](const AnsiString&, TWebPictureDone done) { pending.push_back(std::move(done)); });
  {
    THTMLPictureCache gone;
    gone.PictureFor("http://127.0.0.1/late.png");
  }
  pending.back()(true, ReadAll(Fixture("red_8x8.png")), "");
}

// ---- the grid's own cache: cells, hints and the footer

struct GridPictures : ::testing::Test {
  TEditorForm shown;
  TExStringGrid* grid = new TExStringGrid(shown.form);
  const AnsiString red = "file://" + Fixture("red_8x8.png");
  void SetUp() override {
    grid->SetParent(shown.form);
    grid->SetBounds(0, 0, 500, 200);
    grid->SetDefaultRowHeight(40);
    grid->SetColWidths(1, 300);
  }
  void TearDown() override { SetWebPictureFetcher(nullptr); }
  static int RedIn(TControl* control, const TRect& r) {
    TBitmap shot;
    PaintControlTo(control, shot);
    int n = 0;
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x) n += shot.PixelColor(x, y) == clRed;
    return n;
  }
};

TEST_F(GridPictures, FilePicturesShowInCellsHintsAndTheFooterAndAnchorsMoveAfterThem) {
  grid->SetCells(1, 1, "<IMG SRC=\"" + red + "\" WIDTH=\"60\" HEIGHT=\"16\"><A HREF=\"next\">link</A>");
  grid->SetCells(2, 1, "<BODY BACKGROUND=\"" + red + "\">x");
  EXPECT_EQ(RedIn(grid, grid->CellRect(1, 1)), 60 * 16);
  EXPECT_GT(RedIn(grid, grid->CellRect(2, 1)), 64 * 4) << "the background is tiled";
  TRecordingCanvas recorded;
  grid->DrawCellContent(&recorded, 2, 1, TRect{0, 0, 100, 30}, {});
  for (const TCanvasCall& tile : recorded.CallsOf(coDraw))
    EXPECT_TRUE(tile.Rect.Right <= 100 && tile.Rect.Bottom <= 30) << "no tile past the cell";
  THTMLHintWindow* hint = grid->HintWindow();
  EXPECT_EQ(hint->CalcHintRect(400, "a<IMG SRC=\"" + red + "\">").Width() - hint->CalcHintRect(400, "a").Width(), 8);
  grid->FloatingFooter()->SetFooterStyle(fsCustomPreview);
  grid->FloatingFooter()->SetCustomTemplate("<IMG SRC=\"" + red + "\"> <#0>");
  grid->FloatingFooter()->SetVisible(true);
  EXPECT_EQ(RedIn(grid->FooterPanel(), TRect{0, 0, 300, 40}), 64);
  AnsiString clicked;
  grid->OnAnchorClick = [&](TObject*, int, int, const AnsiString& anchor, bool& process) {
    clicked = anchor;
    process = false;
  };
  LeftClickAt(grid, grid->CellRect(1, 1).Left + 2 + 60 + 8, grid->CellRect(1, 1).Top + 12);
  EXPECT_EQ(clicked, "next");
}

TEST_F(GridPictures, AWebPictureIsFetchedOnceAndRepaintsItsCellWhenItArrives) {
  std::vector<TWebPictureDone> pending;
  SetWebPictureFetcher([&](const AnsiString&, TWebPictureDone done) { pending.push_back(std::move(done)); });
  grid->SetCells(1, 2, "<IMG SRC=\"http://127.0.0.1/poster.png\">");
  grid->SetCells(3, 1, grid->Cells(1, 2));  // the grid ends inside column 3
  EXPECT_EQ(RedIn(grid, grid->CellRect(1, 2)) + RedIn(grid, grid->CellRect(1, 2)), 0) << "painted twice";
  ASSERT_EQ(pending.size(), 1u);
  std::set<std::pair<int, int>> drawn;
  grid->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState) { drawn.emplace(c, r); };
  PumpFor(50);
  drawn.clear();
  pending[0](true, ReadAll(Fixture("red_8x8.png")), "");
  EXPECT_TRUE(PumpUntil([&] { return drawn.contains({1, 2}) && drawn.contains({3, 1}); }));
  EXPECT_FALSE(drawn.contains({2, 3})) << "the cells away from the picture are left alone";
  grid->OnDrawCell = nullptr;
  EXPECT_EQ(RedIn(grid, grid->CellRect(1, 2)), 64);
}

}  // namespace
