#pragma once
// The category tree: the converting category first, then the categories of
// converted files as the task database nests them. Main thread.
#include <QWidget>

#include <cstdint>

#include "CommonGUI/AVNodesViews.h"

class QTreeView;
class TCategoryTreeModel;
class TConvertedNode;
class TConvertingNode;
class TPersistentManager;

// ExplorerOptions bits.
inline constexpr int kExplorerNoConverting = 1;   // no converting category
inline constexpr int kExplorerNoEditing = 2;      // no context menu, no double-click editing

class TFrameExplorer : public QWidget {
  Q_OBJECT
 public:
  // Database: where the categories are read; not owned.
  explicit TFrameExplorer(TPersistentManager& Database, QWidget* Parent = nullptr);
  ~TFrameExplorer() override;

  int ExplorerOptions() const { return FExplorerOptions; }
  void SetExplorerOptions(int Value) { FExplorerOptions = Value; }

  // Builds the tree once (nothing when the root category was found before).
  void LoadTree();
  // Adds the categories whose parent is ParentId under ParentRow (top level
  // when nullptr), each followed by its own children.
  void LoadChildCategories(int32_t ParentId, TViewRow ParentRow);
  // Reveals, selects and focuses the first row, in tree order, of category Id.
  void SelectCategory(int32_t Id);
  // Selects and focuses Row.
  void SelectRow(TViewRow Row);

  TConvertingNode* ConvertingNode() const { return FConvertingNode; }
  TConvertedNode* RootNode() const { return FRootNode; }
  // The focused row's object when it is a category of converted files.
  TConvertedNode* FocusedConvertedNode() const;
  // Adds Node (ownership passes to the tree) as the last child of ParentRow.
  TViewRow AddCategory(std::unique_ptr<TConvertedNode> Node, TViewRow ParentRow);
  // Removes Row and every row below it; their objects are destroyed.
  void RemoveCategory(TViewRow Row);
  // Removes every row; the tree can be loaded again.
  void Clear();

  QTreeView* View() const { return tvCategories; }
  TCategoryTreeModel& Model() const { return *FModel; }

 signals:
  // The selected row changed to a row with an object.
  void CategoryChanged(TNodeObject* Node);

 private:
  void tvCategoriesContextMenu(const QPoint& At);

  TPersistentManager& FDatabase;
  TCategoryTreeModel* FModel;
  QTreeView* tvCategories;
  TConvertingNode* FConvertingNode = nullptr;  // owned by its row
  TConvertedNode* FRootNode = nullptr;         // owned by its row
  int FExplorerOptions = 0;
};
