#include "library_failure.h"

#include "bound_library.h"

#include <QApplication>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace ktrv {

namespace {

// While the message is up, only the message box and its own timer get
// events: no poll tick or click can reach the library again.
class OnlyTheMessage : public QObject {
 public:
  OnlyTheMessage(QObject *box, QObject *timer) : box_(box), timer_(timer) {}

 protected:
  bool eventFilter(QObject *watched, QEvent *event) override {
    switch (event->type()) {
      case QEvent::Timer:
      case QEvent::MouseButtonPress:
      case QEvent::MouseButtonRelease:
      case QEvent::MouseButtonDblClick:
      case QEvent::KeyPress:
      case QEvent::KeyRelease:
      case QEvent::Close:
        return watched != box_ && watched != timer_ && !isInsideBox(watched);
      default:
        return false;
    }
  }

 private:
  bool isInsideBox(QObject *o) const {
    for (; o != nullptr; o = o->parent()) {
      if (o == box_) return true;
    }
    return false;
  }
  QObject *box_;
  QObject *timer_;
};

bool someoneCanSeeIt() {
  if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace

void endWithMessage(const QString &message) {
  std::fprintf(stderr, "KTRVtest: %s\n", message.toLocal8Bit().constData());
  std::fflush(stderr);
  if (someoneCanSeeIt()) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("TEST KTRV"), message, QMessageBox::Ok);
    QEventLoop loop;
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(&box, &QMessageBox::finished, &loop, &QEventLoop::quit);
    OnlyTheMessage filter(&box, &closer);
    QCoreApplication::instance()->installEventFilter(&filter);
    box.show();
    closer.start(kFailureMessageShownMs);
    loop.exec();
    QCoreApplication::instance()->removeEventFilter(&filter);
  }
  std::_Exit(kExitLibraryMissing);
}

}  // namespace ktrv
