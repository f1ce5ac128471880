// The filter condition language, one table of conditions against cell
// texts: operators, chaining, wildcards, negation, quoting, number and date
// comparisons in two locales, Korean text and conditions a user can type
// wrong. None of them may raise.
#include <gtest/gtest.h>

#include <string>

#include "grid/ExGridFilter.h"
#include "platform/rtl/Cp949.h"

namespace {

// Puts the process-wide locale back after a test changed it.
struct LocaleGuard {
  TFormatSettings saved = FormatSettings;
  ~LocaleGuard() { FormatSettings = saved; }
};

struct ConditionCase {
  std::string condition;
  std::string text;
  bool caseSensitive;
  bool expected;
};

std::ostream& operator<<(std::ostream& os, const ConditionCase& c) {
  return os << "condition [" << c.condition << "] text [" << c.text << "] caseSensitive "
            << c.caseSensitive;
}

// A Hangul syllable outside KS X 1001 whose trail byte is the letter "A"
// ("갂"), and the one whose trail byte is "a".
const std::string kTrailA = "\x81\x41";
const std::string kTrailSmallA = "\x81\x61";

const ConditionCase kConditions[] = {
    // plain text, trimming, the leading "="
    {"", "", true, true},
    {"", "abc", true, false},
    {"abc", "abc", true, true},
    {"  abc  ", "abc", true, true},
    {"=abc", "abc", true, true},
    {"= abc", "abc", true, true},
    {"abc", "abcd", true, false},
    {"abc", "ab", true, false},
    // case
    {"ABC", "abc", false, true},
    {"ABC", "abc", true, false},
    {"abc", "ABC", false, true},
    // wildcards
    {"*abc*", "xxabcxx", true, true},
    {"*abc*", "abc", true, true},
    {"*abc*", "abxc", true, false},
    {"a?c", "abc", true, true},
    {"a?c", "aXc", true, true},
    {"a?c", "ac", true, false},
    {"a?", "a", true, false},
    {"*", "", true, true},
    {"*", "anything at all", true, true},
    {"***a", "a", true, true},
    {"a*", "a", true, true},
    {"*a*b*c", "xaybzc", true, true},
    {"*a*b*c", "abcx", true, false},
    {"a*b*a", "aba", true, true},
    {"a*b*a", "ab", true, false},
    {"*ab", "aab", true, true},
    // escapes and quotes
    {"\\*", "*", true, true},
    {"\\*", "x", true, false},
    {"a\\?c", "a?c", true, true},
    {"a\\?c", "abc", true, false},
    {"\\!", "!", true, true},
    {"\"abc\"", "abc", true, true},
    {"\\", "\\", true, true},
    // negation
    {"!abc", "abc", true, false},
    {"!abc", "abd", true, true},
    {"!abc", "", true, true},
    {"ab!c", "abc", true, false},
    {"!*abc*", "xabcx", true, false},
    {"!*abc*", "xyz", true, true},
    // chaining: left to right, no precedence; ";" and "^" are "or"
    {"a|b", "b", true, true},
    {"a|b", "c", true, false},
    {"a&b", "a", true, false},
    {"*a*&*b*", "ab", true, true},
    {"a|b&c", "b", true, false},
    {"a|b&*", "b", true, true},
    {"a;b", "b", true, true},
    {"a^b", "a", true, true},
    {"a ^ b", "b", true, true},
    {"*x* | *y*", "y", true, true},
    // numbers (dot decimal, comma thousands)
    {">10", "9.5", true, false},
    {">10", "10.5", true, true},
    {">10", "10", true, false},
    {">=10", "10", true, true},
    {"> = 10", "10", true, true},
    {"<10", "10", true, false},
    {"<=10", "10", true, true},
    {"<10", "-3", true, true},
    {">1,000", "950", true, false},  // as bytes "950" would be greater
    {">1,000", "2,500", true, true},
    {">\"10\"", "11", true, true},
    {">10&<20", "15", true, true},
    {">10&<20", "25", true, false},
    // no number on one side: byte comparison
    {">b", "c", true, true},
    {">b", "a", true, false},
    {">=b", "b", true, true},
    // a false comparison falls through to the pattern, which holds the operator
    {"<10", "<10", true, true},
    // dates in the program's own format (yyyy-mm-dd)
    {"<2005-02-01", "2005-01-15", true, true},
    {"<2005-9-01", "2005-10-01", true, false},  // as bytes it would be less
    {">=2005-10-01", "2005-10-1", true, true},
    // Korean text
    {"*" + "영화"_k + "*", "좋은영화다"_k, true, true},
    {"*" + "영화"_k + "*", "좋은영다"_k, false, false},
    {"!" + "안본영화"_k, "안본영화"_k, false, false},
    {"!" + "안본영화"_k, "", false, true},
    {"?", "영"_k, true, true},
    {"??", "영"_k, true, false},
    {"?" + "화"_k, "영화"_k, true, true},
    {"제?"_k, "제목"_k, true, true},
    // never inside a two-byte character
    {"*A*", kTrailA, true, false},
    {"*A", kTrailA, true, false},
    {"?A", kTrailA, true, false},
    {"?", kTrailA, true, true},
    {kTrailA, kTrailA, true, true},
    {"*A*", kTrailSmallA, false, false},
    {kTrailA, kTrailSmallA, false, false},  // upper-casing leaves the trail byte alone
    {"ab" + kTrailA + "*", "AB" + kTrailA + "x", false, true},
    // conditions typed wrong: an answer, never an exception
    {">", "x", true, true},
    {">", "", true, false},
    {"<", "x", true, false},
    {"&", "", true, true},
    {"&", "x", true, false},
    {"a|", "a", true, true},
    {"|a", "b", true, false},
    {"!", "", true, false},
    {"!", "x", true, true},
    {"\"", "", true, true},
    {"&&|;^", "", true, true},
    {">=", "", true, true},
    {"<\"", "a", true, false},
    {"?*?", "a", true, false},
    {"?*?", "ab", true, true},
    {"\\", "", true, false},
};

class ConditionTable : public ::testing::TestWithParam<ConditionCase> {};

TEST_P(ConditionTable, ConditionDecidesTheText) {
  LocaleGuard guard;
  FormatSettings = TFormatSettings::Korean();
  const ConditionCase& c = GetParam();
  bool result = !c.expected;
  ASSERT_NO_THROW(result = MatchFilterExpression(c.condition, c.text, c.caseSensitive));
  EXPECT_EQ(result, c.expected);
}

INSTANTIATE_TEST_SUITE_P(Language, ConditionTable, ::testing::ValuesIn(kConditions));

TEST(FilterLanguage, CommaDecimalLocaleComparesNumbersItsWay) {
  LocaleGuard guard;
  FormatSettings = TFormatSettings::Korean();
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  EXPECT_FALSE(MatchFilterExpression(">10", "9,5", true));
  EXPECT_TRUE(MatchFilterExpression(">10", "10,5", true));
  EXPECT_TRUE(MatchFilterExpression(">1.000", "1.500", true));
  EXPECT_FALSE(MatchFilterExpression(">1.000", "999", true));
  EXPECT_TRUE(MatchFilterExpression("<=2,5", "2,50", true));
}

TEST(FilterLanguage, EnglishDatesCompareAsDatesOnlyWhenBothSidesParse) {
  LocaleGuard guard;
  FormatSettings = TFormatSettings::English();  // m/d/yyyy
  // As bytes "12/31/2004" is greater than "01/02/2005"; as dates it is earlier.
  EXPECT_TRUE(MatchFilterExpression("<01/02/2005", "12/31/2004", true));
  EXPECT_FALSE(MatchFilterExpression(">01/02/2005", "12/31/2004", true));
  // February 30th is no date: the texts are compared as bytes.
  EXPECT_TRUE(MatchFilterExpression(">02/30/2005", "12/31/2004", true));
}

TEST(FilterLanguage, LocalShortDatesAreTakenAsWritten) {
  LocaleGuard guard;
  FormatSettings = TFormatSettings::English();
  TDateTime date = -1;
  Word y, m, d;
  ASSERT_TRUE(ParseLocalShortDate("2/29/2004", date));
  DecodeDate(date, y, m, d);
  EXPECT_EQ(y, 2004);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 29);
  ASSERT_TRUE(ParseLocalShortDate("1/2/1999", date));
  DecodeDate(date, y, m, d);
  EXPECT_EQ(y, 1999);
  // Two-digit years get no century window.
  ASSERT_TRUE(ParseLocalShortDate("1/2/99", date));
  DecodeDate(date, y, m, d);
  EXPECT_EQ(y, 99);
  for (const char* bad : {"2/29/2005", "13/1/2005", "1/32/2005", "0/1/2005", "1/2", "1/2/3/4", "",
                          "a/b/c", "1//2005", "-1/2/2005", "1/2/99999", "1/2/4294967297"}) {
    EXPECT_FALSE(ParseLocalShortDate(bad, date)) << bad;
  }
  FormatSettings = TFormatSettings::Korean();  // yyyy-mm-dd
  ASSERT_TRUE(ParseLocalShortDate("2005-10-01", date));
  DecodeDate(date, y, m, d);
  EXPECT_EQ(m, 10);
  EXPECT_EQ(d, 1);
  EXPECT_FALSE(ParseLocalShortDate("10/01/2005", date));
}

// A synopsis-length text against many stars: trying every split of the text
// among the stars would not finish; each run is looked for once instead.
TEST(FilterLanguage, ManyStarsOnALongSynopsisFinish) {
  const std::string longText(200000, 'a');
  const std::string stars = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a";
  EXPECT_FALSE(MatchFilterExpression(stars + "*b", longText, true));
  EXPECT_TRUE(MatchFilterExpression(stars + "*", longText, true));
  EXPECT_TRUE(MatchFilterExpression(stars, longText, true));
  EXPECT_FALSE(MatchFilterExpression(stars + "b*", longText, false));
  std::string korean;
  for (int i = 0; i < 50000; ++i) korean += "영"_k;
  EXPECT_FALSE(MatchFilterExpression("*" + "영"_k + "*?*?*?*?*?*?*" + "화"_k, korean, true));
  EXPECT_TRUE(MatchFilterExpression("*?*?*?*?*?*?*" + "영"_k, korean, true));
}

TEST(FilterCollection, ColumnFilterFindsOrMakesTheColumnsItem) {
  TFilter filter(nullptr);
  TFilterData* first = filter.Add();
  first->SetColumn(3);
  first->SetCondition("a");
  EXPECT_EQ(filter.ColumnFilter(3), first);
  TFilterData* made = filter.ColumnFilter(5);
  EXPECT_EQ(filter.Count(), 2);
  EXPECT_EQ(made->Column(), 5);
  EXPECT_EQ(made->Condition(), "");
  EXPECT_TRUE(made->CaseSensitive());
  EXPECT_EQ(made->Operation(), foSHORT);

  first->SetOperation(foXOR);
  first->SetPrefix("$");
  first->SetCaseSensitive(false);
  made->Assign(first);
  EXPECT_EQ(made->Column(), 3);
  EXPECT_EQ(made->Condition(), "a");
  EXPECT_EQ(made->Prefix(), "$");
  EXPECT_FALSE(made->CaseSensitive());
  EXPECT_EQ(made->Operation(), foXOR);
}

}  // namespace
