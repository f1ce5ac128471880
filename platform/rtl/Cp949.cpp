#include "platform/rtl/Cp949.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <mutex>

namespace {

// iconv descriptors are not thread-safe, and the HTTP worker converts page
// text too, so each direction has one descriptor behind a mutex.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts in, calling onBad(out) and skipping badWidth(src, left) input
  // bytes where the input cannot be converted. Output is raw bytes of the
  // target code.
  template <typename BadWidth, typename OnBad>
  std::string Run(std::string_view in, BadWidth badWidth, OnBad onBad) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    while (srcLeft > 0) {
      const char* callStart = src;
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t rc = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (rc != static_cast<size_t>(-1)) break;
      const int error = errno;
      if (error == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (truncated sequence at the end): replace and move on.
      // The buffer keeps its size (shrinking and growing it again would
      // zero-fill the rest on every bad byte: quadratic on garbage input).
      std::string replacement;
      onBad(replacement);
      if (out.size() < used + replacement.size() + srcLeft * 2 + 16)
        out.resize(std::max(out.size() * 2, used + replacement.size() + srcLeft * 2 + 16));
      std::copy(replacement.begin(), replacement.end(), out.begin() + static_cast<std::ptrdiff_t>(used));
      used += replacement.size();
      if (srcLeft == 0) break;
      size_t skip = std::max<size_t>(1, std::min(badWidth(src, srcLeft), srcLeft));
      // glibc's CP949 table consumes a few unmappable codes (A2 E8) before
      // it reports them, leaving src on the next, good character: skipping
      // that one too would drop it.
      if (error == EILSEQ && src > callStart) {
        const char* last = callStart;
        for (const char* p = callStart; p < src;) {
          last = p;
          p += std::max<size_t>(1, badWidth(p, static_cast<size_t>(src - p)));
        }
        if (!ConvertsAlone(last, static_cast<size_t>(src - last))) skip = 0;
      }
      src += skip;
      srcLeft -= skip;
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  bool ConvertsAlone(const char* src, size_t width) {
    char scratch[16];
    char* in = const_cast<char*>(src);
    char* dst = scratch;
    size_t inLeft = width;
    size_t dstLeft = sizeof scratch;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    bool ok = iconv(cd_, &in, &inLeft, &dst, &dstLeft) != static_cast<size_t>(-1) && inLeft == 0;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    return ok;
  }

  iconv_t cd_;
  std::mutex mutex_;
};

Converter& Cp949ToUtf8Conv() {
  static Converter c("UTF-8", "CP949");
  return c;
}
Converter& Utf8ToCp949Conv() {
  static Converter c("CP949", "UTF-8");
  return c;
}
Converter& Cp949ToUtf16Conv() {
  static Converter c("UTF-16LE", "CP949");
  return c;
}
Converter& Utf16ToCp949Conv() {
  static Converter c("CP949", "UTF-16LE");
  return c;
}

// A two-byte code with no mapping counts as one character; a stray byte
// alone. A byte that cannot be a trail byte is not part of the bad
// character: it starts the next one, so a lead byte before "|" keeps the "|".
size_t Cp949BadWidth(const char* src, size_t left) {
  if (left >= 2 && IsLeadByte(static_cast<unsigned char>(src[0])) &&
      IsTrailByte(static_cast<unsigned char>(src[1])))
    return 2;
  return 1;
}

size_t Utf8SequenceLength(unsigned char c);

// A whole valid character with no mapping is skipped as one; a stray byte alone.
size_t Utf8BadWidth(const char* src, size_t left) {
  size_t len = Utf8SequenceLength(static_cast<unsigned char>(src[0]));
  if (len > left) return 1;
  for (size_t k = 1; k < len; ++k)
    if ((static_cast<unsigned char>(src[k]) & 0xC0) != 0x80) return 1;
  return len;
}

// A surrogate pair is one character (UTF-16LE bytes).
size_t Utf16BadWidth(const char* src, size_t left) {
  auto unit = [src](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(src[i]) |
                                 (static_cast<unsigned char>(src[i + 1]) << 8));
  };
  if (left >= 4 && unit(0) >= 0xD800 && unit(0) <= 0xDBFF && unit(2) >= 0xDC00 && unit(2) <= 0xDFFF)
    return 4;
  return 2;
}

// Length of the UTF-8 sequence that starts with c, 1 for a stray byte.
size_t Utf8SequenceLength(unsigned char c) {
  if (c >= 0xF0 && c <= 0xF4) return 4;
  if (c >= 0xE0) return 3;
  if (c >= 0xC2) return 2;
  return 1;
}

WideString FromUtf16Bytes(const std::string& bytes) {
  WideString out(bytes.size() / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                   (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  return out;
}

std::string ToUtf16Bytes(std::u16string_view s) {
  std::string bytes(s.size() * 2, '\0');
  for (size_t i = 0; i < s.size(); ++i) {
    bytes[2 * i] = static_cast<char>(s[i] & 0xFF);
    bytes[2 * i + 1] = static_cast<char>(s[i] >> 8);
  }
  return bytes;
}

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

// iconv drops the tag characters U+E0000..U+E007F without a word; they have
// no code page 949 form, so each becomes a replacement like any other.
// Their UTF-8 form is F3 A0 80..81 xx, their UTF-16 form DB40 DC00..DC7F.
bool IsTagUtf8(std::string_view s, size_t i) {
  return i + 3 < s.size() && static_cast<unsigned char>(s[i]) == 0xF3 &&
         static_cast<unsigned char>(s[i + 1]) == 0xA0 &&
         (static_cast<unsigned char>(s[i + 2]) == 0x80 || static_cast<unsigned char>(s[i + 2]) == 0x81) &&
         (static_cast<unsigned char>(s[i + 3]) & 0xC0) == 0x80;
}

bool IsTagUtf16(std::u16string_view s, size_t i) {
  return i + 1 < s.size() && s[i] == 0xDB40 && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDC7F;
}

}  // namespace

bool IsPureAscii(std::string_view s) {
  for (unsigned char c : s)
    if (c >= 0x80) return false;
  return true;
}

AnsiString Utf8ToCp949(std::string_view utf8) {
  if (IsPureAscii(utf8)) return AnsiString(utf8);
  auto run = [](std::string_view part) {
    return Utf8ToCp949Conv().Run(part, Utf8BadWidth, [](std::string& o) { o += kCp949Replacement; });
  };
  AnsiString out;
  size_t start = 0;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (!IsTagUtf8(utf8, i)) continue;
    out += run(utf8.substr(start, i - start));
    out += kCp949Replacement;
    i += 3;
    start = i + 1;
  }
  if (start == 0) return run(utf8);
  out += run(utf8.substr(start));
  return out;
}

std::string Cp949ToUtf8(std::string_view cp949) {
  if (IsPureAscii(cp949)) return std::string(cp949);
  return Cp949ToUtf8Conv().Run(cp949, Cp949BadWidth, [](std::string& o) { o += "\xEF\xBF\xBD"; });
}

WideString Cp949ToUtf16(std::string_view cp949) {
  if (IsPureAscii(cp949)) return WideString(cp949.begin(), cp949.end());
  return FromUtf16Bytes(Cp949ToUtf16Conv().Run(cp949, Cp949BadWidth, [](std::string& o) {
    o += static_cast<char>(0xFD);
    o += static_cast<char>(0xFF);
  }));
}

AnsiString Utf16ToCp949(std::u16string_view utf16) {
  bool ascii = true;
  for (char16_t c : utf16)
    if (c >= 0x80) {
      ascii = false;
      break;
    }
  if (ascii) return AnsiString(utf16.begin(), utf16.end());
  auto run = [](std::u16string_view part) {
    return Utf16ToCp949Conv().Run(ToUtf16Bytes(part), Utf16BadWidth,
                                  [](std::string& o) { o += kCp949Replacement; });
  };
  AnsiString out;
  size_t start = 0;
  for (size_t i = 0; i < utf16.size(); ++i) {
    if (!IsTagUtf16(utf16, i)) continue;
    out += run(utf16.substr(start, i - start));
    out += kCp949Replacement;
    ++i;
    start = i + 1;
  }
  if (start == 0) return run(utf16);
  out += run(utf16.substr(start));
  return out;
}

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
