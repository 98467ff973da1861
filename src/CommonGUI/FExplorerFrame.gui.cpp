#include "CommonGUI/FExplorerFrame.gui.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeView>
#include <QVBoxLayout>

#include "Common/PersistentManager.h"
#include "Components/CategorySource.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/CategoryTreeModel.gui.h"
#include "CommonGUI/ImageLists.gui.h"

TFrameExplorer::TFrameExplorer(TPersistentManager& Database, QWidget* Parent)
    : QWidget(Parent), FDatabase(Database) {
  setObjectName(QStringLiteral("FrameExplorer"));
  FModel = new TCategoryTreeModel(this);
  tvCategories = new QTreeView;
  tvCategories->setObjectName(QStringLiteral("tvCategories"));
  tvCategories->setHeaderHidden(true);
  tvCategories->setUniformRowHeights(true);
  tvCategories->setIconSize(QSize(kSmallImageSize, kSmallImageSize));
  tvCategories->setSelectionMode(QAbstractItemView::SingleSelection);
  tvCategories->setEditTriggers(QAbstractItemView::NoEditTriggers);
  tvCategories->setContextMenuPolicy(Qt::CustomContextMenu);
  tvCategories->setModel(FModel);
  FModel->SetSelectionModel(tvCategories->selectionModel());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(tvCategories);

  connect(tvCategories->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& Current) {
            if (TNodeObject* node = FModel->ObjectOf(FModel->RowOf(Current))) emit CategoryChanged(node);
          });
  connect(tvCategories, &QWidget::customContextMenuRequested, this, &TFrameExplorer::tvCategoriesContextMenu);
  connect(tvCategories, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& Index) {
    if (!(FExplorerOptions & kExplorerNoEditing)) TNodeObject::EditData(FModel->ObjectOf(FModel->RowOf(Index)));
  });
}

// The list may still show tasks of these categories: whoever shows them lets
// go first (TMainWindowViews::ReleaseTasks).
TFrameExplorer::~TFrameExplorer() = default;

void TFrameExplorer::LoadTree() {
  if (FRootNode) return;
  if (!(FExplorerOptions & kExplorerNoConverting)) {
    auto converting = std::make_unique<TConvertingNode>();
    FConvertingNode = converting.get();
    TNodeObject::AddNodeToView(*FModel, *converting.release(), nullptr);
  }
  LoadChildCategories(kNoParentCategory, nullptr);
}

void TFrameExplorer::LoadChildCategories(int32_t ParentId, TViewRow ParentRow) {
  std::vector<std::unique_ptr<TConvertedNode>> nodes;
  FDatabase.LoadConvertedNodes(ParentId, nodes);
  for (auto& owned : nodes) {
    TConvertedNode* node = owned.get();
    const TViewRow row = TNodeObject::AddNodeToView(*FModel, *owned.release(), ParentRow);
    LoadChildCategories(node->CategoryId, row);
    if (node->IsRoot()) FRootNode = node;
  }
}

void TFrameExplorer::SelectCategory(int32_t Id) {
  for (TViewRow row : FModel->AllRows()) {
    auto* node = dynamic_cast<TConvertedNode*>(FModel->ObjectOf(row));
    if (node && node->CategoryId == Id) {
      SelectRow(row);
      return;
    }
  }
}

void TFrameExplorer::SelectRow(TViewRow Row) {
  const QModelIndex index = FModel->IndexOf(Row);
  if (!index.isValid()) return;
  for (QModelIndex up = index.parent(); up.isValid(); up = up.parent()) tvCategories->expand(up);
  tvCategories->scrollTo(index);
  tvCategories->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  tvCategories->setFocus();
}

TConvertedNode* TFrameExplorer::FocusedConvertedNode() const {
  return dynamic_cast<TConvertedNode*>(FModel->ObjectOf(FModel->FocusedRow()));
}

TViewRow TFrameExplorer::AddCategory(std::unique_ptr<TConvertedNode> Node, TViewRow ParentRow) {
  return TNodeObject::AddNodeToView(*FModel, *Node.release(), ParentRow);
}

void TFrameExplorer::RemoveCategory(TViewRow Row) {
  for (TViewRow row : FModel->Subtree(Row)) {
    if (FModel->ObjectOf(row) == FRootNode) FRootNode = nullptr;
    if (FModel->ObjectOf(row) == FConvertingNode) FConvertingNode = nullptr;
  }
  FModel->RemoveRow(Row);
}

void TFrameExplorer::Clear() {
  while (FModel->rowCount() > 0) RemoveCategory(FModel->RowOf(FModel->index(0, 0)));
}

void TFrameExplorer::tvCategoriesContextMenu(const QPoint& At) {
  if (FExplorerOptions & kExplorerNoEditing) return;
  const QModelIndex index = tvCategories->indexAt(At);
  if (!index.isValid()) return;
  tvCategories->selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect);
  TNodeObject* focused = FModel->ObjectOf(FModel->FocusedRow());
  // The converting category has no menu; categories of converted files the data module's.
  if (auto* menu = dynamic_cast<QMenu*>(focused ? focused->GetPopupMenu() : nullptr)) {
    menu->popup(tvCategories->viewport()->mapToGlobal(At));
  }
}
