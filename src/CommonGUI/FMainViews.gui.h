#pragma once
// The main window's task views: the category tree, the task list and the
// task information placed into the window and connected to each other and to
// the data module. Main thread.
#include <functional>
#include <memory>
#include <string>

#include "CommonGUI/FMain.gui.h"

class TConversionSettings;
class TdmGlobal;
struct TNewConversions;
class TFrameExplorer;
class TFrameInfo;
class TFrameList;

// Runs the conversion wizard with preset sources (none, one file, or several
// files and folders); nothing when cancelled.
using TConversionWizard = std::function<TNewConversions(const std::vector<std::string>& Paths)>;

class TMainWindowViews : public TFormMainHost {
 public:
  TMainWindowViews(TdmGlobal& Module, TConversionWizard Wizard);
  ~TMainWindowViews() override;

  // TTaskListState.
  std::optional<TAVTaskStatus> CurrentTaskStatus() const override;
  std::vector<TAVTaskStatus> SelectedTaskStatuses() const override;

  // TFormMainHost.
  void LoadViews(TFormMain& Form) override;
  void AddConversion(const std::string& FileName) override;
  void AddConversions(const std::vector<std::string>& Paths) override;
  void ResumeCurrentTask() override;
  void StartCurrentTask() override;
  void PauseCurrentTask() override;
  void StopSelectedTasks() override;

  // At exit, while the window still stands: the task list lets go of its
  // rows and the categories with their tasks are destroyed, which stops the
  // running conversions and waits for their workers (their database rows stay
  // marked as converting).
  void ReleaseTasks();

  // nullptr before LoadViews.
  TFrameExplorer* Explorer() const { return FExplorer; }
  TFrameList* List() const { return FList; }
  TFrameInfo* Info() const { return FInfo; }

 private:
  TdmGlobal& FModule;
  TConversionWizard FWizard;
  // Owned by the window's areas.
  TFrameExplorer* FExplorer = nullptr;
  TFrameList* FList = nullptr;
  TFrameInfo* FInfo = nullptr;
};
