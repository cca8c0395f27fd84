// The defaults of platform/dialogs.h on Linux. There is no window to show:
// a message box writes its text to standard error and is answered at once,
// and the mouse pointer stays as it is.
#include "dialog_defaults.h"
#include "dialogs.h"

#include <iostream>

namespace mm::detail {

int SystemMessageBox(HWND, const std::string& text, const std::string& caption, uint32_t) {
  std::cerr << caption << ": " << text << std::endl;
  return IDOK;
}

void SystemPointer(int) {}

}  // namespace mm::detail
