// The control tree: TControl, TWinControl, TCustomControl, TGraphicControl.
//
// Sections:
//   Registry ........... live controls (handles and posted work check it)
//   TControl ........... bounds, align, look, messages, mouse handlers
//   TWinControl ........ children, window creation, align, focus, keys
//   TCustomControl ..... canvas and Paint
//   TGraphicControl .... canvas and Paint on a light window
// The Qt side (windows, timers, scroll bars) is ControlsWindow.cpp; the
// event translation is ControlsEvents.cpp.
#include "platform/vcl/Controls.h"

#include <QApplication>
#include <QPainter>
#include <QWidget>

#include <algorithm>
#include <set>

#include "platform/vcl/Controls_p.h"
#include "platform/vcl/DragDrop_p.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Menus.h"

namespace {

std::set<const TControl*>& LiveControls() {
  static std::set<const TControl*> live;
  return live;
}

// The message whose native processing is being decided: DefaultHandler marks
// it when a message gets there.
struct NativeFrame {
  const TMessage* message;
  bool reached;
  NativeFrame* previous;
};
thread_local NativeFrame* g_nativeFrame = nullptr;

TWinControl* g_pendingExit = nullptr;

}  // namespace

bool IsLiveControl(const TControl* control) { return control && LiveControls().count(control) != 0; }

// Runs the message through WindowProc and tells whether it reached the
// default handler (the native widget may then have the event).
bool PerformReachesDefault(TControl* control, TMessage& m) {
  NativeFrame frame{&m, false, g_nativeFrame};
  g_nativeFrame = &frame;
  struct Restore {
    NativeFrame* previous;
    ~Restore() { g_nativeFrame = previous; }
  } restore{frame.previous};
  if (control->WindowProc) control->WindowProc(m); else control->WndProc(m);
  return frame.reached;
}

TWinControl*& PendingExitControl() { return g_pendingExit; }

AnsiString GetShortHint(std::string_view hint) {
  auto bar = hint.find('|');
  return AnsiString(bar == std::string_view::npos ? hint : hint.substr(0, bar));
}

AnsiString GetLongHint(std::string_view hint) {
  auto bar = hint.find('|');
  return AnsiString(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

// ======================================================================= TControl

TControl::TControl(TComponent* owner) : TComponent(owner), font_(std::make_unique<TFont>()) {
  LiveControls().insert(this);
  WindowProc = [this](TMessage& m) { WndProc(m); };
  font_->OnChange = [this](TObject*) { FontChanged(); };
}

TControl::~TControl() {
  LiveControls().erase(this);
  if (GetCaptureControl() == this) SetCaptureControl(nullptr);
  if (g_pendingExit == this) g_pendingExit = nullptr;
  ForgetDropTarget(this);
  if (parent_) parent_->RemoveControl(this);
  if (handle_) TControl::DestroyWindowHandle();
  font_->OnChange = nullptr;
}

void TControl::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupMenu_) popupMenu_ = nullptr;
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  if (parent == this) throw EInvalidOperation("A control cannot have itself as its parent");
  if (parent_) parent_->RemoveControl(this);
  if (parent) parent->InsertControl(this);
}

void TSizeConstraints::Set(int& field, int v) {
  field = std::max(v, 0);
  control_->ApplySizeLimits();
  control_->SetBounds(control_->Left(), control_->Top(), control_->Width(), control_->Height());
}

void TControl::ApplySizeLimits() {
  QWidget* w = WidgetOf(this);
  // A dialog of fixed size keeps its size.
  if (!w || !w->isWindow() || w->minimumSize() == w->maximumSize()) return;
  w->setMinimumSize(constraints_.MinWidth(), constraints_.MinHeight());
  w->setMaximumSize(constraints_.MaxWidth() > 0 ? constraints_.MaxWidth() : QWIDGETSIZE_MAX,
                    constraints_.MaxHeight() > 0 ? constraints_.MaxHeight() : QWIDGETSIZE_MAX);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = constraints_.ConstrainWidth(std::max(width, 0));
  height = constraints_.ConstrainHeight(std::max(height, 0));
  bool moved = left != left_ || top != top_;
  bool sized = width != width_ || height != height_;
  if (!moved && !sized) return;
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
  if (QWidget* w = WidgetOf(this)) {
    if (w->isWindow()) {
      w->move(left, top);
      // A dialog's fixed size follows the size the program gives it.
      if (w->minimumSize() == w->maximumSize()) w->setFixedSize(width, height);
      else w->resize(width, height);
    } else {
      int inset = ClientInset(parent_);
      w->setGeometry(left + inset, top + inset, width, height);
    }
  }
  if (moved) Perform(WM_MOVE, 0, MAKELPARAM(left, top));
  if (sized) Perform(WM_SIZE, SIZE_RESTORED, MAKELPARAM(width, height));
  if (parent_ && (align_ != alNone) && !parent_->aligning_) parent_->Realign();
  if (parent_ && !parent_->aligning_) UpdateAnchorRules();
  if (parent_) parent_->ChildBoundsChanged(this);
}

void TControl::UpdateAnchorRules() {
  if (!parent_) {
    anchorsValid_ = false;
    return;
  }
  TRect client = parent_->ClientRect();
  parent_->AdjustClientRect(client);
  anchorRight_ = client.Width() - left_ - width_;
  anchorBottom_ = client.Height() - top_ - height_;
  anchorsValid_ = true;
}

TRect TControl::ClientRect() const { return Rect(0, 0, width_, height_); }

void TControl::SetClientWidth(int v) { SetWidth(width_ - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(height_ - ClientHeight() + v); }

TPoint TControl::ClientOrigin() const {
  if (QWidget* w = WidgetOf(this)) {
    int inset = ClientInset(this);
    QPoint p = w->mapToGlobal(QPoint(inset, inset));
    return {p.x(), p.y()};
  }
  if (!parent_) return {left_, top_};
  TPoint p = parent_->ClientOrigin();
  return {p.X + left_, p.Y + top_};
}

TPoint TControl::ClientToScreen(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& p) const {
  TPoint o = ClientOrigin();
  return {p.X - o.X, p.Y - o.Y};
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  RequestAlign();
}

void TControl::SetAnchors(TAnchors anchors) {
  anchors_ = anchors;
  UpdateAnchorRules();
}

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  VisibleChanging();
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible ? 1 : 0, 0);
  if (QWidget* w = WidgetOf(this)) {
    if (!w->isWindow()) w->setVisible(visible);
  }
  if (parent_ && align_ != alNone) parent_->Realign();
}

bool TControl::Showing() const {
  if (!visible_) return false;
  if (parent_) return parent_->Showing();
  QWidget* w = WidgetOf(this);
  return w && w->isVisible();
}

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (QWidget* w = WidgetOf(this)) w->setEnabled(enabled);
  Perform(CM_ENABLEDCHANGED, 0, 0);
}

void TControl::BringToFront() {
  if (QWidget* w = WidgetOf(this)) w->raise();
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.push_back(this);
  }
}

void TControl::SendToBack() {
  if (QWidget* w = WidgetOf(this)) w->lower();
  if (parent_) {
    auto& list = parent_->controls_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    list.insert(list.begin(), this);
  }
}

void TControl::SetColor(TColor color) {
  parentColor_ = false;
  if (color == color_) return;
  color_ = color;
  ApplyColorToWidget();
  Perform(CM_COLORCHANGED, 0, 0);
  if (auto* win = dynamic_cast<TWinControl*>(this)) {
    for (TControl* c : win->controls_) c->Perform(CM_PARENTCOLORCHANGED, 0, 0);
  }
}

void TControl::SetParentColor(bool v) {
  parentColor_ = v;
  if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
  if (!parentColor_ || !parent_) return;
  TColor c = parent_->Color();
  if (c != color_) {
    color_ = c;
    ApplyColorToWidget();
    Perform(CM_COLORCHANGED, 0, 0);
    if (auto* win = dynamic_cast<TWinControl*>(this)) {
      for (TControl* child : win->controls_) child->Perform(CM_PARENTCOLORCHANGED, 0, 0);
    }
  }
}

void TControl::SetFont(const TFont* font) {
  if (font) font_->Assign(*font);
}

void TControl::SetParentFont(bool v) {
  parentFont_ = v;
  if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
  if (!parentFont_ || !parent_) return;
  settingFont_ = true;
  font_->Assign(*parent_->Font());
  settingFont_ = false;
}

void TControl::FontChanged() {
  if (!settingFont_) parentFont_ = false;
  ApplyFontToWidget();
  Perform(CM_FONTCHANGED, 0, 0);
  if (auto* win = dynamic_cast<TWinControl*>(this)) {
    for (TControl* c : win->controls_) c->Perform(CM_PARENTFONTCHANGED, 0, 0);
  }
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  if (QWidget* w = WidgetOf(this)) {
    if (cursor == crDefault) w->unsetCursor(); else w->setCursor(QtCursor(cursor));
  }
  Perform(CM_CURSORCHANGED, 0, 0);
}

bool TControl::EffectiveShowHint() const {
  if (!parentShowHint_ || !parent_) return showHint_;
  return parent_->EffectiveShowHint();
}

void TControl::SetBiDiMode(TBiDiMode mode) {
  if (mode == biDiMode_) return;
  biDiMode_ = mode;
  if (QWidget* w = WidgetOf(this)) w->setLayoutDirection(mode == bdRightToLeft ? Qt::RightToLeft : Qt::LeftToRight);
  Perform(CM_BIDIMODECHANGED, 0, 0);
}

void TControl::SetPopupMenu(TPopupMenu* menu) {
  popupMenu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::SetText(const AnsiString& s) {
  if (s == GetText()) return;
  text_ = s;
  ApplyTextToWidget();
  Perform(CM_TEXTCHANGED, 0, 0);
}

void TControl::Invalidate() {
  if (QWidget* w = WidgetOf(this)) w->update();
}

void TControl::InvalidateRect(const TRect& r) {
  if (QWidget* w = WidgetOf(this)) {
    int inset = ClientInset(this);
    w->update(r.Left + inset, r.Top + inset, r.Width(), r.Height());
  }
}

void TControl::Update() {
  QWidget* w = WidgetOf(this);
  if (w && w->isVisible() && w->updatesEnabled()) w->repaint();
}

bool TControl::MouseCapture() const { return GetCaptureControl() == this; }

void TControl::SetMouseCapture(bool capture) {
  if (capture) SetCaptureControl(this);
  else if (GetCaptureControl() == this) SetCaptureControl(nullptr);
}

LRESULT TControl::Perform(Cardinal msg, WPARAM wParam, LPARAM lParam) {
  TMessage m;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  if (WindowProc) WindowProc(m); else WndProc(m);
  return m.Result;
}

void TControl::WndProc(TMessage& message) {
  if (message.Msg == WM_MOUSEMOVE || message.Msg == CM_MOUSELEAVE ||
      (message.Msg >= WM_LBUTTONDOWN && message.Msg <= WM_MBUTTONDBLCLK)) {
    if (Application) Application->HintMouseMessage(this, message);
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_LBUTTONDOWN: WMLButtonDown(m); break;
    case WM_LBUTTONUP: WMLButtonUp(m); break;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(m); break;
    case WM_RBUTTONDOWN: WMRButtonDown(m); break;
    case WM_RBUTTONUP: WMRButtonUp(m); break;
    case WM_RBUTTONDBLCLK: WMRButtonDblClk(m); break;
    case WM_MBUTTONDOWN: WMMButtonDown(m); break;
    case WM_MBUTTONUP: WMMButtonUp(m); break;
    case WM_MBUTTONDBLCLK: WMMButtonDblClk(m); break;
    case WM_MOUSEMOVE: WMMouseMove(m); break;
    case WM_MOUSEWHEEL: WMMouseWheel(m); break;
    case WM_CANCELMODE: WMCancelMode(m); break;
    case WM_SIZE: WMSize(m); break;
    case WM_MOVE: WMMove(m); break;
    case WM_PAINT: WMPaint(m); break;
    case WM_ERASEBKGND: WMEraseBkgnd(m); break;
    case WM_NCPAINT: WMNCPaint(m); break;
    case WM_SETCURSOR: WMSetCursor(m); break;
    case WM_TIMER: WMTimer(m); break;
    case WM_CONTEXTMENU: WMContextMenu(m); break;
    case CM_MOUSEENTER: CMMouseEnter(m); break;
    case CM_MOUSELEAVE: CMMouseLeave(m); break;
    case CM_HINTSHOW: CMHintShow(m); break;
    case CM_ENABLEDCHANGED: CMEnabledChanged(m); break;
    case CM_VISIBLECHANGED: CMVisibleChanged(m); break;
    case CM_FONTCHANGED: CMFontChanged(m); break;
    case CM_COLORCHANGED: CMColorChanged(m); break;
    case CM_TEXTCHANGED: CMTextChanged(m); break;
    case CM_CURSORCHANGED: CMCursorChanged(m); break;
    case CM_PARENTFONTCHANGED: CMParentFontChanged(m); break;
    case CM_PARENTCOLORCHANGED: CMParentColorChanged(m); break;
    default: DefaultHandler(m); break;
  }
}

void TControl::DefaultHandler(TMessage& message) {
  for (NativeFrame* f = g_nativeFrame; f; f = f->previous) {
    if (f->message == &message) {
      f->reached = true;
      break;
    }
  }
}

TShiftState TControl::ShiftFromKeys(WPARAM keys) const {
  TShiftState s;
  if (keys & MK_SHIFT) s << ssShift;
  if (keys & MK_CONTROL) s << ssCtrl;
  if (keys & MK_LBUTTON) s << ssLeft;
  if (keys & MK_RBUTTON) s << ssRight;
  if (keys & MK_MBUTTON) s << ssMiddle;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}

void TControl::DoMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl) {
  TShiftState shift = ShiftFromKeys(m.WParam);
  int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
  if (down) {
    DefaultHandler(m);
    if (controlStyle_.contains(csCaptureMouse)) SetMouseCapture(true);
    if (dbl) {
      shift << ssDouble;
      if (button == mbLeft && controlStyle_.contains(csDoubleClicks)) DblClick();
    } else if (button == mbLeft && controlStyle_.contains(csClickEvents)) {
      controlState_ << csClicked;
    }
    if (!controlStyle_.contains(csNoStdEvents)) MouseDown(button, shift, x, y);
  } else {
    DefaultHandler(m);
    if (controlStyle_.contains(csCaptureMouse) && MouseCapture() &&
        (m.WParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0) {
      SetMouseCapture(false);
    }
    if (button == mbLeft && controlState_.contains(csClicked)) {
      controlState_ >> csClicked;
      if (PtInRect(ClientRect(), {x, y})) Click();
    }
    if (!IsLiveControl(this)) return;  // a click may close and free the window
    if (!controlStyle_.contains(csNoStdEvents)) MouseUp(button, shift, x, y);
  }
}

void TControl::WMLButtonDown(TMessage& m) { DoMouseButton(m, mbLeft, true, false); }
void TControl::WMLButtonUp(TMessage& m) { DoMouseButton(m, mbLeft, false, false); }
void TControl::WMLButtonDblClk(TMessage& m) { DoMouseButton(m, mbLeft, true, true); }
void TControl::WMRButtonDown(TMessage& m) { DoMouseButton(m, mbRight, true, false); }
void TControl::WMRButtonUp(TMessage& m) { DoMouseButton(m, mbRight, false, false); }
void TControl::WMRButtonDblClk(TMessage& m) { DoMouseButton(m, mbRight, true, true); }
void TControl::WMMButtonDown(TMessage& m) { DoMouseButton(m, mbMiddle, true, false); }
void TControl::WMMButtonUp(TMessage& m) { DoMouseButton(m, mbMiddle, false, false); }
void TControl::WMMButtonDblClk(TMessage& m) { DoMouseButton(m, mbMiddle, true, true); }

void TControl::WMMouseMove(TMessage& m) {
  DefaultHandler(m);
  if (!controlStyle_.contains(csNoStdEvents)) {
    MouseMove(ShiftFromKeys(m.WParam), GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
  }
}

void TControl::WMMouseWheel(TMessage& m) {
  TShiftState shift = ShiftFromKeys(GET_KEYSTATE_WPARAM(m.WParam));
  TPoint pos{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  if (DoMouseWheel(shift, GET_WHEEL_DELTA_WPARAM(m.WParam), pos)) {
    m.Result = 1;
  } else {
    DefaultHandler(m);
  }
}

void TControl::WMCancelMode(TMessage& m) {
  if (MouseCapture()) SetMouseCapture(false);
  controlState_ >> csClicked;
  DefaultHandler(m);
}

void TControl::WMSize(TMessage& m) {
  DefaultHandler(m);
  if (auto* win = dynamic_cast<TWinControl*>(this)) win->Realign();
  Resize();
}

void TControl::WMMove(TMessage& m) { DefaultHandler(m); }
void TControl::WMPaint(TMessage& m) { DefaultHandler(m); }

void TControl::WMEraseBkgnd(TMessage& m) {
  DefaultHandler(m);
  // The painting code erases with BackgroundColor when Result stays 0.
}

void TControl::WMNCPaint(TMessage& m) { DefaultHandler(m); }

void TControl::WMSetCursor(TMessage& m) {
  // Qt shows the control's Cursor by itself, and Screen's cursor over every
  // window while one is set; a handler that wants another cursor for a part
  // of the control changes Cursor here.
  DefaultHandler(m);
}

void TControl::WMTimer(TMessage& m) { DefaultHandler(m); }

void TControl::WMContextMenu(TMessage& m) {
  TPoint screen = PointFromLParam(m.LParam);
  TPoint client = ScreenToClient(screen);
  if (DoContextPopup(client)) {
    m.Result = 1;
    return;
  }
  if (popupMenu_ && popupMenu_->AutoPopup()) {
    popupMenu_->SetPopupComponent(this);
    popupMenu_->Popup(screen.X, screen.Y);
    m.Result = 1;
    return;
  }
  DefaultHandler(m);
}

void TControl::CMMouseEnter(TMessage& m) {
  DefaultHandler(m);
  MouseEnter();
}

void TControl::CMMouseLeave(TMessage& m) {
  DefaultHandler(m);
  MouseLeave();
}

void TControl::CMHintShow(TMessage& m) { DefaultHandler(m); }
void TControl::CMEnabledChanged(TMessage& m) { Invalidate(); DefaultHandler(m); }
void TControl::CMVisibleChanged(TMessage& m) { DefaultHandler(m); }
void TControl::CMFontChanged(TMessage& m) { Invalidate(); DefaultHandler(m); }
void TControl::CMColorChanged(TMessage& m) { Invalidate(); DefaultHandler(m); }
void TControl::CMTextChanged(TMessage& m) { Invalidate(); DefaultHandler(m); }
void TControl::CMCursorChanged(TMessage& m) { DefaultHandler(m); }
void TControl::CMParentFontChanged(TMessage& m) { ParentFontChanged(); DefaultHandler(m); }
void TControl::CMParentColorChanged(TMessage& m) { ParentColorChanged(); DefaultHandler(m); }

void TControl::Click() {
  if (OnClick) OnClick(this);
}

void TControl::DblClick() {
  if (OnDblClick) OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseDown) OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (OnMouseUp) OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y) {
  if (OnMouseMove) OnMouseMove(this, shift, x, y);
}

void TControl::MouseEnter() {
  if (OnMouseEnter) OnMouseEnter(this);
}

void TControl::MouseLeave() {
  if (OnMouseLeave) OnMouseLeave(this);
}

bool TControl::DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheel) OnMouseWheel(this, shift, wheelDelta, mousePos, handled);
  if (!handled) {
    if (wheelDelta < 0) handled = DoMouseWheelDown(shift, mousePos);
    else if (wheelDelta > 0) handled = DoMouseWheelUp(shift, mousePos);
  }
  return handled;
}

bool TControl::DoMouseWheelDown(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelDown) OnMouseWheelDown(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoMouseWheelUp(TShiftState shift, TPoint mousePos) {
  bool handled = false;
  if (OnMouseWheelUp) OnMouseWheelUp(this, shift, mousePos, handled);
  return handled;
}

bool TControl::DoContextPopup(TPoint mousePos) {
  bool handled = false;
  if (OnContextPopup) OnContextPopup(this, mousePos, handled);
  return handled;
}

void TControl::Resize() {
  if (OnResize) OnResize(this);
}

void TControl::RequestAlign() {
  if (parent_) parent_->Realign();
}

TWindowHandle* TControl::CreateWindowHandle() {
  auto* w = new TPaintWidget(this);
  w->setFocusPolicy(Qt::NoFocus);
  return new TWindowHandle(this, w);
}

void TControl::HandleNeededInternal() {
  if (handle_) return;
  if (parent_ && !parent_->handle_) {
    parent_->HandleNeededInternal();  // creates this one with the other children
    if (handle_) return;
  }
  EnsureQtApplication();
  controlState_ << csCreating;
  handle_ = CreateWindowHandle();
  InitWindowHandle();
  controlState_ >> csCreating;
}

void TControl::DestroyWindowHandle() {
  if (!handle_) return;
  controlState_ << csDestroyingHandle;
  TWindowHandle* h = handle_;
  handle_ = nullptr;
  h->Detach();
  controlState_ >> csDestroyingHandle;
}

void TControl::InitWindowHandle() {
  QWidget* w = handle_->Widget();
  if (parent_) {
    if (QWidget* container = ContainerOf(parent_)) {
      if (w->parentWidget() != container) w->setParent(container);
    }
  }
  w->setMouseTracking(true);
  w->setEnabled(enabled_);
  if (biDiMode_ == bdRightToLeft) w->setLayoutDirection(Qt::RightToLeft);
  if (cursor_ != crDefault) w->setCursor(QtCursor(cursor_));
  ApplyFontToWidget();
  ApplyColorToWidget();
  ApplyTextToWidget();
  if (w->isWindow()) {
    w->move(left_, top_);
    w->resize(width_, height_);
  } else {
    int inset = ClientInset(parent_);
    w->setGeometry(left_ + inset, top_ + inset, width_, height_);
    w->setVisible(visible_);
  }
}

void TControl::ApplyTextToWidget() {
  if (QWidget* w = WidgetOf(this); w && w->isWindow()) w->setWindowTitle(ToQString(GetText()));
}

void TControl::ApplyFontToWidget() {
  if (QWidget* w = WidgetOf(this)) w->setFont(ToQFont(*font_));
}

void TControl::ApplyColorToWidget() {
  if (QWidget* w = WidgetOf(this)) {
    w->update();
  }
}

// ======================================================================= TWinControl

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl() {
  deleting_ = true;
  // Children first, last first, as the class library frees them.
  while (!controls_.empty()) {
    TControl* child = controls_.back();
    RemoveControl(child);
    delete child;
  }
  DestroyWindowHandle();
}

void TWinControl::InsertControl(TControl* control) {
  if (!control || control->parent_ == this) return;
  if (control->parent_) control->parent_->RemoveControl(control);
  controls_.push_back(control);
  control->parent_ = this;
  control->UpdateAnchorRules();
  if (control->parentFont_) control->ParentFontChanged();
  if (control->parentColor_) control->ParentColorChanged();
  if (handle_) control->HandleNeededInternal();
  ChildBoundsChanged(control);
  if (control->align_ != alNone || !control->anchors_.contains(akLeft) || !control->anchors_.contains(akTop)) Realign();
}

void TWinControl::RemoveControl(TControl* control) {
  auto it = std::find(controls_.begin(), controls_.end(), control);
  if (it == controls_.end()) return;
  controls_.erase(it);
  // The window goes with the parent: it is made again under a new one.
  control->DestroyWindowHandle();
  control->parent_ = nullptr;
  if (!deleting_ && control->align_ != alNone) Realign();
}

bool TWinControl::ContainsControl(const TControl* control) const {
  for (const TControl* c = control; c; c = c->Parent()) {
    if (c == this) return true;
  }
  return false;
}

void TWinControl::EnableAlign() {
  if (alignDisabled_ > 0 && --alignDisabled_ == 0) Realign();
}

void TWinControl::Realign() {
  if (alignDisabled_ > 0 || aligning_ || deleting_) return;
  TRect rect = ClientRect();
  AdjustClientRect(rect);
  aligning_ = true;
  try {
    AlignControls(nullptr, rect);
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::AlignControls(TControl* control, TRect& rect) {
  // Anchored controls follow the change of the client size since the last layout.
  static const TAlign kOrder[] = {alTop, alBottom, alLeft, alRight, alClient};
  int clientW = rect.Width(), clientH = rect.Height();
  for (TControl* c : controls_) {
    if (c->align_ != alNone) continue;
    if (!c->anchorsValid_) {
      c->UpdateAnchorRules();
      continue;
    }
    int l = c->left_, t = c->top_, w = c->width_, h = c->height_;
    if (c->anchors_.contains(akRight)) {
      if (c->anchors_.contains(akLeft)) w = clientW - l - c->anchorRight_;
      else l = clientW - w - c->anchorRight_;
    }
    if (c->anchors_.contains(akBottom)) {
      if (c->anchors_.contains(akTop)) h = clientH - t - c->anchorBottom_;
      else t = clientH - h - c->anchorBottom_;
    }
    c->SetBounds(l, t, w, h);
  }
  for (TAlign align : kOrder) {
    std::vector<TControl*> list;
    for (TControl* c : controls_) {
      if (c->align_ == align && c->visible_) list.push_back(c);
    }
    // Same alignment: the one nearer the edge it clings to goes first; ties
    // keep the order the controls were added in.
    std::stable_sort(list.begin(), list.end(), [align](TControl* a, TControl* b) {
      switch (align) {
        case alTop: return a->top_ < b->top_;
        case alBottom: return a->top_ + a->height_ > b->top_ + b->height_;
        case alLeft: return a->left_ < b->left_;
        case alRight: return a->left_ + a->width_ > b->left_ + b->width_;
        default: return false;
      }
    });
    for (TControl* c : list) {
      int w = c->width_, h = c->height_;
      switch (align) {
        case alTop:
          c->SetBounds(rect.Left, rect.Top, rect.Width(), h);
          rect.Top += h;
          break;
        case alBottom:
          c->SetBounds(rect.Left, rect.Bottom - h, rect.Width(), h);
          rect.Bottom -= h;
          break;
        case alLeft:
          c->SetBounds(rect.Left, rect.Top, w, rect.Height());
          rect.Left += w;
          break;
        case alRight:
          c->SetBounds(rect.Right - w, rect.Top, w, rect.Height());
          rect.Right -= w;
          break;
        case alClient:
          c->SetBounds(rect.Left, rect.Top, rect.Width(), rect.Height());
          break;
        default:
          break;
      }
      if (rect.Bottom < rect.Top) rect.Bottom = rect.Top;
      if (rect.Right < rect.Left) rect.Right = rect.Left;
    }
  }
}

HWND TWinControl::Handle() {
  HandleNeededInternal();
  return handle_;
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  DestroyWindowHandle();
  HandleNeededInternal();
}

TWindowHandle* TWinControl::CreateWindowHandle() {
  auto* w = new TPaintWidget(this);
  w->setFocusPolicy(tabStop_ ? Qt::StrongFocus : Qt::ClickFocus);
  return new TWindowHandle(this, w);
}

void TWinControl::InitWindowHandle() {
  TControl::InitWindowHandle();
  // Each kind of control makes its window focusable; one taken out of the
  // Tab order before its window existed stays out of it.
  if (QWidget* w = handle_->Widget(); w && tabStopSet_ && !tabStop_ && w->focusPolicy() == Qt::StrongFocus)
    w->setFocusPolicy(Qt::ClickFocus);
  if (!redraw_) handle_->Widget()->setUpdatesEnabled(false);
  for (TControl* c : controls_) c->HandleNeededInternal();
  handle_->UpdateScrollBars();
  Perform(WM_CREATE, 0, 0);
}

void TWinControl::DestroyWindowHandle() {
  if (!handle_) return;
  for (TControl* c : controls_) c->DestroyWindowHandle();
  if (handle_->Widget()) Perform(WM_DESTROY, 0, 0);
  TControl::DestroyWindowHandle();
}

void TWinControl::SetTabStop(bool v) {
  tabStop_ = v;
  tabStopSet_ = true;
  if (QWidget* w = WidgetOf(this)) {
    if (w->focusPolicy() != Qt::NoFocus) w->setFocusPolicy(v ? Qt::StrongFocus : Qt::ClickFocus);
  }
}

int TWinControl::TabOrder() const {
  if (!Parent()) return -1;
  int i = 0;
  for (TControl* c : Parent()->controls_) {
    if (c == this) return i;
    if (dynamic_cast<TWinControl*>(c)) ++i;
  }
  return -1;
}

void TWinControl::SetTabOrder(int order) {
  TWinControl* p = Parent();
  if (!p) return;
  std::vector<TWinControl*> wins;
  for (TControl* c : p->controls_) {
    if (auto* w = dynamic_cast<TWinControl*>(c); w && w != this) wins.push_back(w);
  }
  order = std::clamp(order, 0, static_cast<int>(wins.size()));
  wins.insert(wins.begin() + order, this);
  // Keep the graphic controls where they are and put the windows in tab order.
  std::vector<TControl*> rebuilt;
  std::size_t wi = 0;
  for (TControl* c : p->controls_) {
    if (dynamic_cast<TWinControl*>(c)) rebuilt.push_back(wins[wi++]);
    else rebuilt.push_back(c);
  }
  p->controls_ = rebuilt;
  QWidget* previous = nullptr;
  for (TWinControl* w : wins) {
    QWidget* qw = WidgetOf(w);
    if (!qw) continue;
    if (previous) QWidget::setTabOrder(previous, qw);
    previous = qw;
  }
}

bool TWinControl::CanFocus() const {
  for (const TControl* c = this; c; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  const TControl* top = this;
  while (top->Parent()) top = top->Parent();
  QWidget* w = WidgetOf(top);
  return w && w->isVisible();
}

bool TWinControl::Focused() const { return FocusedControl() == this; }

void TWinControl::SetFocus() {
  if (!CanFocus()) throw EInvalidOperation("Cannot focus a disabled or invisible window");
  QWidget* w = WidgetOf(this);
  if (!w) return;
  QWidget* window = w->window();
  if (QApplication::activeWindow() != window) {
    window->activateWindow();
    if (QApplication::activeWindow() != window) QApplication::setActiveWindow(window);
  }
  w->setFocus(Qt::OtherFocusReason);
}

TWinControl* TWinControl::FocusedControl() {
  for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget()) {
    if (auto* c = dynamic_cast<TWinControl*>(ControlOfWidget(w))) return c;
  }
  return nullptr;
}

void TWinControl::SetBorderStyle(TBorderStyle style) {
  if (style == borderStyle_) return;
  borderStyle_ = style;
  if (handle_) {
    handle_->UpdateScrollBars();
    int inset = ClientInset(this);
    for (TControl* c : controls_) {
      if (QWidget* w = WidgetOf(c)) w->move(c->Left() + inset, c->Top() + inset);
    }
  }
  Realign();
  Invalidate();
}

TRect TWinControl::ClientRect() const {
  TRect r = TControl::ClientRect();
  int inset = ClientInset(this);
  r.Right -= 2 * inset;
  r.Bottom -= 2 * inset;
  if (handle_) {
    r.Right -= handle_->ScrollBarWidth(SB_VERT);
    r.Bottom -= handle_->ScrollBarWidth(SB_HORZ);
  }
  if (r.Right < 0) r.Right = 0;
  if (r.Bottom < 0) r.Bottom = 0;
  return r;
}

void TWinControl::SetVisible(bool visible) {
  TControl::SetVisible(visible);
  if (visible && Parent() && Parent()->HandleAllocated()) HandleNeededInternal();
}

void TWinControl::Broadcast(TMessage& message) {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    controls_[i]->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::Dispatch(TMessage& m) {
  switch (m.Msg) {
    case WM_KEYDOWN: WMKeyDown(m); break;
    case WM_KEYUP: WMKeyUp(m); break;
    case WM_SYSKEYDOWN: WMSysKeyDown(m); break;
    case WM_SYSKEYUP: WMSysKeyUp(m); break;
    case WM_CHAR: WMChar(m); break;
    case WM_SYSCHAR: WMSysChar(m); break;
    case WM_SETFOCUS: WMSetFocus(m); break;
    case WM_KILLFOCUS: WMKillFocus(m); break;
    case WM_GETDLGCODE: WMGetDlgCode(m); break;
    case WM_COMMAND: WMCommand(m); break;
    case WM_HSCROLL: WMHScroll(m); break;
    case WM_VSCROLL: WMVScroll(m); break;
    case WM_SETREDRAW: WMSetRedraw(m); break;
    case WM_CUT: WMCut(m); break;
    case WM_COPY: WMCopy(m); break;
    case WM_PASTE: WMPaste(m); break;
    case WM_CLEAR: WMClear(m); break;
    case WM_DESTROY: WMDestroy(m); break;
    case WM_THEMECHANGED: WMThemeChanged(m); break;
    case WM_CAPTURECHANGED: WMCaptureChanged(m); break;
    case CM_ENTER: CMEnter(m); break;
    case CM_EXIT: CMExit(m); break;
    case CM_DIALOGKEY: CMDialogKey(m); break;
    case CM_DIALOGCHAR: CMDialogChar(m); break;
    case CM_WANTSPECIALKEY: CMWantSpecialKey(m); break;
    case CM_CHILDKEY: CMChildKey(m); break;
    case CN_COMMAND: CNCommand(m); break;
    default: TControl::Dispatch(m); break;
  }
}

void TWinControl::DefaultHandler(TMessage& message) { TControl::DefaultHandler(message); }

namespace {
TShiftState KeyDataToShiftState() {
  TShiftState s;
  if (GetKeyState(VK_SHIFT) < 0) s << ssShift;
  if (GetKeyState(VK_CONTROL) < 0) s << ssCtrl;
  if (GetKeyState(VK_MENU) < 0) s << ssAlt;
  return s;
}
}  // namespace

bool TWinControl::DoKeyDown(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyDown(m)) return true;
  if (!ControlStyle().contains(csNoStdEvents)) {
    Word key = static_cast<Word>(m.WParam);
    KeyDown(key, KeyDataToShiftState());
    m.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyUp(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyUp(m)) return true;
  if (!ControlStyle().contains(csNoStdEvents)) {
    Word key = static_cast<Word>(m.WParam);
    KeyUp(key, KeyDataToShiftState());
    m.WParam = key;
    if (key == 0) return true;
  }
  return false;
}

bool TWinControl::DoKeyPress(TMessage& m) {
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->KeyPreview() && form->DoKeyPress(m)) return true;
  if (!ControlStyle().contains(csNoStdEvents)) {
    char c = static_cast<char>(m.WParam & 0xFF);
    KeyPress(c);
    m.WParam = static_cast<unsigned char>(c);
    if (c == 0) return true;
  }
  return false;
}

void TWinControl::WMKeyDown(TMessage& m) {
  if (!DoKeyDown(m)) DefaultHandler(m);
}

void TWinControl::WMKeyUp(TMessage& m) {
  if (!DoKeyUp(m)) DefaultHandler(m);
}

void TWinControl::WMSysKeyDown(TMessage& m) {
  if (!DoKeyDown(m)) DefaultHandler(m);
}

void TWinControl::WMSysKeyUp(TMessage& m) {
  if (!DoKeyUp(m)) DefaultHandler(m);
}

void TWinControl::WMChar(TMessage& m) {
  if (!DoKeyPress(m)) DefaultHandler(m);
}

void TWinControl::WMSysChar(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMSetFocus(TMessage& m) {
  DefaultHandler(m);
  if (TCustomForm* form = GetParentForm(this); form && form != this) form->FocusedControlChanged(this);
}

void TWinControl::WMKillFocus(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMGetDlgCode(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMCommand(TMessage& m) {
  // A child's notification goes back to the child that sent it.
  if (TWinControl* child = FindControl(reinterpret_cast<HWND>(m.LParam)); child && child != this) {
    m.Result = child->Perform(CN_COMMAND, m.WParam, m.LParam);
    return;
  }
  DefaultHandler(m);
}

void TWinControl::WMHScroll(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMVScroll(TMessage& m) { DefaultHandler(m); }

void TWinControl::WMSetRedraw(TMessage& m) {
  redraw_ = m.WParam != 0;
  if (QWidget* w = WidgetOf(this)) w->setUpdatesEnabled(redraw_);
  DefaultHandler(m);
}

void TWinControl::WMCut(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMCopy(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMPaste(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMClear(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMDestroy(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMThemeChanged(TMessage& m) { DefaultHandler(m); }
void TWinControl::WMCaptureChanged(TMessage& m) { DefaultHandler(m); }

void TWinControl::CMEnter(TMessage& m) {
  DoEnter();
  DefaultHandler(m);
}

void TWinControl::CMExit(TMessage& m) {
  DoExit();
  DefaultHandler(m);
}

void TWinControl::CMDialogKey(TMessage& m) { Broadcast(m); }
void TWinControl::CMDialogChar(TMessage& m) { Broadcast(m); }
void TWinControl::CMWantSpecialKey(TMessage& m) { DefaultHandler(m); }

void TWinControl::CMChildKey(TMessage& m) {
  if (Parent()) m.Result = Parent()->Perform(CM_CHILDKEY, m.WParam, m.LParam);
}

void TWinControl::CNCommand(TMessage& m) { DefaultHandler(m); }

void TWinControl::KeyDown(Word& key, TShiftState shift) {
  if (OnKeyDown) OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(Word& key, TShiftState shift) {
  if (OnKeyUp) OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (OnKeyPress) OnKeyPress(this, key);
}

void TWinControl::DoEnter() {
  if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
  if (OnExit) OnExit(this);
}

// ======================================================================= TCustomControl

TCustomControl::TCustomControl(TComponent* owner)
    : TWinControl(owner), canvas_(std::make_unique<TPainterCanvas>()) {
  ControlStyle() << csOpaque;
}

TCustomControl::~TCustomControl() {
  // The window paints through the canvas: it goes before the canvas does.
  DestroyWindowHandle();
}

TCanvas* TCustomControl::Canvas() const { return canvas_.get(); }

void TCustomControl::Paint() {}

void TCustomControl::PaintWindow() { Paint(); }

void TCustomControl::WMPaint(TMessage& m) {
  ControlState() << csCustomPaint;
  PaintWindow();
  ControlState() >> csCustomPaint;
  m.Result = 0;
}

// ======================================================================= TGraphicControl

TGraphicControl::TGraphicControl(TComponent* owner)
    : TControl(owner), canvas_(std::make_unique<TPainterCanvas>()) {}

TGraphicControl::~TGraphicControl() { DestroyWindowHandle(); }

TCanvas* TGraphicControl::Canvas() const { return canvas_.get(); }

void TGraphicControl::Paint() {}

void TGraphicControl::WMPaint(TMessage& m) {
  Paint();
  m.Result = 0;
}

TWindowHandle* TGraphicControl::CreateWindowHandle() {
  auto* w = new TPaintWidget(this);
  w->setFocusPolicy(Qt::NoFocus);
  return new TWindowHandle(this, w);
}
