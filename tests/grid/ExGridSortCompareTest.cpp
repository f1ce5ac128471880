// The comparisons behind every sort style, as one table: numbers with
// separators, dates in two locales, Korean text, blanks, mark-up and wide
// cells; then the recognition of number and date texts that the automatic
// style is made of.
#include <gtest/gtest.h>

#include "grid/ExGridSort.h"
#include "grid/ExHtml.h"
#include "grid/ExUtil.h"
#include "tests/rtl/RtlTestSupport.h"

namespace {

TFormatSettings SlashLocale() {
  TFormatSettings fs = TFormatSettings::English();
  fs.DateSeparator = '/';
  fs.TimeSeparator = ':';
  fs.ThousandSeparator = ',';
  fs.DecimalSeparator = '.';
  return fs;
}

TFormatSettings GermanNumbers() {
  TFormatSettings fs = TFormatSettings::Korean();
  fs.ThousandSeparator = '.';
  fs.DecimalSeparator = ',';
  return fs;
}

enum class Loc { Korean, Slash, German };

struct CompareCase {
  const char* name;
  Loc locale;
  TSortStyle style;
  AnsiString t1;
  AnsiString t2;
  int expected;
  const char* prefix = "";
  const char* suffix = "";
};

std::vector<CompareCase> CompareCases() {
  const AnsiString ga = "가"_k, na = "나"_k, title1 = "가을 동화"_k, title2 = "가을의 전설"_k;
  return {
      // byte order
      {"alphabetic_bytes", Loc::Korean, ssAlphabetic, "B", "a", -1},
      {"alphabetic_equal", Loc::Korean, ssAlphaCase, "abc", "abc", 0},
      {"alphabetic_korean", Loc::Korean, ssAlphabetic, ga, na, -1},
      {"alphabetic_korean_prefix_first", Loc::Korean, ssAlphabetic, title1, title2, -1},
      {"alphabetic_blank_before_text", Loc::Korean, ssAlphabetic, "", "a", -1},
      // case folding of single-byte letters only
      {"nocase_ascii", Loc::Korean, ssAlphaNoCase, "abc", "ABC", 0},
      {"nocase_keeps_trail_bytes", Loc::Korean, ssAlphaNoCase, "\x81\x61", "\x81\x41", 1},
      {"ansi_nocase_ascii", Loc::Korean, ssAnsiAlphaNoCase, "a", "B", -1},
      {"ansi_case_korean", Loc::Korean, ssAnsiAlphaCase, na, ga, 1},
      {"ansi_nocase_korean_after_ascii", Loc::Korean, ssAnsiAlphaNoCase, ga, "z", 1},
      // numbers
      {"numeric_by_value", Loc::Korean, ssNumeric, "9", "10", -1},
      {"numeric_negative", Loc::Korean, ssNumeric, "-5", "3", -1},
      {"numeric_blank_is_zero", Loc::Korean, ssNumeric, "", "0", 0},
      {"numeric_blank_below_positive", Loc::Korean, ssNumeric, "", "9", -1},
      {"numeric_grouped_thousands", Loc::Korean, ssNumeric, "1,234", "999", 1},
      {"numeric_fraction", Loc::Korean, ssNumeric, "2.5", "2.25", 1},
      {"numeric_two_non_numbers_tie", Loc::Korean, ssNumeric, "abc", "xyz", 0},
      {"numeric_prefix_suffix", Loc::Korean, ssNumeric, "$10 kg", "$9 kg", 1, "$", " kg"},
      {"numeric_german_decimal_comma", Loc::German, ssNumeric, "2,5", "2,25", 1},
      {"numeric_german_grouping", Loc::German, ssNumeric, "1.234,5", "999", 1},
      {"financial_drops_every_separator", Loc::Korean, ssFinancial, "1,234,567", "999,999", 1},
      // the automatic style judges by the first text
      {"automatic_numbers", Loc::Korean, ssAutomatic, "10", "9", 1},
      {"automatic_text", Loc::Korean, ssAutomatic, "abc", "abd", -1},
      {"automatic_two_separators_is_text", Loc::Korean, ssAutomatic, "1,234,567", "2", -1},
      {"automatic_iso_dates", Loc::Korean, ssAutomatic, "2003-01-10", "2003-01-02", 1},
      {"automatic_slash_dates", Loc::Slash, ssAutomatic, "1/2/2003", "12/1/2002", 1},
      {"automatic_times", Loc::Slash, ssAutomatic, "9:30", "10:00", -1},
      // dates in two locales
      {"date_korean", Loc::Korean, ssDate, "2003-01-02", "2003-01-10", -1},
      {"date_slash", Loc::Slash, ssDate, "12/31/2002", "1/1/2003", -1},
      {"date_invalid_is_zero", Loc::Korean, ssDate, "xx", "", 0},
      {"datetime_slash", Loc::Slash, ssDateTime, "1/2/2003 10:00", "1/2/2003 9:00", 1},
      {"time_slash", Loc::Slash, ssTime, "12:30", "9:15", 1},
      {"short_eu_two_digit_years", Loc::Korean, ssShortDateEU, "31.12.99", "1-2-03", -1},
      {"short_eu_four_digit_year_kept", Loc::Korean, ssShortDateEU, "1.1.1999", "1.1.05", -1},
      {"short_eu_window_edge", Loc::Korean, ssShortDateEU, "1.1.26", "1.1.25", -1},
      {"short_us_two_digit_year", Loc::Korean, ssShortDateUS, "12/31/99", "1/1/2000", -1},
      {"short_us_invalid_is_zero", Loc::Korean, ssShortDateUS, "13/45/99", "", 0},
      // mark-up and wide cells
      {"html_plain_text", Loc::Korean, ssHTML, "<b>b</b>", "a", 1},
      {"html_tags_ignored", Loc::Korean, ssHTML, "<i>x</i>", "x", 0},
      {"unicode_hangul_order", Loc::Korean, ssUnicode, WideToUnicodeCell(u"가"), WideToUnicodeCell(u"나"), -1},
      {"unicode_ignores_case", Loc::Korean, ssUnicode, WideToUnicodeCell(u"ABC"), "abc", 0},
      // styles that need the grid's handlers give 0 on texts alone
      {"custom_without_handler", Loc::Korean, ssCustom, "a", "b", 0},
  };
}

class SortCompareTable : public ::testing::TestWithParam<CompareCase> {};

TEST_P(SortCompareTable, ComparesAsTheStyleReads) {
  const CompareCase& c = GetParam();
  const TFormatSettings fs = c.locale == Loc::Slash    ? SlashLocale()
                             : c.locale == Loc::German ? GermanNumbers()
                                                       : TFormatSettings::Korean();
  LocaleScope scope(fs);
  EXPECT_EQ(CompareTextsByStyle(c.style, c.t1, c.t2, c.prefix, c.suffix), c.expected);
  // Swapping the texts reverses the answer, except where the automatic
  // style would judge by the other text.
  if (c.style != ssAutomatic) {
    EXPECT_EQ(CompareTextsByStyle(c.style, c.t2, c.t1, c.prefix, c.suffix), -c.expected);
  }
}

INSTANTIATE_TEST_SUITE_P(Styles, SortCompareTable, ::testing::ValuesIn(CompareCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SortRecognition, NumberTextKindsWithThousandSeparators) {
  LocaleScope scope(TFormatSettings::Korean());
  EXPECT_EQ(NumberTextKind("-12"), 0);
  EXPECT_EQ(NumberTextKind("-"), 0);
  EXPECT_EQ(NumberTextKind("1,234"), 1);
  EXPECT_EQ(NumberTextKind("12.5"), 1);
  EXPECT_EQ(NumberTextKind("1,234,567"), 2) << "two thousand separators";
  EXPECT_EQ(NumberTextKind(",123"), 2) << "a separator at position 1";
  EXPECT_EQ(NumberTextKind("1.2.3"), 2);
  EXPECT_EQ(NumberTextKind("12-3"), 2);
  EXPECT_EQ(NumberTextKind("--1"), 2);
  EXPECT_EQ(NumberTextKind(""), 2);
  EXPECT_EQ(NumberTextKind("영화"_k), 2);
}

TEST(SortRecognition, AutomaticStyleWithSlashAndColon) {
  LocaleScope scope(SlashLocale());
  EXPECT_EQ(AutomaticStyleOf("12:30"), ssTime);
  EXPECT_EQ(AutomaticStyleOf("1/2/2003"), ssDate);
  EXPECT_EQ(AutomaticStyleOf("1/2/2003 10:00"), ssDateTime);
  EXPECT_EQ(AutomaticStyleOf("abc/1"), ssAlphabetic);
  EXPECT_EQ(AutomaticStyleOf("a/2/2003"), ssAlphabetic);
  EXPECT_EQ(AutomaticStyleOf("1,234"), ssNumeric);
  EXPECT_EQ(AutomaticStyleOf("1,234,567"), ssAlphabetic);
}

TEST(SortRecognition, ShortDatesPlaceOnlyTwoDigitYearsByTheWindow) {
  TDateTime d = 0;
  ASSERT_TRUE(ParseShortDateEU("31.12.99", d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 31));
  ASSERT_TRUE(ParseShortDateEU("1-2-03", d));
  EXPECT_EQ(d, EncodeDate(2003, 2, 1));
  ASSERT_TRUE(ParseShortDateUS("12/31/99", d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 31));
  ASSERT_TRUE(ParseShortDateEU("31.12.1999", d));
  EXPECT_EQ(d, EncodeDate(1999, 12, 31)) << "a four-digit year is taken as written";
  ASSERT_TRUE(ParseShortDateUS("2/29/2000", d));
  EXPECT_EQ(d, EncodeDate(2000, 2, 29));
  ASSERT_TRUE(ParseShortDateUS("1/1/25", d));
  EXPECT_EQ(d, EncodeDate(2025, 1, 1));
  ASSERT_TRUE(ParseShortDateUS("1/1/26", d));
  EXPECT_EQ(d, EncodeDate(1926, 1, 1));
  EXPECT_FALSE(ParseShortDateUS("2/30/2001", d));
  EXPECT_FALSE(ParseShortDateEU("31.12", d));
  EXPECT_FALSE(ParseShortDateEU("a.b.c", d));
  EXPECT_FALSE(ParseShortDateEU("", d));
}

TEST(SortRecognition, BlanksGoFirstOrLastInEitherDirection) {
  for (TSortDirection dir : {sdAscending, sdDescending}) {
    // With blLast a blank must follow in the sort's own direction.
    const int s = SortSign(dir);
    EXPECT_EQ(PlaceBlanks(-s, true, false, dir, blLast), s) << "blank row1 moves past row2";
    EXPECT_EQ(PlaceBlanks(s, false, true, dir, blLast), -s);
    EXPECT_EQ(PlaceBlanks(s, true, false, dir, blFirst), -s);
    EXPECT_EQ(PlaceBlanks(1, true, true, dir, blLast), 1) << "two blanks keep the style's answer";
    EXPECT_EQ(PlaceBlanks(-1, false, false, dir, blFirst), -1);
  }
}

TEST(SortRecognition, MarkupPlainText) {
  EXPECT_EQ(HtmlToPlainText("a<BR>b<hr>c"), "a\r\nb\r\nc");
  EXPECT_EQ(HtmlToPlainText("<font color=red>x</font>"), "x");
  EXPECT_EQ(HtmlToPlainText("1 < 2"), "1 < 2");
}

}  // namespace
