// A packed short message as an ALSA sequencer event. Platform layer only.
#pragma once

#include <alsa/asoundlib.h>

#include <cstdint>

namespace mm {

// Fills `ev` with the channel message in `message` (status in the low byte);
// false for system messages and bytes without a status, which are not sent.
bool ToSequencerEvent(uint32_t message, snd_seq_event_t& ev);

}  // namespace mm
