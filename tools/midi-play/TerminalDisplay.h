// The live display on a terminal: the screen layout of the watcher's state,
// redrawn only when something changed and at most 20 times a second.
#pragma once

#include <chrono>

#include "SongWatcher.h"
#include "TerminalScreen.h"

namespace midiplay {

class TerminalDisplay {
 public:
  explicit TerminalDisplay(int fd) : screen_(fd) {}

  void Refresh(SongWatcher& watcher);
  void Invalidate() { screen_.Invalidate(); }

 private:
  TerminalScreen screen_;
  std::chrono::steady_clock::time_point lastDraw_{};
};

// One line on a terminal that shows how far a render has come, rewritten
// in place (at most 10 times a second) and ended with a newline.
class RenderProgressLine {
 public:
  explicit RenderProgressLine(int fd) : fd_(fd) {}
  ~RenderProgressLine() { Finish(); }
  RenderProgressLine(const RenderProgressLine&) = delete;
  RenderProgressLine& operator=(const RenderProgressLine&) = delete;

  void Show(const DisplayState& state, const std::string& target);
  void Finish();

 private:
  int fd_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace midiplay
