// Choosing the output device.
#include "clsMidi.h"

namespace sonara {

// Only remembered: the next start opens this device, widening it with its
// sign so that -1 selects the first device (the mapper).
void clsMidi::put_SetDevice(int16_t value) { modMidi.DeviceId = value; }

}  // namespace sonara
