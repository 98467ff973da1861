#pragma once
// Reals as ffprobe, ffmpeg and our messages print them: "." as decimal point
// whatever the locale the tests run in (atof would follow it).
#include <string>

namespace fixtures {

// The decimal number at the start of Text after blanks; 0 when there is none.
double Real(const std::string& Text);

}  // namespace fixtures
