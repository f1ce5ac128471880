// Page controls with tab sheets, the status bar, progress bars and the
// date/time picker.
#pragma once

#include <memory>
#include <vector>

#include "platform/vcl/StdCtrls.h"

class TPageControl;

// One page of a TPageControl; its controls show while it is the active page.
class TTabSheet : public TWinControl {
 public:
  explicit TTabSheet(TComponent* owner);
  ~TTabSheet() override;
  TPageControl* PageControl() const { return pageControl_; }
  // Joins (or leaves, with nullptr) a page control, as its last page.
  void SetPageControl(TPageControl* pc);
  int PageIndex() const;
  bool TabVisible() const { return tabVisible_; }
  void SetTabVisible(bool v);

 protected:
  void ApplyTextToWidget() override;
  void InitWindowHandle() override;

 private:
  friend class TPageControl;
  TPageControl* pageControl_ = nullptr;
  bool tabVisible_ = true;
};

class TPageControl : public TWinControl {
 public:
  explicit TPageControl(TComponent* owner);
  ~TPageControl() override;
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int index) const { return pages_.at(static_cast<std::size_t>(index)); }
  TTabSheet* ActivePage() const;
  // Does not fire OnChange (only the user's choice does).
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  void SetActivePageIndex(int index);
  // Index among the visible tabs.
  int TabIndex() const;
  TTabSheet* FindNextPage(TTabSheet* current, bool goForward, bool checkTabVisible) const;
  void SelectNextPage(bool goForward);

  // Before the user changes the page (false keeps it) and after.
  std::function<void(TObject* sender, bool& allowChange)> OnChanging;
  TNotifyEvent OnChange;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void Realign() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void SyncTabs();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
  bool syncing_ = false;
};

enum TStatusPanelStyle { psText, psOwnerDraw };
enum TStatusPanelBevel { pbNone, pbLowered, pbRaised };

class TStatusBar;

class TStatusPanel {
 public:
  explicit TStatusPanel(TStatusBar* bar) : bar_(bar) {}
  const AnsiString& Text() const { return text_; }
  void SetText(const AnsiString& t);
  int Width() const { return width_; }
  void SetWidth(int w);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  TStatusPanelBevel Bevel() const { return bevel_; }
  void SetBevel(TStatusPanelBevel b);
  int Index() const;

 private:
  TStatusBar* bar_;
  AnsiString text_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
  TStatusPanelBevel bevel_ = pbLowered;
};

class TStatusPanels {
 public:
  explicit TStatusPanels(TStatusBar* bar) : bar_(bar) {}
  TStatusPanel* Add();
  int Count() const { return static_cast<int>(items_.size()); }
  TStatusPanel* Items(int index) const { return items_.at(static_cast<std::size_t>(index)).get(); }
  void Delete(int index);
  void Clear();
  int IndexOf(const TStatusPanel* p) const;

 private:
  TStatusBar* bar_;
  std::vector<std::unique_ptr<TStatusPanel>> items_;
};

// A bar along the bottom of a form with text panels (the last one takes the
// rest of the width) or one simple text.
class TStatusBar : public TCustomControl {
 public:
  explicit TStatusBar(TComponent* owner);
  ~TStatusBar() override;
  TStatusPanels* Panels() const { return panels_.get(); }
  bool SimplePanel() const { return simplePanel_; }
  void SetSimplePanel(bool v) { simplePanel_ = v; Invalidate(); }
  const AnsiString& SimpleText() const { return simpleText_; }
  void SetSimpleText(const AnsiString& t) { simpleText_ = t; Invalidate(); }
  // The rectangle of a panel in client coordinates.
  TRect PanelRect(int index) const;

 protected:
  void Paint() override;

 private:
  std::unique_ptr<TStatusPanels> panels_;
  bool simplePanel_ = false;
  AnsiString simpleText_;
};

enum TProgressBarOrientation { pbHorizontal, pbVertical };

class TProgressBar : public TWinControl {
 public:
  explicit TProgressBar(TComponent* owner);
  int Min() const { return min_; }
  void SetMin(int v);
  int Max() const { return max_; }
  void SetMax(int v);
  // Clamped to Min..Max.
  int Position() const { return position_; }
  void SetPosition(int v);
  int Step() const { return step_; }
  void SetStep(int v) { step_ = v; }
  void StepIt() { SetPosition(position_ + step_); }
  void StepBy(int delta) { SetPosition(position_ + delta); }
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v) { smooth_ = v; }
  TProgressBarOrientation Orientation() const { return orientation_; }
  void SetOrientation(TProgressBarOrientation o);

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void Apply();

 private:
  int min_ = 0, max_ = 100, position_ = 0, step_ = 10;
  bool smooth_ = false;
  TProgressBarOrientation orientation_ = pbHorizontal;
};

enum TDateTimeKind { dtkDate, dtkTime };
enum TDTDateMode { dmComboBox, dmUpDown };

// A date or a time; with ShowCheckbox the value can be switched off
// (Checked false), which the caller reads as "no date".
class TDateTimePicker : public TWinControl {
 public:
  explicit TDateTimePicker(TComponent* owner);
  TDateTimeKind Kind() const { return kind_; }
  void SetKind(TDateTimeKind k);
  TDTDateMode DateMode() const { return dateMode_; }
  void SetDateMode(TDTDateMode m);
  TDateTime DateTime() const { return value_; }
  void SetDateTime(TDateTime v);
  // The date part (time of day dropped) and the time part (date dropped).
  TDateTime Date() const;
  void SetDate(TDateTime v);
  TDateTime Time() const;
  void SetTime(TDateTime v);
  bool ShowCheckbox() const { return showCheckbox_; }
  void SetShowCheckbox(bool v);
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  // Display pattern in the class library's letters ("yyyy-MM-dd", "HH:mm");
  // empty: the locale's short date or long time.
  const AnsiString& Format() const { return format_; }
  void SetFormat(const AnsiString& f);
  TDateTime MinDate() const { return minDate_; }
  void SetMinDate(TDateTime v);
  TDateTime MaxDate() const { return maxDate_; }
  void SetMaxDate(TDateTime v);
  // Whether the calendar drop-down is showing.
  bool CalendarDropped() const;
  // Drops the calendar down, as F4 does (date pickers in combo mode only).
  void DropCalendar();
  TNotifyEvent OnChange;

 protected:
  TWindowHandle* CreateWindowHandle() override;
  void InitWindowHandle() override;
  void CNCommand(TMessage& m) override;
  void Apply();

 private:
  TDateTimeKind kind_ = dtkDate;
  TDTDateMode dateMode_ = dmComboBox;
  TDateTime value_ = 0;
  bool showCheckbox_ = false;
  bool checked_ = true;
  AnsiString format_;
  TDateTime minDate_ = 0;
  TDateTime maxDate_ = 0;
  bool applying_ = false;
};
