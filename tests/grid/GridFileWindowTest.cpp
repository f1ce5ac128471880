// Catalogue files larger than what a load holds of them at once: cells cut
// by the edge of what was read, a cell larger than all of it, faults far
// into the file, and a file written to by someone else while it loads.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"
#include "tests/grid/GridFileTestSupport.h"

namespace {

namespace fs = std::filesystem;

struct TTempFolder {
  fs::path path;
  TTempFolder() {
    path = fs::temp_directory_path() / ("vidrena-gridwindow-" + std::to_string(::getpid()));
    fs::create_directories(path);
  }
  ~TTempFolder() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  AnsiString File(const char* name) const { return (path / name).string(); }
};

std::string ReadFileBytes(const AnsiString& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Rewrites the file where it is (the same file, not a new one by its name),
// as another program writing to it would.
void OverwriteInPlace(const AnsiString& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Texts(TExStringGrid& g) {
  std::string s = std::to_string(g.ColCount()) + "x" + std::to_string(g.RowCount()) + ";";
  for (int r = 0; r < g.RowCount(); ++r) {
    s += std::to_string(g.RowHeights(r)) + ":";
    for (int c = 0; c < g.ColCount(); ++c) s += g.RawCells(c, r) + "|";
  }
  return s;
}

// Some 12 MB: thousands of Korean rows, a 9 MB synopsis in the middle (more
// than twice what a load reads at a time), and coloured cells throughout.
void FillLargeCatalogue(TExStringGrid& g) {
  constexpr int kRows = 3000;
  g.SetColCount(8);
  g.SetRowCount(kRows);
  for (int r = 0; r < kRows; ++r) {
    g.SetRowHeights(r, 18 + r % 7);
    for (int c = 0; c < 8; ++c) g.SetCells(c, r, "영화 제목 "_k + IntToStr(r) + " " + AnsiString(20 + (r * 7 + c) % 90, 'a' + c));
    if (r % 500 == 250) g.CellPropertiesAt(r % 8, r)->SetBrushColor(0x00102030 + r);
  }
  AnsiString synopsis;
  while (synopsis.size() < (size_t{9} << 20)) synopsis += "줄거리가 길다. "_k;
  g.SetCells(3, kRows / 2, synopsis);
}

void FillSmallCatalogue(TExStringGrid& g, const AnsiString& title) {
  g.SetColCount(3);
  g.SetRowCount(2);
  g.SetCells(0, 0, "제목"_k);
  g.SetCells(0, 1, title);
}

TEST(GridFileWindow, ACatalogueLargerThanWhatIsReadAtOnceComesBackCellForCell) {
  TTempFolder dir;
  TExStringGrid source(nullptr);
  FillLargeCatalogue(source);
  const AnsiString name = dir.File("large.vdm");
  SaveGridFile(source, name);
  ASSERT_GT(ReadFileBytes(name).size(), size_t{12} << 20);

  TExStringGrid target(nullptr);
  FillSmallCatalogue(target, "이전"_k);
  LoadGridFile(target, name);
  EXPECT_EQ(Texts(target), Texts(source));
  for (int r = 250; r < 3000; r += 500) {
    const TCellProperties* p = target.FindCellProperties(r % 8, r);
    ASSERT_NE(p, nullptr) << r;
    EXPECT_EQ(p->BrushColor(), 0x00102030 + r);
  }
  // Opened and saved unchanged, the file keeps its bytes.
  const AnsiString again = dir.File("again.vdm");
  SaveGridFile(target, again);
  EXPECT_TRUE(ReadFileBytes(again) == ReadFileBytes(name));
}

TEST(GridFileWindow, AFaultFarIntoTheFileIsRefusedAsTheSameBytesInMemoryAre) {
  TTempFolder dir;
  TExStringGrid source(nullptr);
  FillLargeCatalogue(source);
  const std::string bytes = SaveToBytes(source);
  const size_t synopsis = bytes.find("줄거리가");  // stored as UTF-8
  ASSERT_NE(synopsis, std::string::npos);

  const size_t cell = bytes.rfind("TGridCellIO", bytes.size() - 4096);
  ASSERT_NE(cell, std::string::npos);
  std::string spoiled = bytes;
  spoiled[cell + 2] = 'X';  // a class name no writer uses
  const std::vector<std::pair<const char*, std::string>> cases = {
      {"a spoiled cell near the end", spoiled},
      {"cut inside the long synopsis", bytes.substr(0, synopsis + (size_t{6} << 20))},
      {"cut inside a cell near the end", bytes.substr(0, cell + 5)},
  };
  for (const auto& [what, content] : cases) {
    std::string fromMemory;
    try {
      TExStringGrid probe(nullptr);
      LoadFromBytes(probe, content);
    } catch (const EReadError& e) {
      fromMemory = e.Message();
    }
    ASSERT_FALSE(fromMemory.empty()) << what;

    const AnsiString name = dir.File("spoiled.vdm");
    OverwriteInPlace(name, content);
    TExStringGrid grid(nullptr);
    FillSmallCatalogue(grid, "그대로"_k);
    const std::string before = Texts(grid);
    try {
      LoadGridFile(grid, name);
      ADD_FAILURE() << what << ": loaded";
    } catch (const EReadError& e) {
      EXPECT_EQ(e.Message(), fromMemory) << what;
    }
    EXPECT_EQ(Texts(grid), before) << what;
  }
}

TEST(GridFileWindow, AFileRewrittenWhileTheUserIsAskedOpensAsItIsThen) {
  TTempFolder dir;
  const AnsiString name = dir.File("shared.vdm");
  TExStringGrid first(nullptr);
  FillSmallCatalogue(first, "처음 것"_k);
  SaveGridFile(first, name);
  TExStringGrid second(nullptr);
  FillLargeCatalogue(second);
  const std::string secondBytes = SaveToBytes(second);

  TExStringGrid grid(nullptr);
  FillSmallCatalogue(grid, "열려 있던 것"_k);
  int asked = 0;
  LoadGridFile(grid, name, [&](const TGridFileHeader&) {
    if (++asked == 1) OverwriteInPlace(name, secondBytes);
  });
  // Not the first file, not a mixture: the file as it is now, checked again.
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(Texts(grid), Texts(second));
}

TEST(GridFileWindow, AFileSpoiledWhileTheUserIsAskedLeavesTheGridAsItWas) {
  TTempFolder dir;
  const AnsiString name = dir.File("shared.vdm");
  TExStringGrid source(nullptr);
  FillLargeCatalogue(source);
  SaveGridFile(source, name);
  const std::string bytes = ReadFileBytes(name);

  TExStringGrid grid(nullptr);
  FillSmallCatalogue(grid, "열려 있던 것"_k);
  const std::string before = Texts(grid);
  try {
    LoadGridFile(grid, name, [&](const TGridFileHeader&) { OverwriteInPlace(name, bytes.substr(0, bytes.size() / 2)); });
    ADD_FAILURE() << "loaded";
  } catch (const EGridFileTorn&) {
    ADD_FAILURE() << "the grid was not touched, yet the load says it was";
  } catch (const EReadError&) {
  }
  EXPECT_EQ(Texts(grid), before);
}

TEST(GridFileWindow, AFileSpoiledWhileItsCellsGoInSaysTheGridHoldsPartOfIt) {
  TTempFolder dir;
  const AnsiString name = dir.File("shared.vdm");
  // Many times what a load reads at once, in cells of ordinary size.
  TExStringGrid source(nullptr);
  source.SetColCount(8);
  source.SetRowCount(30000);
  for (int r = 0; r < source.RowCount(); ++r)
    for (int c = 0; c < 8; ++c) source.SetCells(c, r, "영화 "_k + IntToStr(r) + AnsiString(40, 'a' + c));
  SaveGridFile(source, name);
  const std::string bytes = ReadFileBytes(name);
  ASSERT_GT(bytes.size(), size_t{12} << 20);

  TExStringGrid grid(nullptr);
  FillSmallCatalogue(grid, "열려 있던 것"_k);
  const TGridFileHooks saved = GridFileHooks();
  // The cells start to go in; another program spoils the file meanwhile.
  std::string spoiled = bytes;
  const size_t cell = bytes.rfind("TGridCellIO", bytes.size() - 4096);
  ASSERT_NE(cell, std::string::npos);
  spoiled[cell + 2] = 'X';  // a class name no writer uses
  GridFileHooks().ResetForFullLoad = [&](TExStringGrid&) { OverwriteInPlace(name, spoiled); };
  EXPECT_THROW(LoadGridFile(grid, name), EGridFileTorn);
  GridFileHooks() = saved;
}

}  // namespace
