// The media probe: what the file-information dialog shows of one movie file
// (names, drive kind, subtitle, file ID, size) and, read from the AVI
// headers, resolution, frame count and rate, video codec and audio format.
//
// GetMediaInfo
//   ├─ names, DriveKind, Subtitle, FileId (GetFileId)
//   └─ TMediaFile ── ScanRiffChunks ── fills ChunkTable / ChunkCount
//                 └─ ParseAviHeaders ── reads the AVIH, STRH and STRF entries
#pragma once

#include <array>
#include <cstdio>
#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Types.h"

// One probed file. Header-derived fields are "" when the file has no such
// header (an AVI without audio leaves the audio fields empty).
struct TAVIInfo {
  AnsiString Resolution;  // "640x480"
  AnsiString FrameRate;   // frames per second, 4 decimals ("29.9700")
  AnsiString Frames;      // total frame count
  AnsiString SampleRate;  // audio samples per second
  AnsiString Channels;    // audio channel count
  AnsiString AudioCodec;  // name from the audio format table, "모름" for others
  AnsiString VideoCodec;  // name from the FourCC table, "XXXX - 모름" for others
  AnsiString DriveKind;   // "HDD", "CDROM", or "" for other drives
  AnsiString FileName;    // without folder
  AnsiString Subtitle;    // the ".SMI" file beside the movie, without folder
  AnsiString Folder;      // without trailing "/" (the root keeps it)
  AnsiString FileId;      // GetFileId as 8 upper-case hexadecimal digits
  AnsiString SizeMB;      // megabytes, two decimals ("700.25")
};

// The record the last GetMediaInfo filled.
extern TAVIInfo MediaInfo;

// One recognised chunk of the last scan.
struct fccRec {
  AnsiString Name;      // the four identifier bytes, upper-cased
  Int64 Position = 0;   // file offset just after the identifier
  DWORD Size = 0;       // the size field; for "MOVI" and "INFO" the enclosing list's
  DWORD Reserved = 0;
};

inline constexpr int kChunkTableSize = 41;
extern std::array<fccRec, kChunkTableSize> ChunkTable;
extern int ChunkCount;

// A read-only movie file with a read-ahead window, so that the scan's
// many 4-byte reads one byte apart cost no system call each.
class TMediaFile {
 public:
  // Opens the file for reading; false when it cannot be opened.
  bool Open(std::string_view fileName);
  bool IsOpen() const { return file_ != nullptr; }
  Int64 Size() const { return size_; }
  // Copies up to count bytes from position into buffer; returns how many
  // were read (fewer at the end of the file or on a read error).
  int ReadAt(Int64 position, void* buffer, int count);
  // The first offset from `from` up to (not including) `limit` where one of
  // the scan's chunk identifiers begins, in any letter case; `limit` when
  // there is none.
  Int64 FindChunkName(Int64 from, Int64 limit);

 private:
  struct Closer {
    void operator()(std::FILE* f) const { std::fclose(f); }
  };
  std::unique_ptr<std::FILE, Closer> file_;
  Int64 size_ = 0;
  std::vector<Byte> window_;
  Int64 windowStart_ = 0;
  Int64 windowLength_ = 0;
};

// Clears the header-derived fields and SizeMB.
void ClearMediaInfo();

// Probes fileName (code page 949) into MediaInfo. Never throws; a file that
// cannot be opened keeps names, drive kind, subtitle and file ID and has
// every other field empty.
void GetMediaInfo(std::string_view fileName);

// Probes files added together, as GetMediaInfo does each, but looks up what
// the files of one folder share once per folder instead of once per file:
// the kind of its drive (a file that is a link is looked up on its own) and
// the subtitle files in it. Adding a folder of n movies then reads the
// folder once, not n times. Lives for one add: what it knows of a folder
// is not checked again.
class TMediaBatch {
 public:
  void Probe(std::string_view fileName);
  // The drive kind of a folder probed from, or looked up now.
  TDriveKind FolderDriveKind(std::string_view folder);

 private:
  struct TFolder {
    bool KindKnown = false;
    TDriveKind Kind = DRIVE_UNKNOWN;
    bool SubtitlesRead = false;
    std::vector<AnsiString> Subtitles;  // the "*.smi" names, in the folder's order
  };
  std::map<AnsiString, TFolder> folders_;
};

// Sets SizeMB and records the file's recognised chunks in ChunkTable. Only
// RIFF files are scanned; the scan stops when the table is full, at a movie
// data list of size 0, after 4 MiB stepped over byte by byte in the whole
// file, and past the movie data at the first bytes that start no chunk.
void ScanRiffChunks(TMediaFile& file);

// Reads the AVI main header and the stream headers of the recorded chunks.
void ParseAviHeaders(TMediaFile& file, const fccRec* table, int count);
