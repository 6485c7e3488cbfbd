// The window as built, and the connection control (Start, Stop, Close
// Program, Clear Message Windows) against the library and the simulator.
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTest>

#include "console_rig.h"
#include "window/fonts.h"
#include "window/picture_image.h"
#include "window/control_factory.h"
#include "window/vekx_binding.h"
#include "window/window_layout.h"

using namespace ktrv;
using ktrv::test::ConsoleRig;

namespace {

const char *kindName(layout::Kind k) {
  switch (k) {
    case layout::Kind::Label:
      return "QLabel";
    case layout::Kind::TextBox:
      return "QLineEdit";
    case layout::Kind::CommandButton:
      return "ktrv::CommandButton";
    case layout::Kind::CheckBox:
      return "QCheckBox";
    case layout::Kind::PictureBox:
      return "QLabel";
  }
  return "";
}

QRgb pixelAt(QWidget *w, int x, int y) { return w->grab().toImage().pixel(x, y) & 0xFFFFFF; }

}  // namespace

class tst_window : public QObject {
  Q_OBJECT
 private slots:
  void initTestCase() { QApplication::setStyle(QStringLiteral("Fusion")); }

  void controlsFollowTheLayoutTable_data();
  void controlsFollowTheLayoutTable();
  void captionsAndColoursAsDesigned_data();
  void captionsAndColoursAsDesigned();
  void windowTimersAndPicture();
  void frameLinesAreDrawnAroundTheDisplayGroup();
  void tabOrderAndInitialFocus();
  void spaceOnTheInitialFocusClosesTheWindow();
  void aClickAnywhereOnABoxTogglesIt();

  void firstTickBeforeStartShowsNotRegistered();
  void startShowsTheWeight();
  void startWithABadAddressFailsWithFive_data();
  void startWithABadAddressFailsWithFive();
  void startTakesOnlyTheFirstAddress();
  void startTwiceRegistersAgain();
  void stopEndsTheRegistration();
  void clearMessageWindowsBlanksFourBoxes();
  void closingEndsTheRegistration();
};

void tst_window::controlsFollowTheLayoutTable_data() {
  QTest::addColumn<int>("row");
  for (std::size_t i = 0; i < layout::kControls.size(); ++i) {
    QTest::newRow(layout::kControls[i].name) << static_cast<int>(i);
  }
}

// Every row of the table becomes one control of its kind, name, text, place,
// font and colours; nothing is lost between the table and the widget.
void tst_window::controlsFollowTheLayoutTable() {
  QFETCH(int, row);
  const layout::Control &c = layout::kControls[static_cast<std::size_t>(row)];
  frmMain window;
  window.show();
  QWidget *w = window.findChild<QWidget *>(QString::fromLatin1(c.name));
  QVERIFY(w != nullptr);
  QCOMPARE(w->parentWidget(), &window);
  QCOMPARE(QString::fromLatin1(w->metaObject()->className()), QString::fromLatin1(kindName(c.kind)));
  QCOMPARE(w->geometry(), QRect(c.left, c.top, c.width, c.height));
  QCOMPARE(w->font().pixelSize(), pixelsForPoints(c.font.points));
  QCOMPARE(w->font().bold(), c.font.bold);
  QCOMPARE(w->font().italic(), c.font.italic);

  if (auto *b = qobject_cast<CommandButton *>(w)) {
    QCOMPARE(b->text(), QString::fromLatin1(c.text));
    QCOMPARE(b->backColour(), resolveColour(c.back, Qt::transparent));
    // Filled with its own colour: a point inside the edge shows it.
    QCOMPARE(QColor(pixelAt(&window, c.left + 4, c.top + 4)), b->backColour());
  } else if (auto *e = qobject_cast<QLineEdit *>(w)) {
    QCOMPARE(e->text(), QString::fromLatin1(c.text));
    QVERIFY(e->isEnabled() && !e->isReadOnly());
    QCOMPARE(e->palette().color(QPalette::Base),
             resolveColour(c.back, QApplication::style()->standardPalette().color(QPalette::Base)));
  } else if (auto *x = qobject_cast<QCheckBox *>(w)) {
    QCOMPARE(x->text(), QString::fromLatin1(c.text));
    QVERIFY(!x->isChecked());
    QCOMPARE(QColor(pixelAt(&window, c.left + 1, c.top + 1)), resolveColour(c.back, Qt::transparent));
  } else if (auto *l = qobject_cast<QLabel *>(w); l != nullptr && c.kind == layout::Kind::Label) {
    QCOMPARE(l->text(), QString::fromLatin1(c.text));
    QVERIFY(l->wordWrap());
    QVERIFY(l->autoFillBackground());
    QCOMPARE(l->focusPolicy(), Qt::NoFocus);
    QCOMPARE(l->palette().color(QPalette::Window),
             resolveColour(c.back, QApplication::style()->standardPalette().color(QPalette::Window)));
  }
}

// Written out here, apart from the table, for the texts and colours that are
// easiest to get wrong.
void tst_window::captionsAndColoursAsDesigned_data() {
  QTest::addColumn<QString>("name");
  QTest::addColumn<QString>("text");
  QTest::addColumn<QRect>("place");
  QTest::addColumn<QColor>("back");
  QTest::newRow("line 1 ends in a blank")
      << "DisplayLine1"
      << "KTRV Display Line 1 " << QRect(8, 64, 289, 35) << QColor(0xFF, 0xFF, 0x80);
  QTest::newRow("Out 9 with a blank") << "Out9"
                                      << "Out 9" << QRect(168, 320, 73, 18) << QColor(0x00, 0xC0, 0xC0);
  QTest::newRow("Out10 without") << "Out10"
                                 << "Out10" << QRect(168, 344, 73, 18) << QColor(0x00, 0xC0, 0xC0);
  QTest::newRow("desktop colour") << "SingleLineDisp"
                                  << "Update Single Line" << QRect(408, 64, 89, 41) << QColor(0x3A, 0x6E, 0xA5);
  QTest::newRow("button text colour") << "VekSerial"
                                      << "KTRV Badge Port" << QRect(152, 256, 185, 25) << QColor(0, 0, 0);
}

void tst_window::captionsAndColoursAsDesigned() {
  QFETCH(QString, name);
  QFETCH(QString, text);
  QFETCH(QRect, place);
  QFETCH(QColor, back);
  frmMain window;
  QWidget *w = window.findChild<QWidget *>(name);
  QVERIFY(w != nullptr);
  QCOMPARE(w->property("text").toString(), text);
  QCOMPARE(w->geometry(), place);
  if (auto *b = qobject_cast<CommandButton *>(w)) {
    QCOMPARE(b->backColour(), back);
  } else if (qobject_cast<QLineEdit *>(w) != nullptr) {
    QCOMPARE(w->palette().color(QPalette::Base), back);
  } else {
    QCOMPARE(w->palette().color(QPalette::Window), back);
  }
}

void tst_window::windowTimersAndPicture() {
  frmMain window;
  QCOMPARE(window.objectName(), QStringLiteral("frmMain"));
  QCOMPARE(window.windowTitle(), QStringLiteral("TEST KTRV"));
  QCOMPARE(window.size(), QSize(708, 443));
  QCOMPARE(window.palette().color(QPalette::Window), QColor(0xC0, 0x40, 0x00));
  QCOMPARE(window.palette().color(QPalette::WindowText), QColor(0x80, 0x00, 0x00));
  QCOMPARE(window.font().pixelSize(), 16);  // Courier New 12 pt at 96 dpi
  QVERIFY(window.font().bold());

  auto *poll = window.findChild<QTimer *>(QStringLiteral("tmrVekPoll"));
  auto *delay = window.findChild<QTimer *>(QStringLiteral("Delay1"));
  QVERIFY(poll && delay);
  QCOMPARE(poll->interval(), 300);
  QVERIFY(poll->isActive());
  QCOMPARE(delay->interval(), 0);
  QVERIFY(!delay->isActive());

  auto *picture = window.findChild<QLabel *>(QStringLiteral("Picture1"));
  QVERIFY(picture != nullptr);
  const QPixmap pixmap = picture->pixmap();
  QCOMPARE(pixmap.size(), QSize(138, 73));
  QCOMPARE(makePicture1Image().format(), QImage::Format_RGB888);  // 24-bit colour
  QCOMPARE(picture->palette().color(QPalette::Window), QColor(Qt::white));
  // The white of the box shows to the right of the image.
  QCOMPARE(QColor(pixelAt(&window, 328 + 142, 120 + 40)), QColor(Qt::white));
}

void tst_window::frameLinesAreDrawnAroundTheDisplayGroup() {
  frmMain window;
  const QImage image = window.grab().toImage();
  const QColor inactiveBorder(0xD4, 0xD0, 0xC8);
  QCOMPARE(QColor(image.pixel(4, 120)), inactiveBorder);            // Line1, left of the boxes
  QCOMPARE(QColor(image.pixel(150, 61)), inactiveBorder);           // Line2(0), above them
  QCOMPARE(QColor(image.pixel(150, 187)), inactiveBorder);          // Line2(1), below them
  QCOMPARE(QColor(image.pixel(299, 120)), inactiveBorder);          // Line3, right of them
  QCOMPARE(QColor(image.pixel(4, 191)), QColor(0xC0, 0x40, 0x00));  // 10 pixels wide, no more
  QCOMPARE(QColor(image.pixel(302, 120)), QColor(0xC0, 0x40, 0x00));
}

void tst_window::tabOrderAndInitialFocus() {
  const QStringList expected = QStringLiteral(
                                   "ExitProg DisplayLine1 txtWeight IPAddr IPupdate UpdateDisplay DisplayLine2 "
                                   "DisplayLine3 StopEther VekTerminator TransComplete VekSerial1 SerialClear "
                                   "MessageFromKtrv VekKeyBuffer LowerDisplay Picture1 SendReset pc_acknowledge "
                                   "BufFlush SingleLineDisp Out1 Out2 Out3 Out4 OutputsOff Out5 Out6 Out7 Out8 "
                                   "Command1 In1 In2 In3 In4 In5 In6 In7 In8 In9 In10 In11 In12 Out9 Out10 Out11 Out12")
                                   .split(u' ');
  frmMain window;
  window.show();
  QVERIFY(QTest::qWaitForWindowActive(&window));
  QTRY_COMPARE(QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : QString(),
               QStringLiteral("ExitProg"));
  QStringList order;
  for (int i = 0; i < expected.size(); ++i) {
    order << QApplication::focusWidget()->objectName();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  }
  QCOMPARE(order, expected);
  QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("ExitProg"));  // round again
}

void tst_window::spaceOnTheInitialFocusClosesTheWindow() {
  ConsoleRig rig;
  QVERIFY(QTest::qWaitForWindowActive(&rig.window()));
  QTRY_VERIFY(QApplication::focusWidget() == rig.button("ExitProg"));
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
  QVERIFY(!rig.window().isVisible());
  QVERIFY(rig.window().isClosing());
}

// An operator's mouse click anywhere on a box, caption, gap or tick square,
// toggles it once; nothing else in the window changes. The In boxes have no
// handler, so the clicks stay local; the poll cannot run in between since
// the clicks are delivered synchronously.
void tst_window::aClickAnywhereOnABoxTogglesIt() {
  frmMain window;
  window.show();
  QVERIFY(QTest::qWaitForWindowExposed(&window));
  for (int i = 1; i <= 12; ++i) {
    auto *box = window.findChild<QCheckBox *>(QStringLiteral("In%1").arg(i));
    QVERIFY(box != nullptr);
    const QRect area = box->rect();
    const QList<QPoint> spots{{1, 1},
                              {1, area.height() - 2},
                              {area.width() / 2, area.height() / 2},
                              {area.width() - 2, area.height() - 2},
                              {area.width() - 20, 1}};
    for (const QPoint &spot : spots) {
      const bool before = box->isChecked();
      QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, spot);
      QVERIFY2(box->isChecked() != before,
               qPrintable(QStringLiteral("In%1 at %2,%3").arg(i).arg(spot.x()).arg(spot.y())));
    }
  }
}

void tst_window::firstTickBeforeStartShowsNotRegistered() {
  ConsoleRig rig;
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, PRESS START"));
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=-2"));
  QVERIFY(rig.accesses().empty());  // nothing reaches the terminal
  for (int i = 1; i <= 12; ++i) QVERIFY(!rig.check(qPrintable(QStringLiteral("In%1").arg(i)))->isChecked());
  QCOMPARE(rig.box("LowerDisplay")->text(), QString());
}

void tst_window::startShowsTheWeight() {
  auto options = test::quietTerminal();
  options.weight = 12.5;
  ConsoleRig rig(options);
  rig.start();
  QCOMPARE(LastResult, std::int16_t{0});
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("G:   12.50 lb"));
  QCOMPARE(rig.box("LowerDisplay")->text(), QStringLiteral("KTRV READY       "));
}

void tst_window::startWithABadAddressFailsWithFive_data() {
  QTest::addColumn<QString>("address");
  QTest::newRow("empty") << "";
  QTest::newRow("one blank") << " ";
  QTest::newRow("blank before") << " 127.0.0.1";
  QTest::newRow("blank after") << "127.0.0.1 ";
  QTest::newRow("not an address") << "terminal";
  QTest::newRow("part out of range") << "127.0.0.256";
}

void tst_window::startWithABadAddressFailsWithFive() {
  QFETCH(QString, address);
  ConsoleRig rig;
  rig.start(address);
  QCOMPARE(LastResult, std::int16_t{5});
  QCOMPARE(rig.box("IPAddr")->text(), address);  // taken as typed, left as typed
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=-2"));
}

void tst_window::startTakesOnlyTheFirstAddress() {
  ConsoleRig rig;
  rig.start(QStringLiteral("127.0.0.1,192.168.0.6"));
  QCOMPARE(LastResult, std::int16_t{0});
  QVERIFY(rig.waitTicks(1));
  QVERIFY(rig.box("txtWeight")->text().startsWith(QStringLiteral("G:")));
}

void tst_window::startTwiceRegistersAgain() {
  ConsoleRig rig;
  rig.start();
  QCOMPARE(LastResult, std::int16_t{0});
  rig.start();  // closes the first registration, or registering would give -1
  QCOMPARE(LastResult, std::int16_t{0});
  QVERIFY(rig.waitTicks(1));
  QVERIFY(rig.box("txtWeight")->text().startsWith(QStringLiteral("G:")));
}

void tst_window::stopEndsTheRegistration() {
  ConsoleRig rig;
  rig.button("StopEther")->click();
  QCOMPARE(LastResult, std::int16_t{-2});  // nothing to stop yet

  rig.control("input 1 1");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QVERIFY(rig.check("In1")->isChecked());
  rig.button("StopEther")->click();
  QCOMPARE(LastResult, std::int16_t{0});
  QVERIFY(rig.timer("tmrVekPoll")->isActive());
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("txtWeight")->text(), QStringLiteral("STOPPED, STATUS=-2"));
  QVERIFY(!rig.check("In1")->isChecked());
  QCOMPARE(rig.box("LowerDisplay")->text(), QString());
}

void tst_window::clearMessageWindowsBlanksFourBoxes() {
  ConsoleRig rig;
  rig.control("event 109");
  rig.start();
  QVERIFY(rig.waitTicks(1));
  QCOMPARE(rig.box("MessageFromKtrv")->text(), QStringLiteral("Sequence Error"));
  const QColor backBefore = rig.box("MessageFromKtrv")->palette().color(QPalette::Base);
  const QString line3 = rig.box("DisplayLine3")->text();
  LastResult = 1234;
  rig.button("SerialClear")->click();
  for (const char *name : {"VekSerial1", "VekTerminator", "VekKeyBuffer", "MessageFromKtrv"}) {
    QCOMPARE(rig.box(name)->text(), QStringLiteral(" "));
  }
  QCOMPARE(LastResult, std::int16_t{1234});  // no library call
  QCOMPARE(rig.box("MessageFromKtrv")->palette().color(QPalette::Base), backBefore);
  QCOMPARE(rig.box("DisplayLine3")->text(), line3);
}

void tst_window::closingEndsTheRegistration() {
  {
    ConsoleRig rig;
    rig.start();
    rig.button("ExitProg")->click();
    QCOMPARE(LastResult, std::int16_t{0});
    QVERIFY(!rig.window().isVisible());
    QVERIFY(!rig.timer("tmrVekPoll")->isActive());
    rig.start();  // a fresh registration is possible: the old one is gone
    QCOMPARE(LastResult, std::int16_t{0});
    rig.button("StopEther")->click();
  }
  ConsoleRig rig;
  rig.window().close();
  QCOMPARE(LastResult, std::int16_t{-2});
  QVERIFY(!rig.window().isVisible());
}

QTEST_MAIN(tst_window)
#include "tst_window.moc"
