#include "dateedit/DateEdit.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int kTitleHeight = 26;
constexpr int kWeekHeight = 20;
constexpr int kCellWidth = 30;
constexpr int kCellHeight = 21;
constexpr int kArrowWidth = 26;
constexpr TColor kSundayColor = RGB(0xC0, 0x20, 0x20);
constexpr TColor kSaturdayColor = RGB(0x20, 0x40, 0xC0);
constexpr TColor kTitleColor = RGB(0xE4, 0xEA, 0xF4);

int NumberAt(std::string_view text, std::size_t& pos, std::size_t maxDigits) {
  std::size_t start = pos;
  int n = 0;
  while (pos < text.size() && pos - start < maxDigits && text[pos] >= '0' && text[pos] <= '9')
    n = n * 10 + (text[pos++] - '0');
  return pos == start ? -1 : n;
}

}  // namespace

bool TryReadIsoDate(std::string_view text, TDateTime& date) {
  std::size_t pos = 0;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  int year = NumberAt(text, pos, 4);
  if (year < 1 || pos >= text.size()) return false;
  char separator = text[pos];
  if (separator != '-' && separator != '.' && separator != '/') return false;
  ++pos;
  int month = NumberAt(text, pos, 2);
  if (month < 0 || pos >= text.size() || text[pos] != separator) return false;
  ++pos;
  int day = NumberAt(text, pos, 2);
  if (day < 0) return false;
  while (pos < text.size() && text[pos] == ' ') ++pos;
  if (pos != text.size()) return false;
  return TryEncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day), date);
}

// ================================================================ TDateCalendar

TDateCalendar::TDateCalendar(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, kWidth, kHeight);
  SetColor(clWindow);
  SetTabStop(true);
  date_ = ::Date();
}

void TDateCalendar::SetDate(TDateTime date) {
  date_ = std::floor(date);
  Invalidate();
}

Word TDateCalendar::Year() const {
  Word y, m, d;
  DecodeDate(date_, y, m, d);
  return y;
}

Word TDateCalendar::Month() const {
  Word y, m, d;
  DecodeDate(date_, y, m, d);
  return m;
}

TDateTime TDateCalendar::FirstCell() const {
  TDateTime first = EncodeDate(Year(), Month(), 1);
  return first - (DayOfWeek(first) - 1);
}

TRect TDateCalendar::CellRect(int index) const {
  int left = 1 + (index % 7) * kCellWidth;
  int top = kTitleHeight + kWeekHeight + (index / 7) * kCellHeight;
  return Rect(left, top, left + kCellWidth, top + kCellHeight);
}

TRect TDateCalendar::DayRect(TDateTime date) const {
  Word y, m, d;
  DecodeDate(date, y, m, d);
  if (y != Year() || m != Month()) return TRect{};
  int index = static_cast<int>(std::floor(date) - FirstCell());
  return CellRect(index);
}

TRect TDateCalendar::PrevMonthRect() const { return Rect(1, 1, 1 + kArrowWidth, kTitleHeight - 1); }

TRect TDateCalendar::NextMonthRect() const {
  return Rect(Width() - 1 - kArrowWidth, 1, Width() - 1, kTitleHeight - 1);
}

void TDateCalendar::Paint() {
  TCanvas* c = Canvas();
  const TRect all = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(all);
  c->SetFont(*Font());
  c->SetBkMode(TRANSPARENT);

  // Title: the month between its arrows.
  TRect title = Rect(0, 0, all.Right, kTitleHeight);
  c->Brush()->SetColor(kTitleColor);
  c->FillRect(title);
  c->SetBkMode(TRANSPARENT);
  c->Font()->SetStyle(TFontStyles{fsBold});
  c->Font()->SetColor(clWindowText);
  AnsiString caption = Format("%d년 %d월"_k, {static_cast<int>(Year()), static_cast<int>(Month())});
  c->DrawText(caption, title, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  TRect prev = PrevMonthRect(), next = NextMonthRect();
  c->DrawText("<", prev, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  c->DrawText(">", next, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  c->Font()->SetStyle(TFontStyles{});

  // Weekday names, Sunday first.
  static const char* const kWeekdays[] = {"일", "월", "화", "수", "목", "금", "토"};
  for (int i = 0; i < 7; ++i) {
    TRect r = Rect(1 + i * kCellWidth, kTitleHeight, 1 + (i + 1) * kCellWidth, kTitleHeight + kWeekHeight);
    c->Font()->SetColor(i == 0 ? kSundayColor : i == 6 ? kSaturdayColor : clWindowText);
    c->DrawText(Utf8ToCp949(kWeekdays[i]), r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  c->Pen()->SetColor(clBtnShadow);
  c->MoveTo(4, kTitleHeight + kWeekHeight - 1);
  c->LineTo(all.Right - 4, kTitleHeight + kWeekHeight - 1);

  // Six weeks; days of the neighbouring months in grey.
  const TDateTime first = FirstCell();
  const TDateTime today = std::floor(::Date());
  for (int i = 0; i < 42; ++i) {
    TDateTime day = first + i;
    Word y, m, d;
    DecodeDate(day, y, m, d);
    TRect r = CellRect(i);
    bool inMonth = m == Month();
    if (day == date_) {
      c->Brush()->SetColor(clHighlight);
      TRect mark = r;
      InflateRect(mark, -2, -1);
      c->FillRect(mark);
    }
    c->SetBkMode(TRANSPARENT);
    TColor color = !inMonth ? clGrayText : i % 7 == 0 ? kSundayColor : i % 7 == 6 ? kSaturdayColor : clWindowText;
    if (day == date_) color = clHighlightText;
    c->Font()->SetColor(color);
    TRect text = r;
    c->DrawText(IntToStr(d), text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    if (day == today) {
      c->Brush()->SetColor(kSundayColor);
      TRect frame = r;
      InflateRect(frame, -2, -1);
      c->FrameRect(frame);
    }
  }
  c->Brush()->SetColor(clBtnShadow);
  c->FrameRect(all);
}

void TDateCalendar::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  const TPoint p{x, y};
  if (PtInRect(PrevMonthRect(), p)) {
    SetDate(IncMonth(date_, -1));
    return;
  }
  if (PtInRect(NextMonthRect(), p)) {
    SetDate(IncMonth(date_, 1));
    return;
  }
  for (int i = 0; i < 42; ++i) {
    if (!PtInRect(CellRect(i), p)) continue;
    TDateTime day = FirstCell() + i;
    SetDate(day);
    if (OnPick) OnPick(this, day);
    return;
  }
}

void TDateCalendar::KeyDown(Word& key, TShiftState shift) {
  TCustomControl::KeyDown(key, shift);
  switch (key) {
    case VK_LEFT: SetDate(date_ - 1); break;
    case VK_RIGHT: SetDate(date_ + 1); break;
    case VK_UP: SetDate(date_ - 7); break;
    case VK_DOWN: SetDate(date_ + 7); break;
    case VK_PRIOR: SetDate(IncMonth(date_, -1)); break;
    case VK_NEXT: SetDate(IncMonth(date_, 1)); break;
    case VK_RETURN:
      if (OnPick) OnPick(this, date_);
      break;
    case VK_ESCAPE:
      if (OnCancel) OnCancel(this);
      break;
    default: return;
  }
  key = 0;
}

void TDateCalendar::WMGetDlgCode(TMessage& m) {
  // Arrows, Enter and Escape belong to the calendar, not to the dialog.
  m.Result = DLGC_WANTARROWS | DLGC_WANTALLKEYS;
}

// ================================================================ TDateEdit

TDateEdit::TDateEdit(TComponent* owner) : TEdit(owner) {
  SetHeight(21);
  button_ = new TSpeedButton(this);
  button_->SetParent(this);
  button_->SetCaption("▼"_k);
  button_->SetWidth(17);
  button_->SetAlign(alRight);
  button_->SetCursor(crArrow);
  button_->OnClick = [this](TObject*) {
    if (DroppedDown()) CloseUp();
    else DropDown();
  };
}

TDateEdit::~TDateEdit() { delete popup_; }

bool TDateEdit::TryGetDate(TDateTime& date) const {
  const AnsiString& text = GetText();
  if (TryReadIsoDate(text, date)) return true;
  return TryStrToDate(Trim(text), date);
}

void TDateEdit::SetDate(TDateTime date) { SetText(FormatDateTime(dateFormat_, date)); }

void TDateEdit::CreatePopup() {
  if (popup_) return;
  popup_ = new TForm(nullptr);
  popup_->SetBorderStyle(bsNone);
  popup_->SetFormStyle(fsStayOnTop);
  popup_->SetBounds(0, 0, TDateCalendar::kWidth, TDateCalendar::kHeight);
  calendar_ = new TDateCalendar(popup_);
  calendar_->SetParent(popup_);
  calendar_->SetFont(Font());
  calendar_->SetAlign(alClient);
  calendar_->OnPick = [this](TObject*, TDateTime date) {
    CloseUp();
    SetDate(date);
    if (CanFocus()) SetFocus();
  };
  calendar_->OnCancel = [this](TObject*) {
    CloseUp();
    if (CanFocus()) SetFocus();
  };
  // A click anywhere else closes it, as a drop-down list does.
  popup_->OnDeactivate = [this](TObject*) { CloseUp(); };
}

void TDateEdit::DropDown() {
  CreatePopup();
  TDateTime start;
  if (!TryGetDate(start)) start = ::Date();
  calendar_->SetDate(start);
  TPoint below = ClientToScreen({0, Height()});
  popup_->SetBounds(below.X, below.Y, TDateCalendar::kWidth, TDateCalendar::kHeight);
  popup_->Show();
  popup_->SetActiveControl(calendar_);
}

void TDateEdit::CloseUp() {
  if (popup_ && popup_->Visible()) popup_->Hide();
}

bool TDateEdit::DroppedDown() const { return popup_ && popup_->Visible(); }

void TDateEdit::KeyDown(Word& key, TShiftState shift) {
  TEdit::KeyDown(key, shift);
  // Alt+Down and F4 open the calendar, as they open a drop-down list.
  if ((key == VK_DOWN && shift.contains(ssAlt)) || key == VK_F4) {
    key = 0;
    DropDown();
  }
}
