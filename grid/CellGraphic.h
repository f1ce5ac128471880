// The graphic record a string-grid cell may carry (a check box, a radio
// group, a node, a button, a picture, ...), and the file picture that a
// picture cell may point to instead of holding the image.
//
// A cell holds at most one TCellGraphic, kept in its TCellProperties; the
// string grid creates and frees it. The graphic owns its payload object and
// its icon only while CellCreated is set; otherwise they belong to whoever
// attached them (the application, or the column grid for the shared
// ctVirtCheckBox graphics, which no cell ever frees).
#pragma once

#include <cstdint>

#include "grid/ExGridLists.h"
#include "platform/rtl/Classes.h"
#include "platform/vcl/Graphics.h"

// Ordinals are stored in the grid file: keep the order.
enum TCellType : Byte {
  ctBitmap, ctIcon, ctNone, ctImageList, ctCheckBox, ctDataCheckBox, ctRotated, ctDataImage,
  ctNode, ctRadio, ctEmpty, ctImages, ctPicture, ctFilePicture, ctValue, ctProgress, ctComment,
  ctButton, ctBitButton, ctVirtCheckBox, ctProgressPie, ctSummary
};
inline constexpr int kCellTypeCount = 22;

enum TCellVAlign : Byte { vaTop, vaBottom, vaCenter, vaUnderText, vaAboveText, vaFull };
enum TCellHAlign : Byte { haLeft, haRight, haCenter, haBeforeText, haAfterText, haFull };

// A picture kept as a file name: the file is read once for its size when the
// name is set, and again each time it is drawn.
class TFilePicture : public TPersistent {
 public:
  const AnsiString& Filename() const { return filename_; }
  // Takes the picture's width and height from the file; a file that cannot
  // be read or decoded leaves them 0, since a missing poster must not stop
  // a catalogue from opening.
  void SetFilename(const AnsiString& value);
  int Width() const { return width_; }
  void SetWidth(int v) { width_ = v; }
  int Height() const { return height_; }
  void SetHeight(int v) { height_ = v; }
  // Takes the name and size as stored (the grid file), without reading the file.
  void SetStored(const AnsiString& filename, int width, int height) {
    filename_ = filename;
    width_ = width;
    height_ = height;
  }
  // Loads the file and stretches it into r; nothing for an empty name or an
  // unreadable file.
  void Draw(TCanvas& canvas, const TRect& r) const;
  void Assign(const TPersistent* source) override;

 private:
  AnsiString filename_;
  int width_ = 0;
  int height_ = 0;
};

class TCellGraphic : public TPersistent {
 public:
  TCellGraphic() = default;
  // Frees the payload and the icon when CellCreated is set.
  ~TCellGraphic() override;

  // ---- published, in the order the grid file stores them
  TCellType CellType() const { return cellType_; }
  void SetCellType(TCellType v) { cellType_ = v; }
  TCellVAlign CellVAlign() const { return cellVAlign_; }
  void SetCellVAlign(TCellVAlign v) { cellVAlign_ = v; }
  TCellHAlign CellHAlign() const { return cellHAlign_; }
  void SetCellHAlign(TCellHAlign v) { cellHAlign_ = v; }
  int CellIndex() const { return cellIndex_; }
  void SetCellIndex(int v) { cellIndex_ = v; }
  bool CellTransparent() const { return cellTransparent_; }
  void SetCellTransparent(bool v) { cellTransparent_ = v; }
  bool CellCreated() const { return cellCreated_; }
  void SetCellCreated(bool v) { cellCreated_ = v; }
  bool CellBoolean() const { return cellBoolean_; }
  void SetCellBoolean(bool v) { cellBoolean_ = v; }
  int CellAngle() const { return cellAngle_; }
  void SetCellAngle(int v) { cellAngle_ = v; }
  double CellValue() const { return cellValue_; }
  void SetCellValue(double v) { cellValue_ = v; }
  // Smallint in the file.
  int CellErrFrom() const { return cellErrFrom_; }
  void SetCellErrFrom(int v) { cellErrFrom_ = static_cast<std::int16_t>(v); }
  int CellErrLen() const { return cellErrLen_; }
  void SetCellErrLen(int v) { cellErrLen_ = static_cast<std::int16_t>(v); }
  const AnsiString& CellText() const { return cellText_; }
  void SetCellText(const AnsiString& v) { cellText_ = v; }

  // ---- payload: the bitmap (ctBitmap, ctBitButton), the radio items
  // (TStringList, ctRadio), the image indexes (TIntList, ctImages), the
  // picture (TPicture, ctPicture) or the TFilePicture (ctFilePicture).
  TObject* Payload() const { return payload_; }
  // Replaces the payload; the old one is freed when CellCreated is set and
  // it is not the same object.
  void SetPayload(TObject* payload);
  // Hands the payload to the caller without freeing it.
  TObject* ReleasePayload();
  TIcon* CellIcon() const { return icon_; }
  void SetCellIcon(TIcon* icon);

  // The payload seen as its kind; nullptr when it is another kind.
  TBitmap* CellBitmap() const { return dynamic_cast<TBitmap*>(payload_); }
  TStringList* CellStrings() const { return dynamic_cast<TStringList*>(payload_); }
  TPicture* CellPicture() const { return dynamic_cast<TPicture*>(payload_); }
  TFilePicture* CellFilePicture() const { return dynamic_cast<TFilePicture*>(payload_); }
  TIntList* CellImages() const { return dynamic_cast<TIntList*>(payload_); }

  // ctProgress: the colours of the filled and the unfilled part (not
  // stored in the grid file; clNone draws the highlight and window colours).
  TColor ProgressColor() const { return progressColor_; }
  TColor ProgressBackColor() const { return progressBackColor_; }
  void SetProgressColors(TColor filled, TColor rest) {
    progressColor_ = filled;
    progressBackColor_ = rest;
  }

  // Copies the published fields; never the payload or the icon, which
  // stay the source's. CellCreated is copied only while this graphic holds
  // neither, since it decides who frees them.
  void Assign(const TPersistent* source) override;

 private:
  void FreeOwned(TObject*& object);

  TCellType cellType_ = ctNone;
  TObject* payload_ = nullptr;
  TIcon* icon_ = nullptr;
  TCellVAlign cellVAlign_ = vaTop;
  TCellHAlign cellHAlign_ = haLeft;
  int cellIndex_ = 0;
  bool cellTransparent_ = false;
  bool cellCreated_ = false;
  bool cellBoolean_ = false;
  int cellAngle_ = 0;
  double cellValue_ = 0;
  std::int16_t cellErrFrom_ = 0;
  std::int16_t cellErrLen_ = 0;
  AnsiString cellText_;
  TColor progressColor_ = clNone;
  TColor progressBackColor_ = clNone;
};
