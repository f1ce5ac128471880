#include "app/UpdateCheck.h"

#include <gtest/gtest.h>

#include "app/AppVersion.h"
#include "app/WebHosts.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ShellApi.h"
#include "tests/app/HttpTestSupport.h"

namespace {

std::string UpdateFile(const std::string& version) {
  return "<html><body>news\n[Vidrena]\n [ver] " + version + " [/ver]\n[/Vidrena]\n</body></html>";
}

// The maker's server on 127.0.0.1, answering with whatever the test sets;
// the fakes record what the user would have seen.
class UpdateCheckTest : public HttpTest {
 protected:
  std::string reply;
  int status = 200;
  std::atomic<int> delayMs{0};
  LocalHttpServer server{[this](const TReceivedRequest& r, TServerConnection& c) {
    if (delayMs > 0) c.Pause(delayMs);
    if (r.Target == "/update.vd") c.Send(LocalHttpServer::Reply(status, reply));
    else c.Send(LocalHttpServer::Reply(404, "no"));
  }};
  TComponent window{nullptr};
  TUpdateCheck* check = nullptr;
  AnsiString savedServer;
  AnsiString savedHome;

  void SetUp() override {
    HttpTest::SetUp();
    savedServer = UpdateServerURL();
    savedHome = HomePageURL();
    SetUpdateServerURL(server.Url("/"));
    SetHomePageURL("http://home.invalid/vidrena");
    TDialogFakes::Enable();
    TShellFake::Enable();
    check = new TUpdateCheck(&window);
  }
  void TearDown() override {
    HttpTest::TearDown();
    TShellFake::Disable();
    TDialogFakes::Disable();
    SetUpdateServerURL(savedServer);
    SetHomePageURL(savedHome);
  }

  // Runs a check to its end; the texts of the boxes it showed.
  std::vector<AnsiString> Answer(bool atStart) {
    size_t before = server.RequestCount();
    if (atStart) check->StartupCheck(); else check->BtnUpdateClick();
    EXPECT_TRUE(PumpUntil([&] { return server.RequestCount() > before && !check->GetVer()->Busy(); }));
    std::vector<AnsiString> texts;
    for (const auto& box : TDialogFakes::MessageBoxes()) texts.push_back(box.Text);
    TDialogFakes::Clear();
    return texts;
  }
};

}  // namespace

TEST(UpdateVersion, TheOwnVersionRunsMinorReleaseAndBuildTogether) {
  EXPECT_EQ(OwnVersionText(1, 2, 0, 3), "1.203");
  EXPECT_EQ(OwnVersionText(), OwnVersionText(kVersionMajor, kVersionMinor, kVersionRelease, kVersionBuild));
}

TEST(UpdateVersion, PublishedVersionsCompareAsDecimalNumbers) {
  struct Case {
    std::string reply;
    TUpdateVerdict verdict;
  } cases[] = {
      {UpdateFile("1.21"), TUpdateVerdict::uvNewer},  // 1.21 > 1.203
      {UpdateFile("1.203"), TUpdateVerdict::uvNotNewer},
      {UpdateFile("1.2030"), TUpdateVerdict::uvNotNewer},
      {UpdateFile("1.2"), TUpdateVerdict::uvNotNewer},
      {UpdateFile("2"), TUpdateVerdict::uvNewer},
      {UpdateFile(""), TUpdateVerdict::uvUnreadable},
      {UpdateFile("1,3"), TUpdateVerdict::uvUnreadable},
      {UpdateFile("new"), TUpdateVerdict::uvUnreadable},
      {"[ver]9[/ver]", TUpdateVerdict::uvUnreadable},            // outside the block
      {"[Vidrena][ver]9[/Vidrena]", TUpdateVerdict::uvUnreadable},  // no end marker
      {"", TUpdateVerdict::uvUnreadable},
  };
  for (const Case& c : cases) EXPECT_EQ(JudgeUpdateReply(c.reply, "1.203"), c.verdict) << c.reply;

  // A decimal comma in the locale changes nothing.
  TFormatSettings saved = FormatSettings;
  FormatSettings.DecimalSeparator = ',';
  EXPECT_EQ(JudgeUpdateReply(UpdateFile("1.21"), "1.203"), TUpdateVerdict::uvNewer);
  FormatSettings = saved;
}

TEST_F(UpdateCheckTest, ANewerVersionOffersTheHomePageAtStartAndFromTheButton) {
  reply = UpdateFile("99.9");
  TDialogFakes::QueueAnswer(mrYes);
  EXPECT_EQ(Answer(true), std::vector<AnsiString>{kUpdateNewerPrompt});
  EXPECT_EQ(TShellFake::OpenedAddresses(), std::vector<AnsiString>{"http://home.invalid/vidrena"});
  EXPECT_EQ(check->GetVer()->Tag(), 0);

  TDialogFakes::QueueAnswer(mrNo);
  EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateNewerPrompt});
  EXPECT_EQ(TShellFake::OpenedAddresses().size(), 1u);
  EXPECT_EQ(server.Requests().at(0).Target, "/update.vd");
  EXPECT_EQ(server.Requests().at(0).Header("User-Agent"), "Webtrove HTTPGet");
}

TEST_F(UpdateCheckTest, AnEqualOrOlderVersionSpeaksOnlyFromTheButton) {
  for (const AnsiString& version : {OwnVersionText(), AnsiString("0.5")}) {
    reply = UpdateFile(version);
    EXPECT_EQ(Answer(true), std::vector<AnsiString>{}) << version;
    EXPECT_EQ(check->GetVer()->Tag(), 0);
    EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateNoneMessage}) << version;
  }
  EXPECT_TRUE(TShellFake::OpenedAddresses().empty());
}

TEST_F(UpdateCheckTest, AReplyWithoutMarkersIsSilentAtStartAndAClearErrorFromTheButton) {
  reply = "<html>maintenance</html>";
  EXPECT_EQ(Answer(true), std::vector<AnsiString>{});
  EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateUnreadableMessage});
  reply = UpdateFile("1.x");
  EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateUnreadableMessage});
}

TEST_F(UpdateCheckTest, AFailedCheckIsSilentAtStartAndSaysSoFromTheButton) {
  status = 500;
  reply = UpdateFile("99");  // an error page is never an answer
  EXPECT_EQ(Answer(true), std::vector<AnsiString>{});
  EXPECT_EQ(check->GetVer()->Tag(), 0);
  EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateFailedMessage});
  status = 200;
  reply = UpdateFile("0.1");
  EXPECT_EQ(Answer(false), std::vector<AnsiString>{kUpdateNoneMessage});
}

TEST_F(UpdateCheckTest, AWindowClosedDuringTheCheckShowsNothing) {
  reply = UpdateFile("99");
  check->StartupCheck();
  delete check;
  EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));
  EXPECT_TRUE(TDialogFakes::MessageBoxes().empty());
}

TEST_F(UpdateCheckTest, AClickWhileTheStartUpCheckRunsGetsItsAnswer) {
  reply = UpdateFile("0.1");
  delayMs = 300;
  check->StartupCheck();
  check->BtnUpdateClick();
  EXPECT_TRUE(PumpUntil([&] { return server.RequestCount() == 1 && !check->GetVer()->Busy(); }));
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_EQ(TDialogFakes::MessageBoxes()[0].Text, kUpdateNoneMessage);
}
