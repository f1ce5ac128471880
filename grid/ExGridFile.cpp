// The string grid's file and stream: collecting a rectangle of cells into
// grid file images, applying a parsed stream to the grid all or nothing, and
// the safe file save. See the call tree at the end of GridFile.h.
//
// Sections:
//   Hooks ........ GridFileHooks
//   Writing ...... WriteCellsToStream, SaveGridStream, SaveGridFile
//   Reading ...... target checks, ReadCellsFromStream, LoadGridStream, LoadGridFile
//   Members ...... the same operations as methods of TExStringGrid
#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"

TGridFileHooks& GridFileHooks() {
  static TGridFileHooks hooks;
  return hooks;
}

// ------------------------------------------------------------------- writing

namespace {

void CollectProperties(const TCellProperties& p, TCellPropertiesIO& io) {
  io.IsBaseCell = p.IsBaseCell();
  io.CellSpanX = p.CellSpanX();
  io.CellSpanY = p.CellSpanY();
  io.OwnerCol = p.OwnerCol();
  io.OwnerRow = p.OwnerRow();
  io.Alignment = static_cast<Byte>(p.Alignment());
  io.BorderColor = p.BorderColor();
  io.BorderWidth = p.BorderWidth();
  io.BrushColor = p.BrushColor();
  io.BrushColorTo = p.BrushColorTo();
  io.BrushStyle = static_cast<Byte>(p.BrushStyle());
  io.FontColor = p.FontColor();
  io.FontName = p.FontName();
  io.FontSize = p.FontSize();
  Byte styles = 0;
  for (int s = fsBold; s <= fsStrikeOut; ++s)
    if (p.FontStyle().Contains(static_cast<TFontStyle>(s))) styles |= static_cast<Byte>(1u << s);
  io.FontStyle = styles;
  io.Editor = static_cast<Byte>(p.Editor());
  io.ReadOnly = p.ReadOnly();
  io.VAlignment = static_cast<Byte>(p.VAlignment());
  io.WordWrap = p.WordWrap();
}

// Rounded to the nearest integer, halves to even.
int ProgressPercent(int done, int total) {
  const Int64 num = Int64{done} * 100;
  const Int64 den = std::max(1, total);
  Int64 q = num / den;
  const Int64 twice = 2 * (num % den);
  if (twice > den || (twice == den && (q & 1))) ++q;
  return static_cast<int>(q);
}

// The window's handle, recorded for the file's sake only; readers ignore it.
int WindowId(TExStringGrid& grid) {
  if (!grid.HandleAllocated()) return 0;
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(grid.Handle()) & 0x7FFFFFFF);
}

}  // namespace

void WriteCellsToStream(TExStringGrid& grid, int c1, int r1, int c2, int r2, TStream& stream,
                        const TGridProgressEvent& progress) {
  if (c1 < 0 || r1 < 0 || c2 < c1 || r2 < r1)
    throw EWriteError("The grid cannot be saved: empty or negative rectangle");
  TGridPropIO props;
  props.ColCount = c2 - c1 + 1;
  props.RowCount = r2 - r1 + 1;
  std::vector<int> sizes;
  sizes.reserve(static_cast<size_t>(std::max(props.ColCount, props.RowCount)));
  // Bounded to what a reader takes, so that whatever is saved opens again.
  for (int c = c1; c <= c2; ++c) sizes.push_back(std::min(grid.ColWidths(c), kMaxCellExtent));
  props.ColWidths = JoinSizeList(sizes);
  sizes.clear();
  for (int r = r1; r <= r2; ++r) sizes.push_back(std::min(grid.RowHeights(r), kMaxCellExtent));
  props.RowHeights = JoinSizeList(sizes);
  if (grid.IncludeFixedInFiles())
    props.FullGrid = props.ColCount == grid.ColCount() && props.RowCount == grid.RowCount();
  else
    props.FullGrid = props.ColCount == grid.ColCount() - grid.FixedCols() &&
                     props.RowCount == grid.RowCount() - grid.FixedRows();
  props.ID = WindowId(grid);

  TGridStreamWriter writer(stream);
  writer.WriteProps(props);
  TGridFileHooks& hooks = GridFileHooks();
  TGridFileCellExtra extra;
  int lastProgress = -1;
  // Without display handlers a cell without properties shows its own text
  // (only a covered cell, which has properties, shows another's), so that
  // text is read where it is kept instead of being copied out.
  const bool storedIsShown = !grid.OnGetDisplText && !grid.OnGetDisplWideText;
  AnsiString shown;
  // A row's node level goes into the file with its column-0 cell's
  // properties, which a row inside a node then has even without any others.
  const TCellProperties plainProps(&grid, 0, 0);
  bool anyStored = false;
  for (int r = r1; r <= r2; ++r) {
    for (int c = c1; c <= c2; ++c) {
      const TCellProperties* cellProps = grid.FindCellProperties(c, r);
      // Column 0 carries the row's level; any other cell gives back the
      // level its file gave it.
      const int level = c == 0 ? grid.NodeLevelOf(r) : cellProps ? cellProps->StoredNodeLevel() : 0;
      if (!cellProps && level != 0) cellProps = &plainProps;
      std::string_view text;
      if (storedIsShown && !cellProps) {
        text = grid.RawCells(c, r);
      } else {
        shown = grid.GetCellText(c, r);
        text = shown;
      }
      // A partial block keeps its corner cell so that it lands where it was.
      const bool corner = !props.FullGrid && c == c1 && r == r1;
      // A whole grid that stores any cell ends with its last cell, empty or
      // not: a copy cut off between two cells then lacks that cell, and a
      // reader tells it from a grid whose last rows or columns are empty.
      const bool last = props.FullGrid && c == c2 && r == r2 && anyStored;
      if (text.empty() && !cellProps && !corner && !last) continue;
      anyStored = true;
      if (!cellProps) {
        writer.WriteCell(c, r, text, nullptr);
        continue;
      }
      extra.Properties = {};
      CollectProperties(*cellProps, extra.Properties);
      if (cellProps == &plainProps) {
        extra.Properties.OwnerCol = c;
        extra.Properties.OwnerRow = r;
      }
      extra.Properties.NodeLevel = level;
      if (props.FullGrid && !CheckCellSpan(extra.Properties, c, r, props.ColCount, props.RowCount).empty()) {
        // A span that lines exchanged behind the grid's back have torn
        // would make the whole file unreadable: the cell goes in on its own.
        extra.Properties.IsBaseCell = true;
        extra.Properties.CellSpanX = plainProps.CellSpanX();
        extra.Properties.CellSpanY = plainProps.CellSpanY();
        text = grid.RawCells(c, r);
      }
      extra.Graphic = {};
      extra.Payload = {};
      extra.HasGraphic = cellProps->CellGraphic() && hooks.CollectGraphic &&
                         hooks.CollectGraphic(grid, c, r, *cellProps, extra.Graphic, extra.Payload);
      // The file stores no graphic for an empty cell type, and a payload
      // graphic only when the grid created its payload.
      const Byte type = extra.Graphic.CellType;
      if (type == gfEmpty || (CellTypeHasPayload(type) && !extra.Graphic.CellCreated))
        extra.HasGraphic = false;
      writer.WriteCell(c, r, text, &extra);
    }
    if (progress) {
      const int percent = ProgressPercent(r - r1, r2 - r1);
      if (percent != lastProgress) {
        lastProgress = percent;
        progress(&grid, percent);
      }
    }
  }
  writer.Flush();
}

void SaveGridStream(TExStringGrid& grid, TStream& stream, const TGridProgressEvent& progress) {
  auto write = [&] {
    const int c1 = grid.IncludeFixedInFiles() ? 0 : grid.FixedCols();
    const int r1 = grid.IncludeFixedInFiles() ? 0 : grid.FixedRows();
    WriteCellsToStream(grid, c1, r1, grid.ColCount() - 1, grid.RowCount() - 1, stream, progress);
  };
  if (GridFileHooks().ForFullSave)
    GridFileHooks().ForFullSave(grid, write);
  else
    write();
}

namespace {

// The longest ".~" stamp "-" count ".tmp": 2 + 8 + 1 + 10 + 4 bytes.
constexpr size_t kSaveSuffix = 25;

// A name beside target (so that the final rename stays on one disk) that
// no other save uses at the same time: target ".~" stamp "-" count ".tmp",
// target's name shortened as TemporaryNameBase says when it is long.
AnsiString TemporaryNameFor(const AnsiString& target) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = static_cast<Int64>(SystemNow() * 86400000.0) % 100000000;
  const AnsiString base = Utf8ToCp949(TemporaryNameBase(Cp949ToUtf8(ExtractFileName(target)), kSaveSuffix));
  return ExtractFilePath(target) + base + ".~" + IntToStr(stamp) + "-" + IntToStr(static_cast<Int64>(++counter)) +
         ".tmp";
}

// Digits as IntToStr writes a number that is not negative: no leading zero.
bool IsNumberText(std::string_view s) {
  return !s.empty() && (s.size() == 1 || s[0] != '0') &&
         std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Whether name (on disk) is one that TemporaryNameFor gives for target.
bool IsSaveTemporaryNameFor(std::string_view name, std::string_view target) {
  const std::string base = TemporaryNameBase(Cp949ToUtf8(ExtractFileName(AnsiString(target))), kSaveSuffix);
  constexpr std::string_view kStart = ".~", kEnd = ".tmp";
  if (base.empty() || name.size() <= base.size() + kStart.size() + kEnd.size() || !name.starts_with(base) ||
      name.substr(base.size(), kStart.size()) != kStart || !name.ends_with(kEnd))
    return false;
  const std::string_view stampAndCount =
      name.substr(base.size() + kStart.size(), name.size() - base.size() - kStart.size() - kEnd.size());
  const size_t dash = stampAndCount.find('-');
  return dash != std::string_view::npos && IsNumberText(stampAndCount.substr(0, dash)) &&
         IsNumberText(stampAndCount.substr(dash + 1));
}

// The temporary file takes the owner and permissions of the file it will
// replace, before any byte goes into it: a catalogue only its owner may read
// stays so, and no one else reads it while it is written.
void TakeOwnerAndMode(int handle, const AnsiString& target) {
  struct stat st;
  if (::stat(SysFileName(target).c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  // Only the superuser may give a file away; for others the file stays the
  // saving user's, as a file they make is.
  if (::fchown(handle, st.st_uid, st.st_gid) != 0 && errno != EPERM) return;
  ::fchmod(handle, st.st_mode & 07777);
}

// A file whose bytes start on their way to the disk every few megabytes
// while the rest is still being made, so that the sync before the file
// replaces the old one has little left to wait for.
class TWritebackFileStream : public TFileStream {
 public:
  using TFileStream::TFileStream;
  Int64 Write(const void* buffer, Int64 count) override {
    const Int64 written = TFileStream::Write(buffer, count);
    if (written > 0) end_ += written;
    constexpr Int64 kStep = Int64{8} << 20;
    if (end_ - started_ >= kStep) {
      sync_file_range(Handle(), started_, end_ - started_, SYNC_FILE_RANGE_WRITE);
      started_ = end_;
    }
    return written;
  }

 private:
  Int64 started_ = 0;
  Int64 end_ = 0;
};

}  // namespace

void SaveGridFile(TExStringGrid& grid, const AnsiString& fileName, const TGridProgressEvent& progress,
                  const std::function<void()>& beforeReplace) {
  // Through a symbolic link the file it leads to is replaced, not the link.
  const AnsiString target = FileLinkTarget(fileName);
  // Files of saves that were killed are as large as the catalogue and
  // nothing else ever removes them; only names this save would give go.
  DeleteStaleTemporaryFiles(ExtractFilePath(target),
                            [&target](std::string_view name) { return IsSaveTemporaryNameFor(name, target); });
  const AnsiString temporary = TemporaryNameFor(target);
  try {
    {
      TWritebackFileStream file(temporary, fmCreate);
      TakeOwnerAndMode(file.Handle(), target);
      SaveGridStream(grid, file, progress);
      // A disk that runs full may only say so when the bytes go out.
      if (::fsync(file.Handle()) != 0) {
        const int error = errno;
        throw EWriteError("Stream write error", error);
      }
    }
    if (beforeReplace) beforeReplace();
    if (!ReplaceFile(temporary, target)) {
      const int error = errno;
      throw EFCreateError("Cannot create file \"" + target + "\". " + SysErrorMessage(error), error);
    }
  } catch (...) {
    DeleteFile(temporary);
    throw;
  }
}

// ------------------------------------------------------------------- reading

namespace {

[[noreturn]] void Refuse(const AnsiString& what) { throw EReadError("Invalid grid file: " + what); }

// The target of a cell of a partial stream, checked against the grid before
// anything is written. Targets are real cells, hidden columns included.
void CheckTarget(int col, int row, const TGridFileCellExtra* extra, const TGridFileHeader& file,
                 TPoint origin, int cols, int rows) {
  const Int64 tc = Int64{col} + origin.X - file.FirstCol;
  const Int64 tr = Int64{row} + origin.Y - file.FirstRow;
  if (tc < 0 || tr < 0 || tc >= cols || tr >= rows)
    Refuse("cell (" + IntToStr(col) + ", " + IntToStr(row) + ") would land at (" + IntToStr(tc) +
           ", " + IntToStr(tr) + "), outside the grid");
  if (extra) {
    const AnsiString err = CheckCellSpan(extra->Properties, tc, tr, cols, rows);
    if (!err.empty()) Refuse("cell (" + IntToStr(col) + ", " + IntToStr(row) + "): " + err);
  }
}

void ApplyProperties(TCellProperties& p, const TCellPropertiesIO& io, int col, int row) {
  p.SetIsBaseCell(io.IsBaseCell);
  p.SetCellSpanX(io.CellSpanX);
  p.SetCellSpanY(io.CellSpanY);
  // The cell the properties now belong to, whatever cell wrote them: a
  // pasted block repaints its own cells.
  p.SetOwnerRow(row);
  p.SetOwnerCol(col);
  p.SetAlignment(static_cast<TAlignment>(io.Alignment));
  p.SetBorderColor(io.BorderColor);
  p.SetBorderWidth(io.BorderWidth);
  p.SetBrushColor(io.BrushColor);
  p.SetBrushColorTo(io.BrushColorTo);
  p.SetBrushStyle(static_cast<TBrushStyle>(io.BrushStyle));
  p.SetFontColor(io.FontColor);
  p.SetFontStyle(TFontStyles::FromBits(io.FontStyle));
  p.SetFontName(io.FontName);
  p.SetFontSize(io.FontSize);
  p.SetReadOnly(io.ReadOnly);
  p.SetEditor(static_cast<TEditorType>(io.Editor));
  p.SetVAlignment(static_cast<TVAlignment>(io.VAlignment));
  p.SetWordWrap(io.WordWrap);
  // Column 0's level is the row's (kept as the row's tag); others are kept
  // with the cell only to be written back.
  p.SetStoredNodeLevel(col == 0 ? 0 : io.NodeLevel);
  p.SetControl(nullptr);
}

// Properties as a cell without any has them, whatever cell and level they name.
bool IsPlainLevelCarrier(const TCellPropertiesIO& io) {
  static const TCellPropertiesIO plain = [] {
    TCellPropertiesIO p;
    CollectProperties(TCellProperties(nullptr, 0, 0), p);
    return p;
  }();
  TCellPropertiesIO other = io;
  other.OwnerCol = plain.OwnerCol;
  other.OwnerRow = plain.OwnerRow;
  other.NodeLevel = plain.NodeLevel;
  return other == plain;
}

// Puts one stored cell at (col, row); text() gives its text, moved in.
// mayHaveProps false: the cell is known to hold no properties.
template <class Text>
void ApplyCell(TExStringGrid& grid, TGridFileHooks& hooks, int col, int row, Text text,
               TGridFileCellExtra* x, bool mayHaveProps) {
  // A covered cell was written with its base cell's text, which the base
  // cell brings itself; stored here too it would turn up in every cell of
  // the span once the span is split.
  const bool covered = x && !x->Properties.IsBaseCell;
  if (!covered) {
    if (mayHaveProps && grid.HasCellProperties(col, row))
      grid.SetCellText(col, row, text());
    else
      grid.SetRawCells(col, row, text());
  }
  if (!x) return;
  // The file keeps a row's node level with its column-0 cell; properties
  // written only to carry it make no property object here.
  if (col == 0) {
    grid.SetRowTag(row, x->Properties.NodeLevel);
    if (x->Properties.NodeLevel != 0 && !x->HasGraphic && !grid.HasCellProperties(col, row) &&
        IsPlainLevelCarrier(x->Properties))
      return;
  }
  ApplyProperties(*grid.CellPropertiesAt(col, row), x->Properties, col, row);
  if (x->HasGraphic && hooks.ApplyGraphic)
    hooks.ApplyGraphic(grid, col, row, x->Graphic, std::move(x->Payload));
}

// Lays the rows' records out in the order of their memory, row 0 lowest, when
// they are not: a catalogue that was grouped, sorted or edited has its rows'
// records all over memory, and a whole load that fills them in row order
// then waits on memory for every row. The records are empty (the grid was
// just cleared); each row keeps its tag, and a grid with any object slot
// still set keeps its records where they are.
void OrderRowRecords(TExStringGrid& grid) {
  const int rows = grid.RowCount();
  for (int r = 0; r < rows; ++r)
    if (grid.RowHasObjects(r)) return;
  std::vector<TStringGrid::TRowCells> records;
  records.reserve(static_cast<size_t>(rows));
  const auto address = [](const TStringGrid::TRowCells& record) {
    return record.Texts.empty() ? UINTPTR_MAX : reinterpret_cast<std::uintptr_t>(record.Texts.data());
  };
  std::vector<int> tags(static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    tags[static_cast<size_t>(r)] = grid.RowTag(r);
    records.push_back(grid.ExtractRow(r));
  }
  if (!std::is_sorted(records.begin(), records.end(),
                      [&](const auto& a, const auto& b) { return address(a) < address(b); }))
    std::stable_sort(records.begin(), records.end(),
                     [&](const auto& a, const auto& b) { return address(a) < address(b); });
  for (int r = 0; r < rows; ++r) {
    TStringGrid::TRowCells& record = records[static_cast<size_t>(r)];
    record.Tag = tags[static_cast<size_t>(r)];
    grid.InsertRowData(r, std::move(record));
  }
}

// Changes the grid for a validated stream: for a whole grid the reset, the
// size and the sizes of its rows and columns, then the cells, which
// forEachCell hands to its argument: apply(col, row, text, extra) with the
// stored position.
template <class ForEachCell>
void ApplyValidated(TExStringGrid& grid, TPoint origin, TGridFileHeader& file, bool any,
                    ForEachCell forEachCell) {
  const bool full = file.Props.FullGrid;
  // A whole grid is placed at origin; its own size decides the targets.
  const int dx = origin.X - (full ? 0 : file.FirstCol);
  const int dy = origin.Y - (full ? 0 : file.FirstRow);
  TGridFileHooks& hooks = GridFileHooks();
  grid.BeginUpdate();
  try {
    if (full) {
      if (hooks.ResetForFullLoad) hooks.ResetForFullLoad(grid);
      grid.ClearAll();
      OrderRowRecords(grid);
      grid.SetRowCount(file.Props.RowCount + origin.Y);
      grid.SetColCount(file.Props.ColCount + origin.X);
      for (int c = 0; c < file.Props.ColCount; ++c)
        grid.SetColWidths(c + origin.X, file.ColWidthList[static_cast<size_t>(c)]);
      for (int r = 0; r < file.Props.RowCount; ++r)
        grid.SetRowHeights(r + origin.Y, file.RowHeightList[static_cast<size_t>(r)]);
      file.ColWidthList = {};
      file.RowHeightList = {};
    }
    // Properties live in the cells' object slots: a row that holds none
    // (every row of a catalogue just cleared) needs no look at each cell
    // until a stored cell brings some.
    int slotsRow = -1;
    bool rowHasSlots = true;
    forEachCell([&](int col, int row, auto text, TGridFileCellExtra* extra) {
      const int c = col + dx;
      const int r = row + dy;
      if (r != slotsRow) {
        slotsRow = r;
        rowHasSlots = grid.RowHasObjects(r);
      }
      ApplyCell(grid, hooks, c, r, text, extra, rowHasSlots || c >= grid.ColCount());
      if (extra) rowHasSlots = true;
    });
  } catch (...) {
    grid.EndUpdate();
    throw;
  }
  grid.EndUpdate();
  if (any || full) grid.CellsChanged(Rect(0, 0, grid.RealColCount() - 1, grid.RowCount() - 1));
}

// Raised by the second pass over a file whose bytes are no longer those the
// first pass checked (another program wrote to it in between).
struct TGridFileChanged {};

// The stream's bytes, validated whole in a first pass over the window
// (nothing of the grid changes when it fails) and applied straight from the
// bytes in a second. rewind, when set, brings the window back to the start
// between the two and raises TGridFileChanged when the bytes may differ;
// a failure to read in the second pass then raises it too.
void ApplyGridWindow(TExStringGrid& grid, TPoint origin, TGridByteWindow& window,
                     const std::function<void()>& rewind, const TGridFileCheck& check = {}) {
  TGridFileHeader file;
  const int cols = grid.RealColCount();
  const int rows = grid.RowCount();
  bool any = false;
  WalkGridWindow(window, file, [&](const TGridCellView& c) {
    any = true;
    if (!file.Props.FullGrid) CheckTarget(c.Col, c.Row, c.Extra, file, origin, cols, rows);
  });
  if (check) check(file);
  if (rewind) rewind();
  ApplyValidated(grid, origin, file, any, [&](const auto& apply) {
    TGridFileHeader again;
    bool applying = false;
    bool sameHeader = false;
    try {
      WalkGridWindow(window, again, [&](const TGridCellView& c) {
        if (!sameHeader) {
          const TGridPropIO& a = file.Props;
          const TGridPropIO& b = again.Props;
          sameHeader = a.ColCount == b.ColCount && a.RowCount == b.RowCount && a.FullGrid == b.FullGrid &&
                       a.ColWidths == b.ColWidths && a.RowHeights == b.RowHeights &&
                       again.FirstCol == file.FirstCol && again.FirstRow == file.FirstRow;
          if (!sameHeader) throw EReadError("Invalid grid file: changed while it was read");
        }
        applying = true;
        apply(c.Col, c.Row, [&c] { return c.TakeText(); }, c.Extra);
        applying = false;
      });
    } catch (const EReadError&) {
      if (applying || !rewind) throw;
      throw TGridFileChanged{};
    }
  });
}

void ApplyGridBytes(TExStringGrid& grid, TPoint origin, const char* data, size_t size,
                    const TGridFileCheck& check = {}) {
  TWholeGridBytes window(data, size);
  ApplyGridWindow(grid, origin, window, {}, check);
}

// A file read through a window of a few megabytes, larger only for a cell
// that needs more: a load reads it twice (checking, then applying) without
// ever holding it whole, so that the memory it fills is the grid's alone.
class TGridFileWindow : public TGridByteWindow {
 public:
  explicit TGridFileWindow(const AnsiString& fileName) : file_(fileName, fmOpenRead | fmShareDenyWrite) {
    Total = file_.Size();
    stamp_ = Stamp();
    More(0, 0);
  }
  // Back to the start for the second pass; TGridFileChanged when the file
  // was written to since it was opened.
  void Rewind() {
    checkStamp_ = true;
    Base = 0;
    Size = 0;
    More(0, 0);
  }
  void More(Int64 from, size_t need) override {
    if (checkStamp_ && Stamp() != stamp_) throw TGridFileChanged{};
    const Int64 held = Base + static_cast<Int64>(Size);
    const size_t keep = from >= Base && from < held ? static_cast<size_t>(held - from) : 0;
    const size_t left = static_cast<size_t>(std::max<Int64>(Total - from, 1));
    const size_t want = std::max({std::min(std::max(need, kWindowBytes), left), keep, size_t{1}});
    if (want > capacity_) {
      const size_t capacity = std::max(want, 2 * capacity_);
      std::unique_ptr<char[]> bigger(new char[capacity]);
      if (keep) std::memcpy(bigger.get(), Data + (from - Base), keep);
      buffer_ = std::move(bigger);
      capacity_ = capacity;
    } else if (keep) {
      std::memmove(buffer_.get(), Data + (from - Base), keep);
    }
    Data = buffer_.get();
    Base = from;
    Size = keep;
    const Int64 end = std::min(Total, from + static_cast<Int64>(capacity_));
    while (Base + static_cast<Int64>(Size) < end) {
      file_.Seek(Base + static_cast<Int64>(Size), soBeginning);
      const Int64 n = file_.Read(buffer_.get() + Size, end - Base - static_cast<Int64>(Size));
      if (n <= 0) {
        // Shorter than when it was opened: it ends here.
        Total = Base + static_cast<Int64>(Size);
        break;
      }
      Size += static_cast<size_t>(n);
    }
  }

 private:
  static constexpr size_t kWindowBytes = size_t{4} << 20;
  // What changes when the file is written to.
  std::array<Int64, 6> Stamp() const {
    struct stat st {};
    if (fstat(file_.Handle(), &st) != 0) return {};
    return {static_cast<Int64>(st.st_ino), static_cast<Int64>(st.st_size), st.st_mtim.tv_sec,
            st.st_mtim.tv_nsec, st.st_ctim.tv_sec, st.st_ctim.tv_nsec};
  }
  TFileStream file_;
  std::unique_ptr<char[]> buffer_;
  size_t capacity_ = 0;
  std::array<Int64, 6> stamp_{};
  bool checkStamp_ = false;
};

}  // namespace

void ReadCellsFromStream(TExStringGrid& grid, TPoint origin, TStream& stream) {
  const Int64 position = stream.Position();
  const Int64 size = stream.Size();
  const Int64 count = size > position ? size - position : 0;
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
    const char* base = static_cast<const char*>(memory->Memory());
    stream.SetPosition(size);
    ApplyGridBytes(grid, origin, base + position, static_cast<size_t>(count));
    return;
  }
  std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(count)]);
  stream.ReadBuffer(bytes.get(), count);
  ApplyGridBytes(grid, origin, bytes.get(), static_cast<size_t>(count));
}

void ApplyGridFile(TExStringGrid& grid, TPoint origin, TGridFile& file) {
  if (!file.Props.FullGrid) {
    const int cols = grid.RealColCount();
    const int rows = grid.RowCount();
    for (const TGridFileCell& c : file.Cells)
      CheckTarget(c.Col, c.Row, c.Extra.get(), file, origin, cols, rows);
  }
  ApplyValidated(grid, origin, file, !file.Cells.empty(), [&](const auto& apply) {
    // Each applied cell leaves the model at once: a large catalogue is not
    // held twice.
    for (; !file.Cells.empty(); file.Cells.pop_front()) {
      TGridFileCell& cell = file.Cells.front();
      apply(cell.Col, cell.Row, [&cell] { return std::move(cell.Text); }, cell.Extra.get());
    }
  });
}

void LoadGridStream(TExStringGrid& grid, TStream& stream) {
  ReadCellsFromStream(grid, Point(0, 0), stream);
  if (GridFileHooks().AfterLoad) GridFileHooks().AfterLoad(grid);
}

void LoadGridFile(TExStringGrid& grid, const AnsiString& fileName, const TGridFileCheck& check) {
  // Whether the grid took cells of the file: past that, a failure leaves it
  // holding part of it.
  bool applying = false;
  try {
    TGridFileWindow window(fileName);
    ApplyGridWindow(grid, Point(0, 0), window, [&] {
      window.Rewind();
      applying = true;
    }, check);
  } catch (const TGridFileChanged&) {
    // Written to while it was read: what it holds now is read whole and
    // checked again before it replaces what the grid got so far.
    try {
      TFileStream file(fileName, fmOpenRead | fmShareDenyWrite);
      const Int64 size = file.Size();
      std::unique_ptr<char[]> bytes(new char[static_cast<size_t>(std::max<Int64>(size, 1))]);
      file.ReadBuffer(bytes.get(), size);
      ApplyGridBytes(grid, Point(0, 0), bytes.get(), static_cast<size_t>(size), check);
    } catch (const Exception& e) {
      if (applying) throw EGridFileTorn(e.Message());
      throw;
    }
  }
  if (GridFileHooks().AfterLoad) GridFileHooks().AfterLoad(grid);
}

// ------------------------------------------------------------------- members

void TExStringGrid::SaveGridFile(const AnsiString& fileName, const std::function<void()>& beforeReplace) {
  ::SaveGridFile(*this, fileName, OnFileProgress, beforeReplace);
}

void TExStringGrid::LoadGridFile(const AnsiString& fileName) { ::LoadGridFile(*this, fileName); }

void TExStringGrid::LoadGridFile(const AnsiString& fileName, const TGridFileCheck& check) {
  ::LoadGridFile(*this, fileName, check);
}

void TExStringGrid::SaveGridStream(TStream& stream) { ::SaveGridStream(*this, stream, OnFileProgress); }

void TExStringGrid::LoadGridStream(TStream& stream) { ::LoadGridStream(*this, stream); }

void TExStringGrid::WriteCellsToStream(int c1, int r1, int c2, int r2, TStream& stream) {
  ::WriteCellsToStream(*this, c1, r1, c2, r2, stream, OnFileProgress);
}

void TExStringGrid::ReadCellsFromStream(TPoint origin, TStream& stream) {
  ::ReadCellsFromStream(*this, origin, stream);
}
