// The catalogue window as it paints: a picture of the whole window shows the
// row colours, the sort arrow and the group rows; movie texts paint as
// typed; the folder column is edited in place and saved.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/FormSt.h"
#include "platform/vcl/InputSimulation.h"
#include "platform/vcl/PaintTo.h"
#include "tests/app/FormMainTestSupport.h"

namespace {

class PaintTest : public CatalogueWindowTest {
 protected:
  TFormMain* WindowWithMovies() {
    return WindowWith({{"watched", "b", Cat::WatchedYes, Cat::LentKept},
                       {"lent", "a", Cat::WatchedNo, Cat::LentOut},
                       {"both", "c", Cat::WatchedYes, Cat::LentOut},
                       {"plain", "a", Cat::WatchedNo, Cat::LentKept},
                       {"{\\rtf1 x}", "|\\AB", Cat::WatchedNo, Cat::LentKept},
                       {"last", "d", Cat::WatchedNo, Cat::LentKept}});
  }
  static int RowOf(TFormMain& w, const AnsiString& title) {
    for (int r = 1; r < w.movie_Grid->RowCount(); ++r)
      if (CatalogueCell(*w.movie_Grid, Cat::Title, r) == title) return r;
    return -1;
  }
  // The catalogue grid's picture as it shows in the window.
  struct TPicture {
    TBitmap Bitmap;
    TPoint GridOrigin;  // the grid's client area in the picture
  };
  static void Paint(TFormMain& w, TPicture& picture) {
    Application->ProcessMessages();
    PaintControlTo(w.movie_Grid, picture.Bitmap);
  }
  // A pixel near the bottom middle of a cell, clear of its text.
  static TColor CellBackground(TFormMain& w, const TPicture& p, const AnsiString& header, int row) {
    const int col = w.movie_Grid->DisplColIndex(CatalogueColumnIndex(*w.movie_Grid, header));
    const TRect r = w.movie_Grid->CellRect(col, row);
    return p.Bitmap.PixelColor(p.GridOrigin.X + r.Left + r.Width() / 2, p.GridOrigin.Y + r.Bottom - 3);
  }
  // Pixels of a colour inside a cell, its edges left out.
  static int CountColour(const TPicture& p, const TRect& cell, TColor colour) {
    int n = 0;
    for (int y = cell.Top + 2; y < cell.Bottom - 2; ++y)
      for (int x = cell.Left + 2; x < cell.Right - 2; ++x)
        n += p.Bitmap.PixelColor(p.GridOrigin.X + x, p.GridOrigin.Y + y) == colour;
    return n;
  }
};

}  // namespace

TEST_F(PaintTest, TheWindowPaintsWatchedAndLentRowsAndTheSortArrow) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  w->IniSetup.WatchedBackColor = 0x30C060;
  w->IniSetup.LentBackColor = 0x2040E0;
  // Sorting by director from the sort list: the header shows its arrow.
  w->SortCombo->SetItemIndex(w->SortCombo->Items()->IndexOf(Cat::Director));
  w->SortComboChange(w->SortCombo);
  // The current cell away from the rows looked at.
  g.SetRow(RowOf(*w, "last"));
  g.ClearRowSelect();

  TPicture p;
  Paint(*w, p);
  ASSERT_GT(p.Bitmap.Width(), 600);  // the grid fills the window's middle
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "watched")), 0x30C060u);
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "lent")), 0x2040E0u);
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "both")), 0x2040E0u);  // lent wins
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "plain")), ColorToRGB(g.Color()));
  // The title column keeps its own looks.
  EXPECT_NE(CellBackground(*w, p, Cat::Title, RowOf(*w, "watched")), 0x30C060u);
  // The arrow in the director header is a filled yellow triangle, clear
  // to see; the country's header has none.
  const auto header = [&](const AnsiString& name) {
    return g.CellRect(g.DisplColIndex(CatalogueColumnIndex(g, name)), 0);
  };
  EXPECT_GE(CountColour(p, header(Cat::Director), clYellow), 30);
  EXPECT_EQ(CountColour(p, header(Cat::Country), clYellow), 0);
  // A new catalogue shows no arrow of the old sort.
  w->ResetView();
  g.Invalidate();
  Paint(*w, p);
  EXPECT_EQ(CountColour(p, header(Cat::Director), clYellow), 0);

  // Switched off, no row is coloured.
  w->IniSetup.ColorRows = false;
  g.Invalidate();
  Paint(*w, p);
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "watched")), ColorToRGB(g.Color()));
  EXPECT_EQ(CellBackground(*w, p, Cat::Director, RowOf(*w, "lent")), ColorToRGB(g.Color()));
}

TEST_F(PaintTest, SortingByAColumnAfterAHiddenOneSortsThatColumnAndMarksIt) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  // Hide 원제(영제), which lies before 감독.
  const int item = w->ScCheckList1->Items()->IndexOf(Cat::OrigTitle + " ");
  w->ScCheckList1->SetChecked(item, false);
  w->ScCheckList1Change(item, cbUnchecked);
  w->SortCombo->SetItemIndex(w->SortCombo->Items()->IndexOf(Cat::Director));
  w->SortComboChange(w->SortCombo);
  std::vector<AnsiString> directors;
  for (int r = 1; r < g.RowCount(); ++r) directors.push_back(CatalogueCell(g, Cat::Director, r));
  EXPECT_TRUE(std::is_sorted(directors.begin(), directors.end()));
  TPicture p;
  Paint(*w, p);
  const TRect director = g.CellRect(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Director)), 0);
  const TRect country = g.CellRect(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Country)), 0);
  EXPECT_GE(CountColour(p, director, clYellow), 30);
  EXPECT_EQ(CountColour(p, country, clYellow), 0);
  // A hidden column sorts too and stays hidden.
  w->SortCombo->SetItemIndex(w->SortCombo->Items()->IndexOf(Cat::OrigTitle));
  const int before = g.ColCount();
  w->SortComboChange(w->SortCombo);
  EXPECT_TRUE(g.IsColumnHidden(CatalogueColumnIndex(g, Cat::OrigTitle)));
  EXPECT_EQ(g.ColCount(), before);
}

TEST_F(PaintTest, GroupRowsPaintMergedWithTheirNodeButtons) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  w->GroupCombo->SetItemIndex(w->GroupCombo->Items()->IndexOf(Cat::Director));
  w->GroupComboChange(w->GroupCombo);
  ASSERT_TRUE(w->GridGrouped);
  ASSERT_TRUE(g.IsNodeRow(1));
  // The node row's text spans every column after the button column.
  EXPECT_EQ(g.CellSpan(1, 1).X, g.ColCount() - 2);
  TPicture p;
  Paint(*w, p);
  // The button: dark pixels in the node column of a node row, none in a
  // plain cell of the same colour.
  const TRect button = g.CellRect(0, 1);
  const int dark = CountColour(p, button, 0x000000) + CountColour(p, button, 0x808080);
  EXPECT_GE(dark, 4);
  // No grid line cuts the merged node row where column 2 begins.
  const TRect second = g.CellRect(2, 1);
  const TColor inside = p.Bitmap.PixelColor(p.GridOrigin.X + second.Left + 5, p.GridOrigin.Y + second.Bottom - 3);
  EXPECT_EQ(p.Bitmap.PixelColor(p.GridOrigin.X + second.Left - 1, p.GridOrigin.Y + second.Bottom - 3), inside);

  // Scrolled right past the title, the group's text still shows at the left.
  g.SetLeftCol(6);
  TPicture scrolled;
  Paint(*w, scrolled);
  const TRect row = g.MergedCellRect(1, 1);
  ASSERT_LT(g.CellRect(1, 1).Width(), 1) << "the first column is out of view";
  const TColor background = scrolled.Bitmap.PixelColor(scrolled.GridOrigin.X + 150, scrolled.GridOrigin.Y + row.Bottom - 3);
  const int text = CountColour(scrolled, TRect{0, row.Top, 40, row.Bottom}, background);
  EXPECT_LT(text, 36 * (row.Height() - 4)) << "pixels of the group text near the left edge";
}

TEST_F(PaintTest, MovieTextsThatLookLikeRichTextWideTextOrMarkUpPaintAndExportAsTyped) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const int row = RowOf(*w, "{\\rtf1 x}");
  auto painted = [&](const AnsiString& header) {
    TRecordingCanvas canvas;
    const int col = g.DisplColIndex(CatalogueColumnIndex(g, header));
    g.DrawCellContent(&canvas, col, row, g.CellRect(col, row), {});
    AnsiString text;
    for (const TCanvasCall& call : canvas.Calls())
      if (call.Op == coDrawText || call.Op == coTextOut || call.Op == coTextRect) text += call.Text;
    return text;
  };
  EXPECT_EQ(painted(Cat::Title), "{\\rtf1 x}");
  EXPECT_EQ(painted(Cat::Director), "|\\AB");
  // Exported as typed too, mark-up included.
  const int bold = AddMovie(*w, "<B>Bold</B>");
  EXPECT_EQ(g.GetExportText(CatalogueColumnIndex(g, Cat::Title), bold), "<B>Bold</B>");
}

TEST_F(PaintTest, TheFolderColumnIsEditedInPlaceSavedAndReadBack) {
  TFormMain* w = WindowWithMovies();
  TExColumnGrid& g = *w->movie_Grid;
  const int row = RowOf(*w, "lent");
  // Typing in a read-only column changes nothing.
  g.SetCol(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Director)));
  g.SetRow(row);
  g.SetFocus();
  SimulateKey(&g, VK_F2);
  if (TInplaceEdit* editor = g.InplaceEditor(); editor && g.EditorMode()) {
    SimulateImeCommit(editor, "가"_k);
    SimulateKey(editor, VK_RETURN);
  } else {
    SimulateImeCommit(&g, "가"_k);
  }
  EXPECT_EQ(CatalogueCell(g, Cat::Director, row), "a");
  EXPECT_FALSE(w->DBModified);
  if (g.EditorMode()) g.HideEditor();

  SetCatalogueCell(g, Cat::FileName, row, "lent.avi");
  g.SetCol(g.DisplColIndex(CatalogueColumnIndex(g, Cat::Folder)));
  g.SetRow(row);
  SimulateKey(&g, VK_F2);
  ASSERT_TRUE(g.EditorMode());
  TInplaceEdit* editor = g.InplaceEditor();
  ASSERT_NE(editor, nullptr);
  SimulateKey(editor, 'A', {ssCtrl});
  SimulateImeCommit(editor, "영화/새 폴더"_k);
  SimulateKey(editor, VK_RETURN);
  EXPECT_FALSE(g.EditorMode());
  EXPECT_EQ(CatalogueCell(g, Cat::Folder, row), "영화/새 폴더"_k);
  EXPECT_TRUE(w->DBModified);
  EXPECT_EQ(FileTableCell(*w->FileGrid, Cat::Folder, 1), "영화/새 폴더"_k);  // the pane follows

  const AnsiString file = app_.Path() + "DB/folders.VDM";
  ASSERT_TRUE(w->SaveDB(file));
  CloseWindow(w);
  TFormMain* fresh = OpenWindow();
  ASSERT_TRUE(fresh->LoadDB(file));
  EXPECT_EQ(CatalogueCell(*fresh->movie_Grid, Cat::Folder, RowOf(*fresh, "lent")), "영화/새 폴더"_k);
  EXPECT_EQ(CatalogueCell(*fresh->movie_Grid, Cat::Director, RowOf(*fresh, "lent")), "a");
}

