// Text comparisons of the sort styles and the sort settings object. The
// grid's sort operations are in ExGridSortRows.cpp.
//
// Sections:
//   Number texts ....... NumberTextKind, SortNumberValue
//   Date texts ......... ParseShortDateUS / EU, AutomaticStyleOf
//   Comparisons ........ CompareTextsByStyle, PlaceBlanks
//   TSortSettings
#include "grid/ExGridSort.h"

#include <algorithm>
#include <cmath>

#include "grid/ExGrid.h"
#include "grid/ExHtml.h"
#include "grid/ExUtil.h"

namespace {

bool IsDigitChar(char c) { return c >= '0' && c <= '9'; }

int Sign(int v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

int CompareValues(double a, double b) { return a < b ? -1 : (a > b ? 1 : 0); }

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string_view TrimView(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

// Removes the first occurrence of part from text, copying only when needed.
std::string_view RemoveFirst(std::string_view text, std::string_view part, AnsiString& holder) {
  if (part.empty()) return text;
  const std::size_t at = text.find(part);
  if (at == std::string_view::npos) return text;
  holder.assign(text.substr(0, at));
  holder.append(text.substr(at + part.size()));
  return holder;
}

}  // namespace

// ------------------------------------------------------------- number texts

int NumberTextKind(std::string_view text) {
  if (text.empty()) return 2;
  const char thousand = FormatSettings.ThousandSeparator;
  const char decimal = FormatSettings.DecimalSeparator;
  bool isInt = true, isFloat = true;
  int thousands = 0, minuses = 0, decimals = 0;
  int lastThousand = -1;  // the first separator counts from here, so one at position 1 fails
  for (int i = 1; i <= static_cast<int>(text.size()); ++i) {
    const char c = text[static_cast<std::size_t>(i - 1)];
    const bool digit = IsDigitChar(c);
    if (c != '-' && !digit) isInt = false;
    if (c == '-') {
      ++minuses;
      if (i > 1) isInt = isFloat = false;
    }
    if (c != '-' && !digit && c != thousand && c != decimal) isFloat = false;
    if (c == thousand) {
      ++thousands;
      if (i - lastThousand < 3) isFloat = false;
      lastThousand = i;
    }
    if (c == decimal) ++decimals;
    if (!isInt && !isFloat) return 2;  // nothing later can make it a number
  }
  if (thousands > 1 || minuses > 1 || decimals >= 2) return 2;
  return isInt ? 0 : (isFloat ? 1 : 2);
}

bool SortNumberValue(std::string_view text, std::string_view prefix, std::string_view suffix,
                     bool dropAllThousands, double& value) {
  AnsiString withoutPrefix, withoutSuffix;
  std::string_view s = RemoveFirst(text, prefix, withoutPrefix);
  s = TrimView(RemoveFirst(s, suffix, withoutSuffix));
  value = 0;
  if (s.empty()) return true;

  const char thousand = FormatSettings.ThousandSeparator;
  const char decimal = FormatSettings.DecimalSeparator;
  AnsiString number;
  bool whole = true, decimalSeen = false;
  for (std::size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (c == decimal && !decimalSeen) {
      number += '.';
      decimalSeen = true;
    } else if (c == thousand) {
      // A group separator in the integer part reads as nothing; anywhere
      // else it ends the number (unless the style drops them all).
      const bool grouping = !decimalSeen && !number.empty() && IsDigitChar(number.back()) &&
                            i + 1 < s.size() && IsDigitChar(s[i + 1]);
      if (!dropAllThousands && !grouping) {
        whole = false;
        break;
      }
    } else if (IsDigitChar(c) || c == '+' || c == '-' || c == '.' || c == 'E' || c == 'e') {
      number += c;
    } else {
      whole = false;
      break;
    }
  }
  int code = 0;
  Val(number, value, code);
  if (code != 0 || number.empty()) whole = false;
  if (!std::isfinite(value)) {
    value = 0;
    whole = false;
  }
  return whole;
}

// ------------------------------------------------------------- date texts

namespace {

enum TShortDateOrder { doMonthFirst, doDayFirst };

bool ParseShortDate(std::string_view text, TShortDateOrder order, TDateTime& date) {
  char separator = 0;
  for (char candidate : {'/', '.', '-'}) {
    if (text.find(candidate) != std::string_view::npos) {
      separator = candidate;
      break;
    }
  }
  if (!separator) return false;
  const std::size_t first = text.find(separator);
  const std::size_t second = text.find(separator, first + 1);
  if (second == std::string_view::npos) return false;
  int a = 0, b = 0, year = 0;
  if (!TryStrToInt(text.substr(0, first), a) ||
      !TryStrToInt(text.substr(first + 1, second - first - 1), b) ||
      !TryStrToInt(text.substr(second + 1), year))
    return false;
  // Only a two-digit year is placed by the window: 1999 must stay 1999.
  if (year >= 0 && year < 100) year += year > 25 ? 1900 : 2000;
  const int month = order == doMonthFirst ? a : b;
  const int day = order == doMonthFirst ? b : a;
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) return false;
  return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date);
}

// The separator test of the automatic style: 1 when sep stands at position
// 2 or 3 between two digits, -1 when it stands there without digits on both
// sides, 0 when the test does not apply.
int SeparatorBetweenDigits(std::string_view text, char sep) {
  const std::size_t at = text.find(sep);
  if (at == std::string_view::npos) return 0;
  const std::size_t p = at + 1;  // 1-based
  if (p <= 1 || p >= 4 || text.size() <= p) return 0;
  return IsDigitChar(text[at - 1]) && IsDigitChar(text[at + 1]) ? 1 : -1;
}

int CompareDates(std::string_view t1, std::string_view t2, bool (*convert)(std::string_view, TDateTime&)) {
  TDateTime d1 = 0, d2 = 0;
  if (!t1.empty() && !convert(t1, d1)) d1 = 0;
  if (!t2.empty() && !convert(t2, d2)) d2 = 0;
  return CompareValues(d1, d2);
}

bool ConvertDateTime(std::string_view s, TDateTime& d) { return TryStrToDateTime(s, d); }
bool ConvertTime(std::string_view s, TDateTime& d) { return TryStrToTime(s, d); }

// ASCII letters folded, every other code unit by value: Hangul syllables
// stand in dictionary order in UTF-16.
int CompareWideNoCase(const WideString& a, const WideString& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    char16_t ca = a[i], cb = b[i];
    if (ca >= u'a' && ca <= u'z') ca = static_cast<char16_t>(ca - 32);
    if (cb >= u'a' && cb <= u'z') cb = static_cast<char16_t>(cb - 32);
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

}  // namespace

bool ParseShortDateUS(std::string_view text, TDateTime& date) {
  return ParseShortDate(text, doMonthFirst, date);
}

bool ParseShortDateEU(std::string_view text, TDateTime& date) {
  return ParseShortDate(text, doDayFirst, date);
}

TSortStyle AutomaticStyleOf(std::string_view text) {
  if (NumberTextKind(text) < 2) return ssNumeric;
  switch (SeparatorBetweenDigits(text, FormatSettings.DateSeparator)) {
    case 1:
      return text.find(FormatSettings.TimeSeparator) != std::string_view::npos ? ssDateTime : ssDate;
    case -1:
      return ssAlphabetic;
    default:
      break;
  }
  return SeparatorBetweenDigits(text, FormatSettings.TimeSeparator) == 1 ? ssTime : ssAlphabetic;
}


// ------------------------------------------------------------- comparisons

int CompareTextsByStyle(TSortStyle style, std::string_view t1, std::string_view t2,
                        std::string_view prefix, std::string_view suffix) {
  if (style == ssAutomatic) style = AutomaticStyleOf(t1);
  switch (style) {
    case ssAlphabetic:
    case ssAlphaCase:
      return Sign(t1.compare(t2));
    case ssAlphaNoCase:
      return CompareText(t1, t2);
    case ssNumeric:
    case ssFinancial: {
      double v1 = 0, v2 = 0;
      const bool c1 = SortNumberValue(t1, prefix, suffix, style == ssFinancial, v1);
      const bool c2 = SortNumberValue(t2, prefix, suffix, style == ssFinancial, v2);
      return c1 || c2 ? CompareValues(v1, v2) : 0;
    }
    case ssDate:
    case ssDateTime:
      return CompareDates(t1, t2, ConvertDateTime);
    case ssTime:
      return CompareDates(t1, t2, ConvertTime);
    case ssShortDateEU:
      return CompareDates(t1, t2, ParseShortDateEU);
    case ssShortDateUS:
      return CompareDates(t1, t2, ParseShortDateUS);
    case ssAnsiAlphaCase:
      return Sign(AnsiCompareStr(t1, t2));
    case ssAnsiAlphaNoCase:
      return Sign(AnsiCompareText(t1, t2));
    case ssHTML:
      return Sign(HtmlToPlainText(t1).compare(HtmlToPlainText(t2)));
    case ssUnicode:
      return CompareWideNoCase(UnicodeCellToWide(t1), UnicodeCellToWide(t2));
    default:
      return 0;
  }
}

int PlaceBlanks(int result, bool empty1, bool empty2, TSortDirection direction,
                TSortBlankPosition blankPos) {
  if (empty1 == empty2) return result;
  // Ascending: the empty one goes first with blFirst; descending reverses
  // the order, so the signs flip to keep it there.
  int emptyFirst = empty1 ? -1 : 1;
  if (blankPos == blLast) emptyFirst = -emptyFirst;
  return direction == sdAscending ? emptyFirst : -emptyFirst;
}

// ------------------------------------------------------------- TSortSettings

TSortSettings::TSortSettings(TExStringGrid* grid) : grid_(grid) {}

TSortSettings::~TSortSettings() = default;

void TSortSettings::Repaint() {
  if (grid_ && grid_->UpdateCount() == 0) grid_->Invalidate();
}

void TSortSettings::SetShow(bool v) {
  show_ = v;
  Repaint();
}

void TSortSettings::SetIndexShow(bool v) {
  indexShow_ = v;
  Repaint();
}

void TSortSettings::SetRow(int v) {
  const int fixedRows = grid_ ? grid_->FixedRows() : 1;
  // The header row must be a fixed row: a row below them holds data.
  if (v < 0 || (v >= fixedRows && v != 0)) throw Exception(kSortRowTooBig);
  row_ = v;
}

void TSortSettings::SetUpGlyph(const TBitmap* v) { upGlyph_.Assign(v); }
void TSortSettings::SetDownGlyph(const TBitmap* v) { downGlyph_.Assign(v); }
void TSortSettings::SetIndexUpGlyph(const TBitmap* v) { indexUpGlyph_.Assign(v); }
void TSortSettings::SetIndexDownGlyph(const TBitmap* v) { indexDownGlyph_.Assign(v); }

void TSortSettings::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TSortSettings*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  show_ = other->show_;
  indexShow_ = other->indexShow_;
  full_ = other->full_;
  singleColumn_ = other->singleColumn_;
  ignoreBlanks_ = other->ignoreBlanks_;
  blankPos_ = other->blankPos_;
  autoFormat_ = other->autoFormat_;
  direction_ = other->direction_;
  initSortDirection_ = other->initSortDirection_;
  column_ = other->column_;
  row_ = other->row_;
  undoSort_ = other->undoSort_;
  normalCellsOnly_ = other->normalCellsOnly_;
  fixedCols_ = other->fixedCols_;
  autoColumnMerge_ = other->autoColumnMerge_;
  autoSortForGrouping_ = other->autoSortForGrouping_;
  indexColor_ = other->indexColor_;
  upGlyph_.Assign(&other->upGlyph_);
  downGlyph_.Assign(&other->downGlyph_);
  indexUpGlyph_.Assign(&other->indexUpGlyph_);
  indexDownGlyph_.Assign(&other->indexDownGlyph_);
  Repaint();
}
