// Hooks between the clock, the streams and the windows of the platform
// layer. Not for clients.
#pragma once

#include <cstdint>
#include <optional>

namespace mm::detail {

// Streams opened in virtual mode (mmsystem.cpp).
std::optional<int64_t> NextVirtualStreamDue();
void RunVirtualStreamsUntil(int64_t t);

// The calling thread's windows (window.cpp).
std::optional<int64_t> NextTimerDue();
// Dispatches what is waiting (due timers included); true if anything was.
bool DispatchWaiting();
// Wakes threads blocked in WaitAndDispatch so they look at their timers again.
void WakeWaiters();

// Counts switches of the clock mode; timers set before a switch restart.
uint64_t ClockEpoch();

}  // namespace mm::detail
