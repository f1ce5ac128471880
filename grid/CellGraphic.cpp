#include "grid/CellGraphic.h"

// ------------------------------------------------------------- TFilePicture

void TFilePicture::SetFilename(const AnsiString& value) {
  filename_ = value;
  width_ = 0;
  height_ = 0;
  if (value.empty()) return;
  try {
    TPicture picture;
    picture.LoadFromFile(value);
    width_ = picture.Width();
    height_ = picture.Height();
  } catch (const Exception&) {
    // The size stays 0: drawing tries the file again and draws nothing.
  }
}

void TFilePicture::Draw(TCanvas& canvas, const TRect& r) const {
  if (filename_.empty()) return;
  try {
    TPicture picture;
    picture.LoadFromFile(filename_);
    if (TGraphic* graphic = picture.Graphic()) graphic->Draw(canvas, r);
  } catch (const Exception&) {
    // A poster deleted behind the catalogue's back leaves the cell blank.
  }
}

void TFilePicture::Assign(const TPersistent* source) {
  if (const auto* other = dynamic_cast<const TFilePicture*>(source)) {
    filename_ = other->filename_;
    width_ = other->width_;
    height_ = other->height_;
    return;
  }
  TPersistent::Assign(source);
}

// ------------------------------------------------------------- TCellGraphic

TCellGraphic::~TCellGraphic() {
  if (cellCreated_) {
    delete payload_;
    delete icon_;
  }
}

void TCellGraphic::FreeOwned(TObject*& object) {
  if (cellCreated_) delete object;
  object = nullptr;
}

void TCellGraphic::SetPayload(TObject* payload) {
  if (payload == payload_) return;
  FreeOwned(payload_);
  payload_ = payload;
}

TObject* TCellGraphic::ReleasePayload() {
  TObject* payload = payload_;
  payload_ = nullptr;
  return payload;
}

void TCellGraphic::SetCellIcon(TIcon* icon) {
  if (icon == icon_) return;
  if (cellCreated_) delete icon_;
  icon_ = icon;
}

void TCellGraphic::Assign(const TPersistent* source) {
  const auto* other = dynamic_cast<const TCellGraphic*>(source);
  if (!other) {
    TPersistent::Assign(source);
    return;
  }
  cellType_ = other->cellType_;
  cellVAlign_ = other->cellVAlign_;
  cellHAlign_ = other->cellHAlign_;
  cellIndex_ = other->cellIndex_;
  cellTransparent_ = other->cellTransparent_;
  cellValue_ = other->cellValue_;
  cellAngle_ = other->cellAngle_;
  cellBoolean_ = other->cellBoolean_;
  cellErrFrom_ = other->cellErrFrom_;
  cellErrLen_ = other->cellErrLen_;
  cellText_ = other->cellText_;
  // The flag says who frees the payload: a graphic that holds one keeps its
  // own flag, or it would free an object it never owned (or leak its own).
  if (!payload_ && !icon_) cellCreated_ = other->cellCreated_;
}
