// The configuration file: the initial bytes, the folder, load and save.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <sstream>

#include "Common/CConfiguration.h"
#include "Common/XmlPersistence.h"
#include "Converter/AVConverter.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace {

std::string ReadAll(const std::string& Path) {
  std::ifstream in(Path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The bytes of a configuration file with the initial values.
std::string InitialFile() {
  const std::string home = std::getenv("HOME") ? std::getenv("HOME") : "/tmp";
  return "<data PropFormat=\"node\">\r\n  <TAVConfiguration>\r\n    <PerformanceOptions>\r\n"
         "      <ThreadCount>0</ThreadCount>\r\n      <ThreadPrority>2</ThreadPrority>\r\n"
         "    </PerformanceOptions>\r\n    <ShutdownWhenDone>0</ShutdownWhenDone>\r\n"
         "    <OutputFolder>" + home + "/Conversion</OutputFolder>\r\n  </TAVConfiguration>\r\n</data>";
}

class ConfigurationFile : public ::testing::Test {
 protected:
  void SetUp() override {
    Data = fixtures::TempDir("xdg");
    setenv("XDG_DATA_HOME", Data.c_str(), 1);
  }
  std::string Data;
};

TEST_F(ConfigurationFile, FirstStartWritesTheInitialFile) {
  EXPECT_EQ(TAVConfiguration::GetAppDataFolder(), Data + "/QuillbrookSoft/VIVUraraZuzavizezUDO/");
  TAVConfiguration c;
  c.Load();
  EXPECT_EQ(ReadAll(TAVConfiguration::GetConfigFile()), InitialFile());
  EXPECT_EQ(c.PerformanceOptions().ThreadPrority(), 2);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 0);
}

TEST_F(ConfigurationFile, SavedValuesReadBack) {
  TAVConfiguration c;
  c.SetShutdownWhenDone(true);
  c.PerformanceOptions().SetThreadCount(4);
  c.SetOutputFolder("/srv/转换 <out>");
  c.Save();
  EXPECT_NE(ReadAll(TAVConfiguration::GetConfigFile()).find("<ShutdownWhenDone>1</ShutdownWhenDone>"),
            std::string::npos);
  TAVConfiguration back;
  back.Load();
  EXPECT_TRUE(back.ShutdownWhenDone());
  EXPECT_EQ(back.PerformanceOptions().ThreadCount(), 4);
  EXPECT_EQ(back.OutputFolder(), "/srv/转换 <out>");
}

TEST_F(ConfigurationFile, ConcurrentTasksAreStoredOnlyWhenChosen) {
  TAVConfiguration c;
  // Automatic: half the processors, at least one.
  EXPECT_EQ(c.PerformanceOptions().BatchLimit(), std::max(1, ProcessorCount() / 2));
  c.PerformanceOptions().SetConcurrentTasks(3);
  c.Save();
  EXPECT_NE(ReadAll(TAVConfiguration::GetConfigFile())
                .find("<ThreadPrority>2</ThreadPrority>\r\n      <ConcurrentTasks>3</ConcurrentTasks>\r\n"),
            std::string::npos);
  TAVConfiguration back;
  back.Load();
  EXPECT_EQ(back.PerformanceOptions().BatchLimit(), 3);
}

TEST_F(ConfigurationFile, BadAndPartialFiles) {
  // A damaged file is kept byte for byte as Config.Xml.bak; nothing read from
  // it is used, and the next save writes the defaults beside it.
  std::filesystem::create_directories(TAVConfiguration::GetAppDataFolder());
  const std::string file = TAVConfiguration::GetConfigFile();
  const std::vector<std::string> damages{
      "<data><TAVConfiguration><PerformanceOptions><ThreadCount>3</ThreadCount><ThreadPrority>x</ThreadPrority>"
      "</PerformanceOptions></TAVConfiguration></data>",
      "<data><TAVConfiguration><ShutdownWhen\r\n" + std::string(1, '\0') + "\xff"};
  for (const std::string& damaged : damages) {
    std::ofstream(file, std::ios::binary) << damaged;
    TAVConfiguration c;
    try {
      c.Load();
      ADD_FAILURE() << "no error";
    } catch (const std::exception& e) {
      const std::string message = e.what();
      EXPECT_EQ(message.rfind(file + " could not be read (", 0), 0u) << message;
      EXPECT_NE(message.find("; it was kept as " + file + ".bak and the default settings are used"), std::string::npos)
          << message;
    }
    EXPECT_EQ(c.PerformanceOptions().ThreadCount(), 0);
    EXPECT_EQ(ReadAll(file + ".bak"), damaged);
    EXPECT_FALSE(std::filesystem::exists(file));
    c.Save();  // as at exit
    EXPECT_EQ(ReadAll(file), InitialFile());
    EXPECT_EQ(ReadAll(file + ".bak"), damaged);
  }
  std::ofstream(TAVConfiguration::GetConfigFile()) << "<data><TAVConfiguration><OutputFolder>/o</OutputFolder>"
                                                      "</TAVConfiguration></data>";
  TAVConfiguration partial;
  partial.Load();
  EXPECT_EQ(partial.OutputFolder(), "/o");
  EXPECT_EQ(partial.PerformanceOptions().ThreadCount(), 0);  // no element: the nested object keeps its values
  EXPECT_FALSE(partial.ShutdownWhenDone());
}

TEST_F(ConfigurationFile, SaveAppliesThePriority) {
  TAVConfiguration c;
  c.PerformanceOptions().SetThreadPrority(4);
  c.Save();
  if (geteuid() != 0) {
    GTEST_SKIP() << "raising the priority needs root";
  }
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), -10);
  TAVConfiguration back;
  back.Load();  // loading does not apply it
  EXPECT_EQ(back.PerformanceOptions().ThreadPrority(), 4);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), -10);
  c.PerformanceOptions().SetThreadPrority(2);
  c.Save();
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), 0);
}

// The nice value of every thread of this process (field 19 of its stat line).
std::vector<int> ThreadNiceValues() {
  constexpr int kNiceField = 19;
  std::vector<int> values;
  for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
    const std::string stat = ReadAll((thread.path() / "stat").string());
    const size_t nameEnd = stat.rfind(')');  // the name may hold spaces
    if (nameEnd == std::string::npos) continue;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    for (int i = 3; i <= kNiceField; ++i) fields >> field;  // fields 1 and 2 are the id and the name
    values.push_back(std::stoi(field));
  }
  return values;
}

TEST_F(ConfigurationFile, IdlePriorityReachesEveryThreadOfARunningConversion) {
  harness::MainLoop loop;
  TAVConverter converter;
  converter.InputFiles().Add(
      fixtures::Media("priority30.avi", "-f lavfi -i testsrc2=size=640x480:rate=25:duration=30 -c:v mpeg4"));
  converter.OutputFiles().Add(Data + "/priority.avi");
  converter.ConvertOptions().SetThreadCount(2);  // codec threads as well as the worker
  converter.Convert();
  ASSERT_TRUE(loop.PumpUntil([&] { return converter.Progress() > 0; }));

  TAVConfiguration c;
  c.PerformanceOptions().SetThreadPrority(0);
  c.Save();
  const std::vector<int> nice = ThreadNiceValues();
  converter.Stop();
  ASSERT_TRUE(loop.WaitForJobs());
  if (getpriority(PRIO_PROCESS, 0) != NiceValueOfPriority(0)) GTEST_SKIP() << "the system refused nice 19";
  EXPECT_GE(nice.size(), 3u);  // this thread, the worker and codec threads
  for (int n : nice) EXPECT_EQ(n, 19);
}

TEST(PriorityLevels, NiceValues) {
  EXPECT_EQ(NiceValueOfPriority(0), 19);
  EXPECT_EQ(NiceValueOfPriority(2), 0);
  EXPECT_EQ(NiceValueOfPriority(5), -20);
  EXPECT_EQ(NiceValueOfPriority(9), 0);
}

}  // namespace

namespace {

TEST_F(ConfigurationFile, SavingReplacesTheFileWholeOrLeavesTheOldOne) {
  TAVConfiguration config;
  config.Load();
  const std::string file = TAVConfiguration::GetConfigFile();
  config.SetShutdownWhenDone(true);
  config.Save();
  EXPECT_NE(ReadAll(file).find("<ShutdownWhenDone>1</ShutdownWhenDone>"), std::string::npos) << ReadAll(file);
  EXPECT_FALSE(std::filesystem::exists(file + ".tmp"));

  // A target that cannot be replaced (a folder in its place) is reported and
  // nothing is left behind.
  const std::string blocked = Data + "/blocked.xml";
  std::filesystem::create_directories(blocked + "/inside");
  try {
    config.SaveToFile(blocked);
    ADD_FAILURE() << "no error";
  } catch (const std::exception& e) {
    EXPECT_EQ(std::string(e.what()), "Unable to write to " + blocked);
  }
  EXPECT_TRUE(std::filesystem::is_directory(blocked + "/inside"));
  EXPECT_FALSE(std::filesystem::exists(blocked + ".tmp"));
}

}  // namespace
