// Hooks between the clock, the streams and the windows of the platform
// layer. Not for clients.
#pragma once

#include <cstdint>
#include <new>
#include <optional>
#include <thread>
#include <utility>

#include "mmsystem.h"

namespace mm::detail {

// Process-wide state that is built on first use and never destroyed, so
// that code running while the process exits (the player's store releasing
// its last object, which closes its stream) still finds windows, streams and
// devices in place.
template <class T>
class NoDestructor {
 public:
  template <class... Args>
  explicit NoDestructor(Args&&... args) {
    ::new (static_cast<void*>(storage_)) T(std::forward<Args>(args)...);
  }
  NoDestructor(const NoDestructor&) = delete;
  NoDestructor& operator=(const NoDestructor&) = delete;
  T& get() noexcept { return *std::launder(reinterpret_cast<T*>(storage_)); }

 private:
  alignas(T) unsigned char storage_[sizeof(T)];
};

// Streams opened in virtual mode (mmsystem.cpp).
std::optional<int64_t> NextVirtualStreamDue();
void RunVirtualStreamsUntil(int64_t t);

// Real-time streams whose callback window belongs to the calling thread
// (mmsystem.cpp). While that thread waits for messages it plays them itself:
// BeginOwnerWait hands their timing to it and gives the earliest due time
// (steady microseconds); EndOwnerWait plays what is due and hands the rest
// back to the streams' drivers.
std::optional<int64_t> BeginOwnerWait();
void EndOwnerWait();

// The calling thread's windows (window.cpp).
std::optional<int64_t> NextTimerDue();
// Dispatches what is waiting (due timers included); true if anything was.
bool DispatchWaiting();
// The thread that owns a window, if it exists.
std::optional<std::thread::id> WindowOwner(HWND hwnd);
// Wakes threads blocked in WaitAndDispatch so they look at their timers again.
void WakeWaiters();

// Counts switches of the clock mode; timers set before a switch restart.
uint64_t ClockEpoch();

}  // namespace mm::detail
