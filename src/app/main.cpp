// quillbrook: the Qt 6 desktop application.
#include <cstdio>

#include "Common/CConfiguration.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/DockProgress.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/ImageLists.gui.h"
#include "CommonGUI/OpenFiles.gui.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "CommonGUI/SingleInstance.gui.h"
#include "CommonGUI/TaskNotifications.gui.h"
#include "Converter/avlib.h"
#include "Wizard/FNewConversion.gui.h"
#include "Wizard/FilterDialogs.gui.h"

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopAppId));
  // One instance per user: a later start hands its files over and ends here,
  // before it reads the configuration or opens the task database.
  TSingleInstance instance;
  const std::vector<std::string> files = FileArguments(QApplication::arguments().mid(1));
  if (!instance.Primary()) {
    if (instance.HandOver(files)) return 0;
    fprintf(stderr, "quillbrook: another instance is running but does not answer\n");
    return 1;
  }
  QApplication::setWindowIcon(ApplicationIcon());
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
    TTaskNotifier notifier;
    TFormMain* window = nullptr;
    TMainWindowViews views(module, [&window](const std::vector<std::string>& Paths) {
      return ExecuteNewConversions(Paths, window);
    });
    TFormMain form(views, Configuration());
    window = &form;
    TDockProgress dock([&views] { return DockTasks(views.Explorer()->ConvertingNode()); });
    form.show();
    // Files from the command line or a later start open the wizard once the window is up.
    TFileOpener opener(form, [&form](const QStringList& Files) { form.AddConversions(Files); });
    QObject::connect(&instance, &TSingleInstance::FilesReceived, &opener, &TFileOpener::Request);
    QStringList startFiles;
    for (const std::string& file : files) startFiles << QString::fromStdString(file);
    if (!startFiles.isEmpty()) opener.Request(startFiles);
    rc = app.exec();
    views.ReleaseTasks();
  }
  Guarded([] { Configuration().Save(); });
  UnloadMediaLibrary();
  return rc;
}
