// The capture device and the device list.
#include <thread>
#include <vector>

#include "StreamSupport.h"

namespace {

using namespace platform_test;
using Record = mm::CaptureDevice::Record;
using Kind = mm::CaptureDevice::Kind;

// Handed to a function instead of stored: every record reaches the
// function, with its time on the shared clock, and none is kept.
TEST(PlatformCapture, SinkInsteadOfRecords) {
  mm::clock::VirtualClockGuard clock(500);
  mm::CaptureDevice device;
  std::vector<Record> seen;
  device.SetSink([&](const Record& r) { seen.push_back(r); }, false);
  device.SendShortMessage(0x90);
  device.Reset();
  device.SetVolume(0x12345678);
  EXPECT_EQ(seen, (std::vector<Record>{{500, Kind::ShortMessage, 0x90}, {500, Kind::Reset, 0},
                                       {500, Kind::Volume, 0x12345678}}));
  EXPECT_TRUE(device.Records().empty());
  uint32_t v = 0;
  device.GetVolume(v);
  EXPECT_EQ(v, 0x12345678u);
}

// Messages sent on one stream from several threads at once all arrive
// (run under the thread checker too).
TEST(PlatformCapture, ShortMessagesFromManyThreads) {
  StreamEnv env;
  auto h = env.Open();
  std::vector<std::thread> senders;
  for (int t = 0; t < 4; ++t) {
    senders.emplace_back([h] {
      for (int i = 0; i < 250; ++i) mm::midiOutShortMsg(h, 0x90);
    });
  }
  for (auto& s : senders) s.join();
  EXPECT_EQ(env.device->Messages().size(), 1000u);
  env.Close(h);
}

// Registered devices follow the built-in ones in order of registration;
// removing one moves the later ones down, and registering twice adds
// nothing.
TEST(PlatformRegistry, RegisteredDevicesInOrder) {
  uint32_t builtIn = mm::midiOutGetNumDevs();
  auto a = std::make_shared<mm::CaptureDevice>("A");
  auto b = std::make_shared<mm::CaptureDevice>("B");
  EXPECT_EQ(mm::RegisterDevice(a), builtIn);
  EXPECT_EQ(mm::RegisterDevice(b), builtIn + 1);
  EXPECT_EQ(mm::RegisterDevice(a), builtIn);
  EXPECT_TRUE(mm::UnregisterDevice(a));
  EXPECT_EQ(mm::DeviceAt(builtIn), b);
  EXPECT_FALSE(mm::UnregisterDevice(a));
  EXPECT_TRUE(mm::UnregisterDevice(b));
  EXPECT_EQ(mm::midiOutGetNumDevs(), builtIn);
}

// A stream keeps playing on a device taken off the list after it opened.
TEST(PlatformRegistry, OpenStreamOutlivesUnregister) {
  StreamEnv env;
  auto h = env.Open();
  mm::UnregisterDevice(env.device);
  EXPECT_EQ(mm::midiOutShortMsg(h, 0x91), mm::MMSYSERR_NOERROR);
  EXPECT_EQ(env.device->Messages(), std::vector<uint32_t>{0x91});
  env.Close(h);
  EXPECT_EQ(env.device->OpenCount(), 0);
}

}  // namespace
