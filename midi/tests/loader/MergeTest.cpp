// Merging tracks into the Timeline and the song length in ticks.
#include "SongBytes.h"

namespace sonara::testing {
namespace {

using Lines = std::vector<std::string>;

TEST_F(LoaderTest, EqualTicksFollowTrackNumbersAndTrackOrder) {
  Load(Header(3) + Track(Ev(5, {0x90, 1, 1}) + Ev(0, {0x90, 2, 1})) + Track(Ev(5, {0x91, 3, 1}) + Ev(0, {0x91, 4, 1})) +
       Track(Ev(0, {0x92, 5, 1}) + Ev(5, {0x92, 6, 1})));
  EXPECT_EQ(TimelineText(), (Lines{"0:00010592", "5:00010190", "5:00010290", "5:00010391", "5:00010491",
                                   "5:00010692"}));
  EXPECT_EQ(TimelineDeltas(), (std::vector<int32_t>{0, 5, 0, 0, 0, 0}));
}

TEST_F(LoaderTest, FirstRecordStartsAtOnce) {
  // The silence before the first event is not played.
  Load(Header(1) + Track(Ev(7, {0x90, 1, 1}) + Ev(3, {0x80, 1, 0})));
  EXPECT_EQ(TimelineText(), (Lines{"7:00010190", "10:00000180"}));
  EXPECT_EQ(TimelineDeltas(), (std::vector<int32_t>{0, 3}));
}

struct LengthCase {
  const char* name;
  Bytes track;
  int32_t songTicks;
  size_t records;
};

class SongLength : public LoaderTest, public ::testing::WithParamInterface<LengthCase> {};

TEST_P(SongLength, IsTheTickOfTheLastRecord) {
  Load(Header(1) + GetParam().track);
  EXPECT_EQ(player->get_TimeLength(), GetParam().songTicks);
  EXPECT_EQ(modMidi.Timeline.UBound(), static_cast<int32_t>(GetParam().records));
}

INSTANTIATE_TEST_SUITE_P(
    Songs, SongLength,
    ::testing::Values(
        // The last event stands alone at the end: it still counts.
        LengthCase{"LoneLastEvent", Track(Ev(0, {0x90, 1, 1}) + Ev(10, {0x80, 1, 0}) + Ev(290, {0xB0, 123, 0})), 300, 3},
        // One event.
        LengthCase{"OneEvent", Track(Ev(7, {0x90, 1, 1})), 7, 1},
        // Only meta events: no record; the Timeline keeps its two zero records.
        LengthCase{"NoEvents", Track(TextEv(50, "x") + EndOfTrack()), 0, 1},
        // Placeholders count their time but never make the song longer.
        LengthCase{"TrailingMeta", Track(Ev(0, {0x90, 1, 1}) + TextEv(500, "x")), 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, ManyTracksAndLateTicksMergeEveryEvent) {
  // 1000 tracks, one event each, the last far away in time: all are merged.
  Bytes file = Header(1000);
  for (int t = 0; t < 999; ++t) file = file + Track(Ev(static_cast<uint32_t>(999 - t), {0x90, 1, 1}));
  file = file + Track(Ev(1u << 27, {0x91, 2, 1}));
  Load(file);
  ASSERT_EQ(modMidi.Timeline.UBound(), 1000);
  EXPECT_EQ(RecordText(modMidi.Timeline[1]), "1:00010190");
  EXPECT_EQ(RecordText(modMidi.Timeline[999]), "999:00010190");
  EXPECT_EQ(RecordText(modMidi.Timeline[1000]), "134217728:00010291");
  EXPECT_EQ(player->get_TimeLength(), 1 << 27);
}

}  // namespace
}  // namespace sonara::testing
