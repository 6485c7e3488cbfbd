// The terminal's shared-data service: one UDP socket on the terminal's
// address and port, answering field reads and writes from its field store
// and taking display requests into its display object.
// Tests drive it in-process; vekxsim wraps it in a program.
//
// Thread model: start() runs the receive loop on a thread of its own until
// stop() or the destructor. Every member may be called from any thread;
// start() and stop() may race each other and end in a definite state.
#ifndef VEKXSIM_SHARED_DATA_SERVICE_H
#define VEKXSIM_SHARED_DATA_SERVICE_H

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "display_object.h"
#include "fault_plan.h"
#include "field_store.h"
#include "traffic_recorder.h"

namespace vekxsim {

// Whether text is one address the service can listen on: a dotted IPv4
// address as the library reads addresses, and not a list of them.
bool is_listen_address(const std::string &text);

class SharedDataService {
 public:
  // Binds listen_address:port (port 0: the system picks; read it back with
  // port()). The address is written as the library reads addresses.
  // node is the node number 1..16 whose fields it serves: a request whose
  // field name carries another node character is answered with status 4
  // and no data. Throws std::invalid_argument for a bad address or node and
  // std::system_error (a Windows Sockets error number, sockets_category())
  // when the socket cannot be had.
  explicit SharedDataService(const std::string &listen_address = "127.0.0.1", std::uint16_t port = 0, int node = 1);
  ~SharedDataService();  // stops the loop and closes the socket
  SharedDataService(const SharedDataService &) = delete;
  SharedDataService &operator=(const SharedDataService &) = delete;

  std::uint16_t port() const;
  int node() const;
  void start();
  void stop();

  FieldStore &fields();
  const FieldStore &fields() const;
  FaultPlan &faults();
  // Every datagram received and sent, in order.
  TrafficRecorder &traffic();
  const TrafficRecorder &traffic() const;
  // What display requests to the node's display object put on its display.
  const DisplayObject &display() const;
  DisplayObject &display();

  // The hooks run on the service thread: on_write after a write was applied
  // and before it is answered, on_read before a read is answered (so that
  // the owner can update a field in time). Setting a hook waits for a call
  // of the old one to return; after that the old hook is never called again.
  using WriteHook = std::function<void(const std::string &name, const std::vector<std::uint8_t> &value)>;
  using ReadHook = std::function<void(const std::string &name)>;
  void on_write(WriteHook hook);
  void on_read(ReadHook hook);

  // Where set, answers the reads and writes of this node's fields instead of
  // the field store (which then sees none of them): the reply's status and,
  // for a read, its value; nothing leaves the request unanswered. key is
  // FieldStore::key of the field name. Runs on the service thread; setting
  // it waits as setting a hook does.
  using Answerer = std::function<std::optional<FieldStore::Answer>(const std::string &key, bool write)>;
  void answer_from(Answerer answerer);

  // Sends arbitrary bytes from the service's socket to 127.0.0.1:to_port.
  void send_stray(const std::vector<std::uint8_t> &datagram, std::uint16_t to_port);

  // Optional traffic log: one decoded line per datagram in and out, and the
  // service's own notes. No sink: nothing is logged.
  void set_log(std::function<void(const std::string &line)> sink);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The error category of the service's std::system_error: Windows Sockets
// error numbers, as the library reports them.
const std::error_category &sockets_category();

}  // namespace vekxsim

#endif
