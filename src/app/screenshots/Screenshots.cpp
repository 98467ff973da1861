// Draws the main window and the dialogs into PNG files for the documentation.
// Usage: QT_QPA_PLATFORM=offscreen quillbrook-screenshots OUTPUT_FOLDER
// Uses a throw-away data folder so no user file is touched.
#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QDir>
#include <QPainter>
#include <QTemporaryDir>
#include <QTreeWidget>

#include <cstdio>
#include <cstdlib>

#include "Common/CConfiguration.h"
#include "Common/FOptions.gui.h"
#include "Common/PersistentManager.h"
#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/CAboutDlg.gui.h"
#include "CommonGUI/CCategoryDlg.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "Components/VirtualTreeEdit.gui.h"

namespace {

constexpr int kWindowWidth = 1280;
constexpr int kWindowHeight = 800;
constexpr int kPickerWidth = 300;

class TNoTasks : public TFormMainHost {
 public:
  std::optional<TAVTaskStatus> CurrentTaskStatus() const override { return std::nullopt; }
  std::vector<TAVTaskStatus> SelectedTaskStatuses() const override { return {}; }
  void LoadViews(TFormMain&) override {}
  void AddConversion(const std::string&) override {}
  void ResumeCurrentTask() override {}
  void StartCurrentTask() override {}
  void PauseCurrentTask() override {}
  void StopSelectedTasks() override {}
};

// Lets the windows settle and their enabling rules run, as they do when idle.
void WaitIdle() {
  QEventLoop loop;
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   &loop, &QEventLoop::quit);
  loop.exec();
}

bool Save(QWidget& Widget, const QString& Folder, const char* Name) {
  Widget.show();
  WaitIdle();
  const QString path = Folder + QLatin1Char('/') + QLatin1String(Name);
  if (!Widget.grab().save(path, "PNG")) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
  }
  Widget.hide();
  return true;
}

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

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_FOLDER\n", argv[0]);
    return 2;
  }
  QTemporaryDir data;
  setenv("XDG_DATA_HOME", qPrintable(data.path()), 1);
  QApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  const QString folder = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(folder);

  TAVConfiguration configuration;
  // A neutral folder, so the pictures do not show the building account.
  configuration.SetOutputFolder("/home/user/Conversion");
  TNoTasks host;
  TFormMain form(host, configuration);
  form.setWindowState(Qt::WindowNoState);
  form.resize(kWindowWidth, kWindowHeight);
  bool ok = Save(form, folder, "main-window.png");

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
  return ok ? 0 : 1;
}
