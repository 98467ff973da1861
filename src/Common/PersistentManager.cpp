#include "Common/PersistentManager.h"

#include <cmath>
#include <ctime>
#include <filesystem>

#include "Common/DateTime.h"
#include "Common/Errors.h"

namespace {

constexpr int kRootCategory = 1;
constexpr const char* kRootCategoryName = "已完成";

// Each part is made only when missing, so a database left half-made (or
// stripped of a table) is completed without touching the rows it holds.
constexpr const char* kSchema =
    "create table if not exists Categories (ID integer primary key, Category text, Path text, Parent integer);"
    "create table if not exists Conversions (ID integer primary key, Converting integer, ConvertSettings text, "
    "ConvertedDate text, CategoryId integer, Log text);";
constexpr int kTableCount = 2;

// Both tables and category 1 are there.
bool IsComplete(sqlite3* Db) {
  TSqliteStatement tables(Db, "select count(*) as n from sqlite_master where type='table' and name in "
                              "('Categories', 'Conversions')");
  if (!tables.Step() || tables.ColumnInt("n") != kTableCount) return false;
  TSqliteStatement root(Db, "select ID from Categories where ID=1");
  return root.Step();
}

std::string JoinLog(const std::vector<std::string>& Lines) {
  std::string out;
  for (const auto& l : Lines) out += l + "\r\n";
  return out;
}

std::vector<std::string> SplitLog(const std::optional<std::string>& Text) {
  TStringList list;
  if (Text) list.SetText(*Text);
  return list.Lines();
}

}  // namespace

TPersistentManager::TPersistentManager(const std::string& FileName, const std::string& RootFolder)
    : FDb([&] {
        std::error_code ec;
        const bool existed = std::filesystem::exists(FileName, ec);
        return TSqliteDb(FileName, !existed);
      }()) {
  if (IsComplete(FDb.Handle())) return;
  // First start (nothing installs the database) or a database left incomplete:
  // all of it is made at once or nothing is.
  FDb.Transaction([&] {
    FDb.Exec(kSchema);
    TSqliteStatement root(FDb.Handle(), "insert or ignore into categories(ID, Category, Path, Parent) values(1, ?, ?, -1)");
    root.Bind(1, std::string(kRootCategoryName));
    root.Bind(2, RootFolder);
    root.Execute();
  });
}

std::string TPersistentManager::GetConvertSettings(const TAVTask& ATask) { return ATask.Settings().ToXml(); }

void TPersistentManager::NewDbTask(TAVTask& ATask) {
  TSqliteStatement insert(FDb.Handle(),
                          "insert into Conversions(Converting, ConvertSettings, ConvertedDate, CategoryId, Log) "
                          "values(?, ?, NULL, NULL, NULL)");
  insert.Bind(1, std::string("1"));
  insert.Bind(2, GetConvertSettings(ATask));
  FDb.Transaction([&] { insert.Execute(); });
  ATask.SetID(static_cast<int32_t>(FDb.LastInsertRowId()));
}

std::unique_ptr<TConvertingTask> TPersistentManager::TaskFromRow(const TSqliteStatement& Row, TTaskListView* List) {
  auto settings = std::make_unique<TConversionSettings>();
  settings->FromXml(Row.Column("ConvertSettings").value_or(""));
  auto task = std::make_unique<TConvertingTask>(std::move(settings), List);
  task->SetID(Row.ColumnInt("ID"));
  task->SetLog(SplitLog(Row.Column("Log")));
  return task;
}

void TPersistentManager::LoadConvertingTask(TConvertingNode& ConvertingNode) {
  TSqliteStatement rows(FDb.Handle(), "select * from Conversions where Converting=1");
  while (rows.Step()) {
    auto task = TaskFromRow(rows, ConvertingNode.ListView());
    task->SetStatus(stError);
    task->SetCategory(&ConvertingNode);
    task->SetCategoryId(task->Settings().CategoryId);
    ConvertingNode.Tasks().push_back(std::move(task));
  }
}

void TPersistentManager::FinishDbTask(TAVTask& ATask) {
  ATask.Settings().Duration = ATask.Converter().Duration();
  int category = kRootCategory;
  {
    TSqliteStatement exists(FDb.Handle(), "select ID from Categories where ID=" + std::to_string(ATask.CategoryId()));
    if (exists.Step()) category = ATask.CategoryId();
  }
  TSqliteStatement update(FDb.Handle(),
                          "update conversions set Converting=0, ConvertSettings=?, ConvertedDate=?, CategoryId=?, "
                          "Log=? where ID=" + std::to_string(ATask.ID()));
  QB_ASSERT("PersistentManager", update.ParameterCount() == 4);
  update.Bind(1, GetConvertSettings(ATask));
  update.Bind(2, DateToText(NowAsDays()));
  update.Bind(3, std::to_string(category));
  update.Bind(4, JoinLog(ATask.Log()));
  update.Execute();
}

void TPersistentManager::LoadConvertedTask(TConvertedNode& ConvertedNode) {
  ConvertedNode.ClearTasks();
  TSqliteStatement rows(FDb.Handle(), Format("select * from Conversions where Converting=0 and CategoryId=%d "
                                             "order by ConvertedDate desc",
                                             ConvertedNode.CategoryId));
  while (rows.Step()) {
    auto task = TaskFromRow(rows, ConvertedNode.ListView());
    task->SetDate(TextToDate(rows.Column("ConvertedDate").value_or("")));
    task->SetCategoryId(ConvertedNode.CategoryId);
    task->SetStatus(stFinished);
    task->SetCategory(&ConvertedNode);
    task->SetIsConverted(true);
    ConvertedNode.Tasks().push_back(std::move(task));
  }
}

void TPersistentManager::DeleteTask(TAVTask& ATask) { ExecSQL("delete from conversions where ID=" + std::to_string(ATask.ID())); }

void TPersistentManager::ClearLog(TAVTask& ATask) {
  ExecSQL("update conversions set Log=NULL where ID=" + std::to_string(ATask.ID()));
}

void TPersistentManager::LoadConvertedNodes(int ID, std::vector<std::unique_ptr<TConvertedNode>>& AList) {
  TSqliteStatement rows(FDb.Handle(), "select * from Categories where Parent=" + std::to_string(ID));
  while (rows.Step()) {
    auto node = std::make_unique<TConvertedNode>();
    node->CategoryId = rows.ColumnInt("ID");
    node->Category = rows.Column("Category").value_or("");
    node->Folder = rows.Column("Path").value_or("");
    AList.push_back(std::move(node));
  }
}

void TPersistentManager::NewCategory(TConvertedNode& ANode, int ParentId) {
  TSqliteStatement insert(FDb.Handle(), "insert into categories(Category, Path, Parent) values(?, ?, ?)");
  QB_ASSERT("PersistentManager", insert.ParameterCount() == 3);
  insert.Bind(1, ANode.Category);
  insert.Bind(2, ANode.Folder);
  insert.Bind(3, std::to_string(ParentId));
  insert.Execute();
  ANode.CategoryId = static_cast<int32_t>(FDb.LastInsertRowId());
}

void TPersistentManager::UpdateCategory(TConvertedNode& ANode) {
  TSqliteStatement update(FDb.Handle(), "update categories set category=?, path=? where ID=" + std::to_string(ANode.CategoryId));
  QB_ASSERT("PersistentManager", update.ParameterCount() == 2);
  update.Bind(1, ANode.Category);
  update.Bind(2, ANode.Folder);
  update.Execute();
}

void TPersistentManager::DeleteCategory(TConvertedNode& ANode) {
  QB_ASSERT("PersistentManager", ANode.CategoryId != kRootCategory);
  // Both or neither: a category's records never outlive it half-deleted.
  FDb.Transaction([&] {
    ExecSQL("delete from categories where ID=" + std::to_string(ANode.CategoryId));
    ExecSQL("delete from conversions where CategoryID=" + std::to_string(ANode.CategoryId));
  });
}

void TPersistentManager::ExecSQL(const std::string& SQL) { FDb.Exec(SQL); }
