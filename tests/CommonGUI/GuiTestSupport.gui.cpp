#include "CommonGUI/GuiTestSupport.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

#include "support/Fixtures.h"

namespace gui {

void WaitIdle() {
  // Connected after the windows' own idle handlers, so it runs after them.
  QEventLoop loop;
  QObject::connect(QAbstractEventDispatcher::instance(), &QAbstractEventDispatcher::aboutToBlock,
                   &loop, &QEventLoop::quit);
  loop.exec();
}

void OnModal(std::function<void(QWidget* Modal)> Drive) {
  QTimer::singleShot(0, qApp, [Drive = std::move(Drive)]() mutable {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      Drive(modal);
      return;
    }
    OnModal(std::move(Drive));
  });
}

std::string FreshDataFolder() {
  const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
  const std::string folder =
      fixtures::TempDir(std::string("gui_") + test->test_suite_name() + "_" + test->name());
  setenv("XDG_DATA_HOME", folder.c_str(), 1);
  return folder;
}

void TRecordingHost::LoadViews(TFormMain&) {
  Calls.push_back("views");
  if (OnLoadViews) OnLoadViews();
}

void TRecordingHost::StartCurrentTask() {
  Calls.push_back("start");
  if (OnStart) OnStart();
}

TRecordingShell::TRecordingShell() {
  FPrevious = SetShellServices({
      [this](const QString& Question) {
        Questions << Question;
        return Answer;
      },
      [this](const QString& Target) { Opened << Target; },
      [this](const QString& Program, const QString& Folder) { Started << Program + "|" + Folder; },
  });
}

TRecordingShell::~TRecordingShell() { SetShellServices(FPrevious); }

TRecordingErrors::TRecordingErrors() {
  FPrevious = SetApplicationErrorHandler([this](const QString& Title, const QString& Text) {
    Titles << Title;
    Texts << Text;
  });
}

TRecordingErrors::~TRecordingErrors() { SetApplicationErrorHandler(FPrevious); }

}  // namespace gui
