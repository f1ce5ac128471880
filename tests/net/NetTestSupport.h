// Files and ports for the tests of HTTP and its users.
#pragma once

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/rtl/SysUtils.h"

// A folder of its own for a test's files, removed afterwards.
struct TTestFolder {
  std::filesystem::path path;
  TTestFolder() {
    path = std::filesystem::temp_directory_path() /
           ("vidrena-http-" + std::to_string(::getpid()) + "-" +
            std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(path);
  }
  ~TTestFolder() { std::filesystem::remove_all(path); }
  AnsiString File(const std::string& utf8Name) const { return FromSysFileName((path / utf8Name).string()); }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

inline std::string ReadFileBytes(const AnsiString& name) {
  std::ifstream in(SysFileName(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFileBytes(const AnsiString& name, const std::string& bytes) {
  std::ofstream(SysFileName(name), std::ios::binary) << bytes;
}

// Makes the file look as if nothing had written to it for the given time;
// false when the time cannot be set.
inline bool AgeFile(const AnsiString& name, int seconds) {
  struct timespec times[2];
  ::clock_gettime(CLOCK_REALTIME, &times[0]);
  times[0].tv_sec -= seconds;
  times[1] = times[0];
  return ::utimensat(AT_FDCWD, SysFileName(name).c_str(), times, 0) == 0;
}

// A port nothing listens on.
inline int UnusedPort() {
  int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  socklen_t len = sizeof addr;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}
