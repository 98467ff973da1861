#include "CommonGUI/ApplicationErrors.gui.h"

#include <QMessageBox>

#include <exception>

#include "CommonGUI/AppIdentity.h"

namespace {

// Main thread only, like every user of the display.
TApplicationErrorHandler gHandler;

void ShowBox(const QString& Title, const QString& Text) {
  QMessageBox box(QMessageBox::Critical, Title, Text, QMessageBox::Ok);
  box.exec();
}

}  // namespace

QString ApplicationErrorText(const QString& Message) {
  if (!Message.isEmpty() && Message.back() > QLatin1Char('.')) return Message + QLatin1Char('.');
  return Message;
}

TApplicationErrorHandler SetApplicationErrorHandler(TApplicationErrorHandler Handler) {
  return std::exchange(gHandler, std::move(Handler));
}

void ShowApplicationError(const QString& Message) {
  const QString title = QString::fromUtf8(kApplicationTitle);
  const QString text = ApplicationErrorText(Message);
  if (gHandler) gHandler(title, text);
  else ShowBox(title, text);
}

void ShowCurrentException() {
  try {
    throw;
  } catch (const std::exception& e) {
    ShowApplicationError(QString::fromUtf8(e.what()));
  } catch (...) {
    ShowApplicationError(QStringLiteral("Unknown error"));
  }
}

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    ShowCurrentException();
    return false;
  }
}
