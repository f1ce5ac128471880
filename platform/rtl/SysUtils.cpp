// Exceptions and the 1-based string routines of the runtime.
//
// Sections:
//   Character classes ... lead and trail bytes of code page 949, ASCII case
//   Search and slices ... Pos, PosEx, AnsiPos, Copy, Delete, Insert
//   Case and trimming ... Trim*, UpperCase, LowerCase
//   Comparison .......... CompareStr/Text, AnsiCompareStr/Text and their collation
//   Replace and quotes .. StringReplace, QuotedStr, AnsiExtractQuotedStr
#include <algorithm>
#include <array>
#include <cstring>

#include "platform/rtl/SysUtils.h"

void Abort() { throw EAbort("Operation aborted"); }

// ------------------------------------------------------- Character classes
namespace {

inline unsigned char Byte0(char c) { return static_cast<unsigned char>(c); }

// Length of the character starting at s[i]: 2 for a lead byte followed by a
// valid trail byte (>= 0x41, which includes ASCII letters), else 1.
inline size_t CharLen(std::string_view s, size_t i) {
  return (IsLeadByte(Byte0(s[i])) && i + 1 < s.size() && Byte0(s[i + 1]) >= 0x41) ? 2 : 1;
}

inline char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; }
inline char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

template <typename Map>
AnsiString MapSingleBytes(std::string_view s, Map map) {
  AnsiString out(s);
  for (size_t i = 0; i < out.size();) {
    size_t len = CharLen(out, i);
    if (len == 1) out[i] = map(out[i]);
    i += len;
  }
  return out;
}

}  // namespace

// -------------------------------------------------------- Search and slices

int Pos(std::string_view sub, std::string_view s) { return PosEx(sub, s, 1); }

int PosEx(std::string_view sub, std::string_view s, int offset) {
  if (sub.empty() || offset < 1 || static_cast<size_t>(offset) > s.size()) return 0;
  size_t at = s.find(sub, static_cast<size_t>(offset - 1));
  return at == std::string_view::npos ? 0 : static_cast<int>(at) + 1;
}

int AnsiPos(std::string_view sub, std::string_view s) {
  if (sub.empty()) return 0;
  for (size_t i = 0; i + sub.size() <= s.size(); i += CharLen(s, i))
    if (s.compare(i, sub.size(), sub) == 0) return static_cast<int>(i) + 1;
  return 0;
}

AnsiString Copy(std::string_view s, int index, int count) {
  if (index < 1) index = 1;
  size_t start = static_cast<size_t>(index - 1);
  if (count <= 0 || start >= s.size()) return {};
  size_t len = std::min(static_cast<size_t>(count), s.size() - start);
  return AnsiString(s.substr(start, len));
}

void Delete(AnsiString& s, int index, int count) {
  if (index < 1 || count <= 0 || static_cast<size_t>(index) > s.size()) return;
  size_t start = static_cast<size_t>(index - 1);
  s.erase(start, std::min(static_cast<size_t>(count), s.size() - start));
}

void Insert(std::string_view sub, AnsiString& s, int index) {
  if (index < 1) index = 1;
  size_t at = std::min(static_cast<size_t>(index - 1), s.size());
  s.insert(at, sub);
}

// -------------------------------------------------------- Case and trimming

AnsiString Trim(std::string_view s) {
  size_t first = 0, last = s.size();
  while (first < last && Byte0(s[first]) <= ' ') ++first;
  while (last > first && Byte0(s[last - 1]) <= ' ') --last;
  return AnsiString(s.substr(first, last - first));
}

AnsiString TrimLeft(std::string_view s) {
  size_t first = 0;
  while (first < s.size() && Byte0(s[first]) <= ' ') ++first;
  return AnsiString(s.substr(first));
}

AnsiString TrimRight(std::string_view s) {
  size_t last = s.size();
  while (last > 0 && Byte0(s[last - 1]) <= ' ') --last;
  return AnsiString(s.substr(0, last));
}

AnsiString UpperCase(std::string_view s) { return MapSingleBytes(s, AsciiUpper); }
AnsiString LowerCase(std::string_view s) { return MapSingleBytes(s, AsciiLower); }
AnsiString AnsiUpperCase(std::string_view s) { return MapSingleBytes(s, AsciiUpper); }
AnsiString AnsiLowerCase(std::string_view s) { return MapSingleBytes(s, AsciiLower); }

// --------------------------------------------------------------- Comparison

int CompareStr(std::string_view a, std::string_view b) {
  int c = a.compare(b);
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

int CompareText(std::string_view a, std::string_view b) {
  // Bytes are compared in step; only bytes that are not the trail of a
  // two-byte character are folded.
  bool trailA = false, trailB = false;
  size_t n = std::min(a.size(), b.size());
  for (size_t k = 0; k < n; ++k) {
    unsigned char ca = Byte0(trailA ? a[k] : AsciiUpper(a[k]));
    unsigned char cb = Byte0(trailB ? b[k] : AsciiUpper(b[k]));
    if (ca != cb) return ca < cb ? -1 : 1;
    trailA = !trailA && IsLeadByte(Byte0(a[k])) && k + 1 < a.size() && Byte0(a[k + 1]) >= 0x41;
    trailB = !trailB && IsLeadByte(Byte0(b[k])) && k + 1 < b.size() && Byte0(b[k + 1]) >= 0x41;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

namespace {

// Collation of code page 949 text, as a Korean word list orders it: ASCII
// first (case folded), then symbols and jamo, then every Hangul syllable in
// dictionary order, then Hanja. Byte order alone puts the 8,822 syllables
// outside KS X 1001 (81 41 .. C6 52) ahead of all others, so syllables are
// ranked by their Unicode value, which follows the dictionary.
class Collation {
 public:
  static const Collation& Get() {
    static const Collation instance;
    return instance;
  }
  // Weight of the two-byte character lead, trail (trail >= 0x41).
  unsigned Weight(unsigned char lead, unsigned char trail) const {
    return weights_[Index(lead, trail)];
  }

 private:
  static constexpr int kLeads = 0xFE - 0x81 + 1;
  static constexpr int kTrails = 0xFF - 0x41 + 1;

  Collation() : weights_(kLeads * kTrails) {
    for (int lead = 0x81; lead <= 0xFE; ++lead)
      for (int trail = 0x41; trail <= 0xFF; ++trail) {
        unsigned bytes = static_cast<unsigned>(lead << 8 | trail);
        weights_[Index(lead, trail)] = (lead >= 0xCA ? 3u << 16 : 1u << 16) | bytes;  // Hanja last
      }
    // The syllables: 8,822 outside KS X 1001 (81 41 .. C6 52) and the 2,350
    // of KS X 1001 (B0 A1 .. C8 FE). Only these codes go to the codec, all
    // of them assigned, so one call gives one UTF-16 unit per pair.
    std::string pairs;
    auto add = [&pairs](int lead, int trail) {
      pairs += static_cast<char>(lead);
      pairs += static_cast<char>(trail);
    };
    for (int lead = 0x81; lead <= 0xC6; ++lead)
      for (int trail = 0x41; trail <= 0xFE; ++trail) {
        bool validTrail = (trail <= 0x5A) || (trail >= 0x61 && trail <= 0x7A) || trail >= 0x81;
        if (!validTrail || (lead >= 0xA1 && trail > 0xA0) || (lead == 0xC6 && trail > 0x52)) continue;
        add(lead, trail);
      }
    for (int lead = 0xB0; lead <= 0xC8; ++lead)
      for (int trail = 0xA1; trail <= 0xFE; ++trail) add(lead, trail);
    WideString wide = Cp949ToUtf16(pairs);
    if (wide.size() * 2 != pairs.size()) return;  // codec unusable: byte order stays
    for (size_t k = 0; k < wide.size(); ++k)
      if (wide[k] >= 0xAC00 && wide[k] <= 0xD7A3)
        weights_[Index(Byte0(pairs[2 * k]), Byte0(pairs[2 * k + 1]))] = (2u << 16) | (wide[k] - 0xAC00u);
  }
  static size_t Index(int lead, int trail) {
    return static_cast<size_t>((lead - 0x81) * kTrails + (trail - 0x41));
  }
  std::vector<unsigned> weights_;
};

// Compares with folded ASCII; when tieBreak is set, strings equal after
// folding are ordered by the first case difference, lower case first.
int Collate(std::string_view a, std::string_view b, bool tieBreak) {
  const Collation* collation = nullptr;
  int caseOrder = 0;
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    size_t la = CharLen(a, i), lb = CharLen(b, j);
    unsigned wa, wb;
    if (la == 1 && lb == 1) {
      char ca = a[i], cb = b[j];
      if (ca == cb) {
        ++i;
        ++j;
        continue;
      }
      wa = Byte0(AsciiUpper(ca));
      wb = Byte0(AsciiUpper(cb));
      if (wa == wb && caseOrder == 0) caseOrder = (ca >= 'a') ? -1 : 1;
    } else {
      if (!collation) collation = &Collation::Get();
      wa = la == 1 ? Byte0(a[i]) : collation->Weight(Byte0(a[i]), Byte0(a[i + 1]));
      wb = lb == 1 ? Byte0(b[j]) : collation->Weight(Byte0(b[j]), Byte0(b[j + 1]));
    }
    if (wa != wb) return wa < wb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return tieBreak ? caseOrder : 0;
}

}  // namespace

int AnsiCompareStr(std::string_view a, std::string_view b) { return Collate(a, b, true); }
int AnsiCompareText(std::string_view a, std::string_view b) { return Collate(a, b, false); }
bool AnsiSameText(std::string_view a, std::string_view b) { return AnsiCompareText(a, b) == 0; }
bool AnsiSameStr(std::string_view a, std::string_view b) { return a == b; }

// ------------------------------------------------------- Replace and quotes

AnsiString StringReplace(std::string_view s, std::string_view oldPattern,
                         std::string_view newPattern, const TReplaceFlags& flags) {
  if (oldPattern.empty()) return AnsiString(s);
  const bool all = flags.count(TReplaceFlag::rfReplaceAll) != 0;
  const bool ignoreCase = flags.count(TReplaceFlag::rfIgnoreCase) != 0;
  AnsiString searchIn, pattern;
  std::string_view hay = s, needle = oldPattern;
  if (ignoreCase) {
    searchIn = UpperCase(s);
    pattern = UpperCase(oldPattern);
    hay = searchIn;
    needle = pattern;
  }
  AnsiString out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    if (hay.compare(i, needle.size(), needle) == 0) {
      out += newPattern;
      i += needle.size();
      if (!all) break;
      continue;
    }
    // Step a whole character so a match never starts on a trail byte.
    size_t len = CharLen(s, i);
    out.append(s.substr(i, len));
    i += len;
  }
  out.append(s.substr(std::min(i, s.size())));
  return out;
}

AnsiString QuotedStr(std::string_view s) { return AnsiQuotedStr(s, '\''); }

AnsiString AnsiQuotedStr(std::string_view s, char quote) {
  AnsiString out;
  out.reserve(s.size() + 2);
  out += quote;
  for (size_t i = 0; i < s.size();) {
    size_t len = CharLen(s, i);
    if (len == 1 && s[i] == quote) out += quote;
    out.append(s.substr(i, len));
    i += len;
  }
  out += quote;
  return out;
}

AnsiString AnsiExtractQuotedStr(std::string_view& src, char quote) {
  if (src.empty() || src[0] != quote) return {};
  AnsiString out;
  size_t i = 1;
  while (i < src.size()) {
    size_t len = CharLen(src, i);
    if (len == 1 && src[i] == quote) {
      if (i + 1 < src.size() && src[i + 1] == quote) {
        out += quote;
        i += 2;
        continue;
      }
      ++i;  // the closing quote
      break;
    }
    out.append(src.substr(i, len));
    i += len;
  }
  src.remove_prefix(i);
  return out;
}

AnsiString AnsiDequotedStr(std::string_view s, char quote) {
  std::string_view rest = s;
  AnsiString out = AnsiExtractQuotedStr(rest, quote);
  // Not quoted, or text after the closing quote: the text is not a quoted string.
  if (s.empty() || s[0] != quote || !rest.empty()) return AnsiString(s);
  return out;
}

AnsiString StringOfChar(char c, int count) { return count > 0 ? AnsiString(count, c) : AnsiString(); }

int LastDelimiter(std::string_view delimiters, std::string_view s) {
  int last = 0;
  for (size_t i = 0; i < s.size();) {
    size_t len = CharLen(s, i);
    if (len == 1 && delimiters.find(s[i]) != std::string_view::npos) last = static_cast<int>(i) + 1;
    i += len;
  }
  return last;
}

bool IsDelimiter(std::string_view delimiters, std::string_view s, int index) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return false;
  if (ByteType(s, index) != mbSingleByte) return false;
  return delimiters.find(s[index - 1]) != std::string_view::npos;
}

TMbcsByteType ByteType(std::string_view s, int index) {
  if (index < 1 || static_cast<size_t>(index) > s.size()) return mbSingleByte;
  size_t target = static_cast<size_t>(index - 1);
  size_t i = 0;
  while (true) {
    size_t len = CharLen(s, i);
    if (target < i + len) return len == 1 ? mbSingleByte : (target == i ? mbLeadByte : mbTrailByte);
    i += len;
  }
}
