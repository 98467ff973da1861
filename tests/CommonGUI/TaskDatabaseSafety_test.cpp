// Dates sort correctly, Chinese text round-trips, and a killed process never
// leaves a corrupt database or loses a committed row.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <set>
#include <sstream>
#include <thread>

#include "Common/PersistentManager.h"
#include "support/Fixtures.h"
#include "support/RecordingViews.h"

namespace {

using fixtures::ShellQuote;

std::string Sql(const std::string& Db, const std::string& Query) {
  return fixtures::RunCommand("sqlite3 " + ShellQuote(Db) + " " + ShellQuote(Query));
}

TEST(TaskDatabaseDates, TextFormSortsAndReadsBack) {
  const double day = TextToDate("2026-12-09 23:59:59");
  EXPECT_EQ(DateToText(day), "2026-12-09 23:59:59");
  EXPECT_LT(TextToDate("2026-09-30 10:00:00"), TextToDate("2026-10-01 09:00:00"));
  EXPECT_EQ(TextToDate("garbage"), 0.0);
  EXPECT_NEAR(NowAsDays(), TextToDate(DateToText(NowAsDays())), 1.0 / 86400);

  const std::string dir = fixtures::TempDir("dates");
  TPersistentManager db(dir + "/av.cfg", dir);
  // Rows finished on different days and months, inserted out of order.
  for (const char* date : {"2026-09-30 10:00:00", "2026-12-09 00:00:01", "2026-10-01 09:00:00", "2026-12-08 23:59:59"})
    db.ExecSQL(std::string("insert into Conversions(Converting, ConvertSettings, ConvertedDate, CategoryId) values(0, "
                           "'<data PropFormat=\"node\"><TConversionSettings><Profile>") +
               date + "</Profile></TConversionSettings></data>', '" + date + "', 1)");
  TConvertedNode root;
  root.CategoryId = 1;
  views::TaskList list;
  root.LoadTaskList(list);  // through the model's store when it is set
  TaskModel().Store = &db;
  root.LoadTaskList(list);
  TaskModel().Store = nullptr;
  ASSERT_EQ(root.Tasks().size(), 4u);
  std::vector<std::string> order;
  for (auto& t : root.Tasks()) order.push_back(t->GetTargetProfileText());
  EXPECT_EQ(order, (std::vector<std::string>{"2026-12-09 00:00:01", "2026-12-08 23:59:59", "2026-10-01 09:00:00",
                                             "2026-09-30 10:00:00"}));
  EXPECT_EQ(root.Tasks().front()->GetCaption(6), "2026-12-09 00:00:01");
}

TEST(TaskDatabaseText, ChineseNamesAndPaths) {
  const std::string dir = fixtures::TempDir("chinese");
  TPersistentManager db(dir + "/av.cfg", "/家/转换");
  TConvertedNode node;
  node.Category = "我的视频 'x'";
  node.Folder = "/家/视频/新建文件夹";
  db.NewCategory(node, 1);
  std::vector<std::unique_ptr<TConvertedNode>> children;
  db.LoadConvertedNodes(1, children);
  ASSERT_EQ(children.size(), 1u);
  EXPECT_EQ(children[0]->Category, "我的视频 'x'");
  EXPECT_EQ(children[0]->Folder, "/家/视频/新建文件夹");
  EXPECT_EQ(Sql(dir + "/av.cfg", "select Path from Categories where ID=1"), "/家/转换\n");
}

// Child process: inserts and finishes rows as fast as it can, reporting every
// committed row id on Fd. Never returns.
[[noreturn]] void WriteRowsForever(const std::string& File, int Fd) {
  TPersistentManager db(File, "/tmp");
  for (int i = 0;; ++i) {
    TSqliteStatement insert(db.Db().Handle(),
                            "insert into Conversions(Converting, ConvertSettings) values(1, ?)");
    insert.Bind(1, std::string("<data PropFormat=\"node\"><TConversionSettings><Profile>") + std::to_string(i) +
                       "</Profile></TConversionSettings></data>");
    insert.Execute();
    const std::string id = std::to_string(db.Db().LastInsertRowId()) + "\n";
    if (write(Fd, id.data(), id.size()) < 0) _exit(1);
    db.ExecSQL("update conversions set Converting=0, CategoryId=1 where ID=" + std::to_string(db.Db().LastInsertRowId()));
  }
}

TEST(TaskDatabaseSafety, KilledWritersLeaveNoCorruption) {
  const std::string dir = fixtures::TempDir("kill");
  const std::string file = dir + "/av.cfg";
  { TPersistentManager create(file, dir); }
  std::mt19937 rng(1234);
  std::set<std::string> committed;
  for (int round = 0; round < 8; ++round) {
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      close(fds[0]);
      WriteRowsForever(file, fds[1]);
    }
    close(fds[1]);
    std::this_thread::sleep_for(std::chrono::milliseconds(20 + rng() % 80));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    std::string ids;
    char buf[4096];
    ssize_t n;
    while ((n = read(fds[0], buf, sizeof(buf))) > 0) ids.append(buf, static_cast<size_t>(n));
    close(fds[0]);
    std::istringstream in(ids);
    for (std::string id; std::getline(in, id);) committed.insert(id);
    ASSERT_EQ(Sql(file, "pragma integrity_check"), "ok\n") << "round " << round;
  }
  ASSERT_FALSE(committed.empty());
  const std::string present = Sql(file, "select ID from Conversions");
  std::set<std::string> rows;
  std::istringstream in(present);
  for (std::string id; std::getline(in, id);) rows.insert(id);
  for (const auto& id : committed) EXPECT_TRUE(rows.count(id)) << "row " << id << " lost";
}

}  // namespace
