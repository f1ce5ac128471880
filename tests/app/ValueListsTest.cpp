// The value lists the program ships in Config/: what a Korean user expects
// to pick from, in the code page and line ends the program reads and
// writes them with.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "platform/rtl/Classes.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "tests/app/AppTestSupport.h"

namespace {

AnsiString ShippedList(const char* name) {
  return FromSysFileName(VIDRENA_APP_FOLDER) + "/Config/" + Utf8ToCp949(name);
}

// The list's lines, read as the program reads them.
std::vector<AnsiString> Lines(const char* name) {
  TStringList list;
  list.LoadFromFile(ShippedList(name));
  std::vector<AnsiString> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Strings(i));
  return lines;
}

}  // namespace

TEST(ShippedValueLists, EachIsAFewDozenDistinctValuesInCodePage949WithCrLf) {
  for (const char* name : {"관람등급.List", "영화장르.List", "제작국가.List", "언어.List", "화질.List", "릴.List"}) {
    SCOPED_TRACE(name);
    const AnsiString bytes = ReadTextFile(ShippedList(name));
    ASSERT_FALSE(bytes.empty());
    // Every line ends with CR LF, and the bytes are code page 949 that
    // survives a round trip (UTF-8 on disk would not).
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), std::count(bytes.begin(), bytes.end(), '\r'));
    EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8(bytes)), bytes);
    EXPECT_EQ(Cp949ToUtf8(bytes).find("\xEF\xBF\xBD"), std::string::npos);  // no replacement character
    const std::vector<AnsiString> lines = Lines(name);
    EXPECT_GE(lines.size(), 3u);
    EXPECT_LE(lines.size(), 40u);
    EXPECT_EQ(std::set<AnsiString>(lines.begin(), lines.end()).size(), lines.size());
    for (const AnsiString& line : lines) EXPECT_EQ(Trim(line), line);
    EXPECT_TRUE(std::none_of(lines.begin(), lines.end(), [](const AnsiString& l) { return l.empty(); }));
  }
}

TEST(ShippedValueLists, RatingsAreSpeltAsThePortalsWriteThemAndTheOthersCoverTheCommonCases) {
  const std::vector<AnsiString> ratings = Lines("관람등급.List");
  for (const char* rating : {"전체관람가", "12세관람가", "15세관람가", "청소년관람불가"})
    EXPECT_NE(std::find(ratings.begin(), ratings.end(), Utf8ToCp949(rating)), ratings.end()) << rating;
  const auto has = [](const char* list, const char* value) {
    const std::vector<AnsiString> lines = Lines(list);
    return std::find(lines.begin(), lines.end(), Utf8ToCp949(value)) != lines.end();
  };
  for (const char* genre : {"드라마", "코미디", "액션", "스릴러", "공포", "애니메이션", "SF", "다큐멘터리"})
    EXPECT_TRUE(has("영화장르.List", genre)) << genre;
  for (const char* country : {"한국", "미국", "일본", "중국", "홍콩", "프랑스", "영국"})
    EXPECT_TRUE(has("제작국가.List", country)) << country;
  for (const char* language : {"한국어", "영어", "일본어", "중국어", "프랑스어"})
    EXPECT_TRUE(has("언어.List", language)) << language;
  for (const char* quality : {"DVDRIP", "SVCD", "DVDSCR", "HDTV", "BDRIP", "WEB-DL", "1080P"})
    EXPECT_TRUE(has("화질.List", quality)) << quality;
}
