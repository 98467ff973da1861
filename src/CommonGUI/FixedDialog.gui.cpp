#include "CommonGUI/FixedDialog.gui.h"

#include <QHBoxLayout>
#include <QLayout>
#include <QPushButton>
#include <QVBoxLayout>
#include <QScreen>

TFixedDialog::TFixedDialog(QWidget* Parent) : QDialog(Parent) {}

void TFixedDialog::FixSize() {
  if (layout()) layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TFixedDialog::LayOut(QLayout* Body, QPushButton* Accept, QPushButton* Reject) {
  Accept->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(Accept);
  buttons->addWidget(Reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(Body);
  layout->addLayout(buttons);
  FixSize();
  connect(Reject, &QPushButton::clicked, this, &QDialog::reject);
}

void TFixedDialog::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (QScreen* desktop = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(desktop->availableGeometry().center());
    move(frame.topLeft());
  }
}
