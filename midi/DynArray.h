// An array whose bounds are set at run time and that may not exist yet, as the
// player's dynamic tables are: asking an uncreated array for its bounds, or
// indexing outside them, is error 9 "Subscript out of range".
#pragma once

#include <cstdint>
#include <vector>

#include "AutomationError.h"

namespace sonara {

template <class T>
class DynArray {
 public:
  bool Created() const noexcept { return created_; }

  // Discards the contents; lower..upper (upper = lower - 1 gives no elements).
  void Create(int32_t lower, int32_t upper) {
    if (upper < lower - 1) throw AutomationError(kSubscriptOutOfRange);
    created_ = true;
    lower_ = lower;
    items_.assign(static_cast<size_t>(int64_t{upper} - lower + 1), T{});
  }

  // Keeps the contents and the lower bound; the array must exist.
  void Preserve(int32_t upper) {
    RequireCreated();
    if (upper < lower_ - 1) throw AutomationError(kSubscriptOutOfRange);
    items_.resize(static_cast<size_t>(int64_t{upper} - lower_ + 1));
  }

  // Appends one element at UBound() + 1.
  T& Append(T value) {
    RequireCreated();
    items_.push_back(std::move(value));
    return items_.back();
  }

  void Erase() noexcept {
    created_ = false;
    lower_ = 0;
    items_.clear();
  }

  int32_t LBound() const {
    RequireCreated();
    return lower_;
  }
  int32_t UBound() const {
    RequireCreated();
    return lower_ + static_cast<int32_t>(items_.size()) - 1;
  }
  int32_t Count() const noexcept { return static_cast<int32_t>(items_.size()); }

  T& operator[](int64_t i) { return items_[Offset(i)]; }
  const T& operator[](int64_t i) const { return items_[Offset(i)]; }

  // Unchecked view for the loops that already know the bounds.
  std::vector<T>& Items() noexcept { return items_; }
  const std::vector<T>& Items() const noexcept { return items_; }

 private:
  void RequireCreated() const {
    if (!created_) throw AutomationError(kSubscriptOutOfRange);
  }
  size_t Offset(int64_t i) const {
    RequireCreated();
    if (i < lower_ || i - lower_ >= static_cast<int64_t>(items_.size())) throw AutomationError(kSubscriptOutOfRange);
    return static_cast<size_t>(i - lower_);
  }

  bool created_ = false;
  int32_t lower_ = 0;
  std::vector<T> items_;
};

// A fixed array's entry, with the index checked against its bounds.
template <class Array>
auto& At(Array& array, int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(array.size())) throw AutomationError(kSubscriptOutOfRange);
  return array[static_cast<size_t>(index)];
}

}  // namespace sonara
