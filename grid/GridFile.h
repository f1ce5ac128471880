// The grid file: a stream of carrier images (see GridStream.h) that the
// string grid writes for its catalogue files and for its clipboard format.
//
// Layout: one TGridPropIO image; then, for each stored cell row by row, a
// TGridCellIO image, a TGridCellPropIO image when the cell has properties,
// and when those say HasGraphic a TGridGraphicIO image followed by the
// payload image its cell type needs. No trailer, no cell count: the stream
// ends after the last cell (one stray byte at the end is tolerated).
//
// Sections:
//   Enumeration names ... the identifiers the file uses for each enumeration
//   Carriers ............ one plain record per carrier class, with defaults
//   TGridFile ........... a whole parsed stream, validated
//   TGridStreamWriter ... writes the images cell by cell
//   Parse / write ....... ParseGridStream, WriteGridStream
//   The string grid ..... saving and loading a TExStringGrid (ExGridFile.cpp)
//
// Reading is all or nothing: WalkGridBytes (and ParseGridStream on it)
// validates the whole stream (signatures, property names and kinds, sizes,
// cell positions, spans) before the caller touches a grid, and raises
// EReadError otherwise.
//
// Limits (a file beyond them is refused as malformed, and a grid beyond
// them is refused on saving, so that whatever is saved loads again):
//   ColCount <= 65535, RowCount <= 4,000,000, and ColCount * RowCount at most
//   kGridCellsBase + kGridCellsPerByte * (bytes of the stream), since a grid
//   that large in memory must come from a file of matching size. Column
//   widths and row heights are written within -1..32767; a larger one in a
//   file is read as 32767, a smaller one refused.
//   Col and Row are stored as integers of the smallest tag; positions up to
//   65535 give the same bytes as a 16-bit field, larger rows take an int32,
//   so files with more than 65535 rows keep every row. A whole-grid file
//   whose rows wrapped at 65536 (16-bit writers) is read with its rows
//   unwrapped, since its cells come in row order.
#pragma once

#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "grid/GridStream.h"
#include "platform/vcl/Graphics.h"

inline constexpr int kMaxGridCols = 65535;
inline constexpr int kMaxGridRows = 4'000'000;
inline constexpr Int64 kGridCellsBase = Int64{1} << 20;
inline constexpr Int64 kGridCellsPerByte = 16;
inline constexpr int kMaxCellExtent = 32767;

// ------------------------------------------------------------ enumeration names

// Indexed by the enumeration's ordinal value.
extern const std::string_view kAlignmentNames[3];     // TAlignment
extern const std::string_view kVAlignmentNames[3];    // TVAlignment
extern const std::string_view kBrushStyleNames[8];    // TBrushStyle
extern const std::string_view kFontStyleNames[4];     // TFontStyle
extern const std::string_view kEditorTypeNames[31];   // TEditorType
extern const std::string_view kCellTypeNames[22];     // TCellType
extern const std::string_view kCellVAlignNames[6];    // TCellVAlign
extern const std::string_view kCellHAlignNames[6];    // TCellHAlign

// Ordinals of the cell types the file treats specially.
enum TGridFileCellType : Byte {
  gfBitmap = 0, gfIcon = 1, gfNone = 2, gfRadio = 9, gfEmpty = 10, gfImages = 11, gfPicture = 12,
  gfFilePicture = 13, gfBitButton = 18,
};
// True for the types whose graphic carries a payload image.
bool CellTypeHasPayload(int cellType);

// ------------------------------------------------------------ carriers

struct TGridPropIO {
  int ColCount = 0;
  int RowCount = 0;
  AnsiString ColWidths;   // "64,64,80"
  AnsiString RowHeights;
  bool FullGrid = false;
  int ID = 0;             // written for the record; readers ignore it
};

struct TGridCellIO {
  int Col = 0;
  int Row = 0;
  AnsiString Cell;
  bool HasProp = false;
};

// The published fields of a cell's properties, as the file holds them.
struct TCellPropertiesIO {
  bool IsBaseCell = true;
  int CellSpanX = -1;
  int CellSpanY = -1;
  int OwnerCol = 0;
  int OwnerRow = 0;
  Byte Alignment = 0;
  TColor BorderColor = 0;
  int BorderWidth = 0;
  TColor BrushColor = clNone;
  TColor BrushColorTo = clNone;
  Byte BrushStyle = 0;
  TColor FontColor = clNone;
  AnsiString FontName;
  int FontSize = 0;
  Byte FontStyle = 0;     // bit n = TFontStyle n
  Byte Editor = 0;
  bool ReadOnly = false;
  Byte VAlignment = 0;
  bool WordWrap = false;
  int NodeLevel = 0;
  friend bool operator==(const TCellPropertiesIO&, const TCellPropertiesIO&) = default;
};

struct TGridCellPropIO {
  TCellPropertiesIO CellProperties;
  bool HasGraphic = false;
};

// The published fields of a cell graphic.
struct TCellGraphicIO {
  Byte CellType = gfNone;
  Byte CellVAlign = 0;
  Byte CellHAlign = 0;
  int CellIndex = 0;
  bool CellTransparent = false;
  bool CellCreated = false;
  bool CellBoolean = false;
  int CellAngle = 0;
  double CellValue = 0;
  int CellErrFrom = 0;    // Smallint
  int CellErrLen = 0;     // Smallint
  AnsiString CellText;
  friend bool operator==(const TCellGraphicIO&, const TCellGraphicIO&) = default;
};

struct TGridGraphicIO {
  TCellGraphicIO CellGraphic;
};

struct TGridFilePicIO {
  AnsiString Filename;
  int Width = 0;
  int Height = 0;
  friend bool operator==(const TGridFilePicIO&, const TGridFilePicIO&) = default;
};

// The payload of a graphic cell; which member is used follows from its type:
// Data for a bitmap, icon or picture (a picture's data starts with its
// graphic class name as a short string), Strings for radio items and image
// indexes, FilePicture for a file picture.
struct TGridCellPayload {
  std::string Data;
  std::vector<AnsiString> Strings;
  TGridFilePicIO FilePicture;
};

// A stored bitmap, icon or picture payload that does not decode: the cell
// keeps its bytes as its payload object, so that saving writes them back
// unchanged, and shows nothing for it.
class TUndecodedGraphic : public TObject {
 public:
  explicit TUndecodedGraphic(std::string data) : Data(std::move(data)) {}
  std::string Data;
};

// ------------------------------------------------------------ TGridFile

// What a cell beyond its text carries; most cells have none of it.
struct TGridFileCellExtra {
  TCellPropertiesIO Properties;
  bool HasGraphic = false;
  TCellGraphicIO Graphic;
  TGridCellPayload Payload;
};

struct TGridFileCell {
  int Col = 0;   // as stored
  int Row = 0;
  AnsiString Text;
  bool RawText = false;  // text stored byte for byte (a Unicode cell)
  std::unique_ptr<TGridFileCellExtra> Extra;  // set when HasProp
};

// What a stream holds before and beside its cells.
struct TGridFileHeader {
  TGridPropIO Props;
  std::vector<int> ColWidthList;    // parsed; full-grid streams only
  std::vector<int> RowHeightList;
  // The first stored cell's position (where a partial stream is anchored).
  int FirstCol = 0;
  int FirstRow = 0;
  // The last stored cell's position; row -1 when none is stored. The stream
  // has no cell count, so a copy cut off between two cells reads as a whole
  // stream: rows the header counts past this one, and columns after this
  // one that other rows fill, are all a reader has to suspect that. The
  // grid's writer ends a whole grid with its last cell, stored even empty
  // (unless the grid stores no cell at all).
  int LastCellRow = -1;
  int LastCellCol = -1;
  // Whole grids only: per column, how many rows below FirstRow store a cell
  // in it (cells of a whole grid come in the writer's order, each once).
  std::vector<int> ColumnCells;
};

struct TGridFile : TGridFileHeader {
  // A deque: it grows without moving the cells, and a loader can drop the
  // cells it has applied from the front while it goes.
  std::deque<TGridFileCell> Cells;
};

// One stored cell as WalkGridBytes reads it: Text points into the stream's
// bytes, and Extra (nullptr for a cell without properties) is the walker's
// own record, reused for the next cell. Both are valid during the call only.
struct TGridCellView {
  int Col = 0;                // as stored, rows of a wrapped stream unwrapped
  int Row = 0;
  std::string_view Text;      // the stored bytes
  bool TextUtf8 = false;      // stored as UTF-8 (tag 20)
  TGridFileCellExtra* Extra = nullptr;
  AnsiString TakeText() const { return TextFromView(Text, TextUtf8); }
};

// Parses "64,80,-1" into exactly count integers within -1..kMaxCellExtent;
// raises EReadError naming what (e.g. "ColWidths") otherwise.
std::vector<int> ParseSizeList(std::string_view text, int count, std::string_view what);
// "64,80,-1".
AnsiString JoinSizeList(const std::vector<int>& sizes);

// Checks a cell's span against a grid of colCount x rowCount with the cell at
// (col, row): a base cell's span must end inside, a covered cell's offsets
// must lead back into it. Returns an error text, empty when sound.
AnsiString CheckCellSpan(const TCellPropertiesIO& props, Int64 col, Int64 row, int colCount,
                         int rowCount);

// True for text whose bytes are not code page 949 and must be stored as they are.
bool IsRawCellText(std::string_view text);

// ------------------------------------------------------------ TGridStreamWriter

// Writes a grid stream image by image. A cell's text is stored byte for
// byte when it is a Unicode cell. Raises EWriteError for a size or a
// position beyond the limits above, before writing anything of that image.
class TGridStreamWriter {
 public:
  explicit TGridStreamWriter(TStream& stream) : writer_(stream) {}
  TGridStreamWriter() = default;

  void WriteProps(const TGridPropIO& props);
  // extra: nullptr for a cell without properties. When extra->HasGraphic the
  // graphic and, by its type, the payload image follow.
  void WriteCell(int col, int row, std::string_view text, const TGridFileCellExtra* extra);
  void Flush() { writer_.Flush(); }
  const std::string& Bytes() const { return writer_.Bytes(); }

 private:
  TImageWriter writer_;
};

// ------------------------------------------------------------ parse / write

// Reads the stream from its position to its end; validates everything and
// raises EReadError (the stream's position is then undefined) or returns the
// whole model. The stream is left at its end.
TGridFile ParseGridStream(TStream& stream);
// The same checks without building the model: header gets the stream's
// properties and first cell, onCell each cell as soon as it is read whole
// (onCell may raise too, and the walk stops there). Nothing is allocated
// per cell; texts are not converted.
void WalkGridBytes(const char* data, size_t size, TGridFileHeader& header,
                   const std::function<void(const TGridCellView&)>& onCell);

// A stream's bytes seen through a window that moves forward: Data holds
// Size bytes from offset Base of a stream of Total bytes. More(from, need)
// moves the window to start at from (at or after Base) and to hold at least
// need bytes, or all that are left.
class TGridByteWindow {
 public:
  virtual ~TGridByteWindow() = default;
  virtual void More(Int64 from, size_t need) = 0;
  bool ReachesEnd() const { return Base + static_cast<Int64>(Size) >= Total; }
  const char* Data = nullptr;
  size_t Size = 0;
  Int64 Base = 0;
  Int64 Total = 0;
};
// The whole stream in memory: a window that never moves.
class TWholeGridBytes : public TGridByteWindow {
 public:
  TWholeGridBytes(const char* data, size_t size) {
    Data = data;
    Size = size;
    Total = static_cast<Int64>(size);
  }
  void More(Int64, size_t) override {}
};
// WalkGridBytes over a window: the same checks, messages and cells, with no
// more of the stream in memory at once than its largest cell needs.
void WalkGridWindow(TGridByteWindow& window, TGridFileHeader& header,
                    const std::function<void(const TGridCellView&)>& onCell);
TGridFile ParseGridBytes(const char* data, size_t size);
void WriteGridStream(TStream& stream, const TGridFile& file);

// The image bytes of single carriers, for tests and for small callers.
std::string GridPropImage(const TGridPropIO& props);

// ------------------------------------------------------------ the string grid
//
// Call tree:
//   SaveGridFile -> stale temporary files of killed saves removed
//       -> temporary file beside the target -> SaveGridStream
//       -> hooks.ForFullSave( WriteCellsToStream (every real row and column) )
//       -> fsync -> beforeReplace (the caller's backup of the old file)
//       -> ReplaceFile over the target (the old file stays on any failure)
//   LoadGridFile -> the file through a window of a few megabytes
//       -> as ReadCellsFromStream (0, 0), reading the file once for each walk,
//       with the caller's check between validating and applying
//       (a file written to in between is read again whole) -> hooks.AfterLoad
//   ReadCellsFromStream -> the stream's bytes
//       -> WalkGridBytes (validate everything, check targets; nothing kept)
//       -> full grid: hooks.ResetForFullLoad, ClearAll, sizes
//       -> WalkGridBytes again, each cell straight into the grid

class TExStringGrid;
class TCellProperties;

using TGridProgressEvent = std::function<void(TObject* sender, int progress)>;

// What the grid file needs of the string grid's units that keep hidden rows
// and columns, filters, nodes and cell graphics. Those units install their
// parts; an empty hook does the plain thing noted on it.
struct TGridFileHooks {
  // Before a whole-grid load is applied: show every hidden row and column and
  // drop the filter and the nodes, so nothing of the previous catalogue comes
  // back later. Empty: nothing to reset.
  std::function<void(TExStringGrid& grid)> ResetForFullLoad;
  // Runs write while every real row and column is in the grid's display
  // (hidden ones included) and puts the hidden state back afterwards, also
  // when write raises. Empty: write runs as it is.
  std::function<void(TExStringGrid& grid, const std::function<void()>& write)> ForFullSave;
  // The cell's graphic as the file holds it; false when the cell has none to
  // store (no graphic, or a payload the application owns). Empty: graphics
  // are not stored.
  std::function<bool(TExStringGrid& grid, int col, int row, const TCellProperties& props,
                     TCellGraphicIO& graphic, TGridCellPayload& payload)>
      CollectGraphic;
  // Creates the cell's graphic from the file. Empty: graphics are dropped.
  std::function<void(TExStringGrid& grid, int col, int row, const TCellGraphicIO& graphic,
                     TGridCellPayload&& payload)>
      ApplyGraphic;
  // After a whole-stream load (node count, repaint of the node column).
  std::function<void(TExStringGrid& grid)> AfterLoad;
};
TGridFileHooks& GridFileHooks();

// The stream of the rectangle (c1, r1)-(c2, r2). A partial rectangle always
// stores its top-left cell, even empty, so that a reader places the block by
// its corner. progress gets 0..100 after each row, when it changes.
void WriteCellsToStream(TExStringGrid& grid, int c1, int r1, int c2, int r2, TStream& stream,
                        const TGridProgressEvent& progress = {});
// All or nothing: the stream is parsed and every target cell checked against
// the grid before the grid changes; EReadError otherwise. A partial stream
// is placed with its first stored cell at origin.
void ReadCellsFromStream(TExStringGrid& grid, TPoint origin, TStream& stream);
// The same for a stream already parsed; the cells are moved out of file.
void ApplyGridFile(TExStringGrid& grid, TPoint origin, TGridFile& file);
// The whole grid, every real row and column; the grid's rows keep their
// hidden state.
void SaveGridStream(TExStringGrid& grid, TStream& stream, const TGridProgressEvent& progress = {});
void LoadGridStream(TExStringGrid& grid, TStream& stream);
// Writes a temporary file beside fileName and replaces fileName by it only
// when every byte was written and is on the disk: a failed save raises
// (EFCreateError, EWriteError, with the system's error number) and leaves
// the old file as it was. beforeReplace runs between the two, while the old
// file is still in place (to keep it as a backup); when it raises, the save
// stops there. Stale temporary files of earlier saves of that file go first.
// Through a symbolic link the file it leads to is replaced (the link stays),
// and the new file keeps the old one's owner and permissions.
void SaveGridFile(TExStringGrid& grid, const AnsiString& fileName, const TGridProgressEvent& progress = {},
                  const std::function<void()>& beforeReplace = {});
// Called with a whole validated stream before the grid changes; it raises to
// refuse the stream, and the grid then stays as it was.
using TGridFileCheck = std::function<void(const TGridFileHeader& file)>;
// Raised by LoadGridFile when another program spoiled the file while its
// cells were going into the grid: the grid holds part of it and no longer
// what it held before, and must not be saved as either.
VIDRENA_EXCEPTION(EGridFileTorn, EReadError);
// EFOpenError when the file cannot be read; the grid is then unchanged,
// except as EGridFileTorn says.
void LoadGridFile(TExStringGrid& grid, const AnsiString& fileName, const TGridFileCheck& check = {});
