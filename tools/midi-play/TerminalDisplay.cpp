#include "TerminalDisplay.h"

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

void RenderProgressLine::Show(const DisplayState& state, const std::string& target) {
  auto now = Clock::now();
  if (now - lastDraw_ < kRenderLinePeriod) return;
  lastDraw_ = now;
  constexpr int kBarWidth = 30;
  double fraction = state.songTicks > 0 ? std::clamp(static_cast<double>(state.ticks) / state.songTicks, 0.0, 1.0) : 0;
  int filled = static_cast<int>(std::lround(fraction * kBarWidth));
  std::string line = "\r rendering " + EscapeControls(target) + " [" + std::string(static_cast<size_t>(filled), '=') +
                     std::string(static_cast<size_t>(kBarWidth - filled), '-') + "] " + state.clockText + " / " +
                     state.lengthText + "\x1b[K";
  WriteAll(fd_, line);
  shown_ = true;
}

void RenderProgressLine::Finish() {
  if (shown_) WriteAll(fd_, "\r\x1b[K");
  shown_ = false;
}

}  // namespace midiplay
