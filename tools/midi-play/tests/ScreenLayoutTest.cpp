#include "ScreenLayout.h"

#include <gtest/gtest.h>

#include "TextSafety.h"

namespace midiplay {
namespace {

DisplayState PlayingSong() {
  DisplayState s;
  s.path = "songs/lantern-on-the-hill.kar";
  s.status = 1;
  s.titles = {"Lantern on the Hill", "Sonara sample songs", ""};
  s.lengthText = "00:00:45";
  s.clockText = "00:00:12";
  s.songTicks = 36480;
  s.ticks = 9120;
  s.lyric = {"Lantern on the hill,", 11, "shining through the rain,"};
  s.channels[0] = {true, false, "Vibraphone", 127};
  s.channels[9] = {true, false, "Acoustic Grand Piano", 0};
  s.channels[2] = {true, true, "Electric Bass(finger)", 0};
  return s;
}

std::string Find(const std::vector<ScreenLine>& lines, const std::string& text) {
  for (const ScreenLine& line : lines)
    if (line.text.find(text) != std::string::npos) return line.text;
  return "";
}

TEST(ScreenLayout, FillsAn80By24ScreenWithEverythingShown) {
  auto lines = LayoutScreen(PlayingSong(), {80, 24});
  ASSERT_EQ(lines.size(), 24u);
  for (const ScreenLine& line : lines) EXPECT_LE(CharCount(line.text), 80u) << line.text;
  EXPECT_NE(Find(lines, "Playing"), "");
  EXPECT_NE(Find(lines, "Lantern on the Hill"), "");
  EXPECT_NE(Find(lines, "Sonara sample songs"), "");
  EXPECT_NE(Find(lines, "00:00:12 ["), "");
  EXPECT_NE(Find(lines, "] 00:00:45"), "");
  EXPECT_NE(Find(lines, "shining through the rain,"), "");
  EXPECT_NE(Find(lines, "q quit"), "") << "the key help is on the last row";
  EXPECT_NE(lines.back().text.find("q quit"), std::string::npos);
  // channel 10 is named as drums, whatever program the song set there
  EXPECT_NE(Find(lines, "10 Drums"), "");
  EXPECT_NE(Find(lines, " 3 Electric Bass"), "");
  EXPECT_NE(Find(lines, "(muted)"), "");
}

TEST(ScreenLayout, HighlightsTheSungPartOfTheLine) {
  auto lines = LayoutScreen(PlayingSong(), {80, 24});
  std::string line = Find(lines, "Lantern on the hill,");
  for (const ScreenLine& l : lines) {
    if (l.text != line) continue;
    EXPECT_EQ(l.text.substr(l.highlightBegin, l.highlightEnd - l.highlightBegin), "Lantern on ");
  }
}

TEST(ScreenLayout, MetersShowLevelsAndFallToNothing) {
  DisplayState s = PlayingSong();
  std::string full = Find(LayoutScreen(s, {80, 24}), " 1 Vibraphone");
  s.channels[0].level = 0;
  std::string silent = Find(LayoutScreen(s, {80, 24}), " 1 Vibraphone");
  EXPECT_GT(std::count(full.begin(), full.end(), '#'), 10);
  EXPECT_EQ(std::count(silent.begin(), silent.end(), '#'), 0);
}

// The bar follows the clock against the length, as the times beside it do,
// even where ticks say otherwise (a song that is slow in its first half has
// played half its ticks well after half its time); ticks only while the
// length is not known in seconds.
TEST(ScreenLayout, ProgressBarFollowsTheClock) {
  struct Case {
    const char* clock;
    const char* length;
    int32_t ticks;
    double fraction;  // of the bar's width
  };
  const Case cases[] = {
      {"00:00:00", "00:00:45", 0, 0.0},
      {"00:00:09", "00:00:45", 9120, 0.2},
      {"00:00:36", "00:00:45", 18240, 0.8},      // ticks at half, time at four fifths
      {"00:00:45", "00:00:45", 36480, 1.0},
      {"00:01:40", "00:00:45", 99999, 1.0},      // past the end stays full
      {"00:00:00", "00:00:00", 9120, 0.25},      // under a second long: by ticks
      {"00:00:00", "", 27360, 0.75},             // no length yet: by ticks
  };
  for (const Case& c : cases) {
    DisplayState s = PlayingSong();
    s.clockText = c.clock;
    s.lengthText = c.length;
    s.ticks = c.ticks;
    std::string line = Find(LayoutScreen(s, {80, 24}), "[");
    const size_t open = line.find('['), close = line.find(']');
    ASSERT_NE(close, std::string::npos) << line;
    const double width = static_cast<double>(close - open - 1);
    EXPECT_NEAR(static_cast<double>(std::count(line.begin(), line.end(), '=')), c.fraction * width, 1.0)
        << c.clock << " of " << c.length << ": " << line;
  }
}

TEST(ScreenLayout, UsesTheFileNameWhenTheSongHasNoTitle) {
  DisplayState s = PlayingSong();
  s.titles = {s.path, "", ""};  // the component's first title is then the path it opened
  EXPECT_NE(Find(LayoutScreen(s, {80, 24}), " lantern-on-the-hill.kar"), "");
}

TEST(ScreenLayout, AWiderScreenGetsLongerBarsAndNames) {
  DisplayState s = PlayingSong();
  auto narrow = LayoutScreen(s, {80, 24});
  auto wide = LayoutScreen(s, {160, 40});
  ASSERT_EQ(wide.size(), 40u);
  EXPECT_GT(Find(wide, "] 00:00:45").size(), Find(narrow, "] 00:00:45").size() + 60);
  EXPECT_NE(Find(wide, "10 Drums"), "");
  EXPECT_NE(Find(wide, "Electric Bass(finger)"), "") << "the whole name fits";
}

TEST(ScreenLayout, ASmallScreenDropsTheMetersNotTheLyrics) {
  auto lines = LayoutScreen(PlayingSong(), {40, 12});
  ASSERT_EQ(lines.size(), 12u);
  for (const ScreenLine& line : lines) EXPECT_LE(CharCount(line.text), 40u);
  EXPECT_NE(Find(lines, "Lantern on th"), "");
  EXPECT_EQ(Find(lines, "Vibraphone"), "");
}

TEST(ScreenLayout, TextsFromTheFileCannotControlTheTerminal) {
  DisplayState s = PlayingSong();
  s.titles[0] = "Evil\x1b[2J title";
  s.lyric = {"bad\x1b]0;x\x07 line", 4, "next\r\nline"};
  s.channels[1] = {true, false, "Piano\x9b", 60};
  for (const ScreenLine& line : LayoutScreen(s, {80, 24})) {
    for (char c : line.text) EXPECT_GE(static_cast<unsigned char>(c), 0x20) << line.text;
  }
}

TEST(ScreenLayout, ALongLineScrollsToKeepTheSungPartInView) {
  DisplayState s = PlayingSong();
  s.lyric.phrase = std::string(100, 'a') + "END";
  s.lyric.sungChars = 103;
  bool seen = false;
  for (const ScreenLine& line : LayoutScreen(s, {80, 24})) {
    if (line.text.find("END") == std::string::npos) continue;
    seen = true;
    EXPECT_NE(line.text.substr(line.highlightBegin, line.highlightEnd - line.highlightBegin).find("END"),
              std::string::npos);
  }
  EXPECT_TRUE(seen);
}

TEST(ScreenLayout, SpeedShownAsAPercentage) {
  EXPECT_EQ(SpeedPercent(0), 100);
  EXPECT_EQ(SpeedPercent(10), 50);
  EXPECT_EQ(SpeedPercent(-5), 200);
}

}  // namespace
}  // namespace midiplay
