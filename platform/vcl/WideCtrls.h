// Edit and combo box whose text is also reachable as UTF-16: the cell
// editors of Unicode cells keep characters that code page 949 cannot hold.
// Also the caret and selection of a combo box's edit field.
#pragma once

#include "platform/vcl/StdCtrls.h"

class TWideEdit : public TCustomEdit {
 public:
  explicit TWideEdit(TComponent* owner) : TCustomEdit(owner) {}
  // The widget's text as typed; before the window exists, the stored one.
  WideString WideText() const;
  void SetWideText(const WideString& text);

 private:
  WideString stored_;
};

class TWideComboBox : public TComboBox {
 public:
  explicit TWideComboBox(TComponent* owner) : TComboBox(owner) {}
  WideString WideText() const;
  void SetWideText(const WideString& text);
  // Items in UTF-16 (the code page 949 Items stay as they are).
  void SetWideItems(const std::vector<WideString>& items);
  int WideIndexOf(const WideString& text) const;

 private:
  std::vector<WideString> wideItems_;
  WideString stored_;
};

// The edit field of an editable combo box: the caret as a byte position of
// its code page 949 text, and a selection of bytes start .. start + length.
int ComboEditCaret(const TComboBox* combo);
void SelectComboText(TComboBox* combo, int start, int length);
