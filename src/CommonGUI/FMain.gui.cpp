#include "CommonGUI/FMain.gui.h"

#include <QAction>
#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QFrame>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QScrollBar>
#include <QSplitter>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

#include "Common/CConfiguration.h"
#include "Common/FOptions.gui.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/CAboutDlg.gui.h"
#include "CommonGUI/IdleUpdate.gui.h"
#include "CommonGUI/ImageLists.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"

namespace {

QAction* NewAction(const char* Name, const char* Caption, const char* Hint, QObject* Parent) {
  auto* action = new QAction(QString::fromUtf8(Caption), Parent);
  action->setObjectName(QLatin1String(Name));
  const QString hint = QString::fromUtf8(Hint);
  action->setStatusTip(hint);
  action->setToolTip(hint.isEmpty() ? action->text() : hint);
  return action;
}

// A menu item or tool button with a caption of its own: it runs Action and
// follows its enabled and checked state.
QAction* LinkedItem(const char* Caption, QAction* Action, QObject* Parent) {
  const QString caption = QString::fromUtf8(Caption);
  auto* item = new QAction(caption, Parent);
  item->setIconText(caption);
  item->setToolTip(Action->toolTip());
  item->setStatusTip(Action->statusTip());
  item->setCheckable(Action->isCheckable());
  auto follow = [item, Action] {
    item->setEnabled(Action->isEnabled());
    item->setChecked(Action->isChecked());
  };
  follow();
  QObject::connect(Action, &QAction::changed, item, follow);
  QObject::connect(item, &QAction::triggered, Action, [Action] { Action->trigger(); });
  return item;
}

QWidget* Area(const char* Name) {
  auto* area = new QFrame;
  area->setObjectName(QLatin1String(Name));
  area->setFrameShape(QFrame::StyledPanel);
  area->setFrameShadow(QFrame::Sunken);
  auto* layout = new QVBoxLayout(area);
  layout->setContentsMargins(0, 0, 0, 0);
  return area;
}

// Gives a splitter's first pane Size pixels once the splitter has its first
// real size (sizes set before that are only taken as proportions); the pane
// has no stretch, so later resizes such as maximising keep it.
class TFirstPaneSize : public QObject {
 public:
  TFirstPaneSize(QSplitter* Splitter, int Size) : QObject(Splitter), FSplitter(Splitter), FSize(Size) {
    Splitter->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* Watched, QEvent* Event) override {
    if (Watched == FSplitter && Event->type() == QEvent::Resize) {
      const int whole = FSplitter->orientation() == Qt::Horizontal ? FSplitter->width() : FSplitter->height();
      const int rest = whole - FSize - FSplitter->handleWidth();
      if (rest > 0) {
        FSplitter->removeEventFilter(this);
        FSplitter->setSizes({FSize, rest});
      }
    }
    return false;
  }

 private:
  QSplitter* FSplitter;
  int FSize;
};

// Local files carried by a drag.
QStringList DraggedFiles(const QMimeData* Data) {
  QStringList files;
  if (!Data) return files;
  for (const QUrl& url : Data->urls()) {
    if (url.isLocalFile()) files << url.toLocalFile();
  }
  return files;
}

}  // namespace

TFormMain::TFormMain(TFormMainHost& Host, TAVConfiguration& Configuration, QWidget* Parent)
    : QMainWindow(Parent), FHost(Host), FConfiguration(Configuration) {
  setObjectName(QStringLiteral("FormMain"));
  setWindowTitle(QString::fromUtf8(kMainWindowTitle));
  setContextMenuPolicy(Qt::NoContextMenu);
  CreateActions();
  CreateMenus();
  CreateToolBar();
  CreateAreas();
  // The size the window returns to from maximised.
  const QRect screenArea = screen()->availableGeometry();
  resize(std::min(kNormalWidth, screenArea.width()), std::min(kNormalHeight, screenArea.height()));
  setWindowState(Qt::WindowMaximized);
  UpdateActions();
  OnIdle(this, [this] { UpdateActions(); });
  Guarded([this] { FormCreate(); });
}

void TFormMain::CreateActions() {
  actNewConversion = NewAction("actNewConversion", "添加任务", "添加任务", this);
  actNewConversion->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  actNewConversion->setIcon(ToolbarImage(tiNewConversion));
  actStartTask = NewAction("actStartTask", "开始转换", "开始转换", this);
  actStartTask->setIcon(ToolbarImage(tiStart));
  actPauseTask = NewAction("actPauseTask", "暂停", "暂停", this);
  actPauseTask->setIcon(ToolbarImage(tiPause));
  actStopTask = NewAction("actStopTask", "停止", "停止", this);
  actStopTask->setIcon(ToolbarImage(tiStop));
  actExit = NewAction("actExit", "退出", "", this);
  actHomePage = NewAction("actHomePage", "翠溪主页", "翠溪主页", this);
  actHomePage->setIcon(ToolbarImage(tiHomePage));
  actDonation = NewAction("actDonation", "Make a donation", "Make a donation", this);
  actDonation->setIcon(ToolbarImage(tiDonation));
  actOptions = NewAction("actOptions", "设置", "", this);
  actLiveUpdate = NewAction("actLiveUpdate", "Live Update", "", this);
  actMoreConverters = NewAction("actMoreConverters", "获取更多转换器...", "", this);
  actAbout = NewAction("actAbout", "读我", "", this);
  actShutdownWhenDone = NewAction("actShutdownWhenDone", "完成后关机", "", this);
  actShutdownWhenDone->setCheckable(true);

  // Every handler's error goes to the general error display.
  auto on = [this](QAction* Action, void (TFormMain::*Execute)()) {
    connect(Action, &QAction::triggered, this, [this, Execute] { Guarded([&] { (this->*Execute)(); }); });
  };
  on(actNewConversion, &TFormMain::actNewConversionExecute);
  on(actStartTask, &TFormMain::actStartTaskExecute);
  on(actPauseTask, &TFormMain::actPauseTaskExecute);
  on(actStopTask, &TFormMain::actStopTaskExecute);
  on(actExit, &TFormMain::actExitExecute);
  on(actHomePage, &TFormMain::actHomePageExecute);
  on(actDonation, &TFormMain::actDonationExecute);
  on(actOptions, &TFormMain::actOptionsExecute);
  on(actLiveUpdate, &TFormMain::actLiveUpdateExecute);
  on(actMoreConverters, &TFormMain::actMoreConvertersExecute);
  on(actAbout, &TFormMain::actAboutExecute);
  on(actShutdownWhenDone, &TFormMain::actShutdownWhenDoneExecute);
}

void TFormMain::CreateMenus() {
  QMenu* file = menuBar()->addMenu(QStringLiteral("文件(&F)"));
  file->setObjectName(QStringLiteral("mnuFile"));
  QAction* newConversion = LinkedItem("添加任务", actNewConversion, file);
  // The menu item carries the short cut; the action itself sits in no widget,
  // so the key is not bound twice.
  newConversion->setShortcut(actNewConversion->shortcut());
  file->addAction(newConversion);
  file->addSeparator();
  file->addAction(LinkedItem("开始转换", actStartTask, file));
  file->addAction(LinkedItem("暂停", actPauseTask, file));
  file->addAction(LinkedItem("停止(S)", actStopTask, file));
  file->addSeparator();
  file->addAction(LinkedItem("退出", actExit, file));

  QMenu* options = menuBar()->addMenu(QStringLiteral("设置(&O)"));
  options->setObjectName(QStringLiteral("mnuOptions"));
  options->addAction(LinkedItem("完成后关机", actShutdownWhenDone, options));
  options->addSeparator();
  options->addAction(LinkedItem("设置", actOptions, options));

  QMenu* help = menuBar()->addMenu(QStringLiteral("帮助(&H)"));
  help->setObjectName(QStringLiteral("mnuHelp"));
  help->addAction(LinkedItem("翠溪官网", actHomePage, help));
  help->addAction(LinkedItem("获取更多..", actMoreConverters, help));
  for (QAction* hidden : {LinkedItem("Make a donation", actDonation, help),
                          LinkedItem("Live Update", actLiveUpdate, help)}) {
    hidden->setVisible(false);
    help->addAction(hidden);
  }
  help->addSeparator();
  help->addAction(LinkedItem("关于(&A)", actAbout, help));
}

void TFormMain::CreateToolBar() {
  tbMain = new QToolBar(this);
  tbMain->setObjectName(QStringLiteral("tbMain"));
  tbMain->setMovable(false);
  tbMain->setFloatable(false);
  tbMain->setFixedHeight(kToolbarHeight);
  tbMain->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
  tbMain->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  addToolBar(Qt::TopToolBarArea, tbMain);

  auto button = [this](const char* Caption, QAction* Action, int Image) {
    QAction* item = LinkedItem(Caption, Action, tbMain);
    item->setIcon(ToolbarImage(Image));
    tbMain->addAction(item);
    tbMain->widgetForAction(item)->setFixedSize(kToolButtonWidth, kToolButtonHeight);
    return item;
  };
  button("添加任务(&A)", actNewConversion, tiNewConversion);
  button("开始转换(&C)", actStartTask, tiStart);
  button("暂停(&P)", actPauseTask, tiPause);
  button("停止(&S)", actStopTask, tiStop);
  tbMain->addSeparator();
  button("翠溪官网", actHomePage, tiHomePage)->setToolTip(QStringLiteral("翠溪官网"));
  button("Make a donation", actDonation, tiDonation)->setVisible(false);

  auto* gap = new QWidget;
  gap->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
  tbMain->addWidget(gap);
  wbBanner = new QTextBrowser;
  wbBanner->setObjectName(QStringLiteral("wbBanner"));
  wbBanner->setFixedSize(kBannerWidth, kBannerHeight);
  wbBanner->setOpenLinks(false);
  connect(wbBanner, &QTextBrowser::anchorClicked, this,
          [](const QUrl& Target) { Guarded([&] { ShellOpen(Target.toString()); }); });
  tbMain->addWidget(wbBanner);
}

void TFormMain::CreateAreas() {
  pnlExplorer = Area("pnlExplorer");
  pnlList = Area("pnlList");
  pnlInfo = Area("pnlInfo");
  pnlList->setAcceptDrops(true);
  pnlList->installEventFilter(this);

  auto* right = new QSplitter(Qt::Vertical);
  right->setObjectName(QStringLiteral("splRight"));
  right->setChildrenCollapsible(false);
  right->addWidget(pnlList);
  right->addWidget(pnlInfo);
  right->setStretchFactor(0, 0);
  right->setStretchFactor(1, 1);
  new TFirstPaneSize(right, kTaskListHeight);

  auto* main = new QSplitter(Qt::Horizontal);
  main->setObjectName(QStringLiteral("splMain"));
  main->setChildrenCollapsible(false);
  main->addWidget(pnlExplorer);
  main->addWidget(right);
  main->setStretchFactor(0, 0);
  main->setStretchFactor(1, 1);
  new TFirstPaneSize(main, kCategoryTreeWidth);
  setCentralWidget(main);
}

void TFormMain::FormCreate() {
  FHost.LoadViews(*this);
  actShutdownWhenDone->setChecked(FConfiguration.ShutdownWhenDone());
  wbBanner->setSource(QUrl(QString::fromUtf8(kBannerPageAddress)));
  // The page shows no scroll bars, no border and no margin.
  wbBanner->setFrameShape(QFrame::NoFrame);
  wbBanner->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  wbBanner->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  wbBanner->document()->setDocumentMargin(0);
}

void TFormMain::AddConversion(const QString& FileName) { FHost.AddConversion(FileName.toStdString()); }

void TFormMain::AddConversions(const QStringList& Files) {
  if (Files.isEmpty()) return;
  if (Files.size() == 1 && !QFileInfo(Files.first()).isDir()) {
    AddConversion(Files.first());
    return;
  }
  std::vector<std::string> paths;
  for (const QString& f : Files) paths.push_back(f.toStdString());
  FHost.AddConversions(paths);
}

void TFormMain::UpdateActions() {
  actStartTaskUpdate();
  actPauseTaskUpdate();
  actStopTaskUpdate();
}

void TFormMain::actStartTaskUpdate() { actStartTask->setEnabled(CanStartTask(FHost)); }
void TFormMain::actPauseTaskUpdate() { actPauseTask->setEnabled(CanPauseTask(FHost)); }
void TFormMain::actStopTaskUpdate() { actStopTask->setEnabled(CanStopTasks(FHost)); }

void TFormMain::actNewConversionExecute() { AddConversion(QString()); }

void TFormMain::actStartTaskExecute() {
  // Short cuts and menus may fire between two idle updates.
  if (!CanStartTask(FHost)) return;
  if (FHost.CurrentTaskStatus() == stPaused) FHost.ResumeCurrentTask();
  else FHost.StartCurrentTask();
}

void TFormMain::actPauseTaskExecute() {
  if (CanPauseTask(FHost)) FHost.PauseCurrentTask();
}

void TFormMain::actStopTaskExecute() {
  if (CanStopTasks(FHost)) FHost.StopSelectedTasks();
}

// Running conversions keep their rows marked as converting; no question is asked.
void TFormMain::actExitExecute() { close(); }

void TFormMain::actHomePageExecute() { ShellOpen(QString::fromUtf8(kHomePageAddress)); }
void TFormMain::actDonationExecute() { ShellOpen(QString::fromUtf8(kDonationAddress)); }
void TFormMain::actMoreConvertersExecute() { ShellOpen(QString::fromUtf8(kMoreConvertersAddress)); }

void TFormMain::actOptionsExecute() { ExecuteOptions(FConfiguration, this); }

void TFormMain::actLiveUpdateExecute() {
  const QString folder = QCoreApplication::applicationDirPath();
  ShellStart(folder + QLatin1Char('/') + QLatin1String(kUpdaterProgram), folder);
}

void TFormMain::actAboutExecute() {
  TFormAbout about(this);
  about.exec();
}

void TFormMain::actShutdownWhenDoneExecute() {
  FConfiguration.SetShutdownWhenDone(!FConfiguration.ShutdownWhenDone());
  actShutdownWhenDone->setChecked(FConfiguration.ShutdownWhenDone());
}

bool TFormMain::lvTasksDragEnter(QDragEnterEvent* Event) {
  FDraggedFiles = DraggedFiles(Event->mimeData());
  return lvTasksDragOver(Event);
}

bool TFormMain::lvTasksDragOver(QDragMoveEvent* Event) {
  // One file opens the wizard with it; several files or folders open it with
  // all of them (a batch); a drag without local files is refused.
  if (FDraggedFiles.isEmpty()) {
    Event->ignore();
    return true;
  }
  if (Event->possibleActions() & Qt::LinkAction) Event->setDropAction(Qt::LinkAction);
  Event->accept();
  return true;
}

bool TFormMain::lvTasksDrop(QDropEvent* Event) {
  if (FDraggedFiles.isEmpty()) {
    Event->ignore();
    return true;
  }
  if (Event->possibleActions() & Qt::LinkAction) Event->setDropAction(Qt::LinkAction);
  Event->accept();
  const QStringList files = FDraggedFiles;
  FDraggedFiles.clear();
  // The wizard is modal: run it after the drop has been answered, so the
  // dragging program is not kept waiting.
  QMetaObject::invokeMethod(
      this,
      [this, files] {
        Guarded([&] { AddConversions(files); });
      },
      Qt::QueuedConnection);
  return true;
}

bool TFormMain::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == pnlList) {
    switch (Event->type()) {
      case QEvent::DragEnter:
        return lvTasksDragEnter(static_cast<QDragEnterEvent*>(Event));
      case QEvent::DragMove:
        return lvTasksDragOver(static_cast<QDragMoveEvent*>(Event));
      case QEvent::Drop:
        return lvTasksDrop(static_cast<QDropEvent*>(Event));
      default:
        break;
    }
  }
  return QMainWindow::eventFilter(Watched, Event);
}
