// The statistics and the export against their baselines, measured in the
// same run on generated catalogues (tools/CatalogueGen.h):
//   ComputeStatistics of 100,000 movies against one pass reading the same
//   cells from the grid (target: at most 3);
//   ExportCatalogue of 100,000 movies through the shipped HTML template
//   against writing the same output bytes with plain string appends
//   (target: at most 3), and 100,000 movies against 20,000 (target: at
//   most 6).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "app/Catalogue.h"
#include "app/FormPut.h"
#include "app/FormState.h"
#include "bench/AppBench.h"
#include "tools/CatalogueGen.h"
#include "platform/vcl/Forms.h"

namespace {

TExColumnGrid& Catalogue(int movies) {
  static auto* grids = new std::map<int, std::unique_ptr<TExColumnGrid>>;
  auto& grid = (*grids)[movies];
  if (!grid) {
    grid = std::make_unique<TExColumnGrid>(nullptr);
    SetupCatalogueGrid(*grid);
    FillCatalogueGrid(*grid, GenerateCatalogue(movies));
  }
  return *grid;
}

// ---------------------------------------------------------------- statistics

void BM_Statistics(benchmark::State& state) {
  TExColumnGrid& grid = Catalogue(static_cast<int>(state.range(0)));
  for (auto _ : state) benchmark::DoNotOptimize(ComputeStatistics(grid, true));
}
BENCHMARK(BM_Statistics)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same eighteen cells of every row read once through their columns.
void BM_ReadStatisticsCells(benchmark::State& state) {
  TExColumnGrid& grid = Catalogue(static_cast<int>(state.range(0)));
  std::vector<TGridColumnItem*> columns;
  for (const AnsiString* h : {&Cat::FileName, &Cat::FileSize, &Cat::ReleaseDate, &Cat::Watched, &Cat::RunningTime,
                              &Cat::Title, &Cat::Year, &Cat::Score, &Cat::Stars, &Cat::Rating, &Cat::Country,
                              &Cat::Genre, &Cat::Language, &Cat::Quality, &Cat::Release, &Cat::VideoFormat,
                              &Cat::AudioFormat, &Cat::DateAdded})
    columns.push_back(grid.ColumnByName(*h));
  for (auto _ : state) {
    std::size_t bytes = 0;
    for (int r = 1; r < grid.RowCount(); ++r)
      for (TGridColumnItem* column : columns) bytes += column->Rows(r).size();
    benchmark::DoNotOptimize(bytes);
  }
}
BENCHMARK(BM_ReadStatisticsCells)->Arg(100000)->Unit(benchmark::kMillisecond);

// ---------------------------------------------------------------- export

struct TTemplate {
  AnsiString Header, Body, Footer;
};

const TTemplate& HtmlTemplate() {
  static const TTemplate t = [] {
    std::string dir = __FILE__;
    dir.resize(dir.rfind('/'));
    const AnsiString file = FromSysFileName(dir + "/../app/folder/Script/포스터목록.put");
    TFileStream stream(file, fmOpenRead);
    AnsiString text(static_cast<std::size_t>(stream.Size()), '\0');
    stream.ReadBuffer(text.data(), stream.Size());
    return TTemplate{ExtractTemplateSection(text, kPutHeaderStart, kPutHeaderEnd),
                     ExtractTemplateSection(text, kPutBodyStart, kPutBodyEnd),
                     ExtractTemplateSection(text, kPutFooterStart, kPutFooterEnd)};
  }();
  return t;
}

TPutOptions Options() {
  TPutOptions o;
  o.PosterFolder = "/home/user/Vidrena/Poster/";
  o.Now = EncodeDate(2026, 12, 7) + EncodeTime(12, 0, 0, 0);
  o.Html = true;
  return o;
}

void BM_ExportHtml(benchmark::State& state) {
  TExColumnGrid& grid = Catalogue(static_cast<int>(state.range(0)));
  const TTemplate& t = HtmlTemplate();
  std::size_t size = 0;
  for (auto _ : state) {
    const AnsiString out = ExportCatalogue(grid, t.Header, t.Body, t.Footer, Options());
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_ExportHtml)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same bytes by hand: the template cut at "$$" once, then per row the
// text pieces and the cells appended (the generated values hold no
// character an HTML export escapes).
void BM_AppendSameBytes(benchmark::State& state) {
  TExColumnGrid& grid = Catalogue(static_cast<int>(state.range(0)));
  const TTemplate& t = HtmlTemplate();
  const TPutOptions o = Options();
  const AnsiString count = IntToStr(grid.RowCount() - 1);
  const AnsiString today = FormatDateTime("yyyy-d-mmmm dddd", o.Now), now = FormatDateTime("hh:mm AM/PM", o.Now);
  auto general = [&](const AnsiString& name) -> AnsiString {
    if (name == "영화목록수"_k) return count;
    if (name == "오늘날짜"_k) return today;
    if (name == "현재시간"_k) return now;
    if (name == "포스터폴더"_k) return o.PosterFolder;
    return "";
  };
  auto pieces = [](const AnsiString& text) {
    std::vector<AnsiString> parts;
    std::size_t at = 0;
    for (;;) {
      const std::size_t next = text.find("$$", at);
      parts.push_back(text.substr(at, next == AnsiString::npos ? AnsiString::npos : next - at));
      if (next == AnsiString::npos) break;
      at = next + 2;
    }
    return parts;
  };
  const std::vector<AnsiString> header = pieces(t.Header), body = pieces(t.Body), footer = pieces(t.Footer);
  std::vector<TGridColumnItem*> columns;
  for (std::size_t i = 1; i < body.size(); i += 2) columns.push_back(grid.ColumnByName(body[i]));
  std::size_t size = 0;
  for (auto _ : state) {
    AnsiString out;
    for (std::size_t i = 0; i < header.size(); ++i) out += i % 2 ? general(header[i]) : header[i];
    for (int r = 1; r < grid.RowCount(); ++r) {
      for (std::size_t i = 0; i < body.size(); ++i) {
        if (i % 2 == 0) {
          out += body[i];
        } else if (TGridColumnItem* column = columns[i / 2]) {
          out += column->Rows(r);
        } else if (body[i] == "번호"_k) {
          out += IntToStr(r);
        } else {
          out += general(body[i]);
        }
      }
    }
    for (std::size_t i = 0; i < footer.size(); ++i) out += i % 2 ? general(footer[i]) : footer[i];
    size = out.size();
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
}
BENCHMARK(BM_AppendSameBytes)->Arg(20000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  RatioReporter reporter;
  RunWindowBenchmarks(argc, argv, reporter);
  const RatioReporter& s = reporter;
  PrintRatio(s, "statistics / reading the cells, 100000", "BM_Statistics/100000",
             "BM_ReadStatisticsCells/100000", "target <= 3");
  PrintRatio(s, "HTML export / plain appends, 100000", "BM_ExportHtml/100000",
             "BM_AppendSameBytes/100000", "target <= 3");
  PrintRatio(s, "HTML export, 100,000 / 20,000 movies", "BM_ExportHtml/100000",
             "BM_ExportHtml/20000", "target <= 6");
  // The same growth of the plain appends: what the machine's memory adds.
  PrintRatio(s, "plain appends, 100,000 / 20,000 movies", "BM_AppendSameBytes/100000",
             "BM_AppendSameBytes/20000", "for comparison");
  benchmark::Shutdown();
  return 0;
}
