#pragma once
// Base of the small dialogs: fixed size and centred on the desktop. Main thread.
#include <QDialog>

class QLayout;
class QPushButton;

class TFixedDialog : public QDialog {
  Q_OBJECT
 public:
  explicit TFixedDialog(QWidget* Parent = nullptr);

 protected:
  // Call once the dialog's layout is set: its size hint becomes its fixed size.
  void FixSize();
  // Body above a row of Accept and Reject at the right, then FixSize. Accept
  // is the default button (its click is the caller's to connect); Reject
  // rejects the dialog.
  void LayOut(QLayout* Body, QPushButton* Accept, QPushButton* Reject);
  void showEvent(QShowEvent* Event) override;
};
