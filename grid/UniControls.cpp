// Unicode cell controls; the index is in UniControls.h.
#include "grid/UniControls.h"

#include <algorithm>

#include "platform/rtl/Cp949.h"
#include "platform/vcl/ComboLook.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/WideText.h"

namespace {

[[noreturn]] void IndexError(int index) {
  throw EStringListError("List index out of bounds (" + IntToStr(index) + ")");
}

// The character-keeping step shared by the edit and the combo box: the
// first byte of a two-byte character goes to the key-press handling as 255
// and, unless a handler changed it, both bytes then reach the window, which
// gets the true character.
template <class DoKeyPress, class Default>
bool KeepWideCharacter(TMessage& m, bool& trailPending, bool& dropTrail, DoKeyPress doKeyPress, Default defaultHandler) {
  const auto byte = static_cast<unsigned char>(m.WParam & 0xFF);
  if (trailPending) {
    trailPending = false;
    if (dropTrail) m.WParam = 0;
    else defaultHandler(m);
    return true;
  }
  if (!IsLeadByte(byte)) return false;
  trailPending = true;
  TMessage keyed = m;
  keyed.WParam = 255;
  if (doKeyPress(keyed)) {
    dropTrail = true;
    m.WParam = 0;
    return true;
  }
  const auto answer = static_cast<unsigned char>(keyed.WParam & 0xFF);
  if (answer != 255) {
    // A handler typed another character in its place.
    dropTrail = true;
    m.WParam = answer;
  } else {
    dropTrail = false;
    m.WParam = byte;  // the true character is put back
  }
  defaultHandler(m);
  return true;
}

// Lower case of the letters of the alphabets a catalogue meets: Latin
// (with Latin-1), Greek, Cyrillic and the full-width Latin letters.
// The wide text of a control: its window's, else the caption kept for the
// window to come (unless the 8-bit text was set since).
WideString ControlWideText(const TWinControl& control, const WideString& caption) {
  WideString text;
  if (GetWindowWideText(&control, text)) return text;
  if (Utf16ToCp949(caption) != control.GetText()) return Cp949ToUtf16(control.GetText());
  return caption;
}

template <class SetAnsi>
void SetControlWideText(TWinControl& control, WideString& caption, std::u16string_view text, SetAnsi setAnsi) {
  caption = WideString(text);
  if (SetWindowWideText(&control, text)) return;
  const AnsiString ansi = Utf16ToCp949(text);
  if (ansi != control.GetText()) setAnsi(ansi);
}

char16_t FoldCase(char16_t c) {
  if ((c >= u'A' && c <= u'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3A9) ||
      (c >= 0x410 && c <= 0x42F) || (c >= 0xFF21 && c <= 0xFF3A))
    return static_cast<char16_t>(c + 0x20);
  if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
  return c;
}

}  // namespace

int CompareWideTextNoCase(std::u16string_view a, std::u16string_view b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    const char16_t x = FoldCase(a[i]), y = FoldCase(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// ------------------------------------------------- TAnsiStringsForWideStrings

void TAnsiStringsForWideStrings::Clear() { owner_->Clear(); }
void TAnsiStringsForWideStrings::Delete(int index) { owner_->Delete(index); }
void TAnsiStringsForWideStrings::Insert(int index, const AnsiString& s) { owner_->Insert(index, Cp949ToUtf16(s)); }
void TAnsiStringsForWideStrings::InsertObject(int index, const AnsiString& s, TObject* object) {
  owner_->InsertObject(index, Cp949ToUtf16(s), object);
}
AnsiString TAnsiStringsForWideStrings::Get(int index) const { return Utf16ToCp949(owner_->Get(index)); }
int TAnsiStringsForWideStrings::GetCount() const { return owner_->Count(); }
TObject* TAnsiStringsForWideStrings::GetObject(int index) const { return owner_->GetObject(index); }
void TAnsiStringsForWideStrings::Put(int index, const AnsiString& s) { owner_->Put(index, Cp949ToUtf16(s)); }
void TAnsiStringsForWideStrings::PutObject(int index, TObject* object) { owner_->PutObject(index, object); }

// --------------------------------------------------------------- TWideStrings

TWideStrings::TWideStrings() : ansi_(std::make_unique<TAnsiStringsForWideStrings>(this)) {}
TWideStrings::~TWideStrings() = default;

void TWideStrings::BeginUpdate() {
  if (updateCount_++ == 0) SetUpdateState(true);
}

void TWideStrings::EndUpdate() {
  if (updateCount_ > 0 && --updateCount_ == 0) SetUpdateState(false);
}

void TWideStrings::Assign(const TPersistent* source) {
  if (source == this) return;
  if (auto* wide = dynamic_cast<const TWideStrings*>(source)) {
    BeginUpdate();
    Clear();
    AddStrings(wide);
    EndUpdate();
    return;
  }
  if (auto* ansi = dynamic_cast<const TStrings*>(source)) {
    BeginUpdate();
    Clear();
    AddStrings(ansi);
    EndUpdate();
    return;
  }
  TPersistent::Assign(source);
}

void TWideStrings::AssignTo(TPersistent* dest) const {
  if (auto* wide = dynamic_cast<TWideStrings*>(dest)) {
    wide->Assign(this);
    return;
  }
  if (auto* ansi = dynamic_cast<TStrings*>(dest)) {
    ansi->BeginUpdate();
    ansi->Clear();
    for (int i = 0; i < Count(); ++i) ansi->AddObject(Utf16ToCp949(Get(i)), GetObject(i));
    ansi->EndUpdate();
  }
}

void TWideStrings::Put(int index, const WideString& s) {
  TObject* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TWideStrings::InsertObject(int index, const WideString& s, TObject* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TWideStrings::Add(const WideString& s) { return AddObject(s, nullptr); }

int TWideStrings::AddObject(const WideString& s, TObject* object) {
  const int index = Count();
  InsertObject(index, s, object);
  return index;
}

void TWideStrings::AddStrings(const TStrings* strings) {
  BeginUpdate();
  for (int i = 0; i < strings->Count(); ++i) AddObject(Cp949ToUtf16(strings->Strings(i)), strings->Objects(i));
  EndUpdate();
}

void TWideStrings::AddStrings(const TWideStrings* strings) {
  BeginUpdate();
  for (int i = 0; i < strings->Count(); ++i) AddObject(strings->Get(i), strings->GetObject(i));
  EndUpdate();
}

int TWideStrings::IndexOf(std::u16string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareWideTextNoCase(Get(i), s) == 0) return i;
  return -1;
}

void TWideStrings::Exchange(int index1, int index2) {
  if (index1 == index2) return;
  BeginUpdate();
  const WideString s1 = Get(index1), s2 = Get(index2);
  TObject* o1 = GetObject(index1);
  TObject* o2 = GetObject(index2);
  Put(index1, s2);
  PutObject(index1, o2);
  Put(index2, s1);
  PutObject(index2, o1);
  EndUpdate();
}

void TWideStrings::Move(int fromIndex, int toIndex) {
  if (fromIndex == toIndex) return;
  BeginUpdate();
  const WideString s = Get(fromIndex);
  TObject* object = GetObject(fromIndex);
  Delete(fromIndex);
  InsertObject(toIndex, s, object);
  EndUpdate();
}

WideString TWideStrings::Text() const {
  WideString text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += u"\r\n";
  }
  return text;
}

void TWideStrings::SetText(std::u16string_view text) {
  BeginUpdate();
  Clear();
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char16_t c = text[i];
    if (c == 10 || c == 11 || c == 12 || c == 13 || c == 0x2028 || c == 0x2029) {
      Add(WideString(text.substr(start, i - start)));
      if (c == 13 && i + 1 < text.size() && text[i + 1] == 10) ++i;
      start = i + 1;
    }
  }
  if (start < text.size()) Add(WideString(text.substr(start)));
  EndUpdate();
}

void TWideStrings::SetTextStr(std::string_view text) { SetText(Cp949ToUtf16(text)); }

void TWideStrings::WriteWideStrings(TStream& stream) const {
  auto put32 = [&](std::uint32_t v) { stream.WriteBuffer(&v, 4); };
  put32(static_cast<std::uint32_t>(Count()));
  for (int i = 0; i < Count(); ++i) {
    const WideString s = Get(i);
    const char kind = 1;
    stream.WriteBuffer(&kind, 1);
    put32(static_cast<std::uint32_t>(s.size()));
    if (!s.empty()) stream.WriteBuffer(s.data(), static_cast<Int64>(s.size() * 2));
  }
}

void TWideStrings::ReadWideStrings(TStream& stream) {
  // Everything is read and checked before the list changes.
  auto get32 = [&] {
    std::uint32_t v = 0;
    stream.ReadBuffer(&v, 4);
    return v;
  };
  const Int64 left = stream.Size() - stream.Position();
  const std::uint32_t count = get32();
  if (count > static_cast<std::uint64_t>(left) / 5) throw EReadError("Stream read error");
  std::vector<WideString> items;
  items.reserve(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    char kind = 0;
    stream.ReadBuffer(&kind, 1);
    const std::uint32_t length = get32();
    const Int64 bytes = kind == 1 ? Int64(length) * 2 : Int64(length);
    if (bytes > stream.Size() - stream.Position() || (kind != 0 && kind != 1)) throw EReadError("Stream read error");
    if (kind == 1) {
      WideString s(length, u'\0');
      if (length) stream.ReadBuffer(s.data(), bytes);
      items.push_back(std::move(s));
    } else {
      std::string s(length, '\0');
      if (length) stream.ReadBuffer(s.data(), bytes);
      items.push_back(Cp949ToUtf16(s));
    }
  }
  BeginUpdate();
  Clear();
  for (WideString& s : items) Add(s);
  EndUpdate();
}

// ------------------------------------------------------------ TWideStringList

void TWideStringList::Check(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
}

WideString TWideStringList::Get(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].first;
}

TObject* TWideStringList::GetObject(int index) const {
  Check(index);
  return items_[static_cast<std::size_t>(index)].second;
}

void TWideStringList::PutObject(int index, TObject* object) {
  Check(index);
  items_[static_cast<std::size_t>(index)].second = object;
}

void TWideStringList::Put(int index, const WideString& s) {
  Check(index);
  items_[static_cast<std::size_t>(index)].first = s;
}

void TWideStringList::Delete(int index) {
  Check(index);
  items_.erase(items_.begin() + index);
}

void TWideStringList::InsertObject(int index, const WideString& s, TObject* object) {
  if (index < 0 || index > Count()) IndexError(index);
  items_.insert(items_.begin() + index, {s, object});
}

// ------------------------------------------------------------- TCustomUNIEdit

TCustomUNIEdit::TCustomUNIEdit(TComponent* owner) : TCustomEdit(owner) { Font()->SetCharset(255); }

WideString TCustomUNIEdit::WideText() const { return ControlWideText(*this, caption_); }

void TCustomUNIEdit::SetWideText(std::u16string_view text) {
  SetControlWideText(*this, caption_, text, [this](const AnsiString& s) { TCustomEdit::SetText(s); });
}

void TCustomUNIEdit::InitWindowHandle() {
  TCustomEdit::InitWindowHandle();
  // The wide caption kept while there was no window; the window shows the
  // same text the 8-bit view holds, so this is no change.
  if (!caption_.empty() && Utf16ToCp949(caption_) == GetText()) {
    settingText_ = true;
    SetWindowWideText(this, caption_);
    settingText_ = false;
  }
}

void TCustomUNIEdit::WMChar(TMessage& m) {
  if (KeepWideCharacter(m, trailPending_, dropTrail_, [this](TMessage& k) { return DoKeyPress(k); },
                        [this](TMessage& k) { DefaultHandler(k); }))
    return;
  TCustomEdit::WMChar(m);
}

void TCustomUNIEdit::WMKeyDown(TMessage& m) {
  trailPending_ = false;  // a key starts a new character
  TCustomEdit::WMKeyDown(m);
}

// ----------------------------------------------------------- TComboBoxStrings

WideString TComboBoxStrings::Get(int index) const {
  if (index < 0 || index >= Count()) IndexError(index);
  WideString text;
  if (GetComboItemWideText(combo_, index, text)) return text;
  return texts_[static_cast<std::size_t>(index)];
}

int TComboBoxStrings::Count() const { return static_cast<int>(texts_.size()); }

TObject* TComboBoxStrings::GetObject(int index) const { return combo_->Items()->Objects(index); }

void TComboBoxStrings::PutObject(int index, TObject* object) { combo_->Items()->SetObjects(index, object); }

void TComboBoxStrings::Clear() {
  // The edit text stays.
  const WideString text = combo_->WideText();
  texts_.clear();
  combo_->Items()->Clear();
  combo_->SetWideText(text);
}

void TComboBoxStrings::Delete(int index) {
  if (index < 0 || index >= Count()) IndexError(index);
  texts_.erase(texts_.begin() + index);
  combo_->Items()->Delete(index);
}

void TComboBoxStrings::InsertObject(int index, const WideString& s, TObject* object) {
  if (index < 0 || index > Count()) IndexError(index);
  TStrings* items = combo_->Items();
  int at = index;
  if (combo_->Sorted()) {
    at = items->AddObject(Utf16ToCp949(s), object);
  } else {
    items->InsertObject(index, Utf16ToCp949(s), object);
  }
  texts_.insert(texts_.begin() + at, s);
  SetComboItemWideText(combo_, at, s);
}

int TComboBoxStrings::FindExact(std::u16string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (Get(i) == s) return i;
  return -1;
}

void TComboBoxStrings::ShowInWindow() {
  for (int i = 0; i < Count(); ++i) SetComboItemWideText(combo_, i, texts_[static_cast<std::size_t>(i)]);
}

// --------------------------------------------------------- TCustomUNIComboBox

TCustomUNIComboBox::TCustomUNIComboBox(TComponent* owner)
    : TComboBox(owner), items_(std::make_unique<TComboBoxStrings>(this)) {
  Font()->SetCharset(255);
}

TCustomUNIComboBox::~TCustomUNIComboBox() = default;

WideString TCustomUNIComboBox::WideText() const { return ControlWideText(*this, caption_); }

void TCustomUNIComboBox::SetWideText(std::u16string_view text) {
  SetControlWideText(*this, caption_, text, [this](const AnsiString& s) { TComboBox::SetText(s); });
}

void TCustomUNIComboBox::InitWindowHandle() {
  TComboBox::InitWindowHandle();
  items_->ShowInWindow();
  if (!caption_.empty() && Utf16ToCp949(caption_) == GetText()) SetWindowWideText(this, caption_);
}

void TCustomUNIComboBox::Select() {
  // The selected item's wide text is the control's text.
  const int index = ItemIndex();
  if (index >= 0 && index < items_->Count()) caption_ = items_->Get(index);
  TComboBox::Select();
}

void TCustomUNIComboBox::WMChar(TMessage& m) {
  if (KeepWideCharacter(m, trailPending_, dropTrail_, [this](TMessage& k) { return DoKeyPress(k); },
                        [this](TMessage& k) { DefaultHandler(k); }))
    return;
  if (DoKeyPress(m)) return;
  // Enter and Escape close an open list and go no further.
  if ((m.WParam == VK_RETURN || m.WParam == VK_ESCAPE) && DroppedDown()) {
    SetDroppedDown(false);
    return;
  }
  DefaultHandler(m);
}

void TCustomUNIComboBox::WMKeyDown(TMessage& m) {
  trailPending_ = false;
  TComboBox::WMKeyDown(m);
}

// ---------------------------------------------------------- TESGUniCustomCombo

TESGUniCustomCombo::TESGUniCustomCombo(TComponent* owner)
    : TCustomUNIComboBox(owner), buttonWidth_(GetSystemMetrics(SM_CXVSCROLL) + 4) {}

void TESGUniCustomCombo::ApplyLook() {
  TComboLook look;
  look.Flat = flat_;
  look.Etched = etched_;
  look.Hot = mouseInControl_ || Focused();
  look.FocusBorder = focusBorder_ && !HasState(csDesigning);
  look.ButtonWidth = buttonWidth_;
  SetComboLook(this, look);
}

void TESGUniCustomCombo::InitWindowHandle() {
  TCustomUNIComboBox::InitWindowHandle();
  ApplyLook();
}

void TESGUniCustomCombo::DoEnter() {
  TCustomUNIComboBox::DoEnter();
  ApplyLook();
}

void TESGUniCustomCombo::DoExit() {
  TCustomUNIComboBox::DoExit();
  ApplyLook();
}

void TESGUniCustomCombo::SetFlat(bool v) {
  if (flat_ == v) return;
  flat_ = v;
  ApplyLook();
}

void TESGUniCustomCombo::SetEtched(bool v) {
  if (etched_ == v) return;
  etched_ = v;
  ApplyLook();
}

void TESGUniCustomCombo::SetButtonWidth(int v) {
  if (v < 14 || v > 32 || v == buttonWidth_) return;
  buttonWidth_ = v;
  ApplyLook();
}

void TESGUniCustomCombo::SetDropWidth(int v) {
  dropWidth_ = std::max(0, v);
  if (dropWidth_ > 0) SetDropDownWidth(dropWidth_);
}

void TESGUniCustomCombo::SetFocusBorder(bool v) {
  if (focusBorder_ == v) return;
  focusBorder_ = v;
  ApplyLook();
}

void TESGUniCustomCombo::MouseEnter() {
  mouseInControl_ = true;
  if (autoFocus_ && Enabled() && CanFocus()) SetFocus();
  ApplyLook();
  TCustomUNIComboBox::MouseEnter();
}

void TESGUniCustomCombo::MouseLeave() {
  mouseInControl_ = false;
  ApplyLook();
  TCustomUNIComboBox::MouseLeave();
}
