// Panels, paint boxes, images, radio groups, timers and splitters.
#include "platform/vcl/ExtCtrls.h"

#include <QTimer>

#include <algorithm>

#include "platform/vcl/Controls_p.h"

// ======================================================================= TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner) {
  SetBounds(0, 0, 185, 41);
  ControlStyle() << csAcceptsControls;
}

void TPanel::AdjustClientRect(TRect& rect) const {
  int inset = borderWidth_;
  if (bevelOuter_ != bvNone) inset += bevelWidth_;
  if (bevelInner_ != bvNone) inset += bevelWidth_;
  InflateRect(rect, -inset, -inset);
}

void TPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  auto bevel = [&](TBevelCut cut) {
    if (cut == bvNone) return;
    for (int i = 0; i < bevelWidth_; ++i) {
      TRect edge = r;
      if (cut == bvLowered) DrawEdge(*c, edge, BDR_SUNKENOUTER, 0x000F);
      else if (cut == bvRaised) DrawEdge(*c, edge, BDR_RAISEDINNER, 0x000F);
      InflateRect(r, -1, -1);
    }
  };
  bevel(bevelOuter_);
  InflateRect(r, -borderWidth_, -borderWidth_);
  bevel(bevelInner_);
  if (!Caption().empty()) {
    c->SetFont(*Font());
    c->SetBkMode(TRANSPARENT);
    unsigned flags = DT_SINGLELINE | DT_VCENTER;
    flags |= alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER;
    DrawText(*c, Caption(), r, flags);
  }
}

// ======================================================================= TPaintBox

TPaintBox::TPaintBox(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
  Canvas()->SetFont(*Font());
  Canvas()->Brush()->SetColor(Color());
  if (OnPaint) OnPaint(this);
}

// ======================================================================= TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner), picture_(std::make_unique<TPicture>()) {
  SetBounds(0, 0, 105, 105);
  picture_->OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() {
  DestroyWindowHandle();
  picture_->OnChange = nullptr;
}

void TImage::SetPicture(const TPicture* picture) {
  if (picture) picture_->Assign(picture);
  else picture_->SetGraphic(static_cast<const TGraphic*>(nullptr));
}

void TImage::SetAutoSize(bool v) {
  autoSize_ = v;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (autoSize_ && picture_->Width() > 0 && picture_->Height() > 0) {
    SetBounds(Left(), Top(), picture_->Width(), picture_->Height());
  }
  Invalidate();
}

TRect TImage::DestRect() const {
  int w = picture_->Width(), h = picture_->Height();
  if (w <= 0 || h <= 0) return {};
  int cw = ClientWidth(), ch = ClientHeight();
  if (stretch_ || (proportional_ && (w > cw || h > ch))) {
    if (proportional_ && w > 0 && h > 0) {
      // Scaled to fit, keeping the proportions.
      double scale = std::min(static_cast<double>(cw) / w, static_cast<double>(ch) / h);
      w = std::max(1, static_cast<int>(w * scale));
      h = std::max(1, static_cast<int>(h * scale));
    } else {
      w = cw;
      h = ch;
    }
  }
  TRect r = Bounds(0, 0, w, h);
  if (center_) OffsetRect(r, (cw - w) / 2, (ch - h) / 2);
  return r;
}

void TImage::Paint() {
  TGraphic* g = picture_->Graphic();
  if (!g || g->Empty()) return;
  TRect r = DestRect();
  if (r.Width() == g->Width() && r.Height() == g->Height()) Canvas()->Draw(r.Left, r.Top, *g);
  else Canvas()->StretchDraw(r, *g);
}

// ======================================================================= TRadioGroup

TRadioGroup::TRadioGroup(TComponent* owner) : TGroupBox(owner), items_(std::make_unique<TStringList>()) {
  items_->OnChange = [this](TObject*) { UpdateButtons(); };
}

TRadioGroup::~TRadioGroup() {
  items_->OnChange = nullptr;
  // The buttons are children: the window's destructor frees them.
}

void TRadioGroup::UpdateButtons() {
  updating_ = true;
  while (buttons_.size() > static_cast<std::size_t>(items_->Count())) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (buttons_.size() < static_cast<std::size_t>(items_->Count())) {
    auto* b = new TRadioButton(this);
    b->SetParent(this);
    b->OnClick = [this, b](TObject*) { ButtonClicked(b); };
    buttons_.push_back(b);
  }
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetCaption(items_->Strings(static_cast<int>(i)));
  if (itemIndex_ >= items_->Count()) itemIndex_ = -1;
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
  updating_ = false;
  ArrangeButtons();
}

void TRadioGroup::Realign() {
  TGroupBox::Realign();
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  if (buttons_.empty()) return;
  TRect r = ClientRect();
  AdjustClientRect(r);
  int rows = (static_cast<int>(buttons_.size()) + columns_ - 1) / columns_;
  int colWidth = std::max(1, (r.Width() - 6) / columns_);
  int rowHeight = std::max(1, r.Height() / std::max(rows, 1));
  for (std::size_t i = 0; i < buttons_.size(); ++i) {
    int col = static_cast<int>(i) / rows, row = static_cast<int>(i) % rows;
    buttons_[i]->SetBounds(r.Left + 6 + col * colWidth, r.Top + row * rowHeight + (rowHeight - 17) / 2, colWidth - 4, 17);
  }
}

void TRadioGroup::SetItemIndex(int index) {
  if (index < -1 || index >= items_->Count()) index = -1;
  if (index == itemIndex_) return;
  itemIndex_ = index;
  updating_ = true;
  for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == index);
  updating_ = false;
  Click();
}

void TRadioGroup::ButtonClicked(TRadioButton* button) {
  if (updating_) return;
  auto it = std::find(buttons_.begin(), buttons_.end(), button);
  if (it == buttons_.end()) return;
  int index = static_cast<int>(it - buttons_.begin());
  if (index == itemIndex_) return;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) {
    updating_ = true;
    for (std::size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == itemIndex_);
    updating_ = false;
    return;
  }
  itemIndex_ = index;
  Click();
}

// ======================================================================= TTimer

struct TTimer::Impl {
  QTimer timer;
};

TTimer::TTimer(TComponent* owner) : TComponent(owner), impl_(std::make_unique<Impl>()) {
  EnsureQtApplication();
  QObject::connect(&impl_->timer, &QTimer::timeout, [this] {
    RunGuarded([this] {
      if (OnTimer) OnTimer(this);
    });
  });
  Update();
}

TTimer::~TTimer() { impl_->timer.stop(); }

void TTimer::SetEnabled(bool v) {
  enabled_ = v;
  Update();
}

void TTimer::SetInterval(unsigned ms) {
  interval_ = ms;
  Update();
}

void TTimer::Update() {
  impl_->timer.stop();
  // Started whether or not OnTimer is set yet: it is usually assigned right
  // after construction, and the tick checks it.
  if (enabled_ && interval_ > 0) impl_->timer.start(static_cast<int>(interval_));
}

// ======================================================================= TSplitter

TSplitter::TSplitter(TComponent* owner) : TGraphicControl(owner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

void TSplitter::RequestAlign() {
  TGraphicControl::RequestAlign();
  SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit);
}

TControl* TSplitter::FindControl() const {
  TWinControl* p = Parent();
  if (!p) return nullptr;
  // The control aligned the same way whose edge touches this splitter.
  for (int i = 0; i < p->ControlCount(); ++i) {
    TControl* c = p->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    switch (Align()) {
      case alLeft: if (c->Left() + c->Width() == Left()) return c; break;
      case alRight: if (c->Left() == Left() + Width()) return c; break;
      case alTop: if (c->Top() + c->Height() == Top()) return c; break;
      case alBottom: if (c->Top() == Top() + Height()) return c; break;
      default: break;
    }
  }
  return nullptr;
}

void TSplitter::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TSplitter::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TGraphicControl::MouseDown(button, shift, x, y);
  if (button != mbLeft) return;
  target_ = FindControl();
  if (!target_) return;
  dragging_ = true;
  downPos_ = ClientToScreen({x, y});
  startSize_ = (Align() == alLeft || Align() == alRight) ? target_->Width() : target_->Height();
}

void TSplitter::MouseMove(TShiftState shift, int x, int y) {
  TGraphicControl::MouseMove(shift, x, y);
  if (!dragging_ || !target_ || !IsLiveControl(target_)) return;
  TPoint p = ClientToScreen({x, y});
  int delta = 0;
  switch (Align()) {
    case alLeft: delta = p.X - downPos_.X; break;
    case alRight: delta = downPos_.X - p.X; break;
    case alTop: delta = p.Y - downPos_.Y; break;
    case alBottom: delta = downPos_.Y - p.Y; break;
    default: return;
  }
  int size = std::max(minSize_, startSize_ + delta);
  // The other side keeps at least MinSize too.
  if (Parent()) {
    int room = (Align() == alLeft || Align() == alRight) ? Parent()->ClientWidth() : Parent()->ClientHeight();
    size = std::min(size, std::max(minSize_, room - minSize_ - ((Align() == alLeft || Align() == alRight) ? Width() : Height())));
  }
  if (Align() == alLeft || Align() == alRight) target_->SetWidth(size);
  else target_->SetHeight(size);
  if (Parent()) Parent()->Realign();
}

void TSplitter::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  bool wasDragging = dragging_;
  dragging_ = false;
  TGraphicControl::MouseUp(button, shift, x, y);
  if (wasDragging && OnMoved) OnMoved(this);
}
