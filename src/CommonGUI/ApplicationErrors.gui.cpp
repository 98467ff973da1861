#include "CommonGUI/ApplicationErrors.gui.h"

#include <QMessageBox>

#include <clocale>
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

TApplication::TApplication(int& Argc, char** Argv) : QApplication(Argc, Argv) {
  // Qt adopts the user's locale for the C library too. The media library reads
  // and writes the numbers of option texts with it, and those always use ".";
  // what the windows show follows QLocale, which this does not touch.
  setlocale(LC_NUMERIC, "C");
}

bool TApplication::notify(QObject* Receiver, QEvent* Event) {
  try {
    return QApplication::notify(Receiver, Event);
  } catch (...) {
    ShowCurrentException();
    return false;
  }
}
