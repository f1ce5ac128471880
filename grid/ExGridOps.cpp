// Small operations of TExStringGrid that the input handling calls: zoom,
// row colours, the selection as text, whether a cell shows selected, and
// the fitting of a picture into a cell.
#include <algorithm>
#include <cmath>

#include "grid/ExGrid.h"
#include "grid/ExGridEditors.h"
#include "platform/vcl/RichMemo.h"
#include "platform/vcl/RichText.h"

namespace {

// A field that holds a tab, a quote or a line break is quoted, so that the
// text splits back into the same cells.
void AppendField(AnsiString& out, const AnsiString& text) {
  if (text.find_first_of("\t\"\r\n") == std::string::npos) {
    out += text;
    return;
  }
  out += '"';
  for (char ch : text) {
    if (ch == '"') out += '"';
    out += ch;
  }
  out += '"';
}

}  // namespace

void TExStringGrid::ZoomBy(int delta) {
  const int step = ZoomStep() + delta;
  if (delta == 0 || step < -10 || step > 10) return;
  BeginUpdate();
  for (int c = 0; c < ColCount(); ++c)
    if (ColWidths(c) + delta > 0) SetColWidths(c, ColWidths(c) + delta);
  for (int r = 0; r < RowCount(); ++r)
    if (RowHeights(r) + delta > 0) SetRowHeights(r, RowHeights(r) + delta);
  SetZoomStep(step);
  EndUpdate();
}

void TExStringGrid::SetRowColor(int row, TColor color) {
  if (row < 0 || row >= RowCount()) return;
  for (int c = TBaseGrid::FixedCols(); c < RealColCount(); ++c) {
    if (color == clNone) {
      if (TCellProperties* props = FindCellProperties(c, row)) {
        props->SetBrushColor(clNone);
        props->SetBrushColorTo(clNone);
      }
    } else {
      CellPropertiesAt(c, row)->SetBrushColor(color);
    }
  }
  RepaintRow(row);
}

void TExStringGrid::SetRowFontColor(int row, TColor color) {
  if (row < 0 || row >= RowCount()) return;
  for (int c = TBaseGrid::FixedCols(); c < RealColCount(); ++c) {
    if (color == clNone) {
      if (TCellProperties* props = FindCellProperties(c, row)) props->SetFontColor(clNone);
    } else {
      CellPropertiesAt(c, row)->SetFontColor(color);
    }
  }
  RepaintRow(row);
}

// ------------------------------------------------------------- one cell's looks

namespace {
template <class V>
V PropertyOf(const TCellProperties* props, V (TCellProperties::*get)() const, V none) {
  return props ? (props->*get)() : none;
}
}  // namespace

void TExStringGrid::WriteCellProperty(int col, int row, const std::function<void(TCellProperties&)>& write) {
  if (col < 0 || row < 0 || col >= RealColCount() || row >= RowCount()) return;
  write(*CellPropertiesAt(col, row));
  RepaintCell(DisplColIndex(col), row);
}

TColor TExStringGrid::CellColor(int col, int row) const {
  return PropertyOf(FindCellProperties(col, row), &TCellProperties::BrushColor, TColor(clNone));
}

void TExStringGrid::SetCellColor(int col, int row, TColor color) {
  WriteCellProperty(col, row, [color](TCellProperties& p) { p.SetBrushColor(color); });
}

TColor TExStringGrid::CellColorTo(int col, int row) const {
  return PropertyOf(FindCellProperties(col, row), &TCellProperties::BrushColorTo, TColor(clNone));
}

void TExStringGrid::SetCellColorTo(int col, int row, TColor color) {
  WriteCellProperty(col, row, [color](TCellProperties& p) { p.SetBrushColorTo(color); });
}

TColor TExStringGrid::CellFontColor(int col, int row) const {
  return PropertyOf(FindCellProperties(col, row), &TCellProperties::FontColor, TColor(clNone));
}

void TExStringGrid::SetCellFontColor(int col, int row, TColor color) {
  WriteCellProperty(col, row, [color](TCellProperties& p) { p.SetFontColor(color); });
}

bool TExStringGrid::CellReadOnly(int col, int row) const {
  return PropertyOf(FindCellProperties(col, row), &TCellProperties::ReadOnly, false);
}

void TExStringGrid::SetCellReadOnly(int col, int row, bool value) {
  if (!value && !HasCellProperties(col, row)) return;
  WriteCellProperty(col, row, [value](TCellProperties& p) { p.SetReadOnly(value); });
}

TControl* TExStringGrid::CellControl(int col, int row) const {
  return PropertyOf<TControl*>(FindCellProperties(col, row), &TCellProperties::Control, nullptr);
}

int TExStringGrid::ColWidthByReal(int col) const {
  if (col < 0 || col >= RealColCount()) return 0;
  if (IsColumnHidden(col)) {
    const auto index = static_cast<std::size_t>(col);
    return index < savedColWidths_.size() ? savedColWidths_[index] : DefaultColWidth();
  }
  return ColWidths(DisplColIndex(col));
}

void TExStringGrid::SetColWidthByReal(int col, int width) {
  if (col < 0 || col >= RealColCount()) return;
  if (IsColumnHidden(col)) {
    // Shown again, the column comes back at this width.
    const auto index = static_cast<std::size_t>(col);
    if (savedColWidths_.size() <= index) savedColWidths_.resize(index + 1, DefaultColWidth());
    savedColWidths_[index] = width;
    return;
  }
  SetColWidths(DisplColIndex(col), width);
}

void TExStringGrid::CellToRichEdit(int col, int row, TRichMemo* richEdit) {
  if (!richEdit) return;
  const AnsiString text = GetCellText(col, row);
  richEdit->LoadRichText(text);
}

void TExStringGrid::RichEditToCell(int col, int row, TRichMemo* richEdit) {
  if (!richEdit || col < 0 || row < 0 || col >= RealColCount() || row >= RowCount()) return;
  // A rich edit emptied by the user empties the cell, not a bare header.
  const AnsiString text = richEdit->GetText().empty() ? AnsiString() : richEdit->RichText();
  SetCellText(col, row, text);
  CellsChanged(Rect(col, row, col, row));
  RepaintCell(DisplColIndex(col), row);
}

bool TExStringGrid::IsCellShownSelected(int col, int row) {
  if (col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows() || col >= ColCount() || row >= RowCount())
    return false;
  if (IsFixedCell(col, row)) return false;
  if (mouseActions_->DisjunctRowSelect()) return IsRowSelected(SelectFlagRow(row));
  if (mouseActions_->DisjunctColSelect()) return IsColSelected(col);
  const TGridRect sel = Selection();
  return col >= sel.Left && col <= sel.Right && row >= sel.Top && row <= sel.Bottom;
}

AnsiString TExStringGrid::SelectionAsText() {
  TGridRect sel = Selection();
  if (Options().contains(goRowSelect) && dragDropSettings_->OleEntireRows()) {
    sel.Left = 0;
    sel.Right = ColCount() - 1;
  }
  std::vector<int> rows;
  if (mouseActions_->DisjunctRowSelect()) {
    for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r)
      if (IsRowSelected(SelectFlagRow(r))) rows.push_back(r);
  } else {
    for (int r = std::max(sel.Top, 0); r <= sel.Bottom && r < RowCount(); ++r) rows.push_back(r);
  }
  AnsiString out;
  bool firstRow = true;
  for (int r : rows) {
    if (!firstRow) out += "\r\n";
    firstRow = false;
    for (int c = std::max(sel.Left, 0); c <= sel.Right && c < ColCount(); ++c) {
      if (c > std::max(sel.Left, 0)) out += '\t';
      AnsiString text = GetCellText(RealColIndex(c), r);
      if (text.find("{\\") != std::string::npos) text = RichTextToPlainText(text);
      AppendField(out, text);
    }
  }
  return out;
}

TPoint TExStringGrid::FitPictureSize(int mode, int picW, int picH, int availW, int availH) {
  availW = std::max(availW, 0);
  availH = std::max(availH, 0);
  picW = std::max(picW, 0);
  picH = std::max(picH, 0);
  // A side below 1 pixel counts 1, so no ratio divides by nothing.
  const double rx = static_cast<double>(availW) / std::max(picW, 1);
  const double ry = static_cast<double>(availH) / std::max(picH, 1);
  auto scaled = [&](double ratio) {
    return TPoint{static_cast<int>(std::lround(picW * ratio)), static_cast<int>(std::lround(picH * ratio))};
  };
  switch (mode) {
    case 1: return TPoint{availW, availH};
    case 2: return scaled(std::min(rx, ry));
    case 3: return picW > availW || picH > availH ? TPoint{availW, availH} : TPoint{picW, picH};
    case 4:
      if (picW <= availW && picH <= availH) return TPoint{picW, picH};
      return scaled(std::min(std::min(rx, 1.0), std::min(ry, 1.0)));
    default: return TPoint{picW, picH};
  }
}

int TExStringGrid::FillFromRect(const TGridRect& source, const TGridRect& target) {
  const int width = source.Right - source.Left + 1;
  const int height = source.Bottom - source.Top + 1;
  if (width < 1 || height < 1 || source.Left < 0 || source.Top < 0) return 0;
  // The source's texts first: the target may overlap it.
  std::vector<AnsiString> block;
  block.reserve(static_cast<std::size_t>(width) * height);
  for (int r = source.Top; r <= source.Bottom; ++r)
    for (int c = source.Left; c <= source.Right; ++c)
      block.push_back(c < ColCount() && r < RowCount() ? GetCellText(RealColIndex(c), r) : AnsiString());
  int written = 0;
  BeginUpdate();
  for (int r = std::max(target.Top, TBaseGrid::FixedRows()); r <= target.Bottom && r < RowCount(); ++r) {
    for (int c = std::max(target.Left, TBaseGrid::FixedCols()); c <= target.Right && c < ColCount(); ++c) {
      if (IsFixedCell(c, r)) continue;
      const int realCol = RealColIndex(c);
      const TPoint base = BaseCellOf(realCol, r);
      if (const TCellProperties* props = FindCellProperties(base.X, base.Y); props && props->ReadOnly()) continue;
      bool canEdit = true;
      if (OnCanEditCell) OnCanEditCell(this, base.Y, base.X, canEdit);
      if (!canEdit) continue;
      const int dy = ((r - source.Top) % height + height) % height;
      const int dx = ((c - source.Left) % width + width) % width;
      const AnsiString& text = block[static_cast<std::size_t>(dy) * width + dx];
      if (GetCellText(realCol, r) != text) SetCellText(realCol, r, text);
      ++written;
    }
  }
  EndUpdate();
  if (written > 0) CellsChanged(Rect(RealColIndex(target.Left), target.Top, RealColIndex(target.Right), target.Bottom));
  return written;
}

namespace {
constexpr Cardinal kLayoutCellControls = WM_USER + 0x111;
// Bit 22 of a key's data: the scan code of a numeric keypad key.
constexpr LPARAM kKeypadScanBit = LPARAM(1) << 22;
// Bit 29 of a key's data: Alt was held when the key went down.
constexpr LPARAM kAltContextBit = LPARAM(1) << 29;

bool DialogCharWithAlt(const TMessage& m) { return (m.LParam & kAltContextBit) || GetKeyState(VK_MENU) < 0; }
}  // namespace

void TExStringGrid::ViewChanged() {
  if (cellControls_.Count() == 0 || Destroying() || layoutPosted_ || !HandleAllocated()) return;
  layoutPosted_ = PostMessage(Handle(), kLayoutCellControls, 0, 0);
}

void TExStringGrid::WndProc(TMessage& m) {
  if (m.Msg == CM_DIALOGCHAR && !DialogCharWithAlt(m)) {
    // Without Alt a dialog character is the grid's own typing: no mnemonic
    // of a control inside the grid may take it.
    m.Result = 0;
    return;
  }
  if (m.Msg == WM_CHAR && navigation_->AllowClipboardShortCuts() && GetKeyState(VK_CONTROL) < 0) {
    // Ctrl+C, Ctrl+V and Ctrl+X did their clipboard work as keys: their
    // control characters are no typing.
    const unsigned ch = m.WParam & 0xFF;
    if (ch == 'C' - '@' || ch == 'V' - '@' || ch == 'X' - '@') {
      m.Result = 0;
      return;
    }
  }
  if (m.Msg == WM_CHAR && excelStyleDecimal_ && (m.WParam & 0xFF) == '.' && (m.LParam & kKeypadScanBit))
    m.WParam = static_cast<unsigned char>(FormatSettings.DecimalSeparator);
  if (m.Msg == kForgetRefusedPress) {
    if (TGridEditState* s = LiveEditState()) s->pressRefused = false;
    return;
  }
  if (m.Msg != kLayoutCellControls) {
    TBaseGrid::WndProc(m);
    return;
  }
  layoutPosted_ = false;
  if (Destroying()) return;
  RepositionCellControls();
  // A control moved over freshly scrolled cells repaints whole.
  for (int i = 0; i < cellControls_.Count(); ++i) {
    TControl* control = cellControls_.Items(i).Control;
    if (control && control->Visible()) control->Invalidate();
  }
}
