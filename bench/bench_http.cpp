// A 50 MB download from a server on 127.0.0.1 into a file: THTTPGet.GetFile
// (worker thread, progress events, temporary file renamed into place) against
// the curl command-line tool fetching the same file in the same run. Prints
// both throughputs and the ratio THTTPGet / curl (target: at least 0.80).
#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/HTTPGet.h"
#include "bench/BenchReport.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "tests/net/LocalHttpServer.h"

extern char** environ;

namespace {

constexpr size_t kFileSize = 50u << 20;

const std::string& Payload() {
  static const std::string reply = [] {
    std::string body(kFileSize, '\0');
    for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<char>((i * 2654435761u) >> 24);
    return LocalHttpServer::Reply(200, body, "Content-Type: application/octet-stream\r\n");
  }();
  return reply;
}

LocalHttpServer& Server() {
  static LocalHttpServer server([](const TReceivedRequest&, TServerConnection& c) { c.Send(Payload()); });
  return server;
}

std::filesystem::path Folder() {
  static const std::filesystem::path folder = [] {
    auto p = std::filesystem::temp_directory_path() / ("vidrena-bench-http-" + std::to_string(::getpid()));
    std::filesystem::create_directories(p);
    return p;
  }();
  return folder;
}

void BM_THTTPGetFile(benchmark::State& state) {
  Payload();
  Application->ProcessMessages();
  const AnsiString target = FromSysFileName((Folder() / "ours.bin").string());
  THTTPGet get(nullptr);
  get.SetURL(Server().Url("/movie.bin"));
  get.SetFileName(target);
  get.SetWaitThread(true);
  Int64 progressed = 0;
  get.OnProgress = [&](TObject*, int, int readed) { progressed = readed; };
  bool ok = true;
  get.OnError = [&](TObject*) { ok = false; };
  for (auto _ : state) {
    get.GetFile();
    if (!ok || FileSizeOf(target) != static_cast<Int64>(kFileSize) || progressed != static_cast<Int64>(kFileSize)) {
      state.SkipWithError("download failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_THTTPGetFile)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

void BM_CurlTool(benchmark::State& state) {
  Payload();
  const std::string target = (Folder() / "curl.bin").string();
  const std::string url = Server().Url("/movie.bin");
  for (auto _ : state) {
    const char* argv[] = {"curl", "-s", "-f", "-o", target.c_str(), url.c_str(), nullptr};
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "curl", nullptr, nullptr, const_cast<char**>(argv), environ) != 0 ||
        waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::filesystem::file_size(target) != kFileSize) {
      state.SkipWithError("curl failed (is the curl package installed?)");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFileSize));
}
BENCHMARK(BM_CurlTool)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  const std::string ours = "BM_THTTPGetFile/iterations:5/real_time";
  const std::string curl = "BM_CurlTool/iterations:5/real_time";
  const double mb = static_cast<double>(kFileSize) / (1 << 20);
  if (reporter.Has(ours)) std::printf("THTTPGet.GetFile, 50 MB: %.0f MB/s\n", mb / reporter.Median(ours));
  if (reporter.Has(curl)) std::printf("curl tool, 50 MB:        %.0f MB/s\n", mb / reporter.Median(curl));
  // Throughput is the inverse of time: curl's time over ours.
  PrintRatio(reporter, "throughput THTTPGet / curl", curl, ours, "target >= 0.80");
  std::filesystem::remove_all(Folder());
  benchmark::Shutdown();
  return 0;
}
