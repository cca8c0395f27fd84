#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "clsMidi.h"
#include "support/RecordingSink.h"

namespace sonara {
namespace {

using testing::RecordingSink;

class ClassTest : public ::testing::Test {
 protected:
  void SetUp() override { ResetPlayerStore(); }
  void TearDown() override { ResetPlayerStore(); }
};

TEST_F(ClassTest, NewObjectIsActiveWithStatusSixAndItsCreationEventReachesNobody) {
  auto midi = clsMidi::Create();
  auto sink = std::make_shared<RecordingSink>();
  midi->Advise(sink);

  EXPECT_EQ(midi->get_Status(), kStatusFileNotOpen);
  EXPECT_EQ(modMidi.ActivePlayer, midi);
  EXPECT_TRUE(sink->lines.empty());
}

TEST_F(ClassTest, ActivePlayerKeepsTheNewestObjectAliveUntilTheNextIsCreated) {
  std::weak_ptr<clsMidi> first;
  {
    auto a = clsMidi::Create();
    first = a;
  }  // the client's last reference is gone
  EXPECT_FALSE(first.expired()) << "the newest object must live on as ActivePlayer";

  modMidi.PlayerStatus = kStatusPlaying;  // as if the first object were playing
  auto b = clsMidi::Create();
  EXPECT_TRUE(first.expired()) << "creating a new object releases the previous one";
  EXPECT_EQ(b->get_Status(), kStatusFileNotOpen);
  EXPECT_EQ(modMidi.ActivePlayer, b);
}

TEST_F(ClassTest, ModuleEventsGoThroughTheNewestObjectMemberEventsThroughTheCalledOne) {
  auto a = clsMidi::Create();
  auto sinkA = std::make_shared<RecordingSink>();
  a->Advise(sinkA);
  auto b = clsMidi::Create();
  auto sinkB = std::make_shared<RecordingSink>();
  b->Advise(sinkB);

  // An object the client still holds is not released by the next creation.
  EXPECT_EQ(a.use_count(), 1);
  a->RaiseStatus(kStatusPlaying, StatusText(kStatusPlaying));       // a member called on the first object
  modMidi.ActivePlayer->RaiseProgress(480, "00:00:01");             // module code

  EXPECT_EQ(sinkA->lines, (std::vector<std::string>{R"(Status(1, "Playing"))"}));
  EXPECT_EQ(sinkB->lines, (std::vector<std::string>{R"(Progress(480, "00:00:01"))"}));
}

TEST_F(ClassTest, StatusCodesHaveTheirTextsAndFourIsUnused) {
  const std::pair<int16_t, const char*> cases[] = {
      {0, "Stopped"}, {1, "Playing"}, {2, "Paused"}, {3, "Invalid File"},
      {4, ""},  // not a status
      {5, "File Open"}, {6, "File not Open"},
  };
  for (const auto& [code, text] : cases) EXPECT_EQ(StatusText(code), text) << code;
}

TEST_F(ClassTest, EveryStoredValuePropertyReadsItsValueAtLoad) {
  auto midi = clsMidi::Create();
  for (int16_t ch = 0; ch < 16; ++ch) {
    SCOPED_TRACE(ch);
    EXPECT_EQ(midi->get_Volume(ch), 0);
    EXPECT_EQ(midi->get_Balance(ch), 0);
    EXPECT_EQ(midi->get_Phaser(ch), 0);
    EXPECT_EQ(midi->get_Tremulo(ch), 0);
    EXPECT_EQ(midi->get_Celeste(ch), 0);
    EXPECT_EQ(midi->get_Chorus(ch), 0);
    EXPECT_EQ(midi->get_MuteChannel(ch), kFalse);
    EXPECT_EQ(midi->get_ValidChannel(ch), kFalse);
    EXPECT_EQ(midi->get_Instrument(ch), "0");
  }
  for (int16_t i = 0; i < 3; ++i) EXPECT_EQ(midi->get_Titles(i), "");
  EXPECT_EQ(midi->get_LyricText(), "");
  EXPECT_EQ(midi->get_Transpose(), 0);
  EXPECT_EQ(midi->get_Velocity(), 0);
  EXPECT_EQ(midi->get_TimeLength(), 0);
  EXPECT_FALSE(modMidi.Timeline.Created());
  EXPECT_FALSE(modMidi.TrackChunks.Created());
  EXPECT_FALSE(modMidi.LyricSyllables.Created());
  EXPECT_EQ(modMidi.DeviceCaps.szPname, std::string(32, '\0'));
}

TEST_F(ClassTest, IndexesOutsideTheStoreAreSubscriptErrors) {
  auto midi = clsMidi::Create();
  modMidi.ChannelVolume[15] = 77;
  using Get = std::function<void(clsMidi&)>;
  const std::pair<const char*, Get> cases[] = {
      {"Volume(16)", [](clsMidi& m) { m.get_Volume(16); }},       // one past the last channel
      {"Volume(-1)", [](clsMidi& m) { m.get_Volume(-1); }},       // negative channel
      {"Balance(32767)", [](clsMidi& m) { m.get_Balance(32767); }},
      {"MuteChannel(16)", [](clsMidi& m) { m.get_MuteChannel(16); }},
      {"ValidChannel(-32768)", [](clsMidi& m) { m.get_ValidChannel(-32768); }},
      {"Instrument(16)", [](clsMidi& m) { m.get_Instrument(16); }},
      {"Chorus(99)", [](clsMidi& m) { m.get_Chorus(99); }},
      {"Titles(3)", [](clsMidi& m) { m.get_Titles(3); }},         // three titles: 0..2
      {"Titles(-1)", [](clsMidi& m) { m.get_Titles(-1); }},
  };
  for (const auto& [name, call] : cases) {
    try {
      call(*midi);
      ADD_FAILURE() << name << " did not fail";
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.Number(), kSubscriptOutOfRange) << name;
      EXPECT_STREQ(e.what(), "Subscript out of range") << name;
    }
  }
  EXPECT_EQ(midi->get_Volume(15), 77);
}

TEST_F(ClassTest, SinksConnectAndDisconnectEvenFromInsideAHandler) {
  auto midi = clsMidi::Create();
  struct SelfRemoving : RecordingSink {
    clsMidi* owner = nullptr;
    uint32_t cookie = 0;
    void TransposeChange(int16_t v) override {
      RecordingSink::TransposeChange(v);
      owner->Unadvise(cookie);
    }
  };
  auto once = std::make_shared<SelfRemoving>();
  once->owner = midi.get();
  once->cookie = midi->Advise(once);
  auto always = std::make_shared<RecordingSink>();
  midi->Advise(always);

  midi->RaiseTransposeChange(2);
  midi->RaiseTransposeChange(3);

  EXPECT_EQ(once->lines, (std::vector<std::string>{"TransposeChange(2)"}));
  EXPECT_EQ(always->lines, (std::vector<std::string>{"TransposeChange(2)", "TransposeChange(3)"}));
  EXPECT_THROW(midi->Unadvise(once->cookie), AutomationError);  // already gone
  EXPECT_THROW(midi->Advise(nullptr), AutomationError);
}

TEST_F(ClassTest, SetDeviceIsStoredWithItsSign) {
  auto midi = clsMidi::Create();
  midi->put_SetDevice(-1);
  EXPECT_EQ(modMidi.DeviceId, -1);
  midi->put_SetDevice(3);
  EXPECT_EQ(modMidi.DeviceId, 3);
}

}  // namespace
}  // namespace sonara

namespace sonara {
namespace {

TEST(ShortMessageTest, PacksStatusAndDataBytes) {
  struct Case {
    int32_t status, data1, data2, packed;
  };
  const Case cases[] = {
      {0xC2, 40, 0, 0x28C2},             // program change, channel index 2, program 40
      {0xB0, 7, 100, 0x07B0 + 100 * 65536},  // controller 7 = 100 on channel index 0
      {0x99, 36, 127, 0x7F2499},         // note-on on the percussion channel
      {0x80, 64, 0, 0x4080},             // note-off with velocity 0
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PackShortMessage(c.status, c.data1, c.data2), c.packed);
    EXPECT_EQ(MessageStatus(c.packed), c.status);
    EXPECT_EQ(MessageData1(c.packed), c.data1);
    EXPECT_EQ(MessageData2(c.packed), c.data2);
    EXPECT_EQ(MessageKind(c.packed) | MessageChannel(c.packed), c.status);
  }
}

TEST(DynArrayTest, UncreatedArraysAndOutOfBoundIndexesAreSubscriptErrors) {
  DynArray<int32_t> a;
  EXPECT_THROW(a.UBound(), AutomationError);
  EXPECT_THROW(a[0], AutomationError);
  a.Create(1, 3);
  a[3] = 7;
  EXPECT_EQ(a.LBound(), 1);
  EXPECT_EQ(a.UBound(), 3);
  EXPECT_THROW(a[0], AutomationError);
  EXPECT_THROW(a[4], AutomationError);
  a.Preserve(5);
  EXPECT_EQ(a[3], 7) << "growing keeps the contents";
  a.Append(9);
  EXPECT_EQ(a.UBound(), 6);
  a.Create(0, 0);
  EXPECT_EQ(a[0], 0) << "re-creating discards the contents";
}

}  // namespace
}  // namespace sonara
