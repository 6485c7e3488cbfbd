// A console window talking to an in-process simulated terminal over
// loopback, with the terminal's traffic record decoded into field reads and
// writes. Each rig uses ports of its own: the terminal binds port 0 and the
// library's local port is one the system has just handed out.
#ifndef KTRV_CONSOLE_RIG_H
#define KTRV_CONSOLE_RIG_H

#include <QCheckBox>
#include <QLineEdit>
#include <QTimer>

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "bound_library.h"
#include "command_button.h"
#include "frm_main.h"
#include "library_loader.h"
#include "terminal.h"

namespace ktrv::test {

struct FieldAccess {
  bool write = false;
  std::string field;
  std::vector<std::uint8_t> data;
  std::uint8_t sequence = 0;
  std::chrono::steady_clock::time_point when;
};

// Every field access the terminal received, in order.
std::vector<FieldAccess> fieldAccesses(const std::vector<vekxsim::TrafficRecord> &traffic);
// The value byte the terminal answered a read of `field` with sequence `seq`.
int replyByte(const std::vector<vekxsim::TrafficRecord> &traffic, const std::string &field, std::uint8_t seq);

vekxsim::TerminalOptions quietTerminal();
class ConsoleRig {
 public:
  explicit ConsoleRig(const vekxsim::TerminalOptions &options = quietTerminal());
  ~ConsoleRig();

  vekxsim::Terminal &terminal() { return *terminal_; }
  // Runs a control command; a refused one fails the test through qFatal.
  std::string control(const std::string &line);
  frmMain &window() { return *window_; }

  QLineEdit *box(const char *name) const;
  QCheckBox *check(const char *name) const;
  CommandButton *button(const char *name) const;
  QTimer *timer(const char *name) const;

  // Types the address into IPAddr and presses Start.
  void start(const QString &address = QStringLiteral("127.0.0.1"));
  // Waits until n more poll ticks have run to their end.
  bool waitTicks(int n, int timeoutMs = 5000);
  // The field accesses of one whole tick, from its first read to its last.
  std::vector<FieldAccess> oneTick();
  std::vector<FieldAccess> accesses() const;
  // Writes and mailbox reads only: what commands do (the poll never writes
  // and never reads the command mailbox).
  std::vector<FieldAccess> commandAccesses() const;
  void clearTraffic();

 private:
  std::unique_ptr<vekxsim::Terminal> terminal_;
  DlopenLoader loader_;
  BoundLibrary library_{loader_};
  std::unique_ptr<frmMain> window_;
  int ticks_ = 0;
  std::vector<std::size_t> inboundAtTickEnd_;
};

// "name" read, or "name=hex" write, for readable comparisons.
std::vector<std::string> describe(const std::vector<FieldAccess> &accesses);

}  // namespace ktrv::test

#endif
