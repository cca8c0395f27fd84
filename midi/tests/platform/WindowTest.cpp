// Message windows, window procedures, timers and message boxes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/window.h"

namespace {

struct Seen {
  char who;
  mm::UINT msg;
  mm::WPARAM wParam;
  int64_t time;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen>& Log() {
  static std::vector<Seen> log;
  return log;
}

mm::WNDPROC g_previous = nullptr;

mm::LRESULT ProcA(mm::HWND, mm::UINT msg, mm::WPARAM w, mm::LPARAM) {
  Log().push_back({'A', msg, w, mm::clock::NowMicros()});
  return 1;
}

// A subclass procedure: notes the message, then passes it on.
mm::LRESULT ProcB(mm::HWND hwnd, mm::UINT msg, mm::WPARAM w, mm::LPARAM l) {
  Log().push_back({'B', msg, w, mm::clock::NowMicros()});
  return mm::CallWindowProcA(g_previous, hwnd, msg, w, l) + 10;
}

// Timers fire at exactly their due times on the virtual clock, each on its
// own grid; killing one stops it; setting it again restarts its count.
TEST(PlatformWindow, TimersFireAtTheirVirtualTimes) {
  mm::clock::VirtualClockGuard clock;
  Log().clear();
  mm::HWND w = mm::CreateMessageWindow("timers", ProcA);
  ASSERT_TRUE(mm::SetTimer(w, 1, 1000));
  ASSERT_TRUE(mm::SetTimer(w, 2, 300));
  EXPECT_EQ(mm::clock::NextDeadline(), 300000);
  mm::clock::AdvanceTo(1'000'000);
  ASSERT_TRUE(mm::KillTimer(w, 2));
  mm::clock::AdvanceTo(1'500'000);
  ASSERT_TRUE(mm::SetTimer(w, 1, 1000));  // restarted at 1.5 s
  mm::clock::AdvanceTo(2'600'000);
  const mm::UINT T = mm::WM_TIMER;
  EXPECT_EQ(Log(), (std::vector<Seen>{{'A', T, 2, 300000},
                                      {'A', T, 2, 600000},
                                      {'A', T, 2, 900000},
                                      {'A', T, 1, 1000000},
                                      {'A', T, 1, 2500000}}));
  EXPECT_FALSE(mm::KillTimer(w, 2));
  mm::DestroyWindow(w);
  EXPECT_FALSE(mm::SetTimer(w, 1, 1000));
  EXPECT_EQ(mm::clock::NextDeadline(), std::nullopt);
}

// Subclassing puts a procedure in front and hands back the old one, which
// the new one calls on; restoring puts the old one back.
TEST(PlatformWindow, SubclassAndRestore) {
  Log().clear();
  mm::HWND w = mm::CreateMessageWindow("sub", ProcA);
  EXPECT_EQ(mm::GetWindowTextA(w), "sub");
  g_previous = mm::SetWindowProc(w, ProcB);
  EXPECT_EQ(g_previous, &ProcA);
  EXPECT_EQ(mm::GetWindowProc(w), &ProcB);
  mm::PostMessageA(w, mm::WM_USER, 1, 0);
  mm::PumpMessages();
  EXPECT_EQ(mm::CallWindowProcA(mm::GetWindowProc(w), w, mm::WM_USER, 2, 0), 11);
  EXPECT_EQ(mm::SetWindowProc(w, g_previous), &ProcB);
  mm::PostMessageA(w, mm::WM_USER, 3, 0);
  mm::PumpMessages();
  const mm::UINT U = mm::WM_USER;
  EXPECT_EQ(Log(), (std::vector<Seen>{{'B', U, 1, Log()[0].time},
                                      {'A', U, 1, Log()[1].time},
                                      {'B', U, 2, Log()[2].time},
                                      {'A', U, 2, Log()[3].time},
                                      {'A', U, 3, Log()[4].time}}));
  // A null procedure answers 0; a window that does not exist has none.
  EXPECT_EQ(mm::CallWindowProcA(nullptr, w, U, 0, 0), 0);
  mm::DestroyWindow(w);
  EXPECT_EQ(mm::SetWindowProc(w, ProcA), nullptr);
  EXPECT_EQ(mm::GetWindowProc(w), nullptr);
}

// Messages for a destroyed window are dropped, queued ones included.
TEST(PlatformWindow, DestroyedWindowGetsNothing) {
  Log().clear();
  mm::HWND w = mm::CreateMessageWindow("gone", ProcA);
  EXPECT_TRUE(mm::PostMessageA(w, mm::WM_USER, 1, 0));
  EXPECT_TRUE(mm::DestroyWindow(w));
  EXPECT_FALSE(mm::IsWindow(w));
  EXPECT_FALSE(mm::PostMessageA(w, mm::WM_USER, 2, 0));
  mm::PumpMessages();
  EXPECT_TRUE(Log().empty());
  EXPECT_NE(mm::CreateMessageWindow("next", ProcA), w);  // handles are not reused
}

std::atomic<int> g_count{0};
mm::LRESULT Counter(mm::HWND, mm::UINT, mm::WPARAM, mm::LPARAM) {
  g_count.fetch_add(1);
  return 0;
}

// Posts from another thread wake the waiting loop and arrive in order;
// a window is served only by the thread that created it.
TEST(PlatformWindow, PostFromAnotherThread) {
  g_count = 0;
  mm::HWND mine = mm::CreateMessageWindow("mine", Counter);
  std::thread poster([mine] {
    for (int i = 0; i < 100; ++i) mm::PostMessageA(mine, mm::WM_USER, i, 0);
  });
  auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (g_count < 100 && std::chrono::steady_clock::now() < limit) mm::WaitAndDispatch(100);
  poster.join();
  EXPECT_EQ(g_count, 100);

  std::atomic<mm::HWND> theirs{0};
  std::atomic<bool> posted{false};
  std::atomic<int> servedThere{0};
  std::thread owner([&] {
    theirs = mm::CreateMessageWindow("theirs", Counter);
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!posted && std::chrono::steady_clock::now() < until) std::this_thread::yield();
    while (servedThere == 0 && std::chrono::steady_clock::now() < until) {
      if (mm::WaitAndDispatch(100)) servedThere = 1;
    }
    mm::DestroyWindow(theirs);
  });
  while (theirs == 0) std::this_thread::yield();
  g_count = 0;
  mm::PostMessageA(theirs, mm::WM_USER, 0, 0);
  mm::PumpMessages();  // not this thread's window
  EXPECT_EQ(g_count, 0);
  posted = true;
  owner.join();
  EXPECT_EQ(servedThere, 1);
  EXPECT_EQ(g_count, 1);
  mm::DestroyWindow(mine);
}

// A wait with nothing to come ends at its time limit.
TEST(PlatformWindow, WaitEndsAtItsLimit) {
  mm::HWND w = mm::CreateMessageWindow("idle", ProcA);
  EXPECT_FALSE(mm::WaitAndDispatch(10));
  mm::DestroyWindow(w);
}

// The default box answers OK; a handler sees text, caption and style and
// can be replaced and restored; the pointer is stored and reported.
TEST(PlatformDialogs, HandlersReplaceAndRestore) {
  EXPECT_EQ(mm::MessageBoxA(0, "text", "caption", mm::MB_OK), mm::IDOK);
  std::string seen;
  auto previous = mm::SetMessageBoxHandler([&](const std::string& t, const std::string& c, uint32_t s) {
    seen = c + "|" + t + "|" + std::to_string(s);
    return 7;
  });
  EXPECT_FALSE(previous);
  EXPECT_EQ(mm::MessageBoxA(0, "Bad", "Title", mm::MB_ICONERROR), 7);
  EXPECT_EQ(seen, "Title|Bad|16");
  EXPECT_TRUE(mm::SetMessageBoxHandler({}));
  EXPECT_EQ(mm::MessageBoxA(0, "again", "caption", mm::MB_OK), mm::IDOK);

  std::vector<int> pointers;
  mm::SetMousePointerHandler([&](int p) { pointers.push_back(p); });
  mm::SetMousePointer(11);
  EXPECT_EQ(mm::GetMousePointer(), 11);
  mm::SetMousePointer(0);
  mm::SetMousePointerHandler({});
  EXPECT_EQ(pointers, (std::vector<int>{11, 0}));
}

// Handlers run outside the dialogs' own lock: a box handler may show another
// box and change the handler, and a pointer hook reads the pointer it was
// given (either would hang if called while the lock is held).
TEST(PlatformDialogs, HandlersMayCallBack) {
  std::vector<std::string> shown;
  mm::SetMessageBoxHandler([&](const std::string& text, const std::string&, uint32_t) {
    shown.push_back(text);
    if (text == "outer") {
      mm::SetMessageBoxHandler({});
      shown.push_back("inner answered " + std::to_string(mm::MessageBoxA(0, "inner", "caption", mm::MB_OK)));
    }
    return 3;
  });
  EXPECT_EQ(mm::MessageBoxA(0, "outer", "caption", mm::MB_OK), 3);
  EXPECT_EQ(shown, (std::vector<std::string>{"outer", "inner answered 1"}));
  EXPECT_EQ(mm::MessageBoxA(0, "after", "caption", mm::MB_OK), mm::IDOK);

  std::vector<int> read;
  mm::SetMousePointerHandler([&](int) { read.push_back(mm::GetMousePointer()); });
  mm::SetMousePointer(11);
  mm::SetMousePointer(0);
  mm::SetMousePointerHandler({});
  EXPECT_EQ(read, (std::vector<int>{11, 0}));
}

}  // namespace

namespace {

std::vector<mm::WPARAM>& Order() {
  static std::vector<mm::WPARAM> order;
  return order;
}

// The first message pumps again from inside its procedure, as the player's
// yields do.
mm::LRESULT NestedPump(mm::HWND hwnd, mm::UINT, mm::WPARAM w, mm::LPARAM) {
  Order().push_back(w);
  if (w == 1) {
    mm::PostMessageA(hwnd, mm::WM_USER, 3, 0);
    mm::PumpMessages();
  }
  return 0;
}

// A nested pump keeps the queue's order: what was waiting before comes
// before what was posted during the first message.
TEST(PlatformWindow, NestedPumpKeepsOrder) {
  Order().clear();
  mm::HWND w = mm::CreateMessageWindow("nested", NestedPump);
  mm::PostMessageA(w, mm::WM_USER, 1, 0);
  mm::PostMessageA(w, mm::WM_USER, 2, 0);
  mm::PumpMessages();
  mm::PumpMessages();
  EXPECT_EQ(Order(), (std::vector<mm::WPARAM>{1, 2, 3}));
  mm::DestroyWindow(w);
}

// Timer 8's handler kills timer 7, which fell due in the same pass: the
// tick already collected for timer 7 is dropped.
mm::LRESULT KillsTimerSeven(mm::HWND hwnd, mm::UINT msg, mm::WPARAM w, mm::LPARAM) {
  Log().push_back({'K', msg, w, mm::clock::NowMicros()});
  if (msg == mm::WM_TIMER && w == 8) mm::KillTimer(hwnd, 7);
  return 0;
}

TEST(PlatformWindow, TimerKilledByAHandlerNeverFiresAgain) {
  mm::clock::VirtualClockGuard clock(0);
  Log().clear();
  mm::HWND w = mm::CreateMessageWindow("k", KillsTimerSeven);
  ASSERT_TRUE(mm::SetTimer(w, 8, 100));
  ASSERT_TRUE(mm::SetTimer(w, 7, 100));  // due with timer 8, dispatched after it
  mm::clock::AdvanceTo(1000000);
  std::vector<Seen> expected;
  for (int64_t t = 100000; t <= 1000000; t += 100000) expected.push_back({'K', mm::WM_TIMER, 8, t});
  EXPECT_EQ(Log(), expected);
  mm::DestroyWindow(w);
}

}  // namespace
