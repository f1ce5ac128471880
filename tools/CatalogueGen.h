// A generated movie catalogue for the benchmarks, the tests and the sample
// catalogue of the screenshots: N movies in the 42 catalogue columns, with
// Korean and ASCII text of realistic lengths, "|" lists for the cast and for
// the per-file columns (one entry per file of the movie), numbers, dates and
// a few empty cells. The same seed gives the same catalogue.
//
//   auto rows = GenerateCatalogue(20000);   // rows[i][c], code page 949
//   FillCatalogueGrid(grid, rows);          // header row + one row per movie
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/rtl/Cp949.h"
#include "platform/rtl/SysUtils.h"

inline constexpr int kCatalogueColumns = 42;

// The catalogue's column headers in window order (UTF-8 here; the grid
// holds them in code page 949).
inline constexpr std::array<const char*, kCatalogueColumns> kCatalogueHeaders = {
    "제목",     "원제(영제)", "감독",     "제작국가", "제작연도",   "개봉날짜",   "출연",
    "관람등급", "영화장르",   "영화시간", "별점",     "평점",       "공식홈페이지", "관련페이지",
    "영화내용", "영화해설",   "포스터",   "보관위치", "저장매체",   "추가날짜",   "시청여부",
    "파일이름", "파일ID",     "파일크기", "비디오포맷", "오디오포맷", "Ch",         "samplerate",
    "프레임수", "프레임속도", "언어",     "자막",     "화질정보",   "릴정보",     "폴더",
    "해상도",   "대여",       "대여자",   "연락처",   "대여횟수",   "포스터위치", "기타"};

// Columns the benchmarks address.
enum TCatalogueColumn {
  kColTitle = 0, kColOriginalTitle = 1, kColDirector = 2, kColYear = 4, kColRunningTime = 9,
  kColSynopsis = 14, kColGenre = 8, kColFileSize = 23
};

class TCatalogueGen {
 public:
  explicit TCatalogueGen(std::uint64_t seed = 20261207) : state_(seed) {
    for (const char* s : {"한국", "미국", "일본", "프랑스", "영국", "중국", "홍콩", "독일", "이탈리아", "스페인"})
      countries_.push_back(Utf8ToCp949(s));
    for (const char* s : {"드라마", "액션", "코미디", "스릴러", "공포", "멜로", "SF", "애니메이션", "다큐멘터리", "범죄", "전쟁", "판타지"})
      genres_.push_back(Utf8ToCp949(s));
    for (const char* s : {"전체관람가", "12세관람가", "15세관람가", "청소년관람불가"}) ratings_.push_back(Utf8ToCp949(s));
    for (const char* s : {"DVD", "CD", "HDD", "Blu-ray", "USB"}) media_.push_back(s);
    const std::string syllables =
        "가나다라마바사아자차카타파하강남동서민수영화사랑시간하늘바람별빛꿈길밤낮봄여름가을겨울"
        "바다산강물불빛소리노래춤비눈구름달해숲들꽃새나무집문창길위아래속밖앞뒤왕자공주기사"
        "전쟁평화도시마을학교친구가족엄마아빠형누나동생선생님경찰범인비밀약속운명기적";
    // Each Hangul syllable is three bytes of UTF-8.
    for (std::size_t i = 0; i + 3 <= syllables.size(); i += 3) syllables_.push_back(Utf8ToCp949(syllables.substr(i, 3)));
    for (const char* s : {"김", "이", "박", "최", "정", "강", "조", "윤", "장", "임", "한", "오", "서", "신", "권"})
      surnames_.push_back(Utf8ToCp949(s));
    seen_ = Utf8ToCp949("본영화");
    unseen_ = Utf8ToCp949("안본영화");
    lent_ = Utf8ToCp949("빌려줬음");
    korean_ = Utf8ToCp949("한국어");
    english_ = Utf8ToCp949("영어");
    subtitles_ = Utf8ToCp949("있음");
    noSubtitles_ = Utf8ToCp949("없음");
    shelf_ = Utf8ToCp949("책장 ");
  }

  // One movie: kCatalogueColumns cells.
  std::vector<AnsiString> Movie(int index) {
    std::vector<AnsiString> c(kCatalogueColumns);
    const int files = 1 + static_cast<int>(Next(100) < 30) + static_cast<int>(Next(100) < 10);
    const int year = 1950 + static_cast<int>(Next(77));
    c[0] = KoreanWords(1 + Next(3), 2, 4);
    if (Next(10) == 0) c[0] += " " + IntToStr(2 + Next(3));
    c[1] = AsciiWords(1 + Next(4));
    c[2] = PersonName();
    c[3] = Pick(countries_);
    c[4] = IntToStr(year);
    c[5] = DateText(year);
    c[6] = List(2 + Next(4), [this] { return PersonName(); });
    c[7] = Pick(ratings_);
    c[8] = Pick(genres_);
    c[9] = IntToStr(70 + Next(110));
    c[10] = IntToStr(Next(11));
    c[11] = IntToStr(Next(10)) + "." + IntToStr(10 + Next(90));
    c[12] = "http://www.movie" + IntToStr(index) + ".co.kr/";
    c[13] = Next(3) == 0 ? AnsiString() : "http://portal.example/movie/" + IntToStr(100000 + index);
    c[14] = KoreanSentences(4 + Next(10));
    c[15] = Next(4) == 0 ? AnsiString(".") : KoreanSentences(2 + Next(6));
    c[16] = Next(8) == 0 ? AnsiString("noimage.jpg") : "poster" + IntToStr(index) + ".jpg";
    c[17] = shelf_ + static_cast<char>('A' + Next(8)) + "-" + IntToStr(1 + Next(20));
    c[18] = Pick(media_);
    c[19] = DateText(2000 + static_cast<int>(Next(27)));
    c[20] = Next(3) == 0 ? unseen_ : seen_;
    const AnsiString base = "movie" + IntToStr(index);
    int part = 0;
    c[21] = List(files, [&] { return base + ".cd" + IntToStr(++part) + ".avi"; });
    c[22] = List(files, [this] { return IntToHex(static_cast<Int64>(Next(0x7FFFFFFF)), 8) + IntToHex(static_cast<Int64>(Next(0x7FFFFFFF)), 8); });
    // Sizes in megabytes as the file probe writes them: two decimals, cut to six characters.
    c[23] = List(files, [this] {
      char mb[32];
      std::snprintf(mb, sizeof mb, "%.2f", (600000000 + static_cast<double>(Next(800000000))) / 1048576.0);
      return AnsiString(mb).substr(0, 6);
    });
    c[24] = List(files, [this] { return AnsiString(Next(2) ? "XviD" : "DivX 5"); });
    c[25] = List(files, [this] { return AnsiString(Next(2) ? "MP3" : "AC3"); });
    c[26] = List(files, [this] { return AnsiString(Next(3) ? "2" : "6"); });
    c[27] = List(files, [this] { return AnsiString(Next(2) ? "48000" : "44100"); });
    c[28] = List(files, [this] { return IntToStr(100000 + Next(90000)); });
    c[29] = List(files, [this] { return AnsiString(Next(2) ? "23.976" : "29.97"); });
    c[30] = Next(3) == 0 ? english_ : korean_;
    c[31] = Next(2) ? subtitles_ : noSubtitles_;
    c[32] = Next(2) ? "DVDRip" : "HDTV";
    c[33] = Next(4) == 0 ? AnsiString() : AsciiWords(1);
    c[34] = "/home/movies/" + base;
    c[35] = IntToStr(640 + 16 * Next(20)) + "x" + IntToStr(272 + 8 * Next(20));
    const bool isLent = Next(6) == 0;
    c[36] = isLent ? lent_ : AnsiString();
    c[37] = isLent ? PersonName() : AnsiString();
    c[38] = isLent ? "010-" + IntToStr(1000 + Next(9000)) + "-" + IntToStr(1000 + Next(9000)) : AnsiString();
    c[39] = IntToStr(Next(12));
    c[40] = c[16] == "noimage.jpg" ? AnsiString() : "/home/posters/" + c[16];
    c[41] = Next(10) == 0 ? KoreanWords(2, 2, 3) : AnsiString();
    // A few cells of any column left empty, as a hand-kept catalogue has them.
    for (int k = 0; k < 2; ++k)
      if (Next(10) == 0) c[static_cast<std::size_t>(Next(kCatalogueColumns))].clear();
    return c;
  }

 private:
  std::uint32_t Next(std::uint32_t bound) {
    // splitmix64: fast, and good enough for test data.
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return bound ? static_cast<std::uint32_t>(z % bound) : 0;
  }
  const AnsiString& Pick(const std::vector<AnsiString>& v) { return v[Next(static_cast<std::uint32_t>(v.size()))]; }
  AnsiString KoreanWord(int minLen, int maxLen) {
    AnsiString w;
    const int n = minLen + static_cast<int>(Next(static_cast<std::uint32_t>(maxLen - minLen + 1)));
    for (int i = 0; i < n; ++i) w += Pick(syllables_);
    return w;
  }
  AnsiString KoreanWords(int count, int minLen, int maxLen) {
    AnsiString s;
    for (int i = 0; i < count; ++i) {
      if (i) s += ' ';
      s += KoreanWord(minLen, maxLen);
    }
    return s;
  }
  AnsiString KoreanSentences(int count) {
    AnsiString s;
    for (int i = 0; i < count; ++i) {
      if (i) s += ' ';
      s += KoreanWords(3 + static_cast<int>(Next(6)), 1, 4);
      s += Next(5) == 0 ? ", " + AsciiWords(1) + "." : AnsiString(".");
    }
    return s;
  }
  AnsiString AsciiWords(int count) {
    static const char* const words[] = {"The", "Last", "Night", "Road", "Love", "Story", "of", "a",
                                        "City", "Dark", "Summer", "Blue", "Moon", "Secret", "King", "War"};
    AnsiString s;
    for (int i = 0; i < count; ++i) {
      if (i) s += ' ';
      s += words[Next(16)];
    }
    return s;
  }
  AnsiString PersonName() { return Pick(surnames_) + KoreanWord(2, 2); }
  AnsiString DateText(int year) {
    return Format("%.4d-%.2d-%.2d", {year, static_cast<int>(1 + Next(12)), static_cast<int>(1 + Next(28))});
  }
  template <class F>
  AnsiString List(int count, F item) {
    AnsiString s;
    for (int i = 0; i < count; ++i) {
      if (i) s += '|';
      s += item();
    }
    return s;
  }

  std::uint64_t state_;
  std::vector<AnsiString> countries_, genres_, ratings_, media_, syllables_, surnames_;
  AnsiString seen_, unseen_, lent_, korean_, english_, subtitles_, noSubtitles_, shelf_;
};

// count movies, each a row of kCatalogueColumns cells.
inline std::vector<std::vector<AnsiString>> GenerateCatalogue(int count, std::uint64_t seed = 20261207) {
  TCatalogueGen gen(seed);
  std::vector<std::vector<AnsiString>> rows;
  rows.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) rows.push_back(gen.Movie(i));
  return rows;
}

// Header row 0 and one row per movie, written into the store directly.
// Works with any string grid that has SetColCount, SetRowCount and
// SetRawCells (the string grid family).
template <class Grid>
void FillCatalogueGrid(Grid& grid, const std::vector<std::vector<AnsiString>>& rows) {
  grid.SetColCount(kCatalogueColumns);
  grid.SetRowCount(static_cast<int>(rows.size()) + 1);
  for (int c = 0; c < kCatalogueColumns; ++c) grid.SetRawCells(c, 0, Utf8ToCp949(kCatalogueHeaders[static_cast<std::size_t>(c)]));
  for (std::size_t r = 0; r < rows.size(); ++r)
    for (int c = 0; c < kCatalogueColumns; ++c) grid.SetRawCells(c, static_cast<int>(r) + 1, rows[r][static_cast<std::size_t>(c)]);
}
