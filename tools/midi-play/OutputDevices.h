// The output devices as a client sees them: numbers and names from the
// multimedia calls.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace midiplay {

// The names of devices 0, 1, ...
std::vector<std::string> OutputDeviceNames();
// "" when --device N names a device that exists (-1: the first device).
std::string DeviceProblem(int16_t device);
// The name shown for a device number ("" when there is none).
std::string DeviceName(int16_t device);

}  // namespace midiplay
