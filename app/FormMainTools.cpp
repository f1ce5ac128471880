// The catalogue window's tool windows: export through templates, statistics,
// poster tools and merging another catalogue. Each window works on the
// catalogue rows as the file holds them, so a grouped catalogue is ungrouped
// while it runs (a collapsed group hides its movies and the grouped column's
// cells are empty) and grouped again afterwards.
#include <memory>

#include "app/DBPlus.h"
#include "app/FormMain.h"
#include "app/FormPut.h"
#include "app/FormState.h"
#include "app/PosterUtil.h"
#include "platform/rtl/SysUtils.h"

void TFormMain::WireToolWindows() {
  auto fromMenu = [this](void (TFormMain::*run)(TObject*)) {
    return [this, run](TObject* s) {
      ShowMenuPanel(false);
      if (Busy()) return;
      (this->*run)(s);
    };
  };
  ScBitBtn16->OnClick = fromMenu(&TFormMain::ExportClick);
  StateBtn->OnClick = fromMenu(&TFormMain::StateBtnClick);
  ScBitBtn26->OnClick = fromMenu(&TFormMain::PosterToolsClick);
  ScBitBtn27->OnClick = fromMenu(&TFormMain::MergeClick);
}

void TFormMain::RunUngrouped(const std::function<void()>& step) {
  const int regroupColumn = GridGrouped ? groupedColumn_ : -1;
  TSavedFilter search;
  if (regroupColumn >= 0) {
    search = SuspendSearch();
    UngroupCatalog();
  }
  // The grouping comes back whatever the step did, a raised error included.
  struct TRegroup {
    TFormMain& form;
    int column;
    const TSavedFilter& search;
    ~TRegroup() {
      if (column >= 0) {
        form.movie_Grid->BeginUpdate();
        form.movie_Grid->ShowAllColumns();
        form.GroupCatalog(column);
        form.movie_Grid->EndUpdate();
        form.ResumeSearch(search);
      }
      form.ApplyColumnVisibility();
    }
  } regroup{*this, regroupColumn, search};
  step();
}

void TFormMain::ExportClick(TObject*) {
  RunUngrouped([this] {
    auto form = std::make_unique<TFormPut>(Application, movie_Grid);
    form->PosterFolder = IncludeTrailingPathDelimiter(PosterDir);
    form->ScriptFolder = IncludeTrailingPathDelimiter(AppDir) + "Script/";
    form->ShowModal();
  });
}

void TFormMain::StateBtnClick(TObject*) {
  RunUngrouped([this] {
    auto form = std::make_unique<TFormState>(Application, movie_Grid);
    form->SplitStatistics = IniSetup.SplitStatistics;
    form->ShowModal();
  });
}

void TFormMain::PosterToolsClick(TObject*) {
  bool changed = false;
  RunUngrouped([this, &changed] {
    auto form = std::make_unique<TPosterUtilForm>(Application, movie_Grid);
    form->PosterFolder = IncludeTrailingPathDelimiter(PosterDir);
    form->ShowModal();
    changed = form->ScButton3->Tag() == 1;
  });
  if (!changed) return;
  // Renamed or copied posters are named in the catalogue now: the file must
  // say so too, or the next start shows posters that are no longer there.
  DBModified = true;
  SaveDB(CurrentDBFile);
  ShowMovieDetails(movie_Grid->Row());
}

void TFormMain::MergeClick(TObject*) {
  RunUngrouped([this] {
    auto form = std::make_unique<TDBPlusForm>(Application, movie_Grid);
    form->DBDir = DBDir;
    form->ShowModal();
    if (form->ScButton1->Tag() == 1) DBModified = true;
  });
  ViewChanged();
}
