// Every song starts from the same settings; the reset announces them.
#include "clsMidi.h"

namespace sonara {

namespace {
constexpr int16_t kResetBalance = 63;
}

void clsMidi::ResetSongSettings() {
  int32_t masterVolume = 0;
  try {
    masterVolume = get_MasterVolume();
  } catch (...) {
    // The load ignores a failing statement; the announced value stays 0.
  }
  modMidi.TransposeAmount = 0;
  modMidi.SpeedSetting = 0;
  // A new song starts at its beginning, whatever position the last one was paused at.
  modMidi.StartTick = 0;
  modMidi.PositionBase = 0;

  RaiseMasterVolumeChange(static_cast<int16_t>(masterVolume));
  RaiseTransposeChange(0);
  RaiseVelocityChange(0);
  RaiseProgress(0, "00:00:00");
  RaiseStatus(kStatusStopped, StatusText(kStatusStopped));
  RaiseTextKar("", -1, "", "");

  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    const auto i = static_cast<size_t>(ch);
    modMidi.ChannelProgram[i] = 0;
    modMidi.ChannelVolume[i] = 0;
    modMidi.ChannelBalance[i] = kResetBalance;
    modMidi.ChannelMuted[i] = kTrue;
    modMidi.ChannelUsed[i] = kFalse;
    modMidi.ChannelChorus[i] = 0;
    modMidi.ChannelPhaser[i] = 0;
    modMidi.ChannelCeleste[i] = 0;
    modMidi.ChannelTremulo[i] = 0;
    RaiseBalanceChange(ch, kResetBalance);
    RaiseChannelMuteChange(ch, kTrue);
    RaiseInstrumentChange(ch, 0, "");
    RaiseVolumeChange(ch, 0);
  }
}

}  // namespace sonara
