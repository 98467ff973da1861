#include "Components/AVPreview.gui.h"

#include <QPainter>

#include "Converter/avlib.h"

namespace {
constexpr int kBytesPerPixel = 3;
}

TAVPreview::TAVPreview(QWidget* Parent, bool Designing) : QWidget(Parent), FDesigning(Designing) {
  setObjectName(QStringLiteral("AVPreview"));
  setAttribute(Qt::WA_OpaquePaintEvent);
  if (!FDesigning) LoadMediaLibrary();
  FDecoder.OnPicture = [this] { DecoderPicture(); };
}

void TAVPreview::SetInputFile(const QString& Name) { FDecoder.SetInputFile(Name.toStdString()); update(); }

void TAVPreview::SetActive(bool Value) {
  if (Value == Active()) return;
  if (Value && FDesigning) {
    ShowErrorMessage("You can only set active=true at runtime!");
    return;
  }
  FDecoder.SetActive(Value);
  update();
}

void TAVPreview::SetTimestamp(double Seconds) { FDecoder.SetTimestamp(Seconds); }

void TAVPreview::DecoderPicture() {
  const int width = FDecoder.Width();
  const int height = FDecoder.Height();
  const std::vector<uint8_t>& picture = FDecoder.Picture();
  // The decoder's rows are packed BGR, top row first; the bitmap keeps its own copy.
  QImage image(picture.data(), width, height, width * kBytesPerPixel, QImage::Format_BGR888);
  FBitmap = image.copy();
  update();
}

void TAVPreview::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (Active() && !FBitmap.isNull()) {
    // Stretched: the picture's aspect ratio is not kept.
    painter.drawImage(rect(), FBitmap);
  } else {
    painter.fillRect(rect(), Qt::black);
  }
}
