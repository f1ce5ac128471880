#include "platform/rtl/Cp949.h"

#include <iconv.h>

#include <algorithm>
#include <memory>

// Sections:
//   Tables ..... built once from iconv: two-byte codes -> UTF-16, UTF-16 -> codes
//   Walkers .... one character at a time, in the replacement rules of the header
//   Public ..... the conversions, each sized exactly before it is filled

namespace {

// ------------------------------------------------------------------ tables

constexpr unsigned kFirstLead = 0x81;
constexpr unsigned kLeadCount = 0xFE - 0x81 + 1;
constexpr unsigned kFirstTrail = 0x41;
constexpr unsigned kTrailCount = 0xFE - 0x41 + 1;
constexpr char16_t kNoChar = 0;  // no two-byte code or high byte maps to U+0000

struct Cp949Tables {
  // Two-byte code -> character, kNoChar when unmapped.
  char16_t Double[kLeadCount * kTrailCount];
  // Byte 80..FF alone -> character, kNoChar when unmapped.
  char16_t Single[0x80];
  // Character of the BMP -> code: 0 when it has none, below 0x100 a single
  // byte, else lead byte * 256 + trail byte.
  std::uint16_t Encode[0x10000];
  // The same decodings as UTF-8: the bytes from the low end, the count in
  // the top byte (U+FFFD's form where unmapped). A two-byte code's entry
  // is 0 where the second byte cannot be a trail byte.
  std::uint32_t DoubleUtf8[kLeadCount * kTrailCount];
  std::uint32_t SingleUtf8[0x80];
};

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Iconv() {
    if (ok()) iconv_close(cd_);
  }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  // Strict conversion of all of in; the bytes written, or -1.
  long Convert(const char* in, size_t inSize, char* out, size_t outSize) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* src = const_cast<char*>(in);
    char* dst = out;
    size_t dstLeft = outSize;
    if (iconv(cd_, &src, &inSize, &dst, &dstLeft) == static_cast<size_t>(-1) || inSize != 0) return -1;
    if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<size_t>(-1)) return -1;
    return static_cast<long>(outSize - dstLeft);
  }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// One code page 949 sequence as one BMP character, or kNoChar when iconv
// does not turn exactly these bytes into exactly one character.
char16_t DecodeOne(Iconv& cv, const char* bytes, size_t n) {
  char out[8];
  if (cv.Convert(bytes, n, out, sizeof out) != 2) return kNoChar;
  const auto c = static_cast<char16_t>(static_cast<unsigned char>(out[0]) |
                                       (static_cast<unsigned char>(out[1]) << 8));
  return c >= 0xD800 && c <= 0xDFFF ? kNoChar : c;
}

inline char* PutUtf8(char16_t u, char* d) {
  if (u < 0x80) {
    *d++ = static_cast<char>(u);
  } else if (u < 0x800) {
    *d++ = static_cast<char>(0xC0 | (u >> 6));
    *d++ = static_cast<char>(0x80 | (u & 0x3F));
  } else {
    *d++ = static_cast<char>(0xE0 | (u >> 12));
    *d++ = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    *d++ = static_cast<char>(0x80 | (u & 0x3F));
  }
  return d;
}

const Cp949Tables* BuildTables() {
  auto* t = new Cp949Tables{};
  Iconv dec("UTF-16LE", "CP949");
  if (dec.ok()) {
    for (unsigned b = 0x80; b <= 0xFF; ++b) {
      const char one = static_cast<char>(b);
      t->Single[b - 0x80] = DecodeOne(dec, &one, 1);
    }
    for (unsigned lead = 0; lead < kLeadCount; ++lead)
      for (unsigned trail = 0; trail < kTrailCount; ++trail) {
        if (!IsTrailByte(static_cast<unsigned char>(kFirstTrail + trail))) continue;
        const char code[2] = {static_cast<char>(kFirstLead + lead), static_cast<char>(kFirstTrail + trail)};
        t->Double[lead * kTrailCount + trail] = DecodeOne(dec, code, 2);
      }
  }
  auto utf8 = [](char16_t u) {
    if (u == kNoChar) u = 0xFFFD;
    char bytes[4] = {};
    const size_t n = static_cast<size_t>(PutUtf8(u, bytes) - bytes);
    std::uint32_t packed = static_cast<std::uint32_t>(n) << 24;
    for (size_t k = 0; k < n; ++k) packed |= std::uint32_t{static_cast<unsigned char>(bytes[k])} << (8 * k);
    return packed;
  };
  for (unsigned b = 0; b < 0x80; ++b) t->SingleUtf8[b] = utf8(t->Single[b]);
  for (unsigned lead = 0; lead < kLeadCount; ++lead)
    for (unsigned trail = 0; trail < kTrailCount; ++trail)
      if (IsTrailByte(static_cast<unsigned char>(kFirstTrail + trail)))
        t->DoubleUtf8[lead * kTrailCount + trail] = utf8(t->Double[lead * kTrailCount + trail]);
  // iconv's CP949 encodes each character to the code that decodes to it
  // (the codec's tests hold this against iconv for every character), so
  // the encoding table is the decoding one inverted: no second pass of
  // 64K iconv calls at start.
  for (unsigned lead = 0; lead < kLeadCount; ++lead)
    for (unsigned trail = 0; trail < kTrailCount; ++trail) {
      const char16_t u = t->Double[lead * kTrailCount + trail];
      if (u != kNoChar && t->Encode[u] == 0)
        t->Encode[u] = static_cast<std::uint16_t>((kFirstLead + lead) << 8 | (kFirstTrail + trail));
    }
  for (unsigned b = 0; b < 0x80; ++b)
    if (t->Single[b] != kNoChar && t->Encode[t->Single[b]] == 0) t->Encode[t->Single[b]] = static_cast<std::uint16_t>(0x80 + b);
  for (unsigned c = 0; c < 0x80; ++c) t->Encode[c] = static_cast<std::uint16_t>(c);
  return t;
}

const Cp949Tables& Tables() {
  static const Cp949Tables& t = *BuildTables();
  return t;
}

// ------------------------------------------------------------------ walkers

constexpr char16_t kFffd = 0xFFFD;

// Decodes the character at s[i], returning it and advancing i.
inline char16_t NextCp949(const Cp949Tables& t, const unsigned char* s, size_t n, size_t& i) {
  const unsigned char c = s[i];
  if (c < 0x80) {
    ++i;
    return c;
  }
  if (IsLeadByte(c) && i + 1 < n && IsTrailByte(s[i + 1])) {
    const char16_t u = t.Double[(c - kFirstLead) * kTrailCount + (s[i + 1] - kFirstTrail)];
    i += 2;
    return u == kNoChar ? kFffd : u;
  }
  ++i;
  const char16_t u = t.Single[c - 0x80];
  return u == kNoChar ? kFffd : u;
}

inline size_t Utf8Width(char16_t u) { return u < 0x80 ? 1 : u < 0x800 ? 2 : 3; }

// Length of the UTF-8 sequence that starts with c, 1 for a stray byte.
size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0 && c < 0xF0) return 3;
  if (c >= 0xC2 && c < 0xE0) return 2;
  return 1;
}

// The code of the UTF-8 character at s[i] (0 when it has none: "?"),
// advancing i. A lead byte with all its continuation bytes is one character
// even when it is overlong, a surrogate or beyond U+10FFFF; anything else
// is one stray byte.
inline std::uint16_t NextUtf8Code(const Cp949Tables& t, const unsigned char* s, size_t n, size_t& i) {
  const unsigned char c = s[i];
  if (c < 0x80) {
    ++i;
    return c;
  }
  // Hangul and most of the rest of the code page: three bytes.
  if ((c & 0xF0) == 0xE0 && i + 2 < n && (s[i + 1] & 0xC0) == 0x80 && (s[i + 2] & 0xC0) == 0x80) {
    const char32_t cp = (char32_t{c & 0x0Fu} << 12) | (char32_t{s[i + 1] & 0x3Fu} << 6) | (s[i + 2] & 0x3Fu);
    i += 3;
    return cp >= 0x800 ? t.Encode[cp] : 0;
  }
  const size_t len = Utf8SequenceLength(c);
  if (len == 1 || i + len > n) {
    ++i;
    return 0;
  }
  char32_t cp = c & (0xFF >> (len + 1));
  for (size_t k = 1; k < len; ++k) {
    if ((s[i + k] & 0xC0) != 0x80) {
      ++i;
      return 0;
    }
    cp = (cp << 6) | (s[i + k] & 0x3F);
  }
  i += len;
  // Nothing beyond the BMP has a code; overlong forms are not characters.
  if (len == 4 || (len == 3 && cp < 0x800)) return 0;
  return t.Encode[cp];
}

// The code of the UTF-16 character at s[i], advancing i; a surrogate pair
// is one character (none of which has a code), a lone surrogate too.
inline std::uint16_t NextUtf16Code(const Cp949Tables& t, const char16_t* s, size_t n, size_t& i) {
  const char16_t c = s[i++];
  if (c < 0x80) return c;
  if (c >= 0xD800 && c <= 0xDBFF && i < n && s[i] >= 0xDC00 && s[i] <= 0xDFFF) {
    ++i;
    return 0;
  }
  if (c >= 0xD800 && c <= 0xDFFF) return 0;
  return t.Encode[c];
}

inline size_t CodeWidth(std::uint16_t code) { return code >= 0x100 ? 2 : 1; }

inline char* PutCode(std::uint16_t code, char* d) {
  if (code == 0) {
    *d++ = kCp949Replacement;
  } else if (code >= 0x100) {
    *d++ = static_cast<char>(code >> 8);
    *d++ = static_cast<char>(code & 0xFF);
  } else {
    *d++ = static_cast<char>(code);
  }
  return d;
}

// Runs a conversion whose output has at most bound units: small inputs go
// through a buffer on the stack and are copied once at their exact size,
// large ones are measured by a first pass (measure) and filled in place.
template <typename Out, size_t kStack, typename Measure, typename Fill>
Out ExactlySized(size_t bound, Measure measure, Fill fill) {
  using Unit = typename Out::value_type;
  if (bound <= kStack) {
    Unit buf[kStack];
    Unit* end = fill(buf);
    return Out(buf, static_cast<size_t>(end - buf));
  }
  Out out(measure(), Unit{});
  fill(out.data());
  return out;
}

}  // namespace

// ------------------------------------------------------------------ public

bool IsPureAscii(std::string_view s) {
  // Eight bytes at a time: the common case is a long ASCII text.
  size_t i = 0;
  for (; i + 8 <= s.size(); i += 8) {
    std::uint64_t w;
    __builtin_memcpy(&w, s.data() + i, 8);
    if (w & 0x8080808080808080ULL) return false;
  }
  for (; i < s.size(); ++i)
    if (static_cast<unsigned char>(s[i]) >= 0x80) return false;
  return true;
}

size_t Cp949Utf8Length(std::string_view cp949) {
  const Cp949Tables& t = Tables();
  const auto* s = reinterpret_cast<const unsigned char*>(cp949.data());
  size_t n = 0;
  for (size_t i = 0; i < cp949.size();) {
    if (s[i] < 0x80) {
      ++i;
      ++n;
      continue;
    }
    n += Utf8Width(NextCp949(t, s, cp949.size(), i));
  }
  return n;
}

char* Cp949ToUtf8Into(std::string_view cp949, char* d) {
  const Cp949Tables& t = Tables();
  const auto* s = reinterpret_cast<const unsigned char*>(cp949.data());
  const size_t n = cp949.size();
  for (size_t i = 0; i < n;) {
    // ASCII eight bytes at a time (addresses, numbers, Latin titles).
    std::uint64_t w;
    if (i + 8 <= n && (__builtin_memcpy(&w, s + i, 8), (w & 0x8080808080808080ULL) == 0)) {
      __builtin_memcpy(d, &w, 8);
      d += 8;
      i += 8;
      continue;
    }
    const unsigned char c = s[i];
    if (c < 0x80) {
      *d++ = static_cast<char>(c);
      ++i;
      continue;
    }
    std::uint32_t u = 0;
    if (IsLeadByte(c) && i + 1 < n && s[i + 1] >= kFirstTrail && s[i + 1] != 0xFF)
      u = t.DoubleUtf8[(c - kFirstLead) * kTrailCount + (s[i + 1] - kFirstTrail)];
    if (u != 0) {
      i += 2;
    } else {
      u = t.SingleUtf8[c - 0x80];
      ++i;
    }
    d[0] = static_cast<char>(u);
    d[1] = static_cast<char>(u >> 8);
    if ((u >> 24) == 3) {
      d[2] = static_cast<char>(u >> 16);
      d += 3;
    } else {
      d += 2;
    }
  }
  return d;
}

std::string Cp949ToUtf8(std::string_view cp949) {
  if (IsPureAscii(cp949)) return std::string(cp949);
  return ExactlySized<std::string, 3 * 512>(
      3 * cp949.size(), [&] { return Cp949Utf8Length(cp949); },
      [&](char* d) { return Cp949ToUtf8Into(cp949, d); });
}

WideString Cp949ToUtf16(std::string_view cp949) {
  if (IsPureAscii(cp949)) return WideString(cp949.begin(), cp949.end());
  const Cp949Tables& t = Tables();
  const auto* s = reinterpret_cast<const unsigned char*>(cp949.data());
  const size_t n = cp949.size();
  return ExactlySized<WideString, 512>(
      n,
      [&] {
        size_t units = 0;
        for (size_t i = 0; i < n; ++units) NextCp949(t, s, n, i);
        return units;
      },
      [&](char16_t* d) {
        for (size_t i = 0; i < n;) *d++ = NextCp949(t, s, n, i);
        return d;
      });
}

namespace {

// The code page 949 bytes of n units of text whose characters next(i)
// yields as codes (advancing i); at most bound bytes.
template <class Next>
AnsiString EncodeCp949(size_t bound, size_t n, Next next) {
  return ExactlySized<AnsiString, 1024>(
      bound,
      [&] {
        size_t bytes = 0;
        for (size_t i = 0; i < n;) bytes += CodeWidth(next(i));
        return bytes;
      },
      [&](char* d) {
        for (size_t i = 0; i < n;) d = PutCode(next(i), d);
        return d;
      });
}

}  // namespace

namespace {

// The fill of Utf8ToCp949 on its own, its inputs passed by value: stores
// through d then cannot make the loop fetch the table and the text again
// for every character, as a lambda holding them by reference does. Korean
// text alternates three-byte syllables with ASCII spaces and punctuation,
// the two cases tested first.
__attribute__((noinline)) char* PutUtf8AsCp949(const Cp949Tables& t, const unsigned char* s, size_t n,
                                                char* d) {
  const std::uint16_t* encode = t.Encode;
  for (size_t i = 0; i < n;) {
    if (i + 3 <= n) {
      // The three bytes as one word, s[i] lowest: a three-byte character is
      // told and decoded from it without a test per byte.
      const std::uint32_t w = std::uint32_t{s[i]} | (std::uint32_t{s[i + 1]} << 8) | (std::uint32_t{s[i + 2]} << 16);
      if ((w & 0x80) == 0) {
        *d++ = static_cast<char>(w);
        ++i;
        continue;
      }
      if ((w & 0xC0C0F0) == 0x8080E0) {
        const char32_t cp = ((w & 0x0Fu) << 12) | ((w & 0x3F00u) >> 2) | ((w >> 16) & 0x3Fu);
        i += 3;
        d = PutCode(cp >= 0x800 ? encode[cp] : 0, d);
        continue;
      }
    }
    d = PutCode(NextUtf8Code(t, s, n, i), d);
  }
  return d;
}

}  // namespace

AnsiString Utf8ToCp949(std::string_view utf8) {
  if (IsPureAscii(utf8)) return AnsiString(utf8);
  const Cp949Tables& t = Tables();
  const auto* s = reinterpret_cast<const unsigned char*>(utf8.data());
  const size_t n = utf8.size();
  // No character grows: ASCII stays one byte, two to four UTF-8 bytes give
  // at most two.
  return ExactlySized<AnsiString, 1024>(
      n,
      [&] {
        size_t bytes = 0;
        for (size_t i = 0; i < n;) bytes += CodeWidth(NextUtf8Code(t, s, n, i));
        return bytes;
      },
      [&](char* d) { return PutUtf8AsCp949(t, s, n, d); });
}

AnsiString Utf16ToCp949(std::u16string_view utf16) {
  const char16_t* s = utf16.data();
  const size_t n = utf16.size();
  if (std::all_of(s, s + n, [](char16_t c) { return c < 0x80; })) return AnsiString(s, s + n);
  const Cp949Tables& t = Tables();
  return EncodeCp949(2 * n, n, [&](size_t& i) { return NextUtf16Code(t, s, n, i); });
}

namespace {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

}  // namespace

std::string Utf16ToUtf8(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;  // a lone surrogate
    }
    AppendUtf8(out, c);
  }
  return out;
}

WideString Utf8ToUtf16(std::string_view s) {
  WideString out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = Utf8SequenceLength(c);
    char32_t cp = 0xFFFD;
    bool ok = len == 1 ? c < 0x80 : i + len <= s.size();
    if (ok && len > 1) {
      cp = c & (0xFF >> (len + 1));
      for (size_t k = 1; k < len; ++k) {
        unsigned char t = static_cast<unsigned char>(s[i + k]);
        if ((t & 0xC0) != 0x80) {
          ok = false;
          break;
        }
        cp = (cp << 6) | (t & 0x3F);
      }
      // Overlong forms and surrogates are not characters.
      if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                 (cp >= 0xD800 && cp <= 0xDFFF)))
        ok = false;
    } else if (ok) {
      cp = c;
    }
    if (!ok) {
      out += kUtf16Replacement;
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
    i += len;
  }
  return out;
}
