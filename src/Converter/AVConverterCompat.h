#pragma once
// Translation of 2010 codec and option names that FFmpeg 5.1 no longer
// accepts into current names with the same effect. Stored texts keep the old
// names; only what reaches the library is translated. The table is listed in
// docs/COMPATIBILITY.md.
#include <string>
#include <vector>

enum class TCompatScope {
  Generic,       // the library's generic codec/format/scaler options, as given
  VideoEncoder,  // a private option of the video encoder (for example libx264)
  Muxer,         // a private option of the output container
  VideoStream,   // a setting of the output video stream the engine makes itself ("pix_fmt", "vtag")
};

struct TCompatOption {
  TCompatScope Scope;
  std::string Name;
  std::string Value;
  // The encoder or muxer whose private options judge Value (empty for Generic).
  std::string Owner;
};

// The options that a line Name=Value stands for today (empty: the line has no
// effect any more). A name that needs no translation comes back unchanged
// with the Generic scope.
std::vector<TCompatOption> TranslateOption(const std::string& Name, const std::string& Value);

// Current encoder name for an old one ("libfaac" -> "aac"); others unchanged.
std::string TranslateEncoderName(const std::string& Name);

// Media-type mask an option name is restricted to (0: no restriction). "b"
// is the video bit rate here, while FFmpeg 5.1 also lets it set audio.
int RestrictedTypeMask(const std::string& Name);
