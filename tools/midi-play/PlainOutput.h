// The player's output when standard output is not a terminal: one line per
// thing that happens (a song starts, its status changes, a lyric line
// starts, once a second the clock), flushed at once.
#pragma once

#include <cstdio>
#include <string>

#include "DisplayState.h"
#include "SongWatcher.h"

namespace midiplay {

class PlainOutput {
 public:
  explicit PlainOutput(std::FILE* out) : out_(out) {}

  void SongStarted(const DisplayState& state);
  void OnNotice(const Notice& notice);
  void Line(const std::string& text);

 private:
  std::FILE* out_;
  int lastStatus_ = -1;
  std::string lengthText_;
};

}  // namespace midiplay
