// Draws the main window and the dialogs into PNG files for the documentation.
// Usage: QT_QPA_PLATFORM=offscreen quillbrook-screenshots OUTPUT_FOLDER
// Uses a throw-away data folder so no user file is touched.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

#include "Common/CConfiguration.h"
#include "Common/FOptions.gui.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/CAboutDlg.gui.h"
#include "CommonGUI/CCategoryDlg.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "app/screenshots/ScreenshotSupport.h"
#include "Components/VirtualTreeEdit.gui.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"
#include "Wizard/DEditProfile.gui.h"
#include "Wizard/FLogo.gui.h"
#include "Wizard/FOverlayText.gui.h"
#include "Wizard/FStdFilter.gui.h"
#include "Wizard/FSubtitle.gui.h"
#include "Wizard/FilterColorList.gui.h"

namespace {

constexpr int kPickerWidth = 300;

// The category picker with its drop-down open, drawn as one picture.
bool SavePicker(const QString& Folder, TPersistentManager& Database) {
  TDatabaseCategorySource source(Database);
  TConvertedNode child;
  child.Category = "手机视频";
  child.Folder = "/home/user/Conversion/Phone";
  Database.NewCategory(child, TConvertedNode::kRootCategoryId);

  QWidget frame;
  frame.setFixedWidth(kPickerWidth);
  TVirtualTreeEdit picker(&frame);
  picker.setFixedWidth(kPickerWidth);
  picker.SetCategorySource(&source);
  frame.show();
  picker.DropDown();
  picker.PopupTree()->Tree()->expandAll();
  WaitIdle();
  QPixmap field = picker.grab();
  QPixmap dropDown = picker.PopupTree()->grab();
  QPixmap both(kPickerWidth, field.height() + dropDown.height());
  both.fill(Qt::white);
  {
    QPainter painter(&both);
    painter.drawPixmap(0, 0, field);
    painter.drawPixmap(0, field.height(), dropDown);
  }
  const QString path = Folder + QStringLiteral("/category-picker.png");
  return both.save(path, "PNG");
}

// The four filter dialogs filled as a user would fill them. The files they
// name exist (in a fixed scratch folder) so that their confirm buttons show enabled.
bool SaveFilterDialogs(const QString& Folder) {
  const QString files = QDir::tempPath() + QStringLiteral("/quillbrook-screenshots");
  QDir().mkpath(files);
  auto existing = [&files](const char* Name) {
    const QString path = files + QLatin1Char('/') + QLatin1String(Name);
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    return path.toStdString();
  };

  TVideoStdFilter standard;
  standard.SetVerticalFilp(true);
  standard.SetRotate(true);
  standard.SetDegree(90);
  standard.SetDrawBox(true);
  standard.SetBX(16);
  standard.SetBY(16);
  standard.SetBWidth(320);
  standard.SetBHeight(40);
  standard.SetBColor("Red");
  TFormStdFilter standardForm;
  standardForm.Load(standard);
  bool ok = Save(standardForm, Folder, "filter-standard.png");

  TSubtitleFilter subtitles;
  subtitles.SetSubtitleFile(existing("movie.srt"));
  subtitles.SetFontFile(existing("wqy-microhei.ttf"));
  subtitles.SetFontColor(clYellow);
  subtitles.SetCodePage("GB18030");
  TFormSubtitleFilter subtitleForm;
  subtitleForm.Load(subtitles);
  ok = Save(subtitleForm, Folder, "filter-subtitle.png") && ok;

  TOverlayTextFilter text;
  text.SetText("Quillbrook\r\n\xE6\xB0\xB4\xE5\x8D\xB0\xE6\x96\x87\xE5\xAD\x97\r\n");
  text.SetFontFile(existing("wqy-microhei.ttf"));
  text.SetFontSize(32);
  text.SetX(10);
  text.SetY(10);
  text.SetFontColor(clYellow);
  text.SetBgColor(clBlue);
  TFormTextFilter textForm;
  textForm.Load(text);
  ok = Save(textForm, Folder, "filter-text.png") && ok;

  TLogoFilter logo;
  logo.SetX(20);
  logo.SetY(20);
  logo.SetLogoFile(existing("logo.png"));
  TFormLogoFilter logoForm;
  logoForm.Load(logo);
  ok = Save(logoForm, Folder, "filter-logo.png") && ok;

  QDir(files).removeRecursively();
  return ok;
}

// The profile editor on the built-in catalogue; it never saves here.
bool SaveProfileEditor(const QString& Folder) {
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);
  TFormEditProfile editor(catalogue, std::string());
  editor.SetCurrentProfile(catalogue.FindByDescription("MPEG-4 AVC"));
  return Save(editor, Folder, "profile-editor.png");
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER VIDEO_CLIP\n", argv[0]);
    return 2;
  }
  TThrowAwaySession session(argc, argv);
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  TAVConfiguration configuration;
  // A neutral folder, so the pictures do not show the building account.
  configuration.SetOutputFolder("/home/user/Conversion");
  bool ok = SaveTaskWindows(folder, configuration, QString::fromLocal8Bit(argv[2]));
  ok = SaveBatchWindows(folder, configuration, QString::fromLocal8Bit(argv[2])) && ok;

  TFormOptions options;
  options.SetOutputFolder(QString::fromStdString(configuration.OutputFolder()));
  ok = Save(options, folder, "options-general.png") && ok;
  options.findChild<QTreeWidget*>(QStringLiteral("tvSettings"))
      ->setCurrentItem(options.findChild<QTreeWidget*>(QStringLiteral("tvSettings"))->topLevelItem(1));
  ok = Save(options, folder, "options-performance.png") && ok;

  TFormCategory category;
  category.setWindowTitle(QStringLiteral("Category Properties"));
  category.SetCategoryName(QStringLiteral("已完成"));
  category.SetCategoryFolder(QString::fromStdString(configuration.OutputFolder()));
  ok = Save(category, folder, "category-dialog.png") && ok;

  TFormAbout about;
  ok = Save(about, folder, "about-dialog.png") && ok;

  QDir().mkpath(QString::fromStdString(TAVConfiguration::GetAppDataFolder()));
  TPersistentManager database(TAVConfiguration::GetAppDataFolder() + kDatabaseFileName,
                              configuration.OutputFolder());
  ok = SavePicker(folder, database) && ok;
  ok = SaveFilterDialogs(folder) && ok;
  ok = SaveProfileEditor(folder) && ok;
  return ok ? 0 : 1;
}
