// The web panel's parts that need no browser: the safety rules as a table,
// the --web address, the event stream's cap and its dropping of a page that
// does not keep up, the trace row of a datagram and the capture download
// read back by the replay's own reader.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <filesystem>
#include <fstream>
#include <future>

#include "capture_download.h"
#include "capture_file.h"
#include "control_language.h"
#include "event_stream.h"
#include "loopback_udp.h"
#include "terminal.h"
#include "terminal_door.h"
#include "trace_row.h"
#include "vekx_wire.h"
#include "web_panel.h"
#include "web_rules.h"

namespace {

using namespace vekxsim::web;

struct RuleRow {
  const char *why;
  const char *method, *host;
  std::optional<const char *> origin;
  const char *authorization, *type;
  int status;  // 0: let through
};

// A fault in any rule lets a request of another site change the terminal,
// or keeps the panel's own page out.
TEST(WebRules, EachRuleRefusesWithItsStatusAndLetsTheOwnPageThrough) {
  const Access open{"127.0.0.1", 8080, std::nullopt};
  const Access locked{"127.0.0.1", 8080, "s3cret"};
  const Access everywhere{"0.0.0.0", 8080, "s3cret"};
  const std::tuple<Access, RuleRow> rows[] = {
      {open, {"the own page reads", "GET", "127.0.0.1:8080", {}, "", "", 0}},
      {open, {"localhost is the own host", "GET", "LocalHost:8080", {}, "", "", 0}},
      {open, {"a rebinding name", "GET", "evil.example:8080", {}, "", "", 403}},
      {open, {"the own host on another port", "GET", "127.0.0.1:8081", {}, "", "", 403}},
      {open, {"no Host at all", "GET", "", {}, "", "", 403}},
      {open, {"a host that merely ends alike", "GET", "x127.0.0.1:8080", {}, "", "", 403}},
      {open, {"the own page posts JSON", "POST", "127.0.0.1:8080", "http://127.0.0.1:8080", "", "application/json", 0}},
      {open,
       {"a program posts JSON without Origin", "POST", "localhost:8080", {}, "", "application/json; charset=utf-8", 0}},
      {open, {"another site's origin", "POST", "127.0.0.1:8080", "http://evil.example", "", "application/json", 403}},
      {open,
       {"an origin of the own host on another port", "POST", "127.0.0.1:8080", "http://127.0.0.1:9", "",
        "application/json", 403}},
      {open, {"a cross-site form", "POST", "127.0.0.1:8080", {}, "", "application/x-www-form-urlencoded", 415}},
      {open, {"a post without a type", "POST", "127.0.0.1:8080", {}, "", "", 415}},
      {open, {"text/plain dressed up", "POST", "127.0.0.1:8080", {}, "", "text/plain; x=application/json", 415}},
      {open, {"another method goes on to its route's 405", "PUT", "127.0.0.1:8080", {}, "", "", 0}},
      {locked, {"no token", "GET", "127.0.0.1:8080", {}, "", "", 401}},
      {locked, {"a wrong token of the same length", "GET", "127.0.0.1:8080", {}, "Bearer s3creT", "", 401}},
      {locked, {"the token's start", "GET", "127.0.0.1:8080", {}, "Bearer s3c", "", 401}},
      {locked, {"the token and more", "GET", "127.0.0.1:8080", {}, "Bearer s3cret2", "", 401}},
      {locked, {"the token without Bearer", "GET", "127.0.0.1:8080", {}, "s3cret", "", 401}},
      {locked, {"the token", "GET", "127.0.0.1:8080", {}, "Bearer s3cret", "", 0}},
      {locked, {"the scheme in small letters", "GET", "127.0.0.1:8080", {}, "bearer s3cret", "", 0}},
      {everywhere, {"an address of the PC", "GET", "192.168.1.20:8080", {}, "Bearer s3cret", "", 0}},
      {everywhere, {"a name is refused even with the token", "GET", "evil.example:8080", {}, "Bearer s3cret", "", 403}},
  };
  for (const auto &[access, r] : rows) {
    const auto origin = r.origin ? std::optional<std::string_view>(*r.origin) : std::nullopt;
    const auto refused = refusal(access, {r.method, r.host, origin, r.authorization, r.type});
    EXPECT_EQ(refused ? refused->status : 0, r.status) << r.why;
    EXPECT_TRUE(!refused || !refused->why.empty()) << r.why;
  }
}

TEST(WebRules, TheWebAddressTakesAPortAloneOrWithAnAddressWrittenAsABrowserSendsIt) {
  std::string address;
  std::uint16_t port = 1;
  for (const auto &[good, listens, on] : {std::tuple{"0", "127.0.0.1", 0},
                                          {"0.0.0.0:8080", "0.0.0.0", 8080},
                                          {"LocalHost:80", "127.0.0.1", 80},
                                          {"[::1]:80", "::1", 80}}) {
    EXPECT_EQ(parse_web_address(good, address, port), "") << good;
    EXPECT_EQ(std::pair(address, int{port}), std::pair(std::string(listens), on)) << good;
  }
  // What a browser sends as Host for these is not what they are written as.
  for (const char *bad : {"", "65536", "127.1:0", "127.000.0.1:0", "::1:80", "[::0:1]:80", "127.0.0.1:", "80x"})
    EXPECT_NE(parse_web_address(bad, address, port), "") << bad;
  EXPECT_TRUE(is_loopback("127.1.2.3") && is_loopback("::1"));
  EXPECT_FALSE(is_loopback("0.0.0.0"));
  EXPECT_FALSE(is_loopback("128.0.0.1"));
}

// The panel's state: a silent field (a replayed fieldsilent) made it index a
// missing member of a const object, which served "lower_display":, and
// crashed; and a drifting scale made every poll a change.
TEST(PanelState, ASilentFieldShowsAsSuchAndADriftingScaleIsNoChange) {
  Json state{{"fields", {{{"name", "/t1/bd001"}, {"silent", true}}, {{"name", "/t1/wt101"}, {"silent", true}}}}};
  add_face_fields(state);
  EXPECT_EQ(std::tie(state["lower_display"], state["weight_shown"], state["literal"]),
            std::tuple(Json{{"silent", true}}, Json{{"silent", true}}, nullptr));
  vekxsim::Terminal terminal({.weight = 12.5});
  vekxsim::control_answer(terminal, "drift 5");
  EXPECT_EQ(terminal_state(terminal).dump(), terminal_state(terminal).dump());
}

// A page that lost its stream gets the latest trace rows again when it
// comes back, and fills its gap from them; states are not kept.
TEST(EventStreamTest, KeptEventsReachAPageThatSubscribesLater) {
  EventStream stream(4, 120);
  stream.publish("traffic", "[1]", true);
  stream.publish("state", "{}");
  for (const char *rows : {"[2]", "[3]"}) stream.publish("traffic", rows, true);
  EXPECT_EQ(stream.subscribe()->next(std::chrono::milliseconds(0)),
            "event: traffic\ndata: [2]\n\nevent: traffic\ndata: [3]\n\n")
      << "the oldest go beyond half a queue";
}

// A page that takes nothing must not make the panel hold its events without
// bound, nor keep the others from theirs.
TEST(EventStreamTest, APageThatFallsBehindIsDroppedAndTheOthersGoOn) {
  EventStream stream(4, 100);
  auto slow = stream.subscribe(), quick = stream.subscribe();
  for (int i = 0; i < 10; ++i) {
    stream.publish("state", "0123456789");
    ASSERT_TRUE(quick->next(std::chrono::milliseconds(0)).has_value());
  }
  EXPECT_TRUE(slow->closed());
  EXPECT_EQ(slow->next(std::chrono::milliseconds(0)), std::nullopt);
  EXPECT_EQ(stream.open_subscribers(), 1U);
  stream.publish("traffic", "[]");
  EXPECT_EQ(quick->next(std::chrono::milliseconds(0)), "event: traffic\ndata: []\n\n");
}

TEST(EventStreamTest, StoppingEndsEveryWaitAndRefusesNewPages) {
  EventStream stream(4, 100);
  auto page = stream.subscribe();
  stream.close_all();
  EXPECT_EQ(page->next(std::chrono::seconds(5)), std::nullopt);
  EXPECT_EQ(stream.subscribe(), nullptr);
}

vekxsim::TrafficRecord read_request(std::uint16_t client_port, std::uint8_t sequence) {
  return {std::chrono::steady_clock::now(), true, client_port, vekx_test::read_request("/t1/bx297", sequence)};
}

TEST(TraceRowTest, ARequestIsShownWithItsTargetFieldAndAMalformedOneWithItsReason) {
  const auto row = trace_row(read_request(40000, 7), std::chrono::system_clock::time_point(std::chrono::seconds(1)));
  EXPECT_EQ(std::tie(row["time_ms"], row["operation"], row["field"], row["sequence"]),
            std::tuple(1000, "read", "/t1/bx297", 7));
  EXPECT_EQ(trace_row(read_request(40000, 7), {}, 17)["id"], 17);
  const auto bad = trace_row({std::chrono::steady_clock::now(), true, 1, {1, 2, 3}}, {});
  EXPECT_EQ(bad["operation"], "malformed");
  EXPECT_FALSE(bad.contains("field"));
}

// A field name with a byte above 0x7F once made the publisher throw, losing
// that round's rows, and a path with one ended vekxsim.
TEST(WebPanelTest, BytesThatAreNotUtf8ReachThePageAsValidJson) {
  vekxsim::TrafficRecorder traffic;
  const auto answer = [](const Json &) { return Json{{"ok", true}}; };
  const auto state = [] { return Json{{"field", "/t1/\xff"}}; };
  const WebPanel panel({answer, state, traffic, 1}, {"127.0.0.1", 0, std::nullopt});
  const std::string head = " HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(panel.port()) + "\r\n\r\n";
  const auto events = answers_to("GET /api/events" + head, panel.handlers());
  ASSERT_EQ(events.size(), 1U);
  auto bad = read_request(40000, 1);
  bad.bytes[vekx::offset::target_name + 4] = 0xff;  // "/t1/\xffx297"
  traffic.add(bad);
  std::string seen;
  const auto arrived = [&] { return (seen += events[0].stream().value_or("")).find("\xef\xbf\xbdx297") != seen.npos; };
  EXPECT_TRUE(vekx_test::eventually(arrived, std::chrono::seconds(5))) << seen;
  for (const char *path : {"/api/state", "/x/%FF", "/\xff"}) {
    const auto answers = answers_to("GET " + std::string(path) + head, panel.handlers());
    ASSERT_EQ(answers.size(), 1U) << path;
    EXPECT_TRUE(nlohmann::json::accept(answers[0].body)) << path;
  }
}

// A page beyond the cap must be told so (503), not given a stream that
// never comes or take another page's place; one that leaves makes room.
TEST(WebPanelTest, ThePagesBeyondTheCapGet503UntilOneCloses) {
  vekxsim::TrafficRecorder traffic;
  const WebPanel panel({[](const Json &) { return Json{}; }, [] { return Json{}; }, traffic, 1},
                       {"127.0.0.1", 0, std::nullopt});
  const std::string follow = "GET /api/events HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(panel.port()) + "\r\n\r\n";
  std::vector<HttpAnswer> pages;
  for (std::size_t i = 0; i < max_event_clients; ++i) pages.push_back(answers_to(follow, panel.handlers()).at(0));
  EXPECT_TRUE(std::ranges::all_of(pages, [](const HttpAnswer &page) { return page.status == 200; }));
  EXPECT_EQ(answers_to(follow, panel.handlers()).at(0).status, 503);
  pages.pop_back();  // its connection closes
  EXPECT_EQ(answers_to(follow, panel.handlers()).at(0).status, 200);
}

// A handler that throws once ended vekxsim (terminate) and then answered a
// 500 that pointed to a standard error holding nothing.
TEST(HttpServerTest, AHandlerThatThrowsIsAnswered500WithItsCauseOnStandardError) {
  const HttpHandlers handlers{[](const HttpRequest &) { return std::optional<HttpAnswer>(); },
                              [](const HttpRequest &) -> HttpAnswer { throw std::runtime_error("no state to give"); },
                              [](int status, const std::string &why) {
                                return HttpAnswer{status, "text/plain", why};
                              }};
  testing::internal::CaptureStderr();
  const auto answers = answers_to("GET /api/state HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", handlers);
  const std::string said = testing::internal::GetCapturedStderr();
  ASSERT_EQ(answers.size(), 1U);
  EXPECT_EQ(answers[0].status, 500);
  EXPECT_NE(said.find("GET /api/state: no state to give"), std::string::npos) << said;
}

// The publisher once held the lock the UDP thread takes for each datagram
// while it made the state: a slow state held up the terminal's answers.
TEST(WebPanelTest, TheUdpThreadRecordsDatagramsWhileThePublisherIsStuckInTheState) {
  vekxsim::TrafficRecorder traffic;
  std::mutex m;
  std::condition_variable changed;
  bool inside = false, released = false;
  const auto answer = [](const Json &) { return Json{{"ok", true}}; };
  const auto state = [&] {
    std::unique_lock lock(m);
    inside = true;
    changed.notify_all();
    changed.wait(lock, [&] { return released; });
    return Json{{"weight", 1}};
  };
  const WebPanel panel({answer, state, traffic, 1}, {"127.0.0.1", 0, std::nullopt});
  {
    std::unique_lock lock(m);
    ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return inside; }));
  }
  auto recording = std::async(std::launch::async, [&] {
    for (std::uint8_t i = 0; i < 100; ++i) traffic.add(read_request(40000, i));
  });
  const bool recorded = recording.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
  {
    std::lock_guard lock(m);
    released = true;
  }
  changed.notify_all();
  EXPECT_TRUE(recorded) << "recording a datagram waited for the publisher";
}

// A capture the replay cannot read, or reads with the sides swapped, would
// make the panel's download useless; one that put the console at the
// terminal's address (a terminal on 127.0.0.2, its console on 127.0.0.1)
// would show traffic that never was.
TEST(CaptureDownload, TheReplayReadsEveryDatagramBackWithEachSideAtItsAddressAndPort) {
  const std::uint16_t terminal_port = 41701;  // not the usual port: the capture carries the one served
  std::vector<vekxsim::TrafficRecord> traffic = {read_request(40000, 1), read_request(40001, 2)};
  traffic[0].peer_address = {127, 0, 0, 1};
  traffic[1].inbound = false;
  traffic[1].peer_address = {127, 0, 0, 3};
  const std::string path =
      (std::filesystem::temp_directory_path() / ("vekxsim-capture-" + std::to_string(::getpid()) + ".pcap")).string();
  std::ofstream(path, std::ios::binary) << capture_pcap(traffic, "127.0.0.2", terminal_port);
  const auto read = vekxsim::replay::read_capture(path);
  std::filesystem::remove(path);
  ASSERT_EQ(read.size(), traffic.size());
  for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i].bytes, traffic[i].bytes);
  EXPECT_EQ(std::tie(read[0].from_address, read[0].from_port, read[0].to_address, read[0].to_port),
            std::make_tuple("127.0.0.1", 40000, "127.0.0.2", terminal_port));
  EXPECT_EQ(std::tie(read[1].from_address, read[1].from_port, read[1].to_address, read[1].to_port),
            std::make_tuple("127.0.0.2", terminal_port, "127.0.0.3", 40001));
}

}  // namespace
