#pragma once
// The task list: the tasks of the selected category, several rows selectable,
// columns movable and resizable, the task menu as context menu. Main thread.
#include <QWidget>

#include <vector>

class QMenu;
class QTreeView;
class TAVTask;
class TNodeObject;
class TTaskListModel;

class TFrameList : public QWidget {
  Q_OBJECT
 public:
  explicit TFrameList(QWidget* Parent = nullptr);

  // Shows Node's tasks (the node fills the list).
  void ShowNode(TNodeObject& Node);
  // The task of the focused row, or nullptr.
  TAVTask* CurrentTask() const;
  // The tasks of the selected rows, top to bottom.
  std::vector<TAVTask*> SelectedTasks() const;
  int SelectedCount() const;
  // Stop of every selected task that is running or paused.
  void StopSelected();
  // The delete dialog; when confirmed, running and paused tasks are stopped,
  // the others deleted with the dialog's choices.
  void DeleteSelected();
  // The context menu of the rows (the data module's task menu); not owned.
  void SetTaskMenu(QMenu* Menu) { FTaskMenu = Menu; }

  QTreeView* View() const { return lvTasks; }
  TTaskListModel& Model() const { return *FModel; }

 signals:
  // The focused row changed to a row with an object.
  void TaskChanged(TNodeObject* Task);

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void ApplyColumnWidths();
  // A repainted row whose text outgrew its column (a size-limited task adds
  // its pass to the progress) widens that column, unless the user sized it.
  void WidenForRows(int First, int Last);

  TTaskListModel* FModel;
  std::vector<int> FGivenWidths;  // per column, the width the list gave it last
  // Per column, the longest text (in display cells) known to fit its given
  // width: measuring a cell costs a text layout, and progress repaints a row
  // ten times a second with figures that rarely grow.
  std::vector<qsizetype> FFittingCells;
  QTreeView* lvTasks;
  QMenu* FTaskMenu = nullptr;
};
