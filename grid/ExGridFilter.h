// Row filtering of the string grid: the filter collection (one condition per
// item, each bound to a column) and the condition language the items use.
//
// The language, as MatchFilterExpression reads it:
//   a&b      both terms            a|b  a;b  a^b   either term
//   chains fold left to right with no precedence: a|b&c is (a or b) and c
//   >x >=x <x <=x   number comparison (locale separators), else local short
//                   date comparison, else byte comparison of the texts
//   *  any run of characters     ?  one character     \  next one literal
//   !  anywhere: negate the term     "  skipped      a leading = is dropped
//
// Text is code page 949: "?" takes a whole two-byte character, a literal or
// a run after "*" never starts or ends inside one, and case folding touches
// single-byte letters only. "*" is matched by taking each fixed stretch
// between stars at its leftmost place, which gives the same answer as trying
// every split but costs one pass over the text per stretch, whatever the
// number of stars.
//
// The grid's side (RowMatchesFilter, ApplyFilter, FilterActive) is in
// ExGridFilter.cpp beside these.
#pragma once

#include <functional>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

class TExStringGrid;

// How an item's result joins the running result, in stored order.
enum TFilterOperation : Byte { foSHORT, foNONE, foAND, foXOR, foOR };

using TFilterProgressEvent = std::function<void(TObject* sender, SmallInt progress)>;

class TFilterData : public TCollectionItem {
 public:
  explicit TFilterData(TCollection* collection) : TCollectionItem(collection) {}

  SmallInt Column() const { return column_; }
  void SetColumn(SmallInt v) { column_ = v; }
  const AnsiString& Condition() const { return condition_; }
  void SetCondition(const AnsiString& v) { condition_ = v; }
  // False: expression and text are compared after upper-casing.
  bool CaseSensitive() const { return caseSensitive_; }
  void SetCaseSensitive(bool v) { caseSensitive_ = v; }
  // Taken off the start (end) of the cell text before matching.
  const AnsiString& Prefix() const { return prefix_; }
  void SetPrefix(const AnsiString& v) { prefix_ = v; }
  const AnsiString& Suffix() const { return suffix_; }
  void SetSuffix(const AnsiString& v) { suffix_ = v; }
  TFilterOperation Operation() const { return operation_; }
  void SetOperation(TFilterOperation v) { operation_ = v; }

  void Assign(const TPersistent* source) override;

 private:
  SmallInt column_ = 0;
  AnsiString condition_;
  bool caseSensitive_ = true;
  AnsiString prefix_;
  AnsiString suffix_;
  TFilterOperation operation_ = foSHORT;
};

// The grid's filter conditions, evaluated in collection order.
class TFilter : public TCollection {
 public:
  explicit TFilter(TExStringGrid* grid);

  TExStringGrid* Grid() const { return grid_; }
  TFilterData* Add() { return static_cast<TFilterData*>(TCollection::Add()); }
  TFilterData* Items(int index) const { return static_cast<TFilterData*>(TCollection::Items(index)); }
  // The first item of that column, or a new one made for it.
  TFilterData* ColumnFilter(int col);

 private:
  TExStringGrid* grid_;
};

// ------------------------------------------------------------- the language
// None of these raises, whatever the expression holds.

bool MatchFilterExpression(std::string_view expression, std::string_view text, bool caseSensitive);
// One term: both sides upper-cased unless caseSensitive, then MatchFilterCondition.
bool MatchFilterTerm(std::string_view term, std::string_view text, bool caseSensitive);
// One term against the text as given: the comparisons, then the wildcard match.
bool MatchFilterCondition(std::string_view term, std::string_view text);
// The wildcard part alone (no comparisons): "*", "?", "\", "!" and quotes.
bool MatchFilterPattern(std::string_view pattern, std::string_view text);
// Day, month and year in the order of the locale's short date format, cut at
// its date separator; the year is taken as written. False for anything that
// is not a valid date.
bool ParseLocalShortDate(std::string_view text, TDateTime& date);
