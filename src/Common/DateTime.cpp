#include "Common/DateTime.h"

#include <cmath>
#include <ctime>

namespace {
constexpr double kUnixEpochInDays = 25569.0;  // 1970-01-01 as days since 1899-12-30
constexpr double kSecondsPerDay = 86400.0;
}  // namespace

double NowAsDays() {
  const time_t now = time(nullptr);
  tm local{};
  localtime_r(&now, &local);
  const time_t wall = timegm(&local);  // local wall time counted as if UTC
  return static_cast<double>(wall) / kSecondsPerDay + kUnixEpochInDays;
}

std::string DateToText(double Days) {
  const time_t seconds = static_cast<time_t>(std::llround((Days - kUnixEpochInDays) * kSecondsPerDay));
  tm t{};
  gmtime_r(&seconds, &t);
  char buf[32];
  strftime(buf, sizeof(buf), "%Y-%m-%d %H:%M:%S", &t);
  return buf;
}

double TextToDate(const std::string& Text) {
  tm t{};
  if (!strptime(Text.c_str(), "%Y-%m-%d %H:%M:%S", &t)) return 0.0;
  return static_cast<double>(timegm(&t)) / kSecondsPerDay + kUnixEpochInDays;
}

