#include "styled/ScCheckList.h"

#include "platform/rtl/SysUtils.h"
#include "styled/ScFiles.h"
#include "styled/ScLook.h"

namespace {

struct ParsedItem {
  AnsiString text;
  TCheckBoxState state = cbUnchecked;
  bool enabled = true;
};

// Reads the number at pos (digits only), moving pos past it; false when
// there is none or it is followed by anything but a blank.
bool ReadNumber(std::string_view line, std::size_t& pos, int& value) {
  std::size_t start = pos;
  long long n = 0;
  while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' && pos - start < 9) {
    n = n * 10 + (line[pos] - '0');
    ++pos;
  }
  if (pos == start || pos >= line.size() || line[pos] != ' ') return false;
  ++pos;
  value = static_cast<int>(n);
  return true;
}

ParsedItem ParseLine(std::string_view line) {
  ParsedItem item;
  std::size_t pos = 1;
  int state = 0, enabled = 1;
  if (line.empty() || line[0] != '&' || !ReadNumber(line, pos, state) || !ReadNumber(line, pos, enabled)) {
    // A hand-written line: the whole line is the item.
    item.text = AnsiString(line);
    item.state = cbChecked;
    return item;
  }
  std::string_view text = line.substr(pos);
  if (!text.empty() && text.back() == ' ') text.remove_suffix(1);
  item.text = AnsiString(text);
  item.state = state == 1 ? cbChecked : state == 2 ? cbGrayed : cbUnchecked;
  item.enabled = enabled != 0;
  return item;
}

}  // namespace

TScCheckList::TScCheckList(TComponent* owner) : TCheckListBox(owner) { ScApplyFieldLook(this); }

AnsiString TScCheckList::ItemsText() const {
  AnsiString out;
  for (int i = 0; i < Items()->Count(); ++i) {
    out += Format("&%d %d %s %s", {static_cast<int>(State(i)), ItemEnabled(i) ? 1 : 0, Items()->Strings(i), "\r\n"});
  }
  return out;
}

void TScCheckList::SetItemsText(std::string_view text) {
  std::vector<ParsedItem> parsed;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(start, end - start);
    if (!line.empty()) parsed.push_back(ParseLine(line));
    start = end;
    if (start < text.size() && text[start] == '\r') ++start;
    if (start < text.size() && text[start] == '\n') ++start;
  }
  Items()->BeginUpdate();
  Items()->Clear();
  for (const ParsedItem& item : parsed) {
    int index = Items()->Add(item.text);
    SetState(index, item.state);
    SetItemEnabled(index, item.enabled);
  }
  Items()->EndUpdate();
  SyncKnownStates();
}

void TScCheckList::LoadFromFile(const AnsiString& fileName) { SetItemsText(ScLoadFileBytes(fileName)); }

void TScCheckList::SaveToFile(const AnsiString& fileName) const { ScSaveFileSafely(fileName, ItemsText()); }

void TScCheckList::ClickCheck() {
  int changed = -1;
  for (int i = 0; i < Items()->Count(); ++i) {
    if (static_cast<std::size_t>(i) >= knownStates_.size() || knownStates_[static_cast<std::size_t>(i)] != State(i)) {
      changed = i;
      break;
    }
  }
  SyncKnownStates();
  TCheckListBox::ClickCheck();
  if (changed >= 0 && OnChange) OnChange(this, changed, State(changed));
}

void TScCheckList::DecorateItem(int index) {
  TCheckListBox::DecorateItem(index);
  if (index >= 0 && static_cast<std::size_t>(index) < knownStates_.size() && index < Items()->Count())
    knownStates_[static_cast<std::size_t>(index)] = State(index);
}

void TScCheckList::ItemsInserted(int index) {
  TCheckListBox::ItemsInserted(index);
  SyncKnownStates();
}

void TScCheckList::ItemsDeleted(int index) {
  TCheckListBox::ItemsDeleted(index);
  SyncKnownStates();
}

void TScCheckList::SyncKnownStates() {
  knownStates_.resize(static_cast<std::size_t>(Items()->Count()));
  for (int i = 0; i < Items()->Count(); ++i) knownStates_[static_cast<std::size_t>(i)] = State(i);
}
