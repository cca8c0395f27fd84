// The terminal display as a function of the player's state: one line per
// screen row, each no wider than the screen, with the part to highlight (the
// sung part of the lyric line). Testable without a terminal.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "DisplayState.h"

namespace midiplay {

struct ScreenSize {
  int columns = 80;
  int rows = 24;
};

struct ScreenLine {
  std::string text;         // printable: control characters already escaped
  size_t highlightBegin = 0;  // byte range of text shown highlighted
  size_t highlightEnd = 0;
  bool bold = false;
  bool operator==(const ScreenLine&) const = default;
};

// Exactly size.rows lines (fewer rows drop the channel meters first).
std::vector<ScreenLine> LayoutScreen(const DisplayState& state, ScreenSize size);

// "Playing", "Paused", ... for a status code.
std::string StatusWord(int16_t status);
// The speed setting as a percentage of the song's tempo (10 = half speed: 50%).
int SpeedPercent(int16_t speed);

}  // namespace midiplay
