// Helpers for the cell editor tests: a shown form, the event loop with a
// deadline, and the Korean locale put back after each test.
#pragma once

#include <chrono>
#include <functional>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Grids.h"
#include "platform/vcl/InputSimulation.h"

// Runs the event loop until done() or two seconds passed; false on timeout.
inline bool PumpUntil(const std::function<bool()>& done) {
  const auto start = std::chrono::steady_clock::now();
  while (!done()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) return false;
    Application->ProcessMessages();
  }
  return true;
}

// Runs the event loop for a while (for timers).
inline void PumpFor(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < end) Application->ProcessMessages();
}

// The paints a shown control gets for what fn changes (earlier ones are let pass first).
inline int PaintsAfter(TWinControl* control, const std::function<void()>& fn) {
  PumpFor(60);
  int paints = 0;
  const auto original = control->WindowProc;
  control->WindowProc = [&](TMessage& m) { paints += m.Msg == WM_PAINT; original(m); };
  fn();
  PumpFor(120);
  control->WindowProc = original;
  return paints;
}

// A form shown on the offscreen screen, deleted at the end of the test.
struct TEditorForm {
  TForm* form;
  TEditorForm() : form(new TForm(nullptr)) {
    form->SetBounds(10, 10, 600, 400);
    form->Show();
  }
  ~TEditorForm() { delete form; }
};

// The program's own locale for the test, whatever a test changes.
struct TKoreanLocale {
  TFormatSettings saved = FormatSettings;
  TKoreanLocale() { FormatSettings = TFormatSettings::Korean(); }
  ~TKoreanLocale() { FormatSettings = saved; }
};

// The middle of a grid's cell, in the grid's client coordinates.
inline TPoint CellCenter(const TCustomGrid* grid, int col, int row) {
  const TRect r = grid->CellRect(col, row);
  return {(r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2};
}

// A left click (press and release at one point) with the keys held.
inline void LeftClickAt(TControl* control, int x, int y, TShiftState shift = {}) {
  SimulateMouseDown(control, mbLeft, x, y, shift);
  SimulateMouseUp(control, mbLeft, x, y, shift);
}

// A left click in the middle of a grid's cell.
inline void ClickCellCenter(TCustomGrid* grid, int col, int row, TShiftState shift = {}) {
  const TPoint p = CellCenter(grid, col, row);
  LeftClickAt(grid, p.X, p.Y, shift);
}
