// Tasks and categories in the real task database, checked with the sqlite3 CLI.
#include <gtest/gtest.h>

#include <filesystem>

#include "Common/PersistentManager.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/ProbeResult.h"
#include "support/RecordingViews.h"

namespace {

using fixtures::ShellQuote;

class TaskDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    Db = std::make_unique<TPersistentManager>(DbFile, Dir);
    TaskModel().Store = Db.get();
    TaskModel().ShutdownWhenDone = [] { return false; };
    ConvertingRow = Tree.AddRow(&Converting, nullptr);
    Converting.SetNode(ConvertingRow);
    Converting.SetTreeView(&Tree);
  }
  void TearDown() override { TaskModel().Store = nullptr; }

  std::string Sql(const std::string& Query) {
    return fixtures::RunCommand("sqlite3 " + ShellQuote(DbFile) + " " + ShellQuote(Query));
  }
  std::unique_ptr<TConversionSettings> Settings(const std::string& Name, int Category,
                                                const std::string& Source = "") {
    auto s = std::make_unique<TConversionSettings>();
    s->SourceFile = Source.empty() ? fixtures::Clip640x480(2.0) : Source;
    s->TargetFile = Dir + "/" + Name;
    s->Profile = "MPEG-4";
    s->CategoryId = Category;
    s->ConvertOptions().SetRecordingTime(INT64_MAX);
    return s;
  }
  bool WaitFor(const std::function<bool()>& Done) { return Loop.PumpUntil(Done, 120000); }

  harness::MainLoop Loop;
  harness::ErrorRecorder Errors;
  std::string Dir = fixtures::TempDir("taskdb");
  std::string DbFile = Dir + "/av.cfg";
  std::unique_ptr<TPersistentManager> Db;
  views::Tree Tree;
  views::TaskList List;
  TConvertingNode Converting;
  TViewRow ConvertingRow = nullptr;
};

// A database left incomplete (a table or category 1 missing) is completed at
// the next start; the rows it holds stay as they were.
TEST(TaskDatabaseCompletion, MissingPartsAreAddedAndRowsKept) {
  const std::string dir = fixtures::TempDir("taskdb_partial");
  const auto sql = [](const std::string& File, const std::string& Query) {
    return fixtures::RunCommand("sqlite3 " + ShellQuote(File) + " " + ShellQuote(Query));
  };
  const std::string onlyCategories = dir + "/categories.cfg";
  sql(onlyCategories, "create table Categories (ID integer primary key, Category text, Path text, Parent integer);"
                      "insert into Categories values(1, '旧', '/old', -1); insert into Categories values(7, 'x', '/x', 1);");
  const std::string noRoot = dir + "/noroot.cfg";
  sql(noRoot, "create table Categories (ID integer primary key, Category text, Path text, Parent integer);"
              "create table Conversions (ID integer primary key, Converting integer, ConvertSettings text, "
              "ConvertedDate text, CategoryId integer, Log text);"
              "insert into Conversions(ID, Converting, CategoryId) values(3, 1, 1);");
  for (const std::string& file : {onlyCategories, noRoot}) TPersistentManager(file, "/out");
  EXPECT_EQ(sql(onlyCategories, "select name from sqlite_master where type='table' order by name"),
            "Categories\nConversions\n");
  EXPECT_EQ(sql(onlyCategories, "select ID, Category, Path, Parent from Categories order by ID"),
            "1|旧|/old|-1\n7|x|/x|1\n");
  EXPECT_EQ(sql(noRoot, "select ID, Category, Path, Parent from Categories"), "1|已完成|/out|-1\n");
  EXPECT_EQ(sql(noRoot, "select ID, Converting from Conversions"), "3|1\n");
  // A complete database is opened without a write.
  const auto modified = std::filesystem::last_write_time(noRoot);
  TPersistentManager again(noRoot, "/elsewhere");
  EXPECT_EQ(std::filesystem::last_write_time(noRoot), modified);

  // Completing fails at its last step (the root category refused): nothing
  // of it stays, not even the table made before.
  const std::string refusing = dir + "/refusing.cfg";
  sql(refusing, "create table Categories (ID integer primary key, Category text, Path text, Parent integer);"
                "create trigger refuse before insert on Categories begin select raise(abort, 'refused'); end;");
  EXPECT_ANY_THROW(TPersistentManager(refusing, "/out"));
  EXPECT_EQ(sql(refusing, "select name from sqlite_master where type='table'"), "Categories\n");
}

TEST_F(TaskDatabase, CreatedWithTheRootCategory) {
  EXPECT_EQ(Sql("select ID, Category, Path, Parent from Categories"), "1|已完成|" + Dir + "|-1\n");
  EXPECT_EQ(Sql("select count(*) from Conversions"), "0\n");
  std::vector<std::unique_ptr<TConvertedNode>> top;
  Db->LoadConvertedNodes(-1, top);
  ASSERT_EQ(top.size(), 1u);
  EXPECT_TRUE(top[0]->IsRoot());
  EXPECT_EQ(top[0]->Category, "已完成");
}

TEST_F(TaskDatabase, TasksAreStoredFiledAndListed) {
  TConvertedNode video;
  video.Category = "视频";
  video.Folder = Dir + "/video";
  Db->NewCategory(video, 1);
  EXPECT_EQ(Sql("select Category, Parent from Categories where ID=" + std::to_string(video.CategoryId)), "视频|1\n");

  Tree.Focused = ConvertingRow;
  Converting.LoadTaskList(List);
  TAVTask* a = Converting.NewConversion(Settings("a.avi", video.CategoryId));
  TAVTask* b = Converting.NewConversion(Settings("b.avi", 42));  // no such category: filed under 1
  const int idA = a->ID(), idB = b->ID();
  EXPECT_EQ(Sql("select count(*) from Conversions where Converting=1"), "2\n");
  ASSERT_TRUE(WaitFor([&] { return Converting.Tasks().empty(); }));
  EXPECT_EQ(Sql("select Converting, CategoryId from Conversions where ID=" + std::to_string(idA)),
            "0|" + std::to_string(video.CategoryId) + "\n");
  EXPECT_EQ(Sql("select CategoryId from Conversions where ID=" + std::to_string(idB)), "1\n");
  EXPECT_EQ(Sql("select ConvertedDate like '____-__-__ __:__:__' from Conversions where ID=" + std::to_string(idA)),
            "1\n");
  const std::string stored = Sql("select ConvertSettings from Conversions where ID=" + std::to_string(idA));
  EXPECT_NE(stored.find("<Duration>2"), std::string::npos) << stored;

  views::TaskList shown;
  video.LoadTaskList(shown);
  ASSERT_EQ(video.Tasks().size(), 1u);
  TAVTask* filed = video.Tasks().front().get();
  EXPECT_EQ(filed->Status(), stFinished);
  EXPECT_TRUE(filed->IsConverted());
  EXPECT_EQ(filed->Settings().TargetFile, Dir + "/a.avi");
  EXPECT_EQ(filed->GetCaption(5), "0:0:2");
  EXPECT_EQ(shown.Rows.size(), 1u);
  video.LoadTaskList(shown);  // shown again: read again (new objects), not duplicated
  ASSERT_EQ(video.Tasks().size(), 1u);
  filed = video.Tasks().front().get();
  Tree.Focused = TNodeObject::AddNodeToView(Tree, video, nullptr);

  filed->ClearLog();
  EXPECT_EQ(Sql("select Log is null from Conversions where ID=" + std::to_string(idA)), "1\n");
  filed->Delete(false, true);
  EXPECT_EQ(Sql("select count(*) from Conversions where ID=" + std::to_string(idA)), "0\n");
  EXPECT_FALSE(std::filesystem::exists(Dir + "/a.avi"));
  EXPECT_TRUE(Errors.Messages().empty());
}

TEST_F(TaskDatabase, InterruptedTasksComeBackStoppedOnce) {
  const std::string longer = fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
  Tree.Focused = ConvertingRow;
  Converting.LoadTaskList(List);
  TAVTask* t = Converting.NewConversion(Settings("killed.mkv", 1, longer));
  const int id = t->ID();
  ASSERT_TRUE(WaitFor([&] { return t->Converter().ConvertedDuration() > 0.5; }));
  t->Stop();
  ASSERT_TRUE(WaitFor([&] { return RunningConverterThreads() == 0; }));
  EXPECT_EQ(Sql("select Converting from Conversions where ID=" + std::to_string(id)), "1\n");

  // The next run of the program.
  TConvertingNode next;
  views::Tree tree2;
  views::TaskList list2;
  next.SetNode(tree2.AddRow(&next, nullptr));
  next.SetTreeView(&tree2);
  next.LoadTaskList(list2);
  ASSERT_EQ(next.Tasks().size(), 1u);
  TAVTask* back = next.Tasks().front().get();
  EXPECT_EQ(back->Status(), stError);
  EXPECT_EQ(back->ID(), id);
  EXPECT_TRUE(back->Log().empty());
  EXPECT_EQ(back->Settings().TargetFile, Dir + "/killed.mkv");
  EXPECT_EQ(back->Converter().State(), csNone);  // not started by itself
  EXPECT_EQ(back->GetImageIndex(), 2);
  next.LoadTaskList(list2);
  EXPECT_EQ(next.Tasks().size(), 1u);  // read once per run
}

TEST_F(TaskDatabase, DeletingCategories) {
  TConvertedNode parent, child;
  parent.Category = "父";
  Db->NewCategory(parent, 1);
  child.Category = "子";
  Db->NewCategory(child, parent.CategoryId);
  parent.Category = "新名";
  parent.Folder = "/x";
  Db->UpdateCategory(parent);
  EXPECT_EQ(Sql("select Category, Path from Categories where ID=" + std::to_string(parent.CategoryId)), "新名|/x\n");
  views::Tree tree;
  TNodeObject::AddNodeToView(tree, parent, nullptr);
  TNodeObject::AddNodeToView(tree, child, parent.Node());
  parent.DeleteChildrens();
  EXPECT_EQ(Sql("select ID from Categories order by ID"), "1\n");
  TConvertedNode root;
  root.CategoryId = 1;
  EXPECT_ANY_THROW(Db->DeleteCategory(root));
}

}  // namespace
