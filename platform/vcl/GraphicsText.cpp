// Text layout with the DT_ flags, as the Windows DrawText call lays text out.
//
//   LayoutText
//     -> SplitParagraphs ... lines end at CR, LF or CR LF (one line with DT_SINGLELINE);
//                           a final line break adds no empty line
//     -> CleanParagraph .... "&" prefixes (unless DT_NOPREFIX), tabs (DT_EXPANDTABS)
//     -> WrapParagraph ..... DT_WORDBREAK: breaks after blanks and between
//                           full-width characters; a word wider than the
//                           rectangle is cut by characters only with DT_EDITCONTROL;
//                           TLineFit keeps each line's measuring to about its own
//                           length, and a clipped drawing wraps only the lines it shows
//     -> Ellipsis .......... DT_END_ELLIPSIS on the last line that does not fit,
//                           and on the last line an edit control shows of a
//                           wrapped text that goes on below
//     -> placement ......... horizontal per line; vertical only for a single line;
//                           DT_EDITCONTROL hides a partly visible last line
#include <algorithm>
#include <cmath>
#include <limits>

#include "platform/vcl/Graphics.h"

namespace {

bool IsBlank(char16_t c) { return c == u' '; }

bool IsLowSurrogate(char16_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// Characters a line may break before or after without a blank: Hangul,
// CJK and full-width forms, as Windows breaks East Asian text.
bool IsFullWidth(char16_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6);
}

// Lines longer than this many characters are measured only as far as they show.
constexpr size_t kLongLine = 1024;

int FloorDiv2(int v) { return v >= 0 ? v / 2 : -((-v + 1) / 2); }

struct Paragraph {
  std::u16string text;
  int prefix = -1;
};

std::vector<std::u16string_view> SplitParagraphs(std::u16string_view text, bool single) {
  std::vector<std::u16string_view> out;
  if (single) {
    out.push_back(text);
    return out;
  }
  size_t start = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t c = text[i];
    if (c == u'\r' || c == u'\n') {
      out.push_back(text.substr(start, i - start));
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      start = i + 1;
    }
  }
  // A final line break ends the last line; it does not start an empty one.
  if (start < text.size() || out.empty()) out.push_back(text.substr(start));
  return out;
}

Paragraph CleanParagraph(std::u16string_view src, unsigned flags, TTextMetricsSource& metrics) {
  Paragraph p;
  p.text.reserve(src.size());
  const bool prefixes = !(flags & DT_NOPREFIX);
  // The width up to the end of the last tab's blanks, and where they end:
  // each tab measures only the text since the one before it, so a line of
  // many tabs costs what its characters cost.
  long long tabbedWidth = 0;  // past int for a line of millions of tabs
  size_t tabbedEnd = 0;
  int stop = 0, blank = 0;  // measured at the first tab
  for (size_t i = 0; i < src.size(); ++i) {
    char16_t c = src[i];
    if (c == u'&' && prefixes) {
      if (i + 1 < src.size() && src[i + 1] == u'&') {
        p.text += u'&';
        ++i;
      } else if (i + 1 < src.size()) {
        if (!(flags & DT_HIDEPREFIX) && p.prefix < 0) p.prefix = static_cast<int>(p.text.size());
      }
      continue;
    }
    if (c == u'\t') {
      if (flags & DT_EXPANDTABS) {
        // Stops every eight average characters, filled with blanks.
        if (blank == 0) {
          stop = std::max(1, 8 * metrics.AverageCharWidth());
          blank = std::max(1, metrics.TextWidthW(u" "));
        }
        const std::u16string_view since = std::u16string_view(p.text).substr(tabbedEnd);
        const long long width = tabbedWidth + (since.empty() ? 0 : metrics.TextWidthW(since));
        const long long next = (width / stop + 1) * stop;
        const int count = static_cast<int>(std::max(1LL, (next - width + blank - 1) / blank));
        p.text.append(static_cast<size_t>(count), u' ');
        tabbedWidth = width + count * blank;
        tabbedEnd = p.text.size();
      }
      continue;
    }
    if (c == u'\r' || c == u'\n') continue;  // single-line text shows no breaks
    p.text += c;
  }
  return p;
}

struct Span {
  size_t begin, end;  // end excludes trailing blanks
};

size_t TrimEnd(const std::u16string& s, size_t begin, size_t end) {
  while (end > begin && IsBlank(s[end - 1])) --end;
  return end;
}

// The widths of the starts of s[start..] against maxWidth, measured so that
// finding a line costs about what the line's own characters cost, however
// long the text runs on: a width grows with the length, so a length known
// not to fit settles every longer one, and before a long start is measured,
// starts of doubling length find where the line must end.
class TLineFit {
 public:
  TLineFit(std::u16string_view s, size_t start, int maxWidth, TTextMetricsSource& metrics)
      : s_(s), start_(start), maxWidth_(maxWidth), metrics_(metrics) {
    // The first doubling start that does not fit bounds the line; the first
    // holds about twice what the line takes of average characters.
    const size_t firstProbe = 8 + 2 * static_cast<size_t>(std::max(0, maxWidth)) /
                                      static_cast<size_t>(std::max(1, metrics.AverageCharWidth()));
    for (size_t length = firstProbe; start_ + length < s_.size() && Measure(length); length *= 2) {
    }
  }
  // A length from start that surely does not fit (past the text when the
  // whole rest might).
  size_t Limit() const { return tooLong_; }
  // Whether s[start, end) fits.
  bool Fits(size_t end) {
    const size_t length = end - start_;
    if (length >= tooLong_) return false;
    if (length <= fitting_) return true;
    return Measure(length);
  }

 private:
  bool Measure(size_t length) {
    if (metrics_.TextWidthW(s_.substr(start_, length)) <= maxWidth_) {
      fitting_ = std::max(fitting_, length);
      return true;
    }
    tooLong_ = std::min(tooLong_, length);
    return false;
  }
  std::u16string_view s_;
  size_t start_;
  int maxWidth_;
  TTextMetricsSource& metrics_;
  size_t fitting_ = 0;
  size_t tooLong_ = std::u16string_view::npos;
};

// Breaks s into lines of maxWidth, at most maxLines of them.
void WrapParagraph(const std::u16string& s, int maxWidth, unsigned flags, TTextMetricsSource& metrics,
                   size_t maxLines, std::vector<Span>& out) {
  const size_t n = s.size();
  if (n == 0) {
    out.push_back({0, 0});
    return;
  }
  const bool fullWidthBreaks = !(flags & DT_NOFULLWIDTHCHARBREAK);
  auto breakable = [&](size_t k) {
    if (k >= n) return true;
    if (IsLowSurrogate(s[k]) || IsBlank(s[k])) return false;
    if (IsBlank(s[k - 1])) return true;
    return fullWidthBreaks && (IsFullWidth(s[k - 1]) || IsFullWidth(s[k]));
  };
  std::vector<size_t> breaks;
  size_t start = 0;
  bool first = true;
  for (size_t lines = 0; start < n && lines < maxLines; ++lines) {
    if (!first)
      while (start < n && IsBlank(s[start])) ++start;
    if (start >= n) break;
    first = false;
    TLineFit fit(s, start, maxWidth, metrics);
    // The break positions the line may reach, in order: past the limit
    // (and not in trailing blanks) none fits any more.
    breaks.clear();
    size_t firstBreak = 0;
    size_t k = start + 1;
    for (; k <= n; ++k) {
      if (k - start >= fit.Limit() && !IsBlank(s[k - 1])) break;
      if (!breakable(k)) continue;
      if (firstBreak == 0) firstBreak = k;
      breaks.push_back(k);
    }
    // The last break that fits; widths grow with the breaks.
    size_t lo = 0, hi = breaks.size();
    while (lo < hi) {
      const size_t mid = (lo + hi) / 2;
      if (fit.Fits(TrimEnd(s, start, breaks[mid]))) lo = mid + 1;
      else hi = mid;
    }
    size_t end;
    if (lo > 0) {
      end = breaks[lo - 1];
    } else if (flags & DT_EDITCONTROL) {
      // A word wider than the line is cut by characters, at least one per line.
      size_t least = start + 1;
      if (least < n && IsLowSurrogate(s[least])) ++least;
      size_t most = std::min(firstBreak != 0 ? firstBreak : n, start + std::min(fit.Limit(), n - start));
      end = least;
      while (end < most) {
        size_t mid = end + (most - end + 1) / 2;
        if (fit.Fits(mid)) end = mid;
        else most = mid - 1;
      }
      if (end > least && end < n && IsLowSurrogate(s[end])) --end;
    } else {
      // The word stands alone and overflows.
      if (firstBreak == 0)
        while (k <= n && !breakable(k)) ++k;
      end = firstBreak != 0 ? firstBreak : k;
    }
    out.push_back({start, TrimEnd(s, start, end)});
    start = end;
  }
}

// The longest start of text that fits maxWidth with "..." after it.
std::u16string Ellipsis(std::u16string_view text, int maxWidth, TTextMetricsSource& metrics,
                        int& kept) {
  static const std::u16string kDots = u"...";
  size_t lo = 0, hi = text.size();
  auto fits = [&](size_t m) {
    std::u16string candidate(text.substr(0, m));
    candidate += kDots;
    return metrics.TextWidthW(candidate) <= maxWidth;
  };
  // Widths grow with the length: starts of doubling length find the range
  // (so a long text costs what its shown start costs), a binary search the end.
  for (size_t probe = 16; probe < hi; probe *= 2) {
    if (!fits(probe)) {
      hi = probe - 1;
      break;
    }
    lo = probe;
  }
  while (lo < hi) {
    size_t mid = (lo + hi + 1) / 2;
    if (fits(mid)) lo = mid;
    else hi = mid - 1;
  }
  if (lo > 0 && lo < text.size() && IsLowSurrogate(text[lo])) --lo;
  while (lo > 0 && IsBlank(text[lo - 1])) --lo;  // "abc..." rather than "abc ..."
  kept = static_cast<int>(lo);
  std::u16string out(text.substr(0, lo));
  out += kDots;
  return out;
}

}  // namespace

TTextLayout LayoutText(TTextMetricsSource& metrics, std::u16string_view text, const TRect& rect,
                       unsigned flags) {
  TTextLayout layout;
  const bool single = (flags & DT_SINGLELINE) != 0;
  const bool wrap = !single && (flags & DT_WORDBREAK);
  const int maxWidth = rect.Width();
  layout.LineHeight = metrics.LineHeight() + ((flags & DT_EXTERNALLEADING) ? metrics.ExternalLeading() : 0);

  struct Built {
    std::u16string text;
    int prefix;
    int width;
  };
  std::vector<Built> built;
  // A clipped drawing lays out only the lines down to the first one below
  // the rectangle (that one tells that more follow): a long text costs what
  // its shown part costs. DT_CALCRECT and unclipped drawing take every line.
  const bool clip = !(flags & DT_NOCLIP);
  const bool drawnPart = clip && !single && !(flags & DT_CALCRECT);
  const int step = std::max(1, layout.LineHeight);
  const size_t maxLines = drawnPart ? static_cast<size_t>(std::max(1, (rect.Height() + step - 1) / step)) + 1
                                    : std::numeric_limits<size_t>::max();
  bool truncated = false;
  for (std::u16string_view para : SplitParagraphs(text, single)) {
    if (built.size() >= maxLines) {
      truncated = true;
      break;
    }
    Paragraph p = CleanParagraph(para, flags, metrics);
    if (wrap) {
      std::vector<Span> spans;
      WrapParagraph(p.text, maxWidth, flags, metrics, maxLines - built.size(), spans);
      if (!spans.empty() && spans.back().end < p.text.size() &&
          p.text.find_first_not_of(u' ', spans.back().end) != std::u16string::npos)
        truncated = true;
      for (const Span& sp : spans) {
        int prefix = (p.prefix >= static_cast<int>(sp.begin) && p.prefix < static_cast<int>(sp.end))
                         ? p.prefix - static_cast<int>(sp.begin)
                         : -1;
        built.push_back({p.text.substr(sp.begin, sp.end - sp.begin), prefix, -1});
      }
    } else {
      built.push_back({std::move(p.text), p.prefix, -1});
    }
  }
  // A long line drawn from the left shows only its start: the characters
  // past the first start wider than the rectangle lie outside the clip.
  if (clip && !(flags & (DT_CALCRECT | DT_CENTER | DT_RIGHT | DT_RTLREADING))) {
    for (Built& b : built) {
      if (b.text.size() <= kLongLine) continue;
      TLineFit fit(b.text, 0, maxWidth, metrics);
      if (fit.Limit() >= b.text.size()) continue;
      size_t keep = fit.Limit() + 1;
      if (keep < b.text.size() && IsLowSurrogate(b.text[keep])) ++keep;
      b.text.resize(keep);
      if (b.prefix >= static_cast<int>(keep)) b.prefix = -1;
    }
  }
  for (Built& b : built) b.width = metrics.TextWidthW(b.text);

  const int lineHeight = layout.LineHeight;
  const bool hidePartial = !single && (flags & DT_EDITCONTROL);
  const bool ellipsis = (flags & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) != 0;
  auto cut = [&](Built& line, bool always) {
    if (!always && line.width <= maxWidth) return;
    int kept = 0;
    std::u16string dotted = line.text + u"...";
    if (always && metrics.TextWidthW(dotted) <= maxWidth) {
      line.text = std::move(dotted);
    } else {
      line.text = Ellipsis(line.text, maxWidth, metrics, kept);
      if (line.prefix >= kept) line.prefix = -1;
    }
    line.width = metrics.TextWidthW(line.text);
  };
  // The last line of the text is cut with "..." when it does not fit; a word
  // that does not fit elsewhere is only clipped, as the Windows call does.
  if (ellipsis && !built.empty() && !truncated) cut(built.back(), false);
  // An edit control that cannot show every wrapped line ends the last one it
  // shows with "...".
  if (ellipsis && wrap && hidePartial && !(flags & DT_CALCRECT)) {
    size_t shown = 1;
    while (shown < built.size() &&
           rect.Top + static_cast<int>(shown + 1) * lineHeight <= rect.Bottom)
      ++shown;
    if (shown < built.size()) cut(built[shown - 1], true);
  }

  layout.TextHeight = lineHeight * static_cast<int>(built.size());
  int top = rect.Top;
  if (single) {
    if (flags & DT_VCENTER) top = FloorDiv2(rect.Top + rect.Bottom - lineHeight);
    else if (flags & DT_BOTTOM) top = rect.Bottom - lineHeight;
  }
  for (const Built& b : built) layout.MaxWidth = std::max(layout.MaxWidth, b.width);

  layout.CalcRect = {rect.Left, rect.Top, rect.Left + layout.MaxWidth, rect.Top + layout.TextHeight};
  layout.ReturnValue = (single && (flags & (DT_VCENTER | DT_BOTTOM)) && !(flags & DT_CALCRECT))
                           ? top + lineHeight - rect.Top
                           : layout.TextHeight;
  if (flags & DT_CALCRECT) return layout;

  int y = top;
  for (size_t i = 0; i < built.size(); ++i, y += lineHeight) {
    if (i > 0 && hidePartial && y + lineHeight > rect.Bottom) break;
    if (clip && y >= rect.Bottom) break;
    Built& b = built[i];
    TTextLine line;
    line.Width = b.width;
    if (flags & DT_CENTER) line.X = rect.Left + FloorDiv2(maxWidth - b.width);
    else if (flags & DT_RIGHT) line.X = rect.Right - b.width;
    else line.X = rect.Left;
    line.Y = y;
    line.PrefixIndex = b.prefix;
    line.Text = std::move(b.text);
    layout.Lines.push_back(std::move(line));
  }
  return layout;
}
