// The main window driven on the offscreen platform: layout, captions, the
// enabling rules at idle time, what the actions do, drag and drop, errors.
#include <QAction>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QSplitter>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>

#include <gtest/gtest.h>

#include <algorithm>

#include "Common/CConfiguration.h"
#include "Common/Errors.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/CAboutDlg.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/ImageLists.gui.h"
#include "support/Fixtures.h"

namespace {

using gui::TRecordingHost;

struct TCaption {
  QString Text;
  bool Separator;
  bool Visible;
};

std::vector<TCaption> Items(const QList<QAction*>& Actions) {
  std::vector<TCaption> items;
  for (QAction* a : Actions) items.push_back({a->text(), a->isSeparator(), a->isVisible()});
  return items;
}

void ExpectItems(const QList<QAction*>& Actions, const std::vector<TCaption>& Expected) {
  const std::vector<TCaption> items = Items(Actions);
  ASSERT_EQ(items.size(), Expected.size());
  for (size_t i = 0; i < items.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(items[i].Separator, Expected[i].Separator);
    if (!Expected[i].Separator) {
      EXPECT_EQ(items[i].Text, Expected[i].Text);
    }
    EXPECT_EQ(items[i].Visible, Expected[i].Visible);
  }
}

// The tool buttons of the toolbar, left to right (separators and the banner left out).
std::vector<QToolButton*> ToolButtons(TFormMain& Form) {
  std::vector<QToolButton*> buttons;
  for (QAction* a : Form.ToolBar()->actions()) {
    if (auto* b = qobject_cast<QToolButton*>(Form.ToolBar()->widgetForAction(a))) buttons.push_back(b);
  }
  return buttons;
}

QAction* MenuItem(TFormMain& Form, const char* Menu, const QString& Caption) {
  for (QAction* a : Form.findChild<QMenu*>(QLatin1String(Menu))->actions()) {
    if (a->text() == Caption) return a;
  }
  return nullptr;
}

class FormMainTest : public ::testing::Test {
 protected:
  void SetUp() override { gui::FreshDataFolder(); }
  TRecordingHost Host;
  TAVConfiguration Config;
};

TEST_F(FormMainTest, WindowToolbarBannerAndAreasAreLaidOut) {
  TFormMain form(Host, Config);
  EXPECT_EQ(form.windowTitle(), QStringLiteral("zuDIVidizavo - Quillbrook AVI Video Converter"));
  EXPECT_TRUE(form.windowState() & Qt::WindowMaximized);
  EXPECT_EQ(Host.Calls, std::vector<std::string>{"views"});

  EXPECT_EQ(form.ToolBar()->height(), 73);
  EXPECT_EQ(form.ToolBar()->iconSize(), QSize(48, 48));
  const std::vector<QToolButton*> buttons = ToolButtons(form);
  const QStringList captions = {"添加任务(&A)", "开始转换(&C)", "暂停(&P)", "停止(&S)", "翠溪官网",
                                "Make a donation"};
  const QStringList tips = {"添加任务", "开始转换", "暂停", "停止", "翠溪官网", "Make a donation"};
  ASSERT_EQ(buttons.size(), size_t(captions.size()));
  for (int i = 0; i < captions.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(buttons[i]->text(), captions[i]);
    EXPECT_EQ(buttons[i]->toolTip(), tips[i]);
    EXPECT_EQ(buttons[i]->size(), QSize(86, 68));
    EXPECT_EQ(buttons[i]->toolButtonStyle(), Qt::ToolButtonTextUnderIcon);
    EXPECT_FALSE(buttons[i]->icon().isNull());
  }
  // The donation button exists but is hidden; a separator precedes the home page.
  EXPECT_FALSE(form.ToolBar()->actions()[6]->isVisible());
  EXPECT_TRUE(form.ToolBar()->actions()[4]->isSeparator());

  QTextBrowser* banner = form.Browser();
  EXPECT_EQ(banner->size(), QSize(468, 65));
  EXPECT_EQ(banner->source(), QUrl("qrc:/banner/banner.html"));
  EXPECT_TRUE(banner->toPlainText().contains(QStringLiteral("翠溪视频转换器")));
  EXPECT_EQ(banner->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(banner->horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOff);
  EXPECT_EQ(banner->frameShape(), QFrame::NoFrame);
  EXPECT_EQ(banner->document()->documentMargin(), 0);
  // At the right of the toolbar area.
  form.setWindowState(Qt::WindowNoState);
  form.resize(1280, 800);
  form.show();
  gui::WaitIdle();
  const int bannerLeft = banner->mapTo(form.ToolBar(), QPoint()).x();
  EXPECT_GT(bannerLeft, buttons[4]->mapTo(form.ToolBar(), QPoint(buttons[4]->width(), 0)).x());
  EXPECT_LE(form.ToolBar()->width() - (bannerLeft + banner->width()), 12);

  EXPECT_EQ(form.ExplorerArea()->width(), 209);
  EXPECT_EQ(form.ListArea()->height(), 353);
  EXPECT_GT(form.InfoArea()->height(), 0);
  // Explorer left of the list, information below it.
  EXPECT_LT(form.ExplorerArea()->mapTo(&form, QPoint()).x(), form.ListArea()->mapTo(&form, QPoint()).x());
  EXPECT_GT(form.InfoArea()->mapTo(&form, QPoint()).y(), form.ListArea()->mapTo(&form, QPoint()).y() + 353);
}

// As the program shows it, maximised or not, with no size given.
TEST_F(FormMainTest, StartUpGeometryWithoutAnExplicitResize) {
  for (const bool maximised : {true, false}) {
    SCOPED_TRACE(maximised);
    TFormMain form(Host, Config);
    if (!maximised) form.setWindowState(Qt::WindowNoState);
    form.show();
    gui::WaitIdle();
    EXPECT_EQ(form.ExplorerArea()->width(), 209);
    EXPECT_EQ(form.ListArea()->height(), 353);
    const QRect screen = form.screen()->availableGeometry();
    EXPECT_EQ(form.normalGeometry().size(), QSize(std::min(1024, screen.width()), std::min(700, screen.height())));
  }
}

TEST_F(FormMainTest, MenusAndActionsCarryTheirCaptionsHintsAndShortCut) {
  TFormMain form(Host, Config);
  const QList<QAction*> menus = form.menuBar()->actions();
  ASSERT_EQ(menus.size(), 3);
  EXPECT_EQ(menus[0]->text(), QStringLiteral("文件(&F)"));
  EXPECT_EQ(menus[1]->text(), QStringLiteral("设置(&O)"));
  EXPECT_EQ(menus[2]->text(), QStringLiteral("帮助(&H)"));
  ExpectItems(menus[0]->menu()->actions(), {{"添加任务", false, true}, {"", true, true},
                                            {"开始转换", false, true}, {"暂停", false, true},
                                            {"停止(S)", false, true}, {"", true, true},
                                            {"退出", false, true}});
  ExpectItems(menus[1]->menu()->actions(),
              {{"完成后关机", false, true}, {"", true, true}, {"设置", false, true}});
  ExpectItems(menus[2]->menu()->actions(),
              {{"翠溪官网", false, true}, {"获取更多..", false, true}, {"Make a donation", false, false},
               {"Live Update", false, false}, {"", true, true}, {"关于(&A)", false, true}});
  EXPECT_TRUE(MenuItem(form, "mnuOptions", "完成后关机")->isCheckable());
  EXPECT_EQ(MenuItem(form, "mnuFile", "添加任务")->shortcut(), QKeySequence("Ctrl+N"));

  struct TExpected {
    QAction* Action;
    const char* Caption;
    const char* Hint;
  };
  for (const TExpected& e : std::vector<TExpected>{
           {form.actNewConversion, "添加任务", "添加任务"},
           {form.actStartTask, "开始转换", "开始转换"},
           {form.actPauseTask, "暂停", "暂停"},
           {form.actStopTask, "停止", "停止"},
           {form.actExit, "退出", ""},
           {form.actHomePage, "翠溪主页", "翠溪主页"},
           {form.actDonation, "Make a donation", "Make a donation"},
           {form.actOptions, "设置", ""},
           {form.actLiveUpdate, "Live Update", ""},
           {form.actMoreConverters, "获取更多转换器...", ""},
           {form.actAbout, "读我", ""},
           {form.actShutdownWhenDone, "完成后关机", ""}}) {
    SCOPED_TRACE(e.Caption);
    EXPECT_EQ(e.Action->text(), QString::fromUtf8(e.Caption));
    EXPECT_EQ(e.Action->statusTip(), QString::fromUtf8(e.Hint));
  }
  EXPECT_EQ(form.actNewConversion->shortcut(), QKeySequence("Ctrl+N"));
}

TEST_F(FormMainTest, TaskActionsFollowTheRulesWhenIdle) {
  TFormMain form(Host, Config);
  QAction* startItem = MenuItem(form, "mnuFile", "开始转换");
  QToolButton* stopButton = ToolButtons(form)[3];
  struct TCase {
    std::optional<TAVTaskStatus> Current;
    std::vector<TAVTaskStatus> Selected;
    bool Start, Pause, Stop;
  };
  const std::vector<TCase> cases = {
      {std::nullopt, {}, false, false, false},
      {stRunning, {stRunning}, false, true, true},
      {stPaused, {stPaused}, true, false, true},
      {stError, {stError}, true, false, false},
      {stFinished, {stFinished}, false, false, false},
      // Stop looks at the whole selection, not at the focused task.
      {stFinished, {stFinished, stRunning}, false, false, true},
      {stError, {stFinished, stError, stPaused}, true, false, true},
      {std::nullopt, {stRunning}, false, false, true},
  };
  for (size_t i = 0; i < cases.size(); ++i) {
    SCOPED_TRACE(i);
    Host.Current = cases[i].Current;
    Host.Selected = cases[i].Selected;
    gui::WaitIdle();
    EXPECT_TRUE(form.actNewConversion->isEnabled());
    EXPECT_EQ(form.actStartTask->isEnabled(), cases[i].Start);
    EXPECT_EQ(form.actPauseTask->isEnabled(), cases[i].Pause);
    EXPECT_EQ(form.actStopTask->isEnabled(), cases[i].Stop);
    // Menu items and buttons follow their actions.
    EXPECT_EQ(startItem->isEnabled(), cases[i].Start);
    EXPECT_EQ(stopButton->isEnabled(), cases[i].Stop);
  }
}

TEST_F(FormMainTest, StartResumesAPausedTaskAndRestartsAStoppedOne) {
  TFormMain form(Host, Config);
  form.show();
  Host.Calls.clear();
  Host.Current = stPaused;
  gui::WaitIdle();
  QTest::mouseClick(ToolButtons(form)[1], Qt::LeftButton);
  Host.Current = stError;
  gui::WaitIdle();
  QTest::mouseClick(ToolButtons(form)[1], Qt::LeftButton);
  Host.Current = stRunning;
  Host.Selected = {stRunning, stFinished};
  gui::WaitIdle();
  MenuItem(form, "mnuFile", "暂停")->trigger();
  MenuItem(form, "mnuFile", "停止(S)")->trigger();
  // A disabled action does nothing even when fired before the next idle update.
  form.actStartTask->trigger();
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"resume", "start", "pause", "stop"}));
}

TEST_F(FormMainTest, NewConversionRunsFromMenuButtonAndShortCut) {
  TFormMain form(Host, Config);
  form.setWindowState(Qt::WindowNoState);
  form.show();
  QApplication::setActiveWindow(&form);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
  Host.Calls.clear();
  QTest::mouseClick(ToolButtons(form)[0], Qt::LeftButton);
  MenuItem(form, "mnuFile", "添加任务")->trigger();
  QTest::keyClick(&form, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"add:", "add:", "add:"}));
}

TEST_F(FormMainTest, ShutdownCheckItemFollowsTheConfigurationAcrossARestart) {
  {
    TFormMain form(Host, Config);
    EXPECT_FALSE(form.actShutdownWhenDone->isChecked());
    QAction* item = MenuItem(form, "mnuOptions", "完成后关机");
    item->trigger();
    EXPECT_TRUE(Config.ShutdownWhenDone());
    EXPECT_TRUE(form.actShutdownWhenDone->isChecked());
    EXPECT_TRUE(item->isChecked());
    // Toggling does not save at once.
    EXPECT_FALSE(QFile::exists(QString::fromStdString(TAVConfiguration::GetConfigFile())));
  }
  Config.Save();  // what the program does at exit
  TAVConfiguration next;
  next.Load();
  TFormMain restarted(Host, next);
  EXPECT_TRUE(restarted.actShutdownWhenDone->isChecked());
  EXPECT_TRUE(MenuItem(restarted, "mnuOptions", "完成后关机")->isChecked());
  MenuItem(restarted, "mnuOptions", "完成后关机")->trigger();
  EXPECT_FALSE(next.ShutdownWhenDone());
  EXPECT_FALSE(restarted.actShutdownWhenDone->isChecked());
}

TEST_F(FormMainTest, WebPagesUpdaterAboutAndExit) {
  gui::TRecordingShell shell;
  TFormMain form(Host, Config);
  form.show();
  QTest::mouseClick(ToolButtons(form)[4], Qt::LeftButton);
  MenuItem(form, "mnuHelp", "获取更多..")->trigger();
  form.actDonation->trigger();
  emit form.Browser()->anchorClicked(QUrl("http://www.quillbrooksoft.example/converters.html"));
  EXPECT_EQ(shell.Opened, (QStringList{kHomePageAddress, kMoreConvertersAddress, kDonationAddress,
                                       "http://www.quillbrooksoft.example/converters.html"}));
  form.actLiveUpdate->trigger();
  const QString folder = QCoreApplication::applicationDirPath();
  EXPECT_EQ(shell.Started, QStringList{folder + "/Updater|" + folder});

  QString aboutTitle;
  gui::OnModal([&](QWidget* Modal) {
    aboutTitle = Modal->windowTitle();
    EXPECT_NE(qobject_cast<TFormAbout*>(Modal), nullptr);
    QTest::mouseClick(Modal->findChild<QPushButton*>("btnOk"), Qt::LeftButton);
  });
  MenuItem(form, "mnuHelp", "关于(&A)")->trigger();
  EXPECT_EQ(aboutTitle, QStringLiteral("关于."));

  EXPECT_TRUE(form.isVisible());
  MenuItem(form, "mnuFile", "退出")->trigger();
  EXPECT_FALSE(form.isVisible());
}

QMimeData* Files(const QStringList& Paths) {
  auto* data = new QMimeData;
  QList<QUrl> urls;
  for (const QString& p : Paths) urls << QUrl::fromLocalFile(p);
  data->setUrls(urls);
  return data;
}

// Enters, moves over and drops on the task list; returns whether the drag
// was accepted and with which effect.
struct TDragResult {
  bool EnterAccepted, MoveAccepted, DropAccepted;
  Qt::DropAction Action;
};

TDragResult Drag(TFormMain& Form, QMimeData* Data, Qt::DropActions Offered) {
  std::unique_ptr<QMimeData> owned(Data);
  QWidget* target = Form.ListArea();
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, Offered, Data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &enter);
  QDragMoveEvent move(at, Offered, Data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &move);
  QDropEvent drop(at, Offered, Data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(target, &drop);
  return {enter.isAccepted(), move.isAccepted(), drop.isAccepted(), drop.dropAction()};
}

TEST_F(FormMainTest, DroppingOneFileOpensTheWizardWithItAndSeveralMakeABatch) {
  TFormMain form(Host, Config);
  form.show();
  Host.Calls.clear();
  const Qt::DropActions all = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
  TDragResult one = Drag(form, Files({"/media/clip one.avi"}), all);
  EXPECT_TRUE(one.EnterAccepted && one.MoveAccepted && one.DropAccepted);
  EXPECT_EQ(one.Action, Qt::LinkAction);
  // A plain copy drag is recognised too.
  TDragResult copy = Drag(form, Files({"/media/b.mp4"}), Qt::CopyAction);
  EXPECT_TRUE(copy.EnterAccepted && copy.DropAccepted);

  TDragResult two = Drag(form, Files({"/media/a.avi", "/media/b.avi"}), all);
  EXPECT_TRUE(two.EnterAccepted && two.MoveAccepted && two.DropAccepted);
  // One folder is a batch too.
  const std::string folder = fixtures::TempDir("drop_folder");
  EXPECT_TRUE(Drag(form, Files({QString::fromStdString(folder)}), all).DropAccepted);
  auto text = new QMimeData;
  text->setText("not a file");
  TDragResult none = Drag(form, text, all);
  EXPECT_FALSE(none.EnterAccepted || none.DropAccepted);

  // The wizard runs once the drop has been answered.
  EXPECT_TRUE(Host.Calls.empty());
  gui::WaitIdle();
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"add:/media/clip one.avi", "add:/media/b.mp4",
                                                  "batch:/media/a.avi|/media/b.avi", "batch:" + folder}));
}

// Files handed to the program ("Open with", a later start) take the drop's road.
TEST_F(FormMainTest, FilesHandedToTheProgramOpenTheWizardOrTheBatchWizard) {
  TFormMain form(Host, Config);
  Host.Calls.clear();
  form.AddConversions({});
  form.AddConversions({"/media/one.avi"});
  form.AddConversions({"/media/a.avi", "/media/b.avi"});
  EXPECT_EQ(Host.Calls, (std::vector<std::string>{"add:/media/one.avi", "batch:/media/a.avi|/media/b.avi"}));
}

TEST(ApplicationErrorDisplay, AppendsAFullStopAfterCharactersAboveIt) {
  EXPECT_EQ(ApplicationErrorText("Cannot open file"), "Cannot open file.");
  EXPECT_EQ(ApplicationErrorText("Done."), "Done.");
  EXPECT_EQ(ApplicationErrorText("Why!"), "Why!");
  EXPECT_EQ(ApplicationErrorText("size 10"), "size 10.");
  EXPECT_EQ(ApplicationErrorText("trailing -"), "trailing -");
  EXPECT_EQ(ApplicationErrorText("path/"), "path/.");
  EXPECT_EQ(ApplicationErrorText("(line 3)"), "(line 3)");
  EXPECT_EQ(ApplicationErrorText(QStringLiteral("无法打开")), QStringLiteral("无法打开."));
  EXPECT_EQ(ApplicationErrorText(""), "");
}

TEST_F(FormMainTest, ErrorsOfHandlersReachTheGeneralErrorDisplay) {
  gui::TRecordingErrors errors;
  // A failing creation step ends the creation: the check mark is not set.
  Config.SetShutdownWhenDone(true);
  Host.OnLoadViews = [] { throw Exception("unable to open database file"); };
  TFormMain form(Host, Config);
  EXPECT_FALSE(form.actShutdownWhenDone->isChecked());
  EXPECT_EQ(errors.Titles, QStringList{"Quillbrook 3gp Video Converter"});
  EXPECT_EQ(errors.Texts, QStringList{"unable to open database file."});

  Host.OnStart = [] { throw Exception("Cannot start the task"); };
  Host.Current = stError;
  form.show();
  gui::WaitIdle();
  QTest::mouseClick(ToolButtons(form)[1], Qt::LeftButton);
  ASSERT_EQ(errors.Texts.size(), 2);
  EXPECT_EQ(errors.Texts[1], "Cannot start the task.");
  // The window goes on working.
  form.actNewConversion->trigger();
  EXPECT_EQ(Host.Calls.back(), "add:");
}

TEST(ApplicationErrorDisplay, AnErrorEscapingAnEventHandlerIsShownNotFatal) {
  gui::TRecordingErrors errors;
  class TThrowing : public QObject {
   protected:
    bool event(QEvent* Event) override {
      if (Event->type() == QEvent::User) throw std::runtime_error("bad state");
      return QObject::event(Event);
    }
  } receiver;
  QCoreApplication::postEvent(&receiver, new QEvent(QEvent::User));
  gui::WaitIdle();
  EXPECT_EQ(errors.Texts, QStringList{"bad state."});
}

TEST(ImageLists, HoldTheirImagesAtTheirSizes) {
  for (int i = 0; i < kToolbarImageCount; ++i) {
    EXPECT_TRUE(ToolbarImage(i).availableSizes().contains(QSize(48, 48))) << i;
  }
  for (int i = 0; i < kTreeImageCount; ++i) EXPECT_TRUE(TreeImage(i).availableSizes().contains(QSize(16, 16)));
  for (int i = 0; i < kTaskImageCount; ++i) EXPECT_TRUE(TaskImage(i).availableSizes().contains(QSize(16, 16)));
  EXPECT_THROW(TaskImage(kTaskImageCount), EAssertionFailed);
  EXPECT_THROW(ToolbarImage(-1), EAssertionFailed);
}

}  // namespace
