// Advanced option contexts: which context takes a name, value validation,
// the flag filter on copying, codec look-up, and the translation of old names.
#include <gtest/gtest.h>

extern "C" {
#include <libavutil/opt.h>
}

#include "Common/Errors.h"
#include "Converter/AVConverterOptionContexts.h"
#include "support/ConverterHarness.h"

namespace {

int64_t IntOption(void* Obj, const char* Name) {
  int64_t v = -12345;
  av_opt_get_int(Obj, Name, AV_OPT_SEARCH_CHILDREN, &v);
  return v;
}

TEST(OptionContexts, CodecOptionReachesVideoEncodersOnly) {
  harness::ErrorRecorder errors;
  TOptionContexts ctx(4);
  EXPECT_EQ(ctx.ApplyOption("g", "15"), 0);
  EXPECT_EQ(ctx.Codec(AVMEDIA_TYPE_VIDEO)->gop_size, 15);
  EXPECT_EQ(ctx.Codec(AVMEDIA_TYPE_DATA)->gop_size, 15);        // type mask 0 matches any option
  EXPECT_EQ(ctx.Codec(AVMEDIA_TYPE_ATTACHMENT)->gop_size, 15);
  EXPECT_NE(ctx.Codec(AVMEDIA_TYPE_AUDIO)->gop_size, 15);

  ff::CodecContextPtr video(avcodec_alloc_context3(avcodec_find_encoder_by_name("mpeg4")));
  ff::CodecContextPtr audio(avcodec_alloc_context3(avcodec_find_encoder_by_name("mp2")));
  ctx.CopyContextOptions(video.get(), ctx.Codec(AVMEDIA_TYPE_VIDEO), ofEncoding | ofVideo);
  ctx.CopyContextOptions(audio.get(), ctx.Codec(AVMEDIA_TYPE_AUDIO), ofEncoding | ofAudio);
  EXPECT_EQ(video->gop_size, 15);
  EXPECT_NE(audio->gop_size, 15);
  EXPECT_TRUE(errors.Messages().empty());
}

TEST(OptionContexts, FormatOptionGoesToOutputsNotInputs) {
  TOptionContexts ctx(4);
  EXPECT_EQ(ctx.ApplyOption("packetsize", "2324"), 0);
  AVFormatContext* out = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, "vcd", nullptr), 0);
  ctx.CopyContextOptions(out, ctx.Format(), ofEncoding);
  EXPECT_EQ(out->packet_size, 2324u);
  avformat_free_context(out);

  ff::Dictionary input;
  ctx.CopyContextOptions(&input, ctx.Format(), ofDecoding);
  EXPECT_EQ(av_dict_get(input.get(), "packetsize", nullptr, 0), nullptr);
}

TEST(OptionContexts, MuxRateIsAMuxerOptionOfTheOutput) {
  TOptionContexts ctx(4);
  EXPECT_EQ(ctx.ApplyOption("muxrate", "1411200"), 0);
  AVFormatContext* out = nullptr;
  ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, "vcd", nullptr), 0);
  ctx.CopyContextOptions(out, ctx.Format(), ofEncoding);
  EXPECT_EQ(IntOption(out, "muxrate"), 1411200);
  avformat_free_context(out);
  ff::Dictionary input;
  ctx.CopyContextOptions(&input, ctx.Format(), ofDecoding);
  EXPECT_EQ(av_dict_get(input.get(), "muxrate", nullptr, 0), nullptr);
}

TEST(OptionContexts, PrefixedNameFallsBackToThatMediaType) {
  TOptionContexts ctx(4);
  // "ag" is unknown everywhere; without its "a" it is the group size, set on audio only.
  EXPECT_EQ(ctx.ApplyOption("ag", "7"), 0);
  EXPECT_EQ(ctx.Codec(AVMEDIA_TYPE_AUDIO)->gop_size, 7);
  EXPECT_NE(ctx.Codec(AVMEDIA_TYPE_VIDEO)->gop_size, 7);
}

TEST(OptionContexts, UnknownNamesAreSilentBadValuesAreReported) {
  harness::ErrorRecorder errors;
  TOptionContexts ctx(4);
  EXPECT_EQ(ctx.ApplyOption("no_such_option_anywhere", "1"), -1);
  ctx.ApplyLine("line without equals sign");
  EXPECT_TRUE(errors.Messages().empty());
  EXPECT_EQ(ctx.ApplyOption("g", "fifteen"), -1);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>{"Invalid value for Option!"});
  EXPECT_TRUE(ctx.OptNames().empty());
}

TEST(OptionContexts, LaterLineWinsAndBitRatesStaySeparate) {
  TOptionContexts ctx(4);
  ctx.ApplyOption("ab", "64000");
  ctx.ApplyOption("b", "800000");
  ctx.ApplyLine("b=1000000");
  ff::CodecContextPtr video(avcodec_alloc_context3(avcodec_find_encoder_by_name("mpeg4")));
  ff::CodecContextPtr audio(avcodec_alloc_context3(avcodec_find_encoder_by_name("mp2")));
  ctx.CopyContextOptions(video.get(), ctx.Codec(AVMEDIA_TYPE_VIDEO), ofEncoding | ofVideo);
  ctx.CopyContextOptions(audio.get(), ctx.Codec(AVMEDIA_TYPE_AUDIO), ofEncoding | ofAudio);
  EXPECT_EQ(video->bit_rate, 1000000);
  EXPECT_EQ(audio->bit_rate, 64000);
}

TEST(OptionContexts, OldX264NamesBecomeEncoderPrivateOptions) {
  harness::ErrorRecorder errors;
  TOptionContexts ctx(4);
  for (const char* line : {"coder=1", "flags=+loop", "cmp=+chroma",
                           "partitions=+parti8x8+parti4x4+partp8x8+partb8x8", "me_method=umh",
                           "directpred=3", "flags2=+mixed_refs+wpred+dct8x8-fastpskip+mbtree",
                           "wpredp=2", "b_strategy=2", "sc_threshold=40", "cqp=0"})
    ctx.ApplyLine(line);
  EXPECT_TRUE(errors.Messages().empty());
  const AVCodec* x264 = avcodec_find_encoder_by_name("libx264");
  ASSERT_NE(x264, nullptr);
  ff::CodecContextPtr enc(avcodec_alloc_context3(x264));
  ctx.CopyContextOptions(enc.get(), ctx.Codec(AVMEDIA_TYPE_VIDEO), ofEncoding | ofVideo);
  EXPECT_EQ(IntOption(enc.get(), "coder"), 1);
  EXPECT_EQ(IntOption(enc.get(), "motion-est"), 2);
  EXPECT_EQ(IntOption(enc.get(), "direct-pred"), 3);
  EXPECT_EQ(IntOption(enc.get(), "mixed-refs"), 1);
  EXPECT_EQ(IntOption(enc.get(), "fast-pskip"), 0);
  EXPECT_EQ(IntOption(enc.get(), "weightp"), 2);
  EXPECT_EQ(IntOption(enc.get(), "qp"), 0);
  uint8_t* parts = nullptr;
  ASSERT_GE(av_opt_get(enc.get(), "partitions", AV_OPT_SEARCH_CHILDREN, &parts), 0);
  EXPECT_STREQ(reinterpret_cast<char*>(parts), "i8x8,i4x4,p8x8,b8x8");
  av_free(parts);
  EXPECT_TRUE(enc->flags & AV_CODEC_FLAG_LOOP_FILTER);
}

TEST(OptionContexts, TranslatedNamesHaveTheirValuesChecked) {
  harness::ErrorRecorder errors;
  TOptionContexts ctx(4);
  EXPECT_EQ(ctx.ApplyOption("me_method", "bogus"), -1);
  EXPECT_EQ(ctx.ApplyOption("coder", "sideways"), -1);
  EXPECT_EQ(ctx.ApplyOption("muxrate", "fast"), -1);
  EXPECT_EQ(errors.Messages(), std::vector<std::string>(3, "Invalid value for Option!"));
  EXPECT_EQ(ctx.ApplyOption("me_method", "tesa"), 0);
  EXPECT_EQ(errors.Messages().size(), 3u);
  // Refused values are not applied: the encoder keeps its default otherwise.
  ff::CodecContextPtr enc(avcodec_alloc_context3(avcodec_find_encoder_by_name("libx264")));
  ctx.CopyContextOptions(enc.get(), ctx.Codec(AVMEDIA_TYPE_VIDEO), ofEncoding | ofVideo);
  EXPECT_EQ(IntOption(enc.get(), "motion-est"), 4);
  EXPECT_EQ(IntOption(enc.get(), "coder"), -1);
}

TEST(FindCodecId, NamesTypesAndOldEncoderNames) {
  EXPECT_EQ(FindCodecId("", AVMEDIA_TYPE_VIDEO, true), AV_CODEC_ID_NONE);
  EXPECT_EQ(FindCodecId("mpeg4", AVMEDIA_TYPE_VIDEO, true), AV_CODEC_ID_MPEG4);
  EXPECT_EQ(FindCodecId("libfaac", AVMEDIA_TYPE_AUDIO, true), AV_CODEC_ID_AAC);
  try {
    FindCodecId("nonsense_codec", AVMEDIA_TYPE_VIDEO, true);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Unknown Codec Name");
  }
  try {
    FindCodecId("mp2", AVMEDIA_TYPE_VIDEO, false);
    FAIL();
  } catch (const Exception& e) {
    EXPECT_STREQ(e.what(), "Invalid codec type");
  }
}

}  // namespace
