// Filtering: the filter collection, the condition language, and the grid's
// filter pass.
//
// Sections:
//   TFilterData, TFilter .. items and the collection
//   Characters ............ code page 949 character steps
//   Expressions ........... MatchFilterExpression -> MatchFilterTerm
//                           -> MatchFilterCondition -> comparisons, MatchFilterPattern
//   Dates ................. ParseLocalShortDate
//   The grid's pass ....... RowMatchesFilter, ApplyFilter, SetFilterActive
//
// Call tree of switching the filter on:
//   SetFilterActive(true) -> ApplyFilter -> RowMatchesFilter (each row)
//                                             -> MatchFilterExpression (each item)
//                         -> hiding of the failing rows in one call
#include "grid/ExGridFilter.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"

// ------------------------------------------------------------- TFilterData, TFilter

void TFilterData::Assign(const TPersistent* source) {
  if (auto* other = dynamic_cast<const TFilterData*>(source)) {
    column_ = other->column_;
    condition_ = other->condition_;
    caseSensitive_ = other->caseSensitive_;
    prefix_ = other->prefix_;
    suffix_ = other->suffix_;
    operation_ = other->operation_;
    return;
  }
  TCollectionItem::Assign(source);
}

TFilter::TFilter(TExStringGrid* grid)
    : TCollection(TCollection::ItemClassOf<TFilterData>(), grid), grid_(grid) {}

TFilterData* TFilter::ColumnFilter(int col) {
  for (int i = 0; i < Count(); ++i)
    if (Items(i)->Column() == col) return Items(i);
  TFilterData* item = Add();
  item->SetColumn(static_cast<SmallInt>(col));
  return item;
}

// ------------------------------------------------------------- characters

namespace {

inline unsigned char Byte0(char c) { return static_cast<unsigned char>(c); }

// Length of the character at s[i]: a lead byte with a byte after it that can
// trail (0x41 and up, ASCII letters included) makes two bytes, as the
// runtime's case mapping counts them.
inline std::size_t CharLenAt(std::string_view s, std::size_t i) {
  return (IsLeadByte(Byte0(s[i])) && i + 1 < s.size() && Byte0(s[i + 1]) >= 0x41) ? 2 : 1;
}

inline bool IsOperatorChar(char c) { return c == '&' || c == ';' || c == '^' || c == '|'; }
inline bool IsBlankTrimmedOperator(char c) { return IsOperatorChar(c) || c == '='; }

// ------------------------------------------------------------- the wildcard pattern

// One pattern position: a star, "?" or one literal character (1 or 2 bytes).
struct TPatternToken {
  enum Kind : Byte { Literal, AnyChar, Star } kind;
  Byte length = 0;
  char bytes[2] = {0, 0};
};

struct TCompiledPattern {
  std::vector<TPatternToken> tokens;
  bool negate = false;
};

void CompilePattern(std::string_view pattern, TCompiledPattern& out) {
  out.tokens.clear();
  out.tokens.reserve(pattern.size());
  out.negate = false;
  auto addLiteral = [&](std::size_t at) {
    TPatternToken token{TPatternToken::Literal};
    token.length = static_cast<Byte>(CharLenAt(pattern, at));
    token.bytes[0] = pattern[at];
    if (token.length == 2) token.bytes[1] = pattern[at + 1];
    out.tokens.push_back(token);
    return token.length;
  };
  for (std::size_t i = 0; i < pattern.size();) {
    const char c = pattern[i];
    switch (c) {
      case '\\':
        // A backslash at the very end has nothing to escape and stands for itself.
        if (i + 1 < pattern.size()) {
          i += 1 + addLiteral(i + 1);
        } else {
          i += addLiteral(i);
        }
        break;
      case '!':
        out.negate = true;
        ++i;
        break;
      case '"':
        ++i;
        break;
      case '*':
        if (out.tokens.empty() || out.tokens.back().kind != TPatternToken::Star)
          out.tokens.push_back(TPatternToken{TPatternToken::Star});
        ++i;
        break;
      case '?':
        out.tokens.push_back(TPatternToken{TPatternToken::AnyChar});
        ++i;
        break;
      default:
        i += addLiteral(i);
        break;
    }
  }
}

constexpr std::size_t kNoMatch = std::string_view::npos;

// Matches tokens [first, last) (no stars) at the character that starts at
// pos; the end of the match, or kNoMatch.
std::size_t MatchRunAt(const TPatternToken* first, const TPatternToken* last, std::string_view text,
                       std::size_t pos) {
  for (const TPatternToken* token = first; token != last; ++token) {
    if (pos >= text.size()) return kNoMatch;
    const std::size_t len = CharLenAt(text, pos);
    if (token->kind == TPatternToken::Literal) {
      if (token->length != len || token->bytes[0] != text[pos]) return kNoMatch;
      if (len == 2 && token->bytes[1] != text[pos + 1]) return kNoMatch;
    }
    pos += len;
  }
  return pos;
}

// The whole-text match. A fixed run between two stars is taken at its
// leftmost place: any later place leaves less text for the rest, so if the
// rest cannot match after the leftmost place it cannot match after any.
bool MatchTokens(const std::vector<TPatternToken>& tokens, std::string_view text) {
  const TPatternToken* begin = tokens.data();
  const TPatternToken* end = begin + tokens.size();
  auto nextStar = [&](const TPatternToken* from) {
    while (from != end && from->kind != TPatternToken::Star) ++from;
    return from;
  };

  // The run before the first star is anchored at the start.
  const TPatternToken* runEnd = nextStar(begin);
  std::size_t pos = MatchRunAt(begin, runEnd, text, 0);
  if (pos == kNoMatch) return false;
  if (runEnd == end) return pos == text.size();

  const TPatternToken* run = runEnd + 1;
  while (true) {
    runEnd = nextStar(run);
    if (runEnd == end) break;  // the last run is anchored at the end, below
    if (run != runEnd) {
      // Leftmost place at a character start at or after pos.
      std::size_t at = pos;
      std::size_t found = kNoMatch;
      while (at < text.size()) {
        if (run->kind != TPatternToken::Literal || run->bytes[0] == text[at]) {
          found = MatchRunAt(run, runEnd, text, at);
          if (found != kNoMatch) break;
        }
        at += CharLenAt(text, at);
      }
      if (found == kNoMatch) return false;
      pos = found;
    }
    run = runEnd + 1;
  }

  // The run after the last star must end with the text: it takes exactly
  // as many characters as it has tokens, so it starts that many characters
  // before the end, counted in the character steps from pos.
  const std::size_t runLength = static_cast<std::size_t>(end - run);
  if (runLength == 0) return true;
  // The last runLength character starts, kept round in a ring.
  thread_local std::vector<std::size_t> ring;
  ring.assign(runLength, 0);
  std::size_t seen = 0;
  for (std::size_t at = pos; at < text.size(); at += CharLenAt(text, at)) ring[seen++ % runLength] = at;
  if (seen < runLength) return false;
  return MatchRunAt(run, end, text, ring[seen % runLength]) == text.size();
}

// ------------------------------------------------------------- comparisons

constexpr std::size_t kMaxOperandLength = 255;

// The operand after the comparison character at opPos, and whether an "="
// makes it inclusive.
std::string_view ComparisonOperand(std::string_view term, std::size_t opPos, bool& inclusive) {
  std::size_t i = opPos + 1;
  inclusive = i < term.size() && term[i] == '=';
  if (inclusive) ++i;
  while (i < term.size() && term[i] == ' ') ++i;
  std::size_t stop = i;
  while (stop < term.size() && term[stop] != ' ' && term[stop] != '&' && term[stop] != '|') ++stop;
  std::string_view operand = term.substr(i, stop - i);
  while (!operand.empty() && operand.front() == '"') operand.remove_prefix(1);
  if (!operand.empty() && operand.back() == '"') operand.remove_suffix(1);
  return operand.substr(0, kMaxOperandLength);
}

// A number in the locale's writing: thousand separators dropped, the
// decimal separator read as ".".
bool LocaleNumber(std::string_view text, double& value) {
  static const TFormatSettings kPointDecimal = [] {
    TFormatSettings fs;
    fs.DecimalSeparator = '.';
    fs.ThousandSeparator = '\0';
    return fs;
  }();
  const char decimal = FormatSettings.DecimalSeparator;
  const char thousand = FormatSettings.ThousandSeparator;
  AnsiString normal;
  normal.reserve(text.size());
  for (char c : text) {
    if (c == thousand && thousand != decimal) continue;
    normal += c == decimal ? '.' : c;
  }
  return TryStrToFloat(normal, value, kPointDecimal);
}

// text against operand: negative, 0 or positive.
int CompareForFilter(std::string_view text, std::string_view operand) {
  double textNumber, operandNumber;
  if (LocaleNumber(text, textNumber) && LocaleNumber(operand, operandNumber))
    return textNumber < operandNumber ? -1 : (textNumber > operandNumber ? 1 : 0);
  TDateTime operandDate, textDate;
  if (ParseLocalShortDate(operand, operandDate) && ParseLocalShortDate(text, textDate))
    return textDate < operandDate ? -1 : (textDate > operandDate ? 1 : 0);
  const int c = text.substr(0, kMaxOperandLength).compare(operand.substr(0, kMaxOperandLength));
  return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

}  // namespace

// ------------------------------------------------------------- expressions

bool MatchFilterPattern(std::string_view pattern, std::string_view text) {
  thread_local TCompiledPattern compiled;
  CompilePattern(pattern, compiled);
  const bool matched = MatchTokens(compiled.tokens, text);
  return compiled.negate ? !matched : matched;
}

bool MatchFilterCondition(std::string_view term, std::string_view text) {
  bool inclusive = false;
  const std::size_t greater = term.find('>');
  if (greater != std::string_view::npos) {
    const int c = CompareForFilter(text, ComparisonOperand(term, greater, inclusive));
    if (inclusive ? c >= 0 : c > 0) return true;
  }
  const std::size_t less = term.find('<');
  if (less != std::string_view::npos) {
    const int c = CompareForFilter(text, ComparisonOperand(term, less, inclusive));
    if (inclusive ? c <= 0 : c < 0) return true;
  }
  return MatchFilterPattern(term, text);
}

bool MatchFilterTerm(std::string_view term, std::string_view text, bool caseSensitive) {
  if (caseSensitive) return MatchFilterCondition(term, text);
  return MatchFilterCondition(AnsiUpperCase(term), AnsiUpperCase(text));
}

bool MatchFilterExpression(std::string_view expression, std::string_view text, bool caseSensitive) {
  // Blanks around the operators go, so "a & b" reads as "a&b" and "> = 5" as ">=5".
  const AnsiString trimmed = Trim(expression);
  AnsiString expr;
  expr.reserve(trimmed.size());
  for (std::size_t i = 0; i < trimmed.size();) {
    const std::size_t len = CharLenAt(trimmed, i);
    if (len == 1 && IsBlankTrimmedOperator(trimmed[i])) {
      while (!expr.empty() && expr.back() == ' ') expr.pop_back();
      expr += trimmed[i++];
      while (i < trimmed.size() && trimmed[i] == ' ') ++i;
      continue;
    }
    expr.append(trimmed, i, len);
    i += len;
  }
  std::string_view rest = expr;
  if (!rest.empty() && rest.front() == '=') rest.remove_prefix(1);

  bool result = false;
  char pendingOperator = '\0';  // none before the first term
  std::size_t termStart = 0;
  for (std::size_t i = 0;; ) {
    const bool atEnd = i >= rest.size();
    if (atEnd || (CharLenAt(rest, i) == 1 && IsOperatorChar(rest[i]))) {
      const bool term = MatchFilterTerm(rest.substr(termStart, i - termStart), text, caseSensitive);
      if (pendingOperator == '\0') {
        result = term;
      } else if (pendingOperator == '&') {
        result = result && term;
      } else {
        result = result || term;
      }
      if (atEnd) break;
      pendingOperator = rest[i];
      termStart = ++i;
      continue;
    }
    i += CharLenAt(rest, i);
  }
  return result;
}

// ------------------------------------------------------------- dates

namespace {

// Decimal digits with blanks around them; no sign, at most nine digits.
bool ParseDatePart(std::string_view text, int& value) {
  std::size_t i = 0, n = text.size();
  while (i < n && text[i] == ' ') ++i;
  while (n > i && text[n - 1] == ' ') --n;
  if (i == n || n - i > 9) return false;
  value = 0;
  for (; i < n; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

bool ParseLocalShortDate(std::string_view text, TDateTime& date) {
  const AnsiString format = UpperCase(FormatSettings.ShortDateFormat);
  const std::size_t dayAt = format.find('D');
  const std::size_t monthAt = format.find('M');
  const std::size_t yearAt = format.find('Y');
  if (dayAt == AnsiString::npos || monthAt == AnsiString::npos || yearAt == AnsiString::npos)
    return false;

  int parts[3];
  const char separator = FormatSettings.DateSeparator;
  std::size_t start = 0;
  for (int k = 0; k < 3; ++k) {
    std::size_t stop = k < 2 ? text.find(separator, start) : text.size();
    if (stop == std::string_view::npos) return false;
    if (k == 2 && text.find(separator, start) != std::string_view::npos) return false;
    if (!ParseDatePart(text.substr(start, stop - start), parts[k])) return false;
    start = stop + 1;
  }
  // The part at the k-th place goes to whichever of day, month and year
  // stands k-th in the format.
  auto place = [&](std::size_t at) {
    return static_cast<int>((at > dayAt) + (at > monthAt) + (at > yearAt));
  };
  const int day = parts[place(dayAt)];
  const int month = parts[place(monthAt)];
  const int year = parts[place(yearAt)];
  if (day < 1 || day > 31 || month < 1 || month > 12 || year < 1 || year > 9999) return false;
  return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date);
}

// ------------------------------------------------------------- the grid's pass

namespace {

// Ends an update bracket also when an event handler raises inside it.
class TFilterUpdateScope {
 public:
  explicit TFilterUpdateScope(TExStringGrid* grid) : grid_(grid) { grid_->BeginUpdate(); }
  ~TFilterUpdateScope() { grid_->EndUpdate(); }
  TFilterUpdateScope(const TFilterUpdateScope&) = delete;
  TFilterUpdateScope& operator=(const TFilterUpdateScope&) = delete;

 private:
  TExStringGrid* grid_;
};

// UpperCase on the row's own copy of the text, so that a search over a
// large catalogue makes one copy of each text, not two. The same rule:
// single-byte letters only, a two-byte character stays as it is (its
// trail byte may be an ASCII letter).
void UpperCaseInPlace(AnsiString& text) {
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char c = Byte0(text[i]);
    if (IsLeadByte(c) && i + 1 < size && Byte0(text[i + 1]) >= 0x41) {
      i += 2;
      continue;
    }
    if (c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 'a' + 'A');
    ++i;
  }
}

}  // namespace

bool TExStringGrid::RowMatchesFilter(int row) {
  bool result = true;
  for (int i = 0; i < filter_->Count(); ++i) {
    const TFilterData* item = filter_->Items(i);
    const int col = item->Column();
    AnsiString text = col >= 0 && col < RealColCount() ? GetCellText(col, row) : AnsiString();
    if (filterCaseUp_) UpperCaseInPlace(text);
    const AnsiString& prefix = item->Prefix();
    if (!prefix.empty() && text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    // A suffix goes whenever the text ends with it, also when it occurs
    // earlier in the text as well.
    const AnsiString& suffix = item->Suffix();
    if (!suffix.empty() && text.size() >= suffix.size() &&
        text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0)
      text.erase(text.size() - suffix.size());
    const bool r = MatchFilterExpression(item->Condition(), text, item->CaseSensitive());
    switch (item->Operation()) {
      case foSHORT:
        if (!r) return false;
        result = r;
        break;
      case foNONE:
        result = r;
        break;
      case foAND:
        result = result && r;
        break;
      case foXOR:
        result = result != r;
        break;
      case foOR:
        result = result || r;
        break;
    }
  }
  return result;
}

void TExStringGrid::ApplyFilter() {
  // A grouped grid opens its groups first, so that the rows found show under
  // their group rows; a group row is judged by its rows, not by its own text.
  const bool grouped = NodeCount() > 0;
  if (grouped) ExpandAllNodes();
  const int firstRow = FixedRows();
  const int endRow = RowCount() - FixedFooters();
  const int total = endRow - firstRow;
  TIntList failing;
  std::vector<char> found;
  if (grouped) found.assign(static_cast<std::size_t>(std::max(endRow, 0)), 0);
  // Progress goes out when its whole percentage changes: a listener that
  // repaints a bar would otherwise repaint once per row.
  int lastProgress = -1;
  for (int r = firstRow; r < endRow; ++r) {
    if (grouped) {
      if (!IsNodeRow(r) && !IsSummaryRow(r) && RowMatchesFilter(r)) found[static_cast<std::size_t>(r)] = 1;
    } else if (!RowMatchesFilter(r)) {
      failing.Add(r);
    }
    if (OnFilterProgress && total >= 1) {
      const int progress = static_cast<int>(std::lround((r + 1 - firstRow) * 100.0 / total));
      if (progress != lastProgress) {
        lastProgress = progress;
        OnFilterProgress(this, static_cast<SmallInt>(progress));
      }
    }
  }
  if (grouped) AddFailingRowsOfGroups(found, firstRow, endRow, failing);
  // HideRowList takes display rows also while other rows are hidden
  // (collapsed nodes, an earlier filter), so real indices stay right.
  if (failing.Count() > 0) HideRowList(&failing);
  if (OnFilterProgress && total >= 1) OnFilterProgress(this, static_cast<SmallInt>(lastProgress));
}

void TExStringGrid::AddFailingRowsOfGroups(std::vector<char>& found, int firstRow, int endRow,
                                           TIntList& failing) const {
  // Top down, so that a group inside another decides its own summary row.
  for (int r = firstRow; r < endRow; ++r) {
    if (!IsNodeRow(r)) continue;
    int end = r + 1;
    if (GetNodeSpan(r) > 0) {
      end = std::min(r + GetNodeSpan(r), endRow);
    } else {
      while (end < endRow && !IsNodeRow(end)) ++end;
    }
    bool any = false;
    for (int k = r + 1; k < end && !any; ++k) any = found[static_cast<std::size_t>(k)] && !IsNodeRow(k);
    found[static_cast<std::size_t>(r)] = any;
    for (int k = r + 1; k < end; ++k)
      if (IsSummaryRow(k)) found[static_cast<std::size_t>(k)] = any;
  }
  for (int r = firstRow; r < endRow; ++r)
    if (!found[static_cast<std::size_t>(r)]) failing.Add(r);
}

void TExStringGrid::SetFilterActive(bool value) {
  if (value == filterActive_) return;
  filterActive_ = value;
  if (value) {
    filterFixedRows_ = FixedRows();
    TFilterUpdateScope update(this);
    ApplyFilter();
  } else {
    ShowAllRows();
    if (filterFixedRows_ != FixedRows()) {
      // A load or an import drops the hidden rows instead of showing them:
      // a filter that hid every data row leaves the header rows alone, and
      // they stay header rows over one empty row until the new rows come.
      if (filterFixedRows_ >= RowCount()) SetRowCount(filterFixedRows_ + 1);
      SetFixedRows(filterFixedRows_);
    }
    if (SelectionHidden()) RestoreSelection();
    // Rows of collapsed nodes are shown again too; their nodes say so.
    MarkAllNodesExpanded();
  }
  CellsChangedHook(-1);
}
