#include "CommonGUI/FMainRules.h"

#include <algorithm>

bool IsStoppable(TAVTaskStatus Status) { return Status == stRunning || Status == stPaused || Status == stWaiting; }

bool CanStartTask(const TTaskListState& Tasks) {
  const std::optional<TAVTaskStatus> status = Tasks.CurrentTaskStatus();
  return status == stPaused || status == stError || status == stWaiting;
}

bool CanPauseTask(const TTaskListState& Tasks) {
  return Tasks.CurrentTaskStatus() == stRunning;
}

bool CanStopTasks(const TTaskListState& Tasks) {
  const std::vector<TAVTaskStatus> selected = Tasks.SelectedTaskStatuses();
  return std::any_of(selected.begin(), selected.end(), IsStoppable);
}
