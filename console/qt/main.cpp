// KTRVtest: the PC-side confidence test console for a KTRV device behind a
// VekX terminal. One window; the program ends when it closes.
#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frm_main.h"
#include "library_loader.h"

namespace {

const char kHelp[] =
    "usage: KTRVtest [--help | --version]\n"
    "The test console for a KTRV device behind a VekX terminal: one window. Type the terminal's\n"
    "address into \"VekX IP Address\" and press Start.\n"
    "It needs a display: run it in a desktop session, or without one under xvfb-run (xvfb-run KTRVtest).\n"
    "Ports: VEKX_TERMINAL_PORT, VEKX_LOCAL_PORT (default 1701). See KTRVtest(1).\n";

// Without a display the toolkit ends the program with an abort; before the
// application exists, its fatal message means just that.
bool applicationMade = false;
void reportMissingDisplay(QtMsgType type, const QMessageLogContext &, const QString &message) {
  std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
  if (type != QtFatalMsg || applicationMade) return;
  const char *display = std::getenv("DISPLAY");
  std::fprintf(stderr,
               "KTRVtest: no display to show the window on (DISPLAY=%s): run it in a desktop session, "
               "or under a virtual display with xvfb-run KTRVtest\n",
               display != nullptr ? display : "not set");
  std::_Exit(1);
}

}  // namespace

int main(int argc, char *argv[]) {
  // The console takes no other command line: these two answer without a
  // display.
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "--version") == 0)) {
    std::fputs(std::strcmp(argv[1], "--help") == 0 ? kHelp : "KTRVtest " KTRV_VERSION "\n", stdout);
    return 0;
  }
  qInstallMessageHandler(reportMissingDisplay);
  QApplication app(argc, argv);
  applicationMade = true;
  qInstallMessageHandler(nullptr);
  // One style everywhere, so the window looks the same on every desktop.
  QApplication::setStyle(QStringLiteral("Fusion"));
  ktrv::DlopenLoader loader;
  ktrv::BoundLibrary library(loader);
  ktrv::frmMain window(library);
  window.show();
  return app.exec();
}
