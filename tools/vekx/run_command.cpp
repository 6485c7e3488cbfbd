#include "run_command.h"

#include <vector>

#include "value_text.h"
#include "vekxapi.h"

namespace vekx_tool {

int report_result(std::FILE *err, const std::string &call, std::int16_t result, ResultOrigin origin) {
  ResultDescription d = describe_result(result, origin);
  std::fprintf(err, "vekx: %s: %s\n", call.c_str(), d.text.c_str());
  return d.exit_status;
}

int register_for(const Command &command, std::FILE *err) {
  std::int16_t r =
      VekRegisterProcess(VEKX_PROCESS_TYPE_1, command.address_list.c_str(), address_count(command.address_list));
  if (r == VEKX_OK) return exit_status::success;
  return report_result(err, "VekRegisterProcess " + command.address_list, r, ResultOrigin::library);
}

namespace {

int read_field(const Command &c, std::FILE *out, std::FILE *err) {
  const std::string &field = c.fields.front();
  // One spare byte: the library puts a zero behind a value shorter than the
  // buffer, never beyond buffer_size, but the spare keeps the buffer non-empty.
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(c.buffer_size) + 1, 0);
  // The library writes the count only when the terminal's reply was accepted,
  // which tells a terminal status 1, 2 or 4 from the library's own results.
  std::int16_t count = -1;
  auto size = static_cast<std::int16_t>(c.buffer_size);
  std::int16_t r = c.formatted ? VekFormattedRead(field.c_str(), size, buffer.data(), &count)
                               : VekRead(field.c_str(), size, buffer.data(), &count);
  const bool answered = count >= 0;
  if (answered && (r == VEKX_OK || count > 0)) {
    std::vector<std::uint8_t> value(buffer.begin(), buffer.begin() + count);
    std::fprintf(out, "%s\n", (c.hex ? value_as_hex(value) : value_as_text(value)).c_str());
  }
  return report_result(err, std::string(c.formatted ? "VekFormattedRead " : "VekRead ") + field, r,
                       answered ? ResultOrigin::terminal : ResultOrigin::library);
}

int write_field(const Command &c, std::FILE *err) {
  const std::string &field = c.fields.front();
  auto length = static_cast<std::int16_t>(c.value.size());
  // The library reads no byte of an empty value, but wants a valid address.
  const std::uint8_t none = 0;
  const void *data = c.value.empty() ? &none : c.value.data();
  std::int16_t r = c.formatted ? VekFormattedWrite(field.c_str(), length, data) : VekWrite(field.c_str(), length, data);
  return report_result(err, std::string(c.formatted ? "VekFormattedWrite " : "VekWrite ") + field, r,
                       ResultOrigin::read_or_write);
}

int one_way(const Command &c, std::FILE *err) {
  const std::string node = std::to_string(c.node);
  auto n = static_cast<std::int16_t>(c.node);
  switch (c.action) {
    case Action::display:
      return report_result(err, "VekDisplayText " + node, VekDisplayText(n, c.display_text.data()),
                           ResultOrigin::library);
    case Action::reset_display:
      return report_result(err, "VekResetDisplay " + node, VekResetDisplay(n), ResultOrigin::library);
    default:
      return report_result(err, "VekSendKeystroke " + node,
                           VekSendKeystroke(n, static_cast<std::int16_t>(c.key_kind), c.key_code),
                           ResultOrigin::library);
  }
}

}  // namespace

int run_command(const Command &command, std::FILE *out, std::FILE *err) {
  if (command.action == Action::help) {
    std::fputs(usage_text, out);
    std::fputs(help_text, out);
    return exit_status::success;
  }
  if (command.action == Action::version) {
    std::fprintf(out, "vekx %s\n", VEKX_TOOL_VERSION);
    return exit_status::success;
  }
  if (command.action == Action::watch) return run_watch(command, out, err);

  if (int refused = register_for(command, err)) return refused;
  int status = exit_status::success;
  switch (command.action) {
    case Action::read:
      status = read_field(command, out, err);
      break;
    case Action::write:
      status = write_field(command, err);
      break;
    default:
      status = one_way(command, err);
      break;
  }
  if (std::int16_t closed = VekCloseProcess(); closed != VEKX_OK && status == exit_status::success)
    status = report_result(err, "VekCloseProcess", closed, ResultOrigin::library);
  return status;
}

}  // namespace vekx_tool
