// Start, Stop, Close Program, Clear Message Windows and the window's close
// handling. The console keeps no connection state of its own: what the
// operator sees of the registration is what the next poll tick shows.
#include <QCloseEvent>
#include <QLineEdit>
#include <QTimer>

#include "frm_main.h"
#include "text_box.h"
#include "vekx_binding.h"

namespace ktrv {

namespace {
constexpr std::int16_t kProcessType = 1;
constexpr std::int32_t kAddressCount = 1;
const QString kOneBlank = QStringLiteral(" ");
}  // namespace

void frmMain::IPupdate_Click() {
  vekCloseProcess();
  // The address goes as typed: no trimming, no check of its form.
  vekRegisterProcess(kProcessType, IPAddr->text(), kAddressCount);
}

void frmMain::StopEther_Click() { vekCloseProcess(); }

void frmMain::ExitProg_Click() { close(); }

void frmMain::SerialClear_Click() {
  setBoxText(VekSerial1, kOneBlank);
  setBoxText(VekTerminator, kOneBlank);
  setBoxText(VekKeyBuffer, kOneBlank);
  setBoxText(MessageFromKtrv, kOneBlank);
}

// The close is never refused. A command that is waiting for the terminal
// sees closing_ at the end of its current pause and returns, so every wait
// ends together with the window and no handler touches it afterwards.
void frmMain::closeEvent(QCloseEvent *event) {
  if (!closing_) {
    closing_ = true;
    tmrVekPoll->stop();
    Delay1->stop();
    Delay_Flag = 0;
    vekCloseProcess();
  }
  event->accept();
}

}  // namespace ktrv
