// A cell holding a text of two megabytes without a blank (a pasted link),
// and one holding thousands of tabs, painted through the real painter as the
// catalogue shows them: word-wrapped, and on one line with an ellipsis. Each
// paint must end within a deadline and show the start of the text.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>

#include "grid/ExGrid.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"
#include "tests/vcl/DeadlineTestSupport.h"

namespace {

constexpr auto kDeadline = std::chrono::seconds(5);

struct TLongCell {
  TExStringGrid grid{nullptr};
  TBitmap picture{200, 60};
};

// Paints the cell on a thread of its own (onto a picture, which a painter
// may do off the window thread); false when it has not ended in time. The
// work holds the grid and picture, should it outlive the deadline.
bool PaintsWithin(const std::shared_ptr<TLongCell>& cell) {
  return EndsWithin(kDeadline, [cell] {
    TCanvas* canvas = cell->picture.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->FillRect(TRect{0, 0, 200, 60});
    canvas->Font()->SetColor(clBlack);
    cell->grid.DrawCellContent(canvas, 1, 1, TRect{0, 0, 120, 60}, {});
  });
}

int DarkPixels(TBitmap& picture) {
  int dark = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 120; ++x)
      if ((picture.PixelColor(x, y) & 0xFF) < 0x80) ++dark;
  return dark;
}

std::shared_ptr<TLongCell> CellWith(const AnsiString& text) {
  // A window first: it brings up the window system the painter's fonts need.
  static TForm* window = new TForm(nullptr);
  (void)window;
  auto cell = std::make_shared<TLongCell>();
  cell->grid.SetColCount(3);
  cell->grid.SetRowCount(3);
  cell->grid.SetURLShow(true);
  cell->grid.SetCells(1, 1, text);
  return cell;
}

std::shared_ptr<TLongCell> CellWithLongLink() { return CellWith("http://" + std::string(2'000'000, 'w')); }

// Every tab expands to the next stop, which depends on all the text before it.
std::shared_ptr<TLongCell> CellWithTabs(int tabs) {
  AnsiString text;
  for (int i = 0; i < tabs; ++i) text += i % 2 == 0 ? "ab\t" : "\t";
  return CellWith(text);
}

}  // namespace

TEST(LongCellPaint, AWordWrappedCellOfTwoMegabytesPaintsItsStartWithinTheDeadline) {
  auto cell = CellWithLongLink();
  cell->grid.SetWordWrap(true);
  ASSERT_TRUE(PaintsWithin(cell)) << "painting the 2 MB cell did not end";
  EXPECT_GT(DarkPixels(cell->picture), 20);
}

TEST(LongCellPaint, AOneLineCellOfTwoMegabytesEndsWithAnEllipsisWithinTheDeadline) {
  auto cell = CellWithLongLink();
  cell->grid.SetWordWrap(false);
  cell->grid.SetEnhTextSize(true);
  ASSERT_TRUE(PaintsWithin(cell)) << "painting the 2 MB cell did not end";
  EXPECT_GT(DarkPixels(cell->picture), 20);
}

TEST(LongCellPaint, ACellOfFourThousandTabsPaintsWithinTheDeadline) {
  for (bool wrap : {true, false}) {
    SCOPED_TRACE(wrap ? "word-wrapped" : "one line");
    auto cell = CellWithTabs(4000);
    cell->grid.SetWordWrap(wrap);
    cell->grid.SetEnhTextSize(true);
    ASSERT_TRUE(PaintsWithin(cell)) << "painting the cell of tabs did not end";
    EXPECT_GT(DarkPixels(cell->picture), 10);
  }
}
