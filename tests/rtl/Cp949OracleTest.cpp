// The code page 949 codec against glibc's iconv as an independent reference:
// every single byte, every two-byte code, every Unicode character, and
// random byte strings whose malformed parts must be replaced the same way.
#include <gtest/gtest.h>
#include <iconv.h>

#include <random>
#include <string>

#include "platform/rtl/Cp949.h"

namespace {

// Strict conversion of the whole input; nullopt-like "ok == false" when
// iconv refuses any of it.
struct IconvResult {
  bool ok = false;
  std::string bytes;
};

IconvResult Iconv(const char* to, const char* from, std::string_view in) {
  IconvResult r;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return r;
  std::string out(in.size() * 4 + 16, '\0');
  char* src = const_cast<char*>(in.data());
  size_t srcLeft = in.size();
  char* dst = out.data();
  size_t dstLeft = out.size();
  r.ok = iconv(cd, &src, &srcLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && srcLeft == 0 &&
         iconv(cd, nullptr, nullptr, &dst, &dstLeft) != static_cast<size_t>(-1);
  out.resize(out.size() - dstLeft);
  r.bytes = out;
  iconv_close(cd);
  return r;
}

std::string Utf8Of(char32_t cp) {
  if (cp < 0x10000) return Utf16ToUtf8(std::u16string(1, static_cast<char16_t>(cp)));
  cp -= 0x10000;
  const char16_t pair[2] = {static_cast<char16_t>(0xD800 + (cp >> 10)), static_cast<char16_t>(0xDC00 + (cp & 0x3FF))};
  return Utf16ToUtf8(std::u16string_view(pair, 2));
}

// One code page 949 character decoded by iconv alone: its UTF-8, or empty
// when iconv does not turn exactly these bytes into one character.
std::string ReferenceChar(std::string_view bytes) {
  const IconvResult r = Iconv("UTF-8", "CP949", bytes);
  if (!r.ok || r.bytes.empty()) return {};
  return r.bytes;
}

// The reference decoder: iconv per character, with the replacement rules
// written out: a lead byte and a trail byte form one character (replaced as
// a whole when unmapped); any other byte at or above 0x80 is replaced alone,
// and the byte after a stray lead byte starts the next character.
std::string ReferenceDecode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    size_t width = 1;
    if (IsLeadByte(c) && i + 1 < s.size() && IsTrailByte(static_cast<unsigned char>(s[i + 1])))
      width = 2;
    const std::string ch = ReferenceChar(s.substr(i, width));
    out += ch.empty() ? "\xEF\xBF\xBD" : ch;
    i += width;
  }
  return out;
}

TEST(Cp949Oracle, EveryCodeDecodesAsIconvDoes) {
  int mapped = 0;
  for (int b = 0x80; b <= 0xFF; ++b) {
    const std::string one(1, static_cast<char>(b));
    const std::string ref = ReferenceChar(one);
    EXPECT_EQ(Cp949ToUtf8(one), ref.empty() ? "\xEF\xBF\xBD" : ref) << "byte " << b;
  }
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int trail = 0x41; trail <= 0xFE; ++trail) {
      if (!IsTrailByte(static_cast<unsigned char>(trail))) continue;
      const std::string code{static_cast<char>(lead), static_cast<char>(trail)};
      const std::string ref = ReferenceChar(code);
      const std::string got = Cp949ToUtf8(code);
      ASSERT_EQ(got, ref.empty() ? "\xEF\xBF\xBD" : ref) << std::hex << lead << " " << trail;
      ASSERT_EQ(Cp949ToUtf16(code), Utf8ToUtf16(got)) << std::hex << lead << " " << trail;
      if (ref.empty()) continue;
      ++mapped;
      // Every mapped code comes back as itself both ways.
      ASSERT_EQ(Utf8ToCp949(got), code) << std::hex << lead << " " << trail;
      ASSERT_EQ(Utf16ToCp949(Utf8ToUtf16(got)), code) << std::hex << lead << " " << trail;
    }
  EXPECT_EQ(mapped, 17048);  // 8,822 extended syllables + the 8,226 KS X 1001 codes iconv maps
}

TEST(Cp949Oracle, EveryUnicodeCharacterEncodesAsIconvDoes) {
  for (char32_t cp = 0x80; cp <= 0x10FFFF; ++cp) {
    if (cp >= 0xD800 && cp <= 0xDFFF) continue;
    // Beyond the BMP only the planes iconv could know of are walked in full.
    if (cp > 0x1FFFF && cp < 0xE0000) cp = 0xE0000;
    if (cp > 0xE0FFF) break;
    const std::string utf8 = Utf8Of(cp);
    const IconvResult r = Iconv("CP949", "UTF-8", utf8);
    // No form at all, or nothing written (iconv drops tag characters): "?".
    const std::string expected = r.ok && !r.bytes.empty() ? r.bytes : "?";
    ASSERT_EQ(Utf8ToCp949(utf8), expected) << std::hex << static_cast<unsigned>(cp);
    ASSERT_EQ(Utf16ToCp949(Utf8ToUtf16(utf8)), expected) << std::hex << static_cast<unsigned>(cp);
  }
}

TEST(Cp949Oracle, RandomBytesAreReplacedAsTheReferenceDoes) {
  std::mt19937 rng(949);
  // Bytes drawn mostly from the interesting ranges: lead bytes, trail bytes,
  // the ASCII punctuation that cannot be a trail byte, and controls.
  static const char kPool[] =
      "\x81\x8C\xA1\xA2\xB0\xC9\xFE\xFF\x80\xC8\xA0\x41\x5A\x61\x7A\x5B\x5C\x60\x7B\x7C\x7F"
      "\x00\x0D\x20\x40\xE8\xA6\xAD\xC6\xD4";
  const std::string pool(kPool, sizeof kPool - 1);
  for (int round = 0; round < 3000; ++round) {
    std::string s(rng() % 24, '\0');
    for (char& c : s) c = rng() % 3 == 0 ? static_cast<char>(rng() % 256) : pool[rng() % pool.size()];
    const std::string expected = ReferenceDecode(s);
    ASSERT_EQ(Cp949ToUtf8(s), expected) << testing::PrintToString(s);
    ASSERT_EQ(Cp949ToUtf16(s), Utf8ToUtf16(expected)) << testing::PrintToString(s);
  }
}

// The reference encoder: a lead byte with all its continuation bytes is one
// character, converted by iconv or replaced by one "?"; any other byte at or
// above 0x80 is one "?".
std::string ReferenceEncode(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 && c < 0xF0 ? 3
                             : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (len == 1) {
      out += static_cast<char>(c);
      ++i;
      continue;
    }
    bool whole = len > 1 && i + len <= s.size();
    for (size_t k = 1; whole && k < len; ++k)
      whole = (static_cast<unsigned char>(s[i + k]) & 0xC0) == 0x80;
    if (!whole) {
      out += '?';
      ++i;
      continue;
    }
    const IconvResult r = Iconv("CP949", "UTF-8", s.substr(i, len));
    out += r.ok && !r.bytes.empty() ? r.bytes : "?";
    i += len;
  }
  return out;
}

TEST(Cp949Oracle, RandomUtf8IsReplacedAsTheReferenceDoes) {
  std::mt19937 rng(1949);
  const std::string pool =
      "a|\\\x7F\xC0\xC1\xC2\xDF\xE0\xEA\xED\xEF\xF0\xF4\xF5\xFF\x80\x9F\xA0\xB0\xBF\xB8\x80\xA1";
  for (int round = 0; round < 3000; ++round) {
    std::string s;
    const size_t length = rng() % 24;
    while (s.size() < length) {
      if (rng() % 3 == 0)
        s += Utf8Of(static_cast<char32_t>(0xAC00 + rng() % 11172));  // a syllable
      else
        s += pool[rng() % pool.size()];
    }
    ASSERT_EQ(Utf8ToCp949(s), ReferenceEncode(s)) << testing::PrintToString(s);
  }
  // Lead bytes beyond F4 start no character in either direction.
  EXPECT_EQ(Utf8ToUtf16("\xF5\x80\x80"), std::u16string(3, u'\uFFFD'));
  EXPECT_EQ(Utf8ToCp949("\xF8\x80\x80"), "???");
}

TEST(Cp949Oracle, ResultsHoldNoUnusedCapacity) {
  std::string korean;
  for (int i = 0; i < 40; ++i) korean += "\xB0\xA1" "a";  // beyond the inline buffer of a string
  const std::string utf8 = Cp949ToUtf8(korean);
  EXPECT_EQ(utf8.capacity(), utf8.size());
  const std::string back = Utf8ToCp949(utf8);
  EXPECT_EQ(back, korean);
  EXPECT_EQ(back.capacity(), back.size());
  std::string big;
  for (int i = 0; i < 5000; ++i) big += "\xB0\xA1";  // past the stack buffers: measured, then filled
  EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8(big)), big);
  EXPECT_EQ(Utf8ToCp949(Cp949ToUtf8(big)).capacity(), big.size());
  EXPECT_EQ(Utf16ToCp949(Cp949ToUtf16(big)), big);
}

TEST(Cp949Oracle, AStrayLeadByteKeepsTheCharacterAfterIt) {
  EXPECT_EQ(Cp949ToUtf8("\xB0\x7C"), "\xEF\xBF\xBD|");
  EXPECT_EQ(Cp949ToUtf8("\xC9\x7C" "A"), "\xEF\xBF\xBD|A");
  EXPECT_EQ(Cp949ToUtf16("\xB0\x7C"), u"\uFFFD|");
  EXPECT_EQ(Cp949ToUtf16("a\xFE\x7F\xB0\xA1"), u"a\uFFFD\x7F가");
  // Every punctuation byte that cannot be a trail byte survives every lead byte.
  for (int lead = 0x81; lead <= 0xFE; ++lead)
    for (int next : {0x5B, 0x5C, 0x5D, 0x5E, 0x5F, 0x60, 0x7B, 0x7C, 0x7D, 0x7E, 0x7F}) {
      const std::string in{static_cast<char>(lead), static_cast<char>(next)};
      ASSERT_EQ(Cp949ToUtf8(in), "\xEF\xBF\xBD" + std::string(1, static_cast<char>(next)));
    }
  // A list split on "|" keeps its elements in place.
  EXPECT_EQ(Cp949ToUtf8("a|\xB0|b"), "a|\xEF\xBF\xBD|b");
}

TEST(Cp949Oracle, CharactersWithoutAFormBecomeOneQuestionMark) {
  EXPECT_EQ(Utf8ToCp949("a\U000E0001b"), "a?b");
  EXPECT_EQ(Utf8ToCp949("\U000E007F\U000E0000"), "??");
  EXPECT_EQ(Utf16ToCp949(u"a\U000E0020가"), "a?\xB0\xA1");
  EXPECT_EQ(Utf8ToCp949("가\U0001F600\U000E0041나"), Utf8ToCp949("가") + "??" + Utf8ToCp949("나"));
}

}  // namespace
