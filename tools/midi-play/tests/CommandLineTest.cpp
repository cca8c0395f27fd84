#include "CommandLine.h"

#include <gtest/gtest.h>

namespace midiplay {
namespace {

struct BadCommandLine {
  const char* what;
  std::vector<std::string> args;
  const char* message;  // part of the one-line error
};

class CommandLineRejects : public testing::TestWithParam<BadCommandLine> {};

TEST_P(CommandLineRejects, WithAOneLineReason) {
  ParsedCommandLine parsed = ParseCommandLine(GetParam().args);
  ASSERT_FALSE(parsed.Ok());
  EXPECT_NE(parsed.error.find(GetParam().message), std::string::npos) << parsed.error;
  EXPECT_EQ(parsed.error.find('\n'), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CommandLineRejects,
    testing::Values(
        BadCommandLine{"NoFile", {}, "no song file"},
        BadCommandLine{"UnknownOption", {"--loud", "a.mid"}, "unknown option --loud"},
        BadCommandLine{"MissingValue", {"a.mid", "--transpose"}, "needs a value"},
        BadCommandLine{"TransposeTooFar", {"--transpose", "49", "a.mid"}, "bad value '49' for --transpose"},
        BadCommandLine{"TransposeNotANumber", {"--transpose=up", "a.mid"}, "bad value 'up'"},
        BadCommandLine{"SpeedWithTrailingText", {"--speed", "3x", "a.mid"}, "bad value '3x' for --speed"},
        // -10 would give the stream a tempo of zero
        BadCommandLine{"SpeedStopsTheSong", {"--speed", "-10", "a.mid"}, "for --speed"},
        BadCommandLine{"MuteChannelZero", {"--mute", "0", "a.mid"}, "for --mute"},
        BadCommandLine{"MuteChannel17", {"--mute", "1,17", "a.mid"}, "for --mute"},
        BadCommandLine{"MuteEmptyItem", {"--mute", "1,,2", "a.mid"}, "for --mute"},
        BadCommandLine{"StartSecondsOutOfRange", {"--start", "1:60", "a.mid"}, "for --start"},
        BadCommandLine{"StartNegative", {"--start", "-5", "a.mid"}, "bad value '-5' for --start"},
        BadCommandLine{"DeviceBelowMapper", {"--device", "-2", "a.mid"}, "for --device"},
        BadCommandLine{"FlagWithValue", {"--info=yes", "a.mid"}, "takes no value"},
        BadCommandLine{"TwoReports", {"--info", "--dump", "a.mid"}, "cannot be combined"},
        BadCommandLine{"SilentRender", {"--silent", "--wav", "x.wav", "a.mid"}, "cannot be combined"},
        // a control character in a bad value must not reach the terminal raw
        BadCommandLine{"EscapedValue", {"--speed", "\x1b[2J", "a.mid"}, "\\x1B[2J"}),
    [](const auto& info) { return info.param.what; });

TEST(CommandLine, ReadsEveryOption) {
  ParsedCommandLine parsed =
      ParseCommandLine({"--device", "-1", "--transpose=-3", "--speed", "10", "--start", "1:05", "--mute", "2,10",
                        "--mute=16", "--soundfont", "x.sf2", "--wav", "out/", "a.mid", "--", "--b.mid"});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  const Options& o = parsed.options;
  EXPECT_EQ(o.mode, Mode::Play);
  EXPECT_EQ(o.device, int16_t{-1});
  EXPECT_EQ(o.transpose, -3);
  EXPECT_EQ(o.speed, 10);
  EXPECT_EQ(o.start, (StartPosition{StartPosition::Unit::Seconds, 65}));
  std::array<bool, 16> muted{};
  muted[1] = muted[9] = muted[15] = true;
  EXPECT_EQ(o.muted, muted);
  EXPECT_EQ(o.soundFont, "x.sf2");
  EXPECT_EQ(o.wavOut, "out/");
  EXPECT_EQ(o.files, (std::vector<std::string>{"a.mid", "--b.mid"}));
}

TEST(CommandLine, HelpAndDevicesNeedNoFile) {
  EXPECT_EQ(ParseCommandLine({"--help"}).options.mode, Mode::Help);
  EXPECT_EQ(ParseCommandLine({"--list-devices"}).options.mode, Mode::ListDevices);
  EXPECT_EQ(ParseCommandLine({"--version"}).options.mode, Mode::Version);
}

TEST(CommandLine, StartPositionForms) {
  using Unit = StartPosition::Unit;
  EXPECT_EQ(ParseStartPosition("1920"), (StartPosition{Unit::Ticks, 1920}));
  EXPECT_EQ(ParseStartPosition("0:07"), (StartPosition{Unit::Seconds, 7}));
  EXPECT_EQ(ParseStartPosition("12:00"), (StartPosition{Unit::Seconds, 720}));
  for (const char* bad : {"", ":", "1:5", "1:5x", "a:00", "1:00:00", "99999999999", "0x10"})
    EXPECT_FALSE(ParseStartPosition(bad)) << bad;
}

}  // namespace
}  // namespace midiplay
