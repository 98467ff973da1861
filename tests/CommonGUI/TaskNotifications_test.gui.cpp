// Desktop notifications go to a notification service on a private session
// bus of the test's own: one per ended task while no window of the
// application is active, with the file name escaped; none while one is, and
// none (and no fault) while no service runs.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>
#include <QWidget>

#include "CommonGUI/AVNodes.h"
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

  // While a window of the application is active: nothing.
  QWidget window;
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  TaskModel().TaskEnded(task, false);
  // Inactive: a notice; the bus keeps the order of one sender's messages, so
  // when it arrives alone, none was sent before it.
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

}  // namespace

#include "TaskNotifications_test.gui.moc"
