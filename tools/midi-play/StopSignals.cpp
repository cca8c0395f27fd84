#include "StopSignals.h"

#include <iterator>

namespace midiplay {
namespace {

volatile std::sig_atomic_t gStop = 0;
volatile std::sig_atomic_t gResized = 0;

extern "C" void OnSignal(int signal) {
  if (signal == SIGWINCH) {
    gResized = 1;
  } else {
    gStop = 1;
  }
}

}  // namespace

StopSignals::StopSignals() {
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &action, &saved_[i]);
}

StopSignals::~StopSignals() {
  for (size_t i = 0; i < std::size(kSignals); ++i) sigaction(kSignals[i], &saved_[i], nullptr);
}

bool StopSignals::StopRequested() noexcept { return gStop != 0; }

bool StopSignals::TakeResized() noexcept {
  bool resized = gResized != 0;
  gResized = 0;
  return resized;
}

void StopSignals::RequestStop() noexcept { gStop = 1; }

}  // namespace midiplay
