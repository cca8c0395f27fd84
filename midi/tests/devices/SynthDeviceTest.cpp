// The built-in synthesizer on the device list, its volume word and the
// reasons it gives when it cannot start.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "RenderSupport.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/synth_device.h"

namespace devices_test {
namespace {

mm::MIDIOUTCAPSA Caps(uint32_t id) {
  mm::MIDIOUTCAPSA caps{};
  EXPECT_EQ(mm::midiOutGetDevCapsA(id, &caps, sizeof(caps)), mm::MMSYSERR_NOERROR);
  return caps;
}

// Device 0 is the synthesizer, with volume control; the mapper is the same
// device; registered devices come after the built-in ones.
TEST(SynthDevice, FirstOnTheList) {
  ASSERT_TRUE(mm::SynthAvailable());
  ASSERT_GE(mm::midiOutGetNumDevs(), 1u);
  mm::MIDIOUTCAPSA synth = Caps(0);
  EXPECT_STREQ(synth.szPname, "Sonara Software Synthesizer");
  EXPECT_EQ(synth.wTechnology, mm::MOD_SWSYNTH);
  EXPECT_TRUE(synth.dwSupport & mm::MIDICAPS_VOLUME);
  EXPECT_STREQ(Caps(mm::MIDI_MAPPER).szPname, synth.szPname);

  const uint32_t builtIn = mm::midiOutGetNumDevs();
  auto renderer = std::make_shared<mm::FileRenderer>("/tmp/unused.wav");
  EXPECT_EQ(mm::RegisterDevice(renderer), builtIn);
  EXPECT_EQ(mm::midiOutGetNumDevs(), builtIn + 1);
  EXPECT_STREQ(Caps(builtIn).szPname, "WAV file renderer");
  EXPECT_EQ(Caps(builtIn).wTechnology, mm::MOD_SWSYNTH);
  EXPECT_STREQ(Caps(0).szPname, synth.szPname);
  mm::UnregisterDevice(renderer);
  EXPECT_EQ(mm::midiOutGetNumDevs(), builtIn);
}

// The volume word on handle 0 reaches the synthesizer without opening it:
// all levels full at first, then the word last set.
TEST(SynthDevice, VolumeWordOnHandleZero) {
  uint32_t v = 0;
  ASSERT_EQ(mm::midiOutGetVolume(0, &v), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(v, 0xFFFFFFFFu);
  for (uint32_t word : {0x4CD04CD0u, 0x00000055u, 0x1234ABCDu, 0xFFFFFFFFu}) {
    ASSERT_EQ(mm::midiOutSetVolume(0, word), mm::MMSYSERR_NOERROR);
    ASSERT_EQ(mm::midiOutGetVolume(0, &v), mm::MMSYSERR_NOERROR);
    EXPECT_EQ(v, word);
  }
}

// Opens device 0 (through the mapper, as the player does by default) and
// returns the result with its text; the time it took goes to `seconds`.
mm::MMRESULT OpenSynth(std::string& text, double& seconds) {
  auto start = std::chrono::steady_clock::now();
  mm::HMIDISTRM h = 0;
  uint32_t mapper = mm::MIDI_MAPPER;
  mm::MMRESULT r = mm::midiStreamOpen(&h, &mapper, 1, 0, 0, mm::CALLBACK_NULL);
  seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  text = ErrorText(r);
  if (r == mm::MMSYSERR_NOERROR) mm::midiStreamClose(h);
  return r;
}

// A soundfont that is not there fails the open at once and is named.
TEST(SynthDevice, MissingSoundFontIsNamed) {
  mm::SetSoundFont("/nonexistent/soundfonts/general.sf2");
  std::string text;
  double seconds = 0;
  EXPECT_EQ(OpenSynth(text, seconds), mm::MMSYSERR_NODRIVER);
  mm::SetSoundFont("");
  EXPECT_NE(text.find("/nonexistent/soundfonts/general.sf2"), std::string::npos) << text;
  EXPECT_NE(text.find("No such file"), std::string::npos) << text;
  EXPECT_LT(seconds, 5.0) << "hang guard";
}

// The default is the General MIDI soundfont of Debian's packages.
TEST(SynthDevice, DefaultSoundFont) {
  EXPECT_EQ(mm::SoundFont(), "/usr/share/sounds/sf2/default-GM.sf2");
  mm::SetSoundFont("/elsewhere/x.sf2");
  EXPECT_EQ(mm::SoundFont(), "/elsewhere/x.sf2");
  mm::SetSoundFont("");
  EXPECT_EQ(mm::SoundFont(), "/usr/share/sounds/sf2/default-GM.sf2");
}

// With no sound server and no sound card the open fails quickly and says
// that no audio output is available, with each driver's answer.
TEST(SynthDevice, NoAudioOutputIsReported) {
  setenv("PULSE_SERVER", "unix:/nonexistent/pulse/native", 1);
  std::string text;
  double seconds = 0;
  mm::MMRESULT r = OpenSynth(text, seconds);
  unsetenv("PULSE_SERVER");
  if (r == mm::MMSYSERR_NOERROR) GTEST_SKIP() << "this machine has a sound card";
  EXPECT_EQ(r, mm::MMSYSERR_NODRIVER);
  EXPECT_NE(text.find("no audio output is available"), std::string::npos) << text;
  EXPECT_NE(text.find("pulseaudio: "), std::string::npos) << text;
  EXPECT_NE(text.find("alsa: "), std::string::npos) << text;
  EXPECT_EQ(text.back(), '.') << "the text fits the player's buffer of 255: " << text;
  EXPECT_LT(seconds, 5.0) << "hang guard";
  std::cout << "open failed after " << seconds << " s: " << text << "\n";
}

}  // namespace
}  // namespace devices_test
