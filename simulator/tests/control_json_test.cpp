// The control language in JSON: lines that are no request get a reason and
// change nothing, every value kind of a reply's data comes out as valid
// JSON, and a request means what the same command line means.
#include <gtest/gtest.h>

#include <cmath>

#include "control_json.h"
#include "control_language.h"
#include "json_text.h"
#include "terminal.h"

using vekxsim::ControlReply;
using vekxsim::json_answer;
using vekxsim::json_form;
using vekxsim::ReplyItems;
using vekxsim::ReplyList;
using vekxsim::ReplyValue;
namespace json = vekxsim::json;

namespace {

std::string parse_error(std::string_view text) {
  std::string why;
  return json::parse(text, why) ? "parsed" : why;
}

TEST(JsonText, BrokenTextIsRefusedAtTheByteWhereItBreaks) {
  const struct {
    std::string_view text, why;
  } rows[] = {
      {"", "a value is missing at byte 1"},
      {"{\"a\" 1}", "expected ':' at byte 6"},
      {"{\"a\": 1,}", "expected a member name in quotes at byte 9"},
      {"[1 2]", "expected ',' or ']' at byte 4"},
      {"\"open", "a string without its closing quote at byte 6"},
      {"\"a\\", "a string without its closing quote at byte 4"},
      {"\"\\x\"", "unknown escape \\x at byte 3"},
      {"\"\\u12\"", "\\u needs four hex digits at byte 4"},
      {"\"\\ud800\"", "a \\u surrogate without its pair at byte 8"},
      {"\"\\udc00\"", "a \\u surrogate without its pair at byte 8"},
      {"\"a\tb\"", "a control character in a string (write it as \\u00XX) at byte 3"},
      {"-", "a number needs digits at byte 2"},
      {"1.", "a number needs digits after '.' at byte 3"},
      {"1e+", "a number needs digits in its exponent at byte 4"},
      {"01", "text after the value at byte 2"},
      {"tru", "not a JSON value at byte 1"},
      {"{} {}", "text after the value at byte 4"},
  };
  for (const auto &row : rows) EXPECT_EQ(parse_error(row.text), row.why) << row.text;
  // Nesting is bounded, not followed down the stack.
  EXPECT_EQ(parse_error(std::string(json::deepest_nesting, '[') + std::string(json::deepest_nesting, ']')), "parsed");
  EXPECT_EQ(parse_error(std::string(100000, '[')), "nested deeper than 16 at byte 17");
}

TEST(JsonText, StringsKeepEveryCharacterBothWays) {
  std::string why;
  const auto v =
      json::parse(R"({"s": "a\"\\\/\b\f\n\r\t\u00e9\ud83d\ude00", "n": -12.5e3, "t": true, "z": null})", why);
  ASSERT_TRUE(v) << why;
  ASSERT_EQ(v->members.size(), 4u);
  EXPECT_EQ(v->members[0].value.text, "a\"\\/\b\f\n\r\t\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(v->members[1].value.text, "-12.5e3") << "a number as written";
  EXPECT_TRUE(v->members[2].value.yes);
  EXPECT_EQ(v->members[3].value.kind, json::Value::Kind::null);
  // Writing: control bytes escaped, UTF-8 kept, broken UTF-8 (a lone
  // continuation byte, an overlong form, a surrogate, a cut-off sequence)
  // replaced so that any JSON reader takes the answer.
  EXPECT_EQ(json::quoted(std::string("\"\\\n\t\x01\x7f\xC3\xA9", 8)), R"("\"\\\n\t\u0001\u007fé")");
  EXPECT_EQ(json::quoted("\x80|\xC0\xAF|\xED\xA0\x80|\xE2\x82"),
            "\"\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|"
            "\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
            "\xEF\xBF\xBD\xEF\xBF\xBD\"");
  const std::string all_bytes = [] {
    std::string s;
    for (int c = 0; c < 256; ++c) s.push_back(static_cast<char>(c));
    return s;
  }();
  EXPECT_EQ(parse_error(json::quoted(all_bytes)), "parsed");
}

TEST(JsonForm, EveryKindOfReplyDataIsValidJson) {
  const ControlReply reply =
      ControlReply::done("text", ReplyItems{{"n", 7},
                                            {"w", 12.5},
                                            {"inf", HUGE_VAL},
                                            {"yes", false},
                                            {"bytes", ReplyValue::Bytes{0x80, 0x00, 'A'}},
                                            {"list", ReplyList{1, "two"}},
                                            {"empty", ReplyItems{}},
                                            {"items", ReplyItems{{"a", 1}, {"b", ReplyList{}}}}});
  EXPECT_EQ(json_form(reply), R"({"ok": true, "reply": "text", "n": 7, "w": 12.5, "inf": null, "yes": false, )"
                              R"("bytes": {"hex": "80 00 41", "text": "€\u0000A"}, "list": [1, "two"], "empty": {}, )"
                              R"("items": {"a": 1, "b": []}})");
  EXPECT_EQ(json_form(ControlReply::refused("no \"x\"")), R"({"ok": false, "error": "no \"x\""})");
  EXPECT_EQ(vekxsim::json_serving_line("127.0.0.1", 41234, 2), R"({"serving": "127.0.0.1", "port": 41234, "node": 2})");
}

TEST(JsonAnswer, ARequestMeansWhatItsCommandLineMeans) {
  vekxsim::Terminal t;
  // Arguments are joined into the line: the last argument of "set" keeps
  // its blanks, numbers come as written, true and false as on and off.
  const std::string set = json_answer(t, R"({"command": "set", "args": ["Lit01", "A  B"]})");
  EXPECT_EQ(set, json_form(t.control_reply("get Lit01")));
  EXPECT_EQ(t.control("get Lit01"), "/t1/Lit01 len=4 status=0 text=\"A  B\" hex=41 20 20 42");
  EXPECT_EQ(json_answer(t, R"({"args": ["drop", 2], "command": "setbyte"})"),
            R"({"ok": true, "reply": "/t1/drop len=1 status=0 text=\".\" hex=02", "name": "/t1/drop", "status": 0, )"
            R"("bytes": {"hex": "02", "text": "\u0002"}})")
      << "\"drop\" is a name here, not a command";
  EXPECT_NE(json_answer(t, R"({"command": "silent", "args": [true]})").find(R"("silent": true)"), std::string::npos);
  EXPECT_EQ(json_answer(t, " \t"), "") << "a blank line gets no answer";
  EXPECT_EQ(json_answer(t, R"({"command": "quit"})"), R"({"ok": true, "reply": "bye"})");
}

TEST(JsonAnswer, ALineThatIsNoRequestIsRefusedWithItsReason) {
  vekxsim::Terminal t;
  const std::string before = t.control("fields");
  const std::string form = "; a request is one line such as {\"command\": \"get\", \"args\": [\"bx297\"]}";
  const struct {
    std::string line, error;
  } rows[] = {
      {"get bx297", "not JSON: not a JSON value at byte 1" + form},
      {"[\"get\"]", "the line holds an array, not an object" + form},
      {"{}", "\"command\" is missing" + form},
      {R"({"command": 1})", "\"command\" must be a string, not a number"},
      {R"({"command": "get", "command": "set"})", "\"command\" is given twice"},
      {R"({"command": "set", "args": "Lit01 X"})", "\"args\" must be an array, not a string"},
      {R"({"command": "set", "args": [], "args": []})", "\"args\" is given twice"},
      {R"({"command": "set", "args": ["Lit01", null]})",
       "args[1] is null; an argument is a string, a number, true or false"},
      {R"({"command": "set", "args": ["Lit01", ["X"]]})",
       "args[1] is an array; an argument is a string, a number, true or false"},
      {R"({"command": "get", "arg": ["bx297"]})", "unknown member \"arg\"; a request has \"command\" and \"args\""},
      {R"({"command": "# set"})", "unknown command \"# set\" (try help)"},
      {R"({"command": ""})", "unknown command \"\" (try help)"},
  };
  for (const auto &row : rows)
    EXPECT_EQ(json_answer(t, row.line), json_form(ControlReply::refused(row.error))) << row.line;
  EXPECT_EQ(t.control("fields"), before) << "no refused line changed a field";
}

// Every row of the command table answers in JSON with the listing's data.
TEST(JsonAnswer, HelpListsEveryCommandOfTheTable) {
  vekxsim::Terminal t;
  const std::string help = json_answer(t, R"({"command": "help"})");
  for (const auto &c : vekxsim::control_commands()) {
    if (c.help == nullptr) continue;
    EXPECT_NE(help.find("{\"command\": \"" + std::string(c.word) + "\", \"arguments\": "), std::string::npos) << c.word;
  }
}

}  // namespace
