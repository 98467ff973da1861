#pragma once
// The burned-in subtitles' dialog. Main thread.
#include "Wizard/CFilters.h"
#include "Wizard/FilterForm.gui.h"

class QComboBox;
class TColorList;
class TFileNameField;

// The character set names the code page list offers, in order.
extern const char* const kCodePageNames[];
extern const int kCodePageCount;

class TFormSubtitleFilter : public TFilterFormOf<TSubtitleFilter> {
 public:
  explicit TFormSubtitleFilter(QWidget* Parent = nullptr);

  void Load(const TSubtitleFilter& Filter) override;
  void Store(TSubtitleFilter& Filter) const override;
  // The subtitle file and the font file exist.
  bool CanConfirm() const override;

 private:
  TFileNameField* edtSubtitleFile;
  TFileNameField* edtFontFile;
  TColorList* cbFontColor;
  QComboBox* cbCodePage;
};
