#pragma once
// The user profile file "Profiles.ini": every audio and video profile of the
// catalogue, in the section "Profile". Main thread.
#include <string>

class TAVProfileList;

constexpr const char* kProfilesFileName = "Profiles.ini";

// Writes the audio and video profiles of List, numbered from 0, "ProfileCount"
// and "CategoryCount" (the number of built-in categories).
void SaveProfiles(const TAVProfileList& List, const std::string& FileName);
// Replaces every profile of List by the file's profiles; a file written before
// a built-in category existed gets that category's built-in profiles appended.
void LoadProfiles(TAVProfileList& List, const std::string& FileName);

// The user's file in the application data folder.
std::string UserProfilesFileName();
// Loads the user's file into List when it exists (the catalogue the wizard and
// the CLI offer); true when it did. A file that cannot be read or holds no
// profile (empty, garbage, a folder) leaves List as it is: it is renamed to
// "Profiles.ini.bak", so that a later save does not destroy it, and an error
// naming both files is raised.
bool LoadUserProfiles(TAVProfileList& List);
