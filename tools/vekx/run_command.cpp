#include "run_command.h"

#include <algorithm>

#include "vekx_wire.h"
#include "vekxapi.h"

namespace vekx_tool {

int report_result(std::FILE *err, const std::string &call, std::int16_t result, ResultOrigin origin,
                  const CallContext &context, bool quiet) {
  const ResultDescription d = describe_call_result(result, origin, context);
  if (!quiet || d.exit_status != exit_status::success)
    std::fprintf(err, "vekx: %s: %s\n", call.c_str(), d.text.c_str());
  return d.exit_status;
}

void note_short_forms(const std::string &address_list, std::FILE *err) {
  for (std::size_t start = 0; start <= address_list.size();) {
    const std::size_t end = std::min(address_list.find(',', start), address_list.size());
    const std::string text = address_list.substr(start, end - start);
    vekx::Address address{};
    // A short form, an empty part (".127.0.1" is 0.127.0.1) or a leading zero.
    if (vekx::parse_address(text.c_str(), address)) {
      const std::string sent = std::to_string(address[0]) + "." + std::to_string(address[1]) + "." +
                               std::to_string(address[2]) + "." + std::to_string(address[3]);
      if (sent != text) std::fprintf(err, "vekx: note: %s is %s\n", text.c_str(), sent.c_str());
    }
    start = end + 1;
  }
}

int register_for(const Command &command, std::FILE *err) {
  note_short_forms(command.address_list, err);
  const std::int16_t r =
      VekRegisterProcess(VEKX_PROCESS_TYPE_1, command.address_list.c_str(), address_count(command.address_list));
  if (r == VEKX_OK) return exit_status::success;
  return report_result(err, "VekRegisterProcess " + command.address_list, r, ResultOrigin::library,
                       {.address_list = command.address_list});
}

FieldRead read_field(const std::string &field, bool formatted, int buffer_size) {
  // One spare byte: the library puts a zero behind a value shorter than the
  // buffer, never beyond buffer_size, but the spare keeps the buffer non-empty.
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(buffer_size) + 1, 0);
  // The library writes the count only when the terminal's reply was accepted.
  std::int16_t count = -1;
  const auto size = static_cast<std::int16_t>(buffer_size);
  FieldRead read;
  read.result = formatted ? VekFormattedRead(field.c_str(), size, buffer.data(), &count)
                          : VekRead(field.c_str(), size, buffer.data(), &count);
  read.answered = count >= 0;
  if (read.answered) {
    read.value.assign(buffer.begin(), buffer.begin() + count);
    read.filled = count == size && size > 0;
  }
  return read;
}

namespace {

int read_command(const Command &c, std::FILE *out, std::FILE *err) {
  const FieldSpec &field = c.fields.front();
  const FieldRead read = read_field(field.name, c.formatted, c.buffer_size);
  if (read.answered && (read.result == VEKX_OK || !read.value.empty()))
    std::fprintf(out, "%s\n", format_value(read.value, field.form).c_str());
  const int status = report_result(err, std::string(c.formatted ? "VekFormattedRead " : "VekRead ") + field.name,
                                   read.result, read.answered ? ResultOrigin::terminal : ResultOrigin::library,
                                   {.address_list = c.address_list, .field = field.name}, c.quiet);
  if (read.filled)
    std::fprintf(err, "vekx: the value filled the %d-byte buffer and may be longer (--size)\n", c.buffer_size);
  return status;
}

int write_command(const Command &c, std::FILE *err) {
  const std::string &field = c.fields.front().name;
  const auto length = static_cast<std::int16_t>(c.value.size());
  // The library reads no byte of an empty value, but wants a valid address.
  const std::uint8_t none = 0;
  const void *data = c.value.empty() ? &none : c.value.data();
  const std::int16_t r =
      c.formatted ? VekFormattedWrite(field.c_str(), length, data) : VekWrite(field.c_str(), length, data);
  return report_result(err, std::string(c.formatted ? "VekFormattedWrite " : "VekWrite ") + field, r,
                       ResultOrigin::read_or_write, {.address_list = c.address_list, .field = field}, c.quiet);
}

// Display and keystroke requests are one-way datagrams: success means only
// that they were sent.
int one_way_command(const Command &c, std::FILE *err) {
  const auto n = static_cast<std::int16_t>(c.node);
  std::string call;
  std::int16_t r;
  switch (c.action) {
    case Action::display:
      call = "VekDisplayText ";
      r = VekDisplayText(n, c.display_text.data());
      break;
    case Action::reset_display:
      call = "VekResetDisplay ";
      r = VekResetDisplay(n);
      break;
    default:
      call = "VekSendKeystroke ";
      r = VekSendKeystroke(n, static_cast<std::int16_t>(c.key_kind), c.key_code);
      break;
  }
  call += std::to_string(c.node);
  return report_result(err, call, r, ResultOrigin::one_way, {.address_list = c.address_list, .node = c.node}, c.quiet);
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
      status = read_command(command, out, err);
      break;
    case Action::write:
      status = write_command(command, err);
      break;
    default:
      status = one_way_command(command, err);
      break;
  }
  if (const std::int16_t closed = VekCloseProcess(); closed != VEKX_OK && status == exit_status::success)
    status =
        report_result(err, "VekCloseProcess", closed, ResultOrigin::library, {.address_list = command.address_list});
  return status;
}

}  // namespace vekx_tool
