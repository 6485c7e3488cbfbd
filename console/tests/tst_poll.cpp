// The poll tick against the library and the simulated terminal: the fields
// one tick reads (from the terminal's traffic record), the weight, the
// event mailbox with its colours and the acknowledge request, the inputs,
// the literal and the lower display, and what failed reads leave behind.
#include <QApplication>
#include <algorithm>
#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

#include "console_rig.h"
#include "window/vekx_binding.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;

namespace {

const std::vector<std::string> kInputReads{"/t1/p_100", "/t1/p_101", "/t1/p_102", "/t1/p_103",
                                           "/t1/p_108", "/t1/p_109", "/t1/p_10a", "/t1/p_10b",
                                           "/t1/p_10c", "/t1/p_10d", "/t1/p_10e", "/t1/p_10f"};

std::vector<std::string> tickOf(std::vector<std::string> head) {
  head.insert(head.end(), kInputReads.begin(), kInputReads.end());
  head.push_back("/t1/bd001");
  return head;
}

QColor base(QLineEdit *box) { return box->palette().color(QPalette::Base); }
QString noKeyText() { return QStringLiteral("Keyboard Buffer"); }

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kWhite(255, 255, 255);

}  // namespace

Q_DECLARE_METATYPE(std::vector<std::string>)

class tst_poll : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void oneTickReadsTheseFieldsInOrder_data();
  void oneTickReadsTheseFieldsInOrder();
  void selectorChoosesTheWeightField_data();
  void selectorChoosesTheWeightField();
  void weightTextIsCutAtThirteenCharacters();
  void failedWeightReadShowsItsStatus_data();
  void failedWeightReadShowsItsStatus();

  void eventCodesShowTheirMessage_data();
  void eventCodesShowTheirMessage();
  void acknowledgedEventLeavesTextOnWhite();

  void inputValueOneTicksTheIndicator_data();
  void inputValueOneTicksTheIndicator();
  void failedInputReadCopiesItsNeighbour();

  void literalFillsTheBoxesOfItsSource_data();
  void literalFillsTheBoxesOfItsSource();
  void literalOverwritesTypedDisplayLine3();
  void longTextsAreShownFromTheirStart();
  void bytesWithoutGlyphsAreShownSafely();
  void literalSurvivesAShortLowerDisplayRead();
  void lowerDisplayShowsCharactersEightToTwentyFour();
};

void tst_poll::oneTickReadsTheseFieldsInOrder_data() {
  QTest::addColumn<QStringList>("setup");
  QTest::addColumn<std::vector<std::string>>("expected");
  QTest::newRow("no event: 16 reads") << QStringList{} << tickOf({"/t1/vek15", "/t1/wt101", "/t1/bx298"});
  QTest::newRow("ordinary event: 17 reads")
      << QStringList{"event 104"} << tickOf({"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/bx298"});
  QTest::newRow("literal from the keyboard: 20 reads")
      << QStringList{"key 123 enter"}
      << tickOf({"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx252", "/t1/bx298"});
  QTest::newRow("literal from the serial port: 19 reads")
      << QStringList{"serial 4711"}
      << tickOf({"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx298"});
  QTest::newRow("literal from source 2: 19 reads")
      << QStringList{"key 123 enter", "setbyte bx251 2"}
      << tickOf({"/t1/vek15", "/t1/wt101", "/t1/bx298", "/t1/Lit50", "/t1/bx251", "/t1/bx298"});
}

void tst_poll::oneTickReadsTheseFieldsInOrder() {
  QFETCH(QStringList, setup);
  QFETCH(std::vector<std::string>, expected);
  ConsoleRig rig;
  for (const QString &line : setup) rig.control(line.toStdString());
  rig.start();
  const auto tick = rig.oneTick();
  for (const auto &a : tick) QVERIFY2(!a.write, "the poll writes no field");
  QCOMPARE(test::describe(tick), expected);
}

void tst_poll::selectorChoosesTheWeightField_data() {
  QTest::addColumn<QString>("setup");
  QTest::addColumn<QString>("field");
  QTest::newRow("0") << "select 0"
                     << "/t1/wt101";
  QTest::newRow("1") << "select 1"
                     << "/t1/wt101";
  QTest::newRow("2") << "select 2"
                     << "/t1/wt501";
  QTest::newRow("255") << "select 255"
                       << "/t1/wt501";
  // The failed read leaves the selector at 0; the weight still shows.
  QTest::newRow("failed selector read") << "fieldsilent vek15 on"
                                        << "/t1/wt101";
}

void tst_poll::selectorChoosesTheWeightField() {
  QFETCH(QString, setup);
  QFETCH(QString, field);
  auto options = test::quietTerminal();
  options.weight = 7.25;
  ConsoleRig rig(options);
  rig.control("select 2");  // so that a failed read has something to fall back from
  rig.control(setup.toStdString());
  rig.start();
  const auto tick = rig.oneTick();
  auto weightRead =
      std::find_if(tick.begin(), tick.end(), [](const auto &a) { return a.field.rfind("/t1/wt", 0) == 0; });
  QVERIFY(weightRead != tick.end());
  QCOMPARE(QString::fromStdString(weightRead->field), field);
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:    7.25 lb"));
}

void tst_poll::weightTextIsCutAtThirteenCharacters() {
  ConsoleRig rig;
  // The scale model writes at most 8 characters; hold the field still.
  rig.terminal().service().on_read(nullptr);
  rig.control("set wt101 ABCDEFGHIJKLMNOP");  // 16 characters
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:ABCDEFGHIJKLM lb"));
  rig.control("set wt101 12.5");  // 4 bytes delivered
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:12.5 lb"));
}

void tst_poll::failedWeightReadShowsItsStatus_data() {
  QTest::addColumn<QString>("fault");
  QTest::addColumn<QString>("shown");
  QTest::newRow("terminal status") << "fieldstatus wt101 7"
                                   << "STOPPED, STATUS=7";
  QTest::newRow("no answer") << "fieldsilent wt101 on"
                             << "STOPPED, STATUS=1";
}

void tst_poll::failedWeightReadShowsItsStatus() {
  QFETCH(QString, fault);
  QFETCH(QString, shown);
  ConsoleRig rig;
  rig.control("input 1 1");
  rig.control(fault.toStdString());
  rig.start();
  QVERIFY(rig.waitTicks(1, 10000));
  QCOMPARE(rig.box("txtWeight")->text(), shown);
  QVERIFY(rig.check("In1")->isChecked());  // the tick went on to the end
}

void tst_poll::eventCodesShowTheirMessage_data() {
  QTest::addColumn<int>("code");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QColor>("colour");
  QTest::newRow("54") << 54 << "POWER UP !" << kGreen;
  QTest::newRow("102") << 102 << "Scale at 0" << kBlue;
  QTest::newRow("104") << 104 << "OK To Weigh" << kGreen;
  QTest::newRow("105") << 105 << "Barriers Closed" << kBlue;
  QTest::newRow("108") << 108 << "KTRV Reset" << kRed;
  QTest::newRow("109") << 109 << "Sequence Error" << kRed;
  QTest::newRow("110") << 110 << "Weigh Complete" << kGreen;
  QTest::newRow("52 unknown") << 52 << "Unknown Command" << kRed;
  QTest::newRow("255 unknown") << 255 << "Unknown Command" << kRed;
}

void tst_poll::eventCodesShowTheirMessage() {
  QFETCH(int, code);
  QFETCH(QString, text);
  QFETCH(QColor, colour);
  ConsoleRig rig;
  rig.control("event " + std::to_string(code));
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("MessageFromKtrv")->text(), text);
  QCOMPARE(base(rig.box("MessageFromKtrv")), colour);
  QCOMPARE(rig.button("pc_acknowledge")->backColour(), kRed);
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
}

void tst_poll::acknowledgedEventLeavesTextOnWhite() {
  ConsoleRig rig;
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.button("pc_acknowledge")->backColour(), kGreen);  // code 0: untouched
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("PC Acknowledge"));

  rig.control("event 105");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(base(rig.box("MessageFromKtrv")), kBlue);
  rig.control("ack");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("MessageFromKtrv")->text(), QStringLiteral("Barriers Closed"));
  QCOMPARE(base(rig.box("MessageFromKtrv")), kWhite);
  // Only the operator's acknowledge gives the button its green look back.
  QCOMPARE(rig.button("pc_acknowledge")->backColour(), kRed);
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
}

void tst_poll::inputValueOneTicksTheIndicator_data() {
  QTest::addColumn<int>("value");
  QTest::addColumn<bool>("on");
  QTest::newRow("1") << 1 << true;
  QTest::newRow("0") << 0 << false;
  QTest::newRow("2") << 2 << false;
  QTest::newRow("255") << 255 << false;
}

void tst_poll::inputValueOneTicksTheIndicator() {
  QFETCH(int, value);
  QFETCH(bool, on);
  ConsoleRig rig;
  const char *fields[] = {"p_100", "p_101", "p_102", "p_103", "p_108", "p_109",
                          "p_10a", "p_10b", "p_10c", "p_10d", "p_10e", "p_10f"};
  // Every second input gets the value, the others the opposite state.
  for (int i = 0; i < 12; ++i) {
    rig.control(std::string("setbyte ") + fields[i] + " " + std::to_string(i % 2 == 0 ? value : (on ? 0 : 1)));
  }
  rig.check("In1")->setChecked(!on);  // an operator's click lasts only until the next tick
  rig.start();
  QVERIFY(rig.waitTicks(1));
  for (int i = 0; i < 12; ++i) {
    const bool expected = i % 2 == 0 ? on : !on;
    QVERIFY2(rig.check(qPrintable(QStringLiteral("In%1").arg(i + 1)))->isChecked() == expected, fields[i]);
  }
}

void tst_poll::failedInputReadCopiesItsNeighbour() {
  ConsoleRig rig;
  rig.control("setbyte p_100 1");
  rig.control("fieldsilent p_101 on");
  rig.control("setbyte p_102 1");
  rig.control("setbyte p_103 0");
  rig.start();
  QVERIFY(rig.waitTicks(1, 10000));
  QVERIFY(rig.check("In1")->isChecked());
  QVERIFY(rig.check("In2")->isChecked());  // copies In1
  QVERIFY(rig.check("In3")->isChecked());
  QVERIFY(!rig.check("In4")->isChecked());

  rig.control("fieldsilent p_101 off");
  rig.control("fieldsilent p_100 on");
  QVERIFY(rig.waitTicks(1, 10000));
  QVERIFY(!rig.check("In1")->isChecked());  // the word is still 0 for the first input
}

// The boxes a literal writes, by its source: keyboard (with its
// terminator's name), serial port, or another source that writes nothing.
void tst_poll::literalFillsTheBoxesOfItsSource_data() {
  QTest::addColumn<QStringList>("setup");
  QTest::addColumn<QString>("terminator");
  QTest::addColumn<QString>("keyed");
  QTest::addColumn<QString>("serial");
  const QString noKey = noKeyText(), noSerial = QStringLiteral("VekX Serial Port Number Local Port # 1");
  QTest::newRow("keyboard, named terminator") << QStringList{"key 00417 enter"} << "Enter Key"
                                              << "00417" << noSerial;
  QTest::newRow("keyboard, unnamed terminator") << QStringList{"key 31 5"} << "Terminator"
                                                << "31" << noSerial;
  QTest::newRow("serial port") << QStringList{"serial BADGE 0042"} << "Terminator" << noKey << "BADGE 0042";
  QTest::newRow("serial, cut at 40") << QStringList{"serial 0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJ"}
                                     << "Terminator" << noKey << "0123456789abcdefghijklmnopqrstuvwxyzABCD";
  QTest::newRow("source 2") << QStringList{"key 77 enter", "setbyte bx251 2"} << "Terminator" << noKey << noSerial;
}

void tst_poll::literalFillsTheBoxesOfItsSource() {
  QFETCH(QStringList, setup);
  QFETCH(QString, terminator);
  QFETCH(QString, keyed);
  QFETCH(QString, serial);
  ConsoleRig rig;
  for (const QString &line : setup) rig.control(line.toStdString());
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("VekTerminator")->text(), terminator);
  QCOMPARE(rig.box("VekKeyBuffer")->text(), keyed);
  QCOMPARE(rig.box("DisplayLine3")->text(), keyed == noKeyText() ? QStringLiteral("KTRV Display Line 3") : keyed);
  QCOMPARE(rig.box("VekSerial1")->text(), serial);
  QCOMPARE(base(rig.box("MessageFromKtrv")), kWhite);
  QCOMPARE(rig.box("MessageFromKtrv")->text(), QString());
  QCOMPARE(rig.button("pc_acknowledge")->text(), QStringLiteral("Waiting For Ack"));
}

void tst_poll::literalOverwritesTypedDisplayLine3() {
  ConsoleRig rig;
  rig.control("key TRUCK 12 f1");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("VekTerminator")->text(), QStringLiteral("F1 Key"));
  rig.box("DisplayLine3")->setText(QStringLiteral("typed by the operator"));
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("DisplayLine3")->text(), QStringLiteral("TRUCK 12"));
}

// A text longer than its box shows its first characters, as the box was
// written, not its tail; the window shows what an operator expects to read.
void tst_poll::longTextsAreShownFromTheirStart() {
  ConsoleRig rig;
  rig.control("key ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd enter");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  for (const char *name : {"VekKeyBuffer", "DisplayLine3"}) {
    QLineEdit *box = rig.box(name);
    QCOMPARE(box->text(), QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd"));
    QCOMPARE(box->cursorPosition(), 0);
  }
  rig.control("ack");
  rig.control("serial 0123456789012345678901234567890123456789");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("VekSerial1")->cursorPosition(), 0);
  QCOMPARE(rig.box("txtWeight")->cursorPosition(), 0);
}

void tst_poll::bytesWithoutGlyphsAreShownSafely() {
  ConsoleRig rig;
  rig.control("key x enter");
  // A, BEL, B, LF, e-acute, euro sign, an undefined byte, NUL and a tail.
  rig.control("sethex Lit50 41 07 42 0a e9 80 81 00 5a 5a");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("VekKeyBuffer")->text(), QString::fromUtf8("A\xEF\xBF\xBD"
                                                              "B\xEF\xBF\xBD\xC3\xA9\xE2\x82\xAC\xEF\xBF\xBD"));
}

void tst_poll::literalSurvivesAShortLowerDisplayRead() {
  ConsoleRig rig;
  rig.control("sethex bd001 41424344");  // "ABCD": 4 bytes, fewer than 7
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("LowerDisplay")->text(), QString());

  rig.control("serial 0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ");
  QVERIFY(rig.waitTicks(1));
  // The text buffer is "ABCD", NUL, then the rest of the literal.
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("789ABCDEFGHIJKLMN"));

  rig.control("fieldsilent bd001 on");
  QVERIFY(rig.waitTicks(1, 10000));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("789ABCDEFGHIJKLMN"));
}

void tst_poll::lowerDisplayShowsCharactersEightToTwentyFour() {
  ConsoleRig rig;
  rig.control("lower GROSS  000123456789012345678 KG");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("00012345678901234"));
  rig.control("sethex bd001 20202020202020414200");
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("AB"));  // cut at the NUL
}

QTEST_MAIN(tst_poll)
#include "tst_poll.moc"
