#pragma once
// The text-drawing entries of the system's chain syntax. Worker thread.
//   drawtext=fontfile=\'F\'#text='T'#x=X#y=Y#fontsize=S#fgcolor=0xRRGGBBAA#bgcolor=0xRRGGBBAA
//     The text is drawn literally (no %-expansion), "\n" in it breaks the line;
//     the background is a box behind the text drawn with its own alpha.
//     Other option names go to the library's drawtext as they are.
//   ass=filename$F#font$T#color$0xRRGGBBAA#codepage$C
//     Rendered through libass ("subtitles"): the font file's folder is given as
//     fonts folder and its family forced as font name, the colour forced as
//     primary colour (its last byte is libass' transparency, 00 opaque), the
//     code page is the file's character set.
#include "Converter/AVConverterFilterEntries.h"

AVFilterContext* BuildDrawTextEntry(AVFilterGraph* Graph, const TChainEntry& Entry,
                                    const std::string& Instance, AVFilterContext* Last);
AVFilterContext* BuildSubtitleEntry(AVFilterGraph* Graph, const TChainEntry& Entry,
                                    const std::string& Instance, AVFilterContext* Last);
