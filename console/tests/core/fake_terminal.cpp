#include "fake_terminal.h"

#include <cstdio>
#include <cstring>

#include "terminal_fields.h"
#include "vekxapi.h"

namespace ktrv::test {

FakeTerminal::FakeTerminal(const FakeWindow &clock) : clock_(clock) {
  // What a terminal holds when nothing has happened yet.
  setText(fields::kWeight1, "    0.00");
  for (const char *f : {fields::kWeightSelector, fields::kCommandMailbox, fields::kEventMailbox, fields::kLiteralSource,
                        fields::kTerminator})
    setByte(f, 0);
  for (const char *f : fields::kInputs) setByte(f, 0);
  set(fields::kLiteral, Bytes(48, 0));
  setText(fields::kLowerDisplay, std::string(50, ' '));
}

std::int16_t FakeTerminal::record(Call::Kind kind, const std::string &field, Bytes data, std::int16_t result) {
  calls_.push_back({kind, field, std::move(data), clock_.now(), result});
  return result;
}

std::int16_t FakeTerminal::registerProcess(std::int16_t, const char *addressList, std::int32_t) {
  std::int16_t result = VEKX_ALREADY_REGISTERED;
  if (!registered_) {
    result = registrationResult_;
    registered_ = result == VEKX_OK;
  }
  return record(Call::registration, addressList, {}, result);
}

std::int16_t FakeTerminal::closeProcess() {
  const std::int16_t result = registered_ ? VEKX_OK : VEKX_NOT_REGISTERED;
  registered_ = false;
  return record(Call::close, "", {}, result);
}

std::int16_t FakeTerminal::read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) {
  const std::string name = fieldName;
  if (!registered_) return record(Call::read, name, {}, VEKX_NOT_REGISTERED);
  std::int16_t failure = failing_.count(name) ? failing_.at(name) : 0;
  if (auto &script = scripted_[name]; !script.empty()) {
    failure = script.front();
    script.erase(script.begin());
  }
  if (failure != 0) return record(Call::read, name, {}, failure);
  Bytes value = field(name);
  if (name == fields::kCommandMailbox && mailboxBusy_ > 0) {
    --mailboxBusy_;
    value = {codes::kCommandNotYetTaken};
  }
  // As the library delivers a value: at most bufferSize bytes, a NUL behind
  // a shorter one.
  const std::size_t size = static_cast<std::size_t>(bufferSize);
  const std::size_t n = value.size() < size ? value.size() : size;
  std::memcpy(buffer, value.data(), n);
  if (value.size() < size) static_cast<std::uint8_t *>(buffer)[n] = 0;
  *count = static_cast<std::int16_t>(n);
  return record(Call::read, name, Bytes(value.begin(), value.begin() + static_cast<std::ptrdiff_t>(n)), VEKX_OK);
}

std::int16_t FakeTerminal::write(const char *fieldName, std::int16_t dataLength, const void *data) {
  const std::string name = fieldName;
  const auto *bytes = static_cast<const std::uint8_t *>(data);
  Bytes value(bytes, bytes + dataLength);
  if (!registered_) return record(Call::write, name, value, VEKX_NOT_REGISTERED);
  set(name, value);
  if (name == fields::kCommandMailbox) {
    mailboxBusy_ = mailboxDelay_;
    setByte(name, 0);  // what it reads once the command is taken
  }
  return record(Call::write, name, value, VEKX_OK);
}

std::vector<std::string> FakeTerminal::described(bool withPoll) const {
  std::vector<std::string> out;
  for (const Call &c : calls_) {
    if (c.result == VEKX_NOT_REGISTERED) continue;  // nothing reached the terminal
    if (c.kind == Call::read && (withPoll || c.field == fields::kCommandMailbox)) out.push_back(c.field);
    if (c.kind == Call::write) {
      std::string s = c.field + "=";
      char hex[4];
      for (std::uint8_t b : c.data) {
        std::snprintf(hex, sizeof hex, "%02x", b);
        s += hex;
      }
      out.push_back(s);
    }
  }
  return out;
}

}  // namespace ktrv::test
