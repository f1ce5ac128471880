// HTTP over libcurl, and the download file.
//
// Sections:
//   Set-up ............ the library's one-time start, host checks, URL escaping
//   THttpTransfer ..... Perform: one easy handle driven by a multi handle, so
//                       that Cancel can wake the wait at once
//   TDownloadFile ..... temporary file, buffered writes, commit by rename;
//                       stale ".part" files of killed downloads removed
//
// Perform
//   BuildUrl -> options -> curl_multi_perform / curl_multi_poll loop,
//                          the stall check after each round
//     HeaderLine        per header line: status lines restart the head
//     ReceiveBody       per chunk: the head once, then OnData
//   -> the transfer's result; an empty body still gets its head
#include "platform/net/HttpClient.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <deque>
#include <mutex>
#include <random>

#include "platform/rtl/SysUtils.h"

// ====================================================================== set-up

namespace {

void EnsureCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

bool IsHostChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == '_';
}

// Names and addresses only: anything else ("user@host", blanks, a second
// scheme) would let the URL parser read the address differently from us.
bool IsValidHost(std::string_view host) {
  if (host.empty()) return false;
  if (host.front() == '[') {
    if (host.size() < 3 || host.back() != ']') return false;
    for (char c : host.substr(1, host.size() - 2))
      if (!std::isxdigit(static_cast<unsigned char>(c)) && c != ':' && c != '.') return false;
    return true;
  }
  for (char c : host)
    if (!IsHostChar(c)) return false;
  return true;
}

// A line break inside a value would end the header line and let the rest
// pass as headers of its own.
bool HasLineBreak(std::string_view value) { return value.find_first_of("\r\n") != std::string_view::npos; }

bool HeadersAreSafe(const THttpRequest& r) {
  if (HasLineBreak(r.Agent) || HasLineBreak(r.Referer) || HasLineBreak(r.Accept) || HasLineBreak(r.Verb) ||
      HasLineBreak(r.UserName) || HasLineBreak(r.Password))
    return false;
  return std::none_of(r.Headers.begin(), r.Headers.end(), [](const AnsiString& h) { return HasLineBreak(h); });
}

AnsiString BuildUrl(const THttpRequest& r) {
  AnsiString url = r.Secure ? "https://" : "http://";
  url += r.Host;
  if (r.Port != 0) url += ":" + IntToStr(r.Port);
  AnsiString resource = EscapeUrlResource(r.Resource);
  if (resource.empty() || resource.front() != '/') resource.insert(resource.begin(), '/');
  return url + resource;
}

// Content-Length values: digits only, with blanks around.
bool ParseLength(std::string_view text, Int64& value) {
  AnsiString t = Trim(text);
  if (t.empty() || t.size() > 18) return false;
  Int64 v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

}  // namespace

AnsiString EscapeUrlResource(std::string_view resource) {
  static const char kHex[] = "0123456789ABCDEF";
  AnsiString out;
  out.reserve(resource.size());
  for (char ch : resource) {
    auto c = static_cast<unsigned char>(ch);
    bool bare = c > 0x20 && c < 0x7F && std::string_view("\"<>\\^`{|}").find(ch) == std::string_view::npos;
    if (bare) {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

// ============================================================== THttpTransfer

// What Cancel reaches from another thread: the multi handle while a
// transfer waits on it.
struct THttpTransfer::TState {
  std::mutex mutex;
  CURLM* multi = nullptr;
};

namespace {

// What the callbacks of one Perform share.
struct TReceive {
  CURL* easy = nullptr;
  const std::function<bool(const THttpReplyHead&)>* onHead = nullptr;
  const std::function<bool(const char*, std::size_t)>* onData = nullptr;
  const std::atomic<bool>* cancelled = nullptr;
  THttpReplyHead head;
  // Bytes of heads and bodies received so far, for the stall check.
  Int64 received = 0;
  bool headSent = false;
  bool refused = false;

  bool SendHead() {
    if (headSent) return true;
    headSent = true;
    long status = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &status);
    head.StatusCode = static_cast<int>(status);
    if (*onHead && !(*onHead)(head)) refused = true;
    return !refused;
  }
};

size_t HeaderLine(char* data, size_t size, size_t count, void* user) {
  auto* rx = static_cast<TReceive*>(user);
  std::string_view line(data, size * count);
  rx->received += static_cast<Int64>(line.size());
  if (line.size() >= 5 && CompareText(line.substr(0, 5), "HTTP/") == 0) {
    // Each reply of a redirect chain (and each interim reply) has its own head.
    rx->head = THttpReplyHead();
    return size * count;
  }
  constexpr std::string_view kLength = "content-length:";
  if (line.size() >= kLength.size() && CompareText(line.substr(0, kLength.size()), kLength) == 0) {
    Int64 value = 0;
    if (!ParseLength(line.substr(kLength.size()), value)) {
      rx->head.ContentLengthValid = false;
    } else if (rx->head.ContentLength >= 0 && rx->head.ContentLength != value) {
      rx->head.ContentLengthValid = false;
    } else {
      rx->head.ContentLength = value;
    }
  }
  return size * count;
}

size_t ReceiveBody(char* data, size_t size, size_t count, void* user) {
  auto* rx = static_cast<TReceive*>(user);
  size_t bytes = size * count;
  rx->received += static_cast<Int64>(bytes);
  if (rx->cancelled->load() || !rx->SendHead()) return CURL_WRITEFUNC_ERROR;
  if (bytes == 0) return 0;
  if (*rx->onData && !(*rx->onData)(data, bytes)) {
    rx->refused = true;
    return CURL_WRITEFUNC_ERROR;
  }
  return bytes;
}

struct TCurlHandles {
  CURL* easy = curl_easy_init();
  CURLM* multi = curl_multi_init();
  curl_slist* headers = nullptr;
  bool added = false;
  ~TCurlHandles() {
    if (added) curl_multi_remove_handle(multi, easy);
    if (multi) curl_multi_cleanup(multi);
    if (easy) curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
  }
  void AddHeader(const AnsiString& line) { headers = curl_slist_append(headers, line.c_str()); }
};

// Judges whether a transfer still moves: it is stalled when fewer than
// minBytes moved in the last window, measured from samples taken at least
// every kStallSampleMs.
class TStallWatch {
 public:
  using Clock = std::chrono::steady_clock;
  TStallWatch(int windowSec, int minBytes) : window_(std::chrono::seconds(windowSec)), minBytes_(minBytes) {}
  bool Stalled(Int64 moved) {
    const Clock::time_point now = Clock::now();
    samples_.push_back({now, moved});
    if (window_.count() <= 0) return false;
    // The newest sample at least a window old is the base the window counts from.
    while (samples_.size() > 1 && now - samples_[1].at >= window_) samples_.pop_front();
    if (now - samples_.front().at < window_) return false;
    return moved - samples_.front().moved < minBytes_;
  }

 private:
  struct TSample {
    Clock::time_point at;
    Int64 moved;
  };
  Clock::duration window_;
  Int64 minBytes_;
  std::deque<TSample> samples_;
};

constexpr int kStallSampleMs = 250;

// Buffer for the connection's reads: large chunks keep the per-chunk work
// (callbacks, progress events) small next to the bytes.
constexpr long kReceiveBufferSize = 256 * 1024;

}  // namespace

THttpTransfer::THttpTransfer() : state_(std::make_shared<TState>()) {}

THttpTransfer::~THttpTransfer() = default;

void THttpTransfer::Cancel() {
  cancelled_ = true;
  std::lock_guard lock(state_->mutex);
  if (state_->multi) curl_multi_wakeup(state_->multi);
}

bool THttpTransfer::Perform(const THttpRequest& request) {
  errorText_.clear();
  if (cancelled_) {
    errorText_ = "cancelled";
    return false;
  }
  if (request.Port < 0 || request.Port > 65535) {
    errorText_ = "invalid port " + IntToStr(request.Port);
    return false;
  }
  if (!IsValidHost(request.Host)) {
    errorText_ = "invalid host \"" + request.Host + "\"";
    return false;
  }
  if (!HeadersAreSafe(request)) {
    errorText_ = "line break in a header value";
    return false;
  }
  EnsureCurl();
  TCurlHandles h;
  if (!h.easy || !h.multi) {
    errorText_ = "out of resources";
    return false;
  }
  TReceive rx;
  rx.easy = h.easy;
  rx.onHead = &OnHead;
  rx.onData = &OnData;
  rx.cancelled = &cancelled_;

  AnsiString url = BuildUrl(request);
  CURL* e = h.easy;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, static_cast<long>(request.MaxRedirects));
  curl_easy_setopt(e, CURLOPT_HTTP_VERSION,
                   request.Http10 ? CURL_HTTP_VERSION_1_0 : CURL_HTTP_VERSION_1_1);
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.ConnectTimeoutMs));
  if (request.TimeLimitSec > 0)
    curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, static_cast<long>(request.TimeLimitSec) * 1000L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 1L);
  curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 2L);
  curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
  // The loopback never goes through a proxy the environment names.
  curl_easy_setopt(e, CURLOPT_NOPROXY, "localhost,127.0.0.1,::1");
  if (!request.Agent.empty()) curl_easy_setopt(e, CURLOPT_USERAGENT, request.Agent.c_str());
  if (!request.Referer.empty()) curl_easy_setopt(e, CURLOPT_REFERER, request.Referer.c_str());
  if (!request.UserName.empty()) {
    curl_easy_setopt(e, CURLOPT_USERNAME, request.UserName.c_str());
    curl_easy_setopt(e, CURLOPT_PASSWORD, request.Password.c_str());
    curl_easy_setopt(e, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  if (request.HasBody) {
    curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.Body.size()));
    curl_easy_setopt(e, CURLOPT_POSTFIELDS, request.Body.data());
  }
  if (request.Verb == "POST") {
    curl_easy_setopt(e, CURLOPT_POST, 1L);
  } else if (request.Verb != "GET" || request.HasBody) {
    curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, request.Verb.c_str());
  }
  // The library's own Accept line gives way to ours (or to none).
  h.AddHeader(request.Accept.empty() ? AnsiString("Accept:") : "Accept: " + request.Accept);
  h.AddHeader("Expect:");
  for (const AnsiString& line : request.Headers) h.AddHeader(line);
  curl_easy_setopt(e, CURLOPT_HTTPHEADER, h.headers);
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, HeaderLine);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &rx);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, ReceiveBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &rx);

  if (curl_multi_add_handle(h.multi, e) != CURLM_OK) {
    errorText_ = "out of resources";
    return false;
  }
  h.added = true;
  {
    std::lock_guard lock(state_->mutex);
    state_->multi = h.multi;
  }
  struct Unpublish {
    TState& state;
    ~Unpublish() {
      std::lock_guard lock(state.mutex);
      state.multi = nullptr;
    }
  } unpublish{*state_};

  CURLcode result = CURLE_OK;
  bool finished = false;
  bool stalled = false;
  TStallWatch stall(request.StallTimeoutSec, request.StallMinBytes);
  while (!cancelled_) {
    int running = 0;
    if (curl_multi_perform(h.multi, &running) != CURLM_OK) break;
    if (running == 0) {
      int left = 0;
      while (CURLMsg* msg = curl_multi_info_read(h.multi, &left)) {
        if (msg->msg == CURLMSG_DONE) {
          result = msg->data.result;
          finished = true;
        }
      }
      break;
    }
    curl_off_t sent = 0;
    curl_easy_getinfo(e, CURLINFO_SIZE_UPLOAD_T, &sent);
    if (stall.Stalled(rx.received + static_cast<Int64>(sent))) {
      stalled = true;
      break;
    }
    if (curl_multi_poll(h.multi, nullptr, 0, kStallSampleMs, nullptr) != CURLM_OK) break;
  }
  if (cancelled_) {
    errorText_ = "cancelled";
    return false;
  }
  if (rx.refused) {
    errorText_ = "refused by the receiver";
    return false;
  }
  if (stalled) {
    errorText_ = "fewer than " + IntToStr(request.StallMinBytes) + " bytes moved in " +
                 IntToStr(request.StallTimeoutSec) + " s";
    return false;
  }
  if (!finished) {
    errorText_ = "transfer interrupted";
    return false;
  }
  if (result != CURLE_OK) {
    errorText_ = curl_easy_strerror(result);
    return false;
  }
  // An empty body never reached ReceiveBody.
  if (!rx.SendHead()) {
    errorText_ = "refused by the receiver";
    return false;
  }
  return true;
}

// ============================================================== TDownloadFile

namespace {

// Writes go to the disk in blocks of this size.
constexpr std::size_t kWriteBlock = 1 << 20;

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    ssize_t n = ::write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<std::size_t>(n);
  }
  return true;
}

// Whether name (on disk) is one that the constructor below gives for target:
// "." its name "." six hexadecimal digits as IntToHex writes them ".part".
bool IsDownloadPartNameFor(std::string_view name, const AnsiString& target) {
  const std::string base = Cp949ToUtf8(ExtractFileName(target));
  constexpr std::string_view kEnd = ".part";
  constexpr size_t kRandom = 6;
  if (base.empty() || name.size() != 1 + base.size() + 1 + kRandom + kEnd.size() || name[0] != '.' ||
      name.substr(1, base.size()) != base || name[1 + base.size()] != '.' || !name.ends_with(kEnd))
    return false;
  const std::string_view random = name.substr(2 + base.size(), kRandom);
  return std::all_of(random.begin(), random.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); });
}

}  // namespace

TDownloadFile::TDownloadFile(const AnsiString& target) : target_(target) {
  if (target.empty()) return;
  // What killed downloads to this name left in the folder.
  DeleteStaleTemporaryFiles(ExtractFilePath(target),
                            [&target](std::string_view name) { return IsDownloadPartNameFor(name, target); });
  thread_local std::mt19937 random{std::random_device{}()};
  // Hidden beside the target, so a folder listing of posters skips it, and
  // unique, so two downloads to one name never share it.
  AnsiString dir = ExtractFilePath(target);
  AnsiString name = ExtractFileName(target);
  for (int attempt = 0; attempt < 16 && handle_ < 0; ++attempt) {
    tempName_ = dir + "." + name + "." + IntToHex(random() & 0xFFFFFF, 6) + ".part";
    handle_ = ::open(SysFileName(tempName_).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle_ < 0 && errno != EEXIST) break;
  }
  if (handle_ < 0) tempName_.clear();
  buffer_.reserve(kWriteBlock);
}

TDownloadFile::~TDownloadFile() { Discard(); }

bool TDownloadFile::Flush() {
  if (buffer_.empty()) return true;
  if (!WriteAll(handle_, buffer_.data(), buffer_.size())) failed_ = true;
  buffer_.clear();
  return !failed_;
}

bool TDownloadFile::Write(const char* data, std::size_t size) {
  if (!Ok() || finished_ || handle_ < 0) return false;
  if (buffer_.size() + size > kWriteBlock && !Flush()) return false;
  if (size >= kWriteBlock) {
    if (!WriteAll(handle_, data, size)) failed_ = true;
    return !failed_;
  }
  buffer_.insert(buffer_.end(), data, data + size);
  return true;
}

bool TDownloadFile::Finish() {
  if (!Ok() || finished_) return Ok() && finished_;
  bool ok = Flush() && ::fsync(handle_) == 0;
  ok = ::close(handle_) == 0 && ok;
  handle_ = -1;
  finished_ = true;
  if (!ok) failed_ = true;
  return ok;
}

bool TDownloadFile::Commit() {
  if (!finished_ || failed_ || tempName_.empty()) {
    Discard();
    return false;
  }
  if (!ReplaceFile(tempName_, target_)) {
    Discard();
    return false;
  }
  tempName_.clear();
  return true;
}

void TDownloadFile::Discard() {
  if (handle_ >= 0) {
    ::close(handle_);
    handle_ = -1;
  }
  if (!tempName_.empty()) {
    ::unlink(SysFileName(tempName_).c_str());
    tempName_.clear();
  }
  buffer_.clear();
}
