// Pictures of the windows that show tasks: the main window with a running, a
// paused and a finished task, the delete dialog and both wizard pages.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <QTreeView>

#include <memory>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/CDeleteDlg.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Components/CategorySource.h"
#include "Wizard/CFilters.h"
#include "Wizard/FNewConversion.gui.h"
#include "app/screenshots/ScreenshotSupport.h"
#include "app/screenshots/ShownMainWindow.h"

namespace {

constexpr int kShownProgress = 30;       // percent reached before the picture
constexpr int kProgressTimeoutMs = 20000;
constexpr int64_t kFinishedLength = 3000000;  // microseconds
constexpr int kRangeStartMs = 1000;
constexpr int kRangeEndMs = 4000;

std::unique_ptr<TConversionSettings> Settings(const QString& Clip, const QString& Target) {
  auto s = std::make_unique<TConversionSettings>();
  s->SourceFile = Clip.toStdString();
  s->TargetFile = Target.toStdString();
  s->Profile = "XVID";
  s->CategoryId = TConvertedNode::kRootCategoryId;
  return s;
}

void WaitFor(const std::function<bool()>& Done) {
  QElapsedTimer clock;
  clock.start();
  while (!Done() && clock.elapsed() < kProgressTimeoutMs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, kShownProgress);
    QThread::msleep(1);
  }
}

bool SaveWizard(const QString& Folder, TdmGlobal& Module, const QString& Clip) {
  TDatabaseCategorySource categories(*Module.Database());
  TFormNewConversion wizard(Module.profileList, &categories, Module.Configuration(), Module.ProfilesFileName());
  wizard.SetSourceFile(Clip);
  wizard.UpdateControls();
  wizard.tbRange->setValue(kRangeStartMs);
  wizard.btnSetStart->click();
  wizard.tbRange->setValue(kRangeEndMs);
  wizard.btnSetEnd->click();
  bool ok = Save(wizard, Folder, "wizard-source.png");
  wizard.UpdateControls();
  wizard.btnNext->click();
  auto negate = std::make_unique<TVideoStdFilter>();
  negate->SetNegate(true);
  wizard.AddFilter(std::move(negate));
  auto text = std::make_unique<TOverlayTextFilter>();
  text->SetText("Quillbrook\r\n");
  wizard.AddFilter(std::move(text));
  wizard.lvFilters->setCurrentRow(1);
  ok = Save(wizard, Folder, "wizard-filters.png") && ok;
  return ok;
}

}  // namespace

bool SaveTaskWindows(const QString& Folder, TAVConfiguration& Configuration, const QString& Clip) {
  const QString work = QDir::tempPath() + QStringLiteral("/quillbrook-screenshots");
  QDir(work).removeRecursively();
  QDir().mkpath(work);
  QDir().mkpath(QString::fromStdString(TAVConfiguration::GetAppDataFolder()));

  TShownMainWindow shown(Configuration);
  TdmGlobal& module = shown.Module;
  TMainWindowViews& views = shown.Views;
  TFormMain& form = shown.Form;

  TConvertingNode& converting = *views.Explorer()->ConvertingNode();
  // A short conversion that finishes first and is filed into the root category.
  auto finished = Settings(Clip, work + QStringLiteral("/holiday.avi"));
  finished->ConvertOptions().SetRecordingTime(kFinishedLength);
  converting.NewConversion(std::move(finished));
  WaitFor([&] { return converting.Tasks().empty(); });
  TAVTask* running = converting.NewConversion(Settings(Clip, work + QStringLiteral("/running.avi")));
  TAVTask* paused = converting.NewConversion(Settings(Clip, work + QStringLiteral("/paused.avi")));
  WaitFor([&] {
    return running->Converter().Progress() >= kShownProgress && paused->Converter().Progress() >= kShownProgress / 2;
  });
  paused->Pause();
  WaitFor([&] { return running->Converter().Progress() >= kShownProgress; });
  QTreeView& tasks = *views.List()->View();
  tasks.selectionModel()->setCurrentIndex(views.List()->Model().index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  bool ok = Save(form, Folder, "main-window.png");

  views.Explorer()->SelectCategory(TConvertedNode::kRootCategoryId);
  tasks.selectionModel()->setCurrentIndex(views.List()->Model().index(0, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ok = Save(form, Folder, "main-window-finished.png") && ok;

  TFormDelete remove;
  ok = Save(remove, Folder, "delete-dialog.png") && ok;
  ok = SaveWizard(Folder, module, Clip) && ok;

  form.hide();
  views.ReleaseTasks();
  QDir(work).removeRecursively();
  return ok;
}
