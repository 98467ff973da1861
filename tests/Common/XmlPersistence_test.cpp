// The XML form: exact bytes of both output forms, the omission rules, and
// the reader's value rules and messages.
#include <gtest/gtest.h>

#include <clocale>
#include <fstream>

#include "Common/CConversionSettings.h"
#include "Common/IniFile.h"
#include "Common/OptionsPersistence.h"
#include "Common/XmlPersistence.h"
#include "Converter/AVConverter.h"
#include "Converter/AVProfile.h"
#include "support/Fixtures.h"
#include "support/ScopedLocale.h"

namespace {

// A test class with one property of every kind.
struct TSample {
  int32_t Count = 0;
  int32_t WithDefault = 7;
  bool Flag = false;
  int32_t Kind = 0;
  double Ratio = 0;
  float Single = 0;
  int64_t Big = 0;
  std::string Name;
  TStringList Lines;
  struct TInner {
    int32_t Num = 25;
  } Inner;
};

const std::vector<const char*> kKinds{"kOne", "kTwo"};

template <class T>
TPersistentProperty Member(const char* Name, TPropKind Kind, T TSample::*M, std::optional<int64_t> Default = std::nullopt) {
  TPersistentProperty p{Name, Kind, Default};
  if constexpr (std::is_same_v<T, std::string>) {
    p.GetString = [M](const void* o) { return static_cast<const TSample*>(o)->*M; };
    p.SetString = [M](void* o, const std::string& v) { static_cast<TSample*>(o)->*M = v; };
  } else if constexpr (std::is_floating_point_v<T>) {
    p.GetFloat = [M](const void* o) { return static_cast<double>(static_cast<const TSample*>(o)->*M); };
    p.SetFloat = [M](void* o, double v) { static_cast<TSample*>(o)->*M = static_cast<T>(v); };
  } else {
    p.GetInt = [M](const void* o) { return static_cast<int64_t>(static_cast<const TSample*>(o)->*M); };
    p.SetInt = [M](void* o, int64_t v) { static_cast<TSample*>(o)->*M = static_cast<T>(v); };
  }
  return p;
}

const TPersistentClass& InnerClass() {
  static const TPersistentClass c{"TInner", {[] {
                                    TPersistentProperty p{"Num", TPropKind::Int32, 25};
                                    p.GetInt = [](const void* o) { return int64_t{static_cast<const TSample::TInner*>(o)->Num}; };
                                    p.SetInt = [](void* o, int64_t v) { static_cast<TSample::TInner*>(o)->Num = static_cast<int32_t>(v); };
                                    return p;
                                  }()}};
  return c;
}

const TPersistentClass& SampleClass() {
  static const TPersistentClass c = [] {
    TPersistentClass k{"TSample", {}};
    k.Properties.push_back(Member("Count", TPropKind::Int32, &TSample::Count));
    k.Properties.push_back(Member("WithDefault", TPropKind::Int32, &TSample::WithDefault, 7));
    k.Properties.push_back(Member("Flag", TPropKind::Bool, &TSample::Flag));
    auto kind = Member("Kind", TPropKind::Enum, &TSample::Kind);
    kind.EnumNames = &kKinds;
    k.Properties.push_back(kind);
    k.Properties.push_back(Member("Ratio", TPropKind::Float, &TSample::Ratio));
    k.Properties.push_back(Member("Single", TPropKind::Float, &TSample::Single));
    k.Properties.push_back(Member("Big", TPropKind::Int64, &TSample::Big));
    k.Properties.push_back(Member("Name", TPropKind::String, &TSample::Name));
    TPersistentProperty lines{"Lines", TPropKind::StringList};
    lines.GetList = [](const void* o) -> const TStringList& { return static_cast<const TSample*>(o)->Lines; };
    lines.SetList = [](void* o, const TStringList& v) { static_cast<TSample*>(o)->Lines = v; };
    k.Properties.push_back(lines);
    TPersistentProperty inner{"Inner", TPropKind::Object};
    inner.Object = [](void* o) -> void* { return &static_cast<TSample*>(o)->Inner; };
    inner.ObjectClass = &InnerClass();
    k.Properties.push_back(inner);
    return k;
  }();
  return c;
}

std::string Flat(const TSample& S) { return TXmlObjectWriter::WriteToString(&S, SampleClass()); }

TEST(XmlWriter, FlatFormWithOmissionsAndEscaping) {
  TSample s;
  EXPECT_EQ(Flat(s),
            "<data PropFormat=\"node\"><TSample><Count>0</Count><Flag>0</Flag><Kind>kOne</Kind>"
            "<Lines Count=\"0\"/></TSample></data>");
  s.Count = -5;
  s.WithDefault = 8;
  s.Flag = true;
  s.Kind = 1;
  s.Ratio = 0.1;
  s.Single = 0.44f;
  s.Big = 9223372036854775807;
  s.Name = "  a<b>&\"'\nz";
  s.Lines = TStringList{"a", "", "c"};
  s.Inner.Num = 30;
  EXPECT_EQ(Flat(s),
            "<data PropFormat=\"node\"><TSample><Count>-5</Count><WithDefault>8</WithDefault><Flag>1</Flag>"
            "<Kind>kTwo</Kind><Ratio>0.1</Ratio><Single>0.439999997615814</Single><Big>9223372036854775807</Big>"
            "<Name>  a&lt;b&gt;&amp;&quot;&apos;\r\nz</Name><Lines Count=\"3\"><l0>a</l0><l2>c</l2></Lines>"
            "<Inner><Num>30</Num></Inner></TSample></data>");
}

TEST(XmlWriter, RealsUseAPointUnderADecimalCommaLocale) {
  const fixtures::TGermanNumbers german;
  if (!german.Active()) GTEST_SKIP() << "no de_DE.UTF-8 locale";
  TSample s;
  s.Ratio = 0.1;
  EXPECT_NE(Flat(s).find("<Ratio>0.1</Ratio>"), std::string::npos) << Flat(s);
}

TEST(XmlWriter, IndentedFileFormAndAttributeLayout) {
  TSample s;
  s.Lines = TStringList{"x"};
  EXPECT_EQ(TXmlObjectWriter::WriteToString(&s, SampleClass(), TPropFormat::Node, TXmlOutput::Indented),
            "<data PropFormat=\"node\">\r\n  <TSample>\r\n    <Count>0</Count>\r\n    <Flag>0</Flag>\r\n"
            "    <Kind>kOne</Kind>\r\n    <Lines Count=\"1\">\r\n      <l0>x</l0>\r\n    </Lines>\r\n"
            "  </TSample>\r\n</data>");
  s.Lines.Clear();
  EXPECT_NE(TXmlObjectWriter::WriteToString(&s, SampleClass(), TPropFormat::Node, TXmlOutput::Indented)
                .find("<Lines Count=\"0\" />"),
            std::string::npos);
  s.Name = "a\"b";
  EXPECT_EQ(TXmlObjectWriter::WriteToString(&s, SampleClass(), TPropFormat::Attr),
            "<data PropFormat=\"attr\"><TSample Count=\"0\" Flag=\"0\" Kind=\"kOne\" Name=\"a&quot;b\">"
            "<Lines Count=\"0\"/></TSample></data>");
}

TEST(XmlReader, RoundTripAndCaseInsensitiveNames) {
  TSample s;
  s.Name = "  spaced ";
  s.Lines = TStringList{"a", "", "c"};
  s.Big = 42;
  s.Single = 1.5f;
  TSample back;
  back.WithDefault = 99;
  TXmlObjectReader::ReadFromString(&back, SampleClass(), Flat(s));
  EXPECT_EQ(back.Name, "  spaced ");
  EXPECT_EQ(back.Lines, TStringList({"a", "", "c"}));
  EXPECT_EQ(back.WithDefault, 7);  // absent: the declared default
  EXPECT_EQ(back.Big, 42);
  EXPECT_FLOAT_EQ(back.Single, 1.5f);
  EXPECT_EQ(back.Inner.Num, 25);

  TSample lower;
  lower.Big = 5;
  TXmlObjectReader::ReadFromString(&lower, SampleClass(),
                                   "<data><tsample><count>12</count><KIND>KTWO</KIND><name>a\r\nb</name></tsample></data>");
  EXPECT_EQ(lower.Count, 12);
  EXPECT_EQ(lower.Kind, 1);
  EXPECT_EQ(lower.Name, "a\nb");
  EXPECT_EQ(lower.Big, 5);  // absent 64-bit: unchanged
  EXPECT_EQ(lower.WithDefault, 7);

  TSample untouched;
  untouched.Count = 3;
  TXmlObjectReader::ReadFromString(&untouched, SampleClass(), "<data PropFormat=\"node\"><Other/></data>");
  EXPECT_EQ(untouched.Count, 3);
  TXmlObjectReader::ReadFromString(&untouched, SampleClass(), "<data><TSample/></data>");
  EXPECT_EQ(untouched.Count, INT32_MIN);  // absent integer without a declared default
}

TEST(XmlReader, ValueErrorsAndMalformedDocuments) {
  auto message = [](const std::string& Xml) {
    TSample s;
    try {
      TXmlObjectReader::ReadFromString(&s, SampleClass(), Xml);
    } catch (const EXmlPersistenceError& e) {
      return std::string(e.what());
    }
    return std::string("no error");
  };
  EXPECT_EQ(message("<data><TSample><Count>x</Count></TSample></data>"), "Invalid integer value (x).");
  EXPECT_EQ(message("<data><TSample><Count></Count></TSample></data>"), "Invalid integer value ().");
  EXPECT_EQ(message("<data><TSample><Flag>true</Flag></TSample></data>"), "Invalid boolean value (true).");
  EXPECT_EQ(message("<data><TSample><Big>1.5</Big></TSample></data>"), "Invalid int64 value (1.5).");
  EXPECT_EQ(message("<data><TSample><Kind>kThree</Kind></TSample></data>"), "Invalid property element: kThree");
  EXPECT_EQ(message("<data PropFormat=\"AUTO\"><TSample/></data>"), "Auto PropFormat not allowed here.");
  EXPECT_EQ(message("<data><TSample><Ratio>abc</Ratio></TSample></data>"), "no error");
  EXPECT_NE(message("<data><TSample><Count>1</Count>").find("Malformed XML"), std::string::npos);
  EXPECT_NE(message("").find("Malformed XML"), std::string::npos);
}

TEST(ConversionSettingsXml, StoredFormAndRoundTrip) {
  TConversionSettings s;
  s.TargetFile = "/视频/out.mp4";
  s.CategoryId = 1;
  s.ConvertOptions().SetAdvancedOption("g", "15");
  s.ConvertOptions().SetAdvancedOption("maxrate", "1150000");
  const std::string xml = s.ToXml();
  EXPECT_EQ(xml.rfind("<data PropFormat=\"node\"><TConversionSettings><TargetFile>/视频/out.mp4</TargetFile>"
                      "<CategoryId>1</CategoryId><ConvertOptions><AudioOptions><AudioChannels>0</AudioChannels>",
                      0),
            0u)
      << xml;
  EXPECT_NE(xml.find("<CodecOptions Count=\"2\"><l0>g=15</l0><l1>maxrate=1150000</l1></CodecOptions>"),
            std::string::npos);
  EXPECT_NE(xml.find("<RecordingTime>9223372036854775807</RecordingTime>"), std::string::npos);
  EXPECT_NE(xml.find("<MuxPreload>0.5</MuxPreload><MuxMaxDelay>0.699999988079071</MuxMaxDelay>"), std::string::npos);
  EXPECT_EQ(xml.find("<SourceFile>"), std::string::npos);
  EXPECT_EQ(xml.find("<FrameRate>"), std::string::npos);     // 25/1: all defaults
  EXPECT_EQ(xml.find("<FilterOptions>"), std::string::npos);  // no chain
  EXPECT_EQ(xml.find("<ThreadCount>"), std::string::npos);
  EXPECT_NE(xml.find("<AudioSampleFmt>sfAuto</AudioSampleFmt>"), std::string::npos);
  EXPECT_NE(xml.find("<ForceFPS>0</ForceFPS><IntraMatrix Count=\"0\"/>"), std::string::npos);
  const std::string tail = "<IsCaptured>0</IsCaptured></TConversionSettings></data>";
  EXPECT_EQ(xml.substr(xml.size() - tail.size()), tail);

  TConversionSettings back;
  back.FromXml(xml);
  EXPECT_EQ(back.ToXml(), xml);
  EXPECT_TRUE(back.SourceFile.empty());

  TConversionSettings zero;
  zero.ConvertOptions().SetRecordingTime(0);
  TConversionSettings fresh;
  fresh.FromXml(zero.ToXml());
  EXPECT_EQ(fresh.ConvertOptions().RecordingTime(), INT64_MAX);
}

TEST(ConversionSettingsXml, VcdProfileStoredForm) {
  TAVConverter c;
  TAVVcdProfile vcd;
  vcd.ApplyProfile(c);
  TConversionSettings s;
  s.SourceFile = "/home/u/in.avi";
  s.TargetFile = "/home/u/out.mpg";
  s.Profile = "VCD";
  s.CategoryId = 1;
  s.SetConvertOptions(c.ConvertOptions());
  const std::string expected =
      "<data PropFormat=\"node\"><TConversionSettings><SourceFile>/home/u/in.avi</SourceFile><TargetFile>/hom"
      "e/u/out.mpg</TargetFile><Profile>VCD</Profile><CategoryId>1</CategoryId><ConvertOptions><AudioOption"
      "s><AudioChannels>2</AudioChannels><AudioSampleRate>44100</AudioSampleRate><AudioVolume>256</AudioVol"
      "ume><AudioSyncMethod>0</AudioSyncMethod><AudioDisable>0</AudioDisable><AudioSampleFmt>sfAuto</AudioS"
      "ampleFmt><AudioStreamCopy>0</AudioStreamCopy><EncoderAudioCodecName>mp2</EncoderAudioCodecName><Audi"
      "oCodecTag>0</AudioCodecTag><AudioQScale>-99999</AudioQScale><AudioDriftThreshold>0.100000001490116</"
      "AudioDriftThreshold><Bitrate>224000</Bitrate></AudioOptions><SubtitleOptions><SubtitleDisable>0</Sub"
      "titleDisable><SubtitleStreamCopy>0</SubtitleStreamCopy><SubtitleCodecTag>0</SubtitleCodecTag></Subti"
      "tleOptions><VideoOptions><FrameLeftBand>0</FrameLeftBand><FrameRightBand>0</FrameRightBand><FrameTop"
      "Band>0</FrameTopBand><FrameBottomBand>0</FrameBottomBand><FrameWidth>352</FrameWidth><FrameHeight>28"
      "8</FrameHeight><EncoderVideoCodecName>mpeg1video</EncoderVideoCodecName><VideoDisable>0</VideoDisabl"
      "e><VideoStreamCopy>0</VideoStreamCopy><VideoCodecTag>0</VideoCodecTag><VideoGlobalHeader>0</VideoGlo"
      "balHeader><IntraOnly>0</IntraOnly><SameQuality>0</SameQuality><VideoSyncMethod>-1</VideoSyncMethod><"
      "TopFieldFirst>-1</TopFieldFirst><ForceFPS>0</ForceFPS><IntraMatrix Count=\"0\"/><InterMatrix Count=\"0\""
      "/><MeThreshold>0</MeThreshold><Deinterlace>0</Deinterlace><Pass>0</Pass><MaxFrames>2147483647</MaxFr"
      "ames><Bitrate>1150000</Bitrate></VideoOptions><MuxerOptions><MuxPreload>0.439999997615814</MuxPreloa"
      "d><MuxMaxDelay>0.699999988079071</MuxMaxDelay><AudioBitstreamFilters Count=\"0\"/><SubtitleBitstreamFi"
      "lters Count=\"0\"/><VideoBitstreamFilters Count=\"0\"/></MuxerOptions><GrabOptions><VideoChannel>0</Vide"
      "oChannel><InputSync>0</InputSync></GrabOptions><MetaData Count=\"0\"/><CodecOptions Count=\"6\"><l0>g=15"
      "</l0><l1>maxrate=1150000</l1><l2>minrate=1150000</l2><l3>bufsize=327680</l3><l4>packetsize=2324</l4>"
      "<l5>muxrate=1411200</l5></CodecOptions><OutputFormat>vcd</OutputFormat><RecordingTime>92233720368547"
      "75807</RecordingTime><StreamMaps Count=\"0\"/></ConvertOptions><IsCaptured>0</IsCaptured></TConversion"
      "Settings></data>";
  EXPECT_EQ(s.ToXml(), expected);
  TConversionSettings back;
  back.FromXml(expected);
  EXPECT_EQ(back.ToXml(), expected);
  EXPECT_EQ(back.ConvertOptions().CodecOptions().Value("muxrate"), "1411200");
  EXPECT_FLOAT_EQ(back.ConvertOptions().MuxerOptions().MuxPreload(), 0.44f);
}

// Stored numbers are the same text in every locale, and only that text reads.
TEST(StoredNumbers, KeepTheirPointInACommaLocaleAndReadStrictly) {
  const fixtures::ScopedLocale comma(fixtures::kCommaLocale);
  if (!comma.Active()) GTEST_SKIP() << fixtures::kCommaLocale << " is not installed (scripts/setup.sh makes it)";
  ASSERT_STREQ(std::localeconv()->decimal_point, ",");

  TConversionSettings s;
  s.Duration = 3.5;
  s.ConvertOptions().VideoOptions().SetFrameAspectRatio(4.0f / 3.0f);
  const std::string xml = s.ToXml();
  EXPECT_NE(xml.find("<MuxPreload>0.5</MuxPreload><MuxMaxDelay>0.699999988079071</MuxMaxDelay>"), std::string::npos);
  EXPECT_NE(xml.find("<FrameAspectRatio>1.33333337306976</FrameAspectRatio>"), std::string::npos);
  EXPECT_NE(xml.find("<Duration>3.5</Duration>"), std::string::npos);
  TConversionSettings back;
  back.FromXml(xml);
  EXPECT_EQ(back.Duration, 3.5);
  EXPECT_FLOAT_EQ(back.ConvertOptions().MuxerOptions().MuxPreload(), 0.5f);
  EXPECT_FLOAT_EQ(back.ConvertOptions().VideoOptions().FrameAspectRatio(), 4.0f / 3.0f);

  auto ratio = [](const std::string& Text) {
    TSample r;
    r.Ratio = 9;
    TXmlObjectReader::ReadFromString(&r, SampleClass(), "<data><TSample><Ratio>" + Text + "</Ratio></TSample></data>");
    return r.Ratio;
  };
  EXPECT_EQ(ratio("1.5"), 1.5);
  EXPECT_EQ(ratio("-2e3"), -2000);
  for (const char* bad : {"1,5", "1.5abc", " 1.5", ""}) EXPECT_EQ(ratio(bad), 0) << bad;

  const std::string ini = fixtures::TempDir("stored_numbers") + "/Profiles.ini";
  TIniFile profiles(ini);
  profiles.WriteFloat("Profile", "AudioBitrate0", 12.2);
  profiles.WriteString("Profile", "AudioBitrate1", "12,2");
  std::ifstream in(ini, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), {});
  EXPECT_NE(text.find("AudioBitrate0=12.2"), std::string::npos) << text;
  const TIniFile read(ini);
  EXPECT_EQ(read.ReadFloat("Profile", "AudioBitrate0", 0), 12.2);
  EXPECT_EQ(read.ReadFloat("Profile", "AudioBitrate1", 7), 7);  // not the stored form: the default
}

}  // namespace
