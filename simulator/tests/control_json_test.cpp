// The control language in JSON: each argument reaches its command exactly
// as sent, lines that are no request get a reason and change nothing, and
// every kind of a reply's data comes out as JSON that reads back.
#include <gtest/gtest.h>

#include <cmath>

#include "control_json.h"
#include "control_language.h"
#include "terminal.h"

using nlohmann::json;
using vekxsim::ControlReply;
using vekxsim::json_answer;
using vekxsim::ReplyItems;
using vekxsim::ReplyList;
using vekxsim::ReplyValue;

namespace {

json answer_to(vekxsim::Terminal &t, const json &request) { return json::parse(json_answer(t, request.dump())); }

// Joined with blanks and split again, these lost their leading, repeated
// and trailing blanks, or became no argument at all.
TEST(JsonAnswer, EachTextArgumentArrivesByteForByte) {
  vekxsim::Terminal t;
  for (const std::string text : {"  X", "a  b ", "", "a\tb", " \xC3\xA9\xE2\x82\xAC "}) {
    const json set = answer_to(t, {{"command", "set"}, {"args", {"Lit01", text}}});
    ASSERT_EQ(set["ok"], true) << set;
    EXPECT_EQ(set["bytes"]["text"], text);
    EXPECT_EQ(answer_to(t, {{"command", "get"}, {"args", {"Lit01"}}})["bytes"]["text"], text);
  }
  EXPECT_EQ(answer_to(t, {{"command", "serial"}, {"args", {" BADGE  7"}}})["text"], " BADGE  7");
  const json keyed = answer_to(t, {{"command", "key"}, {"args", {"LOT  42 ", "f6"}}});
  EXPECT_EQ(keyed["text"], "LOT  42 ");
  EXPECT_EQ(keyed["terminator"], 1);
  EXPECT_EQ(answer_to(t, {{"command", "key"}, {"args", {"enter"}}})["text"], "") << "the terminator alone";
  // A name that is a command word is still a name; numbers go as written,
  // true and false as on and off.
  EXPECT_EQ(answer_to(t, {{"command", "setbyte"}, {"args", {"drop", 2}}})["bytes"]["hex"], "02");
  EXPECT_EQ(answer_to(t, {{"command", "weight"}, {"args", {12.5}}})["weight"], 12.5);
  EXPECT_EQ(answer_to(t, {{"command", "silent"}, {"args", {true}}})["silent"], true);
}

TEST(JsonAnswer, WhatACommandCannotTakeIsRefusedAndChangesNothing) {
  vekxsim::Terminal t;
  vekxsim::control_answer(t, "set Lit01 kept");
  const std::string before = vekxsim::control_answer(t, "fields");
  const struct {
    json args;
    std::string command, error;
  } rows[] = {
      {{"Lit01", "junk"}, "get", "usage: get NAME (1 argument, not 2)"},
      {json::array(), "get", "usage: get NAME (1 argument, not 0)"},
      {{"Lit01"}, "set", "usage: set NAME TEXT (2 arguments, not 1)"},
      {{"Lit01", "a", "b"}, "set", "usage: set NAME TEXT (2 arguments, not 3)"},
      {{"a", "b", "enter"}, "key", "usage: key [TEXT] TERMINATOR (1 or 2 arguments, not 3)"},
      {{"Lit01", "\xC5\x82"}, "set", "TEXT holds \"\xC5\x82\" (U+0142), which Windows-1252 lacks"},
      {{"\xC5\x82"}, "serial", "TEXT holds \"\xC5\x82\" (U+0142), which Windows-1252 lacks"},
      {{"wt101", "99.00"}, "set", "/t1/wt101 shows the scale's weight: set it with weight W"},
      {{"/t1/wt501", "99.00"}, "set", "/t1/wt501 shows the scale's weight: set it with weight W"},
      {{"nan"}, "weight", "usage: weight W (nan is not a decimal number such as 12.5 or -3)"},
  };
  for (const auto &row : rows) {
    const json answer = answer_to(t, {{"command", row.command}, {"args", row.args}});
    EXPECT_EQ(answer["ok"], false) << row.command << row.args;
    EXPECT_EQ(answer["error"].get<std::string>().substr(0, row.error.size()), row.error) << answer;
  }
  EXPECT_EQ(vekxsim::control_answer(t, "fields"), before) << "no refused request changed a field";
}

TEST(JsonAnswer, ALineThatIsNoRequestIsRefusedWithItsReason) {
  vekxsim::Terminal t;
  const std::string before = vekxsim::control_answer(t, "fields");
  const std::string form = "; a request is one line such as {\"command\":\"get\",\"args\":[\"bx297\"]}";
  const struct {
    std::string line, error;
  } rows[] = {
      {"[\"get\"]", "the line holds an array, not an object" + form},
      {"{}", "\"command\" is missing" + form},
      {R"({"command": 1})", "\"command\" must be a string, not a number"},
      {R"({"command": "get", "command": "set"})", "\"command\" is given twice"},
      {R"({"command": "set", "args": [{"a": 1, "a": 2}]})", "\"a\" is given twice"},
      {R"({"command": "set", "args": "Lit01 X"})", "\"args\" must be an array, not a string"},
      {R"({"command": "set", "args": [], "args": []})", "\"args\" is given twice"},
      {R"({"command": "set", "args": ["Lit01", null]})",
       "args[1] is null; an argument is a string, a number, true or false"},
      {R"({"command": "set", "args": ["Lit01", ["X"]]})",
       "args[1] is an array; an argument is a string, a number, true or false"},
      {R"({"command": "get", "arg": ["bx297"]})", "unknown member \"arg\"; a request has \"command\" and \"args\""},
      {R"({"command": "# set"})", "unknown command \"# set\" (try help)"},
  };
  for (const auto &row : rows)
    EXPECT_EQ(json_answer(t, row.line), vekxsim::json_line(vekxsim::json_form(ControlReply::refused(row.error))))
        << row.line;
  // Broken JSON, including bytes that are not UTF-8 and a number no double
  // holds (which ended vekxsim), is refused as such.
  for (const std::string line : {"get bx297", "{\"command\": \"get\"", "{\"command\": \"\xFF\"}", "{} {}",
                                 "{\"command\": \"weight\", \"args\": [1e999]}"}) {
    const json answer = json::parse(json_answer(t, line));
    EXPECT_EQ(answer["ok"], false);
    EXPECT_EQ(answer["error"].get<std::string>().rfind("not JSON: ", 0), 0u) << answer;
  }
  EXPECT_EQ(json_answer(t, " \t"), "") << "a blank line gets no answer";
  EXPECT_EQ(vekxsim::control_answer(t, "fields"), before) << "no refused line changed a field";
}

TEST(JsonForm, EveryKindOfReplyDataReadsBack) {
  const ControlReply reply =
      ControlReply::done("text \xFF", ReplyItems{{"n", 7},
                                                 {"w", 12.5},
                                                 {"inf", HUGE_VAL},
                                                 {"yes", false},
                                                 {"bytes", ReplyValue::Bytes{0x80, 0x00, 'A'}},
                                                 {"list", ReplyList{1, "two"}},
                                                 {"empty", ReplyItems{}},
                                                 {"items", ReplyItems{{"a", 1}, {"b", ReplyList{}}}}});
  const std::string line = vekxsim::json_line(vekxsim::json_form(reply));
  EXPECT_EQ(line.rfind(R"({"ok":true,"reply":)", 0), 0u) << "ok comes first, for people reading along";
  EXPECT_EQ(json::parse(line), json::parse(R"({"ok": true, "reply": "text \ufffd", "n": 7, "w": 12.5, "inf": null,
      "yes": false, "bytes": {"hex": "80 00 41", "text": "€\u0000A"}, "list": [1, "two"], "empty": {},
      "items": {"a": 1, "b": []}})"));
  EXPECT_EQ(json::parse(vekxsim::json_line(vekxsim::json_form(ControlReply::refused("no \"x\"")))),
            json::parse(R"({"ok": false, "error": "no \"x\""})"));
}

}  // namespace
