// Playing timed messages into a device through the stream calls, one stream
// tick per millisecond, and messages built by name.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/devices/file_renderer.h"
#include "platform/devices/registry.h"
#include "platform/mmsystem.h"

namespace devices_test {

struct Timed {
  int64_t ms;
  uint32_t message;
};

constexpr uint32_t NoteOn(int ch, int key, int vel = 100) { return 0x90u | ch | key << 8 | vel << 16; }
constexpr uint32_t NoteOff(int ch, int key) { return 0x80u | ch | key << 8 | 64 << 16; }
constexpr uint32_t Program(int ch, int program) { return 0xC0u | ch | program << 8; }
constexpr uint32_t Control(int ch, int cc, int value) { return 0xB0u | ch | cc << 8 | value << 16; }

// Reverb and chorus off: notes end when their own release does.
inline std::vector<Timed> Dry(int ch) { return {{0, Control(ch, 91, 0)}, {0, Control(ch, 93, 0)}}; }

inline std::string ErrorText(mm::MMRESULT code) {
  char text[256] = {};
  mm::midiOutGetErrorTextA(code, text, sizeof(text));
  return text;
}

// One buffer of events (times in ms, in order) on a stream whose ticks last
// 1 ms (24 ticks per quarter note at 24000 µs per quarter note).
struct TimedBuffer {
  std::vector<mm::MIDIEVENT> events;
  mm::MIDIHDR hdr{};
  explicit TimedBuffer(const std::vector<Timed>& timed) {
    int64_t last = 0;
    for (const auto& t : timed) {
      events.push_back({static_cast<uint32_t>(t.ms - last), 0, t.message});
      last = t.ms;
    }
    hdr.lpData = reinterpret_cast<char*>(events.data());
    hdr.dwBufferLength = hdr.dwBytesRecorded = static_cast<uint32_t>(events.size() * sizeof(mm::MIDIEVENT));
  }
};

inline void StartStream(mm::HMIDISTRM h, TimedBuffer& buffer) {
  mm::MIDIPROPTEMPO tempo{sizeof(tempo), 24000};
  ASSERT_EQ(mm::midiStreamProperty(h, reinterpret_cast<uint8_t*>(&tempo), mm::MIDIPROP_SET | mm::MIDIPROP_TEMPO),
            mm::MMSYSERR_NOERROR);
  ASSERT_EQ(mm::midiOutPrepareHeader(h, &buffer.hdr, sizeof(mm::MIDIHDR)), mm::MMSYSERR_NOERROR);
  ASSERT_EQ(mm::midiStreamOut(h, &buffer.hdr, sizeof(mm::MIDIHDR)), mm::MMSYSERR_NOERROR);
  ASSERT_EQ(mm::midiStreamRestart(h), mm::MMSYSERR_NOERROR);
}

// Renders `timed` with `renderer` as the player would: stream opened at
// time 0 on the virtual clock, played as fast as possible, then at
// `closeMs` reset (as the player does when it stops) and closed.
inline void Render(const std::shared_ptr<mm::FileRenderer>& renderer, const std::vector<Timed>& timed,
                   int64_t closeMs) {
  mm::clock::VirtualClockGuard clock;
  uint32_t id = mm::RegisterDevice(renderer);
  mm::HMIDISTRM h = 0;
  ASSERT_EQ(mm::midiStreamOpen(&h, &id, 1, 0, 0, mm::CALLBACK_NULL), mm::MMSYSERR_NOERROR)
      << ErrorText(mm::MMSYSERR_NODRIVER);
  TimedBuffer buffer(timed);
  StartStream(h, buffer);
  mm::clock::RunAsFastAsPossible();
  mm::clock::AdvanceTo(closeMs * 1000);
  mm::midiOutReset(h);
  EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  mm::UnregisterDevice(renderer);
}

// A fresh folder for one test's files, removed with everything in it.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "sonara-devices-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

}  // namespace devices_test
