// The Qt console end to end: the real library over loopback UDP to the
// simulated terminal, with the terminal's traffic record as the truth.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "console_rig.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;
using Strings = std::vector<std::string>;

class tst_console : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void beforeStartNothingReachesTheTerminal();
  void afterStartTheWindowShowsTheTerminal();
  void aCommandsHandshakeOnTheWire();
  void aFieldThatStopsAnsweringIsShownAndRecovers();
};

void tst_console::beforeStartNothingReachesTheTerminal() {
  ConsoleRig rig;
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, PRESS START"));
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=-2"));
  QVERIFY(rig.accesses().empty());
}

void tst_console::afterStartTheWindowShowsTheTerminal() {
  auto options = test::quietTerminal();
  options.weight = 12.5;
  options.power_up = true;
  ConsoleRig rig(options);
  rig.control("input 3 1");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:   12.50 lb"));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("KTRV READY       "));
  QCOMPARE(rig.box("MessageFromKtrv")->text(), QStringLiteral("POWER UP !"));
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
  QVERIFY(rig.check("In3")->isChecked());
  const auto tick = rig.oneTick();
  QCOMPARE(tick.size(), std::size_t{17});
  for (const auto &a : tick) QVERIFY2(!a.write, "the poll writes no field");

  rig.clearTraffic();
  rig.button("pc_acknowledge")->click();
  QCOMPARE(test::describe(rig.commandAccesses()), Strings{"/t1/bx298=00"});
}

void tst_console::aCommandsHandshakeOnTheWire() {
  ConsoleRig rig;
  rig.control("delay 350");
  rig.start();
  rig.clearTraffic();
  rig.button("SendReset")->click();
  const auto traffic = rig.terminal().service().traffic().all();
  const auto accesses = rig.commandAccesses();
  QVERIFY(accesses.size() >= 3);
  QCOMPARE(test::describe({accesses[0]}), Strings{"/t1/bx297=6c"});
  // Then only reads of the mailbox, 100 ms or more apart, 255 until the
  // last, which ends the wait.
  for (std::size_t i = 1; i < accesses.size(); ++i) {
    QCOMPARE(test::describe({accesses[i]}), Strings{"/t1/bx297"});
    const int reply = test::replyByte(traffic, "/t1/bx297", accesses[i].sequence);
    QCOMPARE(reply == 255, i + 1 < accesses.size());
    if (i > 1) QVERIFY(accesses[i].when - accesses[i - 1].when >= std::chrono::milliseconds(95));
  }
}

// The terminal stops answering the weight's reads: the library gives up
// after its three attempts, the window says so, and the weight comes back
// with the answers.
void tst_console::aFieldThatStopsAnsweringIsShownAndRecovers() {
  auto options = test::quietTerminal();
  options.weight = 7.25;
  ConsoleRig rig(options);
  rig.start();
  QVERIFY(rig.waitTicks(1));
  rig.control("fieldsilent wt101 on");
  QTRY_COMPARE_WITH_TIMEOUT(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=1"), 10000);
  rig.control("fieldsilent wt101 off");
  QTRY_COMPARE_WITH_TIMEOUT(rig.box("txtWeight")->text(), QStringLiteral("G:    7.25 lb"), 10000);
}

QTEST_MAIN(tst_console)
#include "tst_console.moc"
