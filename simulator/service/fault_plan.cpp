#include "fault_plan.h"

#include <algorithm>

#include "service_limits.h"

namespace vekxsim {

void FaultPlan::set_silent(bool silent) {
  std::lock_guard lock(mutex_);
  silent_ = silent;
}

void FaultPlan::set_reply_delay(std::chrono::milliseconds delay) {
  std::lock_guard lock(mutex_);
  reply_delay_ = std::max(delay, std::chrono::milliseconds(0));
}

std::chrono::milliseconds FaultPlan::reply_delay() {
  std::lock_guard lock(mutex_);
  return reply_delay_;
}

void FaultPlan::drop_next_replies(int n) {
  std::lock_guard lock(mutex_);
  drop_count_ = std::max(n, 0);
}

void FaultPlan::add_decoy(Decoy decoy) {
  std::lock_guard lock(mutex_);
  decoys_.push_back(decoy);
}

void FaultPlan::oversize_next_reply(std::size_t total_bytes) {
  std::lock_guard lock(mutex_);
  oversize_ = std::min(total_bytes, limits::largest_sent_datagram);
}

void FaultPlan::claim_length_next_reply(std::uint16_t claimed) {
  std::lock_guard lock(mutex_);
  claimed_length_ = claimed;
}

namespace {
// "1 decoy", "2 decoys".
std::string counted(std::size_t n, const char *one, const char *many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}
}  // namespace

void FaultPlan::clear() {
  std::lock_guard lock(mutex_);
  silent_ = false;
  reply_delay_ = std::chrono::milliseconds(0);
  drop_count_ = 0;
  decoys_.clear();
  oversize_.reset();
  claimed_length_.reset();
}

std::vector<std::string> FaultPlan::in_force() {
  std::lock_guard lock(mutex_);
  std::vector<std::string> out;
  if (silent_) out.emplace_back("silent");
  if (reply_delay_.count() > 0) out.push_back("reply delay " + std::to_string(reply_delay_.count()) + " ms");
  if (drop_count_ > 0)
    out.push_back("dropping the next " + counted(static_cast<std::size_t>(drop_count_), "reply", "replies"));
  if (!decoys_.empty()) out.push_back(counted(decoys_.size(), "decoy", "decoys") + " before the next reply");
  if (oversize_) out.push_back("next reply padded to " + std::to_string(*oversize_) + " bytes");
  if (claimed_length_) out.push_back("next reply claims " + std::to_string(*claimed_length_) + " bytes");
  return out;
}

FaultPlan::Outgoing FaultPlan::shape(Bytes reply) {
  std::lock_guard lock(mutex_);
  Outgoing out;
  if (silent_) return out;
  if (drop_count_ > 0) {
    --drop_count_;
    out.note = "reply dropped on purpose (" + std::to_string(drop_count_) + " more to drop)";
    return out;
  }
  for (Decoy d : decoys_) {
    Bytes decoy = reply;
    decoy[vekx::offset::status] = decoy_status;
    switch (d) {
      case Decoy::wrong_type:
        vekx::put_u16(decoy, vekx::offset::message_type, vekx::message_type::field_access - 1);
        break;
      case Decoy::wrong_sequence:
        --decoy[vekx::offset::sequence];
        break;
      case Decoy::wrong_name:
        vekx::put_name(decoy, vekx::offset::source_name, "/t1/zzzzz");
        break;
    }
    out.datagrams.push_back(std::move(decoy));
  }
  decoys_.clear();
  if (claimed_length_) vekx::put_u16(reply, vekx::offset::data_length, *claimed_length_);
  if (oversize_ && *oversize_ > reply.size()) reply.resize(*oversize_, 0);
  claimed_length_.reset();
  oversize_.reset();
  out.datagrams.push_back(std::move(reply));
  out.delay = reply_delay_;
  return out;
}

}  // namespace vekxsim
