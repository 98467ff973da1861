#include "CommonGUI/DModule.gui.h"

#include <QAction>
#include <QProcess>
#include <QTreeView>

#include <filesystem>

#include "Common/CConfiguration.h"
#include "Common/Errors.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/CCategoryDlg.gui.h"
#include "CommonGUI/CategoryTreeModel.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/IdleUpdate.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"

namespace fs = std::filesystem;

namespace {

// Main thread only.
TdmGlobal* gModule = nullptr;

// Asks the login manager to power off; no program is forced to close.
void PowerOffComputer() { QProcess::startDetached(QStringLiteral("systemctl"), {QStringLiteral("poweroff")}); }

QAction* MenuAction(QMenu* Menu, const char* Name, const char* Caption) {
  QAction* action = Menu->addAction(QString::fromUtf8(Caption));
  action->setObjectName(QLatin1String(Name));
  return action;
}

}  // namespace

TdmGlobal* dmGlobal() { return gModule; }

TdmGlobal::TdmGlobal(TAVConfiguration& Configuration, QObject* Parent)
    : QObject(Parent), FConfiguration(Configuration) {
  gModule = this;
  BuildProfileCatalogue(profileList);
  CreateMenus();
  TaskModel().CategoryMenu = pmCategory;
  TaskModel().ShutdownWhenDone = [this] { return FConfiguration.ShutdownWhenDone(); };
  TaskModel().PowerOff = PowerOffComputer;
  TaskModel().BatchLimit = [this] { return FConfiguration.PerformanceOptions().BatchLimit(); };
  Guarded([this] { DataModuleCreate(); });
  UpdateActions();
  OnIdle(this, [this] { UpdateActions(); });
}

TdmGlobal::~TdmGlobal() {
  TaskModel().Store = nullptr;
  TaskModel().CategoryMenu = nullptr;
  TaskModel().ShutdownWhenDone = [] { return false; };
  TaskModel().PowerOff = nullptr;
  TaskModel().BatchLimit = [] { return 1; };
  if (gModule == this) gModule = nullptr;
}

void TdmGlobal::DataModuleCreate() {
  const std::string folder = TAVConfiguration::GetAppDataFolder();
  std::error_code ec;
  fs::create_directories(folder, ec);
  FDatabase = std::make_unique<TPersistentManager>(folder + kDatabaseFileName, FConfiguration.OutputFolder());
  TaskModel().Store = FDatabase.get();
  LoadUserProfiles(profileList);
}

std::string TdmGlobal::ProfilesFileName() const { return UserProfilesFileName(); }

void TdmGlobal::SetViews(TFrameExplorer* Explorer, TFrameList* List) {
  FExplorer = Explorer;
  FList = List;
  if (FList) FList->SetTaskMenu(pmTasks);
}

void TdmGlobal::CreateMenus() {
  FTaskMenu = std::make_unique<QMenu>();
  pmTasks = FTaskMenu.get();
  pmTasks->setObjectName(QStringLiteral("pmTasks"));
  actDeleteTasks = MenuAction(pmTasks, "actDeleteTasks", "删除任务(s)");
  pmTasks->addSeparator();
  actOpenSource = MenuAction(pmTasks, "actOpenSource", "打开源文件");
  actOpenTarget = MenuAction(pmTasks, "actOpenTarget", "打开转换成功的文件");
  actOpenFolder = MenuAction(pmTasks, "actOpenFolder", "打开目录");

  FCategoryMenu = std::make_unique<TCategoryPopupMenu>();
  pmCategory = FCategoryMenu.get();
  pmCategory->setObjectName(QStringLiteral("pmCategory"));
  actOpenCategoryFolder = MenuAction(pmCategory, "actOpenCategoryFolder", "打开文件夹");
  pmCategory->addSeparator();
  actNewCategory = MenuAction(pmCategory, "actNewCategory", "新分类");
  actDeleteCategory = MenuAction(pmCategory, "actDeleteCategory", "删除");
  pmCategory->addSeparator();
  actCategoryProperties = MenuAction(pmCategory, "actCategoryProperties", "属性");

  auto on = [this](QAction* Action, void (TdmGlobal::*Execute)()) {
    connect(Action, &QAction::triggered, this, [this, Execute] { Guarded([&] { (this->*Execute)(); }); });
  };
  on(actDeleteTasks, &TdmGlobal::actDeleteTasksExecute);
  on(actOpenSource, &TdmGlobal::actOpenSourceExecute);
  on(actOpenTarget, &TdmGlobal::actOpenTargetExecute);
  on(actOpenFolder, &TdmGlobal::actOpenFolderExecute);
  on(actOpenCategoryFolder, &TdmGlobal::actOpenCategoryFolderExecute);
  on(actNewCategory, &TdmGlobal::actNewCategoryExecute);
  on(actDeleteCategory, &TdmGlobal::actDeleteCategoryExecute);
  on(actCategoryProperties, &TdmGlobal::actCategoryPropertiesExecute);
  // Evaluated again just before a menu opens, so a menu never offers a stale item.
  connect(pmTasks, &QMenu::aboutToShow, this, &TdmGlobal::UpdateActions);
  connect(pmCategory, &QMenu::aboutToShow, this, &TdmGlobal::UpdateActions);
}

void TdmGlobal::UpdateActions() {
  const int selected = FList ? FList->SelectedCount() : 0;
  TAVTask* current = FList ? FList->CurrentTask() : nullptr;
  const bool one = selected == 1 && current;
  actDeleteTasks->setEnabled(selected > 0);
  actOpenSource->setEnabled(one && current->CanOpenSource());
  actOpenTarget->setEnabled(one && current->ConvertedIsValid());
  actOpenFolder->setEnabled(one && current->ConvertedIsValid());
  TConvertedNode* category = FExplorer ? FExplorer->FocusedConvertedNode() : nullptr;
  actDeleteCategory->setEnabled(category && !category->IsRoot());
}

TConvertedNode& TdmGlobal::GetConvertedNode() const {
  TConvertedNode* node = FExplorer ? FExplorer->FocusedConvertedNode() : nullptr;
  QB_ASSERT("DModule", node);
  return *node;
}

void TdmGlobal::actDeleteTasksExecute() {
  if (FList && FList->SelectedCount() > 0) FList->DeleteSelected();
}

TAVTask* TdmGlobal::TaskFor(QAction* Action) {
  // The rules again: a menu item may fire between two idle updates.
  UpdateActions();
  return Action->isEnabled() ? FList->CurrentTask() : nullptr;
}

void TdmGlobal::actOpenSourceExecute() {
  if (TAVTask* task = TaskFor(actOpenSource)) ShellOpen(QString::fromStdString(task->Settings().SourceFile));
}

void TdmGlobal::actOpenTargetExecute() {
  if (TAVTask* task = TaskFor(actOpenTarget)) ShellOpen(QString::fromStdString(task->Settings().TargetFile));
}

void TdmGlobal::actOpenFolderExecute() {
  if (TAVTask* task = TaskFor(actOpenFolder))
    ShowFileInExplorer(QString::fromStdString(task->Settings().TargetFile), true);
}

void TdmGlobal::actOpenCategoryFolderExecute() {
  OpenFolderInExplorer(QString::fromStdString(GetConvertedNode().Folder), true);
}

void TdmGlobal::actNewCategoryExecute() {
  TConvertedNode& parent = GetConvertedNode();
  QB_ASSERT("DModule", FDatabase);
  std::string name, folder;
  if (!ExecuteCategoryDialog(name, folder, true, FExplorer)) return;
  auto node = std::make_unique<TConvertedNode>();
  node->Category = name;
  node->Folder = folder;
  // Stored first: a failing insert leaves no row without a category number.
  FDatabase->NewCategory(*node, parent.CategoryId);
  FExplorer->AddCategory(std::move(node), parent.Node());
  FExplorer->View()->expand(FExplorer->Model().IndexOf(parent.Node()));
}

void TdmGlobal::actDeleteCategoryExecute() {
  TConvertedNode& node = GetConvertedNode();
  QB_ASSERT("DModule", !node.IsRoot());
  if (!ConfirmDialog(QStringLiteral("Do you want to delete the selected category?"))) return;
  if (FDatabase) FDatabase->DeleteCategory(node);
  node.DeleteChildrens();
  const TViewRow row = node.Node();
  FExplorer->SelectRow(FExplorer->Model().ParentRow(row));
  FExplorer->RemoveCategory(row);  // `node` is gone from here on
}

void TdmGlobal::actCategoryPropertiesExecute() {
  TConvertedNode& node = GetConvertedNode();
  std::string name = node.Category, folder = node.Folder;
  if (!ExecuteCategoryDialog(name, folder, false, FExplorer)) return;
  node.Category = name;
  node.Folder = folder;
  std::error_code ec;
  fs::create_directories(folder, ec);
  if (FDatabase) FDatabase->UpdateCategory(node);
  FExplorer->View()->viewport()->update();
}
