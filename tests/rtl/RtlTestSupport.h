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
