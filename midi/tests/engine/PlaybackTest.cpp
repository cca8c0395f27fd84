// Songs played from start to end: what reaches the device, when, and what
// the client is told.
#include <thread>

#include "FormProc.h"
#include "engine/PlaybackFixture.h"
#include "platform/window.h"

namespace sonara::testing {
namespace {

// 480000 us per quarter note at 96 ticks: 5000 us a tick.
const Bytes kTwoNotes = Song(TempoEv(0, 480000) + Ev(0, {0xC0, 5}) + Ev(0, {0x90, 60, 100}) +
                             Ev(48, {0x80, 60, 0}) + Ev(0, {0x90, 62, 100}) + Ev(48, {0x80, 62, 0}));

// The 80 setup messages of a song that uses channel 0 only, with program 5
// (a used channel keeps the balance 63 of the reset).
std::vector<uint32_t> SetupOfChannelZeroSong() {
  std::vector<uint32_t> out;
  for (uint32_t ch = 0; ch < 16; ++ch) {
    const bool used = ch == 0;
    out.push_back(0x79B0 + ch);
    out.push_back((used ? 5u : 0u) * 256 + 0xC0 + ch);
    out.push_back((used ? 90u : 0u) * 65536 + 0x07B0 + ch);
    out.push_back((used ? 63u : 64u) * 65536 + 0x08B0 + ch);
    out.push_back(0x4080 + ch);
  }
  return out;
}

TEST_F(PlaybackTest, SmallSongPlaysEveryRecordOnTimeThenStops) {
  LoadSong(kTwoNotes);
  PlayToEnd();

  Timed played = Played();
  ASSERT_EQ(played.size(), kSetupMessages + 5);
  std::vector<uint32_t> setup;
  for (size_t i = 0; i < kSetupMessages; ++i) {
    EXPECT_EQ(played[i].first, 0);
    setup.push_back(played[i].second);
  }
  EXPECT_EQ(setup, SetupOfChannelZeroSong());
  // The tempo record sends nothing; the lone last note-off still plays.
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x05C0}, {0, 0x643C90}, {240000, 0x3C80}, {240000, 0x643E90},
                                   {480000, 0x3E80}}));
  EXPECT_EQ(capture->Records().back().kind, mm::CaptureDevice::Kind::Reset);

  Lines expected{R"(Status(1, "Playing"))", "MasterVolumeChange(10)",
                 // each group is announced when the group before it has played
                 "MidiLevel(0, 100)", R"(NotesPlaying(0, 60, "C", 0, "", -1))",
                 R"(NotesPlaying(0, 60, "C", 0, "", 0))", "MidiLevel(0, 100)",
                 R"(NotesPlaying(0, 62, "D", 0, "", -1))", R"(NotesPlaying(0, 62, "D", 0, "", 0))"};
  for (const auto& line : StopEvents()) expected.push_back(line);
  EXPECT_EQ(sink->lines, expected);
  EXPECT_EQ(player->get_Status(), kStatusStopped);
  EXPECT_FALSE(modMidi.CallbackForm->Timer1.get_Enabled());
  EXPECT_EQ(mm::clock::NowMicros(), 480000) << "stops when the last record has played";
}

// Progress comes every second of playback with the song's clock, and none
// after the stop.
TEST_F(PlaybackTest, ProgressEverySecondUntilTheStop) {
  // 2.5 s: a quarter note of 500000 us is 96 ticks.
  LoadSong(Song(Ev(0, {0x90, 60, 100}) + Ev(480, {0x80, 60, 0})));
  player->PlayMidi();
  RunToEnd();
  mm::clock::AdvanceBy(5'000'000);
  EXPECT_EQ(Events("Progress"), (Lines{R"(Progress(192, "00:00:01"))", R"(Progress(384, "00:00:02"))",
                                       R"(Progress(0, "00:00:00"))"}));
}

// The song's tempo changes play as tempo changes: the second half at the new
// tempo, from the start and from a start after the change, and the clock of
// Progress follows the tempo map.
TEST_F(PlaybackTest, TempoChangeHalfwayIsFollowed) {
  // 96 ticks at 500000 us (500 ms), then 96 ticks at 1000000 us (1 s each).
  const Bytes song = Song(Ev(0, {0x90, 60, 100}) + Ev(96, {0x80, 60, 0}) + TempoEv(0, 1000000) +
                          Ev(0, {0x90, 62, 100}) + Ev(96, {0x80, 62, 0}) + Ev(96, {0x90, 64, 100}) +
                          Ev(96, {0x80, 64, 0}));
  LoadSong(song);
  EXPECT_EQ(player->get_TimeLength(), 384);
  PlayToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x643C90}, {500000, 0x3C80}, {500000, 0x643E90}, {1500000, 0x3E80},
                                   {2500000, 0x644090}, {3500000, 0x4080}}));
  EXPECT_EQ(Events("Progress"), (Lines{R"(Progress(144, "00:00:01"))", R"(Progress(240, "00:00:02"))",
                                       R"(Progress(336, "00:00:03"))", R"(Progress(0, "00:00:00"))"}));

  // Started after the change: the new tempo from the first record on.
  capture->Clear();
  player->put_SetCurrentPosition(192);
  const int64_t start = mm::clock::NowMicros();
  PlayToEnd();
  Timed fromMiddle;
  for (const auto& [t, m] : SongMessages()) fromMiddle.push_back({t - start, m});
  EXPECT_EQ(fromMiddle, (Timed{{0, 0x3E80}, {1000000, 0x644090}, {2000000, 0x4080}}));
}

// A time-code division plays at its real speed: 25 frames of 40 ticks is
// 1000 ticks a second, whatever tempo the file sets.
TEST_F(PlaybackTest, TimeCodeDivisionPlaysInRealTime) {
  const uint16_t division = static_cast<uint16_t>((0x100 - 25) << 8 | 40);
  LoadSong(Header(1, division, 0) +
           Track(TempoEv(0, 250000) + Ev(0, {0x90, 60, 100}) + Ev(1500, {0x80, 60, 0}) + EndOfTrack()));
  PlayToEnd();
  EXPECT_EQ(SongMessages(), (Timed{{0, 0x643C90}, {1500000, 0x3C80}}));
}

// An empty song plays nothing and stops at once with the stop's events.
TEST_F(PlaybackTest, EmptySongStopsAtOnce) {
  LoadSong(Song({}));
  player->PlayMidi();
  RunToEnd();
  EXPECT_TRUE(SongMessages().empty());
  Lines expected{R"(Status(1, "Playing"))", "MasterVolumeChange(10)"};
  for (const auto& line : StopEvents()) expected.push_back(line);
  EXPECT_EQ(sink->lines, expected);
  EXPECT_EQ(mm::clock::NowMicros(), 0);
}

// Playing with no song fails before anything is opened.
TEST_F(PlaybackTest, PlayWithNoSongFailsWithNothingOpened) {
  try {
    player->PlayMidi();
    FAIL() << "expected error 9";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kSubscriptOutOfRange);
  }
  EXPECT_EQ(player->get_Status(), kStatusFileNotOpen);
  EXPECT_TRUE(sink->lines.empty());
  EXPECT_EQ(capture->OpenCount(), 0);
}

// Songs played back to back leave nothing behind (the sanitizer build
// checks for leaks; here the stream count).
TEST_F(PlaybackTest, ManySongsBackToBack) {
  for (int i = 0; i < 200; ++i) {
    LoadSong(kTwoNotes);
    PlayToEnd();
    ASSERT_EQ(player->get_Status(), kStatusStopped);
    ASSERT_EQ(SongMessages().size(), 5u) << "song " << i;
  }
}

// On the real clock, with a client's message loop: the song plays to its
// end in order (no timing asserted here).
TEST(PlaybackRealClock, ShortSongPlaysInOrderToItsEnd) {
  ResetPlayerStore();
  auto capture = std::make_shared<mm::CaptureDevice>("Real-time capture");
  const auto id = mm::RegisterDevice(capture);
  {
    auto player = clsMidi::Create();
    // 96 ticks of 1000 us: a short song.
    player->OpenMidiData("real.mid", Song(TempoEv(0, 96000) + Ev(0, {0x90, 60, 100}) + Ev(20, {0x80, 60, 0}) +
                                          Ev(0, {0x90, 62, 100}) + Ev(20, {0x80, 62, 0})));
    player->put_SetDevice(static_cast<int16_t>(id));
    capture->Clear();
    player->PlayMidi();
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (player->get_Status() == kStatusPlaying && std::chrono::steady_clock::now() < limit) {
      mm::WaitAndDispatch(100);
    }
    EXPECT_EQ(player->get_Status(), kStatusStopped);
  }
  std::vector<uint32_t> notes;
  for (uint32_t m : capture->Messages()) {
    if ((m & 0xE0) == 0x80 && (m & 0xFF00) != 0x4000) notes.push_back(m);  // not the setup's note-offs
  }
  EXPECT_EQ(notes, (std::vector<uint32_t>{0x643C90, 0x3C80, 0x643E90, 0x3E80}));
  mm::UnregisterDevice(capture);
  ResetPlayerStore();
}

}  // namespace
}  // namespace sonara::testing
