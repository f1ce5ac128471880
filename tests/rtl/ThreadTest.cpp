#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/rtl/Classes.h"

namespace {

// A thread whose work is a function, created suspended and started by the
// test once the object is whole.
class TTestThread : public TThread {
 public:
  explicit TTestThread(std::function<void(TTestThread&)> body)
      : TThread(true), body_(std::move(body)) {}
  ~TTestThread() override {
    // Execute uses body_, which goes before ~TThread runs.
    Terminate();
    WaitFor();
  }
  using TThread::Queue;
  using TThread::SetReturnValue;
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  std::function<void(TTestThread&)> body_;
};

// Records what ran, where.
struct Log {
  std::mutex mutex;
  std::vector<std::string> lines;
  void Add(const std::string& line) {
    std::lock_guard lock(mutex);
    lines.push_back(line + (TThread::IsMainThread() ? "@main" : "@worker"));
  }
  std::vector<std::string> Lines() {
    std::lock_guard lock(mutex);
    return lines;
  }
};

TEST(ThreadQueue, QueueSynchronizeAndOnTerminateRunOnTheMainThreadInOrder) {
  Log log;
  std::atomic<bool> synchronizeReturned{false};
  TTestThread thread([&](TTestThread& self) {
    log.Add("execute");
    self.Queue([&] { log.Add("queued"); });
    self.Synchronize([&] {
      // The worker is still waiting inside Synchronize.
      log.Add(synchronizeReturned ? "sync-late" : "sync");
    });
    synchronizeReturned = true;
    self.SetReturnValue(42);
  });
  thread.OnTerminate = [&](TObject* sender) {
    EXPECT_EQ(sender, &thread);
    log.Add("terminate");
  };
  thread.Start();
  // WaitFor on the main thread keeps running the queue, so this cannot hang
  // on the worker's Synchronize.
  EXPECT_EQ(thread.WaitFor(), 42);
  EXPECT_TRUE(thread.Finished());
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"execute@worker", "queued@main", "sync@main",
                                                   "terminate@main"}));
  EXPECT_FALSE(CheckSynchronize(0));
}

TEST(ThreadQueue, CheckSynchronizeDrainsWhatWorkersQueued) {
  Log log;
  std::atomic<int> queued{0};
  TTestThread thread([&](TTestThread& self) {
    for (int i = 0; i < 3; ++i) {
      self.Queue([&log, i] { log.Add("q" + std::to_string(i)); });
      ++queued;
    }
  });
  thread.Start();
  while (queued < 3) std::this_thread::yield();
  EXPECT_TRUE(CheckSynchronize(0));
  EXPECT_EQ(log.Lines(), (std::vector<std::string>{"q0@main", "q1@main", "q2@main"}));
  thread.WaitFor();
}

TEST(ThreadQueue, AnErrorInASynchronizedMethodReachesTheWorker) {
  std::string caught;
  TTestThread thread([&](TTestThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("bad value"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
  });
  thread.Start();
  thread.WaitFor();
  EXPECT_EQ(caught, "bad value");
}

TEST(ThreadQueue, CheckSynchronizeOffTheMainThreadIsRefused) {
  bool refused = false;
  TTestThread thread([&](TTestThread&) {
    try {
      CheckSynchronize(0);
    } catch (const EThread&) {
      refused = true;
    }
  });
  thread.Start();
  thread.WaitFor();
  EXPECT_TRUE(refused);
}

TEST(ThreadQueue, TheWakeHookHearsOfEveryQueuedMethod) {
  std::atomic<int> wakes{0};
  WakeMainThread = [&] { ++wakes; };
  TTestThread thread([&](TTestThread& self) { self.Queue([] {}); });
  thread.Start();
  thread.WaitFor();
  WakeMainThread = nullptr;
  EXPECT_GE(wakes.load(), 1);
}

TEST(ThreadLife, DestroyingARunningThreadTerminatesAndWaits) {
  std::atomic<bool> running{false}, left{false};
  auto* thread = new TTestThread([&](TTestThread& self) {
    running = true;
    while (!self.Terminated()) std::this_thread::yield();
    left = true;
  });
  thread->Start();
  while (!running) std::this_thread::yield();
  delete thread;
  EXPECT_TRUE(left);
}

TEST(ThreadLife, FreeOnTerminateDeletesTheThreadAfterOnTerminate) {
  static std::atomic<bool> destroyed;
  destroyed = false;
  class TSelfFreeing : public TThread {
   public:
    TSelfFreeing() : TThread(true) { SetFreeOnTerminate(true); }
    ~TSelfFreeing() override { destroyed = true; }

   protected:
    void Execute() override {}
  };
  bool terminated = false;
  auto* thread = new TSelfFreeing;
  thread->OnTerminate = [&](TObject*) {
    EXPECT_FALSE(destroyed.load());
    terminated = true;
  };
  thread->Start();
  // The worker waits for OnTerminate to run here before it deletes itself.
  while (!terminated) CheckSynchronize(1000);
  while (!destroyed) std::this_thread::yield();
  EXPECT_TRUE(terminated);
}

TEST(ThreadLife, QueuedMethodsOfADeletedThreadNeverRun) {
  bool ran = false;
  auto* thread = new TTestThread([&](TTestThread& self) { self.Queue([&] { ran = true; }); });
  thread->Start();
  while (!thread->Finished()) std::this_thread::yield();
  delete thread;
  EXPECT_FALSE(CheckSynchronize(0));
  EXPECT_FALSE(ran);
}

TEST(ThreadLife, AnExceptionInExecuteIsKeptNotLost) {
  TTestThread thread([](TTestThread&) { throw EInOutError("disk gone"); });
  thread.Start();
  thread.WaitFor();
  ASSERT_TRUE(thread.FatalException());
  try {
    std::rethrow_exception(thread.FatalException());
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.Message(), "disk gone");
  }
  EXPECT_THROW(thread.Start(), EThread);
}

}  // namespace
