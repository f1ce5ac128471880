// The catalogue file workflow of the window: load, save, new, open, save
// under a new name, restoring the backup, and the save prompt.
#include "app/FormMain.h"

#include <algorithm>
#include <cerrno>

#include "app/Catalogue.h"
#include "platform/rtl/SysUtils.h"

namespace {

const AnsiString kNewDB = "NewDB";

const AnsiString kDiskFullMessage = "디스크 공간이 부족하여 DB를 저장하지 못했습니다."_k;

// Why a file could not be written, in the user's words.
AnsiString WriteFailureReason(int error) {
  switch (error) {
    case EACCES:
    case EPERM: return "그 폴더에 파일을 쓸 권한이 없습니다."_k;
    case EROFS: return "읽기 전용 디스크여서 쓸 수 없습니다."_k;
    case ENOENT:
    case ENOTDIR: return "폴더가 없습니다. 옮겨졌거나 지워졌을 수 있습니다."_k;
    case EISDIR: return "같은 이름의 폴더가 있습니다."_k;
    case EIO: return "디스크에 쓰는 동안 입출력 오류가 났습니다."_k;
    case ENAMETOOLONG: return "파일 이름이 너무 깁니다."_k;
    case ELOOP: return "심볼릭 링크가 끝없이 이어집니다."_k;
    default: return Format("오류 %d: %s"_k, {error, SysErrorMessage(error)});
  }
}

// The grid file keeps no count of its cells, so a copy cut off between two
// cells reads as a whole catalogue that lacks what came after the cut. The
// window's own files end with their last row's last cell, stored even when
// empty, so they never look so. A copy cut off shows as movies at the end
// that hold no cell (other than the one empty row of an empty catalogue),
// or as a last movie that lacks cells that every other movie holds in the
// columns after its last cell; the user decides before the open catalogue
// is replaced.
void ConfirmCatalogueComplete(const TGridFileHeader& file, int fixedRows) {
  if (!file.Props.FullGrid) return;
  const int movies = file.Props.RowCount - fixedRows;
  auto ask = [](const AnsiString& what) {
    const AnsiString question = what + "\r파일이 중간에 잘렸을 수 있습니다. 그래도 불러 오시겠습니까?"_k;
    if (MessageDlg(question, mtWarning, mbYesNo) != mrYes) Abort();
  };
  const int emptyRows = file.Props.RowCount - 1 - file.LastCellRow;
  if (emptyRows > 0) {
    // An empty catalogue: whole headers, then its one empty row.
    if (movies == 1 && file.LastCellRow == fixedRows - 1 && file.LastCellCol == file.Props.ColCount - 1) return;
    ask(Format("DB 파일의 영화 %d편 중 마지막 %d편에 아무 내용이 없습니다."_k, {movies, std::min(emptyRows, movies)}));
    return;
  }
  // Rows between the first stored one (the headers) and the last movie.
  const int others = file.LastCellRow - file.FirstRow - 1;
  if (file.LastCellRow < fixedRows || others < 1) return;
  int missing = 0;
  for (size_t c = static_cast<size_t>(file.LastCellCol) + 1; c < file.ColumnCells.size(); ++c)
    if (file.ColumnCells[c] == others) ++missing;
  if (missing > 0)
    ask(Format("DB 파일의 영화 %d편 중 마지막 영화에 다른 영화가 모두 가진 항목 %d개가 없습니다."_k,
               {movies, missing}));
}

}  // namespace

void TFormMain::LoadGridShowingAll(const AnsiString& fileName) {
  movie_Grid->BeginUpdate();
  try {
    // Hidden columns are shown so that the file's columns land on them.
    movie_Grid->ShowAllColumns();
    const int fixedRows = movie_Grid->FixedRows();
    movie_Grid->LoadGridFile(fileName, [fixedRows](const TGridFileHeader& file) {
      ConfirmCatalogueComplete(file, fixedRows);
    });
  } catch (const EGridFileTorn&) {
    // The grid holds part of a file another program spoiled while it was
    // read: neither that catalogue nor the one open before. It starts over
    // as a new catalogue, so that no save can write it over either file.
    // Its header row may be torn as well: written again.
    BecomeNewCatalogue();
    movie_Grid->ClearRows(0, 1);
    WriteCatalogueHeaders(*movie_Grid);
    movie_Grid->EndUpdate();
    ShowFirstMovie();
    throw EReadError(
        "DB 파일을 읽는 동안 다른 프로그램이 파일을 바꾸어 불러오지 못했습니다.\r새 DB로 시작합니다."_k);
  } catch (...) {
    movie_Grid->EndUpdate();
    RethrowCatalogueLoadError(fileName);
  }
  movie_Grid->EndUpdate();
}

bool TFormMain::LoadDB(const AnsiString& fileName) {
  if (Busy()) return false;
  TBusyScope busy(*this);
  ShowBusy("DB를 불러옵니다."_k);
  ResetView();
  try {
    LoadGridShowingAll(fileName);
  } catch (const Exception& e) {
    // The grid's load is all or nothing: the previous catalogue, its file
    // name and its caption stay (but for a file another program spoiled
    // while it was read, after which a new catalogue stands). A file the
    // user chose not to open after all needs no further message.
    HideBusy();
    ApplyColumnVisibility();
    if (!dynamic_cast<const EAbort*>(&e)) Application->ShowException(e);
    return false;
  }
  CurrentDBFile = fileName;
  UpdateCaption();
  // Cleared before the journal is offered: restored movies are not in the
  // file yet, so a restore leaves the catalogue modified.
  DBModified = false;
  if (IniSetup.UseAutoSave) {
    ShowBusy("복원시점을 만듭니다."_k);
    OfferAutoSaveRestore();
  }
  ApplyColumnVisibility();
  ShowBusy("필드를 정렬중입니다."_k);
  HideBusy();
  ShowFirstMovie();
  return true;
}

bool TFormMain::SaveGridTo(const AnsiString& fileName) {
  // The file holds the real catalogue: 42 columns and every movie, no group
  // rows; rows hidden by a search alone are written by the grid itself.
  bool saved = false;
  // The grid writes to the file a symbolic link leads to; the backup keeps
  // the catalogue's own name, where restoring it looks.
  const AnsiString written = FileLinkTarget(fileName);
  const AnsiString backup = ChangeFileExt(fileName, ".Bak");
  int backupError = 0;
  RunUngrouped([&] {
    try {
      movie_Grid->BeginUpdate();
      try {
        movie_Grid->ShowAllColumns();
        ShowBusy("DB를 저장중입니다."_k);
        movie_Grid->SaveGridFile(fileName);
        saved = true;
        // What killed backups of this catalogue left beside it.
        DeleteStaleTemporaryFiles(ExtractFilePath(backup),
                                  [&backup](std::string_view name) { return IsCopyTemporaryName(name, backup); });
        // The backup is the grid as saved now: once the catalogue is safely
        // in place, its bytes are written a second time under the backup's
        // name, a file of its own (never a second name of the one file,
        // which a program writing into the catalogue would spoil as well),
        // made aside and moved in whole, with the catalogue's permissions.
        // A backup that cannot be made (its name taken by a folder, say)
        // leaves the previous backup as it was and does not undo the save:
        // the user is told afterwards.
        if (IniSetup.MakeBackupFile) {
          ShowBusy("DB를 백업 합니다."_k);
          errno = 0;
          if (!CopyFile(written, backup, false)) backupError = errno ? errno : EIO;
        }
      } catch (...) {
        movie_Grid->EndUpdate();
        throw;
      }
      movie_Grid->EndUpdate();
    } catch (const EStreamError& e) {
      HideBusy();
      if (IsDiskFullError(e.ErrorCode()))
        Application->ShowException(EWriteError(kDiskFullMessage, e.ErrorCode()));
      else
        Application->ShowException(EWriteError(
            Format("DB 파일 \"%s\"을(를) 저장하지 못했습니다.\r%s"_k,
                   {fileName, e.ErrorCode() ? WriteFailureReason(e.ErrorCode()) : e.Message()}),
            e.ErrorCode()));
    } catch (const Exception& e) {
      HideBusy();
      Application->ShowException(e);
    }
  });
  if (saved && backupError)
    MessageDlg(Format("DB는 저장했지만 백업 파일 \"%s\"을(를) 만들지 못했습니다.\r%s"_k,
                      {backup, WriteFailureReason(backupError)}),
               mtWarning, mbOKOnly);
  return saved;
}

bool TFormMain::SaveDB(const AnsiString& fileName) {
  if (Busy()) return false;
  AnsiString target = fileName;
  if (target == kNewDB) {
    Dlg_SaveDB->InitialDir = DBDir;
    Dlg_SaveDB->FileName = "";
    if (!Dlg_SaveDB->Execute()) return false;
    target = Dlg_SaveDB->FileName;
  }
  TBusyScope busy(*this);
  ShowBusy("DB를 저장중입니다."_k);
  const AnsiString previousJournal = JournalFolder();
  if (!SaveGridTo(target)) return false;
  const AnsiString previousFile = CurrentDBFile;
  CurrentDBFile = target;
  if (IniSetup.UseAutoSave) {
    // Only now that the file holds the movies may their journal go: the
    // one kept under the name the catalogue had and the one of its new name.
    ShowBusy("임시파일을 삭제 합니다."_k);
    PurgeAutoSaveFolder(JournalFolder());
    if (previousJournal != JournalFolder()) PurgeAutoSaveFolder(previousJournal);
  }
  ShowBusy("DB를 저장했습니다."_k);
  ApplyColumnVisibility();
  UpdateCaption();
  DBModified = false;
  return true;
}

bool TFormMain::AskSaveChanges() {
  if (!DBModified) return true;
  int answer = MessageDlg("DB가 변경 되었습니다\r변경된 내용을 저장 하시겠습니까?"_k, mtConfirmation, mbYesNoCancel);
  if (answer == mrCancel) return false;
  // A cancelled save dialog or a failed save stops the action: nothing is dropped.
  if (answer == mrYes) return SaveDB(CurrentDBFile);
  return true;
}

void TFormMain::btnNEWDBClick(TObject*) {
  if (Busy()) return;
  ShowMenuPanel(false);
  if (!AskSaveChanges()) return;
  ResetView();
  movie_Grid->BeginUpdate();
  movie_Grid->ShowAllColumns();
  BecomeNewCatalogue();
  movie_Grid->EndUpdate();
  ApplyColumnVisibility();
  ShowFirstMovie();
}

void TFormMain::BecomeNewCatalogue() {
  if (movie_Grid->RowCount() > 1) movie_Grid->ClearRows(1, movie_Grid->RowCount() - 1);
  movie_Grid->SetRowCount(2);
  CurrentDBFile = kNewDB;
  UpdateCaption();
  DBModified = false;
}

void TFormMain::btnOpenDBClick(TObject*) {
  if (Busy()) return;
  ShowMenuPanel(false);
  if (!AskSaveChanges()) return;
  Dlg_OpenDB->InitialDir = DBDir;
  Dlg_OpenDB->FileName = "";
  if (Dlg_OpenDB->Execute()) LoadDB(Dlg_OpenDB->FileName);
}

void TFormMain::btnSaveDBClick(TObject*) {
  if (Busy()) return;
  ShowMenuPanel(false);
  SaveDB(CurrentDBFile);
}

void TFormMain::BtnNSaveDBClick(TObject*) {
  if (Busy()) return;
  ShowMenuPanel(false);
  SaveDB(kNewDB);
}

void TFormMain::BtnReBakClick(TObject*) {
  if (Busy() || CurrentDBFile == kNewDB) return;
  const AnsiString backup = ChangeFileExt(CurrentDBFile, ".BAK");
  if (!FileExists(backup)) {
    MessageDlg("백업파일이 없습니다."_k, mtInformation, mbOKOnly);
    return;
  }
  if (MessageDlg("백업파일을 불러 오시겠습니까?"_k, mtConfirmation, mbYesNo) == mrNo) return;
  TBusyScope busy(*this);
  ResetView();
  try {
    LoadGridShowingAll(backup);
  } catch (const Exception& e) {
    ApplyColumnVisibility();
    if (!dynamic_cast<const EAbort*>(&e)) Application->ShowException(e);
    return;
  }
  ApplyColumnVisibility();
  // The grid now holds the backup, not the file: saving must be offered.
  DBModified = true;
  ShowFirstMovie();
}

void TFormMain::FormCloseQuery(TObject*, bool& canClose) {
  if (Busy()) {
    canClose = false;
    return;
  }
  canClose = AskSaveChanges();
}
