// Colours, fonts, brushes, the recording canvas and the DrawText rules
// (with fixed metrics, so every number here is exact).
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "platform/vcl/Graphics.h"
#include "tests/vcl/DeadlineTestSupport.h"

namespace {

TEST(GraphicsColours, EveryNamedColourRoundTripsThroughItsName) {
  int count = 0;
  GetColorValues([&](const AnsiString& name) {
    ++count;
    TColor c = StringToColor(name);
    EXPECT_EQ(ColorToString(c), name);
    AnsiString lower = name;
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(StringToColor(lower), c) << "case is ignored: " << lower;
  });
  EXPECT_EQ(count, 52);
  EXPECT_EQ(StringToColor("clBtnFace"), 0xFF00000Fu);
  EXPECT_EQ(StringToColor("clMenuBar"), 0xFF00001Eu);
  EXPECT_EQ(StringToColor("clNone"), 0x1FFFFFFFu);
  EXPECT_EQ(StringToColor("clMoneyGreen"), 0xC0DCC0u);
}

TEST(GraphicsColours, UnnamedColoursAreWrittenAsEightHexDigits) {
  EXPECT_EQ(ColorToString(0x00123456), "$00123456");
  EXPECT_EQ(StringToColor("$00123456"), 0x00123456u);
  EXPECT_EQ(StringToColor("$FF00000F"), clBtnFace);
  EXPECT_EQ(ColorToString(StringToColor("$FF00000F")), "clBtnFace");
  EXPECT_EQ(StringToColor("255"), clRed);
  EXPECT_EQ(StringToColor("0x0000FF00"), clLime);
  EXPECT_EQ(StringToColor("-16777201"), clBtnFace);  // the signed form of $FF00000F
  try {
    StringToColor("clPink");
    FAIL() << "an unknown name must raise";
  } catch (const EConvertError& e) {
    EXPECT_STREQ(e.what(), "'clPink' is not a valid integer value");
  }
  EXPECT_THROW(StringToColor("$"), EConvertError);
  EXPECT_THROW(StringToColor("$1FFFFFFFF"), EConvertError);
}

TEST(GraphicsColours, SystemColoursResolveThroughOneFixedPalette) {
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  EXPECT_EQ(ColorToRGB(clWindow), clWhite);
  EXPECT_EQ(ColorToRGB(clWindowText), clBlack);
  EXPECT_EQ(ColorToRGB(clRed), clRed);
  EXPECT_EQ(ColorToRGB(clNone), clNone);  // not a system colour: unchanged
  EXPECT_EQ(ColorToRGB(clMenuBar), GetSysColor(COLOR_MENUBAR));
  EXPECT_EQ(GetSysColor(31), 0u);
  EXPECT_EQ(GetSysColor(-1), 0u);
  // Two palette entries that must differ, or 3-D edges would be invisible.
  EXPECT_NE(GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_NE(GetSysColor(COLOR_3DDKSHADOW), GetSysColor(COLOR_3DLIGHT));
}

TEST(GraphicsFonts, SizeAndHeightFollowEachOtherAtNinetySixPixelsPerInch) {
  TFont font;
  EXPECT_EQ(font.Name(), "MS Sans Serif");
  EXPECT_EQ(font.Size(), 8);
  EXPECT_EQ(font.Height(), -11);
  EXPECT_EQ(font.Color(), clWindowText);
  font.SetSize(9);
  EXPECT_EQ(font.Height(), -12);
  font.SetHeight(-16);
  EXPECT_EQ(font.Size(), 12);

  int changes = 0;
  TFont copy;
  copy.OnChange = [&](TObject* sender) {
    EXPECT_EQ(sender, &copy);
    ++changes;
  };
  font.SetStyle({fsBold, fsUnderline});
  font.SetColor(clRed);
  font.SetOrientation(900);
  font.SetName("굴림"_k);
  copy.Assign(font);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(copy.Name(), "굴림"_k);
  EXPECT_EQ(copy.Size(), 12);
  EXPECT_TRUE(copy.Style().Contains(fsBold));
  EXPECT_FALSE(copy.Style().Contains(fsItalic));
  EXPECT_EQ(copy.Orientation(), 900);
  EXPECT_EQ(copy.Color(), clRed);
  copy.SetColor(clRed);  // no change, no event
  EXPECT_EQ(changes, 1);
  EXPECT_NE(copy.Stamp(), font.Stamp());
}

TEST(GraphicsFonts, AssigningAPenToAFontIsRefused) {
  TFont font;
  TPen pen;
  EXPECT_THROW(font.Assign(static_cast<const TPersistent*>(&pen)), EConvertError);
}

TEST(GraphicsBrushes, BackgroundModeFollowsTheBrushUntilSetExplicitly) {
  TRecordingCanvas canvas;
  EXPECT_EQ(canvas.BkMode(), OPAQUE);
  canvas.Brush()->SetStyle(bsClear);
  EXPECT_EQ(canvas.BkMode(), TRANSPARENT);
  canvas.Brush()->SetColor(clYellow);  // a colour on a clear brush makes it solid
  EXPECT_EQ(canvas.Brush()->Style(), bsSolid);
  EXPECT_EQ(canvas.BkMode(), OPAQUE);
  EXPECT_EQ(canvas.SetBkMode(TRANSPARENT), OPAQUE);
  EXPECT_EQ(canvas.BkMode(), TRANSPARENT);
}

// A cell the way the grid paints one: background, gradient, text, focus.
TEST(GraphicsRecorder, ACellPaintsAsTheExpectedSequenceOfCalls) {
  TRecordingCanvas canvas;
  const TRect cell{10, 20, 110, 38};
  canvas.Brush()->SetColor(clWindow);
  canvas.FillRect(cell);
  DrawGradient(canvas, 0xFCE1CB, 0xE0A57D, false, cell, 10);
  canvas.SetBkMode(TRANSPARENT);
  canvas.Font()->SetColor(clBlue);
  canvas.Font()->SetStyle({fsBold});
  TRect textRect{12, 20, 108, 38};
  const unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;
  canvas.DrawText("영화 제목"_k, textRect, flags);
  canvas.DrawFocusRect(cell);

  const auto& calls = canvas.Calls();
  ASSERT_EQ(calls.size(), 4u);
  EXPECT_EQ(calls[0].Op, coFillRect);
  EXPECT_EQ(calls[0].Rect, cell);
  EXPECT_EQ(calls[0].BrushColor, clWindow);
  EXPECT_EQ(calls[1].Op, coGradient);
  EXPECT_EQ(calls[1].Color, 0xFCE1CBu);
  EXPECT_EQ(calls[1].Color2, 0xE0A57Du);
  EXPECT_EQ(calls[1].Steps, 10);
  EXPECT_EQ(calls[1].Flags, 0u);  // vertical
  EXPECT_EQ(calls[2].Op, coDrawText);
  EXPECT_EQ(calls[2].Text, "영화 제목"_k);
  EXPECT_EQ(calls[2].Rect, (TRect{12, 20, 108, 38}));
  EXPECT_EQ(calls[2].Flags, flags);
  EXPECT_EQ(calls[2].BkMode, TRANSPARENT);
  EXPECT_EQ(calls[2].FontColor, clBlue);
  EXPECT_TRUE(calls[2].FontStyle.Contains(fsBold));
  EXPECT_EQ(calls[3].Op, coFocusRect);
}

TEST(GraphicsRecorder, GradientLeavesTheLastBandColourInPenAndBrush) {
  TRecordingCanvas canvas;
  DrawGradient(canvas, RGB(0, 0, 0), RGB(100, 200, 50), true, {0, 0, 100, 10}, 4);
  // Band 3 of 4: 3/4 of the way.
  EXPECT_EQ(canvas.Pen()->Color(), RGB(75, 150, 38));
  EXPECT_EQ(canvas.Brush()->Color(), RGB(75, 150, 38));
  EXPECT_EQ(canvas.CallsOf(coGradient).at(0).Flags, 1u);

  canvas.Clear();
  DrawGradient(canvas, clSilver, clNone, false, {0, 0, 10, 10}, 10);
  ASSERT_EQ(canvas.Calls().size(), 1u);
  EXPECT_EQ(canvas.Calls()[0].Op, coFillRect);
  EXPECT_EQ(canvas.Calls()[0].BrushColor, clSilver);
}

TEST(GraphicsRecorder, CalcRectDoesNotDrawAndPenMovesAfterText) {
  TRecordingCanvas canvas;
  canvas.SetFixedMetrics(6, 13);
  TRect r{0, 0, 100, 100};
  canvas.DrawText("hello", r, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_TRUE(canvas.Calls().empty());
  EXPECT_EQ(r, (TRect{0, 0, 30, 13}));
  canvas.TextOut(5, 7, "ab");
  EXPECT_EQ(canvas.PenPos(), (TPoint{17, 7}));
  canvas.MoveTo(0, 0);
  canvas.LineTo(10, 5);
  EXPECT_EQ(canvas.CallsOf(coLineTo).at(0).Points, (std::vector<TPoint>{{0, 0}, {10, 5}}));
}

// ------------------------------------------------------------ DrawText rules

class DrawTextRules : public ::testing::Test {
 protected:
  DrawTextRules() { canvas.SetFixedMetrics(6, 13); }
  // The rectangle DT_CALCRECT gives for text in a rectangle width wide.
  TRect Calc(std::string_view text, int width, unsigned flags) {
    TRect r{0, 0, width, 1000};
    canvas.DrawText(text, r, flags | DT_CALCRECT);
    return r;
  }
  TRecordingCanvas canvas;
};

TEST_F(DrawTextRules, WordsWrapAtBlanksAndTheRectangleShrinksToTheWidestLine) {
  EXPECT_EQ(Calc("aaa bbb ccc", 42, DT_WORDBREAK), (TRect{0, 0, 42, 26}));
  EXPECT_EQ(Calc("aaa bbb ccc", 41, DT_WORDBREAK), (TRect{0, 0, 18, 39}));
  // Without DT_WORDBREAK the text stays on one line.
  EXPECT_EQ(Calc("aaa bbb ccc", 41, 0), (TRect{0, 0, 66, 13}));
}

TEST_F(DrawTextRules, AWordWiderThanTheLineIsCutOnlyByAnEditControl) {
  EXPECT_EQ(Calc("abcdefghij xy", 30, DT_WORDBREAK), (TRect{0, 0, 60, 26}));
  EXPECT_EQ(Calc("abcdefghij xy", 30, DT_WORDBREAK | DT_EDITCONTROL), (TRect{0, 0, 30, 39}));
}

TEST_F(DrawTextRules, KoreanTextBreaksBetweenSyllablesUnlessAskedNotTo) {
  // Six syllables, 12 pixels each; two fit into 30 pixels.
  EXPECT_EQ(Calc("가나다라마바"_k, 30, DT_WORDBREAK), (TRect{0, 0, 24, 39}));
  EXPECT_EQ(Calc("가나다라마바"_k, 30, DT_WORDBREAK | DT_NOFULLWIDTHCHARBREAK),
            (TRect{0, 0, 72, 13}));
}

TEST_F(DrawTextRules, LineBreaksEndLinesButAFinalOneAddsNoEmptyLine) {
  EXPECT_EQ(Calc("abc\r\ndef", 100, 0).Bottom, 26);
  EXPECT_EQ(Calc("abc\rdef\nghi", 100, 0).Bottom, 39);
  EXPECT_EQ(Calc("abc\r\n", 100, 0).Bottom, 13);
  EXPECT_EQ(Calc("", 100, 0), (TRect{0, 0, 0, 13}));
  // A single line shows no breaks at all.
  EXPECT_EQ(Calc("abc\r\ndef", 100, DT_SINGLELINE), (TRect{0, 0, 36, 13}));
}

TEST_F(DrawTextRules, AmpersandsArePrefixesUnlessNoPrefix) {
  EXPECT_EQ(Calc("&Save", 100, 0).Right, 24);
  EXPECT_EQ(Calc("&Save", 100, DT_NOPREFIX).Right, 30);
  EXPECT_EQ(Calc("a&&b", 100, 0).Right, 18);
}

TEST_F(DrawTextRules, EllipsisCutsTheLastLineToTheRectangle) {
  EXPECT_EQ(Calc("abcdefghij", 36, DT_SINGLELINE | DT_END_ELLIPSIS).Right, 36);  // "abc..."
  EXPECT_EQ(Calc("abcdefghij", 36, DT_SINGLELINE).Right, 60);
  EXPECT_EQ(Calc("abc", 36, DT_SINGLELINE | DT_END_ELLIPSIS).Right, 18);
}

TEST_F(DrawTextRules, TabsExpandToEightAverageCharacters) {
  EXPECT_EQ(Calc("a\tb", 200, DT_EXPANDTABS).Right, 54);
  EXPECT_EQ(Calc("a\tb\tc", 200, DT_EXPANDTABS).Right, 102) << "c starts at the second stop, 96";
  EXPECT_EQ(Calc("a\tb", 200, 0).Right, 12);
}

TEST_F(DrawTextRules, VerticalCentringAppliesToASingleLineOnly) {
  TRect r{0, 0, 100, 40};
  // (0 + 40 - 13) / 2 = 13; the result is the offset to the text's bottom.
  EXPECT_EQ(canvas.DrawText("abc", r, DT_SINGLELINE | DT_VCENTER), 26);
  EXPECT_EQ(canvas.DrawText("abc", r, DT_SINGLELINE | DT_BOTTOM), 40);
  EXPECT_EQ(canvas.DrawText("abc", r, DT_VCENTER), 13);
  EXPECT_EQ(canvas.DrawText("abc\rdef", r, DT_VCENTER), 26);
}

// Layout with fixed metrics, to see which lines are shown and where.
class FixedSource : public TTextMetricsSource {
 public:
  int TextWidthW(std::u16string_view text) override { return 6 * static_cast<int>(text.size()); }
  int LineHeight() override { return 13; }
  int ExternalLeading() override { return 3; }
  int AverageCharWidth() override { return 6; }
};

TEST(TextLayout, AnEditControlHidesAPartlyVisibleLastLine) {
  FixedSource metrics;
  TRect r{0, 0, 100, 20};  // room for one line and a half
  auto plain = LayoutText(metrics, u"one\rtwo\rthree", r, 0);
  EXPECT_EQ(plain.Lines.size(), 2u);  // the second is clipped, the third lies outside
  auto edit = LayoutText(metrics, u"one\rtwo\rthree", r, DT_EDITCONTROL);
  ASSERT_EQ(edit.Lines.size(), 1u);
  EXPECT_EQ(edit.Lines[0].Text, u"one");
  // The first line shows even when it does not fit.
  auto tiny = LayoutText(metrics, u"one\rtwo", TRect{0, 0, 100, 5}, DT_EDITCONTROL);
  EXPECT_EQ(tiny.Lines.size(), 1u);
}

TEST(TextLayout, AnEditControlEndsItsLastShownLineWithAnEllipsis) {
  FixedSource metrics;
  const unsigned flags = DT_WORDBREAK | DT_EDITCONTROL | DT_END_ELLIPSIS;
  // Two wrapped lines, room for one: the first shows "..." for the rest.
  auto cut = LayoutText(metrics, u"aaa bbb ccc ddd", TRect{0, 0, 42, 20}, flags);
  ASSERT_EQ(cut.Lines.size(), 1u);
  EXPECT_EQ(cut.Lines[0].Text, u"aaa...");
  auto wide = LayoutText(metrics, u"aa bbbbbb", TRect{0, 0, 40, 13}, flags);
  ASSERT_EQ(wide.Lines.size(), 1u);
  EXPECT_EQ(wide.Lines[0].Text, u"aa...");
  // Everything fits: no dots.
  auto fits = LayoutText(metrics, u"aaa bbb ccc ddd", TRect{0, 0, 42, 26}, flags);
  ASSERT_EQ(fits.Lines.size(), 2u);
  EXPECT_EQ(fits.Lines[1].Text, u"ccc ddd");
}

TEST(TextLayout, LinesAreAlignedInTheRectangle) {
  FixedSource metrics;
  TRect r{10, 5, 110, 100};
  auto centre = LayoutText(metrics, u"abcd", r, DT_CENTER);
  EXPECT_EQ(centre.Lines.at(0).X, 10 + (100 - 24) / 2);
  auto right = LayoutText(metrics, u"abcd\rab", r, DT_RIGHT);
  EXPECT_EQ(right.Lines.at(0).X, 110 - 24);
  EXPECT_EQ(right.Lines.at(1).X, 110 - 12);
  EXPECT_EQ(right.Lines.at(1).Y, 5 + 13);
  auto leading = LayoutText(metrics, u"a\rb", r, DT_EXTERNALLEADING);
  EXPECT_EQ(leading.Lines.at(1).Y, 5 + 16);
  auto prefixed = LayoutText(metrics, u"&File", r, 0);
  EXPECT_EQ(prefixed.Lines.at(0).Text, u"File");
  EXPECT_EQ(prefixed.Lines.at(0).PrefixIndex, 0);
  EXPECT_EQ(LayoutText(metrics, u"&File", r, DT_HIDEPREFIX).Lines.at(0).PrefixIndex, -1);
}

TEST(TextLayout, WrappedLinesDropTheBlanksAtTheBreak) {
  FixedSource metrics;
  auto layout = LayoutText(metrics, u"aa   bb", TRect{0, 0, 24, 100}, DT_WORDBREAK);
  ASSERT_EQ(layout.Lines.size(), 2u);
  EXPECT_EQ(layout.Lines[0].Text, u"aa");
  EXPECT_EQ(layout.Lines[1].Text, u"bb");
  // Words that fit stay on their line however many blanks follow them.
  const std::u16string blanks = u"#e# b a" + std::u16string(150, u' ');
  for (unsigned flags : {DT_WORDBREAK, DT_WORDBREAK | DT_EDITCONTROL}) {
    auto trailing = LayoutText(metrics, blanks, TRect{0, 0, 70, 100}, flags);
    ASSERT_EQ(trailing.Lines.size(), 1u) << flags;
    EXPECT_EQ(trailing.Lines[0].Text, u"#e# b a");
  }
}

TEST(GraphicsRegions, PolygonRegionsContainTheirInsideOnly) {
  // The arrow window's up-arrow outline.
  const TPoint up[] = {{5, 0}, {10, 5}, {7, 5}, {7, 9}, {3, 9}, {3, 5}, {0, 5}};
  TRegion region = TRegion::FromPolygon(up, WINDING);
  EXPECT_TRUE(region.Contains({5, 2}));
  EXPECT_TRUE(region.Contains({5, 7}));
  EXPECT_FALSE(region.Contains({1, 8}));
  EXPECT_FALSE(region.Contains({20, 20}));
  EXPECT_LE(region.Bounds().Right, 10);

  TRegion hole;
  hole.Combine(TRegion::FromRect({0, 0, 10, 10}), TRegion::FromRect({2, 2, 4, 4}), RGN_DIFF);
  EXPECT_FALSE(hole.Contains({3, 3}));
  EXPECT_TRUE(hole.Contains({5, 5}));
  hole.Offset(100, 0);
  EXPECT_TRUE(hole.Contains({105, 5}));
}

TEST(GraphicsScreen, MetricsAreMadeForNinetySixPixelsPerInch) {
  EXPECT_EQ(ScreenPixelsPerInch(), 96);
  EXPECT_EQ(GetSystemMetrics(SM_CXVSCROLL), 17);
  EXPECT_GT(GetSystemMetrics(SM_CXSCREEN), 0);
  EXPECT_GT(GetSystemMetrics(SM_CYSCREEN), 0);
}

}  // namespace

namespace {

// Counts the characters measured, to see how a layout's work grows with its text.
class CountingSource : public FixedSource {
 public:
  int TextWidthW(std::u16string_view text) override {
    measured += static_cast<Int64>(text.size());
    return FixedSource::TextWidthW(text);
  }
  Int64 measured = 0;
};

}  // namespace

TEST(TextLayout, ALinkOfTwoMegabytesWithoutBlanksIsMeasuredOnceOverNotOncePerLine) {
  const std::u16string link = u"http://" + std::u16string(2'000'000, u'a');
  const unsigned flags = DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX;
  // A 60-pixel column holds 10 characters a line: every line is measured.
  // The work keeps what it uses alive, should it outlive the deadline.
  auto all = std::make_shared<CountingSource>();
  auto whole = std::make_shared<TTextLayout>();
  ASSERT_TRUE(EndsWithin(std::chrono::seconds(5), [all, whole, link, flags] {
    *whole = LayoutText(*all, link, TRect{0, 0, 60, 100}, flags | DT_CALCRECT);
  })) << "wrapping the long link did not end";
  EXPECT_EQ(whole->TextHeight, 13 * static_cast<int>((link.size() + 9) / 10));
  EXPECT_EQ(whole->CalcRect.Right, 60);
  EXPECT_LT(all->measured, 40 * static_cast<Int64>(link.size()));

  // A cell of three lines lays out what it shows and ends it with "...".
  CountingSource shown;
  auto cell = LayoutText(shown, link, TRect{0, 0, 60, 39}, flags | DT_END_ELLIPSIS);
  ASSERT_EQ(cell.Lines.size(), 3u);
  EXPECT_EQ(cell.Lines[0].Text, u"http://aaa");
  EXPECT_EQ(cell.Lines[1].Text, u"aaaaaaaaaa");
  EXPECT_EQ(cell.Lines[2].Text, u"aaaaaaa...");
  EXPECT_LT(shown.measured, 10000);

  // On one line the link is cut to what shows before it is measured.
  CountingSource single;
  auto line = LayoutText(single, link, TRect{0, 0, 60, 13}, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
  ASSERT_EQ(line.Lines.size(), 1u);
  EXPECT_EQ(line.Lines[0].Text, u"http://...");
  EXPECT_LT(single.measured, 10000);
}

TEST(TextLayout, LongWordsAmongBlanksAndSyllablesBreakAsShortOnesDo) {
  FixedSource metrics;
  const unsigned flags = DT_WORDBREAK | DT_EDITCONTROL | DT_CALCRECT;
  // A long word after a short one starts its own line and is cut there.
  const std::u16string text = u"ab " + std::u16string(25, u'x') + u" cd";
  auto layout = LayoutText(metrics, text, TRect{0, 0, 60, 200}, flags & ~DT_CALCRECT);
  std::vector<std::u16string> lines;
  for (const TTextLine& l : layout.Lines) lines.push_back(l.Text);
  EXPECT_EQ(lines, (std::vector<std::u16string>{u"ab", std::u16string(10, u'x'), std::u16string(10, u'x'),
                                                u"xxxxx cd"}));
  // Without the edit control's cut the long word stands alone and overflows.
  auto overflow = LayoutText(metrics, text, TRect{0, 0, 60, 200}, DT_WORDBREAK);
  ASSERT_EQ(overflow.Lines.size(), 3u);
  EXPECT_EQ(overflow.Lines[1].Text, std::u16string(25, u'x'));
  // A pair of surrogates is never cut apart.
  const std::u16string pairs = u"a\U0001F600\U0001F600\U0001F600\U0001F600\U0001F600";
  auto cut = LayoutText(metrics, pairs, TRect{0, 0, 18, 200}, flags);
  EXPECT_EQ(cut.TextHeight, 13 * 5);  // "a" and one pair, then a pair a line
}
