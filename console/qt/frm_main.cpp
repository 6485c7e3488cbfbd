#include "frm_main.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QTextDocument>
#include <QTimer>

#include "command_button.h"
#include "control_factory.h"
#include "fatal_message.h"
#include "fonts.h"

namespace ktrv {

namespace {

constexpr ControlId kWholeTextBox = controlId(layout::kWholeTextBox);

QColor qColour(std::uint32_t rgb) { return QColor::fromRgb(static_cast<QRgb>(rgb)); }
std::uint32_t rgbOf(const QColor &c) { return static_cast<std::uint32_t>(c.rgb() & 0xFFFFFF); }

// The palette roles of a control's background and text.
QPalette::ColorRole backRole(const QWidget *w) {
  return qobject_cast<const QLineEdit *>(w) ? QPalette::Base : QPalette::Window;
}
QPalette::ColorRole foreRole(const QWidget *w) {
  if (qobject_cast<const QLineEdit *>(w)) return QPalette::Text;
  if (qobject_cast<const CommandButton *>(w)) return QPalette::ButtonText;
  return QPalette::WindowText;
}

}  // namespace

frmMain::frmMain(Library &library, QWidget *parent) : QWidget(parent) {
  setObjectName(QString::fromLatin1(layout::kWindowName));
  setWindowTitle(QString::fromUtf8(layout::kWindowTitle));
  // Nothing in the console reacts to a change of size, so the window keeps
  // the size of its layout.
  setFixedSize(layout::kClientWidth, layout::kClientHeight);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, resolveColour(layout::kWindowBack, Qt::black));
  pal.setColor(QPalette::WindowText, resolveColour(layout::kWindowFore, Qt::black));
  setPalette(pal);
  setAutoFillBackground(true);
  setFont(makeFont(layout::kWindowFont));

  createControls();
  applyTabOrder();

  tmrVekPoll_ = new QTimer(this);
  tmrVekPoll_->setObjectName(QStringLiteral("tmrVekPoll"));
  Delay1_ = new QTimer(this);
  Delay1_->setObjectName(QStringLiteral("Delay1"));
  Delay1_->setTimerType(Qt::PreciseTimer);

  console_ = std::make_unique<Console>(*this, library);
  connect(tmrVekPoll_, &QTimer::timeout, this, [this] { console_->timerTick(TimerId::tmrVekPoll); });
  connect(Delay1_, &QTimer::timeout, this, [this] { console_->timerTick(TimerId::Delay1); });
  // A click reaches the console after the toolkit has toggled a check box.
  for (ControlId id = 0; id < controls_.size(); ++id) {
    if (auto *button = qobject_cast<QAbstractButton *>(controls_[id]))
      connect(button, &QAbstractButton::clicked, this, [this, id] { console_->click(id); });
  }
  controls_[kInitialFocus]->setFocus(Qt::OtherFocusReason);
}

// A close during a wait has put the usual cursor back; a window destroyed
// without closing (a test's) does it here.
frmMain::~frmMain() {
  if (waitCursor_) QGuiApplication::restoreOverrideCursor();
}

void frmMain::createControls() {
  for (ControlId id = 0; id < controls_.size(); ++id) controls_[id] = makeControl(layout::kControls[id], this);
}

void frmMain::applyTabOrder() {
  QWidget *previous = nullptr;
  for (const char *name : layout::kTabOrder) {
    QWidget *w = findChild<QWidget *>(QString::fromLatin1(name), Qt::FindDirectChildrenOnly);
    if (previous != nullptr) setTabOrder(previous, w);
    previous = w;
  }
}

QTimer *frmMain::timer(TimerId timer) const { return timer == TimerId::tmrVekPoll ? tmrVekPoll_ : Delay1_; }

std::string frmMain::text(ControlId control) const {
  const QWidget *w = controls_[control];
  if (auto *box = qobject_cast<const QLineEdit *>(w)) return box->text().toStdString();
  if (auto *button = qobject_cast<const QAbstractButton *>(w)) return button->text().toStdString();
  if (auto *label = qobject_cast<const QLabel *>(w)) return label->text().toStdString();
  return {};
}

void frmMain::setText(ControlId control, const std::string &text) {
  QWidget *w = controls_[control];
  const QString t = QString::fromStdString(text);
  if (auto *box = qobject_cast<QLineEdit *>(w)) {
    // A fresh text is shown from its first character, as in an edit box:
    // a text longer than the box shows its start, not its tail.
    if (control == kWholeTextBox) {
      const QFont fitting = fontShowingWhole(*box, layout::kControls[control].font, t);
      if (fitting != box->font()) box->setFont(fitting);
    }
    box->setText(t);
    box->setCursorPosition(0);
  } else if (auto *button = qobject_cast<QAbstractButton *>(w)) {
    button->setText(t);
  } else if (auto *label = qobject_cast<QLabel *>(w)) {
    label->setText(t);
  }
}

std::uint32_t frmMain::backColour(ControlId control) const {
  const QWidget *w = controls_[control];
  if (auto *button = qobject_cast<const CommandButton *>(w)) return rgbOf(button->backColour());
  return rgbOf(w->palette().color(backRole(w)));
}

void frmMain::setBackColour(ControlId control, std::uint32_t rgb) {
  QWidget *w = controls_[control];
  if (auto *button = qobject_cast<CommandButton *>(w)) {
    button->setBackColour(qColour(rgb));
    return;
  }
  QPalette pal = w->palette();
  pal.setColor(backRole(w), qColour(rgb));
  w->setPalette(pal);
}

std::uint32_t frmMain::foreColour(ControlId control) const {
  const QWidget *w = controls_[control];
  return rgbOf(w->palette().color(foreRole(w)));
}

void frmMain::setForeColour(ControlId control, std::uint32_t rgb) {
  QWidget *w = controls_[control];
  QPalette pal = w->palette();
  pal.setColor(foreRole(w), qColour(rgb));
  w->setPalette(pal);
}

bool frmMain::isChecked(ControlId control) const {
  auto *box = qobject_cast<const QCheckBox *>(controls_[control]);
  return box != nullptr && box->isChecked();
}

void frmMain::setChecked(ControlId control, bool checked) {
  if (auto *box = qobject_cast<QCheckBox *>(controls_[control])) box->setChecked(checked);
}

void frmMain::startTimer(TimerId which, int intervalMs) {
  QTimer *t = timer(which);
  t->setInterval(intervalMs);
  t->start();
}

void frmMain::stopTimer(TimerId which) { timer(which)->stop(); }

void frmMain::waitForEvents() { QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents); }

void frmMain::requestClose() { close(); }

// The window is the program's only one: the application's cursor is the
// window's, over every control.
void frmMain::showWaiting(bool waiting) {
  if (waiting == waitCursor_) return;
  waitCursor_ = waiting;
  if (waiting)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

// As rich text, a tip breaks its long lines instead of running off the screen.
void frmMain::setToolTip(ControlId control, const std::string &text) {
  const QString plain = QString::fromStdString(text);
  controls_[control]->setToolTip(plain.isEmpty() ? plain : Qt::convertFromPlainText(plain, Qt::WhiteSpaceNormal));
}

void frmMain::showFatalMessage(const std::string &title, const std::string &message) {
  ktrv::showFatalMessage(QString::fromStdString(title), QString::fromStdString(message));
}

void frmMain::closeEvent(QCloseEvent *event) {
  console_->closing();
  event->accept();
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
