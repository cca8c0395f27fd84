// Listing and choosing the output device, and closing it.
#include <algorithm>
#include <cstring>

#include "clsMidi.h"
#include "platform/window.h"

namespace sonara {

std::shared_ptr<Collection> clsMidi::ListDevices(int16_t& nDevs) {
  auto devices = std::make_shared<Collection>();
  const uint32_t n = mm::midiOutGetNumDevs();
  nDevs = static_cast<int16_t>(n);
  for (uint32_t i = 0; i < n; ++i) {
    // A failed query leaves the record as it was: the device then repeats
    // the name of the one before it.
    mm::MIDIOUTCAPSA caps{};
    DeviceCapsRecord& record = modMidi.DeviceCaps;
    std::memcpy(caps.szPname, record.szPname.data(), std::min(record.szPname.size(), sizeof caps.szPname));
    if (mm::midiOutGetDevCapsA(i, &caps, sizeof caps) == mm::MMSYSERR_NOERROR) {
      record.wMid = caps.wMid;
      record.wPid = caps.wPid;
      record.vDriverVersion = caps.vDriverVersion;
      record.szPname.assign(caps.szPname, sizeof caps.szPname);
      record.wTechnology = caps.wTechnology;
      record.wVoices = caps.wVoices;
      record.wNotes = caps.wNotes;
      record.wChannelMask = caps.wChannelMask;
      record.dwSupport = caps.dwSupport;
    }
    // Exactly 32 characters: the name and the NULs that fill its field.
    devices->Add(record.szPname);
  }
  return devices;
}

// Only remembered: the next start opens this device, widening it with its
// sign so that -1 selects the first device (the mapper).
void clsMidi::put_SetDevice(int16_t value) { modMidi.DeviceId = value; }

void clsMidi::CloseDevice() {
  StopMidi();
  mm::PumpMessages();
}

}  // namespace sonara
