// A device of the program's own (the WAV renderer, the silent device) on
// the output device list for as long as this object lives.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/devices/registry.h"

namespace midiplay {

class DeviceRegistration {
 public:
  explicit DeviceRegistration(std::shared_ptr<mm::OutputDevice> device)
      : device_(std::move(device)), id_(mm::RegisterDevice(device_)) {}
  ~DeviceRegistration() { mm::UnregisterDevice(device_); }
  DeviceRegistration(const DeviceRegistration&) = delete;
  DeviceRegistration& operator=(const DeviceRegistration&) = delete;

  // Its number for SetDevice.
  int16_t Id() const noexcept { return static_cast<int16_t>(id_); }

 private:
  std::shared_ptr<mm::OutputDevice> device_;
  uint32_t id_;
};

}  // namespace midiplay
