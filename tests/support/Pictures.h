#pragma once
// Pictures of a media file as the ffmpeg CLI decodes them, compared by PSNR.
#include <string>
#include <vector>

namespace fixtures {

// 8-bit gray pictures of File's video scaled to Width x Height, in decoding
// output order; Select is an expression of the select filter ("" for all).
std::vector<std::string> GrayFrames(const std::string& File, const std::string& Select = "", int Width = 320,
                                    int Height = 240);

// PSNR in dB of two pictures of the same size (100 when equal, 0 when the sizes differ).
double Psnr(const std::string& A, const std::string& B);

// Checks that Picture (320x240 gray) is Source's frame Index, closer to it than
// to the frames two away on either side. What names the picture in messages.
void ExpectSourceFrame(const std::string& Picture, const std::string& Source, int Index, const std::string& What);

}  // namespace fixtures
