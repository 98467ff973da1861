#pragma once
// The profile editor: browse the catalogue by category, create, change and
// delete audio and video profiles; "保存并退出" writes the catalogue to the
// user profile file. Changes go straight into the catalogue's profiles.
// Main thread.
#include <QDialog>

#include <memory>
#include <string>
#include <vector>

class QAction;
class QListWidget;
class TAVProfile;
class TAVProfileList;
class TAVCustomAudioProfile;
class TFrameProfile;

class TFormEditProfile : public QDialog {
 public:
  // ProfilesFile is where "保存并退出" saves the catalogue ("Profiles.ini" in
  // the application data folder).
  TFormEditProfile(TAVProfileList& Catalogue, std::string ProfilesFile, QWidget* Parent = nullptr);

  // The profile shown last, or none; never a profile that has been deleted.
  TAVProfile* CurrentProfile() const { return FCurrentProfile; }
  // Selects Value's category and Value itself, each handled as clicked. A
  // profile that is not in the catalogue (or none) changes nothing.
  void SetCurrentProfile(TAVProfile* Value);

  TFrameProfile& Frame() const { return *FFrame; }

 private:
  void lvCategoriesClick();
  void lvProfilesClick();
  void actNewAudioProfileExecute();
  void actNewVideoProfileExecute();
  void actDeleteProfileExecute();
  void actDeleteProfileUpdate();
  void actSaveAndExitExecute();
  void AddNewProfile(std::unique_ptr<TAVCustomAudioProfile> Profile, const char* Description);
  // Selects Row of the profile list (without raising its change) and handles it as clicked.
  void SelectProfile(int Row);
  void FrameDescriptionChange(const QString& Text);

  TAVProfileList& FCatalogue;
  const std::string FProfilesFile;
  TAVProfile* FCurrentProfile = nullptr;
  // The profile of each row of the profile list.
  std::vector<TAVProfile*> FItems;

  QListWidget* lvCategories;
  QListWidget* lvProfiles;
  TFrameProfile* FFrame;
  QAction* actDeleteProfile;
};

// The wizard's edit-profile button: shows the editor positioned on Current
// (may be null) and returns the profile current when it closes, however it
// was closed; null when none is (the last shown profile was deleted).
TAVProfile* RunProfileEditor(QWidget* Parent, TAVProfileList& Catalogue, TAVProfile* Current,
                             const std::string& ProfilesFile);
