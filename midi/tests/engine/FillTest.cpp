// What one buffer carries and raises: notes, levels, drums, lyrics, muted
// channels, transposition.
#include "engine/BufferFill.h"
#include "engine/PlaybackFixture.h"

namespace sonara::testing {
namespace {

// Lines after the start's own two events (Status, MasterVolumeChange) and
// before the stop's.
Lines FillEvents(const Lines& all) {
  Lines out;
  for (size_t i = 2; i < all.size() && all[i] != R"(Status(0, "Stopped"))"; ++i) out.push_back(all[i]);
  return out;
}

TEST_F(PlaybackTest, ChordReportsItsFirstNoteOncePerChannelAndBuffer) {
  LoadSong(Song(Ev(0, {0x90, 60, 90}) + Ev(0, {0x90, 64, 80}) + Ev(0, {0x91, 40, 70}) + Ev(0, {0x90, 67, 70}) +
                Ev(96, {0x90, 60, 50}) + Ev(0, {0x90, 64, 50}) +
                // the drum channel's note ends with a velocity-0 note-on: it names the drum
                Ev(0, {0x99, 38, 100}) + Ev(96, {0x99, 38, 0}) + Ev(0, {0x80, 60, 0})));
  PlayToEnd();
  EXPECT_EQ(FillEvents(sink->lines),
            (Lines{"MidiLevel(0, 90)", R"(NotesPlaying(0, 60, "C", 0, "", -1))",  // the chord's first note only
                   "MidiLevel(1, 70)", R"(NotesPlaying(1, 40, "E", 0, "", -1))",  // one per channel
                   "MidiLevel(0, 50)", R"(NotesPlaying(0, 60, "C", 0, "", -1))",  // the next buffer reports again
                   "MidiLevel(9, 100)", R"(NotesPlaying(9, 38, "D", 0, "", -1))",
                   R"(NotesPlaying(9, 38, "D", 38, "Acoustic Snare", 0))", R"(NotesPlaying(0, 60, "C", 0, "", 0))"}));
}

TEST_F(PlaybackTest, SyllablesRaiseTextKarAsTheirGroupIsQueued) {
  // Lyric events, a line break at the end of the first line; the one at tick
  // 0 only announces the coming line.
  LoadSong(Song(LyricEv(0, "") + Ev(0, {0x90, 60, 100}) + LyricEv(96, "Twin") + LyricEv(96, "kle\n") +
                Ev(0, {0x80, 60, 0}) + LyricEv(96, "lit") + Ev(0, {0x90, 62, 100}) + Ev(96, {0x80, 62, 0})));
  player->PlayMidi();
  Lines seen;
  for (int64_t t : {0, 500000, 1000000, 1500000, 2000000}) {
    mm::clock::AdvanceTo(t);
    seen.push_back(Events("TextKar").empty() ? "" : Events("TextKar").back());
  }
  // Each syllable is raised when the group before its own has played.
  EXPECT_EQ(seen, (Lines{R"(TextKar("Twin", 0, "Twinkle", "lit"))", R"(TextKar("kle", 4, "Twinkle", "lit"))",
                         R"(TextKar("lit", 0, "lit", ""))", R"(TextKar("lit", 0, "lit", ""))",
                         R"(TextKar("", -1, "", ""))"}));
  EXPECT_EQ(Events("TextKar").front(), R"(TextKar("", 0, "", "Twinkle"))");
}

TEST_F(PlaybackTest, MutedChannelIsSilencedAndUnmutingLetsItBackIn) {
  LoadSong(Song(Ev(0, {0x93, 60, 100}) + Ev(0, {0x90, 48, 100}) +                          // tick 0
                Ev(96, {0x83, 60, 0}) + Ev(0, {0x80, 48, 0}) + Ev(0, {0x93, 62, 100}) +  // tick 96
                Ev(96, {0x83, 62, 0}) + Ev(0, {0x93, 64, 100}) +                          // tick 192
                Ev(96, {0x83, 64, 0})));                                                  // tick 288
  player->put_MuteChannel(3, kTrue);
  player->PlayMidi();
  mm::clock::AdvanceTo(1);  // the first group has played, the second is queued
  player->put_MuteChannel(3, kFalse);
  RunToEnd();
  EXPECT_EQ(SongMessages(), (Timed{
                                // each record of the muted channel sends All Notes Off as it is placed;
                                // its note-ons are in the buffer but never sound, its note-offs do
                                {0, 0x7BB3}, {0, 0x643090}, {0, 0x7BB3}, {0, 0x7BB3},
                                {1, 0x79B3},  // unmuting resets the channel's controllers at once
                                {500000, 0x3C83}, {500000, 0x3080},  // queued while muted: as it was built
                                {1000000, 0x3E83}, {1000000, 0x644093},  // built after: heard again
                                {1500000, 0x4083}}));
  Lines channel3;
  for (const auto& line : FillEvents(sink->lines)) {
    if (line.find("(3,") != std::string::npos) channel3.push_back(line);
  }
  // Only what was built after the unmuting is announced.
  EXPECT_EQ(channel3, (Lines{R"(NotesPlaying(3, 62, "D", 0, "", 0))", "MidiLevel(3, 100)",
                             R"(NotesPlaying(3, 64, "E", 0, "", -1))", R"(NotesPlaying(3, 64, "E", 0, "", 0))"}));
}

// The transposition of one message, with the fold into the note range.
struct TransposeCase {
  const char* name;
  int16_t amount;
  int32_t message;
  int32_t expected;
};

class TransposeMessage : public PlaybackTest, public ::testing::WithParamInterface<TransposeCase> {};

TEST_P(TransposeMessage, MovesNotesOnlyAndKeepsThemInRange) {
  modMidi.TransposeAmount = GetParam().amount;
  EXPECT_EQ(TransposeEvent(GetParam().message), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransposeMessage,
    ::testing::Values(TransposeCase{"NoteOnUp", 12, 0x643C92, 0x644892},
                      TransposeCase{"NoteOffDown", -5, 0x4082, 0x3B82},
                      TransposeCase{"KeyPressure", 2, 0x203CA2, 0x203EA2},
                      TransposeCase{"DrumsUntouched", 12, 0x643C99, 0x643C99},
                      TransposeCase{"ControllerUntouched", 12, 0x4007B2, 0x4007B2},
                      TransposeCase{"PastTheTopDropsAnOctave", 12, 0x647890, 0x647890},  // 132 -> 120
                      TransposeCase{"FarPastTheTop", 40, 0x647F90, 0x647790},          // 167 -> 119
                      TransposeCase{"BelowTheBottomRisesByOctaves", -5, 0x640290, 0x640990},  // -3 -> 9
                      TransposeCase{"OnlyTheLowByteCounts", 256 + 2, 0x643C90, 0x643E90}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PlaybackTest, TransposeDuringPlaybackSilencesFirstThenMovesTheNextBuffers) {
  LoadSong(Song(Ev(0, {0x92, 60, 100}) + Ev(96, {0x82, 60, 0}) + Ev(0, {0x92, 64, 100}) + Ev(96, {0x82, 64, 0}) +
                Ev(0, {0x99, 36, 100}) + Ev(96, {0x89, 36, 0})));
  player->PlayMidi();
  mm::clock::AdvanceTo(1);
  sink->lines.clear();
  player->put_Transpose(3);
  RunToEnd();
  Timed expected;
  for (uint32_t ch = 0; ch < 16; ++ch) expected.push_back({1, 0x78B0 + ch});
  // The buffer queued before the change plays as it was built.
  expected.insert(expected.end(), {{500000, 0x3C82}, {500000, 0x644092}, {1000000, 0x4382}, {1000000, 0x642499},
                                   {1500000, 0x2489}});
  Timed after;
  for (const auto& m : SongMessages()) {
    if (m.first >= 1) after.push_back(m);
  }
  EXPECT_EQ(after, expected);
  EXPECT_EQ(sink->lines.front(), "TransposeChange(3)");
}

}  // namespace
}  // namespace sonara::testing
