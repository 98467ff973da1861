#pragma once
// The views the task model fills, as the model sees them. The GUI implements
// them over Qt item models; the tests with recording views. Main thread.
#include <string>
#include <vector>

class TNodeObject;

// A view's own handle of one of its rows; nullptr is no row.
using TViewRow = const void*;

class TTaskListView {
 public:
  virtual ~TTaskListView() = default;
  virtual void ClearRows() = 0;
  virtual void ClearColumns() = 0;
  virtual void AddColumn(const std::string& Caption, int Width) = 0;
  // Appends a row whose datum is Object.
  virtual TViewRow AddRow(TNodeObject* Object) = 0;
  // Removes Row; the rows after it move up. The object is not destroyed.
  virtual void RemoveRow(TViewRow Row) = 0;
  virtual void RefreshRow(TViewRow Row) = 0;
  virtual bool IsRowSelected(TViewRow Row) const = 0;
};

class TCategoryTreeView {
 public:
  virtual ~TCategoryTreeView() = default;
  // Appends a row under Parent (top level when nullptr).
  virtual TViewRow AddRow(TNodeObject* Object, TViewRow Parent) = 0;
  virtual TViewRow ParentRow(TViewRow Row) const = 0;
  virtual TNodeObject* ObjectOf(TViewRow Row) const = 0;
  virtual TViewRow FocusedRow() const = 0;
  virtual bool IsRowSelected(TViewRow Row) const = 0;
  // Row and every row below it, in tree order.
  virtual std::vector<TViewRow> Subtree(TViewRow Row) const = 0;
};

class TInfoView {
 public:
  virtual ~TInfoView() = default;
  virtual void ClearColumns() = 0;
  virtual void AddColumn(const std::string& Caption, int Width) = 0;
};

class TLogListView {
 public:
  virtual ~TLogListView() = default;
  virtual void SetItems(const std::vector<std::string>& Lines) = 0;
};

// Where a node's context menu comes from (the global data module's category menu).
class TCategoryMenu {
 public:
  virtual ~TCategoryMenu() = default;
  virtual void SetTag(TNodeObject* Node) = 0;
};
