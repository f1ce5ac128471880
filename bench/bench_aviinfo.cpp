// How long a media probe takes on a 2 GB movie compared with a 1 MB one (the
// probe reads headers only, so the ratio should stay near 1, at most 2), and
// how many files per second the file ID covers.
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

#include "bench/BenchReport.h"
#include "app/vdAviInfo.h"
#include "app/vdCrc32.h"
#include "platform/rtl/SysUtils.h"

namespace {

namespace fs = std::filesystem;

const fs::path kFixture =
    fs::path(__FILE__).parent_path().parent_path() / "tests/data/avi/xvid_pcm_mono.avi";

fs::path ScratchDir() {
  static const fs::path dir = [] {
    fs::path d = fs::temp_directory_path() / ("vidrena-bench-aviinfo-" + std::to_string(getpid()));
    fs::create_directories(d);
    return d;
  }();
  return dir;
}

void PutU32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

enum class Tail {
  MovieToEnd,      // the movie data list runs to the end of the file
  PaddingAfterIndex,  // a short movie list, its index, then zeros to the end
  WrongListSize,   // the movie list claims 4 bytes: the scan lands in movie data
};

// The fixture's real headers, then a movie data list; the file is extended
// with ftruncate, so the movie data and padding take no disk space.
fs::path MakeSparseAvi(const std::string& name, std::uint64_t totalSize, Tail tail = Tail::MovieToEnd) {
  std::ifstream in(kFixture, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const std::size_t movi = bytes.find("movi");
  if (bytes.empty() || movi == std::string::npos || movi < 8) {
    std::fprintf(stderr, "fixture %s not found or without movie data\n", kFixture.c_str());
    std::exit(1);
  }
  const std::size_t listStart = movi - 8;  // "LIST", size, "movi"
  bytes.resize(movi + 4);
  PutU32(bytes, 4, static_cast<std::uint32_t>(totalSize - 8));
  switch (tail) {
    case Tail::MovieToEnd:
      PutU32(bytes, listStart + 4, static_cast<std::uint32_t>(totalSize - listStart - 8));
      break;
    case Tail::WrongListSize:
      PutU32(bytes, listStart + 4, 4u);
      break;
    case Tail::PaddingAfterIndex: {
      const std::string frame = "00dc" + std::string("\x10\0\0\0", 4) + std::string(16, 'x');
      bytes += frame;
      PutU32(bytes, listStart + 4, static_cast<std::uint32_t>(4 + frame.size()));
      bytes += "idx1" + std::string("\x10\0\0\0", 4) + "00dc" + std::string(12, '\0');
      break;
    }
  }
  const fs::path path = ScratchDir() / name;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  }
  if (truncate(path.c_str(), static_cast<off_t>(totalSize)) != 0) {
    std::perror("truncate");
    std::exit(1);
  }
  return path;
}

// A crafted file: a RIFF header, then a recognised identifier every 16 MiB
// over 720 MB of zeros, so that no run between two names is long.
fs::path MakeStrayIdentifiers(const std::string& name) {
  constexpr std::uint64_t kTotal = 720ull << 20, kEvery = 16ull << 20;
  const fs::path path = ScratchDir() / name;
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << "RIFF" << std::string("\0\0\0\0", 4) << "AVI ";
  }
  if (truncate(path.c_str(), static_cast<off_t>(kTotal)) != 0) {
    std::perror("truncate");
    std::exit(1);
  }
  int fd = open(path.c_str(), O_WRONLY);
  for (std::uint64_t at = kEvery; at + 8 < kTotal; at += kEvery)
    if (pwrite(fd, "ISFT\0\0\0\0", 8, static_cast<off_t>(at)) != 8) std::perror("pwrite");
  close(fd);
  return path;
}

void ProbeFile(benchmark::State& state, const fs::path& path, bool expectHeaders = true) {
  const AnsiString name = FromSysFileName(path.string());
  for (auto _ : state) {
    GetMediaInfo(name);
    benchmark::DoNotOptimize(MediaInfo.VideoCodec.data());
  }
  if (expectHeaders && MediaInfo.VideoCodec != "XviD MPEG4 Codec")
    state.SkipWithError("probe did not read the headers");
}

void BM_Probe1MB(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("small.avi", 1ull << 20);
  ProbeFile(state, path);
}

void BM_Probe2GB(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("large.avi", 2ull << 30);
  ProbeFile(state, path);
}

void BM_Probe1MBPadded(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("small-padded.avi", 1ull << 20, Tail::PaddingAfterIndex);
  ProbeFile(state, path);
}

void BM_Probe2GBPadded(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("large-padded.avi", 2ull << 30, Tail::PaddingAfterIndex);
  ProbeFile(state, path);
}

// A movie list whose size is wrong, over 2 GB of movie data.
void BM_Probe2GBWrongListSize(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("lost.avi", 2ull << 30, Tail::WrongListSize);
  ProbeFile(state, path);
}

void BM_ProbeStrayIdentifiers720MB(benchmark::State& state) {
  static const fs::path path = MakeStrayIdentifiers("stray.avi");
  ProbeFile(state, path, false);
}

// Every byte after the headers is the first letter of a name, none makes one.
void BM_ProbeFirstLetters24MB(benchmark::State& state) {
  static const fs::path path = [] {
    fs::path p = MakeSparseAvi("letters.avi", 1ull << 20, Tail::PaddingAfterIndex);
    std::ifstream in(p, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    bytes.resize(bytes.find("movi") - 8);
    bytes += std::string(24u << 20, 'I');
    std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return p;
  }();
  ProbeFile(state, path);
}

constexpr int kFileIdFiles = 1000;

void BM_FileId1000Files(benchmark::State& state) {
  static const std::vector<AnsiString> names = [] {
    std::vector<AnsiString> list;
    const fs::path dir = ScratchDir() / "ids";
    fs::create_directories(dir);
    std::string contents(20000, '\0');
    for (int i = 0; i < kFileIdFiles; ++i) {
      for (std::size_t j = 0; j < contents.size(); ++j)
        contents[j] = static_cast<char>((i * 131 + j * 7) & 0xFF);
      const fs::path path = dir / ("movie" + std::to_string(i) + ".avi");
      std::ofstream(path, std::ios::binary).write(contents.data(), static_cast<std::streamsize>(contents.size()));
      list.push_back(FromSysFileName(path.string()));
    }
    return list;
  }();
  for (auto _ : state)
    for (const AnsiString& name : names) benchmark::DoNotOptimize(GetFileId(name));
  state.SetItemsProcessed(state.iterations() * kFileIdFiles);
}

BENCHMARK(BM_Probe1MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Probe2GB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Probe1MBPadded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Probe2GBPadded)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Probe2GBWrongListSize)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProbeStrayIdentifiers720MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ProbeFirstLetters24MB)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FileId1000Files)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "probe 2 GB / 1 MB", "BM_Probe2GB", "BM_Probe1MB", "target <= 2");
  PrintRatio(s, "probe 2 GB padded after index / 1 MB padded", "BM_Probe2GBPadded", "BM_Probe1MBPadded",
             "target <= 2");
  PrintRatio(s, "probe 2 GB padded after index / 1 MB", "BM_Probe2GBPadded", "BM_Probe1MB", "target <= 2");
  PrintRatio(s, "probe 2 GB wrong movie list size / 1 MB", "BM_Probe2GBWrongListSize", "BM_Probe1MB",
             "target <= 2");
  for (const auto& [name, label] : {std::pair{"BM_ProbeStrayIdentifiers720MB",
                                             "ms to probe 720 MB with an identifier every 16 MiB"},
                                   std::pair{"BM_ProbeFirstLetters24MB",
                                             "ms to probe 24 MB of bytes that each start a name"}})
    if (s.Has(name)) PrintFigure(label, s.Median(name) * 1e3, s.Min(name) * 1e3, "target <= 200");
  if (s.Has("BM_FileId1000Files"))
    std::printf("file ID over %d files of 20,000 bytes: %.0f files per second\n", kFileIdFiles,
                kFileIdFiles / s.Median("BM_FileId1000Files"));
  std::error_code ignored;
  fs::remove_all(ScratchDir(), ignored);
  benchmark::Shutdown();
  return 0;
}
