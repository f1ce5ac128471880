// The column grid: items found by name through column moves, hidden columns,
// grid files saved after moves and loaded in a fresh window, grouping; Add
// taking the previous column's settings; the per-cell queries answered from
// the items; the header filter list and the column pop-ups.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "tools/CatalogueGen.h"
#include "grid/ExCGrid.h"
#include "grid/GridFile.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/InputSimulation.h"

namespace {

namespace fs = std::filesystem;

struct TTempDir {
  fs::path path;
  TTempDir() {
    path = fs::temp_directory_path() / ("vidrena-cgrid-" + std::to_string(::getpid()) + "-" +
                                        std::to_string(reinterpret_cast<std::uintptr_t>(this)));
    fs::create_directories(path);
  }
  ~TTempDir() {
    std::error_code ec;
    fs::remove_all(path, ec);
  }
  AnsiString File(const char* name) const { return (path / name).string(); }
};

AnsiString Header(int c) { return Utf8ToCp949(kCatalogueHeaders[static_cast<std::size_t>(c)]); }

// The catalogue grid as its window sets it up: 42 columns in window order,
// one fixed row and column, every item named by its header, every column
// read-only but the folder column.
void SetUpCatalogueGrid(TExColumnGrid& grid) {
  grid.SetColCount(kCatalogueColumns);
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  grid.SetFixedCols(1);
  for (int c = 0; c < kCatalogueColumns; ++c) {
    TGridColumnItem* item = grid.Columns()->Items(c);
    item->SetHeader(Header(c));
    item->SetName(Header(c));
    item->SetReadOnly(Header(c) != "폴더"_k);
    item->SetWidth(c == 0 ? 226 : 64 + c);
  }
}

// Movies written through the names, as the application writes them.
void AddMovies(TExColumnGrid& grid, const std::vector<std::vector<AnsiString>>& movies) {
  grid.SetRowCount(static_cast<int>(movies.size()) + 1);
  for (std::size_t m = 0; m < movies.size(); ++m)
    for (int c = 0; c < kCatalogueColumns; ++c)
      grid.ColumnByName(Header(c))->SetRows(static_cast<int>(m) + 1, movies[m][static_cast<std::size_t>(c)]);
}

// Every header reads its own data by name.
void ExpectEveryColumnByName(TExColumnGrid& grid, const std::vector<std::vector<AnsiString>>& movies) {
  ASSERT_EQ(grid.RowCount(), static_cast<int>(movies.size()) + 1);
  for (int c = 0; c < kCatalogueColumns; ++c) {
    TGridColumnItem* item = grid.ColumnByName(Header(c));
    ASSERT_NE(item, nullptr) << "column " << kCatalogueHeaders[static_cast<std::size_t>(c)];
    EXPECT_EQ(item->Header(), Header(c));
    EXPECT_EQ(grid.Cells(item->Index(), 0), Header(c));
    EXPECT_EQ(item->ReadOnly(), Header(c) != "폴더"_k) << kCatalogueHeaders[static_cast<std::size_t>(c)];
    for (std::size_t m = 0; m < movies.size(); ++m)
      ASSERT_EQ(item->Rows(static_cast<int>(m) + 1), movies[m][static_cast<std::size_t>(c)])
          << kCatalogueHeaders[static_cast<std::size_t>(c)] << " movie " << m;
  }
}

}  // namespace

// ------------------------------------------------------------- catalogue by name

TEST(ColumnGridCatalogue, ACatalogueSavedAfterMovingColumnsReadsEveryColumnByNameInTheNextSession) {
  TTempDir dir;
  const auto movies = GenerateCatalogue(25);
  const AnsiString file = dir.File("movies.VDM");
  {
    TExColumnGrid grid(nullptr);
    SetUpCatalogueGrid(grid);
    AddMovies(grid, movies);
    // The user drags columns about, some while others are hidden.
    grid.MoveColumn(2, 30);
    grid.MoveColumn(40, 1);
    grid.MoveColumn(5, 6);
    grid.HideColumn(10);
    grid.HideColumn(20);
    grid.MoveColumn(8, 25);
    grid.MoveColumn(33, 3);
    ExpectEveryColumnByName(grid, movies);
    EXPECT_EQ(grid.Columns()->Count(), kCatalogueColumns);
    EXPECT_EQ(grid.HiddenColumnCount(), 2);
    EXPECT_NE(grid.ColumnByName(Header(2))->Index(), 2) << "the director's column moved";
    grid.ShowAllColumns();
    SaveGridFile(grid, file);
  }
  // The next session: a fresh window in definition order loads the file.
  TExColumnGrid grid(nullptr);
  SetUpCatalogueGrid(grid);
  grid.ShowAllColumns();
  LoadGridFile(grid, file);
  EXPECT_EQ(grid.Columns()->Count(), kCatalogueColumns);
  ExpectEveryColumnByName(grid, movies);
  // Writing by name lands in the named column, and the next save keeps it.
  TGridColumnItem* folder = grid.ColumnByName("폴더"_k);
  folder->SetRows(3, "/srv/movies/new");
  EXPECT_EQ(grid.Cells(folder->Index(), 0), "폴더"_k);
  EXPECT_EQ(grid.Cells(folder->Index(), 3), "/srv/movies/new");
  // Widths travelled with their columns through the file.
  EXPECT_EQ(grid.ColumnByName(Header(0))->Width(), 226);
  EXPECT_EQ(grid.ColumnByName(Header(40))->Width(), 64 + 40);
}

TEST(ColumnGridCatalogue, AFileWithFewerColumnsKeepsTheNamedItemsAndDropsTheRest) {
  TTempDir dir;
  const AnsiString file = dir.File("small.VDM");
  {
    TExColumnGrid small(nullptr);
    small.SetColCount(3);
    small.SetRowCount(2);
    small.SetCells(0, 0, Header(0));
    small.SetCells(1, 0, Header(20));
    small.SetCells(2, 0, Header(7));
    small.SetCells(1, 1, "본영화"_k);
    SaveGridFile(small, file);
  }
  TExColumnGrid grid(nullptr);
  SetUpCatalogueGrid(grid);
  LoadGridFile(grid, file);
  EXPECT_EQ(grid.ColCount(), 3);
  EXPECT_EQ(grid.Columns()->Count(), 3);
  ASSERT_NE(grid.ColumnByName(Header(20)), nullptr);
  EXPECT_EQ(grid.ColumnByName(Header(20))->Rows(1), "본영화"_k);
  EXPECT_EQ(grid.ColumnByName(Header(7))->Index(), 2);
  EXPECT_EQ(grid.ColumnByName(Header(2)), nullptr) << "the director's column is not in this file";
}

TEST(ColumnGridCatalogue, ACatalogueOpenedWhileGroupedStillFindsTheGroupedColumnByName) {
  TTempDir dir;
  const auto movies = GenerateCatalogue(12);
  const AnsiString file = dir.File("other.VDM");
  {
    TExColumnGrid grid(nullptr);
    SetUpCatalogueGrid(grid);
    AddMovies(grid, movies);
    SaveGridFile(grid, file);
  }
  TExColumnGrid grid(nullptr);
  SetUpCatalogueGrid(grid);
  AddMovies(grid, GenerateCatalogue(6, 7));
  grid.GroupByColumn(grid.ColumnByName(Header(8))->Index());
  ASSERT_GE(grid.GroupColumn(), 0);
  EXPECT_EQ(grid.ColumnByName(Header(8)), nullptr) << "the grouped column is out of the grid";
  grid.ShowAllColumns();
  LoadGridFile(grid, file);
  ASSERT_EQ(grid.RealColCount(), kCatalogueColumns);
  ExpectEveryColumnByName(grid, movies);
}

// ------------------------------------------------------------- moves

TEST(ColumnGridMoves, AMovedColumnKeepsEveryPropertyOfItsItem) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(6);
  grid.SetRowCount(4);
  for (int c = 0; c < 6; ++c)
    for (int r = 0; r < 4; ++r) grid.SetCells(c, r, "c" + IntToStr(c) + "r" + IntToStr(r));
  TGridColumnItem* item = grid.Columns()->Items(2);
  item->SetName("price");
  item->HeaderFont()->SetSize(17);
  item->HeaderFont()->SetStyle(TFontStyles{fsItalic});
  item->SetColumnPopupType(cpAllCellsLClick);
  item->SetColor(0x123456);
  item->SetTag(99);
  item->SetSortStyle(ssNumeric);
  item->SetReadOnly(true);
  item->Filter()->Add("cheap=<10");
  item->SetWidth(77);

  grid.MoveColumn(2, 4);
  TGridColumnItem* moved = grid.ColumnByName("price");
  ASSERT_EQ(moved, item);
  EXPECT_EQ(moved->Index(), 4);
  EXPECT_EQ(moved->HeaderFont()->Size(), 17);
  EXPECT_TRUE(moved->HeaderFont()->Style().Contains(fsItalic));
  EXPECT_EQ(moved->ColumnPopupType(), cpAllCellsLClick);
  EXPECT_EQ(moved->Color(), 0x123456u);
  EXPECT_EQ(moved->Tag(), 99);
  EXPECT_EQ(moved->SortStyle(), ssNumeric);
  EXPECT_TRUE(moved->ReadOnly());
  EXPECT_EQ(moved->Filter()->Strings(0), "cheap=<10");
  EXPECT_EQ(moved->Width(), 77);
  EXPECT_EQ(moved->Rows(1), "c2r1");
  EXPECT_EQ(moved->Header(), "c2r0");
  EXPECT_EQ(grid.ColumnHeaders()->Strings(4), "c2r0");
  // The queries follow: the column now at 4 is the read-only one.
  bool canEdit = true;
  grid.CanEditCell(4, 1, canEdit);
  EXPECT_FALSE(canEdit);
  canEdit = true;
  grid.CanEditCell(2, 1, canEdit);
  EXPECT_TRUE(canEdit);
}

TEST(ColumnGridMoves, MovingPastHiddenColumnsKeepsThemHiddenWithTheirData) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(7);
  grid.SetRowCount(3);
  for (int c = 0; c < 7; ++c) {
    grid.Columns()->Items(c)->SetName("n" + IntToStr(c));
    grid.SetCells(c, 1, "v" + IntToStr(c));
    grid.SetColWidths(c, 40 + c);
  }
  grid.HideColumn(3);
  grid.HideColumn(4);
  // Display 2 (real 2) goes to display 3 (real 5), past both hidden columns.
  grid.MoveColumn(2, 3);
  EXPECT_EQ(grid.HiddenColumnCount(), 2);
  EXPECT_EQ(grid.Columns()->Count(), 7);
  for (int c = 0; c < 7; ++c) EXPECT_EQ(grid.ColumnByName("n" + IntToStr(c))->Rows(1), "v" + IntToStr(c));
  EXPECT_TRUE(grid.IsColumnHidden(grid.ColumnByName("n3")->Index()));
  EXPECT_TRUE(grid.IsColumnHidden(grid.ColumnByName("n4")->Index()));
  EXPECT_EQ(grid.ColumnByName("n2")->Index(), 5);
  grid.ShowAllColumns();
  for (int c = 0; c < 7; ++c) {
    TGridColumnItem* item = grid.ColumnByName("n" + IntToStr(c));
    EXPECT_EQ(grid.ColWidths(item->Index()), 40 + c) << "widths travel with their columns";
  }
}

// ------------------------------------------------------------- items in step

TEST(ColumnGridItems, AddTakesThePreviousColumnsSettingsButNotItsIdentity) {
  TExColumnGrid grid(nullptr);
  grid.Font()->SetSize(11);
  grid.SetColCount(3);
  TGridColumnItem* last = grid.Columns()->Items(2);
  last->SetReadOnly(true);
  last->SetSortStyle(ssDate);
  last->SetHeader("when");
  last->SetName("date");
  last->SetTag(5);
  last->SetColor(0x00FF00);
  last->Font()->SetSize(20);
  last->HeaderFont()->SetSize(25);
  last->SetColumnPopupType(cpNormalCellsLClick);
  last->SetAlignment(taRightJustify);
  last->SetWidth(90);

  grid.SetColCount(4);
  ASSERT_EQ(grid.Columns()->Count(), 4);
  TGridColumnItem* added = grid.Columns()->Items(3);
  EXPECT_TRUE(added->ReadOnly());
  EXPECT_EQ(added->SortStyle(), ssDate);
  EXPECT_EQ(added->Alignment(), taRightJustify);
  EXPECT_EQ(added->Width(), 90);
  EXPECT_EQ(added->Header(), "");
  EXPECT_EQ(added->Name(), "");
  EXPECT_EQ(added->Tag(), 0);
  EXPECT_EQ(added->Color(), grid.Color());
  EXPECT_EQ(added->Font()->Size(), 11);
  EXPECT_EQ(added->HeaderFont()->Size(), 11);
  EXPECT_EQ(added->ColumnPopupType(), cpFixedCellsRClick);
  EXPECT_EQ(grid.ColumnByName("date"), last);
}

TEST(ColumnGridItems, NamesAreExactAndHiddenColumnsKeepTheirItems) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(6);
  grid.SetRowCount(3);
  grid.Columns()->Items(1)->SetName("Title");
  grid.Columns()->Items(4)->SetName("Title");
  grid.Columns()->Items(5)->SetName("제목"_k);
  EXPECT_EQ(grid.ColumnByName("title"), nullptr);
  EXPECT_EQ(grid.ColumnByName("Title")->Index(), 1) << "the lower index wins";
  grid.SetCells(5, 2, "hidden text");
  grid.HideColumn(2);
  grid.HideColumn(5);
  EXPECT_EQ(grid.ColCount(), 4);
  EXPECT_EQ(grid.Columns()->Count(), grid.ColCount() + grid.HiddenColumnCount());
  EXPECT_EQ(grid.ColumnByName("제목"_k)->Index(), 5);
  EXPECT_EQ(grid.ColumnByName("제목"_k)->Rows(2), "hidden text");
  grid.ColumnByName("제목"_k)->SetRows(1, "written while hidden");
  grid.ShowAllColumns();
  EXPECT_EQ(grid.Cells(5, 1), "written while hidden");
  EXPECT_EQ(grid.Columns()->Items(3)->DisplayName(), "Column 3");
  EXPECT_EQ(grid.Columns()->Items(1)->DisplayName(), "Col 1: Title");
}

TEST(ColumnGridItems, AddingOrAssigningItemsSizesTheGrid) {
  TExColumnGrid source(nullptr);
  source.SetColCount(5);
  for (int c = 0; c < 5; ++c) {
    source.Columns()->Items(c)->SetHeader("h" + IntToStr(c));
    source.Columns()->Items(c)->SetName("n" + IntToStr(c));
    source.Columns()->Items(c)->SetWidth(30 + c);
  }
  source.Columns()->Items(4)->SetReadOnly(true);

  TExColumnGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetColumns(source.Columns());
  ASSERT_EQ(grid.ColCount(), 5);
  ASSERT_EQ(grid.Columns()->Count(), 5);
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(grid.Cells(c, 0), "h" + IntToStr(c));
    EXPECT_EQ(grid.ColumnByName("n" + IntToStr(c))->Index(), c);
    EXPECT_EQ(grid.ColWidths(c), 30 + c);
  }
  EXPECT_TRUE(grid.ColumnByName("n4")->ReadOnly());

  // An item added by hand brings its column, with the last column's settings.
  TGridColumnItem* added = grid.Columns()->Add();
  EXPECT_EQ(grid.ColCount(), 6);
  EXPECT_EQ(added->Index(), 5);
  EXPECT_TRUE(added->ReadOnly());
  EXPECT_EQ(grid.ColWidths(5), 34);
}

TEST(ColumnGridItems, InsertedAndRemovedColumnsTakeTheirItemsWithThem) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(5);
  grid.SetRowCount(2);
  for (int c = 0; c < 5; ++c) grid.Columns()->Items(c)->SetName("n" + IntToStr(c));
  grid.InsertColumns(2, 2);
  ASSERT_EQ(grid.Columns()->Count(), 7);
  EXPECT_EQ(grid.Columns()->Items(2)->Name(), "");
  EXPECT_EQ(grid.ColumnByName("n2")->Index(), 4);
  grid.RemoveColumns(0, 3);
  ASSERT_EQ(grid.Columns()->Count(), 4);
  EXPECT_EQ(grid.ColumnByName("n0"), nullptr);
  EXPECT_EQ(grid.ColumnByName("n2")->Index(), 1);
  EXPECT_EQ(grid.ColumnByName("n4")->Index(), 3);
}

TEST(ColumnGridItems, GroupingAndUngroupingGiveTheColumnBackEveryPropertyAndItsName) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(6);
  const char* genres[] = {"drama", "action", "drama", "comedy", "action"};
  for (int r = 1; r < 6; ++r) {
    grid.SetCells(1, r, "movie" + IntToStr(r));
    grid.SetCells(2, r, genres[r - 1]);
    grid.SetCells(3, r, IntToStr(r));
  }
  TGridColumnItem* genre = grid.Columns()->Items(2);
  genre->SetHeader("genre");
  genre->SetName("genre");
  genre->SetReadOnly(true);
  genre->HeaderFont()->SetSize(19);
  genre->SetColumnPopupType(cpAllCellsRClick);
  grid.Columns()->Items(3)->SetName("year");

  grid.GroupByColumn(2);
  ASSERT_EQ(grid.GroupColumn(), 2);
  EXPECT_EQ(grid.ColumnByName("genre"), nullptr);
  EXPECT_EQ(grid.ColumnByName("year")->Index(), 2);
  grid.Ungroup();
  TGridColumnItem* back = grid.ColumnByName("genre");
  ASSERT_NE(back, nullptr);
  EXPECT_EQ(back->Index(), 2);
  EXPECT_TRUE(back->ReadOnly());
  EXPECT_EQ(back->HeaderFont()->Size(), 19);
  EXPECT_EQ(back->ColumnPopupType(), cpAllCellsRClick);
  EXPECT_EQ(back->Header(), "genre");
  EXPECT_EQ(grid.ColumnByName("year")->Index(), 3);
  int dramas = 0;
  for (int r = 1; r < grid.RowCount(); ++r) dramas += back->Rows(r) == "drama";
  EXPECT_EQ(dramas, 2);

  // Grouping by another column while grouped gives the first one back its
  // own settings, not the second one's.
  grid.Columns()->Items(3)->SetReadOnly(false);
  grid.SetCells(2, 0, "genre!");  // straight into row 0
  grid.GroupByColumn(2);
  grid.GroupByColumn(3);  // "year", once "genre" is back in column 2
  EXPECT_EQ(grid.Cells(2, 0), "genre!");
  ASSERT_EQ(grid.GroupColumn(), 3);
  EXPECT_EQ(grid.ColumnByName("year"), nullptr);
  EXPECT_NE(grid.ColumnByName("genre"), nullptr);
  EXPECT_TRUE(grid.ColumnByName("genre")->ReadOnly());
  EXPECT_EQ(grid.ColumnByName("genre")->HeaderFont()->Size(), 19);
  grid.Ungroup();
  ASSERT_NE(grid.ColumnByName("year"), nullptr);
  EXPECT_FALSE(grid.ColumnByName("year")->ReadOnly());
  EXPECT_EQ(grid.ColumnByName("year")->HeaderFont()->Size(), grid.Font()->Size());
  EXPECT_EQ(grid.Columns()->Count(), 4);
}

// ------------------------------------------------------------- per-cell queries

TEST(ColumnGridQueries, TheColumnAnswersFirstAndTheEventsStillHaveTheLastWord) {
  TExColumnGrid grid(nullptr);
  grid.SetColCount(4);
  grid.SetRowCount(4);
  TGridColumnItem* check = grid.Columns()->Items(1);
  check->SetEditor(edDataCheckBox);
  check->SetCheckTrue("yes");
  check->SetCheckFalse("no");
  grid.OnGetCheckTrue = [](TObject*, int, int, AnsiString& text) { text = "from the event"; };
  AnsiString text;
  grid.GetCheckTrue(1, 2, text);
  EXPECT_EQ(text, "yes") << "for the check texts the column wins";
  grid.GetCheckFalse(1, 2, text);
  EXPECT_EQ(text, "no");
  EXPECT_EQ(grid.GetCellType(1, 2), ctDataCheckBox);
  EXPECT_EQ(grid.GetCellType(1, 0), ctEmpty) << "header cells are not check boxes";
  TCellGraphic* virtualCheck = grid.GetCellGraphic(1, 2);
  ASSERT_NE(virtualCheck, nullptr);
  EXPECT_EQ(virtualCheck->CellType(), ctVirtCheckBox);
  EXPECT_EQ(grid.GetCellGraphic(2, 2), nullptr);

  TGridColumnItem* fixedColumn = grid.Columns()->Items(2);
  fixedColumn->SetFixed(true);
  bool canEdit = true;
  grid.CanEditCell(2, 1, canEdit);
  EXPECT_FALSE(canEdit);
  bool fixed = false;
  grid.IsFixedCellQuery(2, 1, fixed);
  EXPECT_TRUE(fixed);
  grid.OnCanEditCell = [](TObject*, int, int col, bool& can) { if (col == 2) can = true; };
  grid.CanEditCell(2, 1, canEdit);
  EXPECT_TRUE(canEdit) << "OnCanEditCell overrides the column";
  canEdit = true;
  grid.CanEditCell(0, 1, canEdit);
  EXPECT_FALSE(canEdit) << "fixed cells cannot be edited";

  TGridColumnItem* numbers = grid.Columns()->Items(3);
  numbers->SetFloatFormat("%.1f");
  numbers->SetAlignment(taRightJustify);
  numbers->SetHeaderAlignment(taCenter);
  TAlignment h = taLeftJustify;
  TVAlignment v = vtaTop;
  grid.GetCellAlignment(3, 1, h, v);
  EXPECT_EQ(h, taRightJustify);
  grid.GetCellAlignment(3, 0, h, v);
  EXPECT_EQ(h, taCenter);
  EXPECT_EQ(grid.Version(), "2.8.8.1 April, 2005");
}

// ------------------------------------------------------------- filter list and pop-ups

namespace {

struct ShownColumnGrid {
  TForm* form;
  TExColumnGrid* grid;
  ShownColumnGrid() : form(new TForm(nullptr)) {
    form->SetBounds(10, 10, 600, 400);
    grid = new TExColumnGrid(form);
    grid->SetParent(form);
    grid->SetBounds(0, 0, 580, 360);
    grid->SetColCount(4);
    grid->SetRowCount(6);
    for (int c = 0; c < 4; ++c) grid->SetColWidths(c, 100);
    form->Show();
  }
  ~ShownColumnGrid() { delete form; }
  void AddOption(TGridOption option) { grid->SetOptions(grid->Options() + TGridOptions{option}); }
  // A point inside the filter glyph of a header cell.
  TPoint Glyph(int col) const {
    const TRect r = grid->CellRect(col, 0);
    return Point(r.Right - 8, r.Top + 5);
  }
};

}  // namespace

TEST(ColumnGridFilterList, TheGlyphOpensTheChoicesAndAChoiceFiltersTheRows) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  const char* countries[] = {"Korea", "France", "Korea", "Japan", "korea"};
  for (int r = 1; r < 6; ++r) grid->SetCells(2, r, countries[r - 1]);
  TGridColumnItem* country = grid->Columns()->Items(2);
  country->Filter()->Add("Only Korea=Korea");
  country->Filter()->Add("J*");
  EXPECT_TRUE(grid->HasColumnFilter(2));
  EXPECT_FALSE(grid->HasColumnFilter(1));
  grid->SetAutoFilterUpdate(true);
  grid->SetAutoFilterDisplay(true);
  int done = 0;
  AnsiString seenName;
  grid->OnFilterDone = [&](TObject*) { ++done; };
  grid->OnFilterSelect = [&](TObject*, int col, int index, const AnsiString& name, AnsiString& condition) {
    EXPECT_EQ(col, 2);
    seenName = name;
    if (index == 0) {
      EXPECT_EQ(condition, "Korea");
    }
  };

  const TPoint glyph = shown.Glyph(2);
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  ASSERT_EQ(grid->FilterListColumn(), 2);
  TDropList* list = grid->DropList();
  ASSERT_NE(list, nullptr);
  EXPECT_TRUE(list->Visible());
  ASSERT_EQ(list->Items()->Count(), 2);
  EXPECT_EQ(list->Items()->Strings(0), "Only Korea");
  EXPECT_EQ(list->Items()->Strings(1), "J*") << "an entry without = shows as it is";
  EXPECT_EQ(list->ItemIndex(), 0);

  grid->SelectFilterItem(0);
  EXPECT_EQ(grid->FilterListColumn(), -1);
  EXPECT_EQ(seenName, "Only Korea");
  EXPECT_EQ(done, 1);
  EXPECT_TRUE(grid->FilterActive());
  EXPECT_EQ(grid->Cells(2, 0), "Only Korea") << "AutoFilterDisplay puts the choice in the header";
  EXPECT_EQ(grid->RowCount(), 4) << "three Korea rows (case folded) and the header";
  for (int r = 1; r < grid->RowCount(); ++r) EXPECT_EQ(UpperCase(grid->Cells(2, r)), "KOREA");

  // An entry without "=" is its own condition.
  grid->SetFilterActive(false);
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  ASSERT_EQ(grid->FilterListColumn(), 2);
  grid->SelectFilterItem(1);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(2, 1), "Japan");
}

TEST(ColumnGridFilterList, ASecondClickOnTheGlyphClosesWithoutChoosingAndBadIndicesDoNothing) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  grid->Columns()->Items(1)->Filter()->Add("a=1");
  int selected = 0;
  grid->OnFilterSelect = [&](TObject*, int, int, const AnsiString&, AnsiString&) { ++selected; };
  const TPoint glyph = shown.Glyph(1);
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  ASSERT_EQ(grid->FilterListColumn(), 1);
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  EXPECT_EQ(grid->FilterListColumn(), -1);
  EXPECT_FALSE(grid->DropList()->Visible());
  grid->SelectFilterItem(0);  // no list open
  EXPECT_EQ(selected, 0);
  // A header without filter choices opens nothing.
  const TPoint other = shown.Glyph(3);
  SimulateMouseDown(grid, mbLeft, other.X, other.Y);
  EXPECT_EQ(grid->FilterListColumn(), -1);
  SimulateMouseUp(grid, mbLeft, other.X, other.Y);
  // Out-of-range choices close the list and change no filter.
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  grid->SelectFilterItem(5);
  EXPECT_EQ(selected, 0);
  EXPECT_EQ(grid->FilterListColumn(), -1);
  EXPECT_EQ(grid->Filter()->Count(), 0);

  // Enter on the list chooses its current item; a column moved meanwhile
  // closes the list instead of filtering another column.
  grid->Columns()->Items(1)->Filter()->Add("b=2");
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  ASSERT_EQ(grid->FilterListColumn(), 1);
  grid->DropList()->SetItemIndex(1);
  SimulateKey(grid->DropList(), VK_RETURN);
  EXPECT_EQ(selected, 1);
  EXPECT_FALSE(grid->DropList()->Visible());
  ASSERT_EQ(grid->Filter()->Count(), 1);
  EXPECT_EQ(grid->Filter()->Items(0)->Column(), 1);
  EXPECT_EQ(grid->Filter()->Items(0)->Condition(), "2");
  SimulateMouseDown(grid, mbLeft, glyph.X, glyph.Y);
  SimulateMouseUp(grid, mbLeft, glyph.X, glyph.Y);
  ASSERT_EQ(grid->FilterListColumn(), 1);
  grid->MoveColumn(1, 3);
  EXPECT_EQ(grid->FilterListColumn(), -1);
  grid->SelectFilterItem(0);
  EXPECT_EQ(selected, 1);
}

TEST(ColumnGridPopups, TheColumnMenuOpensForItsClickAndCellKindAndGoesWithTheMenu) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  auto* menu = new TPopupMenu(shown.form);
  TGridColumnItem* item = grid->Columns()->Items(2);
  item->SetColumnPopup(menu);
  item->SetColumnPopupType(cpFixedCellsRClick);
  int events = 0;
  int popups = 0;
  grid->OnColumnPopup = [&](TObject*, int col, int, TPopupMenu* m) {
    EXPECT_EQ(col, 2);
    EXPECT_EQ(m, menu);
    ++events;
  };
  TPopupMenu::SetPopupHook([&](TPopupMenu& m, int, int) {
    EXPECT_EQ(&m, menu);
    ++popups;
  });
  const TRect header = grid->CellRect(2, 0);
  const TRect cell = grid->CellRect(2, 2);
  SimulateMouseDown(grid, mbRight, header.Left + 5, header.Top + 5);
  SimulateMouseUp(grid, mbRight, header.Left + 5, header.Top + 5);
  EXPECT_EQ(events, 1);
  EXPECT_EQ(popups, 1);
  // A normal cell fires the event but a fixed-cells menu stays shut.
  SimulateMouseDown(grid, mbRight, cell.Left + 5, cell.Top + 5);
  SimulateMouseUp(grid, mbRight, cell.Left + 5, cell.Top + 5);
  EXPECT_EQ(events, 2);
  EXPECT_EQ(popups, 1);
  // A left click is not this menu's click.
  SimulateMouseDown(grid, mbLeft, header.Left + 5, header.Top + 5);
  SimulateMouseUp(grid, mbLeft, header.Left + 5, header.Top + 5);
  EXPECT_EQ(events, 2);
  item->SetColumnPopupType(cpAllCellsRClick);
  SimulateMouseDown(grid, mbRight, cell.Left + 5, cell.Top + 5);
  SimulateMouseUp(grid, mbRight, cell.Left + 5, cell.Top + 5);
  EXPECT_EQ(popups, 2);
  TPopupMenu::SetPopupHook(nullptr);
  delete menu;
  EXPECT_EQ(item->ColumnPopup(), nullptr) << "a freed menu leaves the column";
  SimulateMouseDown(grid, mbRight, header.Left + 5, header.Top + 5);
  SimulateMouseUp(grid, mbRight, header.Left + 5, header.Top + 5);
  EXPECT_EQ(events, 3) << "no menu, no event";
}

// ------------------------------------------------------------- columns on the screen

TEST(ColumnGridDisplay, AColumnsFloatFormatReachesTheScreenTheExportAndTheFitting) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  grid->Columns()->Items(2)->SetFloatFormat("%.1f");
  grid->SetCells(2, 1, "2.75");
  grid->SetCells(2, 2, "1234567.891234");
  TRecordingCanvas canvas;
  grid->DrawCellContent(&canvas, 2, 1, grid->CellRect(2, 1), {});
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(coDrawText)[0].Text, "2.8");
  EXPECT_EQ(grid->Cells(2, 1), "2.75") << "the cell keeps what was typed";
  grid->SetCells(2, 3, "n/a");
  canvas.Clear();
  grid->DrawCellContent(&canvas, 2, 3, grid->CellRect(2, 3), {});
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(coDrawText)[0].Text, "n/a") << "a text that is no number shows as it is";
  grid->OnGetFloatFormat = [](TObject*, int, int row, bool&, AnsiString& format) { if (row == 1) format = "%.0f"; };
  EXPECT_EQ(grid->GetExportText(2, 1), "3");
  grid->FitColumnToContents(2);
  const int fitted = grid->ColWidths(2);
  grid->Columns()->Items(2)->SetFloatFormat("");
  grid->FitColumnToContents(2);
  EXPECT_LT(fitted, grid->ColWidths(2)) << "fitted to the shown 1234567.9";
}

TEST(ColumnGridSizing, TheMouseKeepsToMaxSizeAndFittingToAutoMaxSize) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  shown.AddOption(goColSizing);
  grid->Columns()->Items(1)->SetMaxSize(120);
  grid->Columns()->Items(1)->SetAutoMaxSize(90);
  const int border = grid->CellRect(1, 0).Right;
  SimulateMouseDown(grid, mbLeft, border, 5);
  SimulateMouseMove(grid, border + 80, 5, TShiftState{ssLeft});
  SimulateMouseUp(grid, mbLeft, border + 80, 5);
  EXPECT_EQ(grid->ColWidths(1), 120);
  grid->SetCells(1, 1, AnsiString(60, 'W'));
  grid->FitColumnToContents(1);
  EXPECT_EQ(grid->ColWidths(1), 90);
  // With column 1 hidden, column 2 shows first and keeps its own limits.
  grid->Columns()->Items(2)->SetAutoMaxSize(70);
  grid->SetCells(2, 1, AnsiString(60, 'W'));
  grid->HideColumn(1);
  grid->FitColumnToContents(1);
  EXPECT_EQ(grid->ColWidths(1), 70);
}

TEST(ColumnGridCheckBoxes, ADataCheckBoxColumnShowsTogglesAndSortsItsCellsAsBoxes) {
  ShownColumnGrid shown;
  TExColumnGrid* grid = shown.grid;
  shown.AddOption(goEditing);
  grid->Columns()->Items(1)->SetEditor(edDataCheckBox);
  const char* seen[] = {"Y", "N", "x", "Y", "N"};
  for (int r = 1; r < 6; ++r) grid->SetCells(1, r, seen[r - 1]);
  TRecordingCanvas canvas;
  grid->DrawCellContent(&canvas, 1, 1, grid->CellRect(1, 1), {});
  EXPECT_TRUE(canvas.CallsOf(coDrawText).empty()) << "a box instead of the text";
  grid->Columns()->Items(1)->SetHeader("Seen");
  canvas.Clear();
  grid->DrawCellContent(&canvas, 1, 0, grid->CellRect(1, 0), {});
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u) << "the header shows its text, no box";
  EXPECT_EQ(canvas.CallsOf(coDrawText)[0].Text, "Seen");
  const TRect box = grid->CellRect(1, 2);
  SimulateClick(grid, box.Left + 6, box.Top + 8);
  EXPECT_EQ(grid->Cells(1, 2), "Y");
  SimulateKey(grid, VK_SPACE);
  EXPECT_EQ(grid->Cells(1, 2), "N");
  // By the boxes: "x" is no tick, though as a text it sorts after "Y".
  grid->SortSettings()->SetColumn(1);
  grid->SortOnColumn();
  for (int r = 1; r < 6; ++r) EXPECT_EQ(grid->Cells(1, r) == "Y", r > 3) << r;
  grid->CheckAll(1);
  for (int r = 1; r < 6; ++r) EXPECT_EQ(grid->Cells(1, r), "Y") << r;
}

TEST(ColumnGridItems, ColumnHeadersAndAnImportedHeaderRowGiveTheColumnsTheirHeaders) {
  TExColumnGrid grid(nullptr);
  TStringList headers;
  headers.Add("");
  headers.Add("Year\\nmade");
  grid.SetColumnHeaders(&headers);
  EXPECT_EQ(grid.Columns()->Items(1)->Header(), "Year\rmade") << "as its cell shows it";
  TTempDir dir;
  std::ofstream(dir.File("movies.csv").c_str()) << "no,name\n1,Oldboy\n";
  grid.ImportTextFile(dir.File("movies.csv"), false);
  EXPECT_EQ(grid.Columns()->Items(1)->Header(), "name");
}
