// Cell graphics of the string grid: creating and removing them without
// leaks, check boxes and radio groups as a user toggles them, the graphic
// sizes, the per-cell queries with their events, and graphics and hidden
// rows kept through the grid file.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"

namespace {

// A payload that counts how many are alive.
class TCountedPayload : public TStringList {
 public:
  static int alive;
  TCountedPayload() { ++alive; }
  ~TCountedPayload() override { --alive; }
};
int TCountedPayload::alive = 0;

struct GraphicsFixture : ::testing::Test {
  std::unique_ptr<TExStringGrid> grid = std::make_unique<TExStringGrid>(nullptr);
  void SetUp() override {
    TCountedPayload::alive = 0;
    grid->SetColCount(4);
    grid->SetRowCount(6);
    TGridOptions options = grid->Options();
    options.insert(goEditing);
    grid->SetOptions(options);
  }
  TCellGraphic* Owned(int col, int row, TCellType type) {
    TCellGraphic* g = grid->CreateCellGraphic(col, row);
    g->SetCellType(type);
    g->SetCellCreated(true);
    g->SetPayload(new TCountedPayload());
    return g;
  }
  void TearDown() override {
    grid.reset();
    EXPECT_EQ(TCountedPayload::alive, 0) << "payloads left after the grid went";
  }
};

TEST_F(GraphicsFixture, CreatingAGraphicReplacesTheOldOneAndStartsAsNone) {
  EXPECT_EQ(grid->GetCellType(1, 1), ctEmpty);
  EXPECT_EQ(grid->GetCellType(-1, 1), ctEmpty);
  EXPECT_FALSE(grid->HasCellProperties(1, 1));
  Owned(1, 1, ctRadio);
  EXPECT_EQ(TCountedPayload::alive, 1);
  TCellGraphic* fresh = grid->CreateCellGraphic(1, 1);
  EXPECT_EQ(TCountedPayload::alive, 0) << "the old graphic and its payload are freed";
  EXPECT_EQ(grid->GetCellType(1, 1), ctNone);
  EXPECT_EQ(fresh->Payload(), nullptr);
  EXPECT_FALSE(fresh->CellCreated());
  EXPECT_EQ(grid->GetCellGraphic(1, 1), fresh);
  EXPECT_TRUE(grid->RemoveCellGraphic(1, 1));
  EXPECT_FALSE(grid->RemoveCellGraphic(1, 1));
  EXPECT_EQ(grid->GetCellType(1, 1), ctEmpty);
}

TEST_F(GraphicsFixture, GraphicsGoWithTheirCellsWhateverRemovesThem) {
  Owned(1, 1, ctBitmap);
  Owned(2, 2, ctRadio);
  Owned(3, 3, ctImages);
  Owned(2, 4, ctPicture);
  grid->RemoveRows(1, 1);
  EXPECT_EQ(TCountedPayload::alive, 3);
  grid->ClearCellRange(2, 1, 2, 1);  // the radio moved up to row 1
  EXPECT_EQ(TCountedPayload::alive, 2);
  grid->HideRow(2);  // row 2 holds the images graphic now
  EXPECT_EQ(grid->GetCellType(2, 2), ctPicture) << "the picture's row moved up";
  grid->SetRowCount(2);  // drops it
  EXPECT_EQ(TCountedPayload::alive, 1);
  EXPECT_FALSE(grid->RemoveCellGraphicOfType(3, 2, ctRadio));
  // The hidden row's graphic is freed by the grid's destructor (TearDown).
}

TEST_F(GraphicsFixture, TheClassLibrarysLineDeletionAndReplacedPropertiesFreeGraphicsToo) {
  Owned(1, 1, ctBitmap);
  Owned(2, 3, ctRadio);
  Owned(1, 4, ctRadio);
  grid->DeleteRow(1);
  EXPECT_EQ(TCountedPayload::alive, 2);
  grid->ReplaceCellProperties(2, 2, new TCellProperties(grid.get(), 2, 2));
  EXPECT_EQ(TCountedPayload::alive, 1);
  grid->DeleteColumn(1);
  EXPECT_EQ(TCountedPayload::alive, 0);
}

TEST_F(GraphicsFixture, ApplicationPayloadsAndSharedCheckBoxesAreNotTheCellsToFree) {
  TCountedPayload mine;
  TCellGraphic* g = grid->CreateCellGraphic(1, 1);
  g->SetCellType(ctBitmap);
  g->SetPayload(&mine);  // CellCreated stays False
  EXPECT_TRUE(grid->RemoveCellGraphic(1, 1));
  EXPECT_EQ(TCountedPayload::alive, 1);

  TCellGraphic shared;
  shared.SetCellType(ctVirtCheckBox);
  grid->CellPropertiesAt(2, 2)->SetCellGraphic(&shared);
  EXPECT_TRUE(grid->IsCheckBox(2, 2));
  EXPECT_TRUE(grid->RemoveCellGraphic(2, 2));  // detached, not freed (ASan)
  grid->CellPropertiesAt(2, 3)->SetCellGraphic(&shared);
  grid->RemoveRows(3, 1);
}

TEST_F(GraphicsFixture, AssignCopiesFieldsButNeverThePayloadOrItsOwnership) {
  TCellGraphic source;
  source.SetCellType(ctComment);
  source.SetCellText("메모"_k);
  source.SetCellIndex(7);
  source.SetCellErrFrom(3);
  source.SetCellErrLen(40000);  // Smallint in the file
  source.SetCellCreated(true);
  TCellGraphic dest;
  TCountedPayload theirs;
  dest.SetPayload(&theirs);
  dest.Assign(&source);
  EXPECT_EQ(dest.CellType(), ctComment);
  EXPECT_EQ(dest.CellText(), "메모"_k);
  EXPECT_EQ(dest.CellIndex(), 7);
  EXPECT_EQ(dest.CellErrLen(), static_cast<std::int16_t>(40000));
  EXPECT_FALSE(dest.CellCreated()) << "dest would free a payload it does not own";
  EXPECT_EQ(dest.Payload(), &theirs);
  TCellGraphic empty;
  empty.Assign(&source);
  EXPECT_TRUE(empty.CellCreated());
  EXPECT_EQ(empty.Payload(), nullptr);
}

// ------------------------------------------------------------- check boxes and radios

TEST_F(GraphicsFixture, DataCheckBoxTogglesBetweenTheCheckTexts) {
  grid->CreateCellGraphic(1, 1)->SetCellType(ctDataCheckBox);
  grid->SetCells(1, 1, "N");
  EXPECT_TRUE(grid->ToggleCheckBox(1, 1, false));
  EXPECT_EQ(grid->Cells(1, 1), "Y");
  EXPECT_TRUE(grid->ToggleCheckBox(1, 1, false));
  EXPECT_EQ(grid->Cells(1, 1), "N");
  grid->SetCells(1, 1, "maybe");
  grid->ToggleCheckBox(1, 1, false);
  EXPECT_EQ(grid->Cells(1, 1), "Y");
  bool state = false;
  EXPECT_TRUE(grid->GetCheckBoxState(1, 1, state));
  EXPECT_TRUE(state);

  // The check-true query and its event decide what "checked" reads.
  grid->OnGetCheckTrue = [](TObject*, int, int, AnsiString& value) { value = "예"_k; };
  grid->OnGetCheckFalse = [](TObject*, int, int, AnsiString& value) { value = "아니오"_k; };
  EXPECT_TRUE(grid->GetCheckBoxState(1, 1, state));
  EXPECT_FALSE(state);
  grid->ToggleCheckBox(1, 1, false);
  EXPECT_EQ(grid->Cells(1, 1), "예"_k);
  grid->ToggleCheckBox(1, 1, false);
  EXPECT_EQ(grid->Cells(1, 1), "아니오"_k);
  EXPECT_TRUE(grid->SetCheckBoxState(1, 1, true));
  EXPECT_EQ(grid->Cells(1, 1), "예"_k);
}

TEST_F(GraphicsFixture, CheckBoxTogglesItsStateOnlyWhereTheCellMayBeEdited) {
  TCellGraphic* box = grid->CreateCellGraphic(2, 2);
  box->SetCellType(ctCheckBox);
  EXPECT_TRUE(grid->ToggleCheckBox(2, 2, true));
  EXPECT_TRUE(box->CellBoolean());
  grid->CellPropertiesAt(2, 2)->SetReadOnly(true);
  EXPECT_FALSE(grid->ToggleCheckBox(2, 2, true));
  EXPECT_TRUE(box->CellBoolean());
  EXPECT_TRUE(grid->ToggleCheckBox(2, 2, false)) << "without the check the program may toggle";
  EXPECT_FALSE(box->CellBoolean());
  EXPECT_FALSE(grid->ToggleCheckBox(1, 1, false)) << "no check box there";

  grid->CreateCellGraphic(2, 3)->SetCellType(ctCheckBox);
  grid->CreateCellGraphic(2, 4)->SetCellType(ctDataCheckBox);
  grid->CheckAll(2);
  bool state = false;
  for (int r = 3; r <= 4; ++r) {
    EXPECT_TRUE(grid->GetCheckBoxState(2, r, state));
    EXPECT_TRUE(state) << r;
  }
  EXPECT_FALSE(grid->GetCheckBoxState(2, 5, state));
  grid->UncheckAll(2);
  EXPECT_EQ(grid->Cells(2, 4), "N");
}

TEST_F(GraphicsFixture, RadioGroupMovesToTheNextItemAndWraps) {
  TCellGraphic* radio = Owned(1, 1, ctRadio);
  for (const char* item : {"A", "B", "C"}) radio->CellStrings()->Add(item);
  radio->SetCellIndex(2);
  EXPECT_TRUE(grid->NextRadioItem(1, 1, false));
  EXPECT_EQ(radio->CellIndex(), 0);
  EXPECT_EQ(grid->Cells(1, 1), "A");
  int index = -5;
  EXPECT_TRUE(grid->GetRadioIndex(1, 1, index));
  EXPECT_EQ(index, 0);
  // Without an index the text says where the group stands.
  radio->SetCellIndex(-1);
  grid->SetCells(1, 1, "B");
  grid->NextRadioItem(1, 1, false);
  EXPECT_EQ(grid->Cells(1, 1), "C");
  EXPECT_EQ(radio->CellIndex(), -1);
  EXPECT_TRUE(grid->IsRadio(1, 1));
  EXPECT_TRUE(grid->HasCheckOrRadio(1, 1));
  EXPECT_EQ(grid->GetRadioItems(1, 1), radio->CellStrings());

  TCellGraphic* empty = grid->CreateCellGraphic(2, 1);
  empty->SetCellType(ctRadio);
  EXPECT_FALSE(grid->NextRadioItem(2, 1, false)) << "a group without items stays";
}

TEST_F(GraphicsFixture, PointInCheckBoxIsTheSquareOnlyWhenPreciseChecking) {
  TCellGraphic* box = grid->CreateCellGraphic(1, 1);
  box->SetCellType(ctCheckBox);
  const TRect r = grid->CellRect(1, 1);
  EXPECT_TRUE(grid->PointInCheckBox(1, 1, r.Right - 1, r.Bottom - 1));
  EXPECT_FALSE(grid->PointInCheckBox(2, 1, r.Left + 3, r.Top + 3));
  grid->MouseActions()->SetPreciseCheckBoxCheck(true);
  EXPECT_TRUE(grid->PointInCheckBox(1, 1, r.Left + 3, r.Top + 3));
  EXPECT_FALSE(grid->PointInCheckBox(1, 1, r.Left + 2 + 15, r.Top + 3));
  box->SetCellVAlign(vaBottom);
  EXPECT_TRUE(grid->PointInCheckBox(1, 1, r.Left + 3, r.Bottom - 3));
}

TEST_F(GraphicsFixture, GraphicSizesFollowTheTable) {
  grid->CreateCellGraphic(1, 1)->SetCellType(ctCheckBox);
  EXPECT_EQ(grid->GetCellGraphicSize(1, 1), (TPoint{15, 15}));
  grid->ControlLook()->SetCheckSize(20);
  EXPECT_EQ(grid->GetCellGraphicSize(1, 1), (TPoint{20, 20}));
  TCellGraphic* button = grid->CreateCellGraphic(2, 1);
  button->SetCellType(ctButton);
  button->SetCellIndex((18 << 16) | 40);
  EXPECT_EQ(grid->GetCellGraphicSize(2, 1), (TPoint{40, 18}));
  button->SetCellHAlign(haFull);
  EXPECT_EQ(grid->GetCellGraphicSize(2, 1).X, grid->ColWidths(2));
  grid->CreateCellGraphic(3, 1)->SetCellType(ctProgressPie);
  EXPECT_EQ(grid->GetCellGraphicSize(3, 1), (TPoint{20, 20}));
  grid->CreateCellGraphic(1, 2)->SetCellType(ctImageList);
  EXPECT_EQ(grid->GetCellGraphicSize(1, 2), (TPoint{0, 0})) << "no image list";
  EXPECT_EQ(grid->GetCellGraphicSize(2, 2), (TPoint{0, 0}));
  TCellGraphic* radio = Owned(3, 2, ctRadio);
  radio->CellStrings()->Add("하나"_k);
  radio->CellStrings()->Add("둘"_k);
  const TPoint vertical = grid->GetCellGraphicSize(3, 2);
  radio->SetCellBoolean(true);
  const TPoint horizontal = grid->GetCellGraphicSize(3, 2);
  EXPECT_EQ(vertical.Y, 2 * horizontal.Y);
  EXPECT_GT(horizontal.X, vertical.X);
}

// ------------------------------------------------------------- per-cell queries

TEST_F(GraphicsFixture, CellQueriesGiveTheirAnswerThenTheEventsSay) {
  TCellProperties* props = grid->CellPropertiesAt(2, 2);
  props->SetBrushColor(clRed);
  props->SetFontName("NanumGothic");
  TBrush brush;
  TFont font;
  brush.SetColor(clWhite);
  grid->GetCellColor(2, 2, {}, &brush, &font);
  EXPECT_EQ(brush.Color(), clRed);
  EXPECT_EQ(font.Name(), "NanumGothic");
  grid->OnGetCellColor = [](TObject*, int row, int col, TGridDrawState, TBrush* b, TFont*) {
    if (row == 2 && col == 2) b->SetColor(clBlue);
  };
  grid->GetCellColor(2, 2, {}, &brush, &font);
  EXPECT_EQ(brush.Color(), clBlue);

  bool canEdit = true;
  grid->CanEditCell(2, 2, canEdit);
  EXPECT_TRUE(canEdit);
  props->SetReadOnly(true);
  grid->CanEditCell(2, 2, canEdit);
  EXPECT_FALSE(canEdit);
  int eventRow = -1;
  grid->OnCanEditCell = [&](TObject*, int row, int, bool& allow) {
    eventRow = row;
    allow = true;
  };
  grid->CanEditCell(2, 2, canEdit);
  EXPECT_TRUE(canEdit);
  EXPECT_EQ(eventRow, 2);

  TEditorType editor = edNormal;
  grid->OnGetEditorType = [](TObject*, int col, int, TEditorType& e) {
    if (col == 3) e = edComboList;
  };
  grid->GetCellEditor(3, 1, editor);
  EXPECT_EQ(editor, edComboList);
  EXPECT_FALSE(grid->HasComboBox(1, 1));
  grid->OnHasComboBox = [](TObject*, int, int, bool& has) { has = true; };
  EXPECT_TRUE(grid->HasComboBox(1, 1));
}

TEST_F(GraphicsFixture, FixedCellsAreTheFixedLinesTheFootersAndWhatTheEventAdds) {
  EXPECT_TRUE(grid->IsFixedCell(0, 3));
  EXPECT_TRUE(grid->IsFixedCell(2, 0));
  EXPECT_FALSE(grid->IsFixedCell(2, 5));
  grid->SetFixedFooters(1);
  EXPECT_TRUE(grid->IsFixedCell(2, 5));
  EXPECT_FALSE(grid->IsFixedCell(2, 4));
  grid->OnIsFixedCell = [](TObject*, int row, int col, bool& fixed) { fixed = row == 4 && col == 3; };
  EXPECT_TRUE(grid->IsFixedCell(3, 4));
  bool fixed = true;
  int calls = 0;
  grid->OnIsFixedCell = [&](TObject*, int, int, bool&) { ++calls; };
  grid->IsFixedCellQuery(2, 2, fixed);
  EXPECT_EQ(calls, 0) << "a cell already fixed is not asked about";
}

// ------------------------------------------------------------- grid file

std::string SaveBytes(TExStringGrid& g) {
  TMemoryStream stream;
  SaveGridStream(g, stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
}

void LoadBytes(TExStringGrid& g, const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<Int64>(bytes.size()));
  stream.SetPosition(0);
  LoadGridStream(g, stream);
}

TEST_F(GraphicsFixture, GraphicsRoundTripThroughTheGridFileByteForByte) {
  grid->SetCells(1, 1, "Y");
  grid->CreateCellGraphic(1, 1)->SetCellType(ctDataCheckBox);
  TCellGraphic* box = grid->CreateCellGraphic(2, 1);
  box->SetCellType(ctCheckBox);
  box->SetCellBoolean(true);
  TCellGraphic* radio = grid->CreateCellGraphic(3, 1);
  radio->SetCellType(ctRadio);
  radio->SetCellCreated(true);
  auto* items = new TStringList();
  items->Add("봤음"_k);
  items->Add("안 봤음"_k);
  radio->SetPayload(items);
  radio->SetCellIndex(1);
  TCellGraphic* images = grid->CreateCellGraphic(1, 2);
  images->SetCellType(ctImages);
  images->SetCellCreated(true);
  auto* indexes = new TIntList();
  indexes->FromText("3,1,4");
  images->SetPayload(indexes);
  TCellGraphic* comment = grid->CreateCellGraphic(2, 2);
  comment->SetCellType(ctComment);
  comment->SetCellText("감독판"_k);
  auto* bitmap = new TBitmap(3, 2);
  TCellGraphic* picture = grid->CreateCellGraphic(3, 2);
  picture->SetCellType(ctBitmap);
  picture->SetCellCreated(true);
  picture->SetPayload(bitmap);

  const std::string first = SaveBytes(*grid);
  TExStringGrid copy(nullptr);
  LoadBytes(copy, first);
  EXPECT_EQ(copy.GetCellType(1, 1), ctDataCheckBox);
  bool state = false;
  EXPECT_TRUE(copy.GetCheckBoxState(2, 1, state));
  EXPECT_TRUE(state);
  ASSERT_NE(copy.GetRadioItems(3, 1), nullptr);
  EXPECT_EQ(copy.GetRadioItems(3, 1)->Strings(1), "안 봤음"_k);
  ASSERT_NE(copy.GetImageIndexList(1, 2), nullptr);
  EXPECT_EQ(copy.GetImageIndexList(1, 2)->ToText(), "3,1,4");
  AnsiString text;
  EXPECT_TRUE(copy.GetComment(2, 2, text));
  EXPECT_EQ(text, "감독판"_k);
  ASSERT_NE(copy.GetCellGraphic(3, 2)->CellBitmap(), nullptr);
  EXPECT_EQ(copy.GetCellGraphic(3, 2)->CellBitmap()->Width(), 3);
  EXPECT_EQ(SaveBytes(copy), first);
}

TEST_F(GraphicsFixture, CatalogueSavedWhileRowsAndColumnsAreHiddenKeepsEverythingAndStaysHidden) {
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 4; ++c) grid->SetCells(c, r, "r" + IntToStr(r) + "c" + IntToStr(c));
  Owned(2, 3, ctRadio)->CellStrings()->Add("x");
  grid->HideColumn(2);
  grid->HideRows(3, 4);
  const std::string saved = SaveBytes(*grid);
  EXPECT_EQ(grid->RowCount(), 4);
  EXPECT_EQ(grid->ColCount(), 3);
  EXPECT_TRUE(grid->IsRowHidden(3));

  TExStringGrid copy(nullptr);
  copy.SetColCount(2);
  copy.SetRowCount(3);
  copy.HideRow(1);
  copy.HideColumn(1);
  LoadBytes(copy, saved);
  EXPECT_EQ(copy.HiddenRowCount(), 0) << "nothing of the previous catalogue stays hidden";
  EXPECT_EQ(copy.HiddenColumnCount(), 0);
  ASSERT_EQ(copy.RowCount(), 6);
  ASSERT_EQ(copy.ColCount(), 4);
  for (int r = 0; r < 6; ++r)
    for (int c = 0; c < 4; ++c) EXPECT_EQ(copy.Cells(c, r), "r" + IntToStr(r) + "c" + IntToStr(c));
  EXPECT_EQ(copy.GetCellType(2, 3), ctRadio);
  // The hidden state is not part of the file: hiding the same again and
  // saving gives the same bytes.
  copy.HideColumn(2);
  copy.HideRows(3, 4);
  EXPECT_EQ(SaveBytes(copy), saved);
}

}  // namespace
