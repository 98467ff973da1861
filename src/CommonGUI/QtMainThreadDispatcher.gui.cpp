#include "CommonGUI/QtMainThreadDispatcher.gui.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <QTimer>

#include <chrono>
#include <exception>

namespace {

// Done() may become true without any event (a worker ending), so it is
// rechecked this often.
constexpr std::chrono::milliseconds kRecheck{20};

}  // namespace

void TQtMainThreadDispatcher::RunAndWait(const std::function<void()>& Work) {
  if (IsMainThread()) {
    Work();
    return;
  }
  // An error must not cross Qt's event delivery; it is rethrown here instead.
  std::exception_ptr error;
  QMetaObject::invokeMethod(
      QCoreApplication::instance(),
      [&] {
        try {
          Work();
        } catch (...) {
          error = std::current_exception();
        }
      },
      Qt::BlockingQueuedConnection);
  if (error) std::rethrow_exception(error);
}

void TQtMainThreadDispatcher::Post(std::function<void()> Work) {
  QMetaObject::invokeMethod(QCoreApplication::instance(), std::move(Work), Qt::QueuedConnection);
}

void TQtMainThreadDispatcher::ProcessPendingEvents() { QCoreApplication::processEvents(); }

bool TQtMainThreadDispatcher::IsMainThread() const {
  return QThread::currentThread() == QCoreApplication::instance()->thread();
}

void TQtMainThreadDispatcher::WaitUntil(const std::function<bool()>& Done) {
  QTimer recheck;
  recheck.start(kRecheck);
  while (!Done()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
