// Helpers for the tests of the HTTP component and its users.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/HTTPGet.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "tests/net/LocalHttpServer.h"
#include "tests/net/NetTestSupport.h"

// A query value or form body as the server reads it: each %XX becomes its byte.
inline std::string PercentDecoded(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size()) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

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

// Shortens the process-wide limits for one test and puts them back.
struct TShortLimits {
  THTTPLimits saved = THTTPGet::Limits();
  ~TShortLimits() { THTTPGet::Limits() = saved; }
};

// Every test starts with the event loop ready (worker threads wake it) and
// ends only when no request thread is left.
class HttpTest : public ::testing::Test {
 protected:
  void SetUp() override { Application->ProcessMessages(); }
  void TearDown() override {
    EXPECT_TRUE(PumpUntil([] { return THTTPGet::RunningThreads() == 0; })) << "a request thread outlived the test";
  }
};

