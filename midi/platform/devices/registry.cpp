#include "registry.h"
#include "../internal.h"

#include <algorithm>
#include <mutex>

namespace mm {
namespace {

struct Registered {
  std::mutex lock;
  std::vector<std::shared_ptr<OutputDevice>> devices;
};

Registered& Programs() {
  static detail::NoDestructor<Registered> r;
  return r.get();
}

std::vector<DeviceBackend> MakeBackends() {
  std::vector<DeviceBackend> backends;
  // Built-in backends go here, each in its own file in this folder and
  // compiled only with its build option, in list order:
  //   1. the software synthesizer (SONARA_WITH_FLUIDSYNTH)
  //   2. sequencer ports (SONARA_WITH_ALSA)
  // e.g. backends.push_back({"synth", &SynthAvailable, &SynthDevices});
  return backends;
}

}  // namespace

const std::vector<DeviceBackend>& DeviceBackends() {
  static const std::vector<DeviceBackend> backends = MakeBackends();
  return backends;
}

std::vector<std::shared_ptr<OutputDevice>> ListDevices() {
  std::vector<std::shared_ptr<OutputDevice>> all;
  for (const auto& b : DeviceBackends()) {
    if (!b.available()) continue;
    for (auto& d : b.enumerate()) all.push_back(std::move(d));
  }
  auto& r = Programs();
  std::lock_guard lock(r.lock);
  all.insert(all.end(), r.devices.begin(), r.devices.end());
  return all;
}

std::shared_ptr<OutputDevice> DeviceAt(uint32_t id) {
  auto all = ListDevices();
  return id < all.size() ? all[id] : nullptr;
}

uint32_t RegisterDevice(std::shared_ptr<OutputDevice> device) {
  auto& r = Programs();
  {
    std::lock_guard lock(r.lock);
    if (std::find(r.devices.begin(), r.devices.end(), device) == r.devices.end()) r.devices.push_back(device);
  }
  auto all = ListDevices();
  return static_cast<uint32_t>(std::find(all.begin(), all.end(), device) - all.begin());
}

bool UnregisterDevice(const std::shared_ptr<OutputDevice>& device) {
  auto& r = Programs();
  std::lock_guard lock(r.lock);
  return std::erase(r.devices, device) > 0;
}

}  // namespace mm
