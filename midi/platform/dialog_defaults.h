// What a message box and the mouse pointer do when the client has installed
// no handler: each platform's own (dialogs.cpp on Linux, win32/dialogs.cpp on
// Windows). The handlers themselves are kept in dialog_handlers.cpp, which
// both share. Not for clients.
#pragma once

#include <cstdint>
#include <string>

#include "mmsystem.h"

namespace mm::detail {

int SystemMessageBox(HWND owner, const std::string& text, const std::string& caption, uint32_t style);
void SystemPointer(int pointer);

}  // namespace mm::detail
