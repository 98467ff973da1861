// The video graph as the engine drives it: pictures in and out, and a job
// whose chain can't be built.
#include <gtest/gtest.h>

#include "Converter/AVConverterFilterGraph.h"
#include "Converter/FFmpegPtr.h"
#include "support/ConverterHarness.h"
#include "support/Fixtures.h"

namespace {

TVideoGraphInput Input(int W, int H) {
  TVideoGraphInput in;
  in.Width = W;
  in.Height = H;
  in.PixFmt = AV_PIX_FMT_YUV420P;
  in.FrameRate = {25, 1};
  in.SampleAspect = {1, 1};
  return in;
}

TVideoGraphOutput Output(int W, int H) {
  TVideoGraphOutput out;
  out.Width = W;
  out.Height = H;
  out.PixFmt = AV_PIX_FMT_YUV420P;
  return out;
}

TEST(FilterGraphUse, PicturesPassThrough) {
  TVideoFilterGraph g;
  ASSERT_TRUE(g.Build(Input(64, 48), Output(32, 24), "hflip"));
  ff::FramePtr in = ff::MakeFrame();
  in->width = 64;
  in->height = 48;
  in->format = AV_PIX_FMT_YUV420P;
  ASSERT_GE(av_frame_get_buffer(in.get(), 0), 0);
  for (int p = 0; p < 3; ++p) memset(in->data[p], 128, static_cast<size_t>(in->linesize[p] * (p ? 24 : 48)));
  in->pts = 40000;
  ASSERT_GE(g.Push(in.get()), 0);
  ff::FramePtr out = ff::MakeFrame();
  ASSERT_EQ(g.Pull(out.get()), 0);
  EXPECT_EQ(out->width, 32);
  EXPECT_EQ(out->pts, 40000);
  EXPECT_EQ(g.Pull(out.get()), AVERROR(EAGAIN));
  ASSERT_GE(g.Push(nullptr), 0);
  EXPECT_EQ(g.Pull(out.get()), AVERROR_EOF);
}

TEST(FilterGraphUse, JobWithAnUnparsableChainFails) {
  harness::MainLoop loop;
  harness::ErrorRecorder errors;
  TAVConverter c;
  c.ConvertOptions().FilterOptions().SetVideoFilters("this is not a filter");
  harness::Events events;
  events.Attach(c);
  ASSERT_TRUE(harness::Run(c, loop, fixtures::Clip640x480(), fixtures::TempDir("badchain") + "/x.avi").Finished);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Error opening filters!"});
  EXPECT_EQ(events.Completed, 1);
}

}  // namespace
