// The catalogue file workflow as a user meets it: new, save, open, the save
// prompt, failed loads and saves, the backup.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "tests/app/FormMainTestSupport.h"

namespace {

const AnsiString kPrompt = "DB가 변경 되었습니다\r변경된 내용을 저장 하시겠습니까?"_k;

}  // namespace

TEST_F(CatalogueWindowTest, AFreshStartShowsAnUnnamedEmptyCatalogue) {
  TFormMain* w = OpenWindow();
  EXPECT_EQ(w->Caption(), "Vidrena - NewDB");
  EXPECT_EQ(w->CurrentDBFile, "NewDB");
  EXPECT_EQ(w->movie_Grid->RowCount(), 2);
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 0 편"_k);  // its one empty row is no movie
  EXPECT_EQ(w->AppDir + "/", app_.Path());
}

TEST_F(CatalogueWindowTest, NewAddSaveAndOpenInAFreshWindowKeepsEveryColumnHiddenColumnsAndKoreanText) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "살인의 추억"_k, "봉준호"_k, Cat::WatchedYes);
  int row = AddMovie(*w, "<Blade Runner>", "=1", "", Cat::LentOut);
  SetCatalogueCell(*w->movie_Grid, Cat::FileName, row, "\"a b.avi\"|c.avi");
  SetCatalogueCell(*w->movie_Grid, Cat::Synopsis, row, "첫줄\r\n둘째 줄"_k);
  // A column fitted to a long text.
  const int commentary = CatalogueColumnIndex(*w->movie_Grid, Cat::Commentary);
  SetCatalogueCell(*w->movie_Grid, Cat::Commentary, row, AnsiString(4200, 'W'));
  w->movie_Grid->FitColumnToContents(w->movie_Grid->DisplColIndex(commentary));
  EXPECT_EQ(w->movie_Grid->ColWidths(w->movie_Grid->DisplColIndex(commentary)), kMaxCellExtent);
  // Hide a column through the chooser.
  const int item = w->ScCheckList1->Items()->IndexOf(Cat::Director + " ");
  ASSERT_GE(item, 0);
  w->ScCheckList1->SetChecked(item, false);
  w->ScCheckList1Change(item, cbUnchecked);
  EXPECT_TRUE(w->movie_Grid->IsColumnHidden(CatalogueColumnIndex(*w->movie_Grid, Cat::Director)));

  const AnsiString file = app_.Path() + "DB/내 영화.VDM"_k;
  TDialogFakes::QueueFileName(file);
  w->btnSaveDB->Click();  // unnamed: asks for a name
  ASSERT_EQ(TDialogFakes::FileDialogs().size(), 1u);
  EXPECT_TRUE(TDialogFakes::FileDialogs()[0].Save);
  EXPECT_EQ(TDialogFakes::FileDialogs()[0].InitialDir, w->DBDir);
  EXPECT_EQ(w->Caption(), "Vidrena - " + file);
  EXPECT_FALSE(w->DBModified);
  EXPECT_TRUE(FileExists(file));
  w->Close();  // writes the chooser list
  CloseWindow(w);

  TFormMain* fresh = OpenWindow();
  TDialogFakes::QueueFileName(file);
  fresh->BtnOpenDB->Click();
  EXPECT_EQ(fresh->Caption(), "Vidrena - " + file);
  TExColumnGrid& g = *fresh->movie_Grid;
  EXPECT_EQ(g.RealColCount(), kCatalogueColumnCount);
  for (const TCatalogueColumnDef& def : CatalogueColumns()) EXPECT_NE(g.ColumnByName(*def.Header), nullptr);
  EXPECT_EQ(Titles(*fresh), (std::vector<AnsiString>{"살인의 추억"_k, "<Blade Runner>"}));
  EXPECT_EQ(CatalogueCell(g, Cat::Director, 1), "봉준호"_k);
  EXPECT_EQ(CatalogueCell(g, Cat::Director, 2), "=1");
  EXPECT_EQ(CatalogueCell(g, Cat::Synopsis, 2), "첫줄\r\n둘째 줄"_k);
  EXPECT_EQ(g.ColWidths(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Commentary))), kMaxCellExtent);
  EXPECT_EQ(SplitFileList(CatalogueCell(g, Cat::FileName, 2)), (std::vector<AnsiString>{"a b.avi", "c.avi"}));
  EXPECT_TRUE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::Director)));
  EXPECT_EQ(fresh->MovieRow->Caption(), "전체 : 2 편"_k);
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CatalogueWindowTest, SaveUnderANewNameAlwaysAsksAndAnEmptyCatalogueCountsNoMovie) {
  TFormMain* w = OpenWindow();
  const AnsiString a = app_.Path() + "DB/a.VDM", b = app_.Path() + "DB/b.VDM";
  TDialogFakes::QueueFileName(a);
  EXPECT_TRUE(w->SaveDB("NewDB"));
  TDialogFakes::QueueFileName(b);
  w->BtnNSaveDB->Click();
  EXPECT_EQ(TDialogFakes::FileDialogs().size(), 2u);
  EXPECT_EQ(w->CurrentDBFile, b);
  EXPECT_TRUE(w->LoadDB(a));
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 0 편"_k);
}

TEST_F(CatalogueWindowTest, EveryAnswerOfTheSavePromptDoesWhatItSays) {
  TFormMain* w = OpenWindow();
  const AnsiString file = app_.Path() + "DB/x.VDM";
  AddMovie(*w, "하나"_k);

  // Cancel: nothing happens.
  TDialogFakes::QueueAnswer(mrCancel);
  w->btnNEWDB->Click();
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"하나"_k});
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{kPrompt});

  // Yes with a cancelled save dialog: New stops and nothing is dropped.
  TDialogFakes::QueueAnswer(mrYes);
  TDialogFakes::QueueFileNames(std::nullopt);
  w->btnNEWDB->Click();
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"하나"_k});
  EXPECT_TRUE(w->DBModified);
  TDialogFakes::QueueAnswer(mrYes);
  TDialogFakes::QueueFileNames(std::nullopt);
  bool canClose = true;
  w->FormCloseQuery(w, canClose);
  EXPECT_FALSE(canClose);
  TDialogFakes::QueueAnswer(mrYes);
  TDialogFakes::QueueFileNames(std::nullopt);
  w->BtnOpenDB->Click();
  EXPECT_EQ(TDialogFakes::FileDialogs().size(), 3u);  // three save dialogs, no open dialog

  // Yes with a name: saved, then the new catalogue.
  TDialogFakes::QueueAnswer(mrYes);
  TDialogFakes::QueueFileName(file);
  w->btnNEWDB->Click();
  EXPECT_TRUE(FileExists(file));
  EXPECT_EQ(w->Caption(), "Vidrena - NewDB");
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{""});

  // No: dropped.
  AddMovie(*w, "둘"_k);
  TDialogFakes::QueueAnswer(mrNo);
  canClose = false;
  w->FormCloseQuery(w, canClose);
  EXPECT_TRUE(canClose);
}

TEST_F(CatalogueWindowTest, AFailedSaveShowsTheErrorKeepsTheOldFileAndStopsClosing) {
  TFormMain* w = OpenWindow();
  const AnsiString file = app_.Path() + "DB/c.VDM";
  AddMovie(*w, "원본"_k);
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  const AnsiString before = ReadTextFile(file);
  AddMovie(*w, "새 영화"_k);
  // A disk that fails the write: the save cannot go through.
  TDialogFakes::QueueAnswer(mrYes);
  bool canClose = true;
  {
    TSyncFailure failing(EIO);
    w->FormCloseQuery(w, canClose);
  }
  EXPECT_FALSE(canClose);
  EXPECT_TRUE(w->DBModified);
  // Byte for byte, but for the value of the grid's "ID" field (the window's handle).
  const AnsiString after = ReadTextFile(file);
  ASSERT_EQ(after.size(), before.size());
  const std::size_t id = before.find("\x02ID");
  ASSERT_NE(id, std::string::npos);
  for (std::size_t i = 0; i < after.size(); ++i)
    if (i < id || i >= id + 3 + 5) {
      ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);  // the prompt, then the error
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Text,
            "DB 파일 \""_k + file + "\"을(를) 저장하지 못했습니다.\r디스크에 쓰는 동안 입출력 오류가 났습니다."_k);
  EXPECT_FALSE(w->Epanel->Visible());
  EXPECT_FALSE(w->Busy());
}

TEST_F(CatalogueWindowTest, AFailedLoadKeepsThePreviousCatalogueFileNameAndCaption) {
  TFormMain* w = OpenWindow();
  const AnsiString good = app_.Path() + "DB/good.VDM";
  AddMovie(*w, "좋은 영화"_k);
  TDialogFakes::QueueFileName(good);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  const AnsiString bad = app_.Path() + "DB/bad.VDM";
  WriteTextFile(bad, "this is no catalogue");
  EXPECT_FALSE(w->LoadDB(bad));
  EXPECT_FALSE(w->LoadDB(app_.Path() + "DB/missing.VDM"));
  EXPECT_EQ(w->CurrentDBFile, good);
  EXPECT_EQ(w->Caption(), "Vidrena - " + good);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"좋은 영화"_k});
  EXPECT_FALSE(w->Epanel->Visible());
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  EXPECT_TRUE(TDialogFakes::MessageBoxes()[0].Text.starts_with("\""_k + bad + "\" 파일이 손상되어 열 수 없습니다.\r"_k));
  EXPECT_TRUE(TDialogFakes::MessageBoxes()[1].Text.starts_with("\"" + app_.Path() + "DB/missing.VDM\" 파일을 열 수 없습니다.\r"_k));
  // Ctrl+S writes the catalogue back to its own file, not over the bad one.
  AddMovie(*w, "둘째"_k);
  w->btnSaveDB->Click();
  EXPECT_EQ(ReadTextFile(bad), "this is no catalogue");
}

TEST_F(CatalogueWindowTest, TheBackupIsTheCatalogueAsLastSavedFromTheFirstSaveOn) {
  TFormMain* w = OpenWindow();
  const AnsiString file = app_.Path() + "DB/b.VDM";
  w->BtnReBak->Click();  // unnamed: nothing, no message
  EXPECT_TRUE(BoxTexts().empty());
  AddMovie(*w, "첫판"_k);
  TDialogFakes::QueueFileName(file);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  EXPECT_EQ(ReadTextFile(ChangeFileExt(file, ".Bak")), ReadTextFile(file));

  AddMovie(*w, "둘째판"_k);
  w->btnSaveDB->Click();
  AddMovie(*w, "셋째판"_k);  // not saved
  TDialogFakes::QueueAnswer(mrYes);
  w->BtnReBak->Click();  // ".BAK" finds the ".Bak" file
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"첫판"_k, "둘째판"_k}));
  EXPECT_EQ(w->CurrentDBFile, file);
  EXPECT_TRUE(w->DBModified);  // the window now differs from its file
}

TEST_F(CatalogueWindowTest, EachSaveWritesTheBackupAgain) {
  TFormMain* w = OpenWindow();
  // Also under a name that leaves no room beside it for the usual temporary names.
  for (const AnsiString& name : {AnsiString("v"), AnsiString(241, 'v')}) {
    const AnsiString file = app_.Path() + "DB/" + name + ".VDM", backup = ChangeFileExt(file, ".Bak");
    AddMovie(*w, "첫판"_k);
    TDialogFakes::QueueFileName(file);
    ASSERT_TRUE(w->SaveDB("NewDB"));
    for (const AnsiString& next : {"둘째판"_k, "셋째판"_k}) {
      const AnsiString previous = ReadTextFile(file);
      AddMovie(*w, next);
      w->btnSaveDB->Click();
      EXPECT_EQ(ReadTextFile(backup), ReadTextFile(file));
      EXPECT_NE(ReadTextFile(file), previous);
    }
  }
  EXPECT_TRUE(BoxTexts().empty());
}

TEST_F(CatalogueWindowTest, TheSettingsFileOpensTheCatalogueAtStartAndSavingWritesItBack) {
  const AnsiString file = app_.Path() + "DB/start.VDM";
  {
    TFormMain* w = OpenWindow();
    AddMovie(*w, "시작"_k);
    TDialogFakes::QueueFileName(file);
    ASSERT_TRUE(w->SaveDB("NewDB"));
    CloseWindow(w);
  }
  WriteTextFile(app_.Path() + "Vidrena.ini", "[일반]\r\n시작시DB열기=1\r\nDB파일="_k + file +
                                                 "\r\n[목록색상]\r\n대여바탕=nonsense\r\n"_k);
  TFormMain* w = OpenWindow();
  EXPECT_EQ(w->CurrentDBFile, file);
  EXPECT_EQ(Titles(*w), std::vector<AnsiString>{"시작"_k});
  EXPECT_EQ(w->IniSetup.LentBackColor, 0x00DAABE0u);
  const AnsiString before = ReadTextFile(file);
  w->btnSaveDB->Click();
  EXPECT_EQ(ReadTextFile(ChangeFileExt(file, ".Bak")), ReadTextFile(file));
  // Byte for byte, but for the value of the grid's "ID" field (the window's handle).
  const AnsiString after = ReadTextFile(file);
  ASSERT_EQ(after.size(), before.size());
  const std::size_t id = before.find("\x02ID");
  ASSERT_NE(id, std::string::npos);
  for (std::size_t i = 0; i < after.size(); ++i)
    if (i < id || i >= id + 3 + 5) {
      ASSERT_EQ(after[i], before[i]) << "byte " << i;
    }
}

TEST_F(CatalogueWindowTest, AMissingStartCatalogueStartsEmptyWithTheChooserApplied) {
  // A chooser item that names no column is passed over.
  WriteTextFile(app_.Path() + "Config/목록.View"_k, "&0 1 없는 열  \r\n&0 1 감독  \r\n"_k);
  WriteTextFile(app_.Path() + "Vidrena.ini", "[일반]\r\n시작시DB열기=1\r\nDB파일=/nowhere/x.VDM\r\n"_k);
  TFormMain* w = OpenWindow();
  EXPECT_EQ(w->Caption(), "Vidrena - NewDB");
  EXPECT_TRUE(w->movie_Grid->IsColumnHidden(CatalogueColumnIndex(*w->movie_Grid, Cat::Director)));
  EXPECT_TRUE(BoxTexts().empty());
  CloseWindow(w);

  // A named pipe is refused at once; should the window wait for it, a writer
  // comes after a few seconds and the test fails instead of hanging.
  const std::string pipe = SysFileName(app_.Path() + "DB/pipe.VDM");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  WriteTextFile(app_.Path() + "Vidrena.ini", "[일반]\r\n시작시DB열기=1\r\nDB파일="_k + FromSysFileName(pipe) + "\r\n");
  std::atomic<bool> shown{false}, waited{false};
  std::thread writer([&] {
    for (int i = 0; i < 300 && !shown; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!shown) waited = true, ::close(::open(pipe.c_str(), O_WRONLY | O_NONBLOCK));
  });
  OpenWindow();
  shown = true;
  writer.join();
  EXPECT_FALSE(waited) << "the window waited for the pipe";
  ASSERT_EQ(BoxTexts().size(), 1u);
  EXPECT_TRUE(BoxTexts()[0].starts_with("\""_k + FromSysFileName(pipe) + "\" 파일을 열 수 없습니다.\r"_k));
}

namespace {

// The offsets at which the cell images of a grid file begin, in order.
std::vector<size_t> CellImageOffsets(const std::string& bytes) {
  const std::string marker = std::string("TPF0") + char(11) + "TGridCellIO";
  std::vector<size_t> offsets;
  for (size_t at = bytes.find(marker); at != std::string::npos; at = bytes.find(marker, at + 1))
    offsets.push_back(at);
  return offsets;
}

}  // namespace

TEST_F(CatalogueWindowTest, ACatalogueCutOffBetweenTwoCellsIsNotOpenedWithoutAsking) {
  TFormMain* w = OpenWindow();
  for (const char* title : {"하나", "둘", "셋", "넷", "다섯"}) AddMovie(*w, Utf8ToCp949(title), "감독"_k);
  const AnsiString whole = app_.Path() + "DB/whole.VDM";
  TDialogFakes::QueueFileName(whole);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  // A copy that stopped where the third movie's first cell begins.
  const std::string bytes = ReadTextFile(whole);
  const TGridFile parsed = ParseGridBytes(bytes.data(), bytes.size());
  size_t firstOfRow3 = 0;
  while (firstOfRow3 < parsed.Cells.size() && parsed.Cells[firstOfRow3].Row < 3) ++firstOfRow3;
  const std::vector<size_t> offsets = CellImageOffsets(bytes);
  ASSERT_EQ(offsets.size(), parsed.Cells.size());
  ASSERT_LT(firstOfRow3, offsets.size());
  const AnsiString cut = app_.Path() + "DB/cut.VDM";
  WriteTextFile(cut, std::string_view(bytes).substr(0, offsets[firstOfRow3]));

  // The open catalogue, unsaved changes included, stays when the user says no.
  AddMovie(*w, "저장 안 함"_k);
  const std::vector<AnsiString> before = Titles(*w);
  TDialogFakes::QueueAnswer(mrNo);
  EXPECT_FALSE(w->LoadDB(cut));
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);  // the question, no error after it
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text,
            "DB 파일의 영화 5편 중 마지막 3편에 아무 내용이 없습니다.\r파일이 중간에 잘렸을 수 있습니다. 그래도 불러 오시겠습니까?"_k);
  EXPECT_EQ(Titles(*w), before);
  EXPECT_EQ(w->CurrentDBFile, whole);
  EXPECT_EQ(w->Caption(), "Vidrena - " + whole);
  EXPECT_TRUE(w->DBModified);
  EXPECT_FALSE(w->Epanel->Visible());

  // Saying yes opens what is there.
  TDialogFakes::QueueAnswer(mrYes);
  EXPECT_TRUE(w->LoadDB(cut));
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"하나"_k, "둘"_k, "", "", ""}));

  // A whole catalogue and an empty one open without a question.
  EXPECT_TRUE(w->LoadDB(whole));
  w->btnNEWDB->Click();
  const AnsiString empty = app_.Path() + "DB/empty.VDM";
  TDialogFakes::QueueFileName(empty);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  EXPECT_TRUE(w->LoadDB(empty));
  EXPECT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
}

TEST_F(CatalogueWindowTest, ACopyCutInsideOrJustBeforeItsLastMovieAsksAndTheProgramsOwnFilesNever) {
  TFormMain* w = OpenWindow();
  // Every movie has a title, an original title, a director, its watched and its lent state.
  for (const char* title : {"하나", "둘", "셋"})
    SetCatalogueCell(*w->movie_Grid, Cat::OrigTitle,
                     AddMovie(*w, Utf8ToCp949(title), "감독"_k, Cat::WatchedYes, Cat::LentOut), "Original");
  const AnsiString whole = app_.Path() + "DB/whole.VDM";
  TDialogFakes::QueueFileName(whole);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  const std::string bytes = ReadTextFile(whole);
  const TGridFile parsed = ParseGridBytes(bytes.data(), bytes.size());
  const std::vector<size_t> offsets = CellImageOffsets(bytes);
  ASSERT_EQ(offsets.size(), parsed.Cells.size());
  auto cellAt = [&](int col, int row) {
    for (size_t i = 0; i < parsed.Cells.size(); ++i)
      if (parsed.Cells[i].Col == col && parsed.Cells[i].Row == row) return i;
    ADD_FAILURE() << "no cell (" << col << ", " << row << ")";
    return size_t{0};
  };
  const int watchedCol = CatalogueColumnIndex(*w->movie_Grid, Cat::Watched);
  const std::string question = "\r파일이 중간에 잘렸을 수 있습니다. 그래도 불러 오시겠습니까?"_k;
  const struct {
    size_t cutAt;
    AnsiString asked;
  } cases[] = {
      // Cut where the last movie's watched state begins: it lacks that and its lent state.
      {offsets[cellAt(watchedCol, 3)], "DB 파일의 영화 3편 중 마지막 영화에 다른 영화가 모두 가진 항목 2개가 없습니다."_k},
      // Cut where the last movie's original title begins: it lacks four.
      {offsets[cellAt(1, 3)], "DB 파일의 영화 3편 중 마지막 영화에 다른 영화가 모두 가진 항목 4개가 없습니다."_k},
      // Cut where the last movie's first cell begins.
      {offsets[cellAt(0, 3)], "DB 파일의 영화 3편 중 마지막 1편에 아무 내용이 없습니다."_k},
  };
  for (const auto& c : cases) {
    const AnsiString cut = app_.Path() + "DB/cut.VDM";
    WriteTextFile(cut, std::string_view(bytes).substr(0, c.cutAt));
    TDialogFakes::Clear();
    TDialogFakes::QueueAnswer(mrNo);
    EXPECT_FALSE(w->LoadDB(cut));
    EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{c.asked + question});
    EXPECT_EQ(w->CurrentDBFile, whole);
  }

  // The program's own files never ask: a last movie without a lent state,
  // then an empty last row.
  TDialogFakes::Clear();
  ASSERT_TRUE(w->LoadDB(whole));
  SetCatalogueCell(*w->movie_Grid, Cat::Lent, 3, "");
  ASSERT_TRUE(w->SaveDB(whole));
  EXPECT_TRUE(w->LoadDB(whole));
  w->movie_Grid->AddRow();
  ASSERT_TRUE(w->SaveDB(whole));
  EXPECT_TRUE(w->LoadDB(whole));
  EXPECT_EQ(Titles(*w), (std::vector<AnsiString>{"하나"_k, "둘"_k, "셋"_k, ""}));
  EXPECT_TRUE(BoxTexts().empty());

  // A catalogue of one movie cut inside its headers is no empty catalogue.
  w->btnNEWDB->Click();
  AddMovie(*w, "하나"_k);
  TDialogFakes::QueueFileName(whole);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  const std::string one = ReadTextFile(whole);
  WriteTextFile(app_.Path() + "DB/cut.VDM", std::string_view(one).substr(0, CellImageOffsets(one)[20]));
  TDialogFakes::QueueAnswer(mrNo);
  EXPECT_FALSE(w->LoadDB(app_.Path() + "DB/cut.VDM"));
  EXPECT_EQ(BoxTexts(), std::vector<AnsiString>{"DB 파일의 영화 1편 중 마지막 1편에 아무 내용이 없습니다."_k + question});
}

TEST_F(CatalogueWindowTest, ACatalogueSpoiledWhileItOpensStartsANewOneAndBothFilesStay) {
  TFormMain* w = OpenWindow();
  AddMovie(*w, "열려 있던 영화"_k, "감독"_k);
  const AnsiString open = app_.Path() + "DB/open.VDM";
  TDialogFakes::QueueFileName(open);
  ASSERT_TRUE(w->SaveDB("NewDB"));
  const std::string openBytes = ReadTextFile(open);

  // A catalogue some times what a load reads at once, written by the grid.
  TExStringGrid source(nullptr);
  source.SetColCount(42);
  source.SetRowCount(8001);
  for (int c = 0; c < 42; ++c) source.SetCells(c, 0, w->movie_Grid->Cells(c, 0));
  for (int r = 1; r < source.RowCount(); ++r)
    for (int c = 0; c < 42; ++c) source.SetCells(c, r, "영화 "_k + IntToStr(r) + AnsiString(20, 'a' + c % 26));
  const AnsiString other = app_.Path() + "DB/other.VDM";
  SaveGridFile(source, other);
  std::string spoiled = ReadTextFile(other);
  ASSERT_GT(spoiled.size(), size_t{12} << 20);
  const size_t cell = spoiled.rfind("TGridCellIO", spoiled.size() - 4096);
  ASSERT_NE(cell, std::string::npos);
  spoiled[cell + 2] = 'X';

  // Another program spoils it where it is while its cells go in.
  const TGridFileHooks saved = GridFileHooks();
  GridFileHooks().ResetForFullLoad = [&](TExStringGrid& g) {
    if (saved.ResetForFullLoad) saved.ResetForFullLoad(g);
    std::ofstream(other, std::ios::binary | std::ios::trunc) << spoiled;
  };
  EXPECT_FALSE(w->LoadDB(other));
  GridFileHooks() = saved;
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text,
            "DB 파일을 읽는 동안 다른 프로그램이 파일을 바꾸어 불러오지 못했습니다.\r새 DB로 시작합니다."_k);
  // Neither catalogue is in the window to be saved over the other's file.
  EXPECT_EQ(w->CurrentDBFile, "NewDB");
  EXPECT_EQ(w->Caption(), "Vidrena - NewDB");
  EXPECT_FALSE(w->DBModified);
  EXPECT_EQ(w->movie_Grid->RowCount(), 2);
  EXPECT_EQ(w->MovieRow->Caption(), "전체 : 0 편"_k);
  EXPECT_EQ(w->movie_Grid->Cells(0, 0), source.Cells(0, 0));
  EXPECT_TRUE(ReadTextFile(open) == openBytes);
}
