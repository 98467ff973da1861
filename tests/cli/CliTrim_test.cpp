// A trim of an input that can't seek: a transport stream piped into the CLI.
#include <gtest/gtest.h>

#include "support/Fixtures.h"
#include "support/Pictures.h"
#include "support/ProbeResult.h"

namespace {

using fixtures::ShellQuote;

TEST(CliTrim, PipedInputBeginsAtTheStart) {
  const std::string source = fixtures::Media(
      "pipe_src.ts", "-f lavfi -i testsrc2=size=320x240:rate=25:duration=8 -c:v libx264 -preset ultrafast -g 50 -bf 2 "
                     "-pix_fmt yuv420p");
  const std::string out = fixtures::TempDir("cli_pipe") + "/piped.mkv";
  int status = -1;
  const std::string log = fixtures::RunCommand("cat " + ShellQuote(source) + " | " + std::string(QB_CLI) +
                                                   " --start 5 --end 7 pipe:0 " + ShellQuote(out) + " 2>&1",
                                               &status);
  ASSERT_EQ(status, 0) << log;
  const std::vector<std::string> frames = fixtures::GrayFrames(out);
  ASSERT_FALSE(frames.empty());
  fixtures::ExpectSourceFrame(frames.front(), source, 125, "first picture");  // 5 s at 25 fps
  EXPECT_NEAR(static_cast<double>(frames.size()), 50.0, 1.0);
}

}  // namespace
