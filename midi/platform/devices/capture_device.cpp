#include "capture_device.h"

#include <utility>

#include "../clock.h"

namespace mm {

CaptureDevice::CaptureDevice(std::string name) : name_(std::move(name)) {}

std::string CaptureDevice::Name() const { return name_; }

MMRESULT CaptureDevice::Open(std::string& reason) {
  std::lock_guard lock(lock_);
  if (failCode_ != MMSYSERR_NOERROR) {
    reason = failReason_;
    return failCode_;
  }
  ++opens_;
  return MMSYSERR_NOERROR;
}

void CaptureDevice::Close() {
  std::lock_guard lock(lock_);
  if (opens_ > 0) --opens_;
}

void CaptureDevice::Add(Kind kind, uint32_t value) {
  Record r{clock::NowMicros(), kind, value};
  Sink sink;
  {
    std::lock_guard lock(lock_);
    if (keep_) records_.push_back(r);
    sink = sink_;
  }
  if (sink) sink(r);
}

void CaptureDevice::SendShortMessage(uint32_t message) { Add(Kind::ShortMessage, message); }

void CaptureDevice::Reset() { Add(Kind::Reset, 0); }

MMRESULT CaptureDevice::GetVolume(uint32_t& volume) {
  std::lock_guard lock(lock_);
  volume = volume_;
  return MMSYSERR_NOERROR;
}

MMRESULT CaptureDevice::SetVolume(uint32_t volume) {
  {
    std::lock_guard lock(lock_);
    volume_ = volume;
  }
  Add(Kind::Volume, volume);
  return MMSYSERR_NOERROR;
}

void CaptureDevice::SetSink(Sink sink, bool keep) {
  std::lock_guard lock(lock_);
  sink_ = std::move(sink);
  keep_ = keep;
}

void CaptureDevice::FailOpen(MMRESULT code, std::string reason) {
  std::lock_guard lock(lock_);
  failCode_ = code;
  failReason_ = std::move(reason);
}

std::vector<CaptureDevice::Record> CaptureDevice::Records() const {
  std::lock_guard lock(lock_);
  return records_;
}

std::vector<uint32_t> CaptureDevice::Messages() const {
  std::lock_guard lock(lock_);
  std::vector<uint32_t> out;
  for (const auto& r : records_) {
    if (r.kind == Kind::ShortMessage) out.push_back(r.value);
  }
  return out;
}

void CaptureDevice::Clear() {
  std::lock_guard lock(lock_);
  records_.clear();
}

int CaptureDevice::OpenCount() const {
  std::lock_guard lock(lock_);
  return opens_;
}

}  // namespace mm
