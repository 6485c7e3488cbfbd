#include "fatal_message.h"

#include <QApplication>
#include <QMessageBox>

namespace ktrv {

namespace {

bool someoneCanSeeIt() {
  if (qobject_cast<QApplication *>(QCoreApplication::instance()) == nullptr) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != QLatin1String("offscreen") && platform != QLatin1String("minimal");
}

}  // namespace

void runMessageBox(const QString &title, const QString &message) {
  QMessageBox box(QMessageBox::Critical, title, message, QMessageBox::Ok);
  box.exec();
}

void showFatalMessage(const QString &title, const QString &message) {
  if (someoneCanSeeIt()) runMessageBox(title, message);
}

}  // namespace ktrv
