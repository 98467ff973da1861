#include "CommonGUI/TaskListModel.gui.h"

#include <algorithm>

#include "Common/Errors.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ImageLists.gui.h"

TTaskListModel::TTaskListModel(QObject* Parent) : QAbstractTableModel(Parent) {}

void TTaskListModel::BeginUpdate() {
  QB_ASSERT("TaskListModel", !FUpdating);
  beginResetModel();
  FUpdating = true;
}

void TTaskListModel::EndUpdate() {
  QB_ASSERT("TaskListModel", FUpdating);
  FUpdating = false;
  endResetModel();
  emit ColumnsChanged();
}

void TTaskListModel::ClearRows() {
  if (FRows.empty()) return;
  for (TNodeObject* object : FRows) emit ObjectLeaving(object);
  if (!FUpdating) beginResetModel();
  FRows.clear();
  if (!FUpdating) endResetModel();
}

void TTaskListModel::ClearColumns() {
  if (!FUpdating) beginResetModel();
  FCaptions.clear();
  FWidths.clear();
  if (!FUpdating) endResetModel();
}

void TTaskListModel::AddColumn(const std::string& Caption, int Width) {
  const int column = static_cast<int>(FCaptions.size());
  if (!FUpdating) beginInsertColumns({}, column, column);
  FCaptions.push_back(QString::fromStdString(Caption));
  FWidths.push_back(Width);
  if (FUpdating) return;
  endInsertColumns();
  emit ColumnsChanged();
}

TViewRow TTaskListModel::AddRow(TNodeObject* Object) {
  const int row = static_cast<int>(FRows.size());
  if (!FUpdating) beginInsertRows({}, row, row);
  FRows.push_back(Object);
  if (!FUpdating) endInsertRows();
  return Object;
}

void TTaskListModel::RemoveRow(TViewRow Row) {
  const int row = RowOf(static_cast<const TNodeObject*>(Row));
  if (row < 0) return;
  emit ObjectLeaving(FRows[static_cast<size_t>(row)]);
  if (!FUpdating) beginRemoveRows({}, row, row);
  FRows.erase(FRows.begin() + row);
  if (!FUpdating) endRemoveRows();
}

void TTaskListModel::RefreshRow(TViewRow Row) {
  const int row = RowOf(static_cast<const TNodeObject*>(Row));
  if (row < 0 || FCaptions.empty() || FUpdating) return;
  emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::DisplayRole, Qt::DecorationRole});
}

bool TTaskListModel::IsRowSelected(TViewRow Row) const {
  const int row = RowOf(static_cast<const TNodeObject*>(Row));
  return row >= 0 && FSelection && FSelection->isRowSelected(row, {});
}

TNodeObject* TTaskListModel::ObjectAt(int Row) const {
  return Row >= 0 && Row < rowCount() ? FRows[static_cast<size_t>(Row)] : nullptr;
}

int TTaskListModel::RowOf(const TNodeObject* Object) const {
  if (!Object) return -1;
  // Converting lists are short, and finished lists are not refreshed row by
  // row, so a scan from the end (where new rows are) is enough.
  const auto it = std::find(FRows.rbegin(), FRows.rend(), Object);
  return it == FRows.rend() ? -1 : static_cast<int>(FRows.rend() - it) - 1;
}

int TTaskListModel::rowCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TTaskListModel::columnCount(const QModelIndex& Parent) const {
  return Parent.isValid() ? 0 : static_cast<int>(FCaptions.size());
}

QVariant TTaskListModel::data(const QModelIndex& Index, int Role) const {
  const TNodeObject* object = ObjectAt(Index.row());
  if (!object) return {};
  switch (Role) {
    case Qt::DisplayRole:
      return QString::fromStdString(TNodeObject::GetCaption(object, Index.column()));
    case Qt::DecorationRole: {
      // Images in the first column only.
      const int image = Index.column() == 0 ? TNodeObject::GetImageIndex(object) : -1;
      return image < 0 ? QVariant() : QVariant(TaskImage(image));
    }
    default:
      return {};
  }
}

QVariant TTaskListModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
  if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole || Section < 0 || Section >= columnCount()) return {};
  return FCaptions[static_cast<size_t>(Section)];
}
