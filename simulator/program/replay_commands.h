// The commands a replay answers on standard input (--replay with --control
// json): status, summary and quit.
#ifndef VEKXSIM_REPLAY_COMMANDS_H
#define VEKXSIM_REPLAY_COMMANDS_H

#include <string>

#include "control_language.h"
#include "control_reply.h"
#include "replay_program.h"

namespace vekxsim {

// Carries out a command of the replay; quit sets quit.
ControlReply replay_command(const replay::Serving &serving, const std::string &word, const ControlArguments &arguments,
                            bool &quit);

}  // namespace vekxsim

#endif
