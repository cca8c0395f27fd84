// midi-play's command line: what the user asked for, checked before anything
// is opened or played.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace midiplay {

enum class Mode { Play, Info, Dump, ListDevices, Help, Version };

// --start: a tick of the song, or a song time in seconds (from m:ss).
struct StartPosition {
  enum class Unit { Ticks, Seconds } unit = Unit::Ticks;
  int32_t value = 0;
  bool operator==(const StartPosition&) const = default;
};

struct Options {
  Mode mode = Mode::Play;
  std::vector<std::string> files;
  std::optional<int16_t> device;       // --device; unset: the default device
  std::optional<std::string> wavOut;   // --wav
  std::optional<std::string> soundFont;
  int16_t transpose = 0;               // semitones
  int16_t speed = 0;                   // the Velocity setting: 10 = half speed, -5 = double
  std::optional<StartPosition> start;
  std::array<bool, 16> muted{};        // index 0 = channel 1
  bool silent = false;                 // play in real time on a device that sounds nothing
};

// The options, or the one-line reason why the command line is wrong.
struct ParsedCommandLine {
  Options options;
  std::string error;
  bool Ok() const noexcept { return error.empty(); }
};

// args: the arguments after the program name.
ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// "m:ss" or a plain tick count; nullopt when it is neither.
std::optional<StartPosition> ParseStartPosition(const std::string& text);

std::string HelpText();
std::string VersionText();

// The limits the options accept.
constexpr int kMinTranspose = -48;
constexpr int kMaxTranspose = 48;
constexpr int kMinSpeed = -9;
constexpr int kMaxSpeed = 20;

}  // namespace midiplay
