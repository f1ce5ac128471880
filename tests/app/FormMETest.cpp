// The movie editor and its file-information dialog, driven as a user drives
// them: modal windows through the ShowModal hook, file and folder dialogs
// and message boxes faked, posters downloaded from a server on 127.0.0.1.
#include "app/FormME.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "app/Catalogue.h"
#include "app/FormSt.h"
#include "app/vdCrc32.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/WindowImage.h"
#include "tests/app/FormMainTestSupport.h"
#include "tests/app/HttpTestSupport.h"

namespace {

const char* const kThreeMovies[] = {"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi"};

AnsiString AviFixture(const char* name) {
  return FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/avi/" + name);
}

AnsiString ImageFixture(const char* name) {
  return FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/images/" + name);
}

void CopyFileTo(const AnsiString& from, const AnsiString& to) {
  std::filesystem::copy_file(SysFileName(from), SysFileName(to), std::filesystem::copy_options::overwrite_existing);
}

// The three movie fixtures copied into a new folder of that name.
std::vector<AnsiString> CopyThreeMovies(const AnsiString& folder) {
  ForceDirectories(folder);
  std::vector<AnsiString> paths;
  for (const char* name : kThreeMovies) {
    paths.push_back(folder + "/" + name);
    CopyFileTo(AviFixture(name), paths.back());
  }
  return paths;
}

std::vector<AnsiString> Column(TExColumnGrid& grid, const AnsiString& header) {
  std::vector<AnsiString> cells;
  for (int r = 1; r < grid.RowCount(); ++r) cells.push_back(FileTableCell(grid, header, r));
  return cells;
}

std::vector<AnsiString> Items(const TStrings& items) {
  std::vector<AnsiString> out;
  for (int i = 0; i < items.Count(); ++i) out.push_back(items.Strings(i));
  return out;
}

class EditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TDialogFakes::Enable();
    TCustomForm::SetShowModalHook([this](TCustomForm& form) {
      if (auto* st = dynamic_cast<TFormSt*>(&form)) {
        ++fileDialogs_;
        if (onFileDialog) onFileDialog(*st);
        else st->ScButton1->Click();
      } else if (auto* me = dynamic_cast<TFormME*>(&form)) {
        if (onEditor) onEditor(*me);
      } else if (onOther) {
        onOther(form);
      }
    });
    editor_ = std::make_unique<TFormME>(nullptr);
    editor_->PosterDir = app_.Path() + "Poster";
    editor_->WebFile->OnClick = [this](TObject*) { ++onlineSearches_; };
  }
  void TearDown() override {
    editor_.reset();
    TCustomForm::SetShowModalHook(nullptr);
    TDialogFakes::Disable();
  }

  // Chooses files in the editor's open dialog ("파일추가").
  void AddFiles(const std::vector<AnsiString>& paths) {
    TDialogFakes::QueueFileNames(paths);
    editor_->FileADD->Click();
  }

  std::function<void(TFormSt&)> onFileDialog;
  std::function<void(TFormME&)> onEditor;
  std::function<void(TCustomForm&)> onOther;
  int fileDialogs_ = 0;
  int onlineSearches_ = 0;
  AppFolderCopy app_;
  TempFolder scratch_;
  std::unique_ptr<TFormME> editor_;
};

}  // namespace

// ---------------------------------------------------------------- fields

TEST_F(EditorTest, SavedEditorReportsTagAndGrowsOnlyTheListsOfNewValues) {
  TFormME& me = *editor_;
  me.AddUnlistedValues = true;
  const AnsiString ratingsBefore = ReadTextFile(ValueListFileName("관람등급.List"_k));
  onEditor = [](TFormME& e) {
    // The lists were loaded when the window showed.
    EXPECT_EQ(e.View_3->Items()->Strings(0), "한국"_k);
    e.View_0->SetText("기생충"_k);
    e.View_3->SetText("핀란드"_k);
    e.View_8->SetText("서부극"_k);
    e.View_7->SetText("15세관람가"_k);  // listed already
    SimulateClick(e.View_20, 5, 5);
    SimulateClick(e.View_36, 5, 5);
    e.SaveButton->Click();
  };
  EXPECT_EQ(me.ShowModal(), mrOk);
  EXPECT_EQ(me.Tag(), 99);
  EXPECT_EQ(me.View_0->Text(), "기생충"_k);
  EXPECT_EQ(me.View_20->Caption(), "본영화"_k);
  EXPECT_EQ(me.View_36->Caption(), "빌려줬음"_k);
  TStringList countries, genres;
  countries.LoadFromFile(ValueListFileName("제작국가.List"_k));
  genres.LoadFromFile(ValueListFileName("영화장르.List"_k));
  EXPECT_EQ(countries.Strings(countries.Count() - 1), "핀란드"_k);
  EXPECT_EQ(genres.Strings(genres.Count() - 1), "서부극"_k);
  EXPECT_EQ(ReadTextFile(ValueListFileName("관람등급.List"_k)), ratingsBefore);

  // A second click on each toggle turns it back.
  SimulateClick(me.View_20, 5, 5);
  SimulateClick(me.View_36, 5, 5);
  EXPECT_EQ(me.View_20->Caption(), "안본영화"_k);
  EXPECT_EQ(me.View_36->Caption(), "보관중"_k);
}

TEST_F(EditorTest, ValueListFolderIsMadeWhenMissingAndCancelReportsZero) {
  std::filesystem::remove_all(SysFileName(app_.Path() + "Config"));
  TFormME& me = *editor_;
  me.AddUnlistedValues = true;
  onEditor = [](TFormME& e) {
    e.View_8->SetText("느와르"_k);
    e.SaveButton->Click();
  };
  me.ShowModal();
  TStringList genres;
  genres.LoadFromFile(ValueListFileName("영화장르.List"_k));
  EXPECT_EQ(Items(genres), std::vector<AnsiString>{"느와르"_k});
  // No temporary file is left beside the list, and the boxes left empty
  // make no list of an empty line.
  EXPECT_EQ(ListFolder(app_.Path() + "Config").size(), 1u);

  auto second = std::make_unique<TFormME>(nullptr);
  onEditor = [](TFormME& e) { e.CnsButton->Click(); };
  EXPECT_EQ(second->ShowModal(), mrCancel);
  EXPECT_EQ(second->Tag(), 0);
}

TEST_F(EditorTest, ScoreTakesDigitsOnlyAndShowsItsStars) {
  onEditor = [](TFormME& e) {
    e.View_11->SetFocus();
    SimulateTyping(e.View_11, "9a.5x");
    // Ctrl+A selects the whole score, as in every other field.
    SimulateKey(e.View_11, 'A', TShiftState{ssCtrl});
    EXPECT_EQ(e.View_11->SelText(), "9.5");
    e.CnsButton->Click();
  };
  editor_->ShowModal();
  EXPECT_EQ(editor_->View_11->Text(), "9.5");
  EXPECT_EQ(editor_->View_10->Text(), "★★★★☆"_k);
  editor_->View_11->SetText("8.5");
  EXPECT_EQ(editor_->View_10->Text(), "★★★★"_k);
}

TEST_F(EditorTest, SimilarTitlesMatchWholeCharactersOnly) {
  TFormME& me = *editor_;
  me.ShowSimilarTitles = true;
  // "같〕ぁ" holds the bytes of "가나" across its character boundaries.
  for (const AnsiString& title : {"제목"_k, "가나다라"_k, AnsiString("\xB0\xB0\xA1\xB3\xAA\xA1"), "Star Wars"_k})
    me.SameBak->Items()->Add(title);
  auto type = [&](const AnsiString& text) {
    me.View_0->SetText("");
    SimulateImeCommit(me.View_0, text);
  };
  onEditor = [&](TFormME& e) {
    type("가나"_k);
    EXPECT_EQ(Items(*e.Samelist->Items()), std::vector<AnsiString>{"가나다라"_k});
    EXPECT_TRUE(e.Samepanel->Visible());
    SimulateClick(e.ScPanel3, 5, 5);
    EXPECT_FALSE(e.Samepanel->Visible());

    // Three letters are too short to look for; the header never matches.
    type("Sta");
    EXPECT_FALSE(e.Samepanel->Visible());
    type("제목"_k);
    EXPECT_FALSE(e.Samepanel->Visible());
    type("Star");
    EXPECT_TRUE(e.Samepanel->Visible());
    e.ShowSimilarTitles = false;
    e.Samepanel->SetVisible(false);
    type("Star");
    EXPECT_FALSE(e.Samepanel->Visible());
    e.CnsButton->Click();
  };
  me.ShowModal();
}

// ---------------------------------------------------------------- files

TEST_F(EditorTest, ThreeMoviesAddedThenTheSameRefusedThenOneDeleted) {
  TFormME& me = *editor_;
  me.AddMode = 1;
  const AnsiString folder = scratch_.Path() + "Matrix";
  const std::vector<AnsiString> paths = CopyThreeMovies(folder);
  AddFiles(paths);
  TExColumnGrid& grid = *me.FileGrid;
  EXPECT_EQ(Column(grid, Cat::FileName),
            (std::vector<AnsiString>{"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi"}));
  EXPECT_EQ(FileTableCell(grid, Cat::FileId, 1), "2D85ACDB");
  EXPECT_EQ(FileTableCell(grid, Cat::VideoFormat, 1), "XviD MPEG4 Codec");
  EXPECT_EQ(FileTableCell(grid, "채널"_k, 1), "1");
  EXPECT_EQ(FileTableCell(grid, "샘플레이트"_k, 1), "8000");
  EXPECT_EQ(FileTableCell(grid, Cat::FrameRate, 3), "29.9700");
  EXPECT_EQ(FileTableCell(grid, Cat::Folder, 2), folder);
  EXPECT_EQ(FileTableCell(grid, Cat::Release, 2), "모름"_k);
  // The online search starts once, for the first files of a new movie, and
  // the title is offered from the folder and the first file.
  EXPECT_EQ(onlineSearches_, 1);
  EXPECT_EQ(Items(*me.View_0->Items()), (std::vector<AnsiString>{"Matrix", "xvid_pcm_mono"}));

  // The same files again: refused by their IDs, also when chosen by folder.
  AddFiles(paths);
  TDialogFakes::QueueFolder(folder);
  me.FldADD->Click();
  EXPECT_EQ(grid.RowCount(), 4);
  EXPECT_EQ(onlineSearches_, 1);
  EXPECT_EQ(fileDialogs_, 3);

  grid.SetRowSelected(2, true);
  me.FileDel->Click();
  EXPECT_EQ(Column(grid, Cat::FileName),
            (std::vector<AnsiString>{"xvid_pcm_mono.avi", "mjpeg_ntsc_noaudio.avi"}));
  EXPECT_EQ(Column(grid, Cat::FileId)[1], FileIdToStr(GetFileId(paths[2])));

  // Deleting every file leaves the one empty row under the header.
  grid.SetRowSelected(1, true);
  grid.SetRowSelected(2, true);
  me.FileDel->Click();
  EXPECT_EQ(grid.RowCount(), 2);
  EXPECT_EQ(FileTableCell(grid, Cat::FileName, 1), "");
}

TEST_F(EditorTest, ClosingTheFileDialogWithoutOkAddsNoRow) {
  TFormME& me = *editor_;
  me.AddMode = 1;
  onFileDialog = [](TFormSt& st) { st.CancelButton->Click(); };
  AddFiles({AviFixture(kThreeMovies[0])});
  EXPECT_EQ(me.FileGrid->RowCount(), 2);
  EXPECT_EQ(FileTableCell(*me.FileGrid, Cat::FileName, 1), "");
  EXPECT_EQ(FileTableCell(*me.FileGrid, Cat::FileId, 1), "");
  EXPECT_EQ(onlineSearches_, 0);

  // Cancelling the open dialog itself opens nothing.
  TDialogFakes::QueueFileNames(std::nullopt);
  me.FileADD->Click();
  TDialogFakes::QueueFolder(std::nullopt);
  me.FldADD->Click();
  EXPECT_EQ(fileDialogs_, 1);
}

TEST_F(EditorTest, FolderAddProbesTheMovieFilesOfThatFolderOnly) {
  const AnsiString folder = scratch_.Path() + "영화"_k;
  ForceDirectories(folder + "/sub");
  ForceDirectories(folder + "/folder.avi");
  CopyFileTo(AviFixture(kThreeMovies[1]), folder + "/b.avi");
  CopyFileTo(AviFixture(kThreeMovies[0]), folder + "/a.avi");
  CopyFileTo(AviFixture(kThreeMovies[2]), folder + "/sub/c.avi");
  WriteTextFile(folder + "/notes.txt", "x");
  TDialogFakes::QueueFolder(folder);
  editor_->FldADD->Click();
  EXPECT_EQ(Column(*editor_->FileGrid, Cat::FileName), (std::vector<AnsiString>{"a.avi", "b.avi"}));
  EXPECT_EQ(onlineSearches_, 0);  // edit mode
  EXPECT_EQ(editor_->View_0->Items()->Strings(0), "영화"_k);
}

TEST_F(EditorTest, FileDialogGuessesWordsFromTheNameAndKeepsNewOnes) {
  editor_->AddUnlistedValues = true;
  const AnsiString movie = scratch_.Path() + "Heat.1995.DVDRip.XviD-WRD.avi";
  CopyFileTo(AviFixture(kThreeMovies[0]), movie);
  onFileDialog = [](TFormSt& st) {
    EXPECT_EQ(st.Caption(), "파일정보"_k);
    EXPECT_EQ(st.HInfo->Text(), "DVDRIP");
    EXPECT_EQ(st.RInfo->Text(), "WRD");
    EXPECT_EQ(st.LInfo->Text(), "모름"_k);
    st.LInfo->SetText("스웨덴어"_k);
    st.ScButton1->Click();
    EXPECT_EQ(st.SP->Caption(), "파일 정보를 가져 왔습니다.."_k);
  };
  AddFiles({movie});
  TExColumnGrid& grid = *editor_->FileGrid;
  EXPECT_EQ(FileTableCell(grid, Cat::Quality, 1), "DVDRIP");
  EXPECT_EQ(FileTableCell(grid, Cat::Release, 1), "WRD");
  EXPECT_EQ(FileTableCell(grid, Cat::Language, 1), "스웨덴어"_k);
  TStringList languages;
  languages.LoadFromFile(ValueListFileName("언어.List"_k));
  EXPECT_EQ(languages.Strings(languages.Count() - 1), "스웨덴어"_k);
  // The guessed words were in their lists already.
  EXPECT_EQ(ReadTextFile(ValueListFileName("릴.List"_k)),
            ReadTextFile(FromSysFileName(VIDRENA_APP_FOLDER) + "/Config/" + "릴.List"_k));
}

// The file dialog is kept between adds: each add finds it as if just built.
TEST_F(EditorTest, FileDialogOpensEmptyForEachAdd) {
  const std::vector<AnsiString> paths = CopyThreeMovies(scratch_.Path() + "Heat.1995.WRD");
  onFileDialog = [](TFormSt& st) {
    st.LInfo->SetText("스웨덴어"_k);
    st.ScButton1->Click();
  };
  AddFiles({paths[0], paths[1]});
  ASSERT_EQ(editor_->FileGrid->RowCount(), 3);
  DeleteFile(ValueListFileName("릴.List"_k));

  TFormSt* seen = nullptr;
  onFileDialog = [&](TFormSt& st) {
    seen = &st;
    EXPECT_EQ(st.page->ActivePageIndex(), 0);
    EXPECT_EQ(Items(*st.FileList->Items()), std::vector<AnsiString>{paths[2]});
    EXPECT_EQ(st.FileGrid->RowCount(), 2);
    EXPECT_EQ(FileTableCell(*st.FileGrid, Cat::FileName, 1), "");
    // The list whose file went missing offers nothing; the others are read again.
    EXPECT_EQ(st.RInfo->Items()->Count(), 0);
    EXPECT_EQ(st.RInfo->Text(), "모름"_k);
    EXPECT_EQ(st.LInfo->Text(), "모름"_k);
    EXPECT_GT(st.HInfo->Items()->Count(), 0);
    EXPECT_EQ(st.SP->Caption(), "");
    st.ScButton1->Click();
  };
  AddFiles({paths[2]});
  ASSERT_NE(seen, nullptr);
  EXPECT_EQ(seen, &TFormSt::Shared());
  EXPECT_EQ(Column(*editor_->FileGrid, Cat::FileName),
            (std::vector<AnsiString>{kThreeMovies[0], kThreeMovies[1], kThreeMovies[2]}));
  EXPECT_EQ(FileTableCell(*editor_->FileGrid, Cat::Language, 3), "모름"_k);
  // What was probed is not kept until the next add.
  EXPECT_EQ(TFormSt::Shared().FileGrid->RowCount(), 2);
  EXPECT_EQ(TFormSt::Shared().FileList->Items()->Count(), 0);
}

// The dialog reads its word lists again only when a file may have changed:
// a change must show however it was made.
TEST(ValueListWatch, ReadsAListAgainWhenItsFileChangedOrItsItemsDid) {
  TempFolder folder;
  const AnsiString languages = folder.Path() + "언어.List"_k;
  const AnsiString releases = folder.Path() + "릴.List"_k;
  WriteTextFile(languages, "한국어\r\n영어\r\n"_k);
  // Past the file system's tick, so that what the watch saw counts as settled.
  std::this_thread::sleep_for(std::chrono::milliseconds(250));
  TStringList items;
  TValueListWatch watch;
  const auto load = [&](TValueListWatch& w, TStrings& into, const AnsiString& name) {
    w.Load(into, name, FileStampOf(ExtractFileDir(name)));
  };
  load(watch, items, languages);
  EXPECT_EQ(Items(items), (std::vector<AnsiString>{"한국어"_k, "영어"_k}));

  // Rewritten in place with as many bytes, its time put back.
  const auto written = std::filesystem::last_write_time(SysFileName(languages));
  WriteTextFile(languages, "중국어\r\n영어\r\n"_k);
  std::filesystem::last_write_time(SysFileName(languages), written);
  load(watch, items, languages);
  EXPECT_EQ(Items(items), (std::vector<AnsiString>{"중국어"_k, "영어"_k}));

  // Items changed by other means are put back as the file has them.
  items.Add("일본어"_k);
  load(watch, items, languages);
  EXPECT_EQ(Items(items), (std::vector<AnsiString>{"중국어"_k, "영어"_k}));

  // A missing list offers nothing, until it appears, in any letter case.
  TStringList words;
  words.Add("WRD");
  TValueListWatch missing;
  load(missing, words, releases);
  EXPECT_EQ(words.Count(), 0);
  WriteTextFile(folder.Path() + "릴.list"_k, "ViSiON\r\n");
  load(missing, words, releases);
  EXPECT_EQ(Items(words), std::vector<AnsiString>{"ViSiON"});
  DeleteFile(languages);
  load(watch, items, languages);
  EXPECT_EQ(items.Count(), 0);
}

// ---------------------------------------------------------------- posters

TEST_F(EditorTest, PostersAddedCycledAndDeleted) {
  TFormME& me = *editor_;
  const AnsiString inFolder = me.PosterDir + "/a.jpg";
  const AnsiString outside = scratch_.Path() + "b.jpg";
  const AnsiString broken = me.PosterDir + "/broken.jpg";
  CopyFileTo(ImageFixture("testsrc_64x48.jpg"), inFolder);
  CopyFileTo(ImageFixture("testsrc_64x48.jpg"), outside);
  CopyFileTo(ImageFixture("not_a_jpeg.jpg"), broken);

  TDialogFakes::QueueFileNames(std::vector<AnsiString>{inFolder, outside});
  me.ScButton26->Click();
  EXPECT_EQ(Items(*me.View_16->Items()), (std::vector<AnsiString>{"a.jpg", outside}));
  EXPECT_EQ(me.Imgposter->Tag(), 1);
  EXPECT_EQ(me.ShownPosterFile(), outside);
  EXPECT_EQ(me.Imgposter->Picture()->Width(), 64);
  EXPECT_TRUE(me.BtnPosterNext->Visible());

  // Chosen again: listed once.
  TDialogFakes::QueueFileNames(std::vector<AnsiString>{inFolder});
  me.ScButton26->Click();
  EXPECT_EQ(me.View_16->Items()->Count(), 2);

  me.BtnPosterNext->Click();
  EXPECT_EQ(me.Imgposter->Tag(), 0);
  EXPECT_EQ(me.ShownPosterFile(), inFolder);
  me.BtnPosterNext->Click();
  EXPECT_EQ(me.Imgposter->Tag(), 1);
  me.BtnPosterNext->Click();
  me.BtnPosterPrev->Click();
  EXPECT_EQ(me.Imgposter->Tag(), 1);

  // A cancelled dialog changes nothing.
  TDialogFakes::QueueFileNames(std::nullopt);
  me.ScButton26->Click();
  EXPECT_EQ(me.View_16->Items()->Count(), 2);

  me.ScButton25->Click();
  EXPECT_EQ(Items(*me.View_16->Items()), std::vector<AnsiString>{"a.jpg"});
  EXPECT_EQ(me.Imgposter->Tag(), 0);
  EXPECT_FALSE(me.BtnPosterNext->Visible());
  EXPECT_FALSE(me.BtnPosterPrev->Visible());
  me.ScButton25->Click();
  EXPECT_EQ(me.View_16->Items()->Count(), 0);
  EXPECT_EQ(ExtractFileName(me.ShownPosterFile()), "noimage.jpg");
  // The files stay on disk.
  EXPECT_TRUE(FileExists(inFolder));

  // Unreadable and missing posters show their stand-ins.
  me.ShowPoster("broken.jpg");
  EXPECT_EQ(UpperCase(ExtractFileName(me.ShownPosterFile())), "BADIMAGE.JPG");
  me.ShowPoster("gone.jpg");
  EXPECT_EQ(ExtractFileName(me.ShownPosterFile()), "noimage.jpg");
}

TEST_F(EditorTest, EnlargedPosterShowsAtItsSizeOrHalvedWhenTooLarge) {
  TFormME& me = *editor_;
  CopyFileTo(ImageFixture("testsrc_64x48.jpg"), me.PosterDir + "/a.jpg");
  me.View_16->Items()->Add("a.jpg");
  me.ShowPoster("a.jpg");
  TPoint shown;
  onOther = [&](TCustomForm& form) {
    shown = TPoint{form.ClientWidth(), form.ClientHeight()};
    form.SetModalResult(mrOk);
  };
  SimulateDblClick(me.Imgposter, 10, 10);
  EXPECT_EQ(shown.X, 64);
  EXPECT_EQ(shown.Y, 48);

  const int wide = Screen->Width() + 101;
  EXPECT_EQ(me.EnlargedPosterSize(wide, 301).X, wide);
  me.PosterAutoSize = true;
  EXPECT_EQ(me.EnlargedPosterSize(wide, 301).X, wide / 2);
  EXPECT_EQ(me.EnlargedPosterSize(wide, 301).Y, 150);
  EXPECT_EQ(me.EnlargedPosterSize(300, 200).X, 300);
}

class EditorDownloadTest : public EditorTest {
 protected:
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));
    EditorTest::TearDown();
  }
};

TEST_F(EditorDownloadTest, PosterDownloadedIntoThePosterFolderOnly) {
  const std::string jpeg = ReadFileBytes(ImageFixture("testsrc_64x48.jpg"));
  LocalHttpServer server([&](const TReceivedRequest& request, TServerConnection& c) {
    if (request.Target.rfind("/img/", 0) == 0 || request.Target.rfind("/dl", 0) == 0)
      c.Send(LocalHttpServer::Reply(200, jpeg));
    else
      c.Send(LocalHttpServer::Reply(404, "<html>no</html>"));
  });
  TFormME& me = *editor_;

  me.View_40->SetText(server.Url("/img/poster%201.jpg"));
  me.ScBitBtn2->Click();
  ASSERT_TRUE(PumpUntil([&] { return me.View_16->Items()->Count() == 1; }));
  EXPECT_EQ(me.View_16->Items()->Strings(0), "poster%201.jpg");
  EXPECT_EQ(ReadFileBytes(me.PosterDir + "/poster%201.jpg"), jpeg);
  EXPECT_EQ(me.Imgposter->Picture()->Width(), 64);

  // A name that climbs out of the folder is cut to its last part.
  me.View_40->SetText(server.Url("/dl?name=../../evil.jpg"));
  me.ScBitBtn2->Click();
  ASSERT_TRUE(PumpUntil([&] { return me.View_16->Items()->Count() == 2; }));
  EXPECT_EQ(me.View_16->Items()->Strings(1), "dl");
  EXPECT_EQ(me.Imgposter->Tag(), 1);
  EXPECT_EQ(ListFolder(me.PosterDir),
            (std::vector<AnsiString>{"badImage.jpg", "dl", "noimage.jpg", "poster%201.jpg"}));
  EXPECT_FALSE(FileExists(app_.Path() + "evil.jpg"));

  // Another movie's poster of the same name is kept; this movie's own is
  // fetched again under its name.
  WriteTextFile(me.PosterDir + "/other.jpg", "another movie's poster");
  me.View_40->SetText(server.Url("/img/other.jpg"));
  me.ScBitBtn2->Click();
  ASSERT_TRUE(PumpUntil([&] { return me.View_16->Items()->Count() == 3; }));
  EXPECT_EQ(me.View_16->Items()->Strings(2), "other (2).jpg");
  EXPECT_EQ(ReadTextFile(me.PosterDir + "/other.jpg"), "another movie's poster");
  me.View_40->SetText(server.Url("/img/poster%201.jpg"));
  me.ScBitBtn2->Click();
  ASSERT_TRUE(PumpUntil([&] { return !me.GetPoster->Busy(); }));
  EXPECT_EQ(me.View_16->Items()->Count(), 3);
  EXPECT_EQ(me.Imgposter->Tag(), 0);

  // A failed download shows the stand-in and lists nothing.
  me.View_40->SetText(server.Url("/missing.jpg"));
  me.ScBitBtn2->Click();
  ASSERT_TRUE(PumpUntil([&] { return !me.GetPoster->Busy(); }));
  EXPECT_EQ(me.View_16->Items()->Count(), 3);
  EXPECT_EQ(ExtractFileName(me.ShownPosterFile()), "noimage.jpg");
}

TEST_F(EditorDownloadTest, ThePosterAndTheCommentaryEndAtTheirOwnTimeLimits) {
  // Fast and endless: only a time limit ends it.
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 60000000\r\n\r\n")) return;
    for (int i = 0; i < 600; ++i)
      if (!c.Send(std::string(4096, 'f')) || !c.Pause(100)) return;
  });
  TFormME& me = *editor_;
  TShortLimits restore;
  // Ends within the deadline when its own limit is the short one.
  auto endsInTime = [](THTTPGet& get) {
    const bool ended = PumpUntil([&] { return !get.Busy(); }, std::chrono::seconds(3));
    if (!ended) get.Abort();
    EXPECT_TRUE(PumpUntil([&] { return !get.Busy(); }));
    return ended && !get.LastResult();
  };
  THTTPLimits& limits = THTTPGet::Limits();
  limits.PageSeconds = limits.CommentarySeconds = 60;
  limits.PosterSeconds = 1;
  me.View_40->SetText(server.Url("/poster.jpg"));
  me.ScBitBtn2->Click();
  EXPECT_TRUE(endsInTime(*me.GetPoster)) << "the poster download outlived the poster's limit";
  EXPECT_EQ(ExtractFileName(me.ShownPosterFile()), "noimage.jpg");

  limits.PageSeconds = limits.PosterSeconds = 60;
  limits.CommentarySeconds = 1;
  me.View_15->SetText("commentary");
  ASSERT_TRUE(StartCommentaryDownload(*me.GetDB, {0, server.Url("/commentary")}));
  EXPECT_TRUE(endsInTime(*me.GetDB)) << "the commentary download outlived the commentary's limit";
  EXPECT_EQ(me.View_15->Text(), ".");
}

// ---------------------------------------------------------------- pictures

// Both windows filled as a user leaves them, rendered as they show; with
// VIDRENA_SHOT_DIR set the pictures are kept there to be looked at.
TEST_F(EditorTest, FilledWindowsRenderWhole) {
  TFormME& me = *editor_;
  const char* keep = std::getenv("VIDRENA_SHOT_DIR");
  const AnsiString shots = keep ? FromSysFileName(keep) + "/" : scratch_.Path();
  const std::vector<AnsiString> paths = CopyThreeMovies(scratch_.Path() + "Heat.1995");
  CopyFileTo(ImageFixture("testsrc_64x48.jpg"), me.PosterDir + "/heat.jpg");
  me.View_16->Items()->Add("heat.jpg");
  me.View_16->Items()->Add("heat_2.jpg");
  me.ShowSimilarTitles = true;
  me.SameBak->Items()->Add(Cat::Title);
  me.SameBak->Items()->Add("히트 (Heat)"_k);
  const std::pair<TControl*, AnsiString> texts[] = {
      {me.View_1, "Heat"},
      {me.View_2, "마이클 만"_k},
      {me.View_3, "미국"_k},
      {me.View_4, "1995"},
      {me.View_5, "1996-02-24"},
      {me.View_6, "알 파치노, 로버트 드 니로, 발 킬머"_k},
      {me.View_7, "15세 관람가"_k},
      {me.View_8, "범죄, 액션"_k},
      {me.View_9, "170분"_k},
      {me.View_11, "9"},
      {me.View_12, "http://www.example.com/heat"},
      {me.View_14, "로스앤젤레스의 전문 강도단과 그들을 쫓는 강력계 형사의 대결."_k},
      {me.View_15, "."},
      {me.View_17, "책장 둘째 칸"_k},
      {me.View_19, "2026-12-07"},
      {me.View_37, "홍길동"_k},
      {me.View_38, "010-1234-5678"},
      {me.View_39, "2"},
      {me.View_40, "http://www.example.com/heat.jpg"},
      {me.View_41, "감독판"_k},
  };
  for (const auto& [control, text] : texts) control->SetText(text);
  bool fileShot = false, editorShot = false;
  onFileDialog = [&](TFormSt& st) {
    st.RInfo->SetText("WRD");
    st.ScButton1->Click();
    st.SetModalResult(mrNone);  // stays open to be looked at
    fileShot = SaveWindowImage(&st, shots + "file-dialog.png");
    st.SetModalResult(mrOk);
  };
  onEditor = [&](TFormME& e) {
    AddFiles(paths);
    SimulateImeCommit(e.View_0, "히트"_k);
    e.View_0->SetText("히트"_k);
    editorShot = SaveWindowImage(&e, shots + "editor.png");
    e.CnsButton->Click();
  };
  me.ShowModal();
  EXPECT_TRUE(fileShot);
  EXPECT_TRUE(editorShot);
  EXPECT_TRUE(me.Samepanel->Visible());
  EXPECT_EQ(me.FileGrid->RowCount(), 4);
  // The file names are in sight, not scrolled away.
  EXPECT_EQ(me.FileGrid->LeftCol(), 0);
}

// ---------------------------------------------------------------- closing

TEST_F(EditorTest, EscapeOrClosingAfterChangesAsksAndWithoutChangesClosesAtOnce) {
  TFormME& me = *editor_;
  const AnsiString question = "영화정보가 변경 되었습니다\r변경된 내용을 저장 하시겠습니까?"_k;
  auto escape = [](TFormME& e) {
    e.View_1->SetFocus();
    SimulateKey(e.View_1, VK_ESCAPE);
  };
  // Nothing changed: Escape closes without a question.
  onEditor = escape;
  EXPECT_EQ(me.ShowModal(), mrCancel);
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());

  // A field typed into: Escape asks; Cancel keeps the editor open with the text.
  bool stayed = false;
  onEditor = [&](TFormME& e) {
    e.View_1->SetText("The Host");
    TDialogFakes::QueueAnswer(mrCancel);
    escape(e);
    stayed = e.ModalResult() == mrNone && e.View_1->Text() == "The Host";
    // No: the change is dropped.
    TDialogFakes::QueueAnswer(mrNo);
    escape(e);
  };
  EXPECT_EQ(me.ShowModal(), mrCancel);
  EXPECT_TRUE(stayed);
  EXPECT_NE(me.Tag(), 99);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, question);

  // Yes saves; the close box asks as well, once.
  TDialogFakes::Clear();
  onEditor = [](TFormME& e) {
    SimulateClick(e.View_20, 5, 5);  // watched state toggled
    TDialogFakes::QueueAnswer(mrYes);
    e.Close();
  };
  me.ShowModal();
  EXPECT_EQ(me.Tag(), 99);
  EXPECT_EQ(TDialogFakes::MessageBoxes().size(), 1u);

  // Only a poster added: Escape and 취소 ask before they drop it.
  TDialogFakes::Clear();
  const AnsiString poster = me.PosterDir + "/added.jpg";
  CopyFileTo(ImageFixture("testsrc_64x48.jpg"), poster);
  onEditor = [&](TFormME& e) {
    TDialogFakes::QueueFileNames(std::vector<AnsiString>{poster});
    e.ScButton26->Click();
    TDialogFakes::QueueAnswer(mrCancel);
    escape(e);
    TDialogFakes::QueueAnswer(mrNo);
    e.CnsButton->Click();
  };
  EXPECT_EQ(me.ShowModal(), mrCancel);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 2u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[1].Text, question);
}
