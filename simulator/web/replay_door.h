// A replay's panel: it shows what the replayed terminal answers at the
// replay's time and the datagrams it serves, and changes nothing.
#ifndef VEKXSIM_WEB_REPLAY_DOOR_H
#define VEKXSIM_WEB_REPLAY_DOOR_H

#include <optional>
#include <string>

#include "control_json.h"
#include "panel_subject.h"
#include "replay_program.h"

namespace vekxsim::web {

// The commands a replay's panel carries out: they change nothing.
inline constexpr const char *replay_panel_commands[] = {"status", "summary"};

// Why the request is refused on a replay's panel (any command but those
// above, quit included); nothing for one of those.
std::optional<std::string> replay_refusal(const Json &request);

// The state a replay's panel shows: "read_only": true, "replay" (the
// answer of status), each field the capture shows with the value and
// status a read gets now ("fields"), and the face's fields among them.
Json replay_state(const replay::Serving &serving, const Json &status);

// The replay as a panel shows it; run carries out the replay's commands.
PanelSubject replay_subject(const replay::Serving &serving, RunCommand run);

}  // namespace vekxsim::web

#endif
