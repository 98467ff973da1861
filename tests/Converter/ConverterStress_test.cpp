// Fifty short conversions, five at a time, paused, resumed and stopped at
// seeded random moments: every output is a complete file that ffprobe and the
// ffmpeg CLI read without an error, and afterwards the process holds no more
// threads or file handles than before.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

#include "Converter/AVProfileCatalogue.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace {

using fixtures::ShellQuote;
using Clock = std::chrono::steady_clock;

constexpr unsigned kSeed = 20240611;  // change to explore; failures name it
constexpr int kConversions = 50;
constexpr int kAtOnce = 5;
// Moments count progress notifications (one per packet); a 2-second clip gives
// about 140, so some stop points lie beyond the end and those jobs complete.
constexpr int kFirstMoment = 3;
constexpr int kLastMoment = 170;
constexpr int kLongestPauseMs = 60;
constexpr int kPumpSliceMs = 5;
constexpr int kBatchLimitMs = 120000;
constexpr int kSettleMs = 5000;

const char* const kProfiles[] = {"MPEG-4 AVC", "DivX影片(*.avi)", "DVD MPEG TS(PAL)"};

size_t CountEntries(const char* Folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(Folder)) ++n;
  return n;
}

// What the seed decided for one conversion.
struct Moments {
  int PauseAt = 0;   // 0: never paused
  int PauseMs = 0;
  bool StopWhilePaused = false;
  int StopAt = 0;
};

Moments Draw(std::mt19937& Rng) {
  std::uniform_int_distribution<int> moment(kFirstMoment, kLastMoment);
  std::uniform_int_distribution<int> pause(0, kLongestPauseMs);
  std::bernoulli_distribution coin(0.5);
  Moments p;
  if (coin(Rng)) {
    p.PauseAt = moment(Rng);
    p.PauseMs = pause(Rng);
    p.StopWhilePaused = coin(Rng);
  }
  p.StopAt = moment(Rng);
  return p;
}

// One conversion in flight and what the main thread does to it.
struct Job {
  TAVConverter Converter;
  harness::Events Events;
  Moments Plan;
  std::string Target;
  int Notifications = 0;
  bool Paused = false;
  Clock::time_point ResumeAt;
};

void Steer(Job& J) {
  J.Converter.OnProgress = [&J](TAVConverter* C) {
    ++J.Events.Progress;
    ++J.Notifications;
    if (J.Notifications == J.Plan.PauseAt) {
      C->Pause();
      J.Paused = true;
      J.ResumeAt = Clock::now() + std::chrono::milliseconds(J.Plan.PauseMs);
    }
    if (J.Notifications == J.Plan.StopAt) C->Stop();
  };
}

// Main thread: resumes or stops the paused jobs whose pause is over.
void EndPauses(std::vector<std::unique_ptr<Job>>& Jobs) {
  for (auto& j : Jobs) {
    if (!j->Paused || Clock::now() < j->ResumeAt) continue;
    j->Paused = false;
    if (j->Plan.StopWhilePaused) j->Converter.Stop();
    else j->Converter.Resume();
  }
}

void ExpectCompleteFile(const std::string& Target, const std::string& What) {
  int status = 0;
  const std::string streams = fixtures::RunCommand(
      "ffprobe -v error -show_entries stream=codec_type -of csv=p=0 " + ShellQuote(Target) + " 2>&1", &status);
  EXPECT_EQ(status, 0) << What << "\n" << streams;
  EXPECT_NE(streams.find("video"), std::string::npos) << What << "\n" << streams;
  const std::string decoded =
      fixtures::RunCommand("ffmpeg -v error -i " + ShellQuote(Target) + " -f null - 2>&1", &status);
  EXPECT_EQ(status, 0) << What;
  EXPECT_EQ(decoded, "") << What;
}

TEST(ConverterStress, StopAndPauseAtRandomMomentsLeaveCompleteFilesAndNoLeaks) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  const std::string dir = fixtures::TempDir("stress");
  const std::string source = fixtures::Clip640x480(2.0);
  TAVProfileList catalogue;
  BuildProfileCatalogue(catalogue);

  // A first conversion lets the library make its one-time allocations.
  {
    TAVConverter warm;
    ASSERT_TRUE(catalogue.FindByDescription(kProfiles[0])->ApplyProfile(warm));
    ASSERT_TRUE(harness::Run(warm, loop, source, dir + "/warm.mp4").Finished);
  }
  const size_t threadsBefore = CountEntries("/proc/self/task");
  const size_t handlesBefore = CountEntries("/proc/self/fd");

  std::mt19937 rng(kSeed);
  int stopped = 0, completed = 0;
  for (int first = 0; first < kConversions; first += kAtOnce) {
    std::vector<std::unique_ptr<Job>> jobs;
    for (int n = first; n < first + kAtOnce && n < kConversions; ++n) {
      auto j = std::make_unique<Job>();
      const TAVProfile* profile = catalogue.FindByDescription(kProfiles[n % std::size(kProfiles)]);
      ASSERT_NE(profile, nullptr);
      ASSERT_TRUE(profile->ApplyProfile(j->Converter));
      j->Converter.ConvertOptions().SetThreadCount(1 + n % 2);  // every other one filters on a thread of its own
      j->Plan = Draw(rng);
      j->Target = dir + "/out" + std::to_string(n) + profile->Extension();
      j->Events.Attach(j->Converter);
      Steer(*j);
      j->Converter.InputFiles().Add(source);
      j->Converter.OutputFiles().Add(j->Target);
      jobs.push_back(std::move(j));
    }
    for (auto& j : jobs) j->Converter.Convert();
    const auto deadline = Clock::now() + std::chrono::milliseconds(kBatchLimitMs);
    while (RunningConverterThreads() > 0 && Clock::now() < deadline) {
      loop.PumpUntil([] { return RunningConverterThreads() == 0; }, kPumpSliceMs);
      EndPauses(jobs);
    }
    ASSERT_EQ(RunningConverterThreads(), 0) << "a job hung; seed " << kSeed << ", batch at " << first;
    for (size_t i = 0; i < jobs.size(); ++i) {
      const Job& j = *jobs[i];
      const std::string what = "conversion " + std::to_string(first + static_cast<int>(i)) + " (seed " +
                               std::to_string(kSeed) + ", pause at " + std::to_string(j.Plan.PauseAt) +
                               ", stop at " + std::to_string(j.Plan.StopAt) + ")";
      EXPECT_EQ(j.Converter.State(), csNone) << what;
      EXPECT_EQ(j.Events.Stopped + j.Events.Completed, 1) << what;
      stopped += j.Events.Stopped;
      completed += j.Events.Completed;
      ExpectCompleteFile(j.Target, what);
    }
    EXPECT_TRUE(errors.Messages().empty()) << errors.Messages()[0];
  }
  // The seed gives both endings.
  EXPECT_GT(stopped, 0);
  EXPECT_GT(completed, 0);

  // Detached workers leave /proc a moment after they say they are done.
  const auto settle = Clock::now() + std::chrono::milliseconds(kSettleMs);
  while (CountEntries("/proc/self/task") > threadsBefore && Clock::now() < settle)
    std::this_thread::sleep_for(std::chrono::milliseconds(kPumpSliceMs));
  EXPECT_EQ(CountEntries("/proc/self/task"), threadsBefore);
  EXPECT_EQ(CountEntries("/proc/self/fd"), handlesBefore);
}

}  // namespace
