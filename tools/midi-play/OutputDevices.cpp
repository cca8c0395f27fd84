#include "OutputDevices.h"

#include <cstring>

#include "platform/mmsystem.h"

namespace midiplay {

std::vector<std::string> OutputDeviceNames() {
  std::vector<std::string> names;
  uint32_t count = mm::midiOutGetNumDevs();
  for (uint32_t id = 0; id < count; ++id) {
    mm::MIDIOUTCAPSA caps{};
    if (mm::midiOutGetDevCapsA(id, &caps, sizeof caps) != mm::MMSYSERR_NOERROR) {
      names.emplace_back();
      continue;
    }
    names.emplace_back(caps.szPname, strnlen(caps.szPname, sizeof caps.szPname));
  }
  return names;
}

std::string DeviceProblem(int16_t device) {
  const size_t count = OutputDeviceNames().size();
  if (device == -1 && count > 0) return "";
  if (device >= 0 && static_cast<size_t>(device) < count) return "";
  if (count == 0) return "there is no output device " + std::to_string(device) + " (no output devices at all)";
  return "there is no output device " + std::to_string(device) + " (devices: 0 to " + std::to_string(count - 1) +
         ", or -1; see --list-devices)";
}

std::string DeviceName(int16_t device) {
  auto names = OutputDeviceNames();
  size_t index = device < 0 ? 0 : static_cast<size_t>(device);
  return index < names.size() ? names[index] : "";
}

}  // namespace midiplay
