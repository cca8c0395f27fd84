// Ports of the ALSA sequencer that accept output, as devices. They are
// listed only where a sequencer exists (/dev/snd/seq); elsewhere the list
// simply lacks them, quietly and at once.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "output_device.h"

namespace mm {

bool AlsaSequencerAvailable();
// Every writable, subscribable port of another client, named by the port
// (cut to 31 characters). Empty when the sequencer cannot be opened.
std::vector<std::shared_ptr<OutputDevice>> AlsaSequencerDevices();

// Stops libasound from printing its errors on the terminal, for the whole
// process; ours are reported through return values. The first error it
// reports on a thread is kept for that thread until taken.
void QuietAlsaErrors();
std::string TakeAlsaError();

}  // namespace mm
