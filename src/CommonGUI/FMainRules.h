#pragma once
// Enabling rules of the main window's task actions, as functions of what the
// task list shows. Evaluated on the main thread whenever the application is idle.
#include <optional>
#include <vector>

#include "CommonGUI/AVNodes.h"

// What the rules read of the task list: the current task is the task of the
// focused row, the selection the tasks of the selected rows. Main thread.
class TTaskListState {
 public:
  virtual ~TTaskListState() = default;
  // Status of the current task; nullopt when no row is focused.
  virtual std::optional<TAVTaskStatus> CurrentTaskStatus() const = 0;
  // Status of the task of every selected row.
  virtual std::vector<TAVTaskStatus> SelectedTaskStatuses() const = 0;
};

// A task that "停止" (and the delete dialog) stop instead of deleting: running,
// paused, or waiting in a batch (stopped, it no longer starts by itself).
bool IsStoppable(TAVTaskStatus Status);

// "开始转换": the current task is paused (resume), stopped (start again) or
// waiting in a batch (start it now).
bool CanStartTask(const TTaskListState& Tasks);
// "暂停": the current task is running.
bool CanPauseTask(const TTaskListState& Tasks);
// "停止": some selected task is running, paused or waiting, whatever the focused one is.
bool CanStopTasks(const TTaskListState& Tasks);
