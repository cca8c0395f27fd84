// One MIDI output device as the stream layer sees it. Every kind of device
// (software synthesizer, sequencer port, capture, file renderer) implements
// this; the registry lists them.
//
// Threads. A device is called from two threads at once and must be safe for
// that:
//   - the driver thread of a stream on the real clock sends each stream event
//     at its due time (SendShortMessage, and Reset when the stream is stopped);
//   - the client thread opens and closes it (Open, Close) and sends direct
//     messages (SendShortMessage, Reset, GetVolume, SetVolume).
// Calls made through one open stream are serialized by that stream's lock, but
// they arrive on either thread, and volume calls for device 0 with no stream
// open (handle 0), or calls through a second stream on the same device, are
// not serialized at all. On the virtual clock every call comes from the
// thread that drives the clock. Open is called once per stream before its
// first message and Close once after its last; nothing is called after Close
// until the next Open. No call may block for long or call back into the
// stream functions: the driver thread holds the stream's lock while it plays.
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
