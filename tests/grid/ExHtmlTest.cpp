// The mark-up renderer as a cell shows it: fonts, colours, lists, anchors
// hit where they are drawn, form controls whose values survive editing, the
// plain text that sorting and copying use, and hostile mark-up that must
// still finish.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <thread>

#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"

namespace {

struct HtmlCanvas : ::testing::Test {
  TRecordingCanvas canvas;
  void SetUp() override {
    canvas.SetFixedMetrics(6, 14);  // 6 pixels a byte, 14 a line
    canvas.Font()->SetColor(clBlack);
    canvas.Brush()->SetColor(clWhite);
  }
  bool Draw(std::string_view text, TRect r, THtmlDrawResult& result, THtmlDrawArgs args = {}) {
    return DrawHtml(canvas, text, r, args, result);
  }
  std::vector<TCanvasCall> Texts() const { return canvas.CallsOf(coTextOut); }
};

// Runs work on another thread and fails when it does not end in time.
template <class F>
void FinishesWithin(std::chrono::seconds limit, F work) {
  auto done = std::async(std::launch::async, work);
  ASSERT_EQ(done.wait_for(limit), std::future_status::ready) << "mark-up did not finish";
  done.get();
}

TEST_F(HtmlCanvas, FontsAndColoursFollowTheTagsAndComeBack) {
  THtmlDrawResult result;
  Draw("a<B>b</B><I>c</I><FONT COLOR=\"clRed\" SIZE=\"3\" FACE=\"Arial\">d</FONT><U>e</U><S>f</S>", {0, 0, 400, 40},
       result);
  auto t = Texts();
  ASSERT_EQ(t.size(), 6u);
  EXPECT_EQ(t[0].Text, "a");
  EXPECT_TRUE(t[0].FontStyle.Empty());
  EXPECT_TRUE(t[1].FontStyle.Contains(fsBold));
  EXPECT_TRUE(t[2].FontStyle.Contains(fsItalic));
  EXPECT_FALSE(t[2].FontStyle.Contains(fsBold));
  EXPECT_EQ(t[3].FontColor, clRed);
  EXPECT_EQ(t[3].FontSize, 12);
  EXPECT_EQ(t[3].FontName, "Arial");
  EXPECT_EQ(t[4].FontColor, clBlack);
  EXPECT_TRUE(t[4].FontStyle.Contains(fsUnderline));
  EXPECT_TRUE(t[5].FontStyle.Contains(fsStrikeOut));
  // Runs follow each other on the line.
  EXPECT_EQ(t[0].Points[0].X, 1);
  EXPECT_EQ(t[1].Points[0].X, 7);
  // The caller's canvas state comes back.
  EXPECT_EQ(canvas.Font()->Color(), clBlack);
  EXPECT_TRUE(canvas.Font()->Style().Empty());
  EXPECT_EQ(canvas.Brush()->Color(), clWhite);
}

TEST_F(HtmlCanvas, ColourValuesAndFontSizes) {
  EXPECT_EQ(ColorByName("clred"), 0x0000FFu);
  EXPECT_EQ(ColorByName("clinfobk"), 0xFF000018u);
  EXPECT_EQ(ColorByName("clRed"), 0u);  // exact, lower-case names
  EXPECT_EQ(ColorByName("nonsense"), 0u);
  EXPECT_EQ(HexToColor("#0000ff"), 0xFF0000u);
  EXPECT_EQ(HexToColor("#FF8000"), 0x0080FFu);
  // Short or malformed text stays inside the text.
  EXPECT_EQ(HexToColor("#"), 0u);
  EXPECT_EQ(HexToColor("#F"), 0xF0u);
  EXPECT_EQ(HexToColor("#zz11"), 0x1100u);
  EXPECT_EQ(HexToColor(""), 0u);

  THtmlDrawResult result;
  Draw("<FONT SIZE=\"9\">a</FONT><FONT SIZE=\"99999999\">b</FONT><FONT SIZE=\"0\">c</FONT>"
       "<FONT COLOR=\"#0000ff\">d</FONT>",
       {0, 0, 4000, 4000}, result);
  auto t = Texts();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].FontSize, 9);
  EXPECT_EQ(t[1].FontSize, 200);  // clamped
  EXPECT_EQ(t[2].FontSize, canvas.Font()->Size());
  EXPECT_EQ(t[3].FontColor, 0xFF0000u);
}

TEST_F(HtmlCanvas, FontTagsDoNotNest) {
  THtmlDrawResult result;
  Draw("<FONT COLOR=\"clBlue\"><FONT COLOR=\"clRed\">a</FONT>b</FONT>", {0, 0, 400, 40}, result);
  auto t = Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].FontColor, clRed);
  EXPECT_EQ(t[1].FontColor, clBlack);  // the entry font, not the outer FONT
}

TEST_F(HtmlCanvas, EntitiesDecodeOnceToCharactersInKoreanText) {
  THtmlDrawResult result;
  const AnsiString text = "영화 &amp;lt; &euro;&sect;&QUOT;끝"_k;
  Draw(text, {0, 0, 1000, 40}, result);
  EXPECT_EQ(Cp949ToUtf8(result.StrippedText), "영화 &lt; €§\"끝");
  // "&lt;" written as text is a character, never a tag.
  THtmlDrawResult r2;
  canvas.Clear();
  Draw("&lt;B&gt;x", {0, 0, 1000, 40}, r2);
  auto t = Texts();
  ASSERT_FALSE(t.empty());
  EXPECT_EQ(r2.StrippedText, "<B>x");
  EXPECT_FALSE(t[0].FontStyle.Contains(fsBold));
}

TEST_F(HtmlCanvas, LinesBreakAtBreaksAndWrapAtBlanks) {
  THtmlDrawResult result;
  Draw("one\r\ntwo\nthree", {0, 0, 400, 100}, result);
  EXPECT_EQ(result.Height, 28);  // two lines: the lone LF is dropped
  EXPECT_EQ(result.StrippedText, "one\rtwothree");

  canvas.Clear();
  THtmlDrawResult wrap;
  // 36 pixels take "aaaa " but not "aaaa bbbb".
  Draw("aaaa bbbb cccccccccccc dd", {0, 0, 36, 200}, wrap);
  auto t = Texts();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].Points[0].Y, t[0].Points[0].Y);
  EXPECT_LT(t[0].Points[0].Y, t[1].Points[0].Y);
  // The word wider than the cell stands alone on its line.
  EXPECT_LT(t[1].Points[0].Y, t[2].Points[0].Y);
  EXPECT_LT(t[2].Points[0].Y, t[3].Points[0].Y);
  EXPECT_EQ(wrap.Width, 72);

  // Two runs without a blank between them stay together.
  canvas.Clear();
  THtmlDrawResult joined;
  Draw("aaaa<B>bbbb</B>", {0, 0, 36, 200}, joined);
  t = Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].Points[0].Y, t[1].Points[0].Y);
}

TEST_F(HtmlCanvas, EmptyTextAndTextBelowTheRectangle) {
  THtmlDrawResult result;
  Draw("", {0, 0, 100, 100}, result);
  EXPECT_EQ(result.Width, 0);
  EXPECT_EQ(result.Height, 14);

  THtmlDrawResult shown, measured;
  Draw("a<BR>b<BR>c<BR>d", {0, 0, 100, 20}, shown);
  EXPECT_EQ(Texts().size(), 1u);  // the second line would pass the bottom
  THtmlDrawArgs args;
  args.MeasureOnly = true;
  canvas.Clear();
  Draw("a<BR>b<BR>c<BR>d", {0, 0, 100, 30}, measured, args);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(measured.Height, 56);
}

TEST_F(HtmlCanvas, ListsIndentAndSecondItemStartsALine) {
  THtmlDrawResult result;
  Draw("<UL><LI>one<LI>two</UL></UL>x", {0, 0, 400, 200}, result);
  auto t = Texts();
  // bullet, "one", bullet, "two" and "x" (</UL> breaks no line)
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].Points[0].X, 1 + 12);
  EXPECT_EQ(t[1].Points[0].X, 1 + 24);
  EXPECT_GT(t[2].Points[0].Y, t[0].Points[0].Y);
  EXPECT_EQ(t[3].Text, "twox");
}

TEST_F(HtmlCanvas, AnchorsAreHitWhereTheyAreDrawn) {
  const AnsiString text = "<P ALIGN=\"RIGHT\">see <A HREF=\"http://a/\">here</A> or <A HREF=\"x&amp;y\">there</A></P>";
  THtmlDrawResult painted;
  Draw(text, {0, 0, 300, 40}, painted);
  auto t = Texts();
  ASSERT_EQ(t.size(), 4u);  // "see ", "here", " or " (one run), "there"
  const TCanvasCall& there = t[3];
  EXPECT_EQ(there.Text, "there");
  EXPECT_EQ(there.FontColor, clBlue);
  EXPECT_TRUE(there.FontStyle.Contains(fsUnderline));
  EXPECT_EQ(painted.AnchorCount, 2);
  // The right-aligned line ends at the right edge.
  EXPECT_EQ(there.Points[0].X + 30, 300);

  THtmlDrawArgs args;
  args.HitTest = true;
  args.X = there.Points[0].X + 3;
  args.Y = there.Points[0].Y + 7;
  THtmlDrawResult hit;
  canvas.Clear();
  EXPECT_TRUE(Draw(text, {0, 0, 300, 40}, hit, args));
  EXPECT_TRUE(canvas.CallsOf(coTextOut).empty());  // hit-testing paints nothing
  EXPECT_EQ(hit.AnchorLink, "x&y");
  EXPECT_EQ(hit.HoverAnchor, 2);
  EXPECT_EQ(hit.HoverRect.Left, there.Points[0].X);

  args.X = t[0].Points[0].X + 2;  // "see " is no anchor
  THtmlDrawResult miss;
  EXPECT_FALSE(Draw(text, {0, 0, 300, 40}, miss, args));
  EXPECT_TRUE(miss.AnchorLink.empty());
}

TEST_F(HtmlCanvas, HiddenShadowAndErrorMarking) {
  THtmlDrawResult result;
  THtmlDrawArgs args;
  args.ShadowOffset = 2;
  Draw("<Z>secret</Z><SHAD>s</SHAD><E>err</E>", {0, 0, 400, 40}, result, args);
  auto t = Texts();
  ASSERT_EQ(t.size(), 3u);  // shadow, text, error run
  EXPECT_EQ(t[0].FontColor, clGray);
  EXPECT_EQ(t[0].Points[0].X, t[1].Points[0].X + 2);
  EXPECT_EQ(result.StrippedText, "secretserr");
  EXPECT_FALSE(canvas.CallsOf(coLineTo).empty());
  for (const auto& line : canvas.CallsOf(coLineTo)) EXPECT_EQ(line.PenColor, clRed);
}

TEST_F(HtmlCanvas, ControlsDrawTheirValuesAndAreHit) {
  const AnsiString text =
      "Name <CONTROL TYPE=\"EDIT\" ID=\"n\" VALUE=\"Kim\" WIDTH=\"60\"> "
      "<CONTROL TYPE=\"CHECK\" ID=\"c\" VALUE=\"TRUE\" WIDTH=\"1\">"
      "<CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"abc\" WIDTH=\"40\">";
  THtmlDrawResult result;
  Draw(text, {0, 0, 400, 40}, result);
  auto texts = canvas.CallsOf(coDrawText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].Text, "Kim");
  EXPECT_EQ(texts[1].Text, "***");
  EXPECT_EQ(canvas.CallsOf(coRectangle).size(), 2u);

  THtmlDrawArgs args;
  args.HitTest = true;
  args.ControlId = "p";  // reported wherever the point is
  args.X = -50;
  THtmlDrawResult named;
  canvas.Clear();
  EXPECT_TRUE(Draw(text, {0, 0, 400, 40}, named, args));
  EXPECT_EQ(named.AnchorLink, "ctrl");
  EXPECT_EQ(named.ControlType, "PASSWORD");
  EXPECT_EQ(named.ControlValue, "abc");
  EXPECT_EQ(named.ControlRect.Width(), 40);
}

TEST(HtmlControls, ValuesRoundTripThroughAnyNumberOfEdits) {
  AnsiString text = "<CONTROL TYPE=\"EDIT\" ID=\"a\" VALUE=\"\" WIDTH=\"50\" PROP=\"p1\">"
                    "<CONTROL TYPE=\"CHECK\" ID=\"b\" VALUE=\"FALSE\" WIDTH=\"16\">"
                    "<CONTROL TYPE=\"COMBO\" ID=\"c\" VALUE=\"x\" WIDTH=\"80\">";
  const AnsiString hostile = "say \"hi\" TYPE=\"BUTTON\" ID=\"b\" <b>&amp; & 영화"_k;
  for (int round = 0; round < 5; ++round) ASSERT_TRUE(SetControlValue(text, "a", hostile));
  const THtmlControl a = ParseControlTag(text.substr(0, text.find('>') + 1));
  EXPECT_EQ(a.Value, hostile);
  EXPECT_EQ(a.Type, "EDIT");
  EXPECT_EQ(a.Id, "a");
  EXPECT_EQ(a.Width, "50");
  EXPECT_EQ(a.Prop, "p1");
  EXPECT_EQ(GetControlProp(text, "a"), "p1");
  // The other controls are untouched.
  EXPECT_EQ(NextControlId(text, ""), "a");
  EXPECT_EQ(NextControlId(text, "a"), "c");  // the check box is skipped
  EXPECT_EQ(NextControlId(text, "c"), "");
  EXPECT_FALSE(SetControlValue(text, "zz", "v"));
  EXPECT_TRUE(HasControlTags("x<control type=\"EDIT\">"));
  EXPECT_FALSE(HasControlTags("CONTROL"));
  // The plain text has no trace of the hostile value's tags.
  EXPECT_EQ(HtmlToPlainText(text), "");
}

TEST(HtmlText, EscapingAndPlainText) {
  EXPECT_EQ(EscapeHtmlText("a&b"), "a&amp;b");
  EXPECT_EQ(EscapeHtmlText("<&>"), "&lt;&amp;&gt;");
  EXPECT_EQ(EscapeHtmlText("\"q\""), "&quot;q&quot;");
  EXPECT_EQ(UnescapeHtmlText("&amp;lt;"), "&lt;");
  EXPECT_EQ(UnescapeHtmlText(EscapeHtmlText("&lt; \"<>\" &amp;")), "&lt; \"<>\" &amp;");

  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"a<BR>b<hr>c", "a\r\nb\r\nc"},
      {"<B>bold</B> <I>i</I> <U>u</U>", "bold i u"},
      {"<FONT COLOR=\"clRed\">red</FONT>", "red"},
      {"<A HREF=\"x\">link</A>", "link"},
      {"<UL><LI>one<LI>two</UL>", "onetwo"},
      {"<IMG SRC=\"IDX:1\">pic", "pic"},
      {"1 < 2", "1 < 2"},
      {"a <b> c <d", "a  c <d"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(HtmlToPlainText(c.in), c.out) << c.in;
  EXPECT_EQ(HtmlToPlainText("<B>영화</B>"_k), "영화"_k);
}

TEST_F(HtmlCanvas, HostileMarkupFinishes) {
  std::string deep;
  for (int i = 0; i < 20000; ++i) deep += "<UL><FONT SIZE=\"7\"><B><SUP>";
  deep += "x";
  std::string unclosed = "text <FONT COLOR=\"clRed\" and never closed";
  std::string wide = "<CONTROL TYPE=\"EDIT\" ID=\"w\" VALUE=\"v\" WIDTH=\"99999999\">"
                     "<IMG SRC=\"IDX:99999\" WIDTH=\"99999999\" HEIGHT=\"99999999\">"
                     "<IND x=\"99999999999\">y<R \"99999\">z</R>&amp";
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "w ";
  FinishesWithin(std::chrono::seconds(10), [&] {
    TRecordingCanvas c;
    c.SetFixedMetrics(6, 14);
    THtmlDrawResult r;
    for (const std::string* text : {&deep, &unclosed, &wide, &many}) {
      for (TRect rect : {TRect{0, 0, 100, 50}, TRect{0, 0, 0, 0}, TRect{10, 10, 5, 5}}) {
        DrawHtml(c, *text, rect, THtmlDrawArgs{}, r);
        THtmlDrawArgs measure;
        measure.MeasureOnly = true;
        DrawHtml(c, *text, rect, measure, r);
      }
      c.Clear();
    }
    // The wide control still advances its line and takes at most the bound.
    DrawHtml(c, wide, {0, 0, 50, 50}, THtmlDrawArgs{}, r);
    EXPECT_LE(r.Width, 2 * 4096 + 100);
    EXPECT_EQ(HtmlToPlainText(unclosed), unclosed.substr(0, 5) + unclosed.substr(5));
  });
}

TEST(HtmlImageCanvas, MarkupPaintsPixelsOnABitmap) {
  TBitmap bitmap(200, 40);
  TCanvas& canvas = *bitmap.Canvas();
  canvas.Brush()->SetColor(clWhite);
  canvas.FillRect({0, 0, 200, 40});
  canvas.Font()->SetColor(clBlack);
  canvas.Font()->SetSize(12);
  THtmlDrawResult result;
  DrawHtml(canvas, "<P BGCOLOR=\"#00FF00\"><FONT COLOR=\"clRed\">WWW</FONT></P>", {0, 0, 200, 40},
           THtmlDrawArgs{}, result);
  EXPECT_GT(result.Width, 10);
  int red = 0, green = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 200; ++x) {
      const TColor c = bitmap.PixelColor(x, y);
      if (GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80) ++red;
      if (c == 0x00FF00) ++green;
    }
  EXPECT_GT(red, 5) << "red text drawn";
  EXPECT_GT(green, 100) << "paragraph background filled";
}

}  // namespace

namespace {

TEST_F(HtmlCanvas, HoverFocusAndKeptColours) {
  const AnsiString text = "<A HREF=\"one\">aa</A> <A HREF=\"two\">bb</A>";
  THtmlDrawArgs args;
  args.HoverHighlight = true;
  args.HoverAnchor = 2;
  args.HoverColor = clYellow;
  args.HoverFontColor = clGreen;
  args.FocusAnchor = 0;
  THtmlDrawResult result;
  Draw(text, {0, 0, 300, 40}, result, args);
  auto t = Texts();
  ASSERT_EQ(t.size(), 2u);
  EXPECT_FALSE(t[0].FontStyle.Contains(fsUnderline));  // only the hovered one
  EXPECT_EQ(t[0].FontColor, clBlue);
  EXPECT_TRUE(t[1].FontStyle.Contains(fsUnderline));
  EXPECT_EQ(t[1].FontColor, clGreen);
  auto fills = canvas.CallsOf(coFillRect);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills.back().BrushColor, clYellow);
  EXPECT_EQ(result.FocusLink, "one");
  ASSERT_EQ(canvas.CallsOf(coFocusRect).size(), 1u);
  EXPECT_LE(canvas.CallsOf(coFocusRect)[0].Rect.Left, t[0].Points[0].X);

  THtmlDrawArgs keep;
  keep.KeepColors = true;
  canvas.Clear();
  Draw("<FONT COLOR=\"clRed\">r</FONT><A HREF=\"x\">a</A>", {0, 0, 300, 40}, result, keep);
  for (const auto& call : Texts()) EXPECT_EQ(call.FontColor, clBlack);
}

TEST_F(HtmlCanvas, BlinkHighlightAndSubscripts) {
  THtmlDrawArgs off;
  off.BlinkPhase = false;
  THtmlDrawResult result;
  Draw("<BLINK>b</BLINK>x<HI>h</HI>y", {0, 0, 300, 40}, result, off);
  auto t = Texts();
  ASSERT_EQ(t.size(), 4u);
  EXPECT_EQ(t[0].FontColor, clWhite);  // the entry brush: painted in the background colour
  EXPECT_EQ(t[1].FontColor, clBlack);
  EXPECT_EQ(t[2].FontColor, clHighlightText);
  EXPECT_EQ(t[3].FontColor, clBlack);

  canvas.Clear();
  Draw("a<SUB>b</SUB><SUP>c</SUP>", {0, 0, 300, 60}, result);
  t = Texts();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_GT(t[1].Points[0].Y, t[0].Points[0].Y);  // lowered
  EXPECT_LT(t[2].Points[0].Y, t[0].Points[0].Y);  // raised
  EXPECT_GT(result.Height, 14);
}

TEST_F(HtmlCanvas, IndentsCentringRulesAndBodyColour) {
  THtmlDrawResult result;
  Draw("<BODY BGCOLOR=\"clSilver\">a<IND x=\"50\">b<HR><P ALIGN=\"CENTER\">cc</P>", {0, 0, 200, 80}, result);
  auto t = Texts();
  ASSERT_EQ(t.size(), 3u);
  EXPECT_EQ(t[1].Points[0].X, 50);
  EXPECT_EQ(t[2].Points[0].X, 1 + (199 - 12) / 2);
  auto fills = canvas.CallsOf(coFillRect);
  ASSERT_FALSE(fills.empty());
  EXPECT_EQ(fills[0].BrushColor, clSilver);
  EXPECT_EQ(fills[0].Rect.Width(), 200);
  auto lines = canvas.CallsOf(coLineTo);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].PenColor, clBlack);
}

TEST_F(HtmlCanvas, WithoutWrappingARunEndsInAnEllipsis) {
  THtmlDrawArgs args;
  args.WordWrap = false;
  THtmlDrawResult result;
  Draw("a very long text that does not fit", {0, 0, 60, 40}, result, args);
  auto texts = canvas.CallsOf(coDrawText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_TRUE(texts[0].Flags & DT_END_ELLIPSIS);
  EXPECT_LE(result.Width, 60);
  EXPECT_EQ(result.Height, 14);
}

TEST_F(HtmlCanvas, ImageListPicturesByIndex) {
  TImageList images(nullptr);
  images.SetWidth(16);
  images.SetHeight(16);
  TBitmap strip(32, 16);
  images.Add(&strip, nullptr);
  THtmlDrawArgs args;
  args.Images = &images;
  THtmlDrawResult result;
  Draw("<IMG SRC=\"IDX:1\">x<IMG SRC=\"IDX:7\"><IMG SRC=\"idx:-3\">", {0, 0, 300, 40}, result, args);
  EXPECT_EQ(result.Width, 16 + 6);  // the indexes outside the list draw nothing
  EXPECT_EQ(result.Height, 16);
}

}  // namespace

namespace {

TEST(HtmlImageCanvas, HostileMarkupFinishesOnABitmapToo) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += "<FONT SIZE=\"99999\"><R \"45\"><B><SHAD>&euro;W</SHAD></B></R></FONT> ";
  text += "<IMG SRC=\"IDX:1\" WIDTH=\"999999\" HEIGHT=\"999999\"><CONTROL TYPE=\"COMBO\" ID=\"c\" WIDTH=\"99999\">";
  TBitmap bitmap(300, 200);
  auto done = std::async(std::launch::async, [&] {
    THtmlDrawResult result;
    DrawHtml(*bitmap.Canvas(), text, {0, 0, 300, 200}, THtmlDrawArgs{}, result);
    THtmlDrawArgs measure;
    measure.MeasureOnly = true;
    DrawHtml(*bitmap.Canvas(), text, {0, 0, 300, 200}, measure, result);
    return result.Height;
  });
  ASSERT_EQ(done.wait_for(std::chrono::seconds(20)), std::future_status::ready) << "mark-up did not finish";
  EXPECT_GT(done.get(), 0);
}

TEST(HtmlImageCanvas, AFontNameLongerThanAnyFontsIsIgnored) {
  std::string name;
  for (int i = 0; i < 200'000; ++i) name += "\xB0\xA1";  // 가, as font matching is slowest over Hangul
  const std::string text = "<FONT FACE=\"" + name + "\">x</FONT> <FONT FACE=\"Arial\">y</FONT>";
  auto bitmap = std::make_shared<TBitmap>(300, 40);
  FinishesWithin(std::chrono::seconds(5), [bitmap, text] {
    THtmlDrawResult result;
    DrawHtml(*bitmap->Canvas(), text, {0, 0, 300, 40}, THtmlDrawArgs{}, result);
  });
  TRecordingCanvas canvas;
  canvas.Font()->SetName("Tahoma");
  THtmlDrawResult result;
  DrawHtml(canvas, text, {0, 0, 300, 40}, THtmlDrawArgs{}, result);
  const auto texts = canvas.CallsOf(coTextOut);
  ASSERT_GE(texts.size(), 2u);
  EXPECT_EQ(texts.front().Text.substr(0, 1), "x");
  EXPECT_EQ(texts.front().FontName, "Tahoma");
  EXPECT_EQ(texts.back().FontName, "Arial");
  // Nor does a font take such a name from anywhere else.
  TFont font;
  font.SetName(name);
  EXPECT_EQ(font.Name(), "MS Sans Serif");
}

}  // namespace
