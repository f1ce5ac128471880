// The editor controls on their own: spin values that read, clamp and step
// (dates by the month-day order of the format, times within their bounds, integers at
// the edge of their range), typing that refuses a Hangul syllable whole,
// the held arrow button, the unit menu and the combo's button width.
#include <gtest/gtest.h>

#include <chrono>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "EditorTestSupport.h"
#include "grid/EsgControls.h"
#include "grid/PictureContainer.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/WindowImage.h"

namespace {

struct SpinDesk : ::testing::Test {
  TKoreanLocale locale;
  TEditorForm shown;
  TEsgSpinEdit* spin = nullptr;
  void SetUp() override {
    spin = new TEsgSpinEdit(shown.form);
    spin->SetParent(shown.form);
    spin->SetBounds(10, 10, 120, 24);
    spin->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return spin->Focused(); }));
  }
};

}  // namespace

TEST_F(SpinDesk, IntegerValuesReadClampAndFallBackToTheMinimum) {
  EXPECT_EQ(spin->Text(), "0");
  spin->SetValue(250);
  EXPECT_EQ(spin->Text(), "100") << "MaxValue 100 at creation";
  spin->SetText("abc");
  spin->SetMinValue(7);
  spin->SetMaxValue(9);
  EXPECT_EQ(spin->Value(), 7) << "letters read as MinValue";
  spin->SetMinValue(5);
  spin->SetMaxValue(5);
  spin->SetValue(-40);
  EXPECT_EQ(spin->Value(), -40) << "equal bounds do not clamp";
}

TEST_F(SpinDesk, StepsNeverOverflowAndKeysStepByIncrement) {
  spin->SetMinValue(0);
  spin->SetMaxValue(0);
  spin->SetIncrement(INT_MAX);
  spin->SetValue(INT_MAX - 1);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Value(), INT_MAX) << "the step stops at the end of the range";
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Value(), INT_MAX);
  spin->SetValue(INT_MIN + 1);
  SimulateKey(spin, VK_DOWN);
  SimulateKey(spin, VK_NEXT);
  EXPECT_EQ(spin->Value(), INT_MIN);

  spin->SetMaxValue(100);
  spin->SetIncrement(5);
  spin->SetValue(98);
  SimulateKey(spin, VK_PRIOR);
  EXPECT_EQ(spin->Value(), 100) << "clamped by the setter";
}

TEST_F(SpinDesk, AFloatThatDoesNotReadFallsBackToMinValue) {
  spin->SetSpinType(sptFloat);
  spin->SetMinValue(42);
  spin->SetMinFloatValue(1.5);
  spin->SetMaxFloatValue(90.5);
  spin->SetText("x.y");
  EXPECT_DOUBLE_EQ(spin->FloatValue(), 42.0) << "the integer bound, not the float one";
  spin->SetText("3.25");
  EXPECT_DOUBLE_EQ(spin->FloatValue(), 3.25);
  SimulateKey(spin, VK_UP);
  EXPECT_DOUBLE_EQ(spin->FloatValue(), 3.25) << "IncrementFloat is 0 at creation";
  spin->SetIncrementFloat(0.5);
  spin->SetPrecision(2);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "3.75");
  spin->SetText("");
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "42.50") << "an empty text steps on from MinValue";
}

TEST_F(SpinDesk, DateStepsByTheSeparatorsBeforeTheCaretAndTheMonthDayOrder) {
  spin->SetSpinType(sptDate);
  spin->SetDateValue(EncodeDate(2024, 1, 31));
  ASSERT_EQ(spin->Text(), "2024-01-31");
  // The month comes before the day in "yyyy-mm-dd": the first field steps
  // the month, the second the day, the third the year.
  spin->SetSelStart(2);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "2024-02-29");
  spin->SetSelStart(6);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "2024-03-01");
  spin->SetSelStart(9);
  SimulateKey(spin, VK_DOWN);
  EXPECT_EQ(spin->Text(), "2023-03-01");
  EXPECT_EQ(spin->SelStart(), 9) << "the caret stays in its field";
  // Day first: day, month, year.
  FormatSettings.ShortDateFormat = "dd/mm/yyyy";
  FormatSettings.DateSeparator = '/';
  spin->SetDateValue(EncodeDate(2024, 1, 31));
  ASSERT_EQ(spin->Text(), "31/01/2024");
  spin->SetSelStart(1);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "01/02/2024");
  spin->SetSelStart(4);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "01/03/2024");
  spin->SetSelStart(8);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "01/03/2025");
}

TEST_F(SpinDesk, TimesStepByFieldAndStayWithinTheTimeBounds) {
  spin->SetSpinType(sptTime);
  FormatSettings.LongTimeFormat = "hh:nn:ss";
  spin->SetTimeValue(EncodeTime(10, 59, 0, 0));
  ASSERT_EQ(spin->Text(), "10:59:00");
  spin->SetSelStart(4);  // minutes
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "11:00:00");
  // Bounds 09:00 .. 11:30 (on any date): an hour up stops at 11:30.
  spin->SetMinDateValue(EncodeDate(2020, 1, 1) + EncodeTime(9, 0, 0, 0));
  spin->SetMaxDateValue(EncodeDate(2030, 1, 1) + EncodeTime(11, 30, 0, 0));
  spin->SetSelStart(0);
  SimulateKey(spin, VK_UP);
  EXPECT_EQ(spin->Text(), "11:30:00") << "clamped to the time bound, not to a date";
  spin->SetTimeValue(EncodeTime(8, 0, 0, 0));
  EXPECT_EQ(spin->Text(), "09:00:00");
}

TEST_F(SpinDesk, TypingRefusesLettersAndAHangulSyllableWhole) {
  spin->SetText("");
  SimulateTyping(spin, "12a");
  EXPECT_EQ(spin->Text(), "12");
  // A syllable whose trail byte is an ASCII letter must not leave that letter behind.
  SimulateImeCommit(spin, "각5"_k);
  EXPECT_EQ(spin->Text(), "125");
  SimulateKey(spin, VK_HOME);
  SimulateTyping(spin, "-");
  EXPECT_EQ(spin->Text(), "-125");
  SimulateTyping(spin, "-");
  EXPECT_EQ(spin->Text(), "-125") << "a second minus sign is refused";
}

TEST_F(SpinDesk, DateTypingTakesTheDateSeparatorEvenWhenItIsAMinusSign) {
  spin->SetSpinType(sptDate);
  spin->SetText("");
  SimulateTyping(spin, "2024-05-06-");
  EXPECT_EQ(spin->Text(), "2024-05-06") << "two separators at most";
}

TEST_F(SpinDesk, HoldingAnArrowRepeatsAfter400MsThenEvery100Ms) {
  TExTimerSpeedButton* up = spin->Button()->UpButton();
  int clicks = 0;
  const TNotifyEvent stepping = spin->Button()->OnUpClick;
  spin->Button()->OnUpClick = [&](TObject* sender) {
    ++clicks;
    stepping(sender);
  };
  const auto pressed = std::chrono::steady_clock::now();
  SimulateMouseDown(up, mbLeft, 3, 3);
  ASSERT_NE(up->RepeatTimer(), nullptr);
  EXPECT_EQ(up->RepeatTimer()->Interval(), TExTimerSpeedButton::kFirstRepeat);
  PumpFor(250);
  // A busy machine may have let the whole first interval pass meanwhile.
  if (std::chrono::steady_clock::now() - pressed < std::chrono::milliseconds(390))
    EXPECT_EQ(clicks, 0) << "no repeat before 400 ms";
  ASSERT_TRUE(PumpUntil([&] { return clicks >= 3; }));
  EXPECT_EQ(up->RepeatTimer()->Interval(), TExTimerSpeedButton::kNextRepeat);
  const int held = clicks;
  SimulateMouseUp(up, mbLeft, 3, 3);
  EXPECT_FALSE(up->RepeatTimer()->Enabled());
  PumpFor(250);
  EXPECT_EQ(clicks, held + 1) << "the release over the button is the ordinary click, then nothing";
  EXPECT_EQ(spin->Value(), std::min(clicks, 100));
}

TEST(EsgEditBtn, TheUnitMenuSetsTheUnitAndTheButtonFiresItsEvent) {
  TEditorForm shown;
  auto* edit = new TEsgUnitEditBtn(shown.form);
  edit->SetParent(shown.form);
  edit->SetBounds(10, 10, 150, 24);
  edit->Units()->Add("km");
  edit->Units()->Add("km2");
  EXPECT_TRUE(edit->RightAlign());
  TPopupMenu::SetPopupHook([](TPopupMenu& menu, int, int) { menu.Items()->Items(1)->Click(); });
  edit->ClickButton();
  TPopupMenu::SetPopupHook(nullptr);
  EXPECT_EQ(edit->UnitID(), "km2");

  auto* plain = new TEsgEditBtn(shown.form);
  plain->SetParent(shown.form);
  int clicked = 0;
  plain->OnClickBtn = [&](TObject*) { ++clicked; };
  plain->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return plain->Focused(); }));
  SimulateKey(plain, VK_F4);
  EXPECT_EQ(clicked, 1) << "F4 runs the button";
  plain->SetEditorEnabled(false);
  SimulateTyping(plain, "77");
  EXPECT_EQ(plain->Text(), "0") << "without the editor only the button changes the text";

  // The text keeps clear of the button and of the unit strip: the last
  // digit of a right-aligned number shows left of the strip.
  const auto columns = [](TEsgEditBtn* e, const char* text, int from, int to) {
    e->SetText(text);
    const AnsiString file = AnsiString(::testing::TempDir().c_str()) + "/edit-btn.png";
    EXPECT_TRUE(SaveWindowImage(e, file));
    THTMLPicture picture;
    picture.LoadFromFile(file);
    std::vector<TColor> pixels;
    for (int y = 0; y < picture.Height(); ++y)
      for (int x = from; x < to; ++x) pixels.push_back(picture.Image().PixelColor(x, y));
    return pixels;
  };
  const int strip = edit->EditButton()->Left() - edit->UnitSpace();
  EXPECT_NE(columns(edit, "1500", 0, strip), columns(edit, "1509", 0, strip));
}

TEST(ESGComboBox, ButtonWidthTakesOnly14To32AndTheVersionIsFixed) {
  TEditorForm shown;
  auto* combo = new TESGComboBox(shown.form);
  combo->SetParent(shown.form);
  const int start = combo->ButtonWidth();
  combo->SetButtonWidth(13);
  EXPECT_EQ(combo->ButtonWidth(), start);
  combo->SetButtonWidth(33);
  EXPECT_EQ(combo->ButtonWidth(), start);
  combo->SetButtonWidth(20);
  EXPECT_EQ(combo->ButtonWidth(), 20);
  combo->SetVersion("9");
  EXPECT_EQ(combo->Version(), "1.2.0.0");
  EXPECT_TRUE(combo->Flat());
}

// The flat combo paints its own frame: two frames in the parent's colour,
// or with FocusBorder a sunken edge while it has the focus; the drop button
// as wide as ButtonWidth, etched or raised; none of it without Flat.
TEST(ESGComboBox, FlatEtchedButtonWidthAndFocusBorderChangeThePicture) {
  TEditorForm shown;
  const TColor parent = 0x30A050;
  shown.form->SetColor(parent);
  auto* combo = new TESGComboBox(shown.form);
  combo->SetParent(shown.form);
  combo->SetBounds(20, 20, 160, 26);
  const char* keep = std::getenv("VIDRENA_SHOT_DIR");
  // Row 13 of the combo as it shows, kept as a file.
  auto row = [&](const char* name) {
    const AnsiString file = AnsiString(keep ? keep : ::testing::TempDir().c_str()) + "/" + name;
    EXPECT_TRUE(SaveWindowImage(combo, file));
    THTMLPicture picture;
    picture.LoadFromFile(file);
    std::vector<TColor> pixels;
    for (int x = 0; x < picture.Width(); ++x) pixels.push_back(picture.Image().PixelColor(x, 13) & 0xFFFFFF);
    return pixels;
  };
  const auto flat = row("flat-combo.png");
  EXPECT_EQ(std::vector<TColor>(flat.begin(), flat.begin() + 2), std::vector<TColor>(2, parent));
  combo->SetEtched(true);
  const auto etched = row("flat-combo-etched.png");
  EXPECT_NE(etched, flat);
  const int edge = 160 - combo->ButtonWidth() - 2;  // the drop button's outer left edge
  EXPECT_EQ(flat[edge], ColorToRGB(cl3DLight) & 0xFFFFFF) << "raised";
  EXPECT_EQ(etched[edge], ColorToRGB(clBtnShadow) & 0xFFFFFF) << "etched";
  combo->SetButtonWidth(30);
  EXPECT_NE(row("flat-combo-wide-button.png"), etched);
  combo->SetFocusBorder(true);
  SimulateMouseMove(combo, 5, 5);
  EXPECT_NE(row("flat-combo-hovered.png")[0], parent) << "highlighted while the mouse is over it";
  SimulateMouseLeave(combo);
  EXPECT_EQ(row("flat-combo-left.png")[0], parent) << "the highlight goes with the mouse";
  combo->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return combo->Focused(); }));
  const auto highlighted = row("flat-combo-highlighted.png");
  EXPECT_NE(highlighted[0], parent) << "a sunken edge";
  EXPECT_EQ(highlighted[2], ColorToRGB(clBtnFace) & 0xFFFFFF);
  combo->SetFlat(false);
  EXPECT_NE(row("combo-not-flat.png")[0], parent) << "the toolkit's own frame";
}
