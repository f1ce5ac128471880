// The embedded browser on pages served from 127.0.0.1: the body handed over
// in the serialisation the portal markers are written in, code page 949
// text, navigation history, and a scrape of a real browser's document.
#include "platform/web/WebBrowser.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <map>

#include "app/PortalScrapers.h"
#include "app/WebHosts.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "tests/app/HttpTestSupport.h"

// The browser engine frees some of its own objects with a sized delete of a
// base type; under AddressSanitizer that reads as a type mismatch inside the
// engine, so this suite does not check for it (our code is checked by the
// other suites).
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }

namespace {

std::string Fixture(const std::string& name) {
  std::ifstream in(std::string(VIDRENA_TEST_DATA) + "/portal/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ReplacedAll(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}

// The engine's first page starts its helper process: allow it a while.
constexpr std::chrono::seconds kPageDeadline{20};

// Serves the portal fixtures with every outside host replaced by the server
// itself, so that no picture request leaves the machine; "/plain" is a
// Korean page that declares no character set.
class WebBrowserTest : public ::testing::Test {
 protected:
  LocalHttpServer server{[this](const TReceivedRequest& r, TServerConnection& c) {
    std::string path = r.Target.substr(0, r.Target.find('?'));
    if (path == "/busy") {
      // The page's script never yields once it has loaded.
      c.Send(LocalHttpServer::Reply(
          200, "<html><body>busy<script>setTimeout(function () { for (;;) {} }, 50);</script></body></html>",
          "Content-Type: text/html\r\n"));
      return;
    }
    if (path == "/slow") {
      c.Pause(2000);
      c.Send(LocalHttpServer::Reply(200, "<html><body>late</body></html>", "Content-Type: text/html\r\n"));
      return;
    }
    if (path == "/plain") {
      c.Send(LocalHttpServer::Reply(200, "<html><body><p>올드보이</p></body></html>"_k,
                                    "Content-Type: text/html\r\n"));
      return;
    }
    std::string body = path.size() > 1 ? Fixture(path.substr(1)) : std::string();
    if (body.empty()) {
      c.Send(LocalHttpServer::Reply(404, "<html><body>none</body></html>", "Content-Type: text/html\r\n"));
      return;
    }
    c.Send(LocalHttpServer::Reply(200, Local(body), "Content-Type: text/html\r\n"));
  }};
  TForm* form = nullptr;
  TWebBrowser* browser = nullptr;
  int completed = 0;

  std::string Local(std::string page) {
    for (const char* host : {"img.maxmovie.com", "imgmovie.naver.com", "image.cine21.com", "ia.imdb.com",
                             "www.oldboy.co.kr"})
      page = ReplacedAll(page, host, server.HostPort());
    return page;
  }

  void SetUp() override {
    form = new TForm(nullptr);
    form->SetBounds(0, 0, 800, 600);
    browser = new TWebBrowser(form);
    browser->SetParent(form);
    browser->SetBounds(0, 0, 780, 560);
    browser->OnDocumentComplete = [this](TObject*, const AnsiString&) { ++completed; };
    form->Show();
  }
  void TearDown() override { delete form; }

  bool Load(const std::string& path) {
    int before = completed;
    browser->Navigate(server.Url(path));
    return PumpUntil([&] { return completed > before && !browser->Busy(); }, kPageDeadline);
  }
};

// The body part of a fixture page, as the page's own serialisation. The line
// break after "</HTML>" belongs to the body too: the HTML parser puts text
// after the end of a page at the end of its body.
std::string Body(const std::string& page) {
  size_t start = page.find("<BODY>") + 6;
  return page.substr(start, page.rfind("</BODY>") - start) + "\r\n";
}

}  // namespace

TEST_F(WebBrowserTest, BodyHtmlComesInTheMarkersSerialisation) {
  ASSERT_TRUE(Load("/serialise.html"));
  AnsiString html = browser->BodyInnerHTML();
  const AnsiString expected =
      "<TABLE cellPadding=4 cellSpacing=0><TBODY><TR><TD colSpan=2 background=/img/txt_right.gif width=10>"
      "셀&nbsp;하나 &amp; 둘</TD></TR></TBODY></TABLE>\r\n"
      "<SPAN class=title>제목</SPAN><A href=\"photogallery\" name=poster><IMG src=\"/p.jpg\" alt=\"a b\"></A>\r\n"
      "<P style=\"FONT-SIZE: 13pt; MARGIN-LEFT: 20px\">글</P><!-- 정보란 --><BR>x<INPUT value=\"say &quot;hi&quot;\">\r\n"
      "<SCRIPT>var a = 1 < 2 && 3 > 2;</SCRIPT>\r\n"_k;
  EXPECT_EQ(Cp949ToUtf8(html), Cp949ToUtf8(expected));
}

TEST_F(WebBrowserTest, PortalPageRoundTripsAndScrapesLikeItsFixture) {
  SetPortalImageHost(3, server.HostPort());
  ASSERT_TRUE(Load("/portal3.html"));
  AnsiString html = browser->BodyInnerHTML();
  EXPECT_EQ(Cp949ToUtf8(html), Cp949ToUtf8(Body(Local(Fixture("portal3.html")))));

  AnsiString text = browser->BodyInnerText();
  EXPECT_NE(text.find("· 감  독 박찬욱\r\n"_k), std::string::npos) << Cp949ToUtf8(text);

  TPortalScrape s = ScrapePortal3(ReadPortalPage(*browser));
  std::map<int, AnsiString> expected = {
      {mfTitle, "올드보이"_k},       {mfOriginalTitle, "Oldboy"},     {mfYear, "2003"},
      {mfReleaseDate, "2003-11-21"}, {mfViewingRating, "18세 관람가"_k}, {mfRunningTime, "120"},
      {mfGenre, "스릴러"_k},         {mfCountry, "한국"_k},           {mfDirector, "박찬욱"_k},
      {mfCast, "최민식, 유지태"_k},  {mfStars, "★★★★☆"_k},
      {mfHomePage, "http://" + server.HostPort()},
      {mfPosterAddress, "http://" + server.HostPort() + "/image/poster/lposter004321.jpg"},
      {mfRelatedPage, server.Url("/portal3.html")}};
  for (const auto& [field, value] : expected) {
    const AnsiString* got = s.Find(field);
    ASSERT_NE(got, nullptr) << field;
    EXPECT_EQ(Cp949ToUtf8(*got), Cp949ToUtf8(value)) << field;
  }
  SetPortalImageHost(3, "img.maxmovie.com");
}

TEST_F(WebBrowserTest, KoreanPagesArriveAsCodePage949) {
  ASSERT_TRUE(Load("/plain"));  // no character set declared anywhere
  EXPECT_EQ(browser->BodyInnerText(), "올드보이"_k);
  ASSERT_TRUE(Load("/portal1.html"));  // declared as euc-kr
  EXPECT_NE(browser->BodyInnerHTML().find("<SPAN class=title>올드보이</SPAN>"_k), std::string::npos);
}

TEST_F(WebBrowserTest, BackAndForwardFollowTheHistoryAndTheAddressKeepsItsEscapes) {
  EXPECT_EQ(browser->LocationURL(), "");
  EXPECT_EQ(browser->BodyInnerHTML(), "");
  ASSERT_TRUE(Load("/portal0.html?query=%BF%C3%B5%E5"));
  EXPECT_EQ(browser->LocationURL(), server.Url("/portal0.html?query=%BF%C3%B5%E5"));
  ASSERT_TRUE(Load("/portal3.html"));

  int before = completed;
  browser->GoBack();
  ASSERT_TRUE(PumpUntil([&] { return completed > before && !browser->Busy(); }, kPageDeadline));
  EXPECT_EQ(browser->LocationURL(), server.Url("/portal0.html?query=%BF%C3%B5%E5"));
  EXPECT_NE(browser->BodyInnerHTML().find("javascript:iwopen("), std::string::npos);

  before = completed;
  browser->GoForward();
  ASSERT_TRUE(PumpUntil([&] { return completed > before && !browser->Busy(); }, kPageDeadline));
  EXPECT_EQ(browser->LocationURL(), server.Url("/portal3.html"));
}

TEST_F(WebBrowserTest, APageThatNeverAnswersCostsOnlyTheBoundedWait) {
  ASSERT_TRUE(Load("/busy"));
  // Let the page's endless loop start.
  auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(300);
  PumpUntil([&] { return std::chrono::steady_clock::now() > settle; });
  int saved = TWebBrowser::ScriptTimeoutMs;
  TWebBrowser::ScriptTimeoutMs = 500;
  auto start = std::chrono::steady_clock::now();
  AnsiString html = browser->BodyInnerHTML();
  auto waited = std::chrono::steady_clock::now() - start;
  TWebBrowser::ScriptTimeoutMs = saved;
  EXPECT_EQ(html, "");
  EXPECT_LT(waited, std::chrono::seconds(3));
}

TEST_F(WebBrowserTest, ClosingTheWindowWhileAPageLoadsIsSafe) {
  browser->Navigate(server.Url("/slow"));
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() > 0; }, kPageDeadline));
  EXPECT_TRUE(browser->Busy());
  delete form;
  form = nullptr;
  server.Release();
  auto settle = std::chrono::steady_clock::now() + std::chrono::milliseconds(500);
  PumpUntil([&] { return std::chrono::steady_clock::now() > settle; });
  EXPECT_EQ(completed, 0);
}
