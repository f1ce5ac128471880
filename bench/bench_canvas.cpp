// A 1920x1080 frame of 2,000 grid-like text cells (Korean and ASCII, clipped,
// some cut with an ellipsis, one gradient band each), drawn through TCanvas
// and, as the baseline, with the same QPainter calls made directly. Prints
// the time per frame of both and the ratio TCanvas / QPainter (target: at
// most 1.3).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "platform/vcl/Graphics.h"

#include "platform/vcl/Canvas_p.h"

namespace {

constexpr int kFrameWidth = 1920;
constexpr int kFrameHeight = 1080;
constexpr int kColumns = 30;
constexpr int kCells = 2000;
constexpr int kCellWidth = kFrameWidth / kColumns;  // 64
constexpr int kCellHeight = 16;
constexpr int kGradientSteps = 8;
constexpr int kGradientBand = 8;  // pixels at the top of each cell
constexpr unsigned kTextFlags = DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX;

const std::vector<AnsiString>& CellTexts() {
  static const std::vector<AnsiString> texts = [] {
    std::vector<AnsiString> t;
    const char* samples[] = {"살인의 추억", "Memories", "괴물", "2006", "올드보이 (감독판)",
                             "Oldboy", "친절한 금자씨", "DVD", "봄 여름 가을 겨울 그리고 봄",
                             "The Host", "공동경비구역 JSA", "1:52:30", "한국", "Drama"};
    for (int i = 0; i < 200; ++i) {
      std::string s = Utf8ToCp949(samples[i % 14]);
      if (i % 5 == 0) s += Utf8ToCp949(" 외 다수");
      t.push_back(s + (i % 3 == 0 ? " " + std::to_string(i) : ""));
    }
    return t;
  }();
  return texts;
}

TRect CellRect(int i) {
  int col = i % kColumns, row = i / kColumns;
  int left = col * kCellWidth, top = (row * kCellHeight) % kFrameHeight;
  return {left, top, left + kCellWidth, top + kCellHeight};
}

void DrawFrameWithCanvas(TCanvas& canvas) {
  const auto& texts = CellTexts();
  canvas.Font()->SetName("굴림"_k);
  canvas.Font()->SetSize(8);
  for (int i = 0; i < kCells; ++i) {
    TRect cell = CellRect(i);
    canvas.Brush()->SetColor(i % 2 ? clWindow : clCream);
    canvas.FillRect(cell);
    canvas.GradientFill({cell.Left, cell.Top, cell.Right, cell.Top + kGradientBand}, 0xFCE1CB,
                        0xE0A57D, false, kGradientSteps);
    canvas.SetBkMode(TRANSPARENT);
    canvas.Font()->SetColor(i % 7 ? clWindowText : clNavy);
    TRect textRect{cell.Left + 2, cell.Top, cell.Right - 2, cell.Bottom};
    canvas.DrawText(texts[static_cast<size_t>(i) % texts.size()], textRect, kTextFlags);
  }
}

void BM_TCanvasFrame(benchmark::State& state) {
  TBitmap frame(kFrameWidth, kFrameHeight);
  TCanvas& canvas = *frame.Canvas();
  DrawFrameWithCanvas(canvas);  // warm the font and text caches
  for (auto _ : state) {
    DrawFrameWithCanvas(canvas);
    benchmark::DoNotOptimize(frame.PixelColor(1, 1));
  }
  state.counters["cells/s"] = benchmark::Counter(double(kCells) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_TCanvasFrame)->Unit(benchmark::kMillisecond);

// The same frame, written against Qt as a Qt program would: texts held as
// QString, gradient bands and text placed by hand, the elision by Qt.
void DrawFrameWithQPainter(QPainter& p, const std::vector<QString>& texts, const QFont& font,
                           const QFontMetrics& metrics) {
  p.setFont(font);
  const QColor window = ToQColor(clWindow), cream = ToQColor(clCream);
  const QColor text = ToQColor(clWindowText), navy = ToQColor(clNavy);
  const QColor from = ToQColor(0xFCE1CB), to = ToQColor(0xE0A57D);
  for (int i = 0; i < kCells; ++i) {
    TRect c = CellRect(i);
    QRect cell(c.Left, c.Top, kCellWidth, kCellHeight);
    p.fillRect(cell, i % 2 ? window : cream);
    int band = kGradientBand / kGradientSteps;
    for (int s = 0; s < kGradientSteps; ++s) {
      QColor color(from.red() + (to.red() - from.red()) * s / kGradientSteps,
                   from.green() + (to.green() - from.green()) * s / kGradientSteps,
                   from.blue() + (to.blue() - from.blue()) * s / kGradientSteps);
      p.fillRect(QRect(cell.left(), cell.top() + s * band, kCellWidth, band + 1), color);
    }
    QRect textRect = cell.adjusted(2, 0, -2, 0);
    const QString& s = texts[static_cast<size_t>(i) % texts.size()];
    QString shown = metrics.horizontalAdvance(s) > textRect.width()
                        ? metrics.elidedText(s, Qt::ElideRight, textRect.width())
                        : s;
    p.setPen(i % 7 ? text : navy);
    int y = textRect.top() + (textRect.height() - metrics.height()) / 2 + metrics.ascent();
    if (metrics.horizontalAdvance(shown) > textRect.width()) {
      p.save();
      p.setClipRect(textRect);
      p.drawText(QPoint(textRect.left(), y), shown);
      p.restore();
    } else {
      p.drawText(QPoint(textRect.left(), y), shown);
    }
  }
}

void BM_QPainterFrame(benchmark::State& state) {
  EnsureQtApplication();
  QImage frame(kFrameWidth, kFrameHeight, QImage::Format_RGB32);
  std::vector<QString> texts;
  for (const AnsiString& s : CellTexts()) texts.push_back(ToQString(s));
  TFont tfont;
  tfont.SetName("굴림"_k);
  tfont.SetSize(8);
  QFont font = ToQFont(tfont);
  QFontMetrics metrics(font);
  QPainter p(&frame);
  DrawFrameWithQPainter(p, texts, font, metrics);
  for (auto _ : state) {
    DrawFrameWithQPainter(p, texts, font, metrics);
    benchmark::DoNotOptimize(frame.pixel(1, 1));
  }
  state.counters["cells/s"] = benchmark::Counter(double(kCells) * state.iterations(),
                                                 benchmark::Counter::kIsRate);
}
BENCHMARK(BM_QPainterFrame)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  RatioReporter reporter;
  RunBenchmarks(argc, argv, reporter);
  double canvas = reporter.Has("BM_TCanvasFrame") ? reporter.Median("BM_TCanvasFrame") * 1e3 : 0;
  std::printf("TCanvas frame (%d cells, 1920x1080): %.2f ms\n", kCells, canvas);
  double direct = reporter.Has("BM_QPainterFrame") ? reporter.Median("BM_QPainterFrame") * 1e3 : 0;
  std::printf("QPainter frame (baseline):           %.2f ms\n", direct);
  PrintRatio(reporter, "TCanvas / QPainter", "BM_TCanvasFrame", "BM_QPainterFrame", "target <= 1.30");
  benchmark::Shutdown();
  return 0;
}
