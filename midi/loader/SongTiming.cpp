#include "loader/SongTiming.h"

#include <cmath>
#include <cstdio>

#include "modMidi.h"

namespace sonara {

double TimeCodeTicksPerSecond(int16_t division) noexcept {
  if (!IsTimeCodeDivision(division)) return 0;
  const int frames = -static_cast<int8_t>(static_cast<uint16_t>(division) >> 8);
  const int ticksPerFrame = division & 0xFF;
  // 29 stands for the drop-frame rate of 29.97 frames a second.
  const double fps = frames == 29 ? 30000.0 / 1001.0 : frames;
  return fps > 0 ? fps * ticksPerFrame : 0;
}

bool IsUsableDivision(int16_t division) noexcept {
  return division > 0 || TimeCodeTicksPerSecond(division) > 0;
}

double StreamTempoFor(int32_t tempo, int16_t division) noexcept {
  if (division > 0) return static_cast<double>(tempo) / division * 24;
  const double tps = TimeCodeTicksPerSecond(division);
  return tps > 0 ? 1e6 / tps * 24 : 0;
}

int32_t TempoAtTick(int64_t tick) {
  int32_t tempo = kDefaultTempo;
  for (const TempoChange& change : modMidi.TempoMap) {
    if (change.Tick > tick) break;
    tempo = change.Tempo;
  }
  return tempo;
}

double TicksToMilliseconds(int64_t tick) {
  const int16_t division = modMidi.Division;
  if (tick <= 0) return 0;
  if (division <= 0) {
    const double tps = TimeCodeTicksPerSecond(division);
    return tps > 0 ? static_cast<double>(tick) * 1000 / tps : 0;
  }
  // Summed exactly as whole milliseconds plus a remainder in tick-microseconds
  // (1/division us), so that a time that is a whole number of milliseconds
  // comes out as one; no 128-bit arithmetic, which 32-bit targets lack.
  const int64_t perMs = int64_t{1000} * division;
  double wholeMs = 0;  // exact while below 2^53 ms
  int64_t rest = 0;    // always below perMs
  const auto add = [&](int64_t ticks, int32_t tempo) {
    wholeMs += static_cast<double>(ticks / perMs) * tempo;
    rest += (ticks % perMs) * tempo;  // below 2^25 * 2^24
    wholeMs += static_cast<double>(rest / perMs);
    rest %= perMs;
  };
  int64_t from = 0;
  int32_t tempo = kDefaultTempo;
  for (const TempoChange& change : modMidi.TempoMap) {
    if (change.Tick >= tick) break;
    add(change.Tick - from, tempo);
    from = change.Tick;
    tempo = change.Tempo;
  }
  add(tick - from, tempo);
  return wholeMs + static_cast<double>(rest) / static_cast<double>(perMs);
}

std::string ClockText(double ms) {
  if (!(ms > 0)) ms = 0;
  const double rounded = std::nearbyint(ms);  // the default mode rounds a half to even
  const int64_t n = rounded < 9.0e15 ? static_cast<int64_t>(rounded) : int64_t{9000000000000000};
  const int64_t h = n / 3600000;
  const int64_t m = n / 60000 - 60 * h;
  const int64_t s = n / 1000 - (3600 * h + 60 * m);
  char text[80];
  std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", static_cast<long long>(h), static_cast<long long>(m),
                static_cast<long long>(s));
  return text;
}

}  // namespace sonara
