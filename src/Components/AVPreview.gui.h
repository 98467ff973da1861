#pragma once
// The preview control: one still frame of a video file at a chosen time,
// stretched over the control; black while inactive. Decoding runs on the main
// thread inside the property setters (TAVPreviewDecoder).
#include <QImage>
#include <QString>
#include <QWidget>

#include "Components/AVPreviewDecoder.h"

class TAVPreview : public QWidget {
  Q_OBJECT
 public:
  // Loads the media library (its error is raised from here). Designing: the
  // control is being edited in a form designer and never opens a file.
  explicit TAVPreview(QWidget* Parent = nullptr, bool Designing = false);

  QString InputFile() const { return QString::fromStdString(FDecoder.InputFile()); }
  // A missing file shows "File:%s does not exist!"; a new file closes the
  // control, which stays inactive until Active is set again.
  void SetInputFile(const QString& Name);
  bool Active() const { return FDecoder.Active(); }
  void SetActive(bool Value);
  // Position in seconds; setting it while active decodes the frame there.
  double timestamp() const { return FDecoder.timestamp(); }
  void SetTimestamp(double Seconds);
  double Duration() const { return FDecoder.Duration(); }
  // The last frame shown, upright at the video's own size (null before any).
  const QImage& Bitmap() const { return FBitmap; }
  bool Designing() const { return FDesigning; }

 protected:
  void paintEvent(QPaintEvent* Event) override;

 private:
  void DecoderPicture();

  TAVPreviewDecoder FDecoder;
  QImage FBitmap;
  bool FDesigning;
};
