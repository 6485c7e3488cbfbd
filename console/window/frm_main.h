// The console's one window. Its controls, colours and places come from
// window_layout.h; its handlers live beside the subsystem they belong to:
// connection control in window/connection_control.cpp, the poll tick in
// poll/, the operator commands in commands/.
#ifndef KTRV_FRM_MAIN_H
#define KTRV_FRM_MAIN_H

#include <QWidget>

#include <array>
#include <cstdint>

class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;

namespace ktrv {

class CommandButton;
struct TickScratch;

class frmMain : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kOutputCount = 12;
  static constexpr int kInputCount = 12;

  explicit frmMain(QWidget *parent = nullptr);
  ~frmMain() override;

  // 255 while a pause of Delay_Me is in progress.
  std::uint8_t delayFlag() const { return Delay_Flag; }
  // True from the moment the window starts closing; every wait then ends.
  bool isClosing() const { return closing_; }

 protected:
  void closeEvent(QCloseEvent *event) override;
  void paintEvent(QPaintEvent *event) override;

 private:
  void createControls();
  void createFrameLines();
  void createTimers();
  void connectHandlers();
  void applyTabOrder();

  // Connection control.
  void IPupdate_Click();
  void StopEther_Click();
  void ExitProg_Click();
  void SerialClear_Click();

  // Poll cycle.
  void tmrVekPoll_Timer();
  void Update_Inputs();
  void Literal_Handler(TickScratch &scratch);

  // Command mailbox handshake.
  void Wait_For_Vek();
  void Delay_Me(std::int16_t milliseconds);
  void Delay1_Timer();

  // Operator commands.
  void Out_Click(int box);  // box 0..11 for Out1..Out12
  void OutputsOff_Click();
  void Command1_Click();
  void UpdateDisplay_Click();
  void SingleLineDisp_Click();
  void SendReset_Click();
  void TransComplete_Click();
  void BufFlush_Click();
  void pc_acknowledge_Click();
  void postCommand(std::uint8_t code);

  QLabel *Label2 = nullptr, *Label3 = nullptr, *LowerLabel = nullptr, *FromKtrvLabel = nullptr;
  QLabel *VekSerial = nullptr, *Com1Label = nullptr, *KeyBuffer = nullptr, *TerminatorLabel = nullptr;
  QLabel *OutputLabel = nullptr, *Label1 = nullptr, *Picture1 = nullptr;
  QLineEdit *IPAddr = nullptr, *DisplayLine1 = nullptr, *DisplayLine2 = nullptr, *DisplayLine3 = nullptr;
  QLineEdit *txtWeight = nullptr, *LowerDisplay = nullptr, *MessageFromKtrv = nullptr;
  QLineEdit *VekSerial1 = nullptr, *VekKeyBuffer = nullptr, *VekTerminator = nullptr;
  CommandButton *StopEther = nullptr, *IPupdate = nullptr, *UpdateDisplay = nullptr, *SingleLineDisp = nullptr;
  CommandButton *pc_acknowledge = nullptr, *TransComplete = nullptr, *SendReset = nullptr;
  CommandButton *SerialClear = nullptr, *BufFlush = nullptr, *OutputsOff = nullptr, *Command1 = nullptr;
  CommandButton *ExitProg = nullptr;
  std::array<QCheckBox *, kOutputCount> Out{};
  std::array<QCheckBox *, kInputCount> In{};
  QTimer *tmrVekPoll = nullptr;
  QTimer *Delay1 = nullptr;

  std::uint8_t Delay_Flag = 0;
  bool closing_ = false;
};

}  // namespace ktrv

#endif
