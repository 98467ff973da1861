#include "Wizard/FilterDialogs.gui.h"

#include <QApplication>
#include <QWidget>

#include "Wizard/FLogo.gui.h"
#include "Wizard/FOverlayText.gui.h"
#include "Wizard/FStdFilter.gui.h"
#include "Wizard/FSubtitle.gui.h"

namespace {

// The wizard when it is open, so the dialog stays above it.
QWidget* Owner() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  return QApplication::activeWindow();
}

}  // namespace

std::unique_ptr<TFilterDialog<TLogoFilter>> TFilterDialogs::CreateLogoDialog() {
  return std::make_unique<TFormLogoFilter>(Owner());
}

std::unique_ptr<TFilterDialog<TOverlayTextFilter>> TFilterDialogs::CreateOverlayTextDialog() {
  return std::make_unique<TFormTextFilter>(Owner());
}

std::unique_ptr<TFilterDialog<TSubtitleFilter>> TFilterDialogs::CreateSubtitleDialog() {
  return std::make_unique<TFormSubtitleFilter>(Owner());
}

std::unique_ptr<TFilterDialog<TVideoStdFilter>> TFilterDialogs::CreateVideoStdDialog() {
  return std::make_unique<TFormStdFilter>(Owner());
}

TInstalledFilterDialogs::TInstalledFilterDialogs() : FPrevious(SetFilterDialogFactory(&FDialogs)) {}

TInstalledFilterDialogs::~TInstalledFilterDialogs() { SetFilterDialogFactory(FPrevious); }

TInstalledFilterDialogs InstallFilterDialogs() { return TInstalledFilterDialogs(); }
