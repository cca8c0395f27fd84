// Taking the first reference of a COM object the tests made with new.
// mingw-w64's ComPtr::Attach adds a reference of its own (the documented one
// does not), so it would leak every object: the reference is handed over by
// construction and the creation's own released.
#pragma once

#include <wrl/client.h>

namespace sonara::wintest {

template <class T>
Microsoft::WRL::ComPtr<T> Adopt(T* fresh) {
  Microsoft::WRL::ComPtr<T> owner(fresh);
  fresh->Release();
  return owner;
}

}  // namespace sonara::wintest
