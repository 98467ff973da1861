// quillbrook: the Qt 6 desktop application.
#include <optional>

#include "Common/CConfiguration.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "Converter/avlib.h"

namespace {

// The main window's host until the task views are placed in it: the task
// list shows no task, so the task actions stay disabled, and no wizard exists
// yet to add a conversion.
class TWindowWithoutTaskViews : public TFormMainHost {
 public:
  std::optional<TAVTaskStatus> CurrentTaskStatus() const override { return std::nullopt; }
  std::vector<TAVTaskStatus> SelectedTaskStatuses() const override { return {}; }
  void LoadViews(TFormMain&) override {}
  void AddConversion(const std::string&) override {}
  void ResumeCurrentTask() override {}
  void StartCurrentTask() override {}
  void PauseCurrentTask() override {}
  void StopSelectedTasks() override {}
};

}  // namespace

int main(int argc, char** argv) {
  TApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  TQtMainThreadDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  InstallErrorMessageBox();
  // Each start-up step that fails is reported and the next one runs.
  Guarded([] { Configuration().Load(); });
  LoadMediaLibrary();
  TWindowWithoutTaskViews host;
  TFormMain form(host, Configuration());
  form.show();
  const int rc = app.exec();
  Guarded([] { Configuration().Save(); });
  UnloadMediaLibrary();
  return rc;
}
