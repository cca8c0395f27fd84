// Output streams through the multimedia calls, on the virtual clock with a
// capture device (two tests run on the real clock).
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>

#include "StreamSupport.h"

namespace {

using namespace platform_test;
using mm::clock::VirtualClockGuard;

constexpr uint32_t kTempo20ms = 480000;  // 20000 us a tick at 24 ticks per quarter note

// The window answers each MM_MOM_DONE with the next buffer; the events of
// all buffers keep one absolute schedule.
TEST(PlatformStream, BuffersRefilledFromTheWindowPlayOnOneSchedule) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, kTempo20ms);
  Buffer a({{0, 0, 0x403C90}, {10, 0, 0x003C80}}), b({{5, 0, 0x403E90}}), c({{0, 0, 0x003E80}, {3, 0, 0x7B0B0}});
  Feed() = {&b, &c};
  env.Queue(h, a);
  ASSERT_EQ(mm::midiStreamRestart(h), mm::MMSYSERR_NOERROR);
  mm::clock::AdvanceTo(10'000'000);
  EXPECT_EQ(env.Played(), (Timed{{0, 0x403C90}, {200000, 0x003C80}, {300000, 0x403E90}, {300000, 0x003E80},
                                 {360000, 0x7B0B0}}));
  EXPECT_EQ(Done(), (std::vector<Posted>{{mm::MM_MOM_DONE, h, a.Address(), 200000},
                                         {mm::MM_MOM_DONE, h, b.Address(), 300000},
                                         {mm::MM_MOM_DONE, h, c.Address(), 360000}}));
  EXPECT_EQ(c.hdr.dwFlags & (mm::MHDR_DONE | mm::MHDR_INQUEUE | mm::MHDR_PREPARED), mm::MHDR_DONE);
  env.Close(h);
}

// A buffer queued after the stream ran dry plays its overdue event at once
// and the next one at its own time.
TEST(PlatformStream, LateBufferKeepsLaterEventsOnTime) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, kTempo20ms);
  Buffer a({{10, 0, 0x90}}), late({{2, 0, 0x91}, {5, 0, 0x92}});
  env.Queue(h, a);
  mm::midiStreamRestart(h);
  mm::clock::AdvanceTo(300000);
  env.Queue(h, late);
  mm::clock::AdvanceTo(1'000'000);
  EXPECT_EQ(env.Played(), (Timed{{200000, 0x90}, {300000, 0x91}, {340000, 0x92}}));
  env.Close(h);
}

// A tempo change, by an event in the buffer or by the property call, counts
// from the moment it is made; the default is 500000 us per 24 ticks.
TEST(PlatformStream, TempoChangesApplyFromTheirMoment) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  Buffer b({{24, 0, 0x90}, {0, 0, 0x01000000 | 250000}, {24, 0, 0x91}, {24, 0, 0x92}});
  env.Queue(h, b);
  mm::midiStreamRestart(h);
  mm::clock::AdvanceTo(875000);  // tick 24 at 0.5 s, 24 ticks in 0.25 s, then 12 more
  env.SetTempo(h, 1000000);      // at tick 60: the last 12 ticks take 0.5 s
  mm::clock::AdvanceTo(10'000'000);
  EXPECT_EQ(env.Played(), (Timed{{500000, 0x90}, {750000, 0x91}, {1375000, 0x92}}));
  mm::MIDIPROPTEMPO t{sizeof(t), 0};
  ASSERT_EQ(mm::midiStreamProperty(h, reinterpret_cast<uint8_t*>(&t), mm::MIDIPROP_GET | mm::MIDIPROP_TEMPO),
            mm::MMSYSERR_NOERROR);
  EXPECT_EQ(t.dwTempo, 1000000u);
  env.Close(h);
}

// A new stream is paused: nothing plays before restart. Pause keeps the
// queue and the position; restart continues from there.
TEST(PlatformStream, PauseKeepsQueueAndPosition) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, kTempo20ms);
  Buffer b({{0, 0, 0x90}, {10, 0, 0x91}});
  env.Queue(h, b);
  mm::clock::AdvanceTo(500000);
  EXPECT_TRUE(env.Played().empty());
  mm::midiStreamRestart(h);  // at 0.5 s
  mm::clock::AdvanceTo(600000);
  mm::midiStreamPause(h);  // 5 ticks in
  mm::clock::AdvanceTo(2'000'000);
  EXPECT_EQ(env.Position(h), 5u);
  EXPECT_EQ(env.Played(), (Timed{{500000, 0x90}}));
  EXPECT_TRUE(b.hdr.dwFlags & mm::MHDR_INQUEUE);
  mm::midiStreamRestart(h);
  mm::clock::AdvanceTo(3'000'000);
  EXPECT_EQ(env.Played(), (Timed{{500000, 0x90}, {2100000, 0x91}}));
  EXPECT_EQ(env.Position(h), 5u + 50u);  // one more second running at 20 ms a tick
  env.Close(h);
}

// Stop and reset both hand back the queued buffer at once with MM_MOM_DONE
// and silence the device; its events are never played.
TEST(PlatformStream, StopAndResetReturnTheQueuedBuffer) {
  struct Case {
    const char* what;
    mm::MMRESULT (*call)(mm::HMIDISTRM);
  };
  for (const Case& c : {Case{"stop", mm::midiStreamStop}, Case{"reset", mm::midiOutReset}}) {
    SCOPED_TRACE(c.what);
    VirtualClockGuard clock;
    StreamEnv env;
    auto h = env.Open();
    env.SetTempo(h, kTempo20ms);
    Buffer b({{0, 0, 0x90}, {100, 0, 0x91}});
    env.Queue(h, b);
    mm::midiStreamRestart(h);
    mm::clock::AdvanceTo(100000);
    ASSERT_EQ(c.call(h), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(b.hdr.dwFlags & (mm::MHDR_DONE | mm::MHDR_INQUEUE), mm::MHDR_DONE);
    mm::clock::AdvanceTo(5'000'000);
    EXPECT_EQ(Done(), (std::vector<Posted>{{mm::MM_MOM_DONE, h, b.Address(), 100000}}));
    EXPECT_EQ(env.Played(), (Timed{{0, 0x90}}));
    auto records = env.device->Records();
    EXPECT_EQ(records.back(), (mm::CaptureDevice::Record{100000, mm::CaptureDevice::Kind::Reset, 0}));
    EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  }
}

// A short message on the stream handle is sent at once, also while paused.
TEST(PlatformStream, ShortMessageIsSentAtOnceWhilePaused) {
  VirtualClockGuard clock(1234);
  StreamEnv env;
  auto h = env.Open();
  ASSERT_EQ(mm::midiOutShortMsg(h, 0x7F07B0), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(env.Played(), (Timed{{1234, 0x7F07B0}}));
  env.Close(h);
}

// The header rules: what may be queued, unprepared and closed when.
TEST(PlatformStream, HeaderRules) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  Buffer b({{1000, 0, 0x90}});
  constexpr uint32_t size = sizeof(mm::MIDIHDR);
  // Not prepared: refused.
  EXPECT_EQ(mm::midiStreamOut(h, &b.hdr, size), mm::MIDIERR_UNPREPARED);
  // A size smaller than the header record: refused.
  EXPECT_EQ(mm::midiOutPrepareHeader(h, &b.hdr, size - 1), mm::MMSYSERR_INVALPARAM);
  ASSERT_EQ(mm::midiOutPrepareHeader(h, &b.hdr, size), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(b.hdr.dwFlags, mm::MHDR_PREPARED);
  ASSERT_EQ(mm::midiStreamOut(h, &b.hdr, size), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(b.hdr.dwFlags, mm::MHDR_PREPARED | mm::MHDR_INQUEUE);
  // Already queued: neither queued twice nor unprepared.
  EXPECT_EQ(mm::midiStreamOut(h, &b.hdr, size), mm::MIDIERR_STILLPLAYING);
  EXPECT_EQ(mm::midiOutUnprepareHeader(h, &b.hdr, size), mm::MIDIERR_STILLPLAYING);
  // A stream with a buffer queued is not closed; it stays usable.
  EXPECT_EQ(mm::midiStreamClose(h), mm::MIDIERR_STILLPLAYING);
  EXPECT_EQ(mm::midiOutReset(h), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(mm::midiOutUnprepareHeader(h, &b.hdr, size), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(b.hdr.dwFlags, mm::MHDR_DONE);
  EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
}

// Every call on a closed or never-opened handle is refused and changes
// nothing: no message reaches the device, no header flag moves.
TEST(PlatformStream, CallsOnClosedHandlesAreRefused) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto closed = env.Open();
  env.Close(closed);
  mm::PumpMessages();
  env.device->Clear();
  Log().clear();
  Buffer b({{0, 0, 0x90}});
  b.hdr.dwFlags = mm::MHDR_PREPARED;
  mm::MMTIME time{};
  mm::MIDIPROPTEMPO tempo{sizeof(tempo), 100000};
  uint32_t volume = 0;
  using Call = std::function<mm::MMRESULT(mm::HMIDISTRM)>;
  const std::pair<const char*, Call> calls[] = {
      {"midiStreamOut", [&](auto h) { return mm::midiStreamOut(h, &b.hdr, sizeof(b.hdr)); }},
      {"midiOutPrepareHeader", [&](auto h) { return mm::midiOutPrepareHeader(h, &b.hdr, sizeof(b.hdr)); }},
      {"midiOutUnprepareHeader", [&](auto h) { return mm::midiOutUnprepareHeader(h, &b.hdr, sizeof(b.hdr)); }},
      {"midiStreamRestart", mm::midiStreamRestart},
      {"midiStreamPause", mm::midiStreamPause},
      {"midiStreamStop", mm::midiStreamStop},
      {"midiStreamClose", mm::midiStreamClose},
      {"midiStreamPosition", [&](auto h) { return mm::midiStreamPosition(h, &time, sizeof(time)); }},
      {"midiStreamProperty",
       [&](auto h) {
         return mm::midiStreamProperty(h, reinterpret_cast<uint8_t*>(&tempo), mm::MIDIPROP_SET | mm::MIDIPROP_TEMPO);
       }},
      {"midiOutShortMsg", [](auto h) { return mm::midiOutShortMsg(h, 0x90); }},
      {"midiOutReset", mm::midiOutReset},
      {"midiOutSetVolume", [](auto h) { return mm::midiOutSetVolume(h, 0x1234); }},
      {"midiOutGetVolume", [&](auto h) { return mm::midiOutGetVolume(h, &volume); }},
  };
  // The closed stream's handle, one never handed out, and 0 (which only
  // the volume calls accept).
  for (mm::HMIDISTRM h : {closed, closed + 1000, mm::HMIDISTRM{0}}) {
    for (const auto& [name, call] : calls) {
      if (h == 0 && std::string(name).find("Volume") != std::string::npos) continue;
      SCOPED_TRACE(std::string(name) + " on " + std::to_string(h));
      EXPECT_EQ(call(h), mm::MMSYSERR_INVALHANDLE);
    }
  }
  mm::PumpMessages();
  EXPECT_EQ(b.hdr.dwFlags, mm::MHDR_PREPARED);
  EXPECT_TRUE(env.device->Records().empty());
  EXPECT_TRUE(Log().empty());
  uint32_t v = 0;
  EXPECT_EQ(env.device->GetVolume(v), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0xFFFFFFFFu);
}

// Handles are never reused, not even after a close.
TEST(PlatformStream, HandlesAreNeverReused) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto first = env.Open();
  env.Close(first);
  auto second = env.Open();
  EXPECT_NE(first, second);
  EXPECT_EQ(mm::midiOutShortMsg(first, 0x90), mm::MMSYSERR_INVALHANDLE);
  env.Close(second);
}

// Handle 0 in the volume calls is device 0, and opens nothing.
TEST(PlatformStream, VolumeOnHandleZeroReachesDeviceZero) {
  StreamEnv env;
  if (env.deviceId != 0) GTEST_SKIP() << "a built-in device is device 0";
  uint32_t v = 0;
  ASSERT_EQ(mm::midiOutGetVolume(0, &v), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  ASSERT_EQ(mm::midiOutSetVolume(0, 0x80004000), mm::MMSYSERR_NOERROR);
  ASSERT_EQ(mm::midiOutGetVolume(0, &v), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0x80004000u);
  EXPECT_EQ(env.device->OpenCount(), 0);
}

// A stream keeps the clock it was opened on: one opened in virtual time does
// not jump to the steady clock when the clock is switched back.
TEST(PlatformStream, StreamKeepsTheClockItWasOpenedOn) {
  StreamEnv env;
  mm::HMIDISTRM h = 0;
  {
    VirtualClockGuard clock(1'000'000);
    h = env.Open();
    env.SetTempo(h, kTempo20ms);
    ASSERT_EQ(mm::midiStreamRestart(h), mm::MMSYSERR_NOERROR);
    mm::clock::AdvanceTo(1'400'000);
    EXPECT_EQ(env.Position(h), 20u);
  }
  ASSERT_FALSE(mm::clock::IsVirtual());
  EXPECT_EQ(env.Position(h), 20u) << "still at its own virtual time";
  env.Close(h);
}

// Device -1 is the first device of the list.
TEST(PlatformStream, MapperOpensTheFirstDevice) {
  VirtualClockGuard clock;
  StreamEnv env;
  if (env.deviceId != 0) GTEST_SKIP() << "a built-in device is device 0";
  mm::HMIDISTRM h = 0;
  uint32_t mapper = mm::MIDI_MAPPER;
  ASSERT_EQ(mm::midiStreamOpen(&h, &mapper, 1, env.window, 0, mm::CALLBACK_WINDOW), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(env.device->OpenCount(), 1);
  mm::midiOutShortMsg(h, 0x90);
  EXPECT_EQ(env.device->Messages(), std::vector<uint32_t>{0x90});
  env.Close(h);
  EXPECT_EQ(env.device->OpenCount(), 0);
}

std::string ErrorText(mm::MMRESULT code) {
  char text[255];
  EXPECT_EQ(mm::midiOutGetErrorTextA(code, text, sizeof(text)), mm::MMSYSERR_NOERROR);
  return text;
}

// Failed opens: the handle is left alone and the error has a text.
TEST(PlatformStream, FailedOpens) {
  VirtualClockGuard clock;
  StreamEnv env;
  mm::HMIDISTRM h = 77;
  // One past the last device.
  uint32_t bad = mm::midiOutGetNumDevs();
  EXPECT_EQ(mm::midiStreamOpen(&h, &bad, 1, env.window, 0, mm::CALLBACK_WINDOW), mm::MMSYSERR_BADDEVICEID);
  EXPECT_FALSE(ErrorText(mm::MMSYSERR_BADDEVICEID).empty());
  // A device that cannot start says why.
  env.device->FailOpen(mm::MMSYSERR_NODRIVER, "no sound output");
  uint32_t id = env.deviceId;
  EXPECT_EQ(mm::midiStreamOpen(&h, &id, 1, env.window, 0, mm::CALLBACK_WINDOW), mm::MMSYSERR_NODRIVER);
  EXPECT_NE(ErrorText(mm::MMSYSERR_NODRIVER).find("no sound output"), std::string::npos);
  EXPECT_EQ(h, 77u);
  EXPECT_EQ(env.device->OpenCount(), 0);
}

// Texts are cut to the buffer given, always ending in NUL; an unknown code
// is reported as such.
TEST(PlatformStream, ErrorTextFitsTheBuffer) {
  char small[8];
  std::memset(small, 'x', sizeof(small));
  EXPECT_EQ(mm::midiOutGetErrorTextA(mm::MMSYSERR_INVALHANDLE, small, sizeof(small)), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(std::strlen(small), 7u);
  char text[255];
  EXPECT_EQ(mm::midiOutGetErrorTextA(12345, text, sizeof(text)), mm::MMSYSERR_BADERRNUM);
}

// The device list shows the registered device with its name cut to 31
// characters and a NUL.
TEST(PlatformStream, DeviceCapsTruncateTheName) {
  auto device = std::make_shared<mm::CaptureDevice>(std::string(40, 'N'));
  uint32_t id = mm::RegisterDevice(device);
  EXPECT_EQ(mm::midiOutGetNumDevs(), id + 1);
  mm::MIDIOUTCAPSA caps;
  std::memset(&caps, 0xAA, sizeof(caps));
  ASSERT_EQ(mm::midiOutGetDevCapsA(id, &caps, sizeof(caps)), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(std::string(caps.szPname), std::string(31, 'N'));
  EXPECT_EQ(mm::midiOutGetDevCapsA(id + 1, &caps, sizeof(caps)), mm::MMSYSERR_BADDEVICEID);
  mm::UnregisterDevice(device);
  EXPECT_EQ(mm::midiOutGetNumDevs(), id);
}

// Rendering as fast as possible plays a whole refilled stream and stops
// when nothing is pending, or when the caller says so.
TEST(PlatformStream, RunAsFastAsPossible) {
  VirtualClockGuard clock;
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, kTempo20ms);
  Buffer a({{50, 0, 0x90}}), b({{50, 0, 0x91}});
  Feed() = {&b};
  env.Queue(h, a);
  mm::midiStreamRestart(h);
  EXPECT_EQ(mm::clock::RunAsFastAsPossible(), mm::clock::RunResult::Idle);
  EXPECT_EQ(env.Played(), (Timed{{1000000, 0x90}, {2000000, 0x91}}));
  // With a timer always pending, only the predicate ends the run.
  mm::SetTimer(env.window, 1, 1000);
  Buffer c({{50, 0, 0x92}});
  env.Queue(h, c);
  auto stop = [&] { return !(c.hdr.dwFlags & mm::MHDR_INQUEUE); };
  EXPECT_EQ(mm::clock::RunAsFastAsPossible(stop), mm::clock::RunResult::Stopped);
  EXPECT_EQ(mm::clock::NowMicros(), 3000000);
  mm::KillTimer(env.window, 1);
  env.Close(h);
}

// Nothing carried over from an earlier use: the same run twice in one
// process gives the same device number, messages and notifications.
TEST(PlatformStream, NoStateCarriesOverBetweenRuns) {
  auto run = [] {
    VirtualClockGuard clock;
    StreamEnv env;
    auto h = env.Open();
    Buffer b({{24, 0, 0x90}});
    env.Queue(h, b);
    mm::midiStreamRestart(h);
    mm::clock::AdvanceTo(1'000'000);
    env.Close(h);
    auto done = Done();
    return std::make_tuple(env.deviceId, env.Played(), done.size(), done.empty() ? 0 : done[0].time);
  };
  auto first = run();
  EXPECT_EQ(first, run());
  EXPECT_EQ(std::get<1>(first), (Timed{{500000, 0x90}}));
}

// On the real clock a driver thread plays the buffer and the notification
// arrives through the message loop (no timing checked; the wait is bounded).
TEST(PlatformStream, RealTimeStreamPlaysAndNotifies) {
  ASSERT_FALSE(mm::clock::IsVirtual());
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, 24000);  // 1 ms a tick
  Buffer b({{0, 0, 0x90}, {5, 0, 0x80}});
  env.Queue(h, b);
  mm::midiStreamRestart(h);
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Done().empty() && std::chrono::steady_clock::now() < limit) mm::WaitAndDispatch(100);
  ASSERT_EQ(Done().size(), 1u);
  EXPECT_EQ(Done()[0].lParam, b.Address());
  EXPECT_EQ(env.device->Messages(), (std::vector<uint32_t>{0x90, 0x80}));
  env.Close(h);
}

// While the window's thread waits in its message loop it plays the stream
// itself; when it is busy elsewhere, the driver thread plays in its place.
// (Bounded waits only: nothing here depends on how quick either is.)
TEST(PlatformStream, DriverPlaysWhileTheWindowThreadIsBusy) {
  ASSERT_FALSE(mm::clock::IsVirtual());
  StreamEnv env;
  auto h = env.Open();
  env.SetTempo(h, 24000);  // 1 ms a tick
  Buffer first({{0, 0, 0x90}, {5, 0, 0x80}}), second({{20, 0, 0x91}});
  Feed() = {&second};
  env.Queue(h, first);
  mm::midiStreamRestart(h);
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (Done().empty() && std::chrono::steady_clock::now() < limit) mm::WaitAndDispatch(100);
  ASSERT_EQ(Done().size(), 1u) << "the first buffer was played and the second queued from the loop";
  // Busy: no message loop for far longer than the second buffer needs.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_EQ(env.device->Messages(), (std::vector<uint32_t>{0x90, 0x80, 0x91}));
  while (Done().size() < 2 && std::chrono::steady_clock::now() < limit) mm::WaitAndDispatch(100);
  env.Close(h);
}

}  // namespace
