// The message boxes and mouse pointer of platform/dialogs.h on Windows: by
// default a real modal message box (texts are UTF-8, shown through the
// wide-character call) and the system's arrow and hourglass cursors. A
// client can replace either, as on Linux.
//
// Our header comes first: after <windows.h> the mm:: constants would meet the
// system's macros of the same names, so this file uses only the latter.
#include "platform/dialogs.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <mutex>
#include <utility>

namespace mm {
namespace {

constexpr int kPointerHourglass = 11;

struct DialogState {
  std::mutex lock;
  MessageBoxHandler messageBox;
  MousePointerHandler pointerHook;
  int pointer = 0;
};

DialogState& State() {
  static DialogState state;
  return state;
}

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

int SystemMessageBox(HWND owner, const std::string& text, const std::string& caption, uint32_t style) {
  return ::MessageBoxW(reinterpret_cast<::HWND>(owner), Wide(text).c_str(), Wide(caption).c_str(), style);
}

void SystemPointer(int pointer) {
  ::SetCursor(::LoadCursorA(nullptr, pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW));
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
  return handler ? handler(text, caption, style) : SystemMessageBox(owner, text, caption, style);
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
    SystemPointer(pointer);
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
