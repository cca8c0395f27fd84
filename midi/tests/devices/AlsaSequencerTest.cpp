// Sequencer ports: the list without a sequencer, and the events messages
// become.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "platform/devices/alsa_seq_device.h"
#include "platform/devices/alsa_seq_event.h"
#include "platform/devices/registry.h"
#include "platform/devices/synth_device.h"
#include "platform/mmsystem.h"

namespace devices_test {
namespace {

bool SequencerPresent() {
  struct stat st;
  return stat("/dev/snd/seq", &st) == 0;
}

// Without /dev/snd/seq the list has no sequencer ports and listing them
// neither fails nor prints anything.
TEST(AlsaSequencer, AbsentSequencerAddsNothing) {
  if (SequencerPresent()) GTEST_SKIP() << "this machine has an ALSA sequencer";
  EXPECT_FALSE(mm::AlsaSequencerAvailable());
  testing::internal::CaptureStderr();
  testing::internal::CaptureStdout();
  const uint32_t count = mm::midiOutGetNumDevs();
  const auto direct = mm::AlsaSequencerDevices();  // even when asked directly
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(direct.empty());
  EXPECT_EQ(count, mm::SynthAvailable() ? 1u : 0u);
}

// Where a sequencer exists, every port listed has a name that fits the
// capabilities record and refuses the volume calls.
TEST(AlsaSequencer, PortsHaveShortNamesAndNoVolume) {
  if (!SequencerPresent()) GTEST_SKIP() << "no ALSA sequencer on this machine";
  for (const auto& port : mm::AlsaSequencerDevices()) {
    EXPECT_LE(port->Name().size(), 31u);
    EXPECT_FALSE(port->HasVolume());
    uint32_t v = 0;
    EXPECT_EQ(port->GetVolume(v), mm::MMSYSERR_NOTSUPPORTED);
    EXPECT_EQ(port->SetVolume(0x80008000), mm::MMSYSERR_NOTSUPPORTED);
  }
}

struct EventCase {
  const char* what;
  uint32_t message;
  snd_seq_event_type_t type;
  int channel;
  int param;  // note or controller
  int value;  // velocity, controller value, program, pressure or bend
};

// Each channel message becomes the event of its kind with its data; pitch
// bend is centred on 0.
TEST(AlsaSequencer, MessagesBecomeEvents) {
  const EventCase cases[] = {
      {"note on", 0x7F3C93, SND_SEQ_EVENT_NOTEON, 3, 60, 127},
      {"note off", 0x40458A, SND_SEQ_EVENT_NOTEOFF, 10, 69, 64},
      {"key pressure", 0x2040A0, SND_SEQ_EVENT_KEYPRESS, 0, 64, 32},
      {"controller", 0x5007BF, SND_SEQ_EVENT_CONTROLLER, 15, 7, 80},
      {"program", 0x0013C1, SND_SEQ_EVENT_PGMCHANGE, 1, 0, 19},
      {"channel pressure", 0x0055D2, SND_SEQ_EVENT_CHANPRESS, 2, 0, 85},
      {"bend centre", 0x4000E0, SND_SEQ_EVENT_PITCHBEND, 0, 0, 0},
      {"bend lowest", 0x0000E4, SND_SEQ_EVENT_PITCHBEND, 4, 0, -8192},
      {"bend highest", 0x7F7FE4, SND_SEQ_EVENT_PITCHBEND, 4, 0, 8191},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    snd_seq_event_t ev;
    ASSERT_TRUE(mm::ToSequencerEvent(c.message, ev));
    EXPECT_EQ(ev.type, c.type);
    if (c.type == SND_SEQ_EVENT_NOTEON || c.type == SND_SEQ_EVENT_NOTEOFF || c.type == SND_SEQ_EVENT_KEYPRESS) {
      EXPECT_EQ(ev.data.note.channel, c.channel);
      EXPECT_EQ(ev.data.note.note, c.param);
      EXPECT_EQ(ev.data.note.velocity, c.value);
    } else {
      EXPECT_EQ(ev.data.control.channel, c.channel);
      if (c.type == SND_SEQ_EVENT_CONTROLLER) {
        EXPECT_EQ(static_cast<int>(ev.data.control.param), c.param);
      }
      EXPECT_EQ(ev.data.control.value, c.value);
    }
  }
}

// System messages and data without a status byte are not sent.
TEST(AlsaSequencer, NonChannelMessagesAreDropped) {
  for (uint32_t message : {0xF8u, 0xFFu, 0xF0u, 0x3C7Fu, 0u}) {
    snd_seq_event_t ev;
    EXPECT_FALSE(mm::ToSequencerEvent(message, ev)) << std::hex << message;
  }
}

}  // namespace
}  // namespace devices_test
