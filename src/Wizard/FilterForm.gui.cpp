#include "Wizard/FilterForm.gui.h"

#include <QPushButton>

#include "CommonGUI/IdleUpdate.gui.h"

TFilterForm::TFilterForm(const QString& Caption, QWidget* Parent) : TFixedDialog(Parent) {
  setWindowTitle(Caption);
}

void TFilterForm::Finish(QLayout* Body, const QString& OkText, const QString& CancelText) {
  btnOk = new QPushButton(OkText);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  auto* cancel = new QPushButton(CancelText);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  LayOut(Body, btnOk, cancel);

  // The rule is checked again: Enter may come before the next idle update.
  connect(btnOk, &QPushButton::clicked, this, [this] {
    if (CanConfirm()) accept();
  });
  IdleUpdate();
  OnIdle(this, [this] { IdleUpdate(); });
}

void TFilterForm::IdleUpdate() {
  UpdateControls();
  btnOk->setEnabled(CanConfirm());
}
