// THTTPGet and its worker, THTTPGetThread.
//
// Sections:
//   ParseURL .......... scheme, host, port and resource of the URL property
//   THTTPGetThread .... Execute on the worker; progress and completion queued
//   THTTPGet .......... properties, GetFile/GetString/Abort, ThreadDone
//
// A request's life:
//   GetFile/GetString (GUI)  -> THTTPGetThread copies the properties, Start
//   Execute (worker)         -> THttpTransfer::Perform
//       OnHead                  status, Content-Length, BinaryData, size cap
//       OnData                  file or string; QueueProgress
//   Progress (GUI, queued)   -> OnProgress, unless detached or aborted
//   Done (GUI, OnTerminate)  -> THTTPGet::ThreadDone: commit or discard the
//                               file, fire the event, clear the reference
//   the thread deletes itself
#include "app/HTTPGet.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <mutex>

#include "platform/net/HttpClient.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"

// ==================================================================== ParseURL

namespace {

std::atomic<int> gRunningThreads{0};

struct TParsedUrl {
  bool Ok = false;
  AnsiString Error;  // why the URL is refused
  bool Secure = false;
  AnsiString Host;
  int Port = 0;
  AnsiString Resource;
};

bool StartsWithText(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameText(s.substr(0, prefix.size()), prefix);
}

// "host", "host:port", "[v6]" or "[v6]:port"; false for a port that is not
// a number from 1 to 65535.
bool SplitPort(const AnsiString& hostPort, AnsiString& host, int& port) {
  port = 0;
  size_t colon = hostPort.rfind(':');
  size_t bracket = hostPort.rfind(']');
  if (colon == AnsiString::npos || (bracket != AnsiString::npos && colon < bracket)) {
    host = hostPort;
    return true;
  }
  host = hostPort.substr(0, colon);
  AnsiString digits = hostPort.substr(colon + 1);
  if (digits.empty() || digits.size() > 5 ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return false;
  port = std::stoi(digits);
  return port >= 1 && port <= 65535;
}

// The host is the text up to the first "/" after the scheme, the resource
// that "/" and the rest; without a "/" there is no host and the request fails.
TParsedUrl ParseURL(const AnsiString& url) {
  TParsedUrl parsed;
  std::string_view rest = url;
  if (StartsWithText(rest, "http://")) {
    rest.remove_prefix(7);
  } else if (StartsWithText(rest, "https://")) {
    rest.remove_prefix(8);
    parsed.Secure = true;
  }
  size_t slash = rest.find('/');
  if (slash == std::string_view::npos || slash == 0) {
    parsed.Error = "no host and resource in the address";
    return parsed;
  }
  const AnsiString hostPort(rest.substr(0, slash));
  // Never the default port in place of the one the address names.
  if (!SplitPort(hostPort, parsed.Host, parsed.Port)) {
    parsed.Error = "invalid port in \"" + hostPort + "\" (1 to 65535)";
    return parsed;
  }
  parsed.Resource = AnsiString(rest.substr(slash));
  parsed.Ok = !parsed.Host.empty();
  if (!parsed.Ok) parsed.Error = "no host in the address";
  return parsed;
}

int ClampToInt(Int64 value) { return static_cast<int>(std::clamp<Int64>(value, 0, INT_MAX)); }

}  // namespace

// ============================================================== THTTPGetThread

class THTTPGetThread : public TThread {
 public:
  THTTPGetThread(THTTPGet* owner, bool toFile)
      : TThread(true),
        owner_(owner),
        toFile_(toFile),
        acceptTypes_(owner->AcceptTypes()),
        agent_(owner->Agent()),
        url_(owner->URL()),
        fileName_(owner->FileName()),
        userName_(owner->UserName()),
        password_(owner->Password()),
        postQuery_(owner->PostQuery()),
        referer_(owner->Referer()),
        binaryData_(owner->BinaryData()),
        useCache_(owner->UseCache()),
        limits_(THTTPGet::Limits()),
        sizeClass_(owner->SizeClass()),
        onProgress_(owner->OnProgress) {
    ++gRunningThreads;
    SetFreeOnTerminate(true);
    OnTerminate = [this](TObject*) { Done(); };
  }
  ~THTTPGetThread() override { --gRunningThreads; }

  // GUI thread only, like owner_ and aborted_.
  void Abort() {
    aborted_ = true;
    Terminate();
    transfer_.Cancel();
  }
  void Detach() { owner_ = nullptr; }

  bool ToFile() const { return toFile_; }
  const AnsiString& FileName() const { return fileName_; }
  const AnsiString& ResultString() const { return resultString_; }
  const AnsiString& ErrorText() const { return errorText_; }
  Int64 TotalSize() const { return totalSize_; }
  // Read on the GUI thread after Execute ended.
  bool Succeeded() const { return success_ && !aborted_; }
  // Moves a finished download onto its target; false when there is none.
  bool CommitFile() { return file_ && file_->Commit(); }
  void DiscardFile() {
    if (file_) file_->Discard();
  }

 protected:
  void Execute() override;

 private:
  bool AcceptHead(const THttpReplyHead& head);
  bool AcceptData(const char* data, std::size_t size);
  void QueueProgress();
  void Progress();
  void Done();

  THTTPGet* owner_;
  bool aborted_ = false;
  const bool toFile_;
  const AnsiString acceptTypes_;
  const AnsiString agent_;
  const AnsiString url_;
  const AnsiString fileName_;
  const AnsiString userName_;
  const AnsiString password_;
  const AnsiString postQuery_;
  const AnsiString referer_;
  const bool binaryData_;
  const bool useCache_;
  const THTTPLimits limits_;
  const THTTPSizeClass sizeClass_;
  const TOnProgressEvent onProgress_;

  THttpTransfer transfer_;
  std::unique_ptr<TDownloadFile> file_;
  AnsiString resultString_;
  AnsiString errorText_;
  bool success_ = false;
  bool haveLength_ = false;
  Int64 totalSize_ = 0;
  Int64 readed_ = 0;

  // Progress waiting for the GUI thread: one queued event at a time, which
  // reports the counts as they are when it runs.
  std::mutex progressMutex_;
  bool progressQueued_ = false;
  Int64 progressTotal_ = 0;
  Int64 progressReaded_ = 0;
};

void THTTPGetThread::Execute() {
  if (Terminated()) return;
  TParsedUrl url = ParseURL(url_);
  if (!url.Ok) {
    errorText_ = url.Error;
    return;
  }

  THttpRequest request;
  request.Secure = url.Secure;
  request.Host = url.Host;
  request.Port = url.Port;
  request.Resource = url.Resource;
  request.Verb = postQuery_.empty() ? "GET" : "POST";
  request.Http10 = true;
  request.Agent = agent_;
  request.Referer = referer_;
  request.Accept = acceptTypes_;
  request.UserName = userName_;
  request.Password = password_;
  request.StallTimeoutSec = limits_.StallSeconds;
  request.StallMinBytes = limits_.StallMinBytes;
  request.TimeLimitSec = sizeClass_ == hscPoster       ? limits_.PosterSeconds
                         : sizeClass_ == hscCommentary ? limits_.CommentarySeconds
                                                       : limits_.PageSeconds;
  if (!useCache_) request.Headers.push_back("Pragma: no-cache");
  if (!postQuery_.empty()) {
    request.Headers.push_back("Content-Type: application/x-www-form-urlencoded");
    request.Body = postQuery_;
    request.HasBody = true;
  }

  if (toFile_) {
    file_ = std::make_unique<TDownloadFile>(fileName_);
    if (!file_->Ok()) {
      errorText_ = "cannot create a file beside \"" + fileName_ + "\"";
      return;
    }
  }
  transfer_.OnHead = [this](const THttpReplyHead& head) { return AcceptHead(head); };
  transfer_.OnData = [this](const char* data, std::size_t size) { return AcceptData(data, size); };
  bool received = transfer_.Perform(request);

  if (!received || Terminated()) {
    errorText_ = Terminated() ? AnsiString("aborted") : transfer_.ErrorText();
    if (file_) file_->Discard();
    return;
  }
  if (toFile_) {
    // A reply without a byte is no file: it never replaces the one there.
    success_ = haveLength_ && readed_ > 0 && readed_ == totalSize_ && file_->Finish();
    if (!success_) file_->Discard();
  } else {
    success_ = readed_ > 0;
  }
  if (!success_) errorText_ = readed_ == 0 ? "the reply is empty" : "the reply is not whole";
}

bool THTTPGetThread::AcceptHead(const THttpReplyHead& head) {
  if (Terminated()) return false;
  if (head.StatusCode < 200 || head.StatusCode > 299) return false;
  if (!head.ContentLengthValid) return false;
  haveLength_ = head.ContentLength >= 0;
  if (!haveLength_) return !binaryData_;
  totalSize_ = head.ContentLength;
  if (!toFile_) {
    if (totalSize_ > kMaxStringReply) return false;
    resultString_.reserve(static_cast<std::size_t>(totalSize_));
  }
  return true;
}

bool THTTPGetThread::AcceptData(const char* data, std::size_t size) {
  if (Terminated()) return false;
  if (toFile_) {
    if (!file_->Write(data, size)) return false;
  } else {
    if (static_cast<Int64>(resultString_.size() + size) > kMaxStringReply) return false;
    resultString_.append(data, size);
  }
  readed_ += static_cast<Int64>(size);
  if (onProgress_) QueueProgress();
  return true;
}

void THTTPGetThread::QueueProgress() {
  bool queue = false;
  {
    std::lock_guard lock(progressMutex_);
    progressTotal_ = totalSize_;
    progressReaded_ = readed_;
    queue = !progressQueued_;
    progressQueued_ = true;
  }
  // Queued events run before the completion, which the thread's end
  // synchronizes after them.
  if (queue) Queue([this] { Progress(); });
}

void THTTPGetThread::Progress() {
  Int64 total = 0;
  Int64 readed = 0;
  {
    std::lock_guard lock(progressMutex_);
    progressQueued_ = false;
    total = progressTotal_;
    readed = progressReaded_;
  }
  if (owner_ && !aborted_) onProgress_(owner_, ClampToInt(total), ClampToInt(readed));
}

void THTTPGetThread::Done() {
  if (owner_) {
    owner_->ThreadDone(this);
  } else {
    DiscardFile();
  }
}

// ==================================================================== THTTPGet

THTTPGet::THTTPGet(TComponent* owner) : TComponent(owner) {
  acceptTypes_ = "*/*";
  agent_ = "Webtrove HTTPGet";
}

THTTPGet::~THTTPGet() {
  Abort();
  if (thread_) {
    thread_->Detach();
    thread_ = nullptr;
  }
}

int THTTPGet::RunningThreads() { return gRunningThreads.load(); }

THTTPLimits& THTTPGet::Limits() {
  static THTTPLimits limits;
  return limits;
}

void THTTPGet::Start(bool toFile) {
  if (thread_) return;
  auto* thread = new THTTPGetThread(this, toFile);
  thread_ = thread;
  ++requestCount_;
  result_ = false;
  thread->Start();
}

void THTTPGet::GetFile() {
  if (thread_) return;
  Start(true);
  if (!waitThread_) return;
  // The loop may run a handler that frees this component.
  std::weak_ptr<bool> alive = alive_;
  unsigned request = requestCount_;
  while (!alive.expired() && thread_ && requestCount_ == request) Application->HandleMessage();
}

void THTTPGet::GetString() {
  if (thread_) return;
  Start(false);
  if (waitThread_) Application->ProcessMessages();
}

void THTTPGet::Abort() {
  if (!thread_) return;
  thread_->Abort();
  result_ = false;
}

void THTTPGet::ThreadDone(THTTPGetThread* thread) {
  bool ok = thread->Succeeded();
  if (thread->ToFile()) {
    if (ok) ok = thread->CommitFile();
    else thread->DiscardFile();
  }
  result_ = ok;
  errorText_ = ok ? AnsiString() : thread->ErrorText().empty() ? AnsiString("failed") : thread->ErrorText();
  // A handler may free this component (closing its window); then nothing
  // of it is touched afterwards.
  std::weak_ptr<bool> alive = alive_;
  if (ok && thread->ToFile()) {
    if (OnDoneFile) OnDoneFile(this, thread->FileName(), ClampToInt(thread->TotalSize()));
  } else if (ok) {
    if (OnDoneString) OnDoneString(this, thread->ResultString());
  } else {
    if (OnError) OnError(this);
  }
  if (alive.expired()) return;
  // Cleared only now, so a request that a handler starts here is ignored.
  thread_ = nullptr;
}
