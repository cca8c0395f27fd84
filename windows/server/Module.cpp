#include "Module.h"

#include <atomic>

namespace sonara::com {
namespace {

std::atomic<long>& Outstanding() {
  static std::atomic<long> count{0};
  return count;
}

}  // namespace

ModuleReference::ModuleReference() { ++Outstanding(); }
ModuleReference::~ModuleReference() { --Outstanding(); }

void LockModule() { ++Outstanding(); }
void UnlockModule() { --Outstanding(); }
bool ModuleIsIdle() { return Outstanding() == 0; }

HMODULE ThisModule() {
  HMODULE module = nullptr;
  ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&ThisModule), &module);
  return module;
}

std::wstring ThisModulePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);  // cut off: try a longer buffer
  }
}

}  // namespace sonara::com
