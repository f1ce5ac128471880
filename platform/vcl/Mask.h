// Edit masks and the masked edit.
//
// A mask has up to three fields separated by ";": the mask itself, "0" when
// the literal characters are left out of Text (anything else keeps them),
// and the character shown in a position not yet typed (default "_").
// Mask characters: L l (letter, required / optional), A a (letter or digit),
// C c (any character), 0 9 (digit), # (digit or sign, optional), > < (upper
// / lower case from here on), <> (case as typed), \ (the next character is a
// literal), ! (accepted; positions fill from the left), / and : (the date and
// time separators), _ (a space); anything else is a literal.
//
// A mask that does not read to its end (a lone "\" last) is used as far as
// it reads. An empty mask masks nothing.
#pragma once

#include <vector>

#include "platform/vcl/StdCtrls.h"

class TEditMask {
 public:
  // One position of the edit text: a literal, or a place for one character.
  struct TSlot {
    char Kind = 0;        // 0: literal; else the mask character (L l A a C c 0 9 #)
    int Case = 0;         // 1 upper, -1 lower, 0 as typed
    AnsiString Literal;   // one character of code page 949 text
  };

  TEditMask() = default;
  explicit TEditMask(const AnsiString& mask);

  bool Empty() const { return slots_.empty(); }
  bool SaveLiterals() const { return saveLiterals_; }
  char BlankChar() const { return blank_; }
  const std::vector<TSlot>& Slots() const { return slots_; }

  // Whether one character (code page 949) may stand in an input position.
  static bool Fits(const TSlot& slot, const AnsiString& ch);
  // A Text (with or without literals) laid into the positions: one character
  // per position, BlankChar where nothing fits.
  AnsiString EditTextOf(const AnsiString& text) const;
  // The Text of an edit text: literals kept or left out as the mask says,
  // untyped positions as spaces; "" when no position is typed at all.
  AnsiString TextOf(const AnsiString& editText) const;
  // The mask in the line edit's own language (literals escaped).
  AnsiString WidgetMask() const;

 private:
  std::vector<TSlot> slots_;
  bool saveLiterals_ = true;
  char blank_ = '_';
};

// Splits code page 949 text into its characters (a lead byte keeps its trail byte).
std::vector<AnsiString> SplitChars(const AnsiString& text);

// An edit that takes its input through an edit mask. Without a mask it is a
// plain edit.
class TCustomMaskEdit : public TCustomEdit {
 public:
  explicit TCustomMaskEdit(TComponent* owner);

  const AnsiString& EditMask() const { return maskText_; }
  void SetEditMask(const AnsiString& mask);
  bool IsMasked() const { return !mask_.Empty(); }
  // The text as shown: literals and blank characters included.
  AnsiString EditText() const;
  void SetEditText(const AnsiString& s);
  // With a mask: the text as its save-literals field says.
  const AnsiString& GetText() const override;
  void SetText(const AnsiString& s) override;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;

 private:
  void PlaceEditText(const AnsiString& editText);
  AnsiString maskText_;
  TEditMask mask_;
  AnsiString editText_;           // the edit text while there is no window
  mutable AnsiString textCache_;
};

class TMaskEdit : public TCustomMaskEdit {
 public:
  explicit TMaskEdit(TComponent* owner) : TCustomMaskEdit(owner) {}
};
