#include "replay_door.h"

#include <algorithm>
#include <utility>

#include "control_json.h"
#include "control_reply.h"
#include "terminal_door.h"

namespace vekxsim::web {

std::optional<std::string> replay_refusal(const Json &request) {
  const Json &command = request.contains("command") ? request["command"] : Json();
  // Written out by the JSON control's writer, which keeps the serializer out of this file.
  const std::string name = command.is_string() ? command.get<std::string>() : json_line(command);
  if (std::ranges::any_of(replay_panel_commands, [&](const char *c) { return name == c; })) return std::nullopt;
  return "this panel shows a replay, which is read-only: it answers status and summary, not " + name +
         "; to change values, run vekxsim without --replay";
}

Json replay_state(const replay::Serving &serving, const Json &status) {
  const auto now = serving.clock.capture_time();
  ReplyList fields;
  for (const std::string &key : serving.history.field_keys()) {
    // Each field's items made whole at once: g++ 12 at -O3 warns falsely of
    // an overflow when a variant is moved into a growing vector.
    const auto answer = serving.history.answer(key, false, now);
    fields.emplace_back(answer ? ReplyItems{{"name", key}, {"status", answer->status}, {"bytes", answer->value}}
                               : ReplyItems{{"name", key}, {"silent", true}});
  }
  // The bytes as the JSON control gives them: hex and text.
  Json state = json_form(ControlReply::done({}, {{"fields", std::move(fields)}}));
  state.erase("ok");
  state.erase("reply");
  Json replay = status;
  replay.erase("ok");
  state["read_only"] = true;
  state["replay"] = std::move(replay);
  state["node"] = serving.history.node();
  state["port"] = serving.port;
  add_face_fields(state);
  return state;
}

PanelSubject replay_subject(const replay::Serving &serving, RunCommand run) {
  const auto command = [run](const Json &request) {
    const auto parsed = json_request(request);
    if (const auto *why = std::get_if<std::string>(&parsed)) return json_form(ControlReply::refused(*why));
    const auto &r = std::get<JsonRequest>(parsed);
    return json_form(run(r.command, r.args));
  };
  return {command,
          [&serving, command] {
            return replay_state(serving, command({{"command", "status"}, {"args", Json::array()}}));
          },
          serving.service.traffic(), serving.port, replay_refusal};
}

}  // namespace vekxsim::web
