// A small HTTP server on 127.0.0.1 for the tests and the benchmark: it keeps
// every request as it arrived (head and body bytes) and lets each test write
// the reply byte by byte, so that replies no ordinary server sends (cut
// short, without Content-Length, stalled) can be made.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

struct TReceivedRequest {
  std::string Method;
  std::string Target;
  std::string Version;
  std::string Head;  // request line and header lines, as sent, without the blank line
  std::string Body;
  std::vector<std::pair<std::string, std::string>> Headers;

  // The header lines of the head, without the request line.
  std::vector<std::string> HeaderLines() const {
    std::vector<std::string> lines;
    size_t start = Head.find("\r\n");
    while (start != std::string::npos) {
      start += 2;
      size_t end = Head.find("\r\n", start);
      lines.push_back(Head.substr(start, end == std::string::npos ? std::string::npos : end - start));
      start = end;
    }
    return lines;
  }
  bool HasHeader(std::string_view name) const {
    return std::any_of(Headers.begin(), Headers.end(), [&](const auto& h) { return Same(h.first, name); });
  }
  std::string Header(std::string_view name) const {
    for (const auto& h : Headers)
      if (Same(h.first, name)) return h.second;
    return {};
  }
  static bool Same(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
             return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
  }
};

class LocalHttpServer;

// One accepted connection, handed to the handler after its request was read.
class TServerConnection {
 public:
  TServerConnection(int fd, LocalHttpServer& server) : fd_(fd), server_(server) {}
  // False once the peer has gone or the server stops.
  bool Send(std::string_view bytes) {
    while (!bytes.empty()) {
      ssize_t n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (n <= 0) return false;
      bytes.remove_prefix(static_cast<size_t>(n));
    }
    return true;
  }
  // Waits ms, or less when the server stops or Release() is called; false
  // when it was cut short.
  inline bool Pause(int ms);

 private:
  int fd_;
  LocalHttpServer& server_;
};

class LocalHttpServer {
 public:
  using Handler = std::function<void(const TReceivedRequest&, TServerConnection&)>;

  explicit LocalHttpServer(Handler handler) : handler_(std::move(handler)) {
    listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    int one = 1;
    ::setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;  // a free port
    if (::bind(listener_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listener_, 64) != 0)
      throw std::runtime_error("test server: cannot listen");
    socklen_t len = sizeof addr;
    ::getsockname(listener_, reinterpret_cast<sockaddr*>(&addr), &len);
    port_ = ntohs(addr.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
  }

  ~LocalHttpServer() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
      for (int fd : open_) ::shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    ::shutdown(listener_, SHUT_RDWR);
    acceptor_.join();
    ::close(listener_);
    std::vector<std::thread> workers;
    {
      std::lock_guard lock(mutex_);
      workers.swap(workers_);
    }
    for (auto& t : workers) t.join();
  }

  int Port() const { return port_; }
  std::string HostPort() const { return "127.0.0.1:" + std::to_string(port_); }
  std::string Url(std::string_view path) const { return "http://" + HostPort() + std::string(path); }

  std::vector<TReceivedRequest> Requests() {
    std::lock_guard lock(mutex_);
    return requests_;
  }
  size_t RequestCount() {
    std::lock_guard lock(mutex_);
    return requests_.size();
  }
  // Ends every Pause in progress or to come.
  void Release() {
    {
      std::lock_guard lock(mutex_);
      released_ = true;
    }
    changed_.notify_all();
  }

  // A complete reply: status line, Content-Length (unless withLength is
  // false), the extra header lines, then the body.
  static std::string Reply(int status, std::string_view body, std::string_view extraHeaders = "",
                           bool withLength = true) {
    std::string r = "HTTP/1.0 " + std::to_string(status) + " X\r\n";
    if (withLength) r += "Content-Length: " + std::to_string(body.size()) + "\r\n";
    r += extraHeaders;
    r += "\r\n";
    r += body;
    return r;
  }

 private:
  friend class TServerConnection;

  void AcceptLoop() {
    for (;;) {
      int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) return;
      std::lock_guard lock(mutex_);
      if (stopping_) {
        ::close(fd);
        return;
      }
      open_.push_back(fd);
      workers_.emplace_back([this, fd] { Serve(fd); });
    }
  }

  void Serve(int fd) {
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    TReceivedRequest request;
    if (ReadRequest(fd, request)) {
      {
        std::lock_guard lock(mutex_);
        requests_.push_back(request);
      }
      TServerConnection connection(fd, *this);
      handler_(request, connection);
    }
    {
      std::lock_guard lock(mutex_);
      open_.erase(std::remove(open_.begin(), open_.end(), fd), open_.end());
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
  }

  static bool ReadRequest(int fd, TReceivedRequest& r) {
    std::string data;
    char buf[4096];
    size_t headEnd;
    while ((headEnd = data.find("\r\n\r\n")) == std::string::npos) {
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return false;
      data.append(buf, static_cast<size_t>(n));
      // Not a request line (a TLS greeting, say): hang up at once.
      if (!std::isupper(static_cast<unsigned char>(data[0]))) return false;
    }
    r.Head = data.substr(0, headEnd);
    std::string rest = data.substr(headEnd + 4);
    size_t lineEnd = r.Head.find("\r\n");
    std::string requestLine = r.Head.substr(0, lineEnd);
    size_t s1 = requestLine.find(' ');
    size_t s2 = requestLine.rfind(' ');
    r.Method = requestLine.substr(0, s1);
    r.Target = requestLine.substr(s1 + 1, s2 - s1 - 1);
    r.Version = requestLine.substr(s2 + 1);
    for (const std::string& line : r.HeaderLines()) {
      size_t colon = line.find(':');
      if (colon == std::string::npos) continue;
      size_t v = line.find_first_not_of(' ', colon + 1);
      r.Headers.emplace_back(line.substr(0, colon), v == std::string::npos ? "" : line.substr(v));
    }
    size_t length = r.HasHeader("Content-Length") ? std::stoul(r.Header("Content-Length")) : 0;
    while (rest.size() < length) {
      ssize_t n = ::recv(fd, buf, sizeof buf, 0);
      if (n <= 0) return false;
      rest.append(buf, static_cast<size_t>(n));
    }
    r.Body = rest;
    return true;
  }

  Handler handler_;
  int listener_ = -1;
  int port_ = 0;
  std::thread acceptor_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stopping_ = false;
  bool released_ = false;
  std::vector<int> open_;
  std::vector<std::thread> workers_;
  std::vector<TReceivedRequest> requests_;
};

inline bool TServerConnection::Pause(int ms) {
  std::unique_lock lock(server_.mutex_);
  return !server_.changed_.wait_for(lock, std::chrono::milliseconds(ms),
                                    [&] { return server_.stopping_ || server_.released_; });
}
