#include "cli/ConversionSetup.h"

#include <cstdint>
#include <cstdio>

#include "Common/CConfiguration.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"

namespace {
constexpr double kMicro = 1000000.0;
}  // namespace

void LoadCatalogue(TAVProfileList& List, bool UserProfiles) {
  BuildProfileCatalogue(List);
  if (!UserProfiles) return;
  try {
    LoadUserProfiles(List);
  } catch (const std::exception& e) {
    // The run goes on with the built-in catalogue, whatever the file left.
    BuildProfileCatalogue(List);
    fprintf(stderr, "Warning: %s\n", e.what());
  }
}

const TAVProfile* FindProfile(const TAVProfileList& List, const std::string& Description) {
  if (Description.empty()) {
    if (List.Categories.Empty()) return nullptr;
    const auto first = List.ProfilesInCategory(List.Categories[0]);
    return first.empty() ? nullptr : first.front();
  }
  for (int c = 0; c < List.Categories.Count(); ++c)
    for (const TAVProfile* p : List.ProfilesInCategory(List.Categories[c]))
      if (p->Description() == Description) return p;
  return nullptr;
}

void PrepareConverter(const TCliArguments& A, const TAVProfile& Profile, TAVConverter& Converter) {
  TAVConvertOptions& o = Converter.ConvertOptions();
  o.SetRecordingTime(INT64_MAX);
  if (A.Start) o.SetStartTime(static_cast<int64_t>(*A.Start * kMicro));
  if (A.End) o.SetRecordingTime(static_cast<int64_t>((*A.End - A.Start.value_or(0.0)) * kMicro));
  if (A.Filters) o.FilterOptions().SetVideoFilters(*A.Filters);
  o.SetInputFormat("");
  o.SetThreadCount(A.Threads ? *A.Threads : ProcessorCount());
  Profile.ApplyProfile(Converter);
  o.SetTargetSize(A.TargetSize.value_or(0));
  for (const std::string& kv : A.Options) {
    const size_t eq = kv.find('=');
    o.SetAdvancedOption(kv.substr(0, eq), kv.substr(eq + 1));
  }
}
