// Sections:
//   Looks ................. published setters that repaint
//   Scroll bars ........... ScrollType, ScrollColor, ScrollWidth
//   Integral height ....... SetBounds snapping the height to whole rows
//   Editing ............... MaxEditLength, LookupItems
//   Linked components ..... GridImages, CellChecker and their removal
//   Version ............... the packed number and its text
//
// Every setter here that repaints skips the repaint while an update bracket
// is open: the bracket's end repaints the whole grid once.
#include "grid/ExGrid.h"
#include "grid/PictureContainer.h"

#include <algorithm>

// ------------------------------------------------------------- looks

void TExStringGrid::SetURLColor(TColor v) {
  if (urlColor_ == v) return;
  urlColor_ = v;
  // Only URL texts show the colour, and only while URLs are shown.
  if (urlShow_) RepaintUnlessUpdating();
}

void TExStringGrid::SetURLFull(bool v) {
  if (urlFull_ == v) return;
  urlFull_ = v;
  if (urlShow_) RepaintUnlessUpdating();
}

void TExStringGrid::SetFlat(bool v) {
  if (flat_ == v) return;
  flat_ = v;
  // While the form loads, its first paint shows the loaded look anyway.
  if (!HasState(csLoading)) RepaintUnlessUpdating();
}

// ------------------------------------------------------------- scroll bars

// The flat and "Encarta" looks and the background colour go to the styled
// scroll bars of the window (ExGridSizing.cpp), and ScrollWidth to their
// width.

void TExStringGrid::SetScrollType(TScrollType v) {
  scrollType_ = v;
  UpdateScrollBarLooks();
}

void TExStringGrid::SetScrollColor(TColor v) {
  scrollColor_ = v;
  UpdateScrollBarLooks();
}

void TExStringGrid::SetScrollWidth(int v) {
  scrollWidth_ = v;
  UpdateScrollBarLooks();
}

// ------------------------------------------------------------- integral height

void TExStringGrid::SetIntegralHeight(bool v) {
  integralHeight_ = v;
  SetBounds(Left(), Top(), Width(), Height());
}

void TExStringGrid::SetBounds(int left, int top, int width, int height) {
  const int rowHeight = DefaultRowHeight();
  if (integralHeight_ && UpdateCount() == 0 && rowHeight > 0) {
    // The horizontal bar takes its height off the rows only while some
    // column is out of view.
    const int bar = VisibleColCount() + FixedCols() < ColCount() ? GetSystemMetrics(SM_CYHSCROLL) : 0;
    const int border = BorderStyle() == bsSingle ? 2 : 0;
    const int rows = height - bar - border;
    height = bar + (rows - rows % rowHeight) + 2 * border;
  }
  TBaseGrid::SetBounds(left, top, width, height);
  if (HandleAllocated()) UpdateScrollRange();
}

// ------------------------------------------------------------- editing

void TExStringGrid::SetMaxEditLength(int v) {
  maxEditLength_ = std::max(v, 0);
  // An editor already made keeps its limit until it next loads a cell.
  if (TInplaceEdit* editor = InplaceEditor()) editor->SetMaxLength(maxEditLength_);
}

void TExStringGrid::SetLookupItems(const TStrings* v) {
  if (v) lookupItems_->Assign(v);
}

// ------------------------------------------------------------- linked components

void TExStringGrid::SetGridImages(TCustomImageList* v) {
  if (gridImages_ == v) return;
  if (gridImages_) gridImages_->RemoveFreeNotification(this);
  gridImages_ = v;
  if (gridImages_) gridImages_->FreeNotification(this);
  RepaintUnlessUpdating();
}

void TExStringGrid::SetCellChecker(TExStringGridCheck* v) {
  if (cellChecker_ == v) return;
  if (cellChecker_) cellChecker_->RemoveFreeNotification(this);
  cellChecker_ = v;
  if (cellChecker_) cellChecker_->FreeNotification(this);
}

void TExStringGrid::Notification(TComponent* component, TOperation operation) {
  TBaseGrid::Notification(component, operation);
  if (operation != opRemove) return;
  // A component freed elsewhere must not be reached through the grid.
  if (component == gridImages_) {
    gridImages_ = nullptr;
    if (!destroying_) RepaintUnlessUpdating();
  }
  if (component == cellChecker_) cellChecker_ = nullptr;
  if (component == static_cast<TComponent*>(pictureContainer_)) pictureContainer_ = nullptr;
}

// ------------------------------------------------------------- version

unsigned TExStringGrid::GetVersionNr() const { return (2u << 24) | (8u << 16) | (8u << 8) | 3u; }

AnsiString TExStringGrid::GetVersionString() const {
  const unsigned nr = GetVersionNr();
  return IntToStr(static_cast<int>(nr >> 24)) + "." + IntToStr(static_cast<int>((nr >> 16) & 0xFF)) + "." +
         IntToStr(static_cast<int>((nr >> 8) & 0xFF)) + "." + IntToStr(static_cast<int>(nr & 0xFF)) + " May, 2005";
}
