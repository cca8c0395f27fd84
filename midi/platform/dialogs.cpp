#include "dialogs.h"
#include "internal.h"

#include <iostream>
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

// No window to show: the text goes to standard error and the box is
// answered at once.
int DefaultMessageBox(const std::string& text, const std::string& caption, uint32_t) {
  std::cerr << caption << ": " << text << std::endl;
  return IDOK;
}

}  // namespace

int MessageBoxA(HWND, const std::string& text, const std::string& caption, uint32_t style) {
  MessageBoxHandler handler;
  {
    auto& s = State();
    std::lock_guard lock(s.lock);
    handler = s.messageBox;
  }
  // Called outside the lock: a handler may show another box.
  return handler ? handler(text, caption, style) : DefaultMessageBox(text, caption, style);
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
  if (hook) hook(pointer);
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
