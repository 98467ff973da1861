#pragma once
// The task information: the "Logs" page with the shown task's log lines, and
// the "Task Info" grid page whose tab is hidden. Main thread.
#include <QWidget>

#include "CommonGUI/AVNodesViews.h"

class QAction;
class QListWidget;
class QMenu;
class QTabWidget;
class QTreeWidget;

class TFrameInfo : public QWidget, public TInfoView, public TLogListView {
  Q_OBJECT
 public:
  explicit TFrameInfo(QWidget* Parent = nullptr);

  // Node fills the grid and the log list; it is remembered as the task shown.
  void ShowTask(TNodeObject* Node);
  // The task shown last; nullptr once it has left the task list.
  TNodeObject* Task() const { return FTask; }
  // The task list says Node's row is going: it is no longer acted on.
  void ForgetTask(TNodeObject* Node);

  // TInfoView, TLogListView.
  void ClearColumns() override;
  void AddColumn(const std::string& Caption, int Width) override;
  void SetItems(const std::vector<std::string>& Lines) override;

  // "清空": the log has lines and its task is still in the list.
  bool CanClearLog() const;
  void ClearLog();

  QTabWidget* Pages() const { return pcInfo; }
  QListWidget* LogList() const { return lbLogs; }
  QTreeWidget* Grid() const { return tvInfo; }
  QMenu* LogMenu() const { return pmLogs; }
  QAction* actClearLog;

 private:
  QTabWidget* pcInfo;
  QTreeWidget* tvInfo;
  QListWidget* lbLogs;
  QMenu* pmLogs;
  TNodeObject* FTask = nullptr;  // not owned
};
