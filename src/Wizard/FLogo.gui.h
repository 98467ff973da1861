#pragma once
// The picture watermark's dialog. Main thread.
#include "Wizard/CFilters.h"
#include "Wizard/FilterForm.gui.h"

class TFileNameField;
class TIntegerField;

class TFormLogoFilter : public TFilterFormOf<TLogoFilter> {
 public:
  explicit TFormLogoFilter(QWidget* Parent = nullptr);

  void Load(const TLogoFilter& Filter) override;
  void Store(TLogoFilter& Filter) const override;
  // The picture file exists.
  bool CanConfirm() const override;

 private:
  TIntegerField* edtX;
  TIntegerField* edtY;
  TFileNameField* edtLogoFile;
};
