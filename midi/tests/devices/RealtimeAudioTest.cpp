// Device 0 playing in real time into a PulseAudio server of the test's own,
// recorded from the null sink's monitor.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "PulseServer.h"
#include "RenderSupport.h"

namespace devices_test {
namespace {

constexpr int kFlute = 73, kChurchOrgan = 19;

TEST(RealtimeAudio, SongPlaysOnTimeAtItsPitches) {
  ASSERT_FALSE(mm::clock::IsVirtual());
  TempDir dir;
  PulseServer server(dir.path());
  if (!server.Ready()) GTEST_SKIP() << "no sound server could start: " << server.WhyNot();
  setenv("PULSE_SERVER", server.Address().c_str(), 1);

  if (!std::filesystem::exists("/usr/bin/parec")) {
    GTEST_SKIP() << "nothing to record with: Debian's pulseaudio-utils (parec) is not installed";
  }
  MonitorRecorder recorder(server, dir.path());
  ASSERT_TRUE(recorder.WaitUntilRecording()) << ReadText(dir / "parec.log");

  // Three flute notes, each given time to fade before the next, after half a
  // second for the sound server to settle. Then an organ chord held until a
  // reset, which must silence it at once rather than let it fade.
  struct Note {
    int key;
    double hertz;
    int64_t ms;
  };
  const Note notes[] = {{69, 440.0, 500}, {76, 659.255, 1500}, {81, 880.0, 2500}};
  std::vector<Timed> song = Dry(0);
  song.push_back({0, Program(0, kFlute)});
  for (const auto& n : notes) {
    song.push_back({n.ms, NoteOn(0, n.key)});
    song.push_back({n.ms + 400, NoteOff(0, n.key)});
  }
  constexpr int64_t kOrganMs = 3400, kResetMs = 3800;
  song.push_back({kOrganMs, Program(1, kChurchOrgan)});
  song.push_back({kOrganMs, NoteOn(1, 48)});
  song.push_back({kOrganMs, NoteOn(1, 55)});

  mm::HMIDISTRM h = 0;
  uint32_t device = 0;
  mm::MMRESULT opened = mm::midiStreamOpen(&h, &device, 1, 0, 0, mm::CALLBACK_NULL);
  ASSERT_EQ(opened, mm::MMSYSERR_NOERROR) << ErrorText(opened);
  TimedBuffer buffer(song);
  StartStream(h, buffer);
  // Meanwhile the client thread keeps setting the (full) volume, as a mixer
  // would, while the stream's thread plays.
  const auto start = std::chrono::steady_clock::now();
  bool reset = false;
  while (std::chrono::steady_clock::now() < start + std::chrono::milliseconds(4300)) {
    EXPECT_EQ(mm::midiOutSetVolume(h, 0xFFFFFFFF), mm::MMSYSERR_NOERROR);
    if (!reset && std::chrono::steady_clock::now() >= start + std::chrono::milliseconds(kResetMs)) {
      mm::midiOutReset(h);
      reset = true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  Audio a = recorder.Finish();
  unsetenv("PULSE_SERVER");

  auto onsets = LevelOnsets(a, 5e-3, 2e-3, 0.01, 0.3);
  std::string found;
  for (double t : onsets) found += " " + std::to_string(t);
  found += "; levels every 50 ms:";
  for (double t = 0; t < a.Seconds(); t += 0.05) found += " " + std::to_string(Rms(a, t, t + 0.05)).substr(0, 7);
  ASSERT_EQ(onsets.size(), std::size(notes) + 1) << "recorded " << a.Seconds() << " s, onsets at" << found;
  for (size_t i = 0; i < std::size(notes); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR((onsets[i] - onsets[0]) * 1000, static_cast<double>(notes[i].ms - notes[0].ms), 30.0);
    double f = DominantFrequency(a, onsets[i] + 0.1, onsets[i] + 0.35);
    EXPECT_NEAR(f, notes[i].hertz, notes[i].hertz * 0.01);
  }
  // The organ sounds until the reset and stops there; after note-offs its
  // release would keep about two thirds of the level for the next 0.2 s,
  // while what is left after the reset is the reverberation.
  const double resetAt = onsets[0] + static_cast<double>(kResetMs - notes[0].ms) / 1000;
  const double held = Rms(a, resetAt - 0.2, resetAt - 0.05);
  EXPECT_GT(held, 5e-3) << found;
  EXPECT_LT(Rms(a, resetAt + 0.06, resetAt + 0.2), 0.3 * held) << found;
}

}  // namespace
}  // namespace devices_test
