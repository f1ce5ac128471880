// Crafted movie files that once held the probe for seconds: each probe must
// end well inside its deadline, and ordinary headers in front of the hostile
// part are still read. Large files are sparse: they take no disk space.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "app/vdAviInfo.h"
#include "tests/app/MediaTestFiles.h"

using media_test::ScratchDir;
using media_test::WriteFile;

namespace {

constexpr auto kDeadline = std::chrono::seconds(3);

std::string U32(DWORD v) {
  std::string s(4, '\0');
  for (int i = 0; i < 4; ++i) s[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
  return s;
}

std::string Chunk(std::string_view id, std::string_view body) {
  return std::string(id) + U32(static_cast<DWORD>(body.size())) + std::string(body);
}

// RIFF, the main header of a 320x240 movie and an XVID stream header.
std::string Headers() {
  const std::string avih = Chunk("avih", U32(40000) + U32(0) + U32(0) + U32(0x10) + U32(250) + U32(0) + U32(1) +
                                             U32(0) + U32(320) + U32(240) + std::string(16, '\0'));
  const std::string strh = Chunk("strh", std::string("vidsXVID") + U32(0) + U32(0) + U32(0) + U32(1) + U32(25) +
                                             std::string(28, '\0'));
  const std::string hdrl = Chunk("LIST", "hdrl" + avih + Chunk("LIST", "strl" + strh));
  return "RIFF" + U32(0) + "AVI " + hdrl;
}

// Extends the file to size with zeros that take no space on disk.
bool MakeSparse(const AnsiString& name, std::uintmax_t size) {
  std::error_code error;
  std::filesystem::resize_file(SysFileName(name), size, error);
  return !error;
}

void WriteAt(const AnsiString& name, std::uintmax_t offset, std::string_view bytes) {
  std::fstream out(SysFileName(name), std::ios::binary | std::ios::in | std::ios::out);
  out.seekp(static_cast<std::streamoff>(offset));
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Probes on a worker so that a hang fails the test instead of the suite's
// time-out; true when the probe ended within the deadline.
bool ProbeWithin(const AnsiString& name) {
  std::promise<void> done;
  std::future<void> finished = done.get_future();
  std::thread worker([name, done = std::move(done)]() mutable {
    GetMediaInfo(name);
    done.set_value();
  });
  if (finished.wait_for(kDeadline) == std::future_status::ready) {
    worker.join();
    return true;
  }
  worker.detach();
  return false;
}

}  // namespace

TEST(MediaProbeHostile, StrayIdentifierEvery16MiBNeverWalksTheWholeFile) {
  ScratchDir dir;
  const AnsiString name = dir.File("stray.avi");
  WriteFile(name, Headers());
  if (!MakeSparse(name, 720ull << 20)) GTEST_SKIP() << "no sparse files here";
  for (std::uintmax_t at = 16ull << 20; at < (720ull << 20); at += 16ull << 20) WriteAt(name, at, "ISFT" + U32(0));
  ASSERT_TRUE(ProbeWithin(name)) << "probe still running after the deadline";
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.Resolution, "320x240");
}

TEST(MediaProbeHostile, PaddingAfterTheIndexOfA2GBFileIsNotStepped) {
  ScratchDir dir;
  const AnsiString name = dir.File("padded.avi");
  std::string file = Headers();
  file += Chunk("LIST", "movi" + Chunk("00dc", std::string(16, 'x')));
  file += Chunk("idx1", std::string("00dc") + std::string(12, '\0'));
  WriteFile(name, file);
  if (!MakeSparse(name, 2ull << 30)) GTEST_SKIP() << "no sparse files here";
  // Identifiers far behind the index are movie data of no header.
  WriteAt(name, 1ull << 30, Chunk("strh", std::string("vidsMJPG") + std::string(48, '\0')));
  ASSERT_TRUE(ProbeWithin(name)) << "probe still running after the deadline";
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_EQ(MediaInfo.SizeMB, "2048.0");
  ASSERT_GT(ChunkCount, 0);
  EXPECT_EQ(ChunkTable[ChunkCount - 1].Name, "IDX1");
}

TEST(MediaProbeHostile, BytesThatAllLookLikeTheStartOfANameEndInTime) {
  ScratchDir dir;
  const AnsiString name = dir.File("letters.avi");
  // Every byte is a first letter of a name, none makes one: the slowest
  // bytes to step over, for longer than the scan ever steps.
  WriteFile(name, Headers() + std::string(24u << 20, 'I'));
  ASSERT_TRUE(ProbeWithin(name)) << "probe still running after the deadline";
  EXPECT_EQ(MediaInfo.Resolution, "320x240");
}

TEST(MediaProbeHostile, ChunksThatPointBackwardsOrPastTheEndStopTheScan) {
  ScratchDir dir;
  const AnsiString name = dir.File("loops.avi");
  std::string file = Headers();
  // A movie list of size 1 and junk larger than the file.
  file += "LIST" + U32(1) + "movi" + "JUNK" + U32(0xFFFFFFFF);
  for (int i = 0; i < 100; ++i) file += "LIST" + U32(0);
  WriteFile(name, file);
  ASSERT_TRUE(ProbeWithin(name)) << "probe still running after the deadline";
  EXPECT_EQ(MediaInfo.VideoCodec, "XviD MPEG4 Codec");
  EXPECT_LE(ChunkCount, kChunkTableSize);
}
