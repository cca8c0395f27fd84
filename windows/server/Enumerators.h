// The enumerators of the connection point machinery: the container's one
// connection point (IEnumConnectionPoints) and a connection point's sinks
// (IEnumConnections). Each walks a snapshot taken when it was made and holds
// references to what it hands out.
#pragma once

#include <olectl.h>
#include <ocidl.h>

#include <memory>
#include <utility>
#include <vector>

#include "ComObject.h"

namespace sonara::com {

// A sink of a connection point with its cookie.
struct Connection {
  ComPtr<IUnknown> sink;
  DWORD cookie = 0;
};

inline void CopyOut(const ComPtr<IConnectionPoint>& item, IConnectionPoint** out) { item.CopyTo(out); }
inline void CopyOut(const Connection& item, CONNECTDATA* out) {
  item.sink.CopyTo(&out->pUnk);
  out->dwCookie = item.cookie;
}

inline const IID& EnumeratorId(IEnumConnectionPoints*) { return IID_IEnumConnectionPoints; }
inline const IID& EnumeratorId(IEnumConnections*) { return IID_IEnumConnections; }

template <class Interface, class Element, class Item>
class Enumerator final : public RefCounted, public Interface {
 public:
  using Items = std::vector<Item>;
  explicit Enumerator(std::shared_ptr<const Items> items, size_t next = 0) : items_(std::move(items)), next_(next) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (riid == IID_IUnknown || riid == EnumeratorId(static_cast<Interface*>(nullptr))) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP Next(ULONG count, Element* out, ULONG* fetched) override {
    if (out == nullptr || (count > 1 && fetched == nullptr)) return E_POINTER;
    ULONG done = 0;
    for (; done < count && next_ < items_->size(); ++done, ++next_) CopyOut((*items_)[next_], &out[done]);
    if (fetched) *fetched = done;
    return done == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const size_t left = items_->size() - next_;
    next_ += count < left ? count : left;
    return count <= left ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    next_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(Interface** copy) override {
    if (copy == nullptr) return E_POINTER;
    *copy = nullptr;
    ComPtr<Enumerator> clone;
    const HRESULT hr = New(clone, items_, next_);
    if (FAILED(hr)) return hr;
    *copy = clone.Detach();
    return S_OK;
  }

 private:
  std::shared_ptr<const Items> items_;
  size_t next_;
};

using ConnectionPointEnumerator = Enumerator<IEnumConnectionPoints, IConnectionPoint*, ComPtr<IConnectionPoint>>;
using ConnectionEnumerator = Enumerator<IEnumConnections, CONNECTDATA, Connection>;

}  // namespace sonara::com
