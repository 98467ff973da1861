#include "CommonGUI/DockProgress.gui.h"

#include <QDBusMessage>
#include <QVariantMap>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/AppIdentity.h"

namespace {

constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";
constexpr const char* kPath = "/com/canonical/unity/launcherentry/quillbrook";
constexpr int kLookIntervalMs = 500;
constexpr int kPercent = 100;

}  // namespace

std::vector<TDockTask> DockTasks(TConvertingNode* Node) {
  std::vector<TDockTask> tasks;
  if (!Node) return tasks;
  for (const std::unique_ptr<TAVTask>& task : Node->Tasks()) {
    const TAVTaskStatus status = task->Status();
    const bool converting = status == stRunning || status == stPaused;
    tasks.push_back({task.get(), converting || status == stWaiting, converting ? task->Converter().Progress() : 0});
  }
  return tasks;
}

TDockProgress::TDockProgress(TTaskSource Tasks, QDBusConnection Bus, QObject* Parent)
    : QObject(Parent), FTasks(std::move(Tasks)), FBus(std::move(Bus)) {
  FTimer.setInterval(kLookIntervalMs);
  connect(&FTimer, &QTimer::timeout, this, &TDockProgress::Look);
  TaskModel().TaskStarted = [this] {
    if (FTimer.isActive()) return;
    FTimer.start();
    Look();
  };
}

TDockProgress::~TDockProgress() { TaskModel().TaskStarted = nullptr; }

void TDockProgress::Look() {
  std::set<const void*> active;
  int percentSum = 0;
  for (const TDockTask& task : FTasks()) {
    if (!task.Active) continue;
    active.insert(task.Id);
    percentSum += task.Percent;
  }
  // A task that was active and is not any more has ended (finished, failed,
  // stopped or deleted): it counts as done until the bar goes.
  for (const void* id : FActive)
    if (!active.count(id)) ++FEnded;
  FActive = std::move(active);
  TDockFigures figures;
  figures.Active = static_cast<int>(FActive.size());
  if (figures.Active == 0) {
    FEnded = 0;
    FTimer.stop();
  } else {
    const int all = figures.Active + FEnded;
    figures.Percent = (FEnded * kPercent + percentSum) / all;
  }
  if (figures != FShown) Send(figures);
}

void TDockProgress::Send(const TDockFigures& Figures) {
  FShown = Figures;
  if (!FBus.isConnected()) return;
  QDBusMessage signal =
      QDBusMessage::createSignal(QLatin1String(kPath), QLatin1String(kInterface), QStringLiteral("Update"));
  QVariantMap properties;
  const bool visible = Figures.Active > 0;
  properties.insert(QStringLiteral("progress"), static_cast<double>(Figures.Percent) / kPercent);
  properties.insert(QStringLiteral("progress-visible"), visible);
  properties.insert(QStringLiteral("count"), static_cast<qint64>(Figures.Active));
  properties.insert(QStringLiteral("count-visible"), visible);
  signal << QStringLiteral("application://%1.desktop").arg(QLatin1String(kDesktopAppId)) << properties;
  FBus.send(signal);
}
