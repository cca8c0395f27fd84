// A device that sounds nothing: it records every message it is sent with
// its time on the shared clock, and every reset and volume change, and can
// hand each record to a function as well (or instead). Safe from any thread.
// Tests and the timeline dump register it.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "output_device.h"

namespace mm {

class CaptureDevice : public OutputDevice {
 public:
  enum class Kind { ShortMessage, Reset, Volume };
  struct Record {
    int64_t timeMicros;
    Kind kind;
    uint32_t value;  // the message, or the volume set; 0 for a reset
    bool operator==(const Record&) const = default;
  };
  using Sink = std::function<void(const Record&)>;

  explicit CaptureDevice(std::string name = "Capture");

  std::string Name() const override;
  MMRESULT Open(std::string& reason) override;
  void Close() override;
  void SendShortMessage(uint32_t message) override;
  void Reset() override;
  MMRESULT GetVolume(uint32_t& volume) override;
  MMRESULT SetVolume(uint32_t volume) override;
  bool HasVolume() const override { return true; }

  // Each record also goes to `sink`, called outside the device's lock but on
  // the thread that plays the stream, while the stream is busy: the sink must
  // not call the stream functions. With `keep` false the device stops
  // storing records.
  void SetSink(Sink sink, bool keep = true);
  // Makes the next opens fail with `code` and `reason` (0 = open normally).
  void FailOpen(MMRESULT code, std::string reason = {});

  std::vector<Record> Records() const;
  std::vector<uint32_t> Messages() const;  // the short messages only
  void Clear();
  int OpenCount() const;

 private:
  void Add(Kind kind, uint32_t value);

  const std::string name_;
  mutable std::mutex lock_;
  std::vector<Record> records_;
  Sink sink_;
  bool keep_ = true;
  uint32_t volume_ = 0xFFFFFFFF;
  int opens_ = 0;
  MMRESULT failCode_ = MMSYSERR_NOERROR;
  std::string failReason_;
};

}  // namespace mm
