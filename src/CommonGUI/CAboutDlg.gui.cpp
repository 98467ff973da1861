#include "CommonGUI/CAboutDlg.gui.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QVBoxLayout>

#include "CommonGUI/AppIdentity.h"
#include "CommonGUI/SharedDialogs.gui.h"

namespace {

constexpr int kTitlePointSize = 14;

}  // namespace

TFormAbout::TFormAbout(QWidget* Parent) : TFixedDialog(Parent) {
  setWindowTitle(QStringLiteral("关于."));

  auto* title = new QLabel(QString::fromUtf8(kVersionLine));
  title->setObjectName(QStringLiteral("lblTitle"));
  QFont font = title->font();
  font.setPointSize(kTitlePointSize);
  font.setBold(true);
  title->setFont(font);

  lblHomePage = new QLabel(QString::fromUtf8(kHomePageAddress));
  lblHomePage->setObjectName(QStringLiteral("lblHomePage"));
  lblHomePage->setCursor(Qt::PointingHandCursor);
  QFont linkFont = lblHomePage->font();
  linkFont.setUnderline(true);
  lblHomePage->setFont(linkFont);
  QPalette linkColours = lblHomePage->palette();
  linkColours.setColor(QPalette::WindowText, linkColours.color(QPalette::Link));
  lblHomePage->setPalette(linkColours);
  lblHomePage->installEventFilter(this);

  // The stored text breaks its lines with CR LF; a label breaks them with LF.
  auto* text = new QLabel(QString::fromUtf8(kAboutText).replace(QStringLiteral("\r\n"),
                                                                 QStringLiteral("\n")));
  text->setObjectName(QStringLiteral("lblText"));

  auto* buttons = new QDialogButtonBox;
  QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
  ok->setObjectName(QStringLiteral("btnOk"));
  ok->setDefault(true);
  buttons->setCenterButtons(true);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(lblHomePage);
  layout->addWidget(text);
  layout->addWidget(buttons);
  FixSize();
}

bool TFormAbout::eventFilter(QObject* Watched, QEvent* Event) {
  if (Watched == lblHomePage && Event->type() == QEvent::MouseButtonRelease &&
      static_cast<QMouseEvent*>(Event)->button() == Qt::LeftButton) {
    ShellOpen(lblHomePage->text());
    return true;
  }
  return TFixedDialog::eventFilter(Watched, Event);
}
