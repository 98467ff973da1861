// How a task drives its converter: start, pause, resume, stop, and what it
// does with the converter's progress, log lines and completion.
#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "CommonGUI/AVNodes.h"

void TConvertingTask::Start() {
  if (!AwaitPreviousJob()) return;
  TAVTask::Start();
  FLastProgressRepaint.reset();
  ResetLog();
  FConverter->InputFiles().Clear();
  FConverter->InputFiles().Add(FSettings->SourceFile);
  FConverter->OutputFiles().Clear();
  FConverter->OutputFiles().Add(FSettings->TargetFile);
  FConverter->SetConvertOptions(FSettings->ConvertOptions());
  FConverter->Convert();
  if (TaskModel().TaskStarted) TaskModel().TaskStarted();
}

void TConvertingTask::Pause() {
  TAVTask::Pause();
  FConverter->Pause();
  // The worker may park without another notice, and the last one may have
  // been paced out: the row shows the figures it stops at.
  if (FCategory) RefreshView();
}

void TConvertingTask::Resume() {
  TAVTask::Resume();
  FConverter->Resume();
}

void TConvertingTask::Stop() {
  const bool wasConverting = FStatus == stRunning || FStatus == stPaused;
  TAVTask::Stop();  // repaints the row
  FConverter->Stop();
  if (wasConverting) FreeBatchPlace();
  // The user ended the last of them: no shutdown is owed any more.
  if (auto* node = dynamic_cast<TConvertingNode*>(FCategory); node && !node->AnyRunningOrWaiting())
    node->SetPowerOffDeferred(false);
  if (FSettings->IsCaptured) ConverterComplete();
}

void TAVTask::ChangeStatus(TAVTaskStatus Value) {
  FStatus = Value;
  // A task not (yet) in a category has no row to repaint.
  if (FCategory) RefreshView();
}

void TAVTask::RefreshView() {
  QB_ASSERT("AVNodes", FCategory);
  TCategoryTreeView* tree = FCategory->TreeView();
  if (tree && FCategory->Node() && tree->IsRowSelected(FCategory->Node())) FCategory->RefreshRow(FNode);
}

void TAVTask::ResetLog() {
  FLog.clear();
  ShowLog();
}

void TAVTask::ConverterProgress() {
  // Painting a row per packet cost the main thread a quarter of a core; the
  // figures are read at paint time, so a skipped repaint loses nothing but
  // the moment. The notice before a pause or a stop shows the last figures.
  const int64_t now = TaskModel().Clock();
  const bool running = FConverter->State() == csRunning;
  if (running && FLastProgressRepaint && now - *FLastProgressRepaint < kRowRepaintIntervalUs) return;
  FLastProgressRepaint = now;
  RefreshView();
}

void TAVTask::HandOverLog(const std::shared_ptr<TPendingLog>& Pending, TAVTask* Task, const std::string& Text) {
  {
    std::lock_guard<std::mutex> g(Pending->Lock);
    Pending->Lines.push_back(Text);
  }
  MainThread().Post([Pending, Task] {
    {
      std::lock_guard<std::mutex> g(Pending->Lock);
      if (!Pending->Alive) return;
    }
    Task->DrainPendingLog();
  });
}

void TAVTask::DrainPendingLog() {
  std::vector<std::string> lines;
  {
    std::lock_guard<std::mutex> g(FPending->Lock);
    lines.swap(FPending->Lines);
  }
  if (lines.empty()) return;
  for (const std::string& line : lines) AddLogLine(line);
  ShowLog();
}

void TAVTask::AddLogLine(const std::string& Text) {
  while (static_cast<int>(FLog.size()) > kMaxLogLines) FLog.erase(FLog.begin());
  FLog.push_back(TrimLogLine(Text));
}

void TAVTask::ConverterSetupFailed() {
  DrainPendingLog();
  AddLogLine(FConverter->ErrorMessage());
  ShowLog();
  // No longer running, it holds back no shutdown. A failed start powers off
  // only as the last to end after a completed conversion, never by itself.
  ChangeStatus(stError);
  if (TaskModel().TaskEnded) TaskModel().TaskEnded(*this, true);
  FreeBatchPlace();
  auto* node = dynamic_cast<TConvertingNode*>(FCategory);
  if (!node || node->AnyRunningOrWaiting()) return;
  const bool powerOff = node->PowerOffDeferred() && TaskModel().ShutdownWhenDone();
  node->SetPowerOffDeferred(false);
  if (powerOff && TaskModel().PowerOff) TaskModel().PowerOff();
}

bool TAVTask::AwaitPreviousJob() {
  if (!FConverter->Busy()) return true;
  const std::shared_ptr<const std::atomic<bool>> running = FConverter->JobRunning();
  const std::shared_ptr<TPendingLog> pending = FPending;  // tells whether this task still exists
  MainThread().WaitUntil([running] { return !running->load(); });
  {
    std::lock_guard<std::mutex> g(pending->Lock);
    if (!pending->Alive) return false;
  }
  // Filed by a completion, or started again by a click handled meanwhile.
  return FStatus != stFinished && !FConverter->Busy();
}

void TAVTask::FreeBatchPlace() {
  // A batch task that no longer converts frees its place for a waiting one.
  if (FBatch)
    if (auto* node = dynamic_cast<TConvertingNode*>(FCategory)) node->ScheduleStartWaiting();
}

void TAVTask::ConverterComplete() {
  // Lines still on their way belong to the stored log.
  DrainPendingLog();
  FStatus = stFinished;
  RefreshView();
  if (TaskModel().Store) TaskModel().Store->FinishDbTask(*this);
  if (TaskModel().TaskEnded) TaskModel().TaskEnded(*this, !FConverter->ErrorMessage().empty());
  TNodeObject* converting = FCategory;
  std::unique_ptr<TAVTask> self = converting->TakeTask(this);
  TCategoryTreeView* tree = converting->TreeView();
  TTaskListView* list = converting->ListView();
  const bool convertingShown = tree && converting->Node() && tree->IsRowSelected(converting->Node());
  auto* focused = tree ? dynamic_cast<TConvertedNode*>(tree->ObjectOf(tree->FocusedRow())) : nullptr;
  if (convertingShown) {
    if (list && FNode) list->RemoveRow(FNode);
  } else if (focused && focused->CategoryId == FCategoryId && focused->ListView()) {
    FIsConverted = true;
    FCategory = focused;
    TTaskListView& shown = *focused->ListView();
    focused->Tasks().push_back(std::move(self));
    TNodeObject::AddNodeToView(shown, *this);
  }
  auto* node = dynamic_cast<TConvertingNode*>(converting);
  // A finished task frees its place: the next waiting tasks start, and the
  // computer stays on while any are left.
  if (node) node->StartWaiting();
  const bool shutdown = TaskModel().ShutdownWhenDone();
  const bool others = node && node->AnyRunningOrWaiting();
  const bool powerOff = shutdown && node && !others;
  if (node) node->SetPowerOffDeferred(shutdown && others);
  self.reset();  // the task is destroyed unless it moved to its category; `this` may be gone now
  if (powerOff && TaskModel().PowerOff) TaskModel().PowerOff();
}
