#include "Wizard/DEditProfile.gui.h"

#include <QAction>
#include <QListWidget>
#include <QSignalBlocker>
#include <QSplitter>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>

#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/IdleUpdate.gui.h"
#include "CommonGUI/ImageLists.gui.h"
#include "Common/StringList.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileStore.h"
#include "Wizard/FProfileFrame.gui.h"

namespace {

constexpr int kInitialWidth = 820;
constexpr int kInitialHeight = 600;
constexpr int kCategoryListWidth = 150;

QAction* ToolButton(QToolBar* Bar, const char* Name, const char* Caption, const char* Hint, int Image) {
  QAction* action = Bar->addAction(ToolbarImage(Image), QString::fromUtf8(Caption));
  action->setObjectName(QString::fromLatin1(Name));
  action->setToolTip(QString::fromUtf8(Hint));
  return action;
}

}  // namespace

TFormEditProfile::TFormEditProfile(TAVProfileList& Catalogue, std::string ProfilesFile, QWidget* Parent)
    : QDialog(Parent), FCatalogue(Catalogue), FProfilesFile(std::move(ProfilesFile)) {
  setWindowTitle(QStringLiteral("Edit Profile"));
  lvCategories = new QListWidget;
  lvCategories->setObjectName(QStringLiteral("lvCategories"));
  for (const std::string& category : FCatalogue.Categories) lvCategories->addItem(QString::fromStdString(category));
  lvProfiles = new QListWidget;
  lvProfiles->setObjectName(QStringLiteral("lvProfiles"));
  // Nothing is selected until the user clicks (a view would otherwise make
  // its first row current when it gets the focus).
  lvCategories->setCurrentIndex(QModelIndex());
  lvProfiles->setCurrentIndex(QModelIndex());

  auto* toolbar = new QToolBar;
  toolbar->setObjectName(QStringLiteral("tbProfiles"));
  toolbar->setIconSize(QSize(kToolbarImageSize, kToolbarImageSize));
  toolbar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  QAction* actNewAudio = ToolButton(toolbar, "actNewAudioProfile", "新建音频输出配置", "新建音频输出配置文件",
                                    tiNewAudioProfile);
  QAction* actNewVideo = ToolButton(toolbar, "actNewVideoProfile", "新建视频输出配置", "新建视频输出配置文件",
                                    tiNewVideoProfile);
  actDeleteProfile = ToolButton(toolbar, "actDeleteProfile", "删除", "删除配置文件", tiStop);
  toolbar->addSeparator();
  QAction* actSave = ToolButton(toolbar, "actSaveAndExit", "保存并退出", "保存并退出", tiSaveAndExit);
  FFrame = new TFrameProfile;
  FFrame->setObjectName(QStringLiteral("frmProfile"));

  auto* bottom = new QWidget;
  auto* bottomLayout = new QVBoxLayout(bottom);
  bottomLayout->setContentsMargins(0, 0, 0, 0);
  bottomLayout->addWidget(toolbar);
  bottomLayout->addWidget(FFrame, 1);
  auto* right = new QSplitter(Qt::Vertical);
  right->addWidget(lvProfiles);
  right->addWidget(bottom);
  right->setStretchFactor(1, 1);
  auto* split = new QSplitter(Qt::Horizontal);
  split->addWidget(lvCategories);
  split->addWidget(right);
  split->setStretchFactor(1, 1);
  split->setSizes({kCategoryListWidth, kInitialWidth - kCategoryListWidth});
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(split);
  resize(kInitialWidth, kInitialHeight);

  connect(lvCategories, &QListWidget::currentRowChanged, this, [this] { lvCategoriesClick(); });
  connect(lvProfiles, &QListWidget::currentRowChanged, this, [this] { lvProfilesClick(); });
  connect(actNewAudio, &QAction::triggered, this, [this] { actNewAudioProfileExecute(); });
  connect(actNewVideo, &QAction::triggered, this, [this] { actNewVideoProfileExecute(); });
  connect(actDeleteProfile, &QAction::triggered, this, [this] { actDeleteProfileExecute(); });
  connect(actSave, &QAction::triggered, this, [this] { actSaveAndExitExecute(); });
  FFrame->OnDescriptionChange = [this](const QString& Text) { FrameDescriptionChange(Text); };
  actDeleteProfileUpdate();
  OnIdle(this, [this] { actDeleteProfileUpdate(); });
}

void TFormEditProfile::lvCategoriesClick() {
  {
    const QSignalBlocker blocker(lvProfiles);
    lvProfiles->clear();
    FItems.clear();
    if (QListWidgetItem* category = lvCategories->currentItem()) {
      FItems = FCatalogue.ProfilesInCategory(category->text().toStdString());
      for (TAVProfile* p : FItems) lvProfiles->addItem(QString::fromStdString(p->Description()));
    }
  }
  if (!FItems.empty() && FCurrentProfile) SelectProfile(0);
}

void TFormEditProfile::lvProfilesClick() {
  const int row = lvProfiles->currentRow();
  if (row < 0 || row >= static_cast<int>(FItems.size())) return;
  TAVProfile* profile = FItems[static_cast<size_t>(row)];
  FFrame->SetProfile(profile);
  FCurrentProfile = profile;
}

void TFormEditProfile::SelectProfile(int Row) {
  {
    const QSignalBlocker blocker(lvProfiles);
    lvProfiles->setCurrentRow(Row);
  }
  lvProfilesClick();
}

void TFormEditProfile::SetCurrentProfile(TAVProfile* Value) {
  if (!Value || FCatalogue.IndexOf(Value) < 0) return;
  int category = -1;
  for (int i = 0; i < lvCategories->count() && category < 0; ++i)
    if (SameText(lvCategories->item(i)->text().toStdString(), Value->Category())) category = i;
  {
    const QSignalBlocker blocker(lvCategories);
    lvCategories->setCurrentRow(category);
  }
  lvCategoriesClick();
  FCurrentProfile = Value;
  const auto item = std::find(FItems.begin(), FItems.end(), Value);
  if (item != FItems.end()) SelectProfile(static_cast<int>(item - FItems.begin()));
  else FFrame->SetProfile(Value);  // listed under no category: shown all the same
}

void TFormEditProfile::AddNewProfile(std::unique_ptr<TAVCustomAudioProfile> Profile, const char* Description) {
  QListWidgetItem* category = lvCategories->currentItem();
  if (!category) return;
  Profile->SetDescription(Description);
  TAVProfile* profile = FCatalogue.AddProfile(std::move(Profile));
  profile->SetCategory(category->text().trimmed().toStdString());
  FItems.push_back(profile);
  lvProfiles->addItem(QString::fromStdString(profile->Description()));
  SelectProfile(lvProfiles->count() - 1);
}

void TFormEditProfile::actNewAudioProfileExecute() {
  AddNewProfile(std::make_unique<TAVCustomAudioProfile>(), "New Audio Profile");
}

void TFormEditProfile::actNewVideoProfileExecute() {
  AddNewProfile(std::make_unique<TAVCustomVideoProfile>(), "New Video Profile");
}

void TFormEditProfile::actDeleteProfileUpdate() { actDeleteProfile->setEnabled(lvProfiles->count() > 0); }

void TFormEditProfile::actDeleteProfileExecute() {
  const int row = lvProfiles->currentRow();
  if (row < 0 || row >= static_cast<int>(FItems.size())) return;
  if (!ConfirmDialog(QStringLiteral("Are you sure to delete the profile?"))) return;
  TAVProfile* profile = FItems[static_cast<size_t>(row)];
  // Nothing may keep showing or handing back the profile once it is gone.
  if (FFrame->Profile() == profile) FFrame->SetProfile(nullptr);
  if (FCurrentProfile == profile) FCurrentProfile = nullptr;
  FItems.erase(FItems.begin() + row);
  {
    const QSignalBlocker blocker(lvProfiles);
    delete lvProfiles->takeItem(row);
  }
  FCatalogue.RemoveProfile(profile);  // the returned owner destroys it
  if (FItems.empty()) {
    FCurrentProfile = nullptr;
    FFrame->SetProfile(nullptr);
    return;
  }
  SelectProfile(std::max(row - 1, 0));
}

void TFormEditProfile::actSaveAndExitExecute() {
  // A file that cannot be written is reported and the editor stays open.
  Guarded([this] {
    SaveProfiles(FCatalogue, FProfilesFile);
    accept();
  });
}

void TFormEditProfile::FrameDescriptionChange(const QString& Text) {
  const int row = lvProfiles->currentRow();
  if (row >= 0 && row < static_cast<int>(FItems.size()) && FItems[static_cast<size_t>(row)] == FFrame->Profile())
    lvProfiles->item(row)->setText(Text);
}

TAVProfile* RunProfileEditor(QWidget* Parent, TAVProfileList& Catalogue, TAVProfile* Current,
                             const std::string& ProfilesFile) {
  TFormEditProfile form(Catalogue, ProfilesFile, Parent);
  form.SetCurrentProfile(Current);
  form.exec();
  return form.CurrentProfile();
}
