#include "app/Catalogue.h"

#include "platform/rtl/SysUtils.h"

namespace Cat {
const AnsiString Title = "제목"_k;
const AnsiString OrigTitle = "원제(영제)"_k;
const AnsiString Director = "감독"_k;
const AnsiString Country = "제작국가"_k;
const AnsiString Year = "제작연도"_k;
const AnsiString ReleaseDate = "개봉날짜"_k;
const AnsiString Cast = "출연"_k;
const AnsiString Rating = "관람등급"_k;
const AnsiString Genre = "영화장르"_k;
const AnsiString RunningTime = "영화시간"_k;
const AnsiString Stars = "별점"_k;
const AnsiString Score = "평점"_k;
const AnsiString HomePage = "공식홈페이지"_k;
const AnsiString RelatedPage = "관련페이지"_k;
const AnsiString Synopsis = "영화내용"_k;
const AnsiString Commentary = "영화해설"_k;
const AnsiString Posters = "포스터"_k;
const AnsiString Location = "보관위치"_k;
const AnsiString Medium = "저장매체"_k;
const AnsiString DateAdded = "추가날짜"_k;
const AnsiString Watched = "시청여부"_k;
const AnsiString FileName = "파일이름"_k;
const AnsiString FileId = "파일ID"_k;
const AnsiString FileSize = "파일크기"_k;
const AnsiString VideoFormat = "비디오포맷"_k;
const AnsiString AudioFormat = "오디오포맷"_k;
const AnsiString Channels = "Ch";
const AnsiString SampleRate = "samplerate";
const AnsiString FrameCount = "프레임수"_k;
const AnsiString FrameRate = "프레임속도"_k;
const AnsiString Language = "언어"_k;
const AnsiString Subtitle = "자막"_k;
const AnsiString Quality = "화질정보"_k;
const AnsiString Release = "릴정보"_k;
const AnsiString Folder = "폴더"_k;
const AnsiString Resolution = "해상도"_k;
const AnsiString Lent = "대여"_k;
const AnsiString Borrower = "대여자"_k;
const AnsiString Contact = "연락처"_k;
const AnsiString LendCount = "대여횟수"_k;
const AnsiString PosterUrl = "포스터위치"_k;
const AnsiString Notes = "기타"_k;

const AnsiString WatchedYes = "본영화"_k;
const AnsiString WatchedNo = "안본영화"_k;
const AnsiString LentOut = "빌려줬음"_k;
const AnsiString LentKept = "보관중"_k;
}  // namespace Cat

const std::vector<TCatalogueColumnDef>& CatalogueColumns() {
  using namespace Cat;
  static const std::vector<TCatalogueColumnDef> columns = {
      {&Title, 226},      {&OrigTitle, 80},   {&Director, 64},    {&Country, 64},
      {&Year, 64},        {&ReleaseDate, 64}, {&Cast, 64},        {&Rating, 64},
      {&Genre, 64},       {&RunningTime, 64}, {&Stars, 64},       {&Score, 64},
      {&HomePage, 91},    {&RelatedPage, 64}, {&Synopsis, 64},    {&Commentary, 64},
      {&Posters, 64},     {&Location, 64},    {&Medium, 64},      {&DateAdded, 64},
      {&Watched, 64},     {&FileName, 64},    {&FileId, 64},      {&FileSize, 64},
      {&VideoFormat, 78}, {&AudioFormat, 75}, {&Channels, 64},    {&SampleRate, 64},
      {&FrameCount, 64},  {&FrameRate, 80},   {&Language, 64},    {&Subtitle, 64},
      {&Quality, 64},     {&Release, 64},     {&Folder, 64},      {&Resolution, 64},
      {&Lent, 64},        {&Borrower, 64},    {&Contact, 64},     {&LendCount, 64},
      {&PosterUrl, 81},   {&Notes, 64},
  };
  return columns;
}

const std::vector<TFileColumnPair>& FileColumnPairs() {
  using namespace Cat;
  static const std::vector<TFileColumnPair> pairs = {
      {&FileName, FileName},      {&FileId, FileId},           {&FileSize, FileSize},
      {&VideoFormat, VideoFormat}, {&AudioFormat, AudioFormat}, {&Channels, "채널"_k},
      {&SampleRate, "샘플레이트"_k}, {&FrameCount, FrameCount},   {&FrameRate, FrameRate},
      {&Language, Language},      {&Subtitle, "자막파일"_k},    {&Quality, Quality},
      {&Release, Release},        {&Folder, Folder},           {&Resolution, Resolution},
  };
  return pairs;
}

// ------------------------------------------------------------------ lists

namespace {

std::vector<AnsiString> SplitDelimited(std::string_view text, char delimiter) {
  std::vector<AnsiString> out;
  ForEachListElement(text, delimiter, [&](std::string_view element) { out.emplace_back(element); });
  return out;
}

AnsiString JoinDelimited(const std::vector<AnsiString>& elements, char delimiter) {
  TStringList list;
  list.SetDelimiter(delimiter);
  list.SetQuoteChar('"');
  for (const AnsiString& e : elements) list.Add(e);
  return list.DelimitedText();
}

}  // namespace

std::vector<AnsiString> SplitFileList(std::string_view text) { return SplitDelimited(text, '|'); }
AnsiString JoinFileList(const std::vector<AnsiString>& elements) { return JoinDelimited(elements, '|'); }
std::vector<AnsiString> SplitPosterList(std::string_view text) { return SplitDelimited(text, ','); }
AnsiString JoinPosterList(const std::vector<AnsiString>& names) { return JoinDelimited(names, ','); }

// ------------------------------------------------------------------ grid

void WriteCatalogueHeaders(TExColumnGrid& grid) {
  const auto& defs = CatalogueColumns();
  grid.SetColCount(kCatalogueColumnCount);
  TGridColumnCollection* columns = grid.Columns();
  for (int c = 0; c < kCatalogueColumnCount; ++c) {
    TGridColumnItem* item = columns->Items(c);
    item->SetHeader(*defs[c].Header);
    item->SetName(*defs[c].Header);
    item->SetWidth(defs[c].Width);
    item->SetReadOnly(*defs[c].Header != Cat::Folder);
  }
}

void SetupCatalogueGrid(TExColumnGrid& grid) {
  grid.BeginUpdate();
  grid.SetRowCount(2);
  grid.SetFixedRows(1);
  // The column widths were chosen for a Korean desktop font whose digits
  // are half as wide as a Hangul syllable. NanumBarunGothic at 10 pixels
  // keeps to them when a cell's text starts right inside its grid lines (the
  // glyphs' own side bearings keep it off the line): a whole date in
  // 개봉날짜 (58 px), a year in 제작연도 (23 px) and "청소년관람불가" in
  // 관람등급 (62 px) fit the 63 pixels inside a 64-pixel column, and a row
  // of 21 pixels holds a line of it with room.
  grid.Font()->SetName("NanumBarunGothic");
  grid.Font()->SetHeight(-kCatalogueFontPixels);
  grid.SetTextOffsets(0, grid.TextOffsetY());
  WriteCatalogueHeaders(grid);
  // Columns made before the font changed keep a copy of the old one.
  for (int c = 0; c < grid.Columns()->Count(); ++c) grid.Columns()->Items(c)->SetFont(grid.Font());
  grid.SetFixedCols(1);
  grid.SetFixedColWidth(226);
  grid.SetDefaultRowHeight(21);
  grid.SetWordWrap(true);
  // Movie texts are shown, sorted and filtered as typed: a title such as
  // "<Blade Runner>" is no mark-up.
  grid.SetEnableHTML(false);
  grid.SetPlainTextCells(true);
  // A click on a header sorts by its column (refused while grouped) and the
  // header of the sorted column shows the direction as a filled yellow
  // arrow with its place in the sort order.
  grid.SortSettings()->SetShow(true);
  grid.SortSettings()->SetIndexShow(true);
  grid.SortSettings()->SetIndexColor(clYellow);
  TGridOptions options = grid.Options();
  options.insert(goColMoving);
  options.insert(goColSizing);
  // Editing is on for the one column that is not read-only (폴더).
  options.insert(goEditing);
  grid.SetOptions(options);
  // Movies are picked by a click on their title (the fixed column) or on
  // any of their cells, Ctrl adding one and Shift a run.
  grid.MouseActions()->SetRowSelect(true);
  grid.MouseActions()->SetDisjunctRowSelect(true);
  grid.MouseActions()->SetRowSelectPersistent(true);
  grid.SetFilterCaseUp(true);
  // Files and text dropped on the catalogue are the grid's to take.
  grid.DragDropSettings()->SetOleAcceptFiles(true);
  grid.DragDropSettings()->SetOleAcceptText(true);
  // Header and active-cell colours follow the desktop's colour scheme.
  grid.SetAutoThemeAdapt(true);
  TFont bold;
  bold.Assign(*grid.Columns()->Items(0)->HeaderFont());
  bold.SetStyle(TFontStyles{fsBold});
  grid.Columns()->Items(0)->SetHeaderFont(&bold);
  grid.EndUpdate();
}

int CatalogueColumnIndex(TExColumnGrid& grid, const AnsiString& header) {
  TGridColumnItem* item = grid.ColumnByName(header);
  return item ? item->Index() : -1;
}

namespace {

// The column grouping took out of the grid: its cells wait with their rows.
bool IsGroupedOut(TExColumnGrid& grid, const AnsiString& header) {
  return grid.GroupColumn() >= 0 && grid.GroupColumnHeader() == header;
}

}  // namespace

void RethrowCatalogueLoadError(const AnsiString& fileName) {
  try {
    throw;
  } catch (const EGridFileTorn&) {
    throw;  // says itself what happened
  } catch (const EFOpenError& e) {
    throw EFOpenError(Format("\"%s\" 파일을 열 수 없습니다.\r%s"_k, {fileName, e.Message()}));
  } catch (const EReadError& e) {
    throw EReadError(Format("\"%s\" 파일이 손상되어 열 수 없습니다.\r%s"_k, {fileName, e.Message()}));
  }
}

AnsiString CatalogueCell(TExColumnGrid& grid, const AnsiString& header, int row) {
  if (TGridColumnItem* item = grid.ColumnByName(header)) return item->Rows(row);
  AnsiString text;
  if (IsGroupedOut(grid, header)) grid.GroupedCellText(row, text);
  return text;
}

bool SetCatalogueCell(TExColumnGrid& grid, const AnsiString& header, int row, const AnsiString& value) {
  TGridColumnItem* item = grid.ColumnByName(header);
  if (!item) return IsGroupedOut(grid, header) && grid.SetGroupedCellText(row, value);
  // A value written for one movie into a cell merged over several (a
  // series' year or poster) is that movie's alone: the span is torn first,
  // the others keeping the value they showed.
  const int col = item->Index();
  if (grid.IsYMergedCell(col, row) && item->Rows(row) != value) grid.TearSpan(col, row);
  item->SetRows(row, value);
  return true;
}

bool IsBlankMovieRow(TExColumnGrid& grid, int row) {
  return std::all_of(CatalogueColumns().begin(), CatalogueColumns().end(), [&](const TCatalogueColumnDef& column) {
    return CatalogueCell(grid, *column.Header, row).empty();
  });
}

bool TCatalogueGrid::GroupedSearchFinds(AnsiString text) const {
  if (FilterCaseUp()) text = UpperCase(text);
  return std::all_of(GroupedSearch.begin(), GroupedSearch.end(), [&text](const auto& condition) {
    return MatchFilterExpression(condition.second, text, false);
  });
}

bool TCatalogueGrid::RowMatchesFilter(int row) {
  if (!TExColumnGrid::RowMatchesFilter(row)) return false;
  if (GroupedSearch.empty()) return true;
  AnsiString text;
  GroupedCellText(row, text);
  return GroupedSearchFinds(text);
}

bool TCatalogueGrid::SearchFinds(int realRow) {
  for (int i = 0; i < Filter()->Count(); ++i) {
    const TFilterData* item = Filter()->Items(i);
    const int col = item->Column();
    AnsiString text = col >= 0 && col < RealColCount() ? AllCells(col, realRow) : AnsiString();
    if (FilterCaseUp()) text = UpperCase(text);
    if (!MatchFilterExpression(item->Condition(), text, item->CaseSensitive())) return false;
  }
  if (GroupedSearch.empty()) return true;
  AnsiString text;
  AllGroupedCellText(realRow, text);
  return GroupedSearchFinds(text);
}

int MarkRowOf(TExColumnGrid& grid, int row) {
  return grid.MouseActions()->RowSelectPersistent() ? grid.RealRowIndex(row) : row;
}

std::vector<int> SelectedMovieRows(TExColumnGrid& grid) {
  std::vector<int> rows;
  // Marks kept per movie are found through each shown row's real index, so
  // a search that hides rows above a marked movie still finds that movie.
  for (int r = 1; r < grid.RowCount(); ++r) {
    if (grid.IsNodeRow(r)) continue;
    const int flag = MarkRowOf(grid, r);
    if (flag >= 0 && grid.IsRowSelected(flag)) rows.push_back(r);
  }
  if (rows.size() >= 2) return rows;
  rows.clear();
  const int current = grid.Row();
  if (current >= 1 && current < grid.RowCount() && !grid.IsNodeRow(current)) rows.push_back(current);
  return rows;
}
