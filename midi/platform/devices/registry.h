// The list of output devices, numbered from 0 in this order: the devices of
// every built-in backend that is compiled in and available (the software
// synthesizer first, then sequencer ports), then the devices a program
// registers itself (for example a capture device).
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "output_device.h"

namespace mm {

// One kind of built-in device: whether it can be used on this machine and
// the devices it offers now.
struct DeviceBackend {
  const char* name;
  bool (*available)();
  std::vector<std::shared_ptr<OutputDevice>> (*enumerate)();
};

// The built-in backends in list order.
const std::vector<DeviceBackend>& DeviceBackends();

// Every device, in the order above.
std::vector<std::shared_ptr<OutputDevice>> ListDevices();
// The device with that number, or null.
std::shared_ptr<OutputDevice> DeviceAt(uint32_t id);

// Adds a device at the end of the list and returns its number now (numbers
// of later devices move down when an earlier one is removed). Registering a
// device twice returns its present number.
uint32_t RegisterDevice(std::shared_ptr<OutputDevice> device);
// Removes it from the list; streams already open on it keep playing.
bool UnregisterDevice(const std::shared_ptr<OutputDevice>& device);

}  // namespace mm
