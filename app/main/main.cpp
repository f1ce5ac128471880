// Vidrena: the application with the catalogue window as its main form.
//
//   vidrena                       the program
//   vidrena --screenshot out.png  the same, saving a picture of the window
//                                 once it has shown and settled, then ending
//           [--size 900x600]      resized to that size after it has shown
#include <cstdio>
#include <cstring>

#include "app/FormMain.h"
#include "app/WebPictureFetch.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowImage.h"

int main(int argc, char** argv) {
  AnsiString screenshot;
  int width = 0, height = 0;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = FromSysFileName(argv[i + 1]);
    if (std::strcmp(argv[i], "--size") == 0 && std::sscanf(argv[i + 1], "%dx%d", &width, &height) != 2)
      width = height = 0;
  }
  Application->Initialize(argc, argv);
  Application->SetTitle("VIDRENA");
  InstallWebPictureFetcher();
  TFormMain* mainForm = nullptr;
  Application->CreateForm(mainForm);
  int result = 0;
  if (!screenshot.empty()) {
    auto* timer = new TTimer(mainForm);
    timer->SetInterval(2500);
    timer->OnTimer = [&](TObject*) {
      timer->SetEnabled(false);
      if (width > 0 && height > 0) {
        mainForm->SetBounds(mainForm->Left(), mainForm->Top(), width, height);
        for (int i = 0; i < 20; ++i) Application->ProcessMessages();
      }
      if (!SaveWindowImage(mainForm, screenshot)) result = 1;
      mainForm->DBModified = false;
      Application->Terminate();
    };
  }
  Application->Run();
  return result;
}
