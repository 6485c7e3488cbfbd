#include "control_reply.h"

namespace vekxsim {

std::string text_form(const ControlReply &reply) { return reply.ok ? reply.text : "error: " + reply.text; }

ReplyList number_list(const std::vector<std::uint8_t> &numbers) { return ReplyList(numbers.begin(), numbers.end()); }

}  // namespace vekxsim
