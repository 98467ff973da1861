// The wizard's window, its first page and finishing.
#include "Wizard/FNewConversion.gui.h"

#include <QComboBox>
#include <QCompleter>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>
#include <filesystem>
#include <functional>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "Common/Errors.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/DModule.gui.h"
#include "Components/AVPreview.gui.h"
#include "Components/CategorySource.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/avlib.h"
#include "Media/avprobe.h"
#include "Wizard/CFilters.h"
#include "Wizard/DEditProfile.gui.h"
#include "Wizard/FileNameField.gui.h"

namespace fs = std::filesystem;

namespace {

constexpr int kPreviewWidth = 216;
constexpr int kPreviewHeight = 163;
constexpr int kFieldWidth = 320;
constexpr double kMillisecondsPerSecond = 1000.0;
constexpr const char* kZeroTime = "00:00:00";
constexpr const char* kRootCategoryCaption = "已完成";

bool FileExists(const QString& Name) {
  std::error_code ec;
  return !Name.isEmpty() && fs::is_regular_file(Name.toStdString(), ec);
}

QLabel* Value(const char* Name) {
  auto* label = new QLabel;
  label->setObjectName(QLatin1String(Name));
  label->setMinimumWidth(80);
  return label;
}

}  // namespace

TFormNewConversion::TFormNewConversion(TAVProfileList& Catalogue, TCategorySource* Categories,
                                       const TAVConfiguration& Configuration, std::string ProfilesFile,
                                       QWidget* Parent)
    : QDialog(Parent), FCatalogue(Catalogue), FConfiguration(Configuration), FProfilesFile(std::move(ProfilesFile)) {
  setObjectName(QStringLiteral("FormNewConversion"));
  setWindowTitle(QStringLiteral("转换向导"));

  lblTitle = new QLabel;
  lblTitle->setObjectName(QStringLiteral("lblTitle"));
  QFont title = lblTitle->font();
  title.setBold(true);
  title.setPointSizeF(title.pointSizeF() * 1.3);
  lblTitle->setFont(title);

  FPages = new QStackedWidget;
  FPages->addWidget(CreateSourcePage());
  FPages->addWidget(CreateFilterPage());

  btnBack = new QPushButton(QStringLiteral("< 返回 (&B)"));
  btnBack->setObjectName(QStringLiteral("btnBack"));
  btnNext = new QPushButton(QStringLiteral("下一步 (&N)>"));
  btnNext->setObjectName(QStringLiteral("btnNext"));
  btnFinish = new QPushButton(QStringLiteral("给我转 (&C)"));
  btnFinish->setObjectName(QStringLiteral("btnFinish"));
  btnCancel = new QPushButton(QStringLiteral("放弃"));
  btnCancel->setObjectName(QStringLiteral("btnCancel"));
  for (QPushButton* b : {btnBack, btnNext, btnFinish, btnCancel}) b->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnBack);
  buttons->addWidget(btnNext);
  buttons->addWidget(btnFinish);
  buttons->addWidget(btnCancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(lblTitle);
  layout->addWidget(FPages, 1);
  layout->addLayout(buttons);

  connect(btnBack, &QPushButton::clicked, this, [this] { ShowPage(0); });
  connect(btnNext, &QPushButton::clicked, this, [this] {
    if (CanFinish() && CheckedTargetSize()) ShowPage(1);
  });
  connect(btnFinish, &QPushButton::clicked, this, [this] { Guarded([this] { Finish(); }); });
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  // Start: the picker's change re-roots the target; to the end of the source;
  // the first category; the source field focused.
  FCategoryEdit->SetCategorySource(Categories);
  connect(FCategoryEdit, &TVirtualTreeEdit::Change, this, [this] { CategoryEditChange(); });
  cnvAV.ConvertOptions().SetRecordingTime(kRecordWholeSource);
  FillCategories();
  ShowPage(0);
  edtSource->setFocus();

  tmrUpdate = new QTimer(this);
  tmrUpdate->setInterval(kWizardUpdateMs);
  connect(tmrUpdate, &QTimer::timeout, this, &TFormNewConversion::UpdateControls);
  tmrUpdate->start();
  UpdateControls();
}

TFormNewConversion::~TFormNewConversion() = default;

QWidget* TFormNewConversion::CreateSourcePage() {
  auto* page = new QWidget;
  page->setObjectName(QStringLiteral("pgSource"));

  edtSource = new QLineEdit;
  edtSource->setObjectName(QStringLiteral("edtSource"));
  edtSource->setReadOnly(true);  // filled through the browse dialog only
  edtSource->setMinimumWidth(kFieldWidth);
  btnBrowseSource = new QToolButton;
  btnBrowseSource->setObjectName(QStringLiteral("btnBrowseSource"));
  btnBrowseSource->setText(QStringLiteral("..."));

  FCategoryEdit = new TVirtualTreeEdit;
  FCategoryEdit->setObjectName(QStringLiteral("FCategoryEdit"));
  FCategoryEdit->setMinimumWidth(kFieldWidth);
  FCategoryEdit->SetText(QString::fromUtf8(kRootCategoryCaption));
  FCategoryEdit->SetCategoryId(TConvertedNode::kRootCategoryId);
  FCategoryEdit->SetCategoryPath(FConfiguration.OutputFolder());

  cbCategories = new QComboBox;
  cbCategories->setObjectName(QStringLiteral("cbCategories"));
  cbProfiles = new QComboBox;
  cbProfiles->setObjectName(QStringLiteral("cbProfiles"));
  cbProfiles->setSizeAdjustPolicy(QComboBox::AdjustToContents);
  btnEditProfile = new QToolButton;
  btnEditProfile->setObjectName(QStringLiteral("btnEditProfile"));
  btnEditProfile->setText(QStringLiteral("..."));
  btnEditProfile->setToolTip(QStringLiteral("Edit Profile"));
  auto* profile = new QHBoxLayout;
  profile->addWidget(cbCategories);
  profile->addWidget(cbProfiles, 1);
  profile->addWidget(btnEditProfile);
  profile->addWidget(CreateTargetSizeField());

  edtTarget = new QLineEdit;
  edtTarget->setObjectName(QStringLiteral("edtTarget"));
  auto* completer = new QCompleter(edtTarget);
  auto* files = new QFileSystemModel(completer);
  files->setRootPath(QString());
  completer->setModel(files);
  edtTarget->setCompleter(completer);
  btnBrowseTarget = new QToolButton;
  btnBrowseTarget->setObjectName(QStringLiteral("btnBrowseTarget"));
  btnBrowseTarget->setText(QStringLiteral("..."));

  auto* grid = new QGridLayout(page);
  int row = 0;
  auto addRow = [&](const char* Caption, QWidget* Field, QWidget* Button = nullptr) {
    grid->addWidget(new QLabel(QString::fromUtf8(Caption)), row, 0, Qt::AlignLeft | Qt::AlignTop);
    grid->addWidget(Field, row, 1);
    if (Button) grid->addWidget(Button, row, 2);
    ++row;
  };
  auto* profileRow = new QWidget;
  profileRow->setLayout(profile);
  profile->setContentsMargins(0, 0, 0, 0);
  addRow("添加文件:", edtSource, btnBrowseSource);
  grid->addWidget(CreateSourceList(), row++, 1, 1, 2);
  addRow("设置分类(可忽略)", FCategoryEdit);
  addRow("输出配置:", profileRow);
  addRow("保存目录:", edtTarget, btnBrowseTarget);
  addRow("配置信息:", CreateProfileInfo());
  addRow("设置截取范围:", CreateRangeRow());
  grid->setRowStretch(row, 1);

  connect(btnBrowseSource, &QToolButton::clicked, this, [this] { Guarded([this] { btnBrowseSourceClick(); }); });
  connect(btnBrowseTarget, &QToolButton::clicked, this, [this] { Guarded([this] { btnBrowseTargetClick(); }); });
  connect(btnEditProfile, &QToolButton::clicked, this, [this] { Guarded([this] { btnEditProfileClick(); }); });
  connect(edtSource, &QLineEdit::textChanged, this, [this] { Guarded([this] { edtSourceChange(); }); });
  connect(cbCategories, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { cbCategoriesChange(); }); });
  connect(cbProfiles, &QComboBox::currentIndexChanged, this, [this] { Guarded([this] { cbProfilesChange(); }); });
  return page;
}

QWidget* TFormNewConversion::CreateProfileInfo() {
  auto group = [](const char* Caption, const std::vector<std::pair<const char*, QLabel*>>& Rows) {
    auto* box = new QGroupBox(QString::fromUtf8(Caption));
    auto* grid = new QGridLayout(box);
    for (int r = 0; r < static_cast<int>(Rows.size()); ++r) {
      grid->addWidget(new QLabel(QString::fromUtf8(Rows[static_cast<size_t>(r)].first)), r, 0);
      grid->addWidget(Rows[static_cast<size_t>(r)].second, r, 1);
    }
    return box;
  };
  lblFrameSize = Value("lblFrameSize");
  lblVideoEncoder = Value("lblVideoEncoder");
  lblFrameRate = Value("lblFrameRate");
  lblVideoBitrate = Value("lblVideoBitrate");
  lblSampleRate = Value("lblSampleRate");
  lblAudioEncoder = Value("lblAudioEncoder");
  lblChannels = Value("lblChannels");
  lblAudioBitrate = Value("lblAudioBitrate");
  auto* panel = new QWidget;
  auto* layout = new QHBoxLayout(panel);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(group("视频信息", {{"屏幕大小", lblFrameSize},
                                       {"视频编码器", lblVideoEncoder},
                                       {"帧率", lblFrameRate},
                                       {"位率 (kbps)", lblVideoBitrate}}));
  layout->addWidget(group("音频信息", {{"取样率", lblSampleRate},
                                       {"音频编码器", lblAudioEncoder},
                                       {"声道", lblChannels},
                                       {"位率 (kbps)", lblAudioBitrate}}));
  return panel;
}

QWidget* TFormNewConversion::CreateRangeRow() {
  avPreview = new TAVPreview;
  avPreview->setFixedSize(kPreviewWidth, kPreviewHeight);
  tbRange = new QSlider(Qt::Horizontal);
  tbRange->setObjectName(QStringLiteral("tbRange"));
  tbRange->setRange(0, 0);
  tbRange->setFixedWidth(kPreviewWidth);
  lblDuration = new QLabel(QLatin1String(kZeroTime));
  lblDuration->setObjectName(QStringLiteral("lblDuration"));
  lblStart = new QLabel(QLatin1String(kZeroTime));
  lblStart->setObjectName(QStringLiteral("lblStart"));
  lblEnd = new QLabel(QLatin1String(kZeroTime));
  lblEnd->setObjectName(QStringLiteral("lblEnd"));
  btnSetStart = new QPushButton(QStringLiteral("设置开始点"));
  btnSetStart->setObjectName(QStringLiteral("btnSetStart"));
  btnSetEnd = new QPushButton(QStringLiteral("设置结束点"));
  btnSetEnd->setObjectName(QStringLiteral("btnSetEnd"));
  for (QPushButton* b : {btnSetStart, btnSetEnd}) b->setAutoDefault(false);

  auto* picture = new QVBoxLayout;
  picture->addWidget(avPreview);
  picture->addWidget(tbRange);
  auto* times = new QGridLayout;
  times->addWidget(new QLabel(QStringLiteral("长度:")), 0, 0);
  times->addWidget(lblDuration, 0, 1);
  times->addWidget(new QLabel(QStringLiteral("开始:")), 1, 0);
  times->addWidget(lblStart, 1, 1);
  times->addWidget(new QLabel(QStringLiteral("结束:")), 2, 0);
  times->addWidget(lblEnd, 2, 1);
  times->addWidget(btnSetStart, 3, 0, 1, 2);
  times->addWidget(btnSetEnd, 4, 0, 1, 2);
  times->setRowStretch(5, 1);
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addLayout(picture);
  layout->addLayout(times);
  layout->addStretch();

  connect(tbRange, &QSlider::valueChanged, this, [this](int Position) { Guarded([this, Position] { tbRangeChange(Position); }); });
  connect(btnSetStart, &QPushButton::clicked, this, &TFormNewConversion::btnSetStartClick);
  connect(btnSetEnd, &QPushButton::clicked, this, &TFormNewConversion::btnSetEndClick);
  return row;
}

void TFormNewConversion::ShowPage(int Page) {
  FPages->setCurrentIndex(Page);
  lblTitle->setText(Page == 0 ? QStringLiteral("选择要转的文件") : QStringLiteral("过滤器设置"));
  btnBack->setVisible(Page == 1);
  btnNext->setVisible(Page == 0);
  UpdateControls();
}

int TFormNewConversion::CurrentPage() const { return FPages->currentIndex(); }

// ---- source, target, profile ----

void TFormNewConversion::SetSourceFile(const QString& FileName) {
  if (FBatch) LeaveBatch();  // one file chosen after several: the single-file wizard again
  // The same name again is a change as well (the preview reopens it).
  if (edtSource->text() == FileName) edtSourceChange();
  else edtSource->setText(FileName);
}

QString TFormNewConversion::SourceFile() const { return edtSource->text(); }
QString TFormNewConversion::TargetFile() const { return edtTarget->text(); }

bool TFormNewConversion::AcceptBrowsedSource(const QString& FileName) {
  bool valid = false;
  try {
    TAVProbe probe;
    probe.SetFileName(FileName.toStdString());
    probe.SetActive(true);
    valid = probe.Active() && (probe.HasVideo || probe.HasAudio);
  } catch (const std::exception&) {
    valid = false;
  }
  if (!valid) {
    ShowErrorMessage("Invalid Video/Audio File");
    return false;
  }
  SetSourceFile(FileName);
  return true;
}

void TFormNewConversion::btnBrowseSourceClick() {
  // Several files may be chosen at once: they make a batch.
  const QStringList names = QFileDialog::getOpenFileNames(this, QString(), FBatch ? QString() : edtSource->text(),
                                                          QtFileFilter(QString::fromUtf8(kSourceFileFilter)));
  if (names.size() == 1) {
    AcceptBrowsedSource(names.first());
  } else if (names.size() > 1) {
    std::vector<std::string> paths;
    for (const QString& n : names) paths.push_back(n.toStdString());
    SetSourceFiles(paths);
  }
}

void TFormNewConversion::btnBrowseTargetClick() {
  const QString name = QFileDialog::getSaveFileName(this, QString(), edtTarget->text());
  if (!name.isEmpty()) edtTarget->setText(name);
}

void TFormNewConversion::PreviewSource(const QString& Source) {
  if (avPreview->Active()) avPreview->SetActive(false);
  avPreview->SetInputFile(Source);
  avPreview->SetActive(true);
  FRange.SelStart = 0;
  FRange.SelEnd = 0;
  lblDuration->setText(QLatin1String(kZeroTime));
  if (avPreview->Active()) {
    const double duration = avPreview->Duration();
    lblDuration->setText(QString::fromStdString(DurationCaption(duration)));
    const QSignalBlocker quiet(tbRange);  // sizing the bar is no move
    tbRange->setMaximum(static_cast<int>(duration * kMillisecondsPerSecond));
  }
}

void TFormNewConversion::edtSourceChange() {
  if (FBatch) return;  // the field shows the batch's summary
  const QString source = edtSource->text();
  const bool exists = FileExists(source);
  if (exists) PreviewSource(source);
  else avPreview->SetActive(false);
  if (exists && Profile()) ProposeTarget(ReplaceExtension(source.toStdString(), Profile()->Extension()));
}

void TFormNewConversion::ProposeTarget(const std::string& Candidate) {
  // The proposal never names the source: converting onto it would destroy it.
  edtTarget->setText(QString::fromStdString(TargetBesideSource(Candidate, edtSource->text().toStdString())));
}

void TFormNewConversion::CategoryEditChange() {
  if (FBatch) {
    FBatchFolder = FCategoryEdit->CategoryPath();
    UpdateBatchTargets();
    return;
  }
  ProposeTarget(RerootTarget(FCategoryEdit->CategoryPath(), edtTarget->text().toStdString()));
}

void TFormNewConversion::FillCategories() {
  const QSignalBlocker quiet(cbCategories);
  cbCategories->clear();
  for (int i = 0; i < FCatalogue.Categories.Count(); ++i)
    cbCategories->addItem(QString::fromStdString(FCatalogue.Categories[i]));
  cbCategories->setCurrentIndex(cbCategories->count() > 0 ? 0 : -1);
  cbCategoriesChange();
}

void TFormNewConversion::cbCategoriesChange() {
  const std::string category = cbCategories->currentText().toStdString();
  {
    const QSignalBlocker quiet(cbProfiles);
    cbProfiles->clear();
    FProfiles = FCatalogue.ProfilesInCategory(category);
    for (TAVProfile* p : FProfiles) cbProfiles->addItem(QString::fromStdString(p->Description()));
    // A category can be left without profiles by the profile editor: then no
    // profile is chosen and the wizard cannot finish.
    cbProfiles->setCurrentIndex(FProfiles.empty() ? -1 : 0);
    // The layout would squeeze the field below its longest name; the window widens instead.
    cbProfiles->setMinimumWidth(cbProfiles->sizeHint().width());
  }
  cbProfilesChange();
}

TAVProfile* TFormNewConversion::Profile() const {
  const int index = cbProfiles->currentIndex();
  return index >= 0 && index < static_cast<int>(FProfiles.size()) ? FProfiles[static_cast<size_t>(index)] : nullptr;
}

void TFormNewConversion::cbProfilesChange() {
  for (QLabel* l : {lblFrameSize, lblVideoEncoder, lblFrameRate, lblVideoBitrate, lblSampleRate, lblAudioEncoder,
                    lblChannels, lblAudioBitrate})
    l->clear();
  TAVProfile* profile = Profile();
  if (!profile) return;
  if (const auto* audio = dynamic_cast<const TAVCustomAudioProfile*>(profile)) {
    lblAudioEncoder->setText(QString::fromStdString(audio->AudioEncoderName()));
    lblSampleRate->setText(QString::number(audio->SampleRate));
    lblChannels->setText(audio->AudioChannels == mono1 ? QStringLiteral("单声") : QStringLiteral("立体"));
    lblAudioBitrate->setText(QString::number(audio->AudioBitrate, 'g', QLocale::FloatingPointShortest));
  }
  if (const auto* video = dynamic_cast<const TAVCustomVideoProfile*>(profile)) {
    lblVideoEncoder->setText(QString::fromStdString(video->VideoEncoderName()));
    lblFrameSize->setText(QString::asprintf("%dx%d", video->FrameWidth, video->FrameHeight));
    lblFrameRate->setText(QString::asprintf("%.2f", video->VideoFrameRate()));
    // Constant quality shows its rate factor instead of the bit rate 0.
    lblVideoBitrate->setText(video->UsesQuality() && video->VideoQuality > 0
                                 ? QStringLiteral("CRF %1").arg(video->VideoQuality)
                                 : QString::number(video->VideoBitrate));
  }
  if (FBatch) UpdateBatchTargets();
  else if (!edtTarget->text().trimmed().isEmpty())
    ProposeTarget(ReplaceExtension(edtTarget->text().toStdString(), profile->Extension()));
}

void TFormNewConversion::ChooseProfile(TAVProfile* Chosen) {
  // The editor may have renamed, added or deleted profiles: the lists are
  // always refilled from the catalogue, and only a profile still in it is chosen.
  const QString previous = cbCategories->currentText();
  const bool known = Chosen && FCatalogue.IndexOf(Chosen) >= 0;
  const QString category = known ? QString::fromStdString(Chosen->Category()) : previous;
  int index = cbCategories->findText(category, Qt::MatchFixedString);
  if (index < 0) index = cbCategories->findText(previous, Qt::MatchFixedString);
  {
    const QSignalBlocker quiet(cbCategories);
    cbCategories->setCurrentIndex(index < 0 ? 0 : index);
  }
  cbCategoriesChange();
  if (!known) return;
  const auto it = std::find(FProfiles.begin(), FProfiles.end(), Chosen);
  if (it != FProfiles.end()) cbProfiles->setCurrentIndex(static_cast<int>(it - FProfiles.begin()));
}

void TFormNewConversion::btnEditProfileClick() {
  TAVProfile* current = RunProfileEditor(this, FCatalogue, Profile(), FProfilesFile);
  ChooseProfile(current);
}

// ---- range ----

void TFormNewConversion::tbRangeChange(int Position) { avPreview->SetTimestamp(Position / kMillisecondsPerSecond); }

void TFormNewConversion::btnSetStartClick() {
  FRange.SetStart(tbRange->value(), cnvAV.ConvertOptions());
  lblStart->setText(QString::fromStdString(RangeLabel(tbRange->value())));
}

void TFormNewConversion::btnSetEndClick() {
  FRange.SetEnd(tbRange->value(), cnvAV.ConvertOptions());
  lblEnd->setText(QString::fromStdString(RangeLabel(tbRange->value())));
}

// ---- enabling and finishing ----

bool TFormNewConversion::CanFinish() const {
  if (FBatch) return !FBatchSources.empty() && Profile() != nullptr;
  return FileExists(edtSource->text()) && !edtTarget->text().trimmed().isEmpty() && Profile() != nullptr;
}

void TFormNewConversion::UpdateControls() {
  const bool canFinish = CanFinish();
  btnNext->setEnabled(canFinish);
  btnFinish->setEnabled(CurrentPage() == 1 || canFinish);
  const bool active = avPreview->Active();
  tbRange->setEnabled(active);
  // A batch converts whole files: the bar only moves the preview.
  btnSetStart->setEnabled(active && !FBatch);
  btnSetEnd->setEnabled(active && !FBatch);
  const bool selected = lvFilters->currentRow() >= 0 && !lvFilters->selectedItems().isEmpty();
  btnEditFilter->setEnabled(selected);
  btnDeleteFilter->setEnabled(selected);
}

void TFormNewConversion::ApplyProfileToOptions() {
  TAVProfile* profile = Profile();
  QB_ASSERT("FNewConversion", profile);
  cnvAV.ConvertOptions().SetInputFormat("");
  const int32_t configured = FConfiguration.PerformanceOptions().ThreadCount();
  cnvAV.ConvertOptions().SetThreadCount(configured != 0 ? configured : ProcessorCount());
  profile->ApplyProfile(cnvAV);
}

void TFormNewConversion::Finish() {
  // The 300 ms rules may lag behind a quick click.
  if (CurrentPage() == 0 && !CanFinish()) return;
  if (!FBatch && NamesSameFile(edtTarget->text().toStdString(), edtSource->text().toStdString())) {
    ShowErrorMessage(kTargetIsSourceMessage);
    return;
  }
  const std::optional<int64_t> size = CheckedTargetSize();
  if (!size) return;
  if (CurrentPage() == 1) cnvAV.ConvertOptions().FilterOptions().SetVideoFilters(BuildFilterText());
  ApplyProfileToOptions();
  // After the profile, which knows nothing of it; the job derives its rates
  // from the size instead of the profile's.
  cnvAV.ConvertOptions().SetTargetSize(*size);
  accept();
}

std::unique_ptr<TConversionSettings> TFormNewConversion::GetConversionSettings() const {
  auto settings = std::make_unique<TConversionSettings>();
  settings->SourceFile = edtSource->text().toStdString();
  settings->TargetFile = edtTarget->text().toStdString();
  TAVProfile* profile = Profile();
  settings->Profile = profile ? profile->Description() : std::string();
  settings->CategoryId = FCategoryEdit->CategoryId();
  settings->SetConvertOptions(cnvAV.ConvertOptions());
  return settings;
}

namespace {

// Runs the wizard over the data module's catalogue and database; Preset
// fills its sources before it shows.
TNewConversions RunWizard(QWidget* Parent, const std::function<void(TFormNewConversion&)>& Preset) {
  TdmGlobal* module = dmGlobal();
  QB_ASSERT("FNewConversion", module);
  std::unique_ptr<TDatabaseCategorySource> categories;
  if (module->Database()) categories = std::make_unique<TDatabaseCategorySource>(*module->Database());
  TFormNewConversion wizard(module->profileList, categories.get(), module->Configuration(), module->ProfilesFileName(),
                            Parent);
  Preset(wizard);
  if (wizard.exec() != QDialog::Accepted) return {};
  return wizard.GetNewConversions();
}

}  // namespace

TNewConversions ExecuteNewConversions(const std::vector<std::string>& Paths, QWidget* Parent) {
  return RunWizard(Parent, [&](TFormNewConversion& W) {
    std::error_code ec;
    if (Paths.size() == 1 && !fs::is_directory(Paths.front(), ec)) W.SetSourceFile(QString::fromStdString(Paths.front()));
    else if (!Paths.empty()) W.SetSourceFiles(Paths);
  });
}
