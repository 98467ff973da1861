#pragma once
// What the four filter dialogs share: fixed size, centred on the desktop, a
// confirm button (the default, closing with OK) that is enabled only while
// the dialog's rule holds, re-evaluated whenever the application is idle,
// and a cancel button. Main thread.
#include "CommonGUI/FixedDialog.gui.h"
#include "Wizard/CFilterDialogs.h"

class QLayout;
class QPushButton;

// Widget with its object name set, for building the dialogs' controls.
template <class TWidget>
TWidget* Named(TWidget* Widget, const char* Name) {
  Widget->setObjectName(QString::fromLatin1(Name));
  return Widget;
}

class TFilterForm : public TFixedDialog {
 public:
  // The dialog's rule for the confirm button.
  virtual bool CanConfirm() const = 0;

 protected:
  TFilterForm(const QString& Caption, QWidget* Parent);
  // Call at the end of the constructor: Body above the two buttons, the size
  // fixed, the idle-time rules started.
  void Finish(QLayout* Body, const QString& OkText, const QString& CancelText);
  // Further enabling done when idle, before the confirm rule.
  virtual void UpdateControls() {}

 private:
  void IdleUpdate();

  QPushButton* btnOk = nullptr;
};

// A filter dialog as the descriptors run it.
template <class TFilter>
class TFilterFormOf : public TFilterForm, public TFilterDialog<TFilter> {
 public:
  bool ShowModal() override { return exec() == QDialog::Accepted; }

 protected:
  using TFilterForm::TFilterForm;
};
