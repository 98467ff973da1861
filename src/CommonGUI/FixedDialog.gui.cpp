#include "CommonGUI/FixedDialog.gui.h"

#include <QLayout>
#include <QScreen>

TFixedDialog::TFixedDialog(QWidget* Parent) : QDialog(Parent) {}

void TFixedDialog::FixSize() {
  if (layout()) layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void TFixedDialog::showEvent(QShowEvent* Event) {
  QDialog::showEvent(Event);
  if (QScreen* desktop = screen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(desktop->availableGeometry().center());
    move(frame.topLeft());
  }
}
