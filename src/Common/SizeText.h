#pragma once
// Sizes as people write them ("25M") and as messages show them ("4.77 MB").
// Any thread; independent of the process locale.
#include <cstdint>
#include <optional>
#include <string>

constexpr int64_t kBytesPerMegabyte = 1048576;

// "25M", "700K", "4.3G" or plain bytes (K, M, G are 1024-based); nothing on
// anything else, or on sizes below one byte or above 1 TiB.
std::optional<int64_t> ParseSizeText(const std::string& Text);

// Bytes as megabytes with two decimals, rounded up: "4.77 MB".
std::string MegabytesText(int64_t Bytes);
