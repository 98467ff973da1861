#include "Wizard/IntegerField.gui.h"

#include <algorithm>
#include <limits>

TIntegerField::TIntegerField(int Minimum, int Maximum, QWidget* Parent)
    : QSpinBox(Parent), FFallback(Minimum) {
  setRange(Minimum, Maximum);
}

TIntegerField* TIntegerField::Unbounded(QWidget* Parent) {
  auto* field =
      new TIntegerField(std::numeric_limits<int>::min(), std::numeric_limits<int>::max(), Parent);
  field->FFallback = 0;
  return field;
}

int TIntegerField::Value() const {
  bool ok = false;
  const int v = locale().toInt(cleanText(), &ok);
  return ok ? std::clamp(v, minimum(), maximum()) : FFallback;
}
