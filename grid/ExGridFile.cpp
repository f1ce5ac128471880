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
#include <atomic>
#include <cerrno>
#include <cstdint>

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
  io.NodeLevel = p.NodeLevel();
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
  for (int c = c1; c <= c2; ++c) sizes.push_back(grid.ColWidths(c));
  props.ColWidths = JoinSizeList(sizes);
  sizes.clear();
  for (int r = r1; r <= r2; ++r) sizes.push_back(grid.RowHeights(r));
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
  for (int r = r1; r <= r2; ++r) {
    for (int c = c1; c <= c2; ++c) {
      const AnsiString text = grid.GetCellText(c, r);
      const TCellProperties* cellProps = grid.FindCellProperties(c, r);
      // A partial block keeps its corner cell so that it lands where it was.
      const bool corner = !props.FullGrid && c == c1 && r == r1;
      if (text.empty() && !cellProps && !corner) continue;
      if (!cellProps) {
        writer.WriteCell(c, r, text, nullptr);
        continue;
      }
      extra.Properties = {};
      CollectProperties(*cellProps, extra.Properties);
      extra.Graphic = {};
      extra.Payload = {};
      extra.HasGraphic = cellProps->CellGraphic() && hooks.CollectGraphic &&
                         hooks.CollectGraphic(grid, c, r, *cellProps, extra.Graphic, extra.Payload);
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

// A name beside target (so that the final rename stays on one disk) that
// no other save uses at the same time.
AnsiString TemporaryNameFor(const AnsiString& target) {
  static std::atomic<unsigned> counter{0};
  const auto stamp = static_cast<Int64>(SystemNow() * 86400000.0) % 100000000;
  return target + ".~" + IntToStr(stamp) + "-" + IntToStr(static_cast<Int64>(++counter)) + ".tmp";
}

}  // namespace

void SaveGridFile(TExStringGrid& grid, const AnsiString& fileName,
                  const TGridProgressEvent& progress) {
  const AnsiString temporary = TemporaryNameFor(fileName);
  try {
    {
      TFileStream file(temporary, fmCreate);
      SaveGridStream(grid, file, progress);
    }
    if (!ReplaceFile(temporary, fileName))
      throw EFCreateError("Cannot create file \"" + fileName + "\". " + SysErrorMessage(errno));
  } catch (...) {
    DeleteFile(temporary);
    throw;
  }
}

// ------------------------------------------------------------------- reading

namespace {

[[noreturn]] void Refuse(const AnsiString& what) { throw EReadError("Invalid grid file: " + what); }

// The target of every cell of a partial stream, checked against the grid
// before anything is written. Targets are real cells, hidden columns included.
void CheckTargets(const TExStringGrid& grid, const TGridFile& file, TPoint origin) {
  const int cols = grid.RealColCount();
  const int rows = grid.RowCount();
  for (const TGridFileCell& c : file.Cells) {
    const Int64 tc = Int64{c.Col} + origin.X - file.FirstCol;
    const Int64 tr = Int64{c.Row} + origin.Y - file.FirstRow;
    if (tc < 0 || tr < 0 || tc >= cols || tr >= rows)
      Refuse("cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) + ") would land at (" +
             IntToStr(tc) + ", " + IntToStr(tr) + "), outside the grid");
    if (c.Extra) {
      const AnsiString err = CheckCellSpan(c.Extra->Properties, tc, tr, cols, rows);
      if (!err.empty())
        Refuse("cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) + "): " + err);
    }
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
  p.SetNodeLevel(io.NodeLevel);
  p.SetControl(nullptr);
}

}  // namespace

void ReadCellsFromStream(TExStringGrid& grid, TPoint origin, TStream& stream) {
  TGridFile file = ParseGridStream(stream);
  ApplyGridFile(grid, origin, file);
}

void ApplyGridFile(TExStringGrid& grid, TPoint origin, TGridFile& file) {
  const bool full = file.Props.FullGrid;
  // A whole grid is placed at origin; its own size decides the targets.
  if (!full) CheckTargets(grid, file, origin);
  const int dx = origin.X - (full ? 0 : file.FirstCol);
  const int dy = origin.Y - (full ? 0 : file.FirstRow);

  TGridFileHooks& hooks = GridFileHooks();
  const bool any = !file.Cells.empty();
  grid.BeginUpdate();
  try {
    if (full) {
      if (hooks.ResetForFullLoad) hooks.ResetForFullLoad(grid);
      grid.ClearAll();
      grid.SetRowCount(file.Props.RowCount + origin.Y);
      grid.SetColCount(file.Props.ColCount + origin.X);
      for (int c = 0; c < file.Props.ColCount; ++c)
        grid.SetColWidths(c + origin.X, file.ColWidthList[static_cast<size_t>(c)]);
      for (int r = 0; r < file.Props.RowCount; ++r)
        grid.SetRowHeights(r + origin.Y, file.RowHeightList[static_cast<size_t>(r)]);
      file.ColWidthList = {};
      file.RowHeightList = {};
    }
    // Each applied cell leaves the model at once: a large catalogue is not
    // held twice.
    for (; !file.Cells.empty(); file.Cells.pop_front()) {
      TGridFileCell& cell = file.Cells.front();
      const int col = cell.Col + dx;
      const int row = cell.Row + dy;
      // A covered cell was written with its base cell's text, which the base
      // cell brings itself; stored here too it would turn up in every cell
      // of the span once the span is split.
      const bool covered = cell.Extra && !cell.Extra->Properties.IsBaseCell;
      if (!covered) {
        if (grid.HasCellProperties(col, row))
          grid.SetCellText(col, row, cell.Text);
        else
          grid.SetRawCells(col, row, std::move(cell.Text));
      }
      if (!cell.Extra) continue;
      TGridFileCellExtra& x = *cell.Extra;
      ApplyProperties(*grid.CellPropertiesAt(col, row), x.Properties, col, row);
      if (x.HasGraphic && hooks.ApplyGraphic)
        hooks.ApplyGraphic(grid, col, row, x.Graphic, std::move(x.Payload));
    }
  } catch (...) {
    grid.EndUpdate();
    throw;
  }
  grid.EndUpdate();
  if (any || full)
    grid.CellsChanged(Rect(0, 0, grid.RealColCount() - 1, grid.RowCount() - 1));
}

void LoadGridStream(TExStringGrid& grid, TStream& stream) {
  ReadCellsFromStream(grid, Point(0, 0), stream);
  if (GridFileHooks().AfterLoad) GridFileHooks().AfterLoad(grid);
}

void LoadGridFile(TExStringGrid& grid, const AnsiString& fileName) {
  TGridFile file;
  {
    // The file's bytes go before the cells reach the grid.
    TMemoryStream bytes;
    bytes.LoadFromFile(fileName);
    file = ParseGridStream(bytes);
  }
  ApplyGridFile(grid, Point(0, 0), file);
  if (GridFileHooks().AfterLoad) GridFileHooks().AfterLoad(grid);
}

// ------------------------------------------------------------------- members

void TExStringGrid::SaveGridFile(const AnsiString& fileName) { ::SaveGridFile(*this, fileName, OnFileProgress); }

void TExStringGrid::LoadGridFile(const AnsiString& fileName) { ::LoadGridFile(*this, fileName); }

void TExStringGrid::SaveGridStream(TStream& stream) { ::SaveGridStream(*this, stream, OnFileProgress); }

void TExStringGrid::LoadGridStream(TStream& stream) { ::LoadGridStream(*this, stream); }

void TExStringGrid::WriteCellsToStream(int c1, int r1, int c2, int r2, TStream& stream) {
  ::WriteCellsToStream(*this, c1, r1, c2, r2, stream, OnFileProgress);
}

void TExStringGrid::ReadCellsFromStream(TPoint origin, TStream& stream) {
  ::ReadCellsFromStream(*this, origin, stream);
}
