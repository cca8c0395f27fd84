#include "TypeLibrary.h"

#include <wrl/client.h>

#include <string>

#include "Module.h"

namespace sonara::com {

HRESULT LoadOwnTypeLib(ITypeLib** lib) {
  if (lib == nullptr) return E_POINTER;
  *lib = nullptr;
  const std::wstring path = ThisModulePath();
  if (path.empty()) return HRESULT_FROM_WIN32(::GetLastError());
  // The system keeps loaded libraries cached, so asking again is cheap.
  return ::LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib);
}

HRESULT LoadOwnTypeInfo(REFGUID guid, ITypeInfo** info) {
  if (info == nullptr) return E_POINTER;
  *info = nullptr;
  Microsoft::WRL::ComPtr<ITypeLib> lib;
  const HRESULT hr = LoadOwnTypeLib(&lib);
  if (FAILED(hr)) return hr;
  return lib->GetTypeInfoOfGuid(guid, info);
}

}  // namespace sonara::com
