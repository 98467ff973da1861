#pragma once
// Shared by the picture program's parts.
#include <QString>
#include <QWidget>

class TAVConfiguration;

// Lets the windows settle and their enabling rules run, as they do when idle.
void WaitIdle();
// Shows Widget, lets it settle and writes it to Folder/Name; false when the
// file cannot be written.
bool Save(QWidget& Widget, const QString& Folder, const char* Name);
// The main window with tasks, the delete dialog and both wizard pages, with
// Clip as the source of every conversion.
bool SaveTaskWindows(const QString& Folder, TAVConfiguration& Configuration, const QString& Clip);
