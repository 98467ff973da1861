#pragma once
// The main window: toolbar with the banner page at its right, main menu, the
// action list with its enabling rules, the areas of the three task views and
// the file drop target on the task list. Main thread.
#include <QMainWindow>
#include <QStringList>

#include <string>
#include <vector>

#include "CommonGUI/FMainRules.h"

class QAction;
class QTextBrowser;
class QToolBar;
class TAVConfiguration;
class TFormMain;

// What the main window's task actions act on: the task list, the converting
// category and the wizard. The program wires it to the task views.
class TFormMainHost : public TTaskListState {
 public:
  // Steps 1 and 2 of the window's creation: places the task views into the
  // window's areas, builds the category tree and selects the converting category.
  virtual void LoadViews(TFormMain& Form) = 0;
  // Runs the wizard with FileName preset (empty for none) and hands the
  // settings it returns to the converting category; cancelling does nothing.
  virtual void AddConversion(const std::string& FileName) = 0;
  // Runs the wizard with several files or folders (folders are walked for
  // files the probe accepts); the tasks it returns are added as a batch.
  virtual void AddConversions(const std::vector<std::string>& Paths) = 0;
  // Resume, Start and Pause of the current task; Stop of every selected task
  // that is running or paused.
  virtual void ResumeCurrentTask() = 0;
  virtual void StartCurrentTask() = 0;
  virtual void PauseCurrentTask() = 0;
  virtual void StopSelectedTasks() = 0;
};

// Layout figures of the main window, in pixels.
inline constexpr int kToolbarHeight = 73;
inline constexpr int kToolButtonWidth = 86;
inline constexpr int kToolButtonHeight = 68;
inline constexpr int kBannerWidth = 468;
inline constexpr int kBannerHeight = 65;
inline constexpr int kCategoryTreeWidth = 209;
inline constexpr int kTaskListHeight = 353;
// The window's size when it is not maximised (at most the screen's).
inline constexpr int kNormalWidth = 1024;
inline constexpr int kNormalHeight = 700;

class TFormMain : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window (initially maximised) and runs its creation steps; an
  // error raised by a step goes to the general error display and ends them.
  TFormMain(TFormMainHost& Host, TAVConfiguration& Configuration, QWidget* Parent = nullptr);

  // The action list.
  QAction* actNewConversion;
  QAction* actStartTask;
  QAction* actPauseTask;
  QAction* actStopTask;
  QAction* actExit;
  QAction* actHomePage;
  QAction* actDonation;
  QAction* actOptions;
  QAction* actLiveUpdate;
  QAction* actMoreConverters;
  QAction* actAbout;
  QAction* actShutdownWhenDone;

  // Where the task views go: category tree, task list (the drop target) and
  // task information.
  QWidget* ExplorerArea() const { return pnlExplorer; }
  QWidget* ListArea() const { return pnlList; }
  QWidget* InfoArea() const { return pnlInfo; }
  QToolBar* ToolBar() const { return tbMain; }
  QTextBrowser* Browser() const { return wbBanner; }

  // Runs the wizard with FileName preset, through the host.
  void AddConversion(const QString& FileName);
  // One file: the wizard; several files or a folder: the batch wizard.
  void AddConversions(const QStringList& Files);
  // The enabling rules; run whenever the application is idle.
  void UpdateActions();

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  void CreateActions();
  void CreateMenus();
  void CreateToolBar();
  void CreateAreas();
  void FormCreate();

  void actNewConversionExecute();
  void actStartTaskExecute();
  void actPauseTaskExecute();
  void actStopTaskExecute();
  void actExitExecute();
  void actHomePageExecute();
  void actDonationExecute();
  void actOptionsExecute();
  void actLiveUpdateExecute();
  void actMoreConvertersExecute();
  void actAboutExecute();
  void actShutdownWhenDoneExecute();
  void actStartTaskUpdate();
  void actPauseTaskUpdate();
  void actStopTaskUpdate();

  // Drag and drop onto the task list: the files are read when the drag enters.
  bool lvTasksDragEnter(QDragEnterEvent* Event);
  bool lvTasksDragOver(QDragMoveEvent* Event);
  bool lvTasksDrop(QDropEvent* Event);

  TFormMainHost& FHost;
  TAVConfiguration& FConfiguration;
  QToolBar* tbMain;
  QTextBrowser* wbBanner;
  QWidget* pnlExplorer;
  QWidget* pnlList;
  QWidget* pnlInfo;
  QStringList FDraggedFiles;
};
