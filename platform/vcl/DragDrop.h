// Drag and drop between windows and with other programs: drop targets that
// hear enter / over / leave / drop with the Ctrl state, and a drag source
// carrying text, registered clipboard formats and file names.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/Controls.h"

inline constexpr int DROPEFFECT_NONE = 0;
inline constexpr int DROPEFFECT_COPY = 1;
inline constexpr int DROPEFFECT_MOVE = 2;
inline constexpr int DROPEFFECT_LINK = 4;

// What is dragged. Text is code page 949; Formats holds registered formats
// (RegisterClipboardFormat) with their bytes.
struct TDragData {
  bool HasText = false;
  AnsiString Text;
  std::map<UINT, std::string> Formats;
  std::vector<AnsiString> Files;
  bool HasFormat(UINT format) const { return Formats.count(format) != 0; }
};

// Hears the drags over one control. Points are in the control's client
// coordinates; effect comes in as the effect the source allows and the
// usual choice (copy with Ctrl held, else move when allowed) and goes out
// as the one this target takes (DROPEFFECT_NONE refuses).
class TDropTarget {
 public:
  virtual ~TDropTarget() = default;
  virtual void DragEnter(const TDragData& data, TShiftState shift, TPoint pt, int& effect) {}
  virtual void DragOver(TShiftState shift, TPoint pt, int& effect) {}
  virtual void DragLeave() {}
  virtual void Drop(const TDragData& data, TShiftState shift, TPoint pt, int& effect) {}
};

// The target is not owned; revoke before it goes. A control's registration
// ends with the control.
void RegisterDragDrop(TWinControl* control, TDropTarget* target);
void RevokeDragDrop(TWinControl* control);
bool IsDropTarget(const TWinControl* control);

// Starts a drag from the control and returns the effect the drop took
// (DROPEFFECT_NONE when cancelled).
int DoDragDrop(TWinControl* source, const TDragData& data, int allowedEffects);
// While set, DoDragDrop calls the hook instead of running a drag.
void SetDragDropHook(std::function<int(const TDragData& data, int allowedEffects)> hook);

// The effect a drop proposes by the keys held: copy with Ctrl, else move
// when allowed, else copy when allowed, else none.
int ProposedDropEffect(TShiftState shift, int allowedEffects);
