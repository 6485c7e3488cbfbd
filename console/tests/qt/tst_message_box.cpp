// The Qt console's message box for a missing library stays until closed.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "fatal_message.h"

class tst_message_box : public QObject {
  Q_OBJECT
 private slots:
  // The operator reads the box for 1.5 s, then presses OK; a box that closes
  // by itself before then fails the test.
  void staysUntilTheOperatorClosesIt() {
    QString seen;
    QTimer::singleShot(1500, [&seen] {
      if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
        seen = box->windowTitle();
        QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
      }
    });
    ktrv::runMessageBox(QStringLiteral("TEST KTRV"), QStringLiteral("The library is missing."));
    QCOMPARE(seen, QStringLiteral("TEST KTRV"));
  }
};

QTEST_MAIN(tst_message_box)
#include "tst_message_box.moc"
