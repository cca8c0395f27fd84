#include "SongTiming.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace midiplay {

std::optional<int32_t> ClockTextSeconds(const std::string& text) {
  int h = 0, m = 0, s = 0, consumed = 0;
  if (std::sscanf(text.c_str(), "%d:%d:%d%n", &h, &m, &s, &consumed) != 3) return std::nullopt;
  if (static_cast<size_t>(consumed) != text.size() || h < 0 || m < 0 || m > 59 || s < 0 || s > 59) return std::nullopt;
  return h * 3600 + m * 60 + s;
}

SongTiming::SongTiming(int32_t songTicks, const std::string& lengthText) : songTicks_(songTicks) {
  auto seconds = ClockTextSeconds(lengthText);
  // The clock text counts whole seconds: the half second it drops on
  // average keeps short songs from seeming too fast.
  if (seconds && songTicks > 0) ticksPerSecond_ = songTicks / (*seconds + 0.5);
}

int32_t SongTiming::TicksFor(double seconds) const {
  double ticks = std::round(seconds * ticksPerSecond_);
  return static_cast<int32_t>(std::clamp(ticks, -2.0e9, 2.0e9));
}

std::string SongTiming::ClockText(int32_t tick) const {
  int64_t total = ticksPerSecond_ > 0 ? static_cast<int64_t>(std::max(tick, 0) / ticksPerSecond_) : 0;
  char text[32];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(total / 3600),
                static_cast<long long>(total / 60 % 60), static_cast<long long>(total % 60));
  return text;
}

}  // namespace midiplay
