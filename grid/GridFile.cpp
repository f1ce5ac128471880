// The grid file's carriers, writer and validating parser.
//
// Sections:
//   Names ......... enumeration identifiers and the carriers' property names
//   Helpers ....... size lists, spans, raw text
//   Writer ........ TGridStreamWriter, WriteGridStream
//   Parser ........ one reader per carrier, ParseGridBytes, ParseGridStream
#include "grid/GridFile.h"

#include <charconv>
#include <cstring>

// ------------------------------------------------------------------- names

const std::string_view kAlignmentNames[3] = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::string_view kVAlignmentNames[3] = {"vtaTop", "vtaCenter", "vtaBottom"};
const std::string_view kBrushStyleNames[8] = {"bsSolid",     "bsClear",     "bsHorizontal",
                                              "bsVertical",  "bsFDiagonal", "bsBDiagonal",
                                              "bsCross",     "bsDiagCross"};
const std::string_view kFontStyleNames[4] = {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
const std::string_view kEditorTypeNames[31] = {
    "edNormal",        "edSpinEdit",       "edComboEdit",      "edComboList",
    "edEditBtn",       "edCheckBox",       "edDateEdit",       "edDateEditUpDown",
    "edTimeEdit",      "edButton",         "edDataCheckBox",   "edNumeric",
    "edPositiveNumeric", "edFloat",        "edCapital",        "edMixedCase",
    "edPassword",      "edUnitEditBtn",    "edLowerCase",      "edUpperCase",
    "edFloatSpinEdit", "edTimeSpinEdit",   "edDateSpinEdit",   "edNumericEditBtn",
    "edFloatEditBtn",  "edCustom",         "edRichEdit",       "edNone",
    "edUniEdit",       "edUniComboEdit",   "edUniComboList"};
const std::string_view kCellTypeNames[22] = {
    "ctBitmap",   "ctIcon",      "ctNone",     "ctImageList",   "ctCheckBox",    "ctDataCheckBox",
    "ctRotated",  "ctDataImage", "ctNode",     "ctRadio",       "ctEmpty",       "ctImages",
    "ctPicture",  "ctFilePicture", "ctValue",  "ctProgress",    "ctComment",     "ctButton",
    "ctBitButton", "ctVirtCheckBox", "ctProgressPie", "ctSummary"};
const std::string_view kCellVAlignNames[6] = {"vaTop",       "vaBottom",    "vaCenter",
                                              "vaUnderText", "vaAboveText", "vaFull"};
const std::string_view kCellHAlignNames[6] = {"haLeft",       "haRight",     "haCenter",
                                              "haBeforeText", "haAfterText", "haFull"};

bool CellTypeHasPayload(int t) {
  return t == gfBitmap || t == gfIcon || t == gfRadio || t == gfImages || t == gfPicture ||
         t == gfFilePicture || t == gfBitButton;
}

namespace {

constexpr std::string_view kPropClass = "TGridPropIO";
constexpr std::string_view kCellClass = "TGridCellIO";
constexpr std::string_view kCellPropClass = "TGridCellPropIO";
constexpr std::string_view kGraphicClass = "TGridGraphicIO";
constexpr std::string_view kBitmapClass = "TGridBMPIO";
constexpr std::string_view kIconClass = "TGridIconIO";
constexpr std::string_view kStringsClass = "TGridSLIO";
constexpr std::string_view kPictureClass = "TGridPicIO";
constexpr std::string_view kFilePictureClass = "TGridFilePicIO";

constexpr std::string_view kCellPropsPrefix = "CellProperties.";
constexpr std::string_view kGraphicPrefix = "CellGraphic.";

// Nested property names in stream order; the index is the switch label below.
enum TPropField {
  pfIsBaseCell, pfCellSpanX, pfCellSpanY, pfOwnerCol, pfOwnerRow, pfAlignment, pfBorderColor,
  pfBorderWidth, pfBrushColor, pfBrushColorTo, pfBrushStyle, pfCellObject, pfFontColor,
  pfFontName, pfFontSize, pfFontStyle, pfEditor, pfReadOnly, pfVAlignment, pfWordWrap,
  pfNodeLevel, pfControl, pfCount
};
constexpr std::string_view kPropFieldNames[pfCount] = {
    "IsBaseCell", "CellSpanX",  "CellSpanY",  "OwnerCol",   "OwnerRow",   "Alignment",
    "BorderColor", "BorderWidth", "BrushColor", "BrushColorTo", "BrushStyle", "CellObject",
    "FontColor",  "FontName",   "FontSize",   "FontStyle",  "Editor",     "ReadOnly",
    "VAlignment", "WordWrap",   "NodeLevel",  "Control"};

enum TGraphicField {
  gxCellType, gxCellVAlign, gxCellHAlign, gxCellIndex, gxCellTransparent, gxCellCreated,
  gxCellBoolean, gxCellAngle, gxCellValue, gxCellErrFrom, gxCellErrLen, gxCellText, gxFieldCount
};
constexpr std::string_view kGraphicFieldNames[gxFieldCount] = {
    "CellType",   "CellVAlign", "CellHAlign", "CellIndex",   "CellTransparent", "CellCreated",
    "CellBoolean", "CellAngle", "CellValue",  "CellErrFrom", "CellErrLen",      "CellText"};

template <size_t N>
int FieldIndex(const std::string_view (&names)[N], std::string_view name) {
  for (size_t i = 0; i < N; ++i)
    if (names[i] == name) return static_cast<int>(i);
  return -1;
}

// A cell image up to Col's value: signature, class, empty name, "Col".
constexpr std::string_view kPlainCellHead{"TPF0\x0BTGridCellIO\x00\x03" "Col", 21};

[[noreturn]] void Invalid(const AnsiString& what) {
  throw EReadError("Invalid grid file: " + what);
}

[[noreturn]] void TooLarge(const AnsiString& what) {
  throw EWriteError("The grid cannot be saved: " + what);
}

}  // namespace

// ------------------------------------------------------------------- helpers

std::vector<int> ParseSizeList(std::string_view text, int count, std::string_view what) {
  std::vector<int> sizes;
  if (count <= 0) {
    if (!text.empty()) Invalid(AnsiString(what) + " lists sizes for no items");
    return sizes;
  }
  // Every item takes at least one digit and all but the last a comma; a
  // shorter text cannot hold count items, so nothing is reserved for it.
  if (text.size() < static_cast<size_t>(count) * 2 - 1)
    Invalid(AnsiString(what) + " holds fewer than " + IntToStr(count) + " items");
  sizes.reserve(static_cast<size_t>(count));
  const char* p = text.data();
  const char* end = p + text.size();
  for (int i = 0; i < count; ++i) {
    int v = 0;
    const char* stop = p;
    while (stop < end && *stop != ',') ++stop;
    const auto [ptr, ec] = std::from_chars(p, stop, v);
    if (p == stop || ec != std::errc() || ptr != stop)
      Invalid(AnsiString(what) + " item " + IntToStr(i) + " is not an integer");
    if (v < -1) Invalid(AnsiString(what) + " item " + IntToStr(i) + " is out of range");
    // Wider lines were saved by writers that did not bound them; the file
    // holds the user's cells all the same.
    sizes.push_back(std::min(v, kMaxCellExtent));
    if (i + 1 < count) {
      if (stop == end) Invalid(AnsiString(what) + " holds " + IntToStr(i + 1) + " items, " +
                               IntToStr(count) + " expected");
      p = stop + 1;
    } else if (stop != end) {
      Invalid(AnsiString(what) + " holds more than " + IntToStr(count) + " items");
    }
  }
  return sizes;
}

AnsiString JoinSizeList(const std::vector<int>& sizes) {
  AnsiString s;
  s.reserve(sizes.size() * 4);
  char buf[16];
  for (size_t i = 0; i < sizes.size(); ++i) {
    if (i) s += ',';
    const auto [ptr, ec] = std::to_chars(buf, buf + sizeof buf, sizes[i]);
    s.append(buf, ptr);
  }
  return s;
}

AnsiString CheckCellSpan(const TCellPropertiesIO& p, Int64 col, Int64 row, int colCount,
                         int rowCount) {
  if (p.IsBaseCell) {
    // A base cell's span below 0, whatever its value, is no span (the grid
    // reads it so); the grid can hold such values, so they load as saved.
    const Int64 lastCol = col + (p.CellSpanX > 0 ? p.CellSpanX : 0);
    const Int64 lastRow = row + (p.CellSpanY > 0 ? p.CellSpanY : 0);
    if (lastCol >= colCount || lastRow >= rowCount) return "span reaches outside the grid";
    return {};
  }
  if (p.CellSpanX < 0 || p.CellSpanY < 0) return "covered cell with a negative offset";
  if (col - p.CellSpanX < 0 || row - p.CellSpanY < 0) return "span base outside the grid";
  return {};
}

bool IsRawCellText(std::string_view text) { return text.size() >= 2 && text[0] == '|' && text[1] == '\\'; }

// ------------------------------------------------------------------- writer

namespace {

void WriteColor(TImageWriter& w, std::string_view name, TColor color) {
  AnsiString ident;
  if (ColorToIdent(color, ident))
    w.WriteIdent(name, ident);
  else
    w.WriteInteger(name, static_cast<Integer>(color));
}

template <size_t N>
std::string_view EnumName(const std::string_view (&names)[N], int value, std::string_view what) {
  if (value < 0 || static_cast<size_t>(value) >= N)
    throw EWriteError("Stream write error: " + AnsiString(what) + " value " + IntToStr(value) +
                      " has no name");
  return names[value];
}

// "CellProperties." + field, without allocating per call.
struct TPrefixedNames {
  std::string names[pfCount];  // the longer of the two field lists
  template <size_t N>
  TPrefixedNames(std::string_view prefix, const std::string_view (&fields)[N]) {
    for (size_t i = 0; i < N; ++i) names[i] = std::string(prefix) + std::string(fields[i]);
  }
};

static_assert(static_cast<int>(pfCount) >= static_cast<int>(gxFieldCount));

const TPrefixedNames& PropNames() {
  static const TPrefixedNames n(kCellPropsPrefix, kPropFieldNames);
  return n;
}

const TPrefixedNames& GraphicNames() {
  static const TPrefixedNames n(kGraphicPrefix, kGraphicFieldNames);
  return n;
}

void WriteCellProperties(TImageWriter& w, const TCellPropertiesIO& p) {
  const auto& n = PropNames().names;
  w.WriteBoolean(n[pfIsBaseCell], p.IsBaseCell);
  w.WriteInteger(n[pfCellSpanX], p.CellSpanX);
  w.WriteInteger(n[pfCellSpanY], p.CellSpanY);
  w.WriteInteger(n[pfOwnerCol], p.OwnerCol);
  w.WriteInteger(n[pfOwnerRow], p.OwnerRow);
  w.WriteIdent(n[pfAlignment], EnumName(kAlignmentNames, p.Alignment, "Alignment"));
  WriteColor(w, n[pfBorderColor], p.BorderColor);
  w.WriteInteger(n[pfBorderWidth], p.BorderWidth);
  WriteColor(w, n[pfBrushColor], p.BrushColor);
  WriteColor(w, n[pfBrushColorTo], p.BrushColorTo);
  w.WriteIdent(n[pfBrushStyle], EnumName(kBrushStyleNames, p.BrushStyle, "BrushStyle"));
  WriteColor(w, n[pfFontColor], p.FontColor);
  if (!p.FontName.empty()) w.WriteText(n[pfFontName], p.FontName);
  w.WriteInteger(n[pfFontSize], p.FontSize);
  std::vector<AnsiString> styles;
  for (int i = 0; i < 4; ++i)
    if (p.FontStyle & (1u << i)) styles.emplace_back(kFontStyleNames[i]);
  w.WriteSet(n[pfFontStyle], styles);
  w.WriteIdent(n[pfEditor], EnumName(kEditorTypeNames, p.Editor, "Editor"));
  w.WriteBoolean(n[pfReadOnly], p.ReadOnly);
  w.WriteIdent(n[pfVAlignment], EnumName(kVAlignmentNames, p.VAlignment, "VAlignment"));
  w.WriteBoolean(n[pfWordWrap], p.WordWrap);
  w.WriteInteger(n[pfNodeLevel], p.NodeLevel);
}

void WriteCellGraphic(TImageWriter& w, const TCellGraphicIO& g) {
  const auto& n = GraphicNames().names;
  w.WriteIdent(n[gxCellType], EnumName(kCellTypeNames, g.CellType, "CellType"));
  w.WriteIdent(n[gxCellVAlign], EnumName(kCellVAlignNames, g.CellVAlign, "CellVAlign"));
  w.WriteIdent(n[gxCellHAlign], EnumName(kCellHAlignNames, g.CellHAlign, "CellHAlign"));
  w.WriteInteger(n[gxCellIndex], g.CellIndex);
  w.WriteBoolean(n[gxCellTransparent], g.CellTransparent);
  w.WriteBoolean(n[gxCellCreated], g.CellCreated);
  w.WriteBoolean(n[gxCellBoolean], g.CellBoolean);
  w.WriteInteger(n[gxCellAngle], g.CellAngle);
  if (g.CellValue != 0) w.WriteFloat(n[gxCellValue], g.CellValue);
  w.WriteInteger(n[gxCellErrFrom], static_cast<SmallInt>(g.CellErrFrom));
  w.WriteInteger(n[gxCellErrLen], static_cast<SmallInt>(g.CellErrLen));
  if (!g.CellText.empty()) w.WriteText(n[gxCellText], g.CellText);
}

}  // namespace

void TGridStreamWriter::WriteProps(const TGridPropIO& p) {
  if (p.ColCount < 0 || p.ColCount > kMaxGridCols)
    TooLarge(IntToStr(p.ColCount) + " columns (at most " + IntToStr(kMaxGridCols) + ")");
  if (p.RowCount < 0 || p.RowCount > kMaxGridRows)
    TooLarge(IntToStr(p.RowCount) + " rows (at most " + IntToStr(kMaxGridRows) + ")");
  writer_.BeginObject(kPropClass);
  writer_.WriteInteger("ColCount", p.ColCount);
  writer_.WriteInteger("RowCount", p.RowCount);
  if (!p.ColWidths.empty()) writer_.WriteText("ColWidths", p.ColWidths);
  if (!p.RowHeights.empty()) writer_.WriteText("RowHeights", p.RowHeights);
  writer_.WriteBoolean("FullGrid", p.FullGrid);
  writer_.WriteInteger("ID", p.ID);
  writer_.EndObject();
}

void TGridStreamWriter::WriteCell(int col, int row, std::string_view text,
                                  const TGridFileCellExtra* extra) {
  if (col < 0 || col >= kMaxGridCols || row < 0 || row >= kMaxGridRows)
    TooLarge("cell (" + IntToStr(col) + ", " + IntToStr(row) + ") lies beyond the file's limits");
  // The cell image's fixed parts as ReadPlainCell expects them.
  writer_.WritePrepared(kPlainCellHead);
  writer_.WriteIntegerValue(col);
  writer_.WritePreparedPart({"\x03Row", 4});
  writer_.WriteIntegerValue(row);
  if (!text.empty()) {
    writer_.WritePreparedPart({"\x04" "Cell", 5});
    writer_.WriteTextValue(text, IsRawCellText(text));
  }
  writer_.WritePreparedPart(extra ? std::string_view{"\x07HasProp\x09\x00\x00", 11}
                                  : std::string_view{"\x07HasProp\x08\x00\x00", 11});
  if (!extra) return;

  writer_.BeginObject(kCellPropClass);
  WriteCellProperties(writer_, extra->Properties);
  writer_.WriteBoolean("HasGraphic", extra->HasGraphic);
  writer_.EndObject();
  if (!extra->HasGraphic) return;

  const TCellGraphicIO& g = extra->Graphic;
  writer_.BeginObject(kGraphicClass);
  WriteCellGraphic(writer_, g);
  writer_.EndObject();

  const TGridCellPayload& pay = extra->Payload;
  switch (g.CellType) {
    case gfBitmap:
    case gfBitButton:
      writer_.BeginObject(kBitmapClass);
      if (!pay.Data.empty()) writer_.WriteBinary("Bitmap.Data", pay.Data);
      writer_.EndObject();
      break;
    case gfIcon:
      writer_.BeginObject(kIconClass);
      if (!pay.Data.empty()) writer_.WriteBinary("Icon.Data", pay.Data);
      writer_.EndObject();
      break;
    case gfRadio:
    case gfImages:
      writer_.BeginObject(kStringsClass);
      if (!pay.Strings.empty()) writer_.WriteStringList("Strings.Strings", pay.Strings);
      writer_.EndObject();
      break;
    case gfPicture:
      writer_.BeginObject(kPictureClass);
      if (!pay.Data.empty()) writer_.WriteBinary("Picture.Data", pay.Data);
      writer_.EndObject();
      break;
    case gfFilePicture:
      writer_.BeginObject(kFilePictureClass);
      if (!pay.FilePicture.Filename.empty())
        writer_.WriteText("Picture.Filename", pay.FilePicture.Filename);
      writer_.WriteInteger("Picture.Width", pay.FilePicture.Width);
      writer_.WriteInteger("Picture.Height", pay.FilePicture.Height);
      writer_.EndObject();
      break;
    default:
      break;
  }
}

void WriteGridStream(TStream& stream, const TGridFile& file) {
  TGridStreamWriter w(stream);
  w.WriteProps(file.Props);
  for (const TGridFileCell& c : file.Cells) w.WriteCell(c.Col, c.Row, c.Text, c.Extra.get());
  w.Flush();
}

std::string GridPropImage(const TGridPropIO& props) {
  TGridStreamWriter w;
  w.WriteProps(props);
  return w.Bytes();
}

// ------------------------------------------------------------------- parser

namespace {

TColor ReadColor(TImageReader& r, std::string_view name) {
  if (r.PeekType() == vaIdent) {
    const AnsiString ident = r.ReadIdent(name);
    TColor color = 0;
    if (!IdentToColor(ident, color)) r.FailProperty(name, "unknown colour name");
    return color;
  }
  return static_cast<TColor>(r.ReadInteger(name, INT32_MIN, INT32_MAX));
}

Byte ReadFontStyle(TImageReader& r, std::string_view name) {
  Byte bits = 0;
  for (const AnsiString& m : r.ReadSet(name)) {
    const int i = FieldIndex(kFontStyleNames, m);
    if (i < 0) r.FailProperty(name, "invalid set member");
    bits |= static_cast<Byte>(1u << i);
  }
  return bits;
}

template <size_t N>
Byte ReadEnumOf(TImageReader& r, std::string_view name, const std::string_view (&names)[N]) {
  return static_cast<Byte>(r.ReadEnum(name, names, static_cast<int>(N)));
}

void ReadProps(TImageReader& r, TGridPropIO& p) {
  r.BeginObject(kPropClass);
  std::string_view name;
  while (r.NextProperty(name)) {
    if (name == "ColCount")
      p.ColCount = r.ReadInteger(name, 0, kMaxGridCols);
    else if (name == "RowCount")
      p.RowCount = r.ReadInteger(name, 0, kMaxGridRows);
    else if (name == "ColWidths")
      r.ReadTextInto(name, p.ColWidths);
    else if (name == "RowHeights")
      r.ReadTextInto(name, p.RowHeights);
    else if (name == "FullGrid")
      p.FullGrid = r.ReadBoolean(name);
    else if (name == "ID")
      p.ID = r.ReadInteger(name, INT32_MIN, INT32_MAX);
    else
      r.UnknownProperty(kPropClass, name);
  }
}

// The cell image as every writer of the format lays it out: the carrier's
// header, Col, Row, an optional Cell and HasProp, in that order. Read in one
// pass over the bytes; anything else (another order, a value out of range,
// a fault) returns false without moving, for ReadCell to read or refuse.
bool ReadPlainCell(TImageReader& r, TGridCellView& c, bool& hasProp) {
  constexpr std::string_view kHead = kPlainCellHead;
  const auto* p = reinterpret_cast<const unsigned char*>(r.Current());
  const size_t n = r.Remaining();
  if (n < kHead.size() || std::memcmp(p, kHead.data(), kHead.size()) != 0) return false;
  size_t i = kHead.size();
  auto integer = [&](int maximum, int& v) {
    if (i >= n) return false;
    const unsigned char tag = p[i];
    if (tag == vaInt8 && i + 2 <= n) {
      v = static_cast<signed char>(p[i + 1]);
      i += 2;
    } else if (tag == vaInt16 && i + 3 <= n) {
      v = static_cast<std::int16_t>(p[i + 1] | (p[i + 2] << 8));
      i += 3;
    } else if (tag == vaInt32 && i + 5 <= n) {
      v = static_cast<Integer>(Cardinal{p[i + 1]} | (Cardinal{p[i + 2]} << 8) | (Cardinal{p[i + 3]} << 16) |
                               (Cardinal{p[i + 4]} << 24));
      i += 5;
    } else {
      return false;
    }
    return v >= 0 && v <= maximum;
  };
  auto name = [&](std::string_view expected) {
    if (n - i < expected.size() || std::memcmp(p + i, expected.data(), expected.size()) != 0) return false;
    i += expected.size();
    return true;
  };
  if (!integer(kMaxGridCols, c.Col) || !name({"\x03Row", 4}) || !integer(kMaxGridRows, c.Row)) return false;
  c.Text = {};
  c.TextUtf8 = false;
  if (name({"\x04" "Cell", 5})) {
    if (i >= n) return false;
    const unsigned char tag = p[i++];
    size_t length = 0;
    if (tag == vaString) {
      if (i >= n) return false;
      length = p[i++];
    } else if (tag == vaLString || tag == vaUTF8String) {
      if (n - i < 4) return false;
      length = Cardinal{p[i]} | (Cardinal{p[i + 1]} << 8) | (Cardinal{p[i + 2]} << 16) | (Cardinal{p[i + 3]} << 24);
      i += 4;
    } else {
      return false;
    }
    if (n - i < length) return false;
    c.Text = std::string_view(reinterpret_cast<const char*>(p + i), length);
    c.TextUtf8 = tag == vaUTF8String;
    i += length;
  }
  if (!name({"\x07HasProp", 8}) || n - i < 3 || p[i + 1] != 0 || p[i + 2] != 0) return false;
  if (p[i] != vaTrue && p[i] != vaFalse) return false;
  hasProp = p[i] == vaTrue;
  r.Advance(i + 3);
  return true;
}

// Every property the image does not hold keeps its default: c is reset.
bool ReadCell(TImageReader& r, TGridCellView& c) {
  r.BeginObject(kCellClass);
  c.Col = 0;
  c.Row = 0;
  c.Text = {};
  c.TextUtf8 = false;
  bool hasProp = false;
  std::string_view name;
  while (r.NextProperty(name)) {
    if (name == "Col")
      c.Col = r.ReadInteger(name, 0, kMaxGridCols);
    else if (name == "Row")
      c.Row = r.ReadInteger(name, 0, kMaxGridRows);
    else if (name == "Cell")
      r.ReadTextView(name, c.Text, c.TextUtf8);
    else if (name == "HasProp")
      hasProp = r.ReadBoolean(name);
    else
      r.UnknownProperty(kCellClass, name);
  }
  return hasProp;
}

void ReadCellProps(TImageReader& r, TGridFileCellExtra& x) {
  r.BeginObject(kCellPropClass);
  TCellPropertiesIO& p = x.Properties;
  std::string_view name;
  while (r.NextProperty(name)) {
    if (name == "HasGraphic") {
      x.HasGraphic = r.ReadBoolean(name);
      continue;
    }
    const int field = name.starts_with(kCellPropsPrefix)
                          ? FieldIndex(kPropFieldNames, name.substr(kCellPropsPrefix.size()))
                          : -1;
    switch (field) {
      case pfIsBaseCell: p.IsBaseCell = r.ReadBoolean(name); break;
      case pfCellSpanX: p.CellSpanX = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfCellSpanY: p.CellSpanY = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfOwnerCol: p.OwnerCol = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfOwnerRow: p.OwnerRow = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfAlignment: p.Alignment = ReadEnumOf(r, name, kAlignmentNames); break;
      case pfBorderColor: p.BorderColor = ReadColor(r, name); break;
      case pfBorderWidth: p.BorderWidth = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfBrushColor: p.BrushColor = ReadColor(r, name); break;
      case pfBrushColorTo: p.BrushColorTo = ReadColor(r, name); break;
      case pfBrushStyle: p.BrushStyle = ReadEnumOf(r, name, kBrushStyleNames); break;
      case pfFontColor: p.FontColor = ReadColor(r, name); break;
      case pfFontName: r.ReadTextInto(name, p.FontName); break;
      case pfFontSize: p.FontSize = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfFontStyle: p.FontStyle = ReadFontStyle(r, name); break;
      case pfEditor: p.Editor = ReadEnumOf(r, name, kEditorTypeNames); break;
      case pfReadOnly: p.ReadOnly = r.ReadBoolean(name); break;
      case pfVAlignment: p.VAlignment = ReadEnumOf(r, name, kVAlignmentNames); break;
      case pfWordWrap: p.WordWrap = r.ReadBoolean(name); break;
      case pfNodeLevel: p.NodeLevel = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case pfCellObject:
      case pfControl:
        // A reference by component name; nothing in a cell can be bound to
        // it on loading, so it is read and dropped.
        if (r.PeekType() == vaNull) r.ReadValue(name); else r.ReadIdent(name);
        break;
      default:
        r.UnknownProperty(kCellPropClass, name);
    }
  }
}

void ReadGraphic(TImageReader& r, TCellGraphicIO& g) {
  r.BeginObject(kGraphicClass);
  std::string_view name;
  while (r.NextProperty(name)) {
    const int field = name.starts_with(kGraphicPrefix)
                          ? FieldIndex(kGraphicFieldNames, name.substr(kGraphicPrefix.size()))
                          : -1;
    switch (field) {
      case gxCellType: g.CellType = ReadEnumOf(r, name, kCellTypeNames); break;
      case gxCellVAlign: g.CellVAlign = ReadEnumOf(r, name, kCellVAlignNames); break;
      case gxCellHAlign: g.CellHAlign = ReadEnumOf(r, name, kCellHAlignNames); break;
      case gxCellIndex: g.CellIndex = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case gxCellTransparent: g.CellTransparent = r.ReadBoolean(name); break;
      case gxCellCreated: g.CellCreated = r.ReadBoolean(name); break;
      case gxCellBoolean: g.CellBoolean = r.ReadBoolean(name); break;
      case gxCellAngle: g.CellAngle = r.ReadInteger(name, INT32_MIN, INT32_MAX); break;
      case gxCellValue: g.CellValue = r.ReadFloat(name); break;
      case gxCellErrFrom: g.CellErrFrom = r.ReadInteger(name, -32768, 32767); break;
      case gxCellErrLen: g.CellErrLen = r.ReadInteger(name, -32768, 32767); break;
      case gxCellText: r.ReadTextInto(name, g.CellText); break;
      default: r.UnknownProperty(kGraphicClass, name);
    }
  }
}

// A payload image holding at most one byte-block property named dataName.
void ReadDataImage(TImageReader& r, std::string_view cls, std::string_view dataName,
                   std::string& data) {
  r.BeginObject(cls);
  std::string_view name;
  while (r.NextProperty(name)) {
    if (name != dataName) r.UnknownProperty(cls, name);
    data = r.ReadBinary(name);
  }
}

void ReadPayload(TImageReader& r, const TCellGraphicIO& g, TGridCellPayload& pay) {
  std::string_view name;
  switch (g.CellType) {
    case gfBitmap:
    case gfBitButton:
      ReadDataImage(r, kBitmapClass, "Bitmap.Data", pay.Data);
      break;
    case gfIcon:
      ReadDataImage(r, kIconClass, "Icon.Data", pay.Data);
      break;
    case gfPicture: {
      const size_t start = r.Position();
      ReadDataImage(r, kPictureClass, "Picture.Data", pay.Data);
      // The data opens with the graphic's class name as a short string.
      if (!pay.Data.empty() && static_cast<Byte>(pay.Data[0]) + size_t{1} > pay.Data.size())
        r.FailAt(start, "picture data shorter than its class name");
      break;
    }
    case gfRadio:
    case gfImages:
      r.BeginObject(kStringsClass);
      while (r.NextProperty(name)) {
        if (name != "Strings.Strings") r.UnknownProperty(kStringsClass, name);
        pay.Strings = r.ReadStringList(name);
      }
      if (g.CellType == gfImages)
        for (const AnsiString& s : pay.Strings) {
          int v = 0;
          const auto [ptr, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
          if (s.empty() || ec != std::errc() || ptr != s.data() + s.size())
            Invalid("image index \"" + s.substr(0, 20) + "\" is not an integer");
        }
      break;
    case gfFilePicture:
      r.BeginObject(kFilePictureClass);
      while (r.NextProperty(name)) {
        if (name == "Picture.Filename")
          r.ReadTextInto(name, pay.FilePicture.Filename);
        else if (name == "Picture.Width")
          pay.FilePicture.Width = r.ReadInteger(name, INT32_MIN, INT32_MAX);
        else if (name == "Picture.Height")
          pay.FilePicture.Height = r.ReadInteger(name, INT32_MIN, INT32_MAX);
        else
          r.UnknownProperty(kFilePictureClass, name);
      }
      break;
    default:
      break;
  }
}

}  // namespace

namespace {

// Below this many bytes left in a window that does not reach the end, the
// window moves on before the next cell: a cell rarely needs more, and one
// that does is read again in a larger window.
constexpr size_t kWindowSlack = size_t{64} << 10;

}  // namespace

void WalkGridBytes(const char* data, size_t size, TGridFileHeader& f,
                   const std::function<void(const TGridCellView&)>& onCell) {
  TWholeGridBytes window(data, size);
  WalkGridWindow(window, f, onCell);
}

void WalkGridWindow(TGridByteWindow& w, TGridFileHeader& f,
                    const std::function<void(const TGridCellView&)>& onCell) {
  const Int64 size = w.Total;
  TImageReader r(w.Data, w.Size, w.Base);
  // Moves the window to start at stream offset from with at least need
  // bytes, and the reader onto it.
  auto move = [&](Int64 from, size_t need) {
    w.More(from, need);
    r = TImageReader(w.Data, w.Size, w.Base);
    r.Advance(static_cast<size_t>(from - w.Base));
  };
  // A read that fails in a window short of the stream's end is tried again
  // with twice the bytes it had from where it started: only at the end is
  // the failure the stream's. Sized by that read, not by the window, which
  // one large cell before would otherwise keep doubling.
  auto retry = [&](Int64 from) {
    if (w.ReachesEnd()) return false;
    move(from, std::max(kWindowSlack, 2 * static_cast<size_t>(w.Base + static_cast<Int64>(w.Size) - from)));
    return true;
  };
  TGridPropIO& p = f.Props;
  for (;;) {
    try {
      p = {};
      ReadProps(r, p);
      break;
    } catch (const EReadError&) {
      if (!retry(w.Base)) throw;
    }
  }

  if (p.FullGrid && (p.ColCount < 1 || p.RowCount < 1))
    Invalid("a whole grid needs at least one column and one row");
  const Int64 cellLimit = kGridCellsBase + kGridCellsPerByte * size;
  if (Int64{p.ColCount} * p.RowCount > cellLimit)
    Invalid(IntToStr(p.ColCount) + " x " + IntToStr(p.RowCount) +
            " cells are more than a file of this size can hold");
  if (p.FullGrid) {
    f.ColWidthList = ParseSizeList(p.ColWidths, p.ColCount, "ColWidths");
    f.RowHeightList = ParseSizeList(p.RowHeights, p.RowCount, "RowHeights");
    f.ColumnCells.assign(static_cast<size_t>(p.ColCount), 0);
  }

  bool first = true;
  // Older writers kept Row in 16 bits, so in a whole grid of more than 65536
  // rows the stored row wraps to 0 after 65535. Cells of a whole grid come
  // row by row from the top, so a row below the previous one has wrapped.
  const bool rowsMayWrap = p.FullGrid && p.RowCount > 65536;
  int rowBase = 0;
  int lastRow = 0;
  TGridCellView c;
  TGridFileCellExtra extra;
  // A last single byte is not a cell: streams that end one byte after the
  // last image still end cleanly.
  while (size - (w.Base + static_cast<Int64>(r.Position())) >= 2) {
    if (r.Remaining() < kWindowSlack && !w.ReachesEnd()) move(w.Base + static_cast<Int64>(r.Position()), 0);
    const size_t start = r.Position();
    const Int64 startOffset = w.Base + static_cast<Int64>(start);
    // A cell the window cuts off is read again whole; the checks of what
    // was read are the stream's own failures wherever they fall (reading a
    // cell again repeats what it did to the state above).
    bool checkFailed = false;
    try {
      bool hasProp = false;
      if (!ReadPlainCell(r, c, hasProp)) hasProp = ReadCell(r, c);
      if (rowsMayWrap) {
        if (c.Row <= 0xFFFF && Int64{c.Row} + rowBase < lastRow && rowBase + 65536 < p.RowCount)
          rowBase += 65536;
        if (c.Row <= 0xFFFF) c.Row += rowBase;
        lastRow = c.Row;
      }
      if (first) {
        f.FirstCol = c.Col;
        f.FirstRow = c.Row;
        first = false;
      }
      checkFailed = true;
      if (p.FullGrid) {
        if (c.Col >= p.ColCount || c.Row >= p.RowCount)
          r.FailAt(start, "cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) +
                              ") lies outside the grid's " + IntToStr(p.ColCount) + " x " +
                              IntToStr(p.RowCount) + " cells");
        // The writer stores a whole grid row by row, left to right, each cell
        // once: a cell at or before the previous one is damage, and reading on
        // would hide what the damage took.
        if (c.Row < f.LastCellRow || (c.Row == f.LastCellRow && c.Col <= f.LastCellCol))
          r.FailAt(start, "cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) + ") comes after cell (" +
                              IntToStr(f.LastCellCol) + ", " + IntToStr(f.LastCellRow) + ")");
      } else {
        const Int64 dc = Int64{c.Col} - f.FirstCol;
        const Int64 dr = Int64{c.Row} - f.FirstRow;
        if (dr < 0 || dr >= p.RowCount || dc <= -Int64{p.ColCount} || dc >= p.ColCount)
          r.FailAt(start, "cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) +
                              ") lies outside the stored block");
      }
      checkFailed = false;
      c.Extra = nullptr;
      if (hasProp) {
        extra = {};
        c.Extra = &extra;
        const size_t propStart = r.Position();
        ReadCellProps(r, extra);
        if (p.FullGrid) {
          const AnsiString err = CheckCellSpan(extra.Properties, c.Col, c.Row, p.ColCount, p.RowCount);
          checkFailed = !err.empty();
          if (checkFailed)
            r.FailAt(propStart, "cell (" + IntToStr(c.Col) + ", " + IntToStr(c.Row) + "): " + err);
        }
        if (extra.HasGraphic) {
          ReadGraphic(r, extra.Graphic);
          ReadPayload(r, extra.Graphic, extra.Payload);
        }
      }
    } catch (const EReadError&) {
      if (checkFailed || !retry(startOffset)) throw;
      continue;
    }
    // Only once the cell is read whole: a cell read again is counted once.
    if (p.FullGrid && c.Row > f.FirstRow) ++f.ColumnCells[static_cast<size_t>(c.Col)];
    f.LastCellRow = std::max(f.LastCellRow, c.Row);
    f.LastCellCol = c.Col;
    onCell(c);
  }
}

TGridFile ParseGridBytes(const char* data, size_t size) {
  TGridFile f;
  WalkGridBytes(data, size, f, [&f](const TGridCellView& v) {
    TGridFileCell& c = f.Cells.emplace_back();
    c.Col = v.Col;
    c.Row = v.Row;
    c.Text = v.TakeText();
    if (v.Extra) c.Extra = std::make_unique<TGridFileCellExtra>(std::move(*v.Extra));
  });
  return f;
}

TGridFile ParseGridStream(TStream& stream) {
  const Int64 position = stream.Position();
  const Int64 size = stream.Size();
  const Int64 count = size > position ? size - position : 0;
  if (auto* memory = dynamic_cast<TCustomMemoryStream*>(&stream)) {
    const char* base = static_cast<const char*>(memory->Memory());
    TGridFile f = ParseGridBytes(base + position, static_cast<size_t>(count));
    stream.SetPosition(size);
    return f;
  }
  std::string bytes(static_cast<size_t>(count), '\0');
  stream.ReadBuffer(bytes.data(), count);
  return ParseGridBytes(bytes.data(), bytes.size());
}
