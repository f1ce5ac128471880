// The date edit keeps any text as typed, and its calendar writes a chosen
// day as "yyyy-mm-dd".
#include <gtest/gtest.h>

#include "dateedit/DateEdit.h"
#include "platform/rtl/Cp949.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

// Today is 7 December 2026 for the length of a test.
struct FixedToday {
  FixedToday() { SetClock([] { return EncodeDate(2026, 12, 7) + 0.5; }); }
  ~FixedToday() { SetClock(nullptr); }
};

TDateEdit* PlacedEdit(TForm* form) {
  auto* edit = new TDateEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 120, 21);
  return edit;
}

TEST(DateEdit, AnyTextIsKeptAsTyped) {
  ShownForm form;
  TDateEdit* edit = PlacedEdit(form.form);
  for (const AnsiString& text : {"2026-12-07"_k, "2026"_k, "모름"_k, "2026-13-45"_k, ""_k, "1999.12.31 개봉"_k}) {
    edit->SetText(text);
    EXPECT_EQ(edit->Text(), text);
  }
  edit->SetFocus();
  edit->SetText("");
  SimulateTyping(edit, "2026/2/30");
  EXPECT_EQ(edit->Text(), "2026/2/30");
  TDateTime date;
  EXPECT_FALSE(edit->TryGetDate(date));
}

TEST(DateEdit, DatesReadInTheFormsTheProgramAndUsersWrite) {
  struct Case {
    const char* text;
    bool reads;
    int y, m, d;
  } cases[] = {
      {"2026-12-07", true, 2026, 12, 7}, {"2024-02-29", true, 2024, 2, 29}, {"2026.1.5", true, 2026, 1, 5},
      {" 2026/12/07 ", true, 2026, 12, 7}, {"2026-02-29", false, 0, 0, 0}, {"2026-12", false, 0, 0, 0},
      {"2026-12-07x", false, 0, 0, 0},   {"2026-12.07", false, 0, 0, 0},  {"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    TDateTime date = 0;
    EXPECT_EQ(TryReadIsoDate(c.text, date), c.reads) << c.text;
    if (c.reads) EXPECT_EQ(date, EncodeDate(c.y, c.m, c.d)) << c.text;
  }
}

TEST(DateEdit, TheCalendarOpensAtTheTextsDateAndAClickedDayIsWrittenAsIsoText) {
  FixedToday today;
  ShownForm form;
  TDateEdit* edit = PlacedEdit(form.form);
  int changes = 0;
  edit->SetText("2025-03-14");
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->Button()->Click();
  ASSERT_TRUE(edit->DroppedDown());
  TDateCalendar* calendar = edit->Calendar();
  EXPECT_EQ(calendar->Year(), 2025);
  EXPECT_EQ(calendar->Month(), 3);

  // Next month, then the 9th.
  TRect next = calendar->NextMonthRect();
  SimulateClick(calendar, next.Left + 3, next.Top + 3);
  EXPECT_EQ(calendar->Month(), 4);
  TRect ninth = calendar->DayRect(EncodeDate(2025, 4, 9));
  ASSERT_GT(ninth.Width(), 0);
  SimulateClick(calendar, ninth.Left + 5, ninth.Top + 5);
  EXPECT_EQ(edit->Text(), "2025-04-09");
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(changes, 1);
}

TEST(DateEdit, TextThatIsNoDateOpensAtTodayAndEscapeLeavesItAlone) {
  FixedToday today;
  ShownForm form;
  TDateEdit* edit = PlacedEdit(form.form);
  edit->SetText("모름"_k);
  edit->DropDown();
  ASSERT_TRUE(edit->DroppedDown());
  EXPECT_EQ(edit->Calendar()->Date(), EncodeDate(2026, 12, 7));
  SimulateKey(edit->Calendar(), VK_RIGHT);
  SimulateKey(edit->Calendar(), VK_ESCAPE);
  EXPECT_FALSE(edit->DroppedDown());
  EXPECT_EQ(edit->Text(), "모름"_k);
  // Enter takes the marked day.
  edit->DropDown();
  SimulateKey(edit->Calendar(), VK_DOWN);
  SimulateKey(edit->Calendar(), VK_RETURN);
  EXPECT_EQ(edit->Text(), "2026-12-14");
}

}  // namespace
