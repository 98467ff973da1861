#pragma once
// The colour lists of the filter dialogs: the sixteen standard colours by
// their plain names, with a swatch. Main thread.
#include <QComboBox>

#include "Wizard/CFilters.h"

// Colours the dialogs start with.
inline constexpr TColor clYellow = 0x00FFFF;
inline constexpr TColor clBlue = 0xFF0000;

class TColorList : public QComboBox {
 public:
  explicit TColorList(QWidget* Parent = nullptr);

  // The selected colour, red in the lowest byte and 0 in the highest.
  TColor Color() const;
  // Selects Value; a colour that is not listed gets an entry of its own, so
  // editing a filter never changes its colour unasked.
  void SetColor(TColor Value);
  // The selected entry's name ("Red").
  QString ColorName() const { return currentText(); }
  // Selects the entry named Name; a name that is not listed gets an entry of its own.
  void SetColorName(const QString& Name);

 private:
  void AddColor(const QString& Name, TColor Value);
};
