// The one code page 949 codec of the program. Every conversion between the
// in-memory 8-bit text and UTF-8 (files, names on disk) or UTF-16 (widgets,
// painting, wide cells) goes through here. Unmappable or malformed input is
// replaced, never thrown; ASCII-only text is copied without calling iconv.
#pragma once

#include "platform/rtl/Types.h"

// Replacement for a byte sequence that has no mapping.
inline constexpr char kCp949Replacement = '?';
inline constexpr char16_t kUtf16Replacement = u'\uFFFD';

AnsiString Utf8ToCp949(std::string_view utf8);
std::string Cp949ToUtf8(std::string_view cp949);
WideString Cp949ToUtf16(std::string_view cp949);
AnsiString Utf16ToCp949(std::u16string_view utf16);
std::string Utf16ToUtf8(std::u16string_view utf16);
WideString Utf8ToUtf16(std::string_view utf8);

// True for bytes that start a two-byte character (0x81..0xFE).
inline bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }
// True for bytes that can follow a lead byte (41..5A, 61..7A, 81..FE); any
// other byte after a lead byte starts the next character.
inline bool IsTrailByte(unsigned char c) {
  return (c >= 0x41 && c <= 0x5A) || (c >= 0x61 && c <= 0x7A) || (c >= 0x81 && c <= 0xFE);
}
bool IsPureAscii(std::string_view s);

// Korean text in the sources is UTF-8; "영화"_k gives its code page 949 bytes.
// Keep hot-path literals in a static rather than converting on every call.
inline AnsiString operator""_k(const char* s, std::size_t n) { return Utf8ToCp949({s, n}); }
