// The console as a whole program: what happens without its library, and
// with a library that lacks a function.
#include <dlfcn.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Whether the dynamic loader finds a libvekxapi.so.1 outside the console's
// folder (an installed libvekxapi1 package). The test runs without
// LD_LIBRARY_PATH and has no run path of its own.
bool libraryInstalled() {
  void *library = dlopen("libvekxapi.so.1", RTLD_LAZY | RTLD_LOCAL);
  if (library != nullptr) dlclose(library);
  return library != nullptr;
}

// Runs program in env; its exit status (-1: crashed or still running after
// 10 s), and what it wrote on stdout and stderr.
int run(const QString &program, const QStringList &arguments, const QProcessEnvironment &env, QString &out,
        QString &errors) {
  QProcess p;
  p.setProcessEnvironment(env);
  p.start(program, arguments);
  const bool ended = p.waitForFinished(10000);
  out = QString::fromLocal8Bit(p.readAllStandardOutput());
  errors = QString::fromLocal8Bit(p.readAllStandardError());
  return ended && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

}  // namespace

class tst_process_exit : public QObject {
  Q_OBJECT
 private slots:
  // KTRVtest copied into dir/bin finds dir/lib and nothing else, unless the
  // library is installed: it then runs on (as when a package check installed
  // libvekxapi1 while this ran), so that case cannot be set up. The first
  // poll tick ends it; offscreen, no message box waits for the operator.
  void withoutItsLibraryItEndsWithAMessage_data() {
    QTest::addColumn<QString>("library");
    QTest::addColumn<QString>("named");
    QTest::newRow("no library") << QString() << QStringLiteral("libvekxapi.so");
    QTest::newRow("no VekRead") << QStringLiteral(STUB_LIBRARY_PATH) << QStringLiteral("VekRead");
  }

  void withoutItsLibraryItEndsWithAMessage() {
    QFETCH(QString, library);
    QFETCH(QString, named);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("bin")) && QDir(dir.path()).mkpath(QStringLiteral("lib")));
    const QString program = dir.filePath(QStringLiteral("bin/KTRVtest"));
    QVERIFY(QFile::copy(QStringLiteral(KTRVTEST_PATH), program));
    if (!library.isEmpty()) QVERIFY(QFile::copy(library, dir.filePath(QStringLiteral("lib/libvekxapi.so.1"))));
    if (library.isEmpty() && libraryInstalled()) QSKIP("the console finds the installed libvekxapi.so.1");
    QElapsedTimer clock;
    clock.start();
    // Headless, and without LD_LIBRARY_PATH: it finds only the library beside it.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    env.remove(QStringLiteral("LD_LIBRARY_PATH"));
    QString out, errors;
    const int status = run(program, {}, env, out, errors);
    if (library.isEmpty() && status == -1 && libraryInstalled()) QSKIP("libvekxapi.so.1 was installed while it ran");
    QCOMPARE(status, 2);
    QVERIFY2(errors.contains(named), qPrintable(errors));
    QVERIFY2(clock.elapsed() < 3000, "it ends at the first poll tick");
  }

  // KTRVtest --help aborted without a display (status 134). The two options
  // answer without one; the window says it needs one and how to get it.
  void withoutADisplayItSaysHowToGetOne_data() {
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("says");
    QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << QStringLiteral("xvfb-run");
    QTest::newRow("--version") << QStringList{QStringLiteral("--version")} << 0 << QStringLiteral("KTRVtest ");
    QTest::newRow("the window") << QStringList{} << 1 << QStringLiteral("no display");
  }

  void withoutADisplayItSaysHowToGetOne() {
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, says);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(QString::fromLatin1(name));
    QString out, errors;
    QCOMPARE(run(QStringLiteral(KTRVTEST_PATH), arguments, env, out, errors), status);
    QVERIFY2((status == 0 ? out : errors).contains(says), qPrintable(out + errors));
    if (status != 0) QVERIFY2(errors.contains(QStringLiteral("xvfb-run")), qPrintable(errors));
  }
};

QTEST_GUILESS_MAIN(tst_process_exit)
#include "tst_process_exit.moc"
