// A whole console program whose window is closed while a command waits for
// a mailbox that never answers; the test that runs it checks that the
// program ends promptly with status 0. Prints what it saw on stderr.
#include <QApplication>
#include <QTimer>

#include <cstdio>

#include "console_rig.h"

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  ktrv::test::ConsoleRig rig;
  rig.control("setbyte bx297 255");
  QTimer::singleShot(100, &rig.window(), [&] {
    rig.start();
    rig.button("SendReset")->click();  // returns only when the window closes
    std::fprintf(stderr, "wait ended\n");
  });
  // A second, nested wait inside the first, then the operator closes.
  QTimer::singleShot(600, &rig.window(), [&] { rig.button("BufFlush")->click(); });
  QTimer::singleShot(1000, &rig.window(), [&] { rig.button("ExitProg")->click(); });
  const int status = app.exec();
  const bool clean = rig.window().isClosing();
  std::fprintf(stderr, "event loop ended with %d; %s\n", status, clean ? "closed once" : "NOT CLEAN");
  return clean ? status : 3;
}
