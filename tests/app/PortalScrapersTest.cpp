// The portal scrapers on pages written the way each portal's body reads
// (tests/data/portal/), the commentary pages, the search addresses and the
// poster names.
#include <gtest/gtest.h>

#include <map>

#include "app/PortalScrapers.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/rtl/Cp949.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/HttpTestSupport.h"

namespace {

AnsiString Fixture(const char* name) {
  AnsiString bytes = ReadTextFile(AnsiString(VIDRENA_TEST_DATA) + "/portal/" + name);
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

// The body of a fixture page, as the browser hands it over.
AnsiString Body(const AnsiString& page) {
  size_t start = page.find("<BODY>");
  size_t end = page.rfind("</BODY>");
  if (start == std::string::npos || end == std::string::npos) return page;
  return page.substr(start + 6, end - start - 6);
}

TPortalPage FixturePage(int portal, const AnsiString& url) {
  AnsiString n = IntToStr(portal);
  return {url, Body(Fixture(("portal" + n + ".html").c_str())), Fixture(("portal" + n + ".txt").c_str())};
}

using TExpected = std::map<int, const char*>;

void ExpectFields(const TPortalScrape& scrape, const TExpected& expected) {
  for (const auto& [field, value] : expected) {
    const AnsiString* got = scrape.Find(field);
    ASSERT_NE(got, nullptr) << "field " << field << " not written";
    EXPECT_EQ(*got, Utf8ToCp949(value)) << "field " << field << ": " << Cp949ToUtf8(*got);
  }
}

AnsiString Replaced(const AnsiString& s, const char* from, const char* to) {
  return StringReplace(s, Utf8ToCp949(from), Utf8ToCp949(to), {TReplaceFlag::rfReplaceAll});
}

const char kPortal0Url[] = "http://movie.naver.com/movie/bi/mi/basic.nhn?code=36843";

}  // namespace

TEST(PortalScrapers, Portal0PageFillsTheRecordAndAsksForPosterAndCommentary) {
  TPortalScrape s = ScrapePortal0(FixturePage(0, kPortal0Url));
  EXPECT_TRUE(s.Message.empty());
  ExpectFields(s, {{mfTitle, "올드보이"},
                   {mfOriginalTitle, "Oldboy"},
                   {mfYear, "2003"},
                   {mfCountry, "한국"},
                   {mfGenre, "스릴러"},
                   {mfRunningTime, "120"},
                   {mfReleaseDate, "2003-11-21"},
                   {mfDirector, "박찬욱"},
                   {mfCast, "최민식, 유지태, 강혜정"},
                   {mfViewingRating, "18세관람가"},
                   {mfScore, "8.5"},
                   {mfStars, "★★★★"},
                   {mfHomePage, "http://www.oldboy.co.kr"},
                   {mfRelatedPage, kPortal0Url},
                   {mfSynopsis, "15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극."},
                   {mfPosterAddress, "http://imgmovie.naver.com/mdi/mit110/0361/C6122-00.jpg"}});
  ASSERT_TRUE(s.Poster);
  EXPECT_EQ(s.Poster->URL, "http://imgmovie.naver.com/mdi/mit110/0361/C6122-00.jpg");
  EXPECT_EQ(s.Poster->FileName, "C6122-00.jpg");
  ASSERT_TRUE(s.Commentary);
  EXPECT_EQ(s.Commentary->Tag, 0);
  EXPECT_EQ(s.Commentary->URL, "http://movie.naver.com/movie/bi/mi/detail.nhn?code=36843&mb=c");
}

TEST(PortalScrapers, Portal0HeadBlockAndParenthesisVariants) {
  TPortalPage page = FixturePage(0, kPortal0Url);
  // Without "한핏줄 영화" the head block starts at "명대사".
  page.Text = Replaced(page.Text, "한핏줄 영화", "명대사");
  ExpectFields(ScrapePortal0(page), {{mfTitle, "올드보이"}, {mfYear, "2003"}, {mfCountry, "한국"}});
  page.Text = Replaced(page.Text, "명대사", "평점·리뷰");
  ExpectFields(ScrapePortal0(page), {{mfTitle, "올드보이"}, {mfGenre, "스릴러"}});

  // A year alone in the parenthesis: only the year; no original title written.
  page.Text = Replaced(page.Text, "(Oldboy, 2003)", "(2003)");
  TPortalScrape yearOnly = ScrapePortal0(page);
  ExpectFields(yearOnly, {{mfYear, "2003"}});
  EXPECT_EQ(yearOnly.Find(mfOriginalTitle), nullptr);

  // "Original, 2004": original title and year.
  page.Text = Replaced(page.Text, "(2003)", "(Original, 2004)");
  ExpectFields(ScrapePortal0(page), {{mfOriginalTitle, "Original"}, {mfYear, "2004"}});
}

TEST(PortalScrapers, Portal0ResultListAsksToChooseAMovie) {
  TPortalScrape s = ScrapePortal0(
      {"http://movie.naver.com/movie/search/result.nhn?where=movie&query=x", Fixture("portal0.html"), "x"});
  EXPECT_EQ(s.Message, "영화를 선택 하세요."_k);
  EXPECT_TRUE(s.Fields.empty());
  EXPECT_FALSE(s.Poster);
  EXPECT_FALSE(s.Commentary);
}

TEST(PortalScrapers, Portal1PageFillsTheRecord) {
  const char url[] = "http://www.cine21.com/movies/movie.asp?id=1234";
  TPortalScrape s = ScrapePortal1(FixturePage(1, url));
  ExpectFields(s, {{mfTitle, "올드보이"},
                   {mfYear, "2003"},
                   {mfOriginalTitle, "Oldboy"},
                   {mfRunningTime, "120"},
                   {mfViewingRating, "18세 관람가"},
                   {mfReleaseDate, "2003.11.21"},
                   {mfHomePage, "http://www.oldboy.co.kr"},
                   {mfSynopsis, "15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극."},
                   {mfPosterAddress, "http://image.cine21.com/poster/2003/1234.jpg"},
                   {mfCommentary, "."},
                   {mfGenre, "스릴러"},
                   {mfCountry, "한국"},
                   {mfDirector, "박찬욱"},
                   {mfCast, "최민식, 유지태"},
                   {mfScore, "8.9"},
                   {mfRelatedPage, url}});
  ASSERT_TRUE(s.Poster && s.Commentary);
  EXPECT_EQ(s.Poster->FileName, "1234.jpg");
  EXPECT_EQ(s.Poster->UserName, "올드보이"_k);
  EXPECT_EQ(s.Commentary->Tag, 1);
  EXPECT_EQ(s.Commentary->URL, "http://www.cine21.com/movies/note.asp?id=1234");
}

TEST(PortalScrapers, Portal1AnimationAndShortInformationLines) {
  TPortalPage page = FixturePage(1, "http://www.cine21.com/movies/movie.asp?id=1");
  page.Text = Replaced(page.Text, "장르 스릴러", "장르 애니메이션");
  page.Text = Replaced(page.Text, "출연 최민식, 유지태", "목소리 히이라기 루미");
  ExpectFields(ScrapePortal1(page), {{mfDirector, "박찬욱"}, {mfCast, "히이라기 루미"}});

  page.Html = Replaced(page.Html, "120분 / 18세 관람가 / 2003.11.21", "120분 / 2003.11.21");
  ExpectFields(ScrapePortal1(page), {{mfRunningTime, "120"}, {mfReleaseDate, "2003.11.21"}});
  page.Html = Replaced(page.Html, "120분 / 2003.11.21", "95분 / 전체 관람가");
  ExpectFields(ScrapePortal1(page), {{mfRunningTime, "95"}, {mfViewingRating, "전체 관람가"}});
}

TEST(PortalScrapers, ImdbPageFillsTheRecordWithoutCommentary) {
  const char url[] = "http://www.imdb.com/title/tt0364569/";
  TPortalScrape s = ScrapePortal2(FixturePage(2, url));
  ExpectFields(s, {{mfRelatedPage, url},
                   {mfTitle, "Oldboy"},
                   {mfOriginalTitle, "Oldboy"},
                   {mfYear, "2003"},
                   {mfDirector, "Chan-wook Park"},
                   {mfCountry, "South Korea"},
                   {mfGenre, "Drama , Mystery , Thriller"},
                   {mfRunningTime, "120"},
                   {mfViewingRating, "Rated R"},
                   {mfScore, "8.4"},
                   {mfCast, "Min-sik Choi (Dae-su Oh ), Ji-tae Yu (Woo-jin Lee"}});
  EXPECT_EQ(s.Find(mfCommentary), nullptr);
  EXPECT_EQ(s.Find(mfPosterAddress), nullptr);
  EXPECT_FALSE(s.Commentary);
  ASSERT_TRUE(s.Poster);
  EXPECT_EQ(s.Poster->URL, "http://ia.imdb.com/media/imdb/01/I/25/65/31m.jpg");
  EXPECT_EQ(s.Poster->FileName, "31m.jpg");

  // Two directors on two lines are joined with ",".
  TPortalPage page = FixturePage(2, url);
  page.Text = Replaced(page.Text, "Chan-wook Park\r\n", "Chan-wook Park\r\nSecond Person\r\n");
  ExpectFields(ScrapePortal2(page), {{mfDirector, "Chan-wook Park,Second Person"}});
}

TEST(PortalScrapers, Portal3FiveAndFourSegmentLinesAndPaddedPoster) {
  const char url[] = "http://www.maxmovie.com/movies/movie.html?id=4321";
  TPortalScrape s = ScrapePortal3(FixturePage(3, url));
  ExpectFields(s, {{mfTitle, "올드보이"},
                   {mfOriginalTitle, "Oldboy"},
                   {mfYear, "2003"},
                   {mfReleaseDate, "2003-11-21"},
                   {mfViewingRating, "18세 관람가"},
                   {mfRunningTime, "120"},
                   {mfGenre, "스릴러"},
                   {mfCountry, "한국"},
                   {mfSynopsis, "15년 동안 이유도 모른 채 갇혀 지낸 남자의 복수극."},
                   {mfStars, "★★★★☆"},
                   {mfScore, "8.5"},
                   {mfDirector, "박찬욱"},
                   {mfCast, "최민식, 유지태"},
                   {mfHomePage, "http://www.oldboy.co.kr"},
                   {mfPosterAddress, "http://img.maxmovie.com/image/poster/lposter004321.jpg"}});
  ASSERT_TRUE(s.Poster && s.Commentary);
  EXPECT_EQ(s.Poster->FileName, "004321.jpg");
  EXPECT_EQ(s.Commentary->Tag, 2);
  EXPECT_EQ(s.Commentary->URL, "http://www.maxmovie.com/movies/cinedata.html?cinemaID=4321&mode=2#contents");

  TPortalPage page = FixturePage(3, url);
  page.Html = Replaced(page.Html, " / 18세 관람가 / ", " / ");
  TPortalScrape four = ScrapePortal3(page);
  ExpectFields(four, {{mfReleaseDate, "2003-11-21"}, {mfRunningTime, "120"}, {mfGenre, "스릴러"}, {mfCountry, "한국"}});
  EXPECT_EQ(four.Find(mfViewingRating), nullptr);

  // A six-digit number is used as it is; the cast ends at the head copy
  // when there is no home-page line.
  page.Html = Replaced(page.Html, "movie_rank@4321@@", "movie_rank@123456@@");
  page.Text = Replaced(page.Text, "· 공식홈페이지", "· 헤드카피");
  TPortalScrape six = ScrapePortal3(page);
  EXPECT_EQ(six.Poster->FileName, "123456.jpg");
  ExpectFields(six, {{mfCast, "최민식, 유지태"}});
}

TEST(PortalScrapers, WebDataNeverNamesAFileOutsideThePosterFolder) {
  TPortalPage page = FixturePage(3, "http://www.maxmovie.com/x");
  page.Html = Replaced(page.Html, "movie_rank@4321@@", "movie_rank@../../etc/x@@");
  TPortalScrape s = ScrapePortal3(page);
  ASSERT_TRUE(s.Poster);
  EXPECT_EQ(s.Poster->FileName, "");

  page = FixturePage(1, "http://www.cine21.com/movies/movie.asp?id=1");
  page.Html = Replaced(page.Html, "/poster/2003/1234s.jpg", "/poster/..\\..\\evil s.jpg");
  s = ScrapePortal1(page);
  EXPECT_EQ(s.Poster->FileName.find('\\'), std::string::npos);
  EXPECT_EQ(s.Poster->FileName.find('/'), std::string::npos);
  EXPECT_NE(s.Poster->FileName, "..");
}

TEST(PortalScrapers, EmptyOrShortPagesGiveEmptyFieldsNeverACrash) {
  const std::vector<AnsiString> texts = {"", "(", ")", "(,)", "x", "한핏줄 영화 (, ) 포스터 크게보기"_k,
                                         "submit a comment ( Directed by", "Rating: (votes"};
  for (int portal = 0; portal < kPortalCount; ++portal) {
    for (const AnsiString& t : texts) {
      TPortalScrape s = ScrapePortalPage(portal, {"", t, t});
      for (const auto& [field, value] : s.Fields) {
        // Fixed texts: the rating's "관람가", the commentary's ".", the
        // built poster address and portal 3's score of no stars.
        if (field != mfViewingRating && field != mfCommentary && field != mfPosterAddress && field != mfScore) {
          EXPECT_LE(value.size(), t.size()) << portal << " field " << field;
        }
      }
    }
  }
  // The poster cut of portal 0 on a 16-character address gives nothing.
  TPortalScrape s = ScrapePortal0(
      {"u", "align=absMiddle><A class=blue2 href=\"javascript:iwopen(0123456789abcdef포스터 크게보기"_k, ""});
  EXPECT_EQ(*s.Find(mfPosterAddress), "");
  EXPECT_EQ(s.Poster->FileName, "");
  EXPECT_TRUE(ScrapePortalPage(7, {"u", "h", "t"}).Fields.empty());
}

TEST(PortalScrapers, CommentaryOfEachPortal) {
  EXPECT_EQ(ParseCommentary(0, Fixture("portal0-commentary.html")),
            "복수는 나의 것에 이은 박찬욱 감독의 복수 3부작 두 번째 영화.칸 심사위원대상 수상작."_k);
  EXPECT_EQ(ParseCommentary(1, Fixture("portal1-commentary.html")),
            "영화노트복수 3부작의 두 번째 이야기.칸 수상."_k);
  EXPECT_EQ(ParseCommentary(2, Fixture("portal3-commentary.html")),
            "박찬욱 감독의 복수 3부작 가운데 두 번째.칸 심사위원대상."_k);
  // Each reply is read with the format of the portal that asked for it.
  EXPECT_EQ(ParseCommentary(2, Fixture("portal1-commentary.html")), ".");
  EXPECT_EQ(ParseCommentary(0, ""), ".");
  EXPECT_EQ(ParseCommentary(3, Fixture("portal3-commentary.html")), std::nullopt);
}

TEST(PortalScrapers, SearchAddressesCarryTheTextAsTyped) {
  EXPECT_EQ(PortalSearchURL(0, "Tom & Jerry #2"),
            "http://movie.naver.com/movie/search/result.nhn?where=movie&query=Tom%20%26%20Jerry%20%232");
  EXPECT_EQ(PortalSearchURL(1, "올드보이"_k), "http://www.cine21.com/movies/search.asp?title=%BF%C3%B5%E5%BA%B8%C0%CC");
  EXPECT_EQ(PortalSearchURL(2, "a+b%"), "http://www.imdb.com/find?tt=on;nm=on;mx=20;q=a%2Bb%25");
  EXPECT_EQ(PortalSearchURL(3, "x"), "http://www.maxmovie.com/movies/search_new.html?searchType=99&searchString=x");
  EXPECT_EQ(PortalSearchURL(4, "x"), "");
}

namespace {

// A portal on 127.0.0.1 whose replies wait until the test releases them.
class PortalDownloadTest : public HttpTest {
 protected:
  LocalHttpServer server{[](const TReceivedRequest& r, TServerConnection& c) {
    c.Pause(r.Target.find("slow") != std::string::npos ? 3000 : 0);
    c.Send(LocalHttpServer::Reply(200, "poster bytes"));
  }};
  TComponent editor{nullptr};
  THTTPGet* getDB = new THTTPGet(&editor);
  THTTPGet* getPoster = new THTTPGet(&editor);
  TempFolder posters;
};

}  // namespace

TEST_F(PortalDownloadTest, ACommentaryReplyKeepsTheTagOfThePortalThatAskedForIt) {
  std::optional<std::intptr_t> tagAtReply;
  getDB->OnDoneString = [&](TObject*, const AnsiString&) { tagAtReply = getDB->Tag(); };
  ASSERT_TRUE(StartCommentaryDownload(*getDB, {0, server.Url("/slow")}));
  // A scrape of another portal while the first reply is on its way.
  EXPECT_FALSE(StartCommentaryDownload(*getDB, {2, server.Url("/other")}));
  server.Release();
  ASSERT_TRUE(PumpUntil([&] { return tagAtReply.has_value(); }));
  EXPECT_EQ(*tagAtReply, 0);
  EXPECT_EQ(server.RequestCount(), 1u);
}

TEST_F(PortalDownloadTest, ThePosterLandsInThePosterFolderUnderItsOwnName) {
  std::optional<AnsiString> saved;
  getPoster->OnDoneFile = [&](TObject*, const AnsiString& name, int) { saved = name; };
  EXPECT_FALSE(StartPosterDownload(*getPoster, posters.Path(), {server.Url("/"), "", "t"}));
  // A title cut from a page may hold a line break; the download still goes.
  ASSERT_TRUE(
      StartPosterDownload(*getPoster, posters.Path(), {server.Url("/p/004321.jpg"), "004321.jpg", "Old\r\nboy"}));
  ASSERT_TRUE(PumpUntil([&] { return saved.has_value(); }));
  EXPECT_EQ(*saved, posters.Path() + "004321.jpg");
  EXPECT_EQ(ReadTextFile(*saved), "poster bytes");
  EXPECT_EQ(ListFolder(posters.Path()), std::vector<AnsiString>{"004321.jpg"});
}

TEST(PortalScrapers, PortalsOneToThreeNameThePosterRequestAfterTheTitlePortalZeroDoesNot) {
  const std::pair<int, const char*> pages[] = {{0, kPortal0Url},
                                               {1, "http://www.cine21.com/movies/movie.asp?id=1234"},
                                               {2, "http://www.imdb.com/title/tt0364569/"},
                                               {3, "http://www.maxmovie.com/movies/movie.html?id=4321"}};
  for (const auto& [portal, url] : pages) {
    SCOPED_TRACE(portal);
    const TPortalScrape s = ScrapePortalPage(portal, FixturePage(portal, url));
    ASSERT_TRUE(s.Poster);
    const AnsiString* title = s.Find(mfTitle);
    ASSERT_NE(title, nullptr);
    if (portal == 0) {
      EXPECT_FALSE(s.Poster->UserName.has_value());
    } else {
      ASSERT_TRUE(s.Poster->UserName.has_value());
      EXPECT_EQ(*s.Poster->UserName, *title);
    }
  }
}

TEST_F(PortalDownloadTest, APortalZeroPosterKeepsTheUserNameOfTheRequestBeforeIt) {
  int saved = 0;
  getPoster->OnDoneFile = [&](TObject*, const AnsiString&, int) { ++saved; };
  ASSERT_TRUE(StartPosterDownload(*getPoster, posters.Path(), {server.Url("/p/1234.jpg"), "1234.jpg", "올드보이"_k}));
  ASSERT_TRUE(PumpUntil([&] { return saved == 1 && !getPoster->Busy(); }));
  EXPECT_EQ(getPoster->UserName(), "올드보이"_k);
  ASSERT_TRUE(StartPosterDownload(*getPoster, posters.Path(), {server.Url("/p/C6122-00.jpg"), "C6122-00.jpg", {}}));
  EXPECT_EQ(getPoster->UserName(), "올드보이"_k);
  ASSERT_TRUE(PumpUntil([&] { return saved == 2 && !getPoster->Busy(); }));
  // An empty title is a name too: it replaces the one before.
  ASSERT_TRUE(StartPosterDownload(*getPoster, posters.Path(), {server.Url("/p/x.jpg"), "x.jpg", ""}));
  EXPECT_EQ(getPoster->UserName(), "");
  ASSERT_TRUE(PumpUntil([&] { return saved == 3 && !getPoster->Busy(); }));
}
