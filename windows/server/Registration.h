// The server's registration, machine-wide under HKEY_LOCAL_MACHINE, key
// Software\Classes: the class (in-process, apartment-threaded), its ProgID
// Sonara.clsMidi, and the type library with its interfaces.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace sonara::com {

HRESULT RegisterServer();
// Removes what RegisterServer wrote; what is already gone is no failure.
HRESULT UnregisterServer();

}  // namespace sonara::com
