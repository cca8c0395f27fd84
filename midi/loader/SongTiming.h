// Turning song ticks into time: the stream tempo of a file tempo, the time
// of a tick through the song's tempo changes, and the "hh:mm:ss" clock text.
#pragma once

#include <cstdint>
#include <string>

namespace sonara {

constexpr int32_t kDefaultTempo = 500000;  // microseconds per quarter note, 120 beats a minute
constexpr int16_t kDefaultTimeSigNumerator = 4;
constexpr int16_t kDefaultTimeSigDenominator = 4;

// A division with its top bit set counts frames per second and ticks per
// frame instead of ticks per quarter note.
constexpr bool IsTimeCodeDivision(int16_t division) noexcept { return division < 0; }
// Ticks per second of a time-code division (0 when it is not one or is unusable).
double TimeCodeTicksPerSecond(int16_t division) noexcept;
// Whether the loader can time a song with this division at all.
bool IsUsableDivision(int16_t division) noexcept;

// The tempo for an output stream that counts 24 ticks per quarter note, so
// that one stream tick lasts one file tick, for a file tempo in microseconds
// per quarter note. A time-code division plays at its own fixed speed.
double StreamTempoFor(int32_t tempo, int16_t division) noexcept;

// The tempo (microseconds per quarter note) in force at a tick of the loaded
// song: its last tempo change at or before the tick, else the default.
int32_t TempoAtTick(int64_t tick);

// Milliseconds from tick 0 to tick of the loaded song, through its tempo map.
double TicksToMilliseconds(int64_t tick);

// "hh:mm:ss" of a number of milliseconds: only the fraction of a millisecond
// is rounded (half to even); the seconds are cut.
std::string ClockText(double ms);

}  // namespace sonara
