// Copy, cut and paste of the string grid through the in-memory clipboard:
// round trips of awkward cells, the text other programs get, pasting into a
// selection with the smart fill, read-only cells, growth and its limit, and
// the grid's own cell stream.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"
#include "tests/grid/TransferTestSupport.h"

namespace {

using namespace transfer_test;

struct MemoryClipboard {
  MemoryClipboard() { UseMemoryClipboard(true); }
  ~MemoryClipboard() { UseMemoryClipboard(false); }
};

struct ExGridClipboard : ::testing::Test {
  MemoryClipboard clipboard;
  TExStringGrid grid{nullptr};
  void SetUp() override { MakeEditable(grid, 5, 6); }
  void Select(int left, int top, int right, int bottom) { grid.SetSelection({left, top, right, bottom}); }
  std::string Row(TExStringGrid& g, int row) { return RowText(g, row); }
};

// ---------------------------------------------------------------- the text block

TEST(ClipboardText, QuotesOnlyWhatWouldBreakTheBlock) {
  AnsiString out;
  AppendClipboardField(out, "plain");
  out += '|';
  AppendClipboardField(out, "say \"hi\"");  // an inner quote needs nothing
  out += '|';
  AppendClipboardField(out, "\"quoted\" start");
  out += '|';
  AppendClipboardField(out, "a\tb");
  out += '|';
  AppendClipboardField(out, "line1\r\nline2");
  EXPECT_EQ(out, "plain|say \"hi\"|\"\"\"quoted\"\" start\"|\"a\tb\"|\"line1\r\nline2\"");
}

TEST(ClipboardText, ReadsBlocksFromOtherProgramsAndHostileQuotes) {
  struct Case {
    const char* text;
    TTextBlock rows;
  };
  const Case cases[] = {
      {"a\tb", {{"a", "b"}}},
      {"a\r\nb\r\n", {{"a"}, {"b"}}},
      {"a\r\nb", {{"a"}, {"b"}}},
      {"a\nb\rc", {{"a"}, {"b"}, {"c"}}},
      {"a\t\r\n", {{"a", ""}}},
      {"\r\n\r\n", {{""}, {""}}},
      {"\"x\ty\"\tz", {{"x\ty", "z"}}},
      {"\"l1\nl2\"\r\nnext", {{"l1\nl2"}, {"next"}}},
      {"\"unclosed\tb", {{"\"unclosed", "b"}}},
      {"\"ab\"cd\te", {{"\"ab\"cd", "e"}}},
      {"\"\"\"\"", {{"\""}}},
      {"", {}},
  };
  for (const Case& c : cases) EXPECT_EQ(ParseClipboardText(c.text), c.rows) << c.text;
  EXPECT_EQ(TextBlockSize("a\tb\tc\r\nd\r\n"), (TPoint{3, 2}));
}

// ---------------------------------------------------------------- copy

TEST_F(ExGridClipboard, CopyGivesTabsWithinARowAndLineEndsOnlyForSeveralRows) {
  grid.SetCells(1, 1, "a");
  grid.SetCells(2, 1, "b");
  grid.SetCells(1, 2, "c");
  Select(1, 1, 2, 1);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "a\tb");
  EXPECT_TRUE(grid.CopyValid());
  Select(1, 1, 1, 2);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "a\r\nc\r\n");
}

TEST_F(ExGridClipboard, AMergedCellIsCopiedWholeAndItsTextOnce) {
  grid.SetCells(1, 1, "merged");
  grid.SetCells(3, 1, "c");
  grid.MergeCells(1, 1, 2, 1);
  Select(2, 1, 3, 1);  // starts inside the merged cell
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "merged\t\tc");
  EXPECT_EQ(grid.LastCopyRect(), (TGridRect{1, 1, 3, 1}));
}

TEST_F(ExGridClipboard, MarkedColumnsCopyOnlyThemselves) {
  grid.MouseActions()->SetDisjunctColSelect(true);
  for (int r = 1; r < 6; ++r)
    for (int c = 1; c < 5; ++c) grid.SetCells(c, r, std::to_string(c) + std::to_string(r));
  grid.SetColSelected(1, true);
  grid.SetColSelected(3, true);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "11\t31\r\n12\t32\r\n13\t33\r\n14\t34\r\n15\t35\r\n");
}

TEST_F(ExGridClipboard, AwkwardCellsComeBackUnchangedWhereverTheyArePasted) {
  const AnsiString cells[] = {"say \"hi\"", "\"quoted\"", "tab\there", "two\r\nlines",
                              "영화 \"제목\"\r\n둘째"_k, "lone\nfeed", "", "end\t"};
  for (int i = 0; i < 8; ++i) grid.SetCells(1 + i % 4, 1 + i / 4, cells[i]);
  Select(1, 1, 4, 2);
  grid.CopySelectionToClipboard();

  TExStringGrid other(nullptr);
  MakeEditable(other, 6, 5);
  EXPECT_EQ(other.PasteFromClipboard(2, 2), 8);
  for (int i = 0; i < 8; ++i) EXPECT_EQ(other.Cells(2 + i % 4, 2 + i / 4), cells[i]) << i;
  EXPECT_EQ(other.RowCount(), 5);  // the block's trailing line end adds no row
}

TEST_F(ExGridClipboard, HtmlAndRichTextCellsCopyAsTheTextAReaderSees) {
  grid.Navigation()->SetCopyHTMLTagsToClipboard(false);
  grid.SetCells(1, 1, "<B>굵게</B> &amp; 보통"_k);
  grid.SetCells(2, 1, "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0 Hello\\par World\\par}");
  Select(1, 1, 2, 1);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "굵게 & 보통"_k + "\t\"Hello\r\nWorld\"");
}

TEST_F(ExGridClipboard, PlainTextCellsCopyAsTyped) {
  grid.Navigation()->SetCopyHTMLTagsToClipboard(false);
  grid.Navigation()->SetAllowRTFClipboard(true);
  grid.SetPlainTextCells(true);
  const AnsiString rich = "{\\rtf1 Hello\\par}";
  grid.SetCells(1, 1, "<B>Blade</B> Runner");
  grid.SetCells(2, 1, rich);
  Select(1, 1, 2, 1);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "<B>Blade</B> Runner\t" + rich);
  Select(2, 1, 2, 1);
  grid.CopySelectionToClipboard();
  EXPECT_FALSE(Clipboard()->HasFormat(RichTextClipboardFormat())) << "a title is no document";
}

TEST_F(ExGridClipboard, UnicodeCellsReachOtherProgramsAsCharacters) {
  grid.SetWideCell(1, 1, u"한글 é");
  Select(1, 1, 1, 1);
  grid.CopySelectionToClipboard();
  // Converted character by character: code page 949 has both.
  EXPECT_EQ(Clipboard()->AsText(), Utf16ToCp949(u"한글 é"));
}

TEST_F(ExGridClipboard, RichTextAndTheCellStreamGoBesideTheText) {
  grid.Navigation()->SetAllowRTFClipboard(true);
  grid.Navigation()->SetAllowFmtClipboard(true);
  grid.SetCells(1, 1, "{\\rtf1 x}");
  Select(1, 1, 2, 2);
  grid.CopySelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsBytes(RichTextClipboardFormat()), "{\\rtf1 x}");
  EXPECT_TRUE(Clipboard()->HasFormat(GridCellsClipboardFormat()));
  EXPECT_EQ(ClipboardFormatName(GridCellsClipboardFormat()), "TExStringGrid Cells");
}

// ---------------------------------------------------------------- cut

TEST_F(ExGridClipboard, CutClearsWhatCanBeEditedAndNeverAReadOnlyCell) {
  grid.SetCells(1, 1, "keep");
  grid.CellPropertiesAt(1, 1)->SetReadOnly(true);
  grid.SetCells(2, 1, "go");
  grid.SetCells(1, 2, "refused");
  grid.OnCanEditCell = [](TObject*, int row, int col, bool& canEdit) {
    if (row == 2 && col == 1) canEdit = false;
  };
  Select(1, 1, 2, 2);
  grid.CutSelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "keep\tgo\r\nrefused\t\r\n");
  EXPECT_EQ(grid.Cells(1, 1), "keep");
  EXPECT_EQ(grid.Cells(2, 1), "");
  EXPECT_EQ(grid.Cells(1, 2), "refused");
  EXPECT_FALSE(grid.CopyValid());

  // Switches that let the clipboard touch any cell still leave read-only ones.
  grid.Navigation()->SetAllowClipboardAlways(true);
  grid.Navigation()->SetAllowFmtClipboard(true);
  grid.CutSelectionToClipboard();
  EXPECT_EQ(grid.Cells(1, 1), "keep");
  EXPECT_TRUE(grid.CellPropertiesAt(1, 1)->ReadOnly());
  EXPECT_EQ(grid.Cells(1, 2), "");
}

TEST_F(ExGridClipboard, CutOfMarkedRowsSparesReadOnlyCellsToo) {
  grid.MouseActions()->SetDisjunctRowSelect(true);
  for (int c = 1; c < 5; ++c) grid.SetCells(c, 3, "r3");
  grid.CellPropertiesAt(2, 3)->SetReadOnly(true);
  grid.SetCells(1, 4, "unmarked");
  grid.SetRowSelected(3, true);
  grid.CutSelectionToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "r3\tr3\tr3\tr3");
  EXPECT_EQ(Row(grid, 3), "||r3||");
  EXPECT_EQ(grid.Cells(1, 4), "unmarked");
}

// ---------------------------------------------------------------- paste

TEST_F(ExGridClipboard, PasteNeedsEditingRightsOrTheClipboardSwitches) {
  grid.SetOptions(grid.Options() - TGridOptions{goEditing});
  Clipboard()->SetAsText("x\ty");
  EXPECT_EQ(grid.PasteFromClipboard(1, 1), 0);
  EXPECT_EQ(grid.Cells(1, 1), "");
  grid.MouseActions()->SetRangeSelectAndEdit(true);
  EXPECT_EQ(grid.PasteFromClipboard(1, 1), 2);
  EXPECT_EQ(grid.Cells(2, 1), "y");
  EXPECT_EQ(grid.PasteTextIntoCells(-1, 1, "z"), 0);
  // A trailing TAB ends a field: the empty one after it clears the next cell.
  EXPECT_EQ(grid.PasteTextIntoCells(1, 1, "x\t"), 2);
  EXPECT_EQ(grid.Cells(2, 1), "");
}

TEST_F(ExGridClipboard, PasteSkipsReadOnlyAndRefusedCellsAndLetsEventsChangeValues) {
  grid.CellPropertiesAt(2, 1)->SetReadOnly(true);
  grid.SetCells(2, 1, "old");
  grid.OnClipboardBeforePasteCell = [](TObject*, int col, int row, AnsiString& value, bool& allow) {
    if (col == 3) allow = false;
    value = "[" + value + "]";
  };
  EXPECT_EQ(grid.PasteTextIntoCells(1, 1, "a\tb\tc\td"), 2);
  EXPECT_EQ(Row(grid, 1), "|[a]|old||[d]");
}

TEST_F(ExGridClipboard, AVerticalTabAndWithTheTildeOptionATildeIsALineBreakAndACaretAnEmptyCell) {
  EXPECT_EQ(grid.PasteTextIntoCells(1, 2, "up\vdown"), 1);
  EXPECT_EQ(grid.Cells(1, 2), "up\r\ndown");
  const AnsiString wide = WideToUnicodeCell(u"\u7E7E");  // bytes "|\~~"
  grid.SetTildesAsLineBreaks(true);
  EXPECT_EQ(grid.PasteTextIntoCells(1, 1, "one~two\t^\t" + wide), 3);
  EXPECT_EQ(Row(grid, 1), "|one\r\ntwo||" + wide + "|") << "a Unicode cell keeps its character codes";
}

TEST_F(ExGridClipboard, PastedBlocksGrowTheGridOnlyAsAllowedAndNeverPastTheLimit) {
  EXPECT_EQ(grid.PasteTextIntoCells(3, 4, "1\t2\t3\r\n4\t5\t6\r\n7\r\n\r\n"), 7);
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 7);  // the trailing empty line adds no row
  EXPECT_EQ(grid.Cells(5, 5), "6");

  grid.Navigation()->SetAllowClipboardColGrow(false);
  grid.Navigation()->SetAllowClipboardRowGrow(false);
  EXPECT_EQ(grid.PasteTextIntoCells(4, 6, "a\tb\r\nc"), 2);
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.RowCount(), 7);

  grid.Navigation()->SetAllowClipboardColGrow(true);
  const AnsiString wide(70000, '\t');
  EXPECT_NE(ErrorOf([&] { grid.PasteTextIntoCells(1, 1, wide); }).find("Too many cells"), std::string::npos);
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(grid.Cells(1, 1), "");
}

TEST_F(ExGridClipboard, NewRowsGoBeforeTheFooter) {
  grid.SetFixedFooters(1);
  grid.SetCells(0, 5, "footer");
  EXPECT_EQ(grid.PasteTextIntoCells(1, 4, "a\r\nb\r\nc"), 3);
  EXPECT_EQ(grid.RowCount(), 8);
  EXPECT_EQ(grid.Cells(1, 6), "c");
  EXPECT_EQ(grid.Cells(0, 7), "footer");
}

TEST_F(ExGridClipboard, TheCellStreamPastesTextsAndLooksAtTheTarget) {
  grid.Navigation()->SetAllowFmtClipboard(true);
  grid.SetCells(1, 1, "색"_k);
  grid.CellPropertiesAt(1, 1)->SetBrushColor(0x0000FF);
  grid.SetCells(2, 2, "b");
  Select(1, 1, 2, 2);
  grid.CopySelectionToClipboard();

  TExStringGrid other(nullptr);
  MakeEditable(other, 3, 3);
  other.Navigation()->SetAllowFmtClipboard(true);
  other.SetCells(0, 0, "header stays");
  EXPECT_EQ(other.PasteFromClipboard(2, 1), 4);
  EXPECT_EQ(other.Cells(2, 1), "색"_k);
  EXPECT_EQ(other.FindCellProperties(2, 1)->BrushColor(), 0x0000FF);
  EXPECT_EQ(other.Cells(3, 2), "b");
  EXPECT_EQ(other.ColCount(), 4);
  EXPECT_EQ(other.Cells(0, 0), "header stays");
}

TEST_F(ExGridClipboard, ACopiedWholeGridPastesAsABlockAndClearsNothing) {
  grid.Navigation()->SetAllowFmtClipboard(true);
  grid.SetCells(0, 0, "corner");
  grid.SetCells(4, 5, "last");
  Select(0, 0, 4, 5);
  grid.CopySelectionToClipboard();
  TExStringGrid other(nullptr);
  MakeEditable(other, 8, 8);
  other.Navigation()->SetAllowFmtClipboard(true);
  other.SetCells(1, 1, "kept");
  other.Navigation()->SetAllowClipboardAlways(true);
  EXPECT_EQ(other.PasteFromClipboard(2, 2), 30);
  EXPECT_EQ(other.Cells(1, 1), "kept");
  EXPECT_EQ(other.Cells(2, 2), "corner");
  EXPECT_EQ(other.Cells(6, 7), "last");
}

TEST_F(ExGridClipboard, AStreamOverAReadOnlyCellFallsBackToTheText) {
  grid.Navigation()->SetAllowFmtClipboard(true);
  grid.SetCells(1, 1, "a");
  grid.SetCells(2, 1, "b");
  Select(1, 1, 2, 1);
  grid.CopySelectionToClipboard();
  grid.CellPropertiesAt(2, 3)->SetReadOnly(true);
  grid.SetCells(2, 3, "ro");
  EXPECT_EQ(grid.PasteFromClipboard(1, 3), 1);
  EXPECT_EQ(Row(grid, 3), "|a|ro||");
}

TEST_F(ExGridClipboard, ADamagedStreamIsSkippedForTheText) {
  grid.Navigation()->SetAllowFmtClipboard(true);
  Clipboard()->Open();
  Clipboard()->SetAsText("text");
  Clipboard()->SetAsBytes(GridCellsClipboardFormat(), "TPF0garbage");
  Clipboard()->Close();
  EXPECT_EQ(grid.PasteFromClipboard(1, 1), 1);
  EXPECT_EQ(grid.Cells(1, 1), "text");
}

// ---------------------------------------------------------------- smart fill

struct SmartFill : ExGridClipboard {
  void SetUp() override {
    ExGridClipboard::SetUp();
    grid.SetRowCount(8);
    grid.Navigation()->SetAllowSmartClipboard(true);
  }
  std::vector<std::string> Column(int col) {
    std::vector<std::string> v;
    for (int r = 1; r < grid.RowCount(); ++r) v.push_back(grid.Cells(col, r));
    return v;
  }
};

TEST_F(SmartFill, OneValueFillsTheEditableCellsOfTheSelection) {
  grid.CellPropertiesAt(2, 2)->SetReadOnly(true);
  Clipboard()->SetAsText("v");
  Select(1, 1, 2, 2);
  grid.PasteSelectionFromClipboard();
  EXPECT_EQ(Row(grid, 1), "|v|v||");
  EXPECT_EQ(Row(grid, 2), "|v|||");
}

TEST_F(SmartFill, IntegersContinueTheirStep) {
  Clipboard()->SetAsText("10\r\n13\r\n");
  Select(1, 1, 1, 5);
  grid.PasteSelectionFromClipboard();
  EXPECT_EQ(Column(1), (std::vector<std::string>{"10", "13", "16", "19", "22", "", ""}));
}

TEST_F(SmartFill, ValuesThatAreNotBothNumbersRepeat) {
  Clipboard()->SetAsText("1\tx");
  Select(1, 3, 4, 3);
  grid.PasteSelectionFromClipboard();
  EXPECT_EQ(Row(grid, 3), "|1|x|1|x");
  Clipboard()->SetAsText("1.5\r\n2.5");
  Select(2, 1, 2, 5);
  grid.PasteSelectionFromClipboard();
  EXPECT_EQ(Column(2), (std::vector<std::string>{"1.5", "2.5", "1.5", "2.5", "1.5", "", ""}));
}

TEST_F(SmartFill, DatesContinueByTheirMonthStep) {
  KoreanLocale locale;
  Clipboard()->SetAsText(DateToStr(EncodeDate(2024, 1, 31)) + "\r\n" + DateToStr(EncodeDate(2024, 2, 29)));
  Select(3, 1, 3, 4);
  grid.PasteSelectionFromClipboard();
  TDateTime third = 0, fourth = 0;
  ASSERT_TRUE(TryStrToDateTime(grid.Cells(3, 3), third)) << grid.Cells(3, 3);
  ASSERT_TRUE(TryStrToDateTime(grid.Cells(3, 4), fourth));
  // Months and days both differ: the series steps by the 29 days between them.
  EXPECT_EQ(third, EncodeDate(2024, 3, 29));
  EXPECT_EQ(fourth, EncodeDate(2024, 4, 27));
}

}  // namespace

namespace {

using namespace transfer_test;

// The desktop's clipboard (offscreen here): what other programs read.
TEST(DesktopClipboard, KoreanCellsAndRichTextReachOtherProgramsIntact) {
  UseMemoryClipboard(false);
  TExStringGrid grid(nullptr);
  MakeEditable(grid, 3, 3);
  grid.Navigation()->SetAllowRTFClipboard(true);
  grid.SetCells(1, 1, "{\\rtf1 \\'c7\\'d1}");
  grid.SetCells(2, 1, "한국 영화 \"제목\""_k);
  grid.SetSelection({1, 1, 2, 1});
  grid.CopySelectionToClipboard();
  // The rich text's plain text is the syllable written as two bytes.
  EXPECT_EQ(Clipboard()->AsText(), "\xC7\xD1\t" + "한국 영화 \"제목\""_k);
  EXPECT_EQ(Clipboard()->AsBytes(RichTextClipboardFormat()), "{\\rtf1 \\'c7\\'d1}");
  TExStringGrid other(nullptr);
  MakeEditable(other, 4, 3);
  EXPECT_EQ(other.PasteFromClipboard(1, 2), 2);
  EXPECT_EQ(other.Cells(1, 2), "\xC7\xD1");
  EXPECT_EQ(other.Cells(2, 2), "한국 영화 \"제목\""_k);
  Clipboard()->Clear();
}

}  // namespace
