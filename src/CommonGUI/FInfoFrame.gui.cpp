#include "CommonGUI/FInfoFrame.gui.h"

#include <QAction>
#include <QListWidget>
#include <QMenu>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/IdleUpdate.gui.h"

namespace {
constexpr int kTaskInfoPage = 0;
}

TFrameInfo::TFrameInfo(QWidget* Parent) : QWidget(Parent) {
  setObjectName(QStringLiteral("FrameInfo"));
  pcInfo = new QTabWidget;
  pcInfo->setObjectName(QStringLiteral("pcInfo"));
  tvInfo = new QTreeWidget;
  tvInfo->setObjectName(QStringLiteral("tvInfo"));
  tvInfo->setRootIsDecorated(false);
  tvInfo->setColumnCount(0);
  lbLogs = new QListWidget;
  lbLogs->setObjectName(QStringLiteral("lbLogs"));
  lbLogs->setContextMenuPolicy(Qt::CustomContextMenu);
  pcInfo->addTab(tvInfo, QStringLiteral("Task Info"));
  pcInfo->addTab(lbLogs, QStringLiteral("Logs"));
  pcInfo->setTabVisible(kTaskInfoPage, false);
  pcInfo->setCurrentWidget(lbLogs);

  pmLogs = new QMenu(this);
  pmLogs->setObjectName(QStringLiteral("pmLogs"));
  actClearLog = pmLogs->addAction(QStringLiteral("清空"));
  actClearLog->setObjectName(QStringLiteral("actClearLog"));
  connect(actClearLog, &QAction::triggered, this, [this] { Guarded([this] { ClearLog(); }); });
  connect(lbLogs, &QWidget::customContextMenuRequested, this, [this](const QPoint& At) {
    actClearLog->setEnabled(CanClearLog());
    pmLogs->popup(lbLogs->viewport()->mapToGlobal(At));
  });
  OnIdle(this, [this] { actClearLog->setEnabled(CanClearLog()); });

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(pcInfo);
}

void TFrameInfo::ShowTask(TNodeObject* Node) {
  if (!Node) return;
  Node->LoadTaskInfo(*this, *this);
  FTask = Node;
}

void TFrameInfo::ForgetTask(TNodeObject* Node) {
  if (Node == FTask) FTask = nullptr;
}

void TFrameInfo::ClearColumns() {
  tvInfo->clear();
  tvInfo->setColumnCount(0);
}

void TFrameInfo::AddColumn(const std::string& Caption, int Width) {
  const int column = tvInfo->columnCount();
  tvInfo->setColumnCount(column + 1);
  tvInfo->headerItem()->setText(column, QString::fromStdString(Caption));
  tvInfo->setColumnWidth(column, Width);
}

void TFrameInfo::SetItems(const std::vector<std::string>& Lines) {
  lbLogs->clear();
  for (const std::string& line : Lines) lbLogs->addItem(QString::fromStdString(line));
}

bool TFrameInfo::CanClearLog() const { return FTask && lbLogs->count() > 0; }

void TFrameInfo::ClearLog() {
  if (!CanClearLog()) return;
  if (auto* task = dynamic_cast<TAVTask*>(FTask)) task->ClearLog();
}
