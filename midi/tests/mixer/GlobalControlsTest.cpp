// Master volume, transposition and speed: values, events and errors.
#include <gtest/gtest.h>

#include <memory>

#include "clsMidi.h"
#include "support/RecordingSink.h"

namespace sonara {
namespace {

using testing::RecordingSink;

class GlobalControls : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetPlayerStore();
    player = clsMidi::Create();
    sink = std::make_shared<RecordingSink>();
    player->Advise(sink);
  }
  void TearDown() override {
    player.reset();
    ResetPlayerStore();
  }

  static int32_t ErrorOf(const std::function<void()>& call) {
    try {
      call();
    } catch (const AutomationError& e) {
      return e.Number();
    }
    return 0;
  }

  std::shared_ptr<clsMidi> player;
  std::shared_ptr<RecordingSink> sink;
};

TEST_F(GlobalControls, MasterVolumeOutsideItsStepsOverflows) {
  // Eleven steps, 0 to 10; anything else does not fit the volume word.
  for (const int32_t v : {11, -1, 0x7FFFFFFF, static_cast<int32_t>(0x80000000)}) {
    EXPECT_EQ(ErrorOf([&] { player->put_MasterVolume(v); }), kOverflow) << v;
  }
  EXPECT_TRUE(sink->lines.empty());
}

TEST_F(GlobalControls, TransposeIsStoredAndAnnounced) {
  player->put_Transpose(2);
  EXPECT_EQ(player->get_Transpose(), 2);
  player->put_Transpose(-12);
  EXPECT_EQ(player->get_Transpose(), -12);
  EXPECT_EQ(sink->lines, (std::vector<std::string>{"TransposeChange(2)", "TransposeChange(-12)"}));
}

TEST_F(GlobalControls, VelocityIsStoredAndAnnouncedBeforeItsTempoOverflows) {
  // A tempo base so large that the scaled tempo leaves the 32-bit range.
  modMidi.Division = 1;
  modMidi.TempoInForce = 0xFFFFFF;
  EXPECT_EQ(ErrorOf([&] { player->put_Velocity(32767); }), kOverflow);
  EXPECT_EQ(player->get_Velocity(), 32767);
  EXPECT_EQ(sink->lines, (std::vector<std::string>{"VelocityChange(32767)"}));
  // Without a song there is no tempo to scale: nothing fails.
  ResetPlayerStore();
  EXPECT_EQ(ErrorOf([&] { player->put_Velocity(-5); }), 0);
  EXPECT_EQ(player->get_Velocity(), -5);
}

}  // namespace
}  // namespace sonara
