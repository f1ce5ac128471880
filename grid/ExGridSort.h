// Row sorting of the string grid: the sort settings, the sort styles and
// the text comparisons behind them, and the recognition of number and date
// texts that the automatic style relies on. The grid's own sort operations
// (CompareCells, SortOnColumn, SortByIndexList, SortWithinGroups,
// RestoreUnsortedOrder, BubbleSortColumn, SwapRows) are members of
// TExStringGrid and live in ExGridSort.cpp.
//
// Sections:
//   Small types ........ styles, directions, blank placement, events
//   Text comparisons ... number and date recognition, CompareTextsByStyle
//   TSortSettings ...... the published settings object the grid owns
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Graphics.h"

class TExStringGrid;

// ------------------------------------------------------------- small types

// The order is stored in forms and grid files: never reorder. This is the
// one declaration: headers that need the styles include this one (it
// includes nothing of the grid).
enum TSortStyle : Byte {
  ssAutomatic, ssAlphabetic, ssNumeric, ssDate, ssAlphaNoCase, ssAlphaCase, ssShortDateEU,
  ssShortDateUS, ssCustom, ssFinancial, ssAnsiAlphaCase, ssAnsiAlphaNoCase, ssRaw, ssHTML,
  ssImages, ssCheckBox, ssUnicode, ssDateTime, ssTime
};

enum TSortDirection : Byte { sdAscending, sdDescending };
enum TSortBlankPosition : Byte { blFirst, blLast };

// +1 for ascending, -1 for descending: the result a comparison must give
// for a row to move past another.
inline int SortSign(TSortDirection direction) { return direction == sdAscending ? 1 : -1; }

using TCustomCompareEvent =
    std::function<void(TObject* sender, const AnsiString& str1, const AnsiString& str2, int& res)>;
using TRawCompareEvent =
    std::function<void(TObject* sender, int col, int row1, int row2, int& res)>;
using TCanSortEvent = std::function<void(TObject* sender, int col, bool& doSort)>;
using TClickSortEvent = std::function<void(TObject* sender, int col)>;

// ------------------------------------------------------------- text comparisons

// 0 integer text ("-12"), 1 float text ("1,234.5" with the locale's
// separators), 2 anything else, "" included.
int NumberTextKind(std::string_view text);

// A text as a number for sorting: prefix and suffix (when not empty) are
// removed once, the locale's thousand separators between digit groups
// (with dropAllThousands: everywhere) are skipped and the locale's decimal
// separator is read as the point. Returns whether the whole text converted;
// an empty text converts as 0. A text that does not convert still gets the
// value of its leading number (0 when it has none), so that such texts
// take a stable place among the others.
bool SortNumberValue(std::string_view text, std::string_view prefix, std::string_view suffix,
                     bool dropAllThousands, double& value);

// "m/d/y" and "d/m/y" with "/", "." or "-" between the parts (the first of
// them found in the text). A year below 100 is placed by a fixed window:
// above 25 in the 1900s, else in the 2000s; a longer year is taken as
// written. False for anything that is not a valid date.
bool ParseShortDateUS(std::string_view text, TDateTime& date);
bool ParseShortDateEU(std::string_view text, TDateTime& date);

// The style ssAutomatic stands for, judged from one text: ssNumeric for a
// number text, ssDate / ssDateTime / ssTime when the locale's date (time)
// separator stands between digits at position 2 or 3, else ssAlphabetic.
// Check boxes are the grid's to recognise (they are cell graphics).
TSortStyle AutomaticStyleOf(std::string_view text);

// The three-way comparison (-1, 0, +1) of two cell texts by a style that
// needs nothing but the texts. ssAutomatic is resolved from t1. Styles that
// need the grid (ssCustom, ssRaw, ssImages, ssCheckBox) give 0 here.
// Conversion errors count as 0; nothing is thrown.
int CompareTextsByStyle(TSortStyle style, std::string_view t1, std::string_view t2,
                        std::string_view prefix = {}, std::string_view suffix = {});

// Blank placement after the style's comparison: an empty text against a
// non-empty one goes first (blFirst) or last (blLast) in the given
// direction; two empty texts, or none, keep the result.
int PlaceBlanks(int result, bool empty1, bool empty2, TSortDirection direction,
                TSortBlankPosition blankPos);

// One column's keys while a sort runs, by row: its texts and, for the
// automatic and numeric styles, each text's style and number read once
// (with the column's format as it was when the keys were made), so that a
// comparison reads one compact record instead of parsing both texts
// again. The texts lie one after another in Chars; a swap exchanges two
// records and moves no text.
struct TSortKeyColumn {
  // Sixteen bytes a row: the fewer a sort's working set, the more of a
  // large catalogue stays in the cache while rows are compared.
  struct TKey {
    // SortNumberValue's value when it read one (NumberRead); otherwise the
    // text's first eight bytes, the first one the most significant, zeros
    // past its end: two heads that differ order their texts as comparing
    // their bytes would, without reading the texts.
    union {
      double Number = 0;
      std::uint64_t Head;
    };
    std::uint32_t Offset = 0;  // the text in Chars
    std::uint32_t Length : 24;
    std::uint32_t Style : 7;       // AutomaticStyleOf the text
    std::uint32_t NumberRead : 1;  // SortNumberValue's answer
  };
  static constexpr std::size_t kMaxLength = (1u << 24) - 1;
  std::string Chars;
  std::vector<TKey> Keys;
  bool HasNumbers = false;
  // The format (style, prefix, suffix) the keys were made with. While no
  // handler can run during the sort, nothing can change it and a
  // comparison takes it from here (FormatFixed).
  TSortStyle Style = ssAlphabetic;
  AnsiString Prefix, Suffix;
  bool FormatFixed = false;
  std::string_view Text(std::size_t k) const { return {Chars.data() + Keys[k].Offset, Keys[k].Length}; }
  static std::uint64_t HeadOf(std::string_view text) {
    std::uint64_t head = 0;
    for (std::size_t i = 0; i < sizeof head; ++i)
      head = (head << 8) | (i < text.size() ? static_cast<unsigned char>(text[i]) : 0u);
    return head;
  }
  void Swap(std::size_t a, std::size_t b) {
    if (a < Keys.size() && b < Keys.size()) std::swap(Keys[a], Keys[b]);
  }
};

// ------------------------------------------------------------- TSortSettings

inline constexpr char kSortRowTooBig[] = "Sort row should be smaller than number of fixed rows";
inline constexpr char kNoSortIndexes[] = "No indexes specified for indexed sort";

class TSortSettings : public TPersistent {
 public:
  explicit TSortSettings(TExStringGrid* grid);
  ~TSortSettings() override;

  // Header clicks sort and sort glyphs are drawn; setting it repaints.
  bool Show() const { return show_; }
  void SetShow(bool v);
  bool IndexShow() const { return indexShow_; }
  void SetIndexShow(bool v);
  // Ties are broken on the following columns (index entries).
  bool Full() const { return full_; }
  void SetFull(bool v) { full_ = v; }
  // A swap exchanges only the sort column's cells.
  bool SingleColumn() const { return singleColumn_; }
  void SetSingleColumn(bool v) { singleColumn_ = v; }
  bool IgnoreBlanks() const { return ignoreBlanks_; }
  void SetIgnoreBlanks(bool v) { ignoreBlanks_ = v; }
  TSortBlankPosition BlankPos() const { return blankPos_; }
  void SetBlankPos(TSortBlankPosition v) { blankPos_ = v; }
  // The default style is ssAutomatic, else ssAlphabetic.
  bool AutoFormat() const { return autoFormat_; }
  void SetAutoFormat(bool v) { autoFormat_ = v; }
  TSortDirection Direction() const { return direction_; }
  void SetDirection(TSortDirection v) { direction_ = v; }
  TSortDirection InitSortDirection() const { return initSortDirection_; }
  void SetInitSortDirection(TSortDirection v) { initSortDirection_ = v; }
  // The current sort column; -1 after the unsorted order was restored.
  int Column() const { return column_; }
  void SetColumn(int v) { column_ = v; }
  // The header row that reacts to clicks: one of the fixed rows. Anything
  // else raises Exception kSortRowTooBig and keeps the old value (0 stays
  // allowed on a grid without fixed rows, where header clicks never sort).
  int Row() const { return row_; }
  void SetRow(int v);
  // A third click on a column restores the unsorted order.
  bool UndoSort() const { return undoSort_; }
  void SetUndoSort(bool v) { undoSort_ = v; }
  // With fixed columns, column 0 keeps its texts through a sort.
  bool NormalCellsOnly() const { return normalCellsOnly_; }
  void SetNormalCellsOnly(bool v) { normalCellsOnly_ = v; }
  bool FixedCols() const { return fixedCols_; }
  void SetFixedCols(bool v) { fixedCols_ = v; }
  bool AutoColumnMerge() const { return autoColumnMerge_; }
  void SetAutoColumnMerge(bool v) { autoColumnMerge_ = v; }
  bool AutoSortForGrouping() const { return autoSortForGrouping_; }
  void SetAutoSortForGrouping(bool v) { autoSortForGrouping_ = v; }
  TColor IndexColor() const { return indexColor_; }
  void SetIndexColor(TColor v) { indexColor_ = v; }
  // The glyphs are owned; the writers copy.
  TBitmap* UpGlyph() { return &upGlyph_; }
  void SetUpGlyph(const TBitmap* v);
  TBitmap* DownGlyph() { return &downGlyph_; }
  void SetDownGlyph(const TBitmap* v);
  TBitmap* IndexUpGlyph() { return &indexUpGlyph_; }
  void SetIndexUpGlyph(const TBitmap* v);
  TBitmap* IndexDownGlyph() { return &indexDownGlyph_; }
  void SetIndexDownGlyph(const TBitmap* v);

  void Assign(const TPersistent* source) override;

 private:
  void Repaint();

  TExStringGrid* grid_;
  bool show_ = false;
  bool indexShow_ = false;
  bool full_ = true;
  bool singleColumn_ = false;
  bool ignoreBlanks_ = false;
  TSortBlankPosition blankPos_ = blFirst;
  bool autoFormat_ = true;
  TSortDirection direction_ = sdAscending;
  TSortDirection initSortDirection_ = sdAscending;
  int column_ = 0;
  int row_ = 0;
  bool undoSort_ = false;
  bool normalCellsOnly_ = false;
  bool fixedCols_ = false;
  bool autoColumnMerge_ = false;
  bool autoSortForGrouping_ = true;
  TColor indexColor_ = 0xFFFF;
  TBitmap upGlyph_;
  TBitmap downGlyph_;
  TBitmap indexUpGlyph_;
  TBitmap indexDownGlyph_;
};
