// Editing a cell in place: the editor opens on F2, Enter or a typed
// character, writes back as the user types, follows the current cell, and
// hands the navigation keys to the grid.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "VclTestSupport.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Grids.h"

namespace {

// A grid whose edit hooks can be watched and steered.
class TEditGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  bool allowShow = true;
  int editLimit = 0;
  char refusedKey = 0;
  int editorsCreated = 0;
  std::vector<std::pair<TGridCoord, AnsiString>> setTexts;

 protected:
  bool CanEditShow() override { return allowShow && TStringGrid::CanEditShow(); }
  int GetEditLimit() override { return editLimit; }
  bool CanEditAcceptKey(char key) override { return key != refusedKey; }
  TInplaceEdit* CreateEditor() override {
    ++editorsCreated;
    return TStringGrid::CreateEditor();
  }
  void SetEditText(int col, int row, const AnsiString& value) override {
    setTexts.push_back({{col, row}, value});
    TStringGrid::SetEditText(col, row, value);
  }
};

struct EditDesk {
  ShownForm form;
  TEditGrid* grid;
  EditDesk() {
    grid = new TEditGrid(form.form);
    grid->SetParent(form.form);
    grid->SetBorderStyle(bsNone);
    grid->SetBounds(0, 0, 350, 200);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->SetCells(1, 1, "abc");
    grid->SetCells(2, 1, "second");
    grid->SetFocus();
    PumpUntil([&] { return grid->Focused(); });
  }
  TEditGrid* operator->() { return grid; }
  TInplaceEdit* Editor() { return grid->InplaceEditor(); }
  bool EditorShowing() { return Editor() && Editor()->TControl::Visible(); }
};

TEST(GridEditor, F2OpensTheCellTextTypingAppendsAndEnterClosesAndKeepsIt) {
  EditDesk d;
  EXPECT_FALSE(d->EditorMode());
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(d.EditorShowing());
  EXPECT_TRUE(d->EditorMode());
  EXPECT_EQ(d.Editor()->Text(), "abc");
  // F2 leaves the caret at the end: typing appends.
  EXPECT_TRUE(PumpUntil([&] { return d.Editor()->Focused(); }));
  SimulateTyping(d.Editor(), "de");
  EXPECT_EQ(d.Editor()->Text(), "abcde");
  EXPECT_EQ(d->Cells(1, 1), "abcde");  // written back as typed
  SimulateKey(d.Editor(), VK_RETURN);
  EXPECT_FALSE(d->EditorMode());
  EXPECT_FALSE(d.EditorShowing());
  EXPECT_EQ(d->Cells(1, 1), "abcde");
  EXPECT_EQ(d->editorsCreated, 1);
  // The editor placed itself over the cell, its grid line left free.
  EXPECT_EQ(d.Editor()->BoundsRect(), d->CellRect(1, 1));
}

TEST(GridEditor, ATypedCharacterOpensTheEditorWithItReplacingTheText) {
  EditDesk d;
  SimulateKey(d.grid, 'X', {}, "x");
  ASSERT_TRUE(d.EditorShowing());
  EXPECT_EQ(d.Editor()->Text(), "x");
  EXPECT_EQ(d->Cells(1, 1), "x");
  // A Korean syllable typed on the grid arrives whole.
  SimulateKey(d.grid, VK_RETURN);
  SimulateKey(d.grid, VK_RIGHT);
  d->SetFocus();
  PumpUntil([&] { return d->Focused(); });
  SimulateTyping(d.grid, "한"_k);
  ASSERT_TRUE(d.EditorShowing());
  EXPECT_EQ(d->Cells(2, 1), "한"_k);
}

TEST(GridEditor, ArrowsUpAndDownLeaveTheCellAndTheTextStays) {
  EditDesk d;
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(PumpUntil([&] { return d.Editor()->Focused(); }));
  SimulateTyping(d.Editor(), "!");
  SimulateKey(d.Editor(), VK_DOWN);
  EXPECT_EQ(d->Row(), 2);
  EXPECT_EQ(d->Cells(1, 1), "abc!");
  EXPECT_FALSE(d.EditorShowing());  // without goAlwaysShowEditor it closes
  // Left and Right move the caret inside the text.
  SimulateKey(d.grid, VK_UP);
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(PumpUntil([&] { return d.Editor()->Focused(); }));
  SimulateKey(d.Editor(), VK_LEFT);
  EXPECT_EQ(d->Col(), 1);
  EXPECT_TRUE(d.EditorShowing());
}

TEST(GridEditor, AlwaysShowEditorFollowsTheCellAndArrowsAtTheEndsLeaveIt) {
  EditDesk d;
  d->SetOptions(d->Options() + TGridOptions{goAlwaysShowEditor});
  d->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return d.EditorShowing(); }));
  EXPECT_EQ(d.Editor()->Text(), "abc");
  ASSERT_TRUE(PumpUntil([&] { return d.Editor()->Focused(); }));
  // Everything is selected on arrival: Right leaves for the next cell.
  SimulateKey(d.Editor(), VK_RIGHT);
  EXPECT_EQ(d->Col(), 2);
  EXPECT_TRUE(d.EditorShowing());
  EXPECT_EQ(d.Editor()->Text(), "second");
  EXPECT_EQ(d.Editor()->BoundsRect(), d->CellRect(2, 1));
  EXPECT_EQ(d->editorsCreated, 1);  // one editor, moved from cell to cell
}

TEST(GridEditor, AClickOnTheCurrentCellOpensTheEditorAndAClickElsewhereMoves) {
  EditDesk d;
  TRect r = d->CellRect(1, 1);
  SimulateClick(d.grid, r.Left + 5, r.Top + 5);
  EXPECT_TRUE(d.EditorShowing());
  TRect other = d->CellRect(3, 2);
  SimulateClick(d.grid, other.Left + 5, other.Top + 5);
  EXPECT_EQ(d->Col(), 3);
  EXPECT_EQ(d->Row(), 2);
  EXPECT_FALSE(d.EditorShowing());
}

TEST(GridEditor, TheGridCanRefuseTheEditorAndKeysAndTheLimitCountsBytes) {
  EditDesk d;
  d->allowShow = false;
  SimulateKey(d.grid, VK_F2);
  EXPECT_FALSE(d.EditorShowing());
  EXPECT_EQ(d->editorsCreated, 0);
  d->allowShow = true;
  d->editLimit = 4;
  d->refusedKey = 'q';
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(PumpUntil([&] { return d.Editor()->Focused(); }));
  SimulateTyping(d.Editor(), "q");
  EXPECT_EQ(d.Editor()->Text(), "abc");
  SimulateTyping(d.Editor(), "가"_k);  // two bytes: over the limit of four
  EXPECT_EQ(d.Editor()->Text(), "abc");
  SimulateTyping(d.Editor(), "d");
  SimulateTyping(d.Editor(), "e");
  EXPECT_EQ(d.Editor()->Text(), "abcd");
  EXPECT_EQ(d->Cells(1, 1), "abcd");
}

TEST(GridEditor, ACellChangedByCodeReloadsTheOpenEditor) {
  EditDesk d;
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(d.EditorShowing());
  d->SetCells(1, 1, "from code");
  EXPECT_EQ(d.Editor()->Text(), "from code");
  d->HideEditor();
  EXPECT_FALSE(d.EditorShowing());
  EXPECT_EQ(d->Cells(1, 1), "from code");
}

TEST(GridEditor, RemovingEditingOrDeletingTheGridWithAnOpenEditorIsSafe) {
  EditDesk d;
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(d.EditorShowing());
  d->SetOptions(d->Options() - TGridOptions{goEditing});
  EXPECT_FALSE(d.EditorShowing());
  d->SetOptions(d->Options() + TGridOptions{goEditing});
  SimulateKey(d.grid, VK_F2);
  ASSERT_TRUE(d.EditorShowing());
  delete d.grid;  // the editor goes with it; no call may reach the dead grid
  Application->ProcessMessages();
}

}  // namespace
