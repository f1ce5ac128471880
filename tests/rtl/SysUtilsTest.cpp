#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace {

// "가" is B0 A1; "각" is B0 A2. "갂" (81 41) and "똠" (8C 63) have ASCII
// letters as trail bytes, as do many syllables outside KS X 1001.
const AnsiString kGa = "\xB0\xA1";
const AnsiString kGak = "\xB0\xA2";
const AnsiString kGakk = "\x81\x41";   // trail byte 'A'
const AnsiString kTtom = "\x8C\x63";   // trail byte 'c'

TEST(SysUtilsStrings, OneBasedRoutinesClampAtTheirBounds) {
  // Copy: index below 1 counts from 1, a count past the end stops there.
  EXPECT_EQ(Copy("abcdef", 0, 2), "ab");
  EXPECT_EQ(Copy("abcdef", -5, 3), "abc");
  EXPECT_EQ(Copy("abcdef", 5, 100), "ef");
  EXPECT_EQ(Copy("abcdef", 7, 1), "");
  EXPECT_EQ(Copy("abcdef", 2, 0), "");
  EXPECT_EQ(Copy("abcdef", 2, -1), "");
  EXPECT_EQ(Copy("", 1, 1), "");
  EXPECT_EQ(Copy("abc", 1, 0x7FFFFFFF), "abc");

  AnsiString s = "abcdef";
  Delete(s, 0, 2);
  EXPECT_EQ(s, "abcdef");
  Delete(s, 7, 1);
  EXPECT_EQ(s, "abcdef");
  Delete(s, 5, 100);
  EXPECT_EQ(s, "abcd");
  Delete(s, 2, -3);
  EXPECT_EQ(s, "abcd");
  Delete(s, 1, 1);
  EXPECT_EQ(s, "bcd");

  s = "bc";
  Insert("a", s, 0);
  EXPECT_EQ(s, "abc");
  Insert("z", s, 99);
  EXPECT_EQ(s, "abcz");
  Insert("-", s, 3);
  EXPECT_EQ(s, "ab-cz");

  EXPECT_EQ(Pos("c", "abcabc"), 3);
  EXPECT_EQ(Pos("", "abc"), 0);
  EXPECT_EQ(Pos("x", ""), 0);
  EXPECT_EQ(PosEx("c", "abcabc", 4), 6);
  EXPECT_EQ(PosEx("c", "abcabc", 6), 6);
  EXPECT_EQ(PosEx("c", "abcabc", 7), 0);
  EXPECT_EQ(PosEx("c", "abcabc", 0), 0);
  EXPECT_EQ(PosEx("c", "abcabc", -1), 0);
  EXPECT_EQ(PosEx("bc", "abcabc", 3), 5);
}

TEST(SysUtilsStrings, SearchNeverMatchesInsideAHangulSyllable) {
  // "갂A" holds the byte 'A' twice: as the trail of 갂 and on its own.
  AnsiString s = kGakk + "A";
  EXPECT_EQ(Pos("A", s), 2);       // the byte routine sees the trail byte
  EXPECT_EQ(AnsiPos("A", s), 3);   // the character routine does not
  EXPECT_EQ(ByteType(s, 1), mbLeadByte);
  EXPECT_EQ(ByteType(s, 2), mbTrailByte);
  EXPECT_EQ(ByteType(s, 3), mbSingleByte);
  EXPECT_EQ(LastDelimiter("A", s), 3);
  EXPECT_FALSE(IsDelimiter("A", s, 2));
  EXPECT_TRUE(IsDelimiter("A", s, 3));
}

TEST(SysUtilsStrings, CaseMappingNeverTouchesTrailBytes) {
  // 똠 ends in 'c' and 갂 in 'A': upper- or lower-casing must leave them whole.
  AnsiString mixed = "ab" + kTtom + "Cd" + kGakk + "eF";
  EXPECT_EQ(UpperCase(mixed), "AB" + kTtom + "CD" + kGakk + "EF");
  EXPECT_EQ(LowerCase(mixed), "ab" + kTtom + "cd" + kGakk + "ef");
  EXPECT_EQ(AnsiUpperCase(mixed), UpperCase(mixed));
  EXPECT_EQ(AnsiLowerCase(mixed), LowerCase(mixed));
  EXPECT_EQ(UpperCase("\xB0\x61x"), "\xB0\x61X");  // B0 61 is one syllable ending in 'a'
  EXPECT_EQ(LowerCase("\xB0\x41X"), "\xB0\x41x");
  // A lead byte at the very end has no trail; the next letter is single.
  EXPECT_EQ(UpperCase("a\xB0"), "A\xB0");
  EXPECT_EQ(UpperCase("\xB0\x0D" "a"), "\xB0\x0D" "A");

  // Syllables that differ only in the case of a trail byte stay different.
  AnsiString lowTrail = "\x8C\x63", highTrail = "\x8C\x43";
  EXPECT_NE(CompareText(lowTrail, highTrail), 0);
  EXPECT_FALSE(SameText(lowTrail, highTrail));
  EXPECT_FALSE(AnsiSameText(lowTrail, highTrail));
  EXPECT_TRUE(SameText("Movie" + kGa, "mOVIE" + kGa));
  EXPECT_EQ(StringReplace(lowTrail + "c", "C", "x", {TReplaceFlag::rfIgnoreCase, TReplaceFlag::rfReplaceAll}),
            lowTrail + "x");
}

TEST(SysUtilsStrings, TrimRemovesControlCharactersAndBlanksOnly) {
  EXPECT_EQ(Trim(" \t\r\n a b \x01"), "a b");
  EXPECT_EQ(TrimLeft("  a  "), "a  ");
  EXPECT_EQ(TrimRight("  a  "), "  a");
  EXPECT_EQ(Trim("   "), "");
  EXPECT_EQ(Trim(kGa + " "), kGa);  // bytes above 0x80 are text
}

TEST(SysUtilsStrings, ComparisonsOrderLikeAKoreanWordList) {
  EXPECT_LT(CompareStr("A", "a"), 0);
  EXPECT_EQ(CompareText("abc", "ABC"), 0);
  EXPECT_LT(CompareText("abc", "abd"), 0);
  EXPECT_LT(CompareText("ab", "abc"), 0);
  EXPECT_GT(CompareText("_", "a"), 0);  // folding to upper case puts "_" after letters

  // Case-insensitive on ASCII; AnsiCompareStr breaks the tie lower case first.
  EXPECT_EQ(AnsiCompareText("Alien", "aLIEN"), 0);
  EXPECT_LT(AnsiCompareStr("alien", "Alien"), 0);
  EXPECT_GT(AnsiCompareStr("Alien", "alien"), 0);
  EXPECT_LT(AnsiCompareStr("Alien", "aliens"), 0);
  EXPECT_EQ(AnsiCompareStr("Alien", "Alien"), 0);

  // Latin before Hangul; Hangul in dictionary order, including syllables
  // outside KS X 1001 whose bytes (81 41 갂, 8C 63 똠) sort before 가 in the code page.
  const AnsiString kDdo = "\xB6\xC7";  // 또
  const AnsiString kDdong = "\xB6\xCB";  // 똥
  EXPECT_LT(AnsiCompareText("Zorro", kGa), 0);
  EXPECT_LT(AnsiCompareText(kGa, kGak), 0);
  EXPECT_LT(AnsiCompareText(kGak, kGakk), 0);   // 각 < 갂
  EXPECT_GT(AnsiCompareText(kGakk, kGa), 0);
  EXPECT_LT(AnsiCompareText(kDdo, kTtom), 0);   // 또 < 똠 < 똥
  EXPECT_LT(AnsiCompareText(kTtom, kDdong), 0);

  // A sort by AnsiCompareText is a consistent order (std::sort demands it).
  std::vector<AnsiString> words = {kDdong, "b", kTtom, "B", kGakk, "a", kGa, kDdo, "A", kGak, "", "\xB0"};
  std::sort(words.begin(), words.end(),
            [](const AnsiString& x, const AnsiString& y) { return AnsiCompareStr(x, y) < 0; });
  std::vector<AnsiString> expected = {"", "a", "A", "b", "B", "\xB0", kGa, kGak, kGakk, kDdo, kTtom, kDdong};
  EXPECT_EQ(words, expected);
  for (const AnsiString& x : words)
    for (const AnsiString& y : words) {
      EXPECT_EQ(AnsiCompareStr(x, y), -AnsiCompareStr(y, x)) << x << " / " << y;
      EXPECT_EQ(AnsiCompareStr(x, y) == 0, x == y);
    }
}

TEST(SysUtilsStrings, StringReplaceHonoursItsFlags) {
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", {}), "a+b-c");
  EXPECT_EQ(StringReplace("a-b-c", "-", "+", {TReplaceFlag::rfReplaceAll}), "a+b+c");
  EXPECT_EQ(StringReplace("Abc abc", "ABC", "x", {TReplaceFlag::rfIgnoreCase}), "x abc");
  EXPECT_EQ(StringReplace("Abc abc", "ABC", "x", {TReplaceFlag::rfIgnoreCase, TReplaceFlag::rfReplaceAll}),
            "x x");
  EXPECT_EQ(StringReplace("Abc abc", "ABC", "x", {TReplaceFlag::rfReplaceAll}), "Abc abc");
  EXPECT_EQ(StringReplace("aaa", "a", "aa", {TReplaceFlag::rfReplaceAll}), "aaaaaa");  // no rescan
  EXPECT_EQ(StringReplace("abc", "", "x", {TReplaceFlag::rfReplaceAll}), "abc");
  // A pattern equal to a trail byte is not found inside the syllable.
  EXPECT_EQ(StringReplace(kGakk + "A", "A", "!", {TReplaceFlag::rfReplaceAll}), kGakk + "!");
  // Korean patterns: 영화 -> movie.
  EXPECT_EQ(StringReplace("좋은 영화, 나쁜 영화"_k, "영화"_k, "movie", {TReplaceFlag::rfReplaceAll}),
            "좋은 movie, 나쁜 movie"_k);
}

TEST(SysUtilsStrings, QuotingRoundTripsAndStopsAtTheClosingQuote) {
  EXPECT_EQ(QuotedStr("it's"), "'it''s'");
  EXPECT_EQ(QuotedStr(""), "''");
  EXPECT_EQ(AnsiQuotedStr("say \"hi\"", '"'), "\"say \"\"hi\"\"\"");

  for (const AnsiString& text : {AnsiString(""), AnsiString("a\"b"), AnsiString("\"\""), kGakk + "\"" + kTtom}) {
    AnsiString quoted = AnsiQuotedStr(text, '"');
    std::string_view src = quoted;
    EXPECT_EQ(AnsiExtractQuotedStr(src, '"'), text);
    EXPECT_TRUE(src.empty());
    EXPECT_EQ(AnsiDequotedStr(quoted, '"'), text);
  }

  std::string_view rest = "\"a\"\"b\"|next";
  EXPECT_EQ(AnsiExtractQuotedStr(rest, '"'), "a\"b");
  EXPECT_EQ(rest, "|next");
  std::string_view unquoted = "plain";
  EXPECT_EQ(AnsiExtractQuotedStr(unquoted, '"'), "");
  EXPECT_EQ(unquoted, "plain");
  std::string_view unterminated = "\"open";
  EXPECT_EQ(AnsiExtractQuotedStr(unterminated, '"'), "open");
  EXPECT_TRUE(unterminated.empty());
  EXPECT_EQ(AnsiDequotedStr("\"a\"b", '"'), "\"a\"b");  // text after the quote: not a quoted string
}

TEST(SysUtilsStrings, AbortIsTheSilentException) {
  try {
    Abort();
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.ClassName(), "EAbort");
  }
  EConvertError error("'x' is not a valid integer value");
  const std::exception& base = error;
  EXPECT_STREQ(base.what(), "'x' is not a valid integer value");
}

}  // namespace
