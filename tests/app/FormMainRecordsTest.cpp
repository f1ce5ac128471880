// The catalogue window's record operations, driven through the real movie
// editor, lend and batch-edit dialogs: rows written back, saved and loaded,
// and operations that act only on the rows the user sees.
#include <gtest/gtest.h>

#include <functional>

#include "app/FormBakDir.h"
#include "app/FormFarm.h"
#include "app/FormME.h"
#include "app/FormPoster.h"
#include "app/FormSt.h"
#include "app/MultiEditForm.h"
#include "app/vdCrc32.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/WindowImage.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

AnsiString DataFile(const char* folder, const char* name) {
  return FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/" + folder + "/" + name);
}

class RecordsTest : public CatalogueWindowTest {
 protected:
  void SetUp() override {
    CatalogueWindowTest::SetUp();
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (auto* me = dynamic_cast<TFormME*>(&form)) {
        if (onEditor) onEditor(*me);
      } else if (auto* st = dynamic_cast<TFormSt*>(&form)) {
        st->ScButton1->Click();
      } else if (auto* farm = dynamic_cast<TFormFarm*>(&form)) {
        if (onFarm) onFarm(*farm);
      } else if (auto* multi = dynamic_cast<TMultiEditForm*>(&form)) {
        if (onMulti) onMulti(*multi);
      } else if (auto* view = dynamic_cast<TFormPoster*>(&form)) {
        SimulateClick(view->Image1, 10, 10);
        posterViewClosedByClick = view->ModalResult() == mrOk;
      } else if (auto* restore = dynamic_cast<TFormBakDir*>(&form)) {
        restore->ScButton1->Click();
        restore->ScButton2->Click();
      }
    });
  }
  void TearDown() override {
    TCustomForm::SetShowModalHook(nullptr);
    CatalogueWindowTest::TearDown();
  }

  // Adds a movie through the editor: the title typed, then "저장".
  void AddThroughEditor(TFormMain& w, const AnsiString& title,
                        const std::function<void(TFormME&)>& more = {}) {
    onEditor = [&](TFormME& e) {
      e.View_0->SetText(title);
      if (more) more(e);
      e.SaveButton->Click();
    };
    w.BtnMovieAdd->Click();
    onEditor = nullptr;
  }
  AnsiString Cell(TFormMain& w, const AnsiString& header, int row) { return CatalogueCell(*w.movie_Grid, header, row); }
  void Search(TFormMain& w, const AnsiString& column, const AnsiString& value) {
    w.ComboFind->SetItemIndex(w.ComboFind->Items()->IndexOf(column));
    w.ComboFindValue->SetText(value);
    w.FindButton->Click();
  }
  void Select(TFormMain& w, std::initializer_list<int> rows) {
    TExColumnGrid& g = *w.movie_Grid;
    g.ClearRowSelect();
    for (int r : rows) g.SetRowSelected(g.RealRowIndex(r), true);
  }

  bool posterViewClosedByClick = false;
  std::function<void(TFormME&)> onEditor;
  std::function<void(TFormFarm&)> onFarm;
  std::function<void(TMultiEditForm&)> onMulti;
  TempFolder movies_;
};

}  // namespace

TEST_F(RecordsTest, AddedMovieWithFilesAndPosterComesBackAfterARestart) {
  TFormMain* w = OpenWindow();
  w->IniSetup.PosterRenameMode = 0;
  const AnsiString folder = movies_.Path() + "Heat";
  ForceDirectories(folder);
  std::vector<AnsiString> files;
  for (const char* name : {"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi"}) {
    files.push_back(folder + "/" + name);
    std::filesystem::copy_file(SysFileName(DataFile("avi", name)), SysFileName(files.back()));
  }
  const AnsiString poster = w->PosterDir + "/download.jpg";
  std::filesystem::copy_file(SysFileName(DataFile("images", "testsrc_64x48.jpg")), SysFileName(poster));

  AddThroughEditor(*w, "히트 | \"1995\""_k, [&](TFormME& e) {
    EXPECT_EQ(e.AddMode, 1);
    EXPECT_EQ(e.View_19->Text(), FormatDateTime("yyyy-mm-dd", Now()));
    e.View_2->SetText("마이클 만"_k);
    e.View_11->SetText("9");
    TDialogFakes::QueueFileNames(files);
    e.FileADD->Click();
    TDialogFakes::QueueFileNames(std::vector<AnsiString>{poster});
    e.ScButton26->Click();
  });
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"히트 | \"1995\""_k});
  EXPECT_TRUE(w->DBModified);
  EXPECT_EQ(Cell(*w, Cat::Stars, 1), "★★★★☆"_k);
  // The poster took the title's name; the "|" of the title is no file name character.
  EXPECT_EQ(Cell(*w, Cat::Posters, 1), "\"히트   \"\"1995\"\".jpg\""_k);
  const AnsiString file = app_.Path() + "DB/heat.VDM";
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  CloseWindow(w);

  TFormMain* again = OpenWindow();
  ASSERT_TRUE(again->LoadDB(file));
  EXPECT_EQ(Titles(*again), std::vector<AnsiString>{"히트 | \"1995\""_k});
  EXPECT_EQ(SplitFileList(Cell(*again, Cat::FileName, 1)),
            (std::vector<AnsiString>{"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi"}));
  EXPECT_EQ(SplitFileList(Cell(*again, Cat::FileId, 1)),
            (std::vector<AnsiString>{"2D85ACDB", FileIdToStr(GetFileId(files[1])), FileIdToStr(GetFileId(files[2]))}));
  EXPECT_EQ(SplitFileList(Cell(*again, Cat::Channels, 1)), (std::vector<AnsiString>{"1", "2", ""}));
  const std::vector<AnsiString> posters = SplitPosterList(Cell(*again, Cat::Posters, 1));
  ASSERT_EQ(posters.size(), 1u);
  EXPECT_TRUE(FileExists(again->PosterDir + "/" + posters[0]));
  EXPECT_FALSE(FileExists(poster));
}

TEST_F(RecordsTest, AddFillsTheEmptyRowThenAppendsAndEditWritesEveryColumnBack) {
  TFormMain* w = OpenWindow();
  w->IniSetup.UseAutoSave = true;
  AddThroughEditor(*w, "첫째"_k);
  AddThroughEditor(*w, "둘째"_k);
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"첫째"_k, "둘째"_k}));
  onEditor = [](TFormME& e) { e.CnsButton->Click(); };
  w->BtnMovieAdd->Click();
  EXPECT_EQ(w->movie_Grid->RowCount(), 3);

  // An edit shows the row and writes every column back; posters stay.
  SetCatalogueCell(*w->movie_Grid, Cat::Posters, 2, "a.jpg,b.jpg");
  SetCatalogueCell(*w->movie_Grid, Cat::FileName, 2, "x.avi|y.avi");
  SetCatalogueCell(*w->movie_Grid, Cat::FileId, 2, "00000001|00000002");
  SetCatalogueCell(*w->movie_Grid, Cat::Watched, 2, Cat::WatchedYes);
  w->movie_Grid->SetRow(2);
  onEditor = [](TFormME& e) {
    EXPECT_EQ(e.AddMode, 0);
    EXPECT_EQ(e.View_0->Text(), "둘째"_k);
    EXPECT_EQ(e.View_20->Caption(), "본영화"_k);
    EXPECT_EQ(e.View_16->Items()->Count(), 2);
    EXPECT_EQ(FileTableCell(*e.FileGrid, Cat::FileId, 2), "00000002");
    for (int n : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13, 14, 15, 17, 18, 37, 38, 39, 40, 41})
      e.View(n)->SetText("값"_k + IntToStr(n));
    e.View_0->SetText("둘째 (감독판)"_k);
    e.View_20->Click();
    e.SaveButton->Click();
  };
  w->BtnMovieEdit->Click();
  EXPECT_EQ(Cell(*w, Cat::Title, 2), "둘째 (감독판)"_k);
  EXPECT_EQ(Cell(*w, Cat::Director, 2), "값2"_k);
  EXPECT_EQ(Cell(*w, Cat::Notes, 2), "값41"_k);
  EXPECT_EQ(Cell(*w, Cat::Watched, 2), "안본영화"_k);
  EXPECT_EQ(Cell(*w, Cat::Posters, 2), "a.jpg,b.jpg");
  EXPECT_EQ(Cell(*w, Cat::FileId, 2), "00000001|00000002");
  // Journal entries for the two adds; the edit of a movie not yet saved replaces its add.
  EXPECT_EQ(ListFolder(w->JournalFolder()), (std::vector<AnsiString>{"둘째 (감독판).ADD"_k, "첫째.ADD"_k}));

  // An edit that leaves the files and posters alone leaves their cells as
  // they were, though the editor's lists show them without the IDs of an
  // unnamed file, the language kept once for two files, the codec's blank
  // unquoted or the poster's blank.
  const std::vector<std::pair<AnsiString, AnsiString>> kept = {
      {Cat::Posters, "a b.jpg"}, {Cat::FileName, ""}, {Cat::FileId, "00000001|00000002"},
      {Cat::VideoFormat, "DivX 5|XviD"}, {Cat::Language, "한국어"_k}};
  for (const auto& [header, value] : kept) SetCatalogueCell(*w->movie_Grid, header, 1, value);
  w->movie_Grid->SetRow(1);
  onEditor = [](TFormME& e) {
    e.View_2->SetText("감독만"_k);
    e.SaveButton->Click();
  };
  w->BtnMovieEdit->Click();
  EXPECT_EQ(Cell(*w, Cat::Director, 1), "감독만"_k);
  for (const auto& [header, value] : kept) EXPECT_EQ(Cell(*w, header, 1), value) << Cp949ToUtf8(header);
  w->movie_Grid->SetRow(2);

  // Every file deleted in the editor: the per-file columns are emptied.
  onEditor = [](TFormME& e) {
    e.FileGrid->SetRowSelected(1, true);
    e.FileGrid->SetRowSelected(2, true);
    e.FileDel->Click();
    e.SaveButton->Click();
  };
  w->BtnMovieEdit->Click();
  EXPECT_EQ(Cell(*w, Cat::FileName, 2), "");
  EXPECT_EQ(Cell(*w, Cat::FileId, 2), "");

  // A file ID without a file name: its only file row deleted, the ID, the
  // size and the format go with it.
  for (const AnsiString* header : {&Cat::FileId, &Cat::FileSize, &Cat::VideoFormat})
    SetCatalogueCell(*w->movie_Grid, *header, 2, "x");
  w->movie_Grid->SetRow(2);
  onEditor = [](TFormME& e) {
    e.FileGrid->SetRowSelected(1, true);
    e.FileDel->Click();
    e.SaveButton->Click();
  };
  w->BtnMovieEdit->Click();
  for (const AnsiString* header : {&Cat::FileId, &Cat::FileSize, &Cat::VideoFormat})
    EXPECT_EQ(Cell(*w, *header, 2), "") << Cp949ToUtf8(*header);

  // An untitled movie last in the catalogue is a movie: an add comes after it.
  SetCatalogueCell(*w->movie_Grid, Cat::Title, 2, "");
  AddThroughEditor(*w, "셋째"_k);
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"첫째"_k, "", "셋째"_k}));
  EXPECT_EQ(Cell(*w, Cat::Director, 2), "값2"_k);
}

TEST_F(RecordsTest, FileNamesWithBlanksQuotesAndBarsSurviveSaveLoadAndACrash) {
  WriteTextFile(app_.Path() + "Vidrena.ini", "[일반]\r\n백업폴더만들기=1\r\n"_k);
  TFormMain* w = OpenWindow();
  ASSERT_TRUE(w->IniSetup.UseAutoSave);
  const AnsiString file = app_.Path() + "DB/odd.VDM";
  AddThroughEditor(*w, "첫째"_k);
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w->SaveDB("NewDB"));

  const AnsiString folder = movies_.Path() + "odd names";
  ForceDirectories(folder);
  const std::vector<AnsiString> names = {"with blank.avi", "say \"cut\".avi", "a|b.avi", "영화 1.avi"_k};
  const char* fixtures[] = {"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi", "cvid_adpcm_stereo.avi"};
  std::vector<AnsiString> paths;
  for (std::size_t i = 0; i < names.size(); ++i) {
    paths.push_back(folder + "/" + names[i]);
    std::filesystem::copy_file(SysFileName(DataFile("avi", fixtures[i])), SysFileName(paths.back()));
  }
  AddThroughEditor(*w, "둘째"_k, [&](TFormME& e) {
    TDialogFakes::QueueFileNames(paths);
    e.FileADD->Click();
  });
  // Added after the save: only the journal knows it when the program dies.
  CloseWindow(w);

  TFormMain* again = OpenWindow();
  TDialogFakes::QueueAnswer(mrYes);  // restore what the journal holds
  ASSERT_TRUE(again->LoadDB(file));
  ASSERT_EQ(Titles(*again), (std::vector<AnsiString>{"첫째"_k, "둘째"_k}));
  EXPECT_EQ(SplitFileList(Cell(*again, Cat::FileName, 2)), names);
  EXPECT_EQ(SplitFileList(Cell(*again, Cat::Folder, 2)), std::vector<AnsiString>(4, folder));

  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(again->SaveDB(file));
  CloseWindow(again);
  TFormMain* third = OpenWindow();
  ASSERT_TRUE(third->LoadDB(file));
  EXPECT_EQ(SplitFileList(Cell(*third, Cat::FileName, 2)), names);
  EXPECT_EQ(SplitFileList(Cell(*third, Cat::FileId, 2)).size(), 4u);
}

TEST_F(RecordsTest, PosterRenameModesNeverReplaceAFile) {
  TFormMain* w = OpenWindow();
  auto addWithPoster = [&](const AnsiString& title, const char* posterName) {
    const AnsiString poster = w->PosterDir + "/" + posterName;
    std::filesystem::copy_file(SysFileName(DataFile("images", "testsrc_64x48.jpg")), SysFileName(poster));
    AddThroughEditor(*w, title, [&](TFormME& e) { e.View_16->Items()->Add(posterName); });
  };
  w->IniSetup.PosterRenameMode = 2;
  addWithPoster("하나"_k, "p1.jpg");
  EXPECT_EQ(Cell(*w, Cat::Posters, 1), "p1.jpg");
  w->IniSetup.PosterRenameMode = 1;
  addWithPoster("둘"_k, "p2.jpg");
  EXPECT_EQ(Cell(*w, Cat::Posters, 2), "2.jpg");
  EXPECT_TRUE(FileExists(w->PosterDir + "/2.jpg"));
  // A file of the new name exists already: both files and the list stay.
  w->IniSetup.PosterRenameMode = 0;
  WriteTextFile(w->PosterDir + "/셋.jpg"_k, "another movie's poster");
  addWithPoster("셋"_k, "p3.jpg");
  EXPECT_EQ(Cell(*w, Cat::Posters, 3), "p3.jpg");
  EXPECT_EQ(ReadTextFile(w->PosterDir + "/셋.jpg"_k), "another movie's poster");
  EXPECT_TRUE(FileExists(w->PosterDir + "/p3.jpg"));
}

TEST_F(RecordsTest, TheEditorOpensOnThePosterTheWindowShows) {
  TFormMain* w = OpenWindow();
  AddThroughEditor(*w, "하나"_k);
  for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
    std::filesystem::copy_file(SysFileName(DataFile("images", "testsrc_64x48.jpg")),
                               SysFileName(w->PosterDir + "/" + name));
  // An empty name among them: the window steps over it, the editor's list
  // leaves it out.
  SetCatalogueCell(*w->movie_Grid, Cat::Posters, 1, "a.jpg,\"\",b.jpg,c.jpg");
  w->movie_Grid->SetRow(1);
  w->ShowMovieDetails(1);
  ASSERT_EQ(w->View_16->Items()->Count(), 4);
  struct TOpened {
    int Index = -1;
    AnsiString File;
  } opened;
  onEditor = [&](TFormME& e) {
    opened = {static_cast<int>(e.Imgposter->Tag()), ExtractFileName(e.ShownPosterFile())};
    e.CnsButton->Click();
  };
  w->BtnMovieEdit->Click();
  EXPECT_EQ(opened.Index, 0);
  EXPECT_EQ(opened.File, "a.jpg");

  w->BtnPosterNext->Click();
  w->BtnPosterNext->Click();
  ASSERT_EQ(w->imgposter->Tag(), 2);
  w->BtnMovieEdit->Click();
  EXPECT_EQ(opened.Index, 1);
  EXPECT_EQ(opened.File, "b.jpg");

  w->BtnPosterNext->Click();
  w->BtnMovieEdit->Click();
  EXPECT_EQ(opened.Index, 2);
  EXPECT_EQ(opened.File, "c.jpg");
}

TEST_F(RecordsTest, LendCountsAndACancelledLendChangesNothing) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "가"_k);
  AddMovie(*w, "나"_k);
  SetCatalogueCell(*w->movie_Grid, Cat::LendCount, 1, "abc");
  SetCatalogueCell(*w->movie_Grid, Cat::LendCount, 2, "4");
  w->DBModified = false;

  Select(*w, {1, 2});
  onFarm = [](TFormFarm& f) { f.ScDialogButtons1->CancelButton()->Click(); };
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton10->Click();
  EXPECT_FALSE(w->DBModified);
  EXPECT_EQ(Cell(*w, Cat::Lent, 1), "");

  onFarm = [](TFormFarm& f) {
    EXPECT_EQ(f.Caption(), "빌려주기"_k);
    f.Scedit1->SetText("홍길동"_k);
    f.ScEdit2->SetText("010-1234");
    f.ScDialogButtons1->OkButton()->Click();
  };
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton10->Click();
  EXPECT_TRUE(w->DBModified);
  EXPECT_EQ(Cell(*w, Cat::LendCount, 1), "1");
  EXPECT_EQ(Cell(*w, Cat::LendCount, 2), "5");
  EXPECT_EQ(Cell(*w, Cat::Lent, 2), "빌려줬음"_k);
  EXPECT_EQ(Cell(*w, Cat::Borrower, 1), "홍길동"_k);
  EXPECT_EQ(BoxTexts().back(), "선택한 영화를 빌려주시겠습니까?"_k);

  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton9->Click();
  EXPECT_EQ(Cell(*w, Cat::Lent, 1), "보관중"_k);
  EXPECT_EQ(Cell(*w, Cat::Borrower, 2), "");
  EXPECT_EQ(Cell(*w, Cat::LendCount, 2), "5");
}

TEST_F(RecordsTest, DeleteMarkAndBatchEditActOnlyOnTheRowsTheUserSees) {
  TFormMain* w = OpenWindow();
  for (const char* title : {"A1", "B1", "A2", "B2", "A3"}) AddMovie(*w, title, title[0] == 'A' ? "Kim" : "Lee");
  SetCatalogueCell(*w->movie_Grid, Cat::FileName, 1, "a.avi|b.avi|c.avi");
  SetCatalogueCell(*w->movie_Grid, Cat::FileName, 3, "d.avi");
  // Every row selected, then a search shows the three by Kim.
  Select(*w, {1, 2, 3, 4, 5});
  Search(*w, Cat::Director, "Kim");
  ASSERT_EQ(w->movie_Grid->RowCount(), 4);

  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton8->Click();
  onMulti = [](TMultiEditForm& m) {
    m.ScEdit1->SetText("2");
    m.ScComboBox4->SetText("드라마"_k);
    m.ScButton1->Click();
    EXPECT_EQ(m.ScPanel12->Caption(), "변경했습니다."_k);
    m.ScButton2->Click();
  };
  w->ScBitBtn24->Click();
  w->FindButton->Click();  // the search off: every movie again
  ASSERT_EQ(w->movie_Grid->RowCount(), 6);
  for (int r = 1; r <= 5; ++r) {
    const bool seen = Cell(*w, Cat::Director, r) == "Kim";
    EXPECT_EQ(Cell(*w, Cat::Watched, r), seen ? "본영화"_k : "") << r;
    EXPECT_EQ(Cell(*w, Cat::Genre, r), seen ? "드라마"_k : "") << r;
  }
  EXPECT_EQ(Cell(*w, Cat::Channels, 1), "2|2|2");
  EXPECT_EQ(Cell(*w, Cat::Channels, 2), "");

  Select(*w, {1, 2, 3, 4, 5});
  Search(*w, Cat::Director, "Lee");
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnMovieDel->Click();
  EXPECT_EQ(BoxTexts().back(), "선택된 영화목록을 삭제하시겠습니까?"_k);
  w->FindButton->Click();
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"A1", "A2", "A3"}));

  // One movie asked for by name; the last one leaves the empty catalogue.
  w->movie_Grid->ClearRowSelect();
  for (int i = 0; i < 3; ++i) {
    w->movie_Grid->SetRow(1);
    TDialogFakes::QueueAnswer(mrYes);
    w->BtnMovieDel->Click();
  }
  EXPECT_EQ(BoxTexts().back(), "영화 : A3을(를) 삭제하시겠습니까?"_k);
  EXPECT_EQ(w->movie_Grid->RowCount(), 2);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{""});
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 0 편"_k);

  // Batch edit wants two movies.
  w->ScBitBtn24->Click();
  EXPECT_EQ(BoxTexts().back(), "여러 목록을 선택하세요."_k);
}

// The two dialogs as they show; with VIDRENA_SHOT_DIR set the pictures are
// kept there to be looked at.
TEST_F(RecordsTest, LendAndBatchEditDialogsRenderWhole) {
  TFormMain* w = OpenWindow();
  const char* keep = std::getenv("VIDRENA_SHOT_DIR");
  const AnsiString shots = keep ? FromSysFileName(keep) + "/" : movies_.Path();
  AddMovie(*w, "가"_k);
  AddMovie(*w, "나"_k);
  Select(*w, {1, 2});
  bool farmShot = false, multiShot = false;
  onFarm = [&](TFormFarm& f) {
    f.Scedit1->SetText("홍길동"_k);
    farmShot = SaveWindowImage(&f, shots + "lend.png");
  };
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton10->Click();
  onMulti = [&](TMultiEditForm& m) { multiShot = SaveWindowImage(&m, shots + "batch-edit.png"); };
  w->ScBitBtn24->Click();
  EXPECT_TRUE(farmShot);
  EXPECT_TRUE(multiShot);
}

TEST_F(RecordsTest, TheHighlightThePaneAndTheButtonsNameTheSameMovieAfterAnAddAndEachMark) {
  TFormMain* w = OpenWindow();
  TExColumnGrid& g = *w->movie_Grid;
  AddMovie(*w, "가"_k);
  AddMovie(*w, "나"_k);
  // The stars cell of 가 holds the bare number: clicks on two of its
  // cells show the stars of its score both times.
  SetCatalogueCell(g, Cat::Stars, 1, "7");
  SetCatalogueCell(g, Cat::Score, 1, "7.5");
  for (int col : {2, 3}) {
    const TRect r = g.CellRect(col, 1);
    SimulateClick(&g, r.Left + 5, r.Top + 5);
    EXPECT_EQ(w->View[10]->Text(), "★★★☆"_k);
  }

  // The movie added is the one highlighted and the one lent; the pane
  // shows each mark at once.
  AddThroughEditor(*w, "다"_k);
  EXPECT_FALSE(g.IsRowSelected(1));
  EXPECT_TRUE(g.IsRowSelected(3));
  onFarm = [](TFormFarm& f) { f.ScDialogButtons1->OkButton()->Click(); };
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton10->Click();
  EXPECT_EQ(Cell(*w, Cat::Lent, 3), Cat::LentOut);
  EXPECT_EQ(w->View_36->Caption(), Cat::LentOut);
  TDialogFakes::QueueAnswer(mrYes);
  w->ScButton8->Click();
  EXPECT_EQ(w->View_20_2->Caption(), Cat::WatchedYes);
  g.SetRowSelected(1, true);
  onMulti = [](TMultiEditForm& m) {
    m.ScComboBox2->SetText("서랍"_k);
    m.ScButton1->Click();
  };
  w->ScBitBtn24->Click();
  EXPECT_EQ(w->View_17_2->Caption(), "서랍"_k);

  // The large poster view, opened with the button, closes on a click.
  SimulateClick(w->ScButton3, 20, 10);
  EXPECT_TRUE(posterViewClosedByClick);

  // Saved through the editor, a bare-number stars cell becomes stars.
  SetCatalogueCell(g, Cat::Score, 1, "");
  g.SetRow(1);
  onEditor = [](TFormME& e) { e.SaveButton->Click(); };
  w->BtnMovieEdit->Click();
  EXPECT_EQ(Cell(*w, Cat::Stars, 1), "★★★☆"_k);
}
