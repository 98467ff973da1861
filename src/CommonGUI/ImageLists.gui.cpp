#include "CommonGUI/ImageLists.gui.h"

#include "Common/Errors.h"
#include "CommonGUI/AppIdentity.h"

namespace {

QIcon Image(const char* List, int Index, int Count) {
  QB_ASSERT("ImageLists", Index >= 0 && Index < Count);
  return QIcon(QStringLiteral(":/images/%1%2.png").arg(QLatin1String(List)).arg(Index));
}

}  // namespace

QIcon ToolbarImage(int Index) { return Image("toolbar", Index, kToolbarImageCount); }
QIcon TreeImage(int Index) { return Image("tree", Index, kTreeImageCount); }
QIcon TaskImage(int Index) { return Image("task", Index, kTaskImageCount); }

QIcon ApplicationIcon() {
  QIcon shipped;
  for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
    shipped.addFile(QStringLiteral(":/images/app%1.png").arg(size), QSize(size, size));
  return QIcon::fromTheme(QString::fromLatin1(kDesktopAppId), shipped);
}
