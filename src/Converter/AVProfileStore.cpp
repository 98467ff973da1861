#include "Converter/AVProfileStore.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

#include "Common/CConfiguration.h"
#include "Common/DamagedFile.h"
#include "Common/IniFile.h"
#include "Converter/AVProfile.h"
#include "Converter/AVProfileCatalogue.h"

namespace {
constexpr const char* kSection = "Profile";
// A damaged count must not make start-up create millions of profiles.
constexpr int kMaxStoredProfiles = 10000;
// How many built-in categories the program that wrote the file had. Files
// from before "新格式" lack the key; the profiles of the categories their
// writer did not know are added to what they hold.
constexpr const char* kCategoryCountKey = "CategoryCount";
constexpr int kDescribedCategoryCount = 14;
constexpr const char* kProfileCountKey = "ProfileCount";
constexpr const char* kBuiltInProfiles = "the built-in profiles";  // what replaces an unusable file

void AddUnknownBuiltIns(TAVProfileList& List, int KnownCategories) {
  TAVProfileList builtIn;
  BuildProfileCatalogue(builtIn);
  for (int c = KnownCategories; c < builtIn.Categories.Count(); ++c)
    for (TAVProfile* p : builtIn.ProfilesInCategory(builtIn.Categories[c]))
      List.AddProfile(builtIn.RemoveProfile(p));
}

// Why File, read as Ini and found to hold no profile, cannot stand for the
// catalogue: a folder, a file that can't be read, or one with no profile in
// it (empty, garbage).
std::string UnusableBecause(const std::string& File) {
  std::error_code ec;
  if (std::filesystem::is_directory(File, ec)) return "it is a folder";
  const std::unique_ptr<FILE, int (*)(FILE*)> f(fopen(File.c_str(), "rb"), fclose);
  if (!f) return std::generic_category().message(errno);
  return "it holds no profile";
}

void LoadProfiles(TAVProfileList& List, const TIniFile& Ini) {
  List.Clear();
  const int count = std::min(Ini.ReadInteger(kSection, kProfileCountKey, 0), kMaxStoredProfiles);
  for (int n = 0; n < count; ++n) {
    std::unique_ptr<TAVCustomAudioProfile> p;
    if (Ini.ReadInteger(kSection, "IsVideo" + std::to_string(n), 0) != 0)
      p = std::make_unique<TAVCustomVideoProfile>();
    else
      p = std::make_unique<TAVCustomAudioProfile>();
    p->LoadFromFile(Ini, n);
    List.AddProfile(std::move(p));
  }
  const int known = Ini.ReadInteger(kSection, kCategoryCountKey, kDescribedCategoryCount);
  if (known >= 0 && known < BuiltInCategoryCount()) AddUnknownBuiltIns(List, known);
}

}  // namespace

void SaveProfiles(const TAVProfileList& List, const std::string& FileName) {
  TIniFile ini(FileName);
  int count = 0;
  for (int i = 0; i < List.ProfileCount(); ++i) {
    const TAVProfile* p = List.Profiles(i);
    if (!dynamic_cast<const TAVCustomAudioProfile*>(p)) continue;
    p->SaveToFile(ini, count);
    ++count;
  }
  ini.WriteInteger(kSection, kProfileCountKey, count);
  ini.WriteInteger(kSection, kCategoryCountKey, BuiltInCategoryCount());
}

void LoadProfiles(TAVProfileList& List, const std::string& FileName) { LoadProfiles(List, TIniFile(FileName)); }

std::string UserProfilesFileName() { return TAVConfiguration::GetAppDataFolder() + kProfilesFileName; }

bool LoadUserProfiles(TAVProfileList& List) {
  std::error_code ec;
  const std::string file = UserProfilesFileName();
  if (!std::filesystem::exists(file, ec)) return false;
  const TIniFile ini(file);  // read once: checked, then loaded
  if (ini.ReadInteger(kSection, kProfileCountKey, 0) <= 0)
    KeepDamagedFile(file, UnusableBecause(file), kBuiltInProfiles);
  LoadProfiles(List, ini);
  return true;
}
