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

// The fixture's real headers, then a movie data list that runs to totalSize;
// the file is extended with ftruncate, so the movie data takes no disk space.
fs::path MakeSparseAvi(const std::string& name, std::uint64_t totalSize, bool wrongListSize = false) {
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
  // A wrong list size of 4 leaves the scan inside the movie data.
  PutU32(bytes, listStart + 4,
         wrongListSize ? 4u : static_cast<std::uint32_t>(totalSize - listStart - 8));
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

void ProbeFile(benchmark::State& state, const fs::path& path) {
  const AnsiString name = FromSysFileName(path.string());
  for (auto _ : state) {
    GetMediaInfo(name);
    benchmark::DoNotOptimize(MediaInfo.VideoCodec.data());
  }
  if (MediaInfo.VideoCodec != "XviD MPEG4 Codec") state.SkipWithError("probe did not read the headers");
}

void BM_Probe1MB(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("small.avi", 1ull << 20);
  ProbeFile(state, path);
}

void BM_Probe2GB(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("large.avi", 2ull << 30);
  ProbeFile(state, path);
}

// The worst case: a movie list whose size is wrong, over 2 GB of movie data.
void BM_Probe2GBWrongListSize(benchmark::State& state) {
  static const fs::path path = MakeSparseAvi("lost.avi", 2ull << 30, true);
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
BENCHMARK(BM_Probe2GBWrongListSize)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileId1000Files)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const auto& s = reporter.seconds;
  if (s.count("BM_Probe1MB") && s.count("BM_Probe2GB")) {
    const double small = s.at("BM_Probe1MB"), large = s.at("BM_Probe2GB");
    std::printf("\nprobe 1 MB: %.1f us, probe 2 GB: %.1f us, ratio 2 GB / 1 MB: %.2f (target at most 2)\n",
                small * 1e6, large * 1e6, large / small);
  }
  if (s.count("BM_FileId1000Files"))
    std::printf("file ID over %d files of 20,000 bytes: %.0f files per second\n", kFileIdFiles,
                kFileIdFiles / s.at("BM_FileId1000Files"));
  std::error_code ignored;
  fs::remove_all(ScratchDir(), ignored);
  benchmark::Shutdown();
  return 0;
}
