#include "field_store.h"

#include <algorithm>
#include <stdexcept>

namespace vekxsim {

std::string FieldStore::key(const std::string &name) {
  std::string key = name.substr(0, vekx::name_slot_size);
  if (key.size() > 1 && key[1] == 'T') key[1] = 't';
  return key;
}

void FieldStore::set(const std::string &name, Bytes value, std::size_t max_size) {
  std::lock_guard lock(mutex_);
  auto [it, created] = fields_.try_emplace(key(name));
  if (created) it->second.max_size = std::min(max_size, limits::field_bytes);
  if (value.size() > it->second.max_size) {
    const std::size_t limit = it->second.max_size;
    if (created) fields_.erase(it);
    throw std::length_error(key(name) + " holds at most " + std::to_string(limit) + " bytes, not " +
                            std::to_string(value.size()) +
                            (limit == limits::field_bytes ? " (a 600-byte reply carries its 29-byte header, "
                                                            "the value and a closing zero)"
                                                          : ""));
  }
  it->second.value = std::move(value);
}

std::optional<FieldStore::Bytes> FieldStore::get(const std::string &name) const {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  if (it == fields_.end()) return std::nullopt;
  return it->second.value;
}

std::vector<std::string> FieldStore::names() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto &entry : fields_) out.push_back(entry.first);
  return out;
}

bool FieldStore::set_status(const std::string &name, std::uint8_t status) {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  if (it == fields_.end()) return false;
  it->second.status = status;
  return true;
}

bool FieldStore::set_silent(const std::string &name, bool silent) {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  if (it == fields_.end()) return false;
  it->second.silent = silent;
  return true;
}

std::uint8_t FieldStore::status(const std::string &name) const {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  return it == fields_.end() ? status::ok : it->second.status;
}

std::vector<FieldStore::Entry> FieldStore::entries() const {
  std::lock_guard lock(mutex_);
  std::vector<Entry> out;
  out.reserve(fields_.size());
  for (const auto &[name, field] : fields_) out.push_back({name, field.value, field.status, field.silent});
  return out;
}

std::vector<std::string> FieldStore::faults() const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  for (const auto &[name, field] : fields_) {
    if (field.status != status::ok) out.push_back(name + " answers with status " + std::to_string(field.status));
    if (field.silent) out.push_back("reads of " + name + " go unanswered");
  }
  return out;
}

void FieldStore::clear() {
  std::lock_guard lock(mutex_);
  fields_.clear();
}

void FieldStore::set_lenient(bool lenient) {
  std::lock_guard lock(mutex_);
  lenient_ = lenient;
}

std::optional<FieldStore::Answer> FieldStore::read(const std::string &name) const {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  if (it == fields_.end()) return Answer{status::no_such_field, {}};
  if (it->second.silent) return std::nullopt;
  return Answer{it->second.status, it->second.value};
}

FieldStore::WriteOutcome FieldStore::write(const std::string &name, std::span<const std::uint8_t> value,
                                           std::size_t length) {
  std::lock_guard lock(mutex_);
  auto it = fields_.find(key(name));
  if (it == fields_.end()) {
    if (!lenient_) return {false, status::no_such_field};
    if (length > limits::field_bytes) return {false, status::too_large};
    if (fields_.size() >= limits::fields) return {false, status::store_full};
    it = fields_.try_emplace(key(name)).first;
  }
  Field &field = it->second;
  if (length > field.max_size || value.size() != length) return {false, status::too_large};
  // A terminal that answers a write with a failing status has refused it.
  if (field.status != status::ok) return {false, field.status};
  field.value.assign(value.begin(), value.end());
  return {true, field.status};
}

}  // namespace vekxsim
