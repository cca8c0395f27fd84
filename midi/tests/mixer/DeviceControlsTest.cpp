// Master volume, transposition and speed as a capture device receives them.
#include <gtest/gtest.h>

#include <memory>

#include "clsMidi.h"
#include "loader/SongBytes.h"
#include "platform/clock.h"
#include "platform/devices/capture_device.h"
#include "platform/devices/registry.h"

namespace sonara {
namespace {

using mm::CaptureDevice;

class DeviceControls : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlayerStore();
    player = clsMidi::Create();
    sink = std::make_shared<testing::RecordingSink>();
    player->Advise(sink);
    uint32_t id = mm::RegisterDevice(capture);
    ASSERT_EQ(mm::midiStreamOpen(&handle, &id, 1, 0, 0, 0), mm::MMSYSERR_NOERROR);
    modMidi.StreamHandle = handle;
  }
  void TearDown() override {
    mm::midiStreamClose(handle);
    modMidi.StreamHandle = 0;
    mm::UnregisterDevice(capture);
    player.reset();
    ResetPlayerStore();
  }

  // The volume words the device was given.
  std::vector<uint32_t> Volumes() const {
    std::vector<uint32_t> out;
    for (const auto& r : capture->Records()) {
      if (r.kind == CaptureDevice::Kind::Volume) out.push_back(r.value);
    }
    return out;
  }

  uint32_t StreamTempo() const {
    mm::MIDIPROPTEMPO tempo{sizeof(mm::MIDIPROPTEMPO), 0};
    mm::midiStreamProperty(handle, reinterpret_cast<uint8_t*>(&tempo), mm::MIDIPROP_GET | mm::MIDIPROP_TEMPO);
    return tempo.dwTempo;
  }

  mm::clock::VirtualClockGuard clock_;  // the stream runs only when the test moves time
  std::shared_ptr<CaptureDevice> capture = std::make_shared<CaptureDevice>("Capture for controls");
  mm::HMIDISTRM handle = 0;
  std::shared_ptr<clsMidi> player;
  std::shared_ptr<testing::RecordingSink> sink;
};

struct VolumeStep {
  int32_t step;
  uint32_t word;
};

class MasterVolumeSteps : public DeviceControls, public ::testing::WithParamInterface<VolumeStep> {};

TEST_P(MasterVolumeSteps, SetTheWordAndReadBack) {
  player->put_MasterVolume(GetParam().step);
  EXPECT_EQ(Volumes(), std::vector<uint32_t>{GetParam().word});
  EXPECT_EQ(player->get_MasterVolume(), GetParam().step);
  EXPECT_TRUE(sink->lines.empty());  // setting the volume raises no event
}

INSTANTIATE_TEST_SUITE_P(Steps, MasterVolumeSteps,
                         ::testing::Values(VolumeStep{0, 0x00000055},  // the digit 5 written twice
                                           VolumeStep{1, 0x199E199E}, VolumeStep{2, 0x33373337},
                                           VolumeStep{3, 0x4CD04CD0}, VolumeStep{4, 0x66696669},
                                           VolumeStep{5, 0x80028002}, VolumeStep{6, 0x999B999B},
                                           VolumeStep{7, 0xB334B334}, VolumeStep{8, 0xCCCDCCCD},
                                           VolumeStep{9, 0xE666E666}, VolumeStep{10, 0xFFFFFFFF}),
                         [](const auto& info) { return "Step" + std::to_string(info.param.step); });

TEST_F(DeviceControls, MasterVolumeReadsTheFirstFourDigitsOfTheWord) {
  // Set by another program: five digits, the first four spell 0x4000.
  mm::midiOutSetVolume(handle, 0x00040004);
  EXPECT_EQ(player->get_MasterVolume(), 2);
  // A silent device reads below step 0.
  mm::midiOutSetVolume(handle, 0);
  EXPECT_EQ(player->get_MasterVolume(), -1);
}

TEST_F(DeviceControls, MasterVolumeOutOfRangeLeavesTheDeviceAlone) {
  capture->Clear();
  EXPECT_THROW(player->put_MasterVolume(11), AutomationError);
  EXPECT_THROW(player->put_MasterVolume(-1), AutomationError);
  EXPECT_TRUE(Volumes().empty());
  EXPECT_EQ(player->get_MasterVolume(), 10);  // the capture device starts at full volume
}

TEST_F(DeviceControls, ClosedStreamRefusesTheVolume) {
  mm::midiStreamClose(handle);
  capture->Clear();
  player->put_MasterVolume(3);
  EXPECT_TRUE(Volumes().empty());
  EXPECT_EQ(player->get_MasterVolume(), -1);
}

TEST_F(DeviceControls, TransposeSilencesEveryChannelFirst) {
  capture->Clear();
  player->put_Transpose(2);
  std::vector<uint32_t> expected;
  for (uint32_t ch = 0; ch < 16; ++ch) expected.push_back(0x78B0 + ch);
  EXPECT_EQ(capture->Messages(), expected);
  EXPECT_EQ(sink->lines, std::vector<std::string>{"TransposeChange(2)"});
  EXPECT_EQ(player->get_Transpose(), 2);
}

TEST_F(DeviceControls, VelocityScalesTheSongsTempo) {
  using namespace sonara::testing;
  // 500000 microseconds a quarter at 480 ticks a quarter: a stream tempo of 25000.
  player->OpenMidiData("song.mid", Header(1, 480) + Track(TempoEv(0, 500000) + Ev(0, {0x90, 60, 1})));
  ASSERT_DOUBLE_EQ(modMidi.StreamTempo, 25000.0);
  const struct {
    int16_t setting;
    uint32_t tempo;
  } cases[] = {{5, 37500}, {-5, 12500}, {0, 25000}, {10, 50000}};
  for (const auto& c : cases) {
    sink->lines.clear();
    player->put_Velocity(c.setting);
    EXPECT_EQ(StreamTempo(), c.tempo) << c.setting;
    EXPECT_EQ(sink->lines, std::vector<std::string>{"VelocityChange(" + std::to_string(c.setting) + ")"});
    EXPECT_EQ(player->get_Velocity(), c.setting);
  }
}

TEST_F(DeviceControls, OpeningASongAnnouncesTheDevicesVolume) {
  using namespace sonara::testing;
  player->put_MasterVolume(4);
  sink->lines.clear();
  player->OpenMidiData("song.mid", Header(1) + Track(Ev(0, {0x90, 60, 1})));
  ASSERT_FALSE(sink->lines.empty());
  EXPECT_EQ(sink->lines[0], "MasterVolumeChange(4)");
}

}  // namespace
}  // namespace sonara
