#pragma once
// Plain views that record what the task model shows, for tests.
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "CommonGUI/AVNodesViews.h"

namespace views {

struct Column {
  std::string Caption;
  int Width;
  bool operator==(const Column&) const = default;
};

class TaskList : public TTaskListView {
 public:
  struct Row {
    TNodeObject* Object;
  };
  std::vector<Column> Columns;
  std::vector<std::unique_ptr<Row>> Rows;
  TViewRow Selected = nullptr;
  int Refreshes = 0;

  void ClearRows() override { Rows.clear(); }
  void ClearColumns() override { Columns.clear(); }
  void AddColumn(const std::string& Caption, int Width) override { Columns.push_back({Caption, Width}); }
  TViewRow AddRow(TNodeObject* Object) override {
    Rows.push_back(std::make_unique<Row>(Row{Object}));
    return Rows.back().get();
  }
  void RemoveRow(TViewRow R) override {
    Rows.erase(std::remove_if(Rows.begin(), Rows.end(), [R](const auto& r) { return r.get() == R; }), Rows.end());
    if (Selected == R) Selected = nullptr;
  }
  void RefreshRow(TViewRow) override { ++Refreshes; }
  bool IsRowSelected(TViewRow R) const override { return R && R == Selected; }
  std::vector<TNodeObject*> Objects() const {
    std::vector<TNodeObject*> out;
    for (const auto& r : Rows) out.push_back(r->Object);
    return out;
  }
};

class Tree : public TCategoryTreeView {
 public:
  struct Row {
    TNodeObject* Object;
    const Row* Parent;
  };
  std::vector<std::unique_ptr<Row>> Rows;
  TViewRow Focused = nullptr;

  TViewRow AddRow(TNodeObject* Object, TViewRow Parent) override {
    Rows.push_back(std::make_unique<Row>(Row{Object, static_cast<const Row*>(Parent)}));
    return Rows.back().get();
  }
  TViewRow ParentRow(TViewRow R) const override { return R ? static_cast<const Row*>(R)->Parent : nullptr; }
  TNodeObject* ObjectOf(TViewRow R) const override { return R ? static_cast<const Row*>(R)->Object : nullptr; }
  TViewRow FocusedRow() const override { return Focused; }
  bool IsRowSelected(TViewRow R) const override { return R && R == Focused; }
  std::vector<TViewRow> Subtree(TViewRow R) const override {
    std::vector<TViewRow> out;
    for (const auto& row : Rows) {
      for (const Row* p = row.get(); p; p = p->Parent)
        if (p == R) {
          out.push_back(row.get());
          break;
        }
    }
    return out;
  }
};

class Info : public TInfoView {
 public:
  std::vector<Column> Columns;
  void ClearColumns() override { Columns.clear(); }
  void AddColumn(const std::string& Caption, int Width) override { Columns.push_back({Caption, Width}); }
};

class LogList : public TLogListView {
 public:
  std::vector<std::string> Items;
  int Updates = 0;
  void SetItems(const std::vector<std::string>& Lines) override {
    Items = Lines;
    ++Updates;
  }
};

}  // namespace views
