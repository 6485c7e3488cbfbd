// The Qt window as an operator meets it, end to end: the real library over
// loopback UDP to the simulated terminal, with the terminal's traffic record
// as the truth; the keyboard, the check boxes, and the look of a box or
// button the console changes while a command waits.
#include <QApplication>
#include <QCheckBox>
#include <QScreen>
#include <QTimer>
#include <QTest>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "console_rig.h"
#include "ktrv_fields.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;
using Strings = std::vector<std::string>;

// The commands the console has posted since the traffic was last cleared:
// the writes to the mailbox the terminal received. After each the console
// waits for the terminal to take it.
static long commandsPosted(ConsoleRig &rig) {
  const Strings r = rig.requests();
  return std::count_if(r.begin(), r.end(), [](const std::string &s) { return s.rfind("/t1/bx297=", 0) == 0; });
}

class tst_window : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void tabOrderFollowsTheTableAndSpaceClosesAtStart() {
    ConsoleRig rig;
    QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
    QTRY_VERIFY(QApplication::focusWidget() == rig.button("ExitProg"));
    for (const char *name : layout::kTabOrder) {
      QCOMPARE(QApplication::focusWidget()->objectName(), QString::fromLatin1(name));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QCOMPARE(QApplication::focusWidget(), rig.button("ExitProg"));  // round again
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    QVERIFY(!rig.window().isVisible());
    QVERIFY(rig.window().isClosing());
  }

  // An operator's mouse click anywhere on a box (caption, gap or tick square)
  // toggles it once. The In boxes have no handler, so the clicks stay local.
  void aClickAnywhereOnABoxTogglesIt() {
    ConsoleRig rig;
    QVERIFY(QTest::qWaitForWindowExposed(&rig.window()));
    QCheckBox *box = rig.check("In12");
    const QRect area = box->rect();
    for (const QPoint &spot : {QPoint(1, 1), QPoint(1, area.height() - 2), area.center(),
                               QPoint(area.width() - 2, area.height() - 2), QPoint(area.width() - 20, 1)}) {
      const bool before = box->isChecked();
      QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, spot);
      QVERIFY2(box->isChecked() != before, qPrintable(QStringLiteral("at %1,%2").arg(spot.x()).arg(spot.y())));
    }
  }

  // While a box's handling waits for the terminal, the screen comes to show
  // the box's new state: its copy on the screen equals a fresh rendering of it.
  void aBoxShowsItsNewStateWhileItsHandlingWaits() {
    auto options = test::quietTerminal();
    options.command_delay = std::chrono::milliseconds(600);
    ConsoleRig rig(options);
    rig.start();
    QCheckBox *out5 = rig.check("Out5");
    QCheckBox *out1 = rig.check("Out1");
    out1->setChecked(true);
    for (QCheckBox *box : {out5, out1}) {
      bool checkedDuringWait = true, shownDuringWait = false;
      // Out1 is unticked after Clear Outputs' own command is taken, and its
      // handling waits on the second command.
      rig.clearTraffic();
      QTimer probe;  // from within the event loop, until the screen shows it
      probe.callOnTimeout([&] {
        if (shownDuringWait || commandsPosted(rig) < (box == out5 ? 1 : 2)) return;
        checkedDuringWait = box->isChecked();
        const QPixmap onScreen =
            rig.window().screen()->grabWindow(rig.window().winId(), box->x(), box->y(), box->width(), box->height());
        shownDuringWait = onScreen.toImage().convertToFormat(QImage::Format_RGB32) ==
                          box->grab().toImage().convertToFormat(QImage::Format_RGB32);
      });
      probe.start(5);
      QTimer watchdog;  // a wait that never ends stops the test program rather than hangs it
      watchdog.callOnTimeout([] { qFatal("no read of /t1/bx297 gave a byte other than 255 within 10 s"); });
      watchdog.start(10000);  // stopped when the click returns
      if (box == out5)
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());  // returns after the wait
      else
        rig.button("OutputsOff")->click();  // unticks Out1 by code, then waits in its handling
      QCOMPARE(checkedDuringWait, box == out5);
      QVERIFY(shownDuringWait);
    }
  }

  // "STOPPED, STATUS=10048" is wider than the status box at its font, and its
  // last digit was cut off: it shows whole, in a smaller size of the same
  // face, without scrolling (the cursor at its start stays put). A text that
  // fits keeps the layout's size.
  void theStatusBoxShowsAFiveDigitCodeWhole() {
    ConsoleRig rig;
    QLineEdit *box = rig.box("txtWeight");
    const QFont layoutFont = box->font();
    const auto cursorX = [box] { return box->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(); };
    for (const char *text : {"STOPPED, STATUS=10048", "STOPPED, STATUS=-32768", "STOPPED, STATUS=-2"}) {
      rig.window().setText(controlId("txtWeight"), text);
      box->grab();  // a painting scrolls the box to its cursor
      const int start = cursorX();
      box->end(false);
      box->grab();
      const int end = cursorX();
      box->home(false);
      QCOMPARE(cursorX(), start);
      QCOMPARE(end - start, QFontMetrics(box->font()).horizontalAdvance(QString::fromLatin1(text)));
      QCOMPARE(box->text(), QString::fromLatin1(text));
      QCOMPARE(box->font().family(), layoutFont.family());
      QCOMPARE(box->font().bold(), layoutFont.bold());
    }
    QCOMPARE(box->font().pixelSize(), layoutFont.pixelSize());
    rig.window().setText(controlId("txtWeight"), "STOPPED, STATUS=10048");
    QVERIFY(box->font().pixelSize() < layoutFont.pixelSize());
    QCOMPARE(box->palette().color(QPalette::Base), QColor(0xFF, 0xFF, 0x80));
    QCOMPARE(box->geometry(), QRect(8, 152, 289, 33));
  }

  void theAcknowledgeButtonIsFilledWithItsNewColour() {
    ConsoleRig rig;
    rig.control("event 110");
    rig.control("input 3 1");
    rig.start();
    CommandButton *ack = rig.button("pc_acknowledge");
    QTRY_COMPARE(ack->text(), QStringLiteral("Waiting For Ack"));
    QVERIFY(rig.check("In3")->isChecked());  // the tick that showed the event ticked In3
    QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:    0.00 lb"));  // read whole through the binding
    QCOMPARE(ack->grab().toImage().pixelColor(4, 4), QColor(255, 0, 0));
    ack->click();
    QCOMPARE(ack->grab().toImage().pixelColor(4, 4), QColor(0, 255, 0));
    QCOMPARE(ack->text(), QStringLiteral("PC Acknowledge"));
  }

  // Close Program took 1.8 s with a terminal that answers: a poll tick runs to
  // its end before a click is handled, and a tick with an unanswered read
  // lasts its three attempts. Clicked just as a tick begins, Close Program
  // takes effect within one poll period.
  void closeProgramActsWithinOnePollPeriod() {
    using Clock = std::chrono::steady_clock;
    ConsoleRig rig;
    rig.start();
    QVERIFY(rig.waitTicks(2));
    Clock::time_point closedAt{};
    QObject::connect(rig.button("ExitProg"), &QAbstractButton::clicked, &rig.window(),
                     [&closedAt] { closedAt = Clock::now(); });
    rig.clearTraffic();
    std::atomic<Clock::rep> clickedAt{0};
    // The operator, from outside the window's thread: clicks when the
    // terminal has seen the first read of a fresh tick.
    std::thread operatorThread([&rig, &clickedAt] {
      const auto ticksBegun = [&rig] {
        const std::vector<std::string> r = rig.requests();
        return std::count(r.begin(), r.end(), std::string(vekx_common::ktrv::field::weight_selector));
      };
      const auto before = ticksBegun();
      const Clock::time_point giveUp = Clock::now() + std::chrono::seconds(5);
      while (ticksBegun() == before && Clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      clickedAt = Clock::now().time_since_epoch().count();
      QMetaObject::invokeMethod(rig.button("ExitProg"), &QAbstractButton::click, Qt::QueuedConnection);
    });
    QTRY_VERIFY_WITH_TIMEOUT(rig.window().isClosing(), 10000);
    operatorThread.join();
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(
        closedAt - Clock::time_point(Clock::duration(clickedAt.load())));
    QVERIFY2(took.count() < layout::kPollIntervalMs, qPrintable(QStringLiteral("%1 ms").arg(took.count())));
  }
};

QTEST_MAIN(tst_window)
#include "tst_window.moc"
