#include "platform/net/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "platform/rtl/SysUtils.h"
#include "tests/net/LocalHttpServer.h"

namespace {

using Clock = std::chrono::steady_clock;

THttpRequest RequestTo(const LocalHttpServer& server, const std::string& resource) {
  THttpRequest r;
  r.Host = "127.0.0.1";
  r.Port = server.Port();
  r.Resource = resource;
  return r;
}

// Runs one transfer, keeping the head and the body it delivered.
struct Fetch {
  THttpTransfer transfer;
  THttpReplyHead head;
  int headCalls = 0;
  std::string body;
  bool ok = false;

  explicit Fetch(const THttpRequest& request) {
    transfer.OnHead = [this](const THttpReplyHead& h) {
      head = h;
      ++headCalls;
      return true;
    };
    transfer.OnData = [this](const char* data, size_t size) {
      body.append(data, size);
      return true;
    };
    ok = transfer.Perform(request);
  }
};

std::string ReadAll(const std::filesystem::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct TempDir {
  std::filesystem::path path;
  TempDir() {
    path = std::filesystem::temp_directory_path() /
           ("vidrena-net-" + std::to_string(::getpid()) + "-" + std::to_string(Clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(path);
  }
  ~TempDir() { std::filesystem::remove_all(path); }
  AnsiString File(const std::string& name) const { return FromSysFileName((path / name).string()); }
  size_t EntryCount() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(path), {}));
  }
};

}  // namespace

TEST(HttpTransfer, SendsTheRequestLinesItIsGivenAndNothingOfItsOwnInTheirPlace) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send(LocalHttpServer::Reply(200, "ok"));
  });
  THttpRequest r = RequestTo(server, "/a/b.jpg?x=1");
  r.Agent = "Agent/1";
  r.Referer = "http://example.invalid/page";
  r.Accept = "text/*";
  r.Headers = {"Pragma: no-cache"};
  Fetch f(r);
  ASSERT_TRUE(f.ok) << f.transfer.ErrorText();

  THttpRequest bare = RequestTo(server, "/");
  Fetch g(bare);
  ASSERT_TRUE(g.ok);

  auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].Method, "GET");
  EXPECT_EQ(requests[0].Target, "/a/b.jpg?x=1");
  EXPECT_EQ(requests[0].Version, "HTTP/1.0");
  EXPECT_EQ(requests[0].Header("User-Agent"), "Agent/1");
  EXPECT_EQ(requests[0].Header("Referer"), "http://example.invalid/page");
  EXPECT_EQ(requests[0].Header("Accept"), "text/*");
  EXPECT_EQ(requests[0].Header("Pragma"), "no-cache");
  EXPECT_FALSE(requests[1].HasHeader("User-Agent"));
  EXPECT_FALSE(requests[1].HasHeader("Accept"));
  EXPECT_FALSE(requests[1].HasHeader("Referer"));
  EXPECT_FALSE(requests[1].HasHeader("Expect"));
}

TEST(HttpTransfer, ReportsStatusAndContentLengthOnceBeforeTheBody) {
  LocalHttpServer server([](const TReceivedRequest& r, TServerConnection& c) {
    if (r.Target == "/none") c.Send(LocalHttpServer::Reply(200, "abc", "", false));
    else if (r.Target == "/bad") c.Send(LocalHttpServer::Reply(200, "abc", "Content-Length: 3x\r\n", false));
    else if (r.Target == "/empty") c.Send(LocalHttpServer::Reply(204, ""));
    else c.Send(LocalHttpServer::Reply(404, "not here"));
  });
  Fetch missing(RequestTo(server, "/missing"));
  EXPECT_TRUE(missing.ok);
  EXPECT_EQ(missing.headCalls, 1);
  EXPECT_EQ(missing.head.StatusCode, 404);
  EXPECT_EQ(missing.head.ContentLength, 8);
  EXPECT_EQ(missing.body, "not here");

  Fetch none(RequestTo(server, "/none"));
  EXPECT_TRUE(none.ok);
  EXPECT_EQ(none.head.ContentLength, -1);
  EXPECT_EQ(none.body, "abc");

  Fetch empty(RequestTo(server, "/empty"));
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.headCalls, 1);
  EXPECT_EQ(empty.head.StatusCode, 204);

  Fetch bad(RequestTo(server, "/bad"));
  EXPECT_TRUE(!bad.ok || !bad.head.ContentLengthValid);
}

TEST(HttpTransfer, AReplyCutShortOfItsContentLengthFails) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nonly ten..");
  });
  Fetch f(RequestTo(server, "/"));
  EXPECT_FALSE(f.ok);
  EXPECT_EQ(f.body, "only ten..");
}

TEST(HttpTransfer, RedirectsAreFollowedFiveTimesAtMostAndOnlyToWebAddresses) {
  LocalHttpServer server([](const TReceivedRequest& r, TServerConnection& c) {
    // "/hop/N" sends to "/hop/N-1"; "/hop/0" answers.
    if (r.Target.rfind("/hop/", 0) == 0) {
      int n = std::stoi(r.Target.substr(5));
      if (n == 0) c.Send(LocalHttpServer::Reply(200, "arrived"));
      else c.Send(LocalHttpServer::Reply(302, "", "Location: /hop/" + std::to_string(n - 1) + "\r\n"));
    } else {
      c.Send(LocalHttpServer::Reply(301, "", "Location: file:///etc/passwd\r\n"));
    }
  });
  Fetch five(RequestTo(server, "/hop/5"));
  EXPECT_TRUE(five.ok) << five.transfer.ErrorText();
  EXPECT_EQ(five.body, "arrived");
  EXPECT_EQ(five.head.StatusCode, 200);

  Fetch six(RequestTo(server, "/hop/6"));
  EXPECT_FALSE(six.ok);

  Fetch file(RequestTo(server, "/elsewhere"));
  EXPECT_FALSE(file.ok);
  EXPECT_EQ(file.body, "");
}

TEST(HttpTransfer, AStalledReplyFailsAfterTheStallLimit) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nsome");
    c.Pause(10000);
  });
  THttpRequest r = RequestTo(server, "/");
  r.StallTimeoutSec = 1;
  auto start = Clock::now();
  Fetch f(r);
  EXPECT_FALSE(f.ok);
  // The library judges the speed over a window of a few seconds.
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
}

TEST(HttpTransfer, CancelFromAnotherThreadEndsAWaitingTransferAtOnce) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nsome");
    c.Pause(10000);
  });
  THttpTransfer transfer;
  std::atomic<bool> gotData{false};
  transfer.OnData = [&](const char*, size_t) {
    gotData = true;
    return true;
  };
  bool ok = true;
  std::thread worker([&] { ok = transfer.Perform(RequestTo(server, "/")); });
  auto deadline = Clock::now() + std::chrono::seconds(5);
  while (!gotData && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  auto cancelled = Clock::now();
  transfer.Cancel();
  worker.join();
  EXPECT_TRUE(gotData);
  EXPECT_FALSE(ok);
  EXPECT_LT(Clock::now() - cancelled, std::chrono::milliseconds(900));
  // A cancelled transfer does not start again.
  EXPECT_FALSE(transfer.Perform(RequestTo(server, "/")));
}

TEST(HttpTransfer, BadHostsAndHeaderValuesAreRefusedBeforeConnecting) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send(LocalHttpServer::Reply(200, "x"));
  });
  for (const char* host : {"", "user@127.0.0.1", "127.0.0.1/x", "a b", "[::1"}) {
    THttpRequest r = RequestTo(server, "/");
    r.Host = host;
    THttpTransfer t;
    EXPECT_FALSE(t.Perform(r)) << host;
  }
  // Nor does a value that would break out of its header line.
  THttpRequest r = RequestTo(server, "/");
  r.Referer = "http://a.invalid/\r\nX-Injected: 1";
  THttpTransfer t;
  EXPECT_FALSE(t.Perform(r));
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(HttpTransfer, ResourceBytesAUrlCannotCarryAreEscaped) {
  EXPECT_EQ(EscapeUrlResource("/a b/\xB0\xA1.jpg?q=1&r=%20"), "/a%20b/%B0%A1.jpg?q=1&r=%20");
  EXPECT_EQ(EscapeUrlResource("/\"<>\\^`{|}\x7F\n"), "/%22%3C%3E%5C%5E%60%7B%7C%7D%7F%0A");
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send(LocalHttpServer::Reply(200, "x"));
  });
  Fetch f(RequestTo(server, "/포스터 1.jpg"_k));
  EXPECT_TRUE(f.ok);
  EXPECT_EQ(server.Requests().at(0).Target, "/%C6%F7%BD%BA%C5%CD%201.jpg");
}

TEST(HttpTransfer, HttpsIsSpokenOverTlsAndAPlainServerDoesNotPass) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send(LocalHttpServer::Reply(200, "plain"));
  });
  THttpRequest r = RequestTo(server, "/");
  r.Secure = true;
  r.StallTimeoutSec = 1;
  Fetch f(r);
  EXPECT_FALSE(f.ok);
  EXPECT_EQ(f.body, "");
}

TEST(DownloadFile, TheTargetHoldsTheOldFileUntilTheNewOneIsWhole) {
  TempDir dir;
  AnsiString target = dir.File("포스터.jpg"_k);
  {
    std::ofstream(SysFileName(target), std::ios::binary) << "old";
  }
  {
    TDownloadFile file(target);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(ExtractFilePath(file.TempName()), ExtractFilePath(target));
    EXPECT_TRUE(file.Write("new ", 4));
    EXPECT_TRUE(file.Write("bytes", 5));
    EXPECT_EQ(ReadAll(SysFileName(target)), "old");
    // Dropped without Commit: the old file stays, the new one goes.
  }
  EXPECT_EQ(ReadAll(SysFileName(target)), "old");
  EXPECT_EQ(dir.EntryCount(), 1u);

  TDownloadFile file(target);
  std::string big(3 << 20, 'b');
  EXPECT_TRUE(file.Write("a", 1));
  EXPECT_TRUE(file.Write(big.data(), big.size()));
  EXPECT_TRUE(file.Finish());
  EXPECT_EQ(ReadAll(SysFileName(target)), "old");
  EXPECT_TRUE(file.Commit());
  EXPECT_EQ(ReadAll(SysFileName(target)), "a" + big);
  EXPECT_EQ(dir.EntryCount(), 1u);
}

TEST(DownloadFile, AFolderThatDoesNotExistGivesNoFile) {
  TempDir dir;
  TDownloadFile file(dir.File("missing/x.jpg"));
  EXPECT_FALSE(file.Ok());
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.Finish());
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(dir.EntryCount(), 0u);
}
