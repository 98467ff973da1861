#pragma once
// The task model: the converting category, the categories of converted files
// and the tasks in them. Every view row points at one of these objects and
// asks it for what to show. Main thread, except where a comment says otherwise.
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Common/CConversionSettings.h"
#include "CommonGUI/AVNodesViews.h"
#include "Converter/AVConverter.h"

class TAVTask;
class TConvertingNode;
class TConvertedNode;

// stWaiting: a task of a batch that waits for a free place (see
// TConvertingNode::StartWaiting); it has no converter job yet.
enum TAVTaskStatus { stRunning = 0, stPaused = 1, stError = 2, stFinished = 3, stWaiting = 4 };

// The task database operations the model needs (the persistence layer provides them).
class TTaskStore {
 public:
  virtual ~TTaskStore() = default;
  virtual void NewDbTask(TAVTask& Task) = 0;
  virtual void LoadConvertingTask(TConvertingNode& Node) = 0;
  virtual void FinishDbTask(TAVTask& Task) = 0;
  virtual void LoadConvertedTask(TConvertedNode& Node) = 0;
  virtual void DeleteTask(TAVTask& Task) = 0;
  virtual void ClearLog(TAVTask& Task) = 0;
  virtual void DeleteCategory(TConvertedNode& Node) = 0;
};

// What the model needs from the rest of the program, set once at start-up.
struct TTaskModelEnvironment {
  TTaskStore* Store = nullptr;
  TCategoryMenu* CategoryMenu = nullptr;
  std::function<bool()> ShutdownWhenDone = [] { return false; };
  std::function<void()> PowerOff;  // asks the system to shut down
  // Monotonic microseconds that pace the progress repaints of task rows.
  std::function<int64_t()> Clock = MonotonicMicroseconds;
  static int64_t MonotonicMicroseconds();
  // A task's conversion ended (Failed: with an error); before the task is
  // filed or destroyed. Main thread.
  std::function<void(const TAVTask& Task, bool Failed)> TaskEnded;
  // A task's conversion started. Main thread.
  std::function<void()> TaskStarted;
  // How many tasks of batches may convert at once (at least 1).
  std::function<int()> BatchLimit = [] { return 1; };
};
TTaskModelEnvironment& TaskModel();

// A task row is repainted for progress at most this often (plus the notice
// before a pause or stop, and the completion): ten times a second.
constexpr int64_t kRowRepaintIntervalUs = 100000;

class TNodeObject {
 public:
  TNodeObject() = default;
  virtual ~TNodeObject();
  TNodeObject(const TNodeObject&) = delete;
  TNodeObject& operator=(const TNodeObject&) = delete;

  TViewRow Node() const { return FNode; }
  void SetNode(TViewRow Value) { FNode = Value; }
  TNodeObject* Parent() const;
  TTaskListView* ListView() const { return FListView; }
  TCategoryTreeView* TreeView() const { return FTreeView; }
  void SetTreeView(TCategoryTreeView* Value) { FTreeView = Value; }
  std::vector<std::unique_ptr<TAVTask>>& Tasks() { return FTasks; }

  virtual TCategoryMenu* GetPopupMenu() { return nullptr; }
  virtual void Edit() {}
  virtual void Delete(bool DeleteSource, bool DeleteTarget) = 0;
  virtual std::string GetInformation() const { return ""; }
  virtual std::string GetCaption(int ColumnIndex) const = 0;
  virtual int GetImageIndex() const { return -1; }
  virtual void LoadTaskList(TTaskListView& AList) { FListView = &AList; }
  virtual void LoadTaskInfo(TInfoView& AList, TLogListView& ALogList);

  // Class-level helpers used by the views.
  static TViewRow AddNodeToView(TTaskListView& AView, TNodeObject& ANode);
  static TViewRow AddNodeToView(TCategoryTreeView& AView, TNodeObject& ANode, TViewRow ParentNode);
  static std::string GetCaption(const TNodeObject* ANode, int ColumnIndex);
  static int GetImageIndex(const TNodeObject* ANode);
  // The focused object's Edit; a failure is shown as "ERROR:" and its message.
  static void EditData(TNodeObject* Focused);

  void RefreshRow(TViewRow ARow);
  void ClearTasks();
  // Takes Task out of FTasks; the caller owns it.
  std::unique_ptr<TAVTask> TakeTask(TAVTask* Task);

 protected:
  TTaskListView* FListView = nullptr;
  TInfoView* FInfoView = nullptr;
  TCategoryTreeView* FTreeView = nullptr;
  TLogListView* FLogList = nullptr;
  TViewRow FNode = nullptr;
  std::vector<std::unique_ptr<TAVTask>> FTasks;
};

class TConvertingNode : public TNodeObject {
 public:
  static constexpr const char* kCaption = "任务列表";
  void Delete(bool, bool) override {}
  std::string GetCaption(int) const override { return kCaption; }
  int GetImageIndex() const override { return 0; }
  void LoadTaskList(TTaskListView& AList) override;
  TConvertingNode();
  ~TConvertingNode() override;
  // Creates, shows, starts and stores a task for ASettings.
  TAVTask* NewConversion(std::unique_ptr<TConversionSettings> ASettings);
  // Creates, shows and stores one waiting task per settings record, in order,
  // then starts as many as the batch limit allows.
  std::vector<TAVTask*> NewBatch(std::vector<std::unique_ptr<TConversionSettings>> ASettings);
  // Starts waiting tasks, in list order, while fewer tasks of batches than
  // TaskModel().BatchLimit() run or are paused. Tasks added one at a time
  // neither wait nor count.
  void StartWaiting();
  // StartWaiting once the pending events have been handled, so that stopping
  // several tasks in one go stops them all before any waiting one starts.
  void ScheduleStartWaiting();
  bool Loaded() const { return FLoaded; }
  // True when some task of this category is running.
  bool AnyRunning() const;
  // True when some task of this category is running or waits to run.
  bool AnyRunningOrWaiting() const;
  // A conversion completed with a shutdown asked for while others still ran
  // or waited: whichever of them ends last powers off, also by a failed start.
  // Main thread.
  void SetPowerOffDeferred(bool Value) { FPowerOffDeferred = Value; }
  bool PowerOffDeferred() const { return FPowerOffDeferred; }

 private:
  // Appends a task for ASettings to the list (and the shown rows).
  TAVTask* AddTask(std::unique_ptr<TConversionSettings> ASettings);
  void RefreshTaskRow(TAVTask& Task);

  bool FLoaded = false;
  bool FStartScheduled = false;
  bool FPowerOffDeferred = false;
  // Lets a scheduled StartWaiting find out that the node is gone.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TConvertedNode : public TNodeObject {
 public:
  static constexpr int kRootCategoryId = 1;
  std::string Folder;
  int32_t CategoryId = 0;
  std::string Category;

  bool IsRoot() const { return CategoryId == kRootCategoryId; }
  void Delete(bool, bool) override {}
  std::string GetCaption(int) const override { return Category; }
  int GetImageIndex() const override { return 1; }
  TCategoryMenu* GetPopupMenu() override;
  void LoadTaskList(TTaskListView& AList) override;
  // Deletes this category and every category below it from the database.
  void DeleteChildrens();
};

class TAVTask : public TNodeObject {
 public:
  TAVTask(std::unique_ptr<TConversionSettings> ASettings, TTaskListView* AListView);
  ~TAVTask() override;

  TAVConverter& Converter() { return *FConverter; }
  const TAVConverter& Converter() const { return *FConverter; }
  TConversionSettings& Settings() { return *FSettings; }
  const TConversionSettings& Settings() const { return *FSettings; }
  double Date() const { return FDate; }
  void SetDate(double Value) { FDate = Value; }
  TAVTaskStatus Status() const { return FStatus; }
  void SetStatus(TAVTaskStatus Value) { FStatus = Value; }
  int32_t ID() const { return FID; }
  void SetID(int32_t Value) { FID = Value; }
  int32_t CategoryId() const { return FCategoryId; }
  void SetCategoryId(int32_t Value) { FCategoryId = Value; }
  bool IsConverted() const { return FIsConverted; }
  void SetIsConverted(bool Value) { FIsConverted = Value; }
  const std::vector<std::string>& Log() const { return FLog; }
  void SetLog(const std::vector<std::string>& Value) { FLog = Value; }
  TNodeObject* Category() const { return FCategory; }
  void SetCategory(TNodeObject* Value) { FCategory = Value; }
  // Added as part of a batch: counts against the batch limit.
  bool Batch() const { return FBatch; }
  void SetBatch(bool Value) { FBatch = Value; }

  std::string GetTargetProfileText() const { return FSettings->Profile; }
  bool CanOpenSource() const;
  bool ConvertedIsValid() const;
  void ClearLog();
  int GetImageIndex() const override;
  void Delete(bool DeleteSource, bool DeleteTarget) override;
  void LoadTaskInfo(TInfoView& AList, TLogListView& ALogList) override;

  virtual void Start() { ChangeStatus(stRunning); }
  virtual void Pause() { ChangeStatus(stPaused); }
  virtual void Resume() { ChangeStatus(stRunning); }
  virtual void Stop() { ChangeStatus(stError); }

 protected:
  // Event handlers of the converter.
  // Main thread: repaints the row when the last progress repaint is
  // kRowRepaintIntervalUs old, or when the job is about to pause or stop.
  void ConverterProgress();
  struct TPendingLog;
  // Worker thread: queues Text and asks the main thread to apply it; never waits.
  static void HandOverLog(const std::shared_ptr<TPendingLog>& Pending, TAVTask* Task, const std::string& Text);
  void ConverterComplete();
  // The conversion failed while being set up: the task stops with the error in its log.
  void ConverterSetupFailed();
  // A batch task that stopped converting lets the next waiting one start.
  void FreeBatchPlace();
  // Main thread: a stopped job may still be closing its files; waits until its
  // worker has ended (handling what it raises meanwhile), so that a restart
  // never runs beside it on the same target. False when the task was filed
  // or destroyed in that time (a completion that came before the stop).
  bool AwaitPreviousJob();
  // Sets the status and repaints the row, whose image shows it.
  void ChangeStatus(TAVTaskStatus Value);
  void RefreshView();
  void ResetLog();
  // Main thread: applies the lines handed over by the worker, in order.
  void DrainPendingLog();
  // Appends one line, keeping at most kMaxLogLines older ones.
  void AddLogLine(const std::string& Text);
  void ShowLog();

  std::unique_ptr<TAVConverter> FConverter;
  std::unique_ptr<TConversionSettings> FSettings;
  double FDate = 0.0;
  TAVTaskStatus FStatus = stRunning;
  int32_t FID = 0;
  int32_t FCategoryId = 0;
  bool FIsConverted = false;
  std::vector<std::string> FLog;
  TNodeObject* FCategory = nullptr;
  std::optional<int64_t> FLastProgressRepaint;  // TaskModel().Clock of the last one; none since Start
  bool FBatch = false;

 private:
  std::shared_ptr<TPendingLog> FPending;
};

// Log lines handed over by a task's worker; the worker only appends under the
// lock and never waits for the main thread.
struct TAVTask::TPendingLog {
  std::mutex Lock;                   // guards Lines and Alive
  std::vector<std::string> Lines;
  bool Alive = true;                 // false once the task is destroyed (main thread)
};

class TConvertingTask : public TAVTask {
 public:
  using TAVTask::TAVTask;
  std::string GetCaption(int ColumnIndex) const override;
  void Start() override;
  void Pause() override;
  void Resume() override;
  void Stop() override;
};

// Size in bytes of FileName, 0 when there is no such file.
int64_t FileSizeOf(const std::string& FileName);
// "%dKB" of a size in bytes.
std::string SizeCaption(int64_t Bytes);
// Seconds rounded half to even, through GetTimeString.
std::string DurationCaption(double Seconds);
// A bit rate in the "###,###.0#" form (0 shows as ".0").
std::string BitrateCaption(double Kbps);
// A date-time (days since 1899-12-30, local) as short date and long time.
std::string DateCaption(double Days);
// The file name without its folder.
std::string FileNameOnly(const std::string& Path);
// Log text cleaned as stored: leading and trailing white space and control characters removed.
std::string TrimLogLine(const std::string& Text);

constexpr int kMaxLogLines = 50;  // kept before a new line is added
// The progress column of a task that waits for a free place.
inline constexpr const char* kWaitingCaption = "等待中";
// The progress column of a converting task: "45%", followed in a job with
// passes (a target size) by the pass that runs: "45% 第1遍/共2遍", and
// "95% 修正" while a corrective pass runs (PassNumber above PassCount).
std::string ProgressCaption(int Percent, int PassNumber, int PassCount);
