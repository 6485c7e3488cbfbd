#include "terminal_history.h"

#include <algorithm>
#include <cstdio>
#include <set>
#include <tuple>

#include "capture_file.h"
#include "code_page.h"
#include "vekx_wire.h"

namespace vekxsim::replay {

namespace {

using Time = TerminalHistory::Time;
using Bytes = std::vector<std::uint8_t>;

// A request without a reply this long after it went unanswered.
constexpr Time reply_window = std::chrono::microseconds(vekx::reply_wait_us);
constexpr std::size_t values_shown = 3;

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

// A value as text in quotes, without the zeros that pad it: its characters
// in the terminal's code page, and \xNN for a byte that prints none (a
// control byte, a byte the code page leaves undefined) and for '\' and '"'.
std::string shown_value(const Bytes &v) {
  std::size_t n = v.size();
  while (n > 0 && v[n - 1] == 0) --n;
  std::string out = "\"";
  for (std::size_t i = 0; i < n; ++i) {
    const char32_t c = vekx_common::cp1252_character(v[i]);
    if (c < 0x20 || c == 0x7f || c == U'\ufffd' || c == U'\\' || c == U'"') {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02x", v[i]);
      out += hex;
    } else {
      vekx_common::append_utf8(out, c);
    }
  }
  return out + "\"";
}

// A terminal's side of the conversation: "ADDR:PORT", or "" for a traffic
// log, which records neither.
std::string side(const std::string &address, std::uint16_t port) {
  return address.empty() ? std::string() : address + ":" + std::to_string(port);
}
std::string terminal_side(const CapturedDatagram &d, bool request) {
  return request ? side(d.to_address, d.to_port) : side(d.from_address, d.from_port);
}

using Terminals = std::map<std::string, std::set<int>>;

// Checks every datagram by the dissector's rules and finds the terminals and
// their nodes: a terminal is the side a request goes to and a reply comes
// from, on whatever port. A node counts where the terminal answered for it,
// else where it was asked.
Terminals terminals_in(const std::vector<CapturedDatagram> &datagrams, const std::string &file) {
  Terminals answered, asked;
  for (const CapturedDatagram &d : datagrams) {
    if (std::string fault = malformation(d); !fault.empty()) throw located(file, d.where, "malformed record: " + fault);
    const bool request = from_client(d);
    const std::string terminal = terminal_side(d, request);
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

// The terminals that choice names: the one of "ADDR:PORT", or those of
// "ADDR" on every port it served.
std::vector<std::string> chosen(const Terminals &terminals, const std::string &choice) {
  std::vector<std::string> out;
  for (const auto &[terminal, nodes] : terminals)
    if (terminal == choice || terminal.substr(0, terminal.rfind(':')) == choice) out.push_back(terminal);
  return out;
}

// "1 (40 datagrams from 2026-12-06 08:00:01), 2 (...)": the sessions of a
// traffic log. A session line gives its datagrams the date; those of a log
// without one count from the first day of 1970 and show no date.
std::string sessions_listed(const std::map<int, std::vector<const CapturedDatagram *>> &sessions) {
  std::string out;
  for (const auto &[number, datagrams] : sessions) {
    const auto began = std::chrono::floor<std::chrono::seconds>(datagrams.front()->time);
    std::string date;
    if (began >= std::chrono::days(2)) {
      const std::chrono::sys_seconds at(began);
      const std::chrono::year_month_day day(std::chrono::floor<std::chrono::days>(at));
      const std::chrono::hh_mm_ss clock(at - std::chrono::floor<std::chrono::days>(at));
      char text[40];
      std::snprintf(text, sizeof text, " from %04d-%02u-%02u %02ld:%02ld:%02ld", static_cast<int>(day.year()),
                    static_cast<unsigned>(day.month()), static_cast<unsigned>(day.day()),
                    static_cast<long>(clock.hours().count()), static_cast<long>(clock.minutes().count()),
                    static_cast<long>(clock.seconds().count()));
      date = text;
    }
    out += (out.empty() ? "" : ", ") + std::to_string(number) + " (" + std::to_string(datagrams.size()) + " datagrams" +
           date + ")";
  }
  return out;
}

}  // namespace

std::vector<CapturedDatagram> TerminalHistory::take_session(std::vector<CapturedDatagram> datagrams,
                                                            const Choice &choice, const std::string &file) {
  std::map<int, std::vector<const CapturedDatagram *>> sessions;
  for (const CapturedDatagram &d : datagrams)
    if (d.session > 0) sessions[d.session].push_back(&d);
  if (sessions.empty()) {
    if (choice.session) throw CaptureError(file + ": --session applies to a traffic log; this is a packet capture");
    return datagrams;
  }
  const int session = choice.session.value_or(sessions.rbegin()->first);
  if (!sessions.contains(session))
    throw CaptureError(file + ": no session " + std::to_string(session) + "; it holds " + sessions_listed(sessions) +
                       "; choose one with --session N");
  head_ = "sessions: " + sessions_listed(sessions) + "; replaying session " + std::to_string(session) + "\n";
  std::erase_if(datagrams, [session](const CapturedDatagram &d) { return d.session != session; });
  return datagrams;
}

bool TerminalHistory::Field::silent_at(Time t) const {
  auto after = std::upper_bound(requests.begin(), requests.end(), t, [](Time v, const Request &r) { return v < r.at; });
  return after != requests.begin() && !std::prev(after)->answered;
}

TerminalHistory::TerminalHistory(std::vector<CapturedDatagram> datagrams, const Choice &choice,
                                 const std::string &file) {
  datagrams = take_session(std::move(datagrams), choice, file);
  std::stable_sort(datagrams.begin(), datagrams.end(), [](const auto &a, const auto &b) { return a.time < b.time; });
  Terminals answered = terminals_in(datagrams, file);
  if (answered.empty()) throw CaptureError(file + ": no traffic to or from a terminal");
  const std::vector<std::string> matching =
      choice.terminal ? chosen(answered, *choice.terminal) : std::vector<std::string>{answered.begin()->first};
  if (matching.size() != 1 || (!choice.terminal && answered.size() > 1))
    throw CaptureError(
        file + ": " +
        (choice.terminal && matching.empty() ? "no terminal " + *choice.terminal + "; it holds " : "it holds ") +
        listed(answered) + "; choose one with --terminal ADDR[:PORT]");
  terminal_ = matching.front();
  const std::set<int> &nodes = answered[terminal_];
  if (choice.node ? !nodes.contains(*choice.node) : nodes.size() != 1)
    throw CaptureError(file + ": " +
                       (choice.node ? "no node " + std::to_string(*choice.node) + "; it holds " : "it holds ") +
                       listed({{terminal_, nodes}}) + "; choose one with --node N");
  node_ = choice.node ? *choice.node : *nodes.begin();
  head_ += "terminals found: " + listed(answered) + "\n";
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
    if (terminal_side(d, request) != terminal_) continue;
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

std::vector<std::string> TerminalHistory::field_keys() const {
  std::vector<std::string> keys;
  for (const auto &entry : fields_) keys.push_back(entry.first);
  return keys;
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
