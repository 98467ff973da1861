#pragma once
// Base of the small dialogs: fixed size and centred on the desktop. Main thread.
#include <QDialog>

class TFixedDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFixedDialog(QWidget* Parent = nullptr);

 protected:
  // Call once the dialog's layout is set: its size hint becomes its fixed size.
  void FixSize();
  void showEvent(QShowEvent* Event) override;
};
