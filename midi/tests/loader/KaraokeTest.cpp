// Karaoke text, lyric events and titles.
#include "LyricSongs.h"

namespace sonara::testing {
namespace {

std::vector<std::string> Phrases() { return modMidi.LyricPhrases.Items(); }

// A syllable as "text,length,offset,phrase".
Lines Syllables() {
  Lines out;
  for (const auto& s : modMidi.LyricSyllables.Items()) {
    out.push_back(s.Text + "," + std::to_string(s.Length) + "," + std::to_string(s.PhraseOffset) + "," +
                  std::to_string(s.Phrase));
  }
  return out;
}

TEST_F(LoaderTest, KaraokeTrackGivesSyllablesPhrasesAndTitles) {
  Load(Header(2) +
       Track(Ev(0, {0x91, 60, 100}) + Ev(480, {0x81, 60, 0}) + EndOfTrack()) +
       Track(NameEv(0, "Words") + TextEv(0, "@TMy Song") + TextEv(0, "@TThe Singer") + TextEv(0, "Hidden") +
             TextEv(100, "\\Hel") + TextEv(20, "lo") + TextEv(30, "/world") + LyricEv(5, "ignored") + EndOfTrack()));
  EXPECT_EQ(modMidi.KaraokeMode, kTrue);
  // Every event of the karaoke track is one tick late; a new paragraph
  // changes the line halfway to its first syllable.
  EXPECT_EQ(TimelineText(), (Lines{"0:00643C91", "1:000000D0", "51:000000D0/1", "101:000000D0/2",
                                   "121:000000D0/3", "151:000000D0/4", "480:00003C81"}));
  EXPECT_EQ(Syllables(), (Lines{",0,0,0", ",0,-1,2", "Hel,3,0,3", "lo,2,3,3", "world,5,0,4"}));
  EXPECT_EQ(Phrases(), (Lines{"", "", "", "Hello", "world", ""}));
  // The paragraph mark closes the still empty first phrase: the text starts with an empty line.
  EXPECT_EQ(player->get_LyricText(), "\r\nHello\r\nworld\r\n");
  EXPECT_EQ(player->get_Titles(0), "My Song");
  EXPECT_EQ(player->get_Titles(1), "The Singer");
  EXPECT_EQ(player->get_Titles(2), "");
  // The lyric events are channel pressure on the first channel.
  EXPECT_EQ(player->get_ValidChannel(0), kTrue);
}

TEST_F(LoaderTest, KaraokeTrackTempoKeepsItsOwnTick) {
  // The text track's tempo events stay at ticks 0 and 2 while its other
  // events move one tick later; the song starts at the file's tempo.
  Load(KaraokeTempoSong());
  EXPECT_EQ(TimelineText(), (Lines{"0:00643C90", "0:01F42400", "1:000000D0", "2:010F4240", "3:000000D0/1",
                                   "4:00003C80"}));
  EXPECT_EQ(TimelineDeltas(), (std::vector<int32_t>{0, 0, 1, 1, 1, 1}));
  EXPECT_EQ(modMidi.TempoMap, (std::vector<TempoChange>{{0, 16000000}, {2, 1000000}}));
  EXPECT_EQ(modMidi.Tempo, 16000000);
  EXPECT_EQ(modMidi.TempoInForce, 16000000);
  // 2 ticks of 16 s and 2 of 1 s; a tempo one tick late would give 33.5 s.
  EXPECT_EQ(Events("MidiInfo"), (Lines{"MidiInfo(\"00:00:34\", \"4/4\")"}));
}

TEST_F(LoaderTest, KaraokeTempoAfterTextsAtTheSameTick) {
  // Texts and a tempo event at the same file tick: the texts' syllables sit
  // one tick later, after the tempo record.
  Load(Header(1) + Track(NameEv(0, "words") + TextEv(5, "a") + TextEv(0, "b") + TempoEv(0, 400000) +
                         TextEv(0, "c") + EndOfTrack()));
  EXPECT_EQ(TimelineText(), (Lines{"1:000000D0", "5:01061A80", "6:000000D0/1", "6:000000D0/2", "6:000000D0/3"}));
  EXPECT_EQ(modMidi.TempoMap, (std::vector<TempoChange>{{5, 400000}}));
  EXPECT_EQ(modMidi.Tempo, 500000);
}

struct DetectCase {
  const char* name;
  Bytes signs1, signs2;  // text at the start of track 1 and track 2
  Lines timeline;
};

class KaraokeDetection : public LoaderTest, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(KaraokeDetection, FindsTheTextTrack) {
  Load(Header(2) + Track(GetParam().signs1 + Ev(10, {0x90, 60, 1})) + Track(GetParam().signs2 + Ev(10, {0x91, 60, 1})));
  EXPECT_EQ(TimelineText(), GetParam().timeline);
}

const Lines kTrackOne{"1:000000D0", "10:00013C91", "11:00013C90"};
const Lines kTrackTwo{"1:000000D0", "10:00013C90", "11:00013C91"};
const Lines kNone{"10:00013C90", "10:00013C91"};

INSTANTIATE_TEST_SUITE_P(
    Songs, KaraokeDetection,
    ::testing::Values(
        // A track named "words" in any case.
        DetectCase{"NamedWords", {}, NameEv(0, "wORDs"), kTrackTwo},
        // A longer name that begins with "words" is no sign.
        DetectCase{"LongerName", {}, NameEv(0, "Wordsmith"), kNone},
        // The "@LENGL" language text.
        DetectCase{"LanguageText", {}, TextEv(0, "@LENGL"), kTrackTwo},
        // A title text event.
        DetectCase{"TitleText", TextEv(0, "@TSong"), {}, kTrackOne},
        // "@T" that is not inside a text event.
        DetectCase{"TitleOutsideTextEvent", NameEv(0, "@Tx"), {}, kNone},
        // The name test wins over an earlier track's title.
        DetectCase{"NameWinsOverTitle", TextEv(0, "@TSong"), NameEv(0, "words"), kTrackTwo},
        // Lyric events alone make no karaoke text track.
        DetectCase{"LyricsOnly", LyricEv(0, "la"), {}, {"0:000000D0/1", "10:00013C90", "10:00013C91"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, LyricEventsSitAtTheirOwnTicks) {
  Load(Header(1) + Track(LyricEv(0, "intro") + Ev(0, {0x90, 60, 1}) + LyricEv(100, "Hel") + LyricEv(20, "lo") +
                         LyricEv(30, "/world") + LyricEv(10, "\r") + LyricEv(10, "end") + TextEv(5, "no lyric") +
                         EndOfTrack()));
  EXPECT_EQ(modMidi.KaraokeMode, kFalse);
  EXPECT_EQ(TimelineText(),
            (Lines{"0:000000D0/1", "0:00013C90", "100:000000D0/2", "120:000000D0/3", "170:000000D0/5"}));
  // The lyric at the start announces the first phrase; a marked lyric opens a
  // phrase without being shown on its own; a carriage return starts an empty one.
  EXPECT_EQ(Syllables(), (Lines{",0,0,0", ",0,0,1", "Hel,3,0,2", "lo,2,3,2", "world,5,0,3", "end,3,0,4"}));
  EXPECT_EQ(Phrases(), (Lines{"", "", "Hello", "world", "end", ""}));
  EXPECT_EQ(player->get_LyricText(), "Hello\r\nworld\r\nend\r\n");
}

TEST_F(LoaderTest, TitlesTakeTheFirstThreeTitleTexts) {
  Load(Header(2) + Track(TextEv(0, "@TOn\xE9") + TextEv(0, "@tlower") + TextEv(0, "@TTwo")) +
           Track(TextEv(0, "@TThree") + TextEv(0, "@TFour")),
       "dir/song.kar");
  EXPECT_EQ(player->get_Titles(0), "On\xC3\xA9");  // a Windows-1252 title
  EXPECT_EQ(player->get_Titles(1), "Two");
  EXPECT_EQ(player->get_Titles(2), "Three");
  try {
    player->get_Titles(3);
    ADD_FAILURE() << "index 3 answered";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.Number(), kSubscriptOutOfRange);
  }
}

TEST_F(LoaderTest, SongWithoutLyricsOrTitles) {
  Load(Header(1) + Track(Ev(0, {0x90, 60, 1}) + EndOfTrack()), "dir/plain.mid");
  EXPECT_EQ(player->get_LyricText(), "\r\n");
  EXPECT_EQ(Phrases(), (Lines{"", "", "", ""}));
  EXPECT_EQ(Syllables(), (Lines{",0,0,0"}));
  EXPECT_EQ(player->get_Titles(0), "dir/plain.mid");
  EXPECT_EQ(player->get_Titles(1), "");
  EXPECT_EQ(modMidi.KaraokeMode, kFalse);
}

}  // namespace
}  // namespace sonara::testing
