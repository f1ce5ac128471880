// Cell painting of the string grid on the recording canvas, cell by cell, for
// a catalogue-like grid: the order in which colours override each other,
// watched, lent and selected rows, the text kinds, sort indicators, the
// fixed looks, borders, zoom, the error underline and measuring.
#include <gtest/gtest.h>

#include <algorithm>

#include "grid/ExCGrid.h"
#include "grid/ExGrid.h"
#include "grid/PictureContainer.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/RichText.h"

namespace {

constexpr TColor kWatched = 0xD0F0D0;
constexpr TColor kLent = 0xD0D0F0;

struct CellPaintFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  TRecordingCanvas canvas;
  void SetUp() override {
    grid->SetColCount(5);
    grid->SetRowCount(8);
    grid->SetColor(clWhite);
    grid->SetFixedColor(clBtnFace);
    canvas.SetFixedMetrics(6, 13);
    grid->SetCells(1, 0, "Title");
    for (int r = 1; r < 8; ++r) grid->SetCells(1, r, "Movie " + IntToStr(r));
    // The current cell (the default selection) out of the cells under test.
    grid->SetCol(4);
    grid->SetRow(6);
  }
  // What the colour query answers for a cell (with the selection applied
  // when applySelection, as the base grid's fill asks).
  struct TCellLooks {
    TFont Font;
    TBrush Brush;
    TAlignment HAlign = taLeftJustify;
  };
  std::unique_ptr<TCellLooks> Looks(int col, int row, bool applySelection, TGridDrawState state = {}) {
    auto looks = std::make_unique<TCellLooks>();
    TColor gradient = clNone;
    TVAlignment v = vtaTop;
    grid->GetCellColors(col, row, &looks->Font, &looks->Brush, gradient, looks->HAlign, v, true, applySelection,
                        false, state);
    return looks;
  }
  TColor Background(int col, int row, TGridDrawState state = {}) { return Looks(col, row, true, state)->Brush.Color(); }
  TColor TextColor(int col, int row, TGridDrawState state = {}) { return Looks(col, row, true, state)->Font.Color(); }
  TAlignment Alignment(int col, int row) { return Looks(col, row, false)->HAlign; }
  void Draw(int col, int row, TGridDrawState state = {}) {
    canvas.Clear();
    grid->DrawCellContent(&canvas, col, row, TRect{0, 0, 120, 20}, state);
  }
  std::vector<TCanvasCall> Texts() const { return canvas.CallsOf(coDrawText); }
};

// ------------------------------------------------------------- colours

TEST_F(CellPaintFixture, ColourSourcesOverrideEachOtherInOrder) {
  grid->Bands()->SetPrimaryColor(0x111111);
  grid->Bands()->SetSecondaryColor(0x222222);
  grid->Bands()->SetPrimaryLength(2);
  grid->Bands()->SetSecondaryLength(1);
  grid->Bands()->SetActive(true);
  grid->SetFixedFooters(1);
  grid->CellPropertiesAt(2, 1)->SetBrushColor(0x333333);
  grid->CellPropertiesAt(3, 1)->SetBrushColor(0x333333);
  grid->OnGetCellColor = [](TObject*, int row, int col, TGridDrawState, TBrush* brush, TFont*) {
    if (col == 3 && row == 1) brush->SetColor(0x444444);
    if (col == 0 && row == 3) brush->SetColor(0x555555);
  };
  // Bands: two primary rows, one secondary, repeating from the first data row.
  EXPECT_EQ(Background(1, 1), 0x111111u);
  EXPECT_EQ(Background(1, 2), 0x111111u);
  EXPECT_EQ(Background(1, 3), 0x222222u);
  EXPECT_EQ(Background(1, 4), 0x111111u);
  // The cell's own colour wins over the band, the event over both.
  EXPECT_EQ(Background(2, 1), 0x333333u);
  EXPECT_EQ(Background(3, 1), 0x444444u);
  // The selection wins over everything.
  grid->SetSelection(TGridRect{3, 1, 3, 1});
  TGridDrawState state;
  EXPECT_EQ(Background(3, 1), grid->SelectionColor());
  EXPECT_EQ(Background(3, 1, state), 0xEACAB6u);
  // Footer rows take the fixed colour; the fixed column too, its own colour
  // notwithstanding, unless the event recolours it.
  EXPECT_EQ(Background(2, 7), clBtnFace);
  grid->CellPropertiesAt(0, 2)->SetBrushColor(0x666666);
  EXPECT_EQ(Background(0, 2), clBtnFace);
  EXPECT_EQ(Background(0, 3), 0x555555u);
}

TEST_F(CellPaintFixture, ColumnColourGivesWayToTheCellAndTheEvent) {
  auto columns = std::make_unique<TExColumnGrid>(nullptr);
  columns->SetColCount(4);
  columns->SetRowCount(5);
  columns->Columns()->Items(2)->SetColor(0x0A0A0A);
  columns->CellPropertiesAt(2, 2)->SetBrushColor(0x0B0B0B);
  columns->OnGetCellColor = [](TObject*, int row, int, TGridDrawState, TBrush* brush, TFont*) {
    if (row == 3) brush->SetColor(0x0C0C0C);
  };
  TFont font;
  TBrush brush;
  TColor gradient = clNone;
  TAlignment h;
  TVAlignment v;
  auto background = [&](int col, int row) {
    TGridDrawState state;
    columns->GetCellColors(col, row, &font, &brush, gradient, h, v, true, false, false, state);
    return brush.Color();
  };
  EXPECT_EQ(background(2, 1), 0x0A0A0Au);
  EXPECT_EQ(background(2, 2), 0x0B0B0Bu);
  EXPECT_EQ(background(2, 3), 0x0C0C0Cu);
}

TEST_F(CellPaintFixture, WatchedLentAndSelectedRowsOfTheCatalogue) {
  grid->SetSelectionColor(15387318);
  grid->SetSelectionTextColor(clBlack);
  grid->SetCells(4, 2, "watched");
  grid->SetCells(4, 3, "lent");
  grid->OnGetCellColor = [this](TObject*, int row, int, TGridDrawState, TBrush* brush, TFont* font) {
    if (row < grid->FixedRows()) return;
    if (grid->Cells(4, row) == "watched") brush->SetColor(kWatched);
    if (grid->Cells(4, row) == "lent") {
      brush->SetColor(kLent);
      font->SetColor(clMaroon);
    }
  };
  for (int c = 1; c < 5; ++c) {
    EXPECT_EQ(Background(c, 2), kWatched) << c;
    EXPECT_EQ(Background(c, 3), kLent) << c;
    EXPECT_EQ(TextColor(c, 3), clMaroon) << c;
    EXPECT_EQ(Background(c, 4), clWhite) << c;
  }
  grid->SetSelection(TGridRect{1, 3, 4, 3});
  EXPECT_EQ(Background(2, 3), 15387318u);
  EXPECT_EQ(TextColor(2, 3), clBlack);
  // The content drawing shows the lent row selected in its text too.
  Draw(1, 3, TGridDrawState{gdSelected});
  ASSERT_FALSE(Texts().empty());
  EXPECT_EQ(Texts().back().FontColor, clBlack);
  grid->HideSelection();  // nothing shows selected until the selection is set anew
  Draw(1, 3, TGridDrawState{gdSelected, gdFocused});
  EXPECT_EQ(Texts().back().FontColor, clMaroon);
  grid->SetSelection(TGridRect{1, 2, 4, 2});
  EXPECT_EQ(Background(2, 2), 15387318u);
}

TEST_F(CellPaintFixture, NoSelectionColourKeepsTheBackgroundAndNeverFillsWithNone) {
  grid->SetSelectionColor(clNone);
  grid->SetSelectionTextColor(clRed);
  grid->CellPropertiesAt(1, 2)->SetBrushColor(0x123456);
  grid->SetSelection(TGridRect{1, 2, 1, 2});
  EXPECT_EQ(Background(1, 2), 0x123456u);
  EXPECT_EQ(TextColor(1, 2), clRed);
  // A band or an event that sets no colour leaves the grid's colour.
  grid->Bands()->SetPrimaryColor(clNone);
  grid->Bands()->SetActive(true);
  EXPECT_EQ(Background(2, 1), clWhite);
  grid->OnGetCellColor = [](TObject*, int, int, TGridDrawState, TBrush* brush, TFont*) { brush->SetColor(clNone); };
  EXPECT_EQ(Background(3, 4), clWhite);
  EXPECT_EQ(Background(0, 4), clBtnFace);
  // A fixed gradient start of clNone fills with the fixed colour.
  grid->OnGetCellColor = nullptr;
  grid->SetFixedGradientFrom(clNone);
  Draw(1, 0, TGridDrawState{gdFixed});
  for (const TCanvasCall& call : canvas.Calls()) {
    if (call.Op == coFillRect || call.Op == coRectangle) {
      EXPECT_NE(call.BrushColor, clNone);
    }
    if (call.Op == coGradient) {
      EXPECT_NE(call.Color, clNone);
    }
  }
  EXPECT_EQ(canvas.CallsOf(coGradient).size(), 1u);
}

TEST_F(CellPaintFixture, DisjunctCellsAreKeptByWholeRowAndColumn) {
  grid->SetRowCount(65540);
  grid->MouseActions()->SetDisjunctCellSelect(true);
  grid->SetCellSelected(2, 65537, true);
  EXPECT_TRUE(grid->IsCellSelected(2, 65537));
  EXPECT_FALSE(grid->IsCellSelected(2, 1)) << "row 65537 packed into 16 bits would be row 1";
  EXPECT_NE(Background(2, 1), grid->SelectionColor());
  EXPECT_EQ(Background(2, 65537), grid->SelectionColor());
  grid->ClearCellSelect();
  EXPECT_EQ(grid->SelectedCellCount(), 0);
}

TEST_F(CellPaintFixture, NumbersAlignRightUnlessTheCellSaysOtherwise) {
  grid->SetAutoNumAlign(true);
  grid->SetCells(2, 1, "12.5");
  grid->SetCells(2, 2, "12.5a");
  grid->SetCells(2, 3, "12.5");
  grid->CellPropertiesAt(2, 3)->SetAlignment(taCenter);
  EXPECT_EQ(Alignment(2, 1), taRightJustify);
  EXPECT_EQ(Alignment(2, 2), taLeftJustify);
  EXPECT_EQ(Alignment(2, 3), taCenter);
  grid->OnGetAlignment = [](TObject*, int row, int, TAlignment& h, TVAlignment&) {
    if (row == 1) h = taCenter;
  };
  EXPECT_EQ(Alignment(2, 1), taCenter);
}

// ------------------------------------------------------------- text kinds

TEST_F(CellPaintFixture, EachTextKindIsDrawnItsOwnWay) {
  grid->SetCells(2, 1, "=A1+B1");
  grid->OnGetDisplText = [](TObject*, int col, int row, AnsiString& text) {
    if (col == 2 && row == 1) text = "=shown";
  };
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "=A1+B1") << "a formula is drawn from the raw text";
  grid->OnGetDisplText = nullptr;

  grid->SetCells(2, 2, "{\\rtf1\\ansi{\\colortbl ;\\red255\\green0\\blue0;}\\b bold\\b0 \\cf1 red\\par}");
  Draw(2, 2);
  EXPECT_TRUE(Texts().empty());
  EXPECT_EQ(canvas.CallsOf(coDraw).size(), 1u) << "rich text is rendered as one picture";

  grid->SetWideCell(2, 3, u"\u00e9t\u00e9 \u4e2d");
  Draw(2, 3);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_TRUE(Texts()[0].Wide);

  grid->SetCells(2, 4, "<B>bold</B> text");
  Draw(2, 4);
  AnsiString shown;
  bool boldRun = false;
  for (const TCanvasCall& c : canvas.Calls()) {
    if (c.Op != coTextOut && c.Op != coDrawText && c.Op != coTextRect) continue;
    shown += c.Text;
    boldRun |= c.Text.find("bold") != AnsiString::npos && c.FontStyle.Contains(fsBold);
  }
  EXPECT_EQ(shown.find("<B>"), AnsiString::npos) << "mark-up is not shown as tags";
  EXPECT_NE(shown.find("text"), AnsiString::npos);
  EXPECT_TRUE(boldRun) << "the bold run is drawn bold";

  grid->SetCells(2, 5, "a<b");
  Draw(2, 5);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "a<b") << "a lone less-than sign stays plain text";

  grid->SetCells(2, 6, "<CONTROL TYPE=\"EDIT\" ID=\"note\" VALUE=\"old\" WIDTH=\"80\">");
  Draw(2, 6);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "old") << "a form control alone shows its value, not its tag";
}

TEST_F(CellPaintFixture, APictureContainerThatGoesIsForgotten) {
  auto* container = new TPictureContainer(nullptr);
  grid->SetPictureContainer(container);
  EXPECT_EQ(grid->PictureContainer(), container);
  grid->SetCells(2, 1, "<IMG SRC=\"poster\"> <B>x</B>");
  EXPECT_NO_THROW(Draw(2, 1));
  delete container;
  EXPECT_EQ(grid->PictureContainer(), nullptr);
  EXPECT_NO_THROW(Draw(2, 1));
}

TEST_F(CellPaintFixture, UnwrappedTwoLineTextShowsItsFirstLineUnlessMultiline) {
  grid->SetWordWrap(false);
  grid->SetCells(2, 1, "first\r\nsecond");
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "first");
  EXPECT_TRUE(Texts()[0].Flags & DT_SINGLELINE);
  grid->SetMultilinecells(true);
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "first\r\nsecond");
  EXPECT_FALSE(Texts()[0].Flags & DT_SINGLELINE);
}

TEST_F(CellPaintFixture, LinksAreUnderlinedInTheirColourWithoutTheScheme) {
  grid->SetURLShow(true);
  grid->SetURLColor(clBlue);
  grid->SetCells(2, 1, "http://example.invalid/movie");
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "example.invalid/movie");
  EXPECT_TRUE(Texts()[0].FontStyle.Contains(fsUnderline));
  EXPECT_EQ(Texts()[0].FontColor, clBlue);
  grid->SetURLFull(true);
  Draw(2, 1);
  EXPECT_EQ(Texts()[0].Text, "http://example.invalid/movie");
}

TEST_F(CellPaintFixture, BlinkingTextVanishesIntoTheBackgroundInItsOffPhaseOnly) {
  grid->SetCells(2, 1, "<BLINK>new</BLINK> in");
  auto colourOf = [&](const std::string& text) {
    Draw(2, 1);
    for (const TCanvasCall& call : canvas.Calls())
      if ((call.Op == coTextOut || call.Op == coDrawText) && call.Text.find(text) != std::string::npos)
        return call.FontColor;
    ADD_FAILURE() << text << " was not drawn";
    return clNone;
  };
  const TColor text = colourOf("in");
  ASSERT_NE(text, clWhite);
  // Without the timer the text never disappears.
  EXPECT_EQ(colourOf("new"), text);
  grid->SetEnableBlink(true);
  ASSERT_FALSE(grid->BlinkPhase());
  EXPECT_EQ(colourOf("new"), clWhite);  // the cell's background
  EXPECT_EQ(colourOf("in"), text);
  TMessage tick;
  tick.Msg = WM_TIMER;
  tick.WParam = TExStringGrid::kHoverTimerId;
  grid->WindowProc(tick);
  ASSERT_TRUE(grid->BlinkPhase());
  EXPECT_EQ(colourOf("new"), text);
}

TEST_F(CellPaintFixture, PasswordCellsShowOneMaskPerCharacter) {
  grid->SetCells(2, 1, "ab"
                       "\xB0\xA1");  // two ASCII letters and one Hangul syllable
  grid->OnIsPasswordCell = [](TObject*, int, int col, bool& password) { password = col == 2; };
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "***");
}

TEST_F(CellPaintFixture, ZoomNeverTakesAFontToZeroOrBelow) {
  grid->Font()->SetSize(8);
  grid->SetZoomStep(-25);
  EXPECT_EQ(grid->ZoomStep(), -10);
  Draw(1, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_GE(Texts()[0].FontSize, 1);
  grid->SetZoomStep(3);
  Draw(1, 1);
  EXPECT_EQ(Texts()[0].FontSize, 11);
}

// ------------------------------------------------------------- sort indicators

struct SortIndicatorFixture : CellPaintFixture {
  void SetUp() override {
    CellPaintFixture::SetUp();
    grid->SortSettings()->SetShow(true);
    grid->SortSettings()->SetColumn(1);
    grid->SortSettings()->SetRow(0);
  }
  std::vector<TCanvasCall> PenLines(TColor color) const {
    std::vector<TCanvasCall> out;
    for (const TCanvasCall& c : canvas.CallsOf(coLineTo))
      if (c.PenColor == color) out.push_back(c);
    return out;
  }
};

TEST_F(SortIndicatorFixture, AscendingAndDescendingTrianglesSitAfterTheCaption) {
  grid->SortSettings()->SetDirection(sdAscending);
  Draw(1, 0, TGridDrawState{gdFixed});
  // "Title" is 5 characters of 6 pixels: the glyph's centre is 10 pixels past it.
  const int x = 30 + 10;
  const int y = 8;
  auto grey = PenLines(0x808080);
  ASSERT_FALSE(grey.empty());
  // Up: the grey edge runs from the apex (x, y - 4) to (x - 4, y + 4).
  EXPECT_EQ(grey[0].Points[0], (TPoint{x, y - 4}));
  EXPECT_EQ(grey[0].Points[1], (TPoint{x - 4, y + 4}));
  grid->SortSettings()->SetDirection(sdDescending);
  Draw(1, 0, TGridDrawState{gdFixed});
  grey = PenLines(0x808080);
  ASSERT_EQ(grey.size(), 2u);
  EXPECT_EQ(grey[0].Points[1], (TPoint{x - 4, y - 4}));
  EXPECT_EQ(grey[1].Points[1], (TPoint{x + 4, y - 4}));
  // Other headers carry no indicator.
  Draw(2, 0, TGridDrawState{gdFixed});
  EXPECT_TRUE(PenLines(0x808080).empty());
}

TEST_F(SortIndicatorFixture, ACentredCaptionMovesRightAndItsGlyphSitsAtTheLeft) {
  grid->OnGetAlignment = [](TObject*, int row, int, TAlignment& h, TVAlignment&) {
    if (row == 0) h = taCenter;
  };
  Draw(1, 0, TGridDrawState{gdFixed});
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Rect.Left, 2 + 10 + 14);
  auto grey = PenLines(0x808080);
  ASSERT_FALSE(grey.empty());
  EXPECT_EQ(grey[0].Points[0].X, 8);
}

TEST_F(SortIndicatorFixture, IndexNumbersShowOnTrianglesInTheIndexColour) {
  grid->SortSettings()->SetIndexShow(true);
  grid->SortSettings()->SetIndexColor(clYellow);
  grid->SortIndexes()->AddIndex(1, true);
  grid->SortIndexes()->AddIndex(3, false);
  grid->SetCells(3, 0, "Year");
  Draw(3, 0, TGridDrawState{gdFixed});
  auto polygons = canvas.CallsOf(coPolygon);
  ASSERT_EQ(polygons.size(), 1u);
  EXPECT_EQ(polygons[0].BrushColor, clYellow);
  // Descending: the triangle points down.
  EXPECT_GT(polygons[0].Points[2].Y, polygons[0].Points[0].Y);
  auto numbers = canvas.CallsOf(coTextOut);
  ASSERT_EQ(numbers.size(), 1u);
  EXPECT_EQ(numbers[0].Text, "2");
  EXPECT_EQ(numbers[0].FontSize, 6);
  Draw(1, 0, TGridDrawState{gdFixed});
  ASSERT_EQ(canvas.CallsOf(coTextOut).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(coTextOut)[0].Text, "1");
}

// ------------------------------------------------------------- looks, borders, focus

TEST_F(CellPaintFixture, FixedCellsOfTheXPLookGetTheirGradientAndEdges) {
  grid->SetLook(glXP);
  grid->SetFixedGradientFrom(0xFCE1CB);
  grid->SetFixedGradientTo(0xE0A57D);
  Draw(1, 0, TGridDrawState{gdFixed});
  auto gradients = canvas.CallsOf(coGradient);
  ASSERT_EQ(gradients.size(), 1u);
  EXPECT_EQ(gradients[0].Color, 0xFCE1CBu);
  EXPECT_EQ(gradients[0].Color2, 0xE0A57Du);
  EXPECT_EQ(gradients[0].Steps, 10);
  EXPECT_EQ(gradients[0].Flags, 0u) << "top to bottom";
  // The active header takes the active colours.
  grid->SetActiveCellShow(true);
  grid->SetActiveCellColor(9758459);
  grid->SetActiveCellColorTo(1414638);
  grid->SetCol(1);
  Draw(1, 0, TGridDrawState{gdFixed});
  gradients = canvas.CallsOf(coGradient);
  ASSERT_EQ(gradients.size(), 1u);
  EXPECT_EQ(gradients[0].Color, 9758459u);
  EXPECT_EQ(gradients[0].Color2, 1414638u);
  bool whiteEdge = false;
  for (const TCanvasCall& c : canvas.CallsOf(coLineTo)) whiteEdge |= c.PenColor == clWhite;
  EXPECT_TRUE(whiteEdge);
  // A flat grid draws no look.
  grid->SetFlat(true);
  Draw(2, 0, TGridDrawState{gdFixed});
  EXPECT_TRUE(canvas.CallsOf(coLineTo).empty());
  EXPECT_TRUE(canvas.CallsOf(coGradient).empty());
}

TEST_F(CellPaintFixture, BordersUseTheirOwnPens) {
  grid->OnGetCellBorder = [](TObject*, int row, int col, TPen* pen, TCellBorders& borders) {
    if (row == 2 && col == 2) {
      pen->SetColor(clNavy);
      borders = TCellBorders{cbLeft, cbBottom};
    }
  };
  grid->OnGetCellBorderProp = [](TObject*, int, int, TPen*, TPen*, TPen*, TPen* bottom) { bottom->SetColor(clRed); };
  Draw(2, 2);
  std::vector<TColor> colours;
  for (const TCanvasCall& c : canvas.CallsOf(coLineTo)) colours.push_back(c.PenColor);
  ASSERT_EQ(colours.size(), 2u);
  EXPECT_EQ(colours[0], clNavy);
  EXPECT_EQ(colours[1], clRed);
  Draw(1, 2);
  EXPECT_TRUE(canvas.CallsOf(coLineTo).empty());
}

TEST_F(CellPaintFixture, BackgroundTilesRunOnFromCellToCell) {
  TBitmap tile(7, 5);
  grid->BackGround()->SetBitmap(&tile);
  grid->SetColWidths(1, 20);
  Draw(2, 1);
  auto draws = canvas.CallsOf(coDraw);
  ASSERT_FALSE(draws.empty());
  // Column 2 starts 20 pixels into the tiling: the first tile starts 20 mod 7 = 6 to the left.
  EXPECT_EQ(draws[0].Rect.Left, -6);
  // A selected cell shows its selection, not the picture.
  Draw(2, 1, TGridDrawState{gdSelected});
  EXPECT_TRUE(canvas.CallsOf(coDraw).empty());
}

TEST_F(CellPaintFixture, ErrorUnderlineStaysUnderTheTextCountedInCharacters) {
  const AnsiString text = "\xB0\xA1\xB0\xA1" "ab";  // two Hangul syllables, then "ab"
  grid->SetCells(2, 1, text);
  TCellGraphic* g = grid->CreateCellGraphic(2, 1);
  g->SetCellErrFrom(2);
  g->SetCellErrLen(100);
  Draw(2, 1);
  auto lines = canvas.CallsOf(coPolyline);
  ASSERT_EQ(lines.size(), 1u);
  const int textLeft = 2;
  // From the second character (after one double-width syllable) to the text's end plus 4.
  EXPECT_EQ(lines[0].Points.front().X, textLeft + 12);
  EXPECT_EQ(lines[0].Points.back().X, textLeft + 36 + 4);
  EXPECT_EQ(lines[0].PenColor, clRed);
  g->SetCellErrFrom(9);
  g->SetCellErrLen(3);
  Draw(2, 1);
  EXPECT_TRUE(canvas.CallsOf(coPolyline).empty()) << "a range past the text draws nothing";
}

TEST_F(CellPaintFixture, RichTextKeepsItsColoursAndSurvivesBrokenInput) {
  const AnsiString rtf =
      "{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0\\fnil\\fcharset129 Gulim;}}"
      "{\\colortbl ;\\red255\\green0\\blue0;}\\pard\\f0\\fs40 \\cf1 RED\\cf0  \\'b0\\'a1\\par }";
  EXPECT_EQ(RichTextToPlainText(rtf), "RED \xB0\xA1");
  auto picture = std::make_unique<TBitmap>(120, 40);
  picture->Canvas()->Brush()->SetColor(clWhite);
  picture->Canvas()->FillRect(TRect{0, 0, 120, 40});
  DrawRichText(*picture->Canvas(), rtf, TRect{0, 0, 120, 40}, *grid->Font());
  int red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const TColor c = picture->PixelColor(x, y);
      red += GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
  EXPECT_GT(red, 10) << "the red run is drawn red";
  // A selected cell draws all of it in the selection text colour.
  TRichTextOptions options;
  options.TextColor = clBlack;
  picture->Canvas()->FillRect(TRect{0, 0, 120, 40});
  DrawRichText(*picture->Canvas(), rtf, TRect{0, 0, 120, 40}, *grid->Font(), options);
  red = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 120; ++x) {
      const TColor c = picture->PixelColor(x, y);
      red += GetRValue(c) > 200 && GetGValue(c) < 80 && GetBValue(c) < 80;
    }
  EXPECT_EQ(red, 0);
  for (const char* broken : {"{\\rtf1 {{{{ \\b", "{\\rtf1 \\'4", "{\\rtf1 \\u-3\\fs999999999999 x}}}}}",
                             "{\\rtf1{\\colortbl;\\red999;}\\cf7 \\cb99 text\\", "{\\"}) {
    EXPECT_NO_THROW(RichTextToPlainText(broken));
    EXPECT_NO_THROW(DrawRichText(*picture->Canvas(), broken, TRect{0, 0, 120, 40}, *grid->Font()));
    EXPECT_NO_THROW(MeasureRichText(broken, *grid->Font(), 50));
  }
  grid->SetCells(2, 1, rtf);
  TSize size;
  grid->GetCellTextSize(2, 1, size, false);
  EXPECT_GT(size.cx, 20);
  EXPECT_GT(size.cy, 15);
}

TEST(CellPaintFocus, TheCurrentCellOfAFocusedGridGetsAFocusRectangle) {
  TForm* form = new TForm(nullptr);
  form->SetBounds(0, 0, 300, 200);
  auto* grid = new TExStringGrid(form);
  grid->SetParent(form);
  grid->SetBounds(0, 0, 280, 180);
  grid->SetColCount(4);
  grid->SetRowCount(5);
  form->Show();
  grid->SetFocus();
  grid->SetCol(2);
  grid->SetRow(2);
  TRecordingCanvas canvas;
  auto focusRects = [&](int col, int row) {
    canvas.Clear();
    grid->DrawCellContent(&canvas, col, row, TRect{10, 10, 60, 30}, {});
    return canvas.CallsOf(coFocusRect).size();
  };
  ASSERT_TRUE(grid->Focused());
  EXPECT_EQ(focusRects(2, 2), 1u);
  EXPECT_EQ(focusRects(1, 2), 0u);
  grid->SetHideFocusRect(true);
  EXPECT_EQ(focusRects(2, 2), 0u);
  grid->SetHideFocusRect(false);
  TGridOptions options = grid->Options();
  options.insert(goRowSelect);
  grid->SetOptions(options);
  EXPECT_EQ(focusRects(2, 2), 0u) << "row selection shows no cell focus";
  delete form;
}

// ------------------------------------------------------------- measuring

TEST_F(CellPaintFixture, MeasuringAWideTextCellGivesTheSameSizeEveryTime) {
  grid->SetWideCell(2, 1, u"\u00e9t\u00e9");
  TSize first, second;
  grid->GetCellTextSize(2, 1, first, false);
  grid->SetColWidths(2, first.cx + 40);
  grid->GetCellTextSize(2, 1, second, false);
  EXPECT_EQ(first.cx, second.cx) << "the text is measured, not the column";
  EXPECT_LT(first.cx, first.cx + 40);
}

TEST_F(CellPaintFixture, MeasuringPlainTextCountsItsLines) {
  grid->SetCells(2, 1, "one\r\ntwo lines");
  TSize single, multi;
  grid->GetCellTextSize(2, 1, single, false);
  grid->SetMultilinecells(true);
  grid->GetCellTextSize(2, 1, multi, false);
  EXPECT_GT(multi.cy, single.cy);
  EXPECT_GT(multi.cx, single.cx);
}

// ------------------------------------------------------------- hidden columns, exports

TEST_F(CellPaintFixture, AHiddenColumnsNeighbourShowsItsOwnText) {
  grid->SetCells(2, 1, "hidden");
  grid->SetCells(3, 1, "shown");
  grid->CellPropertiesAt(3, 1)->SetBrushColor(0x0D0D0D);
  grid->HideColumn(2);
  Draw(2, 1);
  ASSERT_EQ(Texts().size(), 1u);
  EXPECT_EQ(Texts()[0].Text, "shown");
  EXPECT_EQ(Background(2, 1), 0x0D0D0Du);
}

TEST_F(CellPaintFixture, ExportTextDropsTagsAndGivesCheckTexts) {
  grid->SetCells(2, 1, "<B>Oldboy</B>");
  EXPECT_EQ(grid->GetExportText(2, 1), "Oldboy");
  grid->SetExportHtmlTags(true);
  EXPECT_EQ(grid->GetExportText(2, 1), "<B>Oldboy</B>");
  TCellGraphic* box = grid->CreateCellGraphic(3, 1);
  box->SetCellType(ctCheckBox);
  box->SetCellBoolean(true);
  EXPECT_EQ(grid->GetExportText(3, 1), "Y");
  box->SetCellBoolean(false);
  EXPECT_EQ(grid->GetExportText(3, 1), "N");
}

TEST_F(CellPaintFixture, AutoDeleteEmptiesTheLastScrollingRowInsteadOfRemovingIt) {
  int deleted = -1, inserted = -1;
  grid->OnAutoDeleteRow = [&](TObject*, int row) { deleted = row; };
  grid->OnAutoInsertRow = [&](TObject*, int row) { inserted = row; };
  grid->AutoInsertRow(2);
  EXPECT_EQ(inserted, 2);
  EXPECT_EQ(grid->RowCount(), 9);
  grid->AutoDeleteRow(2);
  EXPECT_EQ(deleted, 2);
  EXPECT_EQ(grid->RowCount(), 8);
  grid->SetRowCount(2);
  grid->SetCells(1, 1, "last");
  grid->AutoDeleteRow(1);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Cells(1, 1), "");
}

}  // namespace
