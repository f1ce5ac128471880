// The masked edit: what a mask lets through, the text with and without its
// literals, untyped positions, Hangul in free positions, broken masks.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/Mask.h"

namespace {

struct MaskDesk : ::testing::Test {
  ShownForm form;
  TMaskEdit* edit = nullptr;
  void SetUp() override {
    edit = new TMaskEdit(form.form);
    edit->SetParent(form.form);
    edit->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  }
  void Mask(const AnsiString& mask) {
    edit->SetEditMask(mask);
    edit->SetSelStart(0);
  }
};

TEST_F(MaskDesk, ADateMaskTakesDigitsAroundItsLiteralsAndKeepsThemInText) {
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  Mask("!9999-99-99;1;_");
  EXPECT_EQ(edit->EditText(), "____-__-__");
  EXPECT_EQ(edit->Text(), "") << "nothing typed is an empty text";
  SimulateTyping(edit, "2024");
  EXPECT_EQ(edit->EditText(), "2024-__-__");
  EXPECT_EQ(edit->Text(), "2024-  -  ");
  SimulateTyping(edit, "0105");
  EXPECT_EQ(edit->EditText(), "2024-01-05");
  EXPECT_EQ(edit->Text(), "2024-01-05");
  EXPECT_GT(changes, 0);
}

TEST_F(MaskDesk, WithoutSaveLiteralsTextHoldsOnlyWhatWasTyped) {
  Mask("0000-00-00;0;*");
  SimulateTyping(edit, "20240105");
  EXPECT_EQ(edit->EditText(), "2024-01-05");
  EXPECT_EQ(edit->Text(), "20240105");
  // Text set in either form lands in the same positions.
  edit->SetText("2023-12-31");
  EXPECT_EQ(edit->EditText(), "2023-12-31");
  edit->SetText("19991231");
  EXPECT_EQ(edit->EditText(), "1999-12-31");
  EXPECT_EQ(edit->Text(), "19991231");
}

TEST_F(MaskDesk, ARequiredDigitRefusesLettersAndBlanksShowTheMasksCharacter) {
  Mask("00;1;#");
  SimulateTyping(edit, "a");
  EXPECT_EQ(edit->EditText(), "##");
  EXPECT_EQ(edit->Text(), "");
  SimulateTyping(edit, "x7");
  EXPECT_EQ(edit->EditText(), "7#");
  EXPECT_EQ(edit->Text(), "7 ");
}

TEST_F(MaskDesk, HangulGoesIntoPositionsThatTakeAnyCharacter) {
  Mask("CC-CC;0;_");
  SimulateImeCommit(edit, "영화"_k);
  EXPECT_EQ(edit->EditText(), "영화-__"_k);
  SimulateImeCommit(edit, "목록"_k);
  EXPECT_EQ(edit->Text(), "영화목록"_k);
  // A digit position refuses it.
  Mask("00");
  SimulateImeCommit(edit, "가"_k);
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(MaskDesk, LettersOfTheLineEditsOwnMaskLanguageStayLiterals) {
  // N, X, D, H, B, [ ] and ; are literals here, as typed in the mask.
  Mask("N[X]\\;00;1;_");
  EXPECT_EQ(edit->EditText(), "N[X];__");
  SimulateTyping(edit, "42");
  EXPECT_EQ(edit->Text(), "N[X];42");
  Mask(">LL<ll;1;_");
  SimulateTyping(edit, "abCD");
  EXPECT_EQ(edit->Text(), "ABcd");
}

TEST_F(MaskDesk, BrokenOrEmptyMasksNeverCrashAndAnEmptyOneMasksNothing) {
  for (const char* mask : {"\\", ";", ";;", "99;", "99;1;", "<>", "!", ">", "\\\\", "9\\", "\xB0"}) {
    edit->SetEditMask(mask);
    SimulateTyping(edit, "1a");
    (void)edit->Text();
    (void)edit->EditText();
  }
  edit->SetEditMask("9\\");
  EXPECT_EQ(TEditMask("9\\").Slots().size(), 1u) << "read as far as it reads";
  edit->SetText("12");
  EXPECT_EQ(edit->Text(), "1");
  edit->SetEditMask("");
  edit->SetText("");
  SimulateTyping(edit, "free 텍스트"_k);
  EXPECT_EQ(edit->Text(), "free 텍스트"_k);
}

TEST(EditMaskReading, FieldsAndPositions) {
  const TEditMask date("!9999/99/99;0;*");
  EXPECT_FALSE(date.SaveLiterals());
  EXPECT_EQ(date.BlankChar(), '*');
  ASSERT_EQ(date.Slots().size(), 10u);
  EXPECT_EQ(date.Slots()[4].Literal, AnsiString(1, FormatSettings.DateSeparator));
  const TEditMask defaults("LL");
  EXPECT_TRUE(defaults.SaveLiterals());
  EXPECT_EQ(defaults.BlankChar(), '_');
  EXPECT_TRUE(TEditMask("").Empty());
  EXPECT_EQ(TEditMask("99_99").EditTextOf("1234"), "12 34");
}

}  // namespace
