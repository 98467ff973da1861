#include "app/screenshots/ScreenshotSupport.h"

#include <QAbstractEventDispatcher>
#include <QEventLoop>

#include <cstdio>
#include <cstdlib>

#include "CommonGUI/AppIdentity.h"
#include "Converter/avlib.h"

TThrowAwaySession::TDataHome::TDataHome(const QTemporaryDir& Folder) {
  setenv("XDG_DATA_HOME", qPrintable(Folder.path()), 1);
}

TThrowAwaySession::TThrowAwaySession(int& Argc, char** Argv) : FHome(FData), FApp(Argc, Argv) {
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  SetMainThreadDispatcher(&FDispatcher);
  LoadMediaLibrary();
}

TThrowAwaySession::~TThrowAwaySession() { SetMainThreadDispatcher(nullptr); }

void WaitIdle() {
  QEventLoop loop;
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock, &loop,
                   &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& Widget, const QString& Folder, const char* Name) {
  Widget.show();
  WaitIdle();
  const QString path = Folder + QLatin1Char('/') + QLatin1String(Name);
  if (!Widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  Widget.hide();
  return true;
}
