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
     "field := TEXT in Windows-1252, the rest of the line as typed; in\n"
     "quotes to keep leading blanks (\"  X\") or to set nothing (\"\");\n"
     "creates the field; wt101 and wt501 follow the scale (weight W)",
     control::set, 1},
    {"sethex", "NAME [HEX]", "field := bytes in hex (\"ff 00 1a\" or \"ff001a\"; none: empty)", control::sethex, 1},
    {"setbyte", "NAME N", "field := the one byte N (0..255)", control::setbyte},
    {"fieldstatus", "NAME N", "answer this field with status N (0: normal again)", control::fieldstatus},
    {"fieldsilent", "NAME on|off", "leave reads of this field unanswered (writes still apply)", control::fieldsilent},
    {"event", "N", "post event N (1..255); queued while another waits for acknowledge", control::event},
    {"events", "", "the event in the mailbox and those queued behind it", control::events},
    {"ack", "", "clear the event mailbox as the console's acknowledge does", control::ack},
    {"key", "[TEXT] TERMINATOR",
     "keyboard literal: event 51, Lit50 = TEXT, bx251 = 0, bx252 = the key\n"
     "(a code 0..255 or enter, f1..f12, left, right, up, down, insert,\n"
     "home, end, delete, pgup, pgdn)",
     control::key, 0},
    {"serial", "TEXT", "serial port literal: event 51, Lit50 = TEXT, bx251 = 1", control::serial, 0},
    {"weight", "W", "the scale settles on W (shown as \"%8.2f\" in wt101 and wt501)", control::weight},
    {"settle", "MS", "time the scale takes to settle on a new weight (default 1000)", control::settle},
    {"drift", "W", "random drift of at most W either way on each weight read (0: none)", control::drift},
    {"select", "N", "weight selector vek15 := N (0 or 1 shows wt101, else wt501)", control::select},
    {"input", "N 0|1", "input N (1..12 = In1..In12, or its field p_100..p_10f) off or on", control::input},
    {"inputs", "", "the twelve inputs", control::inputs},
    {"lower", "TEXT", "lower display bd001 (50 characters; the console shows 8 to 24)", control::lower, 0},
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
    {"reset", "",
     "the terminal as at start with its options: fields, mailboxes, events,\n"
     "scale, inputs, outputs, displays; no faults; traffic record emptied",
     control::reset},
    {"quit", "", "end the simulator", control::quit},
    {"exit", "", nullptr, control::quit},
};

// How many arguments a command takes, from its arguments as help shows them.
struct ArgumentCount {
  std::size_t least = 0, most = 0;
};
ArgumentCount argument_count(const ControlCommand &c) {
  ArgumentCount count;
  std::string_view shown = c.arguments;
  for (std::size_t at = 0; at < shown.size();) {
    ++count.most;
    if (shown[at] != '[') ++count.least;
    const std::size_t blank = shown.find(' ', at);
    at = blank == std::string_view::npos ? shown.size() : blank + 1;
  }
  return count;
}

std::string arguments_text(std::size_t n) { return std::to_string(n) + (n == 1 ? " argument" : " arguments"); }

ControlReply run_row(Terminal &terminal, const ControlCommand &c, const ControlArguments &arguments) {
  const ArgumentCount count = argument_count(c);
  if (arguments.size() < count.least || arguments.size() > count.most) {
    const std::string takes = count.least == count.most ? arguments_text(count.most)
                              : count.least + 1 == count.most
                                  ? std::to_string(count.least) + " or " + arguments_text(count.most)
                                  : std::to_string(count.least) + " to " + arguments_text(count.most);
    return ControlReply::refused(std::string("usage: ") + c.word + (*c.arguments ? " " : "") + c.arguments + " (" +
                                 takes + ", not " + std::to_string(arguments.size()) + ")");
  }
  return c.run(terminal, arguments);
}

ControlReply unknown_command(std::string_view word) {
  return ControlReply::refused("unknown command \"" + std::string(word) + "\" (try help)");
}

// The arguments of a typed line: a word each, but the command's text
// argument, which takes the words that the others leave, with the blanks
// between them as typed; a text in quotes alone is taken as quoted.
ControlArguments typed_arguments(const ControlCommand &c, std::string_view line,
                                 std::span<const control_text::Word> words) {
  const std::size_t most = argument_count(c).most;
  const auto text_at = static_cast<std::size_t>(c.text_argument);
  if (c.text_argument < 0 || words.size() <= text_at) {
    ControlArguments arguments;
    for (const auto &w : words) arguments.push_back(w.text);
    return arguments;
  }
  const std::size_t extra = words.size() > most ? words.size() - most : 0;
  ControlArguments arguments;
  for (std::size_t i = 0; i < text_at; ++i) arguments.push_back(words[i].text);
  const control_text::Word &first = words[text_at];
  const std::size_t end = text_at + 1 == most ? line.size() : words[text_at + extra].end;
  arguments.emplace_back(extra == 0 && first.quoted ? first.text
                                                    : std::string(line.substr(first.begin, end - first.begin)));
  for (std::size_t i = text_at + extra + 1; i < words.size(); ++i) arguments.push_back(words[i].text);
  return arguments;
}

}  // namespace

std::span<const ControlCommand> control_commands() { return table; }

const ControlCommand *find_control_command(std::string_view word) {
  const auto row =
      std::find_if(std::begin(table), std::end(table), [&](const ControlCommand &c) { return word == c.word; });
  return row == std::end(table) ? nullptr : row;
}

ControlReply run_control_line(Terminal &terminal, const std::string &typed) {
  std::string_view line = typed;
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  if (const std::string trimmed = control_text::trim(line); trimmed.empty() || trimmed[0] == '#')
    return ControlReply::done({});
  std::string why;
  const auto words = control_text::split_words(line, why);
  if (!words) return ControlReply::refused(why);
  const ControlCommand *c = find_control_command(words->front().text);
  if (c == nullptr) return unknown_command(words->front().text);
  return run_row(terminal, *c, typed_arguments(*c, line, std::span(*words).subspan(1)));
}

std::string control_answer(Terminal &terminal, const std::string &line) {
  return text_form(run_control_line(terminal, line));
}

ControlReply run_control_command(Terminal &terminal, std::string_view word, const ControlArguments &arguments) {
  if (const ControlCommand *c = find_control_command(word)) return run_row(terminal, *c, arguments);
  return unknown_command(word);
}

ControlReply control_help() {
  std::string out =
      "Commands (one per line; NAME is a full field name such as /t1/bx297 or just bx297;\n"
      "a word in double quotes is taken exactly, blanks included, with \\\" for a quote):\n";
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
