#include "Converter/AVProfileStore.h"

#include <algorithm>

#include "Common/IniFile.h"
#include "Converter/AVProfile.h"

namespace {
constexpr const char* kSection = "Profile";
// A damaged count must not make start-up create millions of profiles.
constexpr int kMaxStoredProfiles = 10000;
}

void SaveProfiles(const TAVProfileList& List, const std::string& FileName) {
  TIniFile ini(FileName);
  int count = 0;
  for (int i = 0; i < List.ProfileCount(); ++i) {
    const TAVProfile* p = List.Profiles(i);
    if (!dynamic_cast<const TAVCustomAudioProfile*>(p)) continue;
    p->SaveToFile(ini, count);
    ++count;
  }
  ini.WriteInteger(kSection, "ProfileCount", count);
}

void LoadProfiles(TAVProfileList& List, const std::string& FileName) {
  const TIniFile ini(FileName);
  List.Clear();
  const int count = std::min(ini.ReadInteger(kSection, "ProfileCount", 0), kMaxStoredProfiles);
  for (int n = 0; n < count; ++n) {
    std::unique_ptr<TAVCustomAudioProfile> p;
    if (ini.ReadInteger(kSection, "IsVideo" + std::to_string(n), 0) != 0)
      p = std::make_unique<TAVCustomVideoProfile>();
    else
      p = std::make_unique<TAVCustomAudioProfile>();
    p->LoadFromFile(ini, n);
    List.AddProfile(std::move(p));
  }
}
