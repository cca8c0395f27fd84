// Lyric lines and lyric text: line breaks in lyric and karaoke texts, the
// syllables read as one stream of bytes (UTF-8 or Windows-1252 for all of
// them, a character split over events), and what TextKar reports for them.
#include "LyricSongs.h"

namespace sonara::testing {
namespace {

struct LyricCase {
  const char* name;
  Bytes song;
  Lines phrases;    // from the first phrase (2) on
  Lines syllables;  // "text,length,offset,phrase", entries 1 on
  Lines textKar;    // "text|offset|current line|next line" of each lyric record
  std::vector<int32_t> ticks;  // the ticks of those records
};

std::vector<int32_t> LyricTicks() {
  std::vector<int32_t> out;
  for (const EventRecord& r : modMidi.Timeline.Items()) {
    if (r.LyricIndex > 0) out.push_back(r.AbsTick);
  }
  return out;
}

class LyricLines : public LoaderTest, public ::testing::WithParamInterface<LyricCase> {};

TEST_P(LyricLines, GiveThesePhrasesSyllablesAndTextKar) {
  const LyricCase& c = GetParam();
  Load(c.song);
  ASSERT_EQ(player->get_Status(), kStatusFileOpen);
  EXPECT_EQ(PhraseTable(), c.phrases);
  EXPECT_EQ(SyllableTable(), c.syllables);
  EXPECT_EQ(TextKarFromTables(), c.textKar);
  EXPECT_EQ(LyricTicks(), c.ticks);
  std::string text;
  for (const auto& phrase : c.phrases) text += phrase + "\r\n";
  EXPECT_EQ(player->get_LyricText(), text);
}

// "Twinkle / little / star" as three lines, however the breaks are written.
const Lines kTwinklePhrases{"Twinkle", "little", "star"};
const Lines kTwinkleSyllables{"Twin,4,0,2", "kle,3,4,2", "lit,3,0,3", "tle,3,3,3", "star,4,0,4"};
const Lines kTwinkleTextKar{"Twin|0|Twinkle|little", "kle|4|Twinkle|little", "lit|0|little|star",
                            "tle|3|little|star", "star|0|star|"};
const std::vector<int32_t> kTwinkleTicks{10, 20, 30, 40, 50};

LyricCase Twinkle(const char* name, const Lines& lyrics) {
  return {name, LyricEventSong(lyrics), kTwinklePhrases, kTwinkleSyllables, kTwinkleTextKar, kTwinkleTicks};
}

INSTANTIATE_TEST_SUITE_P(
    Breaks, LyricLines,
    ::testing::Values(
        Twinkle("LineFeedAtEnd", {"Twin", "kle\n", "lit", "tle\n", "star"}),
        Twinkle("CarriageReturnAtEnd", {"Twin", "kle\r", "lit", "tle\r", "star"}),
        Twinkle("CrLfAtEnd", {"Twin", "kle\r\n", "lit", "tle\r\n", "star"}),
        Twinkle("LineFeedAtStart", {"Twin", "kle", "\nlit", "tle", "\nstar"}),
        Twinkle("CarriageReturnAtStart", {"Twin", "kle", "\rlit", "tle", "\rstar"}),
        Twinkle("CrLfAtStart", {"Twin", "kle", "\r\nlit", "tle", "\r\nstar"}),
        // Breaks of every kind in one song, and one lyric event that is only a
        // break: it ends the line and is no syllable.
        LyricCase{"Mixed",
                  LyricEventSong({"Twin", "kle\r\n", "lit", "tle", "\nstar", "\r\n", "how"}),
                  {"Twinkle", "little", "star", "how"},
                  {"Twin,4,0,2", "kle,3,4,2", "lit,3,0,3", "tle,3,3,3", "star,4,0,4", "how,3,0,5"},
                  {"Twin|0|Twinkle|little", "kle|4|Twinkle|little", "lit|0|little|star", "tle|3|little|star",
                   "star|0|star|how", "how|0|how|"},
                  {10, 20, 30, 40, 50, 70}},
        // Two breaks in a row leave an empty line between.
        LyricCase{"BlankLine", LyricEventSong({"Twin", "kle\n", "\n", "star"}), {"Twinkle", "", "star"},
                  {"Twin,4,0,2", "kle,3,4,2", "star,4,0,4"},
                  {"Twin|0|Twinkle|", "kle|4|Twinkle|", "star|0|star|"}, {10, 20, 40}},
        // A break before the first syllable closes the still empty first line.
        LyricCase{"BreakBeforeFirstSyllable", LyricEventSong({"\rTwin", "kle"}), {"", "Twinkle"},
                  {"Twin,4,0,3", "kle,3,4,3"}, {"Twin|0|Twinkle|", "kle|4|Twinkle|"}, {10, 20}},
        // A break inside a syllable is part of its text.
        LyricCase{"BreakInsideSyllable", LyricEventSong({"a\nb", "c"}), {"a\nbc"}, {"a\nb,3,0,2", "c,1,3,2"},
                  {"a\nb|0|a\nbc|", "c|3|a\nbc|"}, {10, 20}},
        // A marked lyric starts its line; the breaks beside the mark add none.
        LyricCase{"MarkWithBreaks", LyricEventSong({"Twin", "kle", "\n/lit\r\n", "tle"}), {"Twinkle", "little"},
                  {"Twin,4,0,2", "kle,3,4,2", "lit,3,0,3", "tle,3,3,3"},
                  {"Twin|0|Twinkle|little", "kle|4|Twinkle|little", "tle|3|little|"}, {10, 20, 40}},
        // Karaoke text events without a mark break lines the same way (one tick late, as all their events).
        LyricCase{"KaraokeTextBreaks", KaraokeSong({"Twin", "kle\r", "lit", "tle", "\r\nstar"}), kTwinklePhrases,
                  kTwinkleSyllables, kTwinkleTextKar, {11, 21, 31, 41, 51}},
        // In marked karaoke texts the mark decides the line; their breaks are dropped.
        LyricCase{"KaraokeMarkedTexts", KaraokeSong({"\\Twin\r\n", "kle", "/lit", "tle\n", "star"}),
                  {"", "Twinkle", "little", "star"},
                  {",0,-1,2", "Twin,4,0,3", "kle,3,4,3", "lit,3,0,4", "tle,3,3,4", "star,4,0,5"},
                  {"|-1||Twinkle", "Twin|0|Twinkle|little", "kle|4|Twinkle|little", "lit|0|little|star",
                   "tle|3|little|star", "star|0|star|"},
                  {6, 11, 21, 31, 41, 51}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Characters, LyricLines,
    ::testing::Values(
        // "ü" split over two lyric events belongs to the second.
        LyricCase{"SplitUtf8", LyricEventSong({"M\xC3", "\xBCller"}), {"M\xC3\xBCller"},
                  {"M,1,0,2", "\xC3\xBCller,5,1,2"}, {"M|0|M\xC3\xBCller|", "\xC3\xBCller|1|M\xC3\xBCller|"}, {10, 20}},
        // A euro sign over three events: the first two hold none of its characters.
        LyricCase{"SplitOverThreeEvents", LyricEventSong({"x\xE2", "\x82", "\xAC"}), {"x\xE2\x82\xAC"},
                  {"x,1,0,2", ",0,1,2", "\xE2\x82\xAC,1,1,2"},
                  {"x|0|x\xE2\x82\xAC|", "|1|x\xE2\x82\xAC|", "\xE2\x82\xAC|1|x\xE2\x82\xAC|"}, {10, 20, 30}},
        // The same split in karaoke text events.
        LyricCase{"SplitUtf8InKaraokeText", KaraokeSong({"M\xC3", "\xBCller"}), {"M\xC3\xBCller"},
                  {"M,1,0,2", "\xC3\xBCller,5,1,2"}, {"M|0|M\xC3\xBCller|", "\xC3\xBCller|1|M\xC3\xBCller|"}, {11, 21}},
        // One byte that is not UTF-8 ("caf" E9) makes every syllable Windows-1252,
        // also the UTF-8 "ü" of the next one; offsets count characters.
        LyricCase{"OneInvalidByte", LyricEventSong({"caf\xE9", "\xC3\xBC", "\x80!"}),
                  {"caf\xC3\xA9\xC3\x83\xC2\xBC\xE2\x82\xAC!"},
                  {"caf\xC3\xA9,4,0,2", "\xC3\x83\xC2\xBC,2,4,2", "\xE2\x82\xAC!,2,6,2"},
                  {"caf\xC3\xA9|0|caf\xC3\xA9\xC3\x83\xC2\xBC\xE2\x82\xAC!|",
                   "\xC3\x83\xC2\xBC|4|caf\xC3\xA9\xC3\x83\xC2\xBC\xE2\x82\xAC!|",
                   "\xE2\x82\xAC!|6|caf\xC3\xA9\xC3\x83\xC2\xBC\xE2\x82\xAC!|"},
                  {10, 20, 30}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LoaderTest, TitlesKeepTheirOwnDecodingBesideWindows1252Lyrics) {
  // The lyrics hold a byte that is not UTF-8; the title is UTF-8 and stays so.
  Load(KaraokeSong({"caf\xE9", "\xC3\xBC"}, "M\xC3\xBCller"));
  EXPECT_EQ(player->get_Titles(0), "M\xC3\xBCller");
  EXPECT_EQ(SyllableTable(), (Lines{"caf\xC3\xA9,4,0,2", "\xC3\x83\xC2\xBC,2,4,2"}));
}

}  // namespace
}  // namespace sonara::testing
