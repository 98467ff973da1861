#include "Common/FOptions.gui.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QToolButton>
#include <QToolTip>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "Common/CConfiguration.h"
#include "Common/Errors.h"

namespace {

constexpr int kInitialPriority = 2;
constexpr int kTreeWidth = 120;
constexpr int kPageWidth = 320;

QWidget* GeneralPage(QLineEdit*& Folder, QToolButton*& Browse) {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel(QStringLiteral("Output Folder")), 0, 0, 1, 2);
  Folder = new QLineEdit;
  Folder->setObjectName(QStringLiteral("edtOutputFolder"));
  Browse = new QToolButton;
  Browse->setObjectName(QStringLiteral("btnBrowse"));
  Browse->setText(QStringLiteral("..."));
  grid->addWidget(Folder, 1, 0);
  grid->addWidget(Browse, 1, 1);
  grid->setRowStretch(2, 1);
  return page;
}

QWidget* PerformancePage(QSlider*& Priority, QComboBox*& Threads, QComboBox*& Concurrent) {
  auto* page = new QWidget;
  auto* grid = new QGridLayout(page);
  grid->addWidget(new QLabel(QStringLiteral("Thread Priority")), 0, 0, 1, 3);
  Priority = new QSlider(Qt::Horizontal);
  Priority->setObjectName(QStringLiteral("barPriority"));
  Priority->setRange(kLowestPriority, kHighestPriority);
  Priority->setPageStep(1);
  Priority->setTickPosition(QSlider::TicksBelow);
  grid->addWidget(new QLabel(QStringLiteral("Low")), 1, 0);
  grid->addWidget(Priority, 1, 1);
  grid->addWidget(new QLabel(QStringLiteral("High")), 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("Thread Count")), 2, 0, 1, 3);
  Threads = new QComboBox;
  Threads->setObjectName(QStringLiteral("cbThreadCount"));
  Threads->addItem(QStringLiteral("Automatic(use all CPU(s))"));
  for (int n = 1; n <= kMaxThreadCount; ++n) Threads->addItem(QString::number(n));
  grid->addWidget(Threads, 3, 0, 1, 3);
  grid->addWidget(new QLabel(QStringLiteral("Concurrent Conversions")), 4, 0, 1, 3);
  Concurrent = new QComboBox;
  Concurrent->setObjectName(QStringLiteral("cbConcurrentTasks"));
  Concurrent->setToolTip(QStringLiteral("How many files of a batch convert at once"));
  Concurrent->addItem(QStringLiteral("Automatic(half the CPU(s))"));
  for (int n = 1; n <= kMaxConcurrentTasks; ++n) Concurrent->addItem(QString::number(n));
  grid->addWidget(Concurrent, 5, 0, 1, 3);
  grid->setRowStretch(6, 1);
  return page;
}

}  // namespace

TFormOptions::TFormOptions(QWidget* Parent) : TFixedDialog(Parent) {
  setWindowTitle(QStringLiteral("Options"));
  tvSettings = new QTreeWidget;
  tvSettings->setObjectName(QStringLiteral("tvSettings"));
  tvSettings->setHeaderHidden(true);
  tvSettings->setRootIsDecorated(false);
  tvSettings->setFixedWidth(kTreeWidth);
  tvSettings->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("General")}));
  tvSettings->addTopLevelItem(new QTreeWidgetItem({QStringLiteral("Performance")}));

  QToolButton* browse = nullptr;
  pgSettings = new QStackedWidget;
  pgSettings->setMinimumWidth(kPageWidth);
  pgSettings->addWidget(GeneralPage(edtOutputFolder, browse));
  pgSettings->addWidget(PerformancePage(barPriority, cbThreadCount, cbConcurrentTasks));
  barPriority->setValue(kInitialPriority);
  barPriorityChange(kInitialPriority);
  cbThreadCount->setCurrentIndex(0);
  cbConcurrentTasks->setCurrentIndex(0);

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QStringLiteral("Ok"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole)
      ->setObjectName(QStringLiteral("btnCancel"));

  auto* panes = new QHBoxLayout;
  panes->addWidget(tvSettings);
  panes->addWidget(pgSettings, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(panes);
  layout->addWidget(buttons);
  FixSize();

  connect(tvSettings, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* Item) {
    if (Item) pgSettings->setCurrentIndex(tvSettings->indexOfTopLevelItem(Item));
  });
  tvSettings->setCurrentItem(tvSettings->topLevelItem(0));
  tvSettings->setFocus();
  connect(browse, &QToolButton::clicked, this, &TFormOptions::btnBrowseClick);
  connect(barPriority, &QSlider::valueChanged, this, &TFormOptions::barPriorityChange);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

int TFormOptions::ThreadCount() const { return cbThreadCount->currentIndex(); }

void TFormOptions::SetThreadCount(int Value) {
  QB_ASSERT("FOptions", Value >= 0 && Value <= kMaxThreadCount);
  cbThreadCount->setCurrentIndex(Value);
}

int TFormOptions::ConcurrentTasks() const { return cbConcurrentTasks->currentIndex(); }

void TFormOptions::SetConcurrentTasks(int Value) {
  // A value the list cannot show (a hand-edited file) is shown as automatic.
  cbConcurrentTasks->setCurrentIndex(Value >= 0 && Value <= kMaxConcurrentTasks ? Value : 0);
}

int TFormOptions::ThreadPriority() const { return barPriority->value(); }
void TFormOptions::SetThreadPriority(int Value) { barPriority->setValue(Value); }
QString TFormOptions::OutputFolder() const { return edtOutputFolder->text(); }
void TFormOptions::SetOutputFolder(const QString& Value) { edtOutputFolder->setText(Value); }

void TFormOptions::btnBrowseClick() {
  const QString folder = QFileDialog::getExistingDirectory(this, QString(), edtOutputFolder->text());
  if (!folder.isEmpty()) edtOutputFolder->setText(folder);
}

void TFormOptions::barPriorityChange(int Position) {
  const QString tip = QString::number(Position);
  barPriority->setToolTip(tip);
  if (barPriority->isSliderDown()) {
    QToolTip::showText(barPriority->mapToGlobal(barPriority->rect().center()), tip, barPriority);
  }
}

bool ExecuteOptions(TAVConfiguration& Configuration, QWidget* Parent) {
  TFormOptions form(Parent);
  TPerformanceOptions& performance = Configuration.PerformanceOptions();
  form.SetThreadCount(performance.ThreadCount());
  form.SetThreadPriority(performance.ThreadPrority());
  form.SetConcurrentTasks(performance.ConcurrentTasks());
  form.SetOutputFolder(QString::fromStdString(Configuration.OutputFolder()));
  if (form.exec() != QDialog::Accepted) return false;
  performance.SetThreadCount(form.ThreadCount());
  performance.SetThreadPrority(form.ThreadPriority());
  performance.SetConcurrentTasks(form.ConcurrentTasks());
  Configuration.SetOutputFolder(form.OutputFolder().toStdString());
  Configuration.Save();
  return true;
}
