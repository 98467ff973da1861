#pragma once
// The three image lists shared by every window, drawn at build time and
// shipped as resources. Main thread.
#include <QIcon>

// Toolbar images, 48 x 48.
enum TToolbarImage {
  tiNewConversion = 0,  // also the wizard's new-filter button
  tiStart = 1,
  tiPause = 2,
  tiStop = 3,  // also the delete buttons of the wizard and the profile editor
  tiOptions = 4,
  tiHomePage = 5,
  tiEditFilter = 6,
  tiNewAudioProfile = 7,
  tiNewVideoProfile = 8,
  tiSaveAndExit = 9,
  tiDonation = 10,
};
inline constexpr int kToolbarImageCount = 11;
inline constexpr int kToolbarImageSize = 48;

// Tree images, 16 x 16: 0 converting category, 1 category of converted files.
inline constexpr int kTreeImageCount = 2;
// Task images, 16 x 16, by status: 0 running, 1 paused, 2 stopped or error, 3 finished.
inline constexpr int kTaskImageCount = 5;  // running, paused, stopped, finished, waiting
inline constexpr int kSmallImageSize = 16;

// The image at Index; an index outside the list is an assertion failure.
QIcon ToolbarImage(int Index);
QIcon TreeImage(int Index);
QIcon TaskImage(int Index);

// The application icon: the desktop theme's when installed, else the one
// shipped with the program in every drawn size.
QIcon ApplicationIcon();
