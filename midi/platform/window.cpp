#include "window.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <unordered_map>
#include <utility>
#include <vector>

#include "clock.h"
#include "internal.h"

namespace mm {
namespace {

struct Message {
  HWND hwnd;
  UINT msg;
  WPARAM wParam;
  LPARAM lParam;
};

struct Timer {
  uintptr_t id;
  int64_t intervalMicros;
  int64_t due;
  uint64_t epoch;   // clock mode it was counted in
  uint64_t serial;  // a new one at every SetTimer
};

// A WM_TIMER collected for dispatch, with the setting of the timer it came from.
struct TimerTick {
  Message message;
  uint64_t serial;
};

struct Window {
  std::thread::id owner;
  std::string caption;
  WNDPROC proc;
  std::vector<Timer> timers;
};

// Every window, every thread's queue, under one lock. A post wakes all
// waiters; each looks only at its own queue.
struct WindowState {
  std::mutex lock;
  std::condition_variable posted;
  std::unordered_map<HWND, Window> windows;
  std::unordered_map<std::thread::id, std::deque<Message>> queues;
  HWND nextHandle = 1;
  uint64_t nextTimerSerial = 1;
};

WindowState& State() {
  static detail::NoDestructor<WindowState> state;
  return state.get();
}

Window* Find(WindowState& s, HWND hwnd) {
  auto it = s.windows.find(hwnd);
  return it == s.windows.end() ? nullptr : &it->second;
}

// A timer counted in an earlier clock mode starts its interval again.
void Refresh(Timer& t, int64_t now) {
  uint64_t epoch = detail::ClockEpoch();
  if (t.epoch != epoch) {
    t.epoch = epoch;
    t.due = now + t.intervalMicros;
  }
}

// The earliest due timer of the calling thread's windows; the lock is held.
std::optional<int64_t> EarliestTimer(WindowState& s, std::thread::id self, int64_t now) {
  std::optional<int64_t> best;
  for (auto& [hwnd, w] : s.windows) {
    if (w.owner != self) continue;
    for (auto& t : w.timers) {
      Refresh(t, now);
      if (!best || t.due < *best) best = t.due;
    }
  }
  return best;
}

// WM_TIMER for every due timer of the calling thread, earliest first. The
// next due time stays on the timer's own grid: missed intervals are skipped,
// never shifted.
void CollectDueTimers(WindowState& s, std::thread::id self, int64_t now, std::vector<TimerTick>& out) {
  std::vector<std::pair<int64_t, TimerTick>> due;
  for (auto& [hwnd, w] : s.windows) {
    if (w.owner != self) continue;
    for (auto& t : w.timers) {
      Refresh(t, now);
      if (t.due > now) continue;
      due.push_back({t.due, TimerTick{Message{hwnd, WM_TIMER, t.id, 0}, t.serial}});
      t.due += t.intervalMicros * ((now - t.due) / t.intervalMicros + 1);
    }
  }
  std::stable_sort(due.begin(), due.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  for (auto& d : due) out.push_back(d.second);
}

// Whether the timer that produced a collected tick is still set as it was:
// a tick of a timer killed or set again since is dropped.
bool TimerStillSet(const TimerTick& tick) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, tick.message.hwnd);
  if (!w) return false;
  return std::any_of(w->timers.begin(), w->timers.end(), [&](const Timer& t) {
    return t.id == tick.message.wParam && t.serial == tick.serial;
  });
}

void Dispatch(const Message& m) {
  WNDPROC proc;
  {
    auto& s = State();
    std::lock_guard lock(s.lock);
    Window* w = Find(s, m.hwnd);
    if (!w) return;  // destroyed since it was posted
    proc = w->proc;
  }
  CallWindowProcA(proc, m.hwnd, m.msg, m.wParam, m.lParam);
}

}  // namespace

LRESULT DefWindowProcA(HWND, UINT, WPARAM, LPARAM) { return 0; }

HWND CreateMessageWindow(const std::string& caption, WNDPROC proc) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  HWND hwnd = s.nextHandle++;
  s.windows.emplace(hwnd, Window{std::this_thread::get_id(), caption, proc, {}});
  return hwnd;
}

bool DestroyWindow(HWND hwnd) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  auto it = s.windows.find(hwnd);
  if (it == s.windows.end()) return false;
  auto q = s.queues.find(it->second.owner);
  if (q != s.queues.end()) {
    std::erase_if(q->second, [hwnd](const Message& m) { return m.hwnd == hwnd; });
  }
  s.windows.erase(it);
  return true;
}

bool IsWindow(HWND hwnd) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return Find(s, hwnd) != nullptr;
}

std::string GetWindowTextA(HWND hwnd) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, hwnd);
  return w ? w->caption : std::string();
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, hwnd);
  if (!w) return nullptr;
  return std::exchange(w->proc, proc);
}

WNDPROC GetWindowProc(HWND hwnd) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, hwnd);
  return w ? w->proc : nullptr;
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return proc ? proc(hwnd, msg, wParam, lParam) : 0;
}

bool PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  auto& s = State();
  bool toOtherThread = false;
  {
    std::lock_guard lock(s.lock);
    Window* w = Find(s, hwnd);
    if (!w) return false;
    s.queues[w->owner].push_back(Message{hwnd, msg, wParam, lParam});
    toOtherThread = w->owner != std::this_thread::get_id();
  }
  // A thread posting to its own window is awake: nobody needs waking.
  if (toOtherThread) s.posted.notify_all();
  return true;
}

void PumpMessages() { detail::DispatchWaiting(); }

bool WaitAndDispatch(int timeoutMs) {
  using std::chrono::microseconds;
  using std::chrono::steady_clock;
  auto& s = State();
  auto self = std::this_thread::get_id();
  const auto limit = steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
  // The streams that notify this thread are played by it while it waits:
  // one wake-up per group of events instead of a hand-over between threads.
  const auto streamDue = detail::BeginOwnerWait();
  {
    std::unique_lock lock(s.lock);
    for (;;) {
      auto q = s.queues.find(self);
      if (q != s.queues.end() && !q->second.empty()) break;
      int64_t now = clock::NowMicros();
      auto timer = EarliestTimer(s, self, now);
      if (timer && *timer <= now) break;
      if (streamDue && *streamDue <= clock::RealNowMicros()) break;
      // Real timers are waited for on the steady clock; virtual ones only
      // fall due when the virtual clock is advanced.
      std::optional<steady_clock::time_point> until;
      if (timeoutMs >= 0) until = limit;
      if (timer && !clock::IsVirtual()) {
        auto t = steady_clock::time_point(microseconds(*timer));
        if (!until || t < *until) until = t;
      }
      if (streamDue) {
        auto t = steady_clock::time_point(microseconds(*streamDue));
        if (!until || t < *until) until = t;
      }
      if (!until) {
        s.posted.wait(lock);
      } else if (s.posted.wait_until(lock, *until) == std::cv_status::timeout && timeoutMs >= 0 &&
                 steady_clock::now() >= limit) {
        break;
      }
    }
  }
  detail::EndOwnerWait();
  return detail::DispatchWaiting();
}

bool SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs) {
  auto& s = State();
  {
    std::lock_guard lock(s.lock);
    Window* w = Find(s, hwnd);
    if (!w) return false;
    int64_t interval = std::max<int64_t>(elapseMs, 1) * 1000;  // a zero interval would fire without end
    Timer t{id, interval, clock::NowMicros() + interval, detail::ClockEpoch(), s.nextTimerSerial++};
    auto it = std::find_if(w->timers.begin(), w->timers.end(), [id](const Timer& x) { return x.id == id; });
    if (it != w->timers.end()) {
      *it = t;
    } else {
      w->timers.push_back(t);
    }
  }
  s.posted.notify_all();  // a waiting loop must now also wait for this timer
  return true;
}

bool KillTimer(HWND hwnd, uintptr_t id) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, hwnd);
  if (!w) return false;
  return std::erase_if(w->timers, [id](const Timer& x) { return x.id == id; }) > 0;
}

namespace detail {

std::optional<std::thread::id> WindowOwner(HWND hwnd) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  Window* w = Find(s, hwnd);
  if (!w) return std::nullopt;
  return w->owner;
}

std::optional<int64_t> NextTimerDue() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return EarliestTimer(s, std::this_thread::get_id(), clock::NowMicros());
}

// Messages are taken from the front of the queue one at a time, so a
// procedure that pumps again (a nested yield) keeps them in order. Only as
// many as were waiting on entry are handled; due timers come after them.
bool DispatchWaiting() {
  auto& s = State();
  auto self = std::this_thread::get_id();
  size_t waiting = 0;
  std::vector<TimerTick> timers;
  {
    std::lock_guard lock(s.lock);
    waiting = s.queues[self].size();
    CollectDueTimers(s, self, clock::NowMicros(), timers);
  }
  size_t handled = 0;
  for (; handled < waiting; ++handled) {
    Message m{};
    {
      std::lock_guard lock(s.lock);
      auto& q = s.queues[self];
      if (q.empty()) break;  // a nested pump took them
      m = q.front();
      q.pop_front();
    }
    Dispatch(m);
  }
  for (const auto& tick : timers) {
    if (TimerStillSet(tick)) Dispatch(tick.message);
  }
  return handled > 0 || !timers.empty();
}

void WakeWaiters() { State().posted.notify_all(); }

}  // namespace detail
}  // namespace mm
