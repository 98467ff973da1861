#include "CommonGUI/TaskNotifications.gui.h"

#include <QApplication>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/AppIdentity.h"

namespace {

constexpr const char* kService = "org.freedesktop.Notifications";
constexpr const char* kPath = "/org/freedesktop/Notifications";
constexpr int kServerDefaultTimeout = -1;

QString FromStd(const std::string& Text) { return QString::fromStdString(Text); }

}  // namespace

TTaskNotice TaskEndedNotice(const QString& SourceFile, const QString& TargetFile, bool Failed,
                            const QString& Error) {
  TTaskNotice notice;
  notice.Summary = QString::fromUtf8(Failed ? "转换失败" : "转换完成");
  notice.Body = QFileInfo(SourceFile).fileName().toHtmlEscaped();
  if (Failed) {
    if (!Error.isEmpty()) notice.Body += QLatin1Char('\n') + Error.toHtmlEscaped();
  } else {
    notice.Body += QString::fromUtf8(" → ") + QFileInfo(TargetFile).fileName().toHtmlEscaped();
  }
  return notice;
}

TTaskNotifier::TTaskNotifier(QDBusConnection Bus, QObject* Parent) : QObject(Parent), FBus(std::move(Bus)) {
  TaskModel().TaskEnded = [this](const TAVTask& Task, bool Failed) {
    Notify(TaskEndedNotice(FromStd(Task.Settings().SourceFile), FromStd(Task.Settings().TargetFile), Failed,
                           FromStd(Task.Converter().ErrorMessage())));
  };
}

TTaskNotifier::~TTaskNotifier() { TaskModel().TaskEnded = nullptr; }

void TTaskNotifier::Notify(const TTaskNotice& Notice) {
  if (QApplication::activeWindow() || !FBus.isConnected()) return;
  QDBusMessage call = QDBusMessage::createMethodCall(QLatin1String(kService), QLatin1String(kPath),
                                                     QLatin1String(kService), QStringLiteral("Notify"));
  QVariantMap hints;
  hints.insert(QStringLiteral("desktop-entry"), QString::fromLatin1(kDesktopAppId));
  call << QString::fromUtf8(kApplicationTitle) << 0u << QString::fromLatin1(kDesktopAppId) << Notice.Summary
       << Notice.Body << QStringList() << hints << kServerDefaultTimeout;
  // No reply is awaited: without a service the call fails on the bus, unseen.
  call.setAutoStartService(true);
  FBus.send(call);
}
