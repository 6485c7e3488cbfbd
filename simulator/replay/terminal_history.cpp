#include "terminal_history.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>

#include "hex_bytes.h"
#include "vekx_wire.h"

namespace vekxsim::replay {

namespace {

using Time = TerminalHistory::Time;
using Bytes = std::vector<std::uint8_t>;

// A request without a reply this long after it went unanswered.
constexpr Time reply_window = std::chrono::microseconds(vekx::reply_wait_us);
constexpr std::size_t values_shown = 3;

// Empty when the dissector takes the record; otherwise what is wrong.
std::string dissector_fault(const CapturedDatagram &d) {
  if (d.size < vekx::header_size || d.bytes.size() < vekx::header_size)
    return "a record of " + std::to_string(d.size) + " bytes, shorter than the 29-byte header";
  if (d.bytes[vekx::offset::marker] != vekx::marker_value)
    return "marker " + std::to_string(d.bytes[vekx::offset::marker]) + ", not 100";
  const std::size_t length = vekx::get_u16(d.bytes, vekx::offset::data_length);
  if (length > d.size - vekx::header_size)
    return "data length " + std::to_string(length) + " runs beyond the datagram (" +
           std::to_string(d.size - vekx::header_size) + " bytes after the header)";
  return {};
}

std::string slot(const CapturedDatagram &d, std::size_t at) { return vekx::get_name(d.bytes, at); }

// A client signs with its process name, "/wN/...": the dissector's rule,
// where the capture does not tell the direction itself.
bool from_client(const CapturedDatagram &d) {
  if (d.to_terminal) return *d.to_terminal;
  const auto *source = &d.bytes[vekx::offset::source_name];
  return source[0] == '/' && (source[1] == 'w' || source[1] == 'W');
}

// The node 1..16 a field name "/tN/..." belongs to; 0 for another name.
int node_of(const std::string &name) {
  if (name.size() < 3 || name[0] != '/' || (name[1] != 't' && name[1] != 'T')) return 0;
  const int index = vekx::node_index_of(name[2]);
  return index >= 0 && index < vekx::node_count ? index + 1 : 0;
}

bool is_read(std::uint8_t op) { return op == vekx::operation::read || op == vekx::operation::formatted_read; }
bool is_write(std::uint8_t op) { return op == vekx::operation::write || op == vekx::operation::formatted_write; }

Bytes value_of(const CapturedDatagram &d) {
  const std::size_t length = vekx::get_u16(d.bytes, vekx::offset::data_length);
  const auto start = d.bytes.begin() + vekx::offset::data;
  return {start, start + static_cast<long>(std::min(length, d.bytes.size() - vekx::offset::data))};
}

std::string seconds(Time t) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3f s", std::chrono::duration<double>(t).count());
  return text;
}

// Text in quotes (without the zeros that pad it) where it is printable,
// else hex.
std::string shown_value(const Bytes &v) {
  std::size_t n = v.size();
  while (n > 0 && v[n - 1] == 0) --n;
  const Bytes shown(v.begin(), v.begin() + static_cast<long>(n));
  const bool text = v.empty() || (n > 0 && std::all_of(shown.begin(), shown.end(),
                                                       [](std::uint8_t b) { return b >= 0x20 && b < 0x7f; }));
  return text ? "\"" + std::string(shown.begin(), shown.end()) + "\"" : vekx_common::hex_text(v);
}

using Terminals = std::map<std::string, std::set<int>>;

// Checks every datagram by the dissector's rules and finds the terminals and
// their nodes. A node counts where the terminal answered for it, else where
// it was asked.
Terminals terminals_in(const std::vector<CapturedDatagram> &datagrams, const std::string &file) {
  Terminals answered, asked;
  for (const CapturedDatagram &d : datagrams) {
    if (std::string fault = dissector_fault(d); !fault.empty())
      throw located(file, d.where, "malformed record: " + fault);
    const bool request = from_client(d);
    if ((request ? d.to_port : d.from_port) != terminal_port) continue;
    const std::string &terminal = request ? d.to_address : d.from_address;
    answered[terminal];
    asked[terminal];
    if (vekx::get_u16(d.bytes, vekx::offset::message_type) != vekx::message_type::field_access) continue;
    const int node = node_of(slot(d, request ? vekx::offset::target_name : vekx::offset::source_name));
    if (node == 0) continue;
    if (request)
      asked[terminal].insert(node);
    else if (d.bytes[vekx::offset::status] != status::other_node)
      answered[terminal].insert(node);
  }
  for (auto &[terminal, nodes] : answered)
    if (nodes.empty()) nodes = asked[terminal];
  return answered;
}

std::string joined(const std::set<int> &numbers) {
  std::string out;
  for (int n : numbers) out += (out.empty() ? "" : ", ") + std::to_string(n);
  return out;
}

std::string listed(const Terminals &terminals) {
  std::string out;
  for (const auto &[address, nodes] : terminals)
    out += (out.empty() ? "" : "; ") + (address.empty() ? std::string("the logged terminal") : address) +
           (nodes.size() == 1 ? " (node " : " (nodes ") + (nodes.empty() ? "none" : joined(nodes)) + ")";
  return out;
}

}  // namespace

bool TerminalHistory::Field::silent_at(Time t) const {
  auto after = std::upper_bound(requests.begin(), requests.end(), t, [](Time v, const Request &r) { return v < r.at; });
  return after != requests.begin() && !std::prev(after)->answered;
}

TerminalHistory::TerminalHistory(std::vector<CapturedDatagram> datagrams, const Choice &choice,
                                 const std::string &file) {
  std::stable_sort(datagrams.begin(), datagrams.end(), [](const auto &a, const auto &b) { return a.time < b.time; });
  Terminals answered = terminals_in(datagrams, file);
  if (answered.empty()) throw CaptureError(file + ": no traffic to or from a terminal on UDP port 1701");
  if (choice.terminal ? !answered.contains(*choice.terminal) : answered.size() > 1)
    throw CaptureError(file + ": " +
                       (choice.terminal ? "no terminal " + *choice.terminal + "; it holds " : "it holds ") +
                       listed(answered) + "; choose one with --terminal ADDR");
  terminal_ = choice.terminal ? *choice.terminal : answered.begin()->first;
  const std::set<int> &nodes = answered[terminal_];
  if (choice.node ? !nodes.contains(*choice.node) : nodes.size() != 1)
    throw CaptureError(file + ": " +
                       (choice.node ? "no node " + std::to_string(*choice.node) + "; it holds " : "it holds ") +
                       listed({{terminal_, nodes}}) + "; choose one with --node N");
  node_ = choice.node ? *choice.node : *nodes.begin();
  head_ = "terminals found: " + listed(answered) + "\n";
  const std::size_t count = take_fields(datagrams);
  head_ += "replaying " + (terminal_.empty() ? std::string("the logged terminal") : "terminal " + terminal_) +
           ", node " + std::to_string(node_) + ": " + std::to_string(count) + " datagrams over " + seconds(span_) +
           "\n";
}

std::size_t TerminalHistory::take_fields(const std::vector<CapturedDatagram> &datagrams) {
  struct Pending {
    Field *field;
    std::size_t request;
    Bytes value;
  };
  std::map<std::tuple<std::string, std::uint16_t, std::uint8_t, std::string>, std::vector<Pending>> pending;
  std::optional<Time> origin;
  std::size_t count = 0;
  for (const CapturedDatagram &d : datagrams) {
    const bool request = from_client(d);
    if ((request ? d.to_port : d.from_port) != terminal_port || (request ? d.to_address : d.from_address) != terminal_)
      continue;
    if (!origin) origin = d.time;
    const Time at = d.time - *origin;
    span_ = at;
    ++count;
    const std::uint8_t op = d.bytes[vekx::offset::operation];
    const std::string name = slot(d, request ? vekx::offset::target_name : vekx::offset::source_name);
    if (vekx::get_u16(d.bytes, vekx::offset::message_type) != vekx::message_type::field_access ||
        node_of(name) != node_ || (!is_read(op) && !is_write(op)))
      continue;
    const std::string key = FieldStore::key(name);
    const auto client = request ? std::tie(d.from_address, d.from_port) : std::tie(d.to_address, d.to_port);
    auto &waiting = pending[{std::get<0>(client), std::get<1>(client), d.bytes[vekx::offset::sequence], key}];
    if (request) {
      Field &field = fields_[key];
      field.requests.push_back({at, is_write(op), false});
      waiting.push_back({&field, field.requests.size() - 1, value_of(d)});
      continue;
    }
    // The latest request still waiting, within the library's reply wait.
    for (std::size_t i = waiting.size(); i-- > 0;) {
      Request &r = waiting[i].field->requests[waiting[i].request];
      if (r.answered || at - r.at > reply_window) continue;
      r.answered = true;
      if (r.write)
        waiting[i].field->writes.push_back({r.at, d.bytes[vekx::offset::status], std::move(waiting[i].value)});
      else
        waiting[i].field->reads.push_back({at, d.bytes[vekx::offset::status], value_of(d)});
      break;
    }
  }
  for (auto &[key, field] : fields_)
    std::stable_sort(field.writes.begin(), field.writes.end(),
                     [](const Reply &a, const Reply &b) { return a.at < b.at; });
  return count;
}

std::optional<FieldStore::Answer> TerminalHistory::answer(const std::string &key, bool write, Time t) const {
  const auto it = fields_.find(key);
  if (it == fields_.end()) return FieldStore::Answer{status::no_such_field, {}};
  const Field &f = it->second;
  if (f.silent_at(t)) return std::nullopt;
  const auto later = [](Time v, const Reply &r) { return v < r.at; };
  if (write) {
    if (f.writes.empty()) return FieldStore::Answer{status::ok, {}};
    auto after = std::upper_bound(f.writes.begin(), f.writes.end(), t, later);
    if (after == f.writes.end() || (after != f.writes.begin() && t - std::prev(after)->at <= after->at - t)) --after;
    return FieldStore::Answer{after->status, {}};
  }
  // A field never read shows what its accepted writes put there.
  const bool from_writes = f.reads.empty();
  const std::vector<Reply> &replies = from_writes ? f.writes : f.reads;
  if (replies.empty()) return std::nullopt;  // asked, never answered
  auto after = std::upper_bound(replies.begin(), replies.end(), t, later);
  const Reply &r = after == replies.begin() ? *after : *std::prev(after);
  return FieldStore::Answer{r.status, from_writes && r.status != status::ok ? Bytes{} : r.value};
}

SharedDataService::Answerer TerminalHistory::answerer(std::function<Time()> capture_time) const {
  return [this, capture_time = std::move(capture_time)](const std::string &key, bool write) {
    return answer(key, write, capture_time());
  };
}

std::string TerminalHistory::summary() const {
  std::string out = head_;
  for (const auto &[key, f] : fields_) {
    const auto writes = std::count_if(f.requests.begin(), f.requests.end(), [](const Request &r) { return r.write; });
    std::vector<Bytes> values;
    std::set<int> statuses;
    for (const std::vector<Reply> *replies : {&f.reads, &f.writes})
      for (const Reply &r : *replies) {
        statuses.insert(r.status);
        if (replies == &f.reads && std::find(values.begin(), values.end(), r.value) == values.end())
          values.push_back(r.value);
      }
    std::string shown;
    for (std::size_t i = 0; i < std::min(values.size(), values_shown); ++i)
      shown += (i ? ", " : "") + shown_value(values[i]);
    if (values.size() > values_shown) shown += " and " + std::to_string(values.size() - values_shown) + " more";
    std::string silences;
    for (std::size_t i = 0; i < f.requests.size(); ++i) {
      if (f.requests[i].answered || (i > 0 && !f.requests[i - 1].answered)) continue;
      auto end = std::find_if(f.requests.begin() + static_cast<long>(i), f.requests.end(),
                              [](const Request &r) { return r.answered; });
      silences += (silences.empty() ? "silent " : ", ") + seconds(f.requests[i].at) + " to " +
                  (end == f.requests.end() ? "the end" : seconds(end->at));
    }
    out += key + ": " + std::to_string(f.requests.size() - static_cast<std::size_t>(writes)) + " reads, " +
           std::to_string(writes) + " writes, " + std::to_string(f.reads.size() + f.writes.size()) + " replies; " +
           (values.empty() ? "no values read" : "values " + shown) + "; statuses " +
           (statuses.empty() ? "none" : joined(statuses)) + "; " + (silences.empty() ? "never silent" : silences) +
           "\n";
  }
  return out;
}

}  // namespace vekxsim::replay
