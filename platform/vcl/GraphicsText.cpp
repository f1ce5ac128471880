// Text layout with the DT_ flags, as the Windows DrawText call lays text out.
//
//   LayoutText
//     -> SplitParagraphs ... lines end at CR, LF or CR LF (one line with DT_SINGLELINE);
//                           a final line break adds no empty line
//     -> CleanParagraph .... "&" prefixes (unless DT_NOPREFIX), tabs (DT_EXPANDTABS)
//     -> WrapParagraph ..... DT_WORDBREAK: breaks after blanks and between
//                           full-width characters; a word wider than the
//                           rectangle is cut by characters only with DT_EDITCONTROL
//     -> Ellipsis .......... DT_END_ELLIPSIS on the last line that does not fit,
//                           and on the last line an edit control shows of a
//                           wrapped text that goes on below
//     -> placement ......... horizontal per line; vertical only for a single line;
//                           DT_EDITCONTROL hides a partly visible last line
#include <algorithm>
#include <cmath>

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
        int stop = std::max(1, 8 * metrics.AverageCharWidth());
        int width = metrics.TextWidthW(p.text);
        int next = (width / stop + 1) * stop;
        int blank = std::max(1, metrics.TextWidthW(u" "));
        int count = std::max(1, (next - width + blank - 1) / blank);
        p.text.append(static_cast<size_t>(count), u' ');
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

void WrapParagraph(const std::u16string& s, int maxWidth, unsigned flags,
                   TTextMetricsSource& metrics, std::vector<Span>& out) {
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
  auto width = [&](size_t b, size_t e) {
    return metrics.TextWidthW(std::u16string_view(s).substr(b, e - b));
  };
  size_t start = 0;
  bool first = true;
  while (start < n) {
    if (!first)
      while (start < n && IsBlank(s[start])) ++start;
    if (start >= n) break;
    first = false;
    size_t fit = 0;  // last break position that fits
    size_t firstBreak = 0;
    for (size_t k = start + 1; k <= n; ++k) {
      if (!breakable(k)) continue;
      if (firstBreak == 0) firstBreak = k;
      if (width(start, TrimEnd(s, start, k)) <= maxWidth) fit = k;
      else break;
    }
    size_t end;
    if (fit != 0) {
      end = fit;
    } else if (flags & DT_EDITCONTROL) {
      // A word wider than the line is cut by characters, at least one per line.
      end = start + 1;
      if (end < n && IsLowSurrogate(s[end])) ++end;
      for (size_t k = end + 1; k <= firstBreak; ++k) {
        if (k < n && IsLowSurrogate(s[k])) continue;
        if (width(start, k) <= maxWidth) end = k;
        else break;
      }
    } else {
      end = firstBreak;  // the word stands alone and overflows
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
  // Binary search: widths grow with the length.
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
  for (std::u16string_view para : SplitParagraphs(text, single)) {
    Paragraph p = CleanParagraph(para, flags, metrics);
    if (wrap) {
      std::vector<Span> spans;
      WrapParagraph(p.text, maxWidth, flags, metrics, spans);
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
  if (ellipsis && !built.empty()) cut(built.back(), false);
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

  const bool clip = !(flags & DT_NOCLIP);
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
