// Edit masks in the grid: the column's mask and the grid's event, what a
// visit leaves behind, the first position selected on entry, and the mask of
// a MASK form control in a mark-up cell.
#include "GridEditDesk.h"
#include "grid/ExHtml.h"

namespace {

using MaskGridDesk = GridEditDesk;

TEST_F(MaskGridDesk, TheColumnsMaskTakesTypedDigitsAndTheCellGetsTheMasksText) {
  grid->Columns()->Items(1)->SetEditMask("!9999-99-99;1;_");
  Open(1, 1);
  ASSERT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->EditMask(), "!9999-99-99;1;_");
  SimulateTyping(TextEditor(), "2024x0105");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "2024-01-05") << "the letter was refused";
  // Another column has no mask: it takes anything.
  Open(2, 1);
  ASSERT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->EditMask(), "");
  SimulateTyping(TextEditor(), "x1");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(2, 1), "x1");
}

TEST_F(MaskGridDesk, AVisitThatTypesNothingLeavesACellTheMaskCannotShow) {
  grid->Columns()->Items(1)->SetEditMask("00-00;1;_");
  grid->SetCells(1, 2, "메모 abc"_k);
  grid->SetCells(1, 3, "");
  writes = 0;
  Open(1, 2);
  ASSERT_TRUE(TextEditorShowing());
  SimulateKey(TextEditor(), VK_RETURN);
  Open(1, 3);
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "메모 abc"_k);
  EXPECT_EQ(Cell(1, 3), "") << "not \"  -  \"";
  EXPECT_EQ(writes, 0);
}

TEST_F(MaskGridDesk, TheGridsEventOverridesTheColumnAndAnEmptyAnswerLeavesIt) {
  grid->Columns()->Items(1)->SetEditMask("LL;1;_");
  AnsiString answer = "00;0;_";
  grid->OnGetEditMask = [&](TObject*, int, int, AnsiString& value) { value = answer; };
  Open(1, 1);
  SimulateTyping(TextEditor(), "1a2");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "12");
  answer = "";
  Open(1, 2);
  SimulateTyping(TextEditor(), "a1b");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "ab");
}

TEST_F(MaskGridDesk, ImproveMaskSelSelectsTheFirstPositionOnEntry) {
  grid->Columns()->Items(1)->SetEditMask("CCC;0;_");
  grid->Navigation()->SetImproveMaskSel(true);
  grid->SetCells(1, 1, "가나다"_k);
  grid->SetCol(1);
  grid->SetRow(1);
  grid->ShowEditor();
  ASSERT_TRUE(PumpUntil([&] { return TextEditor()->Focused(); }));
  EXPECT_EQ(TextEditor()->SelStart(), 0);
  EXPECT_EQ(TextEditor()->SelText(), "가"_k);
  SimulateImeCommit(TextEditor(), "라"_k);
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "라나다"_k);
}

TEST_F(MaskGridDesk, AMaskControlEditsThroughTheMaskOfItsProperty) {
  grid->SetColWidths(2, 300);
  grid->SetRowHeights(1, 40);
  grid->SetCells(2, 1, "개봉 <CONTROL TYPE=\"MASK\" ID=\"d\" VALUE=\"\" PROP=\"9999-99-99;0;_\" WIDTH=\"120\">"_k);
  const AnsiString original = grid->Cells(2, 1);
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "d"));
  TControlEdit* edit = grid->HtmlControlEdit();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_EQ(edit->EditText(), "____-__-__");
  SimulateKey(edit, VK_RETURN);
  EXPECT_EQ(grid->Cells(2, 1), original) << "an untyped mask writes no blanks into the value";
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "d"));
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  edit->SetSelStart(0);
  SimulateTyping(edit, "1999y1231");
  SimulateKey(edit, VK_RETURN);
  const AnsiString cell = grid->Cells(2, 1);
  EXPECT_EQ(ParseControlTag(cell.substr(cell.find("<CONTROL"))).Value, "19991231");
  // A plain EDIT control opened after it has no mask left.
  grid->SetCells(2, 2, "<CONTROL TYPE=\"EDIT\" ID=\"e\" VALUE=\"x\" WIDTH=\"120\">");
  grid->SetRowHeights(2, 40);
  ASSERT_TRUE(grid->StartControlEditor(2, 2, "e"));
  EXPECT_FALSE(edit->IsMasked());
  EXPECT_EQ(edit->Text(), "x");
  SimulateKey(edit, VK_ESCAPE);
}

}  // namespace
