// Drag and drop of the string grid: the formats a drag carries (text, rich
// text, a column number, file names), the grid's drop target and drag
// source, and the switches of DragDropSettings.
//
// Sections:
//   Formats ............. the registered clipboard formats of the grid
//   TDragDropSettings ... the grid's switches
//   Events .............. the grid's drop and drag events
//   TEnumFormats ........ what a drag offers, read once
//   TSourceDataObject ... what a drag from here carries, format by format
//   Drag sources ........ TESGDropSource, TGridDropSource, StartTextDrag, StartColumnDrag
//   Drop targets ........ TESGDropTarget (kinds accepted), TGridDropTarget (the grid)
//
// Call tree of a drop on a grid:
//   platform drop -> TESGDropTarget::Drop -> DropCol | DropRTF | DropText, then DropFiles
//     TGridDropTarget::DropText -> OnOleDrop -> rows inserted -> PasteTextIntoCells
//                                  -> selection -> OnOleDropped
//     TGridDropTarget::DropFiles -> OnOleDropFile per file -> LoadFromCSV | ImportSpreadsheet
#pragma once

#include <functional>
#include <vector>

#include "platform/vcl/DragDrop.h"

class TExStringGrid;

// ------------------------------------------------------------ formats

// "Rich Text Format", "TExStringGrid Cells" and "Grid Column", registered on
// first use.
UINT RichTextClipboardFormat();
UINT GridCellsClipboardFormat();
UINT GridColumnClipboardFormat();

// The process-wide switch that lets rich text travel by drag and drop
// (set by any grid's OleDropRTF).
bool RichTextDropEnabled();
void SetRichTextDropEnabled(bool value);

// ------------------------------------------------------------ settings

class TDragDropSettings : public TPersistent {
 public:
  explicit TDragDropSettings(TExStringGrid* grid) : grid_(grid) {}

  bool OleAcceptFiles() const { return oleAcceptFiles_; }
  void SetOleAcceptFiles(bool v);
  bool OleAcceptText() const { return oleAcceptText_; }
  void SetOleAcceptText(bool v);
  bool OleCopyAlways() const { return oleCopyAlways_; }
  void SetOleCopyAlways(bool v) { oleCopyAlways_ = v; }
  // Registers the grid's window as a drop target (revokes it when cleared).
  bool OleDropTarget() const { return oleDropTarget_; }
  void SetOleDropTarget(bool v);
  bool OleDropSource() const { return oleDropSource_; }
  void SetOleDropSource(bool v) { oleDropSource_ = v; }
  bool OleEntireRows() const { return oleEntireRows_; }
  void SetOleEntireRows(bool v) { oleEntireRows_ = v; }
  bool OleInsertRows() const { return oleInsertRows_; }
  void SetOleInsertRows(bool v) { oleInsertRows_ = v; }
  bool OleRemoveRows() const { return oleRemoveRows_; }
  void SetOleRemoveRows(bool v) { oleRemoveRows_ = v; }
  bool OleDropRTF() const { return oleDropRTF_; }
  void SetOleDropRTF(bool v);
  bool OleColumnDragDrop() const { return oleColumnDragDrop_; }
  void SetOleColumnDragDrop(bool v);

 private:
  TExStringGrid* grid_;
  bool oleAcceptFiles_ = false;
  bool oleAcceptText_ = false;
  bool oleCopyAlways_ = false;
  bool oleDropTarget_ = false;
  bool oleDropSource_ = false;
  bool oleEntireRows_ = false;
  bool oleInsertRows_ = false;
  bool oleRemoveRows_ = false;
  bool oleDropRTF_ = false;
  bool oleColumnDragDrop_ = false;
};

// ------------------------------------------------------------ events

using TOleDropEvent =
    std::function<void(TObject* sender, int row, int col, const TDragData& data, bool& allow)>;
// The rectangle holds columns in Left/Right and rows in Top/Bottom, both inclusive.
using TOleDroppedEvent = std::function<void(TObject* sender, TRect rect)>;
using TOleDragOverEvent = std::function<void(TObject* sender, int row, int col, bool& allow)>;
using TOleDropFileEvent =
    std::function<void(TObject* sender, int row, int col, const AnsiString& fileName, bool& allow)>;
using TOleDropColEvent = std::function<void(TObject* sender, int row, int col, int dropCol)>;
using TOleDragStartEvent = std::function<void(TObject* sender, int row, int col)>;
using TOleDragStopEvent = std::function<void(TObject* sender, int effect)>;
// Before a drag starts from a cell (real column) with its text.
using TOleDragEvent =
    std::function<void(TObject* sender, int row, int col, const AnsiString& data, bool& allow)>;

// ------------------------------------------------------------ TEnumFormats

// The kinds a drag offers and their contents.
class TEnumFormats {
 public:
  explicit TEnumFormats(const TDragData& data);
  bool HasText() const { return hasText_; }
  bool HasFiles() const { return !files_.empty(); }
  bool HasRTF() const { return hasRTF_; }
  bool HasCol() const { return column_ >= 0; }
  const AnsiString& Text() const { return text_; }
  const AnsiString& RTF() const { return rtf_; }
  const std::vector<AnsiString>& Files() const { return files_; }
  // The dragged column, -1 when none.
  int Col() const { return column_; }

 private:
  bool hasText_ = false;
  bool hasRTF_ = false;
  AnsiString text_;
  AnsiString rtf_;
  std::vector<AnsiString> files_;
  int column_ = -1;
};

// ------------------------------------------------------------ TSourceDataObject

// What a drag from a grid carries. The formats are offered for reading only.
class TSourceDataObject {
 public:
  TSourceDataObject(AnsiString text, AnsiString rtf, int column = -1)
      : text_(std::move(text)), rtf_(std::move(rtf)), column_(column) {}

  // CF_TEXT, CF_UNICODETEXT, rich text (while its switch is on) and, with a
  // column, "Grid Column".
  std::vector<UINT> Formats() const;
  bool QueryGetData(UINT format) const;
  // The bytes of a format: CF_TEXT the text and a NUL; CF_UNICODETEXT the
  // text converted to UTF-16 character by character (a Hangul syllable is
  // one unit) and a NUL unit; rich text and a NUL; the column as 4 bytes,
  // little-endian. "" for a format not offered.
  std::string GetData(UINT format) const;
  // The same content as the platform's drag carries it.
  TDragData ToDragData() const;

 private:
  AnsiString text_;
  AnsiString rtf_;
  int column_;
};

// ------------------------------------------------------------ drag sources

// Answers the drag loop: Escape cancels, the released left button drops.
class TESGDropSource {
 public:
  virtual ~TESGDropSource() = default;
  enum TContinue { dcContinue, dcDrop, dcCancel };
  virtual TContinue QueryContinueDrag(bool escapePressed, bool leftButtonDown) const;
  // Notes whether the effect shown now is none.
  virtual void GiveFeedback(int effect);
  bool NoneEffect() const { return noneEffect_; }

 private:
  bool noneEffect_ = false;
};

// The grid's drag source: remembers the final effect.
class TGridDropSource : public TESGDropSource {
 public:
  explicit TGridDropSource(TExStringGrid* grid) : grid_(grid) {}
  void GiveFeedback(int effect) override;
  int LastEffect() const { return lastEffect_; }

 private:
  TExStringGrid* grid_;
  int lastEffect_ = DROPEFFECT_NONE;
};

enum TDragResult { drDropped, drCancelled };

// Build the data object and run the drag from control; effect receives the
// effect the drop took. Cancelled when the source saw no effect at the end.
TDragResult StartTextDrag(TWinControl* control, TESGDropSource& source, const AnsiString& text,
                          const AnsiString& rtf, int allowedEffects, int& effect);
TDragResult StartColumnDrag(TWinControl* control, TESGDropSource& source, int column,
                            int allowedEffects, int& effect);

// ------------------------------------------------------------ drop targets

// Kinds offered, as bits.
inline constexpr int kDropKindText = 1;
inline constexpr int kDropKindFiles = 2;
inline constexpr int kDropKindCol = 4;
inline constexpr int kDropKindRTF = 8;

// Accepts a drag by what it offers; the hooks do the work.
class TESGDropTarget : public TDropTarget {
 public:
  bool AcceptText = true;
  bool AcceptFiles = true;
  bool AcceptCols = false;

  void DragEnter(const TDragData& data, TShiftState shift, TPoint pt, int& effect) override;
  void DragOver(TShiftState shift, TPoint pt, int& effect) override;
  void DragLeave() override;
  void Drop(const TDragData& data, TShiftState shift, TPoint pt, int& effect) override;

  bool Accepted() const { return accepted_; }
  // The kinds the drag in progress offers (kDropKind* bits).
  int OfferedKinds() const { return offered_; }

 protected:
  virtual void DropText(TPoint pt, const AnsiString& text) {}
  virtual void DropCol(TPoint pt, int column) {}
  virtual void DropRTF(TPoint pt, const AnsiString& rtf) {}
  virtual void DropFiles(TPoint pt, const std::vector<AnsiString>& files) {}
  virtual void DragMouseEnter() {}
  // allow starts true; clearing it refuses the drop at pt.
  virtual void DragMouseMove(TPoint pt, bool& allow) {}
  virtual void DragMouseLeave() {}
  // The drag being dropped, while a Drop hook runs.
  const TDragData* DropData() const { return dropData_; }

 private:
  bool accepted_ = false;
  int offered_ = 0;
  const TDragData* dropData_ = nullptr;
};

// The grid's drop target: drops land at the cell under the point.
class TGridDropTarget : public TESGDropTarget {
 public:
  explicit TGridDropTarget(TExStringGrid* grid) : grid_(grid) {}
  // The column boundary (display index) a column drag would insert at; -1
  // while none is shown.
  int ColumnArrow() const { return columnArrow_; }

 protected:
  void DropText(TPoint pt, const AnsiString& text) override;
  void DropCol(TPoint pt, int column) override;
  void DropRTF(TPoint pt, const AnsiString& rtf) override;
  void DropFiles(TPoint pt, const std::vector<AnsiString>& files) override;
  void DragMouseMove(TPoint pt, bool& allow) override;
  void DragMouseLeave() override { SetColumnArrow(-1); }

 private:
  // The cell (display column) under a client point; false outside the cells.
  bool CellAt(TPoint pt, int& col, int& row) const;
  // Shows the two insertion arrows at the left edge of display column col
  // in the header, or hides them (-1).
  void SetColumnArrow(int col);
  TExStringGrid* grid_;
  int columnArrow_ = -1;
};
