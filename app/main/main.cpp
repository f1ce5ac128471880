// Vidrena: the application with the catalogue window as its main form.
//
//   vidrena                       the program
//   vidrena --screenshot out.png  the same, saving a picture of the window
//                                 once it has shown and settled, then ending
#include <cstring>

#include "app/FormMain.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowImage.h"

int main(int argc, char** argv) {
  AnsiString screenshot;
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = FromSysFileName(argv[i + 1]);
  Application->Initialize(argc, argv);
  Application->SetTitle("VIDRENA");
  TFormMain* mainForm = nullptr;
  Application->CreateForm(mainForm);
  int result = 0;
  if (!screenshot.empty()) {
    auto* timer = new TTimer(mainForm);
    timer->SetInterval(2500);
    timer->OnTimer = [&](TObject*) {
      timer->SetEnabled(false);
      if (!SaveWindowImage(mainForm, screenshot)) result = 1;
      mainForm->DBModified = false;
      Application->Terminate();
    };
  }
  Application->Run();
  return result;
}
