// Decoding of picture files of every format the toolkit reads (PNG, GIF,
// JPEG, BMP, ICO, PBM/PGM/PPM, XBM, XPM) into bitmaps, with a bound on the
// memory one picture may ask for, so a hostile header cannot exhaust it.
#pragma once

#include <string_view>

#include "platform/vcl/Graphics.h"

// The largest picture decoded, in pixels (width times height), and the
// largest side.
inline constexpr long long kMaxDecodedPixels = 16LL * 1024 * 1024;
inline constexpr int kMaxDecodedSide = 16384;

struct TDecodedImageInfo {
  AnsiString Format;   // lower case: "png", "gif", "jpeg", ...
  int FrameCount = 0;  // frames the decoder read up to the selected one (GIF: at least 1)
  bool Animated = false;
};

// Decodes frame (0-based; the last frame when it is past the end) of the
// picture in data into bitmap as a 32-bit bitmap with alpha. Returns false,
// leaving bitmap as it was and setting error, when the data is not a picture
// the decoder reads, is truncated before its first frame, or would need more
// than kMaxDecodedPixels.
bool DecodeImageBytes(std::string_view data, int frame, TBitmap& bitmap, TDecodedImageInfo& info,
                      AnsiString& error);
