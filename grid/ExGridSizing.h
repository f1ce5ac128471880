// The sizing and scroll-bar state of TExStringGrid (ExGridSizing.cpp): the
// automatic sizing limits, the scroll-bar switches, the stored print and
// export settings, the widths remembered between resizes, the mouse sizing
// gesture, and the link that lets the grid grow with its form.
#pragma once

#include <memory>
#include <vector>

#include "grid/ExGridOptions.h"
#include "platform/vcl/Controls.h"

class TExStringGrid;
class TCustomForm;
struct TFormResizeState;

struct TGridSizing {
  explicit TGridSizing(TExStringGrid* grid);
  ~TGridSizing();
  TGridSizing(const TGridSizing&) = delete;
  TGridSizing& operator=(const TGridSizing&) = delete;

  TExStringGrid* grid;
  TGridSizeLimits limits;
  TScrollBarOptions scroll;
  TPrintSettings print;
  THTMLSettings html;
  bool sizeWithForm = false;
  bool scrollProportional = false;
  // The proportional 0..127 scale is on the bar now (horizontal, vertical).
  bool proportionalOn[2] = {false, false};
  int lastGridWidth = 0;  // the last positive client width (SynchWithGrid)
  // SynchWithGrid scales from these widths at synchBaseWidth while the
  // columns still have the widths it gave them (synchLastSet), so that a
  // grid shrunk and grown again gets its widths back without rounding drift.
  std::vector<int> synchBase, synchLastSet;
  int synchBaseWidth = 0;
  bool busy = false;      // a sizing step is running; its own width changes pass
  // A resize came while a sizing step ran (a scroll bar came or went).
  bool resizePending = false;
  // The mouse gesture: the line being sized and its extent before.
  int anchorCol = -1, anchorColWidth = 0;
  int anchorRow = -1, anchorRowHeight = 0;
  // The form whose resizing the grid follows.
  std::shared_ptr<TFormResizeState> formLink;
  std::unique_ptr<TComponent> watcher;  // hears when the form goes first
  // The hint beside a dragged thumb.
  std::unique_ptr<THintWindow> scrollHint;
};
