// Every kind of a reply's data as JSON that reads back. What requests the
// JSON control takes and refuses is tested through vekxsim itself
// (python/tests/test_control_json.py).
#include <gtest/gtest.h>

#include <cmath>

#include "control_json.h"

using nlohmann::json;
using vekxsim::ControlReply;
using vekxsim::ReplyItems;
using vekxsim::ReplyList;
using vekxsim::ReplyValue;

namespace {

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
