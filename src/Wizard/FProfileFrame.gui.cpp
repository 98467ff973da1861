#include "Wizard/FProfileFrame.gui.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

#include "Converter/AVProfile.h"

namespace {

constexpr const char* kSampleRates[] = {"8000", "16000", "22050", "32000", "41000", "44100", "48000"};
constexpr const char* kAudioBitrates[] = {"12.2", "32", "64", "80", "96", "112", "128", "160", "192", "224", "448"};
constexpr const char* kVideoBitrates[] = {"128",  "192",  "256",  "384",  "512",  "640",  "768",  "900",
                                          "1000", "1200", "1500", "1800", "2000", "2500", "3000", "4000",
                                          "5000", "6000", "8000", "12000", "15000", "35000"};
// The last bit rate entry stands for 0: the encoder keeps a constant quality.
const QString kQualityEntry = QStringLiteral("按质量");
constexpr const char* kVideoQualities[] = {"18", "20", "22", "23", "24", "26", "28", "30",
                                           "31", "32", "35", "38", "40", "45", "50"};
constexpr int kBitrateDigits = 15;

template <class TNames>
void AddNames(QComboBox* List, const TNames& Names) {
  for (const char* name : Names) List->addItem(QString::fromUtf8(name));
}

// The entry for an enumeration's ordinal; none for an ordinal out of range.
void SelectOrdinal(QComboBox* List, int Ordinal) {
  List->setCurrentIndex(Ordinal >= 0 && Ordinal < List->count() ? Ordinal : -1);
}

void SelectText(QComboBox* List, const QString& Text) {
  List->setCurrentIndex(List->findText(Text, Qt::MatchExactly));
}

bool Selected(const QComboBox* List) { return List->currentIndex() >= 0; }

}  // namespace

QString AudioBitrateText(double Kbps) { return QString::number(Kbps, 'g', kBitrateDigits); }

QComboBox* TFrameProfile::NewList(const char* Name) {
  auto* list = new QComboBox;
  list->setObjectName(QString::fromLatin1(Name));
  connect(list, &QComboBox::currentIndexChanged, this, [this] { ControlChange(); });
  return list;
}

TFrameProfile::TFrameProfile(QWidget* Parent) : QWidget(Parent) {
  edtExtension = new QLineEdit;
  edtExtension->setObjectName(QStringLiteral("edtExtension"));
  cbFormat = NewList("cbFormat");
  AddNames(cbFormat, FormatNames);
  edtDescription = new QLineEdit;
  edtDescription->setObjectName(QStringLiteral("edtDescription"));

  cbSampleRate = NewList("cbSampleRate");
  AddNames(cbSampleRate, kSampleRates);
  cbAudioEncoder = NewList("cbAudioEncoder");
  AddNames(cbAudioEncoder, AudioEncoderNames);
  cbChannels = NewList("cbChannels");
  AddNames(cbChannels, ChannelNames);
  cbAudioBitrate = NewList("cbAudioBitrate");
  AddNames(cbAudioBitrate, kAudioBitrates);

  cbFrameSize = NewList("cbFrameSize");
  for (const TFrameSize& size : FrameSizes) cbFrameSize->addItem(QString::fromUtf8(size.strSize));
  cbVideoEncoder = NewList("cbVideoEncoder");
  AddNames(cbVideoEncoder, VideoEncoderNames);
  cbFrameRate = NewList("cbFrameRate");
  AddNames(cbFrameRate, FrameRateNames);
  cbVideoBitrate = NewList("cbVideoBitrate");
  AddNames(cbVideoBitrate, kVideoBitrates);
  cbVideoBitrate->addItem(kQualityEntry);
  cbVideoQuality = NewList("cbVideoQuality");
  AddNames(cbVideoQuality, kVideoQualities);

  auto* top = new QHBoxLayout;
  for (auto [caption, widget] : {std::pair<const char*, QWidget*>{"文件后缀", edtExtension},
                                 {"文件格式", cbFormat},
                                 {"描述", edtDescription}}) {
    auto* row = new QFormLayout;
    row->addRow(QString::fromUtf8(caption), widget);
    top->addLayout(row);
  }
  top->setStretch(2, 1);

  auto* gbAudio = new QGroupBox(QStringLiteral("音频设置"));
  auto* audio = new QFormLayout(gbAudio);
  audio->addRow(QStringLiteral("取样率"), cbSampleRate);
  audio->addRow(QStringLiteral("音频编码器"), cbAudioEncoder);
  audio->addRow(QStringLiteral("声道"), cbChannels);
  audio->addRow(QStringLiteral("位率 (kbps)"), cbAudioBitrate);
  auto* gbVideo = new QGroupBox(QStringLiteral("视频设置"));
  auto* video = new QFormLayout(gbVideo);
  video->addRow(QStringLiteral("屏幕大小"), cbFrameSize);
  video->addRow(QStringLiteral("视频编码器"), cbVideoEncoder);
  video->addRow(QStringLiteral("帧率"), cbFrameRate);
  video->addRow(QStringLiteral("视频位率 (kbps)"), cbVideoBitrate);
  video->addRow(QStringLiteral("视频质量 (CRF)"), cbVideoQuality);
  auto* boxes = new QHBoxLayout;
  boxes->addWidget(gbAudio);
  boxes->addWidget(gbVideo);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(top);
  layout->addLayout(boxes);
  layout->addStretch();

  connect(edtExtension, &QLineEdit::textChanged, this, [this] { ControlChange(); });
  connect(edtDescription, &QLineEdit::textChanged, this, [this] { edtDescriptionChange(); });
  SetProfile(nullptr);
}

TAVProfile* TFrameProfile::Profile() const { return FProfile; }

void TFrameProfile::SetProfile(TAVProfile* AProfile) {
  FLocked = true;
  FProfile = dynamic_cast<TAVCustomAudioProfile*>(AProfile);
  if (FProfile) Fill();
  else Clear();
  setEnabled(FProfile != nullptr);
  FLocked = false;
}

void TFrameProfile::Clear() {
  for (QComboBox* list : findChildren<QComboBox*>()) list->setCurrentIndex(-1);
  edtExtension->clear();
  edtDescription->clear();
}

void TFrameProfile::Fill() {
  auto* video = dynamic_cast<TAVCustomVideoProfile*>(FProfile);
  if (video) {
    cbFrameSize->setCurrentIndex(video->FrameSize());
    SelectOrdinal(cbVideoEncoder, video->VideoEncoder);
    SelectOrdinal(cbFrameRate, video->FrameRate);
    SelectText(cbVideoBitrate, video->VideoBitrate == 0 ? kQualityEntry : QString::number(video->VideoBitrate));
    SelectText(cbVideoQuality, QString::number(video->VideoQuality));
  } else {
    for (QComboBox* list : {cbFrameSize, cbVideoEncoder, cbFrameRate, cbVideoBitrate, cbVideoQuality})
      list->setCurrentIndex(-1);
  }
  for (QComboBox* list : {cbFrameSize, cbVideoEncoder, cbFrameRate, cbVideoBitrate}) list->setEnabled(video);
  EnableQuality(video);
  SelectOrdinal(cbAudioEncoder, FProfile->AudioEncoder);
  SelectOrdinal(cbChannels, FProfile->AudioChannels);
  SelectText(cbAudioBitrate, AudioBitrateText(FProfile->AudioBitrate));
  SelectText(cbSampleRate, QString::number(FProfile->SampleRate));
  edtDescription->setText(QString::fromStdString(FProfile->Description()));
  edtExtension->setText(QString::fromStdString(FProfile->Extension()));
  SelectOrdinal(cbFormat, FProfile->Format);
}

void TFrameProfile::ControlChange() {
  if (FLocked || !FProfile) return;
  if (Selected(cbSampleRate)) FProfile->SampleRate = cbSampleRate->currentText().toInt();
  if (Selected(cbAudioEncoder)) FProfile->AudioEncoder = static_cast<TCustomAudioEncoder>(cbAudioEncoder->currentIndex());
  if (Selected(cbChannels)) FProfile->AudioChannels = static_cast<TCustomAudioChannels>(cbChannels->currentIndex());
  if (Selected(cbAudioBitrate)) FProfile->AudioBitrate = cbAudioBitrate->currentText().toDouble();
  if (Selected(cbFormat)) FProfile->Format = static_cast<TCustomAVFormat>(cbFormat->currentIndex());
  FProfile->SetExtensionValue(edtExtension->text().trimmed().toStdString());
  FProfile->SetDescription(edtDescription->text().trimmed().toStdString());
  auto* video = dynamic_cast<TAVCustomVideoProfile*>(FProfile);
  if (!video) return;
  // A size that no row matches is shown as "Original"; it is kept until the
  // user picks another row, so editing something else never loses it.
  const int size = cbFrameSize->currentIndex();
  if (size >= 0 && size != video->FrameSize()) {
    video->FrameWidth = FrameSizes[static_cast<size_t>(size)].FrameWidth;
    video->FrameHeight = FrameSizes[static_cast<size_t>(size)].FrameHeight;
  }
  if (Selected(cbVideoEncoder)) video->VideoEncoder = static_cast<TCustomVideoEncoder>(cbVideoEncoder->currentIndex());
  if (Selected(cbFrameRate)) video->FrameRate = static_cast<TCustomFrameRate>(cbFrameRate->currentIndex());
  if (Selected(cbVideoBitrate)) video->VideoBitrate = cbVideoBitrate->currentText().toInt();  // quality entry: 0
  if (Selected(cbVideoQuality)) video->VideoQuality = cbVideoQuality->currentText().toInt();
  EnableQuality(video);
}

void TFrameProfile::EnableQuality(const TAVCustomVideoProfile* Video) {
  cbVideoQuality->setEnabled(Video && Video->UsesQuality());
}

void TFrameProfile::edtDescriptionChange() {
  if (FLocked || !FProfile) return;
  ControlChange();
  if (OnDescriptionChange) OnDescriptionChange(edtDescription->text());
}
