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

constexpr int kFlute = 73;

TEST(RealtimeAudio, SongPlaysOnTimeAtItsPitches) {
  ASSERT_FALSE(mm::clock::IsVirtual());
  TempDir dir;
  PulseServer server(dir.path());
  if (!server.Ready()) GTEST_SKIP() << "no sound server could start: " << server.WhyNot();
  setenv("PULSE_SERVER", server.Address().c_str(), 1);

  MonitorRecorder recorder(server, dir.path());
  ASSERT_TRUE(recorder.WaitUntilRecording()) << ReadText(dir / "parec.log");

  // Three flute notes, each given time to fade before the next, after half a
  // second for the sound server to settle.
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

  mm::HMIDISTRM h = 0;
  uint32_t device = 0;
  mm::MMRESULT opened = mm::midiStreamOpen(&h, &device, 1, 0, 0, mm::CALLBACK_NULL);
  ASSERT_EQ(opened, mm::MMSYSERR_NOERROR) << ErrorText(opened);
  TimedBuffer buffer(song);
  StartStream(h, buffer);
  // Meanwhile the client thread keeps setting the (full) volume, as a mixer
  // would, while the stream's thread plays.
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(3400);
  while (std::chrono::steady_clock::now() < end) {
    EXPECT_EQ(mm::midiOutSetVolume(h, 0xFFFFFFFF), mm::MMSYSERR_NOERROR);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  mm::midiOutReset(h);
  EXPECT_EQ(mm::midiStreamClose(h), mm::MMSYSERR_NOERROR);
  Audio a = recorder.Finish();
  unsetenv("PULSE_SERVER");

  auto onsets = LevelOnsets(a, 5e-3, 2e-3, 0.01, 0.3);
  std::string found;
  for (double t : onsets) found += " " + std::to_string(t);
  found += "; levels every 50 ms:";
  for (double t = 0; t < a.Seconds(); t += 0.05) found += " " + std::to_string(Rms(a, t, t + 0.05)).substr(0, 7);
  ASSERT_EQ(onsets.size(), std::size(notes)) << "recorded " << a.Seconds() << " s, onsets at" << found;
  for (size_t i = 0; i < onsets.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_NEAR((onsets[i] - onsets[0]) * 1000, static_cast<double>(notes[i].ms - notes[0].ms), 30.0);
    double f = DominantFrequency(a, onsets[i] + 0.1, onsets[i] + 0.35);
    EXPECT_NEAR(f, notes[i].hertz, notes[i].hertz * 0.01);
  }
}

}  // namespace
}  // namespace devices_test
