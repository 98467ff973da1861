// One instance per user: a later start of the real program hands its files to
// this process's instance and exits without opening the task database; a
// socket left by a killed instance does not stand in the way.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QProcess>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "Common/InstanceChannel.h"
#include "CommonGUI/GuiTestSupport.h"
#include "CommonGUI/OpenFiles.gui.h"
#include "CommonGUI/SingleInstance.gui.h"
#include "support/Fixtures.h"

namespace fs = std::filesystem;

namespace {

// A socket file with no one listening, as a killed instance leaves it.
void LeaveStaleSocket(const std::string& Path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  sockaddr_un address {};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, Path.c_str(), sizeof(address.sun_path) - 1);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
  ::close(fd);
  ASSERT_TRUE(fs::is_socket(Path));
}

TEST(SingleInstance, ASecondStartHandsOverItsFileAndExits) {
  const std::string data = gui::FreshDataFolder();
  // Short: a socket's path has room for about a hundred bytes.
  const std::string runtime = fixtures::TempDir("si");
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
  fs::create_directories(runtime + "/quillbrook");
  LeaveStaleSocket(InstanceSocketPath(runtime + "/quillbrook/"));

  gui::TRecordingHost host;
  TAVConfiguration config;
  TFormMain form(host, config);
  form.show();
  TSingleInstance instance;
  ASSERT_TRUE(instance.Primary());
  TFileOpener opener(form, [&form](const QStringList& Files) { form.AddConversion(Files.front()); });
  QObject::connect(&instance, &TSingleInstance::FilesReceived, &opener, &TFileOpener::Request);
  host.Calls.clear();

  const std::string clip = data + "/clip one.mp4";
  std::ofstream(clip) << "x";
  QProcess second;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  second.setProcessEnvironment(env);
  second.setWorkingDirectory(QString::fromStdString(data));
  // A relative name, a folder and a missing file: only the file arrives.
  second.start(QStringLiteral(QB_GUI_PROGRAM), {QStringLiteral("clip one.mp4"), QString::fromStdString(data),
                                                 QStringLiteral("/no/such/file.mp4")});
  ASSERT_TRUE(second.waitForStarted());
  ASSERT_TRUE(gui::WaitUntil([&] { return second.state() == QProcess::NotRunning; }));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0) << second.readAllStandardError().toStdString();
  ASSERT_TRUE(gui::WaitUntil([&] { return !host.Calls.empty(); }));
  EXPECT_EQ(host.Calls, std::vector<std::string>{"add:" + clip});
  // The later start opened neither the task database nor the configuration.
  const std::string folder = data + "/QuillbrookSoft/VIVUraraZuzavizezUDO/";
  EXPECT_FALSE(fs::exists(folder + "av.cfg"));
  EXPECT_FALSE(fs::exists(folder + "Config.Xml"));
  unsetenv("XDG_RUNTIME_DIR");
}

// The program started with a file (a desktop entry's %F, "Open with") opens
// the wizard with it once its window is up: the wizard's preview then holds
// the file open, which /proc shows.
TEST(SingleInstance, AFirstStartWithAFileOpensTheWizardWithIt) {
  const std::string data = gui::FreshDataFolder();
  const std::string runtime = fixtures::TempDir("sf");
  fs::create_directories(runtime);
  fs::permissions(runtime, fs::perms::owner_all, fs::perm_options::replace);
  const std::string clip = data + "/start clip.avi";
  fs::copy_file(fixtures::Clip640x480(1.0), clip);
  QProcess first;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
  env.insert(QStringLiteral("XDG_RUNTIME_DIR"), QString::fromStdString(runtime));
  first.setProcessEnvironment(env);
  first.start(QStringLiteral(QB_GUI_PROGRAM), {QString::fromStdString(clip)});
  ASSERT_TRUE(first.waitForStarted());
  const std::string fds = "/proc/" + std::to_string(first.processId()) + "/fd";
  const auto previewing = [&] {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fds, ec))
      if (fs::read_symlink(e.path(), ec) == clip) return true;
    return false;
  };
  const bool opened = gui::WaitUntil([&] { return first.state() == QProcess::Running && previewing(); }, 30000);
  first.kill();
  first.waitForFinished();
  EXPECT_TRUE(opened) << first.readAllStandardError().toStdString();
}

}  // namespace
