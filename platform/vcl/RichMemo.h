// A memo that shows and edits formatted text: the rich-text subset of grid
// cells goes in and comes back in the same subset.
#pragma once

#include <string_view>

#include "platform/vcl/StdCtrls.h"

class TRichMemo : public TMemo {
 public:
  explicit TRichMemo(TComponent* owner) : TMemo(owner) {}
  // Shows rtf; the control's font is used where the text names none.
  void LoadRichText(std::string_view rtf);
  // The content in the rich-text subset (plain text as loaded when there
  // is no window yet).
  AnsiString RichText() const;
  void SelectAllText();
  // The caret moved or the selection changed (by the user or by code).
  TNotifyEvent OnSelectionChange;

 protected:
  virtual void SelectionChange();
  TWindowHandle* CreateWindowHandle() override;
  void ApplyTextToWidget() override;
  AnsiString WidgetText() const override;

 private:
  AnsiString pendingRtf_;  // loaded before the window existed
  bool hasPending_ = false;
  int lastAnchor_ = -1;
  int lastPosition_ = -1;
};
