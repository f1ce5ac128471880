// TFormME: the movie editor ("영화정보 추가 / 수정"), one modal window per
// movie added or edited.
//
// The catalogue window creates it, sets the public fields and the View_N
// controls (N = the catalogue column the control stands for), shows it
// modally and, when Tag is 99 afterwards, reads the controls back into the
// catalogue row. The editor itself never touches the catalogue.
//
// Call tree:
//   ShowModal -> FormShow (value lists of 제작국가, 관람등급, 영화장르)
//   "저장" -> SaveButtonClick -> AddUnlistedValue x3 -> Tag 99, mrOk
//   "취소" -> CnsButtonClick -> Tag 0, mrCancel
//   "파일추가" / "폴더추가" -> AddMediaFiles -> TFormSt (probe) -> rows not yet
//        listed by file ID -> WebFile (add mode, first files) -> title
//        suggestions -> medium from the drive type
//   poster buttons -> ShowPoster (path rule: bare names in PosterDir,
//        noimage.jpg when missing, badimage.jpg when unreadable)
//   "받기" -> ScBitBtn2Click -> GetPoster.GetFile -> GetPosterDoneFile / GetPosterError
//   "검색", Enter in the title, the portal buttons -> SearchPortal ->
//        WebBrowser1 (made on first use) on the web tab
//   "가져오기" -> ScButton24Click -> ScrapePortalPage -> View_N, GetPoster,
//        GetDB -> GetDBDoneString / GetDBError (영화해설)
//   "파일정보검색" -> WebFileClick -> GetFileID -> GetFileIDDoneString
//   "웹저장" -> WebSaveClick -> sqlData (+ per-row components) ->
//        sqlDataDoneString / sqlDataError
#pragma once

#include <array>
#include <vector>

#include "app/HTTPGet.h"
#include "app/PortalScrapers.h"
#include "platform/vcl/Menus.h"
#include "dateedit/DateEdit.h"
#include "grid/ExCGrid.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "shaped/SpShellBrowseDialog.h"
#include "styled/ScControls.h"

class TFormSt;
class TWebBrowser;

class TFormME : public TForm {
 public:
  explicit TFormME(TComponent* owner);
  ~TFormME() override;

  // ---- set by the catalogue window before ShowModal
  bool AddUnlistedValues = false;
  AnsiString PosterDir;       // the poster folder, without a trailing "/"
  Byte WebSearchSite = 0;     // default portal, 0-3
  bool ShowSimilarTitles = false;
  bool PosterAutoSize = false;
  Byte SendMovieInfo = 0;
  Byte CheckWebInfo = 0;      // 0-2
  int AddMode = 0;            // 1 when adding, 0 when editing
  // ---- read by the catalogue window after ShowModal
  // File rows that 파일삭제 took away, the table's one empty row included:
  // a movie whose files have no name shows that row alone.
  int FileRowsDeleted = 0;

  // ---- the controls of the catalogue columns
  TScComboBox* View_0;        // 제목 (title suggestions)
  TScEdit* View_1;            // 원제(영제)
  TScEdit* View_2;            // 감독
  TScComboBox* View_3;        // 제작국가
  TScEdit* View_4;            // 제작연도
  TDateEdit* View_5;          // 개봉날짜
  TScEdit* View_6;            // 출연
  TScComboBox* View_7;        // 관람등급
  TScComboBox* View_8;        // 영화장르
  TScEdit* View_9;            // 영화시간
  TScEdit* View_10;           // 별점 (derived from 평점)
  TScEdit* View_11;           // 평점
  TScEdit* View_12;           // 공식홈페이지
  TScEdit* View_13;           // 관련페이지
  TScMemo* View_14;           // 영화내용
  TScMemo* View_15;           // 영화해설
  TScListBox* View_16;        // 포스터 (names)
  TScEdit* View_17;           // 보관위치
  TScComboBox* View_18;       // 저장매체
  TDateEdit* View_19;         // 추가날짜
  TScPanel* View_20;          // 시청여부: "본영화" / "안본영화"
  TScPanel* View_36;          // 대여: "빌려줬음" / "보관중"
  TScEdit* View_37;           // 대여자
  TScEdit* View_38;           // 연락처
  TScEdit* View_39;           // 대여횟수
  TScEdit* View_40;           // 포스터위치
  TScMemo* View_41;           // 기타
  // The control of catalogue column n; nullptr for the per-file columns.
  TControl* View(int n) const { return views_[static_cast<std::size_t>(n)]; }

  // ---- files
  TExColumnGrid* FileGrid;
  TScButton* FileADD;         // 파일추가
  TScButton* FldADD;          // 폴더추가
  TScButton* FileDel;         // 파일삭제
  TScButton* WebFile;         // 파일정보검색
  TScButton* WebSave;         // 웹저장
  TOpenDialog* OpenD;
  TSpShellBrowseDialog* SelectDir;

  // ---- posters
  TImage* Imgposter;          // Tag: index of the poster shown
  TScButton* ScButton26;      // 추가
  TScButton* ScButton25;      // 삭제
  TScButton* BtnPosterPrev;
  TScButton* BtnPosterNext;
  TScButton* ScButton27;      // 크게보기
  TScBitBtn* ScBitBtn2;       // download from 포스터위치
  TOpenDialog* Dlg_OpenPoster;
  THTTPGet* GetPoster;

  // ---- similar titles
  TScListBox* SameBak;        // hidden: the catalogue's titles, header at 0
  TScPanel* Samepanel;
  TScListBox* Samelist;
  TScPanel* ScPanel3;         // 닫기

  // ---- pages and buttons
  TScPageControl* PageControl1;
  TScTabSheet* InfoSheet;     // 영화정보
  TScTabSheet* WebSheet;      // 웹검색
  TScPanel* WebPanel;         // where the portal pages show
  TScButton* SaveButton;      // 저장
  TScButton* CnsButton;       // 취소

  // ---- portal lookup
  Byte CurrentPortal = 0;     // the portal of the last search, 0-3
  AnsiString LastSearchText;  // the title text of the last search
  TScMenuButton* ScMenuButton2;  // 검색 (default portal; its menu: the others)
  TPopupMenu* SearchMenu;
  TMenuItem* N1;              // portal 0
  TMenuItem* M1;              // portal 1
  TMenuItem* S1;              // portal 3
  TMenuItem* IMDB1;           // portal 2
  TScButton* ScButton12;      // <- back
  TScButton* ScButton11;      // -> forward
  TScButton* ScButton14;      // portal 0
  TScButton* ScButton21;      // portal 1
  TScButton* ScButton13;      // portal 2
  TScButton* ScButton22;      // portal 3
  TScButton* ScButton24;      // 가져오기
  // The browser of the web tab; nullptr until a portal is first searched
  // or the tab first shown (the engine is costly to start).
  TWebBrowser* WebBrowser1 = nullptr;
  THTTPGet* GetDB;            // the commentary page; Tag = its format
  THTTPGet* GetFileID;        // the service's lookup
  THTTPGet* sqlData;          // the service's movie statement

  // ---- handlers
  void FormShow(TObject* sender);
  void SaveButtonClick(TObject* sender);
  void CnsButtonClick(TObject* sender);
  // Closing without saving (Escape, "취소", the window's close box): when
  // anything was changed since the editor was shown, asks first; Yes saves,
  // No drops the changes, Cancel goes on editing. True when it may close.
  bool AskDropChanges();
  // Whether any field, the poster list or the file table differs from what
  // the editor was shown with.
  bool Changed() const;
  void View_20Click(TObject* sender);
  void View_36Click(TObject* sender);
  void View_11Change(TObject* sender);
  void View_10Click(TObject* sender);
  void View_11KeyPress(TObject* sender, char& key);
  void View_0Change(TObject* sender);
  void ScPanel3Click(TObject* sender);
  void FileADDClick(TObject* sender);
  void FldADDClick(TObject* sender);
  void FileDelClick(TObject* sender);
  void WebFileClick(TObject* sender);
  void WebSaveClick(TObject* sender);
  void ScButton26Click(TObject* sender);
  void ScButton25Click(TObject* sender);
  void BtnPosterNextClick(TObject* sender);
  void BtnPosterPrevClick(TObject* sender);
  void ScButton27Click(TObject* sender);
  void ImgposterDblClick(TObject* sender);
  void ScBitBtn2Click(TObject* sender);
  void GetPosterDoneFile(TObject* sender, const AnsiString& fileName, int fileSize);
  void GetPosterError(TObject* sender);
  void View_0KeyPress(TObject* sender, char& key);
  void SearchPortal(int portal);
  void ScButton24Click(TObject* sender);
  void GetDBDoneString(TObject* sender, const AnsiString& result);
  void GetDBError(TObject* sender);
  void GetFileIDDoneString(TObject* sender, const AnsiString& result);
  void sqlDataDoneString(TObject* sender, const AnsiString& result);
  void sqlDataError(TObject* sender);

  // The browser of the web tab, made when first needed.
  TWebBrowser& Browser();
  // Sets View_n's text through its own setter (the score recomputes the stars).
  void SetField(int n, const AnsiString& value);

  // Shows a poster list item by the path rule.
  void ShowPoster(const AnsiString& item);
  // The file a poster list item names: a bare name lies in PosterDir.
  AnsiString PosterPath(const AnsiString& item) const;
  // The file whose picture Imgposter shows ("" when none could be loaded).
  const AnsiString& ShownPosterFile() const { return shownPosterFile_; }
  // Probes the files in TFormSt and adds those whose file ID the table
  // does not hold yet; nothing happens for an empty list.
  void AddMediaFiles(const std::vector<AnsiString>& paths);
  // The name a downloaded poster (named by UrlFileName) is stored under:
  // the name itself, unless another movie's poster has it already.
  AnsiString FreePosterName(const AnsiString& name) const;
  // The size of the enlarged poster window for a picture of this size.
  TPoint EnlargedPosterSize(int pictureWidth, int pictureHeight) const;

 private:
  void BuildInfoPage();
  void BuildPosterArea(int left, int width);
  void BuildFileArea(int top, int width, int height);
  void BuildWebPage();
  void BuildSimilarPanel();
  void UpdatePosterButtons();
  // Navigates to the portal's search for LastSearchText.
  void NavigatePortal(int portal);
  // Starts the poster download of a scrape or a lookup; a poster that names
  // no file shows noimage.jpg.
  void StartPoster(const TPosterDownload& poster);
  void BuildSearchButton(int left, int top);
  std::vector<AnsiString> EditedState() const;
  std::array<TControl*, 42> views_{};
  std::vector<AnsiString> shownState_;
  bool closeAnswered_ = false;
  AnsiString shownPosterFile_;
};
