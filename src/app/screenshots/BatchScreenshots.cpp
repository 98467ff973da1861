// Pictures of a batch: the wizard listing the files of a dropped folder tree,
// and the task list with two conversions running while the others wait.
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QThread>
#include <QTreeView>
#include <QTreeWidget>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Components/CategorySource.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Wizard/FNewConversion.gui.h"
#include "app/screenshots/ScreenshotSupport.h"
#include "app/screenshots/ShownMainWindow.h"

namespace fs = std::filesystem;

namespace {

constexpr int kConcurrent = 2;
constexpr int kShownProgress = 20;  // percent reached before the picture
constexpr int kProgressTimeoutMs = 20000;
constexpr int kPollMs = 20;

// Dropped: two files of their own and the folder Phone with two sub-folders.
// Every file is a link to Clip, so the tree costs no space.
std::vector<std::string> MakeTree(const std::string& Work, const std::string& Clip) {
  for (const char* d : {"/Desktop", "/Phone/2024-05", "/Phone/2024-06"}) fs::create_directories(Work + d);
  for (const char* f : {"/Desktop/birthday.mkv", "/Desktop/concert.mkv", "/Phone/VID_0001.mkv",
                        "/Phone/2024-05/VID_0412.mkv", "/Phone/2024-05/VID_0418.mkv", "/Phone/2024-06/VID_0503.mkv"})
    fs::create_symlink(Clip, Work + f);
  std::ofstream(Work + "/Phone/2024-06/thumbs.db") << "not a video";
  return {Work + "/Desktop/birthday.mkv", Work + "/Desktop/concert.mkv", Work + "/Phone"};
}

}  // namespace

bool SaveBatchWindows(const QString& Folder, TAVConfiguration& Configuration, const QString& Clip) {
  const std::string work = (QDir::tempPath() + QStringLiteral("/quillbrook-batch")).toStdString();
  fs::remove_all(work);
  const std::vector<std::string> dropped = MakeTree(work, fs::absolute(Clip.toStdString()).string());
  Configuration.PerformanceOptions().SetConcurrentTasks(kConcurrent);

  TShownMainWindow shown(Configuration);
  TdmGlobal& module = shown.Module;
  TMainWindowViews& views = shown.Views;
  TFormMain& form = shown.Form;

  TDatabaseCategorySource categories(*module.Database());
  TFormNewConversion wizard(module.profileList, &categories, Configuration, module.ProfilesFileName());
  wizard.SetSourceFiles(dropped);
  wizard.cbCategories->setCurrentIndex(wizard.cbCategories->findText(QStringLiteral("AVI")));
  // The category picker's choice re-roots the targets into its folder.
  wizard.FCategoryEdit->SetCategoryPath(work + "/Converted");
  wizard.FCategoryEdit->SetText(QStringLiteral("视频"));
  wizard.lvSources->setCurrentItem(wizard.lvSources->topLevelItem(3));
  wizard.UpdateControls();
  bool ok = Save(wizard, Folder, "wizard-batch.png");

  views.Explorer()->ConvertingNode()->NewBatch(wizard.GetBatchSettings());
  QElapsedTimer clock;
  clock.start();
  TConvertingNode& converting = *views.Explorer()->ConvertingNode();
  while (clock.elapsed() < kProgressTimeoutMs &&
         !std::all_of(converting.Tasks().begin(), converting.Tasks().end(), [](const auto& t) {
           return t->Status() != stRunning || t->Converter().Progress() >= kShownProgress;
         })) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, kPollMs);
    QThread::msleep(1);
  }
  QTreeView& tasks = *views.List()->View();
  tasks.selectionModel()->setCurrentIndex(views.List()->Model().index(2, 0),
                                          QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  ok = Save(form, Folder, "main-window-batch.png") && ok;

  form.hide();
  views.ReleaseTasks();
  Configuration.PerformanceOptions().SetConcurrentTasks(0);
  fs::remove_all(work);
  return ok;
}
