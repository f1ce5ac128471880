// The autosave journal: entries written as movies change, offered and
// restored after the program ended without saving, purged by a good save.
#include <gtest/gtest.h>

#include <cerrno>
#include <functional>

#include "app/FormBakDir.h"
#include "app/FormME.h"
#include "app/FormSt.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class JournalTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    CatalogueWindowTest::SetUp();
    WriteTextFile(app_.Path() + "Vidrena.ini", "[일반]\r\n백업폴더만들기=1\r\n"_k);
  }
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }
  // The restore dialog, when offered, restores everything and closes.
  void RestoreWhenOffered() {
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (auto* dialog = dynamic_cast<TFormBakDir*>(&form)) {
        offered_ = dialog->ScListBox1->Items()->Count();
        dialog->ScButton1->Click();
        dialog->ScButton2->Click();
      }
    });
  }
  AnsiString SaveNew(TFormMain& w, const AnsiString& name) {
    const AnsiString file = app_.Path() + "DB/" + name;
    TDialogFakes::QueueFileName(file);
    EXPECT_TRUE(w.SaveDB("NewDB"));
    return file;
  }
  int offered_ = -1;
};

}  // namespace

TEST_F(JournalTest, AnEntryHoldsEveryColumnAsTaggedLines) {
  TFormMain* w = OpenWindow();
  int row = AddMovie(*w, "괴물"_k, "봉준호"_k);
  SetCatalogueCell(*w->movie_Grid, Cat::Synopsis, row, "한강\r\n괴물"_k);
  w->WriteAutoSaveEntry(row, true);
  const AnsiString file = w->JournalFolder() + "/괴물.ADD"_k;
  ASSERT_TRUE(FileExists(file));
  TStringList lines;
  lines.LoadFromFile(file);
  // The synopsis spans two lines; the block of the movie's key follows the columns.
  EXPECT_EQ(lines.Count(), 3 * kCatalogueColumnCount + 1 + 3);
  EXPECT_EQ(lines.Strings(0), "[제목]"_k);
  EXPECT_EQ(lines.Strings(1), "괴물"_k);
  EXPECT_EQ(lines.Strings(2), "[/제목]"_k);
  EXPECT_EQ(TextBetween16(lines.Text(), "[감독]"_k, "[/감독]"_k), "봉준호"_k);
}

TEST_F(JournalTest, AfterACrashTheOfferRestoresAddsBeforeEditsAndFindsRenamedMovies) {
  AnsiString file;
  {
    TFormMain* w = OpenWindow();
    AddMovie(*w, "올드보이"_k, "박찬욱"_k);
    AddMovie(*w, "제목"_k);  // a movie titled like the header
    file = SaveNew(*w, "j.VDM");
    auto rename = [w](int row, const AnsiString& title) {
      const std::vector<AnsiString> before = JournalMovieValues(*w->movie_Grid, row);
      SetCatalogueCell(*w->movie_Grid, Cat::Title, row, title);
      SetCatalogueCell(*w->movie_Grid, Cat::Director, row, CatalogueCell(*w->movie_Grid, Cat::Director, row) + "!");
      w->WriteAutoSaveEntry(row, false, before);
    };
    // Added, then renamed: still a movie the file does not hold.
    int added = AddMovie(*w, "가"_k, "감독1"_k);
    w->WriteAutoSaveEntry(added, true);
    rename(added, "Alpha");
    // An old movie renamed twice: one entry, carrying the title the file knows.
    SetCatalogueCell(*w->movie_Grid, Cat::Director, 1, "Park");
    rename(1, "Oldboy");
    rename(1, "Oldboy (2003)");
    // A title a file name cannot hold.
    int odd = AddMovie(*w, "AC/DC: 라이브?"_k);
    w->WriteAutoSaveEntry(odd, true);
    EXPECT_EQ(ListFolder(w->JournalFolder()).size(), 3u);
    CloseWindow(w);  // the program ends without saving
  }
  TFormMain* w = OpenWindow();
  TDialogFakes::QueueAnswer(mrYes);
  RestoreWhenOffered();
  ASSERT_TRUE(w->LoadDB(file));
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"DB에 저장 되지 않은 영화정보가 있습니다. 복원 합니까.?"_k});
  EXPECT_EQ(offered_, 3);
  // Adds in list order ("AC DC  라이브~....ADD" before "Alpha.ADD"), then the edits.
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"Oldboy (2003)", "제목"_k, "AC/DC: 라이브?"_k, "Alpha"}));
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 1), "Park!!");
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 4), "감독1!"_k);
  EXPECT_EQ(w->movie_Grid->Cells(0, 0), Cat::Title);  // the headers stay
  EXPECT_TRUE(w->DBModified);  // restored movies are not in the file yet

  // A good save purges the journal.
  w->btnSaveDB->Click();
  EXPECT_FALSE(DirectoryExists(w->JournalFolder()));
}

// Remakes of one title, an untitled movie, a movie renamed and then edited
// again: after a crash each edit comes back onto the movie it was made on,
// and an entry that cannot tell two movies apart touches neither.
TEST_F(JournalTest, AfterACrashEveryEditComesBackOntoTheMovieItWasMadeOn) {
  AnsiString file, folder;
  {
    TFormMain* w = OpenWindow();
    for (const char* director : {"Cooper", "Jackson"}) AddMovie(*w, "King Kong", director);
    AddMovie(*w, "올드보이"_k, "박찬욱"_k);
    SetCatalogueCell(*w->movie_Grid, Cat::Title, AddMovie(*w, "?", "-"), "");
    file = SaveNew(*w, "remakes.VDM");
    auto edit = [w](int row, int view, const AnsiString& value) {
      w->SelectMovie(row);
      TCustomForm::SetShowModalHook([&](TCustomForm& form) {
        dynamic_cast<TFormME&>(form).View(view)->SetText(value);
        dynamic_cast<TFormME&>(form).SaveButton->Click();
      });
      w->BtnMovieEdit->Click();
    };
    edit(2, 2, "Peter Jackson");
    edit(4, 0, "무제"_k);
    edit(3, 0, "Oldboy");
    edit(3, 2, "Park");  // the title kept this time
    folder = w->JournalFolder();
    CloseWindow(w);
  }
  WriteTextFile(folder + "/kk.EDIT", "[제목]\r\nKing Kong\r\n[/제목]\r\n[감독]\r\n?\r\n[/감독]\r\n"_k);
  WriteTextFile(folder + "/Oldboy.EDIT.tmp~", "[제목]\r\nOld");  // a write killed on its way
  TFormMain* w = OpenWindow();
  AnsiString note;
  TDialogFakes::QueueAnswer(mrYes);
  TCustomForm::SetShowModalHook([&](TCustomForm& form) {
    dynamic_cast<TFormBakDir&>(form).ScButton1->Click();
    note = dynamic_cast<TFormBakDir&>(form).SkippedLabel->Caption();
  });
  ASSERT_TRUE(w->LoadDB(file));
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"King Kong", "King Kong", "Oldboy", "무제"_k}));
  std::vector<AnsiString> directors;
  for (int r = 1; r <= 4; ++r) directors.push_back(CatalogueCell(*w->movie_Grid, Cat::Director, r));
  EXPECT_EQ(directors, (std::vector<AnsiString>{"Cooper", "Peter Jackson", "Park", "-"}));
  EXPECT_EQ(note, "같은 제목의 영화가 여럿이라 어느 영화인지 알 수 없는 항목 1개는 건너뛰었습니다: kk.EDIT"_k);
  w->btnSaveDB->Click();
  EXPECT_FALSE(DirectoryExists(folder));
}

TEST_F(JournalTest, DecliningTheOfferKeepsTheJournalForNextTime) {
  TFormMain* w = OpenWindow();
  const AnsiString file = SaveNew(*w, "k.VDM");
  w->WriteAutoSaveEntry(AddMovie(*w, "남은 영화"_k), true);
  TDialogFakes::QueueAnswer(mrNo);
  ASSERT_TRUE(w->LoadDB(file));
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{""});
  EXPECT_FALSE(w->DBModified);
  EXPECT_EQ(ListFolder(w->JournalFolder()).size(), 1u);
}

TEST_F(JournalTest, AFailedSaveKeepsTheJournal) {
  TFormMain* w = OpenWindow();
  const AnsiString file = SaveNew(*w, "f.VDM");
  w->WriteAutoSaveEntry(AddMovie(*w, "지켜야 할 영화"_k), true);
  TSyncFailure failing(EIO);  // the save cannot go through
  EXPECT_FALSE(w->SaveDB(file));
  EXPECT_EQ(ListFolder(w->JournalFolder()).size(), 1u);
}

TEST_F(JournalTest, CataloguesOfTheSameNameInDifferentFoldersKeepTheirOwnJournal) {
  TFormMain* w = OpenWindow();
  ASSERT_TRUE(ForceDirectories(app_.Path() + "DB/other"));
  const AnsiString a = SaveNew(*w, "same.VDM");
  const AnsiString folderA = w->JournalFolder();
  TDialogFakes::QueueFileName(app_.Path() + "DB/other/same.VDM");
  ASSERT_TRUE(w->SaveDB("NewDB"));
  EXPECT_NE(w->JournalFolder(), folderA);
  // The name stays readable.
  EXPECT_EQ(ExtractFileName(folderA).rfind("same.VDM", 0), 0u);
  w->WriteAutoSaveEntry(AddMovie(*w, "다른 목록"_k), true);
  TDialogFakes::QueueAnswer(mrYes);
  ASSERT_TRUE(w->LoadDB(a));
  EXPECT_TRUE(BoxTexts().empty());  // nothing offered to the other catalogue
}

TEST_F(JournalTest, EntryNamesKeepPlainTitlesAndTellApartTitlesThatLostCharacters) {
  EXPECT_EQ(JournalEntryName("살인의 추억"_k), "살인의 추억"_k);
  const AnsiString a = JournalEntryName("a*b"), b = JournalEntryName("a?b");
  EXPECT_NE(a, b);
  EXPECT_EQ(a.rfind("a b~", 0), 0u);
  EXPECT_EQ(JournalEntryName("***").rfind("~", 0), 0u);
  EXPECT_LE(JournalEntryName(AnsiString(300, 'x')).size(), 130u);
  EXPECT_EQ(JournalEntryName("..").find('/'), std::string::npos);
}

TEST_F(CatalogueWindowTest, WithTheJournalOffNothingIsWrittenOrOffered) {
  TFormMain* w = OpenWindow();
  TDialogFakes::QueueFileName(app_.Path() + "DB/n.VDM");
  ASSERT_TRUE(w->SaveDB("NewDB"));
  ASSERT_TRUE(ForceDirectories(w->JournalFolder()));
  WriteTextFile(w->JournalFolder() + "/old.ADD", "[제목]\r\nold\r\n[/제목]\r\n"_k);
  ASSERT_TRUE(w->LoadDB(w->CurrentDBFile));
  EXPECT_TRUE(BoxTexts().empty());
  w->btnSaveDB->Click();
  EXPECT_TRUE(FileExists(w->JournalFolder() + "/old.ADD"));
}

TEST_F(JournalTest, ADeleteEntryRemovesItsMovieAfterTheAddsAndEditsAndAMissingMarkerGivesAnEmptyCell) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "지울 영화"_k, "누군가"_k);
  AddMovie(*w, "남길 영화"_k, "감독"_k);
  SaveNew(*w, "d.VDM");
  ASSERT_TRUE(ForceDirectories(w->JournalFolder()));
  // Listed first, applied last.
  WriteTextFile(w->JournalFolder() + "/a.DEL", "[제목]\r\n지울 영화\r\n[/제목]\r\n"_k);
  WriteTextFile(w->JournalFolder() + "/b.EDIT", "[제목]\r\n남길 영화\r\n[/제목]\r\n"_k);
  TFormBakDir dialog(nullptr, w->movie_Grid);
  dialog.JournalFolder = w->JournalFolder();
  dialog.ScListBox1->Items()->Add("a.DEL");
  dialog.ScListBox1->Items()->Add("b.EDIT");
  dialog.ScListBox1->Items()->Add("gone.ADD");  // went away meanwhile: skipped
  dialog.ScButton1->Click();
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"남길 영화"_k});
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 1), "");
  EXPECT_EQ(dialog.ScButton2->Caption(), "닫기"_k);
  EXPECT_EQ(dialog.ProgressBar1->Position(), 2);
  EXPECT_TRUE(FileExists(w->JournalFolder() + "/a.DEL"));  // a restore leaves the files

  // An edit of a movie titled like the title column's header is that movie's.
  AddMovie(*w, Cat::Title);
  WriteTextFile(w->JournalFolder() + "/c.EDIT", "[제목]\r\n제목\r\n[/제목]\r\n[감독]\r\n누구\r\n[/감독]\r\n"_k);
  TFormBakDir titled(nullptr, w->movie_Grid);
  titled.JournalFolder = w->JournalFolder();
  titled.ScListBox1->Items()->Add("c.EDIT");
  titled.ScButton1->Click();
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 0), Cat::Director) << "the headers stay";
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 2), "누구"_k);
}

TEST_F(JournalTest, EntriesThatDoNotReadAreSkippedNotRestoredAsEmptyMoviesAndTheDialogCountsThem) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "있던 영화"_k);
  SaveNew(*w, "j.VDM");
  const AnsiString folder = w->JournalFolder();
  ASSERT_TRUE(ForceDirectories(folder));
  w->WriteAutoSaveEntry(AddMovie(*w, "살아난 영화"_k, "감독"_k), true);
  // Damaged entries: bytes of no entry, a cut file that lost its title's
  // end, and an add whose every block is empty.
  WriteTextFile(folder + "/garbage.ADD", std::string("\x00\xff\x13junk[\x01]", 10));
  WriteTextFile(folder + "/cut.ADD", "[제목]\r\n반쪽 영"_k);
  WriteTextFile(folder + "/blank.ADD", "[제목]\r\n\r\n[/제목]\r\n[감독]\r\n[/감독]\r\n"_k);
  WriteTextFile(folder + "/cut.EDIT", "[감독]\r\n누구\r\n[/감독]\r\n"_k);
  TFormBakDir dialog(nullptr, w->movie_Grid);
  dialog.JournalFolder = folder;
  for (const char* name : {"garbage.ADD", "cut.ADD", "blank.ADD", "cut.EDIT"}) dialog.ScListBox1->Items()->Add(name);
  dialog.ScListBox1->Items()->Add("살아난 영화.ADD"_k);
  dialog.ScListBox1->Items()->Add("gone.ADD");  // went away meanwhile
  // The window's own row of the movie is taken out: the restore brings it back.
  w->movie_Grid->RemoveRows(2, 1);
  ASSERT_EQ(Titles(*w), std::vector<AnsiString>{"있던 영화"_k});

  dialog.ScButton1->Click();
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"있던 영화"_k, "살아난 영화"_k}));
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 1), "");  // the edit without a title touched nothing
  EXPECT_EQ(CatalogueCell(*w->movie_Grid, Cat::Director, 2), "감독"_k);
  EXPECT_EQ(dialog.SkippedLabel->Caption(),
            "읽을 수 없는 항목 5개는 건너뛰었습니다: garbage.ADD, cut.ADD, blank.ADD, gone.ADD, cut.EDIT"_k);
  EXPECT_EQ(dialog.ProgressBar1->Position(), 1);
}

TEST_F(JournalTest, ARestoreWithEveryEntryReadableSaysNothingOfSkipping) {
  TFormMain* w = OpenWindow();
  SaveNew(*w, "r.VDM");
  w->WriteAutoSaveEntry(AddMovie(*w, "하나"_k), true);
  TFormBakDir dialog(nullptr, w->movie_Grid);
  dialog.JournalFolder = w->JournalFolder();
  dialog.ScListBox1->Items()->Add("하나.ADD"_k);
  dialog.ScButton1->Click();
  EXPECT_EQ(dialog.SkippedLabel->Caption(), "");
  EXPECT_EQ(dialog.ProgressBar1->Position(), 1);
}

TEST_F(JournalTest, NoBusyTextStandsBehindTheRestoreQuestionOrItsDialog) {
  TFormMain* w = OpenWindow();
  const AnsiString file = SaveNew(*w, "b.VDM");
  w->WriteAutoSaveEntry(AddMovie(*w, "되살릴 영화"_k), true);
  // What shows behind each prompt as it waits for the user.
  std::vector<AnsiString> behind;
  auto busyText = [w] {
    AnsiString shown = w->Epanel->Visible() ? w->Epanel->Caption() : AnsiString("(none)");
    if (Screen->Cursor() == crHourGlass) shown += " with the hourglass";
    return shown;
  };
  TDialogFakes::SetMessageBoxHook([&](const TMessageBoxRecord&) { behind.push_back(busyText()); });
  TCustomForm::SetShowModalHook([&](TCustomForm& form) {
    if (auto* dialog = dynamic_cast<TFormBakDir*>(&form)) {
      behind.push_back(busyText());
      dialog->ScButton1->Click();
      dialog->ScButton2->Click();
    }
  });
  TDialogFakes::QueueAnswer(mrYes);
  ASSERT_TRUE(w->LoadDB(file));
  EXPECT_EQ(behind, (std::vector<AnsiString>{"(none)", "(none)"}));
  EXPECT_FALSE(w->Epanel->Visible());
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"", "되살릴 영화"_k}));
}

// A collection as older catalogues hold it: per-file values and a poster name
// with blanks written without quotes, check boxes on watched states, one
// movie with no state. Grouped by its watched state, edited, ungrouped and
// saved, every movie keeps every value, its three files and its check box.
TEST_F(JournalTest, AMovieEditedWhileGroupedKeepsEveryFieldItsFilesAndItsCheckBox) {
  const AnsiString states[] = {Cat::WatchedYes, Cat::WatchedNo, "", Cat::WatchedNo};
  TFormMain* w = OpenWindow();
  TExColumnGrid& g = *w->movie_Grid;
  for (int r = 1; r <= 4; ++r) {
    AddMovie(*w, "영화 "_k + IntToStr(r), "", states[r - 1]);
    SetCatalogueCell(g, Cat::FileName, r, "a.avi|b.avi|c.avi");
    SetCatalogueCell(g, Cat::VideoFormat, r, "DivX 5|DivX 5|XviD");
    SetCatalogueCell(g, Cat::Posters, r, "my poster.jpg");
    if (r <= 2) g.CreateCellGraphic(CatalogueColumnIndex(g, Cat::Watched), r)->SetCellType(ctCheckBox);
  }
  w->GroupCombo->SetItemIndex(w->GroupCombo->Items()->IndexOf(Cat::Watched));
  w->GroupCombo->OnChange(w->GroupCombo);
  std::vector<AnsiString> groups;
  for (int r = 1; r < g.RowCount(); ++r)
    if (g.IsNodeRow(r)) groups.push_back(g.Cells(1, r));
  EXPECT_EQ(groups, (std::vector<AnsiString>{"(비어 있음)"_k, Cat::WatchedYes, Cat::WatchedNo}));

  // The editor shows the movie's own state, files and poster, and saves them.
  g.ExpandAllNodes();
  auto edit = [&](const AnsiString& title, const std::function<void(TFormME&)>& change) {
    for (int r = 1; r < g.RowCount(); ++r)
      if (!g.IsNodeRow(r) && CatalogueCell(g, Cat::Title, r) == title) g.SetRow(r);
    TCustomForm::SetShowModalHook([&](TCustomForm& form) {
      auto& e = dynamic_cast<TFormME&>(form);
      EXPECT_EQ(FileTableCell(*e.FileGrid, Cat::VideoFormat, 2), "DivX 5");
      EXPECT_EQ(e.View_16->Items()->Strings(0), "my poster.jpg");
      change(e);
      e.SaveButton->Click();
    });
    w->BtnMovieEdit->Click();
    TCustomForm::SetShowModalHook(nullptr);
  };
  edit("영화 1"_k, [](TFormME& e) {
    EXPECT_EQ(e.View_20->Caption(), Cat::WatchedYes);
    e.View(2)->SetText("감독"_k);
  });
  edit("영화 3"_k, [](TFormME& e) { e.View_20->Click(); });
  TStringList entry;
  // The catalogue has no file yet: its movies come back as added ones.
  entry.LoadFromFile(w->JournalFolder() + "/영화 1.ADD"_k);
  EXPECT_EQ(entry.Count(), 3 * kCatalogueColumnCount + 3);
  EXPECT_EQ(entry.IndexOf("[]"), -1) << "the node buttons' column is no column of the catalogue";
  EXPECT_EQ(TextBetween16(entry.Text(), "[시청여부]"_k, "[/시청여부]"_k), Cat::WatchedYes);

  w->GroupCombo->SetItemIndex(0);
  w->GroupCombo->OnChange(w->GroupCombo);
  const AnsiString file = SaveNew(*w, "rich.VDM");
  TExColumnGrid back(nullptr);
  SetupCatalogueGrid(back);
  back.LoadGridFile(file);
  const int watched = CatalogueColumnIndex(back, Cat::Watched);
  for (int r = 1; r <= 4; ++r) {
    const AnsiString title = CatalogueCell(back, Cat::Title, r);
    const int n = title.back() - '0';
    EXPECT_EQ(CatalogueCell(back, Cat::Watched, r), n == 3 ? Cat::WatchedYes : states[n - 1]) << title;
    EXPECT_EQ(CatalogueCell(back, Cat::Director, r), n == 1 ? "감독"_k : AnsiString()) << title;
    EXPECT_EQ(SplitFileList(CatalogueCell(back, Cat::VideoFormat, r)).size(), 3u) << title;
    bool checked = false;
    EXPECT_EQ(back.GetCheckBoxState(watched, r, checked), n <= 2) << title;
  }
}
