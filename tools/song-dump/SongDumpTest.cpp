// The song dump of byte-built songs: the record lines in words, escaped
// texts, the lyric tables, and a song without lyrics.
#include "SongDump.h"

#include <sstream>

#include "LyricSongs.h"
#include "mixer/GeneralMidiNames.h"

namespace sonara::testing {
namespace {

class SongDumpTest : public LoaderTest {
 protected:
  std::string Dump() {
    std::ostringstream out;
    WriteSongDump(out, *player);
    return out.str();
  }
  // The lines of the dump that start with prefix.
  Lines DumpLines(const std::string& prefix) {
    Lines out;
    std::istringstream in(Dump());
    for (std::string line; std::getline(in, line);) {
      if (line.rfind(prefix, 0) == 0) out.push_back(line);
    }
    return out;
  }
};

TEST_F(SongDumpTest, LyricSongWithBreaksNulAndLineFeedInSyllables) {
  // Line breaks around syllables end lines; a line feed, a NUL and a tab
  // inside syllables are text, shown escaped so that each line stays one.
  Load(LyricEventSong({"Twin", "kle\r\n", "a\nb", std::string("c\0d", 3), "\n\tstar"}));
  EXPECT_EQ(Dump(),
            "record tick delta message lyric event\n"
            "1 0 0 00643C90 0 note-on 1 60 100\n"
            "2 10 10 000000D0 1 lyric \"Twin\"\n"
            "3 20 10 000000D0 2 lyric \"kle\"\n"
            "4 30 10 000000D0 3 lyric \"a\\nb\"\n"
            "5 40 10 000000D0 4 lyric \"c\\0d\"\n"
            "6 50 10 000000D0 5 lyric \"\\tstar\"\n"
            "7 60 10 00003C80 0 note-off 1 60 0\n"
            "title 0 song.mid\n"
            "title 1\n"
            "title 2\n"
            "length 00:00:00\n"
            "time-signature 4/4\n"
            "start-tempo 500000\n"
            "ticks 60\n"
            "channel 1 program 0 " + InstrumentName(0) + "\n"
            "lyrics\n"
            "  Twinkle\n"
            "  a\\nbc\\0d\n"
            "  \\tstar\n"
            "syllable 0 phrase 0 offset 0 length 0 ||\n"
            "syllable 1 phrase 2 offset 0 length 4 |Twin|\n"
            "syllable 2 phrase 2 offset 4 length 3 |kle|\n"
            "syllable 3 phrase 3 offset 0 length 3 |a\\nb|\n"
            "syllable 4 phrase 3 offset 3 length 3 |c\\0d|\n"
            "syllable 5 phrase 4 offset 0 length 5 |\\tstar|\n"
            "phrase 0 ||\n"
            "phrase 1 ||\n"
            "phrase 2 |Twinkle|\n"
            "phrase 3 |a\\nbc\\0d|\n"
            "phrase 4 |\\tstar|\n"
            "phrase 5 ||\n");
}

TEST_F(SongDumpTest, KaraokeTempoAtTickZero) {
  Load(KaraokeTempoSong());
  EXPECT_EQ(DumpLines("2 "), (Lines{"2 0 0 01F42400 0 tempo 16000000"}));
  EXPECT_EQ(DumpLines("4 "), (Lines{"4 2 1 010F4240 0 tempo 1000000"}));
  EXPECT_EQ(DumpLines("5 "), (Lines{"5 3 1 000000D0 1 lyric \"la\""}));
  EXPECT_EQ(DumpLines("start-tempo"), (Lines{"start-tempo 16000000"}));
  EXPECT_EQ(DumpLines("length"), (Lines{"length 00:00:34"}));
}

TEST_F(SongDumpTest, KaraokeParagraphIsALineChange) {
  Load(KaraokeSong({"\\Twin", "kle"}));
  EXPECT_EQ(DumpLines("3 "), (Lines{"3 6 5 000000D0 1 line-change"}));
  EXPECT_EQ(DumpLines("4 "), (Lines{"4 11 5 000000D0 2 lyric \"Twin\""}));
  EXPECT_EQ(DumpLines("syllable 1 "), (Lines{"syllable 1 phrase 2 offset -1 length 0 ||"}));
}

TEST_F(SongDumpTest, SplitCharacterAndWindows1252Lyrics) {
  Load(LyricEventSong({"M\xC3", "\xBCller"}));
  EXPECT_EQ(DumpLines("phrase 2"), (Lines{"phrase 2 |M\xC3\xBCller|"}));
  EXPECT_EQ(DumpLines("syllable 2"), (Lines{"syllable 2 phrase 2 offset 1 length 5 |\xC3\xBCller|"}));
  // One byte that is not UTF-8 turns every syllable to Windows-1252; its
  // undefined byte 0x81 becomes the control character U+0081, escaped.
  Load(LyricEventSong({"caf\xE9", "\xC3\xBC\x81"}));
  EXPECT_EQ(DumpLines("phrase 2"), (Lines{"phrase 2 |caf\xC3\xA9\xC3\x83\xC2\xBC\\u0081|"}));
  EXPECT_EQ(DumpLines("3 "), (Lines{"3 20 10 000000D0 2 lyric \"\xC3\x83\xC2\xBC\\u0081\""}));
}

TEST_F(SongDumpTest, SongWithoutLyricsAndTheDrumChannel) {
  Load(Header(1) + Track(Ev(0, {0xC9, 25}) + Ev(0, {0x99, 36, 100}) + Ev(0, {0xE1, 0, 0x40}) +
                         Ev(0, {0xB1, 7, 90}) + TempoEv(0, 600000) + EndOfTrack()),
       "dir/esc\x1B[2Jape.mid");
  const std::string dump = Dump();
  EXPECT_NE(dump.find("\nlyrics none\n"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("syllable"), std::string::npos) << dump;
  EXPECT_EQ(dump.find("phrase"), std::string::npos) << dump;
  EXPECT_EQ(DumpLines("channel"), (Lines{"channel 2 program 0 " + InstrumentName(0), "channel 10 program 25 drums"}));
  EXPECT_EQ(DumpLines("1 "), (Lines{"1 0 0 000019C9 0 program 10 25"}));
  EXPECT_EQ(DumpLines("3 "), (Lines{"3 0 0 004000E1 0 pitch-bend 2 8192"}));
  EXPECT_EQ(DumpLines("4 "), (Lines{"4 0 0 005A07B1 0 control 2 7 90"}));
  EXPECT_EQ(DumpLines("5 "), (Lines{"5 0 0 010927C0 0 tempo 600000"}));
  // The file name is the first title; its escape character is escaped.
  EXPECT_EQ(DumpLines("title 0"), (Lines{"title 0 dir/esc\\x1B[2Jape.mid"}));
}

TEST_F(SongDumpTest, LyricsOfLineBreaksOnlyAreShown) {
  // No syllable, but the lyric text has two (empty) lines.
  Load(LyricEventSong({"\r\n"}));
  EXPECT_EQ(DumpLines("lyrics"), (Lines{"lyrics"}));
  EXPECT_EQ(DumpLines("phrase 3"), (Lines{"phrase 3 ||"}));
  EXPECT_EQ(DumpLines("syllable"), (Lines{"syllable 0 phrase 0 offset 0 length 0 ||"}));
}

struct EscapeCase {
  const char* name;
  std::string text, escaped;
};

class Escaping : public ::testing::TestWithParam<EscapeCase> {};

TEST_P(Escaping, KeepsEveryTextOnOneLine) { EXPECT_EQ(EscapeText(GetParam().text), GetParam().escaped); }

INSTANTIATE_TEST_SUITE_P(
    Texts, Escaping,
    ::testing::Values(EscapeCase{"Plain", "Twinkle, little star!", "Twinkle, little star!"},
                      EscapeCase{"LineBreaksAndTab", "a\r\nb\tc", "a\\r\\nb\\tc"},
                      EscapeCase{"Nul", std::string("a\0b", 3), "a\\0b"},
                      EscapeCase{"OtherControls", "\x01\x1B\x7F", "\\x01\\x1B\\x7F"},
                      EscapeCase{"Backslash", "a\\nb", "a\\\\nb"},
                      // U+0085 (next line) and U+009B (control sequence) are controls too.
                      EscapeCase{"C1Controls", "\xC2\x85\xC2\x9B", "\\u0085\\u009B"},
                      EscapeCase{"Utf8Kept", "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x8E\xB5", "M\xC3\xBCller \xE2\x82\xAC \xF0\x9F\x8E\xB5"},
                      // Bytes that are not UTF-8, such as a file name's, and a cut sequence.
                      EscapeCase{"NotUtf8", "caf\xE9\xFF", "caf\\xE9\\xFF"},
                      EscapeCase{"CutSequence", "ab\xE2\x82", "ab\\xE2\\x82"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace sonara::testing
