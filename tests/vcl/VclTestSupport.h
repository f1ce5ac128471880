// Helpers for the window-layer tests.
#pragma once

#include <chrono>
#include <functional>

#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/InputSimulation.h"

// Runs the event loop until done() or two seconds passed; false on timeout.
inline bool PumpUntil(const std::function<bool()>& done) {
  auto start = std::chrono::steady_clock::now();
  while (!done()) {
    if (std::chrono::steady_clock::now() - start > std::chrono::seconds(2)) return false;
    Application->ProcessMessages();
  }
  return true;
}

// A form shown on the offscreen screen, deleted at the end of the test.
struct ShownForm {
  TForm* form;
  ShownForm() : form(new TForm(nullptr)) {
    form->SetBounds(10, 10, 400, 300);
    form->Show();
  }
  ~ShownForm() { delete form; }
  TForm* operator->() { return form; }
};

// Message boxes and dialogs answer from queues for the length of a test.
struct TDialogFakesGuard {
  TDialogFakesGuard() { TDialogFakes::Enable(); }
  ~TDialogFakesGuard() { TDialogFakes::Disable(); }
};
