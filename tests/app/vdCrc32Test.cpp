#include "app/vdCrc32.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include "tests/app/MediaTestFiles.h"
#include "tests/vcl/DeadlineTestSupport.h"

using media_test::ScratchDir;
using media_test::WriteFile;

namespace {

// Bytes (i * 31 + 7) mod 256, so that every block of the file differs.
std::string Pattern(std::size_t length) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) bytes[i] = static_cast<char>((i * 31 + 7) & 0xFF);
  return bytes;
}

// Expected IDs were worked out once with a separate Python script that
// builds the reflected table of polynomial 0xEDB88320, runs
// s = 0xFFFFFFFF; t = T[(b ^ s) & 0xFF] ^ (s >> 8); s = (s + t) mod 2^32
// over the first 16384 bytes, and prints ~s. For a single byte the result
// is the standard CRC-32 plus one ("a": standard E8B7BE43, ID E8B7BE44),
// because s + t = t - 1 when s starts as all ones.
struct KnownId {
  const char* label;
  std::string contents;
  DWORD id;
};

}  // namespace

TEST(FileId, KnownContentsGiveTheIdsOtherCopiesOfTheProgramPublish) {
  const KnownId cases[] = {
      {"empty file", "", 0x00000000},
      {"a", "a", 0xE8B7BE44},
      {"123456789 (standard CRC-32 would be CBF43926)", "123456789", 0x1ED0F3D0},
      {"10 bytes: one short block", Pattern(10), 0x8D019758},
      {"16383 bytes: last block one short", Pattern(16383), 0x91A74992},
      {"exactly 16384 bytes", Pattern(16384), 0xF3EB1A79},
      {"20000 bytes: only the first 16384 count", Pattern(20000), 0xF3EB1A79},
  };
  ScratchDir dir;
  for (const KnownId& c : cases) {
    const AnsiString name = dir.File("sample.bin");
    WriteFile(name, c.contents);
    EXPECT_EQ(GetFileId(name), c.id) << c.label;
  }
}

TEST(FileId, BytesAfterTheFirst16KiBDoNotChangeTheId) {
  ScratchDir dir;
  std::string big = Pattern(100000);
  WriteFile(dir.File("a.avi"), big);
  big[16384] ^= 0x55;
  big.back() ^= 0x55;
  WriteFile(dir.File("b.avi"), big);
  EXPECT_EQ(GetFileId(dir.File("a.avi")), GetFileId(dir.File("b.avi")));
  big[16383] ^= 0x55;
  WriteFile(dir.File("c.avi"), big);
  EXPECT_NE(GetFileId(dir.File("a.avi")), GetFileId(dir.File("c.avi")));
}

TEST(FileId, UnreadableFilesShowZeros) {
  ScratchDir dir;
  EXPECT_EQ(GetFileId(dir.File("missing.avi")), 0u);
  EXPECT_EQ(GetFileId(dir.Path()), 0u) << "a folder has no contents to check";
  // A named pipe is no movie file: refused at once, not waited on for ever.
  const AnsiString pipe = dir.File("pipe.avi");
  ASSERT_EQ(::mkfifo(SysFileName(pipe).c_str(), 0600), 0);
  auto id = std::make_shared<DWORD>(1);
  ASSERT_TRUE(EndsWithin(std::chrono::seconds(3), [pipe, id] { *id = GetFileId(pipe); })) << "the pipe was waited on";
  EXPECT_EQ(*id, 0u);
  EXPECT_EQ(FileIdToStr(GetFileId(dir.File("missing.avi"))), "00000000");
}

TEST(FileId, KoreanFileNameIsFoundOnDisk) {
  ScratchDir dir;
  const AnsiString name = dir.File("영화 1부.avi"_k);
  WriteFile(name, "123456789");
  EXPECT_EQ(GetFileId(name), 0x1ED0F3D0u);
}
