// The one time source of the platform layer, in microseconds. Streams time
// their events on it and window timers fire on it.
//
// Real mode (the default): a steady clock; streams on real devices are driven
// by their own thread.
//
// Virtual mode (tests, rendering to a file): time stands still until the
// caller advances it. AdvanceTo(t) runs, in time order, every stream event
// and every timer of the calling thread's windows that falls due up to t, and
// dispatches the window messages they post as it goes, on the calling thread,
// as the client's message loop would. A window procedure that answers
// MM_MOM_DONE with a new buffer therefore keeps its stream fed in virtual
// time, and a whole song plays in milliseconds with exact times.
//
// A stream keeps the mode it was opened in: a stream opened in real mode
// stays on the steady clock and its thread, one opened in virtual mode is
// only ever run by AdvanceTo / RunAsFastAsPossible. Streams due at the same
// instant as a timer play first. Only one thread should drive the virtual
// clock.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace mm::clock {

// The current time: steady microseconds in real mode, the virtual time in
// virtual mode.
int64_t NowMicros();
// The steady clock, whatever the mode.
int64_t RealNowMicros();
// The virtual clock's time, whatever the mode: the time of streams opened
// in virtual mode, which keep it after the clock is switched back.
int64_t VirtualNowMicros();
bool IsVirtual();

// Switches to virtual time starting at `startMicros`, or back to real time.
// Timers that are running restart their count from the new time.
void UseVirtual(int64_t startMicros = 0);
void UseReal();

// Virtual mode only (both return false in real mode and do nothing).
// Moves the time forward to `t` (never backwards), running what falls due on
// the way as described above; messages waiting at the end are dispatched.
bool AdvanceTo(int64_t t);
bool AdvanceBy(int64_t deltaMicros);

// The earliest time at which something is due: the next event of a stream
// opened in virtual mode, or the next timer of the calling thread's windows.
// Nothing pending: nullopt.
std::optional<int64_t> NextDeadline();

// Rendering as fast as possible (virtual mode): dispatch messages until
// none is waiting, then jump the clock to the next deadline and repeat.
// Returns Stopped as soon as `stop` (checked whenever the queue is idle)
// says so, Idle when nothing is pending any more, NotVirtual in real mode.
enum class RunResult { Idle, Stopped, NotVirtual };
RunResult RunAsFastAsPossible(const std::function<bool()>& stop = {});

// Switches to virtual time for a scope (a test) and restores the previous
// mode and time when it ends.
class VirtualClockGuard {
 public:
  explicit VirtualClockGuard(int64_t startMicros = 0);
  ~VirtualClockGuard();
  VirtualClockGuard(const VirtualClockGuard&) = delete;
  VirtualClockGuard& operator=(const VirtualClockGuard&) = delete;

 private:
  bool wasVirtual_;
  int64_t previousNow_;
};

}  // namespace mm::clock
