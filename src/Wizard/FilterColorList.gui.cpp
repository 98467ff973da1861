#include "Wizard/FilterColorList.gui.h"

#include <QPainter>
#include <QPixmap>

#include "Converter/AVConverterColorNames.h"

namespace {

constexpr int kSwatchSize = 14;
constexpr TColor kRgbMask = 0xFFFFFF;

QIcon Swatch(TColor Value) {
  const TColor rgb = SwapRedBlue(Value);
  QPixmap pixmap(kSwatchSize, kSwatchSize);
  pixmap.fill(QColor::fromRgb(static_cast<QRgb>(rgb)));
  QPainter painter(&pixmap);
  painter.setPen(Qt::black);
  painter.drawRect(0, 0, kSwatchSize - 1, kSwatchSize - 1);
  return QIcon(pixmap);
}

}  // namespace

TColorList::TColorList(QWidget* Parent) : QComboBox(Parent) {
  for (const TStandardColor& c : StandardColors()) AddColor(QString::fromLatin1(c.Name), SwapRedBlue(c.Rgb));
  setCurrentIndex(0);
}

void TColorList::AddColor(const QString& Name, TColor Value) {
  addItem(Swatch(Value), Name, QVariant::fromValue<uint>(Value & kRgbMask));
}

TColor TColorList::Color() const { return currentIndex() < 0 ? 0 : currentData().toUInt(); }

void TColorList::SetColor(TColor Value) {
  Value &= kRgbMask;
  int i = findData(QVariant::fromValue<uint>(Value));
  if (i < 0) {
    AddColor(QStringLiteral("#%1").arg(SwapRedBlue(Value), 6, 16, QLatin1Char('0')).toUpper(), Value);
    i = count() - 1;
  }
  setCurrentIndex(i);
}

void TColorList::SetColorName(const QString& Name) {
  int i = findText(Name, Qt::MatchExactly);
  if (i < 0) {
    AddColor(Name, 0);
    i = count() - 1;
  }
  setCurrentIndex(i);
}
