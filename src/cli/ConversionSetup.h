#pragma once
// What the CLI's conversions share: the catalogue, the profile look-up and
// the options prepared in the wizard's order. Main thread.
#include <string>
#include <vector>

#include "cli/CliArguments.h"

class TAVConverter;
class TAVProfile;
class TAVProfileList;

// The catalogue the GUI offers: the built-in one, replaced by the user's
// "Profiles.ini" when it exists (unless UserProfiles is false). A file that
// cannot be used is named in a warning on standard error; the built-in
// catalogue stays.
void LoadCatalogue(TAVProfileList& List, bool UserProfiles);
// The profile named Description among those the wizard offers; empty: the one
// the wizard preselects (the first of the first category). nullptr when none.
const TAVProfile* FindProfile(const TAVProfileList& List, const std::string& Description);
// A warning on standard error for each KEY=VALUE of Options that no option
// context knows: the job would ignore it (a typo such as "cfr" for "crf").
void WarnAboutUnknownOptions(const std::vector<std::string>& Options);
// The wizard's order: range and filters, thread count, profile; then the
// extra options. Raises what the profile raises.
void PrepareConverter(const TCliArguments& A, const TAVProfile& Profile, TAVConverter& Converter);
