#include "Converter/AVConverterFontFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <system_error>

extern "C" {
#include <libavutil/log.h>
}

namespace fs = std::filesystem;

namespace {
constexpr char kFolderTemplate[] = "quillbrook-font-XXXXXX";
}  // namespace

TPrivateFontFolder::TPrivateFontFolder(const std::string& FontFile) {
  std::error_code ec;
  std::string folder = (fs::temp_directory_path(ec) / kFolderTemplate).string();
  if (ec || !mkdtemp(folder.data())) {
    av_log(nullptr, AV_LOG_ERROR, "Can not make a folder for the font %s\n", FontFile.c_str());
    return;
  }
  const fs::path font = fs::absolute(FontFile, ec);
  const fs::path link = fs::path(folder) / font.filename();
  fs::create_symlink(font, link, ec);
  if (ec) fs::copy_file(font, link, ec);  // a file system without links
  if (ec) {
    av_log(nullptr, AV_LOG_ERROR, "Can not use the font %s: %s\n", FontFile.c_str(), ec.message().c_str());
    fs::remove_all(folder, ec);
    return;
  }
  FPath = folder;
}

TPrivateFontFolder::~TPrivateFontFolder() {
  if (FPath.empty()) return;
  std::error_code ec;
  fs::remove_all(FPath, ec);  // removes the link, never the font it points at
}
