#include "Wizard/FilterForm.gui.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "CommonGUI/IdleUpdate.gui.h"

TFilterForm::TFilterForm(const QString& Caption, QWidget* Parent) : TFixedDialog(Parent) {
  setWindowTitle(Caption);
}

void TFilterForm::Finish(QLayout* Body, const QString& OkText, const QString& CancelText) {
  btnOk = new QPushButton(OkText);
  btnOk->setObjectName(QStringLiteral("btnOk"));
  btnOk->setDefault(true);
  auto* cancel = new QPushButton(CancelText);
  cancel->setObjectName(QStringLiteral("btnCancel"));
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOk);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Body);
  layout->addLayout(buttons);
  FixSize();

  // The rule is checked again: Enter may come before the next idle update.
  connect(btnOk, &QPushButton::clicked, this, [this] {
    if (CanConfirm()) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  IdleUpdate();
  OnIdle(this, [this] { IdleUpdate(); });
}

void TFilterForm::IdleUpdate() {
  UpdateControls();
  btnOk->setEnabled(CanConfirm());
}
