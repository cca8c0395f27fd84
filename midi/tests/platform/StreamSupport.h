// Shared pieces of the stream tests: a capture device on the list, a
// callback window that logs what it is sent, and buffers built inline.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <utility>
#include <vector>

#include "platform/clock.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/registry.h"
#include "platform/mmsystem.h"
#include "platform/window.h"

namespace platform_test {

struct Posted {
  mm::UINT msg;
  mm::WPARAM wParam;
  mm::LPARAM lParam;
  int64_t time;
  bool operator==(const Posted&) const = default;
};

struct Buffer {
  std::vector<mm::MIDIEVENT> events;
  mm::MIDIHDR hdr{};
  explicit Buffer(std::vector<mm::MIDIEVENT> e) : events(std::move(e)) {
    hdr.lpData = reinterpret_cast<char*>(events.data());
    hdr.dwBufferLength = hdr.dwBytesRecorded = static_cast<uint32_t>(events.size() * sizeof(mm::MIDIEVENT));
  }
  mm::LPARAM Address() { return reinterpret_cast<mm::LPARAM>(&hdr); }
};

inline std::vector<Posted>& Log() {
  static std::vector<Posted> log;
  return log;
}

// Buffers the callback window queues, one per MM_MOM_DONE, as the player does.
inline std::deque<Buffer*>& Feed() {
  static std::deque<Buffer*> feed;
  return feed;
}

inline mm::LRESULT LoggingProc(mm::HWND, mm::UINT msg, mm::WPARAM w, mm::LPARAM l) {
  Log().push_back({msg, w, l, mm::clock::NowMicros()});
  if (msg == mm::MM_MOM_DONE) {
    auto h = static_cast<mm::HMIDISTRM>(w);
    mm::midiOutUnprepareHeader(h, reinterpret_cast<mm::MIDIHDR*>(l), sizeof(mm::MIDIHDR));
    if (!Feed().empty()) {
      Buffer* next = Feed().front();
      Feed().pop_front();
      mm::midiOutPrepareHeader(h, &next->hdr, sizeof(mm::MIDIHDR));
      mm::midiStreamOut(h, &next->hdr, sizeof(mm::MIDIHDR));
    }
  }
  return 0;
}

inline std::vector<Posted> Done() {
  std::vector<Posted> out;
  for (const auto& p : Log()) {
    if (p.msg == mm::MM_MOM_DONE) out.push_back(p);
  }
  return out;
}

// A capture device on the device list and a callback window, for one test.
class StreamEnv {
 public:
  std::shared_ptr<mm::CaptureDevice> device = std::make_shared<mm::CaptureDevice>("Test capture");
  uint32_t deviceId = mm::RegisterDevice(device);
  mm::HWND window = mm::CreateMessageWindow("callback", LoggingProc);

  StreamEnv() {
    Log().clear();
    Feed().clear();
  }
  ~StreamEnv() {
    mm::DestroyWindow(window);
    mm::UnregisterDevice(device);
  }
  StreamEnv(const StreamEnv&) = delete;
  StreamEnv& operator=(const StreamEnv&) = delete;

  mm::HMIDISTRM Open() {
    mm::HMIDISTRM h = 0;
    uint32_t id = deviceId;
    EXPECT_EQ(mm::midiStreamOpen(&h, &id, 1, window, 0, mm::CALLBACK_WINDOW), mm::MMSYSERR_NOERROR);
    return h;
  }
  static void Queue(mm::HMIDISTRM h, Buffer& b) {
    ASSERT_EQ(mm::midiOutPrepareHeader(h, &b.hdr, sizeof(mm::MIDIHDR)), mm::MMSYSERR_NOERROR);
    ASSERT_EQ(mm::midiStreamOut(h, &b.hdr, sizeof(mm::MIDIHDR)), mm::MMSYSERR_NOERROR);
  }
  static void SetTempo(mm::HMIDISTRM h, uint32_t tempo) {
    mm::MIDIPROPTEMPO t{sizeof(t), tempo};
    ASSERT_EQ(mm::midiStreamProperty(h, reinterpret_cast<uint8_t*>(&t), mm::MIDIPROP_SET | mm::MIDIPROP_TEMPO),
              mm::MMSYSERR_NOERROR);
  }
  static uint32_t Position(mm::HMIDISTRM h) {
    mm::MMTIME t{};
    t.wType = mm::TIME_TICKS;
    EXPECT_EQ(mm::midiStreamPosition(h, &t, sizeof(t)), mm::MMSYSERR_NOERROR);
    return t.u.ticks;
  }
  static void Close(mm::HMIDISTRM h) {
    mm::midiOutReset(h);
    mm::PumpMessages();
    EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  }
  // (time, message) of every short message the device was sent.
  std::vector<std::pair<int64_t, uint32_t>> Played() const {
    std::vector<std::pair<int64_t, uint32_t>> out;
    for (const auto& r : device->Records()) {
      if (r.kind == mm::CaptureDevice::Kind::ShortMessage) out.push_back({r.timeMicros, r.value});
    }
    return out;
  }
};

using Timed = std::vector<std::pair<int64_t, uint32_t>>;

}  // namespace platform_test
