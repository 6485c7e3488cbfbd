// The faults the service can put on its replies on purpose, so that the
// client's waits, resends and reply matching can be tested: silence, late
// replies, lost replies, decoys, oversized replies and false lengths.
// Every member may be called from any thread.
#ifndef VEKXSIM_FAULT_PLAN_H
#define VEKXSIM_FAULT_PLAN_H

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace vekxsim {

// Decoys the service sends just before the next real reply. Each carries
// decoy_status as its status byte, so that a client which takes one for the
// reply shows it in its result.
inline constexpr std::uint8_t decoy_status = 222;
enum class Decoy {
  wrong_type,      // message_type 4096 instead of the request's
  wrong_sequence,  // sequence one below the request's
  wrong_name,      // source_name "/t1/zzzzz"
};

class FaultPlan {
 public:
  using Bytes = std::vector<std::uint8_t>;

  void set_silent(bool silent);                     // answer nothing
  void set_reply_delay(std::chrono::milliseconds);  // answer late (0: at once)
  std::chrono::milliseconds reply_delay();
  void drop_next_replies(int n);  // skip n replies
  void add_decoy(Decoy);          // one decoy before the next reply
  // The next reply is padded to this many bytes in all (e.g. 700 > 600).
  void oversize_next_reply(std::size_t total_bytes);
  // The next reply's data_length field claims this many bytes whatever it holds.
  void claim_length_next_reply(std::uint16_t claimed);

  // What goes out in place of one reply, and when.
  struct Outgoing {
    std::vector<Bytes> datagrams;  // in order; empty when nothing is sent
    std::chrono::milliseconds delay{0};
    std::string note;  // why a reply went missing, for the log
  };
  Outgoing shape(Bytes reply);

  // The faults in force, e.g. "silent", "reply delay 300 ms", "1 decoy
  // before the next reply"; empty when there is none.
  std::vector<std::string> in_force();
  // Lifts every fault: the service answers as it does at start.
  void clear();

 private:
  std::mutex mutex_;
  bool silent_ = false;
  std::chrono::milliseconds reply_delay_{0};
  int drop_count_ = 0;
  std::deque<Decoy> decoys_;
  std::optional<std::size_t> oversize_;
  std::optional<std::uint16_t> claimed_length_;
};

}  // namespace vekxsim

#endif
