#include "app/vdAviInfo.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "app/vdCrc32.h"
#include "platform/rtl/Cp949.h"
#include "tests/app/MediaTestFiles.h"

using media_test::Fixture;
using media_test::ScratchDir;
using media_test::WriteFile;

namespace {

// ------------------------------------------------- RIFF files built by hand

std::string U32(DWORD v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string U16(Word v) { return std::string{static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)}; }

std::string Chunk(std::string_view id, std::string_view body) {
  std::string s(id);
  s += U32(static_cast<DWORD>(body.size()));
  s += body;
  if (body.size() % 2) s += '\0';
  return s;
}

std::string List(std::string_view type, std::string_view children) {
  return Chunk("LIST", std::string(type) + std::string(children));
}

std::string Riff(std::string_view children) { return Chunk("RIFF", "AVI " + std::string(children)); }

std::string MainHeader(DWORD frames, DWORD width, DWORD height) {
  return Chunk("avih", U32(100000) + U32(0) + U32(0) + U32(0x10) + U32(frames) + U32(0) +
                           U32(2) + U32(0) + U32(width) + U32(height) + std::string(16, '\0'));
}

std::string StreamHeader(std::string_view type, std::string_view handler, DWORD scale,
                         DWORD rate) {
  return Chunk("strh", std::string(type) + std::string(handler) + U32(0) + U32(0) + U32(0) +
                           U32(scale) + U32(rate) + std::string(28, '\0'));
}

std::string AudioFormat(Word tag, Word channels, DWORD sampleRate) {
  return Chunk("strf", U16(tag) + U16(channels) + U32(sampleRate) + U32(sampleRate * 2) +
                           U16(4) + U16(16));
}

std::string VideoStream(std::string_view handler, DWORD scale = 1, DWORD rate = 25) {
  return List("strl", StreamHeader("vids", handler, scale, rate) +
                          Chunk("strf", U32(40) + std::string(36, '\0')));
}

std::string AudioStream(Word tag, Word channels, DWORD sampleRate) {
  return List("strl", StreamHeader("auds", std::string(4, '\0'), 1, sampleRate) +
                          AudioFormat(tag, channels, sampleRate));
}

std::string Movie(std::string_view data) { return List("movi", data); }

// An ordinary file: video (DIVX, 25 fps, 320x240, 250 frames) and stereo MP3.
std::string OrdinaryAvi() {
  return Riff(List("hdrl", MainHeader(250, 320, 240) + VideoStream("DIVX") +
                               AudioStream(0x55, 2, 44100)) +
              Movie(Chunk("00dc", std::string(64, 'x'))) + Chunk("idx1", std::string(16, '\0')));
}

void Probe(const AnsiString& name) { GetMediaInfo(name); }

void ExpectNoHeaderFields(const char* context) {
  EXPECT_EQ(MediaInfo.Resolution, "") << context;
  EXPECT_EQ(MediaInfo.FrameRate, "") << context;
  EXPECT_EQ(MediaInfo.Frames, "") << context;
  EXPECT_EQ(MediaInfo.VideoCodec, "") << context;
  EXPECT_EQ(MediaInfo.AudioCodec, "") << context;
  EXPECT_EQ(MediaInfo.Channels, "") << context;
  EXPECT_EQ(MediaInfo.SampleRate, "") << context;
}

// ------------------------------------------------- files a real encoder made

struct EncodedFile {
  const char* file;
  const char* videoCodec;
  AnsiString audioCodec;
  const char* channels;
  const char* sampleRate;
  const char* frames;
  const char* frameRate;
  const char* resolution;
};

}  // namespace

// Expected values were read from the files with ffprobe and a separate RIFF
// dump (avih total frames, strh rate and scale, strf tag, channels, rate).
TEST(MediaProbe, FilesFromARealEncoderShowTheirCodecsAndStreams) {
  const EncodedFile cases[] = {
      {"xvid_pcm_mono.avi", "XviD MPEG4 Codec", "Microsoft PCM", "1", "8000", "10", "10.0000", "64x48"},
      {"divx_mp3_stereo.avi", "DivX 4", "MP3 Audio Layer", "2", "44100", "11", "10.0000", "64x48"},
      {"mjpeg_ntsc_noaudio.avi", "Motion JPEG", "", "", "", "15", "29.9700", "64x48"},
      // Six channels are stored with the extensible format tag, which has no name.
      {"mp42_ac3_6ch.avi", "MPEG4 V2", "모름"_k, "6", "48000", "5", "10.0000", "64x48"},
      {"cvid_adpcm_stereo.avi", "Radius Cinepak", "Microsoft ADPCM", "2", "22050", "5", "10.0000", "32x24"},
      // The handler is written "xvid": the look-up is on the upper-cased FourCC.
      {"xvid_lowercase_ac3.avi", "XviD MPEG4 Codec", "AC3 Audio Codec", "2", "48000", "5", "10.0000", "64x48"},
      // Two audio streams: the second (MP3, 32 kHz stereo) is reported.
      {"two_audio_streams.avi", "XviD MPEG4 Codec", "MP3 Audio Layer", "2", "32000", "6", "10.0000", "64x48"},
  };
  for (const EncodedFile& c : cases) {
    SCOPED_TRACE(c.file);
    Probe(FromSysFileName(Fixture(c.file)));
    EXPECT_EQ(MediaInfo.FileName, c.file);
    EXPECT_EQ(MediaInfo.VideoCodec, c.videoCodec);
    EXPECT_EQ(MediaInfo.AudioCodec, c.audioCodec);
    EXPECT_EQ(MediaInfo.Channels, c.channels);
    EXPECT_EQ(MediaInfo.SampleRate, c.sampleRate);
    EXPECT_EQ(MediaInfo.Frames, c.frames);
    EXPECT_EQ(MediaInfo.FrameRate, c.frameRate);
    EXPECT_EQ(MediaInfo.Resolution, c.resolution);
  }
}

TEST(MediaProbe, UnknownVideoCodecIsNamedByItsFourCC) {
  Probe(FromSysFileName(Fixture("h264_unknown.avi")));
  EXPECT_EQ(MediaInfo.VideoCodec, "H264 - 모름"_k);
  EXPECT_EQ(MediaInfo.Resolution, "64x48");
}

TEST(MediaProbe, RecordShowsNamesSizeAndFileIdOfTheFile) {
  const std::string fixture = Fixture("xvid_pcm_mono.avi");
  Probe(FromSysFileName(fixture));
  EXPECT_EQ(MediaInfo.FileName, "xvid_pcm_mono.avi");
  EXPECT_EQ(MediaInfo.Folder, FromSysFileName(std::string(VIDRENA_TEST_DATA) + "/avi"));
  EXPECT_EQ(MediaInfo.FileId, "2D85ACDB");  // from the separate Python computation of the ID
  EXPECT_EQ(MediaInfo.SizeMB, "0.03");      // 27,814 bytes
  EXPECT_EQ(MediaInfo.Subtitle, "");
}

TEST(MediaProbe, FileWithoutAudioShowsNothingOfThePreviousFile) {
  Probe(FromSysFileName(Fixture("divx_mp3_stereo.avi")));
  ASSERT_EQ(MediaInfo.AudioCodec, "MP3 Audio Layer");
  Probe(FromSysFileName(Fixture("mjpeg_ntsc_noaudio.avi")));
  EXPECT_EQ(MediaInfo.AudioCodec, "");
  EXPECT_EQ(MediaInfo.Channels, "");
  EXPECT_EQ(MediaInfo.SampleRate, "");
  EXPECT_EQ(MediaInfo.VideoCodec, "Motion JPEG");
}

TEST(MediaProbe, MissingFileKeepsItsNamesAndClearsEverythingElse) {
  ScratchDir dir;
  Probe(FromSysFileName(Fixture("xvid_pcm_mono.avi")));
  Probe(dir.File("없는 영화.avi"_k));
  EXPECT_EQ(MediaInfo.FileName, "없는 영화.avi"_k);
  EXPECT_EQ(MediaInfo.Folder, dir.Path());
  EXPECT_EQ(MediaInfo.FileId, "00000000");
  EXPECT_EQ(MediaInfo.SizeMB, "");
  EXPECT_EQ(MediaInfo.Subtitle, "");
  ExpectNoHeaderFields("missing file");
}

TEST(MediaProbe, FileAtTheRootKeepsTheRootAsItsFolder) {
  Probe("/vidrena-no-such-movie.avi");
  EXPECT_EQ(MediaInfo.FileName, "vidrena-no-such-movie.avi");
  EXPECT_EQ(MediaInfo.Folder, "/");
}

TEST(MediaProbe, SubtitleBesideTheMovieIsFoundInEitherLetterCase) {
  ScratchDir dir;
  const std::string movie = media_test::ReadFile(Fixture("xvid_pcm_mono.avi"));
  WriteFile(dir.File("영화.avi"_k), movie);
  WriteFile(dir.File("영화.SMI"_k), "<SAMI></SAMI>");
  Probe(dir.File("영화.avi"_k));
  EXPECT_EQ(MediaInfo.Subtitle, "영화.SMI"_k);

  WriteFile(dir.File("second.avi"), movie);
  WriteFile(dir.File("second.smi"), "<SAMI></SAMI>");
  WriteFile(dir.File("second.srt"), "1");
  Probe(dir.File("second.avi"));
  EXPECT_EQ(MediaInfo.Subtitle, "second.smi");

  WriteFile(dir.File("third.avi"), movie);
  WriteFile(dir.File("third.avi.smi"), "not beside third.avi by name");
  Probe(dir.File("third.avi"));
  EXPECT_EQ(MediaInfo.Subtitle, "") << "nothing of the previous file's subtitle stays";
}

TEST(MediaProbe, MovieListOfSizeZeroEndsTheScanInsteadOfLooping) {
  ScratchDir dir;
  // The list's size field is 0, as a recorder leaves it when cut off; a
  // stream header inside the movie data must not be taken for a header.
  std::string file = Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("XVID")));
  file += "LIST" + U32(0) + "movi" + StreamHeader("vids", "MJPG", 1, 99) + std::string(4000, 'z');
  WriteFile(dir.File("cut.avi"), file);
  Probe(dir.File("cut.avi"));
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.FrameRate, "25.0000");
  ASSERT_GT(ChunkCount, 0);
  EXPECT_EQ(ChunkTable[ChunkCount - 1].Name, "MOVI");
  EXPECT_EQ(ChunkTable[ChunkCount - 1].Size, 0u);
}

TEST(MediaProbe, MovieListLargerThanTheFileEndsTheScan) {
  ScratchDir dir;
  std::string file = Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("XVID")));
  file += "LIST" + U32(0xFFFFFFF0) + "movi" + std::string(100, 'z');
  WriteFile(dir.File("huge.avi"), file);
  Probe(dir.File("huge.avi"));
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.Resolution, "160x120");
}

TEST(MediaProbe, ScanLostInMovieDataGivesUpInsteadOfReadingTheWholeFile) {
  ScratchDir dir;
  // The movie list claims 4 bytes, so the scan lands in 20 MiB of movie
  // data; a stream header far behind it is movie data, not a header.
  const AnsiString name = dir.File("wrong-size.avi");
  WriteFile(name, Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("XVID"))) + "LIST" +
                      U32(4) + "movi");
  std::filesystem::resize_file(SysFileName(name), 20 * 1048576);
  {
    std::ofstream out(SysFileName(name), std::ios::binary | std::ios::app);
    out << StreamHeader("vids", "MJPG", 1, 99);
  }
  Probe(name);
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.FrameRate, "25.0000");
  EXPECT_EQ(MediaInfo.SizeMB, "20.00");
  EXPECT_EQ(ChunkTable[ChunkCount - 1].Name, "MOVI");
}

TEST(MediaProbe, MoreChunksThanTheTableHoldsStopTheScanAtItsEnd) {
  ScratchDir dir;
  std::string many;
  for (int i = 0; i < 60; ++i) many += Chunk("JUNK", "");

  // Headers first, as every ordinary file has them: all still read.
  WriteFile(dir.File("after.avi"),
            Riff(List("hdrl", MainHeader(250, 320, 240) + VideoStream("DIVX") +
                                  AudioStream(0x55, 2, 44100)) + many + Movie("")));
  Probe(dir.File("after.avi"));
  EXPECT_EQ(ChunkCount, kChunkTableSize);
  EXPECT_EQ(MediaInfo.VideoCodec, "DivX 4");
  EXPECT_EQ(MediaInfo.AudioCodec, "MP3 Audio Layer");

  // Headers behind 60 chunks are beyond the table: not read, nothing invented.
  WriteFile(dir.File("before.avi"),
            Riff(many + List("hdrl", MainHeader(250, 320, 240) + VideoStream("DIVX"))));
  Probe(dir.File("before.avi"));
  EXPECT_EQ(ChunkCount, kChunkTableSize);
  ExpectNoHeaderFields("headers past the table");
}

TEST(MediaProbe, AudioHeaderWithoutItsFormatChunkLeavesAudioEmpty) {
  ScratchDir dir;
  // The audio stream header is the very last chunk of the file.
  WriteFile(dir.File("last.avi"),
            Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("XVID") +
                                  List("strl", StreamHeader("auds", std::string(4, '\0'), 1, 44100)))));
  Probe(dir.File("last.avi"));
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.AudioCodec, "");
  EXPECT_EQ(MediaInfo.Channels, "");

  // Followed by another chunk instead of its format: that chunk is no format.
  WriteFile(dir.File("junk.avi"),
            Riff(List("hdrl", MainHeader(10, 160, 120) +
                                  List("strl", StreamHeader("auds", std::string(4, '\0'), 1, 44100) +
                                                   Chunk("JUNK", U16(0x55) + U16(2) + U32(44100)))) +
                 Movie("")));
  Probe(dir.File("junk.avi"));
  EXPECT_EQ(MediaInfo.AudioCodec, "");
  EXPECT_EQ(MediaInfo.SampleRate, "");
}

TEST(MediaProbe, ScaleOfZeroGivesUnknownFrameRate) {
  ScratchDir dir;
  WriteFile(dir.File("scale0.avi"),
            Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("MJPG", 0, 25)) + Movie("")));
  Probe(dir.File("scale0.avi"));
  EXPECT_EQ(MediaInfo.FrameRate, "모름"_k);
  EXPECT_EQ(MediaInfo.VideoCodec, "Motion JPEG");
}

TEST(MediaProbe, FrameRateKeepsItsWholeNumberAndFourDecimals) {
  ScratchDir dir;
  WriteFile(dir.File("ntsc.avi"),
            Riff(List("hdrl", MainHeader(10, 160, 120) + VideoStream("XVID", 1001, 30000))));
  Probe(dir.File("ntsc.avi"));
  EXPECT_EQ(MediaInfo.FrameRate, "29.9700");
  // A rate too big for eight characters loses decimals, never digits.
  WriteFile(dir.File("wild.avi"),
            Riff(List("hdrl", MainHeader(4000000000u, 100000, 100000) +
                                  VideoStream("XVID", 1, 4000000000u))));
  Probe(dir.File("wild.avi"));
  EXPECT_EQ(MediaInfo.FrameRate, "4000000000");
  EXPECT_EQ(MediaInfo.Frames, "4000000000");
  EXPECT_EQ(MediaInfo.Resolution, "100000x100000");
}

TEST(MediaProbe, FourCCBytesThatAreNoTextAreShownAsQuestionMarks) {
  ScratchDir dir;
  WriteFile(dir.File("odd.avi"),
            Riff(List("hdrl", MainHeader(10, 160, 120) +
                                  VideoStream(std::string("a|\x01\xB0", 4)))));
  Probe(dir.File("odd.avi"));
  // "|" joins the per-file columns of the catalogue, so it cannot stay.
  EXPECT_EQ(MediaInfo.VideoCodec, "A??? - 모름"_k);
}

TEST(MediaProbe, TruncatedFilesNeverReadPastTheirEnd) {
  ScratchDir dir;
  const std::string whole = OrdinaryAvi();
  const AnsiString name = dir.File("cut.avi");
  for (std::size_t length = 0; length <= whole.size(); ++length) {
    WriteFile(name, whole.substr(0, length));
    Probe(name);
    ASSERT_LE(ChunkCount, kChunkTableSize);
    // avih's body starts at byte 32; its frame count ends at byte 52, its height at 72.
    if (length < 52) {
      EXPECT_EQ(MediaInfo.Frames, "") << length;
    }
    EXPECT_EQ(MediaInfo.Resolution, length < 72 ? "" : "320x240") << length;
  }
}

TEST(MediaProbe, FilesOfOtherKindsShowOnlyTheirSize) {
  ScratchDir dir;
  // Header names inside a file that is no RIFF file are not headers.
  std::string other = "\x1A\x45\xDF\xA3 matroska" + MainHeader(10, 640, 480) +
                      StreamHeader("vids", "XVID", 1, 25);
  other += std::string(3 * 1048576 - other.size(), '\0');
  WriteFile(dir.File("movie.mkv"), other);
  Probe(dir.File("movie.mkv"));
  ExpectNoHeaderFields("matroska file");
  EXPECT_EQ(MediaInfo.SizeMB, "3.00");
  EXPECT_EQ(ChunkCount, 0);

  WriteFile(dir.File("tiny.avi"), "RIF");
  Probe(dir.File("tiny.avi"));
  ExpectNoHeaderFields("three bytes");
  EXPECT_EQ(MediaInfo.SizeMB, "0.00");

  Probe(dir.Path());
  ExpectNoHeaderFields("a folder");
  EXPECT_EQ(MediaInfo.SizeMB, "");
}

TEST(MediaProbe, SizeInMegabytesLosesDecimalsButNeverDigits) {
  struct SizeCase {
    std::uintmax_t bytes;
    const char* shown;
  };
  const SizeCase cases[] = {
      {734265344, "700.25"},           // 700.25 MB fits six characters
      {1294536130, "1234.5"},          // 1234.56 MB: the last decimal goes
      {12945361879, "12345"},          // 12345.67 MB: the decimals go, and the dot with them
      {1048576000000, "1000000"},      // 1,000,000 MB: wider than six, still the right number
  };
  ScratchDir dir;
  const AnsiString name = dir.File("sparse.avi");
  for (const SizeCase& c : cases) {
    WriteFile(name, "");
    std::error_code error;
    std::filesystem::resize_file(SysFileName(name), c.bytes, error);
    if (error) GTEST_SKIP() << "no sparse file of " << c.bytes << " bytes here";
    Probe(name);
    EXPECT_EQ(MediaInfo.SizeMB, c.shown) << c.bytes;
  }
}

// Files probed together find what each would find alone: names, subtitles
// in either letter case, drive, ID and headers; a link is looked up on its own.
TEST(MediaProbe, FilesProbedTogetherShowWhatEachShowsAlone) {
  ScratchDir dir;
  const std::string movie = media_test::ReadFile(Fixture("xvid_pcm_mono.avi"));
  const std::string other = media_test::ReadFile(Fixture("divx_mp3_stereo.avi"));
  WriteFile(dir.File("영화.avi"_k), movie);
  WriteFile(dir.File("영화.SMI"_k), "<SAMI></SAMI>");
  WriteFile(dir.File("second.avi"), other);
  WriteFile(dir.File("SECOND.smi"), "<SAMI></SAMI>");
  WriteFile(dir.File("second.smi"), "<SAMI></SAMI>");
  WriteFile(dir.File("third.avi"), movie + "x");
  ASSERT_EQ(::symlink(SysFileName(dir.File("second.avi")).c_str(), SysFileName(dir.File("linked.avi")).c_str()), 0);
  const AnsiString names[] = {"영화.avi"_k, "second.avi", "third.avi", "linked.avi", "missing.avi"};
  TMediaBatch batch;
  for (const AnsiString& name : names) {
    SCOPED_TRACE(Cp949ToUtf8(name));
    auto fields = [] {
      const TAVIInfo& m = MediaInfo;
      return std::vector<AnsiString>{m.FileName, m.Folder,    m.Subtitle,   m.DriveKind,  m.FileId,
                                     m.SizeMB,   m.VideoCodec, m.AudioCodec, m.Resolution, m.Frames};
    };
    GetMediaInfo(dir.File(name));
    const std::vector<AnsiString> alone = fields();
    MediaInfo = TAVIInfo{};
    batch.Probe(dir.File(name));
    EXPECT_EQ(fields(), alone);
  }
  EXPECT_EQ(batch.FolderDriveKind(ExtractFilePath(dir.File("second.avi"))), GetDriveKind(dir.File("")));
}
