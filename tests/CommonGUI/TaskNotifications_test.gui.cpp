// Desktop notifications go to a notification service on a private session
// bus of the test's own: one per ended task while no window of the
// application is active, with the file name escaped; none while one is, and
// none (and no fault) while no service runs. The dock entry's progress goes
// to the same bus as a signal.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/DockProgress.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/TaskNotifications.gui.h"

namespace {

// A small notification service: records what it is asked to show.
class TNotificationService : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  QStringList Summaries, Bodies, Icons;

 public slots:
  uint Notify(const QString& AppName, uint ReplacesId, const QString& AppIcon, const QString& Summary,
              const QString& Body, const QStringList& Actions, const QVariantMap& Hints, int Timeout) {
    Summaries << Summary;
    Bodies << Body;
    Icons << AppIcon;
    return static_cast<uint>(Bodies.size());
  }
};

// Records the dock entry signals on the bus.
class TDockListener : public QObject {
  Q_OBJECT
 public:
  QStringList Uris;
  std::vector<QVariantMap> Updates;

 public slots:
  void Update(const QString& Uri, const QVariantMap& Properties) {
    Uris << Uri;
    Updates.push_back(Properties);
  }
};

// A session bus of the test's own, ended with the test.
class TPrivateBus {
 public:
  TPrivateBus() {
    FDaemon.start(QStringLiteral("dbus-daemon"), {"--session", "--nofork", "--print-address=1"});
    if (FDaemon.waitForStarted() && FDaemon.waitForReadyRead())
      Address = QString::fromUtf8(FDaemon.readLine()).trimmed();
  }
  ~TPrivateBus() {
    QDBusConnection::disconnectFromBus(QStringLiteral("qb-service"));
    QDBusConnection::disconnectFromBus(QStringLiteral("qb-notifier"));
    QDBusConnection::disconnectFromBus(QStringLiteral("qb-dock"));
    FDaemon.kill();
    FDaemon.waitForFinished();
  }
  QDBusConnection Connect(const char* Name) { return QDBusConnection::connectToBus(Address, QLatin1String(Name)); }
  QString Address;

 private:
  QProcess FDaemon;
};

TEST(TaskNotifications, OnePerEndedTaskWhileNoWindowIsActiveEscaped) {
  TPrivateBus bus;
  ASSERT_FALSE(bus.Address.isEmpty()) << "dbus-daemon did not start";
  TTaskNotifier notifier(bus.Connect("qb-notifier"));
  ASSERT_TRUE(TaskModel().TaskEnded);
  auto settings = std::make_unique<TConversionSettings>();
  settings->SourceFile = "/videos/<b>x&y<b>.mp4";
  settings->TargetFile = "/out/<b>x&y<b>.avi";
  TConvertingTask task(std::move(settings), nullptr);
  ASSERT_EQ(QApplication::activeWindow(), nullptr);
  // No notification service yet: the notice is lost without a word.
  TaskModel().TaskEnded(task, false);

  QDBusConnection serviceBus = bus.Connect("qb-service");
  TNotificationService service;
  ASSERT_TRUE(serviceBus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &service,
                                        QDBusConnection::ExportAllSlots));
  ASSERT_TRUE(serviceBus.registerService(QStringLiteral("org.freedesktop.Notifications")));

  // While a window of the application is active: nothing (another task, so
  // that a notice sent for it could not pass for the expected one).
  auto activeSettings = std::make_unique<TConversionSettings>();
  activeSettings->SourceFile = "/videos/seen.mp4";
  activeSettings->TargetFile = "/out/seen.avi";
  TConvertingTask seen(std::move(activeSettings), nullptr);
  QWidget window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  TaskModel().TaskEnded(seen, false);
  // Inactive: a notice; the bus keeps the order of one sender's messages, so
  // when the first to arrive is this one, none was sent before it.
  window.hide();
  ASSERT_TRUE(gui::WaitUntil([] { return QApplication::activeWindow() == nullptr; }));
  TaskModel().TaskEnded(task, false);
  ASSERT_TRUE(gui::WaitUntil([&] { return service.Bodies.size() >= 1; }, 10000));
  EXPECT_EQ(service.Bodies, QStringList{QStringLiteral("&lt;b&gt;x&amp;y&lt;b&gt;.mp4 → &lt;b&gt;x&amp;y&lt;b&gt;.avi")});
  EXPECT_EQ(service.Summaries, QStringList{QStringLiteral("转换完成")});
  EXPECT_EQ(service.Icons, QStringList{QStringLiteral("example.quillbrooksoft.Quillbrook")});

  const TTaskNotice failed = TaskEndedNotice("/v/a.mp4", "/o/a.avi", true, "Could not open <file>");
  EXPECT_EQ(failed.Summary, QStringLiteral("转换失败"));
  EXPECT_EQ(failed.Body, QStringLiteral("a.mp4\nCould not open &lt;file&gt;"));
}

TEST(DockProgress, TheBarCountsEndedTasksAsDoneUntilNoneIsLeft) {
  TPrivateBus bus;
  ASSERT_FALSE(bus.Address.isEmpty()) << "dbus-daemon did not start";
  QDBusConnection listenerBus = bus.Connect("qb-service");
  TDockListener listener;
  ASSERT_TRUE(listenerBus.connect(QString(), QString(), QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                  QStringLiteral("Update"), &listener, SLOT(Update(QString, QVariantMap))));
  int a = 0, b = 0, c = 0;  // the tasks' identities
  std::vector<TDockTask> tasks;
  TDockProgress dock([&tasks] { return tasks; }, bus.Connect("qb-dock"));
  const auto look = [&](std::vector<TDockTask> Tasks, size_t Updates) {
    tasks = std::move(Tasks);
    dock.Look();
    return gui::WaitUntil([&] { return listener.Updates.size() >= Updates; }, 10000);
  };
  // A finished task in the list is not counted; a waiting one counts at 0 %.
  ASSERT_TRUE(look({{&a, true, 50}, {&b, true, 0}, {&c, false, 100}}, 1));
  EXPECT_EQ(listener.Uris.front(), QStringLiteral("application://example.quillbrooksoft.Quillbrook.desktop"));
  EXPECT_DOUBLE_EQ(listener.Updates[0]["progress"].toDouble(), 0.25);
  EXPECT_EQ(listener.Updates[0]["count"].toLongLong(), 2);
  EXPECT_TRUE(listener.Updates[0]["progress-visible"].toBool());
  // a leaves the list: done, so the bar moves on instead of back.
  ASSERT_TRUE(look({{&b, true, 50}}, 2));
  EXPECT_DOUBLE_EQ(listener.Updates[1]["progress"].toDouble(), 0.75);
  EXPECT_EQ(listener.Updates[1]["count"].toLongLong(), 1);
  // The same figures again send nothing; the next change is the next signal.
  tasks = {{&b, true, 50}};
  dock.Look();
  ASSERT_TRUE(look({}, 3));
  EXPECT_FALSE(listener.Updates[2]["progress-visible"].toBool());
  // A task after that starts the count afresh.
  ASSERT_TRUE(look({{&c, true, 10}}, 4));
  EXPECT_DOUBLE_EQ(listener.Updates[3]["progress"].toDouble(), 0.10);
  EXPECT_EQ(listener.Updates.size(), 4u);
}

}  // namespace

#include "TaskNotifications_test.gui.moc"
