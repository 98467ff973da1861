#pragma once
// The filter descriptors' dialogs as the application installs them.
// Main thread.
#include "Wizard/CFilterDialogs.h"

// Creates the four dialogs, each over the window the user is working in.
class TFilterDialogs : public TFilterDialogFactory {
 public:
  std::unique_ptr<TFilterDialog<TLogoFilter>> CreateLogoDialog() override;
  std::unique_ptr<TFilterDialog<TOverlayTextFilter>> CreateOverlayTextDialog() override;
  std::unique_ptr<TFilterDialog<TSubtitleFilter>> CreateSubtitleDialog() override;
  std::unique_ptr<TFilterDialog<TVideoStdFilter>> CreateVideoStdDialog() override;
};

// The dialogs installed for the descriptors while it lives; the factory that
// was installed before comes back when it ends.
class TInstalledFilterDialogs {
 public:
  TInstalledFilterDialogs();
  ~TInstalledFilterDialogs();
  TInstalledFilterDialogs(const TInstalledFilterDialogs&) = delete;
  TInstalledFilterDialogs& operator=(const TInstalledFilterDialogs&) = delete;

 private:
  TFilterDialogs FDialogs;
  TFilterDialogFactory* FPrevious;
};

// At start-up: `auto filterDialogs = InstallFilterDialogs();` keeps the
// dialogs installed until the end of main.
[[nodiscard]] TInstalledFilterDialogs InstallFilterDialogs();
