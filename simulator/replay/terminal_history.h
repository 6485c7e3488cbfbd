// What one captured terminal said about each of its fields, and the answers
// a replay gives from it at a time of the capture.
//
// At capture time t (counted from the terminal's first datagram):
//  - a read gets the value and status of the field's latest read reply at
//    or before t, or of its first one when t lies before it;
//  - a write gets the status of the field's captured write nearest to t,
//    or 0 when the capture has none; it changes no later read;
//  - a request left without a matching reply within 500 ms makes the field
//    silent from then until its next answered request: reads and writes
//    at such a t get no answer;
//  - a field the capture never shows gets status 3, no such field.
// A reply matches a request as the library matches it: from the request's
// terminal to the request's client, same message type and sequence, and
// the request's target name as its source name.
#ifndef VEKXSIM_TERMINAL_HISTORY_H
#define VEKXSIM_TERMINAL_HISTORY_H

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "captured_datagram.h"
#include "shared_data_service.h"

namespace vekxsim::replay {

// Which terminal of a capture to replay, where it holds several.
struct Choice {
  std::optional<std::string> terminal;  // "ADDR:PORT", or "ADDR" when it serves on one port
  std::optional<int> node;              // 1..16
  std::optional<int> session;           // of a traffic log; by default its last
};

class TerminalHistory {
 public:
  using Time = std::chrono::microseconds;

  // Checks every datagram by the dissector's rules (at least the 29-byte
  // header, marker 100, data_length within the datagram) and keeps those of
  // the chosen session, terminal and node. Throws CaptureError, its text
  // led by file, for a datagram that breaks them, and when the choice is
  // missing or names none of the sessions, terminals and nodes found (the
  // text lists them).
  TerminalHistory(std::vector<CapturedDatagram> datagrams, const Choice &choice, const std::string &file);

  const std::string &terminal() const { return terminal_; }  // "ADDR:PORT"; empty for a traffic log
  int node() const { return node_; }
  Time span() const { return span_; }  // from the first datagram to the last

  // The answer to a request of the field (FieldStore::key) at capture time
  // t; nothing: left unanswered.
  std::optional<FieldStore::Answer> answer(const std::string &key, bool write, Time t) const;
  // The fields the capture shows (FieldStore::key), in the order of their
  // names.
  std::vector<std::string> field_keys() const;
  // A service answerer that asks for capture time at each request.
  SharedDataService::Answerer answerer(std::function<Time()> capture_time) const;

  // The sessions, terminals and nodes found, the span, and per field its reads,
  // writes and replies, its first distinct values, its statuses and its
  // silences.
  std::string summary() const;

 private:
  struct Reply {
    Time at;
    std::uint8_t status;
    std::vector<std::uint8_t> value;  // a read's reply value; a write's request value
  };
  struct Request {
    Time at;
    bool write;
    bool answered;
  };
  struct Field {
    std::vector<Request> requests;
    std::vector<Reply> reads, writes;
    bool silent_at(Time t) const;
  };

  // The datagrams of the chosen session (a traffic log's last by default),
  // and the sessions into head_.
  std::vector<CapturedDatagram> take_session(std::vector<CapturedDatagram> datagrams, const Choice &choice,
                                             const std::string &file);
  // The chosen terminal's requests and the replies that match them, into
  // fields_, and span_; the count of the terminal's datagrams.
  std::size_t take_fields(const std::vector<CapturedDatagram> &datagrams);

  std::string terminal_;
  int node_ = 1;
  Time span_{0};
  std::string head_;  // the summary's first lines: the terminals found, the one replayed
  std::map<std::string, Field> fields_;
};

}  // namespace vekxsim::replay

#endif
