// The control command language of Terminal::control: what its commands
// reply and what they refuse (the fault commands are one-line calls into the
// fault plan, which the library's tests drive).
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "raw_udp.h"
#include "terminal.h"

using namespace vekx_test;
using vekxsim::Terminal;

namespace {

bool is_error(const std::string &reply) { return reply.rfind("error: ", 0) == 0; }

TEST(Control, FieldsKeysAndInputsWithTheirLimits) {
  Terminal t;
  EXPECT_EQ(t.control("set Lit01 HELLO  THERE"),
            "/t1/Lit01 len=12 status=0 text=\"HELLO  THERE\" hex=48 45 4c 4c 4f 20 20 54 48 45 52 45");
  t.control("sethex /t1/raw ff 00 0x1A");
  EXPECT_EQ(t.service().fields().get("/t1/raw"), (Bytes{0xff, 0x00, 0x1a}));
  EXPECT_EQ(t.control("setbyte bx251 1"), "/t1/bx251 len=1 status=0 text=\".\" hex=01");
  for (const char *refused : {"get nothere", "setbyte bx251 256", "sethex bx251 abc", "sethex bx251 0102",
                              "fieldstatus nothere 3", "frobnicate", "event 0", "key ABC nokey", "weight nan"})
    EXPECT_TRUE(is_error(t.control(refused))) << refused;
  EXPECT_EQ(t.service().fields().get("/t1/bx251"), Bytes{1}) << "refused commands changed nothing";
  // What no reply could carry is refused with the reason.
  EXPECT_EQ(t.control("set big " + std::string(570, 'z')).substr(0, 15), "/t1/big len=570");
  const std::string refused = t.control("set big " + std::string(571, 'z'));
  EXPECT_NE(refused.find("holds at most 570 bytes, not 571 (a 600-byte reply"), std::string::npos) << refused;
  EXPECT_EQ(t.control("   # a comment"), "");
  // The terminator is the last word; everything before it is the text.
  EXPECT_EQ(t.control("key LOT 42 A f6"), "keyed \"LOT 42 A\" ended by 1 (F6 Key)");
  EXPECT_EQ(t.control("input 5 1"), "input 5 (p_108) on");
}

TEST(Control, TrafficFilteredByFieldAndTheLog) {
  std::mutex m;  // before the terminal, so that they outlive its threads
  std::vector<std::string> lines;
  Terminal t;
  t.set_log([&](const std::string &l) {
    std::lock_guard lock(m);
    lines.push_back(l);
  });
  const auto logged_replies = [&] {
    std::lock_guard lock(m);
    return std::count_if(lines.begin(), lines.end(), [](const std::string &l) { return l.find(" OUT :") != l.npos; });
  };
  RawClient client;
  EXPECT_EQ(t.control("traffic"), "no traffic");
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 1), t.port()));
  ASSERT_TRUE(client.exchange(read_request("/t1/wt101", 2), t.port()));
  EXPECT_NE(t.control("traffic 5")
                .find("OUT :" + std::to_string(client.port()) +
                      " field-access read /t1/bx298 -> /w1/w0001 seq=1 status=0 len=1 data=\"6\""),
            std::string::npos);
  const std::string weights = t.control("traffic wt10");  // only the weight's two datagrams
  EXPECT_EQ(std::count(weights.begin(), weights.end(), '\n'), 1) << weights;
  EXPECT_NE(weights.find("/t1/wt101"), std::string::npos);
  EXPECT_TRUE(eventually([&] { return logged_replies() == 2; }));
  t.control("log off");
  ASSERT_TRUE(client.exchange(read_request("/t1/bx298", 3), t.port()));
  t.control("event 102");
  EXPECT_EQ(logged_replies(), 2) << "no traffic once the log is off";
  std::lock_guard lock(m);
  EXPECT_EQ(lines.back(), "ktrv: event 102 queued behind the unacknowledged event 54")
      << "the model's notes still come";
}

TEST(Control, QuitAndSleepEndTogether) {
  Terminal t;
  EXPECT_FALSE(t.quit_requested());
  std::thread quitter([&] { EXPECT_EQ(t.control("quit"), "bye"); });
  EXPECT_EQ(t.control("sleep 600000"), "") << "the sleep ends when the terminal quits";
  quitter.join();
  EXPECT_TRUE(t.quit_requested());
}

}  // namespace
