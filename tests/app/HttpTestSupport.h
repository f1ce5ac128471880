// Helpers for the tests of the HTTP component and its users.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "app/HTTPGet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "tests/net/LocalHttpServer.h"

// Runs the event loop until done() or the deadline; false on timeout.
inline bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
  auto start = std::chrono::steady_clock::now();
  while (!done()) {
    if (std::chrono::steady_clock::now() - start > deadline) return false;
    Application->ProcessMessages();
    CheckSynchronize(5);
  }
  return true;
}

// Every test starts with the event loop ready (worker threads wake it) and
// ends only when no request thread is left.
class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override { Application->ProcessMessages(); }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; })) << "a request thread outlived the test";
  }
};

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
