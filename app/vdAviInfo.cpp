// Sections:
//   Tables ........... video FourCC names, audio format names, chunk names
//   TMediaFile ....... buffered read-only file
//   Formatting ....... short numeric fields
//   Scan and parse ... ScanRiffChunks, ParseAviHeaders
//   GetMediaInfo
#include "app/vdAviInfo.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sys/types.h>

#include "app/vdCrc32.h"
#include "platform/rtl/SysUtils.h"

TAVIInfo MediaInfo;
std::array<fccRec, kChunkTableSize> ChunkTable;
int ChunkCount = 0;

namespace {

// -------------------------------------------------------------------- Tables

struct FourCCName {
  const char* fourCC;
  const char* name;
};

// Compared with the upper-cased handler FourCC, all four bytes, blanks included.
constexpr FourCCName kVideoCodecs[] = {
    {"ULTI", "IBM Ultimotion"},
    {"JPEG", "JPEG"},
    {"MJPG", "Motion JPEG"},
    {"IJPG", "Intergraph JPEG"},
    {"CRAM", "Microsoft Video 1"},
    {"WHAM", "Microsoft Video 1"},
    {"MSVC", "Microsoft Video 1"},
    {"CVID", "Radius Cinepak"},
    {"IV31", "Intel Indeo R3.1"},
    {"IV32", "Intel Indeo R3.2"},
    {"IV41", "Intel Indeo R4.1"},
    {"YUV9", "Intel RAW YUV9"},
    {"CYUV", "Creative CYUV"},
    {"RGB ", "Uncompressed"},
    {"RLE8", "Run length encoded"},
    {"RLE ", "Run length encoded"},
    {"XMPG", "Editable MPEG"},
    {"RPZA", "Apple Video 16 Bit"},
    {"XVID", "XviD MPEG4 Codec"},
    {"WMV3", "MS Windwos Media Video 9"},
    {"MPG4", "MPEG4 Standard"},
    {"MP41", "MPEG4 V1"},
    {"MP42", "MPEG4 V2"},
    {"MP43", "MPEG4 V3"},
    {"DIB ", "MS Bitmap"},
    {"DIV1", "MPEG4 V1 Cracked ;)"},
    {"DIV2", "MPEG4 V2 Cracked ;)"},
    {"DIV3", "MPEG-4 Low-Motion"},
    {"DIV4", "MPEG-4 Fast-Motion"},
    {"DIVX", "DivX 4"},
    {"DX50", "DivX 5"},
    {"MRLE", "Microsoft RLE"},
    {"I263", "Intel I.263"},
    {"IYUV", "Intel IYUV"},
    {"M261", "Microsoft H.261 Codec"},
    {"M263", "Microsoft H.263 Codec"},
    {"PVW2", "PICVideo Wavelet 2000"},
};

struct AudioFormatEntry {
  Word tag;
  const char* name;
};

constexpr AudioFormatEntry kAudioFormats[] = {
    {0x0001, "Microsoft PCM"},
    {0x0002, "Microsoft ADPCM"},
    {0x0011, "IMA ADPCM"},
    {0x0022, "DSP True Speech"},
    {0x0031, "GSM 6.10"},
    {0x0041, "IBM mu-law format"},
    {0x0042, "IBM a-law or Microsoft G.723.1"},
    {0x0043, "IBM AVC Adaptive Differential PCM format"},
    {0x0055, "MP3 Audio Layer"},
    {0x0130, "ACELP.net Codec"},
    {0x0160, "DivX ;-) Audio (WMA) V1"},
    {0x0161, "DivX ;-) Audio (WMA) V2"},
    {0x0401, "IMC"},
    {0x2000, "AC3 Audio Codec"},
    {0x2001, "DTS Audio Codec"},
    {0x674F, "Ogg Vorbis (mode1)"},
    {0x6750, "Ogg Vorbis (mode2)"},
    {0x6751, "Ogg Vorbis (mode3)"},
    {0x676F, "Ogg Vorbis (mode1+)"},
    {0x6770, "Ogg Vorbis (mode2+)"},
    {0x6771, "Ogg Vorbis (mode3+)"},
};

// The identifiers the scan records, matched on the upper-cased bytes.
constexpr const char* kChunkNames[] = {
    "INFO", "AVIH", "IART", "ICMT", "ICOP", "INAM", "IPRD", "ISBJ", "ISRC",
    "STRF", "DISP", "STRH", "STRD", "MOVI", "IDX1", "JUNK", "PRMI", "LIST",
};

// How many bytes the scan may step over one at a time, in the whole file.
// Headers lie close together before the movie data; the unrecognised bytes
// between them (stream names, codec data, index headers) come to a few
// kilobytes. A budget for the file, rather than for each run between two
// recognised names, keeps a file with a stray identifier every few
// megabytes from being walked to its end.
constexpr Int64 kMaxSteppedBytes = 4 * 1024 * 1024;

constexpr char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr DWORD FourCCKey(const char* bytes) {
  return DWORD(Byte(UpperAscii(bytes[0]))) | DWORD(Byte(UpperAscii(bytes[1]))) << 8 |
         DWORD(Byte(UpperAscii(bytes[2]))) << 16 | DWORD(Byte(UpperAscii(bytes[3]))) << 24;
}

constexpr std::array<DWORD, std::size(kChunkNames)> MakeChunkKeys() {
  std::array<DWORD, std::size(kChunkNames)> keys{};
  for (std::size_t i = 0; i < keys.size(); ++i) keys[i] = FourCCKey(kChunkNames[i]);
  return keys;
}

// The scan tests every byte offset, so the names are compared as numbers.
constexpr auto kChunkKeys = MakeChunkKeys();

bool IsChunkName(const char bytes[4]) {
  const DWORD key = FourCCKey(bytes);
  return std::find(kChunkKeys.begin(), kChunkKeys.end(), key) != kChunkKeys.end();
}

constexpr std::array<bool, 256> MakeFirstLetters() {
  std::array<bool, 256> letters{};
  for (const char* name : kChunkNames) {
    letters[Byte(name[0])] = true;
    letters[Byte(name[0] - 'A' + 'a')] = true;
  }
  return letters;
}

// Bytes that can begin an identifier, in either letter case.
constexpr auto kFirstLetter = MakeFirstLetters();

const AnsiString& UnknownText() {
  static const AnsiString text = "모름"_k;
  return text;
}

const AnsiString& UnknownSuffix() {
  static const AnsiString text = " - "_k + "모름"_k;
  return text;
}

// The FourCC as text: ASCII letters upper-cased, byte by byte (its bytes are
// four codes, not code page 949 text).
AnsiString UpperFourCC(const char bytes[4]) {
  AnsiString s(bytes, 4);
  for (char& c : s) c = UpperAscii(c);
  return s;
}

// ---------------------------------------------------------------- Formatting

// A number with decimals cut to maxLength characters. Only decimals are
// dropped: the integer part is the value the user reads and stays whole,
// and a separator left dangling at the end goes too ("12345." → "12345").
AnsiString CutDecimals(AnsiString text, std::size_t maxLength) {
  if (text.size() <= maxLength) return text;
  const std::size_t separator = text.find(FormatSettings.DecimalSeparator);
  if (separator == AnsiString::npos || separator >= maxLength) {
    return separator == AnsiString::npos ? text : text.substr(0, separator);
  }
  text.resize(maxLength);
  if (text.back() == FormatSettings.DecimalSeparator) text.pop_back();
  return text;
}

// A FourCC shown to the user: bytes that are not printable ASCII, and the
// "|" that joins the per-file columns of the catalogue, become "?".
AnsiString PrintableFourCC(const AnsiString& fourCC) {
  AnsiString s = fourCC;
  for (char& c : s) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 0x7E || c == '|') c = '?';
  }
  return s;
}

bool ReadU32(TMediaFile& file, Int64 position, DWORD& value) {
  Byte b[4];
  if (position < 0 || file.ReadAt(position, b, 4) != 4) return false;
  value = DWORD(b[0]) | DWORD(b[1]) << 8 | DWORD(b[2]) << 16 | DWORD(b[3]) << 24;
  return true;
}

bool ReadU16(TMediaFile& file, Int64 position, Word& value) {
  Byte b[2];
  if (position < 0 || file.ReadAt(position, b, 2) != 2) return false;
  value = static_cast<Word>(b[0] | b[1] << 8);
  return true;
}

bool ReadFourCC(TMediaFile& file, Int64 position, AnsiString& fourCC) {
  char b[4];
  if (position < 0 || file.ReadAt(position, b, 4) != 4) return false;
  fourCC = UpperFourCC(b);
  return true;
}

AnsiString VideoCodecName(const AnsiString& fourCC) {
  for (const FourCCName& entry : kVideoCodecs)
    if (fourCC == entry.fourCC) return entry.name;
  return PrintableFourCC(fourCC) + UnknownSuffix();
}

AnsiString AudioFormatName(Word tag) {
  for (const AudioFormatEntry& entry : kAudioFormats)
    if (tag == entry.tag) return entry.name;
  return UnknownText();
}

void ParseMainHeader(TMediaFile& file, const fccRec& entry) {
  // AVIMAINHEADER after the size field: µs per frame, max bytes per second,
  // padding, flags, total frames (16), initial frames, streams, suggested
  // buffer size, width (32), height (36).
  const Int64 body = entry.Position + 4;
  DWORD frames = 0, width = 0, height = 0;
  if (ReadU32(file, body + 16, frames)) MediaInfo.Frames = IntToStr(frames);
  if (ReadU32(file, body + 32, width) && ReadU32(file, body + 36, height))
    MediaInfo.Resolution = IntToStr(width) + "x" + IntToStr(height);
}

void ParseVideoStream(TMediaFile& file, Int64 body) {
  AnsiString handler;
  if (!ReadFourCC(file, body + 4, handler)) return;
  MediaInfo.VideoCodec = VideoCodecName(handler);
  DWORD scale = 0, rate = 0;
  if (!ReadU32(file, body + 20, scale) || !ReadU32(file, body + 24, rate)) return;
  // A scale of 0 would divide by zero: the rate is then not known.
  if (scale == 0) {
    MediaInfo.FrameRate = UnknownText();
    return;
  }
  MediaInfo.FrameRate = CutDecimals(FloatToStrF(double(rate) / scale, ffFixed, 15, 4), 8);
}

void ParseAudioFormat(TMediaFile& file, const fccRec& format) {
  // WAVEFORMATEX after the size field: format tag, channels, samples per second.
  const Int64 body = format.Position + 4;
  Word tag = 0, channels = 0;
  DWORD sampleRate = 0;
  if (!ReadU16(file, body, tag)) return;
  MediaInfo.AudioCodec = AudioFormatName(tag);
  if (ReadU16(file, body + 2, channels)) MediaInfo.Channels = IntToStr(channels);
  if (ReadU32(file, body + 4, sampleRate)) MediaInfo.SampleRate = IntToStr(sampleRate);
}

}  // namespace

// ---------------------------------------------------------------- TMediaFile

namespace {
constexpr int kWindowSize = 64 * 1024;
}

bool TMediaFile::Open(std::string_view fileName) {
  file_.reset();
  windowStart_ = windowLength_ = size_ = 0;
  const std::string sysName = SysFileName(fileName);
  // A folder opens for reading too, but has no bytes and no meaningful size.
  std::error_code error;
  if (!std::filesystem::is_regular_file(sysName, error)) return false;
  file_.reset(std::fopen(sysName.c_str(), "rb"));
  if (!file_) return false;
  if (fseeko(file_.get(), 0, SEEK_END) == 0) {
    const off_t end = ftello(file_.get());
    size_ = end > 0 ? end : 0;
  }
  return true;
}

int TMediaFile::ReadAt(Int64 position, void* buffer, int count) {
  if (!file_ || position < 0 || count <= 0 || position >= size_) return 0;
  if (position < windowStart_ || position + count > windowStart_ + windowLength_) {
    window_.resize(kWindowSize);
    windowStart_ = position;
    windowLength_ = 0;
    if (fseeko(file_.get(), static_cast<off_t>(position), SEEK_SET) != 0) return 0;
    windowLength_ = static_cast<Int64>(std::fread(window_.data(), 1, window_.size(), file_.get()));
  }
  const Int64 available = windowStart_ + windowLength_ - position;
  const int copied = static_cast<int>(std::min<Int64>(available, count));
  if (copied <= 0) return 0;
  std::memcpy(buffer, window_.data() + (position - windowStart_), copied);
  return copied;
}

Int64 TMediaFile::FindChunkName(Int64 from, Int64 limit) {
  // Looks at the bytes in the window directly, one read per window rather
  // than one 4-byte read per offset; a byte that cannot begin a name is
  // passed over without building the identifier.
  Int64 pos = std::max<Int64>(from, 0);
  while (pos < limit) {
    Byte first[4];
    if (ReadAt(pos, first, 4) != 4) return limit;  // also brings pos into the window
    const Byte* bytes = window_.data() + (pos - windowStart_);
    const Int64 end = std::min(windowStart_ + windowLength_ - 3 - pos, limit - pos);
    for (Int64 i = 0; i < end; ++i) {
      if (kFirstLetter[bytes[i]] && IsChunkName(reinterpret_cast<const char*>(bytes + i))) return pos + i;
    }
    pos += end;
  }
  return limit;
}

// ------------------------------------------------------------ Scan and parse

void ClearMediaInfo() {
  MediaInfo.Resolution.clear();
  MediaInfo.FrameRate.clear();
  MediaInfo.Frames.clear();
  MediaInfo.SampleRate.clear();
  MediaInfo.Channels.clear();
  MediaInfo.AudioCodec.clear();
  MediaInfo.VideoCodec.clear();
  MediaInfo.SizeMB.clear();
}

void ScanRiffChunks(TMediaFile& file) {
  ChunkCount = 0;
  const Int64 size = file.Size();
  MediaInfo.SizeMB = CutDecimals(FloatToStrF(double(size) / 1048576.0, ffFixed, 15, 2), 6);

  // Only RIFF files are walked: the walk advances one byte at a time outside
  // recognised chunks, which on a multi-gigabyte file of another kind would
  // read all of it for nothing.
  char signature[4];
  if (file.ReadAt(0, signature, 4) != 4 || std::memcmp(signature, "RIFF", 4) != 0) return;

  Int64 pos = 0;
  Int64 stepped = 0;
  // Past the movie data every header lies behind the scan; what an ordinary
  // file has there (index, padding, a further RIFF part) starts at a chunk
  // boundary, so the scan only follows chunks that begin where the previous
  // one ended and stops at the first unrecognised bytes instead of stepping
  // through padding or data.
  bool pastMovieData = false;
  while (pos < size - 4 && ChunkCount < kChunkTableSize) {
    char id[4];
    if (!pastMovieData) {
      const Int64 found = file.FindChunkName(pos, std::min(size - 4, pos + kMaxSteppedBytes - stepped));
      // Identifiers are matched at any offset, aligned or not.
      stepped += found - pos;
      pos = found;
      if (pos >= size - 4 || stepped >= kMaxSteppedBytes) break;
    }
    if (file.ReadAt(pos, id, 4) != 4 || !IsChunkName(id)) break;
    const Int64 afterId = pos + 4;
    const AnsiString name = UpperFourCC(id);
    DWORD chunkSize = 0;
    ReadU32(file, afterId, chunkSize);
    DWORD entrySize = chunkSize;
    bool lastEntry = false;
    if (name == "MOVI" || name == "INFO") {
      // The list's own size field lies before its type: "LIST", size, type.
      DWORD listSize = 0;
      ReadU32(file, afterId - 8, listSize);
      entrySize = listSize;
      if (name == "INFO") {
        pos = afterId;
      } else if (listSize == 0) {
        // A movie data list of unknown length (a recording cut short): all
        // that follows is movie data, and the headers all came before it.
        lastEntry = true;
      } else {
        pos = pos + listSize;  // past the whole list, counted from its type
        pastMovieData = true;
      }
    } else if (name == "JUNK" || name == "DISP" || name == "IDX1") {
      pos = afterId + 4 + Int64(chunkSize);
    } else {
      pos = afterId + 4;  // headers and lists are read from their first body byte
    }
    fccRec& entry = ChunkTable[ChunkCount++];
    entry.Name = name;
    entry.Position = afterId;
    entry.Size = entrySize;
    entry.Reserved = 0;
    if (lastEntry) break;
  }
}

void ParseAviHeaders(TMediaFile& file, const fccRec* table, int count) {
  for (int i = 0; i < count; ++i) {
    const fccRec& entry = table[i];
    if (entry.Name == "AVIH") {
      ParseMainHeader(file, entry);
    } else if (entry.Name == "STRH") {
      const Int64 body = entry.Position + 4;
      AnsiString streamType;
      if (!ReadFourCC(file, body, streamType)) continue;
      if (streamType == "VIDS") {
        ParseVideoStream(file, body);
      } else if (streamType == "AUDS") {
        // The stream's format is the chunk right after its header; without
        // one (the header is the last chunk, or another chunk follows) the
        // audio fields stay as they are.
        if (i + 1 < count && table[i + 1].Name == "STRF") ParseAudioFormat(file, table[i + 1]);
      }
    }
  }
}

// -------------------------------------------------------------- GetMediaInfo

namespace {

void SetNames(std::string_view fileName) {
  const std::size_t slash = fileName.rfind(PathDelim);
  if (slash == std::string_view::npos) {
    MediaInfo.FileName = AnsiString(fileName);
    MediaInfo.Folder.clear();
    return;
  }
  MediaInfo.FileName = AnsiString(fileName.substr(slash + 1));
  // The root keeps its "/", as a drive root keeps its "\".
  MediaInfo.Folder = AnsiString(fileName.substr(0, slash == 0 ? 1 : slash));
}

void SetDriveKind(TDriveKind kind) {
  switch (kind) {
    case DRIVE_FIXED:
      MediaInfo.DriveKind = "HDD";
      break;
    case DRIVE_CDROM:
      MediaInfo.DriveKind = "CDROM";
      break;
    default:
      // Another kind of drive has no name here; what the previous file's
      // drive was is not this file's.
      MediaInfo.DriveKind.clear();
      break;
  }
}

// The ".SMI" subtitle beside the movie, in any letter case as it would be
// found where the case of names does not matter; the name is reported as it
// is on disk, the exact name first.
std::vector<AnsiString> SubtitlesIn(const AnsiString& folder) {
  std::vector<AnsiString> names;
  TSearchRec rec;
  if (FindFirst(folder + "*.smi", faAnyFile & ~faDirectory, rec) != 0) return names;
  do names.push_back(rec.Name);
  while (FindNext(rec) == 0);
  FindClose(rec);
  return names;
}

void SetSubtitle(std::string_view fileName, const std::vector<AnsiString>& subtitles) {
  MediaInfo.Subtitle.clear();
  const AnsiString wantedName = ExtractFileName(ChangeFileExt(fileName, ".SMI"));
  for (const AnsiString& name : subtitles) {
    if (name == wantedName) {
      MediaInfo.Subtitle = name;
      break;
    }
    if (MediaInfo.Subtitle.empty() && SameText(name, wantedName)) MediaInfo.Subtitle = name;
  }
}

// Everything after the names, the drive kind and the subtitle.
void ProbeFile(std::string_view fileName) {
  MediaInfo.FileId = FileIdToStr(GetFileId(fileName));

  // Every header-derived field starts empty, so nothing of the previous
  // file shows for a header this one lacks.
  ClearMediaInfo();
  ChunkCount = 0;
  TMediaFile file;
  if (!file.Open(fileName)) return;
  ScanRiffChunks(file);
  ParseAviHeaders(file, ChunkTable.data(), ChunkCount);
}

}  // namespace

void GetMediaInfo(std::string_view fileName) {
  SetNames(fileName);
  SetDriveKind(GetDriveKind(fileName));
  SetSubtitle(fileName, SubtitlesIn(ExtractFilePath(fileName)));
  ProbeFile(fileName);
}

void TMediaBatch::Probe(std::string_view fileName) {
  SetNames(fileName);
  const AnsiString folderPath = ExtractFilePath(fileName);
  TFolder& folder = folders_[folderPath];
  // A regular file lies on its folder's drive; a link may lead anywhere.
  if (FileIsSymLink(fileName)) {
    SetDriveKind(GetDriveKind(fileName));
  } else {
    if (!folder.KindKnown) {
      folder.Kind = GetDriveKind(fileName);
      folder.KindKnown = true;
    }
    SetDriveKind(folder.Kind);
  }
  if (!folder.SubtitlesRead) {
    folder.Subtitles = SubtitlesIn(folderPath);
    folder.SubtitlesRead = true;
  }
  SetSubtitle(fileName, folder.Subtitles);
  ProbeFile(fileName);
}

TDriveKind TMediaBatch::FolderDriveKind(std::string_view folder) {
  TFolder& known = folders_[IncludeTrailingPathDelimiter(folder)];
  if (!known.KindKnown) {
    known.Kind = GetDriveKind(folder);
    known.KindKnown = true;
  }
  return known.Kind;
}
