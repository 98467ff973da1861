#include "Wizard/FileNameField.gui.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QStringList>
#include <QToolButton>

namespace {

constexpr int kFieldWidth = 280;
const QChar kQuote = QLatin1Char('"');

}  // namespace

QString QtFileFilter(const QString& Filter) {
  const QStringList parts = Filter.split(QLatin1Char('|'));
  QStringList entries;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    // The description may already name its pattern in brackets; Qt reads
    // the last bracket, so it is written once, after a space.
    QString description = parts[i];
    const int bracket = description.lastIndexOf(QLatin1Char('('));
    if (bracket > 0 && description.endsWith(QLatin1Char(')'))) description.truncate(bracket);
    // Qt separates the patterns of one entry with spaces, not with ";".
    const QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts).join(QLatin1Char(' '));
    entries << description.trimmed() + QStringLiteral(" (") + patterns + QLatin1Char(')');
  }
  return entries.join(QStringLiteral(";;"));
}

TFileNameField::TFileNameField(const QString& Name, const QString& Filter, QWidget* Parent)
    : QWidget(Parent), FFilter(Filter) {
  FEdit = new QLineEdit;
  FEdit->setObjectName(Name);
  FEdit->setMinimumWidth(kFieldWidth);
  FBrowse = new QToolButton;
  FBrowse->setObjectName(QStringLiteral("btn") + Name.mid(3));
  FBrowse->setText(QStringLiteral("..."));
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(FEdit);
  layout->addWidget(FBrowse);
  setFocusProxy(FEdit);
  connect(FBrowse, &QToolButton::clicked, this, [this] { BrowseClick(); });
}

QString TFileNameField::FileName() const {
  QString name = FEdit->text();
  if (name.startsWith(kQuote)) name.remove(0, 1);
  if (name.endsWith(kQuote)) name.chop(1);
  return name;
}

void TFileNameField::SetFileName(const QString& Value) { FEdit->setText(Value); }

bool TFileNameField::FileExists() const {
  const QString name = FileName();
  return !name.isEmpty() && QFileInfo(name).isFile();
}

void TFileNameField::BrowseClick() {
  const QString start = FileName().isEmpty() ? QString() : QFileInfo(FileName()).absolutePath();
  const QString chosen = QFileDialog::getOpenFileName(this, QString(), start, QtFileFilter(FFilter));
  if (!chosen.isEmpty()) FEdit->setText(chosen);
}
