#include "CommonGUI/FListFrame.gui.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/CDeleteDlg.gui.h"
#include "CommonGUI/FMainRules.h"
#include "CommonGUI/ImageLists.gui.h"
#include "CommonGUI/TaskListModel.gui.h"

namespace {

// Rows have one height (uniform heights, one icon size), so a changed row
// needs a repaint only: the tree's own handler measures every cell of the
// first row again on each change, a text layout per column ten times a
// second while a task converts.
class TTaskTreeView : public QTreeView {
 protected:
  void dataChanged(const QModelIndex& TopLeft, const QModelIndex& BottomRight, const QList<int>& Roles) override {
    QAbstractItemView::dataChanged(TopLeft, BottomRight, Roles);
  }
};

}  // namespace

TFrameList::TFrameList(QWidget* Parent) : QWidget(Parent) {
  setObjectName(QStringLiteral("FrameList"));
  FModel = new TTaskListModel(this);
  lvTasks = new TTaskTreeView;
  lvTasks->setObjectName(QStringLiteral("lvTasks"));
  lvTasks->setRootIsDecorated(false);
  lvTasks->setItemsExpandable(false);
  lvTasks->setUniformRowHeights(true);
  lvTasks->setAllColumnsShowFocus(true);
  lvTasks->setSelectionBehavior(QAbstractItemView::SelectRows);
  lvTasks->setSelectionMode(QAbstractItemView::ExtendedSelection);
  lvTasks->setIconSize(QSize(kSmallImageSize, kSmallImageSize));
  lvTasks->setContextMenuPolicy(Qt::CustomContextMenu);
  lvTasks->setModel(FModel);
  lvTasks->header()->setSectionsMovable(true);
  lvTasks->header()->setSectionResizeMode(QHeaderView::Interactive);
  lvTasks->header()->setStretchLastSection(false);
  FModel->SetSelectionModel(lvTasks->selectionModel());
  lvTasks->installEventFilter(this);

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(lvTasks);

  connect(FModel, &TTaskListModel::ColumnsChanged, this, &TFrameList::ApplyColumnWidths);
  connect(FModel, &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& TopLeft, const QModelIndex& BottomRight) { WidenForRows(TopLeft.row(), BottomRight.row()); });
  connect(lvTasks->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& Current) {
            if (TNodeObject* object = FModel->ObjectAt(Current.row())) emit TaskChanged(object);
          });
  connect(lvTasks, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
    if (FTaskMenu) FTaskMenu->popup(lvTasks->viewport()->mapToGlobal(At));
  });
}

void TFrameList::ApplyColumnWidths() {
  // The declared widths, widened where a row's text or the caption would be
  // cut (a date in a larger font, a long file name).
  FGivenWidths.assign(static_cast<size_t>(FModel->columnCount()), 0);
  FFittingCells.assign(static_cast<size_t>(FModel->columnCount()), 0);
  for (int c = 0; c < FModel->columnCount(); ++c) {
    lvTasks->resizeColumnToContents(c);
    lvTasks->setColumnWidth(c, std::max(FModel->ColumnWidth(c), lvTasks->columnWidth(c)));
    FGivenWidths[static_cast<size_t>(c)] = lvTasks->columnWidth(c);
  }
}

namespace {

// Display cells of a text: a wide (CJK) character takes two. Digits and
// Latin letters of a list font are close enough in width for a text of no
// more cells than one that fit to fit as well.
qsizetype DisplayCells(const QString& Text) {
  constexpr char16_t kLastNarrow = 0x2E7F;
  qsizetype cells = 0;
  for (const QChar ch : Text) cells += ch.unicode() > kLastNarrow ? 2 : 1;
  return cells;
}

}  // namespace

void TFrameList::WidenForRows(int First, int Last) {
  const int columns = std::min(FModel->columnCount(), static_cast<int>(FGivenWidths.size()));
  for (int r = First; r <= Last; ++r)
    for (int c = 0; c < columns; ++c) {
      const auto column = static_cast<size_t>(c);
      int& given = FGivenWidths[column];
      if (lvTasks->columnWidth(c) != given) continue;  // the user's width stays
      const QModelIndex cell = FModel->index(r, c);
      const qsizetype cells = DisplayCells(FModel->data(cell, Qt::DisplayRole).toString());
      if (cells <= FFittingCells[column]) continue;
      FFittingCells[column] = cells;
      const int needed = lvTasks->sizeHintForIndex(cell).width();
      if (needed <= given) continue;
      lvTasks->setColumnWidth(c, needed);
      given = needed;
    }
}

void TFrameList::ShowNode(TNodeObject& Node) {
  // A category of finished tasks may hold thousands: the view hears of them once.
  FModel->BeginUpdate();
  try {
    Node.LoadTaskList(*FModel);
  } catch (...) {
    FModel->EndUpdate();
    throw;
  }
  FModel->EndUpdate();
}

TAVTask* TFrameList::CurrentTask() const {
  const QModelIndex current = lvTasks->selectionModel()->currentIndex();
  return current.isValid() ? dynamic_cast<TAVTask*>(FModel->ObjectAt(current.row())) : nullptr;
}

std::vector<TAVTask*> TFrameList::SelectedTasks() const {
  std::vector<int> rows;
  for (const QModelIndex& index : lvTasks->selectionModel()->selectedRows()) rows.push_back(index.row());
  std::sort(rows.begin(), rows.end());
  std::vector<TAVTask*> tasks;
  for (int row : rows) {
    if (auto* task = dynamic_cast<TAVTask*>(FModel->ObjectAt(row))) tasks.push_back(task);
  }
  return tasks;
}

int TFrameList::SelectedCount() const { return static_cast<int>(lvTasks->selectionModel()->selectedRows().size()); }

void TFrameList::StopSelected() {
  for (TAVTask* task : SelectedTasks()) {
    if (IsStoppable(task->Status())) task->Stop();
  }
}

void TFrameList::DeleteSelected() {
  bool deleteSource = false;
  bool deleteTarget = false;
  if (!ExecuteDeleteDialog(deleteSource, deleteTarget, this)) return;
  // Taken before the first deletion: a deleted task's row goes, and with it
  // the rows' positions, but the other tasks live on.
  for (TAVTask* task : SelectedTasks()) {
    if (IsStoppable(task->Status())) task->Stop();
    else task->Delete(deleteSource, deleteTarget);
  }
}

bool TFrameList::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == lvTasks && Event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(Event)->key() == Qt::Key_Delete) {
    if (SelectedCount() > 0) DeleteSelected();
    return true;
  }
  return QWidget::eventFilter(Watched, Event);
}
