// The online file-ID service against a fake service on 127.0.0.1 that
// records every request: the lookup, its replies, and the upload.
#include "app/FileIdService.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>

#include "app/WebHosts.h"
#include "platform/rtl/Cp949.h"
#include "tests/app/HttpTestSupport.h"

namespace {

TServiceFile File(int n) {
  AnsiString id = IntToHex(0x2D85AC00 + n, 8);
  return {"영화 "_k + IntToStr(n) + ".avi", id, "700", "XviD", "MP3", "한국어"_k, "DVDRip", "DVD"};
}

class FileIdServiceTest : public HttpTest {
 protected:
  std::mutex mutex;
  std::string searchReply = "ok";
  LocalHttpServer server{[this](const TReceivedRequest& r, TServerConnection& c) {
    std::string reply;
    {
      std::lock_guard lock(mutex);
      reply = r.Target.rfind("/vidrena/movie_search.php", 0) == 0 ? searchReply : "1";
    }
    c.Send(LocalHttpServer::Reply(200, reply));
  }};
  TComponent editor{nullptr};
  THTTPGet* getFileID = new THTTPGet(&editor);
  THTTPGet* sqlData = new THTTPGet(&editor);
  AnsiString savedHost;

  void SetUp() override {
    HttpTest::SetUp();
    savedHost = FileIdServiceHost();
    SetFileIdServiceHost(server.HostPort());
  }
  void TearDown() override {
    HttpTest::TearDown();
    SetFileIdServiceHost(savedHost);
  }

  // Whether every request component of the editor has completed.
  bool AllIdle() {
    for (int i = 0; i < editor.ComponentCount(); ++i)
      if (auto* c = dynamic_cast<THTTPGet*>(editor.Components(i)); c && c->Busy()) return false;
    return true;
  }

  // The lookup's reply as the editor receives it.
  std::optional<AnsiString> Lookup(const std::vector<AnsiString>& ids) {
    std::optional<AnsiString> reply;
    getFileID->OnDoneString = [&](TObject*, const AnsiString& r) { reply = r; };
    if (!StartFileIdLookup(*getFileID, ids)) return std::nullopt;
    EXPECT_TRUE(PumpUntil([&] { return reply.has_value(); }));
    return reply;
  }
};

}  // namespace

TEST(FileIdService, SqlEscapeEscapesBackslashFirstThenBothQuotes) {
  EXPECT_EQ(SqlEscape(R"(a"b'c\d&e+f%)"), R"(a\"b\'c\\d&e+f%)");
  EXPECT_EQ(SqlEscape(R"(\")"), R"(\\\")");
  EXPECT_EQ(SqlEscape("올드보이"_k), "올드보이"_k);
}

TEST(FileIdService, TheMovieStatementSendsOnlyAReadableYearAndReleaseDate) {
  TServiceMovie movie;
  movie.Title = "괴물"_k;
  movie.Country = "한국"_k;
  movie.Year = "2006";
  movie.ReleaseDate = "2006-07-27";
  movie.Cast = "송강호"_k;
  const AnsiString head =
      "INSERT INTO `vidrena_movie_table` (`영화제목`,`원제(영제)`,`제작국가`,`제작연도`,`개봉날짜`,`출연`,`감독`,"
      "`관람등급`,`영화장르`,`영화시간`,`별점`,`평점`,`공식홈페이지`,`관련페이지`,`영화내용`,`영화해설`,`포스터`) "
      "VALUES ("_k;
  const AnsiString tail = R"(, "", "", "", "", "", "", "", "", "", "", ""); )";  // director .. poster
  EXPECT_EQ(MovieInsertStatement(movie),
            head + R"("괴물", "", "한국", "2006", "2006-07-27", "송강호")"_k + tail);
  // A date that does not read as one, and a year with its unit word, go as
  // empty values: the cast still follows in its own place.
  for (const char* unreadable : {"2006년 여름", "2006-13-45", "곧 개봉", "'); DROP"}) {
    SCOPED_TRACE(unreadable);
    movie.ReleaseDate = Utf8ToCp949(unreadable);
    movie.Year = "2006년"_k;
    EXPECT_EQ(MovieInsertStatement(movie), head + R"("괴물", "", "한국", "", "", "송강호")"_k + tail);
  }
}

TEST(FileIdService, TheFileIdStatementSendsTheYearAsTyped) {
  TServiceMovie movie;
  movie.Title = "O'Neil";
  movie.Country = "한국"_k;
  const TServiceFile file = File(1);
  const AnsiString head =
      "INSERT INTO `vidrena_fileid_table` (`제작국가`,`영화제목`,`제작연도`,`파일ID`,`언어`,`화질`,`릴`,"
      R"(`비디오포맷`,`오디오포맷`,`파일크기`) VALUES ("한국", "O\'Neil", ")"_k;
  const AnsiString tail = R"(", "2D85AC01", "한국어", "DVDRip", "DVD", "XviD", "MP3", "700");)"_k;
  const std::pair<const char*, const char*> years[] = {
      {"2004년", "2004년"}, {"2004", "2004"}, {"", ""}, {"2004'", R"(2004\')"}, {" 2004 ", " 2004 "}};
  for (const auto& [typed, sent] : years) {
    SCOPED_TRACE(typed);
    movie.Year = Utf8ToCp949(typed);
    EXPECT_EQ(FileIdInsertStatement(movie, file), head + Utf8ToCp949(sent) + tail);
  }
}

TEST(FileIdService, FileRowsAreReadByHeader) {
  std::vector<TServiceFile> files = ServiceFilesFromGrid(
      3, [](const AnsiString& header, int row) { return header + IntToStr(row); });
  ASSERT_EQ(files.size(), 2u);
  EXPECT_EQ(files[1].FileName, "파일이름2"_k);
  EXPECT_EQ(files[1].FileId, "파일ID2"_k);
  EXPECT_EQ(files[0].Quality, "화질정보1"_k);
  EXPECT_EQ(files[0].Release, "릴정보1"_k);
  EXPECT_EQ(files[0].Language, "언어1"_k);
  EXPECT_TRUE(ServiceFilesFromGrid(1, [](const AnsiString&, int) { return AnsiString("x"); }).empty());
}

TEST_F(FileIdServiceTest, LookupSendsTheFileIdColumnAndAnOkReplyFillsEveryField) {
  EXPECT_FALSE(StartFileIdLookup(*getFileID, {}));
  EXPECT_EQ(server.RequestCount(), 0u);

  std::string full = "ok";
  const char* tags[] = {"영화제목", "영제",     "감독",     "제작국가",     "제작연도",   "개봉날짜",
                        "출연",     "관람등급", "영화장르", "영화시간",     "별점",       "평점",
                        "공식홈페이지", "관련페이지", "영화내용", "영화해설", "포스터"};
  for (int i = 16; i >= 0; --i) {  // tags in any order
    AnsiString tag = Utf8ToCp949(tags[i]);
    AnsiString value = i == 16 ? server.Url("/poster/a%20b.jpg") : " 값"_k + IntToStr(i) + " ";
    full += "[" + tag + "]" + value + "[/" + tag + "]";
  }
  searchReply = full;
  auto reply = Lookup({"2D85ACDB", "with blank"});
  ASSERT_TRUE(reply);
  ASSERT_EQ(server.RequestCount(), 1u);
  TReceivedRequest request = server.Requests()[0];
  EXPECT_EQ(request.Method, "GET");
  const std::string prefix = "/vidrena/movie_search.php?sqltext=";
  ASSERT_EQ(request.Target.rfind(prefix, 0), 0u) << request.Target;
  EXPECT_EQ(PercentDecoded(request.Target.substr(prefix.size())), "파일ID|2D85ACDB|\"with blank\""_k);

  TFileIdReply parsed = ParseFileIdReply(*reply);
  ASSERT_TRUE(parsed.Ok);
  ASSERT_EQ(parsed.Fields.size(), 17u);
  const int order[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 40};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(parsed.Fields[i].first, order[i]);
    EXPECT_EQ(parsed.Fields[i].second, "값"_k + IntToStr(i));
  }
  EXPECT_EQ(parsed.Fields[16].first, mfPosterAddress);
  EXPECT_EQ(parsed.Poster.URL, server.Url("/poster/a%20b.jpg"));
  EXPECT_EQ(parsed.Poster.FileName, "a%20b.jpg");
  EXPECT_EQ(parsed.Poster.UserName, "값0"_k);
}

TEST_F(FileIdServiceTest, AReplyWithOnlyTheTitleEmptiesTheRestAndOtherRepliesChangeOnlyTheTitleTheyCarry) {
  searchReply = "ok[영화제목]X[/영화제목]"_k;
  TFileIdReply titleOnly = ParseFileIdReply(*Lookup({"00000001"}));
  ASSERT_TRUE(titleOnly.Ok);
  EXPECT_EQ(titleOnly.Fields[0].second, "X");
  for (size_t i = 1; i < titleOnly.Fields.size(); ++i) EXPECT_EQ(titleOnly.Fields[i].second, "");
  // No poster address: no file name, so no download into the folder itself.
  EXPECT_EQ(titleOnly.Poster.FileName, "");

  searchReply = "no such file [영화제목]Y[/영화제목]"_k;
  TFileIdReply refused = ParseFileIdReply(*Lookup({"00000001"}));
  EXPECT_FALSE(refused.Ok);
  EXPECT_EQ(refused.Fields, (std::vector<std::pair<int, AnsiString>>{{mfTitle, "Y"}}));
  EXPECT_TRUE(ParseFileIdReply("no such file [/영화제목]Y[영화제목]"_k).Fields.empty());
  EXPECT_FALSE(ParseFileIdReply("").Ok);
  EXPECT_FALSE(ParseFileIdReply("o").Ok);
}

TEST_F(FileIdServiceTest, UploadOfTwelveFilesPostsEveryStatementEscapedAndEncoded) {
  TServiceMovie movie;
  movie.Title = "Tom \"Big\" O'Neil \\ Jerry & Co + 올드보이 100%"_k;
  movie.OriginalTitle = "Oldboy";
  movie.Country = "한국"_k;
  movie.Year = "2003년"_k;  // not an integer: sent empty
  movie.ReleaseDate = "2003-11-21";
  movie.RunningTime = "120'";
  movie.Synopsis = "a=b&sqltext=DROP";
  std::vector<TServiceFile> files;
  for (int n = 1; n <= 12; ++n) files.push_back(File(n));
  files[0].FileName = "it's \"x\".avi";

  std::optional<AnsiString> done;
  sqlData->OnDoneString = [&](TObject*, const AnsiString& r) { done = r; };
  EXPECT_EQ(StartFileIdUpload(*sqlData, &editor, movie, files), 21);
  ASSERT_TRUE(PumpUntil([&] { return done.has_value() && server.RequestCount() == 21 && AllIdle(); }));
  EXPECT_EQ(UploadDoneMessage(*done), "영화정보를 업로드 했습니다.\r감사합니다"_k);

  std::vector<std::string> received;
  for (const TReceivedRequest& r : server.Requests()) {
    EXPECT_EQ(r.Method, "POST");
    EXPECT_EQ(r.Target, "/vidrena/movie_insert.php");
    ASSERT_EQ(r.Body.rfind("sqltext=", 0), 0u);
    // Only the one form field: every "&", "=" and "+" of the values is encoded.
    EXPECT_EQ(r.Body.find_first_of("&+= \"'", 8), std::string::npos) << r.Body;
    received.push_back(PercentDecoded(r.Body.substr(8)));
  }
  std::vector<AnsiString> expected = UploadStatements(movie, files);
  std::sort(received.begin(), received.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(received, expected);

  auto count = [&](const char* table) {
    return std::count_if(received.begin(), received.end(),
                         [&](const std::string& s) { return s.find(table) != std::string::npos; });
  };
  EXPECT_EQ(count("`vidrena_movie_table`"), 1);
  EXPECT_EQ(count("`vidrena_fileid_table`"), 10);
  EXPECT_EQ(count("`vidrena_file_table`"), 10);
  EXPECT_EQ(count(File(10).FileName.c_str()), 1);  // row 10's file-name statement travels too
  EXPECT_EQ(count(File(11).FileId.c_str()), 0);

  AnsiString movieStatement = MovieInsertStatement(movie);
  EXPECT_NE(movieStatement.find(R"(VALUES ("Tom \"Big\" O\'Neil \\ Jerry & Co + )"), std::string::npos);
  EXPECT_NE(movieStatement.find("\"Oldboy\", \"한국\", \"\", \"2003-11-21\""_k), std::string::npos);
  EXPECT_NE(movieStatement.find(R"("120\'")"), std::string::npos);
  EXPECT_EQ(movieStatement.substr(movieStatement.size() - 3), "); ");
  EXPECT_NE(FileNameInsertStatement(files[0]).find(R"(("it\'s \"x\".avi", "2D85AC01"); )"), std::string::npos);
  AnsiString fileIdStatement = FileIdInsertStatement(movie, files[1]);
  EXPECT_NE(fileIdStatement.find("\"2D85AC02\", \"한국어\", \"DVDRip\", \"DVD\", \"XviD\", \"MP3\", \"700\");"_k),
            std::string::npos);

  // A second upload while nothing runs reuses the row components.
  int components = editor.ComponentCount();
  done.reset();
  StartFileIdUpload(*sqlData, &editor, movie, files);
  ASSERT_TRUE(PumpUntil([&] { return done.has_value() && server.RequestCount() == 42 && AllIdle(); }));
  EXPECT_EQ(editor.ComponentCount(), components);
}

TEST_F(FileIdServiceTest, UploadFailureIsReportedOnlyWhenAsked) {
  SetFileIdServiceHost("127.0.0.1:1");  // nothing listens there
  bool failed = false;
  sqlData->OnError = [&](TObject*) { failed = true; };
  StartFileIdUpload(*sqlData, &editor, {}, {});
  ASSERT_TRUE(PumpUntil([&] { return failed; }));
  EXPECT_EQ(UploadErrorMessage(1), "서버에 접속 할수 없습니다. ㅜ.ㅜ"_k);
  EXPECT_EQ(UploadErrorMessage(0), "");
  EXPECT_EQ(UploadDoneMessage(""), "");
}
