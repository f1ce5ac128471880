// Drag and drop of the string grid: formats, settings, the data a drag
// carries, the drag sources and the drop targets (see ExGridDragDrop.h).
//
// Sections:
//   Formats ............. registered names, the rich-text switch
//   TDragDropSettings ... setters that reach the grid's drop target
//   TEnumFormats, TSourceDataObject
//   Drag sources ........ TESGDropSource, TGridDropSource, StartTextDrag, StartColumnDrag
//   TESGDropTarget ...... acceptance and dispatch by kind
//   TGridDropTarget ..... drops on cells, files, columns; scrolling while over the grid
//   The grid ............ UpdateDropTarget, OleDragFromCell
#include <algorithm>

#include "grid/ExGrid.h"
#include "grid/ExHint.h"
#include "platform/rtl/Cp949.h"
#include "platform/vcl/Forms.h"

// ------------------------------------------------------------ formats

UINT RichTextClipboardFormat() {
  static const UINT format = RegisterClipboardFormat("Rich Text Format");
  return format;
}

UINT GridCellsClipboardFormat() {
  static const UINT format = RegisterClipboardFormat("TExStringGrid Cells");
  return format;
}

UINT GridColumnClipboardFormat() {
  static const UINT format = RegisterClipboardFormat("Grid Column");
  return format;
}

namespace {
bool g_richTextDrop = false;
}  // namespace

bool RichTextDropEnabled() { return g_richTextDrop; }
void SetRichTextDropEnabled(bool value) { g_richTextDrop = value; }

// ------------------------------------------------------------ TDragDropSettings

void TDragDropSettings::SetOleAcceptFiles(bool v) {
  oleAcceptFiles_ = v;
  grid_->UpdateDropTarget();
}

void TDragDropSettings::SetOleAcceptText(bool v) {
  oleAcceptText_ = v;
  grid_->UpdateDropTarget();
}

void TDragDropSettings::SetOleDropTarget(bool v) {
  oleDropTarget_ = v;
  grid_->UpdateDropTarget();
}

void TDragDropSettings::SetOleDropRTF(bool v) {
  oleDropRTF_ = v;
  SetRichTextDropEnabled(v);
}

void TDragDropSettings::SetOleColumnDragDrop(bool v) {
  oleColumnDragDrop_ = v;
  grid_->UpdateDropTarget();
}

// ------------------------------------------------------------ TEnumFormats

namespace {

// Text formats end at their first NUL, as C strings do.
AnsiString UpToNul(const std::string& bytes) {
  const size_t nul = bytes.find('\0');
  return nul == std::string::npos ? bytes : bytes.substr(0, nul);
}

}  // namespace

TEnumFormats::TEnumFormats(const TDragData& data) {
  hasText_ = data.HasText;
  text_ = data.Text;
  files_ = data.Files;
  if (auto it = data.Formats.find(RichTextClipboardFormat()); it != data.Formats.end()) {
    hasRTF_ = true;
    rtf_ = UpToNul(it->second);
  }
  if (auto it = data.Formats.find(GridColumnClipboardFormat()); it != data.Formats.end() && it->second.size() >= 4) {
    const auto* b = reinterpret_cast<const unsigned char*>(it->second.data());
    const auto value = static_cast<std::int32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<unsigned>(b[3]) << 24));
    column_ = value >= 0 ? value : -1;
  }
}

// ------------------------------------------------------------ TSourceDataObject

std::vector<UINT> TSourceDataObject::Formats() const {
  std::vector<UINT> formats{CF_TEXT, CF_UNICODETEXT};
  if (RichTextDropEnabled()) formats.push_back(RichTextClipboardFormat());
  if (column_ >= 0) formats.push_back(GridColumnClipboardFormat());
  return formats;
}

bool TSourceDataObject::QueryGetData(UINT format) const {
  const std::vector<UINT> formats = Formats();
  return std::find(formats.begin(), formats.end(), format) != formats.end();
}

std::string TSourceDataObject::GetData(UINT format) const {
  if (!QueryGetData(format)) return {};
  if (format == CF_TEXT) return text_ + '\0';
  if (format == CF_UNICODETEXT) {
    // Character by character: a two-byte Hangul syllable is one UTF-16 unit.
    const WideString wide = Cp949ToUtf16(text_);
    std::string bytes;
    bytes.reserve(wide.size() * 2 + 2);
    for (char16_t u : wide) {
      bytes.push_back(static_cast<char>(u & 0xFF));
      bytes.push_back(static_cast<char>(u >> 8));
    }
    bytes.append(2, '\0');
    return bytes;
  }
  if (format == RichTextClipboardFormat()) return rtf_ + '\0';
  if (format == GridColumnClipboardFormat()) {
    const auto v = static_cast<std::uint32_t>(column_);
    return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF), static_cast<char>((v >> 16) & 0xFF),
            static_cast<char>(v >> 24)};
  }
  return {};
}

TDragData TSourceDataObject::ToDragData() const {
  TDragData data;
  data.HasText = true;
  data.Text = text_;
  if (RichTextDropEnabled() && !rtf_.empty()) data.Formats[RichTextClipboardFormat()] = rtf_;
  if (column_ >= 0) data.Formats[GridColumnClipboardFormat()] = GetData(GridColumnClipboardFormat());
  return data;
}

// ------------------------------------------------------------ drag sources

TESGDropSource::TContinue TESGDropSource::QueryContinueDrag(bool escapePressed, bool leftButtonDown) const {
  if (escapePressed) return dcCancel;
  if (!leftButtonDown) return dcDrop;
  return dcContinue;
}

void TESGDropSource::GiveFeedback(int effect) { noneEffect_ = effect == DROPEFFECT_NONE; }

void TGridDropSource::GiveFeedback(int effect) {
  TESGDropSource::GiveFeedback(effect);
  lastEffect_ = effect;
}

namespace {

TDragResult RunDrag(TWinControl* control, TESGDropSource& source, const TSourceDataObject& data,
                    int allowedEffects, int& effect) {
  effect = DoDragDrop(control, data.ToDragData(), allowedEffects);
  source.GiveFeedback(effect);
  return source.NoneEffect() ? drCancelled : drDropped;
}

}  // namespace

TDragResult StartTextDrag(TWinControl* control, TESGDropSource& source, const AnsiString& text,
                          const AnsiString& rtf, int allowedEffects, int& effect) {
  return RunDrag(control, source, TSourceDataObject(text, rtf), allowedEffects, effect);
}

TDragResult StartColumnDrag(TWinControl* control, TESGDropSource& source, int column, int allowedEffects,
                            int& effect) {
  return RunDrag(control, source, TSourceDataObject(AnsiString(), AnsiString(), column), allowedEffects, effect);
}

// ------------------------------------------------------------ TESGDropTarget

void TESGDropTarget::DragEnter(const TDragData& data, TShiftState shift, TPoint pt, int& effect) {
  const TEnumFormats formats(data);
  offered_ = (formats.HasText() ? kDropKindText : 0) | (formats.HasFiles() ? kDropKindFiles : 0) |
             (formats.HasRTF() ? kDropKindRTF : 0) | (formats.HasCol() ? kDropKindCol : 0);
  accepted_ = (formats.HasText() && AcceptText) || (formats.HasFiles() && AcceptFiles) ||
              (formats.HasRTF() && RichTextDropEnabled() && AcceptText) || (formats.HasCol() && AcceptCols);
  if (!accepted_) {
    effect = DROPEFFECT_NONE;
    return;
  }
  DragMouseEnter();
  DragOver(shift, pt, effect);
}

void TESGDropTarget::DragOver(TShiftState shift, TPoint pt, int& effect) {
  if (!accepted_) {
    effect = DROPEFFECT_NONE;
    return;
  }
  bool allow = true;
  DragMouseMove(pt, allow);
  if (!allow) effect = DROPEFFECT_NONE;
}

void TESGDropTarget::DragLeave() {
  DragMouseLeave();
  accepted_ = false;
  offered_ = 0;
}

void TESGDropTarget::Drop(const TDragData& data, TShiftState shift, TPoint pt, int& effect) {
  const TEnumFormats formats(data);
  dropData_ = &data;
  try {
    const bool files = formats.HasFiles() && AcceptFiles;
    if (formats.HasCol() && AcceptCols) {
      DropCol(pt, formats.Col());
    } else if (formats.HasRTF() && RichTextDropEnabled() && AcceptText) {
      DropRTF(pt, formats.RTF());
    } else if (formats.HasText() && AcceptText && !files) {
      // Programs that drag files offer their names as text too; the files
      // are what is meant.
      DropText(pt, formats.Text());
    } else if (!files) {
      effect = DROPEFFECT_NONE;
    }
    if (files) DropFiles(pt, formats.Files());
  } catch (...) {
    dropData_ = nullptr;
    DragLeave();
    throw;
  }
  dropData_ = nullptr;
  DragLeave();
}

// ------------------------------------------------------------ TGridDropTarget

namespace {

// A drop runs inside the platform's event handling: what goes wrong is
// shown to the user there, never thrown through it.
template <class F>
void Guarded(TExStringGrid* grid, F&& work) {
  try {
    work();
  } catch (...) {
    Application->HandleException(grid);
  }
}

}  // namespace

bool TGridDropTarget::CellAt(TPoint pt, int& col, int& row) const {
  grid_->MouseToCell(pt.X, pt.Y, col, row);
  return col >= 0 && row >= 0;
}

void TGridDropTarget::SetColumnArrow(int col) {
  if (col == columnArrow_) return;
  columnArrow_ = col;
  if (col < 0) {
    for (int direction = 0; direction < 2; ++direction) grid_->ArrowWindow(direction)->SetVisible(false);
    return;
  }
  const TRect header = grid_->CellRect(col, 0);
  grid_->ArrowWindow(1)->ShowAt(header.Left - 5, 0);
  grid_->ArrowWindow(0)->ShowAt(header.Left - 5, std::max(header.Bottom - 10, 0));
}

void TGridDropTarget::DropText(TPoint pt, const AnsiString& text) {
  int col, row;
  if (!CellAt(pt, col, row)) return;
  Guarded(grid_, [&] {
    TDragDropSettings* settings = grid_->DragDropSettings();
    const TPoint size = TextBlockSize(text);
    if (grid_->Options().contains(goRowSelect)) col = settings->OleEntireRows() ? 0 : grid_->FixedCols();
    bool allow = true;
    if (grid_->OnOleDrop) grid_->OnOleDrop(grid_, row, grid_->RealColIndex(col), *DropData(), allow);
    if (!allow || size.Y == 0) return;
    if (settings->OleInsertRows()) {
      // A drag from this grid's own rows below the drop point moves down
      // with the rows put in above it.
      TGridRect source = grid_->OleDragRect();
      if (settings->OleRemoveRows() && source.Top >= row) {
        source.Top += size.Y;
        source.Bottom += size.Y;
        grid_->SetOleDragRect(source);
      }
      const int topRow = grid_->TopRow();
      grid_->InsertRows(row, size.Y);
      grid_->SetTopRow(std::min(topRow, grid_->RowCount() - 1));
    }
    grid_->PasteTextIntoCells(col, row, text);
    const int right = std::min(col + std::max(size.X, 1), grid_->ColCount()) - 1;
    const int bottom = std::min(row + size.Y, grid_->RowCount()) - 1;
    grid_->SetSelection(GridRect({col, row}, {right, bottom}));
    if (grid_->OleDragRect().Left >= 0) grid_->ownDropRect_ = GridRect({col, row}, {right, bottom});
    SetColumnArrow(-1);
    if (grid_->OnOleDropped) grid_->OnOleDropped(grid_, Rect(col, row, right, bottom));
  });
}

void TGridDropTarget::DropRTF(TPoint pt, const AnsiString& rtf) {
  int col, row;
  if (!CellAt(pt, col, row)) return;
  Guarded(grid_, [&] {
    bool allow = true;
    const int realCol = grid_->RealColIndex(col);
    if (grid_->OnOleDrop) grid_->OnOleDrop(grid_, row, realCol, *DropData(), allow);
    if (!allow || !grid_->CanPasteCell(realCol, row)) return;
    grid_->SetCellText(realCol, row, rtf);
    grid_->CellsChanged(Rect(realCol, row, realCol, row));
    if (grid_->OnOleDropped) grid_->OnOleDropped(grid_, Rect(col, row, col, row));
  });
}

void TGridDropTarget::DropFiles(TPoint pt, const std::vector<AnsiString>& files) {
  int col = -1, row = -1;
  CellAt(pt, col, row);
  for (const AnsiString& file : files) {
    Guarded(grid_, [&] {
      bool allow = true;
      if (grid_->OnOleDropFile) grid_->OnOleDropFile(grid_, row, col, file, allow);
      if (!allow) return;
      // By the extension alone: "report.csv.bak" is no CSV file.
      const AnsiString ext = UpperCase(ExtractFileExt(file));
      if (ext == ".CSV") grid_->LoadFromCSV(file);
      else if (ext == ".XLS" || ext == ".XLSX") grid_->ImportSpreadsheet(file);
    });
  }
}

void TGridDropTarget::DropCol(TPoint pt, int column) {
  int col, row;
  CellAt(pt, col, row);
  SetColumnArrow(-1);
  Guarded(grid_, [&] {
    if (grid_->OnOleDropCol) grid_->OnOleDropCol(grid_, row, col, column);
  });
}

void TGridDropTarget::DragMouseMove(TPoint pt, bool& allow) {
  int col, row;
  if (!CellAt(pt, col, row)) {
    allow = false;
    SetColumnArrow(-1);
    return;
  }
  // Near the edges the grid scrolls, one row per move.
  const int fixedRows = grid_->FixedRows();
  if (row < fixedRows && grid_->TopRow() > fixedRows) {
    grid_->SetTopRow(grid_->TopRow() - 1);
  } else if (row >= grid_->TopRow() + grid_->VisibleRowCount() && row < grid_->RowCount()) {
    grid_->SetTopRow(grid_->TopRow() + 1);
  }
  if ((OfferedKinds() & kDropKindCol) && AcceptCols) {
    // A column lands between the header cells.
    allow = row < fixedRows;
  } else if (row < fixedRows && !(grid_->FixedRowAlways() && grid_->RowCount() == 1)) {
    allow = false;
  }
  if (grid_->OnOleDragOver) grid_->OnOleDragOver(grid_, row, grid_->RealColIndex(col), allow);
  SetColumnArrow((OfferedKinds() & kDropKindCol) && AcceptCols && allow ? col : -1);
}

// ------------------------------------------------------------ the grid

void TExStringGrid::UpdateDropTarget() {
  TDragDropSettings* settings = dragDropSettings_.get();
  if (!settings) return;  // still constructing
  if (dropTarget_) {
    dropTarget_->AcceptText = settings->OleAcceptText();
    dropTarget_->AcceptFiles = settings->OleAcceptFiles();
    dropTarget_->AcceptCols = settings->OleColumnDragDrop();
  }
  if (settings->OleDropTarget()) {
    if (!dropTarget_) {
      dropTarget_ = std::make_unique<TGridDropTarget>(this);
      UpdateDropTarget();
    }
    if (!IsDropTarget(this)) RegisterDragDrop(this, dropTarget_.get());
  } else if (IsDropTarget(this)) {
    RevokeDragDrop(this);
  }
}

int TExStringGrid::OleDragFromCell(int col, int row) {
  TDragDropSettings* settings = dragDropSettings_.get();
  if (!settings->OleDropSource() || col < 0 || row < 0 || col >= ColCount() || row >= RowCount())
    return DROPEFFECT_NONE;
  const int realCol = RealColIndex(col);
  const bool columnDrag = row < FixedRows() && settings->OleColumnDragDrop();
  bool allow = true;
  if (OnOleDrag) OnOleDrag(this, row, realCol, GetCellText(realCol, row), allow);
  oleDragVetoed_ = !allow;
  if (!allow) return DROPEFFECT_NONE;
  TGridDropSource source(this);
  if (OnOleDragStart) OnOleDragStart(this, row, realCol);
  int effect = DROPEFFECT_NONE;
  const int allowed = DROPEFFECT_COPY | DROPEFFECT_MOVE;
  if (columnDrag) {
    StartColumnDrag(this, source, realCol, allowed, effect);
  } else {
    const TGridRect sel = Selection();
    oleDragRect_ = sel;
    ownDropRect_ = {-1, -1, -1, -1};
    const TDragResult result = StartTextDrag(this, source, RectToClipboardText(sel, false), AnsiString(), allowed, effect);
    // The rectangle may have moved down with rows a drop into this grid put in.
    const TGridRect dragged = oleDragRect_;
    oleDragRect_ = {-1, -1, -1, -1};
    if (result == drDropped && effect == DROPEFFECT_MOVE) {
      if (settings->OleRemoveRows() && Options().contains(goRowSelect)) {
        if (mouseActions_->DisjunctRowSelect()) RemoveSelectedRows();
        else RemoveRows(dragged.Top, dragged.Bottom - dragged.Top + 1);
      } else if (!settings->OleCopyAlways()) {
        BeginUpdate();
        for (int r = dragged.Top; r <= dragged.Bottom && r < RowCount(); ++r)
          for (int c = dragged.Left; c <= dragged.Right && c < ColCount(); ++c)
            if (!(c >= ownDropRect_.Left && c <= ownDropRect_.Right && r >= ownDropRect_.Top &&
                  r <= ownDropRect_.Bottom) &&
                CanPasteCell(RealColIndex(c), r))
              SetCellText(RealColIndex(c), r, AnsiString());
        EndUpdate();
        CellsChanged(Rect(dragged.Left, dragged.Top, dragged.Right, dragged.Bottom));
      }
    }
  }
  ownDropRect_ = {-1, -1, -1, -1};
  if (OnOleDragStop) OnOleDragStop(this, effect);
  return effect;
}
