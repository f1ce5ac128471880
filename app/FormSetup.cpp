#include "app/FormSetup.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <vector>

#include "app/Catalogue.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"
#include "styled/ScLook.h"

namespace {

// Layout, in pixels. Every page lays its groups out on one grid of margins
// so that the four pages line up when the user flips through them.
constexpr int kClientWidth = 520;
constexpr int kClientHeight = 474;
constexpr int kMargin = 8;
constexpr int kPageWidth = kClientWidth - 2 * kMargin;
constexpr int kPageHeight = 420;
constexpr int kGroupWidth = 478;
constexpr int kLine = 22;       // one check box line
constexpr int kGroupTop = 20;   // first line under a group's caption
constexpr int kButtonWidth = 80;

// Defaults of the radio groups when the file holds a number they do not offer.
constexpr int kDefaultPosterRename = 2;
constexpr int kDefaultSearchSite = 0;
constexpr int kDefaultSendInfo = 2;
constexpr int kDefaultCheckWebInfo = 2;

AnsiString K(const char* utf8) { return Utf8ToCp949(utf8); }

template <class T>
T* Place(TComponent* owner, TWinControl* parent, const char* name, int left, int top, int width, int height) {
  auto* control = new T(owner);
  control->SetName(name);
  control->SetParent(parent);
  control->SetBounds(left, top, width, height);
  return control;
}

TScCheckBox* PlaceCheck(TComponent* owner, TWinControl* parent, const char* name, const char* caption, int left,
                        int top, int width) {
  auto* box = Place<TScCheckBox>(owner, parent, name, left, top, width, 20);
  box->SetCaption(K(caption));
  return box;
}

TScRadioGroup* PlaceRadio(TComponent* owner, TWinControl* parent, const char* name, const char* caption,
                          std::initializer_list<const char*> items, int top) {
  auto* group = Place<TScRadioGroup>(owner, parent, name, kMargin, top, kGroupWidth, 50);
  group->SetCaption(K(caption));
  group->SetColumns(static_cast<int>(items.size()));
  for (const char* item : items) group->Items()->Add(K(item));
  return group;
}

// "예) 한국, 일본, 미국" -> 한국, 일본, 미국: the lists a new folder starts with.
std::vector<AnsiString> ExampleValues(const AnsiString& example) {
  std::vector<AnsiString> values;
  AnsiString rest = example;
  if (auto at = rest.find(')'); at != AnsiString::npos) rest = rest.substr(at + 1);
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t comma = rest.find(',', start);
    if (comma == AnsiString::npos) comma = rest.size();
    AnsiString value = Trim(rest.substr(start, comma - start));
    if (!value.empty()) values.push_back(value);
    start = comma + 1;
  }
  return values;
}

}  // namespace

// ================================================================ building

TFormSetup::TFormSetup(TComponent* owner, const AnsiString& appDir, const AnsiString& dbDir)
    : TForm(owner), AppPath(IncludeTrailingPathDelimiter(appDir)), DBDir(dbDir) {
  SetName("FormSetup");
  SetCaption(K("환경설정"));
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetPosition(poMainFormCenter);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  PageControl1 = Place<TScPageControl>(this, this, "PageControl1", kMargin, kMargin, kPageWidth, kPageHeight);
  auto sheet = [this](const char* name, const char* caption) {
    auto* page = new TScTabSheet(this);
    page->SetName(name);
    page->SetCaption(K(caption));
    page->SetPageControl(PageControl1);
    return page;
  };
  GeneralSheet = sheet("GeneralSheet", "일반");
  ListSheet = sheet("ListSheet", "목록");
  WebSheet = sheet("WebSheet", "웹");
  AutoListSheet = sheet("AutoListSheet", "자동입력항목");

  const int buttonTop = kMargin + kPageHeight + (kClientHeight - kPageHeight - kMargin - ScLook::kButtonHeight) / 2;
  ScButton1 = Place<TScButton>(this, this, "ScButton1", kClientWidth - kMargin - kButtonWidth, buttonTop,
                               kButtonWidth, ScLook::kButtonHeight);
  ScButton1->SetCaption(K("취소"));
  ScButton1->SetCancel(true);
  ScButton1->OnClick = [this](TObject* s) { CancelClick(s); };
  ScButton2 = Place<TScButton>(this, this, "ScButton2", ScButton1->Left() - 6 - kButtonWidth, buttonTop,
                               kButtonWidth, ScLook::kButtonHeight);
  ScButton2->SetCaption(K("확인"));
  ScButton2->SetDefault(true);
  ScButton2->OnClick = [this](TObject* s) { OkClick(s); };
  // Tab reaches the buttons in the order they stand: "확인", then "취소".
  ScButton2->SetTabOrder(ScButton1->TabOrder());

  DBOpen = new TOpenDialog(this);
  DBOpen->SetName("DBOpen");
  DBOpen->Filter = K("VIDRENA 영화 정보 파일|*.VDM");
  DBOpen->Options.insert(ofFileMustExist);

  BuildGeneralPage();
  BuildListPage();
  BuildWebPage();
  BuildAutoListPage();
  PageControl1->SetActivePageIndex(0);
  OnShow = [this](TObject* s) { FormShow(s); };
}

TFormSetup::~TFormSetup() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

void TFormSetup::BuildGeneralPage() {
  TWinControl* page = GeneralSheet;
  const int inner = kGroupWidth - 24;
  ScGroupBox1 = Place<TScGroupBox>(this, page, "ScGroupBox1", kMargin, kMargin, kGroupWidth, kGroupTop + 4 * kLine + 8);
  ScGroupBox1->SetCaption(K("일반"));
  ScCheckBox5 = PlaceCheck(this, ScGroupBox1, "ScCheckBox5", "포스터 크게 볼때 현재 화면 보다 크면 크기 자동 조정.", 12,
                           kGroupTop, inner);
  ScCheckBox10 = PlaceCheck(this, ScGroupBox1, "ScCheckBox10", "영화장르에 구분자(,)가 있을경우 나누어서 통계를 구함.",
                            12, kGroupTop + kLine, inner);
  ScCheckBox11 = PlaceCheck(this, ScGroupBox1, "ScCheckBox11", "영화정보 추가시 비슷한 영화제목 출력.", 12,
                            kGroupTop + 2 * kLine, inner);
  ScCheckBox7 = PlaceCheck(this, ScGroupBox1, "ScCheckBox7", "새버젼 확인", 12, kGroupTop + 3 * kLine, inner);

  int top = ScGroupBox1->Top() + ScGroupBox1->Height() + kMargin;
  ScGroupBox3 = Place<TScGroupBox>(this, page, "ScGroupBox3", kMargin, top, kGroupWidth, kGroupTop + kLine + 21 + 12);
  ScGroupBox3->SetCaption(K("프로그램 시작"));
  ScCheckBox12 = PlaceCheck(this, ScGroupBox3, "ScCheckBox12", "db 파일 불러 오기.", 12, kGroupTop, inner);
  ScButtonEdit1 = Place<TScButtonEdit>(this, ScGroupBox3, "ScButtonEdit1", 30, kGroupTop + kLine + 2, inner - 18,
                                       ScLook::kFieldHeight);
  ScButtonEdit1->OnButtonClick = [this](TObject* s) { DBFileButtonClick(s); };

  top = ScGroupBox3->Top() + ScGroupBox3->Height() + kMargin;
  ScGroupBox4 = Place<TScGroupBox>(this, page, "ScGroupBox4", kMargin, top, kGroupWidth, kGroupTop + 2 * kLine + 8);
  ScGroupBox4->SetCaption(K("백업"));
  ScCheckBox9 = PlaceCheck(this, ScGroupBox4, "ScCheckBox9", "영화추가시 복원 파일 만들기.", 12, kGroupTop, inner);
  ScCheckBox8 = PlaceCheck(this, ScGroupBox4, "ScCheckBox8", "저장시 백업 파일 만들기 (파일이름.BAK)", 12,
                           kGroupTop + kLine, inner);

  top = ScGroupBox4->Top() + ScGroupBox4->Height() + kMargin;
  ScRadioGroup2 = PlaceRadio(this, page, "ScRadioGroup2", "포스터 다운시 이름 변경", {"영화제목으로", "목록순서", "변경안함"},
                             top);

  for (TScCheckBox* box : {ScCheckBox5, ScCheckBox10, ScCheckBox11, ScCheckBox7, ScCheckBox12, ScCheckBox9, ScCheckBox8})
    box->OnClick = [this](TObject* s) { Changed(s); };
  ScRadioGroup2->OnClick = [this](TObject* s) { Changed(s); };
  ScButtonEdit1->OnChange = [this](TObject* s) { Changed(s); };
}

void TFormSetup::BuildListPage() {
  TWinControl* page = ListSheet;
  ScCheckBox1 = PlaceCheck(this, page, "ScCheckBox1", "목록길이보다 내용이 길경우 힌트로 내용 표시.", kMargin, kMargin,
                           kGroupWidth);
  ScCheckBox2 = PlaceCheck(this, page, "ScCheckBox2", "목록을 색으로 구분 합니다.", kMargin, kMargin + kLine,
                           kGroupWidth);
  // Designed on: the hint shows unless the file turns it off.
  ScCheckBox1->SetChecked(true);
  ScCheckBox1->OnClick = [this](TObject* s) { Changed(s); };
  ScCheckBox2->OnClick = [this](TObject* s) { ColorRowsClick(s); };

  // The colours: a row per look, the text colour left and the ground right.
  const int groupTop = kMargin + 2 * kLine + 6;
  const int labelWidth = 36, editWidth = 122, gap = 8, rowHeight = 28;
  const int firstColumn = 12 + labelWidth, secondColumn = firstColumn + editWidth + gap;
  const int groupWidth = secondColumn + editWidth + 12;
  ScGroupBox2 = Place<TScGroupBox>(this, page, "ScGroupBox2", kMargin, groupTop, groupWidth,
                                   kGroupTop + 18 + 6 * rowHeight + 6);
  ScGroupBox2->SetCaption(K("목록 색상"));
  auto heading = [this](const char* text, int left, int top, int width) {
    auto* label = new TScLabel(this);
    label->SetParent(ScGroupBox2);
    label->SetAutoSize(false);
    label->SetAlignment(taCenter);
    label->SetBounds(left, top, width, 16);
    label->SetCaption(K(text));
    return label;
  };
  heading("글자", firstColumn, kGroupTop, editWidth);
  heading("바탕", secondColumn, kGroupTop, editWidth);
  static const char* const kRows[] = {"기본", "선택", "대여", "시청", "그룹", "선"};
  int edit = 0;
  for (int row = 0; row < 6; ++row) {
    const int top = kGroupTop + 18 + row * rowHeight;
    auto* label = heading(kRows[row], 12, top + 3, labelWidth - 4);
    label->SetAlignment(taLeftJustify);
    const int columns = row == 5 ? 1 : 2;  // the grid line has one colour
    for (int column = 0; column < columns; ++column, ++edit) {
      AnsiString name = "ScColorEdit" + IntToStr(edit + 1);
      auto* colorEdit = Place<TScColorEdit>(this, ScGroupBox2, name.c_str(), column == 0 ? firstColumn : secondColumn,
                                            top, editWidth, ScLook::kFieldHeight);
      colorEdit->OnChange = [this](TObject* s) { Changed(s); };
      ScColorEdit[static_cast<std::size_t>(edit)] = colorEdit;
    }
  }
  // Until the file says otherwise, the colours the catalogue grid is designed with.
  const TIniGridLook look;
  const TIniSetup setup;
  const TColor designed[] = {look.FontColor,        look.Color,           look.SelectionTextColor,
                             look.SelectionColor,   setup.LentTextColor,  setup.LentBackColor,
                             setup.WatchedTextColor, setup.WatchedBackColor, look.GroupTextColor,
                             look.GroupColor,       look.GridLineColor};
  for (std::size_t i = 0; i < ScColorEdit.size(); ++i) ScColorEdit[i]->SetSelectedColor(designed[i]);

  // The columns the catalogue shows, beside the colours.
  const int listLeft = kMargin + groupWidth + kMargin;
  ScGroupBox5 = Place<TScGroupBox>(this, page, "ScGroupBox5", listLeft, groupTop, kMargin + kGroupWidth - listLeft,
                                   kPageHeight - 40 - groupTop);
  ScGroupBox5->SetCaption(K("표시할 항목"));
  ViewList = Place<TScCheckList>(this, ScGroupBox5, "ViewList", 10, kGroupTop, ScGroupBox5->Width() - 20,
                                 ScGroupBox5->Height() - kGroupTop - 10);
  // The same items as the catalogue window's chooser (both read and write
  // 목록.View): every column but the title and the storage place, each the
  // header followed by a blank, all checked.
  for (const TCatalogueColumnDef& column : CatalogueColumns()) {
    if (*column.Header == Cat::Title || *column.Header == Cat::Location) continue;
    int index = ViewList->Items()->Add(*column.Header + " ");
    ViewList->SetChecked(index, true);
  }
  ViewList->OnChange = [this](TObject* s, int, TCheckBoxState) {
    if (loading_) return;
    ColumnsChanged = true;
    Changed(s);
  };
}

void TFormSetup::BuildWebPage() {
  TWinControl* page = WebSheet;
  ScRadioGroup1 = PlaceRadio(this, page, "ScRadioGroup1", "영화정보 검색 기본값", {"네이버무비", "무비스트", "imdb", "씨네서울"},
                             kMargin);
  ScRadioGroup3 = PlaceRadio(this, page, "ScRadioGroup3", "영화정보 추가시 VIDRENA로 영화정보를 보내기.",
                             {"보내지않음", "물어보기", "무조건보냄"}, kMargin + 58);
  ScRadioGroup6 = PlaceRadio(this, page, "ScRadioGroup6", "웹으로 정보를 보낸후 확인/ 오류메시지",
                             {"표시안함", "오류만", "표시함"}, kMargin + 2 * 58);
  for (TScRadioGroup* group : {ScRadioGroup1, ScRadioGroup3, ScRadioGroup6})
    group->OnClick = [this](TObject* s) { Changed(s); };
}

void TFormSetup::BuildAutoListPage() {
  TWinControl* page = AutoListSheet;
  ScCheckBox6 = PlaceCheck(this, page, "ScCheckBox6", "목록에 없는 항목 입력시 자동 추가.", kMargin, kMargin, kGroupWidth);
  ScCheckBox6->OnClick = [this](TObject* s) { Changed(s); };
  const int width = (kGroupWidth - 2 * kMargin) / 3;
  const int top = kMargin + kLine + 6;
  const int height = (kPageHeight - 40 - top - kMargin) / 2;
  struct Def {
    const char* name;
    const char* caption;
    const char* file;
    const char* prompt;
    const char* example;
  } static const kLists[] = {
      {"JList", "제작국가", "제작국가.List", "제작국가를 입력하세요..", "예) 한국, 일본, 미국"},
      {"RList", "릴정보", "릴.List", "릴정보를 입력하세요..", "예) POSTX, WRD, JJH"},
      {"HList", "화질정보", "화질.List", "화질정보를 입력하세요..", "예) DVDRIP, SVCD, DVDSCR"},
      {"LList", "언어", "언어.List", "언어를 입력하세요..", "예) 한국어, 영어, 일본어"},
      {"MList", "영화장르", "영화장르.List", "영화장르를 입력하세요..", "예) 코미디, 액션, 스릴러"},
      {"GList", "관람등급", "관람등급.List", "관람등급을 입력하세요..", "예) 15세 관람가, 전체 관람가"},
  };
  for (int i = 0; i < 6; ++i) {
    const Def& d = kLists[i];
    BuildValueList(i, d.name, d.caption, d.file, d.prompt, d.example, kMargin + (i % 3) * (width + kMargin),
                   top + (i / 3) * (height + kMargin), width, height);
  }
  JList = ValueLists[0].List;
  RList = ValueLists[1].List;
  HList = ValueLists[2].List;
  LList = ValueLists[3].List;
  MList = ValueLists[4].List;
  GList = ValueLists[5].List;
}

void TFormSetup::BuildValueList(int index, const char* name, const char* caption, const char* file,
                                const char* prompt, const char* example, int left, int top, int width, int height) {
  TSetupValueList& v = ValueLists[static_cast<std::size_t>(index)];
  v.FileName = K(file);
  v.Prompt = K(prompt);
  v.Example = K(example);
  v.Box = Place<TScGroupBox>(this, AutoListSheet, (std::string(name) + "Box").c_str(), left, top, width, height);
  v.Box->SetCaption(K(caption));
  const int buttonTop = height - ScLook::kButtonHeight - 8;
  v.List = Place<TScListBox>(this, v.Box, name, 8, kGroupTop, width - 16, buttonTop - kGroupTop - 6);
  v.List->SetMultiSelect(true);
  for (const AnsiString& value : ExampleValues(v.Example)) v.List->Items()->Add(value);
  const int buttonWidth = (width - 16 - 6) / 2;
  v.AddButton = Place<TScButton>(this, v.Box, (std::string(name) + "Add").c_str(), 8, buttonTop, buttonWidth,
                                 ScLook::kButtonHeight);
  v.AddButton->SetCaption(K("추가"));
  v.AddButton->OnClick = [this, index](TObject*) { AddValueClick(index); };
  v.DeleteButton = Place<TScButton>(this, v.Box, (std::string(name) + "Delete").c_str(), 8 + buttonWidth + 6,
                                    buttonTop, buttonWidth, ScLook::kButtonHeight);
  v.DeleteButton->SetCaption(K("삭제"));
  v.DeleteButton->OnClick = [this, index](TObject*) { DeleteValueClick(index); };
}

// ================================================================ files

AnsiString TFormSetup::IniFileName() const { return IniSetupFileName(AppPath); }

AnsiString TFormSetup::ConfigDir() const { return AppPath + "Config/"; }

AnsiString TFormSetup::ColumnListFileName() const { return ConfigDir() + K("목록.View"); }

void TFormSetup::LoadSettings() {
  loading_ = true;
  struct Done {
    TFormSetup* form;
    ~Done() {
      form->loading_ = false;
      form->Modified = false;
      form->ColumnsChanged = false;
    }
  } done{this};

  TMemIniFile ini(IniFileName());
  const TIniSetup s = ReadIniSetup(ini);
  const TIniGridLook look = ReadIniGridLook(ini, LookFromControls());

  ScCheckBox5->SetChecked(s.PosterAutoSize);
  ScCheckBox10->SetChecked(s.SplitStatistics);
  ScCheckBox11->SetChecked(s.ShowSimilarTitles);
  ScCheckBox7->SetChecked(s.CheckNewVersion);
  ScCheckBox12->SetChecked(s.OpenDBAtStart);
  ScButtonEdit1->SetText(s.DBFile);
  ScCheckBox9->SetChecked(s.UseAutoSave);
  ScCheckBox8->SetChecked(s.MakeBackupFile);
  ScRadioGroup2->SetItemIndex(s.PosterRenameMode);
  ScCheckBox2->SetChecked(s.ColorRows);
  ScCheckBox1->SetChecked(look.HintShowLargeText);
  const TColor colors[] = {look.FontColor,          look.Color,          look.SelectionTextColor,
                           look.SelectionColor,     s.LentTextColor,     s.LentBackColor,
                           s.WatchedTextColor,      s.WatchedBackColor,  look.GroupTextColor,
                           look.GroupColor,         look.GridLineColor};
  for (std::size_t i = 0; i < ScColorEdit.size(); ++i) ScColorEdit[i]->SetSelectedColor(colors[i]);
  ScRadioGroup1->SetItemIndex(s.WebSearchSite);
  ScRadioGroup3->SetItemIndex(s.SendMovieInfo);
  ScRadioGroup6->SetItemIndex(s.CheckWebInfo);
  ScCheckBox6->SetChecked(s.AddUnlistedValues);
  UpdateColorGroup();

  // A list file that is missing or cannot be read leaves the list as designed.
  auto loadQuietly = [](const std::function<void()>& load) {
    try {
      load();
    } catch (const Exception&) {
    }
  };
  if (FileExists(ColumnListFileName())) loadQuietly([this] { ViewList->LoadFromFile(ColumnListFileName()); });
  for (TSetupValueList& v : ValueLists) {
    const AnsiString file = ConfigDir() + v.FileName;
    if (!FileExists(file)) continue;
    loadQuietly([&] {
      TStringList values;
      values.LoadFromFile(file);
      v.List->Items()->Assign(&values);
    });
  }
}

TIniSetup TFormSetup::SetupFromControls() const {
  auto choice = [](const TScRadioGroup* group, int def) {
    return static_cast<Byte>(group->ItemIndex() >= 0 ? group->ItemIndex() : def);
  };
  TIniSetup s;
  s.PosterAutoSize = ScCheckBox5->Checked();
  s.MakeBackupFile = ScCheckBox8->Checked();
  s.UseAutoSave = ScCheckBox9->Checked();
  s.SplitStatistics = ScCheckBox10->Checked();
  s.CheckNewVersion = ScCheckBox7->Checked();
  s.OpenDBAtStart = ScCheckBox12->Checked();
  s.DBFile = ScButtonEdit1->Text();
  s.ShowSimilarTitles = ScCheckBox11->Checked();
  s.PosterRenameMode = choice(ScRadioGroup2, kDefaultPosterRename);
  s.WebSearchSite = choice(ScRadioGroup1, kDefaultSearchSite);
  s.SendMovieInfo = choice(ScRadioGroup3, kDefaultSendInfo);
  s.CheckWebInfo = choice(ScRadioGroup6, kDefaultCheckWebInfo);
  s.AddUnlistedValues = ScCheckBox6->Checked();
  s.ColorRows = ScCheckBox2->Checked();
  s.LentTextColor = ScColorEdit[4]->SelectedColor();
  s.LentBackColor = ScColorEdit[5]->SelectedColor();
  s.WatchedTextColor = ScColorEdit[6]->SelectedColor();
  s.WatchedBackColor = ScColorEdit[7]->SelectedColor();
  return s;
}

TIniGridLook TFormSetup::LookFromControls() const {
  TIniGridLook look;
  look.HintShowLargeText = ScCheckBox1->Checked();
  look.FontColor = ScColorEdit[0]->SelectedColor();
  look.Color = ScColorEdit[1]->SelectedColor();
  look.SelectionTextColor = ScColorEdit[2]->SelectedColor();
  look.SelectionColor = ScColorEdit[3]->SelectedColor();
  look.GroupTextColor = ScColorEdit[8]->SelectedColor();
  look.GroupColor = ScColorEdit[9]->SelectedColor();
  look.GridLineColor = ScColorEdit[10]->SelectedColor();
  return look;
}

void TFormSetup::SaveSettings() {
  SaveIniSetup(IniFileName(), SetupFromControls(), LookFromControls());
  const AnsiString config = ConfigDir();
  if (!DirectoryExists(config) && !ForceDirectories(config))
    throw EFCreateError(Format("Cannot create file \"%s\". %s", {ColumnListFileName(), SysErrorMessage(errno)}));
  ViewList->SaveToFile(ColumnListFileName());
  for (const TSetupValueList& v : ValueLists) ScSaveFileSafely(config + v.FileName, v.List->Items()->Text());
}

// ================================================================ handlers

void TFormSetup::FormShow(TObject* sender) {
  Modified = false;
  LoadSettings();
}

void TFormSetup::Changed(TObject* sender) {
  if (loading_) return;
  Modified = true;
}

void TFormSetup::ColorRowsClick(TObject* sender) {
  UpdateColorGroup();
  Changed(sender);
}

void TFormSetup::UpdateColorGroup() {
  const bool on = ScCheckBox2->Checked();
  ScGroupBox2->SetEnabled(on);
  for (int i = 0; i < ScGroupBox2->ControlCount(); ++i) ScGroupBox2->Controls(i)->SetEnabled(on);
}

void TFormSetup::OkClick(TObject* sender) {
  if (Modified) {
    // A file that cannot be written keeps the dialog open with the user's
    // choices, so nothing is lost and the user can try again or cancel.
    try {
      SaveSettings();
    } catch (const Exception& e) {
      Application->ShowException(e);
      return;
    }
  }
  SetModalResult(mrOk);
}

void TFormSetup::CancelClick(TObject* sender) { SetModalResult(mrCancel); }

void TFormSetup::DBFileButtonClick(TObject* sender) {
  DBOpen->InitialDir = DBDir;
  DBOpen->FileName = ScButtonEdit1->Text();
  if (DBOpen->Execute()) ScButtonEdit1->SetText(DBOpen->FileName);
}

void TFormSetup::AddValueClick(int list) {
  TSetupValueList& v = ValueLists.at(static_cast<std::size_t>(list));
  AnsiString value;
  if (!InputQuery(v.Prompt, v.Example, value)) return;
  value = Trim(value);
  if (value.empty()) return;
  // Compared without regard to letter case: "dvdrip" is DVDRIP already.
  if (const int held = v.List->Items()->IndexOf(value); held >= 0) {
    MessageDlg(Format("\"%s\"은(는) 이미 목록에 있습니다."_k, {v.List->Items()->Strings(held)}), mtInformation,
               mbOKOnly);
    return;
  }
  v.List->Items()->Add(value);
  v.List->SetItemIndex(v.List->Items()->Count() - 1);
  Changed(v.List);
}

void TFormSetup::DeleteValueClick(int list) {
  TSetupValueList& v = ValueLists.at(static_cast<std::size_t>(list));
  std::vector<int> selected;
  for (int i = 0; i < v.List->Items()->Count(); ++i)
    if (v.List->Selected(i)) selected.push_back(i);
  if (selected.empty() && v.List->ItemIndex() >= 0) selected.push_back(v.List->ItemIndex());
  if (selected.empty()) return;
  for (auto it = selected.rbegin(); it + 1 != selected.rend(); ++it) v.List->Items()->Delete(*it);
  // The first of them goes last, leaving the selection where it was.
  v.List->SetItemIndex(selected.front());
  v.List->DeleteItemKeepIndex(selected.front());
  Changed(v.List);
}
