// The string grid's spine: defaults, the update bracket, typed access,
// footer values, auto-merge, navigation, headers and kept column widths.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/IniFiles.h"
#include "platform/vcl/Forms.h"

namespace {

struct ExGridCells : ::testing::Test {
  TExStringGrid grid{nullptr};
  void SetUp() override {
    grid.SetColCount(5);
    grid.SetRowCount(6);
  }
};

template <class F>
std::string ErrorOf(F f) {
  try {
    f();
  } catch (const EExGridError& e) {
    return e.what();
  }
  return "(no EExGridError)";
}

// ---------------------------------------------------------------- defaults

TEST(ExGridDefaults, ANewGridHasTheCatalogueLooksAndSizes) {
  TExStringGrid grid(nullptr);
  EXPECT_EQ(grid.DefaultRowHeight(), 21);
  EXPECT_EQ(grid.FixedRowHeight(), 21);
  EXPECT_EQ(grid.FloatFormat(), "%.2f");
  EXPECT_EQ(grid.CheckTrue(), "Y");
  EXPECT_EQ(grid.CheckFalse(), "N");
  EXPECT_EQ(grid.GridLineWidth(), 1);
  EXPECT_EQ(grid.GridLineColor(), 0xC0C0C0);
  EXPECT_FALSE(grid.DefaultDrawing());
  EXPECT_EQ(grid.SelectionColor(), 0xEACAB6);
  EXPECT_EQ(grid.Look(), glXP);
  EXPECT_EQ(grid.FixedFont()->Name(), "Tahoma");
  EXPECT_TRUE(grid.FixedFont()->Style().Contains(fsBold));
  EXPECT_TRUE(grid.IncludeFixedInFiles());
  EXPECT_EQ(grid.FixedFooters(), 0);
  EXPECT_EQ(grid.UpdateCount(), 0);
  EXPECT_FALSE(grid.FloatingFooter()->Visible());
}

// ---------------------------------------------------------------- update bracket

class TCountingGrid : public TExStringGrid {
 public:
  using TExStringGrid::TExStringGrid;
  int invalidations = 0;
  void Invalidate() override {
    ++invalidations;
    TExStringGrid::Invalidate();
  }
};

TEST(ExGridUpdate, NestedBracketsKeepRedrawingOffAndRedrawOnceAtTheEnd) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 400, 300);
  auto* grid = new TCountingGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 380, 280);
  form->Show();

  grid->BeginUpdate();
  grid->BeginUpdate();
  grid->SetCells(1, 1, "a");
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 1);
  EXPECT_FALSE(grid->RedrawEnabled());
  grid->invalidations = 0;
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 0);
  EXPECT_TRUE(grid->RedrawEnabled());
  EXPECT_EQ(grid->invalidations, 1);

  // An unmatched EndUpdate redraws at once and the count stays at 0.
  grid->invalidations = 0;
  grid->EndUpdate();
  EXPECT_EQ(grid->UpdateCount(), 0);
  EXPECT_EQ(grid->invalidations, 1);
  delete form;
}

TEST(ExGridUpdate, AHiddenGridIgnoresTheBracket) {
  TExStringGrid grid(nullptr);
  grid.SetVisible(false);
  grid.BeginUpdate();
  EXPECT_EQ(grid.UpdateCount(), 0);
  grid.SetVisible(true);
  grid.BeginUpdate();
  grid.SetVisible(false);
  grid.EndUpdate();
  EXPECT_EQ(grid.UpdateCount(), 1);
}

// ---------------------------------------------------------------- typed access

TEST_F(ExGridCells, IntegersReadEmptyAndDashAsZeroAndRefuseOtherText) {
  EXPECT_EQ(grid.Ints(1, 1), 0);
  grid.SetCells(1, 1, "-");
  EXPECT_EQ(grid.Ints(1, 1), 0);
  grid.SetCells(1, 1, " 42 ");
  EXPECT_EQ(grid.Ints(1, 1), 42);
  grid.SetInts(1, 1, -7);
  EXPECT_EQ(grid.Cells(1, 1), "-7");
  for (const char* bad : {"12a", "$1F", "1.5", "99999999999", "+", "영"}) {
    grid.SetCells(1, 1, Utf8ToCp949(bad));
    EXPECT_EQ(ErrorOf([&] { grid.Ints(1, 1); }), "Cell does not contain integer value") << bad;
  }
  EXPECT_EQ(grid.Cells(1, 1), "영"_k);  // the failed read changed nothing
}

TEST_F(ExGridCells, FloatsReadNumberTextsAndWriteWithTheFloatFormat) {
  grid.SetFloats(1, 1, 2.5);
  EXPECT_EQ(grid.Cells(1, 1), "2.50");
  struct Case {
    const char* text;
    double value;
  } cases[] = {{"", 0},     {"-", 0},   {"1,234.5", 1234.5}, {"(12.5)", -12.5},
               {"12 kg", 12}, {"-3e2", -300}, {"  7 ", 7}};
  for (const Case& c : cases) {
    grid.SetCells(2, 2, c.text);
    EXPECT_DOUBLE_EQ(grid.Floats(2, 2), c.value) << c.text;
  }
  for (const char* bad : {"1.2.3", "3-4", "1e999"}) {
    grid.SetCells(2, 2, bad);
    EXPECT_EQ(ErrorOf([&] { grid.Floats(2, 2); }), "Cell does not contain a float value") << bad;
  }
  grid.SetFloatFormat("%.0f");
  grid.SetFloats(1, 1, 3.4);
  EXPECT_EQ(grid.Cells(1, 1), "3");
}

TEST_F(ExGridCells, DatesRoundTripAndAZeroDateCanBeLeftEmpty) {
  const TDateTime day = EncodeDate(2024, 3, 5);
  grid.SetDates(1, 1, day);
  EXPECT_DOUBLE_EQ(grid.Dates(1, 1), day);
  grid.SetShowZeroDate(false);
  grid.SetDates(1, 1, 0);
  EXPECT_EQ(grid.Cells(1, 1), "");
  EXPECT_DOUBLE_EQ(grid.Dates(1, 1), 0);
  grid.SetCells(1, 1, "not a date");
  EXPECT_THROW(grid.Dates(1, 1), EConvertError);
}

TEST_F(ExGridCells, WideTextRoundTripsThroughTheUnicodeCellEncoding) {
  const WideString text = u"영화 \u00e9\u4e2d";
  grid.SetWideCell(1, 1, text);
  EXPECT_TRUE(grid.IsUnicodeCell(1, 1));
  EXPECT_EQ(grid.GetWideCell(1, 1), text);
  grid.SetCells(2, 1, "영화"_k);
  EXPECT_FALSE(grid.IsUnicodeCell(2, 1));
  EXPECT_EQ(grid.GetWideCell(2, 1), u"영화");
}

// ---------------------------------------------------------------- footer values

struct FooterFixture : ExGridCells {
  void SetUp() override {
    ExGridCells::SetUp();  // rows 1..4 data, row 5 footer
    grid.FloatingFooter()->SetVisible(true);
    grid.SetCells(1, 1, "1");
    grid.SetCells(1, 2, "2.5");
    grid.SetCells(1, 3, "not a number");
    grid.SetCells(1, 4, "");
  }
  void Kind(int col, Byte kind) { grid.CellPropertiesAt(col, 5)->SetFooterCalcKind(kind); }
};

TEST_F(FooterFixture, TheLastRowSumsCountsAndAveragesTheColumnAboveIt) {
  EXPECT_EQ(grid.FixedFooters(), 1);
  EXPECT_TRUE(grid.FooterShown());
  Kind(1, 1);
  grid.UpdateFooterValues(-1);
  EXPECT_EQ(grid.Cells(1, 5), "3.50");  // the text that is no number counts as nothing

  grid.SetCells(1, 4, "10");
  grid.CellsChanged(Rect(1, 4, 1, 4));
  EXPECT_EQ(grid.Cells(1, 5), "13.50");

  Kind(1, 3);
  grid.UpdateFooterValues(1);
  EXPECT_EQ(grid.Cells(1, 5), "4.00");
  Kind(1, 4);
  grid.UpdateFooterValues(1);
  EXPECT_EQ(grid.Cells(1, 5), "1.00");
  Kind(1, 5);
  grid.UpdateFooterValues(1);
  EXPECT_EQ(grid.Cells(1, 5), "10.00");
  Kind(1, 2);
  grid.UpdateFooterValues(1);
  EXPECT_EQ(grid.Cells(1, 5), "3.38");  // 1, 2.5 and 10 over the four rows
}

TEST_F(FooterFixture, CustomFootersAskTheEventAndOtherCellsAreLeftAlone) {
  grid.SetCells(2, 5, "no properties");
  Kind(3, 7);
  grid.FloatingFooter()->OnCalcFooter = [](TObject*, int col, int row, AnsiString& value) {
    value = "col " + IntToStr(col) + " row " + IntToStr(row);
  };
  Kind(4, 0);
  grid.SetCells(4, 5, "old");
  grid.UpdateFooterValues(-1);
  EXPECT_EQ(grid.Cells(3, 5), "col 3 row 5");
  EXPECT_EQ(grid.Cells(4, 5), "");
  EXPECT_EQ(grid.Cells(2, 5), "no properties");

  grid.FloatingFooter()->OnCalcFooter = nullptr;
  grid.UpdateFooterValues(3);
  EXPECT_EQ(grid.Cells(3, 5), "");
}

TEST_F(FooterFixture, AHiddenFooterComputesNothing) {
  Kind(1, 1);
  grid.SetCells(1, 5, "stays");
  grid.FloatingFooter()->SetVisible(false);
  EXPECT_EQ(grid.FixedFooters(), 0);
  grid.UpdateFooterValues(-1);
  EXPECT_EQ(grid.Cells(1, 5), "stays");
}

// ---------------------------------------------------------------- auto-merge

TEST(ExGridAutoMerge, EqualNeighboursMergeAndLaterColumnsOnlyInsideTheFirstColumnsSpans) {
  TExStringGrid grid(nullptr);
  grid.SetColCount(3);
  grid.SetRowCount(6);
  const char* genre[] = {"", "drama", "drama", "sf", "sf", "sf"};
  const char* year[] = {"", "1999", "1999", "1999", "2001", "2001"};
  for (int r = 0; r < 6; ++r) {
    grid.SetCells(1, r, genre[r]);
    grid.SetCells(2, r, year[r]);
  }
  grid.AutoMergeCols()->Add(1);
  EXPECT_EQ(grid.CellSpan(1, 1), (TPoint{0, 1}));
  EXPECT_EQ(grid.CellSpan(1, 3), (TPoint{0, 2}));
  EXPECT_EQ(grid.Cells(1, 5), "sf");

  grid.AutoMergeCols()->Add(2);
  EXPECT_EQ(grid.CellSpan(2, 1), (TPoint{0, 1}));  // 1999 twice inside "drama"
  EXPECT_EQ(grid.BaseCellOf(2, 3), (TPoint{2, 3})); // 1999 again, but in "sf"
  EXPECT_EQ(grid.CellSpan(2, 4), (TPoint{0, 1}));

  grid.AutoMergeCols()->Delete(0);  // column 2 alone is now the main one
  EXPECT_FALSE(grid.IsMergedCell(1, 1));
  EXPECT_EQ(grid.CellSpan(2, 1), (TPoint{0, 2}));
}

// ---------------------------------------------------------------- navigation

TEST(ExGridNavigation, GotoCellMovesTheCursorAndCentresAFarRow) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 400, 300);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 380, 280);
  grid->SetColCount(4);
  grid->SetRowCount(1000);
  form->Show();

  std::vector<std::pair<int, int>> updates;
  grid->OnRowUpdate = [&](TObject*, int oldRow, int newRow) { updates.emplace_back(oldRow, newRow); };
  grid->GotoCell(2, 500);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_EQ(grid->Row(), 500);
  EXPECT_EQ(grid->TopRow(), std::max(500 - grid->VisibleRowCount() / 2, 1));
  ASSERT_EQ(updates.size(), 1u);
  EXPECT_EQ(updates[0].second, 500);

  grid->GotoCell(3, 501);  // in view: no scrolling, but the cursor moves
  EXPECT_EQ(grid->Row(), 501);
  EXPECT_EQ(grid->Col(), 3);

  grid->GotoCell(9, 5000);  // outside the grid
  EXPECT_EQ(grid->Row(), 501);

  grid->BeginUpdate();
  grid->SetRowNotify(7);
  grid->EndUpdate();
  EXPECT_EQ(updates.size(), 2u);  // nothing reported inside the bracket
  delete form;
}

// ---------------------------------------------------------------- headers and widths

TEST_F(ExGridCells, ColumnHeadersFillTheFixedRowWithLineBreaks) {
  TStringList headers;
  headers.Add("제목"_k);
  headers.Add("Year\\nmade");
  for (int i = 0; i < 9; ++i) headers.Add("extra");
  grid.SetColumnHeaders(&headers);
  EXPECT_EQ(grid.Cells(0, 0), "제목"_k);
  EXPECT_EQ(grid.Cells(1, 0), "Year\rmade");
  EXPECT_EQ(grid.Cells(4, 0), "extra");
  EXPECT_EQ(grid.ColCount(), 5);

  grid.ColumnHeaders()->SetStrings(0, "Title");
  EXPECT_EQ(grid.Cells(0, 0), "Title");

  TStringList rows;
  rows.Add("");
  rows.Add("No.\\n1");
  grid.SetRowHeaders(&rows);
  EXPECT_EQ(grid.Cells(0, 1), "No.\r1");
  grid.SetFixedRows(0);
  headers.Clear();
  headers.Add("ignored without a fixed row");
  grid.SetColumnHeaders(&headers);
  EXPECT_EQ(grid.Cells(1, 0), "Year\rmade");
}

TEST(ExGridColumnSizes, WidthsRoundTripThroughTheIniFileAndBadOnesAreIgnored) {
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("vidrena_colsize_" + std::to_string(::getpid()) + ".ini");
  {
    TExStringGrid grid(nullptr);
    grid.SetColCount(3);
    grid.ColumnSize()->SetKey(file.string());
    grid.ColumnSize()->SetSection("Main");
    grid.ColumnSize()->SetSave(true);
    grid.SetColWidths(0, 40);
    grid.SetColWidths(1, 150);
    grid.SetColWidths(2, 90);
  }  // saved on destruction
  {
    TIniFile ini(file.string());
    EXPECT_EQ(ini.ReadInteger("Main", "Col1", 0), 150);
    ini.WriteInteger("Main", "Col2", -30);
  }
  TExStringGrid grid(nullptr);
  grid.SetColCount(3);
  grid.ColumnSize()->SetKey(file.string());
  grid.ColumnSize()->SetSection("Main");
  grid.LoadColumnSizes();
  EXPECT_EQ(grid.ColWidths(0), 40);
  EXPECT_EQ(grid.ColWidths(1), 150);
  EXPECT_EQ(grid.ColWidths(2), grid.DefaultColWidth());

  // Without a section nothing is read.
  TExStringGrid other(nullptr);
  other.SetColCount(3);
  other.ColumnSize()->SetKey(file.string());
  other.LoadColumnSizes();
  EXPECT_EQ(other.ColWidths(1), other.DefaultColWidth());
  std::filesystem::remove(file);
}

}  // namespace
