#pragma once
// Desktop notifications (org.freedesktop.Notifications over D-Bus) when a
// conversion ends while none of the application's windows is active. Where
// no notification service runs, nothing is shown and nothing is reported.
// Main thread.
#include <QDBusConnection>
#include <QObject>
#include <QString>

class TAVTask;

// The notification's texts. The body is markup for the notification
// service, so the file name is escaped ("<b>x&y</b>.mp4" shows as written).
struct TTaskNotice {
  QString Summary;
  QString Body;
};
TTaskNotice TaskEndedNotice(const QString& SourceFile, const QString& TargetFile, bool Failed,
                            const QString& Error);

class TTaskNotifier : public QObject {
  Q_OBJECT
 public:
  // Installs itself as the task model's TaskEnded handler for its lifetime.
  explicit TTaskNotifier(QDBusConnection Bus = QDBusConnection::sessionBus(), QObject* Parent = nullptr);
  ~TTaskNotifier() override;

  // Sends Notice unless one of the application's windows is active.
  void Notify(const TTaskNotice& Notice);

 private:
  QDBusConnection FBus;
};
