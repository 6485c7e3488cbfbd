#include "console.h"

#include <algorithm>

#include "display_text.h"

namespace ktrv {

namespace {
// Every field the console names is node 1's.
constexpr int kNode = 1;
}  // namespace

Console::Console(View &view, Library &library, ErrorLines errors)
    : view_(view), library_(library), reports_(std::move(errors)) {
  library_.onMissing([this](const std::string &message) { libraryMissing(message); });
  view_.startTimer(TimerId::tmrVekPoll, layout::kPollIntervalMs);
}

void Console::click(ControlId control) {
  if (closing_) return;
  const FailureReports::Run run(reports_, layout::kControls[control].text, false);
  // Each control with a handler, by its name in the layout table.
  switch (control) {
    case controlId("IPupdate"):
      return IPupdate_Click();
    case controlId("StopEther"):
      return StopEther_Click();
    case controlId("ExitProg"):
      return ExitProg_Click();
    case controlId("SerialClear"):
      return SerialClear_Click();
    case controlId("OutputsOff"):
      return OutputsOff_Click();
    case controlId("Command1"):
      return Command1_Click();
    case controlId("UpdateDisplay"):
      return UpdateDisplay_Click();
    case controlId("SingleLineDisp"):
      return SingleLineDisp_Click();
    case controlId("SendReset"):
      return SendReset_Click();
    case controlId("TransComplete"):
      return TransComplete_Click();
    case controlId("BufFlush"):
      return BufFlush_Click();
    case controlId("pc_acknowledge"):
      return pc_acknowledge_Click();
    default:
      break;
  }
  const auto out = std::find(kOutputBoxes.begin(), kOutputBoxes.end(), control);
  if (out != kOutputBoxes.end()) Out_Click(static_cast<int>(out - kOutputBoxes.begin()));
}

void Console::timerTick(TimerId timer) {
  if (closing_) return;
  if (timer == TimerId::tmrVekPoll) {
    const FailureReports::Run run(reports_, "poll", true);
    tmrVekPoll_Timer();
  } else {
    Delay1_Timer();
  }
}

void Console::libraryMissing(const std::string &message) {
  reports_.say(message);
  halt();
  view_.showFatalMessage(layout::kWindowTitle, message);
}

// A registration or close names no node; a field names node 1.
vekx_common::CallContext Console::context(const char *field) const {
  return {.address_list = addressList_, .field = field, .node = *field != '\0' ? kNode : 0};
}

void Console::report(const char *function, std::optional<std::string_view> argument, vekx_common::ResultOrigin origin,
                     const char *field) {
  // A poll tick makes some twenty calls: text is made only for a failure.
  if (!FailureReports::isFailure(LastResult)) return;
  const std::string quoted = argument ? "\"" + std::string(*argument) + "\"" : "";
  reports_.after(std::string(function) + "(" + quoted + ")", LastResult, origin, context(field));
}

void Console::showStatusToolTip(const std::string &text) {
  if (text == statusToolTip_) return;
  statusToolTip_ = text;
  view_.setToolTip(controlId("txtWeight"), text);
}

std::int16_t Console::vekRegisterProcess(std::int16_t processType, const std::string &addressList, std::int32_t count) {
  const std::string copy = bytesForTerminal(addressList);  // zero-terminated by c_str()
  LastResult = library_.registerProcess(processType, copy.c_str(), count);
  addressList_ = addressList;
  report("VekRegisterProcess", addressList, vekx_common::ResultOrigin::library, "");
  return LastResult;
}

std::int16_t Console::vekCloseProcess() {
  LastResult = library_.closeProcess();
  report("VekCloseProcess", std::nullopt, vekx_common::ResultOrigin::library, "");
  return LastResult;
}

std::int16_t Console::vekRead(const char *fieldName, std::int16_t bufferSize, void *buffer) {
  LastResult = library_.read(fieldName, bufferSize, buffer, &ReadLength);
  report("VekRead", fieldName, vekx_common::ResultOrigin::read_or_write, fieldName);
  return LastResult;
}

std::int16_t Console::vekWrite(const char *fieldName, std::int16_t dataLength, const void *data) {
  LastResult = library_.write(fieldName, dataLength, data);
  report("VekWrite", fieldName, vekx_common::ResultOrigin::read_or_write, fieldName);
  return LastResult;
}

}  // namespace ktrv
