// Unicode cell controls: lists of wide strings with an 8-bit view, and the
// edit and combo box the grid opens on Unicode cells. Their windows hold
// UTF-16 text, so characters code page 949 lacks survive editing.
//
// Sections:
//   TWideStrings ................ abstract list of wide strings with objects
//   TAnsiStringsForWideStrings .. its 8-bit view (code page 949)
//   TWideStringList ............. the list kept in memory
//   TCustomUNIEdit, TEsgUniEdit . edit with wide Text
//   TComboBoxStrings ............ the items of a Unicode combo box
//   TCustomUNIComboBox .. TESGUniComboBox  combo box with wide Text and Items
//
// Characters of two bytes reach the key-press handling of these controls
// as one character 255 (the class library's handlers see one key per
// character); the window then receives the true character.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/StdCtrls.h"

class TWideStrings;

// Every operation goes to the owning wide list, converting with code page 949.
class TAnsiStringsForWideStrings : public TStrings {
 public:
  explicit TAnsiStringsForWideStrings(TWideStrings* owner) : owner_(owner) {}
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const AnsiString& s) override;
  void InsertObject(int index, const AnsiString& s, TObject* object) override;

 protected:
  AnsiString Get(int index) const override;
  int GetCount() const override;
  TObject* GetObject(int index) const override;
  void Put(int index, const AnsiString& s) override;
  void PutObject(int index, TObject* object) override;

 private:
  TWideStrings* owner_;
};

class TWideStrings : public TPersistent {
 public:
  TWideStrings();
  ~TWideStrings() override;

  // The 8-bit view of this list.
  TStrings* AnsiStrings() { return ansi_.get(); }
  void SetAnsiStrings(const TStrings* value) { Assign(value); }

  void Assign(const TPersistent* source) override;
  // An 8-bit list receives every item converted (inside its own update
  // bracket); a wide list is assigned from this one.
  void AssignTo(TPersistent* dest) const;

  virtual WideString Get(int index) const = 0;
  virtual int Count() const = 0;
  virtual TObject* GetObject(int index) const { return nullptr; }
  virtual void Put(int index, const WideString& s);
  virtual void PutObject(int index, TObject* object) {}
  virtual int Capacity() const { return Count(); }
  virtual void SetCapacity(int) {}
  virtual void Clear() = 0;
  virtual void Delete(int index) = 0;
  virtual void Insert(int index, const WideString& s) = 0;
  virtual void InsertObject(int index, const WideString& s, TObject* object);

  WideString Strings(int index) const { return Get(index); }
  void SetStrings(int index, const WideString& s) { Put(index, s); }
  TObject* Objects(int index) const { return GetObject(index); }
  void SetObjects(int index, TObject* object) { PutObject(index, object); }

  int Add(const WideString& s);
  int AddObject(const WideString& s, TObject* object);
  void AddStrings(const TStrings* strings);
  void AddStrings(const TWideStrings* strings);
  // The index of the first item equal to s, case ignored; -1 when none.
  int IndexOf(std::u16string_view s) const;
  void Exchange(int index1, int index2);
  void Move(int fromIndex, int toIndex);

  // Items joined, each followed by CR LF.
  WideString Text() const;
  // Splits at LF, VT, FF, CR (CR LF counts once), U+2028 and U+2029.
  void SetText(std::u16string_view text);
  // 8-bit text converted, then as SetText.
  void SetTextStr(std::string_view text);

  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return updateCount_; }
  // The locale used for comparing (case-insensitive in every locale here).
  unsigned Locale() const { return locale_; }
  void SetLocale(unsigned v) { locale_ = v; }

  // The persisted form "WideStrings": a count and each item as UTF-16.
  void WriteWideStrings(TStream& stream) const;
  // Accepts items written as wide strings (kind 1) or as 8-bit strings (kind 0).
  void ReadWideStrings(TStream& stream);

 protected:
  virtual void SetUpdateState(bool updating) {}

 private:
  std::unique_ptr<TAnsiStringsForWideStrings> ansi_;
  int updateCount_ = 0;
  unsigned locale_ = 0x0412;  // Korean
};

// Case-insensitive comparison of wide strings: 0 when equal.
int CompareWideTextNoCase(std::u16string_view a, std::u16string_view b);

class TWideStringList : public TWideStrings {
 public:
  TWideStringList() = default;
  ~TWideStringList() override = default;
  WideString Get(int index) const override;
  int Count() const override { return static_cast<int>(items_.size()); }
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Put(int index, const WideString& s) override;
  void Clear() override { items_.clear(); }
  void Delete(int index) override;
  void Insert(int index, const WideString& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const WideString& s, TObject* object) override;

 private:
  void Check(int index) const;
  std::vector<std::pair<WideString, TObject*>> items_;
};

// ---- the edit
class TCustomUNIEdit : public TCustomEdit {
 public:
  explicit TCustomUNIEdit(TComponent* owner);
  // The window's text when it exists, else the kept wide caption.
  WideString WideText() const;
  // Written to the window only when it differs (the change notification
  // follows); kept for the window to come.
  void SetWideText(std::u16string_view text);

 protected:
  void WMChar(TMessage& m) override;
  void WMKeyDown(TMessage& m) override;
  void InitWindowHandle() override;

 private:
  WideString caption_;  // while there is no window
  bool trailPending_ = false;
  bool dropTrail_ = false;
};

class TEsgUniEdit : public TCustomUNIEdit {
 public:
  explicit TEsgUniEdit(TComponent* owner) : TCustomUNIEdit(owner) {}
  WideString Text() const { return WideText(); }
  void SetText(std::u16string_view text) { SetWideText(text); }
};

// ---- the combo box
class TCustomUNIComboBox;

// The items of a Unicode combo box: the wide texts, shown in its window as
// they are; the combo's 8-bit list follows them converted.
class TComboBoxStrings : public TWideStrings {
 public:
  explicit TComboBoxStrings(TCustomUNIComboBox* combo) : combo_(combo) {}
  WideString Get(int index) const override;
  int Count() const override;
  TObject* GetObject(int index) const override;
  void PutObject(int index, TObject* object) override;
  void Clear() override;
  void Delete(int index) override;
  void Insert(int index, const WideString& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const WideString& s, TObject* object) override;
  // The first item equal to s (exactly); -1 when none.
  int FindExact(std::u16string_view s) const;
  // Puts the wide texts back into the window (after it was made).
  void ShowInWindow();

 private:
  TCustomUNIComboBox* combo_;
  std::vector<WideString> texts_;
};

class TCustomUNIComboBox : public TComboBox {
 public:
  explicit TCustomUNIComboBox(TComponent* owner);
  ~TCustomUNIComboBox() override;
  TWideStrings* WideItems() { return items_.get(); }
  WideString WideText() const;
  void SetWideText(std::u16string_view text);

 protected:
  void WMChar(TMessage& m) override;
  void WMKeyDown(TMessage& m) override;
  void InitWindowHandle() override;
  void Select() override;

 private:
  std::unique_ptr<TComboBoxStrings> items_;
  WideString caption_;
  bool trailPending_ = false;
  bool dropTrail_ = false;
};

class TESGUniCustomCombo : public TCustomUNIComboBox {
 public:
  explicit TESGUniCustomCombo(TComponent* owner);
  // The flat look: drawn without 3-D borders, with the button's edge
  // shown while the mouse is inside or the control has the focus.
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  bool Etched() const { return etched_; }
  void SetEtched(bool v);
  // From 14 to 32 pixels; other values are refused.
  int ButtonWidth() const { return buttonWidth_; }
  void SetButtonWidth(int v);
  // The list's width in pixels (0: as wide as the box).
  int DropWidth() const { return dropWidth_; }
  void SetDropWidth(int v);
  // The control takes the focus when the mouse enters it.
  bool AutoFocus() const { return autoFocus_; }
  void SetAutoFocus(bool v) { autoFocus_ = v; }
  bool FocusBorder() const { return focusBorder_; }
  void SetFocusBorder(bool v);
  bool MouseInControl() const { return mouseInControl_; }

 protected:
  void MouseEnter() override;
  void MouseLeave() override;
  void InitWindowHandle() override;
  void DoEnter() override;
  void DoExit() override;

 private:
  void ApplyLook();
  bool flat_ = true;
  bool etched_ = false;
  int buttonWidth_;
  int dropWidth_ = 0;
  bool autoFocus_ = false;
  bool focusBorder_ = false;
  bool mouseInControl_ = false;
};

class TESGUniComboBox : public TESGUniCustomCombo {
 public:
  explicit TESGUniComboBox(TComponent* owner) : TESGUniCustomCombo(owner) {}
  TWideStrings* Items() { return WideItems(); }
  WideString Text() const { return WideText(); }
  void SetText(std::u16string_view text) { SetWideText(text); }
};
