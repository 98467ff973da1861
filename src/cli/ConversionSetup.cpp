#include "cli/ConversionSetup.h"

#include <cstdint>
#include <cstdio>
#include <utility>

#include "Common/CConfiguration.h"
#include "Converter/AVConverter.h"
#include "Converter/AVConverterOptionContexts.h"
#include "Converter/AVProfileCatalogue.h"
#include "Converter/AVProfileStore.h"

namespace {
constexpr double kMicro = 1000000.0;

// "KEY=VALUE" split at its first "=" (the parser made sure there is one).
std::pair<std::string, std::string> SplitOption(const std::string& KeyValue) {
  const size_t eq = KeyValue.find('=');
  return {KeyValue.substr(0, eq), KeyValue.substr(eq + 1)};
}
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
    const auto [key, value] = SplitOption(kv);
    o.SetAdvancedOption(key, value);
  }
}

void WarnAboutUnknownOptions(const std::vector<std::string>& Options) {
  for (const std::string& kv : Options) {
    const auto [key, value] = SplitOption(kv);
    if (!IsKnownAdvancedOption(key, value))
      fprintf(stderr, "Warning: unknown option \"%s\" (--option %s has no effect)\n", key.c_str(), kv.c_str());
  }
}
