#pragma once
// The main window over a configuration, shown at the pictures' size, as the
// picture program's parts stage it. Main thread.
#include <Qt>

#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "CommonGUI/TaskListModel.gui.h"

struct TShownMainWindow {
  static constexpr int kWidth = 1280;
  static constexpr int kHeight = 800;

  explicit TShownMainWindow(TAVConfiguration& Configuration)
      : Module(Configuration), Views(Module, nullptr), Form(Views, Configuration) {
    TaskModel().PowerOff = nullptr;  // never, from a picture
    Form.setWindowState(Qt::WindowNoState);
    Form.resize(kWidth, kHeight);
    Form.show();
  }

  TdmGlobal Module;
  TMainWindowViews Views;
  TFormMain Form;
};
