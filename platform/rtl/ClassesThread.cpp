// TThread and the main-thread queue.
//
// A worker's life:
//   Start() -> std::thread -> Run()
//     Execute()                       unless terminated before it began
//     DoTerminate()                   Synchronize(OnTerminate): waits for the main thread
//     finished                        WaitFor returns
//     delete this                     when FreeOnTerminate
// The main thread runs synchronized and queued methods in CheckSynchronize,
// oldest first, so a worker's Queue(a), Synchronize(b) and OnTerminate run in
// that order.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>

#include "platform/rtl/Classes.h"

std::function<void()> WakeMainThread;

namespace {

struct SyncEntry {
  TThread* thread = nullptr;
  TThreadMethod method;
  bool synchronous = false;
  bool done = false;
  std::exception_ptr error;
};

struct SyncQueue {
  std::mutex mutex;
  // Signalled when an entry is queued or a thread finishes: the main thread
  // waits on it in CheckSynchronize and WaitFor.
  std::condition_variable changed;
  // Signalled when a synchronous entry has run: its worker waits on it.
  std::condition_variable done;
  std::deque<std::shared_ptr<SyncEntry>> entries;
};

// Never destroyed: workers still running at exit may touch it.
SyncQueue& TheQueue() {
  static auto* queue = new SyncQueue;
  return *queue;
}

// The thread that initialises the program's statics is its main thread.
const std::thread::id gMainThreadId = std::this_thread::get_id();

void Post(const std::shared_ptr<SyncEntry>& entry) {
  SyncQueue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    q.entries.push_back(entry);
  }
  q.changed.notify_all();
  if (WakeMainThread) WakeMainThread();
}

}  // namespace

bool TThread::IsMainThread() { return std::this_thread::get_id() == gMainThreadId; }

std::thread::id TThread::MainThreadID() { return gMainThreadId; }

TThread::TThread(bool createSuspended) {
  if (!createSuspended) Start();
}

TThread::~TThread() {
  destroying_ = true;
  RemoveQueuedEvents(this);
  if (!started_) return;
  if (std::this_thread::get_id() == threadId_) {
    // Deleted from its own Run (FreeOnTerminate): nothing left to wait for.
    thread_.detach();
    return;
  }
  if (!finished_) {
    Terminate();
    WaitFor();
    RemoveQueuedEvents(this);
  }
  if (thread_.joinable()) thread_.join();
}

void TThread::Start() {
  if (started_) throw EThread("Cannot call Start on a running or terminated thread");
  started_ = true;
  thread_ = std::thread(&TThread::Run, this);
  threadId_ = thread_.get_id();
}

void TThread::Terminate() { terminated_ = true; }

void TThread::Run(TThread* thread) {
  if (!thread->terminated_) {
    try {
      thread->Execute();
    } catch (...) {
      thread->fatalException_ = std::current_exception();
    }
  }
  bool freeThread = thread->freeOnTerminate_;
  try {
    thread->DoTerminate();
  } catch (...) {
    // An OnTerminate handler's error has nobody to go to on this thread.
  }
  SyncQueue& q = TheQueue();
  {
    std::lock_guard lock(q.mutex);
    thread->finished_ = true;
  }
  // No wake-up here: finishing leaves nothing for the main thread to run
  // (OnTerminate already ran), and after this point the program may be
  // tearing down what the hook refers to.
  q.changed.notify_all();
  if (freeThread) delete thread;
}

void TThread::DoTerminate() {
  if (!OnTerminate) return;
  // Checked on the main thread, which is also the one that destroys threads:
  // a thread whose destructor already runs is no sender for a handler.
  Synchronize(this, [this] {
    if (!destroying_ && OnTerminate) OnTerminate(this);
  });
}

int TThread::WaitFor() {
  if (!started_) return returnValue_;
  if (std::this_thread::get_id() == threadId_) {
    // A destructor that waits, run by the thread deleting itself, finds it done.
    if (finished_) return returnValue_;
    throw EThread("Thread cannot wait for itself");
  }
  SyncQueue& q = TheQueue();
  if (IsMainThread()) {
    // Keep running the queue: the worker may be waiting in Synchronize or
    // for its OnTerminate.
    for (;;) {
      {
        std::unique_lock lock(q.mutex);
        q.changed.wait(lock, [&] { return finished_.load() || !q.entries.empty(); });
        // Once finished, nothing of this thread's is waited for: what it
        // queued runs at the next CheckSynchronize (or is dropped with it).
        if (finished_) break;
      }
      CheckSynchronize(0);
      if (finished_) break;
    }
  } else {
    std::unique_lock lock(q.mutex);
    q.changed.wait(lock, [&] { return finished_.load(); });
  }
  return returnValue_;
}

void TThread::Synchronize(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  auto entry = std::make_shared<SyncEntry>();
  entry->thread = thread;
  entry->method = method;
  entry->synchronous = true;
  Post(entry);
  SyncQueue& q = TheQueue();
  {
    std::unique_lock lock(q.mutex);
    q.done.wait(lock, [&] { return entry->done; });
  }
  if (entry->error) std::rethrow_exception(entry->error);
}

void TThread::Queue(TThread* thread, const TThreadMethod& method) {
  if (IsMainThread()) {
    method();
    return;
  }
  // The thread's object is being destroyed: the method would run on a ruin.
  if (thread != nullptr && thread->destroying_) return;
  auto entry = std::make_shared<SyncEntry>();
  entry->thread = thread;
  entry->method = method;
  Post(entry);
}

void TThread::RemoveQueuedEvents(TThread* thread) {
  SyncQueue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  // Synchronous entries stay: their worker is waiting for them.
  std::erase_if(q.entries, [&](const std::shared_ptr<SyncEntry>& e) {
    return e->thread == thread && !e->synchronous;
  });
}

bool CheckSynchronize(int timeoutMs) {
  if (!TThread::IsMainThread())
    throw EThread("CheckSynchronize called from a thread that is not the main thread");
  SyncQueue& q = TheQueue();
  std::size_t pending = 0;
  {
    std::unique_lock lock(q.mutex);
    if (q.entries.empty() && timeoutMs > 0)
      q.changed.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                         [&] { return !q.entries.empty(); });
    pending = q.entries.size();
  }
  // Only what was there on entry: workers that keep queueing cannot hold the
  // main thread here for ever.
  bool ran = false;
  for (; pending > 0; --pending) {
    std::shared_ptr<SyncEntry> entry;
    {
      std::lock_guard lock(q.mutex);
      if (q.entries.empty()) break;
      entry = q.entries.front();
      q.entries.pop_front();
    }
    ran = true;
    if (entry->synchronous) {
      try {
        entry->method();
      } catch (...) {
        entry->error = std::current_exception();
      }
      {
        std::lock_guard lock(q.mutex);
        entry->done = true;
      }
      q.done.notify_all();
    } else {
      // A queued method's error ends this call; the entries after it stay
      // queued for the next one.
      entry->method();
    }
  }
  return ran;
}
