// Text, date and size helpers that the grid's units share. Byte strings are
// code page 949; positions are 1-based and 0 means "not found".
#pragma once

#include <set>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// value bounded by minimum and maximum, where 0 means "no bound"; equal
// bounds leave the value alone.
int LimitSize(int value, int minimum, int maximum);
// Position of needle (given in upper case) in the upper-cased text.
int UpperTextPos(std::string_view needle, std::string_view text);
int FindCharPos(char ch, std::string_view text);
int FindCharPos(char ch, std::string_view text, int& pos);
// Edges included on all four sides.
bool PointInRect(const TRect& rect, int x, int y);
inline int Max(int a, int b) { return a > b ? a : b; }
inline int Min(int a, int b) { return a < b ? a : b; }
int VarPos(std::string_view needle, std::string_view text, int& pos);
// First character of text in chars, or '\0'.
char FirstCharOfSet(std::string_view chars, std::string_view text);
// "R12C3" (any case) gives column 3, row 12.
bool ParseCellReference(std::string_view text, TPoint& point);
bool IsUrlText(std::string_view text);
void StripUrlScheme(AnsiString& text);
AnsiString BackslashNToBreaks(std::string_view text);
void FillChars(AnsiString& text, char ch);
// The OEM and ANSI code pages are the same here: code page 949 both.
void OemToAnsiText(AnsiString& text);
AnsiString UnquoteDoubled(char q, std::string_view text);
void QuoteMultilineText(AnsiString& text);
void VTabsToLineBreaks(AnsiString& text);
void TildesToLineBreaks(AnsiString& text);
AnsiString SplitFirstLine(AnsiString& text, bool keepRest);
int LineCount(std::string_view text, bool multiline);
// Continues a date series: whole years, whole months or days, else step days.
TDateTime AddToDate(int years, int months, int days, double step, TDateTime date);
// pos is where the scan starts (just after the opening quote) and receives
// the closing quote's position.
int FindClosingQuote(char q, std::string_view text, int& pos);
AnsiString RemoveCR(std::string_view text);
char LowerChar(char ch);
AnsiString CapitalizeWords(std::string_view text);
bool HasTwoDateSeparators(std::string_view text);

// Unicode cell text: "|\\" then each UTF-16 unit as its high byte and its low
// byte. Such a cell's bytes are not code page 949 text.
AnsiString WideToUnicodeCell(std::u16string_view wide);
WideString UnicodeCellToWide(std::string_view text);
bool IsUnicodeCell(std::string_view text);
// 0 plain, 1 HTML, 2 rich text, 3 formula, 5 Unicode.
int CellMarkupKind(std::string_view text, bool htmlEnabled);

// Base of the cell checkers a grid's CellChecker may name. The default
// leaves every text as it is.
class TExStringGridCheck : public TComponent {
 public:
  using TComponent::TComponent;
  virtual AnsiString Check(const AnsiString& text) { return text; }
  virtual AnsiString Correct(const AnsiString& text) { return text; }
  virtual void StartCheck() {}
  virtual void StopCheck() {}

  // Whether validation of an edited cell passes its value through Correct
  // (before OnCellValidate) and through Check (after it).
  bool AutoCorrect() const { return autoCorrect_; }
  void SetAutoCorrect(bool v) { autoCorrect_ = v; }
  bool AutoCheck() const { return autoCheck_; }
  void SetAutoCheck(bool v) { autoCheck_ = v; }

 private:
  bool autoCorrect_ = true;
  bool autoCheck_ = true;
};
