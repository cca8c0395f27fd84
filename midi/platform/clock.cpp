#include "clock.h"

#include <algorithm>
#include <atomic>
#include <chrono>

#include "internal.h"

namespace mm::clock {
namespace {

std::atomic<bool> virtualMode{false};
std::atomic<int64_t> virtualNow{0};
std::atomic<uint64_t> epoch{0};

std::optional<int64_t> Earliest(std::optional<int64_t> a, std::optional<int64_t> b) {
  if (!a) return b;
  if (!b) return a;
  return std::min(*a, *b);
}

void DispatchUntilIdle() {
  while (detail::DispatchWaiting()) {
  }
}

}  // namespace

int64_t RealNowMicros() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

int64_t VirtualNowMicros() { return virtualNow.load(); }

int64_t NowMicros() { return virtualMode.load() ? virtualNow.load() : RealNowMicros(); }

bool IsVirtual() { return virtualMode.load(); }

void UseVirtual(int64_t startMicros) {
  virtualNow.store(startMicros);
  virtualMode.store(true);
  epoch.fetch_add(1);
  detail::WakeWaiters();
}

void UseReal() {
  virtualMode.store(false);
  epoch.fetch_add(1);
  detail::WakeWaiters();
}

std::optional<int64_t> NextDeadline() {
  if (!IsVirtual()) return detail::NextTimerDue();
  return Earliest(detail::NextVirtualStreamDue(), detail::NextTimerDue());
}

// Steps from one due time to the next, so every event and timer sees the
// clock at its own due time, and the messages they post are handled before
// anything later runs.
bool AdvanceTo(int64_t t) {
  if (!IsVirtual()) return false;
  for (;;) {
    DispatchUntilIdle();
    auto next = NextDeadline();
    if (!next || *next > t) break;
    if (*next > virtualNow.load()) virtualNow.store(*next);
    detail::RunVirtualStreamsUntil(virtualNow.load());
  }
  if (t > virtualNow.load()) virtualNow.store(t);
  DispatchUntilIdle();
  return true;
}

bool AdvanceBy(int64_t deltaMicros) { return AdvanceTo(NowMicros() + deltaMicros); }

RunResult RunAsFastAsPossible(const std::function<bool()>& stop) {
  if (!IsVirtual()) return RunResult::NotVirtual;
  for (;;) {
    DispatchUntilIdle();
    if (stop && stop()) return RunResult::Stopped;
    auto next = NextDeadline();
    if (!next) return RunResult::Idle;
    AdvanceTo(std::max(*next, virtualNow.load()));
  }
}

VirtualClockGuard::VirtualClockGuard(int64_t startMicros)
    : wasVirtual_(IsVirtual()), previousNow_(virtualNow.load()) {
  UseVirtual(startMicros);
}

VirtualClockGuard::~VirtualClockGuard() {
  if (wasVirtual_) {
    UseVirtual(previousNow_);
  } else {
    UseReal();
  }
}

}  // namespace mm::clock

namespace mm::detail {
uint64_t ClockEpoch() { return clock::epoch.load(); }
}  // namespace mm::detail
