// The wizard with several sources: the file list, the preview of the chosen
// file, the targets and one settings record per file.
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <map>

#include "Common/CConversionSettings.h"
#include "CommonGUI/AVNodes.h"
#include "Components/AVPreview.gui.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Converter/AVProfile.h"
#include "Media/avprobe.h"
#include "Wizard/BatchTargets.h"
#include "Wizard/FNewConversion.gui.h"

namespace {

enum TSourceColumn { scName, scDuration, scSize, scTarget };
constexpr int kListHeight = 120;
constexpr int kNameWidth = 160;
constexpr int kNumberWidth = 70;

}  // namespace

QWidget* TFormNewConversion::CreateSourceList() {
  lvSources = new QTreeWidget;
  lvSources->setObjectName(QStringLiteral("lvSources"));
  lvSources->setRootIsDecorated(false);
  lvSources->setHeaderLabels({QStringLiteral("文件名"), QStringLiteral("长度"), QStringLiteral("大小"),
                              QStringLiteral("目标文件")});
  lvSources->setColumnWidth(scName, kNameWidth);
  lvSources->setColumnWidth(scDuration, kNumberWidth);
  lvSources->setColumnWidth(scSize, kNumberWidth);
  lvSources->setFixedHeight(kListHeight);
  lblSkipped = new QLabel;
  lblSkipped->setObjectName(QStringLiteral("lblSkipped"));
  auto* box = new QWidget;
  box->setObjectName(QStringLiteral("pnlSources"));
  auto* layout = new QVBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(lvSources);
  layout->addWidget(lblSkipped);
  box->hide();  // shown for a batch only
  connect(lvSources, &QTreeWidget::currentItemChanged, this, [this] { lvSourcesChange(); });
  return box;
}

void TFormNewConversion::SetSourceFiles(const std::vector<std::string>& Paths) {
  // The probe decides which files are taken; it also gives the durations.
  std::map<std::string, double> durations;
  const TBatchSources found = CollectBatchSources(
      Paths,
      [&durations](const std::string& File) {
        const TSourceVerdict skip{TSourceVerdict::Skip, ""};
        try {
          TAVProbe probe;
          probe.SetFileName(File);
          probe.SetActive(true);
          if (!probe.Active() || !(probe.HasVideo || probe.HasAudio)) return skip;
          durations[File] = probe.Duration;
          return TSourceVerdict{TSourceVerdict::Take, ""};
        } catch (const std::exception&) {
          return skip;
        }
      },
      true);
  FBatch = true;
  FBatchSources = found.Files;
  // Unreadable folders and files cannot be converted either.
  FSkipped = static_cast<int>(found.Skipped.size() + found.Failed.size());
  FBatchFolder.clear();
  // Whole files: a range chosen before does not carry over.
  FRange = TTrimRange();
  cnvAV.ConvertOptions().SetStartTime(0);
  cnvAV.ConvertOptions().SetRecordingTime(kRecordWholeSource);
  lblStart->setText(QString::fromStdString(RangeLabel(0)));
  lblEnd->setText(QString::fromStdString(RangeLabel(0)));
  {
    const QSignalBlocker quiet(edtSource);
    edtSource->setText(QStringLiteral("%1 个文件").arg(FBatchSources.size()));
  }
  lblSkipped->setText(FSkipped > 0 ? QStringLiteral("已跳过 %1 个不能转换的文件").arg(FSkipped) : QString());
  edtTarget->clear();
  edtTarget->setEnabled(false);
  btnBrowseTarget->setEnabled(false);
  edtTarget->setPlaceholderText(QStringLiteral("每个文件保存在原文件旁边"));

  const QSignalBlocker quiet(lvSources);
  lvSources->clear();
  for (const TBatchSource& source : FBatchSources) {
    auto* item = new QTreeWidgetItem(lvSources);
    item->setText(scName, QString::fromStdString(FileNameOnly(source.File)));
    item->setToolTip(scName, QString::fromStdString(source.File));
    item->setText(scDuration, QString::fromStdString(DurationCaption(durations[source.File])));
    item->setText(scSize, QString::fromStdString(SizeCaption(FileSizeOf(source.File))));
  }
  lvSources->parentWidget()->show();
  UpdateBatchTargets();
  if (lvSources->topLevelItemCount() > 0) lvSources->setCurrentItem(lvSources->topLevelItem(0));
  lvSourcesChange();
}

void TFormNewConversion::LeaveBatch() {
  FBatch = false;
  FBatchSources.clear();
  FBatchTargets.clear();
  FBatchFolder.clear();
  FSkipped = 0;
  {
    const QSignalBlocker quiet(lvSources);
    lvSources->clear();
  }
  lvSources->parentWidget()->hide();
  lblSkipped->clear();
  {
    const QSignalBlocker quiet(edtSource);
    edtSource->clear();
  }
  edtTarget->setPlaceholderText(QString());
  edtTarget->setEnabled(true);
  btnBrowseTarget->setEnabled(true);
  UpdateControls();
}

void TFormNewConversion::UpdateBatchTargets() {
  TAVProfile* profile = Profile();
  FBatchTargets = profile ? BatchTargets(FBatchSources, profile->Extension(), FBatchFolder) : std::vector<std::string>();
  edtTarget->setText(QString::fromStdString(FBatchFolder));
  for (int i = 0; i < lvSources->topLevelItemCount(); ++i)
    lvSources->topLevelItem(i)->setText(
        scTarget, i < static_cast<int>(FBatchTargets.size()) ? QString::fromStdString(FBatchTargets[static_cast<size_t>(i)])
                                                              : QString());
}

void TFormNewConversion::lvSourcesChange() {
  const int row = lvSources->indexOfTopLevelItem(lvSources->currentItem());
  if (row < 0 || row >= static_cast<int>(FBatchSources.size())) {
    avPreview->SetActive(false);
    return;
  }
  PreviewSource(QString::fromStdString(FBatchSources[static_cast<size_t>(row)].File));
}

std::vector<std::unique_ptr<TConversionSettings>> TFormNewConversion::GetBatchSettings() const {
  std::vector<std::unique_ptr<TConversionSettings>> batch;
  TAVProfile* profile = Profile();
  for (size_t i = 0; i < FBatchSources.size() && i < FBatchTargets.size(); ++i) {
    auto settings = std::make_unique<TConversionSettings>();
    settings->SourceFile = FBatchSources[i].File;
    settings->TargetFile = FBatchTargets[i];
    settings->Profile = profile ? profile->Description() : std::string();
    settings->CategoryId = FCategoryEdit->CategoryId();
    settings->SetConvertOptions(cnvAV.ConvertOptions());
    batch.push_back(std::move(settings));
  }
  return batch;
}

TNewConversions TFormNewConversion::GetNewConversions() const {
  TNewConversions out;
  out.Batch = FBatch;
  if (FBatch) out.Settings = GetBatchSettings();
  else out.Settings.push_back(GetConversionSettings());
  return out;
}
