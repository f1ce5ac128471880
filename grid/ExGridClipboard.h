// Text forms of the string grid's data exchange: the clipboard's text block
// (fields between TABs, rows between line breaks), delimited text files, and
// the plain text of rich-text and mark-up cells. The grid's own operations
// (copy, cut, paste, import) are members of TExStringGrid, declared in
// ExGrid.h and built in ExGridClipboard.cpp and ExGridImport.cpp.
//
// Sections:
//   Limits ............ how far a paste, a drop or an import may grow a grid
//   Clipboard text .... writing a field, reading a block back, TextBlockSize
//   Delimited files ... delimiter detection, one line into fields, lines of a file
//   Plain text ........ of rich text and of mark-up cells
//   Events ............ the clipboard events of the grid
//
// The clipboard text quotes a field the way delimited files do: a text that
// holds a TAB or a line break, or begins with a double quote, is written in
// double quotes with each quote doubled. Reading undoes exactly that, so a
// copied block pastes back cell for cell, and other programs that read such
// text (spreadsheets) see the same cells.
#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"

// ------------------------------------------------------------ limits

// A paste, a drop or an import that would make the grid larger than this is
// refused with an EExGridError before the grid changes: each row the store
// touches holds a slot per column, so the product bounds the memory.
inline constexpr int kMaxTransferCols = 65535;
inline constexpr int kMaxTransferRows = 4'000'000;
inline constexpr Int64 kMaxTransferCells = 20'000'000;

// ------------------------------------------------------------ clipboard text

// Rows of fields.
using TTextBlock = std::vector<std::vector<AnsiString>>;

// Appends text as one field of the clipboard text (quoted when it must be).
void AppendClipboardField(AnsiString& out, std::string_view text);
// Whether AppendClipboardField quotes text.
bool NeedsClipboardQuotes(std::string_view text);
// Reads a clipboard text block: rows end at CRLF, LF or CR (a break at the
// very end ends the last row and starts none), fields at TAB; a field that
// begins with a double quote and has its closing quote before a TAB, a line
// break or the end is unquoted (doubled quotes become one, TABs and line
// breaks inside kept); any other field is taken as it stands.
TTextBlock ParseClipboardText(std::string_view text);
// (columns, rows) of a text block: the most fields of a row, and the rows.
TPoint TextBlockSize(std::string_view text);

// ------------------------------------------------------------ delimited files

// The delimiter of a file from its first two lines ("" for a missing one):
// of the candidates , ; # TAB | @ * - + & the first whose count of undoubled
// occurrences is the same (and highest) on both lines; else the same with
// plain counts; else the one most frequent on either line. '\0' when no
// candidate occurs.
char DetectDelimiter(std::string_view line1, std::string_view line2);
// Splits one line of a delimited file into fields (fields is cleared first).
// A field that does not begin with a double quote runs to the delimiter; one
// that does runs to its closing quote (a doubled quote is a quote), and
// whatever stands between that quote and the next delimiter follows it; an
// opening quote without its closing quote keeps the rest of the line. An
// empty rest after the last delimiter is no field. Vertical tabs become line
// breaks (the way such files carry multi-line cells). delimiter '\0' makes
// the line one field.
void SplitDelimitedLine(std::string_view line, char delimiter, std::vector<AnsiString>& fields);
// The lines of a text: each ends at CRLF, LF or CR; a break at the very end
// starts no further line.
std::vector<std::string_view> SplitTextLines(std::string_view text);


// ------------------------------------------------------------ events

using TClipboardEvent = std::function<void(TObject* sender, bool& allow)>;
using TClipboardPasteCellEvent =
    std::function<void(TObject* sender, int col, int row, AnsiString& value, bool& allow)>;
using TClipboardPasteWideCellEvent =
    std::function<void(TObject* sender, int col, int row, WideString& value, bool& allow)>;
