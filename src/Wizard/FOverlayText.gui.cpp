#include "Wizard/FOverlayText.gui.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QStringList>

#include <limits>

#include "Wizard/FileNameField.gui.h"
#include "Wizard/FilterColorList.gui.h"
#include "Wizard/IntegerField.gui.h"

namespace {

constexpr int kMinFontSize = 1;
constexpr int kMaxFontSize = 72;
constexpr int kFontSizeStep = 16;
constexpr int kInitialFontSize = 16;
constexpr int kMemoLines = 4;
const QString kLineBreak = QStringLiteral("\r\n");

}  // namespace

std::string MemoLinesText(const QString& PlainText) {
  if (PlainText.isEmpty()) return {};
  QStringList lines = PlainText.split(QLatin1Char('\n'));
  // The break after the last line is the memo's own, not an empty line.
  if (lines.last().isEmpty()) lines.removeLast();
  QString text;
  for (const QString& line : lines) text += line + kLineBreak;
  return text.toStdString();
}

QString MemoPlainText(const std::string& Text) {
  QString text = QString::fromStdString(Text);
  text.replace(kLineBreak, QStringLiteral("\n"));
  if (text.endsWith(QLatin1Char('\n'))) text.chop(1);
  return text;
}

TFormTextFilter::TFormTextFilter(QWidget* Parent)
    : TFilterFormOf(QStringLiteral("添加文字水印"), Parent) {
  memText = Named(new QPlainTextEdit, "memText");
  memText->setFixedHeight(memText->fontMetrics().lineSpacing() * kMemoLines +
                          2 * memText->frameWidth() + memText->document()->documentMargin() * 2);
  edtFontFile = new TFileNameField(QStringLiteral("edtFontFile"), QString::fromLatin1(kFontFileFilter));
  cbFontColor = Named(new TColorList, "cbFontColor");
  cbFontColor->SetColor(clYellow);
  cbBgColor = Named(new TColorList, "cbBgColor");
  cbBgColor->SetColor(clBlue);
  edtX = Named(new TIntegerField(0, std::numeric_limits<int>::max()), "edtX");
  edtY = Named(new TIntegerField(0, std::numeric_limits<int>::max()), "edtY");
  edtFontSize = Named(new TIntegerField(kMinFontSize, kMaxFontSize), "edtFontSize");
  edtFontSize->setSingleStep(kFontSizeStep);
  edtFontSize->setValue(kInitialFontSize);

  auto* position = new QHBoxLayout;
  position->addWidget(edtX);
  position->addWidget(edtY);
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("文本输入"), memText);
  form->addRow(QStringLiteral("字体文件"), edtFontFile);
  form->addRow(QStringLiteral("字体颜色"), cbFontColor);
  form->addRow(QStringLiteral("背景颜色"), cbBgColor);
  form->addRow(QStringLiteral("X,Y"), position);
  form->addRow(QStringLiteral("字体大小"), edtFontSize);
  // The background colour is exchanged but not offered.
  form->setRowVisible(cbBgColor, false);
  Finish(form, QStringLiteral("确定"), QStringLiteral("放弃"));
}

bool TFormTextFilter::CanConfirm() const {
  return !memText->toPlainText().trimmed().isEmpty() && edtFontFile->FileExists();
}

void TFormTextFilter::Load(const TOverlayTextFilter& Filter) {
  memText->setPlainText(MemoPlainText(Filter.Text()));
  edtFontFile->SetFileName(QString::fromStdString(Filter.FontFile()));
  cbFontColor->SetColor(Filter.FontColor());
  cbBgColor->SetColor(Filter.BgColor());
  edtX->setValue(Filter.X());
  edtY->setValue(Filter.Y());
  edtFontSize->setValue(Filter.FontSize());
}

void TFormTextFilter::Store(TOverlayTextFilter& Filter) const {
  Filter.SetText(MemoLinesText(memText->toPlainText()));
  Filter.SetFontFile(edtFontFile->FileName().toStdString());
  Filter.SetFontColor(cbFontColor->Color());
  Filter.SetBgColor(cbBgColor->Color());
  Filter.SetX(edtX->Value());
  Filter.SetY(edtY->Value());
  Filter.SetFontSize(edtFontSize->Value());
}
