// What the grid saves, it loads again byte for byte: which graphics are
// stored, spans the grid holds, payloads that do not decode, and large
// files read in one piece and given back as the load goes.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <random>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"
#include "tests/grid/GridFileTestSupport.h"

namespace {

const TGridFileCell* StoredCell(const TGridFile& f, int col, int row) {
  for (const TGridFileCell& c : f.Cells)
    if (c.Col == col && c.Row == row) return &c;
  return nullptr;
}

TEST(GridFileFidelity, GraphicsAreStoredOnlyWhereTheFileKeepsThem) {
  TExStringGrid g(nullptr);
  g.SetColCount(4);
  g.SetRowCount(1);
  // A payload type whose payload the grid did not create: nothing to store.
  TCellGraphic* bitmap = g.CreateCellGraphic(0, 0);
  bitmap->SetCellType(ctBitmap);
  bitmap->SetCellCreated(false);
  // An empty cell type: no graphic.
  g.CreateCellGraphic(1, 0)->SetCellType(ctEmpty);
  // A type without payload is stored whoever made it.
  TCellGraphic* check = g.CreateCellGraphic(2, 0);
  check->SetCellType(ctCheckBox);
  check->SetCellCreated(false);
  check->SetCellBoolean(true);
  // A payload the grid created is stored with its graphic.
  TCellGraphic* radio = g.CreateCellGraphic(3, 0);
  radio->SetCellType(ctRadio);
  radio->SetCellCreated(true);
  auto* items = new TStringList;
  items->Add("a");
  radio->SetPayload(items);

  const std::string bytes = SaveToBytes(g);
  const TGridFile f = ParseGridBytes(bytes.data(), bytes.size());
  const bool expected[4] = {false, false, true, true};
  for (int c = 0; c < 4; ++c) {
    const TGridFileCell* cell = StoredCell(f, c, 0);
    ASSERT_TRUE(cell && cell->Extra) << c;
    EXPECT_EQ(cell->Extra->HasGraphic, expected[c]) << c;
  }
  // Loaded and saved again: the same bytes.
  TExStringGrid back(nullptr);
  LoadFromBytes(back, bytes);
  EXPECT_TRUE(SaveToBytes(back) == bytes);
}

TEST(GridFileFidelity, NegativeSpansTheGridHoldsLoadAsTheyWereSaved) {
  TExStringGrid g(nullptr);
  g.SetColCount(3);
  g.SetRowCount(3);
  g.SetCells(1, 1, "x");
  g.CellPropertiesAt(1, 1)->SetCellSpanX(-7);
  g.CellPropertiesAt(1, 1)->SetCellSpanY(-2);
  g.CellPropertiesAt(2, 2)->SetCellSpanX(INT32_MIN);
  const std::string bytes = SaveToBytes(g);

  TExStringGrid back(nullptr);
  LoadFromBytes(back, bytes);
  ASSERT_NE(back.FindCellProperties(1, 1), nullptr);
  EXPECT_EQ(back.FindCellProperties(1, 1)->CellSpanX(), -7);
  EXPECT_EQ(back.FindCellProperties(2, 2)->CellSpanX(), INT32_MIN);
  // Read as no span at all.
  EXPECT_EQ(back.CellSpan(1, 1), (TPoint{0, 0}));
  EXPECT_EQ(back.Cells(1, 1), "x");
  EXPECT_TRUE(SaveToBytes(back) == bytes);
}

TEST(GridFileFidelity, PayloadBytesThatDoNotDecodeAreWrittenBackUnchanged) {
  const std::string garbage("BM\x01\x02 not an image\x00\xFF", 18);
  for (Byte type : {gfBitmap, gfIcon, gfPicture, gfBitButton}) {
    TGridStreamWriter w;
    TGridPropIO props;
    props.ColCount = 1;
    props.RowCount = 1;
    props.ColWidths = "64";
    props.RowHeights = "24";
    props.FullGrid = true;
    w.WriteProps(props);
    TGridFileCellExtra extra;
    extra.Properties.OwnerCol = 0;
    extra.HasGraphic = true;
    extra.Graphic.CellType = type;
    extra.Graphic.CellCreated = true;
    // A picture's data opens with its class name.
    extra.Payload.Data = type == gfPicture ? std::string("\x07TBitmap") + garbage : garbage;
    w.WriteCell(0, 0, "cover", &extra);
    const std::string bytes = w.Bytes();

    TExStringGrid g(nullptr);
    LoadFromBytes(g, bytes);
    const TCellGraphic* graphic = g.GetCellGraphic(0, 0);
    ASSERT_NE(graphic, nullptr) << int{type};
    EXPECT_EQ(graphic->CellBitmap(), nullptr);  // nothing to show
    EXPECT_TRUE(SaveToBytes(g) == bytes) << int{type};
  }
}

TEST(GridFileFidelity, ALargeCatalogueLoadsWholeWithTextsSizedExactly) {
  // Beyond the pieces a load gives back while it goes (a few megabytes).
  TExStringGrid g(nullptr);
  g.SetColCount(6);
  g.SetRowCount(20000);
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c)
      g.SetCells(c, r, "영화 제목 "_k + IntToStr(r) + " / " + IntToStr(c) + AnsiString(40 + (r + c) % 50, 'x'));
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("vidrena-fidelity-" + std::to_string(::getpid()) + ".vdm");
  SaveGridFile(g, file.string());
  ASSERT_GT(std::filesystem::file_size(file), size_t{10} << 20);

  TExStringGrid back(nullptr);
  LoadGridFile(back, file.string());
  std::filesystem::remove(file);
  ASSERT_EQ(back.RowCount(), g.RowCount());
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) {
      const AnsiString& text = back.Cells(c, r);
      ASSERT_EQ(text, g.Cells(c, r)) << c << "," << r;
      ASSERT_EQ(text.capacity(), text.size()) << c << "," << r;
    }
}

TEST(GridFileFidelity, MutatedStreamsAreReadOrRefusedLeavingTheGridAsItWas) {
  TExStringGrid source(nullptr);
  source.SetColCount(3);
  source.SetRowCount(3);
  source.SetCells(0, 0, "제목"_k);
  source.SetCells(1, 0, "abc");
  source.SetCells(2, 1, AnsiString(300, 'y'));
  source.CellPropertiesAt(1, 2)->SetBrushColor(clRed);
  source.SetCells(0, 2, "z");
  const std::string bytes = SaveToBytes(source);

  std::mt19937 rng(17);
  TExStringGrid g(nullptr);
  g.SetColCount(2);
  g.SetRowCount(2);
  g.SetCells(1, 1, "kept");
  int refused = 0;
  for (int round = 0; round < 4000; ++round) {
    std::string bad = bytes;
    const int changes = 1 + static_cast<int>(rng() % 3);
    for (int k = 0; k < changes; ++k) bad[rng() % bad.size()] = static_cast<char>(rng() % 256);
    if (rng() % 4 == 0) bad.resize(rng() % bad.size());
    try {
      LoadFromBytes(g, bad);
    } catch (const EReadError&) {
      ++refused;
      ASSERT_EQ(g.Cells(1, 1), "kept") << round;
      continue;
    }
    // Read whole: put the marker back for the next round.
    g.SetColCount(2);
    g.SetRowCount(2);
    g.SetCells(1, 1, "kept");
  }
  EXPECT_GT(refused, 1000);
}

}  // namespace
