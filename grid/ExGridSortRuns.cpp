// The sort that grouping asks for, by runs of equal texts.
//
// Sections:
//   Texts ......... what each text of a column compares as, the ranks of a
//                   column's few distinct texts
//   Ordering ...... runs of one rank placed by counting (long runs) or by
//                   sorting the rows' ranks (short ones); a column of too
//                   many texts for ranks by sorting the rows' texts; a run
//                   whose texts contradict each other by a stable sort on
//                   CompareCells; the rows move once at the end
//   Moving rows ... PlaceRows, GatherEqualTexts (one run for each text)
//   Entry point ... SortByValueRuns
//
// Grouping sorts on a column of few distinct texts (a genre, a country):
// the partition sort spends n log n comparisons on it, where ordering the
// distinct texts and counting the rows into their runs takes one pass.
// With Full, ties go on to the next columns, so each run is ordered the
// same way on the next column, and so on.
//
// Every two rows that the comparison puts in an order end in that order,
// as with the partition sort. Where it puts none the partition sort leaves
// an order of its pivots' making; here rows equal in every column compared
// keep the order they had. The automatic style is chosen by the first text
// of a comparison, so in a column of numbers "" against "0" answers
// otherwise than "0" against "": where such a column only breaks ties, ""
// takes the rank its own comparison gives it, and where texts of different
// kinds meet, the run is ordered by a stable sort on the comparison.
#include <algorithm>
#include <utility>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "grid/ExGrid.h"

// ------------------------------------------------------------- texts

namespace {

// What a text compares as under its column's style.
enum TTextKind : signed char {
  tkUnknown = -1,
  tkEmpty,   // "" under the automatic style: bytes when it comes first, the number 0 when it comes second
  tkBytes,   // byte by byte
  tkNumber,  // a number read whole
  tkOther    // anything else: compared only through CompareCells
};

}  // namespace

struct TExStringGrid::TValueRunSort {
  struct TColumn {
    TSortStyle style = ssAlphabetic;
    AnsiString prefix, suffix;
    bool keyable = false;
    // With few distinct texts: each row's text as an index into them, what
    // each compares as and, when they are all of one kind, its rank in
    // sort order (texts that compare equal share one).
    std::vector<int> idByRow;
    std::vector<TTextKind> kindById;
    std::vector<double> valueById;
    std::vector<int> rankById;
    int rankCount = 0;
    // With many: what each row's text compares as, read when first needed.
    std::vector<TTextKind> kindByRow;
    std::vector<double> valueByRow;
  };

  // Ranges shorter than this are ordered by comparing their rows.
  static constexpr int kSmallRange = 32;

  TValueRunSort(TExStringGrid& grid, int firstRow, int lastRow)
      : g(grid),
        first(firstRow),
        rows(lastRow - firstRow + 1),
        direction(grid.sortSettings_->Direction()),
        before(-SortSign(direction)),
        blanksPlaced(grid.sortSettings_->IgnoreBlanks()),
        lastCol(grid.sortSettings_->Full() ? grid.ColCount() - 1 : -1),
        columns(static_cast<std::size_t>(grid.ColCount())) {}

  TTextKind KindOf(const TColumn& column, std::string_view text, double& value) const {
    value = 0;
    const bool automatic = column.style == ssAutomatic;
    if (automatic && text.empty()) return tkEmpty;
    const TSortStyle style = automatic ? AutomaticStyleOf(text) : column.style;
    if (style == ssAlphabetic || style == ssAlphaCase) return tkBytes;
    if (style == ssNumeric && SortNumberValue(text, column.prefix, column.suffix, false, value)) return tkNumber;
    return tkOther;
  }

  int Compare(int col, int row1, int row2) { return g.CompareCells(col, row1, row2, direction); }

  // The column's style and, when it compares by its texts, their ranks or
  // its rows' kinds (RankColumns), made when the column is first asked for.
  TColumn& Column(int col) {
    if (!columns[static_cast<std::size_t>(col)]) RankColumns(col, 1);
    return *columns[static_cast<std::size_t>(col)];
  }

  // Reading a column means a pass over every row's record, which a sort
  // has left anywhere in memory. The grouped column's few texts leave long
  // runs, which ties carry on to the next columns: those are read in the
  // grouped column's pass, each row's record fetched once for all of them.
  // Columns further on are read when a tie first reaches them.
  static constexpr int kColumnsPerPass = 4;
  TColumn& GroupedColumn(int col) {
    if (!columns[static_cast<std::size_t>(col)]) RankColumns(col, kColumnsPerPass);
    return *columns[static_cast<std::size_t>(col)];
  }

  // A column's distinct texts while the pass reads them.
  struct TDistinct {
    int col = 0;
    std::unordered_map<std::string_view, int> ids;
    std::vector<int> idByRow;
    std::vector<int> sampleRow;  // a row of each distinct text
    bool many = false;           // past the limit: no ranks
  };

  void RankColumns(int col, int count) {
    const int last = std::min(col + count - 1, std::max(col, lastCol));
    std::vector<TDistinct> read;
    for (int c = col; c <= last; ++c) {
      std::unique_ptr<TColumn>& slot = columns[static_cast<std::size_t>(c)];
      if (slot) break;
      slot = std::make_unique<TColumn>();
      TColumn& column = *slot;
      column.keyable = g.KeyableColumn(c);
      if (!column.keyable) continue;
      column.style = g.sortSettings_->AutoFormat() ? ssAutomatic : ssAlphabetic;
      g.GetCellFormat(c, column.style, column.prefix, column.suffix);
      read.emplace_back().col = c;
      read.back().idByRow.resize(static_cast<std::size_t>(rows));
    }
    if (read.empty()) return;
    // Past the limit, runs would not repay ordering the distinct texts.
    const std::size_t limit = static_cast<std::size_t>(std::max(16, rows / 8));
    // A row's cells are fetched a few rows ahead, and a long text's
    // characters once its cell is at hand.
    constexpr int kCellAhead = 16, kTextAhead = 8;
    const int firstRead = read.front().col, lastRead = read.back().col;
    std::size_t reading = read.size();
    for (int i = 0; i < rows && reading > 0; ++i) {
      if (i + kCellAhead < rows) {
        __builtin_prefetch(&g.RawCells(firstRead, first + i + kCellAhead));
        __builtin_prefetch(&g.RawCells(lastRead, first + i + kCellAhead));
      }
      for (TDistinct& d : read) {
        if (d.many) continue;
        if (i + kTextAhead < rows) __builtin_prefetch(g.RawCells(d.col, first + i + kTextAhead).data());
        const auto [it, added] = d.ids.try_emplace(g.RawCells(d.col, first + i), static_cast<int>(d.sampleRow.size()));
        if (added) {
          if (d.sampleRow.size() == limit) {
            d.many = true;
            --reading;
            continue;
          }
          d.sampleRow.push_back(first + i);
        }
        d.idByRow[static_cast<std::size_t>(i)] = it->second;
      }
    }
    for (TDistinct& d : read) RankDistinct(d);
  }

  void RankDistinct(TDistinct& d) {
    const int col = d.col;
    TColumn& column = *columns[static_cast<std::size_t>(col)];
    if (d.many) {
      column.kindByRow.assign(static_cast<std::size_t>(rows), tkUnknown);
      column.valueByRow.assign(static_cast<std::size_t>(rows), 0);
      return;
    }
    const std::vector<int>& sampleRow = d.sampleRow;
    column.idByRow = std::move(d.idByRow);
    column.kindById.resize(sampleRow.size());
    column.valueById.resize(sampleRow.size());
    bool bytes = false, numbers = false, others = false;
    int empty = -1;
    for (std::size_t k = 0; k < sampleRow.size(); ++k) {
      column.kindById[k] = KindOf(column, g.RawCells(col, sampleRow[k]), column.valueById[k]);
      bytes |= column.kindById[k] == tkBytes;
      numbers |= column.kindById[k] == tkNumber;
      others |= column.kindById[k] == tkOther;
      if (column.kindById[k] == tkEmpty) empty = static_cast<int>(k);
    }
    if (others || (bytes && numbers)) return;  // the runs' own check decides

    // The texts in sort order, by the comparison the partition sort makes,
    // consistent among texts of one kind. "" among bytes is bytes; among
    // numbers it goes after exactly the texts that go before it whichever
    // comes first in the comparison (only numbers above 0 may share a run
    // with it, unless blanks are placed).
    auto sample = [&](int k) { return sampleRow[static_cast<std::size_t>(k)]; };
    std::vector<int> byOrder;
    for (int k = 0; k < static_cast<int>(sampleRow.size()); ++k)
      if (k != empty || !numbers) byOrder.push_back(k);
    std::stable_sort(byOrder.begin(), byOrder.end(),
                     [&](int a, int b) { return Compare(col, sample(a), sample(b)) == before; });
    if (empty >= 0 && numbers) {
      const int e = sample(empty);
      const auto at = std::partition_point(byOrder.begin(), byOrder.end(), [&](int k) {
        return Compare(col, sample(k), e) == before && Compare(col, e, sample(k)) == -before;
      });
      byOrder.insert(at, empty);
    }
    column.rankById.resize(sampleRow.size());
    int rank = -1;
    for (std::size_t k = 0; k < byOrder.size(); ++k) {
      const int a = k ? sample(byOrder[k - 1]) : -1, b = sample(byOrder[k]);
      if (k == 0 || Compare(col, a, b) != 0 || Compare(col, b, a) != 0) ++rank;
      column.rankById[static_cast<std::size_t>(byOrder[k])] = rank;
    }
    column.rankCount = rank + 1;
  }

  TTextKind RowKind(int col, TColumn& column, int row, double& value) {
    const std::size_t i = static_cast<std::size_t>(row - first);
    if (!column.idByRow.empty()) {
      const std::size_t id = static_cast<std::size_t>(column.idByRow[i]);
      value = column.valueById[id];
      return column.kindById[id];
    }
    if (column.kindByRow[i] == tkUnknown) column.kindByRow[i] = KindOf(column, g.RawCells(col, row), column.valueByRow[i]);
    value = column.valueByRow[i];
    return column.kindByRow[i];
  }

  // How column col compares the rows of order[lo, hi): by their bytes
  // (rkBytes), by their numbers (rkNumbers), or not without contradicting
  // itself (rkMixed: texts of different kinds, or in the grouped column ""
  // among numbers where "" against a number and the number against ""
  // disagree). In a column that only breaks ties, such a "" counts as a
  // number: either order answers the comparison, and the column's ranks
  // give "" the place its own comparison asks for, so that a run of a large
  // catalogue is not left to a comparison sort for one empty cell. The
  // grouped column keeps the partition sort's groups there.
  enum TRangeKind { rkMixed, rkBytes, rkNumbers };
  TRangeKind RangeKind(int col, int lo, int hi, bool grouped = false) {
    TColumn& column = Column(col);
    if (!column.keyable) return rkMixed;
    bool empty = false, bytes = false, numbers = false, notAbove0 = false;
    for (int i = lo; i < hi; ++i) {
      double value = 0;
      switch (RowKind(col, column, order[static_cast<std::size_t>(i)], value)) {
        case tkEmpty: empty = true; break;
        case tkBytes: bytes = true; break;
        case tkNumber:
          numbers = true;
          notAbove0 |= !(value > 0);
          break;
        default:
          return rkMixed;
      }
    }
    if (bytes && numbers) return rkMixed;
    if (!numbers) return rkBytes;
    return grouped && empty && notAbove0 && !blanksPlaced ? rkMixed : rkNumbers;
  }
  bool GroupedConsistent(int col, int rows) { return RangeKind(col, 0, rows, true) != rkMixed; }

  // ----------------------------------------------------------- ordering

  // order[lo, hi) tie on the columns before col; orders them from col on.
  // Rows that tie in every column keep their order, and so do those of a
  // range whose comparisons contradict each other as far as a comparison
  // sort of them leaves them.
  void OrderRange(int lo, int hi, int col) {
    if (hi - lo < 2 || col > lastCol) return;
    const TColumn& column = Column(col);
    const TRangeKind kind = RangeKind(col, lo, hi);
    if (kind != rkMixed && column.rankCount > 0) {
      if (hi - lo >= kSmallRange && column.rankCount <= hi - lo) {
        OrderByRanks(lo, hi, col, column);
      } else {
        OrderBySortedRanks(lo, hi, col, column);
      }
      return;
    }
    if (kind == rkBytes) {
      OrderByTexts(lo, hi, col);
      return;
    }
    auto compareFrom = [&](int row1, int row2) {
      for (int c = col;; ++c) {
        const int result = Compare(c, row1, row2);
        if (result != 0 || c >= lastCol) return result;
      }
    };
    SortUnlessOrdered(order.begin() + lo, order.begin() + hi,
                      [&](int a, int b) { return compareFrom(a, b) == before; });
  }

  // A stable sort that leaves a range already in order as it is, in one
  // pass: grouping again after ungrouping finds every run in order.
  template <class It, class Less>
  static void SortUnlessOrdered(It begin, It end, Less less) {
    if (!std::is_sorted(begin, end, less)) std::stable_sort(begin, end, less);
  }

  int RankOf(const TColumn& column, int row) const {
    return column.rankById[static_cast<std::size_t>(column.idByRow[static_cast<std::size_t>(row - first)])];
  }

  // One counting pass places the range's rows in runs of one rank, each
  // run then ordered on the next column.
  void OrderByRanks(int lo, int hi, int col, const TColumn& column) {
    auto rankOf = [&](int row) { return RankOf(column, row); };
    std::vector<int> starts(static_cast<std::size_t>(column.rankCount) + 1, 0);
    for (int i = lo; i < hi; ++i) ++starts[static_cast<std::size_t>(rankOf(order[static_cast<std::size_t>(i)])) + 1];
    for (std::size_t k = 1; k < starts.size(); ++k) starts[k] += starts[k - 1];
    std::vector<int> placed(static_cast<std::size_t>(hi - lo));
    std::vector<int> next(starts.begin(), starts.end() - 1);
    for (int i = lo; i < hi; ++i) {
      const int row = order[static_cast<std::size_t>(i)];
      placed[static_cast<std::size_t>(next[static_cast<std::size_t>(rankOf(row))]++)] = row;
    }
    std::copy(placed.begin(), placed.end(), order.begin() + lo);
    for (std::size_t k = 0; k + 1 < starts.size(); ++k)
      OrderRange(lo + starts[k], lo + starts[k + 1], col + 1);
  }

  // A short range, or one with fewer rows than the column has ranks: the
  // rows' ranks side by side, sorted, then each run of one rank ordered on
  // the next column.
  void OrderBySortedRanks(int lo, int hi, int col, const TColumn& column) {
    std::vector<std::pair<int, int>> ranked;  // rank, row
    ranked.reserve(static_cast<std::size_t>(hi - lo));
    for (int i = lo; i < hi; ++i) {
      const int row = order[static_cast<std::size_t>(i)];
      ranked.emplace_back(RankOf(column, row), row);
    }
    SortUnlessOrdered(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    OrderRunsOf(ranked, lo, col);
  }

  // A column of too many distinct texts for ranks, compared by bytes: the
  // rows' texts side by side, sorted as CompareCells compares them, then
  // each run of one text ordered on the next column.
  void OrderByTexts(int lo, int hi, int col) {
    std::vector<std::pair<std::string_view, int>> texts;  // text, row
    texts.reserve(static_cast<std::size_t>(hi - lo));
    for (int i = lo; i < hi; ++i) {
      const int row = order[static_cast<std::size_t>(i)];
      texts.emplace_back(g.RawCells(col, row), row);
    }
    const TSortBlankPosition blankPos = g.sortSettings_->BlankPos();
    auto compare = [&](std::string_view a, std::string_view b) {
      const int c = a.compare(b);
      const int result = c < 0 ? -1 : (c > 0 ? 1 : 0);
      return blanksPlaced ? PlaceBlanks(result, a.empty(), b.empty(), direction, blankPos) : result;
    };
    SortUnlessOrdered(texts.begin(), texts.end(),
                      [&](const auto& a, const auto& b) { return compare(a.first, b.first) == before; });
    OrderRunsOf(texts, lo, col);
  }

  // The rows of sorted (key, row) pairs go to order from lo on; each run of
  // one key is then ordered on the next column.
  template <class Key>
  void OrderRunsOf(const std::vector<std::pair<Key, int>>& sorted, int lo, int col) {
    const std::size_t count = sorted.size();
    for (std::size_t i = 0; i < count; ++i) order[static_cast<std::size_t>(lo) + i] = sorted[i].second;
    for (std::size_t start = 0; start < count;) {
      std::size_t end = start + 1;
      while (end < count && sorted[end].first == sorted[start].first) ++end;
      OrderRange(lo + static_cast<int>(start), lo + static_cast<int>(end), col + 1);
      start = end;
    }
  }

  void MoveRows() { g.PlaceRows(first, order); }

  TExStringGrid& g;
  const int first;
  const int rows;
  const TSortDirection direction;
  const int before;         // CompareCells' answer when the first row goes first
  const bool blanksPlaced;  // IgnoreBlanks: an empty text goes first or last against any other
  const int lastCol;        // the last column ties reach (-1: ties stay ties)
  std::vector<std::unique_ptr<TColumn>> columns;
  std::vector<int> order;  // the rows, in sort order once ordered
};

// ------------------------------------------------------------- moving the rows

void TExStringGrid::PlaceRows(int first, const std::vector<int>& order) {
  // Each row goes to its place with one swap at most; the swaps keep the
  // unsorted order, the cursor's row and the row marks in step.
  const int rows = static_cast<int>(order.size());
  std::vector<int> at(static_cast<std::size_t>(rows));     // where each row now stands
  std::vector<int> holds(static_cast<std::size_t>(rows));  // which row stands at each place
  for (int i = 0; i < rows; ++i) at[static_cast<std::size_t>(i)] = holds[static_cast<std::size_t>(i)] = i;
  for (int i = 0; i < rows; ++i) {
    const int wanted = order[static_cast<std::size_t>(i)] - first;
    const int from = at[static_cast<std::size_t>(wanted)];
    if (from == i) continue;
    SwapRows(first + i, first + from);
    const int displaced = holds[static_cast<std::size_t>(i)];
    holds[static_cast<std::size_t>(from)] = displaced;
    at[static_cast<std::size_t>(displaced)] = from;
    holds[static_cast<std::size_t>(i)] = wanted;
    at[static_cast<std::size_t>(wanted)] = i;
  }
}

void TExStringGrid::GatherEqualTexts(int col, int firstRow, int lastRow) {
  const int rows = lastRow - firstRow + 1;
  if (rows < 3) return;
  std::vector<AnsiString> texts;
  texts.reserve(static_cast<std::size_t>(rows));
  for (int r = firstRow; r <= lastRow; ++r) texts.push_back(Cells(col, r));
  // Mostly every text stands together already: nothing moves then.
  std::unordered_set<std::string_view> passed;
  bool scattered = false;
  for (std::size_t i = 1; i < texts.size() && !scattered; ++i)
    if (texts[i] != texts[i - 1]) {
      passed.insert(texts[i - 1]);
      scattered = passed.contains(texts[i]);
    }
  if (!scattered) return;
  // Each text's rows go where its first row stands, in the order they have.
  std::unordered_map<std::string_view, int> groupOf;
  std::vector<int> group(texts.size()), starts;
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const auto [it, added] = groupOf.try_emplace(texts[i], static_cast<int>(starts.size()));
    if (added) starts.push_back(0);
    group[i] = it->second;
    ++starts[static_cast<std::size_t>(it->second)];
  }
  for (int sum = 0; int& start : starts) sum += std::exchange(start, sum);
  std::vector<int> order(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i)
    order[static_cast<std::size_t>(starts[static_cast<std::size_t>(group[i])]++)] = firstRow + static_cast<int>(i);
  PlaceRows(firstRow, order);
}

// ------------------------------------------------------------- entry point

bool TExStringGrid::SortByValueRuns(int col, int firstRow, int lastRow) {
  // Handlers may answer anything, and a single-column swap moves texts
  // rather than rows: those stay with the partition sort.
  if (OnCustomCompare || OnRawCompare || OnGetFormat || OnGetDisplText || OnGetDisplWideText ||
      sortSettings_->SingleColumn() || lastRow <= firstRow)
    return false;
  // No sort keys: the few comparisons of cells this sort makes would not
  // repay reading whole columns into keys.
  BuildSortKeys(-1);
  TValueRunSort sort(*this, firstRow, lastRow);
  sort.order.resize(static_cast<std::size_t>(lastRow - firstRow + 1));
  for (std::size_t i = 0; i < sort.order.size(); ++i) sort.order[i] = firstRow + static_cast<int>(i);
  const int rows = static_cast<int>(sort.order.size());
  const TValueRunSort::TColumn& grouped = sort.GroupedColumn(col);
  if (grouped.rankCount == 0 || !sort.GroupedConsistent(col, rows)) return false;
  sort.OrderByRanks(0, rows, col, grouped);
  sort.MoveRows();
  // Texts of one rank ("1999" and "1999.0") may interleave; a rank for each
  // text keeps each text's rows together already.
  if (grouped.rankCount < static_cast<int>(grouped.kindById.size())) GatherEqualTexts(col, firstRow, lastRow);
  return true;
}
