// TFormState: the statistics window ("통계").
//
// One pass over the catalogue (ComputeStatistics) gives the totals, the
// extremes and eleven value distributions; the window shows them in
// captions and in five bars per distribution, and a "자세히.." label opens
// the whole distribution as a list under its box. The window reads the
// catalogue grid only, by column header, and changes nothing.
//
// Call tree:
//   ShowModal -> FormShow -> ComputeStatistics (progress: ScProgressBar1)
//             -> captions, bars; progress panel hidden, result panel shown
//   ScLabel2Click .. ScLabel12Click -> ShowDetails(k) -> TempGrid under box k
//   TempGridClick -> hides the list; ScButton3Click -> closes
#pragma once

#include <array>
#include <functional>
#include <utility>
#include <vector>

#include "grid/ExCGrid.h"
#include "platform/vcl/Forms.h"
#include "styled/ScControls.h"

inline constexpr int kStateDistributions = 11;
inline constexpr int kStateBars = 5;

// A distribution: every distinct value with how often it was counted,
// most frequent first; equal counts keep the order the values first
// appeared in the catalogue.
using TValueCounts = std::vector<std::pair<AnsiString, int>>;

// A movie named for an extreme and its value; Found is false when no
// movie's cell read as a value at all.
template <class T>
struct TStateExtreme {
  bool Found = false;
  T Value{};
  AnsiString Title;
};

struct TCatalogueStatistics {
  int Movies = 0;              // the rows shown, group rows left out
  int Files = 0;               // non-empty items of 파일이름
  double SizeMb = 0;           // sum of the 파일크기 items that read as numbers
  int Dated = 0;               // 개봉날짜 reads as a date
  int Unwatched = 0;           // 시청여부 = 안본영화
  Int64 Minutes = 0;           // sum of 영화시간 that read as integers
  AnsiString ShortestTitle;    // by length in bytes; the first of equals
  AnsiString LongestTitle;
  TStateExtreme<int> ShortestTime, LongestTime;
  TStateExtreme<int> OldestYear, NewestYear;
  TStateExtreme<double> LowestScore, HighestScore;
  // 별점, 관람등급, 제작연도, 제작국가, 영화장르, 언어, 화질, 릴, 비디오코덱,
  // 오디오코덱, 추가빈도 (the year a movie was added).
  std::array<TValueCounts, kStateDistributions> Distributions;
};

// Walks rows 1 .. RowCount - 1 of the catalogue once (the movies a search
// shows; group rows are passed over). The file count, the sizes and the
// per-file distributions take the items between "|", and with splitGenres
// the genres count the items between commas; an item is trimmed and loses
// its surrounding quotes, blanks inside it stay, and an empty item is not
// counted. Without splitGenres the whole genre cell counts, an empty one
// too. Among equal extremes the first movie is named. progress, when given,
// is called with 0..100 each time the percentage changes.
TCatalogueStatistics ComputeStatistics(TExColumnGrid& grid, bool splitGenres,
                                       const std::function<void(int percent)>& progress = {});

// "( d 일 h 시간 m 분 )" for a total of minutes.
AnsiString MinutesToText(Int64 minutes);

// The bar of a value counted count times among movies: a percentage of the
// movie count, capped at 100 (a per-file value can be counted more often
// than there are movies).
int StateBarPercent(int count, int movies);

class TFormState : public TForm {
 public:
  // grid: the catalogue (read only, for the window's whole life).
  TFormState(TComponent* owner, TExColumnGrid* grid);
  ~TFormState() override;

  // Copied from the settings by the caller before ShowModal.
  bool SplitStatistics = true;
  // What the last FormShow computed.
  const TCatalogueStatistics& Statistics() const { return stats_; }

  // ---- captions (value panels)
  TScPanel* MaxMovie;        // 전체영화편수
  TScPanel* MaxFile;         // 영화파일수
  TScPanel* MaxFileSize;     // 전체영화 파일크기
  TScPanel* MovieNo;         // 안본영화
  TScPanel* HapMovieTime;    // 전체 영화시간
  TScPanel* Datemovie;       // 개봉영화
  TScPanel* LongMovieName;   // 제일 긴 영화제목
  TScPanel* ShotMovieName;   // 가장 짧은 영화 제목
  TScPanel* LongTimeMovie;   // 긴 영화
  TScPanel* ShotTimeMovie;   // 짧은 영화
  TScPanel* MaxPointMovie;   // 가장 높은 평점
  TScPanel* MinPointMovie;   // 가장 낮은 평점
  TScPanel* NewMovieName;    // 최근영화
  TScPanel* OldMovieName;    // 오래된영화

  // ---- distributions, in the order of Statistics().Distributions:
  // StarName_k / StarInt_k, MovieLevel_k / MovieLevelInt_k, MovieYear_k,
  // MovieFrom_k, MovieGenre_k, MovieLan_k, MovieRip_k, MovieRil_k,
  // MovieVCodec_k, MovieACodec_k, MovieDate_k (and their ..Int_k bars).
  std::array<TScGroupBox*, kStateDistributions> Boxes{};
  std::array<std::array<TScPanel*, kStateBars>, kStateDistributions> Names{};
  std::array<std::array<TScProgressBar*, kStateBars>, kStateDistributions> Bars{};
  // ScLabel2 .. ScLabel12: "자세히.." of each box.
  std::array<TScLabel*, kStateDistributions> DetailLabels{};

  TScPanel* ProgressPanel;   // "통계를 내고 있습니다. 잠시만 기다리세요."
  TScProgressBar* ScProgressBar1;
  TScPanel* ResultPanel;
  TExColumnGrid* TempGrid;   // the details list
  TScButton* ScButton3;      // 닫기

  void FormShow(TObject* sender);
  // The details list of distribution index (0 .. 10) under its box.
  void ShowDetails(int index);
  void TempGridClick(TObject* sender);
  void ScButton3Click(TObject* sender);

 private:
  void BuildSummary();
  void BuildDistributions();
  void FillCaptions();
  void FillBars();
  // Writes a distribution into TempGrid, one row per value.
  void FillTempGrid(const TValueCounts& values);
  void CentreOnScreen();

  TExColumnGrid* grid_;
  TCatalogueStatistics stats_;
};
