// The console as a whole program: what happens without its library, with a
// library that lacks a function, and when its window closes during a wait.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

class tst_process_exit : public QObject {
  Q_OBJECT
 private slots:
  void missingLibraryEndsWithAMessage();
  void missingFunctionEndsWithAMessage();
  void closingDuringAWaitExitsWithZero();

 private:
  // Runs KTRVtest copied into dir/bin, so it finds dir/lib and nothing else.
  void runCopiedConsole(const QTemporaryDir &dir, int &status, QString &errors, qint64 &elapsedMs);
};

namespace {

QProcessEnvironment headless() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.remove(QStringLiteral("LD_LIBRARY_PATH"));
  return env;
}

}  // namespace

void tst_process_exit::runCopiedConsole(const QTemporaryDir &dir, int &status, QString &errors, qint64 &elapsedMs) {
  QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")));
  const QString program = dir.filePath(QStringLiteral("bin/KTRVtest"));
  QVERIFY(QFile::copy(QStringLiteral(KTRVTEST_PATH), program));
  QProcess p;
  p.setProcessEnvironment(headless());
  QElapsedTimer clock;
  clock.start();
  p.start(program, {});
  QVERIFY(p.waitForFinished(10000));
  elapsedMs = clock.elapsed();
  status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  errors = QString::fromLocal8Bit(p.readAllStandardError());
}

void tst_process_exit::missingLibraryEndsWithAMessage() {
  QTemporaryDir dir;
  int status = 0;
  QString errors;
  qint64 elapsed = 0;
  runCopiedConsole(dir, status, errors, elapsed);
  QCOMPARE(status, 2);
  QVERIFY2(errors.contains(QStringLiteral("libvekxapi.so")), qPrintable(errors));
  QVERIFY2(elapsed < 3000, "the first poll tick, about 300 ms after start, ends it");
}

void tst_process_exit::missingFunctionEndsWithAMessage() {
  QTemporaryDir dir;
  QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("lib")));
  QVERIFY(QFile::copy(QStringLiteral(STUB_LIBRARY_PATH), dir.filePath(QStringLiteral("lib/libvekxapi.so.1"))));
  int status = 0;
  QString errors;
  qint64 elapsed = 0;
  runCopiedConsole(dir, status, errors, elapsed);
  QCOMPARE(status, 2);
  QVERIFY2(errors.contains(QStringLiteral("VekRead")), qPrintable(errors));
}

void tst_process_exit::closingDuringAWaitExitsWithZero() {
  QProcess p;
  p.setProcessEnvironment(headless());
  p.start(QStringLiteral(CLOSE_DRIVER_PATH), {});
  QVERIFY(p.waitForFinished(20000));
  const QString errors = QString::fromLocal8Bit(p.readAllStandardError());
  QCOMPARE(p.exitStatus(), QProcess::NormalExit);
  QVERIFY2(p.exitCode() == 0, qPrintable(errors));
  QVERIFY2(errors.contains(QStringLiteral("closed once")), qPrintable(errors));
}

QTEST_GUILESS_MAIN(tst_process_exit)
#include "tst_process_exit.moc"
