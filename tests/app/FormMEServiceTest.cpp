// The movie editor against a fake file-ID service on 127.0.0.1 that records
// every request: the lookup started by the first files of an added movie,
// an answer that fills the record and brings its poster, an answer that is
// none, and the upload of a movie with twelve files and a hostile title.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <mutex>

#include "app/Catalogue.h"
#include "app/FormME.h"
#include "app/FormSt.h"
#include "app/WebHosts.h"
#include "tests/app/FormMainTestSupport.h"
#include "tests/app/HttpTestSupport.h"

namespace {

std::string Query(const TReceivedRequest& r) {
  const size_t q = r.Target.find('?');
  return q == std::string::npos ? std::string() : r.Target.substr(q + 1);
}

class EditorServiceTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    TDialogFakes::Enable();
    TCustomForm::SetShowModalHook([](TCustomForm& form) {
      if (auto* st = dynamic_cast<TFormSt*>(&form)) st->ScButton1->Click();
    });
    SetFileIdServiceHost(server.HostPort());
    editor = std::make_unique<TFormME>(nullptr);
    editor->PosterDir = app_.Path() + "Poster";
  }
  void TearDown() override {
    HttpTest::TearDown();
    editor.reset();
    SetFileIdServiceHost("www.vidrena.org");
    TCustomForm::SetShowModalHook(nullptr);
    TDialogFakes::Disable();
  }

  std::vector<TReceivedRequest> Requests(const std::string& path) {
    std::vector<TReceivedRequest> found;
    for (const TReceivedRequest& r : server.Requests())
      if (r.Target.rfind(path, 0) == 0) found.push_back(r);
    return found;
  }

  // What the service answers to a lookup; "" fails the request.
  std::string lookupReply;
  std::string insertReply = "1";
  std::string jpeg = ReadFileBytes(FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/images/testsrc_64x48.jpg"));
  AppFolderCopy app_;
  LocalHttpServer server{[this](const TReceivedRequest& r, TServerConnection& c) {
    if (r.Target.rfind("/vidrena/movie_search.php", 0) == 0)
      c.Send(lookupReply.empty() ? LocalHttpServer::Reply(500, "down") : LocalHttpServer::Reply(200, lookupReply));
    else if (r.Target == "/vidrena/movie_insert.php" && r.Method == "POST")
      c.Send(insertReply.empty() ? LocalHttpServer::Reply(503, "busy") : LocalHttpServer::Reply(200, insertReply));
    else if (r.Target == "/posters/oldboy.jpg")
      c.Send(LocalHttpServer::Reply(200, jpeg));
    else
      c.Send(LocalHttpServer::Reply(404, "none"));
  }};
  std::unique_ptr<TFormME> editor;
};

std::vector<AnsiString> ThreeMovies(const AnsiString& folder) {
  ForceDirectories(folder);
  std::vector<AnsiString> paths;
  for (const char* name : {"xvid_pcm_mono.avi", "divx_mp3_stereo.avi", "mjpeg_ntsc_noaudio.avi"}) {
    paths.push_back(folder + "/" + name);
    std::filesystem::copy_file(std::string(VIDRENA_TEST_DATA) + "/avi/" + name, SysFileName(paths.back()));
  }
  return paths;
}

}  // namespace

TEST_F(EditorServiceTest, FirstFilesOfAnAddedMovieAreLookedUpAndTheAnswerFillsTheRecord) {
  lookupReply = "ok[영화제목]올드보이[/영화제목][영제] Oldboy [/영제][감독]박찬욱[/감독][제작국가]한국[/제작국가]"
                "[제작연도]2003[/제작연도][개봉날짜]2003-11-21[/개봉날짜][출연]최민식[/출연][관람등급]18세 관람가[/관람등급]"
                "[영화장르]스릴러[/영화장르][영화시간]120[/영화시간][별점]★★★★☆[/별점][평점]9[/평점]"
                "[공식홈페이지]http://oldboy.example[/공식홈페이지][관련페이지]http://page.example[/관련페이지]"
                "[영화내용]복수극[/영화내용][영화해설]칸 수상작[/영화해설][포스터]"_k +
                server.Url("/posters/oldboy.jpg") + "[/포스터]"_k;
  TFormME& me = *editor;
  me.AddMode = 1;
  me.View_0->SetText("제목 없음"_k);
  TDialogFakes::QueueFileNames(ThreeMovies(app_.Path() + "Oldboy"));
  me.FileADD->Click();
  ASSERT_EQ(me.FileGrid->RowCount(), 4);
  ASSERT_TRUE(PumpUntil([&] { return me.View_16->Items()->Count() == 1; }));

  std::vector<TReceivedRequest> lookups = Requests("/vidrena/movie_search.php");
  ASSERT_EQ(lookups.size(), 1u);
  const std::string q = Query(lookups[0]);
  ASSERT_EQ(q.rfind("sqltext=", 0), 0u);
  AnsiString expected = "파일ID"_k;
  for (int r = 1; r <= 3; ++r) expected += "|" + FileTableCell(*me.FileGrid, Cat::FileId, r);
  EXPECT_EQ(PercentDecoded(q.substr(8)), expected);

  EXPECT_EQ(me.View_0->Text(), "올드보이"_k);
  EXPECT_EQ(me.View_1->Text(), "Oldboy");
  EXPECT_EQ(me.View_3->Text(), "한국"_k);
  EXPECT_EQ(me.View_5->Text(), "2003-11-21");
  EXPECT_EQ(me.View_11->Text(), "9");
  EXPECT_EQ(me.View_10->Text(), "★★★★☆"_k);
  EXPECT_EQ(me.View_15->Text(), "칸 수상작"_k);
  EXPECT_EQ(me.View_40->Text(), server.Url("/posters/oldboy.jpg"));
  EXPECT_EQ(me.View_16->Items()->Strings(0), "oldboy.jpg");
  EXPECT_EQ(ReadFileBytes(me.PosterDir + "/oldboy.jpg"), jpeg);
  EXPECT_EQ(me.Imgposter->Picture()->Width(), 64);

  // More files later are no first files: no second lookup.
  const AnsiString fourth = app_.Path() + "Oldboy/cvid_adpcm_stereo.avi";
  std::filesystem::copy_file(std::string(VIDRENA_TEST_DATA) + "/avi/cvid_adpcm_stereo.avi", SysFileName(fourth));
  TDialogFakes::QueueFileNames(std::vector<AnsiString>{fourth});
  me.FileADD->Click();
  EXPECT_EQ(Requests("/vidrena/movie_search.php").size(), 1u);
}

TEST_F(EditorServiceTest, AnAnswerThatIsNotOkChangesOnlyTheTitleItCarriesAndAFailedLookupNothing) {
  TFormME& me = *editor;
  // No file rows: nothing to look up, nothing sent.
  me.WebFile->Click();
  me.FileGrid->AddRow();
  SetFileTableCell(*me.FileGrid, Cat::FileName, 1, "a.avi");
  SetFileTableCell(*me.FileGrid, Cat::FileId, 1, "0A1B2C3D");
  me.View_0->SetText("내 제목"_k);
  me.View_2->SetText("감독"_k);

  lookupReply = "no match [영화제목]다른 영화[/영화제목]"_k;
  me.WebFile->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1 && !me.GetFileID->Busy(); }));
  EXPECT_EQ(me.View_0->Text(), "다른 영화"_k);
  me.View_0->SetText("내 제목"_k);
  lookupReply = "no match";
  me.WebFile->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 2 && !me.GetFileID->Busy(); }));
  lookupReply.clear();
  me.WebFile->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 3 && !me.GetFileID->Busy(); }));

  EXPECT_EQ(me.View_0->Text(), "내 제목"_k);
  EXPECT_EQ(me.View_2->Text(), "감독"_k);
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());
  EXPECT_EQ(Query(server.Requests()[0]), "sqltext=%C6%C4%C0%CFID%7C0A1B2C3D");
}

TEST_F(EditorServiceTest, UploadSendsTheMovieAndTenOfTwelveFilesEscapedAndSaysThanks) {
  TFormME& me = *editor;
  const AnsiString title = "Say \"hi\" it's a\\b & c+d 100%"_k;
  me.View_0->SetText(title);
  me.View_3->SetText("한국"_k);
  me.View_4->SetText("2003년"_k);
  me.View_11->SetText("8.5");
  TExColumnGrid& grid = *me.FileGrid;
  for (int i = 1; i <= 12; ++i) {
    const int row = NextFileTableRow(grid);
    SetFileTableCell(grid, Cat::FileName, row, "file " + IntToStr(i) + ".avi");
    SetFileTableCell(grid, Cat::FileId, row, "ID" + IntToStr(i));
  }
  me.WebSave->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 21 && !TDialogFakes::MessageBoxes().empty(); }));
  ASSERT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));

  std::vector<std::string> statements;
  for (const TReceivedRequest& r : Requests("/vidrena/movie_insert.php")) {
    ASSERT_EQ(r.Body.rfind("sqltext=", 0), 0u);
    // Nothing of the statement may read as another form field.
    EXPECT_EQ(r.Body.find_first_of("&+ ", 8), std::string::npos) << r.Body;
    statements.push_back(PercentDecoded(r.Body.substr(8)));
  }
  ASSERT_EQ(statements.size(), 21u);
  const std::string escaped = "Say \\\"hi\\\" it\\'s a\\\\b & c+d 100%";
  auto count = [&](const std::string& piece) {
    return std::count_if(statements.begin(), statements.end(),
                         [&](const std::string& s) { return s.find(piece) != std::string::npos; });
  };
  EXPECT_EQ(count("INSERT INTO `vidrena_movie_table`"), 1);
  EXPECT_EQ(count("INSERT INTO `vidrena_fileid_table`"), 10);
  EXPECT_EQ(count("INSERT INTO `vidrena_file_table`"), 10);
  EXPECT_EQ(count(escaped), 11);
  // The year is no number: sent empty.
  EXPECT_EQ(count("VALUES (\"" + escaped + "\", \"\", \"" + "한국"_k + "\", \"\", "), 1);
  EXPECT_EQ(count("\"file 10.avi\", \"ID10\""), 1);
  EXPECT_EQ(count("file 11.avi"), 0);
  EXPECT_EQ(count("ID12"), 0);

  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "영화정보를 업로드 했습니다.\r감사합니다"_k);

  // A second upload while nothing runs sends the same again.
  me.WebSave->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 42 && TDialogFakes::MessageBoxes().size() == 2; }));
}

TEST_F(EditorServiceTest, AFailedUploadIsReportedOnlyWhenAskedFor) {
  TFormME& me = *editor;
  insertReply.clear();
  me.View_0->SetText("x");
  me.WebSave->Click();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1 && !me.sqlData->Busy(); }));
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());

  me.CheckWebInfo = 1;
  me.WebSave->Click();
  ASSERT_TRUE(PumpUntil([&] { return !TDialogFakes::MessageBoxes().empty(); }));
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "서버에 접속 할수 없습니다. ㅜ.ㅜ"_k);
}
