// FileNamesIn: the names of the files of one folder that match a mask, for
// a caller that wants only the names. FindFirst finds the same entries but
// also reads each one's size, time and attributes, which costs a look at
// every file.
#pragma once

#include <string_view>
#include <vector>

#include "platform/rtl/Types.h"

// The names (code page 949) of the entries of folder matching mask as
// FindFirst matches them ("*.avi" in any letter case), folders left out;
// a link counts as what it points to, a broken one as a file. In byte
// order, whatever the folder's order on disk. Empty when the folder cannot
// be read.
std::vector<AnsiString> FileNamesIn(std::string_view folder, std::string_view mask);
