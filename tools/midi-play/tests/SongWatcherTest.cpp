#include "SongWatcher.h"

#include <gtest/gtest.h>

#include "PlainOutput.h"

namespace midiplay {
namespace {

class SongWatcherTest : public testing::Test {
 protected:
  SongWatcherTest() {
    watcher.SetNoticeHandler([this](const Notice& n) {
      if (n.kind == Notice::Kind::LyricLine) lines.push_back(n.text);
    });
  }
  SongWatcher watcher;
  std::vector<std::string> lines;
};

TEST_F(SongWatcherTest, EachLineStartsOnceAndTheHighlightGrows) {
  // A karaoke file: a line-change entry (-1) before a paragraph, then syllables.
  watcher.TextKar("", -1, "", "Lantern on the hill,");
  watcher.TextKar("Lan", 0, "Lantern on the hill,", "shining");
  EXPECT_EQ(watcher.State().lyric.sungChars, 3u);
  watcher.TextKar("tern ", 3, "Lantern on the hill,", "shining");
  EXPECT_EQ(watcher.State().lyric.sungChars, 8u);
  watcher.TextKar("shin", 0, "shining", "next");
  EXPECT_EQ(watcher.State().lyric.phrase, "shining");
  EXPECT_EQ(watcher.State().lyric.nextPhrase, "next");
  EXPECT_EQ(lines, (std::vector<std::string>{"Lantern on the hill,", "shining"}));
}

TEST_F(SongWatcherTest, ARepeatedLineCountsEachTime) {
  for (int i = 0; i < 2; ++i) {
    watcher.TextKar("la ", 0, "la la", "la la");
    watcher.TextKar("la", 3, "la la", "la la");
  }
  EXPECT_EQ(lines, (std::vector<std::string>{"la la", "la la"}));
}

TEST_F(SongWatcherTest, ALineWhoseFirstSyllableIsNotReportedStillStarts) {
  // Lyric-event files report no event for a syllable that opens a line.
  watcher.TextKar("", 0, "", "past the");
  watcher.TextKar("the ", 5, "past the", "");
  EXPECT_EQ(lines, (std::vector<std::string>{"past the"}));
}

TEST_F(SongWatcherTest, AfterTheClearingEventTheSameLineIsNewAgain) {
  watcher.TextKar("la", 0, "la", "");
  watcher.TextKar("", -1, "", "");  // stop
  EXPECT_EQ(watcher.State().lyric.phrase, "");
  watcher.TextKar("la", 0, "la", "");
  EXPECT_EQ(lines.size(), 2u);
}

TEST_F(SongWatcherTest, MetersJumpToTheLevelAndFallBack) {
  watcher.MidiLevel(3, 100);
  EXPECT_EQ(watcher.State().channels[3].level, 100);
  watcher.MidiLevel(3, 40);  // a softer note does not pull a meter down
  EXPECT_EQ(watcher.State().channels[3].level, 100);
  watcher.DecayMeters(0.25);
  EXPECT_LT(watcher.State().channels[3].level, 100);
  EXPECT_GT(watcher.State().channels[3].level, 0);
  watcher.DecayMeters(5);
  EXPECT_EQ(watcher.State().channels[3].level, 0);
  watcher.MidiLevel(3, 90);
  watcher.MidiLevel(3, 0);  // the player's stop clears a meter at once
  EXPECT_EQ(watcher.State().channels[3].level, 0);
  watcher.MidiLevel(16, 90);  // out of range: ignored
  watcher.MidiLevel(-1, 90);
}

TEST(PlainOutput, PrintsStatusChangesLyricLinesAndProgress) {
  std::FILE* out = std::tmpfile();
  ASSERT_NE(out, nullptr);
  PlainOutput plain(out);
  SongWatcher watcher;
  watcher.SetNoticeHandler([&](const Notice& n) { plain.OnNotice(n); });
  watcher.State().path = "x.mid";
  watcher.State().titles = {"x.mid", "", ""};
  watcher.State().lengthText = "00:00:02";
  plain.SongStarted(watcher.State());
  // what loading raises: no news
  watcher.Status(0, "Stopped");
  watcher.Progress(0, "00:00:00");
  watcher.Status(5, "File Open");
  watcher.Status(1, "Playing");
  watcher.TextKar("hel", 0, "hel\x1b[1mlo", "");
  watcher.Progress(480, "00:00:01");
  watcher.Status(0, "Stopped");
  watcher.Progress(0, "00:00:00");
  std::rewind(out);
  std::string text;
  for (int c; (c = std::fgetc(out)) != EOF;) text += static_cast<char>(c);
  std::fclose(out);
  EXPECT_EQ(text,
            "song 1/1: x.mid (x.mid), 00:00:02\n"
            "status: Playing\n"
            "lyric: hel\\x1B[1mlo\n"
            "progress: 00:00:01 / 00:00:02\n"
            "status: Stopped\n");
}

}  // namespace
}  // namespace midiplay
