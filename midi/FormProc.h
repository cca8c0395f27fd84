// FormProc: the hidden window that receives the output stream's
// notifications, with its timer Timer1. It is created on first use, never
// shown and never unloaded; the player subclasses its window procedure while
// a stream plays.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/window.h"

namespace sonara {

class FormProc {
 public:
  // A timer as the form carries it: an interval and an enabled flag; while
  // enabled it calls its handler on the form's thread every Interval ms.
  class Timer {
   public:
    Timer(mm::HWND owner, uintptr_t id, uint32_t interval) : owner_(owner), id_(id), interval_(interval) {}
    ~Timer();
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;

    bool get_Enabled() const noexcept { return enabled_; }
    void put_Enabled(bool enabled);
    uint32_t get_Interval() const noexcept { return interval_; }
    void put_Interval(uint32_t interval);
    uintptr_t Id() const noexcept { return id_; }

    std::function<void()> OnTimer;  // the Timer event

   private:
    void Apply();
    mm::HWND owner_;
    uintptr_t id_;
    uint32_t interval_;
    bool enabled_ = false;
  };

  FormProc();
  ~FormProc();
  FormProc(const FormProc&) = delete;
  FormProc& operator=(const FormProc&) = delete;

  mm::HWND hWnd() const noexcept { return hwnd_; }
  std::string Caption() const { return mm::GetWindowTextA(hwnd_); }

  static constexpr uintptr_t kTimer1Id = 1;

  // Every second while a stream plays: the progress report of ActivePlayer.
  static void Timer1_Timer();

 private:
  mm::HWND hwnd_;  // declared before Timer1, which is bound to it

 public:
  Timer Timer1;

  // The form's own window procedure: the end of the chain.
  static mm::LRESULT FormWndProc(mm::HWND hwnd, mm::UINT msg, mm::WPARAM wParam, mm::LPARAM lParam);
};

// The one callback form of the store, created on first use.
FormProc& EnsureCallbackForm();

// Installs `proc` in front of the form's procedure and keeps the one it
// replaced in PrevWndProc. Hooking twice never makes `proc` its own
// predecessor.
void HookCallbackWindow(FormProc& form, mm::WNDPROC proc);
// Puts back the procedure kept in PrevWndProc; with nothing kept (never
// hooked) it leaves the window as it is, so no empty procedure is installed.
void UnhookCallbackWindow(FormProc& form);

}  // namespace sonara
