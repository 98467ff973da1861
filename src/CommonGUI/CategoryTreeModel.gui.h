#pragma once
// The category tree as a Qt item model. Each row owns its node object:
// removing a row destroys its object and those of the rows below it.
// Main thread.
#include <QAbstractItemModel>
#include <QItemSelectionModel>

#include <memory>
#include <vector>

#include "CommonGUI/AVNodesViews.h"

class TCategoryTreeModel : public QAbstractItemModel, public TCategoryTreeView {
  Q_OBJECT
 public:
  explicit TCategoryTreeModel(QObject* Parent = nullptr);
  ~TCategoryTreeModel() override;

  // Where FocusedRow and IsRowSelected look; not owned.
  void SetSelectionModel(QItemSelectionModel* Selection) { FSelection = Selection; }

  // TCategoryTreeView. The row takes ownership of Object.
  TViewRow AddRow(TNodeObject* Object, TViewRow Parent) override;
  TViewRow ParentRow(TViewRow Row) const override;
  TNodeObject* ObjectOf(TViewRow Row) const override;
  TViewRow FocusedRow() const override;
  bool IsRowSelected(TViewRow Row) const override;
  std::vector<TViewRow> Subtree(TViewRow Row) const override;

  // Removes Row and every row below it; their objects are destroyed.
  void RemoveRow(TViewRow Row);
  // Every row in tree order.
  std::vector<TViewRow> AllRows() const;
  QModelIndex IndexOf(TViewRow Row) const;
  TViewRow RowOf(const QModelIndex& Index) const;

  QModelIndex index(int Row, int Column, const QModelIndex& Parent = {}) const override;
  QModelIndex parent(const QModelIndex& Child) const override;
  int rowCount(const QModelIndex& Parent = {}) const override;
  int columnCount(const QModelIndex& Parent = {}) const override;
  QVariant data(const QModelIndex& Index, int Role) const override;

 private:
  struct TItem;
  TItem* ItemOf(const QModelIndex& Index) const;
  static int PositionOf(const TItem& Item);

  std::unique_ptr<TItem> FRoot;  // invisible: its children are the top-level rows
  QItemSelectionModel* FSelection = nullptr;
};
