// Details around editing on a shown grid: the Unicode editors fed by the
// input method, the cell checker's switches, vetoes of a move, the outline
// of a cell under a control editor, fitting rows and columns as painting
// measures them, a stored always-shown editor, and the disabled flat combo.
#include <gtest/gtest.h>

#include "EditorTestSupport.h"
#include "GridEditDesk.h"
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"
#include "grid/ExHtml.h"
#include "grid/ExUtil.h"
#include "grid/UniControls.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/PaintTo.h"
#include "platform/vcl/RichText.h"

namespace {

struct EditDetailDesk : GridEditDesk {};

// Checks cells the way a spelling checker would: a fixed amendment each.
struct TUpperChecker : TExStringGridCheck {
  using TExStringGridCheck::TExStringGridCheck;
  AnsiString Correct(const AnsiString& text) override { return text + "-c"; }
  AnsiString Check(const AnsiString& text) override { return text + "-k"; }
};

}  // namespace

// ---------------------------------------------------------------- Unicode editors

TEST_F(EditDetailDesk, HangulCommittedIntoTheUnicodeEditIsStoredAsWideText) {
  type = edUniEdit;
  grid->SetWideCell(1, 2, u"Zoë ");
  Open(1, 2);
  ASSERT_EQ(grid->ActiveEditorControl(), grid->UniEdit());
  ASSERT_TRUE(PumpUntil([&] { return grid->UniEdit()->Focused(); }));
  SimulateKey(grid->UniEdit(), VK_END);
  SimulateImeCommitW(grid->UniEdit(), u"영화");
  EXPECT_EQ(grid->UniEdit()->WideText(), u"Zoë 영화");
  SimulateKey(grid->UniEdit(), VK_RETURN);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(grid->GetWideCell(1, 2), u"Zoë 영화");
}

TEST_F(EditDetailDesk, TheUnicodeComboListPicksTheCellsItemOrTheFirst) {
  type = edUniComboList;
  TGridUniCombo* combo = grid->UniCombobox();
  combo->Items()->Add(u"액션");
  combo->Items()->Add(u"Café");
  grid->SetWideCell(1, 1, u"Café");
  Open(1, 1);
  ASSERT_EQ(grid->ActiveEditorControl(), combo);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->WideText(), u"Café");
  SimulateKey(combo, VK_ESCAPE);
  EXPECT_EQ(grid->GetWideCell(1, 1), u"Café");
  // A value the list does not hold shows the first item and is not rewritten.
  grid->SetWideCell(1, 3, u"없는 값");
  Open(1, 3);
  EXPECT_EQ(combo->ItemIndex(), 0);
  SimulateKey(combo, VK_TAB);
  grid->SetFocus();
  EXPECT_EQ(grid->GetWideCell(1, 3), u"없는 값");
}

// ---------------------------------------------------------------- checker switches

TEST_F(EditDetailDesk, TheCheckersSwitchesDecideWhichOfItsStepsAnEditPasses) {
  auto* checker = new TUpperChecker(grid);
  grid->SetCellChecker(checker);
  auto edit = [&](int row, const char* typed) {
    Open(2, row);
    ASSERT_TRUE(grid->InplaceEditor() && grid->InplaceEditor()->Visible());
    grid->InplaceEditor()->SetText(typed);
    SimulateKey(grid->InplaceEditor(), VK_RETURN);
  };
  edit(1, "a");
  EXPECT_EQ(grid->Cells(2, 1), "a-c-k");
  checker->SetAutoCorrect(false);
  edit(2, "b");
  EXPECT_EQ(grid->Cells(2, 2), "b-k");
  checker->SetAutoCheck(false);
  edit(3, "c");
  EXPECT_EQ(grid->Cells(2, 3), "c");
  // A refused value is never checked into the cell.
  checker->SetAutoCheck(true);
  grid->OnCellValidate = [](TObject*, int, int, AnsiString&, bool& valid) { valid = false; };
  grid->SetCells(2, 4, "kept");
  edit(4, "d");
  EXPECT_EQ(grid->Cells(2, 4), "kept");
}

// ---------------------------------------------------------------- moves

TEST_F(EditDetailDesk, RowAndColumnChangingVetoAMoveByKey) {
  grid->SetCol(2);
  grid->SetRow(2);
  int rowAsks = 0, colAsks = 0;
  int seenOld = -1, seenNew = -1;
  grid->OnRowChanging = [&](TObject*, int oldRow, int newRow, bool& allow) {
    ++rowAsks;
    seenOld = oldRow;
    seenNew = newRow;
    allow = newRow != 3;
  };
  grid->OnColChanging = [&](TObject*, int, int newCol, bool& allow) {
    ++colAsks;
    allow = newCol != 1;
  };
  SimulateKey(grid, VK_DOWN);
  EXPECT_EQ(grid->Row(), 2) << "row 3 is refused";
  EXPECT_EQ(seenOld, 2);
  EXPECT_EQ(seenNew, 3);
  SimulateKey(grid, VK_UP);
  EXPECT_EQ(grid->Row(), 1);
  SimulateKey(grid, VK_LEFT);
  EXPECT_EQ(grid->Col(), 2) << "column 1 is refused";
  SimulateKey(grid, VK_RIGHT);
  EXPECT_EQ(grid->Col(), 3);
  EXPECT_EQ(rowAsks, 2) << "a move along the row does not ask the row";
  EXPECT_EQ(colAsks, 2);
  // The cell's event is asked last, with both cells.
  grid->OnCellChanging = [&](TObject*, int oldRow, int oldCol, int newRow, int newCol, bool& allow) {
    allow = !(oldCol == 3 && oldRow == 1 && newCol == 2 && newRow == 1);
  };
  SimulateKey(grid, VK_LEFT);
  EXPECT_EQ(grid->Col(), 3) << "cell (2, 1) is refused";
}

// ---------------------------------------------------------------- scrolling and sizing

TEST_F(EditDetailDesk, AControlEditorMovesWithASizedColumnAndAScrollEndsItsEdit) {
  grid->SetRowCount(40);
  type = edSpinEdit;
  Open(1, 2);
  TWinControl* spin = Editor();
  ASSERT_TRUE(spin);
  const int offset = spin->Left() - grid->CellRect(1, 2).Left;
  grid->SetColWidths(0, grid->ColWidths(0) + 30);
  EXPECT_EQ(spin->Left() - grid->CellRect(1, 2).Left, offset);
  grid->SpinEdit()->SetValue(42);
  ASSERT_TRUE(SimulateScroll(grid, SB_VERT, SB_LINEDOWN));
  EXPECT_FALSE(spin->Visible());
  EXPECT_EQ(Cell(1, 2), "42") << "the value is written when the scroll ends the edit";
}

// ---------------------------------------------------------------- outline

TEST_F(EditDetailDesk, ACellUnderAControlEditorIsOutlinedUntilItCloses) {
  type = edComboEdit;
  grid->SetGridLineColor(0x0000FF);
  grid->SetBorderStyle(bsNone);  // the picture's pixels are the client's
  // The cell's right and bottom edges are its grid lines; its left edge
  // shows whether the outline is drawn.
  grid->SetCells(1, 2, "text");
  const TRect cell = grid->CellRect(1, 2);
  const int y = cell.Top + cell.Height() / 2;
  TBitmap before;
  PaintControlTo(grid, before);
  EXPECT_NE(before.PixelColor(cell.Left, y), 0x0000FFu);
  Open(1, 2);
  ASSERT_TRUE(grid->ControlEditorOpen());
  TBitmap open;
  PaintControlTo(grid, open);
  EXPECT_EQ(open.PixelColor(cell.Left, y), 0x0000FFu);
  SimulateKey(grid->Combobox(), VK_ESCAPE);
  EXPECT_FALSE(grid->ControlEditorOpen());
  TBitmap after;
  PaintControlTo(grid, after);
  EXPECT_NE(after.PixelColor(cell.Left, y), 0x0000FFu);
  // The text editor is no control editor: no outline for it.
  type = edNormal;
  Open(1, 2);
  EXPECT_FALSE(grid->ControlEditorOpen());
}

// ---------------------------------------------------------------- fitting

TEST(EditDetailFitting, TheZoomStepWidensAFittedColumnAndANonNumberInANumberColumnCountsNothing) {
  TEditorForm shown;
  auto* grid = new TExStringGrid(shown.form);
  grid->SetParent(shown.form);
  grid->SetBounds(0, 0, 500, 300);
  grid->SetColCount(3);
  grid->SetRowCount(3);
  grid->SetCells(1, 1, "A long title of a movie");
  grid->FitColumnToContents(1);
  const int plain = grid->ColWidths(1);
  grid->SetZoomStep(4);
  grid->FitColumnToContents(1);
  EXPECT_GT(grid->ColWidths(1), plain);
  grid->SetZoomStep(0);
  grid->FitColumnToContents(1);
  EXPECT_EQ(grid->ColWidths(1), plain) << "fitting again gives the same width";

  // Column 2 shows numbers formatted; a text there that is no number does
  // not make its row taller.
  grid->SetColWidths(2, 40);
  grid->OnGetFloatFormat = [](TObject*, int col, int, bool& isFloat, AnsiString&) { isFloat = col == 2; };
  grid->SetCells(2, 1, "not a number at all but long enough to wrap many lines");
  grid->SetCells(1, 1, "x");
  grid->FitRowToContents(1);
  EXPECT_EQ(grid->RowHeights(1), grid->DefaultRowHeight());
  grid->SetCells(2, 2, "12.5");
  grid->SetCells(1, 2, "not a number at all but long enough to wrap many lines");
  grid->SetColWidths(1, 40);
  grid->FitRowToContents(2);
  EXPECT_GT(grid->RowHeights(2), grid->DefaultRowHeight()) << "other columns still count";
}

// ---------------------------------------------------------------- loading

TEST(EditDetailLoading, AStoredAlwaysShownEditorBecomesAlwaysEdit) {
  TEditorForm shown;
  auto* grid = new TExStringGrid(shown.form);
  grid->BeginLoad();
  grid->SetOptions(grid->Options() + TGridOptions{goEditing, goAlwaysShowEditor});
  grid->EndLoad();
  EXPECT_FALSE(grid->Options().contains(goAlwaysShowEditor));
  EXPECT_TRUE(grid->Options().contains(goEditing));
  EXPECT_TRUE(grid->Navigation()->AlwaysEdit());
  auto* plain = new TExStringGrid(shown.form);
  plain->BeginLoad();
  plain->EndLoad();
  EXPECT_FALSE(plain->Navigation()->AlwaysEdit());
}

// ---------------------------------------------------------------- flat combos

TEST(EditDetailCombos, ADisabledFlatComboShowsItsParentsColourAndGetsItsOwnBack) {
  TEditorForm shown;
  shown.form->SetColor(0x00C0FF);
  for (int wide = 0; wide < 2; ++wide) {
    TComboBox* combo = wide ? static_cast<TComboBox*>(new TESGUniComboBox(shown.form))
                            : static_cast<TComboBox*>(new TESGComboBox(shown.form));
    combo->SetParent(shown.form);
    combo->SetColor(0xFFFFEE);
    combo->SetEnabled(false);
    EXPECT_EQ(combo->Color(), 0x00C0FFu) << wide;
    combo->SetEnabled(false);
    combo->SetEnabled(true);
    EXPECT_EQ(combo->Color(), 0xFFFFEEu) << wide;
    EXPECT_FALSE(combo->ParentColor());
  }
}

// ---------------------------------------------------------------- caret placement

TEST_F(EditDetailDesk, AClickThatOpensTheTextEditorPutsTheCaretUnderTheMouse) {
  grid->MouseActions()->SetCaretPositioning(true);
  grid->SetColWidths(2, 200);
  grid->SetCells(2, 1, "abcdefghij");
  grid->SetCol(2);
  grid->SetRow(1);
  const TRect cell = grid->CellRect(2, 1);
  // Over the sixth character or so: not the end, not the start.

  grid->Canvas()->Font()->Assign(*grid->Font());
  const int x = cell.Left + 3 + grid->Canvas()->TextWidth("abcde");
  grid->NoteCaretClick(x, cell.Top + cell.Height() / 2);
  grid->ShowEditor();
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor() && grid->InplaceEditor()->Focused(); }));
  const int caret = grid->InplaceEditor()->SelStart();
  EXPECT_GE(caret, 3);
  EXPECT_LE(caret, 7);
  EXPECT_EQ(grid->InplaceEditor()->SelLength(), 0);
  // The note is used once: F2 on the next cell puts the caret at the end.
  SimulateKey(grid->InplaceEditor(), VK_RETURN);
  grid->SetCells(2, 2, "klmnop");
  Open(2, 2);
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor()->Focused(); }));
  EXPECT_EQ(grid->InplaceEditor()->SelStart(), 6);
  // Without the option the click is not noted.
  SimulateKey(grid->InplaceEditor(), VK_RETURN);
  grid->MouseActions()->SetCaretPositioning(false);
  grid->SetCol(2);
  grid->SetRow(1);
  grid->NoteCaretClick(x, cell.Top + cell.Height() / 2);
  grid->ShowEditor();
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor()->Focused(); }));
  // The editor's usual start: all selected or the caret at the end.
  EXPECT_TRUE(grid->InplaceEditor()->SelLength() == 10 || grid->InplaceEditor()->SelStart() == 10);
}

// ---------------------------------------------------------------- form controls in mark-up cells

TEST_F(EditDetailDesk, FormControlsOfAMarkupCellAreEditedInPlaceAndTabMovesToTheNext) {
  grid->SetColWidths(2, 300);
  grid->SetRowHeights(1, 40);
  grid->SetCells(2, 1,
                 "이름 <CONTROL TYPE=\"EDIT\" ID=\"n\" VALUE=\"Kim &amp; Lee\" WIDTH=\"80\"> "
                 "<CONTROL TYPE=\"CHECK\" ID=\"c\" VALUE=\"TRUE\" WIDTH=\"16\">"
                 "<CONTROL TYPE=\"COMBO\" ID=\"g\" VALUE=\"액션\" WIDTH=\"90\">"_k);
  const AnsiString original = grid->Cells(2, 1);
  int done = 0;
  AnsiString doneValue;
  grid->OnControlEditDone = [&](TObject*, int row, int col, const AnsiString& id, const AnsiString&,
                                const AnsiString& value) {
    ++done;
    EXPECT_EQ(row, 1);
    EXPECT_EQ(col, 2);
    if (id == "n") doneValue = value;
  };
  grid->OnControlComboList = [](TObject*, int, int, const AnsiString& id, const AnsiString&, TStrings* items,
                                bool& edit) {
    EXPECT_EQ(id, "g");
    items->Add("드라마"_k);
    items->Add("액션"_k);
    edit = false;
  };
  // Opened and left with Enter unchanged: nothing is rewritten.
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "n"));
  TControlEdit* edit = grid->HtmlControlEdit();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_EQ(edit->GetText(), "Kim & Lee");
  const TRect cell = grid->CellRect(2, 1);
  EXPECT_GE(edit->Left(), cell.Left);
  EXPECT_LE(edit->Left() + edit->Width(), cell.Right);
  SimulateKey(edit, VK_RETURN);
  EXPECT_FALSE(grid->ControlEditorActive());
  EXPECT_FALSE(edit->Visible());
  EXPECT_EQ(grid->Cells(2, 1), original);
  EXPECT_EQ(done, 1);
  // Typed Hangul goes into the control's VALUE; Tab skips the check box to the combo.
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "n"));
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  SimulateKey(edit, VK_END);
  SimulateImeCommit(edit, " \"홍\""_k);
  SimulateKey(edit, VK_TAB);
  EXPECT_EQ(doneValue, "Kim & Lee \"홍\""_k);
  EXPECT_EQ(ParseControlTag(grid->Cells(2, 1).substr(grid->Cells(2, 1).find("<CONTROL"))).Value, "Kim & Lee \"홍\""_k);
  ASSERT_TRUE(grid->ControlEditorActive()) << "Tab opens the next editable control";
  TControlCombo* combo = grid->HtmlControlCombo();
  ASSERT_TRUE(combo->Visible());
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Style(), csDropDownList);
  combo->SetDroppedDown(false);
  SimulateKey(combo, VK_ESCAPE);
  EXPECT_FALSE(grid->ControlEditorActive());
  EXPECT_NE(grid->Cells(2, 1).find("VALUE=\"액션\""_k), AnsiString::npos);
  // The control after one named goes to its editor; after the last the grid has the focus.
  grid->FocusNextCellControl(2, 1, "n");
  EXPECT_TRUE(combo->Visible());
  SimulateKey(combo, VK_ESCAPE);
  grid->FocusNextCellControl(2, 1, "g");
  EXPECT_FALSE(grid->ControlEditorActive());
  EXPECT_TRUE(PumpUntil([&] { return grid->Focused(); }));
  // Unknown ids and controls that are clicked, not edited, open nothing.
  EXPECT_FALSE(grid->StartControlEditor(2, 1, "c"));
  EXPECT_FALSE(grid->StartControlEditor(2, 1, "zz"));
  EXPECT_FALSE(grid->StartControlEditor(3, 1, "n"));
}

TEST_F(EditDetailDesk, LeavingAFormControlEditorByFocusKeepsTheValueAndAdvanceAutoMovesOn) {
  grid->SetColWidths(2, 300);
  grid->SetCells(2, 1, "<CONTROL TYPE=\"PASSWORD\" ID=\"p\" VALUE=\"\" WIDTH=\"80\">");
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "p"));
  TControlEdit* edit = grid->HtmlControlEdit();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_EQ(edit->PasswordChar(), '*');
  SimulateTyping(edit, "s3cret");
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !grid->ControlEditorActive(); }));
  EXPECT_NE(grid->Cells(2, 1).find("s3cret"), AnsiString::npos);
  grid->Navigation()->SetAdvanceAuto(true);
  grid->SetCol(2);
  grid->SetRow(1);
  ASSERT_TRUE(grid->StartControlEditor(2, 1, "p"));
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  SimulateKey(edit, VK_TAB);
  EXPECT_FALSE(grid->ControlEditorActive());
  EXPECT_NE(std::make_pair(grid->Col(), grid->Row()), std::make_pair(2, 1));
}

// ---------------------------------------------------------------- several lines

TEST_F(EditDetailDesk, WithLineFeedOnEnterTheTextEditorTakesSeveralLinesAndItsArrowsMoveBetweenThem) {
  grid->Navigation()->SetLineFeedOnEnter(true);
  grid->SetRowHeights(2, 60);
  grid->SetCells(2, 2, "");
  Open(2, 2);
  TInplaceEdit* edit = grid->InplaceEditor();
  ASSERT_TRUE(edit && edit->Visible());
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_TRUE(edit->IsMultiLineWidget());
  SimulateTyping(edit, "ab");
  SimulateKey(edit, VK_RETURN);
  SimulateImeCommit(edit, "영화"_k);
  EXPECT_EQ(edit->GetText(), "ab\r\n영화"_k);
  EXPECT_TRUE(grid->Editing()) << "Enter typed a line break";
  SimulateKey(edit, VK_UP);
  EXPECT_TRUE(grid->Editing());
  EXPECT_EQ(grid->Row(), 2) << "Up on the second line stays in the editor";
  EXPECT_TRUE(edit->CaretOnFirstLine());
  SimulateKey(edit, VK_DOWN);
  EXPECT_TRUE(edit->CaretOnLastLine());
  SimulateKey(edit, VK_DOWN);
  EXPECT_EQ(grid->Row(), 3) << "Down on the last line leaves the cell";
  EXPECT_EQ(grid->Cells(2, 2), "ab\r\n영화"_k);
  // Without a way to type a line break the editor is one line again, and
  // a password never shows its lines.
  SimulateKey(grid, VK_ESCAPE);
  grid->Navigation()->SetLineFeedOnEnter(false);
  Open(2, 1);
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor()->Visible() && grid->InplaceEditor()->Focused(); }));
  EXPECT_EQ(grid->Row(), 1);
  EXPECT_FALSE(grid->InplaceEditor()->IsMultiLineWidget());
  SimulateKey(grid->InplaceEditor(), VK_ESCAPE);
  grid->SetMultilinecells(true);
  type = edPassword;
  Open(1, 1);
  ASSERT_TRUE(PumpUntil([&] { return grid->InplaceEditor()->Visible() && grid->InplaceEditor()->Focused(); }));
  EXPECT_EQ(grid->InplaceEditor()->PasswordChar(), '*');
  EXPECT_FALSE(grid->InplaceEditor()->IsMultiLineWidget());
}

TEST_F(EditDetailDesk, VAlignRightAlignsTheTextEditor) {
  Open(2, 1);
  auto* edit = grid->ExInplaceEditor();
  ASSERT_TRUE(edit && edit->Visible());
  EXPECT_FALSE(edit->RightAligned());
  SimulateKey(edit, VK_ESCAPE);
  edit->SetVAlign(true);
  Open(2, 2);
  EXPECT_TRUE(edit->RightAligned());
}

TEST_F(EditDetailDesk, TheEditorPutsItsLineWhereTheCellShowsItsText) {
  grid->OnGetAlignment = [](TObject*, int row, int, TAlignment&, TVAlignment& v) { if (row == 2) v = vtaBottom; };
  Open(2, 1);
  ASSERT_TRUE(grid->ExInplaceEditor() && grid->ExInplaceEditor()->Visible());
  EXPECT_EQ(grid->ExInplaceEditor()->VerticalAlignment(), DT_TOP);
  SimulateKey(grid->ExInplaceEditor(), VK_ESCAPE);
  Open(2, 2);
  EXPECT_EQ(grid->ExInplaceEditor()->VerticalAlignment(), DT_BOTTOM);
}

// ---------------------------------------------------------------- rich text

TEST_F(EditDetailDesk, TheRichTextEditorShowsTheCellsFormattingAndWritesItBack) {
  type = edRichEdit;
  const AnsiString rtf =
      "{\\rtf1\\ansi\\ansicpg949{\\fonttbl{\\f0 Arial;}}{\\colortbl ;\\red255\\green0\\blue0;}"
      "\\pard {\\b 굵게} {\\cf1 빨강}\\par\\pard\\qr Zo\\u337?}"_k;
  grid->SetCells(1, 2, rtf);
  Open(1, 2);
  ASSERT_EQ(grid->ActiveEditorControl(), grid->RichEdit());
  TExRichEdit* edit = grid->RichEdit();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  EXPECT_EQ(edit->GetText(), "굵게 빨강\r\nZo?"_k.substr(0, 13) + edit->GetText().substr(13));
  EXPECT_EQ(RichTextToPlainText(edit->RichText()), RichTextToPlainText(rtf));
  // In a wrapping grid Up and Down move between the lines.
  SimulateKey(edit, VK_UP);
  EXPECT_TRUE(grid->Editing());
  // Left unchanged: the cell keeps its own text, byte for byte.
  SimulateKey(edit, VK_RETURN);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(grid->Cells(1, 2), rtf);
  // Typed Hangul is added; the formatting and the character code page 949
  // lacks survive the trip.
  Open(1, 2);
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  SimulateKey(edit, VK_END, TShiftState{ssCtrl});
  SimulateImeCommit(edit, "영화"_k);
  SimulateKey(edit, VK_TAB);
  const AnsiString written = grid->Cells(1, 2);
  EXPECT_NE(written, rtf);
  EXPECT_EQ(RichTextToPlainText(written), RichTextToPlainText(rtf) + "영화"_k);
  EXPECT_NE(written.find("\\b"), AnsiString::npos);
  EXPECT_NE(written.find("\\red255\\green0\\blue0"), AnsiString::npos);
  EXPECT_NE(written.find("\\qr"), AnsiString::npos) << written;
  EXPECT_NE(written.find("\\u337?"), AnsiString::npos);
}

// ---------------------------------------------------------------- background picture

TEST(EditDetailBackground, AFixedBackgroundPictureStaysInPlaceWhenTheGridScrolls) {
  TEditorForm shown;
  auto* grid = new TExStringGrid(shown.form);
  grid->SetParent(shown.form);
  grid->SetBorderStyle(bsNone);
  grid->SetBounds(0, 0, 400, 200);
  grid->SetColCount(5);
  grid->SetRowCount(60);
  TBitmap picture;
  picture.SetSize(30, 30);
  picture.Canvas()->Brush()->SetColor(0x00FF00);
  picture.Canvas()->FillRect(Rect(0, 0, 30, 30));
  grid->BackGround()->SetDisplay(bdFixed);
  grid->BackGround()->SetLeft(150);
  grid->BackGround()->SetTop(100);
  grid->BackGround()->SetBitmap(&picture);
  TBitmap before;
  PaintControlTo(grid, before);
  ASSERT_EQ(before.PixelColor(165, 115), 0x00FF00u);
  grid->SetTopRow(20);
  TBitmap after;
  PaintControlTo(grid, after);
  EXPECT_EQ(after.PixelColor(165, 115), 0x00FF00u);
  EXPECT_NE(after.PixelColor(165, 135), 0x00FF00u) << "nothing of it is left below its place";
}
