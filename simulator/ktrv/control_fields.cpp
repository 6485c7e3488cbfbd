// Control commands on the terminal's fields: list, show and set them, and
// give one field a status of its own or leave its reads unanswered.
#include <optional>

#include "code_page.h"
#include "control_commands.h"
#include "control_text.h"
#include "hex_bytes.h"
#include "traffic_line.h"

namespace vekxsim::control {

using namespace control_text;
using Bytes = std::vector<std::uint8_t>;

namespace {

struct FieldView {
  std::string name;  // as the store keeps it: "/t1/bx297"
  Bytes value;
  std::uint8_t status = 0;
};

std::optional<FieldView> look_up(Terminal &t, const std::string &name) {
  const auto value = t.service().fields().get(name);
  if (!value) return std::nullopt;
  return FieldView{FieldStore::key(name), *value, t.service().fields().status(name)};
}

// "/t1/bx297 len=1 status=0 text="." hex=00"
std::string field_line(const FieldView &f) {
  return f.name + " len=" + std::to_string(f.value.size()) + " status=" + std::to_string(f.status) + " text=\"" +
         printable_text(f.value) + "\" hex=" + vekx_common::hex_text(f.value);
}

ReplyItems field_items(const FieldView &f) { return {{"name", f.name}, {"status", f.status}, {"bytes", f.value}}; }

ControlReply show(Terminal &t, const std::string &name) {
  const auto field = look_up(t, name);
  if (!field) return ControlReply::refused("no field " + name);
  return ControlReply::done(field_line(*field), field_items(*field));
}

ControlReply set_value(Terminal &t, const std::string &name, Bytes value) {
  const std::string full = t.full_name(name);
  try {
    t.service().fields().set(full, std::move(value));
  } catch (const std::length_error &e) {
    return ControlReply::refused(e.what());
  }
  return show(t, full);
}

}  // namespace

ControlReply fields(Terminal &t, const std::string &) {
  t.model().refresh_weight();
  std::string out;
  ReplyList list;
  for (const auto &name : t.service().fields().names()) {
    if (const auto field = look_up(t, name)) {
      out += (out.empty() ? "" : "\n") + field_line(*field);
      list.emplace_back(field_items(*field));
    }
  }
  return ControlReply::done(out, {{"fields", std::move(list)}});
}

ControlReply get(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  if (arg.word.empty()) return ControlReply::refused("usage: get NAME");
  t.model().refresh_weight();
  return show(t, t.full_name(arg.word));
}

ControlReply set(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  if (arg.word.empty()) return ControlReply::refused("usage: set NAME TEXT");
  const std::string bytes = vekx_common::cp1252_from_utf8(arg.rest);
  return set_value(t, arg.word, Bytes(bytes.begin(), bytes.end()));
}

ControlReply sethex(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  const auto bytes = vekx_common::parse_hex_bytes(arg.rest);
  if (arg.word.empty() || !bytes)
    return ControlReply::refused("usage: sethex NAME HEX (not hex bytes: " + arg.rest + ")");
  return set_value(t, arg.word, *bytes);
}

ControlReply setbyte(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  const auto n = whole_number(arg.rest, 0, 255);
  if (arg.word.empty() || !n)
    return ControlReply::refused("usage: setbyte NAME N (not a byte 0..255: " + arg.rest + ")");
  return set_value(t, arg.word, {static_cast<std::uint8_t>(*n)});
}

ControlReply fieldstatus(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  const auto n = whole_number(arg.rest, 0, 255);
  if (arg.word.empty() || !n) return ControlReply::refused("usage: fieldstatus NAME 0..255");
  const std::string name = t.full_name(arg.word);
  if (!t.service().fields().set_status(name, static_cast<std::uint8_t>(*n)))
    return ControlReply::refused("no field " + name);
  return ControlReply::done(name + " answers with status " + std::to_string(*n), {{"name", name}, {"status", *n}});
}

ControlReply fieldsilent(Terminal &t, const std::string &args) {
  const Split arg = first_word(args);
  const auto on = on_off(arg.rest);
  if (arg.word.empty() || !on) return ControlReply::refused("usage: fieldsilent NAME on|off");
  const std::string name = t.full_name(arg.word);
  if (!t.service().fields().set_silent(name, *on)) return ControlReply::refused("no field " + name);
  return ControlReply::done("reads of " + name + (*on ? " go unanswered" : " are answered"),
                            {{"name", name}, {"silent", *on}});
}

}  // namespace vekxsim::control
