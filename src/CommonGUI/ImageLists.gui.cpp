#include "CommonGUI/ImageLists.gui.h"

#include <QCoreApplication>
#include <QHash>
#include <QPointer>

#include "Common/Errors.h"
#include "CommonGUI/AppIdentity.h"

namespace {

// Icons read once: a task row asks for its image at every paint, and a new
// QIcon reads and decodes its file again. The cache lives as long as the
// application (icons must not outlive it). Main thread only.
class TIconCache : public QObject {
 public:
  using QObject::QObject;
  QHash<QString, QIcon> Icons;
};

QIcon Image(const char* List, int Index, int Count) {
  QB_ASSERT("ImageLists", Index >= 0 && Index < Count);
  const QString name = QStringLiteral(":/images/%1%2.png").arg(QLatin1String(List)).arg(Index);
  static QPointer<TIconCache> cache;
  if (!cache) {
    if (!QCoreApplication::instance()) return QIcon(name);
    cache = new TIconCache(QCoreApplication::instance());
  }
  auto it = cache->Icons.constFind(name);
  if (it == cache->Icons.constEnd()) it = cache->Icons.insert(name, QIcon(name));
  return *it;
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
