// The movie editor's portal tab end to end: the title searched with Enter
// on a portal served from 127.0.0.1, the movie page shown in the real
// browser, "가져오기" filling the record while the poster and the commentary
// arrive, another portal's result list refused with its message, and the
// browser's history walked back and forward.
#include <gtest/gtest.h>

#include <fstream>

#include "app/FormME.h"
#include "app/StrUnit.h"
#include "app/WebHosts.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/WindowImage.h"
#include "platform/web/WebBrowser.h"
#include "tests/app/AppTestSupport.h"
#include "tests/app/HttpTestSupport.h"

namespace {

std::string PortalFixture(const std::string& name) {
  std::ifstream in(std::string(VIDRENA_TEST_DATA) + "/portal/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string Replaced(std::string s, const std::string& from, const std::string& to) {
  for (size_t p = s.find(from); p != std::string::npos; p = s.find(from, p + to.size())) s.replace(p, from.size(), to);
  return s;
}

// The engine's first page starts its helper process: allow it a while.
constexpr std::chrono::seconds kPageDeadline{20};

class EditorWebTest : public ::testing::Test {
 protected:
  LocalHttpServer server{[this](const TReceivedRequest& r, TServerConnection& c) {
    const std::string path = r.Target.substr(0, r.Target.find('?'));
    const char* page = path == "/movies/search_new.html"      ? "portal3.html"
                       : path == "/movies/cinedata.html"      ? "portal3-commentary.html"
                       : path == "/movie/search/result.nhn"   ? "portal0.html"
                                                              : nullptr;
    if (page) {
      c.Send(LocalHttpServer::Reply(200, Local(PortalFixture(page)), "Content-Type: text/html\r\n"));
    } else if (path == "/image/poster/lposter004321.jpg") {
      c.Send(LocalHttpServer::Reply(200, jpeg, "Content-Type: image/jpeg\r\n"));
    } else {
      c.Send(LocalHttpServer::Reply(404, "<html><body>none</body></html>", "Content-Type: text/html\r\n"));
    }
  }};
  std::string jpeg = ReadFileBytes(FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/images/testsrc_64x48.jpg"));
  TempFolder folder;
  TFormME* editor = nullptr;
  int completed = 0;

  // Every outside host of a fixture page is this server: nothing leaves the machine.
  std::string Local(std::string page) {
    for (const char* host : {"img.maxmovie.com", "imgmovie.naver.com", "image.cine21.com", "ia.imdb.com",
                             "www.oldboy.co.kr"})
      page = Replaced(page, host, server.HostPort());
    return page;
  }

  void SetUp() override {
    TDialogFakes::Enable();
    for (int portal = 0; portal < kPortalCount; ++portal) {
      hosts_[portal] = {PortalHost(portal), PortalImageHost(portal)};
      SetPortalHost(portal, server.HostPort());
      SetPortalImageHost(portal, server.HostPort());
    }
    editor = new TFormME(nullptr);
    editor->PosterDir = folder.Path() + "Poster";
    editor->Show();
  }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));
    delete editor;
    for (int portal = 0; portal < kPortalCount; ++portal) {
      SetPortalHost(portal, hosts_[portal].first);
      SetPortalImageHost(portal, hosts_[portal].second);
    }
    TDialogFakes::Disable();
  }

  // Waits for the page whose address holds the path to finish loading.
  bool Shown(const std::string& path) {
    return PumpUntil(
        [&] {
          return editor->WebBrowser1 && !editor->WebBrowser1->Busy() &&
                 editor->WebBrowser1->LocationURL().find(path) != std::string::npos;
        },
        kPageDeadline);
  }

 private:
  std::pair<AnsiString, AnsiString> hosts_[kPortalCount];
};

}  // namespace

TEST_F(EditorWebTest, PortalPageFillsTheRecordAndItsPosterAndCommentaryArrive) {
  TFormME& me = *editor;
  me.WebSearchSite = 3;
  EXPECT_EQ(me.WebBrowser1, nullptr);  // no engine until a page is wanted
  const AnsiString typed = "올드 보이 & #1"_k;
  me.View_0->SetText(typed);
  SimulateKey(me.View_0, VK_RETURN, {}, "\r");
  EXPECT_EQ(me.PageControl1->ActivePage(), me.WebSheet);
  EXPECT_EQ(me.CurrentPortal, 3);
  EXPECT_EQ(me.LastSearchText, typed);
  ASSERT_TRUE(Shown("/movies/search_new.html"));
  // The search text arrives as typed: "&" and "#" do not cut it.
  const std::string target = server.Requests().at(0).Target;
  EXPECT_EQ(PercentDecoded(target.substr(target.find("searchString=") + 13)), typed);

  me.ScButton24->Click();
  EXPECT_EQ(me.PageControl1->ActivePage(), me.InfoSheet);
  EXPECT_EQ(me.View_0->Text(), "올드보이"_k);
  EXPECT_EQ(me.View_1->Text(), "Oldboy");
  EXPECT_EQ(me.View_2->Text(), "박찬욱"_k);
  EXPECT_EQ(me.View_4->Text(), "2003");
  EXPECT_EQ(me.View_5->Text(), "2003-11-21");
  EXPECT_EQ(me.View_8->Text(), "스릴러"_k);
  EXPECT_EQ(me.View_9->Text(), "120");
  // The score read from the page's stars sets the stars again.
  EXPECT_EQ(me.View_11->Text(), "8.5");
  EXPECT_EQ(me.View_10->Text(), RatingToStars("8.5"));
  EXPECT_EQ(me.View_13->Text(), server.Url("/movies/search_new.html") + target.substr(target.find('?')));
  EXPECT_EQ(me.View_40->Text(), server.Url("/image/poster/lposter004321.jpg"));

  ASSERT_TRUE(PumpUntil([&] { return me.View_16->Items()->Count() == 1 && me.View_15->Text() != "."; }));
  EXPECT_EQ(me.View_16->Items()->Strings(0), "004321.jpg");
  EXPECT_EQ(ReadFileBytes(me.PosterDir + "/004321.jpg"), jpeg);
  EXPECT_EQ(me.Imgposter->Picture()->Width(), 64);
  EXPECT_EQ(me.View_15->Text(), "박찬욱 감독의 복수 3부작 가운데 두 번째.칸 심사위원대상."_k);
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());
}

TEST_F(EditorWebTest, ResultListIsRefusedAndTheHistoryWalksBackAndForward) {
  TFormME& me = *editor;
  me.View_0->SetText("Oldboy");
  me.IMDB1->Click();  // the 검색 menu: portal 2, a page the server does not have
  EXPECT_EQ(me.CurrentPortal, 2);
  ASSERT_TRUE(Shown("/find"));
  // The portal buttons search again for the last search's text, whatever
  // the title box says now.
  me.View_0->SetText("changed");
  me.ScButton14->Click();
  EXPECT_EQ(me.CurrentPortal, 0);
  ASSERT_TRUE(Shown("/movie/search/result.nhn"));
  bool searched = false;
  for (const TReceivedRequest& r : server.Requests())
    searched |= r.Target.rfind("/movie/search/result.nhn?where=movie&query=Oldboy", 0) == 0;
  EXPECT_TRUE(searched);

  me.View_2->SetText("그대로"_k);
  me.PageControl1->SetActivePageIndex(1);
  me.ScButton24->Click();
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, "영화를 선택 하세요."_k);
  EXPECT_EQ(me.View_2->Text(), "그대로"_k);
  EXPECT_EQ(me.PageControl1->ActivePage(), me.InfoSheet);

  me.ScButton12->Click();
  ASSERT_TRUE(Shown("/find"));
  me.ScButton11->Click();
  ASSERT_TRUE(Shown("/movie/search/result.nhn"));
}

// The web tab showing a portal page, rendered as it shows; with
// VIDRENA_SHOT_DIR set the picture is kept there to be looked at.
TEST_F(EditorWebTest, WebTabRendersThePortalPage) {
  TFormME& me = *editor;
  const char* keep = std::getenv("VIDRENA_SHOT_DIR");
  const AnsiString shots = keep ? FromSysFileName(keep) + "/" : folder.Path();
  me.View_0->SetText("올드보이"_k);
  me.ScButton22->Click();
  ASSERT_TRUE(Shown("/movies/search_new.html"));
  me.PageControl1->SetActivePageIndex(1);
  // The page is painted a moment after it has loaded.
  PumpUntil([] { return false; }, std::chrono::milliseconds(700));
  ASSERT_TRUE(SaveWindowImage(&me, shots + "editor-web.png"));
  EXPECT_GT(ReadFileBytes(shots + "editor-web.png").size(), 1000u);
}
