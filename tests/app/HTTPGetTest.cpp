#include "app/HTTPGet.h"

#include <gtest/gtest.h>

#include <thread>

#include "tests/app/HttpTestSupport.h"

namespace {

// What a component reported, in order.
struct TEvents {
  std::vector<std::string> log;
  std::vector<std::pair<int, int>> progress;
  AnsiString result;
  AnsiString fileName;
  int fileSize = -1;
  TObject* sender = nullptr;

  void Attach(THTTPGet& get) {
    get.OnProgress = [this](TObject* s, int total, int readed) {
      sender = s;
      progress.emplace_back(total, readed);
      log.push_back("progress");
    };
    get.OnDoneString = [this](TObject* s, const AnsiString& r) {
      sender = s;
      result = r;
      log.push_back("string");
    };
    get.OnDoneFile = [this](TObject* s, const AnsiString& name, int size) {
      sender = s;
      fileName = name;
      fileSize = size;
      log.push_back("file");
    };
    get.OnError = [this](TObject* s) {
      sender = s;
      log.push_back("error");
    };
  }
  bool Completed() const {
    return !log.empty() && (log.back() == "string" || log.back() == "file" || log.back() == "error");
  }
  std::string Outcome() const { return Completed() ? log.back() : "none"; }
};

// Fires one request and waits for its completion.
std::string Fetch(THTTPGet& get, TEvents& events, bool toFile) {
  if (toFile) get.GetFile(); else get.GetString();
  EXPECT_TRUE(PumpUntil([&] { return events.Completed(); })) << "no completion for " << get.URL();
  EXPECT_TRUE(PumpUntil([&] { return !get.Busy(); }));
  return events.Outcome();
}

// Serves a few fixed resources the way ordinary and broken servers do.
void Serve(const TReceivedRequest& r, TServerConnection& c) {
  const std::string& t = r.Target;
  if (t == "/a/b.jpg") c.Send(LocalHttpServer::Reply(200, "jpg"));
  else if (t == "/text") c.Send(LocalHttpServer::Reply(200, "hello, 세계"));
  else if (t == "/nolength") c.Send(LocalHttpServer::Reply(200, "streamed", "", false));
  else if (t == "/badlength") c.Send("HTTP/1.0 200 OK\r\nContent-Length: 12abc\r\n\r\nhello, world");
  else if (t == "/empty") c.Send(LocalHttpServer::Reply(200, ""));
  else if (t == "/short") c.Send("HTTP/1.0 200 OK\r\nContent-Length: 1000\r\n\r\nonly this");
  else if (t == "/error500") c.Send(LocalHttpServer::Reply(500, "<html>server error</html>"));
  else if (t == "/moved") c.Send(LocalHttpServer::Reply(302, "", "Location: /text\r\n"));
  else if (t == "/huge") c.Send("HTTP/1.0 200 OK\r\nContent-Length: 67108865\r\n\r\nx");
  else if (t == "/slow") {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\nfirst");
    c.Pause(10000);
  } else if (t == "/trickle") {
    // A byte every 100 ms: it moves, but never 1 KB in a second.
    if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
    for (int i = 0; i < 600; ++i)
      if (!c.Send("x") || !c.Pause(100)) return;
  } else if (t == "/flood") {
    // Fast, long and under the string cap: only a time limit ends it.
    if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 60000000\r\n\r\n")) return;
    for (int i = 0; i < 600; ++i)
      if (!c.Send(std::string(4096, 'f')) || !c.Pause(100)) return;
  } else if (t.rfind("/big/", 0) == 0) {
    std::string body(std::stoul(t.substr(5)), 'b');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>('a' + i % 26);
    c.Send(LocalHttpServer::Reply(200, body));
  } else {
    c.Send(LocalHttpServer::Reply(404, "<html>not found</html>"));
  }
}

class HTTPGetTest : public HttpTest {
 protected:
  LocalHttpServer server{Serve};
  THTTPGet get{nullptr};
  TEvents events;
  void SetUp() override {
    HttpTest::SetUp();
    events.Attach(get);
  }
};

}  // namespace

TEST_F(HTTPGetTest, StartsWithTheDefaultsOfTheComponent) {
  EXPECT_EQ(get.AcceptTypes(), "*/*");
  EXPECT_EQ(get.Agent(), "Webtrove HTTPGet");
  EXPECT_FALSE(get.BinaryData());
  EXPECT_FALSE(get.UseCache());
  EXPECT_FALSE(get.WaitThread());
  EXPECT_EQ(get.URL(), "");
  EXPECT_EQ(get.FileName(), "");
  EXPECT_EQ(get.PostQuery(), "");
  EXPECT_FALSE(get.Busy());
}

TEST_F(HTTPGetTest, AGetIntoAStringSendsTheRequestShapeAndGivesTheText) {
  get.SetURL(server.Url("/text"));
  get.SetReferer("http://referer.invalid/");
  EXPECT_EQ(Fetch(get, events, false), "string");
  EXPECT_EQ(events.result, "hello, 세계");
  EXPECT_EQ(events.sender, &get);
  EXPECT_TRUE(get.LastResult());

  auto r = server.Requests().at(0);
  EXPECT_EQ(r.Method + " " + r.Target + " " + r.Version, "GET /text HTTP/1.0");
  EXPECT_EQ(r.Header("Accept"), "*/*");
  EXPECT_EQ(r.Header("User-Agent"), "Webtrove HTTPGet");
  EXPECT_EQ(r.Header("Referer"), "http://referer.invalid/");
  EXPECT_EQ(r.Header("Pragma"), "no-cache");  // reload unless UseCache
  EXPECT_FALSE(r.HasHeader("Content-Type"));
  EXPECT_EQ(r.Body, "");
}

TEST_F(HTTPGetTest, APostSendsTheFormTypeAndTheBodyUnchanged) {
  const AnsiString body = "sqltext=select * from t where a='가 나'&b=%41+"_k;
  get.SetURL(server.Url("/text"));
  get.SetPostQuery(body);
  get.SetUseCache(true);
  get.SetAgent("");
  EXPECT_EQ(Fetch(get, events, false), "string");
  auto r = server.Requests().at(0);
  EXPECT_EQ(r.Method + " " + r.Target + " " + r.Version, "POST /text HTTP/1.0");
  EXPECT_EQ(r.Header("Content-Type"), "application/x-www-form-urlencoded");
  EXPECT_EQ(r.Header("Content-Length"), std::to_string(body.size()));
  EXPECT_EQ(r.Body, body);
  EXPECT_FALSE(r.HasHeader("Pragma"));
  EXPECT_FALSE(r.HasHeader("User-Agent"));
}

TEST_F(HTTPGetTest, TheUrlMayCarryTheSchemeInAnyLetterCaseOrNone) {
  for (std::string url : {"HTTP://" + server.HostPort() + "/a/b.jpg", "hTtP://" + server.HostPort() + "/a/b.jpg",
                          server.HostPort() + "/a/b.jpg"}) {
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetURL(url);
    EXPECT_EQ(Fetch(g, e, false), "string") << url;
    EXPECT_EQ(e.result, "jpg");
  }
  for (const auto& r : server.Requests()) EXPECT_EQ(r.Target, "/a/b.jpg");
}

TEST_F(HTTPGetTest, GetIntoAFileReplacesTheTargetOnlyWhenWhole) {
  TTestFolder folder;
  AnsiString target = folder.File("포스터.jpg");
  WriteFileBytes(target, "old poster");
  get.SetURL(server.Url("/big/300000"));
  get.SetFileName(target);
  EXPECT_EQ(Fetch(get, events, true), "file");
  EXPECT_EQ(events.fileName, target);
  EXPECT_EQ(events.fileSize, 300000);
  std::string bytes = ReadFileBytes(target);
  ASSERT_EQ(bytes.size(), 300000u);
  EXPECT_EQ(bytes.substr(0, 3), "abc");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"포스터.jpg"});
}

TEST_F(HTTPGetTest, FailedFileDownloadsLeaveTheOldFileAndNoTemporaryFile) {
  TTestFolder folder;
  AnsiString target = folder.File("poster.jpg");
  for (const char* path : {"/short", "/nolength", "/missing", "/error500", "/empty"}) {
    WriteFileBytes(target, "old poster");
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetURL(server.Url(path));
    g.SetFileName(target);
    EXPECT_EQ(Fetch(g, e, true), "error") << path;
    EXPECT_FALSE(g.LastResult());
    EXPECT_EQ(ReadFileBytes(target), "old poster") << path;
    EXPECT_EQ(folder.Entries(), std::vector<std::string>{"poster.jpg"}) << path;
  }
  // A target in a folder that does not exist fails without creating anything.
  get.SetURL(server.Url("/text"));
  get.SetFileName(folder.File("nofolder/x.jpg"));
  EXPECT_EQ(Fetch(get, events, true), "error");
}

TEST_F(HTTPGetTest, AReplyWithoutContentLengthIsAStringButNeverAFileOrBinaryData) {
  get.SetURL(server.Url("/nolength"));
  EXPECT_EQ(Fetch(get, events, false), "string");
  EXPECT_EQ(events.result, "streamed");

  TEvents binaryEvents;
  THTTPGet binary(nullptr);
  binaryEvents.Attach(binary);
  binary.SetURL(server.Url("/nolength"));
  binary.SetBinaryData(true);
  EXPECT_EQ(Fetch(binary, binaryEvents, false), "error");
}

TEST_F(HTTPGetTest, ErrorStatusesEmptyRepliesAndCutRepliesAreFailures) {
  for (const char* path : {"/missing", "/error500", "/empty", "/short", "/huge", "/badlength"}) {
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetURL(server.Url(path));
    EXPECT_EQ(Fetch(g, e, false), "error") << path;
    EXPECT_EQ(e.result, "") << path;
  }
}

TEST_F(HTTPGetTest, AStringReplyOverTheCapFailsWithoutContentLengthToo) {
  LocalHttpServer flood([](const TReceivedRequest&, TServerConnection& c) {
    c.Send("HTTP/1.0 200 OK\r\n\r\n");
    std::string block(1 << 20, 'x');
    for (Int64 sent = 0; sent <= kMaxStringReply; sent += static_cast<Int64>(block.size()))
      if (!c.Send(block)) return;
  });
  get.SetURL(flood.Url("/"));
  EXPECT_EQ(Fetch(get, events, false), "error");
}

TEST_F(HTTPGetTest, UrlsThatNameNoResourceOrNoWebServerFail) {
  const std::vector<std::string> urls = {"127.0.0.1", "http://" + server.HostPort(), "http:///x",
                                         "http://127.0.0.1:" + std::to_string(UnusedPort()) + "/x",
                                         "http://127.0.0.1:99999/x", "ftp://127.0.0.1/x",
                                         // TLS with a server that speaks plain HTTP
                                         "https://" + server.HostPort() + "/text"};
  for (const std::string& url : urls) {
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetURL(url);
    EXPECT_EQ(Fetch(g, e, false), "error") << url;
  }
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(HTTPGetTest, ARedirectIsFollowed) {
  get.SetURL(server.Url("/moved"));
  EXPECT_EQ(Fetch(get, events, false), "string");
  EXPECT_EQ(events.result, "hello, 세계");
}

TEST_F(HTTPGetTest, ProgressComesInOrderBeforeTheCompletionAndEndsWithEveryByte) {
  get.SetURL(server.Url("/big/2000000"));
  TTestFolder folder;
  get.SetFileName(folder.File("big.bin"));
  EXPECT_EQ(Fetch(get, events, true), "file");
  ASSERT_FALSE(events.progress.empty());
  EXPECT_EQ(events.progress.back(), std::make_pair(2000000, 2000000));
  for (size_t i = 1; i < events.progress.size(); ++i)
    EXPECT_LT(events.progress[i - 1].second, events.progress[i].second);
  for (size_t i = 0; i + 1 < events.log.size(); ++i) EXPECT_EQ(events.log[i], "progress");
}

TEST_F(HTTPGetTest, AbortEndsASlowReplyInAnError) {
  get.SetURL(server.Url("/slow"));
  get.GetString();
  ASSERT_TRUE(PumpUntil([&] { return !events.progress.empty(); }));
  auto aborted = std::chrono::steady_clock::now();
  get.Abort();
  ASSERT_TRUE(PumpUntil([&] { return events.Completed(); }));
  EXPECT_EQ(events.Outcome(), "error");
  EXPECT_LT(std::chrono::steady_clock::now() - aborted, std::chrono::seconds(1));
  EXPECT_EQ(events.result, "");
}

TEST_F(HTTPGetTest, ASecondRequestWhileOneRunsIsIgnored) {
  get.SetURL(server.Url("/slow"));
  get.GetString();
  get.SetURL(server.Url("/text"));
  get.GetString();
  get.GetFile();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() >= 1; }));
  get.Abort();
  ASSERT_TRUE(PumpUntil([&] { return events.Completed() && !get.Busy(); }));
  EXPECT_EQ(events.log.back(), "error");
  EXPECT_EQ(std::count(events.log.begin(), events.log.end(), "error"), 1);
  EXPECT_EQ(server.RequestCount(), 1u);
  EXPECT_EQ(server.Requests().at(0).Target, "/slow");
}

TEST_F(HTTPGetTest, ARequestStartedFromTheCompletionHandlerIsIgnored) {
  int completions = 0;
  get.SetURL(server.Url("/text"));
  get.OnDoneString = [&](TObject*, const AnsiString&) {
    ++completions;
    get.GetString();
  };
  get.GetString();
  ASSERT_TRUE(PumpUntil([&] { return completions == 1 && !get.Busy(); }));
  // Time for a second request to show itself, if one had started.
  PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(server.RequestCount(), 1u);
  // Idle again: the next request runs.
  get.GetString();
  ASSERT_TRUE(PumpUntil([&] { return completions == 2; }));
}

TEST_F(HTTPGetTest, AComponentDestroyedMidRequestHearsNothing) {
  TTestFolder folder;
  AnsiString target = folder.File("p.jpg");
  WriteFileBytes(target, "old");
  auto* doomed = new THTTPGet(nullptr);
  TEvents doomedEvents;
  doomedEvents.Attach(*doomed);
  doomed->SetURL(server.Url("/slow"));
  doomed->SetFileName(target);
  doomed->GetFile();
  ASSERT_TRUE(PumpUntil([&] { return server.RequestCount() == 1; }));
  size_t heard = doomedEvents.log.size();
  delete doomed;
  EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));
  EXPECT_EQ(doomedEvents.log.size(), heard);
  EXPECT_FALSE(doomedEvents.Completed());
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(folder.Entries(), std::vector<std::string>{"p.jpg"});
}

TEST_F(HTTPGetTest, AComponentDestroyedWithProgressQueuedHearsNothing) {
  // Bytes keep coming while the test does not run the queue, so progress
  // events wait for the GUI thread when the component goes.
  LocalHttpServer trickle([](const TReceivedRequest&, TServerConnection& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 1000000\r\n\r\n");
    for (int i = 0; i < 200; ++i)
      if (!c.Send("0123456789") || !c.Pause(10)) return;
    c.Pause(10000);
  });
  auto* doomed = new THTTPGet(nullptr);
  TEvents doomedEvents;
  doomedEvents.Attach(*doomed);
  doomed->SetURL(trickle.Url("/"));
  doomed->GetString();
  ASSERT_TRUE(PumpUntil([&] { return !doomedEvents.progress.empty(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  size_t heard = doomedEvents.log.size();
  delete doomed;
  EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; }));
  EXPECT_EQ(doomedEvents.log.size(), heard);
}

TEST_F(HTTPGetTest, AHandlerThatFreesItsComponentEndsTheCompletionCleanly) {
  auto* owner = new TComponent(nullptr);
  auto* g = new THTTPGet(owner);
  int done = 0;
  g->OnDoneString = [&](TObject*, const AnsiString&) {
    ++done;
    delete owner;
  };
  g->SetURL(server.Url("/text"));
  g->GetString();
  EXPECT_TRUE(PumpUntil([&] { return done == 1; }));
}

TEST_F(HTTPGetTest, WaitThreadMakesGetFileReturnAfterItsCompletion) {
  TTestFolder folder;
  get.SetWaitThread(true);
  get.SetURL(server.Url("/big/5000"));
  get.SetFileName(folder.File("w.bin"));
  get.GetFile();
  EXPECT_FALSE(get.Busy());
  EXPECT_EQ(events.Outcome(), "file");
  EXPECT_EQ(ReadFileBytes(folder.File("w.bin")).size(), 5000u);

  // GetString runs the pending messages once and returns without waiting.
  TEvents e;
  THTTPGet slow(nullptr);
  e.Attach(slow);
  slow.SetWaitThread(true);
  slow.SetURL(server.Url("/slow"));
  auto start = std::chrono::steady_clock::now();
  slow.GetString();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
  EXPECT_TRUE(slow.Busy());
  slow.Abort();
  EXPECT_TRUE(PumpUntil([&] { return e.Completed(); }));
}

TEST_F(HTTPGetTest, AWaitingGetFileWhoseHandlerFreesTheComponentReturnsCleanly) {
  TTestFolder folder;
  auto* g = new THTTPGet(nullptr);
  int done = 0;
  g->OnDoneFile = [&](TObject*, const AnsiString&, int) {
    ++done;
    delete g;
  };
  g->SetWaitThread(true);
  g->SetURL(server.Url("/big/100"));
  g->SetFileName(folder.File("x.bin"));
  g->GetFile();
  EXPECT_EQ(done, 1);
  EXPECT_EQ(ReadFileBytes(folder.File("x.bin")).size(), 100u);
}

TEST_F(HTTPGetTest, AnAddressWithAPortOutsideOneTo65535IsRefusedNotSentToTheDefaultPort) {
  for (const std::string& url : {std::string("http://127.0.0.1:0/x"), std::string("127.0.0.1:00000/x"),
                                 std::string("http://127.0.0.1:65536/x"), std::string("https://127.0.0.1:0/x")}) {
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetURL(url);
    EXPECT_EQ(Fetch(g, e, false), "error") << url;
    EXPECT_NE(g.ErrorText().find("invalid port"), std::string::npos) << url << ": " << g.ErrorText();
  }
  // The highest port is a port like any other.
  get.SetURL("http://127.0.0.1:65535/x");
  EXPECT_EQ(Fetch(get, events, false), "error");
  EXPECT_EQ(get.ErrorText().find("invalid port"), std::string::npos) << get.ErrorText();
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST_F(HTTPGetTest, ATricklingPosterFailsAndThePosterComponentTakesTheNextDownload) {
  TShortLimits restore;
  THTTPGet::Limits().StallSeconds = 1;
  TTestFolder folder;
  get.SetSizeClass(hscPoster);
  get.SetBinaryData(true);
  get.SetURL(server.Url("/trickle"));
  get.SetFileName(folder.File("poster.jpg"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(Fetch(get, events, true), "error");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_NE(get.ErrorText().find("fewer than 1024 bytes"), std::string::npos) << get.ErrorText();
  EXPECT_EQ(folder.Entries().size(), 0u);

  TEvents next;
  next.Attach(get);
  get.SetURL(server.Url("/a/b.jpg"));
  EXPECT_EQ(Fetch(get, next, true), "file");
  EXPECT_EQ(ReadFileBytes(folder.File("poster.jpg")), "jpg");
  EXPECT_EQ(get.ErrorText(), "");
}

TEST_F(HTTPGetTest, EachSizeClassEndsAtItsOwnTimeLimit) {
  TShortLimits restore;
  const std::vector<std::pair<THTTPSizeClass, int THTTPLimits::*>> classes = {
      {hscPage, &THTTPLimits::PageSeconds},
      {hscPoster, &THTTPLimits::PosterSeconds},
      {hscCommentary, &THTTPLimits::CommentarySeconds}};
  for (const auto& [sizeClass, limit] : classes) {
    // This class's limit short, every other one long.
    for (const auto& other : classes) THTTPGet::Limits().*(other.second) = 60;
    THTTPGet::Limits().*limit = 1;
    TEvents e;
    THTTPGet g(nullptr);
    e.Attach(g);
    g.SetSizeClass(sizeClass);
    g.SetURL(server.Url("/flood"));
    g.GetString();
    const bool ended = PumpUntil([&] { return e.Completed(); }, std::chrono::seconds(3));
    if (!ended) g.Abort();
    EXPECT_TRUE(ended) << "size class " << sizeClass << " outlived its limit";
    ASSERT_TRUE(PumpUntil([&] { return !g.Busy(); }));
    EXPECT_EQ(e.Outcome(), "error");
  }
}
