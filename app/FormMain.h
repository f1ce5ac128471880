// TFormMain: the catalogue window, the frame of every workflow.
//
// Units of the window, by concern:
//   FormMain.cpp ........ building the window, start and end, keys, the menu
//                         panel, the resize layout, the busy texts
//   FormMainFile.cpp .... LoadDB / SaveDB, new, open, save, save as,
//                         restoring the backup, the close prompt
//   FormMainJournal.cpp . the autosave journal: entries, offer, purge
//   FormMainDetails.cpp . the detail pane, posters, file table, links, the
//                         column chooser, row colours
//   FormMainSearch.cpp .. search, quick filters, the column filter pick,
//                         sorting, grouping
//
// Call tree of the file workflow:
//   btnOpenDBClick -> AskSaveChanges -> SaveDB? -> Dlg_OpenDB -> LoadDB
//   LoadDB -> ResetView -> LoadGridFile (all or nothing) -> OfferAutoSaveRestore
//          -> ApplyColumnVisibility -> CurrentDBFile, caption, ShowMovieDetails(1)
//   SaveDB -> Dlg_SaveDB (unnamed) -> with the catalogue ungrouped:
//          SaveGridFile (new file whole on the disk -> in place) -> the same
//          grid as ".Bak" -> PurgeAutoSaveFolder
//
// The window-level state (CurrentDBFile, DBModified, AppDir, ...) is held by
// the window; FormMain points at the live window for the other windows.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "app/Catalogue.h"
#include "app/IniSetup.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "shaped/SpPanelShape.h"
#include "styled/ScCheckList.h"
#include "styled/ScControls.h"
#include "styled/ScFormState.h"

// A search kept by column name while the columns move under it.
struct TSavedFilter {
  std::vector<std::pair<AnsiString, AnsiString>> Conditions;  // header, condition
  bool Active = false;
};

class TUpdateCheck;
class TFormME;
struct TJournalState;

class TFormMain : public TForm {
 public:
  // Row 0 is the header, also when a search shows no movie and the grid has
  // no fixed rows left: movies start at row 1.
  static constexpr int kFirstMovieRow = 1;
  explicit TFormMain(TComponent* owner);
  ~TFormMain() override;

  // ---- window-level state
  AnsiString CurrentDBFile = "NewDB";
  bool DBModified = false;
  AnsiString AppDir;     // without a trailing "/"
  AnsiString DBDir;      // AppDir + "/DB"
  AnsiString PosterDir;  // AppDir + "/Poster"
  bool ColumnListChanged = false;
  TIniSetup IniSetup;
  // The grid looks the settings file gave (the hint switch included).
  TIniGridLook GridLook;
  // Search, sort and grouping state.
  bool SortToggle = false;
  bool GridGrouped = false;

  // ---- the catalogue and the busy overlay
  TCatalogueGrid* movie_Grid;
  TScPanel* Epanel;
  TScPanel* ScPanel1;  // grid area

  // ---- button bar
  TScPanel* ScPanel2;
  TScButton* ScButton7;   // 안본영화
  TScButton* ScButton8;   // 본영화
  TScButton* ScButton9;   // 돌려받기
  TScButton* ScButton10;  // 빌려주기
  TScButton* BtnMovieEdit;
  TScButton* BtnMovieAdd;
  TScButton* BtnMovieDel;
  TScComboBox* SortCombo;
  TScComboBox* GroupCombo;
  TScPanel* bbpanel;
  TScPanel* View_17_2;
  TScPanel* View_20_2;
  TScPanel* View_36_2;

  // ---- search bar
  TScPanel* ScPanel3;
  TScComboBox* ComboFind;
  TScComboBox* ComboFindValue;
  TScButton* FindButton;

  // ---- detail pane
  TScPageControl* infopage;
  TScTabSheet* moviesheet;
  TScTabSheet* fileSheet;
  TScTabSheet* gitaSheet;
  TImage* imgposter;
  TScListBox* View_16;
  TScButton* BtnPosterPrev;
  TScButton* BtnPosterNext;
  TScButton* ScButton3;  // the large poster view
  TScBitBtn* ScBitBtn1;  // official home page
  TScBitBtn* ScBitBtn3;  // official home page
  TScBitBtn* ScBitBtn4;  // related page
  // View_N for N = 0..15, 17..20, 36..41; the others stay nullptr.
  TCustomEdit* View[42] = {};
  TScPanel* View_20;
  TScPanel* View_36;
  TExColumnGrid* FileGrid;

  // ---- column chooser
  TScPanel* ScPanel6;
  TScCheckList* ScCheckList1;
  TScButton* ScButton1;

  // ---- menu panel
  TSpPanelShape* menupanel;
  TScPageControl* menuPage;
  TScBitBtn* ScBitBtn5;   // 파일
  TScBitBtn* ScBitBtn6;   // 편집
  TScBitBtn* ScBitBtn7;   // 도구
  TScBitBtn* ScBitBtn8;   // 보기
  TScBitBtn* ScBitBtn10;  // 설정
  TScBitBtn* ScBitBtn11;  // 종료
  TScBitBtn* btnNEWDB;
  TScBitBtn* BtnOpenDB;
  TScBitBtn* btnSaveDB;
  TScBitBtn* BtnNSaveDB;
  TScBitBtn* ScBitBtn16;  // 내보내기
  TScBitBtn* ScBitBtn18;  // 수정
  TScBitBtn* ScBitBtn19;  // 추가
  TScBitBtn* ScBitBtn21;  // 삭제
  TScBitBtn* ScBitBtn24;  // 여러목록편집
  TScBitBtn* StateBtn;    // 통계보기
  TScBitBtn* ScBitBtn26;  // 포스터관리
  TScBitBtn* ScBitBtn27;  // DB병합
  TScBitBtn* ScBitBtn30;  // 보관중인영화만
  TScBitBtn* ScBitBtn31;  // 본영화만
  TScBitBtn* ScBitBtn32;  // 안본영화만
  TScBitBtn* ScBitBtn35;  // 빌려준영화만
  TScBitBtn* OptionBtn;   // 설정
  TScBitBtn* BtnUpdate;   // 업데이트 확인
  TScBitBtn* ScBitBtn37;  // 홈페이지
  TScBitBtn* ScBitBtn2;   // 도움말

  // ---- status bar
  TScStatusBar* StatusPanel;
  TScProgressBar* ScProgressBar1;
  TScStatusPane* PanelHelp;
  TScStatusPane* MovieRow;
  TScButton* BtnReBak;
  TScBitBtn* ScBitBtn38;  // 메뉴

  TPopupMenu* PopupMenu2;
  TUpdateCheck* UpdateCheck;
  TScFormState* FormState;
  TScRegIniFile* FormStateIni;
  TOpenDialog* Dlg_OpenDB;
  TSaveDialog* Dlg_SaveDB;

  // ---- start and end
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormClose(TObject* sender, TCloseAction& action);
  void FormCloseQuery(TObject* sender, bool& canClose);
  void FormResize(TObject* sender);
  void FormKeyDown(TObject* sender, Word& key, TShiftState shift);
  // Reads the settings file, applies the grid looks, loads the chooser list.
  void LoadIniSetup();
  // The settings dialog; what it saved applies at once, newly checked
  // columns included.
  void OptionBtnClick(TObject* sender);

  // ---- file workflow
  // False when the file could not be loaded: the previous catalogue, its
  // file name and caption stay, and the error has been shown.
  bool LoadDB(const AnsiString& fileName);
  // True only when the catalogue was written; "NewDB" asks for a name first
  // (false when the dialog is cancelled). A failed write shows the error,
  // keeps DBModified and leaves the old file as it was.
  bool SaveDB(const AnsiString& fileName);
  void btnNEWDBClick(TObject* sender);
  void btnOpenDBClick(TObject* sender);
  void btnSaveDBClick(TObject* sender);
  void BtnNSaveDBClick(TObject* sender);
  void BtnReBakClick(TObject* sender);
  // The three-way prompt when modified: true to go on (saved or not wanted).
  bool AskSaveChanges();
  // "Vidrena - " + CurrentDBFile.
  void UpdateCaption();
  // "전체 : N 편": the movies the grid holds, or those a search shows; the
  // empty row of a new catalogue is no movie.
  void UpdateMovieCount();
  int MovieCount() const;
  // After the rows shown changed (search, filter, grouping, delete, size):
  // the detail pane and the status bar follow the current row again.
  void ViewChanged();
  // Row 1 current (load, new, backup), shown in the pane and counted.
  void ShowFirstMovie();
  // The movie of row becomes current and the one marked, as a click on it
  // makes it: the highlight and the record operations name the same movie.
  void SelectMovie(int row);
  // The grid's rows cleared to a new catalogue's one empty movie row: no
  // file, nothing to save, the caption following (ShowFirstMovie after).
  void BecomeNewCatalogue();

  // ---- busy texts: shown over the grid; messages are pumped without user
  // input, and every user action is refused while Busy. A TBusyScope spans
  // one action; its end hides the panel on every path, exceptions included.
  void ShowBusy(const AnsiString& text);
  void HideBusy();
  bool Busy() const { return busyDepth_ > 0; }
  class TBusyScope {
   public:
    explicit TBusyScope(TFormMain& form);
    ~TBusyScope();
    TBusyScope(const TBusyScope&) = delete;
    TBusyScope& operator=(const TBusyScope&) = delete;

   private:
    TFormMain& form_;
  };

  // ---- journal
  AnsiString JournalFolder() const;
  // The entry of the movie of row. before: its values before an edit
  // (JournalMovieValues), which tell the journal which movie it is: the
  // entry it already has is replaced, and an entry keeps naming the movie
  // the catalogue file holds (its title and values there) until a save.
  // A movie the file does not hold has an ".ADD" entry, edited or not.
  void WriteAutoSaveEntry(int row, bool isAdd, const std::vector<AnsiString>& before = {});
  void OfferAutoSaveRestore();
  void PurgeAutoSaveFolder(const AnsiString& folder);

  // ---- details
  void ShowMovieDetails(int row);
  void ShowMovieFiles(int row);
  // The pane when the current row is no movie: empty, nothing to edit.
  void ClearMovieDetails();
  void ShowPosterImage(const AnsiString& path);
  void BtnPosterNextClick(TObject* sender);
  void BtnPosterPrevClick(TObject* sender);
  // The full path of a poster list item (bare names lie in the poster folder).
  AnsiString PosterPath(const AnsiString& item) const;
  void ApplyColumnVisibility();
  void ScCheckList1Change(int index, TCheckBoxState state);
  void movie_GridGetCellColor(TObject* sender, int row, int col, TGridDrawState state, TBrush* brush,
                              TFont* font);
  void OpenLink(const AnsiString& address);
  // The chooser list file and its items.
  AnsiString ColumnViewFile() const;
  void SaveColumnView();
  void LoadColumnView();

  // ---- search, sort, group
  static AnsiString ConditionText(const AnsiString& value);
  void FindButtonClick(TObject* sender);
  // Enter in ComboFindValue.
  void ComboFindValueEnter();
  // One search condition on the column of that header; value is what the
  // column's filter list offers again.
  void RunSearch(const AnsiString& header, const AnsiString& value, const AnsiString& condition);
  void ComboFindChange(TObject* sender);
  void QuickFilter(int comboFindIndex);
  void movie_GridFilterSelect(int col, const AnsiString& value);
  void SortComboChange(TObject* sender);
  void movie_GridCanSort(TObject* sender, int col, bool& doSort);
  void GroupComboChange(TObject* sender);
  void GroupCatalog(int col);
  void UngroupCatalog();
  // Runs action on each node row the grid shows, with the grouping progress.
  void EachNodeRow(const std::function<void(int row)>& action);
  // Switches the search off and keeps it by column name; ResumeSearch puts
  // it back on whatever columns carry those names then.
  TSavedFilter SuspendSearch();
  void ResumeSearch(const TSavedFilter& saved);
  // Search off, ungrouped, sort toggle and selection reset (new and open).
  void ResetView();

  // ---- record operations (FormMainRecords.cpp): add and edit through the
  // movie editor, delete, watched, unwatched, lend, take back, batch edit
  void WireRecordOperations();
  void BtnMovieAddClick(TObject* sender);
  void BtnMovieEditClick(TObject* sender);
  void BtnMovieDelClick(TObject* sender);
  void ScButton8Click(TObject* sender);   // 본영화
  void ScButton7Click(TObject* sender);   // 안본영화
  void ScButton9Click(TObject* sender);   // 돌려받기
  void ScButton10Click(TObject* sender);  // 빌려주기
  void ScBitBtn24Click(TObject* sender);  // 여러목록편집
  // The rows an operation acts on: the selected movie rows the user sees
  // when there are two or more, else the current row; never a group row.
  std::vector<int> OperationRows();
  // Shows the movie editor for a new movie (row -1) or for row; the row
  // written when the editor was saved, else -1.
  int RunMovieEditor(int row);
  // Writes a saved editor's fields into row (a new row for -1); the row
  // written. before: the movie's values before an edit, for the journal.
  // Without listsEdited the poster and per-file cells stay as they are.
  int WriteMovieBack(TFormME& editor, int row, const std::vector<AnsiString>& before, bool listsEdited = true);
  // Asks the question and, unless the answer is No, marks each operation row.
  void MarkRows(const AnsiString& question, const std::function<void(int row)>& mark);
  // After rows changed: the pane shows the changed movie again.
  void ShowChangedDetails(const std::vector<int>& rows);
  // After a delete while grouped: each group's span is what the movies
  // left it; a group row without movies goes. groups: (real row of the
  // group row, movies deleted from it) before the delete, removedReal the
  // deleted movies' real rows, ascending.
  void ForgetDeletedFromGroups(const std::vector<std::pair<int, int>>& groups, const std::vector<int>& removedReal);
  // 수정 and 삭제 for row becoming current: enabled on a movie; on a group
  // row 삭제 still acts on two or more marked movies.
  void EnableRecordButtons(int row);

  // ---- tool windows (FormMainTools.cpp): export, statistics, poster
  // tools and catalogue merge, each run on the ungrouped catalogue
  void WireToolWindows();
  void ExportClick(TObject* sender);
  void StateBtnClick(TObject* sender);
  void PosterToolsClick(TObject* sender);
  void MergeClick(TObject* sender);
  // Runs step on the catalogue as the file holds it: a grouped catalogue is
  // ungrouped for it and grouped again after it, its search kept by column
  // name, and the column chooser's visibility applied again.
  void RunUngrouped(const std::function<void()>& step);
  // The marked movies of the grouped catalogue by their place among the
  // movies (1 for the first), every group opened. current: the real row of
  // the current movie in, its place out (0 for none).
  std::vector<int> MarkedMovieOrdinals(int& current);

  // ---- menu panel
  void ShowMenuPanel(bool show);
  void MenuPanelMouseLeave(TPoint cursor);

 private:
  void BuildWindow();
  void BuildButtonBar();
  void BuildSearchBar();
  void BuildDetailPane();
  void BuildStatusBar();
  void BuildMenuPanel();
  void BuildChooser();
  void BuildPopupMenu();
  void SetMinimumSize();
  template <class T = TScButton>
  T* MakeButton(TWinControl* parent, const AnsiString& caption, int left, int top, int width, int height,
                TNotifyEvent onClick = {}) {
    auto* b = new T(this);
    b->SetParent(parent);
    b->SetCaption(caption);
    b->SetBounds(left, top, width, height);
    b->OnClick = std::move(onClick);
    return b;
  }
  void WireGrid();
  bool SaveGridTo(const AnsiString& fileName);
  // LoadGridFile with every column shown, in one update bracket; raises
  // what the load raises (the grid is then unchanged).
  void LoadGridShowingAll(const AnsiString& fileName);
  int busyDepth_ = 0;
  bool hintHandlerSet_ = false;
  // Earlier search values of the columns not searched now, by header: only
  // the searched column shows the filter mark, yet every column's drop-down
  // offers its earlier values again when it is searched next.
  std::map<AnsiString, std::vector<AnsiString>> searchHistory_;
  void KeepFilterMarkOn(TGridColumnItem* searched);
  int posterIndex_ = 0;
  int detailRow_ = -1;
  int groupedColumn_ = -1;  // the real column grouped on (ungrouped layout)
  // What the journal knows of its entries and of the catalogue file.
  std::shared_ptr<TJournalState> journal_;
  TJournalState& Journal();
};

// The live catalogue window, for the other windows.
extern TFormMain* FormMain;

// The trimmed text between the first start marker and the first end marker,
// both searched from the start of the text; "" when either is missing or the
// end comes first. Blanks and control characters are trimmed.
AnsiString TextBetween16(std::string_view text, std::string_view startMarker, std::string_view endMarker);

// The journal file name part for a title: the title with the characters a
// file name cannot hold replaced by blanks, trimmed; when anything was
// replaced or cut, "~" and a checksum of the whole title follow, so two
// titles never share one entry.
AnsiString JournalEntryName(const AnsiString& title);
