#pragma once
// The standard filters' dialog: flips, negation, rotation and a drawn box.
// Main thread.
#include "Wizard/CFilters.h"
#include "Wizard/FilterForm.gui.h"

class QCheckBox;
class TColorList;
class TIntegerField;

class TFormStdFilter : public TFilterFormOf<TVideoStdFilter> {
 public:
  explicit TFormStdFilter(QWidget* Parent = nullptr);

  void Load(const TVideoStdFilter& Filter) override;
  void Store(TVideoStdFilter& Filter) const override;
  // At least one of the five switches is on.
  bool CanConfirm() const override;

 protected:
  void UpdateControls() override;

 private:
  QCheckBox* chkVerticalFlip;
  QCheckBox* chkHorizontalFlip;
  QCheckBox* chkRotate;
  TIntegerField* edtDegree;
  QCheckBox* chkNegate;
  QCheckBox* chkDrawBox;
  QWidget* pnlBox;
  TIntegerField* edtBoxX;
  TIntegerField* edtBoxY;
  TIntegerField* edtBoxWidth;
  TIntegerField* edtBoxHeight;
  TColorList* cbBoxColor;
};
