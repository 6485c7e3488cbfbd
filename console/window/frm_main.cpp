#include "frm_main.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTimer>

#include "command_button.h"
#include "control_factory.h"
#include "fonts.h"
#include "window_layout.h"

namespace ktrv {

namespace {

template <typename T>
T *control(QWidget *window, const char *name) {
  T *w = window->findChild<T *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
  Q_ASSERT_X(w != nullptr, "frmMain", name);
  return w;
}

}  // namespace

frmMain::frmMain(QWidget *parent) : QWidget(parent) {
  setObjectName(QString::fromLatin1(layout::kWindowName));
  setWindowTitle(QString::fromLatin1(layout::kWindowTitle));
  // Nothing in the console reacts to a change of size, so the window keeps
  // the size it was designed for.
  setFixedSize(layout::kClientWidth, layout::kClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, resolveColour(layout::kWindowBack, Qt::black));
  pal.setColor(QPalette::WindowText, resolveColour(layout::kWindowFore, Qt::black));
  setPalette(pal);
  setAutoFillBackground(true);
  setFont(makeFont(layout::kWindowFont));

  createControls();
  applyTabOrder();
  createTimers();
  connectHandlers();
  ExitProg->setFocus(Qt::OtherFocusReason);
}

frmMain::~frmMain() = default;

void frmMain::createControls() {
  for (const layout::Control &row : layout::kControls) makeControl(row, this);

  Label2 = control<QLabel>(this, "Label2");
  Label3 = control<QLabel>(this, "Label3");
  LowerLabel = control<QLabel>(this, "LowerLabel");
  FromKtrvLabel = control<QLabel>(this, "FromKtrvLabel");
  VekSerial = control<QLabel>(this, "VekSerial");
  Com1Label = control<QLabel>(this, "Com1Label");
  KeyBuffer = control<QLabel>(this, "KeyBuffer");
  TerminatorLabel = control<QLabel>(this, "TerminatorLabel");
  OutputLabel = control<QLabel>(this, "OutputLabel");
  Label1 = control<QLabel>(this, "Label1");
  Picture1 = control<QLabel>(this, "Picture1");

  IPAddr = control<QLineEdit>(this, "IPAddr");
  DisplayLine1 = control<QLineEdit>(this, "DisplayLine1");
  DisplayLine2 = control<QLineEdit>(this, "DisplayLine2");
  DisplayLine3 = control<QLineEdit>(this, "DisplayLine3");
  txtWeight = control<QLineEdit>(this, "txtWeight");
  LowerDisplay = control<QLineEdit>(this, "LowerDisplay");
  MessageFromKtrv = control<QLineEdit>(this, "MessageFromKtrv");
  VekSerial1 = control<QLineEdit>(this, "VekSerial1");
  VekKeyBuffer = control<QLineEdit>(this, "VekKeyBuffer");
  VekTerminator = control<QLineEdit>(this, "VekTerminator");

  StopEther = control<CommandButton>(this, "StopEther");
  IPupdate = control<CommandButton>(this, "IPupdate");
  UpdateDisplay = control<CommandButton>(this, "UpdateDisplay");
  SingleLineDisp = control<CommandButton>(this, "SingleLineDisp");
  pc_acknowledge = control<CommandButton>(this, "pc_acknowledge");
  TransComplete = control<CommandButton>(this, "TransComplete");
  SendReset = control<CommandButton>(this, "SendReset");
  SerialClear = control<CommandButton>(this, "SerialClear");
  BufFlush = control<CommandButton>(this, "BufFlush");
  OutputsOff = control<CommandButton>(this, "OutputsOff");
  Command1 = control<CommandButton>(this, "Command1");
  ExitProg = control<CommandButton>(this, "ExitProg");

  for (int i = 0; i < kOutputCount; ++i) {
    Out[i] = control<QCheckBox>(this, QStringLiteral("Out%1").arg(i + 1).toLatin1().constData());
  }
  for (int i = 0; i < kInputCount; ++i) {
    In[i] = control<QCheckBox>(this, QStringLiteral("In%1").arg(i + 1).toLatin1().constData());
  }
}

void frmMain::applyTabOrder() {
  QWidget *previous = nullptr;
  for (const char *name : layout::kTabOrder) {
    QWidget *w = control<QWidget>(this, name);
    if (previous != nullptr) setTabOrder(previous, w);
    previous = w;
  }
}

void frmMain::createTimers() {
  tmrVekPoll = new QTimer(this);
  tmrVekPoll->setObjectName(QStringLiteral("tmrVekPoll"));
  tmrVekPoll->setInterval(layout::kPollIntervalMs);

  Delay1 = new QTimer(this);
  Delay1->setObjectName(QStringLiteral("Delay1"));
  Delay1->setTimerType(Qt::PreciseTimer);
  Delay1->setInterval(layout::kDelayInitialIntervalMs);

  tmrVekPoll->start();
}

void frmMain::connectHandlers() {
  connect(tmrVekPoll, &QTimer::timeout, this, &frmMain::tmrVekPoll_Timer);
  connect(Delay1, &QTimer::timeout, this, &frmMain::Delay1_Timer);

  connect(IPupdate, &QPushButton::clicked, this, &frmMain::IPupdate_Click);
  connect(StopEther, &QPushButton::clicked, this, &frmMain::StopEther_Click);
  connect(ExitProg, &QPushButton::clicked, this, &frmMain::ExitProg_Click);
  connect(SerialClear, &QPushButton::clicked, this, &frmMain::SerialClear_Click);

  // A box's handling runs whenever its state changes, by a click or by the
  // console's own code (Clear Outputs relies on this).
  for (int i = 0; i < kOutputCount; ++i) {
    connect(Out[i], &QCheckBox::stateChanged, this, [this, i] { Out_Click(i); });
  }
  connect(OutputsOff, &QPushButton::clicked, this, &frmMain::OutputsOff_Click);
  connect(Command1, &QPushButton::clicked, this, &frmMain::Command1_Click);
  connect(UpdateDisplay, &QPushButton::clicked, this, &frmMain::UpdateDisplay_Click);
  connect(SingleLineDisp, &QPushButton::clicked, this, &frmMain::SingleLineDisp_Click);
  connect(SendReset, &QPushButton::clicked, this, &frmMain::SendReset_Click);
  connect(TransComplete, &QPushButton::clicked, this, &frmMain::TransComplete_Click);
  connect(BufFlush, &QPushButton::clicked, this, &frmMain::BufFlush_Click);
  connect(pc_acknowledge, &QPushButton::clicked, this, &frmMain::pc_acknowledge_Click);
}

// The frame lines are drawn on the window itself, beneath its controls.
void frmMain::paintEvent(QPaintEvent *event) {
  QWidget::paintEvent(event);
  QPainter p(this);
  for (const layout::Line &line : layout::kLines) {
    QPen pen(resolveColour(line.colour, Qt::gray), line.width, Qt::SolidLine, Qt::SquareCap);
    p.setPen(pen);
    p.drawLine(line.x1, line.y1, line.x2, line.y2);
  }
}

}  // namespace ktrv
