// Each vekx command against the simulated terminal: what it sends, what it
// prints, and its exit status for each kind of result.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "program_fixture.h"

namespace vekx_tool_test {
namespace {

TEST_F(VekxProgram, ReadsEveryFieldTheConsoleReads) {
  terminal->control("set Lit50 ABC123");
  const char *fields[] = {"/t1/vek15", "/t1/wt101", "/t1/wt501", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx252",
                          "/t1/bd001", "/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
                          "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f"};
  for (const char *field : fields) {
    Finished f = vekx({"read", "127.0.0.1", field});
    EXPECT_EQ(f.exit_status, 0) << field << ": " << f.err;
    EXPECT_EQ(f.err, std::string("vekx: VekRead ") + field + ": 0 success\n");
  }
  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/wt101"}).out, "   12.50\n");
  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/Lit50"}).out, "ABC123\n");
}

TEST_F(VekxProgram, ReadOptionsShapeTheRequestAndTheOutput) {
  terminal->control("event 104");
  Finished hex = vekx({"read", "127.0.0.1", "/t1/bx298", "--hex"});
  EXPECT_EQ(hex.exit_status, 0);
  EXPECT_EQ(hex.out, "68\n");

  terminal->control("set Lit50 ABCDEF");
  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/Lit50", "--size", "2"}).out, "AB\n");

  terminal->service().clear_traffic();
  Finished formatted = vekx({"read", "127.0.0.1", "/t1/Lit50", "--formatted"});
  EXPECT_EQ(formatted.err, "vekx: VekFormattedRead /t1/Lit50: 0 success\n");
  ASSERT_EQ(received().size(), 1u);
  EXPECT_EQ(received()[0].bytes.at(24), 34);  // formatted read
}

TEST_F(VekxProgram, WritesTextAndBytesAsGiven) {
  Finished text = vekx({"write", "127.0.0.1", "/t1/Lit01", "LINE ONE"});
  EXPECT_EQ(text.exit_status, 0) << text.err;
  EXPECT_EQ(text.err, "vekx: VekWrite /t1/Lit01: 0 success\n");
  EXPECT_EQ(text.out, "");
  auto value = terminal->service().field("/t1/Lit01");
  ASSERT_TRUE(value);
  EXPECT_EQ(std::string(value->begin(), value->begin() + 8), "LINE ONE");

  terminal->service().clear_traffic();
  EXPECT_EQ(vekx({"write", "127.0.0.1", "/t1/bx205", "02", "--hex", "--formatted"}).exit_status, 0);
  ASSERT_EQ(received().size(), 1u);
  EXPECT_EQ(received()[0].bytes.size(), 31u);  // one data byte
  EXPECT_EQ(received()[0].bytes.at(24), 18);   // formatted write
  EXPECT_EQ(data_of(received()[0].bytes), Bytes{2});

  // What was written reads back.
  EXPECT_EQ(vekx({"read", "127.0.0.1", "/t1/bx205", "--hex"}).out, "02\n");
}

TEST_F(VekxProgram, DisplayResetAndKeystrokesGoToTheNodesDisplayObject) {
  Finished shown = vekx({"display", "127.0.0.1", "1", "HELLO"});
  EXPECT_EQ(shown.exit_status, 0);
  EXPECT_EQ(shown.err, "vekx: VekDisplayText 1: 0 success\n");
  EXPECT_EQ(vekx({"reset-display", "127.0.0.1", "1"}).exit_status, 0);
  EXPECT_EQ(vekx({"key", "127.0.0.1", "1", "1", "A"}).exit_status, 0);
  EXPECT_EQ(vekx({"key", "127.0.0.1", "1", "2", "0x0d"}).exit_status, 0);

  ASSERT_EQ(terminal->service().wait_inbound(5, 2s), 5u);
  auto got = received();
  const std::string target(reinterpret_cast<const char *>(&got[0].bytes[14]), 9);
  EXPECT_EQ(target, "/t1/cnpl1");
  const std::string text = std::string(1, '\1') + "HELLO           ";
  const std::pair<std::uint16_t, Bytes> expected[] = {
      {1073, {1, 7}}, {1072, Bytes(text.begin(), text.end())}, {1073, {1, 0}}, {1027, {'A'}}, {1024, {0x0d}}};
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(type_of(got[i].bytes), expected[i].first) << i;
    EXPECT_EQ(data_of(got[i].bytes), expected[i].second) << i;
  }
}

TEST_F(VekxProgram, TerminalStatusesAreToldFromTheLibrarysOwnResults) {
  Finished missing = vekx({"read", "127.0.0.1", "/t1/nosuch"});
  EXPECT_EQ(missing.exit_status, 3);
  EXPECT_EQ(missing.err, "vekx: VekRead /t1/nosuch: terminal status 3\n");

  // A read that gets status 1 has an answer, so it is not "no usable answer".
  terminal->control("fieldstatus wt101 1");
  Finished one = vekx({"read", "127.0.0.1", "/t1/wt101"});
  EXPECT_EQ(one.exit_status, 3);
  EXPECT_EQ(one.err, "vekx: VekRead /t1/wt101: terminal status 1\n");
  // A write cannot tell.
  terminal->control("fieldstatus bx205 2");
  Finished write = vekx({"write", "127.0.0.1", "/t1/bx205", "01", "--hex"});
  EXPECT_EQ(write.err, "vekx: VekWrite /t1/bx205: 2 bad argument or terminal status 2\n");
  EXPECT_EQ(write.exit_status, 4);
}

TEST_F(VekxProgram, LibraryRefusalsAndSocketErrorsByNumberAndMeaning) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
    int exit;
  };
  const Case cases[] = {
      {{"read", "127.0.0.1", "bx297"}, "vekx: VekRead bx297: 4 bad node\n", 4},
      {{"read", "127.0.0.1", "/t1abc"}, "vekx: VekRead /t1abc: 2 bad argument\n", 4},
      {{"write", "127.0.0.1", "/x1/abc", "1"}, "vekx: VekWrite /x1/abc: 4 bad node or terminal status 4\n", 4},
      {{"read", "127.0.0.300", "/t1/wt101"}, "vekx: VekRegisterProcess 127.0.0.300: 5 bad address\n", 4},
      {{"read", "127.0.0.1", "/t2/wt101"}, "vekx: VekRead /t2/wt101: 10038 node has no address\n", 5},
  };
  for (const Case &c : cases) {
    Finished f = vekx(c.args);
    EXPECT_EQ(f.err, c.err);
    EXPECT_EQ(f.exit_status, c.exit) << c.err;
  }
  EXPECT_TRUE(received().empty());
}

TEST_F(VekxProgram, LocalPortInUseIsAddressInUse) {
  int holder = socket(AF_INET, SOCK_DGRAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_ANY);
  a.sin_port = htons(local_port);
  EXPECT_EQ(bind(holder, reinterpret_cast<sockaddr *>(&a), sizeof a), 0);
  Finished f = vekx({"read", "127.0.0.1", "/t1/wt101"});
  close(holder);
  EXPECT_EQ(f.err, "vekx: VekRead /t1/wt101: 10048 address in use\n");
  EXPECT_EQ(f.exit_status, 5);
}

TEST_F(VekxProgram, SilentTerminalIsNoUsableAnswer) {
  terminal->service().set_silent(true);
  Finished f = vekx({"write", "127.0.0.1", "/t1/bx297", "0e", "--hex"});
  EXPECT_EQ(f.err, "vekx: VekWrite /t1/bx297: 1 no usable answer or terminal status 1\n");
  EXPECT_EQ(f.exit_status, 1);
  Finished r = vekx({"read", "127.0.0.1", "/t1/bx297"});
  EXPECT_EQ(r.err, "vekx: VekRead /t1/bx297: 1 no usable answer\n");
  EXPECT_EQ(r.exit_status, 1);
  EXPECT_EQ(r.out, "");
}

TEST_F(VekxProgram, BadArgumentsGiveOneLineAndTheUsageAndSendNothing) {
  // Each refusal reason is checked on the parser; here, what the program does with one.
  const std::vector<std::vector<std::string>> bad = {
      {}, {"write", "127.0.0.1", "/t1/bx205", "2x", "--hex"}, {"read", "127.0.0.1", "/t1/wt101", "--bogus"}};
  for (const auto &args : bad) {
    Finished f = vekx(args);
    EXPECT_EQ(f.exit_status, 2);
    EXPECT_EQ(f.out, "");
    ASSERT_NE(f.err.find('\n'), std::string::npos);
    EXPECT_EQ(f.err.rfind("vekx: ", 0), 0u) << f.err;
    EXPECT_EQ(f.err.find("usage: vekx read"), f.err.find('\n') + 1) << f.err;
  }
  EXPECT_EQ(terminal->service().wait_inbound(1, 200ms), 0u);
}

TEST_F(VekxProgram, HelpAndVersion) {
  Finished help = vekx({"--help"});
  EXPECT_EQ(help.exit_status, 0);
  EXPECT_NE(help.out.find("usage: vekx read ADDR FIELD"), std::string::npos);
  EXPECT_NE(help.out.find("Exit status:"), std::string::npos);
  Finished version = vekx({"--version"});
  EXPECT_EQ(version.exit_status, 0);
  EXPECT_EQ(version.out.rfind("vekx 1.", 0), 0u) << version.out;
}

}  // namespace
}  // namespace vekx_tool_test
