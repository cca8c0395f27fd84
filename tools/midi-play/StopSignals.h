// Signals that end or disturb the player (SIGINT, SIGTERM, SIGHUP, SIGPIPE
// when the reader of its output has gone, and SIGWINCH for a resized
// terminal) only set flags while the object lives;
// the main loop looks at them and ends the normal way, so the terminal is
// restored and no partial WAV file is left behind.
#pragma once

#include <csignal>
#include <iterator>

namespace midiplay {

class StopSignals {
 public:
  StopSignals();
  ~StopSignals();
  StopSignals(const StopSignals&) = delete;
  StopSignals& operator=(const StopSignals&) = delete;

  static bool StopRequested() noexcept;
  // Whether the terminal was resized since the last call.
  static bool TakeResized() noexcept;
  // For Ctrl-C read as a key.
  static void RequestStop() noexcept;

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGWINCH};
  struct sigaction saved_[std::size(kSignals)] = {};
};

}  // namespace midiplay
