// The catalogue window: building it, start and end, keys, the menu panel,
// the resize layout and the busy texts.
//
// Sections:
//   construction ..... the areas from the bottom up, then the grid's events
//   start and end .... FormCreate, FormShow, FormClose, LoadIniSetup
//   keys ............. FormKeyDown (the window previews keys)
//   menu panel ....... toggling, page buttons, the mouse-leave rule
//   layout ........... FormResize
//   busy texts ....... Epanel over the grid
#include "app/FormMain.h"

#include <algorithm>
#include <memory>
#include <utility>

#include "app/Catalogue.h"
#include "app/FormSetup.h"
#include "app/UpdateCheck.h"
#include "app/WebHosts.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Messages.h"

TFormMain* FormMain = nullptr;

namespace {

constexpr int kMenuPanelWidth = 330;
constexpr int kMenuPanelHeight = 270;
// The menu panel above the two bottom bars, and about twenty rows of movies.
constexpr int kMinClientHeight = 560;
// The narrowest the shelf (보관위치) of the current movie gets beside its
// watched and lent state: a short shelf name still reads whole.
constexpr int kMinShelfWidth = 96;

}  // namespace

// ---------------------------------------------------------------- construction

TFormMain::TFormMain(TComponent* owner) : TForm(owner) {
  FormMain = this;
  SetName("FormMain");
  SetCaption("Vidrena - NewDB");
  SetBounds(0, 0, 1180, 760);
  SetPosition(poScreenCenter);
  SetKeyPreview(true);
  Font()->SetName("굴림"_k);
  Font()->SetSize(9);
  BuildWindow();
  SetMinimumSize();
  WireRecordOperations();
  WireToolWindows();
  OnCreate = [this](TObject* s) { FormCreate(s); };
  OnShow = [this](TObject* s) { FormShow(s); };
  OnClose = [this](TObject* s, TCloseAction& a) { FormClose(s, a); };
  OnCloseQuery = [this](TObject* s, bool& c) { FormCloseQuery(s, c); };
  OnResize = [this](TObject* s) { FormResize(s); };
  OnKeyDown = [this](TObject* s, Word& k, TShiftState sh) { FormKeyDown(s, k, sh); };
  OnMouseLeave = [this](TObject*) { MenuPanelMouseLeave(Mouse->CursorPos()); };
}

TFormMain::~TFormMain() {
  if (FormMain == this) FormMain = nullptr;
  // The application outlives the window: its hint handler must not call back here.
  if (hintHandlerSet_) Application->OnHint = nullptr;
}

void TFormMain::BuildWindow() {
  BuildStatusBar();
  BuildButtonBar();
  BuildSearchBar();
  BuildDetailPane();

  ScPanel1 = new TScPanel(this);
  ScPanel1->SetParent(this);
  ScPanel1->SetAlign(alClient);
  ScPanel1->SetBevelOuter(bvNone);

  movie_Grid = new TCatalogueGrid(this);
  movie_Grid->SetParent(ScPanel1);
  movie_Grid->SetAlign(alClient);
  SetupCatalogueGrid(*movie_Grid);
  WireGrid();

  Epanel = new TScPanel(this);
  Epanel->SetParent(ScPanel1);
  Epanel->SetBounds(40, 60, 320, 48);
  Epanel->SetColor(0xF4E7D9);
  Epanel->Font()->SetSize(11);
  Epanel->Font()->SetStyle(TFontStyles{fsBold});
  Epanel->SetBevelOuter(bvRaised);
  Epanel->Hide();

  BuildChooser();
  BuildMenuPanel();
  BuildPopupMenu();

  UpdateCheck = new TUpdateCheck(this);

  // The window's placement is kept in the settings file between runs.
  FormStateIni = new TScRegIniFile(this);
  FormState = new TScFormState(this);
  FormState->SetRegIniFile(FormStateIni);

  Dlg_OpenDB = new TOpenDialog(this);
  Dlg_OpenDB->Filter = "VIDRENA 영화 정보 파일|*.VDM"_k;
  Dlg_SaveDB = new TSaveDialog(this);
  Dlg_SaveDB->Filter = Dlg_OpenDB->Filter;
  Dlg_SaveDB->DefaultExt = "VDM";
}

void TFormMain::BuildStatusBar() {
  StatusPanel = new TScStatusBar(this);
  StatusPanel->SetParent(this);
  StatusPanel->SetAlign(alBottom);
  StatusPanel->SetHeight(28);
  StatusPanel->SetBevelOuter(bvNone);

  ScBitBtn38 = MakeButton<TScBitBtn>(StatusPanel, "메뉴"_k, 3, 3, 64, 22,
                          [this](TObject*) { ShowMenuPanel(!menupanel->Visible()); });
  ScProgressBar1 = new TScProgressBar(this);
  ScProgressBar1->SetParent(StatusPanel);
  ScProgressBar1->SetBounds(72, 6, 140, 16);
  ScProgressBar1->SetMax(100);

  PanelHelp = new TScStatusPane(this);
  PanelHelp->SetAlign(alNone);
  PanelHelp->SetParent(StatusPanel);
  PanelHelp->SetBounds(216, 3, 500, 22);
  PanelHelp->SetAnchors(TAnchors{akLeft, akTop, akRight});
  PanelHelp->SetBevelOuter(bvLowered);
  PanelHelp->SetAlignment(taLeftJustify);

  MovieRow = new TScStatusPane(this);
  MovieRow->SetAlign(alNone);
  MovieRow->SetParent(StatusPanel);
  MovieRow->SetBevelOuter(bvLowered);
  MovieRow->SetAnchors(TAnchors{akTop, akRight});
  BtnReBak = MakeButton(StatusPanel, "DB 복구"_k, 0, 3, 80, 22, [this](TObject* s) { BtnReBakClick(s); });
  BtnReBak->SetAnchors(TAnchors{akTop, akRight});
  // Right-anchored controls are placed against the form's design width.
  int right = Width() - 16;
  BtnReBak->SetLeft(right - 84);
  MovieRow->SetBounds(right - 84 - 150, 3, 146, 22);
  PanelHelp->SetWidth(MovieRow->Left() - 4 - PanelHelp->Left());
}

void TFormMain::BuildButtonBar() {
  ScPanel2 = new TScPanel(this);
  ScPanel2->SetParent(this);
  ScPanel2->SetAlign(alBottom);
  ScPanel2->SetHeight(36);
  ScPanel2->SetBevelOuter(bvNone);

  int x = 4;
  auto next = [&](const AnsiString& caption, int width, TNotifyEvent onClick) {
    auto* b = MakeButton(ScPanel2, caption, x, 5, width, 26, std::move(onClick));
    x += width + 3;
    return b;
  };
  ScButton7 = next("안본영화"_k, 74, {});
  ScButton8 = next("본영화"_k, 64, {});
  ScButton9 = next("돌려받기"_k, 74, {});
  ScButton10 = next("빌려주기"_k, 74, {});
  x += 8;
  BtnMovieEdit = next("수정"_k, 56, {});
  BtnMovieAdd = next("추가"_k, 56, {});
  BtnMovieDel = next("삭제"_k, 56, {});
  x += 8;

  SortCombo = new TScComboBox(this);
  SortCombo->SetParent(ScPanel2);
  SortCombo->SetStyle(csDropDownList);
  SortCombo->SetBounds(x, 6, 110, 24);
  for (const char* item : {"정렬방법", "제목", "감독", "개봉날짜", "관람등급", "대여", "릴정보", "보관위치",
                           "시청여부", "언어", "영화시간", "영화장르", "원제(영제)", "저장매체", "제작국가",
                           "제작연도", "추가날짜", "평점", "화질정보"})
    SortCombo->Items()->Add(Utf8ToCp949(item));
  SortCombo->SetItemIndex(0);
  SortCombo->OnChange = [this](TObject* s) { SortComboChange(s); };
  x += 114;

  GroupCombo = new TScComboBox(this);
  GroupCombo->SetParent(ScPanel2);
  GroupCombo->SetStyle(csDropDownList);
  GroupCombo->SetBounds(x, 6, 110, 24);
  for (const char* item : {"같은종류로", "제작국가", "감독", "제작연도", "관람등급", "영화장르", "별점", "보관위치",
                           "저장매체", "추가날짜", "시청여부", "언어", "화질정보", "릴정보", "대여", "대여자"})
    GroupCombo->Items()->Add(Utf8ToCp949(item));
  GroupCombo->SetItemIndex(0);
  GroupCombo->OnChange = [this](TObject* s) { GroupComboChange(s); };

  // The watched and lent state of the current movie, repeated at the right.
  bbpanel = new TScPanel(this);
  bbpanel->SetParent(ScPanel2);
  bbpanel->SetBevelOuter(bvNone);
  bbpanel->SetAnchors(TAnchors{akTop, akRight});
  bbpanel->SetBounds(Width() - 16 - 13 - 330, 4, 330, 28);
  auto state = [&](int left, int width) {
    auto* p = new TScPanel(this);
    p->SetParent(bbpanel);
    p->SetBounds(left, 1, width, 26);
    p->SetBevelOuter(bvLowered);
    return p;
  };
  View_17_2 = state(0, 150);
  View_20_2 = state(154, 86);
  View_36_2 = state(244, 86);
}

void TFormMain::BuildSearchBar() {
  ScPanel3 = new TScPanel(this);
  ScPanel3->SetParent(this);
  ScPanel3->SetAlign(alTop);
  ScPanel3->SetHeight(34);
  ScPanel3->SetBevelOuter(bvNone);

  auto* label = new TScLabel(this);
  label->SetParent(ScPanel3);
  label->SetCaption("검색"_k);
  label->SetBounds(8, 10, 30, 16);

  ComboFind = new TScComboBox(this);
  ComboFind->SetParent(ScPanel3);
  ComboFind->SetStyle(csDropDownList);
  ComboFind->SetBounds(40, 5, 120, 24);
  for (const char* item : {"제목", "원제(영제)", "관람등급", "영화내용", "빌려준것만", "보관중인것만", "본영화만",
                           "안본영화만", "출연", "별점", "평점", "릴정보", "제작국가", "제작연도", "화질정보",
                           "Ch", "감독", "기타", "대여자", "대여횟수", "보관위치", "비디오포맷", "시청여부",
                           "연락처", "영화시간", "영화장르", "영화해설", "오디오포맷"})
    ComboFind->Items()->Add(Utf8ToCp949(item));
  ComboFind->SetItemIndex(0);
  ComboFind->OnChange = [this](TObject* s) { ComboFindChange(s); };

  ComboFindValue = new TScComboBox(this);
  ComboFindValue->SetParent(ScPanel3);
  ComboFindValue->SetBounds(166, 5, 260, 24);
  ComboFindValue->OnKeyDown = [this](TObject*, Word& key, TShiftState) {
    if (key == VK_RETURN) {
      key = 0;
      ComboFindValueEnter();
    }
  };
  FindButton = MakeButton(ScPanel3, "검색"_k, 432, 4, 80, 26, [this](TObject* s) { FindButtonClick(s); });
}

void TFormMain::BuildChooser() {
  ScPanel6 = new TScPanel(this);
  ScPanel6->SetParent(ScPanel1);
  ScPanel6->SetBounds(8, 8, 190, 420);
  ScPanel6->SetBevelOuter(bvRaised);
  ScPanel6->Hide();
  ScCheckList1 = new TScCheckList(this);
  ScCheckList1->SetParent(ScPanel6);
  ScCheckList1->SetBounds(4, 4, 182, 380);
  // One item per column except the title and the storage place, each the
  // header followed by a blank, all checked.
  for (const TCatalogueColumnDef& def : CatalogueColumns()) {
    if (*def.Header == Cat::Title || *def.Header == Cat::Location) continue;
    int i = ScCheckList1->Items()->Add(*def.Header + " ");
    ScCheckList1->SetChecked(i, true);
  }
  ScCheckList1->OnChange = [this](TObject*, int index, TCheckBoxState state) { ScCheckList1Change(index, state); };
  ScButton1 = MakeButton(ScPanel6, "닫기"_k, 4, 388, 182, 26, [this](TObject*) { ScPanel6->Hide(); });
}

void TFormMain::BuildMenuPanel() {
  menupanel = new TSpPanelShape(this);
  menupanel->SetParent(this);
  menupanel->SetColor(0xF7F0EA);
  menupanel->SetBounds(0, 0, kMenuPanelWidth, kMenuPanelHeight);
  menupanel->Hide();

  int y = 6;
  auto pageButton = [&](const AnsiString& caption, int page) {
    auto* b = MakeButton<TScBitBtn>(menupanel, caption, 6, y, 96, 30, [this, page](TObject*) {
      menuPage->SetActivePageIndex(page);
    });
    y += 34;
    return b;
  };
  ScBitBtn5 = pageButton("파일 (&F)"_k, 0);
  ScBitBtn6 = pageButton("편집 (&E)"_k, 1);
  ScBitBtn7 = pageButton("도구 (&R)"_k, 2);
  ScBitBtn8 = pageButton("보기 (&V)"_k, 3);
  ScBitBtn10 = pageButton("설정 (&N)"_k, 4);
  ScBitBtn11 = MakeButton<TScBitBtn>(menupanel, "종료 "_k, 6, kMenuPanelHeight - 38, 96, 30, [this](TObject*) {
    ShowMenuPanel(false);
    Close();
  });

  menuPage = new TScPageControl(this);
  menuPage->SetParent(menupanel);
  menuPage->SetBounds(108, 4, kMenuPanelWidth - 112, kMenuPanelHeight - 8);
  auto page = [&](const AnsiString& caption) {
    auto* sheet = new TScTabSheet(this);
    sheet->SetPageControl(menuPage);
    sheet->SetCaption(caption);
    sheet->SetTabVisible(false);
    y = 8;
    return sheet;
  };
  // Every action of the panel hides the panel first.
  auto action = [&](TTabSheet* sheet, const AnsiString& caption, std::function<void(TObject*)> run) {
    auto* b = MakeButton<TScBitBtn>(sheet, caption, 8, y, 190, 30, [this, run](TObject* s) {
      ShowMenuPanel(false);
      if (run) run(s);
    });
    y += 36;
    return b;
  };
  TTabSheet* file = page("파일"_k);
  btnNEWDB = action(file, "새파일"_k, [this](TObject* s) { btnNEWDBClick(s); });
  BtnOpenDB = action(file, "불러오기"_k, [this](TObject* s) { btnOpenDBClick(s); });
  btnSaveDB = action(file, "저장하기"_k, [this](TObject* s) { btnSaveDBClick(s); });
  BtnNSaveDB = action(file, "새이름으로 저장"_k, [this](TObject* s) { BtnNSaveDBClick(s); });
  ScBitBtn16 = action(file, "내보내기"_k, {});
  TTabSheet* edit = page("편집"_k);
  ScBitBtn18 = action(edit, "수정"_k, {});
  ScBitBtn19 = action(edit, "추가"_k, {});
  ScBitBtn21 = action(edit, "삭제"_k, {});
  ScBitBtn24 = action(edit, "여러목록편집"_k, {});
  TTabSheet* tools = page("도구"_k);
  StateBtn = action(tools, "통계보기"_k, {});
  ScBitBtn26 = action(tools, "포스터관리"_k, {});
  ScBitBtn27 = action(tools, "DB병합"_k, {});
  TTabSheet* view = page("보기"_k);
  ScBitBtn30 = action(view, "보관중인영화만"_k, [this](TObject*) { QuickFilter(5); });
  ScBitBtn31 = action(view, "본영화만"_k, [this](TObject*) { QuickFilter(6); });
  ScBitBtn32 = action(view, "안본영화만"_k, [this](TObject*) { QuickFilter(7); });
  ScBitBtn35 = action(view, "빌려준영화만"_k, [this](TObject*) { QuickFilter(4); });
  TTabSheet* settings = page("설정"_k);
  OptionBtn = action(settings, "설정"_k, [this](TObject* s) { OptionBtnClick(s); });
  BtnUpdate = action(settings, "업데이트 확인"_k, [this](TObject*) { UpdateCheck->BtnUpdateClick(); });
  ScBitBtn37 = action(settings, "홈페이지"_k, [this](TObject*) { OpenLink(HomePageURL()); });
  ScBitBtn2 = action(settings, "도움말"_k, {});
  menuPage->SetActivePageIndex(0);
}

void TFormMain::BuildPopupMenu() {
  PopupMenu2 = new TPopupMenu(this);
  auto item = [&](TMenuItem* parent, const AnsiString& caption, TButton* button) {
    auto* m = new TMenuItem(this);
    m->SetCaption(caption);
    if (button) m->OnClick = [button](TObject*) { button->Click(); };
    parent->Add(m);
    return m;
  };
  TMenuItem* edit = item(PopupMenu2->Items(), "편집"_k, nullptr);
  item(edit, "수정"_k, BtnMovieEdit);
  item(edit, "추가"_k, BtnMovieAdd);
  item(edit, "삭제"_k, BtnMovieDel);
  item(PopupMenu2->Items(), "빌려주기"_k, ScButton10);
  item(PopupMenu2->Items(), "돌려받기"_k, ScButton9);
  item(PopupMenu2->Items(), "본영화"_k, ScButton8);
  item(PopupMenu2->Items(), "안본영화"_k, ScButton7);
  movie_Grid->SetPopupMenu(PopupMenu2);
}

void TFormMain::WireGrid() {
  movie_Grid->OnGetCellColor = [this](TObject* s, int row, int col, TGridDrawState st, TBrush* b, TFont* f) {
    movie_GridGetCellColor(s, row, col, st, b, f);
  };
  movie_Grid->OnSelectCell = [this](TObject*, int col, int row, bool&) {
    if (row <= 0 || Busy()) return;
    // A group row leaves the pane as it is; the buttons say what acts on it.
    if (movie_Grid->IsNodeRow(row)) EnableRecordButtons(row);
    else ShowMovieDetails(row);
  };
  // The title is the fixed column: a click on it makes its movie current,
  // as a click on any other of its cells does.
  movie_Grid->OnClickCell = [this](TObject*, int row, int col) {
    TExColumnGrid& grid = *movie_Grid;
    if (Busy() || col >= grid.FixedCols() || row < kFirstMovieRow || row >= grid.RowCount()) return;
    if (row != grid.Row()) grid.SetRow(row);
    else if (row != detailRow_) ShowMovieDetails(row);
  };
  // Typing in the grid's editor (the folder column) changes the catalogue,
  // and the pane's file table shows the folder as typed.
  movie_Grid->OnSetEditText = [this](TObject*, int, int row, const AnsiString&) {
    DBModified = true;
    if (row == detailRow_) ShowMovieFiles(row);
  };
  movie_Grid->OnFilterProgress = [this](TObject*, SmallInt progress) { ScProgressBar1->SetPosition(progress); };
  movie_Grid->OnCanSort = [this](TObject* s, int col, bool& doSort) { movie_GridCanSort(s, col, doSort); };
  // A sort, or a group opened or closed, can put another movie on the
  // current row.
  movie_Grid->OnClickSort = [this](TObject*, int) { ViewChanged(); };
  movie_Grid->OnExpandNode = [this](TObject*, int, int) {
    if (!Busy()) ViewChanged();
  };
  movie_Grid->OnContractNode = [this](TObject*, int, int) {
    if (!Busy()) ViewChanged();
  };
  movie_Grid->OnFilterSelect = [this](TObject*, int col, int itemIndex, const AnsiString& name, AnsiString&) {
    TGridColumnItem* item = col >= 0 && col < movie_Grid->Columns()->Count() ? movie_Grid->Columns()->Items(col)
                                                                              : nullptr;
    if (item && itemIndex >= 0 && itemIndex < item->Filter()->Count())
      movie_GridFilterSelect(col, item->Filter()->Strings(itemIndex));
  };
  movie_Grid->OnKeyDown = [this](TObject*, Word& key, TShiftState shift) {
    if (Busy()) return;
    if (shift.contains(ssCtrl) && key == 'A') {
      movie_Grid->SelectRows(1, movie_Grid->RowCount() - 1);
      EnableRecordButtons(movie_Grid->Row());
      key = 0;
    } else if (shift.empty() && key == VK_HOME) {
      BtnMovieEdit->Click();
      key = 0;
    } else if (shift.empty() && key == VK_INSERT) {
      BtnMovieAdd->Click();
      key = 0;
    } else if (shift.empty() && key == VK_DELETE) {
      BtnMovieDel->Click();
      key = 0;
    } else if (key == VK_F10) {
      ShowMenuPanel(true);
      key = 0;
    }
  };
  // Shift with a right click opens the column chooser, and only the
  // chooser: the pop-up menu that the same right click brings stays closed
  // (Shift+F10 from the keyboard still opens the menu).
  auto chooserClick = std::make_shared<bool>(false);
  movie_Grid->OnMouseDown = [this, chooserClick](TObject*, TMouseButton button, TShiftState shift, int, int) {
    *chooserClick = button == mbRight && shift.contains(ssShift);
    if (*chooserClick) {
      ScPanel6->Show();
      ScPanel6->BringToFront();
    }
  };
  movie_Grid->OnContextPopup = [chooserClick](TObject*, TPoint, bool& handled) {
    handled = std::exchange(*chooserClick, false);
  };
}

// ---------------------------------------------------------------- start and end

void TFormMain::FormCreate(TObject*) {
  Application->OnHint = [this](TObject*) { PanelHelp->SetCaption(Application->Hint()); };
  hintHandlerSet_ = true;
  AppDir = ExcludeTrailingPathDelimiter(::AppDir());
  PosterDir = AppDir + "/Poster";
  DBDir = AppDir + "/DB";
  FormStateIni->SetFileName(IniSetupFileName(AppDir));
  UpdateCaption();
  UpdateMovieCount();
}

void TFormMain::LoadIniSetup() {
  GridLook = ::LoadIniSetup(IniSetupFileName(AppDir), IniSetup, *movie_Grid);
  // A text too long for its cell shows whole in a hint over the cell.
  for (TExColumnGrid* grid : {static_cast<TExColumnGrid*>(movie_Grid), FileGrid}) {
    grid->SetShowHint(GridLook.HintShowLargeText);
    grid->SetHintShowCells(GridLook.HintShowLargeText);
    grid->SetHintShowLargeText(GridLook.HintShowLargeText);
  }
  LoadColumnView();
}

void TFormMain::OptionBtnClick(TObject*) {
  if (Busy()) return;
  ShowMenuPanel(false);
  auto dialog = std::make_unique<TFormSetup>(Application, AppDir, DBDir);
  dialog->ShowModal();
  if (!dialog->Modified) return;
  LoadIniSetup();
  if (dialog->ColumnsChanged) {
    movie_Grid->BeginUpdate();
    movie_Grid->ShowAllColumns();
    movie_Grid->EndUpdate();
    ApplyColumnVisibility();
  }
  movie_Grid->Invalidate();
}

void TFormMain::FormShow(TObject*) {
  LoadIniSetup();
  if (IniSetup.CheckNewVersion) UpdateCheck->StartupCheck();
  if (IniSetup.OpenDBAtStart && !IniSetup.DBFile.empty() && FileExists(IniSetup.DBFile)) {
    LoadDB(IniSetup.DBFile);
  } else {
    ApplyColumnVisibility();
    ShowFirstMovie();
  }
  FormResize(this);
}

void TFormMain::FormClose(TObject*, TCloseAction&) {
  if (ColumnListChanged) {
    try {
      SaveColumnView();
    } catch (const Exception& e) {
      Application->ShowException(e);
    }
  }
}

// ---------------------------------------------------------------- keys

void TFormMain::FormKeyDown(TObject*, Word& key, TShiftState shift) {
  if (!shift.contains(ssCtrl) || Busy()) return;
  TButton* target = nullptr;
  switch (key) {
    case 'S': target = btnSaveDB; break;
    case 'B': target = BtnReBak; break;
    case 'N': target = btnNEWDB; break;
    case 'O': target = BtnOpenDB; break;
    case VK_F11: target = StateBtn; break;
    case VK_F12: target = OptionBtn; break;
    default: return;
  }
  key = 0;
  target->Click();
}

// ---------------------------------------------------------------- menu panel

void TFormMain::ShowMenuPanel(bool show) {
  if (show) {
    menupanel->BringToFront();
    menupanel->Show();
  } else {
    menupanel->Hide();
  }
}

void TFormMain::MenuPanelMouseLeave(TPoint cursor) {
  if (!menupanel->Visible()) return;
  TPoint origin = ClientToScreen(TPoint(0, 0));
  // The panel stays while the cursor is over it (it lies left and below
  // the line the panel's top and right edge make).
  if (cursor.X <= origin.X + menupanel->Width() && cursor.Y >= origin.Y + menupanel->Top()) return;
  ShowMenuPanel(false);
}

// ---------------------------------------------------------------- layout

void TFormMain::SetMinimumSize() {
  // Narrower, the button bar's buttons and lists would run into the state
  // panels at its right (at their narrowest, the shelf included), and the
  // bars are laid out once, not reflowed.
  const int buttonBar = GroupCombo->Left() + GroupCombo->Width() + 8 + kMinShelfWidth + 4 + View_20_2->Width() + 4 +
                        View_36_2->Width() + 13;
  const int statusBar = PanelHelp->Left() + 40 + 4 + MovieRow->Width() + 4 + BtnReBak->Width() + 4;
  const int searchBar = FindButton->Left() + FindButton->Width() + 4;
  Constraints()->SetMinWidth(std::max({buttonBar, statusBar, searchBar, infopage->Width() + 300}));
  // Lower, the menu panel, which opens upwards from the button bar, would
  // leave the window at its top.
  Constraints()->SetMinHeight(kMinClientHeight);
}

void TFormMain::FormResize(TObject*) {
  // A resize can move the current row (the grid keeps its last page full):
  // the pane follows it.
  if (movie_Grid->Row() != detailRow_ && !Busy()) ViewChanged();
  if (TCustomEdit* director = View[2]) director->SetWidth(std::max(director->Width(), 149));
  // Right-anchored parts follow the window.
  int right = ClientWidth();
  // The state panels at the right keep clear of the group list: in a narrow
  // window the shelf caption narrows, down to its least width.
  const int comboEnd = GroupCombo->Left() + GroupCombo->Width() + 8;
  const int stateWidth =
      std::clamp(right - 13 - comboEnd, kMinShelfWidth + 4 + View_20_2->Width() + View_36_2->Width() + 4, 330);
  bbpanel->SetBounds(right - 13 - stateWidth, bbpanel->Top(), stateWidth, bbpanel->Height());
  View_36_2->SetLeft(stateWidth - View_36_2->Width());
  View_20_2->SetLeft(View_36_2->Left() - 4 - View_20_2->Width());
  View_17_2->SetWidth(std::max(0, View_20_2->Left() - 4));
  BtnReBak->SetLeft(right - 4 - BtnReBak->Width());
  MovieRow->SetLeft(BtnReBak->Left() - 4 - MovieRow->Width());
  PanelHelp->SetWidth(std::max(40, MovieRow->Left() - 4 - PanelHelp->Left()));
  // The menu panel opens upwards from the button bar.
  menupanel->SetTop(std::max(0, ScPanel2->Top() - kMenuPanelHeight));
  menupanel->SetLeft(0);
  Epanel->SetLeft(std::max(0, (ScPanel1->ClientWidth() - Epanel->Width()) / 2));
  Epanel->SetTop(std::max(0, (ScPanel1->ClientHeight() - Epanel->Height()) / 3));
}

// ---------------------------------------------------------------- busy texts

void TFormMain::ShowBusy(const AnsiString& text) {
  Screen->SetCursor(crHourGlass);
  Epanel->SetCaption(text);
  Epanel->BringToFront();
  Epanel->Show();
  // Paint the text, but leave clicks and keys waiting: they must not start
  // a second action in the middle of this one.
  Application->ProcessMessages(true);
}

void TFormMain::HideBusy() {
  Epanel->Hide();
  Screen->SetCursor(crDefault);
}

TFormMain::TBusyScope::TBusyScope(TFormMain& form) : form_(form) { ++form_.busyDepth_; }

TFormMain::TBusyScope::~TBusyScope() {
  if (--form_.busyDepth_ == 0) form_.HideBusy();
}

void TFormMain::UpdateCaption() { SetCaption("Vidrena - " + CurrentDBFile); }

int TFormMain::MovieCount() const {
  TCatalogueGrid& grid = *movie_Grid;
  const int shownRows = grid.RowCount() - kFirstMovieRow;
  int movies = 0;
  if (!grid.FilterActive()) {
    // Rows hidden in closed groups are movies too, the group rows are not.
    movies = shownRows + grid.HiddenRowCount() - grid.NodeCount();
  } else {
    // A search counts what it found: the movie rows it shows, and those of
    // the closed groups that it would show.
    for (int r = kFirstMovieRow; r < grid.RowCount(); ++r) {
      if (!grid.IsNodeRow(r)) {
        ++movies;
      } else if (grid.IsNodeCollapsed(r)) {
        const int node = grid.RealRowIndex(r);
        for (int k = node + 1; k < node + grid.GetNodeSpan(r); ++k)
          if (grid.SearchFinds(k)) ++movies;
      }
    }
  }
  // The one empty row of a new catalogue waits for the first movie.
  if (movies == 1 && shownRows == 1 && grid.HiddenRowCount() == 0 && IsBlankMovieRow(grid, kFirstMovieRow))
    movies = 0;
  return std::max(movies, 0);
}

void TFormMain::UpdateMovieCount() { MovieRow->SetCaption("전체 : "_k + IntToStr(MovieCount()) + " 편"_k); }

void TFormMain::ShowFirstMovie() {
  TExColumnGrid& grid = *movie_Grid;
  if (grid.RowCount() > kFirstMovieRow && grid.Row() != kFirstMovieRow) grid.SetRow(kFirstMovieRow);
  ViewChanged();
}

void TFormMain::SelectMovie(int row) {
  TExColumnGrid& grid = *movie_Grid;
  if (row < kFirstMovieRow || row >= grid.RowCount()) return;
  grid.ClearRowSelect();
  if (!grid.IsNodeRow(row))
    grid.SetRowSelected(MarkRowOf(grid, row), true);
  if (row != grid.Row()) grid.SetRow(row);
  ViewChanged();
}

void TFormMain::ViewChanged() {
  TExColumnGrid& grid = *movie_Grid;
  const int row = grid.Row();
  // The work that moved the bar (a search, a grouping) is done: a full bar
  // left behind would read as work still running.
  ScProgressBar1->SetPosition(0);
  detailRow_ = -1;
  if (row >= kFirstMovieRow && row < grid.RowCount() && !grid.IsNodeRow(row)) ShowMovieDetails(row);
  else ClearMovieDetails();
  UpdateMovieCount();
}
