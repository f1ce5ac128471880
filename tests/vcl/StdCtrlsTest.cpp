// Standard controls as a user meets them: typing, limits counted in bytes,
// the clipboard keys, lists and combo boxes, check and radio buttons.
#include <gtest/gtest.h>

#include "VclTestSupport.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"

namespace {

struct MemoryClipboard {
  MemoryClipboard() { UseMemoryClipboard(true); }
  ~MemoryClipboard() { UseMemoryClipboard(false); }
};

template <class T>
T* Put(TForm* form, int left = 10, int top = 10) {
  auto* c = new T(form);
  c->SetParent(form);
  c->SetLeft(left);
  c->SetTop(top);
  return c;
}

TEST(StdCtrls, TypingIntoAnEditFiresOnChangeForEveryCharacter) {
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  SimulateTyping(edit, "abc");
  EXPECT_EQ(edit->Text(), "abc");
  EXPECT_EQ(changes, 3);
  EXPECT_TRUE(edit->Modified());
  edit->SetText("set in code");
  EXPECT_EQ(changes, 4) << "setting Text reports the change too";
}

TEST(StdCtrls, MaxLengthCountsCodePage949Bytes) {
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetMaxLength(5);
  SimulateImeCommit(edit, "영화"_k);  // four bytes
  EXPECT_EQ(edit->Text(), "영화"_k);
  SimulateImeCommit(edit, "가"_k);    // two more would make six
  EXPECT_EQ(edit->Text(), "영화"_k);
  SimulateTyping(edit, "x");          // one more makes five
  EXPECT_EQ(edit->Text(), "영화"_k + "x");
}

TEST(StdCtrls, KeyPressCanChangeWhatGetsTyped) {
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->OnKeyPress = [](TObject*, char& key) {
    if (key == '.') key = ',';
    if (key == 'x') key = 0;
  };
  SimulateTyping(edit, "1.5x");
  EXPECT_EQ(edit->Text(), "1,5");
}

TEST(StdCtrls, ClipboardKeysGoThroughTheClipboardMessages) {
  MemoryClipboard memory;
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetText("괴물 2006"_k);
  edit->SelectAll();
  EXPECT_EQ(edit->SelText(), "괴물 2006"_k);
  SimulateKey(edit, 'C', {ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "괴물 2006"_k);
  edit->SetSelStart(0);
  edit->SetSelLength(4);
  EXPECT_EQ(edit->SelText(), "괴물"_k) << "selection in bytes";
  SimulateKey(edit, 'X', {ssCtrl});
  EXPECT_EQ(edit->Text(), " 2006");
  EXPECT_EQ(Clipboard()->AsText(), "괴물"_k);
  edit->SetSelStart(5);
  SimulateKey(edit, 'V', {ssCtrl});
  EXPECT_EQ(edit->Text(), " 2006"_k + "괴물"_k);
}

TEST(StdCtrls, PasteIsRefusedByAHandlerOfWMPaste) {
  MemoryClipboard memory;
  class TGuardedEdit : public TEdit {
   public:
    using TEdit::TEdit;
    bool allow = false;
   protected:
    void WMPaste(TMessage& m) override {
      if (allow) TEdit::WMPaste(m);
    }
  };
  ShownForm form;
  auto* edit = Put<TGuardedEdit>(form.form);
  Clipboard()->SetAsText("pasted");
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "");
  edit->allow = true;
  SimulateKey(edit, VK_INSERT, {ssShift});
  EXPECT_EQ(edit->Text(), "pasted");
}

TEST(StdCtrls, PasteIntoALimitedEditKeepsWholeCharactersWithinTheLimit) {
  MemoryClipboard memory;
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetMaxLength(5);
  Clipboard()->SetAsText("영화제목"_k);
  edit->PasteFromClipboard();
  EXPECT_EQ(edit->Text(), "영화"_k) << "never half a Hangul syllable";
}

TEST(StdCtrls, PasswordIsNeverCopied) {
  MemoryClipboard memory;
  ShownForm form;
  auto* edit = Put<TEdit>(form.form);
  edit->SetPasswordChar('*');
  edit->SetText("secret");
  edit->SelectAll();
  Clipboard()->SetAsText("before");
  edit->CopyToClipboard();
  EXPECT_EQ(Clipboard()->AsText(), "before");
}

TEST(StdCtrls, MemoLinesAndTextAgree) {
  ShownForm form;
  auto* memo = Put<TMemo>(form.form);
  memo->Lines()->Add("첫째"_k);
  memo->Lines()->Add("second");
  EXPECT_EQ(memo->Text(), "첫째"_k + "\r\nsecond");
  EXPECT_EQ(memo->Lines()->Count(), 2);
  memo->Lines()->SetStrings(1, "둘째"_k);
  EXPECT_EQ(memo->Lines()->Strings(1), "둘째"_k);
  memo->Lines()->SetText("a\nb\r\nc\r\n");
  EXPECT_EQ(memo->Lines()->Count(), 3);
  EXPECT_EQ(memo->Text(), "a\r\nb\r\nc");
}

TEST(StdCtrls, EnterInAMemoBreaksTheLineInsteadOfClickingTheDefaultButton) {
  ShownForm form;
  auto* memo = Put<TMemo>(form.form);
  auto* ok = Put<TButton>(form.form, 10, 120);
  ok->SetDefault(true);
  int clicks = 0;
  ok->OnClick = [&](TObject*) { ++clicks; };
  SimulateTyping(memo, "a");
  SimulateKey(memo, VK_RETURN);
  SimulateTyping(memo, "b");
  EXPECT_EQ(clicks, 0);
  EXPECT_EQ(memo->Lines()->Count(), 2);
  memo->SetWantReturns(false);
  SimulateKey(memo, VK_RETURN);
  EXPECT_EQ(clicks, 1);
}

TEST(StdCtrls, ComboBoxItemsObjectsAndIndex) {
  ShownForm form;
  auto* combo = Put<TComboBox>(form.form);
  combo->SetStyle(csDropDownList);
  TObject tag1, tag2;
  combo->Items()->AddObject("제목"_k, &tag1);
  combo->Items()->AddObject("감독"_k, &tag2);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), "감독"_k);
  EXPECT_EQ(combo->Items()->Objects(combo->ItemIndex()), &tag2);
  combo->SetText("제목"_k);
  EXPECT_EQ(combo->ItemIndex(), 0) << "a list-only box selects the item of that text";
  combo->SetText("없는 값"_k);
  EXPECT_EQ(combo->ItemIndex(), -1);
  combo->Items()->Insert(0, "정렬방법"_k);
  combo->SetItemIndex(2);
  combo->Items()->Delete(0);
  EXPECT_EQ(combo->ItemIndex(), 1) << "the selection follows its item";
  EXPECT_EQ(combo->Text(), "감독"_k);
}

TEST(StdCtrls, ComboBoxUserSelectionFiresOnSelectButCodeDoesNot) {
  ShownForm form;
  auto* combo = Put<TComboBox>(form.form);
  combo->SetStyle(csDropDownList);
  combo->Items()->Add("a");
  combo->Items()->Add("b");
  int selects = 0, changes = 0;
  combo->OnSelect = [&](TObject*) { ++selects; };
  combo->OnChange = [&](TObject*) { ++changes; };
  combo->SetItemIndex(0);
  EXPECT_EQ(selects, 0);
  SimulateKey(combo, VK_DOWN);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(selects, 1);
  EXPECT_EQ(changes, 0) << "OnSelect is assigned: it replaces OnChange";
}

TEST(StdCtrls, EditableComboBoxTypingFiresOnChange) {
  ShownForm form;
  auto* combo = Put<TComboBox>(form.form);
  combo->Items()->Add("apple");
  int changes = 0;
  combo->OnChange = [&](TObject*) { ++changes; };
  SimulateTyping(combo, "ap");
  EXPECT_EQ(combo->Text(), "ap");
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(combo->ItemIndex(), -1);
}

TEST(StdCtrls, ListBoxSelectionByCodeAndByClick) {
  ShownForm form;
  auto* list = Put<TListBox>(form.form);
  list->SetBounds(10, 10, 150, 120);
  for (const char* s : {"A.EDIT", "B.ADD", "C.ADD"}) list->Items()->Add(s);
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };
  list->SetItemIndex(2);
  EXPECT_EQ(clicks, 0);
  TRect second = list->ItemRect(1);
  SimulateClick(list, second.Left + 3, second.Top + 2);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(list->ItemAtPos({second.Left + 3, second.Top + 2}, true), 1);
  list->Items()->Delete(1);
  EXPECT_EQ(list->ItemIndex(), -1) << "the selected item went";
}

TEST(StdCtrls, MultiSelectListBoxCountsItsSelection) {
  ShownForm form;
  auto* list = Put<TListBox>(form.form);
  list->SetMultiSelect(true);
  for (int i = 0; i < 4; ++i) list->Items()->Add(IntToStr(i));
  list->SetSelected(0, true);
  list->SetSelected(3, true);
  EXPECT_EQ(list->SelCount(), 2);
  EXPECT_TRUE(list->Selected(3));
  EXPECT_THROW(list->Selected(9), EListError);
}

// Items added at once land after the others, as clickable as items added one by one.
TEST(StdCtrls, ListBoxTakesManyItemsAtOnce) {
  ShownForm form;
  auto* list = Put<TCheckListBox>(form.form);
  list->SetBounds(10, 10, 150, 120);
  list->Items()->Add("A");
  list->SetChecked(0, true);
  list->SetItemIndex(0);
  TStringList more;
  for (const char* s : {"B", "C", "D"}) more.Add(s);
  list->Items()->AddStrings(&more);
  list->Items()->AddStrings(list->Items());  // itself: each item once more
  ASSERT_EQ(list->Items()->Count(), 8);
  EXPECT_EQ(list->Items()->Strings(3), "D");
  EXPECT_EQ(list->Items()->Strings(7), "D");
  EXPECT_EQ(list->ItemIndex(), 0);
  EXPECT_TRUE(list->Checked(0));
  EXPECT_FALSE(list->Checked(2));
  TRect third = list->ItemRect(2);
  SimulateClick(list, third.Right - 5, third.Top + 2);
  EXPECT_EQ(list->ItemIndex(), 2);
  list->Items()->Delete(0);
  EXPECT_EQ(list->ItemAtPos({third.Right - 5, third.Top + 2}, true), 2);
  EXPECT_EQ(list->Items()->Strings(1), "C");

  auto* sorted = Put<TListBox>(form.form);
  sorted->SetSorted(true);
  sorted->Items()->Add("M");
  sorted->Items()->AddStrings(&more);
  EXPECT_EQ(sorted->Items()->Strings(3), "M") << "a sorted list puts each item in its place";
}

TEST(StdCtrls, CheckListBoxStatesIncludingGreyedAndDisabledItems) {
  ShownForm form;
  auto* list = Put<TCheckListBox>(form.form);
  list->SetAllowGrayed(true);
  list->Items()->Add("제목"_k);
  list->Items()->Add("감독"_k);
  list->SetChecked(0, true);
  list->SetState(1, cbGrayed);
  list->SetItemEnabled(1, false);
  EXPECT_TRUE(list->Checked(0));
  EXPECT_EQ(list->State(1), cbGrayed);
  EXPECT_FALSE(list->Checked(1));
  EXPECT_FALSE(list->ItemEnabled(1));
  list->Items()->Insert(0, "new");
  EXPECT_TRUE(list->Checked(1)) << "the state travels with its item";
  int checks = 0;
  list->OnClickCheck = [&](TObject*) { ++checks; };
  list->SetItemIndex(0);
  list->SetFocus();
  SimulateKey(list, VK_SPACE);
  EXPECT_EQ(checks, 1);
  EXPECT_EQ(list->State(0), cbGrayed) << "with AllowGrayed an unchecked item goes to greyed first";
  SimulateKey(list, VK_SPACE);
  EXPECT_TRUE(list->Checked(0));
}

TEST(StdCtrls, CheckListBoxFilledBeforeItsWindowHasWorkingCheckBoxes) {
  ShownForm form;
  auto* list = new TCheckListBox(form.form);
  list->Items()->Add("제목"_k);
  list->Items()->Add("감독"_k);
  list->SetChecked(1, true);
  list->SetParent(form.form);
  list->SetBounds(10, 10, 120, 80);
  Application->ProcessMessages();
  list->SetItemIndex(0);
  list->SetFocus();
  SimulateKey(list, VK_SPACE);
  EXPECT_TRUE(list->Checked(0)) << "the item has a check box";
  SimulateKey(list, VK_DOWN);
  SimulateKey(list, VK_SPACE);
  EXPECT_FALSE(list->Checked(1)) << "its state reached the window";
}

TEST(StdCtrls, CheckBoxFiresOnClickForTheUserAndForCode) {
  ShownForm form;
  auto* box = Put<TCheckBox>(form.form);
  int clicks = 0;
  box->OnClick = [&](TObject*) { ++clicks; };
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1);
  box->SetChecked(true);
  EXPECT_EQ(clicks, 1) << "no change, no click";
  SimulateClick(box, 5, 5);
  EXPECT_FALSE(box->Checked());
  EXPECT_EQ(clicks, 2);
  box->SetState(cbGrayed);
  EXPECT_EQ(box->State(), cbChecked) << "greyed only with AllowGrayed";
}

TEST(StdCtrls, RadioButtonsOfOneParentExcludeEachOther) {
  ShownForm form;
  auto* a = Put<TRadioButton>(form.form, 10, 10);
  auto* b = Put<TRadioButton>(form.form, 10, 40);
  a->SetChecked(true);
  b->SetChecked(true);
  EXPECT_FALSE(a->Checked());
  SimulateClick(a, 5, 5);
  EXPECT_TRUE(a->Checked());
  EXPECT_FALSE(b->Checked());
}

TEST(StdCtrls, RadioGroupClickSelectsTheItem) {
  ShownForm form;
  auto* group = Put<TRadioGroup>(form.form);
  group->SetBounds(10, 10, 200, 100);
  group->Items()->Add("이동"_k);
  group->Items()->Add("복사"_k);
  int clicks = 0;
  group->OnClick = [&](TObject*) { ++clicks; };
  group->SetItemIndex(0);
  EXPECT_EQ(clicks, 1);
  SimulateClick(group->Buttons(1), 4, 4);
  EXPECT_EQ(group->ItemIndex(), 1);
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(group->Buttons(0)->Checked());
}

TEST(StdCtrls, ButtonWithModalResultEndsTheDialogAndBitBtnKindsSetIt) {
  TBitBtn ok(nullptr);
  ok.SetKind(bkOK);
  EXPECT_EQ(ok.ModalResult(), mrOk);
  EXPECT_TRUE(ok.Default());
  EXPECT_EQ(ok.Caption(), "확인"_k);
  TBitBtn cancel(nullptr);
  cancel.SetKind(bkCancel);
  EXPECT_TRUE(cancel.Cancel());
  EXPECT_EQ(cancel.ModalResult(), mrCancel);
}

TEST(StdCtrls, SpeedButtonsOfAGroupStayOneDown) {
  ShownForm form;
  auto* a = Put<TSpeedButton>(form.form, 10, 10);
  auto* b = Put<TSpeedButton>(form.form, 40, 10);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  SimulateClick(a, 3, 3);
  EXPECT_TRUE(a->Down());
  SimulateClick(b, 3, 3);
  EXPECT_TRUE(b->Down());
  EXPECT_FALSE(a->Down());
  SimulateClick(b, 3, 3);
  EXPECT_TRUE(b->Down()) << "without AllowAllUp the last one stays down";
}

TEST(StdCtrls, AutoSizeLabelGrowsWithItsText) {
  ShownForm form;
  auto* label = Put<TLabel>(form.form);
  label->SetCaption("a");
  int narrow = label->Width();
  label->SetCaption("포스터 파일 정리"_k);
  EXPECT_GT(label->Width(), narrow);
  EXPECT_GT(label->Height(), 0);
}

TEST(StdCtrls, PopupMenuShowsOnContextRequestAndRunsTheItem) {
  ShownForm form;
  auto* list = Put<TListBox>(form.form);
  auto* menu = new TPopupMenu(form.form);
  int edits = 0;
  menu->Items()->Add(NewItem(form.form, "수정"_k, [&](TObject*) { ++edits; }));
  menu->Items()->Add(NewLine(form.form));
  list->SetPopupMenu(menu);
  TPopupMenu::SetPopupHook([](TPopupMenu& m, int, int) { m.Items()->Items(0)->Click(); });
  SimulateContextMenu(list, 5, 5);
  TPopupMenu::SetPopupHook(nullptr);
  EXPECT_EQ(edits, 1);
  EXPECT_EQ(menu->PopupComponent(), list);
  EXPECT_TRUE(menu->Items()->Items(1)->IsLine());
}

TEST(StdCtrls, DeletedPopupMenuIsForgottenByItsControl) {
  ShownForm form;
  auto* list = Put<TListBox>(form.form);
  auto* menu = new TPopupMenu(form.form);
  list->SetPopupMenu(menu);
  delete menu;
  EXPECT_EQ(list->PopupMenu(), nullptr);
  SimulateContextMenu(list, 5, 5);  // must not reach the freed menu
}

TEST(StdCtrls, ProgressBarKeepsItsPositionInRange) {
  TProgressBar bar(nullptr);
  bar.SetMax(2000);
  bar.SetPosition(2500);
  EXPECT_EQ(bar.Position(), 2000);
  bar.SetPosition(-1);
  EXPECT_EQ(bar.Position(), 0);
  bar.SetStep(7);
  bar.StepIt();
  EXPECT_EQ(bar.Position(), 7);
}

TEST(StdCtrls, DateTimePickerKeepsTheOtherPartAndCanBeUnchecked) {
  ShownForm form;
  auto* picker = Put<TDateTimePicker>(form.form);
  TDateTime when = EncodeDate(2006, 7, 27) + EncodeTime(13, 30, 0, 0);
  picker->SetDateTime(when);
  EXPECT_DOUBLE_EQ(picker->Date(), EncodeDate(2006, 7, 27));
  picker->SetDate(EncodeDate(2007, 1, 2));
  EXPECT_NEAR(picker->Time(), EncodeTime(13, 30, 0, 0), 1e-6);
  picker->SetShowCheckbox(true);
  picker->SetChecked(false);
  EXPECT_FALSE(picker->Checked());
}

TEST(StdCtrls, PageControlSwitchesPagesAndSkipsHiddenTabs) {
  ShownForm form;
  auto* pages = Put<TPageControl>(form.form);
  std::vector<TTabSheet*> sheets;
  for (const char* caption : {"일반", "목록", "웹"}) {
    auto* s = new TTabSheet(form.form);
    s->SetCaption(Utf8ToCp949(caption));
    s->SetPageControl(pages);
    sheets.push_back(s);
  }
  EXPECT_EQ(pages->PageCount(), 3);
  EXPECT_EQ(pages->ActivePage(), sheets[0]);
  int changes = 0;
  pages->OnChange = [&](TObject*) { ++changes; };
  pages->SetActivePageIndex(2);
  EXPECT_EQ(pages->ActivePage(), sheets[2]);
  EXPECT_EQ(changes, 0);
  sheets[1]->SetTabVisible(false);
  EXPECT_EQ(pages->FindNextPage(sheets[0], true, true), sheets[2]);
  EXPECT_EQ(pages->TabIndex(), 1);
  delete sheets[2];
  EXPECT_EQ(pages->PageCount(), 2);
  EXPECT_NE(pages->ActivePage(), nullptr);
}

TEST(StdCtrls, StatusBarLastPanelTakesTheRest) {
  ShownForm form;
  auto* bar = Put<TStatusBar>(form.form);
  bar->Panels()->Add()->SetWidth(100);
  bar->Panels()->Add()->SetText("12");
  EXPECT_EQ(bar->Align(), alBottom);
  EXPECT_EQ(bar->PanelRect(0), Rect(0, 0, 100, bar->ClientHeight()));
  EXPECT_EQ(bar->PanelRect(1).Right, bar->ClientWidth());
}

TEST(StdCtrls, TimerTicksWhileEnabled) {
  TTimer timer(nullptr);
  int ticks = 0;
  timer.SetInterval(5);
  timer.OnTimer = [&](TObject*) { ++ticks; };
  ASSERT_TRUE(PumpUntil([&] { return ticks >= 2; }));
  timer.SetEnabled(false);
  int now = ticks;
  Application->ProcessMessages();
  EXPECT_EQ(ticks, now);
}

TEST(StdCtrls, SplitterDragResizesTheControlBesideIt) {
  ShownForm form;
  auto* left = Put<TPanel>(form.form);
  left->SetWidth(100);
  left->SetAlign(alLeft);
  auto* splitter = new TSplitter(form.form);
  splitter->SetParent(form.form);
  splitter->SetLeft(200);
  splitter->SetAlign(alLeft);
  auto* rest = Put<TPanel>(form.form);
  rest->SetAlign(alClient);
  ASSERT_EQ(splitter->Left(), 100);
  EXPECT_EQ(splitter->FindControl(), left);
  SimulateMouseDown(splitter, mbLeft, 1, 5);
  SimulateMouseMove(splitter, 41, 5, {ssLeft});
  SimulateMouseUp(splitter, mbLeft, 41, 5);
  EXPECT_EQ(left->Width(), 140);
  EXPECT_EQ(rest->Left(), 143);
}

TEST(StdCtrls, ImageFitsLargePicturesProportionallyAndCentres) {
  TImage image(nullptr);
  image.SetBounds(0, 0, 100, 100);
  image.Picture()->Bitmap()->SetSize(400, 200);
  EXPECT_EQ(image.DestRect(), Rect(0, 0, 400, 200)) << "as it is by default";
  image.SetProportional(true);
  EXPECT_EQ(image.DestRect(), Rect(0, 0, 100, 50));
  image.SetCenter(true);
  EXPECT_EQ(image.DestRect(), Rect(0, 25, 100, 75));
  image.SetStretch(true);
  image.SetProportional(false);
  EXPECT_EQ(image.DestRect(), Rect(0, 0, 100, 100));
}

}  // namespace
