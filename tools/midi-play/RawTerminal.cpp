#include "RawTerminal.h"

#include <unistd.h>

namespace midiplay {

RawTerminal::RawTerminal(int fd) : fd_(fd) {
  if (!::isatty(fd_) || ::tcgetattr(fd_, &saved_) != 0) return;
  termios raw = saved_;
  // Ctrl-C and Ctrl-Z arrive as keys (ISIG off): the player quits cleanly
  // instead of being stopped with the terminal left raw.
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO | ISIG | IEXTEN));
  raw.c_iflag &= static_cast<tcflag_t>(~(IXON | ICRNL));
  raw.c_cc[VMIN] = 0;
  raw.c_cc[VTIME] = 0;
  active_ = ::tcsetattr(fd_, TCSANOW, &raw) == 0;
}

RawTerminal::~RawTerminal() {
  if (active_) ::tcsetattr(fd_, TCSANOW, &saved_);
}

}  // namespace midiplay
