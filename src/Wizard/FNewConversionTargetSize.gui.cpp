// The wizard's target size: the field beside the profile and its check when
// the user goes on. Empty, the profile's own bit rates apply.
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

#include "Converter/avlib.h"
#include "Wizard/FNewConversion.gui.h"

namespace {
constexpr int kSizeFieldWidth = 70;
}  // namespace

QWidget* TFormNewConversion::CreateTargetSizeField() {
  edtTargetSize = new QLineEdit;
  edtTargetSize->setObjectName(QStringLiteral("edtTargetSize"));
  edtTargetSize->setFixedWidth(kSizeFieldWidth);
  edtTargetSize->setPlaceholderText(QStringLiteral("不限"));
  auto* label = new QLabel(QStringLiteral("目标大小(MB)"));
  label->setBuddy(edtTargetSize);
  auto* box = new QWidget;
  auto* layout = new QHBoxLayout(box);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(label);
  layout->addWidget(edtTargetSize);
  return box;
}

std::optional<int64_t> TFormNewConversion::CheckedTargetSize() {
  const std::optional<int64_t> bytes = TargetSizeFromField(edtTargetSize->text().toStdString());
  if (bytes) return bytes;
  ShowErrorMessage(kTargetSizeInvalidMessage);
  ShowPage(0);
  edtTargetSize->setFocus();
  edtTargetSize->selectAll();
  return std::nullopt;
}
