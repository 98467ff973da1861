#pragma once
// The task list as a Qt item model: one row per node object (not owned), the
// columns the task model sets, captions asked of the objects when painted.
// Main thread.
#include <QAbstractTableModel>
#include <QItemSelectionModel>

#include <string>
#include <vector>

#include "CommonGUI/AVNodesViews.h"

class TTaskListModel : public QAbstractTableModel, public TTaskListView {
  Q_OBJECT
 public:
  explicit TTaskListModel(QObject* Parent = nullptr);

  // Where IsRowSelected looks; not owned.
  void SetSelectionModel(QItemSelectionModel* Selection) { FSelection = Selection; }

  // TTaskListView. A row's handle is its object.
  void ClearRows() override;
  void ClearColumns() override;
  void AddColumn(const std::string& Caption, int Width) override;
  TViewRow AddRow(TNodeObject* Object) override;
  void RemoveRow(TViewRow Row) override;
  void RefreshRow(TViewRow Row) override;
  bool IsRowSelected(TViewRow Row) const override;

  // A whole list filled at once (a category shown): the views are told once,
  // at EndUpdate, instead of once per row. Calls do not nest.
  void BeginUpdate();
  void EndUpdate();

  TNodeObject* ObjectAt(int Row) const;
  // Index of Object's row, -1 when it has none.
  int RowOf(const TNodeObject* Object) const;
  int ColumnWidth(int Column) const { return FWidths.at(static_cast<size_t>(Column)); }

  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;
  QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

 signals:
  // Object's row is about to go (removed, or the list cleared); whoever keeps
  // the object must forget it.
  void ObjectLeaving(TNodeObject* Object);
  // The columns were set anew (after the last AddColumn of a category).
  void ColumnsChanged();

 private:
  std::vector<TNodeObject*> FRows;
  std::vector<QString> FCaptions;
  std::vector<int> FWidths;
  QItemSelectionModel* FSelection = nullptr;
  bool FUpdating = false;  // between BeginUpdate and EndUpdate: no per-row notices
};
