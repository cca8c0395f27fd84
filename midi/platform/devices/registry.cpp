#include "registry.h"
#include "../internal.h"
#include "synth_device.h"
#ifdef SONARA_HAVE_ALSA
#include "alsa_seq_device.h"
#endif

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
  // In list order; each is in its own file and compiled with its build
  // option. Without FluidSynth the synthesizer reports itself unavailable.
  std::vector<DeviceBackend> backends;
  backends.push_back({"synthesizer", &SynthAvailable, &SynthDevices});
#ifdef SONARA_HAVE_ALSA
  backends.push_back({"alsa-sequencer", &AlsaSequencerAvailable, &AlsaSequencerDevices});
#endif
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
