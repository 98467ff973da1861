// CPU time of the GUI's main thread while the main window shows one running
// conversion, as a share of one core. Run by hand: bench/gui_mainthread.sh
//   qb_bench_gui_mainthread SOURCE PROFILE [--every-packet] [--copy]
// --every-packet repaints the task's row at every progress notice, as the
// program did before the repaints were paced. --copy copies both streams
// instead of encoding them (the profile then names only the container). Prints one line:
//   gui_main_thread profile=<p> wall_ms=<ms> main_cpu_ms=<stat> main_cpu_ms_precise=<schedstat>
//     share_percent=<main cpu / wall> process_cpu_ms=<ms>
#include <sys/syscall.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "Common/CConfiguration.h"
#include "Common/CConversionSettings.h"
#include "CommonGUI/AVNodes.h"
#include "CommonGUI/DModule.gui.h"
#include "CommonGUI/FExplorerFrame.gui.h"
#include "CommonGUI/FMain.gui.h"
#include "CommonGUI/FMainViews.gui.h"
#include "Converter/avlib.h"
#include "app/screenshots/ScreenshotSupport.h"

namespace {

constexpr int kCodecThreads = 2;
constexpr int kPollMs = 100;
constexpr double kPercent = 100.0;

// utime + stime of a /proc stat line, in milliseconds (fields 14 and 15,
// counted after the parenthesised command name).
double StatCpuMs(const std::string& Path) {
  std::ifstream in(Path);
  std::string line;
  std::getline(in, line);
  std::istringstream rest(line.substr(line.rfind(')') + 2));
  std::string field;
  long long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && rest >> field; ++i) {
    if (i == 14) utime = std::stoll(field);
    if (i == 15) stime = std::stoll(field);
  }
  return static_cast<double>(utime + stime) * 1000.0 / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// Time on a core in milliseconds, to the nanosecond (first field of schedstat).
double SchedCpuMs(const std::string& Path) {
  std::ifstream in(Path);
  long long ns = 0;
  in >> ns;
  return static_cast<double>(ns) / 1e6;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s SOURCE PROFILE [--every-packet] [--copy]\n", argv[0]);
    return 2;
  }
  const std::string source = argv[1], profileName = argv[2];
  bool everyPacket = false, copy = false;
  for (int i = 3; i < argc; ++i) {
    everyPacket = everyPacket || std::strcmp(argv[i], "--every-packet") == 0;
    copy = copy || std::strcmp(argv[i], "--copy") == 0;
  }
  TThrowAwaySession session(argc, argv);
  TAVConfiguration configuration;
  configuration.SetOutputFolder(session.DataFolder().toStdString() + "/out");
  TdmGlobal module(configuration);
  TaskModel().PowerOff = nullptr;
  if (everyPacket) {
    // Every read is a whole interval later: each notice repaints.
    TaskModel().Clock = [now = int64_t{0}]() mutable { return now += kRowRepaintIntervalUs; };
  }
  TMainWindowViews views(module, nullptr);
  TFormMain form(views, configuration);
  form.show();
  WaitIdle();

  TAVProfile* profile = module.profileList.FindByDescription(profileName);
  if (!profile) {
    std::fprintf(stderr, "no profile \"%s\"\n", profileName.c_str());
    return 2;
  }
  TAVConverter prepared;
  prepared.ConvertOptions().SetRecordingTime(INT64_MAX);
  prepared.ConvertOptions().SetInputFormat("");
  prepared.ConvertOptions().SetThreadCount(kCodecThreads);
  profile->ApplyProfile(prepared);
  if (copy) {
    prepared.ConvertOptions().VideoOptions().SetVideoStreamCopy(true);
    prepared.ConvertOptions().AudioOptions().SetAudioStreamCopy(true);
  }
  auto settings = std::make_unique<TConversionSettings>();
  settings->SourceFile = source;
  settings->TargetFile = session.DataFolder().toStdString() + "/target" + profile->Extension();
  settings->Profile = profileName;
  settings->CategoryId = TConvertedNode::kRootCategoryId;
  settings->SetConvertOptions(prepared.ConvertOptions());

  const std::string mainTask = "/proc/self/task/" + std::to_string(syscall(SYS_gettid));
  TConvertingNode& converting = *views.Explorer()->ConvertingNode();
  const double mainStat = StatCpuMs(mainTask + "/stat"), mainSched = SchedCpuMs(mainTask + "/schedstat");
  const double processStat = StatCpuMs("/proc/self/stat");
  QElapsedTimer clock;
  clock.start();
  converting.NewConversion(std::move(settings));
  // The window's own event loop, left when the task has left the list.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (converting.Tasks().empty()) loop.quit();
  });
  poll.start(kPollMs);
  loop.exec();
  const double wallMs = static_cast<double>(clock.nsecsElapsed()) / 1e6;
  const double mainMs = StatCpuMs(mainTask + "/stat") - mainStat;
  const double mainPreciseMs = SchedCpuMs(mainTask + "/schedstat") - mainSched;
  const double processMs = StatCpuMs("/proc/self/stat") - processStat;
  std::printf(
      "gui_main_thread profile=%s%s repaint=%s wall_ms=%.0f main_cpu_ms=%.0f main_cpu_ms_precise=%.1f "
      "share_percent=%.2f process_cpu_ms=%.0f\n",
      profileName.c_str(), copy ? " (copy)" : "", everyPacket ? "every-packet" : "paced", wallMs, mainMs, mainPreciseMs,
      mainPreciseMs / wallMs * kPercent, processMs);
  views.ReleaseTasks();
  return 0;
}
