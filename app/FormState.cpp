#include "app/FormState.h"

#include <algorithm>
#include <string_view>
#include <unordered_map>

#include "app/Catalogue.h"
#include "app/PlaceControl.h"
#include "platform/rtl/SysUtils.h"
#include "styled/ScLook.h"

// Sections: counting (ComputeStatistics and its helpers), the window.

namespace {

// ---------------------------------------------------------------- counting

// One distribution while the pass runs: values in order of first
// appearance, found again through a hash index.
class TCounter {
 public:
  void Count(std::string_view value) {
    auto [it, added] = index_.try_emplace(AnsiString(value), static_cast<int>(values_.size()));
    if (added)
      values_.emplace_back(it->first, 1);
    else
      ++values_[static_cast<std::size_t>(it->second)].second;
  }
  // Most frequent first, equal counts in order of first appearance.
  TValueCounts Sorted() {
    std::stable_sort(values_.begin(), values_.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    return std::move(values_);
  }

 private:
  std::unordered_map<AnsiString, int> index_;
  TValueCounts values_;
};

// Calls each(item) for every value of a list cell: its elements as the
// catalogue reads them (ForEachListElement), each trimmed also inside its
// quotes, empty ones passed over. Blanks never separate: "DivX 5" is one
// codec and "로맨틱 코미디" one genre.
template <class Each>
void ForEachListItem(std::string_view cell, char delimiter, Each&& each) {
  ForEachListElement(cell, delimiter, [&](std::string_view item) {
    while (!item.empty() && static_cast<unsigned char>(item.front()) <= ' ') item.remove_prefix(1);
    while (!item.empty() && static_cast<unsigned char>(item.back()) <= ' ') item.remove_suffix(1);
    if (!item.empty()) each(item);
  });
}

template <class T, class Better>
void Consider(TStateExtreme<T>& extreme, T value, const AnsiString& title, Better better) {
  if (extreme.Found && !better(value, extreme.Value)) return;
  extreme.Found = true;
  extreme.Value = value;
  extreme.Title = title;
}

// A column's item, or nullptr when the catalogue lacks it.
TGridColumnItem* Column(TExColumnGrid& grid, const AnsiString& header) { return grid.ColumnByName(header); }

AnsiString CellOf(TGridColumnItem* column, int row) { return column ? column->Rows(row) : AnsiString(); }

}  // namespace

TCatalogueStatistics ComputeStatistics(TExColumnGrid& grid, bool splitGenres,
                                       const std::function<void(int percent)>& progress) {
  TCatalogueStatistics s;
  const int rowCount = grid.RowCount();

  TGridColumnItem* fileName = Column(grid, Cat::FileName);
  TGridColumnItem* fileSize = Column(grid, Cat::FileSize);
  TGridColumnItem* released = Column(grid, Cat::ReleaseDate);
  TGridColumnItem* watched = Column(grid, Cat::Watched);
  TGridColumnItem* runningTime = Column(grid, Cat::RunningTime);
  TGridColumnItem* title = Column(grid, Cat::Title);
  TGridColumnItem* year = Column(grid, Cat::Year);
  TGridColumnItem* score = Column(grid, Cat::Score);
  TGridColumnItem* added = Column(grid, Cat::DateAdded);
  // The whole-cell distributions, then the genre, then the per-file ones.
  const std::array<TGridColumnItem*, 4> wholeCells = {Column(grid, Cat::Stars), Column(grid, Cat::Rating),
                                                      Column(grid, Cat::Year), Column(grid, Cat::Country)};
  TGridColumnItem* genre = Column(grid, Cat::Genre);
  const std::array<TGridColumnItem*, 5> perFile = {Column(grid, Cat::Language), Column(grid, Cat::Quality),
                                                   Column(grid, Cat::Release), Column(grid, Cat::VideoFormat),
                                                   Column(grid, Cat::AudioFormat)};
  std::array<TCounter, kStateDistributions> counters;
  const auto shorter = [](int a, int b) { return a < b; };
  const auto longer = [](int a, int b) { return a > b; };

  int lastPercent = -1;
  bool first = true;
  s.Movies = 0;
  for (int r = 1; r < rowCount; ++r) {
    // A grouped catalogue's group rows are no movies.
    if (grid.IsNodeRow(r)) continue;
    ++s.Movies;
    ForEachListItem(CellOf(fileName, r), '|', [&](std::string_view) { ++s.Files; });
    ForEachListItem(CellOf(fileSize, r), '|', [&](std::string_view item) {
      double mb;
      if (TryStrToFloat(item, mb)) s.SizeMb += mb;
    });
    TDateTime date;
    if (TryStrToDate(CellOf(released, r), date)) ++s.Dated;
    if (CellOf(watched, r) == Cat::WatchedNo) ++s.Unwatched;

    const AnsiString t = CellOf(title, r);
    if (first) s.ShortestTitle = t;
    first = false;
    if (t.size() < s.ShortestTitle.size()) s.ShortestTitle = t;
    if (t.size() > s.LongestTitle.size()) s.LongestTitle = t;

    int minutes;
    if (TryStrToInt(CellOf(runningTime, r), minutes)) {
      s.Minutes += minutes;
      Consider(s.ShortestTime, minutes, t, shorter);
      Consider(s.LongestTime, minutes, t, longer);
    }
    int y;
    if (TryStrToInt(CellOf(year, r), y)) {
      Consider(s.OldestYear, y, t, shorter);
      Consider(s.NewestYear, y, t, longer);
    }
    double points;
    if (TryStrToFloat(CellOf(score, r), points)) {
      Consider(s.LowestScore, points, t, [](double a, double b) { return a < b; });
      Consider(s.HighestScore, points, t, [](double a, double b) { return a > b; });
    }

    for (std::size_t k = 0; k < wholeCells.size(); ++k) counters[k].Count(CellOf(wholeCells[k], r));
    if (splitGenres)
      ForEachListItem(CellOf(genre, r), ',', [&](std::string_view g) { counters[4].Count(g); });
    else
      counters[4].Count(CellOf(genre, r));
    for (std::size_t k = 0; k < perFile.size(); ++k)
      ForEachListItem(CellOf(perFile[k], r), '|', [&](std::string_view item) { counters[5 + k].Count(item); });
    if (TryStrToDate(CellOf(added, r), date)) counters[10].Count(FormatDateTime("yyyy", date));

    if (progress) {
      const int percent = static_cast<int>(Round(r * 100.0 / rowCount));
      if (percent != lastPercent) {
        lastPercent = percent;
        progress(percent);
      }
    }
  }
  for (int k = 0; k < kStateDistributions; ++k) s.Distributions[static_cast<std::size_t>(k)] = counters[k].Sorted();
  return s;
}

AnsiString MinutesToText(Int64 minutes) {
  return "( "_k + IntToStr(minutes / 1440) + " 일 "_k + IntToStr((minutes % 1440) / 60) + " 시간 "_k +
         IntToStr(minutes % 60) + " 분 )"_k;
}

int StateBarPercent(int count, int movies) {
  if (movies <= 0) return 0;
  return static_cast<int>(std::min<Int64>(100, Round(static_cast<double>(count) / movies * 100)));
}

// ================================================================ the window

namespace {

constexpr int kMargin = 8;
constexpr int kBoxWidth = 200;
constexpr int kBoxColumns = 4;
constexpr int kLine = 20;
constexpr int kBoxTop = 20;  // first line under a group box's caption
constexpr int kBoxHeight = kBoxTop + kStateBars * kLine + 18;
constexpr int kClientWidth = kBoxColumns * kBoxWidth + (kBoxColumns + 1) * kMargin;
constexpr int kSummaryRows = 7;
constexpr int kSummaryHeight = kBoxTop + kSummaryRows * kLine + 8;
constexpr int kBoxesTop = kMargin + kSummaryHeight + kMargin;
constexpr int kButtonTop = kBoxesTop + 3 * kBoxHeight + 2 * kMargin + kMargin;
constexpr int kClientHeight = kButtonTop + ScLook::kButtonHeight + kMargin;
constexpr int kDetailsWidth = 176;

struct TDistributionDef {
  const char* Caption;
  const char* NamePrefix;  // StarName_ ... the bars: the prefix's stem + "Int_"
  const char* BarPrefix;
};
constexpr std::array<TDistributionDef, kStateDistributions> kDistributions = {{
    {"별점", "StarName_", "StarInt_"},
    {"관람등급", "MovieLevel_", "MovieLevelInt_"},
    {"제작연도", "MovieYear_", "MovieYearInt_"},
    {"제작국가", "MovieFrom_", "MovieFromInt_"},
    {"영화장르", "MovieGenre_", "MovieGenreInt_"},
    {"언어", "MovieLan_", "MovieLanInt_"},
    {"화질", "MovieRip_", "MovieRipInt_"},
    {"릴", "MovieRil_", "MovieRilInt_"},
    {"비디오코덱", "MovieVCodec_", "MovieVCodecInt_"},
    {"오디오코덱", "MovieACodec_", "MovieACodecInt_"},
    {"추가빈도", "MovieDate_", "MovieDateInt_"},
}};

// A value field: a flat sunken panel with its text at the left.
TScPanel* ValuePanel(TComponent* owner, TWinControl* parent, const AnsiString& name, int left, int top, int width) {
  auto* panel = PlaceControl<TScPanel>(owner, parent, name, left, top, width, kLine - 2);
  panel->SetBevelOuter(bvLowered);
  panel->SetAlignment(taLeftJustify);
  panel->SetColor(clWindow);
  panel->SetCaption("");
  return panel;
}

}  // namespace

TFormState::TFormState(TComponent* owner, TExColumnGrid* grid) : TForm(owner), grid_(grid) {
  SetName("FormState");
  SetCaption("통계"_k);
  ScApplyLook(this);
  SetBorderStyle(bsDialog);
  SetClientWidth(kClientWidth);
  SetClientHeight(kClientHeight);

  ResultPanel = PlaceControl<TScPanel>(this, this, "ResultPanel", 0, 0, kClientWidth, kClientHeight);
  ResultPanel->SetBevelOuter(bvNone);
  ResultPanel->SetCaption("");
  ResultPanel->Hide();

  ProgressPanel = PlaceControl<TScPanel>(this, this, "ProgressPanel", 0, 0, kClientWidth, kClientHeight);
  ProgressPanel->SetBevelOuter(bvNone);
  ProgressPanel->SetCaption("");
  auto* waiting = PlaceControl<TScLabel>(this, ProgressPanel, "", 0, kClientHeight / 2 - 30, kClientWidth, 18);
  waiting->SetAutoSize(false);
  waiting->SetAlignment(taCenter);
  waiting->SetCaption("통계를 내고 있습니다. 잠시만 기다리세요."_k);
  ScProgressBar1 = PlaceControl<TScProgressBar>(this, ProgressPanel, "ScProgressBar1", kClientWidth / 4, kClientHeight / 2,
                                         kClientWidth / 2, 18);

  BuildSummary();
  BuildDistributions();

  TempGrid = PlaceControl<TExColumnGrid>(this, ResultPanel, "TempGrid", 0, 0, kDetailsWidth, 100);
  TempGrid->SetFixedRows(0);
  TempGrid->SetFixedCols(0);
  TempGrid->SetColCount(2);
  TempGrid->SetRowCount(1);
  TempGrid->SetColWidths(0, kDetailsWidth - 44);
  TempGrid->SetColWidths(1, 40);
  TempGrid->SetEnableHTML(false);
  TempGrid->Columns()->Items(0)->SetAlignment(taLeftJustify);
  TempGrid->Columns()->Items(1)->SetAlignment(taRightJustify);
  TempGrid->Hide();
  TempGrid->OnClick = [this](TObject* s) { TempGridClick(s); };

  ScButton3 = PlaceControl<TScButton>(this, ResultPanel, "ScButton3", kClientWidth - kMargin - 80, kButtonTop, 80,
                               ScLook::kButtonHeight);
  ScButton3->SetCaption("닫기"_k);
  ScButton3->SetCancel(true);
  ScButton3->OnClick = [this](TObject* s) { ScButton3Click(s); };

  OnShow = [this](TObject* s) { FormShow(s); };
}

TFormState::~TFormState() {
  // The handlers of the owned controls point into this form.
  DestroyComponents();
}

void TFormState::BuildSummary() {
  auto* box = PlaceControl<TScGroupBox>(this, ResultPanel, "ScGroupBox1", kMargin, kMargin, kClientWidth - 2 * kMargin,
                                 kSummaryHeight);
  box->SetCaption("전체 통계"_k);
  const int labelWidth = 112;
  const int columnWidth = (box->Width() - 3 * 12) / 2;
  const int valueWidth = columnWidth - labelWidth;
  struct TSummaryField {
    TScPanel** Panel;
    const char* Name;
    const char* Caption;
  };
  // Counts on the left, the movies named for an extreme on the right.
  const TSummaryField left[kSummaryRows] = {
      {&MaxMovie, "MaxMovie", "전체영화편수"},         {&MaxFile, "MaxFile", "영화파일수"},
      {&MaxFileSize, "MaxFileSize", "전체영화 파일크기"}, {&MovieNo, "MovieNo", "안본영화"},
      {&Datemovie, "Datemovie", "개봉영화"},           {&HapMovieTime, "HapMovieTime", "전체 영화시간"},
      {nullptr, nullptr, nullptr}};
  const TSummaryField right[kSummaryRows] = {
      {&LongMovieName, "LongMovieName", "제일 긴 영화제목"}, {&ShotMovieName, "ShotMovieName", "가장 짧은 영화 제목"},
      {&LongTimeMovie, "LongTimeMovie", "긴 영화"},         {&ShotTimeMovie, "ShotTimeMovie", "짧은 영화"},
      {&MaxPointMovie, "MaxPointMovie", "가장 높은 평점"},  {&MinPointMovie, "MinPointMovie", "가장 낮은 평점"},
      {&NewMovieName, "NewMovieName", "최근영화"}};
  const TSummaryField oldest = {&OldMovieName, "OldMovieName", "오래된영화"};
  auto place = [&](const TSummaryField& field, int left0, int row) {
    const int top = kBoxTop + row * kLine;
    auto* label = PlaceControl<TScLabel>(this, box, "", left0, top + 2, labelWidth - 6, 16);
    label->SetAutoSize(false);
    label->SetCaption(Utf8ToCp949(field.Caption));
    *field.Panel = ValuePanel(this, box, field.Name, left0 + labelWidth, top, valueWidth);
  };
  for (int row = 0; row < kSummaryRows; ++row) {
    if (left[row].Panel) place(left[row], 12, row);
    place(right[row], 24 + columnWidth, row);
  }
  // The oldest movie sits under the counts, beside the newest one.
  place(oldest, 12, kSummaryRows - 1);
}

void TFormState::BuildDistributions() {
  for (int k = 0; k < kStateDistributions; ++k) {
    const TDistributionDef& def = kDistributions[static_cast<std::size_t>(k)];
    const int column = k % kBoxColumns, row = k / kBoxColumns;
    auto* box = PlaceControl<TScGroupBox>(this, ResultPanel, "ScGroupBox" + IntToStr(k + 2),
                                   kMargin + column * (kBoxWidth + kMargin),
                                   kBoxesTop + row * (kBoxHeight + kMargin), kBoxWidth, kBoxHeight);
    box->SetCaption(Utf8ToCp949(def.Caption));
    Boxes[static_cast<std::size_t>(k)] = box;
    for (int b = 0; b < kStateBars; ++b) {
      const int top = kBoxTop + b * kLine;
      auto* name = PlaceControl<TScPanel>(this, box, def.NamePrefix + IntToStr(b), 10, top, 100, kLine - 2);
      name->SetBevelOuter(bvNone);
      name->SetAlignment(taLeftJustify);
      name->SetCaption("");
      auto* bar = PlaceControl<TScProgressBar>(this, box, def.BarPrefix + IntToStr(b), 114, top + 2, kBoxWidth - 124,
                                        kLine - 6);
      Names[static_cast<std::size_t>(k)][static_cast<std::size_t>(b)] = name;
      Bars[static_cast<std::size_t>(k)][static_cast<std::size_t>(b)] = bar;
    }
    auto* more = PlaceControl<TScLabel>(this, box, "ScLabel" + IntToStr(k + 2), kBoxWidth - 58, kBoxHeight - 18, 50, 14);
    more->SetAutoSize(false);
    more->SetAlignment(taRightJustify);
    more->SetCaption("자세히.."_k);
    more->Font()->SetColor(clNavy);
    more->SetCursor(crHandPoint);
    more->OnClick = [this, k](TObject*) { ShowDetails(k); };
    DetailLabels[static_cast<std::size_t>(k)] = more;
  }
}

void TFormState::CentreOnScreen() {
  SetLeft((Screen->Width() - Width()) / 2);
  SetTop((Screen->Height() - Height()) / 2);
}

void TFormState::FormShow(TObject*) {
  CentreOnScreen();
  ResultPanel->Hide();
  TempGrid->Hide();
  ProgressPanel->Show();
  ScProgressBar1->SetPercent(0);
  stats_ = ComputeStatistics(*grid_, SplitStatistics,
                             [this](int percent) { ScProgressBar1->SetPercent(static_cast<Word>(percent)); });
  FillCaptions();
  FillBars();
  ProgressPanel->Hide();
  ResultPanel->Show();
  CentreOnScreen();
}

void TFormState::FillCaptions() {
  const TCatalogueStatistics& s = stats_;
  MaxMovie->SetCaption(IntToStr(s.Movies) + " 편"_k);
  MaxFile->SetCaption(IntToStr(s.Files) + " 개"_k);
  MaxFileSize->SetCaption(FloatToStr(s.SizeMb) + " Mb (약 CD : "_k + IntToStr(Round(s.SizeMb / 700)) + " 장)"_k);
  Datemovie->SetCaption(IntToStr(s.Dated) + " 편"_k);
  MovieNo->SetCaption(IntToStr(s.Unwatched) + " 편"_k);
  HapMovieTime->SetCaption(IntToStr(s.Minutes) + " 분 "_k + MinutesToText(s.Minutes));
  ShotMovieName->SetCaption(s.ShortestTitle);
  LongMovieName->SetCaption(s.LongestTitle);
  // A caption whose extreme no movie has stays empty.
  auto named = [](const auto& extreme, const AnsiString& value, const AnsiString& unit) {
    return extreme.Found ? extreme.Title + " (" + value + unit + ")" : AnsiString();
  };
  MinPointMovie->SetCaption(named(s.LowestScore, FloatToStr(s.LowestScore.Value), " 점"_k));
  MaxPointMovie->SetCaption(named(s.HighestScore, FloatToStr(s.HighestScore.Value), " 점"_k));
  OldMovieName->SetCaption(named(s.OldestYear, IntToStr(s.OldestYear.Value), " 년"_k));
  NewMovieName->SetCaption(named(s.NewestYear, IntToStr(s.NewestYear.Value), " 년"_k));
  ShotTimeMovie->SetCaption(named(s.ShortestTime, IntToStr(s.ShortestTime.Value), " 분"_k));
  LongTimeMovie->SetCaption(named(s.LongestTime, IntToStr(s.LongestTime.Value), " 분"_k));
}

void TFormState::FillBars() {
  for (std::size_t k = 0; k < kStateDistributions; ++k) {
    const TValueCounts& values = stats_.Distributions[k];
    for (std::size_t b = 0; b < kStateBars; ++b) {
      const bool has = b < values.size();
      Names[k][b]->SetCaption(has ? values[b].first : AnsiString());
      Bars[k][b]->SetPercent(static_cast<Word>(has ? StateBarPercent(values[b].second, stats_.Movies) : 0));
    }
  }
}

void TFormState::FillTempGrid(const TValueCounts& values) {
  TempGrid->BeginUpdate();
  TempGrid->SetRowCount(std::max<int>(1, static_cast<int>(values.size())));
  TempGrid->ClearRows(0, TempGrid->RowCount());
  for (std::size_t i = 0; i < values.size(); ++i) {
    TempGrid->SetCells(0, static_cast<int>(i), values[i].first);
    TempGrid->SetCells(1, static_cast<int>(i), IntToStr(values[i].second));
  }
  TempGrid->EndUpdate();
}

void TFormState::ShowDetails(int index) {
  if (index < 0 || index >= kStateDistributions) return;
  const TValueCounts& values = stats_.Distributions[static_cast<std::size_t>(index)];
  FillTempGrid(values);
  TScGroupBox* box = Boxes[static_cast<std::size_t>(index)];
  // Boxes in the right-hand column open their list leftwards, so that it
  // stays inside the window.
  const bool rightColumn = index % kBoxColumns == kBoxColumns - 1;
  const int rows = static_cast<int>(values.size());
  const int rowHeight = TempGrid->DefaultRowHeight();
  const int height = rows < 9 ? rowHeight * std::max(rows, 1) + 10 : 8 * rowHeight;
  const int left = rightColumn ? box->Left() + box->Width() - TempGrid->Width() : box->Left();
  TempGrid->SetBounds(left, box->Top() + 15, TempGrid->Width(), height);
  // The counts show whole: their column fits the widest count, and the
  // values take what the list leaves beside its scroll bar.
  TCanvas& canvas = *TempGrid->Canvas();
  canvas.Font()->Assign(*TempGrid->Font());
  int widest = 0;
  for (int r = 0; r < TempGrid->RowCount(); ++r) widest = std::max(widest, canvas.TextWidth(TempGrid->Cells(1, r)));
  const int countWidth = std::max(40, widest + 12);
  const int lines = 2 * TempGrid->GridLineWidth();
  TempGrid->SetColWidths(1, countWidth);
  TempGrid->SetColWidths(0, std::max(24, TempGrid->ClientWidth() - countWidth - lines));
  TempGrid->SetTopRow(0);
  TempGrid->Show();
  TempGrid->BringToFront();
}

void TFormState::TempGridClick(TObject*) { TempGrid->Hide(); }

void TFormState::ScButton3Click(TObject*) { Close(); }
