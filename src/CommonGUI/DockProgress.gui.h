#pragma once
// Progress of the conversions on the application's entry in the dock or task
// bar: the com.canonical.Unity.LauncherEntry signal over D-Bus, which KDE's
// task manager, Dash to Dock, Plank and others show. Where nothing listens,
// the signals go unseen. Main thread.
#include <QDBusConnection>
#include <QObject>
#include <QTimer>

#include <functional>
#include <set>
#include <vector>

// One task of the task list as the entry sees it.
struct TDockTask {
  const void* Id;  // the task; the same object from one look to the next
  bool Active;     // converting, paused, or waiting in a batch
  int Percent;     // its progress, 0 to 100
};

class TConvertingNode;

// The tasks of the task list (none without one).
std::vector<TDockTask> DockTasks(TConvertingNode* Node);

// What the entry shows: the tasks still to end, and the progress of these
// together with those that ended since the entry appeared (so that a task
// leaving the list does not move the bar back).
struct TDockFigures {
  int Active = 0;
  int Percent = 0;
  bool operator==(const TDockFigures&) const = default;
};

class TDockProgress : public QObject {
 public:
  using TTaskSource = std::function<std::vector<TDockTask>()>;
  // Installs itself as the task model's TaskStarted handler for its
  // lifetime: from a task's start it looks at Tasks twice a second until no
  // task is left to end, so an idle application is not woken.
  explicit TDockProgress(TTaskSource Tasks, QDBusConnection Bus = QDBusConnection::sessionBus(),
                         QObject* Parent = nullptr);
  ~TDockProgress() override;
  // Sends the figures when they differ from those last sent; hides the bar
  // when no task is left to end.
  void Look();

 private:
  void Send(const TDockFigures& Figures);

  TTaskSource FTasks;
  QDBusConnection FBus;
  QTimer FTimer;
  std::set<const void*> FActive;  // the active tasks at the last look
  int FEnded = 0;                 // tasks that ended since the bar appeared
  TDockFigures FShown;            // what was last sent; Active 0: hidden
};
