#pragma once
// Integer fields of the filter dialogs. Main thread.
#include <QSpinBox>

class TIntegerField : public QSpinBox {
 public:
  // A field for Minimum to Maximum.
  TIntegerField(int Minimum, int Maximum, QWidget* Parent = nullptr);
  // A field for any integer.
  static TIntegerField* Unbounded(QWidget* Parent = nullptr);

  // The number shown; a text that is not a number reads as the minimum (0 for
  // a field without bounds).
  int Value() const;

 private:
  int FFallback;
};
