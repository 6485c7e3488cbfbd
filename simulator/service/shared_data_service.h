// The terminal's shared-data service: one UDP socket on the terminal's
// address and port, a store of named fields, and replies to field reads and
// writes. Tests drive it in-process; vekxsim wraps it in a program.
//
// Thread model: start() runs the receive loop on a thread of its own; every
// public member may be called from any thread.
#ifndef VEKXSIM_SHARED_DATA_SERVICE_H
#define VEKXSIM_SHARED_DATA_SERVICE_H

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vekxsim {

// One datagram as the service saw or sent it.
struct TrafficRecord {
  std::chrono::steady_clock::time_point when;
  bool inbound;             // true: received; false: sent by the service
  std::uint16_t peer_port;  // the other side's UDP port
  std::vector<std::uint8_t> bytes;
};

// Decoys the service sends just before the next real reply, to exercise the
// client's reply matching.
enum class Decoy {
  wrong_type,      // message_type 4096 instead of the request's
  wrong_sequence,  // sequence one below the request's
  wrong_name,      // source_name "/t1/zzzzz"
};

class SharedDataService {
 public:
  // Binds listen_address:port (port 0: the system picks; read it back with
  // port()). node is the node number 1..16 whose fields it serves: a request
  // whose field name carries another node character is answered with
  // status 4 and no data. Throws std::system_error when the bind fails.
  explicit SharedDataService(const std::string &listen_address = "127.0.0.1", std::uint16_t port = 0, int node = 1);
  ~SharedDataService();  // stops the loop and closes the socket
  SharedDataService(const SharedDataService &) = delete;
  SharedDataService &operator=(const SharedDataService &) = delete;

  std::uint16_t port() const;
  void start();
  void stop();

  // Field store, keyed by the full field name as it travels ("/t1/bx297",
  // at most 10 characters). A read of a field that does not exist is
  // answered with status 3 and no data.
  void set_field(const std::string &name, std::vector<std::uint8_t> value);
  void set_field_text(const std::string &name, const std::string &text);
  void set_field_byte(const std::string &name, std::uint8_t value);
  std::optional<std::vector<std::uint8_t>> field(const std::string &name) const;
  // Names of all fields, in name order.
  std::vector<std::string> field_names() const;
  // The status set with set_field_status (0 when none was set).
  std::uint8_t field_status(const std::string &name) const;
  // Status byte to answer for one field instead of 0 (the value still goes).
  void set_field_status(const std::string &name, std::uint8_t status);
  // Reads of this field get no answer at all (a failed exchange for that
  // field only); writes still apply.
  void set_field_silent(const std::string &name, bool silent);

  // Called on the service thread after a write was applied and before it is
  // answered; the model hangs its reactions here.
  void on_write(std::function<void(const std::string &name, const std::vector<std::uint8_t> &value)> hook);
  // Called on the service thread before a read is answered, so that the
  // model can update a field in time (the mailbox taking a command).
  void on_read(std::function<void(const std::string &name)> hook);

  // Traffic record: every datagram received and sent, in order.
  std::vector<TrafficRecord> traffic() const;
  std::vector<TrafficRecord> inbound() const;
  void clear_traffic();
  // Waits until at least n datagrams have been received in all; returns the
  // count seen (less than n when the timeout ran out).
  std::size_t wait_inbound(std::size_t n, std::chrono::milliseconds timeout) const;

  // Faults.
  void set_silent(bool silent);                     // answer nothing
  void set_reply_delay(std::chrono::milliseconds);  // answer late
  void drop_next_replies(int n);                    // skip n replies
  void send_decoy_before_next_reply(Decoy);         // one decoy, then the reply
  // The next reply is padded to this many bytes in all (e.g. 700 > 600).
  void oversize_next_reply(std::size_t total_bytes);
  // The next reply's data_length field claims this many bytes whatever it holds.
  void claim_length_next_reply(std::uint16_t claimed);
  // Sends arbitrary bytes from the service's socket to 127.0.0.1:to_port.
  void send_stray(const std::vector<std::uint8_t> &datagram, std::uint16_t to_port);

  // Optional traffic log: one decoded line per datagram in and out.
  void set_log(std::function<void(const std::string &line)> sink);

 private:
  struct Impl;
  Impl *impl_;
};

}  // namespace vekxsim

#endif
