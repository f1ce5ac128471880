#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "grid/GridFile.h"
#include "tools/CatalogueGen.h"

namespace {

std::string Bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string DataDir() { return std::string(VIDRENA_TEST_DATA) + "/grid"; }

// The catalogue's 42 column headers in their window order.
const auto& kHeaders = kCatalogueHeaders;

TGridFileCell TextCell(int col, int row, AnsiString text) {
  TGridFileCell c;
  c.Col = col;
  c.Row = row;
  c.Text = std::move(text);
  return c;
}

TGridFileCell GraphicCell(int col, int row, AnsiString text, Byte type) {
  TGridFileCell c = TextCell(col, row, std::move(text));
  c.Extra = std::make_unique<TGridFileCellExtra>();
  c.Extra->Properties.OwnerCol = col;
  c.Extra->Properties.OwnerRow = row;
  c.Extra->HasGraphic = true;
  c.Extra->Graphic.CellType = type;
  c.Extra->Graphic.CellCreated = true;
  return c;
}

// A small catalogue: the header row, three movies with Korean text, a
// coloured and merged cell, and one cell of every graphic kind with a payload.
TGridFile SampleCatalogue() {
  TGridFile f;
  f.Props.ColCount = 42;
  f.Props.RowCount = 5;
  std::vector<int> widths(42, 64);
  widths[0] = 226;
  f.Props.ColWidths = JoinSizeList(widths);
  f.Props.RowHeights = "21,21,21,21,21";
  f.Props.FullGrid = true;
  for (int c = 0; c < kCatalogueColumns; ++c) f.Cells.push_back(TextCell(c, 0, Utf8ToCp949(kHeaders[c])));
  const char* titles[3] = {"올드보이", "괴물", "Memories of Murder (살인의 추억)"};
  for (int r = 1; r <= 3; ++r) {
    f.Cells.push_back(TextCell(0, r, Utf8ToCp949(titles[r - 1])));
    f.Cells.push_back(TextCell(2, r, "박찬욱"_k));
    f.Cells.push_back(TextCell(14, r, AnsiString(300, 'x') + "줄거리"_k));
    f.Cells.push_back(TextCell(21, r, "\"a b.avi\"|c.avi"));
  }
  // A coloured, bold, merged cell.
  TGridFileCell merged = TextCell(3, 1, "한국"_k);
  merged.Extra = std::make_unique<TGridFileCellExtra>();
  TCellPropertiesIO& p = merged.Extra->Properties;
  p.CellSpanX = 1;
  p.CellSpanY = 0;
  p.OwnerCol = 3;
  p.OwnerRow = 1;
  p.Alignment = 2;
  p.BrushColor = 0x00C0FFEE;
  p.BrushColorTo = 0;  // clBlack
  p.FontStyle = 0b0011;
  p.FontName = "나눔고딕"_k;
  p.FontSize = 11;
  p.Editor = 30;
  p.WordWrap = true;
  f.Cells.push_back(std::move(merged));
  TGridFileCell covered;
  covered.Col = 4;
  covered.Row = 1;
  covered.Extra = std::make_unique<TGridFileCellExtra>();
  covered.Extra->Properties.IsBaseCell = false;
  covered.Extra->Properties.CellSpanX = 1;
  covered.Extra->Properties.CellSpanY = 0;
  f.Cells.push_back(std::move(covered));

  f.Cells.push_back(GraphicCell(5, 2, "", gfBitmap));
  f.Cells.back().Extra->Payload.Data = std::string("BM\0\1\2\3", 6);
  f.Cells.push_back(GraphicCell(6, 2, "", gfIcon));
  f.Cells.back().Extra->Payload.Data = std::string("\0\0\1\0", 4);
  f.Cells.push_back(GraphicCell(7, 2, "나"_k, gfRadio));
  f.Cells.back().Extra->Payload.Strings = {"가"_k, "나"_k, "Other"};
  f.Cells.back().Extra->Graphic.CellIndex = 1;
  f.Cells.push_back(GraphicCell(8, 2, "", gfImages));
  f.Cells.back().Extra->Payload.Strings = {"3", "10", "-1"};
  f.Cells.push_back(GraphicCell(9, 2, "", gfPicture));
  f.Cells.back().Extra->Payload.Data = std::string("\x0BTJPEGImage\xFF\xD8\xFF", 15);
  f.Cells.push_back(GraphicCell(10, 2, "", gfFilePicture));
  f.Cells.back().Extra->Payload.FilePicture = {"포스터/괴물.jpg"_k, 120, 170};
  f.Cells.push_back(GraphicCell(11, 2, "75", 15 /* ctProgress */));
  f.Cells.back().Extra->Graphic.CellValue = 0.1;
  f.Cells.push_back(GraphicCell(12, 2, "", 16 /* ctComment */));
  f.Cells.back().Extra->Graphic.CellText = "메모"_k;
  f.Cells.back().Extra->Graphic.CellErrFrom = -2;
  f.Cells.back().Extra->Graphic.CellErrLen = 300;
  f.Cells.push_back(GraphicCell(13, 2, "", 4 /* ctCheckBox */));
  f.Cells.back().Extra->Graphic.CellBoolean = true;
  f.Cells.back().Extra->Graphic.CellVAlign = 5;
  f.Cells.back().Extra->Graphic.CellHAlign = 2;
  // A Unicode cell: UTF-16 pairs, not code page 949.
  f.Cells.push_back(TextCell(41, 3, AnsiString("|\\") + Bytes({0x30, 0x42, 0x00, 0x41, 0xD8, 0x3D})));
  // In the order the grid writes them: row by row, left to right.
  std::stable_sort(f.Cells.begin(), f.Cells.end(), [](const TGridFileCell& a, const TGridFileCell& b) {
    return a.Row != b.Row ? a.Row < b.Row : a.Col < b.Col;
  });
  return f;
}

std::string Write(const TGridFile& f) {
  TMemoryStream s;
  WriteGridStream(s, f);
  return std::string(static_cast<const char*>(s.Memory()), static_cast<size_t>(s.Size()));
}

TGridFile Parse(const std::string& bytes) { return ParseGridBytes(bytes.data(), bytes.size()); }

std::string PropImageHead() { return std::string("TPF0") + "\x0BTGridPropIO" + Bytes({0}); }

TEST(GridFile, EmptyTwoByTwoGridWritesOnlyItsSizeImage) {
  TGridPropIO p;
  p.ColCount = 2;
  p.RowCount = 2;
  p.ColWidths = "64,64";
  p.RowHeights = "24,24";
  p.FullGrid = true;
  const std::string expected = PropImageHead() + "\x08" "ColCount" + Bytes({2, 2}) +
                               "\x08" "RowCount" + Bytes({2, 2}) + "\x09" "ColWidths" +
                               Bytes({6, 5}) + "64,64" + "\x0A" "RowHeights" + Bytes({6, 5}) +
                               "24,24" + "\x08" "FullGrid" + Bytes({9}) + "\x02" "ID" +
                               Bytes({2, 0, 0, 0});
  EXPECT_EQ(GridPropImage(p), expected);

  const TGridFile f = Parse(expected);
  EXPECT_TRUE(f.Props.FullGrid);
  EXPECT_EQ(f.ColWidthList, (std::vector<int>{64, 64}));
  EXPECT_EQ(f.RowHeightList, (std::vector<int>{24, 24}));
  EXPECT_TRUE(f.Cells.empty());
}

TEST(GridFile, CellPositionsAndTextTakeTheirTags) {
  TGridStreamWriter w;
  w.WriteCell(300, 5, "abc", nullptr);
  EXPECT_EQ(w.Bytes(), std::string("TPF0") + "\x0BTGridCellIO" + Bytes({0}) + "\x03" "Col" +
                           Bytes({3, 0x2C, 0x01}) + "\x03" "Row" + Bytes({2, 5}) + "\x04" "Cell" +
                           Bytes({6, 3}) + "abc" + "\x07" "HasProp" + Bytes({8, 0, 0}));
  TGridStreamWriter k;
  k.WriteCell(0, 0, "제목"_k, nullptr);
  EXPECT_EQ(k.Bytes(), std::string("TPF0") + "\x0BTGridCellIO" + Bytes({0}) + "\x03" "Col" +
                           Bytes({2, 0}) + "\x03" "Row" + Bytes({2, 0}) + "\x04" "Cell" +
                           Bytes({20, 6, 0, 0, 0}) + "제목" + "\x07" "HasProp" + Bytes({8, 0, 0}));
}

TEST(GridFile, CellPropertiesGoInDeclarationOrderWithColourNames) {
  TGridFileCellExtra x;
  x.Properties.OwnerCol = 128;
  TGridStreamWriter w;
  w.WriteCell(1, 1, "", &x);
  const std::string& b = w.Bytes();
  const std::string cellImage = std::string("TPF0") + "\x0BTGridCellIO" + Bytes({0}) + "\x03" "Col" +
                                Bytes({2, 1}) + "\x03" "Row" + Bytes({2, 1}) + "\x07" "HasProp" +
                                Bytes({9, 0, 0});
  ASSERT_EQ(b.substr(0, cellImage.size()), cellImage);  // no Cell property for empty text
  const std::string props = b.substr(cellImage.size());
  auto prop = [](const char* name) { return std::string(1, static_cast<char>(15 + std::strlen(name))) + "CellProperties." + name; };
  const std::string expected =
      std::string("TPF0") + "\x0FTGridCellPropIO" + Bytes({0}) + prop("IsBaseCell") + Bytes({9}) +
      prop("CellSpanX") + Bytes({2, 0xFF}) + prop("CellSpanY") + Bytes({2, 0xFF}) +
      prop("OwnerCol") + Bytes({3, 0x80, 0}) + prop("OwnerRow") + Bytes({2, 0}) +
      prop("Alignment") + Bytes({7, 13}) + "taLeftJustify" + prop("BorderColor") + Bytes({7, 7}) +
      "clBlack" + prop("BorderWidth") + Bytes({2, 0}) + prop("BrushColor") + Bytes({7, 6}) +
      "clNone" + prop("BrushColorTo") + Bytes({7, 6}) + "clNone" + prop("BrushStyle") +
      Bytes({7, 7}) + "bsSolid" + prop("FontColor") + Bytes({7, 6}) + "clNone" +
      prop("FontSize") + Bytes({2, 0}) + prop("FontStyle") + Bytes({11, 0}) + prop("Editor") +
      Bytes({7, 8}) + "edNormal" + prop("ReadOnly") + Bytes({8}) + prop("VAlignment") +
      Bytes({7, 6}) + "vtaTop" + prop("WordWrap") + Bytes({8}) + prop("NodeLevel") +
      Bytes({2, 0}) + "\x0AHasGraphic" + Bytes({8, 0, 0});
  EXPECT_EQ(props, expected);
}

TEST(GridFile, CatalogueHeaderOfFortyTwoColumnsReadsBackAsWritten) {
  TGridFile f;
  f.Props.ColCount = 42;
  f.Props.RowCount = 2;
  f.Props.ColWidths = JoinSizeList(std::vector<int>(42, 64));
  f.Props.RowHeights = "21,21";
  f.Props.FullGrid = true;
  for (int c = 0; c < kCatalogueColumns; ++c) f.Cells.push_back(TextCell(c, 0, Utf8ToCp949(kHeaders[c])));
  const std::string bytes = Write(f);
  // "Ch" and "samplerate" are ASCII (tag 6); every other header is UTF-8 (tag 20).
  EXPECT_NE(bytes.find(std::string("\x04" "Cell") + Bytes({6, 2}) + "Ch"), std::string::npos);
  EXPECT_NE(bytes.find(std::string("\x04" "Cell") + Bytes({20, 12, 0, 0, 0}) + "보관위치"),
            std::string::npos);
  const TGridFile back = Parse(bytes);
  ASSERT_EQ(back.Cells.size(), 42u);
  for (int c = 0; c < kCatalogueColumns; ++c) {
    EXPECT_EQ(back.Cells[c].Col, c);
    EXPECT_EQ(back.Cells[c].Row, 0);
    EXPECT_EQ(Cp949ToUtf8(back.Cells[c].Text), kHeaders[c]);
  }
  EXPECT_TRUE(Write(back) == bytes);
}

TEST(GridFile, CatalogueWithPropertiesAndGraphicsRoundTripsByteForByte) {
  const TGridFile f = SampleCatalogue();
  const std::string bytes = Write(f);
  const TGridFile back = Parse(bytes);
  ASSERT_EQ(back.Cells.size(), f.Cells.size());
  for (size_t i = 0; i < f.Cells.size(); ++i) {
    const TGridFileCell& a = f.Cells[i];
    const TGridFileCell& b = back.Cells[i];
    EXPECT_EQ(a.Col, b.Col);
    EXPECT_EQ(a.Row, b.Row);
    EXPECT_EQ(a.Text, b.Text) << i;
    ASSERT_EQ(a.Extra != nullptr, b.Extra != nullptr) << i;
    if (!a.Extra) continue;
    EXPECT_EQ(a.Extra->Properties, b.Extra->Properties) << i;
    EXPECT_EQ(a.Extra->HasGraphic, b.Extra->HasGraphic);
    if (!a.Extra->HasGraphic) continue;
    EXPECT_EQ(a.Extra->Graphic, b.Extra->Graphic) << i;
    EXPECT_EQ(a.Extra->Payload.Data, b.Extra->Payload.Data) << i;
    EXPECT_EQ(a.Extra->Payload.Strings, b.Extra->Payload.Strings) << i;
    EXPECT_EQ(a.Extra->Payload.FilePicture, b.Extra->Payload.FilePicture) << i;
  }
  EXPECT_TRUE(Write(back) == bytes);
  // The stored file keeps the same bytes: the format does not drift.
  // VIDRENA_WRITE_FIXTURES=1 writes it anew after a deliberate change.
  if (std::getenv("VIDRENA_WRITE_FIXTURES"))
    std::ofstream(DataDir() + "/catalogue_small.grid", std::ios::binary) << bytes;
  EXPECT_TRUE(ReadFileBytes(DataDir() + "/catalogue_small.grid") == bytes);
}

TEST(GridFile, UnicodeCellKeepsItsBytesThroughTheFile) {
  const TGridFile f = SampleCatalogue();
  const TGridFile back = Parse(Write(f));
  const AnsiString& text = back.Cells.back().Text;
  EXPECT_EQ(text, AnsiString("|\\") + Bytes({0x30, 0x42, 0x00, 0x41, 0xD8, 0x3D}));
}

TEST(GridFile, MissingPropertiesTakeDefaultsNotThePreviousCellsValues) {
  TGridFile f;
  f.Props = {3, 1, "64,64,64", "21", true, 0};
  f.Cells.push_back(TextCell(0, 0, "text"));
  f.Cells.push_back(GraphicCell(1, 0, "", 16));
  f.Cells.back().Extra->Graphic.CellText = "comment";
  f.Cells.back().Extra->Properties.FontName = "Serif";
  f.Cells.push_back(GraphicCell(2, 0, "", 16));
  const TGridFile back = Parse(Write(f));
  ASSERT_EQ(back.Cells.size(), 3u);
  EXPECT_EQ(back.Cells[1].Text, "");
  EXPECT_EQ(back.Cells[2].Extra->Graphic.CellText, "");
  EXPECT_EQ(back.Cells[2].Extra->Properties.FontName, "");
}

TEST(GridFile, PartialStreamIsAnchoredAtItsFirstStoredCell) {
  TGridFile f;
  f.Props = {3, 2, "64,64,64", "21,21", false, 0};
  f.Cells.push_back(TextCell(4, 7, "a"));
  f.Cells.push_back(TextCell(6, 8, "b"));
  const TGridFile back = Parse(Write(f));
  EXPECT_FALSE(back.Props.FullGrid);
  EXPECT_EQ(back.FirstCol, 4);
  EXPECT_EQ(back.FirstRow, 7);
  ASSERT_EQ(back.Cells.size(), 2u);
  EXPECT_EQ(back.Cells[1].Col - back.FirstCol, 2);
  EXPECT_EQ(back.Cells[1].Row - back.FirstRow, 1);

  // A cell two rows below a two-row block is refused.
  f.Cells.push_back(TextCell(4, 9, "c"));
  EXPECT_THROW(Parse(Write(f)), EReadError);
}

TEST(GridFile, OneStrayByteAfterTheLastCellEndsTheStreamCleanly) {
  TGridFile f;
  f.Props = {2, 2, "64,64", "24,24", true, 0};
  f.Cells.push_back(TextCell(1, 1, "z"));
  const TGridFile back = Parse(Write(f) + '\0');
  ASSERT_EQ(back.Cells.size(), 1u);
  EXPECT_EQ(back.Cells[0].Text, "z");
}

TEST(GridFile, RowsBeyondSixteenBitsKeepTheirPositions) {
  TGridFile f;
  f.Props.ColCount = 1;
  f.Props.RowCount = 70000;
  f.Props.RowHeights = JoinSizeList(std::vector<int>(70000, 21));
  f.Props.ColWidths = "64";
  f.Props.FullGrid = true;
  f.Cells.push_back(TextCell(0, 65535, "a"));
  f.Cells.push_back(TextCell(0, 65536, "b"));
  f.Cells.push_back(TextCell(0, 69999, "c"));
  const std::string bytes = Write(f);
  // Up to 65535 the bytes are those of a 16-bit field: an int32 tag holding 65535.
  EXPECT_NE(bytes.find(std::string("\x03Row") + Bytes({4, 0xFF, 0xFF, 0, 0})), std::string::npos);
  const TGridFile back = Parse(bytes);
  ASSERT_EQ(back.Cells.size(), 3u);
  EXPECT_EQ(back.Cells[1].Row, 65536);
  EXPECT_EQ(back.Cells[2].Row, 69999);
}

TEST(GridFile, RowsThatAnOlderWriterWrappedAtSixteenBitsAreUnwrapped) {
  TGridPropIO p{1, 70000, "64", JoinSizeList(std::vector<int>(70000, 21)), true, 0};
  TGridStreamWriter w;
  w.WriteProps(p);
  w.WriteCell(0, 1, "row 1", nullptr);
  w.WriteCell(0, 65535, "row 65535", nullptr);
  w.WriteCell(0, 0, "row 65536", nullptr);  // 16 bits of 65536
  w.WriteCell(0, 4463, "row 69999", nullptr);
  const TGridFile f = Parse(w.Bytes());
  ASSERT_EQ(f.Cells.size(), 4u);
  EXPECT_EQ(f.Cells[1].Row, 65535);
  EXPECT_EQ(f.Cells[2].Row, 65536);
  EXPECT_EQ(f.Cells[3].Row, 69999);

  // Below 65537 rows nothing can have wrapped: a cell above the previous one,
  // or the same cell twice, is out of the writer's order, a damaged file.
  for (const TPoint second : {Point(0, 0), Point(1, 1), Point(0, 1)}) {
    TGridStreamWriter small;
    small.WriteProps({2, 3, "64,64", "21,21,21", true, 0});
    small.WriteCell(1, 1, "b", nullptr);
    small.WriteCell(second.X, second.Y, "a", nullptr);
    EXPECT_THROW(Parse(small.Bytes()), EReadError) << second.X << "," << second.Y;
  }
}

TEST(GridFile, GridsBeyondTheFileLimitsAreRefusedOnSaving) {
  TGridStreamWriter w;
  TGridPropIO p;
  p.ColCount = kMaxGridCols + 1;
  p.RowCount = 1;
  try {
    w.WriteProps(p);
    FAIL();
  } catch (const EWriteError& e) {
    EXPECT_EQ(e.Message(), "The grid cannot be saved: 65536 columns (at most 65535)");
  }
  EXPECT_THROW(w.WriteCell(0, kMaxGridRows, "x", nullptr), EWriteError);
  EXPECT_TRUE(w.Bytes().empty());
}

TEST(GridFile, SizeListsNeedExactlyTheItemCount) {
  EXPECT_EQ(ParseSizeList("64,80,-1", 3, "ColWidths"), (std::vector<int>{64, 80, -1}));
  EXPECT_EQ(ParseSizeList("33409,80", 2, "ColWidths"), (std::vector<int>{kMaxCellExtent, 80}));  // bounded
  EXPECT_THROW(ParseSizeList("64,80", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("64,80,1,2", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("64,,80", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("64, 80,1", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("64,8x,1", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("64,80,-2", 3, "ColWidths"), EReadError);
  EXPECT_THROW(ParseSizeList("", 3, "RowHeights"), EReadError);
  try {
    ParseSizeList("24,x", 2, "RowHeights");
    FAIL();
  } catch (const EReadError& e) {
    EXPECT_EQ(e.Message(), "Invalid grid file: RowHeights item 1 is not an integer");
  }
}

TEST(GridFile, SpansMustStayInsideTheGrid) {
  TCellPropertiesIO p;
  EXPECT_EQ(CheckCellSpan(p, 5, 5, 6, 6), "");
  p.CellSpanX = 2;
  p.CellSpanY = 1;
  EXPECT_EQ(CheckCellSpan(p, 3, 4, 6, 6), "");
  EXPECT_NE(CheckCellSpan(p, 4, 4, 6, 6), "");
  EXPECT_NE(CheckCellSpan(p, 3, 5, 6, 6), "");
  p.IsBaseCell = false;
  EXPECT_EQ(CheckCellSpan(p, 2, 1, 6, 6), "");
  EXPECT_NE(CheckCellSpan(p, 1, 1, 6, 6), "");
  p.CellSpanX = -3;
  EXPECT_NE(CheckCellSpan(p, 5, 5, 6, 6), "");
}

// Every hostile file is refused with a message that says what is wrong.
TEST(GridFile, HostileFilesAreRefusedWithAClearError) {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator(DataDir() + "/hostile")) {
    const std::string bytes = ReadFileBytes(entry.path());
    ++count;
    try {
      Parse(bytes);
      ADD_FAILURE() << entry.path().filename() << " was accepted";
    } catch (const EReadError& e) {
      const AnsiString& m = e.Message();
      EXPECT_TRUE(m.starts_with("Invalid") || m.starts_with("Error reading"))
          << entry.path().filename() << ": " << m;
    }
  }
  EXPECT_GE(count, 25);
}

TEST(GridFile, TruncatedCatalogueIsRefusedUnlessCutBetweenCells) {
  const TGridFile f = SampleCatalogue();
  // The end of each cell's images: a cut there leaves a shorter, sound stream.
  TGridStreamWriter w;
  w.WriteProps(f.Props);
  std::vector<size_t> ends{w.Bytes().size()};
  for (const TGridFileCell& c : f.Cells) {
    w.WriteCell(c.Col, c.Row, c.Text, c.Extra.get());
    ends.push_back(w.Bytes().size());
  }
  const std::string bytes = w.Bytes();
  int refused = 0;
  for (size_t cut = 0; cut < bytes.size(); cut += 97) {
    const bool atEnd = std::find(ends.begin(), ends.end(), cut) != ends.end() ||
                       std::find(ends.begin(), ends.end(), cut - 1) != ends.end();
    if (atEnd) {
      EXPECT_NO_THROW(Parse(bytes.substr(0, cut))) << cut;
    } else {
      EXPECT_THROW(Parse(bytes.substr(0, cut)), EReadError) << cut;
      ++refused;
    }
  }
  EXPECT_GT(refused, 10);
}

TEST(GridFile, FlippedBytesNeverGiveAnUnsoundModel) {
  const std::string bytes = Write(SampleCatalogue());
  int refused = 0;
  for (size_t at = 0; at < bytes.size(); ++at) {
    std::string bad = bytes;
    bad[at] = static_cast<char>(bad[at] ^ 0xA5);
    try {
      const TGridFile f = Parse(bad);
      // Whatever got through is still a grid the loader can apply.
      for (const TGridFileCell& c : f.Cells) {
        ASSERT_LT(c.Col, f.Props.ColCount);
        ASSERT_LT(c.Row, f.Props.RowCount);
        if (c.Extra) {
          ASSERT_EQ(CheckCellSpan(c.Extra->Properties, c.Col, c.Row, f.Props.ColCount,
                                  f.Props.RowCount), "");
        }
      }
    } catch (const EReadError&) {
      ++refused;
    }
  }
  EXPECT_GT(refused, static_cast<int>(bytes.size() / 4));
}

TEST(GridFile, StreamIsParsedFromItsPositionAndLeftAtItsEnd) {
  const std::string bytes = Write(SampleCatalogue());
  TStringStream s("junk" + bytes);
  s.SetPosition(4);
  const TGridFile f = ParseGridStream(s);
  EXPECT_EQ(f.Cells.size(), SampleCatalogue().Cells.size());
  EXPECT_EQ(s.Position(), s.Size());

  TMemoryStream m;
  m.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  m.SetPosition(0);
  EXPECT_EQ(ParseGridStream(m).Cells.size(), f.Cells.size());
  EXPECT_EQ(m.Position(), m.Size());
}

}  // namespace
