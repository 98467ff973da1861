#pragma once
// The delete dialog of the task list: asks whether to delete and whether the
// source and the converted files go too. Main thread.
#include "CommonGUI/FixedDialog.gui.h"

class QCheckBox;
class QPushButton;

class TFormDelete : public TFixedDialog {
  Q_OBJECT
 public:
  explicit TFormDelete(QWidget* Parent = nullptr);

  bool DeleteSource() const;
  bool DeleteTarget() const;

  QCheckBox* chkDeleteSource;
  QCheckBox* chkDeleteTarget;
  QPushButton* btnYes;
  QPushButton* btnNo;
};

// Shows the dialog; on "Yes" returns true with the two choices.
bool ExecuteDeleteDialog(bool& DeleteSource, bool& DeleteTarget, QWidget* Parent = nullptr);
