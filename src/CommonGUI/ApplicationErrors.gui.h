#pragma once
// The application's general error display: every error that no handler
// catches (a start-up step, an event handler of the user interface) ends up
// in a message box titled with the application title. Main thread.
#include <QApplication>
#include <QString>

#include <functional>
#include <utility>

// Message as the display shows it: "." appended when the last character's
// code is above that of ".".
QString ApplicationErrorText(const QString& Message);

// Shows Text (already formatted) to the user. The default is a message box
// with the error icon and OK; tests install a recording handler.
using TApplicationErrorHandler = std::function<void(const QString& Title, const QString& Text)>;
// Installs Handler and returns the previous one; an empty handler restores the box.
TApplicationErrorHandler SetApplicationErrorHandler(TApplicationErrorHandler Handler);

// Shows Message through the display.
void ShowApplicationError(const QString& Message);
// Inside a catch block: shows the exception being handled.
void ShowCurrentException();

// Runs Work; an error it raises goes to the display and ends it.
template <class TWork>
void Guarded(TWork&& Work) {
  try {
    std::forward<TWork>(Work)();
  } catch (...) {
    ShowCurrentException();
  }
}

// The application object: an error escaping an event handler goes to the
// display instead of ending the program; numbers of the C library keep "."
// (LC_NUMERIC "C") whatever the user's locale.
class TApplication : public QApplication {
 public:
  TApplication(int& Argc, char** Argv);
  bool notify(QObject* Receiver, QEvent* Event) override;
};
