// Converting between song time and ticks the way a client of the component
// can: from the song's length in ticks (TimeLength) and its length as the
// clock text that MidiInfo reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace midiplay {

// Seconds of an "hh:mm:ss" clock text; nullopt when it is not one.
std::optional<int32_t> ClockTextSeconds(const std::string& text);

class SongTiming {
 public:
  SongTiming(int32_t songTicks, const std::string& lengthText);
  // Ticks that `seconds` of song time take, on average over the song; 0
  // when the song's length is not known in seconds.
  int32_t TicksFor(double seconds) const;
  int32_t SongTicks() const noexcept { return songTicks_; }
  // "hh:mm:ss" of a tick.
  std::string ClockText(int32_t tick) const;

 private:
  int32_t songTicks_;
  double ticksPerSecond_ = 0;
};

}  // namespace midiplay
