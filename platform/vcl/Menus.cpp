// Menus: item trees and the pop-up menu over QMenu.
#include "platform/vcl/Menus.h"

#include <QAction>
#include <QMenu>

#include <algorithm>

#include "platform/vcl/Controls_p.h"

namespace {
std::function<void(TPopupMenu&, int, int)> g_popupHook;

QString MenuText(const AnsiString& caption) { return ToQString(caption); }

QKeySequence QtShortCut(TShortCut s) {
  if (!s) return {};
  int key = s & 0xFF;
  int qtKey = 0;
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) qtKey = key;
  else if (key >= VK_F1 && key <= VK_F12) qtKey = Qt::Key_F1 + (key - VK_F1);
  else if (key == VK_DELETE) qtKey = Qt::Key_Delete;
  else if (key == VK_INSERT) qtKey = Qt::Key_Insert;
  else if (key == VK_RETURN) qtKey = Qt::Key_Return;
  else return {};
  int mods = 0;
  if (s & scShift) mods |= Qt::SHIFT;
  if (s & scCtrl) mods |= Qt::CTRL;
  if (s & scAlt) mods |= Qt::ALT;
  return QKeySequence(qtKey | mods);
}

void Fill(QMenu* menu, TMenuItem* parent) {
  for (int i = 0; i < parent->Count(); ++i) {
    TMenuItem* item = parent->Items(i);
    if (!item->Visible()) continue;
    if (item->IsLine()) {
      menu->addSeparator();
      continue;
    }
    if (item->Count() > 0) {
      QMenu* sub = menu->addMenu(MenuText(item->Caption()));
      sub->setEnabled(item->Enabled());
      Fill(sub, item);
      continue;
    }
    QAction* action = menu->addAction(MenuText(item->Caption()));
    action->setEnabled(item->Enabled());
    action->setCheckable(item->Checked() || item->RadioItem());
    action->setChecked(item->Checked());
    action->setShortcut(QtShortCut(item->ShortCut()));
    QObject::connect(action, &QAction::triggered, [item] {
      RunGuarded([item] { item->Click(); });
    });
  }
}
}  // namespace

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {}

TMenuItem::~TMenuItem() {
  Clear();
  if (parent_) parent_->Remove(this);
}

void TMenuItem::SetChecked(bool v) {
  checked_ = v;
  if (v && radioItem_ && parent_) {
    for (TMenuItem* sibling : parent_->items_) {
      if (sibling != this && sibling->radioItem_ && sibling->groupIndex_ == groupIndex_) sibling->checked_ = false;
    }
  }
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this) return;
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
}

void TMenuItem::Remove(TMenuItem* item) {
  auto it = std::find(items_.begin(), items_.end(), item);
  if (it == items_.end()) return;
  items_.erase(it);
  item->parent_ = nullptr;
}

void TMenuItem::Delete(int index) {
  TMenuItem* item = Items(index);
  Remove(item);
  delete item;
}

void TMenuItem::Clear() {
  while (!items_.empty()) Delete(Count() - 1);
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

TMenuItem* NewItem(TComponent* owner, const AnsiString& caption, TNotifyEvent onClick) {
  auto* item = new TMenuItem(owner);
  item->SetCaption(caption);
  item->OnClick = std::move(onClick);
  return item;
}

TMenuItem* NewLine(TComponent* owner) {
  auto* item = new TMenuItem(owner);
  item->SetCaption("-");
  return item;
}

TPopupMenu::TPopupMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(nullptr)) {}

TPopupMenu::~TPopupMenu() {
  // The items are not components of this menu's owner here: the root owns them.
  delete items_;
}

void TPopupMenu::SetPopupHook(std::function<void(TPopupMenu&, int, int)> hook) { g_popupHook = std::move(hook); }

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == popupComponent_) popupComponent_ = nullptr;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  if (g_popupHook) {
    g_popupHook(*this, x, y);
    return;
  }
  EnsureQtApplication();
  QMenu menu;
  Fill(&menu, items_);
  if (menu.isEmpty()) return;
  menu.exec(QPoint(x, y));
}
