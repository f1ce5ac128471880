#include "grid/ExUtil.h"

#include <cmath>

namespace {

bool IsTwoByteAt(std::string_view s, size_t i) {
  return i + 1 < s.size() && IsLeadByte(static_cast<unsigned char>(s[i])) &&
         static_cast<unsigned char>(s[i + 1]) >= 0x41;
}

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
char UpCase(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

void ReplaceAll(AnsiString& text, std::string_view from, std::string_view to) {
  AnsiString out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, from.size(), from) == 0) {
      out += to;
      i += from.size();
    } else {
      out += text[i++];
    }
  }
  text = std::move(out);
}

}  // namespace

int LimitSize(int value, int minimum, int maximum) {
  if (minimum == maximum) return value;
  if (maximum > 0 && value > maximum) return maximum;
  if (minimum > value && minimum > 0) return minimum;
  return value;
}

int UpperTextPos(std::string_view needle, std::string_view text) {
  return Pos(needle, UpperCase(text));
}

int FindCharPos(char ch, std::string_view text) {
  size_t i = text.find(ch);
  return i == std::string_view::npos ? 0 : static_cast<int>(i) + 1;
}

int FindCharPos(char ch, std::string_view text, int& pos) {
  int found = FindCharPos(ch, text);
  if (found > 0) pos = found;
  return found;
}

bool PointInRect(const TRect& rect, int x, int y) {
  return rect.Left <= x && x <= rect.Right && rect.Top <= y && y <= rect.Bottom;
}

int VarPos(std::string_view needle, std::string_view text, int& pos) {
  pos = Pos(needle, text);
  return pos;
}

char FirstCharOfSet(std::string_view chars, std::string_view text) {
  size_t i = text.find_first_of(chars);
  return i == std::string_view::npos ? '\0' : text[i];
}

bool ParseCellReference(std::string_view text, TPoint& point) {
  AnsiString s = UpperCase(text);
  if (s.size() < 4 || s[0] != 'R') return false;
  size_t c = s.find('C', 1);
  if (c == std::string::npos) return false;
  int row = 0;
  int col = 0;
  if (!TryStrToInt(s.substr(1, c - 1), row) || !TryStrToInt(s.substr(c + 1), col)) return false;
  point = {col, row};
  return true;
}

bool IsUrlText(std::string_view text) {
  return text.find("://") != std::string_view::npos ||
         text.find("mailto:") != std::string_view::npos;
}

void StripUrlScheme(AnsiString& text) {
  size_t i = text.find("://");
  if (i != std::string::npos) {
    text.erase(0, i + 3);
    return;
  }
  i = text.find("mailto:");
  if (i != std::string::npos) text.erase(0, i + 7);
}

AnsiString BackslashNToBreaks(std::string_view text) {
  AnsiString s(text);
  ReplaceAll(s, "\\n", "\r");
  return s;
}

void FillChars(AnsiString& text, char ch) { text.assign(text.size(), ch); }

void OemToAnsiText(AnsiString&) {}

AnsiString UnquoteDoubled(char q, std::string_view text) {
  if (text.find(q) == std::string_view::npos) return AnsiString(text);
  AnsiString out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != q) {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == q) {
      out += q;
      ++i;
    }
  }
  return out;
}

void QuoteMultilineText(AnsiString& text) {
  ReplaceAll(text, "\r\n", "\v");
  text = '"' + text + '"';
}

void VTabsToLineBreaks(AnsiString& text) {
  if (text.find('\v') != std::string::npos) ReplaceAll(text, "\v", "\r\n");
}

void TildesToLineBreaks(AnsiString& text) {
  ReplaceAll(text, "~", "\r\n");
  if (text == "^") text.clear();
}

AnsiString SplitFirstLine(AnsiString& text, bool keepRest) {
  size_t cr = text.find('\r');
  if (cr == std::string::npos) {
    AnsiString line = std::move(text);
    text.clear();
    return line;
  }
  AnsiString line = text.substr(0, cr);
  size_t rest = cr + 1;
  if (rest < text.size() && text[rest] == '\n') ++rest;
  if (keepRest)
    text.erase(0, rest);
  else
    text.clear();
  return line;
}

int LineCount(std::string_view text, bool multiline) {
  if (!multiline) return 1;
  int count = 1;
  for (char c : text)
    if (c == '\r') ++count;
  return count;
}

TDateTime AddToDate(int years, int months, int days, double step, TDateTime date) {
  bool onlyDays = days != 0 && years == 0 && months == 0;
  bool onlyYears = years != 0 && months == 0 && days == 0;
  bool onlyMonths = months != 0 && years == 0 && days == 0;
  if (onlyDays) return date + days;
  if (!onlyYears && !onlyMonths) return date + step;
  // Whole years and months keep the time of day and clamp the day to the
  // target month, so 31 January plus a month is the end of February and a
  // series over 29 February goes on instead of stopping a paste.
  Word y, m, d;
  DecodeDate(date, y, m, d);
  int total = y * 12 + (m - 1) + (onlyYears ? years * 12 : months);
  int year = total / 12;
  int month = total % 12 + 1;
  if (year < 1 || year > 9999) return date + step;
  int day = std::min<int>(d, DaysInAMonth(year, month));
  double time = std::fabs(date - std::trunc(date));
  TDateTime result = EncodeDate(year, month, day);
  return result >= 0 ? result + time : result - time;
}

int FindClosingQuote(char q, std::string_view text, int& pos) {
  size_t i = pos > 0 ? static_cast<size_t>(pos) - 1 : 0;
  while (i < text.size()) {
    if (text[i] != q) {
      ++i;
      continue;
    }
    size_t run = 0;
    while (i + run < text.size() && text[i + run] == q) ++run;
    size_t last = i + run;  // 1-based position of the run's last quote
    if (run % 2 == 1 || last == text.size()) {
      pos = static_cast<int>(last);
      return pos;
    }
    i += run;
  }
  return 0;
}

AnsiString RemoveCR(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  for (char c : text)
    if (c != '\r') out += c;
  return out;
}

char LowerChar(char ch) { return ch >= 'A' && ch <= 'Z' ? static_cast<char>(ch + 32) : ch; }

AnsiString CapitalizeWords(std::string_view text) {
  AnsiString out(text);
  const size_t n = out.size();
  bool wordStart = true;
  for (size_t i = 0; i < n; ++i) {
    char c = out[i];
    if (IsTwoByteAt(out, i)) {
      // A two-byte character is never case-mapped, and its trail byte may
      // look like an ASCII letter.
      ++i;
      wordStart = false;
      continue;
    }
    if (c == ' ' || c == '\'' || c == ',' || c == '-' || c == '.') {
      wordStart = true;
      continue;
    }
    if (!IsAsciiLetter(c)) {
      wordStart = false;
      continue;
    }
    bool roman = i + 2 >= n && ((i >= 2 && out.compare(i - 2, 2, " I") == 0) ||
                                (i >= 3 && out.compare(i - 3, 3, " II") == 0));
    out[i] = wordStart || roman ? UpCase(c) : LowerChar(c);
    wordStart = false;
    // "Mc" at the start or after a blank starts a word inside the name.
    if (i >= 1 && out[i - 1] == 'M' && out[i] == 'c' && (i == 1 || out[i - 2] == ' '))
      wordStart = true;
  }
  return out;
}

bool HasTwoDateSeparators(std::string_view text) {
  char sep = FormatSettings.DateSeparator;
  size_t first = text.find(sep);
  if (first == std::string_view::npos || first == 0) return false;
  std::string_view rest = text.substr(first + 1);
  size_t second = rest.find(sep);
  return second != std::string_view::npos && second > 0;
}

AnsiString WideToUnicodeCell(std::u16string_view wide) {
  AnsiString out = "|\\";
  out.reserve(2 + wide.size() * 2);
  for (char16_t unit : wide) {
    out += static_cast<char>(unit >> 8);
    out += static_cast<char>(unit & 0xFF);
  }
  return out;
}

bool IsUnicodeCell(std::string_view text) { return text.size() >= 2 && text[0] == '|' && text[1] == '\\'; }

WideString UnicodeCellToWide(std::string_view text) {
  if (!IsUnicodeCell(text)) return Cp949ToUtf16(text);
  WideString wide;
  wide.reserve((text.size() - 2) / 2);
  for (size_t i = 2; i + 1 < text.size(); i += 2)
    wide += static_cast<char16_t>((static_cast<unsigned char>(text[i]) << 8) |
                                  static_cast<unsigned char>(text[i + 1]));
  return wide;
}

int CellMarkupKind(std::string_view text, bool htmlEnabled) {
  if (text.empty()) return 0;
  if (text[0] == '=') return 3;
  if (IsUnicodeCell(text)) return 5;
  if (text.size() >= 2 && text[0] == '{' && text[1] == '\\') return 2;
  if (htmlEnabled && (text.find("</") != std::string_view::npos ||
                      text.find("<B") != std::string_view::npos ||
                      text.find("<I") != std::string_view::npos))
    return 1;
  return 0;
}
