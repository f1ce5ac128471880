// A list of check boxes that keeps each item's check state and enabled flag
// and stores them in its own text format, one line per item:
//
//   "&" state " " enabled " " text " " CR LF
//
// state is 0 unchecked, 1 checked, 2 greyed; enabled is 1 or 0. The blank
// before the line break belongs to the format (readers of existing files
// expect it), so a text's own trailing blanks survive a round trip.
#pragma once

#include <functional>
#include <vector>

#include "platform/vcl/StdCtrls.h"

class TScCheckList : public TCheckListBox {
 public:
  explicit TScCheckList(TComponent* owner);

  // Replaces every item by the file's items; the caller checks that the file
  // exists (EFOpenError otherwise). Nothing changes when it cannot be read.
  void LoadFromFile(const AnsiString& fileName);
  // Writes every item; EFCreateError when the path cannot be written (the
  // old file is then kept).
  void SaveToFile(const AnsiString& fileName) const;
  // The file's bytes for the items, and the items of such bytes (a line
  // without the leading "&" is taken as a checked item's whole text).
  AnsiString ItemsText() const;
  void SetItemsText(std::string_view text);

  // The user changed an item's check box: its index and new state.
  std::function<void(TObject* sender, int index, TCheckBoxState state)> OnChange;

 protected:
  void ClickCheck() override;
  void DecorateItem(int index) override;
  void ItemsInserted(int index) override;
  void ItemsDeleted(int index) override;

 private:
  void SyncKnownStates();
  // The states as last seen, to tell which item the user's click changed.
  std::vector<TCheckBoxState> knownStates_;
};
