// Decoding track events: status bytes, running status, lengths, the ends of
// tracks, and broken input.
#include "SongBytes.h"
#include "loader/SongTiming.h"

namespace sonara::testing {
namespace {

using Lines = std::vector<std::string>;

struct TrackCase {
  const char* name;
  Bytes track;  // the whole chunk, header included
  Lines timeline;
};

class TrackDecoding : public LoaderTest, public ::testing::WithParamInterface<TrackCase> {};

TEST_P(TrackDecoding, GivesTheseRecords) {
  Load(Header(1) + GetParam().track);
  EXPECT_EQ(player->get_Status(), kStatusFileOpen);
  EXPECT_EQ(TimelineText(), GetParam().timeline);
}

const std::string kLongText(200, 'x');

INSTANTIATE_TEST_SUITE_P(
    Events, TrackDecoding,
    ::testing::Values(
        // Note on, then a second note under running status, then a pitch bend.
        TrackCase{"RunningStatus", Track(Ev(0, {0x90, 60, 100}) + Ev(2, {62, 90}) + Ev(1, {0xE3, 0, 64}) + EndOfTrack()),
                  {"0:00643C90", "2:005A3E90", "3:004000E3"}},
        // Program change and channel pressure take one data byte, also under running status.
        TrackCase{"TwoByteMessages", Track(Ev(0, {0xC1, 5}) + Ev(1, {7}) + Ev(1, {0xD2, 44}) + EndOfTrack()),
                  {"0:000005C1", "1:000007C1", "2:00002CD2"}},
        // A data byte before any status byte only carries its time.
        TrackCase{"DataByteWithoutStatus", Track(Ev(2, {0x40}) + Ev(3, {0x90, 60, 1}) + EndOfTrack()),
                  {"5:00013C90"}},
        // A meta event of 200 bytes: its length takes two bytes.
        TrackCase{"LongMetaLength", Track(TextEv(0, kLongText) + Ev(2, {0x90, 60, 1}) + EndOfTrack()),
                  {"2:00013C90"}},
        // System exclusive without a closing 0xF7 is skipped by its length.
        TrackCase{"SysexWithoutEnd", Track(Ev(5, {0xF0, 2, 0x43, 0x10}) + Ev(4, {0x90, 60, 1}) + EndOfTrack()),
                  {"9:00013C90"}},
        // An escape (0xF7) event carries bytes that look like status bytes.
        TrackCase{"EscapeEvent", Track(Ev(0, {0xF7, 2, 0xF8, 0x90}) + Ev(4, {0x91, 60, 1}) + EndOfTrack()),
                  {"4:00013C91"}},
        // Sysex and meta events leave the running status alone.
        TrackCase{"StatusSurvivesSysex",
                  Track(Ev(0, {0x90, 60, 1}) + Ev(1, {0xF0, 1, 0xF7}) + TextEv(1, "x") + Ev(1, {61, 2}) + EndOfTrack()),
                  {"0:00013C90", "3:00023D90"}},
        // Nothing after the end-of-track event is read.
        TrackCase{"EndOfTrack", Track(Ev(0, {0x90, 60, 1}) + EndOfTrack(3) + Ev(1, {0x80, 60, 0})), {"0:00013C90"}},
        // A chunk without an end-of-track event ends at its length.
        TrackCase{"NoEndOfTrack", Track(Ev(0, {0x90, 60, 1}) + Ev(1, {0x80, 60, 0})), {"0:00013C90", "1:00003C80"}},
        // An empty chunk gives no event: the Timeline keeps its zero record 1.
        TrackCase{"EmptyChunk", Track({}), {"0:00000000"}},
        // The chunk says 100 bytes but the file ends inside the second event: it is dropped.
        TrackCase{"TruncatedChunk", Text("MTrk") + Be32(100) + Ev(0, {0x90, 60, 100}) + Bytes{5, 0x80, 60},
                  {"0:00643C90"}},
        // A meta event whose length runs past the chunk ends the track.
        TrackCase{"MetaPastChunk", Track(Ev(0, {0x90, 60, 1}) + Bytes{0, 0xFF, 0x01, 50, 'a'}), {"0:00013C90"}},
        // A sysex whose length runs past the chunk ends the track.
        TrackCase{"SysexPastChunk", Track(Ev(0, {0x90, 60, 1}) + Bytes{0, 0xF0, 0x8F, 0x7F, 1}), {"0:00013C90"}},
        // A delta time cut by the end of the chunk.
        TrackCase{"DeltaPastChunk", Track(Ev(0, {0x90, 60, 1}) + Bytes{0x81}), {"0:00013C90"}},
        // Deltas of 2^28 - 1: the ninth would pass the largest tick and ends the track.
        TrackCase{"HugeDeltas",
                  Track(Ev(0x0FFFFFFF, {0x90, 1, 1}) + Ev(0x0FFFFFFF, {2, 1}) + Ev(0x0FFFFFFF, {3, 1}) +
                        Ev(0x0FFFFFFF, {4, 1}) + Ev(0x0FFFFFFF, {5, 1}) + Ev(0x0FFFFFFF, {6, 1}) +
                        Ev(0x0FFFFFFF, {7, 1}) + Ev(0x0FFFFFFF, {8, 1}) + Ev(0x0FFFFFFF, {9, 1})),
                  {"268435455:00010190", "536870910:00010290", "805306365:00010390", "1073741820:00010490",
                   "1342177275:00010590", "1610612730:00010690", "1879048185:00010790", "2147483640:00010890"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, RunningStatusCarriesOverToTheNextTrack) {
  // Track 2 starts with data bytes: they play under track 1's last status.
  Load(Header(2) + Track(Ev(0, {0x91, 60, 100}) + EndOfTrack()) + Track(Ev(4, {64, 90}) + EndOfTrack()));
  EXPECT_EQ(TimelineText(), (Lines{"0:00643C91", "4:005A4091"}));
}

TEST_F(LoaderTest, ControllersSetTheChannelsValues) {
  // Volume by controller 7, balance by controller 8; pan (10) leaves the balance alone.
  Load(Header(1) + Track(Ev(0, {0xB1, 7, 100}) + Ev(0, {8, 30}) + Ev(0, {10, 99}) + Ev(0, {0xC1, 5}) +
                         Ev(0, {0x91, 60, 1}) + EndOfTrack()));
  EXPECT_EQ(modMidi.ChannelVolume[1], 100);
  EXPECT_EQ(modMidi.ChannelBalance[1], 30);
  EXPECT_EQ(modMidi.ChannelProgram[1], 5);
  EXPECT_EQ(player->get_Instrument(1), "5");
}

TEST_F(LoaderTest, EveryLoadStartsFromDefaultTempoAndTime) {
  Load(Header(1, 480) + Track(TempoEv(0, 400000) + TimeSigEv(0, 6, 3) + Ev(0, {0x90, 60, 1}) + EndOfTrack()));
  EXPECT_EQ(Events("MidiInfo"), (Lines{"MidiInfo(\"00:00:00\", \"6/8\")"}));
  EXPECT_EQ(modMidi.Tempo, 400000);
  // The next song has neither: it does not inherit them.
  Load(Header(1, 480) + Track(Ev(0, {0x90, 60, 1}) + Ev(960, {0x80, 60, 0}) + EndOfTrack()));
  EXPECT_EQ(Events("MidiInfo"), (Lines{"MidiInfo(\"00:00:01\", \"4/4\")"}));
  EXPECT_EQ(modMidi.Tempo, 500000);
  EXPECT_DOUBLE_EQ(modMidi.StreamTempo, 25000.0);
}

TEST_F(LoaderTest, TempoChangesBecomeRecordsAndTimeTheLength) {
  // One tick a quarter: a second a tick, then from tick 3 half a second a tick.
  Load(Header(1, 1) + Track(TempoEv(0, 1000000) + Ev(0, {0x93, 60, 1}) + TempoEv(3, 500000) +
                            Ev(4, {0x83, 60, 0}) + EndOfTrack()));
  EXPECT_EQ(TimelineText(), (Lines{"0:010F4240", "0:00013C93", "3:0107A120", "7:00003C83"}));
  EXPECT_EQ(modMidi.TempoMap, (std::vector<TempoChange>{{0, 1000000}, {3, 500000}}));
  EXPECT_EQ(Events("MidiInfo"), (Lines{"MidiInfo(\"00:00:05\", \"4/4\")"}));
  EXPECT_EQ(modMidi.Tempo, 1000000);  // the tempo at tick 0, not the last one
  EXPECT_EQ(TempoAtTick(2), 1000000);
  EXPECT_EQ(TempoAtTick(3), 500000);
  EXPECT_DOUBLE_EQ(TicksToMilliseconds(4), 3500.0);
  EXPECT_DOUBLE_EQ(modMidi.StreamTempo, 24000000.0);
  // Tempo records belong to no channel.
  EXPECT_EQ(player->get_ValidChannel(0), kFalse);
  EXPECT_EQ(player->get_ValidChannel(3), kTrue);
}

TEST_F(LoaderTest, SongTimeIsExactFarBeyondSixtyFourBitProducts) {
  // The slowest tempo at one tick a quarter: 2^40 ticks times the tempo is
  // more than 2^63 tick-microseconds, yet the time comes out whole.
  Load(Header(1, 1) + Track(TempoEv(0, 0xFFFFFF) + Ev(0, {0x90, 60, 1}) + Ev(1, {0x80, 60, 0})));
  EXPECT_DOUBLE_EQ(TicksToMilliseconds(int64_t{1} << 40), 18446742974197923.84);
  EXPECT_EQ(TicksToMilliseconds(int64_t{1000} << 20), 16777215.0 * (1 << 20));  // whole: exact
  // Remainders of several tempo spans add up to whole milliseconds exactly.
  Load(Header(1, 3) + Track(TempoEv(0, 1000) + TempoEv(1, 1001) + TempoEv(1, 999) + Ev(1, {0x90, 60, 1}) +
                            Ev(1, {0x80, 60, 0})));
  EXPECT_EQ(TicksToMilliseconds(3), 1.0);
}

struct ClockCase {
  const char* name;
  uint32_t tempo;  // microseconds for the song's one tick
  const char* text;
};

class LengthText : public LoaderTest, public ::testing::WithParamInterface<ClockCase> {};

TEST_P(LengthText, RoundsOnlyTheMilliseconds) {
  Load(Header(1, 1) + Track(TempoEv(0, GetParam().tempo) + Ev(0, {0x90, 60, 1}) + Ev(1, {0x80, 60, 0})));
  EXPECT_EQ(Events("MidiInfo"), (Lines{std::string("MidiInfo(\"") + GetParam().text + "\", \"4/4\")"}));
}

INSTANTIATE_TEST_SUITE_P(
    Songs, LengthText,
    ::testing::Values(
        // 1999.6 ms round up to 2000 ms.
        ClockCase{"FractionRoundsUp", 1999600, "00:00:02"},
        // 1999 ms: the seconds are cut, not rounded.
        ClockCase{"SecondsAreCut", 1999000, "00:00:01"},
        // A half rounds to the even neighbour: 1999.5 ms give 2000 ms.
        ClockCase{"HalfToEven", 1999500, "00:00:02"},
        // 2.5 ms: the half goes down to the even 2, still under a second.
        ClockCase{"HalfDownToEven", 2500, "00:00:00"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ClockText, GivesHoursMinutesAndSeconds) {
  EXPECT_EQ(ClockText(3725000), "01:02:05");
  EXPECT_EQ(ClockText(0), "00:00:00");
  EXPECT_EQ(ClockText(59999.4), "00:00:59");
  EXPECT_EQ(ClockText(90000000), "25:00:00");  // a day or more keeps counting hours
}

TEST_F(LoaderTest, TimeCodeDivisionPlaysAtItsOwnSpeed) {
  // 25 frames of 40 ticks: 1000 ticks a second; a tempo event changes nothing.
  Load(Header(1, 0xE728) + Track(TempoEv(0, 250000) + Ev(0, {0x90, 60, 1}) + Ev(90000, {0x80, 60, 0})));
  EXPECT_EQ(Events("MidiInfo"), (Lines{"MidiInfo(\"00:01:30\", \"4/4\")"}));
  EXPECT_DOUBLE_EQ(modMidi.StreamTempo, 24000.0);
  EXPECT_TRUE(modMidi.TempoMap.empty());
}

}  // namespace
}  // namespace sonara::testing
