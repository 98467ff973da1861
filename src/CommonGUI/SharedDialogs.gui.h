#pragma once
// Dialogs and shell calls shared by every window. Main thread, except the
// error box installed by InstallErrorMessageBox, which any thread may raise.
#include <QString>

#include <functional>

// Question box titled "Warning" with the question icon, Yes and No; true on Yes.
bool ConfirmDialog(const QString& Question);
// Opens a document or web address with the desktop's handler; the result is ignored.
void ShellOpen(const QString& Target);
// Starts Program with Folder as its working folder; failures are ignored.
void ShellStart(const QString& Program, const QString& Folder);

// Shows Folder in the desktop's file manager. Tree asks for the folder tree
// beside it; file managers here decide that themselves. Failures are ignored.
void OpenFolderInExplorer(const QString& Folder, bool Tree);
// Shows the file manager with FileName selected in its folder (the
// FileManager1 D-Bus service), or opens the folder when no file manager
// offers that. Failures are ignored.
void ShowFileInExplorer(const QString& FileName, bool Tree);

// What ConfirmDialog, ShellOpen, ShellStart and the file-manager calls do. Tests replace them so
// nothing is asked, opened or started; an empty member keeps the real one.
struct TShellServices {
  std::function<bool(const QString& Question)> Confirm;
  std::function<void(const QString& Target)> Open;
  std::function<void(const QString& Program, const QString& Folder)> Start;
  // Path and whether the file is to be selected (false: the folder is shown).
  std::function<void(const QString& Path, bool SelectFile)> Explore;
};
// Installs Services and returns the previous ones.
TShellServices SetShellServices(TShellServices Services);

// Main thread, at start-up: ShowErrorMessage then shows a box titled "Error"
// with the error icon and OK; from a worker thread the box is shown on the
// main thread while the worker waits.
void InstallErrorMessageBox();
