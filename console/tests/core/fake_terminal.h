// The library and a terminal behind it, in memory, for the console's logic:
// registration, fields that reads deliver as the library does (at most the
// count, a NUL behind a shorter value, the count in count_out), reads that
// fail, a command mailbox that reads 255 for a while after each command,
// and a record of every call with its virtual time.
#ifndef KTRV_TEST_FAKE_TERMINAL_H
#define KTRV_TEST_FAKE_TERMINAL_H

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "fake_window.h"
#include "library.h"

namespace ktrv::test {

using Bytes = std::vector<std::uint8_t>;

struct Call {
  enum Kind { registration, close, read, write } kind;
  std::string field;  // read, write: the field; registration: the address list
  Bytes data;         // write: the bytes; read: the bytes delivered
  std::int64_t when;  // virtual ms
  std::int16_t result;
};

class FakeTerminal : public Library {
 public:
  explicit FakeTerminal(const FakeWindow &clock);

  std::int16_t registerProcess(std::int16_t processType, const char *addressList, std::int32_t addressCount) override;
  std::int16_t closeProcess() override;
  std::int16_t read(const char *fieldName, std::int16_t bufferSize, void *buffer, std::int16_t *count) override;
  std::int16_t write(const char *fieldName, std::int16_t dataLength, const void *data) override;

  void set(const std::string &field, Bytes value) { fields_[field] = std::move(value); }
  void setText(const std::string &field, const std::string &text) { set(field, Bytes(text.begin(), text.end())); }
  void setByte(const std::string &field, std::uint8_t value) { set(field, {value}); }
  Bytes field(const std::string &field) const { return fields_.count(field) ? fields_.at(field) : Bytes{}; }
  // Reads of the field fail with this result (0: they work again).
  void failReads(const std::string &field, std::int16_t result) { failing_[field] = result; }
  // The next reads of the field, one result each (0: the read works).
  void scriptReads(const std::string &field, std::vector<std::int16_t> results) { scripted_[field] = results; }
  // From now and after each command, the command mailbox reads 255 this
  // many times before the command is taken.
  void setMailboxDelay(int reads) { mailboxDelay_ = mailboxBusy_ = reads; }
  // The result of the next registration when it is not refused as a second one.
  void setRegistrationResult(std::int16_t result) { registrationResult_ = result; }
  bool registered() const { return registered_; }

  const std::vector<Call> &calls() const { return calls_; }
  void clearCalls() { calls_.clear(); }
  // What reached the terminal: reads as "field", writes as "field=hex" (the
  // poll's reads left out when withPoll is false: only waits read the
  // command mailbox).
  std::vector<std::string> described(bool withPoll = true) const;

 private:
  std::int16_t record(Call::Kind kind, const std::string &field, Bytes data, std::int16_t result);

  const FakeWindow &clock_;
  std::map<std::string, Bytes> fields_;
  std::map<std::string, std::int16_t> failing_;
  std::map<std::string, std::vector<std::int16_t>> scripted_;
  std::vector<Call> calls_;
  int mailboxDelay_ = 0;
  int mailboxBusy_ = 0;
  std::int16_t registrationResult_ = 0;
  bool registered_ = false;
};

}  // namespace ktrv::test

#endif
