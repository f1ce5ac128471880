// The one code page 949 codec of the program. Every conversion between the
// in-memory 8-bit text and UTF-8 (files, names on disk) or UTF-16 (widgets,
// painting, wide cells) goes through here. Unmappable or malformed input is
// replaced, never thrown. The conversions are table-driven: the tables are
// built once, from glibc's iconv "CP949", at the first conversion of text
// that is not pure ASCII; every result is sized exactly before it is filled.
//
// Replacement rules: a lead byte (81..FE) and a trail byte form one
// character, replaced as a whole by U+FFFD when it has no mapping; any other
// byte at or above 0x80 is replaced alone, and a byte after a stray lead
// byte starts the next character. A character with no code page 949 form
// (malformed UTF-8 byte, lone surrogate) becomes one "?".
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

// For writers that place the UTF-8 form of code page 949 text straight into
// their own buffer: the exact byte count, then the bytes (dst must have room
// for Cp949Utf8Length(cp949) bytes; returns the end of what was written).
size_t Cp949Utf8Length(std::string_view cp949);
char* Cp949ToUtf8Into(std::string_view cp949, char* dst);

// Korean text in the sources is UTF-8; "영화"_k gives its code page 949 bytes.
// Keep hot-path literals in a static rather than converting on every call.
inline AnsiString operator""_k(const char* s, std::size_t n) { return Utf8ToCp949({s, n}); }
