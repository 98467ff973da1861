// A range chosen on the wizard's preview: the finished file begins with the
// picture the preview showed at the start, decoded on from the key frame
// before it (checked against the ffmpeg CLI's decode of the output).
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>

#include <gtest/gtest.h>

#include "CommonGUI/AVNodes.h"
#include "CommonGUI/FListFrame.gui.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/TaskListModel.gui.h"
#include "Components/AVPreview.gui.h"
#include "Wizard/FNewConversion.gui.h"
#include "Wizard/FileNameField.gui.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"
#include "support/Pictures.h"

namespace {

using fixtures::ShellQuote;

// The first picture of File as the ffmpeg CLI decodes it, 320x240 RGB.
std::string FirstPicture(const std::string& File, const std::string& Select = "") {
  return fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(File) + " -vf " +
                              ShellQuote((Select.empty() ? "" : "select=" + Select + ",") + "scale=320:240") +
                              " -frames:v 1 -f rawvideo -pix_fmt rgb24 -");
}

TEST(WizardRange, TheFinishedFileBeginsWithThePreviewsPicture) {
  gui::FreshDataFolder();
  const std::string dir = fixtures::TempDir("wizard_range");
  // Key frames every 5 s with B-frames: 7.4 s lies between two.
  const std::string source = fixtures::Media(
      "wizard_gop5.mp4", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=12 -c:v libx264 -preset ultrafast "
                         "-g 125 -keyint_min 125 -sc_threshold 0 -bf 3 -pix_fmt yuv420p");
  harness::ErrorRecorder errors;
  gui::TRunningApp app([](const std::vector<std::string>& Paths) { return ExecuteNewConversions(Paths); });
  std::string target;
  std::string preview;
  {
    gui::TNextModal drive([&](QWidget* Modal) {
      auto* w = qobject_cast<TFormNewConversion*>(Modal);
      ASSERT_NE(w, nullptr);
      w->edtTarget->setText(QString::fromStdString(dir + "/range.mkv"));
      target = w->TargetFile().toStdString();
      w->UpdateControls();
      w->tbRange->setValue(7400);
      const QImage shown = w->avPreview->Bitmap().convertToFormat(QImage::Format_RGB888);
      for (int y = 0; y < shown.height(); ++y)
        preview.append(reinterpret_cast<const char*>(shown.constScanLine(y)), static_cast<size_t>(shown.width()) * 3);
      QTest::mouseClick(w->btnSetStart, Qt::LeftButton);
      w->tbRange->setValue(9000);
      QTest::mouseClick(w->btnSetEnd, Qt::LeftButton);
      w->UpdateControls();
      QTest::mouseClick(w->btnFinish, Qt::LeftButton);
    });
    app.Form->AddConversion(QString::fromStdString(source));
    EXPECT_TRUE(drive.Shown());
  }
  TFrameList& list = *app.Views->List();
  ASSERT_TRUE(gui::WaitUntil([&] { return list.Model().rowCount() == 0; }));
  EXPECT_TRUE(errors.Messages().empty());

  const std::string first = FirstPicture(target);
  ASSERT_EQ(preview.size(), 320u * 240u * 3u);
  ASSERT_EQ(first.size(), preview.size());
  // The preview's picture, not the key frame at 5 s the decoding started from.
  const double same = fixtures::Psnr(first, preview);
  EXPECT_GT(same, 30.0);
  EXPECT_GT(same, fixtures::Psnr(first, FirstPicture(source, "eq(n\\,125)")) + 3.0);
  // And the preview's picture is the source's at 7.4 s (frame 185), not two frames off.
  const double at = fixtures::Psnr(preview, FirstPicture(source, "eq(n\\,185)"));
  EXPECT_GT(at, fixtures::Psnr(preview, FirstPicture(source, "eq(n\\,183)")) + 3.0);
  EXPECT_GT(at, fixtures::Psnr(preview, FirstPicture(source, "eq(n\\,187)")) + 3.0);
}

}  // namespace
