#include "CommonGUI/IdleUpdate.gui.h"

#include <QAbstractEventDispatcher>
#include <QThread>

void OnIdle(QObject* Context, std::function<void()> Update) {
  QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance(Context->thread());
  QObject::connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, Context, std::move(Update));
}
