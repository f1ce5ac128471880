#include <gtest/gtest.h>

#include <array>

#include "grid/ExUtil.h"

namespace {

TEST(ExUtil, CellReferencesParseOnlyWhenComplete) {
  TPoint p{-1, -1};
  EXPECT_TRUE(ParseCellReference("r12c3", p));
  EXPECT_EQ(p, (TPoint{3, 12}));
  EXPECT_FALSE(ParseCellReference("R12", p));
  EXPECT_FALSE(ParseCellReference("RC", p));
  EXPECT_FALSE(ParseCellReference("RxC3", p));
  EXPECT_FALSE(ParseCellReference("R1C", p));
}

TEST(ExUtil, MultilineTextSurvivesQuotingForTheClipboard) {
  AnsiString text = "first\r\nsecond \"x\"\r\n\xB0\xA1";
  AnsiString quoted = text;
  QuoteMultilineText(quoted);
  EXPECT_EQ(quoted.front(), '"');
  EXPECT_EQ(quoted.find("\r\n"), std::string::npos);
  VTabsToLineBreaks(quoted);
  EXPECT_EQ(quoted.substr(1, quoted.size() - 2), text);

  EXPECT_EQ(UnquoteDoubled('"', "a\"\"b"), "a\"b");
  EXPECT_EQ(UnquoteDoubled('"', "a\"b"), "ab");
  EXPECT_EQ(UnquoteDoubled('"', "plain"), "plain");
}

TEST(ExUtil, ClosingQuoteSkipsDoubledQuotes) {
  int pos = 2;
  EXPECT_EQ(FindClosingQuote('"', "\"a\"\"b\",c", pos), 6);
  EXPECT_EQ(pos, 6);
  pos = 2;
  EXPECT_EQ(FindClosingQuote('"', "\"abc\"", pos), 5);
  pos = 2;
  EXPECT_EQ(FindClosingQuote('"', "\"abc", pos), 0);
}

TEST(ExUtil, LinesSplitAtCarriageReturns) {
  AnsiString text = "one\r\ntwo\rthree";
  EXPECT_EQ(LineCount(text, true), 3);
  EXPECT_EQ(LineCount(text, false), 1);
  EXPECT_EQ(SplitFirstLine(text, true), "one");
  EXPECT_EQ(text, "two\rthree");
  EXPECT_EQ(SplitFirstLine(text, false), "two");
  EXPECT_EQ(text, "");
  AnsiString single = "alone";
  EXPECT_EQ(SplitFirstLine(single, true), "alone");
  EXPECT_EQ(single, "");
  AnsiString tildes = "a~b";
  TildesToLineBreaks(tildes);
  EXPECT_EQ(tildes, "a\r\nb");
  AnsiString caret = "^";
  TildesToLineBreaks(caret);
  EXPECT_EQ(caret, "");
  EXPECT_EQ(BackslashNToBreaks("a\\nb"), "a\rb");
  EXPECT_EQ(RemoveCR("a\r\nb\r"), "a\nb");
}

TEST(ExUtil, CapitalizedNamesKeepKoreanBytes) {
  EXPECT_EQ(CapitalizeWords("o'neil mcdonald"), "O'Neil McDonald");
  EXPECT_EQ(CapitalizeWords("henry iii"), "Henry III");
  EXPECT_EQ(CapitalizeWords("ANNE-MARIE"), "Anne-Marie");
  // "갂" is 81 41 and "괁" 81 61: trail bytes that look like "A" and "a".
  EXPECT_EQ(CapitalizeWords("\x81\x41 \x81\x61x"), "\x81\x41 \x81\x61x");
}

TEST(ExUtil, DateSeriesClampTheDayInsteadOfFailing) {
  Word y, m, d;
  DecodeDate(AddToDate(0, 1, 0, 0, EncodeDate(2023, 1, 31)), y, m, d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{2023, 2, 28}));
  DecodeDate(AddToDate(1, 0, 0, 0, EncodeDate(2024, 2, 29)), y, m, d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{2025, 2, 28}));
  DecodeDate(AddToDate(0, 25, 0, 0, EncodeDate(2023, 12, 15)), y, m, d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{2026, 1, 15}));
  DecodeDate(AddToDate(0, -1, 0, 0, EncodeDate(2023, 1, 15)), y, m, d);
  EXPECT_EQ((std::array<int, 3>{y, m, d}), (std::array<int, 3>{2022, 12, 15}));
  EXPECT_DOUBLE_EQ(AddToDate(0, 0, 3, 0, 100.25), 103.25);
  EXPECT_DOUBLE_EQ(AddToDate(1, 1, 0, 7, 100.0), 107.0);
  // A time of day is kept through whole months.
  EXPECT_DOUBLE_EQ(AddToDate(0, 1, 0, 0, EncodeDate(2023, 3, 1) + 0.5), EncodeDate(2023, 4, 1) + 0.5);
}

TEST(ExUtil, SmallHelpersAtTheirBounds) {
  EXPECT_EQ(LimitSize(50, 0, 0), 50);
  EXPECT_EQ(LimitSize(50, 10, 40), 40);
  EXPECT_EQ(LimitSize(5, 10, 40), 10);
  EXPECT_EQ(LimitSize(5, 10, 10), 5);
  EXPECT_EQ(LimitSize(500, 10, 0), 500);
  EXPECT_TRUE(PointInRect(Rect(0, 0, 10, 10), 10, 10));
  EXPECT_FALSE(PointInRect(Rect(0, 0, 10, 10), 11, 0));
  int pos = 7;
  EXPECT_EQ(FindCharPos('z', "abc", pos), 0);
  EXPECT_EQ(pos, 7);
  EXPECT_EQ(FindCharPos('c', "abc", pos), 3);
  EXPECT_EQ(pos, 3);
  EXPECT_EQ(FirstCharOfSet(",;", "a;b,c"), ';');
  EXPECT_EQ(FirstCharOfSet(",;", "abc"), '\0');
  EXPECT_EQ(UpperTextPos("WORLD", "hello world"), 7);
  AnsiString url = "http://example.org/a";
  EXPECT_TRUE(IsUrlText(url));
  StripUrlScheme(url);
  EXPECT_EQ(url, "example.org/a");
  AnsiString mail = "mailto:me@example.org";
  StripUrlScheme(mail);
  EXPECT_EQ(mail, "me@example.org");
  EXPECT_TRUE(HasTwoDateSeparators("2024-01-02"));
  EXPECT_FALSE(HasTwoDateSeparators("-01-02"));
  EXPECT_FALSE(HasTwoDateSeparators("2024--"));
}

TEST(ExUtil, UnicodeCellsRoundTripAnyWideText) {
  std::u16string all;
  for (char16_t c : {u'a', u'\0', u'\xAC00', u'\xFFFF', u'|', u'\xD83D', u'\xDE00'}) all += c;
  EXPECT_EQ(UnicodeCellToWide(WideToUnicodeCell(all)), all);
  EXPECT_EQ(UnicodeCellToWide(std::string("|\\\xAC\x00", 4)), u"\xAC00");
  // An odd last byte is ignored; a plain cell is code page 949 text.
  EXPECT_EQ(UnicodeCellToWide(std::string("|\\\x00\x41\x42", 5)), u"A");
  EXPECT_EQ(UnicodeCellToWide("\xB0\xA1"), u"\xAC00");
}

TEST(ExUtil, MarkupKindByLeadingCharacters) {
  EXPECT_EQ(CellMarkupKind("", true), 0);
  EXPECT_EQ(CellMarkupKind("=<B>x</B>", true), 3);
  EXPECT_EQ(CellMarkupKind("<B>bold</B>", true), 1);
  EXPECT_EQ(CellMarkupKind("<B>bold</B>", false), 0);
  EXPECT_EQ(CellMarkupKind("<b>lower</b>", true), 1);  // "</" alone decides
  EXPECT_EQ(CellMarkupKind("<i>x", true), 0);
  EXPECT_EQ(CellMarkupKind("{\\rtf1}", true), 2);
  EXPECT_EQ(CellMarkupKind("|\\\x00A", true), 5);
}

}  // namespace
