#pragma once
// Enabling rules are evaluated whenever the application is idle, that is each
// time the event loop is about to wait for new events. Main thread.
#include <QObject>

#include <functional>

// Calls Update each time the application becomes idle, for as long as
// Context lives.
void OnIdle(QObject* Context, std::function<void()> Update);

// Events delivered to Source change nothing a rule reads (the per-packet
// progress hand-off): when the loop has delivered only such events since the
// rules last ran, it becomes idle without running them again. Source must be
// dropped with DropQuietSource before it is destroyed.
void AddQuietSource(const QObject* Source);
void DropQuietSource(const QObject* Source);
