// The control tree: TControl, TWinControl, TCustomControl, TGraphicControl,
// the hint window, the mouse, window timers, scroll bars and window regions.
//
// Sections:
//   Small sets and enums .. TShiftState, TAlign, TAnchors, cursors, styles
//   Events ................ the std::function types of the control events
//   TControl .............. bounds, align, visibility, colour and font, mouse
//   TWinControl ........... children, the lazily created window, focus, keys
//   TCustomControl ........ a window that paints itself on a canvas
//   TGraphicControl ....... a light control that paints itself
//   THintWindow ........... topmost, non-activating hint-style window
//   Window functions ...... timers, scroll bars, capture, regions, FindControl
//
// Message flow (ControlsEvents.cpp translates Qt events in one place):
//   Qt event -> TranslateQtEvent -> TControl::WindowProc (replaceable)
//     -> WndProc (virtual) -> Dispatch -> WMKeyDown, WMLButtonDown, ... (virtual)
//       -> DoKeyDown / DoMouseDown -> KeyDown / MouseDown (dynamic) -> OnKeyDown / OnMouseDown
//       -> DefaultHandler: the native widget's own processing happens only
//          when a message reaches it (a handler that does not call the
//          inherited one consumes the message, as with the default window
//          procedure); a key or character set to 0 also stops there.
#pragma once

#include <functional>
#include <initializer_list>
#include <map>
#include <memory>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Graphics.h"
#include "platform/vcl/Messages.h"

// ------------------------------------------------------ small sets and enums

// A set of a small enum, shaped like std::set (count, contains, insert, erase)
// but kept in one word: key and mouse messages build one per event.
template <class E>
class TSmallSet {
 public:
  TSmallSet() = default;
  TSmallSet(std::initializer_list<E> items) {
    for (E e : items) insert(e);
  }
  bool contains(E e) const { return (bits_ >> static_cast<unsigned>(e)) & 1u; }
  bool Contains(E e) const { return contains(e); }
  std::size_t count(E e) const { return contains(e) ? 1 : 0; }
  void insert(E e) { bits_ |= 1u << static_cast<unsigned>(e); }
  void erase(E e) { bits_ &= ~(1u << static_cast<unsigned>(e)); }
  bool empty() const { return bits_ == 0; }
  void clear() { bits_ = 0; }
  TSmallSet& operator<<(E e) { insert(e); return *this; }
  TSmallSet& operator>>(E e) { erase(e); return *this; }
  TSmallSet operator+(const TSmallSet& o) const { TSmallSet r; r.bits_ = bits_ | o.bits_; return r; }
  TSmallSet operator*(const TSmallSet& o) const { TSmallSet r; r.bits_ = bits_ & o.bits_; return r; }
  TSmallSet operator-(const TSmallSet& o) const { TSmallSet r; r.bits_ = bits_ & ~o.bits_; return r; }
  friend bool operator==(const TSmallSet&, const TSmallSet&) = default;
  unsigned Bits() const { return bits_; }

 private:
  unsigned bits_ = 0;
};

enum TShiftStateItem { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSmallSet<TShiftStateItem>;

enum TMouseButton { mbLeft, mbRight, mbMiddle };

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSmallSet<TAnchorKind>;

// Controls use bsNone and bsSingle; forms use them all.
enum TBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TFormBorderStyle = TBorderStyle;

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };

enum TControlStyleItem {
  csAcceptsControls, csCaptureMouse, csDesignInteractive, csClickEvents, csFramed,
  csSetCaption, csOpaque, csDoubleClicks, csFixedWidth, csFixedHeight, csNoDesignVisible,
  csReplicatable, csNoStdEvents, csDisplayDragImage, csReflector, csActionClient, csMenuEvents
};
using TControlStyle = TSmallSet<TControlStyleItem>;

enum TControlStateItem {
  csLButtonDown, csClicked, csPalette, csReadingState, csAlignmentNeeded, csFocusing,
  csCreating, csPaintCopy, csCustomPaint, csDestroyingHandle, csDocking
};
using TControlState = TSmallSet<TControlStateItem>;

using TCursor = int;
inline constexpr TCursor crDefault = 0;
inline constexpr TCursor crNone = -1;
inline constexpr TCursor crArrow = -2;
inline constexpr TCursor crCross = -3;
inline constexpr TCursor crIBeam = -4;
inline constexpr TCursor crSizeNESW = -6;
inline constexpr TCursor crSizeNS = -7;
inline constexpr TCursor crSizeNWSE = -8;
inline constexpr TCursor crSizeWE = -9;
inline constexpr TCursor crUpArrow = -10;
inline constexpr TCursor crHourGlass = -11;
inline constexpr TCursor crDrag = -12;
inline constexpr TCursor crNoDrop = -13;
inline constexpr TCursor crHSplit = -14;
inline constexpr TCursor crVSplit = -15;
inline constexpr TCursor crMultiDrag = -16;
inline constexpr TCursor crSQLWait = -17;
inline constexpr TCursor crNo = -18;
inline constexpr TCursor crAppStart = -19;
inline constexpr TCursor crHelp = -20;
inline constexpr TCursor crHandPoint = -21;
inline constexpr TCursor crSizeAll = -22;

// Modal results, also the answers of message boxes.
using TModalResult = int;
inline constexpr TModalResult mrNone = 0;
inline constexpr TModalResult mrOk = 1;
inline constexpr TModalResult mrCancel = 2;
inline constexpr TModalResult mrAbort = 3;
inline constexpr TModalResult mrRetry = 4;
inline constexpr TModalResult mrIgnore = 5;
inline constexpr TModalResult mrYes = 6;
inline constexpr TModalResult mrNo = 7;
inline constexpr TModalResult mrAll = 8;
inline constexpr TModalResult mrNoToAll = 9;
inline constexpr TModalResult mrYesToAll = 10;

// ---------------------------------------------------------------- events

class TControl;
class TWinControl;
class TPopupMenu;

using TKeyEvent = std::function<void(TObject* sender, Word& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;
using TMouseEvent = std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TMouseWheelEvent =
    std::function<void(TObject* sender, TShiftState shift, int wheelDelta, TPoint mousePos, bool& handled)>;
using TMouseWheelUpDownEvent =
    std::function<void(TObject* sender, TShiftState shift, TPoint mousePos, bool& handled)>;
using TContextPopupEvent = std::function<void(TObject* sender, TPoint mousePos, bool& handled)>;

// What CM_HINTSHOW carries in its LParam: a control may change the text, the
// place and the colour, or answer Result != 0 to show nothing.
struct THintInfo {
  TControl* HintControl = nullptr;
  TPoint CursorPos;          // client coordinates of HintControl
  TRect CursorRect;          // the hint stays while the mouse is inside it
  TPoint HintPos;            // screen coordinates of the hint window's top-left corner
  int HintMaxWidth = 0;
  TColor HintColor = clInfoBk;
  AnsiString HintStr;
  int ReshowTimeout = 0;     // ms until the hint is asked for again (0: never)
  int HideTimeout = 0;       // ms until it hides (0: the application's HintHidePause)
};

// The part of the hint before "|" (short) and after it (long).
AnsiString GetShortHint(std::string_view hint);
AnsiString GetLongHint(std::string_view hint);

// ---------------------------------------------------------------- TSizeConstraints

// The smallest and largest size a control may take; 0 is no limit. A
// top-level window passes them to the window manager, which keeps the user's
// sizing inside them.
class TSizeConstraints {
 public:
  explicit TSizeConstraints(TControl* control) : control_(control) {}
  int MinWidth() const { return minWidth_; }
  int MinHeight() const { return minHeight_; }
  int MaxWidth() const { return maxWidth_; }
  int MaxHeight() const { return maxHeight_; }
  void SetMinWidth(int v) { Set(minWidth_, v); }
  void SetMinHeight(int v) { Set(minHeight_, v); }
  void SetMaxWidth(int v) { Set(maxWidth_, v); }
  void SetMaxHeight(int v) { Set(maxHeight_, v); }
  int ConstrainWidth(int width) const { return Constrain(width, minWidth_, maxWidth_); }
  int ConstrainHeight(int height) const { return Constrain(height, minHeight_, maxHeight_); }

 private:
  static int Constrain(int v, int least, int most) {
    if (most > 0 && v > most) v = most;
    return least > 0 && v < least ? least : v;
  }
  void Set(int& field, int v);
  TControl* control_;
  int minWidth_ = 0, minHeight_ = 0, maxWidth_ = 0, maxHeight_ = 0;
};

// ---------------------------------------------------------------- TControl

class TControl : public TComponent {
 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;

  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  // ---- bounds (in the parent's client coordinates; screen for top-level windows)
  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  virtual void SetBounds(int left, int top, int width, int height);
  TRect BoundsRect() const { return Bounds(left_, top_, width_, height_); }
  void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
  // The area children and painting use: the bounds less borders and scroll bars.
  virtual TRect ClientRect() const;
  int ClientWidth() const { return ClientRect().Width(); }
  int ClientHeight() const { return ClientRect().Height(); }
  void SetClientWidth(int v);
  void SetClientHeight(int v);
  TPoint ClientOrigin() const;
  TPoint ClientToScreen(const TPoint& p) const;
  TPoint ScreenToClient(const TPoint& p) const;

  TSizeConstraints* Constraints() { return &constraints_; }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors);

  // ---- visibility and state
  bool Visible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible (and, for a top-level window, shown).
  bool Showing() const;
  bool Enabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  void BringToFront();
  void SendToBack();

  // ---- look
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parentColor_; }
  void SetParentColor(bool v);
  TFont* Font() const { return font_.get(); }
  void SetFont(const TFont* font);
  bool ParentFont() const { return parentFont_; }
  void SetParentFont(bool v);
  TCursor Cursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& hint) { hint_ = hint; }
  bool ShowHint() const { return showHint_; }
  void SetShowHint(bool v) { showHint_ = v; parentShowHint_ = false; }
  bool ParentShowHint() const { return parentShowHint_; }
  void SetParentShowHint(bool v) { parentShowHint_ = v; }
  // ShowHint as inherited from the parents when ParentShowHint is set.
  bool EffectiveShowHint() const;
  TBiDiMode BiDiMode() const { return biDiMode_; }
  void SetBiDiMode(TBiDiMode mode);
  bool UseRightToLeftAlignment() const { return biDiMode_ == bdRightToLeft; }
  bool UseRightToLeftReading() const { return biDiMode_ != bdLeftToRight && biDiMode_ != bdRightToLeftNoAlign; }
  TPopupMenu* PopupMenu() const { return popupMenu_; }
  void SetPopupMenu(TPopupMenu* menu);

  // Caption and Text are the same string (code page 949).
  const AnsiString& Caption() const { return GetText(); }
  void SetCaption(const AnsiString& s) { SetText(s); }
  virtual const AnsiString& GetText() const { return text_; }
  virtual void SetText(const AnsiString& s);
  const AnsiString& Text() const { return GetText(); }

  TControlStyle& ControlStyle() { return controlStyle_; }
  const TControlStyle& ControlStyle() const { return controlStyle_; }
  TControlState& ControlState() { return controlState_; }

  // ---- painting
  virtual void Invalidate();
  void InvalidateRect(const TRect& r);
  // Paints pending invalid areas now.
  virtual void Update();
  void Repaint() { Invalidate(); Update(); }
  void Refresh() { Repaint(); }

  // ---- mouse capture
  bool MouseCapture() const;
  void SetMouseCapture(bool capture);

  // ---- messages
  // Sends the message to WindowProc and returns its Result.
  LRESULT Perform(Cardinal msg, WPARAM wParam, LPARAM lParam);
  // Replaceable, as in the class library: code that subclasses a control's
  // window procedure saves WindowProc and puts its own in.
  std::function<void(TMessage&)> WindowProc;
  virtual void WndProc(TMessage& message);
  // Routes a message to its handler below; unknown messages to DefaultHandler.
  virtual void Dispatch(TMessage& message);
  // The native processing of the message: reaching it lets the Qt widget
  // have the event.
  virtual void DefaultHandler(TMessage& message);

  // ---- events
  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;
  TMouseWheelUpDownEvent OnMouseWheelUp;
  TMouseWheelUpDownEvent OnMouseWheelDown;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

  // The window behind this control, created on first use; TGraphicControl
  // has one too (a light, non-focusable one). nullptr before it exists.
  TWindowHandle* WindowHandle() const { return handle_; }

  // Public for the translation unit and for code that simulates input.
  void Notification(TComponent* component, TOperation operation) override;
  virtual void Click();
  virtual void DblClick();

 protected:
  // A sizeable top-level window tells the window manager its size limits.
  void ApplySizeLimits();
  // ---- message handlers (each calls the inherited one to go on)
  virtual void WMLButtonDown(TMessage& m);
  virtual void WMLButtonUp(TMessage& m);
  virtual void WMLButtonDblClk(TMessage& m);
  virtual void WMRButtonDown(TMessage& m);
  virtual void WMRButtonUp(TMessage& m);
  virtual void WMRButtonDblClk(TMessage& m);
  virtual void WMMButtonDown(TMessage& m);
  virtual void WMMButtonUp(TMessage& m);
  virtual void WMMButtonDblClk(TMessage& m);
  virtual void WMMouseMove(TMessage& m);
  virtual void WMMouseWheel(TMessage& m);
  virtual void WMCancelMode(TMessage& m);
  virtual void WMSize(TMessage& m);
  virtual void WMMove(TMessage& m);
  virtual void WMPaint(TMessage& m);
  virtual void WMEraseBkgnd(TMessage& m);
  virtual void WMNCPaint(TMessage& m);
  virtual void WMSetCursor(TMessage& m);
  virtual void WMTimer(TMessage& m);
  virtual void WMContextMenu(TMessage& m);
  virtual void CMMouseEnter(TMessage& m);
  virtual void CMMouseLeave(TMessage& m);
  virtual void CMHintShow(TMessage& m);
  virtual void CMEnabledChanged(TMessage& m);
  virtual void CMVisibleChanged(TMessage& m);
  virtual void CMFontChanged(TMessage& m);
  virtual void CMColorChanged(TMessage& m);
  virtual void CMTextChanged(TMessage& m);
  virtual void CMCursorChanged(TMessage& m);
  virtual void CMParentFontChanged(TMessage& m);
  virtual void CMParentColorChanged(TMessage& m);

  // ---- dynamic methods
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseEnter();
  virtual void MouseLeave();
  // Fires OnMouseWheel, then DoMouseWheelDown/Up; true when handled.
  virtual bool DoMouseWheel(TShiftState shift, int wheelDelta, TPoint mousePos);
  virtual bool DoMouseWheelDown(TShiftState shift, TPoint mousePos);
  virtual bool DoMouseWheelUp(TShiftState shift, TPoint mousePos);
  virtual bool DoContextPopup(TPoint mousePos);
  virtual void Resize();
  // Called after the parent's client area changed size (align and anchors).
  virtual void RequestAlign();
  virtual void VisibleChanging() {}

  // Creates the window of this control (TWinControl: its Qt widget; a
  // TGraphicControl: a light one); defined where the class is.
  virtual TWindowHandle* CreateWindowHandle();
  // Creates the window if there is none yet (and its parents' first).
  void HandleNeededInternal();
  // Destroys the window (children too); it is created again on demand.
  virtual void DestroyWindowHandle();
  // Pushes the current state (bounds, visibility, font, colour, text,
  // cursor) to a freshly created window.
  virtual void InitWindowHandle();
  // Text and font changes go to the widget through these.
  virtual void ApplyTextToWidget();
  virtual void ApplyFontToWidget();
  virtual void ApplyColorToWidget();
  // The colour used to erase the background (clNone: none).
  virtual TColor BackgroundColor() const { return color_; }

  void ParentFontChanged();
  void ParentColorChanged();
  TShiftState ShiftFromKeys(WPARAM keys) const;
  // The stored Caption / Text, for controls whose widget holds the text:
  // they keep it current without the notifications SetText sends.
  AnsiString& TextStore() { return text_; }

 private:
  friend class TWinControl;
  friend class TWindowHandle;
  friend class TSizeConstraints;
  void DoMouseButton(TMessage& m, TMouseButton button, bool down, bool dbl);
  // Takes the distances to the parent's right and bottom edges that
  // akRight / akBottom keep when the parent is resized.
  void UpdateAnchorRules();
  void FontChanged();

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TSizeConstraints constraints_{this};
  TAlign align_ = alNone;
  TAnchors anchors_{akLeft, akTop};
  // Distances kept for akRight / akBottom anchoring, taken when the parent's
  // size or the anchors change.
  int anchorRight_ = 0, anchorBottom_ = 0;
  bool anchorsValid_ = false;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clBtnFace;
  bool parentColor_ = false;
  std::unique_ptr<TFont> font_;
  bool parentFont_ = true;
  TCursor cursor_ = crDefault;
  AnsiString hint_;
  bool showHint_ = false;
  bool parentShowHint_ = true;
  TBiDiMode biDiMode_ = bdLeftToRight;
  TPopupMenu* popupMenu_ = nullptr;
  AnsiString text_;
  TControlStyle controlStyle_{csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  TControlState controlState_;
  bool settingFont_ = false;

 protected:
  TWindowHandle* handle_ = nullptr;
  friend struct TControlAccess;
};

// ---------------------------------------------------------------- TWinControl

class TWinControl : public TControl {
 public:
  explicit TWinControl(TComponent* owner);
  // Deletes the child controls still in it, then its window.
  ~TWinControl() override;

  // ---- children
  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(static_cast<std::size_t>(index)); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  bool ContainsControl(const TControl* control) const;
  // Lays out the aligned and anchored children in the client area.
  virtual void Realign();
  void DisableAlign() { ++alignDisabled_; }
  void EnableAlign();

  // ---- the window
  // Creates the window (and its parents') if needed.
  HWND Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { HandleNeededInternal(); }
  void RecreateWnd();

  // ---- focus
  bool TabStop() const { return tabStop_; }
  void SetTabStop(bool v);
  int TabOrder() const;
  void SetTabOrder(int order);
  virtual bool CanFocus() const;
  virtual bool Focused() const;
  virtual void SetFocus();
  // The child (at any depth) that has the focus, or nullptr.
  static TWinControl* FocusedControl();

  TBorderStyle BorderStyle() const { return borderStyle_; }
  virtual void SetBorderStyle(TBorderStyle style);
  bool DoubleBuffered() const { return doubleBuffered_; }
  void SetDoubleBuffered(bool v) { doubleBuffered_ = v; }

  // Redraw switched off (WM_SETREDRAW 0) until switched on again; nothing
  // paints meanwhile.
  bool RedrawEnabled() const { return redraw_; }

  // ---- events
  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  void Dispatch(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // Broadcasts the message to every child until one answers Result != 0.
  void Broadcast(TMessage& message);

  TRect ClientRect() const override;
  void SetVisible(bool visible) override;

  // Called by the key translation: the whole key-down path with the form's
  // key preview; true when the key was consumed (set to 0).
  bool DoKeyDown(TMessage& m);
  bool DoKeyPress(TMessage& m);
  bool DoKeyUp(TMessage& m);

 protected:
  virtual void WMKeyDown(TMessage& m);
  virtual void WMKeyUp(TMessage& m);
  virtual void WMSysKeyDown(TMessage& m);
  virtual void WMSysKeyUp(TMessage& m);
  virtual void WMChar(TMessage& m);
  virtual void WMSysChar(TMessage& m);
  virtual void WMSetFocus(TMessage& m);
  virtual void WMKillFocus(TMessage& m);
  virtual void WMGetDlgCode(TMessage& m);
  virtual void WMCommand(TMessage& m);
  virtual void WMHScroll(TMessage& m);
  virtual void WMVScroll(TMessage& m);
  virtual void WMSetRedraw(TMessage& m);
  virtual void WMCut(TMessage& m);
  virtual void WMCopy(TMessage& m);
  virtual void WMPaste(TMessage& m);
  virtual void WMClear(TMessage& m);
  virtual void WMDestroy(TMessage& m);
  virtual void WMThemeChanged(TMessage& m);
  virtual void WMCaptureChanged(TMessage& m);
  virtual void CMEnter(TMessage& m);
  virtual void CMExit(TMessage& m);
  virtual void CMDialogKey(TMessage& m);
  virtual void CMDialogChar(TMessage& m);
  virtual void CMWantSpecialKey(TMessage& m);
  virtual void CMChildKey(TMessage& m);
  // A notification a child sent with WM_COMMAND comes back to it as CN_COMMAND.
  virtual void CNCommand(TMessage& m);

  virtual void KeyDown(Word& key, TShiftState shift);
  virtual void KeyUp(Word& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void DoEnter();
  virtual void DoExit();

  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void DestroyWindowHandle() override;
  // Lays out children by Align, in the class library's order.
  virtual void AlignControls(TControl* control, TRect& rect);
  // The part of the client area aligned children fill (a group box leaves
  // its caption out).
  virtual void AdjustClientRect(TRect& rect) const {}
  // A child was added, moved or sized (a scroll box widens its scrolled area).
  virtual void ChildBoundsChanged(TControl* child) {}

 private:
  friend class TControl;
  friend class TWindowHandle;
  std::vector<TControl*> controls_;
  bool tabStop_ = false;
  bool tabStopSet_ = false;  // SetTabStop was called: the window follows it
  TBorderStyle borderStyle_ = bsNone;
  bool doubleBuffered_ = false;
  bool redraw_ = true;
  int alignDisabled_ = 0;
  bool aligning_ = false;
  bool deleting_ = false;
};

// ---------------------------------------------------------------- TCustomControl

class TCustomControl : public TWinControl {
 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;
  // Draws on the window while it paints; at other times on a scratch
  // surface (drawing there is not shown, measuring works).
  TCanvas* Canvas() const;

 protected:
  virtual void Paint();
  void WMPaint(TMessage& m) override;
  // Erases with Color, then Paint.
  virtual void PaintWindow();

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------- TGraphicControl

class TGraphicControl : public TControl {
 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;
  TCanvas* Canvas() const;

 protected:
  virtual void Paint();
  void WMPaint(TMessage& m) override;
  TWindowHandle* CreateWindowHandle() override;
  TColor BackgroundColor() const override { return clNone; }

 private:
  std::unique_ptr<TCanvas> canvas_;
};

// ---------------------------------------------------------------- THintWindow

// A topmost window that never takes the activation or the focus, as hints
// and tooltips are. It paints its text on Color with a thin frame; a shaped
// hint (SetWindowRgn) shows only inside its region.
class THintWindow : public TCustomControl {
 public:
  explicit THintWindow(TComponent* owner);
  // Shows the hint at rect (screen coordinates).
  virtual void ActivateHint(const TRect& rect, const AnsiString& hint);
  // The rectangle the hint needs at (0, 0), wrapped at maxWidth.
  virtual TRect CalcHintRect(int maxWidth, const AnsiString& hint);
  void ReleaseHandle();
  bool IsShowing() const;

 protected:
  void Paint() override;
  TWindowHandle* CreateWindowHandle() override;
};

// ---------------------------------------------------------------- TMouse

class TMouse {
 public:
  // Screen coordinates.
  TPoint CursorPos() const;
  void SetCursorPos(const TPoint& p);
  TControl* Capture() const { return GetCaptureControlFromMouse(); }
  bool WheelPresent() const { return true; }
  // Lines one wheel notch scrolls (the desktop's setting, 3 by default).
  int WheelScrollLines() const;
  bool DragImmediate() const { return true; }
  int DragThreshold() const { return 5; }

 private:
  static TControl* GetCaptureControlFromMouse();
};
extern TMouse* Mouse;

// ---------------------------------------------------------------- window shapes

// Gives the window the shape of region (its own coordinates): only that part
// shows and takes the mouse. nullptr gives back the plain rectangle.
void SetWindowRgn(HWND wnd, const TRegion* region, bool redraw);
void SetWindowRegion(TControl* control, const TRegion* region);

// ---------------------------------------------------------------- window functions

TWinControl* FindControl(HWND handle);
// The form (top-level window) that holds the control, or nullptr.
class TCustomForm;
TCustomForm* GetParentForm(const TControl* control);

// A timer of the window: WM_TIMER with WParam = id every elapseMs; setting
// an id again restarts it. Returns id, or 0 for a null handle.
UINT SetTimer(HWND wnd, UINT id, UINT elapseMs);
bool KillTimer(HWND wnd, UINT id);

struct TScrollInfo {
  UINT fMask = 0;
  int nMin = 0;
  int nMax = 0;
  UINT nPage = 0;
  int nPos = 0;
  int nTrackPos = 0;
};
inline constexpr UINT SIF_RANGE = 0x1;
inline constexpr UINT SIF_PAGE = 0x2;
inline constexpr UINT SIF_POS = 0x4;
inline constexpr UINT SIF_DISABLENOSCROLL = 0x8;
inline constexpr UINT SIF_TRACKPOS = 0x10;
inline constexpr UINT SIF_ALL = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_TRACKPOS;

// Scroll bars of a window (SB_HORZ / SB_VERT). A bar shows while its range
// exceeds its page; positions are clamped to nMin .. nMax - max(nPage - 1, 0).
// Returns the new position.
int SetScrollInfo(HWND wnd, int bar, const TScrollInfo& info, bool redraw);
bool GetScrollInfo(HWND wnd, int bar, TScrollInfo& info);
int SetScrollPos(HWND wnd, int bar, int pos, bool redraw);
int GetScrollPos(HWND wnd, int bar);
bool SetScrollRange(HWND wnd, int bar, int minPos, int maxPos, bool redraw);
bool GetScrollRange(HWND wnd, int bar, int& minPos, int& maxPos);
bool ShowScrollBar(HWND wnd, int bar, bool show);
// Whether the bar is showing now.
bool ScrollBarVisible(HWND wnd, int bar);

// The control that has the mouse captured, or nullptr.
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
void ReleaseCapture();

// Short beep; silent in tests.
void MessageBeep(UINT type);

// The control that would receive the mouse at this screen point, or nullptr.
TControl* FindDragTarget(const TPoint& screenPos, bool allowDisabled);
