// Pause and resume, start positions, a start mid-song, speed changes, and
// restarts while playing.
#include "FormProc.h"
#include "engine/PlaybackFixture.h"

namespace sonara::testing {
namespace {

// Quarter notes on channel 0 from tick 0: 96 ticks of 5208.33 us (500 ms).
Bytes Quarters(int count) {
  Bytes events;
  for (int i = 0; i < count; ++i) {
    events = events + Ev(i == 0 ? 0 : 0, {0x90, static_cast<uint8_t>(60 + i), 100}) +
             Ev(96, {0x80, static_cast<uint8_t>(60 + i), 0});
  }
  return Song(events);
}

TEST_F(PlaybackTest, PauseThenPlayResumesWhereThePauseHappened) {
  LoadSong(Quarters(6));
  player->PlayMidi();
  mm::clock::AdvanceTo(1'300'000);  // tick 249.6: inside the third note
  sink->lines.clear();
  player->Pause();
  EXPECT_EQ(player->get_Status(), kStatusPaused);
  EXPECT_EQ(modMidi.StartTick, 249);
  EXPECT_EQ(Events("Status"), Lines{R"(Status(2, "Paused"))"});
  EXPECT_TRUE(Events("Progress").empty());
  EXPECT_TRUE(Events("TextKar").empty()) << "the last lyric stays on the client's display";
  EXPECT_EQ(capture->Records().back().kind, mm::CaptureDevice::Kind::Reset) << "the sounding note is silenced";

  mm::clock::AdvanceTo(5'000'000);
  capture->Clear();
  player->PlayMidi();
  RunToEnd();
  // The next record (tick 288) comes after the rest of the gap: 39 ticks.
  EXPECT_EQ(Since(SongMessages(), 5'000'000),
            (Timed{{203125, 0x3E80}, {203125, 0x643F90}, {703125, 0x3F80}, {703125, 0x644090}, {1203125, 0x4080},
                   {1203125, 0x644190}, {1703125, 0x4180}}));
}

// Where a start begins, and what the position reads while it plays.
struct StartCase {
  const char* name;
  int32_t setTo;
  int32_t startTick;       // StartTick after the put
  uint32_t firstMessage;   // the first song message played, at once or after the gap
  int64_t firstAfter;      // microseconds after the start
  int32_t positionAt1s;    // GetCurrentPosition one second after the start
};

class StartPosition : public PlaybackTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartPosition, PlaysFromTheFirstRecordAtOrAfterIt) {
  const auto& c = GetParam();
  LoadSong(Quarters(4));  // SongTicks 384
  player->put_SetCurrentPosition(c.setTo);
  EXPECT_EQ(modMidi.StartTick, c.startTick);
  player->PlayMidi();
  mm::clock::AdvanceTo(1'000'000);
  EXPECT_EQ(player->get_GetCurrentPosition(), c.positionAt1s);
  RunToEnd();
  ASSERT_FALSE(SongMessages().empty());
  EXPECT_EQ(SongMessages().front(), (std::pair<int64_t, uint32_t>{c.firstAfter, c.firstMessage}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartPosition,
    ::testing::Values(StartCase{"Beginning", 0, 0, 0x643C90, 0, 192},
                      // between two records: the rest of the gap, 96 - 50 ticks
                      StartCase{"BetweenRecords", 50, 50, 0x3C80, 239584, 242},
                      // no lower bound, but the song starts with its first record at once
                      StartCase{"Negative", -5, -5, 0x643C90, 0, 192},
                      // held to the song's length: the last record alone
                      StartCase{"PastTheEnd", 10000, 384, 0x3F80, 0, 384}),
    [](const auto& info) { return std::string(info.param.name); });

// A start position past every record (a position read after the song's last
// record) plays the song from its beginning.
TEST_F(PlaybackTest, StartPastTheLastRecordPlaysFromTheBeginning) {
  LoadSong(Quarters(2));
  modMidi.StartTick = modMidi.SongTicks + 50;
  EXPECT_EQ(player->FindEventAtTick(modMidi.StartTick), 0);
  PlayToEnd();
  EXPECT_EQ(SongMessages().front(), (std::pair<int64_t, uint32_t>{0, 0x643C90}));
}

// A start mid-song sends what playing from the beginning would have left on
// each channel, then plays on; notes are not struck again.
TEST_F(PlaybackTest, StartMidSongRestoresEachChannelsState) {
  LoadSong(Song(Ev(0, {0xB0, 0, 1}) + Ev(0, {0xC0, 5}) + Ev(0, {0xB0, 7, 100}) + Ev(0, {0xB0, 7, 110}) +
                // pitch-bend range 12 through RPN 0/0, then the null parameter
                Ev(0, {0xB0, 101, 0}) + Ev(0, {0xB0, 100, 0}) + Ev(0, {0xB0, 6, 12}) + Ev(0, {0xB0, 101, 127}) +
                Ev(0, {0xB0, 100, 127}) + Ev(0, {0x90, 60, 100}) + Ev(10, {0xE0, 0x10, 0x50}) +
                Ev(10, {0xD0, 33}) + Ev(0, {0x91, 70, 100}) + Ev(76, {0x80, 60, 0}) + Ev(96, {0x90, 62, 100}) +
                Ev(96, {0x80, 62, 0}) + Ev(0, {0x81, 70, 0})));
  player->put_SetCurrentPosition(150);
  PlayToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x0100B0}, {0, 0x05C0}, {0, 0x6E07B0}, {0, 0x0065B0}, {0, 0x0064B0},
                            {0, 0x0C06B0}, {0, 0x7F65B0}, {0, 0x7F64B0}, {0, 0x21D0}, {0, 0x5010E0},
                            // channel 1 had only a note: nothing to restore, and no note is struck again;
                            // the next record (tick 192) comes after the rest of its gap, 42 ticks
                            {218750, 0x643E90}, {718750, 0x3E80}, {718750, 0x4681}}));
}

// The speed applies from the moment it is set, and a tempo record that is
// already queued plays at the new speed too.
TEST_F(PlaybackTest, VelocityScalesTheTempoInForceFromThatMoment) {
  // 5000 us a tick, then from tick 96 a tempo of 2500 us a tick.
  LoadSong(Song(TempoEv(0, 480000) + Ev(0, {0x90, 60, 100}) + Ev(96, {0x80, 60, 0}) + TempoEv(0, 240000) +
                Ev(0, {0x90, 62, 100}) + Ev(96, {0x80, 62, 0}) + Ev(96, {0x90, 64, 100}) + Ev(96, {0x80, 64, 0})));
  player->PlayMidi();
  mm::clock::AdvanceTo(100'000);  // tick 20; the group of tick 96, with its tempo record, is queued
  player->put_Velocity(10);       // half speed: 10000 us a tick
  mm::clock::AdvanceTo(1'400'000);
  player->put_Velocity(0);  // at tick 204, in the song's second tempo
  RunToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x643C90},
                                   {860000, 0x3C80}, {860000, 0x643E90},  // 20 + 76 ticks of 10000 us
                                   {1340000, 0x3E80},                     // 96 ticks of 5000 us
                                   {1610000, 0x644090},                   // 84 ticks of 2500 us
                                   {1850000, 0x4080}}));
}

TEST_F(PlaybackTest, PlayWhilePlayingRestartsAtTheStartOfTheRun) {
  LoadSong(Quarters(3));
  player->put_SetCurrentPosition(96);
  player->PlayMidi();
  mm::clock::AdvanceTo(700'000);
  sink->lines.clear();
  capture->Clear();
  player->PlayMidi();
  EXPECT_EQ(Events("Status"), Lines{R"(Status(1, "Playing"))"}) << "no Stopped in between";
  RunToEnd();
  EXPECT_EQ(Since(SongMessages(), 700'000),
            (Timed{{0, 0x3C80}, {0, 0x643D90}, {500000, 0x3D80}, {500000, 0x643E90}, {1000000, 0x3E80}}));
}

// Stop and play in one client call, with no message dispatched between:
// the notification of the closed stream's buffer must not touch the new one.
TEST_F(PlaybackTest, StaleNotificationOfAClosedStreamIsIgnored) {
  LoadSong(Quarters(3));
  player->PlayMidi();
  mm::clock::AdvanceTo(1);  // the second group is queued
  player->StopMidi();       // its buffer comes back with a notification still to be dispatched
  capture->Clear();
  player->PlayMidi();
  RunToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{1, 0x643C90}, {500001, 0x3C80}, {500001, 0x643D90}, {1000001, 0x3D80},
                                   {1000001, 0x643E90}, {1500001, 0x3E80}}));
  EXPECT_TRUE(boxes.empty());
}

// A start at the last record: its one group plays and the song ends; the
// stream is never restarted once closed.
TEST_F(PlaybackTest, StartAtTheLastRecordPlaysItAndStops) {
  LoadSong(Quarters(2));
  player->put_SetCurrentPosition(modMidi.SongTicks);
  PlayToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x3D80}}));
  EXPECT_TRUE(boxes.empty());
  EXPECT_EQ(player->get_Status(), kStatusStopped);
}

}  // namespace
}  // namespace sonara::testing
