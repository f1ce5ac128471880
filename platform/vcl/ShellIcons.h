// The desktop's own icons for files and folders, as its file manager shows
// them (the icon theme, by the file's kind).
#pragma once

#include <string_view>

#include "platform/vcl/Graphics.h"

// Fills bitmap (32-bit, transparent where the icon is) with the icon of
// path at size x size pixels: an existing file or folder gives that item's
// icon; any other path the icon of its file type, found by its name alone
// (an extension such as ".avi" will do); a whole number the desktop's n-th
// standard icon (computer, desktop, trash, network, drive, folder, file,
// counting round). False when the desktop gives no icon at all. path is
// code page 949.
bool ShellFileIcon(std::string_view path, int size, TBitmap& bitmap);
