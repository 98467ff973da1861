#pragma once
// Enabling rules are evaluated whenever the application is idle, that is each
// time the event loop is about to wait for new events. Main thread.
#include <QObject>

#include <functional>

// Calls Update each time the application becomes idle, for as long as
// Context lives.
void OnIdle(QObject* Context, std::function<void()> Update);
