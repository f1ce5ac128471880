// TFormSt: the file-information dialog ("파일정보").
//
// The movie editor hands it the full paths of the media files it is adding.
// The first page offers the quality, release and language words (guessed
// from the first file's name where a word of the list appears in it); "확인"
// probes every file into one row of the file table on the second page and
// closes the dialog with mrOk. Any other way out leaves ModalResult at
// mrCancel, and the editor then takes nothing from the table.
//
// Call tree:
//   ShowModal -> FormShow -> LoadValueList (화질, 릴, 언어) -> GuessWord (릴, 화질)
//   "확인" -> ScButton1Click -> per path: GetMediaInfo -> one row of FileGrid
//          -> AddUnlistedValue (화질, 릴, 언어) -> mrOk
//
// Also here: the value-list files both dialogs of the editor share, and the
// set-up of a 15-column file table.
#pragma once

#include <vector>

#include "app/vdAviInfo.h"
#include "grid/ExCGrid.h"
#include "platform/rtl/FileStamp.h"
#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

// ---------------------------------------------------------------- value lists

// The full name of a value-list file ("영화장르.List") in the Config folder
// of the application folder.
AnsiString ValueListFileName(const AnsiString& name);
// Replaces items with the lines of the file; a missing or unreadable file
// leaves them as they are.
void LoadValueList(TStrings& items, const AnsiString& fileName);
// Writes the items, one per line, through a temporary file beside the list,
// creating its folder when missing. EFCreateError when it cannot be written.
void SaveValueList(const TStrings& items, const AnsiString& fileName);
// The index of the item equal to value, letter case included; -1 when none.
int ExactIndexOf(const TStrings& items, const AnsiString& value);
// When the box's text is not among its items (an empty text counts too),
// adds it and saves the items to fileName. A list that cannot be written
// keeps the value for this session; the movie is saved all the same.
void AddUnlistedValue(TComboBox& box, const AnsiString& fileName);

// A box's items as last read from their list file. Load leaves the items as
// the file's lines, or none when the file is missing or unreadable, and
// reads the file only when it may have changed since, or when the items
// were changed by other means: a dialog shown for every add reads its lists
// once, not at every show. folder is the stamp of the file's folder, taken
// just before (one for the lists of one folder).
class TValueListWatch {
 public:
  void Load(TStrings& items, const AnsiString& fileName, const TFileStamp& folder);

 private:
  bool Current(const TStrings& items, const AnsiString& fileName, const TFileStamp& folder) const;
  AnsiString fileName_;
  TFileStamp file_, folder_;
  std::vector<AnsiString> items_;
  bool known_ = false;
};

// ---------------------------------------------------------------- file table

// A file table: 15 read-only columns named by their headers ("파일이름",
// "파일ID", ... "해상도"), the header row and one empty file row, rows
// selected as a whole (several at once with Ctrl and Shift).
void SetupFileTable(TExColumnGrid& grid);
// The cell of the column named header; "" when there is no such column.
AnsiString FileTableCell(TExColumnGrid& grid, const AnsiString& header, int row);
void SetFileTableCell(TExColumnGrid& grid, const AnsiString& header, int row, const AnsiString& value);
// The row that the next file goes to: the last row when its trimmed file
// name is empty, else a row added at the end.
int NextFileTableRow(TExColumnGrid& grid);
// The first of count rows (count >= 1) that the next files go to, one after
// another: NextFileTableRow's row, the others added at the end at once.
int NextFileTableRows(TExColumnGrid& grid, int count);

// ---------------------------------------------------------------- the dialog

class TFormSt : public TForm {
 public:
  explicit TFormSt(TComponent* owner);
  ~TFormSt() override;

  // A word typed that is not in its list is added to the list file.
  bool AddUnlistedValues = false;

  TScPageControl* page;
  TScTabSheet* WordSheet;   // 정보 선택
  TScTabSheet* ProbeSheet;  // 파일 정보
  TScComboBox* HInfo;       // 화질
  TScComboBox* RInfo;       // 릴
  TScComboBox* LInfo;       // 언어
  TScListBox* FileList;     // full paths of the files to probe
  TExColumnGrid* FileGrid;
  TScButton* ScButton1;     // 확인
  TScButton* CancelButton;  // 취소
  TScStatusPane* SP;

  void FormShow(TObject* sender);
  void ScButton1Click(TObject* sender);

  // The dialog of the whole program, made on first use and kept: its
  // widgets cost more to build than probing a folder of movies, so every
  // add after the first one only empties it (Reset) and fills it again.
  static TFormSt& Shared();
  // Back to a dialog just built: no files, no rows, no words, first page.
  void Reset();

  // The item of box whose upper-cased text, after "-", ".", " " or "_",
  // occurs in the upper-cased path; -1 when none.
  static int GuessWord(const TStrings& items, const AnsiString& path);

  // The kind of drive the folder lies on, as the last probe found it (or
  // looked up now): the editor names the medium by it.
  TDriveKind FolderDriveKind(std::string_view folder) { return batch_.FolderDriveKind(folder); }

 private:
  void BuildWordPage();
  void BuildProbePage();
  TValueListWatch qualityList_, releaseList_, languageList_;
  TMediaBatch batch_;
};
