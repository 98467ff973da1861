#pragma once
// Shared by the picture program's parts and the GUI bench.
#include <QApplication>
#include <QString>
#include <QTemporaryDir>
#include <QWidget>

#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"

class TAVConfiguration;

// The application as main() sets it up, over a throw-away data folder
// ($XDG_DATA_HOME) so that no file of the user is touched. Main thread.
class TThrowAwaySession {
 public:
  TThrowAwaySession(int& Argc, char** Argv);
  ~TThrowAwaySession();
  QString DataFolder() const { return FData.path(); }

 private:
  // Points $XDG_DATA_HOME at the folder before the application exists.
  struct TDataHome {
    explicit TDataHome(const QTemporaryDir& Folder);
  };
  QTemporaryDir FData;
  TDataHome FHome;
  TApplication FApp;
  TQtMainThreadDispatcher FDispatcher;
};

// Lets the windows settle and their enabling rules run, as they do when idle.
void WaitIdle();
// Shows Widget, lets it settle and writes it to Folder/Name; false when the
// file cannot be written.
bool Save(QWidget& Widget, const QString& Folder, const char* Name);
// The main window with tasks, the delete dialog and both wizard pages, with
// Clip as the source of every conversion.
bool SaveTaskWindows(const QString& Folder, TAVConfiguration& Configuration, const QString& Clip);
// The batch wizard and the task list with waiting tasks, every file a link to Clip.
bool SaveBatchWindows(const QString& Folder, TAVConfiguration& Configuration, const QString& Clip);
