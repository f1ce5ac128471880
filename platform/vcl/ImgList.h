// Image lists: images of one size kept side by side, drawn by index, enabled
// or greyed.
#pragma once

#include "platform/vcl/Graphics.h"

class TCustomImageList : public TComponent {
 public:
  explicit TCustomImageList(TComponent* owner);
  ~TCustomImageList() override;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size empties the list, as the class library does.
  void SetWidth(int width);
  void SetHeight(int height);
  int Count() const { return static_cast<int>(images_.size()); }

  // Adds the images of image cut into Width-wide pieces (mask: white =
  // transparent, may be nullptr). Returns the index of the first one.
  int Add(const TBitmap* image, const TBitmap* mask);
  // As Add, with the pixels of maskColor transparent.
  int AddMasked(const TBitmap& image, TColor maskColor);
  // The icon's pixels keep their own transparency.
  int AddIcon(const TIcon& icon);
  void Replace(int index, const TBitmap* image, const TBitmap* mask);
  void Delete(int index);
  void Clear();
  // Index outside 0..Count()-1: nothing is drawn. Disabled images are greyed.
  void Draw(TCanvas* canvas, int x, int y, int index, bool enabled = true) const;
  // The image on the background colour of bitmap's canvas brush (white by default).
  void GetBitmap(int index, TBitmap* image) const;
  TColor BkColor() const { return bkColor_; }
  void SetBkColor(TColor color) { bkColor_ = color; }

  TNotifyEvent OnChange;

  struct Image;

 private:
  void Changed();
  int width_ = 16;
  int height_ = 16;
  TColor bkColor_ = clNone;
  std::vector<std::unique_ptr<Image>> images_;
};

class TImageList : public TCustomImageList {
 public:
  using TCustomImageList::TCustomImageList;
};
