// The internet library of the platform: one HTTP request at a time, run to
// its end on the calling thread (a worker), and the temporary file a download
// is written to before it takes its target's name.
//
// Sections:
//   THttpRequest ...... what is sent: address parts, verb, headers, body, limits
//   THttpTransfer ..... sends it and hands the reply's head and bytes to callbacks
//   TDownloadFile ..... a file beside the target that replaces it only when whole
//
// The calling thread owns a transfer; only Cancel may be called from another.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <vector>

#include "platform/rtl/Types.h"

// ---------------------------------------------------------------- THttpRequest

struct THttpRequest {
  bool Secure = false;        // https, with the peer's certificate and name checked
  AnsiString Host;            // a name, an IPv4 address or a bracketed IPv6 address
  int Port = 0;               // 0: 80, or 443 when Secure; otherwise 1 to 65535
  AnsiString Resource = "/";  // path and query; bytes a URL cannot carry are escaped
  AnsiString Verb = "GET";
  bool Http10 = true;         // the request line says HTTP/1.0, else HTTP/1.1
  AnsiString Agent;           // empty: no User-Agent line
  AnsiString Referer;         // empty: no Referer line
  AnsiString Accept;          // the Accept line's value; empty: no Accept line
  AnsiString UserName;        // given to a server that asks for credentials
  AnsiString Password;
  std::vector<AnsiString> Headers;  // further "Name: value" lines
  AnsiString Body;            // sent as it is with its length, when HasBody
  bool HasBody = false;

  // A connection not made in this time fails.
  int ConnectTimeoutMs = 15000;
  // A transfer that moves fewer than StallMinBytes (both ways, head
  // included) in any StallTimeoutSec seconds fails: a server that trickles
  // a byte now and then cannot hold it open.
  int StallTimeoutSec = 30;
  int StallMinBytes = 1024;
  // The whole transfer, redirects included, fails after this; 0: no limit.
  int TimeLimitSec = 0;
  // Redirects followed, to http and https addresses only; one more fails.
  int MaxRedirects = 5;
};

// The head of the reply that the body belongs to (after any redirects).
struct THttpReplyHead {
  int StatusCode = 0;
  // -1 when the reply has no Content-Length line.
  Int64 ContentLength = -1;
  // False when a Content-Length line is not a decimal number (or two disagree).
  bool ContentLengthValid = true;
};

// --------------------------------------------------------------- THttpTransfer

class THttpTransfer {
 public:
  THttpTransfer();
  ~THttpTransfer();
  THttpTransfer(const THttpTransfer&) = delete;
  THttpTransfer& operator=(const THttpTransfer&) = delete;

  // Called once, before the first byte of the body (or at the end of an
  // empty one); returning false ends the transfer as failed.
  std::function<bool(const THttpReplyHead& head)> OnHead;
  // Each chunk of the body as the connection delivers it; returning false
  // ends the transfer as failed.
  std::function<bool(const char* data, std::size_t size)> OnData;

  // Sends the request and receives the whole reply. True when the reply
  // arrived whole (Content-Length honoured) and no callback refused it;
  // the status code is the callbacks' to judge.
  bool Perform(const THttpRequest& request);
  // From any thread: a running Perform returns false at once, a later one
  // does not start.
  void Cancel();
  bool Cancelled() const { return cancelled_.load(); }
  // Why the last Perform failed, in English (for logs and tests).
  const AnsiString& ErrorText() const { return errorText_; }

 private:
  struct TState;
  std::shared_ptr<TState> state_;
  std::atomic<bool> cancelled_{false};
  AnsiString errorText_;
};

// The text a URL carries for resource: every byte outside printable ASCII,
// the blank and the characters that URLs never carry bare escaped as %XX;
// existing escapes and the characters with a meaning in URLs are kept.
AnsiString EscapeUrlResource(std::string_view resource);

// --------------------------------------------------------------- TDownloadFile

// A download's bytes go to a new file in the target's folder; Commit moves
// it onto the target in one step, Discard (or the destructor) removes it, so
// the target name only ever holds an old file or a whole new one.
class TDownloadFile {
 public:
  // target is code page 949. The file is created at once; Ok() says whether
  // that worked.
  explicit TDownloadFile(const AnsiString& target);
  ~TDownloadFile();
  TDownloadFile(const TDownloadFile&) = delete;
  TDownloadFile& operator=(const TDownloadFile&) = delete;

  bool Ok() const { return !tempName_.empty() && !failed_; }
  const AnsiString& TempName() const { return tempName_; }
  // False (and the file broken) when the disk refused the bytes.
  bool Write(const char* data, std::size_t size);
  // Writes what is buffered and waits until the disk holds it, then closes
  // the file; for the worker thread, so the GUI thread's Commit is quick.
  bool Finish();
  // Renames the finished file onto the target; false when that failed (then
  // the temporary file is removed).
  bool Commit();
  void Discard();

 private:
  bool Flush();
  AnsiString target_;
  AnsiString tempName_;
  int handle_ = -1;
  bool failed_ = false;
  bool finished_ = false;
  std::vector<char> buffer_;
};
