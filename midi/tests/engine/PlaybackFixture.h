// Playing songs built in the test on the virtual clock through a capture
// device, so that every message's time is exact.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FormProc.h"
#include "loader/SongBytes.h"
#include "platform/clock.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/registry.h"

namespace sonara::testing {

using Timed = std::vector<std::pair<int64_t, uint32_t>>;
using Lines = std::vector<std::string>;

// A one-track song (format 0) at `division` ticks per quarter note.
inline Bytes Song(const Bytes& events, uint16_t division = 96) {
  return Header(1, division, 0) + Track(events + EndOfTrack());
}

class PlaybackTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    deviceId = mm::RegisterDevice(capture);
    player->put_SetDevice(static_cast<int16_t>(deviceId));
  }
  void TearDown() override {
    LoaderTest::TearDown();
    mm::UnregisterDevice(capture);
  }

  // Loads the song and forgets what loading raised and sent.
  void LoadSong(const Bytes& bytes) {
    Load(bytes);
    sink->lines.clear();
    capture->Clear();
  }

  // Runs the clock as fast as possible until playback is no longer running.
  void RunToEnd() {
    mm::clock::RunAsFastAsPossible([this] { return player->get_Status() != kStatusPlaying; });
  }

  void PlayToEnd() {
    player->PlayMidi();
    RunToEnd();
  }

  // Every short message the device got, with its time.
  Timed Played() const {
    Timed out;
    for (const auto& r : capture->Records()) {
      if (r.kind == mm::CaptureDevice::Kind::ShortMessage) out.push_back({r.timeMicros, r.value});
    }
    return out;
  }

  // The short messages after the 80 of the channel setup, with their times.
  Timed SongMessages() const {
    Timed all = Played();
    return Timed(all.begin() + std::min<size_t>(kSetupMessages, all.size()), all.end());
  }

  // Only the messages of one kind (status high nibble), with their times.
  Timed Kind(uint32_t kind) const {
    Timed out;
    for (const auto& m : Played()) {
      if ((m.second & 0xF0) == kind) out.push_back(m);
    }
    return out;
  }

  // Note-ons and note-offs from `from` on, times relative to it; without the
  // setup's note-offs of key 64, so tests avoid that key.
  Timed Notes(int64_t from = 0) const {
    Timed out;
    for (const auto& [t, m] : Played()) {
      const uint32_t kind = m & 0xF0;
      if (t >= from && (kind == 0x80 || kind == 0x90) && (m & 0xFFFFF0) != 0x4080) out.push_back({t - from, m});
    }
    return out;
  }

  static constexpr size_t kSetupMessages = 80;

  mm::clock::VirtualClockGuard clock_;  // declared first: it outlives the player
  std::shared_ptr<mm::CaptureDevice> capture = std::make_shared<mm::CaptureDevice>("Capture for playback");
  uint32_t deviceId = 0;
};

// Times from `from` on, relative to it.
inline Timed Since(const Timed& all, int64_t from) {
  Timed out;
  for (const auto& [t, m] : all) {
    if (t >= from) out.push_back({t - from, m});
  }
  return out;
}

}  // namespace sonara::testing
