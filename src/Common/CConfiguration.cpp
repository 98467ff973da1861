#include "Common/CConfiguration.h"

#include <sys/resource.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "Common/DamagedFile.h"
#include "Common/Errors.h"
#include "Common/ProcessPriority.h"
#include "Common/XmlPersistence.h"

namespace fs = std::filesystem;

namespace {

constexpr const char* kAppFolder = "QuillbrookSoft/VIVUraraZuzavizezUDO/";
constexpr const char* kConfigFileName = "Config.Xml";
constexpr const char* kDefaultSettings = "the default settings";  // what replaces a damaged file
constexpr const char* kOutputFolderName = "/Conversion";
constexpr std::array<int, 6> kNiceValues{19, 10, 0, -5, -10, -20};
constexpr int kNormalPriority = 2;

const TPersistentClass& PerformanceClass() {
  using P = TPerformanceOptions;
  static const TPersistentClass c{"TPerformanceOptions",
                                  {IntProperty("ThreadCount", &P::ThreadCount, &P::SetThreadCount),
                                   IntProperty("ThreadPrority", &P::ThreadPrority, &P::SetThreadPrority),
                                   // Written only when set, so a file without it reads as automatic.
                                   IntProperty("ConcurrentTasks", &P::ConcurrentTasks, &P::SetConcurrentTasks, 0)}};
  return c;
}

TPerformanceOptions& PerformanceOf(TAVConfiguration& C) { return C.PerformanceOptions(); }

const TPersistentClass& ConfigurationClass() {
  using C = TAVConfiguration;
  TPersistentProperty performance{"PerformanceOptions", TPropKind::Object};
  performance.Object = [](void* o) -> void* { return &PerformanceOf(*static_cast<C*>(o)); };
  performance.ObjectClass = &PerformanceClass();
  static const TPersistentClass c{"TAVConfiguration",
                                  {performance, BoolProperty("ShutdownWhenDone", &C::ShutdownWhenDone, &C::SetShutdownWhenDone),
                                   StringProperty("OutputFolder", &C::OutputFolder, &C::SetOutputFolder)}};
  return c;
}

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  return home && *home ? home : "/tmp";
}

}  // namespace

int32_t TPerformanceOptions::BatchLimit() const {
  if (FConcurrentTasks > 0) return FConcurrentTasks;
  return std::max<int32_t>(1, ProcessorCount() / 2);
}

int NiceValueOfPriority(int Level) {
  if (Level < 0 || Level >= static_cast<int>(kNiceValues.size())) Level = kNormalPriority;
  return kNiceValues[static_cast<size_t>(Level)];
}

TAVConfiguration::TAVConfiguration() : FOutputFolder(HomeFolder() + kOutputFolderName) {}

std::string TAVConfiguration::GetAppDataFolder() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  std::string base = xdg && *xdg ? xdg : HomeFolder() + "/.local/share";
  if (base.back() != '/') base += '/';
  return base + kAppFolder;
}

std::string TAVConfiguration::GetConfigFile() { return GetAppDataFolder() + kConfigFileName; }

void TAVConfiguration::SaveToFile(const std::string& AFile) const {
  TXmlObjectWriter::WriteToFile(this, ConfigurationClass(), AFile, TPropFormat::Node, TXmlOutput::Indented);
}

void TAVConfiguration::LoadFromFile(const std::string& AFile) {
  TXmlObjectReader::ReadFromFile(this, ConfigurationClass(), AFile);
}

void TAVConfiguration::Save() const {
  std::error_code ec;
  fs::create_directories(fs::path(GetConfigFile()).parent_path(), ec);
  // A refusal by the system (raising priority without the right) is ignored.
  SetProcessNice(NiceValueOfPriority(FPerformanceOptions.ThreadPrority()));
  SaveToFile(GetConfigFile());
}

void TAVConfiguration::Load() {
  const std::string file = GetConfigFile();
  std::error_code ec;
  if (!fs::exists(file, ec)) Save();
  try {
    LoadFromFile(file);
  } catch (const std::exception& e) {
    // The user's file is kept beside the one the next Save writes, and no
    // half-read value is used.
    *this = TAVConfiguration();
    KeepDamagedFile(file, e.what(), kDefaultSettings);
  }
}

TAVConfiguration& Configuration() {
  static TAVConfiguration instance;
  return instance;
}

int32_t ProcessorCount() {
  static const int32_t count = static_cast<int32_t>(std::max(1u, std::thread::hardware_concurrency()));
  return count;
}
