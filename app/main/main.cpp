// Vidrena: starts the application object with the main window.
#include "platform/vcl/Forms.h"

int main(int argc, char** argv) {
  Application->Initialize(argc, argv);
  Application->SetTitle("Vidrena");
  TForm* mainForm = nullptr;
  Application->CreateForm(mainForm);
  mainForm->SetCaption("Vidrena");
  mainForm->SetBounds(0, 0, 800, 600);
  mainForm->SetPosition(poScreenCenter);
  Application->Run();
  return 0;
}
