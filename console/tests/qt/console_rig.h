// A Qt console window and the real library over loopback to an in-process
// simulated terminal; each rig on ports of its own, handed out by the system.
#ifndef KTRV_CONSOLE_RIG_H
#define KTRV_CONSOLE_RIG_H

#include <QCheckBox>
#include <QLineEdit>

#include <memory>
#include <string>
#include <vector>

#include "bound_library.h"
#include "command_button.h"
#include "frm_main.h"
#include "library_loader.h"
#include "terminal.h"

namespace ktrv::test {

// No power-up event, commands taken at once.
vekxsim::TerminalOptions quietTerminal();

class ConsoleRig {
 public:
  explicit ConsoleRig(const vekxsim::TerminalOptions &options = quietTerminal());
  ~ConsoleRig();

  // Runs a control command; a refused one ends the test program.
  std::string control(const std::string &line);
  frmMain &window() { return *window_; }
  QLineEdit *box(const char *name) const { return window_->findChild<QLineEdit *>(name); }
  QCheckBox *check(const char *name) const { return window_->findChild<QCheckBox *>(name); }
  CommandButton *button(const char *name) const { return window_->findChild<CommandButton *>(name); }

  // Types the address into IPAddr and presses Start.
  void start(const QString &address = QStringLiteral("127.0.0.1")) {
    box("IPAddr")->setText(address);
    button("IPupdate")->click();
  }
  // Waits until n more poll ticks have run to their end.
  bool waitTicks(int n, int timeoutMs = 5000);
  // The field requests the terminal received since the last clear, in
  // order: "name" for a read, "name=hex" for a write.
  std::vector<std::string> requests() const;
  void clearTraffic() { terminal_->service().traffic().clear(); }

 private:
  std::unique_ptr<vekxsim::Terminal> terminal_;
  DlopenLoader loader_;
  BoundLibrary library_{loader_};
  std::unique_ptr<frmMain> window_;
  int ticks_ = 0;
};

}  // namespace ktrv::test

#endif
