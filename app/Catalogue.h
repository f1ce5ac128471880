// The catalogue's row model, in one place for every window: the 42 column
// headers with their widths, the per-file columns and their file-table
// headers, the "|" and "," list texts, and the set-up of a catalogue grid.
//
// Windows find a column by its header (ColumnByName), never by index: the
// user may move columns, and a grouped catalogue has an extra column 0.
#pragma once

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "grid/ExCGrid.h"

inline constexpr int kCatalogueColumnCount = 42;
// The catalogue grid's text size in pixels (its family is NanumBarunGothic).
inline constexpr int kCatalogueFontPixels = 10;
inline constexpr int kFileColumnCount = 15;

// Headers, code page 949, in the order of a new catalogue's file.
namespace Cat {
extern const AnsiString Title;         // 제목
extern const AnsiString OrigTitle;     // 원제(영제)
extern const AnsiString Director;      // 감독
extern const AnsiString Country;       // 제작국가
extern const AnsiString Year;          // 제작연도
extern const AnsiString ReleaseDate;   // 개봉날짜
extern const AnsiString Cast;          // 출연
extern const AnsiString Rating;        // 관람등급
extern const AnsiString Genre;         // 영화장르
extern const AnsiString RunningTime;   // 영화시간
extern const AnsiString Stars;         // 별점
extern const AnsiString Score;         // 평점
extern const AnsiString HomePage;      // 공식홈페이지
extern const AnsiString RelatedPage;   // 관련페이지
extern const AnsiString Synopsis;      // 영화내용
extern const AnsiString Commentary;    // 영화해설
extern const AnsiString Posters;       // 포스터
extern const AnsiString Location;      // 보관위치
extern const AnsiString Medium;        // 저장매체
extern const AnsiString DateAdded;     // 추가날짜
extern const AnsiString Watched;       // 시청여부
extern const AnsiString FileName;      // 파일이름
extern const AnsiString FileId;        // 파일ID
extern const AnsiString FileSize;      // 파일크기
extern const AnsiString VideoFormat;   // 비디오포맷
extern const AnsiString AudioFormat;   // 오디오포맷
extern const AnsiString Channels;      // Ch
extern const AnsiString SampleRate;    // samplerate
extern const AnsiString FrameCount;    // 프레임수
extern const AnsiString FrameRate;     // 프레임속도
extern const AnsiString Language;      // 언어
extern const AnsiString Subtitle;      // 자막
extern const AnsiString Quality;       // 화질정보
extern const AnsiString Release;       // 릴정보
extern const AnsiString Folder;        // 폴더
extern const AnsiString Resolution;    // 해상도
extern const AnsiString Lent;          // 대여
extern const AnsiString Borrower;      // 대여자
extern const AnsiString Contact;       // 연락처
extern const AnsiString LendCount;     // 대여횟수
extern const AnsiString PosterUrl;     // 포스터위치
extern const AnsiString Notes;         // 기타

// Cell values with a meaning.
extern const AnsiString WatchedYes;    // 본영화
extern const AnsiString WatchedNo;     // 안본영화
extern const AnsiString LentOut;       // 빌려줬음
extern const AnsiString LentKept;      // 보관중
}  // namespace Cat

struct TCatalogueColumnDef {
  const AnsiString* Header;
  int Width;
};
// The 42 columns in file order.
const std::vector<TCatalogueColumnDef>& CatalogueColumns();

// A per-file column and the header of the file table's column that shows it.
struct TFileColumnPair {
  const AnsiString* CatalogueHeader;
  AnsiString FileTableHeader;
};
// The 15 per-file columns, in the file table's order.
const std::vector<TFileColumnPair>& FileColumnPairs();

// ---- list texts
// A per-file list: "|" between elements; an element holding a character at
// or below the blank, a double quote or "|" is quoted with inner quotes
// doubled; one empty element is written as two double quotes. Reading
// splits at "|" outside quotes only: catalogues hold codecs such as
// DivX 5|DivX 5|XviD unquoted, three files and not five. Each element is
// trimmed of blanks outside its quotes and read without them (a doubled
// quote inside is one quote), so every list written reads back the same.
std::vector<AnsiString> SplitFileList(std::string_view text);
AnsiString JoinFileList(const std::vector<AnsiString>& elements);
// The poster list: the same rules with "," between names.
std::vector<AnsiString> SplitPosterList(std::string_view text);
AnsiString JoinPosterList(const std::vector<AnsiString>& names);
// Calls each(element) for every element of a list text as SplitFileList
// reads it, with delimiter between the elements; "" has none. The element
// passed lives until the next call.
template <class Each>
void ForEachListElement(std::string_view text, char delimiter, Each&& each);

// ---- the catalogue grid
// 42 columns named by their headers with their widths, one fixed row and
// one fixed column (the title, bold header), row height 21, two rows,
// word wrap, disjunct persistent row selection, column moving and sizing,
// upper-cased filtering, sorting by a header click with the direction shown.
// Every column is read-only except 폴더. Cells are plain text: no mark-up,
// rich text, formula or wide text is read, so a title such as "<B>" or
// "{\rtf" shows as typed.
void SetupCatalogueGrid(TExColumnGrid& grid);
// The catalogue's headers written into row 0 and the column items named
// after them (for a grid that is not yet a catalogue).
void WriteCatalogueHeaders(TExColumnGrid& grid);
// Called while a load of the catalogue file fileName raises: raises it
// again as the user reads it, a file that cannot be opened or is damaged
// named in Korean with the reader's own reason after it.
[[noreturn]] void RethrowCatalogueLoadError(const AnsiString& fileName);

// The cell of the column named header in row; "" when no column has that name.
// While grouped, the grouped column's cells are the rows' own, kept aside
// (TExStringGrid::GroupedCellText): both read and write them.
AnsiString CatalogueCell(TExColumnGrid& grid, const AnsiString& header, int row);
// Writes the cell; false (nothing written) when no column has that name.
bool SetCatalogueCell(TExColumnGrid& grid, const AnsiString& header, int row, const AnsiString& value);
// The real column index of the column named header, -1 when none.
int CatalogueColumnIndex(TExColumnGrid& grid, const AnsiString& header);
// Whether the row holds no value in any catalogue column: the one empty row
// of a new catalogue, not an untitled movie.
bool IsBlankMovieRow(TExColumnGrid& grid, int row);

// The catalogue window's grid. Grouping takes the grouped column out of
// the grid, its cells waiting aside with their rows: a search on that
// column matches each movie's own cell there, as the grid's Filter matches
// the columns it holds, and finds what the same search finds ungrouped.
class TCatalogueGrid : public TExColumnGrid {
 public:
  using TExColumnGrid::TExColumnGrid;
  // Conditions (header, condition) on the column grouped on, met together
  // with the Filter while it is active.
  std::vector<std::pair<AnsiString, AnsiString>> GroupedSearch;
  bool RowMatchesFilter(int row) override;
  // Whether the search finds the movie of a real row, hidden or not.
  bool SearchFinds(int realRow);

 private:
  bool GroupedSearchFinds(AnsiString text) const;
};

// The row whose mark (row-select flag) is that of a display row: its real
// row when the marks are kept per movie (persistent selection).
int MarkRowOf(TExColumnGrid& grid, int row);
// The rows an action on "the selected movies" takes, in display order: the
// marked movie rows the grid shows when there are two or more, else the
// current row. Rows a search or a closed group hides and group rows are
// never among them. Empty when the current row is no movie.
std::vector<int> SelectedMovieRows(TExColumnGrid& grid);

// ------------------------------------------------------------------ template bodies

template <class Each>
void ForEachListElement(std::string_view text, char delimiter, Each&& each) {
  // The delimiters and the quote are ASCII characters that no trail byte of
  // a two-byte character takes, so the bytes are read one by one.
  const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  if (text.empty()) return;
  AnsiString element;
  std::size_t pos = 0;
  for (;;) {
    while (pos < text.size() && text[pos] != delimiter && isBlank(text[pos])) ++pos;
    std::size_t end;
    if (pos < text.size() && text[pos] == '"') {
      element.clear();
      std::size_t i = pos + 1;
      for (; i < text.size(); ++i) {
        if (text[i] != '"') {
          element += text[i];
        } else if (i + 1 < text.size() && text[i + 1] == '"') {
          element += '"';
          ++i;
        } else {
          break;
        }
      }
      // Text between the closing quote and the delimiter stays with the
      // element, without the blanks before the delimiter.
      end = std::min(text.find(delimiter, std::min(i + 1, text.size())), text.size());
      std::size_t tail = end;
      while (tail > i + 1 && isBlank(text[tail - 1])) --tail;
      if (i + 1 < tail) element.append(text.substr(i + 1, tail - i - 1));
    } else {
      end = std::min(text.find(delimiter, pos), text.size());
      std::size_t tail = end;
      while (tail > pos && isBlank(text[tail - 1])) --tail;
      element.assign(text.substr(pos, tail - pos));
    }
    each(std::string_view(element));
    if (end >= text.size()) return;
    pos = end + 1;
  }
}
