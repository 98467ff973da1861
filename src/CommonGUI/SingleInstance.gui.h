#pragma once
// One instance of the application per user. The first start holds the
// instance lock and listens on a local socket in a private folder; a later
// start finds the lock taken, hands its files over the socket and exits
// before it opens anything else. Main thread.
#include <QObject>
#include <QStringList>

#include <memory>
#include <string>
#include <vector>

class QLocalServer;
class QLocalSocket;
class TInstanceLock;

class TSingleInstance : public QObject {
  Q_OBJECT
 public:
  // Takes the lock or finds it taken. When no private folder can be had the
  // process runs on its own (Primary), after a warning on standard error.
  explicit TSingleInstance(QObject* Parent = nullptr);
  ~TSingleInstance() override;

  // True for the one instance: it may open the task database.
  bool Primary() const { return FPrimary; }
  // A later start: sends Paths (files given on its command line) to the
  // running instance; false when it could not be reached.
  bool HandOver(const std::vector<std::string>& Paths);

 signals:
  // Files handed over by a later start that are existing regular files (may
  // be empty: the window only comes to the front).
  void FilesReceived(const QStringList& Files);

 private:
  void Listen();
  void Accept();
  void Receive(QLocalSocket* Socket);

  std::string FFolder;
  std::unique_ptr<TInstanceLock> FLock;
  QLocalServer* FServer = nullptr;  // owned as a child; only in the primary
  bool FPrimary = true;
};

// The paths among Arguments (a command line without the program name) that
// name existing regular files, in order; the rest is ignored.
std::vector<std::string> FileArguments(const QStringList& Arguments);
