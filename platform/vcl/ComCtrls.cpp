// Page controls, the status bar, progress bars and the date/time picker.
#include "platform/vcl/ComCtrls.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QCoreApplication>
#include <QMouseEvent>
#include <QDateTimeEdit>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QTabBar>
#include <QTabWidget>

#include <algorithm>
#include <cmath>

#include "platform/vcl/Controls_p.h"

// ======================================================================= TTabSheet

TTabSheet::TTabSheet(TComponent* owner) : TWinControl(owner) {
  ControlStyle() << csAcceptsControls;
}

TTabSheet::~TTabSheet() {
  // The tab goes with the page at once, not when Qt frees the window later.
  if (pageControl_) pageControl_->RemovePage(this);
  DestroyWindowHandle();
}

void TTabSheet::SetPageControl(TPageControl* pc) {
  if (pc == pageControl_) return;
  if (pageControl_) pageControl_->RemovePage(this);
  if (pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!pageControl_) return -1;
  auto& pages = pageControl_->pages_;
  auto it = std::find(pages.begin(), pages.end(), this);
  return it == pages.end() ? -1 : static_cast<int>(it - pages.begin());
}

void TTabSheet::SetTabVisible(bool v) {
  tabVisible_ = v;
  if (pageControl_) pageControl_->SyncTabs();
}

void TTabSheet::ApplyTextToWidget() {
  if (pageControl_) pageControl_->SyncTabs();
}

void TTabSheet::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  if (!pageControl_) return;
  auto* tabs = qobject_cast<QTabWidget*>(WidgetOf(pageControl_));
  if (!tabs) return;
  pageControl_->syncing_ = true;
  tabs->insertTab(PageIndex(), WindowHandle()->Widget(), ToQString(Caption()));
  pageControl_->syncing_ = false;
  pageControl_->SyncTabs();
}

// ======================================================================= TPageControl

TPageControl::TPageControl(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 289, 193);
  SetTabStop(true);
  ControlStyle() << csAcceptsControls;
}

TPageControl::~TPageControl() {
  // The sheets are freed with the other children; they must not come back here.
  for (TTabSheet* p : pages_) p->pageControl_ = nullptr;
  pages_.clear();
  active_ = nullptr;
  DestroyWindowHandle();
}

TWindowHandle* TPageControl::CreateWindowHandle() {
  auto* tabs = new QTabWidget;
  tabs->setFocusPolicy(Qt::StrongFocus);
  auto* h = new TWindowHandle(this, tabs);
  QObject::connect(tabs, &QTabWidget::currentChanged, tabs, [this, tabs](int index) {
    if (syncing_) return;
    TTabSheet* previous = active_;
    TTabSheet* next = index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr;
    RunGuarded([&] {
      bool allow = true;
      if (OnChanging) OnChanging(this, allow);
      if (!allow) {
        syncing_ = true;
        tabs->setCurrentIndex(previous ? previous->PageIndex() : -1);
        syncing_ = false;
        return;
      }
      active_ = next;
      if (OnChange) OnChange(this);
    });
  });
  return h;
}

void TPageControl::Realign() {
  TWinControl::Realign();
  // Before the window lays them out, pages take the area under the tabs.
  if (!WidgetOf(this) || !WidgetOf(this)->isVisible()) {
    for (TTabSheet* p : pages_) p->SetBounds(4, 24, std::max(Width() - 8, 0), std::max(Height() - 28, 0));
  }
}

void TPageControl::InsertPage(TTabSheet* page) {
  pages_.push_back(page);
  page->pageControl_ = this;
  page->SetBounds(4, 24, std::max(Width() - 8, 0), std::max(Height() - 28, 0));
  page->SetParent(this);
  if (!active_) active_ = page;
  SyncTabs();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  int index = static_cast<int>(it - pages_.begin());
  if (auto* tabs = qobject_cast<QTabWidget*>(WidgetOf(this))) {
    syncing_ = true;
    if (QWidget* w = WidgetOf(page)) {
      int tabIndex = tabs->indexOf(w);
      if (tabIndex >= 0) tabs->removeTab(tabIndex);
    }
    syncing_ = false;
  }
  pages_.erase(it);
  page->pageControl_ = nullptr;
  if (active_ == page) active_ = pages_.empty() ? nullptr : pages_[static_cast<std::size_t>(std::min(index, PageCount() - 1))];
  SyncTabs();
}

void TPageControl::SyncTabs() {
  auto* tabs = qobject_cast<QTabWidget*>(WidgetOf(this));
  if (!tabs) return;
  syncing_ = true;
  for (TTabSheet* p : pages_) {
    QWidget* w = WidgetOf(p);
    if (!w) continue;
    int i = tabs->indexOf(w);
    if (i < 0) continue;
    // Setting a tab's text or visibility lays the whole tab row out again,
    // even when nothing changed; a page switch changes neither.
    const QString text = ToQString(p->Caption());
    if (tabs->tabText(i) != text) tabs->setTabText(i, text);
    if (tabs->isTabVisible(i) != p->TabVisible()) tabs->setTabVisible(i, p->TabVisible());
  }
  bool anyTab = std::any_of(pages_.begin(), pages_.end(), [](TTabSheet* p) { return p->TabVisible(); });
  tabs->tabBar()->setVisible(anyTab);
  if (QWidget* page = active_ ? WidgetOf(active_) : nullptr) {
    tabs->setCurrentWidget(page);
    // Hiding a page's tab hides the page too, and choosing the page that is
    // current already does not show it again: the active page is shown
    // whether its tab is or not.
    if (page->isHidden()) page->show();
  }
  syncing_ = false;
}

TTabSheet* TPageControl::ActivePage() const { return active_; }

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->pageControl_ != this) return;
  active_ = page;
  SyncTabs();
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int index) {
  SetActivePage(index >= 0 && index < PageCount() ? pages_[static_cast<std::size_t>(index)] : nullptr);
}

int TPageControl::TabIndex() const {
  int visible = 0;
  for (TTabSheet* p : pages_) {
    if (p == active_) return p->TabVisible() ? visible : -1;
    if (p->TabVisible()) ++visible;
  }
  return -1;
}

TTabSheet* TPageControl::FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const {
  if (pages_.empty()) return nullptr;
  int n = PageCount();
  int start = current ? current->PageIndex() : (goForward ? n - 1 : 0);
  int i = start;
  for (int step = 0; step < n; ++step) {
    i = (i + (goForward ? 1 : -1) + n) % n;
    TTabSheet* p = pages_[static_cast<std::size_t>(i)];
    if (!checkTabVisible || p->TabVisible()) return p;
  }
  return nullptr;
}

void TPageControl::SelectNextPage(bool goForward) {
  if (TTabSheet* p = FindNextPage(active_, goForward, true)) {
    SetActivePage(p);
    if (OnChange) OnChange(this);
  }
}

// ======================================================================= TStatusBar

void TStatusPanel::SetText(const AnsiString& t) {
  text_ = t;
  bar_->Invalidate();
}

void TStatusPanel::SetWidth(int w) {
  width_ = std::max(w, 0);
  bar_->Invalidate();
}

void TStatusPanel::SetAlignment(TAlignment a) {
  alignment_ = a;
  bar_->Invalidate();
}

void TStatusPanel::SetBevel(TStatusPanelBevel b) {
  bevel_ = b;
  bar_->Invalidate();
}

int TStatusPanel::Index() const { return bar_->Panels()->IndexOf(this); }

TStatusPanel* TStatusPanels::Add() {
  items_.push_back(std::make_unique<TStatusPanel>(bar_));
  bar_->Invalidate();
  return items_.back().get();
}

void TStatusPanels::Delete(int index) {
  items_.erase(items_.begin() + index);
  bar_->Invalidate();
}

void TStatusPanels::Clear() {
  items_.clear();
  bar_->Invalidate();
}

int TStatusPanels::IndexOf(const TStatusPanel* p) const {
  for (std::size_t i = 0; i < items_.size(); ++i) {
    if (items_[i].get() == p) return static_cast<int>(i);
  }
  return -1;
}

TStatusBar::TStatusBar(TComponent* owner) : TCustomControl(owner), panels_(std::make_unique<TStatusPanels>(this)) {
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
  ControlStyle() << csAcceptsControls;
}

TStatusBar::~TStatusBar() { DestroyWindowHandle(); }

TRect TStatusBar::PanelRect(int index) const {
  int left = 0;
  for (int i = 0; i < panels_->Count(); ++i) {
    int w = panels_->Items(i)->Width();
    bool last = i == panels_->Count() - 1;
    TRect r = Rect(left, 0, last ? std::max(ClientWidth(), left) : left + w, ClientHeight());
    if (i == index) return r;
    left += w;
  }
  return {};
}

void TStatusBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->SetFont(*Font());
  c->SetBkMode(TRANSPARENT);
  if (simplePanel_ || panels_->Count() == 0) {
    TRect r = ClientRect();
    r.Left += 2;
    DrawText(*c, simpleText_, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return;
  }
  for (int i = 0; i < panels_->Count(); ++i) {
    TStatusPanel* p = panels_->Items(i);
    TRect r = PanelRect(i);
    if (p->Bevel() != pbNone) {
      TRect edge = r;
      DrawEdge(*c, edge, p->Bevel() == pbLowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER, 0x000F);
    }
    InflateRect(r, -2, -1);
    unsigned flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    flags |= p->Alignment() == taRightJustify ? DT_RIGHT : p->Alignment() == taCenter ? DT_CENTER : DT_LEFT;
    DrawText(*c, p->Text(), r, flags);
  }
}

// ======================================================================= TProgressBar

TProgressBar::TProgressBar(TComponent* owner) : TWinControl(owner) { SetBounds(0, 0, 150, 16); }

TWindowHandle* TProgressBar::CreateWindowHandle() {
  auto* bar = new QProgressBar;
  bar->setFocusPolicy(Qt::NoFocus);
  bar->setTextVisible(false);
  return new TWindowHandle(this, bar);
}

void TProgressBar::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  Apply();
}

void TProgressBar::Apply() {
  auto* bar = qobject_cast<QProgressBar*>(WidgetOf(this));
  if (!bar) return;
  bar->setOrientation(orientation_ == pbVertical ? Qt::Vertical : Qt::Horizontal);
  bar->setRange(min_, std::max(min_, max_));
  bar->setValue(position_);
}

void TProgressBar::SetMin(int v) {
  min_ = v;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  Apply();
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  position_ = std::clamp(position_, min_, std::max(min_, max_));
  Apply();
}

void TProgressBar::SetPosition(int v) {
  position_ = std::clamp(v, min_, std::max(min_, max_));
  Apply();
}

void TProgressBar::SetOrientation(TProgressBarOrientation o) {
  orientation_ = o;
  Apply();
}

// ======================================================================= TDateTimePicker

namespace {

const QDate kDateBase(1899, 12, 30);

QDateTime ToQDateTime(TDateTime value) {
  double days = std::floor(value);
  double fraction = value - days;
  QDate date = kDateBase.addDays(static_cast<qint64>(days));
  int msecs = static_cast<int>(std::llround(fraction * 86400000.0));
  msecs = std::clamp(msecs, 0, 86399999);
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(msecs));
}

TDateTime FromQDateTime(const QDateTime& dt) {
  double days = static_cast<double>(kDateBase.daysTo(dt.date()));
  return days + dt.time().msecsSinceStartOfDay() / 86400000.0;
}

QString QtDateFormat(const AnsiString& format, TDateTimeKind kind) {
  if (format.empty()) return kind == dtkDate ? QStringLiteral("yyyy-MM-dd") : QStringLiteral("AP h:mm:ss");
  QString f = ToQString(format);
  f.replace(QStringLiteral("tt"), QStringLiteral("AP"));
  return f;
}

struct PickerWidgets {
  QDateTimeEdit* edit;
  QCheckBox* check;
};

PickerWidgets PartsOf(QWidget* w) {
  if (!w) return {nullptr, nullptr};
  return {w->findChild<QDateTimeEdit*>(), w->findChild<QCheckBox*>()};
}

}  // namespace

TDateTimePicker::TDateTimePicker(TComponent* owner) : TWinControl(owner) {
  SetBounds(0, 0, 186, 21);
  SetTabStop(true);
  value_ = Now();
}

TWindowHandle* TDateTimePicker::CreateWindowHandle() {
  auto* box = new QWidget;
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(2);
  auto* check = new QCheckBox(box);
  auto* edit = new QDateTimeEdit(box);
  layout->addWidget(check);
  layout->addWidget(edit, 1);
  box->setFocusProxy(edit);
  auto* h = new TWindowHandle(this, box);
  h->WatchWidget(edit);
  QObject::connect(edit, &QDateTimeEdit::dateTimeChanged, edit, [this, edit](const QDateTime& dt) {
    if (applying_) return;
    TDateTime v = FromQDateTime(dt);
    // The part the picker does not show stays as it was.
    if (kind_ == dtkDate) value_ = std::floor(v) + (value_ - std::floor(value_));
    else value_ = std::floor(value_) + (v - std::floor(v));
    NotifyParent(this, EN_CHANGE);
  });
  QObject::connect(check, &QCheckBox::clicked, check, [this](bool on) {
    checked_ = on;
    Apply();
    NotifyParent(this, EN_CHANGE);
  });
  return h;
}

void TDateTimePicker::InitWindowHandle() {
  TWinControl::InitWindowHandle();
  Apply();
}

void TDateTimePicker::Apply() {
  PickerWidgets parts = PartsOf(WidgetOf(this));
  if (!parts.edit) return;
  applying_ = true;
  parts.check->setVisible(showCheckbox_);
  parts.check->setChecked(checked_);
  parts.edit->setEnabled(!showCheckbox_ || checked_);
  parts.edit->setDisplayFormat(QtDateFormat(format_, kind_));
  parts.edit->setCalendarPopup(kind_ == dtkDate && dateMode_ == dmComboBox);
  if (minDate_ != 0) parts.edit->setMinimumDateTime(ToQDateTime(minDate_));
  if (maxDate_ != 0) parts.edit->setMaximumDateTime(ToQDateTime(maxDate_));
  parts.edit->setDateTime(ToQDateTime(value_));
  applying_ = false;
}

void TDateTimePicker::SetKind(TDateTimeKind k) {
  kind_ = k;
  Apply();
}

void TDateTimePicker::SetDateMode(TDTDateMode m) {
  dateMode_ = m;
  Apply();
}

void TDateTimePicker::SetDateTime(TDateTime v) {
  if (minDate_ != 0 && v < minDate_) v = minDate_;
  if (maxDate_ != 0 && v > maxDate_) v = maxDate_;
  value_ = v;
  Apply();
}

TDateTime TDateTimePicker::Date() const { return std::floor(value_); }

void TDateTimePicker::SetDate(TDateTime v) { SetDateTime(std::floor(v) + (value_ - std::floor(value_))); }

TDateTime TDateTimePicker::Time() const { return value_ - std::floor(value_); }

void TDateTimePicker::SetTime(TDateTime v) { SetDateTime(std::floor(value_) + (v - std::floor(v))); }

void TDateTimePicker::SetShowCheckbox(bool v) {
  showCheckbox_ = v;
  Apply();
}

void TDateTimePicker::SetChecked(bool v) {
  checked_ = v;
  Apply();
}

void TDateTimePicker::SetFormat(const AnsiString& f) {
  format_ = f;
  Apply();
}

void TDateTimePicker::SetMinDate(TDateTime v) {
  minDate_ = v;
  if (v != 0 && value_ < v) value_ = v;
  Apply();
}

void TDateTimePicker::SetMaxDate(TDateTime v) {
  maxDate_ = v;
  if (v != 0 && value_ > v) value_ = v;
  Apply();
}

bool TDateTimePicker::CalendarDropped() const {
  PickerWidgets parts = PartsOf(WidgetOf(this));
  return parts.edit && parts.edit->calendarPopup() && parts.edit->calendarWidget() &&
         parts.edit->calendarWidget()->isVisible();
}

void TDateTimePicker::DropCalendar() {
  PickerWidgets parts = PartsOf(WidgetNeeded(this));
  if (!parts.edit || !parts.edit->calendarPopup()) return;
  // The edit drops its calendar for a press on its arrow, at the right edge.
  const QPointF arrow(parts.edit->width() - 4, parts.edit->height() / 2.0);
  QMouseEvent press(QEvent::MouseButtonPress, arrow, parts.edit->mapToGlobal(arrow), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(parts.edit, &press);
}

void TDateTimePicker::CNCommand(TMessage& m) {
  if (m.WParamHi() == EN_CHANGE) {
    if (OnChange) OnChange(this);
  } else {
    TWinControl::CNCommand(m);
  }
}
