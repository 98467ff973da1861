#pragma once
// The text watermark's dialog. Main thread.
#include "Wizard/CFilters.h"
#include "Wizard/FilterForm.gui.h"

class QPlainTextEdit;
class TColorList;
class TFileNameField;
class TIntegerField;

class TFormTextFilter : public TFilterFormOf<TOverlayTextFilter> {
 public:
  explicit TFormTextFilter(QWidget* Parent = nullptr);

  void Load(const TOverlayTextFilter& Filter) override;
  void Store(TOverlayTextFilter& Filter) const override;
  // The text, trimmed, is not empty and the font file exists.
  bool CanConfirm() const override;

 private:
  QPlainTextEdit* memText;
  TFileNameField* edtFontFile;
  TColorList* cbFontColor;
  TColorList* cbBgColor;
  TIntegerField* edtX;
  TIntegerField* edtY;
  TIntegerField* edtFontSize;
};

// The memo's text as the descriptor keeps it: every line followed by CR LF.
std::string MemoLinesText(const QString& PlainText);
// The descriptor's text as the memo shows it.
QString MemoPlainText(const std::string& Text);
