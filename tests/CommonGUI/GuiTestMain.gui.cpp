// The GUI tests' entry: one application object on the offscreen platform,
// with the program's own dispatcher and error display.
#include <gtest/gtest.h>

#include <cstdlib>

#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/ApplicationErrors.gui.h"
#include "CommonGUI/QtMainThreadDispatcher.gui.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  ::testing::InitGoogleTest(&argc, argv);
  TApplication app(argc, argv);
  QApplication::setApplicationName(QString::fromUtf8(kApplicationTitle));
  TQtMainThreadDispatcher dispatcher;
  SetMainThreadDispatcher(&dispatcher);
  const int rc = RUN_ALL_TESTS();
  SetMainThreadDispatcher(nullptr);
  return rc;
}
