// quillbrook: the Qt 6 desktop application.
#include "Common/CConfiguration.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "Converter/avlib.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  TQtMainThreadDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  InstallErrorMessageBox();
  // Each start-up step that fails is reported and the next one runs.
  Guarded([] { Configuration().Load(); });
  LoadMediaLibrary();
  int rc = 0;
  {
    TdmGlobal module(Configuration());
    TMainWindowViews views(module, nullptr);
    TFormMain form(views, Configuration());
    form.show();
    rc = app.exec();
    views.ReleaseTasks();
  }
  Guarded([] { Configuration().Save(); });
  UnloadMediaLibrary();
  return rc;
}
