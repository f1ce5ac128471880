#include "app/StrUnit.h"

#include <cmath>

#include "platform/rtl/SysUtils.h"

namespace {

struct StarTexts {
  AnsiString full = "★"_k;
  AnsiString half = "☆"_k;
};

const StarTexts& Stars() {
  static const StarTexts texts;
  return texts;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// Characters a file name made from web or user text may not carry: the two
// path separators, wildcards, the list separator of the per-file columns,
// and control characters (a NUL would cut the name short on disk).
bool IsUnsafeNameChar(unsigned char c) {
  return c < 0x20 || c == 0x7F || c == '*' || c == '/' || c == '?' || c == '\\' || c == '|';
}

bool IsDotsOnly(std::string_view s) {
  return !s.empty() && s.find_first_not_of('.') == std::string_view::npos;
}

}  // namespace

AnsiString RatingToStars(std::string_view score) {
  double value = 0;
  if (!TryStrToFloat(Trim(score), value)) return "";
  // The score is held in single precision, so 8.6 rounds up to 8.6000004
  // and earns the half star while 8.5 does not.
  const float x = static_cast<float>(value);
  // Scores far outside the scale have no stars (and no integer part that fits).
  if (!std::isfinite(x) || std::fabs(x) >= 1e6f) return "";
  const int n = static_cast<int>(x);  // truncated toward zero
  const int k = n / 2;
  AnsiString result;
  if (k >= 1 && k <= 5)
    for (int i = 0; i < k; ++i) result += Stars().full;
  if ((n % 2) + (static_cast<double>(x) - n) > 0.5) result += Stars().half;
  return result;
}

AnsiString StarsToRating(std::string_view stars) {
  double score = 0;
  for (int count = 5; count >= 1; --count) {
    AnsiString run;
    for (int i = 0; i < count; ++i) run += Stars().full;
    // Character-aware search: the two bytes of "★" can also occur as the
    // trail byte of one Hangul syllable followed by the lead byte of the next.
    if (AnsiPos(run, stars) > 0) {
      score += 2 * count;
      break;
    }
  }
  if (AnsiPos(Stars().half, stars) > 0) score += 0.5;
  return FloatToStr(score);
}

AnsiString SanitizeFileName(std::string_view name) {
  AnsiString result(name);
  for (char& c : result)
    if (IsUnsafeNameChar(static_cast<unsigned char>(c))) c = ' ';
  result = Trim(result);
  if (IsDotsOnly(result)) return "";
  return result;
}

AnsiString UrlFileName(std::string_view url) {
  std::string_view name = url;
  const std::size_t end = name.find_first_of("?#");
  if (end != std::string_view::npos) name = name.substr(0, end);
  const std::size_t slash = name.find_last_of("/\\");
  if (slash != std::string_view::npos) name = name.substr(slash + 1);
  return SanitizeFileName(name);
}

AnsiString StripHtmlTags(std::string_view html) {
  AnsiString result;
  result.reserve(html.size());
  std::size_t i = 0;
  while (i < html.size()) {
    const char c = html[i];
    if (c == '<' && i + 1 < html.size() && (html[i + 1] == '/' || IsAsciiLetter(html[i + 1]))) {
      const std::size_t close = html.find('>', i + 1);
      if (close == std::string_view::npos) break;  // an unclosed tag runs to the end
      i = close + 1;
      continue;
    }
    result += c;
    ++i;
  }
  return result;
}

AnsiString TextBetween(std::string_view text, std::string_view startMarker,
                       std::string_view endMarker) {
  if (startMarker.empty() || endMarker.empty()) return "";
  const int startPos = AnsiPos(startMarker, text);
  const int endPos = AnsiPos(endMarker, text);
  if (startPos == 0 || endPos == 0) return "";
  const int from = startPos + static_cast<int>(startMarker.size());
  if (endPos < from) return "";
  return Trim(Copy(text, from, endPos - from));
}
