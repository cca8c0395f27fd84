// A VARIANT that clears itself, for values the server keeps or passes on.
#pragma once

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <oleauto.h>

namespace sonara::com {

class ComVariant {
 public:
  ComVariant() noexcept { ::VariantInit(&value_); }
  ~ComVariant() { ::VariantClear(&value_); }
  ComVariant(const ComVariant&) = delete;
  ComVariant& operator=(const ComVariant&) = delete;
  ComVariant(ComVariant&& other) noexcept {
    value_ = other.value_;
    ::VariantInit(&other.value_);
  }
  ComVariant& operator=(ComVariant&& other) noexcept {
    if (this != &other) {
      ::VariantClear(&value_);
      value_ = other.value_;
      ::VariantInit(&other.value_);
    }
    return *this;
  }

  // A copy of `source` (references followed), or the failure.
  HRESULT CopyFrom(const VARIANT& source) {
    ::VariantClear(&value_);
    return ::VariantCopyInd(&value_, const_cast<VARIANT*>(&source));
  }
  // Writes a copy into `target`, which the caller owns and which must be empty.
  HRESULT CopyTo(VARIANT* target) const { return ::VariantCopy(target, const_cast<VARIANT*>(&value_)); }

  VARIANT* get() noexcept { return &value_; }
  const VARIANT& value() const noexcept { return value_; }

 private:
  VARIANT value_;
};

}  // namespace sonara::com
