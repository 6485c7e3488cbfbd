#include "console_rig.h"

#include <QTest>
#include <QTimer>

#include <cstring>

#include "control_language.h"
#include "loopback_udp.h"
#include "hex_bytes.h"
#include "vekx_wire.h"

namespace ktrv::test {

vekxsim::TerminalOptions quietTerminal() { return {.command_delay = std::chrono::milliseconds(0), .power_up = false}; }

ConsoleRig::ConsoleRig(const vekxsim::TerminalOptions &options)
    : terminal_(std::make_unique<vekxsim::Terminal>(options)) {
  // The library takes both ports from the environment when it registers.
  vekx_test::use_ports(terminal_->port(), vekx_test::free_local_port_pair());
  // With a library that cannot talk to the terminal every poll tick would
  // take half a minute; say so at once instead.
  std::int16_t count = 0, value = 0;
  if (library_.registerProcess(1, "127.0.0.1", 1) != 0 || library_.read("/t1/bx297", 1, &value, &count) != 0 ||
      library_.closeProcess() != 0)
    qFatal("the library gets no answer from the simulated terminal on 127.0.0.1:%d", terminal_->port());
  clearTraffic();
  window_ = std::make_unique<frmMain>(library_);
  // Connected after the window's own handler, so this runs when a tick ends.
  QObject::connect(window_->findChild<QTimer *>(QStringLiteral("tmrVekPoll")), &QTimer::timeout, window_.get(),
                   [this] { ++ticks_; });
  window_->show();
}

ConsoleRig::~ConsoleRig() {
  window_->close();  // closes the registration for the next test
  window_.reset();
}

std::string ConsoleRig::control(const std::string &line) {
  std::string reply = vekxsim::control_answer(*terminal_, line);
  if (reply.rfind("error: ", 0) == 0) qFatal("control \"%s\" refused: %s", line.c_str(), reply.c_str());
  return reply;
}

bool ConsoleRig::waitTicks(int n, int timeoutMs) {
  const int target = ticks_ + n;
  return QTest::qWaitFor([&] { return ticks_ >= target; }, timeoutMs);
}

std::vector<std::string> ConsoleRig::requests() const {
  std::vector<std::string> out;
  for (const auto &r : terminal_->service().traffic().inbound()) {
    const auto &b = r.bytes;
    if (b.size() < vekx::record_overhead || vekx_test::type_of(b) != vekx::message_type::field_access) continue;
    const auto *slot = reinterpret_cast<const char *>(&b[vekx::offset::target_name]);
    std::string name(slot, strnlen(slot, vekx::name_slot_size));
    if (b[vekx::offset::operation] == vekx::operation::write)
      name += "=" + vekx_common::hex_text(vekx_test::value_of(b));
    out.push_back(name);
  }
  return out;
}

}  // namespace ktrv::test
