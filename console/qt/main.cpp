// KTRVtest: the PC-side confidence test console for a KTRV device behind a
// VekX terminal. One window; the program ends when it closes.
#include <QApplication>

#include "frm_main.h"
#include "library_loader.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  // One style everywhere, so the window looks the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  ktrv::DlopenLoader loader;
  ktrv::BoundLibrary library(loader);
  ktrv::frmMain window(library);
  window.show();
  return app.exec();
}
