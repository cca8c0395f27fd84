// IDispatch for a dual interface of ours, answered from the embedded type
// library's description of that interface: names through DispGetIDsOfNames,
// calls through DispInvoke on the interface's own vtable. The description is
// loaded on first use unless the object was given it when made.
#pragma once

#include <wrl/client.h>

#include <utility>

#include "TypeLibrary.h"

namespace sonara::com {

template <class Interface>
class TypeInfoDispatch : public Interface {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_POINTER;
    *count = 1;
    return S_OK;
  }

  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    const HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return typeInfo_.CopyTo(info);
  }

  STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return ::DispGetIDsOfNames(typeInfo_.Get(), names, count, ids);
  }

  STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argError) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    const HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return ::DispInvoke(static_cast<Interface*>(this), typeInfo_.Get(), id, flags, params, result, exception,
                        argError);
  }

 protected:
  // `interfaceId` names the interface's description in the type library.
  explicit TypeInfoDispatch(const IID& interfaceId, Microsoft::WRL::ComPtr<ITypeInfo> typeInfo = nullptr)
      : interfaceId_(interfaceId), typeInfo_(std::move(typeInfo)) {}
  ~TypeInfoDispatch() = default;

 private:
  HRESULT EnsureTypeInfo() {
    if (typeInfo_) return S_OK;
    return LoadOwnTypeInfo(interfaceId_, &typeInfo_);
  }

  IID interfaceId_;
  Microsoft::WRL::ComPtr<ITypeInfo> typeInfo_;
};

}  // namespace sonara::com
