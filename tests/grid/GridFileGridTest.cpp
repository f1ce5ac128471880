// The string grid saved and loaded through the grid file: round trips,
// placement of partial streams, all-or-nothing loading and safe saving.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"
#include "tests/grid/GridFileTestSupport.h"

namespace {

namespace fs = std::filesystem;

std::string DataDir() { return std::string(VIDRENA_TEST_DATA) + "/grid"; }

std::string ReadFileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

struct TTempDir {
  fs::path path;
  TTempDir() {
    path = fs::temp_directory_path() / ("vidrena-gridfile-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(path);
  }
  ~TTempDir() {
    std::error_code ec;
    fs::permissions(path, fs::perms::owner_all, ec);
    fs::remove_all(path, ec);
  }
  AnsiString File(const char* name) const { return (path / name).string(); }
};

// Everything a load could change, to prove that a refused load changed nothing.
std::string Snapshot(TExStringGrid& g) {
  std::string s = std::to_string(g.ColCount()) + "x" + std::to_string(g.RowCount()) + ";";
  for (int c = 0; c < g.ColCount(); ++c) s += std::to_string(g.ColWidths(c)) + ",";
  for (int r = 0; r < g.RowCount(); ++r) s += std::to_string(g.RowHeights(r)) + ",";
  for (int r = 0; r < g.RowCount(); ++r)
    for (int c = 0; c < g.ColCount(); ++c) {
      s += g.RawCells(c, r) + "|";
      if (const TCellProperties* p = g.FindCellProperties(c, r))
        s += "P" + std::to_string(p->BrushColor()) + "/" + std::to_string(p->CellSpanX()) + "|";
    }
  return s;
}

// A small catalogue: Korean headers, three movies, a coloured bold cell, a
// merged title cell and a Unicode cell.
void FillCatalogue(TExStringGrid& g) {
  g.SetColCount(42);
  g.SetRowCount(4);
  g.SetColWidths(0, 226);
  g.SetColWidths(24, 78);
  g.SetRowHeights(2, 40);
  for (int c = 0; c < 42; ++c) g.SetCells(c, 0, "헤더"_k + IntToStr(c));
  g.SetCells(0, 1, "올드보이"_k);
  g.SetCells(2, 1, "박찬욱"_k);
  g.SetCells(14, 1, AnsiString(400, 'x') + "줄거리"_k);
  g.SetCells(0, 2, "괴물"_k);
  g.SetCells(21, 2, "\"a b.avi\"|c.avi");
  g.SetCells(0, 3, "Memories of Murder");
  TCellProperties* p = g.CellPropertiesAt(3, 1);
  p->SetBrushColor(0x00C0FFEE);
  p->SetBrushColorTo(clBlack);
  p->SetFontStyle(TFontStyles{fsBold, fsUnderline});
  p->SetFontName("나눔고딕"_k);
  p->SetAlignment(taCenter);
  p->SetEditor(edComboList);
  g.CellPropertiesAt(5, 3);  // properties without text
  g.MergeCells(6, 1, 2, 2);
  g.SetCells(6, 1, "병합"_k);
  g.SetCells(41, 3, WideToUnicodeCell(u"あA\U0001F600"));
}

TEST(GridFileGrid, CatalogueSavedAndLoadedComesBackCellForCell) {
  TTempDir dir;
  TExStringGrid source(nullptr);
  FillCatalogue(source);
  const AnsiString name = dir.File("영화.vdb");
  SaveGridFile(source, name);

  TExStringGrid target(nullptr);
  target.SetColCount(3);
  target.SetRowCount(9);
  target.SetCells(1, 8, "stale");
  target.CellPropertiesAt(2, 8)->SetBrushColor(clRed);
  LoadGridFile(target, name);

  EXPECT_EQ(Snapshot(target), Snapshot(source));
  EXPECT_EQ(target.Cells(7, 2), "병합"_k);  // a covered cell shows its base cell
  EXPECT_EQ(target.CellSpan(7, 2), (TPoint{1, 1}));
  const TCellProperties* p = target.FindCellProperties(3, 1);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->BrushColorTo(), clBlack);
  EXPECT_EQ(p->FontStyle(), (TFontStyles{fsBold, fsUnderline}));
  EXPECT_EQ(p->FontName(), "나눔고딕"_k);
  EXPECT_EQ(p->Alignment(), taCenter);
  EXPECT_EQ(p->Editor(), edComboList);
  EXPECT_TRUE(target.HasCellProperties(5, 3));
  EXPECT_EQ(target.GetWideCell(41, 3), u"あA\U0001F600");

  // Saved again, the file has the same bytes.
  const AnsiString again = dir.File("again.vdb");
  SaveGridFile(target, again);
  const std::string first = ReadFileBytes(Cp949ToUtf8(name));  // names are UTF-8 on disk
  ASSERT_FALSE(first.empty());
  EXPECT_TRUE(ReadFileBytes(again) == first);

  // Every style bit comes back: italic and strike-out as well.
  target.CellPropertiesAt(4, 2)->SetFontStyle(TFontStyles{fsItalic, fsStrikeOut});
  SaveGridFile(target, again);
  TExStringGrid third(nullptr);
  LoadGridFile(third, again);
  ASSERT_TRUE(third.HasCellProperties(4, 2));
  EXPECT_EQ(third.FindCellProperties(4, 2)->FontStyle(), (TFontStyles{fsItalic, fsStrikeOut}));
}

TEST(GridFileGrid, EmptyTwoByTwoGridClearsTheGridItIsLoadedInto) {
  TExStringGrid empty(nullptr);
  empty.SetColCount(2);
  empty.SetRowCount(2);
  empty.SetColWidths(1, 99);
  empty.SetRowHeights(1, 40000);  // written as the most a reader takes
  const std::string bytes = SaveToBytes(empty);
  TGridPropIO props{2, 2, "64," + IntToStr(99), IntToStr(empty.RowHeights(0)) + ",32767", true, 0};
  EXPECT_EQ(bytes, GridPropImage(props));
  empty.SetRowHeights(1, kMaxCellExtent);

  TExStringGrid other(nullptr);
  FillCatalogue(other);
  LoadFromBytes(other, bytes);
  EXPECT_EQ(other.ColCount(), 2);
  EXPECT_EQ(other.RowCount(), 2);
  EXPECT_EQ(other.ColWidths(1), 99);
  EXPECT_EQ(Snapshot(other), Snapshot(empty));
}

TEST(GridFileGrid, PartialStreamLandsWithItsFirstCellAtTheOrigin) {
  TExStringGrid source(nullptr);
  source.SetColCount(10);
  source.SetRowCount(10);
  source.SetCells(4, 7, "a");
  source.SetCells(6, 8, "b");
  TMemoryStream s;
  WriteCellsToStream(source, 4, 7, 6, 8, s);

  TExStringGrid target(nullptr);
  target.SetColCount(5);
  target.SetRowCount(5);
  target.SetCells(0, 0, "kept");
  s.SetPosition(0);
  ReadCellsFromStream(target, Point(1, 1), s);
  EXPECT_EQ(target.Cells(1, 1), "a");
  EXPECT_EQ(target.Cells(3, 2), "b");
  EXPECT_EQ(target.Cells(0, 0), "kept");
  EXPECT_EQ(target.ColCount(), 5);  // a partial stream leaves the size alone
}

TEST(GridFileGrid, BlockWithAnEmptyCornerStillLandsByItsCorner) {
  TExStringGrid source(nullptr);
  source.SetColCount(10);
  source.SetRowCount(10);
  source.SetCells(5, 7, "right of the corner");
  source.SetCells(4, 8, "below the corner");
  TMemoryStream s;
  WriteCellsToStream(source, 4, 7, 6, 8, s);

  TExStringGrid target(nullptr);
  target.SetColCount(5);
  target.SetRowCount(5);
  s.SetPosition(0);
  ReadCellsFromStream(target, Point(1, 1), s);
  EXPECT_EQ(target.Cells(2, 1), "right of the corner");
  EXPECT_EQ(target.Cells(1, 2), "below the corner");
}

TEST(GridFileGrid, PartialStreamThatWouldLeaveTheGridChangesNothing) {
  TExStringGrid source(nullptr);
  source.SetColCount(10);
  source.SetRowCount(10);
  source.SetCells(0, 0, "a");
  source.SetCells(3, 3, "d");
  TMemoryStream s;
  WriteCellsToStream(source, 0, 0, 3, 3, s);

  TExStringGrid target(nullptr);
  target.SetColCount(5);
  target.SetRowCount(5);
  target.SetCells(3, 3, "mine");
  const std::string before = Snapshot(target);
  s.SetPosition(0);
  EXPECT_THROW(ReadCellsFromStream(target, Point(2, 2), s), EReadError);
  EXPECT_EQ(Snapshot(target), before);
}

TEST(GridFileGrid, HostileFilesLeaveTheGridExactlyAsItWas) {
  TExStringGrid grid(nullptr);
  FillCatalogue(grid);
  const std::string before = Snapshot(grid);
  int files = 0;
  for (const auto& entry : fs::directory_iterator(DataDir() + "/hostile")) {
    ++files;
    EXPECT_THROW(LoadGridFile(grid, entry.path().string()), EReadError) << entry.path();
    ASSERT_EQ(Snapshot(grid), before) << entry.path();
  }
  EXPECT_GE(files, 25);

  // Truncations of a real catalogue at every 97th byte.
  const std::string real = ReadFileBytes(DataDir() + "/catalogue_small.grid");
  ASSERT_FALSE(real.empty());
  int refused = 0;
  for (size_t cut = 1; cut < real.size(); cut += 97) {
    TExStringGrid probe(nullptr);
    FillCatalogue(probe);
    try {
      LoadFromBytes(probe, real.substr(0, cut));
    } catch (const EReadError&) {
      ++refused;
      ASSERT_EQ(Snapshot(probe), before) << cut;
    }
  }
  EXPECT_GT(refused, 100);
}

TEST(GridFileGrid, FailedSaveKeepsTheOldFile) {
  TTempDir dir;
  TExStringGrid grid(nullptr);
  FillCatalogue(grid);

  // A target whose name leaves no room beside it for the usual temporary
  // name saves all the same; what a killed save of it left goes, what one of
  // a name that begins alike left stays.
  const std::string longBase(250, 'm');
  const AnsiString longName = dir.File(longBase.c_str());
  WriteFileBytes(longName, "old catalogue");
  const fs::path own = dir.path / (TemporaryNameBase(longBase, 25) + ".~1-1.tmp");
  const fs::path other = dir.path / (TemporaryNameBase(longBase + "n", 25) + ".~1-1.tmp");
  for (const fs::path& stale : {own, other}) {
    WriteFileBytes(stale, "x");
    fs::last_write_time(stale, fs::file_time_type::clock::now() - std::chrono::hours(2));
  }
  SaveGridFile(grid, longName);
  EXPECT_NE(ReadFileBytes(longName), "old catalogue");
  EXPECT_FALSE(fs::exists(own));
  EXPECT_TRUE(fs::remove(other));

  // A target that cannot be replaced (a folder of that name): nothing is left behind.
  const AnsiString folder = dir.File("folder.vdb");
  fs::create_directory(folder);
  fs::path keep = fs::path(folder) / "inside";
  WriteFileBytes(keep, "x");
  EXPECT_THROW(SaveGridFile(grid, folder), EStreamError);
  EXPECT_TRUE(fs::is_directory(folder));
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(dir.path)) ++entries;
  EXPECT_EQ(entries, 2);  // the long-named file and the folder, no temporary file

  if (::geteuid() != 0) {
    const AnsiString name = dir.File("readonly.vdb");
    WriteFileBytes(name, "old");
    fs::permissions(dir.path, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_THROW(SaveGridFile(grid, name), EStreamError);
    fs::permissions(dir.path, fs::perms::owner_all);
    EXPECT_EQ(ReadFileBytes(name), "old");
  }
}

TEST(GridFileGrid, ProgressIsReportedPerRowWhenItChanges) {
  TExStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(5);
  std::vector<int> reported;
  TMemoryStream s;
  WriteCellsToStream(grid, 0, 0, 1, 4, s, [&](TObject*, int p) { reported.push_back(p); });
  EXPECT_EQ(reported, (std::vector<int>{0, 25, 50, 75, 100}));

  // 201 rows: every other row ends on a half percent, which rounds to even,
  // and each percent is reported once.
  reported.clear();
  grid.SetRowCount(201);
  WriteCellsToStream(grid, 0, 0, 1, 200, s, [&](TObject*, int p) { reported.push_back(p); });
  EXPECT_EQ(reported.size(), 101u);
  EXPECT_EQ(reported[1], 1);
  EXPECT_EQ(reported.back(), 100);
}

TEST(GridFileGrid, RowsAboveSixteenBitsStayInPlace) {
  TExStringGrid grid(nullptr);
  grid.SetColCount(2);
  grid.SetRowCount(70000);
  grid.SetCells(1, 65535, "last 16-bit row");
  grid.SetCells(1, 65536, "first row beyond");
  grid.SetCells(0, 69999, "bottom");
  const std::string bytes = SaveToBytes(grid);
  TExStringGrid back(nullptr);
  LoadFromBytes(back, bytes);
  EXPECT_EQ(back.RowCount(), 70000);
  EXPECT_EQ(back.Cells(1, 65535), "last 16-bit row");
  EXPECT_EQ(back.Cells(1, 65536), "first row beyond");
  EXPECT_EQ(back.Cells(1, 0), "");
  EXPECT_EQ(back.Cells(0, 69999), "bottom");
}

TEST(GridFileGrid, CatalogueSavedWhileFilteredKeepsEveryMovieAndStaysFiltered) {
  TExStringGrid grid(nullptr);
  FillCatalogue(grid);
  const std::string whole = SaveToBytes(grid);
  grid.HideRows(2, 2);   // a movie filtered out
  grid.HideColumn(24);   // a column the user chose not to see
  ASSERT_EQ(grid.RowCount(), 3);
  ASSERT_EQ(grid.ColCount(), 41);

  EXPECT_TRUE(SaveToBytes(grid) == whole);
  EXPECT_TRUE(grid.IsRowHidden(2));
  EXPECT_TRUE(grid.IsColumnHidden(24));
  EXPECT_EQ(grid.RowCount(), 3);
  EXPECT_EQ(grid.ColCount(), 41);
}

TEST(GridFileGrid, WholeGridLoadLeavesNothingHiddenFromThePreviousCatalogue) {
  TExStringGrid small(nullptr);
  small.SetColCount(2);
  small.SetRowCount(3);
  small.SetCells(0, 1, "new");
  const std::string bytes = SaveToBytes(small);

  TExStringGrid grid(nullptr);
  FillCatalogue(grid);
  grid.HideRows(1, 2);
  grid.HideColumn(5);
  LoadFromBytes(grid, bytes);
  EXPECT_EQ(grid.HiddenRowCount(), 0);
  EXPECT_EQ(grid.HiddenColumnCount(), 0);
  grid.ShowAllRows();
  grid.ShowAllColumns();
  EXPECT_EQ(Snapshot(grid), Snapshot(small));

  // A refused load keeps the hidden rows as they were.
  grid.HideRow(1);
  EXPECT_THROW(LoadFromBytes(grid, bytes.substr(0, bytes.size() - 3)), EReadError);
  EXPECT_TRUE(grid.IsRowHidden(1));
}

TEST(GridFileGrid, HooksFrameAWholeGridLoadAndSave) {
  TExStringGrid grid(nullptr);
  FillCatalogue(grid);
  std::vector<std::string> calls;
  TGridFileHooks& hooks = GridFileHooks();
  const TGridFileHooks installed = hooks;  // the grid's own, put back below
  hooks.ResetForFullLoad = [&](TExStringGrid&) { calls.push_back("reset"); };
  hooks.ForFullSave = [&](TExStringGrid&, const std::function<void()>& write) {
    calls.push_back("show");
    write();
    calls.push_back("hide");
  };
  hooks.AfterLoad = [&](TExStringGrid&) { calls.push_back("after"); };
  const std::string bytes = SaveToBytes(grid);
  LoadFromBytes(grid, bytes);
  // A refused stream never reaches the reset.
  EXPECT_THROW(LoadFromBytes(grid, bytes.substr(0, bytes.size() / 2)), EReadError);
  hooks = installed;
  EXPECT_EQ(calls, (std::vector<std::string>{"show", "hide", "reset", "after"}));
}

// Movies in two genres (column 1), grouped: a node header per genre.
void FillGrouped(TExStringGrid& g) {
  g.SetColCount(4);
  g.SetRowCount(6);
  g.SetFixedRows(1);
  g.SetFixedCols(1);
  const char* genres[] = {"drama", "horror", "drama", "horror", "drama"};
  for (int r = 1; r < 6; ++r) {
    g.SetCells(0, r, "m" + IntToStr(r));
    g.SetCells(1, r, genres[r - 1]);
    g.SetCells(2, r, "t" + IntToStr(r));
  }
}

TEST(GridFileGrid, ACatalogueOpenedOverAGroupedAndSearchedOneStartsClean) {
  TExStringGrid grouped(nullptr);
  FillGrouped(grouped);
  grouped.GroupByColumn(1);
  ASSERT_EQ(grouped.NodeCount(), 2);
  const std::string groupedBytes = SaveToBytes(grouped);
  TExStringGrid plain(nullptr);
  FillGrouped(plain);
  const std::string plainBytes = SaveToBytes(plain);

  // The open catalogue is grouped and searched, one group collapsed.
  TExStringGrid grid(nullptr);
  FillGrouped(grid);
  grid.GroupByColumn(1);
  grid.CollapseNode(1);
  TFilterData* item = grid.Filter()->Add();
  item->SetColumn(1);
  item->SetCondition("t3");
  grid.SetFilterActive(true);
  ASSERT_GT(grid.HiddenRowCount(), 0);

  LoadFromBytes(grid, plainBytes);
  EXPECT_FALSE(grid.FilterActive());
  EXPECT_EQ(grid.NodeCount(), 0);
  EXPECT_FALSE(grid.HasNodes()) << "a header click would sort inside groups that are gone";
  EXPECT_EQ(grid.GroupColumn(), -1);
  EXPECT_EQ(grid.HiddenRowCount(), 0);
  EXPECT_EQ(Snapshot(grid), Snapshot(plain));

  // A file saved while grouped brings its node rows: the count follows them.
  LoadFromBytes(grid, groupedBytes);
  EXPECT_EQ(grid.NodeCount(), 2);
  EXPECT_TRUE(grid.IsNodeRow(1));
  grid.CollapseAllNodes();
  EXPECT_EQ(grid.RowCount(), 3) << "the header row and the two collapsed genres";
  grid.ExpandAllNodes();
  EXPECT_EQ(Snapshot(grid), Snapshot(grouped));
}

TEST(GridFileGrid, TheGridsOwnFileOperationsReportProgressAndRoundTrip) {
  TTempDir dir;
  TExStringGrid grid(nullptr);
  FillCatalogue(grid);
  std::vector<int> reported;
  TObject* sender = nullptr;
  grid.OnFileProgress = [&](TObject* s, int p) {
    sender = s;
    reported.push_back(p);
  };
  grid.SaveGridFile(dir.File("catalogue.grd"));
  EXPECT_EQ(sender, &grid);
  EXPECT_EQ(reported, (std::vector<int>{0, 33, 67, 100}));

  TExStringGrid back(nullptr);
  back.LoadGridFile(dir.File("catalogue.grd"));
  EXPECT_EQ(Snapshot(back), Snapshot(grid));

  reported.clear();
  TMemoryStream whole;
  back.SaveGridStream(whole);
  EXPECT_EQ(reported, std::vector<int>{}) << "the other grid has no listener";
  whole.SetPosition(0);
  TExStringGrid again(nullptr);
  again.LoadGridStream(whole);
  EXPECT_EQ(Snapshot(again), Snapshot(grid));

  // A block of two by two cells lands at the origin given.
  TMemoryStream block;
  grid.WriteCellsToStream(0, 1, 1, 2, block);
  EXPECT_EQ(reported, (std::vector<int>{0, 100}));
  block.SetPosition(0);
  TExStringGrid target(nullptr);
  target.SetColCount(5);
  target.SetRowCount(5);
  target.ReadCellsFromStream(Point(3, 3), block);
  EXPECT_EQ(target.Cells(3, 3), "올드보이"_k);
  EXPECT_EQ(target.Cells(3, 4), "괴물"_k);
}

}  // namespace

// Lines reordered under merged cells: the moves dissolve the spans they
// would tear, and whatever the grid holds, the file it saves opens again.
TEST(GridFileGrid, MergedCellsSurviveReorderedLinesAndTheirFileOpensAgain) {
  auto make = [] {
    auto g = std::make_unique<TExStringGrid>(nullptr);
    g->SetColCount(4);
    g->SetRowCount(8);
    g->SetFixedRows(1);
    g->SetFixedCols(1);
    for (int r = 0; r < 8; ++r)
      for (int c = 0; c < 4; ++c) g->SetCells(c, r, "c" + IntToStr(c) + "r" + IntToStr(r));
    g->MergeCells(1, 2, 2, 3);  // columns 1-2, rows 2-4
    g->MergeCells(1, 6, 2, 1);  // one row: moves with its row
    return g;
  };
  const std::vector<std::pair<const char*, std::function<void(TExStringGrid&)>>> moves = {
      {"sorted", [](TExStringGrid& g) {
         g.SortSettings()->SetColumn(3);
         g.SortSettings()->SetDirection(sdDescending);
         g.SortOnColumn();
       }},
      {"row moved down", [](TExStringGrid& g) { g.MoveRow(2, 6); }},
      {"row moved up", [](TExStringGrid& g) { g.MoveRow(7, 3); }},
      {"column moved", [](TExStringGrid& g) { g.MoveColumn(1, 3); }},
      // The store's own exchange knows nothing of spans: the save copes.
      {"rows exchanged", [](TExStringGrid& g) { g.ExchangeRows(2, 6); }},
  };
  for (const auto& [what, move] : moves) {
    SCOPED_TRACE(what);
    auto grid = make();
    move(*grid);
    int texts = 0;
    for (int r = 0; r < grid->RowCount(); ++r)
      for (int c = 0; c < grid->ColCount(); ++c) texts += grid->Cells(c, r).empty() ? 0 : 1;
    EXPECT_EQ(texts, 32) << "no text lost";
    const std::string bytes = SaveToBytes(*grid);
    TExStringGrid back(nullptr);
    ASSERT_NO_THROW(LoadFromBytes(back, bytes));
    EXPECT_EQ(back.RowCount(), 8);
    if (std::string(what) != "rows exchanged") {
      // The tall span is gone; the one-row span travelled whole.
      int tall = 0, wide = 0;
      for (int r = 0; r < grid->RowCount(); ++r)
        for (int c = 0; c < grid->ColCount(); ++c)
          if (grid->IsBaseCellAt(c, r) && grid->IsMergedCell(c, r)) {
            tall += grid->CellSpan(c, r).Y > 0 ? 1 : 0;
            wide += grid->CellSpan(c, r).X > 0 ? 1 : 0;
          }
      EXPECT_EQ(tall, 0);
      if (std::string(what) != "column moved") EXPECT_EQ(wide, 1);
    }
  }
}
