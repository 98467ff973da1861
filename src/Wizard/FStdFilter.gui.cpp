#include "Wizard/FStdFilter.gui.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>

#include "Wizard/FilterColorList.gui.h"
#include "Wizard/IntegerField.gui.h"

namespace {

constexpr int kMaxDegree = 359;
constexpr int kInitialDegree = 45;

QCheckBox* Switch(const char* Name, const char* Caption) {
  return Named(new QCheckBox(QString::fromLatin1(Caption)), Name);
}

}  // namespace

TFormStdFilter::TFormStdFilter(QWidget* Parent)
    : TFilterFormOf(QStringLiteral("Standar Filters"), Parent) {
  chkVerticalFlip = Switch("chkVerticalFlip", "Vertical Flip");
  chkHorizontalFlip = Switch("chkHorizontalFlip", "Horizontal Flip");
  chkRotate = Switch("chkRotate", "Rotate");
  edtDegree = Named(new TIntegerField(0, kMaxDegree), "edtDegree");
  edtDegree->setValue(kInitialDegree);
  chkNegate = Switch("chkNegate", "Negate");
  chkDrawBox = Switch("chkDrawBox", "Draw Box");

  pnlBox = Named(new QWidget, "pnlBox");
  edtBoxX = Named(TIntegerField::Unbounded(), "edtBoxX");
  edtBoxY = Named(TIntegerField::Unbounded(), "edtBoxY");
  edtBoxWidth = Named(TIntegerField::Unbounded(), "edtBoxWidth");
  edtBoxHeight = Named(TIntegerField::Unbounded(), "edtBoxHeight");
  cbBoxColor = Named(new TColorList, "cbBoxColor");
  auto* box = new QGridLayout(pnlBox);
  box->setContentsMargins(0, 0, 0, 0);
  box->addWidget(new QLabel(QStringLiteral("X")), 0, 0);
  box->addWidget(edtBoxX, 0, 1);
  box->addWidget(new QLabel(QStringLiteral("Y")), 0, 2);
  box->addWidget(edtBoxY, 0, 3);
  box->addWidget(new QLabel(QStringLiteral("Width")), 1, 0);
  box->addWidget(edtBoxWidth, 1, 1);
  box->addWidget(new QLabel(QStringLiteral("Height")), 1, 2);
  box->addWidget(edtBoxHeight, 1, 3);
  box->addWidget(new QLabel(QStringLiteral("Color")), 2, 0);
  box->addWidget(cbBoxColor, 2, 1, 1, 3);

  auto* grid = new QGridLayout;
  grid->addWidget(chkVerticalFlip, 0, 0, 1, 3);
  grid->addWidget(chkHorizontalFlip, 1, 0, 1, 3);
  grid->addWidget(chkRotate, 2, 0);
  grid->addWidget(new QLabel(QStringLiteral("Degrees")), 2, 1);
  grid->addWidget(edtDegree, 2, 2);
  grid->addWidget(chkNegate, 3, 0, 1, 3);
  grid->addWidget(chkDrawBox, 4, 0, 1, 3);
  grid->addWidget(pnlBox, 5, 0, 1, 3);
  Finish(grid, QStringLiteral("Ok"), QStringLiteral("Cancel"));
}

bool TFormStdFilter::CanConfirm() const {
  return chkRotate->isChecked() || chkDrawBox->isChecked() || chkVerticalFlip->isChecked() ||
         chkHorizontalFlip->isChecked() || chkNegate->isChecked();
}

void TFormStdFilter::UpdateControls() {
  edtDegree->setEnabled(chkRotate->isChecked());
  pnlBox->setEnabled(chkDrawBox->isChecked());
}

void TFormStdFilter::Load(const TVideoStdFilter& Filter) {
  chkVerticalFlip->setChecked(Filter.VerticalFilp());
  chkHorizontalFlip->setChecked(Filter.HorizontalFilip());
  chkRotate->setChecked(Filter.Rotate());
  edtDegree->setValue(Filter.Degree());
  chkNegate->setChecked(Filter.Negate());
  chkDrawBox->setChecked(Filter.DrawBox());
  edtBoxX->setValue(Filter.BX());
  edtBoxY->setValue(Filter.BY());
  edtBoxWidth->setValue(Filter.BWidth());
  edtBoxHeight->setValue(Filter.BHeight());
  cbBoxColor->SetColorName(QString::fromStdString(Filter.BColor()));
}

void TFormStdFilter::Store(TVideoStdFilter& Filter) const {
  Filter.SetVerticalFilp(chkVerticalFlip->isChecked());
  Filter.SetHorizontalFilip(chkHorizontalFlip->isChecked());
  Filter.SetRotate(chkRotate->isChecked());
  Filter.SetDegree(edtDegree->Value());
  Filter.SetNegate(chkNegate->isChecked());
  Filter.SetDrawBox(chkDrawBox->isChecked());
  Filter.SetBX(edtBoxX->Value());
  Filter.SetBY(edtBoxY->Value());
  Filter.SetBWidth(edtBoxWidth->Value());
  Filter.SetBHeight(edtBoxHeight->Value());
  Filter.SetBColor(cbBoxColor->ColorName().toStdString());
}
