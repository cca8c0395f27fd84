#include "FormProc.h"

#include <unordered_map>

#include "clsMidi.h"
#include "modMidi.h"

namespace sonara {
namespace {

// Forms by window handle, so the shared window procedure finds its form.
std::unordered_map<mm::HWND, FormProc*>& FormsByWindow() {
  static std::unordered_map<mm::HWND, FormProc*> forms;
  return forms;
}

}  // namespace

FormProc::Timer::~Timer() {
  if (enabled_) mm::KillTimer(owner_, id_);
}

void FormProc::Timer::put_Enabled(bool enabled) {
  enabled_ = enabled;
  Apply();
}

void FormProc::Timer::put_Interval(uint32_t interval) {
  interval_ = interval;
  Apply();
}

// A timer runs while it is enabled and its interval is not 0; setting either
// restarts the count.
void FormProc::Timer::Apply() {
  if (enabled_ && interval_ > 0) {
    mm::SetTimer(owner_, id_, interval_);
  } else {
    mm::KillTimer(owner_, id_);
  }
}

FormProc::FormProc()
    : hwnd_(mm::CreateMessageWindow("Form1", &FormProc::FormWndProc)), Timer1(hwnd_, kTimer1Id, 1000) {
  FormsByWindow()[hwnd_] = this;
  Timer1.OnTimer = &Timer1_Timer;
}

void FormProc::Timer1_Timer() {
  try {
    if (auto player = modMidi.ActivePlayer) player->FireProgress();
  } catch (...) {
    // A timer tick has nobody to report a failure to.
  }
}

FormProc::~FormProc() {
  FormsByWindow().erase(hwnd_);
  mm::DestroyWindow(hwnd_);
}

mm::LRESULT FormProc::FormWndProc(mm::HWND hwnd, mm::UINT msg, mm::WPARAM wParam, mm::LPARAM lParam) {
  if (msg == mm::WM_TIMER) {
    auto it = FormsByWindow().find(hwnd);
    if (it != FormsByWindow().end() && wParam == it->second->Timer1.Id() && it->second->Timer1.get_Enabled()) {
      if (auto& handler = it->second->Timer1.OnTimer) handler();
    }
    return 0;
  }
  return mm::DefWindowProcA(hwnd, msg, wParam, lParam);
}

FormProc& EnsureCallbackForm() {
  if (!modMidi.CallbackForm) modMidi.CallbackForm = std::make_shared<FormProc>();
  return *modMidi.CallbackForm;
}

void HookCallbackWindow(FormProc& form, mm::WNDPROC proc) {
  if (mm::GetWindowProc(form.hWnd()) == proc) return;  // already in place: keep the true predecessor
  modMidi.PrevWndProc = mm::SetWindowProc(form.hWnd(), proc);
}

void UnhookCallbackWindow(FormProc& form) {
  if (modMidi.PrevWndProc == nullptr) return;
  mm::SetWindowProc(form.hWnd(), modMidi.PrevWndProc);
}

}  // namespace sonara
