// The file ID: a checksum over the first 16 KiB of a media file that the
// catalogue stores in its "파일ID" column, that the editor uses to refuse a
// file it already lists, and that the online file-ID service is keyed on.
#pragma once

#include "platform/rtl/Types.h"

// How much of a file the ID covers: four blocks of 4096 bytes.
inline constexpr int kFileIdBlockSize = 4096;
inline constexpr int kFileIdBlockCount = 4;

// The ID of the file's first 16 KiB. Every copy of the program must give the
// same digits for the same bytes, so the update step is fixed: it adds the
// table value to the running sum instead of replacing it, which makes the
// result differ from the standard CRC-32. A file that cannot be read, and an
// empty one, give 0. Callers show it as 8 upper-case hexadecimal digits.
DWORD GetFileId(std::string_view fileName);

// The ID as the catalogue stores it: 8 upper-case hexadecimal digits.
AnsiString FileIdToStr(DWORD fileId);

// The running checksum over one buffer, for callers that already hold the
// bytes; GetFileId is FileIdUpdate over the blocks, then inverted.
DWORD FileIdUpdate(DWORD sum, const Byte* data, std::size_t length);
