// TFormSetup: the settings dialog ("환경설정").
//
// Four pages: "일반" (start, backups, posters), "목록" (hints, row colours,
// the columns the catalogue shows), "웹" (portal and upload choices) and
// "자동입력항목" (the six value lists the editor offers). The dialog reads
// the settings file and the lists when it shows, and writes them all
// together when "확인" is pressed after a change.
//
// Call tree:
//   ShowModal -> OnShow -> LoadSettings (Modified := false; keys, 목록.View, *.List)
//   any control change -> Changed (Modified; the column list also ColumnsChanged)
//   "확인" -> SaveSettings when Modified (Vidrena.ini, 목록.View, *.List) -> mrOk
//   "취소" -> mrCancel
#pragma once

#include <array>

#include "app/IniSetup.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "styled/ScCheckList.h"
#include "styled/ScControls.h"

// One value list of the page "자동입력항목": its list box, buttons, file and
// the texts of its input box.
struct TSetupValueList {
  TScGroupBox* Box = nullptr;
  TScListBox* List = nullptr;
  TScButton* AddButton = nullptr;
  TScButton* DeleteButton = nullptr;
  AnsiString FileName;  // in the configuration folder, e.g. "제작국가.List"
  AnsiString Prompt;    // "제작국가를 입력하세요.."
  AnsiString Example;   // "예) 한국, 일본, 미국"
};

class TFormSetup : public TForm {
 public:
  // appDir is the application folder (with or without its "/"), dbDir the
  // folder the catalogue file dialog starts in.
  TFormSetup(TComponent* owner, const AnsiString& appDir, const AnsiString& dbDir);
  ~TFormSetup() override;

  // A setting was changed (only then does "확인" save).
  bool Modified = false;
  // The column list was changed: the catalogue window shows or hides columns.
  bool ColumnsChanged = false;
  // The application folder, with a trailing "/".
  AnsiString AppPath;
  AnsiString DBDir;

  // Fills the controls from the files; Modified and ColumnsChanged stay false.
  void LoadSettings();
  // Writes every key, the column list and the six value lists.
  // EIniFileException / EFCreateError when a file cannot be written.
  void SaveSettings();

  // The file names the dialog reads and writes.
  AnsiString IniFileName() const;
  AnsiString ConfigDir() const;
  AnsiString ColumnListFileName() const;

  // ---- page control and buttons
  TScPageControl* PageControl1;
  TScTabSheet* GeneralSheet;   // 일반
  TScTabSheet* ListSheet;      // 목록
  TScTabSheet* WebSheet;       // 웹
  TScTabSheet* AutoListSheet;  // 자동입력항목
  TScButton* ScButton2;        // 확인
  TScButton* ScButton1;        // 취소

  // ---- 일반
  TScGroupBox* ScGroupBox1;    // 일반
  TScCheckBox* ScCheckBox5;    // 포스터크기자동조정
  TScCheckBox* ScCheckBox10;   // 통계시나눔
  TScCheckBox* ScCheckBox11;   // 비슷한제목출력
  TScCheckBox* ScCheckBox7;    // 새버젼확인
  TScGroupBox* ScGroupBox3;    // 시작
  TScCheckBox* ScCheckBox12;   // 시작시DB열기
  TScButtonEdit* ScButtonEdit1;  // DB파일
  TOpenDialog* DBOpen;
  TScGroupBox* ScGroupBox4;    // 백업
  TScCheckBox* ScCheckBox9;    // 백업폴더만들기
  TScCheckBox* ScCheckBox8;    // 백업파일만들기
  TScRadioGroup* ScRadioGroup2;  // 포스터이름변경

  // ---- 목록
  TScCheckBox* ScCheckBox1;    // 긴이름힌트표시
  TScCheckBox* ScCheckBox2;    // 색상구분
  TScGroupBox* ScGroupBox2;    // the colours
  // 기본글자, 기본바탕, 선택글자, 선택바탕, 대여글자, 대여바탕, 시청글자,
  // 시청바탕, 그룹글자, 그룹바탕, 목록선
  std::array<TScColorEdit*, 11> ScColorEdit{};
  TScGroupBox* ScGroupBox5;    // the columns shown
  TScCheckList* ViewList;

  // ---- 웹
  TScRadioGroup* ScRadioGroup1;  // 검색값
  TScRadioGroup* ScRadioGroup3;  // 영화정보보냄
  TScRadioGroup* ScRadioGroup6;  // 웹정보확인

  // ---- 자동입력항목
  TScCheckBox* ScCheckBox6;    // 목록에없는값추가
  // JList, RList, HList, LList, MList, GList
  std::array<TSetupValueList, 6> ValueLists;
  TScListBox* JList;
  TScListBox* RList;
  TScListBox* HList;
  TScListBox* LList;
  TScListBox* MList;
  TScListBox* GList;

  // ---- handlers
  void FormShow(TObject* sender);
  void OkClick(TObject* sender);
  void CancelClick(TObject* sender);
  void ColorRowsClick(TObject* sender);
  void DBFileButtonClick(TObject* sender);
  void AddValueClick(int list);
  void DeleteValueClick(int list);

 private:
  void BuildGeneralPage();
  void BuildListPage();
  void BuildWebPage();
  void BuildAutoListPage();
  void BuildValueList(int index, const char* name, const char* caption, const char* file, const char* prompt,
                      const char* example, int left, int top, int width, int height);
  // Marks the dialog changed, unless the controls are being filled.
  void Changed(TObject* sender);
  void UpdateColorGroup();
  TIniSetup SetupFromControls() const;
  TIniGridLook LookFromControls() const;
  bool loading_ = false;
};
