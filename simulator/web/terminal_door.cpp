#include "terminal_door.h"

#include <cstdio>
#include <variant>

#include "control_json.h"
#include "event_messages.h"
#include "ktrv_fields.h"
#include "ktrv_model.h"
#include "terminal.h"
#include "terminator_keys.h"

namespace vekxsim::web {

namespace {

namespace field = vekx_common::ktrv::field;

// The answer of one command without arguments, or of one with them.
Json ask(Terminal &terminal, const char *command, Json args = Json::array()) {
  return run_command(terminal, {{"command", command}, {"args", std::move(args)}});
}

// The value of a field as "fields" lists it, or null when there is none.
Json field_value(const Json &fields, const std::string &own_name) {
  for (const auto &f : fields)
    if (f.value("name", "").ends_with("/" + own_name)) return f["bytes"];
  return nullptr;
}

// The words the page shows for the codes, as the console shows them.
Json vocabulary() {
  Json keys = Json::array(), events = Json::array();
  for (const auto &k : vekx_common::terminator_keys) keys.push_back({{"code", k.code}, {"name", k.name}});
  for (const auto &e : ktrv::kEventMessages) {
    char colour[8];
    std::snprintf(colour, sizeof colour, "#%06x", static_cast<unsigned>(e.background));
    events.push_back({{"code", e.code}, {"text", e.text}, {"colour", colour}});
  }
  return {{"keys", keys}, {"event_messages", events}};
}

}  // namespace

Json run_command(Terminal &terminal, const Json &request) {
  return json_reply(terminal, nlohmann::json::parse(request.dump()));
}

std::optional<Json> command_request(const std::string &body, std::string &why) {
  // The same reader as --control json: a repeated member is refused there too.
  auto parsed = parse_json_line(body);
  if (const auto *problem = std::get_if<std::string>(&parsed)) {
    why = *problem + "; send {\"command\": \"weight\", \"args\": [12.5]}";
    return std::nullopt;
  }
  const auto &request = std::get<nlohmann::json>(parsed);
  if (!request.is_object()) {
    why = std::string("the body holds ") + request.type_name() + ", not an object such as {\"command\": \"status\"}";
    return std::nullopt;
  }
  return Json::parse(request.dump());
}

Json terminal_state(Terminal &terminal) {
  Json state = ask(terminal, "status");
  state.erase("ok");
  state.erase("reply");
  const Json display = ask(terminal, "display");
  state["display_lines"] = display["lines"];
  state["display_text"] = display.value("display_text", Json());
  state["inputs"] = ask(terminal, "inputs")["inputs"];
  state["outputs"] = ask(terminal, "outputs")["outputs"];
  const Json fields = ask(terminal, "fields")["fields"];
  const Json selector = field_value(fields, std::string(field::own_name(field::weight_selector)));
  const bool first =
      selector.is_null() || selector["hex"].get<std::string>().empty() ||
      std::stoi(selector["hex"].get<std::string>().substr(0, 2), nullptr, 16) <= field::highest_selector_of_weight_1;
  const std::string weight_field(field::own_name(first ? field::weight_1 : field::weight_5));
  // The weight as the terminal shows it now: a read of the field.
  state["weight_shown"] = ask(terminal, "get", {weight_field}).value("bytes", Json());
  state["weight_field"] = weight_field;
  if (state.contains("pending_command"))
    state["pending_command_name"] = command_name(state["pending_command"].get<std::uint8_t>());
  state["fields"] = fields;
  add_face_fields(state);
  return state;
}

void add_face_fields(Json &state) {
  for (const auto &[key, name] :
       {std::pair{"lower_display", field::lower_display}, std::pair{"command_mailbox", field::command_mailbox},
        std::pair{"literal", field::literal}})
    state[key] = field_value(state["fields"], std::string(field::own_name(name)));
  static const Json words = vocabulary();
  state.update(words);
}

PanelSubject terminal_subject(Terminal &terminal) {
  return {[&terminal](const Json &request) { return run_command(terminal, request); },
          [&terminal] { return terminal_state(terminal); }, terminal.service().traffic(), terminal.port()};
}

std::string serving_line_with_web(const std::string &serving_line, const std::string &url) {
  Json line = Json::parse(serving_line);
  line["web"] = url;
  return line.dump();
}

}  // namespace vekxsim::web
