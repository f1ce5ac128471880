// A 1920x1080 frame of 2,000 mark-up cells (a bold title, a coloured year
// and a link), drawn through DrawHtml, against the same cells' plain texts
// drawn through the canvas with the grid's text flags. Prints the time per
// frame of both and the ratio mark-up / plain (target: at most 2).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "grid/ExHtml.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Graphics.h"

namespace {

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;
constexpr int kColumns = 10;
constexpr int kCells = 2000;
constexpr int kCellWidth = kFrameWidth / kColumns;  // 192
constexpr int kCellHeight = 18;
constexpr unsigned kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

const std::vector<AnsiString>& MarkupTexts() {
  static const std::vector<AnsiString> texts = [] {
    std::vector<AnsiString> t;
    const char* titles[] = {"살인의 추억", "괴물", "올드보이", "Oldboy", "친절한 금자씨", "The Host",
                            "공동경비구역 JSA", "봄 여름 가을 겨울"};
    for (int i = 0; i < 200; ++i) {
      std::string s = "<B>" + Utf8ToCp949(titles[i % 8]) + "</B> <FONT COLOR=\"clRed\">" +
                      std::to_string(1990 + i % 30) + "</FONT> <A HREF=\"http://movie/" +
                      std::to_string(i) + "\">" + Utf8ToCp949("정보") + "</A>";
      t.push_back(s);
    }
    return t;
  }();
  return texts;
}

const std::vector<AnsiString>& PlainTexts() {
  static const std::vector<AnsiString> texts = [] {
    std::vector<AnsiString> t;
    for (const AnsiString& s : MarkupTexts()) t.push_back(HtmlToPlainText(s));
    return t;
  }();
  return texts;
}

TRect CellRect(int i) {
  int col = i % kColumns, row = i / kColumns;
  int left = col * kCellWidth, top = (row * kCellHeight) % kFrameHeight;
  return {left, top, left + kCellWidth, top + kCellHeight};
}

void PrepareCanvas(TCanvas& canvas) {
  canvas.Font()->SetName("굴림"_k);
  canvas.Font()->SetSize(9);
  canvas.Font()->SetColor(clWindowText);
}

void DrawPlainFrame(TCanvas& canvas) {
  const auto& texts = PlainTexts();
  for (int i = 0; i < kCells; ++i) {
    TRect cell = CellRect(i);
    canvas.Brush()->SetColor(i % 2 ? clWindow : clCream);
    canvas.FillRect(cell);
    canvas.SetBkMode(TRANSPARENT);
    TRect textRect{cell.Left + 2, cell.Top, cell.Right - 2, cell.Bottom};
    canvas.DrawText(texts[static_cast<size_t>(i) % texts.size()], textRect, kTextFlags);
  }
}

void DrawMarkupFrame(TCanvas& canvas) {
  const auto& texts = MarkupTexts();
  THtmlDrawArgs args;
  args.X = args.Y = -1;
  args.AnchorColor = clBlue;
  THtmlDrawResult result;
  for (int i = 0; i < kCells; ++i) {
    TRect cell = CellRect(i);
    canvas.Brush()->SetColor(i % 2 ? clWindow : clCream);
    canvas.FillRect(cell);
    TRect textRect{cell.Left + 1, cell.Top + 1, cell.Right - 2, cell.Bottom};
    DrawHtml(canvas, texts[static_cast<size_t>(i) % texts.size()], textRect, args, result);
  }
}

template <void (*Draw)(TCanvas&)>
void BM_Frame(benchmark::State& state) {
  TBitmap frame(kFrameWidth, kFrameHeight);
  TCanvas& canvas = *frame.Canvas();
  PrepareCanvas(canvas);
  Draw(canvas);  // warm the font and text caches
  for (auto _ : state) {
    Draw(canvas);
    benchmark::DoNotOptimize(frame.PixelColor(1, 1));
  }
  state.counters["cells/s"] = benchmark::Counter(double(kCells) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}

void BM_PlainFrame(benchmark::State& state) { BM_Frame<DrawPlainFrame>(state); }
void BM_MarkupFrame(benchmark::State& state) { BM_Frame<DrawMarkupFrame>(state); }
BENCHMARK(BM_PlainFrame)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MarkupFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  PrintRatio(reporter, "mark-up frame / plain frame (2,000 cells)", "BM_MarkupFrame",
             "BM_PlainFrame",
             "target <= 2.00");
  benchmark::Shutdown();
  return 0;
}
