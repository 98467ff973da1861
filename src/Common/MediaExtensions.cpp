#include "Common/MediaExtensions.h"

#include <array>
#include <filesystem>

#include "Common/StringList.h"

namespace {

// The containers the catalogue writes and the wizard's source filter lists,
// and the common ones cameras, phones and recorders write.
constexpr std::array<const char*, 37> kMediaExtensions{
    ".3g2", ".3gp", ".aac", ".ac3", ".aif", ".aiff", ".amr", ".asf", ".avi",  ".dv",   ".f4v",  ".flac", ".flv",
    ".m2ts", ".m4a", ".m4v", ".mka", ".mkv", ".mov", ".mp2", ".mp3", ".mp4", ".mpeg", ".mpg",  ".mts",  ".oga",
    ".ogg", ".ogv", ".opus", ".rm", ".rmvb", ".vob", ".wav", ".webm", ".wma", ".wmv", ".y4m"};

}  // namespace

bool HasMediaExtension(const std::string& File) {
  const std::string extension = std::filesystem::path(File).extension().string();
  for (const char* known : kMediaExtensions)
    if (SameText(extension, known)) return true;
  return false;
}
