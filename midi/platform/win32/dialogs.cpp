// The defaults of platform/dialogs.h on Windows: a real modal message box
// (texts are UTF-8, shown through the wide-character call) and the system's
// arrow and hourglass cursors. A client can replace either, as on Linux
// (platform/dialog_handlers.cpp).
//
// Our header comes first: after <windows.h> the mm:: constants would meet the
// system's macros of the same names, so this file uses only the latter.
#include "platform/dialog_defaults.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace mm::detail {
namespace {

constexpr int kPointerHourglass = 11;

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

}  // namespace

int SystemMessageBox(HWND owner, const std::string& text, const std::string& caption, uint32_t style) {
  return ::MessageBoxW(reinterpret_cast<::HWND>(owner), Wide(text).c_str(), Wide(caption).c_str(), style);
}

void SystemPointer(int pointer) {
  ::SetCursor(::LoadCursorA(nullptr, pointer == kPointerHourglass ? IDC_WAIT : IDC_ARROW));
}

}  // namespace mm::detail
