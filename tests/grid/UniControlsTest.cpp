// The Unicode cell controls as a user meets them: wide text typed through
// the input method survives (also characters code page 949 lacks), key
// handlers see one key per character, and the wide lists behave like the
// class library's lists.
#include <gtest/gtest.h>

#include "../vcl/VclTestSupport.h"
#include "grid/UniControls.h"
#include "platform/rtl/Cp949.h"

namespace {

class TCountingList : public TWideStringList {
 public:
  std::vector<bool> states;

 protected:
  void SetUpdateState(bool updating) override { states.push_back(updating); }
};

TEST(WideStrings, TextSplitsAtEveryLineBreakKind) {
  TWideStringList list;
  list.SetText(u"a\r\nb\nc\u2028d");
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Strings(3), u"d");
  EXPECT_EQ(list.Text(), u"a\r\nb\r\nc\r\nd\r\n");
  list.SetText(u"x\r\r\ny\u2029");
  EXPECT_EQ(list.Count(), 3);  // x, an empty line, y
  TWideStringList empty;
  EXPECT_TRUE(empty.Text().empty());
}

TEST(WideStrings, TheEightBitViewConvertsBothWays) {
  TWideStringList list;
  list.AnsiStrings()->Add("영화"_k);
  list.Add(u"\u00E9t\u00E9");  // not in code page 949
  EXPECT_EQ(list.Strings(0), u"영화");
  EXPECT_EQ(list.AnsiStrings()->Strings(0), "영화"_k);
  EXPECT_EQ(list.AnsiStrings()->Count(), 2);

  TStringList ansi;
  list.AssignTo(&ansi);
  ASSERT_EQ(ansi.Count(), 2);
  EXPECT_EQ(ansi.Strings(0), "영화"_k);
  TWideStringList copy;
  copy.Assign(&list);
  EXPECT_EQ(copy.Strings(1), u"\u00E9t\u00E9");  // wide to wide keeps every character
  EXPECT_EQ(copy.IndexOf(u"\u00C9T\u00C9"), 1);  // case ignored
  EXPECT_EQ(copy.IndexOf(u"nothing"), -1);
  EXPECT_THROW(copy.Strings(5), EStringListError);
}

TEST(WideStrings, MoveAndExchangeKeepObjectsInOneUpdate) {
  TCountingList list;
  TObject a, b, c;
  list.AddObject(u"a", &a);
  list.AddObject(u"b", &b);
  list.AddObject(u"c", &c);
  list.states.clear();
  list.Move(0, 2);
  EXPECT_EQ(list.Text(), u"b\r\nc\r\na\r\n");
  EXPECT_EQ(list.Objects(2), &a);
  list.Exchange(0, 1);
  EXPECT_EQ(list.Strings(0), u"c");
  EXPECT_EQ(list.Objects(0), &c);
  EXPECT_EQ(list.Objects(1), &b);
  EXPECT_EQ(list.states, (std::vector<bool>{true, false, true, false}));
}

TEST(WideStrings, StoredFormRoundTripsAndRefusesHostileCounts) {
  TWideStringList list;
  list.SetText(u"영화\r\n\u00E9\r\n");
  TMemoryStream stream;
  list.WriteWideStrings(stream);
  stream.SetPosition(0);
  TWideStringList back;
  back.ReadWideStrings(stream);
  EXPECT_EQ(back.Text(), list.Text());

  TMemoryStream hostile;
  const std::uint32_t huge = 0x7FFFFFFF;
  hostile.WriteBuffer(&huge, 4);
  hostile.SetPosition(0);
  back.Add(u"kept");
  const WideString before = back.Text();
  EXPECT_THROW(back.ReadWideStrings(hostile), EReadError);
  EXPECT_EQ(back.Text(), before);
}

TEST(UniEdit, HangulFromTheInputMethodArrivesAsWholeCharacters) {
  ShownForm form;
  auto* edit = new TEsgUniEdit(form.form);
  edit->SetParent(form.form);
  std::vector<unsigned char> keys;
  edit->OnKeyPress = [&](TObject*, char& key) { keys.push_back(static_cast<unsigned char>(key)); };
  SimulateImeCommit(edit, "가"_k);
  EXPECT_EQ(edit->Text(), u"가");
  // The key-press handling saw one key, 255, for the syllable.
  EXPECT_EQ(keys, std::vector<unsigned char>{255});
  SimulateImeCommitW(edit, u"\u00E9\u0E01");  // characters code page 949 lacks
  EXPECT_EQ(edit->Text(), u"가\u00E9\u0E01");
  SimulateTyping(edit, "x");
  EXPECT_EQ(edit->Text(), u"가\u00E9\u0E01x");

  // A handler that swallows the key stops the whole character.
  edit->OnKeyPress = [](TObject*, char& key) {
    if (static_cast<unsigned char>(key) == 255) key = 0;
  };
  SimulateImeCommit(edit, "나"_k);
  SimulateTyping(edit, "y");
  EXPECT_EQ(edit->Text(), u"가\u00E9\u0E01xy");
}

TEST(UniEdit, WideTextSetInCodeReachesTheWindowAndTheChangeEvent) {
  ShownForm form;
  auto* edit = new TEsgUniEdit(form.form);
  edit->SetText(u"\u0E01\u0E02");  // before the window exists
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  edit->SetParent(form.form);
  EXPECT_EQ(edit->Text(), u"\u0E01\u0E02");
  edit->SetText(u"\u0E01\u0E02");
  EXPECT_EQ(changes, 0);  // the same text is not written again
  edit->SetText(u"영화");
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(edit->GetText(), "영화"_k);  // the 8-bit view follows
  EXPECT_EQ(edit->Font()->Charset(), 255);
}

TEST(UniComboBox, ItemsKeepWideTextsAndSelectionShowsThem) {
  ShownForm form;
  auto* combo = new TESGUniComboBox(form.form);
  combo->SetParent(form.form);
  combo->Items()->Add(u"\u0E01 one");
  combo->Items()->AnsiStrings()->Add("영화"_k);
  combo->Items()->Add(u"three");
  EXPECT_EQ(combo->Items()->Count(), 3);
  EXPECT_EQ(combo->Items()->Strings(0), u"\u0E01 one");
  EXPECT_EQ(combo->TComboBox::Items()->Count(), 3);
  combo->SetItemIndex(0);
  EXPECT_EQ(combo->Text(), u"\u0E01 one");
  combo->SetText(u"typed \u0E02");
  combo->Items()->Clear();  // keeps the edit text
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Text(), u"typed \u0E02");
}

TEST(UniComboBox, ButtonWidthTakesFourteenToThirtyTwo) {
  TESGUniComboBox combo(nullptr);
  EXPECT_TRUE(combo.Flat());
  const int initial = combo.ButtonWidth();
  combo.SetButtonWidth(13);
  EXPECT_EQ(combo.ButtonWidth(), initial);
  combo.SetButtonWidth(33);
  EXPECT_EQ(combo.ButtonWidth(), initial);
  combo.SetButtonWidth(14);
  EXPECT_EQ(combo.ButtonWidth(), 14);
  combo.SetButtonWidth(32);
  EXPECT_EQ(combo.ButtonWidth(), 32);
  EXPECT_EQ(combo.DropDownCount(), 8);
}

TEST(UniComboBox, AutoFocusTakesTheFocusWhenTheMouseEnters) {
  ShownForm form;
  auto* other = new TEsgUniEdit(form.form);
  other->SetParent(form.form);
  auto* combo = new TESGUniComboBox(form.form);
  combo->SetParent(form.form);
  combo->SetTop(40);
  combo->SetAutoFocus(true);
  other->SetFocus();
  SimulateMouseMove(combo, 5, 5);
  EXPECT_TRUE(combo->MouseInControl());
  EXPECT_TRUE(PumpUntil([&] { return combo->Focused(); }));
  SimulateMouseLeave(combo);
  EXPECT_FALSE(combo->MouseInControl());
}

}  // namespace
