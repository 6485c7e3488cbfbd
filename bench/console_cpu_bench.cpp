// Benchmark, not a test: over 10 s, reports the CPU time the console's thread
// used (the poll ticks included), beside that of the whole process, which
// also carries the in-process simulated terminal. With the argument "idle"
// the console only polls; otherwise a command waits all the time against a
// command mailbox stuck at 255.
#include <QApplication>
#include <QTimer>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>

#include "console_rig.h"

namespace {

double seconds(const rusage &u) {
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

struct Sample {
  rusage thread{};
  rusage process{};
  std::chrono::steady_clock::time_point when;
};

Sample sample() {
  Sample s;
  getrusage(RUSAGE_THREAD, &s.thread);
  getrusage(RUSAGE_SELF, &s.process);
  s.when = std::chrono::steady_clock::now();
  return s;
}

constexpr int kWaitMs = 10000;

}  // namespace

int main(int argc, char *argv[]) {
  QApplication app(argc, argv);
  const bool idle = argc > 1 && QString::fromLocal8Bit(argv[1]) == QStringLiteral("idle");
  QApplication::setStyle(QStringLiteral("Fusion"));
  ktrv::test::ConsoleRig rig;
  rig.control("setbyte bx297 255");
  Sample before;
  QTimer::singleShot(100, &rig.window(), [&] {
    rig.start();
    before = sample();
    QTimer::singleShot(kWaitMs, &rig.window(), [&] {
      const Sample after = sample();
      const double wall = std::chrono::duration<double>(after.when - before.when).count();
      const double console = seconds(after.thread) - seconds(before.thread);
      const double process = seconds(after.process) - seconds(before.process);
      std::printf("%s %.1f s: console thread %.3f s CPU (%.2f %%), whole process %.3f s CPU (%.2f %%)\n",
                  idle ? "idle-polling" : "waiting on a mailbox stuck at 255", wall, console, 100.0 * console / wall,
                  process, 100.0 * process / wall);
      rig.window().close();
    });
    if (!idle) rig.button("SendReset")->click();  // waits until the window closes
  });
  return app.exec();
}
