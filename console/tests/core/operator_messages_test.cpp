// What the operator is told besides the window's texts: the status box's
// tooltip, failing calls on standard error, and a missing library's end.
#include "console_fixture.h"
#include "loopback_udp.h"
#include "result_meanings.h"
#include "vekxapi.h"

namespace ktrv::test {
namespace {

class OperatorMessages : public ConsoleTest {
 protected:
  void SetUp() override { vekx_test::use_ports(1701, 1701); }
  std::string toolTip() const { return window.toolTip(controlIdOf("txtWeight")); }
};

TEST_F(OperatorMessages, TheStatusBoxsToolTipSaysWhatItsCodeMeans) {
  window.runTicks(1);
  EXPECT_EQ(toolTip(), std::string("-2 not registered.\n") +
                           vekx_common::result_meaning(vekx_common::Origin::library, -2)->details);
  start();
  window.runTicks(1);
  EXPECT_EQ(toolTip(), "") << "a weight needs no words";
  terminal.failReads("/t1/wt101", VEKX_NO_ANSWER);
  window.runTicks(1);
  EXPECT_NE(toolTip().find("each poll tick waits out all 16 of its reads, up to 1.8 s each"), std::string::npos)
      << "a silent terminal's status says why the window is slow: " << toolTip();
}

// A failure that lasts is said once, not every 300 ms; a changed result,
// or one that comes back, is said again. -2 before Start is the idle state.
TEST_F(OperatorMessages, FailingCallsAreToldOnStandardErrorOnceWithTheirCause) {
  window.runTicks(2);  // -2: no report
  vekx_test::set_environment("VEKX_LOCAL_PORT", "abc");
  terminal.setRegistrationResult(VEKX_BAD_ARGUMENT);
  start();
  vekx_test::set_environment("VEKX_LOCAL_PORT", "1701");
  terminal.setRegistrationResult(VEKX_BAD_ADDRESS);
  start("127.0.0.l");
  terminal.setRegistrationResult(VEKX_OK);
  start();
  for (const auto &[result, ticks] :
       {std::pair{VEKX_NO_ANSWER, 3}, {VEKX_WSAEADDRINUSE, 2}, {0, 1}, {VEKX_NO_ANSWER, 2}}) {
    terminal.failReads("/t1/wt101", static_cast<std::int16_t>(result));
    window.runTicks(ticks);
  }
  const std::string weightRead = "KTRVtest: poll: VekRead(\"/t1/wt101\"): ";
  const std::string start = "KTRVtest: Start: VekRegisterProcess(";
  EXPECT_EQ(errors,
            (Strings{
                start + "\"127.0.0.1\"): 2 bad argument: VEKX_LOCAL_PORT=abc is not a port number from 1 to 65520",
                start + "\"127.0.0.l\"): 5 the address breaks the rules",
                weightRead + "1 no usable answer from 127.0.0.1:1701 or terminal status 1",
                weightRead + "10048 local UDP port 1701 is in use by another program (a console, vekx or "
                             "vekxsim?); set VEKX_LOCAL_PORT to a free port",
                weightRead + "1 no usable answer from 127.0.0.1:1701 or terminal status 1",
            }));
}

TEST_F(OperatorMessages, AMissingLibraryHaltsTheConsoleBeforeItsMessageShows) {
  start();
  window.runTicks(1);
  console.libraryMissing("The library is missing.");
  EXPECT_EQ(window.shownMessages, Strings{"TEST KTRV: The library is missing."})
      << "titled as the window, shown with the poll stopped";
  terminal.clearCalls();
  window.click(controlIdOf("SendReset"));
  window.runFor(1000);
  EXPECT_TRUE(terminal.calls().empty()) << "no tick or click reaches the library";
}

}  // namespace
}  // namespace ktrv::test
