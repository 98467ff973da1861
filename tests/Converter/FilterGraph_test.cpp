// The video graph: which filters are built, the size read back, failures.
#include <gtest/gtest.h>

#include "Converter/AVConverterFilterGraph.h"
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

TEST(FilterGraph, ScaleOnlyWhenTheSizeDiffers) {
  TVideoFilterGraph scaled;
  ASSERT_TRUE(scaled.Build(Input(1280, 720), Output(640, 360), ""));
  EXPECT_EQ(scaled.Description(), "buffer,scale=640:360:flags=0x4,buffersink");
  EXPECT_EQ(scaled.OutputWidth(), 640);

  TVideoFilterGraph same;
  ASSERT_TRUE(same.Build(Input(640, 360), Output(640, 360), ""));
  EXPECT_EQ(same.Description(), "buffer,buffersink");

  TVideoGraphOutput cropped = Output(620, 360);
  cropped.Crop = true;
  cropped.LeftBand = 20;
  TVideoFilterGraph crop;
  ASSERT_TRUE(crop.Build(Input(640, 360), cropped, ""));
  EXPECT_EQ(crop.Description(), "buffer,crop=620:360:20:0,buffersink");
}

TEST(FilterGraph, ChainSizeIsReadBackAndBadChainsFail) {
  TVideoFilterGraph wide;
  ASSERT_TRUE(wide.Build(Input(320, 240), Output(320, 240), "pad=iw*2:ih"));
  EXPECT_EQ(wide.OutputWidth(), 640);
  EXPECT_EQ(wide.OutputHeight(), 240);
  TVideoFilterGraph bad;
  EXPECT_FALSE(bad.Build(Input(320, 240), Output(320, 240), "nosuchfilter=1"));
}

TEST(FilterGraph, PicturesPassThrough) {
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

TEST(FilterGraph, JobWithAnUnparsableChainFails) {
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
