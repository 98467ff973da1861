#include "CommonGUI/GuiTestSupport.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QEventLoop>
#include <QElapsedTimer>
#include <QThread>
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
      [this](const QString& Path, bool SelectFile) {
        Explored << (SelectFile ? QStringLiteral("select:") : QStringLiteral("folder:")) + Path;
      },
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

TRunningApp::TRunningApp(TConversionWizard Wizard) {
  Config.Load();
  Module = std::make_unique<TdmGlobal>(Config);
  TaskModel().PowerOff = [this] { ++PowerOffs; };
  Views = std::make_unique<TMainWindowViews>(*Module, std::move(Wizard));
  Form = std::make_unique<TFormMain>(*Views, Config);
  Form->setWindowState(Qt::WindowNoState);
  Form->show();
  WaitIdle();
}

TRunningApp::~TRunningApp() {
  Views->ReleaseTasks();
  Form.reset();
  Views.reset();
  Module.reset();
  Config.Save();
}

bool WaitUntil(const std::function<bool()>& Done, int TimeoutMs) {
  QElapsedTimer clock;
  clock.start();
  constexpr int kSliceMs = 20;
  while (!Done()) {
    if (clock.elapsed() > TimeoutMs) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, kSliceMs);
    QThread::msleep(1);
  }
  return true;
}

TNextModal::TNextModal(std::function<void(QWidget* Modal)> Drive, int TimeoutMs) {
  auto clock = std::make_shared<QElapsedTimer>();
  clock->start();
  auto poll = std::make_shared<std::function<void()>>();
  *poll = [poll, clock, Drive = std::move(Drive), shown = FShown, TimeoutMs] {
    if (QWidget* modal = QApplication::activeModalWidget()) {
      *shown = true;
      Drive(modal);
      *poll = nullptr;  // breaks the cycle
      return;
    }
    if (clock->elapsed() > TimeoutMs) {
      *poll = nullptr;
      return;
    }
    QTimer::singleShot(1, qApp, [poll] {
      // A copy runs, so clearing *poll inside does not destroy the running closure.
      if (auto step = *poll) step();
    });
  };
  QTimer::singleShot(0, qApp, [poll] {
    if (auto step = *poll) step();
  });
}

}  // namespace gui
