// Master volume, transposition and playback speed.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "clsMidi.h"
#include "engine/StreamTempo.h"

namespace sonara {

namespace {

constexpr int64_t kVolumeStep = 6553;
constexpr int64_t kVolumeBase = 5;
constexpr uint32_t kAllSoundOff = 0x78B0;  // controller 120, value 0

}  // namespace

void clsMidi::put_MasterVolume(int32_t value) {
  // Steps 0 to 10 give a level of 5 to 0xFFFF, written into both halves of
  // the volume word as hexadecimal digits; step 0 thus gives 0x55. Anything
  // else does not fit the word.
  const int64_t level = int64_t{value} * kVolumeStep + kVolumeBase;
  if (level < 0 || level > 0xFFFF) throw AutomationError(kOverflow);
  char digits[16];
  std::snprintf(digits, sizeof digits, "%X%X", static_cast<unsigned>(level), static_cast<unsigned>(level));
  const auto word = static_cast<uint32_t>(std::strtoul(digits, nullptr, 16));
  mm::midiOutSetVolume(modMidi.StreamHandle, word);
}

int32_t clsMidi::get_MasterVolume() {
  uint32_t word = 0;
  mm::midiOutGetVolume(modMidi.StreamHandle, &word);
  // The first four hexadecimal digits of the word: for a word the put wrote,
  // the level of the right channel.
  char digits[16];
  std::snprintf(digits, sizeof digits, "%X", word);
  digits[4] = '\0';
  const auto level = static_cast<double>(std::strtoul(digits, nullptr, 16));
  return static_cast<int32_t>(std::floor((level - kVolumeBase) / static_cast<double>(kVolumeStep)));
}

void clsMidi::put_Transpose(int16_t value) {
  // Notes sounding now would keep their old pitch forever: silence them.
  for (uint32_t ch = 0; ch < kChannelCount; ++ch) mm::midiOutShortMsg(modMidi.StreamHandle, kAllSoundOff + ch);
  modMidi.TransposeAmount = value;
  RaiseTransposeChange(value);
}

void clsMidi::put_Velocity(int16_t value) {
  modMidi.SpeedSetting = value;
  RaiseVelocityChange(value);
  // The setting scales the tempo in force by 1 + value / 10.
  const double tempo = ScaledStreamTempo(modMidi.TempoInForce);
  if (!(tempo >= std::numeric_limits<int32_t>::min() && tempo <= std::numeric_limits<int32_t>::max())) {
    throw AutomationError(kOverflow);
  }
  ApplySpeedToStream();
}

}  // namespace sonara
