// The typed control language: a line's words, quotes and blank-keeping text,
// each command's argument count, its numbers and terminator keys; and every
// kind of reply data as JSON that reads back (the JSON control's requests
// are python/tests/test_control_json.py's).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "control_json.h"
#include "control_language.h"
#include "control_text.h"
#include "terminal.h"

namespace {

namespace control_text = vekxsim::control_text;

// The bytes of Lit01 after a typed set, or the refusal.
std::string typed_set(vekxsim::Terminal &t, const std::string &rest) {
  const vekxsim::ControlReply r = vekxsim::run_control_line(t, "set Lit01" + rest);
  if (!r.ok) return "error: " + r.text;
  const auto value = t.service().fields().get("/t1/Lit01");
  return std::string(value->begin(), value->end());
}

TEST(ControlLine, TheTextOfSetIsTheRestOfTheLineOrExactlyWhatIsQuoted) {
  vekxsim::Terminal t;
  const struct {
    std::string rest, stored;
  } rows[] = {
      {" HELLO  THERE ", "HELLO  THERE "},  // as typed, inner and trailing blanks kept
      {" \"  X\"", "  X"},                  // quoted: leading blanks kept
      {" \"\"", ""},                        // quoted: nothing
      {"   \"a  b \"  ", "a  b "},          // blanks around the quotes are no part of it
      {R"( "say \"hi\" \\o/")", R"(say "hi" \o/)"},
      {" \"a\" b", "\"a\" b"},  // more than one word: as typed, quotes and all
      {" x\r\n", "x"},          // a line end from another system is no part of it
      {" \"open", "error: the quote at character 11 is not closed: end the text with \""},
      {" \"a\"b", "error: a blank must follow the closing quote at character 13 (write a quote inside quotes as \\\")"},
      {"", "error: usage: set NAME TEXT (2 arguments, not 1)"},
      {" \xFF", "error: TEXT is not UTF-8 text (set bytes with sethex NAME HEX)"},
      {" \xE2\x82\xAC", "\x80"},
  };
  for (const auto &row : rows) EXPECT_EQ(typed_set(t, row.rest), row.stored) << row.rest;
}

TEST(ControlLine, OtherCommandsTakeTheirWordsAndNoMore) {
  vekxsim::Terminal t;
  EXPECT_EQ(vekxsim::control_answer(t, "key LOT  42 A f6"), "keyed \"LOT  42 A\" ended by 1 (F6 Key)");
  EXPECT_EQ(vekxsim::control_answer(t, "key \"  7\" enter"), "keyed \"  7\" ended by 8 (Enter Key)");
  EXPECT_EQ(vekxsim::control_answer(t, "key enter"), "keyed \"\" ended by 8 (Enter Key)");
  EXPECT_EQ(vekxsim::control_answer(t, "event 104 105"), "error: usage: event N (1 argument, not 2)");
  EXPECT_EQ(vekxsim::control_answer(t, "traffic 5 wt 9"),
            "error: usage: traffic [N] [FIELD-PATTERN] (0 to 2 arguments, not 3)");
  EXPECT_EQ(vekxsim::control_answer(t, "traffic wt 9"), "error: usage: traffic [N] [FIELD-PATTERN] (N 1..100000)");
  EXPECT_EQ(vekxsim::control_answer(t, "events"), "mailbox 54, queued: 51 51 51")
      << "the three literals; no refused line posted";
  EXPECT_EQ(vekxsim::control_answer(t, "# \"an open quote in a comment"), "");
}

// A script that posts events faster than they are acknowledged must not
// grow the queue without bound, nor push out the events already waiting.
TEST(ControlLine, AFullEventQueueRefusesTheNextEventAndSaysHowToMakeRoom) {
  vekxsim::Terminal t;  // power-up in the mailbox
  for (int i = 0; i < 64; ++i) ASSERT_EQ(vekxsim::control_answer(t, "event 104"), "event 104 queued") << i;
  EXPECT_EQ(vekxsim::control_answer(t, "serial X"),
            "error: event queue full: 64 events already wait behind the mailbox; each acknowledge (ack) lets the "
            "next one in");
  EXPECT_EQ(t.model().queued_events(), std::vector<std::uint8_t>(64, 104));
  vekxsim::control_answer(t, "ack");
  EXPECT_EQ(vekxsim::control_answer(t, "event 105"), "event 105 queued");
}

// A field of --field stored '?' for what Windows-1252 lacks, and went on.
TEST(ControlLine, AFieldTextAtStartIsTakenLikeATypedOne) {
  vekxsim::TerminalOptions options;
  options.extra_fields = {"spare=\xE2\x82\xAC 1"};
  EXPECT_EQ(vekxsim::Terminal(options).service().fields().get("/t1/spare"),
            (std::vector<std::uint8_t>{0x80, ' ', '1'}));
  options.extra_fields = {"spare=\xC5\x82"};
  EXPECT_THROW(vekxsim::Terminal{options}, std::invalid_argument);
}

// The command table is the one list of commands; the manual's CONTROL
// COMMANDS list is held against it, word and arguments (its markup aside):
// a command added to the table and not to vekxsim(1), or one the page keeps
// after it is gone, fails here.
TEST(ControlTable, TheManualListsEveryCommandAsTheTableShowsIt) {
  std::set<std::string> table, page;
  for (const vekxsim::ControlCommand &c : vekxsim::control_commands())
    if (c.help != nullptr) table.insert(std::string(c.word) + (*c.arguments ? " " : "") + c.arguments);
  std::ifstream manual(VEKX_SOURCE_DIR "/doc/man/vekxsim.1.scd");
  bool listing = false;
  for (std::string line; std::getline(manual, line);) {
    if (line.starts_with("# ")) listing = line == "# CONTROL COMMANDS";
    if (!listing || !line.starts_with('*')) continue;
    std::erase(line, '*');
    std::erase(line, '_');
    page.insert(line);
  }
  std::vector<std::string> unlisted, gone;
  std::ranges::set_difference(table, page, std::back_inserter(unlisted));
  std::ranges::set_difference(page, table, std::back_inserter(gone));
  EXPECT_EQ(unlisted, std::vector<std::string>{}) << "commands that doc/man/vekxsim.1.scd, CONTROL COMMANDS, lacks";
  EXPECT_EQ(gone, std::vector<std::string>{}) << "entries of doc/man/vekxsim.1.scd that are no command of the table";
}

TEST(ControlText, DecimalNumbersAreFiniteAndPlainlyWritten) {
  for (const char *text : {"12.5", "-3", " 0.25 ", "1e3", "0"}) EXPECT_TRUE(control_text::decimal_number(text)) << text;
  for (const char *text : {"inf", "-infinity", "nan", "0x1p4", "1e999", "+5", "12,5", "1.5kg", "", " "})
    EXPECT_FALSE(control_text::decimal_number(text)) << text;
  EXPECT_EQ(control_text::decimal_number(" -3.75"), -3.75);
}

// A key whose typed name lost its code (or found another's) would key the
// wrong terminator into /t1/bx252: a name as the table and the console
// write it, in any case, with or without " Key", and other spellings.
TEST(KeySpelling, CommonOtherSpellingsMeanTheirKey) {
  const std::pair<const char *, int> rows[] = {
      {"return", 8}, {"Enter", 8},   {"left", 9},      {"Right Arrow", 10}, {"ins", 11},       {"del", 14},
      {"up", 15},    {"down", 16},   {"PgUp", 17},     {"pgdn", 18},        {"page down", 18}, {"42", 42},
      {"F1", 19},    {"f10 KEY", 3}, {"Enter Key", 8}, {"PAGE UP", 17},
  };
  for (const auto &[typed, code] : rows) EXPECT_EQ(control_text::terminator_code(typed), code) << typed;
}

TEST(KeySpelling, WhatNamesNoKeyIsRefused) {
  for (const char *typed : {"", "key", "nokey", "f13", "enter key key", "256", "pg", "returnkey x"})
    EXPECT_EQ(control_text::terminator_code(typed), std::nullopt) << typed;
}

TEST(JsonForm, EveryKindOfReplyDataReadsBack) {
  const vekxsim::ControlReply reply = vekxsim::ControlReply::done(
      "text \xFF", vekxsim::ReplyItems{{"n", 7},
                                       {"w", 12.5},
                                       {"inf", HUGE_VAL},
                                       {"yes", false},
                                       {"bytes", vekxsim::ReplyValue::Bytes{0x80, 0x00, 'A'}},
                                       {"list", vekxsim::ReplyList{1, "two"}},
                                       {"empty", vekxsim::ReplyItems{}},
                                       {"items", vekxsim::ReplyItems{{"a", 1}, {"b", vekxsim::ReplyList{}}}}});
  const std::string line = vekxsim::json_line(vekxsim::json_form(reply));
  EXPECT_EQ(line.rfind(R"({"ok":true,"reply":)", 0), 0u) << "ok comes first, for people reading along";
  EXPECT_EQ(nlohmann::json::parse(line),
            nlohmann::json::parse(R"({"ok": true, "reply": "text \ufffd", "n": 7, "w": 12.5, "inf": null,
      "yes": false, "bytes": {"hex": "80 00 41", "text": "€\u0000A"}, "list": [1, "two"], "empty": {},
      "items": {"a": 1, "b": []}})"));
}

}  // namespace
