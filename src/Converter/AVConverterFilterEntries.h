#pragma once
// Entries of the system's own chain syntax, built as current filters:
//   logo=x|y|file          the picture file overlaid at x, y for the whole conversion
//   drawtext=name=value#.. text in a TrueType font (see AVConverterFilterTextEntries.h)
//   ass=name$value#..      a subtitle file rendered by libass (idem)
//   drawbox=x:y:w:h:Colour a box, the colour one of the sixteen standard names
//   rotate=degrees         rotation by whole degrees, picture size kept, black fill
// "vflip", "hflip" and "negate" read the same in the library and go to it
// unchanged, as does every other name. Worker thread.
#include <string>
#include <string_view>

#include "Converter/AVConverterFilterChainParser.h"

extern "C" {
#include <libavfilter/avfilter.h>
}

// Builds Entry after Last (whose output pad 0 feeds it) under the instance
// name Instance; returns the filter whose output pad 0 carries the result,
// nullptr on failure (logged).
using TEntryBuilder = AVFilterContext* (*)(AVFilterGraph* Graph, const TChainEntry& Entry,
                                            const std::string& Instance, AVFilterContext* Last);

// The builder of a system entry, nullptr for names handed to the library as written.
TEntryBuilder FindEntryBuilder(std::string_view Name);
