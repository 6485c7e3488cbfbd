// The console as a whole program: what happens without its library, and
// with a library that lacks a function.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_process_exit : public QObject {
  Q_OBJECT
 private slots:
  void withoutItsLibraryItEndsWithAMessage_data();
  void withoutItsLibraryItEndsWithAMessage();
};

namespace {

// Runs program headless and without LD_LIBRARY_PATH, so that a console
// finds only the library beside it; returns its exit status (-1: crashed
// or still running after 10 s) and what it wrote on stderr.
int run(const QString &program, QString &errors) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.remove(QStringLiteral("LD_LIBRARY_PATH"));
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, {});
  const bool ended = p.waitForFinished(10000);
  errors = QString::fromLocal8Bit(p.readAllStandardError());
  return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

// KTRVtest copied into dir/bin finds dir/lib and nothing else; the first
// poll tick, about 300 ms after start, ends it.
void tst_process_exit::withoutItsLibraryItEndsWithAMessage_data() {
  QTest::addColumn<QString>("library");
  QTest::addColumn<QString>("named");
  QTest::newRow("no library") << QString() << QStringLiteral("libvekxapi.so");
  QTest::newRow("no VekRead") << QStringLiteral(STUB_LIBRARY_PATH) << QStringLiteral("VekRead");
}

void tst_process_exit::withoutItsLibraryItEndsWithAMessage() {
  QFETCH(QString, library);
  QFETCH(QString, named);
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")) && QDir(dir.path()).mkpath(QStringLiteral("lib")));
  const QString program = dir.filePath(QStringLiteral("bin/KTRVtest"));
  QVERIFY(QFile::copy(QStringLiteral(KTRVTEST_PATH), program));
  if (!library.isEmpty()) QVERIFY(QFile::copy(library, dir.filePath(QStringLiteral("lib/libvekxapi.so.1"))));
  QElapsedTimer clock;
  clock.start();
  QString errors;
  QCOMPARE(run(program, errors), 2);
  QVERIFY2(errors.contains(named), qPrintable(errors));
  QVERIFY2(clock.elapsed() < 3000, "it ends at the first poll tick");
}

QTEST_GUILESS_MAIN(tst_process_exit)
#include "tst_process_exit.moc"
