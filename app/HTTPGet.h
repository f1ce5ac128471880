// THTTPGet: a non-visual component that fetches one web resource in the
// background, into a string or into a file, and reports on the GUI thread.
//
// Each request runs on its own worker thread (THTTPGetThread, in the .cpp)
// with copies of the properties taken when it starts; the worker reaches the
// GUI thread only through the thread queue: OnProgress after the chunks,
// then the completion, which fires OnDoneFile, OnDoneString or OnError.
//
// What counts as success:
//   - the reply's status is 2xx (an error page is never a result);
//   - a file download received exactly Content-Length bytes, at least one
//     (an empty reply is no file); the bytes go to a hidden file beside
//     FileName, which replaces FileName only then, so a failed, aborted or
//     empty download leaves FileName as it was;
//   - a string download received at least one byte and at most
//     kMaxStringReply bytes;
//   - with BinaryData, the reply has a Content-Length line.
// A URL may start with "http://" or "https://" (any letter case) or with the
// host; "host:port" is honoured, and a port outside 1 to 65535 fails the
// request before anything is sent. Redirects are followed (at most 5, to
// http and https only); a connection not made in 15 s, a transfer that moves
// less than 1 KB in 30 s, or one that outlasts the limit of its size class
// (THTTPLimits) fails.
#pragma once

#include <functional>
#include <memory>

#include "platform/rtl/Classes.h"

using TOnProgressEvent = std::function<void(TObject* sender, int totalSize, int readed)>;
using TOnDoneFileEvent = std::function<void(TObject* sender, const AnsiString& fileName, int fileSize)>;
using TOnDoneStringEvent = std::function<void(TObject* sender, const AnsiString& result)>;

// A string reply larger than this fails instead of filling memory.
inline constexpr Int64 kMaxStringReply = 64LL * 1024 * 1024;

// What a request fetches, which sets how long it may take in all.
enum THTTPSizeClass { hscPage, hscPoster, hscCommentary };

// The time limits of every request, taken when a request starts.
struct THTTPLimits {
  // A transfer that moves fewer than StallMinBytes in StallSeconds fails.
  int StallSeconds = 30;
  int StallMinBytes = 1024;
  // The whole request of each size class: a short answer or lookup, a
  // picture, a page with a long text.
  int PageSeconds = 60;
  int PosterSeconds = 300;
  int CommentarySeconds = 120;
};

class THTTPGetThread;

class THTTPGet : public TComponent {
 public:
  explicit THTTPGet(TComponent* owner);
  // Aborts a running request and detaches it: its completion then fires no
  // event and touches nothing of this component.
  ~THTTPGet() override;

  // Start a file or string download; ignored while a request of this
  // component runs. With WaitThread, GetFile runs the message loop until the
  // request has completed; GetString runs the pending messages once.
  void GetFile();
  void GetString();
  // Ends a running request as failed; its completion fires OnError.
  void Abort();

  const AnsiString& AcceptTypes() const { return acceptTypes_; }
  void SetAcceptTypes(const AnsiString& v) { acceptTypes_ = v; }
  const AnsiString& Agent() const { return agent_; }
  void SetAgent(const AnsiString& v) { agent_ = v; }
  bool BinaryData() const { return binaryData_; }
  void SetBinaryData(bool v) { binaryData_ = v; }
  const AnsiString& URL() const { return url_; }
  void SetURL(const AnsiString& v) { url_ = v; }
  bool UseCache() const { return useCache_; }
  void SetUseCache(bool v) { useCache_ = v; }
  const AnsiString& FileName() const { return fileName_; }
  void SetFileName(const AnsiString& v) { fileName_ = v; }
  const AnsiString& UserName() const { return userName_; }
  void SetUserName(const AnsiString& v) { userName_ = v; }
  const AnsiString& Password() const { return password_; }
  void SetPassword(const AnsiString& v) { password_ = v; }
  const AnsiString& PostQuery() const { return postQuery_; }
  void SetPostQuery(const AnsiString& v) { postQuery_ = v; }
  const AnsiString& Referer() const { return referer_; }
  void SetReferer(const AnsiString& v) { referer_ = v; }
  bool WaitThread() const { return waitThread_; }
  void SetWaitThread(bool v) { waitThread_ = v; }
  THTTPSizeClass SizeClass() const { return sizeClass_; }
  void SetSizeClass(THTTPSizeClass v) { sizeClass_ = v; }

  // The limits of the requests the process starts from now on.
  static THTTPLimits& Limits();

  // Whether a request of this component is running.
  bool Busy() const { return thread_ != nullptr; }
  // Whether the last completed request succeeded.
  bool LastResult() const { return result_; }
  // Why the last completed request failed, in English (for logs and tests);
  // empty after a success.
  const AnsiString& ErrorText() const { return errorText_; }

  TOnProgressEvent OnProgress;
  TOnDoneFileEvent OnDoneFile;
  TOnDoneStringEvent OnDoneString;
  TNotifyEvent OnError;

  // Request threads alive in the process (started and not yet deleted);
  // tests wait for 0 before they end.
  static int RunningThreads();

 private:
  friend class THTTPGetThread;
  void Start(bool toFile);
  // The worker's completion, on the GUI thread.
  void ThreadDone(THTTPGetThread* thread);

  AnsiString acceptTypes_;
  AnsiString agent_;
  bool binaryData_ = false;
  AnsiString url_;
  bool useCache_ = false;
  AnsiString fileName_;
  AnsiString userName_;
  AnsiString password_;
  AnsiString postQuery_;
  AnsiString referer_;
  bool waitThread_ = false;
  THTTPSizeClass sizeClass_ = hscPage;

  THTTPGetThread* thread_ = nullptr;
  bool result_ = false;
  AnsiString errorText_;
  // Tells one request from the next in GetFile's wait.
  unsigned requestCount_ = 0;
  // Expires with the component: a loop or an event handler that may outlive
  // it checks this before touching it again.
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
