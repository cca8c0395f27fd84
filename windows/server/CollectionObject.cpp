#include "CollectionObject.h"

#include "Errors.h"
#include "Text.h"
#include "VariantEnumerator.h"

namespace sonara::com {
namespace {

// A copy of the items, for a change that must not disturb enumerations.
std::shared_ptr<CollectionObject::Items> CopyOf(const CollectionObject::Items& items) {
  auto copy = std::make_shared<CollectionObject::Items>(items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    if (FAILED((*copy)[i].CopyFrom(items[i].value()))) throw std::bad_alloc();
  }
  return copy;
}

}  // namespace

HRESULT CollectionObject::Create(const std::vector<std::string>& texts, _Collection** out) {
  if (out == nullptr) return E_POINTER;
  *out = nullptr;
  ComPtr<CollectionObject> collection;
  HRESULT hr = New(collection);
  if (FAILED(hr)) return hr;
  hr = Guarded(IID__Collection, [&] {
    auto items = std::make_shared<Items>(texts.size());
    for (size_t i = 0; i < texts.size(); ++i) {
      Bstr text(texts[i]);
      if (!text) throw std::bad_alloc();
      VARIANT* v = (*items)[i].get();
      V_VT(v) = VT_BSTR;
      V_BSTR(v) = text.Detach();
    }
    collection->items_ = std::move(items);
  });
  if (FAILED(hr)) return hr;
  *out = collection.Detach();
  return S_OK;
}

STDMETHODIMP CollectionObject::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__Collection) {
    *object = static_cast<_Collection*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

size_t CollectionObject::Position(const VARIANT& index) const {
  ComVariant number;
  const HRESULT hr = ::VariantChangeType(number.get(), const_cast<VARIANT*>(&index), 0, VT_I4);
  if (hr == DISP_E_OVERFLOW) throw AutomationError(kOverflow);
  if (FAILED(hr)) throw AutomationError(kTypeMismatch);
  const LONG n = V_I4(number.get());
  if (n < 1 || static_cast<size_t>(n) > items_->size()) throw AutomationError(kSubscriptOutOfRange);
  return static_cast<size_t>(n - 1);
}

STDMETHODIMP CollectionObject::Item(VARIANT Index, VARIANT* Value) {
  if (Value == nullptr) return E_POINTER;
  ::VariantInit(Value);
  return Guarded(IID__Collection, [&] {
    const HRESULT hr = (*items_)[Position(Index)].CopyTo(Value);
    if (FAILED(hr)) throw std::bad_alloc();
  });
}

STDMETHODIMP CollectionObject::Add(VARIANT Value) {
  return Guarded(IID__Collection, [&] {
    auto items = CopyOf(*items_);
    items->emplace_back();
    if (FAILED(items->back().CopyFrom(Value))) throw AutomationError(kTypeMismatch);
    items_ = std::move(items);
  });
}

STDMETHODIMP CollectionObject::get_Count(LONG* Count) {
  if (Count == nullptr) return E_POINTER;
  *Count = static_cast<LONG>(items_->size());
  return S_OK;
}

STDMETHODIMP CollectionObject::Remove(VARIANT Index) {
  return Guarded(IID__Collection, [&] {
    const size_t position = Position(Index);
    auto items = CopyOf(*items_);
    items->erase(items->begin() + static_cast<std::ptrdiff_t>(position));
    items_ = std::move(items);
  });
}

STDMETHODIMP CollectionObject::get__NewEnum(IUnknown** Enum) {
  if (Enum == nullptr) return E_POINTER;
  *Enum = nullptr;
  ComPtr<VariantEnumerator> enumerator;
  const HRESULT hr = New(enumerator, items_);
  if (FAILED(hr)) return hr;
  *Enum = static_cast<IEnumVARIANT*>(enumerator.Detach());
  return S_OK;
}

}  // namespace sonara::com
