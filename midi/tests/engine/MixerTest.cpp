// Channel settings, program changes, the device list and the device's
// volume, as the device receives them.
#include <cstring>

#include "engine/PlaybackFixture.h"
#include "platform/mmsystem.h"

namespace sonara::testing {
namespace {

const Bytes kLongNote = Song(Ev(0, {0x90, 60, 100}) + Ev(960, {0x80, 60, 0}));

// Each put stores its value and sends its controllers at once, during
// playback as before it; none raises an event.
struct PutCase {
  const char* name;
  void (clsMidi::*put)(int16_t, int16_t);
  int16_t (clsMidi::*get)(int16_t);
  int16_t channel;
  int16_t value;
  std::vector<uint32_t> sent;
};

class ChannelPut : public PlaybackTest, public ::testing::WithParamInterface<PutCase> {};

TEST_P(ChannelPut, StoresAndSends) {
  const auto& c = GetParam();
  LoadSong(kLongNote);
  player->PlayMidi();
  mm::clock::AdvanceTo(1000);
  capture->Clear();
  sink->lines.clear();
  ((*player).*c.put)(c.channel, c.value);
  EXPECT_EQ(capture->Messages(), c.sent);
  EXPECT_EQ(((*player).*c.get)(c.channel), c.value);
  EXPECT_TRUE(sink->lines.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Puts, ChannelPut,
    ::testing::Values(
        PutCase{"Volume", &clsMidi::put_Volume, &clsMidi::get_Volume, 3, 100, {0x6407B3}},
        PutCase{"Balance", &clsMidi::put_Balance, &clsMidi::get_Balance, 15, 0, {0x08BF}},
        // reverb to full so that the effect is heard; only the phaser also sets effect control 1
        PutCase{"Phaser", &clsMidi::put_Phaser, &clsMidi::get_Phaser, 0, 64, {0x7F5BB0, 0x7F0CB0, 0x405FB0}},
        PutCase{"Tremolo", &clsMidi::put_Tremulo, &clsMidi::get_Tremulo, 1, 10, {0x7F5BB1, 0x0A5CB1}},
        PutCase{"Celeste", &clsMidi::put_Celeste, &clsMidi::get_Celeste, 2, 20, {0x7F5BB2, 0x145EB2}},
        PutCase{"Chorus", &clsMidi::put_Chorus, &clsMidi::get_Chorus, 9, 30, {0x7F5BB9, 0x1E5DB9}},
        // out of the data range: stored as given, sent as the nearest data byte
        PutCase{"VolumeAboveRange", &clsMidi::put_Volume, &clsMidi::get_Volume, 4, 300, {0x7F07B4}},
        PutCase{"BalanceBelowRange", &clsMidi::put_Balance, &clsMidi::get_Balance, 4, -3, {0x08B4}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackTest, ChannelOutsideTheSixteenIsRefusedAndChangesNothing) {
  LoadSong(kLongNote);
  player->PlayMidi();
  capture->Clear();
  for (int16_t ch : {-1, 16}) {
    EXPECT_THROW(player->put_Volume(ch, 10), AutomationError);
    EXPECT_THROW(player->put_MuteChannel(ch, kFalse), AutomationError);
    EXPECT_THROW(player->put_Instrument(ch, "3"), AutomationError);
  }
  EXPECT_THROW(player->ChangePatch(1, 16), AutomationError);
  EXPECT_TRUE(capture->Messages().empty());
}

TEST_F(PlaybackTest, MutingSendsNothingAndUnmutingResetsTheControllers) {
  LoadSong(kLongNote);
  player->PlayMidi();
  capture->Clear();
  player->put_MuteChannel(5, kTrue);
  EXPECT_TRUE(capture->Messages().empty());
  EXPECT_EQ(player->get_MuteChannel(5), kTrue);
  player->put_MuteChannel(5, kFalse);
  EXPECT_EQ(capture->Messages(), std::vector<uint32_t>{0x79B5});
}

TEST_F(PlaybackTest, InstrumentIsStoredAndReachesTheDeviceAtTheNextStart) {
  LoadSong(kLongNote);
  player->put_Instrument(1, "25");
  EXPECT_EQ(player->get_Instrument(1), "25");
  EXPECT_TRUE(capture->Messages().empty());
  try {
    player->put_Instrument(1, "harp");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kTypeMismatch);
  }
  try {
    player->put_Instrument(1, "40000");
    FAIL();
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kOverflow);
  }
  EXPECT_EQ(player->get_Instrument(1), "25");
  player->PlayMidi();
  const auto setup = capture->Messages();
  EXPECT_EQ(setup.at(5 + 1), 0x19C1u) << "channel 1's program change among the setup messages";
}

TEST_F(PlaybackTest, ChangePatchNeedsAStreamOpenedOnce) {
  LoadSong(kLongNote);
  player->ChangePatch(40, 2);  // no stream was ever opened
  EXPECT_TRUE(capture->Messages().empty());
  EXPECT_EQ(player->get_Instrument(2), "0");
  player->PlayMidi();
  capture->Clear();
  player->ChangePatch(40, 2);
  EXPECT_EQ(capture->Messages(), std::vector<uint32_t>{0x28C2});
  EXPECT_EQ(player->get_Instrument(2), "40");
  player->StopMidi();
  player->ChangePatch(41, 2);  // refused by the closed stream, but kept for the next start
  EXPECT_EQ(player->get_Instrument(2), "41");
}

TEST_F(PlaybackTest, MasterVolumeRoundTripOnThePlayingDevice) {
  LoadSong(kLongNote);
  player->PlayMidi();
  player->put_MasterVolume(3);
  EXPECT_EQ(player->get_MasterVolume(), 3);
  EXPECT_EQ(capture->Records().back(), (mm::CaptureDevice::Record{0, mm::CaptureDevice::Kind::Volume, 0x4CD04CD0}));
  player->StopMidi();
  EXPECT_EQ(player->get_MasterVolume(), -1) << "the closed stream's handle is refused";
}

TEST_F(PlaybackTest, ListDevicesNamesEveryDeviceInOrder) {
  int16_t nDevs = -7;
  auto devices = player->ListDevices(nDevs);
  ASSERT_EQ(nDevs, static_cast<int16_t>(mm::midiOutGetNumDevs()));
  ASSERT_EQ(devices->Count(), nDevs);
  for (const auto& name : *devices) EXPECT_EQ(name.size(), 32u);
  std::string expected = "Capture for playback";
  expected.resize(32, '\0');
  EXPECT_EQ(devices->Item(static_cast<int32_t>(deviceId) + 1), expected);

  mm::UnregisterDevice(capture);
  int16_t fewer = 0;
  EXPECT_EQ(player->ListDevices(fewer)->Count(), nDevs - 1);
  EXPECT_EQ(fewer, nDevs - 1);
  mm::RegisterDevice(capture);
}

TEST_F(PlaybackTest, DeviceThatDoesNotExistShowsTheErrorAndChangesNothing) {
  LoadSong(kLongNote);
  player->put_SetDevice(static_cast<int16_t>(mm::midiOutGetNumDevs() + 3));
  player->PlayMidi();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "There is no MIDI output device with that number.|Midi|16");
  EXPECT_EQ(player->get_Status(), kStatusFileOpen);
  EXPECT_TRUE(sink->lines.empty());
  EXPECT_FALSE(modMidi.CallbackForm->Timer1.get_Enabled());
}

}  // namespace
}  // namespace sonara::testing
