// Search, quick filters, the column filter pick, sorting and grouping of the
// catalogue window, all through the grid's own facilities.
//
// A grouped catalogue has an extra column 0 for the node buttons, so every
// column is found by its header at the moment it is needed, and a search
// that spans a change of grouping is kept by column name, not by index.
#include <utility>

#include "app/Catalogue.h"
#include "app/FormMain.h"
#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"

namespace {

const AnsiString kSearch = "검색"_k;
const AnsiString kSearchCancel = "검색취소"_k;
// The header of the group of movies whose grouped cell is empty.
const AnsiString kEmptyGroup = "(비어 있음)"_k;

// ComboFind's quick-filter items and what each searches. The watched
// filters follow the rule the row colours and the detail pane use: a movie
// is watched when its state is exactly "본영화", and every other movie
// (an empty state included) is unwatched. "=" asks for the whole text.
struct TQuickFilter {
  int Index;
  const AnsiString* Column;
  AnsiString Value;      // what the search box shows
  AnsiString Condition;  // what the grid matches
};
const std::vector<TQuickFilter>& QuickFilters() {
  static const std::vector<TQuickFilter> filters = {
      {4, &Cat::Lent, "빌려줬음"_k, "*빌려줬음*"_k},
      {5, &Cat::Lent, "!빌려줬음"_k, "!빌려줬음"_k},
      {6, &Cat::Watched, "본영화"_k, "="_k + Cat::WatchedYes},
      {7, &Cat::Watched, "!본영화"_k, "!"_k + Cat::WatchedYes},
  };
  return filters;
}

// The column a ComboFind text searches.
AnsiString SearchColumnOf(const AnsiString& text) {
  if (text == "빌려준것만"_k || text == "보관중인것만"_k) return Cat::Lent;
  if (text == "본영화만"_k || text == "안본영화만"_k) return Cat::Watched;
  return text;
}

}  // namespace

TSavedFilter TFormMain::SuspendSearch() {
  TCatalogueGrid& grid = *movie_Grid;
  TSavedFilter saved;
  saved.Active = grid.FilterActive();
  if (!saved.Active) return saved;
  saved.Conditions = std::exchange(grid.GroupedSearch, {});
  for (int i = 0; i < grid.Filter()->Count(); ++i) {
    TFilterData* f = grid.Filter()->Items(i);
    TGridColumnItem* item =
        f->Column() >= 0 && f->Column() < grid.Columns()->Count() ? grid.Columns()->Items(f->Column()) : nullptr;
    if (item) saved.Conditions.emplace_back(item->Rows(0), f->Condition());
  }
  grid.SetFilterActive(false);
  return saved;
}

void TFormMain::ResumeSearch(const TSavedFilter& saved) {
  TCatalogueGrid& grid = *movie_Grid;
  grid.GroupedSearch.clear();
  TGridColumnItem* searched = nullptr;
  if (saved.Active) {
    grid.Filter()->Clear();
    for (const auto& [header, condition] : saved.Conditions) {
      TGridColumnItem* item = grid.ColumnByName(header);
      if (!item) {
        // The column grouped on, out of the grid for now: its movies' own
        // cells, kept aside, answer for it.
        grid.GroupedSearch.emplace_back(header, condition);
        continue;
      }
      TFilterData* f = grid.Filter()->Add();
      f->SetColumn(static_cast<SmallInt>(item->Index()));
      f->SetCondition(condition);
      searched = item;
    }
    grid.SetFilterActive(true);
  }
  // A column grouping gave back comes with the values it had when it went:
  // only the searched column shows the filter mark.
  KeepFilterMarkOn(searched);
}

AnsiString TFormMain::ConditionText(const AnsiString& value) {
  const AnsiString upper = UpperCase(value);
  if (value.find_first_of("><!*&;") != AnsiString::npos) return upper;
  // A leading "=" asks for the whole cell: wrapped, it would be a character
  // to look for.
  if (const AnsiString trimmed = Trim(upper); !trimmed.empty() && trimmed[0] == '=') return trimmed;
  // Each alternative of "a|b" is looked for anywhere in the cell. Stars
  // around the whole text would tie the first alternative to the cell's end
  // and the last to its start.
  AnsiString condition;
  std::size_t termStart = 0;
  auto wrapTerm = [&](std::size_t end) {
    // Blanks beside an operator go, as the grid drops them; those at the
    // ends of the typed text stay part of what is looked for.
    AnsiString term = upper.substr(termStart, end - termStart);
    if (termStart > 0) term = TrimLeft(term);
    if (end < upper.size()) term = TrimRight(term);
    // A backslash at the end escapes nothing of the typed text: it would
    // take the closing star. Doubled, it is a backslash to look for.
    std::size_t escapes = 0;
    while (escapes < term.size() && term[term.size() - 1 - escapes] == '\\') ++escapes;
    if (escapes % 2 == 1) term += '\\';
    condition += "*" + term + "*";
  };
  for (std::size_t i = 0; i < upper.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(upper[i]);
    if (IsLeadByte(c) && i + 1 < upper.size()) {
      ++i;  // a two-byte character is never an operator
      continue;
    }
    if (c == '|' || c == '^') {
      wrapTerm(i);
      condition += upper[i];
      termStart = i + 1;
    }
  }
  wrapTerm(upper.size());
  return condition;
}

void TFormMain::FindButtonClick(TObject*) {
  if (Busy()) return;
  if (FindButton->Caption() == kSearchCancel) {
    // The movie current in the search stays current among all the rows.
    TCatalogueGrid& grid = *movie_Grid;
    const int current = grid.Row() >= kFirstMovieRow && grid.Row() < grid.RowCount() ? grid.RealRowIndex(grid.Row()) : -1;
    grid.Filter()->Clear();
    grid.GroupedSearch.clear();
    grid.SetFilterActive(false);
    KeepFilterMarkOn(nullptr);
    FindButton->SetCaption(kSearch);
    if (current >= 0 && grid.DisplRowIndex(current) != grid.Row()) grid.SetRow(grid.DisplRowIndex(current));
    ViewChanged();
    return;
  }
  const AnsiString value = ComboFindValue->Text();
  if (value.empty()) return;
  RunSearch(SearchColumnOf(ComboFind->Text()), value, ConditionText(value));
}

void TFormMain::ComboFindValueEnter() {
  if (Busy()) return;
  // Enter searches for what the box holds now: a search already on makes
  // way for it instead of only ending.
  if (FindButton->Caption() == kSearchCancel && !ComboFindValue->Text().empty()) FindButtonClick(FindButton);
  FindButtonClick(FindButton);
}

void TFormMain::RunSearch(const AnsiString& column, const AnsiString& value, const AnsiString& condition) {
  TCatalogueGrid& grid = *movie_Grid;
  TGridColumnItem* item = grid.ColumnByName(column);
  // The column grouped on is searched in its movies' own cells.
  const bool grouped = !item && GridGrouped && grid.GroupColumnHeader() == column;
  if (!item && !grouped) return;  // an item that names no column
  if (grid.FilterActive()) grid.SetFilterActive(false);
  grid.Filter()->Clear();
  grid.GroupedSearch.clear();
  // The header shows the filter mark; its drop-down offers earlier values
  // (the grouped column's once it is back).
  KeepFilterMarkOn(item);
  if (item) {
    TFilterData* f = grid.Filter()->Add();
    f->SetCondition(condition);
    f->SetColumn(static_cast<SmallInt>(item->Index()));
    item->Filter()->Add(value);
  } else {
    grid.GroupedSearch.emplace_back(column, condition);
    searchHistory_[column].push_back(value);
  }
  grid.SetFilterActive(true);
  FindButton->SetCaption(kSearchCancel);
  ViewChanged();
}

void TFormMain::ComboFindChange(TObject*) {
  const int index = ComboFind->ItemIndex();
  for (const TQuickFilter& q : QuickFilters()) {
    if (q.Index != index) continue;
    ComboFindValue->SetText(q.Value);
    if (*q.Column == Cat::Watched) ComboFind->SetItemIndex(ComboFind->Items()->IndexOf(Cat::Watched));
    if (FindButton->Caption() == kSearchCancel) {
      movie_Grid->SetFilterActive(false);
      FindButton->SetCaption(kSearch);
    }
    if (Busy()) return;
    RunSearch(*q.Column, q.Value, q.Condition);
    return;
  }
}

void TFormMain::QuickFilter(int comboFindIndex) {
  ShowMenuPanel(false);
  ComboFind->SetItemIndex(comboFindIndex);
  ComboFindChange(ComboFind);
}

void TFormMain::movie_GridFilterSelect(int col, const AnsiString& value) {
  if (Busy()) return;
  if (movie_Grid->FilterActive()) movie_Grid->SetFilterActive(false);
  movie_Grid->Filter()->Clear();
  movie_Grid->GroupedSearch.clear();
  TFilterData* f = movie_Grid->Filter()->Add();
  f->SetCondition(ConditionText(value));
  f->SetColumn(static_cast<SmallInt>(col));
  if (col >= 0 && col < movie_Grid->Columns()->Count()) KeepFilterMarkOn(movie_Grid->Columns()->Items(col));
  movie_Grid->SetFilterActive(true);
  FindButton->SetCaption(kSearchCancel);
  ComboFindValue->SetText(value);
  ViewChanged();
}

void TFormMain::KeepFilterMarkOn(TGridColumnItem* searched) {
  TGridColumnCollection& columns = *movie_Grid->Columns();
  for (int c = 0; c < columns.Count(); ++c) {
    TGridColumnItem* item = columns.Items(c);
    TStrings& values = *item->Filter();
    std::vector<AnsiString>& kept = searchHistory_[item->Rows(0)];
    if (item == searched) {
      // Earlier values first, in the order they were searched.
      for (std::size_t i = 0; i < kept.size(); ++i) values.Insert(static_cast<int>(i), kept[i]);
      kept.clear();
    } else {
      for (int i = 0; i < values.Count(); ++i) kept.push_back(values.Strings(i));
      values.Clear();
    }
  }
  movie_Grid->Invalidate();
}

// ---------------------------------------------------------------- sorting

void TFormMain::SortComboChange(TObject*) {
  if (Busy() || SortCombo->ItemIndex() <= 0) return;
  // Node rows would sort among the movies: sorting waits until ungrouped,
  // as the header click does.
  if (GridGrouped) return;
  TGridColumnItem* item = movie_Grid->ColumnByName(SortCombo->Text());
  if (!item) return;
  const int col = item->Index();  // the real column
  TExColumnGrid& grid = *movie_Grid;
  // The index list names shown columns: a column the chooser hid is shown
  // for its sort and hidden again after.
  const bool hidden = grid.IsColumnHidden(col);
  if (hidden) {
    grid.BeginUpdate();
    grid.ShowAllColumns();
  }
  const int shownCol = grid.DisplColIndex(col);
  TSortIndexList* indexes = grid.SortIndexes();
  indexes->Clear();
  bool ascending = true;
  if (col == SortCombo->Tag()) ascending = !SortToggle;
  indexes->AddIndex(shownCol, ascending);
  SortCombo->SetTag(col);
  SortToggle = !SortToggle;
  // The header shows the direction, and a header click goes on from it.
  grid.SortSettings()->SetColumn(shownCol);
  grid.SortSettings()->SetDirection(ascending ? sdAscending : sdDescending);
  grid.SortByIndexList();
  if (hidden) {
    grid.EndUpdate();
    ApplyColumnVisibility();
    indexes->Clear();
    grid.SortSettings()->SetColumn(-1);
  }
  grid.Invalidate();
  ViewChanged();
}

void TFormMain::movie_GridCanSort(TObject*, int, bool& doSort) { doSort = !GridGrouped && !Busy(); }

// ---------------------------------------------------------------- grouping

void TFormMain::GroupComboChange(TObject*) {
  const int index = GroupCombo->ItemIndex();
  if (Busy() || index < 0) return;
  if (index == 0 && !GridGrouped) return;
  TBusyScope busy(*this);
  ShowBusy("필드를 정렬 중입니다."_k);
  const TSavedFilter search = SuspendSearch();
  movie_Grid->BeginUpdate();
  movie_Grid->ShowAllColumns();
  if (index == 0) {
    UngroupCatalog();
  } else {
    const AnsiString header = GroupCombo->Items()->Strings(index);
    if (GridGrouped) UngroupCatalog();
    const int col = CatalogueColumnIndex(*movie_Grid, header);
    if (col >= 0) GroupCatalog(col);
    GroupCombo->SetItemIndex(index);
  }
  movie_Grid->EndUpdate();
  ResumeSearch(search);
  ApplyColumnVisibility();
  ViewChanged();
}

void TFormMain::GroupCatalog(int col) {
  TExColumnGrid& grid = *movie_Grid;
  // A new empty column 0 for the node buttons, then the grouping by the
  // column now one further on, in one pass over the movies: the grouped
  // column itself becomes the empty one.
  grid.SetFixedCols(0);
  grid.GroupWithNodeColumn(col);
  grid.SetColWidths(0, 30);
  // The node buttons' column is scrolled into view (it was the fixed title
  // column's place), and no header keeps an arrow: the grouping's own sort
  // names a column that has gone.
  grid.SetLeftCol(0);
  grid.SortIndexes()->Clear();
  grid.SortSettings()->SetColumn(-1);
  // Collapsed, the grid shows only its node rows: merging them then walks a
  // few rows instead of every movie, and the groups end as they would.
  grid.CollapseAllNodes();
  EachNodeRow([&](int r) {
    if (grid.Cells(1, r).empty()) grid.SetCells(1, r, kEmptyGroup);
    grid.MergeCells(1, r, grid.ColCount() - 1, 1);
  });
  GroupCombo->Items()->SetStrings(0, "따로따로"_k);
  // The groups are in the grouped column's order, which ungrouping keeps:
  // the sort list names no order it does not show.
  SortCombo->SetItemIndex(0);
  groupedColumn_ = col;
  GridGrouped = true;
}

void TFormMain::UngroupCatalog() {
  TExColumnGrid& grid = *movie_Grid;
  if (!GridGrouped) return;
  // The node rows are split while the groups are still collapsed (they are
  // all shown then); the grid's Ungroup expands every node itself.
  EachNodeRow([&](int r) {
    grid.SplitCells(1, r);
    if (grid.Cells(1, r) == kEmptyGroup) grid.SetCells(1, r, AnsiString());
  });
  grid.ExpandAllNodes();
  // Ungroup and the node column's removal, in one pass.
  grid.UngroupWithNodeColumn();
  grid.SetFixedCols(1);
  GroupCombo->Items()->SetStrings(0, "같은종류로"_k);
  GroupCombo->SetItemIndex(0);
  groupedColumn_ = -1;
  GridGrouped = false;
}

void TFormMain::EachNodeRow(const std::function<void(int row)>& action) {
  TExColumnGrid& grid = *movie_Grid;
  const int rows = grid.RowCount() - 1;
  int shown = -1;
  for (int r = 1; r <= rows; ++r) {
    if (grid.IsNodeRow(r)) action(r);
    // Progress and painting once per percent, not once per row.
    const int percent = r * 100 / rows;
    if (percent != shown) {
      shown = percent;
      ScProgressBar1->SetPosition(percent);
      Application->ProcessMessages(true);
    }
  }
}

void TFormMain::ResetView() {
  TCatalogueGrid& grid = *movie_Grid;
  grid.SetFilterActive(false);
  grid.Filter()->Clear();
  grid.GroupedSearch.clear();
  for (int c = 0; c < grid.Columns()->Count(); ++c) grid.Columns()->Items(c)->Filter()->Clear();
  searchHistory_.clear();
  FindButton->SetCaption(kSearch);
  ComboFindValue->SetText("");
  if (GridGrouped) {
    grid.BeginUpdate();
    grid.ShowAllColumns();
    UngroupCatalog();
    grid.EndUpdate();
    ApplyColumnVisibility();
  }
  GroupCombo->SetItemIndex(0);
  SortToggle = false;
  SortCombo->SetTag(0);
  SortCombo->SetItemIndex(0);
  grid.SortIndexes()->Clear();
  grid.SortSettings()->SetColumn(-1);  // no header keeps the arrow of a sort gone
  grid.ClearRowSelect();
}
