#include "app/StrUnit.h"

#include <gtest/gtest.h>

#include "platform/rtl/SysUtils.h"

namespace {

struct Case {
  const char* input;
  AnsiString expected;
};

}  // namespace

TEST(StrUnit, ScoreBecomesStarsWithAHalfStarAboveHalfAPoint) {
  const Case cases[] = {
      {"9", "★★★★☆"_k},     // odd point: 1 + 0 > 0.5
      {"8.5", "★★★★"_k},      // 0 + 0.5 is not above a half
      {"8.6", "★★★★☆"_k},     // 0.6000004 in single precision
      {"9.5", "★★★★☆"_k},
      {"10", "★★★★★"_k},
      {"1", "☆"_k},
      {"2", "★"_k},
      {"0", ""},
      {" 7 ", "★★★☆"_k},
      {"11", "★★★★★☆"_k},
      {"12", ""},  // six full stars do not exist
      {"-3", ""},
      {"", ""},
      {"8점", ""},
      {"abc", ""},
      {"1e30", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RatingToStars(c.input), c.expected) << c.input;
}

TEST(StrUnit, StarsBecomeAScore) {
  const Case cases[] = {
      {"★★★★★", "10"},
      {"★★★★☆", "8.5"},
      {"★★★", "6"},
      {"☆", "0.5"},
      {"", "0"},
      {"네티즌 평점 ★★☆ (12명)", "4.5"},
  };
  for (const Case& c : cases) EXPECT_EQ(StarsToRating(Utf8ToCp949(c.input)), c.expected) << c.input;
}

TEST(StrUnit, StarsAreNotFoundAcrossTwoKoreanCharacters) {
  // "가" is B0 A1 and the Hanja that follows starts with DA: the bytes A1 DA
  // in between are those of "★" but belong to no such character.
  const AnsiString text = "\xB0\xA1\xDA\xA1";
  ASSERT_NE(text.find("★"_k), AnsiString::npos);
  EXPECT_EQ(StarsToRating(text), "0");
}

TEST(StrUnit, WholeScoresSurviveStarsAndBack) {
  for (const char* score : {"0", "2", "4", "6", "8", "10"})
    EXPECT_EQ(StarsToRating(RatingToStars(score)), score);
  EXPECT_EQ(StarsToRating(RatingToStars("9.5")), "8.5");
}

TEST(StrUnit, TitleBecomesAFileNameInThePosterFolder) {
  const Case cases[] = {
      {"a*b/c?d\\e|f", "a b c d e f"},
      {"  Alien  ", "Alien"},
      {"/etc/passwd", "etc passwd"},
      {"..", ""},
      {" . ", ""},
      {"../..", ".. .."},  // one harmless name, no separator left
      {"...jpg", "...jpg"},
      {"영화: 부제", "영화: 부제"},  // nothing but the listed characters changes
      {"a\tb\r\nc", "a b  c"},
  };
  for (const Case& c : cases) {
    const AnsiString input = Utf8ToCp949(c.input);
    EXPECT_EQ(SanitizeFileName(input), Utf8ToCp949(c.expected)) << c.input;
  }
  EXPECT_EQ(SanitizeFileName(std::string("a\0b", 3)), "a b") << "a NUL would cut the name";
}

TEST(StrUnit, PosterNameIsTheLastPartOfTheAddress) {
  const Case cases[] = {
      {"http://img.example.com/poster/2004/abc.jpg", "abc.jpg"},
      {"abc.jpg", "abc.jpg"},
      {"http://img.example.com/m.jpg?type=m77", "m.jpg"},
      {"http://img.example.com/m.jpg#top", "m.jpg"},
      {"http://x/p.jpg?next=/a/b/c.jpg", "p.jpg"},
      {"http://x/img/", ""},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(UrlFileName(c.input), c.expected) << c.input;
}

TEST(StrUnit, PosterNameFromAHostilePageNeverLeavesThePosterFolder) {
  const char* hostile[] = {
      "http://x/..",
      "http://x/.",
      "http://x/a/..\\..\\..\\home\\user\\.bashrc",
      "..\\..\\evil.jpg",
      "http://x/%2e%2e/..",
      "http://x/../../etc/passwd",
      "/",
      "http://x/a\\",
      "http://x/a|b*c?.jpg",
  };
  const AnsiString posterDir = "/home/user/posters";
  for (const char* url : hostile) {
    const AnsiString name = UrlFileName(url);
    SCOPED_TRACE(url);
    EXPECT_EQ(name.find('/'), AnsiString::npos);
    EXPECT_EQ(name.find('\\'), AnsiString::npos);
    EXPECT_NE(name, ".");
    EXPECT_NE(name, "..");
    if (!name.empty()) {
      EXPECT_EQ(ExtractFilePath(posterDir + "/" + name), posterDir + "/");
    }
  }
  EXPECT_EQ(UrlFileName("http://x/a/..\\..\\evil.jpg"), "evil.jpg");
}

TEST(StrUnit, TagsAreDroppedAndOtherAngleBracketsKept) {
  const Case cases[] = {
      {"a < b <i>c</i>", "a < b c"},
      {"<b>영화</b> 제목", "영화 제목"},
      {"1<2 and 3>2", "1<2 and 3>2"},
      {"<!-- note -->text", "<!-- note -->text"},
      {"<A href=\"x\">link</A><br/>", "link"},
      {"end <b", "end "},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(StripHtmlTags(Utf8ToCp949(c.input)), Utf8ToCp949(c.expected)) << c.input;
}

TEST(StrUnit, TextBetweenMarkersIsTrimmedAndNeedsBothInOrder) {
  struct Between {
    const char* text;
    const char* start;
    const char* end;
    const char* expected;
  };
  const Between cases[] = {
      {"a<b>c</b>", "<b>", "</b>", "c"},
      {"x</b>a<b>c", "<b>", "</b>", ""},  // the end marker comes first
      {"[ver] 1.2.3 \r\n[/ver]", "[ver]", "[/ver]", "1.2.3"},
      {"[제목]  괴물 [/제목][감독]봉준호[/감독]", "[감독]", "[/감독]", "봉준호"},
      {"<b>x", "<b>", "</b>", ""},
      {"x</b>", "<b>", "</b>", ""},
      {"<b></b>", "<b>", "</b>", ""},
      {"abc", "ab", "bc", ""},  // the end marker overlaps the start marker
      {"abc", "", "c", ""},
  };
  for (const Between& c : cases)
    EXPECT_EQ(TextBetween(Utf8ToCp949(c.text), Utf8ToCp949(c.start), Utf8ToCp949(c.end)),
              Utf8ToCp949(c.expected))
        << c.text;
}

TEST(StrUnit, MarkersAreNotFoundInsideAKoreanCharacter) {
  // "가가" is B0 A1 B0 A1: the bytes A1 B0 in its middle are the bytes of a
  // marker character, which really occurs only later.
  const AnsiString marker = "\xA1\xB0";
  EXPECT_EQ(TextBetween("\xB0\xA1\xB0\xA1x\xA1\xB0" "abcy", marker, "y"), "abc");
  EXPECT_EQ(TextBetween("\xB0\xA1\xB0\xA1xm\xA1\xB0", "x", marker), "m");
}
