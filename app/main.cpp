// Program entry: the application object, its title, the main window, the message loop.
#include <QApplication>

#include "app/VexaHEXEditorUnit.h"
#include "platform/Forms.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  using namespace vexa;
  Application->Initialize();
  Application->SetTitle(QStringLiteral("Vexa HEX Editor"));
  try {
    VexaHex = new TVexaHex;
  } catch (const std::exception& e) {
    // A window that cannot be built is reported, and the program ends.
    Application->HandleException(e);
    return 1;
  }
  VexaHex->setAttribute(Qt::WA_DeleteOnClose);
  VexaHex->show();
  return Application->Run();
}
