// The enumerator behind For Each over a collection: it walks the items the
// collection had when the enumeration began.
#pragma once

#include <memory>
#include <vector>

#include "ComObject.h"
#include "ComVariant.h"

namespace sonara::com {

class VariantEnumerator final : public RefCounted, public IEnumVARIANT {
 public:
  using Items = std::vector<ComVariant>;
  explicit VariantEnumerator(std::shared_ptr<const Items> items, size_t next = 0)
      : items_(std::move(items)), next_(next) {}

  STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override { return AddReference(); }
  STDMETHODIMP_(ULONG) Release() override { return ReleaseReference(); }

  STDMETHODIMP Next(ULONG count, VARIANT* values, ULONG* fetched) override;
  STDMETHODIMP Skip(ULONG count) override;
  STDMETHODIMP Reset() override;
  STDMETHODIMP Clone(IEnumVARIANT** copy) override;

 private:
  std::shared_ptr<const Items> items_;
  size_t next_;
};

}  // namespace sonara::com
