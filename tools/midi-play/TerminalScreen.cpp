#include "TerminalScreen.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace midiplay {
namespace {

constexpr const char* kEnter = "\x1b[?1049h\x1b[?25l";  // alternate screen, cursor hidden
constexpr const char* kLeave = "\x1b[0m\x1b[?25h\x1b[?1049l";
constexpr const char* kHighlight = "\x1b[7m";         // reverse video
constexpr const char* kBold = "\x1b[1m";
constexpr const char* kPlain = "\x1b[0m";

std::string Row(size_t index, const ScreenLine& line) {
  std::string out = "\x1b[" + std::to_string(index + 1) + ";1H";
  std::string text = line.text;
  if (line.highlightEnd > line.highlightBegin) {
    text = text.substr(0, line.highlightBegin) + kHighlight +
           text.substr(line.highlightBegin, line.highlightEnd - line.highlightBegin) + kPlain +
           (line.bold ? kBold : "") + text.substr(line.highlightEnd);
  }
  if (line.bold) out += kBold;
  out += text;
  out += kPlain;
  out += "\x1b[K";  // clear the rest of the row
  return out;
}

}  // namespace

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

TerminalScreen::TerminalScreen(int fd) : fd_(fd) { WriteAll(fd_, kEnter); }

TerminalScreen::~TerminalScreen() { WriteAll(fd_, kLeave); }

ScreenSize TerminalScreen::Size() const {
  winsize ws{};
  if (::ioctl(fd_, TIOCGWINSZ, &ws) != 0 || ws.ws_col == 0 || ws.ws_row == 0) return {};
  return {ws.ws_col, ws.ws_row};
}

void TerminalScreen::Draw(const std::vector<ScreenLine>& lines) {
  std::string out;
  if (clearFirst_) out += "\x1b[2J";
  for (size_t i = 0; i < lines.size(); ++i) {
    if (!clearFirst_ && i < shown_.size() && shown_[i] == lines[i]) continue;
    out += Row(i, lines[i]);
  }
  if (out.empty()) return;
  WriteAll(fd_, out);
  shown_ = lines;
  clearFirst_ = false;
}

void TerminalScreen::Invalidate() {
  shown_.clear();
  clearFirst_ = true;
}

}  // namespace midiplay
