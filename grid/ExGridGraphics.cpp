// Cell graphics and the per-cell queries of TExStringGrid.
//
// Sections:
//   Graphic records ...... GetCellGraphic, CreateCellGraphic, RemoveCellGraphic
//   Graphic queries ...... images, radio groups, buttons, comments, rotation
//   Check boxes .......... state, toggling, CheckAll, PointInCheckBox
//   Radio groups ......... NextRadioItem
//   Sizes ................ GetCellGraphicSize, GetCellGraphicRect
//   Per-cell queries ..... each fills its answer, then fires its event
//   Grid file hooks ...... a cell graphic to and from the file's records
//
// A graphic is found through the cell's properties (no properties, no
// graphic: ctEmpty). Queries that act on a span read its base cell.
#include <algorithm>
#include <cmath>

#include "grid/ExGrid.h"
#include "grid/GridFile.h"

// ------------------------------------------------------------- graphic records

TCellGraphic* TExStringGrid::GetCellGraphic(int col, int row) const {
  if (col < 0 || row < 0) return nullptr;
  const TCellProperties* props = FindCellProperties(col, row);
  return props ? props->CellGraphic() : nullptr;
}

TCellType TExStringGrid::GetCellType(int col, int row) const {
  // The cell's own graphic: a shared one of the column grid is no type of the cell.
  const TCellGraphic* graphic = TExStringGrid::GetCellGraphic(col, row);
  return graphic ? graphic->CellType() : ctEmpty;
}

TCellGraphic* TExStringGrid::CreateCellGraphic(int col, int row) {
  if (!InGrid(col, row)) return nullptr;
  RemoveCellGraphic(col, row);
  TCellProperties* props = CellPropertiesAt(col, row);
  auto* graphic = new TCellGraphic();
  props->SetCellGraphic(graphic);
  if (hiddenColCount_ > 0 && DisplColIndex(col) != col) RepaintCell(DisplColIndex(col), row);
  else RepaintCell(col, row);
  return graphic;
}

bool TExStringGrid::RemoveCellGraphic(int col, int row) {
  TCellProperties* props = col >= 0 && row >= 0 ? FindCellProperties(col, row) : nullptr;
  if (!props || !props->CellGraphic()) return false;
  ReleaseCellGraphic(*props);
  return true;
}

void TExStringGrid::ReleaseCellGraphic(TCellProperties& props) {
  TCellGraphic* graphic = props.CellGraphic();
  if (!graphic) return;
  props.SetCellGraphic(nullptr);
  // A virtual check box is shared by the cells of a column: not the cell's to free.
  if (graphic->CellType() != ctVirtCheckBox) delete graphic;
}

bool TExStringGrid::RemoveCellGraphicOfType(int col, int row, TCellType type) {
  if (GetCellType(col, row) != type) return false;
  return RemoveCellGraphic(col, row);
}

// ------------------------------------------------------------- graphic queries

namespace {

bool IsCheckBoxType(TCellType type) {
  return type == ctCheckBox || type == ctDataCheckBox || type == ctVirtCheckBox;
}

}  // namespace

TIntList* TExStringGrid::GetImageIndexList(int col, int row) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  return graphic && graphic->CellType() == ctImages ? graphic->CellImages() : nullptr;
}

intptr_t TExStringGrid::GetImageValue(int col, int row) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic) return -1;
  switch (graphic->CellType()) {
    case ctBitmap: return reinterpret_cast<intptr_t>(graphic->Payload());
    case ctIcon: return reinterpret_cast<intptr_t>(graphic->CellIcon());
    case ctImageList: return graphic->CellIndex();
    default: return -1;
  }
}

bool TExStringGrid::GetRadioIndex(int col, int row, int& index) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic) return false;
  index = graphic->CellIndex();
  return graphic->CellType() == ctRadio;
}

TStringList* TExStringGrid::GetRadioItems(int col, int row) const {
  const TPoint base = BaseCellOf(col, row);
  const TCellGraphic* graphic = GetCellGraphic(base.X, base.Y);
  return graphic && graphic->CellType() == ctRadio ? graphic->CellStrings() : nullptr;
}

bool TExStringGrid::IsRadio(int col, int row) const {
  const TPoint base = BaseCellOf(col, row);
  return GetCellType(base.X, base.Y) == ctRadio;
}

bool TExStringGrid::IsButton(int col, int row) const {
  const TPoint base = BaseCellOf(col, row);
  const TCellType type = GetCellType(base.X, base.Y);
  return type == ctButton || type == ctBitButton;
}

bool TExStringGrid::IsCheckBox(int col, int row) const {
  const TPoint base = BaseCellOf(col, row);
  return IsCheckBoxType(GetCellType(base.X, base.Y));
}

bool TExStringGrid::HasCheckOrRadio(int col, int row) const {
  const TPoint base = BaseCellOf(col, row);
  const TCellType type = GetCellType(base.X, base.Y);
  return IsCheckBoxType(type) || type == ctRadio || type == ctButton;
}

bool TExStringGrid::GetComment(int col, int row, AnsiString& text) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic || graphic->CellType() != ctComment) return false;
  text = graphic->CellText();
  return true;
}

bool TExStringGrid::GetRotated(int col, int row, int& angle) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic || graphic->CellType() != ctRotated) return false;
  angle = graphic->CellAngle();
  return true;
}

void TExStringGrid::GetCellErrorRange(int col, int row, int& from, int& length) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  from = graphic ? graphic->CellErrFrom() : 0;
  length = graphic ? graphic->CellErrLen() : 0;
}

void TExStringGrid::SetCellBoolean(int col, int row, bool value) {
  const int real = RealColIndex(col);
  TCellGraphic* graphic = GetCellGraphic(real, row);
  if (!graphic) return;
  graphic->SetCellBoolean(value);
  RepaintCell(col, row);
}

// ------------------------------------------------------------- check boxes

bool TExStringGrid::GetCheckBoxState(int col, int row, bool& state) {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic) return false;
  switch (graphic->CellType()) {
    case ctCheckBox:
      state = graphic->CellBoolean();
      return true;
    case ctDataCheckBox:
    case ctVirtCheckBox: {
      AnsiString checkTrue = CheckTrue();
      GetCheckTrue(col, row, checkTrue);
      state = GetCellText(col, row) == checkTrue;
      return true;
    }
    default: return false;
  }
}

bool TExStringGrid::SetCheckBoxState(int col, int row, bool state) {
  TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic) return false;
  switch (graphic->CellType()) {
    case ctCheckBox:
      graphic->SetCellBoolean(state);
      RepaintCell(DisplColIndex(col), row);
      return true;
    case ctDataCheckBox:
    case ctVirtCheckBox: {
      AnsiString text = state ? CheckTrue() : CheckFalse();
      if (state) GetCheckTrue(col, row, text);
      else GetCheckFalse(col, row, text);
      SetCellText(col, row, text);
      return true;
    }
    default: return false;
  }
}

void TExStringGrid::CheckAll(int col) {
  for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r) SetCheckBoxState(col, r, true);
}

void TExStringGrid::UncheckAll(int col) {
  for (int r = TBaseGrid::FixedRows(); r < RowCount(); ++r) SetCheckBoxState(col, r, false);
}

bool TExStringGrid::ToggleCheckBox(int col, int row, bool withCheck) {
  TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic || !IsCheckBoxType(graphic->CellType())) return false;
  if (withCheck) {
    bool canEdit = true;
    CanEditCell(col, row, canEdit);
    if (!canEdit) return false;
  }
  if (graphic->CellType() == ctCheckBox) {
    graphic->SetCellBoolean(!graphic->CellBoolean());
  } else {
    AnsiString checkTrue = CheckTrue();
    GetCheckTrue(col, row, checkTrue);
    if (GetCellText(col, row) != checkTrue) {
      SetCellText(col, row, checkTrue);
    } else {
      AnsiString checkFalse = CheckFalse();
      GetCheckFalse(col, row, checkFalse);
      SetCellText(col, row, checkFalse);
    }
  }
  RepaintCell(DisplColIndex(col), row);
  return true;
}

bool TExStringGrid::PointInCheckBox(int col, int row, int x, int y) {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic || !IsCheckBoxType(graphic->CellType())) return false;
  if (!mouseActions_->PreciseCheckBoxCheck()) return true;
  const int size = controlLook_->CheckSize();
  const TRect r = MergedCellRect(DisplColIndex(col), row);
  int top = r.Top + 2;
  if (graphic->CellVAlign() == vaBottom) top = r.Bottom - 2 - size;
  else if (graphic->CellVAlign() == vaCenter) top = r.Top + (r.Bottom - r.Top - size) / 2;
  TAlignment hAlign = taLeftJustify;
  TVAlignment vAlign = vtaTop;
  if (const TCellProperties* props = FindCellProperties(col, row)) hAlign = props->Alignment();
  GetCellAlignment(col, row, hAlign, vAlign);
  int left = r.Left + 2;
  if (hAlign == taRightJustify) left = r.Right - 2 - size;
  else if (hAlign == taCenter) left = r.Left + (r.Right - r.Left - size) / 2;
  return x >= left && x < left + size && y >= top && y < top + size;
}

// ------------------------------------------------------------- radio groups

bool TExStringGrid::NextRadioItem(int col, int row, bool withCheck) {
  TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic || graphic->CellType() != ctRadio) return false;
  if (withCheck) {
    bool canEdit = true;
    CanEditCell(col, row, canEdit);
    if (!canEdit) return false;
  }
  const TStringList* items = graphic->CellStrings();
  // A radio group without items has nothing to move to.
  if (!items || items->Count() == 0) return false;
  int index = graphic->CellIndex();
  if (index < 0) index = items->IndexOf(GetCellText(col, row)) + 1;
  else ++index;
  if (index >= items->Count()) index = 0;
  if (graphic->CellIndex() >= 0) graphic->SetCellIndex(index);
  SetCellText(col, row, items->Strings(index));
  RepaintCell(DisplColIndex(col), row);
  return true;
}

// ------------------------------------------------------------- sizes

TRect TExStringGrid::GetCellGraphicRect(int col, int row) const {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  const TRect cell = MergedCellRect(DisplColIndex(col), row);
  if (!graphic) return TRect();
  // Buttons pack their offset into CellValue and their size into CellIndex.
  const auto packed = static_cast<std::uint32_t>(std::lround(std::fmod(graphic->CellValue(), 4294967296.0)));
  const auto size = static_cast<std::uint32_t>(graphic->CellIndex());
  TRect r;
  r.Left = cell.Left + static_cast<int>(packed & 0xFFFF);
  r.Top = cell.Top + static_cast<int>(packed >> 16);
  r.Right = r.Left + static_cast<int>(size & 0xFFFF);
  r.Bottom = r.Top + static_cast<int>(size >> 16);
  if (graphic->CellVAlign() == vaFull) {
    r.Top = cell.Top;
    r.Bottom = cell.Bottom;
  }
  if (graphic->CellHAlign() == haFull) {
    r.Left = cell.Left;
    r.Right = cell.Right;
  }
  return r;
}

namespace {

// A picture of w x h fitted into a cell of cw x ch, keeping its proportions.
TPoint FitPicture(int w, int h, int cw, int ch) {
  if (w <= 0 || h <= 0) return {0, 0};
  if (w <= cw && h <= ch) return {w, h};
  const double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
  return {static_cast<int>(w * scale), static_cast<int>(h * scale)};
}

}  // namespace

TPoint TExStringGrid::GetCellGraphicSize(int col, int row) {
  const TCellGraphic* graphic = GetCellGraphic(col, row);
  if (!graphic) return {0, 0};
  const TPoint cell = MergedCellSize(DisplColIndex(col), row);
  int width = 0;
  int height = 0;
  switch (graphic->CellType()) {
    case ctBitmap:
      if (const TBitmap* bitmap = graphic->CellBitmap()) {
        width = bitmap->Width();
        height = bitmap->Height();
      }
      break;
    case ctIcon:
      if (const TIcon* icon = graphic->CellIcon()) {
        width = icon->Width();
        height = icon->Height();
      }
      break;
    case ctImageList:
    case ctDataImage:
      if (gridImages_) {
        width = gridImages_->Width();
        height = gridImages_->Height();
      }
      break;
    case ctCheckBox:
    case ctDataCheckBox:
    case ctVirtCheckBox:
      width = height = controlLook_->CheckSize();
      break;
    case ctRadio:
      if (const TStringList* items = graphic->CellStrings()) {
        TCanvas* canvas = Canvas();
        canvas->Font()->Assign(*Font());
        const int lineHeight = canvas->TextHeight("gh");
        if (graphic->CellBoolean()) {
          for (int i = 0; i < items->Count(); ++i) width += canvas->TextWidth(items->Strings(i)) + 12;
          height = lineHeight;
        } else {
          for (int i = 0; i < items->Count(); ++i) width = std::max(width, canvas->TextWidth(items->Strings(i)));
          width += 12;
          height = lineHeight * items->Count();
        }
      }
      break;
    case ctImages:
      if (const TIntList* images = graphic->CellImages(); images && gridImages_) {
        const int n = images->Count();
        if (graphic->CellBoolean()) {
          width = n * gridImages_->Width();
          height = gridImages_->Height();
        } else {
          width = gridImages_->Width();
          height = n * gridImages_->Height();
        }
      }
      break;
    case ctPicture:
      if (const TPicture* picture = graphic->CellPicture()) {
        const TPoint fitted = FitPicture(picture->Width(), picture->Height(), cell.X, cell.Y);
        width = fitted.X;
        height = fitted.Y;
      }
      break;
    case ctFilePicture:
      if (const TFilePicture* picture = graphic->CellFilePicture()) {
        const TPoint fitted = FitPicture(picture->Width(), picture->Height(), cell.X, cell.Y);
        width = fitted.X;
        height = fitted.Y;
      }
      break;
    case ctButton:
    case ctBitButton: {
      const auto size = static_cast<std::uint32_t>(graphic->CellIndex());
      width = static_cast<int>(size & 0xFFFF);
      height = static_cast<int>(size >> 16);
      break;
    }
    case ctProgressPie:
      width = height = 20;
      break;
    default: break;
  }
  if (graphic->CellVAlign() == vaFull) height = cell.Y;
  if (graphic->CellHAlign() == haFull) width = cell.X;
  return {width, height};
}

// ------------------------------------------------------------- per-cell queries

void TExStringGrid::GetCellHint(int col, int row, AnsiString& hint) {
  if (OnGridHint) OnGridHint(this, row, col, hint);
}

void TExStringGrid::GetCellColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) {
  if (activeCellShow_ && SelectionShown()) {
    const bool activeRowHeader = FixedCols() > 0 && DisplColIndex(col) == 0 && row == Row();
    const bool activeColHeader = FixedRows() > 0 && row == 0 && DisplColIndex(col) == Col();
    if (activeRowHeader || activeColHeader) {
      font->Assign(activeCellFont_);
      brush->SetColor(activeCellColor_);
    }
  }
  // A fixed cell shows the fixed colours on screen whatever its own looks say.
  const TCellProperties* props = state.contains(gdFixed) ? nullptr : FindCellProperties(col, row);
  if (props) {
    if (props->BrushColor() != clNone) brush->SetColor(props->BrushColor());
    if (props->FontColor() != clNone) font->SetColor(props->FontColor());
    if (!props->FontStyle().Empty()) font->SetStyle(props->FontStyle());
    if (props->FontSize() != 0) font->SetSize(props->FontSize());
    if (!props->FontName().empty()) font->SetName(props->FontName());
  }
  if (OnGetCellColor) OnGetCellColor(this, row, col, state, brush, font);
}

void TExStringGrid::GetCellPrintColor(int col, int row, TGridDrawState state, TBrush* brush, TFont* font) {
  if (OnGetCellPrintColor) OnGetCellPrintColor(this, row, col, state, brush, font);
}

void TExStringGrid::GetCellBorder(int col, int row, TPen* pen, TCellBorders& borders) {
  if (OnGetCellBorder) OnGetCellBorder(this, row, col, pen, borders);
}

void TExStringGrid::GetCellPrintBorder(int col, int row, TPen* pen, TCellBorders& borders) {
  if (OnGetCellPrintBorder) OnGetCellPrintBorder(this, row, col, pen, borders);
}

void TExStringGrid::GetCellAlignment(int col, int row, TAlignment& horizontal, TVAlignment& vertical) {
  if (OnGetAlignment) OnGetAlignment(this, row, col, horizontal, vertical);
}

void TExStringGrid::GetCellFormat(int col, TSortStyle& style, AnsiString& prefix, AnsiString& suffix) {
  if (OnGetFormat) OnGetFormat(this, col, style, prefix, suffix);
}

void TExStringGrid::GetCellEditor(int col, int row, TEditorType& editor) {
  if (OnGetEditorType) OnGetEditorType(this, col, row, editor);
}

void TExStringGrid::IsFixedCellQuery(int col, int row, bool& fixed) {
  if (fixed) return;
  if (fixedRowAlways_ && row <= savedFixedRows_ && RowCount() == savedFixedRows_) fixed = true;
  else if (fixedColAlways_ && col == 0 && ColCount() == 1) fixed = true;
  else if (col < TBaseGrid::FixedCols() || row < TBaseGrid::FixedRows()) fixed = true;
  if (!fixed && OnIsFixedCell) OnIsFixedCell(this, row, col, fixed);
}

void TExStringGrid::CanEditCell(int col, int row, bool& canEdit) {
  const TPoint base = BaseCellOf(col, row);
  if (canEdit) {
    if (const TCellProperties* props = FindCellProperties(base.X, base.Y)) {
      canEdit = !props->ReadOnly();
      if (canEdit && !Options().contains(goEditing) && !mouseActions_->RangeSelectAndEdit() && !openingEditor_)
        canEdit = false;
    }
  }
  if (OnCanEditCell) OnCanEditCell(this, base.Y, base.X, canEdit);
}

void TExStringGrid::IsPasswordCell(int col, int row, bool& password) {
  if (OnIsPasswordCell) OnIsPasswordCell(this, row, col, password);
}

bool TExStringGrid::HasComboBox(int col, int row) {
  bool hasComboBox = false;
  if (OnHasComboBox) OnHasComboBox(this, col, row, hasComboBox);
  return hasComboBox;
}

void TExStringGrid::GetCheckTrue(int col, int row, AnsiString& text) {
  if (OnGetCheckTrue) OnGetCheckTrue(this, col, row, text);
}

void TExStringGrid::GetCheckFalse(int col, int row, AnsiString& text) {
  if (OnGetCheckFalse) OnGetCheckFalse(this, col, row, text);
}

bool TExStringGrid::IsFixedCell(int col, int row) const {
  const TPoint base = BaseCellOf(RealColIndex(col), row);
  if (base.Y >= RowCount() - fixedFooters_) return true;
  if (fixedRightCols_ > 0 && base.X >= ColCount() - fixedRightCols_ + hiddenColCount_) return true;
  bool fixed = false;
  const_cast<TExStringGrid*>(this)->IsFixedCellQuery(base.X, base.Y, fixed);
  return fixed;
}

// ------------------------------------------------------------- grid file hooks

namespace {

TCellGraphicIO GraphicToIO(const TCellGraphic& g) {
  TCellGraphicIO io;
  io.CellType = g.CellType();
  io.CellVAlign = g.CellVAlign();
  io.CellHAlign = g.CellHAlign();
  io.CellIndex = g.CellIndex();
  io.CellTransparent = g.CellTransparent();
  io.CellCreated = g.CellCreated();
  io.CellBoolean = g.CellBoolean();
  io.CellAngle = g.CellAngle();
  io.CellValue = g.CellValue();
  io.CellErrFrom = g.CellErrFrom();
  io.CellErrLen = g.CellErrLen();
  io.CellText = g.CellText();
  return io;
}

void GraphicFromIO(TCellGraphic& g, const TCellGraphicIO& io) {
  g.SetCellType(static_cast<TCellType>(io.CellType));
  g.SetCellVAlign(static_cast<TCellVAlign>(io.CellVAlign));
  g.SetCellHAlign(static_cast<TCellHAlign>(io.CellHAlign));
  g.SetCellIndex(io.CellIndex);
  g.SetCellTransparent(io.CellTransparent);
  g.SetCellCreated(io.CellCreated);
  g.SetCellBoolean(io.CellBoolean);
  g.SetCellAngle(io.CellAngle);
  g.SetCellValue(io.CellValue);
  g.SetCellErrFrom(io.CellErrFrom);
  g.SetCellErrLen(io.CellErrLen);
  g.SetCellText(io.CellText);
}

template <class Writer>
std::string StreamBytes(Writer write) {
  TMemoryStream stream;
  write(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<std::size_t>(stream.Size()));
}

bool CollectGraphic(TExStringGrid&, int, int, const TCellProperties& props, TCellGraphicIO& io,
                    TGridCellPayload& payload) {
  const TCellGraphic* g = props.CellGraphic();
  // A shared virtual check box belongs to its column, not to the cell.
  if (!g || g->CellType() == ctVirtCheckBox) return false;
  const bool hasPayload = CellTypeHasPayload(g->CellType());
  // A payload the application attached stays the application's: it puts
  // it back itself after loading.
  if (hasPayload && !g->CellCreated() && (g->Payload() || g->CellIcon())) return false;
  io = GraphicToIO(*g);
  // Bytes that did not decode when they were loaded go back as they came.
  if (const auto* undecoded = dynamic_cast<const TUndecodedGraphic*>(g->Payload())) {
    payload.Data = undecoded->Data;
    return true;
  }
  switch (g->CellType()) {
    case ctBitmap:
    case ctBitButton:
      if (const TBitmap* bitmap = g->CellBitmap(); bitmap && !bitmap->Empty())
        payload.Data = StreamBytes([&](TStream& s) { bitmap->WriteData(s); });
      break;
    case ctIcon:
      if (const TIcon* icon = g->CellIcon(); icon && !icon->Empty())
        payload.Data = StreamBytes([&](TStream& s) { icon->WriteData(s); });
      break;
    case ctPicture:
      if (const TPicture* picture = g->CellPicture(); picture && picture->Graphic())
        payload.Data = StreamBytes([&](TStream& s) { picture->WriteData(s); });
      break;
    case ctRadio:
      if (const TStringList* items = g->CellStrings())
        for (int i = 0; i < items->Count(); ++i) payload.Strings.push_back(items->Strings(i));
      break;
    case ctImages:
      if (const TIntList* images = g->CellImages())
        for (int i = 0; i < images->Count(); ++i) payload.Strings.push_back(IntToStr(images->Items(i)));
      break;
    case ctFilePicture:
      if (const TFilePicture* picture = g->CellFilePicture())
        payload.FilePicture = {picture->Filename(), picture->Width(), picture->Height()};
      break;
    default: break;
  }
  return true;
}

// nullptr when data does not decode.
template <class T>
std::unique_ptr<T> ReadGraphicData(const std::string& data) {
  auto graphic = std::make_unique<T>();
  if (data.empty()) return graphic;
  try {
    TMemoryStream stream;
    stream.WriteBuffer(data.data(), static_cast<Int64>(data.size()));
    stream.SetPosition(0);
    graphic->ReadData(stream);
  } catch (const Exception&) {
    return nullptr;
  }
  return graphic;
}

// The file was read whole before the grid changed; an image that does not
// decode shows nothing, and its bytes stay for the next save.
template <class T>
TObject* GraphicOrUndecoded(std::string&& data) {
  if (std::unique_ptr<T> graphic = ReadGraphicData<T>(data)) return graphic.release();
  return new TUndecodedGraphic(std::move(data));
}

void ApplyGraphic(TExStringGrid& grid, int col, int row, const TCellGraphicIO& io, TGridCellPayload&& payload) {
  TCellGraphic* g = grid.CreateCellGraphic(col, row);
  if (!g) return;
  GraphicFromIO(*g, io);
  if (!CellTypeHasPayload(io.CellType)) return;
  // What the loader creates, the grid owns and frees.
  g->SetCellCreated(true);
  switch (static_cast<TCellType>(io.CellType)) {
    case ctBitmap:
    case ctBitButton:
      g->SetPayload(GraphicOrUndecoded<TBitmap>(std::move(payload.Data)));
      break;
    case ctIcon:
      if (std::unique_ptr<TIcon> icon = ReadGraphicData<TIcon>(payload.Data))
        g->SetCellIcon(icon.release());
      else
        g->SetPayload(new TUndecodedGraphic(std::move(payload.Data)));
      break;
    case ctPicture:
      g->SetPayload(GraphicOrUndecoded<TPicture>(std::move(payload.Data)));
      break;
    case ctRadio: {
      auto items = std::make_unique<TStringList>();
      for (AnsiString& s : payload.Strings) items->Add(s);
      g->SetPayload(items.release());
      break;
    }
    case ctImages: {
      auto images = std::make_unique<TIntList>(col, row);
      for (const AnsiString& s : payload.Strings) images->Add(StrToIntDef(s, 0));
      g->SetPayload(images.release());
      break;
    }
    case ctFilePicture: {
      auto picture = std::make_unique<TFilePicture>();
      picture->SetStored(payload.FilePicture.Filename, payload.FilePicture.Width, payload.FilePicture.Height);
      g->SetPayload(picture.release());
      break;
    }
    default: break;
  }
}

}  // namespace

void TExStringGrid::InstallGridFileHooks() {
  static const bool installed = [] {
    TGridFileHooks& hooks = GridFileHooks();
    // Other units may have hooked in already: theirs run too.
    auto reset = hooks.ResetForFullLoad;
    hooks.ResetForFullLoad = [reset](TExStringGrid& grid) {
      if (reset) reset(grid);
      // The hidden rows go first, so that switching the filter off and
      // taking the nodes apart bring none of them back.
      grid.ResetHiddenState();
      grid.SetFilterActive(false);
      grid.RemoveAllNodes();
    };
    auto fullSave = hooks.ForFullSave;
    hooks.ForFullSave = [fullSave](TExStringGrid& grid, const std::function<void()>& write) {
      grid.WithAllShown([&] {
        if (fullSave) fullSave(grid, write);
        else write();
      });
    };
    hooks.CollectGraphic = CollectGraphic;
    hooks.ApplyGraphic = ApplyGraphic;
    // The node marks came in as cell graphics: the count follows them,
    // before the hooks of other units look at the loaded grid.
    auto afterLoad = hooks.AfterLoad;
    hooks.AfterLoad = [afterLoad](TExStringGrid& grid) {
      grid.RecountNodes();
      if (afterLoad) afterLoad(grid);
    };
    return true;
  }();
  (void)installed;
}
