// The component's message boxes and the application's mouse pointer. Both go
// through handlers that a client can replace: by default a message box writes
// its text to standard error and returns IDOK at once, and the pointer calls
// do nothing.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "mmsystem.h"

namespace mm {

constexpr uint32_t MB_OK = 0x0;
constexpr uint32_t MB_ICONERROR = 0x10;  // the critical-error icon (style 16)
constexpr int IDOK = 1;

using MessageBoxHandler = std::function<int(const std::string& text, const std::string& caption, uint32_t style)>;

// Shows a modal message box through the current handler and returns its answer.
int MessageBoxA(HWND owner, const std::string& text, const std::string& caption, uint32_t style);
// Installs a handler (an empty one restores the default) and returns the previous one.
MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler);

// The application's mouse pointer (0 = default, 11 = hourglass).
using MousePointerHandler = std::function<void(int pointer)>;
void SetMousePointer(int pointer);
int GetMousePointer();
MousePointerHandler SetMousePointerHandler(MousePointerHandler handler);

}  // namespace mm
