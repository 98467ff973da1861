// The profile editor on the offscreen platform, over the built-in catalogue
// and a real "Profiles.ini" in a fresh application data folder.
#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

#include "Common/CConfiguration.h"
#include "CommonGUI/GuiTestSupport.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"
#include "Wizard/DEditProfile.gui.h"
#include "Wizard/FProfileFrame.gui.h"
#include "support/Fixtures.h"

namespace {

class ProfileEditorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::FreshDataFolder();
    QDir().mkpath(QString::fromStdString(TAVConfiguration::GetAppDataFolder()));
    FFile = TAVConfiguration::GetAppDataFolder() + kProfilesFileName;
    BuildProfileCatalogue(FCatalogue);
  }
  TAVCustomVideoProfile* Video(const char* Description) const {
    auto* p = dynamic_cast<TAVCustomVideoProfile*>(FCatalogue.FindByDescription(Description));
    EXPECT_NE(p, nullptr) << Description;
    return p;
  }
  std::string FFile;
  TAVProfileList FCatalogue;
};

template <class TWidget>
TWidget* Child(const QWidget* Parent, const char* Name) {
  auto* w = Parent->findChild<TWidget*>(QString::fromLatin1(Name));
  EXPECT_NE(w, nullptr) << Name;
  return w;
}

QListWidget* CategoryList(const QWidget* Editor) { return Child<QListWidget>(Editor, "lvCategories"); }
QListWidget* ProfileList(const QWidget* Editor) { return Child<QListWidget>(Editor, "lvProfiles"); }
QComboBox* List(const QWidget* Editor, const char* Name) { return Child<QComboBox>(Editor, Name); }

QStringList Texts(const QListWidget* List) {
  QStringList texts;
  for (int i = 0; i < List->count(); ++i) texts << List->item(i)->text();
  return texts;
}

QStringList Entries(const QComboBox* List) {
  QStringList texts;
  for (int i = 0; i < List->count(); ++i) texts << List->itemText(i);
  return texts;
}

// A mouse click on the row, as the user selects it.
void ClickRow(QListWidget* List, int Row) {
  ASSERT_GE(Row, 0);
  ASSERT_LT(Row, List->count());
  QListWidgetItem* item = List->item(Row);
  List->scrollToItem(item);
  QTest::mouseClick(List->viewport(), Qt::LeftButton, {}, List->visualItemRect(item).center());
}

void ClickCategory(const QWidget* Editor, const QString& Name) {
  QListWidget* list = CategoryList(Editor);
  const auto found = list->findItems(Name, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << Name.toStdString();
  ClickRow(list, list->row(found.first()));
}

void ClickTool(const QWidget* Editor, const char* Action) {
  auto* toolbar = Child<QToolBar>(Editor, "tbProfiles");
  QAction* action = Child<QAction>(Editor, Action);
  gui::WaitIdle();  // the enabling rules run before the user's next click
  QTest::mouseClick(toolbar->widgetForAction(action), Qt::LeftButton);
}

void Choose(const QWidget* Editor, const char* ListName, const QString& Entry) {
  QComboBox* list = List(Editor, ListName);
  const int i = list->findText(Entry, Qt::MatchExactly);
  ASSERT_GE(i, 0) << Entry.toStdString();
  list->setCurrentIndex(i);
}

void Type(const QWidget* Editor, const char* FieldName, const QString& Text) {
  auto* field = Child<QLineEdit>(Editor, FieldName);
  field->clear();
  QTest::keyClicks(field, Text);
}

QByteArray ReadFile(const std::string& Path) {
  QFile f(QString::fromStdString(Path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST_F(ProfileEditorTest, ShowsTheCategoriesTheToolbarAndTheFramesLists) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  EXPECT_EQ(editor.windowTitle(), "Edit Profile");
  EXPECT_EQ(Texts(CategoryList(&editor)),
            (QStringList{"AVI", "MP4", QStringLiteral("手机"), QStringLiteral("视频"), QStringLiteral("音频"),
                         QStringLiteral("Windows手机"), "iPad", "iPhone", "iPod", "Zune", "PSP", "PS3", "Xbox",
                         "Apple TV", QStringLiteral("新格式")}));
  QStringList tools;
  for (QAction* a : Child<QToolBar>(&editor, "tbProfiles")->actions())
    tools << (a->isSeparator() ? QStringLiteral("|") : a->text() + "/" + a->toolTip());
  EXPECT_EQ(tools, (QStringList{QStringLiteral("新建音频输出配置/新建音频输出配置文件"),
                                QStringLiteral("新建视频输出配置/新建视频输出配置文件"),
                                QStringLiteral("删除/删除配置文件"), "|", QStringLiteral("保存并退出/保存并退出")}));
  EXPECT_EQ(Entries(List(&editor, "cbSampleRate")),
            (QStringList{"8000", "16000", "22050", "32000", "41000", "44100", "48000"}));
  EXPECT_EQ(Entries(List(&editor, "cbAudioBitrate")),
            (QStringList{"12.2", "32", "64", "80", "96", "112", "128", "160", "192", "224", "448"}));
  EXPECT_EQ(List(&editor, "cbVideoBitrate")->count(), 23);
  EXPECT_EQ(List(&editor, "cbVideoBitrate")->itemText(21), "35000");
  EXPECT_EQ(List(&editor, "cbVideoBitrate")->itemText(22), QStringLiteral("按质量"));
  EXPECT_EQ(Entries(List(&editor, "cbVideoEncoder")).mid(8), (QStringList{"FLV", "HEVC", "AV1", "VP9"}));
  EXPECT_EQ(Entries(List(&editor, "cbAudioEncoder")).mid(7), (QStringList{"AMR_NB", "OPUS", "FLAC", "VORBIS"}));
  EXPECT_EQ(Entries(List(&editor, "cbFormat")).mid(16), (QStringList{"AC3", "MKV", "OGG", "OPUS", "FLAC", "M4A"}));
  EXPECT_EQ(List(&editor, "cbFrameSize")->count(), 39);
  EXPECT_EQ(List(&editor, "cbFrameSize")->itemText(38), "1440x1080");
  EXPECT_EQ(Entries(List(&editor, "cbFormat")).first(), "NONE");
  EXPECT_EQ(Entries(List(&editor, "cbChannels")), (QStringList{"mono", "stereo"}));

  // Nothing current yet: a category lists its profiles and selects none.
  gui::WaitIdle();
  EXPECT_FALSE(Child<QAction>(&editor, "actDeleteProfile")->isEnabled());
  ClickCategory(&editor, "iPhone");
  EXPECT_EQ(Texts(ProfileList(&editor)),
            (QStringList{"IPhone H264 Video", "IPhone H264 Television Video", "IPhone MPEG4 Video",
                         "IPhone MPEG4 Television Video", "IPhone MPEG4 Wide Screen Video"}));
  EXPECT_EQ(ProfileList(&editor)->currentRow(), -1);
  EXPECT_EQ(editor.CurrentProfile(), nullptr);
  EXPECT_FALSE(editor.Frame().isEnabled());
  gui::WaitIdle();
  EXPECT_TRUE(Child<QAction>(&editor, "actDeleteProfile")->isEnabled());
  ClickRow(ProfileList(&editor), 2);
  EXPECT_EQ(editor.CurrentProfile(), FCatalogue.FindByDescription("IPhone MPEG4 Video"));
  // With a profile current, the next category selects its first profile.
  ClickCategory(&editor, "Xbox");
  EXPECT_EQ(Texts(ProfileList(&editor)), (QStringList{"Xbox360 HD H264 Video", "Xbox360 MCE HD MPEG2 Video"}));
  EXPECT_EQ(ProfileList(&editor)->currentRow(), 0);
  EXPECT_EQ(editor.CurrentProfile(), FCatalogue.FindByDescription("Xbox360 HD H264 Video"));
}

TEST_F(ProfileEditorTest, CurrentProfileSelectsItsCategoryAndFillsTheFrame) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  editor.SetCurrentProfile(Video("3GPP(*.3gp)"));
  EXPECT_EQ(CategoryList(&editor)->currentItem()->text(), QStringLiteral("手机"));
  EXPECT_EQ(ProfileList(&editor)->currentItem()->text(), "3GPP(*.3gp)");
  EXPECT_EQ(editor.CurrentProfile(), Video("3GPP(*.3gp)"));
  EXPECT_EQ(List(&editor, "cbSampleRate")->currentText(), "8000");
  EXPECT_EQ(List(&editor, "cbAudioEncoder")->currentText(), "AAC");
  EXPECT_EQ(List(&editor, "cbChannels")->currentText(), "mono");
  EXPECT_EQ(List(&editor, "cbAudioBitrate")->currentText(), "12.2");
  EXPECT_EQ(List(&editor, "cbFormat")->currentText(), "3GP");
  EXPECT_EQ(List(&editor, "cbFrameSize")->currentText(), "qcif(176x144)");
  EXPECT_EQ(List(&editor, "cbVideoEncoder")->currentText(), "H263");
  EXPECT_EQ(List(&editor, "cbFrameRate")->currentText(), "20");
  EXPECT_EQ(List(&editor, "cbVideoBitrate")->currentIndex(), -1);  // 120 is not offered
  EXPECT_EQ(Child<QLineEdit>(&editor, "edtExtension")->text(), ".3gp");
  EXPECT_EQ(Child<QLineEdit>(&editor, "edtDescription")->text(), "3GPP(*.3gp)");
  EXPECT_TRUE(List(&editor, "cbVideoEncoder")->isEnabled());

  // An audio profile: the video lists show nothing and are disabled.
  ClickCategory(&editor, QStringLiteral("音频"));
  ClickRow(ProfileList(&editor), 1);
  EXPECT_EQ(editor.CurrentProfile()->Description(), "MP3 Audio");
  for (const char* name : {"cbFrameSize", "cbVideoEncoder", "cbFrameRate", "cbVideoBitrate"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(List(&editor, name)->currentIndex(), -1);
    EXPECT_FALSE(List(&editor, name)->isEnabled());
  }
  EXPECT_EQ(List(&editor, "cbAudioBitrate")->currentText(), "192");
  EXPECT_EQ(List(&editor, "cbAudioEncoder")->currentText(), "MP3");
}

TEST_F(ProfileEditorTest, EveryChangeIsWrittenIntoTheProfile) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  TAVCustomVideoProfile* avc = Video("MPEG-4 AVC");
  editor.SetCurrentProfile(avc);
  Choose(&editor, "cbAudioBitrate", "12.2");
  EXPECT_DOUBLE_EQ(avc->AudioBitrate, 12.2);
  Choose(&editor, "cbFrameSize", "Original");
  EXPECT_EQ(avc->FrameWidth, 0);
  EXPECT_EQ(avc->FrameHeight, 0);
  Choose(&editor, "cbFrameSize", "hd720(1280x720)");
  EXPECT_EQ(avc->FrameWidth, 1280);
  EXPECT_EQ(avc->FrameHeight, 720);
  Choose(&editor, "cbSampleRate", "41000");
  EXPECT_EQ(avc->SampleRate, 41000);
  Choose(&editor, "cbAudioEncoder", "MP3");
  Choose(&editor, "cbChannels", "mono");
  Choose(&editor, "cbFormat", "AVI");
  Choose(&editor, "cbVideoEncoder", "XVID");
  Choose(&editor, "cbFrameRate", "23.97");
  Choose(&editor, "cbVideoBitrate", "35000");
  Type(&editor, "edtExtension", " .m4v ");
  EXPECT_EQ(avc->AudioEncoder, MP3);
  EXPECT_EQ(avc->AudioChannels, mono1);
  EXPECT_EQ(avc->Format, F_AVI);
  EXPECT_EQ(avc->VideoEncoder, XVID);
  EXPECT_EQ(avc->FrameRate, r2397);
  EXPECT_EQ(avc->VideoBitrate, 35000);
  EXPECT_EQ(avc->Extension(), ".m4v");
  EXPECT_EQ(avc->FrameWidth, 1280);
}

TEST_F(ProfileEditorTest, ValuesTheListsDoNotOfferStayUntilAnEntryIsPicked) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  TAVCustomVideoProfile* mp4 = Video("MPEG-4");  // 480x272 matches no row
  editor.SetCurrentProfile(mp4);
  EXPECT_EQ(List(&editor, "cbFrameSize")->currentText(), "Original");
  Type(&editor, "edtDescription", "MPEG-4 small");
  Choose(&editor, "cbFrameRate", "30");
  EXPECT_EQ(mp4->FrameWidth, 480);
  EXPECT_EQ(mp4->FrameHeight, 272);
  EXPECT_EQ(mp4->FrameRate, r30);

  TAVCustomVideoProfile* gp = Video("3GPP(*.3gp)");
  editor.SetCurrentProfile(gp);
  Choose(&editor, "cbAudioBitrate", "32");
  EXPECT_EQ(gp->VideoBitrate, 120);
  EXPECT_EQ(gp->FrameWidth, 176);
}

TEST_F(ProfileEditorTest, TypedDescriptionFollowsInTheListTrimmedInTheProfile) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  TAVProfile* aac = FCatalogue.FindByDescription("AAC Audio");
  editor.SetCurrentProfile(aac);
  auto* field = Child<QLineEdit>(&editor, "edtDescription");
  field->clear();
  EXPECT_EQ(ProfileList(&editor)->item(0)->text(), "");
  QTest::keyClicks(field, "  ");
  field->insert(QStringLiteral("我的 AAC"));  // as an input method enters it
  EXPECT_EQ(ProfileList(&editor)->item(0)->text(), QStringLiteral("  我的 AAC"));
  EXPECT_EQ(aac->Description(), QStringLiteral("我的 AAC").toStdString());
  // The other items are left alone.
  EXPECT_EQ(ProfileList(&editor)->item(1)->text(), "MP3 Audio");
}

TEST_F(ProfileEditorTest, DeletingAsksFirstAndTheLastProfileLeavesNoneCurrent) {
  gui::TRecordingShell shell;
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  const int count = FCatalogue.ProfileCount();
  editor.SetCurrentProfile(Video("MPEG-4 AVC"));
  shell.Answer = false;
  ClickTool(&editor, "actDeleteProfile");
  EXPECT_EQ(shell.Questions, (QStringList{"Are you sure to delete the profile?"}));
  EXPECT_EQ(FCatalogue.ProfileCount(), count);

  shell.Answer = true;
  ClickTool(&editor, "actDeleteProfile");
  EXPECT_EQ(FCatalogue.FindByDescription("MPEG-4 AVC"), nullptr);
  EXPECT_EQ(FCatalogue.ProfileCount(), count - 1);
  EXPECT_EQ(Texts(ProfileList(&editor)), (QStringList{"MPEG-4"}));
  EXPECT_EQ(ProfileList(&editor)->currentRow(), 0);
  EXPECT_EQ(editor.CurrentProfile(), FCatalogue.FindByDescription("MPEG-4"));
  EXPECT_EQ(editor.Frame().Profile(), editor.CurrentProfile());

  // The only profile of the category.
  ClickTool(&editor, "actDeleteProfile");
  EXPECT_EQ(FCatalogue.ProfileCount(), count - 2);
  EXPECT_EQ(ProfileList(&editor)->count(), 0);
  EXPECT_EQ(editor.CurrentProfile(), nullptr);
  EXPECT_EQ(editor.Frame().Profile(), nullptr);
  EXPECT_FALSE(editor.Frame().isEnabled());
  gui::WaitIdle();
  EXPECT_FALSE(Child<QAction>(&editor, "actDeleteProfile")->isEnabled());
  ClickTool(&editor, "actDeleteProfile");  // disabled: asks nothing
  EXPECT_EQ(shell.Questions.size(), 3);

  // Deleting the first of several selects the new first one.
  ClickCategory(&editor, "AVI");
  ClickRow(ProfileList(&editor), 0);
  ClickTool(&editor, "actDeleteProfile");
  EXPECT_EQ(Texts(ProfileList(&editor)), (QStringList{QStringLiteral("XVID影片(*.avi)"), QStringLiteral("DivX影片(*.avi)")}));
  EXPECT_EQ(editor.CurrentProfile(), FCatalogue.FindByDescription(QStringLiteral("XVID影片(*.avi)").toStdString()));
}

TEST_F(ProfileEditorTest, NewProfilesNeedACategoryAndJoinIt) {
  TFormEditProfile editor(FCatalogue, FFile);
  editor.show();
  const int count = FCatalogue.ProfileCount();
  ClickTool(&editor, "actNewAudioProfile");
  EXPECT_EQ(FCatalogue.ProfileCount(), count);
  ClickCategory(&editor, "Zune");
  ClickTool(&editor, "actNewAudioProfile");
  ASSERT_EQ(FCatalogue.ProfileCount(), count + 1);
  TAVProfile* added = FCatalogue.Profiles(count);
  EXPECT_NE(dynamic_cast<TAVCustomAudioProfile*>(added), nullptr);
  EXPECT_EQ(dynamic_cast<TAVCustomVideoProfile*>(added), nullptr);
  EXPECT_EQ(added->Description(), "New Audio Profile");
  EXPECT_EQ(added->Category(), "Zune");
  EXPECT_EQ(editor.CurrentProfile(), added);
  EXPECT_EQ(ProfileList(&editor)->currentItem()->text(), "New Audio Profile");
  EXPECT_EQ(ProfileList(&editor)->currentRow(), 3);
  EXPECT_FALSE(List(&editor, "cbFrameSize")->isEnabled());
}

TEST_F(ProfileEditorTest, NewVideoProfileInMp4IsSavedAndOfferedAfterARestart) {
  TAVProfile* returned = nullptr;
  gui::OnModal([&](QWidget* Editor) {
    ClickCategory(Editor, "MP4");
    ClickTool(Editor, "actNewVideoProfile");
    EXPECT_EQ(ProfileList(Editor)->currentItem()->text(), "New Video Profile");
    Type(Editor, "edtDescription", "My Clip");
    Type(Editor, "edtExtension", ".mp4");
    Choose(Editor, "cbSampleRate", "44100");
    Choose(Editor, "cbAudioBitrate", "12.2");
    Choose(Editor, "cbChannels", "stereo");
    Choose(Editor, "cbFormat", "MP4");
    Choose(Editor, "cbFrameSize", "qvga(320x240)");
    Choose(Editor, "cbVideoEncoder", "H264");
    Choose(Editor, "cbFrameRate", "25");
    Choose(Editor, "cbVideoBitrate", "768");
    // A built-in profile changed in the same session.
    ClickCategory(Editor, QStringLiteral("音频"));
    ClickRow(ProfileList(Editor), 0);
    Choose(Editor, "cbAudioBitrate", "224");
    ClickCategory(Editor, "MP4");
    ClickRow(ProfileList(Editor), 2);
    ClickTool(Editor, "actSaveAndExit");
    if (Editor->isVisible()) {
      ADD_FAILURE() << "the editor stayed open";
      Editor->close();
    }
  });
  returned = RunProfileEditor(nullptr, FCatalogue, FCatalogue.FindByDescription("AAC Audio"), FFile);
  ASSERT_NE(returned, nullptr);
  EXPECT_EQ(returned->Description(), "My Clip");

  const QByteArray file = ReadFile(FFile);
  EXPECT_TRUE(file.endsWith(
      "Description57=Ogg Vorbis Audio(*.ogg)\r\nExtension57=.ogg\r\nCategory57=\xE6\x96\xB0\xE6\xA0\xBC\xE5\xBC\x8F\r\n"
      "IsVideo57=0\r\nSampleRate57=44100\r\nAudioEncoder57=10\r\nAudioChannels57=1\r\nAudioBitrate57=160\r\n"
      "Format57=18\r\nOptions57=\r\n"
      "Description58=My Clip\r\nExtension58=.mp4\r\nCategory58=MP4\r\nIsVideo58=1\r\nSampleRate58=44100\r\n"
      "AudioEncoder58=0\r\nAudioChannels58=1\r\nAudioBitrate58=12.2\r\nFormat58=2\r\nOptions58=\r\n"
      "FrameWidth58=320\r\nFrameHeight58=240\r\nVideoEncoder58=1\r\nFrameRate58=5\r\nVideoBitrate58=768\r\n"
      "VideoQuality58=0\r\nProfileCount=59\r\nCategoryCount=15\r\n"))
      << file.right(800).toStdString();

  // A restart: the built-in catalogue, replaced by the user's file.
  TAVProfileList restarted;
  BuildProfileCatalogue(restarted);
  LoadProfiles(restarted, FFile);
  ASSERT_EQ(restarted.ProfileCount(), 59);
  auto* aac = dynamic_cast<TAVCustomAudioProfile*>(restarted.FindByDescription("AAC Audio"));
  ASSERT_NE(aac, nullptr);
  EXPECT_DOUBLE_EQ(aac->AudioBitrate, 224);
  TFormEditProfile editor(restarted, FFile);
  editor.show();
  ClickCategory(&editor, "MP4");
  EXPECT_EQ(Texts(ProfileList(&editor)), (QStringList{"MPEG-4", "MPEG-4 AVC", "My Clip"}));
  ClickRow(ProfileList(&editor), 2);
  EXPECT_EQ(List(&editor, "cbAudioBitrate")->currentText(), "12.2");
  EXPECT_EQ(List(&editor, "cbFrameSize")->currentText(), "qvga(320x240)");
  EXPECT_EQ(List(&editor, "cbVideoEncoder")->currentText(), "H264");
  EXPECT_EQ(List(&editor, "cbVideoBitrate")->currentText(), "768");
  EXPECT_EQ(List(&editor, "cbSampleRate")->currentText(), "44100");

  // The CLI, in the same data folder, converts with it.
  const std::string out = fixtures::TempDir("editor_cli") + "/mine.mp4";
  int status = -1;
  const std::string printed = fixtures::RunCommand(std::string(QB_CLI) + " --profile 'My Clip' " +
                                                       fixtures::ShellQuote(fixtures::Clip640x480(1.0)) + " " +
                                                       fixtures::ShellQuote(out) + " 2>&1 </dev/null",
                                                   &status);
  EXPECT_EQ(status, 0) << printed;
  EXPECT_EQ(fixtures::Probe(out, "stream=codec_name,width,height", "-select_streams v"),
            "codec_name=h264\nwidth=320\nheight=240\n");
}

// A profile of each newer encoder, made in the editor with a constant
// quality, saved, read back after a restart and shown again as made.
TEST_F(ProfileEditorTest, NewerEncodersAndQualityRoundTripThroughTheFile) {
  struct TMade {
    const char* Name;
    const char* Video;
    const char* Audio;
    const char* Format;
    const char* Quality;
  };
  const TMade made[] = {{"Mine HEVC", "HEVC", "OPUS", "MKV", "24"},
                        {"Mine AV1", "AV1", "FLAC", "MKV", "40"},
                        {"Mine VP9", "VP9", "VORBIS", "OGG", "31"}};
  {
    TFormEditProfile editor(FCatalogue, FFile);
    editor.show();
    for (const TMade& m : made) {
      ClickCategory(&editor, QStringLiteral("新格式"));
      ClickTool(&editor, "actNewVideoProfile");
      Type(&editor, "edtDescription", m.Name);
      Choose(&editor, "cbVideoEncoder", m.Video);
      Choose(&editor, "cbAudioEncoder", m.Audio);
      Choose(&editor, "cbFormat", m.Format);
      Choose(&editor, "cbVideoBitrate", "900");
      EXPECT_FALSE(List(&editor, "cbVideoQuality")->isEnabled());  // a bit rate is chosen
      Choose(&editor, "cbVideoBitrate", QStringLiteral("按质量"));
      EXPECT_TRUE(List(&editor, "cbVideoQuality")->isEnabled());
      Choose(&editor, "cbVideoQuality", m.Quality);
    }
    ClickTool(&editor, "actSaveAndExit");
  }
  TAVProfileList restarted;
  LoadProfiles(restarted, FFile);
  TFormEditProfile editor(restarted, FFile);
  editor.show();
  for (const TMade& m : made) {
    SCOPED_TRACE(m.Name);
    auto* p = dynamic_cast<TAVCustomVideoProfile*>(restarted.FindByDescription(m.Name));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->VideoBitrate, 0);
    EXPECT_EQ(p->VideoQuality, QString(m.Quality).toInt());
    EXPECT_EQ(p->Category(), "新格式");
    editor.SetCurrentProfile(p);
    EXPECT_EQ(List(&editor, "cbVideoEncoder")->currentText(), m.Video);
    EXPECT_EQ(List(&editor, "cbAudioEncoder")->currentText(), m.Audio);
    EXPECT_EQ(List(&editor, "cbFormat")->currentText(), m.Format);
    EXPECT_EQ(List(&editor, "cbVideoBitrate")->currentText(), QStringLiteral("按质量"));
    EXPECT_EQ(List(&editor, "cbVideoQuality")->currentText(), m.Quality);
  }
  // An older encoder has no rate factor: its quality list stays off.
  editor.SetCurrentProfile(restarted.FindByDescription("MPEG-4"));
  EXPECT_FALSE(List(&editor, "cbVideoQuality")->isEnabled());
}

TEST_F(ProfileEditorTest, ClosingWithoutSavingKeepsChangesForTheRunOnly) {
  TAVProfile* aac = FCatalogue.FindByDescription("AAC Audio");
  gui::OnModal([&](QWidget* Editor) {
    Choose(Editor, "cbAudioBitrate", "96");
    Editor->close();
  });
  EXPECT_EQ(RunProfileEditor(nullptr, FCatalogue, aac, FFile), aac);
  EXPECT_DOUBLE_EQ(dynamic_cast<TAVCustomAudioProfile*>(aac)->AudioBitrate, 96);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(FFile)));

  // Deleting the profile shown makes the one before it current; deleting
  // the last one of the category leaves none to hand back.
  gui::TRecordingShell shell;
  std::string afterOne;
  gui::OnModal([&](QWidget* Editor) {
    ClickTool(Editor, "actDeleteProfile");
    if (TAVProfile* p = static_cast<TFormEditProfile*>(Editor)->CurrentProfile()) afterOne = p->Description();
    ClickTool(Editor, "actDeleteProfile");
    Editor->close();
  });
  EXPECT_EQ(RunProfileEditor(nullptr, FCatalogue, FCatalogue.FindByDescription("MPEG-4 AVC"), FFile), nullptr);
  EXPECT_EQ(afterOne, "MPEG-4");
  EXPECT_EQ(FCatalogue.ProfilesInCategory("MP4").size(), 0u);
}

TEST_F(ProfileEditorTest, AFileThatCannotBeWrittenIsReportedAndTheEditorStaysOpen) {
  gui::TRecordingErrors errors;
  const std::string missing = TAVConfiguration::GetAppDataFolder() + "no/such/folder/Profiles.ini";
  bool stayedOpen = false;
  gui::OnModal([&](QWidget* Editor) {
    ClickTool(Editor, "actSaveAndExit");
    stayedOpen = Editor->isVisible();
    Editor->close();
  });
  RunProfileEditor(nullptr, FCatalogue, nullptr, missing);
  EXPECT_TRUE(stayedOpen);
  ASSERT_EQ(errors.Texts.size(), 1);
  EXPECT_TRUE(errors.Texts[0].startsWith("Unable to write to ")) << errors.Texts[0].toStdString();
}

}  // namespace
