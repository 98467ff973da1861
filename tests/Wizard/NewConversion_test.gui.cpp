// The conversion wizard and its preview driven on the offscreen platform
// with real generated clips, the real catalogue and task database.
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Components/AVPreview.gui.h"
#include "Components/CategorySource.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"
#include "Wizard/CFilters.h"
#include "Wizard/FNewConversion.gui.h"
#include "Wizard/FileNameField.gui.h"
#include "Wizard/FilterDialogs.gui.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/RealText.h"

namespace fs = std::filesystem;

namespace {

std::string RangeClip() {
  return fixtures::Media("range75.mkv", "-f lavfi -i testsrc2=size=160x120:rate=5:duration=75 -c:v mpeg4 -g 25");
}
std::string ShortClip() {
  return fixtures::Media("clip2.mkv", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=2 -c:v mpeg4");
}
std::string ToneOnly() { return fixtures::Media("tone2.mp3", "-f lavfi -i sine=duration=2 -c:a libmp3lame"); }

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gui::FreshDataFolder();
    Dir = fixtures::TempDir(std::string("wizard_") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    Config.SetOutputFolder(Dir + "/out");
    BuildProfileCatalogue(Catalogue);
    fs::create_directories(TAVConfiguration::GetAppDataFolder());
    Db = std::make_unique<TPersistentManager>(TAVConfiguration::GetAppDataFolder() + kDatabaseFileName,
                                              Config.OutputFolder());
    Categories = std::make_unique<TDatabaseCategorySource>(*Db);
  }
  std::unique_ptr<TFormNewConversion> NewWizard() {
    auto w = std::make_unique<TFormNewConversion>(Catalogue, Categories.get(), Config, ProfilesFile());
    w->show();
    return w;
  }
  std::string ProfilesFile() const { return TAVConfiguration::GetAppDataFolder() + kProfilesFileName; }
  static void ChooseProfile(TFormNewConversion& W, const QString& Category, const QString& Description) {
    W.cbCategories->setCurrentIndex(W.cbCategories->findText(Category));
    const int i = W.cbProfiles->findText(Description);
    ASSERT_GE(i, 0) << Description.toStdString();
    W.cbProfiles->setCurrentIndex(i);
  }
  // The first profile of Category whose extension is Extension.
  QString ProfileWith(const std::string& Category, const std::string& Extension) {
    for (TAVProfile* p : Catalogue.ProfilesInCategory(Category))
      if (p->Extension() == Extension) return QString::fromStdString(p->Description());
    ADD_FAILURE() << "no " << Extension << " profile in " << Category;
    return {};
  }

  std::string Dir;
  TAVConfiguration Config;
  TAVProfileList Catalogue;
  std::unique_ptr<TPersistentManager> Db;
  std::unique_ptr<TDatabaseCategorySource> Categories;
  harness::ErrorRecorder Errors;
};

TEST_F(WizardTest, StartsOnTheSourcePageWithTheFirstCategoryAndProfile) {
  auto w = NewWizard();
  EXPECT_EQ(w->windowTitle(), "转换向导");
  EXPECT_EQ(w->lblTitle->text(), "选择要转的文件");
  EXPECT_EQ(w->btnNext->text(), "下一步 (&N)>");
  EXPECT_EQ(w->btnFinish->text(), "给我转 (&C)");
  EXPECT_EQ(w->btnCancel->text(), "放弃");
  EXPECT_FALSE(w->btnBack->isVisible());
  EXPECT_TRUE(w->edtSource->isReadOnly());
  EXPECT_EQ(QtFileFilter(QString::fromUtf8(kSourceFileFilter)).split(";;"),
            (QStringList{"Video Files (*.flv *.wmv *.mp4 *.avi *.mkv *.mpg *.mpeg)", "Audio Files (*.wav *.mp3)",
                         "Picture Files (*.bmp *.jpg)", "All Files (*.*)"}));
  EXPECT_EQ(w->btnEditProfile->toolTip(), "Edit Profile");
  EXPECT_EQ(w->FCategoryEdit->Text(), "已完成");
  EXPECT_EQ(w->FCategoryEdit->CategoryId(), 1);
  EXPECT_EQ(w->FCategoryEdit->CategoryPath(), Config.OutputFolder());
  EXPECT_EQ(w->Converter().ConvertOptions().RecordingTime(), INT64_MAX);
  ASSERT_EQ(w->cbCategories->count(), Catalogue.Categories.Count());
  EXPECT_EQ(w->cbCategories->currentIndex(), 0);
  const auto first = Catalogue.ProfilesInCategory(w->cbCategories->currentText().toStdString());
  ASSERT_EQ(w->cbProfiles->count(), static_cast<int>(first.size()));
  EXPECT_EQ(w->cbProfiles->currentText().toStdString(), first[0]->Description());
  for (QLabel* l : {w->lblDuration, w->lblStart, w->lblEnd}) EXPECT_EQ(l->text(), "00:00:00");
  EXPECT_EQ(w->avPreview->size(), QSize(216, 163));
  EXPECT_FALSE(w->btnNext->isEnabled());
  EXPECT_FALSE(w->btnFinish->isEnabled());
  EXPECT_FALSE(w->tbRange->isEnabled());
  EXPECT_FALSE(w->btnSetStart->isEnabled());
}

TEST_F(WizardTest, TheInformationPanelDescribesTheChosenProfile) {
  auto w = NewWizard();
  for (int c = 0; c < w->cbCategories->count(); ++c) {
    w->cbCategories->setCurrentIndex(c);
    for (int p = 0; p < w->cbProfiles->count(); ++p) {
      w->cbProfiles->setCurrentIndex(p);
      SCOPED_TRACE(w->cbProfiles->currentText().toStdString());
      TAVProfile* profile = w->Profile();
      ASSERT_NE(profile, nullptr);
      // Categories match without regard to case ("IPad" under "iPad").
      EXPECT_EQ(QString::fromStdString(profile->Category()).compare(w->cbCategories->currentText(), Qt::CaseInsensitive), 0);
      auto* audio = dynamic_cast<TAVCustomAudioProfile*>(profile);
      ASSERT_NE(audio, nullptr);  // every profile offered is a custom one
      EXPECT_EQ(w->lblSampleRate->text(), QString::number(audio->SampleRate));
      EXPECT_EQ(w->lblChannels->text(), audio->AudioChannels == mono1 ? "单声" : "立体");
      auto* video = dynamic_cast<TAVCustomVideoProfile*>(profile);
      if (video) {
        EXPECT_EQ(w->lblFrameSize->text(), QString("%1x%2").arg(video->FrameWidth).arg(video->FrameHeight));
        // Constant quality shows its rate factor in place of the bit rate 0.
        EXPECT_EQ(w->lblVideoBitrate->text(), video->VideoBitrate == 0 && video->VideoQuality > 0
                                                  ? QStringLiteral("CRF %1").arg(video->VideoQuality)
                                                  : QString::number(video->VideoBitrate));
        EXPECT_EQ(w->lblFrameRate->text().count('.'), 1);
        EXPECT_EQ(w->lblFrameRate->text().section('.', 1).size(), 2);
      } else {
        EXPECT_TRUE(w->lblFrameSize->text().isEmpty());
        EXPECT_TRUE(w->lblVideoEncoder->text().isEmpty());
      }
    }
  }
  // Shortest decimal forms of the audio bit rate.
  TAVCustomAudioProfile* amr = nullptr;
  for (int i = 0; i < Catalogue.ProfileCount() && !amr; ++i)
    if (!dynamic_cast<TAVCustomVideoProfile*>(Catalogue.Profiles(i)))
      amr = dynamic_cast<TAVCustomAudioProfile*>(Catalogue.Profiles(i));
  ASSERT_NE(amr, nullptr);
  amr->AudioBitrate = 12.2;
  w->cbCategories->setCurrentIndex(w->cbCategories->findText(QString::fromStdString(amr->Category())));
  w->cbProfiles->setCurrentIndex(w->cbProfiles->findText(QString::fromStdString(amr->Description())));
  EXPECT_EQ(w->lblAudioBitrate->text(), "12.2");
}

TEST_F(WizardTest, TargetIsDerivedNextToTheSourceFollowsTheProfileAndIsReRooted) {
  const std::string source = Dir + "/v/clip.mkv";
  fs::create_directories(Dir + "/v");
  fs::copy_file(ShortClip(), source);
  TConvertedNode phone;
  phone.Category = "手机";
  phone.Folder = Dir + "/e/out";
  Db->NewCategory(phone, 1);

  auto w = NewWizard();
  ChooseProfile(*w, "MP4", ProfileWith("MP4", ".mp4"));
  ASSERT_TRUE(w->AcceptBrowsedSource(QString::fromStdString(source)));
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/v/clip.mp4");
  ChooseProfile(*w, "AVI", ProfileWith("AVI", ".avi"));
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/v/clip.avi");

  // The picker: the root again changes nothing; another category re-roots.
  w->FCategoryEdit->DropDown();
  QTest::keyClick(w->FCategoryEdit->PopupTree()->Tree(), Qt::Key_Return);
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/v/clip.avi");
  w->FCategoryEdit->DropDown();
  w->FCategoryEdit->PopupTree()->Tree()->expandAll();
  QTest::keyClick(w->FCategoryEdit->PopupTree()->Tree(), Qt::Key_Down);
  EXPECT_EQ(w->FCategoryEdit->CategoryId(), phone.CategoryId);
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/e/out/clip.avi");
  ChooseProfile(*w, "MP4", ProfileWith("MP4", ".mp4"));
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/e/out/clip.mp4");

  // The image sequence pattern.
  for (int c = 0; c < w->cbCategories->count(); ++c) {
    w->cbCategories->setCurrentIndex(c);
    for (int p = 0; p < w->cbProfiles->count(); ++p) {
      w->cbProfiles->setCurrentIndex(p);
      EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/e/out/clip" + w->Profile()->Extension());
    }
  }

  const auto settings = w->GetConversionSettings();
  EXPECT_EQ(settings->SourceFile, source);
  EXPECT_EQ(settings->CategoryId, phone.CategoryId);
  EXPECT_EQ(settings->Profile, w->Profile()->Description());
}

TEST_F(WizardTest, TheSourceIsNeverProposedNorAcceptedAsTheTarget) {
  const std::string source = Dir + "/v/clip.avi";
  fs::create_directories(Dir + "/v");
  fs::create_directories(Dir + "/x");
  fs::copy_file(ShortClip(), source);
  auto w = NewWizard();
  ASSERT_EQ(w->cbCategories->currentText(), "AVI");
  ASSERT_EQ(w->Profile()->Extension(), ".avi");
  ASSERT_TRUE(w->AcceptBrowsedSource(QString::fromStdString(source)));
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/v/clip (1).avi");
  // Coming back to the source's folder through a category numbers the name too.
  ChooseProfile(*w, "MP4", ProfileWith("MP4", ".mp4"));
  w->edtTarget->setText(QString::fromStdString(Dir + "/x/clip.mp4"));
  ChooseProfile(*w, "AVI", ProfileWith("AVI", ".avi"));
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/x/clip.avi");
  w->FCategoryEdit->SetCategoryPath(Dir + "/v");
  w->FCategoryEdit->SetText("v");
  EXPECT_EQ(w->TargetFile().toStdString(), Dir + "/v/clip (1).avi");

  // Typed in, also through a link, it is refused and the wizard stays open.
  fs::create_symlink(source, Dir + "/v/link.avi");
  for (const std::string& typed : {source, Dir + "/v/link.avi", Dir + "/x/../v/clip.avi"}) {
    w->edtTarget->setText(QString::fromStdString(typed));
    w->UpdateControls();
    QTest::mouseClick(w->btnFinish, Qt::LeftButton);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->result(), QDialog::Rejected);
  }
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>(3, "Target file is the same as the source file"));
  w->edtTarget->setText(QString::fromStdString(Dir + "/v/clip (1).avi"));
  QTest::mouseClick(w->btnFinish, Qt::LeftButton);
  EXPECT_EQ(w->result(), QDialog::Accepted);
}

// Every profile's name fits in the list's field (its drop-down is as wide as
// its widest entry by itself).
TEST_F(WizardTest, TheProfileListShowsWholeNames) {
  auto w = NewWizard();
  gui::WaitIdle();
  for (int c = 0; c < w->cbCategories->count(); ++c) {
    w->cbCategories->setCurrentIndex(c);
    gui::WaitIdle();
    QStyleOptionComboBox option;
    option.initFrom(w->cbProfiles);
    option.rect = w->cbProfiles->rect();
    const QRect field = w->cbProfiles->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                               QStyle::SC_ComboBoxEditField, w->cbProfiles);
    for (int p = 0; p < w->cbProfiles->count(); ++p) {
      const QString name = w->cbProfiles->itemText(p);
      const int needed = w->cbProfiles->fontMetrics().horizontalAdvance(name);
      EXPECT_GE(field.width(), needed) << name.toStdString();
    }
  }
}

TEST_F(WizardTest, FinishingNeedsAnExistingSourceATargetAndAProfile) {
  auto w = NewWizard();
  // A dropped name is taken without probing; while it does not exist the
  // preview stays off and finishing is impossible.
  w->SetSourceFile(QString::fromStdString(Dir + "/gone.avi"));
  EXPECT_EQ(w->SourceFile().toStdString(), Dir + "/gone.avi");
  EXPECT_TRUE(w->TargetFile().isEmpty());
  w->UpdateControls();
  EXPECT_FALSE(w->avPreview->Active());
  EXPECT_FALSE(w->btnFinish->isEnabled());

  w->SetSourceFile(QString::fromStdString(ShortClip()));
  w->UpdateControls();
  EXPECT_TRUE(w->CanFinish());
  EXPECT_TRUE(w->btnFinish->isEnabled());
  EXPECT_TRUE(w->btnNext->isEnabled());
  EXPECT_TRUE(w->avPreview->Active());
  EXPECT_TRUE(w->tbRange->isEnabled());
  w->edtTarget->clear();
  EXPECT_FALSE(w->CanFinish());
  QTest::keyClicks(w->edtTarget, "   ");
  EXPECT_FALSE(w->CanFinish());
  // The 300 ms timer brings the buttons along.
  ASSERT_TRUE(gui::WaitUntil([&] { return !w->btnFinish->isEnabled(); }, 2000));
  EXPECT_FALSE(w->btnNext->isEnabled());
  QTest::mouseClick(w->btnFinish, Qt::LeftButton);
  EXPECT_TRUE(w->isVisible());
  // Choosing a profile does not touch a blank target.
  w->cbProfiles->setCurrentIndex(w->cbProfiles->count() - 1);
  EXPECT_EQ(w->TargetFile(), "   ");
}

TEST_F(WizardTest, BrowsedSourcesAreProbedAndAudioOnlyHasNoRange) {
  auto w = NewWizard();
  const std::string text = Dir + "/notes.avi";
  fixtures::RunCommand("printf 'not a video' > " + fixtures::ShellQuote(text));
  ASSERT_TRUE(w->AcceptBrowsedSource(QString::fromStdString(ShortClip())));
  EXPECT_FALSE(w->AcceptBrowsedSource(QString::fromStdString(text)));
  EXPECT_EQ(Errors.Messages(), std::vector<std::string>{"Invalid Video/Audio File"});
  EXPECT_EQ(w->SourceFile().toStdString(), ShortClip());
  EXPECT_FALSE(w->AcceptBrowsedSource(QString::fromStdString(Dir + "/missing.avi")));
  EXPECT_EQ(w->SourceFile().toStdString(), ShortClip());

  ASSERT_TRUE(w->AcceptBrowsedSource(QString::fromStdString(ToneOnly())));
  w->UpdateControls();
  EXPECT_FALSE(w->avPreview->Active());
  EXPECT_FALSE(w->tbRange->isEnabled());
  EXPECT_FALSE(w->btnSetEnd->isEnabled());
  EXPECT_TRUE(w->CanFinish());  // a conversion without a range
  EXPECT_EQ(Errors.Messages().size(), 2u);
}

TEST_F(WizardTest, TheRangeIsSetOnThePreviewsTrackBar) {
  auto w = NewWizard();
  w->SetSourceFile(QString::fromStdString(RangeClip()));
  w->UpdateControls();
  ASSERT_TRUE(w->avPreview->Active());
  EXPECT_EQ(w->lblDuration->text(), "0:1:15");
  EXPECT_EQ(w->tbRange->maximum(), 75000);
  const QImage first = w->avPreview->Bitmap();
  EXPECT_EQ(first.size(), QSize(160, 120));

  w->tbRange->setValue(20000);
  EXPECT_NEAR(w->avPreview->timestamp(), 20.0, 1e-9);
  EXPECT_NE(w->avPreview->Bitmap(), first);  // testsrc2 moves
  QTest::mouseClick(w->btnSetStart, Qt::LeftButton);
  EXPECT_EQ(w->Converter().ConvertOptions().StartTime(), 20000000);
  EXPECT_EQ(w->Converter().ConvertOptions().RecordingTime(), INT64_MAX);
  EXPECT_EQ(w->lblStart->text(), "0:0:20");

  w->tbRange->setValue(10500);
  QTest::mouseClick(w->btnSetStart, Qt::LeftButton);
  w->tbRange->setValue(70000);
  QTest::mouseClick(w->btnSetEnd, Qt::LeftButton);
  EXPECT_EQ(w->Converter().ConvertOptions().StartTime(), 10500000);
  EXPECT_EQ(w->Converter().ConvertOptions().RecordingTime(), 59500000);
  EXPECT_EQ(w->lblStart->text(), "0:0:10");
  EXPECT_EQ(w->lblEnd->text(), "0:1:10");

  // A new source resets the selection but not the labels or the options.
  w->SetSourceFile(QString::fromStdString(ShortClip()));
  EXPECT_EQ(w->Range().SelStart, 0);
  EXPECT_EQ(w->Range().SelEnd, 0);
  EXPECT_EQ(w->lblStart->text(), "0:0:10");
  EXPECT_EQ(w->Converter().ConvertOptions().RecordingTime(), 59500000);
  EXPECT_EQ(w->tbRange->maximum(), 2000);
  EXPECT_TRUE(Errors.Messages().empty());
}

TEST_F(WizardTest, TheFilterPageAddsEditsDeletesAndBuildsTheChain) {
  auto dialogs = InstallFilterDialogs();
  auto w = NewWizard();
  w->SetSourceFile(QString::fromStdString(ShortClip()));
  w->UpdateControls();
  QTest::mouseClick(w->btnNext, Qt::LeftButton);
  EXPECT_EQ(w->CurrentPage(), 1);
  EXPECT_EQ(w->lblTitle->text(), "过滤器设置");
  EXPECT_TRUE(w->btnBack->isVisible());
  EXPECT_EQ(w->btnBack->text(), "< 返回 (&B)");
  EXPECT_EQ(w->btnNewFilter->toolTip(), "新建过滤器");
  EXPECT_EQ(w->btnEditFilter->toolTip(), "编辑过滤器");
  QStringList kinds;
  for (QAction* a : w->btnNewFilter->menu()->actions()) kinds << a->text();
  EXPECT_EQ(kinds, (QStringList{"添加标准过滤器", "添加图片水印", "添加文本水印", "添加字幕文件"}));
  EXPECT_EQ(w->BuildFilterText(), "");

  // Cancelled creation adds nothing.
  {
    gui::TNextModal cancel([](QWidget* Modal) { Modal->close(); });
    w->btnNewFilter->menu()->actions()[0]->trigger();
    EXPECT_TRUE(cancel.Shown());
  }
  EXPECT_EQ(w->FilterCount(), 0);
  EXPECT_EQ(w->lvFilters->count(), 0);
  w->UpdateControls();
  EXPECT_FALSE(w->btnEditFilter->isEnabled());
  EXPECT_FALSE(w->btnDeleteFilter->isEnabled());

  auto flip = std::make_unique<TVideoStdFilter>();
  flip->SetVerticalFilp(true);
  const std::string flipText = flip->GetFilterText();
  const std::string flipName = flip->GetFilterName();
  w->AddFilter(std::move(flip));
  const std::string logoFile = Dir + "/my logo.png";
  fixtures::RunCommand("ffmpeg -v error -y -f lavfi -i color=c=red:size=16x16 -frames:v 1 " + fixtures::ShellQuote(logoFile));
  auto logo = std::make_unique<TLogoFilter>();
  logo->SetLogoFile(logoFile);
  logo->SetX(4);
  const std::string logoText = logo->GetFilterText();
  w->AddFilter(std::move(logo));
  ASSERT_EQ(w->lvFilters->count(), 2);
  EXPECT_EQ(w->lvFilters->item(0)->text().toStdString(), flipName);
  // The logo's path holds a space: that item is wrapped in one space each side.
  EXPECT_EQ(w->BuildFilterText(), flipText + ", " + logoText + " ");
  EXPECT_NE(logoText.find("my logo.png"), std::string::npos);

  // Editing by double click shows the entry's values; OK keeps the caption.
  w->lvFilters->setCurrentRow(1);
  w->UpdateControls();
  EXPECT_TRUE(w->btnEditFilter->isEnabled());
  {
    gui::TNextModal edit([&](QWidget* Modal) {
      auto* x = Modal->findChild<QSpinBox*>("edtX");
      ASSERT_NE(x, nullptr);
      EXPECT_EQ(x->value(), 4);
      x->setValue(9);
      gui::WaitIdle();
      Modal->findChild<QPushButton*>("btnOk")->click();
    });
    const QRect row = w->lvFilters->visualItemRect(w->lvFilters->item(1));
    QTest::mouseClick(w->lvFilters->viewport(), Qt::LeftButton, {}, row.center());
    QTest::mouseDClick(w->lvFilters->viewport(), Qt::LeftButton, {}, row.center());
    EXPECT_TRUE(edit.Shown());
  }
  EXPECT_NE(w->BuildFilterText().find("logo=9|"), std::string::npos) << w->BuildFilterText();

  // Delete: no question.
  w->lvFilters->setCurrentRow(0);
  QTest::mouseClick(w->btnDeleteFilter, Qt::LeftButton);
  EXPECT_EQ(w->FilterCount(), 1);
  EXPECT_EQ(w->BuildFilterText().front(), ' ');

  // Finishing from page 1 after going back leaves the filters out.
  QTest::mouseClick(w->btnBack, Qt::LeftButton);
  EXPECT_EQ(w->CurrentPage(), 0);
  QTest::mouseClick(w->btnFinish, Qt::LeftButton);
  EXPECT_EQ(w->result(), QDialog::Accepted);
  EXPECT_EQ(w->GetConversionSettings()->ConvertOptions().FilterOptions().VideoFilters(), "");
}

TEST_F(WizardTest, FinishingAppliesTheProfileAndTheThreadCount) {
  auto dialogs = InstallFilterDialogs();
  for (int threads : {0, 3}) {
    SCOPED_TRACE(threads);
    Config.PerformanceOptions().SetThreadCount(threads);
    auto w = NewWizard();
    w->Converter().ConvertOptions().SetInputFormat("avi");
    w->SetSourceFile(QString::fromStdString(ShortClip()));
    ChooseProfile(*w, "AVI", ProfileWith("AVI", ".avi"));
    w->UpdateControls();
    QTest::mouseClick(w->btnNext, Qt::LeftButton);
    auto negate = std::make_unique<TVideoStdFilter>();
    negate->SetNegate(true);
    const std::string chain = negate->GetFilterText();
    w->AddFilter(std::move(negate));
    QTest::mouseClick(w->btnFinish, Qt::LeftButton);
    ASSERT_EQ(w->result(), QDialog::Accepted);
    const auto s = w->GetConversionSettings();
    EXPECT_EQ(s->ConvertOptions().FilterOptions().VideoFilters(), chain);
    EXPECT_EQ(s->ConvertOptions().InputFormat(), "");
    const int expected = threads ? threads : static_cast<int>(std::thread::hardware_concurrency());
    EXPECT_EQ(s->ConvertOptions().ThreadCount(), expected);
    // What the profile writes, compared with the profile applied on its own.
    TAVConverter reference;
    w->Profile()->ApplyProfile(reference);
    EXPECT_FALSE(reference.ConvertOptions().VideoOptions().EncoderVideoCodecName().empty());
    EXPECT_EQ(s->ConvertOptions().VideoOptions().EncoderVideoCodecName(),
              reference.ConvertOptions().VideoOptions().EncoderVideoCodecName());
    EXPECT_EQ(s->ConvertOptions().AudioOptions().EncoderAudioCodecName(),
              reference.ConvertOptions().AudioOptions().EncoderAudioCodecName());
    EXPECT_EQ(s->TargetFile, ReplaceExtension(ShortClip(), ".avi"));
    EXPECT_EQ(s->Duration, 0.0);
    EXPECT_FALSE(s->IsCaptured);
  }
}

TEST_F(WizardTest, TheProfileEditorHandsBackItsCurrentProfileNeverADeletedOne) {
  auto w = NewWizard();
  w->SetSourceFile(QString::fromStdString(ShortClip()));
  // A new video profile in "MP4" is offered at once.
  {
    gui::TNextModal edit([](QWidget* Editor) {
      auto* categories = Editor->findChild<QListWidget*>("lvCategories");
      QListWidgetItem* mp4 = categories->findItems("MP4", Qt::MatchExactly).value(0);
      ASSERT_NE(mp4, nullptr);
      QTest::mouseClick(categories->viewport(), Qt::LeftButton, {}, categories->visualItemRect(mp4).center());
      gui::WaitIdle();
      auto* toolbar = Editor->findChild<QToolBar*>("tbProfiles");
      QTest::mouseClick(toolbar->widgetForAction(Editor->findChild<QAction*>("actNewVideoProfile")), Qt::LeftButton);
      Editor->close();
    });
    QTest::mouseClick(w->btnEditProfile, Qt::LeftButton);
    EXPECT_TRUE(edit.Shown());
  }
  EXPECT_EQ(w->cbCategories->currentText(), "MP4");
  EXPECT_EQ(w->cbProfiles->currentText(), "New Video Profile");
  EXPECT_EQ(w->Profile()->Category(), "MP4");
  EXPECT_EQ(w->TargetFile().toStdString(), ReplaceExtension(ShortClip(), w->Profile()->Extension()));

  // The current profile deleted in the editor: the wizard takes the first of its category.
  gui::TRecordingShell shell;  // answers the deletion's question with Yes
  {
    gui::TNextModal edit([](QWidget* Editor) {
      auto* toolbar = Editor->findChild<QToolBar*>("tbProfiles");
      gui::WaitIdle();
      QTest::mouseClick(toolbar->widgetForAction(Editor->findChild<QAction*>("actDeleteProfile")), Qt::LeftButton);
      Editor->close();
    });
    QTest::mouseClick(w->btnEditProfile, Qt::LeftButton);
    EXPECT_TRUE(edit.Shown());
  }
  EXPECT_EQ(Catalogue.FindByDescription("New Video Profile"), nullptr);
  EXPECT_EQ(w->cbCategories->currentText(), "MP4");
  ASSERT_NE(w->Profile(), nullptr);
  EXPECT_GE(Catalogue.IndexOf(w->Profile()), 0);
  EXPECT_EQ(w->cbProfiles->findText("New Video Profile"), -1);
}

TEST(PreviewControl, PaintsBlackUntilActiveThenTheFrameStretched) {
  harness::ErrorRecorder errors;
  const std::string solid =
      fixtures::Media("solid_blue.mkv", "-f lavfi -i color=c=0x2040c0:size=64x48:rate=5:duration=2 -c:v ffv1");
  TAVPreview preview;
  preview.resize(200, 100);
  preview.show();
  EXPECT_EQ(preview.grab().toImage().pixelColor(100, 50), QColor(Qt::black));
  preview.SetInputFile(QString::fromStdString(solid));
  preview.SetActive(true);
  ASSERT_TRUE(preview.Active());
  const QImage shown = preview.grab().toImage();
  for (QPoint at : {QPoint(1, 1), QPoint(198, 98), QPoint(100, 50)}) {
    const QColor c = shown.pixelColor(at);
    EXPECT_NEAR(c.red(), 0x20, 6);
    EXPECT_NEAR(c.green(), 0x40, 6);
    EXPECT_NEAR(c.blue(), 0xc0, 6);
  }
  preview.SetActive(false);
  EXPECT_EQ(preview.grab().toImage().pixelColor(100, 50), QColor(Qt::black));
  EXPECT_TRUE(errors.Messages().empty());

  TAVPreview designed(nullptr, true);
  designed.SetInputFile(QString::fromStdString(solid));
  designed.SetActive(true);
  EXPECT_FALSE(designed.Active());
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"You can only set active=true at runtime!"});
}

// The whole path: the wizard with a range and two filters, the task in the
// main window, the finished file.
TEST(WizardEndToEnd, ARangeAndTwoFiltersReachTheFinishedFile) {
  gui::FreshDataFolder();
  const std::string dir = fixtures::TempDir("wizard_end_to_end");
  const std::string source =
      fixtures::Media("solid_e2e.avi", "-f lavfi -i color=c=0x204080:size=320x240:rate=25:duration=5 -c:v mpeg4 -q:v 2");
  auto dialogs = InstallFilterDialogs();
  harness::ErrorRecorder errors;
  gui::TRunningApp app([](const std::vector<std::string>& Paths) { return ExecuteNewConversions(Paths); });
  std::string target;
  {
    gui::TNextModal drive([&](QWidget* Modal) {
      auto* w = qobject_cast<TFormNewConversion*>(Modal);
      ASSERT_NE(w, nullptr);
      w->cbCategories->setCurrentIndex(w->cbCategories->findText("AVI"));
      w->edtTarget->setText(QString::fromStdString(dir + "/range.avi"));
      target = w->TargetFile().toStdString();
      w->UpdateControls();  // as the timer does
      w->tbRange->setValue(1000);
      QTest::mouseClick(w->btnSetStart, Qt::LeftButton);
      w->tbRange->setValue(3000);
      QTest::mouseClick(w->btnSetEnd, Qt::LeftButton);
      w->UpdateControls();
      QTest::mouseClick(w->btnNext, Qt::LeftButton);
      auto negate = std::make_unique<TVideoStdFilter>();
      negate->SetNegate(true);
      w->AddFilter(std::move(negate));
      auto box = std::make_unique<TVideoStdFilter>();
      box->SetDrawBox(true);
      box->SetBX(0);
      box->SetBY(0);
      box->SetBWidth(40);
      box->SetBHeight(40);
      box->SetBColor("Red");
      w->AddFilter(std::move(box));
      QTest::mouseClick(w->btnFinish, Qt::LeftButton);
    });
    app.Form->AddConversion(QString::fromStdString(source));  // as a dropped file
    EXPECT_TRUE(drive.Shown());
  }
  TFrameList& list = *app.Views->List();
  ASSERT_EQ(list.Model().rowCount(), 1);
  auto* task = dynamic_cast<TAVTask*>(list.Model().ObjectAt(0));
  ASSERT_NE(task, nullptr);
  EXPECT_EQ(task->Status(), stRunning);
  ASSERT_TRUE(gui::WaitUntil([&] { return list.Model().rowCount() == 0; }));
  EXPECT_TRUE(errors.Messages().empty());

  ASSERT_TRUE(fs::exists(target)) << target;
  const std::string probed = fixtures::Probe(target, "format=duration");
  ASSERT_EQ(probed.rfind("duration=", 0), 0u) << probed;
  const double duration = fixtures::Real(probed.substr(probed.find('=') + 1));
  EXPECT_NEAR(duration, 2.0, 0.15);
  const std::string rgb = fixtures::RunCommand("ffmpeg -v error -ss 0.5 -i " + fixtures::ShellQuote(target) +
                                               " -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
  ASSERT_EQ(rgb.size(), 320u * 240u * 3u);
  auto pixel = [&](int X, int Y) {
    const size_t at = (static_cast<size_t>(Y) * 320 + static_cast<size_t>(X)) * 3;
    return QColor(static_cast<uint8_t>(rgb[at]), static_cast<uint8_t>(rgb[at + 1]), static_cast<uint8_t>(rgb[at + 2]));
  };
  // Negated 0x204080 away from the box; the box's edge red.
  const QColor inside = pixel(200, 150);
  EXPECT_NEAR(inside.red(), 0xdf, 12);
  EXPECT_NEAR(inside.green(), 0xbf, 12);
  EXPECT_NEAR(inside.blue(), 0x7f, 12);
  const QColor edge = pixel(1, 1);
  EXPECT_GT(edge.red(), 180);
  EXPECT_LT(edge.green(), 90);
  EXPECT_LT(edge.blue(), 90);
}

}  // namespace
