// The message boxes and the main-thread hand-off over Qt's event loop.
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "Common/Errors.h"
#include "Common/MainThreadDispatcher.h"
#include "CommonGUI/GuiTestSupport.h"
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

}  // namespace
