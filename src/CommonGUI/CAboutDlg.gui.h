#pragma once
// The about dialog, shown modally by "关于(&A)". Main thread.
#include "CommonGUI/FixedDialog.gui.h"

class QLabel;

// The two lines below the maker's address, exactly as stored.
inline constexpr const char* kAboutText =
    "如果你喜欢本软件，请告诉你的朋友\r\n或者写到你的博客，QQ签名帮忙推广下。谢谢";

class TFormAbout : public TFixedDialog {
  Q_OBJECT
 public:
  explicit TFormAbout(QWidget* Parent = nullptr);

 protected:
  // A click on the address opens the maker's home page.
  bool eventFilter(QObject* Watched, QEvent* Event) override;

 private:
  QLabel* lblHomePage;
};
