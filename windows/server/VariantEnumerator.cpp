#include "VariantEnumerator.h"

namespace sonara::com {

STDMETHODIMP VariantEnumerator::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IEnumVARIANT) {
    *object = static_cast<IEnumVARIANT*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP VariantEnumerator::Next(ULONG count, VARIANT* values, ULONG* fetched) {
  if (values == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
  ULONG done = 0;
  while (done < count && next_ < items_->size()) {
    ::VariantInit(&values[done]);
    const HRESULT hr = (*items_)[next_].CopyTo(&values[done]);
    if (FAILED(hr)) {
      for (ULONG i = 0; i < done; ++i) ::VariantClear(&values[i]);
      if (fetched) *fetched = 0;
      return hr;
    }
    ++done;
    ++next_;
  }
  if (fetched) *fetched = done;
  return done == count ? S_OK : S_FALSE;
}

STDMETHODIMP VariantEnumerator::Skip(ULONG count) {
  const size_t left = items_->size() - next_;
  if (count > left) {
    next_ = items_->size();
    return S_FALSE;
  }
  next_ += count;
  return S_OK;
}

STDMETHODIMP VariantEnumerator::Reset() {
  next_ = 0;
  return S_OK;
}

STDMETHODIMP VariantEnumerator::Clone(IEnumVARIANT** copy) {
  if (copy == nullptr) return E_POINTER;
  *copy = nullptr;
  ComPtr<VariantEnumerator> clone;
  const HRESULT hr = New(clone, items_, next_);
  if (FAILED(hr)) return hr;
  *copy = clone.Detach();
  return S_OK;
}

}  // namespace sonara::com
