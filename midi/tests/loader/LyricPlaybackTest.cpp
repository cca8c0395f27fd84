// Lyrics as a client sees them while a song plays: the TextKar events of a
// song whose lyric lines end in CR, LF and CR LF, played on the virtual clock
// through a capture device.
#include <memory>

#include "LyricSongs.h"
#include "platform/clock.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/registry.h"

namespace sonara::testing {
namespace {

class LyricPlayback : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    deviceId_ = mm::RegisterDevice(capture_);
  }
  void TearDown() override {
    mm::UnregisterDevice(capture_);
    LoaderTest::TearDown();
  }

  // Plays the loaded song to its end on the capture device.
  void PlayToTheEnd() {
    player->put_SetDevice(static_cast<int16_t>(deviceId_));
    sink->lines.clear();
    player->PlayMidi();
    mm::clock::RunAsFastAsPossible([this] { return player->get_Status() != kStatusPlaying; });
  }

 private:
  mm::clock::VirtualClockGuard clock_;
  std::shared_ptr<mm::CaptureDevice> capture_ = std::make_shared<mm::CaptureDevice>("Lyric capture");
  uint32_t deviceId_ = 0;
};

TEST_F(LyricPlayback, TextKarShowsTheCurrentAndNextLine) {
  // A CR at the end and an LF at the start of the next lyric are two breaks:
  // an empty line between "little" and "star". The breaks never show as
  // syllables of their own.
  Load(LyricEventSong({"Twin", "kle\r\n", "lit", "tle\r", "\nstar", "\rhow"}));
  PlayToTheEnd();
  EXPECT_EQ(player->get_Status(), kStatusStopped);
  EXPECT_EQ(Events("TextKar"),
            (Lines{R"(TextKar("Twin", 0, "Twinkle", "little"))", R"(TextKar("kle", 4, "Twinkle", "little"))",
                   R"(TextKar("lit", 0, "little", ""))", R"(TextKar("tle", 3, "little", ""))",
                   R"(TextKar("star", 0, "star", "how"))", R"(TextKar("how", 0, "how", ""))",
                   // Stopping at the end clears the lyrics.
                   R"(TextKar("", -1, "", ""))"}));
}

}  // namespace
}  // namespace sonara::testing
