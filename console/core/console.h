// The console's logic, whatever window shows it: the handlers of frmMain's
// events and its procedures, each named after its control and event
// (IPupdate_Click, tmrVekPoll_Timer), working on the window through a View
// and on the terminal through the Library. It also owns what the operator
// is told besides the window: failing library calls on standard error, and
// the end for a missing library.
//
// One thread: a front end calls click(), timerTick() and closing() from its
// event loop, and the console calls back into the view, whose
// waitForEvents() may run further events nested inside a waiting command.
// Nothing of a toolkit or of an operating system is seen here.
#ifndef KTRV_CONSOLE_H
#define KTRV_CONSOLE_H

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "failure_reports.h"
#include "library.h"
#include "tick_scratch.h"
#include "view.h"

namespace ktrv {

class Console {
 public:
  static constexpr int kOutputCount = 12;
  static constexpr int kInputCount = 12;

  // Creating the console is creating the window: the poll timer starts.
  // Lines for the operator go to errors.
  Console(View &view, Library &library, ErrorLines errors = writeToStandardError);
  Console(const Console &) = delete;
  Console &operator=(const Console &) = delete;
  ~Console() { library_.onMissing(nullptr); }

  // The operator clicked a control. A check box has already changed its
  // tick; a click on a control without a handler does nothing.
  void click(ControlId control);
  void timerTick(TimerId timer);
  // The window is closing, by Close Program or its own close command: every
  // wait ends, the registration is closed once, no handler runs afterwards.
  void closing();
  bool isClosing() const { return closing_; }

  // The library or one of its functions cannot be found, and the program
  // will end: the message on standard error, the console halted (no tick,
  // click or close reaches the library again), then the message in a box
  // with the window's title until the operator closes it.
  void libraryMissing(const std::string &message);

  // The result of the latest library call, and the count the latest
  // successful read delivered.
  std::int16_t lastResult() const { return LastResult; }
  std::int16_t readLength() const { return ReadLength; }

 private:
  // Connection control.
  void IPupdate_Click();
  void StopEther_Click();
  void ExitProg_Click();
  void SerialClear_Click();

  // Poll cycle.
  void tmrVekPoll_Timer();
  std::string statusToolTip(std::int16_t result, const char *field) const;
  void Update_Inputs();
  void Literal_Handler(TickScratch &scratch);

  // Command mailbox handshake.
  void postCommand(std::uint8_t code);
  void Wait_For_Vek();
  void Delay_Me(std::int16_t milliseconds);
  void Delay1_Timer();

  // Operator commands.
  void Out_Click(int box);  // box 0..11 for Out1..Out12
  void OutputsOff_Click();
  void Command1_Click();
  void UpdateDisplay_Click();
  void SingleLineDisp_Click();
  // The display lines written: their parameter, then the command that shows them.
  void showDisplayLines(std::uint8_t parameter, std::uint8_t command);
  void SendReset_Click();
  void TransComplete_Click();
  void BufFlush_Click();
  void pc_acknowledge_Click();

  // Every wait ends and the timers stop; no handler runs afterwards.
  void halt();

  // The library's calls; each stores its result in LastResult and reports
  // a failure on standard error.
  std::int16_t vekRegisterProcess(std::int16_t processType, const std::string &addressList, std::int32_t count);
  std::int16_t vekCloseProcess();
  std::int16_t vekRead(const char *fieldName, std::int16_t bufferSize, void *buffer);
  std::int16_t vekWrite(const char *fieldName, std::int16_t dataLength, const void *data);

  // A failed call's line on standard error, once (FailureReports), with
  // the call's argument quoted where it has one.
  void report(const char *function, std::optional<std::string_view> argument, vekx_common::ResultOrigin origin,
              const char *field);
  vekx_common::CallContext context(const char *field) const;
  // The status box's tooltip, given to the window only when it changes.
  void showStatusToolTip(const std::string &text);

  View &view_;
  Library &library_;
  FailureReports reports_;
  // The address list of the latest Start, for the causes of failures.
  std::string addressList_;
  std::string statusToolTip_;
  std::int16_t LastResult = 0;
  std::int16_t ReadLength = 0;
  std::uint8_t Delay_Flag = 0;
  // Waits in progress, nested in each other's pauses.
  int waits_ = 0;
  bool closing_ = false;
};

// Out1..Out12 and In1..In12.
inline constexpr std::array<ControlId, Console::kOutputCount> kOutputBoxes{
    controlId("Out1"), controlId("Out2"), controlId("Out3"), controlId("Out4"),  controlId("Out5"),  controlId("Out6"),
    controlId("Out7"), controlId("Out8"), controlId("Out9"), controlId("Out10"), controlId("Out11"), controlId("Out12"),
};
inline constexpr std::array<ControlId, Console::kInputCount> kInputBoxes{
    controlId("In1"), controlId("In2"), controlId("In3"), controlId("In4"),  controlId("In5"),  controlId("In6"),
    controlId("In7"), controlId("In8"), controlId("In9"), controlId("In10"), controlId("In11"), controlId("In12"),
};

}  // namespace ktrv

#endif
