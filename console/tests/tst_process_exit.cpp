#include <QTest>
class tst_process_exit : public QObject { Q_OBJECT };
QTEST_MAIN(tst_process_exit)
#include "tst_process_exit.moc"
