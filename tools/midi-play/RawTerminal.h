// Keyboard input without line buffering or echo while the object lives; the
// terminal's previous settings come back when it ends, on every way out
// (quit, end of the list, Ctrl-C, an error unwinding the stack).
#pragma once

#include <termios.h>

namespace midiplay {

class RawTerminal {
 public:
  // Does nothing when fd is not a terminal.
  explicit RawTerminal(int fd);
  ~RawTerminal();
  RawTerminal(const RawTerminal&) = delete;
  RawTerminal& operator=(const RawTerminal&) = delete;

  bool Active() const noexcept { return active_; }

 private:
  int fd_;
  bool active_ = false;
  termios saved_{};
};

}  // namespace midiplay
