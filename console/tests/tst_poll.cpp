#include <QTest>
class tst_poll : public QObject { Q_OBJECT };
QTEST_MAIN(tst_poll)
#include "tst_poll.moc"
