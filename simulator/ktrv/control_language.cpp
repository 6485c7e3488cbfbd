#include "control_language.h"

#include <algorithm>

#include "control_commands.h"
#include "control_text.h"

namespace vekxsim {

namespace {

constexpr ControlCommand table[] = {
    {"help", "", "this list", control::help},
    {"?", "", nullptr, control::help},
    {"status", "", "weight, mailboxes, queued events, faults in force", control::status},
    {"fields", "", "every field with its value", control::fields},
    {"get", "NAME", "show a field: length, status, text and hex", control::get},
    {"set", "NAME TEXT",
     "field := TEXT (the rest of the line, blanks kept, in Windows-1252);\n"
     "creates the field",
     control::set},
    {"sethex", "NAME HEX", "field := bytes in hex (\"ff 00 1a\" or \"ff001a\"; empty allowed)", control::sethex},
    {"setbyte", "NAME N", "field := the one byte N (0..255)", control::setbyte},
    {"fieldstatus", "NAME N", "answer this field with status N (0: normal again)", control::fieldstatus},
    {"fieldsilent", "NAME on|off", "leave reads of this field unanswered (writes still apply)", control::fieldsilent},
    {"event", "N", "post event N (1..255); queued while another waits for acknowledge", control::event},
    {"events", "", "the event in the mailbox and those queued behind it", control::events},
    {"ack", "", "clear the event mailbox as the console's acknowledge does", control::ack},
    {"key", "TEXT TERMINATOR",
     "keyboard literal: event 51, Lit50 = TEXT, bx251 = 0, bx252 = the key\n"
     "(a code 0..255 or enter, f1..f12, left, right, up, down, insert,\n"
     "home, end, delete, pgup, pgdn)",
     control::key},
    {"serial", "TEXT", "serial port literal: event 51, Lit50 = TEXT, bx251 = 1", control::serial},
    {"weight", "W", "the scale settles on W (shown as \"%8.2f\" in wt101 and wt501)", control::weight},
    {"settle", "MS", "time the scale takes to settle on a new weight (default 1000)", control::settle},
    {"drift", "W", "random drift of at most W either way on each weight read (0: none)", control::drift},
    {"select", "N", "weight selector vek15 := N (0 or 1 shows wt101, else wt501)", control::select},
    {"input", "N 0|1", "input N (1..12 = In1..In12, or its field p_100..p_10f) off or on", control::input},
    {"inputs", "", "the twelve inputs", control::inputs},
    {"lower", "TEXT", "lower display bd001 (50 characters; the console shows 8 to 24)", control::lower},
    {"display", "",
     "the KTRV display lines that commands 1 and 2 set, and the text that\n"
     "display requests put on the display (none after a reset)",
     control::display},
    {"outputs", "", "the twelve outputs' forcing state (commands 14 and 15)", control::outputs},
    {"command", "N", "carry out command N at once, as if the console had posted it", control::command},
    {"delay", "MS", "how long the command mailbox reads 255 before a command is taken", control::delay},
    {"silent", "on|off", "stop answering / answer again", control::silent},
    {"drop", "N", "drop the next N replies", control::drop},
    {"replydelay", "MS", "answer every request MS late (0: at once)", control::replydelay},
    {"decoy", "type|sequence|name", "send one wrong reply just before the next real one", control::decoy},
    {"traffic", "[N] [FIELD-PATTERN]",
     "the last N datagrams in and out, decoded (default 20); with a pattern,\n"
     "only those whose field name contains it",
     control::traffic},
    {"log", "on|off", "traffic log lines on or off", control::log},
    {"sleep", "MS", "pause (for scripts); quitting ends it", control::sleep},
    {"quit", "", "end the simulator", control::quit},
    {"exit", "", nullptr, control::quit},
};

}  // namespace

std::span<const ControlCommand> control_commands() { return table; }

const ControlCommand *find_control_command(std::string_view word) {
  const auto row =
      std::find_if(std::begin(table), std::end(table), [&](const ControlCommand &c) { return word == c.word; });
  return row == std::end(table) ? nullptr : row;
}

ControlReply run_control_line(Terminal &terminal, const std::string &line) {
  const control_text::Split split = control_text::first_word(line);
  if (split.word.empty() || split.word[0] == '#') return ControlReply::done({});
  return run_control_command(terminal, split.word, split.rest);
}

ControlReply run_control_command(Terminal &terminal, std::string_view word, const std::string &arguments) {
  if (const ControlCommand *c = find_control_command(word)) return c->run(terminal, arguments);
  return ControlReply::refused("unknown command \"" + std::string(word) + "\" (try help)");
}

ControlReply control_help() {
  std::string out = "Commands (one per line; NAME is a full field name such as /t1/bx297 or just bx297):\n";
  constexpr std::size_t column = 28;
  ReplyList commands;
  for (const ControlCommand &c : table) {
    if (c.help == nullptr) continue;
    commands.emplace_back(ReplyItems{{"command", c.word}, {"arguments", c.arguments}, {"help", c.help}});
    out += control_text::help_row(std::string("  ") + c.word + (*c.arguments ? " " : "") + c.arguments, c.help, column);
  }
  return ControlReply::done(out + "Replies starting with \"error: \" changed nothing.",
                            {{"commands", std::move(commands)}});
}

}  // namespace vekxsim
