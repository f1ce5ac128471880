// Helpers the runtime's test suites share.
#pragma once

#include <string>

#include "platform/rtl/SysUtils.h"

// The message of the Exception that f raises, or "(no exception)".
template <typename F>
std::string MessageOf(F f) {
  try {
    f();
  } catch (const Exception& e) {
    return e.Message();
  }
  return "(no exception)";
}

// Puts a locale in place for one test and the old one back after it.
class LocaleScope {
 public:
  explicit LocaleScope(const TFormatSettings& fs) : saved_(FormatSettings) { FormatSettings = fs; }
  ~LocaleScope() { FormatSettings = saved_; }
  LocaleScope(const LocaleScope&) = delete;
  LocaleScope& operator=(const LocaleScope&) = delete;

 private:
  TFormatSettings saved_;
};
