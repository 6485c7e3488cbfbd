// The control command language of Terminal::control, and its parsers.
#include <gtest/gtest.h>

#include <algorithm>

#include "raw_udp.h"
#include "terminal.h"

using namespace vekx_test;
using vekxsim::Terminal;

namespace {

bool is_error(const std::string &reply) { return reply.rfind("error: ", 0) == 0; }

TEST(Control, SetAndGetInTextHexAndByte) {
  Terminal t;
  EXPECT_EQ(t.control("set Lit01 HELLO  THERE"),
            "/t1/Lit01 len=12 status=0 text=\"HELLO  THERE\" hex=48 45 4c 4c 4f 20 20 54 48 45 52 45");
  EXPECT_EQ(t.service().fields().get("/t1/Lit01"), text_bytes("HELLO  THERE"));
  t.control("sethex /t1/raw ff 00 0x1A");
  EXPECT_EQ(t.service().fields().get("/t1/raw"), (Bytes{0xff, 0x00, 0x1a}));
  t.control("setbyte bx251 1");
  EXPECT_EQ(t.service().fields().get("/t1/bx251"), Bytes{1});
  EXPECT_EQ(t.control("get bx251"), "/t1/bx251 len=1 status=0 text=\".\" hex=01");
  EXPECT_TRUE(is_error(t.control("get nothere")));
  EXPECT_TRUE(is_error(t.control("setbyte bx251 256")));
  EXPECT_TRUE(is_error(t.control("sethex bx251 abc")));
  EXPECT_EQ(t.service().fields().get("/t1/bx251"), Bytes{1});  // refused commands changed nothing
}

TEST(Control, EventsAckAndQueueReplies) {
  Terminal t;
  EXPECT_EQ(t.control("events"), "mailbox 54, queued: none");
  EXPECT_EQ(t.control("event 104"), "event 104 queued");
  EXPECT_EQ(t.control("events"), "mailbox 54, queued: 104");
  EXPECT_EQ(t.control("ack"), "event mailbox cleared, now 104");
  EXPECT_EQ(t.control("ack"), "event mailbox cleared, now 0");
  EXPECT_EQ(t.control("event 105"), "event 105 posted");
  EXPECT_TRUE(is_error(t.control("event 0")));
  EXPECT_TRUE(is_error(t.control("event 256")));
}

TEST(Control, KeyTakesTheLastWordAsTerminator) {
  vekxsim::TerminalOptions o;
  o.power_up = false;
  Terminal t(o);
  EXPECT_EQ(t.control("key LOT 42 A f6"), "keyed \"LOT 42 A\" ended by 1 (F6 Key)");
  EXPECT_EQ(t.service().fields().get("/t1/bx252"), Bytes{1});
  EXPECT_EQ(t.service().fields().get("/t1/Lit50")->at(7), 'A');
  t.control("ack");
  EXPECT_EQ(t.control("key 999 25"), "keyed \"999\" ended by 25");
  t.control("ack");
  EXPECT_EQ(t.control("key enter"), "keyed \"\" ended by 8 (Enter Key)");
  EXPECT_TRUE(is_error(t.control("key ABC nokey")));
  t.control("ack");
  EXPECT_EQ(t.control("serial SCAN 0042"), "serial \"SCAN 0042\"");
  EXPECT_EQ(t.service().fields().get("/t1/bx251"), Bytes{1});
  EXPECT_EQ(t.model().event_in_mailbox(), 51);
}

TEST(Control, InputsByNumberOrFieldName) {
  Terminal t;
  EXPECT_EQ(t.control("input 5 1"), "input 5 (p_108) on");
  EXPECT_EQ(t.control("input p_10f on"), "input 12 (p_10f) on");
  EXPECT_EQ(t.control("inputs"), "1:0 2:0 3:0 4:0 5:1 6:0 7:0 8:0 9:0 10:0 11:0 12:1");
  EXPECT_TRUE(is_error(t.control("input 13 1")));
  EXPECT_TRUE(is_error(t.control("input p_104 1")));
}

TEST(Control, FaultCommandsReachTheService) {
  Terminal t;
  RawClient client;
  EXPECT_EQ(t.control("silent on"), "silent: nothing is answered");
  EXPECT_FALSE(client.exchange(read_request("/t1/bx298", 1), t.port(), 200ms));
  t.control("silent off");
  EXPECT_TRUE(client.exchange(read_request("/t1/bx298", 2), t.port()));
  t.control("drop 1");
  EXPECT_FALSE(client.exchange(read_request("/t1/bx298", 3), t.port(), 200ms));
  EXPECT_TRUE(client.exchange(read_request("/t1/bx298", 4), t.port()));
  t.control("fieldstatus bx298 6");
  auto reply = client.exchange(read_request("/t1/bx298", 5), t.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(status_of(*reply), 6);
  t.control("fieldsilent bx298 on");
  EXPECT_FALSE(client.exchange(read_request("/t1/bx298", 6), t.port(), 200ms));
  EXPECT_EQ(t.control("decoy sequence"), "a wrong-sequence reply goes before the next reply");
  reply = client.exchange(read_request("/t1/bx297", 7), t.port());
  ASSERT_TRUE(reply);
  EXPECT_EQ(sequence_of(*reply), 6);
  EXPECT_TRUE(is_error(t.control("replydelay -5")));
}

TEST(Control, TrafficShowsDecodedLines) {
  Terminal t;
  RawClient client;
  EXPECT_EQ(t.control("traffic"), "no traffic");
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 1), t.port()));
  const std::string lines = t.control("traffic 5");
  EXPECT_NE(lines.find("IN  :" + std::to_string(client.port()) + " field-access read /w1/w0001 -> /t1/bx298"),
            std::string::npos);
  EXPECT_NE(lines.find("OUT :" + std::to_string(client.port()) +
                       " field-access read /t1/bx298 -> /w1/w0001 seq=1 "
                       "status=0 len=1 data=\"6\" hex=36"),
            std::string::npos);
  EXPECT_EQ(t.control("traffic 1").find('\n'), std::string::npos);
}

TEST(Control, LogSinkGetsTrafficAndModelNotesAndLogOffSilencesTraffic) {
  std::mutex m;  // before the terminal, so that they outlive its threads
  std::vector<std::string> lines;
  Terminal t;
  t.set_log([&](const std::string &l) {
    std::lock_guard lock(m);
    lines.push_back(l);
  });
  RawClient client;
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 1), t.port()));
  t.control("command 15");
  auto has = [&](const std::string &text) {
    std::lock_guard lock(m);
    return std::any_of(lines.begin(), lines.end(),
                       [&](const std::string &l) { return l.find(text) != std::string::npos; });
  };
  // The reply's line is written just after it is sent, so it is awaited too.
  EXPECT_TRUE(eventually([&] { return has("ktrv: command 15 (clear forcing) carried out") && has(" OUT :"); }));
  EXPECT_TRUE(has(" IN  :"));
  {
    std::lock_guard lock(m);
    lines.clear();
  }
  t.control("log off");
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 2), t.port()));
  t.control("event 102");
  std::lock_guard lock(m);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("ktrv: ", 0), 0u);
}

TEST(Control, OtherCommandsAndRefusals) {
  Terminal t;
  EXPECT_EQ(t.control("   # a comment"), "");
  EXPECT_TRUE(is_error(t.control("frobnicate")));
  EXPECT_EQ(t.control("weight 1e9"), "weight 1000000000.00");
  t.control("settle 0");
  EXPECT_EQ(std::string(reinterpret_cast<const char *>(t.service().fields().get("/t1/wt101")->data()), 8), "99999.99");
  EXPECT_TRUE(is_error(t.control("weight abc")));
  EXPECT_TRUE(is_error(t.control("weight nan")));
  EXPECT_EQ(t.control("delay 50"), "delay 50 ms");
  EXPECT_EQ(t.model().command_delay(), 50ms);
  EXPECT_FALSE(t.quit_requested());
  EXPECT_EQ(t.control("quit"), "bye");
  EXPECT_TRUE(t.quit_requested());
}

}  // namespace
