#pragma once
// A private folder that holds nothing but one font (a link to it), handed to
// libass as its fonts folder: libass reads every file of that folder into
// memory, and the user's font may lie beside videos of gigabytes. Removed
// with the object. Any thread; each object is used by one thread.
#include <string>

class TPrivateFontFolder {
 public:
  // Makes the folder for FontFile; Path() is empty when that failed (logged).
  explicit TPrivateFontFolder(const std::string& FontFile);
  ~TPrivateFontFolder();
  TPrivateFontFolder(const TPrivateFontFolder&) = delete;
  TPrivateFontFolder& operator=(const TPrivateFontFolder&) = delete;

  const std::string& Path() const { return FPath; }

 private:
  std::string FPath;
};
