#include "platform/vcl/Placeholder.h"

#include <QApplication>
#include <QWidget>

int RunPlaceholderWindow(int argc, char** argv, const char* titleUtf8) {
  QApplication app(argc, argv);
  QWidget window;
  window.setWindowTitle(QString::fromUtf8(titleUtf8));
  window.resize(800, 600);
  window.show();
  return app.exec();
}
