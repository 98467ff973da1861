#include "CommonGUI/CCategoryDlg.gui.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>

#include "CommonGUI/IdleUpdate.gui.h"

namespace {

constexpr int kFieldWidth = 260;

// Where the folder browser starts: the default output folder's place.
QString BrowseStart() { return QDir::homePath() + QStringLiteral("/Conversion"); }

}  // namespace

TFormCategory::TFormCategory(QWidget* Parent) : TFixedDialog(Parent) {
  edtName = new QLineEdit;
  edtName->setObjectName(QStringLiteral("edtName"));
  edtName->setMinimumWidth(kFieldWidth);
  edtFolder = new QLineEdit;
  edtFolder->setObjectName(QStringLiteral("edtFolder"));
  auto* browse = new QToolButton;
  browse->setObjectName(QStringLiteral("btnBrowse"));
  browse->setText(QStringLiteral("..."));

  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel(QStringLiteral("名称:")), 0, 0);
  grid->addWidget(edtName, 0, 1, 1, 2);
  grid->addWidget(new QLabel(QStringLiteral("路径:")), 1, 0);
  grid->addWidget(edtFolder, 1, 1);
  grid->addWidget(browse, 1, 2);

  btnOk = new QPushButton(QStringLiteral("确定"));
  btnOk->setObjectName(QStringLiteral("btnOk"));
  auto* cancel = new QPushButton(QStringLiteral("放弃"));
  cancel->setObjectName(QStringLiteral("btnCancel"));
  LayOut(grid, btnOk, cancel);

  connect(browse, &QToolButton::clicked, this, &TFormCategory::btnBrowseClick);
  connect(btnOk, &QPushButton::clicked, this, &QDialog::accept);
  btnOkUpdate();
  OnIdle(this, [this] { btnOkUpdate(); });
}

QString TFormCategory::CategoryName() const { return edtName->text().trimmed(); }
QString TFormCategory::CategoryFolder() const { return edtFolder->text().trimmed(); }
void TFormCategory::SetCategoryName(const QString& Value) { edtName->setText(Value); }
void TFormCategory::SetCategoryFolder(const QString& Value) { edtFolder->setText(Value); }

bool TFormCategory::CanConfirm() const {
  return !CategoryName().isEmpty() && !CategoryFolder().isEmpty();
}

void TFormCategory::btnOkUpdate() { btnOk->setEnabled(CanConfirm()); }

void TFormCategory::btnBrowseClick() {
  const QString folder = QFileDialog::getExistingDirectory(this, QString(), BrowseStart());
  if (!folder.isEmpty()) edtFolder->setText(folder);
}

bool ExecuteCategoryDialog(std::string& Name, std::string& Folder, bool NewCategory,
                           QWidget* Parent) {
  TFormCategory form(Parent);
  if (NewCategory) {
    form.setWindowTitle(QStringLiteral("New Category"));
  } else {
    form.setWindowTitle(QStringLiteral("Category Properties"));
    form.SetCategoryName(QString::fromStdString(Name));
    form.SetCategoryFolder(QString::fromStdString(Folder));
  }
  if (form.exec() != QDialog::Accepted) return false;
  Name = form.CategoryName().toStdString();
  Folder = form.CategoryFolder().toStdString();
  return true;
}
