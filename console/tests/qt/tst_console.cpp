// The Qt console end to end: the real library over loopback UDP to the
// simulated terminal, with the terminal's traffic record as the truth.
#include <QApplication>
#include <QTest>

#include "console_rig.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;
using Strings = std::vector<std::string>;

class tst_console : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void afterStartTheWindowShowsTheTerminalAndCommandsReachIt();
};

// What the window shows after Start, then the acknowledge and a command
// as the terminal receives them.
void tst_console::afterStartTheWindowShowsTheTerminalAndCommandsReachIt() {
  auto options = test::quietTerminal();
  options.weight = 12.5;
  options.power_up = true;
  ConsoleRig rig(options);
  rig.control("input 3 1");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=-2"));
  QVERIFY(rig.requests().empty());
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:   12.50 lb"));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("KTRV READY       "));
  QCOMPARE(rig.box("MessageFromKtrv")->text(), QStringLiteral("POWER UP !"));
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
  QVERIFY(rig.check("In3")->isChecked());

  rig.clearTraffic();
  rig.button("pc_acknowledge")->click();
  QCOMPARE(rig.requests(), Strings{"/t1/bx298=00"});
  // The poll goes on inside the wait, so only the command's own traffic counts.
  rig.control("delay 350");
  rig.clearTraffic();
  rig.clickAndWait("SendReset");
  Strings command;
  for (const auto &r : rig.requests())
    if (r.rfind("/t1/bx297", 0) == 0) command.push_back(r);
  QVERIFY(command.size() >= 3);  // the write, then reads while the mailbox reads 255
  QCOMPARE(command.front(), std::string("/t1/bx297=6c"));
  QCOMPARE(std::count(command.begin(), command.end(), "/t1/bx297"), static_cast<long>(command.size() - 1));
  QCOMPARE(rig.terminal().control("events"), std::string("mailbox 108, queued: none"));
}

QTEST_MAIN(tst_console)
#include "tst_console.moc"
