#include "KeyInput.h"

#include <poll.h>
#include <unistd.h>

#include <string>

namespace midiplay {

std::vector<KeyCommand> DecodeKeys(std::string_view bytes) {
  using Kind = KeyCommand::Kind;
  std::vector<KeyCommand> commands;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    // Arrow keys: ESC [ C / ESC [ D, or ESC O C / ESC O D in application mode.
    if (c == '\x1b' && i + 2 < bytes.size() && (bytes[i + 1] == '[' || bytes[i + 1] == 'O')) {
      char final = bytes[i + 2];
      if (final == 'C') commands.push_back({Kind::SeekForward});
      if (final == 'D') commands.push_back({Kind::SeekBack});
      i += 2;
      continue;
    }
    switch (c) {
      case ' ': commands.push_back({Kind::PauseResume}); break;
      case 'q': case 'Q': commands.push_back({Kind::Quit}); break;
      case '\x03': commands.push_back({Kind::Interrupt}); break;
      case '+': case '=': commands.push_back({Kind::TransposeUp}); break;
      case '-': case '_': commands.push_back({Kind::TransposeDown}); break;
      case '[': commands.push_back({Kind::Slower}); break;
      case ']': commands.push_back({Kind::Faster}); break;
      case 'n': case 'N': commands.push_back({Kind::NextFile}); break;
      case 'p': case 'P': commands.push_back({Kind::PreviousFile}); break;
      default:
        if (c >= '1' && c <= '9') commands.push_back({Kind::ToggleMute, c - '1'});
        if (c == '0') commands.push_back({Kind::ToggleMute, 9});
        break;
    }
  }
  return commands;
}

std::vector<KeyCommand> ReadWaitingKeys(int fd) {
  std::string bytes;
  pollfd p{fd, POLLIN, 0};
  while (::poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
    char buffer[64];
    ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    bytes.append(buffer, static_cast<size_t>(n));
  }
  return DecodeKeys(bytes);
}

}  // namespace midiplay
