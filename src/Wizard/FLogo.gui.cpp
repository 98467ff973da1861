#include "Wizard/FLogo.gui.h"

#include <QFormLayout>

#include "Wizard/FileNameField.gui.h"
#include "Wizard/IntegerField.gui.h"

namespace {

constexpr const char* kPictureFileFilter = "PNG files (*.png)|*.png";

}  // namespace

TFormLogoFilter::TFormLogoFilter(QWidget* Parent)
    : TFilterFormOf(QStringLiteral("添加图片水印"), Parent) {
  edtX = Named(TIntegerField::Unbounded(), "edtX");
  edtY = Named(TIntegerField::Unbounded(), "edtY");
  edtLogoFile = new TFileNameField(QStringLiteral("edtLogoFile"), QString::fromLatin1(kPictureFileFilter));
  auto* form = new QFormLayout;
  form->addRow(QStringLiteral("X"), edtX);
  form->addRow(QStringLiteral("Y"), edtY);
  form->addRow(QStringLiteral("文件路径"), edtLogoFile);
  Finish(form, QStringLiteral("确定"), QStringLiteral("放弃"));
}

bool TFormLogoFilter::CanConfirm() const { return edtLogoFile->FileExists(); }

void TFormLogoFilter::Load(const TLogoFilter& Filter) {
  edtX->setValue(Filter.X());
  edtY->setValue(Filter.Y());
  edtLogoFile->SetFileName(QString::fromStdString(Filter.LogoFile()));
}

void TFormLogoFilter::Store(TLogoFilter& Filter) const {
  Filter.SetX(edtX->Value());
  Filter.SetY(edtY->Value());
  Filter.SetLogoFile(edtLogoFile->FileName().toStdString());
}
