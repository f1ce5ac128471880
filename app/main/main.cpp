// Vidrena: the application with the catalogue window as its main form.
//
//   vidrena                       the program
//   vidrena --screenshot out.png  the same, saving a picture of the window
//                                 once it has shown and settled, then ending
//           [--size 900x600]      resized to that size after it has shown
//           [--click 통계보기]    once shown, clicks the button of that
//                                 caption on the window in front (the
//                                 visible one shown last); each
//                                 further --click follows two seconds later
//                                 (the screenshot scripts open windows so)
#include <cstdio>
#include <cstring>
#include <vector>

#include "app/FormMain.h"
#include "app/WebPictureFetch.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/StdCtrls.h"
#include "platform/vcl/WindowImage.h"

namespace {

// The first button of that caption among what a form owns.
TButton* ButtonCaptioned(TComponent* owner, const AnsiString& caption) {
  for (int i = 0; i < owner->ComponentCount(); ++i) {
    auto* button = dynamic_cast<TButton*>(owner->Components(i));
    if (button && button->Caption() == caption) return button;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  AnsiString screenshot;
  int width = 0, height = 0;
  std::vector<AnsiString> clicks;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--screenshot") == 0) screenshot = FromSysFileName(argv[i + 1]);
    if (std::strcmp(argv[i], "--size") == 0 && std::sscanf(argv[i + 1], "%dx%d", &width, &height) != 2)
      width = height = 0;
    if (std::strcmp(argv[i], "--click") == 0) clicks.push_back(FromSysFileName(argv[i + 1]));
  }
  Application->Initialize(argc, argv);
  Application->SetTitle("VIDRENA");
  InstallWebPictureFetcher();
  TFormMain* mainForm = nullptr;
  Application->CreateForm(mainForm);
  int result = 0;
  if (!screenshot.empty() || width > 0 || !clicks.empty()) {
    auto* timer = new TTimer(mainForm);
    timer->SetInterval(2500);
    std::size_t nextClick = 0;
    bool resized = false;
    timer->OnTimer = [&, timer](TObject*) {
      if (!resized && width > 0 && height > 0) {
        resized = true;
        mainForm->SetBounds(mainForm->Left(), mainForm->Top(), width, height);
        for (int i = 0; i < 20; ++i) Application->ProcessMessages();
      }
      if (nextClick < clicks.size()) {
        timer->SetInterval(2000);
        // The window shown last is the one in front.
        TButton* button = nullptr;
        for (int f = Screen->FormCount() - 1; f >= 0 && !button; --f)
          if (Screen->Forms(f)->Visible()) button = ButtonCaptioned(Screen->Forms(f), clicks[nextClick]);
        ++nextClick;
        // A modal window opened here runs its own loop; the timer goes on
        // ticking inside it for the next click.
        if (button) button->Click();
        else std::fprintf(stderr, "vidrena: no button \"%s\"\n", Cp949ToUtf8(clicks[nextClick - 1]).c_str());
        return;
      }
      if (screenshot.empty()) {
        timer->SetEnabled(false);
        return;
      }
      timer->SetEnabled(false);
      if (!SaveWindowImage(mainForm, screenshot)) result = 1;
      mainForm->DBModified = false;
      Application->Terminate();
    };
  }
  Application->Run();
  return result;
}
