// The four filter dialogs on the offscreen platform, driven through the
// descriptors as the wizard runs them and directly.
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

#include "CommonGUI/GuiTestSupport.h"
#include "Wizard/CFilters.h"
#include "Wizard/FLogo.gui.h"
#include "Wizard/FOverlayText.gui.h"
#include "Wizard/FStdFilter.gui.h"
#include "Wizard/FSubtitle.gui.h"
#include "Wizard/FileNameField.gui.h"
#include "Wizard/FilterDialogs.gui.h"
#include "support/Fixtures.h"

namespace {

constexpr TColor kYellow = 65535;
constexpr TColor kBlue = 16711680;

class FilterDialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    FFolder = QString::fromStdString(fixtures::TempDir(std::string("dlg_") + test->name()));
  }
  // An existing file in the test's folder.
  QString MakeFile(const QString& Name) {
    const QString path = FFolder + QLatin1Char('/') + Name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("x");
    return path;
  }
  QString FFolder;
  TInstalledFilterDialogs FDialogs;
};

template <class TWidget>
TWidget* Child(QWidget* Parent, const char* Name) {
  auto* w = Parent->findChild<TWidget*>(QString::fromLatin1(Name));
  EXPECT_NE(w, nullptr) << Name;
  return w;
}

QPushButton* Ok(QWidget* Dialog) { return Child<QPushButton>(Dialog, "btnOk"); }

// Confirms a dialog the way a user does; a dialog that cannot be confirmed
// is a failure and is cancelled so the test goes on.
void Confirm(QWidget* Dialog) {
  gui::WaitIdle();
  QTest::mouseClick(Ok(Dialog), Qt::LeftButton);
  if (Dialog->isVisible()) {
    ADD_FAILURE() << "the dialog could not be confirmed";
    static_cast<QDialog*>(Dialog)->reject();
  }
}

void Cancel(QWidget* Dialog) { QTest::mouseClick(Child<QPushButton>(Dialog, "btnCancel"), Qt::LeftButton); }

// A click on the check box's indicator.
void Toggle(QCheckBox* Box) {
  QTest::mouseClick(Box, Qt::LeftButton, {}, QPoint(Box->height() / 2, Box->height() / 2));
}

bool OkEnabled(QWidget* Dialog) {
  gui::WaitIdle();
  return Ok(Dialog)->isEnabled();
}

// Runs the descriptor's dialog with Drive acting on it.
bool RunDialog(TAVFilter& Filter, bool Edit, std::function<void(QWidget*)> Drive) {
  gui::OnModal(std::move(Drive));
  return Edit ? Filter.ExecuteEdit() : Filter.ExecuteNew();
}

QStringList Labels(QWidget* Dialog) {
  QStringList labels;
  for (QLabel* l : Dialog->findChildren<QLabel*>())
    if (l->isVisibleTo(Dialog)) labels << l->text();
  labels.sort();
  return labels;
}

QStringList Sorted(QStringList List) {
  List.sort();
  return List;
}

TEST_F(FilterDialogsTest, StandardFiltersConfirmOnlyWithASwitchOnAndEnableTheirFields) {
  TFormStdFilter form;
  form.show();
  EXPECT_EQ(form.windowTitle(), "Standar Filters");
  EXPECT_EQ(Ok(&form)->text(), "Ok");
  EXPECT_TRUE(Ok(&form)->isDefault());
  EXPECT_EQ(Child<QPushButton>(&form, "btnCancel")->text(), "Cancel");
  EXPECT_EQ(Labels(&form), Sorted({"X", "Y", "Width", "Height", "Color", "Degrees"}));
  auto* degree = Child<QSpinBox>(&form, "edtDegree");
  EXPECT_EQ(degree->value(), 45);
  EXPECT_EQ(degree->minimum(), 0);
  EXPECT_EQ(degree->maximum(), 359);
  auto* colour = Child<QComboBox>(&form, "cbBoxColor");
  QStringList names;
  for (int i = 0; i < colour->count(); ++i) names << colour->itemText(i);
  EXPECT_EQ(names, (QStringList{"Black", "Maroon", "Green", "Olive", "Navy", "Purple", "Teal", "Gray", "Silver",
                                "Red", "Lime", "Yellow", "Blue", "Fuchsia", "Aqua", "White"}));
  EXPECT_EQ(colour->currentText(), "Black");

  EXPECT_FALSE(OkEnabled(&form));
  EXPECT_FALSE(degree->isEnabled());
  EXPECT_FALSE(Child<QWidget>(&form, "pnlBox")->isEnabled());
  for (const char* name : {"chkRotate", "chkDrawBox", "chkVerticalFlip", "chkHorizontalFlip", "chkNegate"}) {
    SCOPED_TRACE(name);
    auto* box = Child<QCheckBox>(&form, name);
    Toggle(box);
    ASSERT_TRUE(box->isChecked());
    EXPECT_TRUE(OkEnabled(&form));
    EXPECT_EQ(degree->isEnabled(), QString(name) == "chkRotate");
    EXPECT_EQ(Child<QWidget>(&form, "pnlBox")->isEnabled(), QString(name) == "chkDrawBox");
    Toggle(box);
    EXPECT_FALSE(OkEnabled(&form));
  }
}

TEST_F(FilterDialogsTest, StandardFiltersNewCopiesTheDialogsValuesAndADisabledDegree) {
  TVideoStdFilter filter;
  ASSERT_TRUE(RunDialog(filter, false, [](QWidget* Dialog) {
    auto* rotate = Child<QCheckBox>(Dialog, "chkRotate");
    rotate->setChecked(true);
    Child<QSpinBox>(Dialog, "edtDegree")->setValue(90);
    rotate->setChecked(false);  // the field is disabled but keeps its value
    Child<QCheckBox>(Dialog, "chkNegate")->setChecked(true);
    gui::WaitIdle();
    EXPECT_FALSE(Child<QSpinBox>(Dialog, "edtDegree")->isEnabled());
    Confirm(Dialog);
  }));
  EXPECT_TRUE(filter.Negate());
  EXPECT_FALSE(filter.Rotate());
  EXPECT_EQ(filter.Degree(), 90);
  EXPECT_EQ(filter.BColor(), "Black");
  EXPECT_EQ(filter.GetFilterText(), "negate");
}

TEST_F(FilterDialogsTest, StandardFiltersEditShowsEveryValueAndKeepsRed) {
  TVideoStdFilter filter;
  filter.SetVerticalFilp(true);
  filter.SetHorizontalFilip(true);
  filter.SetDrawBox(true);
  filter.SetRotate(true);
  filter.SetNegate(true);
  filter.SetBX(-5);
  filter.SetBY(7);
  filter.SetBWidth(100000);
  filter.SetBHeight(40);
  filter.SetBColor("Red");
  filter.SetDegree(300);
  const std::string before = filter.GetFilterText();
  QString shownColour;
  int shownX = 0, shownDegree = 0;
  ASSERT_TRUE(RunDialog(filter, true, [&](QWidget* Dialog) {
    shownColour = Child<QComboBox>(Dialog, "cbBoxColor")->currentText();
    shownX = Child<QSpinBox>(Dialog, "edtBoxX")->value();
    shownDegree = Child<QSpinBox>(Dialog, "edtDegree")->value();
    Confirm(Dialog);
  }));
  EXPECT_EQ(shownColour, "Red");
  EXPECT_EQ(shownX, -5);
  EXPECT_EQ(shownDegree, 300);
  EXPECT_EQ(filter.BColor(), "Red");
  EXPECT_EQ(filter.GetFilterText(), before);
  EXPECT_EQ(before, "vflip,hflip,drawbox=-5:7:100000:40:Red,negate,rotate=300");
}

TEST_F(FilterDialogsTest, CancelledCreationChangesNothing) {
  const QString font = MakeFile("a.ttf");
  const QString subtitles = MakeFile("a.srt");
  const QString picture = MakeFile("a.png");
  auto cancelAfter = [](std::function<void(QWidget*)> Fill) {
    return [Fill](QWidget* Dialog) {
      Fill(Dialog);
      gui::WaitIdle();
      EXPECT_TRUE(Ok(Dialog)->isEnabled());
      Cancel(Dialog);
    };
  };
  TVideoStdFilter std;
  EXPECT_FALSE(RunDialog(std, false, cancelAfter([](QWidget* D) { Child<QCheckBox>(D, "chkNegate")->setChecked(true); })));
  EXPECT_FALSE(std.Negate());
  EXPECT_EQ(std.Degree(), 0);
  EXPECT_EQ(std.BColor(), "");

  TOverlayTextFilter text;
  EXPECT_FALSE(RunDialog(text, false, cancelAfter([&](QWidget* D) {
    Child<QPlainTextEdit>(D, "memText")->setPlainText("Hi");
    Child<QLineEdit>(D, "edtFontFile")->setText(font);
  })));
  EXPECT_EQ(text.Text(), "");
  EXPECT_EQ(text.FontFile(), "");
  EXPECT_EQ(text.FontSize(), 0);
  EXPECT_EQ(text.BgColor(), 0u);

  TSubtitleFilter sub;
  EXPECT_FALSE(RunDialog(sub, false, cancelAfter([&](QWidget* D) {
    Child<QLineEdit>(D, "edtSubtitleFile")->setText(subtitles);
    Child<QLineEdit>(D, "edtFontFile")->setText(font);
  })));
  EXPECT_EQ(sub.SubtitleFile(), "");
  EXPECT_EQ(sub.FontColor(), 0u);

  TLogoFilter logo;
  logo.SetX(3);
  // Closing by other means than the buttons counts as cancel too.
  EXPECT_FALSE(RunDialog(logo, true, [&](QWidget* D) {
    Child<QLineEdit>(D, "edtLogoFile")->setText(picture);
    Child<QSpinBox>(D, "edtX")->setValue(99);
    static_cast<QDialog*>(D)->close();
  }));
  EXPECT_EQ(logo.X(), 3);
  EXPECT_EQ(logo.LogoFile(), "");
}

TEST_F(FilterDialogsTest, TextWatermarkStoresLinesWithBreaksAndCarriesBlue) {
  const QString font = MakeFile("wqy.ttf");
  TOverlayTextFilter filter;
  QStringList labels;
  ASSERT_TRUE(RunDialog(filter, false, [&](QWidget* Dialog) {
    EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("添加文字水印"));
    EXPECT_EQ(Ok(Dialog)->text(), QStringLiteral("确定"));
    EXPECT_EQ(Child<QPushButton>(Dialog, "btnCancel")->text(), QStringLiteral("放弃"));
    labels = Labels(Dialog);
    EXPECT_FALSE(Child<QComboBox>(Dialog, "cbBgColor")->isVisibleTo(Dialog));
    auto* size = Child<QSpinBox>(Dialog, "edtFontSize");
    EXPECT_EQ(size->value(), 16);
    EXPECT_EQ(size->singleStep(), 16);
    EXPECT_EQ(size->minimum(), 1);
    EXPECT_EQ(size->maximum(), 72);
    EXPECT_EQ(Child<QSpinBox>(Dialog, "edtX")->minimum(), 0);
    auto* memo = Child<QPlainTextEdit>(Dialog, "memText");
    auto* fontField = Child<QLineEdit>(Dialog, "edtFontFile");
    QTest::keyClicks(memo, "   ");
    fontField->setText(font);
    EXPECT_FALSE(OkEnabled(Dialog));  // spaces only
    memo->clear();
    QTest::keyClicks(memo, "Hi");
    fontField->setText(font + ".missing");
    EXPECT_FALSE(OkEnabled(Dialog));
    fontField->setText(font);
    Confirm(Dialog);
  }));
  EXPECT_EQ(labels, Sorted({QStringLiteral("文本输入"), QStringLiteral("字体文件"), QStringLiteral("字体颜色"),
                                 QStringLiteral("X,Y"), QStringLiteral("字体大小")}));
  EXPECT_EQ(filter.Text(), "Hi\r\n");
  EXPECT_EQ(filter.FontFile(), font.toStdString());
  EXPECT_EQ(filter.FontColor(), kYellow);
  EXPECT_EQ(filter.BgColor(), kBlue);
  EXPECT_EQ(filter.FontSize(), 16);
  EXPECT_NE(filter.GetFilterText().find("#fgcolor=0xFFFF00FF#bgcolor=0x0000FF00"), std::string::npos);
}

TEST_F(FilterDialogsTest, TextWatermarkEditRoundTrip) {
  TOverlayTextFilter filter;
  filter.SetText("a\r\nb 水印\r\n");
  filter.SetFontFile(MakeFile("f.ttf").toStdString());
  filter.SetFontSize(40);
  filter.SetX(12);
  filter.SetY(34);
  filter.SetFontColor(0x0000FF);  // Red
  filter.SetBgColor(0x123456);   // not one of the listed colours
  const std::string before = filter.GetFilterText();
  QString shown;
  ASSERT_TRUE(RunDialog(filter, true, [&](QWidget* Dialog) {
    shown = Child<QPlainTextEdit>(Dialog, "memText")->toPlainText();
    EXPECT_EQ(Child<QComboBox>(Dialog, "cbFontColor")->currentText(), "Red");
    Confirm(Dialog);
  }));
  EXPECT_EQ(shown, QStringLiteral("a\nb 水印"));
  EXPECT_EQ(filter.GetFilterText(), before);
  EXPECT_EQ(filter.BgColor(), 0x123456u);
  EXPECT_EQ(filter.Text(), "a\r\nb 水印\r\n");
}

TEST_F(FilterDialogsTest, MemoTextFormsLinesEachWithABreak) {
  EXPECT_EQ(MemoLinesText(""), "");
  EXPECT_EQ(MemoLinesText("Hi"), "Hi\r\n");
  EXPECT_EQ(MemoLinesText("Hi\n"), "Hi\r\n");
  EXPECT_EQ(MemoLinesText("a\n\nb"), "a\r\n\r\nb\r\n");
  EXPECT_EQ(MemoPlainText("a\r\n\r\nb\r\n"), "a\n\nb");
}

TEST_F(FilterDialogsTest, SubtitleDialogNeedsBothFilesAndStoresTheCodePageTrimmed) {
  const QString subtitles = MakeFile("movie.srt");
  const QString font = MakeFile("font.ttf");
  TSubtitleFilter filter;
  QWidget* focused = nullptr;
  QWidget* subtitleField = nullptr;
  QStringList pages;
  ASSERT_TRUE(RunDialog(filter, false, [&](QWidget* Dialog) {
    EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("字幕设置"));
    EXPECT_EQ(Labels(Dialog), Sorted({QStringLiteral("字幕文件"), QStringLiteral("字体文件"),
                                           QStringLiteral("字体颜色"), QStringLiteral("Code Page")}));
    focused = Dialog->focusWidget();
    subtitleField = Child<QLineEdit>(Dialog, "edtSubtitleFile");
    auto* codePage = Child<QComboBox>(Dialog, "cbCodePage");
    EXPECT_TRUE(codePage->isEditable());
    EXPECT_EQ(codePage->currentText(), "");
    for (int i = 0; i < codePage->count(); ++i) pages << codePage->itemText(i);
    EXPECT_EQ(Child<QComboBox>(Dialog, "cbFontColor")->currentText(), "Yellow");
    EXPECT_FALSE(OkEnabled(Dialog));
    Child<QLineEdit>(Dialog, "edtSubtitleFile")->setText(subtitles);
    EXPECT_FALSE(OkEnabled(Dialog));
    Child<QLineEdit>(Dialog, "edtFontFile")->setText(FFolder);  // a folder is not a font file
    EXPECT_FALSE(OkEnabled(Dialog));
    Child<QLineEdit>(Dialog, "edtFontFile")->setText('"' + font + '"');
    EXPECT_TRUE(OkEnabled(Dialog));
    // The font file goes away while the dialog is open.
    ASSERT_TRUE(QFile::remove(font));
    EXPECT_FALSE(OkEnabled(Dialog));
    MakeFile("font.ttf");
    codePage->setEditText("  GB18030 ");
    Confirm(Dialog);
  }));
  EXPECT_EQ(focused, subtitleField);
  ASSERT_EQ(pages.size(), 67);
  EXPECT_EQ(pages.first(), "ISO-2022-JP");
  EXPECT_EQ(pages[22], "cp1252");
  EXPECT_EQ(pages[39], "GB18030");
  EXPECT_EQ(pages[53], "UTF-8");
  EXPECT_EQ(pages.last(), "UTF-7");
  EXPECT_EQ(filter.SubtitleFile(), subtitles.toStdString());
  EXPECT_EQ(filter.FontFile(), font.toStdString());  // without the quotation marks
  EXPECT_EQ(filter.CodePage(), "GB18030");
  EXPECT_EQ(filter.FontColor(), kYellow);

  // Editing shows the values; an emptied code page means none.
  QString shownPage;
  ASSERT_TRUE(RunDialog(filter, true, [&](QWidget* Dialog) {
    shownPage = Child<QComboBox>(Dialog, "cbCodePage")->currentText();
    EXPECT_EQ(Child<QLineEdit>(Dialog, "edtSubtitleFile")->text(), subtitles);
    Child<QComboBox>(Dialog, "cbCodePage")->setEditText("   ");
    Child<QComboBox>(Dialog, "cbFontColor")->setCurrentText("Blue");
    Confirm(Dialog);
  }));
  EXPECT_EQ(shownPage, "GB18030");
  EXPECT_EQ(filter.CodePage(), "");
  EXPECT_EQ(filter.FontColor(), kBlue);
  EXPECT_EQ(filter.GetFilterText().find("codepage"), std::string::npos);
}

TEST_F(FilterDialogsTest, LogoDialogNeedsAnExistingPictureAndRoundTrips) {
  const QString picture = MakeFile("logo.png");
  TLogoFilter filter;
  ASSERT_TRUE(RunDialog(filter, false, [&](QWidget* Dialog) {
    EXPECT_EQ(Dialog->windowTitle(), QStringLiteral("添加图片水印"));
    EXPECT_EQ(Labels(Dialog), Sorted({"X", "Y", QStringLiteral("文件路径")}));
    EXPECT_FALSE(OkEnabled(Dialog));
    Child<QLineEdit>(Dialog, "edtLogoFile")->setText(picture + "x");
    EXPECT_FALSE(OkEnabled(Dialog));
    Child<QLineEdit>(Dialog, "edtLogoFile")->setText(picture);
    Child<QSpinBox>(Dialog, "edtX")->setValue(-20);
    Child<QSpinBox>(Dialog, "edtY")->setValue(30);
    Confirm(Dialog);
  }));
  EXPECT_EQ(filter.GetFilterText(), "logo=-20|30|" + picture.toStdString());
  ASSERT_TRUE(RunDialog(filter, true, [&](QWidget* Dialog) {
    EXPECT_EQ(Child<QSpinBox>(Dialog, "edtX")->value(), -20);
    Confirm(Dialog);
  }));
  EXPECT_EQ(filter.GetFilterText(), "logo=-20|30|" + picture.toStdString());
}

TEST_F(FilterDialogsTest, IntegerFieldWithoutANumberReadsAsItsMinimum) {
  TFormTextFilter text;
  text.show();
  for (const char* name : {"edtX", "edtFontSize"}) Child<QSpinBox>(&text, name)->findChild<QLineEdit*>()->setText("");
  TOverlayTextFilter f;
  text.Store(f);
  EXPECT_EQ(f.X(), 0);
  EXPECT_EQ(f.FontSize(), 1);
  TFormLogoFilter logo;
  logo.show();
  Child<QSpinBox>(&logo, "edtY")->findChild<QLineEdit*>()->setText("-");
  TLogoFilter l;
  l.SetY(5);
  logo.Store(l);
  EXPECT_EQ(l.Y(), 0);
}

TEST_F(FilterDialogsTest, BrowseFiltersBecomeQtFilters) {
  EXPECT_EQ(QtFileFilter("SSA Files(*.ssa)|*.ssa|ASS Files(*.ass)|*.ass|SRT Files(*.srt)|*.srt|"
                         "Other Subtitle Files(*.txt)|*.txt"),
            "SSA Files (*.ssa);;ASS Files (*.ass);;SRT Files (*.srt);;Other Subtitle Files (*.txt)");
  EXPECT_EQ(QtFileFilter(kFontFileFilter), "Font File (*.ttf)");
  EXPECT_EQ(QtFileFilter("PNG files (*.png)|*.png"), "PNG files (*.png)");
}

}  // namespace
