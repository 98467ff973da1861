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
#include "Wizard/FNewConversion.gui.h"
#include "Wizard/FilterDialogs.gui.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  TQtMainThreadDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  InstallErrorMessageBox();
  auto filterDialogs = InstallFilterDialogs();
  // Each start-up step that fails is reported and the next one runs.
  Guarded([] { Configuration().Load(); });
  LoadMediaLibrary();
  int rc = 0;
  {
    TdmGlobal module(Configuration());
    TFormMain* window = nullptr;
    TMainWindowViews views(module, [&window](const std::vector<std::string>& Paths) {
      return ExecuteNewConversions(Paths, window);
    });
    TFormMain form(views, Configuration());
    window = &form;
    form.show();
    rc = app.exec();
    views.ReleaseTasks();
  }
  Guarded([] { Configuration().Save(); });
  UnloadMediaLibrary();
  return rc;
}
