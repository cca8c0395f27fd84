// Reference counting for the server's COM objects. An object is created with
// one reference, which New hands to a ComPtr; the last Release deletes it.
// While it lives it keeps the module loaded.
#pragma once

#include <wrl/client.h>

#include <atomic>
#include <new>
#include <utility>

#include "Module.h"

namespace sonara::com {

using Microsoft::WRL::ComPtr;

class RefCounted {
 public:
  RefCounted(const RefCounted&) = delete;
  RefCounted& operator=(const RefCounted&) = delete;

 protected:
  RefCounted() = default;
  virtual ~RefCounted() = default;

  ULONG AddReference() noexcept { return ++references_; }
  ULONG ReleaseReference() noexcept {
    const ULONG left = --references_;
    // COM objects own themselves: the last reference ends the object.
    if (left == 0) delete this;
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
  ModuleReference module_;
};

// A new object of type T with its one reference in `out`; E_OUTOFMEMORY
// when it cannot be made. (mingw-w64's ComPtr::Attach adds a reference of
// its own, so the creation's reference is handed over by assignment and
// then released.)
template <class T, class... Args>
HRESULT New(ComPtr<T>& out, Args&&... args) noexcept {
  T* object = new (std::nothrow) T(std::forward<Args>(args)...);
  if (object == nullptr) return E_OUTOFMEMORY;
  out = object;
  object->Release();
  return S_OK;
}

}  // namespace sonara::com
