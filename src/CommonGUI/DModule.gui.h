#pragma once
// The global data module: one for the whole run, created before the main
// window. It holds the profile catalogue, the task database and the task and
// category menus with their actions. Main thread.
#include <QMenu>
#include <QObject>

#include <memory>
#include <string>

#include "CommonGUI/AVNodesViews.h"
#include "Converter/AVProfile.h"

class QAction;
class TAVConfiguration;
class TAVTask;
class TConvertedNode;
class TFrameExplorer;
class TFrameList;
class TPersistentManager;

// The context menu of a category of converted files.
class TCategoryPopupMenu : public QMenu, public TCategoryMenu {
  Q_OBJECT
 public:
  explicit TCategoryPopupMenu(QWidget* Parent = nullptr) : QMenu(Parent) {}
  void SetTag(TNodeObject* Node) override { FTag = Node; }
  TNodeObject* Tag() const { return FTag; }

 private:
  TNodeObject* FTag = nullptr;
};

class TdmGlobal : public QObject {
  Q_OBJECT
 public:
  // DataModuleCreate: opens (or creates) the task database in the
  // configuration's data folder and loads "Profiles.ini" when it is there. A
  // failing step goes to the general error display and ends the creation; the
  // module then has no database.
  explicit TdmGlobal(TAVConfiguration& Configuration, QObject* Parent = nullptr);
  ~TdmGlobal() override;

  TAVProfileList profileList;
  // nullptr when the database could not be opened.
  TPersistentManager* Database() const { return FDatabase.get(); }
  std::string ProfilesFileName() const;
  const TAVConfiguration& Configuration() const { return FConfiguration; }

  // The views the menus act on (the main window's); not owned.
  void SetViews(TFrameExplorer* Explorer, TFrameList* List);

  QMenu* pmTasks;
  TCategoryPopupMenu* pmCategory;
  // Task menu.
  QAction* actDeleteTasks;
  QAction* actOpenSource;
  QAction* actOpenTarget;
  QAction* actOpenFolder;
  // Category menu.
  QAction* actOpenCategoryFolder;
  QAction* actNewCategory;
  QAction* actDeleteCategory;
  QAction* actCategoryProperties;

  // The enabling rules of both menus; run whenever the application is idle.
  void UpdateActions();

  // The focused category of the main window's tree; an assertion failure when
  // the focused row is not a category of converted files.
  TConvertedNode& GetConvertedNode() const;

 private:
  void CreateMenus();
  void DataModuleCreate();
  // The current task when Action's rule allows it, else nullptr.
  TAVTask* TaskFor(QAction* Action);
  void actDeleteTasksExecute();
  void actOpenSourceExecute();
  void actOpenTargetExecute();
  void actOpenFolderExecute();
  void actOpenCategoryFolderExecute();
  void actNewCategoryExecute();
  void actDeleteCategoryExecute();
  void actCategoryPropertiesExecute();

  TAVConfiguration& FConfiguration;
  std::unique_ptr<TPersistentManager> FDatabase;
  std::unique_ptr<QMenu> FTaskMenu;                  // pmTasks
  std::unique_ptr<TCategoryPopupMenu> FCategoryMenu;  // pmCategory
  TFrameExplorer* FExplorer = nullptr;
  TFrameList* FList = nullptr;
};

// The module of the running application; nullptr before it exists.
TdmGlobal* dmGlobal();
