// Operator commands against the library and the simulated terminal: the
// exact writes of each button and the wait's reads of the command mailbox,
// taken from the terminal's traffic record, and the wait's behaviour with
// the window live (Start, Stop, further clicks, nested pauses, closing).
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <chrono>

#include "console_rig.h"
#include "window/vekx_binding.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;
using ktrv::test::FieldAccess;
using Strings = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

Q_DECLARE_METATYPE(Strings)
Q_DECLARE_METATYPE(std::string)

namespace {

Strings clicked(ConsoleRig &rig, QAbstractButton *button) {
  rig.clearTraffic();
  button->click();
  return test::describe(rig.commandAccesses());
}

std::string hexOf(const std::string &text) {
  std::string out;
  char hex[4];
  for (unsigned char c : text) {
    std::snprintf(hex, sizeof hex, "%02x", c);
    out += hex;
  }
  return out;
}

const QColor kRed(255, 0, 0), kGreen(0, 255, 0);

// The colour a button is drawn with, just inside its edge.
QColor shownColour(QWidget *button) { return button->grab().toImage().pixelColor(4, 4); }

}  // namespace

class tst_commands : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void commandWritesItsCodeAndWaits_data();
  void commandWritesItsCodeAndWaits();
  void outputBoxWritesItsStateEachTime();
  void boxShowsItsNewStateDuringItsWait();
  void clearOutputsUnticksTickedBoxesOneByOne();
  void displayBlocks_data();
  void displayBlocks();
  void singleLineBlanksLineTwo();
  void acknowledgeWritesOnlyTheEventMailbox();

  void commandBeforeStartEndsAfterStart();
  void stopDuringAWaitWaitsForTheNextStart();
  void secondCommandDuringAWaitCompletesFirst();
  void closingDuringAWaitEndsIt();
};

void tst_commands::commandWritesItsCodeAndWaits_data() {
  QTest::addColumn<QString>("button");
  QTest::addColumn<QString>("code");
  QTest::addColumn<int>("delay");
  for (int delay : {0, 350}) {
    const QByteArray d = QByteArray::number(delay);
    QTest::newRow("SendReset " + d) << "SendReset"
                                    << "6c" << delay;
    QTest::newRow("TransComplete " + d) << "TransComplete"
                                        << "6b" << delay;
    QTest::newRow("BufFlush " + d) << "BufFlush"
                                   << "0c" << delay;
    QTest::newRow("Command1 " + d) << "Command1"
                                   << "0f" << delay;
  }
}

void tst_commands::commandWritesItsCodeAndWaits() {
  QFETCH(QString, button);
  QFETCH(QString, code);
  QFETCH(int, delay);
  ConsoleRig rig;
  rig.control("delay " + std::to_string(delay));
  rig.start();
  rig.check("Out3")->setChecked(true);
  rig.clearTraffic();
  rig.button(qPrintable(button))->click();
  const auto traffic = rig.terminal().service().traffic().all();
  std::vector<FieldAccess> accesses;
  for (const auto &a : test::fieldAccesses(traffic)) {
    if (a.write || a.field == "/t1/bx297") accesses.push_back(a);
  }
  QVERIFY(accesses.size() >= 2);
  QCOMPARE(test::describe({accesses[0]}), Strings{"/t1/bx297=" + code.toStdString()});
  // Then only reads of the mailbox, 100 ms or more apart, until one that is
  // not 255 ends the wait.
  for (std::size_t i = 1; i < accesses.size(); ++i) {
    QCOMPARE(accesses[i].field, std::string("/t1/bx297"));
    QVERIFY(!accesses[i].write);
    const int reply = test::replyByte(traffic, "/t1/bx297", accesses[i].sequence);
    if (i + 1 < accesses.size()) {
      QCOMPARE(reply, 255);
      QVERIFY(accesses[i + 1].when - accesses[i].when >= std::chrono::milliseconds(95));
    } else {
      QVERIFY(reply != 255 && reply >= 0);
    }
  }
  if (delay == 0)
    QCOMPARE(accesses.size(), std::size_t{2});
  else
    QVERIFY(accesses.size() >= 3);
  QVERIFY(rig.check("Out3")->isChecked());  // no command touches the boxes
  QVERIFY(!rig.timer("Delay1")->isActive());
  QCOMPARE(rig.window().delayFlag(), std::uint8_t{0});
}

void tst_commands::outputBoxWritesItsStateEachTime() {
  ConsoleRig rig;
  rig.start();
  QCOMPARE(clicked(rig, rig.check("Out5")), (Strings{"/t1/bx205=02", "/t1/bx297=0e", "/t1/bx297"}));
  QVERIFY(rig.check("Out5")->isChecked());
  QCOMPARE(clicked(rig, rig.check("Out5")), (Strings{"/t1/bx205=01", "/t1/bx297=0e", "/t1/bx297"}));
  QVERIFY(!rig.check("Out5")->isChecked());
  // A change made by code raises the handling too.
  rig.clearTraffic();
  rig.check("Out12")->setChecked(true);
  QCOMPARE(test::describe(rig.commandAccesses()), (Strings{"/t1/bx212=02", "/t1/bx297=0e", "/t1/bx297"}));
  // Out1 alone waits for the mailbox before its writes.
  QCOMPARE(clicked(rig, rig.check("Out1")), (Strings{"/t1/bx297", "/t1/bx201=02", "/t1/bx297=0e", "/t1/bx297"}));
}

// What the window shows of a box on the screen while its handling waits
// for the terminal is the box's new state: the screen's copy of the box
// equals a fresh rendering of it.
void tst_commands::boxShowsItsNewStateDuringItsWait() {
  auto options = test::quietTerminal();
  options.command_delay = std::chrono::milliseconds(600);
  ConsoleRig rig(options);
  rig.start();
  QCheckBox *box = rig.check("Out5");
  auto shownAsItIs = [&] {
    const QImage onScreen = rig.window()
                                .screen()
                                ->grabWindow(rig.window().winId(), box->x(), box->y(), box->width(), box->height())
                                .toImage()
                                .convertToFormat(QImage::Format_RGB32);
    return onScreen == box->grab().toImage().convertToFormat(QImage::Format_RGB32);
  };
  for (bool tick : {true, false}) {
    bool checkedDuringWait = false, shownDuringWait = false;
    QTimer::singleShot(300, &rig.window(), [&] {
      checkedDuringWait = box->isChecked();
      shownDuringWait = shownAsItIs();
    });
    if (tick) {
      QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());  // returns after the wait
    } else {
      box->setChecked(false);  // as Clear Outputs does
    }
    QCOMPARE(checkedDuringWait, tick);
    QVERIFY(shownDuringWait);
  }
}

void tst_commands::clearOutputsUnticksTickedBoxesOneByOne() {
  ConsoleRig rig;
  rig.start();
  Strings expected;
  for (int i = 201; i <= 212; ++i) expected.push_back("/t1/bx" + std::to_string(i) + "=01");
  expected.insert(expected.end(), {"/t1/bx297=0e", "/t1/bx297"});
  QCOMPARE(clicked(rig, rig.button("OutputsOff")), expected);  // none ticked

  rig.check("Out1")->setChecked(true);
  rig.check("Out7")->setChecked(true);
  expected.insert(expected.end(), {"/t1/bx297", "/t1/bx201=01", "/t1/bx297=0e", "/t1/bx297",  // Out1
                                   "/t1/bx207=01", "/t1/bx297=0e", "/t1/bx297"});             // Out7
  QCOMPARE(clicked(rig, rig.button("OutputsOff")), expected);
  for (int i = 1; i <= 12; ++i) QVERIFY(!rig.check(qPrintable(QStringLiteral("Out%1").arg(i)))->isChecked());
}

// The boxes go out as a 40-byte and a 20-byte block, each line cut at 20
// characters and padded with spaces, in the single-byte code page.
void tst_commands::displayBlocks_data() {
  QTest::addColumn<QString>("line1");
  QTest::addColumn<QString>("line2");
  QTest::addColumn<QString>("line3");
  QTest::addColumn<std::string>("lit01");
  QTest::addColumn<std::string>("lit02");
  QTest::newRow("texts at start") << "KTRV Display Line 1 "
                                  << "KTRV Display Line 2"
                                  << "KTRV Display Line 3" << std::string("KTRV Display Line 1 KTRV Display Line 2 ")
                                  << std::string("KTRV Display Line 3 ");
  QTest::newRow("empty boxes") << ""
                               << ""
                               << "" << std::string(40, ' ') << std::string(20, ' ');
  QTest::newRow("25 characters") << "ABCDEFGHIJKLMNOPQRSTUVWXY"
                                 << "abcdefghijklmnopqrstuvwxy"
                                 << "0123456789012345678901234"
                                 << std::string("ABCDEFGHIJKLMNOPQRSTabcdefghijklmnopqrst")
                                 << std::string("01234567890123456789");
  QTest::newRow("single-byte code page") << QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC 5")
                                         << QString::fromUtf8("\xE2\x9C\x93") << "x"
                                         << "Caf\xE9 \x80 5            ?" + std::string(19, ' ')
                                         << "x" + std::string(19, ' ');
}

void tst_commands::displayBlocks() {
  QFETCH(QString, line1);
  QFETCH(QString, line2);
  QFETCH(QString, line3);
  QFETCH(std::string, lit01);
  QFETCH(std::string, lit02);
  ConsoleRig rig;
  rig.start();
  rig.box("DisplayLine1")->setText(line1);
  rig.box("DisplayLine2")->setText(line2);
  rig.box("DisplayLine3")->setText(line3);
  QCOMPARE(clicked(rig, rig.button("UpdateDisplay")), (Strings{"/t1/Lit01=" + hexOf(lit01), "/t1/Lit02=" + hexOf(lit02),
                                                               "/t1/bx201=78", "/t1/bx297=02", "/t1/bx297"}));
  QCOMPARE(rig.box("DisplayLine1")->text(), line1);  // boxes keep their texts
}

void tst_commands::singleLineBlanksLineTwo() {
  ConsoleRig rig;
  rig.start();
  rig.check("Out1")->setChecked(true);
  rig.button("UpdateDisplay")->click();
  rig.box("DisplayLine1")->setText(QStringLiteral("SHORT"));
  QCOMPARE(clicked(rig, rig.button("SingleLineDisp")), (Strings{"/t1/Lit01=" + hexOf("SHORT" + std::string(35, ' ')),
                                                                "/t1/bx201=28", "/t1/bx297=01", "/t1/bx297"}));
  const auto lit01 = rig.terminal().service().fields().get("/t1/Lit01");
  QVERIFY(lit01.has_value());
  QCOMPARE(std::string(lit01->begin() + 20, lit01->end()), std::string(20, ' '));
  // Output 1's field now carries the parameter; its box keeps its own state.
  QVERIFY(rig.terminal().service().fields().get("/t1/bx201") == std::vector<std::uint8_t>{40});
  QVERIFY(rig.check("Out1")->isChecked());
}

void tst_commands::acknowledgeWritesOnlyTheEventMailbox() {
  ConsoleRig rig;
  rig.control("event 110");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.button("pc_acknowledge")->backColour(), kRed);

  rig.clearTraffic();
  rig.button("pc_acknowledge")->click();
  QCOMPARE(test::describe(rig.accesses()), Strings{"/t1/bx298=00"});
  QCOMPARE(shownColour(rig.button("pc_acknowledge")), kGreen);
  QCOMPARE(rig.button("pc_acknowledge")->palette().color(QPalette::Button), kGreen);
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("PC Acknowledge"));
  QVERIFY(rig.waitTicks(2));
  QCOMPARE(rig.button("pc_acknowledge")->backColour(), kGreen);  // no event pending

  rig.control("event 54");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(shownColour(rig.button("pc_acknowledge")), kRed);
  QCOMPARE(rig.button("pc_acknowledge")->palette().color(QPalette::Button), kRed);
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
}

void tst_commands::commandBeforeStartEndsAfterStart() {
  ConsoleRig rig;
  bool liveDuringWait = false;
  QTimer::singleShot(900, &rig.window(), [&] {
    liveDuringWait = rig.box("txtWeight")->text() == QStringLiteral("STOPPED, STATUS=-2");
    rig.start();
  });
  const Strings accesses = clicked(rig, rig.button("BufFlush"));
  QVERIFY(liveDuringWait);  // poll ticks ran inside the wait
  // The code's write failed before Start and is not sent again.
  QCOMPARE(accesses, Strings{"/t1/bx297"});
}

void tst_commands::stopDuringAWaitWaitsForTheNextStart() {
  ConsoleRig rig;
  rig.control("delay 600000");  // the mailbox reads 255 until released below
  rig.start();
  std::size_t accessesWhileStopped = 99;
  bool startPressed = false;
  QTimer::singleShot(400, &rig.window(), [&] {
    rig.button("StopEther")->click();
    rig.clearTraffic();
  });
  QTimer::singleShot(1000, &rig.window(), [&] {
    accessesWhileStopped = rig.accesses().size();
    rig.control("setbyte bx297 0");
    rig.start();
    startPressed = true;
  });
  rig.button("SendReset")->click();
  QVERIFY(startPressed);
  QCOMPARE(accessesWhileStopped, std::size_t{0});
  const auto after = test::describe(rig.commandAccesses());
  QCOMPARE(after, Strings{"/t1/bx297"});
}

void tst_commands::secondCommandDuringAWaitCompletesFirst() {
  ConsoleRig rig;
  rig.control("delay 350");
  rig.start();
  std::vector<Clock::time_point> delayTicks;
  connect(rig.timer("Delay1"), &QTimer::timeout, this, [&] { delayTicks.push_back(Clock::now()); });
  bool outerReturned = false;
  bool innerReturnedFirst = false;
  Clock::time_point innerReturn;
  QTimer::singleShot(150, &rig.window(), [&] {
    rig.button("SendReset")->click();
    innerReturn = Clock::now();
    innerReturnedFirst = !outerReturned;
  });
  rig.clearTraffic();
  rig.button("TransComplete")->click();
  outerReturned = true;
  QVERIFY(innerReturnedFirst);

  const auto accesses = rig.commandAccesses();
  const Strings described = test::describe(accesses);
  QCOMPARE(described.front(), std::string("/t1/bx297=6b"));
  const auto reset = std::find(described.begin(), described.end(), "/t1/bx297=6c");
  QVERIFY(reset != described.end());
  QVERIFY(reset - described.begin() >= 2);  // the first wait had begun reading

  // Nested pauses end at one tick: the outer wait reads again before Delay1
  // ticks once more.
  auto nextRead = std::find_if(accesses.begin(), accesses.end(),
                               [&](const FieldAccess &a) { return a.when > innerReturn && !a.write; });
  QVERIFY(nextRead != accesses.end());
  const auto nextTick = std::find_if(delayTicks.begin(), delayTicks.end(), [&](auto t) { return t > innerReturn; });
  QVERIFY(nextTick == delayTicks.end() || nextRead->when < *nextTick);
  QVERIFY(!rig.timer("Delay1")->isActive());
  QCOMPARE(rig.window().delayFlag(), std::uint8_t{0});
}

void tst_commands::closingDuringAWaitEndsIt() {
  ConsoleRig rig;
  rig.control("setbyte bx297 255");  // the mailbox never answers
  rig.start();
  Clock::time_point closedAt;
  QTimer::singleShot(500, &rig.window(), [&] {
    rig.window().close();
    closedAt = Clock::now();
  });
  rig.check("Out1")->setChecked(true);  // two waits: the first never ends by itself
  const auto returnedAt = Clock::now();
  QVERIFY(rig.window().isClosing());
  QVERIFY(!rig.window().isVisible());
  QCOMPARE(LastResult, std::int16_t{0});  // the close's result, and no call after it
  for (const auto &a : rig.accesses()) QVERIFY(a.when <= closedAt);
  QVERIFY(returnedAt >= closedAt);
  // Out1's own writes never ran: the wait before them ended with the window.
  for (const auto &a : rig.accesses()) QVERIFY(a.field != "/t1/bx201");
}

QTEST_MAIN(tst_commands)
#include "tst_commands.moc"
