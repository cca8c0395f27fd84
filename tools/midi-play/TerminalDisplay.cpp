#include "TerminalDisplay.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cmath>

#include "TextSafety.h"

namespace midiplay {
namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kDisplayPeriod = std::chrono::milliseconds(50);
constexpr auto kRenderLinePeriod = std::chrono::milliseconds(100);

}  // namespace

void TerminalDisplay::Refresh(SongWatcher& watcher) {
  auto now = Clock::now();
  if (now - lastDraw_ < kDisplayPeriod || !watcher.TakeChanged()) return;
  lastDraw_ = now;
  screen_.Draw(LayoutScreen(watcher.State(), screen_.Size()));
}

// One line that never wraps: the bar shrinks first, then the file's name is
// cut from the left so that its end, the name itself, stays in view.
void RenderProgressLine::Show(const DisplayState& state, const std::string& target) {
  auto now = Clock::now();
  if (now - lastDraw_ < kRenderLinePeriod) return;
  lastDraw_ = now;
  winsize ws{};
  const size_t columns = ::ioctl(fd_, TIOCGWINSZ, &ws) == 0 && ws.ws_col > 0 ? ws.ws_col : 80;
  const std::string times = "] " + state.clockText + " / " + state.lengthText;
  const std::string lead = " rendering ";
  std::string name = EscapeControls(target);
  // Room for the name with the smallest bar, leaving the last column free.
  constexpr size_t kMinBar = 10, kMaxBar = 30;
  const size_t fixed = lead.size() + 2 + kMinBar + times.size() + 1;
  const size_t room = columns > fixed ? columns - fixed : 0;
  const size_t nameChars = CharCount(name);
  if (nameChars > room) {
    name = room > 3 ? "..." + std::string(name.substr(ByteOffsetOfChar(name, nameChars - (room - 3)))) : "";
  }
  const size_t used = lead.size() + CharCount(name) + 2 + times.size() + 1;
  const size_t bar = std::clamp(columns > used ? columns - used : kMinBar, kMinBar, kMaxBar);
  const auto filled = static_cast<size_t>(std::lround(PlayedFraction(state) * static_cast<double>(bar)));
  const std::string line = "\r" + lead + name + " [" + std::string(filled, '=') + std::string(bar - filled, '-') +
                           times + "\x1b[K";
  WriteAll(fd_, line);
  shown_ = true;
}

void RenderProgressLine::Finish() {
  if (shown_) WriteAll(fd_, "\r\x1b[K");
  shown_ = false;
}

}  // namespace midiplay
