#include "CommonGUI/SharedDialogs.gui.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include <utility>

#include "Common/MainThreadDispatcher.h"
#include "Converter/avlib.h"

namespace {

// Main thread only.
TShellServices gServices;

}  // namespace

TShellServices SetShellServices(TShellServices Services) {
  return std::exchange(gServices, std::move(Services));
}

bool ConfirmDialog(const QString& Question) {
  if (gServices.Confirm) return gServices.Confirm(Question);
  QMessageBox box(QMessageBox::Question, QStringLiteral("Warning"), Question,
                  QMessageBox::Yes | QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

void ShellOpen(const QString& Target) {
  if (gServices.Open) {
    gServices.Open(Target);
    return;
  }
  // A plain path is a document; anything with a scheme is an address.
  const QUrl url = QUrl::fromUserInput(Target);
  QDesktopServices::openUrl(url);
}

void ShellStart(const QString& Program, const QString& Folder) {
  if (gServices.Start) {
    gServices.Start(Program, Folder);
    return;
  }
  QProcess::startDetached(Program, {}, Folder);
}

void OpenFolderInExplorer(const QString& Folder, bool) {
  if (gServices.Explore) {
    gServices.Explore(Folder, false);
    return;
  }
  QDesktopServices::openUrl(QUrl::fromLocalFile(Folder));
}

void ShowFileInExplorer(const QString& FileName, bool Tree) {
  if (gServices.Explore) {
    gServices.Explore(FileName, true);
    return;
  }
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
      QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
  call << QStringList{QUrl::fromLocalFile(FileName).toString()} << QString();
  const QDBusMessage reply = QDBusConnection::sessionBus().call(call);
  if (reply.type() != QDBusMessage::ReplyMessage) OpenFolderInExplorer(QFileInfo(FileName).absolutePath(), Tree);
}

void InstallErrorMessageBox() {
  SetErrorMessageHandler([](const std::string& Text) {
    MainThread().RunAndWait([&Text] {
      QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), QString::fromStdString(Text),
                      QMessageBox::Ok);
      box.exec();
    });
  });
}
