// The player's keys: decoding the bytes a terminal sends, and reading what
// is waiting on standard input without blocking.
#pragma once

#include <string_view>
#include <vector>

namespace midiplay {

struct KeyCommand {
  enum class Kind {
    PauseResume, Quit, Interrupt, SeekBack, SeekForward, TransposeUp, TransposeDown, Slower, Faster,
    ToggleMute, NextFile, PreviousFile
  };
  Kind kind;
  int channel = 0;  // ToggleMute: 0-based channel
  bool operator==(const KeyCommand&) const = default;
};

// The commands in the bytes, in order; other bytes are ignored.
std::vector<KeyCommand> DecodeKeys(std::string_view bytes);

// The commands waiting on fd now (none when nothing is waiting).
std::vector<KeyCommand> ReadWaitingKeys(int fd);

}  // namespace midiplay
