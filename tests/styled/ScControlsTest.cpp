// The members of the styled controls the windows rely on beyond the
// standard controls: list captions and deletion that keeps the selection,
// edits that report every write, capped progress, the dialog buttons and the
// colour field.
#include <gtest/gtest.h>

#include "styled/ScControls.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

TScListBox* FilledList(TWinControl* parent, std::initializer_list<const char*> items) {
  auto* list = new TScListBox(parent);
  list->SetParent(parent);
  list->SetBounds(10, 10, 150, 120);
  for (const char* item : items) list->Items()->Add(Utf8ToCp949(item));
  return list;
}

TEST(ScListBox, ItemCaptionOutsideTheListIsEmpty) {
  ShownForm form;
  TScListBox* list = FilledList(form.form, {"한국", "일본"});
  EXPECT_EQ(list->ItemCaption(0), "한국"_k);
  EXPECT_EQ(list->ItemCaption(1), "일본"_k);
  EXPECT_EQ(list->ItemCaption(2), "");
  EXPECT_EQ(list->ItemCaption(-1), "");
  list->Items()->Clear();
  EXPECT_EQ(list->ItemCaption(0), "");
}

TEST(ScListBox, DeletingKeepsTheSelectionIndexAndReportsTheNewChoice) {
  ShownForm form;
  TScListBox* list = FilledList(form.form, {"DVDRIP", "SVCD", "DVDSCR", "XVID"});
  int clicks = 0;
  list->OnClick = [&](TObject*) { ++clicks; };

  // The selected middle item goes: the next one moves into its place.
  list->SetItemIndex(1);
  list->DeleteItemKeepIndex(1);
  EXPECT_EQ(list->Items()->Count(), 3);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->ItemCaption(list->ItemIndex()), "DVDSCR");
  EXPECT_EQ(clicks, 1);

  // The last item goes while selected: the new last one is selected.
  list->SetItemIndex(2);
  list->DeleteItemKeepIndex(2);
  EXPECT_EQ(list->ItemIndex(), 1);
  EXPECT_EQ(list->ItemCaption(list->ItemIndex()), "DVDSCR");
  EXPECT_EQ(clicks, 2);

  // Outside the list nothing happens.
  list->DeleteItemKeepIndex(7);
  EXPECT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(clicks, 2);

  // Nothing selected: nothing gets selected and no click.
  list->SetItemIndex(-1);
  list->DeleteItemKeepIndex(0);
  EXPECT_EQ(list->ItemIndex(), -1);
  EXPECT_EQ(clicks, 2);

  // The list empties: no click.
  list->SetItemIndex(0);
  list->DeleteItemKeepIndex(0);
  EXPECT_EQ(list->Items()->Count(), 0);
  EXPECT_EQ(clicks, 2);
}

TEST(ScComboBox, ClearItemsEmptiesTheListAndItemsAreTextFiles) {
  ShownForm form;
  auto* combo = new TScComboBox(form.form);
  combo->SetParent(form.form);
  combo->Items()->Add("제목"_k);
  combo->Items()->Add("감독"_k);
  EXPECT_EQ(combo->Items()->IndexOf("감독"_k), 1);
  EXPECT_EQ(combo->Items()->IndexOf("감"_k), -1);
  combo->ClearItems();
  EXPECT_EQ(combo->Items()->Count(), 0);
  EXPECT_EQ(combo->Items()->IndexOf("감독"_k), -1);
}

TEST(ScEdit, WritingTheTextFiresOnChangeOnceWithOrWithoutAWindow) {
  TScEdit unshown(nullptr);
  int changes = 0;
  unshown.OnChange = [&](TObject*) { ++changes; };
  unshown.SetText("9.5");
  EXPECT_EQ(changes, 1);
  unshown.SetText("9.5");
  EXPECT_EQ(changes, 1);

  ShownForm form;
  auto* edit = new TScEdit(form.form);
  edit->SetParent(form.form);
  edit->HandleNeeded();
  int shownChanges = 0;
  edit->OnChange = [&](TObject*) { ++shownChanges; };
  edit->SetText("영화 제목"_k);
  EXPECT_EQ(shownChanges, 1);
  EXPECT_EQ(edit->Text(), "영화 제목"_k);
}

TEST(ScButtonEdit, ItsButtonPressedFromCodeRunsTheHandler) {
  ShownForm form;
  auto* edit = new TScButtonEdit(form.form);
  edit->SetParent(form.form);
  edit->SetBounds(10, 10, 200, 21);
  int presses = 0;
  edit->OnButtonClick = [&](TObject* sender) {
    EXPECT_EQ(sender, edit);
    ++presses;
  };
  edit->ButtonClick();
  EXPECT_EQ(presses, 1);
  // The button sits inside the edit, at its right end.
  EXPECT_EQ(edit->Button()->Left() + edit->Button()->Width(), edit->ClientWidth());
}

TEST(ScProgressBar, PercentAboveAHundredShowsFull) {
  ShownForm form;
  auto* bar = new TScProgressBar(form.form);
  bar->SetParent(form.form);
  bar->SetPercent(42);
  EXPECT_EQ(bar->Percent(), 42);
  EXPECT_EQ(bar->Position(), 42);
  bar->SetPercent(250);
  EXPECT_EQ(bar->Percent(), 100);
  EXPECT_EQ(bar->Position(), bar->Max());
  bar->SetPercent(65535);
  EXPECT_EQ(bar->Percent(), 100);
}

TEST(ScDialogButtons, OkAndCancelFireTheirEventsAndTheKeysPressThem) {
  ShownForm form;
  auto* buttons = new TScDialogButtons(form.form);
  buttons->SetParent(form.form);
  buttons->SetAlign(alBottom);
  int ok = 0, cancel = 0;
  buttons->OnClickOk = [&](TObject*) { ++ok; };
  buttons->OnClickCancel = [&](TObject*) { ++cancel; };
  EXPECT_EQ(buttons->OkButton()->Caption(), "확인"_k);
  EXPECT_EQ(buttons->CancelButton()->Caption(), "취소"_k);
  buttons->OkButton()->Click();
  buttons->CancelButton()->Click();
  EXPECT_EQ(ok, 1);
  EXPECT_EQ(cancel, 1);
  // Both stay at the right end of the bar, side by side, after a resize.
  form->SetBounds(10, 10, 500, 300);
  EXPECT_EQ(buttons->CancelButton()->Left() + buttons->CancelButton()->Width(), buttons->Width() - 8);
  EXPECT_LT(buttons->OkButton()->Left() + buttons->OkButton()->Width(), buttons->CancelButton()->Left());
  auto* edit = new TScEdit(form.form);
  edit->SetParent(form.form);
  edit->SetFocus();
  SimulateKey(edit, VK_ESCAPE);
  EXPECT_EQ(cancel, 2);
  SimulateKey(edit, VK_RETURN);
  EXPECT_EQ(ok, 2);
}

TEST(ScColorEdit, TheUsersPickChangesTheColourAndACancelDoesNot) {
  TDialogFakesGuard fakes;
  ShownForm form;
  auto* edit = new TScColorEdit(form.form);
  edit->SetParent(form.form);
  edit->SetSelectedColor(clBlack);
  int changes = 0;
  edit->OnChange = [&](TObject*) { ++changes; };
  TDialogFakes::QueueColor(TColor(0x00DAABE0));
  SimulateClick(edit, 10, 10);
  EXPECT_EQ(edit->SelectedColor(), TColor(0x00DAABE0));
  EXPECT_EQ(changes, 1);
  TDialogFakes::QueueColor(std::nullopt);
  EXPECT_FALSE(edit->PickColor());
  EXPECT_EQ(edit->SelectedColor(), TColor(0x00DAABE0));
  EXPECT_EQ(changes, 1);
  // Setting it from code is not the user's change.
  edit->SetSelectedColor(clRed);
  EXPECT_EQ(changes, 1);
}

}  // namespace
