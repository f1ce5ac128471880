// Editing details a user runs into: selections over Hangul, read-only
// edits, letter case, multi-line pastes, sorted lists, drop-down events.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/StdCtrls.h"

namespace {

struct MemoryClipboard {
  MemoryClipboard() { UseMemoryClipboard(true); }
  ~MemoryClipboard() { UseMemoryClipboard(false); }
};

template <class T>
T* Put(TForm* form, int top = 10) {
  auto* c = new T(form);
  c->SetParent(form);
  c->SetTop(top);
  return c;
}

TEST(StdCtrlsEditing, SelectionPositionsAreBytesOfTheCodePage949Text) {
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetText("ab영화cd"_k);
  edit->SetSelStart(2);
  edit->SetSelLength(4);
  EXPECT_EQ(edit->SelText(), "영화"_k);
  edit->SetSelText("x");
  EXPECT_EQ(edit->Text(), "abxcd");
  EXPECT_EQ(edit->SelStart(), 3) << "the caret after the inserted text";
}

TEST(StdCtrlsEditing, ReadOnlyEditRefusesTypingCutAndPasteButCopies) {
  MemoryClipboard memory;
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetText("fixed");
  edit->SetReadOnly(true);
  SimulateTyping(edit, "zz");
  EXPECT_EQ(edit->Text(), "fixed");
  Clipboard()->SetAsText("pasted");
  edit->PasteFromClipboard();
  edit->SelectAll();
  edit->CutToClipboard();
  EXPECT_EQ(edit->Text(), "fixed");
  EXPECT_EQ(Clipboard()->AsText(), "pasted") << "cut did nothing";
  edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "fixed");
}

TEST(StdCtrlsEditing, CharCaseTurnsTypedLetters) {
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetCharCase(ecUpperCase);
  SimulateTyping(edit, "avi");
  EXPECT_EQ(edit->Text(), "AVI");
}

TEST(StdCtrlsEditing, PastedLinesStayInAMemoAndAnEditTakesTheFirst) {
  MemoryClipboard memory;
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  auto* memo = Put<TMemo>(form.form, 40);
  Clipboard()->SetAsText("첫 줄\r\n둘째 줄"_k);
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "첫 줄"_k);
  memo->PasteFromClipboard();
  EXPECT_EQ(memo->Lines()->Count(), 2);
  EXPECT_EQ(memo->Lines()->Strings(1), "둘째 줄"_k);
}

TEST(StdCtrlsEditing, MemoLinesCanBeInsertedAndDeleted) {
  TMemo memo(nullptr);
  memo.Lines()->SetText("a\r\nc");
  memo.Lines()->Insert(1, "b");
  EXPECT_EQ(memo.Text(), "a\r\nb\r\nc");
  memo.Lines()->Delete(0);
  EXPECT_EQ(memo.Text(), "b\r\nc");
  EXPECT_THROW(memo.Lines()->Delete(5), EStringListError);
  memo.Lines()->Clear();
  EXPECT_EQ(memo.Lines()->Count(), 0);
}

TEST(StdCtrlsEditing, SortedListPutsHangulInDictionaryOrder) {
  TListBox list(nullptr);
  list.SetSorted(true);
  for (const char* s : {"하늘", "가방", "나무", "Zebra", "apple"}) list.Items()->Add(Utf8ToCp949(s));
  ASSERT_EQ(list.Items()->Count(), 5);
  EXPECT_EQ(list.Items()->Strings(0), "apple");
  EXPECT_EQ(list.Items()->Strings(1), "Zebra");
  EXPECT_EQ(list.Items()->Strings(2), "가방"_k);
  EXPECT_EQ(list.Items()->Strings(4), "하늘"_k);
}

TEST(StdCtrlsEditing, DroppingDownAndClosingUpFireTheirEvents) {
  ShownForm form;
  auto* combo = Put<TComboBox>(form.form);
  combo->Items()->Add("x");
  std::vector<std::string> log;
  combo->OnDropDown = [&](TObject*) { log.push_back("down"); };
  combo->OnCloseUp = [&](TObject*) { log.push_back("up"); };
  combo->SetDropDownCount(12);
  combo->SetDroppedDown(true);
  EXPECT_TRUE(combo->DroppedDown());
  combo->SetDroppedDown(false);
  EXPECT_FALSE(combo->DroppedDown());
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"}));
  // Hiding the box, or its window, closes up no list that was not down.
  combo->SetVisible(false);
  combo->SetVisible(true);
  form.form->Hide();
  EXPECT_EQ(log, (std::vector<std::string>{"down", "up"}));
}

TEST(StdCtrlsEditing, ComboBoxIndexSurvivesTheWindowBeingMadeAgain) {
  ShownForm form;
  auto* combo = Put<TComboBox>(form.form);
  combo->Items()->Add("a");
  combo->Items()->Add("b");
  combo->SetItemIndex(1);
  combo->SetStyle(csDropDownList);  // a new window
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), "b");
}

TEST(StdCtrlsEditing, CheckBoxWithGreyCyclesThroughItsThreeStates) {
  ShownForm form;
  auto* box = Put<TCheckBox>(form.form);
  box->SetAllowGrayed(true);
  std::vector<TCheckBoxState> seen;
  box->OnClick = [&](TObject*) { seen.push_back(box->State()); };
  SimulateClick(box, 4, 4);
  SimulateClick(box, 4, 4);
  SimulateClick(box, 4, 4);
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[2], cbUnchecked);
  EXPECT_NE(seen[0], seen[1]);
}

TEST(StdCtrlsEditing, RadioGroupChangeCanBeRefused) {
  ShownForm form;
  auto* group = Put<TRadioGroup>(form.form);
  group->SetBounds(10, 10, 200, 90);
  group->Items()->SetText("영화제목으로 변경 합니다. \r\n현재 정렬된 순서번호로 바꿉니다."_k);
  group->SetItemIndex(0);
  group->OnChanging = [](TObject*, bool& allow) { allow = false; };
  SimulateClick(group->Buttons(1), 4, 4);
  EXPECT_EQ(group->ItemIndex(), 0);
  EXPECT_TRUE(group->Buttons(0)->Checked());
  EXPECT_FALSE(group->Buttons(1)->Checked());
}

TEST(StdCtrlsEditing, WordWrappedLabelGrowsDownward) {
  ShownForm form;
  auto* label = Put<TLabel>(form.form);
  label->SetCaption("one");
  int oneLine = label->Height();
  label->SetAutoSize(false);
  label->SetWidth(60);
  label->SetWordWrap(true);
  label->SetCaption("여러 DB 파일을 관리 하신다면 포스터 정리를 하지 마세요."_k);
  label->SetAutoSize(true);
  EXPECT_GT(label->Height(), oneLine * 2);
  EXPECT_LE(label->Width(), 60) << "wrapped within its width";
}

TEST(StdCtrlsEditing, AutoSizeImageTakesThePictureSize) {
  TImage image(nullptr);
  image.SetAutoSize(true);
  image.Picture()->Bitmap()->SetSize(64, 48);
  EXPECT_EQ(image.Width(), 64);
  EXPECT_EQ(image.Height(), 48);
}

TEST(StdCtrlsEditing, PanelBevelsNarrowTheAreaOfAlignedChildren) {
  ShownForm form;
  auto* panel = Put<TPanel>(form.form);
  panel->SetBounds(0, 0, 100, 60);
  panel->SetBevelOuter(bvLowered);
  panel->SetBorderWidth(3);
  auto* child = new TPanel(form.form);
  child->SetParent(panel);
  child->SetAlign(alClient);
  EXPECT_EQ(child->BoundsRect(), Rect(4, 4, 96, 56));
}

}  // namespace
