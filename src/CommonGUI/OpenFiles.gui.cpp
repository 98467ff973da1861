#include "CommonGUI/OpenFiles.gui.h"

#include <QApplication>
#include <QWidget>

#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/IdleUpdate.gui.h"

TFileOpener::TFileOpener(QWidget& Window, std::function<void(const QStringList&)> Open, QObject* Parent)
    : QObject(Parent), FWindow(Window), FOpen(std::move(Open)) {
  OnIdle(this, [this] { OpenWhenFree(); });
}

void TFileOpener::Request(const QStringList& Files) {
  if (FWindow.isMinimized()) FWindow.setWindowState(FWindow.windowState() & ~Qt::WindowMinimized);
  FWindow.raise();
  FWindow.activateWindow();
  if (Files.isEmpty()) return;
  FPending.append(Files);
  QMetaObject::invokeMethod(this, &TFileOpener::OpenWhenFree, Qt::QueuedConnection);
}

// Runs after a request and whenever the application is idle, also inside
// modal loops: it waits for the window to be shown and for no modal window to
// be open. The wizard runs from a queued call, not inside the dispatcher's
// idle notice.
void TFileOpener::OpenWhenFree() {
  if (FOpening || FPending.isEmpty() || !FWindow.isVisible() || QApplication::activeModalWidget()) return;
  FOpening = true;
  QMetaObject::invokeMethod(
      this,
      [this] {
        const QStringList files = FPending.takeFirst();
        Guarded([&] { FOpen(files); });
        FOpening = false;
      },
      Qt::QueuedConnection);
}
