#pragma once
// The user profile file "Profiles.ini": every audio and video profile of the
// catalogue, in the section "Profile". Main thread.
#include <string>

class TAVProfileList;

constexpr const char* kProfilesFileName = "Profiles.ini";

// Writes the audio and video profiles of List, numbered from 0, and "ProfileCount".
void SaveProfiles(const TAVProfileList& List, const std::string& FileName);
// Replaces every profile of List by the file's profiles.
void LoadProfiles(TAVProfileList& List, const std::string& FileName);
