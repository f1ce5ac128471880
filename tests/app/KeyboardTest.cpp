// The movie editor, the settings dialog and the large poster window worked
// from the keyboard alone: every focus stop in the order the controls stand,
// the toggles flipped by Space and Enter, focus that shows, Escape; and value
// lists that a movie saved with empty boxes leaves clean.
#include <gtest/gtest.h>

#include <functional>

#include "app/FormME.h"
#include "app/FormPoster.h"
#include "app/FormSetup.h"
#include "app/FormSt.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/WindowImage.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

// The name a user would give the focused control: its own, or for the
// button inside a button edit, the edit's followed by "...".
AnsiString FocusName() {
  TWinControl* focused = TWinControl::FocusedControl();
  if (!focused) return "(none)";
  if (auto* edit = dynamic_cast<TScButtonEdit*>(focused->Parent()); edit && edit->Button() == focused)
    return edit->Name() + "...";
  for (TControl* c = focused; c; c = c->Parent())
    if (!c->Name().empty()) return c->Name();
  return "(unnamed)";
}

// Presses Tab (or Shift+Tab) on whatever has the focus until the focus comes
// back to where it started, naming each stop on the way; gives up after
// `limit` presses.
std::vector<AnsiString> WalkTabs(TShiftState shift = {}, int limit = 120) {
  std::vector<AnsiString> stops;
  const AnsiString start = FocusName();
  stops.push_back(start);
  for (int i = 0; i < limit; ++i) {
    TWinControl* focused = TWinControl::FocusedControl();
    if (!focused) break;
    SimulateKey(focused, VK_TAB, shift);
    Application->ProcessMessages();
    const AnsiString now = FocusName();
    if (now == start) return stops;
    stops.push_back(now);
  }
  stops.push_back("(did not come back)");
  return stops;
}

// The stops from `from` up to and including `to`.
std::vector<AnsiString> Between(const std::vector<AnsiString>& stops, const AnsiString& from, const AnsiString& to) {
  auto begin = std::find(stops.begin(), stops.end(), from);
  auto end = std::find(begin, stops.end(), to);
  if (begin == stops.end() || end == stops.end()) return {"(" + from + " .. " + to + " not found)"};
  return std::vector<AnsiString>(begin, end + 1);
}

// Whether the control looks different when it has the focus: its picture
// with the focus on `elsewhere`, then with the focus on the control itself.
bool ShowsFocus(TWinControl* control, TWinControl* elsewhere, const AnsiString& folder) {
  const AnsiString without = folder + "without.png", with = folder + "with.png";
  elsewhere->SetFocus();
  Application->ProcessMessages();
  if (!SaveWindowImage(control, without)) return false;
  control->SetFocus();
  Application->ProcessMessages();
  if (!control->Focused() || !SaveWindowImage(control, with)) return false;
  return ReadTextFile(without) != ReadTextFile(with);
}

class KeyboardTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    CatalogueWindowTest::SetUp();
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (onModal) onModal(form);
    });
  }
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }
  std::function<void(TCustomForm&)> onModal;
  TempFolder shots_;
};

}  // namespace

// ---------------------------------------------------------------- the movie editor

TEST_F(KeyboardTest, TheEditorsTabOrderGoesDownTheFieldsThenThePosterSideAndEndsWithSaveThenCancel) {
  TFormME editor(nullptr);
  editor.PosterDir = app_.Path() + "Poster";
  std::vector<AnsiString> stops, backwards;
  onModal = [&](TCustomForm&) {
    ASSERT_TRUE(editor.View_0->Focused()) << "the editor opens on the title";
    stops = WalkTabs();
    backwards = WalkTabs(TShiftState{ssShift});
    editor.CnsButton->Click();
  };
  editor.ShowModal();
  // The left side top to bottom, two fields on a line left to right, the
  // stars (derived from the score) passed over; the file table and its
  // buttons; then the right side: poster buttons (one poster or none: no
  // previous and next), lists, keeping and lending; the buttons last.
  const std::vector<AnsiString> expected = {
      "View_0",     "ScMenuButton2", "View_1",  "View_2",  "View_3",    "View_4",     "View_5",     "View_6",
      "View_7",     "View_8",        "View_9",  "View_11", "View_12",   "View_13",    "View_14",    "View_15",
      "FileGrid",   "FileADD",       "FldADD",  "FileDel", "WebFile",   "WebSave",    "ScButton26", "ScButton25",
      "ScButton27", "View_16",       "View_40", "ScBitBtn2", "View_17", "View_18",    "View_19",    "View_20",
      "View_36",    "View_37",       "View_38", "View_39", "View_41",   "SaveButton", "CnsButton",  "PageControl1"};
  EXPECT_EQ(stops, expected);
  // Shift+Tab walks the same stops the other way round.
  std::vector<AnsiString> reversed(expected.rbegin(), expected.rend() - 1);
  reversed.insert(reversed.begin(), "View_0");
  EXPECT_EQ(backwards, reversed);
}

TEST_F(KeyboardTest, SpaceAndEnterFlipTheFocusedTogglesAndTheFocusShows) {
  TFormME editor(nullptr);
  editor.PosterDir = app_.Path() + "Poster";
  onModal = [&](TCustomForm&) {
    editor.View_19->SetFocus();
    SimulateKey(editor.View_19, VK_TAB);
    ASSERT_TRUE(editor.View_20->Focused());
    SimulateKey(editor.View_20, VK_SPACE);
    EXPECT_EQ(editor.View_20->Caption(), "본영화"_k);
    SimulateKey(editor.View_20, VK_RETURN);
    EXPECT_EQ(editor.View_20->Caption(), "안본영화"_k);
    SimulateKey(editor.View_20, VK_TAB);
    ASSERT_TRUE(editor.View_36->Focused());
    SimulateKey(editor.View_36, VK_RETURN);
    EXPECT_EQ(editor.View_36->Caption(), "빌려줬음"_k);
    // Enter on a toggle flips it and saves nothing.
    EXPECT_EQ(editor.ModalResult(), mrNone);
    // Other keys leave it.
    SimulateKey(editor.View_36, 'A');
    EXPECT_EQ(editor.View_36->Caption(), "빌려줬음"_k);

    // Each control that takes the focus shows it.
    EXPECT_TRUE(ShowsFocus(editor.View_20, editor.View_1, shots_.Path()));
    EXPECT_TRUE(ShowsFocus(editor.View_36, editor.View_1, shots_.Path()));
    EXPECT_TRUE(ShowsFocus(editor.FileGrid, editor.View_1, shots_.Path()));
    // The poster list of a new movie is empty: the focus shows all the same.
    EXPECT_TRUE(ShowsFocus(editor.View_16, editor.View_1, shots_.Path()));
    editor.View_16->Items()->Add("a.jpg");
    EXPECT_TRUE(ShowsFocus(editor.View_16, editor.View_1, shots_.Path()));
    editor.CnsButton->Click();
  };
  editor.ShowModal();
}

TEST_F(KeyboardTest, AMovieAddedWatchedAndLentWithoutTheMouse) {
  TFormMain* w = OpenWindow();
  onModal = [&](TCustomForm& form) {
    auto* editor = dynamic_cast<TFormME*>(&form);
    ASSERT_NE(editor, nullptr);
    SimulateTyping(editor->View_0, "Heat");
    // From the title down to the toggles by Tab alone.
    while (!editor->View_20->Focused() && TWinControl::FocusedControl())
      SimulateKey(TWinControl::FocusedControl(), VK_TAB);
    SimulateKey(editor->View_20, VK_SPACE);
    SimulateKey(editor->View_20, VK_TAB);
    SimulateKey(editor->View_36, VK_SPACE);
    SimulateKey(editor->View_36, VK_TAB);
    SimulateTyping(editor->View_37, "Vincent");
    while (!editor->SaveButton->Focused() && TWinControl::FocusedControl())
      SimulateKey(TWinControl::FocusedControl(), VK_TAB);
    SimulateKey(editor->SaveButton, VK_RETURN);
    EXPECT_EQ(editor->Tag(), 99);
  };
  w->BtnMovieAdd->Click();
  const int row = w->movie_Grid->RowCount() - 1;
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Title, row), "Heat");
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Watched, row), Cat::WatchedYes);
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Lent, row), Cat::LentOut);
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Borrower, row), "Vincent");
}

// ---------------------------------------------------------------- the settings dialog

TEST_F(KeyboardTest, EverySettingIsReachedByTabPageByPageAndTheButtonsComeLastOkThenCancel) {
  TFormSetup setup(nullptr, app_.Path(), app_.Path() + "DB");
  std::vector<std::vector<AnsiString>> pages;
  AnsiString chosenFile;
  onModal = [&](TCustomForm&) {
    for (int page = 0; page < setup.PageControl1->PageCount(); ++page) {
      // Right on the focused page tabs turns to the next page.
      setup.PageControl1->SetFocus();
      if (page > 0) SimulateKey(setup.PageControl1, VK_RIGHT);
      EXPECT_EQ(setup.PageControl1->ActivePageIndex(), page);
      pages.push_back(WalkTabs());
    }
    // The "..." button of the catalogue file, pressed by Space.
    setup.PageControl1->SetActivePageIndex(0);
    setup.ScButtonEdit1->SetFocus();
    SimulateKey(setup.ScButtonEdit1, VK_TAB);
    ASSERT_EQ(FocusName(), "ScButtonEdit1...");
    TDialogFakes::QueueFileName(app_.Path() + "DB/mine.VDM");
    SimulateKey(TWinControl::FocusedControl(), VK_SPACE);
    chosenFile = setup.ScButtonEdit1->Text();
    setup.ScButton1->Click();
  };
  setup.ShowModal();
  ASSERT_EQ(pages.size(), 4u);

  const std::vector<AnsiString> buttons = {"ScButton2", "ScButton1"};
  for (const auto& stops : pages) {
    ASSERT_GE(stops.size(), 3u);
    EXPECT_EQ(stops.front(), "PageControl1");
    EXPECT_EQ(std::vector<AnsiString>(stops.end() - 2, stops.end()), buttons) << "확인, then 취소";
  }
  EXPECT_EQ(Between(pages[0], "ScCheckBox5", "ScCheckBox8"),
            (std::vector<AnsiString>{"ScCheckBox5", "ScCheckBox10", "ScCheckBox11", "ScCheckBox7", "ScCheckBox12",
                                     "ScButtonEdit1", "ScButtonEdit1...", "ScCheckBox9", "ScCheckBox8"}));
  EXPECT_NE(std::find(pages[0].begin(), pages[0].end(), "ScRadioGroup2"), pages[0].end());
  EXPECT_EQ(Between(pages[1], "ScCheckBox1", "ScColorEdit3"),
            (std::vector<AnsiString>{"ScCheckBox1", "ScCheckBox2", "ScColorEdit1", "ScColorEdit2", "ScColorEdit3"}));
  EXPECT_NE(std::find(pages[1].begin(), pages[1].end(), "ViewList"), pages[1].end());
  for (const char* group : {"ScRadioGroup1", "ScRadioGroup3", "ScRadioGroup6"})
    EXPECT_NE(std::find(pages[2].begin(), pages[2].end(), group), pages[2].end()) << group;
  EXPECT_EQ(Between(pages[3], "ScCheckBox6", "RListDelete"),
            (std::vector<AnsiString>{"ScCheckBox6", "JList", "JListAdd", "JListDelete", "RList", "RListAdd",
                                     "RListDelete"}));
  EXPECT_EQ(chosenFile, app_.Path() + "DB/mine.VDM");
}

// ---------------------------------------------------------------- the poster window

TEST_F(KeyboardTest, EscapeClosesTheLargePosterWindowAsAClickOnThePictureDoes) {
  TFormME editor(nullptr);
  editor.PosterDir = app_.Path() + "Poster";
  editor.ShowPoster("noimage.jpg");
  int shown = 0;
  onModal = [&](TCustomForm& form) {
    auto* poster = dynamic_cast<TFormPoster*>(&form);
    ASSERT_NE(poster, nullptr);
    ++shown;
    EXPECT_EQ(poster->Caption(), "포스터 크게보기"_k);
    SimulateKey(poster, VK_SPACE);
    EXPECT_EQ(poster->ModalResult(), mrNone) << "only Escape closes";
    SimulateKey(poster, VK_ESCAPE);
    EXPECT_EQ(poster->ModalResult(), mrOk);
  };
  editor.ScButton27->Click();
  EXPECT_EQ(shown, 1);
}

// ---------------------------------------------------------------- value lists

TEST_F(KeyboardTest, SavingAMovieWithEmptyOrBlankBoxesLeavesTheValueListsAsTheyWere) {
  const char* const kLists[] = {"제작국가.List", "영화장르.List", "관람등급.List", "화질.List", "릴.List", "언어.List"};
  std::vector<AnsiString> before;
  for (const char* list : kLists) before.push_back(ReadTextFile(ValueListFileName(Utf8ToCp949(list))));

  TFormME editor(nullptr);
  editor.PosterDir = app_.Path() + "Poster";
  editor.AddUnlistedValues = true;
  const AnsiString movie = app_.Path() + "movie.avi";
  WriteTextFile(movie, "not a real movie");
  onModal = [&](TCustomForm& form) {
    if (auto* st = dynamic_cast<TFormSt*>(&form)) {
      st->HInfo->SetText("");
      st->RInfo->SetText("WRD");
      st->LInfo->SetText("   ");
      st->ScButton1->Click();
      return;
    }
    editor.View_0->SetText("빈 칸"_k);
    editor.View_3->SetText("");
    editor.View_8->SetText("  ");
    editor.View_7->SetText("");
    TDialogFakes::QueueFileName(movie);
    editor.FileADD->Click();
    editor.SaveButton->Click();
  };
  editor.ShowModal();
  EXPECT_EQ(editor.Tag(), 99);
  for (std::size_t i = 0; i < std::size(kLists); ++i)
    EXPECT_EQ(ReadTextFile(ValueListFileName(Utf8ToCp949(kLists[i]))), before[i]) << kLists[i];
  // The boxes keep what the user left in them.
  EXPECT_EQ(editor.View_8->Text(), "  ");
}
