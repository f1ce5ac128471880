// A shown column grid whose column 1 opens the editor of the test's type,
// counting the cells its edits change; Open presses F2 on a cell.
#pragma once

#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"

struct GridEditDesk : ::testing::Test {
  TKoreanLocale locale;
  TEditorForm shown;
  TExColumnGrid* grid = nullptr;
  TEditorType type = edNormal;
  int writes = 0;

  void SetUp() override {
    grid = new TExColumnGrid(shown.form);
    grid->SetParent(shown.form);
    grid->SetBounds(0, 0, 580, 380);
    grid->SetColCount(4);
    grid->SetRowCount(5);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->OnGetEditorType = [this](TObject*, int col, int, TEditorType& editor) {
      if (col == 1) editor = type;
    };
    grid->OnCellsChanged = [this](TObject*, TRect) { ++writes; };
    grid->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  }
  // F2 on the cell, as the user opens an editor.
  void Open(int col, int row) {
    grid->SetCol(col);
    grid->SetRow(row);
    if (!grid->Focused()) grid->SetFocus();
    SimulateKey(grid, VK_F2);
  }
  TWinControl* Editor() const { return grid->ActiveEditorControl(); }
  TInplaceEdit* TextEditor() const { return grid->InplaceEditor(); }
  bool TextEditorShowing() const { return TextEditor() && TextEditor()->Visible(); }
  AnsiString Cell(int col, int row) const { return grid->Cells(col, row); }
};
