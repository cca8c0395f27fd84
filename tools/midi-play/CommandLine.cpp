#include "CommandLine.h"

#include <charconv>
#include <functional>

#include "TextSafety.h"

#ifndef SONARA_VERSION
#define SONARA_VERSION "unknown"
#endif

namespace midiplay {
namespace {

// A whole decimal integer within [low, high]; nothing else is accepted.
std::optional<int> ParseInteger(const std::string& text, int low, int high) {
  int value = 0;
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, value);
  if (ec != std::errc() || ptr != end || text.empty() || value < low || value > high) return std::nullopt;
  return value;
}

// "1,2,10": each channel 1 to 16.
bool ParseChannelList(const std::string& text, std::array<bool, 16>& muted) {
  size_t start = 0;
  for (;;) {
    size_t comma = text.find(',', start);
    auto channel = ParseInteger(text.substr(start, comma - start), 1, 16);
    if (!channel) return false;
    muted[static_cast<size_t>(*channel - 1)] = true;
    if (comma == std::string::npos) return true;
    start = comma + 1;
  }
}

std::string BadValue(const std::string& option, const std::string& value, const std::string& expected) {
  return "bad value '" + EscapeControls(value) + "' for " + option + " (expected " + expected + ")";
}

class Parser {
 public:
  ParsedCommandLine Parse(const std::vector<std::string>& args) {
    bool optionsEnded = false;
    for (size_t i = 0; i < args.size() && result_.Ok(); ++i) {
      const std::string& arg = args[i];
      if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
        result_.options.files.push_back(arg);
      } else if (arg == "--") {
        optionsEnded = true;
      } else {
        ParseOption(args, i);
      }
    }
    if (result_.Ok()) CheckCombination();
    return result_;
  }

 private:
  void ParseOption(const std::vector<std::string>& args, size_t& i) {
    std::string name = args[i];
    std::optional<std::string> inlineValue;
    if (size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
      inlineValue = name.substr(eq + 1);
      name.resize(eq);
    }
    if (auto flag = FlagOption(name)) {
      if (inlineValue) return Fail("option " + name + " takes no value");
      (*flag)();
      return;
    }
    if (!TakesValue(name)) return Fail("unknown option " + EscapeControls(name) + " (see --help)");
    std::string value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < args.size()) {
      value = args[++i];
    } else {
      return Fail("option " + name + " needs a value");
    }
    SetValue(name, value);
  }

  std::optional<std::function<void()>> FlagOption(const std::string& name) {
    Options& o = result_.options;
    if (name == "--help" || name == "-h") return [&o] { o.mode = Mode::Help; };
    if (name == "--version") return [&o] { o.mode = Mode::Version; };
    if (name == "--info") return [this] { SetMode(Mode::Info, "--info"); };
    if (name == "--dump") return [this] { SetMode(Mode::Dump, "--dump"); };
    if (name == "--list-devices") return [this] { SetMode(Mode::ListDevices, "--list-devices"); };
    if (name == "--silent") return [&o] { o.silent = true; };
    return std::nullopt;
  }

  static bool TakesValue(const std::string& name) {
    static const char* const kNames[] = {"--device", "--wav", "--soundfont", "--transpose", "--speed", "--start",
                                         "--mute"};
    for (const char* n : kNames)
      if (name == n) return true;
    return false;
  }

  void SetValue(const std::string& name, const std::string& value) {
    Options& o = result_.options;
    if (name == "--device") {
      auto n = ParseInteger(value, -1, 32767);
      if (!n) return Fail(BadValue(name, value, "a device number, or -1 for the first device"));
      o.device = static_cast<int16_t>(*n);
    } else if (name == "--wav" || name == "--soundfont") {
      if (value.empty()) return Fail("option " + name + " needs a path");
      (name == "--wav" ? o.wavOut : o.soundFont) = value;
    } else if (name == "--transpose") {
      auto n = ParseInteger(value, kMinTranspose, kMaxTranspose);
      if (!n) return Fail(BadValue(name, value, "semitones from -48 to 48"));
      o.transpose = static_cast<int16_t>(*n);
    } else if (name == "--speed") {
      auto n = ParseInteger(value, kMinSpeed, kMaxSpeed);
      if (!n) return Fail(BadValue(name, value, "a speed setting from -9 to 20"));
      o.speed = static_cast<int16_t>(*n);
    } else if (name == "--start") {
      o.start = ParseStartPosition(value);
      if (!o.start) return Fail(BadValue(name, value, "ticks, or m:ss"));
    } else if (name == "--mute") {
      if (!ParseChannelList(value, o.muted)) return Fail(BadValue(name, value, "channels 1 to 16, as 1,2,10"));
    }
  }

  void SetMode(Mode mode, const char* name) {
    Mode& current = result_.options.mode;
    if (current == Mode::Help || current == Mode::Version) return;
    if (current != Mode::Play && current != mode) return Fail(std::string("option ") + name +
                                                              " cannot be combined with --info, --dump or --list-devices");
    current = mode;
  }

  void CheckCombination() {
    const Options& o = result_.options;
    if (o.mode == Mode::Help || o.mode == Mode::Version || o.mode == Mode::ListDevices) return;
    if (o.files.empty()) return Fail("no song file given (see --help)");
    if (o.silent && o.wavOut) return Fail("--silent and --wav cannot be combined");
  }

  void Fail(std::string message) {
    if (result_.Ok()) result_.error = std::move(message);
  }

  ParsedCommandLine result_;
};

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) { return Parser().Parse(args); }

std::optional<StartPosition> ParseStartPosition(const std::string& text) {
  size_t colon = text.find(':');
  if (colon == std::string::npos) {
    auto ticks = ParseInteger(text, 0, INT32_MAX);
    if (!ticks) return std::nullopt;
    return StartPosition{StartPosition::Unit::Ticks, *ticks};
  }
  std::string secondsText = text.substr(colon + 1);
  auto minutes = ParseInteger(text.substr(0, colon), 0, 35000);
  auto seconds = secondsText.size() == 2 ? ParseInteger(secondsText, 0, 59) : std::nullopt;
  if (!minutes || !seconds) return std::nullopt;
  return StartPosition{StartPosition::Unit::Seconds, *minutes * 60 + *seconds};
}

std::string HelpText() {
  return R"(usage: midi-play [options] FILE...

Plays MIDI and karaoke files in order on the default output device, showing
titles, progress, the lyrics line by line and a level meter per channel.
Where no audio output can start, each file is rendered to NAME.wav in the
current folder instead (an existing file is never overwritten).

options:
  --list-devices      list the output devices and their numbers, then exit
  --device N          play on device N (-1: the first device)
  --silent            play in real time on a device that sounds nothing
  --wav OUT           render to a WAV file instead of playing (with several
                      files, or when OUT is a folder: OUT/NAME.wav)
  --soundfont SF2     the soundfont of the synthesizer and the WAV renderer
  --transpose N       shift every melodic channel by N semitones (-48..48)
  --speed N           speed setting: 0 the song's tempo, 10 half speed,
                      -5 double speed (-9..20)
  --start TIME        start each song at TIME: ticks, or m:ss
  --mute CH[,CH...]   mute channels (1..16)
  --info              print titles, length, time signature, channels with
                      their instruments and the lyrics, then exit
  --dump              print every timeline record and the lyric tables, then exit
  --help, --version

keys while playing on a terminal:
  space pause/resume   q quit   left/right seek 5 s   + - transpose
  [ ] slower/faster    1..9 and 0 mute channels 1..10   n/p next/previous file

exit codes:
  0 all went well          1 internal error      2 bad command line
  3 a file is missing, unreadable or not a song (the other files still play)
  4 the output device does not exist or cannot start
  5 the WAV file cannot be written              130 interrupted
)";
}

std::string VersionText() { return std::string("midi-play ") + SONARA_VERSION + "\n"; }

}  // namespace midiplay
