// What keeps Midi.dll loaded: its live COM objects and the client's
// LockServer calls. DllCanUnloadNow consults these counts.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <string>

namespace sonara::com {

// Counts one live COM object of this module for as long as it exists.
class ModuleReference {
 public:
  ModuleReference();
  ~ModuleReference();
  ModuleReference(const ModuleReference&) = delete;
  ModuleReference& operator=(const ModuleReference&) = delete;
};

void LockModule();
void UnlockModule();
// No live object and no lock.
bool ModuleIsIdle();

// This DLL's own handle and full path.
HMODULE ThisModule();
std::wstring ThisModulePath();

}  // namespace sonara::com
