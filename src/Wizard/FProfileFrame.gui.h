#pragma once
// The profile frame: the settings of one audio or video profile, written
// straight into the profile as the user changes them. Main thread.
#include <QWidget>

#include <functional>

class QComboBox;
class QLineEdit;
class TAVProfile;
class TAVCustomAudioProfile;
class TAVCustomVideoProfile;

class TFrameProfile : public QWidget {
 public:
  explicit TFrameProfile(QWidget* Parent = nullptr);

  // Locks, fills every control from AProfile, unlocks. A profile that is not
  // an audio or video profile, or none, leaves the frame empty and disabled.
  void SetProfile(TAVProfile* AProfile);
  TAVProfile* Profile() const;

  // Raised after a change of the description field has been written back,
  // with the text as typed.
  std::function<void(const QString& Text)> OnDescriptionChange;

 private:
  QComboBox* NewList(const char* Name);
  void Fill();
  void Clear();
  void ControlChange();
  void edtDescriptionChange();
  // The quality list is for encoders with a rate factor whose bit rate is 0.
  void EnableQuality(const TAVCustomVideoProfile* Video);

  TAVCustomAudioProfile* FProfile = nullptr;
  bool FLocked = false;

  QLineEdit* edtExtension;
  QComboBox* cbFormat;
  QLineEdit* edtDescription;
  QComboBox* cbSampleRate;
  QComboBox* cbAudioEncoder;
  QComboBox* cbChannels;
  QComboBox* cbAudioBitrate;
  QComboBox* cbFrameSize;
  QComboBox* cbVideoEncoder;
  QComboBox* cbFrameRate;
  QComboBox* cbVideoBitrate;
  QComboBox* cbVideoQuality;
};

// An audio bit rate as the list writes it: the shortest decimal form ("128", "12.2").
QString AudioBitrateText(double Kbps);
