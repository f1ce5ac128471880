#include "platform/net/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/rtl/SysUtils.h"
#include "tests/net/LocalHttpServer.h"
#include "tests/net/NetTestSupport.h"

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

}  // namespace

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

TEST(DownloadFile, TheTargetHoldsTheOldFileUntilTheNewOneIsWhole) {
  TTestFolder dir;
  AnsiString target = dir.File("포스터.jpg");
  WriteFileBytes(target, "old");
  {
    TDownloadFile file(target);
    ASSERT_TRUE(file.Ok());
    EXPECT_EQ(ExtractFilePath(file.TempName()), ExtractFilePath(target));
    EXPECT_TRUE(file.Write("new ", 4));
    EXPECT_TRUE(file.Write("bytes", 5));
    EXPECT_EQ(ReadFileBytes(target), "old");
    // Dropped without Commit: the old file stays, the new one goes.
  }
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_EQ(dir.Entries().size(), 1u);

  TDownloadFile file(target);
  std::string big(3 << 20, 'b');
  EXPECT_TRUE(file.Write("a", 1));
  EXPECT_TRUE(file.Write(big.data(), big.size()));
  EXPECT_TRUE(file.Finish());
  EXPECT_EQ(ReadFileBytes(target), "old");
  EXPECT_TRUE(file.Commit());
  EXPECT_EQ(ReadFileBytes(target), "a" + big);
  EXPECT_EQ(dir.Entries().size(), 1u);
}

TEST(DownloadFile, AFolderThatDoesNotExistGivesNoFile) {
  TTestFolder dir;
  TDownloadFile file(dir.File("missing/x.jpg"));
  EXPECT_FALSE(file.Ok());
  EXPECT_FALSE(file.Write("x", 1));
  EXPECT_FALSE(file.Finish());
  EXPECT_FALSE(file.Commit());
  EXPECT_EQ(dir.Entries().size(), 0u);
}
