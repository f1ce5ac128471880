// Whole-file writes of the styled controls' lists: through a temporary file
// beside the target that then replaces it, so a crash or a full disk never
// leaves a half-written list behind.
#pragma once

#include <string_view>

#include "platform/rtl/SysUtils.h"

// Writes bytes as the whole new contents of fileName (code page 949 name).
// EFCreateError naming fileName when it cannot be written; the old file is
// then left as it was.
void ScSaveFileSafely(const AnsiString& fileName, std::string_view bytes);
// The whole contents of a file; EFOpenError when it cannot be read.
AnsiString ScLoadFileBytes(const AnsiString& fileName);
