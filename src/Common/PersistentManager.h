#pragma once
// The task database "av.cfg": finished and interrupted tasks and the category
// tree. Main thread.
#include <memory>
#include <string>
#include <vector>

#include "Common/DateTime.h"
#include "Common/SqliteDb.h"
#include "CommonGUI/AVNodes.h"

constexpr const char* kDatabaseFileName = "av.cfg";

class TPersistentManager : public TTaskStore {
 public:
  // Opens FileName, creating it with both tables and category 1 "已完成"
  // (folder RootFolder, parent -1) when it does not exist; what a database
  // lacks of these is added, in one transaction, keeping its rows.
  TPersistentManager(const std::string& FileName, const std::string& RootFolder);

  void NewDbTask(TAVTask& ATask) override;
  void LoadConvertingTask(TConvertingNode& ConvertingNode) override;
  void FinishDbTask(TAVTask& ATask) override;
  void LoadConvertedTask(TConvertedNode& ConvertedNode) override;
  void DeleteTask(TAVTask& ATask) override;
  void ClearLog(TAVTask& ATask) override;
  void DeleteCategory(TConvertedNode& ANode) override;

  static std::string GetConvertSettings(const TAVTask& ATask);
  // New category nodes for the rows whose Parent is ID, in row order.
  void LoadConvertedNodes(int ID, std::vector<std::unique_ptr<TConvertedNode>>& AList);
  void NewCategory(TConvertedNode& ANode, int ParentId);
  void UpdateCategory(TConvertedNode& ANode);
  void ExecSQL(const std::string& SQL);

  TSqliteDb& Db() { return FDb; }

 private:
  std::unique_ptr<TConvertingTask> TaskFromRow(const TSqliteStatement& Row, TTaskListView* List);
  TSqliteDb FDb;
};

