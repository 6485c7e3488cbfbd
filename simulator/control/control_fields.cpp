// Control commands on the terminal's fields: list, show and set them, and
// give one field a status of its own or leave its reads unanswered.
#include <optional>

#include "code_page.h"
#include "control_commands.h"
#include "control_text.h"
#include "hex_bytes.h"
#include "ktrv_fields.h"
#include "traffic_line.h"

namespace vekxsim::control {

using namespace control_text;
namespace field = vekx_common::ktrv::field;
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

namespace {

ControlReply fields(Terminal &t, const Args &) {
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

ControlReply get(Terminal &t, const Args &args) {
  t.model().refresh_weight();
  return show(t, t.full_name(args[0]));
}

ControlReply set(Terminal &t, const Args &args) {
  const std::string name = t.full_name(args[0]);
  // The model writes the weight fields on every read of them.
  for (const char *weight_field : {field::weight_1, field::weight_5})
    if (name == t.full_name(std::string(field::own_name(weight_field))))
      return ControlReply::refused(name + " shows the scale's weight: set it with weight W");
  const vekx_common::Cp1252Text text = vekx_common::cp1252_exactly(args[1]);
  if (!text.complete())
    return ControlReply::refused(vekx_common::cp1252_refusal(text, "TEXT") + " (set bytes with sethex NAME HEX)");
  return set_value(t, name, Bytes(text.bytes.begin(), text.bytes.end()));
}

ControlReply sethex(Terminal &t, const Args &args) {
  const std::string hex = args.size() == 2 ? args[1] : std::string();
  const auto bytes = vekx_common::parse_hex_bytes(hex);
  if (!bytes) return ControlReply::bad_usage("not hex bytes: " + hex);
  return set_value(t, args[0], *bytes);
}

ControlReply setbyte(Terminal &t, const Args &args) {
  const auto n = whole_number(args[1], 0, 255);
  if (!n) return ControlReply::bad_usage("not a byte 0..255: " + args[1]);
  return set_value(t, args[0], {static_cast<std::uint8_t>(*n)});
}

ControlReply fieldstatus(Terminal &t, const Args &args) {
  const auto n = whole_number(args[1], 0, 255);
  if (!n) return ControlReply::bad_usage("N 0..255");
  const std::string name = t.full_name(args[0]);
  if (!t.service().fields().set_status(name, static_cast<std::uint8_t>(*n)))
    return ControlReply::refused("no field " + name);
  return ControlReply::done(name + " answers with status " + std::to_string(*n), {{"name", name}, {"status", *n}});
}

ControlReply fieldsilent(Terminal &t, const Args &args) {
  const auto on = on_off(args[1]);
  if (!on) return ControlReply::bad_usage();
  const std::string name = t.full_name(args[0]);
  if (!t.service().fields().set_silent(name, *on)) return ControlReply::refused("no field " + name);
  return ControlReply::done("reads of " + name + (*on ? " go unanswered" : " are answered"),
                            {{"name", name}, {"silent", *on}});
}

}  // namespace

Rows field_commands() {
  static constexpr ControlCommand rows[] = {
      {"fields", "", "every field with its value", fields},
      {"get", "NAME", "show a field: length, status, text and hex", get},
      {"set", "NAME TEXT",
       "field := TEXT in Windows-1252, the rest of the line as typed; in\n"
       "quotes to keep leading blanks (\"  X\") or to set nothing (\"\");\n"
       "creates the field; wt101 and wt501 follow the scale (weight W)",
       set, 1},
      {"sethex", "NAME [HEX]", "field := bytes in hex (\"ff 00 1a\" or \"ff001a\"; none: empty)", sethex, 1},
      {"setbyte", "NAME N", "field := the one byte N (0..255)", setbyte},
      {"fieldstatus", "NAME N", "answer this field with status N (0: normal again)", fieldstatus},
      {"fieldsilent", "NAME on|off", "leave reads of this field unanswered (writes still apply)", fieldsilent},
  };
  return rows;
}

std::string text_refusal(const std::string &text, std::string_view what) {
  return vekx_common::cp1252_refusal(vekx_common::cp1252_exactly(text), what);
}

}  // namespace vekxsim::control
