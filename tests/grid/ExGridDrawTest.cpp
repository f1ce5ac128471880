// Cell graphics on the recording canvas and on pictures: every graphic type
// and control style, check boxes by their check texts, radio groups,
// progress bars and pies with values out of range, image indexes out of
// range, node glyphs with tree lines over collapsed and expanded groups.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "platform/rtl/Cp949.h"

namespace {

struct CellGraphicDrawFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  TRecordingCanvas canvas;
  TRect cell{0, 0, 100, 24};
  void SetUp() override {
    grid->SetColCount(4);
    grid->SetRowCount(8);
    canvas.SetFixedMetrics(6, 13);
    TGridOptions options = grid->Options();
    options.insert(goEditing);
    grid->SetOptions(options);
  }
  TCellGraphic* Graphic(int col, int row, TCellType type) {
    TCellGraphic* g = grid->CreateCellGraphic(col, row);
    g->SetCellType(type);
    return g;
  }
  void Draw(int col, int row) {
    canvas.Clear();
    grid->DrawCellContent(&canvas, col, row, cell, {});
  }
  // The pixels a drawing leaves on a white picture.
  std::unique_ptr<TBitmap> Picture(int col, int row) {
    auto picture = std::make_unique<TBitmap>(cell.Width(), cell.Height());
    picture->Canvas()->Brush()->SetColor(clWhite);
    picture->Canvas()->FillRect(cell);
    grid->DrawCellContent(picture->Canvas(), col, row, cell, {});
    return picture;
  }
  static int Differences(const std::unique_ptr<TBitmap>& pa, const std::unique_ptr<TBitmap>& pb) {
    const TBitmap& a = *pa;
    const TBitmap& b = *pb;
    int n = 0;
    for (int y = 0; y < a.Height(); ++y)
      for (int x = 0; x < a.Width(); ++x) n += a.PixelColor(x, y) != b.PixelColor(x, y);
    return n;
  }
};

TEST_F(CellGraphicDrawFixture, DataCheckBoxesAreCheckedByTheirTextByteForByte) {
  grid->ControlLook()->SetControlStyle(csQuorvex);
  Graphic(1, 1, ctDataCheckBox);
  Graphic(1, 2, ctDataCheckBox);
  grid->SetCells(1, 1, "Y");
  grid->SetCells(1, 2, "y");
  Draw(1, 1);
  EXPECT_EQ(canvas.CallsOf(coPolyline).size(), 1u) << "the tick of a checked box";
  EXPECT_TRUE(canvas.CallsOf(coDrawText).empty()) << "a data check box shows no text";
  Draw(1, 2);
  EXPECT_TRUE(canvas.CallsOf(coPolyline).empty());
  grid->OnGetCheckTrue = [](TObject*, int, int, AnsiString& value) { value = "y"; };
  Draw(1, 2);
  EXPECT_EQ(canvas.CallsOf(coPolyline).size(), 1u);
}

TEST_F(CellGraphicDrawFixture, CheckBoxesLookDifferentCheckedAndUncheckedInEveryStyle) {
  TCellGraphic* g = Graphic(1, 1, ctCheckBox);
  for (TGridControlStyle style : {csClassic, csFlat, csWinXP, csQuorvex, csGradient, csTheme}) {
    grid->ControlLook()->SetControlStyle(style);
    g->SetCellBoolean(true);
    const auto checked = Picture(1, 1);
    g->SetCellBoolean(false);
    const auto unchecked = Picture(1, 1);
    EXPECT_GT(Differences(checked, unchecked), 4) << "style " << style;
  }
  // Glyph style without glyphs draws nothing; with them, the glyph.
  grid->ControlLook()->SetControlStyle(csGlyph);
  Draw(1, 1);
  EXPECT_TRUE(canvas.CallsOf(coDraw).empty());
  grid->ControlLook()->UnCheckedGlyph()->SetSize(15, 15);
  Draw(1, 1);
  EXPECT_EQ(canvas.CallsOf(coDraw).size(), 1u);
}

TEST_F(CellGraphicDrawFixture, ACheckBoxBeforeLeftAlignedTextSitsAtTheCellsLeft) {
  grid->ControlLook()->SetControlStyle(csQuorvex);
  TCellGraphic* g = Graphic(1, 1, ctCheckBox);
  g->SetCellHAlign(haBeforeText);
  g->SetCellBoolean(true);
  grid->SetCells(1, 1, "Seen");
  Draw(1, 1);
  auto boxes = canvas.CallsOf(coRectangle);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Rect.Left, cell.Left + 1);
  auto texts = canvas.CallsOf(coDrawText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_GE(texts[0].Rect.Left, boxes[0].Rect.Right) << "the text starts after the box";
}

TEST_F(CellGraphicDrawFixture, RadioGroupsMarkTheSelectedItem) {
  grid->ControlLook()->SetControlStyle(csClassic);
  TCellGraphic* g = Graphic(1, 1, ctRadio);
  g->SetCellCreated(true);
  auto* items = new TStringList();
  items->Add("DVD");
  items->Add("Blu-ray");
  g->SetPayload(items);
  g->SetCellIndex(1);
  Draw(1, 1);
  auto captions = canvas.CallsOf(coTextOut);
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_LT(captions[0].Points[0].Y, captions[1].Points[0].Y) << "vertical layout";
  // Horizontal, the selected item found by the cell text.
  g->SetCellBoolean(true);
  g->SetCellIndex(-1);
  grid->SetCells(1, 1, "DVD");
  const auto dvd = Picture(1, 1);
  grid->SetCells(1, 1, "Blu-ray");
  const auto bluRay = Picture(1, 1);
  EXPECT_GT(Differences(dvd, bluRay), 2);
  Draw(1, 1);
  captions = canvas.CallsOf(coTextOut);
  ASSERT_EQ(captions.size(), 2u);
  EXPECT_EQ(captions[0].Points[0].Y, captions[1].Points[0].Y);
  EXPECT_LT(captions[0].Points[0].X, captions[1].Points[0].X);
}

TEST_F(CellGraphicDrawFixture, ProgressBarsFillHalfAtFiftyAndClampOutOfRangeValues) {
  grid->ControlLook()->SetControlStyle(csClassic);
  TCellGraphic* g = Graphic(1, 1, ctProgress);
  g->SetProgressColors(clNavy, clWhite);
  grid->SetCells(1, 1, "50");
  Draw(1, 1);
  auto parts = canvas.CallsOf(coTextRect);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0].Text, "50%");
  EXPECT_EQ(parts[0].BrushColor, clNavy);
  EXPECT_EQ(parts[1].BrushColor, clWhite);
  EXPECT_EQ(parts[0].FontColor, InvertedColor(clNavy));
  EXPECT_NEAR(parts[0].Rect.Width(), parts[1].Rect.Width(), 1) << "half filled";
  EXPECT_EQ(parts[0].Points[0], parts[1].Points[0]) << "the percentage is centred once over both parts";
  grid->SetCells(1, 1, "250");
  Draw(1, 1);
  parts = canvas.CallsOf(coTextRect);
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].Text, "100%");
  grid->SetCells(1, 1, "-7");
  Draw(1, 1);
  parts = canvas.CallsOf(coTextRect);
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].Text, "0%");
}

TEST_F(CellGraphicDrawFixture, APieIsDrawnAsAPieNeverFloodFilled) {
  TCellGraphic* g = Graphic(1, 1, ctProgressPie);
  g->SetCellAngle(static_cast<int>(clGreen));
  grid->SetCells(1, 1, "25");
  Draw(1, 1);
  EXPECT_TRUE(canvas.CallsOf(coFloodFill).empty());
  auto pies = canvas.CallsOf(coPie);
  ASSERT_EQ(pies.size(), 1u);
  EXPECT_EQ(pies[0].BrushColor, clGreen);
  // On a picture, nothing outside the 20 x 20 box changes.
  grid->SetCells(1, 1, "75");
  const auto picture = Picture(1, 1);
  int outside = 0;
  for (int y = 0; y < picture->Height(); ++y)
    for (int x = 30; x < picture->Width(); ++x) outside += picture->PixelColor(x, y) != 0xFFFFFF;
  EXPECT_EQ(outside, 0);
  grid->SetCells(1, 1, "1000");
  Draw(1, 1);
  EXPECT_EQ(canvas.CallsOf(coEllipse).size(), 2u) << "a full pie is a filled ellipse";
}

TEST_F(CellGraphicDrawFixture, ImageIndexesOutsideTheListDrawNothing) {
  TCustomImageList images(nullptr);
  images.SetWidth(8);
  images.SetHeight(8);
  TBitmap strip(16, 8);
  images.Add(&strip, nullptr);
  grid->SetGridImages(&images);
  TCellGraphic* g = Graphic(1, 1, ctImageList);
  g->SetCellIndex(1);
  Draw(1, 1);
  EXPECT_FALSE(canvas.CallsOf(coDraw).empty() && canvas.CallsOf(coCopyRect).empty() &&
               canvas.CallsOf(coStretchDraw).empty());
  const std::size_t drawn = canvas.Calls().size();
  g->SetCellIndex(7);
  Draw(1, 1);
  EXPECT_LT(canvas.Calls().size(), drawn);
  TCellGraphic* data = Graphic(2, 1, ctDataImage);
  data->SetCellIndex(0);
  grid->SetCells(2, 1, "2147483647");
  Draw(2, 1);  // the sum overflows an int: still nothing drawn, no crash
  TCellGraphic* list = Graphic(3, 1, ctImages);
  list->SetCellCreated(true);
  auto* indexes = new TIntList(3, 1);
  indexes->Add(0);
  indexes->Add(5);
  indexes->Add(1);
  list->SetPayload(indexes);
  Draw(3, 1);
  EXPECT_EQ(grid->GraphicExtent(3, 1).Height, 24) << "three images stacked vertically";
  grid->SetGridImages(nullptr);
}

TEST_F(CellGraphicDrawFixture, CommentsButtonsAndRotatedTextDrawInTheirCells) {
  Graphic(1, 1, ctComment);
  Draw(1, 1);
  auto triangles = canvas.CallsOf(coPolygon);
  ASSERT_EQ(triangles.size(), 1u);
  EXPECT_EQ(triangles[0].BrushColor, clRed);
  EXPECT_EQ(triangles[0].Points[0], (TPoint{cell.Right - 7, cell.Top}));

  TCellGraphic* button = Graphic(2, 1, ctButton);
  button->SetCellIndex((18 << 16) | 60);
  button->SetCellText("Play");
  Draw(2, 1);
  auto captions = canvas.CallsOf(coDrawText);
  ASSERT_FALSE(captions.empty());
  EXPECT_EQ(captions.back().Text, "Play");
  // The click test finds the button where it was drawn.
  {
    grid->SetColWidths(2, 100);
    grid->SetRowHeights(1, 24);
    const TRect whole = grid->MergedCellRect(2, 1);
    TRect inner = whole;
    InflateRect(inner, -1, -1);
    canvas.Clear();
    grid->DrawCellContent(&canvas, 2, 1, inner, {});
    const TRect hit = grid->GetCellGraphicRect(2, 1);
    EXPECT_EQ(hit.Left, inner.Left + 1);
    EXPECT_EQ(hit.Top, inner.Top + 1);
    EXPECT_EQ(hit.Width(), 60);
    EXPECT_EQ(hit.Height(), 18);
  }

  TCellGraphic* rotated = Graphic(3, 1, ctRotated);
  rotated->SetCellAngle(90);
  grid->SetCells(3, 1, "Up");
  Draw(3, 1);
  auto texts = canvas.CallsOf(coTextOut);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_GE(texts[0].Points[0].X, cell.Left + 2);
  EXPECT_LE(texts[0].Points[0].Y, cell.Bottom - 2);
  // Placed by the vertical alignment: top, centre, bottom.
  cell = {0, 0, 100, 60};
  std::vector<int> starts;
  for (TVAlignment v : {vtaTop, vtaCenter, vtaBottom}) {
    grid->SetVAlignment(v);
    Draw(3, 1);
    starts.push_back(canvas.CallsOf(coTextOut).at(0).Points[0].Y);
  }
  EXPECT_TRUE(starts[0] < starts[1] && starts[1] < starts[2]) << starts[0] << " " << starts[1] << " " << starts[2];
}

TEST_F(CellGraphicDrawFixture, PicturesBitmapsAndFilePicturesDrawInTheirBox) {
  auto bitmap = std::make_unique<TBitmap>(10, 6);
  bitmap->Canvas()->Brush()->SetColor(clFuchsia);
  bitmap->Canvas()->FillRect(TRect{0, 0, 10, 6});
  bitmap->Canvas()->Brush()->SetColor(clNavy);
  bitmap->Canvas()->FillRect(TRect{2, 2, 8, 4});
  TCellGraphic* g = Graphic(1, 1, ctBitmap);
  g->SetPayload(bitmap.get());
  g->SetCellTransparent(true);
  g->SetCellHAlign(haRight);
  grid->CellPropertiesAt(1, 1)->SetBrushColor(clYellow);
  const auto picture = Picture(1, 1);
  // At the right edge, with the key colour showing the cell's background.
  EXPECT_EQ(picture->PixelColor(cell.Right - 1 - 10 + 4, 1 + 3), RGB(0, 0, 128));
  EXPECT_NE(picture->PixelColor(cell.Right - 1 - 10, 1), RGB(255, 0, 255));
  g->SetPayload(nullptr);

  TCellGraphic* p = Graphic(2, 1, ctPicture);
  p->SetCellCreated(true);
  auto* held = new TPicture();
  held->Bitmap()->SetSize(200, 100);
  p->SetPayload(held);
  p->SetCellAngle(1);
  Draw(2, 1);
  auto stretched = canvas.CallsOf(coStretchDraw);
  ASSERT_EQ(stretched.size(), 1u);
  EXPECT_LE(stretched[0].Rect.Width(), cell.Width()) << "fitted into the cell";
  EXPECT_LE(stretched[0].Rect.Height(), cell.Height());

  TCellGraphic* f = Graphic(3, 1, ctFilePicture);
  f->SetCellCreated(true);
  auto* file = new TFilePicture();
  file->SetStored("/nonexistent/poster.jpg", 30, 40);
  f->SetPayload(file);
  EXPECT_NO_THROW(Draw(3, 1));
  Graphic(3, 2, ctIcon);
  EXPECT_NO_THROW(Draw(3, 2));
}

TEST_F(CellGraphicDrawFixture, EveryLookDrawsItsFixedCells) {
  grid->SetCells(1, 0, "Title");
  std::vector<std::size_t> counts;
  for (TGridLook look : {glStandard, glSoft, glClassic, glGradient, glXP, glListView}) {
    grid->SetLook(look);
    canvas.Clear();
    grid->DrawCellContent(&canvas, 1, 0, cell, TGridDrawState{gdFixed});
    ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u) << look;
    counts.push_back(canvas.Calls().size());
  }
  EXPECT_EQ(counts[0], 1u) << "the standard look adds nothing to the text";
  for (std::size_t i = 1; i < counts.size(); ++i) EXPECT_GT(counts[i], counts[0]) << i;
}

TEST_F(CellGraphicDrawFixture, TheRowIndicatorMovesTheCurrentRowsText) {
  grid->SetCells(0, 2, "7");
  grid->SetRow(2);
  grid->RowIndicator()->SetSize(9, 9);
  canvas.Clear();
  grid->DrawCellContent(&canvas, 0, 2, cell, TGridDrawState{gdFixed});
  ASSERT_EQ(canvas.CallsOf(coDraw).size(), 1u);
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(coDrawText)[0].Rect.Left, cell.Left + 9 + 2);
  canvas.Clear();
  grid->DrawCellContent(&canvas, 0, 3, cell, TGridDrawState{gdFixed});
  EXPECT_TRUE(canvas.CallsOf(coDraw).empty());
  // It marks the current row also while the selection is hidden.
  grid->HideSelection();
  canvas.Clear();
  grid->DrawCellContent(&canvas, 0, 2, cell, TGridDrawState{gdFixed});
  EXPECT_EQ(canvas.CallsOf(coDraw).size(), 1u);
}

TEST_F(CellGraphicDrawFixture, AComboButtonTakesTheRightOfItsCellWhenAlwaysVisible) {
  grid->SetCells(1, 1, "DVD");
  grid->OnHasComboBox = [](TObject*, int col, int, bool& has) { has = col == 1; };
  grid->OnGetAlignment = [](TObject*, int, int, TAlignment& h, TVAlignment&) { h = taRightJustify; };
  Draw(1, 1);
  const std::size_t without = canvas.Calls().size();
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  const int rightWithout = canvas.CallsOf(coDrawText)[0].Rect.Right;
  grid->ControlLook()->SetDropDownAlwaysVisible(true);
  Draw(1, 1);
  EXPECT_GT(canvas.Calls().size(), without);
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_EQ(canvas.CallsOf(coDrawText)[0].Rect.Right, rightWithout - 16) << "the text keeps clear of the button";
}

// ------------------------------------------------------------- nodes

struct NodeDrawFixture : CellGraphicDrawFixture {
  void SetUp() override {
    CellGraphicDrawFixture::SetUp();
    grid->SetRowCount(9);
    for (int r = 1; r < 9; ++r) grid->SetCells(1, r, "row " + IntToStr(r));
    grid->AddNode(1, 4);  // rows 1..4: the node row and three rows under it
    grid->CellNode()->SetTreeColor(0x00A0A0);
  }
  // The rect the base grid hands over: past the row's indent.
  void DrawNodeCell(int row) {
    canvas.Clear();
    TRect r = cell;
    r.Left += grid->GetCellIndent(row);
    grid->DrawCellContent(&canvas, 0, row, r, {});
  }
  std::vector<TCanvasCall> TreeLines() const {
    std::vector<TCanvasCall> out;
    for (const TCanvasCall& c : canvas.CallsOf(coLineTo))
      if (c.PenColor == 0x00A0A0) out.push_back(c);
    return out;
  }
};

TEST_F(NodeDrawFixture, FlatNodesShowPlusWhenCollapsedAndMinusWhenExpanded) {
  grid->CellNode()->SetNodeType(cnFlat);
  grid->CellNode()->SetNodeColor(clBlack);
  auto blackLines = [&] {
    int n = 0;
    for (const TCanvasCall& c : canvas.CallsOf(coLineTo)) n += c.PenColor == clBlack;
    return n;
  };
  DrawNodeCell(1);
  EXPECT_EQ(blackLines(), 1) << "minus";
  grid->CollapseNode(1);
  DrawNodeCell(1);
  EXPECT_EQ(blackLines(), 2) << "plus";
  // The box sits in the node's indent step.
  auto boxes = canvas.CallsOf(coRectangle);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].Rect.Left, cell.Left + 4);
}

TEST_F(NodeDrawFixture, XPNodesDrawTheirGlyphOpenOrClosed) {
  grid->CellNode()->SetNodeType(cnXP);
  grid->SetColWidths(0, 100);
  auto open = std::make_unique<TBitmap>(100, 24), closed = std::make_unique<TBitmap>(100, 24);
  open->Canvas()->Brush()->SetColor(clWhite);
  open->Canvas()->FillRect(cell);
  closed->Canvas()->Brush()->SetColor(clWhite);
  closed->Canvas()->FillRect(cell);
  TRect r = cell;
  r.Left += grid->GetCellIndent(1);
  grid->DrawCellContent(open->Canvas(), 0, 1, r, {});
  grid->CollapseNode(1);
  grid->DrawCellContent(closed->Canvas(), 0, 1, r, {});
  EXPECT_GT(Differences(open, closed), 0);
  // The glyph is the platform's 9 x 9 picture at (x + 4, mid - 4).
  TBitmap glyph;
  glyph.LoadFromResourceName("XPNODEC");
  EXPECT_EQ(closed->PixelColor(4 + 4, 12 - 4 + 4), glyph.PixelColor(4, 4));
}

TEST_F(NodeDrawFixture, TreeLinesJoinTheRowsOfAnExpandedGroup) {
  grid->SetCells(0, 2, "child");
  DrawNodeCell(2);
  auto lines = TreeLines();
  ASSERT_EQ(lines.size(), 2u) << "a stub and a line on to the next row";
  EXPECT_EQ(lines[0].Points[0].Y, lines[0].Points[1].Y) << "horizontal stub";
  ASSERT_EQ(canvas.CallsOf(coDrawText).size(), 1u);
  EXPECT_LE(std::max(lines[0].Points[0].X, lines[0].Points[1].X), canvas.CallsOf(coDrawText)[0].Rect.Left)
      << "the stub stops before the text";
  EXPECT_EQ(lines[1].Points[1].Y, cell.Bottom) << "followed by a row of the same level";
  DrawNodeCell(4);
  lines = TreeLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[1].Points[1].Y, cell.Top + cell.Height() / 2) << "the last row ends at its middle";
  // Rows outside the group carry none.
  DrawNodeCell(6);
  EXPECT_TRUE(TreeLines().empty());
  grid->CellNode()->SetShowTree(false);
  DrawNodeCell(2);
  EXPECT_TRUE(TreeLines().empty());
}

TEST_F(NodeDrawFixture, ACollapsedGroupDrawsNoLineDownFromItsNode) {
  grid->CellNode()->SetNodeType(cnFlat);
  DrawNodeCell(1);
  const std::size_t expanded = TreeLines().size();
  grid->CollapseNode(1);
  DrawNodeCell(1);
  EXPECT_EQ(TreeLines().size() + 1, expanded);
}

}  // namespace
