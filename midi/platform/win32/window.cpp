// The message windows of platform/window.h on Windows: real message-only
// windows of the calling thread, subclassed with SetWindowLongPtrA and
// chained with CallWindowProcA, real timers, and the thread's message queue.
//
// The player's window procedures have the portable signature of mm::WNDPROC,
// not the system's (whose calling convention differs on 32-bit Windows), so
// each one is installed through a small fixed trampoline that calls it. A
// trampoline is bound to one procedure for the life of the process; the
// player uses three (the form's own, the stream callback and the default).
//
// Our header comes first: after <windows.h> the mm:: constants would meet the
// system's macros of the same names, so this file uses only the latter.
#include "platform/window.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <array>
#include <mutex>
#include <utility>

namespace {
// The parent of message-only windows (spelled outside namespace mm, where
// HWND names the integer form).
::HWND MessageOnlyParent() { return HWND_MESSAGE; }
}  // namespace

namespace mm {
namespace {

constexpr size_t kTrampolineCount = 16;
constexpr char kWindowClass[] = "SonaraMessageWindow";

struct TrampolineTable {
  std::mutex lock;
  std::array<WNDPROC, kTrampolineCount> bound{};
};

TrampolineTable& Trampolines() {
  static TrampolineTable table;  // trivially destructible contents, built on first use
  return table;
}

WNDPROC BoundProcedure(size_t slot) {
  auto& t = Trampolines();
  std::lock_guard lock(t.lock);
  return t.bound[slot];
}

// The system's types throughout: inside namespace mm, LRESULT and HWND name
// the portable ones, which differ from the system's on 32-bit Windows.
template <size_t Slot>
::LRESULT CALLBACK Trampoline(::HWND hwnd, ::UINT msg, ::WPARAM wParam, ::LPARAM lParam) {
  const WNDPROC proc = BoundProcedure(Slot);
  if (proc == nullptr) return ::DefWindowProcA(hwnd, msg, wParam, lParam);
  return proc(reinterpret_cast<HWND>(hwnd), msg, wParam, lParam);
}

template <size_t... Slots>
constexpr std::array<::WNDPROC, sizeof...(Slots)> MakeTrampolines(std::index_sequence<Slots...>) {
  return {&Trampoline<Slots>...};
}
constexpr auto kTrampolines = MakeTrampolines(std::make_index_sequence<kTrampolineCount>{});

// The system procedure that runs `proc`: its trampoline, bound on first use.
// nullptr when every trampoline is taken.
::WNDPROC SystemProcedureOf(WNDPROC proc) {
  auto& t = Trampolines();
  std::lock_guard lock(t.lock);
  for (size_t i = 0; i < kTrampolineCount; ++i) {
    if (t.bound[i] == proc) return kTrampolines[i];
  }
  for (size_t i = 0; i < kTrampolineCount; ++i) {
    if (t.bound[i] == nullptr) {
      t.bound[i] = proc;
      return kTrampolines[i];
    }
  }
  return nullptr;
}

// The player's procedure behind a system one; nullptr when it is none of ours.
WNDPROC ProcedureOf(::WNDPROC system) {
  for (size_t i = 0; i < kTrampolineCount; ++i) {
    if (kTrampolines[i] == system) return BoundProcedure(i);
  }
  return nullptr;
}

::HWND Real(HWND hwnd) { return reinterpret_cast<::HWND>(hwnd); }

// The module that holds this code: the owner of its window class.
HINSTANCE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&ThisModule), &module);
  return module;
}

// Registered once per process. Its procedure is the system's default, so a
// class left behind by an unloaded copy of this module never runs stale code;
// every window gets its own procedure right after it is created.
bool RegisterWindowClass() {
  static const bool registered = [] {
    WNDCLASSA cls{};
    cls.lpfnWndProc = ::DefWindowProcA;
    cls.hInstance = ThisModule();
    cls.lpszClassName = kWindowClass;
    return ::RegisterClassA(&cls) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  return registered;
}

}  // namespace

LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::DefWindowProcA(Real(hwnd), msg, wParam, lParam);
}

HWND CreateMessageWindow(const std::string& caption, WNDPROC proc) {
  if (!RegisterWindowClass()) return 0;
  const ::WNDPROC system = SystemProcedureOf(proc != nullptr ? proc : &DefWindowProcA);
  if (system == nullptr) return 0;
  // A message-only window: never shown, needs no display, receives posted
  // messages and timers.
  ::HWND hwnd = ::CreateWindowExA(0, kWindowClass, caption.c_str(), 0, 0, 0, 0, 0, MessageOnlyParent(), nullptr,
                                  ThisModule(), nullptr);
  if (hwnd == nullptr) return 0;
  ::SetWindowLongPtrA(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
  return reinterpret_cast<HWND>(hwnd);
}

bool DestroyWindow(HWND hwnd) { return ::DestroyWindow(Real(hwnd)) != FALSE; }

bool IsWindow(HWND hwnd) { return hwnd != 0 && ::IsWindow(Real(hwnd)) != FALSE; }

std::string GetWindowTextA(HWND hwnd) {
  const int length = ::GetWindowTextLengthA(Real(hwnd));
  if (length <= 0) return {};
  std::string text(static_cast<size_t>(length) + 1, '\0');
  const int copied = ::GetWindowTextA(Real(hwnd), text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return text;
}

WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc) {
  if (!IsWindow(hwnd) || proc == nullptr) return nullptr;
  const ::WNDPROC system = SystemProcedureOf(proc);
  if (system == nullptr) return nullptr;
  const auto previous = ::SetWindowLongPtrA(Real(hwnd), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(system));
  return ProcedureOf(reinterpret_cast<::WNDPROC>(previous));
}

WNDPROC GetWindowProc(HWND hwnd) {
  if (!IsWindow(hwnd)) return nullptr;
  return ProcedureOf(reinterpret_cast<::WNDPROC>(::GetWindowLongPtrA(Real(hwnd), GWLP_WNDPROC)));
}

LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (proc == nullptr) return 0;
  const ::WNDPROC system = SystemProcedureOf(proc);
  if (system == nullptr) return proc(hwnd, msg, wParam, lParam);
  return ::CallWindowProcA(system, Real(hwnd), msg, wParam, lParam);
}

bool PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageA(Real(hwnd), msg, wParam, lParam) != FALSE;
}

namespace {

// Dispatches what the calling thread has waiting; true if anything was. A
// quit message is put back for the client's own loop to see.
bool DispatchWaiting() {
  bool any = false;
  MSG msg;
  while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    any = true;
    ::TranslateMessage(&msg);
    ::DispatchMessageA(&msg);
  }
  return any;
}

}  // namespace

void PumpMessages() { DispatchWaiting(); }

bool WaitAndDispatch(int timeoutMs) {
  const DWORD wait = timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs);
  ::MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  return DispatchWaiting();
}

bool SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs) {
  return ::SetTimer(Real(hwnd), id, elapseMs, nullptr) != 0;
}

bool KillTimer(HWND hwnd, uintptr_t id) { return ::KillTimer(Real(hwnd), id) != FALSE; }

}  // namespace mm
