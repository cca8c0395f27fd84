// Hidden message windows: a queue of messages owned by the thread that
// created the window, a window procedure that can be replaced (subclassing)
// and restored, PostMessageA from any thread, and timers on the shared clock.
#pragma once

#include <cstdint>
#include <string>

#include "mmsystem.h"

namespace mm {

using UINT = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_TIMER = 0x0113;  // wParam = timer id
constexpr UINT WM_USER = 0x0400;

// The procedure a new window starts with: answers every message with 0.
LRESULT DefWindowProcA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// A window owned by the calling thread. Handles are never reused.
HWND CreateMessageWindow(const std::string& caption, WNDPROC proc = DefWindowProcA);
bool DestroyWindow(HWND hwnd);
bool IsWindow(HWND hwnd);
std::string GetWindowTextA(HWND hwnd);

// Installs a new procedure and returns the one it replaces (nullptr for a
// window that does not exist).
WNDPROC SetWindowProc(HWND hwnd, WNDPROC proc);
WNDPROC GetWindowProc(HWND hwnd);
LRESULT CallWindowProcA(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Queues a message for the window's thread; safe from any thread.
bool PostMessageA(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);

// Dispatches every message already waiting for the calling thread's windows
// (timers that are due included), then returns.
void PumpMessages();

// The client's message loop: waits until a message for the calling thread's
// windows arrives (or timeoutMs passes; negative = no limit), dispatches
// what is waiting and returns whether anything was dispatched. While it
// waits it also plays, at their due times, the real-time output streams that
// notify the calling thread's windows, so a waiting loop keeps them exact.
bool WaitAndDispatch(int timeoutMs = -1);

// A timer posts WM_TIMER with its id to the window every elapseMs on the
// shared clock, until it is killed. Setting an existing id restarts it.
bool SetTimer(HWND hwnd, uintptr_t id, UINT elapseMs);
bool KillTimer(HWND hwnd, uintptr_t id);

}  // namespace mm
