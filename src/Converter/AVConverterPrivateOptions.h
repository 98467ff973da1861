#pragma once
// Judges the values of translated options that now live in one encoder's or
// muxer's private option table (libx264's "motion-est", the MPEG muxer's
// "muxrate"), long before the job opens a real encoder or muxer: a context of
// that encoder or muxer, with its defaults, takes the value or refuses it.
// Worker thread of one job.
#include <map>
#include <string>

#include "Converter/AVConverterCompat.h"
#include "Converter/FFmpegPtr.h"

class TPrivateOptionCheck {
 public:
  // False when Option's owner refuses its value. True when the owner takes it,
  // does not know the name, or is not part of this build of the library
  // (there is nothing to judge against, and the option will not apply).
  bool Accepts(const TCompatOption& Option);

 private:
  // A context of Owner with its private options, or null when there is none.
  void* Judge(const std::string& Owner);

  std::map<std::string, ff::CodecContextPtr> FEncoders;  // by encoder name
  std::map<std::string, ff::OutputPtr> FMuxers;          // by muxer name
};
