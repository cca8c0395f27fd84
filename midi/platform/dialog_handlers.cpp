// The handlers of platform/dialogs.h, on every platform: a client's handler
// when one is installed, the platform's default (dialog_defaults.h) otherwise.
#include "dialog_defaults.h"
#include "dialogs.h"
#include "internal.h"

#include <mutex>
#include <utility>

namespace mm {
namespace {

struct DialogState {
  std::mutex lock;
  MessageBoxHandler messageBox;
  MousePointerHandler pointerHook;
  int pointer = 0;
};

DialogState& State() {
  static detail::NoDestructor<DialogState> state;
  return state.get();
}

}  // namespace

int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, uint32_t style) {
  MessageBoxHandler handler;
  {
    auto& s = State();
    std::lock_guard lock(s.lock);
    handler = s.messageBox;
  }
  // Called outside the lock: a handler may show another box.
  return handler ? handler(text, caption, style) : detail::SystemMessageBox(owner, text, caption, style);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return std::exchange(s.messageBox, std::move(handler));
}

void SetMousePointer(int pointer) {
  MousePointerHandler hook;
  {
    auto& s = State();
    std::lock_guard lock(s.lock);
    s.pointer = pointer;
    hook = s.pointerHook;
  }
  if (hook) {
    hook(pointer);
  } else {
    detail::SystemPointer(pointer);
  }
}

int GetMousePointer() {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return s.pointer;
}

MousePointerHandler SetMousePointerHandler(MousePointerHandler handler) {
  auto& s = State();
  std::lock_guard lock(s.lock);
  return std::exchange(s.pointerHook, std::move(handler));
}

}  // namespace mm
