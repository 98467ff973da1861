#pragma once
// The category dialog: a category's name and folder, for a new category or
// for a category's properties. Main thread.
#include <QString>

#include <string>

#include "CommonGUI/FixedDialog.gui.h"

class QLineEdit;
class QPushButton;

class TFormCategory : public TFixedDialog {
  Q_OBJECT
 public:
  explicit TFormCategory(QWidget* Parent = nullptr);

  // Field contents, trimmed.
  QString CategoryName() const;
  QString CategoryFolder() const;
  void SetCategoryName(const QString& Value);
  void SetCategoryFolder(const QString& Value);
  // "确定" needs a name and a folder that are not blank.
  bool CanConfirm() const;

 private:
  void btnBrowseClick();
  void btnOkUpdate();

  QLineEdit* edtName;
  QLineEdit* edtFolder;
  QPushButton* btnOk;
};

// Shows the dialog: "New Category" with empty fields when NewCategory, else
// "Category Properties" filled with Name and Folder. On "确定" returns true with
// the trimmed name and folder in Name and Folder.
bool ExecuteCategoryDialog(std::string& Name, std::string& Folder, bool NewCategory,
                           QWidget* Parent = nullptr);
