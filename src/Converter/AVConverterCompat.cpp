#include "Converter/AVConverterCompat.h"

#include <array>
#include <cstring>

extern "C" {
#include <libavutil/opt.h>
}

namespace {

// The encoders and muxer whose private options took over the old names.
constexpr const char kX264[] = "libx264";
constexpr const char kMpeg2[] = "mpeg2video";
constexpr const char kMpegMuxer[] = "mpeg";
constexpr const char kNoOwner[] = "";

struct TRename {
  const char* Old;
  const char* New;
  TCompatScope Scope;
  const char* Owner;
};

// Options that moved from the generic codec options into libx264's private
// ones (same values), or into the muxers' private options.
// Private options of the newer encoders and muxers, which the generic option
// tables never knew, are routed the same way; they have no single owner to
// judge their values by.
constexpr std::array<TRename, 17> kRenames{{
    {"coder", "coder", TCompatScope::VideoEncoder, kX264},
    {"me_method", "motion-est", TCompatScope::VideoEncoder, kX264},
    {"b_strategy", "b_strategy", TCompatScope::VideoEncoder, kX264},
    {"sc_threshold", "sc_threshold", TCompatScope::VideoEncoder, kX264},
    {"directpred", "direct-pred", TCompatScope::VideoEncoder, kX264},
    {"wpredp", "weightp", TCompatScope::VideoEncoder, kX264},
    {"cqp", "qp", TCompatScope::VideoEncoder, kX264},
    {"crf", "crf", TCompatScope::VideoEncoder, kX264},
    {"muxrate", "muxrate", TCompatScope::Muxer, kMpegMuxer},
    {"preload", "preload", TCompatScope::Muxer, kMpegMuxer},
    {"movflags", "movflags", TCompatScope::Muxer, kNoOwner},
    {"preset", "preset", TCompatScope::VideoEncoder, kNoOwner},
    {"deadline", "deadline", TCompatScope::VideoEncoder, kNoOwner},
    {"cpu-used", "cpu-used", TCompatScope::VideoEncoder, kNoOwner},
    {"row-mt", "row-mt", TCompatScope::VideoEncoder, kNoOwner},
    {"pix_fmt", "pix_fmt", TCompatScope::VideoStream, kNoOwner},
    {"vtag", "vtag", TCompatScope::VideoStream, kNoOwner},
}};

// Profile names of the H.264 and HEVC encoders; the generic "profile" option
// only takes numbers and the names of other codecs' profiles.
constexpr std::array<const char*, 8> kEncoderProfiles{"baseline", "main",    "high",    "high10",
                                                      "high422",  "high444", "main10",  "mainstillpicture"};

// Old "flags2" items of libx264, now boolean private options.
struct TFlagItem {
  const char* Old;
  const char* New;
  const char* On;
  const char* Off;
};
constexpr std::array<TFlagItem, 6> kFlags2Items{{
    {"mixed_refs", "mixed-refs", "1", "0"},
    {"wpred", "weightb", "1", "0"},
    {"dct8x8", "8x8dct", "1", "0"},
    {"fastpskip", "fast-pskip", "1", "0"},
    {"mbtree", "mbtree", "1", "0"},
    {"bpyramid", "b-pyramid", "normal", "none"},
}};

// Old "flags" items that became private options of MPEG-2 video.
constexpr std::array<TFlagItem, 1> kFlagsItems{{
    {"scan_offset", "scan_offset", "1", "0"},
}};

// Old libx264 partition names and their current spelling.
struct TPartition {
  const char* Old;
  const char* New;
};
constexpr std::array<TPartition, 5> kPartitions{{
    {"parti8x8", "i8x8"}, {"parti4x4", "i4x4"}, {"partp8x8", "p8x8"},
    {"partp4x4", "p4x4"}, {"partb8x8", "b8x8"},
}};

struct TFlagToken {
  char Sign;  // '+', '-' or 0 (plain: set)
  std::string Name;
};

std::vector<TFlagToken> SplitFlags(const std::string& Value) {
  std::vector<TFlagToken> out;
  size_t i = 0;
  while (i < Value.size()) {
    char sign = 0;
    if (Value[i] == '+' || Value[i] == '-') sign = Value[i++];
    size_t j = i;
    while (j < Value.size() && Value[j] != '+' && Value[j] != '-') ++j;
    if (j > i) out.push_back({sign, Value.substr(i, j - i)});
    i = j;
  }
  return out;
}

// Splits a flags value into items that stay generic and items that moved to
// private options (listed in Items).
template <size_t N>
std::vector<TCompatOption> TranslateFlags(const std::string& Name, const std::string& Value,
                                          const std::array<TFlagItem, N>& Items,
                                          TCompatScope PrivateScope, const char* Owner) {
  std::vector<TCompatOption> out;
  std::string generic;
  bool moved = false;
  for (const auto& t : SplitFlags(Value)) {
    const TFlagItem* item = nullptr;
    for (const auto& i : Items)
      if (t.Name == i.Old) item = &i;
    if (item) {
      moved = true;
      out.push_back({PrivateScope, item->New, t.Sign == '-' ? item->Off : item->On, Owner});
    } else {
      generic += (t.Sign ? std::string(1, t.Sign) : std::string("+")) + t.Name;
    }
  }
  if (!moved) return {{TCompatScope::Generic, Name, Value, kNoOwner}};
  if (!generic.empty()) out.insert(out.begin(), {TCompatScope::Generic, Name, generic, kNoOwner});
  return out;
}

std::string TranslatePartitions(const std::string& Value) {
  std::string list;
  for (const auto& t : SplitFlags(Value)) {
    if (t.Sign == '-') continue;
    const char* name = t.Name.c_str();
    for (const auto& p : kPartitions)
      if (t.Name == p.Old) name = p.New;
    if (!list.empty()) list += ",";
    list += name;
  }
  return list.empty() ? "none" : list;
}

}  // namespace

std::vector<TCompatOption> TranslateOption(const std::string& Name, const std::string& Value) {
  for (const auto& r : kRenames)
    if (Name == r.Old) return {{r.Scope, r.New, Value, r.Owner}};
  if (Name == "profile")
    for (const char* p : kEncoderProfiles)
      if (Value == p) return {{TCompatScope::VideoEncoder, Name, Value, kNoOwner}};
  if (Name == "partitions")
    return {{TCompatScope::VideoEncoder, "partitions", TranslatePartitions(Value), kX264}};
  if (Name == "flags2") return TranslateFlags(Name, Value, kFlags2Items, TCompatScope::VideoEncoder, kX264);
  if (Name == "flags") return TranslateFlags(Name, Value, kFlagsItems, TCompatScope::VideoEncoder, kMpeg2);
  return {{TCompatScope::Generic, Name, Value, kNoOwner}};
}

std::string TranslateEncoderName(const std::string& Name) {
  if (Name == "libfaac") return "aac";
  return Name;
}

int RestrictedTypeMask(const std::string& Name) {
  return Name == "b" ? AV_OPT_FLAG_VIDEO_PARAM : 0;
}
