// Stopping playback and closing the device.
#include "clsMidi.h"
#include "engine/StreamCycle.h"

namespace sonara {

void clsMidi::StopMidi() {
  modMidi.PlayerStatus = kStatusStopped;
  RaiseStatus(kStatusStopped, StatusText(kStatusStopped));
  CloseStream();
  for (int16_t ch = 0; ch < kChannelCount; ++ch) {
    RaiseNotesPlaying(ch, 0, "", 0, "", kFalse);
    RaiseMidiLevel(ch, 0);
  }
  modMidi.StartTick = 0;
  RaiseProgress(0, "00:00:00");
  RaiseTextKar("", -1, "", "");
}

void clsMidi::CloseDevice() {
  StopMidi();
  mm::PumpMessages();
}

}  // namespace sonara
