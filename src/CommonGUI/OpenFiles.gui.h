#pragma once
// Files to open in the wizard: those given on the command line and those a
// later start hands over. They wait until the main window is up and no other
// modal window (a wizard already open, a dialog) is showing. Main thread.
#include <QObject>
#include <QStringList>

#include <functional>

class QWidget;

class TFileOpener : public QObject {
  Q_OBJECT
 public:
  // Open runs the wizard with the files (never an empty list).
  TFileOpener(QWidget& Window, std::function<void(const QStringList&)> Open, QObject* Parent = nullptr);

  // Queues Files and brings the window to the front; an empty list only
  // brings the window to the front.
  void Request(const QStringList& Files);

 private:
  void OpenWhenFree();

  QWidget& FWindow;
  std::function<void(const QStringList&)> FOpen;
  QList<QStringList> FPending;  // one entry a request, in arrival order
  bool FOpening = false;        // a wizard is queued or running
};
