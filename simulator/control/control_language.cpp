#include "control_language.h"

#include <algorithm>
#include <vector>

#include "control_commands.h"
#include "control_text.h"

namespace vekxsim {

namespace {

// Every command, the families in the order of control_commands.h.
std::span<const ControlCommand> all_rows() {
  static const std::vector<ControlCommand> rows = [] {
    std::vector<ControlCommand> all;
    for (const control::Rows family :
         {control::session_commands(), control::field_commands(), control::event_commands(), control::scale_commands(),
          control::device_commands(), control::fault_commands()})
      all.insert(all.end(), family.begin(), family.end());
    return all;
  }();
  return rows;
}

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

// "usage: WORD ARGUMENTS (why)", as the row shows them.
std::string usage(const ControlCommand &c, const std::string &why) {
  return std::string("usage: ") + c.word + (*c.arguments ? " " : "") + c.arguments +
         (why.empty() ? "" : " (" + why + ")");
}

ControlReply run_row(Terminal &terminal, const ControlCommand &c, const ControlArguments &arguments) {
  const ArgumentCount count = argument_count(c);
  if (arguments.size() < count.least || arguments.size() > count.most) {
    const std::string takes = count.least == count.most ? arguments_text(count.most)
                              : count.least + 1 == count.most
                                  ? std::to_string(count.least) + " or " + arguments_text(count.most)
                                  : std::to_string(count.least) + " to " + arguments_text(count.most);
    return ControlReply::refused(usage(c, takes + ", not " + std::to_string(arguments.size())));
  }
  ControlReply reply = c.run(terminal, arguments);
  if (reply.misused) reply = ControlReply::refused(usage(c, reply.text));
  return reply;
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

std::span<const ControlCommand> control_commands() { return all_rows(); }

const ControlCommand *find_control_command(std::string_view word) {
  const auto rows = all_rows();
  const auto row = std::find_if(rows.begin(), rows.end(), [&](const ControlCommand &c) { return word == c.word; });
  return row == rows.end() ? nullptr : &*row;
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
  for (const ControlCommand &c : all_rows()) {
    if (c.help == nullptr) continue;
    commands.emplace_back(ReplyItems{{"command", c.word}, {"arguments", c.arguments}, {"help", c.help}});
    out += control_text::help_row(std::string("  ") + c.word + (*c.arguments ? " " : "") + c.arguments, c.help, column);
  }
  return ControlReply::done(out + "Replies starting with \"error: \" changed nothing.",
                            {{"commands", std::move(commands)}});
}

}  // namespace vekxsim
