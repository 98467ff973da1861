#include "CommonGUI/CDeleteDlg.gui.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TFormDelete::TFormDelete(QWidget* Parent) : TFixedDialog(Parent) {
  setObjectName(QStringLiteral("FormDelete"));
  setWindowTitle(QStringLiteral("Confirm to delete"));
  auto* question = new QLabel(QStringLiteral("嘿嘿，可要想好了哟！确定删除？"));
  question->setObjectName(QStringLiteral("lblQuestion"));
  chkDeleteSource = new QCheckBox(QStringLiteral("删除原文件"));
  chkDeleteSource->setObjectName(QStringLiteral("chkDeleteSource"));
  chkDeleteSource->setChecked(false);
  chkDeleteTarget = new QCheckBox(QStringLiteral("删除已转换的文件"));
  chkDeleteTarget->setObjectName(QStringLiteral("chkDeleteTarget"));
  chkDeleteTarget->setChecked(true);
  btnYes = new QPushButton(QStringLiteral("Yes"));
  btnYes->setObjectName(QStringLiteral("btnYes"));
  btnNo = new QPushButton(QStringLiteral("No"));
  btnNo->setObjectName(QStringLiteral("btnNo"));

  auto* body = new QVBoxLayout;
  body->addWidget(question);
  body->addWidget(chkDeleteSource);
  body->addWidget(chkDeleteTarget);
  LayOut(body, btnYes, btnNo);
  connect(btnYes, &QPushButton::clicked, this, &QDialog::accept);
}

bool TFormDelete::DeleteSource() const { return chkDeleteSource->isChecked(); }
bool TFormDelete::DeleteTarget() const { return chkDeleteTarget->isChecked(); }

bool ExecuteDeleteDialog(bool& DeleteSource, bool& DeleteTarget, QWidget* Parent) {
  TFormDelete dialog(Parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  DeleteSource = dialog.DeleteSource();
  DeleteTarget = dialog.DeleteTarget();
  return true;
}
