#include "platform/net/HttpClient.h"

#include <gtest/gtest.h>

#include <atomic>
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
  // At the end of the window, not seconds after it.
  EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
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

namespace {

// A reply whose body comes one byte every 100 ms and never ends by itself.
void Trickle(const TReceivedRequest&, TServerConnection& c) {
  if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
  for (int i = 0; i < 600; ++i)
    if (!c.Send("x") || !c.Pause(100)) return;
}

// A reply that moves 4 KB every 100 ms, for as long as anyone reads it.
void Flood(const TReceivedRequest&, TServerConnection& c) {
  if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000000\r\n\r\n")) return;
  const std::string block(4096, 'y');
  for (int i = 0; i < 600; ++i)
    if (!c.Send(block) || !c.Pause(100)) return;
}

// Runs a transfer on a worker and cancels it at the deadline, so that a
// transfer that never ends fails the test instead of hanging it. Returns
// how long Perform took; ok and the error text are the transfer's.
struct TTimedFetch {
  bool ok = true;
  bool hitDeadline = false;
  AnsiString error;
  std::size_t bodyBytes = 0;
  Clock::duration took{};

  TTimedFetch(const THttpRequest& request, std::chrono::seconds deadline) {
    THttpTransfer transfer;
    transfer.OnData = [this](const char*, size_t size) {
      bodyBytes += size;
      return true;
    };
    std::atomic<bool> done{false};
    const auto start = Clock::now();
    std::thread worker([&] {
      ok = transfer.Perform(request);
      took = Clock::now() - start;
      done = true;
    });
    while (!done && Clock::now() - start < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (!done) {
      hitDeadline = true;
      transfer.Cancel();
    }
    worker.join();
    error = transfer.ErrorText();
  }
};

}  // namespace

TEST(HttpTransfer, AReplyThatTricklesFailsWhenTooFewBytesMoveInTheWindow) {
  LocalHttpServer server(Trickle);
  THttpRequest r = RequestTo(server, "/");
  r.StallTimeoutSec = 1;  // 10 bytes a second are fewer than 1 KB in any second
  TTimedFetch f(r, std::chrono::seconds(6));
  EXPECT_FALSE(f.hitDeadline) << "the trickle kept the transfer open";
  EXPECT_FALSE(f.ok);
  EXPECT_NE(f.error.find("fewer than 1024 bytes"), std::string::npos) << f.error;
  EXPECT_LT(f.took, std::chrono::milliseconds(2500));
  EXPECT_GT(f.bodyBytes, 0u);  // it did move, only too slowly
}

TEST(HttpTransfer, ATransferThatMovesEnoughPassesTheStallCheck) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    // 2 KB each 300 ms for two seconds: slow, but over 1 KB in every second.
    c.Send("HTTP/1.0 200 OK\r\nContent-Length: 14336\r\n\r\n");
    for (int i = 0; i < 7; ++i)
      if (!c.Send(std::string(2048, 'z')) || !c.Pause(300)) return;
  });
  THttpRequest r = RequestTo(server, "/");
  r.StallTimeoutSec = 1;
  TTimedFetch f(r, std::chrono::seconds(6));
  EXPECT_TRUE(f.ok) << f.error;
  EXPECT_EQ(f.bodyBytes, 14336u);
}

TEST(HttpTransfer, ABurstThenATrickleFailsOneWindowAfterTheBurst) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    // Enough for 1.2 s, then 8 KB at once, then a byte every 100 ms.
    if (!c.Send("HTTP/1.0 200 OK\r\nContent-Length: 100000\r\n\r\n")) return;
    for (int i = 0; i < 4; ++i)
      if (!c.Send(std::string(2048, 'z')) || !c.Pause(300)) return;
    if (!c.Send(std::string(8192, 'b'))) return;
    for (int i = 0; i < 600; ++i)
      if (!c.Send("x") || !c.Pause(100)) return;
  });
  THttpRequest r = RequestTo(server, "/");
  r.StallTimeoutSec = 1;
  TTimedFetch f(r, std::chrono::seconds(6));
  EXPECT_FALSE(f.hitDeadline) << "the burst kept counting after its window had passed";
  EXPECT_FALSE(f.ok);
  EXPECT_NE(f.error.find("fewer than 1024 bytes"), std::string::npos) << f.error;
  // Not within a window of the burst, and not long after it.
  EXPECT_GT(f.took, std::chrono::milliseconds(2100));
  EXPECT_LT(f.took, std::chrono::milliseconds(3700));
  EXPECT_GT(f.bodyBytes, 8192u + 8192u);
}

TEST(HttpTransfer, ATransferEndsAtItsTimeLimitHoweverFastItMoves) {
  LocalHttpServer server(Flood);
  THttpRequest r = RequestTo(server, "/");
  r.TimeLimitSec = 1;
  TTimedFetch f(r, std::chrono::seconds(6));
  EXPECT_FALSE(f.hitDeadline) << "the transfer outlived its limit";
  EXPECT_FALSE(f.ok);
  EXPECT_LT(f.took, std::chrono::milliseconds(2500));
  EXPECT_GT(f.bodyBytes, 4096u);
}

TEST(HttpTransfer, APortOutsideTheRangeIsRefusedBeforeConnecting) {
  LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) {
    c.Send(LocalHttpServer::Reply(200, "x"));
  });
  for (int port : {-1, 65536, 70000 + server.Port()}) {
    THttpRequest r = RequestTo(server, "/");
    r.Port = port;
    THttpTransfer t;
    EXPECT_FALSE(t.Perform(r)) << port;
    EXPECT_EQ(t.ErrorText(), "invalid port " + std::to_string(port));
  }
  EXPECT_EQ(server.RequestCount(), 0u);
}

TEST(DownloadFile, ADownloadRemovesOnlyThePartFilesOfKilledDownloadsToItsName) {
  TTestFolder dir;
  const int kTwoHours = 2 * 60 * 60;
  for (const char* stale : {".포스터.jpg.A1B2C3.part", ".포스터.jpg.00FF00.part"}) {
    WriteFileBytes(dir.File(stale), "half a picture");
    ASSERT_TRUE(AgeFile(dir.File(stale), kTwoHours));
  }
  // Another download to this name running now, killed downloads to other
  // names, and a user's files that only look alike.
  WriteFileBytes(dir.File(".포스터.jpg.123ABC.part"), "running");
  const std::vector<std::string> others = {
      ".x.png.00FF00.part", ".notes.txt.abcdef.part", ".포스터.jpg.abcdef.part", ".포스터.jpg.GHIJKL.part",
      ".포스터.jpg.12345.part", "포스터.jpg.123456.part", ".포스터.jpg.1234567.part", "keep.part"};
  for (const std::string& other : others) {
    WriteFileBytes(dir.File(other), "someone's");
    ASSERT_TRUE(AgeFile(dir.File(other), kTwoHours));
  }
  TDownloadFile file(dir.File("포스터.jpg"));
  ASSERT_TRUE(file.Ok());
  file.Discard();
  std::vector<std::string> kept = others;
  kept.push_back(".포스터.jpg.123ABC.part");
  std::sort(kept.begin(), kept.end());
  EXPECT_EQ(dir.Entries(), kept);
}
