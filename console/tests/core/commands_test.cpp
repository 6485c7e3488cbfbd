// Operator commands and the connection control on a fake window and
// terminal: the exact writes of each button, the mailbox handshake in
// virtual time, and waits with the window live (Start, Stop, further
// clicks, nested pauses, closing).
#include <algorithm>

#include "colours.h"
#include "console_fixture.h"
#include "hex_bytes.h"
#include "terminal_fields.h"

namespace ktrv::test {
namespace {

// When the command mailbox was read and what it gave.
std::vector<std::pair<std::int64_t, Bytes>> mailboxReads(const std::vector<Call> &calls) {
  std::vector<std::pair<std::int64_t, Bytes>> reads;
  for (const Call &c : calls)
    if (c.kind == Call::read && c.field == fields::command_mailbox) reads.emplace_back(c.when, c.data);
  return reads;
}

TEST_F(ConsoleTest, ACommandWritesItsCodeAndWaitsForTheTerminalToTakeIt) {
  start();
  terminal.setMailboxDelay(2);
  for (auto [button, code] : {std::pair{"SendReset", "6c"}, std::pair{"TransComplete", "6b"},
                              std::pair{"BufFlush", "0c"}, std::pair{"Command1", "0f"}}) {
    EXPECT_EQ(clicked(controlIdOf(button)),
              (Strings{std::string("/t1/bx297=") + code, "/t1/bx297", "/t1/bx297", "/t1/bx297"}))
        << button;
    // 100 ms apart, 255 until the last, which ends the wait.
    const auto reads = mailboxReads(terminal.calls());
    const std::int64_t first = reads.at(0).first;
    EXPECT_EQ(reads, (decltype(reads){{first, {255}}, {first + 100, {255}}, {first + 200, {0}}})) << button;
  }
  // Taken at once: still one read and one pause.
  terminal.setMailboxDelay(0);
  const std::int64_t before = window.now();
  EXPECT_EQ(clicked(controlIdOf("SendReset")), (Strings{"/t1/bx297=6c", "/t1/bx297"}));
  EXPECT_EQ(window.now() - before, 100);
  EXPECT_EQ(clicked(controlIdOf("pc_acknowledge")), Strings{"/t1/bx298=00"}) << "the acknowledge waits for nothing";
}

TEST_F(ConsoleTest, AnOutputBoxWritesItsStateEachTime) {
  start();
  EXPECT_EQ(clicked(kOutputBoxes[4]), (Strings{"/t1/bx205=02", "/t1/bx297=0e", "/t1/bx297"}));
  EXPECT_EQ(clicked(kOutputBoxes[4]), (Strings{"/t1/bx205=01", "/t1/bx297=0e", "/t1/bx297"}));
  EXPECT_EQ(clicked(kInputBoxes[0]), Strings{}) << "input boxes have no handler";
}

TEST_F(ConsoleTest, ClearOutputsUnticksTickedBoxesOneByOne) {
  start();
  Strings expected = {"/t1/bx201=01", "/t1/bx202=01", "/t1/bx203=01", "/t1/bx204=01", "/t1/bx205=01",
                      "/t1/bx206=01", "/t1/bx207=01", "/t1/bx208=01", "/t1/bx209=01", "/t1/bx210=01",
                      "/t1/bx211=01", "/t1/bx212=01", "/t1/bx297=0e", "/t1/bx297"};
  EXPECT_EQ(clicked(controlIdOf("OutputsOff")), expected) << "none ticked";

  window.click(kOutputBoxes[0]);
  window.click(kOutputBoxes[6]);
  expected.insert(expected.end(), {"/t1/bx297", "/t1/bx201=01", "/t1/bx297=0e", "/t1/bx297",  // Out1
                                   "/t1/bx207=01", "/t1/bx297=0e", "/t1/bx297"});             // Out7
  EXPECT_EQ(clicked(controlIdOf("OutputsOff")), expected);
}

std::string hexOf(const std::string &bytes) { return vekx_common::hex_text(Bytes(bytes.begin(), bytes.end())); }

// The boxes go out as a 40-byte and a 20-byte block, each line cut at 20
// characters and padded with spaces, in the single-byte code page.
TEST_F(ConsoleTest, TheFourLineDisplayCommandSendsTwoBlocks) {
  struct Row {
    std::string line1, line2, line3, lit01, lit02;
  };
  const Row rows[] = {
      {"", "", "", std::string(40, ' '), std::string(20, ' ')},
      {"ABCDEFGHIJKLMNOPQRSTUVWXY", "abcdefghijklmnopqrstuvwxy", "0123456789012345678901234",
       "ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst", "01234567890123456789"},
      {"Caf\xC3\xA9 \xE2\x82\xAC 5", "\xE2\x9C\x93", "x", "Caf\xE9 \x80 5            ?" + std::string(19, ' '),
       "x" + std::string(19, ' ')},
  };
  start();
  for (const Row &r : rows) {
    for (const auto &[box, line] :
         {std::pair{"DisplayLine1", r.line1}, {"DisplayLine2", r.line2}, {"DisplayLine3", r.line3}})
      window.setText(controlIdOf(box), line);
    EXPECT_EQ(clicked(controlIdOf("UpdateDisplay")),
              (Strings{"/t1/Lit01=" + hexOf(r.lit01), "/t1/Lit02=" + hexOf(r.lit02), "/t1/bx201=78", "/t1/bx297=02",
                       "/t1/bx297"}));
    EXPECT_EQ(text("DisplayLine1"), r.line1) << "the boxes keep their texts";
  }
}

TEST_F(ConsoleTest, TheSingleLineCommandBlanksLineTwoAndTakesOutput1sField) {
  start();
  window.click(kOutputBoxes[0]);
  window.setText(controlIdOf("DisplayLine1"), "SHORT");
  EXPECT_EQ(clicked(controlIdOf("SingleLineDisp")), (Strings{"/t1/Lit01=" + hexOf("SHORT" + std::string(35, ' ')),
                                                             "/t1/bx201=28", "/t1/bx297=01", "/t1/bx297"}));
  EXPECT_TRUE(window.isChecked(kOutputBoxes[0])) << "the box keeps its own state";
}

// Start closes and registers the address as typed; Stop closes; Clear
// Message Windows blanks four boxes and calls nothing.
TEST_F(ConsoleTest, ConnectionControl) {
  start(" 127.0.0.1,10.0.0.2\xC3\xA9");
  ASSERT_EQ(terminal.calls().size(), 2u);
  EXPECT_EQ(terminal.calls()[0].kind, Call::close);
  EXPECT_EQ(terminal.calls()[1].field, " 127.0.0.1,10.0.0.2\xE9") << "as typed, in the single-byte code page";
  window.click(controlIdOf("StopEther"));
  window.click(controlIdOf("StopEther"));
  EXPECT_EQ(console.lastResult(), -2);

  terminal.clearCalls();
  window.setText(controlIdOf("MessageFromKtrv"), "Sequence Error");
  window.setBackColour(controlIdOf("MessageFromKtrv"), kRed);
  window.click(controlIdOf("SerialClear"));
  for (const char *box : {"VekSerial1", "VekTerminator", "VekKeyBuffer", "MessageFromKtrv"}) EXPECT_EQ(text(box), " ");
  EXPECT_TRUE(terminal.calls().empty());
  EXPECT_EQ(window.backColour(controlIdOf("MessageFromKtrv")), kRed);
}

TEST_F(ConsoleTest, ACommandBeforeStartEndsAfterStartWithoutSendingItsCodeAgain) {
  window.at(900, [&] {
    EXPECT_EQ(text("txtWeight"), "STOPPED, STATUS=-2") << "polls ran inside the wait";
    start();
  });
  EXPECT_EQ(clicked(controlIdOf("BufFlush")), Strings{"/t1/bx297"});
}

// Waits nest: a click during a wait runs its handling to the end inside the
// pause, and the tick that ends the inner pause ends the outer one too.
TEST_F(ConsoleTest, CommandsNestThreeDeepAndEachReturnsInnermostFirst) {
  start();
  terminal.setMailboxDelay(3);
  Strings returned;
  window.at(150, [&] {
    window.at(150, [&] {
      EXPECT_EQ(window.waitCursor, std::vector<bool>{true}) << "the outer wait shows the wait cursor";
      window.click(controlIdOf("StopEther"));
      window.click(controlIdOf("IPupdate"));  // Start again, inside two waits
      window.click(controlIdOf("BufFlush"));
      returned.push_back("BufFlush");
    });
    window.click(controlIdOf("SendReset"));
    returned.push_back("SendReset");
  });
  terminal.clearCalls();
  window.click(controlIdOf("TransComplete"));
  returned.push_back("TransComplete");
  EXPECT_EQ(returned, (Strings{"BufFlush", "SendReset", "TransComplete"}));
  EXPECT_EQ(window.waitCursor, (std::vector<bool>{true, false}))
      << "the wait cursor stays through the inner waits and goes with the outer one";
  const Strings described = terminal.described(false);
  for (const char *code : {"/t1/bx297=6b", "/t1/bx297=6c", "/t1/bx297=0c"})
    EXPECT_EQ(std::count(described.begin(), described.end(), code), 1) << code;
  EXPECT_EQ(described.back(), "/t1/bx297") << "the outer wait read again after the inner ones";
  EXPECT_FALSE(window.timerRunning(TimerId::Delay1));
}

TEST_F(ConsoleTest, ClosingDuringNestedWaitsEndsThemAllAndClosesOnce) {
  start();
  terminal.setMailboxDelay(1000000);  // the mailbox never answers
  std::int64_t closedAt = 0;
  window.at(500, [&] { window.click(controlIdOf("BufFlush")); });
  window.at(900, [&] {
    closedAt = window.now();
    window.click(controlIdOf("ExitProg"));
  });
  window.click(kOutputBoxes[0]);  // two waits: the first never ends by itself
  EXPECT_TRUE(window.closed());
  int closes = 0;
  for (const Call &c : terminal.calls()) {
    EXPECT_LE(c.when, closedAt) << "no call after the close";
    EXPECT_NE(c.field, "/t1/bx201") << "Out1's writes never ran";
    closes += c.kind == Call::close;
  }
  EXPECT_EQ(closes, 2) << "Start's and the window's";
  EXPECT_EQ(window.waitCursor, (std::vector<bool>{true, false})) << "the close takes the wait cursor away once";
  EXPECT_FALSE(window.timerRunning(TimerId::tmrVekPoll));
  window.click(controlIdOf("SendReset"));
  window.runFor(1000);
  EXPECT_EQ(terminal.calls().back().when, closedAt) << "no handler runs after the close";
}

}  // namespace
}  // namespace ktrv::test
