// Menus: TMenuItem trees and the pop-up menu.
#pragma once

#include <functional>
#include <vector>

#include "platform/rtl/Classes.h"
#include "platform/vcl/Controls.h"

// A shortcut: the virtual key in the low byte, scShift / scCtrl / scAlt above.
using TShortCut = Word;
inline constexpr TShortCut scShift = 0x2000;
inline constexpr TShortCut scCtrl = 0x4000;
inline constexpr TShortCut scAlt = 0x8000;
inline TShortCut ShortCut(Word key, TShiftState shift) {
  TShortCut s = key & 0xFF;
  if (shift.contains(ssShift)) s |= scShift;
  if (shift.contains(ssCtrl)) s |= scCtrl;
  if (shift.contains(ssAlt)) s |= scAlt;
  return s;
}

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* owner);
  // Deletes the items still under it.
  ~TMenuItem() override;

  // "-" makes a separator; "&" marks the access key.
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& c) { caption_ = c; }
  bool Checked() const { return checked_; }
  // A checked radio item unchecks the others of its group.
  void SetChecked(bool v);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { visible_ = v; }
  bool RadioItem() const { return radioItem_; }
  void SetRadioItem(bool v) { radioItem_ = v; }
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v) { groupIndex_ = v; }
  TShortCut ShortCut() const { return shortCut_; }
  void SetShortCut(TShortCut s) { shortCut_ = s; }
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(static_cast<std::size_t>(index)); }
  TMenuItem* Parent() const { return parent_; }
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Takes the item out (not deleted).
  void Remove(TMenuItem* item);
  // Deletes the item at index.
  void Delete(int index);
  // Deletes every item under this one.
  void Clear();
  int IndexOf(const TMenuItem* item) const;
  int MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

  // Fires OnClick (enabled items only).
  virtual void Click();
  TNotifyEvent OnClick;

 private:
  AnsiString caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  bool radioItem_ = false;
  int groupIndex_ = 0;
  TShortCut shortCut_ = 0;
  TMenuItem* parent_ = nullptr;
  std::vector<TMenuItem*> items_;
};

// A new item with a caption and a handler, for building menus in code.
TMenuItem* NewItem(TComponent* owner, const AnsiString& caption, TNotifyEvent onClick);
TMenuItem* NewLine(TComponent* owner);

class TPopupMenu : public TComponent {
 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TMenuItem* Items() const { return items_; }
  bool AutoPopup() const { return autoPopup_; }
  void SetAutoPopup(bool v) { autoPopup_ = v; }
  // The control the menu was last shown for.
  TComponent* PopupComponent() const { return popupComponent_; }
  void SetPopupComponent(TComponent* c) { popupComponent_ = c; }
  // Shows the menu at a screen point and returns after it closed (an item's
  // OnClick has run by then).
  virtual void Popup(int x, int y);

  TNotifyEvent OnPopup;

  // While set, Popup calls the hook instead of showing a menu: a test picks
  // an item with Click(). nullptr removes it.
  static void SetPopupHook(std::function<void(TPopupMenu& menu, int x, int y)> hook);

 protected:
  void Notification(TComponent* component, TOperation operation) override;

 private:
  TMenuItem* items_;
  bool autoPopup_ = true;
  TComponent* popupComponent_ = nullptr;
};
