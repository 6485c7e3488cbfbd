#include <QTest>
class tst_commands : public QObject { Q_OBJECT };
QTEST_MAIN(tst_commands)
#include "tst_commands.moc"
