// The application's task views driven with the real data module, database
// and conversions: start-up, the enabling rules with tasks in every status,
// stop and delete, the delete dialog, the category actions, the log page and
// a conversion from the wizard's hand-off to its category.
#include <QAbstractItemModel>
#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "Common/CConversionSettings.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/CategoryTreeModel.gui.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/CDeleteDlg.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FInfoFrame.gui.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/ImageLists.gui.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

constexpr double kLongClipSeconds = 30.0;

std::string LongClip() {
  return fixtures::Media("task30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4");
}

std::string DataFolder() { return TAVConfiguration::GetAppDataFolder(); }
std::string DatabaseFile() { return DataFolder() + kDatabaseFileName; }

// The database as sqlite3 sees it.
std::string Sql(const std::string& Query) {
  return fixtures::RunCommand("sqlite3 " + fixtures::ShellQuote(DatabaseFile()) + " " + fixtures::ShellQuote(Query));
}

std::unique_ptr<TConversionSettings> Settings(const std::string& Source, const std::string& Target,
                                              int32_t Category = 1) {
  auto s = std::make_unique<TConversionSettings>();
  s->SourceFile = Source;
  s->TargetFile = Target;
  s->Profile = "AVI";
  s->CategoryId = Category;
  return s;
}

// Paints as the list's own delegate does and remembers the image each row
// was last painted with: what the screen shows until the row is painted again.
class TPaintedImages : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* Painter, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override {
    QStyledItemDelegate::paint(Painter, Option, Index);
    if (Index.column() == 0) Last[Index.row()] = ImageOf(qvariant_cast<QIcon>(Index.data(Qt::DecorationRole)));
  }
  static QImage ImageOf(const QIcon& Icon) { return Icon.pixmap(kSmallImageSize).toImage(); }
  mutable std::map<int, QImage> Last;
};

void WriteFile(const std::string& Name, const std::string& Text = "x") {
  std::ofstream(Name, std::ios::binary) << Text;
}

class TaskViewsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::FreshDataFolder();
    Dir = fixtures::TempDir(std::string("views_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
  }

  // Stores an interrupted task (converting) or a finished one in Category,
  // as an earlier run would have left them.
  void SeedTask(const std::string& Source, const std::string& Target, bool Finished, int32_t Category = 1,
                const std::vector<std::string>& Log = {}) {
    fs::create_directories(DataFolder());
    TPersistentManager db(DatabaseFile(), Dir);
    TConvertingTask task(Settings(Source, Target, Category), nullptr);
    task.SetCategoryId(Category);
    task.SetLog(Log);
    db.NewDbTask(task);
    if (Finished) db.FinishDbTask(task);
  }

  void Start(TConversionWizard Wizard = nullptr) { App = std::make_unique<gui::TRunningApp>(std::move(Wizard)); }

  TFrameExplorer& Explorer() { return *App->Views->Explorer(); }
  TFrameList& List() { return *App->Views->List(); }
  TFrameInfo& Info() { return *App->Views->Info(); }
  TdmGlobal& Module() { return *App->Module; }
  QTreeView& Tasks() { return *List().View(); }

  TAVTask* TaskAt(int Row) { return dynamic_cast<TAVTask*>(List().Model().ObjectAt(Row)); }
  int RowOf(TAVTask* Task) { return List().Model().RowOf(Task); }
  // Focuses the rows' first and selects them all, as clicks with Ctrl do.
  void Select(const std::vector<TAVTask*>& Tasks) {
    auto* selection = this->Tasks().selectionModel();
    selection->clear();  // no row selected, none focused
    for (size_t i = 0; i < Tasks.size(); ++i) {
      const QModelIndex index = List().Model().index(RowOf(Tasks[i]), 0);
      selection->setCurrentIndex(index, (i == 0 ? QItemSelectionModel::ClearAndSelect : QItemSelectionModel::Select) |
                                            QItemSelectionModel::Rows);
    }
    if (!Tasks.empty()) {
      const QModelIndex first = List().Model().index(RowOf(Tasks[0]), 0);
      selection->setCurrentIndex(first, QItemSelectionModel::NoUpdate);
    }
    gui::WaitIdle();
  }
  void SelectCategory(int32_t Id) {
    Explorer().SelectCategory(Id);
    gui::WaitIdle();
  }
  // Answers the delete dialog that the next call opens.
  std::unique_ptr<gui::TNextModal> AnswerDelete(bool Yes, bool DeleteSource, bool DeleteTarget) {
    return std::make_unique<gui::TNextModal>([=](QWidget* Modal) {
      auto* dialog = qobject_cast<TFormDelete*>(Modal);
      ASSERT_NE(dialog, nullptr);
      dialog->chkDeleteSource->setChecked(DeleteSource);
      dialog->chkDeleteTarget->setChecked(DeleteTarget);
      QTest::mouseClick(Yes ? dialog->btnYes : dialog->btnNo, Qt::LeftButton);
    });
  }
  // A 30 s clip: it runs for seconds, far longer than a test looks at it.
  void StartTask(const std::string& Name) {
    Explorer().ConvertingNode()->NewConversion(Settings(LongClip(), Dir + "/" + Name));
  }

  std::string Dir;
  std::unique_ptr<gui::TRunningApp> App;
  gui::TRecordingShell Shell;
  gui::TRecordingErrors Errors;
};

TEST_F(TaskViewsTest, StartUpOnAnEmptyDataFolderCreatesTheFilesAndShowsTheConvertingCategory) {
  Start();
  EXPECT_TRUE(fs::exists(TAVConfiguration::GetConfigFile()));
  EXPECT_TRUE(fs::exists(DatabaseFile()));
  EXPECT_EQ(Sql("select ID, Category, Parent from Categories"), "1|已完成|-1\n");

  TCategoryTreeModel& tree = Explorer().Model();
  ASSERT_EQ(tree.rowCount(), 2);
  EXPECT_EQ(tree.index(0, 0).data().toString(), "任务列表");
  EXPECT_EQ(tree.index(1, 0).data().toString(), "已完成");
  EXPECT_TRUE(Explorer().View()->isHeaderHidden());
  EXPECT_EQ(tree.RowOf(Explorer().View()->currentIndex()), Explorer().ConvertingNode()->Node());
  EXPECT_EQ(Explorer().RootNode()->CategoryId, 1);

  const QStringList expected = {"原文件", "原文件大小", "目标文件", "目标文件大小", "输出格式",
                                "长度",   "进度",       "位率(kbs)", "剩余时长",   "已用时长"};
  QStringList columns;
  for (int c = 0; c < List().Model().columnCount(); ++c)
    columns << List().Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
  EXPECT_EQ(columns, expected);
  EXPECT_EQ(List().Model().rowCount(), 0);
  EXPECT_EQ(Tasks().columnWidth(0), 150);
  EXPECT_TRUE(Tasks().header()->sectionsMovable());
  EXPECT_EQ(Tasks().selectionMode(), QAbstractItemView::ExtendedSelection);
  EXPECT_EQ(Tasks().selectionBehavior(), QAbstractItemView::SelectRows);

  EXPECT_EQ(Info().Pages()->currentWidget(), Info().LogList());
  EXPECT_FALSE(Info().Pages()->isTabVisible(0));
  EXPECT_EQ(Info().Pages()->tabText(0), "Task Info");
  EXPECT_EQ(Info().Pages()->tabText(1), "Logs");
  EXPECT_TRUE(Errors.Texts.isEmpty());
}

TEST_F(TaskViewsTest, AnUnopenableDatabaseIsReportedAndTheWindowStillOpens) {
  fs::create_directories(DatabaseFile());  // a folder where the file should be
  Start();
  ASSERT_EQ(Errors.Texts.size(), 1);
  EXPECT_EQ(Errors.Titles[0], "Quillbrook 3gp Video Converter");
  EXPECT_EQ(App->Views->Explorer(), nullptr);
  EXPECT_TRUE(App->Form->isVisible());
  EXPECT_FALSE(App->Form->actStartTask->isEnabled());
}

TEST_F(TaskViewsTest, TheRulesFollowTasksInEveryStatus) {
  const std::string source = Dir + "/in.avi";
  WriteFile(source);
  SeedTask(source, Dir + "/stopped.avi", false);
  SeedTask(source, Dir + "/done.avi", true);
  WriteFile(Dir + "/done.avi");
  Start();
  ASSERT_EQ(List().Model().rowCount(), 1);
  TAVTask* stopped = TaskAt(0);
  EXPECT_EQ(stopped->Status(), stError);
  StartTask("running.avi");
  StartTask("paused.avi");
  ASSERT_EQ(List().Model().rowCount(), 3);
  TAVTask* running = TaskAt(1);
  TAVTask* paused = TaskAt(2);
  Select({paused});
  App->Form->actPauseTask->trigger();
  EXPECT_EQ(paused->Status(), stPaused);

  TFormMain& form = *App->Form;
  struct TCase {
    std::vector<TAVTask*> Selection;
    bool Start, Pause, Stop, Delete;
  };
  const std::vector<TCase> cases = {
      {{}, false, false, false, false},
      {{running}, false, true, true, true},
      {{paused}, true, false, true, true},
      {{stopped}, true, false, false, true},
      // Stop follows the selection, the other rules the focused row.
      {{stopped, running}, true, false, true, true},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    Select(cases[i].Selection);
    EXPECT_TRUE(form.actNewConversion->isEnabled());
    EXPECT_EQ(form.actStartTask->isEnabled(), cases[i].Start);
    EXPECT_EQ(form.actPauseTask->isEnabled(), cases[i].Pause);
    EXPECT_EQ(form.actStopTask->isEnabled(), cases[i].Stop);
    EXPECT_EQ(Module().actDeleteTasks->isEnabled(), cases[i].Delete);
    // Every source here exists; one row must be selected.
    EXPECT_EQ(Module().actOpenSource->isEnabled(), cases[i].Selection.size() == 1);
    EXPECT_FALSE(Module().actOpenTarget->isEnabled());
    EXPECT_FALSE(Module().actOpenFolder->isEnabled());
  }

  // A task whose source is gone cannot open it.
  fs::remove(source);
  Select({stopped});
  EXPECT_FALSE(Module().actOpenSource->isEnabled());

  // The finished task, in its category.
  SelectCategory(1);
  ASSERT_EQ(List().Model().rowCount(), 1);
  EXPECT_EQ(List().Model().columnCount(), 7);
  TAVTask* done = TaskAt(0);
  EXPECT_EQ(done->Status(), stFinished);
  Select({done});
  EXPECT_FALSE(form.actStartTask->isEnabled());
  EXPECT_FALSE(form.actPauseTask->isEnabled());
  EXPECT_FALSE(form.actStopTask->isEnabled());
  EXPECT_TRUE(Module().actOpenTarget->isEnabled());
  EXPECT_TRUE(Module().actOpenFolder->isEnabled());
  Module().actOpenTarget->trigger();
  Module().actOpenFolder->trigger();
  EXPECT_EQ(Shell.Opened, QStringList{QString::fromStdString(Dir + "/done.avi")});
  EXPECT_EQ(Shell.Explored, QStringList{QString::fromStdString("select:" + Dir + "/done.avi")});
  fs::remove(Dir + "/done.avi");
  gui::WaitIdle();
  EXPECT_FALSE(Module().actOpenTarget->isEnabled());
  EXPECT_TRUE(Errors.Texts.isEmpty());
}

TEST_F(TaskViewsTest, StartResumesOrRestartsAndStopActsOnEverySelectedTask) {
  const std::string source = LongClip();
  SeedTask(source, Dir + "/interrupted.avi", false);
  Start();
  TAVTask* stopped = TaskAt(0);
  StartTask("a.avi");
  StartTask("b.avi");
  TAVTask* a = TaskAt(1);
  TAVTask* b = TaskAt(2);

  ASSERT_TRUE(gui::WaitUntil([&] { return a->Converter().Progress() > 0 && b->Converter().Progress() > 0; }));
  // Each click comes after the rules have followed the last one, as a user's does.
  auto click = [](QAction* Action) {
    Action->trigger();
    gui::WaitIdle();
  };
  Select({b});
  click(App->Form->actPauseTask);
  EXPECT_EQ(b->Status(), stPaused);
  click(App->Form->actStartTask);  // resumes
  EXPECT_EQ(b->Status(), stRunning);
  click(App->Form->actPauseTask);

  Select({stopped});
  click(App->Form->actStartTask);  // starts again
  EXPECT_EQ(stopped->Status(), stRunning);
  ASSERT_TRUE(gui::WaitUntil([&] { return stopped->Converter().Progress() > 0; }));

  // Running a and paused b selected, stopped-again task left out.
  Select({a, b});
  App->Form->actStopTask->trigger();
  EXPECT_EQ(a->Status(), stError);
  EXPECT_EQ(b->Status(), stError);
  EXPECT_EQ(stopped->Status(), stRunning);
  // The stopped outputs are complete files.
  ASSERT_TRUE(gui::WaitUntil([&] { return a->Converter().State() == csNone && b->Converter().State() == csNone; }));
  for (const char* name : {"/a.avi", "/b.avi"}) {
    EXPECT_NE(fixtures::Probe(Dir + name, "stream=codec_type").find("video"), std::string::npos) << name;
  }
  EXPECT_EQ(List().Model().rowCount(), 3);
}

// The row shows every change of status at once, also those no progress
// report follows: stopping a paused task, a conversion failing to start.
TEST_F(TaskViewsTest, ARowIsRepaintedWhenItsTaskChangesStatus) {
  harness::ErrorRecorder engineErrors;
  Start();
  TPaintedImages painted;
  Tasks().setItemDelegate(&painted);
  StartTask("paused.avi");
  TAVTask* task = TaskAt(0);
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Converter().Progress() > 0; }));
  Select({task});
  App->Form->actPauseTask->trigger();
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Converter().State() == csPaused; }));
  gui::WaitIdle();
  EXPECT_EQ(painted.Last[0], TPaintedImages::ImageOf(TaskImage(stPaused)));
  App->Form->actStopTask->trigger();
  gui::WaitIdle();
  EXPECT_EQ(painted.Last[0], TPaintedImages::ImageOf(TaskImage(stError)));

  Explorer().ConvertingNode()->NewConversion(Settings(Dir + "/missing.avi", Dir + "/never.avi"));
  ASSERT_TRUE(gui::WaitUntil([&] { return TaskAt(1)->Status() == stError; }));
  gui::WaitIdle();
  EXPECT_EQ(painted.Last[1], TPaintedImages::ImageOf(TaskImage(stError)));
  EXPECT_EQ(engineErrors.Messages().size(), 1u);
  Tasks().setItemDelegate(nullptr);
}

TEST_F(TaskViewsTest, TheDateColumnShowsWholeDates) {
  SeedTask(Dir + "/a.avi", Dir + "/a-out.avi", true);
  Start();
  SelectCategory(1);
  ASSERT_EQ(List().Model().rowCount(), 1);
  constexpr int kDateColumn = 6;
  const QModelIndex date = List().Model().index(0, kDateColumn);
  EXPECT_EQ(List().Model().headerData(kDateColumn, Qt::Horizontal, Qt::DisplayRole).toString(), "日期");
  const QString text = date.data().toString();
  ASSERT_EQ(text.size(), 19) << text.toStdString();  // "YYYY-MM-DD HH:MM:SS"
  // The style's text margin on each side of a cell.
  const int margin = Tasks().style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &Tasks()) + 1;
  EXPECT_GE(Tasks().columnWidth(kDateColumn), Tasks().fontMetrics().horizontalAdvance(text) + 2 * margin);
  EXPECT_GE(Tasks().columnWidth(kDateColumn), 120);
}

TEST_F(TaskViewsTest, TheDeleteDialogAndWhatItsChoicesDo) {
  {
    TFormDelete dialog;
    EXPECT_EQ(dialog.windowTitle(), "Confirm to delete");
    EXPECT_NE(dialog.findChild<QLabel*>("lblQuestion"), nullptr);
    EXPECT_EQ(dialog.findChild<QLabel*>("lblQuestion")->text(), "嘿嘿，可要想好了哟！确定删除？");
    EXPECT_EQ(dialog.chkDeleteSource->text(), "删除原文件");
    EXPECT_FALSE(dialog.chkDeleteSource->isChecked());
    EXPECT_EQ(dialog.chkDeleteTarget->text(), "删除已转换的文件");
    EXPECT_TRUE(dialog.chkDeleteTarget->isChecked());
    EXPECT_TRUE(dialog.btnYes->isDefault());
    EXPECT_EQ(dialog.btnNo->text(), "No");
  }
  const std::string source1 = Dir + "/one.avi", source2 = Dir + "/two.avi";
  WriteFile(source1);
  WriteFile(source2);
  SeedTask(source1, Dir + "/one-out.avi", true);
  SeedTask(source2, Dir + "/two-out.avi", true);
  WriteFile(Dir + "/one-out.avi");
  WriteFile(Dir + "/two-out.avi");
  Start();
  SelectCategory(1);
  ASSERT_EQ(List().Model().rowCount(), 2);

  // Delete without a selection does nothing.
  Tasks().setFocus();
  Tasks().selectionModel()->clear();
  {
    gui::TNextModal none([](QWidget* Modal) { Modal->close(); }, 200);
    QTest::keyClick(&Tasks(), Qt::Key_Delete);
    QTest::qWait(300);
    EXPECT_FALSE(none.Shown());
  }
  // "No" changes nothing.
  Select({TaskAt(0), TaskAt(1)});
  {
    auto no = AnswerDelete(false, true, true);
    QTest::keyClick(&Tasks(), Qt::Key_Delete);
    EXPECT_TRUE(no->Shown());
  }
  EXPECT_EQ(List().Model().rowCount(), 2);
  EXPECT_EQ(Sql("select count(*) from Conversions"), "2\n");
  EXPECT_TRUE(fs::exists(source1) && fs::exists(Dir + "/one-out.avi"));

  // Yes with both choices, through the task menu, on both rows.
  {
    auto yes = AnswerDelete(true, true, false);
    Module().actDeleteTasks->trigger();
    EXPECT_TRUE(yes->Shown());
  }
  EXPECT_EQ(List().Model().rowCount(), 0);
  EXPECT_EQ(Sql("select count(*) from Conversions"), "0\n");
  EXPECT_FALSE(fs::exists(source1));
  EXPECT_FALSE(fs::exists(source2));
  EXPECT_TRUE(fs::exists(Dir + "/one-out.avi"));
  EXPECT_TRUE(fs::exists(Dir + "/two-out.avi"));
  EXPECT_TRUE(Errors.Texts.isEmpty());
}

TEST_F(TaskViewsTest, DeletingARunningTaskStopsItAndASecondDeleteRemovesIt) {
  Start();
  StartTask("partial.avi");
  TAVTask* task = TaskAt(0);
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Converter().Progress() > 0; }));
  Select({task});
  {
    auto yes = AnswerDelete(true, false, true);
    QTest::keyClick(&Tasks(), Qt::Key_Delete);
  }
  EXPECT_EQ(task->Status(), stError);
  EXPECT_EQ(List().Model().rowCount(), 1);
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Converter().State() == csNone; }));
  EXPECT_TRUE(fs::exists(Dir + "/partial.avi"));
  Select({task});
  {
    auto yes = AnswerDelete(true, false, true);
    QTest::keyClick(&Tasks(), Qt::Key_Delete);
  }
  EXPECT_EQ(List().Model().rowCount(), 0);
  EXPECT_FALSE(fs::exists(Dir + "/partial.avi"));
  EXPECT_TRUE(fs::exists(LongClip()));
  EXPECT_EQ(Sql("select count(*) from Conversions"), "0\n");
}

TEST_F(TaskViewsTest, CategoryMenusCreateRenameAndDeleteCategories) {
  Start();
  QTreeView& tree = *Explorer().View();
  TCategoryTreeModel& model = Explorer().Model();
  auto rightClick = [&](TViewRow Row) {
    const QRect at = tree.visualRect(model.IndexOf(Row));
    emit tree.customContextMenuRequested(at.center());
    gui::WaitIdle();
  };
  // The converting category has no menu; the root's offers no deletion.
  rightClick(Explorer().ConvertingNode()->Node());
  EXPECT_FALSE(Module().pmCategory->isVisible());
  rightClick(Explorer().RootNode()->Node());
  EXPECT_TRUE(Module().pmCategory->isVisible());
  EXPECT_EQ(Module().pmCategory->Tag(), Explorer().RootNode());
  EXPECT_FALSE(Module().actDeleteCategory->isEnabled());
  QStringList items;
  for (QAction* a : Module().pmCategory->actions()) items << (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(items, (QStringList{"打开文件夹", "-", "新分类", "删除", "-", "属性"}));
  Module().pmCategory->close();
  Module().actOpenCategoryFolder->trigger();
  EXPECT_EQ(Shell.Explored, QStringList{"folder:" + QString::fromStdString(App->Config.OutputFolder())});

  auto newCategory = [&](const QString& Name, const QString& Folder) {
    gui::TNextModal fill([=](QWidget* Modal) {
      EXPECT_EQ(Modal->windowTitle(), "New Category");
      Modal->findChild<QLineEdit*>("edtName")->setText(Name);
      Modal->findChild<QLineEdit*>("edtFolder")->setText(Folder);
      gui::WaitIdle();
      QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    Module().actNewCategory->trigger();
    EXPECT_TRUE(fill.Shown());
  };
  const std::string phoneFolder = Dir + "/phone";
  newCategory(" 手机 ", QString::fromStdString(phoneFolder));
  EXPECT_EQ(Sql("select ID, Category, Path, Parent from Categories where ID=2"), "2|手机|" + phoneFolder + "|1\n");
  EXPECT_FALSE(fs::exists(phoneFolder));  // the folder is made by the properties only
  ASSERT_EQ(model.rowCount(model.IndexOf(Explorer().RootNode()->Node())), 1);
  Explorer().SelectCategory(2);
  newCategory("小米", QString::fromStdString(Dir + "/mi"));
  EXPECT_EQ(Sql("select Category, Parent from Categories where ID=3"), "小米|2\n");
  Explorer().SelectCategory(2);
  gui::WaitIdle();
  EXPECT_TRUE(Module().actDeleteCategory->isEnabled());

  // Properties: renamed, the new folder created with its parents.
  const std::string renamedFolder = Dir + "/video/phone";
  {
    gui::TNextModal edit([=](QWidget* Modal) {
      EXPECT_EQ(Modal->windowTitle(), "Category Properties");
      EXPECT_EQ(Modal->findChild<QLineEdit*>("edtName")->text(), "手机");
      Modal->findChild<QLineEdit*>("edtName")->setText("手机视频");
      Modal->findChild<QLineEdit*>("edtFolder")->setText(QString::fromStdString(renamedFolder));
      gui::WaitIdle();
      QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
    });
    Module().actCategoryProperties->trigger();
    EXPECT_TRUE(edit.Shown());
  }
  EXPECT_TRUE(fs::is_directory(renamedFolder));
  EXPECT_EQ(Sql("select Category, Path from Categories where ID=2"), "手机视频|" + renamedFolder + "\n");
  EXPECT_EQ(model.IndexOf(Explorer().FocusedConvertedNode()->Node()).data().toString(), "手机视频");

  // A restart shows both under the same parents.
  App.reset();
  Start();
  TCategoryTreeModel& restarted = Explorer().Model();
  Explorer().SelectCategory(3);
  ASSERT_NE(Explorer().FocusedConvertedNode(), nullptr);
  EXPECT_EQ(Explorer().FocusedConvertedNode()->Category, "小米");
  auto* parent =
      dynamic_cast<TConvertedNode*>(restarted.ObjectOf(restarted.ParentRow(Explorer().FocusedConvertedNode()->Node())));
  ASSERT_NE(parent, nullptr);
  EXPECT_EQ(parent->CategoryId, 2);

  // Deleting 手机视频 with its sub-category: "No" first, then Yes.
  SeedTask(Dir + "/s.avi", Dir + "/t.avi", true, 3);
  SeedTask(Dir + "/s.avi", Dir + "/u.avi", true, 1);
  SelectCategory(2);
  Shell.Answer = false;
  Module().actDeleteCategory->trigger();
  EXPECT_EQ(Shell.Questions, QStringList{"Do you want to delete the selected category?"});
  EXPECT_EQ(Sql("select count(*) from Categories"), "3\n");
  Shell.Answer = true;
  Module().actDeleteCategory->trigger();
  EXPECT_EQ(Sql("select ID from Categories"), "1\n");
  EXPECT_EQ(Sql("select CategoryId from Conversions"), "1\n");
  EXPECT_EQ(Explorer().FocusedConvertedNode(), Explorer().RootNode());
  EXPECT_EQ(restarted.rowCount(restarted.IndexOf(Explorer().RootNode()->Node())), 0);
  EXPECT_EQ(List().Model().rowCount(), 1);  // the parent's task list
  EXPECT_TRUE(fs::is_directory(renamedFolder));  // files on disk are never touched
  EXPECT_TRUE(Errors.Texts.isEmpty());
}

TEST_F(TaskViewsTest, TheLogPageClearsTheShownTasksLogUntilItLeavesTheList) {
  SeedTask(Dir + "/s.avi", Dir + "/cleared.avi", true, 1, {"line one", "line two"});
  SeedTask(Dir + "/s.avi", Dir + "/kept.avi", true, 1, {"kept"});
  Start();
  SelectCategory(1);
  ASSERT_EQ(List().Model().rowCount(), 2);
  auto byTarget = [&](const std::string& Name) {
    for (int r = 0; r < List().Model().rowCount(); ++r) {
      if (TaskAt(r)->Settings().TargetFile == Dir + "/" + Name) return TaskAt(r);
    }
    return static_cast<TAVTask*>(nullptr);
  };
  TAVTask* task = byTarget("cleared.avi");
  Select({task});
  ASSERT_EQ(Info().Task(), task);
  ASSERT_EQ(Info().LogList()->count(), 2);
  EXPECT_EQ(Info().LogList()->item(1)->text(), "line two");
  EXPECT_TRUE(Info().actClearLog->isEnabled());
  Info().actClearLog->trigger();
  EXPECT_EQ(Info().LogList()->count(), 0);
  EXPECT_EQ(Sql("select Log is null from Conversions where ID=" + std::to_string(task->ID())), "1\n");
  gui::WaitIdle();
  EXPECT_FALSE(Info().actClearLog->isEnabled());

  // Another category's list: the task left, so its log is not acted on.
  Select({byTarget("kept.avi")});
  ASSERT_EQ(Info().LogList()->count(), 1);
  Explorer().SelectRow(Explorer().ConvertingNode()->Node());
  gui::WaitIdle();
  EXPECT_EQ(Info().Task(), nullptr);
  EXPECT_FALSE(Info().actClearLog->isEnabled());
  Info().ClearLog();
  EXPECT_EQ(Sql("select count(*) from Conversions where Log='kept'||char(13,10)"), "1\n");
}

TEST_F(TaskViewsTest, AConversionFromTheWizardRunsShowsProgressAndMovesToItsCategory) {
  const std::string target = Dir + "/wizard.avi";
  std::vector<std::string> presets;
  Start(gui::SingleWizard([&](const std::string& FileName) {
    presets.push_back(FileName);
    return FileName.empty() ? nullptr : Settings(fixtures::Clip640x480(4.0), target);
  }));
  // Cancelling the wizard adds nothing.
  App->Form->actNewConversion->trigger();
  EXPECT_EQ(List().Model().rowCount(), 0);

  QStringList progress;
  QObject::connect(&List().Model(), &QAbstractItemModel::dataChanged, [&](const QModelIndex& From) {
    const QString shown = List().Model().index(From.row(), 6).data().toString();
    if (progress.isEmpty() || progress.back() != shown) progress << shown;
  });
  App->Form->AddConversion(QStringLiteral("/dropped/file.avi"));
  EXPECT_EQ(presets, (std::vector<std::string>{"", "/dropped/file.avi"}));
  ASSERT_EQ(List().Model().rowCount(), 1);
  EXPECT_EQ(List().Model().index(0, 0).data().toString(), QString::fromStdString(FileNameOnly(fixtures::Clip640x480(4.0))));
  EXPECT_EQ(List().Model().index(0, 2).data().toString(), "wizard.avi");
  EXPECT_EQ(Sql("select Converting from Conversions"), "1\n");

  ASSERT_TRUE(gui::WaitUntil([&] { return List().Model().rowCount() == 0; }));
  // The row repainted from the live figures as the conversion went on.
  ASSERT_GE(progress.size(), 2) << progress.join(' ').toStdString();
  EXPECT_LT(progress.front().chopped(1).toInt(), progress.back().chopped(1).toInt()) << progress.join(' ').toStdString();
  EXPECT_EQ(Sql("select Converting, CategoryId from Conversions"), "0|1\n");
  EXPECT_NE(fixtures::Probe(target, "stream=codec_type").find("video"), std::string::npos);

  SelectCategory(1);
  ASSERT_EQ(List().Model().rowCount(), 1);
  EXPECT_EQ(List().Model().index(0, 2).data().toString(), "wizard.avi");
  EXPECT_EQ(TaskAt(0)->Status(), stFinished);
  EXPECT_EQ(App->PowerOffs, 0);
  EXPECT_TRUE(Errors.Texts.isEmpty());
  App.reset();  // before `progress` goes
}

TEST_F(TaskViewsTest, ExitLeavesARunningConversionInterruptedForTheNextStart) {
  App = std::make_unique<gui::TRunningApp>();
  StartTask("left.avi");
  TAVTask* task = TaskAt(0);
  ASSERT_TRUE(gui::WaitUntil([&] { return task->Converter().Progress() > 0; }));
  App.reset();
  EXPECT_EQ(Sql("select Converting from Conversions"), "1\n");
  Start();
  ASSERT_EQ(List().Model().rowCount(), 1);
  EXPECT_EQ(TaskAt(0)->Status(), stError);
  EXPECT_EQ(List().Model().index(0, 2).data().toString(), "left.avi");
}

TEST_F(TaskViewsTest, ShutdownWhenDoneAsksForPowerOffAfterTheLastConversion) {
  Start(gui::SingleWizard([&](const std::string&) { return Settings(fixtures::Clip640x480(2.0), Dir + "/last.avi"); }));
  App->Form->actShutdownWhenDone->trigger();
  App->Form->actNewConversion->trigger();
  ASSERT_TRUE(gui::WaitUntil([&] { return List().Model().rowCount() == 0; }));
  EXPECT_EQ(App->PowerOffs, 1);
}

}  // namespace

namespace {

TEST(CategoryTreeOptions, WithoutConvertingCategoryOrEditingTheTreeOffersNoMenu) {
  gui::FreshDataFolder();
  const std::string dir = fixtures::TempDir("explorer_options");
  fs::create_directories(TAVConfiguration::GetAppDataFolder());
  TPersistentManager db(TAVConfiguration::GetAppDataFolder() + kDatabaseFileName, dir);
  TConvertedNode child;
  child.Category = "Phone";
  child.Folder = dir + "/phone";
  db.NewCategory(child, 1);
  TCategoryPopupMenu menu;
  TaskModel().CategoryMenu = &menu;
  TFrameExplorer explorer(db);
  explorer.SetExplorerOptions(kExplorerNoConverting | kExplorerNoEditing);
  explorer.resize(200, 200);
  explorer.show();
  explorer.LoadTree();
  explorer.LoadTree();  // once only
  EXPECT_EQ(explorer.ConvertingNode(), nullptr);
  ASSERT_EQ(explorer.Model().rowCount(), 1);
  EXPECT_EQ(explorer.Model().index(0, 0).data().toString(), "已完成");
  explorer.SelectCategory(child.CategoryId);
  ASSERT_NE(explorer.FocusedConvertedNode(), nullptr);
  EXPECT_EQ(explorer.FocusedConvertedNode()->Category, "Phone");
  EXPECT_TRUE(explorer.View()->isExpanded(explorer.Model().index(0, 0)));
  const QRect row = explorer.View()->visualRect(explorer.View()->currentIndex());
  emit explorer.View()->customContextMenuRequested(row.center());
  gui::WaitIdle();
  EXPECT_FALSE(menu.isVisible());
  TaskModel().CategoryMenu = nullptr;
}

}  // namespace
