// The settings dialog driven as a user would: controls clicked, colours and
// files picked through the faked dialogs, values typed into input boxes,
// then "확인" or "취소"; the files it leaves behind are read back.
#include "app/FormSetup.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/rtl/Cp949.h"
#include "tests/app/AppTestSupport.h"
#include "tests/vcl/VclTestSupport.h"

namespace {

class FormSetupTest : public ::testing::Test {
 protected:
  void TearDown() override { TCustomForm::SetShowModalHook(nullptr); }

  // Shows a fresh dialog modally with drive as the user; returns its result.
  int RunDialog(const std::function<void(TFormSetup&)>& drive) {
    auto dialog = std::make_unique<TFormSetup>(nullptr, app_.Path(), app_.Path() + "DB");
    TCustomForm::SetShowModalHook([&](TCustomForm& form) { drive(static_cast<TFormSetup&>(form)); });
    int result = dialog->ShowModal();
    TCustomForm::SetShowModalHook(nullptr);
    lastModified_ = dialog->Modified;
    lastColumnsChanged_ = dialog->ColumnsChanged;
    return result;
  }
  static void ClickCheck(TScCheckBox* box) { SimulateClick(box, 6, 8); }
  static void ClickRadio(TScRadioGroup* group, int item) { SimulateClick(group->Buttons(item), 6, 6); }
  static void ShowPage(TFormSetup& f, int page) {
    f.PageControl1->SetActivePageIndex(page);
    Application->ProcessMessages();
  }

  AnsiString IniName() const { return app_.Path() + "Vidrena.ini"; }
  AnsiString ConfigFile(const char* name) const { return app_.Path() + "Config/" + Utf8ToCp949(name); }

  TempFolder app_;
  TDialogFakesGuard fakes_;
  bool lastModified_ = false;
  bool lastColumnsChanged_ = false;
};

TEST_F(FormSetupTest, SettingsChangedInTheDialogAreSavedAndShownAgainNextTime) {
  TDialogFakes::QueueColor(TColor(0x00102030));
  TDialogFakes::QueueFileName(app_.Path() + "DB/내 영화.VDM"_k);
  int result = RunDialog([&](TFormSetup& f) {
    // No file yet: the defaults.
    EXPECT_FALSE(f.ScCheckBox9->Checked());   // journal off
    EXPECT_TRUE(f.ScCheckBox8->Checked());    // backups on
    EXPECT_TRUE(f.ScCheckBox7->Checked());    // update check on
    EXPECT_EQ(f.ScRadioGroup2->ItemIndex(), 2);  // poster names kept
    EXPECT_EQ(f.ScColorEdit[5]->SelectedColor(), TColor(0x00DAABE0));
    EXPECT_FALSE(f.Modified);

    ClickCheck(f.ScCheckBox5);   // poster auto size off
    ClickCheck(f.ScCheckBox12);  // open the catalogue at start
    f.ScButtonEdit1->ButtonClick();
    ClickRadio(f.ScRadioGroup2, 0);
    ShowPage(f, 1);
    SimulateClick(f.ScColorEdit[5], 10, 10);  // lent rows' ground
    ShowPage(f, 2);
    ClickRadio(f.ScRadioGroup1, 2);   // imdb
    ClickRadio(f.ScRadioGroup6, 1);   // errors only
    f.ScButton2->Click();
  });
  EXPECT_EQ(result, mrOk);
  ASSERT_TRUE(FileExists(IniName()));
  {
    TMemIniFile ini(IniName());
    TIniSetup s = ReadIniSetup(ini);
    EXPECT_FALSE(s.PosterAutoSize);
    EXPECT_TRUE(s.OpenDBAtStart);
    EXPECT_EQ(s.DBFile, app_.Path() + "DB/내 영화.VDM"_k);
    EXPECT_EQ(s.PosterRenameMode, 0);
    EXPECT_EQ(s.LentBackColor, TColor(0x00102030));
    EXPECT_EQ(s.WebSearchSite, 2);
    EXPECT_EQ(s.CheckWebInfo, 1);
    EXPECT_TRUE(s.MakeBackupFile);  // untouched keys are written with what the dialog showed
    EXPECT_EQ(ini.ReadString("목록색상"_k, "대여바탕"_k, ""), "$00102030");
    EXPECT_EQ(ini.ReadString("목록색상"_k, "대여글자"_k, ""), "clBlack");
  }
  // The file dialog started in the catalogue folder.
  ASSERT_FALSE(TDialogFakes::FileDialogs().empty());
  EXPECT_EQ(TDialogFakes::FileDialogs().back().InitialDir, app_.Path() + "DB");

  RunDialog([&](TFormSetup& f) {
    EXPECT_FALSE(f.ScCheckBox5->Checked());
    EXPECT_TRUE(f.ScCheckBox12->Checked());
    EXPECT_EQ(f.ScButtonEdit1->Text(), app_.Path() + "DB/내 영화.VDM"_k);
    EXPECT_EQ(f.ScRadioGroup2->ItemIndex(), 0);
    EXPECT_EQ(f.ScRadioGroup1->ItemIndex(), 2);
    EXPECT_EQ(f.ScRadioGroup6->ItemIndex(), 1);
    EXPECT_EQ(f.ScColorEdit[5]->SelectedColor(), TColor(0x00102030));
    EXPECT_FALSE(f.Modified);  // filling the controls is no change
    f.ScButton1->Click();
  });
}

TEST_F(FormSetupTest, AChangeOfAnyControlMarksTheDialogModifiedAndOnlyTheColumnListMarksColumns) {
  struct Action {
    const char* what;
    std::function<void(TFormSetup&)> act;
    bool columns;
  };
  const std::vector<Action> actions = {
      {"a check box", [](TFormSetup& f) { ClickCheck(f.ScCheckBox10); }, false},
      {"similar titles", [](TFormSetup& f) { ClickCheck(f.ScCheckBox11); }, false},
      {"radio group", [](TFormSetup& f) { ClickRadio(f.ScRadioGroup2, 1); }, false},
      {"file name typed", [](TFormSetup& f) {
         f.ScButtonEdit1->SetFocus();
         SimulateTyping(f.ScButtonEdit1, "x");
       }, false},
      {"row colours", [](TFormSetup& f) {
         ShowPage(f, 1);
         ClickCheck(f.ScCheckBox2);
         EXPECT_FALSE(f.ScGroupBox2->Enabled());
         EXPECT_FALSE(f.ScColorEdit[0]->Enabled());
       }, false},
      {"a colour", [](TFormSetup& f) {
         ShowPage(f, 1);
         TDialogFakes::QueueColor(clRed);
         SimulateClick(f.ScColorEdit[10], 10, 10);
       }, false},
      {"the column list", [](TFormSetup& f) {
         ShowPage(f, 1);
         f.ViewList->SetFocus();
         f.ViewList->SetItemIndex(3);
         SimulateKey(f.ViewList, VK_SPACE);
       }, true},
      {"web radio group", [](TFormSetup& f) {
         ShowPage(f, 2);
         ClickRadio(f.ScRadioGroup3, 0);
       }, false},
      {"unlisted values", [](TFormSetup& f) {
         ShowPage(f, 3);
         ClickCheck(f.ScCheckBox6);
       }, false},
      {"a value added", [](TFormSetup& f) {
         TDialogFakes::QueueInput(AnsiString("브라질"_k));
         f.ValueLists[0].AddButton->Click();
       }, false},
      {"a value deleted", [](TFormSetup& f) {
         f.RList->SetItemIndex(0);
         f.ValueLists[1].DeleteButton->Click();
       }, false},
  };
  for (const Action& a : actions) {
    RunDialog([&](TFormSetup& f) {
      a.act(f);
      f.ScButton1->Click();
    });
    EXPECT_TRUE(lastModified_) << a.what;
    EXPECT_EQ(lastColumnsChanged_, a.columns) << a.what;
  }
  // Every one of them was cancelled: nothing was written.
  EXPECT_FALSE(FileExists(IniName()));
  EXPECT_FALSE(DirectoryExists(app_.Path() + "Config"));

  // Nothing changed: "확인" writes nothing either.
  EXPECT_EQ(RunDialog([](TFormSetup& f) { f.ScButton2->Click(); }), mrOk);
  EXPECT_FALSE(lastModified_);
  EXPECT_FALSE(FileExists(IniName()));
}

TEST_F(FormSetupTest, ValueListsEditedAreSavedIntoAConfigFolderMadeForThem) {
  RunDialog([&](TFormSetup& f) {
    ShowPage(f, 3);
    TDialogFakes::QueueInput(AnsiString("  브라질 "_k));
    f.ValueLists[0].AddButton->Click();
    TDialogFakes::QueueInput(AnsiString("한국"_k));  // already there
    f.ValueLists[0].AddButton->Click();
    TDialogFakes::QueueInput(AnsiString("dvdrip"));  // already there, in other letters
    f.ValueLists[2].AddButton->Click();
    TDialogFakes::QueueInput(std::nullopt);  // cancelled
    f.ValueLists[2].AddButton->Click();
    ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);  // each value held already is said so
    EXPECT_EQ(TDialogFakes::MessageBoxes().back().Text, "\"DVDRIP\"은(는) 이미 목록에 있습니다."_k);
    f.JList->SetItemIndex(1);  // 일본
    f.ValueLists[0].DeleteButton->Click();
    EXPECT_EQ(f.JList->ItemCaption(f.JList->ItemIndex()), "미국"_k);
    f.MList->SetSelected(0, true);
    f.MList->SetSelected(2, true);
    f.ValueLists[4].DeleteButton->Click();
    f.ScButton2->Click();
  });
  ASSERT_FALSE(TDialogFakes::Prompts().empty());
  EXPECT_EQ(TDialogFakes::Prompts().front(), "예) 한국, 일본, 미국"_k);
  EXPECT_EQ(ReadTextFile(ConfigFile("제작국가.List")), "한국\r\n미국\r\n브라질\r\n"_k);
  EXPECT_EQ(ReadTextFile(ConfigFile("화질.List")), "DVDRIP\r\nSVCD\r\nDVDSCR\r\n");
  EXPECT_EQ(ReadTextFile(ConfigFile("영화장르.List")), "액션\r\n"_k);
  for (const char* name : {"릴.List", "언어.List", "관람등급.List", "목록.View"})
    EXPECT_TRUE(FileExists(ConfigFile(name))) << name;
  // The settings file is written with them, and no temporary file is left.
  EXPECT_TRUE(FileExists(IniName()));
  EXPECT_EQ(ListFolder(app_.Path() + "Config").size(), 7u);

  // The next dialog shows the lists from their files.
  RunDialog([&](TFormSetup& f) {
    EXPECT_EQ(f.JList->Items()->Count(), 3);
    EXPECT_EQ(f.JList->ItemCaption(2), "브라질"_k);
    EXPECT_EQ(f.MList->Items()->Count(), 1);
    f.ScButton1->Click();
  });
}

TEST_F(FormSetupTest, ChangingOnlyTheColumnListWritesTheListAndTheSettingsFile) {
  RunDialog([&](TFormSetup& f) {
    ShowPage(f, 1);
    ASSERT_EQ(f.ViewList->Items()->Count(), 40);
    f.ViewList->SetFocus();
    f.ViewList->SetItemIndex(0);
    SimulateKey(f.ViewList, VK_SPACE);  // 원제(영제) off
    f.ScButton2->Click();
  });
  EXPECT_TRUE(lastColumnsChanged_);
  EXPECT_TRUE(FileExists(IniName()));
  // The chooser's items are the headers followed by a blank, as the
  // catalogue window keeps them.
  const AnsiString view = ReadTextFile(ConfigFile("목록.View"));
  const AnsiString head = "&0 1 원제(영제)  \r\n&1 1 감독  \r\n"_k;
  EXPECT_EQ(view.substr(0, head.size()), head);
  RunDialog([&](TFormSetup& f) {
    EXPECT_FALSE(f.ViewList->Checked(0));
    EXPECT_TRUE(f.ViewList->Checked(1));
    f.ScButton1->Click();
  });
}

TEST_F(FormSetupTest, ASaveThatFailsShowsTheErrorAndKeepsTheDialogOpen) {
  // A file where the configuration folder should be.
  WriteTextFile(app_.Path() + "Config", "not a folder");
  int result = RunDialog([&](TFormSetup& f) {
    ClickCheck(f.ScCheckBox7);
    f.ScButton2->Click();
    EXPECT_EQ(f.ModalResult(), mrNone);
    ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
    EXPECT_NE(TDialogFakes::MessageBoxes()[0].Text.find("Config"), AnsiString::npos);
    EXPECT_TRUE(f.Modified);
    f.ScButton1->Click();
  });
  EXPECT_EQ(result, mrCancel);
}

TEST_F(FormSetupTest, AHandEditedSettingsFileStillOpensTheDialog) {
  WriteTextFile(IniName(), "[목록색상]\r\n대여바탕=purple-ish\r\n기본글자=ClRed\r\n[일반]\r\n포스터이름변경=abc\r\n"
                           "[웹]\r\n검색값=9\r\n"_k);
  RunDialog([&](TFormSetup& f) {
    EXPECT_EQ(f.ScColorEdit[5]->SelectedColor(), TColor(0x00DAABE0));
    EXPECT_EQ(f.ScColorEdit[0]->SelectedColor(), clRed);
    EXPECT_EQ(f.ScRadioGroup2->ItemIndex(), 2);
    EXPECT_EQ(f.ScRadioGroup1->ItemIndex(), -1);  // a site the dialog does not offer
    f.ScButton1->Click();
  });
}

}  // namespace
