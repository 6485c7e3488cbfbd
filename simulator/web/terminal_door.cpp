#include "terminal_door.h"

#include <cstdio>
#include <utility>
#include <variant>

#include "control_json.h"
#include "event_messages.h"
#include "vekx_wire.h"
#include "ktrv_fields.h"
#include "ktrv_model.h"
#include "scale.h"
#include "terminal.h"
#include "terminator_keys.h"

namespace vekxsim::web {

namespace {

namespace field = vekx_common::ktrv::field;

// The entry of a field as "fields" lists it (by its own name, the node
// aside), or null when there is none: {"status", "bytes"} when a read is
// answered, {"silent": true} when it is not.
Json field_entry(const Json &fields, const std::string &own_name) {
  for (const auto &f : fields)
    if (f.value("name", "").ends_with("/" + own_name)) {
      if (f.contains("bytes") && !f.value("silent", false)) return f["bytes"];
      return Json{{"silent", true}};
    }
  return nullptr;
}

// The words the page shows for the codes, as the console shows them.
Json vocabulary() {
  Json keys = Json::array(), events = Json::array();
  for (const auto &k : vekx_common::terminator_keys) keys.push_back({{"code", k.code}, {"name", k.name}});
  for (const auto &e : vekx_common::ktrv::event_messages) {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(e.background));
    events.push_back({{"code", e.code}, {"text", e.text}, {"colour", colour}});
  }
  return {{"keys", keys}, {"event_messages", events}, {"library_wait_ms", vekx::reply_wait_us / 1000}};
}

ReplyList field_list(const std::vector<FieldStore::Entry> &entries) {
  ReplyList list;
  for (const auto &f : entries) {
    ReplyItems item{{"name", f.name}, {"status", f.status}, {"bytes", f.value}};
    if (f.silent) item.emplace_back("silent", true);
    list.emplace_back(std::move(item));
  }
  return list;
}

}  // namespace

Json run_command(Terminal &terminal, const Json &request) { return json_reply(terminal, request); }

std::optional<Json> command_request(const std::string &body, std::string &why) {
  // The same reader as --control json: a repeated member is refused there too.
  auto parsed = parse_json_line(body);
  if (const auto *problem = std::get_if<std::string>(&parsed)) {
    why = *problem + "; send {\"command\": \"weight\", \"args\": [12.5]}";
    return std::nullopt;
  }
  if (const auto &request = std::get<Json>(parsed); !request.is_object()) {
    why = std::string("the body holds ") + request.type_name() + ", not an object such as {\"command\": \"status\"}";
    return std::nullopt;
  }
  return std::get<Json>(std::move(parsed));
}

Json terminal_state(Terminal &terminal) {
  // The model and the fields as one snapshot; the service's faults and
  // display object, which the model does not touch, right after.
  const KtrvSnapshot snap = terminal.model().snapshot();
  const auto display_text = terminal.service().display().text();
  ReplyItems items{{"port", terminal.port()},
                   {"node", terminal.service().node()},
                   {"weight", snap.target_weight},
                   {"weight_now", snap.steady_weight},
                   {"event_mailbox", snap.event_mailbox},
                   {"queued_events", number_list(snap.queued_events)},
                   {"command_delay_ms", snap.command_delay.count()},
                   {"faults", terminal.faults_in_force()},
                   {"reply_delay_ms", terminal.service().faults().reply_delay().count()}};
  if (snap.pending_command) {
    items.emplace_back("pending_command", *snap.pending_command);
    items.emplace_back("pending_command_name", command_name(*snap.pending_command));
  }
  items.emplace_back("display_lines", ReplyList(snap.display_lines.begin(), snap.display_lines.end()));
  if (display_text) items.emplace_back("display_text", *display_text);
  items.emplace_back("inputs", ReplyList(snap.inputs.begin(), snap.inputs.end()));
  ReplyList outputs;
  for (const OutputForce f : snap.outputs) outputs.emplace_back(force_text(f));
  items.emplace_back("outputs", std::move(outputs));
  // The weight as the terminal shows it now, without the drift of each
  // read, so that a drifting scale is no change of its own.
  const std::string shown = Scale::weight_text(snap.steady_weight);
  items.emplace_back("weight_shown", ReplyValue::Bytes(shown.begin(), shown.end()));
  items.emplace_back("weight_field", snap.weight_field);
  items.emplace_back("fields", field_list(snap.fields));
  Json state = json_form(ControlReply::done({}, std::move(items)));
  state.erase("ok");
  state.erase("reply");
  if (!state.contains("display_text")) state["display_text"] = nullptr;
  add_face_fields(state);
  return state;
}

void add_face_fields(Json &state) {
  for (const auto &[key, name] :
       {std::pair{"lower_display", field::lower_display}, std::pair{"command_mailbox", field::command_mailbox},
        std::pair{"literal", field::literal}, std::pair{"event_mailbox_field", field::event_mailbox},
        std::pair{"display_lines_12", field::display_lines_12}, std::pair{"display_line_3", field::display_line_3}})
    state[key] = field_entry(state["fields"], std::string(field::own_name(name)));
  Json inputs = Json::array();
  for (const char *name : field::inputs)
    inputs.push_back(field_entry(state["fields"], std::string(field::own_name(name))));
  state["input_fields"] = std::move(inputs);
  // A replay shows the weight field as the capture has it.
  if (!state.contains("weight_shown"))
    state["weight_shown"] = field_entry(state["fields"], std::string(field::own_name(field::weight_1)));
  static const Json words = vocabulary();
  state.update(words);
}

PanelSubject terminal_subject(Terminal &terminal) {
  return {[&terminal](const Json &request) { return run_command(terminal, request); },
          [&terminal] { return terminal_state(terminal); }, terminal.service().traffic(), terminal.port()};
}

}  // namespace vekxsim::web
