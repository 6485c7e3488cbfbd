// KTRVtest: the PC-side confidence test console for a KTRV device behind a
// VekX terminal. One window; the program ends when it closes.
#include <QApplication>

#include "window/frm_main.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  // One style everywhere, so the window looks the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  ktrv::frmMain window;
  window.show();
  return app.exec();
}
