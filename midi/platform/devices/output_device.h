// One MIDI output device as the stream layer sees it. Every kind of device
// (software synthesizer, sequencer port, capture, file renderer) implements
// this; the registry lists them.
#pragma once

#include <cstdint>
#include <string>

#include "../mmsystem.h"

namespace mm {

class OutputDevice {
 public:
  virtual ~OutputDevice() = default;

  virtual std::string Name() const = 0;
  // Starts the device for one more user. A device that cannot start returns
  // an error code and, in `reason`, what is missing; midiOutGetErrorTextA
  // then gives that reason with the code's text.
  virtual MMRESULT Open(std::string& reason) = 0;
  // Ends one use that Open started.
  virtual void Close() = 0;
  virtual void SendShortMessage(uint32_t message) = 0;
  // Stops every note on every channel.
  virtual void Reset() = 0;
  // Left level in the low 16 bits, right level in the high 16 bits.
  virtual MMRESULT GetVolume(uint32_t&) { return MMSYSERR_NOTSUPPORTED; }
  virtual MMRESULT SetVolume(uint32_t) { return MMSYSERR_NOTSUPPORTED; }
  virtual bool HasVolume() const { return false; }
  virtual uint16_t Technology() const { return MOD_MIDIPORT; }
};

}  // namespace mm
