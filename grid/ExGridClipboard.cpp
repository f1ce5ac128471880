// Copy, cut and paste of the string grid, and the smart fill of a selection.
//
// Sections:
//   Limits and cells .... GrowForTransfer, CanPasteCell, WriteClipboardCell
//   Copying ............. RectToClipboardText, CopyRectToClipboard, CopySelectionToClipboard
//   Cutting ............. CutSelectionToClipboard
//   Pasting ............. PasteFromClipboard, PasteCellStream, PasteTextIntoCells
//   Smart fill .......... PasteSelectionFromClipboard, SmartFill
//
// Call tree of the paste command:
//   PasteSelectionFromClipboard -> PasteFromClipboard (top-left of the selection)
//     -> PasteCellStream (all its cells pasteable, else the text below)
//     -> rich text of one cell -> PasteTextIntoCells -> GrowForTransfer -> WriteClipboardCell
//   -> SmartFill (one value / a series / the values in turn)
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "grid/ExGrid.h"
#include "grid/ExHtml.h"
#include "grid/GridFile.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/RichText.h"

// ------------------------------------------------------------ limits and cells

namespace {

// The window identifier the cell stream records, as its writer takes it.
int GridWindowId(TExStringGrid& grid) {
  if (!grid.HandleAllocated()) return 0;
  return static_cast<int>(reinterpret_cast<std::uintptr_t>(grid.Handle()) & 0x7FFFFFFF);
}

TRect ToRect(const TGridRect& r) { return Rect(r.Left, r.Top, r.Right, r.Bottom); }

const TRect kNoSource{-1, -1, -1, -1};

// What a cell's text holds that copying must look at, in one pass over its
// bytes (most cells hold none of it): kBreaks a TAB or a line break, kBrace
// a "{" (rich text starts "{\\"), kAngle a "<" (mark-up).
constexpr unsigned kBreaks = 1, kBrace = 2, kAngle = 4;

unsigned CopyTextFlags(std::string_view text) {
  static const std::array<unsigned char, 256> kTable = [] {
    std::array<unsigned char, 256> t{};
    t['\t'] = t['\r'] = t['\n'] = kBreaks;
    t['{'] = kBrace;
    t['<'] = kAngle;
    return t;
  }();
  // Eight bytes at a time while none of them is below 14, "{" or "<" (the
  // usual test for a zero byte, applied to the word and to its XOR with
  // each character); from the first word that may hold one, byte by byte.
  constexpr std::uint64_t kOnes = 0x0101010101010101ull, kHighs = 0x8080808080808080ull;
  auto hasZero = [&](std::uint64_t w) { return (w - kOnes) & ~w & kHighs; };
  size_t i = 0;
  for (; i + 8 <= text.size(); i += 8) {
    std::uint64_t w;
    std::memcpy(&w, text.data() + i, 8);
    if (((w - kOnes * 14) & ~w & kHighs) | hasZero(w ^ (kOnes * '{')) | hasZero(w ^ (kOnes * '<'))) break;
  }
  unsigned flags = 0;
  for (; i < text.size(); ++i) flags |= kTable[static_cast<unsigned char>(text[i])];
  return flags;
}

}  // namespace

void TExStringGrid::GrowForTransfer(int needCols, int needRows, bool growCols, bool growRows) {
  const int dataRows = RowCount() - FixedFooters();
  const int newCols = growCols ? std::max(needCols, ColCount()) : ColCount();
  const int newRows = (growRows ? std::max(needRows, dataRows) : dataRows) + FixedFooters();
  if (newCols == ColCount() && newRows == RowCount()) return;
  const Int64 realCols = Int64{newCols} + HiddenColumnCount();
  if (realCols > kMaxTransferCols || newRows > kMaxTransferRows ||
      realCols * newRows > kMaxTransferCells)
    throw EExGridError("Too many cells to add: the grid would need " + IntToStr(realCols) +
                       " columns and " + IntToStr(newRows) + " rows (at most " +
                       IntToStr(kMaxTransferCols) + " columns, " + IntToStr(kMaxTransferRows) +
                       " rows and " + IntToStr(kMaxTransferCells) + " cells)");
  if (newCols > ColCount()) SetColCount(newCols);
  if (newRows > RowCount()) {
    // New rows go before the footer rows, which stay last.
    if (FixedFooters() > 0) InsertRows(RowCount() - FixedFooters(), newRows - RowCount());
    else SetRowCount(newRows);
  }
}

bool TExStringGrid::CanPasteCell(int realCol, int row) {
  if (realCol < 0 || row < 0 || realCol >= RealColCount() || row >= RowCount()) return false;
  // A read-only cell keeps its text whatever the clipboard switches say.
  const TPoint base = BaseCellOf(realCol, row);
  if (const TCellProperties* props = FindCellProperties(base.X, base.Y); props && props->ReadOnly())
    return false;
  if (navigation_->AllowClipboardAlways()) return true;
  if (IsFixedCell(DisplColIndex(realCol), row)) return false;
  bool canEdit = Options().contains(goEditing) || mouseActions_->RangeSelectAndEdit();
  CanEditCell(realCol, row, canEdit);
  return canEdit;
}

bool TExStringGrid::WriteClipboardCell(int realCol, int row, AnsiString value) {
  bool allow = true;
  if (::IsUnicodeCell(value)) {
    if (OnClipboardBeforePasteWideCell) {
      WideString wide = UnicodeCellToWide(value);
      OnClipboardBeforePasteWideCell(this, realCol, row, wide, allow);
      value = WideToUnicodeCell(wide);
    }
  } else if (OnClipboardBeforePasteCell) {
    OnClipboardBeforePasteCell(this, realCol, row, value, allow);
  }
  if (!allow) return false;
  SetCellText(realCol, row, value);
  return true;
}

TGridRect TExStringGrid::WidenedSelection() {
  TGridRect sel = Selection();
  // Merged cells cut by an edge take the rectangle out to their own edges;
  // a widened edge may meet further spans, so repeat until nothing grows.
  for (bool grown = true; grown;) {
    grown = false;
    auto take = [&](int displayCol, int row) {
      const int realCol = RealColIndex(displayCol);
      if (!FindCellProperties(realCol, row)) return;
      const TPoint base = BaseCellOf(realCol, row);
      const TPoint span = CellSpan(realCol, row);
      const int left = DisplColIndex(base.X);
      const int right = std::min(ColCount() - 1, left + span.X);
      const int bottom = std::min(RowCount() - 1, base.Y + span.Y);
      if (left < sel.Left) sel.Left = left, grown = true;
      if (base.Y < sel.Top) sel.Top = base.Y, grown = true;
      if (right > sel.Right) sel.Right = right, grown = true;
      if (bottom > sel.Bottom) sel.Bottom = bottom, grown = true;
    };
    for (int r = sel.Top; r <= sel.Bottom; ++r) {
      take(sel.Left, r);
      take(sel.Right, r);
    }
    for (int c = sel.Left; c <= sel.Right; ++c) {
      take(c, sel.Top);
      take(c, sel.Bottom);
    }
  }
  return sel;
}

// ------------------------------------------------------------ copying

AnsiString TExStringGrid::RectToClipboardText(const TGridRect& rect, bool disjunct) {
  const bool rowsOnly = disjunct && mouseActions_->DisjunctRowSelect() && !mouseActions_->DisjunctColSelect();
  const bool colsOnly = disjunct && mouseActions_->DisjunctColSelect();
  std::vector<int> cols;
  for (int c = std::max(rect.Left, 0); c <= rect.Right && c < ColCount(); ++c)
    if (!colsOnly || IsColSelected(c)) cols.push_back(RealColIndex(c));
  std::vector<int> rows;
  for (int r = std::max(rect.Top, 0); r <= rect.Bottom && r < RowCount(); ++r) {
    if (rowsOnly) {
      const int flag = mouseActions_->RowSelectPersistent() ? RealRowIndex(r) : r;
      if (!IsRowSelected(flag)) continue;
    }
    rows.push_back(r);
  }
  const bool lineEnds = rows.size() > 1;
  const bool plainHtml = !navigation_->CopyHTMLTagsToClipboard();
  const bool displayEvents = OnGetDisplText || OnGetDisplWideText;
  // Cells that are plain text travel as typed: no mark-up, rich or wide
  // text is taken out of them.
  const unsigned converted = plainTextCells_ ? kBreaks : kBreaks | kBrace | kAngle;
  AnsiString out;
  AnsiString holder;
  for (size_t i = 0; i < rows.size(); ++i) {
    const int r = rows[i];
    bool first = true;
    for (int c : cols) {
      if (!first) out.push_back('\t');
      first = false;
      // The plain store is read in place; spans, cell objects and display
      // events go through the grid's cell access.
      const AnsiString* text = &RawCells(c, r);
      if (displayEvents || RawObjects(c, r)) {
        // A merged cell's text travels once, in its base cell.
        const TCellProperties* props = FindCellProperties(c, r);
        if (props && !props->IsBaseCell()) continue;
        holder = GetCellText(c, r);
        text = &holder;
      }
      const unsigned flags = CopyTextFlags(*text) & converted;
      const bool wide = !plainTextCells_ && ::IsUnicodeCell(*text);
      if (flags == 0 && (text->empty() || (*text)[0] != '"') && !wide) {
        out.append(*text);
      } else if (wide) {
        // Other programs read code page 949 characters, not UTF-16 bytes.
        AppendClipboardField(out, Utf16ToCp949(UnicodeCellToWide(*text)));
      } else if ((flags & kBrace) && text->find("{\\") != std::string::npos) {
        AppendClipboardField(out, RichTextToPlainText(*text));
      } else if (plainHtml && (flags & kAngle) && text->find("</") != std::string::npos) {
        AppendClipboardField(out, UnescapeHtmlText(HtmlToPlainText(*text)));
      } else {
        AppendClipboardField(out, *text);
      }
    }
    if (lineEnds) out += "\r\n";
    // Room for the rest, judged by the first rows and generously: memory
    // reserved and never written costs nothing, a second growth copies it all.
    if (i == 15) out.reserve(out.size() / 16 * rows.size() * 3 / 2);
  }
  return out;
}

void TExStringGrid::CopyRectToClipboard(const TGridRect& rect, bool disjunct) {
  lastCopyRect_ = rect;
  AnsiString text = RectToClipboardText(rect, disjunct);
  TClipboard* clipboard = Clipboard();
  clipboard->Open();
  try {
    clipboard->SetAsBytes(CF_TEXT, std::move(text));
    if (navigation_->AllowRTFClipboard() && !plainTextCells_) {
      const AnsiString first = GetCellText(RealColIndex(rect.Left), rect.Top);
      if (first.find("{\\") != std::string::npos) clipboard->SetAsBytes(RichTextClipboardFormat(), first);
    }
    if (navigation_->AllowFmtClipboard()) {
      TMemoryStream stream;
      WriteCellsToStream(RealColIndex(rect.Left), rect.Top, RealColIndex(rect.Right), rect.Bottom, stream);
      clipboard->SetAsBytes(GridCellsClipboardFormat(),
                            std::string(static_cast<const char*>(stream.Memory()),
                                        static_cast<size_t>(stream.Size())));
    }
  } catch (...) {
    clipboard->Close();
    throw;
  }
  clipboard->Close();
}

void TExStringGrid::CopySelectionToClipboard() {
  TGridRect rect = WidenedSelection();
  bool disjunct = false;
  if (mouseActions_->DisjunctRowSelect() || mouseActions_->DisjunctColSelect()) {
    // The bounding rectangle of the marked rows (columns); none marked
    // copies the selection.
    int first = -1, last = -1;
    if (mouseActions_->DisjunctRowSelect()) {
      for (int r = FixedRows(); r < RowCount(); ++r) {
        const int flag = mouseActions_->RowSelectPersistent() ? RealRowIndex(r) : r;
        if (!IsRowSelected(flag)) continue;
        if (first < 0) first = r;
        last = r;
      }
      if (first >= 0) rect = {FixedCols(), first, ColCount() - 1, last}, disjunct = true;
    }
    if (mouseActions_->DisjunctColSelect()) {
      first = last = -1;
      for (int c = FixedCols(); c < ColCount(); ++c) {
        if (!IsColSelected(c)) continue;
        if (first < 0) first = c;
        last = c;
      }
      if (first >= 0) {
        if (!disjunct) rect.Top = FixedRows(), rect.Bottom = RowCount() - 1;
        rect.Left = first;
        rect.Right = last;
        disjunct = true;
      }
    }
  }
  CopyRectToClipboard(rect, disjunct);
  copyValid_ = true;
}

// ------------------------------------------------------------ cutting

void TExStringGrid::CutSelectionToClipboard() {
  CopySelectionToClipboard();
  const TGridRect sel = lastCopyRect_;
  const bool fmt = navigation_->AllowFmtClipboard();
  BeginUpdate();
  try {
    auto cut = [&](int displayCol, int row) {
      const int realCol = RealColIndex(displayCol);
      if (!CanPasteCell(realCol, row)) return;
      if (fmt && HasCellProperties(realCol, row)) ClearCellRange(realCol, row, realCol, row);
      else SetCellText(realCol, row, AnsiString());
    };
    if (mouseActions_->DisjunctRowSelect()) {
      for (int r = FixedRows(); r < RowCount(); ++r) {
        const int flag = mouseActions_->RowSelectPersistent() ? RealRowIndex(r) : r;
        if (!IsRowSelected(flag)) continue;
        for (int c = FixedCols(); c < ColCount(); ++c) cut(c, r);
      }
    } else if (mouseActions_->DisjunctColSelect()) {
      for (int c = FixedCols(); c < ColCount(); ++c) {
        if (!IsColSelected(c)) continue;
        for (int r = FixedRows(); r < RowCount(); ++r) cut(c, r);
      }
    } else {
      for (int r = sel.Top; r <= sel.Bottom; ++r)
        for (int c = sel.Left; c <= sel.Right; ++c) cut(c, r);
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  copyValid_ = false;
  CellsChanged(ToRect(sel));
  if (HiddenColumnCount() > 0) Invalidate();
}

// ------------------------------------------------------------ pasting

int TExStringGrid::PasteCellStream(int col, int row, const std::string& bytes) {
  TGridFile file;
  try {
    file = ParseGridBytes(bytes.data(), bytes.size());
  } catch (const Exception&) {
    return -1;  // not a stream this grid can read: the text is pasted instead
  }
  // A block is always placed by its corner; a copied whole grid starts at
  // (0, 0) and clears nothing here.
  if (file.Props.FullGrid) {
    file.FirstCol = 0;
    file.FirstRow = 0;
    file.Props.FullGrid = false;
  }
  const int cols = file.Props.ColCount;
  const int rows = file.Props.RowCount;
  const int realCol = RealColIndex(col);
  // Hidden columns between the target columns would take cells meant for
  // shown ones: such a grid gets the text.
  for (int c = col; c < col + cols && c < ColCount(); ++c)
    if (RealColIndex(c) != realCol + (c - col)) return -1;
  const int needCols = col + cols;
  const int needRows = row + rows;
  const bool growCols = needCols > ColCount();
  const bool growRows = needRows > RowCount() - FixedFooters();
  if ((growCols && !navigation_->AllowClipboardColGrow()) ||
      (growRows && !navigation_->AllowClipboardRowGrow()))
    return -1;
  // Every cell the stream holds must be one the paste may write, else the
  // text is pasted cell by cell instead.
  for (const TGridFileCell& cell : file.Cells) {
    const int tc = realCol + cell.Col - file.FirstCol;
    const int tr = row + cell.Row - file.FirstRow;
    if (tc < RealColCount() && tr < RowCount() - FixedFooters() && !CanPasteCell(tc, tr)) return -1;
  }
  GrowForTransfer(needCols, needRows, growCols, growRows);
  try {
    ApplyGridFile(*this, Point(realCol, row), file);
  } catch (const EReadError&) {
    return -1;
  }
  const TRect source = file.Props.ID != 0 && file.Props.ID == GridWindowId(*this) ? ToRect(lastCopyRect_) : kNoSource;
  lastPasteSize_ = {cols, rows};
  ClipboardPasteHook(Rect(col, row, col + cols - 1, row + rows - 1), source, copyValid_);
  return cols * rows;
}

int TExStringGrid::PasteFromClipboard(int col, int row) {
  lastPasteSize_ = {0, 0};
  if (col < 0 || row < 0) return 0;
  if (!Options().contains(goEditing) && !navigation_->AllowClipboardAlways() &&
      !mouseActions_->RangeSelectAndEdit())
    return 0;
  TClipboard* clipboard = Clipboard();
  if (navigation_->AllowFmtClipboard() && clipboard->HasFormat(GridCellsClipboardFormat())) {
    const int pasted = PasteCellStream(col, row, clipboard->AsBytes(GridCellsClipboardFormat()));
    if (pasted >= 0) return pasted;
  }
  if (navigation_->AllowRTFClipboard() && clipboard->HasFormat(RichTextClipboardFormat())) {
    const int realCol = RealColIndex(col);
    if (!CanPasteCell(realCol, row)) return 0;
    if (!WriteClipboardCell(realCol, row, clipboard->AsBytes(RichTextClipboardFormat()))) return 0;
    lastPasteSize_ = {1, 1};
    CellsChanged(Rect(realCol, row, realCol, row));
    ClipboardPasteHook(Rect(col, row, col, row), kNoSource, copyValid_);
    return 1;
  }
  if (clipboard->HasFormat(CF_TEXT)) return PasteTextIntoCells(col, row, clipboard->AsText());
  return 0;
}

int TExStringGrid::PasteTextIntoCells(int col, int row, const AnsiString& text) {
  lastPasteSize_ = {0, 0};
  if (col < 0 || row < 0) return 0;
  if (!Options().contains(goEditing) && !navigation_->AllowClipboardAlways() &&
      !mouseActions_->RangeSelectAndEdit())
    return 0;
  // Each TAB and line break may start a cell: a text with more of them
  // than the limit allows is refused before it is taken apart.
  const Int64 separators = std::count_if(text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; });
  if (separators > kMaxTransferCells)
    throw EExGridError("Too many cells to add: the text holds more than " + IntToStr(kMaxTransferCells) + " cells");
  TTextBlock block = ParseClipboardText(text);
  if (block.empty()) return 0;
  int width = 0;
  int filledRows = 0;  // rows up to the last one that holds anything
  for (size_t i = 0; i < block.size(); ++i) {
    width = std::max(width, static_cast<int>(block[i].size()));
    const auto& fields = block[i];
    if (fields.size() > 1 || (fields.size() == 1 && !fields[0].empty())) filledRows = static_cast<int>(i) + 1;
  }
  const int height = static_cast<int>(block.size());
  const Int64 needCols = Int64{col} + width;
  const Int64 needRows = Int64{row} + std::max(filledRows, 1);
  const bool growCols = navigation_->AllowClipboardColGrow() && needCols > ColCount();
  const bool growRows = navigation_->AllowClipboardRowGrow() && needRows > RowCount() - FixedFooters();
  GrowForTransfer(static_cast<int>(std::min<Int64>(needCols, INT32_MAX)),
                  static_cast<int>(std::min<Int64>(needRows, INT32_MAX)), growCols, growRows);

  const int lastRow = RowCount() - FixedFooters() - 1;
  int written = 0;
  BeginUpdate();
  try {
    for (int i = 0; i < height && row + i <= lastRow; ++i) {
      auto& fields = block[static_cast<size_t>(i)];
      for (int j = 0; j < static_cast<int>(fields.size()) && col + j < ColCount(); ++j) {
        const int realCol = RealColIndex(col + j);
        if (!CanPasteCell(realCol, row + i)) continue;
        AnsiString& field = fields[static_cast<size_t>(j)];
        // Line breaks inside a field come as vertical tabs, as in the import.
        // A Unicode cell's bytes are character codes, where neither means a break.
        if (!::IsUnicodeCell(field)) {
          VTabsToLineBreaks(field);
          if (tildesAsLineBreaks_) TildesToLineBreaks(field);
        }
        if (WriteClipboardCell(realCol, row + i, std::move(field))) ++written;
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  const int right = std::min(col + width, ColCount()) - 1;
  const int bottom = std::min(row + height - 1, lastRow);
  lastPasteSize_ = {right - col + 1, bottom - row + 1};
  if (written > 0) CellsChanged(Rect(col, row, right, bottom));
  ClipboardPasteHook(Rect(col, row, right, bottom), kNoSource, copyValid_);
  return written;
}

// ------------------------------------------------------------ smart fill

void TExStringGrid::PasteSelectionFromClipboard() {
  const TGridRect sel = WidenedSelection();
  const int startCol = Options().contains(goRowSelect) ? FixedCols() : sel.Left;
  const int pasted = PasteFromClipboard(startCol, sel.Top);
  if (navigation_->AllowSmartClipboard() && pasted > 0) SmartFill(sel, startCol, pasted);
}

namespace {

bool LooksLikeDateOrTime(const AnsiString& text) {
  return HasTwoDateSeparators(text) || text.find(FormatSettings.TimeSeparator) != std::string::npos;
}

bool IsIntegerText(const AnsiString& text, Int64& value) {
  if (text.find(FormatSettings.DecimalSeparator) != std::string::npos) return false;
  return TryStrToInt64(Trim(text), value);
}

}  // namespace

void TExStringGrid::SmartFill(const TGridRect& sel, int startCol, int pastedCount) {
  struct TCell {
    int col, row;  // display column
  };
  auto textAt = [&](const TCell& c) { return GetCellText(RealColIndex(c.col), c.row); };
  BeginUpdate();
  try {
    auto write = [&](const TCell& c, AnsiString value) {
      const int realCol = RealColIndex(c.col);
      if (!CanPasteCell(realCol, c.row)) return;
      if (WriteClipboardCell(realCol, c.row, std::move(value)))
        ClipboardPasteHook(Rect(c.col, c.row, c.col, c.row), kNoSource, copyValid_);
    };
    if (pastedCount == 1) {
      const AnsiString value = textAt({startCol, sel.Top});
      for (int r = sel.Top; r <= sel.Bottom; ++r)
        for (int c = sel.Left; c <= sel.Right; ++c)
          if (c != startCol || r != sel.Top) write({c, r}, value);
    } else if (sel.Left == sel.Right || sel.Top == sel.Bottom) {
      // The cells of the selection in order, down a column or along a row.
      const bool down = sel.Left == sel.Right && sel.Bottom > sel.Top;
      std::vector<TCell> cells;
      if (down)
        for (int r = sel.Top; r <= sel.Bottom; ++r) cells.push_back({startCol, r});
      else
        for (int c = startCol; c <= sel.Right; ++c) cells.push_back({c, sel.Top});
      const int along = down ? lastPasteSize_.Y : lastPasteSize_.X;
      const int pastedLen = std::clamp(along, 1, static_cast<int>(cells.size()));
      std::vector<AnsiString> values;
      for (int i = 0; i < pastedLen; ++i) values.push_back(textAt(cells[static_cast<size_t>(i)]));
      const size_t rest = cells.size();
      TDateTime a = 0, b = 0;
      Int64 ia = 0, ib = 0;
      if (pastedLen >= 2 && LooksLikeDateOrTime(values[0]) && LooksLikeDateOrTime(values[1]) &&
          TryStrToDateTime(values[0], a) && TryStrToDateTime(values[1], b)) {
        Word ya, ma, da, yb, mb, db;
        DecodeDate(a, ya, ma, da);
        DecodeDate(b, yb, mb, db);
        const int years = yb - ya, months = mb - ma, days = db - da;
        const bool timeOnly = !HasTwoDateSeparators(values[0]);
        // The series goes on from the last pasted value (from b when that
        // one is no date).
        TDateTime value = b;
        if (!TryStrToDateTime(values[static_cast<size_t>(pastedLen - 1)], value)) value = b;
        for (size_t i = static_cast<size_t>(pastedLen); i < rest; ++i) {
          value = AddToDate(years, months, days, b - a, value);
          write(cells[i], timeOnly ? TimeToStr(value) : DateTimeToStr(value));
        }
      } else if (pastedLen >= 2 && IsIntegerText(values[0], ia) && IsIntegerText(values[1], ib) &&
                 std::fabs(static_cast<long double>(ib) - ia) * rest < 9.0e18L) {
        const Int64 step = ib - ia;
        Int64 last = ib;
        if (!IsIntegerText(values[static_cast<size_t>(pastedLen - 1)], last)) last = ib;
        const long double end = static_cast<long double>(last) + static_cast<long double>(step) * rest;
        const bool fits = end < 9.0e18L && end > -9.0e18L;
        for (size_t i = static_cast<size_t>(pastedLen); i < rest; ++i) {
          if (fits) {
            last += step;
            write(cells[i], IntToStr(last));
          } else {
            write(cells[i], values[i % values.size()]);
          }
        }
      } else {
        for (size_t i = static_cast<size_t>(pastedLen); i < rest; ++i) write(cells[i], values[i % values.size()]);
      }
    }
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
  CellsChanged(ToRect(sel));
}
