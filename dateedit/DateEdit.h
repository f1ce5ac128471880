// A date edit: a plain edit whose button drops down a month calendar.
//
// The text is the user's and the program's: it is read and written as it
// stands and never rejected, whatever it holds ("2026-12-07", "2026",
// "모름"). The calendar only helps to type a date: it opens at the date the
// text reads as (today otherwise) and a chosen day replaces the text with
// that day in DateFormat ("yyyy-mm-dd").
#pragma once

#include <functional>

#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"

// A month of days to pick one from: a title with the previous and next
// month arrows, the weekday names and six weeks.
class TDateCalendar : public TCustomControl {
 public:
  explicit TDateCalendar(TComponent* owner);
  TDateTime Date() const { return date_; }
  // Shows the date's month with the date marked.
  void SetDate(TDateTime date);
  Word Year() const;
  Word Month() const;
  // Where a day of the shown month is drawn (empty for another month's day).
  TRect DayRect(TDateTime date) const;
  TRect PrevMonthRect() const;
  TRect NextMonthRect() const;
  // The size that shows the whole month.
  static constexpr int kWidth = 7 * 30 + 2;
  static constexpr int kHeight = 26 + 20 + 6 * 21 + 2;

  // A day was chosen (clicked, or Enter on the marked day).
  std::function<void(TObject* sender, TDateTime date)> OnPick;
  // Escape.
  TNotifyEvent OnCancel;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(Word& key, TShiftState shift) override;
  void WMGetDlgCode(TMessage& m) override;

 private:
  // The date shown in the first cell (a Sunday on or before the 1st).
  TDateTime FirstCell() const;
  TRect CellRect(int index) const;
  TDateTime date_ = 0;
};

class TDateEdit : public TEdit {
 public:
  explicit TDateEdit(TComponent* owner);
  ~TDateEdit() override;

  // The pattern a chosen day is written in.
  const AnsiString& DateFormat() const { return dateFormat_; }
  void SetDateFormat(const AnsiString& format) { dateFormat_ = format; }
  // Whether the text reads as a date ("yyyy-mm-dd", "yyyy.mm.dd",
  // "yyyy/mm/dd" or the locale's short date), and that date.
  bool TryGetDate(TDateTime& date) const;
  // Writes the date in DateFormat.
  void SetDate(TDateTime date);

  TSpeedButton* Button() const { return button_; }
  // Opens and closes the calendar; DroppedDown tells whether it shows.
  void DropDown();
  void CloseUp();
  bool DroppedDown() const;
  TDateCalendar* Calendar() const { return calendar_; }

 protected:
  void KeyDown(Word& key, TShiftState shift) override;

 private:
  void CreatePopup();
  TSpeedButton* button_;
  TForm* popup_ = nullptr;
  TDateCalendar* calendar_ = nullptr;
  AnsiString dateFormat_ = "yyyy-mm-dd";
};

// Reads "yyyy-mm-dd" (also with "." or "/" between the parts); false for
// anything else or a day that does not exist.
bool TryReadIsoDate(std::string_view text, TDateTime& date);
