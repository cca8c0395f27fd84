// midi-play playing the karaoke sample on device 0 in real time, into a
// PulseAudio server of the test's own whose null sink's monitor is
// recorded: the recording matches the --wav render of the same song in
// length (within 100 ms) and in the shape of its loudness over time.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "AudioAnalysis.h"
#include "PulseServer.h"

namespace {

using devices_test::Audio;
using devices_test::Child;
using devices_test::MonitorRecorder;
using devices_test::PulseServer;
using devices_test::ReadText;

class TempFolder {
 public:
  TempFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "midi-play-audio-XXXXXX").string();
    path_ = mkdtemp(pattern.data()) ? pattern : std::string();
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

bool WaitForExit(Child& child, std::chrono::seconds limit) {
  auto end = std::chrono::steady_clock::now() + limit;
  while (child.Running()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return true;
}

// Loudness every `frame` seconds.
std::vector<double> Envelope(const Audio& a, double frame) {
  std::vector<double> levels;
  for (double t = 0; t + frame <= a.Seconds(); t += frame) levels.push_back(devices_test::Rms(a, t, t + frame));
  return levels;
}

double Peak(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// The first and last frame louder than a tenth of the loudest (40 dB
// below it would count the reverberation, which a real device cuts when the
// song ends and the renderer lets fade).
std::pair<size_t, size_t> SoundingSpan(const std::vector<double>& env) {
  const double threshold = Peak(env) * 0.1;
  size_t first = 0, last = 0;
  for (size_t i = 0; i < env.size(); ++i) {
    if (env[i] <= threshold) continue;
    if (last == 0) first = i;
    last = i;
  }
  return {first, last};
}

// Which frames of `frame` seconds hold a dropout of the recording: digital
// silence amid sound, where a starved machine did not feed the sound server
// in time. Such a frame says nothing about what the player played.
std::vector<bool> DropoutFrames(const Audio& a, double frame) {
  std::vector<bool> dropped;
  for (double t = 0; t + frame <= a.Seconds(); t += frame)
    dropped.push_back(devices_test::HasDigitalSilence(a, t, t + frame, 0.002));
  return dropped;
}

// Correlation of the two envelopes over their sounding spans, aligned at
// their starts, leaving out the frames of `a` that `skip` marks.
double Correlation(const std::vector<double>& a, size_t aFrom, const std::vector<double>& b, size_t bFrom,
                   size_t count, const std::vector<bool>& skip) {
  double sa = 0, sb = 0, saa = 0, sbb = 0, sab = 0;
  size_t used = 0;
  for (size_t i = 0; i < count; ++i) {
    if (skip[aFrom + i]) continue;
    double x = a[aFrom + i], y = b[bFrom + i];
    sa += x, sb += y, saa += x * x, sbb += y * y, sab += x * y;
    ++used;
  }
  double n = static_cast<double>(used);
  double cov = sab - sa * sb / n, va = saa - sa * sa / n, vb = sbb - sb * sb / n;
  return va > 0 && vb > 0 ? cov / std::sqrt(va * vb) : 0;
}

TEST(MidiPlayRealAudio, RecordingMatchesTheRender) {
  TempFolder dir;
  PulseServer server(dir.Path());
  if (!server.Ready()) GTEST_SKIP() << "no sound server could start: " << server.WhyNot();
  MonitorRecorder recorder(server, dir.Path());
  ASSERT_TRUE(recorder.WaitUntilRecording()) << ReadText(dir / "parec.log");

  Child player({MIDI_PLAY, SONG}, dir / "play.out", dir / "play.err",
               {"PULSE_SERVER=" + server.Address()});
  ASSERT_TRUE(WaitForExit(player, std::chrono::seconds(120))) << "midi-play did not end";
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Audio recorded = recorder.Finish();
  ASSERT_EQ(ReadText(dir / "play.err"), "") << "device 0 should play, not fall back";
  ASSERT_NE(ReadText(dir / "play.out").find("status: Stopped"), std::string::npos) << ReadText(dir / "play.out");

  Child render({MIDI_PLAY, "--wav", dir / "render.wav", SONG}, dir / "render.out", dir / "render.err");
  ASSERT_TRUE(WaitForExit(render, std::chrono::seconds(60)));
  Audio rendered = devices_test::ReadWav(dir / "render.wav");
  ASSERT_GT(rendered.rate, 0) << ReadText(dir / "render.err");

  // Length: from the first to the last loud moment, to 10 ms.
  constexpr double kFine = 0.01;
  auto [heardFirst, heardLast] = SoundingSpan(Envelope(recorded, kFine));
  auto [madeFirst, madeLast] = SoundingSpan(Envelope(rendered, kFine));
  const double heardSeconds = (heardLast - heardFirst) * kFine, madeSeconds = (madeLast - madeFirst) * kFine;
  EXPECT_GT(madeSeconds, 40.0);
  EXPECT_NEAR(heardSeconds, madeSeconds, 0.1);

  // Shape: the loudness every 100 ms, aligned as well as it goes within a
  // second either way (a machine under load plays a little unevenly).
  constexpr double kCoarse = 0.1;
  constexpr size_t kSlack = 10;
  auto heard = Envelope(recorded, kCoarse), made = Envelope(rendered, kCoarse);
  const auto dropped = DropoutFrames(recorded, kCoarse);
  size_t heardStart = static_cast<size_t>(heardFirst * kFine / kCoarse);
  size_t madeStart = static_cast<size_t>(madeFirst * kFine / kCoarse);
  size_t count = static_cast<size_t>(std::min(heardSeconds, madeSeconds) / kCoarse) - 2 * kSlack;
  ASSERT_LE(heardStart + 2 * kSlack + count, heard.size());
  ASSERT_LE(madeStart + kSlack + count, made.size());
  double best = 0;
  for (size_t shift = 0; shift <= 2 * kSlack; ++shift)
    best = std::max(best, Correlation(heard, heardStart + shift, made, madeStart + kSlack, count, dropped));
  EXPECT_GT(best, 0.7);  // about 0.85 on a quiet machine, 0.8 under load
}

}  // namespace
