#include "CommonGUI/AVNodes.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "Common/DateTime.h"
#include "Common/Errors.h"
#include "Common/SameFile.h"
#include "Common/MainThreadDispatcher.h"
#include "Converter/avlib.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t kBytesPerKilobyte = 1024;

struct TColumn {
  const char* Caption;
  int Width;
};
constexpr TColumn kConvertingColumns[] = {{"原文件", 150},   {"原文件大小", 100}, {"目标文件", 150}, {"目标文件大小", 100},
                                          {"输出格式", 100}, {"长度", 60},         {"进度", 70},     {"位率(kbs)", 70},
                                          {"剩余时长", 70},  {"已用时长", 70}};
constexpr TColumn kConvertedColumns[] = {{"原文件", 150},   {"原文件大小", 100}, {"已转换文件", 150}, {"已转换文件大小", 100},
                                         {"输出格式", 100}, {"长度", 60},         {"日期", 120}};
constexpr TColumn kInfoColumns[] = {{"Category", 100}, {"Property", 150}, {"Value", 150}};

template <size_t N>
void SetColumns(TTaskListView& List, const TColumn (&Columns)[N]) {
  List.ClearRows();
  List.ClearColumns();
  for (const auto& c : Columns) List.AddColumn(c.Caption, c.Width);
}

// Groups of three digits separated by commas.
std::string Thousands(uint64_t Value) {
  std::string digits = std::to_string(Value);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out += ',';
    out += digits[i];
  }
  return out;
}

}  // namespace

int64_t TTaskModelEnvironment::MonotonicMicroseconds() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

TTaskModelEnvironment& TaskModel() {
  static TTaskModelEnvironment environment;
  return environment;
}

// ---- captions ----

int64_t FileSizeOf(const std::string& FileName) {
  std::error_code ec;
  if (FileName.empty() || !fs::is_regular_file(FileName, ec)) return 0;
  const auto size = fs::file_size(FileName, ec);
  return ec ? 0 : static_cast<int64_t>(size);
}

std::string SizeCaption(int64_t Bytes) { return std::to_string(Bytes / kBytesPerKilobyte) + "KB"; }

std::string DurationCaption(double Seconds) {
  return TAVConverter::GetTimeString(static_cast<int64_t>(std::nearbyint(Seconds)));
}

std::string BitrateCaption(double Kbps) {
  constexpr int kHundredths = 100;
  const bool negative = Kbps < 0;
  const int64_t cents = std::llround(std::fabs(Kbps) * kHundredths);
  const int64_t whole = cents / kHundredths;
  const int64_t fraction = cents % kHundredths;
  std::string out = negative ? "-" : "";
  if (whole > 0) out += Thousands(static_cast<uint64_t>(whole));
  out += '.';
  out += std::to_string(fraction / 10);
  if (fraction % 10) out += std::to_string(fraction % 10);
  return out;
}

std::string DateCaption(double Days) { return DateToText(Days); }

std::string FileNameOnly(const std::string& Path) { return fs::path(Path).filename().string(); }

std::string TrimLogLine(const std::string& Text) {
  size_t b = 0, e = Text.size();
  while (b < e && static_cast<unsigned char>(Text[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(Text[e - 1]) <= ' ') --e;
  return Text.substr(b, e - b);
}

// ---- TNodeObject ----

TNodeObject::~TNodeObject() { ClearTasks(); }

TNodeObject* TNodeObject::Parent() const {
  QB_ASSERT("AVNodes", FTreeView && FNode);
  return FTreeView->ObjectOf(FTreeView->ParentRow(FNode));
}

void TNodeObject::LoadTaskInfo(TInfoView& AList, TLogListView& ALogList) {
  FInfoView = &AList;
  FLogList = &ALogList;
}

TViewRow TNodeObject::AddNodeToView(TTaskListView& AView, TNodeObject& ANode) {
  ANode.FNode = AView.AddRow(&ANode);
  return ANode.FNode;
}

TViewRow TNodeObject::AddNodeToView(TCategoryTreeView& AView, TNodeObject& ANode, TViewRow ParentNode) {
  ANode.FNode = AView.AddRow(&ANode, ParentNode);
  ANode.FTreeView = &AView;
  return ANode.FNode;
}

std::string TNodeObject::GetCaption(const TNodeObject* ANode, int ColumnIndex) {
  return ANode ? ANode->GetCaption(ColumnIndex) : std::string();
}

int TNodeObject::GetImageIndex(const TNodeObject* ANode) { return ANode ? ANode->GetImageIndex() : -1; }

void TNodeObject::EditData(TNodeObject* Focused) {
  if (!Focused) return;
  try {
    Focused->Edit();
  } catch (const std::exception& e) {
    ShowErrorMessage(std::string("ERROR:") + e.what());
  }
}

void TNodeObject::RefreshRow(TViewRow ARow) {
  if (FListView && ARow) FListView->RefreshRow(ARow);
}

void TNodeObject::ClearTasks() {
  while (!FTasks.empty()) FTasks.pop_back();  // last first
}

std::unique_ptr<TAVTask> TNodeObject::TakeTask(TAVTask* Task) {
  auto it = std::find_if(FTasks.begin(), FTasks.end(), [Task](const auto& t) { return t.get() == Task; });
  if (it == FTasks.end()) return nullptr;
  std::unique_ptr<TAVTask> owned = std::move(*it);
  FTasks.erase(it);
  return owned;
}

// ---- categories ----

void TConvertingNode::LoadTaskList(TTaskListView& AList) {
  TNodeObject::LoadTaskList(AList);
  SetColumns(AList, kConvertingColumns);
  if (!FLoaded) {
    if (TaskModel().Store) TaskModel().Store->LoadConvertingTask(*this);
    FLoaded = true;
  }
  for (auto& t : FTasks) AddNodeToView(AList, *t);
}

bool TConvertingNode::AnyRunning() const {
  return std::any_of(FTasks.begin(), FTasks.end(), [](const auto& t) { return t->Status() == stRunning; });
}

TConvertingNode::TConvertingNode() = default;

TConvertingNode::~TConvertingNode() { *FAlive = false; }

TAVTask* TConvertingNode::AddTask(std::unique_ptr<TConversionSettings> ASettings) {
  const int32_t category = ASettings->CategoryId;
  auto owned = std::make_unique<TConvertingTask>(std::move(ASettings), FListView);
  TAVTask* task = owned.get();
  if (FListView && FTreeView && FNode && FTreeView->IsRowSelected(FNode)) AddNodeToView(*FListView, *task);
  FTasks.push_back(std::move(owned));
  task->SetCategory(this);
  task->SetCategoryId(category);
  return task;
}

TAVTask* TConvertingNode::NewConversion(std::unique_ptr<TConversionSettings> ASettings) {
  TAVTask* task = AddTask(std::move(ASettings));
  task->Start();
  if (TaskModel().Store) TaskModel().Store->NewDbTask(*task);
  return task;
}

std::vector<TAVTask*> TConvertingNode::NewBatch(std::vector<std::unique_ptr<TConversionSettings>> ASettings) {
  std::vector<TAVTask*> tasks;
  for (auto& settings : ASettings) {
    // A mirrored tree's folders exist before any of its files is written; a
    // folder that cannot be made shows as the conversion's own failure.
    std::error_code ec;
    const fs::path folder = fs::path(settings->TargetFile).parent_path();
    if (!folder.empty()) fs::create_directories(folder, ec);
    TAVTask* task = AddTask(std::move(settings));
    task->SetBatch(true);
    task->SetStatus(stWaiting);
    // Stored while waiting: after a restart it comes back as interrupted.
    if (TaskModel().Store) TaskModel().Store->NewDbTask(*task);
    tasks.push_back(task);
  }
  StartWaiting();
  return tasks;
}

void TConvertingNode::RefreshTaskRow(TAVTask& Task) {
  if (FTreeView && FNode && FTreeView->IsRowSelected(FNode)) RefreshRow(Task.Node());
}

void TConvertingNode::StartWaiting() {
  const int limit = std::max(1, TaskModel().BatchLimit());
  int converting = static_cast<int>(std::count_if(FTasks.begin(), FTasks.end(), [](const auto& t) {
    return t->Batch() && (t->Status() == stRunning || t->Status() == stPaused);
  }));
  // Start may finish a task at once (a captured one); take the waiting tasks first.
  std::vector<TAVTask*> waiting;
  for (auto& t : FTasks)
    if (t->Status() == stWaiting) waiting.push_back(t.get());
  for (TAVTask* task : waiting) {
    if (converting >= limit) break;
    task->Start();
    RefreshTaskRow(*task);
    ++converting;
  }
}

void TConvertingNode::ScheduleStartWaiting() {
  if (FStartScheduled) return;
  FStartScheduled = true;
  MainThread().Post([this, alive = FAlive] {
    if (!*alive) return;
    FStartScheduled = false;
    StartWaiting();
  });
}

bool TConvertingNode::AnyRunningOrWaiting() const {
  return std::any_of(FTasks.begin(), FTasks.end(),
                     [](const auto& t) { return t->Status() == stRunning || t->Status() == stWaiting; });
}

TCategoryMenu* TConvertedNode::GetPopupMenu() {
  TCategoryMenu* menu = TaskModel().CategoryMenu;
  if (menu) menu->SetTag(this);
  return menu;
}

void TConvertedNode::LoadTaskList(TTaskListView& AList) {
  TNodeObject::LoadTaskList(AList);
  SetColumns(AList, kConvertedColumns);
  ClearTasks();
  if (TaskModel().Store) TaskModel().Store->LoadConvertedTask(*this);
  for (auto& t : FTasks) AddNodeToView(AList, *t);
}

void TConvertedNode::DeleteChildrens() {
  QB_ASSERT("AVNodes", FTreeView && FNode);
  for (TViewRow row : FTreeView->Subtree(FNode)) {
    auto* node = dynamic_cast<TConvertedNode*>(FTreeView->ObjectOf(row));
    if (node && TaskModel().Store) TaskModel().Store->DeleteCategory(*node);
  }
}

// ---- tasks ----

TAVTask::TAVTask(std::unique_ptr<TConversionSettings> ASettings, TTaskListView* AListView)
    : FConverter(std::make_unique<TAVConverter>()),
      FSettings(std::move(ASettings)),
      FPending(std::make_shared<TPendingLog>()) {
  FListView = AListView;
  FConverter->OnProgress = [this](TAVConverter*) { ConverterProgress(); };
  // Worker thread: only the shared hand-over box is touched, never the task,
  // which may be gone by the time a late line arrives.
  FConverter->OnLog = [pending = FPending, this](TAVConverter*, int, const std::string& Text) {
    HandOverLog(pending, this, Text);
  };
  FConverter->OnComplete = [this](TAVConverter*) { ConverterComplete(); };
  FConverter->OnSetupFailed = [this](TAVConverter*) { ConverterSetupFailed(); };
}

TAVTask::~TAVTask() {
  std::lock_guard<std::mutex> g(FPending->Lock);
  FPending->Alive = false;
}

bool TAVTask::CanOpenSource() const {
  std::error_code ec;
  return fs::exists(FSettings->SourceFile, ec);
}

bool TAVTask::ConvertedIsValid() const {
  std::error_code ec;
  return FIsConverted && fs::exists(FSettings->TargetFile, ec);
}

int TAVTask::GetImageIndex() const {
  QB_ASSERT("AVNodes", FStatus >= stRunning && FStatus <= stWaiting);
  return static_cast<int>(FStatus);
}

void TAVTask::ShowLog() {
  if (FLogList && FListView && FNode && FListView->IsRowSelected(FNode)) FLogList->SetItems(FLog);
}

void TAVTask::ClearLog() {
  FLog.clear();
  if (FLogList) FLogList->SetItems(FLog);
  if (TaskModel().Store) TaskModel().Store->ClearLog(*this);
}

void TAVTask::LoadTaskInfo(TInfoView& AList, TLogListView& ALogList) {
  TNodeObject::LoadTaskInfo(AList, ALogList);
  AList.ClearColumns();
  for (const auto& c : kInfoColumns) AList.AddColumn(c.Caption, c.Width);
  ALogList.SetItems(FLog);
}

void TAVTask::Delete(bool DeleteSource, bool DeleteTarget) {
  if (TaskModel().Store) TaskModel().Store->DeleteTask(*this);
  std::error_code ec;
  if (DeleteSource && fs::exists(FSettings->SourceFile, ec)) fs::remove(FSettings->SourceFile, ec);
  // A target that is the source itself (a refused conversion) is never deleted as a target.
  if (DeleteTarget && fs::exists(FSettings->TargetFile, ec) && !NamesSameFile(FSettings->TargetFile, FSettings->SourceFile))
    fs::remove(FSettings->TargetFile, ec);
  TNodeObject* category = FCategory;
  if (!category) return;
  std::unique_ptr<TAVTask> self = category->TakeTask(this);
  TTaskListView* list = category->ListView();
  const bool shown = category->TreeView() && category->Node() && category->TreeView()->IsRowSelected(category->Node());
  if (shown && list && FNode) list->RemoveRow(FNode);
  // `self` destroys the task here whether or not its list is shown (nothing
  // else refers to it any more); nothing of it may be touched afterwards.
}

std::string ProgressCaption(int Percent, int PassNumber, int PassCount) {
  std::string caption = std::to_string(Percent) + "%";
  if (PassCount <= 0) return caption;
  if (PassNumber > PassCount) return caption + " 修正";
  return caption + " 第" + std::to_string(PassNumber) + "遍/共" + std::to_string(PassCount) + "遍";
}

std::string TConvertingTask::GetCaption(int ColumnIndex) const {
  const TConversionSettings& s = *FSettings;
  const TAVConverter& c = *FConverter;
  if (!FIsConverted) {
    switch (ColumnIndex) {
      case 0: return FileNameOnly(s.SourceFile);
      case 1: return SizeCaption(FileSizeOf(s.SourceFile));
      case 2: return FileNameOnly(s.TargetFile);
      case 3: return SizeCaption(c.TargetFileSize());
      case 4: return GetTargetProfileText();
      case 5: return DurationCaption(c.Duration());
      case 6:
        if (FStatus == stWaiting) return kWaitingCaption;
        // The pass only while it runs: a stopped or refused job shows none.
        if (FStatus == stRunning || FStatus == stPaused) return ProgressCaption(c.Progress(), c.PassNumber(), c.PassCount());
        return ProgressCaption(c.Progress(), 0, 0);
      case 7: return BitrateCaption(c.Bitrate());
      case 8: return TAVConverter::GetTimeString(c.GetLeftTime());
      case 9: return TAVConverter::GetTimeString(c.GetUsedTime());
      default: return "";
    }
  }
  switch (ColumnIndex) {
    case 0: return FileNameOnly(s.SourceFile);
    case 1: return SizeCaption(FileSizeOf(s.SourceFile));
    case 2: return FileNameOnly(s.TargetFile);
    case 3: return SizeCaption(FileSizeOf(s.TargetFile));
    case 4: return GetTargetProfileText();
    case 5: return DurationCaption(s.Duration);
    case 6: return DateCaption(FDate);
    default: return "";
  }
}
