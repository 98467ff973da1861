#pragma once
// What the stand-in AviSynth library saw, for the synth step's tests. The
// library exports "standin_stats" returning its one record.
extern "C" {

constexpr int kStandInScriptSize = 256;

struct TStandInStats {
  int EnvironmentsCreated;
  int EnvironmentsDeleted;
  int InterfaceVersion;      // asked for by the last create call
  int ScriptClipCalls;
  char LastScript[kStandInScriptSize];
  char SourceSignature[8];   // of the function added as "FfmpegSource"
  // The source clip of the last ScriptClip call and the frame asked of it.
  int SourceWidth, SourceHeight, SourceFrames, SourcePixelType;
  unsigned SourceRateNum, SourceRateDen;
  int SourceFrameAsked;
  int LiveClips, LiveFrames;  // created and not yet released
};

typedef TStandInStats* (*TStandInStatsFunc)();
}
