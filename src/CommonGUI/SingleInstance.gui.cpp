#include "CommonGUI/SingleInstance.gui.h"

#include <QByteArray>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>

#include <cstdio>
#include <filesystem>
#include <memory>

#include "Common/Errors.h"
#include "Common/InstanceChannel.h"

namespace {

// A later start may come while the first one is between taking the lock and
// listening: it tries again for a few seconds before it gives up.
constexpr int kConnectAttempts = 50;
constexpr int kConnectWaitMs = 100;
constexpr int kSendWaitMs = 5000;
// A connection that sends nothing for this long is dropped, so a stuck
// client cannot hold a socket for ever.
constexpr int kReceiveTimeoutMs = 10000;

}  // namespace

std::vector<std::string> FileArguments(const QStringList& Arguments) {
  std::vector<std::string> files;
  for (const QString& argument : Arguments) {
    const std::string path = QFile::encodeName(argument).toStdString();
    std::error_code ec;
    if (std::filesystem::is_regular_file(path, ec)) files.push_back(path);
  }
  return files;
}

TSingleInstance::TSingleInstance(QObject* Parent) : QObject(Parent) {
  try {
    FFolder = InstanceFolder();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "quillbrook: %s; running without the instance check\n", e.what());
    return;
  }
  FLock = std::make_unique<TInstanceLock>(FFolder);
  FPrimary = FLock->Owned();
  if (FPrimary) Listen();
}

TSingleInstance::~TSingleInstance() = default;

void TSingleInstance::Listen() {
  const QString path = QFile::decodeName(QByteArray::fromStdString(InstanceSocketPath(FFolder)));
  // Whatever socket file is there was left by an instance that ended without
  // cleaning up: the lock is ours, so no one listens on it.
  QLocalServer::removeServer(path);
  FServer = new QLocalServer(this);
  FServer->setSocketOptions(QLocalServer::UserAccessOption);
  if (!FServer->listen(path)) {
    std::fprintf(stderr, "quillbrook: cannot listen on %s: %s\n", qPrintable(path),
                 qPrintable(FServer->errorString()));
    return;
  }
  connect(FServer, &QLocalServer::newConnection, this, &TSingleInstance::Accept);
}

void TSingleInstance::Accept() {
  while (QLocalSocket* socket = FServer->nextPendingConnection()) {
    socket->setParent(this);
    socket->setReadBufferSize(kMaxOpenMessageBytes + 1);
    // Shared by the two handlers; gone with the socket's connections.
    auto message = std::make_shared<QByteArray>();
    connect(socket, &QLocalSocket::readyRead, socket, [socket, message] {
      message->append(socket->readAll());
      if (static_cast<size_t>(message->size()) > kMaxOpenMessageBytes) socket->abort();
    });
    auto finish = [this, socket, message] {
      message->append(socket->readAll());
      const auto paths = DecodeOpenMessage(message->toStdString());
      message->clear();
      socket->deleteLater();
      if (!paths) return;
      QStringList files;
      for (const std::string& path : *paths) files << QFile::decodeName(QByteArray::fromStdString(path));
      emit FilesReceived(files);
    };
    // A quick sender may be gone before its connection is taken up.
    if (socket->state() == QLocalSocket::UnconnectedState) {
      finish();
      continue;
    }
    connect(socket, &QLocalSocket::disconnected, this, finish);
    QTimer::singleShot(kReceiveTimeoutMs, socket, [socket] { socket->abort(); });
  }
}

bool TSingleInstance::HandOver(const std::vector<std::string>& Paths) {
  const QString path = QFile::decodeName(QByteArray::fromStdString(InstanceSocketPath(FFolder)));
  QLocalSocket socket;
  for (int attempt = 0; attempt < kConnectAttempts; ++attempt) {
    socket.connectToServer(path);
    if (socket.waitForConnected(kConnectWaitMs)) break;
    QThread::msleep(kConnectWaitMs);
  }
  if (socket.state() != QLocalSocket::ConnectedState) return false;
  socket.write(QByteArray::fromStdString(EncodeOpenMessage(Paths)));
  if (!socket.waitForBytesWritten(kSendWaitMs)) return false;
  socket.disconnectFromServer();
  if (socket.state() != QLocalSocket::UnconnectedState) socket.waitForDisconnected(kSendWaitMs);
  return true;
}
