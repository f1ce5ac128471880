// TPosterUtilForm: the poster tools ("포스터 정리").
//
// Three pages on the catalogue's poster lists (column 포스터, comma text; a
// bare name lies in the poster folder, anything else is a full path):
//   포스터 파일 정리   deletes the files of the poster folder no movie names
//   포스터 이름 변경   renames each movie's posters after its title or row
//   포스터복사/이동    copies or moves the posters into another folder
// No file is ever replaced: a rename, copy or move onto an existing name
// leaves both files and the movie's entry as they were. A move removes the
// source only once the copy is complete and reads back equal.
//
// The work is done by the free functions below, each on a grid and its
// folders; the window adds the pages, the progress and the buttons. After a
// rename or a copy/move run ScButton3->Tag() is 1: the caller saves the
// catalogue.
#pragma once

#include <functional>
#include <vector>

#include "grid/ExCGrid.h"
#include "platform/vcl/ComCtrls.h"
#include "platform/vcl/Forms.h"
#include "shaped/SpShellBrowseDialog.h"
#include "styled/ScControls.h"

// A title as a file name: "*", "/", "?", "\" and "|" become blanks, then
// trimmed ("" for a name of dots only).
AnsiString SafePosterName(std::string_view title);

// Copies source to target, never replacing an existing target; without
// keepSource (a move) the source is deleted once the copy is complete and
// its bytes equal the source's. True when the target was written.
bool CopyOrMoveFile(const AnsiString& source, const AnsiString& target, bool keepSource);

using TPosterProgress = std::function<void(int done, int total)>;

struct TPosterCleanResult {
  int Files = 0;     // files found in the folder
  int Deleted = 0;
};

// Deletes every file of posterFolder that no catalogue row names, by bare
// name or by a full path into the folder (letter case ignored), except
// "noimage.jpg" and "badImage.jpg". Rows hidden by a search or a closed
// group count too. Sub-folders are left alone.
// confirm, when given, is asked with the number of files about to go once
// they are known; false deletes nothing. It is not asked when none would go.
TPosterCleanResult CleanPosterFolder(TExColumnGrid& grid, const AnsiString& posterFolder,
                                     const TPosterProgress& progress = {},
                                     const std::function<bool(int count)>& confirm = {});

// The rows a run works on: every movie row the grid shows, or the selected
// movies as SelectedMovieRows takes them.
std::vector<int> PosterRows(TExColumnGrid& grid, bool selectedOnly);

// Renames the posters of rows after the movie's title (byTitle) or the row
// number: the first poster gets the name, the next ones "_1", "_1_2", ...
// appended, each keeping its extension; "noimage.jpg" and a file other
// movies name as well (counted in sharedSkipped) are passed over. A
// poster whose new name is taken, or whose file is missing, keeps its
// name. Returns the number of files renamed.
int RenamePosters(TExColumnGrid& grid, const std::vector<int>& rows, bool byTitle, const AnsiString& posterFolder,
                  const TPosterProgress& progress = {}, int* sharedSkipped = nullptr);

// Copies (keepSource) or moves the posters of rows into targetFolder; each
// entry then names its new file (bare when the target is the poster
// folder). A file several of the rows name goes once and all of them name
// it after; a move passes over a file that a movie outside rows names as
// well (counted in sharedSkipped). Returns the number of files copied or
// moved.
int CopyMovePosters(TExColumnGrid& grid, const std::vector<int>& rows, const AnsiString& targetFolder,
                    bool keepSource, const AnsiString& posterFolder, const TPosterProgress& progress = {},
                    int* sharedSkipped = nullptr);

class TPosterUtilForm : public TForm {
 public:
  TPosterUtilForm(TComponent* owner, TExColumnGrid* grid);
  ~TPosterUtilForm() override;

  // Set by the caller: the poster folder with a trailing separator.
  AnsiString PosterFolder;

  TScPageControl* PageControl1;
  // 포스터 파일 정리
  TScLabel* ScLabel2;
  TScButton* ScButton1;        // 정리
  TScButton* ScButton2;        // 닫기
  TScProgressBar* ProgressBar1;
  // 포스터 이름 변경
  TScRadioGroup* ScRadioGroup1;  // 설정: 0 title, 1 row number
  TScRadioGroup* ScRadioGroup4;  // 목록: 0 all, 1 selected
  TScButton* ScButton3;        // 변경; Tag 1 after a rename or a copy/move run
  TScButton* ScButton4;        // 닫기
  TScProgressBar* ProgressBar2;
  // 포스터복사/이동
  TScRadioGroup* ScRadioGroup2;  // 목록: 0 all, 1 selected
  TScRadioGroup* ScRadioGroup3;  // 방법: 0 move, 1 copy
  TScButtonEdit* ScButtonEdit1;  // the target folder
  TSpShellBrowseDialog* SelectDir;
  TScButton* ScButton5;        // 실행
  TScButton* ScButton6;        // 닫기
  TScProgressBar* ProgressBar3;

  void ScButton1Click(TObject* sender);
  void ScButton3Click(TObject* sender);
  void ScButton5Click(TObject* sender);
  void ScButtonEdit1ButtonClick(TObject* sender);
  void ScButtonEdit1Click(TObject* sender);
  void ScButton2Click(TObject* sender);

 private:
  void BuildCleanPage(TWinControl* page);
  void BuildRenamePage(TWinControl* page);
  void BuildCopyPage(TWinControl* page);
  // A page's progress bar and its run and close buttons along the bottom.
  void PlaceBottomRow(TWinControl* page, const AnsiString& progressName, const AnsiString& runName,
                      const AnsiString& runCaption, const AnsiString& closeName, TScProgressBar*& progress,
                      TScButton*& run, TScButton*& close);
  // A rename or copy/move run on the chosen rows, with its buttons off and
  // its progress bar following; afterwards the caller is told to save.
  void RunOnRows(bool selectedOnly, TScButton* run, TScButton* close, TScProgressBar* bar,
                 const std::function<void(const std::vector<int>&, const TPosterProgress&)>& work);
  TExColumnGrid* grid_;
  bool working_ = false;
};
