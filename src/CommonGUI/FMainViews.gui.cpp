#include "CommonGUI/FMainViews.gui.h"

#include <QLayout>
#include <QSignalBlocker>
#include <QTreeView>

#include "Common/CConversionSettings.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/CategoryTreeModel.gui.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FInfoFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Wizard/FNewConversion.gui.h"

TMainWindowViews::TMainWindowViews(TdmGlobal& Module, TConversionWizard Wizard)
    : FModule(Module), FWizard(std::move(Wizard)) {}

TMainWindowViews::~TMainWindowViews() { FModule.SetViews(nullptr, nullptr); }

std::optional<TAVTaskStatus> TMainWindowViews::CurrentTaskStatus() const {
  TAVTask* task = FList ? FList->CurrentTask() : nullptr;
  if (!task) return std::nullopt;
  return task->Status();
}

std::vector<TAVTaskStatus> TMainWindowViews::SelectedTaskStatuses() const {
  std::vector<TAVTaskStatus> statuses;
  if (!FList) return statuses;
  for (TAVTask* task : FList->SelectedTasks()) statuses.push_back(task->Status());
  return statuses;
}

void TMainWindowViews::LoadViews(TFormMain& Form) {
  // Without a database (its error has been shown) the window stays empty.
  if (!FModule.Database()) return;
  FExplorer = new TFrameExplorer(*FModule.Database());
  FList = new TFrameList;
  FInfo = new TFrameInfo;
  Form.ExplorerArea()->layout()->addWidget(FExplorer);
  Form.ListArea()->layout()->addWidget(FList);
  Form.InfoArea()->layout()->addWidget(FInfo);
  FModule.SetViews(FExplorer, FList);

  QObject::connect(FExplorer, &TFrameExplorer::CategoryChanged, FList,
                   [this](TNodeObject* Node) { FList->ShowNode(*Node); });
  QObject::connect(FList, &TFrameList::TaskChanged, FInfo, [this](TNodeObject* Task) { FInfo->ShowTask(Task); });
  QObject::connect(&FList->Model(), &TTaskListModel::ObjectLeaving, FInfo,
                   [this](TNodeObject* Task) { FInfo->ForgetTask(Task); });

  FExplorer->LoadTree();
  if (TConvertingNode* converting = FExplorer->ConvertingNode()) FExplorer->SelectRow(converting->Node());
}

void TMainWindowViews::AddConversion(const std::string& FileName) {
  AddConversions(FileName.empty() ? std::vector<std::string>() : std::vector<std::string>{FileName});
}

void TMainWindowViews::AddConversions(const std::vector<std::string>& Paths) {
  if (!FWizard || !FExplorer || !FExplorer->ConvertingNode()) return;
  TNewConversions added = FWizard(Paths);
  TConvertingNode& converting = *FExplorer->ConvertingNode();
  if (added.Batch) converting.NewBatch(std::move(added.Settings));
  else if (!added.Settings.empty() && added.Settings.front()) converting.NewConversion(std::move(added.Settings.front()));
}

void TMainWindowViews::ResumeCurrentTask() {
  if (TAVTask* task = FList ? FList->CurrentTask() : nullptr) task->Resume();
}

void TMainWindowViews::StartCurrentTask() {
  if (TAVTask* task = FList ? FList->CurrentTask() : nullptr) task->Start();
}

void TMainWindowViews::PauseCurrentTask() {
  if (TAVTask* task = FList ? FList->CurrentTask() : nullptr) task->Pause();
}

void TMainWindowViews::StopSelectedTasks() {
  if (FList) FList->StopSelected();
}

void TMainWindowViews::ReleaseTasks() {
  if (!FExplorer) return;
  FModule.SetViews(nullptr, nullptr);
  FList->Model().ClearRows();
  // No category is shown any more while the rows go.
  const QSignalBlocker quiet(FExplorer);
  FExplorer->Clear();
}
