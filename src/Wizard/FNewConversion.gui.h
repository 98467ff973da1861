#pragma once
// The conversion wizard ("转换向导"): source, category, profile (with an
// optional target size), target and trim range on the first page, the video
// filters on the second; finishing returns the conversion settings. Its own
// converter cnvAV is never started: it only holds the options. Main thread.
#include <QDialog>
#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Common/BatchSources.h"
#include "Converter/AVConverter.h"
#include "Wizard/WizardRules.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSlider;
class QStackedWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class TAVConfiguration;
class TAVFilter;
class TAVPreview;
class TAVProfile;
class TAVProfileList;
class TCategorySource;
class TConversionSettings;
class TVirtualTreeEdit;

// The source field's browse filter.
inline constexpr const char* kSourceFileFilter =
    "Video Files(*.flv;*.wmv;*.mp4;*.avi;*.mkv;*.mpg;*.mpeg)|*.flv;*.wmv;*.mp4;*.avi;*.mkv;*.mpg;*.mpeg|"
    "Audio Files (*.wav;*.mp3)|*.wav;*.mp3|Picture Files(*.bmp;*.jpg)|*.bmp;*.jpg|All Files(*.*)|*.*";
// How often the buttons follow the fields.
inline constexpr int kWizardUpdateMs = 300;

// What the wizard hands back: one settings record for a single file (its task
// starts at once), or one per file of a batch (the tasks take turns).
struct TNewConversions {
  std::vector<std::unique_ptr<TConversionSettings>> Settings;
  bool Batch = false;
};

class TFormNewConversion : public QDialog {
  Q_OBJECT
 public:
  // Catalogue: the profiles offered (and edited through the profile editor,
  // which saves to ProfilesFile). Categories: where the category picker reads
  // the tree; not owned.
  TFormNewConversion(TAVProfileList& Catalogue, TCategorySource* Categories, const TAVConfiguration& Configuration,
                     std::string ProfilesFile, QWidget* Parent = nullptr);
  ~TFormNewConversion() override;

  // The source field, set by the caller (a dropped name: not probed).
  void SetSourceFile(const QString& FileName);
  QString SourceFile() const;
  // What the browse dialog's choice goes through: the file is probed and must
  // have a video or an audio stream, else "Invalid Video/Audio File" and the
  // field keeps its name. True when accepted.
  bool AcceptBrowsedSource(const QString& FileName);
  QString TargetFile() const;

  // Several sources: files, and folders walked for the files the probe
  // accepts (the others are skipped and counted). The wizard then lists the
  // files, previews the selected one, converts whole files (no trim range)
  // and derives one target per file (see BatchTargets). One file named by
  // itself stays the single-file wizard.
  void SetSourceFiles(const std::vector<std::string>& Paths);
  // Back to one file: the list, the skipped count and the batch's target
  // folder go; the target field is the user's again.
  void LeaveBatch();
  bool IsBatch() const { return FBatch; }
  const std::vector<TBatchSource>& BatchSources() const { return FBatchSources; }
  const std::vector<std::string>& BatchTargetFiles() const { return FBatchTargets; }
  int SkippedCount() const { return FSkipped; }
  // One settings record per file of the batch, in list order.
  std::vector<std::unique_ptr<TConversionSettings>> GetBatchSettings() const;
  // The single record, or the batch's records.
  TNewConversions GetNewConversions() const;

  // The source exists, the target is not blank and a profile is chosen.
  bool CanFinish() const;
  // The enabling rules (run by the 300 ms timer).
  void UpdateControls();
  // The filter list's chain text.
  std::string BuildFilterText() const;
  // A new settings record of the wizard's choices.
  std::unique_ptr<TConversionSettings> GetConversionSettings() const;
  TAVProfile* Profile() const;
  TAVConverter& Converter() { return cnvAV; }
  const TTrimRange& Range() const { return FRange; }
  // Adds an entry for Filter (the list takes it) as a confirmed creation does.
  void AddFilter(std::unique_ptr<TAVFilter> Filter);
  int FilterCount() const;
  // Shows page 0 (source) or 1 (filters).
  void ShowPage(int Page);
  int CurrentPage() const;

  // Controls, for the tests and the pictures.
  QLabel* lblTitle;
  QLineEdit* edtSource;
  QToolButton* btnBrowseSource;
  QTreeWidget* lvSources;  // the files of a batch: name, duration, size, target
  QLabel* lblSkipped;
  TVirtualTreeEdit* FCategoryEdit;
  QComboBox* cbCategories;
  QComboBox* cbProfiles;
  QToolButton* btnEditProfile;
  QLineEdit* edtTargetSize;  // "目标大小(MB)": empty, or the size the output must not exceed
  QLineEdit* edtTarget;
  QToolButton* btnBrowseTarget;
  QLabel* lblFrameSize;
  QLabel* lblVideoEncoder;
  QLabel* lblFrameRate;
  QLabel* lblVideoBitrate;
  QLabel* lblSampleRate;
  QLabel* lblAudioEncoder;
  QLabel* lblChannels;
  QLabel* lblAudioBitrate;
  TAVPreview* avPreview;
  QSlider* tbRange;
  QLabel* lblDuration;
  QLabel* lblStart;
  QLabel* lblEnd;
  QPushButton* btnSetStart;
  QPushButton* btnSetEnd;
  QToolButton* btnNewFilter;
  QToolButton* btnEditFilter;
  QToolButton* btnDeleteFilter;
  QListWidget* lvFilters;
  QPushButton* btnBack;
  QPushButton* btnNext;
  QPushButton* btnFinish;
  QPushButton* btnCancel;
  QTimer* tmrUpdate;

 private:
  QWidget* CreateSourcePage();
  QWidget* CreateProfileInfo();
  QWidget* CreateRangeRow();
  QWidget* CreateFilterPage();
  void FillCategories();
  void cbCategoriesChange();
  void cbProfilesChange();
  void edtSourceChange();
  void CategoryEditChange();
  // Puts Candidate into the target field, numbered when it names the source.
  void ProposeTarget(const std::string& Candidate);
  void tbRangeChange(int Position);
  void btnSetStartClick();
  void btnSetEndClick();
  void btnBrowseSourceClick();
  void btnBrowseTargetClick();
  void btnEditProfileClick();
  // Selects Profile's category (refilling the profile list) and then Profile.
  void ChooseProfile(TAVProfile* Profile);
  void NewFilter(std::unique_ptr<TAVFilter> Filter);
  void EditFilter();
  void DeleteFilter();
  void Finish();
  void ApplyProfileToOptions();
  // The target size field, with its label (FNewConversionTargetSize.gui.cpp).
  QWidget* CreateTargetSizeField();
  // The field's size in bytes (0: none); when it holds no size, says so,
  // shows it on the first page and gives nothing.
  std::optional<int64_t> CheckedTargetSize();
  // Batch: the list and the targets follow the profile and the category.
  QWidget* CreateSourceList();
  void UpdateBatchTargets();
  void lvSourcesChange();
  // Opens Source in the preview and sizes the track bar to it.
  void PreviewSource(const QString& Source);

  TAVProfileList& FCatalogue;
  const TAVConfiguration& FConfiguration;
  const std::string FProfilesFile;
  TAVConverter cnvAV;
  TTrimRange FRange;
  QStackedWidget* FPages;
  // The profile of each entry of cbProfiles.
  std::vector<TAVProfile*> FProfiles;
  // The descriptor of each entry of lvFilters, in list order.
  std::vector<std::unique_ptr<TAVFilter>> FFilters;
  // Batch: the files, their targets (kept in step with the list rows), the
  // re-rooted folder (empty: next to each source) and the skipped count.
  bool FBatch = false;
  std::vector<TBatchSource> FBatchSources;
  std::vector<std::string> FBatchTargets;
  std::string FBatchFolder;
  int FSkipped = 0;
};

// Runs the wizard over the data module's catalogue and database with Paths
// preset: none, one file in the source field (not probed), or several files
// and folders as a batch. What it returns when finished; nothing when cancelled.
TNewConversions ExecuteNewConversions(const std::vector<std::string>& Paths, QWidget* Parent = nullptr);
