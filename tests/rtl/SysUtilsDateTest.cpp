#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"
#include "tests/rtl/RtlTestSupport.h"

namespace {

// Puts the process locale and clock back whatever a test changed.
class SysUtilsDates : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = FormatSettings;
    // "Today" is 2026-03-15 14:30:05.250 for every test.
    SetClock([] { return EncodeDate(2026, 3, 15) + EncodeTime(14, 30, 5, 250); });
  }
  void TearDown() override {
    FormatSettings = saved_;
    SetClock(nullptr);
  }
  static std::string Ymd(TDateTime d) { return FormatDateTime("yyyy-mm-dd", d, TFormatSettings::Korean()); }
  TFormatSettings saved_;
};

TEST_F(SysUtilsDates, EncodeAndDecodeAgreeAcrossTheCalendar) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(1900, 1, 1), 2);
  EXPECT_EQ(EncodeDate(2000, 3, 1), 36586);
  EXPECT_EQ(EncodeDate(1, 1, 1), -693593);
  for (TDateTime d : {-693593.0, -1.0, 0.0, 59.0, 60.0, 36585.0, 36586.0, 2958465.0}) {
    Word y, m, day;
    DecodeDate(d, y, m, day);
    EXPECT_EQ(EncodeDate(y, m, day), d);
  }
  Word y, m, d;
  DecodeDate(EncodeDate(2024, 2, 29) + 0.75, y, m, d);
  EXPECT_EQ(y, 2024);
  EXPECT_EQ(m, 2);
  EXPECT_EQ(d, 29);
  // The fraction of a negative date counts forward from its day.
  Word h, n, s, ms;
  DecodeTime(-1.25, h, n, s, ms);
  EXPECT_EQ(h, 6);
  EXPECT_EQ(Ymd(-1.25), "1899-12-29");

  EXPECT_EQ(MessageOf([] { EncodeDate(2023, 2, 29); }), "Invalid argument to date encode");
  EXPECT_THROW(EncodeDate(0, 1, 1), EConvertError);
  EXPECT_THROW(EncodeDate(2024, 13, 1), EConvertError);
  EXPECT_THROW(EncodeTime(24, 0, 0, 0), EConvertError);
  EXPECT_TRUE(IsLeapYear(2000));
  EXPECT_FALSE(IsLeapYear(1900));
  EXPECT_EQ(DaysInAMonth(2024, 2), 29);
  EXPECT_EQ(DayOfWeek(EncodeDate(2026, 3, 15)), 1);  // a Sunday
  EXPECT_EQ(DayOfWeek(EncodeDate(1899, 12, 29)), 6);
}

TEST_F(SysUtilsDates, IncMonthClampsToTheEndOfTheMonth) {
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2025, 1, 31))), "2025-02-28");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 31))), "2024-02-29");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 3, 31), -1)), "2024-02-29");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 12, 15), 1)), "2025-01-15");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 1, 15), -13)), "2022-12-15");
  EXPECT_EQ(Ymd(IncMonth(EncodeDate(2024, 2, 29), 12)), "2025-02-28");
  // The time of day rides along.
  TDateTime t = IncMonth(EncodeDate(2025, 1, 31) + 0.5);
  EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn", t), "2025-02-28 12:00");
  EXPECT_THROW(IncMonth(EncodeDate(9999, 12, 1)), EConvertError);
}

TEST_F(SysUtilsDates, KoreanLocaleParsesAndFormats) {
  FormatSettings = TFormatSettings::Korean();
  TDateTime d = StrToDate("2024-05-03");
  EXPECT_EQ(d, EncodeDate(2024, 5, 3));
  EXPECT_EQ(DateToStr(d), "2024-05-03");
  EXPECT_EQ(StrToDate(" 2024-5-3 "), d);
  EXPECT_EQ(StrToDate("5-3"), EncodeDate(2026, 5, 3));  // month and day of this year

  // "yyyy-d-mmmm dddd": full month and weekday names of the locale.
  EXPECT_EQ(FormatDateTime("yyyy-d-mmmm dddd", d), "2024-3-5월 금요일"_k);
  EXPECT_EQ(FormatDateTime("mmm ddd", d), "5월 금"_k);
  EXPECT_EQ(FormatDateTime("dddddd", d), "2024년 5월 3일 금요일"_k);

  TDateTime afternoon = d + EncodeTime(15, 5, 9, 0);
  EXPECT_EQ(TimeToStr(afternoon), "오후 3:05:09"_k);
  EXPECT_EQ(FormatDateTime("t", afternoon), "오후 3:05"_k);
  EXPECT_EQ(FormatDateTime("hh:nn:ss", afternoon), "15:05:09");
  EXPECT_EQ(DateTimeToStr(afternoon), "2024-05-03 오후 3:05:09"_k);
  EXPECT_EQ(DateTimeToStr(d), "2024-05-03");
  EXPECT_EQ(TimeToStr(EncodeTime(0, 7, 0, 0)), "오전 12:07:00"_k);

  // What TimeToStr writes reads back.
  EXPECT_NEAR(StrToTime("오후 3:05:09"_k), EncodeTime(15, 5, 9, 0), 1e-9);
  EXPECT_NEAR(StrToTime("오전 12:07"_k), EncodeTime(0, 7, 0, 0), 1e-9);
  EXPECT_NEAR(StrToDateTime("2024-05-03 오후 3:05:09"_k), afternoon, 1e-9);
  EXPECT_NEAR(StrToDateTime("2024-05-03 15:05"), d + EncodeTime(15, 5, 0, 0), 1e-9);

  TDateTime out = 7;
  for (const char* bad : {"", "2024", "2024-13-01", "2024-02-30", "2024/05/03", "2024-05-03x", "-5-3",
                          "2024--05", "99999-1-1", "2024-05-03-01"}) {
    EXPECT_FALSE(TryStrToDate(bad, out)) << bad;
  }
  EXPECT_EQ(out, 7);
  EXPECT_EQ(MessageOf([] { StrToDate("2024-02-30"); }), "'2024-02-30' is not a valid date");
  EXPECT_EQ(MessageOf([] { StrToTime("25:00"); }), "'25:00' is not a valid time");
  EXPECT_EQ(MessageOf([] { StrToDateTime("soon"); }), "'soon' is not a valid date and time");
  EXPECT_EQ(StrToDateDef("x", -1), -1);
}

TEST_F(SysUtilsDates, EnglishLocaleReadsMonthFirst) {
  TFormatSettings en = TFormatSettings::English();
  TDateTime d;
  ASSERT_TRUE(TryStrToDate("5/3/2024", d, en));
  EXPECT_EQ(d, EncodeDate(2024, 5, 3));
  EXPECT_EQ(DateToStr(d, en), "5/3/2024");
  EXPECT_EQ(FormatDateTime("dddd, mmmm d, yyyy", d, en), "Friday, May 3, 2024");
  EXPECT_EQ(FormatDateTime("ddd mmm", d, en), "Fri May");
  EXPECT_EQ(FormatDateTime("h:nn am/pm", d + 0.75, en), "6:00 pm");
  EXPECT_EQ(FormatDateTime("h:nn A/P", d + 0.25, en), "6:00 A");
  EXPECT_EQ(FormatDateTime("tt", d + 0.75, en), "6:00:00 PM");
  EXPECT_FALSE(TryStrToDate("2024-05-03", d, en));
  TDateTime t;
  ASSERT_TRUE(TryStrToTime("6:30 pm", t, en));
  EXPECT_NEAR(t, EncodeTime(18, 30, 0, 0), 1e-9);
  EXPECT_FALSE(TryStrToTime("13:00 PM", t, en));

  // Day first, as a European locale writes it.
  TFormatSettings dmy = en;
  dmy.ShortDateFormat = "dd.mm.yyyy";
  dmy.DateSeparator = '.';
  ASSERT_TRUE(TryStrToDate("3.5.2024", d, dmy));
  EXPECT_EQ(d, EncodeDate(2024, 5, 3));
  EXPECT_EQ(DateToStr(d, dmy), "03.05.2024");
}

TEST_F(SysUtilsDates, OnlyTwoDigitYearsMoveThroughTheCenturyWindow) {
  FormatSettings = TFormatSettings::Korean();
  // Today is 2026 and the window 50 years: two-digit years fall in 1976..2075.
  EXPECT_EQ(Ymd(StrToDate("24-05-03")), "2024-05-03");
  EXPECT_EQ(Ymd(StrToDate("75-01-01")), "2075-01-01");
  EXPECT_EQ(Ymd(StrToDate("76-01-01")), "1976-01-01");
  EXPECT_EQ(Ymd(StrToDate("0-01-01")), "2000-01-01");
  // Written with four digits, a year is what it says.
  EXPECT_EQ(Ymd(StrToDate("0024-05-03")), "0024-05-03");
  EXPECT_EQ(Ymd(StrToDate("1924-05-03")), "1924-05-03");
  EXPECT_EQ(Ymd(StrToDate("2099-05-03")), "2099-05-03");
  EXPECT_EQ(Ymd(StrToDate("124-05-03")), "0124-05-03");

  FormatSettings.TwoDigitYearCenturyWindow = 0;  // no window: this century
  EXPECT_EQ(Ymd(StrToDate("99-01-01")), "2099-01-01");
}

TEST_F(SysUtilsDates, FormatDateTimeTokensAndQuotedText) {
  TDateTime v = EncodeDate(2007, 1, 9) + EncodeTime(8, 4, 3, 45);
  EXPECT_EQ(FormatDateTime("yy yyyy m mm d dd", v), "07 2007 1 01 9 09");
  EXPECT_EQ(FormatDateTime("h hh n nn s ss z zzz", v), "8 08 4 04 3 03 45 045");
  EXPECT_EQ(FormatDateTime("hh:mm", v), "08:04");  // m after h is the minute
  EXPECT_EQ(FormatDateTime("yyyy/mm/dd", v), "2007-01-09");  // "/" is the date separator
  EXPECT_EQ(FormatDateTime("'yyyy' \"mm\" yyyy", v), "yyyy mm 2007");
  EXPECT_EQ(FormatDateTime("yyyy\"년\" m\"월\""_k, v), "2007년 1월"_k);
  EXPECT_EQ(FormatDateTime("AMPM h", v), "오전 8"_k);
  // A Korean literal whose trail byte is a token letter is copied whole
  // ("갂" is 81 41, 'A'; "똠" is 8C 63, 'c').
  EXPECT_EQ(FormatDateTime("\x81\x41\x8C\x63 d", v), "\x81\x41\x8C\x63 9");
  EXPECT_EQ(FormatDateTime("", v), "2007-01-09 오전 8:04:03"_k);
  // A locale whose short format names itself stops instead of recursing forever.
  TFormatSettings loop = TFormatSettings::Korean();
  loop.ShortDateFormat = "ddddd";
  EXPECT_EQ(FormatDateTime("ddddd", v, loop), "");
}

TEST_F(SysUtilsDates, TheClockIsReplaceable) {
  EXPECT_EQ(Ymd(Now()), "2026-03-15");
  EXPECT_EQ(Date(), EncodeDate(2026, 3, 15));
  EXPECT_NEAR(Time(), EncodeTime(14, 30, 5, 250), 1e-9);
  SetClock(nullptr);
  TDateTime real = Now();
  EXPECT_NEAR(real, SystemNow(), 1.0 / 24);
  EXPECT_GT(real, EncodeDate(2020, 1, 1));
}

}  // namespace
