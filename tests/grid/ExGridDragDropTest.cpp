// Drag and drop between two string grids and from other programs: text
// dropped on a cell, rows put in for it, files by their extension, a column
// between headers, the data a drag offers other programs, and a drop that
// fails showing its message instead of escaping.
#include <gtest/gtest.h>

#include "grid/ExGrid.h"
#include "grid/ExHint.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Dialogs.h"
#include "tests/grid/TransferTestSupport.h"

namespace {

using namespace transfer_test;

struct DialogFakes {
  DialogFakes() { TDialogFakes::Enable(); }
  ~DialogFakes() { TDialogFakes::Disable(); }
};

struct DragHook {
  explicit DragHook(std::function<int(const TDragData&, int)> hook) { SetDragDropHook(std::move(hook)); }
  ~DragHook() { SetDragDropHook({}); }
};

void SetUpGrid(TExStringGrid& g) {
  g.SetBounds(0, 0, 400, 300);
  MakeEditable(g, 5, 6);
}

TPoint CenterOf(TExStringGrid& g, int col, int row) {
  const TRect r = g.CellRect(col, row);
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

std::string Row(TExStringGrid& g, int row) { return RowText(g, row); }

struct ExGridDragDrop : ::testing::Test {
  DialogFakes fakes;
  TExStringGrid source{nullptr};
  TExStringGrid target{nullptr};
  void SetUp() override {
    SetUpGrid(source);
    SetUpGrid(target);
    source.DragDropSettings()->SetOleDropSource(true);
    target.DragDropSettings()->SetOleDropTarget(true);
    target.DragDropSettings()->SetOleAcceptText(true);
    target.DragDropSettings()->SetOleAcceptFiles(true);
  }
  // Runs a drag from the source onto the target's cell (col, row), as the
  // platform would: enter, move, drop; returns the effect the drop took.
  int DropOn(const TDragData& data, int col, int row, int allowed) {
    TDropTarget* t = target.DropTarget();
    const TPoint pt = CenterOf(target, col, row);
    int effect = ProposedDropEffect({}, allowed);
    t->DragEnter(data, {}, pt, effect);
    if (effect == DROPEFFECT_NONE) {
      t->DragLeave();
      return effect;
    }
    t->DragOver({}, pt, effect);
    if (effect == DROPEFFECT_NONE) {
      t->DragLeave();
      return effect;
    }
    t->Drop(data, {}, pt, effect);
    return effect;
  }
};

TEST(DragDropSettings, EverySwitchStartsOff) {
  TExStringGrid grid(nullptr);
  const TDragDropSettings* s = grid.DragDropSettings();
  EXPECT_FALSE(s->OleAcceptFiles() || s->OleAcceptText() || s->OleCopyAlways() || s->OleDropTarget() ||
               s->OleDropSource() || s->OleEntireRows() || s->OleInsertRows() || s->OleRemoveRows() ||
               s->OleDropRTF() || s->OleColumnDragDrop());
}

TEST_F(ExGridDragDrop, TheGridRegistersItsWindowOnlyWhileItIsADropTarget) {
  EXPECT_TRUE(IsDropTarget(&target));
  EXPECT_FALSE(IsDropTarget(&source));
  target.DragDropSettings()->SetOleDropTarget(false);
  EXPECT_FALSE(IsDropTarget(&target));
}

TEST_F(ExGridDragDrop, DraggedCellsMoveToTheCellTheyAreDroppedOn) {
  source.SetCells(1, 1, "a");
  source.SetCells(2, 1, "two\r\nlines");
  source.SetCells(1, 2, "영화"_k);
  source.SetSelection({1, 1, 2, 2});
  std::vector<std::string> events;
  source.OnOleDragStart = [&](TObject*, int row, int col) { events.push_back("start " + std::to_string(col) + "," + std::to_string(row)); };
  source.OnOleDragStop = [&](TObject*, int effect) { events.push_back("stop " + std::to_string(effect)); };
  TRect dropped{};
  target.OnOleDropped = [&](TObject*, TRect r) { dropped = r; };
  DragHook hook([&](const TDragData& data, int allowed) { return DropOn(data, 2, 3, allowed); });

  EXPECT_EQ(source.OleDragFromCell(1, 1), DROPEFFECT_MOVE);
  EXPECT_EQ(Row(target, 3), "||a|two\r\nlines|");
  EXPECT_EQ(Row(target, 4), "||영화||"_k);
  EXPECT_EQ(dropped, Rect(2, 3, 3, 4));
  EXPECT_EQ(target.Selection(), (TGridRect{2, 3, 3, 4}));
  // A move takes the cells away from where they were.
  EXPECT_EQ(Row(source, 1), "||||");
  EXPECT_EQ(events, (std::vector<std::string>{"start 1,1", "stop 2"}));
}

TEST_F(ExGridDragDrop, CopyAlwaysKeepsTheSourceAndAVetoStopsTheDrag) {
  source.SetCells(1, 1, "stay");
  source.SetSelection({1, 1, 1, 1});
  source.DragDropSettings()->SetOleCopyAlways(true);
  DragHook hook([&](const TDragData& data, int allowed) { return DropOn(data, 1, 1, allowed); });
  source.OleDragFromCell(1, 1);
  EXPECT_EQ(source.Cells(1, 1), "stay");
  EXPECT_EQ(target.Cells(1, 1), "stay");

  source.OnOleDrag = [](TObject*, int, int, const AnsiString&, bool& allow) { allow = false; };
  source.SetCells(1, 1, "vetoed");
  EXPECT_EQ(source.OleDragFromCell(1, 1), DROPEFFECT_NONE);
  EXPECT_EQ(target.Cells(1, 1), "stay");
}

TEST_F(ExGridDragDrop, InsertRowsMakesRoomForExactlyTheDroppedRows) {
  target.DragDropSettings()->SetOleInsertRows(true);
  target.SetCells(1, 2, "below");
  TDragData data;
  data.HasText = true;
  data.Text = "x\r\ny\r\n";
  DropOn(data, 1, 2, DROPEFFECT_COPY);
  EXPECT_EQ(target.RowCount(), 8);
  EXPECT_EQ(target.Cells(1, 2), "x");
  EXPECT_EQ(target.Cells(1, 3), "y");
  EXPECT_EQ(target.Cells(1, 4), "below");
}

TEST_F(ExGridDragDrop, OnOleDropCanRefuseAndHeaderRowsRefuseText) {
  TDragData data;
  data.HasText = true;
  data.Text = "t";
  EXPECT_EQ(DropOn(data, 1, 0, DROPEFFECT_COPY), DROPEFFECT_NONE);
  EXPECT_EQ(target.Cells(1, 0), "");
  target.OnOleDrop = [](TObject*, int, int, const TDragData&, bool& allow) { allow = false; };
  DropOn(data, 1, 1, DROPEFFECT_COPY);
  EXPECT_EQ(target.Cells(1, 1), "");
  target.DragDropSettings()->SetOleAcceptText(false);
  target.OnOleDrop = nullptr;
  EXPECT_EQ(DropOn(data, 1, 1, DROPEFFECT_COPY), DROPEFFECT_NONE);
}

TEST_F(ExGridDragDrop, DroppedFilesAreImportedByTheirExtensionAndEachCanBeRefused) {
  TempDir dir;
  const AnsiString csv = dir.Write("data.csv", "from,csv\r\n");
  const AnsiString backup = dir.Write("data.csv.bak", "from,backup\r\n");
  const AnsiString refused = dir.Write("refused.csv", "refused,file\r\n");
  std::vector<std::string> asked;
  target.OnOleDropFile = [&](TObject*, int, int, const AnsiString& name, bool& allow) {
    asked.push_back(ExtractFileName(name));
    if (ExtractFileName(name) == "refused.csv") allow = false;
  };
  TDragData data;
  // A file manager offers the names as text too; the files are what count.
  data.HasText = true;
  data.Text = csv;
  data.Files = {csv, backup, refused};
  DropOn(data, 1, 1, DROPEFFECT_COPY);
  EXPECT_EQ(asked, (std::vector<std::string>{"data.csv", "data.csv.bak", "refused.csv"}));
  EXPECT_EQ(Row(target, 0), "from|csv|||");
  EXPECT_EQ(target.RowCount(), 2);

  target.DragDropSettings()->SetOleAcceptFiles(false);
  data.HasText = false;
  EXPECT_EQ(DropOn(data, 1, 1, DROPEFFECT_COPY), DROPEFFECT_NONE);
}

TEST_F(ExGridDragDrop, ADropThatFailsShowsItsMessage) {
  TDragData data;
  data.Files = {"/nonexistent/list.csv"};
  DropOn(data, 1, 1, DROPEFFECT_COPY);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_NE(TDialogFakes::MessageBoxes()[0].Text.find("Cannot open file /nonexistent/list.csv"), std::string::npos);
}

TEST_F(ExGridDragDrop, ADroppedTextTooWideForAnyGridIsRefusedWithItsMessage) {
  TDragData data;
  data.HasText = true;
  data.Text = AnsiString(70000, '\t');
  DropOn(data, 1, 1, DROPEFFECT_COPY);
  EXPECT_EQ(target.ColCount(), 5);
  ASSERT_EQ(TDialogFakes::MessageBoxes().size(), 1u);
  EXPECT_NE(TDialogFakes::MessageBoxes()[0].Text.find("Too many cells"), std::string::npos);
}

TEST_F(ExGridDragDrop, AColumnTravelsBetweenTheHeadersOfTwoGrids) {
  source.DragDropSettings()->SetOleColumnDragDrop(true);
  target.DragDropSettings()->SetOleColumnDragDrop(true);
  int droppedColumn = -1, atCol = -1;
  target.OnOleDropCol = [&](TObject*, int row, int col, int dropCol) {
    droppedColumn = dropCol;
    atCol = col;
  };
  TDragData offered;
  DragHook hook([&](const TDragData& data, int allowed) {
    offered = data;
    // Over a data row the column is refused; over a header it is taken,
    // with an arrow above and below the boundary where it would go.
    TDropTarget* t = target.DropTarget();
    int effect = ProposedDropEffect({}, allowed);
    t->DragEnter(data, {}, CenterOf(target, 2, 3), effect);
    EXPECT_EQ(effect, DROPEFFECT_NONE);
    effect = ProposedDropEffect({}, allowed);
    t->DragOver({}, CenterOf(target, 3, 0), effect);
    for (int direction : {0, 1}) {
      EXPECT_TRUE(target.ArrowWindow(direction)->Visible()) << direction;
      EXPECT_EQ(target.ArrowWindow(direction)->Left() + 5, target.CellRect(3, 0).Left);
    }
    t->DragLeave();
    return DropOn(data, 3, 0, allowed);
  });
  source.OleDragFromCell(2, 0);
  EXPECT_EQ(droppedColumn, 2);
  EXPECT_EQ(atCol, 3);
  EXPECT_FALSE(target.ArrowWindow(0)->Visible() || target.ArrowWindow(1)->Visible()) << "gone with the drop";
  EXPECT_EQ(TEnumFormats(offered).Col(), 2);
}

TEST(SourceDataObject, OtherProgramsGetTextAsCharactersAndTheColumnAsFourBytes) {
  TSourceDataObject data("가a"_k, "{\\rtf1 x}", 258);
  EXPECT_EQ(data.GetData(CF_TEXT), "가a"_k + '\0');
  // One UTF-16 unit per character (U+AC00, 'a'), then a NUL unit.
  EXPECT_EQ(data.GetData(CF_UNICODETEXT), std::string("\x00\xAC" "a\x00\x00\x00", 6));
  EXPECT_EQ(data.GetData(GridColumnClipboardFormat()), std::string("\x02\x01\x00\x00", 4));
  EXPECT_FALSE(data.QueryGetData(RichTextClipboardFormat()));
  SetRichTextDropEnabled(true);
  EXPECT_EQ(data.GetData(RichTextClipboardFormat()), std::string("{\\rtf1 x}") + '\0');
  EXPECT_EQ(TEnumFormats(data.ToDragData()).RTF(), "{\\rtf1 x}");
  SetRichTextDropEnabled(false);
  EXPECT_EQ(TSourceDataObject("t", "").Formats(), (std::vector<UINT>{CF_TEXT, CF_UNICODETEXT}));
}

TEST(DropSource, EscapeCancelsAndReleasingTheButtonDrops) {
  TESGDropSource source;
  EXPECT_EQ(source.QueryContinueDrag(true, true), TESGDropSource::dcCancel);
  EXPECT_EQ(source.QueryContinueDrag(false, false), TESGDropSource::dcDrop);
  EXPECT_EQ(source.QueryContinueDrag(false, true), TESGDropSource::dcContinue);
  int effect = -1;
  DragHook hook([](const TDragData&, int) { return DROPEFFECT_NONE; });
  EXPECT_EQ(StartTextDrag(nullptr, source, "t", "", DROPEFFECT_COPY, effect), drCancelled);
  EXPECT_EQ(effect, DROPEFFECT_NONE);
}

}  // namespace
