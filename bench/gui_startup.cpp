// Start-up of the GUI with many finished tasks in one category, and the time
// to show that category. Run by hand: bench/gui_startup.sh [TASKS]
// Prints one line per figure (median of the runs, milliseconds).
#include <QApplication>
#include <QElapsedTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "Common/DateTime.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "app/screenshots/ScreenshotSupport.h"

namespace {

constexpr int kDefaultTasks = 10000;
constexpr int kRuns = 5;

// Tasks finished tasks in the root category, stored in one statement.
void FillDatabase(int Tasks, const std::string& OutputFolder) {
  std::filesystem::create_directories(TAVConfiguration::GetAppDataFolder());
  TPersistentManager db(TAVConfiguration::GetAppDataFolder() + kDatabaseFileName, OutputFolder);
  TConversionSettings settings;
  settings.SourceFile = "/home/user/Videos/holiday.mkv";
  settings.TargetFile = OutputFolder + "/holiday.avi";
  settings.Profile = "XVID";
  settings.CategoryId = TConvertedNode::kRootCategoryId;
  settings.Duration = 61.5;
  // The count is part of the text: a bound parameter would be text, and in
  // SQLite every number sorts below every text.
  TSqliteStatement insert(db.Db().Handle(),
                          "with recursive n(i) as (select 1 union all select i + 1 from n where i < " +
                              std::to_string(Tasks) +
                              ") insert into Conversions(Converting, ConvertSettings, ConvertedDate, CategoryId, Log) "
                              "select 0, ?, ?, 1, 'Conversion finished' from n");
  insert.Bind(1, settings.ToXml());
  insert.Bind(2, DateToText(NowAsDays()));
  db.Db().Exec("begin");
  insert.Execute();
  db.Db().Exec("commit");
}

double Median(std::vector<double> Values) {
  std::sort(Values.begin(), Values.end());
  return Values[Values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const int tasks = argc > 1 ? std::atoi(argv[1]) : kDefaultTasks;
  if (tasks <= 0) {
    std::fprintf(stderr, "usage: %s [TASKS]\n", argv[0]);
    return 2;
  }
  TThrowAwaySession session(argc, argv);
  TAVConfiguration configuration;
  configuration.SetOutputFolder(session.DataFolder().toStdString() + "/out");
  FillDatabase(tasks, configuration.OutputFolder());

  std::vector<double> startUp, showCategory;
  for (int run = 0; run < kRuns; ++run) {
    QElapsedTimer clock;
    clock.start();
    // As main() does: data module, views, window shown and settled.
    TdmGlobal module(configuration);
    TMainWindowViews views(module, nullptr);
    TFormMain form(views, configuration);
    form.show();
    WaitIdle();
    startUp.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);

    clock.restart();
    views.Explorer()->SelectCategory(TConvertedNode::kRootCategoryId);
    WaitIdle();  // the list has been painted
    showCategory.push_back(static_cast<double>(clock.nsecsElapsed()) / 1e6);
    if (views.List()->Model().rowCount() != tasks) {
      std::fprintf(stderr, "shown %d rows, expected %d\n", views.List()->Model().rowCount(), tasks);
      return 1;
    }
    views.ReleaseTasks();
  }
  std::printf("gui_startup_ms tasks=%d %.1f\n", tasks, Median(startUp));
  std::printf("gui_show_category_ms tasks=%d %.1f\n", tasks, Median(showCategory));
  return 0;
}
