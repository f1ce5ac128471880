// Editing cells with real editors on a shown grid: every editor type opens
// on the cell's value, writes an edited value back and writes nothing when
// the user leaves it unchanged; validation keeps the editor open; Escape
// restores; typing filters and length limits work on whole Hangul
// syllables; the edit link plugs in a control of the application's own.
#include <gtest/gtest.h>

#include <string>

#include "EditorTestSupport.h"
#include "GridEditDesk.h"
#include "grid/ExCGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"

namespace {

struct CellEditDesk : GridEditDesk {};

}  // namespace

// ---------------------------------------------------------------- opening and writing back

TEST_F(CellEditDesk, EachControlEditorOpensOnTheCellsValueAndUnchangedWritesNothing) {
  struct Case {
    TEditorType type;
    const char* cell;
    const char* shown;  // what the control shows, "" to skip
  };
  const Case cases[] = {
      {edSpinEdit, "abc", "0"},            // a text that is no number shows 0 ...
      {edFloatSpinEdit, "n/a", "0"},       // ... and stays as it was
      {edTimeSpinEdit, "10:30:00", "10:30:00"},
      {edDateSpinEdit, "", ""},            // an empty date opens on today
      {edComboEdit, "free text", "free text"},
      {edComboList, "not listed", "사과"},  // opens on the first item
      {edEditBtn, "path", "path"},
      {edUnitEditBtn, "10 km2", "10"},
      {edCheckBox, "Y", "Y"},
      {edDateEdit, "not a date", ""},      // opens on today
      {edTimeEdit, "", ""},
      {edButton, "Go", "Go"},
      {edRichEdit, "memo text", "memo text"},
  };
  grid->Combobox()->Items()->Add("사과"_k);
  grid->Combobox()->Items()->Add("배"_k);
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    type = c.type;
    const AnsiString cell = Utf8ToCp949(c.cell);
    grid->SetCells(1, 1, cell);
    writes = 0;
    Open(1, 1);
    ASSERT_NE(Editor(), nullptr) << "the editor of the type opens";
    EXPECT_TRUE(Editor()->Visible());
    EXPECT_FALSE(TextEditorShowing()) << "the class library's editor stays hidden";
    if (*c.shown) {
      EXPECT_EQ(Editor()->Text(), Utf8ToCp949(c.shown));
    }
    // Leave as a user does: the focus goes back to the grid.
    grid->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return !grid->Editing(); }));
    EXPECT_FALSE(Editor() && Editor()->Visible());
    EXPECT_EQ(Cell(1, 1), cell) << "visiting the cell never rewrites it";
    EXPECT_EQ(writes, 0);
  }
}

TEST_F(CellEditDesk, EditedValuesComeBackInTheFormTheCellStores) {
  // Spin: Up steps, Enter writes.
  type = edSpinEdit;
  grid->SetCells(1, 1, "42");
  Open(1, 1);
  ASSERT_NE(grid->SpinEdit(), nullptr);
  EXPECT_EQ(grid->SpinEdit()->Text(), "42");
  SimulateKey(Editor(), VK_UP);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 1), "43");

  // Combo list: Down picks the next item.
  type = edComboList;
  grid->Combobox()->Items()->Add("사과"_k);
  grid->Combobox()->Items()->Add("배"_k);
  grid->SetCells(1, 2, "사과"_k);
  Open(1, 2);
  SimulateWheel(Editor(), -120);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "배"_k);

  // Unit: the number changes, the unit stays with it.
  type = edUnitEditBtn;
  grid->SetCells(1, 3, "10 km2");
  Open(1, 3);
  EXPECT_EQ(grid->UnitEditBtn()->UnitID(), " km2");
  SimulateKey(Editor(), VK_END);
  SimulateTyping(Editor(), "5");
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 3), "105 km2");

  // Date: stored as the program writes dates, whatever the desktop's locale.
  type = edDateEdit;
  grid->SetCells(1, 4, "2024-03-05");
  Open(1, 4);
  EXPECT_EQ(DateToStr(grid->DatePicker()->Date()), "2024-03-05");
  grid->DatePicker()->SetDate(EncodeDate(2024, 12, 25));
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 4), "2024-12-25");
}

TEST_F(CellEditDesk, TheEllipsisButtonChangesTheTextThroughItsEvent) {
  type = edEditBtn;
  grid->OnEllipsClick = [](TObject*, int col, int row, AnsiString& s) { s = "chosen " + IntToStr(col) + IntToStr(row); };
  grid->SetCells(1, 2, "old");
  Open(1, 2);
  grid->EditBtn()->ClickButton();
  EXPECT_EQ(grid->EditBtn()->Text(), "chosen 12");
  SimulateKey(Editor(), VK_TAB);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 2), "chosen 12");

  // The button editor changes only its caption.
  type = edButton;
  grid->SetCells(1, 3, "Go");
  Open(1, 3);
  SimulateKey(Editor(), VK_SPACE);
  EXPECT_EQ(grid->ButtonEditor()->Caption(), "chosen 13");
  EXPECT_EQ(Cell(1, 3), "Go");
}

TEST_F(CellEditDesk, UnicodeEditKeepsCharactersCodePage949CannotHold) {
  type = edUniEdit;
  grid->SetWideCell(1, 1, u"Zoë");
  Open(1, 1);
  ASSERT_EQ(Editor(), grid->UniEdit());
  EXPECT_EQ(grid->UniEdit()->WideText(), u"Zoë");
  SimulateKey(Editor(), VK_END);
  SimulateImeCommit(Editor(), Utf8ToCp949("한"));
  grid->UniEdit()->SetWideText(grid->UniEdit()->WideText() + u"ő");
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(grid->GetWideCell(1, 1), u"Zoë한ő");
}

TEST_F(CellEditDesk, ACellControlOrEdNoneNeverGetsAnEditorAndTheTypeIsAskedOncePerEdit) {
  int asked = 0;
  type = edNone;
  grid->OnGetEditorType = [&](TObject*, int col, int, TEditorType& editor) {
    ++asked;
    if (col == 1) editor = type;
  };
  Open(1, 1);
  EXPECT_FALSE(grid->Editing());
  EXPECT_FALSE(TextEditorShowing());

  type = edNormal;
  asked = 0;
  Open(1, 2);
  ASSERT_TRUE(TextEditorShowing());
  grid->ShowEditor();
  grid->ShowEditor();
  EXPECT_EQ(asked, 1) << "however often the class library asks";
  SimulateKey(TextEditor(), VK_ESCAPE);

  grid->CreateCellGraphic(2, 3)->SetCellType(ctCheckBox);
  grid->SetCol(2);
  grid->SetRow(3);
  SimulateKey(grid, VK_F2);
  EXPECT_FALSE(grid->Editing());
  EXPECT_FALSE(TextEditorShowing());
}

// ---------------------------------------------------------------- validation and Escape

TEST_F(CellEditDesk, AnInvalidValueKeepsTheEditorOpenAndTheCellItsText) {
  grid->SetCells(1, 1, "good");
  std::vector<AnsiString> seen;
  grid->OnCellValidate = [&](TObject*, int col, int row, AnsiString& value, bool& valid) {
    seen.push_back(value);
    valid = value != "bad";
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 1);
  };
  Open(1, 1);
  ASSERT_TRUE(TextEditorShowing());
  TextEditor()->SelectAll();
  SimulateTyping(TextEditor(), "bad");
  SimulateKey(TextEditor(), VK_RETURN);
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], "bad");
  EXPECT_TRUE(TextEditorShowing()) << "the editor stays on the cell";
  EXPECT_EQ(Cell(1, 1), "good");
  EXPECT_EQ(grid->Col(), 1);

  TextEditor()->SelectAll();
  SimulateTyping(TextEditor(), "fine");
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "fine");

  // A control editor: Enter validates and keeps the spin editor open.
  type = edSpinEdit;
  grid->OnCellValidate = [&](TObject*, int, int, AnsiString& value, bool& valid) { valid = value != "8"; };
  grid->SetCells(1, 2, "7");
  Open(1, 2);
  SimulateKey(Editor(), VK_UP);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_TRUE(grid->Editing()) << "the spin editor stays open";
  EXPECT_EQ(Cell(1, 2), "7");
  EXPECT_EQ(grid->SpinEdit()->Text(), "7");
  SimulateKey(Editor(), VK_ESCAPE);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 2), "7");
  // A click on another cell validates as the leave keys do, in every editor.
  grid->OnCellValidate = [&](TObject*, int, int, AnsiString& value, bool& valid) {
    seen.push_back(value);
    valid = value.find('8') == AnsiString::npos;
  };
  const auto change = [&](TWinControl* e) {
    type == edDateEdit ? grid->DatePicker()->SetDate(EncodeDate(2018, 8, 8)) : SimulateTyping(e, "8");
  };
  for (TEditorType t : {edComboEdit, edEditBtn, edSpinEdit, edDateEdit, edNormal}) {
    type = t;
    grid->SetCells(1, 3, t == edDateEdit ? "2020-01-02" : "7");
    const AnsiString start = Cell(1, 3);
    Open(1, 3);
    TWinControl* e = t == edNormal ? TextEditor() : Editor();
    change(e);
    seen.clear();
    ClickCellCenter(grid, 2, 4);
    EXPECT_TRUE(seen.size() == 1 && Cell(1, 3) == start && grid->Col() == 1 && grid->Row() == 3 && e->Visible())
        << t << ": refused, the user stays in the cell with the editor open";
    change(e);
    SimulateKey(e, VK_RETURN);
    EXPECT_TRUE(grid->Editing()) << t << ": Enter refuses it too";
    SimulateKey(e, VK_ESCAPE);
  }
  Open(1, 3);
  SimulateTyping(TextEditor(), "0");
  writes = 0;
  ClickCellCenter(grid, 2, 4);
  EXPECT_TRUE(Cell(1, 3) == "70" && writes == 1 && grid->Col() == 2) << "accepted, it is stored and reported";
}

TEST_F(CellEditDesk, EscapeRestoresTheTextTheCellHadInEveryEditor) {
  grid->SetCells(1, 1, "start");
  Open(1, 1);
  TextEditor()->SelectAll();
  SimulateTyping(TextEditor(), "typed over");
  EXPECT_EQ(Cell(1, 1), "typed over") << "the text editor writes as the user types";
  SimulateKey(TextEditor(), VK_ESCAPE);
  EXPECT_EQ(Cell(1, 1), "start");

  for (TEditorType t : {edComboEdit, edEditBtn, edSpinEdit, edRichEdit}) {
    SCOPED_TRACE(static_cast<int>(t));
    type = t;
    grid->SetCells(1, 2, "5");
    Open(1, 2);
    ASSERT_NE(Editor(), nullptr);
    SimulateTyping(Editor(), "9");
    SimulateKey(Editor(), VK_ESCAPE);
    EXPECT_FALSE(grid->Editing());
    EXPECT_EQ(Cell(1, 2), "5");
  }

  type = edDateEdit;
  grid->SetCells(1, 3, "2020-01-02");
  Open(1, 3);
  grid->DatePicker()->SetDate(EncodeDate(2021, 5, 5));
  SimulateKey(Editor(), VK_ESCAPE);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 3), "2020-01-02");
}

// ---------------------------------------------------------------- typing

TEST_F(CellEditDesk, HangulCommittedOnTheGridStartsTheEditWithTheWholeSyllable) {
  grid->SetCells(1, 1, "old");
  grid->SetCol(1);
  grid->SetRow(1);
  SimulateImeCommit(grid, "한"_k);
  ASSERT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->GetText(), "한"_k);
  SimulateImeCommit(TextEditor(), "글"_k);
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "한글"_k);

  // A control editor that takes the typed character gets it whole.
  type = edEditBtn;
  grid->SetCol(1);
  grid->SetRow(2);
  SimulateImeCommit(grid, "가"_k);
  ASSERT_EQ(Editor(), grid->EditBtn());
  EXPECT_EQ(grid->EditBtn()->Text(), "가"_k);
}

TEST_F(CellEditDesk, TheLengthLimitTakesASyllableWholeOrNotAtAll) {
  grid->Columns()->Items(1)->SetEditLength(5);
  grid->SetCells(1, 1, "");
  Open(1, 1);
  ASSERT_TRUE(TextEditorShowing());
  auto* edit = grid->ExInplaceEditor();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->LengthLimit(), 5);
  SimulateImeCommit(edit, "가나"_k);
  SimulateImeCommit(edit, "다"_k);
  EXPECT_EQ(edit->GetText(), "가나"_k) << "four bytes and a two-byte syllable do not fit five";
  SimulateTyping(edit, "ab");
  EXPECT_EQ(edit->GetText(), "가나a"_k);
  SimulateKey(edit, VK_BACK);
  SimulateKey(edit, VK_BACK);
  EXPECT_EQ(edit->GetText(), "가"_k) << "Backspace removes a whole syllable";
  // A paste that would pass the limit changes nothing.
  Clipboard()->SetAsText("다라마"_k);
  SimulateKey(edit, 'V', TShiftState{ssCtrl});
  EXPECT_EQ(edit->GetText(), "가"_k);
  Clipboard()->SetAsText("z");
  SimulateKey(edit, 'V', TShiftState{ssCtrl});
  EXPECT_EQ(edit->GetText(), "가z"_k);
}

TEST_F(CellEditDesk, TypingFiltersByEditorTypeNeverChangeASyllable) {
  struct Case {
    TEditorType type;
    AnsiString typed;
    AnsiString expected;
  };
  // "갵" ends in the byte of "a", "갂" in that of "A": case mapping must
  // not turn one into the other.
  const Case cases[] = {
      {edUpperCase, "x갵y"_k, "X갵Y"_k},
      {edCapital, "q"_k, "Q"_k},
      {edLowerCase, "X갂Y"_k, "x갂y"_k},
      {edNumeric, "1-2a3"_k, "123"_k},
      {edNumeric, "-4"_k, "-4"_k},
      {edPositiveNumeric, "-5x6"_k, "56"_k},
      {edFloat, "1.2.3,4"_k, "1.234"_k},
      {edNumeric, "7한8"_k, "78"_k},
      {edMixedCase, "hello world"_k, "Hello World"_k},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Cp949ToUtf8(c.typed));
    type = c.type;
    grid->SetCells(1, 1, "");
    Open(1, 1);
    ASSERT_TRUE(TextEditorShowing());
    for (std::size_t i = 0; i < c.typed.size(); ++i) {
      if (IsLeadByte(static_cast<unsigned char>(c.typed[i]))) {
        SimulateImeCommit(TextEditor(), c.typed.substr(i, 2));
        ++i;
      } else {
        SimulateTyping(TextEditor(), c.typed.substr(i, 1));
      }
    }
    EXPECT_EQ(TextEditor()->GetText(), c.expected);
    SimulateKey(TextEditor(), VK_RETURN);
    EXPECT_EQ(Cell(1, 1), c.expected);
  }
}

TEST_F(CellEditDesk, PastedTextFollowsTheTypeAndTheClipboardEventsCanRefuse) {
  type = edUpperCase;
  Open(1, 1);
  Clipboard()->SetAsText("abc");
  SimulateKey(TextEditor(), 'V', TShiftState{ssCtrl});
  EXPECT_EQ(TextEditor()->GetText(), "ABC");
  SimulateKey(TextEditor(), VK_ESCAPE);

  type = edCapital;
  grid->SetCells(1, 2, "");
  Open(1, 2);
  SimulateKey(TextEditor(), 'V', TShiftState{ssCtrl});
  EXPECT_EQ(TextEditor()->GetText(), "abc") << "edCapital leaves pasted text as it comes";
  SimulateKey(TextEditor(), VK_ESCAPE);

  type = edNumeric;
  grid->SetCells(1, 3, "");
  Open(1, 3);
  SimulateKey(TextEditor(), 'V', TShiftState{ssCtrl});
  EXPECT_EQ(TextEditor()->GetText(), "") << "no number, no paste";
  bool asked = false;
  grid->OnClipboardBeforePasteCell = [&](TObject*, int, int, AnsiString& value, bool& allow) {
    asked = true;
    value = "12";
    allow = true;
  };
  SimulateKey(TextEditor(), 'V', TShiftState{ssCtrl});
  EXPECT_TRUE(asked);
  EXPECT_EQ(TextEditor()->GetText(), "12");
  grid->OnClipboardCopy = [](TObject*, bool& allow) { allow = false; };
  TextEditor()->SelectAll();
  SimulateKey(TextEditor(), 'C', TShiftState{ssCtrl});
  EXPECT_EQ(Clipboard()->AsText(), "abc") << "a refused copy leaves the clipboard";
}

TEST_F(CellEditDesk, LookupCompletesFromTheItemsAndBackspaceDoesNotComplete) {
  grid->SetLookup(true);
  grid->LookupItems()->Add("Seoul");
  grid->LookupItems()->Add("서울역"_k);
  Open(1, 1);
  SimulateTyping(TextEditor(), "se");
  EXPECT_EQ(TextEditor()->GetText(), "seoul");
  EXPECT_EQ(TextEditor()->SelText(), "oul");
  SimulateKey(TextEditor(), VK_BACK);
  EXPECT_EQ(TextEditor()->GetText(), "se");
  TextEditor()->SetText("");
  SimulateImeCommit(TextEditor(), "서"_k);
  SimulateKeyUp(TextEditor(), VK_SPACE);  // the input method's key comes up
  EXPECT_EQ(TextEditor()->GetText(), "서울역"_k);
}

TEST_F(CellEditDesk, CursorWalkMovesToTheNextCellKeepingTheEditor) {
  grid->Navigation()->SetCursorWalkEditor(true);
  grid->SetCells(1, 1, "ab");
  grid->SetCells(2, 1, "cd");
  Open(1, 1);
  SimulateKey(TextEditor(), VK_END);
  SimulateKey(TextEditor(), VK_RIGHT);
  EXPECT_EQ(grid->Col(), 2);
  EXPECT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->GetText(), "cd");
  SimulateKey(TextEditor(), VK_HOME);
  SimulateKey(TextEditor(), VK_LEFT);
  EXPECT_EQ(grid->Col(), 1);
  EXPECT_TRUE(TextEditorShowing());
}

// ---------------------------------------------------------------- spin keys and the combo wheel

TEST_F(CellEditDesk, SpinKeysStepInsteadOfLeavingAndHomeEndGiveTheBounds) {
  type = edSpinEdit;
  grid->SpinEdit()->SetMinValue(1);
  grid->SpinEdit()->SetMaxValue(9);
  std::vector<std::pair<int, bool>> clicks;
  grid->OnSpinClick = [&](TObject*, int, int, int value, bool up) { clicks.push_back({value, up}); };
  grid->SetCells(1, 1, "5");
  Open(1, 1);
  SimulateKey(Editor(), VK_DOWN);
  SimulateKey(Editor(), VK_DOWN);
  EXPECT_TRUE(grid->Editing()) << "Down steps, it does not leave";
  EXPECT_EQ(grid->Row(), 1);
  SimulateKey(Editor(), VK_HOME);
  EXPECT_EQ(grid->SpinEdit()->Text(), "9");
  SimulateKey(Editor(), VK_END);
  EXPECT_EQ(grid->SpinEdit()->Text(), "1");
  ASSERT_EQ(clicks.size(), 4u);
  EXPECT_EQ(clicks[0], std::make_pair(4, false));
  EXPECT_EQ(clicks[2], std::make_pair(9, true));
  SimulateKey(Editor(), VK_TAB);
  EXPECT_EQ(Cell(1, 1), "1");

  // The date spin steps the month from the first field of "yyyy-mm-dd".
  type = edDateSpinEdit;
  grid->SetCells(1, 2, "2023-11-30");
  Open(1, 2);
  grid->SpinEdit()->SetSelStart(2);
  SimulateKey(Editor(), VK_UP);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "2023-12-30");
}

TEST_F(CellEditDesk, TheComboWheelStopsAtTheLastItem) {
  type = edComboList;
  for (const char* item : {"one", "two", "three"}) grid->Combobox()->Items()->Add(item);
  std::vector<int> changes;
  grid->OnComboChange = [&](TObject*, int, int, int index, const AnsiString&) { changes.push_back(index); };
  grid->SetCells(1, 1, "two");
  Open(1, 1);
  for (int i = 0; i < 4; ++i) SimulateWheel(Editor(), -120);
  EXPECT_EQ(grid->Combobox()->ItemIndex(), 2);
  EXPECT_EQ(changes, std::vector<int>{2}) << "no change reported past the end";
  for (int i = 0; i < 4; ++i) SimulateWheel(Editor(), 120);
  EXPECT_EQ(grid->Combobox()->ItemIndex(), 0);

  // An empty list opens on nothing and a wheel step does nothing.
  grid->Combobox()->Items()->Clear();
  SimulateKey(Editor(), VK_ESCAPE);
  grid->SetCells(1, 2, "kept");
  Open(1, 2);
  SimulateWheel(Editor(), -120);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "kept");
}

// ---------------------------------------------------------------- the column grid's column

TEST_F(CellEditDesk, AColumnGridEditsOnlyItsEditableColumnAndKeepsHiddenColumnsApart) {
  // As the catalogue sets its grid up: every column read-only but one, which
  // has the plain text editor.
  grid->OnGetEditorType = nullptr;
  for (int c = 0; c < grid->Columns()->Count(); ++c) grid->Columns()->Items(c)->SetReadOnly(c != 2);
  grid->SetCells(1, 1, "title");
  grid->SetCells(2, 1, "D:/영화"_k);
  grid->SetCells(3, 1, "other");
  Open(1, 1);
  EXPECT_FALSE(TextEditorShowing()) << "a read-only column opens no editor";
  grid->HideColumn(1);
  Open(1, 1);  // display column 1 is real column 2 now
  ASSERT_TRUE(TextEditorShowing());
  EXPECT_EQ(TextEditor()->GetText(), "D:/영화"_k);
  SimulateKey(TextEditor(), VK_END);
  SimulateImeCommit(TextEditor(), "/새"_k);
  SimulateKey(TextEditor(), VK_RETURN);
  EXPECT_EQ(Cell(2, 1), "D:/영화/새"_k);
  EXPECT_EQ(Cell(1, 1), "title") << "the hidden column before it is untouched";
  EXPECT_EQ(Cell(3, 1), "other");
}

// ---------------------------------------------------------------- the edit link

namespace {

// An application's link: a plain edit as the control.
class TTestLink : public TEditLink {
 public:
  using TEditLink::TEditLink;
  TEdit* edit = nullptr;
  std::vector<std::string> calls;
  TWinControl* GetEditControl() override { return edit; }
  void CreateEditor(TWinControl* parent) override {
    calls.push_back("create");
    if (!edit) {
      edit = new TEdit(this);
      edit->OnKeyDown = [this](TObject* sender, Word& key, TShiftState shift) { EditKeyDown(sender, key, shift); };
    }
    edit->SetParent(parent);
  }
  void SetProperties() override { calls.push_back("properties"); }
  void SetCellProps(TColor, TFont*) override { calls.push_back("cellprops"); }
  AnsiString GetEditorValue() override { return edit ? edit->Text() : AnsiString(); }
  void SetEditorValue(const AnsiString& s) override {
    calls.push_back("value");
    if (edit) edit->SetText(s);
  }
};

}  // namespace

TEST_F(CellEditDesk, TheEditLinkPlacesItsControlAndLeavesOnTheKeysItDoesNotWant) {
  type = edCustom;
  Open(1, 1);
  EXPECT_FALSE(grid->Editing()) << "edCustom without a link opens no editor";

  auto* link = new TTestLink(shown.form);
  grid->Columns()->Items(1)->SetEditor(edCustom);
  grid->Columns()->Items(1)->SetEditLink(link);
  grid->OnGetEditorProp = [&](TObject*, int, int, TEditLink* l) { link->calls.push_back(l == link ? "prop" : "?"); };
  grid->SetCells(1, 1, "linked");
  grid->SetCells(1, 2, "below");
  Open(1, 1);
  ASSERT_NE(link->edit, nullptr);
  EXPECT_EQ(link->calls, (std::vector<std::string>{"create", "cellprops", "properties", "prop", "value"}));
  EXPECT_EQ(Editor(), link->edit);
  EXPECT_TRUE(link->edit->Visible());
  EXPECT_EQ(link->edit->Text(), "linked");
  EXPECT_EQ(link->Grid(), grid);
  EXPECT_EQ(link->EditCol(), 1);

  // Home never leaves; Escape puts the start text back, so the cell keeps it.
  SimulateTyping(link->edit, "X");
  SimulateKey(link->edit, VK_HOME);
  EXPECT_TRUE(grid->Editing());
  SimulateKey(link->edit, VK_ESCAPE);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 1), "linked");
  EXPECT_FALSE(link->edit->Visible());

  // With WantKeyUpDown Down stays with the control; without it the cell moves.
  link->SetWantKeyUpDown(true);
  link->SetWantKeyHomeEnd(true);  // End stays with the control too
  Open(1, 1);
  SimulateKey(link->edit, VK_DOWN);
  EXPECT_TRUE(grid->Editing());
  SimulateKey(link->edit, VK_END);
  SimulateTyping(link->edit, "!");
  link->SetWantKeyUpDown(false);
  SimulateKey(link->edit, VK_DOWN);
  EXPECT_FALSE(grid->Editing());
  EXPECT_EQ(Cell(1, 1), "linked!");
  EXPECT_EQ(grid->Row(), 2);

  // A second focus of the same edit installs the key hook once: the
  // control's messages still reach it and nothing recurses.
  Open(1, 2);
  link->SetFocus(true);
  link->SetFocus(true);
  EXPECT_NE(link->edit->Perform(WM_GETDLGCODE, 0, 0), -1);
  SimulateTyping(link->edit, "?");
  SimulateKey(link->edit, VK_RETURN);
  EXPECT_EQ(Cell(1, 2), "below?");

  delete link;
  EXPECT_EQ(grid->Columns()->Items(1)->EditLink(), nullptr) << "the column forgets a link that goes";
  Open(1, 1);
  EXPECT_FALSE(grid->Editing());
}

// ---------------------------------------------------------------- keypad, growth, popup link, time format

TEST_F(CellEditDesk, TheKeypadDecimalKeyTypesTheLocalesSeparator) {
  FormatSettings.DecimalSeparator = ',';
  FormatSettings.ThousandSeparator = '.';
  grid->SetExcelStyleDecimalSeparator(true);
  Open(1, 1);
  TextEditor()->SelectAll();
  SimulateTyping(TextEditor(), "3");
  SimulateKey(TextEditor(), VK_DECIMAL, {}, ".", true);
  SimulateTyping(TextEditor(), "5.");
  EXPECT_EQ(TextEditor()->GetText(), "3,5.") << "the keypad's key gives a comma, the main full stop a dot";
}

TEST_F(CellEditDesk, TheColumnWidensWhileTyping) {
  grid->SizeWhileTyping()->SetWidth(true);
  grid->SetColWidths(1, 40);
  Open(1, 1);
  SimulateTyping(TextEditor(), "a rather long text for a narrow column");
  EXPECT_GT(grid->ColWidths(1), 40);
  EXPECT_GE(TextEditor()->Width() + 1, grid->ColWidths(1) - 1);
}

TEST_F(CellEditDesk, APopupLinkOpensAsWideAsTheCellAndWritesItsValue) {
  type = edCustom;
  auto* link = new TTestLink(shown.form);
  link->SetEditStyle(esPopup);
  link->SetAutoPopupWidth(true);
  link->SetPopupHeight(60);
  link->SetWantKeyHomeEnd(true);
  grid->SetCurrentEditLink(link);
  grid->SetColWidths(1, 90);
  grid->SetCells(1, 1, "pop");
  Open(1, 1);
  ASSERT_NE(link->PopupForm(), nullptr);
  EXPECT_EQ(link->PopupWidth(), grid->CellRect(1, 1).Width());
  EXPECT_TRUE(link->PopupForm()->Visible());
  EXPECT_EQ(link->edit->Parent(), link->PopupForm());
  EXPECT_EQ(link->edit->Text(), "pop");
  SimulateKey(link->edit, VK_END);
  SimulateTyping(link->edit, "up");
  EXPECT_EQ(link->edit->Text(), "popup");
  EXPECT_TRUE(grid->Editing());
  SimulateKey(link->edit, VK_RETURN);
  EXPECT_FALSE(grid->Editing());
  EXPECT_FALSE(link->PopupForm()->Visible());
  EXPECT_EQ(Cell(1, 1), "popup");
  delete link;
  EXPECT_EQ(grid->CurrentEditLink(), nullptr) << "the grid forgets a link that goes";
}

TEST_F(CellEditDesk, TheTimeEditorWritesWithThePickersFormat) {
  type = edTimeEdit;
  grid->DatePicker()->SetFormat("HH:mm");
  grid->SetCells(1, 1, "");
  Open(1, 1);
  grid->DatePicker()->SetTime(EncodeTime(14, 5, 0, 0));
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "14:05");
  EXPECT_EQ(FormatSettings.LongTimeFormat, TFormatSettings::Korean().LongTimeFormat) << "the format is put back";
}

TEST_F(CellEditDesk, TheComboCompletesTypingFromItsItemsThenTheLookupItems) {
  type = edComboEdit;
  grid->SetLookup(true);
  grid->Combobox()->Items()->Add("Busan");
  grid->LookupItems()->Add("Daegu");
  grid->SetCells(1, 1, "");
  Open(1, 1);
  SimulateTyping(Editor(), "bu");
  EXPECT_EQ(grid->Combobox()->Text(), "busan");
  SimulateKey(Editor(), VK_BACK);
  EXPECT_EQ(grid->Combobox()->Text(), "bu") << "Backspace removes the completion and does not complete again";
  grid->Combobox()->SetText("");
  SimulateTyping(Editor(), "da");
  EXPECT_EQ(grid->Combobox()->Text(), "daegu");
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(Cell(1, 1), "daegu");
}

TEST_F(CellEditDesk, TheTransparentEditStoresOnlyAValidTextWhenItLeaves) {
  auto* trans = new TGridTransEdit(grid);
  trans->SetParent(grid);
  trans->SetCol(2);
  trans->SetRow(3);
  trans->SetBounds(10, 10, 80, 20);
  trans->SetVisible(true);
  grid->OnCellValidate = [](TObject*, int, int, AnsiString& value, bool& valid) { valid = value != "no"; };
  trans->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return trans->Focused(); }));
  SimulateTyping(trans, "no");
  SimulateKey(trans, VK_RETURN);
  EXPECT_EQ(trans->Text(), "no") << "Enter types nothing";
  grid->SetFocus();
  PumpFor(50);
  EXPECT_TRUE(trans->Focused()) << "an invalid text keeps the focus";
  EXPECT_EQ(Cell(2, 3), "");
  EXPECT_EQ(grid->Col(), 2);
  trans->SetText("yes");
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !trans->Visible(); }));
  EXPECT_EQ(Cell(2, 3), "yes");
}

TEST_F(CellEditDesk, ACharacterTypedOnTheGridGoesIntoTheEditorsThatTakeIt) {
  struct Case {
    TEditorType type;
    const char* shown;  // the editor's text after typing "7" on the grid
  };
  const Case cases[] = {
      {edSpinEdit, "7"}, {edComboEdit, "7"}, {edEditBtn, "7"}, {edRichEdit, "7"},
      {edCheckBox, "cell"}, {edButton, "cell"}, {edDateEdit, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    type = c.type;
    grid->SetCells(1, 1, "cell");
    grid->SetCol(1);
    grid->SetRow(1);
    grid->SetFocus();
    SimulateTyping(grid, "7");
    ASSERT_NE(Editor(), nullptr);
    if (*c.shown) {
      EXPECT_EQ(Editor()->Text(), c.shown);
    }
    SimulateKey(Editor(), VK_ESCAPE);
    EXPECT_EQ(Cell(1, 1), "cell");
  }
}

TEST_F(CellEditDesk, EveryChangeInTheTextEditorIsReported) {
  std::vector<AnsiString> changes;
  grid->OnEditChange = [&](TObject*, int col, int row, const AnsiString& value) {
    EXPECT_EQ(col, 1);
    EXPECT_EQ(row, 2);
    changes.push_back(value);
  };
  grid->SetCells(1, 2, "");
  Open(1, 2);
  SimulateTyping(TextEditor(), "ab");
  SimulateImeCommit(TextEditor(), "가"_k);
  EXPECT_EQ(changes, (std::vector<AnsiString>{"a", "ab", "ab가"_k}));
}

TEST_F(CellEditDesk, DirectDateDropOpensTheCalendarWhichKeysDoNotLeave) {
  type = edDateEdit;
  grid->MouseActions()->SetDirectDateDrop(true);
  grid->SetCells(1, 1, "2024-02-10");
  Open(1, 1);
  ASSERT_EQ(Editor(), grid->DatePicker());
  ASSERT_TRUE(PumpUntil([&] { return grid->DatePicker()->CalendarDropped(); }));
  EXPECT_TRUE(grid->Editing()) << "the calendar taking the focus is no leave";
}

TEST_F(CellEditDesk, TheTextEditorCoversAMergedCellWhole) {
  grid->MergeCells(1, 1, 2, 1);  // two columns, one row
  grid->SetCells(1, 1, "wide");
  Open(1, 1);
  ASSERT_TRUE(TextEditorShowing());
  const TRect merged = grid->MergedCellRect(1, 1);
  EXPECT_EQ(TextEditor()->Left(), merged.Left);
  EXPECT_EQ(TextEditor()->Width(), merged.Width() - 1);
  EXPECT_GT(TextEditor()->Width(), grid->ColWidths(1));
}

// ---------------------------------------------------------------- lifetimes

TEST(CellEditorLifetime, AGridOrALinkThatGoesWhileEditingLeavesNothingBehind) {
  TKoreanLocale locale;
  for (TEditorType type : {edNormal, edSpinEdit, edComboList, edDateEdit, edRichEdit, edCustom}) {
    SCOPED_TRACE(static_cast<int>(type));
    TEditorForm shown;
    auto* grid = new TExColumnGrid(shown.form);
    grid->SetParent(shown.form);
    grid->SetBounds(0, 0, 400, 300);
    grid->SetOptions(grid->Options() + TGridOptions{goEditing});
    grid->OnGetEditorType = [type](TObject*, int, int, TEditorType& editor) { editor = type; };
    auto* link = new TTestLink(shown.form);
    grid->SetCurrentEditLink(link);
    grid->SetCells(1, 1, "text");
    grid->SetCol(1);
    grid->SetRow(1);
    grid->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return grid->Focused(); }));
    SimulateKey(grid, VK_F2);
    ASSERT_TRUE(grid->Editing());
    if (type == edCustom) {
      delete link;  // the application frees its link in the middle of the edit
      EXPECT_FALSE(grid->Editing());
      EXPECT_EQ(grid->ActiveEditorControl(), nullptr);
      SimulateKey(grid, VK_DOWN);
      EXPECT_EQ(grid->Cells(1, 1), "text");
    }
    delete grid;  // with the editor open
    PumpFor(10);
  }
}

TEST_F(CellEditDesk, EditingDoneFiresOncePerClosedEditor) {
  int done = 0;
  grid->OnEditingDone = [&](TObject*) { ++done; };
  type = edSpinEdit;
  grid->SetCells(1, 1, "3");
  Open(1, 1);
  SimulateKey(Editor(), VK_UP);
  SimulateKey(Editor(), VK_RETURN);
  EXPECT_EQ(done, 1);
  Open(1, 1);
  grid->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !grid->Editing(); }));
  EXPECT_EQ(done, 2) << "also when the focus takes the editor away";
  EXPECT_EQ(Cell(1, 1), "4");
}

TEST_F(CellEditDesk, PasswordCellsHideTheTextAndLeftTextsJoinTheLookupItems) {
  type = edPassword;
  grid->SetCells(1, 1, "secret");
  Open(1, 1);
  EXPECT_EQ(TextEditor()->PasswordChar(), '*');
  SimulateKey(TextEditor(), VK_ESCAPE);

  type = edNormal;
  Open(1, 2);
  EXPECT_EQ(TextEditor()->PasswordChar(), 0);
  grid->SetLookupHistory(true);
  SimulateTyping(TextEditor(), "remembered");
  auto* other = new TEdit(shown.form);
  other->SetParent(shown.form);
  other->SetBounds(0, 385, 100, 20);
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !grid->Editing(); }));
  EXPECT_EQ(Cell(1, 2), "remembered");
  EXPECT_GE(grid->LookupItems()->IndexOf("remembered"), 0);
}

TEST_F(CellEditDesk, TypingOnAReadOnlyCellOfAnEditableGridIsTheLookUp) {
  grid->OnGetEditorType = nullptr;
  grid->Columns()->Items(1)->SetReadOnly(true);
  grid->Navigation()->SetAutoGotoWhenSorted(true);
  grid->SetCells(1, 1, "apple");
  grid->SetCells(1, 2, "banana");
  grid->SetCells(1, 3, "체리"_k);
  grid->SetCol(1);
  grid->SetRow(1);
  SimulateTyping(grid, "b");
  EXPECT_EQ(grid->Row(), 2);
  EXPECT_FALSE(TextEditorShowing());
  SimulateImeCommit(grid, "체"_k);
  EXPECT_EQ(grid->Row(), 3) << "a Hangul syllable is looked up whole";
  EXPECT_TRUE(grid->Options().contains(goEditing));
  EXPECT_EQ(Cell(1, 2), "banana");
}
