// The type library embedded in Midi.dll as resource TYPELIB 1: the objects'
// IDispatch, IProvideClassInfo and registration all read it.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

namespace sonara::com {

HRESULT LoadOwnTypeLib(ITypeLib** lib);
// The description of the interface or class with this identifier.
HRESULT LoadOwnTypeInfo(REFGUID guid, ITypeInfo** info);

}  // namespace sonara::com
