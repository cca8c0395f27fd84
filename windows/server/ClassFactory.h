// The class factory of clsMidi, which DllGetClassObject hands out.
#pragma once

#include "ComObject.h"

namespace sonara::com {

class ClassFactory final : public RefCounted, public IClassFactory {
 public:
  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  STDMETHODIMP LockServer(BOOL lock) override;
};

}  // namespace sonara::com
