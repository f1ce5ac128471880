// The Qt painter canvas on a bitmap, under the offscreen platform: text is
// measured as it is drawn and laid out like the Windows call; shapes, lines,
// clipping and the XOR drawings keep the Windows geometry. The tests look at
// where ink lands, not at glyph shapes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/vcl/Graphics.h"

namespace {

const bool kOffscreen = [] {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  return true;
}();

// The columns and rows of a bitmap that hold anything but the background.
struct Ink {
  int left = -1, top = -1, right = -1, bottom = -1;  // inclusive; -1 when none
  bool Any() const { return left >= 0; }
};

Ink FindInk(const TBitmap& bitmap, TColor background, TRect area = {0, 0, 100000, 100000}) {
  Ink ink;
  for (int y = std::max(0, area.Top); y < std::min(bitmap.Height(), area.Bottom); ++y)
    for (int x = std::max(0, area.Left); x < std::min(bitmap.Width(), area.Right); ++x)
      if (bitmap.PixelColor(x, y) != background) {
        if (ink.left < 0 || x < ink.left) ink.left = x;
        if (x > ink.right) ink.right = x;
        if (ink.top < 0) ink.top = y;
        ink.bottom = y;
      }
  return ink;
}

class ImageCanvas : public ::testing::Test {
 protected:
  ImageCanvas() : bitmap(400, 120) {
    canvas = bitmap.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect({0, 0, 400, 120});
    canvas->Font()->SetName("굴림"_k);
    canvas->Font()->SetSize(12);
    canvas->Font()->SetColor(clBlack);
    canvas->SetBkMode(TRANSPARENT);
  }
  TBitmap bitmap;
  TCanvas* canvas;
};

TEST_F(ImageCanvas, KoreanTextIsMeasuredAsWideAsItIsDrawn) {
  const AnsiString text = "영화 목록 정리 Movie"_k;
  TSize extent = canvas->TextExtent(text);
  ASSERT_GT(extent.cx, 0);
  EXPECT_GT(extent.cy, 10);
  canvas->TextOut(10, 20, text);
  Ink ink = FindInk(bitmap, clWhite);
  ASSERT_TRUE(ink.Any()) << "Hangul must be drawn through the font fallback";
  EXPECT_GE(ink.left, 10);
  EXPECT_LE(ink.left, 13);
  // The last glyph ends within a pixel or two of the measured width.
  EXPECT_LE(ink.right, 10 + extent.cx + 1);
  EXPECT_GE(ink.right, 10 + extent.cx - 4);
  EXPECT_GE(ink.top, 20);
  EXPECT_LT(ink.bottom, 20 + extent.cy + 1);
  // A syllable is wider than a narrow Latin letter, as a full-width glyph.
  EXPECT_GT(canvas->TextWidth("영"_k), canvas->TextWidth("i"));
  EXPECT_EQ(canvas->TextExtentW(u"영화 목록 정리 Movie").cx, extent.cx);
}

TEST_F(ImageCanvas, SingleLineTextIsCentredBothWays) {
  TRect r{50, 10, 350, 90};
  canvas->DrawText("Movie 영화"_k, r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
  Ink ink = FindInk(bitmap, clWhite);
  ASSERT_TRUE(ink.Any());
  int width = canvas->TextWidth("Movie 영화"_k);
  int expectedLeft = 50 + (300 - width) / 2;
  EXPECT_NEAR(ink.left, expectedLeft, 2);
  EXPECT_NEAR(ink.right, expectedLeft + width, 3);
  int middle = (ink.top + ink.bottom) / 2;
  EXPECT_NEAR(middle, 50, 4);
}

TEST_F(ImageCanvas, WrappedTextUsesOneLineHeightPerLine) {
  const AnsiString text = "one two three four";
  int lineHeight = canvas->TextHeight("gh");
  int width = canvas->TextWidth("one two") + 2;
  TRect calc{10, 10, 10 + width, 10};
  int height = canvas->DrawText(text, calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_EQ(height, 3 * lineHeight);  // "one two" / "three" / "four"
  EXPECT_EQ(calc.Bottom, 10 + 3 * lineHeight);
  EXPECT_EQ(calc.Right, 10 + canvas->TextWidth("one two"));

  TRect r{10, 10, 10 + width, 110};
  EXPECT_EQ(canvas->DrawText(text, r, DT_WORDBREAK), 3 * lineHeight);
  Ink third = FindInk(bitmap, clWhite, {0, 10 + 2 * lineHeight, 400, 10 + 3 * lineHeight});
  EXPECT_TRUE(third.Any());
  Ink below = FindInk(bitmap, clWhite, {0, 10 + 3 * lineHeight + 2, 400, 120});
  EXPECT_FALSE(below.Any());
  Ink all = FindInk(bitmap, clWhite);
  EXPECT_LE(all.right, 10 + width);
}

TEST_F(ImageCanvas, EllipsisKeepsTheTextInsideEvenWithoutClipping) {
  const AnsiString text = "가나다라마바사아자차카타파하 long title"_k;
  TRect r{10, 10, 110, 40};
  canvas->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOCLIP);
  Ink ink = FindInk(bitmap, clWhite);
  ASSERT_TRUE(ink.Any());
  EXPECT_LE(ink.right, 110);
  TRect calc = r;
  canvas->DrawText(text, calc, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
  EXPECT_LE(calc.Right, 110);
  EXPECT_GT(calc.Right, 60);

  // Without the ellipsis and without clipping the text runs on.
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect({0, 0, 400, 120});
  TRect plain{10, 10, 110, 40};
  canvas->DrawText(text, plain, DT_SINGLELINE | DT_NOCLIP);
  EXPECT_GT(FindInk(bitmap, clWhite).right, 150);
}

TEST_F(ImageCanvas, ClippedTextStaysInItsRectangle) {
  TRect r{10, 10, 60, 40};
  canvas->DrawText("A very long single line of text", r, DT_SINGLELINE);
  Ink ink = FindInk(bitmap, clWhite);
  ASSERT_TRUE(ink.Any());
  EXPECT_LT(ink.right, 60);
}

TEST_F(ImageCanvas, AnEditControlDoesNotDrawAPartlyVisibleLastLine) {
  int lineHeight = canvas->TextHeight("gh");
  TRect r{10, 10, 390, 10 + lineHeight + lineHeight / 2};
  canvas->DrawText("first\rsecond", r, DT_WORDBREAK | DT_EDITCONTROL | DT_NOCLIP);
  EXPECT_FALSE(FindInk(bitmap, clWhite, {0, 10 + lineHeight + 1, 400, 120}).Any());
  TRect plain = r;
  canvas->DrawText("first\rsecond", plain, DT_WORDBREAK | DT_NOCLIP);
  EXPECT_TRUE(FindInk(bitmap, clWhite, {0, 10 + lineHeight + 1, 400, 120}).Any());
}

TEST_F(ImageCanvas, OpaqueTextFillsItsBackgroundWithTheBrush) {
  canvas->Brush()->SetColor(clYellow);  // makes the background mode opaque
  canvas->TextOut(10, 10, "abc");
  EXPECT_EQ(bitmap.PixelColor(10, 10), clYellow);
  canvas->Brush()->SetColor(clWhite);
  canvas->FillRect({0, 0, 400, 120});
  canvas->Brush()->SetColor(clYellow);
  canvas->SetBkMode(TRANSPARENT);
  canvas->TextOut(10, 10, "abc");
  EXPECT_EQ(bitmap.PixelColor(10, 10), clWhite);
}

TEST_F(ImageCanvas, BoldTextIsAtLeastAsWide) {
  int normal = canvas->TextWidth("Catalogue");
  canvas->Font()->SetStyle({fsBold});
  EXPECT_GE(canvas->TextWidth("Catalogue"), normal);
  canvas->Font()->SetSize(24);
  EXPECT_GT(canvas->TextHeight("Catalogue"), 24);
}

TEST_F(ImageCanvas, ShapesKeepTheWindowsGeometry) {
  canvas->Brush()->SetColor(clRed);
  canvas->FillRect({10, 10, 20, 20});
  EXPECT_EQ(bitmap.PixelColor(10, 10), clRed);
  EXPECT_EQ(bitmap.PixelColor(19, 19), clRed);
  EXPECT_EQ(bitmap.PixelColor(20, 20), clWhite);

  canvas->Pen()->SetColor(clBlue);
  canvas->Brush()->SetColor(clLime);
  canvas->Rectangle(30, 10, 40, 20);
  EXPECT_EQ(bitmap.PixelColor(30, 10), clBlue);
  EXPECT_EQ(bitmap.PixelColor(39, 19), clBlue);
  EXPECT_EQ(bitmap.PixelColor(40, 20), clWhite);
  EXPECT_EQ(bitmap.PixelColor(35, 15), clLime);

  canvas->Brush()->SetColor(clBlack);
  canvas->FrameRect({50, 10, 60, 20});
  EXPECT_EQ(bitmap.PixelColor(50, 10), clBlack);
  EXPECT_EQ(bitmap.PixelColor(59, 19), clBlack);
  EXPECT_EQ(bitmap.PixelColor(55, 15), clWhite);

  canvas->Pen()->SetColor(clBlack);
  canvas->MoveTo(70, 10);
  canvas->LineTo(80, 10);  // the end pixel is left out
  EXPECT_EQ(bitmap.PixelColor(70, 10), clBlack);
  EXPECT_EQ(bitmap.PixelColor(79, 10), clBlack);
  EXPECT_EQ(bitmap.PixelColor(80, 10), clWhite);
  EXPECT_EQ(canvas->PenPos(), (TPoint{80, 10}));

  canvas->SetPixels(90, 10, clFuchsia);
  EXPECT_EQ(canvas->Pixels(90, 10), clFuchsia);
  EXPECT_EQ(canvas->Pixels(1000, 10), clNone);
}

TEST_F(ImageCanvas, ClipRectanglesNarrowAndComeBack) {
  canvas->SaveClip();
  canvas->IntersectClipRect({10, 10, 20, 20});
  EXPECT_EQ(canvas->ClipRect(), (TRect{10, 10, 20, 20}));
  canvas->Brush()->SetColor(clRed);
  canvas->FillRect({0, 0, 100, 100});
  EXPECT_EQ(bitmap.PixelColor(15, 15), clRed);
  EXPECT_EQ(bitmap.PixelColor(25, 15), clWhite);
  canvas->RestoreClip();
  canvas->ExcludeClipRect({40, 40, 50, 50});
  canvas->Brush()->SetColor(clBlue);
  canvas->FillRect({30, 30, 60, 60});
  EXPECT_EQ(bitmap.PixelColor(35, 35), clBlue);
  EXPECT_EQ(bitmap.PixelColor(45, 45), clWhite);
}

TEST_F(ImageCanvas, FocusRectanglesAndXorLinesVanishWhenDrawnTwice) {
  canvas->Brush()->SetColor(clSilver);
  canvas->FillRect({0, 0, 100, 100});
  canvas->DrawFocusRect({10, 10, 50, 30});
  Ink frame = FindInk(bitmap, clSilver, {0, 0, 100, 100});
  ASSERT_TRUE(frame.Any());
  EXPECT_EQ(frame.left, 10);
  EXPECT_LE(frame.right, 49);
  EXPECT_FALSE(FindInk(bitmap, clSilver, {12, 12, 48, 28}).Any());  // the inside stays
  canvas->DrawFocusRect({10, 10, 50, 30});
  EXPECT_FALSE(FindInk(bitmap, clSilver, {0, 0, 100, 100}).Any());

  canvas->Pen()->SetMode(pmXor);
  canvas->Pen()->SetStyle(psDot);
  canvas->Pen()->SetColor(clWhite);
  canvas->MoveTo(60, 0);
  canvas->LineTo(60, 90);
  EXPECT_TRUE(FindInk(bitmap, clSilver, {0, 0, 100, 100}).Any());
  canvas->MoveTo(60, 0);
  canvas->LineTo(60, 90);
  EXPECT_FALSE(FindInk(bitmap, clSilver, {0, 0, 100, 100}).Any());
}

TEST_F(ImageCanvas, GradientBandsRunFromOneColourToTheOther) {
  DrawGradient(*canvas, RGB(0, 0, 0), RGB(200, 100, 0), false, {0, 0, 10, 100}, 10);
  EXPECT_EQ(bitmap.PixelColor(5, 0), RGB(0, 0, 0));
  EXPECT_EQ(bitmap.PixelColor(5, 95), RGB(180, 90, 0));
  EXPECT_EQ(bitmap.PixelColor(5, 15), RGB(20, 10, 0));
}

TEST_F(ImageCanvas, EdgesUseTheSystemPaletteShades) {
  TRect r{10, 10, 30, 30};
  DrawEdge(*canvas, r, EDGE_RAISED, BF_RECT | BF_MIDDLE | BF_ADJUST);
  EXPECT_EQ(bitmap.PixelColor(10, 10), GetSysColor(COLOR_3DLIGHT));
  EXPECT_EQ(bitmap.PixelColor(29, 29), GetSysColor(COLOR_3DDKSHADOW));
  EXPECT_EQ(bitmap.PixelColor(11, 11), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(bitmap.PixelColor(28, 28), GetSysColor(COLOR_BTNSHADOW));
  EXPECT_EQ(bitmap.PixelColor(20, 20), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(r, (TRect{12, 12, 28, 28}));
  // Only the sides asked for.
  TRect bottom{40, 10, 60, 30};
  DrawEdge(*canvas, bottom, EDGE_SUNKEN, BF_BOTTOM);
  EXPECT_EQ(bitmap.PixelColor(50, 29), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(bitmap.PixelColor(40, 15), clWhite);
  // The canvas's brush is left alone.
  EXPECT_EQ(canvas->Brush()->Color(), clWhite);
}

TEST_F(ImageCanvas, FrameControlsShowTheirState) {
  TRect unchecked{10, 10, 23, 23}, checked{30, 10, 43, 23};
  DrawFrameControl(*canvas, unchecked, DFC_BUTTON, DFCS_BUTTONCHECK);
  DrawFrameControl(*canvas, checked, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED);
  EXPECT_FALSE(FindInk(bitmap, clWhite, {13, 13, 20, 20}).Any());
  EXPECT_TRUE(FindInk(bitmap, clWhite, {33, 13, 40, 20}).Any());

  TRect inactive{50, 10, 63, 23};
  DrawFrameControl(*canvas, inactive, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_INACTIVE);
  EXPECT_EQ(bitmap.PixelColor(56, 16), GetSysColor(COLOR_BTNFACE));

  TRect push{70, 10, 100, 30};
  DrawFrameControl(*canvas, push, DFC_BUTTON, DFCS_BUTTONPUSH | DFCS_ADJUSTRECT);
  EXPECT_EQ(push, (TRect{72, 12, 98, 28}));
  EXPECT_EQ(bitmap.PixelColor(85, 20), GetSysColor(COLOR_BTNFACE));

  TRect combo{110, 10, 126, 30};
  EXPECT_TRUE(DrawFrameControl(*canvas, combo, DFC_SCROLL, DFCS_SCROLLCOMBOBOX | DFCS_FLAT));
  EXPECT_EQ(bitmap.PixelColor(118, 20), GetSysColor(COLOR_BTNTEXT));  // the arrow
  TRect radio{130, 10, 143, 23};
  DrawFrameControl(*canvas, radio, DFC_BUTTON, DFCS_BUTTONRADIO | DFCS_CHECKED);
  EXPECT_EQ(bitmap.PixelColor(136, 16), GetSysColor(COLOR_WINDOWTEXT));
  TRect unknown{150, 10, 160, 20};
  EXPECT_FALSE(DrawFrameControl(*canvas, unknown, 99, 0));
}

TEST_F(ImageCanvas, BrushCopyReplacesTheTransparentColourWithTheBrush) {
  TBitmap glyph(4, 4);
  glyph.Canvas()->Brush()->SetColor(clFuchsia);
  glyph.Canvas()->FillRect({0, 0, 4, 4});
  glyph.Canvas()->SetPixels(1, 1, clNavy);
  canvas->Brush()->SetColor(clYellow);
  canvas->BrushCopy({10, 10, 14, 14}, glyph, {0, 0, 4, 4}, clFuchsia);
  EXPECT_EQ(bitmap.PixelColor(10, 10), clYellow);
  EXPECT_EQ(bitmap.PixelColor(11, 11), clNavy);

  // CopyRect between two bitmaps, stretched twice as large.
  TBitmap target(20, 20);
  target.Canvas()->CopyRect({0, 0, 8, 8}, *canvas, {10, 10, 14, 14});
  EXPECT_EQ(target.PixelColor(0, 0), clYellow);
  EXPECT_EQ(target.PixelColor(3, 3), clNavy);
}

TEST_F(ImageCanvas, TransparentBitmapsLeaveTheBackgroundShowing) {
  TBitmap glyph(3, 3);
  glyph.Canvas()->Brush()->SetColor(clLime);  // the bottom-left pixel's colour is the key
  glyph.Canvas()->FillRect({0, 0, 3, 3});
  glyph.Canvas()->SetPixels(1, 1, clRed);
  EXPECT_EQ(glyph.TransparentColor(), clLime);
  glyph.SetTransparent(true);
  canvas->Draw(10, 10, glyph);
  EXPECT_EQ(bitmap.PixelColor(10, 10), clWhite);
  EXPECT_EQ(bitmap.PixelColor(11, 11), clRed);
  // Drawn on after a transparent drawing: the next one shows the change.
  glyph.Canvas()->SetPixels(1, 1, clBlue);
  canvas->Draw(10, 10, glyph);
  EXPECT_EQ(bitmap.PixelColor(11, 11), clBlue);
  glyph.SetTransparent(false);
  canvas->StretchDraw({20, 20, 26, 26}, glyph);
  EXPECT_EQ(bitmap.PixelColor(20, 20), clLime);
  EXPECT_EQ(bitmap.PixelColor(22, 22), clBlue);
  glyph.SetTransparentColor(clRed);
  EXPECT_EQ(glyph.TransparentMode(), tmFixed);
  EXPECT_EQ(glyph.TransparentColor(), clRed);
}

TEST_F(ImageCanvas, FloodFillStopsAtTheBorderColour) {
  canvas->Pen()->SetColor(clBlack);
  canvas->Brush()->SetStyle(bsClear);
  canvas->Rectangle(10, 10, 30, 30);
  canvas->Brush()->SetColor(clAqua);
  canvas->FloodFill(20, 20, clBlack, TCanvas::fsBorder);
  EXPECT_EQ(bitmap.PixelColor(20, 20), clAqua);
  EXPECT_EQ(bitmap.PixelColor(11, 11), clAqua);
  EXPECT_EQ(bitmap.PixelColor(10, 10), clBlack);
  EXPECT_EQ(bitmap.PixelColor(35, 35), clWhite);
}

}  // namespace
