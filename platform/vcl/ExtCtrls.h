// Panels, paint boxes, images, radio groups, timers and splitters.
#pragma once

#include <memory>

#include "platform/vcl/StdCtrls.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };

// A container that paints its colour, bevels and caption.
class TPanel : public TCustomControl {
 public:
  explicit TPanel(TComponent* owner);
  TBevelCut BevelOuter() const { return bevelOuter_; }
  void SetBevelOuter(TBevelCut b) { bevelOuter_ = b; Realign(); Invalidate(); }
  TBevelCut BevelInner() const { return bevelInner_; }
  void SetBevelInner(TBevelCut b) { bevelInner_ = b; Realign(); Invalidate(); }
  int BevelWidth() const { return bevelWidth_; }
  void SetBevelWidth(int w) { bevelWidth_ = std::max(w, 1); Realign(); Invalidate(); }
  int BorderWidth() const { return borderWidth_; }
  void SetBorderWidth(int w) { borderWidth_ = std::max(w, 0); Realign(); Invalidate(); }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a) { alignment_ = a; Invalidate(); }
  void AdjustClientRect(TRect& rect) const override;

 protected:
  void Paint() override;

 private:
  TBevelCut bevelOuter_ = bvRaised;
  TBevelCut bevelInner_ = bvNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
  TAlignment alignment_ = taCenter;
};

// A light control whose OnPaint draws on its Canvas.
class TPaintBox : public TGraphicControl {
 public:
  explicit TPaintBox(TComponent* owner);
  TNotifyEvent OnPaint;

 protected:
  void Paint() override;
};

// Shows a picture: as it is at the top-left, centred, stretched to the
// control, or scaled to fit keeping its proportions.
class TImage : public TGraphicControl {
 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;
  TPicture* Picture() const { return picture_.get(); }
  void SetPicture(const TPicture* picture);
  bool Stretch() const { return stretch_; }
  void SetStretch(bool v) { stretch_ = v; Invalidate(); }
  bool Center() const { return center_; }
  void SetCenter(bool v) { center_ = v; Invalidate(); }
  bool Proportional() const { return proportional_; }
  void SetProportional(bool v) { proportional_ = v; Invalidate(); }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) { transparent_ = v; Invalidate(); }
  bool AutoSize() const { return autoSize_; }
  void SetAutoSize(bool v);
  // Where the picture lands in the control (empty without one).
  TRect DestRect() const;

 protected:
  void Paint() override;
  TColor BackgroundColor() const override { return clNone; }

 private:
  void PictureChanged();
  std::unique_ptr<TPicture> picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
  bool autoSize_ = false;
};

// A group box of radio buttons, one per line of Items, laid out in Columns.
class TRadioGroup : public TGroupBox {
 public:
  explicit TRadioGroup(TComponent* owner);
  ~TRadioGroup() override;
  TStrings* Items() const { return items_.get(); }
  int ItemIndex() const { return itemIndex_; }
  // Checks that item (-1: none); fires OnClick as a change by the user would.
  void SetItemIndex(int index);
  int Columns() const { return columns_; }
  void SetColumns(int c) { columns_ = std::max(c, 1); ArrangeButtons(); }
  // The radio button of an item.
  TRadioButton* Buttons(int index) const { return buttons_.at(static_cast<std::size_t>(index)); }
  // Asked before the selection changes; false keeps it.
  std::function<void(TObject* sender, bool& allowChange)> OnChanging;
  void Realign() override;

 private:
  void UpdateButtons();
  void ArrangeButtons();
  void ButtonClicked(TRadioButton* button);
  std::unique_ptr<TStringList> items_;
  std::vector<TRadioButton*> buttons_;
  int itemIndex_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

// Fires OnTimer every Interval milliseconds while Enabled (and OnTimer set).
class TTimer : public TComponent {
 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  unsigned Interval() const { return interval_; }
  void SetInterval(unsigned ms);
  TNotifyEvent OnTimer;

 private:
  void Update();
  struct Impl;
  std::unique_ptr<Impl> impl_;
  bool enabled_ = true;
  unsigned interval_ = 1000;
};

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };

// A bar between aligned controls; dragging it resizes the control it sits
// against (the one aligned to the same side just before it).
class TSplitter : public TGraphicControl {
 public:
  explicit TSplitter(TComponent* owner);
  int MinSize() const { return minSize_; }
  void SetMinSize(int v) { minSize_ = std::max(v, 1); }
  TResizeStyle ResizeStyle() const { return resizeStyle_; }
  void SetResizeStyle(TResizeStyle s) { resizeStyle_ = s; }
  // The control being resized (nullptr when none sits against it).
  TControl* FindControl() const;
  TNotifyEvent OnMoved;

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void RequestAlign() override;

 private:
  int minSize_ = 30;
  TResizeStyle resizeStyle_ = rsUpdate;
  TControl* target_ = nullptr;
  TPoint downPos_;
  int startSize_ = 0;
  bool dragging_ = false;
};
