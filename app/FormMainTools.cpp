// The catalogue window's tool windows: export through templates, statistics,
// poster tools and merging another catalogue. Each window works on the
// catalogue rows as the file holds them, so a grouped catalogue is ungrouped
// while it runs (a collapsed group hides its movies and the grouped column's
// cells are empty) and grouped again afterwards.
#include <memory>

#include "app/Catalogue.h"
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
  const int groupListIndex = GroupCombo->ItemIndex();
  TSavedFilter search;
  if (regroupColumn >= 0) {
    // The current movie, taken while the search still shows it.
    int current = movie_Grid->RealRowIndex(movie_Grid->Row());
    search = SuspendSearch();
    const std::vector<int> marked = MarkedMovieOrdinals(current);
    UngroupCatalog();
    // Ungrouped, the movies keep their order: the n-th movie is row n, and
    // its mark goes with it.
    movie_Grid->ClearRowSelect();
    for (int ordinal : marked)
      if (ordinal < movie_Grid->RowCount()) movie_Grid->SetRowSelected(ordinal, true);
    // The search goes on over the ungrouped rows: the step sees exactly the
    // movies the user found.
    ResumeSearch(search);
    // The current movie stays current among the rows the search shows.
    if (current > 0 && !movie_Grid->IsRowHidden(current)) movie_Grid->SetRow(movie_Grid->DisplRowIndex(current));
  }
  // The grouping comes back whatever the step did, a raised error included.
  struct TRegroup {
    TFormMain& form;
    int column;
    int listIndex;
    ~TRegroup() {
      if (column >= 0) {
        const TSavedFilter search = form.SuspendSearch();
        form.movie_Grid->BeginUpdate();
        form.movie_Grid->ShowAllColumns();
        form.GroupCatalog(column);
        form.movie_Grid->EndUpdate();
        // The group list names the grouping again, not the ungrouped state
        // the step passed through.
        form.GroupCombo->SetItemIndex(listIndex);
        // Grouping moves the movies under their groups; marks kept by row
        // would name other movies.
        form.movie_Grid->ClearRowSelect();
        form.ResumeSearch(search);
      }
      form.ApplyColumnVisibility();
      // The groups come back closed: the pane and the buttons follow the
      // row now current rather than name a movie no longer shown.
      if (column >= 0) form.ViewChanged();
    }
  } regroup{*this, regroupColumn, groupListIndex};
  step();
}

std::vector<int> TFormMain::MarkedMovieOrdinals(int& current) {
  TExColumnGrid& grid = *movie_Grid;
  const int currentReal = current;
  // Every group open, so that every row is a display row.
  grid.ExpandAllNodes();
  std::vector<int> ordinals;
  int ordinal = 0;
  current = 0;
  for (int r = kFirstMovieRow; r < grid.RowCount(); ++r) {
    if (grid.IsNodeRow(r)) continue;
    ++ordinal;
    if (r == currentReal) current = ordinal;
    if (grid.IsRowSelected(MarkRowOf(grid, r)))
      ordinals.push_back(ordinal);
  }
  return ordinals;
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
