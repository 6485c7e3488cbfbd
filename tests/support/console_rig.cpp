#include "console_rig.h"

#include <QSignalSpy>
#include <QTest>

#include <cstdio>

#include "free_ports.h"
#include "vekx_wire.h"

namespace ktrv::test {

namespace {

std::string nameAt(const std::vector<std::uint8_t> &rec, std::size_t at) {
  std::string name;
  for (std::size_t i = at; i < at + vekx::name_slot_size && i < rec.size() && rec[i] != 0; ++i) {
    name.push_back(static_cast<char>(rec[i]));
  }
  return name;
}

bool isFieldAccess(const std::vector<std::uint8_t> &rec) {
  return rec.size() >= vekx::record_overhead &&
         vekx::get_u16(rec, vekx::offset::message_type) == vekx::message_type::field_access;
}

std::vector<std::uint8_t> dataOf(const std::vector<std::uint8_t> &rec) {
  const std::size_t length = vekx::get_u16(rec, vekx::offset::data_length);
  const std::size_t end = std::min(rec.size(), vekx::offset::data + length);
  return {rec.begin() + vekx::offset::data, rec.begin() + static_cast<std::ptrdiff_t>(end)};
}

}  // namespace

std::vector<FieldAccess> fieldAccesses(const std::vector<vekxsim::TrafficRecord> &traffic) {
  std::vector<FieldAccess> out;
  for (const auto &r : traffic) {
    if (!r.inbound || !isFieldAccess(r.bytes)) continue;
    FieldAccess a;
    const std::uint8_t op = r.bytes[vekx::offset::operation];
    a.write = op == vekx::operation::write || op == vekx::operation::formatted_write;
    a.field = nameAt(r.bytes, vekx::offset::target_name);
    a.data = dataOf(r.bytes);
    a.sequence = r.bytes[vekx::offset::sequence];
    a.when = r.when;
    out.push_back(std::move(a));
  }
  return out;
}

int replyByte(const std::vector<vekxsim::TrafficRecord> &traffic, const std::string &field, std::uint8_t seq) {
  for (const auto &r : traffic) {
    if (r.inbound || !isFieldAccess(r.bytes)) continue;
    if (r.bytes[vekx::offset::sequence] != seq || nameAt(r.bytes, vekx::offset::source_name) != field) continue;
    const auto data = dataOf(r.bytes);
    return data.empty() ? -1 : data[0];
  }
  return -1;
}

std::vector<std::string> describe(const std::vector<FieldAccess> &accesses) {
  std::vector<std::string> out;
  for (const auto &a : accesses) {
    std::string s = a.field;
    if (a.write) {
      s += '=';
      char hex[4];
      for (std::uint8_t b : a.data) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        s += hex;
      }
    }
    out.push_back(s);
  }
  return out;
}

vekxsim::TerminalOptions quietTerminal() {
  vekxsim::TerminalOptions o;
  o.port = 0;
  o.power_up = false;
  o.command_delay = std::chrono::milliseconds(0);
  return o;
}

ConsoleRig::ConsoleRig(const vekxsim::TerminalOptions &options)
    : terminal_(std::make_unique<vekxsim::Terminal>(options)) {
  // The library takes both ports from the environment when it registers.
  vekx_test::use_ports(terminal_->port(), vekx_test::free_local_port_pair());
  window_ = std::make_unique<frmMain>(library_);
  // Connected after the window's own handler, so this runs when a tick ends.
  QObject::connect(timer("tmrVekPoll"), &QTimer::timeout, window_.get(), [this] {
    ++ticks_;
    inboundAtTickEnd_.push_back(terminal_->service().traffic().inbound().size());
  });
  window_->show();
}

ConsoleRig::~ConsoleRig() {
  window_->close();  // closes the registration for the next test
  window_.reset();
}

std::string ConsoleRig::control(const std::string &line) {
  std::string reply = terminal_->control(line);
  if (reply.rfind("error: ", 0) == 0) qFatal("control \"%s\" refused: %s", line.c_str(), reply.c_str());
  return reply;
}

QLineEdit *ConsoleRig::box(const char *name) const { return window_->findChild<QLineEdit *>(name); }
QCheckBox *ConsoleRig::check(const char *name) const { return window_->findChild<QCheckBox *>(name); }
CommandButton *ConsoleRig::button(const char *name) const { return window_->findChild<CommandButton *>(name); }
QTimer *ConsoleRig::timer(const char *name) const { return window_->findChild<QTimer *>(name); }

void ConsoleRig::start(const QString &address) {
  box("IPAddr")->setText(address);
  button("IPupdate")->click();
}

bool ConsoleRig::waitTicks(int n, int timeoutMs) {
  const int target = ticks_ + n;
  return QTest::qWaitFor([&] { return ticks_ >= target; }, timeoutMs);
}

std::vector<FieldAccess> ConsoleRig::oneTick() {
  if (!waitTicks(1)) return {};
  const std::size_t from = inboundAtTickEnd_.back();
  if (!waitTicks(1)) return {};
  const std::size_t to = inboundAtTickEnd_.back();
  const auto inbound = terminal_->service().traffic().inbound();
  std::vector<vekxsim::TrafficRecord> slice(inbound.begin() + static_cast<std::ptrdiff_t>(from),
                                            inbound.begin() + static_cast<std::ptrdiff_t>(to));
  return fieldAccesses(slice);
}

std::vector<FieldAccess> ConsoleRig::accesses() const { return fieldAccesses(terminal_->service().traffic().all()); }

std::vector<FieldAccess> ConsoleRig::commandAccesses() const {
  std::vector<FieldAccess> out;
  for (auto &a : accesses()) {
    if (a.write || a.field == "/t1/bx297") out.push_back(a);
  }
  return out;
}

void ConsoleRig::clearTraffic() {
  terminal_->service().traffic().clear();
  inboundAtTickEnd_.clear();
  inboundAtTickEnd_.push_back(0);
}

}  // namespace ktrv::test
