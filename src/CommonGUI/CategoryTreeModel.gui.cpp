#include "CommonGUI/CategoryTreeModel.gui.h"

#include <algorithm>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ImageLists.gui.h"

struct TCategoryTreeModel::TItem {
  std::unique_ptr<TNodeObject> Object;
  TItem* Parent = nullptr;
  std::vector<std::unique_ptr<TItem>> Children;
};

TCategoryTreeModel::TCategoryTreeModel(QObject* Parent)
    : QAbstractItemModel(Parent), FRoot(std::make_unique<TItem>()) {}

TCategoryTreeModel::~TCategoryTreeModel() = default;

TViewRow TCategoryTreeModel::AddRow(TNodeObject* Object, TViewRow Parent) {
  auto* parent = Parent ? static_cast<TItem*>(const_cast<void*>(Parent)) : FRoot.get();
  const int row = static_cast<int>(parent->Children.size());
  beginInsertRows(IndexOf(Parent), row, row);
  auto item = std::make_unique<TItem>();
  item->Object.reset(Object);
  item->Parent = parent;
  TItem* added = item.get();
  parent->Children.push_back(std::move(item));
  endInsertRows();
  return added;
}

TViewRow TCategoryTreeModel::ParentRow(TViewRow Row) const {
  if (!Row) return nullptr;
  const TItem* parent = static_cast<const TItem*>(Row)->Parent;
  return parent == FRoot.get() ? nullptr : parent;
}

TNodeObject* TCategoryTreeModel::ObjectOf(TViewRow Row) const {
  return Row ? static_cast<const TItem*>(Row)->Object.get() : nullptr;
}

TViewRow TCategoryTreeModel::FocusedRow() const {
  return FSelection ? RowOf(FSelection->currentIndex()) : nullptr;
}

bool TCategoryTreeModel::IsRowSelected(TViewRow Row) const {
  return Row && FSelection && FSelection->isSelected(IndexOf(Row));
}

std::vector<TViewRow> TCategoryTreeModel::Subtree(TViewRow Row) const {
  std::vector<TViewRow> rows;
  if (!Row) return rows;
  std::vector<const TItem*> pending{static_cast<const TItem*>(Row)};
  while (!pending.empty()) {
    const TItem* item = pending.back();
    pending.pop_back();
    rows.push_back(item);
    for (auto it = item->Children.rbegin(); it != item->Children.rend(); ++it) pending.push_back(it->get());
  }
  return rows;
}

std::vector<TViewRow> TCategoryTreeModel::AllRows() const {
  std::vector<TViewRow> rows;
  for (const auto& top : FRoot->Children) {
    const std::vector<TViewRow> below = Subtree(top.get());
    rows.insert(rows.end(), below.begin(), below.end());
  }
  return rows;
}

void TCategoryTreeModel::RemoveRow(TViewRow Row) {
  if (!Row) return;
  const auto* item = static_cast<const TItem*>(Row);
  TItem* parent = item->Parent;
  const int position = PositionOf(*item);
  beginRemoveRows(IndexOf(ParentRow(Row)), position, position);
  std::unique_ptr<TItem> removed = std::move(parent->Children[static_cast<size_t>(position)]);
  parent->Children.erase(parent->Children.begin() + position);
  endRemoveRows();
  // `removed` destroys the objects of the row and of every row below it.
}

int TCategoryTreeModel::PositionOf(const TItem& Item) {
  const auto& siblings = Item.Parent->Children;
  const auto it = std::find_if(siblings.begin(), siblings.end(), [&](const auto& c) { return c.get() == &Item; });
  return static_cast<int>(it - siblings.begin());
}

QModelIndex TCategoryTreeModel::IndexOf(TViewRow Row) const {
  if (!Row) return {};
  const auto* item = static_cast<const TItem*>(Row);
  return createIndex(PositionOf(*item), 0, const_cast<TItem*>(item));
}

TViewRow TCategoryTreeModel::RowOf(const QModelIndex& Index) const { return Index.isValid() ? ItemOf(Index) : nullptr; }

TCategoryTreeModel::TItem* TCategoryTreeModel::ItemOf(const QModelIndex& Index) const {
  return Index.isValid() ? static_cast<TItem*>(Index.internalPointer()) : FRoot.get();
}

QModelIndex TCategoryTreeModel::index(int Row, int Column, const QModelIndex& Parent) const {
  const TItem* parent = ItemOf(Parent);
  if (Column != 0 || Row < 0 || Row >= static_cast<int>(parent->Children.size())) return {};
  return createIndex(Row, 0, parent->Children[static_cast<size_t>(Row)].get());
}

QModelIndex TCategoryTreeModel::parent(const QModelIndex& Child) const {
  if (!Child.isValid()) return {};
  return IndexOf(ParentRow(ItemOf(Child)));
}

int TCategoryTreeModel::rowCount(const QModelIndex& Parent) const {
  if (Parent.isValid() && Parent.column() != 0) return 0;
  return static_cast<int>(ItemOf(Parent)->Children.size());
}

int TCategoryTreeModel::columnCount(const QModelIndex&) const { return 1; }

QVariant TCategoryTreeModel::data(const QModelIndex& Index, int Role) const {
  if (!Index.isValid()) return {};
  const TNodeObject* object = ItemOf(Index)->Object.get();
  switch (Role) {
    case Qt::DisplayRole:
      return QString::fromStdString(TNodeObject::GetCaption(object, 0));
    case Qt::DecorationRole: {
      const int image = TNodeObject::GetImageIndex(object);
      return image < 0 ? QVariant() : QVariant(TreeImage(image));
    }
    default:
      return {};
  }
}
