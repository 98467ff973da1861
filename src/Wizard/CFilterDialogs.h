#pragma once
// How the filter descriptors open their edit dialogs: the GUI installs a
// factory; each call creates one dialog, shows it modally and destroys it.
// Main thread only.
#include <memory>

class TLogoFilter;
class TOverlayTextFilter;
class TSubtitleFilter;
class TVideoStdFilter;

template <class TFilter>
class TFilterDialog {
 public:
  virtual ~TFilterDialog() = default;
  // Editing: writes every property of the descriptor into the dialog.
  virtual void Load(const TFilter& Filter) = 0;
  // True when the dialog was closed with OK; any other way counts as cancel.
  virtual bool ShowModal() = 0;
  // Reads every value of the dialog into the descriptor.
  virtual void Store(TFilter& Filter) const = 0;
};

class TFilterDialogFactory {
 public:
  virtual ~TFilterDialogFactory() = default;
  virtual std::unique_ptr<TFilterDialog<TLogoFilter>> CreateLogoDialog() = 0;
  virtual std::unique_ptr<TFilterDialog<TOverlayTextFilter>> CreateOverlayTextDialog() = 0;
  virtual std::unique_ptr<TFilterDialog<TSubtitleFilter>> CreateSubtitleDialog() = 0;
  virtual std::unique_ptr<TFilterDialog<TVideoStdFilter>> CreateVideoStdDialog() = 0;
};

// Installs the factory (not owned; nullptr removes it) and returns the previous one.
TFilterDialogFactory* SetFilterDialogFactory(TFilterDialogFactory* Factory);
// The installed factory; an assertion failure when none is installed.
TFilterDialogFactory& FilterDialogFactory();
