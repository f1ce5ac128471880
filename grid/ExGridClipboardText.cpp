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
