// Songs played by clsMidi into the WAV renderer, as a program that renders
// to a file does: the mixer's settings must be heard in the file.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "AudioAnalysis.h"
#include "RenderSupport.h"
#include "loader/SongBytes.h"
#include "modMidi.h"

namespace sonara::testing {
namespace {

using devices_test::Audio;
using devices_test::ReadWav;
using devices_test::TempDir;

// 500000 µs per quarter note at 96 ticks: 5208.3 µs a tick.
constexpr double kTickMs = 500.0 / 96;
constexpr uint8_t kFlute = 73;
constexpr uint8_t kClosedHiHat = 42;

// A format 0 song; channel 0 a dry flute (no reverb or chorus), channel 9
// dry drums.
Bytes DrySong(const Bytes& events) {
  Bytes setup = Ev(0, {0xC0, kFlute}) + Ev(0, {0xB0, 91, 0}) + Ev(0, {0xB0, 93, 0}) + Ev(0, {0xB9, 91, 0}) +
                Ev(0, {0xB9, 93, 0});
  return Header(1, 96, 0) + Track(setup + events + EndOfTrack());
}

// A4 held for 192 ticks (1 s).
const Bytes kHeldA4 = DrySong(Ev(0, {0x90, 69, 100}) + Ev(192, {0x80, 69, 0}));

// Hi-hat strokes at ticks 0, 77, 192 and 250, the song ending at tick 384
// (2 s) long after the last stroke has died away.
const int kStrokeTicks[] = {0, 77, 192, 250};
const Bytes kStrokes = DrySong(Ev(0, {0x99, kClosedHiHat, 120}) + Ev(77, {0x99, kClosedHiHat, 120}) +
                               Ev(115, {0x99, kClosedHiHat, 120}) + Ev(58, {0x99, kClosedHiHat, 120}) +
                               Ev(134, {0x89, kClosedHiHat, 0}));

class PlayerRender : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    deviceId = mm::RegisterDevice(renderer);
    player->put_SetDevice(static_cast<int16_t>(deviceId));
  }
  void TearDown() override {
    LoaderTest::TearDown();
    mm::UnregisterDevice(renderer);
  }

  // Plays the loaded song to its end as fast as possible and reads the file;
  // `whilePlaying` runs once the stream is open, before the first note.
  Audio PlayToEnd(const std::function<void()>& whilePlaying = {}) {
    std::filesystem::remove(renderer->Path());
    player->PlayMidi();
    if (whilePlaying) whilePlaying();
    mm::clock::RunAsFastAsPossible([this] { return player->get_Status() != kStatusPlaying; });
    EXPECT_EQ(renderer->Error(), "");
    return ReadWav(renderer->Path());
  }

  mm::clock::VirtualClockGuard clock_;  // declared first: it outlives the player
  TempDir dir;
  std::shared_ptr<mm::FileRenderer> renderer = std::make_shared<mm::FileRenderer>(dir / "song.wav");
  uint32_t deviceId = 0;
};

// Every channel muted: the file is silent.
TEST_F(PlayerRender, AllChannelsMutedRendersSilence) {
  Load(kHeldA4);
  const double audible = devices_test::Rms(PlayToEnd(), 0, 1);
  for (int16_t ch = 0; ch < 16; ++ch) player->put_MuteChannel(ch, kTrue);
  Audio muted = PlayToEnd();
  EXPECT_GT(audible, 1e-2);
  EXPECT_GT(muted.Seconds(), 0.9);
  EXPECT_EQ(devices_test::Rms(muted, 0, muted.Seconds()), 0.0);
}

// Transposing by +12 doubles the frequency.
TEST_F(PlayerRender, TransposeOctaveDoublesTheFrequency) {
  Load(kHeldA4);
  const double plain = devices_test::DominantFrequency(PlayToEnd(), 0.2, 0.9);
  player->put_Transpose(12);
  const double octave = devices_test::DominantFrequency(PlayToEnd(), 0.2, 0.9);
  EXPECT_NEAR(plain, 440.0, 4.4);
  EXPECT_NEAR(octave, 2 * plain, 2 * plain * 0.01);
}

// MasterVolume 3 is quieter than 10, by about its 30 % gain. The master
// volume goes to the device of the open stream, so it is set while playing.
TEST_F(PlayerRender, MasterVolumeThreeIsQuieterThanTen) {
  Load(kHeldA4);
  const double ten = devices_test::Rms(PlayToEnd([this] { player->put_MasterVolume(10); }), 0.2, 0.9);
  const double three = devices_test::Rms(PlayToEnd([this] { player->put_MasterVolume(3); }), 0.2, 0.9);
  EXPECT_LT(three, ten);
  EXPECT_NEAR(three / ten, 0.3, 0.03);
}

// A channel's volume reaches the synthesizer as its controller 7: a third of
// the default 90 is well under half as loud.
TEST_F(PlayerRender, ChannelVolumeSetsTheChannelsLevel) {
  Load(kHeldA4);
  const double normal = devices_test::Rms(PlayToEnd(), 0.2, 0.9);
  player->put_Volume(0, 30);
  const double low = devices_test::Rms(PlayToEnd(), 0.2, 0.9);
  EXPECT_GT(low, 0.0);
  EXPECT_LT(low, 0.5 * normal);
}

// The strokes start within 2 ms of their due times; Velocity 10 makes the
// song twice as long, every stroke twice as late, and the file ends with
// the song (within 20 ms) plus the tenth of a second of silence that ends
// every render.
TEST_F(PlayerRender, OnsetsAndLengthFollowTheSongAndItsSpeed) {
  Load(kStrokes);
  for (int16_t velocity : {0, 10}) {
    SCOPED_TRACE(velocity);
    player->put_Velocity(velocity);
    const double scale = velocity == 10 ? 2.0 : 1.0;
    Audio a = PlayToEnd();
    auto onsets = devices_test::Onsets(a, 1e-3f);
    ASSERT_EQ(onsets.size(), std::size(kStrokeTicks));
    for (size_t i = 0; i < onsets.size(); ++i) {
      EXPECT_NEAR(onsets[i] * 1000, kStrokeTicks[i] * kTickMs * scale, 2.0) << "stroke " << i;
    }
    const double songMs = 384 * kTickMs * scale;
    EXPECT_NEAR(a.Seconds() * 1000 - 100, songMs, 20.0 + 1024 * 1000.0 / 44100);
  }
}

}  // namespace
}  // namespace sonara::testing
