// The text forms of ExGridClipboard.h: the clipboard's text block,
// delimited lines and the plain text of rich-text and mark-up cells.
#include <algorithm>
#include <array>

#include "grid/ExGridClipboard.h"
#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------ clipboard text

bool NeedsClipboardQuotes(std::string_view text) {
  if (text.empty()) return false;
  if (text.front() == '"') return true;
  return text.find('\n') != std::string_view::npos || text.find('\t') != std::string_view::npos ||
         text.find('\r') != std::string_view::npos;
}

void AppendClipboardField(AnsiString& out, std::string_view text) {
  if (!NeedsClipboardQuotes(text)) {
    out.append(text);
    return;
  }
  out.push_back('"');
  size_t start = 0;
  for (size_t q = text.find('"'); q != std::string_view::npos; q = text.find('"', q + 1)) {
    out.append(text.substr(start, q + 1 - start));
    out.push_back('"');
    start = q + 1;
  }
  out.append(text.substr(start));
  out.push_back('"');
}

namespace {

bool IsFieldEnd(char c) { return c == '\t' || c == '\r' || c == '\n'; }

// A quoted field starting at pos (on its opening quote): its text and the
// position after the closing quote; false when the quote does not close
// right before a TAB, a line break or the end.
bool ReadQuotedField(std::string_view text, size_t pos, AnsiString& field, size_t& end) {
  field.clear();
  size_t i = pos + 1;
  while (i < text.size()) {
    const size_t q = text.find('"', i);
    if (q == std::string_view::npos) return false;
    field.append(text.substr(i, q - i));
    if (q + 1 < text.size() && text[q + 1] == '"') {
      field.push_back('"');
      i = q + 2;
      continue;
    }
    if (q + 1 == text.size() || IsFieldEnd(text[q + 1])) {
      end = q + 1;
      return true;
    }
    return false;
  }
  return false;
}

}  // namespace

TTextBlock ParseClipboardText(std::string_view text) {
  TTextBlock block;
  size_t pos = 0;
  std::vector<AnsiString> row;
  AnsiString field;
  while (pos < text.size()) {
    size_t end = 0;
    if (text[pos] == '"' && ReadQuotedField(text, pos, field, end)) {
      row.push_back(std::move(field));
      pos = end;
    } else {
      size_t stop = pos;
      while (stop < text.size() && !IsFieldEnd(text[stop])) ++stop;
      row.emplace_back(text.substr(pos, stop - pos));
      pos = stop;
    }
    field = AnsiString();
    if (pos >= text.size()) break;
    const char sep = text[pos++];
    if (sep == '\t') {
      // A TAB at the very end still ends a field: an empty one follows.
      if (pos == text.size()) row.emplace_back();
      continue;
    }
    if (sep == '\r' && pos < text.size() && text[pos] == '\n') ++pos;
    block.push_back(std::move(row));
    row = {};
  }
  if (!row.empty()) block.push_back(std::move(row));
  return block;
}

TPoint TextBlockSize(std::string_view text) {
  const TTextBlock block = ParseClipboardText(text);
  int cols = 0;
  for (const auto& row : block) cols = std::max(cols, static_cast<int>(row.size()));
  return {cols, static_cast<int>(block.size())};
}

// ------------------------------------------------------------ delimited files

namespace {

constexpr std::array<char, 10> kDelimiterCandidates = {',', ';', '#', '\t', '|',
                                                       '@', '*', '-', '+', '&'};

int CountOf(char c, std::string_view line) {
  return static_cast<int>(std::count(line.begin(), line.end(), c));
}

// A doubled candidate is an escaped one and does not count.
int CountUndoubled(char c, std::string_view line) {
  int count = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    if (line[i] != c) continue;
    if (i + 1 < line.size() && line[i + 1] == c) {
      ++i;
      continue;
    }
    ++count;
  }
  return count;
}

}  // namespace

char DetectDelimiter(std::string_view line1, std::string_view line2) {
  for (int pass = 1; pass <= 2; ++pass) {
    char found = '\0';
    int best = 0;
    for (char c : kDelimiterCandidates) {
      const int n1 = pass == 1 ? CountUndoubled(c, line1) : CountOf(c, line1);
      const int n2 = pass == 1 ? CountUndoubled(c, line2) : CountOf(c, line2);
      if (n1 == n2 && n1 > best) {
        best = n1;
        found = c;
      }
    }
    if (found) return found;
  }
  char found = '\0';
  int best = 0;
  for (char c : kDelimiterCandidates) {
    const int n = std::max(CountOf(c, line1), CountOf(c, line2));
    if (n > best) {
      best = n;
      found = c;
    }
  }
  return found;
}

namespace {

void VTabsToBreaks(AnsiString& field) {
  if (field.find('\v') == std::string::npos) return;
  AnsiString out;
  out.reserve(field.size() + 8);
  for (char c : field) {
    if (c == '\v') out += "\r\n";
    else out.push_back(c);
  }
  field = std::move(out);
}

}  // namespace

void SplitDelimitedLine(std::string_view line, char delimiter, std::vector<AnsiString>& fields) {
  fields.clear();
  if (delimiter == '\0') {
    if (!line.empty()) {
      fields.emplace_back(line);
      VTabsToBreaks(fields.back());
    }
    return;
  }
  size_t pos = 0;
  while (pos < line.size()) {
    AnsiString field;
    if (line[pos] != '"') {
      size_t stop = line.find(delimiter, pos);
      if (stop == std::string_view::npos) stop = line.size();
      field.assign(line.substr(pos, stop - pos));
      pos = stop;
    } else {
      size_t i = pos + 1;
      bool closed = false;
      while (i < line.size()) {
        const size_t q = line.find('"', i);
        if (q == std::string_view::npos) break;
        field.append(line.substr(i, q - i));
        if (q + 1 < line.size() && line[q + 1] == '"') {
          field.push_back('"');
          i = q + 2;
          continue;
        }
        closed = true;
        i = q + 1;
        break;
      }
      if (!closed) {
        // No closing quote: the rest of the line is this field's text.
        field.append(line.substr(std::min(i, line.size())));
        pos = line.size();
      } else {
        size_t stop = line.find(delimiter, i);
        if (stop == std::string_view::npos) stop = line.size();
        field.append(line.substr(i, stop - i));
        pos = stop;
      }
    }
    VTabsToBreaks(field);
    fields.push_back(std::move(field));
    if (pos >= line.size()) break;
    ++pos;  // the delimiter; an empty rest after it is no field
  }
}

std::vector<std::string_view> SplitTextLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t stop = text.find_first_of("\r\n", start);
    if (stop == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, stop - start));
    start = stop + 1;
    if (text[stop] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

// ------------------------------------------------------------ plain text

namespace {

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Destinations whose text is no part of what a reader sees.
bool IsSkippedDestination(std::string_view word) {
  static constexpr std::string_view kSkipped[] = {
      "fonttbl", "colortbl", "stylesheet", "info", "pict", "header", "footer", "headerl",
      "headerr", "footerl", "footerr", "listtable", "listoverridetable", "rsidtbl", "generator",
      "themedata", "datastore", "latentstyles", "xmlnstbl", "object", "fldinst"};
  return std::find(std::begin(kSkipped), std::end(kSkipped), word) != std::end(kSkipped);
}

}  // namespace

AnsiString RichTextCellToPlainText(std::string_view rtf) {
  AnsiString out;
  std::u16string pendingWide;
  auto flushWide = [&] {
    if (pendingWide.empty()) return;
    out += Utf16ToCp949(pendingWide);
    pendingWide.clear();
  };
  struct TGroup {
    bool skip = false;
    int uc = 1;
  };
  std::vector<TGroup> groups{TGroup{}};
  int fallbackToSkip = 0;  // characters standing in for a \u character
  auto emit = [&](char c) {
    if (groups.back().skip) return;
    if (fallbackToSkip > 0) {
      --fallbackToSkip;
      return;
    }
    flushWide();
    out.push_back(c);
  };
  size_t i = 0;
  while (i < rtf.size()) {
    const char c = rtf[i];
    if (c == '{') {
      groups.push_back(groups.back());
      fallbackToSkip = 0;
      ++i;
      continue;
    }
    if (c == '}') {
      if (groups.size() > 1) groups.pop_back();
      fallbackToSkip = 0;
      ++i;
      continue;
    }
    if (c == '\r' || c == '\n') {
      ++i;
      continue;
    }
    if (c != '\\') {
      emit(c);
      ++i;
      continue;
    }
    // A control symbol or word.
    if (i + 1 >= rtf.size()) break;
    const char s = rtf[i + 1];
    if (s == '\\' || s == '{' || s == '}') {
      emit(s);
      i += 2;
      continue;
    }
    if (s == '\'') {
      const int hi = i + 2 < rtf.size() ? HexValue(rtf[i + 2]) : -1;
      const int lo = i + 3 < rtf.size() ? HexValue(rtf[i + 3]) : -1;
      if (hi >= 0 && lo >= 0) emit(static_cast<char>(hi * 16 + lo));
      i += 4;
      continue;
    }
    if (s == '*') {
      groups.back().skip = true;
      i += 2;
      continue;
    }
    if (s == '~') {
      emit(' ');
      i += 2;
      continue;
    }
    if (s == '_') {
      emit('-');
      i += 2;
      continue;
    }
    if (s == '\r' || s == '\n') {
      emit('\r');
      emit('\n');
      i += 2;
      continue;
    }
    if (!IsAsciiLetter(s)) {
      i += 2;
      continue;
    }
    size_t j = i + 1;
    while (j < rtf.size() && IsAsciiLetter(rtf[j])) ++j;
    const std::string_view word = rtf.substr(i + 1, j - i - 1);
    bool hasParam = false;
    long param = 0;
    bool negative = false;
    if (j < rtf.size() && rtf[j] == '-' && j + 1 < rtf.size() && IsDigit(rtf[j + 1])) {
      negative = true;
      ++j;
    }
    while (j < rtf.size() && IsDigit(rtf[j])) {
      hasParam = true;
      if (param < 1000000) param = param * 10 + (rtf[j] - '0');
      ++j;
    }
    if (negative) param = -param;
    if (j < rtf.size() && rtf[j] == ' ') ++j;
    i = j;
    if (IsSkippedDestination(word)) {
      groups.back().skip = true;
    } else if (word == "par" || word == "line" || word == "sect" || word == "page") {
      emit('\r');
      emit('\n');
    } else if (word == "tab") {
      emit('\t');
    } else if (word == "uc" && hasParam) {
      groups.back().uc = static_cast<int>(std::max(0L, param));
    } else if (word == "u" && hasParam) {
      if (!groups.back().skip) {
        pendingWide.push_back(static_cast<char16_t>(param < 0 ? param + 65536 : param));
        fallbackToSkip = groups.back().uc;
      }
    }
  }
  flushWide();
  // An editor ends its document with a paragraph mark that holds no text.
  while (out.size() >= 2 && out.compare(out.size() - 2, 2, "\r\n") == 0) out.resize(out.size() - 2);
  return out;
}

AnsiString MarkupToPlainText(std::string_view text) {
  AnsiString out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    const char c = text[i];
    if (c == '<') {
      const size_t close = text.find('>', i);
      if (close == std::string_view::npos) {
        out.append(text.substr(i));
        break;
      }
      AnsiString tag = UpperCase(text.substr(i + 1, close - i - 1));
      if (tag == "BR" || tag.rfind("BR ", 0) == 0 || tag == "BR/" || tag == "BR /") out += "\r\n";
      i = close + 1;
      continue;
    }
    if (c == '&') {
      static constexpr std::pair<std::string_view, char> kEntities[] = {
          {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&nbsp;", ' '}};
      bool replaced = false;
      for (const auto& [name, ch] : kEntities) {
        if (text.size() - i >= name.size() && SameText(text.substr(i, name.size()), name)) {
          out.push_back(ch);
          i += name.size();
          replaced = true;
          break;
        }
      }
      if (replaced) continue;
    }
    out.push_back(c);
    ++i;
  }
  return out;
}
