#include "Common/DamagedFile.h"

#include <filesystem>

#include "Common/Errors.h"

void KeepDamagedFile(const std::string& File, const std::string& Why, const std::string& Fallback) {
  const std::string backup = File + kBackupSuffix;
  std::error_code ec;
  std::filesystem::rename(File, backup, ec);
  if (ec)
    throw Exception(Format("%s could not be read (%s) nor kept as %s (%s); %s are used", File.c_str(), Why.c_str(),
                           backup.c_str(), ec.message().c_str(), Fallback.c_str()));
  throw Exception(Format("%s could not be read (%s); it was kept as %s and %s are used", File.c_str(), Why.c_str(),
                         backup.c_str(), Fallback.c_str()));
}
