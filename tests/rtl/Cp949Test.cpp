#include <gtest/gtest.h>

#include "platform/rtl/Cp949.h"

namespace {

// "가" is B0 A1 in code page 949; "똠" (8C 63) and "갂" (81 41) are
// extended syllables that EUC-KR lacks.
const std::string kGa = "\xB0\xA1";
const std::string kExtended = "\x81\x41\x8C\x63";

TEST(Cp949, KoreanRoundTripsThroughUtf8AndUtf16) {
  for (const std::string& s : {kGa, kExtended, std::string("abc") + kGa + "\r\n" + kExtended}) {
    EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8(s)), s);
    EXPECT_EQ(Utf16ToCp949(Cp949ToUtf16(s)), s);
  }
  EXPECT_EQ(Cp949ToUtf8(kGa), "가");
  EXPECT_EQ(Cp949ToUtf8("\x8C\x63"), "똠");
  EXPECT_EQ(Cp949ToUtf16("\x81\x41"), u"갂");
  EXPECT_EQ("영화"_k, Utf8ToCp949("영화"));
}

TEST(Cp949, MalformedInputIsReplacedNotThrown) {
  // A lone lead byte at the end, a lead byte before a control character.
  EXPECT_EQ(Cp949ToUtf8("a\xB0"), "a\xEF\xBF\xBD");
  EXPECT_EQ(Cp949ToUtf8("\xB0\x0D" "b"), "\xEF\xBF\xBD\rb");
  // A character without a code page 949 mapping becomes one "?".
  EXPECT_EQ(Utf8ToCp949("x😀y"), "x?y");
  EXPECT_EQ(Utf8ToCp949("x\xC3(y"), "x?(y");
  EXPECT_EQ(Utf16ToCp949(u"\U0001F600가"), "?" + kGa);
  EXPECT_EQ(Utf8ToUtf16("\xED\xA0\x80"), std::u16string(3, u'\uFFFD'));
  // A2 E8 has no mapping, and iconv swallows it before saying so: the
  // characters around it must survive, and a lone one must not throw.
  EXPECT_EQ(Cp949ToUtf8("a\xA2\xE8" "b\xB0\xA1"), "a\xEF\xBF\xBD" "b가");
  EXPECT_EQ(Cp949ToUtf16("\xA2\xE8"), u"\uFFFD");
  EXPECT_EQ(Cp949ToUtf8("\xA2\xE8\xA2\xE8"), "\xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(Cp949, AsciiPassesUnchanged) {
  std::string all;
  for (int c = 0; c < 128; ++c) all += static_cast<char>(c);
  EXPECT_EQ(Cp949ToUtf8(all), all);
  EXPECT_EQ(Utf8ToCp949(all), all);
  EXPECT_EQ(Utf16ToUtf8(Utf8ToUtf16("a😀b")), "a😀b");
}

}  // namespace
