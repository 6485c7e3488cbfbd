// The terminal's shared-data fields: named byte values, each with the
// largest value it takes, the status its reads are answered with, and
// whether its reads go unanswered.
//
// By default the store is strict, as a terminal is: reads and writes of a
// field it does not have are answered "no such field", and only the owner
// creates fields. A lenient store creates a field on its first write.
// Every member may be called from any thread.
#ifndef VEKXSIM_FIELD_STORE_H
#define VEKXSIM_FIELD_STORE_H

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "service_limits.h"

namespace vekxsim {

class FieldStore {
 public:
  using Bytes = std::vector<std::uint8_t>;

  // The key a field name is stored under: the name as it travels (at most
  // 10 characters) with the node letter in lower case.
  static std::string key(const std::string &name);

  // Creates the field, or replaces its value. A new field takes values of
  // up to max_size bytes (at most limits::field_bytes); an existing one
  // keeps its maximum. Throws std::length_error for a longer value.
  void set(const std::string &name, Bytes value, std::size_t max_size = limits::field_bytes);
  std::optional<Bytes> get(const std::string &name) const;
  std::vector<std::string> names() const;  // in name order
  // The status and silence of an existing field; false when there is none.
  bool set_status(const std::string &name, std::uint8_t status);
  bool set_silent(const std::string &name, bool silent);
  std::uint8_t status(const std::string &name) const;  // 0 for a missing field
  // Every field with its value, status and silence at one moment, in name
  // order.
  struct Entry {
    std::string name;
    Bytes value;
    std::uint8_t status = status::ok;
    bool silent = false;
  };
  std::vector<Entry> entries() const;
  // The fields answered with a status of their own or not at all, in name
  // order: "/t1/wt101 answers with status 3", "reads of /t1/bx251 go unanswered".
  std::vector<std::string> faults() const;
  void set_lenient(bool lenient);
  // Removes every field (the store stays strict or lenient as it is).
  void clear();

  // A read over the wire: the status to answer with and the value, or
  // nothing when the read goes unanswered.
  struct Answer {
    std::uint8_t status = status::ok;
    Bytes value;
  };
  std::optional<Answer> read(const std::string &name) const;
  // A write over the wire of length bytes, of which value holds all (or
  // none, when the datagram was too long to keep): whether it was applied,
  // and the status to answer. A field answered with a failing status keeps
  // its value, as a terminal that refused the write does.
  struct WriteOutcome {
    bool applied = false;
    std::uint8_t status = status::ok;
  };
  WriteOutcome write(const std::string &name, std::span<const std::uint8_t> value, std::size_t length);

 private:
  struct Field {
    Bytes value;
    std::size_t max_size = limits::field_bytes;
    std::uint8_t status = status::ok;
    bool silent = false;
  };

  mutable std::mutex mutex_;
  std::map<std::string, Field> fields_;
  bool lenient_ = false;
};

}  // namespace vekxsim

#endif
