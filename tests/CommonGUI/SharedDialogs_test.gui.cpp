// The message boxes and the main-thread hand-off over Qt's event loop.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/IdleUpdate.gui.h"
#include "CommonGUI/SharedDialogs.gui.h"
#include "Converter/avlib.h"

namespace {

struct TBox {
  QString Title, Text;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

// Records the next message box and presses Button on it.
void AnswerBox(TBox& Seen, QMessageBox::StandardButton Button) {
  gui::OnModal([&Seen, Button](QWidget* Modal) {
    auto* box = qobject_cast<QMessageBox*>(Modal);
    ASSERT_NE(box, nullptr);
    Seen = {box->windowTitle(), box->text(), box->icon(), box->standardButtons()};
    QTest::mouseClick(box->button(Button), Qt::LeftButton);
  });
}

TEST(SharedDialogs, ConfirmDialogAsksWithYesAndNo) {
  TBox seen;
  AnswerBox(seen, QMessageBox::Yes);
  EXPECT_TRUE(ConfirmDialog("Do you want to delete the selected category?"));
  EXPECT_EQ(seen.Title, "Warning");
  EXPECT_EQ(seen.Text, "Do you want to delete the selected category?");
  EXPECT_EQ(seen.Icon, QMessageBox::Question);
  EXPECT_EQ(seen.Buttons, QMessageBox::Yes | QMessageBox::No);
  AnswerBox(seen, QMessageBox::No);
  EXPECT_FALSE(ConfirmDialog("again?"));
}

TEST(SharedDialogs, ErrorBoxFromAWorkerIsShownOnTheMainThreadWhileTheWorkerWaits) {
  TErrorMessageHandler previous = SetErrorMessageHandler(nullptr);
  InstallErrorMessageBox();
  TBox seen;
  AnswerBox(seen, QMessageBox::Ok);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    ShowErrorMessage("Invalid value for Option!");
    returned = true;
  });
  MainThread().WaitUntil([&] { return returned.load(); });
  worker.join();
  SetErrorMessageHandler(previous);
  EXPECT_EQ(seen.Title, "Error");
  EXPECT_EQ(seen.Text, "Invalid value for Option!");
  EXPECT_EQ(seen.Icon, QMessageBox::Critical);
  EXPECT_EQ(seen.Buttons, QMessageBox::Ok);
}

TEST(QtMainThreadDispatcher, RunsHandOffsOnTheMainThreadAndCarriesErrorsBack) {
  TMainThreadDispatcher& main = MainThread();
  EXPECT_TRUE(main.IsMainThread());
  QThread* ranOn = nullptr;
  std::string caught;
  std::vector<int> posted;
  std::atomic<bool> done{false};
  std::thread worker([&] {
    EXPECT_FALSE(main.IsMainThread());
    main.RunAndWait([&] { ranOn = QThread::currentThread(); });
    try {
      main.RunAndWait([] { throw Exception("refused"); });
    } catch (const Exception& e) {
      caught = e.what();
    }
    main.Post([&] { posted.push_back(1); });
    main.Post([&] { posted.push_back(2); });
    main.Post([&] { done = true; });
  });
  main.WaitUntil([&] { return done.load(); });
  worker.join();
  EXPECT_EQ(ranOn, QThread::currentThread());
  EXPECT_EQ(caught, "refused");
  EXPECT_EQ(posted, (std::vector<int>{1, 2}));
}

TEST(QtMainThreadDispatcher, ProgressOfTwoWorkersIsServedEvenFromANestedLoop) {
  TMainThreadDispatcher& main = MainThread();
  constexpr int kHandOffs = 2000;
  constexpr int kGiveUpMs = 60000;
  int counts[2] = {0, 0};  // main thread only
  int offMain = 0;
  bool gaveUp = false;
  std::string caught;
  std::atomic<int> finished{0};
  QTimer giveUp;
  giveUp.setSingleShot(true);
  QObject::connect(&giveUp, &QTimer::timeout, [&] { gaveUp = true; });
  // Worker 0's first notification runs a nested event loop, as an error box
  // shown by a progress handler does, until worker 1 has made all of its own.
  auto work = [&](int w) {
    for (int i = 0; i < kHandOffs; ++i)
      main.RunProgress([&, w, i] {
        if (!main.IsMainThread()) ++offMain;
        ++counts[w];
        if (w != 0 || i != 0) return;
        giveUp.start(kGiveUpMs);
        while (counts[1] < kHandOffs && !gaveUp) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
      });
    try {
      main.RunProgress([] { throw Exception("refused"); });
    } catch (const Exception& e) {
      if (w == 1) caught = e.what();
    }
    ++finished;
  };
  std::thread a(work, 0), b(work, 1);
  main.WaitUntil([&] { return finished.load() == 2; });
  a.join();
  b.join();
  EXPECT_FALSE(gaveUp);
  EXPECT_EQ(counts[0], kHandOffs);
  EXPECT_EQ(counts[1], kHandOffs);
  EXPECT_EQ(offMain, 0);
  EXPECT_EQ(caught, "refused");
}

TEST(QtMainThreadDispatcher, ProgressWakesLeaveTheEnablingRulesAloneOtherEventsRunThem) {
  TMainThreadDispatcher& main = MainThread();
  constexpr int kHandOffs = 1000;
  QObject context;
  int runs = 0;
  OnIdle(&context, [&runs] { ++runs; });
  gui::WaitIdle();
  const int before = runs;
  bool done = false;
  std::thread worker([&] {
    for (int i = 0; i < kHandOffs; ++i) main.RunProgress([] {});
    main.Post([&done] { done = true; });
  });
  while (!done) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  worker.join();
  // One run for the posted call; each hand-off woke the loop on its own.
  EXPECT_LT(runs - before, kHandOffs / 10);
  const int afterProgress = runs;
  QTimer::singleShot(0, [] {});
  gui::WaitIdle();
  EXPECT_GT(runs, afterProgress);
  // A wake with no event at all runs them too (state may change without one).
  const int afterEvent = runs;
  gui::WaitIdle();
  EXPECT_GT(runs, afterEvent);
}

TEST(IdleRules, ARuleThatRunsAModalLoopMayAddAndDropRules) {
  int victimRuns = 0, afterRuns = 0, addedRuns = 0;
  bool nested = false;
  auto victim = std::make_unique<QObject>();
  QObject first, after, added;
  OnIdle(victim.get(), [&victimRuns] { ++victimRuns; });
  OnIdle(&first, [&] {
    if (nested) return;
    nested = true;
    victim.reset();
    OnIdle(&added, [&addedRuns] { ++addedRuns; });
    gui::WaitIdle();  // as a modal window's loop does
  });
  OnIdle(&after, [&afterRuns] { ++afterRuns; });
  for (int i = 0; i < 3 && !nested; ++i) gui::WaitIdle();
  ASSERT_TRUE(nested);
  EXPECT_EQ(victimRuns, 1);
  // Once in the modal loop and once in the run that opened it, which the
  // dropped rule before it must not make skip.
  EXPECT_EQ(afterRuns, 2);
  EXPECT_GE(addedRuns, 1);
}

}  // namespace
