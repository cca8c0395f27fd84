// Everything the player shows about the song that is playing, as the
// component's events and the player's own settings leave it. The screen
// layout is a function of this state alone.
#pragma once

#include <array>
#include <cstdint>
#include <string>

namespace midiplay {

struct ChannelView {
  bool used = false;
  bool muted = false;
  std::string instrument;  // General MIDI name; channel 10 is shown as drums
  double level = 0;        // 0..127, falls back while no new note comes
};

struct LyricView {
  std::string phrase;      // the line being sung
  size_t sungChars = 0;    // characters of it sung so far
  std::string nextPhrase;  // the line after it
};

struct DisplayState {
  std::string path;        // as given on the command line
  int fileNumber = 1;      // 1-based, of fileCount
  int fileCount = 1;
  int16_t status = 6;
  std::array<std::string, 3> titles;
  std::string lengthText = "00:00:00";
  std::string timeSignature;
  std::string clockText = "00:00:00";
  int32_t ticks = 0;
  int32_t songTicks = 0;
  LyricView lyric;
  std::array<ChannelView, 16> channels;
  int16_t transpose = 0;
  int16_t speed = 0;
  std::string device;      // where the sound goes
};

// The song's title to show: its first title, or the file's name when the
// song has none of its own (the component then gives the path it was opened with).
std::string ShownTitle(const DisplayState& state);

// How much of the song has played, 0..1, for the progress bars: by the
// clock against the length, so that the bar agrees with the times beside it
// in a song whose tempo changes; by ticks while the length is not known in
// seconds (or is under one).
double PlayedFraction(const DisplayState& state);

}  // namespace midiplay
