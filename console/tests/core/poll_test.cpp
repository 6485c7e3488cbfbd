// The poll tick on a fake window and terminal: the fields one tick reads,
// what it shows of them, and what failed reads leave behind.
#include "colours.h"
#include "console_fixture.h"
#include "vekxapi.h"

namespace ktrv::test {
namespace {

// The inputs as In1..In12 show them: p_103 is followed by p_108.
const Strings kInputFields = {"/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103", "/t1/p_108", "/t1/p_109",
                              "/t1/p_10a", "/t1/p_10b", "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f"};

// A tick every 300 ms reads its fields in order and writes none.
TEST_F(ConsoleTest, EachTickReadsItsFieldsInOrderAndWritesNone) {
  struct Row {
    int event, source;
    Strings head;
  };
  const Row rows[] = {
      {0, 0, {"/t1/vek15", "/t1/wt101", "/t1/bx298"}},
      {104, 0, {"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/bx298"}},
      {51, 0, {"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx252", "/t1/bx298"}},
      {51, 2, {"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx298"}},
  };
  start();
  for (Row r : rows) {
    terminal.setByte("/t1/bx298", static_cast<std::uint8_t>(r.event));
    terminal.setByte("/t1/bx251", static_cast<std::uint8_t>(r.source));
    r.head.insert(r.head.end(), kInputFields.begin(), kInputFields.end());
    r.head.push_back("/t1/bd001");
    const std::int64_t before = window.now();
    EXPECT_EQ(oneTick(), r.head) << "event " << r.event << " source " << r.source;
    EXPECT_EQ(window.now() - before, 300);
  }
}

TEST_F(ConsoleTest, TheWeightFromTheFieldItsSelectorChoosesOrTheStatusOfItsRead) {
  start();
  terminal.set("/t1/wt501", "  501.00");
  for (int selector : {0, 1, 2, 255}) {
    terminal.setByte("/t1/vek15", static_cast<std::uint8_t>(selector));
    EXPECT_EQ(oneTick()[1], selector <= 1 ? "/t1/wt101" : "/t1/wt501") << selector;
  }
  // A failed selector read leaves 0: the first weight field.
  terminal.failReads("/t1/vek15", VEKX_NO_ANSWER);
  terminal.set("/t1/wt101", "ABCDEFGHIJKLMNOP");
  EXPECT_EQ(oneTick()[1], "/t1/wt101");
  EXPECT_EQ(text("txtWeight"), "G:ABCDEFGHIJKLM lb") << "13 characters";
  terminal.set("/t1/wt101", std::string("12.5\0x", 6));
  EXPECT_EQ(afterTick("txtWeight"), "G:12.5 lb") << "cut at the NUL";
  terminal.failReads("/t1/wt101", 7);
  EXPECT_EQ(oneTick().back(), "/t1/bd001") << "the tick goes on to its end";
  EXPECT_EQ(text("txtWeight"), "STOPPED, STATUS=7");
}

TEST_F(ConsoleTest, AnEventShowsItsMessageAndAsksForAcknowledge) {
  const ControlId message = controlIdOf("MessageFromKtrv"), ack = controlIdOf("pc_acknowledge");
  start();
  for (auto [code, shown, colour] : {std::tuple{105, "Barriers Closed", kBlue}, std::tuple{52, "Unknown Command", kRed},
                                     std::tuple{54, "POWER UP !", kGreen}}) {
    terminal.setByte("/t1/bx298", static_cast<std::uint8_t>(code));
    window.runTicks(1);
    EXPECT_EQ(std::tuple(window.text(message), window.backColour(message), window.backColour(ack), window.text(ack)),
              std::tuple(std::string(shown), colour, kRed, std::string("Waiting For Ack")));
  }
  // The terminal clears its mailbox: the text stays on white, and only the
  // operator's acknowledge gives the button its green look back.
  terminal.setByte("/t1/bx298", 0);
  window.runTicks(1);
  EXPECT_EQ(window.text(message), "POWER UP !");
  EXPECT_EQ(window.backColour(message), kWhite);
  EXPECT_EQ(window.text(ack), "Waiting For Ack");
  // A failed second read of the mailbox tests what the selector holds.
  for (int selector : {0, 1}) {
    window.click(ack);
    terminal.setByte("/t1/bx298", 104);
    terminal.setByte("/t1/vek15", static_cast<std::uint8_t>(selector));
    terminal.scriptReads("/t1/bx298", {0, VEKX_NO_ANSWER});
    window.runTicks(1);
    EXPECT_EQ(window.backColour(ack), selector == 0 ? kGreen : kRed) << "selector " << selector;
  }
}

TEST_F(ConsoleTest, OnlyAValueOfOneTicksAnInputAndAFailedReadCopiesItsNeighbour) {
  start();
  const std::uint8_t values[] = {1, 0, 2, 255, 1, 1, 0, 0, 0, 0, 0, 1};
  for (int i = 0; i < 12; ++i) terminal.setByte(kInputFields[i], values[i]);
  window.click(kInputBoxes[1]);  // an operator's click lasts until the next tick
  window.runTicks(1);
  for (int i = 0; i < 12; ++i) EXPECT_EQ(window.isChecked(kInputBoxes[i]), values[i] == 1) << "In" << i + 1;
  for (const char *field : {"/t1/p_101", "/t1/p_108"}) terminal.failReads(field, VEKX_NO_ANSWER);
  window.runTicks(1);
  EXPECT_TRUE(window.isChecked(kInputBoxes[1])) << "In2 copies In1";
  EXPECT_FALSE(window.isChecked(kInputBoxes[4])) << "In5 copies In4";
  terminal.failReads("/t1/p_100", VEKX_NO_ANSWER);
  window.runTicks(1);
  EXPECT_FALSE(window.isChecked(kInputBoxes[0])) << "the word is 0 for the first input";
}

TEST_F(ConsoleTest, ALiteralFillsTheBoxesOfItsSource) {
  struct Row {
    int source, terminator;
    std::string literal;
    const char *terminatorBox, *keyBox, *serialBox;
  };
  const char *noSerial = "VekX Serial Port Number Local Port # 1", *noKey = "Keyboard Buffer";
  const Row rows[] = {
      {0, 8, "00417", "Enter Key", "00417", noSerial},
      {0, 5, "31", "Terminator", "31", noSerial},  // no name: the box keeps its text
      {1, 0, "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ", "Terminator", noKey,
       "0123456789abcdefghijklmnopqrstuvwxyzABCD"},  // cut at 40
      {2, 8, "77", "Terminator", noKey, noSerial},
      // Bytes without glyphs are shown safely: a control byte as U+FFFD, the
      // rest in Windows-1252 (0x80 is the euro), nothing from the NUL on.
      {0, 8, std::string("A\x07\x80\0Z", 5), "Enter Key", "A\uFFFD\u20AC", noSerial},
  };
  for (const Row &r : rows) {
    FakeWindow w;
    FakeTerminal t(w);
    Console c(w, t);
    w.attach(c);
    w.click(controlIdOf("IPupdate"));  // registers whatever the address box holds
    t.setByte("/t1/bx298", 51);
    t.set("/t1/Lit50", r.literal);
    t.setByte("/t1/bx251", static_cast<std::uint8_t>(r.source));
    t.setByte("/t1/bx252", static_cast<std::uint8_t>(r.terminator));
    w.runTicks(1);
    EXPECT_EQ(w.text(controlIdOf("VekTerminator")), r.terminatorBox) << r.literal;
    EXPECT_EQ(w.text(controlIdOf("VekKeyBuffer")), r.keyBox) << r.literal;
    EXPECT_EQ(w.text(controlIdOf("DisplayLine3")), r.source == 0 ? r.keyBox : "KTRV Display Line 3") << r.literal;
    EXPECT_EQ(w.text(controlIdOf("VekSerial1")), r.serialBox) << r.literal;
  }
  // A failed literal read leaves an empty literal.
  start();
  terminal.setByte("/t1/bx298", 51);
  terminal.failReads("/t1/Lit50", VEKX_NO_ANSWER);
  EXPECT_EQ(afterTick("VekKeyBuffer"), "");
}

TEST_F(ConsoleTest, TheLowerDisplayShowsCharactersEightToTwentyFour) {
  start();
  terminal.set("/t1/bd001", "GROSS  000123456789012345678 KG");
  EXPECT_EQ(afterTick("LowerDisplay"), "00012345678901234");
  // Fewer than 8 bytes: nothing to show, unless a literal of this tick is
  // still in the shared buffer behind them, as it is after a failed read.
  terminal.set("/t1/bd001", "ABCD");
  EXPECT_EQ(afterTick("LowerDisplay"), "");
  terminal.setByte("/t1/bx298", 51);
  terminal.setByte("/t1/bx251", 1);
  terminal.set("/t1/Lit50", "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  EXPECT_EQ(afterTick("LowerDisplay"), "789ABCDEFGHIJKLMN");
  terminal.failReads("/t1/bd001", VEKX_NO_ANSWER);
  EXPECT_EQ(afterTick("LowerDisplay"), "789ABCDEFGHIJKLMN");
  terminal.setByte("/t1/bx298", 0);
  EXPECT_EQ(afterTick("LowerDisplay"), "")
      << "a failed read with no literal behind it shows nothing, not the last text";
}

}  // namespace
}  // namespace ktrv::test
