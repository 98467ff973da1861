#pragma once
// Helpers for driving the real widgets on the offscreen platform.
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <memory>
#include <ostream>
#include <optional>
#include <string>
#include <vector>

#include "CommonGUI/ApplicationErrors.gui.h"
#include "Common/CConfiguration.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "Wizard/FNewConversion.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"

// Readable failure messages for Qt strings.
inline void PrintTo(const QString& Text, std::ostream* Out) { *Out << '"' << Text.toStdString() << '"'; }
inline void PrintTo(const QStringList& List, std::ostream* Out) {
  *Out << '{';
  for (const QString& Text : List) *Out << '"' << Text.toStdString() << "\" ";
  *Out << '}';
}

namespace gui {

// Runs the event loop until the application is idle, after the enabling
// rules have run.
void WaitIdle();

// Drive runs on the next modal window once it is shown (within the modal
// loop of the exec() that follows).
void OnModal(std::function<void(QWidget* Modal)> Drive);

// A fresh application data folder for this test ($XDG_DATA_HOME).
std::string FreshDataFolder();

// The task list and converting category as the main window sees them.
class TRecordingHost : public TFormMainHost {
 public:
  std::optional<TAVTaskStatus> Current;
  std::vector<TAVTaskStatus> Selected;
  std::vector<std::string> Calls;  // "resume", "start", "pause", "stop", "add:<file>", "views"
  std::function<void()> OnLoadViews;
  std::function<void()> OnStart;

  std::optional<TAVTaskStatus> CurrentTaskStatus() const override { return Current; }
  std::vector<TAVTaskStatus> SelectedTaskStatuses() const override { return Selected; }
  void LoadViews(TFormMain&) override;
  void AddConversion(const std::string& FileName) override { Calls.push_back("add:" + FileName); }
  void AddConversions(const std::vector<std::string>& Paths) override {
    std::string call = "batch:";
    for (const std::string& p : Paths) call += (call.size() > 6 ? "|" : "") + p;
    Calls.push_back(call);
  }
  void ResumeCurrentTask() override { Calls.push_back("resume"); }
  void StartCurrentTask() override;
  void PauseCurrentTask() override { Calls.push_back("pause"); }
  void StopSelectedTasks() override { Calls.push_back("stop"); }
};

// Records the shell calls and answers questions, for the scope of a test.
class TRecordingShell {
 public:
  TRecordingShell();
  ~TRecordingShell();
  QStringList Opened;
  QStringList Started;  // "program|folder"
  QStringList Questions;
  QStringList Explored;  // "folder:<path>" or "select:<path>"
  bool Answer = true;

 private:
  TShellServices FPrevious;
};

// Records the general error display, for the scope of a test.
class TRecordingErrors {
 public:
  TRecordingErrors();
  ~TRecordingErrors();
  QStringList Titles;
  QStringList Texts;

 private:
  TApplicationErrorHandler FPrevious;
};

// The application as main() builds it: the data module, the task views and
// the main window over the configuration of the test's data folder. Power-off
// is recorded, never done.
class TRunningApp {
 public:
  explicit TRunningApp(TConversionWizard Wizard = nullptr);
  // What the program does at exit: tasks released, configuration saved.
  ~TRunningApp();
  TAVConfiguration Config;
  std::unique_ptr<TdmGlobal> Module;
  std::unique_ptr<TMainWindowViews> Views;
  std::unique_ptr<TFormMain> Form;
  int PowerOffs = 0;
};

// A wizard that hands back one settings record (or none) for the first
// preset file, as the single-file wizard does.
inline TConversionWizard SingleWizard(std::function<std::unique_ptr<TConversionSettings>(const std::string&)> Wizard) {
  return [Wizard = std::move(Wizard)](const std::vector<std::string>& Paths) {
    TNewConversions out;
    if (auto settings = Wizard(Paths.empty() ? std::string() : Paths.front())) out.Settings.push_back(std::move(settings));
    return out;
  };
}

// Runs the event loop until Done or TimeoutMs pass; true when Done.
bool WaitUntil(const std::function<bool()>& Done, int TimeoutMs = 120000);

// Runs Drive on the modal window that shows within the next TimeoutMs (a
// dialog opened by the code that runs next); Shown tells whether one did.
class TNextModal {
 public:
  explicit TNextModal(std::function<void(QWidget* Modal)> Drive, int TimeoutMs = 5000);
  bool Shown() const { return *FShown; }

 private:
  std::shared_ptr<bool> FShown = std::make_shared<bool>(false);
};

}  // namespace gui
