// What a web panel shows and drives: the simulated terminal, or a replay.
// The panel reaches it only through these: one door for commands (the
// JSON control's), the whole state, and the traffic it has seen.
#ifndef VEKXSIM_WEB_PANEL_SUBJECT_H
#define VEKXSIM_WEB_PANEL_SUBJECT_H

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "control_json.h"
#include "traffic_recorder.h"

namespace vekxsim::web {

using vekxsim::Json;

struct PanelSubject {
  // Carries out {"command": NAME, "args": [...]} and answers as --control
  // json does.
  std::function<Json(const Json &request)> command;
  // The whole state, as GET /api/state returns it.
  std::function<Json()> state;
  TrafficRecorder &traffic;
  std::uint16_t port;  // the UDP port it serves on, which a capture shows
  // Why a request is refused before it reaches the door (409: the subject
  // is read-only and the command would change it); nothing: it goes
  // through. Not set: every command goes through.
  std::function<std::optional<std::string>(const Json &request)> read_only_refusal{};
  // The UDP address it serves on, which a capture shows ("0.0.0.0": the
  // capture shows 127.0.0.1).
  std::string address = "127.0.0.1";
};

}  // namespace vekxsim::web

#endif
